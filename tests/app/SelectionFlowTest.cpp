// Selecting through the program's main road, on an open CD of twelve tracks followed by two
// sound files: the click rules with Shift and Command, the buttons and menu items that follow
// the selection, the arrow keys and Command-A, the program a save would write, and the colours
// of selected rows.
#include <memory>

#include "AppTestSupport.h"
#include "Clock.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMProgram.h"
#include "SpCDR_ProgramItemObj.h"
#include "SpCDRomManager.h"
#include "SpListClass.h"
#include "SpOC_IconButtonControl.h"
#include "SpStdDrawingFunction.h"

namespace app_test {
namespace {

// Rows with the CD open: 1 the CD, 2 to 13 its tracks, 14 and 15 the sound files.
constexpr short kCD = 1;
constexpr short kFileA = 14;
constexpr short kFileB = 15;
short Track(short n) {
  return short(1 + n);
}

std::vector<short> Range(short from, short to) {
  std::vector<short> rows;
  for (short r = from; from <= to ? r <= to : r >= to; r = short(r + (from <= to ? 1 : -1))) {
    rows.push_back(r);
  }
  return rows;
}

UInt32 Colour(float red, float green, float blue) {
  RGBColor c;
  Sp_SetRGBColorByPercentage(&c, red, green, blue);
  return (UInt32(c.red >> 8) << 16) | (UInt32(c.green >> 8) << 8) | UInt32(c.blue >> 8);
}

// A point near the right end of a cell, where no text is drawn.
UInt32 CellColour(short row, short column) {
  Rect onWindow = {0, 0, 0, 0};
  M()->GetMediaList()->GetCellArea(Point{row, column}, nullptr, nullptr, &onWindow);
  return WindowPixel(short(onWindow.right - 3), short(onWindow.top + 3));
}

class SelectionFlow : public ProgramTest {
 protected:
  // The CD opened and the two files added, then the steps.
  void RunWith(std::vector<Step> steps) {
    std::vector<DiscTrack> tracks;
    for (int n = 1; n <= 12; ++n) tracks.push_back({std::to_string(n) + " .aiff", 150});
    MakeDisc("Twelve", tracks);
    const std::string a = MakeSoundFile("a.aiff", 2), b = MakeSoundFile("b.aiff", 2);
    std::vector<Step> all = {
        WaitFor("the CD", [] { return Rows() == 1; }),
        Do("open it and add the files",
           [a, b] {
             ASSERT_TRUE(AddSoundFile(a));
             ASSERT_TRUE(AddSoundFile(b));
             Click(kCD, kCDR_OpenColumn);
           }),
        WaitFor("the rows", [] { return Rows() == 15; }),
    };
    all.insert(all.end(), steps.begin(), steps.end());
    all.push_back(Quit());
    Run(all);
    EXPECT_FALSE(forcedEnd_);
    EXPECT_EQ(errors_.Count(), 0u);
  }
};

TEST_F(SelectionFlow, ClicksWithShiftAndCommandSelectInOrder) {
  struct Click_ {
    short row;
    UInt32 modifiers;
  };
  struct Case {
    const char* why;
    std::vector<Click_> clicks;
    std::vector<short> selected;  // rows in selection order
  } cases[] = {
      {"a shift range runs from the first click",
       {{Track(3), 0}, {Track(7), shiftKey}},
       Range(Track(3), Track(7))},
      {"a shift click before the range keeps its far end",
       {{Track(3), 0}, {Track(7), shiftKey}, {Track(1), shiftKey}},
       Range(Track(7), Track(1))},
      {"a shift click inside a range moves its nearer end",
       {{Track(3), 0}, {Track(9), shiftKey}, {Track(8), shiftKey}},
       Range(Track(3), Track(8))},
      {"a range from the CD's row takes the CD whole", {{kCD, 0}, {Track(5), shiftKey}}, {kCD}},
      {"command on a track of a whole CD leaves its other tracks",
       {{kCD, 0}, {Track(4), cmdKey}},
       {Track(1), Track(2), Track(3), Track(5), Track(6), Track(7), Track(8), Track(9), Track(10),
        Track(11), Track(12)}},
      {"a plain click inside a selection keeps it",
       {{kFileB, 0}, {kFileA, cmdKey}, {kFileB, 0}},
       {kFileB, kFileA}},
      {"command on a selected row takes it away",
       {{kFileB, 0}, {kFileA, cmdKey}, {kFileB, cmdKey}},
       {kFileA}},
      {"a plain click elsewhere selects that row alone",
       {{kFileB, 0}, {kFileA, cmdKey}, {Track(2), 0}},
       {Track(2)}},
  };
  std::vector<Step> steps;
  for (const Case& c : cases) {
    steps.push_back(Then(std::string("clear for: ") + c.why, [] { Key('a', cmdKey | shiftKey); }));
    for (const Click_& click : c.clicks) {
      steps.push_back(Then(c.why, [click] { Click(click.row, kCDR_NameColumn, click.modifiers); }));
    }
    steps.push_back(Do(std::string("look: ") + c.why,
                       [&c] { EXPECT_EQ(SelectedRows(), c.selected) << c.why; }));
  }
  RunWith(steps);
}

// The buttons and the File menu follow what the selection holds; the numbers column shows
// each entry's place.
TEST_F(SelectionFlow, ButtonsAndMenuItemsFollowWhatTheSelectionHolds) {
  struct Case {
    short row;
    UInt32 modifiers;
    bool removeActive, eject, each;
    const char* saveName;
    std::vector<std::string> numbers;  // column 4 of rows 2, 3, 14, 15
  } cases[] = {
      {kFileA, 0, true, false, false, "保存...", {"", "", "1", ""}},
      {kFileB, cmdKey, true, false, true, "ひとつに保存...", {"", "", "1", "2"}},
      {Track(1), cmdKey, false, true, true, "ひとつに保存...", {"3", "", "1", "2"}},
      {Track(1), 0, false, true, true, "ひとつに保存...", {"3", "", "1", "2"}},
      {Track(2), 0, false, true, false, "保存...", {"", "1", "", ""}},
  };
  std::vector<Step> steps;
  for (const Case& c : cases) {
    steps.push_back(Then("click", [&c] { Click(c.row, kCDR_NameColumn, c.modifiers); }));
    steps.push_back(Do("look", [&c] {
      cSp_OriginalIconButtonControl* remove = M()->GetRemoveButton();
      EXPECT_EQ(remove->IsEnableView() && !remove->GetHiliteFlag(), c.removeActive);
      EXPECT_EQ(M()->GetSaveButton()->GetHiliteFlag(), 0) << "save is active";
      EXPECT_EQ(FileItemEnabled(kCDR_FileEjectItem), c.eject);
      EXPECT_EQ(FileItemEnabled(kCDR_FileSaveEachItem), c.each);
      EXPECT_TRUE(FileItemEnabled(kCDR_FileSaveOneItem));
      EXPECT_EQ(FileItemText(kCDR_FileSaveOneItem), SpCDR_MJ(c.saveName));
      const std::vector<std::string> column = Column(kCDR_NumberColumn);
      EXPECT_EQ((std::vector<std::string>{column[Track(1) - 1], column[Track(2) - 1],
                                          column[kFileA - 1], column[kFileB - 1]}),
                c.numbers);
    }));
  }
  RunWith(steps);
}

// Each key acts once: the window takes arrows and Command-A, and nothing after it acts on them
// again.
TEST_F(SelectionFlow, ArrowsAndCommandAMoveAndSelectOnceAndWhatASaveWouldWriteFollowsTheOrder) {
  const UInt8 kDown = 31, kUp = 30, kRight = 29;
  RunWith({
      Do("a smaller window, so that the list scrolls",
         [] {
           M()->SetSize(440, 300);
           M()->CatchResizeWindowCB(1);
         }),
      Then("down with nothing selected", [=] { Key(kDown); }),
      Do("the first row", [] { EXPECT_EQ(SelectedRows(), (std::vector<short>{kCD})); }),
      Then("down", [=] { Key(kDown); }),
      Do("one row past the CD's tracks",
         [] { EXPECT_EQ(SelectedRows(), (std::vector<short>{kFileA})); }),
      Then("right", [=] { Key(kRight); }),
      Then("down on the last row",
           [=] {
             EXPECT_EQ(SelectedRows(), (std::vector<short>{kFileB}));
             Key(kDown);
           }),
      Do("it stays, in sight",
         [] {
           EXPECT_EQ(SelectedRows(), (std::vector<short>{kFileB}));
           short h = 0, v = 0, maxH = 0, maxV = 0;
           M()->GetMediaList()->GetScrollValue(h, v);
           M()->GetMediaList()->GetViewMaxScrollValue(&maxH, &maxV);
           EXPECT_GT(maxV, 0);
           EXPECT_EQ(v, maxV);
         }),
      Then("up", [=] { Key(kUp); }),
      Then("command-A",
           [] {
             EXPECT_EQ(SelectedRows(), (std::vector<short>{kFileA}));
             Key('a', cmdKey);
           }),
      Do("every item once, walking up from the first entry",
         [] {
           EXPECT_EQ(SelectedRows(), (std::vector<short>{kFileA, kCD, kFileB}));
           cSp_CDRProgramBaseObj* program = M()->CreateProgramBaseFromSelection();
           ASSERT_NE(program, nullptr);
           std::vector<std::string> names;
           for (auto* i = program->GetFirstProgramItem(); i; i = i->GetNextObjectPtr()) {
             names.push_back(i->GetFileName());
           }
           std::vector<std::string> want = {"a.aiff"};
           for (int n = 12; n >= 1; --n) want.push_back(std::to_string(n) + " .aiff");
           want.push_back("b.aiff");
           EXPECT_EQ(names, want) << "a CD added walking up gives its tracks from the last";
           Sp_CDDisposeProgram(program);
         }),
      Then("command-shift-A", [] { Key('a', cmdKey | shiftKey); }),
      Do("nothing selected",
         [] {
           EXPECT_TRUE(SelectedRows().empty());
           EXPECT_EQ(M()->GetSaveButton()->GetHiliteFlag(), 1);
         }),
  });
}

TEST_F(SelectionFlow, SelectedRowsAndTheTracksOfASelectedCDHaveTheirColours) {
  const UInt32 itemBack = Colour(95, 94, 100), itemSelected = Colour(68, 68, 92);
  const UInt32 group = Colour(82, 80, 99);
  RunWith({
      Then("select the CD", [] { Click(kCD, kCDR_NameColumn); }),
      Do("its row and its tracks",
         [=] {
           EXPECT_EQ(CellColour(kCD, kCDR_NameColumn), itemSelected);
           EXPECT_EQ(CellColour(Track(3), kCDR_NameColumn), group);
           EXPECT_EQ(CellColour(Track(3), kCDR_IconColumn), itemBack);
           EXPECT_EQ(CellColour(kFileA, kCDR_NameColumn), itemBack);
         }),
      Then("select a file", [] { Click(kFileA, kCDR_NameColumn); }),
      Then("then one track", [] { Click(Track(3), kCDR_NameColumn); }),
      Do("that track alone",
         [=] {
           EXPECT_EQ(CellColour(kCD, kCDR_NameColumn), itemBack);
           EXPECT_EQ(CellColour(Track(3), kCDR_NameColumn), itemSelected);
           EXPECT_EQ(CellColour(Track(3), kCDR_IconColumn), itemSelected);
           EXPECT_EQ(CellColour(Track(4), kCDR_NameColumn), itemBack);
         }),
      Then("select the last row", [] { Click(kFileB, kCDR_NameColumn); }),
      Do("the last row is painted like any other",
         [=] {
           EXPECT_EQ(CellColour(kFileB, kCDR_NameColumn), itemSelected);
           EXPECT_EQ(CellColour(Track(3), kCDR_NameColumn), itemBack);
         }),
      Then("select the CD again", [] { Click(kCD, kCDR_NameColumn); }),
      Do("its last track takes the colour and the last row gives it back",
         [=] {
           EXPECT_EQ(CellColour(Track(12), kCDR_NameColumn), group);
           EXPECT_EQ(CellColour(kFileB, kCDR_NameColumn), itemBack);
         }),
  });
}

// A CD that comes moves the rows below it: the numbers go with their rows, and no row keeps
// the number it showed before the move; the tracks of a CD selected whole show their places.
TEST_F(SelectionFlow, TheNumbersMoveWithTheirRowsWhenACDComes) {
  // Column 4 as expected: the entries' places by row, and "(n)" on the tracks of a whole CD.
  const auto expect = [](short rows, bool wholeCD) {
    const std::vector<short> selected = SelectedRows();
    ASSERT_EQ(selected.size(), 2u);
    EXPECT_EQ(selected[0], rows) << "the last file, moved down";
    std::vector<std::string> numbers(std::size_t(rows), "");
    numbers[std::size_t(selected[0] - 1)] = "1";
    numbers[std::size_t(selected[1] - 1)] = "2";
    for (short n = 1; wholeCD && n <= 12; ++n) {
      numbers[std::size_t(Track(n) - 1)] = "(" + std::to_string(n) + ")";
    }
    EXPECT_EQ(Column(kCDR_NumberColumn), numbers);
  };
  RunWith({
      Then("select the last file", [] { Click(kFileB, kCDR_NameColumn); }),
      Then("and a track", [] { Click(Track(2), kCDR_NameColumn, cmdKey); }),
      Do("another CD comes",
         [this] {
           MakeDisc("Another", {{"1 A.aiff", 150}});
         }),
      WaitFor("its row", [] { return Rows() == 16; }),
      Do("look", [&expect] { expect(16, false); }),
      Then("the first CD whole instead of its track", [] { Click(kCD, kCDR_NameColumn, cmdKey); }),
      Do("a third CD comes",
         [this] {
           MakeDisc("Third", {{"1 B.aiff", 150}});
         }),
      WaitFor("its row", [] { return Rows() == 17; }),
      Do("look again", [&expect] { expect(17, true); }),
  });
}

}  // namespace
}  // namespace app_test
