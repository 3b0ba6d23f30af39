// What the application's tests share: the program run through its own main road on the
// headless display and the virtual clock, driven by a list of steps taken from inside its
// event loop; audio CDs as disc folders in the program's media folder; and readers of what the
// media window shows.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "CDMediaManagerObj.h"
#include "CDObjectSource.h"
#include "ErrorLogCapture.h"
#include "MacTypes.h"
#include "TOCInfoTestSupport.h"
#include "TestFiles.h"

namespace app_test {

// 2004-03-01 12:00:00 local time.
constexpr SInt64 kTestDate = 3160987200LL;

// One step of a run: taken once `ready` holds (at once without it), within 30 seconds of the
// virtual clock.
struct Step {
  std::string what;
  std::function<bool()> ready;
  std::function<void()> act;
};
inline Step Do(const std::string& what, std::function<void()> act) {
  return Step{what, nullptr, std::move(act)};
}
inline Step WaitFor(const std::string& what, std::function<bool()> ready) {
  return Step{what, std::move(ready), [] {}};
}
// A step taken once a double-click's time has passed since the previous step, so that clicks
// on one row stay single clicks.
Step Then(const std::string& what, std::function<void()> act);

// A track of a disc folder: its file name and length in sectors.
using DiscTrack = cdtest::FolderTrack;

// The window, its list's row count, and a column's texts top to bottom.
inline cCDR_MediaManager* M() {
  return CDR_GetMediaManagerPtr();
}
short Rows();
std::vector<std::string> Column(short column);
// The rows of the selection entries, in selection order (0 for a track not shown).
std::vector<short> SelectedRows();
// The global point at the middle of a cell.
Point CellPoint(short row, short column);
// Posts a click on the cell (with these modifiers held), or a press there dragged to `to`
// and released there.
void Click(short row, short column, UInt32 modifiers = 0);
void DragFrom(short row, short column, Point to);
// Posts a click on an item of the list's title bar (2 the name title, 3 the info title).
void ClickTitle(short item);
// What the window's settings file holds now under 'MMgr' > 'MLst' (-1 when absent).
SInt32 StoredListOption(UInt32 key);
// The enabled state and text of an item of the File menu in use.
bool FileItemEnabled(int item);
std::string FileItemText(int item);
// Posts a key press (Mac character code) with these modifiers held.
void Key(UInt8 charCode, UInt32 modifiers = 0);
// Posts Command-Q.
Step Quit();

// The global point of the button's middle.
Point ButtonPoint(cSp_OriginalIconButtonControl* button);

// The pixel of the media window at window-local (h, v), once its views are drawn.
UInt32 WindowPixel(short h, short v);

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the program's main road with these arguments after the display switch; each step
  // runs from its event loop in turn, and the last one is to end the program (Quit). The
  // road's result. A run that does not end within a minute of its last step fails the test
  // and is ended.
  int Run(std::vector<Step> steps, std::vector<std::string> arguments = {});
  // Disposes of what a run left, so that another run can follow in the same test.
  void EndRun();

  // The program's media folder (or a disc folder in it), and a disc folder of these tracks in
  // it, its first track two seconds in; the lead-out block.
  std::string Media(const std::string& name = "") const;
  SInt32 MakeDisc(const std::string& name, const std::vector<DiscTrack>& tracks) const;
  // Titles for the disc of that lead-out in the title database: the disc's, then its tracks'.
  void WriteTitles(SInt32 leadout, const std::vector<std::string>& titles) const;
  // A sound file of the seconds in the home folder, as ffmpeg writes it; its path.
  std::string MakeSoundFile(const std::string& name, int seconds) const;
  // Adds the sound file to the window as the saved list of added files does.
  static bool AddSoundFile(const std::string& path);

  sp_testing::HomeScope home_;
  ErrorLogCapture errors_;
  bool forcedEnd_ = false;

 private:
  void Tick();
  void ArmEndLimit();

  std::vector<Step> steps_;
  std::size_t next_ = 0;
  UInt32 deadline_ = 0;
  bool running_ = false;
};

}  // namespace app_test
