// The format file shipped with the program: every catalogue entry is defined,
// every list item is something the settings dialog can store, and every
// default row exists. (Whether each row really converts is checked by the
// conversion tests.)
#include "app/FormatFileInstall.h"
#include "app/IniFile.h"
#include "common/TestSupport.h"
#include "profiles/FormatCatalogue.h"
#include "profiles/FormatFile.h"
#include "profiles/ParameterTables.h"
#include "profiles/Validators.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QRegularExpression>

namespace fw {
namespace {

QString ShippedFile() {
    return QStringLiteral(FW_SOURCE_DIR) + "/data/orvextarnwellformat.ini";
}

int DefaultRow(const TFormatProfile& p, const QString& key) {
    const QString k = key.toLower();
    if (k == "videosize") return p.iVideoSize;
    if (k == "videobitrate") return p.iVideoBitRate;
    if (k == "framerate") return p.iFrameRate;
    if (k == "videoencoder") return p.iVideoEncoder;
    if (k == "audiobitrate") return p.iAudioBitRate;
    if (k == "samplerate") return p.iSampleRate;
    if (k == "audioencoder") return p.iAudioEncoder;
    if (k == "channel") return p.iChannel;
    return p.iVolume;
}

TEST(ShippedFormatFile, DefinesEveryCatalogueEntryWithStorableLists) {
    const IniFile format(ShippedFile());
    const QRegularExpression size("^([0-9]+)x([0-9]+)$");
    for (int code : FormatCatalogueCodes()) {
        SCOPED_TRACE(code);
        const TFormatProfile p = ReadFormatProfile(format, code);
        ASSERT_TRUE(p.defined);
        EXPECT_NE(p.format, "null");
        EXPECT_FALSE(p.fileExt.isEmpty());
        // The extension is the one the catalogue shows, "(*.swf)" and so on.
        EXPECT_TRUE(FormatEntryName(code).endsWith("(*." + p.fileExt + ")"));

        for (const QString& key : FormatListKeys()) {
            const auto items = p.List(key);
            if (!items) continue;
            SCOPED_TRACE(key.toStdString());
            ASSERT_FALSE(items->isEmpty());
            const int row = DefaultRow(p, key);
            EXPECT_TRUE(row >= 0 && row < items->size()) << row;
            for (const QString& item : *items) {
                SCOPED_TRACE(item.toStdString());
                EXPECT_FALSE(item.isEmpty());
                if (key == "VideoEncoder") EXPECT_TRUE(VideoEncoderIdentifier(item).has_value());
                if (key == "AudioEncoder") EXPECT_TRUE(AudioEncoderIdentifier(item).has_value());
                if (key == "Channel") EXPECT_TRUE(ChannelValue(item).has_value());
                if (key == "Volume") EXPECT_TRUE(VolumeValue(item).has_value());
                if (item == "as source") continue;
                if (key == "VideoSize") {
                    const auto m = size.match(item);
                    ASSERT_TRUE(m.hasMatch());
                    EXPECT_EQ(m.captured(1).toInt() % 2, 0);
                    EXPECT_EQ(m.captured(2).toInt() % 2, 0);
                }
                if (key == "VideoBitRate" || key == "SampleRate") EXPECT_TRUE(IsIntegerText(item));
                if (key == "AudioBitRate" || key == "FrameRate") EXPECT_TRUE(IsNumberText(item));
            }
        }
        // Video profiles have a video encoder list, audio profiles none.
        EXPECT_EQ(p.List("VideoEncoder").has_value(), code < 200);
        EXPECT_TRUE(p.List("AudioEncoder").has_value());
    }
}

TEST(ShippedFormatFile, DvProfilesOfferOnlyTheirOwnSizesAndRates) {
    const IniFile format(ShippedFile());
    const TFormatProfile ntsc = ReadFormatProfile(format, 108);
    const TFormatProfile pal = ReadFormatProfile(format, 109);
    EXPECT_EQ(ntsc.List("VideoSize"), QStringList({"720x480"}));
    EXPECT_EQ(ntsc.List("FrameRate"), QStringList({"29.97"}));
    EXPECT_EQ(pal.List("VideoSize"), QStringList({"720x576"}));
    EXPECT_EQ(pal.List("FrameRate"), QStringList({"25"}));
    EXPECT_EQ(ntsc.List("Channel"), QStringList({"stereo 2 channels"}));
    EXPECT_EQ(pal.List("AudioEncoder"), QStringList({"pcm_s16"}));
}

TEST(ShippedFormatFile, CopiedBesideTheBuiltPrograms) {
    bool found = false;
    for (const QString& c : ShippedFormatFileCandidates()) found = found || QFileInfo(c).isFile();
    EXPECT_TRUE(found);
}

TEST(ShippedFormatFile, ProfilesCommandListsEveryEntryAsDefined) {
    const QString cli = test::BuiltProgram("framewright-cli");
    if (!QFileInfo(cli).isExecutable()) GTEST_SKIP() << "framewright-cli is not built";
    test::TempDir config;
    const auto r = test::RunProgram(cli, {"profiles"}, 60000,
                                    {"XDG_CONFIG_HOME=" + config.Path(), "HOME=" + config.Path()});
    ASSERT_FALSE(r.crashed) << r.err.toStdString();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    // The format file was installed into the empty configuration folder.
    EXPECT_TRUE(QFileInfo(config.File("orvextarnwellformat.ini")).isFile());
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 18) << r.out.toStdString();
    const QList<int> codes = FormatCatalogueCodes();
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].trimmed().startsWith(QString::number(codes[i]) + " "))
            << lines[i].toStdString();
        EXPECT_TRUE(lines[i].contains(FormatEntryName(codes[i]))) << lines[i].toStdString();
        EXPECT_TRUE(lines[i].endsWith("defined")) << lines[i].toStdString();
    }

    // A format file without some sections: listed as missing, exit code 1.
    test::TempDir other;
    IniFile partial(other.File("f.ini"));
    partial.WriteString("formatInfo0", "Format", "swf");
    const auto r2 = test::RunProgram(cli, {"profiles", "--file", other.File("f.ini")}, 60000,
                                     {"XDG_CONFIG_HOME=" + config.Path(), "HOME=" + config.Path()});
    EXPECT_EQ(r2.exitCode, 1);
    EXPECT_EQ(r2.out.count("missing"), 17);
}

}  // namespace
}  // namespace fw
