// The calendar's month page drawn, and the month change: a slide of the new page from an
// offscreen, frame by frame, or without an offscreen a cell scroll and a zoom rectangle.
#include <algorithm>

#include "Clock.h"
#include "Gestalt.h"
#include "QDText.h"
#include "SpCalenderIconObject.h"
#include "SpErrorInfoSystem.h"
#include "SpHolidayDataObject.h"
#include "SpPortSaver.h"
#include "SpStdDrawingFunction.h"
#include "SpStdFunction.h"
#include "SpTextStyle.h"

namespace {

const char kSource[] = "SpCalenderIconObject";

// The grey the drop shadow darkens into, 15 % of full intensity.
constexpr unsigned short kShadowGrey = 9830;

enum : SInt32 { kSlide = 1, kSettle = 2, kHeightChange = 3 };
enum : UInt8 { kSameRows = 0, kTaller = 1, kShorter = 2 };
// Edges of the eight-float tables: D's left, top, right, bottom, then S's.
enum { kLeft = 0, kTop = 1, kRight = 2, kBottom = 3 };

short& Edge(Rect& r, int edge) {
  switch (edge) {
    case kLeft: return r.left;
    case kTop: return r.top;
    case kRight: return r.right;
    default: return r.bottom;
  }
}

short EdgeOf(const Rect& r, int edge) {
  switch (edge) {
    case kLeft: return r.left;
    case kTop: return r.top;
    case kRight: return r.right;
    default: return r.bottom;
  }
}

RGBColor Mix(const RGBColor& from, const RGBColor& to, float rate) {
  RGBColor out;
  Sp_RGBInBetweenColor(&from, &to, rate, &out);
  return out;
}

void MonthFactsOf(short year, short month, short& rows, short& days, short& firstWeekday) {
  Sp_GetWeekInMonth(0, year, month, rows);
  if (rows < 1) rows = 5;
  Sp_GetNumOfDayInMonth(0, year, month, days);
  LongDateRec date = {};
  Sp_TargetDateToLongDateTimeRec(year, month, 1, &date);
  firstWeekday = date.dayOfWeek;
}

void Neighbour(short year, short month, int step, short& outYear, short& outMonth) {
  const int index = year * 12 + (month - 1) + step;
  outYear = short(index / 12);
  outMonth = short(index % 12 + 1);
}

// Saves the pen, the foreground colour and the text style, and puts them back at the end.
class DrawingState {
 public:
  DrawingState() {
    GetPenState(&pen_);
    GetForeColor(&fore_);
    Sp_GetCurrentPortTextStyleAttribute(style_);
  }
  ~DrawingState() {
    Sp_SetCurrentPortTextStyleAttribute(style_);
    RGBForeColor(&fore_);
    SetPenState(&pen_);
  }
  DrawingState(const DrawingState&) = delete;
  DrawingState& operator=(const DrawingState&) = delete;

 private:
  PenState pen_;
  RGBColor fore_;
  sTextStyleAttributes style_;
};

void DrawNumber(short day, const Rect& rect) {
  char text[16];
  Sp_NumberToString(day, text);
  Sp_DrawStringInRect(text, &rect, kSpPositionCenter, kSpPositionCenter, 0, 0, 0, 0, 0, 0, 0, 0,
                      nullptr);
}

}  // namespace

// One month change in flight.
struct sCIO_AnimationRecord {
  cSp_CalenderIconObject* calendar;
  GWorldPtr world;
  PixMapHandle pixels;
  Rect newPage, newGrid, oldPage, oldGrid;
  Rect common;  // Q: the part of the page both months share
  Rect dest, source;
  Rect restore, bandDest, bandSource;
  UInt8 heightChange;
  SInt32 phase;
  SInt32 steps;
  SInt16 shadowWidth;
  float increments[8];
  float positions[8];
};

void Sp_CIO_DrawingProc(unsigned long refCon, Rect*) {
  cSp_CalenderIconObject* calendar = reinterpret_cast<cSp_CalenderIconObject*>(refCon);
  if (calendar != nullptr) calendar->DrawCalender();
}

// ---- The page -------------------------------------------------------------------------------

short cSp_CalenderIconObject::CellTextSize() {
  const short offset = fontOutputOffset_, cell = cellHeight_;
  const bool roomy = cell > 2 * offset + 1;
  const short target = roomy ? short(cell - 2 * offset) : cell;
  if (textSize_ < 1) {
    short size = target;
    if (!Sp_GetEnableFontSize(fontNo_, target, size, true, false, 100)) size = target;
    return size;
  }
  if (cell == 2 * offset + 1) return 1;
  short found = 1;
  for (short size = textSize_; size >= 1; --size) {
    TextSize(size);
    FontInfo info;
    GetFontInfo(&info);
    if (info.ascent + info.descent <= target) {
      found = size;
      break;
    }
  }
  return found;
}

void cSp_CalenderIconObject::DrawCalender() {
  if (drawingSuspended_ != 0) return;
  DrawingState state;
  LongDateRec today = {};
  Sp_GetNowLongDateTimeRec(&today);
  const short dx = short(hScrollOffset_ * cellWidth_), dy = short(vScrollOffset_ * cellHeight_);
  const short cw = cellWidth_, ch = cellHeight_;
  PenNormal();

  if (showShadow_ != 0 && shadowWidth_ > 0) {
    Rect shadow = {shadowWidth_, shadowWidth_, short(frame_.bottom - frame_.top),
                   short(frame_.right - frame_.left)};
    const RGBColor grey = {kShadowGrey, kShadowGrey, kShadowGrey};
    for (short i = 0; i < shadowWidth_; ++i) {
      const RGBColor c = Mix(colours_.shadowToContainer, grey, float(i + 1) / shadowWidth_);
      RGBForeColor(&c);
      PaintRect(&shadow);
      OffsetRect(&shadow, -1, -1);
    }
  }
  RGBForeColor(&colours_.content);
  PaintRect(&grid_);

  short rows = 0, days = 0, first = 1;
  MonthFactsOf(displayYear_, displayMonth_, rows, days, first);
  const short last = short((first - 1 + days - 1) % 7 + 1);
  Rect leading = {0, 0, 0, 0}, trailing = {0, 0, 0, 0};
  if (first > 1) {
    const Rect r = {short(grid_.top + dy + 1), short(grid_.left + dx + 1),
                    short(grid_.top + dy + ch), short(grid_.left + dx + cw * (first - 1))};
    SectRect(&r, &grid_, &leading);
    RGBForeColor(&colours_.otherMonth);
    PaintRect(&leading);
  }
  if (last < 7) {
    const Rect r = {short(grid_.top + dy + ch * (rows - 1) + 1), short(dx + cw * last + 1),
                    short(grid_.bottom + dy - 1), short(grid_.right + dx - 1)};
    SectRect(&r, &grid_, &trailing);
    RGBForeColor(&colours_.otherMonth);
    PaintRect(&trailing);
  }

  PenSize(lineWidth_, lineWidth_);
  RGBForeColor(&colours_.line);
  for (short i = 1; i <= 6; ++i) {
    const short x = short(grid_.left + dx + i * cw);
    MoveTo(x, short(grid_.top + dy));
    LineTo(x, short(grid_.bottom + dy - 1));
  }
  for (short i = 1; i < rows; ++i) {
    const short y = short(grid_.top + dy + i * ch);
    MoveTo(short(grid_.left + dx), y);
    LineTo(short(grid_.right + dx - 1), y);
  }
  FrameRect(&grid_);
  PenNormal();

  TextFont(fontNo_);
  TextFace(normal);
  TextSize(CellTextSize());
  if (first > 1) {
    short year = 0, month = 0, beforeDays = 0;
    Neighbour(displayYear_, displayMonth_, -1, year, month);
    Sp_GetNumOfDayInMonth(0, year, month, beforeDays);
    for (short c = 1; c < first; ++c) {
      const Rect cell = {short(grid_.top + dy), short(grid_.left + dx + cw * (c - 1)),
                         short(grid_.top + dy + ch), short(grid_.left + dx + cw * c)};
      DrawDayStringToRect(cell, year, month, short(beforeDays - first + 1 + c), c, today);
    }
    Sp_ModifyAreaColor(0, &leading, 0.5f);
  }
  short column = first, row = 0;
  for (short day = 1; day <= days; ++day) {
    Rect cell;
    cell.left = short(grid_.left + dx + cw * (column - 1));
    cell.right = column == 7 ? short(grid_.right + dx) : short(cell.left + cw);
    cell.top = short(grid_.top + dy + row * ch);
    cell.bottom = row == rows - 1 ? short(grid_.bottom + dy) : short(cell.top + ch);
    DrawDayStringToRect(cell, displayYear_, displayMonth_, day, column, today);
    if (++column > 7) {
      column = 1;
      ++row;
    }
  }
  if (last < 7) {
    short year = 0, month = 0;
    Neighbour(displayYear_, displayMonth_, 1, year, month);
    for (short c = short(last + 1); c <= 7; ++c) {
      Rect cell;
      cell.left = short(grid_.left + dx + cw * (c - 1));
      cell.right = c == 7 ? short(grid_.right + dx) : short(cell.left + cw);
      cell.top = short(grid_.top + dy + (rows - 1) * ch);
      cell.bottom = short(grid_.bottom + dy);
      DrawDayStringToRect(cell, year, month, short(c - last), c, today);
    }
    Sp_ModifyAreaColor(0, &trailing, 0.5f);
  }
}

void cSp_CalenderIconObject::DrawDayStringToRect(Rect cell, short year, short month, short day,
                                                 short weekday, LongDateRec& today) {
  DrawingState state;
  RGBColor background = colours_.content;
  if (year == today.year && month == today.month && day == today.day) {
    Rect inner = cell;
    InsetRect(&inner, 1, 1);
    RGBForeColor(&colours_.today);
    PaintRect(&inner);
    background = colours_.today;
  }
  tCalenderMultiSelectPosit posit = 0;
  if (IsInSelectionArea(year, month, day, posit)) {
    Rect frame = cell;
    frame.top = short(frame.top + 1);
    frame.left = short(frame.left + 1);
    const struct {
      short pen;
      RGBColor colour;
    } rings[] = {
        {selectionLineWidth_, Mix(colours_.selectionLine, background, 0.8f)},
        {short(selectionLineWidth_ / 2), Mix(colours_.selectionLine, background, 0.4f)},
        {1, colours_.selectionLine},
    };
    for (const auto& ring : rings) {
      PenSize(ring.pen, ring.pen);
      RGBForeColor(&ring.colour);
      FrameRect(&frame);
    }
    PenNormal();
  }
  Rect shadow = cell;
  OffsetRect(&shadow, 1, 1);
  ForeColor(whiteColor);
  DrawNumber(day, shadow);

  // Both lists are asked for every cell, Sundays included.
  unsigned char cut = 0;
  const bool listed = SpHDO_CheckHolidayForTargetDay(1, year, month, day, nullptr, 0, cut) != 0;
  const bool own = IsHoliday(year, month, day, nullptr, 0, nullptr, nullptr) != 0;
  const bool holiday = weekday == 1 || listed || own;
  const RGBColor& colour = holiday        ? colours_.holidayString
                           : weekday == 7 ? colours_.saturdayString
                                          : colours_.weekdayString;
  RGBForeColor(&colour);
  Rect text = cell;
  text.top = short(text.top + 1);
  DrawNumber(day, text);
}

// ---- The animated month change --------------------------------------------------------------

namespace {

// Where the new page starts to come in, in D and S, by the direction of the change.
void StartStrips(short y0, short m0, short y, short m, const Rect& q, Rect& d, Rect& s) {
  const short w = q.right, h = q.bottom;
  const bool next = (y == y0 && m > m0) || (m0 == 12 && m == 1 && y == y0 + 1);
  const bool before = (y == y0 && m < m0) || (m0 == 1 && m == 12 && y == y0 - 1);
  d = s = q;
  const Rect leftStrip = {0, 0, h, 4}, rightStrip = {0, short(w - 4), h, w};
  const Rect topStrip = {0, 0, 4, w}, bottomStrip = {short(h - 4), 0, h, w};
  const Rect topLeft = {0, 0, 4, 4}, topRight = {0, short(w - 4), 4, w};
  const Rect bottomLeft = {short(h - 4), 0, h, 4}, bottomRight = {short(h - 4), short(w - 4), h, w};
  if (next) {
    d = rightStrip, s = leftStrip;
  } else if (before) {
    d = leftStrip, s = rightStrip;
  } else if (m == m0) {
    if (y < y0) {
      d = topStrip, s = bottomStrip;
    } else {
      d = bottomStrip, s = topStrip;
    }
  } else if (y < y0) {
    if (m > m0) {
      d = topRight, s = bottomLeft;
    } else {
      d = topLeft, s = bottomRight;
    }
  } else if (m > m0) {
    d = bottomRight, s = topLeft;
  } else {
    d = bottomLeft, s = topRight;
  }
}

void Copy(const sCIO_AnimationRecord& rec, GrafPtr port, const Rect& from, const Rect& to) {
  CopyBits(GetPortBitMapForCopyBits(rec.world), GetPortBitMapForCopyBits(port), &from, &to,
           srcCopy, nullptr);
}

// Keeps each edge from passing the common rectangle's edge in its direction of travel.
Rect ClampedRect(const sCIO_AnimationRecord& rec, int first) {
  Rect r;
  for (int e = 0; e < 4; ++e) {
    short value = short(rec.positions[first + e]);
    const short limit = EdgeOf(rec.common, e);
    const float step = rec.increments[first + e];
    if ((step > 0 && value > limit) || (step < 0 && value < limit)) value = limit;
    Edge(r, e) = value;
  }
  return r;
}

// D takes S's size, kept inside the common rectangle.
void MatchSize(Rect& d, const Rect& s, const Rect& q) {
  const short width = short(s.right - s.left), height = short(s.bottom - s.top);
  if (d.right - d.left != width) {
    if (d.right == q.right || d.left + width > q.right) {
      d.right = q.right;
      d.left = short(d.right - width);
    } else {
      d.right = short(d.left + width);
    }
  }
  if (d.bottom - d.top != height) {
    if (d.bottom == q.bottom || d.top + height > q.bottom) {
      d.bottom = q.bottom;
      d.top = short(d.bottom - height);
    } else {
      d.bottom = short(d.top + height);
    }
  }
}

unsigned char Slide(sCIO_AnimationRecord& rec, SInt32 frameNo, GrafPtr port) {
  Rect d = ClampedRect(rec, 0);
  const Rect s = ClampedRect(rec, 4);
  MatchSize(d, s, rec.common);
  Copy(rec, port, s, d);
  if (EqualRect(&d, &rec.common) || frameNo >= rec.steps) {
    rec.phase = kSettle;
  } else {
    for (int i = 0; i < 8; ++i) rec.positions[i] += rec.increments[i];
  }
  return 0;
}

unsigned char Settle(sCIO_AnimationRecord& rec, SInt32& frameNo, unsigned char& restoreBackground,
                     RgnHandle restoreRgn) {
  {
    RgnHandle saved = NewRgn();
    if (saved != nullptr) GetClip(saved);
    ClipRect(&rec.common);
    rec.calendar->DrawCalender();
    if (saved != nullptr) {
      SetClip(saved);
      DisposeRgn(saved);
    }
  }
  if (rec.heightChange == kSameRows) return 1;
  frameNo = -1;
  rec.phase = kHeightChange;
  const short sw = rec.shadowWidth;
  if (rec.heightChange == kTaller) {
    rec.source = rec.dest = Rect{short(rec.oldGrid.bottom - 1), 0, rec.oldGrid.bottom,
                                 rec.newPage.right};
    rec.bandSource = Rect{short(rec.newPage.bottom - sw), 0, rec.newPage.bottom, rec.newPage.right};
    rec.bandDest = Rect{rec.oldGrid.bottom, 0, short(rec.oldGrid.bottom + sw), rec.oldPage.right};
  } else {
    rec.bandSource = Rect{short(rec.newPage.bottom - sw - 1), 0, rec.newPage.bottom,
                          rec.newPage.right};
    rec.bandDest = Rect{short(rec.oldPage.bottom - 1 - (sw + 1)), 0, short(rec.oldPage.bottom - 1),
                        rec.newPage.right};
    rec.restore = Rect{short(rec.oldPage.bottom - sw), 0, short(rec.oldPage.bottom + 1),
                       rec.newPage.right};
    RectRgn(restoreRgn, &rec.restore);
    restoreBackground = 1;
  }
  return 0;
}

unsigned char ChangeHeight(sCIO_AnimationRecord& rec, GrafPtr port,
                           unsigned char& restoreBackground, RgnHandle restoreRgn) {
  if (rec.heightChange == kTaller) {
    // The extra row is revealed 2 pixels a frame, the shadow's band following it.
    Copy(rec, port, rec.source, rec.dest);
    Copy(rec, port, rec.bandSource, rec.bandDest);
    rec.source.bottom = short(rec.source.bottom + 2);
    if (rec.source.bottom > rec.newGrid.bottom) return 1;
    OffsetRect(&rec.bandDest, 0, 2);
    rec.dest = rec.source;
    return 0;
  }
  // The bottom band moves up 2 pixels a frame; the background shows again below it.
  Copy(rec, port, rec.bandSource, rec.bandDest);
  OffsetRect(&rec.bandDest, 0, -2);
  if (rec.bandDest.bottom < rec.newPage.bottom) return 1;
  rec.restore.top = short(rec.restore.top - 2);
  RectRgn(restoreRgn, &rec.restore);
  restoreBackground = 1;
  return 0;
}

}  // namespace

unsigned char Sp_CIO_AnimationDrawingCallProc(unsigned long refCon, SInt32& frameNo, GrafPtr port,
                                              short, short, unsigned char& copyNow,
                                              RgnHandle copyRgn, unsigned char& restoreBackground,
                                              RgnHandle restoreRgn) {
  sCIO_AnimationRecord* rec = reinterpret_cast<sCIO_AnimationRecord*>(refCon);
  if (rec == nullptr || port == nullptr) {
    copyNow = 0;
    return 1;
  }
  if (copyRgn == nullptr || restoreRgn == nullptr) {
    SpReportFailure(kSource, "Sp_CIO_AnimationDrawingCallProc", 1, kSpMsgNullArgument);
    return 1;
  }
  copyNow = 1;
  restoreBackground = 0;
  SetEmptyRgn(copyRgn);
  RGBColor fore, back;
  GetForeColor(&fore);
  GetBackColor(&back);
  ForeColor(blackColor);
  BackColor(whiteColor);
  unsigned char done = 1;
  switch (rec->phase) {
    case kSlide:
      done = Slide(*rec, frameNo, port);
      break;
    case kSettle:
      done = Settle(*rec, frameNo, restoreBackground, restoreRgn);
      break;
    case kHeightChange:
      done = ChangeHeight(*rec, port, restoreBackground, restoreRgn);
      break;
    default:
      break;
  }
  RGBForeColor(&fore);
  RGBBackColor(&back);
  return done;
}

bool cSp_CalenderIconObject::AnimateMonthChange(short year, short month) {
  sCIO_AnimationRecord* rec =
      reinterpret_cast<sCIO_AnimationRecord*>(NewPtrClear(Size(sizeof(sCIO_AnimationRecord))));
  if (rec == nullptr) return false;
  short newRows = 0, newDays = 0, first = 0;
  MonthFactsOf(year, month, newRows, newDays, first);
  const short sw = shadowWidth_, width = short(7 * cellWidth_);
  rec->calendar = this;
  rec->shadowWidth = sw;
  rec->newGrid = Rect{0, 0, short(newRows * cellHeight_), width};
  rec->newPage = Rect{0, 0, short(rec->newGrid.bottom + sw), short(width + sw)};
  rec->oldGrid = Rect{0, 0, short(rows_ * cellHeight_), width};
  rec->oldPage = Rect{0, 0, short(rec->oldGrid.bottom + sw), short(width + sw)};
  RgnHandle area = NewRgn();
  if (area == nullptr ||
      NewGWorld(&rec->world, Sp_GetScreenDepth(), &rec->newPage, nullptr, nullptr, 0) != noErr) {
    if (area != nullptr) DisposeRgn(area);
    DisposePtr(reinterpret_cast<Ptr>(rec));
    return false;
  }
  rec->common = Rect{0, 0, std::min(rec->newGrid.bottom, rec->oldGrid.bottom), width};
  rec->heightChange = newRows == rows_ ? kSameRows : (newRows > rows_ ? kTaller : kShorter);
  const short larger = std::max(rec->common.bottom, rec->common.right);
  rec->steps = larger > 60 ? larger / 6 : larger;
  StartStrips(displayYear_, displayMonth_, year, month, rec->common, rec->dest, rec->source);
  ShowMonth(year, month);

  // The new page over what lies beneath the calendar, drawn once.
  rec->pixels = GetGWorldPixMap(rec->world);
  LockPixels(rec->pixels);
  {
    CGrafPtr savedPort = nullptr;
    GDHandle savedDevice = nullptr;
    GetGWorld(&savedPort, &savedDevice);
    DrawBackgoundToTargetPort(rec->world, &rec->newPage, nullptr, nullptr);
    SetGWorld(rec->world, nullptr);
    DrawCalender();
    SetGWorld(savedPort, savedDevice);
  }
  for (int e = 0; e < 4; ++e) {
    const float target = EdgeOf(rec->common, e);
    rec->positions[e] = EdgeOf(rec->dest, e);
    rec->positions[4 + e] = EdgeOf(rec->source, e);
    for (int i : {e, 4 + e}) {
      rec->increments[i] = rec->positions[i] == target ? 0 : (target - rec->positions[i]) / rec->steps;
    }
  }
  rec->phase = kSlide;
  AnimationDrawing(area, 1, reinterpret_cast<unsigned long>(rec), Sp_CIO_AnimationDrawingCallProc);
  DisposeRgn(area);
  RedrawNow();
  UnlockPixels(rec->pixels);
  DisposeGWorld(rec->world);
  DisposePtr(reinterpret_cast<Ptr>(rec));
  return true;
}

// ---- The month change without an offscreen --------------------------------------------------

void cSp_CalenderIconObject::ChangeOutputMonthOldVer(short year, short month) {
  if (year < 0) year = displayYear_;
  if (month < 0) month = displayMonth_;
  if (year == displayYear_ && month == displayMonth_) return;
  SInt32 response = 0;
  const bool flush = Gestalt(SpFourCC("menu"), &response) == noErr && (response & 2) != 0;
  WindowRef window = GetTargetWindowPtr();
  auto flushNow = [&] {
    if (flush && window != nullptr) QDFlushPortBuffer(GetWindowPort(window), nullptr);
  };
  const short y0 = displayYear_, m0 = displayMonth_;
  const bool before = (year == y0 && month == m0 - 1) || (m0 == 1 && month == 12 && year == y0 - 1);
  const bool next = (year == y0 && month == m0 + 1) || (m0 == 12 && month == 1 && year == y0 + 1);
  const Rect f = frame_;
  const short middleV = short((f.top + f.bottom - 2) / 2), middleH = short((f.left + f.right - 2) / 2);
  auto at = [](short v, short h) { return Rect{v, h, short(v + 2), short(h + 2)}; };
  Rect start = at(middleV, f.left);
  if (next) {
    start = at(middleV, short(f.right - 2));
  } else if (!before) {
    // The old month scrolls out, a cell a step, before the zoom.
    short dh = 0, dv = 0;
    if (year == y0) {
      dh = month < m0 ? 1 : -1;
      start = at(middleV, month < m0 ? f.left : short(f.right - 2));
    } else {
      dv = year < y0 ? 1 : -1;
      const short h = month == m0 ? middleH : (month < m0 ? f.left : short(f.right - 2));
      start = at(year < y0 ? f.top : short(f.bottom - 2), h);
    }
    UInt32 last = TickCount();
    for (short k = 1; k <= 7; ++k) {
      const UInt32 now = TickCount();
      if (now - last < 4) Delay(4 - (now - last), &last);
      last = TickCount();
      hScrollOffset_ = short(dh * k);
      vScrollOffset_ = short(dv * k);
      UpdateViewableDrawingArea(1, 1, nullptr);
      flushNow();
    }
    hScrollOffset_ = vScrollOffset_ = 0;
  }
  if (window != nullptr) {
    cSpPortSaver port(window);
    Sp_RectMoveAnimation(&start, &frame_, 12, &frame_, 3);
  }
  ShowMonth(year, month);
  RedrawNow();
  TellMonthChanged();
  flushNow();
}
