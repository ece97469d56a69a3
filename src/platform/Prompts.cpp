#include "platform/Prompts.h"

namespace fw {

IPrompts::~IPrompts() = default;

MsgResult ScriptedPrompts::MessageBox(const QString& caption, const QString& text, MsgIcon icon,
                                      MsgButtons buttons) {
    messages.append({caption, text, icon, buttons});
    if (!answers.empty()) {
        MsgResult a = answers.front();
        answers.pop_front();
        return a;
    }
    return buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::Ok;
}

QStringList ScriptedPrompts::OpenFiles(const QString& filter) {
    openFilters.append(filter);
    if (fileAnswers.empty()) return {};
    QStringList f = fileAnswers.front();
    fileAnswers.pop_front();
    return f;
}

QString ScriptedPrompts::ChooseFolder(const QString& start) {
    folderStarts.append(start);
    if (folders.empty()) return {};
    QString f = folders.front();
    folders.pop_front();
    return f;
}

}  // namespace fw
