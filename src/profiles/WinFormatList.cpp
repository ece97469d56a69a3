#include "profiles/WinFormatList.h"

#include "app/WinListLook.h"

#include "app/GlobalUnit.h"
#include "app/IniFile.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace fw {

namespace {

const QColor kListBackground(246, 247, 248);
const QColor kEntryText(0, 0, 128);
constexpr int kRowHeight = FormatListModel::kRowHeight;

}  // namespace

// ---------------------------------------------------------------- format box

TFormatBox::TFormatBox(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::NoFocus);  // never shows a caret
    setContextMenuPolicy(Qt::NoContextMenu);
    setTextMargins(4, 2, 0, 0);
}

// The box is a button in disguise: presses do not select text.
void TFormatBox::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void TFormatBox::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    // The release that ends a double click is not a click of its own.
    if (afterDoubleClick_) {
        afterDoubleClick_ = false;
        return;
    }
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void TFormatBox::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    afterDoubleClick_ = true;
    if (event->button() == Qt::LeftButton) emit doubleClicked();
}

// ---------------------------------------------------------------- list

TFormatListBox::TFormatListBox(TFormatDropDown& owner, QWidget* parent)
    : QAbstractScrollArea(parent), owner_(owner) {
    setObjectName("lst1");
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setFrameShape(QFrame::Box);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(kRowHeight);
    QPalette p = palette();
    p.setColor(QPalette::Base, kListBackground);
    p.setColor(QPalette::Window, kListBackground);
    p.setColor(QPalette::WindowText, kFocusRowFrame);
    setPalette(p);
    viewport()->setAutoFillBackground(true);
    hide();
}

int TFormatListBox::RowAt(const QPoint& pos) const {
    if (pos.y() < 0 || pos.x() < 0 || pos.x() >= viewport()->width()) return -1;
    const int row = (pos.y() + verticalScrollBar()->value()) / kRowHeight;
    return row < owner_.Model().RowCount() ? row : -1;
}

QRect TFormatListBox::RowRect(int row) const {
    return QRect(0, row * kRowHeight - verticalScrollBar()->value(), viewport()->width(),
                 kRowHeight);
}

void TFormatListBox::UpdateScrollRange() {
    const int total = owner_.Model().RowCount() * kRowHeight;
    verticalScrollBar()->setRange(0, std::max(0, total - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
}

void TFormatListBox::EnsureVisible(int row) {
    if (row < 0) return;
    const QRect r = RowRect(row);
    if (r.top() < 0)
        verticalScrollBar()->setValue(row * kRowHeight);
    else if (r.bottom() >= viewport()->height())
        verticalScrollBar()->setValue((row + 1) * kRowHeight - viewport()->height());
}

void TFormatListBox::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

void TFormatListBox::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(viewport()->rect(), kListBackground);
    const FormatListModel& model = owner_.Model();
    QFont normal = font();
    QFont bold = font();
    bold.setBold(true);
    const int first = std::max(0, verticalScrollBar()->value() / kRowHeight);
    for (int row = first; row < model.RowCount(); ++row) {
        QRect r = RowRect(row);
        if (r.top() >= viewport()->height()) break;
        const auto& item = model.RowAt(row);
        if (row == model.CurrentRow()) {
            p.fillRect(r.adjusted(2, 2, -2, -2), kFocusRowFill);
            r = r.adjusted(1, 1, -1, -1);
            p.setPen(kFocusRowFrame);
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(0, 0, -1, -1));
        } else {
            p.fillRect(r, kListBackground);
        }
        const int x = r.left() + 3;
        const int y = r.top();
        const int textHeight = kRowHeight - 2;
        if (item.info.IsCategory) {
            const QSize icon(16, 16);
            owner_.CollapseGlyph(item.info.Collapsed).paint(&p, QRect(QPoint(x + 1, y + 1), icon));
            const int iconTop = r.top() + (r.height() - 20) / 2 - 1;
            owner_.CategoryIcon(item.info.Code).paint(&p, QRect(x + 20, iconTop, 20, 20));
            p.setFont(bold);
            p.setPen(Qt::black);
            p.drawText(QRect(x + 45, y + 1, r.right() - x - 45, textHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, item.text);
        } else {
            p.setFont(normal);
            p.setPen(kEntryText);
            p.drawText(QRect(x + 25, y + 1, r.right() - x - 25, textHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, item.text);
        }
    }
}

void TFormatListBox::mousePressEvent(QMouseEvent* event) {
    owner_.lst1MouseDown(event->button(), event->position().toPoint());
    event->accept();
}

void TFormatListBox::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (isVisible()) owner_.lst1Click();
}

void TFormatListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    owner_.lst1DblClick(event->position().toPoint());
    event->accept();
}

void TFormatListBox::mouseMoveEvent(QMouseEvent* event) {
    owner_.lst1MouseMove(event->position().toPoint());
}

void TFormatListBox::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
        case Qt::Key_Escape:
            owner_.lst1KeyDown(event->key());
            event->accept();
            return;
        default:
            QAbstractScrollArea::keyPressEvent(event);
    }
}

// ---------------------------------------------------------------- controller

TFormatDropDown::TFormatDropDown(Mode mode, QWidget* parent, QWidget* listParent)
    : QObject(parent), mode_(mode), listParent_(listParent) {
    edt1 = new TFormatBox(parent);
    edt1->setObjectName("edt1");
    imgbtn1 = new QToolButton(parent);
    imgbtn1->setObjectName("imgbtn1");
    imgbtn1->setIcon(QIcon(":/icons/dropdown.png"));
    imgbtn1->setFocusPolicy(Qt::NoFocus);
    imgbtn1->setAutoRaise(false);
    lst1 = new TFormatListBox(*this, listParent);

    for (int i = 0; i < 3; ++i)
        categoryIcons_.append(QIcon(QString(":/icons/category%1.png").arg(i)));
    glyphCollapsed_ = QIcon(":/icons/collapsed.png");
    glyphExpanded_ = QIcon(":/icons/expanded.png");

    QPalette p = edt1->palette();
    p.setColor(QPalette::Base, kListBackground);
    edt1->setPalette(p);

    connect(edt1, &TFormatBox::clicked, this, [this] { edt1Click(); });
    connect(edt1, &TFormatBox::doubleClicked, this, [this] { edt1DblClick(); });
    connect(edt1, &QLineEdit::textChanged, this, [this] { edt1Change(); });
    connect(imgbtn1, &QToolButton::clicked, this, [this] { imgbtn1Click(); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s != Qt::ApplicationActive) ApplicationEvents1Deactivate();
    });
    qApp->installEventFilter(this);
}

TFormatDropDown::~TFormatDropDown() {
    qApp->removeEventFilter(this);
}

void TFormatDropDown::SetBoxGeometry(const QRect& box) {
    const int arrow = box.height();
    edt1->setGeometry(box.adjusted(0, 0, -arrow, 0));
    imgbtn1->setGeometry(box.right() - arrow + 1, box.top(), arrow, box.height());
}

bool TFormatDropDown::IsOpen() const {
    return lst1->isVisible();
}

int TFormatDropDown::ListLimit() const {
    return mode_ == Mode::MainWindow ? FormatListModel::kMainListLimit
                                     : FormatListModel::kDialogListLimit;
}

QIcon TFormatDropDown::CategoryIcon(int category) const {
    return category >= 0 && category < categoryIcons_.size() ? categoryIcons_[category] : QIcon();
}

QIcon TFormatDropDown::CollapseGlyph(bool collapsed) const {
    return collapsed ? glyphCollapsed_ : glyphExpanded_;
}

void TFormatDropDown::SetBoxText(const QString& text) {
    if (edt1->text() != text) edt1->setText(text);
    edt1->setCursorPosition(0);
}

void TFormatDropDown::BuildFormatList() {
    lst1->hide();
    model_.Build(SettingsIni());
    if (mode_ == Mode::MainWindow)
        SizeAndPlace(model_.BuildHeightMain());
    else
        SizeAndPlace(model_.ListHeight(ListLimit()));
    SetBoxText(model_.BoxText());
    lst1->UpdateScrollRange();
    lst1->viewport()->update();
}

bool TFormatDropDown::SaveFormatListState() const {
    IniFile settings = SettingsIni();
    return model_.SaveFormatListState(settings);
}

// The main window's list opens upward over the file list, its bottom edge just
// below the top of the box; the dialog's list opens downward.
void TFormatDropDown::SizeAndPlace(int height) {
    if (!listParent_) return;
    const QPoint boxTopLeft = edt1->mapTo(listParent_, QPoint(0, 0));
    const int width = imgbtn1->geometry().right() - edt1->geometry().left() + 1;
    int top;
    if (mode_ == Mode::MainWindow)
        top = boxTopLeft.y() + 1 - height;
    else
        top = boxTopLeft.y() + edt1->height() - 1;
    lst1->setGeometry(boxTopLeft.x(), std::max(0, top), width, height);
    lst1->UpdateScrollRange();
}

void TFormatDropDown::ToggleOpen(Opener opener) {
    if (IsOpen()) {
        CloseList();
        return;
    }
    QString name;
    if (mode_ == Mode::MainWindow) {
        name = SettingsIni().ReadString("settings", "FormatName",
                                        FormatListModel::DefaultFormatName());
        if (opener != Opener::BoxClick) SetBoxText(name);
    } else {
        name = DialogProfileName;
    }
    model_.SelectText(name);
    if (opener != Opener::BoxDoubleClick) SizeAndPlace(model_.ListHeight(ListLimit()));
    lst1->show();
    lst1->raise();
    lst1->setFocus(Qt::PopupFocusReason);
    lst1->EnsureVisible(model_.CurrentRow());
    if (mode_ == Mode::MainWindow && opener == Opener::BoxClick && model_.CurrentRow() >= 0) {
        const QRect r = lst1->RowRect(model_.CurrentRow());
        QCursor::setPos(lst1->viewport()->mapToGlobal(r.center()));
    }
    lst1->viewport()->update();
}

void TFormatDropDown::edt1Click() {
    ToggleOpen(Opener::BoxClick);
}
void TFormatDropDown::edt1DblClick() {
    ToggleOpen(Opener::BoxDoubleClick);
}
void TFormatDropDown::imgbtn1Click() {
    ToggleOpen(Opener::Arrow);
}

void TFormatDropDown::CloseList() {
    lst1->hide();
}

void TFormatDropDown::lst1MouseDown(Qt::MouseButton button, const QPoint& pos) {
    const int row = lst1->RowAt(pos);
    if (row < 0) return;
    const TItemInfo info = model_.RowAt(row).info;
    if (info.IsCategory) {
        if (pos.x() < FormatListModel::kToggleZone) {
            model_.ToggleCategory(row);
            lst1->UpdateScrollRange();
            lst1->viewport()->update();
        }
        return;
    }
    if (!info.IsEntry) return;
    const QString name = model_.RowAt(row).text;
    if (mode_ == Mode::MainWindow) {
        IniFile settings = SettingsIni();
        model_.ChooseEntryInMainWindow(row, settings);
        SetBoxText(name);
    } else if (const auto choice = model_.ChooseEntryInDialog(row)) {
        DialogProfileName = choice->name;
        DialogProfileCode = choice->codeText;
        SetBoxText(name);
    }
    CloseList();
    emit EntryChosen(name, info.Code);
}

void TFormatDropDown::lst1DblClick(const QPoint& pos) {
    const int row = lst1->RowAt(pos);
    if (row < 0 || !model_.RowAt(row).info.IsCategory) return;
    model_.ToggleCategory(row);
    lst1->UpdateScrollRange();
    lst1->viewport()->update();
    lst1Click();
}

void TFormatDropDown::lst1MouseMove(const QPoint& pos) {
    const int row = lst1->RowAt(pos);
    if (row >= 0 && row != model_.CurrentRow()) {
        model_.SetCurrentRow(row);
        lst1->viewport()->update();
    }
}

void TFormatDropDown::lst1Click() {
    if (!IsOpen()) return;
    SizeAndPlace(model_.ListHeight(ListLimit()));
    lst1->viewport()->update();
}

// Keys for those who do not use the mouse: arrows move, Enter or Space
// chooses an entry or toggles a category, Escape closes.
void TFormatDropDown::lst1KeyDown(int key) {
    const int current = model_.CurrentRow();
    if (key == Qt::Key_Escape) {
        CloseList();
        edt1->window()->activateWindow();
        return;
    }
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        const int next = std::clamp(current + (key == Qt::Key_Up ? -1 : 1), 0,
                                    std::max(0, model_.RowCount() - 1));
        model_.SetCurrentRow(next);
        lst1->EnsureVisible(next);
        lst1->viewport()->update();
        return;
    }
    if (current < 0) return;
    const QRect r = lst1->RowRect(current);
    if (model_.RowAt(current).info.IsCategory) {
        model_.ToggleCategory(current);
        lst1Click();
        lst1->viewport()->update();
    } else {
        lst1MouseDown(Qt::LeftButton,
                      QPoint(r.left() + FormatListModel::kToggleZone + 1, r.center().y()));
    }
}

void TFormatDropDown::ApplicationEvents1Message(QObject* receiver, QEvent* event) {
    if (!IsOpen() || event->type() != QEvent::MouseButtonPress) return;
    if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return;
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!widget) return;
    // A press on the list, the arrow button or the box (or on a part of one
    // of them, such as the list's scroll bar) leaves the list to them.
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        const QString name = w->objectName();
        if (name.compare("lst1", Qt::CaseInsensitive) == 0 ||
            name.compare("imgbtn1", Qt::CaseInsensitive) == 0 ||
            name.compare("edt1", Qt::CaseInsensitive) == 0)
            return;
        if (w->isWindow()) break;
    }
    CloseList();
}

void TFormatDropDown::ApplicationEvents1Deactivate() {
    CloseList();
}

void TFormatDropDown::edt1Change() {
    emit FormatBoxChanged(edt1->text());
}

bool TFormatDropDown::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) ApplicationEvents1Message(watched, event);
    return false;
}

}  // namespace fw
