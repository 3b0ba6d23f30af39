// Audio CDs coming and going through the program's main road: a CD's row and what its cells
// show by the name and info options, its open triangle, the order of CDs and sound files,
// and ejecting the selected CD.
#include "AppTestSupport.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMProgram.h"
#include "SpListClass.h"
#include "SpTitleBarControl.h"
#include "TestMenus.h"
#include "TestQuickDraw.h"

namespace app_test {
namespace {

std::string TitleText(short item) {
  char text[256] = "";
  M()->GetTitleBar()->GetItem(item)->TitleText(text, sizeof text);
  return text;
}

std::vector<std::string> MJ(const std::vector<std::string>& utf8) {
  std::vector<std::string> out;
  for (const std::string& s : utf8) out.push_back(SpCDR_MJ(s.c_str()));
  return out;
}

class DiscFlow : public ProgramTest {};

// Each click on a title moves its option on, changes what the column shows and stores the
// option: the info title runs through time, size, kind and count and back.
TEST_F(DiscFlow, TheTitlesSwitchWhatTheNameAndInfoColumnsShowAndStoreIt) {
  WriteTitles(MakeDisc("Trip", {{"1 One.aiff", 160}, {"2 Two.aiff", 200}, {"3 Three.aiff", 175}}),
              {"Day Trip", "Sunrise", "Midday", "Sunset"});
  struct Case {
    short title;  // 0: as the window starts
    const char* name;
    const char* info;
    const char* nameTitle;
    const char* infoTitle;
    SInt32 nameOption, infoOption;  // stored; -1 not yet
  } cases[] = {
      {0, "Day Trip", "00:07", "タイトル", "時間", -1, -1},
      {3, "Day Trip", "size", "タイトル", "サイズ", -1, 3},
      {3, "Day Trip", "CDDA", "タイトル", "種類", -1, 2},
      {3, "Day Trip", "3", "タイトル", "トラック", -1, 0},
      {3, "Day Trip", "00:07", "タイトル", "時間", -1, 1},
      {2, "Trip", "00:07", "名前", "時間", 0, 1},
      {2, "Day Trip", "00:07", "タイトル", "時間", 1, 1},
  };
  std::vector<Step> steps = {WaitFor("the CD", [] { return Rows() == 1; })};
  for (const Case& c : cases) {
    if (c.title != 0) steps.push_back(Do("click a title", [&c] { ClickTitle(c.title); }));
    steps.push_back(Do(std::string("look: ") + c.info, [&c] {
      EXPECT_EQ(Column(kCDR_NameColumn), (std::vector<std::string>{c.name}));
      std::string info = c.info;
      if (info == "size") {
        // The size the engine gives the CD's program, as the list writes sizes.
        SInt32 bytes = 0;
        M()->GetMediaItemListHead()->GetProgram()->GetFileProgramTotalSize(bytes);
        char text[32];
        CDRMM_ByteSizeToString(bytes, text);
        info = text;
      }
      EXPECT_EQ(Column(kCDR_InfoColumn), (std::vector<std::string>{info}));
      EXPECT_EQ(TitleText(2), SpCDR_MJ(c.nameTitle));
      EXPECT_EQ(TitleText(3), SpCDR_MJ(c.infoTitle));
      EXPECT_EQ(StoredListOption(SpFourCC("NmOp")), c.nameOption);
      EXPECT_EQ(StoredListOption(SpFourCC("IfOp")), c.infoOption);
    }));
  }
  steps.push_back(Quit());
  Run(steps);
  EXPECT_FALSE(forcedEnd_);
  EXPECT_EQ(errors_.Count(), 0u);
}

// The triangle opens the CD only when the button goes up on it; its tracks follow the CD's
// row, named by the track prefix and number when the CD has no titles.
TEST_F(DiscFlow, TheOpenTriangleShowsTheTracksOnlyWhenReleasedOnIt) {
  MakeDisc("Plain", {{"1 .aiff", 150}, {"2 .aiff", 300}});
  Run({
      WaitFor("the CD", [] { return Rows() == 1; }),
      Do("press the triangle and leave it",
         [] {
           const Point far = CellPoint(1, kCDR_InfoColumn);
           DragFrom(1, kCDR_OpenColumn, far);
         }),
      Do("nothing opened",
         [] {
           EXPECT_EQ(Rows(), 1);
           EXPECT_FALSE(M()->GetMediaItemListHead()->IsOpen());
           Click(1, kCDR_OpenColumn);
         }),
      Do("the tracks show",
         [] {
           EXPECT_EQ(Column(kCDR_NameColumn), MJ({"Plain", "トラック 1", "トラック 2"}));
           EXPECT_EQ(Column(kCDR_InfoColumn),
                     (std::vector<std::string>{"00:06", "00:02", "00:04"}));
           Click(1, kCDR_OpenColumn);
         }),
      Do("closed again", [] { EXPECT_EQ(Rows(), 1); }),
      Quit(),
  });
  EXPECT_FALSE(forcedEnd_);
  EXPECT_EQ(errors_.Count(), 0u);
}

// The pixels of a cell as the window shows them now, with nothing drawn first; and after the
// whole list is drawn again, which a cell that was left stale would differ from.
std::vector<UInt32> ShownCell(short row, short column) {
  Rect cell = {0, 0, 0, 0};
  M()->GetMediaList()->GetCellArea(Point{row, column}, nullptr, nullptr, &cell);
  std::vector<UInt32> pixels;
  CGrafPtr port = GetWindowPort(M()->GetWindowRef());
  for (short v = cell.top; v < cell.bottom; ++v) {
    for (short h = cell.left; h < cell.right; ++h) pixels.push_back(sp_testing::ReadPixel(port, h, v));
  }
  return pixels;
}
std::vector<UInt32> RedrawnCell(short row, short column) {
  M()->GetMediaList()->SetupModifyDrawingRectAndFlag(nullptr, 1);
  Sp_RedrawViewWindow(M()->GetWindowRef(), 0);
  return ShownCell(row, column);
}

// The triangle shows its new state as soon as the click that opened or closed the CD ends,
// and a row that becomes a CD's row shows its triangle at once.
TEST_F(DiscFlow, TheTriangleIsDrawnAnewAsSoonAsItsRowChanges) {
  const std::string tone = MakeSoundFile("tone.aiff", 1);
  std::vector<UInt32> closed, open;
  Run({
      Do("add a sound file", [&] { ASSERT_TRUE(AddSoundFile(tone)); }),
      WaitFor("the file", [] { return Rows() == 1; }),
      Do("insert a CD above it", [&] { MakeDisc("Plain", {{"1 .aiff", 150}, {"2 .aiff", 300}}); }),
      WaitFor("the CD", [] { return Rows() == 2; }),
      Do("the file's row became the CD's, triangle and all",
         [&] {
           closed = ShownCell(1, kCDR_OpenColumn);
           EXPECT_EQ(closed, RedrawnCell(1, kCDR_OpenColumn));
           EXPECT_NE(closed, ShownCell(2, kCDR_OpenColumn)) << "a file's row has no triangle";
         }),
      Then("open it", [] { Click(1, kCDR_OpenColumn); }),
      Do("open at once",
         [&] {
           ASSERT_EQ(Rows(), 4);
           open = ShownCell(1, kCDR_OpenColumn);
           EXPECT_NE(open, closed);
           EXPECT_EQ(open, RedrawnCell(1, kCDR_OpenColumn)) << "not pressed, pointing down";
         }),
      Then("close it", [] { Click(1, kCDR_OpenColumn); }),
      Do("closed at once",
         [&] {
           ASSERT_EQ(Rows(), 2);
           EXPECT_EQ(ShownCell(1, kCDR_OpenColumn), closed);
         }),
      Quit(),
  });
  EXPECT_FALSE(forcedEnd_);
  EXPECT_EQ(errors_.Count(), 0u);
}

// CDs stand above the sound files in the order they came; ejecting takes the first selected
// CD away with its entries, and the eject item follows whether a CD is selected.
TEST_F(DiscFlow, CDsStandAboveFilesInOrderOfArrivalAndEjectTakesTheFirstSelected) {
  const std::string tone = MakeSoundFile("tone.aiff", 3);
  Run({
      Do("add a sound file", [&] { ASSERT_TRUE(AddSoundFile(tone)); }),
      Do("insert a CD",
         [&] {
           MakeDisc("Zebra", {{"1 A.aiff", 150}});
         }),
      WaitFor("the first CD", [] { return Rows() == 2; }),
      Do("insert another",
         [&] {
           MakeDisc("Apple", {{"1 B.aiff", 150}, {"2 C.aiff", 150}});
         }),
      WaitFor("the second CD", [] { return Rows() == 3; }),
      Do("select both CDs",
         [] {
           EXPECT_EQ(Column(kCDR_NameColumn),
                     (std::vector<std::string>{"Zebra", "Apple", "tone.aiff"}));
           EXPECT_FALSE(FileItemEnabled(kCDR_FileEjectItem));
           Click(1, kCDR_NameColumn);
           Click(2, kCDR_NameColumn, cmdKey);
         }),
      Do("eject",
         [] {
           EXPECT_EQ(SelectedRows(), (std::vector<short>{1, 2}));
           EXPECT_TRUE(FileItemEnabled(kCDR_FileEjectItem));
           M()->ExecMoveToFrontProc();
           EXPECT_TRUE(FileItemEnabled(kCDR_FileEjectItem)) << "coming to the front keeps it";
           EXPECT_TRUE(
               sp_testing::ChooseMenuItem(CDR_CurrentFileMenuID(), kCDR_FileEjectItem).chosen);
         }),
      WaitFor("the first CD to go", [] { return Rows() == 2; }),
      Do("select the file",
         [] {
           EXPECT_EQ(Column(kCDR_NameColumn), (std::vector<std::string>{"Apple", "tone.aiff"}));
           EXPECT_EQ(SelectedRows(), (std::vector<short>{1}));
           EXPECT_TRUE(FileItemEnabled(kCDR_FileEjectItem));
           Click(2, kCDR_NameColumn);
         }),
      Do("no CD selected", [] { EXPECT_FALSE(FileItemEnabled(kCDR_FileEjectItem)); }),
      Quit(),
  });
  EXPECT_FALSE(forcedEnd_);
  EXPECT_EQ(errors_.Count(), 0u);
}

}  // namespace
}  // namespace app_test
