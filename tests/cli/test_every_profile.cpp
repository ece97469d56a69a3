// Every profile of the shipped format file converts: its default rows, and
// every video and audio encoder row it offers, through framewright-cli
// convert; each output is checked with ffprobe.
#include "app/IniFile.h"
#include "common/TestSupport.h"
#include "profiles/FormatFile.h"
#include "profiles/ParameterTables.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace fw;

namespace {

const QString kShippedFormatFile = QStringLiteral(FW_SOURCE_DIR "/data/orvextarnwellformat.ini");
constexpr double kClipSeconds = 2.0;

// ffprobe's format name for each extension the catalogue writes.
QString ContainerOf(const QString& ext) {
    static const QMap<QString, QString> k{
        {"swf", "swf"},   {"mpg", "mpeg"}, {"mp4", "mov,mp4"}, {"m4a", "mov,mp4"},
        {"avi", "avi"},   {"wmv", "asf"},  {"wma", "asf"},     {"dv", "dv"},
        {"mp3", "mp3"},   {"aac", "aac"},  {"wav", "wav"},     {"ogg", "ogg"},
        {"ac3", "ac3"},   {"flv", "flv"}};
    return k.value(ext);
}

// ffprobe's codec name for an encoder identifier; empty when the container
// chooses (or the name is not worth pinning).
QString CodecOf(const QString& id) {
    static const QMap<QString, QString> k{
        {"mpeg4", "mpeg4"},       {"libxvid", "mpeg4"},     {"libx264", "h264"},
        {"mpeg1video", "mpeg1video"}, {"mpeg2video", "mpeg2video"}, {"msmpeg4", "msmpeg4v3"},
        {"wmv1", "wmv1"},         {"wmv2", "wmv2"},         {"mjpeg", "mjpeg"},
        {"dvvideo", "dvvideo"},   {"flv", "flv1"},          {"swf", "flv1"},
        {"libmp3lame", "mp3"},    {"libfaac", "aac"},       {"mp2", "mp2"},
        {"ac3", "ac3"},           {"wmav1", "wmav1"},       {"wmav2", "wmav2"},
        {"vorbis", "vorbis"},     {"pcm_s16le", "pcm_s16le"}, {"pcm_alaw", "pcm_alaw"},
        {"pcm_mulaw", "pcm_mulaw"}, {"adpcm_ms", "adpcm_ms"}, {"adpcm_ima_wav", "adpcm_ima_wav"}};
    return k.value(id);
}

// Duration of a file; containers that carry none (SWF) are timed by their
// video packets and frame rate.
double DurationOf(const QString& path, const QMap<QString, QString>& probe) {
    bool ok = false;
    const double d = probe.value("format.duration").toDouble(&ok);
    if (ok && d > 0) return d;
    const auto r = test::RunProgram("ffprobe", {"-v", "error", "-count_packets", "-select_streams",
                                                "v:0", "-show_entries",
                                                "stream=nb_read_packets,r_frame_rate", "-of",
                                                "default=nw=1", path});
    int packets = 0;
    double fps = 0;
    for (const QString& line : r.out.split('\n')) {
        if (line.startsWith("nb_read_packets=")) packets = line.mid(16).toInt();
        if (line.startsWith("r_frame_rate=")) {
            const QStringList nd = line.mid(13).split('/');
            if (nd.size() == 2 && nd[1].toDouble() > 0) fps = nd[0].toDouble() / nd[1].toDouble();
        }
    }
    return fps > 0 ? packets / fps : 0;
}

struct Choice {
    QString videoEncoderRow;  // display text; empty: the default row
    QString audioEncoderRow;
};

struct Expected {
    QString container;
    QString videoCodec;  // empty: no video expected
    int width = 0, height = 0;
    QString audioCodec;
    int sampleRate = 0, channels = 0;  // 0: not pinned
};

class EveryProfile : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new test::TempDir;
        clip_ = test::MakeClip(dir_->File("clip.mp4"),
                               {.width = 320, .height = 240, .seconds = kClipSeconds, .fps = 25});
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }

    // The row text of a list at the profile's default row.
    static QString DefaultRow(const IniFile& format, const QString& section, const QString& list,
                              const QString& row) {
        const auto items = CutValueList(format.ReadString(section, list, "null"));
        const int i = format.ReadInteger(section, row, 0);
        return items && i >= 0 && i < items->size() ? items->at(i) : QString();
    }

    Expected ExpectationFor(int code, const Choice& c) {
        const IniFile format(kShippedFormatFile);
        const QString s = FormatSection(code);
        Expected e;
        e.container = ContainerOf(format.ReadString(s, "FileExt", "mp4"));
        const QString venc = c.videoEncoderRow.isEmpty()
                                 ? DefaultRow(format, s, "VideoEncoder", "iVideoEncoder")
                                 : c.videoEncoderRow;
        if (!venc.isEmpty()) {
            e.videoCodec = CodecOf(VideoEncoderIdentifier(venc).value_or(""));
            if (e.videoCodec.isEmpty()) e.videoCodec = "*";
            const QString size = DefaultRow(format, s, "VideoSize", "iVideoSize");
            const QStringList wh = size.split('x');
            if (wh.size() == 2) {
                e.width = wh[0].toInt();
                e.height = wh[1].toInt();
            }
        }
        const QString aenc = c.audioEncoderRow.isEmpty()
                                 ? DefaultRow(format, s, "AudioEncoder", "iAudioEncoder")
                                 : c.audioEncoderRow;
        e.audioCodec = CodecOf(AudioEncoderIdentifier(aenc).value_or(""));
        const QString rate = DefaultRow(format, s, "SampleRate", "iSampleRate");
        if (rate.toInt() > 0) e.sampleRate = rate.toInt();
        const auto ch = ChannelValue(DefaultRow(format, s, "Channel", "iChannel"));
        if (ch && ch->toInt() > 0) e.channels = ch->toInt();
        return e;
    }

    // Converts the clip with the profile (the settings file storing only the
    // encoder rows asked for) and checks the result.
    void ConvertAndCheck(int code, const Choice& c) {
        const QString label = QString("profile %1 video '%2' audio '%3'")
                                  .arg(code).arg(c.videoEncoderRow, c.audioEncoderRow);
        SCOPED_TRACE(label.toStdString());
        test::TempDir work;
        QDir().mkpath(work.File("config"));
        QDir().mkpath(work.File("out"));
        IniFile settings(work.File("config/orvextarnwellconverter.ini"));
        const QString s = FormatSection(code);
        if (!c.videoEncoderRow.isEmpty())
            settings.WriteString(s, "paraVideoEncoder", *VideoEncoderIdentifier(c.videoEncoderRow));
        if (!c.audioEncoderRow.isEmpty())
            settings.WriteString(s, "paraAudioEncoder", *AudioEncoderIdentifier(c.audioEncoderRow));

        const auto r = test::RunProgram(
            test::BuiltProgram("framewright-cli"),
            {"convert", clip_, "--profile", QString::number(code), "--output-dir", work.File("out")},
            120000, {"XDG_CONFIG_HOME=" + work.File("config"), "HOME=" + work.File("home")});
        ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
        const QStringList outputs = QDir(work.File("out")).entryList(QDir::Files);
        ASSERT_EQ(outputs.size(), 1);
        const QString out = work.File("out/" + outputs[0]);
        EXPECT_TRUE(r.out.contains(out)) << r.out.toStdString();

        const Expected e = ExpectationFor(code, c);
        const auto p = test::Ffprobe(out);
        ASSERT_FALSE(p.isEmpty()) << "ffprobe cannot read " << out.toStdString();
        EXPECT_TRUE(p.value("format.format_name").startsWith(e.container))
            << p.value("format.format_name").toStdString();
        EXPECT_NEAR(DurationOf(out, p), kClipSeconds, 0.2);
        QString video, audio;
        for (int i = 0; i < 4; ++i) {
            const QString type = p.value(QString("stream.%1.codec_type").arg(i));
            if (type == "video" && video.isEmpty()) video = QString::number(i);
            if (type == "audio" && audio.isEmpty()) audio = QString::number(i);
        }
        if (e.videoCodec.isEmpty()) {
            EXPECT_TRUE(video.isEmpty()) << "an audio profile wrote a video stream";
        } else {
            ASSERT_FALSE(video.isEmpty()) << "no video stream";
            if (e.videoCodec != "*") {
                EXPECT_EQ(p.value("stream." + video + ".codec_name"), e.videoCodec);
            }
            if (e.width > 0) {
                EXPECT_EQ(p.value("stream." + video + ".width").toInt(), e.width);
                EXPECT_EQ(p.value("stream." + video + ".height").toInt(), e.height);
            }
        }
        ASSERT_FALSE(audio.isEmpty()) << "no audio stream";
        if (!e.audioCodec.isEmpty()) {
            EXPECT_EQ(p.value("stream." + audio + ".codec_name"), e.audioCodec);
        }
        if (e.sampleRate > 0) {
            EXPECT_EQ(p.value("stream." + audio + ".sample_rate").toInt(), e.sampleRate);
        }
        if (e.channels > 0) {
            EXPECT_EQ(p.value("stream." + audio + ".channels").toInt(), e.channels);
        }
    }

    static test::TempDir* dir_;
    static QString clip_;
};

test::TempDir* EveryProfile::dir_ = nullptr;
QString EveryProfile::clip_;

const int kCodes[] = {1, 0, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109,
                      200, 201, 202, 203, 204, 205, 206};

}  // namespace

TEST_F(EveryProfile, DefaultRowsConvert) {
    for (int code : kCodes) ConvertAndCheck(code, {});
}

TEST_F(EveryProfile, EveryEncoderRowConverts) {
    const IniFile format(kShippedFormatFile);
    for (int code : kCodes) {
        const QString s = FormatSection(code);
        const auto video = CutValueList(format.ReadString(s, "VideoEncoder", "null"));
        const auto audio = CutValueList(format.ReadString(s, "AudioEncoder", "null"));
        // Rows past the default (the default row is covered above).
        if (video)
            for (int i = 1; i < video->size(); ++i) ConvertAndCheck(code, {video->at(i), {}});
        if (audio)
            for (int i = 1; i < audio->size(); ++i) ConvertAndCheck(code, {{}, audio->at(i)});
    }
}

// Every fit mode gives a frame of the chosen size with square pixels.
TEST_F(EveryProfile, EveryZoomModeGivesTheFrameSize) {
    for (const char* zoom : {"full", "lbox", "pan", "center"}) {
        SCOPED_TRACE(zoom);
        test::TempDir work;
        QDir().mkpath(work.File("config"));
        IniFile settings(work.File("config/orvextarnwellconverter.ini"));
        settings.WriteString("formatInfo102", "paraVideoSize", "640x360");
        const auto r = test::RunProgram(
            test::BuiltProgram("framewright-cli"),
            {"convert", clip_, "--profile", "102", "--zoom", zoom, "--crop", "0,20,0,20",
             "--output-dir", work.File("out")},
            120000, {"XDG_CONFIG_HOME=" + work.File("config"), "HOME=" + work.File("home")});
        ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
        const QStringList outputs = QDir(work.File("out")).entryList(QDir::Files);
        ASSERT_EQ(outputs.size(), 1);
        const auto p = test::Ffprobe(work.File("out/" + outputs[0]));
        EXPECT_EQ(p.value("stream.0.width"), "640");
        EXPECT_EQ(p.value("stream.0.height"), "360");
        const QString sar = p.value("stream.0.sample_aspect_ratio");
        EXPECT_TRUE(sar == "1:1" || sar.isEmpty() || sar == "0:1") << sar.toStdString();
    }
}
