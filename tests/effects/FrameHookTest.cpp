#include "effects/FrameHook.h"

#include "effects/Adjustments.h"

#include "EffectsTestUtil.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>
#include <QFile>

namespace fw::effects {
namespace {

using test::At;
using test::Rgb;

QString SavePicture(const QString& path, int w, int h, Rgb c) {
    EXPECT_TRUE(test::Filled(w, h, c).save(path, "BMP"));
    return path;
}

TWmRec ImageItem(const QString& file, int left, int top, int opacity = 255) {
    TWmRec item;
    item.Kind = kImageItem;
    item.ImageFile = file;
    item.ImageLeft = left;
    item.ImageTop = top;
    item.ImageOpacity = opacity;
    return item;
}

class FrameHook : public ::testing::Test {
  protected:
    fw::test::TempDir dir;
    TFrameHookProcessor hook;
    QString white = SavePicture(dir.File("white.bmp"), 4, 4, {255, 255, 255});
};

TEST_F(FrameHook, ItemIsDrawnWithinItsInclusiveSecondsTruncatedTowardZero) {
    TFrameEffects fx;
    fx.WaterMarks << ImageItem(white, 0, 0);
    fx.WaterMarks[0].StartSecond = 0;
    fx.WaterMarks[0].EndSecond = 5;
    struct Case {
        int64_t micros;
        bool drawn;
    };
    const Case cases[] = {{0, true},          {5'999'999, true}, {6'000'000, false},
                          {-500'000, true},   {-999'999, true},  {-1'000'000, false},
                          {INT64_MAX, false}, {INT64_MIN, false}};
    for (const Case& k : cases) {
        QImage frame = test::Filled(8, 8, {0, 0, 0});
        QString error;
        ASSERT_TRUE(hook.Process(frame, k.micros, fx, &error)) << error.toStdString();
        EXPECT_EQ(At(frame, 1, 1), (k.drawn ? Rgb{254, 254, 254} : Rgb{0, 0, 0})) << k.micros;
    }
}

TEST_F(FrameHook, LaterItemsAreDrawnOverEarlierOnesAfterTheAdjustments) {
    const QString red = SavePicture(dir.File("red.bmp"), 6, 6, {255, 0, 0});
    const QString blue = SavePicture(dir.File("blue.bmp"), 6, 6, {0, 0, 255});
    TFrameEffects fx;
    fx.Brightness = 512;  // 100 becomes 199 before anything is drawn
    fx.WaterMarks << ImageItem(red, 0, 0) << ImageItem(blue, 3, 0, 128);
    TWmRec text;
    text.Text = "x";  // a transparent text item over the pictures blends over them
    text.TextLeft = 0, text.TextTop = 0, text.TextWidth = 1, text.TextHeight = 1;
    text.TextOpacity = 255;
    fx.WaterMarks << text;

    QImage frame = test::Filled(12, 8, {100, 100, 100});
    QString error;
    ASSERT_TRUE(hook.Process(frame, 0, fx, &error)) << error.toStdString();
    EXPECT_EQ(At(frame, 1, 2), (Rgb{254, 0, 0}));    // red only
    EXPECT_EQ(At(frame, 4, 2), (Rgb{127, 0, 127}));  // blue at 128 over red 254
    EXPECT_EQ(At(frame, 7, 2),
              (Rgb{(128 * 199) >> 8, (128 * 199) >> 8, (128 * 199 + 128 * 255) >> 8}));
    EXPECT_EQ(At(frame, 10, 2), (Rgb{199, 199, 199}));  // adjusted only
    EXPECT_EQ(At(frame, 0, 0), (Rgb{254, 0, 0}));       // the text box corner holds no glyph

    // The other order puts red on top.
    std::swap(fx.WaterMarks[0], fx.WaterMarks[1]);
    fx.WaterMarks[0].ImageLeft = 0, fx.WaterMarks[1].ImageLeft = 3,
    fx.WaterMarks[1].ImageOpacity = 255;
    frame = test::Filled(12, 8, {100, 100, 100});
    ASSERT_TRUE(hook.Process(frame, 0, fx, &error));
    EXPECT_EQ(At(frame, 4, 2), (Rgb{254, 0, 0}));
}

TEST_F(FrameHook, PictureThatCannotBeLoadedLeavesTheFrameUntouchedUntilItCan) {
    const QString missing = dir.File("later.bmp");
    const QString notBmp = dir.File("text.bmp");
    {
        QFile f(notBmp);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is not a picture");
    }
    for (const QString& file : {missing, notBmp}) {
        TFrameEffects fx;
        fx.Contrast = 40;
        fx.Exposure = 30;
        TWmRec text;
        text.Text = "before";
        text.TextWidth = text.TextHeight = 30;
        text.HasBackground = true;
        fx.WaterMarks << text << ImageItem(white, 0, 0) << ImageItem(file, 2, 2);
        fx.WaterMarks[2].StartSecond = 1;
        fx.WaterMarks[2].EndSecond = 2;

        const QImage before = test::Noise(40, 30, 3);
        QImage frame = before;
        QString error;
        EXPECT_FALSE(hook.Process(frame, 1'500'000, fx, &error));
        EXPECT_TRUE(error.contains(file)) << error.toStdString();
        EXPECT_EQ(memcmp(frame.constBits(), before.constBits(), before.sizeInBytes()), 0);
        // Every frame of the range fails again.
        EXPECT_FALSE(hook.Process(frame, 2'000'000, fx, &error));
        // Outside the range the frame is processed as usual.
        EXPECT_TRUE(hook.Process(frame, 3'000'000, fx, &error));
        EXPECT_FALSE(test::SamePixels(frame, before));
    }
    // Once the file exists, the next frame draws it.
    SavePicture(missing, 4, 4, {0, 255, 0});
    TFrameEffects fx;
    fx.WaterMarks << ImageItem(missing, 0, 0);
    QImage frame = test::Filled(8, 8, {0, 0, 0});
    QString error;
    ASSERT_TRUE(hook.Process(frame, 0, fx, &error)) << error.toStdString();
    EXPECT_EQ(At(frame, 0, 0), (Rgb{0, 254, 0}));
}

TEST_F(FrameHook, ReplacedPictureFileIsReadAgain) {
    const QString file = SavePicture(dir.File("pic.bmp"), 4, 4, {255, 0, 0});
    TFrameEffects fx;
    fx.WaterMarks << ImageItem(file, 0, 0);
    QImage frame = test::Filled(8, 8, {0, 0, 0});
    QString error;
    ASSERT_TRUE(hook.Process(frame, 0, fx, &error));
    EXPECT_EQ(At(frame, 0, 0), (Rgb{254, 0, 0}));
    SavePicture(file, 6, 6, {0, 0, 255});  // another size: a new file whatever the clock says
    frame = test::Filled(8, 8, {0, 0, 0});
    ASSERT_TRUE(hook.Process(frame, 0, fx, &error));
    EXPECT_EQ(At(frame, 5, 5), (Rgb{0, 0, 254}));
    QFile::remove(file);
    EXPECT_FALSE(hook.Process(frame, 0, fx, &error));
}

TEST_F(FrameHook, ItemsWithoutTextOrFileAreSkipped) {
    TFrameEffects fx;
    TWmRec emptyText;  // text kind, no text
    TWmRec imageWithText = ImageItem("", 0, 0);
    imageWithText.Text = "stale text of an earlier kind";
    imageWithText.TextWidth = imageWithText.TextHeight = 8;
    imageWithText.HasBackground = true;
    fx.WaterMarks << emptyText << imageWithText;
    QImage frame = test::Noise(8, 8, 1);
    const QImage before = frame;
    QString error;
    EXPECT_TRUE(hook.Process(frame, 0, fx, &error));
    EXPECT_TRUE(test::SamePixels(frame, before));
}

// The handler keeps tables and threads between frames; frames after a change
// of values, and frames split over threads, come out as from a fresh
// single-threaded handler.
TEST_F(FrameHook, KeptStateAndBandsDoNotChangeThePicture) {
    TWmRec text;
    text.Text = "Split";
    text.TextLeft = 500;
    text.TextTop = 300;
    text.TextWidth = 120;
    text.TextHeight = 40;
    TFrameEffects a;
    a.Brightness = 300, a.Contrast = 20, a.Saturation = 300, a.Exposure = 60;
    a.WaterMarks << text << ImageItem(white, 1279, 719, 125);
    TFrameEffects b = a;
    b.Saturation = 0, b.Exposure = 0;
    TFrameHookProcessor split(3);
    const QImage src = test::Noise(1281, 723, 5);
    for (const TFrameEffects* fx : {&a, &b, &a}) {
        QImage expected = src, got = src;
        QString error;
        ASSERT_TRUE(TFrameHookProcessor(1).Process(expected, 0, *fx, &error));
        ASSERT_TRUE(split.Process(got, 0, *fx, &error));
        EXPECT_TRUE(test::SamePixels(got, expected)) << fx->Saturation;
    }
}

// The handler tells the encoder which part of the frame it may have drawn
// into, so only that part is converted back; every pixel outside it must stay.
TEST_F(FrameHook, ReportsThePartItDrewAndLeavesTheRestAlone) {
    TWmRec text;
    text.Text = "Hi";
    text.TextLeft = 10, text.TextTop = 20, text.TextWidth = 30, text.TextHeight = 12;
    TWmRec later = text;
    later.StartSecond = 5;
    struct Case {
        const char* name;
        TFrameEffects fx;
        QRect expected;
    };
    TFrameEffects adjusted;
    adjusted.Brightness = 300;
    TFrameEffects oneText;
    oneText.WaterMarks << text;
    TFrameEffects textAndPicture = oneText;
    textAndPicture.WaterMarks << ImageItem(white, 62, -2);  // 4x4, partly outside
    TFrameEffects notYet;
    notYet.WaterMarks << later;
    TFrameEffects huge;
    huge.WaterMarks << ImageItem(white, INT32_MAX - 1, INT32_MAX - 1);
    const Case cases[] = {
        {"adjustments", adjusted, QRect(0, 0, 64, 48)},
        {"one text", oneText, QRect(10, 20, 30, 12)},
        {"text and picture", textAndPicture, QRect(QPoint(10, 0), QPoint(63, 31))},
        {"item not yet shown", notYet, QRect()},
        {"item far outside", huge, QRect()},
    };
    const QImage src = test::Noise(64, 48, 9);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage frame = src;
        QString error;
        QRect changed(1, 1, 1, 1);
        ASSERT_TRUE(hook.Process(frame, 0, c.fx, &error, &changed)) << error.toStdString();
        EXPECT_EQ(changed, c.expected);
        for (int y = 0; y < src.height(); ++y)
            for (int x = 0; x < src.width(); ++x)
                if (!changed.contains(x, y))
                    ASSERT_EQ(At(frame, x, y), At(src, x, y)) << x << "," << y;
    }
}

TEST(HookSwitch, OnlyAdjustmentsAndTheFirstItemCount) {
    auto with = [](auto change) {
        TFrameEffects fx;
        change(fx);
        return HookSwitchedOn(fx);
    };
    TWmRec text, image, empty;
    text.Text = "t";
    image.Kind = kImageItem;
    image.ImageFile = "/x.bmp";
    EXPECT_FALSE(with([](TFrameEffects&) {}));
    EXPECT_TRUE(with([](TFrameEffects& f) { f.Brightness = 256; }));
    EXPECT_TRUE(with([](TFrameEffects& f) { f.Contrast = -1; }));
    EXPECT_TRUE(with([](TFrameEffects& f) { f.Saturation = 0; }));
    EXPECT_TRUE(with([](TFrameEffects& f) { f.Exposure = 1; }));
    EXPECT_TRUE(with([&](TFrameEffects& f) { f.WaterMarks << text; }));
    EXPECT_TRUE(with([&](TFrameEffects& f) { f.WaterMarks << image; }));
    EXPECT_FALSE(with([&](TFrameEffects& f) { f.WaterMarks << empty << text << image; }));
}

TEST(DescribeEffects, ListsOnlyChangedFields) {
    TFrameEffects fx;
    EXPECT_EQ(DescribeEffects(fx), "");
    fx.Brightness = 300;
    TWmRec item;
    item.Text = "Hello";
    item.Font.Color = qRgb(0x12, 0xab, 0xff);
    item.HasBackground = true;
    item.EndSecond = 9;
    fx.WaterMarks << item;
    EXPECT_EQ(DescribeEffects(fx),
              "Brightness=300\nWaterMarks[0].Text=Hello\nWaterMarks[0].Font.Color=12ABFF\n"
              "WaterMarks[0].HasBackground=1\nWaterMarks[0].EndSecond=9\n");
}

}  // namespace
}  // namespace fw::effects
