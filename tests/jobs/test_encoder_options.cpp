// Option synthesis: the profile and stored choices become encoder records.
#include "app/IniFile.h"
#include "common/TestSupport.h"
#include "jobs/EncoderOptions.h"
#include "platform/Prompts.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace fw;
using engine::TInputOptions;
using engine::TOutputOptions;

namespace {

struct Fixture {
    test::TempDir dir;
    QString settingsPath = dir.File("settings.ini");
    QString formatPath = dir.File("format.ini");
    ScriptedPrompts prompts;

    void Write(const QString& path, const QString& text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
    }
    void Settings(const QString& text) { Write(settingsPath, text); }
    void Format(const QString& text) { Write(formatPath, text); }

    struct Result {
        TInputOptions in;
        TOutputOptions out;
    };
    Result Build(const TlvFilesRecord& rec, const TSourceFacts& src, int code = 1) {
        Result r;
        r.out.FileName = "out.mp4";
        if (rec.HasCrop()) {
            r.out.TopCrop = rec.CropTop;
            r.out.BottomCrop = rec.CropBottom;
            r.out.LeftCrop = rec.CropLeft;
            r.out.RightCrop = rec.CropRight;
        }
        r.in.FileName = "in.flv";
        BuildEncoderOptions(rec, code, r.out, src, r.in, prompts, IniFile(settingsPath),
                            IniFile(formatPath));
        return r;
    }
};

TSourceFacts Video(int w, int h, int bitRate = 800000) { return TSourceFacts{1, w, h, bitRate}; }

TlvFilesRecord Zoom(const QString& mode) {
    TlvFilesRecord rec;
    rec.ZoomMode = mode;
    return rec;
}

QString VideoProfile(const QString& size, const QString& extra = {}) {
    return "[formatInfo1]\nparaVideoEncoder=mpeg4\nparaVideoSize=" + size +
           "\nparaAudioEncoder=aac\nparaVolume=256\n" + extra;
}

}  // namespace

TEST(EncoderOptions, ZoomRulesOnTheKnownCases) {
    struct Case {
        const char* zoom;
        int sW, sH;
        const char* size;
        const char* frameSize;
        const char* aspect;
        const char* filter;
    };
    const Case cases[] = {
        {"lbox", 1280, 720, "320x240", "320x180", "320:180", "pad=320:240:0:30"},
        {"lbox", 640, 480, "320x240", "320x240", "320:240", "pad=320:240:0:0"},
        {"lbox", 320, 240, "640x360", "480x360", "480:360", "pad=640:360:80:0"},
        {"lbox", 640, 480, "640x480", "640x480", "640:480", "pad=640:480:0:0"},
        {"full", 1280, 720, "320x240", "320x240", "320:240", ""},
        // A picture larger than the frame shrinks to fit and is centred.
        {"center", 1280, 720, "320x240", "320x180", "320:180", "pad=320:240:0:30:black"},
        // A picture that fits keeps its own size.
        {"center", 160, 120, "320x240", "160x120", "160:120", "pad=320:240:80:60:black"},
        {"pan", 1280, 720, "320x240", "320x240", "320:240", ""},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.Settings(VideoProfile(c.size));
        const auto r = f.Build(Zoom(c.zoom), Video(c.sW, c.sH));
        SCOPED_TRACE(std::string(c.zoom) + " " + c.size);
        EXPECT_EQ(r.out.FrameSize, c.frameSize);
        EXPECT_EQ(r.out.AspectRatio, c.aspect);
        EXPECT_EQ(r.out.VideoFilters, c.filter);
        EXPECT_EQ(r.out.VideoCodec, "mpeg4");
    }
}

TEST(EncoderOptions, PanAndScanCutsTheExcessToTheFrameShape) {
    Fixture f;
    f.Settings(VideoProfile("320x240"));
    auto wide = f.Build(Zoom("pan"), Video(1280, 720));
    EXPECT_EQ(wide.out.LeftCrop, 160);  // 1280 - 960 = 320 cut in two
    EXPECT_EQ(wide.out.RightCrop, 160);
    EXPECT_EQ(wide.out.TopCrop, 0);
    auto tall = f.Build(Zoom("pan"), Video(480, 640));
    EXPECT_EQ(tall.out.TopCrop, 140);  // 640 - 360 = 280 cut in two
    EXPECT_EQ(tall.out.BottomCrop, 140);
    EXPECT_EQ(tall.out.LeftCrop, 0);
}

TEST(EncoderOptions, LetterboxWithCropCropsOnceAndKeepsTheCroppedShape) {
    Fixture f;
    f.Settings(VideoProfile("320x240"));
    TlvFilesRecord rec = Zoom("lbox");
    rec.CropLeft = 160;
    rec.CropRight = 160;  // 1280x720 -> 960x720, a 4:3 picture
    const auto r = f.Build(rec, Video(1280, 720));
    // The crop fields crop; the filter only pads.
    EXPECT_EQ(r.out.LeftCrop, 160);
    EXPECT_EQ(r.out.RightCrop, 160);
    EXPECT_EQ(r.out.TopCrop, 0);
    EXPECT_EQ(r.out.BottomCrop, 0);
    EXPECT_EQ(r.out.FrameSize, "320x240");
    EXPECT_EQ(r.out.AspectRatio, "320:240");
    EXPECT_EQ(r.out.VideoFilters, "pad=320:240:0:0");
}

TEST(EncoderOptions, FullScreenCopiesTheCropMargins) {
    Fixture f;
    f.Settings(VideoProfile("320x240"));
    TlvFilesRecord rec = Zoom("full");
    rec.CropTop = 10;
    rec.CropBottom = 20;
    const auto r = f.Build(rec, Video(640, 480));
    EXPECT_EQ(r.out.TopCrop, 10);
    EXPECT_EQ(r.out.BottomCrop, 20);
    EXPECT_EQ(r.out.LeftCrop, 0);
    EXPECT_EQ(r.out.FrameSize, "320x240");
    EXPECT_TRUE(r.out.VideoFilters.isEmpty());
}

TEST(EncoderOptions, H263SizesSnapToTheCodecsOwn) {
    const std::pair<const char*, const char*> cases[] = {
        {"320x240", "352x288"}, {"176x144", "176x144"}, {"160x100", "160x100"},
        {"640x480", "704x576"}, {"800x600", "704x576"}};
    for (const auto& [stored, expected] : cases) {
        Fixture f;
        f.Settings("[formatInfo1]\nparaVideoEncoder=h263\nparaVideoSize=" + QString(stored) + "\n");
        EXPECT_EQ(f.Build(Zoom("full"), Video(640, 480)).out.FrameSize, expected) << stored;
    }
}

TEST(EncoderOptions, CodecsPresetsAndTargets) {
    struct Case {
        const char* format;
        const char* encoder;
        const char* size;
        const char* codec;
        const char* preset;
        int target, norm;
        const char* aspect;
        const char* fileFormat;
    };
    const Case cases[] = {
        {"ipod", "libx264", "320x240", "libx264", "libx264-ipod", 0, 0, "320:240", "ipod"},
        {"psp", "libx264", "320x240", "libx264", "libx264-psp", 0, 0, "320:240", "psp"},
        {"mp4", "libx264", "320x240", "libx264", "libx264-mp4", 0, 0, "320:240", ""},
        {"null", "swf", "320x240", "", "", 0, 0, "320:240", ""},
        {"flv", "flv", "320x240", "", "", 0, 0, "320:240", "flv"},
        {"mpeg", "mpeg2video", "320x240", "mpeg2video", "", 3, 0, "320:240", ""},
        {"ntsc-dvd", "mpeg2video", "720x480", "mpeg2video", "", 3, 2, "720:480", ""},
        {"pal-vcd", "mpeg1video", "352x288", "mpeg1video", "", 1, 1, "352:288", ""},
        {"NTSC-SVCD", "mpeg2video", "480x480", "mpeg2video", "", 3, 2, "480:480", ""},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.Format(QString("[formatInfo1]\nFormat=%1\n").arg(c.format));
        f.Settings(QString("[formatInfo1]\nparaVideoEncoder=%1\nparaVideoSize=%2\n")
                       .arg(c.encoder, c.size));
        const auto r = f.Build(Zoom("full"), Video(720, 480));
        SCOPED_TRACE(c.format);
        EXPECT_EQ(r.out.VideoCodec, c.codec);
        EXPECT_EQ(r.out.VideoPreset, c.preset);
        EXPECT_EQ(r.out.TargetType, c.target);
        EXPECT_EQ(r.out.TargetNorm, c.norm);
        EXPECT_EQ(r.out.AspectRatio, c.aspect);  // the zoom rule sets it after the target
        EXPECT_EQ(r.out.FileFormat, c.fileFormat);
    }
}

TEST(EncoderOptions, DvdAspectFollowsTheStoredSize) {
    for (const auto& [format, size, aspect] :
         {std::tuple{"ntsc-dvd", "720x480", "16:9"}, std::tuple{"ntsc-dvd", "352x240", "4:3"},
          std::tuple{"pal-dvd", "720x576", "16:9"}, std::tuple{"pal-dvd", "720x480", "4:3"}}) {
        Fixture f;
        f.Format(QString("[formatInfo1]\nFormat=%1\n").arg(format));
        f.Settings(QString("[formatInfo1]\nparaVideoEncoder=mpeg2video\nparaVideoSize=%1\n").arg(size));
        // An unknown zoom mode leaves the target's aspect in place.
        EXPECT_EQ(f.Build(Zoom("none"), Video(720, 576)).out.AspectRatio, aspect) << format << size;
    }
}

TEST(EncoderOptions, AudioOnlyProfileWithNothingStored) {
    Fixture f;
    const auto r = f.Build(Zoom("lbox"), Video(640, 480));
    EXPECT_EQ(r.out.AudioCodec, "libfaac");
    EXPECT_EQ(r.out.AudioChannels, 2);
    EXPECT_EQ(r.out.AudioSampleRate, 44100);
    EXPECT_EQ(r.out.AudioBitrate, 128000);
    EXPECT_EQ(r.out.AudioVolume, 3);
    EXPECT_TRUE(r.out.DisableVideo);
    EXPECT_TRUE(r.out.DisableSubtitles);
    EXPECT_EQ(r.in.ExtOptions, "vn=1");
    EXPECT_TRUE(r.out.FrameSize.isEmpty());
}

TEST(EncoderOptions, SourceWithoutVideoSetsNoPictureFields) {
    Fixture f;
    f.Settings(VideoProfile("320x240", "paraAudioBitRate=96.5\nparaChannel=as source\n"));
    const auto r = f.Build(Zoom("lbox"), TSourceFacts{0, -1, -1, -1});
    EXPECT_TRUE(r.out.DisableVideo);
    EXPECT_TRUE(r.out.FrameSize.isEmpty());
    EXPECT_TRUE(r.out.AspectRatio.isEmpty());
    EXPECT_TRUE(r.out.VideoFilters.isEmpty());
    EXPECT_EQ(r.out.AudioCodec, "aac");
    EXPECT_EQ(r.out.AudioBitrate, 96500);
    EXPECT_EQ(r.out.AudioChannels, -1);
    EXPECT_EQ(r.out.AudioVolume, -1);  // 256 leaves the volume alone
}

TEST(EncoderOptions, VideoBitRateAndFrameRateChoices) {
    struct Case {
        const char* vbr;
        const char* fps;
        int bitrate;
        const char* frameRate;
    };
    const Case cases[] = {
        {"800", "25", 800000, "25"},
        {"as source", "as source", 654321, ""},
        {"96.5", "29.97", 654321, "29.97"},  // not an integer: the source's rate
        {"0", "0", -1, ""},
        {"-5", "abc", -1, ""},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.Settings(VideoProfile("320x240", QString("paraVideoBitRate=%1\nparaFrameRate=%2\n")
                                               .arg(c.vbr, c.fps)));
        const auto r = f.Build(Zoom("full"), Video(640, 480, 654321));
        EXPECT_EQ(r.out.VideoBitrate, c.bitrate) << c.vbr;
        EXPECT_EQ(r.out.FrameRate, c.frameRate) << c.fps;
    }
}

TEST(EncoderOptions, MalformedSizeAsksOnceAndFollowsTheAnswer) {
    for (const bool yes : {true, false}) {
        Fixture f;
        f.Settings(VideoProfile("big"));
        f.prompts.PushAnswer(yes ? MsgResult::Yes : MsgResult::No);
        const auto r = f.Build(Zoom("full"), Video(640, 480));
        ASSERT_EQ(f.prompts.messages.size(), 1);
        EXPECT_EQ(f.prompts.messages[0].caption, "Warning");
        EXPECT_EQ(f.prompts.messages[0].text,
                  "Error output Video Size.Use the default size 320x240?");
        EXPECT_EQ(r.out.FrameSize, yes ? "320x240" : "640x480");
    }
}

TEST(EncoderOptions, ImpossibleSizesFallBackToTheSource) {
    Fixture f;
    f.Settings(VideoProfile("0x0"));
    EXPECT_EQ(f.Build(Zoom("lbox"), Video(640, 480)).out.FrameSize, "640x480");
    // A source that reports no size: nothing divides by zero, the frame size stands.
    f.Settings(VideoProfile("320x240"));
    for (const char* zoom : {"lbox", "pan", "center", "full"}) {
        const auto r = f.Build(Zoom(zoom), Video(-1, -1));
        EXPECT_EQ(r.out.FrameSize, "320x240") << zoom;
        EXPECT_TRUE(r.out.VideoFilters.isEmpty()) << zoom;
    }
    // Neither side knows a size: the picture keeps whatever the decoder gives.
    f.Settings(VideoProfile("as source"));
    EXPECT_TRUE(f.Build(Zoom("lbox"), Video(-1, -1)).out.FrameSize.isEmpty());
}

TEST(EncoderOptions, NonIntegerVolumeIsAClearError) {
    Fixture f;
    f.Settings(VideoProfile("320x240") + "paraVolume=loud\n");
    EXPECT_THROW(f.Build(Zoom("full"), Video(640, 480)), OptionsError);
}

TEST(EncoderOptions, UnstoredChoicesComeFromTheProfilesDefaultRows) {
    Fixture f;
    f.Format(
        "[formatInfo102]\nFormat=mp4\nFileExt=mp4\n"
        "VideoSize=320x240,640x480\niVideoSize=1\n"
        "VideoBitRate=512,1024\niVideoBitRate=1\n"
        "FrameRate=25,29.97\niFrameRate=0\n"
        "VideoEncoder=MPEG-4,h264\niVideoEncoder=0\n"
        "AudioBitRate=96,128\niAudioBitRate=1\n"
        "SampleRate=44100,48000\niSampleRate=1\n"
        "AudioEncoder=mp3,AAC\niAudioEncoder=1\n"
        "Channel=mono 1 channel,stereo 2 channels\niChannel=1\n"
        "Volume=50%,100%\niVolume=1\n");
    auto r = f.Build(Zoom("full"), Video(1280, 720), 102);
    EXPECT_EQ(r.out.VideoCodec, "mpeg4");
    EXPECT_EQ(r.out.FrameSize, "640x480");
    EXPECT_EQ(r.out.VideoBitrate, 1024000);
    EXPECT_EQ(r.out.FrameRate, "25");
    EXPECT_EQ(r.out.AudioCodec, "libfaac");
    EXPECT_EQ(r.out.AudioSampleRate, 48000);
    EXPECT_EQ(r.out.AudioBitrate, 128000);
    EXPECT_EQ(r.out.AudioChannels, 2);
    EXPECT_EQ(r.out.AudioVolume, -1);
    EXPECT_FALSE(r.out.DisableVideo);

    // A stored choice wins over the default row, key by key.
    f.Settings("[formatInfo102]\nparaVideoSize=160x120\nparaVolume=128\n");
    r = f.Build(Zoom("full"), Video(1280, 720), 102);
    EXPECT_EQ(r.out.FrameSize, "160x120");
    EXPECT_EQ(r.out.AudioVolume, 128);
    EXPECT_EQ(r.out.VideoBitrate, 1024000);
}

TEST(EncoderOptions, GsmDefaultRowForcesItsRateAndChannel) {
    Fixture f;
    f.Format("[formatInfo200]\nAudioEncoder=GSM\nSampleRate=44100\nChannel=stereo 2 channels\n");
    const auto r = f.Build(Zoom("full"), Video(640, 480), 200);
    EXPECT_EQ(r.out.AudioCodec, "libgsm");
    EXPECT_EQ(r.out.AudioSampleRate, 8000);
    EXPECT_EQ(r.out.AudioChannels, 1);
}

// Every combination of source size, frame size and zoom mode must give the
// encoder a picture it can produce: a positive even scaled size that fits the
// pad, and a padded frame of exactly the chosen size.
TEST(EncoderOptions, EveryZoomLayoutIsProducible) {
    const QSize sources[] = {{1280, 720}, {640, 480}, {320, 240}, {720, 576}, {176, 144},
                             {1920, 1080}, {480, 640}, {100, 1000}, {1000, 100}, {2, 2},
                             {641, 361}};
    const QSize frames[] = {{320, 240}, {640, 360}, {176, 144}, {720, 480}, {1280, 720},
                            {352, 288}, {2, 2}, {321, 241}, {1920, 1080}};
    const QRegularExpression padRe("pad=(\\d+):(\\d+):(\\d+):(\\d+)");
    const QRegularExpression scaleRe("scale=(\\d+):(\\d+)");
    for (const QSize frame : frames) {
        Fixture f;
        f.Settings(VideoProfile(QString("%1x%2").arg(frame.width()).arg(frame.height())));
        for (const QSize src : sources) {
            for (const char* zoom : {"full", "lbox", "pan", "center"}) {
                for (const bool crop : {false, true}) {
                    TlvFilesRecord rec = Zoom(zoom);
                    if (crop && src.width() > 8 && src.height() > 8) {
                        rec.CropLeft = rec.CropTop = 2;
                        rec.CropRight = rec.CropBottom = 4;
                    }
                    const auto r = f.Build(rec, Video(src.width(), src.height()));
                    SCOPED_TRACE(QString("%1x%2 -> %3x%4 %5 crop=%6")
                                     .arg(src.width()).arg(src.height())
                                     .arg(frame.width()).arg(frame.height())
                                     .arg(zoom).arg(crop).toStdString());
                    const int W = frame.width() & ~1;
                    const int H = frame.height() & ~1;
                    // The picture entering the filters.
                    int pw = src.width() - r.out.LeftCrop - r.out.RightCrop;
                    int ph = src.height() - r.out.TopCrop - r.out.BottomCrop;
                    ASSERT_GT(pw, 0);
                    ASSERT_GT(ph, 0);
                    if (!r.out.FrameSize.isEmpty()) {
                        const QStringList wh = r.out.FrameSize.split('x');
                        pw = wh[0].toInt();
                        ph = wh[1].toInt();
                        ASSERT_GT(pw, 0);
                        ASSERT_GT(ph, 0);
                        EXPECT_EQ(pw % 2, 0);
                        EXPECT_EQ(ph % 2, 0);
                    }
                    const auto scale = scaleRe.match(r.out.VideoFilters);
                    if (scale.hasMatch()) {
                        pw = scale.captured(1).toInt();
                        ph = scale.captured(2).toInt();
                        ASSERT_GT(pw, 0);
                        ASSERT_GT(ph, 0);
                    }
                    const auto pad = padRe.match(r.out.VideoFilters);
                    if (pad.hasMatch()) {
                        const int padW = pad.captured(1).toInt();
                        const int padH = pad.captured(2).toInt();
                        EXPECT_GE(padW, pw + pad.captured(3).toInt());
                        EXPECT_GE(padH, ph + pad.captured(4).toInt());
                        pw = padW;
                        ph = padH;
                    }
                    EXPECT_EQ(pw, W);
                    EXPECT_EQ(ph, H);
                }
            }
        }
    }
}
