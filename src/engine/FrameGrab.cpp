#include "engine/FrameGrab.h"

#include "engine/FrameImage.h"
#include "engine/MediaInput.h"

extern "C" {
#include <libavutil/imgutils.h>
}

namespace fw::engine {

bool GrabFrameAt(const QString& file, int64_t micros, QImage* bgrFrame, QString* error) {
    QString localError;
    QString* err = error ? error : &localError;
    TMediaInput input;
    if (!input.Open(file, {}, nullptr, nullptr, err)) return false;
    const int index = input.BestStream(AVMEDIA_TYPE_VIDEO);
    if (index < 0) {
        *err = "no video stream.";
        return false;
    }
    AVFormatContext* ic = input.Context();
    const AVStream* st = ic->streams[index];
    TStreamDecoder dec;
    Dict opts;
    if (!dec.Open(st, &opts, err)) return false;
    micros = std::max<int64_t>(0, micros);
    const int64_t target = micros + input.StartTime();
    if (micros > 0) avformat_seek_file(ic, -1, INT64_MIN, target, target, 0);
    const int64_t targetTs = av_rescale_q(target, AVRational{1, AV_TIME_BASE}, st->time_base);
    // Half a frame of slack so that a frame whose time rounds just below the
    // asked one still counts as "at" it.
    AVRational fr = av_guess_frame_rate(ic, const_cast<AVStream*>(st), nullptr);
    const int64_t slack =
        fr.num > 0 && fr.den > 0 ? av_rescale_q(1, av_inv_q(fr), st->time_base) / 2 : 0;

    PacketPtr pkt(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    FramePtr last(av_frame_alloc());
    if (!pkt || !frame || !last) {
        *err = AvError(AVERROR(ENOMEM));
        return false;
    }
    bool draining = false;
    int lastError = 0;
    for (;;) {
        if (!draining) {
            const int r = av_read_frame(ic, pkt.get());
            if (r < 0) {
                draining = true;
                dec.Send(nullptr);
            } else {
                if (pkt->stream_index == index) {
                    const int s = dec.Send(pkt.get());
                    if (s < 0 && s != AVERROR(EAGAIN)) lastError = s;
                }
                av_packet_unref(pkt.get());
            }
        }
        for (;;) {
            const int r = dec.Receive(frame.get());
            if (r == AVERROR(EAGAIN)) break;
            if (r < 0) {
                if (r != AVERROR_EOF) lastError = r;
                if (draining || r == AVERROR_EOF) {
                    if (last->buf[0])
                        return FrameToBgrImage(last.get(), bgrFrame) ||
                               (*err = "cannot convert the frame", false);
                    *err = lastError ? AvError(lastError) : QString("no frame could be decoded.");
                    return false;
                }
                break;
            }
            if (frame->pts + slack >= targetTs) {
                const bool ok = FrameToBgrImage(frame.get(), bgrFrame);
                if (!ok) *err = "cannot convert the frame";
                return ok;
            }
            av_frame_unref(last.get());
            av_frame_move_ref(last.get(), frame.get());
        }
    }
}

}  // namespace fw::engine
