#include "engine/EngineLoader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace fw::engine {
namespace {

QString VersionText(unsigned v) {
    return QString("%1.%2.%3")
        .arg(AV_VERSION_MAJOR(v))
        .arg(AV_VERSION_MINOR(v))
        .arg(AV_VERSION_MICRO(v));
}

// A library is usable when its major version (the ABI) is the built one and
// its minor version is not older than the headers the program was built with.
QString CheckOne(const char* name, unsigned built, unsigned found) {
    if (AV_VERSION_MAJOR(built) == AV_VERSION_MAJOR(found) &&
        AV_VERSION_MINOR(found) >= AV_VERSION_MINOR(built))
        return {};
    return QString("%1 version mismatch: built against %2, found %3")
        .arg(name, VersionText(built), VersionText(found));
}

QString CheckAll() {
    const QString errors[] = {
        CheckOne("libavutil", LIBAVUTIL_VERSION_INT, avutil_version()),
        CheckOne("libavcodec", LIBAVCODEC_VERSION_INT, avcodec_version()),
        CheckOne("libavformat", LIBAVFORMAT_VERSION_INT, avformat_version()),
        CheckOne("libavfilter", LIBAVFILTER_VERSION_INT, avfilter_version()),
        CheckOne("libswscale", LIBSWSCALE_VERSION_INT, swscale_version()),
        CheckOne("libswresample", LIBSWRESAMPLE_VERSION_INT, swresample_version()),
    };
    for (const QString& e : errors)
        if (!e.isEmpty()) return e + ".";
    return {};
}

}  // namespace

bool EngineLibrariesLoaded() {
    return CheckAll().isEmpty();
}

bool LoadEngineLibraries(const QString& /*folder*/) {
    if (!EngineLibrariesLoaded()) return false;
    // Library chatter would flood a terminal; the engine reports every error
    // that matters through its own messages.
    av_log_set_level(AV_LOG_QUIET);
    return true;
}

QString EngineLoadError() {
    return CheckAll();
}

}  // namespace fw::engine
