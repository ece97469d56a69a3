// The prompts service with real Qt dialogs: message boxes, the open-file
// dialog and the folder chooser, parented to the active window.
#pragma once

#include "platform/Prompts.h"

#include <memory>

namespace fw {

class TfmDirectory;

class TQtPrompts : public IPrompts {
  public:
    TQtPrompts();
    ~TQtPrompts() override;

    MsgResult MessageBox(const QString& caption, const QString& text, MsgIcon icon,
                         MsgButtons buttons) override;
    QStringList OpenFiles(const QString& filter) override;
    QString ChooseFolder(const QString& start) override;

  private:
    std::unique_ptr<TfmDirectory> directory_;  // created on first use, kept
};

}  // namespace fw
