#include "app/WinCover.h"

#include "platform/Platform.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

namespace fw {

TfrmCover::TfrmCover(const QString& coverFile, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("frmCover");
    picture_ = BuiltInCover();
    if (!coverFile.isEmpty() && QFileInfo(coverFile).isFile()) {
        QPixmap loaded(coverFile);
        if (!loaded.isNull()) picture_ = loaded;  // an unreadable file keeps the built-in one
    }
    imgCover = new QLabel(this);
    imgCover->setObjectName("imgCover");
    imgCover->setPixmap(picture_);
    tmr1 = new QTimer(this);
    tmr1->setInterval(1000);
    connect(tmr1, &QTimer::timeout, this, [this] { tmr1Timer(); });
}

QString TfrmCover::DefaultCoverFile() {
    return platform::ExecutableFolder() + "skin/tarnwellcover.jpg";
}

QPixmap TfrmCover::BuiltInCover() {
    const QSize size(399, 239);
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, size.height());
    bg.setColorAt(0, QColor(38, 78, 150));
    bg.setColorAt(1, QColor(16, 34, 74));
    p.fillRect(pm.rect(), bg);
    // A strip of film frames across the picture.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 28));
    p.drawRect(0, 118, size.width(), 58);
    p.setBrush(QColor(255, 255, 255, 60));
    for (int x = 8; x < size.width(); x += 22) {
        p.drawRoundedRect(x, 122, 12, 7, 2, 2);
        p.drawRoundedRect(x, 165, 12, 7, 2, 2);
    }
    // The play mark.
    QPainterPath play;
    play.moveTo(40, 40);
    play.lineTo(40, 96);
    play.lineTo(88, 68);
    play.closeSubpath();
    p.setBrush(QColor(255, 196, 64));
    p.drawPath(play);
    p.setPen(Qt::white);
    QFont title("DejaVu Sans", 22, QFont::Bold);
    p.setFont(title);
    p.drawText(QRect(104, 38, 280, 36), Qt::AlignLeft | Qt::AlignVCenter, "Orvex Tarnwell");
    QFont sub("DejaVu Sans", 10);
    p.setFont(sub);
    p.setPen(QColor(210, 222, 245));
    p.drawText(QRect(106, 74, 280, 20), Qt::AlignLeft | Qt::AlignVCenter, "Video Converter");
    p.setFont(QFont("DejaVu Sans", 8));
    p.drawText(QRect(0, 200, size.width() - 12, 24), Qt::AlignRight | Qt::AlignVCenter,
               "Loading...");
    return pm;
}

void TfrmCover::showEvent(QShowEvent* event) {
    setFixedSize(picture_.deviceIndependentSize().toSize());
    imgCover->setGeometry(rect());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QWidget::showEvent(event);
    tmr1->start();
}

void TfrmCover::tmr1Timer() {
    if (main_ && main_->isVisible()) {
        tmr1->stop();
        close();
    }
}

}  // namespace fw
