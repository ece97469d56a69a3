#include "app/WinErrorHandler.h"

#include "app/ErrorText.h"
#include "engine/FFmpegException.h"
#include "platform/Prompts.h"

namespace fw {

void ShowApplicationError(std::exception_ptr error, IPrompts& prompts) {
    const QString title = QApplication::applicationDisplayName();
    try {
        std::rethrow_exception(error);
    } catch (const engine::FFmpegException& e) {
        prompts.MessageBox(title, ApplicationErrorText(QString::fromUtf8(e.what())),
                           MsgIcon::Exclamation, MsgButtons::Ok);
    } catch (const std::exception& e) {
        prompts.MessageBox(title, ApplicationErrorText(QString::fromUtf8(e.what())), MsgIcon::Error,
                           MsgButtons::Ok);
    } catch (...) {
        prompts.MessageBox(title, ApplicationErrorText("Unknown error"), MsgIcon::Error,
                           MsgButtons::Ok);
    }
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (!HandleError(std::current_exception())) throw;
        return false;
    }
}

bool TApplication::HandleError(std::exception_ptr error) {
    if (!prompts_) return false;
    ShowApplicationError(error, *prompts_);
    return true;
}

bool InstallApplicationErrorHandler(IPrompts* prompts) {
    auto* app = qobject_cast<TApplication*>(QCoreApplication::instance());
    if (!app) return false;
    app->SetErrorPrompts(prompts);
    return true;
}

void RunGuarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        auto* app = qobject_cast<TApplication*>(QCoreApplication::instance());
        if (!app || !app->HandleError(std::current_exception())) throw;
    }
}

}  // namespace fw
