#include "profiles/ParameterTables.h"

#include <array>
#include <utility>

namespace fw {

namespace {

using Pair = std::pair<const char*, const char*>;

constexpr std::array<Pair, 27> kVideoEncoders{{
    {"mpeg-4", "mpeg4"},         {"3gp", "3gp"},           {"3g2", "3g2"},
    {"xvid", "libxvid"},         {"mov", "mov"},           {"wmv1", "wmv1"},
    {"wmv2", "wmv2"},            {"wmv3", "wmv3"},         {"flv", "flv"},
    {"msmpeg4", "msmpeg4"},      {"msmpeg4v1", "msmpeg4v1"}, {"msmpeg4v2", "msmpeg4v2"},
    {"mpeg1video", "mpeg1video"}, {"mpeg2video", "mpeg2video"}, {"h263", "h263"},
    {"h263p", "h263p"},          {"rawvideo", "rawvideo"}, {"swf", "swf"},
    {"rv10", "rv10"},            {"rv20", "rv20"},         {"dvvideo", "dvvideo"},
    {"huffyuv", "huffyuv"},      {"ljpeg", "ljpeg"},       {"mjpeg", "mjpeg"},
    {"svq1", "svq1"},            {"zlib", "zlib"},         {"h264", "libx264"},
}};

constexpr std::array<Pair, 28> kAudioEncoders{{
    {"mp3", "libmp3lame"},
    {"ogg", "vorbis"},
    {"mp2", "mp2"},
    {"aac", "libfaac"},
    {"ac-3", "ac3"},
    {"flac", "flac"},
    {"alac", "alac"},
    {"libamr_nb", "libopencore_amrnb"},
    {"adpcm_swf", "adpcm_swf"},
    {"adpcm_yamaha", "adpcm_yamaha"},
    {"pcm-8bit", "pcm_s8"},
    {"pcm-16bit", "pcm_s16be"},
    {"pcm-24bit", "pcm_s24be"},
    {"pcm-32bit", "pcm_s32be"},
    {"pcm-32bit float", "pcm_f32be"},
    {"pcm-64bit float", "pcm_f64be"},
    {"ccitt a-law(8-bit)", "pcm_alaw"},
    {"ccitt mu-law(8-bit)", "pcm_mulaw"},
    {"ima adpcm(4-bit)", "adpcm_ima_qt"},
    {"gsm", "libgsm"},
    {"pcm_s16", "pcm_s16le"},
    {"pcm_u16", "pcm_u16le"},
    {"pcm_alaw", "pcm_alaw"},
    // Ten characters with a trailing blank: only an item that is not the
    // last of its list can carry it, since INI values lose trailing blanks.
    {"pcm_mulaw ", "pcm_mulaw"},
    {"adpcm_ms", "adpcm_ms"},
    {"adpcm_ima_wav", "adpcm_ima_wav"},
    {"wma1", "wmav1"},
    {"wma2", "wmav2"},
}};

template <size_t N>
std::optional<QString> Lookup(const std::array<Pair, N>& table, const QString& displayName) {
    const QString key = displayName.toLower();
    for (const auto& [name, stored] : table)
        if (key == QLatin1String(name)) return QString::fromLatin1(stored);
    return std::nullopt;
}

}  // namespace

std::optional<QString> VideoEncoderIdentifier(const QString& displayName) {
    return Lookup(kVideoEncoders, displayName);
}

std::optional<QString> AudioEncoderIdentifier(const QString& displayName) {
    return Lookup(kAudioEncoders, displayName);
}

bool IsGsmAudioEncoder(const QString& displayName) { return displayName.toLower() == "gsm"; }

std::optional<QString> ChannelValue(const QString& displayText) {
    if (displayText == "as source") return QStringLiteral("as source");
    if (displayText == "mono 1 channel") return QStringLiteral("1");
    if (displayText == "stereo 2 channels") return QStringLiteral("2");
    return std::nullopt;
}

std::optional<QString> VolumeValue(const QString& displayText) {
    if (displayText.isEmpty()) return std::nullopt;
    bool ok = false;
    const int percent = displayText.left(displayText.size() - 1).toInt(&ok);
    if (!ok || percent <= 0) return std::nullopt;
    static constexpr int kPercents[] = {25, 50, 75, 100, 125, 150, 175, 200, 250, 300, 350, 400};
    for (int p : kPercents)
        if (p == percent) return QString::number(percent * 256 / 100);
    return std::nullopt;
}

std::optional<QString> ZoomValue(int row) {
    switch (row) {
        case 0: return QStringLiteral("full");
        case 1: return QStringLiteral("lbox");
        case 2: return QStringLiteral("pan");
        case 3: return QStringLiteral("center");
        default: return std::nullopt;
    }
}

}  // namespace fw
