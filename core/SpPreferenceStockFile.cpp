// The preference stock's file: writing the item tree of a cPrefStockFileObj and reading it
// back, through the FSRef file record.
#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "CFString.h"
#include "MacMemory.h"
#include "SpDamagedFile.h"
#include "SpErrorInfoSystem.h"
#include "SpFileLibForOSXSource.h"
#include "SpPreferenceStockObject.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionBackup.h"
#include "SpStdFileFunctionForOSX.h"
#include "SpStdFunction.h"

namespace {

const char kSource[] = "SpPreferenceStockObject";
const char kMsgDataTypeError[] = "Data Type Error = ";

// Writes the pieces of a settings file through the FSRef record; the first failure sticks
// and every later piece is skipped.
class StockWriter {
 public:
  explicit StockWriter(std::vector<UInt8>& file) : file_(file) {}

  OSErr Put(const void* bytes, UInt64 length) {
    if (err_ == noErr && length != 0) {
      const auto* from = static_cast<const UInt8*>(bytes);
      file_.insert(file_.end(), from, from + length);
    }
    return err_;
  }
  OSErr Put(const sp::ByteWriter& bytes) { return Put(bytes.Data().data(), bytes.Size()); }
  OSErr PutCount(SInt32 count) {
    UInt8 bytes[4];
    sp::StoreBE32(bytes, UInt32(count));
    return Put(bytes, sizeof bytes);
  }
  OSErr Error() const { return err_; }

 private:
  std::vector<UInt8>& file_;
  OSErr err_ = noErr;
};

// ---- Values in the file --------------------------------------------------------------------

// A value copied out of the bytes of an item's storage.
template <class T>
T Load(const char* bytes) {
  T value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// The same bits as a value of another type of the same size.
template <class To, class From>
To BitCast(const From& from) {
  static_assert(sizeof(To) == sizeof(From), "same size");
  return Load<To>(reinterpret_cast<const char*>(&from));
}

// Records of 16-bit fields: their fields in the order of the file.
std::array<SInt16*, 4> ShortFields(Rect& rect) {
  return {&rect.top, &rect.left, &rect.bottom, &rect.right};
}

std::array<SInt16*, 2> ShortFields(Point& point) {
  return {&point.v, &point.h};
}

std::array<SInt16*, 14> ShortFields(LongDateRec& d) {
  return {&d.era,       &d.year,      &d.month,      &d.day, &d.hour, &d.minute, &d.second,
          &d.dayOfWeek, &d.dayOfYear, &d.weekOfYear, &d.pm,  &d.res1, &d.res2,   &d.res3};
}

template <class Record>
void PutShortRecord(sp::ByteWriter& out, Record record) {
  for (SInt16* field : ShortFields(record)) out.BE16(UInt16(*field));
}

template <class Record>
Record GetShortRecord(sp::ByteReader& in) {
  Record record;
  for (SInt16* field : ShortFields(record)) *field = in.SBE16();
  return record;
}

// Position records: the volume, 2 zero bytes, the directory id and the 256 bytes of the name,
// then the fields of the record's kind.
template <class Record>
void PutPositionHead(sp::ByteWriter& out, const Record& record) {
  out.BE16(UInt16(record.vRefNum));
  out.Zeros(2);
  out.BE32(UInt32(record.dirID));
  out.Bytes(record.name, sizeof record.name);
}

void PutPositionRecord(sp::ByteWriter& out, const sPerfFileDirInfo& record) {
  PutPositionHead(out, record);
}

void PutPositionRecord(sp::ByteWriter& out, const sPerfExtFileDirInfo& record) {
  PutPositionHead(out, record);
  out.BE32(UInt32(record.userData));
}

void PutPositionRecord(sp::ByteWriter& out, const sPerfExtFileDirTypeInfo& record) {
  PutPositionHead(out, record);
  out.U8(record.isFolder);
  out.Zeros(3);
  out.BE32(UInt32(record.fileOrDirID));
}

// False when the 256 bytes of the name hold no terminator.
template <class Record>
bool GetPositionHead(sp::ByteReader& in, Record& record) {
  std::memset(&record, 0, sizeof record);
  record.vRefNum = in.SBE16();
  in.Skip(2);
  record.dirID = in.SBE32();
  in.Bytes(record.name, sizeof record.name);
  return in.Ok() && std::memchr(record.name, 0, sizeof record.name) != nullptr;
}

bool GetPositionRecord(sp::ByteReader& in, sPerfFileDirInfo& record) {
  return GetPositionHead(in, record);
}

bool GetPositionRecord(sp::ByteReader& in, sPerfExtFileDirInfo& record) {
  if (!GetPositionHead(in, record)) return false;
  record.userData = in.SBE32();
  return true;
}

bool GetPositionRecord(sp::ByteReader& in, sPerfExtFileDirTypeInfo& record) {
  if (!GetPositionHead(in, record)) return false;
  record.isFolder = in.U8();
  in.Skip(3);
  record.fileOrDirID = in.SBE32();
  return true;
}

// Reads a position record and gives it to the item through the setter (not marking the file
// modified); false when the record's name has no terminator.
template <class Record>
bool SetupPositionRecord(sp::ByteReader& in, cPrefStockData* item,
                         unsigned char (cPrefStockData::*setup)(const Record*, unsigned char),
                         unsigned char& stored) {
  Record record;
  if (!GetPositionRecord(in, record)) return false;
  stored = (item->*setup)(&record, 0);
  return true;
}

SInt32 ChainLength(const cPrefStockData* item) {
  SInt32 count = 0;
  for (; item != nullptr; item = item->GetNextObjectPtr()) ++count;
  return count;
}

// Reads the pieces of a settings file through the FSRef record.
class StockReader {
 public:
  explicit StockReader(sSpOSXFileSysInfo* file) : file_(file) {}

  // Exactly `length` bytes: a file that ends first gives eofErr.
  OSErr Read(void* out, SInt32 length) {
    if (length <= 0) return noErr;
    SInt32 got = 0;
    OSErr err = SpFileSystem_ReadByFSRef(file_, length, static_cast<char*>(out), &got);
    if (err == noErr && got != length) err = eofErr;
    return err;
  }
  OSErr ReadBE32(UInt32& value) {
    UInt8 bytes[4];
    OSErr err = Read(bytes, 4);
    value = err == noErr ? sp::LoadBE32(bytes) : 0;
    return err;
  }
  OSErr Skip(SInt32 length) {
    char bytes[4096];
    while (length > 0) {
      SInt32 chunk = std::min<SInt32>(length, SInt32(sizeof bytes));
      OSErr err = Read(bytes, chunk);
      if (err != noErr) return err;
      length -= chunk;
    }
    return noErr;
  }
  // Bytes between the read position and the end of the file.
  UInt64 Remaining() const {
    return file_->fileSize > file_->filePosition ? file_->fileSize - file_->filePosition : 0;
  }

 private:
  sSpOSXFileSysInfo* file_;
};

// The reader's failure steps (the codes of its "File Error !! " records).
enum : SInt32 {
  kStepIdentifyType = 2,
  kStepMaxDataSize = 3,
  kStepCount = 4,
  kStepItemId = 5,
  kStepItemType = 6,
  kStepLengthRead = 7,
  kStepBlockBytes = 9,
  kStepRecordName = 22,
  kStepSegmentTooLong = 41,
  kStepStringWithoutRoom = 81,
  kStepUnknownType = 25,
};

// The step of reading the payload of a fixed type.
SInt32 PayloadStepOf(UInt8 type) {
  return type == kPrefStockDataType_FSRef ? 23 : SInt32(type) + 6;
}

// The smallest item in a file: its id and its type.
constexpr UInt64 kSmallestItem = 5;

// The save's steps (the codes of its "File Error !! " records).
enum : SInt32 {
  kSaveNoFolder = 1,
  kSaveLookUp = 2,
  kSaveReplace = 9,
};

// The reader's step when the file does not open.
constexpr SInt32 kStepOpen = 1;

// The names an older program gave its side files: the new file while it was written, and the
// old file set aside while the new one took its place.
std::vector<std::string> OlderSideFileNames(const char* fileName) {
  char cut[101];
  Sp_CutStringByByteLen(fileName, 100, cut);
  return {std::string(".") + cut + ".saving", std::string(".") + cut + ".previous"};
}

// A load that failed on what the file holds, not on reaching it.
bool IsDamage(OSErr err) {
  return err == eofErr || err == kPrefStockDataErr;
}

// Writes one item: its id, its type and its value.
void WriteItem(StockWriter& out, const cPrefStockData* item, const char* method) {
  sPrefStockDataSaveInfo info;
  item->GetSaveInfo(info);
  sp::ByteWriter bytes;
  bytes.FourCC(info.identifyType);
  bytes.U8(info.dataType);
  const char* block = static_cast<const char*>(info.dataPtr);
  switch (info.dataType) {
    case kPrefStockDataType_None:
    case kPrefStockDataType_Group:
      break;
    case kPrefStockDataType_String:
    case kPrefStockDataType_FlexArea: {
      // A string's block holds its text and spare bytes: only the text is written.
      UInt32 length = 0;
      if (block != nullptr && info.dataLength > 0) {
        length = info.dataType == kPrefStockDataType_String
                     ? UInt32(strnlen(block, std::size_t(info.dataLength)))
                     : UInt32(info.dataLength);
      }
      bytes.BE32(length);
      out.Put(bytes);
      out.Put(block, length);
      return;
    }
    case kPrefStockDataType_Long:
    case kPrefStockDataType_OSType:
    case kPrefStockDataType_Float:
      bytes.BE32(Load<UInt32>(block));
      break;
    case kPrefStockDataType_Double:
      bytes.BE64(Load<UInt64>(block));
      break;
    case kPrefStockDataType_Char:
    case kPrefStockDataType_Boolean:
      bytes.U8(UInt8(block[0]));
      break;
    case kPrefStockDataType_Rect:
      PutShortRecord(bytes, Load<Rect>(block));
      break;
    case kPrefStockDataType_Point:
      PutShortRecord(bytes, Load<Point>(block));
      break;
    case kPrefStockDataType_FileDirInfo:
      PutPositionRecord(bytes, Load<sPerfFileDirInfo>(block));
      break;
    case kPrefStockDataType_ExtFileDirInfo:
      PutPositionRecord(bytes, Load<sPerfExtFileDirInfo>(block));
      break;
    case kPrefStockDataType_DateTime:
      PutShortRecord(bytes, Load<LongDateRec>(block));
      break;
    case kPrefStockDataType_ExtFileDirTypeInfo:
      PutPositionRecord(bytes, Load<sPerfExtFileDirTypeInfo>(block));
      break;
    case kPrefStockDataType_FSRef:
      // The file layer's FSRef is a defined big-endian record (a magic, the volume and the
      // ids) that stays valid across runs: its bytes are stored as they are.
      bytes.Bytes(block, sizeof(FSRef));
      break;
    default:
      SpReportFailure(kSource, method, 1, kSpMsgDataError);
      break;
  }
  out.Put(bytes);
}

// Reads the value of an item of that type and sets it (not marking the file modified).
// `room` is the header's largest size; the scratch block holds `scratchSize` bytes, at most
// the bytes that followed the header, which is all a value that lies in the file can take.
OSErr ReadItemValue(StockReader& in, cPrefStockData* item, UInt8 type, Ptr scratch,
                    UInt64 scratchSize, UInt32 room, SInt32& step) {
  const char kMethod[] = "cPrefStockFileObj::LoadPrefDataFromFile";
  OSErr err = noErr;
  switch (type) {
    case kPrefStockDataType_None:
      return noErr;
    case kPrefStockDataType_String:
    case kPrefStockDataType_FlexArea: {
      UInt32 raw = 0;
      step = kStepLengthRead;
      err = in.ReadBE32(raw);
      if (err != noErr) return err;
      SInt32 length = SInt32(raw);
      if (length <= 0) {
        if (type == kPrefStockDataType_String)
          return item->SetupStringData("", 0) ? noErr : memFullErr;
        return item->SetupFlexAreaData(nullptr, 0, 0) ? noErr : memFullErr;
      }
      step = kStepBlockBytes;
      // Bytes the file does not have: the read of them would end at the end of the file, so
      // it is not made. This also keeps the value within the scratch block.
      if (UInt64(length) > in.Remaining()) return eofErr;
      UInt64 needed = UInt64(length) + (type == kPrefStockDataType_String ? 1 : 0);
      if (needed > room) {
        // The header promised less room than this value needs: the value is passed over.
        SpReportFailure(kSource, kMethod, kStepStringWithoutRoom, kSpMsgDataError);
        return in.Skip(length);
      }
      if (needed > scratchSize) return eofErr;  // cannot be: the value lies in the file
      err = in.Read(scratch, length);
      if (err != noErr) return err;
      if (type == kPrefStockDataType_String) {
        scratch[length] = 0;
        return item->SetupStringData(scratch, 0) ? noErr : memFullErr;
      }
      return item->SetupFlexAreaData(scratch, length, 0) ? noErr : memFullErr;
    }
    default:
      break;
  }
  SInt32 size = SpPref_FixedDataSize(type);
  if (size == 0) {
    // A type this program does not know: reported, no payload, the next item follows.
    std::string message = std::string(kMsgDataTypeError) + std::to_string(unsigned(type));
    SpReportFailure(kSource, kMethod, kStepUnknownType, message.c_str());
    return noErr;
  }
  UInt8 bytes[kPrefStockFixedValueSize];
  step = PayloadStepOf(type);
  err = in.Read(bytes, size);
  if (err != noErr) return err;
  sp::ByteReader r(bytes, std::size_t(size));
  unsigned char stored = 1;
  bool named = true;  // false: a position record whose name has no terminator
  switch (type) {
    case kPrefStockDataType_Long:
      stored = item->SetupLongData(r.SBE32(), 0);
      break;
    case kPrefStockDataType_OSType:
      stored = item->SetupOSTypeData(r.BE32(), 0);
      break;
    case kPrefStockDataType_Double:
      stored = item->SetupDblData(BitCast<double>(r.BE64()), 0);
      break;
    case kPrefStockDataType_Char:
      stored = item->SetupCharData(char(r.U8()), 0);
      break;
    case kPrefStockDataType_Rect: {
      Rect rect = GetShortRecord<Rect>(r);
      stored = item->SetupRectData(&rect, 0);
      break;
    }
    case kPrefStockDataType_Point:
      stored = item->SetupPointData(GetShortRecord<Point>(r), 0);
      break;
    case kPrefStockDataType_Boolean:
      stored = item->SetupBooleanData(r.U8(), 0);
      break;
    case kPrefStockDataType_Float:
      stored = item->SetupFloatData(BitCast<float>(r.BE32()), 0);
      break;
    case kPrefStockDataType_FileDirInfo:
      named = SetupPositionRecord(r, item, &cPrefStockData::SetupFileDirInfoData, stored);
      break;
    case kPrefStockDataType_ExtFileDirInfo:
      named = SetupPositionRecord(r, item, &cPrefStockData::SetupExtFileDirInfoData, stored);
      break;
    case kPrefStockDataType_DateTime: {
      LongDateRec date = GetShortRecord<LongDateRec>(r);
      stored = item->SetupDateTimeData(&date, 0);
      break;
    }
    case kPrefStockDataType_ExtFileDirTypeInfo:
      named = SetupPositionRecord(r, item, &cPrefStockData::SetupExtFileDirTypeInfoData, stored);
      break;
    case kPrefStockDataType_FSRef: {
      FSRef ref;
      r.Bytes(ref.hidden, sizeof ref.hidden);
      stored = item->SetupFSRefTypeInfoData(ref, 0);
      break;
    }
    default:
      break;
  }
  if (!named) {
    step = kStepRecordName;
    return kPrefStockDataErr;
  }
  return stored != 0 ? OSErr(noErr) : OSErr(memFullErr);
}

}  // namespace

OSErr cPrefStockFileObj::WriteStockTree(std::vector<UInt8>& file) const {
  const char kMethod[] = "cPrefStockFileObj::SavePrefDataInFile";
  StockWriter out(file);
  {
    sp::ByteWriter header;
    header.FourCC(identifyType_);
    header.BE32(GetMaxDataSizeLength());
    out.Put(header);
  }
  // The segment rule. The top items make the first segment. A group with children ends its
  // segment: the count of its children follows and their segment after it. A group without
  // children is followed by a count of 0 and its segment goes on. At the end of a chain of
  // siblings the writer climbs to the group that holds it: when that group has a next
  // sibling a new segment starts there (counting the items from it to the end of its chain),
  // otherwise a 0 closes the level and the writer climbs on. The top level ends with a 0.
  //
  // Each chain is counted once, when the writer enters it; the count a segment starting inside
  // it needs is what is left of that count, kept for each level the writer stands in.
  writeSteps_ = 0;
  std::vector<SInt32> leftAbove;  // for each holder: the items after it in its chain
  SInt32 left = ChainLength(topHead_);
  writeSteps_ += UInt32(left);
  out.PutCount(left);
  cPrefStockData* holder = nullptr;
  cPrefStockData* item = topHead_;
  while (out.Error() == noErr) {
    while (item != nullptr && out.Error() == noErr) {
      ++writeSteps_;
      WriteItem(out, item, kMethod);
      --left;
      if (item->type_ == kPrefStockDataType_Group) {
        if (item->childHead_ != nullptr) {
          leftAbove.push_back(left);
          left = ChainLength(item->childHead_);
          writeSteps_ += UInt32(left);
          out.PutCount(left);
          holder = item;
          item = item->childHead_;
          continue;
        }
        out.PutCount(0);
      }
      item = item->GetNextObjectPtr();
    }
    if (out.Error() != noErr) break;
    // Climb.
    for (;;) {
      if (holder == nullptr) {
        out.PutCount(0);
        return out.Error();
      }
      if (leftAbove.empty()) {
        left = ChainLength(holder->GetNextObjectPtr());
      } else {
        left = leftAbove.back();
        leftAbove.pop_back();
      }
      if (holder->GetNextObjectPtr() != nullptr) {
        item = holder->GetNextObjectPtr();
        out.PutCount(left);
        holder = holder->upperGroup_;
        break;
      }
      out.PutCount(0);
      holder = holder->upperGroup_;
    }
  }
  return out.Error();
}

OSErr cPrefStockFileObj::SavePrefDataInFile() {
  const char kMethod[] = "cPrefStockFileObj::SavePrefDataInFile";
  if (fileName_[0] == 0) return noErr;
  if (folderFlag_ == 0)
    return SpReportFailure(kSource, kMethod, kSaveNoFolder, kSpMsgFileError, OSErr(dirNFErr));

  // What is there now: nothing, the previous file, or something that is not ours to replace.
  FSRef oldRef;
  OSErr err = Sp_GetFSRefFromDirectoryFSRefAndLongFileName(&folder_, fileName_,
                                                           kCFStringEncodingMacJapanese, &oldRef);
  if (err == noErr) {
    unsigned char isFolder = 0;
    err = Sp_CheckIsDirectoryByFSRef(&oldRef, isFolder);
    if (err == noErr && isFolder != 0) err = notAFileErr;
  } else if (err == fnfErr) {
    err = noErr;
  }
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (err == noErr) err = Sp_GetDirectoryPositionInfoFromFSRef(&folder_, &vRefNum, &dirID);
  if (err != noErr) return SpReportFailure(kSource, kMethod, kSaveLookUp, kSpMsgFileError, err);

  // The new file is written beside the old one, which stays untouched until the new one is
  // complete and on the disk and takes its name.
  std::vector<UInt8> bytes;
  err = WriteStockTree(bytes);
  if (err == noErr) {
    err = Sp_ReplaceFileContents(vRefNum, dirID, fileName_, creator_, fileType_, bytes.data(),
                                 bytes.size());
  }
  if (err != noErr) return SpReportFailure(kSource, kMethod, kSaveReplace, kSpMsgFileError, err);
  modifyFlag_ = 0;
  return noErr;
}

OSErr cPrefStockFileObj::LoadPrefDataFromFile() {
  const char kMethod[] = "cPrefStockFileObj::LoadPrefDataFromFile";
  if (folderFlag_ == 0)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgFileError, OSErr(dirNFErr));
  cPrefStockData* head = nullptr;
  cPrefStockData* tail = nullptr;
  if (fileName_[0] == 0) {
    loadedFlag_ = 1;
    return noErr;
  }
  if (Sp_ExsitTargetFileOrDirByFSRefAndLongName(&folder_, fileName_,
                                                kCFStringEncodingMacJapanese) == 0) {
    // A save killed before its new file took the name left that file beside it.
    if (TakeBackInterruptedSave(head, tail) && head != nullptr) AppendTopChain(head, tail);
    loadedFlag_ = 1;
    return noErr;
  }
  // The items are read into a chain of their own and join the top list only when the whole
  // file was read: a file that fails halfway changes nothing.
  SInt32 step = 0;
  const OSErr err = ReadFileNamed(fileName_, head, tail, step);
  if (err == noErr) {
    if (head != nullptr) AppendTopChain(head, tail);
    loadedFlag_ = 1;
  } else if (step != 0 && IsDamage(err)) {
    KeepDamagedFile(step);
  } else if (step != 0) {
    SpReportFailure(kSource, kMethod, step, kSpMsgFileError);
  }
  return err;
}

OSErr cPrefStockFileObj::ReadFileNamed(const char* name, cPrefStockData*& head,
                                       cPrefStockData*& tail, SInt32& step) {
  head = tail = nullptr;
  step = kStepOpen;
  sSpOSXFileSysInfo* file = nullptr;
  OSErr err = Sp_ReadFileSystem_OpenByFSRef(&folder_, name, 1, fsFromStart, 0, &file);
  if (err != noErr) return err;
  err = ReadStockTree(file, head, tail, step);
  SpFileSystem_CloseByFSRef(file, 1, 1);
  if (err == noErr) return noErr;
  SpDeleteList(head);
  head = tail = nullptr;
  return err;
}

bool cPrefStockFileObj::TakeBackInterruptedSave(cPrefStockData*& head, cPrefStockData*& tail) {
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (Sp_GetDirectoryPositionInfoFromFSRef(&folder_, &vRefNum, &dirID) != noErr) return false;
  return Sp_TakeBackSideFile(vRefNum, dirID, fileName_, OlderSideFileNames(fileName_),
                             [&](const char* side) {
                               SInt32 step = 0;
                               return ReadFileNamed(side, head, tail, step) == noErr;
                             });
}

unsigned char cPrefStockFileObj::TakeBackInterruptedSave(short vRefNum, SInt32 dirID,
                                                         const char* fileName) {
  if (fileName == nullptr) {
    return SpReportFailure(kSource, "cPrefStockFileObj::TakeBackInterruptedSave", 1,
                           kSpMsgNullArgument, (unsigned char)0);
  }
  if (Sp_ExsitTargetFile(vRefNum, dirID, fileName) != 0) return 1;
  cPrefStockFileObj scratch(0, vRefNum, dirID, fileName, 0, 0);
  cPrefStockData* head = nullptr;
  cPrefStockData* tail = nullptr;
  if (scratch.folderFlag_ == 0 || !scratch.TakeBackInterruptedSave(head, tail)) return 0;
  if (head != nullptr) scratch.AppendTopChain(head, tail);
  return Sp_ExsitTargetFile(vRefNum, dirID, fileName) != 0 ? 1 : 0;
}

void cPrefStockFileObj::KeepDamagedFile(SInt32 step) {
  short vRefNum = 0;
  SInt32 dirID = 0;
  const OSErr err = Sp_GetDirectoryPositionInfoFromFSRef(&folder_, &vRefNum, &dirID);
  Sp_KeepDamagedFile(vRefNum, dirID, err == noErr ? fileName_ : nullptr, kSource,
                     "cPrefStockFileObj::LoadPrefDataFromFile", step);
}

OSErr cPrefStockFileObj::ReadStockTree(sSpOSXFileSysInfo* file, cPrefStockData*& head,
                                       cPrefStockData*& tail, SInt32& step) {
  const char kMethod[] = "cPrefStockFileObj::LoadPrefDataFromFile";
  StockReader in(file);
  UInt32 identifyType = 0;
  UInt32 maxDataSize = 0;
  step = kStepIdentifyType;
  OSErr err = in.ReadBE32(identifyType);
  if (err != noErr) return err;
  step = kStepMaxDataSize;
  err = in.ReadBE32(maxDataSize);
  if (err != noErr) return err;
  // A size or count the rest of the file cannot hold means a file cut short or bad data.
  // Which one is known only by reading on: a cut file ends in a failing read (eofErr with
  // that read's step), while a whole file that said too much is bad data, given at the end
  // with the step of the first thing it overstated.
  SInt32 overstated = 0;
  if (maxDataSize > in.Remaining()) overstated = kStepMaxDataSize;

  // One scratch block of the largest value receives the strings and flex areas.
  struct Scratch {
    Ptr block = nullptr;
    ~Scratch() {
      if (block != nullptr) DisposePtr(block);
    }
  } scratch;
  // Every value lies in the file: the block needs no more than what follows the header.
  const UInt64 blockSize = std::min<UInt64>(maxDataSize, in.Remaining());
  if (blockSize > 0) {
    scratch.block = NewPtrClear(Size(blockSize));
    if (scratch.block == nullptr) {
      step = 0;
      return SpReportFailure(kSource, kMethod, 2, kSpMsgFileError, OSErr(memFullErr));
    }
  }

  // A count is not used to reserve anything: each item is made only after its id and type
  // were read, so a large count costs no more than the bytes that are there. One the file
  // cannot hold is only noted.
  auto readCount = [&](SInt32& count) -> OSErr {
    UInt32 raw = 0;
    step = kStepCount;
    OSErr result = in.ReadBE32(raw);
    if (result != noErr) return result;
    count = SInt32(raw);
    if (overstated == 0 && count > 0 && UInt64(count) * kSmallestItem > in.Remaining()) {
      overstated = kStepSegmentTooLong;
    }
    return noErr;
  };
  auto finished = [&]() -> OSErr {
    if (overstated == 0) return noErr;
    step = overstated;
    return kPrefStockDataErr;
  };

  // The segment rule read back. Every count the writer wrote is read, the closing ones too,
  // so a file cut anywhere is found out.
  cPrefStockData* group = nullptr;  // the group whose children are being read; null: top
  SInt32 count = 0;
  err = readCount(count);
  if (err != noErr) return err;
  for (;;) {
    bool descended = false;
    for (SInt32 i = 0; i < count && !descended; ++i) {
      UInt32 id = 0;
      step = kStepItemId;
      err = in.ReadBE32(id);
      if (err != noErr) return err;
      UInt8 type = 0;
      step = kStepItemType;
      err = in.Read(&type, 1);
      if (err != noErr) return err;

      cPrefStockData* item = new (std::nothrow) cPrefStockData(this, id);
      if (item == nullptr) {
        step = 0;
        return SpReportFailure(kSource, kMethod, 1, kSpMsgMemory, OSErr(memFullErr));
      }
      if (group != nullptr) {
        group->LinkIntoGroupItem(item);
      } else {
        SpAppendToList(head, tail, item);
      }

      if (type == kPrefStockDataType_Group) {
        item->type_ = kPrefStockDataType_Group;
        SInt32 children = 0;
        err = readCount(children);
        if (err != noErr) return err;
        if (children > 0) {
          // The rest of this segment follows the children, in a segment of its own.
          group = item;
          count = children;
          descended = true;
        }
        continue;
      }
      err = ReadItemValue(in, item, type, scratch.block, blockSize, maxDataSize, step);
      if (err != noErr) return err;
    }
    if (descended) continue;
    // The end of a segment: the next count gives the siblings of the group just finished, or
    // 0 when it had none and the level above ends too. At the top level it is the last count.
    for (;;) {
      err = readCount(count);
      if (err != noErr) return err;
      if (group == nullptr) {
        if (count <= 0) return finished();
        break;
      }
      group = group->upperGroup_;
      if (count > 0) break;
    }
  }
}
