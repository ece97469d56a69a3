// Records that the media engine and its callers exchange: the prober's stream
// descriptions, the encoder's input and output option records, and the records
// carried by the encoder's events. Plain data only; the engine classes live in
// their own headers.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <limits>

namespace fw::engine {

// The engine's "no value" marker for 64-bit times (same value as FFmpeg's
// AV_NOPTS_VALUE, kept here so callers need no FFmpeg header).
inline constexpr int64_t kNoValue = std::numeric_limits<int64_t>::min();

// ---------------------------------------------------------------- prober records
// Every integer is preset to -1 (the aspect to -1.0) and stays so when the file
// does not carry the value.

struct TFileStreamInfo {
    int64_t StartTime = -1;  // microseconds
    int64_t Duration = -1;   // microseconds
    int32_t BitRate = -1;    // bit/s
    int64_t TimeStamp = -1;  // container time stamp
    int32_t Year = -1;
    int32_t Track = -1;
    QString Title, Author, Copyright, Comment, Album, Genre;
};

struct TVideoStreamInfo {
    QString Language;
    QString CodecText;
    int64_t StartTimeBase = -1;  // stream time base
    int64_t StartTime = -1;      // microseconds
    int64_t DurationBase = -1;   // stream time base
    int64_t Duration = -1;       // microseconds
    int32_t BitRate = -1;        // bit/s
    int32_t Height = -1;
    int32_t Width = -1;
    float DisplayAspect = -1.0f;
    int32_t PixelFormat = -1;  // AVPixelFormat code
    int32_t FrameRateNum = -1;
    int32_t FrameRateDen = -1;
};

struct TAudioStreamInfo {
    QString Language;
    QString CodecText;
    int64_t StartTimeBase = -1;
    int64_t StartTime = -1;
    int64_t DurationBase = -1;
    int64_t Duration = -1;
    int32_t BitRate = -1;
    int32_t Channels = -1;
    int32_t SampleRate = -1;    // Hz
    int32_t SampleFormat = -1;  // AVSampleFormat code
};

// ---------------------------------------------------------------- option records

struct TInputOptions {
    QString FileName;
    QString FileFormat;            // -f before the input; empty: detect
    int64_t StartTime = kNoValue;  // -ss before the input, microseconds
    int32_t ProgramId = -1;        // "programid", used when >= 0
    // name=value lines, separated by line breaks or the text "<CRLF>"
    QString ExtOptions;
    int32_t Reserved1 = 0;
    int32_t Reserved2 = 0;
};

// Output metadata: time stamp (-1.0 unset, 0 means now), year, track, texts.
struct TStreamInfo {
    double TimeStamp = -1.0;
    int32_t Year = -1;
    int32_t Track = -1;
    QString Title, Author, Copyright, Comment, Album, Genre;
};

// Integers at -1 and floats at -1.0 are "not set": applied only when > 0
// (or >= 0 where noted). Texts are applied only when not empty.
struct TOutputOptions {
    QString FileName;
    QString Reserved0;
    QString FileFormat;  // -f
    int32_t PacketSize = -1;
    int32_t MuxRate = -1;
    float MuxPreload = -1.0f;   // seconds
    float MuxDelay = -1.0f;     // seconds
    QString AudioCodec;         // acodec
    QString AudioPreset;        // apre
    bool DisableAudio = false;  // an
    int32_t AudioVolume = -1;   // vol, applied when >= 0; 256 = unchanged
    int32_t AudioChannels = -1;
    int32_t AudioSampleRate = -1;  // Hz
    int32_t AudioBitrate = -1;     // bit/s
    int32_t AudioBitrateTolerance = -1;
    QString AudioLanguage;
    int32_t AudioSync = 0;
    QString AudioTag;
    QString VideoCodec;   // vcodec
    QString VideoPreset;  // vpre
    bool DisableVideo = false;
    QString FrameRate;    // r
    QString FrameSize;    // s, "WxH"
    QString AspectRatio;  // "W:H" or a number
    int32_t TopCrop = -1;
    int32_t BottomCrop = -1;
    int32_t LeftCrop = -1;
    int32_t RightCrop = -1;
    int32_t GopSize = -1;
    int32_t VideoBitrate = -1;  // bit/s
    int32_t MaxRate = -1;
    int32_t MinRate = -1;
    int32_t BitrateTolerance = -1;
    int32_t BufferSize = -1;
    int32_t VideoSync = -1;
    QString VideoTag;
    QString VideoFilters;  // vf
    QString VideoLanguage;
    QString SubtitleCodec;
    QString SubtitlePreset;
    bool DisableSubtitles = false;
    QString SubtitleLanguage;
    bool InputSync = false;
    bool CopyTimestamps = false;
    int64_t OutputStartTime = kNoValue;  // microseconds
    int64_t RecordingTime = kNoValue;    // -t, microseconds
    TStreamInfo Metadata;
    int32_t TargetType = 0;   // 1 vcd, 2 svcd, 3 dvd, 0 none
    int32_t TargetNorm = 0;   // 0 auto, 1 pal, 2 ntsc
    int32_t DefaultNorm = 1;  // norm when auto: 1 pal, otherwise ntsc
    bool VideoHook = false;   // call the per-frame hook for this output
    bool Reserved1 = false;
    QString ExtOptions;
    int32_t Reserved2 = 0;
    int32_t Reserved3 = 0;
};

// ---------------------------------------------------------------- event records

// Per-frame hook: FrameBitmap is QImage::Format_BGR888 at the decoded source
// size; the handler draws into it in place and must not change its size or format.
struct THookInfo {
    int32_t TaskIndex = 0;
    QImage* FrameBitmap = nullptr;
    int32_t FrameCounter = 0;
    int64_t FrameTime = 0;  // microseconds
    bool WriteBack = true;
    bool StopHooking = false;
    // The part of FrameBitmap the handler drew into. It comes in as the whole
    // picture; a handler that knows it drew less may shrink it, and only those
    // rows then go back into the frame (an empty one: nothing goes back, as
    // with WriteBack false). Pixels outside it must be left as they came.
    QRect ChangedRect;
};
using PHookInfo = THookInfo*;

struct TPreviewInfo {
    int32_t TaskIndex = 0;
    QImage FrameBitmap;
    int32_t FrameCounter = 0;
    int64_t FrameTime = 0;
};

struct TProgressInfo {
    int32_t TaskIndex = 0;
    int32_t FileIndex = 0;
    int32_t FrameCounter = 0;
    int32_t FramesPerSecond = 0;
    float Quality = 0.0f;
    float BitrateKbps = 0.0f;
    int64_t OutputSize = 0;   // bytes
    int64_t CurrentTime = 0;  // microseconds
    int64_t TotalTime = 0;    // microseconds
};
using PProgressInfo = TProgressInfo*;

struct TTerminateInfo {
    int32_t TaskIndex = -1;  // -1: the extra event after the last task
    bool Finished = false;
    bool Failed = false;
    QString ErrorText;
};

enum class TThreadPriority { Idle, Normal, Lower, Lowest };

}  // namespace fw::engine
