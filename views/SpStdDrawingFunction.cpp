// The drawing functions' geometry: the screen, coordinate conversions, box layout, aligned
// text and the windows' sizes, places and redraw areas.
#include "SpStdDrawingFunction.h"

#include <cstring>
#include <optional>

#include "SpErrorInfoSystem.h"
#include "SpStdDrawingFunctionInternal.h"

using sp_drawing_detail::Clamp16;
using sp_drawing_detail::kSource;

namespace sp_drawing_detail {

const char kSource[] = "SpStdDrawingFunction";
const char kMsgNoRegionMemory[] = "Cannot allocated memory";

bool ClipToRect(const SavedClip& saved, const Rect& rect) {
  if (!saved.Ok()) return false;
  RgnHandle area = NewRgn();
  if (area == nullptr) return false;
  RectRgn(area, &rect);
  SectRgn(saved.Region(), area, area);
  SetClip(area);
  DisposeRgn(area);
  return true;
}

}  // namespace sp_drawing_detail

namespace {

const char kMsgArgumentNull[] = "Argument is null !! ";
const char kMsgRequiredNull[] = "Required argument is null";

// Makes the window's port current for the scope; Ok() is false for a null or disposed window
// (the current port is then left alone).
class WindowPortScope {
 public:
  explicit WindowPortScope(WindowRef window) : port_(GetWindowPort(window)) {
    if (port_ == nullptr) return;
    GetPort(&saved_);
    SetPort(port_);
  }
  ~WindowPortScope() {
    if (port_ != nullptr) SetPort(saved_);
  }
  WindowPortScope(const WindowPortScope&) = delete;
  WindowPortScope& operator=(const WindowPortScope&) = delete;
  bool Ok() const { return port_ != nullptr; }

 private:
  CGrafPtr port_;
  GrafPtr saved_ = nullptr;
};

short PixelDepthOf(GDHandle device) {
  if (device == nullptr || *device == nullptr || (*device)->gdPMap == nullptr ||
      *(*device)->gdPMap == nullptr) {
    return 0;
  }
  return (*(*device)->gdPMap)->pixelSize;
}

void ConvertRect(Rect* rect, void (*convert)(Point*)) {
  Point topLeft{rect->top, rect->left};
  Point bottomRight{rect->bottom, rect->right};
  convert(&topLeft);
  convert(&bottomRight);
  *rect = Rect{topLeft.v, topLeft.h, bottomRight.v, bottomRight.h};
}

// Where local (0, 0) of the current port lies after the conversion.
void OffsetRegionByConvertedOrigin(RgnHandle rgn, void (*convert)(Point*)) {
  Point origin{0, 0};
  convert(&origin);
  OffsetRgn(rgn, origin.h, origin.v);
}

bool IsHorizontalStart(tPositionType p) {
  return p == kSpPositionLeft;
}
bool IsHorizontalEnd(tPositionType p) {
  return p == kSpPositionRight;
}
bool IsVerticalStart(tPositionType p) {
  return p == kSpPositionTop;
}
bool IsVerticalEnd(tPositionType p) {
  return p == kSpPositionBottom;
}

// One side of a box: a kept size aligned against the base's edges, or the base less margins.
void LayoutSide(long baseStart, long baseEnd, bool keepSize, long size, bool atStart, bool atEnd,
                long startMargin, long endMargin, SInt16* start, SInt16* end) {
  if (keepSize && size >= 0) {
    if (atStart) {
      *start = Clamp16(baseStart);
      *end = Clamp16(baseStart + size);
    } else if (atEnd) {
      *end = Clamp16(baseEnd);
      *start = Clamp16(baseEnd - size);
    } else {
      *start = Clamp16((baseStart + baseEnd - size) / 2);
      *end = Clamp16((baseStart + baseEnd + size) / 2);
    }
  } else {
    *start = Clamp16(baseStart + startMargin);
    *end = Clamp16(baseEnd - endMargin);
  }
}

// One side of an area moved into a target: pushed in when it fits, else aligned.
void MoveSideInto(long targetStart, long targetEnd, long areaStart, long areaEnd, bool atStart,
                  bool atEnd, SInt16* start, SInt16* end) {
  const long size = areaEnd - areaStart;
  long newStart = areaStart;
  if (size <= targetEnd - targetStart) {
    if (targetStart > areaStart) {
      newStart = targetStart;
    } else if (targetEnd < areaEnd) {
      newStart = targetEnd - size;
    }
  } else if (atStart) {
    newStart = targetStart;
  } else if (atEnd) {
    newStart = targetEnd - size;
  } else {
    newStart = (targetStart + targetEnd - size) / 2;
  }
  *start = Clamp16(newStart);
  *end = Clamp16(newStart + size);
}

}  // namespace

// ---- Screen ----

short Sp_GetScreenDepth() {
  return PixelDepthOf(GetMainDevice());
}

short Sp_GetMainScreenMaxPixelDepth() {
  Rect screen{0, 0, 0, 0};
  Sp_GetScreenSize(&screen);
  return PixelDepthOf(GetMaxDevice(&screen));
}

void Sp_GetScreenSize(Rect* screenRect) {
  if (screenRect == nullptr) {
    SpReportFailure(kSource, "Sp_GetScreenSize", 1, kMsgArgumentNull);
    return;
  }
  GDHandle main = GetMainDevice();
  if (main == nullptr || *main == nullptr) return;
  *screenRect = (*main)->gdRect;
  screenRect->top = Clamp16(long(screenRect->top) + GetMBarHeight());
}

// ---- Coordinates ----

void Sp_LocalToGlobalRect(Rect* rect) {
  if (rect == nullptr) {
    SpReportFailure(kSource, "Sp_LocalToGlobalRect", 1, kSpMsgPointerArg);
    return;
  }
  ConvertRect(rect, LocalToGlobal);
}

void Sp_LocalToGlobalRect(WindowRef window, Rect* rect) {
  if (window == nullptr || rect == nullptr) {
    SpReportFailure(kSource, "Sp_LocalToGlobalRect", 1, kSpMsgPointerArg);
    return;
  }
  WindowPortScope scope(window);
  if (scope.Ok()) ConvertRect(rect, LocalToGlobal);
}

void Sp_GlobalToLocalRect(Rect* rect) {
  if (rect == nullptr) {
    SpReportFailure(kSource, "Sp_GlobalToLocalRect", 1, kSpMsgPointerArg);
    return;
  }
  ConvertRect(rect, GlobalToLocal);
}

void Sp_GlobalToLocalRect(WindowRef window, Rect* rect) {
  if (window == nullptr || rect == nullptr) {
    SpReportFailure(kSource, "Sp_GlobalToLocalRect", 1, kSpMsgPointerArg);
    return;
  }
  WindowPortScope scope(window);
  if (scope.Ok()) ConvertRect(rect, GlobalToLocal);
}

void Sp_LocalToGlobalPt(WindowRef window, Point& pt) {
  if (window == nullptr) {
    SpReportFailure(kSource, "Sp_LocalToGlobalPt", 1, kSpMsgNullArgument);
    return;
  }
  WindowPortScope scope(window);
  if (scope.Ok()) LocalToGlobal(&pt);
}

void Sp_GlobalToLocalPt(WindowRef window, Point& pt) {
  if (window == nullptr) {
    SpReportFailure(kSource, "Sp_GlobalToLocalPt", 1, kSpMsgNullArgument);
    return;
  }
  WindowPortScope scope(window);
  if (scope.Ok()) GlobalToLocal(&pt);
}

void Sp_LocalToGlobalRgn(WindowRef window, RgnHandle rgn) {
  if (window == nullptr || rgn == nullptr) {
    SpReportFailure(kSource, "Sp_LocalToGlobalRgn", 1, kSpMsgNullArgument);
    return;
  }
  WindowPortScope scope(window);
  if (scope.Ok()) OffsetRegionByConvertedOrigin(rgn, LocalToGlobal);
}

void Sp_LocalToGlobalRgn(RgnHandle rgn) {
  if (rgn == nullptr) {
    SpReportFailure(kSource, "Sp_LocalToGlobalRgn", 1, kSpMsgNullArgument);
    return;
  }
  OffsetRegionByConvertedOrigin(rgn, LocalToGlobal);
}

void Sp_GlobalToLocalRgn(WindowRef window, RgnHandle rgn) {
  if (window == nullptr || rgn == nullptr) {
    SpReportFailure(kSource, "Sp_GlobalToLocalRgn", 1, kSpMsgNullArgument);
    return;
  }
  WindowPortScope scope(window);
  if (scope.Ok()) OffsetRegionByConvertedOrigin(rgn, GlobalToLocal);
}

void Sp_GlobalToLocalRgn(RgnHandle rgn) {
  if (rgn == nullptr) {
    SpReportFailure(kSource, "Sp_GlobalToLocalRgn", 1, kSpMsgNullArgument);
    return;
  }
  OffsetRegionByConvertedOrigin(rgn, GlobalToLocal);
}

// ---- Layout ----

void Sp_GetLayoutArea(const Rect* base, tObjectLayoutType layoutType, tPositionType hPosition,
                      tPositionType vPosition, short leftMargin, short topMargin, short rightMargin,
                      short bottomMargin, short width, short height, Rect& out) {
  if (base == nullptr) {
    SpReportFailure(kSource, "Sp_GetLayoutArea", 1, kSpMsgPointerArg);
    return;
  }
  const Rect b = *base;
  const bool keepWidth = layoutType == kSpLayoutKeepSize || layoutType == kSpLayoutKeepWidth;
  const bool keepHeight = layoutType == kSpLayoutKeepSize || layoutType == kSpLayoutKeepHeight;
  LayoutSide(b.left, b.right, keepWidth, width, IsHorizontalStart(hPosition),
             IsHorizontalEnd(hPosition), leftMargin, rightMargin, &out.left, &out.right);
  LayoutSide(b.top, b.bottom, keepHeight, height, IsVerticalStart(vPosition),
             IsVerticalEnd(vPosition), topMargin, bottomMargin, &out.top, &out.bottom);
}

void Sp_MoveAreaInTargetArea(const Rect& target, const Rect& area, Rect& out,
                             tPositionType hPosition, tPositionType vPosition) {
  const Rect t = target;
  const Rect a = area;  // out may be area itself
  MoveSideInto(t.left, t.right, a.left, a.right, IsHorizontalStart(hPosition),
               IsHorizontalEnd(hPosition), &out.left, &out.right);
  MoveSideInto(t.top, t.bottom, a.top, a.bottom, IsVerticalStart(vPosition),
               IsVerticalEnd(vPosition), &out.top, &out.bottom);
}

// ---- Text ----

void Sp_DrawStringInRect(const char* text, const Rect* rect, tPositionType hPosition,
                         tPositionType vPosition, short leftInset, short rightInset, short topInset,
                         short bottomInset, unsigned char clip, unsigned char shadow, short shadowH,
                         short shadowV, const RGBColor* shadowColor) {
  if (text == nullptr || rect == nullptr) {
    SpReportFailure(kSource, "Sp_DrawStringInRect", 1, kSpMsgPointerArg);
    return;
  }
  const long left = long(rect->left) + leftInset;
  const long right = long(rect->right) - rightInset;
  const long top = long(rect->top) + topInset;
  const long bottom = long(rect->bottom) - bottomInset;
  if (left >= right || top >= bottom) return;

  FontInfo info{};
  GetFontInfo(&info);
  // The whole text is drawn, however long: there is no length-byte limit here.
  const SInt16 length = SInt16(std::min<std::size_t>(std::strlen(text), 32767));
  const long width = TextWidth(text, 0, length);

  long h;
  if (IsHorizontalStart(hPosition)) {
    h = left;
  } else if (IsHorizontalEnd(hPosition)) {
    h = right - width;
  } else if (right - left == width) {
    h = left;  // exactly as wide as the room: not pushed one pixel out of it
  } else {
    h = (left + right - width) / 2 + 1;
  }
  long v;
  if (IsVerticalStart(vPosition)) {
    v = top + info.ascent;
  } else if (IsVerticalEnd(vPosition)) {
    v = bottom - info.descent;
  } else {
    v = (top + bottom + info.ascent) / 2;
  }

  std::optional<sp_drawing_detail::SavedClip> savedClip;
  if (clip) {
    savedClip.emplace();
    const Rect inner{Clamp16(top), Clamp16(left), Clamp16(bottom), Clamp16(right)};
    if (!sp_drawing_detail::ClipToRect(*savedClip, inner)) {
      SpReportFailure(kSource, "Sp_DrawStringInRect", 2, sp_drawing_detail::kMsgNoRegionMemory);
      return;
    }
  }
  if (shadow) {
    RGBColor savedFore;
    GetForeColor(&savedFore);
    RGBColor color;
    if (shadowColor != nullptr) {
      color = *shadowColor;
    } else {
      Sp_SetRGBColorByPercentage(&color, 10, 10, 10);
    }
    RGBForeColor(&color);
    MoveTo(Clamp16(h + shadowH), Clamp16(v + shadowV));
    DrawText(text, 0, length);
    RGBForeColor(&savedFore);
  }
  MoveTo(Clamp16(h), Clamp16(v));
  DrawText(text, 0, length);
}

void Sp_DrawStringWithShadow(const char* text, short h, short v, short dh, short dv,
                             const RGBColor* color, const RGBColor* shadowColor) {
  if (text == nullptr || color == nullptr || shadowColor == nullptr) {
    SpReportFailure(kSource, "Sp_DrawStringWithShadow", 1, kSpMsgPointerArg);
    return;
  }
  const SInt16 length = SInt16(std::min<std::size_t>(std::strlen(text), 32767));
  MoveTo(Clamp16(long(h) + dh), Clamp16(long(v) + dv));
  RGBForeColor(shadowColor);
  DrawText(text, 0, length);
  MoveTo(h, v);
  RGBForeColor(color);
  DrawText(text, 0, length);
}

// ---- Windows ----

void Sp_GetWindowSize(WindowRef window, Rect& out) {
  if (window == nullptr) {
    SpReportFailure(kSource, "Sp_GetWindowSize", 1, kSpMsgPointerArg);
    return;
  }
  Rect bounds{0, 0, 0, 0};
  if (GetWindowPortBounds(window, &bounds) == nullptr) return;
  // The port rectangle as it stands (its top-left corner is the origin), so the answer is the
  // content's place on the screen whatever origin the port was given.
  Sp_LocalToGlobalRect(window, &bounds);
  out = bounds;
}

void Sp_GetWindowContentLeftTopPosit(WindowRef window, Point& out) {
  if (window == nullptr) {
    SpReportFailure(kSource, "Sp_GetWindowContentLeftTopPosit", 1, kSpMsgPointerArg);
    return;
  }
  Rect bounds{0, 0, 0, 0};
  if (GetWindowPortBounds(window, &bounds) == nullptr) return;
  Point topLeft{bounds.top, bounds.left};
  Sp_LocalToGlobalPt(window, topLeft);
  out = topLeft;
}

unsigned char Sp_MoveWindowOutputPosition(WindowRef window, sWindowOutputBehavior* behavior,
                                          unsigned char front) {
  if (window == nullptr || behavior == nullptr) {
    return SpReportFailure(kSource, "Sp_MoveWindowOutputPosition", 1, kMsgRequiredNull,
                           static_cast<unsigned char>(0));
  }
  if (!IsValidWindowPtr(window)) return 0;
  Rect r{0, 0, 0, 0};
  Sp_GetWindowSize(window, r);
  const long width = long(r.right) - r.left;
  const long height = long(r.bottom) - r.top;
  const sWindowOutputBehavior& b = *behavior;
  long left;
  if (b.horizontalType == kSpPositionLeft) {
    left = b.h1;
  } else if (b.horizontalType == kSpPositionRight) {
    left = b.h1 - width;
  } else {
    left = (long(b.h1) + b.h2 - width) / 2;
  }
  long top;
  if (b.verticalType == kSpPositionTop) {
    top = b.v1;
  } else if (b.verticalType == kSpPositionBottom) {
    top = b.v1 - height;
  } else {
    top = (long(b.v1) + b.v2 - height) / 2;
  }
  if (left == r.left && top == r.top) return 0;
  MoveWindow(window, Clamp16(left), Clamp16(top), front);
  return 1;
}

void Sp_AddRedrawAreaInWindow(WindowRef window, const Rect* rect) {
  if (window == nullptr || rect == nullptr) {
    SpReportFailure(kSource, "Sp_AddRedrawAreaInWindow", 1, kSpMsgPointerArg);
    return;
  }
  InvalWindowRect(window, rect);
}

void Sp_AddRedrawAreaInWindow(WindowRef window, RgnHandle rgn) {
  if (window == nullptr || rgn == nullptr) {
    SpReportFailure(kSource, "Sp_AddRedrawAreaInWindow", 1, kSpMsgPointerArg);
    return;
  }
  InvalWindowRgn(window, rgn);
}

void Sp_SubRedrawAreaOnWindow(WindowRef window, const Rect* rect) {
  if (window == nullptr || rect == nullptr) {
    SpReportFailure(kSource, "Sp_SubRedrawAreaOnWindow", 1, kSpMsgPointerArg);
    return;
  }
  ValidWindowRect(window, rect);
}
