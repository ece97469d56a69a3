#include "app/WinPrompts.h"

#include "editors/directory.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace fw {

TQtPrompts::TQtPrompts() = default;
TQtPrompts::~TQtPrompts() = default;

MsgResult TQtPrompts::MessageBox(const QString& caption, const QString& text, MsgIcon icon,
                                 MsgButtons buttons) {
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
        case MsgIcon::Information:
            qicon = QMessageBox::Information;
            break;
        case MsgIcon::Warning:
        case MsgIcon::Exclamation:
            qicon = QMessageBox::Warning;
            break;
        case MsgIcon::Question:
            qicon = QMessageBox::Question;
            break;
        case MsgIcon::Error:
            qicon = QMessageBox::Critical;
            break;
        case MsgIcon::None:
            break;
    }
    const auto qbuttons =
        buttons == MsgButtons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok;
    QMessageBox box(qicon, caption, text, qbuttons, QApplication::activeWindow());
    const int answer = box.exec();
    if (buttons == MsgButtons::Ok) return MsgResult::Ok;
    return answer == QMessageBox::Yes ? MsgResult::Yes : MsgResult::No;
}

QStringList TQtPrompts::OpenFiles(const QString& filter) {
    return QFileDialog::getOpenFileNames(QApplication::activeWindow(), "Open", QString(), filter);
}

QString TQtPrompts::ChooseFolder(const QString& start) {
    if (!directory_) directory_ = std::make_unique<TfmDirectory>(*this);
    return directory_->Choose(start);
}

}  // namespace fw
