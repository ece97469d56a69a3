// The small windows: the splash, the about box, the folder chooser, and the
// output-folder and Help actions of the main window.
#include "GuiFixture.h"

#include "app/GlobalUnit.h"
#include "app/WinCover.h"
#include "editors/WinAbout.h"
#include "editors/directory.h"
#include "platform/Platform.h"

#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <sys/stat.h>

namespace fw::test {
namespace {

TEST_F(GuiTest, SplashTakesTheCoverSizeAndClosesAfterTheMainWindowShows) {
    QImage cover(500, 300, QImage::Format_RGB32);
    cover.fill(Qt::darkBlue);
    ASSERT_TRUE(cover.save(dir.File("cover.jpg")));
    TfrmCover splash(dir.File("cover.jpg"));
    splash.show();
    EXPECT_EQ(splash.size(), QSize(500, 300));
    QWidget mainWindow;
    splash.SetMainWindow(&mainWindow);
    splash.tmr1Timer();
    EXPECT_TRUE(splash.isVisible());  // not before the main window shows
    mainWindow.show();
    EXPECT_TRUE(WaitFor([&] { return !splash.isVisible(); }, 3000));

    TfrmCover builtIn(dir.File("missing.jpg"));
    builtIn.show();
    EXPECT_EQ(builtIn.size(), QSize(399, 239));
}

TEST_F(GuiTest, AboutBoxShowsNameVersionAndOpensTheWebSite) {
    StartWindow();
    QTimer::singleShot(0, [&] {
        auto* about = frm->findChild<TfrmAbout*>("frmAbout");
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->size(), QSize(330, 177));
        EXPECT_EQ(about->windowTitle(), "About");
        EXPECT_EQ(about->lblAppNameVer->text(), "Orvex Tarnwell 1.200 ");
        EXPECT_EQ(about->lblWebSite->text(), GlobalObject().WebSiteAddress());
        QTest::mouseClick(about->lblWebSite, Qt::LeftButton);
        QTest::mouseClick(about->btn1, Qt::LeftButton);
    });
    Action("About1")->trigger();
    EXPECT_EQ(opened, QStringList({GlobalObject().WebSiteAddress()}));

    Action("Help2")->trigger();
    Action("WebSite1")->trigger();
    Action("SupportandContact1")->trigger();
    EXPECT_EQ(opened, QStringList({GlobalObject().WebSiteAddress(), GlobalObject().HelpAddress(),
                                   GlobalObject().WebSiteAddress(), TfrmMain::SupportAddress()}));
}

TEST_F(GuiTest, BrowsAndOpenFollowTheOutputFolderRules) {
    StartWindow();
    auto* box = Find<QLineEdit>("edDirectory");
    auto* brows = Find<QToolButton>("btnBrows");
    const QString start = box->text();

    // Cancel, or the folder already shown: nothing changes, nothing is written.
    QTest::mouseClick(brows, Qt::LeftButton);
    prompts.PushFolder(start);
    QTest::mouseClick(brows, Qt::LeftButton);
    EXPECT_EQ(box->text(), start);
    EXPECT_EQ(prompts.folderStarts, QStringList({start, start}));

    // A writable folder is stored and shown.
    prompts.PushFolder(dir.File("out"));
    QTest::mouseClick(brows, Qt::LeftButton);
    EXPECT_EQ(box->text(), dir.File("out"));
    EXPECT_EQ(Get("OutPutDir"), dir.File("out"));

    // A root-like path is refused with a warning.
    prompts.PushFolder("/");
    QTest::mouseClick(brows, Qt::LeftButton);
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages[0].text, "The path / is not a valid directory.");
    EXPECT_EQ(box->text(), dir.File("out"));

    // A folder that cannot be written falls back to the default folder.
    if (::geteuid() != 0) {
        QDir().mkpath(dir.File("locked"));
        ::chmod(QFile::encodeName(dir.File("locked")).constData(), 0555);
        prompts.PushFolder(dir.File("locked"));
        QTest::mouseClick(brows, Qt::LeftButton);
        ASSERT_EQ(prompts.messages.size(), 2);
        EXPECT_TRUE(prompts.messages[1].text.contains("You don't have permission"));
        EXPECT_EQ(box->text(), dir.File("home") + "/framewright");
        ::chmod(QFile::encodeName(dir.File("locked")).constData(), 0755);
    }

    QTest::mouseClick(Find<QToolButton>("btnOpen"), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], platform::ResolveFolder(Get("OutPutDir")));
}

TEST_F(GuiTest, FolderChooserOkRuleCancelAndChoice) {
    StartWindow();
    TfmDirectory chooser(prompts);
    QStringList answers;
    // Selecting folders while the chooser is up: the second to fifth entries
    // under the root refuse Ok; deeper folders are fine.
    QTimer::singleShot(0, [&] {
        auto* tree = chooser.findChild<QTreeView*>("stview_selectdir");
        auto* ok = chooser.findChild<QPushButton*>("btnOk");
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(chooser.size(), QSize(322, 351));
        EXPECT_EQ(chooser.SelectedFolder(), dir.File("out"));
        EXPECT_TRUE(ok->isEnabled());
        auto* model = qobject_cast<QFileSystemModel*>(tree->model());
        const QModelIndex root = model->index("/");
        WaitFor([&] { return model->rowCount(root) > 5; }, 5000);
        ASSERT_GT(model->rowCount(root), 5);
        for (int row = 0; row <= 5; ++row) {
            tree->setCurrentIndex(model->index(row, 0, root));
            EXPECT_EQ(ok->isEnabled(), row == 0 || row == 5) << row;
        }
        chooser.SelectFolder(dir.File("out"));
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    answers << chooser.Choose(dir.File("out"));
    EXPECT_EQ(answers.value(0), dir.File("out"));

    // Cancel, and closing by the title bar, both return nothing.
    QTimer::singleShot(0, [&] {
        QTest::mouseClick(chooser.findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
    });
    EXPECT_EQ(chooser.Choose(dir.File("out")), "");
    QTimer::singleShot(0, [&] { chooser.close(); });
    EXPECT_EQ(chooser.Choose(dir.File("out")), "");
    EXPECT_TRUE(prompts.messages.isEmpty());
}

}  // namespace
}  // namespace fw::test
