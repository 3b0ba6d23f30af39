// How controls look: a plain, legible look of the layer's own, drawn with QuickDraw into the
// window's port in the system font at 12 pixels.
#include <algorithm>
#include <string>

#include "Fonts.h"
#include "QDRegions.h"
#include "QDText.h"
#include "ui/detail/ControlRecord.h"

namespace sp_platform {
namespace controls {
namespace {

constexpr SInt16 kTextSize = 12;
constexpr SInt16 kMarkSize = 12;  // check box square and radio circle

constexpr UInt32 kInk = 0x000000;
constexpr UInt32 kDimInk = 0x9A9A9A;
constexpr UInt32 kFrame = 0x3C3C3C;
constexpr UInt32 kDimFrame = 0xB4B4B4;
constexpr UInt32 kFace = 0xEEEEEE;
constexpr UInt32 kPressedFace = 0x505050;
constexpr UInt32 kBox = 0xFFFFFF;
constexpr UInt32 kPressedBox = 0xC8C8C8;
constexpr UInt32 kTrack = 0xDEDEDE;
constexpr UInt32 kThumb = 0xA6A6A6;
constexpr UInt32 kPressedThumb = 0x6E6E6E;
constexpr UInt32 kProgressFill = 0x3A6FD0;
constexpr UInt32 kProgressStripe = 0x94B4EC;
constexpr UInt32 kProgressBack = 0xF4F4F4;

void Fore(UInt32 rgb) {
  RGBColor c;
  c.red = UInt16(((rgb >> 16) & 0xFF) * 257);
  c.green = UInt16(((rgb >> 8) & 0xFF) * 257);
  c.blue = UInt16((rgb & 0xFF) * 257);
  RGBForeColor(&c);
}

// Sets the window's port up for drawing controls and puts everything back afterwards.
class DrawScope {
 public:
  explicit DrawScope(WindowRef window) {
    GetPort(&savedPort_);
    port_ = GetWindowPort(window);
    SetPort(port_);
    GetPenState(&pen_);
    GetForeColor(&fore_);
    GetBackColor(&back_);
    font_ = GetPortTextFont(port_);
    size_ = GetPortTextSize(port_);
    face_ = GetPortTextFace(port_);
    mode_ = GetPortTextMode(port_);
    clip_ = NewRgn();
    if (clip_ != nullptr) GetClip(clip_);
    PenNormal();
    TextFont(systemFont);
    TextSize(kTextSize);
    TextFace(normal);
    TextMode(srcOr);
  }
  ~DrawScope() {
    if (clip_ != nullptr) {
      SetClip(clip_);
      DisposeRgn(clip_);
    }
    TextFont(font_);
    TextSize(size_);
    TextFace(face_);
    TextMode(mode_);
    RGBForeColor(&fore_);
    RGBBackColor(&back_);
    SetPenState(&pen_);
    SetPort(savedPort_);
  }
  DrawScope(const DrawScope&) = delete;
  DrawScope& operator=(const DrawScope&) = delete;

  // Clips drawing to the rectangle as well as to the clip the port had.
  void ClipTo(const Rect& area) {
    if (clip_ == nullptr) return;
    RgnHandle r = NewRgn();
    if (r == nullptr) return;
    RectRgn(r, &area);
    SectRgn(r, clip_, r);
    SetClip(r);
    DisposeRgn(r);
  }

 private:
  GrafPtr savedPort_ = nullptr;
  CGrafPtr port_ = nullptr;
  PenState pen_;
  RGBColor fore_;
  RGBColor back_;
  SInt16 font_ = 0;
  SInt16 size_ = 0;
  Style face_ = 0;
  SInt16 mode_ = 0;
  RgnHandle clip_ = nullptr;
};

bool LeadByte(UInt8 b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

SInt16 Baseline(const Rect& area) {
  FontInfo info;
  GetFontInfo(&info);
  SInt16 height = SInt16(info.ascent + info.descent);
  return SInt16(area.top + (area.bottom - area.top - height) / 2 + info.ascent);
}

enum class Justify { kLeft, kCentre, kRight };

// One line of MacJapanese text in the area, cut with an ellipsis when too wide.
void DrawLine(const unsigned char* bytes, SInt16 length, const Rect& area, Justify justify) {
  if (length <= 0) return;
  std::string text(reinterpret_cast<const char*>(bytes), std::size_t(length));
  SInt16 width = SInt16(std::max(0, area.right - area.left));
  SInt16 n = length;
  if (TextWidth(text.data(), 0, n) > width) TruncText(width, &text[0], &n, truncEnd);
  if (n <= 0) return;
  SInt16 used = TextWidth(text.data(), 0, n);
  SInt16 h = area.left;
  if (justify == Justify::kCentre) h = SInt16(area.left + (width - used) / 2);
  if (justify == Justify::kRight) h = SInt16(area.right - used);
  MoveTo(h, Baseline(area));
  DrawText(text.data(), 0, n);
}

void DrawTitle(const ControlRecord* r, const Rect& area, Justify justify) {
  DrawLine(r->title + 1, r->title[0], area, justify);
}

// Static text: paragraphs broken at CR or LF, lines wrapped to the width (at the last space,
// else before the character that does not fit; never inside a two-byte character).
void DrawWrapped(const std::string& text, const Rect& area) {
  FontInfo info;
  GetFontInfo(&info);
  const SInt32 lineHeight = info.ascent + info.descent + info.leading;
  const SInt32 width = std::max(1, area.right - area.left);
  const std::size_t size = text.size();
  const std::size_t kEnd = std::string::npos;
  SInt32 top = area.top;
  std::size_t pos = 0;
  while (top < area.bottom) {
    std::size_t i = pos, lastSpace = kEnd, lineEnd = size, next = kEnd;
    while (i < size) {
      const UInt8 b = UInt8(text[i]);
      if (b == 0x0D || b == 0x0A) {
        lineEnd = i;
        next = i + 1;
        break;
      }
      const std::size_t charLength = (LeadByte(b) && i + 1 < size) ? 2 : 1;
      const SInt16 span = SInt16(std::min<std::size_t>(i + charLength - pos, 32767));
      if (i > pos && TextWidth(text.data() + pos, 0, span) > width) {
        if (lastSpace != kEnd) {
          lineEnd = lastSpace;
          next = lastSpace + 1;
        } else {
          lineEnd = i;
          next = i;
        }
        break;
      }
      if (b == ' ') lastSpace = i;
      i += charLength;
    }
    const SInt16 n = SInt16(std::min<std::size_t>(lineEnd - pos, 32767));
    if (n > 0) {
      MoveTo(area.left, SInt16(top + info.ascent));
      DrawText(text.data() + pos, 0, n);
    }
    if (next == kEnd) break;
    pos = next;
    top += lineHeight;
  }
}

// A filled triangle pointing up, down, left or right, centred in the area.
enum class Direction { kUp, kDown, kLeft, kRight };
void DrawArrowHead(const Rect& area, Direction direction) {
  SInt16 w = SInt16(area.right - area.left), h = SInt16(area.bottom - area.top);
  SInt16 s = SInt16(std::min(w, h) / 3);
  if (s < 1) return;
  SInt16 cx = SInt16(area.left + w / 2), cy = SInt16(area.top + h / 2);
  for (SInt16 i = 0; i < s; ++i) {
    switch (direction) {
      case Direction::kUp:
        MoveTo(SInt16(cx - i), SInt16(cy - s / 2 + i));
        LineTo(SInt16(cx + i), SInt16(cy - s / 2 + i));
        break;
      case Direction::kDown:
        MoveTo(SInt16(cx - i), SInt16(cy + s / 2 - i));
        LineTo(SInt16(cx + i), SInt16(cy + s / 2 - i));
        break;
      case Direction::kLeft:
        MoveTo(SInt16(cx - s / 2 + i), SInt16(cy - i));
        LineTo(SInt16(cx - s / 2 + i), SInt16(cy + i));
        break;
      case Direction::kRight:
        MoveTo(SInt16(cx + s / 2 - i), SInt16(cy - i));
        LineTo(SInt16(cx + s / 2 - i), SInt16(cy + i));
        break;
    }
  }
}

void DrawPushButton(const ControlRecord* r, bool live) {
  const bool pressed = live && r->hilite != 0;
  const bool isDefault = DefaultButtonOf(r->window) == r;
  Rect b = r->bounds;
  Fore(pressed ? kPressedFace : kFace);
  PaintRoundRect(&b, 8, 8);
  Fore(live ? kFrame : kDimFrame);
  if (isDefault) PenSize(2, 2);
  FrameRoundRect(&b, 8, 8);
  PenNormal();
  Fore(pressed ? 0xFFFFFF : (live ? kInk : kDimInk));
  Rect text = b;
  InsetRect(&text, 6, 0);
  DrawTitle(r, text, Justify::kCentre);
}

Rect MarkBox(const ControlRecord* r) {
  const Rect& b = r->bounds;
  SInt16 size = SInt16(std::min<SInt32>(kMarkSize, std::min(b.bottom - b.top, b.right - b.left)));
  Rect box;
  box.left = b.left;
  box.top = SInt16(b.top + (b.bottom - b.top - size) / 2);
  box.right = SInt16(box.left + size);
  box.bottom = SInt16(box.top + size);
  return box;
}

void DrawMarkTitle(const ControlRecord* r, const Rect& box, bool live) {
  Rect text = r->bounds;
  text.left = SInt16(box.right + 5);
  Fore(live ? kInk : kDimInk);
  DrawTitle(r, text, Justify::kLeft);
}

void DrawCheckBox(const ControlRecord* r, bool live) {
  Rect box = MarkBox(r);
  Fore(live && r->hilite != 0 ? kPressedBox : kBox);
  PaintRect(&box);
  Fore(live ? kFrame : kDimFrame);
  FrameRect(&box);
  Fore(live ? kInk : kDimInk);
  if (r->value == kControlCheckBoxCheckedValue) {
    PenSize(2, 2);
    MoveTo(SInt16(box.left + 2), SInt16(box.top + 5));
    LineTo(SInt16(box.left + 4), SInt16(box.top + 8));
    LineTo(SInt16(box.left + 8), SInt16(box.top + 2));
    PenNormal();
  } else if (r->value == kControlCheckBoxMixedValue) {
    Rect bar = {SInt16(box.top + 5), SInt16(box.left + 3), SInt16(box.top + 7),
                SInt16(box.right - 3)};
    PaintRect(&bar);
  }
  DrawMarkTitle(r, box, live);
}

void DrawRadioButton(const ControlRecord* r, bool live) {
  Rect box = MarkBox(r);
  Fore(live && r->hilite != 0 ? kPressedBox : kBox);
  PaintOval(&box);
  Fore(live ? kFrame : kDimFrame);
  FrameOval(&box);
  Fore(live ? kInk : kDimInk);
  if (r->value == kControlRadioButtonCheckedValue) {
    Rect dot = box;
    InsetRect(&dot, 3, 3);
    PaintOval(&dot);
  } else if (r->value == kControlRadioButtonMixedValue) {
    Rect bar = {SInt16(box.top + 5), SInt16(box.left + 3), SInt16(box.top + 7),
                SInt16(box.right - 3)};
    PaintRect(&bar);
  }
  DrawMarkTitle(r, box, live);
}

void DrawScrollArrow(const Rect& area, Direction direction, bool pressed, bool live) {
  if (EmptyRect(&area)) return;
  Fore(pressed ? kPressedThumb : kFace);
  PaintRect(&area);
  Fore(live ? kFrame : kDimFrame);
  FrameRect(&area);
  Fore(pressed ? 0xFFFFFF : (live ? kInk : kDimInk));
  DrawArrowHead(area, direction);
}

void DrawScrollBar(const ControlRecord* r, bool live) {
  ScrollBarGeometry g = ScrollBarGeometryOf(r);
  const bool working = live && g.hasThumb;
  Fore(kTrack);
  PaintRect(&g.track);
  DrawScrollArrow(g.upArrow, g.vertical ? Direction::kUp : Direction::kLeft,
                  working && r->hilite == kControlUpButtonPart, working);
  DrawScrollArrow(g.downArrow, g.vertical ? Direction::kDown : Direction::kRight,
                  working && r->hilite == kControlDownButtonPart, working);
  if (working) {
    Fore(r->hilite == kControlIndicatorPart ? kPressedThumb : kThumb);
    PaintRect(&g.thumb);
    Fore(kFrame);
    FrameRect(&g.thumb);
  }
  Fore(working ? kFrame : kDimFrame);
  Rect b = r->bounds;
  FrameRect(&b);
}

void DrawProgressBar(const ControlRecord* r, bool live) {
  Rect b = r->bounds;
  Fore(live ? kFrame : kDimFrame);
  FrameRect(&b);
  Rect inner = b;
  InsetRect(&inner, 1, 1);
  if (EmptyRect(&inner)) return;
  Fore(kProgressBack);
  PaintRect(&inner);
  if (r->indeterminate) {
    Fore(live ? kProgressStripe : kDimFrame);
    for (SInt32 x = inner.left; x < inner.right; x += 12) {
      Rect stripe = inner;
      stripe.left = SInt16(x);
      stripe.right = SInt16(std::min<SInt32>(inner.right, x + 6));
      PaintRect(&stripe);
    }
    return;
  }
  const SInt64 range = SInt64(r->maximum) - r->minimum;
  if (range <= 0) return;
  const SInt64 filled = (SInt64(r->value) - r->minimum) * (inner.right - inner.left) / range;
  if (filled <= 0) return;
  Rect fill = inner;
  fill.right = SInt16(inner.left + filled);
  Fore(live ? kProgressFill : kDimFrame);
  PaintRect(&fill);
}

void DrawPopupButton(const ControlRecord* r, bool live) {
  Rect box = PopupMenuBox(r);
  if (box.left > r->bounds.left && r->title[0] > 0) {
    Rect title = r->bounds;
    title.right = SInt16(box.left - 4);
    Fore(live ? kInk : kDimInk);
    Justify j = r->titleJustification == popupTitleCenterJust  ? Justify::kCentre
                : r->titleJustification == popupTitleRightJust ? Justify::kRight
                                                               : Justify::kLeft;
    DrawTitle(r, title, j);
  }
  const bool pressed = live && r->hilite != 0;
  Fore(pressed ? kPressedBox : kBox);
  PaintRoundRect(&box, 6, 6);
  Fore(live ? kFrame : kDimFrame);
  FrameRoundRect(&box, 6, 6);
  Fore(live ? kInk : kDimInk);
  Rect arrow = box;
  arrow.left = SInt16(std::max<SInt32>(box.left, box.right - 16));
  DrawArrowHead(arrow, Direction::kDown);
  if (r->menu != nullptr && r->value >= 1) {
    Str255 item;
    GetMenuItemText(r->menu, SInt16(std::min<SInt32>(r->value, 32767)), item);
    Rect text = box;
    text.left = SInt16(box.left + 6);
    text.right = arrow.left;
    DrawLine(item + 1, item[0], text, Justify::kLeft);
  }
}

}  // namespace

void DrawRecord(ControlRecord* r) {
  if (!IsShown(r)) return;
  if (!IsValidWindowPtr(r->window)) return;
  ControlRef ref = RefOf(r);
  if (r->variety != Variety::kRoot) {
    DrawScope scope(r->window);
    const bool live = IsLive(r);
    r->drawCount += 1;
    if (r->variety != Variety::kUserPane) {
      Rect b = r->bounds;
      EraseRect(&b);
      scope.ClipTo(b);
    }
    switch (r->variety) {
      case Variety::kPushButton:
        DrawPushButton(r, live);
        break;
      case Variety::kCheckBox:
        DrawCheckBox(r, live);
        break;
      case Variety::kRadioButton:
        DrawRadioButton(r, live);
        break;
      case Variety::kScrollBar:
        DrawScrollBar(r, live);
        break;
      case Variety::kProgressBar:
        DrawProgressBar(r, live);
        break;
      case Variety::kPopupButton:
        DrawPopupButton(r, live);
        break;
      case Variety::kStaticText:
        Fore(live ? kInk : kDimInk);
        DrawWrapped(r->text, r->bounds);
        break;
      case Variety::kUserPane:
        if (r->drawProc != nullptr) r->drawProc(ref, kControlNoPart);
        break;
      case Variety::kRoot:
        break;
    }
  }
  r = Live(ref);  // a pane's drawing procedure may have disposed of it
  if (r == nullptr) return;
  std::vector<ControlRecord*> subs = r->subs;
  for (ControlRecord* sub : subs) {
    if (Live(RefOf(sub)) != nullptr && sub->super == r) DrawRecord(sub);
  }
}

void EraseArea(WindowRef window, const Rect& area) {
  if (!IsValidWindowPtr(window) || EmptyRect(&area)) return;
  {
    GrafPtr saved = nullptr;
    GetPort(&saved);
    SetPort(GetWindowPort(window));
    Rect r = area;
    EraseRect(&r);
    SetPort(saved);
  }
  InvalWindowRect(window, &area);
}

SInt16 TitleWidth(WindowRef window, ConstStr255Param title) {
  if (title == nullptr || !IsValidWindowPtr(window)) return 0;
  DrawScope scope(window);
  return StringWidth(title);
}

}  // namespace controls
}  // namespace sp_platform
