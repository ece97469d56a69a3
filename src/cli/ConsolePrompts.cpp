#include "cli/ConsolePrompts.h"

#include <cstdio>

namespace fw::cli {

MsgResult ConsolePrompts::MessageBox(const QString& caption, const QString& text, MsgIcon,
                                     MsgButtons buttons) {
    const bool question = buttons == MsgButtons::YesNo;
    std::fprintf(stderr, "%s: %s%s\n", qPrintable(caption), qPrintable(text),
                 question ? " [answered Yes]" : "");
    return question ? MsgResult::Yes : MsgResult::Ok;
}

}  // namespace fw::cli
