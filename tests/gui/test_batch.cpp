// Whole batches converted from the window: "&Start" with generated clips, the
// modal progress window with its labels and preview, Pause, Resume, Cancel,
// the after-batch actions and a file that fails in the middle of a batch.
#include "GuiFixture.h"

#include "app/WinTaskList.h"
#include "engine/Encoder.h"
#include "jobs/WinProgress.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace fw::test {
namespace {

class BatchTest : public GuiTest {
  protected:
    void SetUp() override {
        Set("OutPutDir", dir.File("out"));
        Set("FormatCode", "102");  // MPEG-4 Video (*.mp4)
        Set("FormatName", "MPEG-4 Video (*.mp4)");
    }

    QString Clip(const QString& name, double seconds, int width = 160, int height = 120) {
        return MakeClip(dir.File(name), {.width = width, .height = height, .seconds = seconds});
    }

    QStringList Outputs() const {
        return QDir(dir.File("out")).entryList({"*.mp4"}, QDir::Files, QDir::Name);
    }

    // Runs `step` every 20 ms while the progress window is up; a watchdog
    // closes the window when the run takes far too long.
    void PressStart(const std::function<void(TfrmProgress&)>& step = {}) {
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            TfrmProgress* w = frm->ProgressWindow();
            if (w && w->isVisible() && step) step(*w);
        });
        poll.start(20);
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            ADD_FAILURE() << "the run did not end";
            if (TfrmProgress* w = frm->ProgressWindow()) w->close();
        });
        watchdog.start(120000);
        QTest::mouseClick(Find<QToolButton>("btnStart"),
                          Qt::LeftButton);  // returns when the window closes
        poll.stop();
        watchdog.stop();
        // The end-of-run events still in the queue.
        WaitFor([&] { return !frm->Encoder().IsWorking(); });
        QTest::qWait(50);
    }
};

TEST_F(BatchTest, TwoClipsFromStartToTheClosedProgressWindow) {
    const QString a = Clip("first.mp4", 2.0);
    const QString b = Clip("second.mkv", 2.0);
    StartWindow();
    frm->AddFiles({a, b});
    ASSERT_EQ(frm->Tasks().Count(), 2);

    bool wasModal = false;
    PressStart([&](TfrmProgress& w) {
        wasModal = wasModal || (w.isModal() && QApplication::activeModalWidget() == &w);
    });

    TfrmProgress* w = frm->ProgressWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(w->size(), QSize(420, 460));
    EXPECT_EQ(w->windowTitle(), "Progress");
    // The labels keep what the last report of the run showed.
    EXPECT_EQ(w->lblProgress->text(), "[2/2]");
    EXPECT_EQ(w->lblOutput->text(), b);
    EXPECT_FALSE(frm->PreviewPicture().isNull());
    EXPECT_TRUE(w->lblSize->text().endsWith(" kb"));
    EXPECT_TRUE(w->lblLength->text().endsWith(" Second"));
    EXPECT_EQ(w->progbarFile->value(), 100);

    EXPECT_EQ(Outputs(), QStringList({"first_(new).mp4", "second_(new).mp4"}));
    for (const QString& f : Outputs()) {
        const auto probe = Ffprobe(dir.File("out/" + f));
        EXPECT_EQ(probe.value("stream.0.codec_type"), "video") << f.toStdString();
    }
    EXPECT_EQ(frm->Tasks().Row(0).Progress, "100%");
    EXPECT_EQ(frm->Tasks().Row(1).Progress, "100%");
    EXPECT_EQ(frm->lvFiles->model()->index(1, 4).data().toString(), "100%");
    // The output folder is opened (the box is checked at every show); the
    // machine is not switched off.
    EXPECT_EQ(opened, QStringList({dir.File("out")}));
    EXPECT_EQ(power.calls, 0);
    for (const char* b : {"btnAdd", "btnRemove", "btnClear", "btnStart"})
        EXPECT_TRUE(Find<QToolButton>(b)->isEnabled()) << b;
    EXPECT_EQ(frm->Encoder().TaskCount(), 0);
    EXPECT_TRUE(prompts.messages.isEmpty());

    // A second batch never overwrites the first one's files; the power-off
    // box is honoured through the platform service.
    PressStart([&](TfrmProgress& w) {
        w.ckShutDown->setChecked(true);
        w.ckOpen->setChecked(false);
    });
    EXPECT_EQ(Outputs().size(), 4);
    EXPECT_TRUE(Outputs().contains("first_(new_1).mp4"));
    EXPECT_EQ(power.calls, 1);
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(BatchTest, OnlyCheckedRowsAndAWarningWithoutAny) {
    const QString a = Clip("a.mp4", 1.0);
    const QString b = Clip("b.mp4", 1.0);
    const QString c = Clip("c.mp4", 1.0);
    StartWindow();
    frm->AddFiles({a, b, c});
    Action("UncheckAll1")->trigger();
    PressStart();
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages[0].caption, "Warning");
    EXPECT_EQ(prompts.messages[0].text, "Please select a file by clicking the check box!");
    EXPECT_EQ(frm->ProgressWindow(), nullptr);

    frm->Tasks().SetChecked(0, true);
    frm->Tasks().SetChecked(2, true);
    PressStart();
    EXPECT_EQ(frm->CurrentRun().TaskToRow, QList<int>({0, 2}));
    EXPECT_EQ(Outputs(), QStringList({"a_(new).mp4", "c_(new).mp4"}));
    EXPECT_EQ(frm->Tasks().Row(1).Progress, "");
}

TEST_F(BatchTest, PauseResumeAndCancel) {
    const QString a = Clip("long1.mp4", 20.0, 640, 480);
    const QString b = Clip("long2.mp4", 20.0, 640, 480);
    StartWindow();
    frm->AddFiles({a, b});

    enum { Running, Paused, Resumed, Done } state = Running;
    bool pausedOk = false, resumedOk = false;
    QString timeWhenPaused;
    QElapsedTimer since;
    PressStart([&](TfrmProgress& w) {
        switch (state) {
            case Running:
                if (w.lblTime->text().isEmpty()) return;
                QTest::mouseClick(w.btnPause, Qt::LeftButton);
                pausedOk = frm->Encoder().IsPaused() && !w.btnPause->isEnabled() &&
                           w.btnResume->isEnabled();
                since.start();
                state = Paused;
                return;
            case Paused:
                if (since.elapsed() < 150) {
                    timeWhenPaused = w.lblTime->text();
                    return;
                }
                if (since.elapsed() < 700) {
                    pausedOk = pausedOk && w.lblTime->text() == timeWhenPaused;
                    return;
                }
                QTest::mouseClick(w.btnResume, Qt::LeftButton);
                resumedOk = !frm->Encoder().IsPaused() && w.btnPause->isEnabled() &&
                            !w.btnResume->isEnabled();
                state = Resumed;
                return;
            case Resumed:
                QTest::mouseClick(w.btnCancel, Qt::LeftButton);
                state = Done;
                return;
            case Done:
                return;
        }
    });
    EXPECT_EQ(state, Done);
    EXPECT_TRUE(pausedOk);
    EXPECT_TRUE(resumedOk);
    EXPECT_FALSE(frm->ProgressWindow()->isVisible());
    // Nothing reached its end: no "100%", no file left behind, no after-batch action.
    EXPECT_NE(frm->Tasks().Row(0).Progress, "100%");
    EXPECT_NE(frm->Tasks().Row(1).Progress, "100%");
    EXPECT_NE(frm->Tasks().Row(0).Progress, "Failed");
    EXPECT_TRUE(QDir(dir.File("out")).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(power.calls, 0);
    EXPECT_TRUE(Find<QToolButton>("btnStart")->isEnabled());

    // Closing the window by its title bar (or Escape) cancels as well.
    PressStart([&](TfrmProgress& w) {
        if (!w.lblTime->text().isEmpty()) QTest::keyClick(&w, Qt::Key_Escape);
    });
    EXPECT_FALSE(frm->ProgressWindow()->isVisible());
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(BatchTest, AFailingFileInTheMiddleIsMarkedAndTheBatchGoesOn) {
    const QString a = Clip("a.mp4", 1.0);
    const QString broken = Clip("broken.mp4", 1.0);
    const QString c = Clip("c.mp4", 1.0);
    StartWindow();
    frm->AddFiles({a, broken, c});
    ASSERT_EQ(frm->Tasks().Count(), 3);
    // The middle file is damaged after it was added.
    {
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(4096, '\x5a'));
    }
    PressStart();

    EXPECT_EQ(frm->Tasks().Row(0).Progress, "100%");
    EXPECT_EQ(frm->Tasks().Row(2).Progress, "100%");
    EXPECT_EQ(frm->Tasks().Row(1).Progress, "Failed");
    const QString tip = frm->lvFiles->model()->index(1, 4).data(Qt::ToolTipRole).toString();
    EXPECT_FALSE(tip.isEmpty());
    EXPECT_EQ(Outputs(), QStringList({"a_(new).mp4", "c_(new).mp4"}));
    EXPECT_EQ(opened.size(), 1);  // the last checked row completed the batch

    // A task that fails while converting is shown the same way.
    engine::TTerminateInfo failed;
    failed.TaskIndex = 0;
    failed.Finished = false;
    failed.Failed = true;
    failed.ErrorText = "Cannot write the output file";
    frm->CCAVCTerminate(failed);
    EXPECT_EQ(frm->lvFiles->model()->index(0, 4).data().toString(), "Failed");
    EXPECT_EQ(frm->lvFiles->model()->index(0, 1).data(Qt::ToolTipRole).toString(),
              "Cannot write the output file");
}

TEST_F(BatchTest, WhenNoRowCanBeRegisteredTheUserIsTold) {
    const QString a = Clip("gone.mp4", 1.0);
    StartWindow();
    frm->AddFiles({a});
    QFile::remove(a);
    PressStart();
    EXPECT_EQ(frm->ProgressWindow(), nullptr);
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].text.startsWith("No file could be converted:"));
    EXPECT_EQ(frm->Tasks().Row(0).Progress, "Failed");
}

}  // namespace
}  // namespace fw::test
