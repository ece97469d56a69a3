#include "app/IniFile.h"
#include "common/AppTestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

#include <thread>
#include <vector>

namespace fw {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

const char* kFixture =
    "; a comment\n"
    "[Settings]\n"
    "  OutPutDir  =   /srv/out   \n"
    "Empty=\n"
    "paraZoom=lbox\n"
    "dec=42\n"
    "neg=-7\n"
    "plus=+9\n"
    "hexa=0x1F\n"
    "hexb=$1f\n"
    "hexc=$FFFFFFFF\n"
    "big=99999999999\n"
    "junk=12abc\n"
    "float=1.5\n"
    "one=1\n"
    "two=2\n"
    "zero=0\n"
    "a line without an equals sign\n"
    "[formatInfo102]\r\n"
    "VideoSize=320x240,,640x480,\r\n";

TEST(IniFile, ReadingFollowsTheFileRules) {
    TempDir tmp;
    WriteText(tmp.File("s.ini"), kFixture);
    const IniFile ini(tmp.File("s.ini"));
    struct Case {
        const char *section, *key, *def, *expected;
    } cases[] = {
        {"settings", "outputdir", "d", "/srv/out"},  // names without case, blanks dropped
        {"SETTINGS", "OutPutDir", "d", "/srv/out"},
        {"settings", "Empty", "d", ""},    // present but empty: the empty text
        {"settings", "absent", "d", "d"},  // absent: the default
        {"nosuch", "OutPutDir", "d", "d"},
        {"settings", "parazoom", "full", "lbox"},
        {"FORMATINFO102", "videosize", "null", "320x240,,640x480,"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.key, c.def), c.expected) << c.section << "/" << c.key;
    EXPECT_TRUE(ini.ValueExists("settings", "empty"));
    EXPECT_FALSE(ini.ValueExists("settings", "absent"));
    EXPECT_TRUE(ini.SectionExists("formatinfo102"));
    EXPECT_EQ(ini.ReadSection("settings").first(), "OutPutDir");
    EXPECT_TRUE(ini.ReadSection("nosuch").isEmpty());
}

TEST(IniFile, IntegersAndBooleans) {
    TempDir tmp;
    WriteText(tmp.File("s.ini"), kFixture);
    const IniFile ini(tmp.File("s.ini"));
    struct Case {
        const char* key;
        int expected;
    } cases[] = {
        {"dec", 42}, {"neg", -7}, {"plus", 9},  {"hexa", 31}, {"hexb", 31},  {"hexc", -1},
        {"big", 5},  {"junk", 5}, {"float", 5}, {"Empty", 5}, {"absent", 5}, {"OutPutDir", 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.ReadInteger("settings", c.key, 5), c.expected) << c.key;
    EXPECT_TRUE(ini.ReadBool("settings", "one", false));
    EXPECT_TRUE(ini.ReadBool("settings", "two", false));
    EXPECT_FALSE(ini.ReadBool("settings", "zero", true));
    EXPECT_TRUE(ini.ReadBool("settings", "junk", true));
    EXPECT_FALSE(ini.ReadBool("settings", "absent", false));
}

TEST(IniFile, LongValuesAreCutTo2047Characters) {
    TempDir tmp;
    IniFile ini(tmp.File("s.ini"));
    ASSERT_TRUE(ini.WriteString("s", "long", QString(5000, 'x')));
    EXPECT_EQ(ini.ReadString("s", "long", "").size(), 2047);
}

TEST(IniFile, WritesKeepEverythingElseAndAreSeenAtOnce) {
    TempDir tmp;
    WriteText(tmp.File("s.ini"), kFixture);
    IniFile ini(tmp.File("s.ini"));
    ASSERT_TRUE(ini.WriteString("settings", "OUTPUTDIR", "/new"));
    ASSERT_TRUE(ini.WriteInteger("lstformat", "1", 0));
    ASSERT_TRUE(ini.WriteBool("lstformat", "2", true));
    ASSERT_TRUE(ini.WriteValues("formatInfo5", {{"a", "1"}, {"b", "two words"}}));
    EXPECT_EQ(ini.ReadString("settings", "OutPutDir", ""), "/new");
    EXPECT_EQ(ini.ReadString("formatinfo102", "VideoSize", ""), "320x240,,640x480,");
    EXPECT_EQ(ini.ReadString("settings", "parazoom", ""), "lbox");
    EXPECT_EQ(ini.ReadInteger("lstformat", "1", 7), 0);
    EXPECT_TRUE(ini.ReadBool("lstformat", "2", false));
    EXPECT_EQ(ini.ReadString("formatinfo5", "B", ""), "two words");
    const QByteArray text = ReadText(tmp.File("s.ini"));
    EXPECT_TRUE(text.contains("; a comment"));
    EXPECT_TRUE(text.contains("OutPutDir=/new"));  // one key, written as key=value
    EXPECT_EQ(text.count("utPutDir"), 1);

    ASSERT_TRUE(ini.EraseSection("FORMATINFO5"));
    EXPECT_FALSE(ini.SectionExists("formatInfo5"));
    // Only the file and its lock remain: no temporary files.
    EXPECT_EQ(QDir(tmp.Path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"s.ini", "s.ini.lock"}));
}

TEST(IniFile, ValuesCannotBreakTheFile) {
    TempDir tmp;
    IniFile ini(tmp.File("s.ini"));
    ASSERT_TRUE(ini.WriteString("settings", "dir", "/a\n[evil]\nx=1"));
    ASSERT_TRUE(ini.WriteString("settings", "k=ey", "v"));
    EXPECT_FALSE(ini.SectionExists("evil"));
    EXPECT_EQ(ini.ReadString("settings", "dir", ""), "/a [evil] x=1");
    EXPECT_EQ(ini.ReadString("settings", "key", ""), "v");
    ASSERT_TRUE(ini.WriteString("settings", "spaced", "  padded  "));
    EXPECT_EQ(ini.ReadString("settings", "spaced", ""), "padded");
    ASSERT_TRUE(ini.WriteString("settings", "utf", QString::fromUtf8("/home/jürgen/Видео")));
    EXPECT_EQ(ini.ReadString("settings", "utf", ""), QString::fromUtf8("/home/jürgen/Видео"));
}

TEST(IniFile, MissingFileReadsEmptyAndIsCreatedByTheFirstWrite) {
    TempDir tmp;
    IniFile ini(tmp.File("new.ini"));
    EXPECT_EQ(ini.ReadString("settings", "OutPutDir", "c:\\framewright"), "c:\\framewright");
    EXPECT_EQ(ini.ReadInteger("settings", "priority", 1), 1);
    ASSERT_TRUE(ini.WriteString("settings", "priority", "3"));
    EXPECT_EQ(ini.ReadInteger("settings", "priority", 1), 3);
    IniFile nowhere(tmp.File("missing/folder/x.ini"));
    EXPECT_FALSE(nowhere.WriteString("a", "b", "c"));
}

TEST(IniFile, GarbageTextReadsAsDefaultsAndStaysUsable) {
    TempDir tmp;
    QByteArray garbage;
    for (int i = 0; i < 4000; ++i) garbage.append(char(32 + (i * 7919) % 95));
    garbage.replace('[', '(');
    WriteText(tmp.File("s.ini"), garbage);
    IniFile ini(tmp.File("s.ini"));
    EXPECT_EQ(ini.ReadInteger("settings", "volume", 0), 0);
    EXPECT_EQ(ini.ReadString("settings", "OutPutDir", "c:\\framewright"), "c:\\framewright");
    ASSERT_TRUE(ini.WriteString("settings", "volume", "64"));
    EXPECT_EQ(ini.ReadInteger("settings", "volume", 0), 64);
}

TEST(IniFile, BinaryFileReadsEmptyAndIsKeptAsideBeforeRewriting) {
    TempDir tmp;
    QByteArray binary("[settings]\nvolume=99\n");
    binary.append('\0');
    for (int i = 0; i < 2048; ++i) binary.append(char((i * 131) & 0xff));
    WriteText(tmp.File("s.ini"), binary);
    IniFile ini(tmp.File("s.ini"));
    EXPECT_EQ(ini.ReadInteger("settings", "volume", 0), 0);
    EXPECT_FALSE(ini.ValueExists("settings", "volume"));
    ASSERT_TRUE(ini.WriteString("settings", "mute", "1"));
    EXPECT_EQ(ini.ReadInteger("settings", "mute", 0), 1);
    EXPECT_EQ(ReadText(tmp.File("s.ini.damaged")), binary);
}

TEST(IniFile, DirectoryInPlaceReadsEmptyAndIsNeverReplaced) {
    TempDir tmp;
    QDir().mkpath(tmp.File("s.ini"));
    IniFile ini(tmp.File("s.ini"));
    EXPECT_EQ(ini.ReadString("settings", "OutPutDir", "def"), "def");
    EXPECT_TRUE(ini.ReadSection("settings").isEmpty());
    EXPECT_FALSE(ini.WriteString("settings", "OutPutDir", "/x"));
    EXPECT_TRUE(QFileInfo(tmp.File("s.ini")).isDir());
}

TEST(IniFile, UnreadableFileIsNeverReplaced) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    TempDir tmp;
    WriteText(tmp.File("s.ini"), "[settings]\nvolume=12\n");
    ::chmod(QFile::encodeName(tmp.File("s.ini")).constData(), 0);
    IniFile ini(tmp.File("s.ini"));
    EXPECT_EQ(ini.ReadInteger("settings", "volume", 0), 0);
    EXPECT_FALSE(ini.WriteString("settings", "mute", "1"));
    ::chmod(QFile::encodeName(tmp.File("s.ini")).constData(), 0600);
    EXPECT_EQ(ReadText(tmp.File("s.ini")), "[settings]\nvolume=12\n");
}

TEST(IniFile, ConcurrentThreadsLoseNoKeys) {
    TempDir tmp;
    const QString path = tmp.File("s.ini");
    constexpr int kThreads = 4, kKeys = 40;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([path, t] {
            IniFile ini(path);
            for (int k = 0; k < kKeys; ++k)
                ini.WriteString("settings", QString("t%1k%2").arg(t).arg(k), QString::number(k));
        });
    }
    for (auto& th : threads) th.join();
    IniFile ini(path);
    EXPECT_EQ(ini.ReadSection("settings").size(), kThreads * kKeys);
    for (int t = 0; t < kThreads; ++t)
        for (int k = 0; k < kKeys; ++k)
            EXPECT_EQ(ini.ReadInteger("settings", QString("t%1k%2").arg(t).arg(k), -1), k);
}

// Run by ConcurrentProcessesLoseNoKeys in child processes of this program.
TEST(IniFile, ChildWriter) {
    const QString path = qEnvironmentVariable("FW_INI_CHILD_FILE");
    if (path.isEmpty()) GTEST_SKIP() << "only runs as a child of ConcurrentProcessesLoseNoKeys";
    const QString tag = qEnvironmentVariable("FW_INI_CHILD_TAG");
    IniFile ini(path);
    for (int k = 0; k < 60; ++k)
        ASSERT_TRUE(ini.WriteString("settings", tag + QString::number(k), "x"));
}

TEST(IniFile, ConcurrentProcessesLoseNoKeys) {
    TempDir tmp;
    const QString path = tmp.File("s.ini");
    const QString self = QFileInfo("/proc/self/exe").symLinkTarget();
    std::vector<std::unique_ptr<QProcess>> children;
    for (const char* tag : {"a", "b", "c"}) {
        auto p = std::make_unique<QProcess>();
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("FW_INI_CHILD_FILE", path);
        env.insert("FW_INI_CHILD_TAG", tag);
        p->setProcessEnvironment(env);
        p->start(self, {"--gtest_filter=IniFile.ChildWriter"});
        children.push_back(std::move(p));
    }
    for (auto& p : children) {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardOutput().toStdString();
    }
    EXPECT_EQ(IniFile(path).ReadSection("settings").size(), 180);
}

}  // namespace
}  // namespace fw
