// Conversions through the engine, checked with ffprobe.
#include "EngineTestUtil.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace fw::engine;
using fw::test::Convert;
using fw::test::Ffprobe;
using fw::test::SharedClips;
using fw::test::TempDir;

namespace {

struct ConvertCase {
    const char* name;
    const char* output;  // file name in a fresh folder
    std::function<void(TOutputOptions&, TInputOptions&)> set;
    // Expected ffprobe entries ("video.codec_name" = "mpeg4"); a value
    // starting with '~' is a number compared within 5 %.
    std::vector<std::pair<const char*, const char*>> expect;
    const char* source = nullptr;  // nullptr: the 320x240 clip
};

// "video.x" and "audio.x" name the first stream of that kind, whatever its index.
QString Lookup(const QMap<QString, QString>& probe, const QString& key) {
    for (const char* kind : {"video", "audio"}) {
        const QString prefix = QString(kind) + ".";
        if (!key.startsWith(prefix)) continue;
        for (int i = 0; probe.contains(QString("stream.%1.index").arg(i)); ++i)
            if (probe.value(QString("stream.%1.codec_type").arg(i)) == kind)
                return probe.value(QString("stream.%1.").arg(i) + key.mid(prefix.size()));
        return {};
    }
    return probe.value(key);
}

bool Matches(const QString& actual, const QString& expected) {
    if (!expected.startsWith('~')) return actual == expected;
    const double want = expected.mid(1).toDouble();
    bool ok = false;
    const double got = actual.toDouble(&ok);
    return ok && std::abs(got - want) <= std::abs(want) * 0.05;
}

void PrintTo(const ConvertCase& c, std::ostream* os) {
    *os << c.name;
}

class ConvertTable : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(ConvertTable, OutputHasTheAskedParameters) {
    const ConvertCase& c = GetParam();
    TempDir dir;
    TOutputOptions out;
    TInputOptions in;
    c.set(out, in);
    const QString source = c.source ? QString::fromLatin1(c.source) : SharedClips().av;
    const QString target = dir.File(c.output);
    QStringList log;
    const TTerminateInfo t = Convert(source, target, out, in, &log);
    ASSERT_TRUE(t.Finished) << t.ErrorText.toStdString() << "\n" << log.join('\n').toStdString();
    EXPECT_FALSE(t.Failed);
    EXPECT_EQ(fw::test::FilesIn(dir.Path()), QStringList{c.output});
    const auto probe = Ffprobe(target);
    ASSERT_FALSE(probe.isEmpty());
    for (const auto& [key, value] : c.expect)
        EXPECT_TRUE(Matches(Lookup(probe, key), value))
            << key << ": got '" << Lookup(probe, key).toStdString() << "', want '" << value << "'";
}

const ConvertCase kCases[] = {
    {"Mp4H264Aac",
     "out.mp4",
     [](TOutputOptions& o, TInputOptions&) {
         o.VideoCodec = "libx264";
         o.AudioCodec = "aac";
         o.FrameSize = "160x120";
         o.AudioBitrate = 64000;
     },
     {{"format.format_name", "mov,mp4,m4a,3gp,3g2,mj2"},
      {"video.codec_name", "h264"},
      {"video.width", "160"},
      {"video.height", "120"},
      {"audio.codec_name", "aac"},
      {"audio.sample_rate", "44100"},
      {"audio.channels", "2"},
      {"format.duration", "~2.0"}}},
    {"AviMpeg4Mp3MonoResampled",
     "out.avi",
     [](TOutputOptions& o, TInputOptions&) {
         o.VideoCodec = "mpeg4";
         o.AudioCodec = "libmp3lame";
         o.AudioChannels = 1;
         o.AudioSampleRate = 22050;
         o.VideoBitrate = 300000;
     },
     {{"format.format_name", "avi"},
      {"video.codec_name", "mpeg4"},
      {"video.width", "320"},
      {"audio.codec_name", "mp3"},
      {"audio.channels", "1"},
      {"audio.sample_rate", "22050"},
      {"format.duration", "~2.0"}}},
    {"FlvDefaultsOfTheFormat",
     "out.flv",
     [](TOutputOptions&, TInputOptions&) {},
     {{"format.format_name", "flv"}, {"video.codec_name", "flv1"}, {"audio.codec_name", "mp3"}}},
    {"LegacyNamesMapped",
     "out.mkv",
     [](TOutputOptions& o, TInputOptions&) {
         o.VideoCodec = "mpeg4";
         o.AudioCodec = "vorbis";
     },
     {{"format.format_name", "matroska,webm"}, {"audio.codec_name", "vorbis"}}},
    {"AudioOnlyFromVideoWithLegacyAac",
     "out.m4a",
     [](TOutputOptions& o, TInputOptions& i) {
         o.AudioCodec = "libfaac";
         o.DisableVideo = true;
         o.DisableSubtitles = true;
         o.AudioBitrate = 96000;
         i.ExtOptions = "vn=1";
     },
     {{"audio.codec_name", "aac"}, {"video.codec_name", ""}}},
    {"VcdPal",
     "out.mpg",
     [](TOutputOptions& o, TInputOptions&) {
         o.TargetType = 1;
         o.TargetNorm = 1;
     },
     {{"format.format_name", "mpeg"},
      {"video.codec_name", "mpeg1video"},
      {"video.width", "352"},
      {"video.height", "288"},
      {"video.r_frame_rate", "25/1"},
      {"audio.codec_name", "mp2"},
      {"audio.sample_rate", "44100"}}},
    {"DvdAutoNormTakesTheDefaultNtsc",
     "out.vob",
     [](TOutputOptions& o, TInputOptions&) {
         o.TargetType = 3;
         o.TargetNorm = 0;
         o.DefaultNorm = 2;
         o.AspectRatio = "16:9";
     },
     {{"video.codec_name", "mpeg2video"},
      {"video.width", "720"},
      {"video.height", "480"},
      {"video.r_frame_rate", "30000/1001"},
      {"video.display_aspect_ratio", "16:9"},
      {"audio.codec_name", "ac3"},
      {"audio.sample_rate", "48000"}}},
    {"ExplicitFieldOverridesTargetPreset",
     "out.mpg",
     [](TOutputOptions& o, TInputOptions&) {
         o.TargetType = 2;
         o.TargetNorm = 1;
         o.FrameSize = "352x288";
     },
     {{"video.codec_name", "mpeg2video"}, {"video.width", "352"}, {"video.height", "288"}}},
    {"CropThenScaleThenPad",
     "out.mp4",
     [](TOutputOptions& o, TInputOptions&) {
         o.VideoCodec = "mpeg4";
         o.LeftCrop = 40;
         o.RightCrop = 40;
         o.TopCrop = 0;
         o.BottomCrop = 0;
         o.FrameSize = "120x120";
         o.VideoFilters = "pad=160:120:20:0";
         o.AspectRatio = "1:1";  // of the scaled picture; the pad keeps its pixel shape
     },
     {{"video.width", "160"}, {"video.height", "120"}, {"video.display_aspect_ratio", "4:3"}}},
    {"FrameRateAndGop",
     "out.mkv",
     [](TOutputOptions& o, TInputOptions&) {
         o.VideoCodec = "mpeg4";
         o.FrameRate = "10";
         o.GopSize = 5;
         o.DisableAudio = true;
     },
     {{"video.r_frame_rate", "10/1"}, {"audio.codec_name", ""}, {"format.duration", "~2.0"}}},
    {"RecordingTimeLimitsAndStartTimeSkips",
     "out.mkv",
     [](TOutputOptions& o, TInputOptions& i) {
         o.VideoCodec = "mpeg4";
         o.AudioCodec = "aac";
         o.RecordingTime = 800000;
         i.StartTime = 1000000;
     },
     {{"format.duration", "~0.8"}}},
    {"MetadataAndX264DevicePreset",
     "out.mp4",
     [](TOutputOptions& o, TInputOptions&) {
         o.VideoCodec = "libx264";
         o.VideoPreset = "libx264-ipod";
         o.Metadata.Title = "Clip title";
         o.Metadata.Comment = "made in a test";
         o.ExtOptions = "g=12<CRLF>b:a=96000\r\nmetadata=album=Tests";
     },
     {{"video.profile", "Constrained Baseline"},
      {"video.pix_fmt", "yuv420p"},
      {"format.tags.title", "Clip title"},
      {"format.tags.comment", "made in a test"},
      {"format.tags.album", "Tests"}}},
};

INSTANTIATE_TEST_SUITE_P(Engine, ConvertTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
