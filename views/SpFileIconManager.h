// The file-icon manager: hands out the Finder icon of a file as an icon suite and keeps every
// suite it made, so that files that share an icon share one suite. Callers never dispose of a
// suite they receive; the manager lives as long as the program.
//
// Two caches sit side by side: one keyed by the IconRef that Icon Services give for the file
// (used when Icon Services are available), one keyed by the file's creator and file type.
// The second is filled from the volume's desktop database and, where a volume keeps none (as
// every volume here), from the program's own standard icons ('ICN#' resources):
//
//   kSpFileIconGenericDocumentID   any other file
//   kSpFileIconGenericSoundID      other sound files (FLAC, Ogg, Sun audio, CAF, ...)
//   kSpFileIconAIFFID              AIFF and AIFF-C
//   kSpFileIconWAVEID              WAVE
//   kSpFileIconMP3ID               MPEG audio layer 3
//   kSpFileIconMPEG4AudioID        MPEG-4 audio (AAC, Apple Lossless: .m4a, .m4b, .m4p, .mp4)
//   kSpFileIconMovieID             QuickTime movies
//
// The icon follows the file type; a file without one (type 0 or '????', as files made by
// other programs on this system are) is given the type its name's extension stands for, and
// that type is also its key in the cache, so that an MP3 and a WAVE file without types do
// not share one suite.
//
// Failures beep once and leave one error-log record (source "SpFileIconManager"); the result
// is then null and nothing is added to a cache.
#pragma once

#include <cstddef>
#include <new>

#include "Icons.h"
#include "MacMemory.h"
#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

// The standard file icons of the program's resources.
enum : SInt16 {
  kSpFileIconGenericDocumentID = 9300,
  kSpFileIconGenericSoundID = 9301,
  kSpFileIconAIFFID = 9302,
  kSpFileIconWAVEID = 9303,
  kSpFileIconMP3ID = 9304,
  kSpFileIconMPEG4AudioID = 9305,
  kSpFileIconMovieID = 9306,
};

// One cached icon: the key (the IconRef, or the file type within its creator) and the suite,
// which the item owns and disposes of with its icon data.
class cSp_FileTypeIconItem : public cSpListLinks<cSp_FileTypeIconItem>, public cSpMacHeapObject {
 public:
  // Takes over the suite and the IconRef (null when there is none).
  cSp_FileTypeIconItem(IconRef iconRef, UInt32 fileType, IconSuiteRef suite)
      : iconRef_(iconRef), fileType_(fileType), suite_(suite) {}
  ~cSp_FileTypeIconItem();
  cSp_FileTypeIconItem(const cSp_FileTypeIconItem&) = delete;
  cSp_FileTypeIconItem& operator=(const cSp_FileTypeIconItem&) = delete;

  // From this item along its list: the first item with that key, or null.
  cSp_FileTypeIconItem* SerchTargetItemByIconReferenceOnLink(IconRef iconRef);
  cSp_FileTypeIconItem* SerchTargetItemByFileTypeOnLink(UInt32 fileType);

  IconRef GetIconReference() const { return iconRef_; }
  UInt32 GetFileType() const { return fileType_; }
  IconSuiteRef GetIconSuite() const { return suite_; }

 private:
  IconRef iconRef_;
  UInt32 fileType_;
  IconSuiteRef suite_;
};

// One creator and the icons of the file types seen with it, which it owns.
class cSp_FileIconCreatorItem : public cSpListLinks<cSp_FileIconCreatorItem>,
                                public cSpMacHeapObject {
 public:
  explicit cSp_FileIconCreatorItem(UInt32 creator) : creator_(creator) {}
  ~cSp_FileIconCreatorItem() { WipeoutFileTypeIconItem(); }
  cSp_FileIconCreatorItem(const cSp_FileIconCreatorItem&) = delete;
  cSp_FileIconCreatorItem& operator=(const cSp_FileIconCreatorItem&) = delete;

  // From this item along the creator list: the item of that creator, or null.
  cSp_FileIconCreatorItem* SerchTargetItemByCreatorOnLink(UInt32 creator);
  // The icon of that file type among this creator's, or null.
  cSp_FileTypeIconItem* SerchTargetFileTypeIconItemOnChildLink(UInt32 fileType);
  // Appends the item (which this creator then owns) to its file types.
  void SetupFileTypeIconItemObject(cSp_FileTypeIconItem* item);
  // Deletes every file-type item with its suite.
  void WipeoutFileTypeIconItem();

  UInt32 GetCreator() const { return creator_; }
  cSp_FileTypeIconItem* GetFileTypeListHead() const { return typeHead_; }

 private:
  cSp_FileTypeIconItem* typeHead_ = nullptr;
  cSp_FileTypeIconItem* typeTail_ = nullptr;
  UInt32 creator_;
};

class cSp_FileIconManager : public cSpMacHeapObject {
 public:
  cSp_FileIconManager() = default;
  // Empties both caches, disposing of every suite.
  ~cSp_FileIconManager();
  cSp_FileIconManager(const cSp_FileIconManager&) = delete;
  cSp_FileIconManager& operator=(const cSp_FileIconManager&) = delete;

  // The icon suite of the file `name` (MacJapanese) in the folder dirID of the volume; null
  // when there is none or on a failure (a null name, Finder information that cannot be read,
  // memory).
  IconSuiteRef GetFileIconHandle(SInt16 vRefNum, SInt32 dirID, const char* name);

  void WipeOutIconServiceFileIconList();
  void WipeOutFileCreatorFileIconList();

  cSp_FileTypeIconItem* GetIconServiceListHead() const { return iconServiceHead_; }
  cSp_FileIconCreatorItem* GetCreatorListHead() const { return creatorHead_; }

 private:
  cSp_FileTypeIconItem* iconServiceHead_ = nullptr;
  cSp_FileTypeIconItem* iconServiceTail_ = nullptr;
  cSp_FileIconCreatorItem* creatorHead_ = nullptr;
  cSp_FileIconCreatorItem* creatorTail_ = nullptr;
};

// The program's file-icon manager, made on the first call; null only when it cannot be
// allocated (reported).
cSp_FileIconManager* SpFileIconMgr_GetManagerPtr();
// GetFileIconHandle of the program's manager; null when there is no icon or no manager.
IconSuiteRef SpFileIconMgr_GetTargetFileIconHandle(SInt16 vRefNum, SInt32 dirID, const char* name);

// The type a file is known by: its Finder type, or, when it has none (0 or '????'), the type
// its name's extension stands for ('AIFF', 'WAVE', 'MPG3', 'M4A ', 'MooV', ...; an extension
// the program does not know gives its first four characters in capitals, padded with spaces);
// 0 when there is neither.
UInt32 SpFileIconMgr_GetEffectiveFileType(UInt32 fileType, const char* name);
// The id of the standard icon of that file type (one of the ids above).
SInt16 SpFileIconMgr_GetStandardIconID(UInt32 fileType);
