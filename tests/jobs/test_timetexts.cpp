#include "jobs/TimeTexts.h"

#include <gtest/gtest.h>

namespace fw {
namespace {

TEST(TimeTexts, ClockSecondsAndWholeSeconds) {
    struct Micros {
        int64_t t;
        const char *clock, *seconds;
    } micros[] = {
        {0, "00:00:00.000", "0.000"},
        {3723004000LL, "01:02:03.004", "3723.004"},
        {360000000000LL, "100:00:00.000", "360000.000"},
        {5250000, "00:00:05.250", "5.250"},
        {999999, "00:00:00.999", "0.999"},  // truncated, not rounded
        {59999999, "00:00:59.999", "59.999"},
    };
    for (const auto& c : micros) {
        EXPECT_EQ(MicrosToClock(c.t), c.clock) << c.t;
        EXPECT_EQ(MicrosToSeconds(c.t), c.seconds) << c.t;
    }
    struct Seconds {
        int32_t s;
        const char* text;
    } seconds[] = {
        {0, "0:00:00"},  {3725, "1:02:05"},   {-5, "0:00:00"},
        {59, "0:00:59"}, {36000, "10:00:00"}, {2147483647, "596523:14:07"},
    };
    for (const auto& c : seconds) EXPECT_EQ(SecondsToClock(c.s), c.text) << c.s;
}

}  // namespace
}  // namespace fw
