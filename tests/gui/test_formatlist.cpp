// The format drop-down of the main window: opening and closing, collapsing
// categories, hot tracking and choosing an entry.
#include "GuiFixture.h"

#include "app/WinTaskList.h"
#include "profiles/WinFormatList.h"

#include <QLineEdit>

namespace fw::test {
namespace {

class FormatListTest : public GuiTest {
  protected:
    TFormatDropDown* dd = nullptr;
    void SetUp() override {
        StartWindow();
        dd = frm->formatDropDown;
    }
    QPoint RowPoint(int row, int x) const { return QPoint(x, dd->lst1->RowRect(row).center().y()); }
    int RowOf(const QString& text) const { return dd->Model().RowOfText(text); }
};

TEST_F(FormatListTest, OpensUpwardOverTheListAndToggles) {
    QTest::mouseClick(dd->edt1, Qt::LeftButton);
    ASSERT_TRUE(dd->IsOpen());
    // A fresh settings file: three collapsed categories, 3 x 20 + 20 pixels.
    EXPECT_EQ(dd->Model().RowCount(), 3);
    EXPECT_EQ(dd->lst1->height(), 80);
    const QPoint boxTop = dd->edt1->mapTo(frm->centralWidget(), QPoint(0, 0));
    EXPECT_EQ(dd->lst1->geometry().bottom() + 1, boxTop.y() + 1);  // opens upward
    EXPECT_TRUE(dd->lst1->geometry().intersects(frm->lvFiles->geometry()));

    // The arrow button closes it, and opens it again.
    QTest::mouseClick(dd->imgbtn1, Qt::LeftButton);
    EXPECT_FALSE(dd->IsOpen());
    QTest::mouseClick(dd->imgbtn1, Qt::LeftButton);
    EXPECT_TRUE(dd->IsOpen());

    // A press in the glyph zone of "General Video formates" expands it.
    QTest::mouseClick(dd->lst1->viewport(), Qt::LeftButton, {}, RowPoint(1, 8));
    ASSERT_EQ(dd->Model().RowCount(), 13);
    EXPECT_EQ(dd->Model().RowAt(2).info.Code, 100);
    EXPECT_EQ(dd->Model().RowAt(11).info.Code, 109);
    EXPECT_EQ(dd->lst1->height(), 13 * 20 + 20);
    EXPECT_EQ(dd->lst1->geometry().bottom() + 1, boxTop.y() + 1);
    // A press on the header's text does not toggle; a double click does.
    QTest::mouseClick(dd->lst1->viewport(), Qt::LeftButton, {}, RowPoint(1, 120));
    EXPECT_EQ(dd->Model().RowCount(), 13);
    QTest::mouseDClick(dd->lst1->viewport(), Qt::LeftButton, {}, RowPoint(1, 120));
    EXPECT_EQ(dd->Model().RowCount(), 3);
    EXPECT_TRUE(dd->IsOpen());

    // Every category open: 21 rows, the height stops at 358 and the list scrolls.
    QTest::mouseClick(dd->lst1->viewport(), Qt::LeftButton, {}, RowPoint(0, 8));
    QTest::mouseClick(dd->lst1->viewport(), Qt::LeftButton, {}, RowPoint(2, 8));
    QTest::mouseClick(dd->lst1->viewport(), Qt::LeftButton, {}, RowPoint(13, 8));
    EXPECT_EQ(dd->Model().RowCount(), 21);
    EXPECT_EQ(dd->lst1->height(), 358);
    EXPECT_GE(dd->lst1->geometry().top(), 0);
}

TEST_F(FormatListTest, HotTrackingAndChoosingStoresAtOnce) {
    QTest::mouseClick(dd->imgbtn1, Qt::LeftButton);
    QTest::mouseClick(dd->lst1->viewport(), Qt::LeftButton, {}, RowPoint(2, 8));  // audio
    const int ac3 = RowOf("AC-3 Audio Codec (*.ac3)");
    ASSERT_GT(ac3, 0);
    QTest::mouseMove(dd->lst1->viewport(), RowPoint(ac3 - 1, 100));
    EXPECT_EQ(dd->Model().CurrentRow(), ac3 - 1);
    QTest::mouseMove(dd->lst1->viewport(), RowPoint(ac3, 100));
    EXPECT_EQ(dd->Model().CurrentRow(), ac3);

    QTest::mouseClick(dd->lst1->viewport(), Qt::LeftButton, {}, RowPoint(ac3, 100));
    EXPECT_FALSE(dd->IsOpen());
    EXPECT_EQ(dd->edt1->text(), "AC-3 Audio Codec (*.ac3)");
    EXPECT_EQ(Get("FormatName"), "AC-3 Audio Codec (*.ac3)");
    EXPECT_EQ(Get("FormatCode"), "206");

    // Reopening makes the stored entry the current row.
    QTest::mouseClick(dd->imgbtn1, Qt::LeftButton);
    EXPECT_EQ(dd->Model().CurrentRow(), RowOf("AC-3 Audio Codec (*.ac3)"));

    // Flash is code 0.
    QTest::mouseClick(dd->lst1->viewport(), Qt::LeftButton, {}, RowPoint(0, 8));
    QTest::mouseClick(dd->lst1->viewport(), Qt::LeftButton, {}, RowPoint(1, 100));
    EXPECT_EQ(Get("FormatCode"), "0");
    EXPECT_EQ(Get("FormatName"), "Flash SWF Format (*.swf)");
}

TEST_F(FormatListTest, ClosesOnClicksElsewhereAndWhenTheApplicationIsLeft) {
    QTest::mouseClick(dd->imgbtn1, Qt::LeftButton);
    ASSERT_TRUE(dd->IsOpen());
    // A press inside the list (on a header's text) keeps it open.
    QTest::mousePress(dd->lst1->viewport(), Qt::LeftButton, {}, RowPoint(0, 120));
    EXPECT_TRUE(dd->IsOpen());
    // A press on another control closes it without choosing anything.
    QTest::mousePress(frm->lvFiles->viewport(), Qt::LeftButton, {}, QPoint(5, 250));
    EXPECT_FALSE(dd->IsOpen());
    EXPECT_EQ(Get("FormatName"), "<absent>");

    QTest::mouseClick(dd->edt1, Qt::LeftButton);
    ASSERT_TRUE(dd->IsOpen());
    dd->ApplicationEvents1Deactivate();
    EXPECT_FALSE(dd->IsOpen());

    // Escape closes it from the keyboard; Enter chooses the current entry.
    QTest::mouseClick(dd->edt1, Qt::LeftButton);
    QTest::keyClick(dd->lst1, Qt::Key_Escape);
    EXPECT_FALSE(dd->IsOpen());
    QTest::mouseClick(dd->edt1, Qt::LeftButton);
    dd->Model().SetCurrentRow(1);
    QTest::keyClick(dd->lst1, Qt::Key_Return);  // expands "General Video formates"
    QTest::keyClick(dd->lst1, Qt::Key_Down);
    QTest::keyClick(dd->lst1, Qt::Key_Return);
    EXPECT_FALSE(dd->IsOpen());
    EXPECT_EQ(Get("FormatCode"), "100");
}

TEST_F(FormatListTest, AStoredNameOutsideTheCatalogueIsShownAsStored) {
    frm.reset();
    Set("FormatName", "My own profile");
    Set("lstformat", "");
    IniFile ini = Settings();
    ini.WriteString("lstformat", "2", "0");
    StartWindow();
    dd = frm->formatDropDown;
    EXPECT_EQ(dd->edt1->text(), "My own profile");
    QTest::mouseClick(dd->imgbtn1, Qt::LeftButton);
    EXPECT_EQ(dd->Model().CurrentRow(), -1);
    EXPECT_EQ(dd->Model().RowCount(), 3 + 7);  // the audio category was stored expanded
}

}  // namespace
}  // namespace fw::test
