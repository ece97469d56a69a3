// Damaged and unusual inputs end as a failed task or a negative AddTask, or
// convert what they hold; they never crash or hang, and leave no stray file.
#include "EngineTestUtil.h"

#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace fw::engine;
using fw::test::EnsureApp;
using fw::test::FilesIn;
using fw::test::RunBatch;
using fw::test::SharedClips;
using fw::test::TempDir;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray Noise(int size, quint32 seed) {
    QByteArray b(size, 0);
    QRandomGenerator rng(seed);
    for (char& c : b) c = char(rng.bounded(256));
    return b;
}

TOutputOptions Mpeg4Aac() {
    TOutputOptions o;
    o.VideoCodec = "mpeg4";
    o.AudioCodec = "aac";
    o.FrameSize = "160x120";
    return o;
}

}  // namespace

TEST(BadInput, UnreadableFilesAreRefusedByAddTask) {
    EnsureApp();
    TempDir dir;
    WriteAll(dir.File("empty.flv"), {});
    WriteAll(dir.File("noise.flv"), Noise(100000, 7));
    const QByteArray mp4 = ReadAll(SharedClips().av);
    WriteAll(dir.File("cut.mp4"), mp4.left(mp4.size() / 2));
    TFFmpegEncoder enc;
    for (const char* name : {"empty.flv", "noise.flv", "cut.mp4", "missing.flv"}) {
        SCOPED_TRACE(name);
        EXPECT_LT(enc.AddTask(dir.File(name)), 0);
        EXPECT_FALSE(enc.LastError().isEmpty());
    }
    EXPECT_EQ(enc.TaskCount(), 0);
}

TEST(BadInput, DamagedOrUnusualSourcesConvertWhatTheyHold) {
    EnsureApp();
    TempDir src;
    // An FLV cut in the middle, one with a damaged middle, a stream whose
    // video time stamps are partly missing, and sources lacking a kind of stream.
    const QString flv = src.File("clip.flv");
    ASSERT_EQ(fw::test::RunProgram("ffmpeg", {"-v", "error", "-i", SharedClips().av, flv}).exitCode,
              0);
    const QByteArray flvBytes = ReadAll(flv);
    WriteAll(src.File("cut.flv"), flvBytes.left(flvBytes.size() * 6 / 10));
    QByteArray damaged = flvBytes;
    const QByteArray noise = Noise(damaged.size() / 5, 3);
    damaged.replace(damaged.size() * 2 / 5, noise.size(), noise);
    WriteAll(src.File("damaged.flv"), damaged);
    const QString nut = src.File("stamps.nut");
    ASSERT_EQ(fw::test::RunProgram("ffmpeg",
                                   {"-v", "error", "-i", SharedClips().av, "-c", "copy", "-bsf:v",
                                    "setts=ts=if(eq(mod(N\\,4)\\,1)\\,NOPTS\\,TS)", nut})
                  .exitCode,
              0);
    struct Case {
        QString file;
        bool mustFinish;
        bool video, audio;
    };
    const Case cases[] = {
        {src.File("cut.flv"), true, true, true},
        {src.File("damaged.flv"), false, true, true},
        {nut, true, true, true},
        {SharedClips().videoOnly, true, true, false},
        {SharedClips().audioOnly, true, false, true},
    };
    TempDir out;
    TFFmpegEncoder enc;
    int n = 0;
    for (const Case& c : cases) {
        ASSERT_EQ(enc.AddTask(c.file), n) << c.file.toStdString();
        enc.SetOutputFile(n, out.File(QString("out%1.mp4").arg(n)), Mpeg4Aac());
        ++n;
    }
    const auto r = RunBatch(enc);
    ASSERT_FALSE(r.timedOut);
    ASSERT_EQ(r.terminates.size(), size_t(n + 1));
    for (int i = 0; i < n; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.file.toStdString());
        const TTerminateInfo& t = r.terminates[i];
        EXPECT_EQ(t.TaskIndex, i);
        if (c.mustFinish) {
            EXPECT_TRUE(t.Finished) << t.ErrorText.toStdString();
        }
        if (t.Failed) {
            EXPECT_FALSE(t.ErrorText.isEmpty());
            continue;
        }
        const auto probe = fw::test::Ffprobe(out.File(QString("out%1.mp4").arg(i)));
        ASSERT_FALSE(probe.isEmpty());
        const QString kinds =
            probe.value("stream.0.codec_type") + probe.value("stream.1.codec_type");
        EXPECT_EQ(kinds.contains("video"), c.video) << kinds.toStdString();
        EXPECT_EQ(kinds.contains("audio"), c.audio) << kinds.toStdString();
        EXPECT_GT(probe.value("format.duration").toDouble(), 0.5);
    }
    for (const QString& f : FilesIn(out.Path())) EXPECT_FALSE(f.startsWith('.')) << f.toStdString();
}

TEST(SharedMedia, EveryFileConverts) {
    if (fw::test::SharedMediaDir().isEmpty()) GTEST_SKIP() << "no shared media folder";
    EnsureApp();
    struct Case {
        const char* file;
        bool video;
        bool knownDuration;
    };
    const Case cases[] = {{"h264_aac_640x350_15s.flv", true, true},
                          {"h264_1080p_mono_3s.flv", true, true},
                          {"aac_only_33s.flv", false, true},
                          {"h264_444_no_duration.flv", true, false}};
    TempDir out;
    TFFmpegEncoder enc;
    enc.ProgressInterval = 1;
    std::vector<QString> outputs;
    for (const Case& c : cases) {
        const QString path = fw::test::SharedMedia(c.file);
        if (path.isEmpty()) continue;
        const int task = enc.AddTask(path);
        ASSERT_GE(task, 0) << enc.LastError().toStdString();
        TOutputOptions o = Mpeg4Aac();
        o.FrameSize = "320x240";
        outputs.push_back(out.File(QString("out%1.mp4").arg(task)));
        enc.SetOutputFile(task, outputs.back(), o);
    }
    const auto r = RunBatch(enc);
    ASSERT_EQ(r.terminates.size(), outputs.size() + 1);
    for (size_t i = 0; i < outputs.size(); ++i) {
        SCOPED_TRACE(cases[i].file);
        EXPECT_TRUE(r.terminates[i].Finished) << r.terminates[i].ErrorText.toStdString();
        const auto probe = fw::test::Ffprobe(outputs[i]);
        const QString kinds =
            probe.value("stream.0.codec_type") + probe.value("stream.1.codec_type");
        EXPECT_EQ(kinds.contains("video"), cases[i].video) << kinds.toStdString();
        bool total = false;
        for (const TProgressInfo& p : r.progress)
            if (p.TaskIndex == int(i)) total = total || p.TotalTime > 0;
        EXPECT_EQ(total, cases[i].knownDuration);
    }
    // The 1080p file starts at 0.06 s; the output starts at 0 and keeps its length.
    const auto mono = fw::test::Ffprobe(outputs[1]);
    EXPECT_NEAR(mono.value("format.duration").toDouble(), 3.3, 0.2);
}
