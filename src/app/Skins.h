// The seven colour themes the user picks from the Tools menu, as plain colour
// tables (the windows turn them into palettes), and the tint of the task
// list's odd rows under each theme.
#pragma once

#include <QString>

#include <array>

namespace fw {

struct TRgb {
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const TRgb&, const TRgb&) = default;
};

struct TSkinTheme {
    const char* MenuItem;  // object name of its Skin menu item ("Skin11")
    const char* Caption;   // "Default", "Gray", ...
    TRgb Window;           // window and dialog background
    TRgb Button;           // buttons, menu bar, group box frames
    TRgb Accent;           // selection, progress bar, group box titles
    TRgb AccentText;       // text over the accent colour
    TRgb Frame;            // borders of inputs and groups
    TRgb OddRowTint;       // background of the task list's odd rows
};

inline constexpr int kSkinCount = 7;

const std::array<TSkinTheme, kSkinCount>& SkinThemes();

// The theme that "skinIndex" value selects; nullptr outside 0..6 (no theme).
const TSkinTheme* SkinOfIndex(int skinIndex);

// The tint of odd task-list rows under a theme; rows under no theme get a
// neutral grey.
TRgb OddRowTint(int skinIndex);

// "skinIndex" of section "settings" (default 0), read afresh at every call.
int ReadSkinIndex();
bool WriteSkinIndex(int skinIndex);

}  // namespace fw
