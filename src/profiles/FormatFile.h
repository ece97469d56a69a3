// The format file: one section per output profile ("formatInfo" + format
// code) with the container word, the extension, the value lists, the default
// rows and the H.264 settings. The program only reads it.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace fw {

class IniFile;

// "formatInfo" followed by the code in decimal ("formatInfo0", "formatInfo102").
QString FormatSection(int code);

// A value list: the text cut at every comma, items kept character for
// character (blanks stay, empty items stay). Exactly "null" means no list;
// an empty text is one empty item.
std::optional<QStringList> CutValueList(const QString& text);

// One profile as the format file defines it; every key with its default.
struct TFormatProfile {
    int code = 0;
    bool defined = false;  // the file has the profile's section

    QString format = QStringLiteral("null");  // "Format"
    QString fileExt = QStringLiteral("mp4");  // "FileExt"

    // The raw texts of the nine lists ("null" when absent).
    QString videoSize, videoBitRate, frameRate, videoEncoder;
    QString audioBitRate, sampleRate, audioEncoder, channel, volume;

    // Default rows, counted from 0.
    int iVideoSize = 0, iVideoBitRate = 0, iFrameRate = 0, iVideoEncoder = 0;
    int iAudioBitRate = 0, iSampleRate = 0, iChannel = 0, iVolume = 0, iAudioEncoder = 0;

    // H.264 settings as written (empty when absent).
    QString paraBitExact, paraMaxBitrate, paraBufferSize, paraLevel, paraQscale, paraGop, paraCoder;

    // The list of a list key ("VideoSize", ... any letter case) cut into items.
    std::optional<QStringList> List(const QString& listKey) const;
};

// The nine list keys in the order the parameter boxes are filled.
const QStringList& FormatListKeys();

TFormatProfile ReadFormatProfile(const IniFile& format, int code);

}  // namespace fw
