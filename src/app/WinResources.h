// The pictures compiled into the window library (icons, glyphs). A static
// library's resources must be registered explicitly.
#pragma once

namespace fw {

void InitWindowResources();

}  // namespace fw
