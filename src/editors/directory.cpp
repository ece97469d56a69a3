#include "editors/directory.h"

#include "platform/Platform.h"
#include "platform/Prompts.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>

namespace fw {

TfmDirectory::TfmDirectory(IPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setObjectName("fmDirectory");
    setWindowTitle("Brows");
    setFixedSize(322, 351);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    lbl1 = new QLabel("Please select an output directory:", this);
    lbl1->setGeometry(12, 10, 298, 18);

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath("/");
    model_->setReadOnly(true);

    stview_selectdir = new QTreeView(this);
    stview_selectdir->setObjectName("stview_selectdir");
    stview_selectdir->setModel(model_);
    // The top node is the file system's root folder itself.
    stview_selectdir->setRootIndex(QModelIndex());
    for (int c = 1; c < model_->columnCount(); ++c) stview_selectdir->hideColumn(c);
    stview_selectdir->header()->hide();
    stview_selectdir->setGeometry(12, 32, 298, 268);
    stview_selectdir->setContextMenuPolicy(Qt::PreventContextMenu);
    connect(stview_selectdir->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { stview_selectdirClick(); });

    btnOk = new QPushButton("Ok", this);
    btnOk->setObjectName("btnOk");
    btnOk->setGeometry(140, 312, 80, 28);
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });

    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");
    btnCancel->setGeometry(230, 312, 80, 28);
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

QString TfmDirectory::Choose(const QString& start) {
    start_ = start;
    chosenPath_.clear();
    exec();
    return chosenPath_;
}

bool TfmDirectory::SelectFolder(const QString& path) {
    const QModelIndex index = model_->index(QDir::cleanPath(path));
    if (!index.isValid()) return false;
    stview_selectdir->setCurrentIndex(index);
    stview_selectdir->scrollTo(index);
    stview_selectdirClick();
    return true;
}

QString TfmDirectory::SelectedFolder() const {
    const QModelIndex index = stview_selectdir->currentIndex();
    return index.isValid() ? model_->filePath(index) : QString();
}

bool TfmDirectory::OkRuleAllows(const QModelIndex& node) {
    if (!node.isValid()) return false;
    const QModelIndex parent = node.parent();
    const bool secondLevel = parent.isValid() && !parent.parent().isValid();
    return !(secondLevel && node.row() >= 1 && node.row() <= 4);
}

void TfmDirectory::FormShow() {
    setFixedSize(322, 351);
    QString start = start_;
    if (start.isEmpty() || !QFileInfo(start).isDir()) start = QDir::homePath();
    if (!SelectFolder(start)) SelectFolder("/");
    stview_selectdirClick();
}

void TfmDirectory::stview_selectdirClick() {
    btnOk->setEnabled(OkRuleAllows(stview_selectdir->currentIndex()));
}

void TfmDirectory::btnOkClick() {
    const QString path = SelectedFolder();
    if (path.isEmpty()) return;
    if (platform::IsOnCdRom(path)) {
        chosenPath_.clear();
        prompts_.MessageBox(
            QApplication::applicationDisplayName(),
            "Output folder cannot be located in CD-ROM.Please select another folder.",
            MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    chosenPath_ = path;
    accept();
}

void TfmDirectory::btnCancelClick() {
    chosenPath_.clear();
    QDialog::reject();
}

void TfmDirectory::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

// Closing the window any other way is a cancel too: a folder chosen at an
// earlier use must not come back as this use's answer.
void TfmDirectory::reject() {
    btnCancelClick();
}

}  // namespace fw
