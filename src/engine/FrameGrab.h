// Still pictures from a file: the decoded frame at (or first after) a time,
// at the source size, as bytes blue, green, red.
#pragma once

#include <QImage>
#include <QString>

#include <cstdint>

namespace fw::engine {

// `micros` counts from the start of the file. A time past the last frame
// gives the last frame. False with *error set when the file has no decodable
// video.
bool GrabFrameAt(const QString& file, int64_t micros, QImage* bgrFrame, QString* error);

}  // namespace fw::engine
