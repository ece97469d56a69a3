// The task list as plain logic: one row per source file with its five column
// texts, its check box and its task entry record. The main window draws it;
// the command line and the tests drive it directly.
#pragma once

#include "jobs/TaskRecord.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace fw {

class IPrompts;

namespace engine {
class TFFmpegEncoder;
}

struct TTaskRow {
    QString Caption;        // "Source": the source path as chosen
    QString Length;         // "Length": whole seconds
    QString TrimmedLength;  // "Trimmed Length"
    QString Destination;    // "Destination File": file name of the output path
    QString Progress;       // "Progress"
    bool Checked = true;
    QString FailReason;     // why the row's last conversion failed; empty otherwise
    TlvFilesRecord Record;
};

class TaskListModel {
public:
    static const QStringList& ColumnCaptions();  // "Source", "Length", ...
    static const QList<int>& ColumnWidths();     // 140, 65, 90, 120, 60

    int Count() const { return rows_.size(); }
    bool IsEmpty() const { return rows_.isEmpty(); }
    const TTaskRow& Row(int i) const { return rows_.at(i); }
    TTaskRow& Row(int i) { return rows_[i]; }
    int IndexOfCaption(const QString& caption) const;  // exact, letter case counts; -1

    // The list shows its five columns only while it has rows.
    bool HasColumns() const { return hasColumns_; }

    int Selected() const { return selected_; }  // -1: none
    void Select(int row);

    // Adds files as "&Add" does after its open dialog: folders, files already
    // listed and files the engine cannot open are skipped; each added row is
    // checked and gets a neutral record. Returns the number added.
    // `skipped` (optional) receives "path: reason" lines.
    int AddFiles(const QStringList& paths, engine::TFFmpegEncoder& encoder, IPrompts& prompts,
                 QStringList* skipped = nullptr);

    // Appends a row without probing (for callers that already know the facts).
    void AppendRow(const TTaskRow& row);

    void RemoveSelected();
    void Clear();

    int CheckedCount() const;
    void CheckAll();
    void UncheckAll();
    void ReverseCheck();
    void CheckSelected();
    void UncheckSelected();
    void SetChecked(int row, bool checked);

private:
    QList<TTaskRow> rows_;
    int selected_ = -1;
    bool hasColumns_ = false;
};

}  // namespace fw
