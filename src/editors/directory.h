// The folder chooser ("Brows"): a tree of the file system with Ok and Cancel.
// Created once by whichever caller needs it first and kept for the run.
#pragma once

#include <QDialog>
#include <QString>

class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;
class QModelIndex;

namespace fw {

class IPrompts;

class TfmDirectory : public QDialog {
    Q_OBJECT

  public:
    explicit TfmDirectory(IPrompts& prompts, QWidget* parent = nullptr);

    // Shows the chooser modally with `start` selected (the home folder when
    // it does not exist); returns the chosen folder, empty when cancelled.
    QString Choose(const QString& start);
    const QString& ChosenPath() const { return chosenPath_; }

    // Selects a folder in the tree and applies the Ok rule; false when the
    // tree has no such folder.
    bool SelectFolder(const QString& path);
    QString SelectedFolder() const;
    // "Ok" is refused for the second, third, fourth and fifth folder directly
    // under the top node of the tree.
    static bool OkRuleAllows(const QModelIndex& node);

    void FormShow();
    void stview_selectdirClick();
    void btnOkClick();
    void btnCancelClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

  private:
    IPrompts& prompts_;
    QString chosenPath_;
    QString start_;
    QLabel* lbl1 = nullptr;
    QFileSystemModel* model_ = nullptr;
    QTreeView* stview_selectdir = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
};

}  // namespace fw
