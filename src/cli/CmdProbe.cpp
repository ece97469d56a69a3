#include "cli/CliCommands.h"

#include <CLI/CLI.hpp>

namespace fw::cli {

void RegisterProbeCommand(CLI::App& app, int* exitCode) {
    auto* cmd = app.add_subcommand("probe", "not available yet");
    cmd->callback([exitCode] { *exitCode = 1; });
}

}  // namespace fw::cli
