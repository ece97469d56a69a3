// Options whose effect ffprobe's stream parameters do not show.
#include "EngineTestUtil.h"

#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

using namespace fw::engine;
using fw::test::EnsureApp;
using fw::test::SharedClips;
using fw::test::TempDir;

namespace {

// Mean volume in dB of a file's audio, from the ffmpeg program's volumedetect.
double MeanVolume(const QString& file) {
    const auto r = fw::test::RunProgram(
        "ffmpeg", {"-hide_banner", "-i", file, "-af", "volumedetect", "-f", "null", "-"});
    const auto m = QRegularExpression("mean_volume: (-?[0-9.]+|-inf) dB").match(r.err);
    if (!m.hasMatch()) return 1000;
    return m.captured(1) == "-inf" ? -1000 : m.captured(1).toDouble();
}

}  // namespace

TEST(OptionEffect, VolumeScalesTheSound) {
    EnsureApp();
    TempDir dir;
    TFFmpegEncoder enc;
    const int volumes[] = {256, 512, 0};
    for (int i = 0; i < 3; ++i) {
        enc.AddTask(SharedClips().audioOnly);
        TOutputOptions o;
        o.AudioCodec = "pcm_s16le";
        o.AudioVolume = volumes[i];
        enc.SetOutputFile(i, dir.File(QString("v%1.wav").arg(volumes[i])), o);
    }
    const auto r = fw::test::RunBatch(enc);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(r.terminates[i].Finished);
    const double same = MeanVolume(dir.File("v256.wav"));
    EXPECT_NEAR(same, MeanVolume(SharedClips().audioOnly), 0.5);
    EXPECT_NEAR(MeanVolume(dir.File("v512.wav")) - same, 6.0, 0.5);
    EXPECT_LT(MeanVolume(dir.File("v0.wav")), -90.0);
}

TEST(OptionEffect, ProgressCountsTowardsTheRecordingTime) {
    EnsureApp();
    TempDir dir;
    TFFmpegEncoder enc;
    enc.ProgressInterval = 1;
    enc.AddTask(SharedClips().av);
    TOutputOptions o;
    o.VideoCodec = "mpeg4";
    o.RecordingTime = 1200000;
    enc.SetOutputFile(0, dir.File("out.mp4"), o);
    const auto r = fw::test::RunBatch(enc);
    ASSERT_TRUE(r.terminates.at(0).Finished);
    ASSERT_FALSE(r.progress.empty());
    for (const TProgressInfo& p : r.progress) EXPECT_EQ(p.TotalTime, 1200000);
    EXPECT_NEAR(double(r.progress.back().CurrentTime), 1200000.0, 80000.0);
    EXPECT_NEAR(fw::test::Ffprobe(dir.File("out.mp4")).value("format.duration").toDouble(), 1.2,
                0.08);
}

// Without delivery to the owner's thread every event runs on the conversion
// thread, and the run needs no event loop at all.
TEST(OptionEffect, EventsOnTheConversionThreadWhenAsked) {
    TempDir dir;
    TFFmpegEncoder enc;
    enc.TriggerEventInMainThread = false;
    enc.PreviewBitmap = true;
    enc.ProgressInterval = 5;
    enc.AddTask(SharedClips().small);
    enc.SetOutputFile(0, dir.File("out.mp4"), {});
    QThread* const main = QThread::currentThread();
    std::atomic<bool> onMain{false}, ended{false};
    std::atomic<int> progress{0}, previews{0};
    enc.OnProgress = [&](const TProgressInfo&) {
        onMain = onMain || QThread::currentThread() == main;
        ++progress;
    };
    enc.OnPreviewBitmap = [&](const TPreviewInfo&) { ++previews; };
    enc.OnTerminate = [&](const TTerminateInfo& t) {
        onMain = onMain || QThread::currentThread() == main;
        if (t.TaskIndex == -1) ended = true;
    };
    enc.StartTask(1);
    for (int i = 0; i < 3000 && !ended; ++i) QThread::msleep(10);
    ASSERT_TRUE(ended);
    enc.StopTasks(true);
    EXPECT_FALSE(onMain);
    EXPECT_GT(progress.load(), 0);
    EXPECT_GT(previews.load(), 0);
}
