// The media manager window: the application's one main window.
//
// It lists every mounted audio CD and every added sound file as media items (each owning its
// program of tracks), shows them in a five-column list under a title bar, keeps the ordered
// selection across them, owns the application's preference-stock file "MirrelboxPref" and the
// window state kept in it, follows the CD-ROM manager's reports of CDs coming and going, and
// answers whether the program may quit.
//
// The code is split by concern: the object itself, CD changes, sizes and the stored window
// state (CDMediaManagerObj.cpp); building the views and controls and their drawing
// (CDMediaMgrSetupItem.cpp); the list rows and cells (CDMediaManagerObjRows.cpp); the
// selection with the buttons and menu items that follow it (CDMediaManagerObjSelection.cpp);
// keys and clicks (CDMediaManagerObjInput.cpp); and what saving and the file list share with
// the window (CDMediaManagerObjSave.cpp).
//
// Failures beep once and leave one error-log record (source "CDMediaManagerObj").
#pragma once

#include <vector>

#include "AppleEvents.h"
#include "CDMediaItemObj.h"
#include "CDMediaListFile.h"
#include "CDMediaMgrFileName.h"
#include "CDMediaMgrSaveSetupDlg.h"
#include "CDMediaMgrSelItemObj.h"
#include "CarbonEvents.h"
#include "Drag.h"
#include "Files.h"
#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpCDDiscPosition.h"
#include "SpErrorInfoSystem.h"
#include "SpPreferenceStockObject.h"
#include "SpWindow.h"

#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class cCDR_SaveTargetRecordItem;
class cDialogAnalyzor;
class cDragDataItem;
class cNavMgrFileList;
struct sCDR_MediaListReadResult;
struct sSpFileSysInfo;
class cDropCatchObject;
class cLMgr_List_Base;
class cMouseTraceObject;
class cSp_CDRProgramBaseObj;
class cSp_CDRProgramItemObj;
class cSp_CDRomMediaDataObj;
class cSp_DrawingView;
class cSp_OrigScrollBarControl;
class cSp_OriginalIconButtonControl;
class cSp_ProgressBarWin;
class cSp_StringView;
class cSp_TittleBarControl;
class ciTunesMusicInfoObj;
struct sLMgr_Cell;
struct sSpMusicFileInfo;

// The window's resource and the item numbers of its dialog item list that the code reads.
enum : short {
  kCDR_MediaWindowID = 132,
  kCDR_ItemListPanel = 2,
  kCDR_ItemRemoveButton = 4,
  kCDR_ItemAddButton = 5,
  kCDR_ItemTitleBar = 6,
  kCDR_ItemOpenColumn = 7,
  kCDR_ItemSaveButton = 8,
  kCDR_ItemIconColumn = 10,
  kCDR_ItemNameColumn = 11,
  kCDR_ItemInfoColumn = 12,
  kCDR_ItemScrollBar = 13,
  kCDR_ItemButton14 = 14,
  kCDR_ItemButton15 = 15,
  kCDR_ItemButton16 = 16,
  kCDR_ItemButton17 = 17,
  kCDR_ItemProgressBar = 16,
  kCDR_ItemStatusText = 17,
  kCDR_ItemButton18 = 18,
};

// A sound file waiting to be added, chosen in the add dialog or dropped.
struct sCDR_PendingFile {
  short vRefNum;
  SInt32 dirID;
  std::string name;
};
// Chosen and dropped files are added from the event loop a slice at a time: at most this many
// in one pass, and a pass that has used this long leaves the rest to the next (one file at
// least), so that the window answers while a thousand files go in.
enum : SInt32 { kCDR_AddFilesPerPass = 16, kCDR_AddPassMicroseconds = 20000 };
// The microsecond clock the passes are measured by.
UInt64 CDRMM_NowMicroseconds();
// The records of the saved list a pass collects at most, after a run of several slices.
enum : SInt32 { kCDR_ListRecordsPerPass = 256 };
// The records of the saved list written in one pass (about 1.8 MB).
enum : SInt32 { kCDR_ListRecordsWrittenPerPass = 1024 };
// The full paths of folders already looked up, by volume and folder id; empty for a folder
// whose path could not be made.
using CDR_FolderPathCache = std::map<std::pair<short, SInt32>, std::string>;

// The selection by row, made in one walk of it, for a pass over every row of the list: the
// place (from 1) of the first entry of each row, and the first entry whose group holds it.
struct CDR_SelectionRows {
  std::vector<short> place;
  std::vector<cCDR_SelectionMediaItem*> group;
  bool Covers(short row) const { return row >= 1 && std::size_t(row) < place.size(); }
};

// What one run of the add dialog did: the report sheet at its end tells of it.
struct AddCounts {
  SInt32 chosen = 0;
  SInt32 added = 0;
  SInt32 notSound = 0;
  SInt32 flagged = 0;
  SInt32 listed = 0;
  SInt32 overLimit = 0;
  std::string notSoundName, flaggedName, listedName;
};

// The list's columns.
enum : short {
  kCDR_OpenColumn = 1,
  kCDR_IconColumn = 2,
  kCDR_NameColumn = 3,
  kCDR_NumberColumn = 4,
  kCDR_InfoColumn = 5,
  kCDR_ColumnCount = 5,
};

// The info option: what column 5 shows.
enum : unsigned char {
  kCDR_InfoCount = 0,  // track count, or track number
  kCDR_InfoTime = 1,
  kCDR_InfoKind = 2,
  kCDR_InfoSize = 3,
};

// The width column 4 and the name text give up for the selection numbers.
enum : short { kCDR_NumberColumnWidth = 25 };

// Saving: the preference-stock groups and keys, the string lists and the limits.
enum : UInt32 {
  kCDR_WindowGroup = SpFourCC("MMgr"),
  kCDR_FileDialogGroup = SpFourCC("MFgr"),
  kCDR_SaveDialogFolderKey = SpFourCC("SFDL"),
  kCDR_SaveDialogPositionKey = SpFourCC("SFDP"),
  kCDR_AddDialogFolderKey = SpFourCC("AFDL"),
  kCDR_AddDialogPositionKey = SpFourCC("AFDP"),
  kCDR_ProgressGroup = SpFourCC("PrgD"),
  kCDR_PositionKey = SpFourCC("WPos"),
};
enum : short {
  kCDR_UntitledStrings = 5013,
  kCDR_ProgressTitleStrings = 5015,
  kCDR_ProgressLabelStrings = 5023,
  kCDR_ProgressTextPairs = 8,
  // A file name with its extension stays within this many bytes.
  kCDR_MaxFileNameBytes = 255,
};

// The remembered place of a file dialog.
struct sCDR_SaveFileDlgInfo {
  unsigned char folderValid;
  short vRefNum;
  SInt32 dirID;
  char fileName[256];
  unsigned char positionValid;
  Point position;
};
// Stores the place under 'MMgr' > 'MFgr' (nothing when neither part is valid) and saves the
// stock; reads it back (each valid flag set only when its key was there).
void CDRMM_StockFileDialogInfo(cPrefStockFileObj* stock, UInt32 folderKey, UInt32 positionKey,
                               const sCDR_SaveFileDlgInfo& info);
void CDRMM_GetFileDialogStockedInfo(cPrefStockFileObj* stock, UInt32 folderKey,
                                    UInt32 positionKey, sCDR_SaveFileDlgInfo& info);
// The extension of a saved file of the type (".wav", ".aif", ".mov").
const char* CDRMM_FileExtensionOfType(tCDRISoundFileType type);
// The progress window's format text of the type.
const char* CDRMM_FormatLabelOfType(tCDRISoundFileType type);
// The name of an item's file when its file-name rule gives none: its title for saving without
// the extension, else the untitled text (string list 5013) and its reference number.
void CDRMM_NameFromItemTitle(cSp_CDRProgramItemObj* item, char* name, SInt32 size);
// A MacJapanese copy of a UTF-8 text, zero-terminated, for calls that take char*.
std::vector<char> CDRMM_Writable(const char* utf8);
// Appends the extension to the base name (MacJapanese, in a buffer of size bytes): a base
// too long for the two together is cut, never inside a two-byte character, so that the whole
// stays within kCDR_MaxFileNameBytes and within what a file name on disk holds; an empty base
// becomes "名称未設定".
void CDRMM_JoinNameAndExtension(char* base, SInt32 size, const char* extension);

// A byte count as the list shows it: 999B, 12.3KB, 4.52MB, 700MB ... (at least 8 bytes).
void CDRMM_ByteSizeToString(double bytes, char* text);

// The item's row among rows found by cCDR_MediaManager::MediaItemRows; 0 when not among them.
short CDR_RowIn(const std::unordered_map<const cCDR_MediaItem*, short>& rows,
                const cCDR_MediaItem* item);

class cCDR_MediaManager : public cSp_Window {
 public:
  // Builds the window from resource `resourceID` (the application passes 132) with its
  // preference stock, views and controls, and restores its stored state.
  explicit cCDR_MediaManager(short resourceID);
  // Destroys the media items with their programs, the views and controls, and the members.
  ~cCDR_MediaManager() override;
  cCDR_MediaManager(const cCDR_MediaManager&) = delete;
  cCDR_MediaManager& operator=(const cCDR_MediaManager&) = delete;

  // Clears every field and sets the defaults.
  void InitializeObjItem();

  // ==== Media items and CD changes (CDMediaManagerObj.cpp) ====
  // Brings the media items in line with the mounted audio CDs; 1 when the list changed. While
  // a save runs nothing changes: the change waits for ApplyDeferredMediaChanges.
  unsigned char ModifyMediaData();
  // At the end of a save: the CD changes that came meanwhile (1 when the list changed).
  unsigned char ApplyDeferredMediaChanges();
  // The next reference number (the last one + 1).
  SInt32 GetNewMediaItemReferenceNo();
  // Inserts the item after the item at `position` (from 1; the last item for a negative or
  // too large one), kept below the CDs for a sound file and above the sound files for a CD.
  void LinkToMeidaItemList(cCDR_MediaItem* item, SInt32 position, unsigned char cdFlag);
  // Takes the item out of the list (not deleted).
  void UnlinkFromMediaItemList(cCDR_MediaItem* item);
  // The item whose program is a one-CD program of that CD, or null.
  cCDR_MediaItem* SerchMediaByCDObject(cSp_CDRomMediaDataObj* cd);
  // Stops every other item that plays, so that one plays at a time.
  void StopPlayMediaItem(cCDR_MediaItem* item);
  cCDR_MediaItem* GetMediaItemListHead() const { return firstMediaItem_; }
  cCDR_MediaItem* GetMediaItemListTail() const { return lastMediaItem_; }
  SInt32 GetMediaItemCount() const { return mediaItemCount_; }

  // ==== Window procedures, state and quitting (CDMediaManagerObj.cpp) ====
  void CatchResizeWindowCB(unsigned char store);
  void CatchMoveWindowCB();
  void CatchAfterCloseWindowCB();
  // Position, size and list options into the stock ('MMgr'), written at once with saveNow.
  void StoreMediaWindowStatus(unsigned char position, unsigned char size, unsigned char nameOption,
                              unsigned char infoOption, unsigned char saveNow);
  // Position, size and list options from the stock.
  void SetupMediaWindowStatusFromReference(unsigned char position, unsigned char size,
                                           unsigned char nameOption, unsigned char infoOption,
                                           unsigned char redraw);
  void SetupCloseCB(void (*proc)(unsigned long), unsigned long refCon);
  // Whether the program may quit: a running save is asked about first (refused while it goes
  // on); then the stock is saved, and the list of added files when it is still being saved
  // over passes. Once the answer was yes, later questions of the same quit are not asked
  // again.
  unsigned char SendQuitApplication();
  // The before-close answer: the window may close only when the program may quit.
  unsigned char MayCloseWindow();
  void MediaListUpScroll(short);
  void MediaListDownScroll(short);

  cPrefStockMgr& GetPrefStockMgr() { return prefStockMgr_; }
  cPrefStockFileObj* GetPrefStockFile() const { return prefStockFile_; }
  cSayErrorNoMgr& GetErrorNoMgr() { return errorNoMgr_; }
  unsigned char HasErrorTextFile() const { return errorFileFound_; }
  const sCDR_SaveSetupDlgSpeedInfo& GetSpeedSetup() const { return speedSetup_; }
  ciTunesMusicInfoObj* GetITunesInfo() const { return iTunesInfo_; }
  unsigned char GetNameOutputOption() const { return nameOption_; }
  unsigned char GetInfoOutputOption() const { return infoOption_; }

  // ==== Views and controls (CDMediaMgrSetupItem.cpp) ====
  void InitialSetupItemObject();
  void CatchDrawBackgroundCB(Rect* area);
  void CatchDrawMediaItemListPanelCB(Rect* area);
  void CatchMediaWindowProgressBarDrawingCB(Rect* area, unsigned char dimmed);
  void CatchMoveMediaListTitleSeparatorCB(short item);
  void EnableMediaProgressOutput(unsigned char resetBar, unsigned char clearText);
  void DisableMediaProgressOutput();
  cLMgr_List_Base* GetMediaList() const { return mediaList_; }
  cSp_TittleBarControl* GetTitleBar() const { return titleBar_; }
  cSp_DrawingView* GetBackgroundView() const { return backgroundView_; }
  cSp_DrawingView* GetListPanelView() const { return listPanelView_; }
  cSp_DrawingView* GetProgressBarView() const { return progressBarView_; }
  cSp_StringView* GetStatusTextView() const { return statusTextView_; }
  cMouseTraceObject* GetNameTitleTrace() const { return nameTitleTrace_; }
  cMouseTraceObject* GetInfoTitleTrace() const { return infoTitleTrace_; }
  cDropCatchObject* GetDropCatcher() const { return dropCatcher_; }
  cSp_OriginalIconButtonControl* GetSaveButton() const { return saveButton_; }
  cSp_OriginalIconButtonControl* GetAddButton() const { return addButton_; }
  cSp_OriginalIconButtonControl* GetRemoveButton() const { return removeButton_; }
  float smallProgressFraction = 0;
  RGBColor listPanelColor = {0, 0, 0};

  // ==== Rows and cells (CDMediaManagerObjRows.cpp) ====
  // Media items plus the tracks of every open one-CD item.
  short GetMediaItemListRowNum() const;
  // The row of the item, or with an index from 1 to its track count the row of that track;
  // 0 when the item is not in the list.
  short GetMediaItemListTargetItemRowNo(const cCDR_MediaItem* item, SInt32 index) const;
  // The row of every item, found in one walk: for work over many items, where a walk for each
  // would take the square of the list's length. An item not in the list is not in it.
  std::unordered_map<const cCDR_MediaItem*, short> MediaItemRows() const;
  // 1 when the row exists, with its item and (for a track row) its program item.
  unsigned char SerchTargetMediaItemListItem(short row, cCDR_MediaItem** item,
                                             cSp_CDRProgramItemObj** programItem) const;
  void ResetMedialist(unsigned char redraw);
  void SetupMediaListInfoItem(unsigned char column1, unsigned char column2, unsigned char column3,
                              unsigned char column4, unsigned char column5, unsigned char nameTitle,
                              unsigned char infoTitle, unsigned char redraw);
  void SetupMediaListInfoItemForMediaItem(cCDR_MediaItem* item, short row, short font,
                                          unsigned char column1, unsigned char column2,
                                          unsigned char column3, unsigned char column4,
                                          unsigned char column5);
  void SetupMediaListInfoItemForProgramItem(cCDR_MediaItem* item,
                                            cSp_CDRProgramItemObj* programItem, short row,
                                            short font, const char* trackPrefix,
                                            unsigned char column1, unsigned char column2,
                                            unsigned char column3, unsigned char column4,
                                            unsigned char column5);
  void ChangeMediaItemListNameItem();
  void ChangeMediaItemListInfoItem();
  void ChangeMediaItemListNameWithSetupStatus();
  void ModifyMediaItemListItemWidthFromSetupItemWidth();
  void SetupMediaListTitleMouseTraceArea();
  void CatchDrawItemListOpenIconCellCB(sLMgr_Cell* cell, const Rect& rect);

  // ==== Selection (CDMediaManagerObjSelection.cpp) ====
  unsigned char SetupMediaListSelectionFromRowNo(short row, short modifiers,
                                                 unsigned char outputNumbers, unsigned char redraw);
  unsigned char AddTargetRowSelection(short row, unsigned char reverse,
                                      unsigned char skipIfSelected, unsigned char outputNumbers,
                                      unsigned char redraw);
  unsigned char AddTargetMediaItemSelection(cCDR_MediaItem* item,
                                            cSp_CDRProgramItemObj* programItem, short row,
                                            unsigned char reverse, unsigned char skipIfSelected,
                                            unsigned char outputNumbers, unsigned char redraw);
  unsigned char AddSequentialMultiSelection(short from, short to, unsigned char range,
                                            unsigned char outputNumbers, unsigned char redraw);
  void SubTargetSelectionItem(cCDR_SelectionMediaItem* entry);
  // Takes the entry out of the selection without touching its rows' look (for rows whose look
  // was already cleared).
  void UnlinkSelectionEntry(cCDR_SelectionMediaItem* entry);
  void DeleteTargetMediaItemSelection(cCDR_MediaItem* item);
  void ClearMediaListSelection(unsigned char redraw);
  void SelectAll(unsigned char fresh, unsigned char reduceFirst, unsigned char redraw);
  void ChangeMediaItemListSelectionBehaivior(short row, unsigned char itemRow,
                                             unsigned char selected, unsigned char inGroup,
                                             unsigned char redraw);
  void ChangeMediaItemListSelectionBehaiviorForAllSelection(unsigned char selected,
                                                            unsigned char redraw);
  void SetupMediaListSelectionItemNoOutput(cCDR_MediaItem* item, short row, unsigned char show,
                                           short number);
  void SetupAllMediaListSelectionItemNoOutput();
  void ModifyMediaListRowFromSelectedItem();
  void SetupMediaListItemSelection(short row, cCDR_MediaItem* item,
                                   cSp_CDRProgramItemObj* programItem, unsigned char redraw);
  unsigned char OutputSelectionItemOnMediaItemList(unsigned char updateScrollBar);
  cCDR_SelectionMediaItem* SerchTargetRowSelection(short row);
  cCDR_SelectionMediaItem* SerchTargetRowGroupSelection(short row);
  cCDR_SelectionMediaItem* SerchSelectionItem(cCDR_MediaItem* item,
                                              cSp_CDRProgramItemObj* programItem,
                                              unsigned char groupCounts, unsigned char* byGroup);
  unsigned char CheckExistTargetFileOnOneFileMediaItem(short vRefNum, SInt32 dirID,
                                                       const char* name);
  cSp_CDRProgramBaseObj* CreateProgramBaseFromSelection();
  void SetupMediaWindowStatusForMediaListSelection(unsigned char drawMenuBar, unsigned char saving);
  // Whether the row is selected by itself or through its group.
  bool IsRowSelected(short row);
  cCDR_SelectionMediaItem* GetSelectionListHead() const { return firstSelection_; }
  cCDR_SelectionMediaItem* GetSelectionListTail() const { return lastSelection_; }
  unsigned char GetRangeSelectionFlag() const { return rangeSelection_; }

  // ==== Keys and clicks (CDMediaManagerObjInput.cpp) ====
  unsigned char CatchRawKeyEventForOSXCarbonEventCB(char key, SInt32 modifiers);
  void CatchItemListClickCB(Point cell);
  void CatchItemListDblClickCB(Point cell);
  void CatchMediaItemListMouseDownCB(Point cell, short modifiers);
  void CatchMediaItemListMouseMoveCB(unsigned char inside, Point cell, short modifiers);
  void CatchMediaItemListMouseUpCB(unsigned char inside, Point cell, short modifiers);
  void DoubleClick(short modifiers, Point cell);
  SInt32 GetEachItemCountForMultiFileIntoEachFile();
  unsigned char EjectSelectionCDMediaItem();
  // Whether the pressed open triangle of the item is drawn darker now.
  bool IsTrianglePressedInside(const cCDR_MediaItem* item) const;

  // ==== Adding and removing sound files (CDMediaManagerObjFiles.cpp) ====
  // The sound-file media items listed.
  SInt32 CountSoundFileMediaItems() const;
  // After new items were made: the batch is ended, the list rebuilt with the selection shown
  // (the controls updated too with `controls`), and the saved list written (unless `save` is
  // false: the caller writes it).
  void FinishNewMusicFileMediaItems(unsigned char controls, bool save = true);
  // The list enabled while it has media items (disabled without), and its rows rebuilt.
  void ResetMedialistForItems();

  // Files waiting to be added go in a slice a pass of the event loop, behind the small
  // progress bar, with the window's buttons and menus dimmed. Meanwhile no other files are
  // added or dropped and nothing is removed; CDs that come or go are taken in at the end; a
  // save asked for waits until every file is in (CompletePendingAdds); when the window goes,
  // the files added so far stay listed and the rest are not added. A run spread over passes
  // then saves the list over passes too (ContinueListSave), as a removal from a long list
  // does; the run lasts until it is written.
  bool IsAddRunning() const { return addTimer != nullptr || listSaveTimer != nullptr; }
  // At the program's end: files still waiting to be added are not, those listed so far are
  // kept, and a list still being saved over passes (after adds or a removal) is saved now.
  void EndAddsForEnd();
  // One slice of the files waiting; the last one ends the run (the add dialog's report, the
  // list rebuilt and written).
  void AddPendingFiles();
  // Adds every file still waiting now.
  void CompletePendingAdds();
  // Files chosen in the add dialog, appended to the list; its report comes at the end.
  void BeginAddingChosenFiles(std::vector<sCDR_PendingFile> files, SInt32 chosen);
  // Files dropped, put after the item of rank `position` (0: at the top).
  void BeginAddingDroppedFiles(std::vector<sCDR_PendingFile> files, SInt32 position);
  // The timer that adds the rest, with the window busy and the progress shown, first firing
  // after `delay`; false when it cannot be installed.
  bool StartAddTimer(EventTimerInterval delay = 0);
  void EndAddTimer();
  // The saved list written from a timer's next firing; false when it cannot be installed.
  bool StartListSaveTimer();
  // A timer of the manager firing after `delay`, then every microsecond; false (and null)
  // when it cannot be installed.
  bool InstallManagerTimer(EventTimerInterval delay, EventLoopTimerProcPtr proc,
                           EventLoopTimerRef* timer);
  // Writes the saved list now when its timer waits: the run's end (the window no longer busy,
  // CDs that came meanwhile taken in).
  void SaveListNow();
  // The timer's pass: the next records collected, or, once all are, the list written and the
  // run ended.
  void ContinueListSave();
  void EndListSave();
  std::vector<sCDR_PendingFile> pendingFiles;
  std::size_t pendingNext = 0;
  // The dialog's files are counted for its report and appended; dropped ones go at a rank.
  bool addFromDialog = false;
  AddCounts addCounts;
  SInt32 addPosition = 0;
  SInt32 addRoom = 0;
  unsigned char addSelectionCleared = 0;
  // A dialog run's files listed already: the keys (Sp_SoundFileKey) of every listed file when
  // the run began and of each file it made. A chosen file not among them is not listed, and
  // the list is not searched for it.
  std::unordered_set<std::string> addListedKeys;
  // The file the pass made last and its row: the next file made goes below it.
  cCDR_MediaItem* addRowItem = nullptr;
  short addRow = 0;
  // When the add's progress was last drawn (the microsecond clock; 0: not yet in this run).
  UInt64 addProgressShownAt = 0;
  EventLoopTimerRef addTimer = nullptr;
  EventLoopTimerRef listSaveTimer = nullptr;
  unsigned char addSpread = 0;
  // The saved list made over several passes: the records so far, the item the next pass
  // starts from, the folders' paths looked up, and the list's changes when it began (a change
  // of the items' chain, or a list saved meanwhile, starts it again).
  struct ListSaveRun {
    bool started = false;
    bool collected = false;
    UInt32 changes = 0;
    cCDR_MediaItem* next = nullptr;
    std::vector<sCDR_MediaListRecord> records;
    CDR_FolderPathCache folders;
    // The side file being written, its volume, and the records written into it so far.
    SpFileReplacement* file = nullptr;
    short vRefNum = 0;
    std::size_t written = 0;
  };
  ListSaveRun listSave_;
  // Writes the next part of the collected records, the list taking its name after the last:
  // 0, or the step that failed (the side file then gone).
  short WriteSomeMediaListRecords(ListSaveRun& run);
  // Ends a list save over passes where it is: a side file being written goes, the list stays
  // as it was.
  void AbandonListSave();
  UInt32 mediaListChanges_ = 0;

  // ==== The saved list of added files (CDMediaManagerObjMediaList.cpp) ====
  unsigned char SaveSetupQTFileInfo();
  unsigned char SaveSetupQTFileInfoVersion2();
  unsigned char SaveSetupQTFileInfoVersion1();
  unsigned char LoadSetupQTFileInfoVersion200(sSpFileSysInfo* file);
  unsigned char LoadSetupQTFileInfoVersion1();

  // ==== Dropped files (CDMediaManagerObjDrop.cpp) ====
  void CatchDragCursorInCB(DragRef drag, Point localPoint);
  void CatchDragCursorMoveCB(DragRef drag, Point localPoint);
  void CatchDragCursorOutCB(DragRef drag, Point localPoint);
  // 1 when files were added.
  short CatchDragItemCB(Point localPoint, cDragDataItem* items);
  void SetupMediaListInsertListRowFromCursorPosit(Point localPoint);
  void CatchDragCursorMoveInScrollAreaIdleEventCB();
  unsigned char GetDragInInsertVerticalPositionOnDragCursorInFrameView(short& offset);
  void DrawDragFrame(const Rect& area);
  unsigned char dragFrameShown = 0;
  cSp_CDRProgramItemObj* dropTrackItem = nullptr;
  cCDR_MediaItem* dropTrackOwner = nullptr;
  cCDR_MediaItem* dropMediaItem = nullptr;
  short dropTrackRefNo = 0;
  short dropInsertRow = 0;
  unsigned char dropInsertRowSet = 0;
  unsigned char autoScrollRunning = 0;
  unsigned char autoScrollUp = 0;
  unsigned char dragWasInside = 0;
  EventLoopTimerRef autoScrollTimer = nullptr;

  // ==== Saving and the file list (CDMediaManagerObjSave.cpp) ====
  // Whether a save runs: from its start until its end of saving (between the files of a run
  // into each file too).
  bool IsSaveRunning() const;
  // ==== Saving into one file (CDMediaManagerObjSaveOne.cpp) ====
  // The selection into one file, through the set-up, the save dialog and a progress window.
  void SaveFileInMultiTypeFormat();
  // The engine's report on the item it loads: the progress window's bars and texts follow.
  void CatchSaveProgressCB(cSp_CDRProgramItemObj* item, SInt32 total, SInt32 done);
  // The cancel question of a running save: 1 when the save was stopped, 0 when it goes on.
  unsigned char CatchProgressBarDlgCancelButtonCB();
  // The end of saving: the progress window goes and the window's controls come back.
  void CatchSaveEndProcCB(cSp_CDRProgramBaseObj* program, unsigned char stopped);
  // The progress window was moved: its place is kept ('PrgD' > 'WPos').
  void CatchMoveProgressWindowCB();
  void InitialSetupFileProgressOutputStringObjItem();
  // The texts of the progress window for the item (null: only the set-up's).
  void SetFileProgressOutputStringObjItemValue(cSp_CDRProgramItemObj* item);
  void DisposeFileProgressOutputStringObjItem();
  // ==== Saving each item into its own file (CDMediaManagerObjSaveEach.cpp) ====
  void SaveFileInMultiTypeFormatIntoEachFile();
  // Finds the next track of the run and starts its file, or ends the run.
  void SaveFileInMultiTypeFormatForIntoEachFile_SaveProcedure(unsigned char first);
  // 1 when the track's file starts (in the next pass), 0 when the track was given up; stop
  // asks the whole run to end.
  unsigned char SaveFileInMultiTypeFormatForIntoEachFile_SaveEachFileProcedure(
      cCDR_MediaItem* item, cSp_CDRProgramItemObj* track, unsigned char moreFollow,
      unsigned char& stop);
  // The end of one file: the next track starts from a timer, once the engine let go of it.
  void CatchSaveEndProcForMultiInEachCB(cSp_CDRProgramBaseObj* program, unsigned char stopped);
  void CatchSaveMultiFileInEach_EventLoopCB();
  // Starts the engine's save of the file the pass before checked and named.
  void StartCheckedEachFile();
  // Frees every save-target record of the manager and empties their list.
  void WipeoutSaveTargetRecordSystemData();
  // The text a track is shown by in the progress window (MacJapanese).
  void GetProgressTitleOfItem(cSp_CDRProgramItemObj* item, char* text, SInt32 size) const;
  unsigned char CreateNewMusicFileMediaItem(short vRefNum, SInt32 dirID, const char* name,
                                            const char* longName, unsigned char select,
                                            unsigned char renumber, cCDR_MediaItem* unused,
                                            short position, unsigned char clearSelectionFirst,
                                            const sSpMusicFileInfo* info,
                                            unsigned char* selectionCleared,
                                            cCDR_MediaItem** newItem, unsigned char* engineFlag);
  void LoadSetupQTFileInfo();
  void CatchAddMusicFileButtonUpCompleatedCB();
  void CatchSubMusicFileButtonUpCompleatedCB();
  void CatchSpeedPreferenceMenuItemCB();
  void CatchFileNameDefPreferenceMenuItemCB();

  // What every save shares (set when a save starts, cleared by its end).
  cSp_CDRProgramBaseObj* saveProgram = nullptr;
  cSp_ProgressBarWin* progressWindow = nullptr;
  EventLoopTimerRef nextTrackTimer = nullptr;
  unsigned char saveRunning = 0;
  unsigned char saveCancelAsks = 0;
  unsigned char stopAllAnswer = 0;
  // The person stopped the file being saved (its end is then no failure to tell).
  unsigned char saveStopAsked = 0;
  unsigned char eachFileMode = 0;
  SInt32 saveItemIndex = 0;
  SInt32 saveItemCount = 0;
  SInt32 saveItemStep = 0;
  SInt32 saveItemBase = 0;
  short itemBarValue = 0;
  short totalBarValue = 0;
  unsigned char singleItemSave = 0;
  unsigned char ownsSaveProgram = 0;
  cSp_CDRProgramItemObj* currentSaveItem = nullptr;
  sCDR_SaveSetupInfo saveSetup = {};
  char saveFileName[1024] = {};
  FSRef saveFolderRef = {};
  // Saving into each file: the run's own copy of the selection (one entry per track), the
  // entry and track being saved, and the existing-name answer of this run.
  cCDR_SelectionMediaItem* eachSaveEntry = nullptr;
  cSp_CDRProgramItemObj* eachSaveItem = nullptr;
  unsigned char existingNameMethod = 0;
  unsigned char existingNameForAll = 0;
  unsigned char existingNameAsked = 0;
  // Eight label views and eight value views of the progress window (label, value, ...).
  cSp_StringView* progressTexts[16] = {};

 private:
  // ---- Saving (CDMediaManagerObjSaveOne.cpp, CDMediaManagerObjSaveEach.cpp) ----
  // What a save into one file takes from the selection.
  struct OneFileChoice {
    cCDR_SelectionMediaItem* entry = nullptr;  // the first counted entry
    cSp_CDRProgramBaseObj* program = nullptr;
    cSp_CDRProgramItemObj* item = nullptr;  // the one item, or null: the whole program
    cSp_CDRProgramItemObj* firstItem = nullptr;
    unsigned char owned = 0;
    bool spansItems = false;
    bool wholeItem = false;
    bool wantsTags = false;
    short channels = 2;
    SInt32 tracks = 0;
  };
  void AbandonSaveProgram();
  // A copy of the set-up's compression settings for the engine, which keeps what it is given.
  Handle CopyOfCodecSettings() const;
  void DisposeCodecSettings();
  // The shared state of a save that starts: running, nothing reported or stopped yet.
  void MarkSaveRunning(unsigned char eachFile);
  bool ChooseOneFileProgram(OneFileChoice& choice);
  short FileChannelsOf(cSp_CDRProgramItemObj* item) const;
  void RefreshITunesInfo();
  void MakeOneFileName(const OneFileChoice& choice, char* name, SInt32 size);
  bool AskSavePlace(const char* defaultName);
  bool OpenSaveProgressWindow(short dialog, short titleIndex, cSp_CDRProgramItemObj* firstItem);
  void PlaceProgressWindow();
  // Starts the engine's writer for the set-up's type on the item reference (-1: the play
  // list) into saveFolderRef / saveFileName; false when it did not start.
  bool StartEngineSave(SInt32 reference, UInt32 nameEncoding);
  void DisposeEachRunSelection();
  // Each-file steps: the name of the track's file (with its extension, checked as written),
  // and what to do when it exists; false gives the track up.
  bool MakeEachFileName(cCDR_MediaItem* item, cSp_CDRProgramItemObj* track, char* base,
                        SInt32 size);
  bool SettleExistingName(cSp_CDRProgramItemObj* track, char* name, SInt32 size,
                          unsigned char moreFollow, unsigned char& stop);
  bool AskNewName(char* name, SInt32 size, unsigned char moreFollow, unsigned char& stop);
  // The run's folder again after a file that went into a folder chosen for it only, whether
  // that file was saved, failed to start or was given up.
  void RestoreEachRunFolder();
  bool AskErrorGoOn(const char* text, OSErr err, unsigned char& stop);
  // The error sheet of a run into each file with this explanation: 1 and stop 0 to go on with
  // the next file, 0 and stop 1 to end the run. With no usable file left to follow, the
  // explanation is only told (0, stop 0).
  bool AskGoOnWith(const std::string& explanation, unsigned char& stop);
  // A usable track follows the one in hand in the run into each file.
  bool MoreEachFilesFollow();
  // A file the engine ended without completing it, and not at the person's request: logged,
  // and told unless the engine told it already (in a run into each file with files to follow
  // the person then chooses, after the engine's report too, between the next file and the end
  // of the run: stop). True for such a file.
  bool TellUnfinishedFile(cSp_CDRProgramBaseObj* program, unsigned char stopped,
                          unsigned char& stop);
  // A file the save completed under its name: kept until the run ends, when a listed row of
  // that file (the save may have replaced it) is read again.
  void NoteSavedFile(cSp_CDRProgramBaseObj* program, unsigned char stopped);
  // The listed rows of the files the run saved show them as they are now, and the saved list
  // is written again.
  void RenewSavedListedFiles();
  std::unordered_set<std::string> savedFiles_;  // their FileKey, by the name an FSSpec gives
  UInt32 saveNameEncoding_ = 0;
  // The save-target records: emptied before each run into each file and at the end.
  cCDR_SaveTargetRecordItem* saveTargetRecordHead_ = nullptr;
  cCDR_SaveTargetRecordItem* saveTargetRecordTail_ = nullptr;
  cCDR_SelectionMediaItem* eachRunFirst_ = nullptr;
  cCDR_SelectionMediaItem* eachRunLast_ = nullptr;
  // A folder chosen for one file only: the run's folder to go back to after it.
  FSRef eachFileFolderOnce_ = {};
  unsigned char eachFileFolderOnceSet_ = 0;
  // The next file of a run into each file is checked and named: its save starts in the next
  // pass of the loop, so that the check of its source and the making of its file are the work
  // of two passes.
  unsigned char eachStartPending_ = 0;

  // ---- Construction (CDMediaManagerObj.cpp) ----
  void OpenPreferenceStock();
  void SetupSizeLimits();
  void InstallWindowProcedures();
  void RemoveWindowProcedures();
  void SetupErrorTextFile();
  void InstallRawKeyHandler();
  void DestroyItemObjects();
  // Gives the options to the items and the list after they changed (SetupMediaWindowStatus-
  // FromReference's last steps).
  void ApplyListOptions(unsigned char nameChanged, unsigned char infoChanged,
                        unsigned char anyChanged, unsigned char redraw);
  // Removes and destroys an item with its program and its selection entries.
  void DisposeMediaItem(cCDR_MediaItem* item);

  // ---- Building (CDMediaMgrSetupItem.cpp) ----
  void SetupButtons(cDialogAnalyzor& layout, const Rect& panel);
  void SetupTitleBar(cDialogAnalyzor& layout, const Rect& panel);
  void SetupMediaList(cDialogAnalyzor& layout, const Rect& panel);
  void SetupTitleTraces(cDialogAnalyzor& layout, const Rect& panel);
  void SetupDropTarget(const Rect& panel);
  void SetupScrollBar(cDialogAnalyzor& layout, const Rect& panel);
  void SetupProgressOutput(cDialogAnalyzor& layout, const Rect& panel);
  void ResizeControls(short width, short height);

  // ---- Files, the saved list and drops ----
  void ResetAddRun(std::vector<sCDR_PendingFile> files, bool fromDialog, SInt32 chosen);
  void AddPendingFile(const sCDR_PendingFile& file);
  void EndAdding();
  void SelectListedFile(cSp_CDRProgramBaseObj* program);
  // Selects a file the dialog's run just appended, after the files it selected before.
  void SelectAddedFile(cCDR_MediaItem* item);
  static std::string LongNameOf(short vRefNum, SInt32 dirID, const char* name);
  // The records of the listed files from `from` on, added to `records`, with the folders'
  // paths kept in `folders`; at most `most` (0: no bound). The item to go on from, or null
  // when the list is done.
  cCDR_MediaItem* CollectMediaListRecords(std::vector<sCDR_MediaListRecord>& records,
                                          CDR_FolderPathCache& folders, cCDR_MediaItem* from,
                                          SInt32 most);
  // Writes the list of the listed files into Mirrelbox Prefs of the Preferences folder (version
  // 200) or of the Documents folder (version 1), through a side file that takes the list's
  // name in one step; 0 or the step that failed (the list then stays as it was).
  short WriteMediaListFile(bool version200);
  short WriteMediaListRecords(std::vector<sCDR_MediaListRecord>& records, bool version200);
  // Finds a listed file again (where it was, by its file id, by its long name, by its path).
  bool FindMediaListFile(const sCDR_MediaListRecord& record, bool version200, short& vRefNum,
                         SInt32& dirID, std::string& name, std::string& longName);
  bool MakeItemFromMediaListRecord(const sCDR_MediaListRecord& record, bool version200);
  // The files listed when a saved list starts to be read (volume, folder and name), so that
  // each record is checked against them at once.
  void NoteListedFiles();
  std::unordered_set<std::string> listedFiles_;
  // A file's key among those sets: its volume, folder and name.
  static std::string FileKey(short vRefNum, SInt32 dirID, const std::string& name);
  void ShowMediaListStatus(const std::string& text);
  void ShowMediaListReadProgress(SInt32 index, SInt32 count, float& shown);
  void ReportMediaListReadFailure(const sCDR_MediaListReadResult& result);
  void SetupDropProcedures();
  void RemoveAutoScrollTimer();
  void ShowDragFrame(bool show);
  // The row below which dropped files may go: the last row of the CDs at the list's top.
  short LowestDropRow();

  // ---- Keys (CDMediaManagerObjInput.cpp) ----
  void MoveSelectionByArrow(char key);

  // ---- Rows (CDMediaManagerObjRows.cpp) ----
  void SetCellLook(short column, short row, unsigned char vertical, unsigned char horizontal,
                   short inset, short textSize, short font);
  void WriteInfoCellForMediaItem(cCDR_MediaItem* item, short row);
  void WriteInfoCellForProgramItem(cCDR_MediaItem* item, cSp_CDRProgramItemObj* track, short row);

  // ---- Selection (CDMediaManagerObjSelection.cpp) ----
  // The lowest and highest rows the selection covers (0, 0 for none).
  void GetSelectionRowRange(short& lowest, short& highest);
  void AppendSelection(cCDR_SelectionMediaItem* entry);
  void ApplyShiftClick(short row);
  void ApplyCommandClick(short row);
  short RangeMiddleRow(short lowest, short highest);
  void LayRange(short anchor, short other);
  void MarkEntryRows(cCDR_SelectionMediaItem* entry, unsigned char selected);
  unsigned char SelectAllFrom(bool forward);
  short SelectionPositionOfRow(short row);
  // The selection by row for rows 1 to `rows`.
  void CollectSelectionRows(short rows, CDR_SelectionRows& out) const;
  // While set (a pass over every row), the rows' places and groups are looked up there.
  const CDR_SelectionRows* selectionRows_ = nullptr;

  // ---- Media items ----
  SInt32 mediaItemCount_ = 0;
  SInt32 lastReferenceNo_ = 0;
  cCDR_MediaItem* firstMediaItem_ = nullptr;
  cCDR_MediaItem* lastMediaItem_ = nullptr;

  // ---- Selection ----
  cCDR_SelectionMediaItem* firstSelection_ = nullptr;
  cCDR_SelectionMediaItem* lastSelection_ = nullptr;
  unsigned char rangeSelection_ = 0;

  // ---- Sizes ----
  short minWidth_ = 0;
  short minHeight_ = 0;
  short maxWidth_ = 0;
  short maxHeight_ = 0;
  short currentWidth_ = 0;
  short currentHeight_ = 0;

  // ---- Preferences and options ----
  cPrefStockMgr prefStockMgr_;
  cPrefStockFileObj* prefStockFile_ = nullptr;
  sCDR_SaveSetupDlgSpeedInfo speedSetup_ = {1.0, 5.0, 0.2};
  unsigned char nameOption_ = 1;
  unsigned char infoOption_ = 1;
  unsigned char quitAgreed_ = 0;
  unsigned char mediaChangeDeferred_ = 0;

  // ---- Views and controls ----
  cSp_DrawingView* backgroundView_ = nullptr;
  cSp_DrawingView* listPanelView_ = nullptr;
  cSp_OriginalIconButtonControl* button16_ = nullptr;
  cSp_OriginalIconButtonControl* button17_ = nullptr;
  cSp_OriginalIconButtonControl* button18_ = nullptr;
  cSp_OriginalIconButtonControl* button14_ = nullptr;
  cSp_OriginalIconButtonControl* button15_ = nullptr;
  cSp_OriginalIconButtonControl* removeButton_ = nullptr;
  cSp_OriginalIconButtonControl* addButton_ = nullptr;
  cSp_OriginalIconButtonControl* saveButton_ = nullptr;
  cSp_TittleBarControl* titleBar_ = nullptr;
  cMouseTraceObject* nameTitleTrace_ = nullptr;
  cMouseTraceObject* infoTitleTrace_ = nullptr;
  cLMgr_List_Base* mediaList_ = nullptr;
  cDropCatchObject* dropCatcher_ = nullptr;
  cSp_DrawingView* dragFrameView_ = nullptr;
  cSp_OrigScrollBarControl* scrollBar_ = nullptr;
  cSp_DrawingView* progressBarView_ = nullptr;
  cSp_StringView* statusTextView_ = nullptr;
  EventLoopTimerUPP autoScrollTimerUPP_ = nullptr;
  EventHandlerRef rawKeyHandler_ = nullptr;
  // The window procedures' reference numbers: grow, move, after close, before close, front.
  SInt32 procRefNos_[5] = {0, 0, 0, 0, 0};

  // ---- Layout margins ----
  Rect topBand_ = {0, 0, 0, 0};
  Rect bottomBand_ = {0, 0, 0, 0};
  Rect panelInsets_ = {0, 0, 0, 0};  // left, top, right and bottom distances as a Rect
  short button14Bottom_ = 0;
  short button15Bottom_ = 0;
  short removeRight_ = 0, removeTop_ = 0, removeBottom_ = 0;
  short addRight_ = 0, addTop_ = 0, addBottom_ = 0;
  short saveRight_ = 0, saveBottom_ = 0;
  short nameAndIconWidth_ = 0;
  short nameColumnWidth_ = 0;
  short nameColumnMinWidth_ = 0;
  short infoColumnWidth_ = 0;
  short infoColumnMinWidth_ = 0;
  short titleBarRight_ = 0;
  short listRight_ = 0, listBottom_ = 0;
  short scrollRight_ = 0, scrollBottom_ = 0;
  short progressHeight_ = 0, progressLeft_ = 0, progressRight_ = 0, progressBottom_ = 0;
  short statusHeight_ = 0, statusLeft_ = 0, statusRight_ = 0, statusBottom_ = 0;
  short nameTextWidth_ = 0;

  // ---- Colours (in field order) ----
  RGBColor white_ = {0, 0, 0};
  RGBColor black_ = {0, 0, 0};
  RGBColor itemTextColor_ = {0, 0, 0};
  RGBColor listTextColor_ = {0, 0, 0};
  RGBColor trackTextColor_ = {0, 0, 0};
  RGBColor trackNameColor_ = {0, 0, 0};
  RGBColor trackInfoColor_ = {0, 0, 0};
  RGBColor itemBackColor_ = {0, 0, 0};
  RGBColor itemSelectedBackColor_ = {0, 0, 0};
  RGBColor trackBackColor_ = {0, 0, 0};
  RGBColor trackSelectedBackColor_ = {0, 0, 0};
  RGBColor groupBackColor_ = {0, 0, 0};

  // ---- Members ----
  cSayErrorNoMgr errorNoMgr_;
  unsigned char errorFileFound_ = 0;
  ciTunesMusicInfoObj* iTunesInfo_ = nullptr;
  void (*closeProc_)(unsigned long) = nullptr;
  unsigned long closeRefCon_ = 0;

  // ---- Mouse ----
  unsigned char trianglePressing_ = 0;
  unsigned char triangleInside_ = 0;
  Point triangleCell_ = {0, 0};
  cCDR_MediaItem* triangleItem_ = nullptr;
  short triangleProgramType_ = 0;
  Point lastClickCell_ = {0, 0};
};

// ---- Static procedures (reference = the media manager) -------------------------------------
// The window a static procedure's reference carries; null (beep and record "Required
// argument is null") for a null reference.
cCDR_MediaManager* CDRMM_ManagerOfRefCon(unsigned long refCon, const char* method);
void CDRObj_CatchResizeWindowCB(cSp_Window* window, short modifiers, unsigned long refCon);
void CDRObj_CatchMoveWindowCB(cSp_Window* window, short modifiers, unsigned long refCon);
void CDRObj_CatchAfterCloseWindowCB(cSp_Window* window, short modifiers, unsigned long refCon);
// The before-close procedure: the window closes only when the program may quit.
unsigned char CDR_MediaWindowCloseProc(cSp_Window* window, short modifiers, unsigned long refCon);
// The move-to-front procedure: the eject item of the File menu in use follows the selection.
void CDR_MediaWindowMoveToFrontProc(cSp_Window* window, short modifiers, unsigned long refCon);
void CDRMM_CatchDrawBackgroundCB(unsigned long refCon, Rect* area);
void CDRMM_CatchDrawMediaItemListPanelCB(unsigned long refCon, Rect* area);
void CDRMM_CatchMediaWindowProgressBarDrawingCB(unsigned long refCon, Rect* area);
void CDRMM_CatchMoveMediaListTitleSeparatorCB(short item, unsigned long refCon);
void CDRMM_CatchMouseDownOnMediaListInfoTitle(unsigned long refCon);
void CDRMM_CatchMouseDownOnMediaListNameTitle(unsigned long refCon);
void CDRObj_CatchDrawItemListOpenIconCellCB(cLMgr_List_Base* list, sLMgr_Cell* cell, Rect& rect,
                                            unsigned long refCon);
OSStatus CDRObj_CatchRawKeyEventForOSXCarbonEventCB(EventHandlerCallRef handler, EventRef event,
                                                    void* userData);
void CDRObj_MediaItemListClickProc(Point cell, short modifiers, unsigned long refCon);
void CDRObj_MediaItemListDblClickProc(Point cell, short modifiers, unsigned long refCon);
void CDRObj_CatchMediaWindMediaItemListMouseDownCB(Point cell, short modifiers,
                                                   unsigned long refCon);
void CDRObj_CatchMediaWindMediaItemListMouseMoveCB(Boolean inside, Point cell, short modifiers,
                                                   unsigned long refCon);
void CDRObj_CatchMediaWindMediaItemListMouseUpCB(Boolean inside, Point cell, short modifiers,
                                                 unsigned long refCon);

// ---- Saving (reference = the media manager) --------------------------------------------------
void CDRMM_CatchSaveProgressCB(cSp_CDRProgramItemObj* item, SInt32 total, SInt32 done,
                               unsigned long refCon);
void CDRMM_CatchProgressBarDlgCancelButtonCB(cSp_ProgressBarWin* window, unsigned long refCon);
void CDRMM_CatchSaveEndProcCB(cSp_CDRProgramBaseObj* program, unsigned char stopped,
                              unsigned long refCon);
void CDRMM_CatchMoveProgressWindowCB(cSp_Window* window, short modifiers, unsigned long refCon);
void CDRMM_CatchSaveEndProcForMultiInEachCB(cSp_CDRProgramBaseObj* program, unsigned char stopped,
                                            unsigned long refCon);
// The next-track timer of saving into each file: installed once per file end, it fires on the
// next pass of the loop (unless paused) and removes itself.
void SpCDRI_EnableSaveMultiFileInEachLinkIdleProcedureForCarbonEvent(cCDR_MediaManager* manager);
void SpCDRI_DisableSaveMultiFileInEachLinkIdleProcedureForCarbonEvent();
void SpCDRI_SaveMultiFileInEachLinkIdleProcedure_PauseStart();
void SpCDRI_SaveMultiFileInEachLinkIdleProcedure_PauseEnd();
void SpCDRI_CatchSaveMultiFileInEachLinkCarbonEventIdleEventCB(EventLoopTimerRef timer,
                                                               void* userData);

// Ends a batch of new sound-file media items.
void CDMediaMgr_EndOfCreateNewMusicFileMediaItemProcess();
// The add dialog's filter: folders shown; a file shown when it is not listed yet and (with the
// sound check on) is sound.
unsigned char CDRMM_CatchOpenFileNavigationFilterCB(AEDesc* item, void* info, short filterMode,
                                                    unsigned long refCon);
OSErr CDRMM_GetFSSpecFromAEDesc(FSSpec* spec, AEDesc* desc);
// Whether the add dialog asks the sound check of each file.
extern unsigned char checkQuickTimeFileEnablerFlag_GlV;
void CDRMM_CatchDrawMediaItemListDragCursorInFrameViewCB(unsigned long refCon, Rect* area);
// The timer that adds the next files chosen or dropped.
void CDRMM_CatchAddNextFilesTimerCB(EventLoopTimerRef timer, void* refCon);
// Writes the saved list after a spread run of adds.
void CDRMM_CatchListSaveTimerCB(EventLoopTimerRef timer, void* refCon);
