#include "cli/CliSession.h"

#include "app/FormatFileInstall.h"
#include "engine/EngineLoader.h"
#include "platform/Platform.h"

#include <cstdio>

namespace fw::cli {

CliSession::CliSession(bool needEngine) {
    QString error;
    if (!EnsureFormatFileInstalled(&error))
        std::fprintf(stderr, "warning: %s\n", qPrintable(error));
    if (needEngine && !engine::LoadEngineLibraries(platform::ExecutableFolder() + "LibAV")) {
        std::fprintf(stderr, "%s\n", qPrintable(engine::EngineLoadError()));
        return;
    }
    ready_ = true;
}

}  // namespace fw::cli
