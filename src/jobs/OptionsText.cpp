#include "jobs/OptionsText.h"

namespace fw {

namespace {

// Collects "name=value" for fields that differ from a default-constructed record.
template <typename Record>
class Describer {
public:
    explicit Describer(const Record& r) : r_(r) {}

    template <typename T>
    Describer& Field(const char* name, T Record::*member) {
        if (r_.*member != defaults_.*member) lines_ << QString("%1=%2").arg(name, Text(r_.*member));
        return *this;
    }
    QStringList Lines() const { return lines_; }

private:
    static QString Text(const QString& v) { return v; }
    static QString Text(bool v) { return v ? "true" : "false"; }
    static QString Text(int32_t v) { return QString::number(v); }
    static QString Text(int64_t v) { return QString::number(v); }
    static QString Text(float v) { return QString::number(v); }
    static QString Text(double v) { return QString::number(v); }

    const Record& r_;
    const Record defaults_{};
    QStringList lines_;
};

}  // namespace

QStringList DescribeInputOptions(const engine::TInputOptions& in) {
    using R = engine::TInputOptions;
    return Describer<R>(in)
        .Field("FileName", &R::FileName)
        .Field("FileFormat", &R::FileFormat)
        .Field("StartTime", &R::StartTime)
        .Field("ProgramId", &R::ProgramId)
        .Field("ExtOptions", &R::ExtOptions)
        .Lines();
}

QStringList DescribeOutputOptions(const engine::TOutputOptions& out) {
    using R = engine::TOutputOptions;
    QStringList lines = Describer<R>(out)
                            .Field("FileName", &R::FileName)
                            .Field("FileFormat", &R::FileFormat)
                            .Field("PacketSize", &R::PacketSize)
                            .Field("MuxRate", &R::MuxRate)
                            .Field("MuxPreload", &R::MuxPreload)
                            .Field("MuxDelay", &R::MuxDelay)
                            .Field("AudioCodec", &R::AudioCodec)
                            .Field("AudioPreset", &R::AudioPreset)
                            .Field("DisableAudio", &R::DisableAudio)
                            .Field("AudioVolume", &R::AudioVolume)
                            .Field("AudioChannels", &R::AudioChannels)
                            .Field("AudioSampleRate", &R::AudioSampleRate)
                            .Field("AudioBitrate", &R::AudioBitrate)
                            .Field("AudioBitrateTolerance", &R::AudioBitrateTolerance)
                            .Field("AudioLanguage", &R::AudioLanguage)
                            .Field("AudioSync", &R::AudioSync)
                            .Field("AudioTag", &R::AudioTag)
                            .Field("VideoCodec", &R::VideoCodec)
                            .Field("VideoPreset", &R::VideoPreset)
                            .Field("DisableVideo", &R::DisableVideo)
                            .Field("FrameRate", &R::FrameRate)
                            .Field("FrameSize", &R::FrameSize)
                            .Field("AspectRatio", &R::AspectRatio)
                            .Field("TopCrop", &R::TopCrop)
                            .Field("BottomCrop", &R::BottomCrop)
                            .Field("LeftCrop", &R::LeftCrop)
                            .Field("RightCrop", &R::RightCrop)
                            .Field("GopSize", &R::GopSize)
                            .Field("VideoBitrate", &R::VideoBitrate)
                            .Field("MaxRate", &R::MaxRate)
                            .Field("MinRate", &R::MinRate)
                            .Field("BitrateTolerance", &R::BitrateTolerance)
                            .Field("BufferSize", &R::BufferSize)
                            .Field("VideoSync", &R::VideoSync)
                            .Field("VideoTag", &R::VideoTag)
                            .Field("VideoFilters", &R::VideoFilters)
                            .Field("VideoLanguage", &R::VideoLanguage)
                            .Field("SubtitleCodec", &R::SubtitleCodec)
                            .Field("SubtitlePreset", &R::SubtitlePreset)
                            .Field("DisableSubtitles", &R::DisableSubtitles)
                            .Field("SubtitleLanguage", &R::SubtitleLanguage)
                            .Field("InputSync", &R::InputSync)
                            .Field("CopyTimestamps", &R::CopyTimestamps)
                            .Field("OutputStartTime", &R::OutputStartTime)
                            .Field("RecordingTime", &R::RecordingTime)
                            .Field("TargetType", &R::TargetType)
                            .Field("TargetNorm", &R::TargetNorm)
                            .Field("DefaultNorm", &R::DefaultNorm)
                            .Field("VideoHook", &R::VideoHook)
                            .Field("ExtOptions", &R::ExtOptions)
                            .Lines();
    using M = engine::TStreamInfo;
    lines << Describer<M>(out.Metadata)
                 .Field("Metadata.TimeStamp", &M::TimeStamp)
                 .Field("Metadata.Year", &M::Year)
                 .Field("Metadata.Track", &M::Track)
                 .Field("Metadata.Title", &M::Title)
                 .Field("Metadata.Author", &M::Author)
                 .Field("Metadata.Copyright", &M::Copyright)
                 .Field("Metadata.Comment", &M::Comment)
                 .Field("Metadata.Album", &M::Album)
                 .Field("Metadata.Genre", &M::Genre)
                 .Lines();
    return lines;
}

}  // namespace fw
