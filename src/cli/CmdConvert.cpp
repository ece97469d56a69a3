// framewright-cli convert: what "&Start" does for the given files, without a
// window; framewright-cli options: the records such a run would hand to the
// engine, without converting.
#include "cli/CliCommands.h"
#include "cli/CliSession.h"
#include "cli/ConsolePrompts.h"
#include "cli/EffectOptions.h"
#include "cli/FileEdits.h"

#include "effects/FrameHook.h"
#include "engine/Encoder.h"
#include "jobs/ConversionRun.h"
#include "jobs/OptionsText.h"
#include "jobs/TaskList.h"
#include "jobs/TimeTexts.h"
#include "app/GlobalUnit.h"
#include "app/IniFile.h"
#include "profiles/FormatFile.h"

#include <CLI/CLI.hpp>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace fw::cli {

namespace {

struct ConvertArgs {
    std::vector<std::string> files;
    FileEdits edits;
};

QStringList ToPaths(const std::vector<std::string>& files) {
    QStringList paths;
    for (const auto& f : files) paths << QString::fromLocal8Bit(f.c_str());
    return paths;
}

TRunOverrides OverridesOf(const FileEdits& e) {
    TRunOverrides o;
    if (e.profile >= 0) {
        o.FormatCode = e.profile;
        if (!FormatIni().SectionExists(FormatSection(e.profile)))
            std::fprintf(stderr, "warning: the format file defines no profile %d; its defaults apply\n",
                         e.profile);
    }
    if (!e.zoom.empty()) o.ZoomMode = QString::fromStdString(e.zoom);
    if (!e.outputDir.empty()) o.OutputDir = QDir(QString::fromLocal8Bit(e.outputDir.c_str())).absolutePath();
    return o;
}

// Adds the files to a task list and applies the edits to every row. Files
// that cannot be added are reported on stderr and counted in *failures.
bool FillTaskList(const ConvertArgs& args, engine::TFFmpegEncoder& encoder, IPrompts& prompts,
                  TaskListModel& list, int* failures) {
    QStringList skipped;
    list.AddFiles(ToPaths(args.files), encoder, prompts, &skipped);
    for (const QString& line : skipped) std::fprintf(stderr, "skipped: %s\n", qPrintable(line));
    *failures += skipped.size();
    for (int i = 0; i < list.Count(); ++i) {
        QString error;
        if (!args.edits.ApplyTo(list.Row(i).Record, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return false;
        }
    }
    return true;
}

volatile std::sig_atomic_t g_interrupted = 0;
extern "C" void OnInterrupt(int) { g_interrupted = 1; }

// What convert and options share: the session, the engine and the task list
// filled with the command's files and edits.
struct FileCommand {
    CliSession session;
    ConsolePrompts prompts;
    engine::TFFmpegEncoder encoder;
    TaskListModel list;
    int failures = 0;

    // 0 when the files are listed, otherwise the exit code.
    int Start(const ConvertArgs& args) {
        if (!session.Ready()) return 1;
        return FillTaskList(args, encoder, prompts, list, &failures) ? 0 : 2;
    }
};

int RunConvert(const ConvertArgs& args) {
    FileCommand c;
    if (const int code = c.Start(args)) return code;
    auto& [session, prompts, encoder, list, failures] = c;
    if (list.IsEmpty()) {
        std::fprintf(stderr, "no file to convert\n");
        return 1;
    }

    const TRunStart run = StartRun(list, encoder, prompts, OverridesOf(args.edits));
    for (const auto& [row, reason] : run.RefusedRows)
        std::printf("failed: %s: %s\n", qPrintable(list.Row(row).Caption), qPrintable(reason));
    failures += run.RefusedRows.size();
    if (!run.Started) return 1;

    // What the per-frame hook draws, per task; nothing changes during the run.
    std::vector<effects::TFrameEffects> taskEffects;
    for (int row : run.TaskToRow) taskEffects.push_back(FrameEffectsOf(list.Row(row).Record));
    effects::TFrameHookProcessor hook;
    encoder.OnCustomHook = [&](engine::THookInfo& info) {
        QString error;
        if (!hook.Process(*info.FrameBitmap, info.FrameTime, taskEffects.at(info.TaskIndex), &error,
                          &info.ChangedRect))
            throw std::runtime_error(error.toStdString());
    };
    encoder.OnLog = [](const QString& line) {
        if (line.startsWith("Error")) std::fprintf(stderr, "%s\n", qPrintable(line));
    };

    const bool tty = ::isatty(STDOUT_FILENO);
    encoder.OnProgress = [&](const engine::TProgressInfo& p) {
        if (!tty) return;
        const QString caption = list.Row(run.TaskToRow.at(p.TaskIndex)).Caption;
        std::printf("\r\033[K%s %5s  %s  %s  %s", qPrintable(BatchPositionText(p.TaskIndex, encoder.TaskCount())),
                    qPrintable(ProgressColumnText(p)), qPrintable(MicrosToClock(p.CurrentTime)),
                    qPrintable(SizeKbText(p.OutputSize)),
                    qPrintable(QFileInfo(caption).fileName()));
        std::fflush(stdout);
    };
    encoder.OnTerminate = [&](const engine::TTerminateInfo& t) {
        if (t.TaskIndex < 0) {
            QCoreApplication::exit(0);
            return;
        }
        if (tty) std::printf("\r\033[K");
        const QString caption = list.Row(run.TaskToRow.at(t.TaskIndex)).Caption;
        if (t.Finished && !t.Failed) {
            std::printf("%s -> %s\n", qPrintable(caption), qPrintable(run.OutputPaths.at(t.TaskIndex)));
        } else {
            ++failures;
            std::printf("failed: %s: %s\n", qPrintable(caption),
                        qPrintable(t.ErrorText.isEmpty() ? QString("stopped") : t.ErrorText));
        }
        std::fflush(stdout);
    };

    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    QTimer interruptPoll;
    QObject::connect(&interruptPoll, &QTimer::timeout, [&] {
        if (g_interrupted) {
            interruptPoll.stop();
            encoder.StopTasks(false);
        }
    });
    interruptPoll.start(100);
    encoder.StartTask(1);
    QCoreApplication::exec();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    return failures == 0 && !g_interrupted ? 0 : 1;
}

int RunOptions(const ConvertArgs& args) {
    FileCommand c;
    if (const int code = c.Start(args)) return code;
    auto& [session, prompts, encoder, list, failures] = c;
    const TRunOverrides overrides = OverridesOf(args.edits);
    for (int row = 0; row < list.Count(); ++row) {
        try {
            const TPreparedTask task = PrepareTask(list, row, encoder.EncoderProber(), prompts, overrides);
            if (list.Count() > 1) std::printf("# %s\n", qPrintable(list.Row(row).Caption));
            std::printf("[input]\n");
            for (const QString& line : DescribeInputOptions(task.Input)) std::printf("%s\n", qPrintable(line));
            std::printf("[output]\n");
            for (const QString& line : DescribeOutputOptions(task.Output)) std::printf("%s\n", qPrintable(line));
            const effects::TFrameEffects fx = FrameEffectsOf(list.Row(row).Record);
            const QString effectsText = effects::DescribeEffects(fx);
            if (!effectsText.isEmpty()) std::printf("[effects]\n%s\n", qPrintable(effectsText.trimmed()));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "failed: %s: %s\n", qPrintable(list.Row(row).Caption), e.what());
            ++failures;
        }
        encoder.EncoderProber().ProbeDetach();
    }
    return failures == 0 && !list.IsEmpty() ? 0 : 1;
}

}  // namespace

namespace {

void RegisterFileCommand(CLI::App& app, const char* name, const char* description, int* exitCode,
                         FileEdits* sharedEdits, int (*run)(const ConvertArgs&)) {
    auto args = std::make_shared<ConvertArgs>();
    auto* cmd = app.add_subcommand(name, description);
    cmd->add_option("files", args->files, "source files")->required();
    args->edits.AddOptions(cmd, true);
    cmd->footer(EffectOptionsHelp());
    cmd->callback([args, exitCode, sharedEdits, run] {
        args->edits.effects = sharedEdits->effects;
        args->edits.effectsGiven = sharedEdits->effectsGiven;
        *exitCode = run(*args);
    });
}

}  // namespace

void RegisterConvertCommand(CLI::App& app, int* exitCode, FileEdits* sharedEdits) {
    RegisterFileCommand(app, "convert", "convert files with the current profile and settings",
                        exitCode, sharedEdits, RunConvert);
}

void RegisterOptionsCommand(CLI::App& app, int* exitCode, FileEdits* sharedEdits) {
    RegisterFileCommand(app, "options", "print the option records a conversion would use",
                        exitCode, sharedEdits, RunOptions);
}

}  // namespace fw::cli
