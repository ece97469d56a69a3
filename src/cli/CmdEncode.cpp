// framewright-cli encode INPUT OUTPUT [--in FIELD=VALUE]... [--out FIELD=VALUE]...
// One encoder task with the named record fields. Ctrl+C cancels cleanly: the
// engine removes its partial output.
#include "cli/CliCommands.h"

#include "engine/Encoder.h"
#include "engine/EngineLoader.h"
#include "engine/RecordFields.h"

#include <CLI/CLI.hpp>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>

namespace fw::cli {
namespace {

struct EncodeArgs {
    std::string input;
    std::string output;
    std::vector<std::string> in;
    std::vector<std::string> out;
    bool verbose = false;
    bool emptyHook = false;
    bool wholeFrameHook = false;
};

// The write end of the pipe that turns SIGINT/SIGTERM into an event-loop
// wake-up; a signal handler can reach nothing but a process-wide value.
std::atomic<int> g_signalPipe{-1};

void OnSignal(int) {
    const int fd = g_signalPipe.load();
    if (fd >= 0) {
        const char c = 1;
        [[maybe_unused]] const ssize_t n = write(fd, &c, 1);
    }
}

// Catches SIGINT and SIGTERM while it lives.
class SignalCatcher {
  public:
    SignalCatcher() {
        if (pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) fds_[0] = fds_[1] = -1;
        g_signalPipe = fds_[1];
        struct sigaction sa {};
        sa.sa_handler = &OnSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        sigaction(SIGINT, &sa, &oldInt_);
        sigaction(SIGTERM, &sa, &oldTerm_);
    }
    ~SignalCatcher() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
        g_signalPipe = -1;
        for (int fd : fds_)
            if (fd >= 0) close(fd);
    }
    int ReadFd() const { return fds_[0]; }

  private:
    int fds_[2] = {-1, -1};
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

QString Clock(int64_t micros) {
    if (micros < 0) micros = 0;
    const int64_t s = micros / 1000000;
    return QString::asprintf("%02lld:%02lld:%02lld.%02lld", static_cast<long long>(s / 3600),
                             static_cast<long long>((s / 60) % 60), static_cast<long long>(s % 60),
                             static_cast<long long>((micros % 1000000) / 10000));
}

QString Size(int64_t bytes) {
    if (bytes < 1024 * 1024)
        return QString::asprintf("%lld kB", static_cast<long long>(bytes / 1024));
    return QString::asprintf("%.1f MB", double(bytes) / (1024.0 * 1024.0));
}

bool ParseFields(const std::vector<std::string>& items, bool output, engine::TInputOptions& in,
                 engine::TOutputOptions& out) {
    for (const std::string& item : items) {
        const QString text = QString::fromStdString(item);
        const int eq = text.indexOf('=');
        if (eq <= 0) {
            std::fprintf(stderr, "expected FIELD=VALUE, got '%s'\n", item.c_str());
            return false;
        }
        QString error;
        const QString name = text.left(eq), value = text.mid(eq + 1);
        const bool ok = output ? engine::SetOutputField(out, name, value, &error)
                               : engine::SetInputField(in, name, value, &error);
        if (!ok) {
            std::fprintf(stderr, "%s %s\n", output ? "--out:" : "--in:", qPrintable(error));
            std::fprintf(
                stderr, "known fields: %s\n",
                qPrintable(
                    (output ? engine::OutputFieldNames() : engine::InputFieldNames()).join(", ")));
            return false;
        }
    }
    return true;
}

int RunEncode(const EncodeArgs& args) {
    engine::TInputOptions in;
    engine::TOutputOptions out;
    if (!ParseFields(args.in, false, in, out) || !ParseFields(args.out, true, in, out)) return 2;
    if (!engine::LoadEngineLibraries({})) {
        std::fprintf(stderr, "%s\n", qPrintable(engine::EngineLoadError()));
        return 1;
    }
    const QString input = QString::fromStdString(args.input);
    const QString output = QString::fromStdString(args.output);

    engine::TFFmpegEncoder encoder;
    const int task = encoder.AddTask(input, in);
    if (task < 0) {
        std::fprintf(stderr, "%s\n", qPrintable(encoder.LastError()));
        return 1;
    }
    encoder.SetOutputFile(task, output, out);

    const bool tty = isatty(STDOUT_FILENO) == 1;
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    engine::TTerminateInfo result;
    bool cancelled = false;
    bool progressShown = false;
    encoder.OnProgress = [&](const engine::TProgressInfo& p) {
        if (!tty) return;
        const double wall = double(clock.elapsed()) / 1000.0;
        const double speed = wall > 0 ? double(p.CurrentTime) / 1e6 / wall : 0.0;
        QString pct = "  ?%", remaining = "--:--:--";
        if (p.TotalTime > 0) {
            pct = QString::asprintf("%3lld%%", static_cast<long long>(std::min<int64_t>(
                                                   100, p.CurrentTime * 100 / p.TotalTime)));
            if (speed > 0) remaining = Clock(int64_t(double(p.TotalTime - p.CurrentTime) / speed));
        }
        std::printf("\r%s  time %s  size %s  speed %.2fx  remaining %s   ", qPrintable(pct),
                    qPrintable(Clock(p.CurrentTime)), qPrintable(Size(p.OutputSize)), speed,
                    qPrintable(remaining));
        std::fflush(stdout);
        progressShown = true;
    };
    encoder.OnTerminate = [&](const engine::TTerminateInfo& t) {
        if (t.TaskIndex == task) result = t;
        if (t.TaskIndex == -1) loop.quit();
    };
    if (args.emptyHook || args.wholeFrameHook) {
        out.VideoHook = true;
        encoder.SetOutputFile(task, output, out);
        if (args.emptyHook)
            // Draws nothing, and says so, as the effects handler does on the
            // frames it leaves alone.
            encoder.OnCustomHook = [](engine::THookInfo& info) { info.ChangedRect = QRect(); };
        else
            // Leaves the whole picture marked as drawn: every frame goes back
            // through the colour conversion, as with full-frame adjustments.
            encoder.OnCustomHook = [](engine::THookInfo&) {};
    }
    if (args.verbose)
        encoder.OnLog = [](const QString& m) { std::fprintf(stderr, "%s\n", qPrintable(m)); };

    SignalCatcher catcher;
    std::unique_ptr<QSocketNotifier> notifier;
    if (catcher.ReadFd() >= 0) {
        notifier = std::make_unique<QSocketNotifier>(catcher.ReadFd(), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [&] {
            char buf[16];
            while (read(catcher.ReadFd(), buf, sizeof buf) > 0) {
            }
            cancelled = true;
            encoder.StopTasks(false);
        });
    }
    encoder.StartTask(1);
    loop.exec();
    encoder.StopTasks(true);
    if (progressShown) std::printf("\n");

    if (result.Finished) {
        std::printf("Finished: %s\n", qPrintable(output));
        return 0;
    }
    if (result.Failed) {
        std::fprintf(stderr, "Failed: %s\n", qPrintable(result.ErrorText));
        return 1;
    }
    std::fprintf(stderr, "%s\n", cancelled ? "Cancelled." : "Stopped.");
    return 1;
}

}  // namespace

void RegisterEncodeCommand(CLI::App& app, int* exitCode) {
    auto args = std::make_shared<EncodeArgs>();
    auto* cmd = app.add_subcommand("encode", "Convert one file with the engine");
    cmd->add_option("INPUT", args->input, "the source file")->required();
    cmd->add_option("OUTPUT", args->output, "the file to write (never overwritten)")->required();
    cmd->add_option("--in", args->in, "input record field, FIELD=VALUE (e.g. StartTime=2000000)")
        ->expected(1)
        ->take_all();
    cmd->add_option("--out", args->out,
                    "output record field, FIELD=VALUE (e.g. VideoCodec=mpeg4, FrameSize=320x240)")
        ->expected(1)
        ->take_all();
    cmd->add_flag("-v,--verbose", args->verbose, "print the engine's messages on stderr");
    cmd->add_flag("--empty-hook", args->emptyHook,
                  "hand every frame to a per-frame hook that draws nothing (measures the "
                  "hook's cost)");
    cmd->add_flag("--whole-frame-hook", args->wholeFrameHook,
                  "like --empty-hook, but the hook leaves the whole picture marked as drawn, so "
                  "every frame is converted back")
        ->excludes("--empty-hook");
    cmd->callback([args, exitCode] { *exitCode = RunEncode(*args); });
}

}  // namespace fw::cli
