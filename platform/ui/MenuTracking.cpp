// Where the menu bar is shown, how the bar and the menus are drawn, and how a person pulls
// them down with the mouse and the keys (see ui/internal/Menus.h).
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "CarbonEvents.h"
#include "MacWindows.h"
#include "QDPictures.h"
#include "QDText.h"
#include "QuickDraw.h"
#include "base/internal/Clock.h"
#include "detail/MenuRecord.h"
#include "detail/WindowRecord.h"
#include "events/internal/EventLoop.h"
#include "events/internal/AppleEventQueue.h"
#include "events/internal/LoopSteps.h"
#include "ui/internal/Menus.h"

namespace sp_platform {
namespace menus {
namespace {

constexpr int kItemHeight = 18;  // as GetMenuHeight counts them
constexpr int kSeparatorHeight = 9;
constexpr int kTitlePad = 9;      // either side of a title's text in the bar
constexpr int kBarLeft = 6;       // before the first title
constexpr int kTextLeft = 22;     // an item's text, after the mark column
constexpr int kTextRight = 14;    // after the key equivalent or the text
constexpr int kKeyGap = 24;       // between an item's text and its key equivalent
constexpr int kMinMenuWidth = 80;
// A menu taller than the screen shows an arrow strip at an end with items hidden beyond it;
// the pointer resting on a strip scrolls the menu by an item at this pace.
constexpr SInt64 kScrollStepMicros = 50000;
constexpr int kIconSize = 16;  // the program's small icon, the Apple menu's title
constexpr SInt16 kFontSize = 12;

const RGBColor kBlack = {0, 0, 0};
const RGBColor kWhite = {0xFFFF, 0xFFFF, 0xFFFF};
const RGBColor kBarColor = {0xEEEE, 0xEEEE, 0xEEEE};
const RGBColor kLineColor = {0xAAAA, 0xAAAA, 0xAAAA};
const RGBColor kDisabledColor = {0x8888, 0x8888, 0x8888};
const RGBColor kHiliteColor = {0x2F2F, 0x5E5E, 0xB5B5};

struct TrackingState {
  bool live = false;
  UInt32 stampBase = 0;
  int open = 0;  // trackers running (a menu is open)
};

TrackingState& Tracking() {
  static TrackingState state;
  return state;
}

// Sets a port for drawing or measuring menus and puts the previous one back at the end.
class MenuPort {
 public:
  explicit MenuPort(GrafPtr port) {
    GetPort(&saved_);
    SetPort(port);
    savedFont_ = port->txFont;
    savedSize_ = port->txSize;
    savedFace_ = port->txFace;
    port_ = port;
    TextFont(0);
    TextSize(kFontSize);
    TextFace(normal);
  }
  ~MenuPort() {
    TextFont(savedFont_);
    TextSize(savedSize_);
    TextFace(savedFace_);
    SetPort(saved_);
  }
  MenuPort(const MenuPort&) = delete;
  MenuPort& operator=(const MenuPort&) = delete;

 private:
  GrafPtr saved_ = nullptr;
  GrafPtr port_ = nullptr;
  SInt16 savedFont_ = 0, savedSize_ = 0;
  Style savedFace_ = normal;
};

SInt16 Width(const std::string& text) {
  if (text.empty()) return 0;
  return TextWidth(text.data(), 0, SInt16(std::min<std::size_t>(text.size(), 255)));
}

void Draw(const std::string& text, int h, int v) {
  if (text.empty()) return;
  MoveTo(SInt16(h), SInt16(v));
  DrawText(text.data(), 0, SInt16(std::min<std::size_t>(text.size(), 255)));
}

// The apple title "\x14" is no character of the font: the program's small icon stands for it.
bool IsAppleTitle(const std::string& title) {
  return title.size() == 1 && title[0] == '\x14';
}

SInt16 TitleWidth(const OpaqueMenuRef& menu) {
  return IsAppleTitle(menu.title) ? SInt16(kIconSize) : Width(menu.title);
}

// The program's small icon in the title's place, darkened on the hilite and dimmed when the
// menu is disabled; a small square when the program has none.
void DrawAppleTitle(const Rect& title, bool hilited, bool enabled) {
  const int top = title.top + (title.bottom - title.top - kIconSize) / 2;
  const Rect icon = {SInt16(top), SInt16(title.left + kTitlePad), SInt16(top + kIconSize),
                     SInt16(title.left + kTitlePad + kIconSize)};
  const IconTransformType transform = hilited    ? kTransformSelected
                                      : !enabled ? kTransformDisabled
                                                 : kTransformNone;
  if (PlotIconID(&icon, kAlignAbsoluteCenter, transform, kSpApplicationIconID) == noErr) return;
  Rect mark = icon;
  InsetRect(&mark, 3, 3);
  PaintRect(&mark);
}

// "Ctrl+Q", as desktop programs write the key of a command (Command is Ctrl, Option Alt).
std::string KeyText(const MenuItemRecord& item) {
  if (item.keyEquivalent == 0 || item.IsHierarchical() || item.separator) return std::string();
  std::string text;
  if ((item.modifiers & kMenuNoCommandModifier) == 0) text += "Ctrl+";
  if ((item.modifiers & kMenuShiftModifier) != 0) text += "Shift+";
  if ((item.modifiers & kMenuOptionModifier) != 0) text += "Alt+";
  if ((item.modifiers & kMenuControlModifier) != 0) text += "Super+";
  UInt8 ch = item.keyEquivalent;
  if (ch >= 'a' && ch <= 'z') ch = UInt8(ch - 'a' + 'A');
  text.push_back(char(ch));
  return text;
}

int ItemHeight(const MenuItemRecord& item) {
  return item.separator ? kSeparatorHeight : kItemHeight;
}

bool Choosable(MenuRef menu, MenuItemIndex item) {
  const MenuItemRecord* record = ItemOf(menu, item);
  return record != nullptr && !record->IsHierarchical() && ItemCanBeChosen(menu, item);
}

// The item's rectangle in the menu's own coordinates.
Rect ItemRect(const OpaqueMenuRef& menu, MenuItemIndex index, int width) {
  int top = 0;
  for (MenuItemIndex i = 1; i < index && i <= menu.items.size(); ++i) {
    top += ItemHeight(menu.items[i - 1]);
  }
  const int height = index <= menu.items.size() ? ItemHeight(menu.items[index - 1]) : 0;
  return Rect{SInt16(top), 0, SInt16(top + height), SInt16(width)};
}

void DrawCheck(int left, int baseline) {
  MoveTo(SInt16(left), SInt16(baseline - 4));
  LineTo(SInt16(left + 3), SInt16(baseline - 1));
  LineTo(SInt16(left + 8), SInt16(baseline - 8));
}

void DrawItem(const OpaqueMenuRef& menu, MenuRef ref, MenuItemIndex index, int width,
              bool hilited, int scroll) {
  const MenuItemRecord& item = menu.items[index - 1];
  Rect r = ItemRect(menu, index, width);
  OffsetRect(&r, 0, SInt16(-scroll));
  const bool enabled = ItemCanBeChosen(ref, index);
  RGBBackColor(hilited && enabled ? &kHiliteColor : &kWhite);
  EraseRect(&r);
  if (item.separator) {
    RGBForeColor(&kLineColor);
    const SInt16 mid = SInt16((r.top + r.bottom) / 2);
    MoveTo(SInt16(r.left + 1), mid);
    LineTo(SInt16(r.right - 2), mid);
    return;
  }
  RGBForeColor(!enabled ? &kDisabledColor : hilited ? &kWhite : &kBlack);
  const int baseline = r.top + 13;
  if (item.mark == checkMark) {
    DrawCheck(r.left + 7, baseline);
  } else if (item.mark != noMark && !item.IsHierarchical()) {
    Draw(std::string(1, char(item.mark)), r.left + 7, baseline);
  }
  TextFace(item.style);
  Draw(item.text, r.left + kTextLeft, baseline);
  TextFace(normal);
  if (item.IsHierarchical()) {
    const int x = r.right - kTextRight;
    for (int i = 0; i < 4; ++i) {
      MoveTo(SInt16(x + i), SInt16(baseline - 8 + i));
      LineTo(SInt16(x + i), SInt16(baseline - 2 - i));
    }
  } else {
    const std::string key = KeyText(item);
    Draw(key, r.right - kTextRight - Width(key), baseline);
  }
}

// An arrow strip across the top or the bottom of a scrolled menu, pointing where items hide.
void DrawArrowStrip(const Rect& all, bool up) {
  const Rect strip = up ? Rect{all.top, all.left, SInt16(all.top + kItemHeight), all.right}
                        : Rect{SInt16(all.bottom - kItemHeight), all.left, all.bottom, all.right};
  RGBBackColor(&kWhite);
  EraseRect(&strip);
  RGBForeColor(&kBlack);
  const int mid = (strip.left + strip.right) / 2;
  const int tip = up ? strip.top + 5 : strip.bottom - 6;
  for (int i = 0; i < 6; ++i) {
    const SInt16 v = SInt16(up ? tip + i : tip - i);
    MoveTo(SInt16(mid - i), v);
    LineTo(SInt16(mid + i), v);
  }
}

// Draws the menu into the current port (its port rectangle is the part of the menu shown),
// its items moved up by `scroll` pixels, with the arrow strips of a menu taller than that.
void DrawMenuItems(MenuRef menu, MenuItemIndex hilited, int scroll = 0) {
  const OpaqueMenuRef* record = Live(menu);
  if (record == nullptr) return;
  GrafPtr port = nullptr;
  GetPort(&port);
  const Rect all = port->portRect;
  RGBBackColor(&kWhite);
  EraseRect(&all);
  for (MenuItemIndex i = 1; i <= record->items.size(); ++i) {
    DrawItem(*record, menu, i, all.right - all.left, i == hilited, scroll);
  }
  const int full = ShownMenuSize(menu).v;
  if (scroll > 0) DrawArrowStrip(all, true);
  if (scroll < full - (all.bottom - all.top)) DrawArrowStrip(all, false);
  RGBForeColor(&kLineColor);
  FrameRect(&all);
  RGBForeColor(&kBlack);
  RGBBackColor(&kWhite);
}

// ---- Tracking ----

// A menu shown while tracking: the pulled-down (or popup) menu first, then each sub-menu
// opened from a hierarchical item of the menu before it.
struct Level {
  MenuRef menu = nullptr;
  WindowRef window = nullptr;
  Point topLeft = {0, 0};  // global, of the part shown
  MenuItemIndex hilited = 0;
  int width = 0;
  int shown = 0;   // the height shown: all of the menu's, or the screen's for a taller one
  int full = 0;    // the menu's whole height
  int scroll = 0;  // pixels of items hidden above the top
};

// Sub-menus of sub-menus past any real menu's depth; menus that name one another as their
// sub-menus stop here at the latest.
constexpr std::size_t kMaxShownMenus = 16;

struct Tracker {
  bool barMode = true;
  std::vector<BarTitle> titles;  // bar mode
  Rect bar = {0, 0, 0, 0};       // global
  int openTitle = -1;
  std::vector<Level> shown;  // from the first menu to the deepest sub-menu
  bool sticky = false;  // released without a choice: open until the next click
  MenuItemIndex pressedOn = 0;  // popup mode: the item under the press that opened the menu
  bool roamed = false;          // popup mode: the pointer was over another item since
  Point pointer = {0, 0};       // where the last mouse event was
  bool pointerKnown = false;    // a mouse event came since the menu opened
  bool done = false;
  SInt32 choice = 0;
};

Rect GlobalTitle(const Tracker& t, int index) {
  Rect r = t.titles[std::size_t(index)].bounds;
  OffsetRect(&r, t.bar.left, t.bar.top);
  return r;
}

int TitleAt(const Tracker& t, Point pt) {
  if (!t.barMode || !PtInRect(pt, &t.bar)) return -1;
  for (std::size_t i = 0; i < t.titles.size(); ++i) {
    const Rect r = GlobalTitle(t, int(i));
    if (pt.h >= r.left && pt.h < r.right) return int(i);
  }
  return -1;
}

void Redraw(const Level& s) {
  if (s.window == nullptr || !IsValidWindowPtr(s.window)) return;
  MenuPort port(GetWindowPort(s.window));
  DrawMenuItems(s.menu, s.hilited, s.scroll);
  QDFlushPortBuffer(GetWindowPort(s.window), nullptr);
}

// Where the menu's first item would lie, hidden or not.
Point ItemsTopLeft(const Level& s) {
  return Point{SInt16(s.topLeft.v - s.scroll), s.topLeft.h};
}

// Over a scrolled menu's arrow strips: -1 the top one, 1 the bottom one, else 0.
int ArrowAt(const Level& s, Point pt) {
  if (s.full <= s.shown || pt.h < s.topLeft.h || pt.h >= s.topLeft.h + s.width) return 0;
  const int top = s.topLeft.v, bottom = s.topLeft.v + s.shown;
  if (s.scroll > 0 && pt.v >= top && pt.v < top + kItemHeight) return -1;
  if (s.scroll < s.full - s.shown && pt.v >= bottom - kItemHeight && pt.v < bottom) return 1;
  return 0;
}

// The item under the point where the menu shows it (none under an arrow strip).
MenuItemIndex ShownItemAt(const Level& s, Point pt) {
  if (pt.v < s.topLeft.v || pt.v >= s.topLeft.v + s.shown || ArrowAt(s, pt) != 0) return 0;
  return MenuItemAt(s.menu, ItemsTopLeft(s), pt);
}

// Scrolls the level by `pixels` (within its ends); true when it moved.
bool ScrollBy(Level& s, int pixels) {
  const int to = std::max(0, std::min(s.full - s.shown, s.scroll + pixels));
  if (to == s.scroll) return false;
  s.scroll = to;
  Redraw(s);
  return true;
}

// Scrolls the level so that its item shows whole, clear of the arrow strips.
void ScrollToShow(Level& s, MenuItemIndex item) {
  const OpaqueMenuRef* record = Live(s.menu);
  if (record == nullptr || item == 0 || s.full <= s.shown) return;
  const Rect r = ItemRect(*record, item, s.width);
  const int top = r.top - s.scroll, bottom = r.bottom - s.scroll;
  if (top < kItemHeight) ScrollBy(s, top - (r.top > 0 ? kItemHeight : 0));
  else if (bottom > s.shown - kItemHeight)
    ScrollBy(s, bottom - s.shown + (r.bottom < s.full ? kItemHeight : 0));
}

// Closes the menus from `level` on (0: all of them).
void CloseFrom(Tracker& t, std::size_t level) {
  while (t.shown.size() > level) {
    WindowRef window = t.shown.back().window;
    if (window != nullptr && IsValidWindowPtr(window)) DisposeWindow(window);
    t.shown.pop_back();
  }
}

Rect ScreenBounds() {
  BitMap screen;
  GetQDGlobalsScreenBits(&screen);
  return screen.bounds;
}

// Shows one more menu with its top-left corner at `topLeft`, moved inside the main screen. A
// menu taller than the screen shows as much as the screen holds, scrolled so that what would
// have been at `topLeft` stays there where it can.
bool Push(Tracker& t, MenuRef menu, Point topLeft) {
  if (Live(menu) == nullptr || t.shown.size() >= kMaxShownMenus) return false;
  const Point size = ShownMenuSize(menu);
  const Rect s = ScreenBounds();
  const int shown = std::min<int>(size.v, s.bottom - s.top);
  const int left = std::max<int>(std::min<int>(topLeft.h, s.right - size.h), s.left);
  const int top = std::max<int>(std::min<int>(topLeft.v, s.bottom - shown), s.top);
  Rect bounds = {SInt16(top), SInt16(left), SInt16(top + shown), SInt16(left + size.h)};
  WindowRef window = nullptr;
  if (CreateNewWindow(kHelpWindowClass, kWindowNoAttributes, &bounds, &window) != noErr) {
    return false;
  }
  const int scroll = std::max(0, std::min<int>(size.v - shown, top - topLeft.v));
  t.shown.push_back(
      Level{menu, window, Point{bounds.top, bounds.left}, 0, size.h, shown, size.v, scroll});
  Redraw(t.shown.back());
  ShowWindow(window);
  return true;
}

void OpenTitle(Tracker& t, int index) {
  if (index == t.openTitle && !t.shown.empty()) return;
  t.openTitle = index;
  CloseFrom(t, 0);
  MenuRef menu = t.titles[std::size_t(index)].menu;
  HiliteMenu(GetMenuID(menu));
  const Rect r = GlobalTitle(t, index);
  Push(t, menu, Point{t.bar.bottom, r.left});
}

// The deepest menu shown with an item under the point (a sub-menu lies over its parent);
// -1 for none.
int LevelAt(const Tracker& t, Point pt) {
  for (std::size_t i = t.shown.size(); i-- > 0;) {
    if (ShownItemAt(t.shown[i], pt) != 0 || ArrowAt(t.shown[i], pt) != 0) return int(i);
  }
  return -1;
}

bool InMenu(const Tracker& t, Point pt) {
  return LevelAt(t, pt) >= 0;
}

void SetHilited(Tracker& t, std::size_t level, MenuItemIndex item) {
  if (level >= t.shown.size() || item == t.shown[level].hilited) return;
  t.shown[level].hilited = item;
  Redraw(t.shown[level]);
}

// The sub-menu of an enabled hierarchical item (null for other items, and for a menu that is
// open already on the way to it).
MenuRef SubMenuOf(const Tracker& t, std::size_t level) {
  const Level& s = t.shown[level];
  const MenuItemRecord* item = ItemOf(s.menu, s.hilited);
  if (item == nullptr || !item->IsHierarchical() || !ItemCanBeChosen(s.menu, s.hilited)) {
    return nullptr;
  }
  MenuRef sub = menus::ShownMenu(MenuID(item->mark));
  for (std::size_t i = 0; i <= level; ++i) {
    if (t.shown[i].menu == sub) return nullptr;
  }
  return sub;
}

// Shows the sub-menu of the item hilited in `level` beside the item (on its left where the
// screen ends on its right) and closes the menus past it that belong to other items. False
// when that item has no sub-menu.
bool OpenSubMenu(Tracker& t, std::size_t level) {
  if (level >= t.shown.size()) return false;
  MenuRef sub = SubMenuOf(t, level);
  if (sub != nullptr && level + 1 < t.shown.size() && t.shown[level + 1].menu == sub) return true;
  CloseFrom(t, level + 1);
  if (sub == nullptr) return false;
  const Level parent = t.shown[level];
  const OpaqueMenuRef* record = Live(parent.menu);  // a timer may have disposed of it
  if (record == nullptr) return false;
  const int parentWidth = ShownMenuSize(parent.menu).h;
  const int width = ShownMenuSize(sub).h;
  const Rect item = ItemRect(*record, parent.hilited, parentWidth);
  int left = parent.topLeft.h + parentWidth;
  if (left + width > ScreenBounds().right) left = parent.topLeft.h - width;
  return Push(t, sub, Point{SInt16(ItemsTopLeft(parent).v + item.top), SInt16(left)});
}

void Finish(Tracker& t, SInt32 choice) {
  t.done = true;
  t.choice = choice;
}

void Follow(Tracker& t, Point pt) {
  const int title = TitleAt(t, pt);
  if (title >= 0) {
    OpenTitle(t, title);
    CloseFrom(t, 1);
    SetHilited(t, 0, 0);
    return;
  }
  const int level = LevelAt(t, pt);
  if (level < 0) {
    // Off the menus: the items whose sub-menus are open stay hilited.
    if (!t.shown.empty()) SetHilited(t, t.shown.size() - 1, 0);
    return;
  }
  const Level& s = t.shown[std::size_t(level)];
  SetHilited(t, std::size_t(level), ShownItemAt(s, pt));
  OpenSubMenu(t, std::size_t(level));
}

// The item hilited in `level` as (menu id << 16) | item, when it can be chosen.
void Choose(Tracker& t, int level) {
  if (level < 0 || std::size_t(level) >= t.shown.size()) return;
  const Level& s = t.shown[std::size_t(level)];
  if (s.hilited != 0 && Choosable(s.menu, s.hilited)) {
    Finish(t, SInt32((UInt32(UInt16(GetMenuID(s.menu))) << 16) | s.hilited));
  }
}

// The menu the keys work in: the deepest with an item hilited (a sub-menu the pointer opened
// takes the keys once they move into it), else the first.
std::size_t KeyLevel(const Tracker& t) {
  for (std::size_t i = t.shown.size(); i-- > 0;) {
    if (t.shown[i].hilited != 0) return i;
  }
  return 0;
}

// The next (step 1) or previous (-1) enabled item of the menu at `level`, wrapping; 0 when
// none. Hierarchical items are among them: Right opens their sub-menus.
MenuItemIndex NextEnabled(const Tracker& t, std::size_t level, int step) {
  if (level >= t.shown.size()) return 0;
  const Level& s = t.shown[level];
  const OpaqueMenuRef* record = Live(s.menu);
  if (record == nullptr || record->items.empty()) return 0;
  const int count = int(record->items.size());
  int at = s.hilited == 0 ? (step > 0 ? 0 : count + 1) : int(s.hilited);
  for (int n = 0; n < count; ++n) {
    at += step;
    if (at < 1) at = count;
    if (at > count) at = 1;
    if (ItemCanBeChosen(s.menu, MenuItemIndex(at))) return MenuItemIndex(at);
  }
  return 0;
}

// A popup menu notes when the pointer reaches an item other than the one pressed on: from
// then on a release chooses.
void NoteRoaming(Tracker& t, Point pt) {
  if (t.barMode || t.shown.empty()) return;
  const int level = LevelAt(t, pt);
  if (level > 0) t.roamed = true;
  const MenuItemIndex item = ShownItemAt(t.shown[0], pt);
  if (level == 0 && item != t.pressedOn) t.roamed = true;
}

// The arrow strip the pointer rests on, as (level, -1 up or 1 down); level -1 for none.
std::pair<int, int> ArrowUnderPointer(const Tracker& t) {
  if (!t.pointerKnown) return {-1, 0};
  const int level = LevelAt(t, t.pointer);
  if (level < 0) return {-1, 0};
  const int arrow = ArrowAt(t.shown[std::size_t(level)], t.pointer);
  return {arrow != 0 ? level : -1, arrow};
}

void MouseInput(Tracker& t, UInt32 kind, Point pt) {
  t.pointer = pt;
  t.pointerKnown = true;
  NoteRoaming(t, pt);
  switch (kind) {
    case kEventMouseDown:
      if (InMenu(t, pt)) {
        Follow(t, pt);
      } else if (TitleAt(t, pt) >= 0) {
        // A click on the open menu's title closes it when it stayed open.
        if (t.sticky && TitleAt(t, pt) == t.openTitle) Finish(t, 0);
        else Follow(t, pt);
      } else {
        Finish(t, 0);
      }
      break;
    case kEventMouseUp: {
      Follow(t, pt);
      // Released on an arrow strip: the menu stays open to scroll and choose in.
      if (ArrowUnderPointer(t).first >= 0) {
        t.sticky = true;
        break;
      }
      // The release of the click that opened a popup menu chooses nothing: the menu stays open.
      const bool openingClick = !t.barMode && !t.sticky && !t.roamed;
      const int level = LevelAt(t, pt);
      if (level >= 0 && !openingClick) {
        Choose(t, level);
        if (t.done) break;
        // A disabled item or a line leaves an open menu open, and a hierarchical item its
        // sub-menu, for the next click.
        if (t.sticky || std::size_t(level) + 1 < t.shown.size()) {
          t.sticky = true;
          break;
        }
        Finish(t, 0);
      } else if (!t.sticky && (TitleAt(t, pt) >= 0 || !t.barMode)) {
        t.sticky = true;
      } else {
        Finish(t, 0);
      }
      break;
    }
    default:
      Follow(t, pt);
      break;
  }
}

// Left closes the deepest sub-menu; with none, it and Right go to the bar's next menu.
// Right on a hierarchical item opens its sub-menu with the first enabled item hilited.
void SideKey(Tracker& t, bool right) {
  if (right && OpenSubMenu(t, KeyLevel(t))) {
    const std::size_t sub = KeyLevel(t) + 1;
    if (t.shown[sub].hilited == 0) SetHilited(t, sub, NextEnabled(t, sub, 1));
    return;
  }
  if (!right && t.shown.size() > 1) {
    CloseFrom(t, t.shown.size() - 1);
    return;
  }
  if (t.barMode && !t.titles.empty()) {
    const int n = int(t.titles.size());
    OpenTitle(t, ((t.openTitle < 0 ? 0 : t.openTitle) + (right ? 1 : n - 1)) % n);
  }
}

void KeyInput(Tracker& t, UInt8 ch, UInt32 modifiers) {
  switch (ch) {
    case 0x1B:
      Finish(t, 0);
      break;
    case '.':
      if ((modifiers & cmdKey) != 0) Finish(t, 0);
      break;
    case 0x1E:
    case 0x1F: {
      const std::size_t level = KeyLevel(t);
      CloseFrom(t, level + 1);
      SetHilited(t, level, NextEnabled(t, level, ch == 0x1F ? 1 : -1));
      if (level < t.shown.size()) ScrollToShow(t.shown[level], t.shown[level].hilited);
      break;
    }
    case 0x1C:
    case 0x1D:
      SideKey(t, ch == 0x1D);
      break;
    case 0x0D:
    case 0x03:
      Choose(t, int(KeyLevel(t)));
      break;
    default:
      break;
  }
  t.sticky = true;  // keys work the menus until a click or a choice
}

bool TrackedEvent(EventRef event) {
  const UInt32 cls = GetEventClass(event);
  const UInt32 kind = GetEventKind(event);
  return cls == kEventClassMouse ||
         (cls == kEventClassKeyboard && (kind == kEventRawKeyDown || kind == kEventRawKeyRepeat));
}

// Reads input until the tracker is done; no more input to come closes the menus. While the
// pointer rests on an arrow strip the menu scrolls an item a step.
void Run(Tracker& t) {
  using namespace events;
  ++Tracking().open;
  SInt64 nextStep = kNever;
  while (!t.done) {
    if (CountPass() || SessionEnding() || SessionQuitWaiting()) break;
    RunCompletionsAndHooks();
    FireDueTimers([] { return LoopsMustUnwind(); });
    const std::pair<int, int> arrow = ArrowUnderPointer(t);
    if (arrow.first < 0) {
      nextStep = kNever;
    } else if (nextStep == kNever) {
      nextStep = ClockNowMicroseconds() + kScrollStepMicros;
    } else if (ClockNowMicroseconds() >= nextStep) {
      ScrollBy(t.shown[std::size_t(arrow.first)], arrow.second * kItemHeight);
      Follow(t, t.pointer);
      nextStep = ClockNowMicroseconds() + kScrollStepMicros;
    }
    EventRef event = FirstQueuedEvent(TrackedEvent);
    if (event == nullptr) {
      const WaitOutcome w = WaitForWork(nextStep);
      if (w != WaitOutcome::kContinue) break;
      continue;
    }
    TakeQueuedEvent(event);
    if (GetEventClass(event) == kEventClassMouse) {
      Point pt = {0, 0};
      GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof pt,
                        nullptr, &pt);
      MouseInput(t, GetEventKind(event), pt);
    } else {
      char ch = 0;
      UInt32 modifiers = 0;
      GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, sizeof ch, nullptr,
                        &ch);
      GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers,
                        nullptr, &modifiers);
      KeyInput(t, UInt8(ch), modifiers);
    }
    ReleaseEvent(event);
  }
  CloseFrom(t, 0);
  --Tracking().open;
}

}  // namespace

void SetLiveMenuTracking(bool live) {
  Tracking().live = live;
  Tracking().stampBase += 1;
}

bool LiveMenuTracking() {
  return Tracking().live;
}

bool MenusOpen() {
  return Tracking().open > 0;
}

WindowRef MenuBarWindow() {
  if (!Tracking().live) return nullptr;
  for (WindowRef w : WindowListFrontToBack()) {
    if (w->visible && w->windowClass == kDocumentWindowClass) return w;
  }
  return nullptr;
}

Rect MenuBarBounds() {
  const SInt16 height = GetMBarHeight();
  if (!Tracking().live) {
    BitMap screen;
    GetQDGlobalsScreenBits(&screen);
    Rect bar = screen.bounds;
    bar.bottom = SInt16(bar.top + height);
    return bar;
  }
  WindowRef window = MenuBarWindow();
  if (window == nullptr) return Rect{0, 0, 0, 0};
  const Rect content = windows::ContentOf(window);
  return Rect{SInt16(content.top - height), content.left, content.top, content.right};
}

std::vector<BarTitle> BarTitles() {
  std::vector<MenuRef> menus;
  if (MenuRef app = ApplicationMenu()) menus.push_back(app);
  menus.insert(menus.end(), BarMenus().begin(), BarMenus().end());
  std::vector<BarTitle> titles;
  MenuPort port(ScreenPort());
  int left = kBarLeft;
  const SInt16 height = GetMBarHeight();
  for (MenuRef menu : menus) {
    const OpaqueMenuRef* record = Live(menu);
    if (record == nullptr) continue;
    const int width = TitleWidth(*record) + 2 * kTitlePad;
    titles.push_back(
        BarTitle{menu, Rect{0, SInt16(left), height, SInt16(std::min(left + width, 32767))}});
    left += width;
  }
  return titles;
}

void DrawMenuBarStrip(GrafPtr port) {
  if (port == nullptr) return;
  const std::vector<BarTitle> titles = BarTitles();
  MenuPort use(port);
  const Rect all = port->portRect;
  RGBBackColor(&kBarColor);
  EraseRect(&all);
  RGBForeColor(&kLineColor);
  MoveTo(all.left, SInt16(all.bottom - 1));
  LineTo(SInt16(all.right - 1), SInt16(all.bottom - 1));
  const MenuID hilited = BarState().hilited;
  for (const BarTitle& title : titles) {
    const OpaqueMenuRef* record = Live(title.menu);
    Rect r = title.bounds;
    OffsetRect(&r, all.left, all.top);
    r.bottom = SInt16(r.bottom - 1);
    const bool on = hilited != 0 && record->id == hilited;
    RGBBackColor(on ? &kHiliteColor : &kBarColor);
    if (on) EraseRect(&r);
    RGBForeColor(on ? &kWhite : record->enabled ? &kBlack : &kDisabledColor);
    if (IsAppleTitle(record->title)) {
      DrawAppleTitle(r, on, record->enabled);
    } else {
      Draw(record->title, r.left + kTitlePad, r.top + 14);
    }
  }
  RGBForeColor(&kBlack);
  RGBBackColor(&kWhite);
}

UInt32 MenuBarLookStamp() {
  const MenuBarState& state = BarState();
  UInt32 stamp = Tracking().stampBase * 2654435761u;
  stamp = stamp * 31 + state.drawCount;
  stamp = stamp * 31 + UInt32(UInt16(state.hilited));
  stamp = stamp * 31 + UInt32(WindowSerial(MenuBarWindow()));
  stamp = stamp * 31 + UInt32(BarMenus().size());
  return stamp;
}

MenuItemIndex MenuItemAt(MenuRef menu, Point topLeft, Point pt) {
  const OpaqueMenuRef* record = Live(menu);
  if (record == nullptr) return 0;
  const Point size = ShownMenuSize(menu);
  if (pt.h < topLeft.h || pt.h >= topLeft.h + size.h || pt.v < topLeft.v) return 0;
  int top = topLeft.v;
  for (std::size_t i = 0; i < record->items.size(); ++i) {
    const int bottom = top + ItemHeight(record->items[i]);
    if (pt.v < bottom) return MenuItemIndex(i + 1);
    top = bottom;
  }
  return 0;
}

Point ShownMenuSize(MenuRef menu) {
  const OpaqueMenuRef* record = Live(menu);
  if (record == nullptr) return Point{0, 0};
  MenuPort port(ScreenPort());
  int width = std::max(kMinMenuWidth, TitleWidth(*record) + 2 * kTitlePad);
  int height = 0;
  for (const MenuItemRecord& item : record->items) {
    height += ItemHeight(item);
    if (item.separator) continue;
    TextFace(item.style);
    int w = kTextLeft + Width(item.text) + kTextRight;
    TextFace(normal);
    const std::string key = KeyText(item);
    if (!key.empty()) w += kKeyGap + Width(key);
    if (item.IsHierarchical()) w += kKeyGap;
    width = std::max(width, w);
  }
  return Point{SInt16(std::min(height, 32767)), SInt16(std::min(width, 32767))};
}

SInt32 TrackMenuBar(Point start) {
  Tracker t;
  t.bar = MenuBarBounds();
  t.titles = BarTitles();
  const int title = TitleAt(t, start);
  if (title < 0) return 0;
  OpenTitle(t, title);
  Run(t);
  if (t.choice == 0) HiliteMenu(0);
  return t.choice;
}

SInt32 TrackPopUpMenu(MenuRef menu, SInt16 top, SInt16 left, SInt16 popUpItem, const Point* press) {
  const OpaqueMenuRef* record = Live(menu);
  if (record == nullptr) return 0;
  Tracker t;
  t.barMode = false;
  const int width = ShownMenuSize(menu).h;
  const MenuItemIndex shown =
      (popUpItem >= 1 && std::size_t(popUpItem) <= record->items.size()) ? popUpItem : 1;
  const Rect item = ItemRect(*record, shown, width);
  if (!Push(t, menu, Point{SInt16(top - item.top), left})) return 0;
  ScrollToShow(t.shown[0], shown);
  t.pressedOn = press != nullptr ? ShownItemAt(t.shown[0], *press) : shown;
  SetHilited(t, 0, Choosable(menu, shown) ? shown : 0);
  Run(t);
  return t.choice;
}

}  // namespace menus
}  // namespace sp_platform
