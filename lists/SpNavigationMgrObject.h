// The framework's file dialogs: the dialog object (cNavMgrObject) that runs the open, save and
// choose-folder dialogs of Navigation Services with the client's filter, default location and
// custom controls; the list of chosen files (cNavMgrFileList) they hand back; and the cache of
// an open dialog's filter verdicts by folder and file name.
//
// A client makes a cNavMgrObject for each dialog, sets it up (its public settings and the
// Setup... operations), runs one dialog operation and deletes it. Failures beep and log a record
// under "SpNavigationMgrObject".
//
// Names are MacJapanese, as the classic calls give them. Directory and folder ids are 32-bit
// throughout. A name copied out is marked truncated only when it does not fit the caller's
// buffer with its terminator; it is then cut on a character boundary.
#pragma once

#include <string>
#include <unordered_map>

#include "AppleEvents.h"
#include "Files.h"
#include "MacTypes.h"
#include "MacWindows.h"
#include "Navigation.h"
#include "SpClassicFileSaveOpen.h"
#include "SpCollectionObject.h"
#include "SpListLinks.h"

// ---- Chosen-file list -----------------------------------------------------------------------

enum : SInt32 { kSpNavFileNameSize = 1024 };

// One chosen file or folder.
class cNavMgrFileListItem : public cSpListLinks<cNavMgrFileListItem> {
 public:
  cNavMgrFileListItem(short volume, SInt32 directory, const char* name);
  cNavMgrFileListItem(const cNavMgrFileListItem&) = delete;
  cNavMgrFileListItem& operator=(const cNavMgrFileListItem&) = delete;

  // A file entry: volume, the directory holding it and its name (the first 1022 bytes, whole
  // characters; null or empty leaves the name empty).
  void SetupFileInfo(short volume, SInt32 directory, const char* name);
  void SetupFileInfoByFSRef(const FSRef* ref);
  // Needs a name buffer and a size above 1 (else a record, code 1, and nothing returned).
  void GetFileInfo(short& volume, SInt32& directory, char* name, SInt32 size,
                   unsigned char* truncated) const;
  void GetFileInfoByFSRef(FSRef& ref) const { ref = ref_; }
  unsigned char IsFolderOrVolume() const { return folder_; }
  // A folder entry, named by its directory and name (its own id looked up) or, without those,
  // by its own id (its name and directory looked up). Records: code 1 when neither is given,
  // 3 when the name cannot be found, 2 when the id cannot.
  void SetupFolderInfo(short volume, SInt32 directory, const char* name, SInt32 folderID);
  // Every pointer may be null.
  void GetFolderInfo(short* volume, SInt32* directory, char* name, SInt32 size,
                     unsigned char* truncated, SInt32* folderID) const;

 private:
  short volume_ = 0;
  SInt32 directory_ = 0;
  char name_[kSpNavFileNameSize] = {};
  FSRef ref_{};
  unsigned char folder_ = 0;
  SInt32 folderID_ = 0;
};

// The items a dialog hands back, read with a cursor. The list owns its items.
class cNavMgrFileList {
 public:
  cNavMgrFileList() = default;
  ~cNavMgrFileList() { ClearFileItem(); }
  cNavMgrFileList(const cNavMgrFileList&) = delete;
  cNavMgrFileList& operator=(const cNavMgrFileList&) = delete;

  // Appends a file item; null (with a record: code 1 for a null or empty name, 2 for memory).
  cNavMgrFileListItem* SetupFileItem(short volume, SInt32 directory, const char* name);
  // Appends a folder item (see SetupFolderInfo; a folder given by its id needs no name); null,
  // and nothing appended, when the folder cannot be set up.
  cNavMgrFileListItem* SetupFolderItem(short volume, SInt32 directory, const char* name,
                                       SInt32 folderID);
  void ClearFileItem();
  void ResetSequentialReference() { cursor_ = first_; }
  short GetNumberOfItem() const { return short(count_); }
  // Reads the item under the cursor and moves on; 0 when the cursor is past the end (then only
  // *last is set). Every pointer but the name may be null; a null name gives a record, code 1.
  unsigned char GetFileItemBySequential(short& volume, SInt32& directory, char* name, SInt32 size,
                                        unsigned char* truncated, unsigned char* last,
                                        unsigned char* folder, SInt32* folderID);
  // The item's FSRef (and folder flag and id); the cursor moves only with advance.
  unsigned char GetFileRefAndFSSpecBySequential(FSRef* ref, unsigned char advance,
                                                unsigned char* last, unsigned char* folder,
                                                SInt32* folderID);
  cNavMgrFileListItem* GetFileItemPtrBySequential(unsigned char advance);

 private:
  void Append(cNavMgrFileListItem* item);

  SInt32 count_ = 0;
  cNavMgrFileListItem* first_ = nullptr;
  cNavMgrFileListItem* last_ = nullptr;
  cNavMgrFileListItem* cursor_ = nullptr;
};

// ---- Filter cache ---------------------------------------------------------------------------

enum : SInt32 {
  kSpNavFilterNameSize = 512,
  // Folders kept: the least recently used one goes when one more is needed.
  kSpNavFilterFolderLimit = 21,
};

// One remembered verdict. Names are kept to 511 bytes (whole characters).
class cFileFilterInfoStockItem : public cSpListLinks<cFileFilterInfoStockItem> {
 public:
  cFileFilterInfoStockItem(const char* name, unsigned char show) { SetupItemInfo(name, show); }
  void SetupItemInfo(const char* name, unsigned char show);
  // From this entry on, the first whose name equals the given one byte for byte.
  cFileFilterInfoStockItem* SerchTargetObject(const char* name);
  unsigned char IsOutputItem() const { return show_; }

 private:
  char name_[kSpNavFilterNameSize] = {};
  unsigned char show_ = 0;
};

// The verdicts of one folder, in the order they were stored.
class cFileFilterInfoTargetFolder : public cSpListLinks<cFileFilterInfoTargetFolder> {
 public:
  cFileFilterInfoTargetFolder(short volume, SInt32 directory)
      : volume_(volume), directory_(directory) {}
  ~cFileFilterInfoTargetFolder() { ClearItem(); }
  cFileFilterInfoTargetFolder(const cFileFilterInfoTargetFolder&) = delete;
  cFileFilterInfoTargetFolder& operator=(const cFileFilterInfoTargetFolder&) = delete;

  // 1 and the verdict when the name is remembered; 0 (show untouched) otherwise.
  unsigned char GetTargetFileInfo(const char* name, unsigned char& show);
  // Remembers the verdict unless the name has one already (the first verdict stays).
  void SetTargetFileInfo(const char* name, unsigned char show);
  // From this folder on along the chain, the first of that volume and directory, or null.
  cFileFilterInfoTargetFolder* SerchTargetFolder(short volume, SInt32 directory);
  void ClearItem();

 private:
  short volume_;
  SInt32 directory_;
  cFileFilterInfoStockItem* first_ = nullptr;
  cFileFilterInfoStockItem* last_ = nullptr;
  // The verdicts by kept name: a folder of thousands of files is asked of each of them.
  std::unordered_map<std::string, cFileFilterInfoStockItem*> byName_;
};

// The chain, most recently used folder first.
extern cFileFilterInfoTargetFolder* fileFilterInfo_GlV;
extern cFileFilterInfoTargetFolder* lastFileFilterInfo_GlV;
extern SInt32 fileFilterInfoFolderDataNum;

// Forgets every folder.
void SpNav_InitializeFileFilterTargetInfo();
// The folder's entry, moved to (or made at) the head of the chain; null only when a new entry
// cannot be made.
cFileFilterInfoTargetFolder* SpNav_GetFilterInfoFolderObject(short volume, SInt32 directory);

// ---- The dialog object ----------------------------------------------------------------------

// The client's object filter: non-zero shows the item.
typedef unsigned char (*SpNavFilterProcPtr)(AEDesc* item, void* info, short filterMode,
                                            unsigned long refcon);
// A click on a custom control: the item relative to the first custom one, the item, the
// dialog window's rectangle.
typedef void (*SpNavCustomActionProcPtr)(WindowRef window, short relativeItem, short item,
                                         Rect& windowRect, unsigned long refcon);

extern unsigned char navigationServiceEnableFlag_GlV;
extern unsigned char navigationServiceLoadLibralyFlag_GlV;

// Loads Navigation Services once per run.
void InitNavigationService();
void SpNav_DisposeNavigationLib(unsigned long refcon);
// Releases the six texts SetupDialogOptionForOSX made.
void SpNav_ReleaseDialogOptionForOSX(NavDialogCreationOptions& options);
// The procedures handed to Navigation Services; the object is their callback data.
void SpNav_EventProc(NavEventCallbackMessage selector, NavCBRecPtr params, void* callbackData);
Boolean SpNav_CatchOpenFileNavigationFilterCB(AEDesc* item, void* info, void* callbackData,
                                              NavFilterModes filterMode);

enum : SInt32 {
  kSpNavTextSize = 256,
  kSpNavDefaultNameSize = 1024,
};

class cNavMgrObject : public cSp_uLongCollection {
 public:
  explicit cNavMgrObject(OSType creator);
  ~cNavMgrObject();
  cNavMgrObject(const cNavMgrObject&) = delete;
  cNavMgrObject& operator=(const cNavMgrObject&) = delete;

  void StartUpInitialize();

  // ---- Settings ----
  void AddFileType(OSType type) { SetValue(-1, type); }
  void SetupFIleTypeByResourceId(short id) { openResourceID_ = id; }
  void ClearFileType() { openResourceID_ = 0; }
  void SetupDefaultLocation(short vRefNum, SInt32 dirID, const char* name);
  void SetupWindowPosition(short h, short v);
  void GetWindowPosition(short& h, short& v) const;
  unsigned char GetWindowMoveFlag() const { return windowMoved_; }
  void SetupFilterProcedureProcPtr(SpNavFilterProcPtr proc, unsigned long refcon);
  void SetupCustomizeControlByDITL(short id) { itemListID_ = id; }
  void SetupCustomizeControlArea(short width, short height);
  void SetupCustomizeControlActionProcPtr(SpNavCustomActionProcPtr proc, unsigned long refcon);
  void AddExcludeFileItem(short vRefNum, SInt32 dirID, const char* name,
                          unsigned char locationBound);
  void ClearExcludeFileItem() { exclusion_.ClearItem(); }
  Boolean IsExcludeFileItem(short vRefNum, SInt32 dirID, const char* name);
  Boolean GetUserNameAndPassword(cSp_StringCollection*, char*, char*) { return 0; }

  // ---- The dialogs of the application ----
  // Appends the chosen files to the list; 1 when the dialog ran (whatever was chosen), 0 when
  // it could not be made or without a list.
  unsigned char NavigatorGetOpenFileForX(cNavMgrFileList* list);
  // 1 when the user saved: the folder, the name (see the top of this file), its encoding and
  // the replacing flag (the last three pointers may be null).
  unsigned char NavigatorGetSaveFileForX(OSType creator, OSType fileType, FSRef* folder, char* name,
                                         SInt32 nameSize, UInt32* encoding,
                                         unsigned char* truncated, unsigned char* replacing);
  // 1 when a folder was chosen (copied into folder when it is not null).
  unsigned char NavigatorGetChooseFolderForX(FSRef* folder);

  // ---- The one-call dialogs ----
  unsigned char GetOpenFile(cNavMgrFileList* list);
  unsigned char NavigatorGetOpenFile(cNavMgrFileList* list);
  // The answer's file spec holds 63 bytes of the typed name: a longer name comes back cut and
  // marked truncated, as one that does not fit nameSize does.
  unsigned char GetSaveFile(OSType creator, OSType fileType, short& vRefNum, SInt32& dirID,
                            char* name, SInt32 nameSize, unsigned char& truncated,
                            unsigned char& replacing);
  unsigned char NavigatorGetSaveFile(OSType creator, OSType fileType, short& vRefNum, SInt32& dirID,
                                     char* name, SInt32 nameSize, unsigned char& truncated,
                                     unsigned char& replacing);
  unsigned char GetChooseFileObject(cNavMgrFileList* list);
  unsigned char GetChooseFolder(short& vRefNum, SInt32& dirID);
  unsigned char NavigatorGetChooseFolder(short& vRefNum, SInt32& dirID);

  // ---- Called back by Navigation Services ----
  void CatchEventProcedureCB(NavEventCallbackMessage selector, NavCBRecPtr params);
  Boolean CatchOpenFileNavigationFilterCB(AEDesc* item, void* info, short filterMode);

  // ---- Public settings, written by the client before it runs a dialog ----
  unsigned char noTypePopupFlag = 1;
  unsigned char dontAutoTranslateFlag = 1;
  unsigned char dontAddTranslateItemsFlag = 1;
  unsigned char allFilesInPopupFlag = 0;
  unsigned char allowStationeryFlag = 0;
  unsigned char allowPreviewsFlag = 0;
  unsigned char allowMultipleFilesFlag = 0;
  unsigned char allowInvisibleFilesFlag = 0;
  unsigned char dontResolveAliasesFlag = 1;  // kept; no option bit
  unsigned char selectDefaultLocationFlag = 1;
  unsigned char selectAllReadableItemFlag = 0;
  unsigned char useEventProcFlag = 1;
  // MacJapanese, zero-terminated; empty: the standard text.
  char clientName[kSpNavTextSize] = {};
  char windowTitle[kSpNavTextSize] = {};
  char actionButtonLabel[kSpNavTextSize] = {};
  char cancelButtonLabel[kSpNavTextSize] = {};
  char saveFileName[kSpNavTextSize] = {};
  char message[kSpNavTextSize] = {};
  // 3 with a parent window: a sheet on it; 1 system-modal; otherwise application-modal.
  UInt32 modality = 0;
  WindowRef parentWindow = nullptr;

 private:
  enum DialogKind { kOpen, kSave, kChooseFolder };

  NavDialogOptionFlags DialogFlags() const;
  void SetupDialogOptionForOSX(NavDialogCreationOptions& options) const;
  void SetupDialogOption(NavDialogOptions& options) const;
  NavTypeListHandle MakeFileTypeList() const;
  void StandbyDefaultFileOutputPositionFromSetupedFileInfo();
  bool MakeDefaultDescriptor(DescType type, const void* data, Size size);
  // The three dialogs of the application share one run: true when it was created and ran.
  bool RunForX(DialogKind kind, cNavMgrFileList* list, OSType creator, OSType fileType,
               OSStatus* runResult);
  void ReleaseSaveName();
  // The options of a one-call dialog and its default location (the object's own when asked,
  // else none); and what every one-call dialog lets go of afterwards.
  void PrepareOneCall(NavDialogOptions& options, bool defaultLocation);
  void FinishOneCall(NavReplyRecord& reply);
  void CollectReply(NavDialogRef dialog);
  void Start(NavCBRecPtr params);
  void Event(NavCBRecPtr params);
  void CustomArea(NavCBRecPtr params);

  short openResourceID_ = 0;
  OSType creator_ = 0;
  unsigned char windowPositionSet_ = 0;
  unsigned char windowMoved_ = 0;
  short windowH_ = -1, windowV_ = -1;
  cClassicStdFilePkgExcludeFileChecker exclusion_;
  SpNavFilterProcPtr filterProc_ = nullptr;
  unsigned long filterRefCon_ = 0;
  unsigned char defaultLocationSet_ = 0;
  unsigned char collectReply_ = 0;
  unsigned char defaultLocationReady_ = 0;
  unsigned char folderMode_ = 0;
  short defaultVolume_ = 0;
  SInt32 defaultDirectory_ = 0;
  char defaultName_[kSpNavDefaultNameSize] = {};
  AEDesc defaultLocation_ = {typeNull, nullptr};
  unsigned char replyValid_ = 0;
  unsigned char replacing_ = 0;
  cNavMgrFileList* chosenList_ = nullptr;
  char* saveName_ = nullptr;
  UInt32 saveNameEncoding_ = 0;
  short itemListID_ = 0;
  short firstCustomControl_ = 0;
  Handle itemList_ = nullptr;
  short customWidth_ = 0, customHeight_ = 0;
  SpNavCustomActionProcPtr customActionProc_ = nullptr;
  unsigned long customActionRefCon_ = 0;
};
