// Per-frame effect passes at 1280 x 720 on one core. Items processed are
// pixels, so the "items_per_second" column reads as pixels per second.
#include "effects/Adjustments.h"
#include "effects/FrameHook.h"
#include "effects/WaterMark.h"

#include <benchmark/benchmark.h>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <random>

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
// and one 400 x 100 picture item. Items are frames.
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
    TFrameHookProcessor hook;
    QImage frame = NoiseFrame(kW, kH);
    QString error;
    for (auto _ : state) {
        if (!hook.Process(frame, 1'000'000, fx, &error)) state.SkipWithError("picture not loaded");
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProcessFrame)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
