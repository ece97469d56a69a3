#include "effects/Adjustments.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define FW_HAVE_VBMI_PATH 1
#endif

namespace fw::effects {

namespace {

// Nearest integer with halves to even (the default rounding mode), clamped
// before the conversion so that any input stays defined.
int64_t RoundEven(double v, double lo, double hi) {
    if (std::isnan(v)) return 0;
    return static_cast<int64_t>(std::nearbyint(std::clamp(v, lo, hi)));
}

bool IsByteFormat(QImage::Format f) {
    return f == QImage::Format_BGR888 || f == QImage::Format_RGB888;
}

// Runs pass(frame) on a 24-bit frame; other formats go through a converted copy.
template <typename Pass>
void On24Bit(QImage& frame, Pass&& pass) {
    if (frame.isNull()) return;
    if (IsByteFormat(frame.format())) {
        pass(frame);
        return;
    }
    const QImage::Format original = frame.format();
    QImage copy = frame.convertToFormat(QImage::Format_BGR888);
    pass(copy);
    frame = copy.convertToFormat(original);
}

#ifdef FW_HAVE_VBMI_PATH
#define FW_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))
// Two 128-entry byte permutations and a blend on bit 7 of each byte are
// exactly the 256-entry lookup, 64 bytes at a time.
FW_VBMI inline __m512i MapVbmi(__m512i v, __m512i t0, __m512i t1, __m512i t2, __m512i t3) {
    const __m512i lo = _mm512_permutex2var_epi8(t0, v, t1);
    const __m512i hi = _mm512_permutex2var_epi8(t2, v, t3);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(v), lo, hi);
}

FW_VBMI void MapRunVbmi(uint8_t* p, qsizetype n, const uint8_t* t) {
    const __m512i t0 = _mm512_loadu_si512(t), t1 = _mm512_loadu_si512(t + 64);
    const __m512i t2 = _mm512_loadu_si512(t + 128), t3 = _mm512_loadu_si512(t + 192);
    for (; n >= 64; n -= 64, p += 64)
        _mm512_storeu_si512(p, MapVbmi(_mm512_loadu_si512(p), t0, t1, t2, t3));
    if (n > 0) {
        const __mmask64 m = (1ULL << n) - 1;  // n < 64 here
        _mm512_mask_storeu_epi8(p, m, MapVbmi(_mm512_maskz_loadu_epi8(m, p), t0, t1, t2, t3));
    }
}

bool HasVbmi() {
    static const bool has = __builtin_cpu_supports("avx512f") &&
                            __builtin_cpu_supports("avx512bw") &&
                            __builtin_cpu_supports("avx512vbmi");
    return has;
}
#endif

// Every byte of a run of n bytes becomes t[byte]. Without the vector path,
// eight bytes are read and written at a time and the lookups are plain byte
// loads.
void MapRun(uint8_t* p, qsizetype n, const uint8_t* t, bool vector) {
#ifdef FW_HAVE_VBMI_PATH
    if (vector && HasVbmi()) {
        MapRunVbmi(p, n, t);
        return;
    }
#else
    (void)vector;
#endif
    for (; n >= 8; n -= 8, p += 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        const uint64_t out =
            uint64_t(t[w & 0xff]) | uint64_t(t[(w >> 8) & 0xff]) << 8 |
            uint64_t(t[(w >> 16) & 0xff]) << 16 | uint64_t(t[(w >> 24) & 0xff]) << 24 |
            uint64_t(t[(w >> 32) & 0xff]) << 32 | uint64_t(t[(w >> 40) & 0xff]) << 40 |
            uint64_t(t[(w >> 48) & 0xff]) << 48 | uint64_t(t[w >> 56]) << 56;
        std::memcpy(p, &out, 8);
    }
    for (; n > 0; --n, ++p) *p = t[*p];
}

void MapBytes(QImage& frame, const std::array<uint8_t, 256>& table, bool vector = true) {
    const qsizetype rowBytes = qsizetype(frame.width()) * 3;
    const qsizetype stride = frame.bytesPerLine();
    uchar* bits = frame.bits();
    if (stride == rowBytes) {
        MapRun(bits, rowBytes * frame.height(), table.data(), vector);
        return;
    }
    for (int y = 0; y < frame.height(); ++y)
        MapRun(bits + qsizetype(y) * stride, rowBytes, table.data(), vector);
}

#ifdef FW_HAVE_VBMI_PATH
// The full colour pass on 32 pixels (96 bytes) at a time, in 16-bit lanes:
// the three channels are pulled apart, w = a - S[a] + S[v] is computed with
// a = (b + g + r) / 3 and S[m] = ((m + 1) * saturation) >> 8 as exact integer
// products, clamped to 0..255, interleaved again and mapped through the
// 256-entry table out. The caller keeps saturation <= kVectorMaxSaturation so
// that every value fits a signed 16-bit lane.
constexpr int kVectorMaxSaturation = 16384;

// GCC 12's own intrinsic headers leave a deliberately undefined operand that
// its -Wuninitialized then reports inside every inlined conversion.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

// S[v] = ((v + 1) * saturation) >> 8 as the high half of (v + 1) * 128 times
// saturation * 2: (v + 1) * 128 <= 32768 and saturation * 2 < 65536.
FW_VBMI inline __m512i ScaledLevel(__m512i v, __m512i sat2) {
    return _mm512_mulhi_epu16(_mm512_slli_epi16(_mm512_add_epi16(v, _mm512_set1_epi16(1)), 7),
                              sat2);
}

// clamp(G[s] + S[v], 0, 255) as bytes.
FW_VBMI inline __m256i ClampedLevel(__m512i grey, __m512i v, __m512i sat2) {
    const __m512i w = _mm512_add_epi16(grey, ScaledLevel(v, sat2));
    return _mm512_cvtepi16_epi8(
        _mm512_min_epi16(_mm512_max_epi16(w, _mm512_setzero_si512()), _mm512_set1_epi16(255)));
}

// One channel of 32 pixels from 96 bytes, widened to 16 bits.
FW_VBMI inline __m512i Channel(__m512i in0, __m512i in1, __m512i pick) {
    return _mm512_cvtepu8_epi16(_mm512_castsi512_si256(_mm512_permutex2var_epi8(in0, pick, in1)));
}

FW_VBMI void ColorRunsVbmi(uint8_t* first, qsizetype stride, int runs, qsizetype runPixels,
                           int saturation, const uint8_t* out) {
    alignas(64) uint8_t pb[64], pg[64], pr[64], w0[64], w1[64];
    for (int i = 0; i < 64; ++i) {
        const int px = i & 31;  // only the low 32 bytes of a pick are used
        pb[i] = uint8_t(3 * px);
        pg[i] = uint8_t(3 * px + 1);
        pr[i] = uint8_t(3 * px + 2);
    }
    // The weave takes blue from bytes 0..31 and green from bytes 32..63 of
    // its first operand, red from bytes 0..31 of the second (index 64 on).
    auto weave = [](int k) {
        const int px = k / 3, ch = k % 3;
        return uint8_t(ch == 0 ? px : ch == 1 ? 32 + px : 64 + px);
    };
    for (int k = 0; k < 64; ++k) {
        w0[k] = weave(k);
        w1[k] = weave(64 + (k & 31));
    }
    const __m512i pickB = _mm512_load_si512(pb), pickG = _mm512_load_si512(pg);
    const __m512i pickR = _mm512_load_si512(pr);
    const __m512i weave0 = _mm512_load_si512(w0), weave1 = _mm512_load_si512(w1);
    const __m512i t0 = _mm512_loadu_si512(out), t1 = _mm512_loadu_si512(out + 64);
    const __m512i t2 = _mm512_loadu_si512(out + 128), t3 = _mm512_loadu_si512(out + 192);
    const __m512i sat2 = _mm512_set1_epi16(short(uint16_t(saturation * 2)));
    const __m512i third = _mm512_set1_epi16(21846);  // (s * 21846) >> 16 == s / 3 for s <= 765

    for (int r = 0; r < runs; ++r) {
        uint8_t* p = first + qsizetype(r) * stride;
        for (qsizetype left = runPixels; left > 0;) {
            const qsizetype bytes = std::min<qsizetype>(left, 32) * 3;
            const __mmask64 m0 = bytes >= 64 ? ~__mmask64(0) : (__mmask64(1) << bytes) - 1;
            const __mmask64 m1 = bytes <= 64 ? 0 : (__mmask64(1) << (bytes - 64)) - 1;
            const __m512i in0 = _mm512_maskz_loadu_epi8(m0, p);
            const __m512i in1 = _mm512_maskz_loadu_epi8(m1, p + 64);
            const __m512i b = Channel(in0, in1, pickB), g = Channel(in0, in1, pickG);
            const __m512i rd = Channel(in0, in1, pickR);
            const __m512i a =
                _mm512_mulhi_epu16(_mm512_add_epi16(_mm512_add_epi16(b, g), rd), third);
            const __m512i grey = _mm512_sub_epi16(a, ScaledLevel(a, sat2));  // G[s]
            const __m512i bg =
                _mm512_inserti64x4(_mm512_zextsi256_si512(ClampedLevel(grey, b, sat2)),
                                   ClampedLevel(grey, g, sat2), 1);
            const __m512i rr = _mm512_zextsi256_si512(ClampedLevel(grey, rd, sat2));
            const __m512i o0 = _mm512_permutex2var_epi8(bg, weave0, rr);
            _mm512_mask_storeu_epi8(p, m0, MapVbmi(o0, t0, t1, t2, t3));
            if (m1) {
                const __m512i o1 = _mm512_permutex2var_epi8(bg, weave1, rr);
                _mm512_mask_storeu_epi8(p + 64, m1, MapVbmi(o1, t0, t1, t2, t3));
            }
            p += bytes;
            left -= bytes / 3;
        }
    }
}
#pragma GCC diagnostic pop
#endif

}  // namespace

void TAdjustPlan::Build(int brightness, int contrast, int saturation,
                        const std::array<uint8_t, 256>* curve) {
    const TColorTables tab = BuildColorTables(brightness, contrast, saturation);
    for (int w = 0; w < 256; ++w) out_[w] = curve ? (*curve)[tab.Level[w]] : tab.Level[w];
    sat_ = tab.Saturation;
    saturation_ = std::clamp(saturation, 0, 65535);

    const auto [gMin, gMax] = std::minmax_element(tab.Grey.begin(), tab.Grey.begin() + 766);
    const int32_t sMax = *std::max_element(tab.Saturation.begin(), tab.Saturation.end());
    const int32_t sMin = *std::min_element(tab.Saturation.begin(), tab.Saturation.end());
    if (*gMin == *gMax) {
        // Saturation 255 or 256: the grey term is the same for every pixel, so
        // each channel maps on its own through one byte table.
        std::array<uint8_t, 256> direct{};
        for (int v = 0; v < 256; ++v)
            direct[v] = out_[std::clamp(*gMin + tab.Saturation[v], 0, 255)];
        out_ = direct;
        mode_ = TMode::Bytes;
        return;
    }
    // The clamp of G[s] + S[v] to 0..255 and the lookup in out are folded
    // into one table indexed by G[s] + S[v] + offset, where the span fits it.
    const int64_t offset = -(int64_t(*gMin) + sMin);
    const int64_t span = int64_t(*gMax) + sMax + offset + 1;
    if (span <= int64_t(fused_.size())) {
        offset_ = int32_t(offset);
        for (int64_t k = 0; k < span; ++k)
            fused_[size_t(k)] = out_[std::clamp<int64_t>(k - offset, 0, 255)];
        for (int s = 0; s < 766; ++s) grey_[size_t(s)] = int32_t(tab.Grey[size_t(s)] + offset);
        mode_ = TMode::Saturation;
        return;
    }
    // Saturation far beyond anything the editor offers: clamp per channel.
    std::copy(tab.Grey.begin(), tab.Grey.begin() + 766, grey_.begin());
    mode_ = TMode::Clamped;
}

TAdjustPlan TAdjustPlan::ForColors(int brightness, int contrast, int saturation) {
    TAdjustPlan plan;
    plan.Build(brightness, contrast, saturation, nullptr);
    return plan;
}

TAdjustPlan TAdjustPlan::ForConversion(int brightness, int contrast, int saturation, int exposure) {
    TAdjustPlan plan;
    const bool colors = ColorPassRuns(brightness, contrast, saturation);
    const bool expo = ExposurePassRuns(exposure);
    if (colors) {
        const auto curve = BuildExposureTable(float(exposure));
        plan.Build(brightness, contrast, saturation, expo ? &curve : nullptr);
    } else if (expo) {
        plan.out_ = BuildExposureTable(float(exposure));
        plan.mode_ = TMode::Bytes;
    }
    return plan;
}

TAdjustPlan TAdjustPlan::ForPreview(int brightness, int contrast, int saturation, int exposure) {
    TAdjustPlan plan;
    if (ColorPassRuns(brightness, contrast, saturation) || ExposurePassRuns(exposure)) {
        const auto curve = BuildExposureTable(float(exposure));
        plan.Build(brightness, contrast, saturation, &curve);
    }
    return plan;
}

void TAdjustPlan::ApplyRows(uchar* bits, qsizetype stride, int width, int y0, int y1,
                            bool vector) const {
    if (mode_ == TMode::None || width <= 0 || y1 <= y0) return;
    const qsizetype rowBytes = qsizetype(width) * 3;
    // Rows without padding are one run.
    const bool oneRun = stride == rowBytes;
    const int runs = oneRun ? 1 : y1 - y0;
    const qsizetype runPixels = oneRun ? qsizetype(width) * (y1 - y0) : width;
    auto run = [&](int i) { return bits + (qsizetype(y0) + i) * stride; };

    if (mode_ == TMode::Bytes) {
        for (int i = 0; i < runs; ++i) MapRun(run(i), runPixels * 3, out_.data(), vector);
        return;
    }
#ifdef FW_HAVE_VBMI_PATH
    if (vector && saturation_ <= kVectorMaxSaturation && HasVbmi()) {
        ColorRunsVbmi(run(0), stride, runs, runPixels, saturation_, out_.data());
        return;
    }
#endif
    const uint16_t* sat = sat_.data();
    const int32_t* grey = grey_.data();
    if (mode_ == TMode::Saturation) {
        const uint8_t* f = fused_.data();
        for (int i = 0; i < runs; ++i) {
            uint8_t* p = run(i);
            for (qsizetype x = 0; x < runPixels; ++x, p += 3) {
                const unsigned a = p[0], b = p[1], c = p[2];
                const int32_t g = grey[a + b + c];
                p[0] = f[g + sat[a]];
                p[1] = f[g + sat[b]];
                p[2] = f[g + sat[c]];
            }
        }
        return;
    }
    for (int i = 0; i < runs; ++i) {
        uint8_t* p = run(i);
        for (qsizetype x = 0; x < runPixels; ++x, p += 3) {
            const int32_t g = grey[p[0] + p[1] + p[2]];
            for (int ch = 0; ch < 3; ++ch) p[ch] = out_[size_t(std::clamp(g + sat[p[ch]], 0, 255))];
        }
    }
}

void TAdjustPlan::Apply(QImage& frame, TBandWorkers* workers) const {
    if (mode_ == TMode::None) return;
    On24Bit(frame, [&](QImage& f) {
        // bits() once, here: it may detach, which no band may do.
        uchar* bits = f.bits();
        const qsizetype stride = f.bytesPerLine();
        const int w = f.width(), h = f.height();
        const int bands = workers && qsizetype(w) * h >= detail::kMinSplitPixels
                              ? std::min(workers->Bands(), h)
                              : 1;
        if (bands <= 1) {
            ApplyRows(bits, stride, w, 0, h);
            return;
        }
        workers->Run([&](int band) {
            if (band >= bands) return;
            ApplyRows(bits, stride, w, int(int64_t(h) * band / bands),
                      int(int64_t(h) * (band + 1) / bands));
        });
    });
}

TBandWorkers::TBandWorkers(int bands) {
    if (bands <= 0) bands = int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    bands_ = bands;
    threads_.reserve(size_t(bands - 1));
    for (int b = 1; b < bands; ++b) threads_.emplace_back([this, b] { Work(b); });
}

TBandWorkers::~TBandWorkers() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void TBandWorkers::Run(const std::function<void(int)>& job) {
    if (threads_.empty()) {
        job(0);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        job_ = &job;
        pending_ = int(threads_.size());
        ++generation_;
    }
    wake_.notify_all();
    job(0);
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return pending_ == 0; });
    job_ = nullptr;
}

void TBandWorkers::Work(int band) {
    uint64_t seen = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return quit_ || generation_ != seen; });
        if (quit_) return;
        seen = generation_;
        const std::function<void(int)>* job = job_;
        lock.unlock();
        (*job)(band);
        lock.lock();
        if (--pending_ == 0) done_.notify_one();
    }
}

TColorTables BuildColorTables(int brightness, int contrast, int saturation) {
    TColorTables t;
    if (contrast == 100) contrast = 99;
    // The negative branch uses 0.015708, a rounded pi/200, as it always has.
    const double f = contrast > 0 ? 1.0 / std::cos(contrast * 0.015707963267948966)
                                  : std::cos(contrast * 0.015708);
    for (int i = 0; i < 256; ++i) t.Contrast[i] = uint8_t(RoundEven((i - 170) * f + 170, 0, 255));
    for (int j = 0; j < 256; ++j) {
        const int64_t n = 256 - int64_t(brightness) + int64_t(brightness) * j;
        t.Level[j] = t.Contrast[std::clamp<int64_t>(n / 256, 0, 255)];  // truncation toward zero
    }
    // Saturation is kept where its scaled levels fit the 16-bit table.
    const uint32_t sat = uint32_t(std::clamp(saturation, 0, 65535));
    for (int m = 0; m < 256; ++m) t.Saturation[m] = uint16_t((uint32_t(m + 1) * sat) >> 8);
    for (int k = 0; k < 768; ++k) t.Grey[k] = int32_t(k / 3) - int32_t(t.Saturation[k / 3]);
    return t;
}

std::array<uint8_t, 256> BuildExposureTable(float exposure) {
    std::array<uint8_t, 256> t{};
    const double x = exposure;
    for (int i = 0; i < 256; ++i) {
        const double tv = std::exp((i / -128.0) * (x / 128.0));
        // Far out of range the curve saturates; the clamp keeps e a defined
        // integer and does not change the clamped result.
        const int64_t e = RoundEven((1.0 - tv) * 256.0, -1e15, 1e15);
        // e * (255 - i) >> 8 is the floor of the division for either sign.
        const int64_t v = x >= 0 ? i + ((e * (255 - i)) >> 8) : i - (((-e) * (255 - i)) >> 8);
        t[i] = uint8_t(std::clamp<int64_t>(v, 0, 255));
    }
    return t;
}

bool ColorPassRuns(int brightness, int contrast, int saturation) {
    return brightness != kNeutralBrightness || contrast != kNeutralContrast ||
           saturation != kNeutralSaturation;
}

void AdjustColors(QImage& frame, int brightness, int contrast, int saturation) {
    TAdjustPlan::ForColors(brightness, contrast, saturation).Apply(frame);
}

namespace detail {
void MapChannelBytes(QImage& frame, const std::array<uint8_t, 256>& table, bool vector) {
    On24Bit(frame, [&](QImage& f) { MapBytes(f, table, vector); });
}
}  // namespace detail

void AdjustExposure(QImage& frame, float exposure) {
    const auto table = BuildExposureTable(exposure);
    On24Bit(frame, [&](QImage& f) { MapBytes(f, table); });
}

void ApplyConversionAdjustments(QImage& frame, int brightness, int contrast, int saturation,
                                int exposure) {
    TAdjustPlan::ForConversion(brightness, contrast, saturation, exposure).Apply(frame);
}

void ApplyPreviewAdjustments(QImage& frame, int brightness, int contrast, int saturation,
                             int exposure) {
    TAdjustPlan::ForPreview(brightness, contrast, saturation, exposure).Apply(frame);
}

}  // namespace fw::effects
