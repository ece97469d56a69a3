// The text shown for an error that reached the application-wide handler (the
// windows and the command-line front end use the same rule).
#pragma once

#include <QString>

namespace fw {

// The message with a full stop appended when its last character sorts after
// "." (so "failed" gets one, while "done.", "stop!" and "(x)" stay as they are).
QString ApplicationErrorText(const QString& message);

}  // namespace fw
