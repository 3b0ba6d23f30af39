// The preference stock: the program's typed settings store and its files.
//
// A settings file (cPrefStockFileObj) holds a tree of items (cPrefStockData). Each item has a
// four-character id chosen by the application, one of the data types below and a value; an
// item may be a group that holds further items. The application finds an item by its id
// (creating it on first use), reads it with a typed getter and sets it with a typed setter
// that marks the owning file as modified. The one manager (cPrefStockMgr) keeps the file
// objects, numbers every item of the program in one list of all items and saves the modified
// files on request.
//
// The file format (all numbers big-endian): the file object's identify type (4 bytes), the
// largest data size of the tree's non-group items (4), then segments, each a signed 32-bit
// count followed by that many items; an item is its id (4), its type (1) and its payload. The
// children of a group follow the group in a segment of their own; see the writer in
// SpPreferenceStockFile.cpp for the rule. The records below have a fixed layout in the file
// whatever the machine: a position record is SInt16 volume, 2 zero bytes, SInt32 directory
// id and the 256-byte zero-terminated name (then 4 user bytes, or a folder flag, 3 zero bytes
// and the SInt32 id); a LongDateRec is its fourteen SInt16 fields; an FSRef is its 80 bytes,
// which the file layer defines byte by byte and resolves through its catalogue after a
// restart.
//
// Saving writes a new file next to the old one and puts it in the old one's place only when
// every byte has been written and the file closed, so a failed save leaves the previous file
// as it was. Loading reads the whole file before it touches the tree: a truncated or corrupt
// file is refused with an error and the items already held stay as they were. The reader
// takes whatever the writer writes: a count or a length is refused only when the file cannot
// hold that many bytes, never for passing a fixed limit.
//
// Failures sound the beep and log one record (source "SpPreferenceStockObject", the class and
// method name, a code and a fixed message); the file reader logs the number of its failing
// step with "File Error !! ".
//
// The manager's dispose procedure saves only when the framework's dispose registry runs,
// which the Carbon event loop does not do by itself. The application therefore saves at quit
// itself: Sp_SaveModifyPreferenceStock (or the manager's SaveModifyFileModule) writes every
// modified file, and destroying the manager does too.
#pragma once

#include <vector>

#include "DateTimeUtils.h"
#include "Files.h"
#include "MacTypes.h"
#include "SpListLinks.h"

// ---- Data types of an item -------------------------------------------------------------------

enum tPrefStockDataType : UInt8 {
  kPrefStockDataType_None = 0,  // no value yet
  kPrefStockDataType_Group = 1,
  kPrefStockDataType_String = 2,
  kPrefStockDataType_FlexArea = 3,
  kPrefStockDataType_Long = 4,
  kPrefStockDataType_OSType = 5,
  kPrefStockDataType_Double = 6,
  kPrefStockDataType_Char = 7,
  kPrefStockDataType_FileDirInfo = 8,
  kPrefStockDataType_Rect = 9,
  kPrefStockDataType_Point = 10,
  kPrefStockDataType_Boolean = 11,
  kPrefStockDataType_Float = 12,
  kPrefStockDataType_ExtFileDirInfo = 13,
  kPrefStockDataType_DateTime = 14,
  kPrefStockDataType_ExtFileDirTypeInfo = 15,
  kPrefStockDataType_FSRef = 16,
  kPrefStockDataType_Last = 16,
};

// Result of a load that met bytes that are no settings file (a count, a length or a size
// that the file cannot hold, a name without its terminator). A file that ends too early
// gives eofErr.
enum : OSErr { kPrefStockDataErr = ioErr };

// ---- Position records ---------------------------------------------------------------------------

// A file or folder by volume, parent directory and name.
struct sPerfFileDirInfo {
  SInt16 vRefNum;
  UInt8 padding[2];
  SInt32 dirID;
  char name[256];  // zero-terminated
};

// The same, with 4 bytes that the user of the record fills.
struct sPerfExtFileDirInfo {
  SInt16 vRefNum;
  UInt8 padding[2];
  SInt32 dirID;
  char name[256];
  SInt32 userData;
};

// The same, with the kind of the item and its own id: the file id of a file, the directory
// id of a folder. With them SpPref_GetExistFileFolderTarget finds the item again after it
// was renamed or moved.
struct sPerfExtFileDirTypeInfo {
  SInt16 vRefNum;
  UInt8 padding[2];
  SInt32 dirID;
  char name[256];
  UInt8 isFolder;  // 1 folder, 0 file
  UInt8 padding2[3];
  SInt32 fileOrDirID;
};

// Bytes of the fixed value of an item type, in memory and in the file alike (the records are
// written field by field, so the sizes below hold in both); 0 for the types without one.
SInt32 SpPref_FixedDataSize(UInt8 type);
static_assert(sizeof(sPerfFileDirInfo) == 264, "position record");
static_assert(sizeof(sPerfExtFileDirInfo) == 268, "extended position record");
static_assert(sizeof(sPerfExtFileDirTypeInfo) == 272, "position record with kind and id");
static_assert(sizeof(LongDateRec) == 28, "date record");
static_assert(sizeof(FSRef) == 80, "file system reference");

// The largest fixed value an item holds.
enum : SInt32 { kPrefStockFixedValueSize = 272 };

// What the file writer takes from an item.
struct sPrefStockDataSaveInfo {
  UInt32 identifyType;
  UInt8 dataType;
  const void* dataPtr;  // the fixed value, or the owned block of a string or flex area
  SInt32 dataLength;    // GetDataSize; the owned block's length for a string or flex area
};

class cPrefStockFileObj;
class cPrefStockMgr;
struct sSpOSXFileSysInfo;

// ---- One item
// -------------------------------------------------------------------------------------

// Items of one list (a file's top level or a group's children) are siblings through the
// cSpListLinks links. A file owns its top items, a group its children, an item its text or
// block. Deleting an item deletes its children and takes it out of its group or file.
class cPrefStockData : public cSpListLinks<cPrefStockData> {
 public:
  // Clears everything, then joins the manager's list of all items with a new reference
  // number (the manager is not created; without one the item keeps reference number 0).
  cPrefStockData(cPrefStockFileObj* file, UInt32 id);
  ~cPrefStockData();
  cPrefStockData(const cPrefStockData&) = delete;
  cPrefStockData& operator=(const cPrefStockData&) = delete;

  // Setters: an item of another type is cleared first; with markModified the owning file is
  // marked modified. 1 when the value was stored, 0 on a failure (reported).
  unsigned char SetupStringData(const char* text, unsigned char markModified);
  unsigned char SetupFlexAreaData(const char* bytes, SInt32 length, unsigned char markModified);
  unsigned char SetupLongData(SInt32 value, unsigned char markModified);
  unsigned char SetupOSTypeData(OSType value, unsigned char markModified);
  unsigned char SetupDblData(double value, unsigned char markModified);
  unsigned char SetupFloatData(float value, unsigned char markModified);
  unsigned char SetupCharData(char value, unsigned char markModified);
  unsigned char SetupRectData(const Rect* value, unsigned char markModified);
  unsigned char SetupPointData(Point value, unsigned char markModified);
  unsigned char SetupBooleanData(unsigned char value, unsigned char markModified);
  // The name is kept up to its terminator (255 bytes at most); padding and the bytes after
  // the terminator are kept as zeros.
  unsigned char SetupFileDirInfoData(const sPerfFileDirInfo* value, unsigned char markModified);
  unsigned char SetupExtFileDirInfoData(const sPerfExtFileDirInfo* value,
                                        unsigned char markModified);
  unsigned char SetupExtFileDirTypeInfoData(const sPerfExtFileDirTypeInfo* value,
                                            unsigned char markModified);
  unsigned char SetupFSRefTypeInfoData(const FSRef& value, unsigned char markModified);
  unsigned char SetupDateTimeData(const LongDateRec* value, unsigned char markModified);

  // Getters: 1 and the value when the item has that type; otherwise a "Type Error !! "
  // record, 0 and the output unchanged.
  // The text into a buffer of `size` bytes: cut to size - 1 bytes (cut set, result 1) when
  // it does not fit; an item without text gives an empty buffer and 0.
  unsigned char GetStingData(char* buffer, SInt32 size, unsigned char& cut);
  // The block into a buffer of `size` bytes: 1 when the whole block was copied; a smaller
  // buffer gets its first `size` bytes with cut set and result 0; an empty item gives 0.
  unsigned char GetFlexAreaData(char* buffer, SInt32 size, unsigned char& cut);
  unsigned char GetLongData(SInt32& value);
  unsigned char GetOSTypeData(OSType& value);
  unsigned char GetDblData(double& value);
  unsigned char GetFloatData(float& value);
  unsigned char GetCharData(char& value);
  unsigned char GetRectData(Rect& value);
  unsigned char GetPointData(Point& value);
  unsigned char GetFileDirInfoData(sPerfFileDirInfo& value);
  unsigned char GetExtFileDirInfoData(sPerfExtFileDirInfo& value);
  unsigned char GetExtFileDirTypeInfoData(sPerfExtFileDirTypeInfo& value);
  unsigned char GetFSRefTypeInfoData(FSRef& value);
  unsigned char GetBooleanData(unsigned char& value);
  unsigned char GetDateTimeData(LongDateRec& value);

  // Frees the text or block of a string or flex item; with resetType the type becomes 0.
  void ClearData(unsigned char resetType);

  // ---- Groups ----
  // The first child with the id (any type); missing and create: a new child.
  cPrefStockData* GetTargetStockDataItemInUnderDataListByIdType(UInt32 id, unsigned char create);
  // A new child at the end of the children (the item becomes a group). An item holding a
  // value cannot hold children ("Type Error !! ", null). Without allowSameId an existing child
  // with the id is reported and returned instead.
  cPrefStockData* CreateUnderStockDataItem(UInt32 id, unsigned char allowSameId);
  // Appends a child that is in no list yet; 1 when linked. The item becomes a group.
  unsigned char LinkIntoGroupItem(cPrefStockData* child);
  // Takes a child out of the children without deleting it; 1 when done.
  unsigned char UnLinkFromGroupItem(cPrefStockData* child);
  cPrefStockData* GetTargetStockDataItemInUnderDataListByDataRef(UInt32 reference);
  cPrefStockData* GetStockUpperGroupObjPtr() const { return upperGroup_; }
  cPrefStockData* GetStockTopUnderDataListHead() const { return childHead_; }

  // ---- Accessors ----
  UInt32 GetIdenfityType() const { return id_; }
  // The reference number, as GetReferenceNo.
  UInt32 GetStockDataReference() const { return referenceNo_; }
  UInt8 GetStockDataType() const { return type_; }
  void SetupReferenceNo(UInt32 reference) { referenceNo_ = reference; }
  UInt32 GetReferenceNo() const { return referenceNo_; }
  // Bytes of the value: 0 for types 0 and 1, the owned block for 2 and 3 (a string's block
  // is its text length + 4), the record size otherwise.
  SInt32 GetDataSize() const;
  void GetSaveInfo(sPrefStockDataSaveInfo& info) const;

  // ---- The manager's list of all items ----
  void TotalItemLinkToNext(cPrefStockData* item);
  cPrefStockData* UnlinkTotalItemLinkNext();
  cPrefStockData* GetBeforeTotalItemLinkObjectPtr() const { return totalBefore_; }
  cPrefStockData* GetNextTotalItemLinkObjectPtr() const { return totalNext_; }
  cPrefStockData* GetLastTotalItemLinkObjectPtr();

 private:
  friend class cPrefStockFileObj;
  friend class cPrefStockMgr;

  // Fixed values share one storage; strings and flex areas own a block instead.
  union Value {
    SInt32 longValue;
    OSType osType;
    double dblValue;
    float floatValue;
    char charValue;
    Rect rect;
    Point point;
    UInt8 booleanValue;
    sPerfFileDirInfo fileDir;
    sPerfExtFileDirInfo extFileDir;
    sPerfExtFileDirTypeInfo extFileDirType;
    LongDateRec date;
    FSRef fsRef;
    char* block;
    UInt8 bytes[kPrefStockFixedValueSize];
  };

  // Makes the item ready for a value of `type`: another type is cleared first. A group that
  // holds children takes no value (reported, 0).
  unsigned char PrepareType(UInt8 type, const char* method);
  // Makes the item a string or flex area of `count` bytes in an owned block of `blockSize`
  // bytes (no block when 0); a block of that size already held is reused.
  unsigned char SetupBlockData(UInt8 type, const char* bytes, SInt32 count, SInt32 blockSize,
                               const char* method, unsigned char markModified);
  // Stores a fixed value in its member of the storage; the rest of the storage is kept zero.
  template <class T>
  unsigned char SetupFixedData(UInt8 type, T Value::*member, const T& value, const char* method,
                               unsigned char markModified);
  // The same for a record given by pointer (a null one is refused); a position record is kept
  // as its setters say.
  template <class T>
  unsigned char SetupRecordData(UInt8 type, T Value::*member, const T* value, const char* method,
                                unsigned char markModified);
  template <class T>
  unsigned char GetFixedData(UInt8 type, T Value::*member, T& value, const char* method) const;
  void MarkModified(unsigned char markModified);
  unsigned char TypeMatches(UInt8 type, const char* method) const;
  // Takes the item out of the list that holds it (a group's children or a file's top list).
  void DetachFromHolder();
  // Deletes every child, deepest first, without recursion.
  void DeleteChildren();
  // Takes a child out of the children (it must be one).
  void RemoveChild(cPrefStockData* child);

  UInt32 id_ = 0;
  UInt32 referenceNo_ = 0;
  UInt8 type_ = kPrefStockDataType_None;
  Value value_;
  SInt32 ownedLength_ = 0;
  cPrefStockData* upperGroup_ = nullptr;
  cPrefStockData* childHead_ = nullptr;
  cPrefStockData* childTail_ = nullptr;
  cPrefStockFileObj* file_ = nullptr;
  cPrefStockData* totalBefore_ = nullptr;
  cPrefStockData* totalNext_ = nullptr;
  cPrefStockMgr* totalOwner_ = nullptr;     // the manager whose list of all items holds it
  cPrefStockFileObj* topHolder_ = nullptr;  // the file whose top list holds it
};

// ---- One settings file
// ----------------------------------------------------------------------------

class cPrefStockFileObj {
 public:
  // A name of at most 510 bytes is kept; a longer one is reported and the name stays empty.
  cPrefStockFileObj(UInt32 identifyType, const FSRef* folder, const char* fileName, UInt32 creator,
                    UInt32 fileType);
  // The folder given by volume and directory id; when it cannot be had the folder stays
  // unknown (reported) and the file can be neither loaded nor saved until SetupPrefFileInfo.
  cPrefStockFileObj(UInt32 identifyType, short vRefNum, SInt32 dirID, const char* fileName,
                    UInt32 creator, UInt32 fileType);
  ~cPrefStockFileObj();
  cPrefStockFileObj(const cPrefStockFileObj&) = delete;
  cPrefStockFileObj& operator=(const cPrefStockFileObj&) = delete;

  // Points the object at another folder for later loads and saves.
  OSErr SetupPrefFileInfo(short vRefNum, SInt32 dirID);
  // Names shorter than 511 bytes; 1 when taken.
  unsigned char SetupPrefFileName(const char* name);
  void SetupPrefModifyFlag() { modifyFlag_ = 1; }
  unsigned char GetPrefModifyFlag() const { return modifyFlag_; }
  unsigned char GetLoadedFileDataFlag() const { return loadedFlag_; }
  UInt32 GetPrefIdentifyType() const { return identifyType_; }
  cPrefStockData* GetPrefStockTopDataListHead() const { return topHead_; }

  // Writes the whole tree anew, into a side file that then takes the file's name in one step
  // (SpStdFileFunctionBackup.h). 0, or the failing File Manager result (reported); on a
  // failure the previous file stays as it was and the object stays modified. An object
  // without a file name writes nothing and gives 0.
  OSErr SavePrefDataInFile();
  // Reads the file and appends its items to the top list. A missing file gives 0 and no
  // items, unless a save killed before its new file took the name left that file complete
  // beside it: it is read and takes the name. A file that cannot be read gives the error,
  // reported with its step, and leaves the items as they were. One that ends early (eofErr)
  // or holds bytes that are no settings (kPrefStockDataErr) is damaged: it is kept beside,
  // as "<name> (damaged)" (replacing an earlier one), so the next save cannot overwrite it,
  // and its one record says so. The loaded flag is set when the load succeeded or found no
  // file; the modified flag is not touched.
  OSErr LoadPrefDataFromFile();
  // For a folder without the settings file `fileName`: the complete new file a killed save of
  // it left takes the name. 1 when the folder holds the settings file afterwards.
  static unsigned char TakeBackInterruptedSave(short vRefNum, SInt32 dirID, const char* fileName);
  // The items the last save wrote and counted: steps in proportion to the tree's size.
  UInt32 GetLastWriteSteps() const { return writeSteps_; }
  // The largest GetDataSize of the tree's non-group items, 0 when there are none.
  UInt32 GetMaxDataSizeLength() const;
  // Deletes every item and clears the loaded flag.
  void ClearPrefData();
  // The first top item with the id (and, with groupOnly, that is a group or has no value
  // yet, so that it can become one); missing and create: a new top item of type 0.
  cPrefStockData* GetTargetStockDataItemInPrefTopDataList(UInt32 id, unsigned char groupOnly,
                                                          unsigned char create);
  // Appends an item that is in no list yet to the top list; 1 when linked.
  unsigned char LinkToPrefTopDataList(cPrefStockData* item);

  // ---- The manager's list of file objects ----
  void LinkToPrefFileNext(cPrefStockFileObj* file);
  cPrefStockFileObj* UnlinkPrefFileNext();
  cPrefStockFileObj* GetBeforePrefFileObjectPtr() const { return fileBefore_; }
  cPrefStockFileObj* GetNextPrefFileObjectPtr() const { return fileNext_; }
  cPrefStockFileObj* GetLastPrefFileObjectPtr();

 private:
  friend class cPrefStockData;
  friend class cPrefStockMgr;

  void StartUpInitialize();
  void StartupSetup(UInt32 identifyType, const FSRef* folder, const char* fileName, UInt32 creator,
                    UInt32 fileType);
  void UnlinkFromTopList(cPrefStockData* item);
  // Appends a chain of items that are in no list to the top list.
  void AppendTopChain(cPrefStockData* head, cPrefStockData* tail);
  // The header, the segments and the closing counts, added to `file`; the first failure.
  OSErr WriteStockTree(std::vector<UInt8>& file) const;
  // Reads the tree into a chain of new top items (head, tail); on a failure `step` is the
  // failing step to report (0 when it was reported already).
  OSErr ReadStockTree(sSpOSXFileSysInfo* file, cPrefStockData*& head, cPrefStockData*& tail,
                      SInt32& step);
  // Reads the named file of the folder into a chain of new items; on a failure the chain is
  // deleted, nothing is reported and `step` is the step to report (0: reported already).
  OSErr ReadFileNamed(const char* name, cPrefStockData*& head, cPrefStockData*& tail, SInt32& step);
  // The file is missing: a killed save's new file is read into the chain and takes the name.
  bool TakeBackInterruptedSave(cPrefStockData*& head, cPrefStockData*& tail);
  // The file did not read at that step for what it holds: it goes aside, with one record.
  void KeepDamagedFile(SInt32 step);

  UInt32 identifyType_ = 0;
  UInt8 folderFlag_ = 0;
  FSRef folder_;
  UInt8 loadedFlag_ = 0;
  SInt32 nameCapacity_ = 0;
  char fileName_[512];
  UInt32 creator_ = 0;
  UInt32 fileType_ = 0;
  cPrefStockData* topHead_ = nullptr;
  cPrefStockData* topTail_ = nullptr;
  UInt8 modifyFlag_ = 0;
  cPrefStockFileObj* fileBefore_ = nullptr;
  cPrefStockFileObj* fileNext_ = nullptr;
  cPrefStockMgr* owner_ = nullptr;  // the manager whose file list holds the object
  mutable UInt32 writeSteps_ = 0;
};

// ---- The manager
// ------------------------------------------------------------------------------------

class cPrefStockMgr {
 public:
  // Becomes the global manager when there is none (otherwise reported; the first stays
  // global). The dispose procedure that saves the global manager's files is registered once
  // per run, however many managers are made.
  cPrefStockMgr();
  // Saves the modified files, then deletes every file object.
  ~cPrefStockMgr();
  cPrefStockMgr(const cPrefStockMgr&) = delete;
  cPrefStockMgr& operator=(const cPrefStockMgr&) = delete;

  cPrefStockFileObj* CreateNewStockFileObj(UInt32 identifyType, const FSRef* folder,
                                           const char* fileName, UInt32 creator, UInt32 fileType);
  cPrefStockFileObj* CreateNewStockFileObj(UInt32 identifyType, short vRefNum, SInt32 dirID,
                                           const char* fileName, UInt32 creator, UInt32 fileType);
  // Appends a file object that is in no manager's list; 1 when appended.
  unsigned char SetupNewStockFileObj(cPrefStockFileObj* object, unsigned char checkListed);
  // Saves every modified file object in list order; 0, or the first save's failure (every
  // modified file is tried).
  OSErr SaveModifyFileModule();
  cPrefStockFileObj* GetTargetStockFileObj(UInt32 identifyType) const;
  // Deletes the file object (saving it first when asked and modified); 1 when deleted.
  unsigned char DeleteTopPrefStockFileModule(UInt32 identifyType, unsigned char saveFirst);
  unsigned char DeleteTopPrefStockFileModule(cPrefStockFileObj* object, unsigned char saveFirst);

  // The list of all items; reference numbers are never given twice during a run.
  unsigned char LinkToTotalList(cPrefStockData* item, unsigned char giveReference);
  unsigned char UnLinkFromTotalList(cPrefStockData* item);
  cPrefStockData* GetTargetRefNumStockDataItemInTotalList(UInt32 reference) const;

 private:
  friend class cPrefStockFileObj;

  void StartUpInitialize();
  // Takes a file object of this manager out of the list, without deleting it.
  void UnlinkFile(cPrefStockFileObj* object);

  cPrefStockFileObj* fileHead_ = nullptr;
  cPrefStockFileObj* fileTail_ = nullptr;
  UInt32 nextReferenceNo_ = 1;
  cPrefStockData* totalHead_ = nullptr;
  cPrefStockData* totalTail_ = nullptr;
};

// ---- Free functions
// --------------------------------------------------------------------------------

// The global manager; when there is none and create is set, a new one.
cPrefStockMgr* Sp_GetPreferenceStockMgrPtr(unsigned char create);
// Saves every modified file of the global manager: what the application calls at quit.
// 0 when there is no manager.
OSErr Sp_SaveModifyPreferenceStock();
// The global manager's LinkToTotalList / UnLinkFromTotalList (never creating it).
unsigned char Sp_LinkNewDataItemIntoTotalList(cPrefStockData* item, unsigned char giveReference);
unsigned char Sp_UnLinkDataItemFromTotalList(cPrefStockData* item);
// The dispose procedure: saves the global manager's modified files. Without a manager there
// is nothing to save (its destructor saved).
void Sp_DisposeEventProcForPreferenceStock(unsigned long reference);
// Finds a stored file or folder again: where it was, or, after a rename or a move, by its
// id. 1 with `found` filled, or 0.
unsigned char SpPref_GetExistFileFolderTarget(const sPerfExtFileDirTypeInfo& stored,
                                              sPerfExtFileDirTypeInfo& found);
