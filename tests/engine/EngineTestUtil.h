// Helpers for the engine tests: an application object so the encoder can
// deliver events to the test's thread, shared fixture clips, and running an
// encoder batch to its end.
#pragma once

#include "common/TestSupport.h"
#include "engine/Encoder.h"
#include "engine/EngineLoader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>
#include <vector>

namespace fw::test {

inline void EnsureApp() {
    engine::LoadEngineLibraries({});  // also quiets the libraries' own console output
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_engine";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

// Spins the event loop until `done` or the timeout; false on timeout.
inline bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 60000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

// Clips made once per test program, in one folder.
struct Clips {
    QString dir;
    QString av;         // 320x240 mpeg4 + aac stereo 44.1 kHz, 2 s, 25 fps, mp4
    QString small;      // 160x120, 1 s
    QString videoOnly;  // 160x120, 1 s, no audio
    QString audioOnly;  // aac, 1 s, no video
};
const Clips& SharedClips();

struct BatchResult {
    std::vector<engine::TTerminateInfo> terminates;
    std::vector<engine::TProgressInfo> progress;
    QStringList log;
    bool timedOut = false;
};

// Runs every task of the encoder to the extra end event, collecting events.
BatchResult RunBatch(engine::TFFmpegEncoder& enc, int timeoutMs = 120000);

// One task from `input` to `output`; the terminate record of that task.
engine::TTerminateInfo Convert(const QString& input, const QString& output,
                               const engine::TOutputOptions& out,
                               const engine::TInputOptions& in = {}, QStringList* log = nullptr);

// Files in a folder (hidden ones included), for never-left-behind checks.
QStringList FilesIn(const QString& dir);

}  // namespace fw::test
