// Adding files to the task list and registering a run, against the real
// engine and small generated clips.
#include "app/IniFile.h"
#include "common/AppTestEnv.h"
#include "engine/Encoder.h"
#include "jobs/ConversionRun.h"
#include "jobs/TaskList.h"
#include "platform/Prompts.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace fw;

namespace {

struct RunFixture {
    test::AppEnv env;
    ScriptedPrompts prompts;
    engine::TFFmpegEncoder encoder;
    TaskListModel list;
    QString out = env.dir.File("out");

    RunFixture() {
        IniFile settings(env.Settings());
        settings.WriteString("settings", "OutPutDir", out);
        settings.WriteInteger("settings", "FormatCode", 0);
        settings.WriteString("formatInfo0", "paraZoom", "pan");
        QFile format(GlobalObject().FormatFileName());
        format.open(QIODevice::WriteOnly);
        format.write("[formatInfo0]\nFileExt=swf\n");
    }
    QString Clip(const QString& name) {
        return test::MakeClip(env.dir.File(name), {.width = 160, .height = 120, .seconds = 1.0});
    }
};

}  // namespace

TEST(TaskListAdd, SkipsFoldersDuplicatesAndUnreadableFiles) {
    RunFixture f;
    const QString a = f.Clip("a.mp4");
    const QString b = f.Clip("b.mp4");
    const QString junk = f.env.dir.File("junk.flv");
    test::WriteText(junk, QByteArray(4096, 'x'));
    QDir().mkpath(f.env.dir.File("folder"));

    ASSERT_EQ(f.list.AddFiles({a}, f.encoder, f.prompts), 1);
    QStringList skipped;
    const int added = f.list.AddFiles({f.env.dir.File("folder"), a, junk, b, b.toUpper()},
                                      f.encoder, f.prompts, &skipped);
    EXPECT_EQ(added, 1);  // b; B.MP4 does not exist, so the engine cannot open it
    EXPECT_EQ(skipped.size(), 4);
    ASSERT_EQ(f.list.Count(), 2);
    const TTaskRow& row = f.list.Row(1);
    EXPECT_EQ(row.Caption, b);
    EXPECT_EQ(row.Length, "1");
    EXPECT_EQ(row.TrimmedLength, "1");
    EXPECT_EQ(row.Destination, "b_(new)_ipod.swf");
    EXPECT_TRUE(row.Checked);
    EXPECT_EQ(row.Record.BatchIndex, 3);  // its position in that selection
    EXPECT_EQ(row.Record.ZoomMode, "pan");
    EXPECT_EQ(row.Record.AddedDestination, f.out + "/b_(new)_ipod.swf");
    EXPECT_EQ(f.list.Selected(), 0);
    EXPECT_EQ(f.encoder.TaskCount(), 0);  // the engine only probed
}

TEST(RunStart, MapsTasksToCheckedRowsAndRefusesWhatCannotRun) {
    RunFixture f;
    const QString a = f.Clip("a.mp4");
    const QString b = f.Clip("b.mp4");
    const QString c = f.Clip("c.mp4");
    ASSERT_EQ(f.list.AddFiles({a, b, c}, f.encoder, f.prompts), 3);
    f.list.SetChecked(1, false);
    f.list.Row(2).Record.TrimStart = 250000;
    f.list.Row(2).Record.TrimLength = 500000;
    f.list.Row(2).Record.ZoomMode = "lbox";  // the profile's stored zoom replaces it

    TRunStart run = StartRun(f.list, f.encoder, f.prompts);
    EXPECT_TRUE(run.Started);
    EXPECT_EQ(run.TaskToRow, (QList<int>{0, 2}));
    EXPECT_EQ(run.OutputPaths, (QStringList{f.out + "/a_(new).swf", f.out + "/c_(new).swf"}));
    EXPECT_EQ(f.encoder.TaskCount(), 2);
    EXPECT_EQ(f.list.Row(2).Record.ZoomMode, "pan");

    // The trimmed row's records: start from the trim, length limited to it.
    const TPreparedTask task = PrepareTask(f.list, 2, f.encoder.EncoderProber(), f.prompts);
    f.encoder.EncoderProber().ProbeDetach();
    EXPECT_EQ(task.Input.StartTime, 250000);
    EXPECT_EQ(task.Output.RecordingTime, 500000);
    EXPECT_FALSE(task.Output.VideoHook);

    // A source that disappeared since it was added is refused with a reason;
    // the other rows still register.
    QFile::remove(a);
    run = StartRun(f.list, f.encoder, f.prompts);
    EXPECT_EQ(run.TaskToRow, (QList<int>{2}));
    ASSERT_EQ(run.RefusedRows.size(), 1);
    EXPECT_EQ(run.RefusedRows[0].first, 0);
    EXPECT_EQ(f.list.Row(0).Progress, "Failed");
    EXPECT_FALSE(f.list.Row(0).FailReason.isEmpty());
}

TEST(RunStart, NothingCheckedOnlyWarns) {
    RunFixture f;
    ASSERT_EQ(f.list.AddFiles({f.Clip("a.mp4")}, f.encoder, f.prompts), 1);
    f.list.UncheckAll();
    const TRunStart run = StartRun(f.list, f.encoder, f.prompts);
    EXPECT_FALSE(run.Started);
    ASSERT_EQ(f.prompts.messages.size(), 1);
    EXPECT_EQ(f.prompts.messages[0].caption, "Warning");
    EXPECT_EQ(f.prompts.messages[0].text, "Please select a file by clicking the check box!");
    EXPECT_EQ(f.encoder.TaskCount(), 0);
}
