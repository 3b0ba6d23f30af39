#include "SpPreferenceStockObject.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "MacMemory.h"
#include "SpCoreHooks.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionForOSX.h"

namespace {

const char kSource[] = "SpPreferenceStockObject";
const char kMsgBufferOverFlow[] = "Buffer over flow !! ";
const char kMsgParameterError[] = "Parameter Error !! ";
const char kMsgFileNameLength[] = "File Name Length Error !! ";
const char kMsgProcError[] = "Proc Error !! ";

// The file name's storage: 510 bytes of name, the terminator and one spare byte.
constexpr SInt32 kNameCapacity = 512;
constexpr std::size_t kLongestFileName = 510;

cPrefStockMgr* prefStockMgr_GlV = nullptr;
// The dispose procedure is registered with the first manager; it saves whichever manager is
// global when it runs, so one registration serves every manager of the run.
bool prefStockDisposeRegistered_GlV = false;
// The highest reference number handed out during the run: a manager made after another one
// went on counting from there, so that numbers are never given twice.
UInt32 prefStockLastReferenceNo_GlV = 0;

// A name of a position record as kept: up to its terminator, at most 255 bytes, the rest of
// the 256 bytes zero.
void CopyRecordName(char* out, const char* in) {
  std::size_t length = strnlen(in, 255);
  std::memset(out, 0, 256);
  std::memcpy(out, in, length);
}

// A value as an item keeps it: as given, except that a position record keeps its name as
// above, its padding zero and the fields of its kind.
template <class T>
T KeptValue(const T& value) {
  return value;
}

template <class Record>
Record KeptPositionHead(const Record& value) {
  Record kept;
  std::memset(&kept, 0, sizeof kept);
  kept.vRefNum = value.vRefNum;
  kept.dirID = value.dirID;
  CopyRecordName(kept.name, value.name);
  return kept;
}

sPerfFileDirInfo KeptValue(const sPerfFileDirInfo& value) {
  return KeptPositionHead(value);
}

sPerfExtFileDirInfo KeptValue(const sPerfExtFileDirInfo& value) {
  sPerfExtFileDirInfo kept = KeptPositionHead(value);
  kept.userData = value.userData;
  return kept;
}

sPerfExtFileDirTypeInfo KeptValue(const sPerfExtFileDirTypeInfo& value) {
  sPerfExtFileDirTypeInfo kept = KeptPositionHead(value);
  kept.isFolder = value.isFolder;
  kept.fileOrDirID = value.fileOrDirID;
  return kept;
}

// The manager's list of all items and its list of file objects run through a pair of link
// members of the listed class (an item's cSpListLinks links are its siblings'). These serve
// both lists, given the pair.
template <class T>
T* LastLinked(T* item, T* T::*next) {
  while (item->*next != nullptr) item = item->*next;
  return item;
}

// Appends `item` (with any chain that follows it) after the last item of `self`'s chain.
template <class T>
void LinkAfterLast(T* self, T* item, T* T::*before, T* T::*next) {
  if (item == nullptr || item == self) return;
  T* last = LastLinked(self, next);
  last->*next = item;
  item->*before = last;
}

// Takes the item after `self` out of the chain and returns it unlinked; null when none.
template <class T>
T* UnlinkFollowing(T* self, T* T::*before, T* T::*next) {
  T* item = self->*next;
  if (item == nullptr) return nullptr;
  self->*next = item->*next;
  if (self->*next != nullptr) (self->*next)->*before = self;
  item->*before = nullptr;
  item->*next = nullptr;
  return item;
}

// Takes `item` out of the list whose ends are head and tail.
template <class T>
void UnlinkFromList(T*& head, T*& tail, T* item, T* T::*before, T* T::*next) {
  if (head == item) head = item->*next;
  if (tail == item) tail = item->*before;
  if (item->*before != nullptr) (item->*before)->*next = item->*next;
  if (item->*next != nullptr) (item->*next)->*before = item->*before;
  item->*before = nullptr;
  item->*next = nullptr;
}

}  // namespace

// =============================================================================================
// One item
// =============================================================================================

cPrefStockData::cPrefStockData(cPrefStockFileObj* file, UInt32 id) {
  std::memset(&value_, 0, sizeof value_);
  file_ = file;
  id_ = id;
  Sp_LinkNewDataItemIntoTotalList(this, 1);
}

cPrefStockData::~cPrefStockData() {
  DeleteChildren();
  DetachFromHolder();
  ClearData(1);
  if (totalOwner_ != nullptr) totalOwner_->UnLinkFromTotalList(this);
}

void cPrefStockData::DetachFromHolder() {
  if (upperGroup_ != nullptr) {
    upperGroup_->RemoveChild(this);
  } else if (topHolder_ != nullptr) {
    topHolder_->UnlinkFromTopList(this);
  }
}

void cPrefStockData::DeleteChildren() {
  // Deepest first, going on from the parent of each deleted item, so a tree of any depth is
  // deleted in one pass and without recursion.
  cPrefStockData* from = this;
  while (childHead_ != nullptr) {
    cPrefStockData* leaf = from;
    while (leaf->childHead_ != nullptr) leaf = leaf->childHead_;
    from = leaf->upperGroup_;
    delete leaf;  // takes itself out of its group
    if (from == nullptr) from = this;
  }
}

void cPrefStockData::RemoveChild(cPrefStockData* child) {
  if (childHead_ == child) childHead_ = child->GetNextObjectPtr();
  if (childTail_ == child) childTail_ = child->GetBeforeObjectPtr();
  child->UnlinkSelf();
  child->upperGroup_ = nullptr;
}

void cPrefStockData::MarkModified(unsigned char markModified) {
  if (markModified != 0 && file_ != nullptr) file_->SetupPrefModifyFlag();
}

unsigned char cPrefStockData::TypeMatches(UInt8 type, const char* method) const {
  if (type_ == type) return 1;
  return SpReportFailure(kSource, method, 1, kSpMsgTypeError, (unsigned char)0);
}

unsigned char cPrefStockData::PrepareType(UInt8 type, const char* method) {
  // Children would be lost from the file behind a value: a group that holds some keeps them.
  if (childHead_ != nullptr && type != kPrefStockDataType_Group) {
    return SpReportFailure(kSource, method, 1, kSpMsgTypeError, (unsigned char)0);
  }
  if (type_ != type) ClearData(1);
  return 1;
}

void cPrefStockData::ClearData(unsigned char resetType) {
  if (type_ == kPrefStockDataType_String || type_ == kPrefStockDataType_FlexArea) {
    if (ownedLength_ >= 1 && value_.block != nullptr) DisposePtr(value_.block);
    value_.block = nullptr;
    ownedLength_ = 0;
  }
  if (resetType != 0) type_ = kPrefStockDataType_None;
}

// ---- Setters ----------------------------------------------------------------------------------

unsigned char cPrefStockData::SetupStringData(const char* text, unsigned char markModified) {
  const char kMethod[] = "cPrefStockData::SetupStringData";
  if (text == nullptr)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, (unsigned char)0);
  std::size_t length = std::strlen(text);
  // The block is the text, its terminator and three spare bytes; its size is a 32-bit long.
  if (length > std::size_t(INT32_MAX - 4)) {
    return SpReportFailure(kSource, kMethod, 2, kSpMsgDataError, (unsigned char)0);
  }
  SInt32 blockSize = length == 0 ? 0 : SInt32(length) + 4;
  return SetupBlockData(kPrefStockDataType_String, text, SInt32(length) + 1, blockSize, kMethod,
                        markModified);
}

unsigned char cPrefStockData::SetupFlexAreaData(const char* bytes, SInt32 length,
                                                unsigned char markModified) {
  const char kMethod[] = "cPrefStockData::SetupFlexAreaData";
  if (bytes == nullptr && length > 0) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, (unsigned char)0);
  }
  SInt32 blockSize = std::max<SInt32>(length, 0);
  return SetupBlockData(kPrefStockDataType_FlexArea, bytes, blockSize, blockSize, kMethod,
                        markModified);
}

unsigned char cPrefStockData::SetupBlockData(UInt8 type, const char* bytes, SInt32 count,
                                             SInt32 blockSize, const char* method,
                                             unsigned char markModified) {
  if (PrepareType(type, method) == 0) return 0;
  if (blockSize <= 0) {
    ClearData(0);
  } else if (type_ == type && value_.block != nullptr && ownedLength_ == blockSize) {
    std::memmove(value_.block, bytes, std::size_t(count));
  } else {
    // The new block is filled before the old one goes: the bytes may live in it.
    Ptr block = NewPtrClear(blockSize);
    if (block == nullptr)
      return SpReportFailure(kSource, method, 1, kSpMsgMemory, (unsigned char)0);
    std::memcpy(block, bytes, std::size_t(count));
    ClearData(0);
    value_.block = block;
    ownedLength_ = blockSize;
  }
  type_ = type;
  MarkModified(markModified);
  return 1;
}

template <class T>
unsigned char cPrefStockData::SetupFixedData(UInt8 type, T Value::*member, const T& value,
                                             const char* method, unsigned char markModified) {
  if (PrepareType(type, method) == 0) return 0;
  std::memset(value_.bytes, 0, sizeof value_.bytes);
  value_.*member = value;
  type_ = type;
  MarkModified(markModified);
  return 1;
}

template <class T>
unsigned char cPrefStockData::SetupRecordData(UInt8 type, T Value::*member, const T* value,
                                              const char* method, unsigned char markModified) {
  if (value == nullptr)
    return SpReportFailure(kSource, method, 1, kSpMsgNullArgument, (unsigned char)0);
  return SetupFixedData(type, member, KeptValue(*value), method, markModified);
}

unsigned char cPrefStockData::SetupLongData(SInt32 value, unsigned char markModified) {
  return SetupFixedData(kPrefStockDataType_Long, &Value::longValue, value,
                        "cPrefStockData::SetupLongData", markModified);
}

unsigned char cPrefStockData::SetupOSTypeData(OSType value, unsigned char markModified) {
  return SetupFixedData(kPrefStockDataType_OSType, &Value::osType, value,
                        "cPrefStockData::SetupOSTypeData", markModified);
}

unsigned char cPrefStockData::SetupDblData(double value, unsigned char markModified) {
  return SetupFixedData(kPrefStockDataType_Double, &Value::dblValue, value,
                        "cPrefStockData::SetupDblData", markModified);
}

unsigned char cPrefStockData::SetupFloatData(float value, unsigned char markModified) {
  return SetupFixedData(kPrefStockDataType_Float, &Value::floatValue, value,
                        "cPrefStockData::SetupFloatData", markModified);
}

unsigned char cPrefStockData::SetupCharData(char value, unsigned char markModified) {
  return SetupFixedData(kPrefStockDataType_Char, &Value::charValue, value,
                        "cPrefStockData::SetupCharData", markModified);
}

unsigned char cPrefStockData::SetupRectData(const Rect* value, unsigned char markModified) {
  return SetupRecordData(kPrefStockDataType_Rect, &Value::rect, value,
                         "cPrefStockData::SetupRectData", markModified);
}

unsigned char cPrefStockData::SetupPointData(Point value, unsigned char markModified) {
  return SetupFixedData(kPrefStockDataType_Point, &Value::point, value,
                        "cPrefStockData::SetupPointData", markModified);
}

unsigned char cPrefStockData::SetupBooleanData(unsigned char value, unsigned char markModified) {
  return SetupFixedData(kPrefStockDataType_Boolean, &Value::booleanValue, value,
                        "cPrefStockData::SetupBooleanData", markModified);
}

unsigned char cPrefStockData::SetupFileDirInfoData(const sPerfFileDirInfo* value,
                                                   unsigned char markModified) {
  return SetupRecordData(kPrefStockDataType_FileDirInfo, &Value::fileDir, value,
                         "cPrefStockData::SetupFileDirInfoData", markModified);
}

unsigned char cPrefStockData::SetupExtFileDirInfoData(const sPerfExtFileDirInfo* value,
                                                      unsigned char markModified) {
  return SetupRecordData(kPrefStockDataType_ExtFileDirInfo, &Value::extFileDir, value,
                         "cPrefStockData::SetupExtFileDirInfoData", markModified);
}

unsigned char cPrefStockData::SetupExtFileDirTypeInfoData(const sPerfExtFileDirTypeInfo* value,
                                                          unsigned char markModified) {
  return SetupRecordData(kPrefStockDataType_ExtFileDirTypeInfo, &Value::extFileDirType, value,
                         "cPrefStockData::SetupExtFileDirTypeInfoData", markModified);
}

unsigned char cPrefStockData::SetupFSRefTypeInfoData(const FSRef& value,
                                                     unsigned char markModified) {
  return SetupFixedData(kPrefStockDataType_FSRef, &Value::fsRef, value,
                        "cPrefStockData::SetupFSRefTypeInfoData", markModified);
}

unsigned char cPrefStockData::SetupDateTimeData(const LongDateRec* value,
                                                unsigned char markModified) {
  return SetupRecordData(kPrefStockDataType_DateTime, &Value::date, value,
                         "cPrefStockData::SetupDateTimeData", markModified);
}

// ---- Getters ----------------------------------------------------------------------------------

unsigned char cPrefStockData::GetStingData(char* buffer, SInt32 size, unsigned char& cut) {
  const char kMethod[] = "cPrefStockData::GetStingData";
  if (TypeMatches(kPrefStockDataType_String, kMethod) == 0) return 0;
  if (buffer == nullptr)
    return SpReportFailure(kSource, kMethod, 2, kSpMsgNullArgument, (unsigned char)0);
  cut = 0;
  if (value_.block == nullptr || ownedLength_ <= 0) {
    if (size >= 1) buffer[0] = 0;
    return 0;
  }
  std::size_t length = strnlen(value_.block, std::size_t(ownedLength_));
  if (size <= 0) {
    // No room even for the terminator.
    cut = 1;
    return 0;
  }
  if (std::size_t(size) < length + 1) {
    std::memcpy(buffer, value_.block, std::size_t(size) - 1);
    buffer[size - 1] = 0;
    cut = 1;
    return 1;
  }
  std::memcpy(buffer, value_.block, length);
  buffer[length] = 0;
  return 1;
}

unsigned char cPrefStockData::GetFlexAreaData(char* buffer, SInt32 size, unsigned char& cut) {
  const char kMethod[] = "cPrefStockData::GetFlexAreaData";
  if (TypeMatches(kPrefStockDataType_FlexArea, kMethod) == 0) return 0;
  if (buffer == nullptr)
    return SpReportFailure(kSource, kMethod, 2, kSpMsgNullArgument, (unsigned char)0);
  cut = 0;
  if (value_.block == nullptr || ownedLength_ <= 0) return 0;
  if (size < ownedLength_) {
    if (size > 0) std::memcpy(buffer, value_.block, std::size_t(size));
    cut = 1;
    return 0;
  }
  // The whole block went into the buffer, however much larger the buffer is.
  std::memcpy(buffer, value_.block, std::size_t(ownedLength_));
  return 1;
}

template <class T>
unsigned char cPrefStockData::GetFixedData(UInt8 type, T Value::*member, T& value,
                                           const char* method) const {
  if (TypeMatches(type, method) == 0) return 0;
  value = value_.*member;
  return 1;
}

unsigned char cPrefStockData::GetLongData(SInt32& value) {
  return GetFixedData(kPrefStockDataType_Long, &Value::longValue, value,
                      "cPrefStockData::GetLongData");
}

unsigned char cPrefStockData::GetOSTypeData(OSType& value) {
  return GetFixedData(kPrefStockDataType_OSType, &Value::osType, value,
                      "cPrefStockData::GetOSTypeData");
}

unsigned char cPrefStockData::GetDblData(double& value) {
  return GetFixedData(kPrefStockDataType_Double, &Value::dblValue, value,
                      "cPrefStockData::GetDblData");
}

unsigned char cPrefStockData::GetFloatData(float& value) {
  return GetFixedData(kPrefStockDataType_Float, &Value::floatValue, value,
                      "cPrefStockData::GetFloatData");
}

unsigned char cPrefStockData::GetCharData(char& value) {
  return GetFixedData(kPrefStockDataType_Char, &Value::charValue, value,
                      "cPrefStockData::GetCharData");
}

unsigned char cPrefStockData::GetRectData(Rect& value) {
  return GetFixedData(kPrefStockDataType_Rect, &Value::rect, value, "cPrefStockData::GetRectData");
}

unsigned char cPrefStockData::GetPointData(Point& value) {
  return GetFixedData(kPrefStockDataType_Point, &Value::point, value,
                      "cPrefStockData::GetPointData");
}

unsigned char cPrefStockData::GetFileDirInfoData(sPerfFileDirInfo& value) {
  return GetFixedData(kPrefStockDataType_FileDirInfo, &Value::fileDir, value,
                      "cPrefStockData::GetFileDirInfoData");
}

unsigned char cPrefStockData::GetExtFileDirInfoData(sPerfExtFileDirInfo& value) {
  return GetFixedData(kPrefStockDataType_ExtFileDirInfo, &Value::extFileDir, value,
                      "cPrefStockData::GetExtFileDirInfoData");
}

unsigned char cPrefStockData::GetExtFileDirTypeInfoData(sPerfExtFileDirTypeInfo& value) {
  return GetFixedData(kPrefStockDataType_ExtFileDirTypeInfo, &Value::extFileDirType, value,
                      "cPrefStockData::GetExtFileDirTypeInfoData");
}

unsigned char cPrefStockData::GetFSRefTypeInfoData(FSRef& value) {
  return GetFixedData(kPrefStockDataType_FSRef, &Value::fsRef, value,
                      "cPrefStockData::GetFSRefTypeInfoData");
}

unsigned char cPrefStockData::GetBooleanData(unsigned char& value) {
  return GetFixedData(kPrefStockDataType_Boolean, &Value::booleanValue, value,
                      "cPrefStockData::GetBooleanData");
}

unsigned char cPrefStockData::GetDateTimeData(LongDateRec& value) {
  return GetFixedData(kPrefStockDataType_DateTime, &Value::date, value,
                      "cPrefStockData::GetDateTimeData");
}

// ---- Groups -----------------------------------------------------------------------------------

cPrefStockData* cPrefStockData::GetTargetStockDataItemInUnderDataListByIdType(
    UInt32 id, unsigned char create) {
  for (cPrefStockData* child = childHead_; child != nullptr; child = child->GetNextObjectPtr()) {
    if (child->id_ == id) return child;
  }
  return create != 0 ? CreateUnderStockDataItem(id, 1) : nullptr;
}

cPrefStockData* cPrefStockData::CreateUnderStockDataItem(UInt32 id, unsigned char allowSameId) {
  const char kMethod[] = "cPrefStockData::CreateUnderStockDataItem";
  if (type_ >= kPrefStockDataType_String) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgTypeError, (cPrefStockData*)nullptr);
  }
  if (allowSameId == 0) {
    for (cPrefStockData* child = childHead_; child != nullptr; child = child->GetNextObjectPtr()) {
      if (child->id_ == id) return SpReportFailure(kSource, kMethod, 2, kSpMsgDataError, child);
    }
  }
  cPrefStockData* child = new (std::nothrow) cPrefStockData(file_, id);
  if (child == nullptr) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgMemory, (cPrefStockData*)nullptr);
  }
  LinkIntoGroupItem(child);
  return child;
}

unsigned char cPrefStockData::LinkIntoGroupItem(cPrefStockData* child) {
  const char kMethod[] = "cPrefStockData::LinkIntoGroupItem";
  if (child == nullptr)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, (unsigned char)0);
  if (type_ >= kPrefStockDataType_String) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgTypeError, (unsigned char)0);
  }
  // A child already in a list (this one or another), or one that holds this item, would
  // tie the lists into knots.
  bool listed = child->upperGroup_ != nullptr || child->topHolder_ != nullptr ||
                child->GetBeforeObjectPtr() != nullptr || child->GetNextObjectPtr() != nullptr;
  bool holdsThis = child == this;
  if (!holdsThis && child->childHead_ != nullptr) {
    for (cPrefStockData* up = upperGroup_; up != nullptr; up = up->upperGroup_) {
      if (up == child) holdsThis = true;
    }
  }
  if (listed || holdsThis)
    return SpReportFailure(kSource, kMethod, 3, kSpMsgDataError, (unsigned char)0);
  if (childTail_ != nullptr) {
    childTail_->LinkToNext(child);
  } else {
    childHead_ = child;
  }
  childTail_ = child;
  child->upperGroup_ = this;
  type_ = kPrefStockDataType_Group;
  return 1;
}

unsigned char cPrefStockData::UnLinkFromGroupItem(cPrefStockData* child) {
  const char kMethod[] = "cPrefStockData::UnLinkFromGroupItem";
  if (child == nullptr)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, (unsigned char)0);
  if (child->upperGroup_ != this)
    return SpReportFailure(kSource, kMethod, 2, kSpMsgDataError, (unsigned char)0);
  if (child->GetBeforeObjectPtr() == nullptr && childHead_ != child) {
    return SpReportFailure(kSource, kMethod, 3, kSpMsgDataError, (unsigned char)0);
  }
  RemoveChild(child);
  return 1;
}

cPrefStockData* cPrefStockData::GetTargetStockDataItemInUnderDataListByDataRef(UInt32 reference) {
  for (cPrefStockData* child = childHead_; child != nullptr; child = child->GetNextObjectPtr()) {
    if (child->referenceNo_ == reference) return child;
  }
  return nullptr;
}

// ---- Accessors ----------------------------------------------------------------------------------

SInt32 cPrefStockData::GetDataSize() const {
  if (type_ == kPrefStockDataType_String || type_ == kPrefStockDataType_FlexArea) {
    return ownedLength_;
  }
  return SpPref_FixedDataSize(type_);
}

void cPrefStockData::GetSaveInfo(sPrefStockDataSaveInfo& info) const {
  info.identifyType = id_;
  info.dataType = type_;
  info.dataLength = GetDataSize();
  if (type_ == kPrefStockDataType_String || type_ == kPrefStockDataType_FlexArea) {
    info.dataPtr = value_.block;
  } else {
    info.dataPtr = SpPref_FixedDataSize(type_) > 0 ? value_.bytes : nullptr;
  }
}

// ---- The list of all items ---------------------------------------------------------------------

void cPrefStockData::TotalItemLinkToNext(cPrefStockData* item) {
  LinkAfterLast(this, item, &cPrefStockData::totalBefore_, &cPrefStockData::totalNext_);
}

cPrefStockData* cPrefStockData::UnlinkTotalItemLinkNext() {
  return UnlinkFollowing(this, &cPrefStockData::totalBefore_, &cPrefStockData::totalNext_);
}

cPrefStockData* cPrefStockData::GetLastTotalItemLinkObjectPtr() {
  return LastLinked(this, &cPrefStockData::totalNext_);
}

// =============================================================================================
// One settings file
// =============================================================================================

cPrefStockFileObj::cPrefStockFileObj(UInt32 identifyType, const FSRef* folder, const char* fileName,
                                     UInt32 creator, UInt32 fileType) {
  StartUpInitialize();
  if (folder == nullptr) {
    SpReportFailure(kSource, "cPrefStockFileObj::cPrefStockFileObj", 1, kSpMsgNullArgument);
  }
  StartupSetup(identifyType, folder, fileName, creator, fileType);
}

cPrefStockFileObj::cPrefStockFileObj(UInt32 identifyType, short vRefNum, SInt32 dirID,
                                     const char* fileName, UInt32 creator, UInt32 fileType) {
  StartUpInitialize();
  FSRef folder;
  const FSRef* known = &folder;
  if (Sp_GetFSRefFromDirectoryPositionInfo(vRefNum, dirID, &folder) != noErr) {
    SpReportFailure(kSource, "cPrefStockFileObj::cPrefStockFileObj", 1, kMsgParameterError);
    known = nullptr;
  }
  StartupSetup(identifyType, known, fileName, creator, fileType);
}

cPrefStockFileObj::~cPrefStockFileObj() {
  ClearPrefData();
  if (owner_ != nullptr) owner_->UnlinkFile(this);
}

void cPrefStockFileObj::StartUpInitialize() {
  identifyType_ = 0;
  folderFlag_ = 0;
  std::memset(&folder_, 0, sizeof folder_);
  loadedFlag_ = 0;
  nameCapacity_ = kNameCapacity;
  std::memset(fileName_, 0, sizeof fileName_);
  creator_ = 0;
  fileType_ = 0;
  topHead_ = nullptr;
  topTail_ = nullptr;
  modifyFlag_ = 0;
  fileBefore_ = nullptr;
  fileNext_ = nullptr;
  owner_ = nullptr;
}

void cPrefStockFileObj::StartupSetup(UInt32 identifyType, const FSRef* folder, const char* fileName,
                                     UInt32 creator, UInt32 fileType) {
  const char kMethod[] = "cPrefStockFileObj::StartupSetup";
  identifyType_ = identifyType;
  if (folder != nullptr) {
    folder_ = *folder;
    folderFlag_ = 1;
  }
  creator_ = creator;
  fileType_ = fileType;
  if (fileName == nullptr) {
    SpReportFailure(kSource, kMethod, 1, kSpMsgNullOperator);
    return;
  }
  std::size_t length = strnlen(fileName, kLongestFileName + 1);
  if (length > kLongestFileName) {
    SpReportFailure(kSource, kMethod, 2, kMsgBufferOverFlow);
    return;
  }
  std::memcpy(fileName_, fileName, length);
  fileName_[length] = 0;
}

OSErr cPrefStockFileObj::SetupPrefFileInfo(short vRefNum, SInt32 dirID) {
  FSRef folder;
  OSErr err = Sp_GetFSRefFromDirectoryPositionInfo(vRefNum, dirID, &folder);
  if (err != noErr) {
    folderFlag_ = 0;
    return SpReportFailure(kSource, "cPrefStockFileObj::SetupPrefFileInfo", 2, kSpMsgFileError,
                           err);
  }
  folder_ = folder;
  folderFlag_ = 1;
  return noErr;
}

unsigned char cPrefStockFileObj::SetupPrefFileName(const char* name) {
  const char kMethod[] = "cPrefStockFileObj::SetupPrefFileName";
  if (name == nullptr)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, (unsigned char)0);
  std::size_t length = strnlen(name, kLongestFileName + 1);
  if (length > kLongestFileName) {
    return SpReportFailure(kSource, kMethod, 2, kMsgFileNameLength, (unsigned char)0);
  }
  std::memcpy(fileName_, name, length);
  fileName_[length] = 0;
  return 1;
}

UInt32 cPrefStockFileObj::GetMaxDataSizeLength() const {
  UInt32 largest = 0;
  // Every item of the tree, parents before children, without recursion.
  cPrefStockData* item = topHead_;
  while (item != nullptr) {
    if (item->type_ != kPrefStockDataType_Group) {
      largest = std::max(largest, UInt32(std::max<SInt32>(item->GetDataSize(), 0)));
    }
    if (item->childHead_ != nullptr) {
      item = item->childHead_;
      continue;
    }
    while (item != nullptr && item->GetNextObjectPtr() == nullptr) item = item->upperGroup_;
    if (item != nullptr) item = item->GetNextObjectPtr();
  }
  return largest;
}

void cPrefStockFileObj::ClearPrefData() {
  while (topHead_ != nullptr) delete topHead_;  // each item takes itself out of the list
  topTail_ = nullptr;
  loadedFlag_ = 0;
}

cPrefStockData* cPrefStockFileObj::GetTargetStockDataItemInPrefTopDataList(UInt32 id,
                                                                           unsigned char groupOnly,
                                                                           unsigned char create) {
  for (cPrefStockData* item = topHead_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->id_ != id) continue;
    // An item without a value yet becomes a group with its first child; taking it here
    // keeps a second empty item of the same id from piling up in the file.
    if (groupOnly == 0 || item->type_ <= kPrefStockDataType_Group) return item;
  }
  if (create == 0) return nullptr;
  cPrefStockData* item = new (std::nothrow) cPrefStockData(this, id);
  if (item == nullptr) {
    return SpReportFailure(kSource, "cPrefStockFileObj::GetTargetStockDataItemInPrefTopDataList", 1,
                           kSpMsgMemory, (cPrefStockData*)nullptr);
  }
  LinkToPrefTopDataList(item);
  return item;
}

unsigned char cPrefStockFileObj::LinkToPrefTopDataList(cPrefStockData* item) {
  const char kMethod[] = "cPrefStockFileObj::LinkToPrefTopDataList";
  if (item == nullptr)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, (unsigned char)0);
  if (item->topHolder_ != nullptr || item->upperGroup_ != nullptr ||
      item->GetBeforeObjectPtr() != nullptr || item->GetNextObjectPtr() != nullptr) {
    return SpReportFailure(kSource, kMethod, 2, kSpMsgDataError, (unsigned char)0);
  }
  AppendTopChain(item, item);
  return 1;
}

void cPrefStockFileObj::AppendTopChain(cPrefStockData* head, cPrefStockData* tail) {
  for (cPrefStockData* item = head; item != nullptr; item = item->GetNextObjectPtr()) {
    item->topHolder_ = this;
  }
  if (topTail_ != nullptr) {
    topTail_->LinkToNext(head);
  } else {
    topHead_ = head;
  }
  topTail_ = tail;
}

void cPrefStockFileObj::UnlinkFromTopList(cPrefStockData* item) {
  if (topHead_ == item) topHead_ = item->GetNextObjectPtr();
  if (topTail_ == item) topTail_ = item->GetBeforeObjectPtr();
  item->UnlinkSelf();
  item->topHolder_ = nullptr;
}

void cPrefStockFileObj::LinkToPrefFileNext(cPrefStockFileObj* file) {
  LinkAfterLast(this, file, &cPrefStockFileObj::fileBefore_, &cPrefStockFileObj::fileNext_);
}

cPrefStockFileObj* cPrefStockFileObj::UnlinkPrefFileNext() {
  return UnlinkFollowing(this, &cPrefStockFileObj::fileBefore_, &cPrefStockFileObj::fileNext_);
}

cPrefStockFileObj* cPrefStockFileObj::GetLastPrefFileObjectPtr() {
  return LastLinked(this, &cPrefStockFileObj::fileNext_);
}

// =============================================================================================
// The manager
// =============================================================================================

cPrefStockMgr::cPrefStockMgr() {
  StartUpInitialize();
  if (prefStockMgr_GlV == nullptr) {
    prefStockMgr_GlV = this;
  } else {
    SpReportFailure(kSource, "cPrefStockMgr::cPrefStockMgr", 1, kSpMsgDataError);
  }
  if (!prefStockDisposeRegistered_GlV) {
    SpCore_SetupDisposeProcedure(Sp_DisposeEventProcForPreferenceStock, 10);
    prefStockDisposeRegistered_GlV = true;
  }
}

cPrefStockMgr::~cPrefStockMgr() {
  SaveModifyFileModule();
  while (fileHead_ != nullptr) delete fileHead_;  // each takes itself out of the list
  fileTail_ = nullptr;
  // Items of files that other managers hold may still be listed here: they leave the list.
  while (totalHead_ != nullptr) {
    cPrefStockData* item = totalHead_;
    totalHead_ = item->totalNext_;
    item->totalBefore_ = nullptr;
    item->totalNext_ = nullptr;
    item->totalOwner_ = nullptr;
  }
  totalTail_ = nullptr;
  if (prefStockMgr_GlV == this) prefStockMgr_GlV = nullptr;
}

void cPrefStockMgr::StartUpInitialize() {
  fileHead_ = nullptr;
  fileTail_ = nullptr;
  nextReferenceNo_ = prefStockLastReferenceNo_GlV + 1;
  if (nextReferenceNo_ == 0) nextReferenceNo_ = 1;
  totalHead_ = nullptr;
  totalTail_ = nullptr;
}

cPrefStockFileObj* cPrefStockMgr::CreateNewStockFileObj(UInt32 identifyType, const FSRef* folder,
                                                        const char* fileName, UInt32 creator,
                                                        UInt32 fileType) {
  cPrefStockFileObj* object =
      new (std::nothrow) cPrefStockFileObj(identifyType, folder, fileName, creator, fileType);
  if (object == nullptr) {
    return SpReportFailure(kSource, "cPrefStockMgr::CreateNewStockFileObj", 1, kSpMsgMemory,
                           (cPrefStockFileObj*)nullptr);
  }
  SetupNewStockFileObj(object, 0);
  return object;
}

cPrefStockFileObj* cPrefStockMgr::CreateNewStockFileObj(UInt32 identifyType, short vRefNum,
                                                        SInt32 dirID, const char* fileName,
                                                        UInt32 creator, UInt32 fileType) {
  FSRef folder;
  if (Sp_GetFSRefFromDirectoryPositionInfo(vRefNum, dirID, &folder) != noErr) {
    return SpReportFailure(kSource, "cPrefStockMgr::CreateNewStockFileObj", 3, kMsgProcError,
                           (cPrefStockFileObj*)nullptr);
  }
  return CreateNewStockFileObj(identifyType, &folder, fileName, creator, fileType);
}

unsigned char cPrefStockMgr::SetupNewStockFileObj(cPrefStockFileObj* object, unsigned char) {
  const char kMethod[] = "cPrefStockMgr::SetupNewStockFileObj";
  if (object == nullptr)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, (unsigned char)0);
  // Linking a listed object a second time would tie the list into a knot, whether the caller
  // asked for the check or not.
  if (object->owner_ != nullptr)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgDataError, (unsigned char)0);
  if (fileTail_ != nullptr) {
    fileTail_->LinkToPrefFileNext(object);
  } else {
    fileHead_ = object;
  }
  fileTail_ = object;
  object->owner_ = this;
  return 1;
}

// The first failure is the answer, not noErr: a caller that saves at quit must learn that the
// settings were not written.
OSErr cPrefStockMgr::SaveModifyFileModule() {
  OSErr first = noErr;
  for (cPrefStockFileObj* file = fileHead_; file != nullptr;
       file = file->GetNextPrefFileObjectPtr()) {
    if (file->GetPrefModifyFlag() == 0) continue;
    OSErr err = file->SavePrefDataInFile();
    if (first == noErr) first = err;
  }
  return first;
}

cPrefStockFileObj* cPrefStockMgr::GetTargetStockFileObj(UInt32 identifyType) const {
  for (cPrefStockFileObj* file = fileHead_; file != nullptr;
       file = file->GetNextPrefFileObjectPtr()) {
    if (file->GetPrefIdentifyType() == identifyType) return file;
  }
  return nullptr;
}

unsigned char cPrefStockMgr::DeleteTopPrefStockFileModule(UInt32 identifyType,
                                                          unsigned char saveFirst) {
  cPrefStockFileObj* object = GetTargetStockFileObj(identifyType);
  if (object == nullptr) return 0;
  return DeleteTopPrefStockFileModule(object, saveFirst);
}

unsigned char cPrefStockMgr::DeleteTopPrefStockFileModule(cPrefStockFileObj* object,
                                                          unsigned char saveFirst) {
  const char kMethod[] = "cPrefStockMgr::DeleteTopPrefStockFileModule";
  if (object == nullptr)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, (unsigned char)0);
  if (object->owner_ != this)
    return SpReportFailure(kSource, kMethod, 2, kSpMsgDataError, (unsigned char)0);
  if (saveFirst != 0 && object->GetPrefModifyFlag() != 0) object->SavePrefDataInFile();
  if (object->GetBeforePrefFileObjectPtr() == nullptr && fileHead_ != object) {
    return SpReportFailure(kSource, kMethod, 3, kSpMsgLinkError, (unsigned char)0);
  }
  UnlinkFile(object);
  delete object;
  return 1;
}

void cPrefStockMgr::UnlinkFile(cPrefStockFileObj* object) {
  UnlinkFromList(fileHead_, fileTail_, object, &cPrefStockFileObj::fileBefore_,
                 &cPrefStockFileObj::fileNext_);
  object->owner_ = nullptr;
}

unsigned char cPrefStockMgr::LinkToTotalList(cPrefStockData* item, unsigned char giveReference) {
  const char kMethod[] = "cPrefStockMgr::LinkToTotalList";
  if (item == nullptr)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, (unsigned char)0);
  if (item->totalOwner_ != nullptr)
    return SpReportFailure(kSource, kMethod, 2, kSpMsgDataError, (unsigned char)0);
  if (totalTail_ != nullptr) {
    totalTail_->totalNext_ = item;
    item->totalBefore_ = totalTail_;
  } else {
    totalHead_ = item;
  }
  totalTail_ = item;
  item->totalOwner_ = this;
  if (giveReference != 0) {
    item->referenceNo_ = nextReferenceNo_;
    prefStockLastReferenceNo_GlV = std::max(prefStockLastReferenceNo_GlV, nextReferenceNo_);
    ++nextReferenceNo_;
    if (nextReferenceNo_ == 0) nextReferenceNo_ = 1;
  }
  return 1;
}

unsigned char cPrefStockMgr::UnLinkFromTotalList(cPrefStockData* item) {
  const char kMethod[] = "cPrefStockMgr::UnLinkFromTotalList";
  if (item == nullptr)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, (unsigned char)0);
  if (item->totalOwner_ != this)
    return SpReportFailure(kSource, kMethod, 2, kSpMsgDataError, (unsigned char)0);
  UnlinkFromList(totalHead_, totalTail_, item, &cPrefStockData::totalBefore_,
                 &cPrefStockData::totalNext_);
  item->totalOwner_ = nullptr;
  return 1;
}

cPrefStockData* cPrefStockMgr::GetTargetRefNumStockDataItemInTotalList(UInt32 reference) const {
  for (cPrefStockData* item = totalHead_; item != nullptr; item = item->totalNext_) {
    if (item->referenceNo_ == reference) return item;
  }
  return nullptr;
}

// =============================================================================================
// Free functions
// =============================================================================================

cPrefStockMgr* Sp_GetPreferenceStockMgrPtr(unsigned char create) {
  if (prefStockMgr_GlV == nullptr && create != 0) {
    // The new manager makes itself the global one.
    if (new (std::nothrow) cPrefStockMgr() == nullptr) {
      return SpReportFailure(kSource, "Sp_GetPreferenceStockMgrPtr", 1, kSpMsgMemory,
                             (cPrefStockMgr*)nullptr);
    }
  }
  return prefStockMgr_GlV;
}

OSErr Sp_SaveModifyPreferenceStock() {
  if (prefStockMgr_GlV == nullptr) return noErr;
  return prefStockMgr_GlV->SaveModifyFileModule();
}

unsigned char Sp_LinkNewDataItemIntoTotalList(cPrefStockData* item, unsigned char giveReference) {
  if (prefStockMgr_GlV == nullptr) {
    return SpReportFailure(kSource, "Sp_LinkNewDataItemIntoTotalList", 2, kSpMsgDataError,
                           (unsigned char)0);
  }
  return prefStockMgr_GlV->LinkToTotalList(item, giveReference);
}

unsigned char Sp_UnLinkDataItemFromTotalList(cPrefStockData* item) {
  if (prefStockMgr_GlV == nullptr) {
    return SpReportFailure(kSource, "Sp_UnLinkDataItemFromTotalList", 2, kSpMsgDataError,
                           (unsigned char)0);
  }
  return prefStockMgr_GlV->UnLinkFromTotalList(item);
}

void Sp_DisposeEventProcForPreferenceStock(unsigned long) {
  // Without a manager there is nothing to save: the manager saved the modified files when it
  // was destroyed, and its procedure stays registered. No error record for that.
  if (prefStockMgr_GlV != nullptr) prefStockMgr_GlV->SaveModifyFileModule();
}

unsigned char SpPref_GetExistFileFolderTarget(const sPerfExtFileDirTypeInfo& stored,
                                              sPerfExtFileDirTypeInfo& found) {
  char storedName[256];
  CopyRecordName(storedName, stored.name);
  bool isFolder = stored.isFolder != 0;
  if (isFolder ? Sp_ExsitTargetDirectory(stored.vRefNum, stored.dirID, storedName) != 0
               : Sp_ExsitTargetFile(stored.vRefNum, stored.dirID, storedName) != 0) {
    found = stored;
    return 1;
  }
  // Renamed or moved: its own id gives its present name and folder.
  char name[256];
  std::memset(name, 0, sizeof name);
  SInt32 parentID = 0;
  OSErr err = isFolder
                  ? Sp_GetDirNameFromDirID(stored.fileOrDirID, stored.vRefNum, name, &parentID)
                  : Sp_GetFileNameFromFileId(stored.vRefNum, stored.fileOrDirID, parentID, name);
  if (err != noErr) return 0;
  name[255] = 0;
  if (isFolder ? Sp_ExsitTargetDirectory(stored.vRefNum, parentID, name) == 0
               : Sp_ExsitTargetFile(stored.vRefNum, parentID, name) == 0) {
    return 0;
  }
  std::memset(&found, 0, sizeof found);
  found.vRefNum = stored.vRefNum;
  found.dirID = parentID;
  std::memcpy(found.name, name, strnlen(name, 255));
  found.isFolder = stored.isFolder;
  found.fileOrDirID = stored.fileOrDirID;
  return 1;
}

SInt32 SpPref_FixedDataSize(UInt8 type) {
  switch (type) {
    case kPrefStockDataType_Long:
    case kPrefStockDataType_OSType:
    case kPrefStockDataType_Point:
    case kPrefStockDataType_Float:
      return 4;
    case kPrefStockDataType_Double:
    case kPrefStockDataType_Rect:
      return 8;
    case kPrefStockDataType_Char:
    case kPrefStockDataType_Boolean:
      return 1;
    case kPrefStockDataType_FileDirInfo:
      return SInt32(sizeof(sPerfFileDirInfo));
    case kPrefStockDataType_ExtFileDirInfo:
      return SInt32(sizeof(sPerfExtFileDirInfo));
    case kPrefStockDataType_ExtFileDirTypeInfo:
      return SInt32(sizeof(sPerfExtFileDirTypeInfo));
    case kPrefStockDataType_DateTime:
      return SInt32(sizeof(LongDateRec));
    case kPrefStockDataType_FSRef:
      return SInt32(sizeof(FSRef));
    default:
      return 0;
  }
}
