#include "engine/HookStage.h"

#include "engine/MediaInput.h"

#include <QImage>

#include <algorithm>
#include <system_error>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace fw::engine {
namespace {

// How many rows of the picture's height plane p of `d` holds, as a right shift.
int PlaneShift(const AVPixFmtDescriptor* d, int p) {
    if (!d || (d->flags & AV_PIX_FMT_FLAG_RGB)) return 0;
    for (int c = 1; c < std::min<int>(d->nb_components, 3); ++c)
        if (d->comp[c].plane == p && d->comp[0].plane != p) return d->log2_chroma_h;
    return 0;
}

// Whether rows of this format can be converted and copied band by band.
bool RowsWork(const AVPixFmtDescriptor* d) {
    return d && !(d->flags &
                  (AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_HWACCEL));
}

// The frame's plane pointers moved down to picture row y.
template <typename T>
void RowPointers(const AVFrame* f, int y, T* out[4]) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(AVPixelFormat(f->format));
    for (int p = 0; p < 4; ++p)
        out[p] =
            f->data[p] ? f->data[p] + ptrdiff_t(y >> PlaneShift(d, p)) * f->linesize[p] : nullptr;
}

// Copies every row of src outside [y0, y1) into dst (same format and size).
bool CopyRowsOutside(const AVFrame* src, AVFrame* dst, int y0, int y1) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(AVPixelFormat(src->format));
    int bytes[4] = {};
    if (av_image_fill_linesizes(bytes, AVPixelFormat(src->format), src->width) < 0) return false;
    for (int p = 0; p < 4 && src->data[p]; ++p) {
        const int shift = PlaneShift(d, p);
        const int rows = AV_CEIL_RSHIFT(src->height, shift);
        const int top = y0 >> shift, bottom = std::min(rows, AV_CEIL_RSHIFT(y1, shift));
        av_image_copy_plane(dst->data[p], dst->linesize[p], src->data[p], src->linesize[p],
                            bytes[p], top);
        if (bottom < rows)
            av_image_copy_plane(dst->data[p] + ptrdiff_t(bottom) * dst->linesize[p],
                                dst->linesize[p],
                                src->data[p] + ptrdiff_t(bottom) * src->linesize[p],
                                src->linesize[p], bytes[p], rows - bottom);
    }
    return true;
}

}  // namespace

// ------------------------------------------------------------ converters

bool TPictureConverter::Convert(const AVFrame* src, AVFrame* dst) {
    return ConvertRows(src, dst, 0, src->height);
}

bool TPictureConverter::ConvertRows(const AVFrame* src, AVFrame* dst, int y0, int y1) {
    const int rows = y1 - y0;
    if (rows <= 0 || src->width <= 0) return false;
    const Key want{src->width, rows, src->format, dst->format};
    if (!ctx_ || !(key_ == want)) {
        ctx_.reset(sws_alloc_context());
        if (!ctx_) return false;
        av_opt_set_int(ctx_.get(), "srcw", want.w, 0);
        av_opt_set_int(ctx_.get(), "srch", rows, 0);
        av_opt_set_int(ctx_.get(), "src_format", want.src, 0);
        av_opt_set_int(ctx_.get(), "dstw", want.w, 0);
        av_opt_set_int(ctx_.get(), "dsth", rows, 0);
        av_opt_set_int(ctx_.get(), "dst_format", want.dst, 0);
        av_opt_set_int(ctx_.get(), "sws_flags", SWS_BICUBIC, 0);
        av_opt_set_int(ctx_.get(), "threads", 1, 0);
        if (sws_init_context(ctx_.get(), nullptr, nullptr) < 0) {
            ctx_.reset();
            return false;
        }
        key_ = want;
    }
    const uint8_t* in[4];
    uint8_t* out[4];
    RowPointers(src, y0, in);
    RowPointers(dst, y0, out);
    return sws_scale(ctx_.get(), in, src->linesize, 0, rows, out, dst->linesize) > 0;
}

bool TFramePool::Get(AVFrame* out, int format, int w, int h) {
    av_frame_unref(out);
    const AVPixelFormat fmt = AVPixelFormat(format);
    if (w <= 0 || h <= 0) return false;
    if (!pool_ || w != w_ || h != h_ || format != format_) {
        // Room around the picture as decoders leave it (widths to 64 pixels,
        // heights to 32 rows): the converters' vector code writes whole
        // vectors and whole row pairs past odd right and bottom edges.
        int lines[4] = {};
        if (av_image_fill_linesizes(lines, fmt, FFALIGN(w, 64)) < 0) return false;
        size_t sizes[4] = {};
        ptrdiff_t strides[4] = {};
        for (int p = 0; p < 4; ++p) strides[p] = lines_[p] = FFALIGN(lines[p], 64);
        if (av_image_fill_plane_sizes(sizes, fmt, FFALIGN(h, 32), strides) < 0) return false;
        size_t total = 64;
        for (int p = 0; p < 4; ++p) total += (planeSizes_[p] = FFALIGN(sizes[p], 64));
        pool_.reset(av_buffer_pool_init(total, av_buffer_allocz));
        w_ = w;
        h_ = h;
        format_ = format;
    }
    if (!pool_) return false;
    out->buf[0] = av_buffer_pool_get(pool_.get());
    if (!out->buf[0]) return false;
    uint8_t* at = out->buf[0]->data;
    for (int p = 0; p < 4 && planeSizes_[p]; ++p) {
        out->data[p] = at;
        out->linesize[p] = lines_[p];
        at += planeSizes_[p];
    }
    out->width = w;
    out->height = h;
    out->format = format;
    return true;
}

void ChangedRows(const QRect& changed, int w, int h, int format, int* y0, int* y1) {
    const QRect r = changed.intersected(QRect(0, 0, w, h));
    *y0 = *y1 = 0;
    if (r.isEmpty()) return;
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(AVPixelFormat(format));
    const int step = d ? 1 << d->log2_chroma_h : 1;
    *y0 = r.top() / step * step;
    *y1 = std::min(h, (r.bottom() + step) / step * step);
}

// ------------------------------------------------------------ the stage

THookStage::THookStage(ITranscodeHost& host, int task) : host_(host), task_(task) {}

THookStage::~THookStage() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    cv_.notify_all();
    if (worker_.joinable()) worker_.join();
}

bool THookStage::Submit(const AVFrame* frame) {
    if (!in_ || !feed_ || !picture_ || !bgr_ || !back_) return false;
    if (av_frame_ref(in_.get(), frame) < 0) return false;
    busy_ = true;
    if (!worker_.joinable() && !inline_) {
        try {
            worker_ = std::thread(&THookStage::WorkerLoop, this);
        } catch (const std::system_error&) {
            inline_ = true;  // no thread to be had: the work is done right here
        }
    }
    if (inline_) {
        Process();
        done_ = true;
        return true;
    }
    {
        std::lock_guard lock(mutex_);
        job_ = true;
        done_ = false;
    }
    cv_.notify_all();
    return true;
}

void THookStage::Take(AVFrame* feed, AVFrame* picture) {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return done_; });
    done_ = false;
    busy_ = false;
    av_frame_move_ref(feed, feed_.get());
    av_frame_move_ref(picture, picture_.get());
}

void THookStage::WorkerLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        cv_.wait(lock, [&] { return job_ || quit_; });
        if (quit_) return;  // a frame not yet started is dropped with the conversion
        lock.unlock();
        Process();
        lock.lock();
        job_ = false;
        done_ = true;
        cv_.notify_all();
    }
}

// Hands in_ to the handler as a BGR picture. feed_ becomes what the filters
// get: the decoded frame itself when the handler changed nothing (so it is not
// worn by a colour round trip), else the frame with the changed rows converted
// back from the drawn picture. picture_ is what the preview shows.
void THookStage::Process() {
    const AVFrame* frame = in_.get();
    const int w = frame->width, h = frame->height;
    auto passOn = [&] {
        av_frame_ref(feed_.get(), frame);
        av_frame_ref(picture_.get(), frame);
        av_frame_unref(in_.get());
    };
    AVFrame* bgr = bgr_.get();
    if (!bgrPool_.Get(bgr, AV_PIX_FMT_BGR24, w, h)) return passOn();
    av_frame_copy_props(bgr, frame);
    if (!toBgr_.Convert(frame, bgr)) {
        av_frame_unref(bgr);
        return passOn();
    }
    QImage image(bgr->data[0], w, h, bgr->linesize[0], QImage::Format_BGR888);
    THookInfo info;
    info.TaskIndex = task_;
    info.FrameBitmap = &image;
    info.FrameCounter = counter_++;
    info.FrameTime =
        ToMicros(frame->pts, frame->time_base.num ? frame->time_base : AVRational{1, 1});
    info.ChangedRect = QRect(0, 0, w, h);
    QString error;
    if (!host_.CallHook(info, &error)) {
        active_ = false;
        av_frame_unref(bgr);
        return passOn();
    }
    if (!error.isEmpty()) {
        host_.Log("Error occurs OnCustomHook: " + error);
        info.WriteBack = false;
    }
    if (info.StopHooking) active_ = false;
    // A handler that swapped the picture for one of another size or format
    // cannot be used; the frame then goes on unchanged.
    if (image.constBits() != bgr->data[0] || image.width() != w || image.height() != h ||
        image.format() != QImage::Format_BGR888)
        info.WriteBack = false;
    int y0 = 0, y1 = 0;
    if (info.WriteBack) ChangedRows(info.ChangedRect, w, h, frame->format, &y0, &y1);
    if (y0 == y1) {
        av_frame_unref(bgr);
        return passOn();
    }
    AVFrame* back = back_.get();
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
    bool ok = sws_isSupportedOutput(AVPixelFormat(frame->format)) &&
              backPool_.Get(back, frame->format, w, h);
    if (ok) {
        av_frame_copy_props(back, frame);
        ok = (y0 == 0 && y1 == h) || !RowsWork(d) ? fromBgr_.Convert(bgr, back)
                                                  : CopyRowsOutside(frame, back, y0, y1) &&
                                                        fromBgrRows_.ConvertRows(bgr, back, y0, y1);
    }
    if (!ok) {
        av_frame_unref(back);
        av_frame_ref(back, bgr);  // the filters take the BGR picture as it is
    }
    av_frame_move_ref(feed_.get(), back);
    // The drawn picture is kept for the preview only when one is shown; its
    // buffer otherwise goes straight back to the pool.
    if (host_.WantsPreview())
        av_frame_move_ref(picture_.get(), bgr);
    else
        av_frame_ref(picture_.get(), feed_.get());
    av_frame_unref(bgr);
    av_frame_unref(in_.get());
}

}  // namespace fw::engine
