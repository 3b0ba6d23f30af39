// The table of contents of an audio CD (".TOC.plist") and the track files of its volume.
#include "SpCDTOCInfoObject.h"

#include <cstring>
#include <iterator>
#include <new>

#include "CoreFoundation.h"
#include "Fonts.h"
#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionDirectory.h"
#include "SpStdFileFunctionFinderInfo.h"
#include "SpStdFileFunctionForOSX.h"
#include "SpStdFunction.h"

const char kSpCDTOCFileName[] = ".TOC.plist";

namespace {

const char kSource[] = "SpCDTOCInfoObject";
const char kMsgNullArugment[] = "Required arugment is null !! ";

// A disc's table of contents is a few kilobytes; anything near this is no table of contents
// and is not read into memory.
const SInt64 kMaxTOCFileSize = 4 * 1024 * 1024;

SInt32 ClampToSInt32(SInt64 value) {
  if (value > 0x7FFFFFFF) return 0x7FFFFFFF;
  if (value < -0x7FFFFFFF - 1) return -0x7FFFFFFF - 1;
  return SInt32(value);
}

}  // namespace

// ---- cMediaTOCTrackInfo ---------------------------------------------------------------------

void cMediaTOCTrackInfo::StartUpInitialize() {
  point_ = 0;
  startBlock_ = 0;
  lengthOfBlock_ = 0;
}

// ---- cMediaTOCInfo --------------------------------------------------------------------------

void cMediaTOCInfo::StartUpInitialize() {
  head_ = nullptr;
  tail_ = nullptr;
  lastOfPoint_.clear();
  sessionNumber_ = 0;
  firstTrack_ = 0;
  audioTrackCount_ = 0;
  lastTrack_ = 0;
  trackSessionNumber_ = 0;
  leadoutBlock_ = 0;
  lastEntryIsAudio_ = 0;
  sessionType_ = 0;
}

void cMediaTOCInfo::SetupNewTrackItemPtr(cMediaTOCTrackInfo* entry) {
  if (entry == nullptr) {
    SpReportFailure(kSource, "cMediaTOCInfo::SetupNewTrackItemPtr", 1, kMsgNullArugment);
    return;
  }
  // Looked for before its links are touched: clearing the links of an entry that is already
  // in the list would cut the list there.
  ++placementSteps_;
  if (entry->owner_ == this) return;
  entry->UnlinkSelf();
  entry->owner_ = this;
  // After the last entry whose point is at most the entry's own.
  cMediaTOCTrackInfo* after = nullptr;
  if (tail_ != nullptr && tail_->point_ <= entry->point_) {
    after = tail_;
  } else {
    auto above = lastOfPoint_.upper_bound(entry->point_);
    if (above != lastOfPoint_.begin()) after = std::prev(above)->second;
  }
  lastOfPoint_[entry->point_] = entry;
  if (after == nullptr) {
    if (head_ != nullptr) {
      head_->InsertBefore(entry);
    } else {
      tail_ = entry;
    }
    head_ = entry;
    return;
  }
  after->InsertAfter(entry);
  if (after == tail_) tail_ = entry;
}

void cMediaTOCInfo::SetupTrackBlockInfo() {
  for (cMediaTOCTrackInfo* entry = head_; entry != nullptr; entry = entry->GetNextObjectPtr()) {
    const SInt64 start = entry->startBlock_;
    if (entry->GetNextObjectPtr() != nullptr) {
      const SInt64 nextStart = entry->GetNextObjectPtr()->startBlock_;
      if (nextStart > start) {
        entry->lengthOfBlock_ = ClampToSInt32(nextStart - start);
      } else {
        entry->lengthOfBlock_ = 0;
        SpReportFailure(kSource, "cMediaTOCInfo::SetupTrackBlockInfo", 5, kSpMsgDataError);
      }
    } else if (leadoutBlock_ > start) {
      entry->lengthOfBlock_ = ClampToSInt32(SInt64(leadoutBlock_) - start);
    } else {
      entry->lengthOfBlock_ = 0;
      SpReportFailure(kSource, "cMediaTOCInfo::SetupTrackBlockInfo", 3, kSpMsgDataError);
    }
  }
}

cMediaTOCTrackInfo* cMediaTOCInfo::GetTrackItemPtrByPoint(SInt32 point) const {
  for (cMediaTOCTrackInfo* entry = head_; entry != nullptr; entry = entry->GetNextObjectPtr()) {
    if (entry->point_ == point) return entry;
  }
  return nullptr;
}

// Positions go to the track file that carries the entry's track number, so a disc whose
// track files do not start at 1, or lack one, still gets every start and length right.
void cMediaTOCInfo::SetupTrackInfo(sTrackDataForOSX* list) {
  for (sTrackDataForOSX* track = list; track != nullptr; track = track->next) {
    if (track->trackNo > 0x7FFF) continue;
    const cMediaTOCTrackInfo* entry = GetTrackItemPtrByPoint(SInt32(track->trackNo));
    if (entry == nullptr) continue;
    const SInt32 length = entry->lengthOfBlock_;
    Sp_SectorToCDPosition(entry->startBlock_, &track->startPosition);
    Sp_SectorToCDPosition(ClampToSInt32(SInt64(entry->startBlock_) + length), &track->endPosition);
    track->lengthInSectors = UInt32(length);
    Sp_SectorToCDPosition(length, &track->length);
  }
}

void cMediaTOCInfo::WipeOutTrackItemList() {
  cMediaTOCTrackInfo* entry = head_;
  head_ = nullptr;
  tail_ = nullptr;
  lastOfPoint_.clear();
  SpDeleteList(entry);
}

// ---- Reading ".TOC.plist" -------------------------------------------------------------------

namespace {

// Holds a CoreFoundation object and releases it on every way out.
class CFHolder {
 public:
  explicit CFHolder(CFTypeRef object) : object_(object) {}
  ~CFHolder() {
    if (object_ != nullptr) CFRelease(object_);
  }
  CFHolder(const CFHolder&) = delete;
  CFHolder& operator=(const CFHolder&) = delete;
  CFTypeRef Get() const { return object_; }

 private:
  CFTypeRef object_;
};

bool IsOfType(CFTypeRef object, CFTypeID type) {
  return object != nullptr && CFGetTypeID(object) == type;
}

CFArrayRef ArrayValue(CFDictionaryRef dict, CFStringRef key) {
  CFTypeRef value = CFDictionaryGetValue(dict, key);
  return IsOfType(value, CFArrayGetTypeID()) ? static_cast<CFArrayRef>(value) : nullptr;
}

// A value missing, of another kind or out of the 32-bit range leaves *out as it was.
void ReadSInt32(CFDictionaryRef dict, CFStringRef key, SInt32* out) {
  CFTypeRef value = CFDictionaryGetValue(dict, key);
  if (!IsOfType(value, CFNumberGetTypeID())) return;
  SInt32 number = 0;
  if (CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt32Type, &number)) {
    *out = number;
  }
}

bool IsDataTrack(CFDictionaryRef track) {
  CFTypeRef value = CFDictionaryGetValue(track, CFSTR("Data"));
  return IsOfType(value, CFBooleanGetTypeID()) &&
         CFBooleanGetValue(static_cast<CFBooleanRef>(value));
}

// The whole data fork of the file, or null. The caller disposes the block.
Ptr ReadWholeFile(const FSRef* file, SInt32* size) {
  HFSUniStr255 forkName;
  if (FSGetDataForkName(&forkName) != noErr) return nullptr;
  FSIORefNum refNum = 0;
  if (FSOpenFork(file, forkName.length, forkName.unicode, fsRdPerm, &refNum) != noErr) {
    return nullptr;
  }
  Ptr buffer = nullptr;
  SInt64 forkSize = 0;
  if (FSGetForkSize(refNum, &forkSize) == noErr) {
    if (forkSize > kMaxTOCFileSize) {
      SpReportFailure(kSource, "SpCDR_GetTOCData", 2, kSpMsgFileError);
    } else if (forkSize > 0) {
      buffer = NewPtrClear(Size(forkSize));
      ByteCount actual = 0;
      if (buffer != nullptr &&
          (FSReadFork(refNum, fsFromStart, 0, ByteCount(forkSize), buffer, &actual) != noErr ||
           actual != ByteCount(forkSize))) {
        DisposePtr(buffer);
        buffer = nullptr;
      }
      *size = SInt32(forkSize);
    }
  }
  FSCloseFork(refNum);
  return buffer;
}

}  // namespace

Boolean SpCDR_GetTOCData(const FSRef* tocFile, cMediaTOCInfo* toc) {
  static const char kMethod[] = "SpCDR_GetTOCData";
  if (toc == nullptr || tocFile == nullptr) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, Boolean(false));
  }
  SInt32 size = 0;
  Ptr bytes = ReadWholeFile(tocFile, &size);
  if (bytes == nullptr) return false;
  CFHolder data(CFDataCreate(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(bytes), size));
  DisposePtr(bytes);
  if (data.Get() == nullptr) return false;
  CFStringRef errorString = nullptr;
  CFHolder plist(CFPropertyListCreateFromXMLData(kCFAllocatorDefault,
                                                 static_cast<CFDataRef>(data.Get()),
                                                 kCFPropertyListImmutable, &errorString));
  if (errorString != nullptr) CFRelease(errorString);
  // A table of contents that does not parse, or is no dictionary, tells nothing about the
  // disc: it does not count as read.
  if (!IsOfType(plist.Get(), CFDictionaryGetTypeID())) {
    return SpReportFailure(kSource, kMethod, 2, kSpMsgDataError, Boolean(false));
  }
  CFDictionaryRef root = static_cast<CFDictionaryRef>(plist.Get());
  CFArrayRef sessions = ArrayValue(root, CFSTR("Sessions"));
  const CFIndex sessionCount = sessions != nullptr ? CFArrayGetCount(sessions) : 0;
  for (CFIndex s = 0; s < sessionCount; ++s) {
    CFTypeRef sessionValue = CFArrayGetValueAtIndex(sessions, s);
    if (!IsOfType(sessionValue, CFDictionaryGetTypeID())) continue;
    CFDictionaryRef session = static_cast<CFDictionaryRef>(sessionValue);
    ReadSInt32(session, CFSTR("Session Number"), &toc->sessionNumber_);
    ReadSInt32(session, CFSTR("First Track"), &toc->firstTrack_);
    ReadSInt32(session, CFSTR("Last Track"), &toc->lastTrack_);
    ReadSInt32(session, CFSTR("Leadout Block"), &toc->leadoutBlock_);
    SInt32 sessionType = -1;
    ReadSInt32(session, CFSTR("Session Type"), &sessionType);
    if (sessionType == 0x00) toc->sessionType_ = 1;
    if (sessionType == 0x10) toc->sessionType_ = 2;
    if (sessionType == 0x20) toc->sessionType_ = 3;

    CFArrayRef tracks = ArrayValue(session, CFSTR("Track Array"));
    const CFIndex trackCount = tracks != nullptr ? CFArrayGetCount(tracks) : 0;
    for (CFIndex t = 0; t < trackCount; ++t) {
      CFTypeRef trackValue = CFArrayGetValueAtIndex(tracks, t);
      if (!IsOfType(trackValue, CFDictionaryGetTypeID())) continue;
      CFDictionaryRef track = static_cast<CFDictionaryRef>(trackValue);
      SInt32 point = 0;
      SInt32 startBlock = 0;
      ReadSInt32(track, CFSTR("Point"), &point);
      ReadSInt32(track, CFSTR("Session Number"), &toc->trackSessionNumber_);
      ReadSInt32(track, CFSTR("Start Block"), &startBlock);
      if (IsDataTrack(track)) {
        toc->lastEntryIsAudio_ = 0;
        continue;
      }
      toc->lastEntryIsAudio_ = 1;
      cMediaTOCTrackInfo* entry =
          new (std::nothrow) cMediaTOCTrackInfo(SInt16(point & 0xFFFF), startBlock);
      if (entry == nullptr) {
        SpReportFailure(kSource, kMethod, 3, kSpMsgMemory);
        continue;
      }
      ++toc->audioTrackCount_;
      toc->SetupNewTrackItemPtr(entry);
    }
    if (toc->audioTrackCount_ >= 1) break;
  }
  toc->SetupTrackBlockInfo();
  return true;
}

// ---- Track files ----------------------------------------------------------------------------

namespace {

// The track number that begins a track file's name: its first space-separated field, when
// that is a plain decimal number. 0 for anything else ("Cover.jpg", "1.aiff", "-3 x.aiff").
UInt32 TrackNumberOfName(const char* name) {
  char field[12];
  unsigned char overflow = 0;
  if (!Sp_GetSeparateString(name, ' ', 0, field, SInt32(sizeof(field)), &overflow) || overflow) {
    return 0;
  }
  const std::size_t length = std::strlen(field);
  if (length == 0 || length > 9) return 0;
  // Read here rather than through the general text-to-number call, which needs memory: a
  // track must not drop out of the list because memory was short for a moment.
  UInt32 number = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (field[i] < '0' || field[i] > '9') return 0;
    number = number * 10 + UInt32(field[i] - '0');
  }
  return number;
}

bool HasAIFFExtension(const char* name, short fontNumber) {
  char extension[kSpTrackDataNameSize];
  if (std::strlen(name) >= sizeof(extension)) return false;
  if (!Sp_GetFileExtendName(name, extension)) return false;
  Sp_ChangeToLowercaseStringWithFontNo(extension, fontNumber);
  return std::strcmp(extension, "aiff") == 0;
}

// The title of a long name "N Title.aiff": what follows the first run of spaces, without an
// ".aiff" extension. Empty when nothing follows the number.
void TitleOfLongName(const char* longName, short fontNumber, char* title) {
  title[0] = 0;
  const char* space = std::strchr(longName, ' ');
  if (space == nullptr) return;
  const char* start = space;
  while (*start == ' ') ++start;
  if (*start == 0) return;
  std::size_t length = std::strlen(start);
  if (length >= kSpTrackDataNameSize) length = kSpTrackDataNameSize - 1;
  std::memcpy(title, start, length);
  title[length] = 0;
  char* dot = std::strrchr(title, '.');
  if (dot == nullptr) return;
  char extension[kSpTrackDataNameSize];
  std::strcpy(extension, dot + 1);
  Sp_ChangeToLowercaseStringWithFontNo(extension, fontNumber);
  if (std::strcmp(extension, "aiff") == 0) *dot = 0;
}

// After the last record with a smaller number, so the list stays ascending and a repeated
// number goes before the records that already carry it.
void InsertByTrackNumber(sTrackDataForOSX*& list, sTrackDataForOSX* record) {
  sTrackDataForOSX* after = nullptr;
  for (sTrackDataForOSX* r = list; r != nullptr && r->trackNo < record->trackNo; r = r->next) {
    after = r;
  }
  if (after == nullptr) {
    record->before = nullptr;
    record->next = list;
    if (list != nullptr) list->before = record;
    list = record;
    return;
  }
  record->before = after;
  record->next = after->next;
  if (after->next != nullptr) after->next->before = record;
  after->next = record;
}

}  // namespace

OSErr Sp_GetMusicTrackData(short vRefNum, sTrackDataForOSX*& list, UInt32* count) {
  static const char kMethod[] = "Sp_GetMusicTrackData";
  list = nullptr;
  const short fontNumber = GetSysFont();

  FSRef topFolder;
  OSErr err = Sp_GetFSRefFromDirectoryPositionInfo(vRefNum, 0, &topFolder);
  if (err != noErr) return err;
  cDirectoryItem* items = nullptr;
  err = Sp_SerchFolderItemInFRef(&topFolder, items, 1);
  if (err != noErr) {
    Sp_DisposeDirectoryItemList(items);
    return err;
  }

  UInt32 records = 0;
  char name[kSpTrackDataNameSize];
  char longName[kSpDirectoryItemNameSize];
  for (cDirectoryItem* item = items; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->IsDirectory()) continue;
    unsigned char tooLong = 0;
    if (item->GetFileName(name, SInt32(sizeof(name)), tooLong) == nullptr) continue;
    if (!HasAIFFExtension(name, fontNumber)) continue;
    const UInt32 trackNo = TrackNumberOfName(name);
    if (trackNo < 1 || trackNo > 99) continue;

    sTrackDataForOSX* record = Sp_NewMusicTrackData();
    if (record == nullptr) {
      Sp_DisposeDirectoryItemList(items);
      Sp_DisposeMusicTrackDataList(list);
      list = nullptr;
      return SpReportFailure(kSource, kMethod, 2, kSpMsgMemory, OSErr(memFullErr));
    }
    record->trackNo = trackNo;
    std::strcpy(record->fileName, name);
    short itemVRefNum = vRefNum;
    SInt32 parentDirID = 0;
    item->GetVolumeRefNum(itemVRefNum);
    item->GetUpperDirectoryId(parentDirID);
    SInt32 physicalSize = 0;
    if (Sp_GetFileSize(itemVRefNum, parentDirID, name, nullptr, &physicalSize, nullptr, nullptr,
                       nullptr, nullptr) == noErr) {
      record->fileSize = physicalSize;
    }
    item->GetChangedFromUnicodeFileName(longName);
    longName[sizeof(longName) - 1] = 0;
    TitleOfLongName(longName, fontNumber, record->title);
    InsertByTrackNumber(list, record);
    ++records;
  }
  Sp_DisposeDirectoryItemList(items);
  if (count != nullptr) *count = records;
  return noErr;
}
