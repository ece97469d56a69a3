// The format drop-down: the read-only format box (edt1), its arrow button
// (imgbtn1) and the owner-drawn catalogue list (lst1) with collapsible
// categories, hot tracking and closing when the user clicks elsewhere. The
// main window and the settings dialog both use it; the list's logic is
// FormatListModel.
#pragma once

#include "profiles/FormatCatalogue.h"

#include <QAbstractScrollArea>
#include <QIcon>
#include <QLineEdit>
#include <QPointer>
#include <QToolButton>

namespace fw {

class TFormatDropDown;

// The format box: read-only, arrow pointer, no caret, clicks reported.
class TFormatBox : public QLineEdit {
    Q_OBJECT

  public:
    explicit TFormatBox(QWidget* parent = nullptr);

  signals:
    void clicked();
    void doubleClicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    bool afterDoubleClick_ = false;
};

// The list itself (lst1): rows of 20 pixels drawn by hand.
class TFormatListBox : public QAbstractScrollArea {
    Q_OBJECT

  public:
    TFormatListBox(TFormatDropDown& owner, QWidget* parent);

    // The row under a point of the viewport, or -1.
    int RowAt(const QPoint& viewportPos) const;
    QRect RowRect(int row) const;  // viewport coordinates
    void UpdateScrollRange();
    void EnsureVisible(int row);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    TFormatDropDown& owner_;
};

class TFormatDropDown : public QObject {
    Q_OBJECT

  public:
    enum class Mode { MainWindow, SettingsDialog };

    // The three controls are created as children of `parent`; `listParent`
    // is the widget the list drops over (the whole window).
    TFormatDropDown(Mode mode, QWidget* parent, QWidget* listParent);
    ~TFormatDropDown() override;

    // Places the format box; the arrow button goes at its right end.
    void SetBoxGeometry(const QRect& box);

    FormatListModel& Model() { return model_; }
    const FormatListModel& Model() const { return model_; }
    TFormatBox* edt1 = nullptr;
    QToolButton* imgbtn1 = nullptr;
    TFormatListBox* lst1 = nullptr;

    bool IsOpen() const;
    int ListLimit() const;

    // The settings dialog's own current profile (the dialog mode only).
    QString DialogProfileName;
    QString DialogProfileCode;

    // Fills the list from the catalogue and the stored collapsed states and
    // shows the stored "FormatName" in the box.
    void BuildFormatList();
    bool SaveFormatListState() const;

    // Event handlers, named as on both windows.
    void edt1Click();
    void edt1DblClick();
    void imgbtn1Click();
    void lst1MouseDown(Qt::MouseButton button, const QPoint& pos);
    void lst1DblClick(const QPoint& pos);
    void lst1MouseMove(const QPoint& pos);
    void lst1Click();
    void lst1KeyDown(int key);
    void ApplicationEvents1Message(QObject* receiver, QEvent* event);
    void ApplicationEvents1Deactivate();
    void edt1Change();

    void CloseList();

    // Pictures of the rows: category icons and collapse glyphs (20 x 20).
    QIcon CategoryIcon(int category) const;
    QIcon CollapseGlyph(bool collapsed) const;

  signals:
    // The shown profile changed (the settings dialog refills its boxes).
    void FormatBoxChanged(const QString& text);
    // An entry was chosen (after it was stored in the main window).
    void EntryChosen(const QString& name, int code);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    enum class Opener { BoxClick, BoxDoubleClick, Arrow };
    void ToggleOpen(Opener opener);
    void SizeAndPlace(int height);
    void SetBoxText(const QString& text);

    Mode mode_;
    QPointer<QWidget> listParent_;
    FormatListModel model_;
    QList<QIcon> categoryIcons_;
    QIcon glyphCollapsed_;
    QIcon glyphExpanded_;
};

}  // namespace fw
