// The progress window of a conversion run: modal while the batch converts,
// with the live preview picture, time, length, size, the batch position, the
// current file, a progress bar, the after-batch choices and Pause, Resume and
// Cancel. The main window's encoder event handlers fill its controls.
#pragma once

#include <QDialog>
#include <QImage>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolButton;

namespace fw {

namespace engine {
class TFFmpegEncoder;
}

// The preview image: the picture stretched into the largest rectangle of its
// proportions, centred on a light blue ground.
class TPreviewImage : public QWidget {
    Q_OBJECT

  public:
    explicit TPreviewImage(QWidget* parent = nullptr);
    void SetPicture(const QImage& picture);
    void ClearPicture();
    const QImage& Picture() const { return picture_; }
    // Where the picture is drawn (empty while there is none).
    QRect PictureRect() const;

    static QColor Background() { return QColor(166, 202, 240); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage picture_;
};

class TfrmProgress : public QDialog {
    Q_OBJECT

  public:
    // previewPicture: the main window's conversion preview picture, which the
    // timer draws.
    TfrmProgress(engine::TFFmpegEncoder& encoder, const QImage& previewPicture,
                 QWidget* parent = nullptr);

    TPreviewImage* imgPreview = nullptr;
    QLabel* lblTime = nullptr;
    QLabel* lblLength = nullptr;
    QLabel* lblSize = nullptr;
    QLabel* lblProgress = nullptr;
    QLabel* lblOutput = nullptr;
    QProgressBar* progbarFile = nullptr;
    QCheckBox* ckShutDown = nullptr;
    QCheckBox* ckOpen = nullptr;
    QPushButton* btnPause = nullptr;
    QPushButton* btnResume = nullptr;
    QPushButton* btnCancel = nullptr;
    QToolButton* imgbtnSnap = nullptr;
    QTimer* Timer1 = nullptr;

    // The batch has ended (the encoder's last event): close without stopping.
    void CloseAfterRun();
    bool RunEnded() const { return runEnded_; }

    void FormShow();
    void Timer1Timer();
    void btnPauseClick();
    void btnResumeClick();
    void btnCancelClick();
    // Stops every task and waits for them; true: the window may close.
    bool FormCloseQuery();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    engine::TFFmpegEncoder& encoder_;
    const QImage& previewPicture_;
    bool runEnded_ = false;
};

}  // namespace fw
