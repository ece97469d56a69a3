#include "jobs/TaskList.h"

#include "app/GlobalUnit.h"
#include "app/IniFile.h"
#include "engine/AVProbe.h"
#include "engine/Encoder.h"
#include "jobs/OutputPath.h"
#include "profiles/FormatFile.h"

#include <QFileInfo>

namespace fw {

const QStringList& TaskListModel::ColumnCaptions() {
    static const QStringList k{"Source", "Length", "Trimmed Length", "Destination File",
                               "Progress"};
    return k;
}

const QList<int>& TaskListModel::ColumnWidths() {
    static const QList<int> k{140, 65, 90, 120, 60};
    return k;
}

int TaskListModel::IndexOfCaption(const QString& caption) const {
    for (int i = 0; i < rows_.size(); ++i)
        if (rows_[i].Caption == caption) return i;
    return -1;
}

void TaskListModel::Select(int row) { selected_ = (row >= 0 && row < rows_.size()) ? row : -1; }

void TaskListModel::AppendRow(const TTaskRow& row) {
    rows_.append(row);
    if (rows_.size() == 1) hasColumns_ = true;
}

int TaskListModel::AddFiles(const QStringList& paths, engine::TFFmpegEncoder& encoder,
                            IPrompts& prompts, QStringList* skipped) {
    auto skip = [&](const QString& path, const QString& why) {
        if (skipped) skipped->append(path + ": " + why);
    };
    encoder.ClearTasks();
    const IniFile settings = SettingsIni();
    const IniFile format = FormatIni();
    const int code = settings.ReadInteger("settings", "FormatCode", 1);
    const QString section = FormatSection(code);
    const QString ext = format.ReadString(section, "FileExt", "mp4");
    const QString zoom = settings.ReadString(section, "parazoom", "lbox");

    int added = 0;
    for (int i = 0; i < paths.size(); ++i) {
        const QString& path = paths[i];
        if (QFileInfo(path).isDir()) {
            skip(path, "is a folder");
            continue;
        }
        if (IndexOfCaption(path) >= 0) {
            skip(path, "already listed");
            continue;
        }
        const QString output = BuildOutputPath(path, "_ipod." + ext, prompts);
        engine::TInputOptions in;
        in.FileName = path;
        const int task = encoder.AddTask(path, in);
        if (task < 0) {
            const QString why = encoder.LastError();
            skip(path, why.isEmpty() ? QString("cannot be opened") : "cannot be opened: " + why);
            continue;
        }
        const engine::TFileStreamInfo info = encoder.TaskInputProber(task, 0).ReadFileInfo();
        const int64_t seconds = info.Duration > 0 ? info.Duration / 1000000 : 0;

        TTaskRow row;
        row.Caption = path;
        row.Length = QString::number(seconds);
        row.TrimmedLength = row.Length;
        row.Destination = QFileInfo(output).fileName();
        row.Checked = true;
        row.Record.BatchIndex = i;
        row.Record.SourceFile = path;
        row.Record.AddedDestination = output;
        row.Record.SourceSeconds = static_cast<int32_t>(seconds);
        row.Record.ZoomMode = zoom;
        AppendRow(row);
        ++added;

        encoder.RemoveTask(task);
        encoder.ClearTasks();
        Select(0);
    }
    return added;
}

void TaskListModel::RemoveSelected() {
    if (selected_ < 0 || selected_ >= rows_.size()) return;
    const int k = selected_;
    rows_.removeAt(k);
    if (rows_.isEmpty()) {
        selected_ = -1;
        hasColumns_ = false;
    } else {
        selected_ = std::min(k, int(rows_.size()) - 1);
    }
}

void TaskListModel::Clear() {
    rows_.clear();
    selected_ = -1;
    hasColumns_ = false;
}

int TaskListModel::CheckedCount() const {
    int n = 0;
    for (const auto& r : rows_) n += r.Checked ? 1 : 0;
    return n;
}

void TaskListModel::CheckAll() {
    for (auto& r : rows_) r.Checked = true;
}
void TaskListModel::UncheckAll() {
    for (auto& r : rows_) r.Checked = false;
}
void TaskListModel::ReverseCheck() {
    for (auto& r : rows_) r.Checked = !r.Checked;
}
void TaskListModel::CheckSelected() { SetChecked(selected_, true); }
void TaskListModel::UncheckSelected() { SetChecked(selected_, false); }
void TaskListModel::SetChecked(int row, bool checked) {
    if (row >= 0 && row < rows_.size()) rows_[row].Checked = checked;
}

}  // namespace fw
