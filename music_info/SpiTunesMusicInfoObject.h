// The music library: the tracks of "iTunes Music Library.xml" in memory, and the albums whose
// track lengths match an audio CD.
//
// Every track read from the library file is filed four ways: on the library's track list (in
// ascending Track ID, so playlists can look tracks up), in the artist tree (artist, album,
// track-number slot), in an album group (tracks of one album name whose disc number, disc
// count, track count and year agree), and in every playlist that names it. When a CD track
// is saved the engine measures every track of its program in whole seconds and asks for an
// album group, then a playlist, whose tracks last exactly those lengths in that order; the
// first one found builds the tag record (ID3 v2.2 ids) of the track being saved.
//
// Ownership: the library owns its tracks (through the track list), its artists, album groups
// and playlists; an artist owns its albums, an album its slots, a group its items. Slots and
// items point at tracks and own none. A track owns its texts. Group pointers handed out by
// GetTargetAlbum stay valid until the library is emptied or reloaded.
//
// Large libraries (a hundred thousand tracks, or tens of thousands in one album) are filed in
// about n log n: besides its lists the library keeps indexes of tracks by id, artists by name
// and album groups by name (and, for a name with many groups, by how their numbers agree); an
// artist keeps its albums by name and track count, and, once they outgrow a short walk
// (kWalkMost members), an album its slots by number, a slot the last track of each key count
// and an album group its items by number. The lists stay the authority; the indexes only
// shorten the walks and always answer what the walk would.
//
// A failing operation of this file sounds the beep and logs one record (source
// "SpiTunesMusicInfoObject", the qualified method name, a code and a fixed message).
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <map>
#include <new>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "CFBase.h"
#include "CFString.h"
#include "MacTypes.h"
#include "SpCollectionObject.h"
#include "SpMacHeapObject.h"
#include "SpSlotPool.h"
#include "SpStdFileFunction.h"

class cSp_MusicFileMusicInfoDataObj;

// The library file and where it lies: "<Music folder>/iTunes/iTunes Music Library.xml".
extern const char kSpiTM_FolderName[];       // "iTunes"
extern const char kSpiTM_LibraryFileName[];  // "iTunes Music Library.xml"

// The longest texts a track keeps, their terminating zero included.
enum : SInt32 {
  kSpiTM_LongTextSize = 1024,   // name, artist, composer, album
  kSpiTM_ShortTextSize = 64,    // grouping, genre
  kSpiTM_GroupNameSize = 1024,  // album and playlist names
};

namespace sp_itunes {

// The steps the filing walks of this file have taken (one per list member or index entry
// looked at), for tests that check a large library is filed in linear work.
extern unsigned long gFilingSteps;

// What the last read of a library file took, for tests that check a hostile file is read in
// bounded memory and work: the most elements open at once, the longest text held for one
// value, the texts a track or playlist took (each made the program's text) and the file URLs
// looked up.
struct ReadingCounts {
  std::size_t deepestNesting = 0;
  std::size_t mostTextHeld = 0;
  unsigned long textsRead = 0;
  unsigned long fileLookups = 0;
};
extern ReadingCounts gReadingCounts;

// A zero-terminated text in a block of exactly its size; empty texts hold no block.
class TextBlock {
 public:
  TextBlock() = default;
  ~TextBlock() { Clear(); }
  TextBlock(const TextBlock&) = delete;
  TextBlock& operator=(const TextBlock&) = delete;

  // Copies the text (length bytes, or up to its zero byte when length < 0). memFullErr (and
  // the text emptied) when no block can be had.
  OSErr Set(const char* text, SInt32 length = -1);
  // Takes over a block made by NewPtr/NewPtrClear holding a zero-terminated text.
  void Adopt(char* block);
  void Clear();
  const char* Get() const { return text_ != nullptr ? text_ : ""; }
  bool Empty() const { return text_ == nullptr || text_[0] == 0; }

 private:
  char* text_ = nullptr;
};

// One pair of links of an intrusive doubly linked list. A class that sits in several lists
// holds one pair per list and names its list operations after the list; the operations
// themselves are written once, in Chain.
template <class T>
struct Links {
  T* before = nullptr;
  T* next = nullptr;
};

template <class T, Links<T> T::*L>
struct Chain {
  // Inserts the chain that begins at `chain` (through its last member) directly after self.
  // A chain that hangs behind another object is cut from it first, so no list is left with a
  // link into this one.
  static void LinkAfter(T* self, T* chain) {
    if (chain == nullptr || chain == self) return;
    if (T* prior = (chain->*L).before) {
      (prior->*L).next = nullptr;
      (chain->*L).before = nullptr;
    }
    T* last = LastOf(chain);
    T* after = (self->*L).next;
    (self->*L).next = chain;
    (chain->*L).before = self;
    (last->*L).next = after;
    if (after != nullptr) (after->*L).before = last;
  }
  // Cuts the list after self and returns what followed (null when nothing did).
  static T* UnlinkNext(T* self) {
    T* rest = (self->*L).next;
    if (rest == nullptr) return nullptr;
    (self->*L).next = nullptr;
    (rest->*L).before = nullptr;
    return rest;
  }
  // Deletes every member from `first` on (each member's destructor runs before its successor
  // is looked at, so a destructor must not touch this list).
  static void DeleteFrom(T* first) {
    while (first != nullptr) {
      T* next = (first->*L).next;
      delete first;
      first = next;
    }
  }
  static T* LastOf(T* self) {
    while ((self->*L).next != nullptr) self = (self->*L).next;
    return self;
  }
  // Puts the single object `item` into the list held by first/last: after `after`, or first
  // when after is null.
  static void Insert(T*& first, T*& last, T* after, T* item) {
    if (after == nullptr) {
      (item->*L).before = nullptr;
      (item->*L).next = first;
      if (first != nullptr) (first->*L).before = item;
      first = item;
    } else {
      (item->*L).before = after;
      (item->*L).next = (after->*L).next;
      if ((after->*L).next != nullptr) ((after->*L).next->*L).before = item;
      (after->*L).next = item;
    }
    if ((item->*L).next == nullptr) last = item;
  }
  // Puts `item` before `at` (at the end when at is null).
  static void InsertBefore(T*& first, T*& last, T* at, T* item) {
    Insert(first, last, at != nullptr ? (at->*L).before : last, item);
  }
};

// Lists of up to this many members are walked; longer ones are indexed. Most hold a dozen or
// fewer, and an index costs more memory than the walk costs time.
constexpr SInt32 kWalkMost = 32;

// The members of a list kept in ascending number, found by number: by walking the list
// while it is short, through a map once it has more than kWalkMost members (built then from
// the list). A map that cannot be kept is dropped for good and the list walked.
template <class Number, class T>
class NumberIndex {
 public:
  // The member numbered `number` (found; null when none) and the last member numbered below
  // it (after; null when none). first is the list's first numbered member and members how
  // many it has; numberOf(member) reads a member's number and nextOf(member) gives the next
  // numbered member, null after the last.
  template <class NumberOf, class NextOf>
  void Find(T* first, SInt32 members, Number number, NumberOf numberOf, NextOf nextOf, T*& found,
            T*& after) {
    found = nullptr;
    after = nullptr;
    if (!indexed_ && !lost_ && members > kWalkMost) {
      try {
        for (T* m = first; m != nullptr; m = nextOf(m)) {
          ++gFilingSteps;
          index_.emplace(numberOf(m), m);
        }
        indexed_ = true;
      } catch (const std::bad_alloc&) {
        Drop();
      }
    }
    if (indexed_) {
      ++gFilingSteps;
      auto atOrAbove = index_.lower_bound(number);
      if (atOrAbove != index_.end() && atOrAbove->first == number) {
        found = atOrAbove->second;
      } else if (atOrAbove != index_.begin()) {
        after = std::prev(atOrAbove)->second;
      }
      return;
    }
    for (T* m = first; m != nullptr; m = nextOf(m)) {
      ++gFilingSteps;
      if (numberOf(m) == number) {
        found = m;
        return;
      }
      if (numberOf(m) > number) return;
      after = m;
    }
  }
  // A new member that Find found no member of its number for.
  void Add(Number number, T* member) {
    if (!indexed_) return;
    try {
      index_.emplace(number, member);
    } catch (const std::bad_alloc&) {
      Drop();
    }
  }

 private:
  void Drop() {
    index_.clear();
    indexed_ = false;
    lost_ = true;
  }

  std::map<Number, T*> index_;
  bool indexed_ = false;
  bool lost_ = false;
};

// The newest track of each id. A library lists its tracks in rising id order, so those ids go
// into one sorted array (16 bytes a track, searched by halving) and only ids that come after a
// greater one go into a tree beside it: a large library costs neither a tree node per track nor
// the cache misses of walking a tree, and any order of ids stays O(log n) a track.
template <class T>
class IdIndex {
 public:
  // Makes `item` the one of its id; false when memory ran out (nothing changed).
  bool Set(SInt32 id, T* item) {
    try {
      if (ordered_.empty() || id > ordered_.back().first) {
        ordered_.emplace_back(id, item);
        return true;
      }
      auto at = InOrdered(id);
      if (at != ordered_.end() && at->first == id) {
        at->second = item;
        return true;
      }
      others_[id] = item;
      return true;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  // The one of the id; null when none.
  T* Find(SInt32 id) const {
    auto at = InOrdered(id);
    if (at != ordered_.end() && at->first == id) return at->second;
    auto other = others_.find(id);
    return other != others_.end() ? other->second : nullptr;
  }
  // The one of the smallest id at or above `id`; null when none.
  T* AtOrAbove(SInt32 id) const {
    auto at = InOrdered(id);
    auto other = others_.lower_bound(id);
    if (at == ordered_.end()) return other != others_.end() ? other->second : nullptr;
    if (other == others_.end() || at->first < other->first) return at->second;
    return other->second;
  }
  void Clear() {
    std::vector<std::pair<SInt32, T*>>().swap(ordered_);
    others_.clear();
  }

 private:
  typename std::vector<std::pair<SInt32, T*>>::const_iterator InOrdered(SInt32 id) const {
    return std::lower_bound(ordered_.begin(), ordered_.end(), id,
                            [](const std::pair<SInt32, T*>& e, SInt32 v) { return e.first < v; });
  }
  typename std::vector<std::pair<SInt32, T*>>::iterator InOrdered(SInt32 id) {
    return std::lower_bound(ordered_.begin(), ordered_.end(), id,
                            [](const std::pair<SInt32, T*>& e, SInt32 v) { return e.first < v; });
  }

  std::vector<std::pair<SInt32, T*>> ordered_;
  std::map<SInt32, T*> others_;
};

}  // namespace sp_itunes

// ---- One track ---------------------------------------------------------------------------------

// The texts a track keeps, each with the encoding it was read in.
typedef UInt8 tSpiTMI_TextField;
enum : tSpiTMI_TextField {
  kSpiTMI_Name = 0,
  kSpiTMI_Grouping,
  kSpiTMI_Genre,
  kSpiTMI_Artist,
  kSpiTMI_Composer,
  kSpiTMI_Album,
  kSpiTMI_Comments,
  kSpiTMI_Location,
  kSpiTMI_TextFieldCount
};

// A track keeps its texts in one block and its file record only once the file is found: a
// library holds a hundred thousand of them. Tracks, like the slots and group entries that
// file them, live in a pool of their own (SpSlotPool.h): no Memory Manager header and no heap
// overhead per object, which at a hundred thousand tracks is megabytes.
class cSPiTMI_TrackInfoObj : public tSpPooledObject<cSPiTMI_TrackInfoObj> {
 public:
  cSPiTMI_TrackInfoObj() = default;
  // Releases the texts and the file record.
  ~cSPiTMI_TrackInfoObj();
  cSPiTMI_TrackInfoObj(const cSPiTMI_TrackInfoObj&) = delete;
  cSPiTMI_TrackInfoObj& operator=(const cSPiTMI_TrackInfoObj&) = delete;

  // ---- The library's track list ----
  void LinkToTrackLinkNext(cSPiTMI_TrackInfoObj* chain) { TrackList::LinkAfter(this, chain); }
  cSPiTMI_TrackInfoObj* UnlinkTrackLinkNext() { return TrackList::UnlinkNext(this); }
  cSPiTMI_TrackInfoObj* GetTrackLinkBeforeObjectPtr() const { return trackLink_.before; }
  cSPiTMI_TrackInfoObj* GetTrackLinkNextObjectPtr() const { return trackLink_.next; }
  cSPiTMI_TrackInfoObj* GetTrackLinkLastObjectPtr() { return TrackList::LastOf(this); }
  // ---- The tracks of one slot of the artist tree ----
  void LinkToArtistLinkNext(cSPiTMI_TrackInfoObj* chain) { SlotList::LinkAfter(this, chain); }
  cSPiTMI_TrackInfoObj* UnlinkArtistLinkNext() { return SlotList::UnlinkNext(this); }
  cSPiTMI_TrackInfoObj* GetArtistLinkBeforeObjectPtr() const { return slotLink_.before; }
  cSPiTMI_TrackInfoObj* GetArtistLinkNextObjectPtr() const { return slotLink_.next; }
  cSPiTMI_TrackInfoObj* GetArtistLinkLastObjectPtr() { return SlotList::LastOf(this); }

  // Texts. A text longer than the field holds (kSpiTM_LongTextSize - 1 bytes for name,
  // artist, composer and album, kSpiTM_ShortTextSize - 1 for grouping and genre) is refused
  // with paramErr; memFullErr (and the text emptied) when no block can be had. Comments and
  // location are as long as they come.
  OSErr SetupText(tSpiTMI_TextField field, const char* text, UInt32 encoding);
  // Every text at once (null or empty: none), all in the one encoding: paramErr when one is
  // too long for its field, memFullErr when no block can be had; the texts stay as they were
  // then.
  OSErr SetupTexts(const char* const texts[kSpiTMI_TextFieldCount], UInt32 encoding);
  // The text ("" when absent or for an unknown field) and its encoding (0 when absent).
  const char* GetText(tSpiTMI_TextField field) const;
  UInt32 GetTextEncoding(tSpiTMI_TextField field) const;
  static SInt32 GetTextFieldSize(tSpiTMI_TextField field);

  // Track ids are kept whole: libraries number their tracks past 65,535.
  void SetupTrackID(SInt32 id) { trackID_ = id; }
  SInt32 GetTrackID() const { return trackID_; }
  // How many of the track's keys were read; the better described of two copies of a track
  // comes first in its slot.
  void AddKeyCount() { ++keyCount_; }
  void SetupKeyCount(UInt16 count) { keyCount_ = count; }
  UInt16 GetKeyCount() const { return keyCount_; }

  void SetupBitRate(SInt32 v) { bitRate_ = v; }
  void SetupSampleRate(SInt32 v) { sampleRate_ = v; }
  void SetupPlayCount(SInt32 v) { playCount_ = v; }
  void SetupTotalTime(UInt32 milliseconds) { totalTime_ = milliseconds; }
  void SetupDiscNumber(SInt16 v) { discNumber_ = v; }
  void SetupDiscCount(SInt16 v) { discCount_ = v; }
  void SetupTrackNumber(SInt16 v) { trackNumber_ = v; }
  void SetupTrackCount(SInt16 v) { trackCount_ = v; }
  void SetupYear(SInt16 v) { year_ = v; }
  void SetupFileType(UInt32 v) { fileType_ = v; }
  void SetupFileCreator(UInt32 v) { fileCreator_ = v; }
  SInt32 GetBitRate() const { return bitRate_; }
  SInt32 GetSampleRate() const { return sampleRate_; }
  SInt32 GetPlayCount() const { return playCount_; }
  UInt32 GetTotalTime() const { return totalTime_; }
  // The length in whole seconds, rounded down: the measure albums are matched by.
  UInt32 GetTotalSeconds() const { return totalTime_ / 1000; }
  SInt16 GetDiscNumber() const { return discNumber_; }
  SInt16 GetDiscCount() const { return discCount_; }
  SInt16 GetTrackNumber() const { return trackNumber_; }
  SInt16 GetTrackCount() const { return trackCount_; }
  SInt16 GetYear() const { return year_; }
  UInt32 GetFileType() const { return fileType_; }
  UInt32 GetFileCreator() const { return fileCreator_; }
  // The file the track's "Location" names (a record with valid 0 when none was found).
  // memFullErr when no block can be had for the record.
  OSErr SetupLocationFile(const sExtStdFileInfo& record);
  const sExtStdFileInfo& GetLocationFile() const;

  // Links, for the library's own bookkeeping.
  sp_itunes::Links<cSPiTMI_TrackInfoObj> trackLink_;
  sp_itunes::Links<cSPiTMI_TrackInfoObj> slotLink_;

 private:
  typedef sp_itunes::Chain<cSPiTMI_TrackInfoObj, &cSPiTMI_TrackInfoObj::trackLink_> TrackList;
  typedef sp_itunes::Chain<cSPiTMI_TrackInfoObj, &cSPiTMI_TrackInfoObj::slotLink_> SlotList;

  // Rebuilds the block of texts; false (nothing changed) when no block can be had.
  bool StoreTexts(const char* const texts[kSpiTMI_TextFieldCount]);

  SInt32 trackID_ = 0;
  UInt16 keyCount_ = 0;
  // The texts, each zero-terminated, in one NewPtr block (null when every text is empty). A
  // field's text starts at its offset; offset 0 is the empty text that opens the block.
  char* texts_ = nullptr;
  UInt32 textOffsets_[kSpiTMI_TextFieldCount] = {};
  UInt32 encodings_[kSpiTMI_TextFieldCount] = {};
  SInt32 bitRate_ = 0;
  SInt32 sampleRate_ = 0;
  SInt32 playCount_ = 0;
  UInt32 totalTime_ = 0;
  SInt16 discNumber_ = 0;
  SInt16 discCount_ = 0;
  SInt16 trackNumber_ = 0;
  SInt16 trackCount_ = 0;
  SInt16 year_ = 0;
  sExtStdFileInfo* locationFile_ = nullptr;  // a NewPtr block, once a file was found
  UInt32 fileType_ = 0;
  UInt32 fileCreator_ = 0;
};

// ---- The artist tree ---------------------------------------------------------------------------

// A track-number slot of an album: the tracks of one number, the best described first.
class cSPiTMI_TrackRootObj : public tSpPooledObject<cSPiTMI_TrackRootObj> {
 public:
  explicit cSPiTMI_TrackRootObj(SInt16 trackNumber) : trackNumber_(trackNumber) {}
  ~cSPiTMI_TrackRootObj() { delete lastOfKeyCount_; }
  cSPiTMI_TrackRootObj(const cSPiTMI_TrackRootObj&) = delete;
  cSPiTMI_TrackRootObj& operator=(const cSPiTMI_TrackRootObj&) = delete;

  void LinkToTrackRootNext(cSPiTMI_TrackRootObj* chain) { RootList::LinkAfter(this, chain); }
  cSPiTMI_TrackRootObj* UnlinkTrackRootNext() { return RootList::UnlinkNext(this); }
  cSPiTMI_TrackRootObj* GetTrackRootBeforeObjectPtr() const { return rootLink_.before; }
  cSPiTMI_TrackRootObj* GetTrackRootNextObjectPtr() const { return rootLink_.next; }
  cSPiTMI_TrackRootObj* GetTrackRootLastObjectPtr() { return RootList::LastOf(this); }

  // Places the track after the leading tracks whose key count is at least its own.
  void AddTrackInfoItem(cSPiTMI_TrackInfoObj* track);
  // 1 when one of the slot's tracks lasts that many whole seconds.
  unsigned char ExistTargetTimeItemBySecond(unsigned long seconds) const;
  cSPiTMI_TrackInfoObj* GetTopTrackItemPtr() const { return firstTrack_; }
  SInt16 GetTrackNumber() const { return trackNumber_; }

  sp_itunes::Links<cSPiTMI_TrackRootObj> rootLink_;

 private:
  typedef sp_itunes::Chain<cSPiTMI_TrackRootObj, &cSPiTMI_TrackRootObj::rootLink_> RootList;
  typedef sp_itunes::Chain<cSPiTMI_TrackInfoObj, &cSPiTMI_TrackInfoObj::slotLink_> SlotList;

  cSPiTMI_TrackInfoObj* firstTrack_ = nullptr;
  cSPiTMI_TrackInfoObj* lastTrack_ = nullptr;
  SInt16 trackNumber_;
  SInt32 trackCount_ = 0;
  // Once the slot holds more than a few tracks, the last track of each key count (the slot
  // runs from high counts to low). Until then, and when it could not be kept, the slot is
  // walked.
  std::map<UInt16, cSPiTMI_TrackInfoObj*>* lastOfKeyCount_ = nullptr;
  bool keyCountIndexLost_ = false;
};

// An album of an artist: one slot per track number, one slot per track without a number.
class ciTunesInfoAlbumObj : public cSpMacHeapObject {
 public:
  ciTunesInfoAlbumObj() = default;
  // Deletes the slots.
  ~ciTunesInfoAlbumObj();
  ciTunesInfoAlbumObj(const ciTunesInfoAlbumObj&) = delete;
  ciTunesInfoAlbumObj& operator=(const ciTunesInfoAlbumObj&) = delete;

  void LinkToArtistLinkNext(ciTunesInfoAlbumObj* chain) { AlbumList::LinkAfter(this, chain); }
  ciTunesInfoAlbumObj* UnlinkArtistLinkNext() { return AlbumList::UnlinkNext(this); }
  ciTunesInfoAlbumObj* GetArtistLinkBeforeObjectPtr() const { return albumLink_.before; }
  ciTunesInfoAlbumObj* GetArtistLinkNextObjectPtr() const { return albumLink_.next; }
  ciTunesInfoAlbumObj* GetArtistLinkLastObjectPtr() { return AlbumList::LastOf(this); }

  // Name and encoding from the track's album, track count from the track. memFullErr when
  // the name cannot be kept.
  OSErr SetupFromTrack(const cSPiTMI_TrackInfoObj* track);
  // Files the track into the slot of its number (a new one when there is none; every track
  // without a number gets a slot of its own at the end). 1 when filed.
  unsigned char AddTrackInfoItem(cSPiTMI_TrackInfoObj* track);
  // 1 when the album has trackCount tracks and its slots, in order, hold tracks of the
  // lengths in order (whole seconds).
  unsigned char IsTargetAlbume(short trackCount, cSp_uLongCollection* lengths);
  // The tag record of the album (trackRef 0 or less: a save covering several tracks) or of
  // the track numbered trackRef. 1 and a new record the caller owns, else 0 with record as
  // the caller left it.
  short CreateMusicInfoWithID3VersionUnder2(short trackRef, cSp_MusicFileMusicInfoDataObj*& record);

  const char* GetName() const { return name_.Get(); }
  UInt32 GetNameEncoding() const { return nameEncoding_; }
  SInt16 GetTrackCount() const { return trackCount_; }
  UInt16 GetSlotCount() const { return slotCount_; }
  cSPiTMI_TrackRootObj* GetFirstSlot() const { return firstSlot_; }
  cSPiTMI_TrackRootObj* GetLastSlot() const { return lastSlot_; }

  sp_itunes::Links<ciTunesInfoAlbumObj> albumLink_;

 private:
  typedef sp_itunes::Chain<ciTunesInfoAlbumObj, &ciTunesInfoAlbumObj::albumLink_> AlbumList;
  typedef sp_itunes::Chain<cSPiTMI_TrackRootObj, &cSPiTMI_TrackRootObj::rootLink_> RootList;

  cSPiTMI_TrackRootObj* firstSlot_ = nullptr;
  cSPiTMI_TrackRootObj* lastSlot_ = nullptr;
  sp_itunes::TextBlock name_;
  UInt32 nameEncoding_ = 0;
  SInt16 trackCount_ = 0;
  UInt16 slotCount_ = 0;
  UInt16 numberedSlotCount_ = 0;
  sp_itunes::NumberIndex<SInt16, cSPiTMI_TrackRootObj> slotOfNumber_;
};

// An artist: its albums in ascending byte order of name.
class ciTunesInfoArtistObj : public cSpMacHeapObject {
 public:
  ciTunesInfoArtistObj() = default;
  ~ciTunesInfoArtistObj() { DeleteAllAlbumItem(); }
  ciTunesInfoArtistObj(const ciTunesInfoArtistObj&) = delete;
  ciTunesInfoArtistObj& operator=(const ciTunesInfoArtistObj&) = delete;

  void LinkToArtistLinkNext(ciTunesInfoArtistObj* chain) { ArtistList::LinkAfter(this, chain); }
  ciTunesInfoArtistObj* UnlinkArtistLinkNext() { return ArtistList::UnlinkNext(this); }
  ciTunesInfoArtistObj* GetArtistLinkBeforeObjectPtr() const { return artistLink_.before; }
  ciTunesInfoArtistObj* GetArtistLinkNextObjectPtr() const { return artistLink_.next; }
  ciTunesInfoArtistObj* GetArtistLinkLastObjectPtr() { return ArtistList::LastOf(this); }

  OSErr SetupName(const char* name) { return name_.Set(name); }
  const char* GetName() const { return name_.Get(); }

  // Files the track under the album of its album name and track count (a new album when
  // there is none). 1 when filed.
  unsigned char AddTrackInfoItem(cSPiTMI_TrackInfoObj* track);
  // Appends to found (when given) every album for which IsTargetAlbume holds; 1 when any did.
  unsigned char GetTargetAlbum(short trackCount, cSp_uLongCollection* lengths,
                               cSp_uLongCollection* found);
  void DeleteAllAlbumItem();

  ciTunesInfoAlbumObj* GetFirstAlbum() const { return firstAlbum_; }
  ciTunesInfoAlbumObj* GetLastAlbum() const { return lastAlbum_; }

  sp_itunes::Links<ciTunesInfoArtistObj> artistLink_;

 private:
  typedef sp_itunes::Chain<ciTunesInfoArtistObj, &ciTunesInfoArtistObj::artistLink_> ArtistList;
  typedef sp_itunes::Chain<ciTunesInfoAlbumObj, &ciTunesInfoAlbumObj::albumLink_> AlbumList;

  ciTunesInfoAlbumObj* firstAlbum_ = nullptr;
  ciTunesInfoAlbumObj* lastAlbum_ = nullptr;
  sp_itunes::TextBlock name_;
  // The first album of each name on the list, and each album by name and track count.
  std::map<std::string, ciTunesInfoAlbumObj*> firstAlbumOfName_;
  std::map<std::pair<std::string, SInt16>, ciTunesInfoAlbumObj*> albumOfNameAndCount_;
};

// ---- Album groups and playlists ----------------------------------------------------------------

// One entry of a group: the tracks (not owned) that share a track number in an album group,
// or the one track at a position of a playlist. The first track is held by the item itself,
// any further ones as the collection's values (track pointers): most items hold one track.
class ciTunesInfoMusicGroupItemObj : public cSp_uLongCollection,
                                     public tSpPooledObject<ciTunesInfoMusicGroupItemObj> {
 public:
  explicit ciTunesInfoMusicGroupItemObj(SInt32 number) : number_(number) {}
  ~ciTunesInfoMusicGroupItemObj() override = default;
  ciTunesInfoMusicGroupItemObj(const ciTunesInfoMusicGroupItemObj&) = delete;
  ciTunesInfoMusicGroupItemObj& operator=(const ciTunesInfoMusicGroupItemObj&) = delete;

  void LinkToMusicGroupItemLinkNext(ciTunesInfoMusicGroupItemObj* chain) {
    ItemList::LinkAfter(this, chain);
  }
  ciTunesInfoMusicGroupItemObj* UnlinkMusicGroupItemLinkNext() {
    return ItemList::UnlinkNext(this);
  }
  ciTunesInfoMusicGroupItemObj* GetMusicGroupItemLinkBeforeObjectPtr() const {
    return itemLink_.before;
  }
  ciTunesInfoMusicGroupItemObj* GetMusicGroupItemLinkNextObjectPtr() const {
    return itemLink_.next;
  }
  ciTunesInfoMusicGroupItemObj* GetMusicGroupItemLinkLastObjectPtr() {
    return ItemList::LastOf(this);
  }

  // Appends the track; false when the collection got no memory for it.
  bool SetupTrackInfoObject(cSPiTMI_TrackInfoObj* track);
  // 1 when one of the tracks lasts that many whole seconds.
  unsigned char ExistTargetTimeItemBySecond(unsigned long seconds);
  // The first track of that length, null when none. Both walk with the collection's
  // sequential reading, so a long item is walked once.
  cSPiTMI_TrackInfoObj* GetTargetTimeItemBySecond(unsigned long seconds);
  // The n-th track (from 1), null past the end.
  cSPiTMI_TrackInfoObj* GetTrackAt(SInt32 n) const;

  SInt32 GetNumber() const { return number_; }

  sp_itunes::Links<ciTunesInfoMusicGroupItemObj> itemLink_;

 private:
  typedef sp_itunes::Chain<ciTunesInfoMusicGroupItemObj, &ciTunesInfoMusicGroupItemObj::itemLink_>
      ItemList;

  SInt32 number_;
  cSPiTMI_TrackInfoObj* firstTrack_ = nullptr;
};

// An album group (tracks of one album as the library files it) or a playlist.
//
// Counts are 32-bit: a playlist of more than 32,767 entries must not wrap into a short one
// that a CD could match.
class ciTunesInfoMusicGroupObj : public cSpMacHeapObject {
 public:
  ciTunesInfoMusicGroupObj() = default;
  // Deletes the items (the tracks stay).
  ~ciTunesInfoMusicGroupObj();
  ciTunesInfoMusicGroupObj(const ciTunesInfoMusicGroupObj&) = delete;
  ciTunesInfoMusicGroupObj& operator=(const ciTunesInfoMusicGroupObj&) = delete;

  void LinkToMusicGroupLinkNext(ciTunesInfoMusicGroupObj* chain) {
    GroupList::LinkAfter(this, chain);
  }
  ciTunesInfoMusicGroupObj* UnlinkMusicGroupLinkNext() { return GroupList::UnlinkNext(this); }
  ciTunesInfoMusicGroupObj* GetMusicGroupLinkBeforeObjectPtr() const { return groupLink_.before; }
  ciTunesInfoMusicGroupObj* GetMusicGroupLinkNextObjectPtr() const { return groupLink_.next; }
  ciTunesInfoMusicGroupObj* GetMusicGroupLinkLastObjectPtr() { return GroupList::LastOf(this); }

  // An album group's name, encoding, disc number, disc count, track count and year from the
  // track that opens it. memFullErr when the name cannot be kept.
  OSErr SetupFromTrack(const cSPiTMI_TrackInfoObj* track);
  // A playlist's name (a text longer than kSpiTM_GroupNameSize - 1 bytes gives paramErr).
  OSErr SetupName(const char* name, UInt32 encoding);

  // Album groups: the track joins the item of its track number (a new item in ascending
  // order when there is none). 1 when filed.
  unsigned char SetupAlbumTrackInfoObject(short trackNumber, cSPiTMI_TrackInfoObj* track);
  // Playlists: the track becomes a new last entry. 1 when filed.
  unsigned char SetupPlayListTrackInfoObject(cSPiTMI_TrackInfoObj* track);
  SInt32 GetContainGroupItem() const { return itemCount_; }
  // 1 when the group's highest number is trackCount and its items, in order, each hold a
  // track of the next length (whole seconds, no tolerance). Lengths left over do not matter.
  unsigned char IsTargetAlbume(short trackCount, cSp_uLongCollection* lengths);
  // The tag record (ID3 v2.2 ids) of the group (trackRef 0 or less: a save covering several
  // tracks; lengths hold one length per item) or of its track numbered trackRef whose length
  // is the first of lengths. 1 and a new record the caller owns; else 0 and record as the
  // caller left it.
  short CreateMusicInfoWithID3VersionUnder2(short trackRef, cSp_uLongCollection* lengths,
                                            cSp_MusicFileMusicInfoDataObj*& record);

  const char* GetName() const { return name_.Get(); }
  UInt32 GetNameEncoding() const { return nameEncoding_; }
  SInt32 GetHighestNumber() const { return highestNumber_; }
  SInt16 GetDiscNumber() const { return discNumber_; }
  SInt16 GetDiscCount() const { return discCount_; }
  SInt16 GetTrackCount() const { return trackCount_; }
  SInt16 GetYear() const { return year_; }
  ciTunesInfoMusicGroupItemObj* GetFirstItem() const { return firstItem_; }
  ciTunesInfoMusicGroupItemObj* GetLastItem() const { return lastItem_; }

  sp_itunes::Links<ciTunesInfoMusicGroupObj> groupLink_;

 private:
  typedef sp_itunes::Chain<ciTunesInfoMusicGroupObj, &ciTunesInfoMusicGroupObj::groupLink_>
      GroupList;
  typedef sp_itunes::Chain<ciTunesInfoMusicGroupItemObj, &ciTunesInfoMusicGroupItemObj::itemLink_>
      ItemList;

  SInt32 itemCount_ = 0;
  SInt32 highestNumber_ = 0;
  ciTunesInfoMusicGroupItemObj* firstItem_ = nullptr;
  ciTunesInfoMusicGroupItemObj* lastItem_ = nullptr;
  sp_itunes::TextBlock name_;
  UInt32 nameEncoding_ = 0;
  SInt16 discNumber_ = 0;
  SInt16 discCount_ = 0;
  SInt16 trackCount_ = 0;
  SInt16 year_ = 0;
  // An album group's items by number.
  sp_itunes::NumberIndex<SInt32, ciTunesInfoMusicGroupItemObj> itemOfNumber_;
};

// ---- The library -------------------------------------------------------------------------------

class ciTunesMusicInfoObj : public cSpMacHeapObject {
 public:
  ciTunesMusicInfoObj() = default;
  // Releases everything.
  ~ciTunesMusicInfoObj();
  ciTunesMusicInfoObj(const ciTunesMusicInfoObj&) = delete;
  ciTunesMusicInfoObj& operator=(const ciTunesMusicInfoObj&) = delete;

  // Files a new track (the library takes it over): on the track list after the last track of
  // a smaller id, under its artist, album and slot, and in its album group. A track already
  // on the list is refused ("Data Error !! ") and stays the caller's. When an artist, album,
  // slot, group or item cannot be made the track stays out of that structure only. 1 when
  // the track went on the track list (the library then owns it), else 0.
  unsigned char AddTrackInfoItem(cSPiTMI_TrackInfoObj* track);
  // Appends a playlist (the library takes it over); one already on the list is refused.
  unsigned char AddPlayListGroup(ciTunesInfoMusicGroupObj* group);
  // The first track on the track list with that id; null when none.
  cSPiTMI_TrackInfoObj* SerchTrackInfoObjectFromTrackID(SInt32 id) const;
  // Walks the album groups (playlists 0) or the playlists (1) and appends to found (when
  // given) every group whose tracks match the lengths; 1 when any did.
  unsigned char GetTargetAlbum(short trackCount, cSp_uLongCollection* lengths,
                               unsigned char playlists, cSp_uLongCollection* found);
  // Reads the library file again when its modification date is later than the one stored.
  void CheckITunesMusicInfoFileModifyAndReLoadData();

  void WipeoutTrackItem();
  void WipeoutAllArtistItenAndAlbum();
  void WipeoutAlbumGroups();
  void WipeoutPlayLists();
  // Everything above: the library is as new (its file location and dates stay).
  void WipeoutAllContent();
  // The album group the track belongs in (a new one when none fits); 1 when filed there.
  unsigned char AddTrackItemIntoAlbumObject(cSPiTMI_TrackInfoObj* track);

  // The library file and its dates (File Manager seconds).
  void SetupLibraryFile(SInt16 vRefNum, SInt32 dirID, const char* name);
  UInt8 IsLibraryFileValid() const { return fileValid_; }
  SInt16 GetLibraryFileVRefNum() const { return fileVRefNum_; }
  SInt32 GetLibraryFileDirID() const { return fileDirID_; }
  const char* GetLibraryFileName() const { return fileName_; }
  void SetupFileDates(UInt32 created, UInt32 modified) {
    createdDate_ = created;
    modifiedDate_ = modified;
  }
  UInt32 GetCreatedDate() const { return createdDate_; }
  UInt32 GetModifiedDate() const { return modifiedDate_; }
  sExtStdFileInfo& GetMusicFolder() { return musicFolder_; }

  cSPiTMI_TrackInfoObj* GetFirstTrack() const { return firstTrack_; }
  cSPiTMI_TrackInfoObj* GetLastTrack() const { return lastTrack_; }
  ciTunesInfoArtistObj* GetFirstArtist() const { return firstArtist_; }
  ciTunesInfoArtistObj* GetLastArtist() const { return lastArtist_; }
  ciTunesInfoMusicGroupObj* GetFirstAlbumGroup() const { return firstGroup_; }
  ciTunesInfoMusicGroupObj* GetLastAlbumGroup() const { return lastGroup_; }
  ciTunesInfoMusicGroupObj* GetFirstPlayList() const { return firstPlayList_; }
  ciTunesInfoMusicGroupObj* GetLastPlayList() const { return lastPlayList_; }

 private:
  typedef sp_itunes::Chain<cSPiTMI_TrackInfoObj, &cSPiTMI_TrackInfoObj::trackLink_> TrackList;
  typedef sp_itunes::Chain<ciTunesInfoArtistObj, &ciTunesInfoArtistObj::artistLink_> ArtistList;
  typedef sp_itunes::Chain<ciTunesInfoMusicGroupObj, &ciTunesInfoMusicGroupObj::groupLink_>
      GroupList;

  unsigned char AddToTrackList(cSPiTMI_TrackInfoObj* track);
  void AddToArtist(cSPiTMI_TrackInfoObj* track);

  ciTunesInfoArtistObj* firstArtist_ = nullptr;
  ciTunesInfoArtistObj* lastArtist_ = nullptr;
  cSPiTMI_TrackInfoObj* firstTrack_ = nullptr;
  cSPiTMI_TrackInfoObj* lastTrack_ = nullptr;
  ciTunesInfoMusicGroupObj* firstGroup_ = nullptr;
  ciTunesInfoMusicGroupObj* lastGroup_ = nullptr;
  ciTunesInfoMusicGroupObj* firstPlayList_ = nullptr;
  ciTunesInfoMusicGroupObj* lastPlayList_ = nullptr;

  UInt8 fileValid_ = 0;
  SInt16 fileVRefNum_ = 0;
  SInt32 fileDirID_ = 0;
  char fileName_[512] = {};
  UInt32 createdDate_ = 0;
  UInt32 modifiedDate_ = 0;
  sExtStdFileInfo musicFolder_ = {};

  // Indexes over the lists (see the top of this file).
  sp_itunes::IdIndex<cSPiTMI_TrackInfoObj> firstTrackOfID_;
  std::map<std::string, ciTunesInfoArtistObj*> artistOfName_;
  // The album groups of one name in the order they were made. Past a few groups the name
  // also keeps, for every way a track's numbers can agree with a group's, the latest group
  // that agrees that way, so a track is matched in a fixed number of look-ups.
  struct GroupsOfName {
    std::vector<ciTunesInfoMusicGroupObj*> groups;
    std::unordered_map<UInt64, std::size_t> latestOfPattern;
    bool indexed = false;
  };
  std::unordered_map<std::string, GroupsOfName> groupsOfName_;
};

// ---- The reader (SpiTunesMusicInfoReader.cpp) --------------------------------------------------

// Makes a library for "iTunes Music Library.xml" in the "iTunes" folder of the user's Music
// folder and, when load is not 0, reads the file into it. Null when the Music folder or the
// "iTunes" folder is not there, when memory runs out, or when the read fails. After a read
// the file's dates are stored (they stay 0 when they cannot be had).
ciTunesMusicInfoObj* SpiTM_CreateITunesMusicInfo(unsigned char load);
// Reads the file into the library, after what the library holds, in one pass that builds
// the tracks and playlists as the file streams by. 1 when the file was read and parses as a
// property list (a root that is no dictionary adds nothing and still counts); 0 when it
// cannot be read or does not parse, and then nothing is added.
unsigned char SpiTM_LoadITunesMusicInfo(ciTunesMusicInfoObj* library, short vRefNum, SInt32 dirID,
                                        const char* name);
// A file URL to a file record: "file://localhost/..." or "file:///..." (escapes decoded);
// any other host, scheme or a file that is not there gives 0 and leaves the record as it
// was. 1 when the record was filled.
unsigned char SpiTMI_CFStringURLToCStringFileInfo(CFStringRef url, sExtStdFileInfo& record);
