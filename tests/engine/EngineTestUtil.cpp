#include "EngineTestUtil.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace fw::test {

const Clips& SharedClips() {
    static const Clips clips = [] {
        // Lives until the program ends; removed by the destructor then.
        static QTemporaryDir dir(QDir::tempPath() + "/fwengine-clips-XXXXXX");
        Clips c;
        c.dir = dir.path();
        ClipSpec av;
        c.av = MakeClip(c.dir + "/av.mp4", av);
        ClipSpec small;
        small.width = 160;
        small.height = 120;
        small.seconds = 1.0;
        c.small = MakeClip(c.dir + "/small.mp4", small);
        ClipSpec vo = small;
        vo.audio = false;
        c.videoOnly = MakeClip(c.dir + "/video_only.mp4", vo);
        ClipSpec ao = small;
        ao.video = false;
        c.audioOnly = MakeClip(c.dir + "/audio_only.m4a", ao);
        return c;
    }();
    return clips;
}

BatchResult RunBatch(engine::TFFmpegEncoder& enc, int timeoutMs) {
    EnsureApp();
    BatchResult r;
    bool ended = false;
    enc.OnTerminate = [&](const engine::TTerminateInfo& t) {
        r.terminates.push_back(t);
        if (t.TaskIndex == -1) ended = true;
    };
    enc.OnProgress = [&](const engine::TProgressInfo& p) { r.progress.push_back(p); };
    enc.OnLog = [&](const QString& m) { r.log << m; };
    enc.StartTask(1);
    r.timedOut = !SpinUntil([&] { return ended; }, timeoutMs);
    if (r.timedOut) enc.StopTasks(true);
    enc.OnTerminate = nullptr;
    enc.OnProgress = nullptr;
    enc.OnLog = nullptr;
    return r;
}

engine::TTerminateInfo Convert(const QString& input, const QString& output,
                               const engine::TOutputOptions& out, const engine::TInputOptions& in,
                               QStringList* log) {
    engine::TFFmpegEncoder enc;
    const int task = enc.AddTask(input, in);
    EXPECT_GE(task, 0) << enc.LastError().toStdString();
    if (task < 0) return {};
    enc.SetOutputFile(task, output, out);
    BatchResult r = RunBatch(enc);
    EXPECT_FALSE(r.timedOut);
    if (log) *log = r.log;
    EXPECT_EQ(r.terminates.size(), 2u);
    if (r.terminates.empty()) return {};
    return r.terminates.front();
}

QStringList FilesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace fw::test
