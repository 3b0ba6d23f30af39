// The popup menu's window: placing it over the button and on the screen, scrolling a long
// list behind the arrow zones, following the mouse in the menu's own loop, and drawing.
#include <algorithm>

#include "Clock.h"
#include "Events.h"
#include "OSUtils.h"
#include "QDText.h"
#include "SpErrorInfoSystem.h"
#include "SpPopupMenuInternal.h"
#include "SpPopupMenuObject.h"
#include "SpPortSaver.h"
#include "SpStdDrawingFunction.h"
#include "SpTextStyle.h"
#include "SpWindow.h"

using sp_popup_detail::DrawRun;
using sp_popup_detail::Pt;
using sp_popup_detail::Rgb255;

namespace {

const char kSource[] = "SpPopupMenuObject";
// The offscreen's failure record carries the message without its final blank.
const char kMsgMemoryNoBlank[] = "Cannot allocated memory !!";

// A press released within this many ticks of the opening leaves the menu open.
constexpr UInt32 kQuickClickTicks = 20;
// The delay before an arrow zone just entered scrolls.
constexpr UInt32 kArrowEntryTicks = 20;
// An open menu left alone this long after a quick click closes without a change.
constexpr UInt32 kIdleCloseTicks = 900;

// The background with each component multiplied by the rate.
RGBColor Shade(const RGBColor& background, float rate) {
  const RGBColor black = {0, 0, 0};
  RGBColor out;
  Sp_RGBInBetweenColor(&black, &background, rate, &out);
  return out;
}

// Lets one tick pass, keeping the event loop's timers and the display running; events stay
// queued for the loop. False when no time could pass: the program is being torn down around
// the menu, which then closes.
bool WaitOneTick() {
  const UInt32 before = TickCount();
  EventRecord event;
  // A wait of one tick may end just short of the next tick: a second one reaches it.
  for (int i = 0; i < 3 && TickCount() == before; ++i) WaitNextEvent(0, &event, 1, nullptr);
  return TickCount() != before;
}

}  // namespace

// ---- Opening and closing --------------------------------------------------------------------

unsigned char cSp_PopupObj::OpenMouseDownPopupWin(WindowRef window, Rect button, Point,
                                                  unsigned char) {
  if (first_ == nullptr || itemCount_ == 0) return 0;
  if (window == nullptr) {
    SpReportFailure(kSource, "cSp_PopupObj::OpenMouseDownPopupWin", 1, kSpMsgNullArgument);
    return 0;
  }
  if (!MeasureAndPlace(window, button) || !OpenWindowAndOffscreen(window)) return 0;
  tracked_ = selected_;
  DrawPopupOffscreen();
  PushPictureOnWindow();

  unsigned char changed = 0;
  if (TrackMouse() && tracked_ != nullptr && tracked_->IsSepareter() == 0 &&
      tracked_ != selected_) {
    selected_ = tracked_;
    ExecChangeSelectedItemCB();
    changed = 1;
  }
  CloseWindowAndOffscreen();
  return changed;
}

bool cSp_PopupObj::MeasureAndPlace(WindowRef window, const Rect& button) {
  Rect screen;
  Sp_GetScreenSize(&screen);
  cSpPortSaver port(window);
  parent_ = window;
  sTextStyleAttributes style;
  Sp_GetCurrentPortTextStyleAttribute(style);
  TextFont(textFont_);
  TextSize(textSize_);
  if (fixedItemHeightFlag_ == 0 || itemHeight_ <= 0) {
    FontInfo info;
    GetFontInfo(&info);
    itemHeight_ = short(info.ascent + 2 * itemMargin_);
  }
  const short usable = short(screen.bottom - screen.top - screenTopMargin_ - screenBottomMargin_);
  const short height = std::min(usable, GetListHeight());

  // Each item's band in the list, and the widest text (measured in the menu's own font).
  short running = 0, widest = 0;
  for (cSp_PopupItemObj* item = first_; item != nullptr; item = item->GetNextObjectPtr()) {
    const bool separator = item->IsSepareter() != 0;
    const short h = separator ? separatorHeight_ : itemHeight_;
    const short w = separator ? 1 : item->CalculateTextWidthOnCurrentPort(window, textFont_,
                                                                          textSize_);
    item->SetupNormalPosition(running, short(running + h));
    running = short(running + h);
    widest = std::max(widest, w);
  }

  short width = 0;
  if (fixedWidthFlag_ != 0) {
    width = fixedWidth_ > 0 ? fixedWidth_ : short(button.right - button.left);
  } else {
    width = short(widest + leftOffset_ + rightOffset_);
    if (minWidth_ > 0) width = std::max(width, minWidth_);
    if (maxWidth_ > 0) width = std::min(width, maxWidth_);
  }
  const short room = short(width - leftOffset_ - rightOffset_);
  if (outputAreaType_ != 0 && room > widest) {
    textWidth_ = widest;
    textLeft_ = short((width - widest) / 2);
  } else {
    textLeft_ = leftOffset_;
    textWidth_ = outputAreaType_ == 0 ? width : room;
  }

  Rect bounds;
  if (hPlacement_ == kSpPositionLeft) {
    bounds.left = button.left;
  } else if (hPlacement_ == kSpPositionRight) {
    bounds.left = short(button.right - width);
  } else {
    bounds.left = short((button.left + button.right - width) / 2);
  }
  bounds.right = short(bounds.left + width);
  // The anchor item lies exactly over the middle of the button.
  anchor_.top = short((button.top + button.bottom - itemHeight_) / 2);
  anchor_.bottom = short(anchor_.top + itemHeight_);
  anchor_.left = button.left;
  anchor_.right = button.right;
  short anchorTop = 0, anchorBottom = 0;
  AnchorItem()->GetNormalPosition(anchorTop, anchorBottom);
  bounds.top = short(anchor_.top - anchorTop);
  bounds.bottom = short(bounds.top + height);
  content_ = Rect{0, 0, height, width};
  Sp_LocalToGlobalRect(&bounds);
  Sp_LocalToGlobalRect(&anchor_);
  windowBounds_ = bounds;
  upArrow_ = downArrow_ = 0;
  CalcPopupMenuInitialOutputPosit();
  Sp_SetCurrentPortTextStyleAttribute(style);
  return true;
}

bool cSp_PopupObj::OpenWindowAndOffscreen(WindowRef parent) {
  static const unsigned char kTitle[] = "\x0dtextPopupMenu";
  CloseWindowAndOffscreen();
  window_ = NewCWindow(nullptr, &windowBounds_, kTitle, false, altDBoxProc, kFirstWindowOfClass,
                       false, 0);
  if (window_ == nullptr) {
    SpReportFailure(kSource, "cSp_PopupObj::OpenMouseDownPopupWin", 1, kSpMsgMemory);
    return false;
  }
  RGBColor content;
  if (GetWindowContentColor(parent, &content) == noErr) background_ = content;
  ShowWindow(window_);
  BringToFront(window_);
  HiliteWindow(window_, true);
  if (NewGWorld(&offscreen_, Sp_GetScreenDepth(), &content_, nullptr, nullptr, 0) != noErr) {
    offscreen_ = nullptr;
    SpReportFailure(kSource, "cSp_PopupObj::OpenMouseDownPopupWin", 2, kMsgMemoryNoBlank);
    // A menu that cannot be drawn is taken off the screen at once.
    CloseWindowAndOffscreen();
    return false;
  }
  return true;
}

void cSp_PopupObj::CloseWindowAndOffscreen() {
  if (offscreen_ != nullptr) {
    DisposeGWorld(offscreen_);
    offscreen_ = nullptr;
  }
  if (window_ == nullptr) return;
  Rect global;
  GetWindowBounds(window_, kWindowContentRgn, &global);
  DisposeWindow(window_);
  window_ = nullptr;
  Sp_SetupRedrawAreaToOpenWindow(global);
}

// ---- Placement and scrolling ----------------------------------------------------------------

short cSp_PopupObj::ItemBandHeight(const cSp_PopupItemObj* item) const {
  return item->IsSepareter() != 0 ? separatorHeight_ : itemHeight_;
}

void cSp_PopupObj::CalcPopupMenuInitialOutputPosit() {
  cSp_PopupItemObj* anchor = AnchorItem();
  if (anchor == nullptr) return;
  short aTop = 0, aBottom = 0;
  anchor->GetNormalPosition(aTop, aBottom);
  Rect screen;
  Sp_GetScreenSize(&screen);
  const short sTop = short(screen.top + screenTopMargin_);
  const short sBottom = short(screen.bottom - screenBottomMargin_);
  const short height = short(windowBounds_.bottom - windowBounds_.top);
  const short below = short(GetListHeight() - aBottom);
  const short centring = short(sBottom - sTop > height ? (sBottom - sTop - height) / 2 : 0);

  // Room for a neighbour of the anchor on the side where it has one.
  Rect r = anchor_;
  if (anchor->GetBeforeObjectPtr() != nullptr && r.top - itemHeight_ < sTop) {
    OffsetRect(&r, 0, short(sTop + itemHeight_ - r.top));
  } else if (anchor->GetNextObjectPtr() != nullptr && r.bottom + itemHeight_ > sBottom) {
    OffsetRect(&r, 0, short(sBottom - itemHeight_ - r.bottom));
  }
  auto onTop = [&](const cSp_PopupItemObj* item) {
    short t = 0, b = 0;
    item->GetNormalPosition(t, b);
    return short(r.top + t - aTop);
  };
  auto onBottom = [&](const cSp_PopupItemObj* item) {
    short t = 0, b = 0;
    item->GetNormalPosition(t, b);
    return short(r.bottom + b - aBottom);
  };
  auto firstShown = [&](short windowTop) {
    cSp_PopupItemObj* shown = anchor;
    for (cSp_PopupItemObj* item = anchor->GetBeforeObjectPtr();
         item != nullptr && onTop(item) >= windowTop + arrowZoneHeight_;
         item = item->GetBeforeObjectPtr()) {
      shown = item;
    }
    return shown;
  };
  auto lastShown = [&](short windowBottom) {
    cSp_PopupItemObj* shown = anchor;
    for (cSp_PopupItemObj* item = anchor->GetNextObjectPtr();
         item != nullptr && onBottom(item) <= windowBottom - arrowZoneHeight_;
         item = item->GetNextObjectPtr()) {
      shown = item;
    }
    return shown;
  };

  const bool aboveFits = r.top - aTop >= sTop;
  const bool belowFits = r.bottom + below <= sBottom;
  short top = 0;
  if (!aboveFits && !belowFits) {
    top = short(sTop + centring);
    upArrow_ = downArrow_ = 1;
    firstVisible_ = firstShown(top);
    lastVisible_ = lastShown(short(top + height));
  } else if (!aboveFits) {
    top = sTop;
    upArrow_ = 1;
    downArrow_ = 0;
    firstVisible_ = firstShown(top);
    lastVisible_ = last_;
  } else if (!belowFits) {
    top = short(sBottom - height);
    upArrow_ = 0;
    downArrow_ = 1;
    firstVisible_ = first_;
    lastVisible_ = lastShown(sBottom);
  } else {
    top = short(r.top - aTop);
    upArrow_ = downArrow_ = 0;
    firstVisible_ = first_;
    lastVisible_ = last_;
    if (GetListHeight() > height) SysBeep(10);
  }
  windowBounds_.top = top;
  windowBounds_.bottom = short(top + height);
  // The items keep their place relative to the anchor.
  short fTop = 0, fBottom = 0;
  firstVisible_->GetNormalPosition(fTop, fBottom);
  firstItemTop_ = short(fTop + r.top - top - aTop);
}

unsigned char cSp_PopupObj::ExecUpperOneMenuItemScroll(unsigned char toTop) {
  if (firstVisible_ == nullptr || lastVisible_ == nullptr ||
      firstVisible_->GetBeforeObjectPtr() == nullptr) {
    return 0;
  }
  firstVisible_ = toTop != 0 ? first_ : firstVisible_->GetBeforeObjectPtr();
  upArrow_ = firstVisible_->GetBeforeObjectPtr() != nullptr ? 1 : 0;
  firstItemTop_ = upArrow_ != 0 ? arrowZoneHeight_ : 0;
  short fTop = 0, fBottom = 0;
  firstVisible_->GetNormalPosition(fTop, fBottom);
  const short height = WindowHeight();
  if (firstItemTop_ + GetListHeight() - fTop > height) {
    downArrow_ = 1;
    lastVisible_ = firstVisible_;
    for (cSp_PopupItemObj* item = firstVisible_; item != nullptr; item = item->GetNextObjectPtr()) {
      short t = 0, b = 0;
      item->GetNormalPosition(t, b);
      if (firstItemTop_ + b - fTop > height - arrowZoneHeight_) break;
      lastVisible_ = item;
    }
  } else {
    downArrow_ = 0;
    lastVisible_ = last_;
  }
  return 1;
}

unsigned char cSp_PopupObj::ExecUnderOneMenuItemScroll(unsigned char toBottom) {
  if (firstVisible_ == nullptr || lastVisible_ == nullptr ||
      lastVisible_->GetNextObjectPtr() == nullptr) {
    return 0;
  }
  lastVisible_ = toBottom != 0 ? last_ : lastVisible_->GetNextObjectPtr();
  downArrow_ = lastVisible_->GetNextObjectPtr() != nullptr ? 1 : 0;
  const short limit = short(WindowHeight() - (downArrow_ != 0 ? arrowZoneHeight_ : 0));
  short lTop = 0, lBottom = 0;
  lastVisible_->GetNormalPosition(lTop, lBottom);
  if (lBottom > limit) {
    upArrow_ = 1;
    firstVisible_ = lastVisible_;
    for (cSp_PopupItemObj* item = lastVisible_; item != nullptr;
         item = item->GetBeforeObjectPtr()) {
      short t = 0, b = 0;
      item->GetNormalPosition(t, b);
      if (t + limit - lBottom < arrowZoneHeight_) break;
      firstVisible_ = item;
    }
    short fTop = 0, fBottom = 0;
    firstVisible_->GetNormalPosition(fTop, fBottom);
    firstItemTop_ = short(fTop + limit - lBottom);
  } else {
    upArrow_ = 0;
    firstVisible_ = first_;
    firstItemTop_ = short(limit - lBottom);
  }
  return 1;
}

// ---- Following the mouse --------------------------------------------------------------------

void cSp_PopupObj::PopupSelect(Point p, unsigned char& inside) {
  if (firstVisible_ == nullptr || lastVisible_ == nullptr) {
    SpReportFailure(kSource, "cSp_PopupObj::PopupSelect", 1, kSpMsgDataError);
    return;
  }
  const short w = WindowWidth(), h = WindowHeight();
  const Rect upZone = {0, 0, arrowZoneHeight_, w};
  const Rect downZone = {short(h - arrowZoneHeight_), 0, h, w};
  cSp_PopupItemObj* before = tracked_;
  unsigned char scrolled = 0;
  inside = 1;
  const UInt32 now = TickCount();
  if (!PtInRect(p, &content_)) {
    // Above or below the menu the list runs to its end at once; beside it, nothing scrolls.
    if (p.v < content_.top) {
      scrolled = ExecUpperOneMenuItemScroll(1);
    } else if (p.v >= content_.bottom) {
      scrolled = ExecUnderOneMenuItemScroll(1);
    }
    tracked_ = nullptr;
    mouseOutside_ = 1;
    inUpArrow_ = inDownArrow_ = 0;
    inside = 0;
  } else if (upArrow_ != 0 && PtInRect(p, &upZone)) {
    if (inUpArrow_ != 0 || now - lastScrollTick_ > kArrowEntryTicks) {
      scrolled = ExecUpperOneMenuItemScroll(0);
      lastScrollTick_ = now;
    }
    tracked_ = nullptr;
    inUpArrow_ = 1;
    inDownArrow_ = mouseOutside_ = 0;
  } else if (downArrow_ != 0 && PtInRect(p, &downZone)) {
    if (inDownArrow_ != 0 || now - lastScrollTick_ > kArrowEntryTicks) {
      scrolled = ExecUnderOneMenuItemScroll(0);
      lastScrollTick_ = now;
    }
    tracked_ = nullptr;
    inDownArrow_ = 1;
    inUpArrow_ = mouseOutside_ = 0;
  } else {
    tracked_ = lastVisible_->GetNextObjectPtr();
    short top = firstItemTop_;
    for (cSp_PopupItemObj* item = firstVisible_; item != nullptr; item = item->GetNextObjectPtr()) {
      const short bottom = short(top + ItemBandHeight(item));
      if (p.v >= top && p.v <= bottom) {
        tracked_ = item;
        break;
      }
      if (item == lastVisible_) break;
      top = bottom;
    }
    mouseOutside_ = inUpArrow_ = inDownArrow_ = 0;
  }
  if (scrolled != 0) {
    DrawPopupOffscreen();
    PushPictureOnWindow();
  } else if (tracked_ != before) {
    DrawPopupOffscreen();
    PushPictureOnWindow(before);
    PushPictureOnWindow(tracked_);
  }
}

bool cSp_PopupObj::TrackMouse() {
  bool pressed = true;
  int presses = 1;
  const UInt32 opened = TickCount();
  Point last = {-1000, -1000};
  unsigned char inside = 0;
  Point noted = last;
  UInt32 notedTick = opened;
  for (;;) {
    QDFlushPortBuffer(GetWindowPort(window_), nullptr);
    Point p;
    {
      cSpPortSaver port(window_);
      GetMouse(&p);
    }
    if (!EqualPt(p, last)) {
      PopupSelect(p, inside);
      last = p;
    }
    const bool down = Button();
    const UInt32 now = TickCount();
    if (pressed) {
      if (!down) {
        if (presses > 1 || now - opened > kQuickClickTicks) return true;
        // A quick click: the menu stays open for a second click.
        pressed = false;
        noted = p;
        notedTick = now;
      }
    } else if (down) {
      ++presses;
      FlushEvents(mDownMask | mUpMask, 0);
      // A press outside closes the menu; its tracked item is none there.
      if (inside == 0) return true;
      pressed = true;
    } else if (!EqualPt(p, noted)) {
      noted = p;
      notedTick = now;
    } else if (now - notedTick > kIdleCloseTicks) {
      return false;
    }
    if (!WaitOneTick()) return false;
  }
}

// ---- Drawing --------------------------------------------------------------------------------

void cSp_PopupObj::DrawPopupOffscreen() {
  if (offscreen_ == nullptr) return;
  CGrafPtr savedPort = nullptr;
  GDHandle savedDevice = nullptr;
  GetGWorld(&savedPort, &savedDevice);
  PixMapHandle pixels = GetGWorldPixMap(offscreen_);
  LockPixels(pixels);
  SetGWorld(offscreen_, nullptr);
  PenNormal();
  RGBForeColor(&background_);
  PaintRect(&content_);
  DrawFrame();
  DrawArrows();
  DrawItems();
  ForeColor(blackColor);
  UnlockPixels(pixels);
  SetGWorld(savedPort, savedDevice);
}

void cSp_PopupObj::DrawFrame() {
  const short w = WindowWidth(), h = WindowHeight();
  const RGBColor& bg = background_;
  const struct {
    short h1, v1, h2, v2;
    RGBColor colour;
  } runs[] = {
      {0, 0, 0, 1, Rgb255(255, 255, 255)},
      {0, 1, 0, 2, Rgb255(237, 238, 242)},
      {0, 3, 0, short(h - 2), Shade(bg, 0.96f)},
      {0, short(h - 2), 0, short(h - 1), Rgb255(253, 253, 253)},
      {1, short(h - 1), 2, short(h - 1), Rgb255(228, 229, 232)},
      {3, short(h - 1), short(w - 2), short(h - 1), Shade(bg, 0.85f)},
      {short(w - 3), short(h - 1), short(w - 1), short(h - 1), Rgb255(246, 247, 247)},
      {short(w - 1), short(h - 2), short(w - 1), 1, Shade(bg, 0.85f)},
      {short(w - 1), -1, short(w - 1), 0, Rgb255(252, 252, 252)},
      {short(w - 2), 0, 1, 0, Shade(bg, 0.87f)},
      {1, 1, short(w - 2), 1, Shade(bg, 0.89f)},
      {1, 2, 1, short(h - 2), Shade(bg, 0.96f)},
      {2, short(h - 2), short(w - 2), short(h - 2), Shade(bg, 0.94f)},
  };
  for (const auto& run : runs) DrawRun(run.h1, run.v1, run.h2, run.v2, run.colour);
}

void cSp_PopupObj::DrawArrows() {
  if (upArrow_ == 0 && downArrow_ == 0) return;
  RgnHandle rgn = NewRgn();
  if (rgn == nullptr) return;
  const int w = WindowWidth(), h = WindowHeight();
  const int tw = triangleWidth_, th = triangleHeight_, z = arrowZoneHeight_;
  const int left = w > tw ? (w - tw) / 2 : 0;
  if (upArrow_ != 0) {
    const Point up[3] = {Pt(left, (z + th) / 2), Pt(w / 2, (z - th) / 2),
                         Pt((w + tw) / 2, (z + th) / 2)};
    sp_popup_detail::FillTriangle(rgn, up, scrollMarkColour_);
  }
  if (downArrow_ != 0) {
    const Point down[3] = {Pt(left, (z - th) / 2 + h - z), Pt(w / 2, (z + th) / 2 + h - z),
                           Pt((w + tw) / 2, (z - th) / 2 + h - z)};
    sp_popup_detail::FillTriangle(rgn, down, scrollMarkColour_);
  }
  DisposeRgn(rgn);
}

void cSp_PopupObj::DrawItems() {
  if (firstVisible_ == nullptr) return;
  TextFont(textFont_);
  TextSize(textSize_);
  TextFace(normal);
  const short w = WindowWidth();
  short top = firstItemTop_;
  for (cSp_PopupItemObj* item = firstVisible_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->IsSepareter() != 0) {
      const short middle = short(top + separatorHeight_ / 2);
      DrawRun(1, middle, short(w - 1), middle, separatorColour_);
    } else {
      const bool tracked = item == tracked_;
      if (tracked) {
        const Rect band = {top, 0, short(top + itemHeight_), w};
        RGBForeColor(&trackedBackground_);
        PaintRect(&band);
      }
      const RGBColor& colour = tracked                            ? trackedColour_
                               : item->GetHiliteEnableFlag() != 0 ? hiliteColour_
                                                                  : itemColour_;
      RGBForeColor(&colour);
      const Rect text = {short(top + itemMargin_), textLeft_,
                         short(top + itemHeight_ - itemMargin_), short(textLeft_ + textWidth_)};
      item->DrawingMenuItemString(text, itemAlignment_, 0);
    }
    if (item == lastVisible_) break;
    top = short(top + ItemBandHeight(item));
  }
}

// ---- Copying to the window ------------------------------------------------------------------

bool cSp_PopupObj::ItemBandOnWindow(const cSp_PopupItemObj* item, short& top,
                                    short& bottom) const {
  short running = firstItemTop_;
  for (const cSp_PopupItemObj* at = firstVisible_; at != nullptr; at = at->GetNextObjectPtr()) {
    const short next = short(running + ItemBandHeight(at));
    if (at == item) {
      top = running;
      bottom = next;
      return true;
    }
    if (at == lastVisible_) break;
    running = next;
  }
  return false;
}

void cSp_PopupObj::CopyToWindow(const Rect& area) {
  if (window_ == nullptr || offscreen_ == nullptr) return;
  cSpPortSaver port(window_);
  RGBColor fore, back;
  GetForeColor(&fore);
  GetBackColor(&back);
  ForeColor(blackColor);
  BackColor(whiteColor);
  CopyBits(GetPortBitMapForCopyBits(offscreen_), GetPortBitMapForCopyBits(GetWindowPort(window_)),
           &area, &area, srcCopy, nullptr);
  RGBForeColor(&fore);
  RGBBackColor(&back);
}

void cSp_PopupObj::PushPictureOnWindow() {
  CopyToWindow(content_);
}

void cSp_PopupObj::PushPictureOnWindow(cSp_PopupItemObj* item) {
  short top = 0, bottom = 0;
  if (item == nullptr || !ItemBandOnWindow(item, top, bottom)) return;
  CopyToWindow(Rect{top, 0, bottom, WindowWidth()});
}
