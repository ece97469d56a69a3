#include "effects/WaterMark.h"

#include "EffectsTestUtil.h"

#include <gtest/gtest.h>

#include <climits>

namespace fw::effects {
namespace {

using test::At;
using test::Rgb;

TEST(BlendBitmap, WeightsAre256MinusAAndA) {
    struct Case {
        int a, frame, source, out;
    };
    const Case cases[] = {
        {0, 10, 200, 10},    // a = 0 leaves the frame exactly
        {255, 0, 255, 254},  // 1/256 of the frame stays: white over black is 254
        {255, 255, 255, 255}, {128, 10, 200, 105},  // (128 * 10 + 128 * 200) >> 8
        {1, 255, 0, 254},     {300, 0, 255, 254},   // opacity is clamped to 255
        {-5, 10, 200, 10},                          // and to 0
    };
    for (const Case& k : cases) {
        QImage frame = test::Filled(4, 2, {k.frame, k.frame, k.frame});
        BlendBitmap(frame, test::Filled(4, 2, {k.source, 0, k.source}), 0, 0, k.a);
        EXPECT_EQ(At(frame, 3, 1),
                  (Rgb{k.out, (256 - std::clamp(k.a, 0, 255)) * k.frame >> 8, k.out}))
            << "a=" << k.a;
    }
}

// The vector loop takes 16 bytes at a time; a wide source checks it against
// the per-byte formula on every byte, with the scalar tail included.
TEST(BlendBitmap, EveryByteFollowsTheFormula) {
    const QImage frame0 = test::Noise(41, 7, 1), source = test::Noise(33, 5, 2);
    QImage frame = frame0;
    BlendBitmap(frame, source, 3, 1, 77);
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width() * 3; ++x) {
            const int before = frame0.constScanLine(y)[x];
            const bool inside = y >= 1 && y < 6 && x >= 9 && x < 9 + 33 * 3;
            const int expected =
                inside ? ((256 - 77) * before + 77 * source.constScanLine(y - 1)[x - 9]) >> 8
                       : before;
            ASSERT_EQ(frame.constScanLine(y)[x], expected) << x << "," << y;
        }
}

TEST(BlendBitmap, DrawsOnlyThePartInsideTheFrame) {
    struct Case {
        const char* what;
        int x, y;
        QRect drawn;
    };
    // Frame 20 x 10, source 8 x 4.
    const Case cases[] = {
        {"inside", 2, 3, {2, 3, 8, 4}},
        {"right edge: 10 columns left", 10, 0, {10, 0, 8, 4}},
        {"x = width - 3", 17, 0, {17, 0, 3, 4}},
        {"bottom edge", 0, 8, {0, 8, 8, 2}},
        {"negative x", -5, 2, {0, 2, 3, 4}},
        {"negative y", 4, -3, {4, 0, 8, 1}},
        {"both negative", -7, -3, {0, 0, 1, 1}},
        {"left of the frame", -8, 0, {}},
        {"right of the frame", 20, 0, {}},
        {"below the frame", 0, 10, {}},
        {"far out", INT_MAX, INT_MIN, {}},
        {"far out negative", INT_MIN, INT_MAX, {}},
    };
    for (const Case& k : cases) {
        QImage frame = test::Filled(20, 10, {0, 0, 0});
        BlendBitmap(frame, test::Filled(8, 4, {255, 255, 255}), k.x, k.y, 255);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x) {
                const int v = k.drawn.contains(x, y) ? 254 : 0;
                ASSERT_EQ(At(frame, x, y), (Rgb{v, v, v})) << k.what << " at " << x << "," << y;
            }
    }
}

TEST(BlendBitmap, SourceOfAnotherFormatAndRgbFramesGiveTheSameColours) {
    const QImage source = test::Noise(9, 5, 4, QImage::Format_RGB32);
    QImage bgr = test::Noise(12, 8, 5);
    QImage rgb = bgr.convertToFormat(QImage::Format_RGB888);
    BlendBitmap(bgr, source, 2, 2, 200);
    BlendBitmap(rgb, source.convertToFormat(QImage::Format_BGR888), 2, 2, 200);
    EXPECT_EQ(rgb.format(), QImage::Format_RGB888);
    EXPECT_TRUE(test::SamePixels(bgr, rgb));
}

TWmRec TextItem(const QString& text, int left, int top) {
    TWmRec item;
    item.Text = text;
    item.TextLeft = left;
    item.TextTop = top;
    const QSize size = MeasureText(item);
    item.TextWidth = size.width();
    item.TextHeight = size.height();
    item.TextOpacity = 255;
    return item;
}

// Pixels that the text changes, found by drawing it on a flat grey frame.
QImage GlyphMask(const TWmRec& item, QSize frameSize) {
    QImage flat = test::Filled(frameSize.width(), frameSize.height(), {128, 128, 128});
    DrawTextItem(flat, item);
    return flat;
}

TEST(TextItem, TransparentBoxChangesOnlyGlyphPixels) {
    TWmRec item = TextItem("Hg W!", 7, 5);
    item.TextWidth += 30;  // a box wider than the text
    item.HasBackground = false;
    const QImage mask = GlyphMask(item, {160, 80});
    const QImage before = test::Noise(160, 80, 9);
    QImage frame = before;
    DrawTextItem(frame, item);
    int glyphPixels = 0, changed = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 160; ++x) {
            const bool glyph = At(mask, x, y) != Rgb{128, 128, 128};
            glyphPixels += glyph;
            if (!glyph) ASSERT_EQ(At(frame, x, y), At(before, x, y)) << x << "," << y;
            changed += At(frame, x, y) != At(before, x, y);
        }
    EXPECT_GT(glyphPixels, 50);
    EXPECT_GT(changed, 50);
}

TEST(TextItem, BackgroundBoxOverBlackIsTheBackColourTimes255Over256) {
    TWmRec item = TextItem("Hi", 3, 2);
    item.TextWidth += 20;
    item.HasBackground = true;
    item.BackColor = qRgb(255, 255, 255);
    item.Font.Color = qRgb(255, 0, 0);
    QImage frame = test::Filled(120, 60, {0, 0, 0});
    DrawTextItem(frame, item);
    const int right = item.TextLeft + item.TextWidth - 1,
              bottom = item.TextTop + item.TextHeight - 1;
    EXPECT_EQ(At(frame, right, bottom), (Rgb{254, 254, 254}));  // background, no glyph
    EXPECT_EQ(At(frame, right + 1, bottom), (Rgb{0, 0, 0}));    // outside the box
    EXPECT_EQ(At(frame, right, bottom + 1), (Rgb{0, 0, 0}));
    // Some glyph pixel carries the text colour.
    bool red = false;
    for (int y = 2; y <= bottom; ++y)
        for (int x = 3; x <= right; ++x) red |= At(frame, x, y) == Rgb{254, 0, 0};
    EXPECT_TRUE(red);

    item.BackColor = qRgb(0, 128, 0);
    item.TextOpacity = 255;
    QImage green = test::Filled(120, 60, {0, 0, 0});
    DrawTextItem(green, item);
    EXPECT_EQ(At(green, right, bottom), (Rgb{0, 127, 0}));
}

TEST(TextItem, TextStaysInsideItsMeasuredBoxAndIsCutByASmallerOne) {
    for (quint8 style : {quint8(0), quint8(kBold | kItalic), quint8(kUnderline | kStrikeOut)}) {
        TWmRec item = TextItem("Quality jpg", 0, 0);
        item.Font.Style = style;
        const QSize measured = MeasureText(item);
        item.TextLeft = 10;
        item.TextTop = 10;
        item.TextWidth = 400;  // room to spill over if measuring and drawing disagreed
        item.TextHeight = 200;
        const QImage mask = GlyphMask(item, {500, 260});
        QRect ink;
        for (int y = 0; y < 260; ++y)
            for (int x = 0; x < 500; ++x)
                if (At(mask, x, y) != Rgb{128, 128, 128}) ink |= QRect(x, y, 1, 1);
        EXPECT_TRUE(QRect(QPoint(10, 10), measured).contains(ink)) << int(style);
        EXPECT_GT(ink.width(), measured.width() / 2) << int(style);
    }
    // A box smaller than the text cuts it off.
    TWmRec item = TextItem("WWWWWWWW", 10, 10);
    item.TextWidth = 12;
    const QImage mask = GlyphMask(item, {300, 100});
    for (int y = 0; y < 100; ++y)
        for (int x = 22; x < 300; ++x) ASSERT_EQ(At(mask, x, y), (Rgb{128, 128, 128}));
}

TEST(TextItem, BoxPartlyOrWhollyOutsideTheFrameIsClipped) {
    TWmRec item = TextItem("Edge", -15, -6);
    item.HasBackground = true;
    item.BackColor = qRgb(255, 255, 255);
    QImage frame = test::Filled(30, 20, {0, 0, 0});
    DrawTextItem(frame, item);
    EXPECT_NE(At(frame, 0, 0), (Rgb{0, 0, 0}));
    // Enormous boxes and positions neither crash nor allocate the whole box.
    for (auto [l, t, w, h] : {std::tuple{INT_MAX, 0, INT_MAX, INT_MAX},
                              {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                              {0, 0, INT_MAX, INT_MAX},
                              {5, 5, 0, 10},
                              {5, 5, 10, -1}}) {
        TWmRec big = item;
        big.TextLeft = l, big.TextTop = t, big.TextWidth = w, big.TextHeight = h;
        QImage f = test::Filled(30, 20, {0, 0, 0});
        DrawTextItem(f, big);
    }
}

TEST(TextItem, PointSizesBecomePixelsAt96Dpi) {
    EXPECT_EQ(ToPixelSize(26), 35);  // 34.67
    EXPECT_EQ(ToPixelSize(12), 16);
    EXPECT_EQ(ToPixelSize(7), 9);  // 9.33
    EXPECT_EQ(ToPixelSize(-4), 1);
    TWmRec small, large;
    small.Text = large.Text = "Size";
    small.Font.Size = 10;
    large.Font.Size = 40;
    EXPECT_LT(MeasureText(small).height() * 3, MeasureText(large).height());
}

TEST(WmRec, NewItemHoldsTheEditorDefaults) {
    const TWmRec item;
    EXPECT_EQ(item.TextOpacity, 125);
    EXPECT_EQ(item.ImageOpacity, 125);
    EXPECT_EQ(item.Font.Color, qRgb(0, 0, 255));
    EXPECT_EQ(item.BackColor, qRgb(0, 128, 0));
    EXPECT_FALSE(item.HasBackground);
    EXPECT_EQ(item.Font.Size, 26);
    EXPECT_EQ(item.StartSecond, 0);
    EXPECT_EQ(item.EndSecond, kEndOfSource);
    TWmRec copy = item;
    copy.Font.Style = kBold;
    EXPECT_NE(copy, item);  // the font is the item's own
}

}  // namespace
}  // namespace fw::effects
