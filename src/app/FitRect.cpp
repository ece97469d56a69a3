#include "app/FitRect.h"

#include <cmath>

namespace fw {

QRect FitRect(QSize source, QRect destination) {
    if (source.width() <= 0 || source.height() <= 0 || destination.width() <= 0 ||
        destination.height() <= 0)
        return destination;
    const double a = double(source.width()) / destination.width();
    const double b = double(source.height()) / destination.height();
    if (a >= b) {
        const int c = int(std::nearbyint((destination.height() - source.height() / a) / 2.0));
        return QRect(destination.left(), destination.top() + c, destination.width(),
                     destination.height() - 2 * c);
    }
    const int c = int(std::nearbyint((destination.width() - source.width() / b) / 2.0));
    return QRect(destination.left() + c, destination.top(), destination.width() - 2 * c,
                 destination.height());
}

}  // namespace fw
