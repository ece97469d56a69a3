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

// Every channel byte v becomes table[v]. Without the vector path, eight bytes
// are read and written at a time and the lookups are plain byte loads.
void MapBytes(QImage& frame, const std::array<uint8_t, 256>& table, bool vector = true) {
    const uint8_t* t = table.data();
    const qsizetype rowBytes = qsizetype(frame.width()) * 3;
    const qsizetype stride = frame.bytesPerLine();
    uchar* bits = frame.bits();
    // Rows without padding are one run.
    const int runs = stride == rowBytes ? 1 : frame.height();
    const qsizetype runBytes = stride == rowBytes ? rowBytes * frame.height() : rowBytes;
    for (int y = 0; y < runs; ++y) {
        uint8_t* p = bits + qsizetype(y) * stride;
        qsizetype n = runBytes;
#ifdef FW_HAVE_VBMI_PATH
        if (vector && HasVbmi()) {
            MapRunVbmi(p, n, t);
            continue;
        }
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
}

// The colour pass with an optional curve applied to its result (the exposure
// table when both passes run). The clamp of G[s] + S[v] to 0..255 and the two
// lookups L and curve are folded into one table indexed by G[s] + S[v] + offset.
void ColorPass(QImage& frame, const TColorTables& tab, const std::array<uint8_t, 256>* curve) {
    std::array<uint8_t, 256> out{};
    for (int w = 0; w < 256; ++w) out[w] = curve ? (*curve)[tab.Level[w]] : tab.Level[w];

    const auto [gMin, gMax] = std::minmax_element(tab.Grey.begin(), tab.Grey.begin() + 766);
    const int32_t sMax = *std::max_element(tab.Saturation.begin(), tab.Saturation.end());
    const int32_t sMin = *std::min_element(tab.Saturation.begin(), tab.Saturation.end());

    if (*gMin == *gMax) {
        // Saturation 255 or 256: the grey term is the same for every pixel, so
        // each channel maps on its own through one byte table.
        std::array<uint8_t, 256> direct{};
        for (int v = 0; v < 256; ++v)
            direct[v] = out[std::clamp(*gMin + tab.Saturation[v], 0, 255)];
        MapBytes(frame, direct);
        return;
    }

    constexpr int kFusedSize = 4096;
    const int64_t offset = -(int64_t(*gMin) + sMin);
    const int64_t span = int64_t(*gMax) + sMax + offset + 1;
    const int width = frame.width();
    const qsizetype stride = frame.bytesPerLine();
    uchar* bits = frame.bits();
    if (span <= kFusedSize) {
        std::array<uint8_t, kFusedSize> fused{};
        for (int64_t k = 0; k < span; ++k) fused[k] = out[std::clamp<int64_t>(k - offset, 0, 255)];
        std::array<int32_t, 766> grey{};
        for (int s = 0; s < 766; ++s) grey[s] = int32_t(tab.Grey[s] + offset);
        const uint16_t* sat = tab.Saturation.data();
        const uint8_t* f = fused.data();
        for (int y = 0; y < frame.height(); ++y) {
            uint8_t* p = bits + qsizetype(y) * stride;
            for (int x = 0; x < width; ++x, p += 3) {
                const unsigned a = p[0], b = p[1], c = p[2];
                const int32_t g = grey[a + b + c];
                p[0] = f[g + sat[a]];
                p[1] = f[g + sat[b]];
                p[2] = f[g + sat[c]];
            }
        }
        return;
    }
    // Saturation far beyond anything the editor offers: clamp per channel.
    for (int y = 0; y < frame.height(); ++y) {
        uint8_t* p = bits + qsizetype(y) * stride;
        for (int x = 0; x < width; ++x, p += 3) {
            const int32_t g = tab.Grey[p[0] + p[1] + p[2]];
            for (int ch = 0; ch < 3; ++ch)
                p[ch] = out[std::clamp(g + tab.Saturation[p[ch]], 0, 255)];
        }
    }
}

}  // namespace

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
    const TColorTables tab = BuildColorTables(brightness, contrast, saturation);
    On24Bit(frame, [&](QImage& f) { ColorPass(f, tab, nullptr); });
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

namespace {
void BothPasses(QImage& frame, int brightness, int contrast, int saturation, int exposure) {
    const TColorTables tab = BuildColorTables(brightness, contrast, saturation);
    const auto curve = BuildExposureTable(float(exposure));
    On24Bit(frame, [&](QImage& f) { ColorPass(f, tab, &curve); });
}
}  // namespace

void ApplyConversionAdjustments(QImage& frame, int brightness, int contrast, int saturation,
                                int exposure) {
    const bool colors = ColorPassRuns(brightness, contrast, saturation);
    const bool expo = ExposurePassRuns(exposure);
    if (colors && expo)
        BothPasses(frame, brightness, contrast, saturation, exposure);
    else if (colors)
        AdjustColors(frame, brightness, contrast, saturation);
    else if (expo)
        AdjustExposure(frame, float(exposure));
}

void ApplyPreviewAdjustments(QImage& frame, int brightness, int contrast, int saturation,
                             int exposure) {
    if (ColorPassRuns(brightness, contrast, saturation) || ExposurePassRuns(exposure))
        BothPasses(frame, brightness, contrast, saturation, exposure);
}

}  // namespace fw::effects
