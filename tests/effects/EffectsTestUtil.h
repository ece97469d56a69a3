// Small picture helpers for the effects tests.
#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <random>

namespace fw::effects::test {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

inline QImage Filled(int w, int h, Rgb c, QImage::Format f = QImage::Format_BGR888) {
    QImage img(w, h, f);
    img.fill(QColor(c.r, c.g, c.b));
    return img;
}

// Every byte random (the padding of each row too, so nothing depends on it).
inline QImage Noise(int w, int h, uint32_t seed, QImage::Format f = QImage::Format_BGR888) {
    QImage img(w, h, f);
    std::mt19937 gen(seed);
    for (qsizetype i = 0; i < img.sizeInBytes(); ++i) img.bits()[i] = uchar(gen());
    if (f == QImage::Format_RGB32)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) img.setPixel(x, y, img.pixel(x, y) | 0xff000000u);
    return img;
}

inline Rgb At(const QImage& img, int x, int y) {
    const QRgb p = img.pixel(x, y);
    return {qRed(p), qGreen(p), qBlue(p)};
}

// Whether the visible pixels (not the row padding) of two frames are equal.
inline bool SamePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return false;
    const QImage x = a.convertToFormat(QImage::Format_BGR888);
    const QImage y = b.convertToFormat(QImage::Format_BGR888);
    for (int r = 0; r < x.height(); ++r)
        if (memcmp(x.constScanLine(r), y.constScanLine(r), size_t(x.width()) * 3) != 0)
            return false;
    return true;
}

inline void PrintTo(const Rgb& c, std::ostream* os) {
    *os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

}  // namespace fw::effects::test
