// The task list control (lvFiles): a tree view in report style over the task
// list model, drawing every row itself (check box by hand, theme tints on odd
// rows, focus colours) and reporting check clicks, right clicks and drops.
#pragma once

#include <QAbstractTableModel>
#include <QTreeView>

#include <functional>

namespace fw {

class TaskListModel;

// The view's model: the task list's rows and five column texts; the failure
// reason of a row is its tool tip.
class TTaskItemModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit TTaskItemModel(TaskListModel& tasks, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // After any change of the rows: everything is read again.
    void Reload();

    // The five columns are shown while the list has rows, and in the empty
    // list of a fresh start until the list is emptied by a removal.
    bool ColumnsShown() const;
    void SetStartColumns(bool shown) { startColumns_ = shown; }

    static constexpr int kFailedRole = Qt::UserRole + 1;
    // After a change of one row's texts.
    void RowChanged(int row);

  private:
    TaskListModel& tasks_;
    bool startColumns_ = false;
};

class TTaskListView : public QTreeView {
    Q_OBJECT

  public:
    explicit TTaskListView(QWidget* parent = nullptr);

    // The tint of odd rows under the current theme.
    std::function<QColor()> OddRowTint;

    // The row under a viewport point, or -1.
    int RowAt(const QPoint& pos) const;
    // The hand-drawn check box of a row, in viewport coordinates.
    QRect CheckBoxRect(int row) const;

  signals:
    void checkClicked(int row);
    void rightClicked(const QPoint& globalPos);
    void filesDropped(const QStringList& paths);
    void rowDoubleClicked();

  protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// Local files named by a drop (folders included; the caller skips them).
QStringList LocalFilesOf(const class QMimeData* mime);

}  // namespace fw
