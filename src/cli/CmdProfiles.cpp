#include "cli/CliCommands.h"

#include <CLI/CLI.hpp>

namespace fw::cli {

void RegisterProfilesCommand(CLI::App& app, int* exitCode) {
    auto* cmd = app.add_subcommand("profiles", "not available yet");
    cmd->callback([exitCode] { *exitCode = 1; });
}

}  // namespace fw::cli
