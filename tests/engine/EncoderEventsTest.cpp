// The encoder's task list, events, threads, pause/resume/stop and the rule
// that outputs are never overwritten or left half-written.
#include "EngineTestUtil.h"
#include "engine/FrameGrab.h"

#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace fw::engine;
using fw::test::EnsureApp;
using fw::test::FilesIn;
using fw::test::RunBatch;
using fw::test::SharedClips;
using fw::test::SpinUntil;
using fw::test::TempDir;

namespace {

TOutputOptions Mpeg4() {
    TOutputOptions o;
    o.VideoCodec = "mpeg4";
    o.AudioCodec = "aac";
    return o;
}

// A lossless output so that pixels drawn by the hook can be read back.
TOutputOptions Lossless() {
    TOutputOptions o;
    o.VideoCodec = "ffv1";
    o.DisableAudio = true;
    return o;
}

QRgb CentrePixel(const QString& file, int64_t at = 200000) {
    QImage img;
    QString error;
    EXPECT_TRUE(GrabFrameAt(file, at, &img, &error)) << error.toStdString();
    return img.isNull() ? 0 : img.pixel(img.width() / 2, img.height() / 2);
}

bool IsWhite(QRgb c) {
    return qRed(c) > 240 && qGreen(c) > 240 && qBlue(c) > 240;
}

}  // namespace

TEST(EncoderTasks, ListOperations) {
    EnsureApp();
    TFFmpegEncoder enc;
    EXPECT_EQ(enc.AddTask(SharedClips().small), 0);
    EXPECT_EQ(enc.AddTask(SharedClips().audioOnly), 1);
    EXPECT_LT(enc.AddTask("/no/such/file.flv"), 0);
    EXPECT_FALSE(enc.LastError().isEmpty());
    EXPECT_EQ(enc.TaskCount(), 2);
    EXPECT_EQ(enc.TaskInputProber(1).ProbeFileName(), SharedClips().audioOnly);
    EXPECT_EQ(enc.TaskInputProber(1).ProbeFirstVideo(), -1);
    EXPECT_THROW(enc.TaskInputProber(5), FFmpegException);
    EXPECT_THROW(enc.SetOutputFile(-1, "/tmp/x.mp4", {}), FFmpegException);
    enc.RemoveTask(0);
    EXPECT_EQ(enc.TaskCount(), 1);
    EXPECT_EQ(enc.TaskInputProber(0).ProbeFileName(), SharedClips().audioOnly);
    enc.ClearTasks();
    EXPECT_EQ(enc.TaskCount(), 0);
    // The encoder's own prober stays open until detached.
    ASSERT_TRUE(enc.EncoderProber().ProbeOpen(SharedClips().small));
    EXPECT_EQ(enc.EncoderProber().ProbeFileName(), SharedClips().small);
    enc.EncoderProber().ProbeDetach();
    EXPECT_EQ(enc.EncoderProber().ProbeFileName(), QString());
}

TEST(EncoderEvents, OrderThreadsAndRecords) {
    EnsureApp();
    TempDir dir;
    TFFmpegEncoder enc;
    enc.PreviewBitmap = true;
    enc.ProgressInterval = 20;
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(enc.AddTask(SharedClips().small), i);
        TOutputOptions o = Mpeg4();
        o.VideoHook = i == 0;
        enc.SetOutputFile(i, dir.File(QString("out%1.mp4").arg(i)), o);
    }
    QThread* const main = QThread::currentThread();
    std::atomic<int> hookCalls{0};
    std::atomic<bool> hookOnOtherThread{true};
    std::atomic<bool> hookSizeOk{true};
    enc.OnCustomHook = [&](THookInfo& h) {
        if (QThread::currentThread() == main) hookOnOtherThread = false;
        if (h.TaskIndex != 0 || h.FrameBitmap->size() != QSize(160, 120) ||
            h.FrameBitmap->format() != QImage::Format_BGR888 || !h.WriteBack || h.StopHooking)
            hookSizeOk = false;
        ++hookCalls;
    };
    std::vector<TPreviewInfo> previews;
    bool previewsOnMain = true, progressOnMain = true, terminateOnMain = true;
    bool workingAtEnd = true;
    enc.OnPreviewBitmap = [&](const TPreviewInfo& p) {
        previewsOnMain = previewsOnMain && QThread::currentThread() == main;
        previews.push_back(p);
    };
    std::vector<TTerminateInfo> ends;
    std::vector<TProgressInfo> progress;
    bool ended = false;
    enc.OnProgress = [&](const TProgressInfo& p) {
        progressOnMain = progressOnMain && QThread::currentThread() == main;
        progress.push_back(p);
    };
    enc.OnTerminate = [&](const TTerminateInfo& t) {
        terminateOnMain = terminateOnMain && QThread::currentThread() == main;
        ends.push_back(t);
        if (t.TaskIndex == -1) {
            workingAtEnd = enc.IsWorking();
            enc.ClearTasks();  // what the progress window does at the end
            ended = true;
        }
    };
    enc.StartTask(1);
    EXPECT_TRUE(enc.IsWorking());
    ASSERT_TRUE(SpinUntil([&] { return ended; }));

    ASSERT_EQ(ends.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(ends[i].TaskIndex, i);
        EXPECT_TRUE(ends[i].Finished) << ends[i].ErrorText.toStdString();
        EXPECT_FALSE(ends[i].Failed);
    }
    EXPECT_EQ(ends[2].TaskIndex, -1);
    EXPECT_TRUE(ends[2].Finished);
    EXPECT_TRUE(ends[2].ErrorText.isEmpty());
    EXPECT_FALSE(workingAtEnd);
    EXPECT_EQ(enc.TaskCount(), 0);
    EXPECT_TRUE(terminateOnMain);
    EXPECT_TRUE(progressOnMain);
    EXPECT_TRUE(previewsOnMain);

    EXPECT_EQ(hookCalls.load(), 25);  // 1 s at 25 fps, only task 0
    EXPECT_TRUE(hookOnOtherThread);
    EXPECT_TRUE(hookSizeOk);

    ASSERT_FALSE(previews.empty());
    EXPECT_EQ(previews.back().FrameBitmap.size(), QSize(160, 120));

    ASSERT_FALSE(progress.empty());
    const TProgressInfo& last = progress.back();
    EXPECT_EQ(last.TaskIndex, 1);
    EXPECT_EQ(last.TotalTime, 1000000);
    EXPECT_NEAR(double(last.CurrentTime), 1000000.0, 60000.0);
    EXPECT_EQ(last.FrameCounter, 25);
    EXPECT_EQ(last.OutputSize, QFile(dir.File("out1.mp4")).size());
    EXPECT_GT(last.BitrateKbps, 0.0f);
    EXPECT_TRUE(std::any_of(progress.begin(), progress.end(),
                            [](const TProgressInfo& p) { return p.TaskIndex == 0; }));
    EXPECT_EQ(FilesIn(dir.Path()), (QStringList{"out0.mp4", "out1.mp4"}));
}

TEST(EncoderEvents, ClearTasksIsRefusedDuringARun) {
    EnsureApp();
    TempDir dir;
    TFFmpegEncoder enc;
    enc.AddTask(SharedClips().av);
    enc.SetOutputFile(0, dir.File("out.mp4"), Mpeg4());
    enc.PauseTasks();
    enc.StartTask(1);
    try {
        enc.ClearTasks();
        FAIL() << "ClearTasks during a run must throw";
    } catch (const FFmpegException& e) {
        EXPECT_STREQ(e.what(), "Cannot ClearTasks while working.");
    }
    EXPECT_EQ(enc.TaskCount(), 1);
    enc.StopTasks(true);
}

TEST(EncoderHook, DrawingWriteBackErrorsAndStopHooking) {
    EnsureApp();
    TempDir dir;
    struct Case {
        const char* name;
        std::function<void(THookInfo&)> hook;
        bool expectWhite;
        int expectCalls;  // -1: every frame
        bool expectLoggedError;
    };
    const Case cases[] = {
        {"draws", [](THookInfo& h) { h.FrameBitmap->fill(Qt::white); }, true, 25, false},
        {"no write back",
         [](THookInfo& h) {
             h.FrameBitmap->fill(Qt::white);
             h.WriteBack = false;
         },
         false, 25, false},
        {"throws",
         [](THookInfo& h) {
             h.FrameBitmap->fill(Qt::white);
             throw std::runtime_error("boom");
         },
         false, 25, true},
        {"stops hooking",
         [](THookInfo& h) {
             if (h.FrameCounter == 0) h.StopHooking = true;
         },
         false, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFFmpegEncoder enc;
        const QString out = dir.File(QString(c.name).replace(' ', '_') + ".mkv");
        enc.AddTask(SharedClips().small);
        TOutputOptions o = Lossless();
        o.VideoHook = true;
        enc.SetOutputFile(0, out, o);
        std::atomic<int> calls{0};
        enc.OnCustomHook = [&](THookInfo& h) {
            ++calls;
            c.hook(h);
        };
        const auto r = RunBatch(enc);
        ASSERT_EQ(r.terminates.size(), 2u);
        EXPECT_TRUE(r.terminates[0].Finished) << r.terminates[0].ErrorText.toStdString();
        EXPECT_EQ(calls.load(), c.expectCalls);
        EXPECT_EQ(IsWhite(CentrePixel(out)), c.expectWhite);
        EXPECT_EQ(r.log.contains("Error occurs OnCustomHook: boom"), c.expectLoggedError)
            << r.log.join('\n').toStdString();
    }
}

TEST(EncoderControl, PauseRightAfterStartHoldsTheRun) {
    EnsureApp();
    TempDir dir;
    TFFmpegEncoder enc;
    enc.AddTask(SharedClips().small);
    TOutputOptions o = Mpeg4();
    o.VideoHook = true;
    enc.SetOutputFile(0, dir.File("out.mp4"), o);
    std::atomic<int> frames{0};
    enc.OnCustomHook = [&](THookInfo&) { ++frames; };
    bool ended = false;
    enc.OnTerminate = [&](const TTerminateInfo& t) { ended = ended || t.TaskIndex == -1; };
    enc.StartTask(1);
    enc.PauseTasks();
    SpinUntil([] { return false; }, 100);
    const int held = frames.load();
    SpinUntil([] { return false; }, 300);
    EXPECT_LE(held, 1);  // at most the frame that was on its way
    EXPECT_EQ(frames.load(), held);
    EXPECT_FALSE(ended);
    EXPECT_TRUE(enc.IsPaused());
    enc.ResumeTasks();
    ASSERT_TRUE(SpinUntil([&] { return ended; }));
    EXPECT_EQ(frames.load(), 25);
    EXPECT_EQ(FilesIn(dir.Path()), QStringList{"out.mp4"});
}

// Every way of stopping ends every task unfinished, sends the extra event,
// and leaves no file behind.
TEST(EncoderControl, StopAtAnyMoment) {
    EnsureApp();
    struct Case {
        const char* name;
        std::function<void(TFFmpegEncoder&, bool& stopped)> arm;    // before StartTask
        std::function<void(TFFmpegEncoder&, bool& stopped)> after;  // right after StartTask
    };
    const Case cases[] = {
        {"before the first frame", nullptr,
         [](TFFmpegEncoder& e, bool& s) {
             e.StopTasks(false);
             s = true;
         }},
        {"waiting, from the progress handler",
         [](TFFmpegEncoder& e, bool& s) {
             e.OnProgress = [&e, &s](const TProgressInfo&) {
                 if (!s) {
                     s = true;
                     e.StopTasks(true);  // must not dead-lock with the waiting thread
                 }
             };
         },
         nullptr},
        {"while paused", [](TFFmpegEncoder& e, bool&) { e.PauseTasks(); },
         [](TFFmpegEncoder& e, bool& s) {
             SpinUntil([] { return false; }, 100);
             e.StopTasks(true);
             s = true;
         }},
        {"from the hook, during a frame",
         [](TFFmpegEncoder& e, bool& s) {
             e.OnCustomHook = [&e](THookInfo& h) {
                 if (h.FrameCounter == 10) e.StopTasks(false);
             };
             s = true;
         },
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        TFFmpegEncoder enc;
        enc.ProgressInterval = 1;
        for (int i = 0; i < 2; ++i) {
            enc.AddTask(SharedClips().av);
            TOutputOptions o = Mpeg4();
            o.VideoHook = true;
            enc.SetOutputFile(i, dir.File(QString("out%1.mp4").arg(i)), o);
        }
        bool stopped = false;
        if (c.arm) c.arm(enc, stopped);
        std::vector<TTerminateInfo> ends;
        bool ended = false;
        enc.OnTerminate = [&](const TTerminateInfo& t) {
            ends.push_back(t);
            ended = ended || t.TaskIndex == -1;
        };
        enc.StartTask(1);
        if (c.after) c.after(enc, stopped);
        ASSERT_TRUE(SpinUntil([&] { return ended; }, 30000));
        EXPECT_TRUE(stopped);
        ASSERT_EQ(ends.size(), 3u);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(ends[i].TaskIndex, i);
            EXPECT_FALSE(ends[i].Finished);
            EXPECT_FALSE(ends[i].Failed);
        }
        EXPECT_EQ(ends[2].TaskIndex, -1);
        enc.StopTasks(true);
        EXPECT_TRUE(FilesIn(dir.Path()).isEmpty()) << FilesIn(dir.Path()).join(' ').toStdString();
    }
}

TEST(EncoderControl, DestroyingARunningEncoderStopsIt) {
    EnsureApp();
    TempDir dir;
    {
        TFFmpegEncoder enc;
        enc.AddTask(SharedClips().av);
        enc.SetOutputFile(0, dir.File("out.mp4"), Mpeg4());
        enc.OnProgress = [](const TProgressInfo&) {};
        enc.StartTask(1);
        QThread::msleep(50);
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(FilesIn(dir.Path()).isEmpty());
}

TEST(EncoderOutput, NeverOverwritesAndTheBatchGoesOn) {
    EnsureApp();
    TempDir dir;
    const QString taken = dir.File("taken.mp4");
    {
        QFile f(taken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    TFFmpegEncoder enc;
    enc.AddTask(SharedClips().small);
    enc.SetOutputFile(0, taken, Mpeg4());
    enc.AddTask(SharedClips().small);
    enc.SetOutputFile(1, dir.File("fresh.mp4"), Mpeg4());
    const auto r = RunBatch(enc);
    ASSERT_EQ(r.terminates.size(), 3u);
    EXPECT_TRUE(r.terminates[0].Failed);
    EXPECT_FALSE(r.terminates[0].Finished);
    EXPECT_TRUE(r.terminates[0].ErrorText.contains("already exists"));
    EXPECT_TRUE(r.terminates[1].Finished);
    QFile f(taken);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep me"));
    EXPECT_EQ(FilesIn(dir.Path()), (QStringList{"fresh.mp4", "taken.mp4"}));
}

TEST(EncoderOutput, RefusedOptionsFailWithAMessageAndLeaveNothing) {
    EnsureApp();
    struct Case {
        const char* name;
        std::function<void(TOutputOptions&)> set;
        const char* inMessage;
    };
    const Case cases[] = {
        {"unknown audio codec", [](TOutputOptions& o) { o.AudioCodec = "nosuchcodec"; },
         "nosuchcodec"},
        {"codec that is not served", [](TOutputOptions& o) { o.AudioCodec = "libamr_nb"; },
         "libamr_nb"},
        {"audio codec as video", [](TOutputOptions& o) { o.VideoCodec = "aac"; }, "aac"},
        {"channels the encoder refuses",
         [](TOutputOptions& o) {
             o.AudioCodec = "mp2";
             o.AudioChannels = 7;
         },
         "mp2"},
        {"unknown extra option", [](TOutputOptions& o) { o.ExtOptions = "nonsense=1"; },
         "nonsense"},
        {"unknown filter", [](TOutputOptions& o) { o.VideoFilters = "nosuchfilter=3"; },
         "nosuchfilter"},
        {"unknown format", [](TOutputOptions& o) { o.FileFormat = "nosuchformat"; },
         "nosuchformat"},
        {"crop larger than the picture", [](TOutputOptions& o) { o.LeftCrop = 400; }, "filter"},
        {"bad frame size", [](TOutputOptions& o) { o.FrameSize = "axb"; }, "axb"},
        {"unknown preset", [](TOutputOptions& o) { o.VideoPreset = "nosuchpreset"; },
         "nosuchpreset"},
    };
    TempDir dir;
    TFFmpegEncoder enc;
    int n = 0;
    for (const Case& c : cases) {
        enc.AddTask(SharedClips().small);
        TOutputOptions o = Mpeg4();
        c.set(o);
        enc.SetOutputFile(n, dir.File(QString("bad%1.mp4").arg(n)), o);
        ++n;
    }
    enc.AddTask(SharedClips().small);
    enc.SetOutputFile(n, dir.File("good.mp4"), Mpeg4());
    const auto r = RunBatch(enc);
    ASSERT_EQ(r.terminates.size(), size_t(n + 2));
    for (int i = 0; i < n; ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_TRUE(r.terminates[i].Failed);
        EXPECT_FALSE(r.terminates[i].Finished);
        EXPECT_TRUE(r.terminates[i].ErrorText.contains(cases[i].inMessage, Qt::CaseInsensitive))
            << r.terminates[i].ErrorText.toStdString();
    }
    EXPECT_TRUE(r.terminates[n].Finished);
    EXPECT_EQ(FilesIn(dir.Path()), QStringList{"good.mp4"});
}

TEST(EncoderControl, ThreadPriorityAppliesToTheConversionThread) {
    EnsureApp();
    if (getpriority(PRIO_PROCESS, 0) != 0) GTEST_SKIP() << "the tests already run niced";
    struct Case {
        TThreadPriority priority;
        int nice;
        int policy;
    };
    for (const Case& c : {Case{TThreadPriority::Lower, 5, SCHED_OTHER},
                          Case{TThreadPriority::Lowest, 10, SCHED_OTHER},
                          Case{TThreadPriority::Idle, 0, SCHED_IDLE}}) {
        TempDir dir;
        TFFmpegEncoder enc;
        enc.ThreadPriority = c.priority;
        enc.AddTask(SharedClips().small);
        TOutputOptions o = Mpeg4();
        o.VideoHook = true;
        enc.SetOutputFile(0, dir.File("out.mp4"), o);
        std::atomic<int> nice{-100}, policy{-1};
        enc.OnCustomHook = [&](THookInfo& h) {
            if (h.FrameCounter) return;
            nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
            policy = sched_getscheduler(0);
        };
        RunBatch(enc);
        EXPECT_EQ(nice.load(), c.nice);
        EXPECT_EQ(policy.load(), c.policy);
    }
    EXPECT_EQ(getpriority(PRIO_PROCESS, 0), 0);  // the caller's thread is left alone
}
