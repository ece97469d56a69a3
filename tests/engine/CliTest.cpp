// framewright-cli probe and encode, run as a user would.
#include "EngineTestUtil.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

using fw::test::BuiltProgram;
using fw::test::RunProgram;
using fw::test::SharedClips;
using fw::test::TempDir;

namespace {

QString Cli() {
    return BuiltProgram("framewright-cli");
}

#define REQUIRE_CLI() \
    if (!QFileInfo(Cli()).isExecutable()) GTEST_SKIP() << "framewright-cli is not built"

}  // namespace

TEST(CliProbe, TextJsonAndErrors) {
    REQUIRE_CLI();
    auto r = RunProgram(Cli(), {"probe", SharedClips().av});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Format Name: mov,mp4")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("Video: mpeg4"));

    r = RunProgram(Cli(), {"probe", SharedClips().av, "--json"});
    ASSERT_EQ(r.exitCode, 0);
    const QJsonObject doc = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(doc["Video"].toObject()["Width"].toInt(), 320);
    EXPECT_EQ(doc["Audio"].toObject()["SampleRate"].toInt(), 44100);
    EXPECT_NEAR(doc["File"].toObject()["Duration"].toDouble(), 2e6, 1e5);

    r = RunProgram(Cli(), {"probe", "/no/such/file.flv"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("No such file")) << r.err.toStdString();
}

TEST(CliEncode, ConvertsWithRecordFieldsAndReportsTheResult) {
    REQUIRE_CLI();
    TempDir dir;
    const QString out = dir.File("out.mkv");
    auto r = RunProgram(Cli(), {"encode", SharedClips().av, out, "--out", "VideoCodec=mpeg4",
                                "--out", "FrameSize=160x120", "--out", "AudioBitrate=64000",
                                "--out", "AudioSampleRate=22050", "--in", "StartTime=1000000"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), "Finished: " + out);  // no progress line off a terminal
    const auto probe = fw::test::Ffprobe(out);
    EXPECT_EQ(probe.value("stream.0.width"), "160");
    EXPECT_EQ(probe.value("stream.1.sample_rate"), "22050");
    EXPECT_NEAR(probe.value("format.duration").toDouble(), 1.0, 0.1);

    // The same output again: refused, the file stays.
    const qint64 size = QFileInfo(out).size();
    r = RunProgram(Cli(), {"encode", SharedClips().av, out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("already exists")) << r.err.toStdString();
    EXPECT_EQ(QFileInfo(out).size(), size);
}

TEST(CliEncode, UsageErrorsExitWithTwo) {
    REQUIRE_CLI();
    TempDir dir;
    const QStringList bad[] = {
        {"encode", SharedClips().av, dir.File("a.mp4"), "--out", "NoSuchField=1"},
        {"encode", SharedClips().av, dir.File("a.mp4"), "--out", "AudioBitrate=lots"},
        {"encode", SharedClips().av, dir.File("a.mp4"), "--in", "StartTime"},
        {"encode", SharedClips().av},
    };
    for (const QStringList& args : bad) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const auto r = RunProgram(Cli(), args);
        EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
    }
    EXPECT_TRUE(fw::test::FilesIn(dir.Path()).isEmpty());
}

TEST(CliEncode, InterruptCancelsAndLeavesNoFile) {
    REQUIRE_CLI();
    TempDir dir;
    fw::test::ClipSpec spec;
    spec.width = 640;
    spec.height = 480;
    spec.seconds = 20;
    const QString source = fw::test::MakeClip(dir.File("long.mp4"), spec);
    TempDir outDir;
    QProcess p;
    p.start(Cli(), {"encode", source, outDir.File("out.mp4"), "--out", "VideoCodec=libx264"});
    ASSERT_TRUE(p.waitForStarted());
    // Wait until the conversion has written something.
    ASSERT_TRUE(
        fw::test::SpinUntil([&] { return !fw::test::FilesIn(outDir.Path()).isEmpty(); }, 20000));
    QThread::msleep(300);
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains("Cancelled"));
    EXPECT_TRUE(fw::test::FilesIn(outDir.Path()).isEmpty());
}
