#include "engine/FrameImage.h"

#include <cstring>

namespace fw::engine {

bool FrameToBgrImage(const AVFrame* f, QImage* out, SwsPtr* cache) {
    if (!f || f->width <= 0 || f->height <= 0 || !out) return false;
    QImage image(f->width, f->height, QImage::Format_BGR888);
    if (image.isNull()) return false;
    const uint8_t* rows = f->data[0];
    int stride = f->linesize[0];
    FramePtr bgr;
    if (f->format != AV_PIX_FMT_BGR24) {
        SwsPtr local;
        SwsPtr& sws = cache ? *cache : local;
        sws.reset(sws_getCachedContext(sws.release(), f->width, f->height, AVPixelFormat(f->format),
                                       f->width, f->height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr,
                                       nullptr, nullptr));
        bgr.reset(av_frame_alloc());
        if (!sws || !bgr) return false;
        bgr->format = AV_PIX_FMT_BGR24;
        bgr->width = f->width;
        bgr->height = f->height;
        if (av_frame_get_buffer(bgr.get(), 0) < 0) return false;  // padded like decoder frames
        if (sws_scale(sws.get(), f->data, f->linesize, 0, f->height, bgr->data, bgr->linesize) <= 0)
            return false;
        rows = bgr->data[0];
        stride = bgr->linesize[0];
    }
    for (int y = 0; y < f->height; ++y)
        memcpy(image.scanLine(y), rows + ptrdiff_t(y) * stride, size_t(f->width) * 3);
    *out = std::move(image);
    return true;
}

}  // namespace fw::engine
