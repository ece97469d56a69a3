// Time texts shown by the players, editors and dialogs. Nothing parses them back.
#pragma once

#include <QString>

#include <cstdint>

namespace fw {

// "HH:MM:SS.mmm" from microseconds; hours are not wrapped at 24 and have at
// least two digits (3 723 004 000 gives "01:02:03.004").
QString MicrosToClock(int64_t micros);
// "S.mmm" from microseconds (5 250 000 gives "5.250").
QString MicrosToSeconds(int64_t micros);
// "H:MM:SS" from whole seconds, hours without leading zeros; a negative
// count is taken as 0.
QString SecondsToClock(int32_t seconds);

}  // namespace fw
