#include "app/ErrorText.h"
#include "app/FitRect.h"
#include "app/FormatFileInstall.h"
#include "app/GlobalUnit.h"
#include "common/AppTestEnv.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <QDir>

namespace fw {
namespace {

using test::AppEnv;
using test::ReadText;
using test::TempDir;
using test::WriteText;

TEST(GlobalObject, ScopeSetsUpTheStartValuesAndDestroysTheObject) {
    EXPECT_FALSE(GlobalObjectExists());
    {
        AppEnv env;
        ASSERT_TRUE(GlobalObjectExists());
        const TGlobalObject& g = GlobalObject();
        const QString appData = env.dir.File("config") + "/";
        EXPECT_EQ(g.SettingsFileName(), appData + "orvextarnwellconverter.ini");
        EXPECT_EQ(g.FormatFileName(), appData + "orvextarnwellformat.ini");
        EXPECT_EQ(g.ProductName(), "Orvex Tarnwell");
        EXPECT_EQ(g.VersionText(), " ver 1.20 ");
        EXPECT_FALSE(g.WebSiteAddress().isEmpty());
        EXPECT_FALSE(g.HelpAddress().isEmpty());
        EXPECT_EQ(SettingsIni().Path(), g.SettingsFileName());
        EXPECT_EQ(FormatIni().Path(), g.FormatFileName());
        {
            GlobalObjectScope nested;  // leaves the existing object alone
        }
        EXPECT_TRUE(GlobalObjectExists());
    }
    EXPECT_FALSE(GlobalObjectExists());
}

TEST(GlobalObject, SettersKeepTheFieldOnTooShortTexts) {
    TGlobalObject g;
    g.SetProductName("P");
    g.SetProductName("");
    EXPECT_EQ(g.ProductName(), "P");
    g.SetVersionText(" v ");
    g.SetVersionText("");
    EXPECT_EQ(g.VersionText(), " v ");
    g.SetHelpAddress("h");
    g.SetHelpAddress("");
    g.SetWebSiteAddress("w");
    g.SetWebSiteAddress("");
    EXPECT_EQ(g.HelpAddress(), "h");
    EXPECT_EQ(g.WebSiteAddress(), "w");
    g.SetSettingsFileName("/a/s.ini");
    g.SetSettingsFileName("abc");  // 3 characters: ignored
    EXPECT_EQ(g.SettingsFileName(), "/a/s.ini");
    g.SetSettingsFileName("abcd");
    EXPECT_EQ(g.SettingsFileName(), "abcd");
    g.SetFormatFileName("/f.ini");
    g.SetFormatFileName("");
    EXPECT_EQ(g.FormatFileName(), "/f.ini");
}

TEST(GlobalObject, RightTextVersionTextAndSpecialFolders) {
    EXPECT_EQ(TGlobalObject::RightText("framewright", 6), "wright");
    EXPECT_EQ(TGlobalObject::RightText("abc", 10), "abc");
    EXPECT_EQ(TGlobalObject::RightText("abc", 0), "");
    EXPECT_EQ(TGlobalObject::RightText("abc", -1), "");

    const auto v = platform::ExecutableVersion();
    EXPECT_EQ(TGlobalObject::BuildVersionText(),
              QString(" %1.%2%3%4 ").arg(v.major).arg(v.minor).arg(v.release).arg(v.build));
    EXPECT_TRUE(TGlobalObject::BuildVersionText().startsWith(' '));
    EXPECT_TRUE(TGlobalObject::BuildVersionText().endsWith(' '));

    AppEnv env;
    EXPECT_EQ(TGlobalObject::GetSpecialFolder(TGlobalObject::kCsidlAppData),
              env.dir.File("config") + "/");
    EXPECT_EQ(TGlobalObject::GetSpecialFolder(TGlobalObject::kCsidlProfile),
              env.dir.File("home") + "/");
    EXPECT_EQ(TGlobalObject::GetSpecialFolder(12345), "");
    EXPECT_FALSE(TGlobalObject::GetLoginName().isEmpty());
}

TEST(GlobalObject, StoredDefaultFolderIsProbedWhereItReallyIs) {
    AppEnv env;
    EXPECT_FALSE(TGlobalObject::IsFolderWritable("c:\\framewright"));
    QDir().mkpath(env.dir.File("home/framewright"));
    EXPECT_TRUE(TGlobalObject::IsFolderWritable("c:\\framewright"));
    EXPECT_TRUE(TGlobalObject::IsFolderWritable("C:/FrameWright"));
    EXPECT_TRUE(QDir(env.dir.File("home/framewright")).isEmpty());
    // No folder named after the Windows path appears anywhere.
    EXPECT_FALSE(QFileInfo("c:\\framewright").exists());
}

TEST(ErrorText, FullStopAfterCharactersSortingAfterIt) {
    struct Case {
        const char *in, *out;
    } cases[] = {
        {"Cannot open file", "Cannot open file."},
        {"Code 42", "Code 42."},
        {"Done.", "Done."},
        {"Stop!", "Stop!"},
        {"(bad)", "(bad)"},
        {"a-", "a-"},         // '-' is 45
        {"path/", "path/."},  // '/' is 47
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ApplicationErrorText(c.in), c.out) << c.in;
}

TEST(FitRect, CentresTheLargestRectangleOfTheSourceShape) {
    struct Case {
        QSize source;
        QRect destination, expected;
    } cases[] = {
        {{640, 480}, {0, 0, 320, 240}, {0, 0, 320, 240}},      // same shape
        {{1920, 1080}, {0, 0, 400, 300}, {0, 38, 400, 224}},   // c = 37.5 rounds to even 38
        {{480, 640}, {10, 20, 300, 300}, {48, 20, 224, 300}},  // tall: bands left and right
        {{100, 50}, {0, 0, 100, 101}, {0, 26, 100, 49}},       // c = 25.5 rounds to even 26
        {{100, 50}, {0, 0, 100, 99}, {0, 24, 100, 51}},        // c = 24.5 rounds to even 24
        {{0, 50}, {5, 5, 100, 100}, {5, 5, 100, 100}},         // empty source
        {{100, 50}, {0, 0, 0, 100}, {0, 0, 0, 100}},           // empty destination
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitRect(c.source, c.destination), c.expected)
            << c.source.width() << "x" << c.source.height();
}

TEST(FormatFileInstall, CopiesTheShippedFileOnlyWhenMissing) {
    TempDir tmp;
    QString shipped;
    for (const QString& c : ShippedFormatFileCandidates())
        if (QFileInfo(c).isFile()) shipped = c;
    ASSERT_FALSE(shipped.isEmpty())
        << "the build copies data/orvextarnwellformat.ini beside the programs";

    QString error;
    const QString target = tmp.File("orvextarnwellformat.ini");
    ASSERT_TRUE(InstallFormatFile(target, &error)) << error.toStdString();
    EXPECT_EQ(ReadText(target), ReadText(shipped));
    EXPECT_EQ(QDir(tmp.Path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    WriteText(target, "[formatInfo0]\nFormat=mine\n");
    ASSERT_TRUE(InstallFormatFile(target, &error));
    EXPECT_EQ(ReadText(target), "[formatInfo0]\nFormat=mine\n");

    EXPECT_FALSE(InstallFormatFile(tmp.File("missing/dir/f.ini"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(FormatFileInstall, EnsureInstallsIntoTheApplicationDataFolder) {
    AppEnv env;
    QString error;
    ASSERT_TRUE(EnsureFormatFileInstalled(&error)) << error.toStdString();
    EXPECT_TRUE(FormatIni().SectionExists("formatInfo0"));
}

}  // namespace
}  // namespace fw
