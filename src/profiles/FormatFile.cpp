#include "profiles/FormatFile.h"

#include "app/IniFile.h"

namespace fw {

QString FormatSection(int code) {
    return QStringLiteral("formatInfo") + QString::number(code);
}

std::optional<QStringList> CutValueList(const QString& text) {
    if (text == QLatin1String("null")) return std::nullopt;
    return text.split(QLatin1Char(','), Qt::KeepEmptyParts);
}

const QStringList& FormatListKeys() {
    static const QStringList keys = {QStringLiteral("VideoSize"),    QStringLiteral("VideoBitRate"),
                                     QStringLiteral("FrameRate"),    QStringLiteral("VideoEncoder"),
                                     QStringLiteral("AudioBitRate"), QStringLiteral("SampleRate"),
                                     QStringLiteral("AudioEncoder"), QStringLiteral("Channel"),
                                     QStringLiteral("Volume")};
    return keys;
}

std::optional<QStringList> TFormatProfile::List(const QString& listKey) const {
    const QString k = listKey.toLower();
    const QString* raw = nullptr;
    if (k == u"videosize")
        raw = &videoSize;
    else if (k == u"videobitrate")
        raw = &videoBitRate;
    else if (k == u"framerate")
        raw = &frameRate;
    else if (k == u"videoencoder")
        raw = &videoEncoder;
    else if (k == u"audiobitrate")
        raw = &audioBitRate;
    else if (k == u"samplerate")
        raw = &sampleRate;
    else if (k == u"audioencoder")
        raw = &audioEncoder;
    else if (k == u"channel")
        raw = &channel;
    else if (k == u"volume")
        raw = &volume;
    if (!raw) return std::nullopt;
    return CutValueList(*raw);
}

TFormatProfile ReadFormatProfile(const IniFile& format, int code) {
    TFormatProfile p;
    p.code = code;
    const QString s = FormatSection(code);
    p.defined = format.SectionExists(s);
    if (!p.defined) {
        for (QString* f : {&p.videoSize, &p.videoBitRate, &p.frameRate, &p.videoEncoder,
                           &p.audioBitRate, &p.sampleRate, &p.audioEncoder, &p.channel, &p.volume})
            *f = QStringLiteral("null");
        return p;
    }
    const QString null = QStringLiteral("null");
    p.format = format.ReadString(s, QStringLiteral("Format"), null);
    p.fileExt = format.ReadString(s, QStringLiteral("FileExt"), QStringLiteral("mp4"));
    p.videoSize = format.ReadString(s, QStringLiteral("VideoSize"), null);
    p.videoBitRate = format.ReadString(s, QStringLiteral("VideoBitRate"), null);
    p.frameRate = format.ReadString(s, QStringLiteral("FrameRate"), null);
    p.videoEncoder = format.ReadString(s, QStringLiteral("VideoEncoder"), null);
    p.audioBitRate = format.ReadString(s, QStringLiteral("AudioBitRate"), null);
    p.sampleRate = format.ReadString(s, QStringLiteral("SampleRate"), null);
    p.audioEncoder = format.ReadString(s, QStringLiteral("AudioEncoder"), null);
    p.channel = format.ReadString(s, QStringLiteral("Channel"), null);
    p.volume = format.ReadString(s, QStringLiteral("Volume"), null);
    p.iVideoSize = format.ReadInteger(s, QStringLiteral("iVideoSize"), 0);
    p.iVideoBitRate = format.ReadInteger(s, QStringLiteral("iVideoBitRate"), 0);
    p.iFrameRate = format.ReadInteger(s, QStringLiteral("iFrameRate"), 0);
    p.iVideoEncoder = format.ReadInteger(s, QStringLiteral("iVideoEncoder"), 0);
    p.iAudioBitRate = format.ReadInteger(s, QStringLiteral("iAudioBitRate"), 0);
    p.iSampleRate = format.ReadInteger(s, QStringLiteral("iSampleRate"), 0);
    p.iChannel = format.ReadInteger(s, QStringLiteral("iChannel"), 0);
    p.iVolume = format.ReadInteger(s, QStringLiteral("iVolume"), 0);
    p.iAudioEncoder = format.ReadInteger(s, QStringLiteral("iAudioEncoder"), 0);
    p.paraBitExact = format.ReadString(s, QStringLiteral("paraBitExact"), QString());
    p.paraMaxBitrate = format.ReadString(s, QStringLiteral("paraMaxBitrate"), QString());
    p.paraBufferSize = format.ReadString(s, QStringLiteral("paraBufferSize"), QString());
    p.paraLevel = format.ReadString(s, QStringLiteral("paraLevel"), QString());
    p.paraQscale = format.ReadString(s, QStringLiteral("paraQscale"), QString());
    p.paraGop = format.ReadString(s, QStringLiteral("paraGop"), QString());
    p.paraCoder = format.ReadString(s, QStringLiteral("paraCoder"), QString());
    return p;
}

}  // namespace fw
