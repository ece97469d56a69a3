// The one look shared by the owner-drawn lists and combo boxes: the focused
// row is filled with a light blue and framed with a darker one.
#pragma once

#include <QColor>

namespace fw {

inline const QColor kFocusRowFill(185, 204, 236);
inline const QColor kFocusRowFrame(122, 160, 218);

}  // namespace fw
