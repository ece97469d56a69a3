#include "jobs/EncoderOptions.h"

#include "app/IniFile.h"
#include "engine/AVProbe.h"
#include "jobs/ProfileChoices.h"
#include "platform/Prompts.h"
#include "profiles/Validators.h"

#include <algorithm>
#include <cmath>

namespace fw {

using engine::TInputOptions;
using engine::TOutputOptions;

TSourceFacts SourceFactsOf(engine::TAVProbe& prober) {
    TSourceFacts f;
    f.VideoCount = prober.ProbeVideoCount();
    if (f.VideoCount > 0) {
        const engine::TVideoStreamInfo v = prober.ReadVideoInfo(-1);
        f.Width = v.Width;
        f.Height = v.Height;
        f.BitRate = v.BitRate;
    }
    return f;
}

int EvenOf(double x) { return 2 * (static_cast<int>(std::trunc(x)) / 2); }

int PadOf(int total, int inner) { return 2 * ((total - inner) / 4); }

namespace {

QString SizeText(int w, int h) { return QString("%1x%2").arg(w).arg(h); }
QString RatioText(int w, int h) { return QString("%1:%2").arg(w).arg(h); }

bool IsPositiveInteger(const QString& text) { return IsIntegerText(text) && text.toInt() > 0; }

// "as source" keeps what the source has; any other text must be a positive integer.
void ApplyPositiveInteger(const QString& text, int32_t* field) {
    if (text != "as source" && IsPositiveInteger(text)) *field = text.toInt();
}

void ApplyAudioBitrate(const QString& text, int32_t* field) {
    if (text == "as source" || !(IsIntegerText(text) || IsNumberText(text))) return;
    const double product = text.toDouble() * 1000.0;
    if (product > 0 && product < 2147483647.0) *field = static_cast<int32_t>(std::trunc(product));
}

void ApplyVolume(const QString& text, int32_t* field) {
    if (text == "256") return;
    if (!IsIntegerText(text))
        throw OptionsError(QString("'%1' is not a valid integer value for the volume.")
                               .arg(text).toStdString());
    *field = text.toInt();
}

// The picture entering the zoom arithmetic: the source less the row's crop margins.
struct Picture {
    int w = 0;
    int h = 0;
};

// Letterbox: the whole picture, scaled with its proportions, padded to W x H.
void ApplyLetterbox(const Picture& src, int W, int H,
                    TOutputOptions& out, QString* filter) {
    const int sW = src.w;
    const int sH = src.h;
    int T = 0, B = 0, L = 0, R = 0;
    auto bothAxes = [&] {
        const double kx = double(sW) / W;
        const double ky = double(sH) / H;
        if (kx > ky) {
            T = B = PadOf(H, EvenOf(sH / kx));
            L = R = 0;
        } else if (kx < ky) {
            L = R = PadOf(W, EvenOf(sW / ky));
            T = B = 0;
        } else {
            T = B = PadOf(H, EvenOf(sH / kx));
            L = R = PadOf(W, EvenOf(sW / ky));
        }
    };
    if (W <= sW && H >= sH) {
        const double kx = double(sW) / W;
        T = B = PadOf(H, EvenOf(sH / kx));
        L = R = 0;
    }
    if (W >= sW && H <= sH) {
        const double ky = double(sH) / H;
        L = R = PadOf(W, EvenOf(sW / ky));
        T = B = 0;
    }
    if (W >= sW && H >= sH) bothAxes();
    if (W <= sW && H <= sH) bothAxes();
    if (W == sW && H == sH) T = B = L = R = 0;

    // A picture far narrower or flatter than the frame must keep at least
    // two pixels; the pads give way.
    L = R = std::min(L, std::max(0, (W - 2) / 2));
    T = B = std::min(T, std::max(0, (H - 2) / 2));

    const int iw = W - L - R;
    const int ih = H - T - B;
    out.AspectRatio = RatioText(iw, ih);
    // The crop fields already crop the picture (the run copied the margins
    // into them), so the filter only pads: cropping in the filter as well
    // would cut the margins away twice.
    out.FrameSize = SizeText(iw, ih);
    *filter = QString("pad=%1:%2:%3:%4").arg(W).arg(H).arg(L).arg(T);
}

// Pan and scan: cut the picture's excess width or height so that what is
// left has the frame's shape, then scale it to fill the frame.
void ApplyPanScan(const TlvFilesRecord& rec, const Picture& src, int W, int H,
                  TOutputOptions& out) {
    const double target = double(W) / H;
    const double shape = double(src.w) / src.h;
    if (shape > target) {
        const int c = EvenOf((src.w - src.h * target) / 2.0);
        out.LeftCrop = rec.CropLeft + c;
        out.RightCrop = rec.CropRight + c;
    } else if (shape < target) {
        const int c = EvenOf((src.h - src.w / target) / 2.0);
        out.TopCrop = rec.CropTop + c;
        out.BottomCrop = rec.CropBottom + c;
    }
    out.FrameSize = SizeText(W, H);
    out.AspectRatio = RatioText(W, H);
}

// Centring: the picture keeps its own size when it fits the frame (it is only
// shrunk, with its proportions, when it does not) and is centred on black.
void ApplyCentring(const Picture& src, int W, int H, TOutputOptions& out, QString* filter) {
    int iw = src.w;
    int ih = src.h;
    if (iw > W || ih > H) {
        const double k = std::max(double(iw) / W, double(ih) / H);
        iw = EvenOf(iw / k);
        ih = EvenOf(ih / k);
    } else {
        iw = EvenOf(iw);
        ih = EvenOf(ih);
    }
    iw = std::clamp(iw, 2, W);
    ih = std::clamp(ih, 2, H);
    const int L = EvenOf((W - iw) / 2.0);
    const int T = EvenOf((H - ih) / 2.0);
    out.FrameSize = SizeText(iw, ih);
    out.AspectRatio = RatioText(iw, ih);
    *filter = QString("pad=%1:%2:%3:%4:black").arg(W).arg(H).arg(L).arg(T);
}

}  // namespace

void BuildEncoderOptions(const TlvFilesRecord& rec, int formatCode, TOutputOptions& out,
                         const TSourceFacts& source, TInputOptions& in, IPrompts& prompts,
                         const IniFile& settings, const IniFile& format) {
    const ProfileChoices choices(settings, format, formatCode);
    const QString formatWord = choices.FormatWord();
    const QString formatLower = formatWord.toLower();

    // 1. Target presets named by the container word.
    const QString videoSizeChoice = choices.Value("paraVideoSize", "null");
    if (formatLower == "ntsc-dvd") {
        out.TargetType = 3;
        out.TargetNorm = 2;
        out.AspectRatio = videoSizeChoice == "720x480" ? "16:9" : "4:3";
    } else if (formatLower == "pal-dvd") {
        out.TargetType = 3;
        out.TargetNorm = 1;
        out.AspectRatio = videoSizeChoice == "720x576" ? "16:9" : "4:3";
    } else if (formatLower == "ntsc-vcd" || formatLower == "pal-vcd") {
        out.TargetType = 1;
        out.TargetNorm = formatLower.startsWith("ntsc") ? 2 : 1;
        out.AspectRatio = "4:3";
    } else if (formatLower == "ntsc-svcd" || formatLower == "pal-svcd") {
        out.TargetType = 2;
        out.TargetNorm = formatLower.startsWith("ntsc") ? 2 : 1;
        out.AspectRatio = "4:3";
    }

    // 2./3. A profile without a video encoder writes audio only.
    const QString videoEncoder = choices.Value("paraVideoEncoder", "");
    if (videoEncoder.trimmed().isEmpty()) {
        out.AudioCodec = choices.Value("paraAudioEncoder", "libfaac");
        ApplyPositiveInteger(choices.Value("paraChannel", "2"), &out.AudioChannels);
        ApplyPositiveInteger(choices.Value("paraSampleRate", "44100"), &out.AudioSampleRate);
        ApplyAudioBitrate(choices.Value("paraAudioBitRate", "128"), &out.AudioBitrate);
        ApplyVolume(choices.Value("paraVolume", "3"), &out.AudioVolume);
        in.ExtOptions = "vn=1";
        out.DisableVideo = true;
        out.DisableSubtitles = true;
        return;
    }

    // 4. Video codec.
    static const QStringList kPlainCodecs{
        "mpeg4", "libxvid", "mpeg1video", "msmpeg4", "msmpeg4v1", "msmpeg4v2", "huffyuv",
        "dvvideo", "rawvideo", "h263p", "h263", "rv10", "rv20", "ljpeg", "mjpeg", "svq1",
        "zlib", "wmv1", "wmv2"};
    if (kPlainCodecs.contains(videoEncoder)) {
        out.VideoCodec = videoEncoder;
    } else if (videoEncoder == "mpeg2video") {
        out.VideoCodec = "mpeg2video";
        out.TargetType = 3;
    } else if (videoEncoder == "libx264") {
        out.VideoCodec = "libx264";
        if (formatLower == "psp") out.VideoPreset = "libx264-psp";
        else if (formatLower == "ipod") out.VideoPreset = "libx264-ipod";
        else if (formatLower == "ps3") out.VideoPreset = "libx264-ps3";
        else out.VideoPreset = "libx264-mp4";
    }

    QString filter;
    if (source.VideoCount <= 0) {
        // 5. Nothing to size or filter.
        out.DisableVideo = true;
    } else {
        // 6. Video bit rate.
        const QString vbr = choices.Value("paraVideoBitRate", "512");
        if (vbr != "as source" && IsIntegerText(vbr)) {
            const qint64 v = vbr.toLongLong();
            if (v > 0 && v * 1000 <= 2147483647) out.VideoBitrate = static_cast<int32_t>(v * 1000);
        } else {
            out.VideoBitrate = source.BitRate;
        }

        // 7. Frame rate.
        const QString fps = choices.Value("paraFrameRate", "29.97");
        if (fps != "as source" && (IsIntegerText(fps) || IsNumberText(fps)) && fps.toDouble() > 0)
            out.FrameRate = fps;

        // 8. Output format named by the container word.
        static const QStringList kFormats{"ipod", "3gp", "3g2", "avi", "psp",
                                          "mov",  "vcd", "flv", "mpegts", "vob"};
        if (kFormats.contains(formatLower)) out.FileFormat = formatWord;

        // 9. Frame size.
        const int sW = source.Width;
        const int sH = source.Height;
        QString s = videoSizeChoice;
        const int p = s.indexOf('x') + 1;
        int W = sW;
        int H = sH;
        if (s != "as source" && p >= 2 && p < s.size()) {
            const QString wt = s.left(p - 1);
            const QString ht = s.mid(p);
            W = IsIntegerText(wt) ? wt.toInt() : sW;
            H = IsIntegerText(ht) ? ht.toInt() : sH;
            static const QString kH263Sizes = "704x576,352x288,176x144,160x120,128x96";
            if (out.VideoCodec.compare("h263", Qt::CaseInsensitive) == 0 &&
                !kH263Sizes.contains(s)) {
                if (W > 176 && W <= 352) W = 352, H = 288;
                if (W > 352 && W <= 704) W = 704, H = 576;
                if (W > 704) W = 704, H = 576;
            }
        } else if (s != "as source") {
            const MsgResult answer =
                prompts.MessageBox("Warning", "Error output Video Size.Use the default size 320x240?",
                                   MsgIcon::Question, MsgButtons::YesNo);
            if (answer == MsgResult::Yes) {
                W = 320;
                H = 240;
            } else {
                s = "as source";
            }
        }
        if (s == "as source") {
            W = sW;
            H = sH;
        }
        // A size of 0 or less cannot be produced: keep the source's size.
        if (W <= 0 || H <= 0) {
            W = sW;
            H = sH;
        }
        // Encoders of 4:2:0 pictures need even sizes.
        if (W > 0) W = std::max(2, EvenOf(W));
        if (H > 0) H = std::max(2, EvenOf(H));

        // 10. Crop fields not set by the run crop nothing.
        if (out.TopCrop == -1) out.TopCrop = 0;
        if (out.BottomCrop == -1) out.BottomCrop = 0;
        if (out.LeftCrop == -1) out.LeftCrop = 0;
        if (out.RightCrop == -1) out.RightCrop = 0;

        // 11. Zoom mode.
        Picture picture{sW - rec.CropLeft - rec.CropRight, sH - rec.CropTop - rec.CropBottom};
        const bool sizesKnown = W > 0 && H > 0 && picture.w > 0 && picture.h > 0;
        const QString& zoom = rec.ZoomMode;
        if (zoom == "full" || (!sizesKnown && W > 0 && H > 0 &&
                               (zoom == "lbox" || zoom == "pan" || zoom == "center"))) {
            if (rec.HasCrop()) {
                out.TopCrop = rec.CropTop;
                out.BottomCrop = rec.CropBottom;
                out.LeftCrop = rec.CropLeft;
                out.RightCrop = rec.CropRight;
            }
            out.FrameSize = SizeText(W, H);
            out.AspectRatio = RatioText(W, H);
        } else if (zoom == "lbox" && sizesKnown) {
            ApplyLetterbox(picture, W, H, out, &filter);
        } else if (zoom == "pan" && sizesKnown) {
            ApplyPanScan(rec, picture, W, H, out);
        } else if (zoom == "center" && sizesKnown) {
            ApplyCentring(picture, W, H, out, &filter);
        }
    }

    // 12. Filters.
    if (!filter.isEmpty())
        out.VideoFilters = out.VideoFilters.isEmpty() ? filter : out.VideoFilters + "," + filter;

    // 13. Audio of a video profile.
    QString audioEncoder = choices.Value("paraAudioEncoder", "");
    if (audioEncoder == "libamr_nb") audioEncoder = "libopencore_amrnb";
    out.AudioCodec = audioEncoder;
    if (audioEncoder.trimmed().isEmpty()) out.DisableAudio = true;
    ApplyPositiveInteger(choices.Value("paraChannel", "2"), &out.AudioChannels);
    ApplyVolume(choices.Value("paraVolume", "3"), &out.AudioVolume);
    ApplyPositiveInteger(choices.Value("paraSampleRate", "44100"), &out.AudioSampleRate);
    ApplyAudioBitrate(choices.Value("paraAudioBitRate", "128"), &out.AudioBitrate);
}

}  // namespace fw
