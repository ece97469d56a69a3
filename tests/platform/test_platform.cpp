#include "common/TestSupport.h"
#include "platform/Platform.h"
#include "platform/Prompts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <pwd.h>
#include <unistd.h>

namespace fw {
namespace {

using test::TempDir;

using test::EnvScope;

QStringList Listing(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

TEST(Platform, AppDataFolderFollowsXdgConfigHomeAndIsCreated) {
    TempDir tmp;
    const QString config = tmp.File("cfg/deeper");
    EnvScope env("XDG_CONFIG_HOME", config);
    EXPECT_EQ(platform::AppDataFolder(), config + "/");
    EXPECT_TRUE(QFileInfo(config).isDir());
}

TEST(Platform, WritabilityProbeLeavesNothingBehind) {
    TempDir tmp;
    QFile keep(tmp.File("DAexisting"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.close();
    const QStringList before = Listing(tmp.Path());
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(platform::ProbeFolderWritable(tmp.Path()));
    EXPECT_TRUE(platform::ProbeFolderWritable(tmp.Path() + "/"));
    EXPECT_EQ(Listing(tmp.Path()), before);

    EXPECT_FALSE(platform::ProbeFolderWritable(tmp.File("missing")));
    EXPECT_FALSE(platform::ProbeFolderWritable(tmp.File("DAexisting")));  // a file, not a folder
    EXPECT_FALSE(platform::ProbeFolderWritable(""));
}

TEST(Platform, WritabilityProbeRefusesReadOnlyFolder) {
    if (geteuid() == 0) GTEST_SKIP() << "root can write into read-only folders";
    TempDir tmp;
    QDir().mkpath(tmp.File("ro"));
    QFile::setPermissions(tmp.File("ro"), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(platform::ProbeFolderWritable(tmp.File("ro")));
    QFile::setPermissions(tmp.File("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(Listing(tmp.File("ro")).isEmpty());
}

TEST(Platform, DefaultFolderResolvesToHome) {
    TempDir tmp;
    EnvScope home("HOME", tmp.Path());
    EXPECT_EQ(platform::DefaultFolderText(), "c:\\framewright");
    EXPECT_EQ(platform::UserProfileFolder(), tmp.Path());
    const QString def = tmp.Path() + "/framewright";
    EXPECT_EQ(platform::DefaultFolderPath(), def);
    struct Case {
        QString stored, expected;
    } cases[] = {
        {"c:\\framewright", def},
        {"C:\\FrameWright", def},
        {"c:/framewright", def},
        {"C:\\framewright\\", def},
        {"/srv/out", "/srv/out"},
        {"c:\\framewright2", "c:\\framewright2"},
        {"d:\\framewright", "d:\\framewright"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::ResolveFolder(c.stored), c.expected) << c.stored.toStdString();
}

TEST(Platform, IdentityAndVersion) {
    passwd* pw = getpwuid(geteuid());
    ASSERT_NE(pw, nullptr);
    EXPECT_EQ(platform::LoginName(), QString::fromLocal8Bit(pw->pw_name));
    const auto v = platform::ExecutableVersion();
    // Compiled in from the project version, so never the unset 0.0.0.0.
    EXPECT_GT(v.major + v.minor + v.release + v.build, 0);
    const QString exe = platform::ExecutableFolder();
    EXPECT_TRUE(exe.endsWith('/'));
    EXPECT_TRUE(QFileInfo(exe).isDir());
}

TEST(Platform, OrdinaryFolderIsNotOnCdRom) {
    TempDir tmp;
    EXPECT_FALSE(platform::IsOnCdRom(tmp.Path()));
    EXPECT_FALSE(platform::IsOnCdRom(tmp.File("missing")));
}

TEST(Platform, OpenInDesktopWithoutGuiApplicationFailsQuietly) {
    EXPECT_FALSE(platform::OpenInDesktop("/tmp"));
    EXPECT_FALSE(platform::OpenInDesktop(""));
}

TEST(ScriptedPrompts, RecordsMessagesAndAnswersFromQueues) {
    ScriptedPrompts p;
    EXPECT_EQ(p.MessageBox("Warning", "a", MsgIcon::Question, MsgButtons::YesNo), MsgResult::Yes);
    EXPECT_EQ(p.MessageBox("Warning", "b", MsgIcon::Warning, MsgButtons::Ok), MsgResult::Ok);
    p.PushAnswer(MsgResult::No);
    EXPECT_EQ(p.MessageBox("Q", "c", MsgIcon::Question, MsgButtons::YesNo), MsgResult::No);
    ASSERT_EQ(p.messages.size(), 3);
    EXPECT_EQ(p.messages[2].caption, "Q");
    EXPECT_EQ(p.messages[1].icon, MsgIcon::Warning);

    EXPECT_TRUE(p.OpenFiles("*.flv").isEmpty());
    p.PushFiles({"/a.flv", "/b.flv"});
    EXPECT_EQ(p.OpenFiles("*.flv"), QStringList({"/a.flv", "/b.flv"}));
    EXPECT_EQ(p.ChooseFolder("/x"), "");
    p.PushFolder("/y");
    EXPECT_EQ(p.ChooseFolder("/x"), "/y");
    EXPECT_EQ(p.folderStarts, QStringList({"/x", "/x"}));
}

}  // namespace
}  // namespace fw
