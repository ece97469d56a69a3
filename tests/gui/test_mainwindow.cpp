// The main window as its users meet it: first start, skins, menus and their
// enable rules, the owner-drawn task list, list operations, the close query
// and the application-wide error handler.
#include "GuiFixture.h"

#include "app/Skins.h"
#include "app/WinErrorHandler.h"
#include "app/WinSkins.h"
#include "app/WinTaskList.h"
#include "engine/FFmpegException.h"
#include "profiles/WinFormatList.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

namespace fw::test {
namespace {

TEST_F(GuiTest, FirstStartWithoutSettingsFile) {
    ASSERT_FALSE(QFile::exists(SettingsPath()));
    StartWindow();

    EXPECT_EQ(frm->windowTitle(), "Orvex Tarnwell 1.200 ");
    EXPECT_EQ(QApplication::applicationDisplayName(), "Orvex Tarnwell");
    // Theme "Default" is applied and the Skin submenu shows it.
    EXPECT_EQ(frm->CurrentSkin(), 0);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), ToColor(SkinThemes()[0].Window));
    emit frm->Skin1->aboutToShow();
    EXPECT_TRUE(frm->SkinItems[0]->isChecked());
    // Both folders are repaired to the home folder's default and written.
    const QString fallback = dir.File("home") + "/framewright";
    EXPECT_EQ(Get("OutPutDir"), fallback);
    EXPECT_EQ(Get("SnapOutPutDir"), fallback);
    EXPECT_EQ(Find<QLineEdit>("edDirectory")->text(), fallback);
    EXPECT_EQ(Find<QSlider>("trcVolume")->value(), 0);
    EXPECT_FALSE(Find<QCheckBox>("ckMute")->isChecked());
    // The format box shows the default name; the list is closed and empty.
    EXPECT_EQ(frm->formatDropDown->edt1->text(), "Apple iPod Video MPEG-4 Movie (*.mp4)");
    EXPECT_FALSE(frm->formatDropDown->IsOpen());
    EXPECT_EQ(frm->lvFiles->model()->rowCount(), 0);
    EXPECT_FALSE(frm->lvFiles->header()->isHidden());  // the report columns of a fresh start
    EXPECT_EQ(frm->lvFiles->model()->columnCount(), 5);
    // The window cannot be resized and has room for every control.
    EXPECT_EQ(frm->minimumSize(), frm->maximumSize());
    EXPECT_EQ(frm->centralWidget()->size(), QSize(770, 424));
    // The format file was installed for the engine.
    EXPECT_TRUE(QFile::exists(dir.File("config") + "/orvextarnwellformat.ini"));
}

TEST_F(GuiTest, StoredSettingsAreRestoredWithTheirLimits) {
    struct Case {
        QString skin, volume, mute;
        int wantSkin, wantVolume;
        bool wantMute;
    };
    const Case cases[] = {
        {"5", "128", "1", 5, 128, true},
        {"9", "200", "2", -1, 64, false},  // out of range: no theme, volume 64, mute as designed
        {"abc", "-1", "0", 0, 64, false},  // not a number reads as the default theme
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.skin.toStdString());
        QFile::remove(SettingsPath());
        QApplication::setPalette(SkinPalette(-1));
        Set("skinIndex", c.skin);
        Set("volume", c.volume);
        Set("mute", c.mute);
        StartWindow();
        EXPECT_EQ(frm->CurrentSkin(), c.wantSkin);
        EXPECT_EQ(Find<QSlider>("trcVolume")->value(), c.wantVolume);
        EXPECT_EQ(Find<QCheckBox>("ckMute")->isChecked(), c.wantMute);
        emit frm->Skin1->aboutToShow();
        for (int i = 0; i < kSkinCount; ++i)
            EXPECT_EQ(frm->SkinItems[i]->isChecked(), i == c.wantSkin) << i;
        frm.reset();
    }
}

TEST_F(GuiTest, SkinChoiceAppliesThemeAndPersists) {
    StartWindow();
    AppendRows({"/a.flv", "/b.flv", "/c.flv", "/d.flv"});
    emit frm->Skin1->aboutToShow();
    Action("Skin61")->trigger();  // "Green"
    EXPECT_EQ(Get("skinIndex"), "5");
    EXPECT_EQ(frm->CurrentSkin(), 5);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), ToColor(SkinThemes()[5].Window));
    for (int i = 0; i < kSkinCount; ++i) EXPECT_EQ(frm->SkinItems[i]->isChecked(), i == 5);

    // Rows at positions 1 and 3 carry the theme's tint, the others are white
    // (row 0 is the focused one).
    frm->lvFiles->clearFocus();
    QTest::qWait(20);
    const QImage shot = frm->lvFiles->viewport()->grab().toImage();
    auto colourOfRow = [&](int row) {
        const QRect r = frm->lvFiles->visualRect(frm->lvFiles->model()->index(row, 4));
        return QColor(shot.pixel(r.center().x() + 20, r.center().y()));
    };
    EXPECT_EQ(colourOfRow(1), QColor(226, 247, 225));
    EXPECT_EQ(colourOfRow(3), QColor(226, 247, 225));
    EXPECT_EQ(colourOfRow(2), QColor(Qt::white));
    EXPECT_EQ(colourOfRow(0), QColor(229, 236, 248));  // focused row, list without focus

    // Clicking the checked item again changes nothing.
    Action("Skin61")->trigger();
    EXPECT_TRUE(frm->SkinItems[5]->isChecked());
    EXPECT_EQ(frm->CurrentSkin(), 5);

    // The next start restores the theme.
    frm.reset();
    QApplication::setPalette(SkinPalette(-1));
    StartWindow();
    EXPECT_EQ(frm->CurrentSkin(), 5);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), ToColor(SkinThemes()[5].Window));
}

TEST_F(GuiTest, CheckBoxesAreDrawnAndClicked) {
    StartWindow();
    AppendRows({"/a.flv", "/b.flv"});
    auto inkInBox = [&](int row) {
        const QImage shot = frm->lvFiles->viewport()->grab().toImage();
        const QRect box = frm->lvFiles->CheckBoxRect(row).adjusted(3, 3, -3, -3);
        int dark = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) dark += qGray(shot.pixel(x, y)) < 100;
        return dark;
    };
    EXPECT_GT(inkInBox(1), 3);  // the tick
    const QRect box = frm->lvFiles->CheckBoxRect(1);
    QTest::mouseClick(frm->lvFiles->viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_FALSE(frm->Tasks().Row(1).Checked);
    EXPECT_EQ(inkInBox(1), 0);  // an empty box
    EXPECT_EQ(frm->Tasks().Selected(), 1);
    // A click on the row's text selects without toggling.
    const QRect text = frm->lvFiles->visualRect(frm->lvFiles->model()->index(0, 1));
    QTest::mouseClick(frm->lvFiles->viewport(), Qt::LeftButton, {}, text.center());
    EXPECT_TRUE(frm->Tasks().Row(0).Checked);
    EXPECT_EQ(frm->Tasks().Selected(), 0);
}

TEST_F(GuiTest, MenuEnableRulesFollowTheSelection) {
    StartWindow();
    const char* editItems[] = {"CheckAll1", "UncheckAll1", "ReverseCheck1", "Check1", "Uncheck1"};
    const char* listItems[] = {"PopRemove", "PopClear", "PopStart"};
    auto expectEnabled = [&](bool e) {
        emit frm->Edit1->aboutToShow();
        emit frm->suiPopupMenu1->aboutToShow();
        for (const char* n : editItems) EXPECT_EQ(Action(n)->isEnabled(), e) << n;
        for (const char* n : listItems) EXPECT_EQ(Action(n)->isEnabled(), e) << n;
        EXPECT_TRUE(Action("PopAdd")->isEnabled());
        // Editors of later features stay off whatever the selection.
        for (const char* n : {"Crop1", "Trim1", "VideoEffect1", "PopVideoInfo", "Preference1"})
            EXPECT_FALSE(Action(n)->isEnabled()) << n;
    };
    {
        SCOPED_TRACE("empty list");
        expectEnabled(false);
    }
    AppendRows({"/a.flv", "/b.flv"});
    {
        SCOPED_TRACE("a row selected");
        expectEnabled(true);
    }
    // A click on empty space below the rows leaves none selected.
    QTest::mouseClick(frm->lvFiles->viewport(), Qt::LeftButton, {},
                      QPoint(100, frm->lvFiles->viewport()->height() - 5));
    EXPECT_EQ(frm->Tasks().Selected(), -1);
    {
        SCOPED_TRACE("rows, none selected");
        expectEnabled(false);
    }
    EXPECT_FALSE(Action("Settings1")->isVisible());
    // The right button opens the list menu over the list.
    QTest::mousePress(frm->lvFiles->viewport(), Qt::RightButton, {},
                      frm->lvFiles->visualRect(frm->lvFiles->model()->index(1, 1)).center());
    EXPECT_TRUE(WaitFor([&] { return frm->suiPopupMenu1->isVisible(); }));
    EXPECT_EQ(frm->Tasks().Selected(), 1);
    EXPECT_TRUE(Action("PopRemove")->isEnabled());
    frm->suiPopupMenu1->close();
}

TEST_F(GuiTest, CheckOperationsFromTheEditMenu) {
    StartWindow();
    AppendRows({"/a.flv", "/b.flv", "/c.flv"});
    auto checks = [&] {
        QString s;
        for (int i = 0; i < frm->Tasks().Count(); ++i) s += frm->Tasks().Row(i).Checked ? "x" : "-";
        return s;
    };
    Action("UncheckAll1")->trigger();
    EXPECT_EQ(checks(), "---");
    frm->Tasks().Select(1);
    frm->RefreshList();
    Action("Check1")->trigger();
    EXPECT_EQ(checks(), "-x-");
    Action("ReverseCheck1")->trigger();
    EXPECT_EQ(checks(), "x-x");
    Action("CheckAll1")->trigger();
    EXPECT_EQ(checks(), "xxx");
    Action("Uncheck1")->trigger();
    EXPECT_EQ(checks(), "x-x");
    // "C&heck" with nothing selected changes nothing.
    frm->lvFiles->clearSelection();
    frm->lvFiles->setCurrentIndex({});
    Action("Check1")->trigger();
    EXPECT_EQ(checks(), "x-x");
}

TEST_F(GuiTest, RemoveAndClearKeepASensibleSelection) {
    StartWindow();
    AppendRows({"/a.flv", "/b.flv", "/c.flv"});
    auto* remove = Find<QToolButton>("btnRemove");
    frm->Tasks().Select(2);
    frm->RefreshList();
    QTest::mouseClick(remove, Qt::LeftButton);
    ASSERT_EQ(frm->Tasks().Count(), 2);
    EXPECT_EQ(frm->Tasks().Selected(), 1);  // the new last row
    EXPECT_EQ(frm->lvFiles->currentIndex().row(), 1);
    frm->Tasks().Select(0);
    frm->RefreshList();
    QTest::mouseClick(remove, Qt::LeftButton);
    ASSERT_EQ(frm->Tasks().Count(), 1);
    EXPECT_EQ(frm->Tasks().Row(0).Caption, "/b.flv");  // the row that moved into place
    EXPECT_EQ(frm->Tasks().Selected(), 0);
    QTest::mouseClick(remove, Qt::LeftButton);
    EXPECT_EQ(frm->Tasks().Count(), 0);
    EXPECT_TRUE(frm->lvFiles->header()->isHidden());  // no columns in an empty list
    QTest::mouseClick(remove, Qt::LeftButton);        // nothing to remove: nothing happens
    EXPECT_EQ(frm->Tasks().Count(), 0);

    AppendRows({"/a.flv", "/b.flv"});
    EXPECT_FALSE(frm->lvFiles->header()->isHidden());
    EXPECT_EQ(frm->lvFiles->header()->sectionSize(0), 140);
    EXPECT_EQ(frm->lvFiles->header()->sectionSize(4), 60);
    QTest::mouseClick(Find<QToolButton>("btnClear"), Qt::LeftButton);
    EXPECT_EQ(frm->Tasks().Count(), 0);
    EXPECT_TRUE(frm->lvFiles->header()->isHidden());
}

TEST_F(GuiTest, AddSkipsFoldersAndDuplicatesAndAcceptsDrops) {
    const QString a = MakeClip(dir.File("a.flv"),
                               {.width = 160, .height = 120, .seconds = 2.0, .videoCodec = "flv"});
    const QString b = MakeClip(dir.File("b.mp4"), {.width = 160, .height = 120, .seconds = 1.0});
    const QString c = MakeClip(dir.File("c.mkv"), {.width = 160, .height = 120, .seconds = 1.0});
    QFile::copy(a, dir.File("A.flv"));
    StartWindow();
    prompts.PushFiles({a, dir.File("out"), a, b, dir.File("A.flv")});
    QTest::mouseClick(Find<QToolButton>("btnAdd"), Qt::LeftButton);

    ASSERT_EQ(prompts.openFilters.size(), 1);
    EXPECT_TRUE(prompts.openFilters[0].startsWith("FLV files (*.flv);;All media files ("));
    EXPECT_TRUE(prompts.openFilters[0].endsWith(";;All files (*)"));
    ASSERT_EQ(frm->Tasks().Count(), 3);  // the folder and the repeated path are skipped
    EXPECT_EQ(frm->Tasks().Row(0).Caption, a);
    EXPECT_EQ(frm->Tasks().Row(1).Caption, b);
    EXPECT_EQ(frm->Tasks().Row(2).Caption, dir.File("A.flv"));  // letter case counts
    EXPECT_EQ(frm->Tasks().Row(1).Record.BatchIndex, 3);
    EXPECT_EQ(frm->Tasks().Row(0).Length, "2");
    EXPECT_EQ(frm->lvFiles->model()->index(0, 3).data().toString(), "a_(new)_ipod.mp4");
    EXPECT_TRUE(frm->Tasks().Row(0).Checked);
    EXPECT_EQ(frm->Tasks().Selected(), 0);
    EXPECT_FALSE(frm->lvFiles->header()->isHidden());
    EXPECT_TRUE(prompts.messages.isEmpty());  // skipped files are skipped silently

    // Cancelling the dialog adds nothing.
    QTest::mouseClick(Find<QToolButton>("btnAdd"), Qt::LeftButton);
    EXPECT_EQ(frm->Tasks().Count(), 3);

    // A drop of files on the list adds them the same way.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(c), QUrl::fromLocalFile(b)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(frm->lvFiles->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent move(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(frm->lvFiles->viewport(), &move);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(frm->lvFiles->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    ASSERT_EQ(frm->Tasks().Count(), 4);
    EXPECT_EQ(frm->Tasks().Row(3).Caption, c);

    // Files named on the command line go the same way, too.
    frm->AddFiles({a, dir.File("missing.flv")});
    EXPECT_EQ(frm->Tasks().Count(), 4);
}

TEST_F(GuiTest, CloseQueryAsksAndSavesTheCatalogueState) {
    StartWindow();
    AppendRows({"/a.flv"});
    prompts.PushAnswer(MsgResult::No);
    EXPECT_FALSE(frm->close());
    EXPECT_TRUE(frm->isVisible());
    EXPECT_EQ(frm->Tasks().Count(), 1);
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages[0].caption, "Warning");
    EXPECT_EQ(prompts.messages[0].text, "Do you really want to exit?");
    EXPECT_EQ(prompts.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(prompts.messages[0].buttons, MsgButtons::YesNo);

    // Expand a category, then leave: the state is stored for the next start.
    frm->formatDropDown->Model().ToggleCategory(1);
    prompts.PushAnswer(MsgResult::Yes);
    EXPECT_TRUE(frm->close());
    EXPECT_FALSE(GlobalObjectExists());
    EXPECT_EQ(Get("1", "lstformat"), "0");
    EXPECT_EQ(Get("0", "lstformat"), "1");
}

TEST_F(GuiTest, EscapingErrorsAreShownAndTheProgramGoesOn) {
    StartWindow();
    // The text rules and the icons by kind of error.
    ShowApplicationError(std::make_exception_ptr(engine::FFmpegException("Cannot open codec")),
                         prompts);
    ShowApplicationError(std::make_exception_ptr(std::runtime_error("Disk full!")), prompts);
    ASSERT_EQ(prompts.messages.size(), 2);
    EXPECT_EQ(prompts.messages[0].caption, "Orvex Tarnwell");
    EXPECT_EQ(prompts.messages[0].text, "Cannot open codec.");
    EXPECT_EQ(prompts.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(prompts.messages[1].text, "Disk full!");
    EXPECT_EQ(prompts.messages[1].icon, MsgIcon::Error);

    // An error escaping an event handler reaches the same boxes.
    QTimer::singleShot(0, [] { throw std::runtime_error("handler failed"); });
    EXPECT_TRUE(WaitFor([&] { return prompts.messages.size() == 3; }));
    EXPECT_EQ(prompts.messages.value(2).text, "handler failed.");
    EXPECT_TRUE(frm->isVisible());
}

}  // namespace
}  // namespace fw::test
