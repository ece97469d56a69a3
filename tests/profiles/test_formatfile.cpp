#include "app/IniFile.h"
#include "common/AppTestEnv.h"
#include "profiles/FormatFile.h"
#include "profiles/Validators.h"

#include <gtest/gtest.h>

namespace fw {
namespace {

using test::TempDir;
using test::WriteText;

TEST(Validators, IntegerAndNumberTexts) {
    struct Case {
        const char* text;
        bool integer, number;
    } cases[] = {
        {"0", true, true},           {"800", true, true},         {"-12", true, true},
        {"+7", true, true},          {"2147483647", true, true},  {"2147483648", false, true},
        {"-2147483648", true, true}, {"29.97", false, true},      {"5.", false, true},
        {".5", false, true},         {"1e3", false, true},        {"1.5E-2", false, true},
        {"", false, false},          {" 5", false, false},        {"5 ", false, false},
        {"-", false, false},         {".", false, false},         {"1e", false, false},
        {"0x10", false, false},      {"$10", false, false},       {"1,5", false, false},
        {"1.2.3", false, false},     {"inf", false, false},       {"nan", false, false},
        {"1e999", false, false},     {"as source", false, false}, {"320x240", false, false},
        {"١٢", false, false},  // non-ASCII digits
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsIntegerText(QString::fromUtf8(c.text)), c.integer) << c.text;
        EXPECT_EQ(IsNumberText(QString::fromUtf8(c.text)), c.number) << c.text;
    }
}

TEST(FormatFile, ValueListsAreCutAtEveryComma) {
    EXPECT_EQ(FormatSection(0), "formatInfo0");
    EXPECT_EQ(FormatSection(102), "formatInfo102");
    struct Case {
        const char* text;
        std::optional<QStringList> items;
    } cases[] = {
        {"null", std::nullopt},
        {"", QStringList{""}},
        {"NULL", QStringList{"NULL"}},
        {"320x240", QStringList{"320x240"}},
        {"320x240,,640x480,", QStringList{"320x240", "", "640x480", ""}},
        {",a", QStringList{"", "a"}},
        {"as source, 25 ,30", QStringList{"as source", " 25 ", "30"}},
        {"null,null", QStringList{"null", "null"}},
    };
    for (const auto& c : cases) EXPECT_EQ(CutValueList(c.text), c.items) << c.text;
}

TEST(FormatFile, ProfileReadsEveryKeyWithItsDefault) {
    TempDir tmp;
    WriteText(tmp.File("f.ini"),
              "[FORMATINFO104]\n"
              "format=avi\n"
              "VideoSize=320x240,640x480\n"
              "VideoEncoder=xvid\n"
              "Channel=\n"
              "iVideoSize=1\n"
              "paraGop=250\n"
              "[formatInfo200]\n");
    const IniFile f(tmp.File("f.ini"));
    const TFormatProfile p = ReadFormatProfile(f, 104);
    EXPECT_TRUE(p.defined);
    EXPECT_EQ(p.format, "avi");
    EXPECT_EQ(p.fileExt, "mp4");
    EXPECT_EQ(p.List("VideoSize"), QStringList({"320x240", "640x480"}));
    EXPECT_EQ(p.List("videoencoder"), QStringList({"xvid"}));
    EXPECT_EQ(p.List("Channel"), QStringList({""}));
    EXPECT_EQ(p.List("AudioEncoder"), std::nullopt);
    EXPECT_EQ(p.iVideoSize, 1);
    EXPECT_EQ(p.iAudioEncoder, 0);
    EXPECT_EQ(p.paraGop, "250");
    EXPECT_EQ(p.paraLevel, "");

    const TFormatProfile empty = ReadFormatProfile(f, 200);
    EXPECT_TRUE(empty.defined);
    EXPECT_EQ(empty.format, "null");
    const TFormatProfile missing = ReadFormatProfile(f, 7);
    EXPECT_FALSE(missing.defined);
    EXPECT_EQ(missing.fileExt, "mp4");
    for (const QString& key : FormatListKeys())
        EXPECT_EQ(missing.List(key), std::nullopt) << key.toStdString();
}

}  // namespace
}  // namespace fw
