// The prompts service of the command line: nobody is there to answer, so every
// message goes to standard error and every question takes its default answer
// (Yes / Ok). Dialogs that choose files or folders return nothing.
#pragma once

#include "platform/Prompts.h"

namespace fw::cli {

class ConsolePrompts : public IPrompts {
public:
    MsgResult MessageBox(const QString& caption, const QString& text, MsgIcon icon,
                         MsgButtons buttons) override;
    QStringList OpenFiles(const QString&) override { return {}; }
    QString ChooseFolder(const QString&) override { return {}; }
};

}  // namespace fw::cli
