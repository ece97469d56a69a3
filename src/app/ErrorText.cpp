#include "app/ErrorText.h"

namespace fw {

QString ApplicationErrorText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') return message + QLatin1Char('.');
    return message;
}

}  // namespace fw
