// The music library model: filing tracks, album groups, playlists, matching and tag records.
#include "SpiTunesMusicInfoObject.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>
#include <string>

#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpQTInterface.h"
#include "SpQTMusicInfo.h"
#include "SpStdFileFunctionFinderInfo.h"

const char kSpiTM_FolderName[] = "iTunes";
const char kSpiTM_LibraryFileName[] = "iTunes Music Library.xml";

namespace {

const char kSource[] = "SpiTunesMusicInfoObject";
// The one message of this file that reads differently from the shared ones.
const char kMsgNullArgumentOfPlayList[] = "Required arugment is null !! ";

// Numbers in tag records are plain decimal text in the program's own encoding.
constexpr UInt32 kNumberEncoding = kCFStringEncodingMacJapanese;

}  // namespace

unsigned long sp_itunes::gFilingSteps = 0;

namespace {

bool IsOnList(const void* self, const void* first, const void* before, const void* next) {
  return self == first || before != nullptr || next != nullptr;
}

}  // namespace

// ---- Shared pieces -----------------------------------------------------------------------------

OSErr sp_itunes::TextBlock::Set(const char* text, SInt32 length) {
  const std::size_t size =
      text == nullptr ? 0 : (length < 0 ? std::strlen(text) : std::size_t(length));
  if (size == 0) {
    Clear();
    return noErr;
  }
  char* block = NewPtr(Size(size + 1));
  if (block == nullptr) {
    Clear();
    return memFullErr;
  }
  std::memcpy(block, text, size);
  block[size] = 0;
  Adopt(block);
  return noErr;
}

void sp_itunes::TextBlock::Adopt(char* block) {
  if (block == text_) return;
  Clear();
  text_ = block;
}

void sp_itunes::TextBlock::Clear() {
  if (text_ != nullptr) DisposePtr(text_);
  text_ = nullptr;
}

// ---- cSPiTMI_TrackInfoObj ----------------------------------------------------------------------

SInt32 cSPiTMI_TrackInfoObj::GetTextFieldSize(tSpiTMI_TextField field) {
  switch (field) {
    case kSpiTMI_Name:
    case kSpiTMI_Artist:
    case kSpiTMI_Composer:
    case kSpiTMI_Album:
      return kSpiTM_LongTextSize;
    case kSpiTMI_Grouping:
    case kSpiTMI_Genre:
      return kSpiTM_ShortTextSize;
    default:
      return 0;  // as long as it comes
  }
}

cSPiTMI_TrackInfoObj::~cSPiTMI_TrackInfoObj() {
  if (texts_ != nullptr) DisposePtr(texts_);
  if (locationFile_ != nullptr) DisposePtr(reinterpret_cast<Ptr>(locationFile_));
}

bool cSPiTMI_TrackInfoObj::StoreTexts(const char* const texts[kSpiTMI_TextFieldCount]) {
  std::size_t lengths[kSpiTMI_TextFieldCount];
  std::size_t size = 1;
  for (int f = 0; f < kSpiTMI_TextFieldCount; ++f) {
    lengths[f] = texts[f] != nullptr ? std::strlen(texts[f]) : 0;
    if (lengths[f] > 0) size += lengths[f] + 1;
  }
  char* block = nullptr;
  if (size > 1) {
    block = NewPtr(Size(size));
    if (block == nullptr) return false;
    block[0] = 0;
  }
  UInt32 offsets[kSpiTMI_TextFieldCount] = {};
  std::size_t at = 1;
  for (int f = 0; f < kSpiTMI_TextFieldCount; ++f) {
    if (lengths[f] == 0) continue;
    std::memcpy(block + at, texts[f], lengths[f] + 1);
    offsets[f] = UInt32(at);
    at += lengths[f] + 1;
  }
  if (texts_ != nullptr) DisposePtr(texts_);
  texts_ = block;
  std::memcpy(textOffsets_, offsets, sizeof offsets);
  return true;
}

OSErr cSPiTMI_TrackInfoObj::SetupText(tSpiTMI_TextField field, const char* text, UInt32 encoding) {
  if (field >= kSpiTMI_TextFieldCount) return paramErr;
  const SInt32 size = GetTextFieldSize(field);
  if (text != nullptr && size > 0 && std::strlen(text) >= std::size_t(size)) return paramErr;
  // The other texts are copied out first: the block they lie in is replaced.
  std::string kept[kSpiTMI_TextFieldCount];
  const char* texts[kSpiTMI_TextFieldCount];
  for (int f = 0; f < kSpiTMI_TextFieldCount; ++f) {
    kept[f] = f == field ? std::string(text != nullptr ? text : "") : std::string(GetText(f));
    texts[f] = kept[f].c_str();
  }
  if (!StoreTexts(texts)) {
    textOffsets_[field] = 0;
    encodings_[field] = 0;
    return memFullErr;
  }
  encodings_[field] = kept[field].empty() ? 0 : encoding;
  return noErr;
}

OSErr cSPiTMI_TrackInfoObj::SetupTexts(const char* const texts[kSpiTMI_TextFieldCount],
                                       UInt32 encoding) {
  for (int f = 0; f < kSpiTMI_TextFieldCount; ++f) {
    const SInt32 size = GetTextFieldSize(tSpiTMI_TextField(f));
    if (texts[f] != nullptr && size > 0 && std::strlen(texts[f]) >= std::size_t(size)) {
      return paramErr;
    }
  }
  if (!StoreTexts(texts)) return memFullErr;
  for (int f = 0; f < kSpiTMI_TextFieldCount; ++f) {
    encodings_[f] = textOffsets_[f] != 0 ? encoding : 0;
  }
  return noErr;
}

const char* cSPiTMI_TrackInfoObj::GetText(tSpiTMI_TextField field) const {
  return field < kSpiTMI_TextFieldCount && textOffsets_[field] != 0 ? texts_ + textOffsets_[field]
                                                                     : "";
}

UInt32 cSPiTMI_TrackInfoObj::GetTextEncoding(tSpiTMI_TextField field) const {
  return field < kSpiTMI_TextFieldCount ? encodings_[field] : 0;
}

OSErr cSPiTMI_TrackInfoObj::SetupLocationFile(const sExtStdFileInfo& record) {
  if (locationFile_ == nullptr) {
    locationFile_ = reinterpret_cast<sExtStdFileInfo*>(NewPtr(Size(sizeof(sExtStdFileInfo))));
    if (locationFile_ == nullptr) return memFullErr;
  }
  *locationFile_ = record;
  return noErr;
}

const sExtStdFileInfo& cSPiTMI_TrackInfoObj::GetLocationFile() const {
  static const sExtStdFileInfo kNone = {};
  return locationFile_ != nullptr ? *locationFile_ : kNone;
}

// ---- cSPiTMI_TrackRootObj ----------------------------------------------------------------------

void cSPiTMI_TrackRootObj::AddTrackInfoItem(cSPiTMI_TrackInfoObj* track) {
  if (track == nullptr) {
    SpReportFailure(kSource, "cSPiTMI_TrackRootObj::AddTrackInfoItem", 1, kSpMsgNullArgument);
    return;
  }
  // The most completely described copy of a track leads its slot; earlier ones win ties.
  const UInt16 keyCount = track->GetKeyCount();
  cSPiTMI_TrackInfoObj* after = nullptr;
  if (lastOfKeyCount_ == nullptr && !keyCountIndexLost_ && trackCount_ > sp_itunes::kWalkMost) {
    // The slot runs from high counts to low, so the later of two tracks of one count wins.
    lastOfKeyCount_ = new (std::nothrow) std::map<UInt16, cSPiTMI_TrackInfoObj*>();
    try {
      for (cSPiTMI_TrackInfoObj* t = firstTrack_; t != nullptr && lastOfKeyCount_ != nullptr;
           t = t->slotLink_.next) {
        ++sp_itunes::gFilingSteps;
        (*lastOfKeyCount_)[t->GetKeyCount()] = t;
      }
    } catch (const std::bad_alloc&) {
      delete lastOfKeyCount_;
      lastOfKeyCount_ = nullptr;
    }
    keyCountIndexLost_ = lastOfKeyCount_ == nullptr;
  }
  if (lastOfKeyCount_ != nullptr) {
    ++sp_itunes::gFilingSteps;
    auto atOrAbove = lastOfKeyCount_->lower_bound(keyCount);
    after = atOrAbove != lastOfKeyCount_->end() ? atOrAbove->second : nullptr;
    try {
      (*lastOfKeyCount_)[keyCount] = track;
    } catch (const std::bad_alloc&) {
      keyCountIndexLost_ = true;
      delete lastOfKeyCount_;
      lastOfKeyCount_ = nullptr;
    }
  } else {
    for (cSPiTMI_TrackInfoObj* t = firstTrack_; t != nullptr && t->GetKeyCount() >= keyCount;
         t = t->slotLink_.next) {
      ++sp_itunes::gFilingSteps;
      after = t;
    }
  }
  SlotList::Insert(firstTrack_, lastTrack_, after, track);
  ++trackCount_;
}

unsigned char cSPiTMI_TrackRootObj::ExistTargetTimeItemBySecond(unsigned long seconds) const {
  for (const cSPiTMI_TrackInfoObj* t = firstTrack_; t != nullptr; t = t->slotLink_.next) {
    if (t->GetTotalSeconds() == seconds) return 1;
  }
  return 0;
}

// ---- ciTunesInfoMusicGroupItemObj --------------------------------------------------------------

bool ciTunesInfoMusicGroupItemObj::SetupTrackInfoObject(cSPiTMI_TrackInfoObj* track) {
  if (track == nullptr) {
    return SpReportFailure(kSource, "ciTunesInfoMusicGroupItemObj::SetupTrackInfoObject", 1,
                           kSpMsgNullArgument, false);
  }
  if (firstTrack_ == nullptr) {
    firstTrack_ = track;
    return true;
  }
  // Taken from the pool here, so a pool that runs dry is seen without counting the items.
  cSp_uLongCollectionItemBlockMgr* manager = Sp_GetLongCollectionManager();
  sSp_UnsignedLongCollectionItem* item = manager != nullptr ? manager->GetNewItemPtr() : nullptr;
  if (item != nullptr) {
    item->value = reinterpret_cast<unsigned long>(track);
    LinkIntoItemList(-1, item);
    return true;
  }
  return SpReportFailure(kSource, "ciTunesInfoMusicGroupItemObj::SetupTrackInfoObject", 3,
                         kSpMsgMemory, false);
}

cSPiTMI_TrackInfoObj* ciTunesInfoMusicGroupItemObj::GetTargetTimeItemBySecond(
    unsigned long seconds) {
  if (firstTrack_ != nullptr && firstTrack_->GetTotalSeconds() == seconds) return firstTrack_;
  InitialSetupSequentialReference();
  unsigned long value = 0;
  while (GetCurrentItemOnSequentialRef(value, 1)) {
    cSPiTMI_TrackInfoObj* track = reinterpret_cast<cSPiTMI_TrackInfoObj*>(value);
    if (track != nullptr && track->GetTotalSeconds() == seconds) return track;
  }
  return nullptr;
}

unsigned char ciTunesInfoMusicGroupItemObj::ExistTargetTimeItemBySecond(unsigned long seconds) {
  return GetTargetTimeItemBySecond(seconds) != nullptr ? 1 : 0;
}

cSPiTMI_TrackInfoObj* ciTunesInfoMusicGroupItemObj::GetTrackAt(SInt32 n) const {
  if (n < 1) return nullptr;
  if (n == 1) return firstTrack_;
  unsigned long value = 0;
  if (!GetValue(n - 1, value)) return nullptr;
  return reinterpret_cast<cSPiTMI_TrackInfoObj*>(value);
}

// ---- Tag records -------------------------------------------------------------------------------

namespace {

// A text of a track as the tag record wants it: the texts compared for a whole album.
struct TrackText {
  const char* text;
  UInt32 encoding;
};

// Accumulates one text over several tracks: it survives while every track that has the text
// has the same one.
class CommonText {
 public:
  void Meet(const cSPiTMI_TrackInfoObj* track, tSpiTMI_TextField field) {
    if (track == nullptr || differs_) return;
    const char* text = track->GetText(field);
    if (text[0] == 0) return;  // tracks without the text do not vote
    if (first_.text == nullptr) {
      first_ = {text, track->GetTextEncoding(field)};
    } else if (std::strcmp(first_.text, text) != 0) {
      differs_ = true;
    }
  }
  // The common text, null when there is none.
  const TrackText* Result() const {
    return first_.text != nullptr && !differs_ ? &first_ : nullptr;
  }

 private:
  TrackText first_ = {nullptr, 0};
  bool differs_ = false;
};

void AddText(cSp_MusicFileMusicInfoDataObj* record, UInt32 frameId, const char* text,
             UInt32 encoding) {
  if (text != nullptr && text[0] != 0) {
    record->SetupCStringIntoNewTextDataWithID3VersionUnder2(frameId, text, encoding);
  }
}

// A genre that the genre list knows becomes its ID3 number, "(g)"; others are left out.
void AddGenre(cSp_MusicFileMusicInfoDataObj* record, const char* genre) {
  if (genre == nullptr || genre[0] == 0) return;
  short entry = 0;
  if (!SpQTI_String_To_GenreNo(genre, entry) || entry <= 0) return;
  char text[16];
  std::snprintf(text, sizeof text, "(%d)", entry - 1);
  record->SetupCStringIntoNewTextDataWithID3VersionUnder2(kSpID3_TCO, text, kNumberEncoding);
}

// "n/m" when both are above 0.
void AddPair(cSp_MusicFileMusicInfoDataObj* record, UInt32 frameId, SInt16 n, SInt16 m) {
  if (n <= 0 || m <= 0) return;
  char text[16];
  std::snprintf(text, sizeof text, "%d/%d", n, m);
  record->SetupCStringIntoNewTextDataWithID3VersionUnder2(frameId, text, kNumberEncoding);
}

// The items that describe one track, in the order tags list them.
void AddTrackItems(cSp_MusicFileMusicInfoDataObj* record, const cSPiTMI_TrackInfoObj* track) {
  const auto add = [&](UInt32 id, tSpiTMI_TextField field) {
    AddText(record, id, track->GetText(field), track->GetTextEncoding(field));
  };
  add(kSpID3_TT2, kSpiTMI_Name);
  add(kSpID3_TP1, kSpiTMI_Artist);
  add(SpFourCC("TCM "), kSpiTMI_Composer);
  add(kSpID3_TAL, kSpiTMI_Album);
  add(kSpID3_COM, kSpiTMI_Comments);
  add(kSpID3_TT1, kSpiTMI_Grouping);
  AddGenre(record, track->GetText(kSpiTMI_Genre));
  AddPair(record, SpFourCC("TPA "), track->GetDiscNumber(), track->GetDiscCount());
  AddPair(record, kSpID3_TRK, track->GetTrackNumber(), track->GetTrackCount());
  if (track->GetYear() > 0) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", track->GetYear());
    record->SetupCStringIntoNewTextDataWithID3VersionUnder2(SpFourCC("TYE "), text,
                                                            kNumberEncoding);
  }
}

// A new record of v2.2 ids. The version is set here, so the getters look for the ids the
// record holds.
cSp_MusicFileMusicInfoDataObj* NewV22Record(const char* method) {
  cSp_MusicFileMusicInfoDataObj* record =
      new (std::nothrow) cSp_MusicFileMusicInfoDataObj(kSpMusicInfo_ID3);
  if (record == nullptr) {
    return SpReportFailure(kSource, method, 3, kSpMsgDataError,
                           static_cast<cSp_MusicFileMusicInfoDataObj*>(nullptr));
  }
  record->SetupVersion(2, 2, 0);
  return record;
}

}  // namespace

// ---- ciTunesInfoAlbumObj -----------------------------------------------------------------------

ciTunesInfoAlbumObj::~ciTunesInfoAlbumObj() {
  cSPiTMI_TrackRootObj* slot = firstSlot_;
  RootList::DeleteFrom(slot);
}

OSErr ciTunesInfoAlbumObj::SetupFromTrack(const cSPiTMI_TrackInfoObj* track) {
  if (track == nullptr) return paramErr;
  trackCount_ = track->GetTrackCount();
  nameEncoding_ = track->GetTextEncoding(kSpiTMI_Album);
  return name_.Set(track->GetText(kSpiTMI_Album));
}

unsigned char ciTunesInfoAlbumObj::AddTrackInfoItem(cSPiTMI_TrackInfoObj* track) {
  if (track == nullptr) {
    return SpReportFailure(kSource, "ciTunesInfoAlbumObj::AddTrackInfoItem", 1, kSpMsgNullArgument,
                           static_cast<unsigned char>(0));
  }
  const SInt16 number = track->GetTrackNumber();
  cSPiTMI_TrackRootObj* after = lastSlot_;
  if (number != 0) {
    // Numbered slots come first, in ascending order; the slots of tracks without a number
    // follow them.
    cSPiTMI_TrackRootObj* same = nullptr;
    slotOfNumber_.Find(
        firstSlot_ != nullptr && firstSlot_->GetTrackNumber() != 0 ? firstSlot_ : nullptr,
        numberedSlotCount_, number, [](cSPiTMI_TrackRootObj* s) { return s->GetTrackNumber(); },
        [](cSPiTMI_TrackRootObj* s) {
          cSPiTMI_TrackRootObj* next = s->rootLink_.next;
          return next != nullptr && next->GetTrackNumber() != 0 ? next : nullptr;
        },
        same, after);
    if (same != nullptr) {
      same->AddTrackInfoItem(track);
      return 1;
    }
  }
  cSPiTMI_TrackRootObj* slot = new (std::nothrow) cSPiTMI_TrackRootObj(number);
  if (slot == nullptr) {
    return SpReportFailure(kSource, "ciTunesInfoAlbumObj::AddTrackInfoItem", 3, kSpMsgMemory,
                           static_cast<unsigned char>(0));
  }
  if (number != 0) {
    slotOfNumber_.Add(number, slot);
    ++numberedSlotCount_;
  }
  RootList::Insert(firstSlot_, lastSlot_, after, slot);
  ++slotCount_;
  slot->AddTrackInfoItem(track);
  return 1;
}

unsigned char ciTunesInfoAlbumObj::IsTargetAlbume(short trackCount, cSp_uLongCollection* lengths) {
  if (lengths == nullptr) {
    return SpReportFailure(kSource, "ciTunesInfoAlbumObj::IsTargetAlbume", 1, kSpMsgNullArgument,
                           static_cast<unsigned char>(0));
  }
  if (trackCount_ != trackCount) return 0;
  lengths->InitialSetupSequentialReference();
  for (cSPiTMI_TrackRootObj* s = firstSlot_; s != nullptr; s = s->rootLink_.next) {
    unsigned long seconds = 0;
    if (!lengths->GetCurrentItemOnSequentialRef(seconds, 1)) return 0;
    if (!s->ExistTargetTimeItemBySecond(seconds)) return 0;
  }
  return 1;
}

short ciTunesInfoAlbumObj::CreateMusicInfoWithID3VersionUnder2(
    short trackRef, cSp_MusicFileMusicInfoDataObj*& record) {
  const char* method = "ciTunesInfoAlbumObj::CreateMusicInfoWithID3VersionUnder2";
  cSp_MusicFileMusicInfoDataObj* made = NewV22Record(method);
  if (made == nullptr) return 0;
  AddText(made, kSpID3_TAL, name_.Get(), nameEncoding_);
  if (trackRef <= 0) {
    CommonText artist, composer, genre;
    for (cSPiTMI_TrackRootObj* s = firstSlot_; s != nullptr; s = s->rootLink_.next) {
      artist.Meet(s->GetTopTrackItemPtr(), kSpiTMI_Artist);
      composer.Meet(s->GetTopTrackItemPtr(), kSpiTMI_Composer);
      genre.Meet(s->GetTopTrackItemPtr(), kSpiTMI_Genre);
    }
    if (trackCount_ > 1) {
      if (const TrackText* t = artist.Result()) AddText(made, kSpID3_TP1, t->text, t->encoding);
      if (const TrackText* t = composer.Result()) {
        AddText(made, SpFourCC("TCM "), t->text, t->encoding);
      }
      if (const TrackText* t = genre.Result()) AddGenre(made, t->text);
      record = made;
      return 1;
    }
  }
  const cSPiTMI_TrackInfoObj* track = nullptr;
  for (cSPiTMI_TrackRootObj* s = firstSlot_; s != nullptr && track == nullptr;
       s = s->rootLink_.next) {
    if (s->GetTrackNumber() == trackRef) track = s->GetTopTrackItemPtr();
  }
  if (track == nullptr) {
    delete made;
    return 0;
  }
  AddTrackItems(made, track);
  record = made;
  return 1;
}

// ---- ciTunesInfoArtistObj ----------------------------------------------------------------------

unsigned char ciTunesInfoArtistObj::AddTrackInfoItem(cSPiTMI_TrackInfoObj* track) {
  const char* method = "ciTunesInfoArtistObj::AddTrackInfoItem";
  if (track == nullptr) {
    return SpReportFailure(kSource, method, 1, kSpMsgNullArgument, static_cast<unsigned char>(0));
  }
  const char* albumName = track->GetText(kSpiTMI_Album);
  // Albums of one name lie side by side, the newest first; the index gives the first.
  ciTunesInfoAlbumObj* before = nullptr;  // the album a new one goes in front of
  ++sp_itunes::gFilingSteps;
  auto same =
      albumOfNameAndCount_.find(std::make_pair(std::string(albumName), track->GetTrackCount()));
  if (same != albumOfNameAndCount_.end()) return same->second->AddTrackInfoItem(track);
  auto named = firstAlbumOfName_.find(albumName);
  if (named != firstAlbumOfName_.end()) {
    before = named->second;
  } else {
    auto greater = firstAlbumOfName_.upper_bound(albumName);
    before = greater != firstAlbumOfName_.end() ? greater->second : nullptr;
  }
  ciTunesInfoAlbumObj* album = new (std::nothrow) ciTunesInfoAlbumObj();
  if (album == nullptr || album->SetupFromTrack(track) != noErr) {
    delete album;
    return SpReportFailure(kSource, method, 3, kSpMsgMemory, static_cast<unsigned char>(0));
  }
  try {
    auto made = albumOfNameAndCount_.emplace(
        std::make_pair(std::string(albumName), track->GetTrackCount()), album);
    try {
      firstAlbumOfName_[albumName] = album;
    } catch (const std::bad_alloc&) {
      albumOfNameAndCount_.erase(made.first);
      throw;
    }
  } catch (const std::bad_alloc&) {
    delete album;
    return SpReportFailure(kSource, method, 3, kSpMsgMemory, static_cast<unsigned char>(0));
  }
  AlbumList::InsertBefore(firstAlbum_, lastAlbum_, before, album);
  return album->AddTrackInfoItem(track);
}

unsigned char ciTunesInfoArtistObj::GetTargetAlbum(short trackCount, cSp_uLongCollection* lengths,
                                                   cSp_uLongCollection* found) {
  if (lengths == nullptr) {
    return SpReportFailure(kSource, "ciTunesInfoArtistObj::GetTargetAlbum", 1, kSpMsgNullArgument,
                           static_cast<unsigned char>(0));
  }
  unsigned char any = 0;
  for (ciTunesInfoAlbumObj* a = firstAlbum_; a != nullptr; a = a->albumLink_.next) {
    if (!a->IsTargetAlbume(trackCount, lengths)) continue;
    any = 1;
    if (found != nullptr) found->SetValue(-1, reinterpret_cast<unsigned long>(a));
  }
  return any;
}

void ciTunesInfoArtistObj::DeleteAllAlbumItem() {
  ciTunesInfoAlbumObj* album = firstAlbum_;
  firstAlbum_ = nullptr;
  lastAlbum_ = nullptr;
  firstAlbumOfName_.clear();
  albumOfNameAndCount_.clear();
  AlbumList::DeleteFrom(album);
}

// ---- ciTunesInfoMusicGroupObj ------------------------------------------------------------------

ciTunesInfoMusicGroupObj::~ciTunesInfoMusicGroupObj() {
  ciTunesInfoMusicGroupItemObj* item = firstItem_;
  ItemList::DeleteFrom(item);
}

OSErr ciTunesInfoMusicGroupObj::SetupFromTrack(const cSPiTMI_TrackInfoObj* track) {
  if (track == nullptr) return paramErr;
  discNumber_ = track->GetDiscNumber();
  discCount_ = track->GetDiscCount();
  trackCount_ = track->GetTrackCount();
  year_ = track->GetYear();
  nameEncoding_ = track->GetTextEncoding(kSpiTMI_Album);
  return name_.Set(track->GetText(kSpiTMI_Album));
}

OSErr ciTunesInfoMusicGroupObj::SetupName(const char* name, UInt32 encoding) {
  if (name != nullptr && std::strlen(name) >= std::size_t(kSpiTM_GroupNameSize)) return paramErr;
  const OSErr err = name_.Set(name);
  nameEncoding_ = name_.Empty() ? 0 : encoding;
  return err;
}

unsigned char ciTunesInfoMusicGroupObj::SetupAlbumTrackInfoObject(short trackNumber,
                                                                  cSPiTMI_TrackInfoObj* track) {
  const char* method = "ciTunesInfoMusicGroupObj::SetupAlbumTrackInfoObject";
  if (track == nullptr) {
    return SpReportFailure(kSource, method, 1, kSpMsgNullArgument, static_cast<unsigned char>(0));
  }
  ciTunesInfoMusicGroupItemObj* after = nullptr;
  ciTunesInfoMusicGroupItemObj* same = nullptr;
  itemOfNumber_.Find(
      firstItem_, itemCount_, trackNumber,
      [](ciTunesInfoMusicGroupItemObj* item) { return item->GetNumber(); },
      [](ciTunesInfoMusicGroupItemObj* item) { return item->itemLink_.next; }, same, after);
  if (same != nullptr) return same->SetupTrackInfoObject(track) ? 1 : 0;
  ciTunesInfoMusicGroupItemObj* item = new (std::nothrow) ciTunesInfoMusicGroupItemObj(trackNumber);
  if (item == nullptr) {
    return SpReportFailure(kSource, method, 3, kSpMsgMemory, static_cast<unsigned char>(0));
  }
  itemOfNumber_.Add(trackNumber, item);
  ItemList::Insert(firstItem_, lastItem_, after, item);
  ++itemCount_;
  if (trackNumber > highestNumber_) highestNumber_ = trackNumber;
  return item->SetupTrackInfoObject(track) ? 1 : 0;
}

unsigned char ciTunesInfoMusicGroupObj::SetupPlayListTrackInfoObject(cSPiTMI_TrackInfoObj* track) {
  const char* method = "ciTunesInfoMusicGroupObj::SetupPlayListTrackInfoObject";
  if (track == nullptr) {
    return SpReportFailure(kSource, method, 1, kSpMsgNullArgument, static_cast<unsigned char>(0));
  }
  ciTunesInfoMusicGroupItemObj* item =
      new (std::nothrow) ciTunesInfoMusicGroupItemObj(itemCount_ + 1);
  if (item == nullptr) {
    return SpReportFailure(kSource, method, 3, kSpMsgMemory, static_cast<unsigned char>(0));
  }
  if (!item->SetupTrackInfoObject(track)) {
    delete item;
    return 0;
  }
  ItemList::Insert(firstItem_, lastItem_, lastItem_, item);
  ++itemCount_;
  highestNumber_ = itemCount_;
  return 1;
}

unsigned char ciTunesInfoMusicGroupObj::IsTargetAlbume(short trackCount,
                                                       cSp_uLongCollection* lengths) {
  if (lengths == nullptr) {
    return SpReportFailure(kSource, "ciTunesInfoMusicGroupObj::IsTargetAlbume", 1,
                           kSpMsgNullArgument, static_cast<unsigned char>(0));
  }
  if (highestNumber_ != trackCount) return 0;
  lengths->InitialSetupSequentialReference();
  for (ciTunesInfoMusicGroupItemObj* item = firstItem_; item != nullptr;
       item = item->itemLink_.next) {
    unsigned long seconds = 0;
    if (!lengths->GetCurrentItemOnSequentialRef(seconds, 1)) return 0;
    if (!item->ExistTargetTimeItemBySecond(seconds)) return 0;
  }
  return 1;
}

short ciTunesInfoMusicGroupObj::CreateMusicInfoWithID3VersionUnder2(
    short trackRef, cSp_uLongCollection* lengths, cSp_MusicFileMusicInfoDataObj*& record) {
  const char* method = "ciTunesInfoMusicGroupObj::CreateMusicInfoWithID3VersionUnder2";
  if (lengths == nullptr) {
    return SpReportFailure(kSource, method, 1, kSpMsgNullArgument, short(0));
  }
  cSp_MusicFileMusicInfoDataObj* made = NewV22Record(method);
  if (made == nullptr) return 0;
  AddText(made, kSpID3_TAL, name_.Get(), nameEncoding_);
  if (trackRef <= 0) {
    // Item i is represented by its first track of the i-th length.
    CommonText artist, composer, genre;
    lengths->InitialSetupSequentialReference();
    for (ciTunesInfoMusicGroupItemObj* item = firstItem_; item != nullptr;
         item = item->itemLink_.next) {
      unsigned long seconds = 0;
      if (!lengths->GetCurrentItemOnSequentialRef(seconds, 1)) break;
      const cSPiTMI_TrackInfoObj* track = item->GetTargetTimeItemBySecond(seconds);
      artist.Meet(track, kSpiTMI_Artist);
      composer.Meet(track, kSpiTMI_Composer);
      genre.Meet(track, kSpiTMI_Genre);
    }
    if (highestNumber_ > 1) {
      if (const TrackText* t = artist.Result()) AddText(made, kSpID3_TP1, t->text, t->encoding);
    }
    if (itemCount_ > 1) {
      if (const TrackText* t = composer.Result()) {
        AddText(made, SpFourCC("TCM "), t->text, t->encoding);
      }
      if (const TrackText* t = genre.Result()) AddGenre(made, t->text);
      record = made;
      return 1;
    }
  }
  const cSPiTMI_TrackInfoObj* track = nullptr;
  unsigned long seconds = 0;
  lengths->InitialSetupSequentialReference();
  if (lengths->GetCurrentItemOnSequentialRef(seconds, 0)) {
    for (ciTunesInfoMusicGroupItemObj* item = firstItem_; item != nullptr;
         item = item->itemLink_.next) {
      if (item->GetNumber() != trackRef) continue;
      track = item->GetTargetTimeItemBySecond(seconds);
      break;
    }
  }
  if (track == nullptr) {
    delete made;
    return 0;
  }
  AddTrackItems(made, track);
  record = made;
  return 1;
}

// ---- ciTunesMusicInfoObj -----------------------------------------------------------------------

ciTunesMusicInfoObj::~ciTunesMusicInfoObj() {
  WipeoutAllContent();
}

void ciTunesMusicInfoObj::SetupLibraryFile(SInt16 vRefNum, SInt32 dirID, const char* name) {
  fileValid_ = 1;
  fileVRefNum_ = vRefNum;
  fileDirID_ = dirID;
  std::snprintf(fileName_, sizeof fileName_, "%s", name != nullptr ? name : "");
}

unsigned char ciTunesMusicInfoObj::AddToTrackList(cSPiTMI_TrackInfoObj* track) {
  const char* method = "ciTunesMusicInfoObj::AddTrackInfoItem";
  if (IsOnList(track, firstTrack_, track->trackLink_.before, track->trackLink_.next)) {
    return SpReportFailure(kSource, method, 3, kSpMsgDataError, static_cast<unsigned char>(0));
  }
  // After the last track of a smaller id: in front of the first one of this id or above.
  const SInt32 id = track->GetTrackID();
  cSPiTMI_TrackInfoObj* before = firstTrackOfID_.AtOrAbove(id);
  if (!firstTrackOfID_.Set(id, track)) {
    return SpReportFailure(kSource, method, 3, kSpMsgMemory, static_cast<unsigned char>(0));
  }
  TrackList::InsertBefore(firstTrack_, lastTrack_, before, track);
  return 1;
}

void ciTunesMusicInfoObj::AddToArtist(cSPiTMI_TrackInfoObj* track) {
  const char* method = "ciTunesMusicInfoObj::AddTrackInfoItem";
  const char* name = track->GetText(kSpiTMI_Artist);
  ciTunesInfoArtistObj* artist = nullptr;
  auto named = artistOfName_.find(name);
  if (named != artistOfName_.end()) {
    artist = named->second;
  } else {
    artist = new (std::nothrow) ciTunesInfoArtistObj();
    if (artist == nullptr || artist->SetupName(name) != noErr) {
      delete artist;
      SpReportFailure(kSource, method, 5, kSpMsgMemory);
      return;
    }
    auto greater = artistOfName_.upper_bound(name);
    ciTunesInfoArtistObj* before = greater != artistOfName_.end() ? greater->second : nullptr;
    try {
      artistOfName_.emplace(name, artist);
    } catch (const std::bad_alloc&) {
      delete artist;
      SpReportFailure(kSource, method, 5, kSpMsgMemory);
      return;
    }
    ArtistList::InsertBefore(firstArtist_, lastArtist_, before, artist);
  }
  artist->AddTrackInfoItem(track);
}

unsigned char ciTunesMusicInfoObj::AddTrackInfoItem(cSPiTMI_TrackInfoObj* track) {
  if (track == nullptr) {
    return SpReportFailure(kSource, "ciTunesMusicInfoObj::AddTrackInfoItem", 1, kSpMsgNullArgument,
                           static_cast<unsigned char>(0));
  }
  if (!AddToTrackList(track)) return 0;
  AddToArtist(track);
  AddTrackItemIntoAlbumObject(track);
  return 1;
}

namespace {

// A track joins an album group of its album's name by four numbers: disc number, disc count,
// track count and year. A group agrees with a track when no number above 0 on both sides
// differs and at least one number is the same above 0 or 0 on both sides. Only whether a
// number is negative matters, not which negative it is, so a number is coded as its value
// (0 and above), kNegative, or, in a pattern, kAnyPositive: "some number above 0".
constexpr UInt16 kNegative = 0xFFFF;
constexpr UInt16 kAnyPositive = 0xFFFE;
// Names with fewer groups are matched by walking them.
constexpr std::size_t kGroupsBeforeIndex = 8;

void NumbersOf(const ciTunesInfoMusicGroupObj* group, SInt16 numbers[4]) {
  numbers[0] = group->GetDiscNumber();
  numbers[1] = group->GetDiscCount();
  numbers[2] = group->GetTrackCount();
  numbers[3] = group->GetYear();
}

bool Agrees(const SInt16 group[4], const SInt16 track[4]) {
  int score = 0;
  for (int i = 0; i < 4; ++i) {
    const SInt16 g = group[i];
    const SInt16 t = track[i];
    if (g > 0 && t > 0 && g != t) return false;
    if ((g > 0 && g == t) || (g == 0 && t == 0)) ++score;
  }
  return score > 0;
}

UInt16 CodeOf(SInt16 number) {
  return number >= 0 ? UInt16(number) : kNegative;
}

UInt64 PatternOf(const UInt16 codes[4]) {
  return UInt64(codes[0]) | UInt64(codes[1]) << 16 | UInt64(codes[2]) << 32 |
         UInt64(codes[3]) << 48;
}

// Files the group (the position-th of its name) under each of its patterns: its own numbers
// with any of its numbers above 0 read as kAnyPositive. A later group takes a pattern over.
// May throw std::bad_alloc.
void IndexGroup(std::unordered_map<UInt64, std::size_t>& index,
                const ciTunesInfoMusicGroupObj* group, std::size_t position) {
  SInt16 numbers[4];
  NumbersOf(group, numbers);
  unsigned positives = 0;
  for (int i = 0; i < 4; ++i) {
    if (numbers[i] > 0) positives |= 1u << i;
  }
  for (unsigned any = positives;; any = (any - 1) & positives) {
    UInt16 codes[4];
    for (int i = 0; i < 4; ++i) codes[i] = (any & (1u << i)) ? kAnyPositive : CodeOf(numbers[i]);
    ++sp_itunes::gFilingSteps;
    index[PatternOf(codes)] = position;
    if (any == 0) break;
  }
}

// The position of the latest indexed group that agrees with the track's numbers, or -1.
// Each number of the track admits three codes of a group's number, each known to score or
// not; every combination that scores is looked up.
long FindLatestAgreeing(const std::unordered_map<UInt64, std::size_t>& index,
                        const SInt16 track[4]) {
  UInt16 codes[4][3];
  bool scores[4][3];
  for (int i = 0; i < 4; ++i) {
    const SInt16 t = track[i];
    const UInt16 first = t > 0 ? UInt16(t) : (t == 0 ? 0 : kAnyPositive);
    const UInt16 second = t > 0 ? 0 : (t == 0 ? kAnyPositive : 0);
    codes[i][0] = first;
    codes[i][1] = second;
    codes[i][2] = kNegative;
    scores[i][0] = t >= 0;
    scores[i][1] = false;
    scores[i][2] = false;
  }
  long latest = -1;
  for (int combination = 0; combination < 81; ++combination) {
    UInt16 pattern[4];
    bool scored = false;
    for (int i = 0, rest = combination; i < 4; ++i, rest /= 3) {
      pattern[i] = codes[i][rest % 3];
      scored = scored || scores[i][rest % 3];
    }
    if (!scored) continue;
    ++sp_itunes::gFilingSteps;
    auto found = index.find(PatternOf(pattern));
    if (found != index.end() && long(found->second) > latest) latest = long(found->second);
  }
  return latest;
}

}  // namespace

unsigned char ciTunesMusicInfoObj::AddTrackItemIntoAlbumObject(cSPiTMI_TrackInfoObj* track) {
  const char* method = "ciTunesMusicInfoObj::AddTrackItemIntoAlbumObject";
  if (track == nullptr) {
    return SpReportFailure(kSource, method, 1, kSpMsgNullArgument, static_cast<unsigned char>(0));
  }
  const char* album = track->GetText(kSpiTMI_Album);
  const SInt16 values[4] = {track->GetDiscNumber(), track->GetDiscCount(), track->GetTrackCount(),
                            track->GetYear()};
  // The last group of the album's name whose numbers agree with the track's.
  ciTunesInfoMusicGroupObj* chosen = nullptr;
  GroupsOfName* named = nullptr;
  auto found = groupsOfName_.find(album);
  if (found != groupsOfName_.end()) {
    named = &found->second;
    if (named->indexed) {
      const long latest = FindLatestAgreeing(named->latestOfPattern, values);
      if (latest >= 0) chosen = named->groups[std::size_t(latest)];
    } else {
      for (ciTunesInfoMusicGroupObj* group : named->groups) {
        ++sp_itunes::gFilingSteps;
        SInt16 numbers[4];
        NumbersOf(group, numbers);
        if (Agrees(numbers, values)) chosen = group;
      }
    }
  }
  if (chosen == nullptr) {
    chosen = new (std::nothrow) ciTunesInfoMusicGroupObj();
    if (chosen == nullptr || chosen->SetupFromTrack(track) != noErr) {
      delete chosen;
      return SpReportFailure(kSource, method, 3, kSpMsgMemory, static_cast<unsigned char>(0));
    }
    try {
      if (named == nullptr) named = &groupsOfName_[album];
      named->groups.push_back(chosen);
    } catch (const std::bad_alloc&) {
      delete chosen;
      return SpReportFailure(kSource, method, 3, kSpMsgMemory, static_cast<unsigned char>(0));
    }
    GroupList::Insert(firstGroup_, lastGroup_, lastGroup_, chosen);
    if (named->indexed || named->groups.size() >= kGroupsBeforeIndex) {
      // An index that cannot be kept is dropped; the walk answers alike.
      try {
        if (named->indexed) {
          IndexGroup(named->latestOfPattern, chosen, named->groups.size() - 1);
        } else {
          for (std::size_t i = 0; i < named->groups.size(); ++i) {
            IndexGroup(named->latestOfPattern, named->groups[i], i);
          }
          named->indexed = true;
        }
      } catch (const std::bad_alloc&) {
        named->latestOfPattern.clear();
        named->indexed = false;
      }
    }
  }
  return chosen->SetupAlbumTrackInfoObject(track->GetTrackNumber(), track);
}

unsigned char ciTunesMusicInfoObj::AddPlayListGroup(ciTunesInfoMusicGroupObj* group) {
  const char* method = "ciTunesMusicInfoObj::AddPlayListGroup";
  if (group == nullptr) {
    return SpReportFailure(kSource, method, 1, kMsgNullArgumentOfPlayList,
                           static_cast<unsigned char>(0));
  }
  if (IsOnList(group, firstPlayList_, group->groupLink_.before, group->groupLink_.next) ||
      group == firstGroup_) {
    return SpReportFailure(kSource, method, 3, kSpMsgDataError, static_cast<unsigned char>(0));
  }
  GroupList::Insert(firstPlayList_, lastPlayList_, lastPlayList_, group);
  return 1;
}

cSPiTMI_TrackInfoObj* ciTunesMusicInfoObj::SerchTrackInfoObjectFromTrackID(SInt32 id) const {
  return firstTrackOfID_.Find(id);
}

unsigned char ciTunesMusicInfoObj::GetTargetAlbum(short trackCount, cSp_uLongCollection* lengths,
                                                  unsigned char playlists,
                                                  cSp_uLongCollection* found) {
  if (lengths == nullptr) {
    return SpReportFailure(kSource, "ciTunesMusicInfoObj::GetTargetAlbum", 1, kSpMsgNullArgument,
                           static_cast<unsigned char>(0));
  }
  unsigned char any = 0;
  for (ciTunesInfoMusicGroupObj* group = playlists ? firstPlayList_ : firstGroup_; group != nullptr;
       group = group->groupLink_.next) {
    if (!group->IsTargetAlbume(trackCount, lengths)) continue;
    any = 1;
    if (found != nullptr) found->SetValue(-1, reinterpret_cast<unsigned long>(group));
  }
  return any;
}

void ciTunesMusicInfoObj::CheckITunesMusicInfoFileModifyAndReLoadData() {
  if (!fileValid_) return;
  UInt32 created = 0;
  UInt32 modified = 0;
  if (Sp_GetFileInformation(fileVRefNum_, fileDirID_, fileName_, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, &created, &modified) != noErr) {
    return;
  }
  if (modified <= modifiedDate_) return;
  WipeoutAllContent();
  // A file that cannot be read now is tried again at the next check.
  if (SpiTM_LoadITunesMusicInfo(this, fileVRefNum_, fileDirID_, fileName_)) {
    SetupFileDates(created, modified);
  } else {
    modifiedDate_ = 0;
  }
}

void ciTunesMusicInfoObj::WipeoutTrackItem() {
  cSPiTMI_TrackInfoObj* track = firstTrack_;
  firstTrack_ = nullptr;
  lastTrack_ = nullptr;
  firstTrackOfID_.Clear();
  TrackList::DeleteFrom(track);
}

void ciTunesMusicInfoObj::WipeoutAllArtistItenAndAlbum() {
  ciTunesInfoArtistObj* artist = firstArtist_;
  firstArtist_ = nullptr;
  lastArtist_ = nullptr;
  artistOfName_.clear();
  ArtistList::DeleteFrom(artist);
}

namespace {

void DeleteGroups(ciTunesInfoMusicGroupObj*& first, ciTunesInfoMusicGroupObj*& last) {
  ciTunesInfoMusicGroupObj* group = first;
  first = nullptr;
  last = nullptr;
  sp_itunes::Chain<ciTunesInfoMusicGroupObj, &ciTunesInfoMusicGroupObj::groupLink_>::DeleteFrom(
      group);
}

}  // namespace

void ciTunesMusicInfoObj::WipeoutAlbumGroups() {
  groupsOfName_.clear();
  DeleteGroups(firstGroup_, lastGroup_);
}

void ciTunesMusicInfoObj::WipeoutPlayLists() {
  DeleteGroups(firstPlayList_, lastPlayList_);
}

void ciTunesMusicInfoObj::WipeoutAllContent() {
  WipeoutAllArtistItenAndAlbum();
  WipeoutAlbumGroups();
  WipeoutPlayLists();
  WipeoutTrackItem();
  musicFolder_ = sExtStdFileInfo{};
}
