#include "jobs/ConversionRun.h"

#include "app/GlobalUnit.h"
#include "app/IniFile.h"
#include "engine/AVProbe.h"
#include "engine/Encoder.h"
#include "engine/FFmpegException.h"
#include "jobs/EncoderOptions.h"
#include "jobs/OutputPath.h"
#include "jobs/TaskList.h"
#include "platform/Prompts.h"
#include "profiles/FormatFile.h"

#include <QFileInfo>

namespace fw {

std::optional<engine::TThreadPriority> PriorityFromSetting(int value) {
    switch (value) {
        case 0: return engine::TThreadPriority::Idle;
        case 1: return engine::TThreadPriority::Normal;
        case 2: return engine::TThreadPriority::Lower;
        case 3: return engine::TThreadPriority::Lowest;
        default: return std::nullopt;
    }
}

TPreparedTask PrepareTask(TaskListModel& list, int row, engine::TAVProbe& prober,
                          IPrompts& prompts, const TRunOverrides& overrides) {
    TTaskRow& r = list.Row(row);
    TlvFilesRecord& rec = r.Record;
    TPreparedTask task;
    task.Row = row;
    task.Input.FileName = r.Caption;
    if (!prober.ProbeOpen(r.Caption))
        throw OptionsError(QString("Cannot open the source file: %1").arg(prober.LastError())
                               .toStdString());
    if (rec.TrimStart >= 0) task.Input.StartTime = rec.TrimStart;

    const IniFile settings = SettingsIni();
    const IniFile format = FormatIni();
    const int code = overrides.FormatCode.value_or(settings.ReadInteger("settings", "FormatCode", 1));
    const QString section = FormatSection(code);
    const QString ext = format.ReadString(section, "FileExt", "mp4");
    if (overrides.OutputDir) {
        QString error;
        task.OutputPath = BuildOutputPathIn(*overrides.OutputDir, r.Caption, "." + ext, &error);
        if (task.OutputPath.isEmpty()) throw OptionsError(error.toStdString());
    } else {
        task.OutputPath = BuildOutputPath(r.Caption, "." + ext, prompts);
    }

    rec.ZoomMode = overrides.ZoomMode.value_or(settings.ReadString(section, "parazoom", "lbox"));

    const TSourceFacts source = SourceFactsOf(prober);
    if (rec.HasCrop() && source.Width > 0 && source.Height > 0 &&
        (rec.CropLeft + rec.CropRight >= source.Width ||
         rec.CropTop + rec.CropBottom >= source.Height))
        throw OptionsError("The crop margins leave no picture.");

    task.Output.FileName = task.OutputPath;
    if (rec.HasCrop()) {
        task.Output.TopCrop = rec.CropTop;
        task.Output.BottomCrop = rec.CropBottom;
        task.Output.LeftCrop = rec.CropLeft;
        task.Output.RightCrop = rec.CropRight;
    }
    BuildEncoderOptions(rec, code, task.Output, source, task.Input, prompts, settings, format);
    // A trimmed row converts only its trimmed part.
    if (rec.TrimLength > 0) task.Output.RecordingTime = rec.TrimLength;
    task.Output.VideoHook = NeedsVideoHook(rec);
    return task;
}

TRunStart StartRun(TaskListModel& list, engine::TFFmpegEncoder& encoder, IPrompts& prompts,
                   const TRunOverrides& overrides) {
    TRunStart run;
    if (const auto priority = PriorityFromSetting(SettingsIni().ReadInteger("settings", "priority", 1)))
        encoder.ThreadPriority = *priority;

    run.CheckedRows = list.CheckedCount();
    if (run.CheckedRows == 0) {
        prompts.MessageBox("Warning", "Please select a file by clicking the check box!",
                           MsgIcon::Warning, MsgButtons::Ok);
        return run;
    }
    encoder.ClearTasks();
    for (int row = 0; row < list.Count(); ++row) {
        TTaskRow& r = list.Row(row);
        if (!r.Checked) continue;
        r.FailReason.clear();
        r.Progress.clear();
        try {
            const TPreparedTask task = PrepareTask(list, row, encoder.EncoderProber(), prompts, overrides);
            const int index = encoder.AddTask(task.Input.FileName, task.Input);
            if (index < 0)
                throw OptionsError(QString("Cannot open the source file: %1")
                                       .arg(encoder.EncoderProber().LastError()).toStdString());
            encoder.SetOutputFile(index, task.OutputPath, task.Output);
            run.TaskToRow.append(row);
            run.OutputPaths.append(task.OutputPath);
        } catch (const std::exception& e) {
            r.FailReason = QString::fromUtf8(e.what());
            r.Progress = "Failed";
            run.RefusedRows.append({row, r.FailReason});
        }
        encoder.EncoderProber().ProbeDetach();
    }
    run.Started = !run.TaskToRow.isEmpty();
    return run;
}

std::optional<int> ProgressPercent(const engine::TProgressInfo& info) {
    if (info.TotalTime <= 0) return std::nullopt;
    const int64_t p = info.CurrentTime * 100 / info.TotalTime;
    return static_cast<int>(std::clamp<int64_t>(p, 0, 100));
}

QString ProgressColumnText(const engine::TProgressInfo& info) {
    if (const auto p = ProgressPercent(info)) return QString::number(*p) + "%";
    return QString::number(std::max<int64_t>(0, info.CurrentTime) / 1000000) + " s";
}

QString SecondsText(int64_t micros) { return QString::number(micros / 1000000) + " Second"; }

QString SizeKbText(int64_t bytes) { return QString::number(bytes / 1000) + " kb"; }

QString BatchPositionText(int taskIndex, int taskCount) {
    return QString("[%1/%2]").arg(taskIndex + 1).arg(taskCount);
}

QString ShortenedFileName(const QString& caption) {
    if (caption.size() <= 50) return caption;
    const QString name = QFileInfo(caption).fileName();
    const int dot = name.lastIndexOf('.');
    const QString ext = dot >= 0 ? name.mid(dot) : QString();
    return caption.left(44) + ".." + ext;
}

bool CompletesBatch(const engine::TTerminateInfo& info, const TRunStart& run,
                    const TaskListModel& list) {
    if (info.TaskIndex < 0 || !info.Finished || info.Failed) return false;
    if (info.TaskIndex + 1 != run.TaskToRow.size()) return false;
    // A refused last checked row means the batch did not complete.
    int lastChecked = -1;
    for (int i = 0; i < list.Count(); ++i)
        if (list.Row(i).Checked) lastChecked = i;
    return run.TaskToRow.last() == lastChecked;
}

}  // namespace fw
