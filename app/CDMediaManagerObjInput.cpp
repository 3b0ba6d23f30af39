// Keys and clicks in the media window: the raw-key handler with its table of keys, the mouse
// callbacks of the list with the open triangle of a CD row, the choice on a double click
// between saving into one file and into each file, and ejecting the selected CD.
#include "CDMediaManagerObj.h"
#include "SpCDROMProgram.h"
#include "SpCDR_ProgramItemObj.h"
#include "SpCarbonEventHandlers.h"
#include "SpListClass.h"
#include "SpOC_ScrollBarControl.h"
#include "SpStdFunctionNumber.h"
#include "SpViewClass.h"

namespace {

const char kSource[] = "CDMediaManagerObj";

enum : char {
  kEnterKey = 3,
  kBackspaceKey = 8,
  kPageUpKey = 11,
  kPageDownKey = 12,
  kReturnKey = 13,
  kEscapeKey = 27,
  kLeftArrowKey = 28,
  kRightArrowKey = 29,
  kUpArrowKey = 30,
  kDownArrowKey = 31,
  kPeriodKey = 46,
  kLetterAKey = 97,
  kCapitalAKey = 65,
  kForwardDeleteKey = 127,
};

// Option held without Command, Shift or Control.
bool OptionOnly(const sSpModifiersDataStruct& flags) {
  return flags.optionFlag && !flags.commandFlag && !flags.shiftFlag && !flags.controlFlag;
}

}  // namespace

// ---- Keys
// ----------------------------------------------------------------------------------------

unsigned char cCDR_MediaManager::CatchRawKeyEventForOSXCarbonEventCB(char key, SInt32 modifiers) {
  sSpModifiersDataStruct flags = {};
  Sp_ModifiersValueToModifiersDataInfo(short(modifiers), flags);
  const bool saving = IsSaveRunning();
  const bool selected = firstSelection_ != nullptr;
  switch (key) {
    case kReturnKey:
    case kEnterKey:
      if (saving || !selected) return 0;
      SaveFileInMultiTypeFormat();
      return 1;
    case kBackspaceKey:
    case kForwardDeleteKey:
      if (!saving && selected) CatchSubMusicFileButtonUpCompleatedCB();
      return 0;
    case kPageUpKey:
    case kPageDownKey:
      if (mediaList_ != nullptr &&
          mediaList_->PageScroll(key == kPageUpKey ? -1 : 1, 0, 1, 1, 1, 1) &&
          scrollBar_ != nullptr) {
        scrollBar_->SetupScrollValueFromTargetView(0, 1, 0, 1);
      }
      return 0;
    case kEscapeKey:
      if (!saving) return 0;
      saveProgram->StopSaveProgram();
      return 1;
    case kPeriodKey:
      if (!saving || !flags.commandFlag) return 0;
      saveProgram->StopSaveProgram();
      return 1;
    case kLeftArrowKey:
    case kRightArrowKey:
    case kUpArrowKey:
    case kDownArrowKey:
      if (!saving) MoveSelectionByArrow(key);
      return 0;
    case kLetterAKey:
    case kCapitalAKey:  // the letter as the keyboard gives it with Shift held
      if (flags.commandFlag && !flags.optionFlag && !flags.controlFlag) {
        if (!flags.shiftFlag) {
          SelectAll(0, 1, 0);
        } else {
          ClearMediaListSelection(1);
          SetupMediaWindowStatusForMediaListSelection(1, 0);
        }
      }
      return 0;
    default:
      return 0;
  }
}

void cCDR_MediaManager::MoveSelectionByArrow(char key) {
  const short last = GetMediaItemListRowNum();
  if (last < 1) return;
  short lowest = 0, highest = 0;
  GetSelectionRowRange(lowest, highest);
  short target = 0;
  if (firstSelection_ == nullptr) {
    target = (key == kDownArrowKey || key == kLeftArrowKey) ? 1 : last;
  } else if (key == kLeftArrowKey) {
    target = 1;
  } else if (key == kRightArrowKey) {
    target = last;
  } else if (key == kUpArrowKey) {
    target = std::max<short>(short(lowest - 1), 1);
  } else {
    target = std::min<short>(short(highest + 1), last);
  }
  const bool single = firstSelection_ != nullptr && firstSelection_ == lastSelection_;
  if (!single || firstSelection_->GetRow() != target) {
    cCDR_MediaItem* item = nullptr;
    cSp_CDRProgramItemObj* track = nullptr;
    if (SerchTargetMediaItemListItem(target, &item, &track)) {
      SetupMediaListItemSelection(target, item, track, 1);
    }
  }
  OutputSelectionItemOnMediaItemList(1);
}

// ---- Mouse in the list
// -----------------------------------------------------------------------------

void cCDR_MediaManager::CatchMediaItemListMouseDownCB(Point cell, short modifiers) {
  trianglePressing_ = triangleInside_ = 0;
  triangleItem_ = nullptr;
  const short row = cell.v;
  cCDR_MediaItem* item = nullptr;
  cSp_CDRProgramItemObj* track = nullptr;
  if (!SerchTargetMediaItemListItem(row, &item, &track)) {
    short now = 0;
    sSpModifiersDataStruct held = {};
    Sp_GetModifiers(&now, &held);
    if (!held.shiftFlag) ClearMediaListSelection(1);
    SetupMediaWindowStatusForMediaListSelection(1, 0);
    return;
  }
  const short type = item->GetProgram() != nullptr ? item->GetProgram()->GetProgramType() : 0;
  if (cell.h == kCDR_OpenColumn && track == nullptr &&
      (type == kSpProgramTypeCD || type == kSpProgramTypeMixed)) {
    trianglePressing_ = triangleInside_ = 1;
    triangleCell_ = cell;
    triangleItem_ = item;
    triangleProgramType_ = type;
    if (mediaList_ != nullptr) mediaList_->DrawOneCell(kCDR_OpenColumn, row);
    SetupMediaWindowStatusForMediaListSelection(1, 0);
    return;
  }
  const bool plain = (modifiers & (cmdKey | shiftKey | optionKey | controlKey)) == 0;
  if (!(plain && IsRowSelected(row))) SetupMediaListSelectionFromRowNo(row, modifiers, 1, 1);
  SetupMediaWindowStatusForMediaListSelection(1, 0);
}

void cCDR_MediaManager::CatchMediaItemListMouseMoveCB(unsigned char inside, Point cell, short) {
  if (trianglePressing_ == 0 || mediaList_ == nullptr) return;
  const bool onPressed = inside != 0 && cell.h == kCDR_OpenColumn && cell.v == triangleCell_.v;
  if (onPressed == (triangleInside_ != 0)) return;
  triangleInside_ = onPressed ? 1 : 0;
  mediaList_->DrawOneCell(kCDR_OpenColumn, triangleCell_.v);
  if (triangleProgramType_ == kSpProgramTypeCD) {
    mediaList_->SetupPictData(kCDR_IconColumn, triangleCell_.v, 511, 512, 16, 16, 1);
  }
}

void cCDR_MediaManager::CatchMediaItemListMouseUpCB(unsigned char inside, Point cell, short) {
  if (trianglePressing_ == 0) return;
  cCDR_MediaItem* item = triangleItem_;
  const short row = triangleCell_.v;
  const bool toggle = inside != 0 && cell.h == kCDR_OpenColumn && cell.v == row && item != nullptr;
  trianglePressing_ = triangleInside_ = 0;
  triangleItem_ = nullptr;
  if (!toggle) {
    if (mediaList_ != nullptr) mediaList_->DrawOneCell(kCDR_OpenColumn, row);
    return;
  }
  ChangeMediaItemListSelectionBehaiviorForAllSelection(0, 0);
  item->SetupOpenFlag(item->IsOpen() ? 0 : 1);
  ModifyMediaListRowFromSelectedItem();
  ResetMedialist(0);
  ChangeMediaItemListSelectionBehaiviorForAllSelection(1, 0);
  Sp_RedrawViewWindow(GetWindowRef(), 0);
}

void cCDR_MediaManager::CatchItemListClickCB(Point cell) {
  if (cell.h == kCDR_IconColumn) return;
  lastClickCell_ = IsRowSelected(cell.v) ? cell : Point{0, 0};
}

void cCDR_MediaManager::CatchItemListDblClickCB(Point cell) {
  if (cell.h == kCDR_OpenColumn || cell.h == kCDR_IconColumn || firstSelection_ == nullptr) return;
  if (!IsRowSelected(cell.v) || lastClickCell_.v != cell.v || lastClickCell_.h != cell.h) return;
  short modifiers = 0;
  sSpModifiersDataStruct held = {};
  Sp_GetModifiers(&modifiers, &held);
  DoubleClick(modifiers, cell);
}

void cCDR_MediaManager::DoubleClick(short modifiers, Point) {
  sSpModifiersDataStruct flags = {};
  Sp_ModifiersValueToModifiersDataInfo(modifiers, flags);
  if (OptionOnly(flags) && GetEachItemCountForMultiFileIntoEachFile() > 1) {
    SaveFileInMultiTypeFormatIntoEachFile();
  } else {
    SaveFileInMultiTypeFormat();
  }
}

SInt32 cCDR_MediaManager::GetEachItemCountForMultiFileIntoEachFile() {
  SInt32 count = 0;
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr; e = e->GetNextObjectPtr()) {
    cSp_CDRProgramBaseObj* program = e->GetMediaItem()->GetProgram();
    if (e->IsWholeItem() && program != nullptr && !program->IsOneFileProgram(nullptr, nullptr)) {
      count += program->GetItemCount();
    } else {
      ++count;
    }
  }
  return count;
}

unsigned char cCDR_MediaManager::EjectSelectionCDMediaItem() {
  for (cCDR_SelectionMediaItem* e = firstSelection_; e != nullptr; e = e->GetNextObjectPtr()) {
    cSp_CDRProgramBaseObj* program = e->GetMediaItem()->GetProgram();
    if (program != nullptr && program->GetProgramType() == kSpProgramTypeCD) {
      return CDRObj_EjectButtonProcWithMediaItemObj(0, e->GetMediaItem());
    }
  }
  return 0;
}

bool cCDR_MediaManager::IsTrianglePressedInside(const cCDR_MediaItem* item) const {
  return trianglePressing_ != 0 && triangleInside_ != 0 && triangleItem_ == item;
}

// ---- Static procedures
// -----------------------------------------------------------------------------

OSStatus CDRObj_CatchRawKeyEventForOSXCarbonEventCB(EventHandlerCallRef, EventRef event,
                                                    void* userData) {
  char key = 0;
  UInt32 modifiers = 0;
  if (userData == nullptr || !Sp_GetRawKeyCharAndModifiers(event, key, modifiers)) {
    return eventNotHandledErr;
  }
  auto* manager = static_cast<cCDR_MediaManager*>(userData);
  if (manager->CatchRawKeyEventForOSXCarbonEventCB(key, SInt32(modifiers))) return noErr;
  return eventNotHandledErr;
}

void CDRObj_MediaItemListClickProc(Point cell, short, unsigned long refCon) {
  if (cCDR_MediaManager* m = CDRMM_ManagerOfRefCon(refCon, "CDRObj_MediaItemListClickProc")) {
    m->CatchItemListClickCB(cell);
  }
}

void CDRObj_MediaItemListDblClickProc(Point cell, short, unsigned long refCon) {
  if (cCDR_MediaManager* m = CDRMM_ManagerOfRefCon(refCon, "CDRObj_MediaItemListDblClickProc")) {
    m->CatchItemListDblClickCB(cell);
  }
}

void CDRObj_CatchMediaWindMediaItemListMouseDownCB(Point cell, short modifiers,
                                                   unsigned long refCon) {
  if (cCDR_MediaManager* m =
          CDRMM_ManagerOfRefCon(refCon, "CDRObj_CatchMediaWindMediaItemListMouseDownCB")) {
    m->CatchMediaItemListMouseDownCB(cell, modifiers);
  }
}

void CDRObj_CatchMediaWindMediaItemListMouseMoveCB(Boolean inside, Point cell, short modifiers,
                                                   unsigned long refCon) {
  if (cCDR_MediaManager* m =
          CDRMM_ManagerOfRefCon(refCon, "CDRObj_CatchMediaWindMediaItemListMouseMoveCB")) {
    m->CatchMediaItemListMouseMoveCB(inside, cell, modifiers);
  }
}

void CDRObj_CatchMediaWindMediaItemListMouseUpCB(Boolean inside, Point cell, short modifiers,
                                                 unsigned long refCon) {
  if (cCDR_MediaManager* m =
          CDRMM_ManagerOfRefCon(refCon, "CDRObj_CatchMediaWindMediaItemListMouseUpCB")) {
    m->CatchMediaItemListMouseUpCB(inside, cell, modifiers);
  }
}
