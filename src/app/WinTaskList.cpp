#include "app/WinTaskList.h"

#include "app/WinListLook.h"

#include "jobs/TaskList.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QUrl>

namespace fw {

namespace {

const QColor kFocusFillNoFocus(229, 236, 248);
const QColor kFocusFrameNoFocus(152, 181, 226);
constexpr int kCheckAreaWidth = 18;  // the caption starts after the check box

// Rows a little taller than the text, as in a report list.
class TRowHeightDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(),
                     option.fontMetrics.height() + 6);
    }
};

}  // namespace

// ---------------------------------------------------------------- model

TTaskItemModel::TTaskItemModel(TaskListModel& tasks, QObject* parent)
    : QAbstractTableModel(parent), tasks_(tasks) {}

int TTaskItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : tasks_.Count();
}

int TTaskItemModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return ColumnsShown() ? int(TaskListModel::ColumnCaptions().size()) : 1;
}

bool TTaskItemModel::ColumnsShown() const {
    return tasks_.HasColumns() || (startColumns_ && tasks_.IsEmpty());
}

QVariant TTaskItemModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= tasks_.Count()) return {};
    const TTaskRow& row = tasks_.Row(index.row());
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case 0:
                    return row.Caption;
                case 1:
                    return row.Length;
                case 2:
                    return row.TrimmedLength;
                case 3:
                    return row.Destination;
                case 4:
                    return row.Progress;
            }
            return {};
        case Qt::CheckStateRole:
            if (index.column() == 0) return row.Checked ? Qt::Checked : Qt::Unchecked;
            return {};
        case kFailedRole:
            return !row.FailReason.isEmpty();
        case Qt::ToolTipRole:
            if (!row.FailReason.isEmpty()) return row.FailReason;
            return index.column() == 0 ? QVariant(row.Caption) : QVariant();
    }
    return {};
}

QVariant TTaskItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    const QStringList& captions = TaskListModel::ColumnCaptions();
    return tasks_.HasColumns() && section < captions.size() ? QVariant(captions[section])
                                                            : QVariant();
}

void TTaskItemModel::Reload() {
    beginResetModel();
    endResetModel();
}

void TTaskItemModel::RowChanged(int row) {
    if (row < 0 || row >= tasks_.Count()) return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

// ---------------------------------------------------------------- view

TTaskListView::TTaskListView(QWidget* parent) : QTreeView(parent) {
    setObjectName("lvFiles");
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setItemDelegate(new TRowHeightDelegate(this));
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    setPalette(p);
}

int TTaskListView::RowAt(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    return index.isValid() ? index.row() : -1;
}

QRect TTaskListView::CheckBoxRect(int row) const {
    const QRect r = visualRect(model()->index(row, 0));
    const int left = header()->sectionViewportPosition(0);
    // 12 pixels square, centred in the row whatever the font makes its height.
    const int side = std::min(12, r.height() - 4);
    const int top = r.top() + (r.height() - side) / 2;
    return QRect(left + 2, top, 12, side);
}

void TTaskListView::drawRow(QPainter* p, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const int row = index.row();
    const QRect r = option.rect;
    const bool focused = currentIndex().isValid() && currentIndex().row() == row &&
                         selectionModel()->isRowSelected(row, QModelIndex());
    const bool withFocus = hasFocus();

    p->save();
    QColor fill = Qt::white;
    if (focused)
        fill = withFocus ? kFocusRowFill : kFocusFillNoFocus;
    else if (row % 2 == 1 && OddRowTint)
        fill = OddRowTint();
    p->fillRect(r.adjusted(1, 0, -1, 0), fill);

    const QAbstractItemModel* m = model();
    const int columns = m->columnCount();
    p->setPen(option.palette.color(QPalette::Text));
    for (int c = 0; c < columns; ++c) {
        const int left = header()->sectionViewportPosition(c);
        const int width = header()->isHidden() ? viewport()->width() : header()->sectionSize(c);
        QRect cell(left, r.top(), width, r.height());
        const QString text = m->index(row, c).data(Qt::DisplayRole).toString();
        if (c == 0) {
            const bool checked = m->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
            p->save();
            p->setRenderHint(QPainter::Antialiasing, true);
            QPen pen(Qt::black, 2);
            pen.setJoinStyle(Qt::MiterJoin);
            p->setPen(pen);
            const QRect b = CheckBoxRect(row);
            p->drawRect(QRectF(b).adjusted(0.5, 0.5, -0.5, -0.5));
            if (checked) {
                const QPointF tick[3] = {QPointF(left + 4, b.top() + 4),
                                         QPointF(left + 6, b.top() + 9),
                                         QPointF(left + 11, b.top() + 3)};
                p->drawPolyline(tick, 3);
            }
            p->restore();
            cell.setLeft(left + kCheckAreaWidth);
        }
        cell.adjust(3, 0, -3, 0);
        // A failed row's "Progress" stands out.
        const bool failedCell =
            c == 4 && m->index(row, 0).data(TTaskItemModel::kFailedRole).toBool();
        p->setPen(failedCell ? QColor(192, 0, 0) : option.palette.color(QPalette::Text));
        const QString shown = p->fontMetrics().elidedText(text, Qt::ElideRight, cell.width());
        p->drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }

    if (focused) {
        p->setPen(withFocus ? kFocusRowFrame : kFocusFrameNoFocus);
        p->setBrush(Qt::NoBrush);
        p->drawRect(r.adjusted(1, 0, -2, -1));
    }
    p->restore();
}

void TTaskListView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const int row = RowAt(pos);
    if (row < 0) {
        // A press on empty space leaves no row selected.
        clearSelection();
        setCurrentIndex(QModelIndex());
        if (event->button() == Qt::RightButton)
            emit rightClicked(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && CheckBoxRect(row).adjusted(-1, -1, 1, 1).contains(pos))
        emit checkClicked(row);
    if (event->button() == Qt::RightButton) {
        setCurrentIndex(model()->index(row, 0));
        emit rightClicked(event->globalPosition().toPoint());
    }
}

void TTaskListView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const int row = RowAt(pos);
    // Two quick clicks on a check box are two check clicks, not a play request.
    if (row >= 0 && CheckBoxRect(row).adjusted(-1, -1, 1, 1).contains(pos)) {
        emit checkClicked(row);
        event->accept();
        return;
    }
    event->accept();
    emit rowDoubleClicked();
}

void TTaskListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && currentIndex().isValid()) {
        emit checkClicked(currentIndex().row());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

QStringList LocalFilesOf(const QMimeData* mime) {
    QStringList files;
    if (!mime || !mime->hasUrls()) return files;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    return files;
}

void TTaskListView::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFilesOf(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TTaskListView::dragMoveEvent(QDragMoveEvent* event) {
    if (!LocalFilesOf(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TTaskListView::dropEvent(QDropEvent* event) {
    const QStringList files = LocalFilesOf(event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(files);
}

}  // namespace fw
