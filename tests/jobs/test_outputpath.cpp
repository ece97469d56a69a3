#include "app/GlobalUnit.h"
#include "common/AppTestEnv.h"
#include "jobs/OutputPath.h"
#include "platform/Prompts.h"

#include <gtest/gtest.h>

#include <QDir>

namespace fw {
namespace {

using test::AppEnv;
using test::WriteText;

class OutputPathTest : public ::testing::Test {
  protected:
    AppEnv env;
    ScriptedPrompts prompts;
    QString out = env.dir.File("out");
    QString home = env.dir.File("home");

    void SetOutputDir(const QString& dir) {
        SettingsIni().WriteString("settings", "OutPutDir", dir);
    }
    QString Stored() { return SettingsIni().ReadString("settings", "OutPutDir", "<none>"); }
};

TEST_F(OutputPathTest, TagsCountUpAndReuseGaps) {
    QDir().mkpath(out);
    SetOutputDir(out);
    EXPECT_EQ(BuildOutputPath("/v/clip.flv", ".swf", prompts), out + "/clip_(new).swf");
    // Nothing is created or reserved: the same name again.
    EXPECT_EQ(BuildOutputPath("/v/clip.flv", ".swf", prompts), out + "/clip_(new).swf");
    WriteText(out + "/clip_(new).swf", "x");
    EXPECT_EQ(BuildOutputPath("/v/clip.flv", ".swf", prompts), out + "/clip_(new_1).swf");
    WriteText(out + "/clip_(new_2).swf", "x");
    EXPECT_EQ(BuildOutputPath("/v/clip.flv", ".swf", prompts), out + "/clip_(new_1).swf");
    WriteText(out + "/clip_(new_1).swf", "x");
    EXPECT_EQ(BuildOutputPath("/v/clip.flv", ".swf", prompts), out + "/clip_(new_3).swf");
    // A folder of that name does not count; a dangling link does.
    QDir().mkpath(out + "/clip_(new_3).swf");
    EXPECT_EQ(BuildOutputPath("/v/clip.flv", ".swf", prompts), out + "/clip_(new_3).swf");
    QFile::link(out + "/nowhere", out + "/a_(new).mp4");
    EXPECT_EQ(BuildOutputPath("/v/a.flv", ".mp4", prompts), out + "/a_(new_1).mp4");
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(OutputPathTest, NamesAndSuffixes) {
    QDir().mkpath(out);
    SetOutputDir(out + "/");  // no second separator
    struct Case {
        const char *source, *suffix, *expected;
    } cases[] = {
        {"/v/my.clip.flv", ".mp4", "/my.clip_(new).mp4"},
        {"/v/noext", ".mp3", "/noext_(new).mp3"},
        {"/v/.hidden", ".avi", "/.hidden_(new).avi"},
        {"/v/clip.flv", "_ipod.swf", "/clip_(new)_ipod.swf"},
        {"relative/x y.flv", ".dv", "/x y_(new).dv"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildOutputPath(c.source, c.suffix, prompts), out + c.expected) << c.source;
}

TEST_F(OutputPathTest, MissingFolderIsCreated) {
    SetOutputDir(out + "/a/b");
    EXPECT_EQ(BuildOutputPath("/v/clip.flv", ".swf", prompts), out + "/a/b/clip_(new).swf");
    EXPECT_TRUE(QFileInfo(out + "/a/b").isDir());
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(OutputPathTest, StoredDefaultMeansTheHomeFolder) {
    // Fresh settings: the stored default, which lives under the home folder here.
    EXPECT_EQ(BuildOutputPath("/v/clip.flv", ".swf", prompts),
              home + "/framewright/clip_(new).swf");
    EXPECT_TRUE(QFileInfo(home + "/framewright").isDir());
    EXPECT_FALSE(QFileInfo("c:\\framewright").exists());
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(OutputPathTest, UncreatableFolderFallsBackWithAMessage) {
    WriteText(env.dir.File("file"), "x");
    struct Case {
        QString stored;
    } cases[] = {{env.dir.File("file") + "/sub"}, {"E:\\out"}, {""}};
    for (const auto& c : cases) {
        prompts.messages.clear();
        SetOutputDir(c.stored);
        EXPECT_EQ(BuildOutputPath("/v/clip.flv", ".swf", prompts),
                  home + "/framewright/clip_(new).swf");
        ASSERT_EQ(prompts.messages.size(), 1);
        EXPECT_EQ(prompts.messages[0].caption, "Warning");
        EXPECT_EQ(prompts.messages[0].text, "Cannot create output directory:" + c.stored +
                                                ".It will create default directory " + home +
                                                "/framewright!");
        EXPECT_EQ(Stored(), home + "/framewright");
    }
    EXPECT_FALSE(QFileInfo("E:\\out").exists());
}

TEST_F(OutputPathTest, BrowseRules) {
    QDir().mkpath(out);
    QString shown = "unchanged";
    EXPECT_EQ(ApplyBrowsedFolder("", "/x", prompts, &shown), BrowseOutcome::Unchanged);
    EXPECT_EQ(ApplyBrowsedFolder(out, out, prompts, &shown), BrowseOutcome::Unchanged);
    EXPECT_EQ(Stored(), "<none>");  // not even a write

    EXPECT_EQ(ApplyBrowsedFolder("/ab", out, prompts, &shown), BrowseOutcome::Invalid);
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages[0].text, "The path /ab is not a valid directory.");
    EXPECT_EQ(Stored(), "<none>");
    EXPECT_EQ(shown, "unchanged");

    EXPECT_EQ(ApplyBrowsedFolder(out, "/x", prompts, &shown), BrowseOutcome::Accepted);
    EXPECT_EQ(Stored(), out);
    EXPECT_EQ(shown, out);

    const QString missing = env.dir.File("missing");
    EXPECT_EQ(ApplyBrowsedFolder(missing, out, prompts, &shown), BrowseOutcome::Replaced);
    ASSERT_EQ(prompts.messages.size(), 2);
    EXPECT_EQ(prompts.messages[1].text,
              "You login as " + TGlobalObject::GetLoginName().trimmed() +
                  " .You don't have permission to write to directory:" + missing);
    EXPECT_EQ(Stored(), home + "/framewright");
    EXPECT_EQ(shown, home + "/framewright");
    EXPECT_FALSE(QFileInfo(home + "/framewright").exists());  // not created here
}

TEST_F(OutputPathTest, OpenNeedsMoreThanTwoCharacters) {
    QStringList opened;
    auto opener = [&](const QString& f) {
        opened << f;
        return true;
    };
    EXPECT_FALSE(OpenOutputFolder("ab", opener));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(OpenOutputFolder("abc", opener));
    SetOutputDir(out);
    EXPECT_TRUE(OpenOutputFolder(out, opener));
    EXPECT_EQ(opened, QStringList({home + "/framewright", out}));
}

TEST_F(OutputPathTest, FirstShowRepairOfTheFolderKeys) {
    // Fresh settings: the default folder does not exist yet, so it is stored.
    EXPECT_EQ(RepairFolderKey("OutPutDir"), home + "/framewright");
    EXPECT_EQ(Stored(), home + "/framewright");
    EXPECT_EQ(RepairFolderKey("SnapOutPutDir"), home + "/framewright");
    EXPECT_EQ(SettingsIni().ReadString("settings", "snapoutputdir", ""), home + "/framewright");

    QDir().mkpath(out);
    SetOutputDir(out);
    EXPECT_EQ(RepairFolderKey("OutPutDir"), out);
    EXPECT_EQ(Stored(), out);
}

}  // namespace
}  // namespace fw
