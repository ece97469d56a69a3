// The windowed program's entry point: the splash window, the application
// title, the main window (with any files named on the command line added as
// "&Add" adds them) and the message loop.
#include "app/WinCover.h"
#include "app/WinErrorHandler.h"
#include "app/WinMain.h"
#include "app/WinPrompts.h"
#include "app/WinResources.h"
#include "platform/PowerOff.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>

int main(int argc, char** argv) {
    fw::TApplication app(argc, argv);
    fw::InitWindowResources();
    QApplication::setWindowIcon(QIcon(":/icons/framewright.png"));
    QApplication::setApplicationName("framewright");
    QApplication::setDesktopFileName("framewright");

    fw::TfrmCover cover(fw::TfrmCover::DefaultCoverFile());
    cover.show();
    cover.repaint();
    QApplication::processEvents();

    QApplication::setApplicationDisplayName("Orvex Framewright");
    fw::TQtPrompts prompts;
    fw::SystemPowerOff powerOff;
    fw::TfrmMain frmMain(prompts, powerOff);
    cover.SetMainWindow(&frmMain);
    frmMain.show();

    // Files named on the command line (a desktop entry passes them this way),
    // made absolute so that the list shows where they really are.
    QStringList files;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--") continue;
        files << QDir::cleanPath(QFileInfo(args[i]).absoluteFilePath());
    }
    if (!files.isEmpty())
        QTimer::singleShot(0, &frmMain,
                           [&frmMain, files] { fw::RunGuarded([&] { frmMain.AddFiles(files); }); });

    return app.exec();
}
