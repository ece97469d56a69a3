// Per-file edits given on the command line (trim, crop, zoom, picture
// adjustments and watermark items), applied to every file of the command.
#pragma once

#include "effects/FrameHook.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace fw {
struct TlvFilesRecord;
}

namespace fw::cli {

struct FileEdits {
    double trimStart = -1;   // seconds; < 0 not given
    double trimLength = -1;  // seconds; < 0 not given
    std::string crop;        // "TOP,LEFT,BOTTOM,RIGHT"
    std::string zoom;        // full|lbox|pan|center
    int profile = -1;        // format code; < 0 not given
    std::string outputDir;
    effects::TFrameEffects effects;  // filled before CLI11 parses the rest
    bool effectsGiven = false;

    // Adds --profile, --trim-start, --trim-length, --crop and --zoom.
    void AddOptions(CLI::App* cmd, bool withOutputDir);
    // Writes the edits into a row's record; false with a message when a value
    // cannot be used.
    bool ApplyTo(TlvFilesRecord& rec, QString* error) const;
};

}  // namespace fw::cli
