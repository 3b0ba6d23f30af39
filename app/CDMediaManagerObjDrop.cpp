// Sound files dropped from the file manager onto the media list: the frame and insertion line
// shown while a drag is over the list, the list's scrolling by itself while the drag waits
// above or below it, and the drop, which adds the files where the line showed.
//
// Nothing is dropped while a save runs: the save walks the media items and their programs.
// Files dropped on the rows of a CD go after the CD, never among its tracks.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "CDMediaListFile.h"
#include "CDMediaManagerObj.h"
#include "ByteOrder.h"
#include "CarbonEvents.h"
#include "Drag.h"
#include "QDRegions.h"
#include "QuickDraw.h"
#include "SpCDREngineAlert.h"
#include "SpCDR_MediaMgrObject.h"
#include "SpCDROMProgram.h"
#include "SpDragAndDrapObject.h"
#include "SpDragAndDropObject.h"
#include "SpDrawingView.h"
#include "SpListClass.h"
#include "SpMouseTraceManager.h"
#include "SpOC_ScrollBarControl.h"
#include "SpQTInterface.h"
#include "SpStdDrawingFunction.h"

namespace {

const char kSource[] = "CDMediaManagerObj";
const UInt32 kMediaListFlavor = SpFourCC("medI");
const EventTimerInterval kAutoScrollInterval = 0.4;

// A file of an 'hfs ' flavour: its volume, folder, name and file type.
struct DroppedFile {
  short vRefNum = 0;
  SInt32 dirID = 0;
  char name[64] = "";
  OSType fileType = 0;
};

bool ReadDroppedFile(cDragDataFlavor* flavor, DroppedFile& file) {
  if (flavor == nullptr) return false;
  char bytes[kHFSFlavorSize] = {};
  SInt32 size = 0;
  if (flavor->GetDragData(bytes, kHFSFlavorSize, &size, 0) != noErr || size < 12) return false;
  const UInt8* b = reinterpret_cast<const UInt8*>(bytes);
  file.fileType = sp::LoadBE32(b);
  file.vRefNum = SInt16(sp::LoadBE16(b + 10));
  file.dirID = SInt32(sp::LoadBE32(b + 12));
  const SInt32 nameRoom = size - 16;
  const SInt32 length = nameRoom > 0 ? std::min<SInt32>(b[16], std::min<SInt32>(nameRoom - 1, 63))
                                     : 0;
  if (length <= 0) return false;
  std::memcpy(file.name, b + 17, std::size_t(length));
  file.name[length] = 0;
  return true;
}

// The item's 'hfs ' flavour, or null when it has none or its 'medI' comes first.
cDragDataFlavor* FileFlavorOf(cDragDataItem* item) {
  for (cDragDataFlavor* f = item->GetFlavorItemListHeader(); f != nullptr;
       f = f->GetNextObjectPtr()) {
    UInt32 type = 0;
    f->GetDragDataFlavorType(type);
    if (type == kMediaListFlavor) return nullptr;
    if (type == kDragFlavorTypeHFS) return f;
  }
  return nullptr;
}

}  // namespace

// ---- The drop target's procedures -----------------------------------------------------------

unsigned char CDRMM_CatchCheckDropItemFlavorTypeCB(UInt32 flavorType, cDragDataFlavor* flavor,
                                                   unsigned long refCon) {
  cCDR_MediaManager* m = CDRMM_ManagerOfRefCon(refCon, "CDRMM_CatchCheckDropItemFlavorTypeCB");
  if (m == nullptr || flavorType != kDragFlavorTypeHFS) return 0;
  if (m->saveRunning != 0 || m->IsSaveRunning() || m->IsAddRunning()) return 0;
  DroppedFile file;
  if (!ReadDroppedFile(flavor, file)) return 0;
  if (m->CheckExistTargetFileOnOneFileMediaItem(file.vRefNum, file.dirID, file.name) != 0) {
    return 0;
  }
  return Sp_CheckQuickTimeSoundFile(file.vRefNum, file.dirID, file.name, file.fileType, 1) != 0;
}

void CDRMM_CatchDragCursorInCB(DragRef drag, Point localPoint, unsigned long refCon) {
  if (cCDR_MediaManager* m = CDRMM_ManagerOfRefCon(refCon, "CDRMM_CatchDragCursorInCB")) {
    m->CatchDragCursorInCB(drag, localPoint);
  }
}

void CDRMM_CatchDragCursorMoveCB(DragRef drag, Point localPoint, unsigned long refCon) {
  if (cCDR_MediaManager* m = CDRMM_ManagerOfRefCon(refCon, "CDRMM_CatchDragCursorMoveCB")) {
    m->CatchDragCursorMoveCB(drag, localPoint);
  }
}

void CDRMM_CatchDragCursorOutCB(DragRef drag, Point localPoint, unsigned long refCon) {
  if (cCDR_MediaManager* m = CDRMM_ManagerOfRefCon(refCon, "CDRMM_CatchDragCursorOutCB")) {
    m->CatchDragCursorOutCB(drag, localPoint);
  }
}

short CDRMM_CatchDragItemCB(Point localPoint, unsigned long refCon, cDragDataItem* items,
                            UInt32*) {
  cCDR_MediaManager* m = CDRMM_ManagerOfRefCon(refCon, "CDRMM_CatchDragItemCB");
  if (m == nullptr) return dragNotAcceptedErr;
  return m->CatchDragItemCB(localPoint, items) != 0 ? short(noErr) : short(dragNotAcceptedErr);
}

void CDRMM_CatchDrawMediaItemListDragCursorInFrameViewCB(unsigned long refCon, Rect* area) {
  cCDR_MediaManager* m =
      CDRMM_ManagerOfRefCon(refCon, "CDRMM_CatchDrawMediaItemListDragCursorInFrameViewCB");
  if (m != nullptr && area != nullptr) m->DrawDragFrame(*area);
}

void CDRMM_CatchDragCursorMoveInScrollAreaIdleEventCB(EventLoopTimerRef, void* refCon) {
  cCDR_MediaManager* m = CDRMM_ManagerOfRefCon(reinterpret_cast<unsigned long>(refCon),
                                               "CDRMM_CatchDragCursorMoveInScrollAreaIdleEventCB");
  if (m != nullptr) m->CatchDragCursorMoveInScrollAreaIdleEventCB();
}

// ---- Set-up ---------------------------------------------------------------------------------

void cCDR_MediaManager::SetupDropProcedures() {
  if (dropCatcher_ == nullptr) return;
  const unsigned long self = reinterpret_cast<unsigned long>(this);
  dropCatcher_->SetupCheckEnableFlavorTypeProc(CDRMM_CatchCheckDropItemFlavorTypeCB, self);
  dropCatcher_->SetupDragCursorInProc(CDRMM_CatchDragCursorInCB, self);
  dropCatcher_->SetupDragCursorMoveProc(CDRMM_CatchDragCursorMoveCB, self);
  dropCatcher_->SetupDragCursorOutProc(CDRMM_CatchDragCursorOutCB, self);
  dropCatcher_->SetupCatchDropItemsProc(CDRMM_CatchDragItemCB, self);
  if (autoScrollTimerUPP_ == nullptr) {
    autoScrollTimerUPP_ = NewEventLoopTimerUPP(CDRMM_CatchDragCursorMoveInScrollAreaIdleEventCB);
  }
}

// ---- Cursor in, move and out ------------------------------------------------------------------

void cCDR_MediaManager::CatchDragCursorInCB(DragRef drag, Point localPoint) {
  dragWasInside = 0;
  CatchDragCursorMoveCB(drag, localPoint);
}

void cCDR_MediaManager::CatchDragCursorMoveCB(DragRef, Point localPoint) {
  SetupMediaListInsertListRowFromCursorPosit(localPoint);
}

void cCDR_MediaManager::CatchDragCursorOutCB(DragRef, Point) {
  ShowDragFrame(false);
  RemoveAutoScrollTimer();
}

void cCDR_MediaManager::RemoveAutoScrollTimer() {
  if (autoScrollTimer != nullptr) RemoveEventLoopTimer(autoScrollTimer);
  autoScrollTimer = nullptr;
  autoScrollRunning = 0;
}

void cCDR_MediaManager::ShowDragFrame(bool show) {
  if (dragFrameView_ == nullptr || (dragFrameShown != 0) == show) return;
  dragFrameShown = show ? 1 : 0;
  if (show) {
    dragFrameView_->EnableViewOutput(1);
  } else {
    dragFrameView_->DisableViewOutput(1);
  }
}

short cCDR_MediaManager::LowestDropRow() {
  if (Sp_CDRomCountCDDA() <= 0) return 0;
  cCDR_MediaItem* lastCD = nullptr;
  for (cCDR_MediaItem* item = firstMediaItem_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (CDR_SelectionTypeOfItem(item) != kCDR_SelectionCDItem) break;
    lastCD = item;
  }
  if (lastCD == nullptr) return 0;
  const short row = GetMediaItemListTargetItemRowNo(lastCD, 0);
  const SInt32 tracks = lastCD->GetProgram() != nullptr ? lastCD->GetProgram()->GetItemCount() : 0;
  return lastCD->IsOpen() != 0 ? short(row + tracks) : row;
}

void cCDR_MediaManager::SetupMediaListInsertListRowFromCursorPosit(Point localPoint) {
  if (mediaList_ == nullptr) return;
  Rect area = {0, 0, 0, 0};
  mediaList_->GetDrawingAreaOnWindow(&area);
  if (localPoint.v < area.top || localPoint.v >= area.bottom) {
    if (dragWasInside == 0 || autoScrollRunning != 0 || autoScrollTimerUPP_ == nullptr) return;
    autoScrollUp = localPoint.v < area.top ? 1 : 0;
    if (InstallEventLoopTimer(GetMainEventLoop(), 0, kAutoScrollInterval, autoScrollTimerUPP_,
                              this, &autoScrollTimer) == noErr) {
      autoScrollRunning = 1;
    }
    return;
  }
  dragWasInside = 1;
  RemoveAutoScrollTimer();
  const short lowest = LowestDropRow();
  const short rows = mediaList_->GetNumOfRow();
  short row = rows;
  for (short r = 1; r <= rows; ++r) {
    Rect cell = {0, 0, 0, 0};
    if (!mediaList_->GetCellArea(Point{r, 1}, nullptr, nullptr, &cell)) continue;
    if (cell.bottom < localPoint.v) continue;
    row = localPoint.v <= short((cell.top + cell.bottom) / 2) ? short(r - 1) : r;
    break;
  }
  if (rows == 0 || row < lowest) row = lowest;
  ShowDragFrame(true);
  if (row == dropInsertRow && dropInsertRowSet) return;
  dropInsertRow = row;
  dropInsertRowSet = 1;
  dropMediaItem = nullptr;
  dropTrackItem = nullptr;
  dropTrackRefNo = 0;
  cCDR_MediaItem* item = nullptr;
  cSp_CDRProgramItemObj* track = nullptr;
  if (row > 0 && SerchTargetMediaItemListItem(row, &item, &track) != 0) {
    if (track == nullptr) {
      dropMediaItem = item;
    } else {
      dropTrackItem = track;
      dropTrackOwner = item;
      dropTrackRefNo = short(item->GetReferenceNo());
    }
  }
  if (dragFrameView_ != nullptr) dragFrameView_->DrawView(1, 0);
}

void cCDR_MediaManager::CatchDragCursorMoveInScrollAreaIdleEventCB() {
  if (mediaList_ == nullptr) return;
  short h = 0, v = 0, maxH = 0, maxV = 0;
  mediaList_->CellScroll(0, 1, autoScrollUp != 0 ? -1 : 1, 1, 1, 0, 1);
  if (scrollBar_ != nullptr) scrollBar_->SetupScrollValueFromTargetView(0, 1, 0, 1);
  mediaList_->GetScrollValue(h, v);
  mediaList_->GetViewMaxScrollValue(&maxH, &maxV);
  if ((autoScrollUp == 0 && v >= maxV) || (autoScrollUp != 0 && v <= 0)) RemoveAutoScrollTimer();
}

// ---- The drop -------------------------------------------------------------------------------

short cCDR_MediaManager::CatchDragItemCB(Point, cDragDataItem* items) {
  static const char kMethod[] = "cCDR_MediaManager::CatchDragItemCB";
  ShowDragFrame(false);
  RemoveAutoScrollTimer();
  dropInsertRowSet = 0;
  if (items == nullptr) return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, short(0));
  if (saveRunning != 0 || IsSaveRunning() || IsAddRunning()) return 0;
  // A track row stands for its CD: the files go after the CD's item.
  cCDR_MediaItem* after = dropTrackItem != nullptr ? dropTrackOwner : dropMediaItem;
  dropTrackItem = nullptr;
  dropTrackOwner = nullptr;
  const SInt32 position = after != nullptr ? after->GetMediaItemRankNo() : 0;
  const SInt32 room = kCDR_MediaListMaxCount - CountSoundFileMediaItems();
  std::vector<sCDR_PendingFile> files;
  for (cDragDataItem* item = items; item != nullptr && SInt32(files.size()) < room;
       item = item->GetNextObjectPtr()) {
    DroppedFile file;
    if (!ReadDroppedFile(FileFlavorOf(item), file)) continue;
    if (CheckExistTargetFileOnOneFileMediaItem(file.vRefNum, file.dirID, file.name) != 0) continue;
    files.push_back(sCDR_PendingFile{file.vRefNum, file.dirID, file.name});
  }
  if (files.empty()) return 0;
  BeginAddingDroppedFiles(std::move(files), position);
  return 1;
}

// ---- The frame ------------------------------------------------------------------------------

unsigned char cCDR_MediaManager::GetDragInInsertVerticalPositionOnDragCursorInFrameView(
    short& offset) {
  if (mediaList_ == nullptr || dragFrameView_ == nullptr) return 0;
  Rect list = {0, 0, 0, 0};
  mediaList_->GetDrawingAreaOnWindow(&list);
  short y = short(list.top + 2);
  if (dropInsertRow >= 1) {
    const short rows = mediaList_->GetNumOfRow();
    Rect cell = {0, 0, 0, 0};
    short bottom = 0;
    if (mediaList_->GetCellArea(Point{dropInsertRow, 1}, nullptr, nullptr, &cell)) {
      bottom = cell.bottom;
    } else if (rows > 0 && mediaList_->GetCellArea(Point{rows, 1}, nullptr, nullptr, &cell)) {
      bottom = cell.bottom;
    }
    if (bottom != 0 && dropInsertRow == rows) bottom = short(bottom - 2);
    y = bottom == 0 ? short(2) : bottom;
  }
  Rect frame = {0, 0, 0, 0};
  dragFrameView_->GetDrawingAreaOnWindow(&frame);
  if (y < frame.top || y >= frame.bottom) return 0;
  offset = short(y - frame.top);
  return 1;
}

void cCDR_MediaManager::DrawDragFrame(const Rect& area) {
  RGBColor saved;
  GetForeColor(&saved);
  RGBColor green, grey, blue;
  Sp_SetRGBColorByPercentage(&green, 0.0f, 0.7f, 0.1f);
  Sp_SetRGBColorByPercentage(&grey, 0.05f, 0.05f, 0.05f);
  Sp_SetRGBColorByPercentage(&blue, 0.0f, 0.05f, 0.7f);
  PenSize(1, 1);
  RGBForeColor(&green);
  FrameRect(&area);
  short offset = 0;
  if (GetDragInInsertVerticalPositionOnDragCursorInFrameView(offset) != 0) {
    const short y = short(area.top + offset);
    RGBForeColor(&blue);
    PolyHandle right = OpenPoly();
    MoveTo(short(area.left + 2), short(y - 2));
    LineTo(short(area.left + 2), short(y + 3));
    LineTo(short(area.left + 5), y);
    ClosePoly();
    PaintPoly(right);
    KillPoly(right);
    PolyHandle left = OpenPoly();
    MoveTo(short(area.right - 2), short(y - 3));
    LineTo(short(area.right - 2), short(y + 3));
    LineTo(short(area.right - 6), y);
    ClosePoly();
    PaintPoly(left);
    KillPoly(left);
    RGBForeColor(&grey);
    MoveTo(short(area.left + 6), y);
    LineTo(short(area.right - 7), y);
  }
  RGBForeColor(&saved);
}
