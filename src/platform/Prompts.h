// The prompts service: message boxes and the open-file and folder dialogs.
// The program uses real Qt dialogs; tests use ScriptedPrompts, which records
// every message and answers as told.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>

namespace fw {

enum class MsgIcon { None, Information, Warning, Question, Error, Exclamation };
enum class MsgButtons { Ok, YesNo };
enum class MsgResult { Ok, Yes, No, Cancel };

class IPrompts {
  public:
    virtual ~IPrompts();
    virtual MsgResult MessageBox(const QString& caption, const QString& text, MsgIcon icon,
                                 MsgButtons buttons) = 0;
    // Files chosen in an open dialog (each existing); empty when cancelled.
    virtual QStringList OpenFiles(const QString& filter) = 0;
    // The folder chosen, or empty when cancelled.
    virtual QString ChooseFolder(const QString& start) = 0;
};

class ScriptedPrompts : public IPrompts {
  public:
    struct Message {
        QString caption;
        QString text;
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgButtons::Ok;
    };

    MsgResult MessageBox(const QString& caption, const QString& text, MsgIcon icon,
                         MsgButtons buttons) override;
    QStringList OpenFiles(const QString& filter) override;
    QString ChooseFolder(const QString& start) override;

    // Answers used in order; when a queue is empty the answer is Yes for a
    // Yes/No box and Ok for an OK box, no files and no folder.
    void PushAnswer(MsgResult answer) { answers.push_back(answer); }
    void PushFiles(const QStringList& files) { fileAnswers.push_back(files); }
    void PushFolder(const QString& folder) { folders.push_back(folder); }

    QList<Message> messages;   // every message box shown, in order
    QStringList openFilters;   // the filter of every open-file dialog
    QStringList folderStarts;  // the start folder of every folder dialog
    std::deque<MsgResult> answers;
    std::deque<QStringList> fileAnswers;
    std::deque<QString> folders;
};

}  // namespace fw
