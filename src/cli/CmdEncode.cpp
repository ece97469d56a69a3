#include "cli/CliCommands.h"

#include <CLI/CLI.hpp>

namespace fw::cli {

void RegisterEncodeCommand(CLI::App& app, int* exitCode) {
    auto* cmd = app.add_subcommand("encode", "not available yet");
    cmd->callback([exitCode] { *exitCode = 1; });
}

}  // namespace fw::cli
