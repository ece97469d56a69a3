#include "EngineTestUtil.h"
#include "engine/FrameGrab.h"
#include "engine/OptionPlan.h"
#include "engine/RecordFields.h"

#include <gtest/gtest.h>

using namespace fw::engine;
using fw::test::SharedClips;

TEST(RecordFields, SetsEveryKindOfFieldAndRejectsBadOnes) {
    TOutputOptions o;
    QString error;
    EXPECT_TRUE(SetOutputField(o, "FrameSize", "320x240", &error));
    EXPECT_TRUE(SetOutputField(o, "AudioBitrate", "128000", &error));
    EXPECT_TRUE(SetOutputField(o, "RecordingTime", "5000000000", &error));
    EXPECT_TRUE(SetOutputField(o, "DisableAudio", "true", &error));
    EXPECT_TRUE(SetOutputField(o, "MuxPreload", "0.5", &error));
    EXPECT_TRUE(SetOutputField(o, "Metadata.Title", "A title", &error));
    EXPECT_TRUE(SetOutputField(o, "Metadata.Year", "2009", &error));
    EXPECT_EQ(o.FrameSize, "320x240");
    EXPECT_EQ(o.AudioBitrate, 128000);
    EXPECT_EQ(o.RecordingTime, 5000000000LL);
    EXPECT_TRUE(o.DisableAudio);
    EXPECT_FLOAT_EQ(o.MuxPreload, 0.5f);
    EXPECT_EQ(o.Metadata.Title, "A title");
    EXPECT_EQ(o.Metadata.Year, 2009);

    const std::pair<const char*, const char*> bad[] = {{"AudioBitrate", "128k"},
                                                       {"DisableVideo", "maybe"},
                                                       {"Nope", "1"},
                                                       {"VideoBitrate", "99999999999"},
                                                       {"fileName", "x"}};
    for (const auto& [name, value] : bad) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(SetOutputField(o, name, value, &error));
        EXPECT_TRUE(error.contains(name));
    }
    TInputOptions in;
    EXPECT_TRUE(SetInputField(in, "StartTime", "2000000", &error));
    EXPECT_EQ(in.StartTime, 2000000);
    EXPECT_FALSE(SetInputField(in, "FrameSize", "1x1", &error));
}

TEST(ExtOptions, LinesSplitOnBreaksAndTheCrlfText) {
    const auto parts = SplitExtOptions("vn=1<CRLF>b:a=64k\r\n  metadata=title=a=b \n\nsn");
    ASSERT_EQ(parts.size(), 4);
    EXPECT_EQ(parts[0], qMakePair(QString("vn"), QString("1")));
    EXPECT_EQ(parts[1], qMakePair(QString("b:a"), QString("64k")));
    EXPECT_EQ(parts[2], qMakePair(QString("metadata"), QString("title=a=b")));
    EXPECT_EQ(parts[3], qMakePair(QString("sn"), QString("1")));

    TInputPlan plan;
    QString error;
    TInputOptions in;
    in.ExtOptions = "vn=1<CRLF>probesize=5000000<CRLF>ss=1.5";
    ASSERT_TRUE(BuildInputPlan(in, &plan, &error)) << error.toStdString();
    EXPECT_TRUE(plan.NoVideo);
    EXPECT_EQ(plan.StartTime, 1500000);
    EXPECT_EQ(plan.FormatOptions.Get("probesize"), "5000000");
    in.ExtOptions = "frobnicate=1";
    EXPECT_FALSE(BuildInputPlan(in, &plan, &error));
    EXPECT_TRUE(error.contains("frobnicate"));
}

TEST(FrameGrab, FrameAtATimeAtSourceSize) {
    QImage at1, ref;
    QString error;
    ASSERT_TRUE(GrabFrameAt(SharedClips().av, 1000000, &at1, &error)) << error.toStdString();
    EXPECT_EQ(at1.size(), QSize(320, 240));
    EXPECT_EQ(at1.format(), QImage::Format_BGR888);
    // The ffmpeg program's frame at 1 s, as the reference.
    fw::test::TempDir dir;
    const QString png = dir.File("ref.png");
    ASSERT_EQ(fw::test::RunProgram("ffmpeg", {"-v", "error", "-i", SharedClips().av, "-ss", "1",
                                              "-frames:v", "1", png})
                  .exitCode,
              0);
    ASSERT_TRUE(ref.load(png));
    auto difference = [&](const QImage& a) {
        double sum = 0;
        for (int y = 0; y < a.height(); y += 4)
            for (int x = 0; x < a.width(); x += 4) {
                const QRgb p = a.pixel(x, y), q = ref.pixel(x, y);
                sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                       std::abs(qBlue(p) - qBlue(q));
            }
        return sum / (a.width() * a.height() / 16);
    };
    QImage at0;
    ASSERT_TRUE(GrabFrameAt(SharedClips().av, 0, &at0, &error));
    EXPECT_LT(difference(at1), 12.0);
    EXPECT_GT(difference(at0), difference(at1) + 10.0);  // a different moment looks different

    QImage end;
    EXPECT_TRUE(GrabFrameAt(SharedClips().av, 60000000, &end, &error));  // past the end: last frame
    EXPECT_EQ(end.size(), QSize(320, 240));
    QImage none;
    EXPECT_FALSE(GrabFrameAt(SharedClips().audioOnly, 0, &none, &error));
    EXPECT_EQ(error, "no video stream.");
    EXPECT_FALSE(GrabFrameAt("/no/such.flv", 0, &none, &error));
}
