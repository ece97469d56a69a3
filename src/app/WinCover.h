// The splash window: a borderless picture centred on the screen from program
// start until the main window is showing.
#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QLabel;
class QTimer;

namespace fw {

class TfrmCover : public QWidget {
    Q_OBJECT

  public:
    // coverFile: a picture that replaces the built-in one when it exists.
    explicit TfrmCover(const QString& coverFile, QWidget* parent = nullptr);

    // The window whose showing ends the splash (checked at every timer tick).
    void SetMainWindow(QWidget* window) { main_ = window; }

    // "skin/tarnwellcover.jpg" beside the executable.
    static QString DefaultCoverFile();
    static QPixmap BuiltInCover();  // 399 x 239

    const QPixmap& Picture() const { return picture_; }
    QTimer* Timer() const { return tmr1; }

    void tmr1Timer();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QPixmap picture_;
    QLabel* imgCover = nullptr;
    QTimer* tmr1 = nullptr;
    QPointer<QWidget> main_;
};

}  // namespace fw
