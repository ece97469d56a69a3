// Demuxing and decoding shared by the prober, the encoder, the frame grabber
// and the preview player: one opened input with a stop check that interrupts
// blocking reads, and per-stream decoders that hand out frames with usable
// time stamps.
#pragma once

#include "engine/FFmpegPtr.h"

#include <QString>

#include <atomic>

namespace fw::engine {

class TMediaInput {
  public:
    TMediaInput() = default;
    TMediaInput(const TMediaInput&) = delete;
    TMediaInput& operator=(const TMediaInput&) = delete;

    // Opens and analyses the file. `formatName` forces the demuxer (empty:
    // detect). `options` receives the options the demuxer did not take.
    // `stop`, when given, aborts blocking reads as soon as it becomes true.
    bool Open(const QString& fileName, const QString& formatName, Dict* options,
              const std::atomic<bool>* stop, QString* error);
    void Close() { ctx_.reset(); }

    AVFormatContext* Context() const { return ctx_.get(); }
    bool IsOpen() const { return ctx_ != nullptr; }
    // Start time of the file in microseconds, 0 when the file has none.
    int64_t StartTime() const;
    int BestStream(AVMediaType type, int programId = -1) const;

  private:
    static int Interrupt(void* opaque);
    InputContextPtr ctx_;
    const std::atomic<bool>* stop_ = nullptr;
};

// Decoder of one stream. Frames come out with `pts` set to the best-effort
// time stamp in the stream's time base, or continued from the previous frame
// when the file carries none, so callers never see a frame without a time.
class TStreamDecoder {
  public:
    bool Open(const AVStream* stream, Dict* options, QString* error);
    AVCodecContext* Context() const { return ctx_.get(); }
    AVRational TimeBase() const { return timeBase_; }
    // Sends a packet (nullptr starts draining). Errors in the data are not
    // fatal: the caller counts them and goes on with the next packet.
    int Send(const AVPacket* packet);
    // 0 with a frame, AVERROR(EAGAIN) when it needs input, AVERROR_EOF at the end.
    int Receive(AVFrame* frame);
    void Flush();

  private:
    CodecContextPtr ctx_;
    AVRational timeBase_{1, 1};
    int64_t nextPts_ = AV_NOPTS_VALUE;
};

// Microseconds <-> a stream's time base.
inline int64_t ToMicros(int64_t ts, AVRational tb) {
    return ts == AV_NOPTS_VALUE ? AV_NOPTS_VALUE
                                : av_rescale_q(ts, tb, AVRational{1, AV_TIME_BASE});
}

}  // namespace fw::engine
