// Not a check: with FW_SCREENSHOT_DIR set, drives the real windows and saves
// pictures of the main window, the open format list and the progress window
// during a conversion (run it under xvfb-run with QT_QPA_PLATFORM=xcb).
#include "GuiFixture.h"

#include "jobs/WinProgress.h"
#include "profiles/WinFormatList.h"

#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

namespace fw::test {
namespace {

TEST_F(GuiTest, Screenshots) {
    const QString out = qEnvironmentVariable("FW_SCREENSHOT_DIR");
    if (out.isEmpty()) GTEST_SKIP() << "FW_SCREENSHOT_DIR not set";
    const QString suffix = qEnvironmentVariable("FW_SCREENSHOT_SUFFIX");
    QDir().mkpath(out);
    auto save = [&](QWidget* w, const QString& name) {
        const QPixmap pm = w->grab();
        EXPECT_TRUE(pm.save(out + "/" + name + suffix + ".png")) << name.toStdString();
    };

    const QString a =
        MakeClip(dir.File("holiday_beach.mp4"), {.width = 640, .height = 360, .seconds = 40.0});
    const QString b =
        MakeClip(dir.File("birthday_party.mkv"), {.width = 480, .height = 360, .seconds = 8.0});
    const QString c =
        MakeClip(dir.File("interview.avi"), {.width = 320, .height = 240, .seconds = 5.0});
    Set("OutPutDir", dir.File("out"));
    Set("FormatCode", "103");
    Set("FormatName", "H.264/MPEG-4 AVC Video (*.mp4)");
    StartWindow();
    frm->AddFiles({a, b, c});
    frm->Tasks().SetChecked(2, false);
    frm->RefreshList();
    QTest::qWait(200);
    save(frm.get(), "main");

    TFormatDropDown* dd = frm->formatDropDown;
    QTest::mouseClick(dd->imgbtn1, Qt::LeftButton);
    const int video = 1;
    QTest::mouseClick(dd->lst1->viewport(), Qt::LeftButton, {},
                      QPoint(8, dd->lst1->RowRect(video).center().y()));
    QTest::mouseMove(dd->lst1->viewport(), QPoint(120, dd->lst1->RowRect(video + 4).center().y()));
    QTest::qWait(200);
    save(frm.get(), "dropdown");
    dd->CloseList();

    bool taken = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TfrmProgress* w = frm->ProgressWindow();
        if (!w || !w->isVisible() || taken) return;
        if (w->progbarFile->value() < 15 || w->imgPreview->Picture().isNull()) return;
        taken = true;
        save(w, "progress");
        // The progress window over the main window, as the user sees them.
        const QPixmap main = frm->grab();
        const QPixmap dialog = w->grab();
        const qreal dpr = main.devicePixelRatio();
        const QSize mainSize = main.deviceIndependentSize().toSize();
        const QSize dialogSize = dialog.deviceIndependentSize().toSize();
        QPixmap both(QSize(mainSize.width(), dialogSize.height() + 40) * dpr);
        both.setDevicePixelRatio(dpr);
        both.fill(QColor(60, 64, 72));
        QPainter p(&both);
        p.drawPixmap(0, 0, main);
        const QPoint at((mainSize.width() - dialogSize.width()) / 2 + 60, 24);
        p.fillRect(QRect(at + QPoint(5, 5), dialogSize), QColor(0, 0, 0, 70));
        p.drawPixmap(at, dialog);
        p.end();
        both.save(out + "/converting" + suffix + ".png");
        w->close();
    });
    poll.start(50);
    QTest::mouseClick(Find<QToolButton>("btnStart"), Qt::LeftButton);
    poll.stop();
    EXPECT_TRUE(taken);
}

}  // namespace
}  // namespace fw::test
