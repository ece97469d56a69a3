// The application-wide error handler: an error that escapes an event handler
// of any window is shown in a message box with the application title, and the
// program goes on.
#pragma once

#include <QApplication>

#include <exception>
#include <functional>

namespace fw {

class IPrompts;

// Shows the error: an engine error with an exclamation icon, any other with an
// error icon; the text gets a full stop when it does not end in punctuation.
void ShowApplicationError(std::exception_ptr error, IPrompts& prompts);

// The application object of the windowed program (and of the window tests):
// it hands every error that escapes event delivery to the installed handler.
class TApplication : public QApplication {
    Q_OBJECT

  public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The main window installs its prompts service when it is created and
    // removes it when it is destroyed.
    void SetErrorPrompts(IPrompts* prompts) { prompts_ = prompts; }
    IPrompts* ErrorPrompts() const { return prompts_; }

    // Shows the error with the installed handler; false when none is installed.
    bool HandleError(std::exception_ptr error);

  private:
    IPrompts* prompts_ = nullptr;
};

// Installs the handler on the running TApplication; false when the running
// application is not one.
bool InstallApplicationErrorHandler(IPrompts* prompts);

// Runs an event handler; an error escaping it goes to the application-wide
// handler (or on up when none is installed).
void RunGuarded(const std::function<void()>& handler);

}  // namespace fw
