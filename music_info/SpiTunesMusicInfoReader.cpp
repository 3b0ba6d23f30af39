// Reading "iTunes Music Library.xml" into the library model.
//
// The file is read whole and parsed as an XML property list. Its "Tracks" dictionary, by far
// the largest part, is never held as objects: each track's dictionary is handed over as soon
// as it is parsed, turned into a track and dropped. The tracks are filed only when the whole
// document has parsed, so a damaged file adds nothing and does not count as read. The
// playlists, which name tracks by id, are walked after the tracks are filed.
//
// Nothing here reports to the user or the error log: a file that cannot be read leaves the
// program without a library, and CD tracks are then named from the engine's own titles.
#include <strings.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "CFURLFiles.h"
#include "CoreFoundation.h"
#include "Files.h"
#include "Folders.h"
#include "MacMemory.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionFinderInfo.h"
#include "SpStdFunction.h"
#include "SpiTunesMusicInfoObject.h"

namespace {

// The longest dictionary key a track entry may have (its id as text).
constexpr CFIndex kTrackKeySize = 128;

bool IsType(CFTypeRef value, CFTypeID type) {
  return value != nullptr && CFGetTypeID(value) == type;
}

// The number under key as a 32-bit signed value; false when absent or out of range.
bool NumberOf(CFDictionaryRef dict, CFStringRef key, SInt32& out) {
  const void* value = CFDictionaryGetValue(dict, key);
  if (!IsType(value, CFNumberGetTypeID())) return false;
  SInt32 v = 0;
  if (!CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt32Type, &v)) return false;
  out = v;
  return true;
}

SInt16 Low16(SInt32 v) {
  return static_cast<SInt16>(static_cast<UInt16>(UInt32(v) & 0xFFFF));
}

CFStringRef StringOf(CFDictionaryRef dict, CFStringRef key) {
  const void* value = CFDictionaryGetValue(dict, key);
  return IsType(value, CFStringGetTypeID()) ? static_cast<CFStringRef>(value) : nullptr;
}

// A text of the program's encoding from the string, in a new zero-filled block of
// bytesPerCharacter bytes a character (and one for the terminator); null when the string is
// empty, does not convert or no block can be had.
char* NewTextBlock(CFStringRef text, CFIndex bytesPerCharacter, UInt32& encoding) {
  const CFIndex length = CFStringGetLength(text);
  if (length <= 0) return nullptr;
  const CFIndex size = length * bytesPerCharacter + 1;
  char* block = NewPtrClear(Size(size));
  if (block == nullptr) return nullptr;
  CFStringEncoding used = 0;
  Sp_GetCStringFromCFString(text, block, SInt32(size), &used);
  if (block[0] == 0) {
    DisposePtr(block);
    return nullptr;
  }
  encoding = used;
  return block;
}

// A text field of the track from the string under key; true when it was kept.
bool ReadText(CFDictionaryRef dict, CFStringRef key, cSPiTMI_TrackInfoObj* track,
              tSpiTMI_TextField field) {
  CFStringRef text = StringOf(dict, key);
  if (text == nullptr) return false;
  char buffer[kSpiTM_LongTextSize];
  const SInt32 size = cSPiTMI_TrackInfoObj::GetTextFieldSize(field);
  CFStringEncoding encoding = 0;
  Sp_GetCStringFromCFString(text, buffer, size, &encoding);
  if (buffer[0] == 0) return false;
  return track->SetupText(field, buffer, encoding) == noErr;
}

void FillTrack(CFDictionaryRef dict, cSPiTMI_TrackInfoObj* track) {
  static const CFStringRef kTrackID = CFSTR("Track ID");
  static const CFStringRef kName = CFSTR("Name");
  static const CFStringRef kArtist = CFSTR("Artist");
  static const CFStringRef kComposer = CFSTR("Composer");
  static const CFStringRef kAlbum = CFSTR("Album");
  static const CFStringRef kGrouping = CFSTR("Grouping");
  static const CFStringRef kGenre = CFSTR("Genre");
  static const CFStringRef kBitRate = CFSTR("Bit Rate");
  static const CFStringRef kSampleRate = CFSTR("Sample Rate");
  static const CFStringRef kComments = CFSTR("Comments");
  static const CFStringRef kTotalTime = CFSTR("Total Time");
  static const CFStringRef kDiscNumber = CFSTR("Disc Number");
  static const CFStringRef kDiscCount = CFSTR("Disc Count");
  static const CFStringRef kTrackNumber = CFSTR("Track Number");
  static const CFStringRef kTrackCount = CFSTR("Track Count");
  static const CFStringRef kYear = CFSTR("Year");
  static const CFStringRef kPlayCount = CFSTR("Play Count");
  static const CFStringRef kFileType = CFSTR("File Type");
  static const CFStringRef kFileCreator = CFSTR("File Creator");
  static const CFStringRef kLocation = CFSTR("Location");

  SInt32 n = 0;
  const auto count = [&](bool read) {
    if (read) track->AddKeyCount();
  };
  if (NumberOf(dict, kTrackID, n)) {
    track->SetupTrackID(n);
    track->AddKeyCount();
  }
  count(ReadText(dict, kName, track, kSpiTMI_Name));
  count(ReadText(dict, kArtist, track, kSpiTMI_Artist));
  count(ReadText(dict, kComposer, track, kSpiTMI_Composer));
  count(ReadText(dict, kAlbum, track, kSpiTMI_Album));
  count(ReadText(dict, kGrouping, track, kSpiTMI_Grouping));
  count(ReadText(dict, kGenre, track, kSpiTMI_Genre));
  if (NumberOf(dict, kBitRate, n)) {
    track->SetupBitRate(n);
    track->AddKeyCount();
  }
  if (NumberOf(dict, kSampleRate, n)) {
    track->SetupSampleRate(n);
    track->AddKeyCount();
  }
  if (CFStringRef comments = StringOf(dict, kComments)) {
    UInt32 encoding = 0;
    if (char* block = NewTextBlock(comments, 3, encoding)) {
      track->AdoptText(kSpiTMI_Comments, block, encoding);
      track->AddKeyCount();
    }
  }
  if (NumberOf(dict, kTotalTime, n)) {
    track->SetupTotalTime(UInt32(n));
    track->AddKeyCount();
  }
  const struct {
    CFStringRef key;
    void (cSPiTMI_TrackInfoObj::*set)(SInt16);
  } shorts[] = {
      {kDiscNumber, &cSPiTMI_TrackInfoObj::SetupDiscNumber},
      {kDiscCount, &cSPiTMI_TrackInfoObj::SetupDiscCount},
      {kTrackNumber, &cSPiTMI_TrackInfoObj::SetupTrackNumber},
      {kTrackCount, &cSPiTMI_TrackInfoObj::SetupTrackCount},
      {kYear, &cSPiTMI_TrackInfoObj::SetupYear},
  };
  for (const auto& field : shorts) {
    if (!NumberOf(dict, field.key, n)) continue;
    (track->*field.set)(Low16(n));
    track->AddKeyCount();
  }
  if (NumberOf(dict, kPlayCount, n)) {
    track->SetupPlayCount(n);
    track->AddKeyCount();
  }
  if (NumberOf(dict, kFileType, n)) {
    track->SetupFileType(UInt32(n));
    track->AddKeyCount();
  }
  if (NumberOf(dict, kFileCreator, n)) {
    track->SetupFileCreator(UInt32(n));
    track->AddKeyCount();
  }
  if (CFStringRef location = StringOf(dict, kLocation)) {
    UInt32 encoding = 0;
    if (char* block = NewTextBlock(location, 2, encoding)) {
      track->AdoptText(kSpiTMI_Location, block, encoding);
      track->AddKeyCount();
    }
    if (SpiTMI_CFStringURLToCStringFileInfo(location, track->GetLocationFile())) {
      track->AddKeyCount();
    }
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The text with its %XX escapes decoded; false for a broken escape.
bool PercentDecode(const std::string& text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int hi = HexValue(text[i + 1]);
    const int lo = HexValue(text[i + 2]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(char(hi * 16 + lo));
    i += 2;
  }
  return true;
}

// True for "file://" followed by the local computer's host (written "localhost", or left
// empty as in "file:///...") and a path.
bool IsLocalFileURL(const std::string& url) {
  const std::size_t colon = url.find(':');
  if (colon == std::string::npos || strncasecmp(url.c_str(), "file", 4) != 0 || colon != 4) {
    return false;
  }
  if (url.compare(colon, 3, "://") != 0) return false;
  const std::size_t hostStart = colon + 3;
  const std::size_t pathStart = url.find('/', hostStart);
  if (pathStart == std::string::npos) return false;
  std::string host;
  if (!PercentDecode(url.substr(hostStart, pathStart - hostStart), host)) return false;
  return host.empty() || strcasecmp(host.c_str(), "localhost") == 0;
}

// Reads the whole data fork of (vRefNum, dirID, name) into a new data object; null on any
// failure.
CFDataRef ReadWholeFile(short vRefNum, SInt32 dirID, const char* name) {
  const std::size_t nameLength = std::strlen(name);
  if (nameLength > 255) return nullptr;
  HFSUniStr255 forkName;
  if (FSGetDataForkName(&forkName) != noErr) return nullptr;
  Str255 pascalName;
  pascalName[0] = UInt8(nameLength);
  std::memcpy(pascalName + 1, name, nameLength);
  FSRef ref;
  FSRefParam pb;
  std::memset(&pb, 0, sizeof pb);
  pb.ioVRefNum = vRefNum;
  pb.ioDirID = dirID;
  pb.ioNamePtr = pascalName;
  pb.newRef = &ref;
  if (PBMakeFSRefSync(&pb) != noErr) return nullptr;
  FSIORefNum fork = 0;
  if (FSOpenFork(&ref, forkName.length, forkName.unicode, fsRdPerm, &fork) != noErr) {
    return nullptr;
  }
  CFMutableDataRef data = nullptr;
  SInt64 size = 0;
  if (FSGetForkSize(fork, &size) == noErr && size > 0) {
    data = CFDataCreateMutable(kCFAllocatorDefault, 0);
    if (data != nullptr) CFDataSetLength(data, CFIndex(size));
    ByteCount got = 0;
    if (data == nullptr || CFDataGetLength(data) != CFIndex(size) ||
        FSReadFork(fork, fsFromStart, 0, ByteCount(size), CFDataGetMutableBytePtr(data), &got) !=
            noErr ||
        got != ByteCount(size)) {
      if (data != nullptr) CFRelease(data);
      data = nullptr;
    }
  }
  FSCloseFork(fork);
  return data;
}

void DeleteTracks(std::vector<cSPiTMI_TrackInfoObj*>& tracks) {
  for (cSPiTMI_TrackInfoObj* track : tracks) delete track;
  tracks.clear();
}

}  // namespace

void SpiTMI_CatchDictionaryItemAndCreateTrackInfo(const void* key, const void* value,
                                                  void* context) {
  sSpiTMI_ApplyContext* state = static_cast<sSpiTMI_ApplyContext*>(context);
  if (state == nullptr || state->library == nullptr) return;
  if (!IsType(key, CFStringGetTypeID()) || !IsType(value, CFDictionaryGetTypeID())) return;
  char keyText[kTrackKeySize];
  if (!CFStringGetCString(static_cast<CFStringRef>(key), keyText, kTrackKeySize,
                          kCFStringEncodingUTF8)) {
    return;
  }
  cSPiTMI_TrackInfoObj* track = new (std::nothrow) cSPiTMI_TrackInfoObj();
  if (track == nullptr) return;
  FillTrack(static_cast<CFDictionaryRef>(value), track);
  if (state->pendingTracks != nullptr) {
    try {
      state->pendingTracks->push_back(track);
    } catch (const std::bad_alloc&) {
      delete track;
    }
    return;
  }
  if (!state->library->AddTrackInfoItem(track)) delete track;
}

void SpiTMI_CatchPlayListItemAndCreatePlayListTrackInfo(const void* value, void* context) {
  static const CFStringRef kTrackID = CFSTR("Track ID");
  sSpiTMI_ApplyContext* state = static_cast<sSpiTMI_ApplyContext*>(context);
  if (state == nullptr || state->library == nullptr || state->playList == nullptr) return;
  if (!IsType(value, CFDictionaryGetTypeID())) return;
  SInt32 id = 0;
  if (!NumberOf(static_cast<CFDictionaryRef>(value), kTrackID, id) || id == 0) return;
  cSPiTMI_TrackInfoObj* track = state->library->SerchTrackInfoObjectFromTrackID(id);
  if (track != nullptr) state->playList->SetupPlayListTrackInfoObject(track);
}

void SpiTMI_CatchDictionaryItemAndCreatePlayListInfo(const void* value, void* context) {
  static const CFStringRef kMaster = CFSTR("Master");
  static const CFStringRef kSmartInfo = CFSTR("Smart Info");
  static const CFStringRef kName = CFSTR("Name");
  static const CFStringRef kItems = CFSTR("Playlist Items");
  sSpiTMI_ApplyContext* state = static_cast<sSpiTMI_ApplyContext*>(context);
  if (state == nullptr || state->library == nullptr) return;
  if (!IsType(value, CFDictionaryGetTypeID())) return;
  CFDictionaryRef dict = static_cast<CFDictionaryRef>(value);
  // The whole library and the rule-made lists name no album of their own.
  if (CFDictionaryContainsKey(dict, kMaster) || CFDictionaryContainsKey(dict, kSmartInfo)) return;
  ciTunesInfoMusicGroupObj* group = new (std::nothrow) ciTunesInfoMusicGroupObj();
  if (group == nullptr) return;
  if (CFStringRef name = StringOf(dict, kName)) {
    char buffer[kSpiTM_GroupNameSize];
    CFStringEncoding encoding = 0;
    Sp_GetCStringFromCFString(name, buffer, kSpiTM_GroupNameSize, &encoding);
    group->SetupName(buffer, encoding);
  }
  const void* items = CFDictionaryGetValue(dict, kItems);
  if (IsType(items, CFArrayGetTypeID())) {
    CFArrayRef array = static_cast<CFArrayRef>(items);
    state->playList = group;
    CFArrayApplyFunction(array, CFRangeMake(0, CFArrayGetCount(array)),
                         SpiTMI_CatchPlayListItemAndCreatePlayListTrackInfo, state);
    state->playList = nullptr;
  }
  if (group->GetContainGroupItem() == 0 || !state->library->AddPlayListGroup(group)) {
    delete group;
  }
}

unsigned char SpiTMI_CFStringURLToCStringFileInfo(CFStringRef url, sExtStdFileInfo& record) {
  if (!IsType(url, CFStringGetTypeID())) return 0;
  const CFIndex length = CFStringGetLength(url);
  if (length <= 0) return 0;
  // UTF-8 takes at most three bytes for each UTF-16 unit.
  const CFIndex size = length * 3 + 1;
  char* block = NewPtrClear(Size(size));
  if (block == nullptr) return 0;
  const bool local =
      CFStringGetCString(url, block, size, kCFStringEncodingUTF8) && IsLocalFileURL(block);
  DisposePtr(block);
  if (!local) return 0;
  // The URL object decodes the path's escapes.
  CFURLRef fileURL = CFURLCreateWithString(kCFAllocatorDefault, url, nullptr);
  if (fileURL == nullptr) return 0;
  FSRef ref;
  FSSpec spec;
  const bool found =
      CFURLGetFSRef(fileURL, &ref) &&
      FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr) == noErr;
  CFRelease(fileURL);
  if (!found) return 0;
  record.valid = 1;
  record.vRefNum = spec.vRefNum;
  record.dirID = spec.parID;
  std::memcpy(record.fileName, spec.name + 1, spec.name[0]);
  record.fileName[spec.name[0]] = 0;
  SInt32 fileID = 0;
  record.fileID =
      Sp_GetFileIdFromFileNameInDirId(spec.vRefNum, spec.parID, record.fileName, fileID) == noErr
          ? fileID
          : 0;
  return 1;
}

unsigned char SpiTM_LoadITunesMusicInfo(ciTunesMusicInfoObj* library, short vRefNum, SInt32 dirID,
                                        const char* name) {
  static const CFStringRef kMusicFolder = CFSTR("Music Folder");
  static const CFStringRef kTracks = CFSTR("Tracks");
  static const CFStringRef kPlaylists = CFSTR("Playlists");
  if (library == nullptr || name == nullptr || name[0] == 0) return 0;
  CFDataRef data = ReadWholeFile(vRefNum, dirID, name);
  if (data == nullptr) return 0;

  std::vector<cSPiTMI_TrackInfoObj*> pending;
  sSpiTMI_ApplyContext state = {library, nullptr, &pending};
  CFStringRef error = nullptr;
  CFPropertyListRef root = sp_platform::CreatePropertyListDeliveringEntries(
      data, kCFPropertyListImmutable, kTracks, SpiTMI_CatchDictionaryItemAndCreateTrackInfo, &state,
      &error);
  if (error != nullptr) CFRelease(error);
  CFRelease(data);
  if (root == nullptr) {
    DeleteTracks(pending);
    return 0;
  }

  state.pendingTracks = nullptr;
  for (cSPiTMI_TrackInfoObj* track : pending) {
    if (!library->AddTrackInfoItem(track)) delete track;
  }
  pending.clear();
  if (IsType(root, CFDictionaryGetTypeID())) {
    CFDictionaryRef dict = static_cast<CFDictionaryRef>(root);
    if (CFStringRef folder = StringOf(dict, kMusicFolder)) {
      SpiTMI_CFStringURLToCStringFileInfo(folder, library->GetMusicFolder());
    }
    // Emptied by the parse; walked all the same, in case it was no dictionary there.
    const void* tracks = CFDictionaryGetValue(dict, kTracks);
    if (IsType(tracks, CFDictionaryGetTypeID())) {
      CFDictionaryApplyFunction(static_cast<CFDictionaryRef>(tracks),
                                SpiTMI_CatchDictionaryItemAndCreateTrackInfo, &state);
    }
    const void* playlists = CFDictionaryGetValue(dict, kPlaylists);
    if (IsType(playlists, CFArrayGetTypeID())) {
      CFArrayRef array = static_cast<CFArrayRef>(playlists);
      CFArrayApplyFunction(array, CFRangeMake(0, CFArrayGetCount(array)),
                           SpiTMI_CatchDictionaryItemAndCreatePlayListInfo, &state);
    }
  }
  CFRelease(root);
  return 1;
}

ciTunesMusicInfoObj* SpiTM_CreateITunesMusicInfo(unsigned char load) {
  SInt32 musicDirID = 0;
  short vRefNum = 0;
  if (Sp_FindSystemFolderByDirId(kOnSystemDisk, kMusicDocumentsFolderType, &musicDirID, &vRefNum) !=
      noErr) {
    return nullptr;
  }
  SInt32 dirID = 0;
  if (Sp_GetDirIdFromDirNameInDirId(vRefNum, musicDirID, kSpiTM_FolderName, dirID) != noErr) {
    return nullptr;
  }
  ciTunesMusicInfoObj* library = new (std::nothrow) ciTunesMusicInfoObj();
  if (library == nullptr) return nullptr;
  library->SetupLibraryFile(vRefNum, dirID, kSpiTM_LibraryFileName);
  if (!load) return library;
  // The dates are taken before the read: a file that changes while it is read then looks
  // changed at the next check, and is read again.
  UInt32 created = 0;
  UInt32 modified = 0;
  const OSErr datesErr =
      Sp_GetFileInformation(vRefNum, dirID, kSpiTM_LibraryFileName, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr, &created, &modified);
  if (!SpiTM_LoadITunesMusicInfo(library, vRefNum, dirID, kSpiTM_LibraryFileName)) {
    delete library;
    return nullptr;
  }
  if (datesErr == noErr) library->SetupFileDates(created, modified);
  return library;
}
