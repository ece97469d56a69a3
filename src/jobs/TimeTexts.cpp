#include "jobs/TimeTexts.h"

namespace fw {

// Integer divisions truncate toward zero, as the texts have always been formed.
QString MicrosToClock(int64_t t) {
    const long long hours = t / 1000000 / 60 / 60;
    const long long minutes = (t / 1000000 / 60) % 60;
    const long long seconds = (t / 1000000) % 60;
    const long long millis = (t % 1000000) * 1000 / 1000000;
    return QString::asprintf("%.2lld:%.2lld:%.2lld.%.3lld", hours, minutes, seconds, millis);
}

QString MicrosToSeconds(int64_t t) {
    const long long seconds = t / 1000000;
    const long long millis = (t / 1000) % 1000;
    return QString::asprintf("%lld.%.3lld", seconds, millis);
}

QString SecondsToClock(int32_t s) {
    if (s < 0) s = 0;
    const int minutes = (s / 60) % 60;
    const int seconds = s % 60;
    return QString::asprintf("%d:%d%d:%d%d", s / 3600, minutes / 10, minutes % 10, seconds / 10,
                             seconds % 10);
}

}  // namespace fw
