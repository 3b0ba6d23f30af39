#include <cstring>

#include "SpErrorInfoSystem.h"
#include "SpListClass.h"
#include "SpResourceManager.h"

namespace {

const char kSource[] = "SpListClass";

}  // namespace

// What a data setter hands to SetupDataIntoCell; each kind reads its own fields.
struct cLMgr_List_Base::sCellData {
  const char* text = nullptr;  // kind 1
  SInt32 value = 0;            // kind 2; the resource id of kinds 5 and 7
  float floatValue = 0;        // kind 4
  Handle iconSuite = nullptr;  // kind 9
  short transmitId = 0;        // kind 5: the see-through picture, 0 for none
  short width = 0;             // kinds 5, 7, 9: the size drawn
  short height = 0;
};

// ---- Marking --------------------------------------------------------------------------------

void cLMgr_List_Base::MarkContentRect(const Rect& rect) {
  Rect onWindow, visible;
  OffscreenAreaToOnWindowArea(rect, onWindow);
  if (GetViewableDrawingAreaOnWindow(visible) == 0 || !SectRect(&visible, &onWindow, &onWindow)) {
    return;
  }
  SetupModifyDrawingRectAndFlag(&onWindow, 1);
}

void cLMgr_List_Base::MarkLineOrCell(short column, short row) {
  cLMgr_CellRoot* c = FindLine(false, column);
  cLMgr_CellRoot* r = FindLine(true, row);
  if ((column > 0 && c == nullptr) || (row > 0 && r == nullptr)) return;
  MarkContentRect(ViewRect(r != nullptr ? r->outerStart : 0, c != nullptr ? c->outerStart : 0,
                           r != nullptr ? r->outerEnd : areaHeight_,
                           c != nullptr ? c->outerEnd : areaWidth_));
}

void cLMgr_List_Base::ShowChangedCell(sLMgr_Cell* cell, Boolean redraw) {
  if (redraw != 0) {
    DrawOneCell(cell);
    return;
  }
  Rect outer;
  const Point at = {cell->rowRoot->lineNo, cell->columnRoot->lineNo};
  if (GetCellArea(at, &outer, nullptr, nullptr) != 0) MarkContentRect(outer);
}

// ---- Data -----------------------------------------------------------------------------------

bool cLMgr_List_Base::SameData(const sLMgr_Cell* cell, const sCellData& data, tCellDataType kind) {
  if (cell->kind != kind) return false;
  switch (kind) {
    case kLMgrStringData:
      return cell->string != nullptr && data.text != nullptr &&
             std::strcmp(cell->string, data.text) == 0;
    case kLMgrIntegerData:
      return cell->value == data.value;
    case kLMgrFloatData:
      return cell->floatValue == data.floatValue;
    case kLMgrPictureData:
    case kLMgrCIconData:
      return cell->value == data.value && cell->drawWidth == data.width &&
             cell->drawHeight == data.height;
    case kLMgrIconSuiteData:
      return cell->iconSuite == data.iconSuite && cell->drawWidth == data.width &&
             cell->drawHeight == data.height;
    default:
      return false;
  }
}

Boolean cLMgr_List_Base::StoreData(sLMgr_Cell* cell, const sCellData& data, tCellDataType kind) {
  switch (kind) {
    case kLMgrStringData: {
      if (data.text == nullptr) {
        kind = kLMgrNoData;
        break;
      }
      // Without memory for the copy the cell stays a text cell that draws nothing.
      const std::size_t length = std::strlen(data.text);
      cell->string = NewPtrClear(Size(length + 2));
      if (cell->string != nullptr) std::memcpy(cell->string, data.text, length);
      break;
    }
    case kLMgrIntegerData:
      cell->value = data.value;
      break;
    case kLMgrFloatData:
      cell->floatValue = data.floatValue;
      break;
    case kLMgrPictureData:
      cell->picture = Sp_ResM_GetPictureItemObject(short(data.value), cell->resourceUserRef);
      if (cell->picture == nullptr) return 0;
      if (data.transmitId != 0) cell->picture->SetupTransmitPicture(data.transmitId);
      cell->value = data.value;
      break;
    case kLMgrCIconData:
      if (Sp_ResM_GetCIconHandle(short(data.value), &cell->cIcon, &cell->resourceUserRef) == 0) {
        return 0;
      }
      cell->value = data.value;
      break;
    case kLMgrIconSuiteData:
      cell->iconSuite = data.iconSuite;
      break;
    default:
      kind = kLMgrNoData;
      break;
  }
  cell->drawWidth = data.width;
  cell->drawHeight = data.height;
  cell->kind = kind;
  return 1;
}

Boolean cLMgr_List_Base::SetupDataIntoCell(short column, short row, const sCellData& data,
                                           tCellDataType kind, Boolean redraw,
                                           sLMgr_Cell** cellOut) {
  sLMgr_Cell* cell = SerchTargetCell(column, row, 1);
  if (cellOut != nullptr) *cellOut = cell;
  if (cell == nullptr) return 0;
  if (SameData(cell, data, kind)) return 0;
  ClearTargetCellData(cell, 0);
  // A resource that cannot be had leaves the cell empty, which is shown as well.
  const Boolean stored = StoreData(cell, data, kind);
  if (IsEnableView() != 0) ShowChangedCell(cell, redraw);
  return stored;
}

Boolean cLMgr_List_Base::SetupData(short column, short row, short value, Boolean redraw) {
  return SetupData(column, row, SInt32(value), redraw);
}

Boolean cLMgr_List_Base::SetupData(short column, short row, SInt32 value, Boolean redraw) {
  sCellData data;
  data.value = value;
  return SetupDataIntoCell(column, row, data, kLMgrIntegerData, redraw, nullptr);
}

Boolean cLMgr_List_Base::SetupData(short column, short row, float value, Boolean redraw) {
  sCellData data;
  data.floatValue = value;
  return SetupDataIntoCell(column, row, data, kLMgrFloatData, redraw, nullptr);
}

Boolean cLMgr_List_Base::SetupStringData(short column, short row, const char* text,
                                         Boolean redraw) {
  sCellData data;
  data.text = text;
  return SetupDataIntoCell(column, row, data, kLMgrStringData, redraw, nullptr);
}

// Pictures and icons answer whether the cell exists, whatever became of their data.
Boolean cLMgr_List_Base::SetupImageData(short column, short row, sCellData& data,
                                        tCellDataType kind, short width, short height,
                                        Boolean redraw) {
  data.width = width;
  data.height = height;
  sLMgr_Cell* cell = nullptr;
  SetupDataIntoCell(column, row, data, kind, redraw, &cell);
  return cell != nullptr ? 1 : 0;
}

Boolean cLMgr_List_Base::SetupPictData(short column, short row, short pictId, short transmitPictId,
                                       short width, short height, Boolean redraw) {
  sCellData data;
  data.value = pictId;
  data.transmitId = transmitPictId;
  return SetupImageData(column, row, data, kLMgrPictureData, width, height, redraw);
}

Boolean cLMgr_List_Base::SetupCIconData(short column, short row, short cicnId, short width,
                                        short height, Boolean redraw) {
  sCellData data;
  data.value = cicnId;
  return SetupImageData(column, row, data, kLMgrCIconData, width, height, redraw);
}

Boolean cLMgr_List_Base::SetupIconSuiteHandleData(short column, short row, Handle iconSuite,
                                                  short width, short height, Boolean redraw) {
  sCellData data;
  data.iconSuite = iconSuite;
  return SetupImageData(column, row, data, kLMgrIconSuiteData, width, height, redraw);
}

Boolean cLMgr_List_Base::SetupCellBackgroundDrawingCallback(short column, short row,
                                                            tLMgrCellBackgroundDrawProcPtr proc,
                                                            unsigned long refCon) {
  sLMgr_Cell* cell = SerchTargetCell(column, row, proc != nullptr ? 1 : 0);
  if (cell == nullptr) return 0;
  // The procedure draws from its client's state, which the list cannot see change: setting
  // it (again) is how the client says the cell looks different now.
  const bool changed = cell->backgroundProc != proc || cell->backgroundRefCon != refCon;
  cell->backgroundProc = proc;
  cell->backgroundRefCon = refCon;
  if (changed || proc != nullptr) ShowChangedCell(cell, 0);
  return 1;
}

// ---- Clearing -------------------------------------------------------------------------------

Boolean cLMgr_List_Base::ClearTargetCellData(sLMgr_Cell* cell, Boolean invalidate) {
  if (cell == nullptr) {
    return SpReportFailure(kSource, "cLMgr_List_Base::ClearTargetCellData", 1, kSpMsgNullArgument,
                           Boolean(0));
  }
  Boolean visible = 1;
  switch (cell->kind) {
    case kLMgrStringData:
      visible = (cell->string != nullptr && cell->string[0] != 0) ? 1 : 0;
      if (cell->string != nullptr) DisposePtr(cell->string);
      cell->string = nullptr;
      break;
    case kLMgrPictureData:
      visible = cell->picture != nullptr ? 1 : 0;
      if (cell->picture != nullptr) Sp_ResM_ReleasePicture(cell->picture, cell->resourceUserRef);
      cell->picture = nullptr;
      cell->value = cell->resourceUserRef = 0;
      break;
    case kLMgrCIconData:
      visible = cell->cIcon != nullptr ? 1 : 0;
      if (cell->cIcon != nullptr) Sp_ResM_ReleaseCIcon(short(cell->value), cell->resourceUserRef);
      cell->cIcon = nullptr;
      cell->value = cell->resourceUserRef = 0;
      break;
    case kLMgrIconSuiteData:
      // The suite is its owner's; only the cell lets go of it. The icon leaves the screen
      // all the same.
      visible = cell->iconSuite != nullptr ? 1 : 0;
      cell->iconSuite = nullptr;
      break;
    case 6:
    case 8:
      visible = 0;
      break;
    default:
      break;
  }
  cell->kind = kLMgrNoData;
  if (visible != 0 && invalidate != 0) ShowChangedCell(cell, 0);
  return visible;
}

Boolean cLMgr_List_Base::ClearDataInCell(short column, short row, Boolean redraw) {
  sLMgr_Cell* cell = SerchTargetCell(column, row, 0);
  if (cell == nullptr) return 0;
  const Boolean cleared = ClearTargetCellData(cell, redraw == 0 ? 1 : 0);
  if (redraw != 0 && cleared != 0) DrawOneCell(cell);
  return 1;
}

void cLMgr_List_Base::ClearDataInRow(short first, short count, Boolean redraw) {
  ClearDataInLines(true, first, count, redraw);
}

void cLMgr_List_Base::ClearDataInCol(short first, short count, Boolean redraw) {
  ClearDataInLines(false, first, count, redraw);
}

// The cleared band is shown at once or marked: cells cleared but not redrawn would go on
// showing their old data.
void cLMgr_List_Base::ClearDataInLines(Boolean rows, short first, short count, Boolean redraw) {
  if (count == 0) return;
  cLMgr_CellRoot* line = StartLine(rows, first);
  if (line == nullptr) return;
  const SInt32 from = line->outerStart;
  SInt32 to = from;
  for (short n = 0; line != nullptr && (count < 0 || n < count); ++n) {
    for (sLMgr_Cell* c = line->cells; c != nullptr; c = line->NextCellOnLine(c)) {
      ClearTargetCellData(c, 0);
    }
    to = line->outerEnd;
    line = line->GetNextObjectPtr();
  }
  MarkContentRect(LineBand(rows, from, to));
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

// ---- Colours, font, size and behaviour ------------------------------------------------------

// The cell (made when missing) takes the change, is marked and, with redraw, drawn at once.
template <class Change>
Boolean cLMgr_List_Base::ChangeCell(short column, short row, Boolean redraw, Change change) {
  sLMgr_Cell* cell = SerchTargetCell(column, row, 1);
  if (cell == nullptr) return 0;
  change(cell->behavior);
  ShowChangedCell(cell, redraw);
  return 1;
}

Boolean cLMgr_List_Base::SetCellForeColor(short column, short row, const RGBColor* color,
                                          Boolean redraw) {
  if (color == nullptr) {
    return SpReportFailure(kSource, "cLMgr_List_Base::SetCellForeColor", 1, kSpMsgNullArgument,
                           Boolean(0));
  }
  return ChangeCell(column, row, redraw,
                    [color](sLMgrCellBehaviorStruct& b) { b.foreColor = *color; });
}

Boolean cLMgr_List_Base::SetCellBackColor(short column, short row, const RGBColor* color,
                                          Boolean redraw) {
  if (color == nullptr) {
    return SpReportFailure(kSource, "cLMgr_List_Base::SetCellBackColor", 1, kSpMsgNullArgument,
                           Boolean(0));
  }
  return ChangeCell(column, row, redraw, [color](sLMgrCellBehaviorStruct& b) {
    b.backColor = *color;
    b.backgroundOn = 1;
  });
}

Boolean cLMgr_List_Base::SetCellStringSize(short column, short row, short size, Boolean redraw) {
  return ChangeCell(column, row, redraw, [size](sLMgrCellBehaviorStruct& b) { b.textSize = size; });
}

Boolean cLMgr_List_Base::GetCellStringSize(short column, short row, short* size) {
  sLMgr_Cell* cell = SerchTargetCell(column, row, 0);
  if (cell == nullptr || size == nullptr) return 0;
  *size = cell->behavior.textSize;
  return 1;
}

// The list default and every row and column root take the change; cells keep theirs.
template <class Change>
static void ChangeDefaults(sLMgrCellBehaviorStruct& listDefault, cLMgr_CellRoot* rows,
                           cLMgr_CellRoot* columns, Change change) {
  change(listDefault);
  for (cLMgr_CellRoot* r = rows; r != nullptr; r = r->GetNextObjectPtr()) change(r->behavior);
  for (cLMgr_CellRoot* c = columns; c != nullptr; c = c->GetNextObjectPtr()) change(c->behavior);
}

void cLMgr_List_Base::SetDefaultForeColor(const RGBColor* color) {
  if (color == nullptr) return;
  ChangeDefaults(defaultBehavior_, rowRoots_, columnRoots_,
                 [color](sLMgrCellBehaviorStruct& b) { b.foreColor = *color; });
}

void cLMgr_List_Base::SetDefaultBackColor(const RGBColor* color) {
  if (color == nullptr) return;
  ChangeDefaults(defaultBehavior_, rowRoots_, columnRoots_, [color](sLMgrCellBehaviorStruct& b) {
    b.backColor = *color;
    b.backgroundOn = 1;
  });
}

void cLMgr_List_Base::SetDefaultFont(short fontNo) {
  ChangeDefaults(defaultBehavior_, rowRoots_, columnRoots_,
                 [fontNo](sLMgrCellBehaviorStruct& b) { b.fontNo = fontNo; });
}

void cLMgr_List_Base::SetDefaultStringSize(short size) {
  ChangeDefaults(defaultBehavior_, rowRoots_, columnRoots_,
                 [size](sLMgrCellBehaviorStruct& b) { b.textSize = size; });
}

void cLMgr_List_Base::SetDefaultCellBehavior(const sLMgrCellBehaviorStruct* behavior) {
  if (behavior == nullptr) return;
  ChangeDefaults(defaultBehavior_, rowRoots_, columnRoots_,
                 [behavior](sLMgrCellBehaviorStruct& b) { b = *behavior; });
}

// A line's record and every cell of the line.
static void SetLineBehavior(cLMgr_CellRoot* line, const sLMgrCellBehaviorStruct& behavior) {
  line->behavior = behavior;
  for (sLMgr_Cell* c = line->cells; c != nullptr; c = line->NextCellOnLine(c))
    c->behavior = behavior;
}

Boolean cLMgr_List_Base::SetCellBehaviorData(short column, short row,
                                             const sLMgrCellBehaviorStruct* behavior,
                                             Boolean redraw) {
  if (behavior == nullptr) {
    return SpReportFailure(kSource, "cLMgr_List_Base::SetCellBehaviorData", 1, kSpMsgNullArgument,
                           Boolean(0));
  }
  if (column < 0 || row < 0 || column > columnCount_ || row > rowCount_) return 0;
  bool found = true;
  if (column > 0 && row > 0) {
    sLMgr_Cell* cell = SerchTargetCell(column, row, 0);
    found = cell != nullptr;
    if (found) cell->behavior = *behavior;
  } else if (column > 0 || row > 0) {
    cLMgr_CellRoot* line = column > 0 ? FindLine(false, column) : FindLine(true, row);
    found = line != nullptr;
    if (found) SetLineBehavior(line, *behavior);
  } else {
    defaultBehavior_ = *behavior;
    for (cLMgr_CellRoot* r = rowRoots_; r != nullptr; r = r->GetNextObjectPtr()) {
      SetLineBehavior(r, *behavior);
    }
    for (cLMgr_CellRoot* c = columnRoots_; c != nullptr; c = c->GetNextObjectPtr()) {
      c->behavior = *behavior;
    }
  }
  if (found) {
    MarkLineOrCell(column, row);
    if (redraw != 0) ReDrawAreaUpdateView(0);
  }
  return 1;
}

Boolean cLMgr_List_Base::GetCellBehaviorData(short column, short row,
                                             sLMgrCellBehaviorStruct* behavior) {
  if (behavior == nullptr) return 0;
  *behavior = sLMgrCellBehaviorStruct{};
  if (column < 0 || row < 0 || column > columnCount_ || row > rowCount_) return 0;
  const sLMgrCellBehaviorStruct* source = &defaultBehavior_;
  if (column > 0 && row > 0) {
    sLMgr_Cell* cell = SerchTargetCell(column, row, 0);
    source = cell != nullptr ? &cell->behavior : nullptr;
  } else if (column > 0 || row > 0) {
    cLMgr_CellRoot* line = column > 0 ? FindLine(false, column) : FindLine(true, row);
    source = line != nullptr ? &line->behavior : nullptr;
  }
  if (source == nullptr) return 0;
  *behavior = *source;
  return 1;
}

Boolean cLMgr_List_Base::GetCellBehaviorPtr(short column, short row,
                                            sLMgrCellBehaviorStruct** out) {
  if (out == nullptr) return 0;
  *out = nullptr;
  if (column == 0 && row == 0) {
    *out = &defaultBehavior_;
    return 1;
  }
  sLMgr_Cell* cell = nullptr;
  if (GetCellPtr(column, row, &cell) == 0) return 0;
  *out = &cell->behavior;
  return 1;
}

// ---- String shortening ----------------------------------------------------------------------

Boolean cLMgr_List_Base::EnableOutputStringModifyBehavior(short row, short column, short type) {
  return ChangeOutputStringModify(row, column, 1, type);
}

Boolean cLMgr_List_Base::DisableOutputStringModifyBehavior(short row, short column) {
  return ChangeOutputStringModify(row, column, 0, 0);
}

// Cells whose shortening changed are marked, as they draw differently now.
Boolean cLMgr_List_Base::ChangeOutputStringModify(short row, short column, unsigned char on,
                                                  short type) {
  auto change = [on, type](cLMgr_CellRoot* line, short cross, Boolean* changed) {
    return on != 0 ? line->EnableOutputStringModifyBehavior(cross, type, changed)
                   : line->DisableOutputStringModifyBehavior(cross, changed);
  };
  Boolean changed = 0;
  Boolean found = 0;
  if (row > 0 || column > 0) {
    cLMgr_CellRoot* line = row > 0 ? FindLine(true, row) : FindLine(false, column);
    if (line == nullptr) return 0;
    found = change(line, row > 0 ? column : row, &changed);
    if (changed != 0) MarkLineOrCell(column < 1 ? 0 : column, row < 1 ? 0 : row);
    return found;
  }
  stringModifyOn_ = on;
  if (on != 0) stringModifyType_ = type;
  for (cLMgr_CellRoot* r = rowRoots_; r != nullptr; r = r->GetNextObjectPtr()) {
    Boolean one = 0;
    change(r, -1, &one);
    changed = changed != 0 || one != 0;
  }
  if (changed != 0) MarkLineOrCell(0, 0);
  return rowRoots_ != nullptr ? 1 : 0;
}
