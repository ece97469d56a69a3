// framewright-cli profiles: the format catalogue, one line per entry with its
// format code, its display name and whether the format file defines it.
#include "app/FormatFileInstall.h"
#include "app/GlobalUnit.h"
#include "app/IniFile.h"
#include "cli/CliCommands.h"
#include "profiles/FormatCatalogue.h"
#include "profiles/FormatFile.h"

#include <CLI/CLI.hpp>

#include <QFileInfo>

#include <cstdio>
#include <memory>
#include <string>

namespace fw::cli {

void RegisterProfilesCommand(CLI::App& app, int* exitCode) {
    auto* cmd = app.add_subcommand(
        "profiles",
        "List the format catalogue: code, display name, and \"defined\" or \"missing\" for "
        "whether the format file has the profile. Exit code 1 when any is missing.");
    auto file = std::make_shared<std::string>();
    cmd->add_option("--file", *file, "Check this format file instead of the installed one");
    cmd->callback([exitCode, file] {
        QString error;
        if (!EnsureFormatFileInstalled(&error))
            std::fprintf(stderr, "warning: %s\n", qPrintable(error));
        GlobalObjectScope global;
        const QString path =
            file->empty() ? GlobalObject().FormatFileName() : QString::fromStdString(*file);
        if (!QFileInfo(path).isFile())
            std::fprintf(stderr, "warning: no format file at %s\n", qPrintable(path));
        const IniFile format(path);
        int missing = 0;
        for (int code : FormatCatalogueCodes()) {
            const bool defined = format.SectionExists(FormatSection(code));
            if (!defined) ++missing;
            std::printf("%3d  %-42s  %s\n", code, qPrintable(FormatEntryName(code)),
                        defined ? "defined" : "missing");
        }
        *exitCode = missing == 0 ? 0 : 1;
    });
}

}  // namespace fw::cli
