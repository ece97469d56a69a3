#include "jobs/ProfileChoices.h"

#include "app/IniFile.h"
#include "profiles/FormatFile.h"
#include "profiles/ParameterTables.h"

namespace fw {

ProfileChoices::ProfileChoices(const IniFile& settings, const IniFile& format, int formatCode)
    : settings_(settings), format_(format), section_(FormatSection(formatCode)) {}

QString ProfileChoices::Value(const QString& paraKey, const QString& fixedDefault) const {
    if (settings_.ValueExists(section_, paraKey))
        return settings_.ReadString(section_, paraKey, fixedDefault);
    QString fromFormat;
    if (DefaultFromFormatFile(paraKey, &fromFormat)) return fromFormat;
    return fixedDefault;
}

QString ProfileChoices::FormatWord() const { return format_.ReadString(section_, "Format", "null"); }

QString ProfileChoices::FileExt() const { return format_.ReadString(section_, "FileExt", "mp4"); }

bool ProfileChoices::DefaultRowText(const QString& listKey, const QString& rowKey,
                                    QString* text) const {
    const QString raw = format_.ReadString(section_, listKey, "null");
    const auto items = CutValueList(raw);
    if (!items) return false;
    // The last six lists treat an empty value as no list at all.
    static const QStringList kEmptyIsNull{"AudioBitRate", "SampleRate", "AudioEncoder", "Channel",
                                          "Volume", "VideoEncoder"};
    if (raw.isEmpty() && kEmptyIsNull.contains(listKey)) return false;
    const int row = format_.ReadInteger(section_, rowKey, 0);
    if (row < 0 || row >= items->size()) return false;
    *text = items->at(row);
    return true;
}

bool ProfileChoices::DefaultFromFormatFile(const QString& paraKey, QString* value) const {
    const QString key = paraKey.toLower();
    QString text;
    auto plain = [&](const char* list, const char* row) {
        if (!DefaultRowText(list, row, &text)) return false;
        *value = text;
        return true;
    };
    auto gsmDefault = [&] {
        QString enc;
        return DefaultRowText("AudioEncoder", "iAudioEncoder", &enc) && IsGsmAudioEncoder(enc);
    };
    if (key == "paravideosize") return plain("VideoSize", "iVideoSize");
    if (key == "paravideobitrate") return plain("VideoBitRate", "iVideoBitRate");
    if (key == "paraframerate") return plain("FrameRate", "iFrameRate");
    if (key == "paraaudiobitrate") return plain("AudioBitRate", "iAudioBitRate");
    if (key == "parasamplerate") {
        if (gsmDefault()) {
            *value = "8000";
            return true;
        }
        return plain("SampleRate", "iSampleRate");
    }
    if (key == "parachannel") {
        if (gsmDefault()) {
            *value = "1";
            return true;
        }
        if (!DefaultRowText("Channel", "iChannel", &text)) return false;
        const auto v = ChannelValue(text);
        if (v) *value = *v;
        return v.has_value();
    }
    if (key == "paravolume") {
        if (!DefaultRowText("Volume", "iVolume", &text)) return false;
        const auto v = VolumeValue(text);
        if (v) *value = *v;
        return v.has_value();
    }
    if (key == "paravideoencoder") {
        if (!DefaultRowText("VideoEncoder", "iVideoEncoder", &text)) return false;
        const auto v = VideoEncoderIdentifier(text);
        if (v) *value = *v;
        return v.has_value();
    }
    if (key == "paraaudioencoder") {
        if (!DefaultRowText("AudioEncoder", "iAudioEncoder", &text)) return false;
        const auto v = AudioEncoderIdentifier(text);
        if (v) *value = *v;
        return v.has_value();
    }
    return false;  // "paraZoom" and the rest have no list in the format file
}

}  // namespace fw
