// The error type the media engine throws for refused operations; the
// application-wide handler shows its message.
#pragma once

#include <QString>

#include <stdexcept>

namespace fw::engine {

class FFmpegException : public std::runtime_error {
  public:
    explicit FFmpegException(const QString& message) : std::runtime_error(message.toStdString()) {}
};

}  // namespace fw::engine
