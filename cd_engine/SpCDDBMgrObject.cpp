// The CD title database of SpCDDBMgrObject.h.
#include "SpCDDBMgrObject.h"

#include <cstring>

#include "ByteOrder.h"
#include "Files.h"
#include "Folders.h"
#include "Resources.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFunction.h"

const char kSpCDDBFileName[] = "CD Remote Programs";

namespace {

const char kSource[] = "SpCDDBMgrObject";

constexpr ResType kStringListType = 0x53545223;  // 'STR#'
constexpr std::size_t kIndexEntrySize = 6;

cSp_CDDBManager* gManager = nullptr;

// A BCD byte whose value is below `limit`; false for a nibble above 9 or a value too large.
bool DecodeBCD(UInt8 bcd, UInt32 limit, UInt32& value) {
  if ((bcd >> 4) > 9 || (bcd & 0x0F) > 9) return false;
  value = Sp_BCD_To_Number(bcd);
  return value < limit;
}

// The strings of one disc, read from the title file's own 'STR#' (the file is current). The
// list is walked once: only its first kSpCDDBMostTracks + 1 strings (the disc title and the
// track titles) are ever asked for.
class DiscStrings {
 public:
  explicit DiscStrings(SInt16 id) : handle_(Get1Resource(kStringListType, id)) {
    if (handle_ == nullptr) {
      memoryShort_ = ResError() == memFullErr;
      return;
    }
    HLock(handle_);
    if (*handle_ == nullptr) return;
    const UInt8* list = reinterpret_cast<const UInt8*>(*handle_);
    sp::ByteReader in(list, std::size_t(GetHandleSize(handle_)));
    const SInt32 count = in.BE16();
    // A missing string, or one the bytes end inside, and every one after it, is empty.
    while (in.Ok() && count_ < count && count_ < kMostStrings) {
      const UInt8 length = in.U8();
      if (!in.Ok() || !in.Has(length)) break;
      strings_[count_] = in.Current();
      lengths_[count_] = length;
      ++count_;
      in.Skip(length);
    }
  }
  ~DiscStrings() {
    if (handle_ == nullptr) return;
    HUnlock(handle_);
    if (HomeResFile(handle_) > kSpSystemResFile) ReleaseResource(handle_);
  }
  DiscStrings(const DiscStrings&) = delete;
  DiscStrings& operator=(const DiscStrings&) = delete;

  // The list exists but could not be loaded.
  bool MemoryShort() const { return memoryShort_; }
  // How many strings (from the first) the list really holds.
  SInt32 Count() const { return count_; }

  // String `index` (from 1) as a zero-terminated text (out holds 256 bytes); empty when the
  // list does not hold it.
  void Get(SInt32 index, char* out) const {
    out[0] = 0;
    if (index < 1 || index > count_) return;
    std::memcpy(out, strings_[index - 1], lengths_[index - 1]);
    out[lengths_[index - 1]] = 0;
  }

 private:
  static constexpr SInt32 kMostStrings = kSpCDDBMostTracks + 1;
  Handle handle_;
  bool memoryShort_ = false;
  SInt32 count_ = 0;
  const UInt8* strings_[kMostStrings] = {};
  UInt8 lengths_[kMostStrings] = {};
};

}  // namespace

// ---- cSp_CDDBTrack --------------------------------------------------------------------------

cSp_CDDBTrack::cSp_CDDBTrack(const char* title) {
  if (title == nullptr || title[0] == 0) return;
  title_ = SpSO_NewStringObject();
  if (title_ != nullptr) SpSO_strcopy(title_, title);
}

cSp_CDDBTrack::~cSp_CDDBTrack() {
  SpSO_DisposeStringObject(title_);
}

Boolean cSp_CDDBTrack::GetCDTrackTitle(char* buffer, SInt32 size, unsigned char* truncated) {
  if (title_ == nullptr || SpSO_GetStringLen(title_) == 0) return 0;
  // The string object needs room for at least one byte and its two terminators.
  if (buffer == nullptr || size < 3) {
    if (truncated != nullptr) *truncated = 1;
    return 0;
  }
  unsigned char cut = 0;
  SpSO_GetString(title_, buffer, size, cut);
  if (truncated != nullptr) *truncated = cut;
  return 1;
}

void cSp_CDDBTrack::SetupReferenceNo(unsigned char followingToo) {
  cSp_CDDBTrack* before = GetBeforeObjectPtr();
  referenceNo_ = before != nullptr ? before->referenceNo_ + 1 : 1;
  if (followingToo == 0) return;
  for (cSp_CDDBTrack* t = GetNextObjectPtr(); t != nullptr; t = t->GetNextObjectPtr())
    t->referenceNo_ = t->GetBeforeObjectPtr()->referenceNo_ + 1;
}

// ---- cSp_CDDBItem ---------------------------------------------------------------------------

cSp_CDDBItem::cSp_CDDBItem(const char* title) {
  title_[0] = 0;
  if (title == nullptr) return;
  std::size_t length = strnlen(title, sizeof title_ - 1);
  std::memcpy(title_, title, length);
  title_[length] = 0;
}

cSp_CDDBItem::~cSp_CDDBItem() {
  // From the end: each track is cut off the one before it, then deleted.
  while (trackTail_ != nullptr) {
    cSp_CDDBTrack* before = trackTail_->GetBeforeObjectPtr();
    if (before != nullptr) before->UnlinkNext();
    delete trackTail_;
    trackTail_ = before;
  }
  trackHead_ = nullptr;
}

cSp_CDDBItem* cSp_CDDBItem::GetTragetCDData(const cDiscPosition& totalTime) {
  for (cSp_CDDBItem* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    const cDiscPosition& t = item->totalTime_;
    if (t.minutes == totalTime.minutes && t.seconds == totalTime.seconds &&
        t.frames == totalTime.frames && t.negative == totalTime.negative)
      return item;
  }
  return nullptr;
}

void cSp_CDDBItem::SetupTrackItemOnLastPosit(cSp_CDDBTrack* track) {
  if (track == nullptr) return;
  if (trackTail_ == nullptr) {
    trackHead_ = track;
  } else {
    trackTail_->LinkToNext(track);
  }
  trackTail_ = track;
  track->SetupReferenceNo(0);
}

Boolean cSp_CDDBItem::GetCDTitle(char* buffer, SInt32 size, unsigned char* truncated) {
  if (buffer == nullptr)
    return SpReportFailure(kSource, "cSp_CDDBItem::GetCDTitle", 1, kSpMsgNullArgument, Boolean(0));
  if (size < 1)
    return SpReportFailure(kSource, "cSp_CDDBItem::GetCDTitle", 2, kSpMsgDataError, Boolean(0));
  buffer[0] = 0;
  const std::size_t length = std::strlen(title_);
  if (length == 0) return 0;
  // The last two bytes of the buffer are never used for the title, and a title that reaches
  // them counts as cut, as the track titles' string objects do it.
  const std::size_t room = size > 2 ? std::size_t(size - 2) : 0;
  unsigned char cut = 0;
  std::size_t copied = length;
  if (length >= room) {
    copied = room;
    cut = 1;
  }
  std::memcpy(buffer, title_, copied);
  buffer[copied] = 0;
  if (truncated != nullptr) *truncated = cut;
  return 1;
}

Boolean cSp_CDDBItem::GetCDTrackTitle(short trackNo, char* buffer, SInt32 size,
                                      unsigned char* truncated) {
  if (buffer == nullptr) {
    return SpReportFailure(kSource, "cSp_CDDBItem::GetCDTrackTitle", 1, kSpMsgNullArgument,
                           Boolean(0));
  }
  if (trackNo < 1) return 0;
  cSp_CDDBTrack* track = trackHead_;
  for (short n = 1; track != nullptr && n < trackNo; ++n) track = track->GetNextObjectPtr();
  if (track == nullptr) return 0;
  return track->GetCDTrackTitle(buffer, size, truncated);
}

// ---- cSp_CDDBManager ------------------------------------------------------------------------

cSp_CDDBManager::~cSp_CDDBManager() {
  while (tail_ != nullptr) {
    cSp_CDDBItem* before = tail_->GetBeforeObjectPtr();
    if (before != nullptr) before->UnlinkNext();
    delete tail_;
    tail_ = before;
  }
  head_ = nullptr;
}

void cSp_CDDBManager::AppendItem(cSp_CDDBItem* item) {
  if (tail_ == nullptr) {
    head_ = item;
  } else {
    tail_->LinkToNext(item);
  }
  tail_ = item;
}

void cSp_CDDBManager::LoadAppleCDDB() {
  const SInt16 savedFile = CurResFile();
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID) !=
      noErr)
    return;
  Str255 name;
  name[0] = UInt8(sizeof kSpCDDBFileName - 1);
  std::memcpy(name + 1, kSpCDDBFileName, name[0]);
  FSSpec spec;
  if (FSMakeFSSpec(vRefNum, dirID, name, &spec) != noErr) return;
  const SInt16 file = FSpOpenResFile(&spec, fsRdPerm);
  if (file == -1 || ResError() != noErr) {
    UseResFile(savedFile);
    return;
  }
  UseResFile(file);
  // Only the title file's own index counts, never one of another open file.
  Handle index = Get1Resource(kSpCDDBIndexType, kSpCDDBIndexID);
  if (index == nullptr && ResError() == memFullErr)
    SpReportFailure(kSource, "cSp_CDDBManager::LoadAppleCDDB", 1, kSpMsgMemory);
  if (index != nullptr) {
    HLock(index);
    const std::size_t size = *index != nullptr ? std::size_t(GetHandleSize(index)) : 0;
    ReadIndex(reinterpret_cast<const UInt8*>(*index), size);
    HUnlock(index);
    if (HomeResFile(index) > kSpSystemResFile) ReleaseResource(index);
  }
  CloseResFile(file);
  UseResFile(savedFile);
}

void cSp_CDDBManager::ReadIndex(const UInt8* index, std::size_t size) {
  const char kMethod[] = "cSp_CDDBManager::LoadAppleCDDB";
  sp::ByteReader in(index, size);
  in.Skip(2);
  const SInt16 count = in.SBE16();
  // An index that promises more entries than it holds is damaged throughout.
  if (!in.Ok() || count < 0 || in.Remaining() < std::size_t(count) * kIndexEntrySize) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgDataError);
    return;
  }
  bool badEntry = false;
  bool tooMany = false;
  for (SInt16 i = 0; i < count; ++i) {
    const SInt8 trackCount = in.S8();
    const UInt8 minutesBCD = in.U8();
    const UInt8 secondsBCD = in.U8();
    const UInt8 framesBCD = in.U8();
    const SInt16 listID = in.SBE16();
    UInt32 minutes = 0, seconds = 0, frames = 0;
    if (!DecodeBCD(minutesBCD, 100, minutes) ||
        !DecodeBCD(secondsBCD, kSpCDSecondsPerMinute, seconds) ||
        !DecodeBCD(framesBCD, kSpCDFramesPerSecond, frames)) {
      badEntry = true;
      continue;
    }
    DiscStrings strings(listID);
    char text[256];
    strings.Get(1, text);
    cSp_CDDBItem* item = strings.MemoryShort() ? nullptr : new (std::nothrow) cSp_CDDBItem(text);
    if (item == nullptr) {
      SpReportFailure(kSource, kMethod, 1, kSpMsgMemory);
      return;
    }
    // The index holds the time of the lead-out; the key is the time of the last frame.
    const cDiscPosition stored(minutes, seconds, frames, 0);
    cDiscPosition key;
    Sp_SubSectorToCDPosition(&stored, 1, &key);
    item->SetupTotalTime(key);
    AppendItem(item);
    // Tracks past the end of the list would have no title and are not made; neither are
    // titles past what one file may make, which a damaged index could otherwise multiply.
    SInt32 tracks = trackCount < kSpCDDBMostTracks ? SInt32(trackCount) : SInt32(kSpCDDBMostTracks);
    if (tracks > strings.Count() - 1) tracks = strings.Count() - 1;
    if (tracks > kSpCDDBMostTrackTitles - trackTitleCount_) {
      tracks = kSpCDDBMostTrackTitles - trackTitleCount_;
      tooMany = true;
    }
    for (SInt32 t = 0; t < tracks; ++t) {
      strings.Get(t + 2, text);
      cSp_CDDBTrack* track = new (std::nothrow) cSp_CDDBTrack(text);
      if (track == nullptr) {
        SpReportFailure(kSource, kMethod, 1, kSpMsgMemory);
        return;
      }
      item->SetupTrackItemOnLastPosit(track);
      ++trackTitleCount_;
    }
  }
  if (badEntry) SpReportFailure(kSource, kMethod, 3, kSpMsgDataError);
  if (tooMany) SpReportFailure(kSource, kMethod, 4, kSpMsgDataError);
}

cSp_CDDBItem* cSp_CDDBManager::GetCDDBItemPtr(const cDiscPosition& totalTime) {
  return head_ != nullptr ? head_->GetTragetCDData(totalTime) : nullptr;
}

// ---- Free functions -------------------------------------------------------------------------

cSp_CDDBManager* Sp_GetCDDBManager(unsigned char create) {
  (void)create;  // the database is made on any request: a look-up needs it loaded
  if (gManager != nullptr) return gManager;
  cSp_CDDBManager* manager = new (std::nothrow) cSp_CDDBManager();
  if (manager == nullptr)
    return SpReportFailure(kSource, "Sp_GetCDDBManager", 1, kSpMsgMemory, manager);
  gManager = manager;
  manager->LoadAppleCDDB();
  return manager;
}

cSp_CDDBItem* SpCDDB_GetDBItem(const cDiscPosition& totalTime) {
  cSp_CDDBManager* manager = Sp_GetCDDBManager(1);
  return manager != nullptr ? manager->GetCDDBItemPtr(totalTime) : nullptr;
}

void SpDisposeCDDBManager() {
  delete gManager;
  gManager = nullptr;
}
