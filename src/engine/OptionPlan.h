// Turns the encoder's option records into what one conversion needs: codec
// names after the legacy-name table, the vcd/svcd/dvd parameter sets, device
// presets, per-codec and muxer option dictionaries and the extra name=value
// options. Explicit record fields override a target's presets, and extra
// options override both.
#pragma once

#include "engine/EngineTypes.h"
#include "engine/FFmpegPtr.h"

#include <QString>

namespace fw::engine {

struct TInputPlan {
    QString FileName;
    QString Format;
    int64_t StartTime = kNoValue;  // microseconds
    int64_t Duration = kNoValue;   // microseconds, input -t
    int ProgramId = -1;
    bool NoVideo = false, NoAudio = false, NoSubtitles = false;
    Dict FormatOptions;
    Dict DecoderOptions;
};

struct TStreamPlan {
    QString Codec;  // encoder name as asked for; empty: the muxer's default
    bool Disabled = false;
    Dict CodecOptions;
    QString Tag;  // four characters
    QString Language;
    QString Preset;
};

struct TOutputPlan {
    QString FileName;
    QString Format;
    Dict MuxOptions;
    Dict Metadata;

    TStreamPlan Video;
    int Width = 0, Height = 0;  // 0: keep what the filters give
    QString FrameRate;
    QString PixelFormat;
    QString Aspect;
    QString Filters;
    int CropTop = 0, CropBottom = 0, CropLeft = 0, CropRight = 0;
    int VideoSync = -1;  // -1 auto, 0 passthrough, 1 constant rate, 2 variable rate

    TStreamPlan Audio;
    int SampleRate = 0, Channels = 0;
    int Volume = -1;  // 256 = unchanged
    int AudioSync = 0;
    QString AudioFilters;

    TStreamPlan Subtitle;

    int64_t RecordingTime = kNoValue;  // microseconds
    int64_t StartTime = kNoValue;      // microseconds, output -ss
    bool CopyTimestamps = false;
    bool Hook = false;
};

bool BuildInputPlan(const TInputOptions& in, TInputPlan* plan, QString* error);
bool BuildOutputPlan(const TOutputOptions& out, TOutputPlan* plan, QString* error);

// Splits extra options into name/value pairs: lines separated by line breaks
// or the text "<CRLF>", each "name=value" (a bare name means "1").
QList<QPair<QString, QString>> SplitExtOptions(const QString& text);

// Finds the encoder for a codec name, through the table of older names.
// Returns nullptr and a message naming the codec when none serves it.
const AVCodec* FindEncoder(const QString& name, AVMediaType type, QString* error);

// Applies a device or speed preset ("libx264-ipod", "libx264-fast", "slow") to
// an encoder's options; false with a message when the preset is unknown.
bool ApplyPreset(const QString& preset, const AVCodec* codec, Dict* options, QString* pixFmt,
                 QString* error);

}  // namespace fw::engine
