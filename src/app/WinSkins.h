// Turning a colour theme into the look of every window: the Fusion style with
// a palette built from the theme's colour table, applied application-wide so
// that each secondary window shows the main window's current theme.
#pragma once

#include "app/Skins.h"

#include <QColor>
#include <QPalette>

namespace fw {

inline QColor ToColor(TRgb c) {
    return QColor(c.r, c.g, c.b);
}

// The palette of a theme; the style's standard palette for no theme.
QPalette SkinPalette(int skinIndex);

// Applies the theme to the whole application (style and palette). A value
// outside 0..6 leaves the current look as it is.
void ApplySkin(int skinIndex);

}  // namespace fw
