// The rows of the media list: one per media item, followed by one per track while a CD item
// is open; what each of the five cells shows by the name and info options; the column titles
// and widths; and the open triangle of a CD row.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CDMediaManagerObj.h"
#include "SpCDROMProgram.h"
#include "SpCDR_CDMediaObject.h"
#include "SpCDR_FileMediaObject.h"
#include "SpCDR_ProgramItemObj.h"
#include "SpFontManager.h"
#include "SpListClass.h"
#include "SpMouseTraceObject.h"
#include "SpOC_ScrollBarControl.h"
#include "SpPortSaver.h"
#include "SpStdDrawingFunction.h"
#include "SpStdFunction.h"
#include "SpStdFunctionNumber.h"
#include "SpTitleBarControl.h"

namespace {

const char kSource[] = "CDMediaManagerObj";
const short kFontStrings = 5004;
const short kNameTitleStrings = 5011;
const short kInfoTitleStrings = 5012;
const short kTrackPrefixStrings = 5013;
const short kCDPictureID = 511;
const short kCDPictureMaskID = 512;
const short kSoundFileIconID = 634;
const short kItemRowHeight = 18;
const short kTrackRowHeight = 14;
const short kStringShortenMiddle = 0x4000;

bool IsOneCD(const cCDR_MediaItem* item) {
  return item->GetProgram() != nullptr && item->GetProgram()->IsOneCDRomProgram(nullptr);
}
bool IsOneFile(const cCDR_MediaItem* item) {
  return item->GetProgram() != nullptr && item->GetProgram()->IsOneFileProgram(nullptr, nullptr);
}
// How many track rows follow the item's own row.
short TrackRowsOf(const cCDR_MediaItem* item) {
  if (!item->IsOpen() || !IsOneCD(item)) return 0;
  return short(item->GetProgram()->GetItemCount());
}

// Minutes and seconds as "mm:ss".
std::string MinutesSeconds(short minutes, short seconds) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", minutes, seconds);
  return text;
}

}  // namespace

void CDRMM_ByteSizeToString(double bytes, char* text) {
  static const struct {
    double unit;
    const char* name;
  } kUnits[] = {{1e9, "GB"}, {1e6, "MB"}, {1e3, "KB"}, {1, "B"}};
  for (const auto& unit : kUnits) {
    if (bytes < unit.unit && unit.unit > 1) continue;
    const double value = bytes / unit.unit;
    if (value < 10) {
      Sp_FloatToString2(float(value), text, 2, 0);
    } else if (value < 100) {
      Sp_FloatToString2(float(value), text, 1, 0);
    } else {
      Sp_NumberToString(SInt32(value), text);
    }
    std::strcat(text, unit.name);
    return;
  }
}

// ---- Rows --------------------------------------------------------------------------------------

short cCDR_MediaManager::GetMediaItemListRowNum() const {
  short rows = 0;
  for (const cCDR_MediaItem* item = firstMediaItem_; item != nullptr;
       item = item->GetNextObjectPtr()) {
    rows = short(rows + 1 + TrackRowsOf(item));
  }
  return rows;
}

short cCDR_MediaManager::GetMediaItemListTargetItemRowNo(const cCDR_MediaItem* item,
                                                         SInt32 index) const {
  short row = 1;
  for (const cCDR_MediaItem* i = firstMediaItem_; i != nullptr; i = i->GetNextObjectPtr()) {
    if (i == item) {
      const SInt32 count = i->GetProgram() != nullptr ? i->GetProgram()->GetItemCount() : 0;
      return (index >= 1 && index <= count) ? short(row + index) : row;
    }
    row = short(row + 1 + TrackRowsOf(i));
  }
  return 0;
}

std::unordered_map<const cCDR_MediaItem*, short> cCDR_MediaManager::MediaItemRows() const {
  std::unordered_map<const cCDR_MediaItem*, short> rows;
  rows.reserve(std::size_t(std::max<SInt32>(mediaItemCount_, 0)));
  short row = 1;
  for (const cCDR_MediaItem* i = firstMediaItem_; i != nullptr; i = i->GetNextObjectPtr()) {
    rows.emplace(i, row);
    row = short(row + 1 + TrackRowsOf(i));
  }
  return rows;
}

// The item's row in the rows of MediaItemRows; 0 when the item is not listed.
short CDR_RowIn(const std::unordered_map<const cCDR_MediaItem*, short>& rows,
                const cCDR_MediaItem* item) {
  const auto found = rows.find(item);
  return found != rows.end() ? found->second : short(0);
}

unsigned char cCDR_MediaManager::SerchTargetMediaItemListItem(
    short row, cCDR_MediaItem** item, cSp_CDRProgramItemObj** programItem) const {
  if (item != nullptr) *item = nullptr;
  if (programItem != nullptr) *programItem = nullptr;
  if (row < 1) return 0;
  short first = 1;
  for (cCDR_MediaItem* i = firstMediaItem_; i != nullptr; i = i->GetNextObjectPtr()) {
    const short tracks = TrackRowsOf(i);
    if (row <= first + tracks) {
      if (item != nullptr) *item = i;
      if (row > first && programItem != nullptr) {
        *programItem = i->GetProgram()->GetProgramItem(UInt32(row - first));
      }
      return 1;
    }
    first = short(first + 1 + tracks);
  }
  return 0;
}

void cCDR_MediaManager::ResetMedialist(unsigned char redraw) {
  if (mediaList_ == nullptr) {
    SpReportFailure(kSource, "cCDR_MediaManager::ResetMedialist", 1, kSpMsgNullOperator);
    return;
  }
  // The selection entries name their rows first: the cells filled below look the entries up
  // by row, and rows kept from before a CD or file came or went would number the wrong rows.
  ModifyMediaListRowFromSelectedItem();
  short h = 0, before = 0;
  mediaList_->GetScrollValue(h, before);
  const short rows = GetMediaItemListRowNum();
  const short have = mediaList_->GetNumOfRow();
  if (have > rows) {
    mediaList_->DeleteRow(short(rows + 1), short(have - rows), 0);
  } else if (have < rows) {
    mediaList_->AddRow(-1, short(rows - have));
    // Which rows show tracks, in one walk of the items.
    std::vector<bool> trackRow(std::size_t(rows) + 1, false);
    short at = 0;
    for (cCDR_MediaItem* item = firstMediaItem_; item != nullptr && at < rows;
         item = item->GetNextObjectPtr()) {
      ++at;
      const short tracks = short(TrackRowsOf(item));
      for (short t = 0; t < tracks && at < rows; ++t) trackRow[std::size_t(++at)] = true;
    }
    // The selection by row, made once: thousands of new rows, each looked up in a selection
    // that may hold thousands of entries.
    CDR_SelectionRows selected;
    CollectSelectionRows(rows, selected);
    for (short row = short(have + 1); row <= rows; ++row) {
      const bool byItself = selected.place[std::size_t(row)] != 0;
      const bool inGroup = !byItself && selected.group[std::size_t(row)] != nullptr;
      ChangeMediaItemListSelectionBehaivior(row, trackRow[std::size_t(row)] ? 0 : 1,
                                            byItself || inGroup, inGroup, 0);
    }
  }
  SetupMediaListInfoItem(1, 1, 1, 1, 1, 1, 1, redraw);
  if (scrollBar_ != nullptr) scrollBar_->SetupScrollValueFromTargetView(0, 1, 0, 1);
  short maxH = 0, maxV = 0;
  mediaList_->GetViewMaxScrollValue(&maxH, &maxV);
  short nowH = 0, now = 0;
  mediaList_->GetScrollValue(nowH, now);
  if (before > 0 && now > maxV) {
    mediaList_->SetScrollValue(nowH, maxV, 1, 1, 0, 1);
    if (scrollBar_ != nullptr) scrollBar_->SetupScrollValueFromTargetView(0, 1, 0, 1);
  }
  if (redraw != 0) Sp_RedrawViewWindow(GetWindowRef(), 0);
}

void cCDR_MediaManager::SetupMediaListInfoItem(unsigned char column1, unsigned char column2,
                                               unsigned char column3, unsigned char column4,
                                               unsigned char column5, unsigned char nameTitle,
                                               unsigned char infoTitle, unsigned char redraw) {
  if (mediaList_ == nullptr) return;
  char prefix[256] = "";
  Sp_GetResourceIndexString(prefix, kTrackPrefixStrings, 1);
  const short font = Sp_GetFontNoFromIndString(kFontStrings, nullptr);
  // Every row's number is looked up in the selection: by row, made once for them all.
  CDR_SelectionRows selected;
  if (column4 != 0) {
    CollectSelectionRows(GetMediaItemListRowNum(), selected);
    selectionRows_ = &selected;
  }
  bool done = false;
  short row = 1;
  for (cCDR_MediaItem* item = firstMediaItem_; item != nullptr; item = item->GetNextObjectPtr()) {
    SetupMediaListInfoItemForMediaItem(item, row, font, column1, column2, column3, column4,
                                       column5);
    ++row;
    const short tracks = TrackRowsOf(item);
    for (short n = 1; n <= tracks; ++n, ++row) {
      SetupMediaListInfoItemForProgramItem(item, item->GetProgram()->GetProgramItem(UInt32(n)), row,
                                           font, prefix, column1, column2, column3, column4,
                                           column5);
    }
    done = true;
  }
  selectionRows_ = nullptr;
  if (titleBar_ != nullptr && nameTitle != 0) {
    char text[256] = "";
    Sp_GetResourceIndexString(text, kNameTitleStrings, short(nameOption_ != 0 ? 2 : 1));
    titleBar_->SetupOutputString(2, text);
    done = true;
  }
  if (titleBar_ != nullptr && infoTitle != 0) {
    char text[256] = "";
    Sp_GetResourceIndexString(text, kInfoTitleStrings, short(infoOption_ + 1));
    titleBar_->SetupOutputString(3, text);
    done = true;
  }
  if (redraw != 0 && done) mediaList_->ReDrawAreaUpdateView(0);
}

void cCDR_MediaManager::SetCellLook(short column, short row, unsigned char vertical,
                                    unsigned char horizontal, short inset, short textSize,
                                    short font) {
  sLMgrCellBehaviorStruct behavior;
  mediaList_->GetCellBehaviorData(column, row, &behavior);
  behavior.firstPosition = vertical;
  behavior.secondPosition = horizontal;
  if (inset >= 0) behavior.horizontalInset = inset;
  behavior.textSize = textSize;
  behavior.fontNo = font;
  mediaList_->SetCellBehaviorData(column, row, &behavior, 0);
}

void cCDR_MediaManager::SetupMediaListInfoItemForMediaItem(
    cCDR_MediaItem* item, short row, short font, unsigned char column1, unsigned char column2,
    unsigned char column3, unsigned char column4, unsigned char column5) {
  if (item == nullptr) {
    SpReportFailure(kSource, "cCDR_MediaManager::SetupMediaListInfoItemForMediaItem", 1,
                    kSpMsgNullArgument);
    return;
  }
  mediaList_->SetRowHeight(row, kItemRowHeight, 0);
  const bool cd = IsOneCD(item);
  const bool file = IsOneFile(item) && !cd;
  cSp_CDRProgramItemObj* first =
      item->GetProgram() != nullptr ? item->GetProgram()->GetFirstProgramItem() : nullptr;
  cSp_QTFileDataObj* fileData = first != nullptr ? first->GetQTFileMedia() : nullptr;
  if (column1 != 0) {
    mediaList_->SetupCellBackgroundDrawingCallback(
        kCDR_OpenColumn, row, file ? nullptr : CDRObj_CatchDrawItemListOpenIconCellCB,
        file ? 0 : reinterpret_cast<unsigned long>(this));
  }
  if (column2 != 0) {
    if (cd) {
      mediaList_->SetupPictData(kCDR_IconColumn, row, kCDPictureID, kCDPictureMaskID, 16, 16, 0);
    } else if (file && fileData != nullptr && fileData->GetIcon() != nullptr) {
      mediaList_->SetupIconSuiteHandleData(kCDR_IconColumn, row, fileData->GetIcon(), 16, 16, 0);
    } else if (file) {
      mediaList_->SetupCIconData(kCDR_IconColumn, row, kSoundFileIconID, 16, 16, 0);
    } else {
      mediaList_->ClearDataInCell(kCDR_IconColumn, row, 0);
    }
  }
  if (column3 != 0) {
    char text[1024] = "";
    bool fileName = false;
    if (nameOption_ != 0) {
      cSp_CDRomMediaDataObj* disc = nullptr;
      if (cd && item->GetProgram()->IsOneCDRomProgram(&disc) && disc != nullptr &&
          disc->GetCDTitle(text, sizeof text, nullptr) && text[0] != 0) {
        std::snprintf(text, sizeof text, "%s", item->GetTitle());
      } else {
        text[0] = 0;
      }
      if (text[0] == 0 && fileData != nullptr && fileData->GetTitle()[0] != 0) {
        std::snprintf(text, sizeof text, "%s", fileData->GetTitle());
      }
      if (text[0] == 0 && file && first != nullptr && first->GetTitle()[0] != 0) {
        std::snprintf(text, sizeof text, "%s", first->GetTitle());
        fileName = true;
      }
    }
    if (text[0] == 0) {
      std::snprintf(text, sizeof text, "%s", item->GetName());
      fileName = file;
    }
    mediaList_->SetupStringData(kCDR_NameColumn, row, text, 0);
    mediaList_->EnableOutputStringModifyBehavior(row, kCDR_NameColumn,
                                                 fileName ? kStringShortenMiddle : 0);
    SetCellLook(kCDR_NameColumn, row, kSpPositionCenter, kSpPositionLeft, 2, 11, font);
  }
  if (column4 != 0) {
    SetupMediaListSelectionItemNoOutput(item, row, 1, 0);
    SetCellLook(kCDR_NumberColumn, row, kSpPositionCenter, kSpPositionCenter, 1, 9, font);
  }
  if (column5 != 0) {
    WriteInfoCellForMediaItem(item, row);
    SetCellLook(kCDR_InfoColumn, row, kSpPositionCenter, kSpPositionCenter, -1, 10, font);
  }
}

void cCDR_MediaManager::WriteInfoCellForMediaItem(cCDR_MediaItem* item, short row) {
  cSp_CDRProgramBaseObj* program = item->GetProgram();
  const bool cd = IsOneCD(item);
  const bool file = IsOneFile(item) && !cd;
  const SInt32 count = program != nullptr ? program->GetItemCount() : 0;
  std::string text;
  char buffer[64] = "";
  switch (infoOption_) {
    case kCDR_InfoTime: {
      short minutes = 0, seconds = 0, frames = 0;
      if (program != nullptr && program->GetProgramTotalTime(&minutes, &seconds, &frames)) {
        text = MinutesSeconds(minutes, seconds);
      }
      break;
    }
    case kCDR_InfoCount:
      Sp_NumberToString(file ? 1 : count, buffer);
      text = buffer;
      break;
    case kCDR_InfoKind:
      if (cd) {
        text = "CDDA";
      } else if (file) {
        text = "File";
      } else {
        SpReportFailure(kSource, "cCDR_MediaManager::SetupMediaListInfoItemForMediaItem", 2,
                        kSpMsgTypeError);
      }
      break;
    case kCDR_InfoSize: {
      SInt32 size = 0;
      if (program == nullptr || !program->GetFileProgramTotalSize(size)) size = 0;
      CDRMM_ByteSizeToString(double(UInt32(size)), buffer);
      text = buffer;
      break;
    }
    default:
      Sp_NumberToString(count, buffer);
      text = buffer;
      break;
  }
  mediaList_->SetupStringData(kCDR_InfoColumn, row, text.c_str(), 0);
}

void cCDR_MediaManager::SetupMediaListInfoItemForProgramItem(
    cCDR_MediaItem* item, cSp_CDRProgramItemObj* track, short row, short font,
    const char* trackPrefix, unsigned char column1, unsigned char column2, unsigned char column3,
    unsigned char column4, unsigned char column5) {
  if (item == nullptr || track == nullptr || trackPrefix == nullptr) {
    SpReportFailure(kSource, "cCDR_MediaManager::SetupMediaListInfoItemForProgramItem", 1,
                    kSpMsgNullArgument);
    return;
  }
  mediaList_->SetRowHeight(row, kTrackRowHeight, 0);
  const bool byItself = SerchTargetRowSelection(row) != nullptr;
  const bool inGroup = !byItself && SerchTargetRowGroupSelection(row) != nullptr;
  ChangeMediaItemListSelectionBehaivior(row, 0, byItself || inGroup, inGroup, 0);
  if (column1 != 0)
    mediaList_->SetupCellBackgroundDrawingCallback(kCDR_OpenColumn, row, nullptr, 0);
  if (column2 != 0) mediaList_->ClearDataInCell(kCDR_IconColumn, row, 0);
  if (track->GetItemType() == kSpCDRProgItemSoundFile) return;
  if (column3 != 0) {
    char text[1024] = "";
    if (nameOption_ == 0 || !track->GetCDDBTrackSongTitle(text, sizeof text, nullptr) ||
        text[0] == 0) {
      std::snprintf(text, sizeof text, "%s%d", trackPrefix, int(track->GetReferenceNo()));
    }
    mediaList_->SetupStringData(kCDR_NameColumn, row, text, 0);
    mediaList_->EnableOutputStringModifyBehavior(row, kCDR_NameColumn, 0);
    SetCellLook(kCDR_NameColumn, row, kSpPositionCenter, kSpPositionLeft, 10, 10, font);
  }
  if (column4 != 0) {
    SetupMediaListSelectionItemNoOutput(item, row, 1, 0);
    SetCellLook(kCDR_NumberColumn, row, kSpPositionCenter, kSpPositionCenter, -1, 9, font);
  }
  if (column5 != 0) {
    WriteInfoCellForProgramItem(item, track, row);
    SetCellLook(kCDR_InfoColumn, row, kSpPositionCenter, kSpPositionCenter, -1, 10, font);
  }
}

void cCDR_MediaManager::WriteInfoCellForProgramItem(cCDR_MediaItem* item,
                                                    cSp_CDRProgramItemObj* track, short row) {
  std::string text;
  char buffer[64] = "";
  switch (infoOption_) {
    case kCDR_InfoTime: {
      short minutes = 0, seconds = 0, frames = 0;
      if (track->GetCDTrackPlayTime(&minutes, &seconds, &frames)) {
        text = MinutesSeconds(minutes, seconds);
      }
      break;
    }
    case kCDR_InfoCount:
      Sp_NumberToStringAddZero(track->GetReferenceNo(), 2, buffer);
      text = buffer;
      break;
    case kCDR_InfoKind:
      if (IsOneCD(item)) text = "Track";
      break;
    case kCDR_InfoSize: {
      SInt32 size = 0;
      if (!track->GetFileProgramItemSize(size)) size = 0;
      CDRMM_ByteSizeToString(double(UInt32(size)), buffer);
      text = buffer;
      break;
    }
    default:
      break;
  }
  mediaList_->SetupStringData(kCDR_InfoColumn, row, text.c_str(), 0);
}

// ---- Options and titles ------------------------------------------------------------------------

void cCDR_MediaManager::ChangeMediaItemListNameItem() {
  nameOption_ = nameOption_ == 0 ? 1 : 0;
  ChangeMediaItemListNameWithSetupStatus();
  SetupMediaListInfoItem(0, 0, 1, 0, 0, 1, 0, 1);
  StoreMediaWindowStatus(0, 0, 1, 0, 1);
}

void cCDR_MediaManager::ChangeMediaItemListInfoItem() {
  switch (infoOption_) {
    case kCDR_InfoCount:
      infoOption_ = kCDR_InfoTime;
      break;
    case kCDR_InfoTime:
      infoOption_ = kCDR_InfoSize;
      break;
    case kCDR_InfoSize:
      infoOption_ = kCDR_InfoKind;
      break;
    default:
      infoOption_ = kCDR_InfoCount;
      break;
  }
  SetupMediaListInfoItem(0, 0, 0, 0, 1, 0, 1, 1);
  StoreMediaWindowStatus(0, 0, 0, 1, 1);
}

void cCDR_MediaManager::ChangeMediaItemListNameWithSetupStatus() {
  for (cCDR_MediaItem* item = firstMediaItem_; item != nullptr; item = item->GetNextObjectPtr()) {
    item->ChangeMediaItemTitleOutputType(nameOption_ == 0 ? 1 : 0);
  }
}

void cCDR_MediaManager::ModifyMediaItemListItemWidthFromSetupItemWidth() {
  if (mediaList_ != nullptr) {
    auto frame = [this](short column) {
      sLMgrCellBehaviorStruct b;
      mediaList_->GetCellBehaviorData(column, 0, &b);
      return short(b.leftLine.width + b.rightLine.width + 2 * b.horizontalInset);
    };
    mediaList_->SetColumnWidth(kCDR_NameColumn, short(nameTextWidth_ - frame(kCDR_NameColumn)), 0);
    mediaList_->SetColumnWidth(kCDR_NumberColumn,
                               short(kCDR_NumberColumnWidth - frame(kCDR_NumberColumn)), 0);
    mediaList_->SetColumnWidth(kCDR_InfoColumn,
                               short(infoColumnWidth_ - frame(kCDR_InfoColumn) + 1), 0);
  }
  SetupMediaListTitleMouseTraceArea();
}

void cCDR_MediaManager::SetupMediaListTitleMouseTraceArea() {
  if (titleBar_ == nullptr) return;
  const struct {
    cMouseTraceObject* trace;
    short item;
  } traces[] = {{nameTitleTrace_, 2}, {infoTitleTrace_, 3}};
  for (const auto& entry : traces) {
    if (entry.trace == nullptr) continue;
    Rect area = {0, 0, 0, 0};
    if (titleBar_->GetTitleItemViewableAreaOnWindow(entry.item, area)) {
      entry.trace->ModifyMouseTraceArea(area, 0);
      entry.trace->EnableMouseTrace();
    } else {
      entry.trace->DisableMouseTrace();
    }
  }
}

// ---- The open triangle
// ---------------------------------------------------------------------------

void cCDR_MediaManager::CatchDrawItemListOpenIconCellCB(sLMgr_Cell* cell, const Rect& rect) {
  if (cell == nullptr || cell->rowRoot == nullptr) return;
  cCDR_MediaItem* item = nullptr;
  cSp_CDRProgramItemObj* track = nullptr;
  if (!SerchTargetMediaItemListItem(cell->rowRoot->GetReferenceNo(), &item, &track) ||
      item == nullptr || track != nullptr) {
    return;
  }
  cSpPortSaver port;
  RGBColor saved;
  GetForeColor(&saved);
  RGBColor grey;
  const float level = IsTrianglePressedInside(item) ? 30.0f : 57.0f;
  Sp_SetRGBColorByPercentage(&grey, level, level, level);
  RgnHandle triangle = NewRgn();
  if (triangle == nullptr) return;
  OpenRgn();
  if (item->IsOpen()) {
    const short x = short((rect.left + rect.right - 10) / 2);
    const short y = short((rect.top + rect.bottom - 5) / 2);
    MoveTo(x, y);
    LineTo(short(x + 10), y);
    LineTo(short(x + 5), short(y + 5));
    LineTo(x, y);
  } else {
    const short x = short((rect.left + rect.right - 5) / 2);
    const short y = short((rect.top + rect.bottom - 10) / 2);
    MoveTo(x, y);
    LineTo(short(x + 5), short(y + 5));
    LineTo(x, short(y + 10));
    LineTo(x, y);
  }
  CloseRgn(triangle);
  RGBForeColor(&grey);
  PaintRgn(triangle);
  DisposeRgn(triangle);
  RGBForeColor(&saved);
}

void CDRObj_CatchDrawItemListOpenIconCellCB(cLMgr_List_Base*, sLMgr_Cell* cell, Rect& rect,
                                            unsigned long refCon) {
  if (refCon == 0) {
    SpReportFailure(kSource, "CDRObj_CatchDrawItemListOpenIconCellCB", 1, kSpMsgNullOperator);
    return;
  }
  reinterpret_cast<cCDR_MediaManager*>(refCon)->CatchDrawItemListOpenIconCellCB(cell, rect);
}
