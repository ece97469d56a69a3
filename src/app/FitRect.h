// The largest rectangle of a source size's aspect ratio centred in a
// destination rectangle (the progress preview and the crop editor).
#pragma once

#include <QRect>
#include <QSize>

namespace fw {

// Spans the destination's full width (or height) and takes equal margins off
// the other two sides, rounded to the nearest integer with halves to even. An
// empty source or destination gives the destination unchanged.
QRect FitRect(QSize source, QRect destination);

}  // namespace fw
