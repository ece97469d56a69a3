#include "effects/Adjustments.h"

#include "EffectsTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace fw::effects {
namespace {

using test::At;
using test::Rgb;

enum class Pass { Colors, Exposure, Conversion, Preview };

struct Case {
    const char* what;
    Pass pass;
    int b, c, s, e;
    Rgb in, out;
};

Rgb RunCase(const Case& k) {
    QImage img = test::Filled(1, 1, k.in);
    switch (k.pass) {
        case Pass::Colors:
            AdjustColors(img, k.b, k.c, k.s);
            break;
        case Pass::Exposure:
            AdjustExposure(img, float(k.e));
            break;
        case Pass::Conversion:
            ApplyConversionAdjustments(img, k.b, k.c, k.s, k.e);
            break;
        case Pass::Preview:
            ApplyPreviewAdjustments(img, k.b, k.c, k.s, k.e);
            break;
    }
    return At(img, 0, 0);
}

Rgb Grey(int v) {
    return {v, v, v};
}

// Brightness 256 and saturation 256 are the exact identity, so a grey pixel
// through the colour pass at those values shows the contrast curve C[v].
constexpr Pass C = Pass::Colors;
constexpr Pass X = Pass::Exposure;

TEST(Adjustments, EdgeCaseValues) {
    const Case cases[] = {
        {"identity 256/0/256", C, 256, 0, 256, 0, {100, 150, 200}, {100, 150, 200}},
        {"identity 256/0/256 extremes", C, 256, 0, 256, 0, {0, 255, 1}, {0, 255, 1}},
        {"conversion skips 255/0/255",
         Pass::Conversion,
         255,
         0,
         255,
         0,
         {128, 2, 255},
         {128, 2, 255}},
        {"pass at brightness 255: 0", C, 255, 0, 255, 0, Grey(0), Grey(0)},
        {"pass at brightness 255: 1", C, 255, 0, 255, 0, Grey(1), Grey(1)},
        {"pass at brightness 255: 2", C, 255, 0, 255, 0, Grey(2), Grey(1)},
        {"pass at brightness 255: 128", C, 255, 0, 255, 0, Grey(128), Grey(127)},
        {"pass at brightness 255: 255", C, 255, 0, 255, 0, Grey(255), Grey(254)},
        {"pass at brightness 255: colour", C, 255, 0, 255, 0, {10, 20, 30}, {9, 19, 29}},
        {"conversion with contrast runs the pass",
         Pass::Conversion,
         255,
         1,
         255,
         0,
         {10, 20, 30},
         {9, 19, 29}},
        {"saturation 255 keeps", C, 256, 0, 255, 0, {100, 150, 200}, {100, 150, 200}},
        {"saturation 256 keeps", C, 256, 0, 256, 0, {100, 150, 200}, {100, 150, 200}},
        {"saturation 0 gives the mean", C, 256, 0, 0, 0, {100, 150, 200}, {150, 150, 150}},
        {"saturation 128", C, 256, 0, 128, 0, {100, 150, 200}, {125, 150, 175}},
        {"saturation 512", C, 256, 0, 512, 0, {100, 150, 200}, {50, 150, 250}},
        {"brightness 0 maps to C[1]", C, 0, 0, 256, 0, {100, 150, 200}, {1, 1, 1}},
        {"brightness 0 maps black to C[1]", C, 0, 0, 256, 0, Grey(0), Grey(1)},
        {"brightness 512", C, 512, 0, 256, 0, {100, 150, 200}, {199, 255, 255}},
        {"contrast 50: 0", C, 256, 50, 256, 0, Grey(0), Grey(0)},
        {"contrast 50: 64", C, 256, 50, 256, 0, Grey(64), Grey(20)},
        {"contrast 50: 128", C, 256, 50, 256, 0, Grey(128), Grey(111)},
        {"contrast 50: 170", C, 256, 50, 256, 0, Grey(170), Grey(170)},
        {"contrast 50: 200", C, 256, 50, 256, 0, Grey(200), Grey(212)},
        {"contrast 50: 255", C, 256, 50, 256, 0, Grey(255), Grey(255)},
        {"contrast -50: 0", C, 256, -50, 256, 0, Grey(0), Grey(50)},
        {"contrast -50: 64", C, 256, -50, 256, 0, Grey(64), Grey(95)},
        {"contrast -50: 128", C, 256, -50, 256, 0, Grey(128), Grey(140)},
        {"contrast -50: 200", C, 256, -50, 256, 0, Grey(200), Grey(191)},
        {"contrast -50: 255", C, 256, -50, 256, 0, Grey(255), Grey(230)},
        {"contrast -100: black", C, 256, -100, 256, 0, Grey(0), Grey(170)},
        {"contrast -100: colour", C, 256, -100, 256, 0, {10, 200, 255}, Grey(170)},
        {"contrast 100: 167", C, 256, 100, 256, 0, Grey(167), Grey(0)},
        {"contrast 100: 168", C, 256, 100, 256, 0, Grey(168), Grey(43)},
        {"contrast 100: 169", C, 256, 100, 256, 0, Grey(169), Grey(106)},
        {"contrast 100: 170", C, 256, 100, 256, 0, Grey(170), Grey(170)},
        {"contrast 100: 171", C, 256, 100, 256, 0, Grey(171), Grey(234)},
        {"contrast 100: 172", C, 256, 100, 256, 0, Grey(172), Grey(255)},
        {"exposure 100: 0", X, 0, 0, 0, 100, Grey(0), Grey(0)},
        {"exposure 100: 1", X, 0, 0, 0, 100, Grey(1), Grey(2)},
        {"exposure 100: 64", X, 0, 0, 0, 100, Grey(64), Grey(125)},
        {"exposure 100: 128", X, 0, 0, 0, 100, Grey(128), Grey(196)},
        {"exposure 100: 200", X, 0, 0, 0, 100, Grey(200), Grey(238)},
        {"exposure 100: 254", X, 0, 0, 0, 100, Grey(254), Grey(254)},
        {"exposure 100: 255", X, 0, 0, 0, 100, Grey(255), Grey(255)},
        {"exposure 100: colour", X, 0, 0, 0, 100, {1, 64, 128}, {2, 125, 196}},
        {"exposure -100: 157", X, 0, 0, 0, -100, Grey(157), Grey(0)},
        {"exposure -100: 180", X, 0, 0, 0, -100, Grey(180), Grey(30)},
        {"exposure -100: 200", X, 0, 0, 0, -100, Grey(200), Grey(69)},
        {"exposure -100: 254", X, 0, 0, 0, -100, Grey(254), Grey(251)},
        {"exposure -100: 255", X, 0, 0, 0, -100, Grey(255), Grey(255)},
        {"exposure 512: 64", X, 0, 0, 0, 512, Grey(64), Grey(228)},
        {"exposure 512: 128", X, 0, 0, 0, 512, Grey(128), Grey(252)},
        {"exposure -255: 255", X, 0, 0, 0, -255, Grey(255), Grey(255)},
        {"exposure 0 is the identity", X, 0, 0, 0, 0, {17, 128, 250}, {17, 128, 250}},
        {"conversion skips exposure 0",
         Pass::Conversion,
         255,
         0,
         255,
         0,
         {17, 128, 250},
         {17, 128, 250}},
        {"conversion, exposure only", Pass::Conversion, 255, 0, 255, 100, Grey(128), Grey(196)},
        // The preview runs the colour pass too, so it is one level darker.
        {"conversion, exposure only, white", Pass::Conversion, 255, 0, 255, 100, Grey(255),
         Grey(255)},
        {"preview, exposure only, white", Pass::Preview, 255, 0, 255, 100, Grey(255), Grey(254)},
        {"preview, all neutral", Pass::Preview, 255, 0, 255, 0, Grey(128), Grey(128)},
        {"preview, exposure 0 runs and keeps",
         Pass::Preview,
         256,
         0,
         256,
         0,
         {17, 128, 250},
         {17, 128, 250}},
    };
    for (const Case& k : cases) EXPECT_EQ(RunCase(k), k.out) << k.what;
}

// Exposure 1 moves the levels between 97 and 169 by one, but not all of
// them: e = round((1 - t) * 256) is 2 up to level 160 and 3 above, and
// floor(e * (255 - i) / 256) reaches 1 only up to 127 with e = 2.
TEST(Adjustments, ExposureOfOneMovesTwoBandsOfMiddleLevels) {
    const auto up = BuildExposureTable(1.0f);
    const auto down = BuildExposureTable(-1.0f);
    for (int i = 0; i < 256; ++i) {
        const bool raised = (i >= 97 && i <= 127) || (i >= 161 && i <= 169);
        const bool lowered = (i >= 96 && i <= 127) || (i >= 160 && i <= 169);
        EXPECT_EQ(up[i], i + (raised ? 1 : 0)) << i;
        EXPECT_EQ(down[i], i - (lowered ? 1 : 0)) << i;
    }
    for (float e : {-255.0f, -1.0f, 37.0f, 512.0f, -1e9f, 1e9f}) {
        const auto t = BuildExposureTable(e);
        EXPECT_EQ(t[0], 0) << e;
        EXPECT_EQ(t[255], 255) << e;
    }
}

TEST(Adjustments, ContrastOf100IsContrastOf99) {
    EXPECT_EQ(BuildColorTables(256, 100, 256).Contrast, BuildColorTables(256, 99, 256).Contrast);
}

// A direct per-pixel reading of the algorithm, with explicit clamps and no
// fused tables, against which the fast passes are checked on whole frames.
QImage Reference(QImage img, int b, int c, int s, int e, bool colors, bool exposure) {
    const TColorTables t = BuildColorTables(b, c, s);
    const auto curve = BuildExposureTable(float(e));
    for (int y = 0; y < img.height(); ++y) {
        uchar* p = img.scanLine(y);
        for (int x = 0; x < img.width(); ++x, p += 3) {
            if (colors) {
                const int g = t.Grey[p[0] + p[1] + p[2]];
                for (int ch = 0; ch < 3; ++ch)
                    p[ch] = t.Level[std::clamp(g + t.Saturation[p[ch]], 0, 255)];
            }
            if (exposure)
                for (int ch = 0; ch < 3; ++ch) p[ch] = curve[p[ch]];
        }
    }
    return img;
}

TEST(Adjustments, FastPassesMatchThePlainAlgorithmOnWholeFrames) {
    struct Values {
        int b, c, s, e;
    };
    const Values values[] = {{255, 0, 255, 0}, {300, 20, 255, 0},   {255, 0, 256, -40},
                             {200, -30, 0, 0}, {512, 99, 512, 255}, {0, -100, 128, -255},
                             {256, 0, 256, 1}, {400, 60, 700, 90},  {255, 0, 100000, 5}};
    // Odd width: rows carry padding, so the row-by-row paths run too.
    for (QImage::Format f : {QImage::Format_BGR888, QImage::Format_RGB888}) {
        const QImage src = test::Noise(37, 23, 7, f);
        for (const Values& v : values) {
            const bool colors = ColorPassRuns(v.b, v.c, v.s), expo = v.e != 0;
            QImage conv = src;
            ApplyConversionAdjustments(conv, v.b, v.c, v.s, v.e);
            EXPECT_TRUE(test::SamePixels(conv, Reference(src, v.b, v.c, v.s, v.e, colors, expo)))
                << v.b << "/" << v.c << "/" << v.s << "/" << v.e;
            QImage prev = src;
            ApplyPreviewAdjustments(prev, v.b, v.c, v.s, v.e);
            const bool any = colors || expo;
            EXPECT_TRUE(test::SamePixels(prev, Reference(src, v.b, v.c, v.s, v.e, any, any)))
                << "preview " << v.b << "/" << v.c << "/" << v.s << "/" << v.e;
        }
    }
    // A padless frame (width * 3 a multiple of 4) goes through as one run.
    const QImage wide = test::Noise(64, 9, 3);
    QImage out = wide;
    AdjustExposure(out, 77.0f);
    EXPECT_TRUE(test::SamePixels(out, Reference(wide, 0, 0, 0, 77, false, true)));
}

TEST(Adjustments, VectorAndPortableTablePassesAgree) {
    const auto table = BuildExposureTable(-70.0f);
    for (int w : {1, 21, 64, 333}) {
        const QImage src = test::Noise(w, 5, uint32_t(w));
        QImage vec = src, portable = src;
        detail::MapChannelBytes(vec, table, true);
        detail::MapChannelBytes(portable, table, false);
        EXPECT_TRUE(test::SamePixels(vec, portable)) << w;
        EXPECT_TRUE(test::SamePixels(vec, Reference(src, 0, 0, 0, -70, false, true))) << w;
    }
}

// The vector colour pass works on 32 pixels at a time with masked ends, so
// widths around multiples of 32 and rows with and without padding matter;
// saturations around its 16-bit limits and the clamped table pass too.
TEST(Adjustments, VectorColourPassMatchesThePortableLoopAndTheAlgorithm) {
    struct Values {
        int b, c, s, e;
    };
    const Values values[] = {{300, 20, 300, 60},  {255, 0, 0, 0},        {0, -100, 1, -255},
                             {512, 99, 512, 512}, {256, 0, 254, 0},      {200, -40, 257, 3},
                             {255, 0, 16384, 0},  {270, 10, 16385, -20}, {255, 0, 65535, 9},
                             {255, 0, 100000, 0}};
    for (int w : {1, 31, 32, 33, 64, 65, 333}) {
        for (int h : {1, 4}) {
            const QImage src = test::Noise(w, h, uint32_t(w * 10 + h));
            for (const Values& v : values) {
                const TAdjustPlan plan = TAdjustPlan::ForPreview(v.b, v.c, v.s, v.e);
                QImage vec = src, portable = src;
                plan.ApplyRows(vec.bits(), vec.bytesPerLine(), w, 0, h, true);
                plan.ApplyRows(portable.bits(), portable.bytesPerLine(), w, 0, h, false);
                const QImage expected = Reference(src, v.b, v.c, v.s, v.e, true, true);
                EXPECT_TRUE(test::SamePixels(vec, expected))
                    << w << "x" << h << " " << v.b << "/" << v.c << "/" << v.s << "/" << v.e;
                EXPECT_TRUE(test::SamePixels(portable, expected))
                    << w << "x" << h << " " << v.b << "/" << v.c << "/" << v.s << "/" << v.e;
            }
        }
    }
}

// Bands of rows on worker threads give the frame the single thread gives,
// for odd sizes, more bands than a frame has rows, and padded rows.
TEST(Adjustments, BandsOnWorkersMatchOneThread) {
    struct Size {
        int w, h;
    };
    const Size sizes[] = {{333, 331}, {1279, 721}, {65537, 3}, {40000, 2}};
    TBandWorkers one(1), two(2), four(4);
    for (const Size& z : sizes) {
        const QImage src = test::Noise(z.w, z.h, uint32_t(z.w + z.h));
        for (const TAdjustPlan& plan : {TAdjustPlan::ForConversion(300, 20, 300, 60),
                                        TAdjustPlan::ForConversion(255, 0, 255, -80),
                                        TAdjustPlan::ForConversion(255, 0, 90000, 0)}) {
            QImage single = src;
            plan.Apply(single, &one);
            for (TBandWorkers* workers : {&two, &four}) {
                QImage split = src;
                plan.Apply(split, workers);
                EXPECT_TRUE(test::SamePixels(split, single))
                    << z.w << "x" << z.h << " in " << workers->Bands() << " bands";
            }
        }
    }
}

TEST(Adjustments, OtherPixelFormatsMapTheirChannelsThroughTheSameTables) {
    const QImage src = test::Noise(16, 8, 11);
    QImage expected = src;
    ApplyConversionAdjustments(expected, 320, 25, 300, 40);
    QImage rgb32 = src.convertToFormat(QImage::Format_RGB32);
    ApplyConversionAdjustments(rgb32, 320, 25, 300, 40);
    EXPECT_EQ(rgb32.format(), QImage::Format_RGB32);
    EXPECT_TRUE(test::SamePixels(rgb32, expected));
}

}  // namespace
}  // namespace fw::effects
