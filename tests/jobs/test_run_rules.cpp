// The texts and decisions of the progress window, and the task list's own
// operations, without an engine.
#include "jobs/ConversionRun.h"
#include "jobs/TaskList.h"

#include <gtest/gtest.h>

using namespace fw;

namespace {

TaskListModel ListOf(int n) {
    TaskListModel list;
    for (int i = 0; i < n; ++i) {
        TTaskRow row;
        row.Caption = QString("/v/clip%1.flv").arg(i);
        list.AppendRow(row);
    }
    return list;
}

engine::TProgressInfo Progress(int64_t current, int64_t total) {
    engine::TProgressInfo p;
    p.CurrentTime = current;
    p.TotalTime = total;
    return p;
}

}  // namespace

TEST(ProgressTexts, PercentageAndUnknownTotal) {
    EXPECT_EQ(ProgressColumnText(Progress(37'000'000, 100'000'000)), "37%");
    EXPECT_EQ(ProgressColumnText(Progress(100'000'000, 100'000'000)), "100%");
    EXPECT_EQ(ProgressColumnText(Progress(101'000'000, 100'000'000)), "100%");  // never past the end
    EXPECT_EQ(ProgressColumnText(Progress(61'500'000, 0)), "61 s");  // no division by zero
    EXPECT_FALSE(ProgressPercent(Progress(5, 0)).has_value());
    EXPECT_FALSE(ProgressPercent(Progress(5, -1)).has_value());
}

TEST(ProgressTexts, LabelsOfTheProgressWindow) {
    EXPECT_EQ(SecondsText(61'500'000), "61 Second");
    EXPECT_EQ(SizeKbText(1'536'000), "1536 kb");
    EXPECT_EQ(BatchPositionText(1, 2), "[2/2]");
    const QString shortPath = "/home/u/movie.flv";
    EXPECT_EQ(ShortenedFileName(shortPath), shortPath);
    const QString longPath = "/home/someone/videos/holiday/2026/august/evening/movie.flv";
    ASSERT_GT(longPath.size(), 50);
    EXPECT_EQ(ShortenedFileName(longPath), longPath.left(44) + "...flv");
    EXPECT_EQ(ShortenedFileName(QString(60, 'a')), QString(44, 'a') + "..");
}

TEST(ProgressTexts, PrioritySetting) {
    EXPECT_EQ(PriorityFromSetting(0), engine::TThreadPriority::Idle);
    EXPECT_EQ(PriorityFromSetting(3), engine::TThreadPriority::Lowest);
    EXPECT_FALSE(PriorityFromSetting(7).has_value());
}

TEST(AfterBatch, OnlyTheLastCheckedTaskFinishingCompletesTheBatch) {
    TaskListModel list = ListOf(3);
    list.SetChecked(1, false);
    TRunStart run;
    run.TaskToRow = {0, 2};
    engine::TTerminateInfo t;
    t.Finished = true;
    t.TaskIndex = 0;
    EXPECT_FALSE(CompletesBatch(t, run, list));
    t.TaskIndex = 1;
    EXPECT_TRUE(CompletesBatch(t, run, list));
    t.Finished = false;  // the last task stopped or failed
    EXPECT_FALSE(CompletesBatch(t, run, list));
    t.TaskIndex = -1;
    t.Finished = true;
    EXPECT_FALSE(CompletesBatch(t, run, list));
    // The last checked row was refused at the start: the batch never completes.
    list.SetChecked(1, true);
    run.TaskToRow = {0, 1};
    run.RefusedRows = {{2, "cannot open"}};
    EXPECT_FALSE(CompletesBatch(t, run, list));
}

TEST(TaskList, RemoveSelectsTheRowThatTakesItsPlace) {
    TaskListModel list = ListOf(3);
    EXPECT_TRUE(list.HasColumns());
    list.Select(2);
    list.RemoveSelected();
    EXPECT_EQ(list.Selected(), 1);  // the new last row
    list.Select(0);
    list.RemoveSelected();
    EXPECT_EQ(list.Selected(), 0);
    EXPECT_EQ(list.Row(0).Caption, "/v/clip1.flv");
    list.RemoveSelected();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.Selected(), -1);
    EXPECT_FALSE(list.HasColumns());
    list.RemoveSelected();  // nothing selected: nothing happens
}

TEST(TaskList, CheckOperations) {
    TaskListModel list = ListOf(3);
    EXPECT_EQ(list.CheckedCount(), 3);
    list.UncheckSelected();  // no selection: nothing changes
    EXPECT_EQ(list.CheckedCount(), 3);
    list.Select(1);
    list.UncheckSelected();
    EXPECT_FALSE(list.Row(1).Checked);
    list.ReverseCheck();
    EXPECT_EQ(list.CheckedCount(), 1);
    EXPECT_TRUE(list.Row(1).Checked);
    list.UncheckAll();
    EXPECT_EQ(list.CheckedCount(), 0);
    list.CheckAll();
    EXPECT_EQ(list.CheckedCount(), 3);
    list.Clear();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_FALSE(list.HasColumns());
}

TEST(TaskRecord, NeutralityAndHookSwitch) {
    TlvFilesRecord rec;
    EXPECT_TRUE(IsNeutral(rec));
    EXPECT_FALSE(NeedsVideoHook(rec));
    rec.TrimLength = 5;
    EXPECT_FALSE(IsNeutral(rec));
    EXPECT_FALSE(NeedsVideoHook(rec));  // trimming needs no per-frame work
    rec = {};
    rec.Exposure = 1;
    EXPECT_TRUE(NeedsVideoHook(rec));
    rec = {};
    rec.WaterMarks.append(effects::TWmRec{});  // neither text nor picture
    rec.WaterMarks.append(effects::TWmRec{});
    rec.WaterMarks[1].Text = "late";
    EXPECT_FALSE(NeedsVideoHook(rec));  // only the first item is looked at
    rec.WaterMarks[0].ImageFile = "/x.bmp";
    EXPECT_TRUE(NeedsVideoHook(rec));
}
