#include "editors/WinAbout.h"

#include "app/GlobalUnit.h"

#include <QIcon>
#include <QMouseEvent>
#include <QPushButton>

namespace fw {

TUrlLabel::TUrlLabel(QWidget* parent) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
    SetColour(QColor(0, 0, 255));
}

void TUrlLabel::SetAddress(const QString& address) {
    address_ = address;
    setText(address);
}

void TUrlLabel::SetColour(const QColor& colour) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
}

void TUrlLabel::enterEvent(QEnterEvent* event) {
    SetColour(QColor(255, 0, 0));
    QLabel::enterEvent(event);
}

void TUrlLabel::leaveEvent(QEvent* event) {
    SetColour(QColor(0, 0, 255));
    QLabel::leaveEvent(event);
}

void TUrlLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked(address_);
    QLabel::mouseReleaseEvent(event);
}

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle("About");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(330, 177);

    img1 = new QLabel(this);
    img1->setObjectName("img1");
    img1->setGeometry(20, 24, 33, 33);
    img1->setPixmap(QIcon(":/icons/framewright.png").pixmap(33, 33));

    lblAppNameVer = new QLabel(this);
    lblAppNameVer->setObjectName("lblAppNameVer");
    lblAppNameVer->setGeometry(70, 24, 240, 33);
    QFont f = lblAppNameVer->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    lblAppNameVer->setFont(f);

    auto* lblCopy = new QLabel("A video and audio converter.", this);
    lblCopy->setGeometry(70, 58, 240, 20);

    lblWebSite = new TUrlLabel(this);
    lblWebSite->setObjectName("lblWebSite");
    lblWebSite->setGeometry(70, 84, 240, 20);
    connect(lblWebSite, &TUrlLabel::clicked, this, [this](const QString& address) {
        if (OpenAddress) OpenAddress(address);
    });

    btn1 = new QPushButton("&Ok", this);
    btn1->setObjectName("btn1");
    btn1->setGeometry(230, 134, 80, 28);
    btn1->setDefault(true);
    connect(btn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrmAbout::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TfrmAbout::FormShow() {
    setFixedSize(330, 177);
    lblAppNameVer->setText(GlobalObject().ProductName() + GlobalObject().VersionText());
    lblWebSite->SetAddress(GlobalObject().WebSiteAddress());
    setWindowTitle("About");
}

}  // namespace fw
