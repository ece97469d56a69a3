// RAII owners for FFmpeg objects: every object the engine allocates is held by
// one of these, so no error path can leak or double-free.
#pragma once

#include <QString>

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace fw::engine {

struct InputContextDeleter {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecContextDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FilterGraphDeleter {
    void operator()(AVFilterGraph* g) const { avfilter_graph_free(&g); }
};
struct SwsDeleter {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct BufferPoolDeleter {
    void operator()(AVBufferPool* p) const { av_buffer_pool_uninit(&p); }
};
// An output context owns its I/O context as well.
struct OutputContextDeleter {
    void operator()(AVFormatContext* c) const {
        if (!c) return;
        if (c->oformat && !(c->oformat->flags & AVFMT_NOFILE)) avio_closep(&c->pb);
        avformat_free_context(c);
    }
};

using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphDeleter>;
using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;
using BufferPoolPtr = std::unique_ptr<AVBufferPool, BufferPoolDeleter>;

// An AVDictionary with value semantics limited to what the engine needs.
class Dict {
  public:
    Dict() = default;
    Dict(const Dict& o) { av_dict_copy(&d_, o.d_, 0); }
    Dict& operator=(const Dict& o) {
        if (this != &o) {
            av_dict_free(&d_);
            av_dict_copy(&d_, o.d_, 0);
        }
        return *this;
    }
    ~Dict() { av_dict_free(&d_); }
    void Set(const char* key, const QString& value) {
        av_dict_set(&d_, key, value.toUtf8().constData(), 0);
    }
    void Set(const QString& key, const QString& value) { Set(key.toUtf8().constData(), value); }
    void SetInt(const char* key, int64_t value) { av_dict_set_int(&d_, key, value, 0); }
    bool Has(const char* key) const { return av_dict_get(d_, key, nullptr, 0) != nullptr; }
    QString Get(const char* key) const {
        const AVDictionaryEntry* e = av_dict_get(d_, key, nullptr, 0);
        return e ? QString::fromUtf8(e->value) : QString();
    }
    void Remove(const char* key) { av_dict_set(&d_, key, nullptr, 0); }
    int Count() const { return av_dict_count(d_); }
    // The first key left, or empty.
    QString FirstKey() const {
        const AVDictionaryEntry* e = av_dict_get(d_, "", nullptr, AV_DICT_IGNORE_SUFFIX);
        return e ? QString::fromUtf8(e->key) : QString();
    }
    AVDictionary** Ptr() { return &d_; }
    const AVDictionary* Raw() const { return d_; }

  private:
    AVDictionary* d_ = nullptr;
};

// FFmpeg's message for an error code.
inline QString AvError(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return QString::fromUtf8(buf);
}

}  // namespace fw::engine
