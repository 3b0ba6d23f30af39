// The Drag Manager: drags with items and flavours (promised ones too), the handlers' messages
// in order over several windows, drops, TrackDrag driven by the mouse, the drawn hilite, and
// files dropped from the desktop reaching the handlers.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "Clock.h"
#include "Drag.h"
#include "TestDrags.h"
#include "TestFiles.h"
#include "UiFixture.h"
#include "files/internal/FileLocations.h"
#include "ui/internal/Drags.h"
#include "ui/internal/Drops.h"
#include "ui/internal/OutsideDrags.h"

namespace ui_test {
namespace {

// What the handlers saw, in order: "<handler> <message> <window number>" for tracking
// messages (0: no window), "<handler> drop <window number>" for drops.
struct Journal {
  std::vector<WindowRef> windows;
  std::vector<std::string> lines;
  OSErr receiveAnswer = noErr;
  std::vector<Point> mice;  // GetDragMouse at each message

  int Number(WindowRef w) const {
    for (std::size_t i = 0; i < windows.size(); ++i) {
      if (windows[i] == w) return int(i) + 1;
    }
    return 0;
  }
};

struct Tag {
  Journal* journal;
  std::string name;
};

OSErr Track(DragTrackingMessage message, WindowRef window, void* refCon, DragRef drag) {
  Tag* tag = static_cast<Tag*>(refCon);
  tag->journal->lines.push_back(tag->name + " " + std::to_string(message) + " " +
                                std::to_string(tag->journal->Number(window)));
  Point mouse{};
  GetDragMouse(drag, &mouse, nullptr);
  tag->journal->mice.push_back(mouse);
  return noErr;
}

OSErr TrackOther(DragTrackingMessage message, WindowRef window, void* refCon, DragRef drag) {
  return Track(message, window, refCon, drag);
}

OSErr Refuse(DragTrackingMessage message, WindowRef window, void* refCon, DragRef drag) {
  Track(message, window, refCon, drag);
  return dragNotAcceptedErr;
}

OSErr Receive(WindowRef window, void* refCon, DragRef) {
  Tag* tag = static_cast<Tag*>(refCon);
  tag->journal->lines.push_back(tag->name + " drop " +
                                std::to_string(tag->journal->Number(window)));
  return tag->journal->receiveAnswer;
}

OSErr ReceiveOther(WindowRef window, void* refCon, DragRef drag) {
  Tag* tag = static_cast<Tag*>(refCon);
  tag->journal->lines.push_back(tag->name + " drop " +
                                std::to_string(tag->journal->Number(window)));
  (void)drag;
  return noErr;
}

class DragManager : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    sp_testing::ResetDrags();
    sp_platform::drops::TakePendingFileDrops();
  }
  void TearDown() override {
    sp_testing::ResetDrags();
    UiTest::TearDown();
  }
  // The bytes of a flavour (cantGetFlavorErr and the like as "<err N>").
  static std::string Data(DragRef drag, DragItemRef item, FlavorType type) {
    Size size = 0;
    OSErr err = GetFlavorDataSize(drag, item, type, &size);
    if (err != noErr) return "<err " + std::to_string(err) + ">";
    std::string bytes(std::size_t(size), '\0');
    err = GetFlavorData(drag, item, type, &bytes[0], &size, 0);
    if (err != noErr) return "<err " + std::to_string(err) + ">";
    bytes.resize(std::size_t(size));
    return bytes;
  }
  Journal journal_;
};

struct Promise {
  int asked = 0;
  bool keep = true;
};

OSErr SendData(FlavorType type, void* refCon, DragItemRef item, DragRef drag) {
  Promise* p = static_cast<Promise*>(refCon);
  ++p->asked;
  if (!p->keep) return noErr;
  const std::string text = "promised " + std::to_string(item);
  return SetDragItemFlavorData(drag, item, type, text.data(), Size(text.size()), 0);
}

TEST_F(DragManager, ItemsAndFlavoursKeepTheirOrderAndPromisesAreKeptOnDemand) {
  DragRef drag = nullptr;
  ASSERT_EQ(NewDrag(&drag), noErr);
  Promise promise;
  ASSERT_EQ(SetDragSendProc(drag, SendData, &promise), noErr);
  const FlavorType text = SpFourCC("TEXT"), styl = SpFourCC("styl");
  ASSERT_EQ(AddDragItemFlavor(drag, 7, text, nullptr, 0, 0), noErr);
  ASSERT_EQ(AddDragItemFlavor(drag, 3, styl, "ab", 2, flavorSenderOnly), noErr);
  ASSERT_EQ(AddDragItemFlavor(drag, 7, styl, "cd", 2, 0), noErr);
  UInt16 n = 0;
  ASSERT_EQ(CountDragItems(drag, &n), noErr);
  ASSERT_EQ(n, 2);
  DragItemRef first = 0, second = 0;
  GetDragItemReferenceNumber(drag, 1, &first);
  GetDragItemReferenceNumber(drag, 2, &second);
  EXPECT_EQ(first, 7u) << "items in the order first named";
  EXPECT_EQ(second, 3u);
  FlavorType type = 0;
  GetFlavorType(drag, 7, 2, &type);
  EXPECT_EQ(type, styl);
  FlavorFlags flags = 0;
  GetFlavorFlags(drag, 7, text, &flags);
  EXPECT_EQ(flags, FlavorFlags(flavorDataPromised));
  EXPECT_EQ(promise.asked, 0) << "nothing asked before the data is wanted";
  EXPECT_EQ(Data(drag, 7, text), "promised 7");
  EXPECT_EQ(Data(drag, 7, text), "promised 7");
  EXPECT_EQ(promise.asked, 1) << "a kept promise is asked once";
  GetFlavorFlags(drag, 7, text, &flags);
  EXPECT_EQ(flags, 0u);
  EXPECT_EQ(Data(drag, 3, styl), "ab");
  // Part of the data, from an offset.
  char two[2];
  Size size = 2;
  ASSERT_EQ(GetFlavorData(drag, 7, text, two, &size, 5), noErr);
  EXPECT_EQ(std::string(two, 2), "se");
  // The size answered is what was copied: cut by the room given or by the end of the data.
  const struct {
    UInt32 offset;
    Size room;
    const char* copied;
  } parts[] = {{5, 2, "se"}, {5, 20, "sed 7"}, {0, 10, "promised 7"}, {9, 4, "7"},
               {10, 4, ""},  {11, 4, ""}};
  for (const auto& p : parts) {
    char buffer[20] = {};
    size = p.room;
    ASSERT_EQ(GetFlavorData(drag, 7, text, buffer, &size, p.offset), noErr);
    EXPECT_EQ(std::string(buffer, std::size_t(size)), p.copied) << p.offset << " " << p.room;
  }
  // A promise the procedure does not keep, and requests that name nothing.
  ASSERT_EQ(AddDragItemFlavor(drag, 3, text, nullptr, 0, 0), noErr);
  promise.keep = false;
  struct Case {
    const char* what;
    OSErr got;
    OSErr expected;
  } const cases[] = {
      {"a promise not kept", OSErr(Data(drag, 3, text) == "<err -1854>" ? 0 : 1), 0},
      {"a flavour twice", AddDragItemFlavor(drag, 3, styl, "x", 1, 0), duplicateFlavorErr},
      {"an item not there", CountDragItemFlavors(drag, 9, &n), badDragItemErr},
      {"a flavour not there", GetFlavorFlags(drag, 3, SpFourCC("PICT"), &flags), badDragFlavorErr},
      {"an index past the end", GetDragItemReferenceNumber(drag, 3, &first), badDragItemErr},
      {"a flavour index of 0", GetFlavorType(drag, 7, 0, &type), badDragFlavorErr},
      {"data without bytes", AddDragItemFlavor(drag, 4, text, nullptr, 5, 0), paramErr},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;
  ASSERT_EQ(DisposeDrag(drag), noErr);
  EXPECT_EQ(CountDragItems(drag, &n), badDragRefErr) << "a disposed drag is no drag";
}

TEST_F(DragManager, HandlersHearEnterMoveAndLeaveInOrderAcrossWindows) {
  WindowRef a = MakeWindow(R(100, 100, 200, 300));
  WindowRef b = MakeWindow(R(100, 400, 200, 600));
  journal_.windows = {a, b};
  Tag every{&journal_, "all"}, onlyB{&journal_, "B"};
  ASSERT_EQ(InstallTrackingHandler(Track, nullptr, &every), noErr);
  ASSERT_EQ(InstallTrackingHandler(TrackOther, b, &onlyB), noErr);
  EXPECT_EQ(InstallTrackingHandler(Track, nullptr, &every), duplicateHandlerErr);
  ASSERT_EQ(InstallReceiveHandler(Receive, nullptr, &every), noErr);
  // Over a, on within a, over b, out to the desk, back into b and the release there.
  const OSErr result = sp_testing::PerformDrag(
      {{{SpFourCC("TEXT"), "x"}}},
      {Pt(150, 150), Pt(160, 150), Pt(450, 150), Pt(700, 150), Pt(500, 150), Pt(510, 160)});
  EXPECT_EQ(result, noErr);
  const std::vector<std::string> expected = {
      "all 1 1", "all 2 1", "all 3 1", "all 4 1",            // a
      "B 1 2",   "B 2 2",   "all 2 2", "B 4 2",   "all 4 2",  // b: its own handler first
      "all 5 0", "B 5 0",                                     // the desk: no window serves it
      "B 1 2",   "all 1 2", "B 2 2",   "all 2 2", "B 3 2",   "all 3 2",
      "all drop 2",                                           // released over b
      "B 4 2",   "all 4 2", "B 5 0",   "all 5 0"};
  EXPECT_EQ(journal_.lines, expected);
  ASSERT_EQ(journal_.mice.size(), 21u);
  EXPECT_TRUE(EqualPt(journal_.mice[2], Pt(160, 150))) << "the mouse of the move, globally";
  EXPECT_TRUE(EqualPt(journal_.mice.back(), Pt(510, 160)));
}

TEST_F(DragManager, ADropGoesToTheWindowsReceiversUntilOneTakesIt) {
  WindowRef a = MakeWindow(R(100, 100, 200, 300));
  journal_.windows = {a};
  Tag own{&journal_, "own"}, every{&journal_, "all"};
  ASSERT_EQ(InstallReceiveHandler(ReceiveOther, nullptr, &every), noErr);
  ASSERT_EQ(InstallReceiveHandler(Receive, a, &own), noErr);
  journal_.receiveAnswer = dragNotAcceptedErr;
  EXPECT_EQ(sp_testing::DropText("t", {Pt(150, 150)}), noErr) << "the second receiver took it";
  EXPECT_EQ(journal_.lines, (std::vector<std::string>{"own drop 1", "all drop 1"}));
  ASSERT_EQ(RemoveReceiveHandler(ReceiveOther, nullptr), noErr);
  EXPECT_EQ(RemoveReceiveHandler(ReceiveOther, nullptr), handlerNotFoundErr);
  journal_.lines.clear();
  journal_.receiveAnswer = -5;
  EXPECT_EQ(sp_testing::DropText("t", {Pt(150, 150)}), -5) << "the refusal comes back";
  EXPECT_EQ(sp_testing::DropText("t", {Pt(900, 700)}), dragNotAcceptedErr) << "the desk";
  EXPECT_EQ(journal_.lines, (std::vector<std::string>{"own drop 1"}));
}

// The bytes of the first flavour of the drag's first item.
std::string FirstFlavour(DragRef drag) {
  DragItemRef item = 0;
  FlavorType type = 0;
  Size size = 64;
  char bytes[64];
  if (GetDragItemReferenceNumber(drag, 1, &item) != noErr ||
      GetFlavorType(drag, item, 1, &type) != noErr ||
      GetFlavorData(drag, item, type, bytes, &size, 0) != noErr) {
    return "<none>";
  }
  return std::string(bytes, std::size_t(size));
}

struct InAppDrop {
  OSErr answer = noErr;
  int drops = 0;
  Point at{0, 0};
  DragAttributes attributes = 0;
  std::string text;
};

OSErr TakeInAppDrop(WindowRef, void* refCon, DragRef drag) {
  InAppDrop* d = static_cast<InAppDrop*>(refCon);
  ++d->drops;
  GetDragMouse(drag, nullptr, &d->at);
  GetDragAttributes(drag, &d->attributes);
  d->text = FirstFlavour(drag);
  return d->answer;
}

TEST_F(DragManager, TrackDragFollowsTheMouseAndDropsWhereItIsReleased) {
  WindowRef sender = MakeWindow(R(100, 100, 200, 300));
  WindowRef other = MakeWindow(R(100, 400, 200, 600));
  journal_.windows = {sender, other};
  Tag every{&journal_, "all"};
  InAppDrop drop;
  ASSERT_EQ(InstallTrackingHandler(Track, nullptr, &every), noErr);
  ASSERT_EQ(InstallReceiveHandler(TakeInAppDrop, nullptr, &drop), noErr);
  DragRef drag = nullptr;
  ASSERT_EQ(NewDrag(&drag), noErr);
  ASSERT_EQ(AddDragItemFlavor(drag, 1, SpFourCC("TEXT"), "moved", 5, 0), noErr);
  RgnHandle outline = NewRgn();
  EventRecord press{};
  press.what = mouseDown;
  press.where = Pt(150, 150);
  sp_testing::PostClick(press.where, {Pt(170, 150), Pt(450, 160), Pt(460, 170)});
  EXPECT_EQ(TrackDrag(drag, &press, outline), noErr);
  EXPECT_EQ(drop.drops, 1);
  EXPECT_TRUE(EqualPt(drop.at, Pt(460, 170))) << "dropped where released";
  EXPECT_EQ(drop.text, "moved");
  EXPECT_EQ(drop.attributes, DragAttributes(kDragInsideSenderApplication | kDragHasLeftSenderWindow));
  EXPECT_EQ(journal_.lines.front(), "all 1 1") << "the drag starts over its own window";
  EXPECT_EQ(journal_.lines.back(), "all 5 0");
  AEDesc location{};
  ASSERT_EQ(GetDropLocation(drag, &location), noErr);
  EXPECT_EQ(location.descriptorType, typeNull) << "a drop on the program's own window";
  // Refused, or released over the desk: the drag goes back.
  drop.answer = dragNotAcceptedErr;
  sp_testing::PostClick(press.where, {Pt(460, 170)});
  EXPECT_EQ(TrackDrag(drag, &press, outline), userCanceledErr);
  sp_testing::PostClick(press.where, {Pt(800, 600)});
  EXPECT_EQ(TrackDrag(drag, &press, outline), userCanceledErr);
  EXPECT_EQ(drop.drops, 2);
  // A folder of the desktop named as the place outside: the drop lands there.
  FSSpec folder{};
  folder.vRefNum = -1;
  folder.parID = 2;
  folder.name[0] = 5;
  std::memcpy(folder.name + 1, "Trash", 5);
  sp_testing::SetOutsideDropFolder(&folder);
  sp_testing::PostClick(press.where, {Pt(800, 600)});
  EXPECT_EQ(TrackDrag(drag, &press, outline), noErr);
  ASSERT_EQ(GetDropLocation(drag, &location), noErr);
  EXPECT_EQ(location.descriptorType, typeFSS);
  EXPECT_EQ(AEGetDescDataSize(&location), Size(sizeof(FSSpec)));
  AEDisposeDesc(&location);
  EXPECT_EQ(TrackDrag(drag, &press, nullptr), paramErr) << "no outline";
  DisposeRgn(outline);
  DisposeDrag(drag);
}

OSErr HiliteOnEnter(DragTrackingMessage message, WindowRef, void* refCon, DragRef drag) {
  const Rect* area = static_cast<const Rect*>(refCon);
  if (message != kDragTrackingEnterWindow) return noErr;
  RgnHandle rgn = NewRgn();
  RectRgn(rgn, area);
  ShowDragHilite(drag, rgn, true);
  DisposeRgn(rgn);
  return noErr;
}

TEST_F(DragManager, TheHiliteIsDrawnInsideOrOutsideItsRegionAndWhatItCoveredComesBack) {
  WindowRef w = MakeWindow(R(100, 100, 200, 300));
  CGrafPtr port = GetWindowPort(w);
  sp_testing::FillPort(port, 0x123456);
  SetPortWindowPort(w);
  const Rect mark = {30, 30, 50, 50};
  RGBColor red = {0xFFFF, 0, 0};
  RGBForeColor(&red);
  PaintRect(&mark);  // something under the hilite's edge
  const Rect area = {20, 20, 60, 90};
  const Rect inside = {20, 20, 60, 90};
  DragRef drag = nullptr;
  ASSERT_EQ(NewDrag(&drag), noErr);
  RgnHandle rgn = NewRgn();
  RectRgn(rgn, &area);
  EXPECT_EQ(ShowDragHilite(drag, rgn, true), paramErr) << "the drag is over no window";
  // Over the window (the handler shows the hilite as the drag enters).
  ASSERT_EQ(InstallTrackingHandler(HiliteOnEnter, nullptr, const_cast<Rect*>(&inside)), noErr);
  struct Seen {
    sp_testing::DragHilite hilite;
    std::vector<UInt32> pixels;
  };
  static Seen seen;
  seen = Seen();
  auto look = [](WindowRef, void* refCon, DragRef) -> OSErr {
    CGrafPtr p = static_cast<CGrafPtr>(refCon);
    seen.hilite = sp_testing::CurrentDragHilite();
    for (SInt16 h : {19, 20, 21, 22, 40}) seen.pixels.push_back(sp_testing::ReadPixel(p, h, 40));
    seen.pixels.push_back(sp_testing::ReadPixel(p, 40, 21));
    // Drawing inside the region while the hilite shows.
    SetPort(p);
    const RGBColor blue = {0, 0, 0xFFFF};
    RGBForeColor(&blue);
    const Rect drawn = {38, 38, 42, 42};
    PaintRect(&drawn);
    return noErr;
  };
  ASSERT_EQ(InstallReceiveHandler(look, nullptr, port), noErr);
  EXPECT_EQ(sp_testing::DropText("t", {Pt(150, 150)}), noErr);
  EXPECT_TRUE(seen.hilite.shown);
  EXPECT_EQ(seen.hilite.window, w);
  EXPECT_TRUE(Same(seen.hilite.bounds, area)) << "inside: the band within the region";
  ASSERT_EQ(seen.pixels.size(), 6u);
  EXPECT_EQ(seen.pixels[0], 0x123456u) << "outside the region";
  EXPECT_NE(seen.pixels[1], 0x123456u);
  EXPECT_EQ(seen.pixels[1], seen.pixels[2]) << kDragHiliteThickness << " pixels wide";
  EXPECT_EQ(seen.pixels[3], 0x123456u) << "within the band";
  EXPECT_EQ(seen.pixels[4], 0xFF0000u);
  EXPECT_EQ(seen.pixels[5], seen.pixels[1]) << "the top edge";
  EXPECT_FALSE(sp_testing::CurrentDragHilite().shown) << "the end of the drag hides it";
  EXPECT_EQ(sp_testing::ReadPixel(port, 20, 40), 0x123456u) << "what it covered is back";
  EXPECT_EQ(sp_testing::ReadPixel(port, 21, 21), 0x123456u);
  EXPECT_EQ(sp_testing::ReadPixel(port, 40, 40), 0x0000FFu) << "drawn meanwhile, and kept";
  DisposeRgn(rgn);
  DisposeDrag(drag);
}

TEST_F(DragManager, AnOutsideHiliteFramesTheRegionWithoutCoveringIt) {
  WindowRef w = MakeWindow(R(100, 100, 200, 300));
  CGrafPtr port = GetWindowPort(w);
  sp_testing::FillPort(port, 0xFFFFFF);
  const Rect area = {20, 20, 60, 90};
  static const Rect* kArea = &area;
  auto outside = [](DragTrackingMessage message, WindowRef, void*, DragRef drag) -> OSErr {
    if (message != kDragTrackingEnterWindow) return noErr;
    RgnHandle rgn = NewRgn();
    RectRgn(rgn, kArea);
    ShowDragHilite(drag, rgn, false);
    DisposeRgn(rgn);
    return noErr;
  };
  static std::vector<UInt32> pixels;
  pixels.clear();
  auto look = [](WindowRef, void* refCon, DragRef drag) -> OSErr {
    CGrafPtr p = static_cast<CGrafPtr>(refCon);
    for (SInt16 h : {17, 18, 19, 20}) pixels.push_back(sp_testing::ReadPixel(p, h, 40));
    HideDragHilite(drag);
    pixels.push_back(sp_testing::ReadPixel(p, 18, 40));
    return noErr;
  };
  ASSERT_EQ(InstallTrackingHandler(outside, nullptr, nullptr), noErr);
  ASSERT_EQ(InstallReceiveHandler(look, nullptr, port), noErr);
  ASSERT_EQ(sp_testing::DropText("t", {Pt(150, 150)}), noErr);
  ASSERT_EQ(pixels.size(), 5u);
  EXPECT_EQ(pixels[0], 0xFFFFFFu);
  EXPECT_NE(pixels[1], 0xFFFFFFu);
  EXPECT_NE(pixels[2], 0xFFFFFFu);
  EXPECT_EQ(pixels[3], 0xFFFFFFu) << "the region itself stays";
  EXPECT_EQ(pixels[4], 0xFFFFFFu) << "hidden at once";
}

// ---- Files from the desktop -------------------------------------------------------------------

struct FileDropSeen {
  std::vector<std::string> names;
  WindowRef window = nullptr;
};

OSErr ReadFileNames(WindowRef window, void* refCon, DragRef drag) {
  FileDropSeen* seen = static_cast<FileDropSeen*>(refCon);
  seen->window = window;
  UInt16 items = 0;
  CountDragItems(drag, &items);
  for (UInt16 i = 1; i <= items; ++i) {
    DragItemRef item = 0;
    GetDragItemReferenceNumber(drag, i, &item);
    UInt8 bytes[kHFSFlavorSize];
    Size size = kHFSFlavorSize;
    if (GetFlavorData(drag, item, kDragFlavorTypeHFS, bytes, &size, 0) != noErr ||
        size != kHFSFlavorSize) {
      seen->names.push_back("<bad>");
      continue;
    }
    seen->names.emplace_back(reinterpret_cast<const char*>(bytes + 17), bytes[16]);
  }
  return noErr;
}

TEST_F(DragManager, FilesDroppedFromTheDesktopReachTheReceiversAndWaitUntilThereAreAny) {
  sp_testing::HomeScope home;
  WindowRef w = MakeWindow(R(100, 100, 200, 300));
  std::ofstream(home.Path("one.aiff")) << "FORM";
  std::ofstream(home.Path("two.wav")) << "RIFF";
  // Dropped before any handler: it waits.
  ASSERT_EQ(sp_platform::drops::DeliverFileDrop(Pt(150, 150), {home.Path("one.aiff")}), noErr);
  FileDropSeen seen;
  ASSERT_EQ(InstallReceiveHandler(ReadFileNames, nullptr, &seen), noErr);
  EXPECT_EQ(seen.names, (std::vector<std::string>{"one.aiff"})) << "the waiting drop arrives";
  EXPECT_EQ(seen.window, w);
  seen.names.clear();
  ASSERT_EQ(sp_platform::drops::DeliverFileDrop(
                Pt(160, 160), {home.Path("two.wav"), home.Path("gone"), home.Path("one.aiff")}),
            noErr);
  EXPECT_EQ(seen.names, (std::vector<std::string>{"two.wav", "one.aiff"}));
  // Without handlers the drops wait again.
  ASSERT_EQ(RemoveReceiveHandler(ReadFileNames, nullptr), noErr);
  seen.names.clear();
  ASSERT_EQ(sp_platform::drops::DeliverFileDrop(Pt(150, 150), {home.Path("one.aiff")}), noErr);
  EXPECT_TRUE(seen.names.empty());
  EXPECT_EQ(sp_platform::drops::TakePendingFileDrops().size(), 1u);
}

struct TextDropSeen {
  std::vector<std::string> items;  // each item's 'TEXT'
  Point mouse{0, 0};
};

OSErr ReadText(WindowRef, void* refCon, DragRef drag) {
  TextDropSeen* seen = static_cast<TextDropSeen*>(refCon);
  UInt16 count = 0;
  CountDragItems(drag, &count);
  for (UInt16 i = 1; i <= count; ++i) {
    DragItemRef item = 0;
    GetDragItemReferenceNumber(drag, i, &item);
    Size size = 0;
    if (GetFlavorDataSize(drag, item, SpFourCC("TEXT"), &size) != noErr) continue;
    std::string bytes(std::size_t(size), '\0');
    GetFlavorData(drag, item, SpFourCC("TEXT"), &bytes[0], &size, 0);
    seen->items.push_back(bytes);
  }
  GetDragMouse(drag, &seen->mouse, nullptr);
  return noErr;
}

TEST_F(DragManager, TextDroppedFromAnotherProgramIsOneTextItemWithItsLinesJoinedByCR) {
  MakeWindow(R(100, 100, 200, 300));
  TextDropSeen seen;
  ASSERT_EQ(InstallReceiveHandler(ReadText, nullptr, &seen), noErr);
  EXPECT_EQ(sp_platform::drops::DeliverTextDrop(Pt(150, 150), {}), paramErr);
  ASSERT_EQ(sp_platform::drops::DeliverTextDrop(
                Pt(160, 150), {"one\r\n", "\xE3\x81\x82 two\n", "three"}),
            noErr);
  EXPECT_EQ(seen.items, (std::vector<std::string>{"one\r\x82\xA0 two\rthree"}));
  EXPECT_EQ(seen.mouse.h, 160);
  EXPECT_EQ(seen.mouse.v, 150);
  ASSERT_EQ(RemoveReceiveHandler(ReadText, nullptr), noErr);
}

// Another program's drag followed a step at a time: each move answers whether a tracking
// handler of the window under it said noErr; ending it without a drop sends the leave
// messages, and a drag dropped or ended is gone.
TEST_F(DragManager, AForeignDragFollowedStepByStepSaysWhereItWouldBeTaken) {
  namespace drags = sp_platform::drags;
  WindowRef a = MakeWindow(R(100, 100, 200, 300));
  WindowRef b = MakeWindow(R(100, 400, 200, 600));
  journal_.windows = {a, b};
  Tag takes{&journal_, "A"}, refuses{&journal_, "B"};
  ASSERT_EQ(InstallTrackingHandler(Track, a, &takes), noErr);
  ASSERT_EQ(InstallTrackingHandler(Refuse, b, &refuses), noErr);
  ASSERT_EQ(InstallReceiveHandler(Receive, nullptr, &takes), noErr);
  const drags::ItemSpec text = {drags::FlavorSpec{SpFourCC("TEXT"), "x", 0}};
  DragRef drag = drags::BeginForeignDrag({text});
  ASSERT_NE(drag, nullptr);
  const struct {
    Point where;
    bool taken;
    const char* why;
  } moves[] = {
      {Pt(150, 150), true, "into a: its handler answers noErr to the enter"},
      {Pt(160, 150), true, "within a: and to the move"},
      {Pt(450, 150), false, "into b: its handler refuses"},
      {Pt(700, 150), false, "the desk: no window, nobody to take it"},
  };
  for (const auto& m : moves) EXPECT_EQ(drags::MoveForeignDrag(drag, m.where), m.taken) << m.why;
  EXPECT_EQ(DisposeDrag(drag), paramErr) << "a drag being followed is not disposed of";
  drags::MoveForeignDrag(drag, Pt(150, 150));
  journal_.lines.clear();
  drags::EndForeignDrag(drag);
  EXPECT_EQ(journal_.lines, (std::vector<std::string>{"A 4 1", "A 5 0"})) << "leave, no drop";
  EXPECT_FALSE(drags::MoveForeignDrag(drag, Pt(150, 150))) << "an ended drag is gone";
  EXPECT_EQ(drags::DropForeignDrag(drag, Pt(150, 150)), badDragRefErr);
  // Dropped where it is taken: the receivers' answer, then it is gone as well.
  drag = drags::BeginForeignDrag({text});
  ASSERT_NE(drag, nullptr);
  EXPECT_TRUE(drags::MoveForeignDrag(drag, Pt(150, 150)));
  EXPECT_EQ(drags::DropForeignDrag(drag, Pt(150, 150)), noErr);
  EXPECT_EQ(drags::DropForeignDrag(drag, Pt(150, 150)), badDragRefErr);
  EXPECT_TRUE(drags::AllDrags().empty());
}

// A display that carries drags on over other programs' windows, as the tests tell it to: what
// it was told, and the answer it gives after so many looks (never, below 0).
struct FakeOutside {
  std::vector<std::string> steps;
  bool windowThere = true;
  int answerAfter = 0;
  DragActions action = kDragActionNothing;
  int drops = 0, looks = 0, ends = 0;
  std::string text;  // the drag's text as the other program asked for it
};

FakeOutside* gOutside = nullptr;

void FakeFollow(const sp_platform::drags::OutsideDragStep& s, void*) {
  if (!s.outside) {
    gOutside->steps.push_back("in");
    return;
  }
  const Rect& r = s.outline;
  gOutside->steps.push_back("out " + std::to_string(s.mouse.h) + "," + std::to_string(s.mouse.v) +
                            " [" + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                            std::to_string(r.right) + "," + std::to_string(r.bottom) + "]" +
                            (s.copy ? " copy" : ""));
}
bool FakeDrop(void*) {
  ++gOutside->drops;
  return gOutside->windowThere;
}
bool FakeAnswered(DragActions* action, void*) {
  ++gOutside->looks;
  if (gOutside->answerAfter < 0 || gOutside->looks <= gOutside->answerAfter) return false;
  sp_platform::drags::TextOfTrackedDrag(&gOutside->text);
  *action = gOutside->action;
  return true;
}
void FakeEnd(void*) {
  ++gOutside->ends;
}
const sp_platform::drags::OutsideDragHooks kFakeOutside = {FakeFollow, FakeDrop, FakeAnswered,
                                                           FakeEnd};

class OutsideDrag : public DragManager {
 protected:
  void SetUp() override {
    DragManager::SetUp();
    gOutside = &fake_;
    sp_platform::drags::SetOutsideDragHooks(&kFakeOutside, nullptr);
    window_ = MakeWindow(R(100, 100, 200, 300));
    outline_ = NewRgn();
    SetRectRgn(outline_, 120, 140, 200, 160);
    ASSERT_EQ(NewDrag(&drag_), noErr);
    ASSERT_EQ(SetDragSendProc(drag_, SendData, &promise_), noErr);
    ASSERT_EQ(AddDragItemFlavor(drag_, 1, SpFourCC("TEXT"), nullptr, 0, 0), noErr);
  }
  void TearDown() override {
    sp_platform::drags::SetOutsideDragHooks(nullptr, nullptr);
    gOutside = nullptr;
    DisposeRgn(outline_);
    sp_testing::SetModifierKeys(0);
    DragManager::TearDown();
  }
  // Pressed at (150, 150) in the window, dragged along the path and released at its end.
  OSErr DragAlong(const std::vector<Point>& path) {
    EventRecord press{};
    press.what = mouseDown;
    press.where = Pt(150, 150);
    sp_testing::PostClick(press.where, path);
    return TrackDrag(drag_, &press, outline_);
  }
  DragActions Action() {
    DragActions action = 99;
    EXPECT_EQ(GetDragDropAction(drag_, &action), noErr);
    return action;
  }

  FakeOutside fake_;
  Promise promise_;
  WindowRef window_ = nullptr;
  RgnHandle outline_ = nullptr;
  DragRef drag_ = nullptr;
};

// The display hears of every place outside the windows, with the outline moved as the mouse
// moved and the copy that Option asks for, and of the return inside; a drag that stays inside
// never reaches it.
TEST_F(OutsideDrag, TheDisplayFollowsTheDragOutsideAndBackWithItsOutline) {
  EXPECT_EQ(DragAlong({Pt(170, 150), Pt(180, 160)}), userCanceledErr);
  EXPECT_TRUE(fake_.steps.empty());
  EXPECT_EQ(fake_.ends, 0);
  EXPECT_EQ(DragAlong({Pt(800, 600), Pt(150, 150), Pt(160, 150)}), userCanceledErr);
  EXPECT_EQ(fake_.steps, (std::vector<std::string>{"out 800,600 [770,590 850,610]", "in", "in"}));
  EXPECT_EQ(fake_.drops, 0) << "released inside: the drop is the program's";
  EXPECT_EQ(fake_.ends, 1);
  fake_.steps.clear();
  sp_testing::SetModifierKeys(optionKey);
  fake_.action = kDragActionCopy;
  EXPECT_EQ(DragAlong({Pt(700, 500)}), noErr);
  EXPECT_EQ(fake_.steps, (std::vector<std::string>{"out 700,500 [670,490 750,510] copy"}));
}

// What the other program answers is the drop's result and its action; the text it gets is the
// promised flavour, asked of the send-data procedure then. One that never answers is given up
// after a few seconds, and a release where no window takes drops is the Drag Manager's own.
TEST_F(OutsideDrag, TheOtherProgramsAnswerIsTheDropsActionAndSilenceIsGivenUp) {
  struct Case {
    const char* why;
    bool windowThere;
    int answerAfter;
    DragActions answer;
    OSErr result;
    DragActions action;
    int looks;
  };
  const Case cases[] = {
      {"moved at the third look", true, 2, kDragActionMove, noErr, kDragActionMove, 3},
      {"copied at once", true, 0, kDragActionCopy, noErr, kDragActionCopy, 1},
      {"refused", true, 0, kDragActionNothing, userCanceledErr, kDragActionNothing, 1},
      {"never answers", true, -1, kDragActionMove, userCanceledErr, kDragActionNothing, -1},
      {"no window takes drops there", false, 0, kDragActionMove, userCanceledErr,
       kDragActionNothing, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fake_ = FakeOutside();
    fake_.windowThere = c.windowThere;
    fake_.answerAfter = c.answerAfter;
    fake_.action = c.answer;
    const UInt32 before = TickCount();
    EXPECT_EQ(DragAlong({Pt(700, 500), Pt(710, 510)}), c.result);
    const UInt32 waited = TickCount() - before;
    EXPECT_EQ(Action(), c.action);
    EXPECT_EQ(fake_.drops, 1);
    EXPECT_EQ(fake_.ends, 1);
    if (c.looks >= 0) {
      EXPECT_EQ(fake_.looks, c.looks);
      EXPECT_LT(waited, 60u) << "an answer ends the wait";
    } else {
      EXPECT_GE(waited, UInt32(sp_platform::drags::kOutsideAnswerMicros * 60 / 1000000));
      EXPECT_LT(waited, UInt32(sp_platform::drags::kOutsideAnswerMicros * 60 / 1000000) + 60);
    }
    EXPECT_EQ(fake_.text, c.looks > 0 && c.answerAfter >= 0 ? "promised 1" : "");
  }
  // A drag inside after one outside: nothing of the last drop is left.
  fake_ = FakeOutside();
  EXPECT_EQ(DragAlong({Pt(160, 150)}), userCanceledErr);
  EXPECT_EQ(Action(), DragActions(kDragActionNothing));
}

}  // namespace
}  // namespace ui_test
