#include "app/IniFile.h"
#include "common/AppTestEnv.h"
#include "profiles/FormatCatalogue.h"

#include <gtest/gtest.h>

namespace fw {
namespace {

using test::TempDir;

QList<int> Codes(const FormatListModel& m) {
    QList<int> codes;
    for (const auto& r : m.Rows()) codes.append(r.info.IsEntry ? r.info.Code : -1 - r.info.Code);
    return codes;
}

TEST(FormatCatalogue, EighteenEntriesWithTheirCodes) {
    const auto& cat = FormatCatalogue();
    ASSERT_EQ(cat.size(), 3);
    EXPECT_EQ(cat[0].name, "Flash Format");
    EXPECT_EQ(cat[1].name, "General Video formates");
    EXPECT_EQ(cat[2].name, "General Audio formates");
    EXPECT_EQ(FormatCatalogueCodes(), QList<int>({0, 100, 101, 102, 103, 104, 105, 106, 107, 108,
                                                  109, 200, 201, 202, 203, 204, 205, 206}));
    EXPECT_EQ(FormatEntryName(0), "Flash SWF Format (*.swf)");
    EXPECT_EQ(FormatEntryName(103), "H.264/MPEG-4 AVC Video (*.mp4)");
    EXPECT_EQ(FormatEntryName(108), "DV - NTSC -Digital Video Format (*.dv)");
    EXPECT_EQ(FormatEntryName(201), "AAC Advenced Audio Codec (*.aac)");
    EXPECT_EQ(FormatEntryName(203), "WMA - Windows Meida Audio (*.wma)");
    EXPECT_EQ(FormatEntryName(206), "AC-3 Audio Codec (*.ac3)");
    EXPECT_EQ(FormatEntryName(1), "");
    EXPECT_EQ(FormatEntryName(110), "");
    EXPECT_EQ(FormatEntryName(-1), "");
}

class FormatList : public ::testing::Test {
  protected:
    TempDir tmp;
    IniFile settings{tmp.File("s.ini")};
    FormatListModel model;
};

TEST_F(FormatList, FreshSettingsShowThreeCollapsedHeaders) {
    model.Build(settings);
    ASSERT_EQ(model.RowCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const TItemInfo& info = model.RowAt(i).info;
        EXPECT_TRUE(info.IsCategory);
        EXPECT_FALSE(info.IsEntry);
        EXPECT_TRUE(info.Collapsed);
        EXPECT_EQ(info.Code, i);
    }
    EXPECT_EQ(model.ListHeight(FormatListModel::kMainListLimit), 80);
    EXPECT_EQ(model.BuildHeightMain(), 80);
    EXPECT_EQ(model.BoxText(), "Apple iPod Video MPEG-4 Movie (*.mp4)");
    EXPECT_EQ(model.CurrentRow(), -1);
    EXPECT_EQ(model.EntryName(1, 9), "DV - PAL -Digital Video Format (*.dv)");
}

TEST_F(FormatList, ExpandAndCollapseTouchOnlyTheirOwnEntries) {
    model.Build(settings);
    ASSERT_TRUE(model.ToggleCategory(2));  // audio first, so that video lands between
    ASSERT_TRUE(model.ToggleCategory(1));
    EXPECT_EQ(Codes(model), QList<int>({-1,  -2,  100, 101, 102, 103, 104, 105, 106, 107,
                                        108, 109, -3,  200, 201, 202, 203, 204, 205, 206}));
    EXPECT_FALSE(model.RowAt(1).info.Collapsed);
    EXPECT_EQ(model.RowAt(2).text, "MPEG-1 Video (*.mpg)");
    EXPECT_FALSE(model.ToggleCategory(2));  // an entry row does not toggle
    EXPECT_FALSE(model.ToggleCategory(99));

    model.SetCurrentRow(model.RowOfText("AC-3 Audio Codec (*.ac3)"));
    ASSERT_TRUE(model.ToggleCategory(1));
    EXPECT_EQ(Codes(model), QList<int>({-1, -2, -3, 200, 201, 202, 203, 204, 205, 206}));
    EXPECT_TRUE(model.RowAt(1).info.Collapsed);
    EXPECT_EQ(model.RowAt(model.CurrentRow()).text, "AC-3 Audio Codec (*.ac3)");
}

TEST_F(FormatList, AllExpandedHitsBothHeightLimits) {
    model.Build(settings);
    model.ToggleCategory(0);
    model.ToggleCategory(2);
    model.ToggleCategory(13);
    ASSERT_EQ(model.RowCount(), 21);
    EXPECT_EQ(model.ListHeight(FormatListModel::kMainListLimit), 358);
    EXPECT_EQ(model.ListHeight(FormatListModel::kDialogListLimit), 247);
    EXPECT_EQ(model.BuildHeightMain(), 362);
    // Four rows: 80 is within both limits, so 80 + 20.
    FormatListModel small;
    small.Build(settings);
    small.ToggleCategory(0);
    EXPECT_EQ(small.ListHeight(FormatListModel::kDialogListLimit), 100);
}

TEST_F(FormatList, CollapsedStatesSurviveARebuild) {
    model.Build(settings);
    model.ToggleCategory(1);
    ASSERT_TRUE(model.SaveFormatListState(settings));
    EXPECT_EQ(settings.ReadString("lstformat", "0", ""), "1");
    EXPECT_EQ(settings.ReadString("lstformat", "1", ""), "0");
    EXPECT_EQ(settings.ReadString("lstformat", "2", ""), "1");
    FormatListModel again;
    again.Build(settings);
    EXPECT_EQ(again.RowCount(), 13);
    EXPECT_FALSE(again.RowAt(1).info.Collapsed);
}

TEST_F(FormatList, ChoosingInTheMainWindowStoresAtOnce) {
    settings.WriteValues("lstformat", {{"0", "0"}, {"1", "0"}, {"2", "0"}});
    model.Build(settings);
    EXPECT_FALSE(model.ChooseEntryInMainWindow(0, settings));  // a header never chooses
    EXPECT_FALSE(settings.ValueExists("settings", "FormatCode"));

    const int ac3 = model.RowOfText("  AC-3 Audio Codec (*.ac3) ");
    ASSERT_GE(ac3, 0);
    ASSERT_TRUE(model.ChooseEntryInMainWindow(ac3, settings));
    EXPECT_EQ(settings.ReadString("settings", "FormatName", ""), "AC-3 Audio Codec (*.ac3)");
    EXPECT_EQ(settings.ReadString("settings", "FormatCode", ""), "206");
    EXPECT_EQ(model.BoxText(), "AC-3 Audio Codec (*.ac3)");

    ASSERT_TRUE(
        model.ChooseEntryInMainWindow(model.RowOfText("Flash SWF Format (*.swf)"), settings));
    EXPECT_EQ(settings.ReadInteger("settings", "FormatCode", -1), 0);

    FormatListModel rebuilt;
    rebuilt.Build(settings);
    EXPECT_EQ(rebuilt.RowAt(rebuilt.CurrentRow()).text, "Flash SWF Format (*.swf)");
}

TEST_F(FormatList, ChoosingInTheDialogWritesNothing) {
    settings.WriteValues("lstformat", {{"1", "0"}});
    model.Build(settings);
    const auto choice =
        model.ChooseEntryInDialog(model.RowOfText("DV - PAL -Digital Video Format (*.dv)"));
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->name, "DV - PAL -Digital Video Format (*.dv)");
    EXPECT_EQ(choice->codeText, "109");
    EXPECT_FALSE(model.ChooseEntryInDialog(1).has_value());
    EXPECT_FALSE(settings.ValueExists("settings", "FormatName"));
}

TEST_F(FormatList, UnknownStoredNameIsShownWithNoCurrentRow) {
    settings.WriteValues("lstformat", {{"0", "0"}, {"1", "0"}, {"2", "0"}});
    settings.WriteString("settings", "FormatName", "Something else");
    model.Build(settings);
    EXPECT_EQ(model.BoxText(), "Something else");
    EXPECT_EQ(model.CurrentRow(), -1);
}

}  // namespace
}  // namespace fw
