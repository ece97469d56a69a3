#include "cli/FileEdits.h"

#include "jobs/TaskRecord.h"

#include <CLI/CLI.hpp>
#include <QStringList>

#include <cmath>

namespace fw::cli {

void FileEdits::AddOptions(CLI::App* cmd, bool withOutputDir) {
    cmd->add_option("--profile", profile, "format code of the profile (default: \"FormatCode\")")
        ->check(CLI::NonNegativeNumber);
    if (withOutputDir)
        cmd->add_option("--output-dir", outputDir, "output folder (default: \"OutPutDir\")");
    cmd->add_option("--trim-start", trimStart, "start of the part to convert, seconds")
        ->check(CLI::NonNegativeNumber);
    cmd->add_option("--trim-length", trimLength, "length of the part to convert, seconds")
        ->check(CLI::NonNegativeNumber);
    cmd->add_option("--crop", crop, "crop margins in source pixels: TOP,LEFT,BOTTOM,RIGHT");
    cmd->add_option("--zoom", zoom, "fit mode for this run")
        ->check(CLI::IsMember({"full", "lbox", "pan", "center"}));
}

bool FileEdits::ApplyTo(TlvFilesRecord& rec, QString* error) const {
    if (trimStart >= 0) rec.TrimStart = std::llround(trimStart * 1e6);
    if (trimLength >= 0) rec.TrimLength = std::llround(trimLength * 1e6);
    if (!crop.empty()) {
        const QStringList parts = QString::fromStdString(crop).split(',');
        int values[4] = {0, 0, 0, 0};
        bool ok = parts.size() == 4;
        for (int i = 0; ok && i < 4; ++i) {
            values[i] = parts[i].trimmed().toInt(&ok);
            ok = ok && values[i] >= 0;
        }
        if (!ok) {
            *error = "--crop wants four whole numbers of pixels, 0 or more: TOP,LEFT,BOTTOM,RIGHT";
            return false;
        }
        // The conversion crops by even margins.
        rec.CropTop = values[0] & ~1;
        rec.CropLeft = values[1] & ~1;
        rec.CropBottom = values[2] & ~1;
        rec.CropRight = values[3] & ~1;
    }
    if (effectsGiven) SetFrameEffects(rec, effects);
    return true;
}

}  // namespace fw::cli
