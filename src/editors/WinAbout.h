// The about box: the product's icon, name and version, and a link to the web site.
#pragma once

#include <QDialog>
#include <QLabel>

#include <functional>

class QPushButton;

namespace fw {

// A label that shows an address and opens it when clicked: blue, red while
// the pointer is over it, with a hand pointer.
class TUrlLabel : public QLabel {
    Q_OBJECT

  public:
    explicit TUrlLabel(QWidget* parent = nullptr);
    void SetAddress(const QString& address);
    const QString& Address() const { return address_; }

  signals:
    void clicked(const QString& address);

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void SetColour(const QColor& colour);
    QString address_;
};

class TfrmAbout : public QDialog {
    Q_OBJECT

  public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    // Opens the web site; the main window hands in its opener.
    std::function<void(const QString&)> OpenAddress;

    QLabel* img1 = nullptr;
    QLabel* lblAppNameVer = nullptr;
    TUrlLabel* lblWebSite = nullptr;
    QPushButton* btn1 = nullptr;

    void FormShow();

  protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace fw
