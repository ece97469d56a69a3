// The FFmpeg libraries are linked when the program is built; "loading" them
// checks that the libraries the process runs with are the ones it was built
// against, so that a mismatched installation is reported instead of crashing.
#pragma once

#include <QString>

namespace fw::engine {

// True when every FFmpeg library found at run time matches the build.
bool EngineLibrariesLoaded();
// The folder is accepted for compatibility with callers that name one; the
// libraries come from the dynamic linker. False when a version does not match.
bool LoadEngineLibraries(const QString& folder);
// Empty when the libraries match, otherwise which one does not and why.
QString EngineLoadError();

}  // namespace fw::engine
