// framewright-cli snapshot: the grabbed frame goes through exactly the
// conversion's per-frame handler.
#include "effects/FrameHook.h"

#include "EffectsTestUtil.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>
#include <QFileInfo>

namespace fw::effects {
namespace {

class Snapshot : public ::testing::Test {
  protected:
    void SetUp() override {
        cli = fw::test::BuiltProgram("framewright-cli");
        if (!QFileInfo(cli).isExecutable()) GTEST_SKIP() << "framewright-cli is not built";
        fw::test::ClipSpec spec;
        spec.width = 160, spec.height = 120, spec.seconds = 3, spec.audio = false;
        spec.videoCodec = "ffv1";  // lossless: the grabbed frame is exactly the source
        clip = fw::test::MakeClip(dir.File("clip.mkv"), spec);
    }
    fw::test::ProgramResult Run(QStringList args) {
        return fw::test::RunProgram(cli, QStringList{"snapshot", clip, "--time", "2"} + args, 60000,
                                    {"QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + dir.Path()});
    }
    fw::test::TempDir dir;
    QString cli, clip;
};

TEST_F(Snapshot, FrameShowsTheEditsPixelForPixel) {
    const QString logo = dir.File("logo.bmp");
    ASSERT_TRUE(test::Filled(30, 10, {255, 0, 0}).save(logo, "BMP"));
    const auto plain = Run({"-o", dir.File("plain.bmp")});
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    const auto edited = Run({"-o",           dir.File("fx.bmp"),
                             "--brightness", "300",
                             "--contrast",   "20",
                             "--saturation", "350",
                             "--exposure",   "40",
                             "--image",      logo,
                             "--pos",        "-5,100",
                             "--opacity",    "200",
                             "--text",       "Hi",
                             "--pos",        "20,20",
                             "--background", "FFFF00",
                             "--seconds",    "2,2"});
    ASSERT_EQ(edited.exitCode, 0) << edited.err.toStdString();

    TFrameEffects fx;
    fx.Brightness = 300, fx.Contrast = 20, fx.Saturation = 350, fx.Exposure = 40;
    TWmRec image;
    image.Kind = kImageItem, image.ImageFile = logo, image.ImageLeft = -5, image.ImageTop = 100;
    image.ImageOpacity = 200;
    TWmRec text;
    text.Text = "Hi", text.TextLeft = text.TextTop = 20, text.HasBackground = true;
    text.BackColor = qRgb(255, 255, 0), text.StartSecond = text.EndSecond = 2;
    const QSize size = MeasureText(text);
    text.TextWidth = size.width(), text.TextHeight = size.height();
    fx.WaterMarks << image << text;
    QImage expected = QImage(dir.File("plain.bmp")).convertToFormat(QImage::Format_BGR888);
    TFrameHookProcessor hook;
    QString error;
    ASSERT_TRUE(hook.Process(expected, 2'000'000, fx, &error));
    const QImage got(dir.File("fx.bmp"));
    EXPECT_TRUE(test::SamePixels(got, expected));
    EXPECT_FALSE(test::SamePixels(got, QImage(dir.File("plain.bmp"))));
}

TEST_F(Snapshot, UsageErrorsAndFailures) {
    EXPECT_EQ(Run({"-o", dir.File("x.png")}).exitCode, 2);
    EXPECT_EQ(Run({"-o", dir.File("x.bmp"), "--brightness", "999"}).exitCode, 2);
    const auto missing = fw::test::RunProgram(
        cli, {"snapshot", dir.File("none.mkv"), "--time", "1", "-o", dir.File("x.bmp")}, 60000,
        {"QT_QPA_PLATFORM=offscreen"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(missing.err.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.File("x.bmp")));
}

}  // namespace
}  // namespace fw::effects
