// The picture adjustment and watermark options that convert, options and
// snapshot share. They are order-dependent (each item collects the options
// that follow it), so they are taken out of the arguments before CLI11 parses
// the rest.
#pragma once

#include "effects/FrameHook.h"

#include <QString>

#include <string>
#include <vector>

namespace fw::cli {

// Removes every effect option (and its value) from args, in order, and fills
// *fx: --brightness N, --contrast N, --saturation N, --exposure N; --text TEXT
// and --image FILE.bmp each start an item, and --pos X,Y, --opacity A,
// --seconds FROM,TO (TO may be "end"), --font FACE, --font-size PT, --bold,
// --italic, --underline, --strikeout, --color RRGGBB, --background RRGGBB
// apply to the item before them. Both "--opt value" and "--opt=value" are
// understood; nothing after "--" is touched. Text boxes get the measured size
// of their text; pictures must load as BMP. False with a message on a usage
// error (args and *fx are then unspecified). *given tells whether any effect
// option was present.
bool TakeEffectOptions(std::vector<std::string>& args, effects::TFrameEffects* fx, QString* error,
                       bool* given = nullptr);

// "Field=value" lines of the fields that differ from a new task's.
using effects::DescribeEffects;

// Help text listing the effect options, for the commands' --help footers.
const char* EffectOptionsHelp();

}  // namespace fw::cli
