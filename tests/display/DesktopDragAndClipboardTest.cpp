// Drag and drop and the clipboard with other programs on the desktop: a file dropped on a
// window reaches its drop target as an 'hfs ' item naming the file, and text another program
// copies reaches the Scrap Manager and the clipboard watcher.
#include <SDL.h>

#include <cstdlib>
#include <fstream>

#include "ByteOrder.h"
#include "DesktopFixture.h"
#include "Files.h"
#include "Scrap.h"
#include "SpCutAndPastManager.h"
#include "SpDragAndDropObject.h"
#include "SpTextCodec.h"
#include "TestDrags.h"
#include "files/internal/FileLocations.h"

namespace desktop_test {
namespace {

class DesktopDragAndClipboard : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    sp_testing::ResetDrags();
    sp_testing::ResetDragAndDropManager();
    SpDDO_InitializeDragAndDrop();
  }
  void TearDown() override {
    sp_testing::ResetCutAndPastManager();
    sp_testing::ResetDragAndDropManager();
    sp_testing::ResetDrags();
    DesktopTest::TearDown();
  }
};

// The FSSpec of each 'hfs ' item dropped on the target.
short KeepFiles(Point, unsigned long refCon, cDragDataItem* items, UInt32*) {
  auto* specs = reinterpret_cast<std::vector<FSSpec>*>(refCon);
  for (cDragDataItem* item = items; item != nullptr; item = item->GetNextObjectPtr()) {
    cDragDataFlavor* hfs = item->GetTargetTypeFlavorItem(kDragFlavorTypeHFS);
    UInt8 bytes[kHFSFlavorSize];
    SInt32 size = 0;
    if (hfs == nullptr ||
        hfs->GetDragData(reinterpret_cast<char*>(bytes), kHFSFlavorSize, &size, 0) != noErr ||
        size != kHFSFlavorSize) {
      return dragNotAcceptedErr;
    }
    sp::ByteReader in(bytes + 10, std::size_t(size - 10));
    FSSpec spec{};
    spec.vRefNum = SInt16(in.BE16());
    spec.parID = SInt32(in.BE32());
    const UInt8 length = in.U8();
    if (length > 63) return dragNotAcceptedErr;
    spec.name[0] = length;
    for (UInt8 i = 1; i <= length; ++i) spec.name[i] = in.U8();
    specs->push_back(spec);
  }
  return noErr;
}

TEST_F(DesktopDragAndClipboard, AFileDroppedFromOutsideReachesTheDropTargetWithItsFSRef) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 350, 420), "ドロップ先");
  ASSERT_NE(window, nullptr);
  std::vector<FSSpec> dropped;
  cDropCatchObject target(window, Rect{0, 0, 200, 300}, 1, 1);
  target.SetupEnableFlavorType(kDragFlavorTypeHFS);
  target.SetupCatchDropItemsProc(KeepFiles, reinterpret_cast<unsigned long>(&dropped));
  const std::string path = std::string(getenv("HOME")) + "/落とした曲.aiff";
  std::ofstream(path) << "FORM";
  const int strip = sp_platform::display::StripHeightOf(window);
  int sx = 0, sy = 0;
  ASSERT_TRUE(ScreenPointOf(window, 60, strip + 40, &sx, &sy));
  ASSERT_TRUE(RunToolPumping(
      {"xdotool", "mousemove", "--sync", std::to_string(sx), std::to_string(sy)}));
  // The file manager's drop, as the desktop delivers it to the window.
  SDL_Event e{};
  e.drop.windowID = sp_platform::display::SDLWindowIDOf(window);
  e.drop.type = SDL_DROPBEGIN;
  ASSERT_EQ(SDL_PushEvent(&e), 1);
  e.drop.type = SDL_DROPFILE;
  e.drop.file = SDL_strdup(path.c_str());
  ASSERT_EQ(SDL_PushEvent(&e), 1);
  e.drop.type = SDL_DROPCOMPLETE;
  e.drop.file = nullptr;
  ASSERT_EQ(SDL_PushEvent(&e), 1);
  ASSERT_TRUE(PumpUntil([&dropped] { return !dropped.empty(); }, "the drop on the target"));
  ASSERT_EQ(dropped.size(), 1u);
  FSRef fromDrop, ofFile;
  ASSERT_EQ(FSpMakeFSRef(&dropped[0], &fromDrop), noErr);
  sp_platform::files::Location location;
  ASSERT_EQ(sp_platform::files::LocatePath(path, location), noErr);
  sp_platform::files::MakeFSRef(location, &ofFile);
  EXPECT_EQ(FSCompareFSRefs(&fromDrop, &ofFile), noErr) << "the item names the dropped file";
}

std::vector<unsigned long> gClipboardCalls;
void NoteClipboard(unsigned long refCon) {
  gClipboardCalls.push_back(refCon);
}

TEST_F(DesktopDragAndClipboard, TextAnotherProgramCopiesIsReadAsTextAndUnicodeAndNoticed) {
  WindowRef window = ShowWindowOnDesktop(R(150, 120, 250, 320), "クリップボード");
  ASSERT_NE(window, nullptr);
  gClipboardCalls.clear();
  ASSERT_TRUE(RunTool({"xclip", "-selection", "clipboard", "-i"}, nullptr, "first"));
  // xclip's server takes the clipboard after xclip itself ends.
  PumpUntil(
      [] {
        ScrapRef s = nullptr;
        Size size = 0;
        return GetCurrentScrap(&s) == noErr &&
               GetScrapFlavorSize(s, kScrapFlavorTypeText, &size) == noErr && size == 5;
      },
      "the first text");
  cSp_CutAndPastManager* watcher = SpCPM_GetManager(1);
  ASSERT_NE(watcher, nullptr);
  watcher->SetupNewCallbackProc(NoteClipboard, 7);
  watcher->CheckScrapForEventLoop();
  ASSERT_EQ(gClipboardCalls.size(), 1u) << "a clipboard holding text at the first look";
  // Another text of as many flavours.
  ASSERT_TRUE(RunTool({"xclip", "-selection", "clipboard", "-i"}, nullptr, "日本語 café\n2"));
  std::string mj;
  ASSERT_TRUE(sp::text::UTF8ToMacJapanese("日本語 caf?\r2", mj, '?'));
  const std::u16string unicode = sp::text::UTF8ToUTF16("日本語 café\r2");
  ScrapRef scrap = nullptr;
  std::string text, utxt;
  PumpUntil(
      [&] {
        char bytes[64];
        Size size = sizeof bytes;
        if (GetCurrentScrap(&scrap) != noErr ||
            GetScrapFlavorData(scrap, kScrapFlavorTypeText, &size, bytes) != noErr) {
          return false;
        }
        text.assign(bytes, std::size_t(size));
        return text == mj;
      },
      "the other program's text");
  EXPECT_EQ(text, mj) << "'TEXT' in MacJapanese, with '?' for what it lacks";
  char bytes[64];
  Size size = sizeof bytes;
  ASSERT_EQ(GetScrapFlavorData(scrap, kScrapFlavorTypeUnicode, &size, bytes), noErr);
  utxt.assign(bytes, std::size_t(size));
  EXPECT_EQ(utxt, std::string(reinterpret_cast<const char*>(unicode.data()), unicode.size() * 2))
      << "'utxt' keeps every character";
  UInt32 flavours = 0;
  ASSERT_EQ(GetScrapFlavorCount(scrap, &flavours), noErr);
  EXPECT_EQ(flavours, 2u);
  watcher->CheckScrapForEventLoop();
  EXPECT_EQ(gClipboardCalls.size(), 2u) << "the new text is noticed";
}

}  // namespace
}  // namespace desktop_test
