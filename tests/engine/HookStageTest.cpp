// The per-frame hook stage: drawings land on the frames they were drawn into,
// and only the rows the handler reports as drawn go back into the frame.
#include "EngineTestUtil.h"
#include "engine/FrameGrab.h"
#include "engine/HookStage.h"

#include <gtest/gtest.h>
#include <QFile>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixfmt.h>
}

namespace fw::engine {
namespace {

using namespace fw::test;

TEST(HookStage, ChangedRowsCoverWholeChromaRows) {
    struct Case {
        QRect changed;
        int h;
        AVPixelFormat format;
        int y0, y1;
    };
    const Case cases[] = {
        {QRect(0, 31, 160, 14), 120, AV_PIX_FMT_YUV420P, 30, 46},  // rows 31..44
        {QRect(5, 30, 1, 16), 120, AV_PIX_FMT_YUV420P, 30, 46},    // already aligned
        {QRect(0, 31, 10, 14), 120, AV_PIX_FMT_YUV444P, 31, 45},   // no vertical subsampling
        {QRect(0, 31, 10, 14), 120, AV_PIX_FMT_NV12, 30, 46},
        {QRect(0, 31, 10, 14), 120, AV_PIX_FMT_YUV410P, 28, 48},     // 4-row chroma
        {QRect(0, 116, 10, 50), 119, AV_PIX_FMT_YUV420P, 116, 119},  // odd height, clipped
        {QRect(0, -5, 10, 8), 120, AV_PIX_FMT_YUV420P, 0, 4},
        {QRect(0, 0, 160, 120), 120, AV_PIX_FMT_YUV420P, 0, 120},
        {QRect(), 120, AV_PIX_FMT_YUV420P, 0, 0},
        {QRect(0, 200, 10, 10), 120, AV_PIX_FMT_YUV420P, 0, 0},   // below the picture
        {QRect(170, 10, 10, 10), 120, AV_PIX_FMT_YUV420P, 0, 0},  // right of it
    };
    for (const Case& c : cases) {
        int y0 = -1, y1 = -1;
        ChangedRows(c.changed, 160, c.h, c.format, &y0, &y1);
        EXPECT_EQ(y0, c.y0) << c.changed.y() << "+" << c.changed.height() << " fmt " << c.format;
        EXPECT_EQ(y1, c.y1) << c.changed.y() << "+" << c.changed.height() << " fmt " << c.format;
    }
}

// The decoded frames of a file as raw 4:2:0 pictures, one QByteArray each.
QList<QByteArray> RawFrames(const QString& file, int w, int h) {
    const QString raw = file + ".yuv";
    const auto r = RunProgram(
        "ffmpeg", {"-v", "error", "-y", "-i", file, "-f", "rawvideo", "-pix_fmt", "yuv420p", raw});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    QFile f(raw);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray all = f.readAll();
    const int size = w * h * 3 / 2;
    QList<QByteArray> frames;
    for (int at = 0; at + size <= all.size(); at += size) frames << all.mid(at, size);
    return frames;
}

constexpr int kW = 160, kH = 120;
constexpr int kCodeTop = 31, kCodeRows = 14;  // the band the hook draws into
constexpr int kBits = 8, kBlock = kW / 10;    // 8 bits, 16-pixel blocks

// Writes the frame counter into the band as black and white blocks.
void DrawCode(QImage& picture, int value) {
    for (int y = kCodeTop; y < kCodeTop + kCodeRows; ++y) {
        uchar* line = picture.scanLine(y);
        for (int x = 0; x < kBits * kBlock; ++x)
            memset(line + 3 * x, (value >> (x / kBlock)) & 1 ? 255 : 0, 3);
    }
}

int ReadCode(const QByteArray& frame) {
    int value = 0;
    const int y = kCodeTop + kCodeRows / 2;
    for (int b = 0; b < kBits; ++b)
        if (uchar(frame[y * kW + b * kBlock + kBlock / 2]) > 128) value |= 1 << b;
    return value;
}

// The largest difference between the samples of luma rows [y0, y1) and the
// chroma rows that go with them.
int RowsDiffer(const QByteArray& a, const QByteArray& b, int y0, int y1) {
    int most = 0;
    auto compare = [&](int from, int to) {
        for (int i = from; i < to; ++i) most = std::max(most, std::abs(uchar(a[i]) - uchar(b[i])));
    };
    compare(y0 * kW, y1 * kW);
    const int cw = kW / 2, ch = kH / 2;
    for (int plane = 0; plane < 2; ++plane) {
        const int base = kW * kH + plane * cw * ch;
        compare(base + y0 / 2 * cw, base + (y1 + 1) / 2 * cw);
    }
    return most;
}

// A raw 4:2:0 picture converted to 24-bit BGR and back in one piece each way.
QByteArray RoundTrip(const QByteArray& yuv) {
    FramePtr in(av_frame_alloc()), bgr(av_frame_alloc()), back(av_frame_alloc());
    in->format = AV_PIX_FMT_YUV420P, in->width = kW, in->height = kH;
    av_image_fill_arrays(in->data, in->linesize, reinterpret_cast<const uint8_t*>(yuv.constData()),
                         AV_PIX_FMT_YUV420P, kW, kH, 1);
    TFramePool bgrPool, backPool;
    TPictureConverter there, again;
    EXPECT_TRUE(bgrPool.Get(bgr.get(), AV_PIX_FMT_BGR24, kW, kH));
    EXPECT_TRUE(backPool.Get(back.get(), AV_PIX_FMT_YUV420P, kW, kH));
    EXPECT_TRUE(there.ConvertRows(in.get(), bgr.get(), 0, kH));
    EXPECT_TRUE(again.ConvertRows(bgr.get(), back.get(), 0, kH));
    QByteArray out(yuv.size(), 0);
    av_image_copy_to_buffer(reinterpret_cast<uint8_t*>(out.data()), int(out.size()), back->data,
                            back->linesize, AV_PIX_FMT_YUV420P, kW, kH, 1);
    return out;
}

// The hook works on a frame while the frame before is encoded: every drawing
// must still come out on its own frame, and the frames after StopHooking must
// be untouched. Rows outside a reported band must be exactly the decoded ones
// (no colour round trip); a frame reported as wholly drawn comes back as one
// whole conversion there and back.
TEST(HookStage, DrawingsStayOnTheirFramesAndUndrawnRowsStayExact) {
    EnsureApp();
    TempDir dir;
    const QString source = SharedClips().small;
    TOutputOptions lossless;
    lossless.VideoCodec = "ffv1";
    lossless.DisableAudio = true;
    ASSERT_TRUE(Convert(source, dir.File("plain.mkv"), lossless).Finished);

    constexpr int kStopAt = 12;
    TFFmpegEncoder enc;
    enc.AddTask(source);
    TOutputOptions hooked = lossless;
    hooked.VideoHook = true;
    enc.SetOutputFile(0, dir.File("hooked.mkv"), hooked);
    std::atomic<int> calls{0};
    enc.OnCustomHook = [&](THookInfo& h) {
        ++calls;
        DrawCode(*h.FrameBitmap, h.FrameCounter + 1);
        if (h.FrameCounter % 2 == 0) h.ChangedRect = QRect(0, kCodeTop, kW, kCodeRows);
        if (h.FrameCounter == kStopAt) h.StopHooking = true;
    };
    const auto r = RunBatch(enc);
    ASSERT_EQ(r.terminates.size(), 2u);
    ASSERT_TRUE(r.terminates[0].Finished) << r.terminates[0].ErrorText.toStdString();
    EXPECT_EQ(calls.load(), kStopAt + 1);

    const auto plain = RawFrames(dir.File("plain.mkv"), kW, kH);
    const auto drawn = RawFrames(dir.File("hooked.mkv"), kW, kH);
    ASSERT_EQ(plain.size(), 25);
    ASSERT_EQ(drawn.size(), plain.size());
    for (int i = 0; i < drawn.size(); ++i) {
        SCOPED_TRACE(i);
        if (i > kStopAt) {
            EXPECT_EQ(RowsDiffer(drawn[i], plain[i], 0, kH), 0);
            continue;
        }
        EXPECT_EQ(ReadCode(drawn[i]), i + 1);
        // A reported band is widened to whole chroma rows: 30..45.
        const int above = RowsDiffer(drawn[i], plain[i], 0, kCodeTop - 1);
        const int below = RowsDiffer(drawn[i], plain[i], kCodeTop + kCodeRows + 1, kH);
        if (i % 2 == 0) {
            EXPECT_EQ(above, 0);
            EXPECT_EQ(below, 0);
        } else {
            const QByteArray expected = RoundTrip(plain[i]);
            EXPECT_EQ(RowsDiffer(drawn[i], expected, 0, kCodeTop - 1), 0);
            EXPECT_EQ(RowsDiffer(drawn[i], expected, kCodeTop + kCodeRows + 1, kH), 0);
            EXPECT_GT(std::max(above, below), 0);  // a round trip did happen
        }
    }
}

// Odd sizes: the last band has a chroma row of its own, and a band at the
// bottom edge must land there. (The converters also read and write a little
// past odd right edges, which the engine's frames leave room for.)
TEST(HookStage, BandAtTheBottomOfAnOddSizedPicture) {
    EnsureApp();
    TempDir dir;
    const QString source = dir.File("odd.mkv");
    const auto made = RunProgram("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                            "testsrc=size=161x121:rate=25:duration=0.4", "-c:v",
                                            "ffv1", "-pix_fmt", "yuv420p", source});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    TOutputOptions o;
    o.VideoCodec = "ffv1";
    o.DisableAudio = true;
    o.VideoHook = true;
    TFFmpegEncoder enc;
    enc.AddTask(source);
    enc.SetOutputFile(0, dir.File("out.mkv"), o);
    enc.OnCustomHook = [&](THookInfo& h) {
        ASSERT_EQ(h.FrameBitmap->size(), QSize(161, 121));
        memset(h.FrameBitmap->scanLine(120), 255, 161 * 3);
        h.ChangedRect = QRect(0, 120, 161, 1);
    };
    const auto r = RunBatch(enc);
    ASSERT_EQ(r.terminates.size(), 2u);
    ASSERT_TRUE(r.terminates[0].Finished) << r.terminates[0].ErrorText.toStdString();
    QImage before, after;
    QString error;
    ASSERT_TRUE(GrabFrameAt(source, 200000, &before, &error)) << error.toStdString();
    ASSERT_TRUE(GrabFrameAt(dir.File("out.mkv"), 200000, &after, &error)) << error.toStdString();
    ASSERT_EQ(before.size(), QSize(161, 121));
    ASSERT_EQ(after.size(), QSize(161, 121));
    for (int x : {0, 80, 160}) EXPECT_EQ(after.pixel(x, 120), qRgb(255, 255, 255)) << x;
    for (int y : {0, 60, 110})  // away from the band: converters filter chroma over rows
        for (int x = 0; x < 161; ++x)
            ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
}

// The progress window's preview shows the picture as the hook drew it.
TEST(HookStage, PreviewShowsTheDrawnPicture) {
    EnsureApp();
    TempDir dir;
    TFFmpegEncoder enc;
    enc.PreviewBitmap = true;
    enc.ProgressInterval = 10;
    enc.AddTask(SharedClips().small);
    TOutputOptions o;
    o.VideoCodec = "mpeg4";
    o.DisableAudio = true;
    o.VideoHook = true;
    enc.SetOutputFile(0, dir.File("out.mp4"), o);
    const QRect box(0, 0, 40, 30);
    enc.OnCustomHook = [&](THookInfo& h) {
        QImage& picture = *h.FrameBitmap;
        for (int y = box.top(); y <= box.bottom(); ++y)
            memset(picture.scanLine(y), 255, size_t(box.width()) * 3);
        h.ChangedRect = box;
    };
    std::vector<QImage> previews;
    enc.OnPreviewBitmap = [&](const TPreviewInfo& p) { previews.push_back(p.FrameBitmap); };
    const auto r = RunBatch(enc);
    ASSERT_EQ(r.terminates.size(), 2u);
    ASSERT_TRUE(r.terminates[0].Finished) << r.terminates[0].ErrorText.toStdString();
    ASSERT_FALSE(previews.empty());
    for (const QImage& p : previews) {
        ASSERT_EQ(p.size(), QSize(160, 120));
        EXPECT_EQ(p.pixel(box.center()), qRgb(255, 255, 255));
        EXPECT_NE(p.pixel(120, 90), qRgb(255, 255, 255));
    }
}

}  // namespace
}  // namespace fw::engine
