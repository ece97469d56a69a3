#include "engine/AVProbe.h"

#include <QFileInfo>

extern "C" {
#include <libavutil/parseutils.h>
}

namespace fw::engine {
namespace {

QString Meta(const AVDictionary* m, const char* key) {
    const AVDictionaryEntry* e = av_dict_get(m, key, nullptr, 0);
    return e ? QString::fromUtf8(e->value) : QString();
}

// The leading number of a text such as "2009-05-01" or "3/12"; -1 when none.
int32_t LeadingNumber(const QString& text) {
    int i = 0;
    while (i < text.size() && text[i].isSpace()) ++i;
    int start = i;
    while (i < text.size() && text[i].isDigit()) ++i;
    if (i == start) return -1;
    bool ok = false;
    const int v = text.mid(start, i - start).toInt(&ok);
    return ok ? v : -1;
}

int64_t OrMinusOne(int64_t v) {
    return v == AV_NOPTS_VALUE ? -1 : v;
}

QString Clock(int64_t micros) {
    const int64_t secs = micros / AV_TIME_BASE;
    const int64_t centis = (micros % AV_TIME_BASE) * 100 / AV_TIME_BASE;
    return QString::asprintf("%02lld:%02lld:%02lld.%02lld", static_cast<long long>(secs / 3600),
                             static_cast<long long>((secs / 60) % 60),
                             static_cast<long long>(secs % 60), static_cast<long long>(centis));
}

void FillCommon(const AVStream* st, QString& language, QString& codecText, int64_t& startBase,
                int64_t& start, int64_t& durationBase, int64_t& duration, int32_t& bitRate) {
    language = Meta(st->metadata, "language");
    codecText = CodecDescription(st);
    startBase = OrMinusOne(st->start_time);
    start = st->start_time == AV_NOPTS_VALUE ? -1 : ToMicros(st->start_time, st->time_base);
    durationBase = OrMinusOne(st->duration);
    duration = st->duration == AV_NOPTS_VALUE ? -1 : ToMicros(st->duration, st->time_base);
    bitRate = st->codecpar->bit_rate > 0
                  ? int32_t(std::min<int64_t>(st->codecpar->bit_rate, INT32_MAX))
                  : -1;
}

}  // namespace

QString CodecDescription(const AVStream* st) {
    CodecContextPtr ctx(avcodec_alloc_context3(nullptr));
    if (!ctx || avcodec_parameters_to_context(ctx.get(), st->codecpar) < 0) return {};
    char buf[512] = {};
    avcodec_string(buf, sizeof buf, ctx.get(), 0);
    QString text = QString::fromUtf8(buf);
    if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
        const AVRational fr = st->avg_frame_rate.num ? st->avg_frame_rate : st->r_frame_rate;
        if (fr.num > 0 && fr.den > 0) text += QString(", %1 fps").arg(av_q2d(fr), 0, 'g', 4);
    }
    return text;
}

bool TAVProbe::ProbeOpen(const QString& fileName, const QString& formatName) {
    ProbeDetach();
    QString error;
    if (!input_.Open(fileName, formatName, nullptr, nullptr, &error)) {
        lastError_ = error;
        return false;
    }
    fileName_ = fileName;
    lastError_.clear();
    return true;
}

void TAVProbe::ProbeDetach() {
    input_.Close();
    fileName_.clear();
}

bool TAVProbe::Loaded() {
    if (input_.IsOpen()) return true;
    lastError_ = "file not loaded.";
    return false;
}

QString TAVProbe::ProbeInfoText() {
    if (!Loaded()) return {};
    const AVFormatContext* ic = input_.Context();
    QStringList lines;
    lines << "File Name: " + fileName_;
    lines << "Format Name: " + QString::fromUtf8(ic->iformat->name);
    lines << "Format Long Name: " +
                 QString::fromUtf8(ic->iformat->long_name ? ic->iformat->long_name : "");
    int64_t size = ic->pb ? avio_size(ic->pb) : -1;
    if (size < 0) size = QFileInfo(fileName_).size();
    lines << QString("File Size: %1 bytes").arg(size);
    lines << (ic->duration != AV_NOPTS_VALUE && ic->duration > 0
                  ? "Duration: " + Clock(ic->duration)
                  : QString("Duration: N/A"));
    const int64_t st = ic->start_time == AV_NOPTS_VALUE ? 0 : ic->start_time;
    lines << QString::asprintf("StartTime: %d.%.6d", int(st / AV_TIME_BASE),
                               int(std::llabs(st % AV_TIME_BASE)));
    lines << (ic->bit_rate > 0 ? QString::asprintf("Bit Rate: %d kb/s", int(ic->bit_rate / 1000))
                               : QString("Bit Rate: N/A"));
    const QString stamp = Meta(ic->metadata, "creation_time");
    if (!stamp.isEmpty()) lines << "Time Stamp: " + stamp;

    auto streamLine = [&](unsigned i, const QString& indent) {
        const AVStream* s = ic->streams[i];
        QString line = indent + QString::asprintf("Stream #%d", int(i));
        if (ic->iformat->flags & AVFMT_SHOW_IDS) line += QString::asprintf("[0x%x]", s->id);
        const QString lang = Meta(s->metadata, "language");
        if (!lang.isEmpty()) line += "(" + lang + ")";
        lines << line + ": " + CodecDescription(s);
    };
    std::vector<bool> shown(ic->nb_streams, false);
    for (unsigned p = 0; p < ic->nb_programs; ++p) {
        const AVProgram* prog = ic->programs[p];
        lines << QString::asprintf("Program %d %s", prog->id,
                                   Meta(prog->metadata, "name").toUtf8().constData());
        for (unsigned k = 0; k < prog->nb_stream_indexes; ++k) {
            const unsigned s = prog->stream_index[k];
            if (s >= ic->nb_streams) continue;
            streamLine(s, "  ");
            shown[s] = true;
        }
    }
    for (unsigned i = 0; i < ic->nb_streams; ++i)
        if (!shown[i]) streamLine(i, {});
    return lines.join('\n');
}

QString TAVProbe::ProbeFormatName() {
    if (!Loaded()) return {};
    return QString::fromUtf8(input_.Context()->iformat->name);
}

int TAVProbe::ProbeVideoCount() {
    if (!Loaded()) return -1;
    int n = 0;
    const AVFormatContext* ic = input_.Context();
    for (unsigned i = 0; i < ic->nb_streams; ++i)
        if (ic->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(ic->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC))
            ++n;
    return n;
}

int TAVProbe::FirstOf(AVMediaType type) {
    if (!Loaded()) return -1;
    const AVFormatContext* ic = input_.Context();
    for (unsigned i = 0; i < ic->nb_streams; ++i) {
        const AVStream* s = ic->streams[i];
        if (s->codecpar->codec_type == type && !(s->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return int(i);
    }
    return -1;
}

int TAVProbe::ProbeFirstVideo() {
    return FirstOf(AVMEDIA_TYPE_VIDEO);
}
int TAVProbe::ProbeFirstAudio() {
    return FirstOf(AVMEDIA_TYPE_AUDIO);
}

bool TAVProbe::IsKind(int index, AVMediaType type) {
    if (!Loaded()) return false;
    if (index < 0 || unsigned(index) >= input_.Context()->nb_streams) {
        lastError_ = QString::asprintf("stream index #%d is invalid.", index);
        return false;
    }
    return input_.Context()->streams[index]->codecpar->codec_type == type;
}

bool TAVProbe::ProbeIsVideo(int index) {
    return IsKind(index, AVMEDIA_TYPE_VIDEO);
}
bool TAVProbe::ProbeIsAudio(int index) {
    return IsKind(index, AVMEDIA_TYPE_AUDIO);
}

TFileStreamInfo TAVProbe::ReadFileInfo() {
    TFileStreamInfo info;
    if (!Loaded()) return info;
    const AVFormatContext* ic = input_.Context();
    info.StartTime = OrMinusOne(ic->start_time);
    info.Duration = OrMinusOne(ic->duration);
    if (ic->bit_rate > 0) info.BitRate = int32_t(std::min<int64_t>(ic->bit_rate, INT32_MAX));
    const QString stamp = Meta(ic->metadata, "creation_time");
    int64_t when = 0;
    if (!stamp.isEmpty() && av_parse_time(&when, stamp.toUtf8().constData(), 0) == 0)
        info.TimeStamp = when;
    QString year = Meta(ic->metadata, "year");
    if (year.isEmpty()) year = Meta(ic->metadata, "date");
    info.Year = LeadingNumber(year);
    info.Track = LeadingNumber(Meta(ic->metadata, "track"));
    info.Title = Meta(ic->metadata, "title");
    info.Author = Meta(ic->metadata, "author");
    if (info.Author.isEmpty()) info.Author = Meta(ic->metadata, "artist");
    info.Copyright = Meta(ic->metadata, "copyright");
    info.Comment = Meta(ic->metadata, "comment");
    info.Album = Meta(ic->metadata, "album");
    info.Genre = Meta(ic->metadata, "genre");
    return info;
}

TVideoStreamInfo TAVProbe::ReadVideoInfo(int index) {
    TVideoStreamInfo info;
    if (!Loaded()) return info;
    if (index < 0) {
        index = ProbeFirstVideo();
        if (index < 0) {
            lastError_ = "no video stream.";
            return info;
        }
    } else if (!ProbeIsVideo(index)) {
        if (unsigned(index) < input_.Context()->nb_streams)
            lastError_ = QString::asprintf("stream #%d is not video stream.", index);
        return info;
    }
    AVFormatContext* ic = input_.Context();
    AVStream* st = ic->streams[index];
    FillCommon(st, info.Language, info.CodecText, info.StartTimeBase, info.StartTime,
               info.DurationBase, info.Duration, info.BitRate);
    const AVCodecParameters* par = st->codecpar;
    if (par->width > 0) info.Width = par->width;
    if (par->height > 0) info.Height = par->height;
    if (par->width > 0 && par->height > 0) {
        AVRational sar = av_guess_sample_aspect_ratio(ic, st, nullptr);
        if (sar.num <= 0 || sar.den <= 0) sar = AVRational{1, 1};
        info.DisplayAspect = float(double(par->width) * sar.num / (double(par->height) * sar.den));
    }
    if (par->format >= 0) info.PixelFormat = par->format;
    const AVRational fr = av_guess_frame_rate(ic, st, nullptr);
    if (fr.num > 0 && fr.den > 0) {
        info.FrameRateNum = fr.num;
        info.FrameRateDen = fr.den;
    }
    return info;
}

TAudioStreamInfo TAVProbe::ReadAudioInfo(int index) {
    TAudioStreamInfo info;
    if (!Loaded()) return info;
    if (index < 0) {
        index = ProbeFirstAudio();
        if (index < 0) {
            lastError_ = "no audio stream.";
            return info;
        }
    } else if (!ProbeIsAudio(index)) {
        if (unsigned(index) < input_.Context()->nb_streams)
            lastError_ = QString::asprintf("stream #%d is not audio stream.", index);
        return info;
    }
    const AVStream* st = input_.Context()->streams[index];
    FillCommon(st, info.Language, info.CodecText, info.StartTimeBase, info.StartTime,
               info.DurationBase, info.Duration, info.BitRate);
    const AVCodecParameters* par = st->codecpar;
    if (par->ch_layout.nb_channels > 0) info.Channels = par->ch_layout.nb_channels;
    if (par->sample_rate > 0) info.SampleRate = par->sample_rate;
    if (par->format >= 0) info.SampleFormat = par->format;
    return info;
}

}  // namespace fw::engine
