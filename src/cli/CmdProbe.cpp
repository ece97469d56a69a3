// framewright-cli probe FILE [--json]: what the engine sees in a file.
#include "cli/CliCommands.h"

#include "engine/AVProbe.h"
#include "engine/EngineLoader.h"

#include <CLI/CLI.hpp>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <memory>

namespace fw::cli {
namespace {

struct ProbeArgs {
    std::string file;
    bool json = false;
};

QJsonObject ToJson(const engine::TFileStreamInfo& f) {
    return QJsonObject{{"StartTime", qint64(f.StartTime)},
                       {"Duration", qint64(f.Duration)},
                       {"BitRate", f.BitRate},
                       {"TimeStamp", qint64(f.TimeStamp)},
                       {"Year", f.Year},
                       {"Track", f.Track},
                       {"Title", f.Title},
                       {"Author", f.Author},
                       {"Copyright", f.Copyright},
                       {"Comment", f.Comment},
                       {"Album", f.Album},
                       {"Genre", f.Genre}};
}

QJsonObject ToJson(const engine::TVideoStreamInfo& v) {
    return QJsonObject{{"Language", v.Language},
                       {"CodecText", v.CodecText},
                       {"StartTimeBase", qint64(v.StartTimeBase)},
                       {"StartTime", qint64(v.StartTime)},
                       {"DurationBase", qint64(v.DurationBase)},
                       {"Duration", qint64(v.Duration)},
                       {"BitRate", v.BitRate},
                       {"Height", v.Height},
                       {"Width", v.Width},
                       {"DisplayAspect", double(v.DisplayAspect)},
                       {"PixelFormat", v.PixelFormat},
                       {"FrameRateNum", v.FrameRateNum},
                       {"FrameRateDen", v.FrameRateDen}};
}

QJsonObject ToJson(const engine::TAudioStreamInfo& a) {
    return QJsonObject{{"Language", a.Language},
                       {"CodecText", a.CodecText},
                       {"StartTimeBase", qint64(a.StartTimeBase)},
                       {"StartTime", qint64(a.StartTime)},
                       {"DurationBase", qint64(a.DurationBase)},
                       {"Duration", qint64(a.Duration)},
                       {"BitRate", a.BitRate},
                       {"Channels", a.Channels},
                       {"SampleRate", a.SampleRate},
                       {"SampleFormat", a.SampleFormat}};
}

int RunProbe(const ProbeArgs& args) {
    if (!engine::LoadEngineLibraries({})) {
        std::fprintf(stderr, "%s\n", qPrintable(engine::EngineLoadError()));
        return 1;
    }
    engine::TAVProbe probe;
    if (!probe.ProbeOpen(QString::fromStdString(args.file))) {
        std::fprintf(stderr, "%s\n", qPrintable(probe.LastError()));
        return 1;
    }
    if (args.json) {
        const QJsonObject doc{{"File", ToJson(probe.ReadFileInfo())},
                              {"Video", ToJson(probe.ReadVideoInfo())},
                              {"Audio", ToJson(probe.ReadAudioInfo())}};
        std::fputs(QJsonDocument(doc).toJson(QJsonDocument::Indented).constData(), stdout);
    } else {
        std::printf("%s\n", probe.ProbeInfoText().toUtf8().constData());
    }
    return 0;
}

}  // namespace

void RegisterProbeCommand(CLI::App& app, int* exitCode) {
    auto args = std::make_shared<ProbeArgs>();
    auto* cmd = app.add_subcommand("probe", "Describe a media file as the engine sees it");
    cmd->add_option("FILE", args->file, "the media file")->required();
    cmd->add_flag("--json", args->json,
                  "print the file, first video and first audio records as JSON");
    cmd->callback([args, exitCode] { *exitCode = RunProbe(*args); });
}

}  // namespace fw::cli
