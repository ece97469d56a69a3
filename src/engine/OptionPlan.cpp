#include "engine/OptionPlan.h"

#include <QDateTime>
#include <QRegularExpression>

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/parseutils.h>
}

namespace fw::engine {
namespace {

// Older encoder names and the encoders of this FFmpeg that serve them.
struct LegacyName {
    const char* oldName;
    const char* newName;
};
constexpr LegacyName kLegacyNames[] = {
    {"libfaac", "aac"},
    {"libvo_aacenc", "aac"},
    {"libaacplus", "aac"},
    {"faac", "aac"},
    {"vorbis", "libvorbis"},
    {"libamr_nb", "libopencore_amrnb"},
    {"libamr_wb", "libvo_amrwbenc"},
    {"mp3", "libmp3lame"},
    {"libxvidcore", "libxvid"},
    {"xvid", "libxvid"},
    {"x264", "libx264"},
    {"h264", "libx264"},
    {"msmpeg4v3", "msmpeg4"},
    {"libtheora", "libtheora"},
};

// Device presets: encoder options and the picture format the device needs.
struct DevicePreset {
    const char* name;
    const char* options;  // name=value pairs separated by ':'
    const char* pixFmt;
};
constexpr DevicePreset kDevicePresets[] = {
    {"libx264-ipod", "profile=baseline:level=3.0:maxrate=10000000:bufsize=10000000", "yuv420p"},
    {"libx264-ipod320", "profile=baseline:level=1.3:maxrate=768000:bufsize=3000000", "yuv420p"},
    {"libx264-ipod640", "profile=baseline:level=3.0:maxrate=10000000:bufsize=10000000", "yuv420p"},
    {"libx264-psp", "profile=main:level=3.0:maxrate=4000000:bufsize=4000000", "yuv420p"},
    {"libx264-ps3", "profile=high:level=4.1:maxrate=31250000:bufsize=31250000", "yuv420p"},
    {"libx264-mp4", "profile=high", "yuv420p"},
};

constexpr const char* kX264Speeds[] = {"ultrafast", "superfast", "veryfast", "faster",   "fast",
                                       "medium",    "slow",      "slower",   "veryslow", "placebo"};

// Option classes searched for names that the engine itself does not handle.
bool IsCodecOption(const QByteArray& name) {
    const AVClass* cls = avcodec_get_class();
    return av_opt_find(&cls, name.constData(), nullptr, 0,
                       AV_OPT_SEARCH_CHILDREN | AV_OPT_SEARCH_FAKE_OBJ) != nullptr;
}
bool IsFormatOption(const QByteArray& name) {
    const AVClass* cls = avformat_get_class();
    return av_opt_find(&cls, name.constData(), nullptr, 0,
                       AV_OPT_SEARCH_CHILDREN | AV_OPT_SEARCH_FAKE_OBJ) != nullptr;
}

bool ParseTime(const QString& text, int64_t* micros, QString* error, const QString& name) {
    int64_t v = 0;
    if (av_parse_time(&v, text.trimmed().toUtf8().constData(), 1) < 0) {
        *error = QString("Invalid duration for %1: %2").arg(name, text);
        return false;
    }
    *micros = v;
    return true;
}

bool ParseFlag(const QString& value) {
    const QString v = value.trimmed().toLower();
    return !(v == "0" || v == "false" || v == "no" || v == "off");
}

bool ParseInt(const QString& text, int* out, QString* error, const QString& name) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok) {
        *error = QString("Invalid value '%1' for option '%2'").arg(text, name);
        return false;
    }
    *out = v;
    return true;
}

bool ParseSize(const QString& text, int* w, int* h, QString* error) {
    if (av_parse_video_size(w, h, text.trimmed().toUtf8().constData()) < 0) {
        *error = QString("Invalid frame size: %1.").arg(text);
        return false;
    }
    return true;
}

void AppendFilter(QString* chain, const QString& f) {
    if (f.trimmed().isEmpty()) return;
    if (!chain->isEmpty()) *chain += ",";
    *chain += f.trimmed();
}

QString Tag4(const QString& t) {
    return t.left(4);
}

void ApplyTarget(const TOutputOptions& o, TOutputPlan* p) {
    if (o.TargetType < 1 || o.TargetType > 3) return;
    int norm = o.TargetNorm;
    if (norm != 1 && norm != 2) norm = o.DefaultNorm == 1 ? 1 : 2;
    const bool pal = norm == 1;
    const QString rate = pal ? "25" : "30000/1001";
    Dict& v = p->Video.CodecOptions;
    Dict& a = p->Audio.CodecOptions;
    p->FrameRate = rate;
    v.Set("g", pal ? "15" : "18");
    a.Set("b", o.TargetType == 3 ? "448000" : "224000");
    switch (o.TargetType) {
        case 1:  // vcd
            p->Video.Codec = "mpeg1video";
            p->Audio.Codec = "mp2";
            p->Format = "vcd";
            p->Width = 352;
            p->Height = pal ? 288 : 240;
            v.Set("b", "1150000");
            v.Set("maxrate", "1150000");
            v.Set("minrate", "1150000");
            v.Set("bufsize", "327680");
            p->SampleRate = 44100;
            p->Channels = 2;
            p->MuxOptions.Set("packetsize", "2324");
            p->MuxOptions.Set("muxrate", "1411200");
            // The first packs of a VCD stream carry only padding; data starts
            // 0.44 s into the system clock.
            p->MuxOptions.Set("preload", QString::number((36000 + 3 * 1200) * 1000000LL / 90000));
            break;
        case 2:  // svcd
            p->Video.Codec = "mpeg2video";
            p->Audio.Codec = "mp2";
            p->Format = "svcd";
            p->Width = 480;
            p->Height = pal ? 576 : 480;
            p->PixelFormat = "yuv420p";
            v.Set("b", "2040000");
            v.Set("maxrate", "2516000");
            v.Set("minrate", "0");
            v.Set("bufsize", "1835008");
            v.Set("scan_offset", "1");
            p->SampleRate = 44100;
            p->MuxOptions.Set("packetsize", "2324");
            break;
        case 3:  // dvd
            p->Video.Codec = "mpeg2video";
            p->Audio.Codec = "ac3";
            p->Format = "dvd";
            p->Width = 720;
            p->Height = pal ? 576 : 480;
            p->PixelFormat = "yuv420p";
            v.Set("b", "6000000");
            v.Set("maxrate", "9000000");
            v.Set("minrate", "0");
            v.Set("bufsize", "1835008");
            p->SampleRate = 48000;
            p->MuxOptions.Set("packetsize", "2048");
            p->MuxOptions.Set("muxrate", "10080000");
            break;
    }
}

bool ApplyExplicit(const TOutputOptions& o, TOutputPlan* p, QString* error) {
    p->FileName = o.FileName;
    if (!o.FileFormat.trimmed().isEmpty()) p->Format = o.FileFormat.trimmed();
    if (o.PacketSize > 0) p->MuxOptions.SetInt("packetsize", o.PacketSize);
    if (o.MuxRate > 0) p->MuxOptions.SetInt("muxrate", o.MuxRate);
    if (o.MuxPreload > 0) p->MuxOptions.SetInt("preload", int64_t(double(o.MuxPreload) * 1e6));
    if (o.MuxDelay > 0) p->MuxOptions.SetInt("max_delay", int64_t(double(o.MuxDelay) * 1e6));

    if (!o.AudioCodec.trimmed().isEmpty()) p->Audio.Codec = o.AudioCodec.trimmed();
    if (!o.AudioPreset.trimmed().isEmpty()) p->Audio.Preset = o.AudioPreset.trimmed();
    p->Audio.Disabled = p->Audio.Disabled || o.DisableAudio;
    if (o.AudioVolume >= 0) p->Volume = o.AudioVolume;
    if (o.AudioChannels > 0) p->Channels = o.AudioChannels;
    if (o.AudioSampleRate > 0) p->SampleRate = o.AudioSampleRate;
    if (o.AudioBitrate > 0) p->Audio.CodecOptions.SetInt("b", o.AudioBitrate);
    if (o.AudioBitrateTolerance > 0) p->Audio.CodecOptions.SetInt("bt", o.AudioBitrateTolerance);
    if (!o.AudioLanguage.isEmpty()) p->Audio.Language = o.AudioLanguage;
    if (o.AudioSync > 0) p->AudioSync = o.AudioSync;
    if (!o.AudioTag.isEmpty()) p->Audio.Tag = Tag4(o.AudioTag);

    if (!o.VideoCodec.trimmed().isEmpty()) p->Video.Codec = o.VideoCodec.trimmed();
    if (!o.VideoPreset.trimmed().isEmpty()) p->Video.Preset = o.VideoPreset.trimmed();
    p->Video.Disabled = p->Video.Disabled || o.DisableVideo;
    if (!o.FrameRate.trimmed().isEmpty()) p->FrameRate = o.FrameRate.trimmed();
    if (!o.FrameSize.trimmed().isEmpty() && !ParseSize(o.FrameSize, &p->Width, &p->Height, error))
        return false;
    if (!o.AspectRatio.trimmed().isEmpty()) p->Aspect = o.AspectRatio.trimmed();
    if (o.TopCrop > 0) p->CropTop = o.TopCrop;
    if (o.BottomCrop > 0) p->CropBottom = o.BottomCrop;
    if (o.LeftCrop > 0) p->CropLeft = o.LeftCrop;
    if (o.RightCrop > 0) p->CropRight = o.RightCrop;
    if (o.GopSize > 0) p->Video.CodecOptions.SetInt("g", o.GopSize);
    if (o.VideoBitrate > 0) p->Video.CodecOptions.SetInt("b", o.VideoBitrate);
    if (o.MaxRate > 0) p->Video.CodecOptions.SetInt("maxrate", o.MaxRate);
    if (o.MinRate > 0) p->Video.CodecOptions.SetInt("minrate", o.MinRate);
    if (o.BitrateTolerance > 0) p->Video.CodecOptions.SetInt("bt", o.BitrateTolerance);
    if (o.BufferSize > 0) p->Video.CodecOptions.SetInt("bufsize", o.BufferSize);
    if (o.VideoSync >= 0) p->VideoSync = o.VideoSync;
    if (!o.VideoTag.isEmpty()) p->Video.Tag = Tag4(o.VideoTag);
    AppendFilter(&p->Filters, o.VideoFilters);
    if (!o.VideoLanguage.isEmpty()) p->Video.Language = o.VideoLanguage;

    if (!o.SubtitleCodec.trimmed().isEmpty()) p->Subtitle.Codec = o.SubtitleCodec.trimmed();
    if (!o.SubtitlePreset.trimmed().isEmpty()) p->Subtitle.Preset = o.SubtitlePreset.trimmed();
    p->Subtitle.Disabled = p->Subtitle.Disabled || o.DisableSubtitles;
    if (!o.SubtitleLanguage.isEmpty()) p->Subtitle.Language = o.SubtitleLanguage;

    p->CopyTimestamps = o.CopyTimestamps;
    if (o.OutputStartTime != kNoValue && o.OutputStartTime > 0) p->StartTime = o.OutputStartTime;
    if (o.RecordingTime != kNoValue && o.RecordingTime > 0) p->RecordingTime = o.RecordingTime;

    const TStreamInfo& m = o.Metadata;
    if (m.TimeStamp >= 0) {
        // 0 stands for now; otherwise seconds since 1970-01-01 UTC.
        const QDateTime when = m.TimeStamp == 0 ? QDateTime::currentDateTimeUtc()
                                                : QDateTime::fromMSecsSinceEpoch(
                                                      qint64(m.TimeStamp * 1000.0), Qt::UTC);
        p->Metadata.Set("creation_time", when.toString(Qt::ISODateWithMs));
    }
    if (m.Year > 0) {
        p->Metadata.Set("year", QString::number(m.Year));
        p->Metadata.Set("date", QString::number(m.Year));
    }
    if (m.Track > 0) p->Metadata.Set("track", QString::number(m.Track));
    const QPair<const char*, QString> texts[] = {{"title", m.Title},         {"author", m.Author},
                                                 {"copyright", m.Copyright}, {"comment", m.Comment},
                                                 {"album", m.Album},         {"genre", m.Genre}};
    for (const auto& t : texts)
        if (!t.second.isEmpty()) p->Metadata.Set(t.first, t.second);
    p->Hook = o.VideoHook;
    return true;
}

bool ApplyOutputExtra(const QString& name, const QString& value, TOutputPlan* p, QString* error) {
    const QString n = name.startsWith('-') ? name.mid(1) : name;
    auto is = [&](std::initializer_list<const char*> names) {
        for (const char* k : names)
            if (n == QLatin1String(k)) return true;
        return false;
    };
    if (is({"vcodec", "c:v", "codec:v"}))
        p->Video.Codec = value.trimmed();
    else if (is({"acodec", "c:a", "codec:a"}))
        p->Audio.Codec = value.trimmed();
    else if (is({"scodec", "c:s", "codec:s"}))
        p->Subtitle.Codec = value.trimmed();
    else if (n == "vn")
        p->Video.Disabled = ParseFlag(value);
    else if (n == "an")
        p->Audio.Disabled = ParseFlag(value);
    else if (n == "sn")
        p->Subtitle.Disabled = ParseFlag(value);
    else if (n == "s")
        return ParseSize(value, &p->Width, &p->Height, error);
    else if (n == "r")
        p->FrameRate = value.trimmed();
    else if (n == "aspect")
        p->Aspect = value.trimmed();
    else if (is({"vf", "filter:v"}))
        AppendFilter(&p->Filters, value);
    else if (is({"af", "filter:a"}))
        AppendFilter(&p->AudioFilters, value);
    else if (n == "ar")
        return ParseInt(value, &p->SampleRate, error, n);
    else if (n == "ac")
        return ParseInt(value, &p->Channels, error, n);
    else if (n == "vol")
        return ParseInt(value, &p->Volume, error, n);
    else if (n == "async")
        return ParseInt(value, &p->AudioSync, error, n);
    else if (n == "vsync")
        return ParseInt(value, &p->VideoSync, error, n);
    else if (is({"b", "vb", "b:v"}))
        p->Video.CodecOptions.Set("b", value.trimmed());
    else if (is({"ab", "b:a"}))
        p->Audio.CodecOptions.Set("b", value.trimmed());
    else if (n == "t")
        return ParseTime(value, &p->RecordingTime, error, n);
    else if (n == "ss")
        return ParseTime(value, &p->StartTime, error, n);
    else if (n == "f")
        p->Format = value.trimmed();
    else if (n == "pix_fmt")
        p->PixelFormat = value.trimmed();
    else if (n == "vpre")
        p->Video.Preset = value.trimmed();
    else if (n == "apre")
        p->Audio.Preset = value.trimmed();
    else if (n == "vtag")
        p->Video.Tag = Tag4(value);
    else if (n == "atag")
        p->Audio.Tag = Tag4(value);
    else if (n == "copyts")
        p->CopyTimestamps = ParseFlag(value);
    else if (n == "metadata") {
        const int eq = value.indexOf('=');
        if (eq <= 0) {
            *error = QString("Invalid metadata entry: %1").arg(value);
            return false;
        }
        p->Metadata.Set(value.left(eq), value.mid(eq + 1));
    } else if (n.endsWith(":v") || n.endsWith(":a") || n.endsWith(":s")) {
        const QString base = n.left(n.size() - 2);
        if (!IsCodecOption(base.toUtf8())) {
            *error = QString("Unrecognized option '%1'").arg(n);
            return false;
        }
        TStreamPlan& s = n.endsWith(":v") ? p->Video : n.endsWith(":a") ? p->Audio : p->Subtitle;
        s.CodecOptions.Set(base, value);
    } else {
        const QByteArray key = n.toUtf8();
        const bool codec = IsCodecOption(key);
        const bool format = IsFormatOption(key);
        if (!codec && !format) {
            *error = QString("Unrecognized option '%1'").arg(n);
            return false;
        }
        if (codec) {
            p->Video.CodecOptions.Set(n, value);
            p->Audio.CodecOptions.Set(n, value);
        }
        if (format) p->MuxOptions.Set(n, value);
    }
    return true;
}

}  // namespace

QList<QPair<QString, QString>> SplitExtOptions(const QString& text) {
    QString t = text;
    t.replace("<CRLF>", "\n", Qt::CaseInsensitive);
    QList<QPair<QString, QString>> out;
    static const QRegularExpression lineBreak("[\r\n]+");
    for (const QString& raw : t.split(lineBreak, Qt::SkipEmptyParts)) {
        const QString line = raw.trimmed();
        if (line.isEmpty()) continue;
        const int eq = line.indexOf('=');
        if (eq < 0)
            out.append({line, "1"});
        else
            out.append({line.left(eq).trimmed(), line.mid(eq + 1)});
    }
    return out;
}

const AVCodec* FindEncoder(const QString& name, AVMediaType type, QString* error) {
    QByteArray n = name.trimmed().toUtf8();
    for (const LegacyName& l : kLegacyNames)
        if (n == l.oldName) {
            n = l.newName;
            break;
        }
    const AVCodec* c = avcodec_find_encoder_by_name(n.constData());
    if (!c) {
        // A codec name rather than an encoder name ("h263p", "mp3").
        const AVCodecDescriptor* d = avcodec_descriptor_get_by_name(n.constData());
        if (d) c = avcodec_find_encoder(d->id);
    }
    if (!c) {
        *error = QString("Unknown encoder '%1'").arg(name.trimmed());
        return nullptr;
    }
    if (c->type != type) {
        *error = QString("Encoder '%1' is not a %2 encoder")
                     .arg(name.trimmed(), av_get_media_type_string(type));
        return nullptr;
    }
    return c;
}

bool ApplyPreset(const QString& preset, const AVCodec* codec, Dict* options, QString* pixFmt,
                 QString* error) {
    const QString p = preset.trimmed();
    for (const DevicePreset& d : kDevicePresets) {
        if (p.compare(QLatin1String(d.name), Qt::CaseInsensitive) != 0) continue;
        for (const QString& kv : QString::fromLatin1(d.options).split(':', Qt::SkipEmptyParts)) {
            const int eq = kv.indexOf('=');
            const QByteArray key = kv.left(eq).toUtf8();
            if (!options->Has(key.constData())) options->Set(key.constData(), kv.mid(eq + 1));
        }
        if (pixFmt->isEmpty()) *pixFmt = QString::fromLatin1(d.pixFmt);
        return true;
    }
    // "libx264-fast" or a bare speed preset.
    QString speed = p;
    if (speed.startsWith("libx264-", Qt::CaseInsensitive)) speed = speed.mid(8);
    for (const char* s : kX264Speeds)
        if (speed.compare(QLatin1String(s), Qt::CaseInsensitive) == 0) {
            options->Set("preset", speed.toLower());
            return true;
        }
    // An encoder with presets of its own checks the name when it opens.
    if (codec && codec->priv_class &&
        av_opt_find(const_cast<AVClass**>(&codec->priv_class), "preset", nullptr, 0,
                    AV_OPT_SEARCH_FAKE_OBJ)) {
        options->Set("preset", p);
        return true;
    }
    *error = QString("Preset '%1' not found").arg(p);
    return false;
}

bool BuildInputPlan(const TInputOptions& in, TInputPlan* plan, QString* error) {
    *plan = TInputPlan{};
    plan->FileName = in.FileName;
    plan->Format = in.FileFormat.trimmed();
    if (in.StartTime != kNoValue && in.StartTime >= 0) plan->StartTime = in.StartTime;
    if (in.ProgramId >= 0) plan->ProgramId = in.ProgramId;
    for (const auto& [rawName, value] : SplitExtOptions(in.ExtOptions)) {
        const QString n = rawName.startsWith('-') ? rawName.mid(1) : rawName;
        if (n == "vn")
            plan->NoVideo = ParseFlag(value);
        else if (n == "an")
            plan->NoAudio = ParseFlag(value);
        else if (n == "sn")
            plan->NoSubtitles = ParseFlag(value);
        else if (n == "f")
            plan->Format = value.trimmed();
        else if (n == "ss") {
            if (!ParseTime(value, &plan->StartTime, error, n)) return false;
        } else if (n == "t") {
            if (!ParseTime(value, &plan->Duration, error, n)) return false;
        } else if (n == "programid") {
            if (!ParseInt(value, &plan->ProgramId, error, n)) return false;
        } else {
            const QByteArray key = n.toUtf8();
            const bool format = IsFormatOption(key);
            const bool codec = IsCodecOption(key);
            if (!format && !codec) {
                *error = QString("Unrecognized option '%1'").arg(n);
                return false;
            }
            if (format) plan->FormatOptions.Set(n, value);
            if (codec) plan->DecoderOptions.Set(n, value);
        }
    }
    return true;
}

bool BuildOutputPlan(const TOutputOptions& out, TOutputPlan* plan, QString* error) {
    *plan = TOutputPlan{};
    ApplyTarget(out, plan);
    if (!ApplyExplicit(out, plan, error)) return false;
    for (const auto& [name, value] : SplitExtOptions(out.ExtOptions))
        if (!ApplyOutputExtra(name, value, plan, error)) return false;
    return true;
}

}  // namespace fw::engine
