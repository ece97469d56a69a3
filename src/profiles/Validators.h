// Tests of whether a stored or typed choice is a number.
//
// Accepted forms (no blanks anywhere, an empty text fails both):
// - IsIntegerText: an optional "+" or "-", then decimal digits, within the
//   32-bit range. No hexadecimal, no decimal point, no exponent.
// - IsNumberText: an optional "+" or "-", decimal digits with at most one "."
//   (at least one digit in all: "5.", ".5" and "5" pass), then an optional
//   exponent "e" or "E" with an optional sign and digits. The value must be
//   finite; no hexadecimal, "inf" or "nan", and "," is not a decimal point.
#pragma once

#include <QString>

namespace fw {

bool IsIntegerText(const QString& text);
bool IsNumberText(const QString& text);

}  // namespace fw
