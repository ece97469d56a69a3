// framewright-cli snapshot FILE --time SECONDS -o OUT.bmp|OUT.jpg [edits]: one
// frame of a file with the picture adjustments and watermark items drawn by
// the same per-frame handler a conversion runs, so edits can be checked on a
// single frame before a long batch.
#include "cli/CliCommands.h"
#include "cli/EffectOptions.h"

#include "effects/FrameHook.h"
#include "engine/EngineLoader.h"
#include "engine/FrameGrab.h"

#include <CLI/CLI.hpp>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string_view>

namespace fw::cli {
namespace {

struct SnapshotArgs {
    std::string file;
    double seconds = 0;
    std::string output;
    int quality = 90;
};

// The edits come from the whole command line: they are order-dependent and
// are taken out before CLI11 sees the arguments.
bool EffectsFromCommandLine(effects::TFrameEffects* fx, QString* error) {
    std::vector<std::string> args;
    for (const QString& a : QCoreApplication::arguments())
        args.push_back(a.toLocal8Bit().toStdString());
    return TakeEffectOptions(args, fx, error);
}

int RunSnapshot(const SnapshotArgs& args) {
    const QString output = QString::fromLocal8Bit(args.output.c_str());
    const QString ext = QFileInfo(output).suffix().toLower();
    const char* format = ext == "bmp" ? "BMP" : (ext == "jpg" || ext == "jpeg") ? "JPG" : nullptr;
    if (!format) {
        std::fprintf(stderr, "-o: the picture must end in .bmp, .jpg or .jpeg\n");
        return 2;
    }
    effects::TFrameEffects fx;
    QString error;
    if (!EffectsFromCommandLine(&fx, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    if (!engine::LoadEngineLibraries({})) {
        std::fprintf(stderr, "%s\n", qPrintable(engine::EngineLoadError()));
        return 1;
    }
    const int64_t micros = std::llround(args.seconds * 1e6);
    QImage frame;
    if (!engine::GrabFrameAt(QString::fromLocal8Bit(args.file.c_str()), micros, &frame, &error)) {
        std::fprintf(stderr, "%s: %s\n", args.file.c_str(), qPrintable(error));
        return 1;
    }
    effects::TFrameHookProcessor hook;
    if (!hook.Process(frame, micros, fx, &error)) {
        // What the conversion logs for such a frame; no picture is written.
        std::fprintf(stderr, "Error occurs OnCustomHook: %s\n", qPrintable(error));
        return 1;
    }
    // Written under a temporary name and moved into place, so a failed write
    // leaves no broken picture.
    QSaveFile file(output);
    QImageWriter writer(&file, format);
    if (std::string_view(format) == "JPG") writer.setQuality(args.quality);
    if (!file.open(QIODevice::WriteOnly) || !writer.write(frame) || !file.commit()) {
        const QString why = writer.error() != QImageWriter::UnknownError ? writer.errorString()
                                                                         : file.errorString();
        std::fprintf(stderr, "%s: %s\n", qPrintable(output), qPrintable(why));
        return 1;
    }
    std::printf("%s (%dx%d)\n", qPrintable(output), frame.width(), frame.height());
    return 0;
}

}  // namespace

void RegisterSnapshotCommand(CLI::App& app, int* exitCode) {
    auto args = std::make_shared<SnapshotArgs>();
    auto* cmd = app.add_subcommand(
        "snapshot", "write one frame with the picture adjustments and watermark items applied");
    cmd->add_option("file", args->file, "source file")->required();
    cmd->add_option("--time", args->seconds, "time of the frame in seconds")
        ->required()
        ->check(CLI::NonNegativeNumber);
    cmd->add_option("-o,--output", args->output, "picture to write (.bmp or .jpg)")->required();
    cmd->add_option("--quality", args->quality, "JPEG quality 1..100 (default 90)")
        ->check(CLI::Range(1, 100));
    cmd->footer(EffectOptionsHelp());
    cmd->callback([args, exitCode] { *exitCode = RunSnapshot(*args); });
}

}  // namespace fw::cli
