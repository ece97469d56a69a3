#include "engine/Transcoder.h"

#include "engine/FrameImage.h"
#include "engine/HookStage.h"
#include "engine/MediaInput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/dv_profile.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/intreadwrite.h>
#include <libavutil/opt.h>
#include <libavutil/parseutils.h>
#include <libavutil/pixdesc.h>
#include <libavutil/time.h>
}

namespace fw::engine {
namespace {

using Clock = std::chrono::steady_clock;
constexpr AVRational kMicros{1, AV_TIME_BASE};

QString Seconds(int64_t micros) {
    return QString::number(double(micros) / 1e6, 'f', 6);
}

struct ChannelLayout {
    AVChannelLayout l{};
    ChannelLayout() = default;
    ChannelLayout(const ChannelLayout&) = delete;
    ChannelLayout& operator=(const ChannelLayout&) = delete;
    ~ChannelLayout() { av_channel_layout_uninit(&l); }
    void CopyFrom(const AVChannelLayout& o) {
        av_channel_layout_uninit(&l);
        av_channel_layout_copy(&l, &o);
    }
    QString Describe() const {
        char buf[128] = {};
        if (l.order == AV_CHANNEL_ORDER_UNSPEC ||
            av_channel_layout_describe(&l, buf, sizeof buf) < 0) {
            AVChannelLayout def{};
            av_channel_layout_default(&def, std::max(1, l.nb_channels));
            av_channel_layout_describe(&def, buf, sizeof buf);
            av_channel_layout_uninit(&def);
        }
        return QString::fromUtf8(buf);
    }
};

struct OutStream {
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    int inIndex = -1;
    const AVStream* in = nullptr;
    AVStream* st = nullptr;
    bool copy = false;
    TStreamDecoder dec;
    CodecContextPtr enc;
    FilterGraphPtr graph;
    AVFilterContext* src = nullptr;
    AVFilterContext* sink = nullptr;
    // What the graph was built for.
    int gW = 0, gH = 0, gFmt = -1, gRate = 0;
    ChannelLayout gLayout;
    // Video settings decided at set-up.
    AVRational frameRate{25, 1};
    bool cfr = false;
    const AVCodec* codec = nullptr;
    QString formatFilter;  // "format=..." ahead of the encoder, empty when it takes anything
    // State.
    bool done = false;
    int64_t lastPts = AV_NOPTS_VALUE;  // encoder time base
    int64_t nextPts = 0;               // audio, encoder time base
    int64_t lastDts = AV_NOPTS_VALUE;  // stream time base
    int64_t packets = 0;
    int64_t feedEnd =
        AV_NOPTS_VALUE;  // end of the last frame given to the filters, stream time base
    int64_t offset = 0;  // subtracted from input time stamps, stream time base
};

class Transcoder {
  public:
    Transcoder(ITranscodeHost& host, int task, const TInputOptions& in, const TOutputOptions& out)
        : host_(host), task_(task), inOpts_(in), outOpts_(out) {}
    ~Transcoder() { RemoveTemporary(); }
    TTranscodeResult Run();

  private:
    bool Fail(const QString& message) {
        if (error_.isEmpty()) error_ = message;
        return false;
    }
    bool Stopped() const { return host_.StopFlag().load(std::memory_order_relaxed); }
    bool OpenInput();
    bool CreateOutput();
    bool AddVideo(int inIndex);
    bool AddAudio(int inIndex);
    bool AddCopy(int inIndex, AVMediaType type);
    bool OpenOutStream(int inIndex, AVMediaType type, const QString& codecName,
                       std::unique_ptr<OutStream>* out, bool* formatTakesNone);
    bool BuildVideoGraph(OutStream& os, int w, int h, int fmt, AVRational sar);
    bool BuildAudioGraph(OutStream& os, const AVFrame* sample);
    bool ConfigureGraph(OutStream& os, const QString& chain, const char* srcName,
                        const QString& srcArgs, const char* sinkName);
    bool OpenVideoEncoder(OutStream& os);
    bool OpenAudioEncoder(OutStream& os, const AVCodec* codec);
    bool Loop();
    bool HandlePacket(AVPacket* pkt);
    bool DecodeAndProcess(OutStream& os, const AVPacket* pkt);
    bool ProcessVideo(OutStream& os, AVFrame* frame);
    bool FeedVideo(OutStream& os, AVFrame* feed, const AVFrame* picture);
    bool FeedHooked(OutStream& os);
    bool FeedTaken(OutStream& os);
    bool ProcessAudio(OutStream& os, AVFrame* frame);
    bool Pull(OutStream& os);
    bool Encode(OutStream& os, AVFrame* frame);
    bool Mux(OutStream& os, AVPacket* pkt);
    bool FinishStream(OutStream& os);
    bool AllDone() const;
    void MaybeReport(bool force);
    bool Commit();
    void RemoveTemporary();

    ITranscodeHost& host_;
    const int task_;
    const TInputOptions inOpts_;
    const TOutputOptions outOpts_;
    TInputPlan inPlan_;
    TOutputPlan outPlan_;
    QString error_;

    TMediaInput input_;
    OutputContextPtr oc_;
    QString finalName_;
    QByteArray tempName_;
    bool tempExists_ = false;
    std::vector<std::unique_ptr<OutStream>> streams_;
    std::vector<OutStream*> byInput_;

    // Time line: input time stamps (microseconds) + offsetMicros_.
    int64_t offsetMicros_ = 0;
    int64_t startT_ = kNoValue;  // frames before are dropped
    int64_t endT_ = kNoValue;    // first frame at or past ends the stream
    int64_t outShift_ = 0;       // subtracted from the output time stamps, microseconds

    PacketPtr pkt_{av_packet_alloc()};
    PacketPtr encPkt_{av_packet_alloc()};
    FramePtr frame_{av_frame_alloc()};
    FramePtr filtered_{av_frame_alloc()};

    // Per-frame hook: a stage of its own while the output asks for it.
    std::unique_ptr<THookStage> hook_;
    FramePtr hookFeed_{av_frame_alloc()};
    FramePtr hookPicture_{av_frame_alloc()};

    // Progress.
    FramePtr lastPicture_{av_frame_alloc()};
    int64_t lastPictureTime_ = 0;
    int pictureCounter_ = 0;
    SwsPtr previewSws_;
    Clock::time_point started_ = Clock::now();
    Clock::time_point lastReport_ = Clock::now();
    int64_t pausedMs_ = 0;
    int64_t videoFrames_ = 0;
    int64_t currentTime_ = 0;
    float quality_ = 0.0f;
    int64_t totalTime_ = 0;
    int decodeErrors_ = 0;
    QString lastDecodeError_;
};

TTranscodeResult Transcoder::Run() {
    TTranscodeResult r;
    auto finish = [&](bool ok) {
        if (!ok && Stopped()) {
            r.Finished = false;
            r.Failed = false;
            r.ErrorText.clear();
        } else {
            r.Finished = ok;
            r.Failed = !ok;
            r.ErrorText = ok ? QString() : error_;
        }
        return r;
    };
    if (!pkt_ || !encPkt_ || !frame_ || !filtered_ || !hookFeed_ || !hookPicture_ || !lastPicture_)
        return finish(Fail(AvError(AVERROR(ENOMEM))));
    if (!BuildInputPlan(inOpts_, &inPlan_, &error_)) return finish(false);
    if (!BuildOutputPlan(outOpts_, &outPlan_, &error_)) return finish(false);
    if (outPlan_.FileName.isEmpty()) return finish(Fail("No output file set for the task"));
    finalName_ = QFileInfo(outPlan_.FileName).absoluteFilePath();
    if (QFileInfo(finalName_).exists() || QFileInfo(finalName_).isSymLink())
        return finish(Fail(QString("Output file already exists: %1").arg(finalName_)));
    if (Stopped()) return finish(false);
    if (!OpenInput() || !CreateOutput()) return finish(false);
    if (!Loop()) return finish(false);
    if (!Commit()) return finish(false);
    return finish(true);
}

// The process's file creation mask, read without changing it (umask() would
// briefly change it for every thread).
static mode_t CurrentUmask() {
    QFile status("/proc/self/status");
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (!line.startsWith("Umask:")) continue;
            bool ok = false;
            const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
            if (ok) return mode_t(mask);
        }
    }
    return 022;
}

bool Transcoder::OpenInput() {
    const QString file = inPlan_.FileName;
    if (!input_.Open(file, inPlan_.Format, &inPlan_.FormatOptions, &host_.StopFlag(), &error_))
        return false;
    AVFormatContext* ic = input_.Context();
    const int64_t inputStart = input_.StartTime();
    const int64_t ss = inPlan_.StartTime != kNoValue ? inPlan_.StartTime : 0;
    if (inPlan_.StartTime != kNoValue && inPlan_.StartTime > 0) {
        const int64_t ts = inputStart + inPlan_.StartTime;
        // Lands on the key frame at or before the start; the frames between it
        // and the start are decoded and dropped.
        if (avformat_seek_file(ic, -1, INT64_MIN, ts, ts, 0) < 0)
            host_.Log(QString("%1: could not seek to position %2").arg(file, Seconds(ts)));
    }
    const int64_t base = outPlan_.CopyTimestamps ? inputStart + ss : 0;
    offsetMicros_ = outPlan_.CopyTimestamps ? 0 : -(inputStart + ss);
    const int64_t outStart = outPlan_.StartTime != kNoValue ? outPlan_.StartTime : 0;
    if (inPlan_.StartTime != kNoValue || outPlan_.StartTime != kNoValue) startT_ = base + outStart;
    if (outPlan_.RecordingTime != kNoValue) endT_ = base + outStart + outPlan_.RecordingTime;
    if (inPlan_.Duration != kNoValue) {
        const int64_t e = base + inPlan_.Duration;
        endT_ = endT_ == kNoValue ? e : std::min(endT_, e);
    }
    outShift_ = outStart + (outPlan_.CopyTimestamps ? 0 : 0);

    // What the progress reports count towards.
    if (outPlan_.RecordingTime != kNoValue) {
        totalTime_ = outPlan_.RecordingTime;
    } else if (ic->duration != AV_NOPTS_VALUE && ic->duration > 0) {
        totalTime_ = std::max<int64_t>(0, ic->duration - ss - outStart);
    }
    if (inPlan_.Duration != kNoValue)
        totalTime_ = std::min(totalTime_ ? totalTime_ : inPlan_.Duration, inPlan_.Duration);
    byInput_.assign(ic->nb_streams, nullptr);
    return true;
}

bool Transcoder::CreateOutput() {
    const QByteArray finalUtf8 = finalName_.toUtf8();
    const AVOutputFormat* fmt = nullptr;
    if (!outPlan_.Format.isEmpty()) {
        fmt = av_guess_format(outPlan_.Format.toUtf8().constData(), nullptr, nullptr);
        if (!fmt) return Fail(QString("Unknown output format: '%1'").arg(outPlan_.Format));
    } else {
        fmt = av_guess_format(nullptr, finalUtf8.constData(), nullptr);
        if (!fmt)
            return Fail(QString("Unable to choose an output format for '%1'; use a standard "
                                "extension for the file name or name the format")
                            .arg(finalName_));
    }
    // The file is written under a hidden name beside the final one; the muxer
    // is named explicitly because that name has no useful extension.
    tempName_ = (TemporaryOutputPrefix(finalName_) + "XXXXXX").toUtf8();
    const int fd = mkstemp(tempName_.data());
    if (fd < 0) {
        const QString why = QString::fromLocal8Bit(strerror(errno));
        tempName_.clear();
        return Fail(QString("Cannot create the output file in %1: %2")
                        .arg(QFileInfo(finalName_).absolutePath(), why));
    }
    // mkstemp makes the file private; the output gets the usual permissions.
    ::fchmod(fd, 0666 & ~CurrentUmask());
    ::close(fd);
    tempExists_ = true;
    AVFormatContext* raw = nullptr;
    int ret = avformat_alloc_output_context2(&raw, fmt, nullptr, tempName_.constData());
    if (ret < 0 || !raw) return Fail(QString("Cannot create the output: %1").arg(AvError(ret)));
    oc_.reset(raw);

    AVFormatContext* ic = input_.Context();
    av_dict_copy(&oc_->metadata, ic->metadata, 0);
    av_dict_copy(&oc_->metadata, outPlan_.Metadata.Raw(), 0);

    const int pid = inPlan_.ProgramId;
    if (!inPlan_.NoVideo && !outPlan_.Video.Disabled) {
        const int v = input_.BestStream(AVMEDIA_TYPE_VIDEO, pid);
        if (v >= 0 && !(ic->streams[v]->disposition & AV_DISPOSITION_ATTACHED_PIC) && !AddVideo(v))
            return false;
    }
    if (!inPlan_.NoAudio && !outPlan_.Audio.Disabled) {
        const int a = input_.BestStream(AVMEDIA_TYPE_AUDIO, pid);
        if (a >= 0 && !AddAudio(a)) return false;
    }
    if (!inPlan_.NoSubtitles && !outPlan_.Subtitle.Disabled && !outPlan_.Subtitle.Codec.isEmpty()) {
        const int s = input_.BestStream(AVMEDIA_TYPE_SUBTITLE, pid);
        if (s >= 0) {
            if (outPlan_.Subtitle.Codec != "copy")
                return Fail(QString("Subtitle encoder '%1' is not supported; use copy")
                                .arg(outPlan_.Subtitle.Codec));
            if (!AddCopy(s, AVMEDIA_TYPE_SUBTITLE)) return false;
        }
    }
    if (streams_.empty()) return Fail("Output file does not contain any stream");

    if (!(oc_->oformat->flags & AVFMT_NOFILE)) {
        ret = avio_open2(&oc_->pb, tempName_.constData(), AVIO_FLAG_WRITE, nullptr, nullptr);
        if (ret < 0) return Fail(QString("%1: %2").arg(finalName_, AvError(ret)));
    }
    Dict mux = outPlan_.MuxOptions;
    ret = avformat_write_header(oc_.get(), mux.Ptr());
    if (ret < 0)
        return Fail(QString("Could not write header for output file (incorrect codec parameters "
                            "?): %1")
                        .arg(AvError(ret)));
    return true;
}

bool Transcoder::ConfigureGraph(OutStream& os, const QString& chain, const char* srcName,
                                const QString& srcArgs, const char* sinkName) {
    os.graph.reset(avfilter_graph_alloc());
    os.src = os.sink = nullptr;
    if (!os.graph) return Fail(AvError(AVERROR(ENOMEM)));
    AVFilterGraph* g = os.graph.get();
    g->nb_threads = 0;
    av_opt_set(g, "scale_sws_opts", "flags=bicubic", 0);
    int ret = avfilter_graph_create_filter(&os.src, avfilter_get_by_name(srcName), "in",
                                           srcArgs.toUtf8().constData(), nullptr, g);
    if (ret >= 0)
        ret = avfilter_graph_create_filter(&os.sink, avfilter_get_by_name(sinkName), "out", nullptr,
                                           nullptr, g);
    if (ret < 0) return Fail(QString("Cannot set up the filters: %1").arg(AvError(ret)));
    if (chain.isEmpty()) {
        ret = avfilter_link(os.src, 0, os.sink, 0);
    } else {
        AVFilterInOut* outputs = avfilter_inout_alloc();
        AVFilterInOut* inputs = avfilter_inout_alloc();
        if (!outputs || !inputs) {
            avfilter_inout_free(&outputs);
            avfilter_inout_free(&inputs);
            return Fail(AvError(AVERROR(ENOMEM)));
        }
        outputs->name = av_strdup("in");
        outputs->filter_ctx = os.src;
        inputs->name = av_strdup("out");
        inputs->filter_ctx = os.sink;
        ret = avfilter_graph_parse_ptr(g, chain.toUtf8().constData(), &inputs, &outputs, nullptr);
        avfilter_inout_free(&outputs);
        avfilter_inout_free(&inputs);
    }
    if (ret >= 0) ret = avfilter_graph_config(g, nullptr);
    if (ret < 0)
        return Fail(QString("Error in the filter chain '%1': %2").arg(chain, AvError(ret)));
    return true;
}

// Whether an encoder can really use a pixel format it lists: JPEG encoders
// take limited-range YUV only in a non-standard mode.
static bool PixelFormatServes(AVCodecID id, AVPixelFormat fmt) {
    if (id == AV_CODEC_ID_MJPEG || id == AV_CODEC_ID_LJPEG)
        return fmt != AV_PIX_FMT_YUV420P && fmt != AV_PIX_FMT_YUV422P && fmt != AV_PIX_FMT_YUV444P;
    return true;
}

bool Transcoder::BuildVideoGraph(OutStream& os, int w, int h, int fmt, AVRational sar) {
    QStringList f;
    const TOutputPlan& p = outPlan_;
    if (p.CropTop > 0 || p.CropBottom > 0 || p.CropLeft > 0 || p.CropRight > 0)
        f << QString("crop=w=iw-%1:h=ih-%2:x=%3:y=%4")
                 .arg(p.CropLeft + p.CropRight)
                 .arg(p.CropTop + p.CropBottom)
                 .arg(p.CropLeft)
                 .arg(p.CropTop);
    if (p.Width > 0 && p.Height > 0)
        f << QString("scale=%1:%2:flags=bicubic").arg(p.Width).arg(p.Height);
    // The aspect describes the picture as the frame size makes it; the
    // caller's filters (letterbox pads, for one) keep its pixel shape, so a
    // padded frame still shows the picture undistorted.
    if (!p.Aspect.isEmpty()) {
        QString a = p.Aspect;
        a.replace(':', '/');
        f << "setdar=dar=" + a;
    }
    if (!p.Filters.isEmpty()) f << p.Filters;
    if (os.cfr) f << QString("fps=fps=%1/%2").arg(os.frameRate.num).arg(os.frameRate.den);
    if (os.enc) {
        // Once the encoder is open its picture is fixed: a source that changes
        // size or format mid-stream is scaled back to it.
        f << QString("scale=%1:%2:flags=bicubic").arg(os.enc->width).arg(os.enc->height);
        f << QString("format=pix_fmts=%1").arg(av_get_pix_fmt_name(os.enc->pix_fmt));
    } else if (!os.formatFilter.isEmpty()) {
        f << os.formatFilter;
    }
    if (sar.num <= 0 || sar.den <= 0) sar = AVRational{0, 1};
    const QString args = QString(
                             "video_size=%1x%2:pix_fmt=%3:time_base=%4/%5:pixel_aspect=%6/%7:"
                             "frame_rate=%8/%9")
                             .arg(w)
                             .arg(h)
                             .arg(fmt)
                             .arg(os.in->time_base.num)
                             .arg(os.in->time_base.den)
                             .arg(sar.num)
                             .arg(sar.den)
                             .arg(os.frameRate.num)
                             .arg(os.frameRate.den);
    if (!ConfigureGraph(os, f.join(','), "buffer", args, "buffersink")) return false;
    os.gW = w;
    os.gH = h;
    os.gFmt = fmt;
    return true;
}

// The output stream of one kind for an input stream: its encoder (the named
// one, or the container's own for that kind) and its opened decoder.
// *formatTakesNone is set when the container has no codec of that kind.
bool Transcoder::OpenOutStream(int inIndex, AVMediaType type, const QString& codecName,
                               std::unique_ptr<OutStream>* out, bool* formatTakesNone) {
    const char* kind = type == AVMEDIA_TYPE_VIDEO ? "video" : "audio";
    const AVCodec* codec = nullptr;
    if (codecName.isEmpty()) {
        const AVCodecID id =
            av_guess_codec(oc_->oformat, nullptr, finalName_.toUtf8().constData(), nullptr, type);
        if (id == AV_CODEC_ID_NONE) {
            *formatTakesNone = true;
            return true;
        }
        codec = avcodec_find_encoder(id);
        if (!codec)
            return Fail(QString("No encoder for the %1 codec %2 of the %3 format")
                            .arg(kind, avcodec_get_name(id), oc_->oformat->name));
    } else {
        codec = FindEncoder(codecName, type, &error_);
        if (!codec) return false;
    }
    auto os = std::make_unique<OutStream>();
    os->type = type;
    os->inIndex = inIndex;
    os->in = input_.Context()->streams[inIndex];
    os->codec = codec;
    Dict decOpts = inPlan_.DecoderOptions;
    if (!os->dec.Open(os->in, &decOpts, &error_)) return false;
    *out = std::move(os);
    return true;
}

bool Transcoder::AddVideo(int inIndex) {
    AVFormatContext* ic = input_.Context();
    const AVStream* in = ic->streams[inIndex];
    const TStreamPlan& vp = outPlan_.Video;
    if (vp.Codec == "copy") return AddCopy(inIndex, AVMEDIA_TYPE_VIDEO);
    std::unique_ptr<OutStream> os;
    bool formatTakesNone = false;
    if (!OpenOutStream(inIndex, AVMEDIA_TYPE_VIDEO, vp.Codec, &os, &formatTakesNone))
        return false;
    if (formatTakesNone) return true;
    const AVCodec* codec = os->codec;
    const AVCodecContext* dc = os->dec.Context();
    if (dc->width <= 0 || dc->height <= 0 || dc->pix_fmt == AV_PIX_FMT_NONE)
        return Fail(
            QString("Could not find the picture size or format of input stream #%1").arg(inIndex));

    Dict codecOpts = vp.CodecOptions;
    QString pixFmt = outPlan_.PixelFormat;
    if (!vp.Preset.isEmpty() && !ApplyPreset(vp.Preset, codec, &codecOpts, &pixFmt, &error_))
        return false;
    if (!pixFmt.isEmpty()) {
        if (av_get_pix_fmt(pixFmt.toUtf8().constData()) == AV_PIX_FMT_NONE)
            return Fail(QString("Unknown pixel format requested: %1.").arg(pixFmt));
        os->formatFilter = "format=pix_fmts=" + pixFmt;
    } else if (codec->pix_fmts) {
        QStringList names;
        for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f) {
            if (!PixelFormatServes(codec->id, *f)) continue;
            names << av_get_pix_fmt_name(*f);
        }
        if (names.isEmpty())
            for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
                names << av_get_pix_fmt_name(*f);
        os->formatFilter = "format=pix_fmts=" + names.join('|');
    }

    // Frame rate and whether frames are duplicated or dropped to hold it.
    AVRational rate{0, 1};
    bool rateChanged = false;
    if (!outPlan_.FrameRate.isEmpty()) {
        if (av_parse_video_rate(&rate, outPlan_.FrameRate.toUtf8().constData()) < 0 ||
            rate.num <= 0 || rate.den <= 0)
            return Fail(QString("Invalid frame rate value: %1").arg(outPlan_.FrameRate));
        rateChanged = true;
    } else {
        rate = av_guess_frame_rate(ic, const_cast<AVStream*>(in), nullptr);
        if (rate.num <= 0 || rate.den <= 0) rate = AVRational{25, 1};
    }
    // Some codecs take only standard rates (MPEG-1/2): the nearest one is used.
    if (codec->supported_framerates) {
        const AVRational* list = codec->supported_framerates;
        const AVRational nearest = list[av_find_nearest_q_idx(rate, list)];
        if (av_cmp_q(nearest, rate) != 0) {
            rate = nearest;
            rateChanged = true;
        }
    }
    // Keep time bases within what MPEG-4 part 2 and similar codecs can signal.
    if (rate.den > 65535 || rate.num > 65535) {
        av_reduce(&rate.num, &rate.den, rate.num, rate.den, 65535);
        rateChanged = true;
    }
    os->frameRate = rate;
    int sync = outPlan_.VideoSync;
    if (sync < 0) {
        const int flags = oc_->oformat->flags;
        if (!strcmp(oc_->oformat->name, "avi"))
            sync = 2;
        else if (flags & AVFMT_VARIABLE_FPS)
            sync = (flags & AVFMT_NOTIMESTAMPS) ? 0 : 2;
        else
            sync = 1;
        if (rateChanged) sync = 1;
    }
    os->cfr = sync == 1;

    os->st = avformat_new_stream(oc_.get(), nullptr);
    if (!os->st) return Fail(AvError(AVERROR(ENOMEM)));
    if (!BuildVideoGraph(*os, dc->width, dc->height, dc->pix_fmt, dc->sample_aspect_ratio))
        return false;
    // DV fixes its sampling by the picture's norm (NTSC DV25 is 4:1:1, PAL
    // 4:2:0), which only the finished graph's size tells.
    if (codec->id == AV_CODEC_ID_DVVIDEO && pixFmt.isEmpty() && codec->pix_fmts) {
        const int w = av_buffersink_get_w(os->sink);
        const int h = av_buffersink_get_h(os->sink);
        if (!av_dv_codec_profile(w, h, AVPixelFormat(av_buffersink_get_format(os->sink)))) {
            for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f) {
                if (!av_dv_codec_profile(w, h, *f)) continue;
                os->formatFilter = QString("format=pix_fmts=") + av_get_pix_fmt_name(*f);
                if (!BuildVideoGraph(*os, dc->width, dc->height, dc->pix_fmt,
                                     dc->sample_aspect_ratio))
                    return false;
                break;
            }
        }
    }

    CodecContextPtr enc(avcodec_alloc_context3(codec));
    if (!enc) return Fail(AvError(AVERROR(ENOMEM)));
    enc->width = av_buffersink_get_w(os->sink);
    enc->height = av_buffersink_get_h(os->sink);
    enc->pix_fmt = AVPixelFormat(av_buffersink_get_format(os->sink));
    enc->sample_aspect_ratio = av_buffersink_get_sample_aspect_ratio(os->sink);
    enc->time_base = av_inv_q(rate);
    enc->framerate = rate;
    if (oc_->oformat->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (!vp.Tag.isEmpty()) {
        const QByteArray t = vp.Tag.toLatin1().leftJustified(4, ' ');
        enc->codec_tag = MKTAG(t[0], t[1], t[2], t[3]);
    }
    if (!codecOpts.Has("threads")) codecOpts.Set("threads", "auto");
    const int ret = avcodec_open2(enc.get(), codec, codecOpts.Ptr());
    if (ret < 0)
        return Fail(QString("Error while opening encoder %1 for the video (check bit rate, rate, "
                            "width and height): %2")
                        .arg(codec->name, AvError(ret)));
    if (avcodec_parameters_from_context(os->st->codecpar, enc.get()) < 0)
        return Fail(AvError(AVERROR(ENOMEM)));
    os->st->time_base = enc->time_base;
    os->st->avg_frame_rate = rate;
    os->st->sample_aspect_ratio = enc->sample_aspect_ratio;
    av_dict_copy(&os->st->metadata, in->metadata, 0);
    if (!vp.Language.isEmpty()) av_dict_set(&os->st->metadata, "language", vp.Language.toUtf8(), 0);
    os->enc = std::move(enc);
    os->offset = av_rescale_q(-offsetMicros_, kMicros, in->time_base);
    if (outPlan_.Hook) hook_ = std::make_unique<THookStage>(host_, task_);
    byInput_[inIndex] = os.get();
    streams_.push_back(std::move(os));
    return true;
}

bool Transcoder::BuildAudioGraph(OutStream& os, const AVFrame* sample) {
    const AVCodecContext* dc = os.dec.Context();
    const int rate = sample ? sample->sample_rate : dc->sample_rate;
    const int fmt = sample ? sample->format : dc->sample_fmt;
    if (sample)
        os.gLayout.CopyFrom(sample->ch_layout);
    else
        os.gLayout.CopyFrom(dc->ch_layout);
    if (rate <= 0 || fmt < 0 || os.gLayout.l.nb_channels <= 0)
        return Fail(
            QString("Could not find the sample rate, format or channels of input stream #%1")
                .arg(os.inIndex));
    QStringList f;
    if (startT_ != kNoValue || endT_ != kNoValue) {
        QStringList t;
        if (startT_ != kNoValue) t << "start=" + Seconds(startT_);
        if (endT_ != kNoValue) t << "end=" + Seconds(endT_);
        f << "atrim=" + t.join(':');
    }
    if (!outPlan_.AudioFilters.isEmpty()) f << outPlan_.AudioFilters;
    if (outPlan_.Volume >= 0 && outPlan_.Volume != 256)
        f << QString("volume=volume=%1").arg(double(outPlan_.Volume) / 256.0, 0, 'f', 6);
    if (outPlan_.AudioSync > 0) f << QString("aresample=async=%1").arg(outPlan_.AudioSync);
    const AVCodecContext* enc = os.enc.get();
    char layout[128] = {};
    av_channel_layout_describe(&enc->ch_layout, layout, sizeof layout);
    f << QString("aformat=sample_fmts=%1:sample_rates=%2:channel_layouts=%3")
             .arg(av_get_sample_fmt_name(enc->sample_fmt))
             .arg(enc->sample_rate)
             .arg(QString::fromUtf8(layout));
    const QString args = QString("time_base=%1/%2:sample_rate=%3:sample_fmt=%4:channel_layout=%5")
                             .arg(os.in->time_base.num)
                             .arg(os.in->time_base.den)
                             .arg(rate)
                             .arg(av_get_sample_fmt_name(AVSampleFormat(fmt)))
                             .arg(os.gLayout.Describe());
    if (!ConfigureGraph(os, f.join(','), "abuffer", args, "abuffersink")) return false;
    if (enc->frame_size > 0 && !(enc->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE))
        av_buffersink_set_frame_size(os.sink, enc->frame_size);
    os.gRate = rate;
    os.gFmt = fmt;
    return true;
}

bool Transcoder::AddAudio(int inIndex) {
    AVFormatContext* ic = input_.Context();
    const AVStream* in = ic->streams[inIndex];
    const TStreamPlan& ap = outPlan_.Audio;
    if (ap.Codec == "copy") return AddCopy(inIndex, AVMEDIA_TYPE_AUDIO);
    std::unique_ptr<OutStream> os;
    bool formatTakesNone = false;
    if (!OpenOutStream(inIndex, AVMEDIA_TYPE_AUDIO, ap.Codec, &os, &formatTakesNone))
        return false;
    if (formatTakesNone) return true;
    const AVCodec* codec = os->codec;
    const AVCodecContext* dc = os->dec.Context();

    Dict codecOpts = ap.CodecOptions;
    QString unusedPixFmt;
    if (!ap.Preset.isEmpty() && !ApplyPreset(ap.Preset, codec, &codecOpts, &unusedPixFmt, &error_))
        return false;

    CodecContextPtr enc(avcodec_alloc_context3(codec));
    if (!enc) return Fail(AvError(AVERROR(ENOMEM)));
    // Sample rate: as asked, else the source's, moved to the nearest the encoder takes.
    int rate = outPlan_.SampleRate > 0 ? outPlan_.SampleRate : dc->sample_rate;
    if (rate <= 0) rate = 44100;
    if (outPlan_.SampleRate <= 0 && codec->supported_samplerates) {
        int best = codec->supported_samplerates[0];
        for (const int* r = codec->supported_samplerates; *r; ++r)
            if (std::abs(*r - rate) < std::abs(best - rate)) best = *r;
        rate = best;
    }
    enc->sample_rate = rate;
    int channels = outPlan_.Channels > 0 ? outPlan_.Channels : dc->ch_layout.nb_channels;
    if (channels <= 0) channels = 2;
    av_channel_layout_default(&enc->ch_layout, channels);
    if (outPlan_.Channels <= 0 && codec->ch_layouts) {
        const AVChannelLayout* pick = nullptr;
        for (const AVChannelLayout* l = codec->ch_layouts; l->nb_channels; ++l) {
            if (!av_channel_layout_compare(l, &enc->ch_layout)) {
                pick = l;
                break;
            }
            if (!pick && l->nb_channels == channels) pick = l;
        }
        if (!pick) pick = codec->ch_layouts;
        av_channel_layout_uninit(&enc->ch_layout);
        av_channel_layout_copy(&enc->ch_layout, pick);
    }
    enc->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : dc->sample_fmt;
    if (codec->sample_fmts)
        for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
            if (*f == dc->sample_fmt) enc->sample_fmt = *f;
    if (enc->sample_fmt == AV_SAMPLE_FMT_NONE) enc->sample_fmt = AV_SAMPLE_FMT_S16;
    enc->time_base = AVRational{1, rate};
    if (oc_->oformat->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (!ap.Tag.isEmpty()) {
        const QByteArray t = ap.Tag.toLatin1().leftJustified(4, ' ');
        enc->codec_tag = MKTAG(t[0], t[1], t[2], t[3]);
    }
    if (!codecOpts.Has("threads")) codecOpts.Set("threads", "auto");
    const int ret = avcodec_open2(enc.get(), codec, codecOpts.Ptr());
    if (ret < 0)
        return Fail(QString("Error while opening encoder %1 for the audio (check bit rate, "
                            "sample rate and channels): %2")
                        .arg(codec->name, AvError(ret)));
    os->st = avformat_new_stream(oc_.get(), nullptr);
    if (!os->st) return Fail(AvError(AVERROR(ENOMEM)));
    if (avcodec_parameters_from_context(os->st->codecpar, enc.get()) < 0)
        return Fail(AvError(AVERROR(ENOMEM)));
    os->st->time_base = enc->time_base;
    av_dict_copy(&os->st->metadata, in->metadata, 0);
    if (!ap.Language.isEmpty()) av_dict_set(&os->st->metadata, "language", ap.Language.toUtf8(), 0);
    os->enc = std::move(enc);
    if (!BuildAudioGraph(*os, nullptr)) return false;
    os->offset = av_rescale_q(-offsetMicros_, kMicros, in->time_base);
    byInput_[inIndex] = os.get();
    streams_.push_back(std::move(os));
    return true;
}

bool Transcoder::AddCopy(int inIndex, AVMediaType type) {
    const AVStream* in = input_.Context()->streams[inIndex];
    auto os = std::make_unique<OutStream>();
    os->type = type;
    os->inIndex = inIndex;
    os->in = in;
    os->copy = true;
    os->st = avformat_new_stream(oc_.get(), nullptr);
    if (!os->st) return Fail(AvError(AVERROR(ENOMEM)));
    if (avcodec_parameters_copy(os->st->codecpar, in->codecpar) < 0)
        return Fail(AvError(AVERROR(ENOMEM)));
    os->st->codecpar->codec_tag = 0;
    os->st->time_base = in->time_base;
    os->st->avg_frame_rate = in->avg_frame_rate;
    os->st->sample_aspect_ratio = in->sample_aspect_ratio;
    av_dict_copy(&os->st->metadata, in->metadata, 0);
    os->offset = av_rescale_q(-offsetMicros_, kMicros, in->time_base);
    byInput_[inIndex] = os.get();
    streams_.push_back(std::move(os));
    return true;
}

bool Transcoder::AllDone() const {
    for (const auto& os : streams_)
        if (!os->done) return false;
    return true;
}

bool Transcoder::Loop() {
    AVFormatContext* ic = input_.Context();
    started_ = lastReport_ = Clock::now();
    for (;;) {
        if (Stopped()) return false;
        pausedMs_ += host_.WaitWhilePaused();
        if (Stopped()) return false;
        const int ret = av_read_frame(ic, pkt_.get());
        if (ret == AVERROR(EAGAIN)) {
            av_usleep(10000);
            continue;
        }
        if (ret < 0) {
            if (Stopped()) return false;
            if (ret != AVERROR_EOF)
                host_.Log(QString("%1: error while reading, stopping at %2: %3")
                              .arg(inPlan_.FileName, Seconds(currentTime_), AvError(ret)));
            break;
        }
        const bool ok = HandlePacket(pkt_.get());
        av_packet_unref(pkt_.get());
        if (!ok) return false;
        if (AllDone()) break;
        MaybeReport(false);
    }
    for (const auto& os : streams_)
        if (!FinishStream(*os)) return false;
    if (Stopped()) return false;
    int64_t packets = 0;
    for (const auto& os : streams_) packets += os->packets;
    if (packets == 0) {
        QString why = "Output file is empty, nothing was encoded";
        if (!lastDecodeError_.isEmpty()) why += " (" + lastDecodeError_ + ")";
        return Fail(why);
    }
    const int ret = av_write_trailer(oc_.get());
    if (ret < 0) return Fail(QString("Error writing trailer: %1").arg(AvError(ret)));
    MaybeReport(true);
    return true;
}

bool Transcoder::HandlePacket(AVPacket* pkt) {
    if (pkt->stream_index < 0 || size_t(pkt->stream_index) >= byInput_.size()) return true;
    OutStream* os = byInput_[pkt->stream_index];
    if (!os || os->done) return true;
    if (!os->copy) return DecodeAndProcess(*os, pkt);

    // Stream copy: shift into the output time line and keep the cut points.
    int64_t ts = pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
    if (ts != AV_NOPTS_VALUE) {
        const int64_t t = ToMicros(ts - os->offset, os->in->time_base);
        if (endT_ != kNoValue && t >= endT_) {
            os->done = true;
            return true;
        }
        if (startT_ != kNoValue && t < startT_) return true;
    }
    const int64_t shift = os->offset + av_rescale_q(outShift_, kMicros, os->in->time_base);
    if (pkt->pts != AV_NOPTS_VALUE) pkt->pts -= shift;
    if (pkt->dts != AV_NOPTS_VALUE) pkt->dts -= shift;
    av_packet_rescale_ts(pkt, os->in->time_base, os->st->time_base);
    pkt->pos = -1;
    return Mux(*os, pkt);
}

bool Transcoder::DecodeAndProcess(OutStream& os, const AVPacket* pkt) {
    int ret = os.dec.Send(pkt);
    if (ret < 0 && ret != AVERROR(EAGAIN) && ret != AVERROR_EOF) {
        // Damaged data: note it and go on with the next packet.
        ++decodeErrors_;
        lastDecodeError_ =
            QString("error decoding input stream #%1: %2").arg(os.inIndex).arg(AvError(ret));
        return true;
    }
    for (;;) {
        ret = os.dec.Receive(frame_.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) return true;
        if (ret < 0) {
            ++decodeErrors_;
            lastDecodeError_ =
                QString("error decoding input stream #%1: %2").arg(os.inIndex).arg(AvError(ret));
            return true;
        }
        const bool ok = os.type == AVMEDIA_TYPE_VIDEO ? ProcessVideo(os, frame_.get())
                                                      : ProcessAudio(os, frame_.get());
        av_frame_unref(frame_.get());
        if (!ok) return false;
        if (os.done || Stopped()) return true;
    }
}

bool Transcoder::ProcessVideo(OutStream& os, AVFrame* frame) {
    frame->pts -= os.offset;
    const int64_t t = ToMicros(frame->pts, os.in->time_base);
    if (endT_ != kNoValue && t >= endT_) {
        os.done = true;
        return true;
    }
    if (startT_ != kNoValue && t < startT_) return true;
    frame->time_base = os.in->time_base;
    if (!hook_) return FeedVideo(os, frame, frame);
    // The hook works on this frame while the one before is filtered and encoded.
    const bool before = hook_->Busy();
    if (before) hook_->Take(hookFeed_.get(), hookPicture_.get());
    const bool submitted = hook_->Active() && hook_->Submit(frame);
    if (before && !FeedTaken(os)) return false;
    return submitted || FeedVideo(os, frame, frame);
}

// The frame the hook is working on, if any, on to the filters.
bool Transcoder::FeedHooked(OutStream& os) {
    if (!hook_ || !hook_->Busy()) return true;
    hook_->Take(hookFeed_.get(), hookPicture_.get());
    return FeedTaken(os);
}

bool Transcoder::FeedTaken(OutStream& os) {
    const bool ok = FeedVideo(os, hookFeed_.get(), hookPicture_.get());
    av_frame_unref(hookFeed_.get());
    av_frame_unref(hookPicture_.get());
    return ok;
}

// Gives a frame to the video filters and encodes what comes out; `picture` is
// what the preview shows of it.
bool Transcoder::FeedVideo(OutStream& os, AVFrame* feed, const AVFrame* picture) {
    if (feed->width != os.gW || feed->height != os.gH || feed->format != os.gFmt) {
        if (!BuildVideoGraph(os, feed->width, feed->height, feed->format,
                             feed->sample_aspect_ratio))
            return false;
    }
    if (host_.WantsPreview()) {
        av_frame_unref(lastPicture_.get());
        av_frame_ref(lastPicture_.get(), picture);
        lastPictureTime_ = ToMicros(feed->pts, os.in->time_base) - outShift_;
        ++pictureCounter_;
    }
    int64_t duration = feed->pkt_duration;
    if (duration <= 0)
        duration = std::max<int64_t>(1, av_rescale_q(1, av_inv_q(os.frameRate), os.in->time_base));
    os.feedEnd = feed->pts + duration;
    const int ret = av_buffersrc_add_frame_flags(os.src, feed, 0);
    if (ret < 0) return Fail(QString("Error while filtering the video: %1").arg(AvError(ret)));
    return Pull(os);
}

bool Transcoder::ProcessAudio(OutStream& os, AVFrame* frame) {
    frame->pts -= os.offset;
    if (frame->sample_rate != os.gRate || frame->format != os.gFmt ||
        av_channel_layout_compare(&frame->ch_layout, &os.gLayout.l)) {
        if (!BuildAudioGraph(os, frame)) return false;
    }
    const int ret = av_buffersrc_add_frame_flags(os.src, frame, 0);
    if (ret < 0 && ret != AVERROR_EOF)
        return Fail(QString("Error while filtering the audio: %1").arg(AvError(ret)));
    return Pull(os);
}

bool Transcoder::Pull(OutStream& os) {
    for (;;) {
        const int ret = av_buffersink_get_frame(os.sink, filtered_.get());
        if (ret == AVERROR(EAGAIN)) return true;
        if (ret == AVERROR_EOF) {
            os.done = true;
            return true;
        }
        if (ret < 0) return Fail(QString("Error while filtering: %1").arg(AvError(ret)));
        const bool ok = Encode(os, filtered_.get());
        av_frame_unref(filtered_.get());
        if (!ok) return false;
    }
}

bool Transcoder::Encode(OutStream& os, AVFrame* frame) {
    AVCodecContext* enc = os.enc.get();
    if (frame) {
        const AVRational sinkTb = av_buffersink_get_time_base(os.sink);
        int64_t pts = frame->pts;
        if (pts != AV_NOPTS_VALUE) {
            pts = av_rescale_q_rnd(pts, sinkTb, enc->time_base,
                                   AVRounding(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
            pts -= av_rescale_q(outShift_, kMicros, enc->time_base);
        }
        if (os.type == AVMEDIA_TYPE_VIDEO) {
            if (pts == AV_NOPTS_VALUE) pts = os.lastPts == AV_NOPTS_VALUE ? 0 : os.lastPts + 1;
            // Two frames on one tick of the encoder's clock: the later one is dropped.
            if (os.lastPts != AV_NOPTS_VALUE && pts <= os.lastPts) return true;
            os.lastPts = pts;
            frame->pict_type = AV_PICTURE_TYPE_NONE;
            ++videoFrames_;
        } else {
            if (pts == AV_NOPTS_VALUE || pts < os.nextPts) pts = os.nextPts;
            os.nextPts = pts + frame->nb_samples;
        }
        frame->pts = pts;
        frame->time_base = enc->time_base;
    }
    int ret = avcodec_send_frame(enc, frame);
    if (ret < 0 && ret != AVERROR_EOF)
        return Fail(
            QString("Error while encoding with %1: %2").arg(enc->codec->name, AvError(ret)));
    for (;;) {
        ret = avcodec_receive_packet(enc, encPkt_.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) return true;
        if (ret < 0)
            return Fail(
                QString("Error while encoding with %1: %2").arg(enc->codec->name, AvError(ret)));
        size_t sdSize = 0;
        if (const uint8_t* sd =
                av_packet_get_side_data(encPkt_.get(), AV_PKT_DATA_QUALITY_STATS, &sdSize);
            sd && sdSize >= 4)
            quality_ = float(AV_RL32(sd)) / FF_QP2LAMBDA;
        av_packet_rescale_ts(encPkt_.get(), enc->time_base, os.st->time_base);
        if (!Mux(os, encPkt_.get())) return false;
    }
}

bool Transcoder::Mux(OutStream& os, AVPacket* pkt) {
    pkt->stream_index = os.st->index;
    // Muxers need rising decode times; damaged sources do not always give them.
    if (!(oc_->oformat->flags & AVFMT_NOTIMESTAMPS) && pkt->dts != AV_NOPTS_VALUE &&
        os.lastDts != AV_NOPTS_VALUE) {
        const int64_t least = os.lastDts + !(oc_->oformat->flags & AVFMT_TS_NONSTRICT);
        if (pkt->dts < least) {
            if (pkt->pts != AV_NOPTS_VALUE && pkt->pts >= pkt->dts)
                pkt->pts = std::max(pkt->pts, least);
            pkt->dts = least;
        }
    }
    if (pkt->dts != AV_NOPTS_VALUE) os.lastDts = pkt->dts;
    const int64_t ts = pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
    if (ts != AV_NOPTS_VALUE) {
        const int64_t end = ToMicros(ts + std::max<int64_t>(pkt->duration, 0), os.st->time_base);
        if (end > currentTime_) currentTime_ = end;
    }
    ++os.packets;
    // The DV muxer packs each video frame with the audio already queued and
    // ignores time stamps, so video is handed over a little late: the
    // interleaver then always has the frame's audio in first.
    if (!strcmp(oc_->oformat->name, "dv") && os.st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
        const int64_t lead = av_rescale_q(200000, AVRational{1, 1000000}, os.st->time_base);
        if (pkt->pts != AV_NOPTS_VALUE) pkt->pts += lead;
        if (pkt->dts != AV_NOPTS_VALUE) pkt->dts += lead;
    }
    const int ret = av_interleaved_write_frame(oc_.get(), pkt);
    if (ret < 0) return Fail(QString("Error writing the output: %1").arg(AvError(ret)));
    return true;
}

bool Transcoder::FinishStream(OutStream& os) {
    if (Stopped()) return false;
    if (os.copy) return true;
    if (!os.done) {
        // Drain the decoder, then the filters.
        if (!DecodeAndProcess(os, nullptr)) return false;
    }
    if (os.type == AVMEDIA_TYPE_VIDEO && !FeedHooked(os)) return false;
    if (os.src) {
        // Closing at the end of the last frame lets a frame-rate change keep it.
        const int ret = os.feedEnd != AV_NOPTS_VALUE
                            ? av_buffersrc_close(os.src, os.feedEnd, AV_BUFFERSRC_FLAG_PUSH)
                            : av_buffersrc_add_frame_flags(os.src, nullptr, 0);
        if (ret < 0 && ret != AVERROR_EOF)
            return Fail(QString("Error while filtering: %1").arg(AvError(ret)));
        if (!Pull(os)) return false;
    }
    return Encode(os, nullptr);
}

void Transcoder::MaybeReport(bool force) {
    const auto now = Clock::now();
    const int interval = std::max(1, host_.ProgressInterval());
    if (!force && now - lastReport_ < std::chrono::milliseconds(interval)) return;
    lastReport_ = now;
    if (host_.WantsPreview() && lastPicture_->buf[0] && lastPicture_->width > 0) {
        QImage picture;
        if (FrameToBgrImage(lastPicture_.get(), &picture, &previewSws_)) {
            TPreviewInfo p;
            p.TaskIndex = task_;
            p.FrameBitmap = std::move(picture);
            p.FrameCounter = pictureCounter_;
            p.FrameTime = lastPictureTime_;
            host_.Preview(p);
        }
        av_frame_unref(lastPicture_.get());
    }
    TProgressInfo info;
    info.TaskIndex = task_;
    info.FileIndex = 0;
    info.FrameCounter = int32_t(videoFrames_);
    const double secs =
        std::chrono::duration<double>(now - started_).count() - double(pausedMs_) / 1000.0;
    info.FramesPerSecond = secs > 0.05 ? int32_t(double(videoFrames_) / secs + 0.5) : 0;
    info.Quality = quality_;
    int64_t size = 0;
    if (oc_ && oc_->pb) size = std::max<int64_t>(0, avio_tell(oc_->pb));
    info.OutputSize = size;
    info.CurrentTime = currentTime_;
    info.TotalTime = totalTime_;
    info.BitrateKbps =
        currentTime_ > 0 ? float(double(size) * 8.0 / (double(currentTime_) / 1e6) / 1000.0) : 0.0f;
    host_.Progress(info);
}

bool Transcoder::Commit() {
    if (!(oc_->oformat->flags & AVFMT_NOFILE)) {
        const int ret = avio_closep(&oc_->pb);
        if (ret < 0) return Fail(QString("%1: %2").arg(finalName_, AvError(ret)));
    }
    const QByteArray finalUtf8 = QFile::encodeName(finalName_);
    // Move into place without ever replacing a file that appeared meanwhile.
    int rc = renameat2(AT_FDCWD, tempName_.constData(), AT_FDCWD, finalUtf8.constData(),
                       RENAME_NOREPLACE);
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
        rc = link(tempName_.constData(), finalUtf8.constData());
        if (rc == 0) unlink(tempName_.constData());
    }
    if (rc != 0) {
        const int err = errno;
        if (err == EEXIST) return Fail(QString("Output file already exists: %1").arg(finalName_));
        return Fail(QString("Cannot move the output into place at %1: %2")
                        .arg(finalName_, QString::fromLocal8Bit(strerror(err))));
    }
    tempExists_ = false;
    return true;
}

void Transcoder::RemoveTemporary() {
    // Close the muxer's file before removing it.
    oc_.reset();
    if (tempExists_) {
        unlink(tempName_.constData());
        tempExists_ = false;
    }
}

}  // namespace

QString TemporaryOutputPrefix(const QString& finalName) {
    const QFileInfo fi(finalName);
    return fi.absolutePath() + "/." + fi.fileName() + ".part-";
}

TTranscodeResult RunTranscode(ITranscodeHost& host, int taskIndex, const TInputOptions& in,
                              const TOutputOptions& out) {
    Transcoder t(host, taskIndex, in, out);
    return t.Run();
}

}  // namespace fw::engine
