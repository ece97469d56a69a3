#include "effects/WaterMark.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace fw::effects {

namespace {

// One row of the blend: dst = ((256 - a) * dst + a * src) >> 8 per byte. The
// 16-bit products stay below 65536 (256 * 255), so the vector form is exact.
void BlendRow(uint8_t* dst, const uint8_t* src, qsizetype n, int a) {
    const unsigned wa = unsigned(a), wd = 256u - unsigned(a);
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i va = _mm_set1_epi16(short(wa));
    const __m128i vd = _mm_set1_epi16(short(wd));
    for (; i + 16 <= n; i += 16) {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i lo =
            _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), vd),
                                         _mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), va)),
                           8);
        const __m128i hi =
            _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), vd),
                                         _mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), va)),
                           8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; i < n; ++i) dst[i] = uint8_t((wd * dst[i] + wa * src[i]) >> 8);
}

}  // namespace

int ToPixelSize(int points) {
    const int64_t px = (int64_t(std::clamp(points, 1, 10000)) * 96 + 36) / 72;
    return int(std::clamp<int64_t>(px, 1, 4000));
}

QFont ToQFont(const TWmFont& f) {
    QFont font(f.Name);
    font.setPixelSize(ToPixelSize(f.Size));
    font.setBold(f.Style & kBold);
    font.setItalic(f.Style & kItalic);
    font.setUnderline(f.Style & kUnderline);
    font.setStrikeOut(f.Style & kStrikeOut);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

namespace {
constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
}

QSize MeasureText(const TWmRec& item) {
    const QSize s = QFontMetrics(ToQFont(item.Font)).size(kTextFlags, item.Text);
    return QSize(std::max(1, s.width()), std::max(1, s.height()));
}

void BlendBitmap(QImage& frame, const QImage& source, int x, int y, int a) {
    if (frame.isNull() || source.isNull()) return;
    if (frame.format() != QImage::Format_BGR888 && frame.format() != QImage::Format_RGB888) {
        const QImage::Format original = frame.format();
        QImage copy = frame.convertToFormat(QImage::Format_BGR888);
        BlendBitmap(copy, source, x, y, a);
        frame = copy.convertToFormat(original);
        return;
    }
    if (source.format() != frame.format()) {
        BlendBitmap(frame, source.convertToFormat(frame.format()), x, y, a);
        return;
    }
    a = std::clamp(a, 0, 255);
    // Visible part of the source, in source coordinates; 64-bit so that no
    // position can overflow.
    const int64_t c0 = std::max<int64_t>(0, -int64_t(x));
    const int64_t r0 = std::max<int64_t>(0, -int64_t(y));
    const int64_t c1 = std::min<int64_t>(source.width(), int64_t(frame.width()) - x);
    const int64_t r1 = std::min<int64_t>(source.height(), int64_t(frame.height()) - y);
    if (c1 <= c0 || r1 <= r0 || a == 0) return;
    const qsizetype n = qsizetype(c1 - c0) * 3;
    for (int64_t r = r0; r < r1; ++r) {
        uint8_t* dst = frame.scanLine(int(y + r)) + (x + c0) * 3;
        const uint8_t* src = source.constScanLine(int(r)) + c0 * 3;
        BlendRow(dst, src, n, a);
    }
}

void DrawTextItem(QImage& frame, const TWmRec& item) {
    if (item.Text.isEmpty() || item.TextWidth <= 0 || item.TextHeight <= 0 || frame.isNull())
        return;
    const int64_t left = std::max<int64_t>(item.TextLeft, 0);
    const int64_t top = std::max<int64_t>(item.TextTop, 0);
    const int64_t right = std::min<int64_t>(int64_t(item.TextLeft) + item.TextWidth, frame.width());
    const int64_t bottom =
        std::min<int64_t>(int64_t(item.TextTop) + item.TextHeight, frame.height());
    if (right <= left || bottom <= top) return;
    const QRect visible(int(left), int(top), int(right - left), int(bottom - top));

    // Only the visible part of the box is rasterised; the text keeps its
    // place relative to the box's corner.
    QImage box;
    if (item.HasBackground) {
        box = QImage(visible.size(), QImage::Format_RGB32);
        box.fill(QColor::fromRgb(item.BackColor));
    } else {
        // The frame as it is now (after the adjustments and the earlier items).
        box = frame.copy(visible).convertToFormat(QImage::Format_RGB32);
    }
    if (box.isNull()) return;
    {
        QPainter painter(&box);
        painter.setFont(ToQFont(item.Font));
        painter.setPen(QColor::fromRgb(item.Font.Color));
        painter.setBackgroundMode(Qt::TransparentMode);
        const QRect textBox(int(item.TextLeft - left), int(item.TextTop - top), item.TextWidth,
                            item.TextHeight);
        painter.setClipRect(textBox);
        painter.drawText(textBox, kTextFlags, item.Text);
    }
    BlendBitmap(frame, box, visible.x(), visible.y(), item.TextOpacity);
}

}  // namespace fw::effects
