// framewright-cli: the command-line front end over the same libraries as the
// windowed program.
#include "cli/CliCommands.h"
#include "cli/EffectOptions.h"
#include "cli/FileEdits.h"

#include <CLI/CLI.hpp>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Qt's own warnings go to stderr as usual, except the notice that no runtime
// folder is set, which is normal for a command run from a script.
void CliMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (message.startsWith("QStandardPaths: XDG_RUNTIME_DIR")) return;
    if (type == QtDebugMsg || type == QtInfoMsg) return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(CliMessageHandler);
    // Text watermarks are drawn with Qt's font engine, which wants a GUI
    // application object; the offscreen platform needs no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication qtApp(argc, argv);

    CLI::App app{"framewright-cli: convert, probe and inspect media files"};
    app.require_subcommand(1);
    int exitCode = 0;
    fw::cli::FileEdits sharedEdits;
    fw::cli::RegisterProfilesCommand(app, &exitCode);
    fw::cli::RegisterProbeCommand(app, &exitCode);
    fw::cli::RegisterEncodeCommand(app, &exitCode);
    fw::cli::RegisterSnapshotCommand(app, &exitCode);
    fw::cli::RegisterConvertCommand(app, &exitCode, &sharedEdits);
    fw::cli::RegisterOptionsCommand(app, &exitCode, &sharedEdits);

    // The picture adjustment and watermark options depend on their order, so
    // they are taken out before CLI11 parses the rest.
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool editsAllowed =
        !args.empty() && (args[0] == "convert" || args[0] == "options" || args[0] == "snapshot");
    if (editsAllowed) {
        QString error;
        if (!fw::cli::TakeEffectOptions(args, &sharedEdits.effects, &error,
                                        &sharedEdits.effectsGiven)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 2;
        }
    }
    std::reverse(args.begin(), args.end());  // CLI11 takes a vector last-first
    try {
        app.parse(args);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    }
    return exitCode;
}
