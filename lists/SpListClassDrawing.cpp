#include <algorithm>
#include <cstring>

#include "QDRegions.h"
#include "QDText.h"
#include "SpErrorInfoSystem.h"
#include "SpListClass.h"
#include "SpListClassInternal.h"
#include "SpResourceManager.h"
#include "SpStdFunctionNumber.h"
#include "SpTextStyle.h"

using namespace sp_list_detail;

namespace {

const char kSource[] = "SpListClass";

// Paints the edge line `line` along one side of `outer`: its width in pixels inward from that
// side, in its colour; nothing when it is off or has no width.
enum class Side { kTop, kBottom, kLeft, kRight };
void PaintEdge(const sSpLineBehaviorStruct& line, const Rect& outer, Side side) {
  if (line.on == 0 || line.width <= 0) return;
  Rect r = outer;
  switch (side) {
    case Side::kTop:
      r.bottom = short(std::min<SInt32>(outer.bottom, SInt32(outer.top) + line.width));
      break;
    case Side::kBottom:
      r.top = short(std::max<SInt32>(outer.top, SInt32(outer.bottom) - line.width));
      break;
    case Side::kLeft:
      r.right = short(std::min<SInt32>(outer.right, SInt32(outer.left) + line.width));
      break;
    case Side::kRight:
      r.left = short(std::max<SInt32>(outer.left, SInt32(outer.right) - line.width));
      break;
  }
  RGBForeColor(&line.color);
  PaintRect(&r);
}

// Paints a separator band when its line is on and has a width.
void PaintLine(const sSpLineBehaviorStruct& line, const Rect& band) {
  if (line.on == 0 || line.width <= 0 || EmptyRect(&band)) return;
  RGBForeColor(&line.color);
  PaintRect(&band);
}

// A width x height box placed in `room` by one placement code for both axes: 1 left, 3 right,
// 4 top, 5 bottom, anything else centred on that axis.
Rect PlaceBox(const Rect& room, short width, short height, unsigned char position) {
  SInt32 left, top;
  if (position == kSpPositionLeft) {
    left = room.left;
  } else if (position == kSpPositionRight) {
    left = SInt32(room.right) - width;
  } else {
    left = (SInt32(room.left) + room.right - width) / 2;
  }
  if (position == kSpPositionTop) {
    top = room.top;
  } else if (position == kSpPositionBottom) {
    top = SInt32(room.bottom) - height;
  } else {
    top = (SInt32(room.top) + room.bottom - height) / 2;
  }
  return Rect{short(top), short(left), short(top + height), short(left + width)};
}

}  // namespace

// What one UpdateProc keeps while it draws: the port's clip (what is to be drawn), a region
// for each cell's data, the shared buffer of shortened texts and the view's size.
struct cLMgr_List_Base::sDrawState {
  RgnHandle clip = nullptr;
  RgnHandle dataClip = nullptr;
  Rect bounds{0, 0, 0, 0};  // the clip's bounds
  char* buffer = nullptr;
  SInt32 bufferSize = 0;
  short viewWidth = 0;
  short viewHeight = 0;
};

Boolean Sp_LM_DrawStringWithModifyStringPixWidth(const char* text, char** buffer,
                                                 SInt32& bufferSize, const Rect& rect,
                                                 Boolean modify, short type,
                                                 tPositionType horizontal, tPositionType vertical) {
  if (text == nullptr || text[0] == 0) return 0;
  if (buffer == nullptr) {
    return SpReportFailure(kSource, "Sp_LM_DrawStringWithModifyStringPixWidth", 1,
                           kSpMsgNullArgument, Boolean(0));
  }
  const std::size_t length = std::strlen(text);
  const short room = short(rect.right - rect.left);
  if (modify != 0 && TextWidth(text, 0, SInt16(std::min<std::size_t>(length, 32767))) > room) {
    const SInt32 need = SInt32(std::min<std::size_t>(length, 0x7FFFFFF0)) + 2;
    if (bufferSize < need || *buffer == nullptr) {
      if (*buffer != nullptr) DisposePtr(*buffer);
      *buffer = NewPtrClear(need);
      bufferSize = *buffer != nullptr ? need : 0;
    }
    if (*buffer != nullptr) {
      Sp_CutStringByWidth(text, room, type, *buffer);
      Sp_DrawStringInRect(*buffer, &rect, horizontal, vertical, 0, 0, 0, 0, 1, 0, 0, 0, nullptr);
      return 1;
    }
  }
  Sp_DrawStringInRect(text, &rect, horizontal, vertical, 0, 0, 0, 0, 1, 0, 0, 0, nullptr);
  return 0;
}

unsigned char cLMgr_List_Base::UpdateProc() {
  PenState pen;
  GetPenState(&pen);
  RGBColor fore, back;
  GetForeColor(&fore);
  GetBackColor(&back);
  sDrawState state;
  state.clip = NewRgn();
  state.dataClip = NewRgn();
  if (state.clip == nullptr || state.dataClip == nullptr) {
    if (state.clip != nullptr) DisposeRgn(state.clip);
    if (state.dataClip != nullptr) DisposeRgn(state.dataClip);
    return SpReportFailure(kSource, "cLMgr_List_Base::UpdateProc", 1, kSpMsgMemory,
                           static_cast<unsigned char>(0));
  }
  GetClip(state.clip);
  Rect area;
  GetDrawingAreaOnWindow(&area);
  state.viewWidth = short(area.right - area.left);
  state.viewHeight = short(area.bottom - area.top);
  const SInt32 offsetH = Offset(0), offsetV = Offset(1);
  RgnHandle widened = nullptr;  // the port's own clip while a wider one is in use
  if (offsetH != drawnOffsetH_ || offsetV != drawnOffsetV_) {
    // The view moved its image by its own scroll step, not by the list's: all it shows is
    // drawn.
    const short h = ViewScrollValue(0), v = ViewScrollValue(1);
    const Rect shown = {v, h, ClampToShort(SInt32(v) + state.viewHeight),
                        ClampToShort(SInt32(h) + state.viewWidth)};
    widened = NewRgn();
    if (widened != nullptr) {
      GetClip(widened);
      RectRgn(state.clip, &shown);
      SetClip(state.clip);
    }
    drawnOffsetH_ = offsetH;
    drawnOffsetV_ = offsetV;
  }
  GetRegionBounds(state.clip, &state.bounds);

  // Rows above and below the clip draw nothing that shows: the walk starts at the first row
  // reaching into it and stops past it. Only these rows are put into content coordinates.
  for (cLMgr_CellRoot* row = FirstLineEndingAfter(true, ToList(1, state.bounds.top));
       row != nullptr; row = row->GetNextObjectPtr()) {
    const Rect band = LineBand(true, row->outerStart, row->outerEnd);
    if (RectInRgn(&band, state.clip)) {
      for (sLMgr_Cell* c = row->cells; c != nullptr; c = c->rowNext) {
        cLMgr_CellRoot* column = c->columnRoot;
        const Rect outer =
            ViewRect(row->outerStart, column->outerStart, row->outerEnd, column->outerEnd);
        if (RectInRgn(&outer, state.clip)) {
          const Rect inner =
              ViewRect(row->innerStart, column->innerStart, row->innerEnd, column->innerEnd);
          DrawCell(c, outer, inner, state);
        }
        if (outer.right >= state.bounds.right) break;
      }
    }
    DrawLines(true, row, state);
    if (band.bottom >= state.bounds.bottom) break;
  }
  for (cLMgr_CellRoot* column = columnRoots_; column != nullptr;
       column = column->GetNextObjectPtr()) {
    const Rect band = LineBand(false, column->outerStart, column->outerEnd);
    if (RectInRgn(&band, state.clip)) DrawLines(false, column, state);
  }
  if (state.bounds.right - state.bounds.left >= state.viewWidth &&
      state.bounds.bottom - state.bounds.top >= state.viewHeight) {
    drawnWhole_ = 1;
  }

  SetClip(widened != nullptr ? widened : state.clip);
  if (widened != nullptr) DisposeRgn(widened);
  RGBForeColor(&fore);
  RGBBackColor(&back);
  SetPenState(&pen);
  DisposeRgn(state.clip);
  DisposeRgn(state.dataClip);
  if (state.buffer != nullptr) DisposePtr(state.buffer);
  return 1;
}

void cLMgr_List_Base::DrawCell(sLMgr_Cell* cell, const Rect& outer, const Rect& inner,
                               sDrawState& state) {
  const sLMgrCellBehaviorStruct& b = cell->behavior;
  if (b.backgroundOn != 0) {
    RGBForeColor(&b.backColor);
    PaintRect(&outer);
  }
  if (cell->backgroundProc != nullptr) {
    Rect r = inner;
    cell->backgroundProc(this, cell, r, cell->backgroundRefCon);
  }
  if (cell->inUse != 0 && cell->kind != kLMgrNoData) {
    Rect data = inner;
    InsetRect(&data, b.horizontalInset, b.verticalInset);
    RectRgn(state.dataClip, &data);
    SectRgn(state.dataClip, state.clip, state.dataClip);
    SetClip(state.dataClip);
    RGBForeColor(&b.foreColor);
    TextFont(b.fontNo);
    TextFace(StyleParameter(b.textFace));
    TextSize(b.textSize);
    DrawCellData(cell, data, state);
    SetClip(state.clip);
  }
  PenState pen;
  GetPenState(&pen);
  PenSize(1, 1);
  PaintEdge(b.topLine, outer, Side::kTop);
  PaintEdge(b.bottomLine, outer, Side::kBottom);
  PaintEdge(b.leftLine, outer, Side::kLeft);
  PaintEdge(b.rightLine, outer, Side::kRight);
  SetPenState(&pen);
  // Selected as a cell, in its row and in its column is still one inversion.
  if (cell->selected != 0 || cell->rowRoot->selected != 0 || cell->columnRoot->selected != 0) {
    InvertRect(&inner);
  }
}

void cLMgr_List_Base::DrawCellData(sLMgr_Cell* cell, const Rect& data, sDrawState& state) {
  const sLMgrCellBehaviorStruct& b = cell->behavior;
  const auto horizontal = tPositionType(b.secondPosition);
  const auto vertical = tPositionType(b.firstPosition);
  auto drawText = [&](const char* text) {
    Sp_LM_DrawStringWithModifyStringPixWidth(text, &state.buffer, state.bufferSize, data,
                                             cell->stringModifyOn, cell->stringModifyType,
                                             horizontal, vertical);
  };
  const Rect placed = PlaceBox(data, cell->drawWidth, cell->drawHeight, b.firstPosition);
  char number[kSpFloatTextSize];
  switch (cell->kind) {
    case kLMgrStringData:
      drawText(cell->string);
      break;
    case kLMgrIntegerData:
      Sp_NumberToString(cell->value, number);
      drawText(number);
      break;
    case kLMgrFloatData:
      if (cell->floatTwoArgs != 0) {
        Sp_FloatToString2(cell->floatValue, number, cell->floatDigits, cell->floatMinDecimals);
      } else {
        Sp_FloatToString(cell->floatValue, number, cell->floatDigits);
      }
      drawText(number);
      break;
    case kLMgrPictureData:
      if (cell->picture != nullptr) {
        cell->picture->DrawPicuterOnCurrentPort(placed, 0, state.dataClip, 0, 0);
      }
      break;
    case kLMgrCIconData:
      if (cell->cIcon != nullptr) {
        PlotCIconHandle(&placed, kAlignAbsoluteCenter, kTransformNone, cell->cIcon);
      }
      break;
    case kLMgrIconSuiteData:
      if (cell->iconSuite != nullptr) {
        PlotIconSuite(&placed, kAlignAbsoluteCenter, kTransformNone, cell->iconSuite);
      }
      break;
    default:
      break;
  }
}

// The separators of a line across the list: a row's run along the content's width, a
// column's down the view's visible height.
void cLMgr_List_Base::DrawLines(Boolean rows, cLMgr_CellRoot* line, sDrawState& state) {
  if (rows != 0) {
    PaintLine(line->startLine, LineBand(true, line->outerStart, line->innerStart));
    PaintLine(line->endLine, LineBand(true, line->innerEnd, line->outerEnd));
    return;
  }
  const short top = ViewScrollValue(1);
  const short bottom = ClampToShort(SInt32(top) + state.viewHeight);
  const Rect start = LineBand(false, line->outerStart, line->innerStart);
  const Rect end = LineBand(false, line->innerEnd, line->outerEnd);
  PaintLine(line->startLine, Rect{top, start.left, bottom, start.right});
  PaintLine(line->endLine, Rect{top, end.left, bottom, end.right});
}

void cLMgr_List_Base::DrawOneCell(short column, short row) {
  sLMgr_Cell* cell = SerchTargetCell(column, row, 0);
  if (cell != nullptr) DrawOneCell(cell);
}

void cLMgr_List_Base::DrawOneCell(sLMgr_Cell* cell) {
  if (cell == nullptr || cell->rowRoot == nullptr || cell->columnRoot == nullptr) {
    SpReportFailure(kSource, "cLMgr_List_Base::DrawOneCell", 1, kSpMsgNullArgument);
    return;
  }
  Rect onWindow, visible;
  const Point at = {cell->rowRoot->lineNo, cell->columnRoot->lineNo};
  if (GetCellArea(at, nullptr, nullptr, &onWindow) == 0) return;
  if (GetViewableDrawingAreaOnWindow(visible) != 0 && SectRect(&visible, &onWindow, &onWindow)) {
    SetupModifyDrawingRectAndFlag(&onWindow, 1);
    ReDrawAreaUpdateView(0);
  }
  if (drawnWhole_ != 0) {
    ClearViewClippingArea();
  } else {
    drawnWhole_ = 1;
  }
}
