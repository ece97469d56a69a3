#include "engine/RecordFields.h"

#include <functional>
#include <utility>
#include <vector>

namespace fw::engine {
namespace {

template <typename R>
using Setter = std::function<bool(R&, const QString&)>;

template <typename R>
struct Field {
    const char* name;
    Setter<R> set;
};

bool ToInt32(const QString& v, int32_t* out) {
    bool ok = false;
    const int x = v.trimmed().toInt(&ok);
    if (ok) *out = x;
    return ok;
}
bool ToInt64(const QString& v, int64_t* out) {
    bool ok = false;
    const qlonglong x = v.trimmed().toLongLong(&ok);
    if (ok) *out = x;
    return ok;
}
bool ToBool(const QString& v, bool* out) {
    const QString t = v.trimmed().toLower();
    if (t == "1" || t == "true" || t == "yes")
        *out = true;
    else if (t == "0" || t == "false" || t == "no")
        *out = false;
    else
        return false;
    return true;
}
template <typename F>
bool ToFloat(const QString& v, F* out) {
    bool ok = false;
    const double x = v.trimmed().toDouble(&ok);
    if (ok) *out = static_cast<F>(x);
    return ok;
}

template <typename R, typename T>
Field<R> Int32(const char* n, T R::*m) {
    return {n, [m](R& r, const QString& v) { return ToInt32(v, &(r.*m)); }};
}
template <typename R>
Field<R> Int64(const char* n, int64_t R::*m) {
    return {n, [m](R& r, const QString& v) { return ToInt64(v, &(r.*m)); }};
}
template <typename R>
Field<R> Bool(const char* n, bool R::*m) {
    return {n, [m](R& r, const QString& v) { return ToBool(v, &(r.*m)); }};
}
template <typename R>
Field<R> Text(const char* n, QString R::*m) {
    return {n, [m](R& r, const QString& v) {
                r.*m = v;
                return true;
            }};
}
template <typename R>
Field<R> Float(const char* n, float R::*m) {
    return {n, [m](R& r, const QString& v) { return ToFloat(v, &(r.*m)); }};
}

const std::vector<Field<TInputOptions>>& InputFields() {
    using I = TInputOptions;
    static const std::vector<Field<I>> fields = {
        Text("FileName", &I::FileName),     Text("FileFormat", &I::FileFormat),
        Int64("StartTime", &I::StartTime),  Int32("ProgramId", &I::ProgramId),
        Text("ExtOptions", &I::ExtOptions),
    };
    return fields;
}

const std::vector<Field<TOutputOptions>>& OutputFields() {
    using O = TOutputOptions;
    static const std::vector<Field<O>> fields = {
        Text("FileName", &O::FileName),
        Text("FileFormat", &O::FileFormat),
        Int32("PacketSize", &O::PacketSize),
        Int32("MuxRate", &O::MuxRate),
        Float("MuxPreload", &O::MuxPreload),
        Float("MuxDelay", &O::MuxDelay),
        Text("AudioCodec", &O::AudioCodec),
        Text("AudioPreset", &O::AudioPreset),
        Bool("DisableAudio", &O::DisableAudio),
        Int32("AudioVolume", &O::AudioVolume),
        Int32("AudioChannels", &O::AudioChannels),
        Int32("AudioSampleRate", &O::AudioSampleRate),
        Int32("AudioBitrate", &O::AudioBitrate),
        Int32("AudioBitrateTolerance", &O::AudioBitrateTolerance),
        Text("AudioLanguage", &O::AudioLanguage),
        Int32("AudioSync", &O::AudioSync),
        Text("AudioTag", &O::AudioTag),
        Text("VideoCodec", &O::VideoCodec),
        Text("VideoPreset", &O::VideoPreset),
        Bool("DisableVideo", &O::DisableVideo),
        Text("FrameRate", &O::FrameRate),
        Text("FrameSize", &O::FrameSize),
        Text("AspectRatio", &O::AspectRatio),
        Int32("TopCrop", &O::TopCrop),
        Int32("BottomCrop", &O::BottomCrop),
        Int32("LeftCrop", &O::LeftCrop),
        Int32("RightCrop", &O::RightCrop),
        Int32("GopSize", &O::GopSize),
        Int32("VideoBitrate", &O::VideoBitrate),
        Int32("MaxRate", &O::MaxRate),
        Int32("MinRate", &O::MinRate),
        Int32("BitrateTolerance", &O::BitrateTolerance),
        Int32("BufferSize", &O::BufferSize),
        Int32("VideoSync", &O::VideoSync),
        Text("VideoTag", &O::VideoTag),
        Text("VideoFilters", &O::VideoFilters),
        Text("VideoLanguage", &O::VideoLanguage),
        Text("SubtitleCodec", &O::SubtitleCodec),
        Text("SubtitlePreset", &O::SubtitlePreset),
        Bool("DisableSubtitles", &O::DisableSubtitles),
        Text("SubtitleLanguage", &O::SubtitleLanguage),
        Bool("InputSync", &O::InputSync),
        Bool("CopyTimestamps", &O::CopyTimestamps),
        Int64("OutputStartTime", &O::OutputStartTime),
        Int64("RecordingTime", &O::RecordingTime),
        {"Metadata.TimeStamp",
         [](O& r, const QString& v) { return ToFloat(v, &r.Metadata.TimeStamp); }},
        {"Metadata.Year", [](O& r, const QString& v) { return ToInt32(v, &r.Metadata.Year); }},
        {"Metadata.Track", [](O& r, const QString& v) { return ToInt32(v, &r.Metadata.Track); }},
        {"Metadata.Title", [](O& r, const QString& v) { return r.Metadata.Title = v, true; }},
        {"Metadata.Author", [](O& r, const QString& v) { return r.Metadata.Author = v, true; }},
        {"Metadata.Copyright",
         [](O& r, const QString& v) { return r.Metadata.Copyright = v, true; }},
        {"Metadata.Comment", [](O& r, const QString& v) { return r.Metadata.Comment = v, true; }},
        {"Metadata.Album", [](O& r, const QString& v) { return r.Metadata.Album = v, true; }},
        {"Metadata.Genre", [](O& r, const QString& v) { return r.Metadata.Genre = v, true; }},
        Int32("TargetType", &O::TargetType),
        Int32("TargetNorm", &O::TargetNorm),
        Int32("DefaultNorm", &O::DefaultNorm),
        Bool("VideoHook", &O::VideoHook),
        Text("ExtOptions", &O::ExtOptions),
    };
    return fields;
}

template <typename R>
bool SetField(const std::vector<Field<R>>& fields, R& record, const QString& name,
              const QString& value, QString* error) {
    for (const Field<R>& f : fields) {
        if (name != QLatin1String(f.name)) continue;
        if (f.set(record, value)) return true;
        if (error) *error = QString("bad value '%1' for field %2").arg(value, name);
        return false;
    }
    if (error) *error = QString("unknown field '%1'").arg(name);
    return false;
}

template <typename R>
QStringList Names(const std::vector<Field<R>>& fields) {
    QStringList n;
    for (const Field<R>& f : fields) n << QString::fromLatin1(f.name);
    return n;
}

}  // namespace

bool SetInputField(TInputOptions& record, const QString& name, const QString& value,
                   QString* error) {
    return SetField(InputFields(), record, name, value, error);
}
bool SetOutputField(TOutputOptions& record, const QString& name, const QString& value,
                    QString* error) {
    return SetField(OutputFields(), record, name, value, error);
}
QStringList InputFieldNames() {
    return Names(InputFields());
}
QStringList OutputFieldNames() {
    return Names(OutputFields());
}

}  // namespace fw::engine
