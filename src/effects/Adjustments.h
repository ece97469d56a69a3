// Picture adjustments (brightness, contrast, saturation, exposure) applied in
// place to decoded frames, by the conversion's per-frame hook and by the
// effects editor's preview.
#pragma once

#include <QImage>

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace fw::effects {

// Neutral values as a new task holds them; 256 (not 255) is the exact identity
// of brightness and saturation, but 255 is what counts as "unchanged".
inline constexpr int kNeutralBrightness = 255;
inline constexpr int kNeutralContrast = 0;
inline constexpr int kNeutralSaturation = 255;
inline constexpr int kNeutralExposure = 0;

// The tables of the colour pass. Built anew for every frame from the three
// values; exposed so tests can check single entries.
struct TColorTables {
    std::array<uint8_t, 256> Contrast{};     // C: contrast curve around level 170
    std::array<uint8_t, 256> Level{};        // L: brightness, then the contrast curve
    std::array<uint16_t, 256> Saturation{};  // S: scaled level
    std::array<int32_t, 768> Grey{};         // G: grey level minus its scaled level, by channel sum
};
TColorTables BuildColorTables(int brightness, int contrast, int saturation);

// The exposure tone curve T.
std::array<uint8_t, 256> BuildExposureTable(float exposure);

// Brightness, contrast and saturation in one pass. Frames are 24-bit
// (Format_BGR888 or Format_RGB888: every channel goes through the same tables,
// so the byte order does not matter); other formats are converted for the pass
// and back.
void AdjustColors(QImage& frame, int brightness, int contrast, int saturation);
// The exposure curve on every channel byte.
void AdjustExposure(QImage& frame, float exposure);

// Conversion rule: the colour pass only when brightness, contrast or
// saturation is off-neutral, the exposure pass only when exposure is not 0;
// when both run they are fused into one pass with the same result.
void ApplyConversionAdjustments(QImage& frame, int brightness, int contrast, int saturation,
                                int exposure);
// Editor preview rule: when any value is off-neutral, both passes run (the
// colour pass also at 255/0/255, the exposure pass also at 0); otherwise the
// frame is left alone. With only exposure set this can be one level darker
// than the converted output, which is what the editor has always shown.
void ApplyPreviewAdjustments(QImage& frame, int brightness, int contrast, int saturation,
                             int exposure);

class TBandWorkers;

// The adjustments of one set of values with all their tables built, so that a
// run of frames with the same values builds them once and a frame can be
// worked on in bands of rows at the same time. The result is the same, byte
// for byte, as the passes above.
class TAdjustPlan {
  public:
    // The colour pass alone, whatever the values (see AdjustColors).
    static TAdjustPlan ForColors(int brightness, int contrast, int saturation);
    // The conversion's rule (see ApplyConversionAdjustments).
    static TAdjustPlan ForConversion(int brightness, int contrast, int saturation, int exposure);
    // The preview's rule (see ApplyPreviewAdjustments).
    static TAdjustPlan ForPreview(int brightness, int contrast, int saturation, int exposure);

    bool Changes() const { return mode_ != TMode::None; }
    // The whole frame, split into bands over the workers when it is large
    // enough to gain from it (workers may be null).
    void Apply(QImage& frame, TBandWorkers* workers = nullptr) const;
    // Rows [y0, y1) of a 24-bit frame; vector = false forces the portable loop.
    void ApplyRows(uchar* bits, qsizetype stride, int width, int y0, int y1,
                   bool vector = true) const;

  private:
    enum class TMode { None, Bytes, Saturation, Clamped };
    void Build(int brightness, int contrast, int saturation, const std::array<uint8_t, 256>* curve);

    TMode mode_ = TMode::None;
    int saturation_ = 0;
    int32_t offset_ = 0;                 // added to G[s] + S[v] to index fused_
    std::array<uint8_t, 256> out_{};     // L, then the exposure curve when both run
    std::array<uint16_t, 256> sat_{};    // S
    std::array<int32_t, 766> grey_{};    // G + offset (Saturation), G (Clamped)
    std::array<uint8_t, 4096> fused_{};  // clamp, L and curve by G[s] + S[v] + offset
};

// A few threads kept for the life of their owner (not started per frame) that
// work on bands of one job alongside the calling thread.
class TBandWorkers {
  public:
    // bands: how many bands a job is split into, the caller's one included;
    // 0 picks one per processor core, up to four.
    explicit TBandWorkers(int bands = 0);
    ~TBandWorkers();
    TBandWorkers(const TBandWorkers&) = delete;
    TBandWorkers& operator=(const TBandWorkers&) = delete;

    int Bands() const { return bands_; }
    // Runs job(band) for every band, band 0 on the calling thread; returns
    // when all of them are done. job must not throw.
    void Run(const std::function<void(int)>& job);

  private:
    void Work(int band);

    int bands_ = 1;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    const std::function<void(int)>* job_ = nullptr;
    uint64_t generation_ = 0;
    int pending_ = 0;
    bool quit_ = false;
    std::vector<std::thread> threads_;
};

// Whether the conversion runs the colour pass, the exposure pass.
bool ColorPassRuns(int brightness, int contrast, int saturation);
inline bool ExposurePassRuns(int exposure) {
    return exposure != 0;
}

namespace detail {
// The per-byte table pass; vector = false forces the portable loop that
// machines without the vector instructions run (tests compare the two).
void MapChannelBytes(QImage& frame, const std::array<uint8_t, 256>& table, bool vector);
// Smallest frame, in pixels, that Apply() splits into bands.
inline constexpr qsizetype kMinSplitPixels = 64 * 1024;
}  // namespace detail

}  // namespace fw::effects
