// The prober: opens a media file and describes its container and streams.
// Without an open file every query sets LastError() to "file not loaded." and
// answers empty, -1 or false.
#pragma once

#include "engine/EngineTypes.h"
#include "engine/MediaInput.h"

#include <QString>

namespace fw::engine {

class TAVProbe {
  public:
    TAVProbe() = default;
    TAVProbe(const TAVProbe&) = delete;
    TAVProbe& operator=(const TAVProbe&) = delete;

    // Releases whatever was open, then opens and analyses the file.
    bool ProbeOpen(const QString& fileName, const QString& formatName = {});
    void ProbeDetach();
    bool IsOpen() const { return input_.IsOpen(); }

    QString ProbeInfoText();
    QString ProbeFormatName();
    QString ProbeFileName() const { return input_.IsOpen() ? fileName_ : QString(); }
    int ProbeVideoCount();
    int ProbeFirstVideo();
    int ProbeFirstAudio();
    bool ProbeIsVideo(int index);
    bool ProbeIsAudio(int index);

    TFileStreamInfo ReadFileInfo();
    TVideoStreamInfo ReadVideoInfo(int index = -1);
    TAudioStreamInfo ReadAudioInfo(int index = -1);

    QString LastError() const { return lastError_; }
    // The open input, for engine parts that share it (nullptr when closed).
    AVFormatContext* Context() const { return input_.Context(); }

  private:
    bool Loaded();
    int FirstOf(AVMediaType type);
    bool IsKind(int index, AVMediaType type);

    TMediaInput input_;
    QString fileName_;
    QString lastError_;
};

// FFmpeg's one-line description of a stream's codec ("Video: h264 (Main), ...").
QString CodecDescription(const AVStream* stream);

}  // namespace fw::engine
