// Sub-commands of framewright-cli. Each Register* function adds one
// sub-command to the parser; its callback stores the process exit code in
// *exitCode (0 success, 1 failure; usage errors are 2 and handled by main).
#pragma once

namespace CLI {
class App;
}

namespace fw::cli {

struct FileEdits;

void RegisterProfilesCommand(CLI::App& app, int* exitCode);
void RegisterProbeCommand(CLI::App& app, int* exitCode);
void RegisterEncodeCommand(CLI::App& app, int* exitCode);
void RegisterSnapshotCommand(CLI::App& app, int* exitCode);
// convert and options read the effect options that main takes out of the
// arguments before parsing (their order matters: each item collects the
// options after it).
void RegisterConvertCommand(CLI::App& app, int* exitCode, FileEdits* sharedEdits);
void RegisterOptionsCommand(CLI::App& app, int* exitCode, FileEdits* sharedEdits);

}  // namespace fw::cli
