// The start of a conversion run and the rules the progress window applies to
// the encoder's events, as logic that the window, the command line and the
// tests share.
#pragma once

#include "engine/EngineTypes.h"

#include <QList>
#include <QString>

#include <optional>

namespace fw {

class IniFile;
class IPrompts;
class TaskListModel;

namespace engine {
class TAVProbe;
class TFFmpegEncoder;
}

// What a caller may change for one run (the command line's flags).
struct TRunOverrides {
    std::optional<int> FormatCode;     // in place of "FormatCode"
    std::optional<QString> ZoomMode;   // in place of the profile's stored zoom
    std::optional<QString> OutputDir;  // in place of "OutPutDir"
};

struct TPreparedTask {
    int Row = -1;
    QString OutputPath;
    engine::TInputOptions Input;
    engine::TOutputOptions Output;
};

struct TRunStart {
    bool Started = false;       // false: nothing was registered
    QList<int> TaskToRow;       // element i: the row of encoder task i
    QStringList OutputPaths;    // element i: the file encoder task i writes
    QList<QPair<int, QString>> RefusedRows;  // checked rows that could not be registered
    int CheckedRows = 0;
};

// Builds the two option records of one row as a run would (profile, stored
// choices, trim, crop, zoom, hook switch). Throws OptionsError.
TPreparedTask PrepareTask(TaskListModel& list, int row, engine::TAVProbe& prober,
                          IPrompts& prompts, const TRunOverrides& overrides = {});

// "&Start": applies "priority", registers one encoder task per checked row
// (rows whose source cannot be opened or whose options cannot be built are
// refused with a reason instead of ending the whole start) and returns the
// task-to-row map. With no checked row it shows the warning and registers
// nothing. Does not start the encoder.
TRunStart StartRun(TaskListModel& list, engine::TFFmpegEncoder& encoder, IPrompts& prompts,
                   const TRunOverrides& overrides = {});

// Conversion thread priority from the "priority" setting; nullopt leaves the
// current one.
std::optional<engine::TThreadPriority> PriorityFromSetting(int value);

// ---- texts of the progress window
// Percentage of the current task, or nullopt when the total time is unknown.
std::optional<int> ProgressPercent(const engine::TProgressInfo& info);
// The row's "Progress" column: "37%", or the seconds reached when the total
// is unknown ("61 s").
QString ProgressColumnText(const engine::TProgressInfo& info);
QString SecondsText(int64_t micros);      // "61 Second"
QString SizeKbText(int64_t bytes);        // "1536 kb"
QString BatchPositionText(int taskIndex, int taskCount);  // "[2/3]"
QString ShortenedFileName(const QString& caption);        // 50 characters at most

// After a task finished: true when it completes the batch (it is the last
// registered task and its row is the last checked row), so the after-batch
// actions run.
bool CompletesBatch(const engine::TTerminateInfo& info, const TRunStart& run,
                    const TaskListModel& list);

}  // namespace fw
