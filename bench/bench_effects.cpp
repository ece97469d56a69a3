// Per-frame effect passes at 1280 x 720, on one core unless "bands" says more. Items processed are
// pixels, so the "items_per_second" column reads as pixels per second.
#include "effects/Adjustments.h"
#include "effects/FrameHook.h"
#include "effects/WaterMark.h"

#include <benchmark/benchmark.h>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <memory>
#include <random>

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace {

using namespace fw::effects;

QImage NoiseFrame(int w, int h) {
    QImage img(w, h, QImage::Format_BGR888);
    std::mt19937 gen(1);
    for (qsizetype i = 0; i < img.sizeInBytes(); ++i) img.bits()[i] = uchar(gen());
    return img;
}

constexpr int kW = 1280, kH = 720;

void BM_AdjustColors(benchmark::State& state) {
    QImage frame = NoiseFrame(kW, kH);
    const int saturation = int(state.range(0));
    for (auto _ : state) {
        AdjustColors(frame, 300, 20, saturation);
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
}
// 255: a per-channel table; 300: the full saturation pass.
BENCHMARK(BM_AdjustColors)->Arg(255)->Arg(300)->ArgName("saturation");

void BM_AdjustExposure(benchmark::State& state) {
    QImage frame = NoiseFrame(kW, kH);
    for (auto _ : state) {
        AdjustExposure(frame, 60.0f);
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_AdjustExposure);

// All four adjustments off-neutral, the two passes fused.
void BM_ConversionAdjustmentsAllFour(benchmark::State& state) {
    QImage frame = NoiseFrame(kW, kH);
    for (auto _ : state) {
        ApplyConversionAdjustments(frame, 300, 20, 300, 60);
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_ConversionAdjustmentsAllFour);

// The same with the tables built once and the frame in bands over 1, 2 or 4
// threads (the handler's workers); wall time is what counts here.
void BM_AdjustPlanBands(benchmark::State& state) {
    QImage frame = NoiseFrame(kW, kH);
    TBandWorkers workers(int(state.range(0)));
    const TAdjustPlan plan = TAdjustPlan::ForConversion(300, 20, 300, 60);
    for (auto _ : state) {
        plan.Apply(frame, &workers);
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_AdjustPlanBands)->Arg(1)->Arg(2)->Arg(4)->ArgName("bands")->UseRealTime();

// The portable loop that machines without the vector instructions run.
void BM_AdjustPlanPortable(benchmark::State& state) {
    QImage frame = NoiseFrame(kW, kH);
    const TAdjustPlan plan = TAdjustPlan::ForConversion(300, 20, 300, 60);
    for (auto _ : state) {
        plan.ApplyRows(frame.bits(), frame.bytesPerLine(), kW, 0, kH, false);
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_AdjustPlanPortable);

void BM_BlendBitmap400x100(benchmark::State& state) {
    QImage frame = NoiseFrame(kW, kH);
    const QImage item = NoiseFrame(400, 100);
    for (auto _ : state) {
        BlendBitmap(frame, item, 600, 500, 125);
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.SetItemsProcessed(state.iterations() * 400 * 100);
}
BENCHMARK(BM_BlendBitmap400x100);

// Text items are rasterised for every frame; the items here are frames.
void BM_TextItem(benchmark::State& state) {
    QImage frame = NoiseFrame(kW, kH);
    TWmRec item;
    item.Text = "Framewright sample";
    item.TextLeft = 40;
    item.TextTop = 40;
    const QSize size = MeasureText(item);
    item.TextWidth = size.width();
    item.TextHeight = size.height();
    item.HasBackground = state.range(0) != 0;
    for (auto _ : state) {
        DrawTextItem(frame, item);
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextItem)->Arg(0)->Arg(1)->ArgName("background");

// The whole handler as a conversion runs it: four adjustments, one text item
// and one 400 x 100 picture item. Items are frames; bands 0 is the handler's
// default split.
void BM_ProcessFrame(benchmark::State& state) {
    QTemporaryDir dir;
    const QString picture = dir.filePath("item.bmp");
    NoiseFrame(400, 100).save(picture, "BMP");
    TFrameEffects fx;
    fx.Brightness = 300, fx.Contrast = 20, fx.Saturation = 300, fx.Exposure = 60;
    TWmRec text;
    text.Text = "Framewright sample";
    text.TextLeft = text.TextTop = 40;
    const QSize size = MeasureText(text);
    text.TextWidth = size.width(), text.TextHeight = size.height();
    TWmRec image;
    image.Kind = kImageItem;
    image.ImageFile = picture;
    image.ImageLeft = 800, image.ImageTop = 560;
    fx.WaterMarks << text << image;
    TFrameHookProcessor hook(int(state.range(0)));
    QImage frame = NoiseFrame(kW, kH);
    QString error;
    for (auto _ : state) {
        if (!hook.Process(frame, 1'000'000, fx, &error)) state.SkipWithError("picture not loaded");
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProcessFrame)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("bands")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// What the engine spends around the handler on every hooked frame: the
// decoded yuv420p picture to BGR (bicubic, as the engine asks) and the BGR
// picture back to yuv420p for the encoder (the filter graph's scale, bicubic).
// Arg 0: the engine's bicubic flags; 1: SWS_POINT, for comparison.
void BM_EngineBgrConversion(benchmark::State& state, bool toBgr) {
    using FramePtr = std::unique_ptr<AVFrame, decltype([](AVFrame* f) { av_frame_free(&f); })>;
    using SwsPtr = std::unique_ptr<SwsContext, decltype([](SwsContext* c) { sws_freeContext(c); })>;
    const AVPixelFormat yuv = AV_PIX_FMT_YUV420P, bgr = AV_PIX_FMT_BGR24;
    FramePtr in(av_frame_alloc()), out(av_frame_alloc());
    in->width = out->width = kW;
    in->height = out->height = kH;
    in->format = toBgr ? yuv : bgr;
    out->format = toBgr ? bgr : yuv;
    if (av_frame_get_buffer(in.get(), 64) < 0 || av_frame_get_buffer(out.get(), 64) < 0) {
        state.SkipWithError("no frame");
        return;
    }
    std::mt19937 gen(2);
    for (int p = 0; p < 3 && in->data[p]; ++p)
        for (int y = 0; y < (toBgr && p ? kH / 2 : kH); ++y)
            for (int x = 0; x < in->linesize[p]; ++x)
                in->data[p][y * in->linesize[p] + x] = uint8_t(gen());
    const int flags = state.range(0) == 0 ? SWS_BICUBIC : SWS_POINT;
    SwsPtr sws(sws_getContext(kW, kH, AVPixelFormat(in->format), kW, kH, AVPixelFormat(out->format),
                              flags, nullptr, nullptr, nullptr));
    if (!sws) {
        state.SkipWithError("no scaler");
        return;
    }
    for (auto _ : state) {
        sws_scale(sws.get(), in->data, in->linesize, 0, kH, out->data, out->linesize);
        benchmark::DoNotOptimize(out->data[0]);
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK_CAPTURE(BM_EngineBgrConversion, yuv420p_to_bgr24, true)->Arg(0)->Arg(1)->ArgName("point");
BENCHMARK_CAPTURE(BM_EngineBgrConversion, bgr24_to_yuv420p, false)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("point");

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
