// Watermark items (texts and pictures drawn into the frames within a range of
// seconds) and the blend routine that puts them into a frame.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <limits>

namespace fw::effects {

// Style bits of TWmFont::Style.
enum TWmFontStyle : quint8 { kBold = 1, kItalic = 2, kUnderline = 4, kStrikeOut = 8 };

// The font of a text item. Size is in points; text is rasterised at 96 dots
// per inch, so a size of P points is drawn ToPixelSize(P) pixels high (em size).
struct TWmFont {
    QString Name = QStringLiteral("DejaVu Sans");
    int Size = 26;
    quint8 Style = 0;
    QRgb Color = qRgb(0, 0, 255);  // blue

    bool operator==(const TWmFont&) const = default;
};

// "Up to the end of the source": the largest second a range can name.
inline constexpr int32_t kEndOfSource = std::numeric_limits<int32_t>::max();

enum TWmKind : int32_t { kTextItem = 0, kImageItem = 1 };

// One watermark item. Only the fields of the item's own kind matter; the others
// may hold values from an earlier kind of the same slot. Positions and sizes
// are pixels of the decoded source frame; seconds are whole seconds of the
// source, both bounds inclusive.
class TWmRec {
  public:
    QString Text;
    TWmFont Font;
    int32_t TextLeft = 0;
    int32_t TextTop = 0;
    int32_t TextWidth = 0;
    int32_t TextHeight = 0;
    int32_t TextOpacity = 125;
    QRgb BackColor = qRgb(0, 128, 0);  // green
    bool HasBackground = false;
    QString ImageFile;  // a BMP picture
    int32_t ImageLeft = 0;
    int32_t ImageTop = 0;
    int32_t ImageWidth = 0;  // the editor's rectangle; the picture is drawn at its own size
    int32_t ImageHeight = 0;
    int32_t ImageOpacity = 125;
    int32_t Kind = kTextItem;
    int32_t StartSecond = 0;
    int32_t EndSecond = kEndOfSource;

    bool operator==(const TWmRec&) const = default;
};

// Points to pixels at 96 dpi (rounded, halves up).
int ToPixelSize(int points);
// The Qt font for an item's font: face, pixel size from the point size, style bits.
QFont ToQFont(const TWmFont& font);
// Size of the item's text drawn in one line in its font: the box the editor
// gives a new or re-rendered text item. The drawing below uses the same
// layout, so a box of this size holds the whole text.
QSize MeasureText(const TWmRec& item);

// Blends source into frame with its top-left corner at (x, y):
// frame = ((256 - a) * frame + a * source) >> 8 per channel, a clamped to
// 0..255, so a = 0 leaves the frame exactly as it was and a = 255 keeps
// 1/256 of it. Only the part of the source inside the frame is read and
// written. frame is 24-bit (BGR888 or RGB888); source may be any format.
void BlendBitmap(QImage& frame, const QImage& source, int x, int y, int a);

// Draws a text item into the frame: the box (TextLeft, TextTop, TextWidth,
// TextHeight) filled with BackColor or, when transparent, holding the frame's
// own pixels; the text from the box's top-left corner at its natural size;
// then the box blended with TextOpacity. Pixels of a transparent box that no
// glyph touches come out unchanged. Only the visible part of the box is
// rasterised.
void DrawTextItem(QImage& frame, const TWmRec& item);

}  // namespace fw::effects
