#include "cli/EffectOptions.h"

#include "EffectsTestUtil.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

namespace fw::cli {
namespace {

using effects::TFrameEffects;
using effects::TWmRec;

struct Parsed {
    bool ok;
    std::vector<std::string> rest;
    TFrameEffects fx;
    QString error;
};

Parsed Parse(std::vector<std::string> args) {
    Parsed p;
    p.ok = TakeEffectOptions(args, &p.fx, &p.error);
    p.rest = args;
    return p;
}

TEST(EffectOptions, TakesItsOptionsInOrderAndLeavesTheRest) {
    fw::test::TempDir dir;
    const QString bmp = dir.File("logo.bmp");
    ASSERT_TRUE(effects::test::Filled(40, 12, {1, 2, 3}).save(bmp, "BMP"));
    const Parsed p = Parse({"convert",
                            "a.flv",
                            "--brightness",
                            "300",
                            "--profile",
                            "104",
                            "--contrast=-20",
                            "--text",
                            "Hello",
                            "--pos",
                            "10,-4",
                            "--opacity",
                            "200",
                            "--bold",
                            "--underline",
                            "--font-size",
                            "12",
                            "--color",
                            "#FF0000",
                            "--background",
                            "ffffff",
                            "--seconds",
                            "2,5",
                            "--image",
                            bmp.toStdString(),
                            "--pos=5,6",
                            "--seconds",
                            "3,end",
                            "b.flv",
                            "--",
                            "--saturation",
                            "1"});
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(p.rest, (std::vector<std::string>{"convert", "a.flv", "--profile", "104", "b.flv",
                                                "--", "--saturation", "1"}));
    EXPECT_EQ(p.fx.Brightness, 300);
    EXPECT_EQ(p.fx.Contrast, -20);
    EXPECT_EQ(p.fx.Saturation, 255);
    ASSERT_EQ(p.fx.WaterMarks.size(), 2);

    const TWmRec& text = p.fx.WaterMarks[0];
    EXPECT_EQ(text.Kind, effects::kTextItem);
    EXPECT_EQ(text.Text, "Hello");
    EXPECT_EQ(text.TextLeft, 10);
    EXPECT_EQ(text.TextTop, -4);
    EXPECT_EQ(text.TextOpacity, 200);
    EXPECT_EQ(text.Font.Style, effects::kBold | effects::kUnderline);
    EXPECT_EQ(text.Font.Size, 12);
    EXPECT_EQ(text.Font.Color, qRgb(255, 0, 0));
    EXPECT_TRUE(text.HasBackground);
    EXPECT_EQ(text.BackColor, qRgb(255, 255, 255));
    EXPECT_EQ(QSize(text.TextWidth, text.TextHeight), effects::MeasureText(text));
    EXPECT_EQ(text.StartSecond, 2);
    EXPECT_EQ(text.EndSecond, 5);

    const TWmRec& image = p.fx.WaterMarks[1];
    EXPECT_EQ(image.Kind, effects::kImageItem);
    EXPECT_EQ(image.ImageFile, bmp);
    EXPECT_EQ(QPoint(image.ImageLeft, image.ImageTop), QPoint(5, 6));
    EXPECT_EQ(QSize(image.ImageWidth, image.ImageHeight), QSize(40, 12));
    EXPECT_EQ(image.ImageOpacity, 125);
    EXPECT_EQ(image.StartSecond, 3);
    EXPECT_EQ(image.EndSecond, effects::kEndOfSource);
}

TEST(EffectOptions, DefaultsFollowTheEditor) {
    const Parsed p = Parse({"--text", "Hi"});
    ASSERT_TRUE(p.ok);
    const TWmRec& t = p.fx.WaterMarks.at(0);
    EXPECT_FALSE(t.HasBackground);
    EXPECT_EQ(t.TextOpacity, 125);
    EXPECT_EQ(t.Font.Color, qRgb(0, 0, 255));
    EXPECT_EQ(t.StartSecond, 0);
    EXPECT_EQ(t.EndSecond, effects::kEndOfSource);
    EXPECT_TRUE(effects::HookSwitchedOn(p.fx));
    EXPECT_EQ(Parse({"a.flv"}).fx, TFrameEffects{});
}

TEST(EffectOptions, UsageErrorsNameTheOption) {
    struct Case {
        std::vector<std::string> args;
        const char* mentions;
    };
    const Case cases[] = {
        {{"--brightness", "513"}, "--brightness: 513 is out of range 0..512"},
        {{"--brightness", "-1"}, "out of range"},
        {{"--contrast", "101"}, "--contrast"},
        {{"--saturation", "abc"}, "not a whole number"},
        {{"--exposure", "-256"}, "--exposure"},
        {{"--exposure"}, "--exposure needs a value"},
        {{"--pos", "1,2"}, "must follow --text or --image"},
        {{"--bold"}, "must follow"},
        {{"--text", "a", "--opacity", "256"}, "--opacity"},
        {{"--text", "a", "--pos", "1"}, "X,Y"},
        {{"--text", "a", "--pos", "1,2,3"}, "X,Y"},
        {{"--text", "a", "--seconds", "5,2"}, "after the last"},
        {{"--text", "a", "--seconds", "-1,2"}, "--seconds"},
        {{"--text", "a", "--color", "12345"}, "RRGGBB"},
        {{"--text", "a", "--background", "GG0000"}, "RRGGBB"},
        {{"--text", "a", "--font-size", "0"}, "--font-size"},
        {{"--text", "a", "--bold=1"}, "takes no value"},
        {{"--text", ""}, "non-empty"},
        {{"--image", "/nonexistent/x.bmp"}, "cannot be read as a BMP picture"},
    };
    for (const Case& k : cases) {
        const Parsed p = Parse(k.args);
        EXPECT_FALSE(p.ok) << k.mentions;
        EXPECT_TRUE(p.error.contains(k.mentions)) << p.error.toStdString();
    }
    // Text options after a picture item.
    fw::test::TempDir dir;
    const QString bmp = dir.File("p.bmp");
    ASSERT_TRUE(effects::test::Filled(4, 4, {0, 0, 0}).save(bmp, "BMP"));
    const Parsed p = Parse({"--image", bmp.toStdString(), "--font", "DejaVu Sans"});
    EXPECT_FALSE(p.ok);
    EXPECT_TRUE(p.error.contains("applies to a --text item")) << p.error.toStdString();
}

}  // namespace
}  // namespace fw::cli
