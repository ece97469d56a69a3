#include "engine/MediaInput.h"

namespace fw::engine {

int TMediaInput::Interrupt(void* opaque) {
    const auto* self = static_cast<const TMediaInput*>(opaque);
    return self->stop_ && self->stop_->load(std::memory_order_relaxed) ? 1 : 0;
}

bool TMediaInput::Open(const QString& fileName, const QString& formatName, Dict* options,
                       const std::atomic<bool>* stop, QString* error) {
    ctx_.reset();
    stop_ = stop;
    const AVInputFormat* fmt = nullptr;
    if (!formatName.isEmpty()) {
        fmt = av_find_input_format(formatName.toUtf8().constData());
        if (!fmt) {
            if (error) *error = QString("Unknown input format: '%1'").arg(formatName);
            return false;
        }
    }
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) {
        if (error) *error = AvError(AVERROR(ENOMEM));
        return false;
    }
    raw->interrupt_callback.callback = &TMediaInput::Interrupt;
    raw->interrupt_callback.opaque = this;
    Dict local;
    Dict* opts = options ? options : &local;
    // On failure avformat_open_input frees the context itself.
    int ret = avformat_open_input(&raw, fileName.toUtf8().constData(), fmt, opts->Ptr());
    if (ret < 0) {
        if (error) *error = QString("%1: %2").arg(fileName, AvError(ret));
        return false;
    }
    InputContextPtr ctx(raw);
    ret = avformat_find_stream_info(ctx.get(), nullptr);
    if (ret < 0) {
        if (error) *error = QString("%1: %2").arg(fileName, AvError(ret));
        return false;
    }
    if (ctx->nb_streams == 0) {
        if (error) *error = QString("%1: no streams found").arg(fileName);
        return false;
    }
    ctx_ = std::move(ctx);
    return true;
}

int64_t TMediaInput::StartTime() const {
    return ctx_ && ctx_->start_time != AV_NOPTS_VALUE ? ctx_->start_time : 0;
}

int TMediaInput::BestStream(AVMediaType type, int programId) const {
    if (!ctx_) return -1;
    if (programId >= 0) {
        for (unsigned p = 0; p < ctx_->nb_programs; ++p) {
            const AVProgram* prog = ctx_->programs[p];
            if (prog->id != programId) continue;
            for (unsigned k = 0; k < prog->nb_stream_indexes; ++k) {
                const unsigned s = prog->stream_index[k];
                if (s < ctx_->nb_streams && ctx_->streams[s]->codecpar->codec_type == type)
                    return int(s);
            }
            return -1;
        }
    }
    const int s = av_find_best_stream(ctx_.get(), type, -1, -1, nullptr, 0);
    if (s >= 0) return s;
    // av_find_best_stream skips streams without a decoder; fall back to the first of the kind.
    for (unsigned i = 0; i < ctx_->nb_streams; ++i)
        if (ctx_->streams[i]->codecpar->codec_type == type &&
            !(ctx_->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return int(i);
    return -1;
}

bool TStreamDecoder::Open(const AVStream* stream, Dict* options, QString* error) {
    ctx_.reset();
    nextPts_ = AV_NOPTS_VALUE;
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) {
        if (error)
            *error = QString("No decoder for codec %1 of stream #%2")
                         .arg(avcodec_get_name(stream->codecpar->codec_id))
                         .arg(stream->index);
        return false;
    }
    CodecContextPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx) {
        if (error) *error = AvError(AVERROR(ENOMEM));
        return false;
    }
    int ret = avcodec_parameters_to_context(ctx.get(), stream->codecpar);
    if (ret >= 0) {
        ctx->pkt_timebase = stream->time_base;
        ctx->thread_count = 0;  // the codec picks its thread count
        Dict local;
        Dict* opts = options ? options : &local;
        if (!opts->Has("threads")) opts->Set("threads", "auto");
        ret = avcodec_open2(ctx.get(), codec, opts->Ptr());
    }
    if (ret < 0) {
        if (error)
            *error = QString("Error while opening decoder for stream #%1: %2")
                         .arg(stream->index)
                         .arg(AvError(ret));
        return false;
    }
    timeBase_ = stream->time_base;
    ctx_ = std::move(ctx);
    return true;
}

int TStreamDecoder::Send(const AVPacket* packet) {
    if (!ctx_) return AVERROR(EINVAL);
    return avcodec_send_packet(ctx_.get(), packet);
}

int TStreamDecoder::Receive(AVFrame* frame) {
    if (!ctx_) return AVERROR_EOF;
    const int ret = avcodec_receive_frame(ctx_.get(), frame);
    if (ret < 0) return ret;
    int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) pts = nextPts_;
    if (pts == AV_NOPTS_VALUE) pts = 0;
    frame->pts = pts;
    // Where the next frame should start when it carries no time of its own.
    int64_t duration = 0;
    if (ctx_->codec_type == AVMEDIA_TYPE_AUDIO && frame->sample_rate > 0)
        duration = av_rescale_q(frame->nb_samples, AVRational{1, frame->sample_rate}, timeBase_);
    else if (frame->pkt_duration > 0)
        duration = frame->pkt_duration;
    else if (ctx_->framerate.num > 0 && ctx_->framerate.den > 0)
        duration = av_rescale_q(1, av_inv_q(ctx_->framerate), timeBase_);
    nextPts_ = pts + std::max<int64_t>(duration, 1);
    return 0;
}

void TStreamDecoder::Flush() {
    if (ctx_) avcodec_flush_buffers(ctx_.get());
    nextPts_ = AV_NOPTS_VALUE;
}

}  // namespace fw::engine
