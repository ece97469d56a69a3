#include "jobs/WinProgress.h"

#include "app/FitRect.h"
#include "app/WinErrorHandler.h"
#include "engine/Encoder.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace fw {

// ---------------------------------------------------------------- preview image

TPreviewImage::TPreviewImage(QWidget* parent) : QWidget(parent) {
    setObjectName("imgPreview");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPreviewImage::SetPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void TPreviewImage::ClearPicture() {
    picture_ = QImage();
    update();
}

QRect TPreviewImage::PictureRect() const {
    if (picture_.width() <= 0 || picture_.height() <= 0) return {};
    return FitRect(picture_.size(), rect());
}

void TPreviewImage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Background());
    if (picture_.width() > 0 && picture_.height() > 0) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(PictureRect(), picture_);
    }
}

// ---------------------------------------------------------------- window

namespace {

QLabel* Caption(const QString& text, const QRect& geometry, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel* Value(const char* name, const QRect& geometry, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

}  // namespace

TfrmProgress::TfrmProgress(engine::TFFmpegEncoder& encoder, const QImage& previewPicture,
                           QWidget* parent)
    : QDialog(parent), encoder_(encoder), previewPicture_(previewPicture) {
    setObjectName("frmProgress");
    setWindowTitle("Progress");
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(420, 460);

    imgPreview = new TPreviewImage(this);
    imgPreview->setGeometry(24, 14, 372, 210);

    Caption("Current Time:", QRect(20, 234, 88, 20), this);
    lblTime = Value("lblTime", QRect(114, 234, 96, 20), this);
    Caption("Length:", QRect(214, 234, 70, 20), this);
    lblLength = Value("lblLength", QRect(290, 234, 110, 20), this);
    Caption("File Size:", QRect(20, 256, 88, 20), this);
    lblSize = Value("lblSize", QRect(114, 256, 96, 20), this);
    Caption("Progress:", QRect(214, 256, 70, 20), this);
    lblProgress = Value("lblProgress", QRect(290, 256, 110, 20), this);
    Caption("File:", QRect(20, 278, 88, 20), this);
    lblOutput = Value("lblOutput", QRect(114, 278, 283, 20), this);
    lblOutput->setFont(font());

    progbarFile = new QProgressBar(this);
    progbarFile->setObjectName("progbarFile");
    progbarFile->setGeometry(24, 306, 372, 20);
    progbarFile->setRange(0, 100);
    progbarFile->setTextVisible(true);

    ckShutDown = new QCheckBox("Shut down computer after conversion", this);
    ckShutDown->setObjectName("ckShutDown");
    ckShutDown->setGeometry(24, 336, 372, 22);
    ckOpen = new QCheckBox("Open the output folder after conversion", this);
    ckOpen->setObjectName("ckOpen");
    ckOpen->setGeometry(24, 360, 372, 22);

    imgbtnSnap = new QToolButton(this);
    imgbtnSnap->setObjectName("imgbtnSnap");
    imgbtnSnap->setToolTip("Save snapshot picture");
    imgbtnSnap->setIcon(QIcon(":/icons/snapshot.png"));
    imgbtnSnap->setIconSize(QSize(24, 24));
    imgbtnSnap->setGeometry(24, 404, 36, 32);
    imgbtnSnap->setEnabled(false);  // snapshots arrive with the snapshot feature

    btnPause = new QPushButton("Pause", this);
    btnPause->setObjectName("btnPause");
    btnPause->setGeometry(150, 406, 78, 28);
    btnResume = new QPushButton("Resume", this);
    btnResume->setObjectName("btnResume");
    btnResume->setGeometry(234, 406, 78, 28);
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");
    btnCancel->setGeometry(318, 406, 78, 28);
    btnPause->setAutoDefault(false);
    btnResume->setAutoDefault(false);
    btnCancel->setAutoDefault(false);

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, [this] { RunGuarded([this] { Timer1Timer(); }); });
    connect(btnPause, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { btnPauseClick(); }); });
    connect(btnResume, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { btnResumeClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { btnCancelClick(); }); });
}

void TfrmProgress::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (parentWidget()) {
        const QRect owner = parentWidget()->window()->frameGeometry();
        move(owner.center() - rect().center());
    }
    FormShow();
}

void TfrmProgress::FormShow() {
    setFixedSize(420, 460);
    runEnded_ = false;
    for (QLabel* l : {lblTime, lblSize, lblLength, lblProgress, lblOutput}) l->clear();
    ckOpen->setChecked(true);
    btnPause->setEnabled(true);
    btnResume->setEnabled(false);
    imgPreview->ClearPicture();
    Timer1->start();
    progbarFile->setValue(0);
    encoder_.StartTask(1);
}

void TfrmProgress::Timer1Timer() {
    if (previewPicture_.width() > 0 && previewPicture_.height() > 0 &&
        previewPicture_.cacheKey() != imgPreview->Picture().cacheKey())
        imgPreview->SetPicture(previewPicture_);
}

void TfrmProgress::btnPauseClick() {
    encoder_.PauseTasks();
    btnPause->setEnabled(false);
    btnResume->setEnabled(true);
}

void TfrmProgress::btnResumeClick() {
    encoder_.ResumeTasks();
    btnPause->setEnabled(true);
    btnResume->setEnabled(false);
}

void TfrmProgress::btnCancelClick() {
    close();
}

bool TfrmProgress::FormCloseQuery() {
    if (!runEnded_) encoder_.StopTasks(true);
    Timer1->stop();
    return true;
}

void TfrmProgress::CloseAfterRun() {
    runEnded_ = true;
    Timer1->stop();
    if (isVisible()) done(QDialog::Accepted);
}

void TfrmProgress::closeEvent(QCloseEvent* event) {
    bool ok = true;
    RunGuarded([&] { ok = FormCloseQuery(); });
    if (!ok) {
        event->ignore();
        return;
    }
    event->accept();
    if (isVisible()) done(QDialog::Rejected);
}

// Escape closes the window like its close button: the run is stopped first.
void TfrmProgress::reject() {
    close();
}

}  // namespace fw
