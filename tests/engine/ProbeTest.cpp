#include "EngineTestUtil.h"
#include "engine/AVProbe.h"
#include "engine/EngineLoader.h"

#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace fw::engine;
using fw::test::SharedClips;

namespace {

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

TEST(EngineLoader, LibrariesMatchTheBuild) {
    EXPECT_TRUE(LoadEngineLibraries("/nowhere/LibAV"));
    EXPECT_TRUE(EngineLibrariesLoaded());
    EXPECT_EQ(EngineLoadError(), QString());
}

TEST(Probe, EveryQueryWithoutAFileSaysFileNotLoaded) {
    TAVProbe p;
    const std::vector<std::function<void()>> queries = {
        [&] { EXPECT_EQ(p.ProbeInfoText(), QString()); },
        [&] { EXPECT_EQ(p.ProbeFormatName(), QString()); },
        [&] { EXPECT_EQ(p.ProbeVideoCount(), -1); },
        [&] { EXPECT_EQ(p.ProbeFirstVideo(), -1); },
        [&] { EXPECT_EQ(p.ProbeFirstAudio(), -1); },
        [&] { EXPECT_FALSE(p.ProbeIsVideo(0)); },
        [&] { EXPECT_FALSE(p.ProbeIsAudio(0)); },
        [&] { EXPECT_EQ(p.ReadFileInfo().Duration, -1); },
        [&] { EXPECT_EQ(p.ReadVideoInfo().Width, -1); },
        [&] { EXPECT_EQ(p.ReadAudioInfo().SampleRate, -1); },
    };
    for (size_t i = 0; i < queries.size(); ++i) {
        SCOPED_TRACE(i);
        queries[i]();
        EXPECT_EQ(p.LastError(), "file not loaded.");
    }
    EXPECT_EQ(p.ProbeFileName(), QString());
}

TEST(Probe, DescribesAGeneratedClip) {
    const QString file = SharedClips().av;
    TAVProbe p;
    ASSERT_TRUE(p.ProbeOpen(file)) << p.LastError().toStdString();
    EXPECT_EQ(p.ProbeFileName(), file);
    EXPECT_TRUE(p.ProbeFormatName().contains("mp4"));
    EXPECT_EQ(p.ProbeVideoCount(), 1);
    const int v = p.ProbeFirstVideo(), a = p.ProbeFirstAudio();
    ASSERT_GE(v, 0);
    ASSERT_GE(a, 0);
    EXPECT_TRUE(p.ProbeIsVideo(v));
    EXPECT_FALSE(p.ProbeIsVideo(a));
    EXPECT_TRUE(p.ProbeIsAudio(a));

    const TFileStreamInfo f = p.ReadFileInfo();
    EXPECT_NEAR(f.Duration, 2000000, 100000);
    EXPECT_GE(f.StartTime, 0);
    EXPECT_GT(f.BitRate, 0);
    EXPECT_EQ(f.Year, -1);
    EXPECT_EQ(f.Track, -1);

    const TVideoStreamInfo vi = p.ReadVideoInfo();
    EXPECT_EQ(vi.Width, 320);
    EXPECT_EQ(vi.Height, 240);
    EXPECT_EQ(vi.FrameRateNum * 1.0 / vi.FrameRateDen, 25.0);
    EXPECT_NEAR(vi.DisplayAspect, 4.0 / 3.0, 0.01);
    EXPECT_GE(vi.PixelFormat, 0);
    EXPECT_TRUE(vi.CodecText.startsWith("Video: mpeg4")) << vi.CodecText.toStdString();
    EXPECT_NEAR(vi.Duration, 2000000, 100000);

    const TAudioStreamInfo ai = p.ReadAudioInfo();
    EXPECT_EQ(ai.Channels, 2);
    EXPECT_EQ(ai.SampleRate, 44100);
    EXPECT_TRUE(ai.CodecText.startsWith("Audio: aac")) << ai.CodecText.toStdString();

    const QString text = p.ProbeInfoText();
    for (const char* line : {"File Name: ", "Format Name: mov,mp4", "Format Long Name: ",
                             "File Size: ", "Duration: 00:00:02", "StartTime: 0.000000",
                             "Bit Rate: ", "Stream #0", ": Video: mpeg4", ": Audio: aac"})
        EXPECT_TRUE(text.contains(line)) << line << "\n" << text.toStdString();
}

TEST(Probe, StreamIndexErrors) {
    TAVProbe p;
    ASSERT_TRUE(p.ProbeOpen(SharedClips().av));
    const int a = p.ProbeFirstAudio(), v = p.ProbeFirstVideo();
    EXPECT_FALSE(p.ProbeIsAudio(7));
    EXPECT_EQ(p.LastError(), "stream index #7 is invalid.");
    EXPECT_FALSE(p.ProbeIsVideo(-1));
    EXPECT_EQ(p.LastError(), "stream index #-1 is invalid.");
    EXPECT_EQ(p.ReadVideoInfo(a).Width, -1);
    EXPECT_EQ(p.LastError(), QString("stream #%1 is not video stream.").arg(a));
    EXPECT_EQ(p.ReadAudioInfo(v).Channels, -1);
    EXPECT_EQ(p.LastError(), QString("stream #%1 is not audio stream.").arg(v));

    TAVProbe audio;
    ASSERT_TRUE(audio.ProbeOpen(SharedClips().audioOnly));
    EXPECT_EQ(audio.ProbeVideoCount(), 0);
    EXPECT_EQ(audio.ReadVideoInfo().Height, -1);
    EXPECT_EQ(audio.LastError(), "no video stream.");
    TAVProbe video;
    ASSERT_TRUE(video.ProbeOpen(SharedClips().videoOnly));
    EXPECT_EQ(video.ReadAudioInfo().SampleRate, -1);
    EXPECT_EQ(video.LastError(), "no audio stream.");
}

TEST(Probe, DetachAndReopen) {
    TAVProbe p;
    ASSERT_TRUE(p.ProbeOpen(SharedClips().av));
    p.ProbeDetach();
    EXPECT_EQ(p.ProbeVideoCount(), -1);
    EXPECT_EQ(p.LastError(), "file not loaded.");
    ASSERT_TRUE(p.ProbeOpen(SharedClips().audioOnly));
    EXPECT_EQ(p.ProbeFirstVideo(), -1);
    // A failed open leaves nothing open.
    EXPECT_FALSE(p.ProbeOpen("/no/such/file.flv"));
    EXPECT_TRUE(p.LastError().contains("No such file")) << p.LastError().toStdString();
    EXPECT_EQ(p.ProbeFormatName(), QString());
}

TEST(Probe, RefusesBadFilesWithTheLibraryMessage) {
    fw::test::TempDir dir;
    WriteBytes(dir.File("empty.flv"), {});
    QByteArray noise(64 * 1024, 0);
    QRandomGenerator rng(42);
    for (char& c : noise) c = char(rng.bounded(256));
    WriteBytes(dir.File("noise.flv"), noise);
    QFile whole(SharedClips().av);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    // An MP4 cut before its index cannot be read at all.
    WriteBytes(dir.File("cut.mp4"), whole.read(whole.size() / 3));
    for (const char* name : {"empty.flv", "noise.flv", "cut.mp4"}) {
        SCOPED_TRACE(name);
        TAVProbe p;
        EXPECT_FALSE(p.ProbeOpen(dir.File(name)));
        EXPECT_FALSE(p.LastError().isEmpty());
        EXPECT_FALSE(p.IsOpen());
    }
}

TEST(Probe, SharedMediaFiles) {
    if (fw::test::SharedMediaDir().isEmpty()) GTEST_SKIP() << "no shared media folder";
    struct Case {
        const char* file;
        int width, height, channels;
        bool hasDuration;
    };
    const Case cases[] = {
        {"h264_aac_640x350_15s.flv", 640, 350, 2, true},
        {"h264_1080p_mono_3s.flv", 1920, 1080, 1, true},
        {"aac_only_33s.flv", -1, -1, 2, true},
        {"h264_444_no_duration.flv", -1, -1, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = fw::test::SharedMedia(c.file);
        if (path.isEmpty()) continue;
        TAVProbe p;
        ASSERT_TRUE(p.ProbeOpen(path)) << p.LastError().toStdString();
        EXPECT_EQ(p.ProbeFormatName(), "flv");
        if (c.width > 0) {
            const TVideoStreamInfo v = p.ReadVideoInfo();
            EXPECT_EQ(v.Width, c.width);
            EXPECT_EQ(v.Height, c.height);
        }
        if (c.channels > 0) {
            EXPECT_EQ(p.ReadAudioInfo().Channels, c.channels);
        }
        if (c.hasDuration) {
            EXPECT_GT(p.ReadFileInfo().Duration, 0);
        }
        EXPECT_TRUE(p.ProbeInfoText().contains("Stream #0"));
    }
    TAVProbe mono;
    ASSERT_TRUE(mono.ProbeOpen(fw::test::SharedMedia("h264_1080p_mono_3s.flv")));
    EXPECT_NEAR(mono.ReadFileInfo().StartTime, 60000, 2000);
    EXPECT_TRUE(mono.ProbeInfoText().contains("StartTime: 0.06"));
    TAVProbe audio;
    ASSERT_TRUE(audio.ProbeOpen(fw::test::SharedMedia("aac_only_33s.flv")));
    EXPECT_EQ(audio.ProbeVideoCount(), 0);
}
