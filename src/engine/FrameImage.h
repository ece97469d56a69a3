// Decoded frames as the hooks and the previews see them: 24-bit BGR pictures.
#pragma once

#include "engine/FFmpegPtr.h"

#include <QImage>

namespace fw::engine {

// Converts a decoded frame into a BGR picture of its own size, exactly as the
// per-frame hook receives it. The converter's vector code writes past the
// right and bottom edges of odd-sized pictures, so it writes into a padded
// frame and the rows are copied out. `cache` (optional) keeps the converter
// between calls.
bool FrameToBgrImage(const AVFrame* frame, QImage* out, SwsPtr* cache = nullptr);

}  // namespace fw::engine
