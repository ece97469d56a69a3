// Picture adjustments (brightness, contrast, saturation, exposure) applied in
// place to decoded frames, by the conversion's per-frame hook and by the
// effects editor's preview.
#pragma once

#include <QImage>

#include <array>
#include <cstdint>

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

// Whether the conversion runs the colour pass, the exposure pass.
bool ColorPassRuns(int brightness, int contrast, int saturation);
inline bool ExposurePassRuns(int exposure) {
    return exposure != 0;
}

namespace detail {
// The per-byte table pass; vector = false forces the portable loop that
// machines without the vector instructions run (tests compare the two).
void MapChannelBytes(QImage& frame, const std::array<uint8_t, 256>& table, bool vector);
}  // namespace detail

}  // namespace fw::effects
