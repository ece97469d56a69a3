// framewright-cli: the command-line front end over the same libraries as the
// windowed program.
#include "cli/CliCommands.h"

#include <CLI/CLI.hpp>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    // Text watermarks are drawn with Qt's font engine, which wants a GUI
    // application object; the offscreen platform needs no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication qtApp(argc, argv);

    CLI::App app{"framewright-cli: convert, probe and inspect media files"};
    app.require_subcommand(1);
    int exitCode = 0;
    fw::cli::RegisterProfilesCommand(app, &exitCode);
    fw::cli::RegisterProbeCommand(app, &exitCode);
    fw::cli::RegisterEncodeCommand(app, &exitCode);
    fw::cli::RegisterSnapshotCommand(app, &exitCode);
    try {
        app.parse(argc, argv);
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
