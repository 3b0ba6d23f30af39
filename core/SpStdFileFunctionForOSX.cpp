// The file library's FSRef and long-name functions.

#include "SpStdFileFunctionForOSX.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "CFBundle.h"
#include "CFURL.h"
#include "CFURLFiles.h"
#include "Folders.h"
#include "LaunchServices.h"
#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionDirectory.h"
#include "SpStdFileFunctionInternal.h"
#include "SpStdFunction.h"

using namespace sp_filelib;

namespace {

// Names are at most 255 UTF-16 units; a candidate name in the Trash keeps one unit spare.
constexpr std::size_t kMaxUnicodeNameUnits = 255;
constexpr std::size_t kTrashCandidateUnits = 127;  // 254 bytes of UTF-16
// Candidate names tried before the rename gives up.
constexpr int kMaxTrashCandidates = 10000;

OSErr ReportNull(const char* method) {
  return SpReportFailure(kOSXSource, method, 1, kSpMsgNullArgument, OSErr(paramErr));
}

OSErr MakeRefFromUnicode(const FSRef* folder, const std::vector<UniChar>& name, FSRef* out) {
  if (name.empty() || name.size() > kMaxUnicodeNameUnits) return paramErr;
  return FSMakeFSRefUnicode(folder, name.size(), name.data(), kTextEncodingUnknown, out);
}

void FlushVolumeOf(const FSRef* ref) {
  SInt16 volume = VolumeOfRef(ref);
  if (volume != 0) FlushVol(nullptr, volume);
}

// The characters of a CFString; empty when it has none.
std::vector<UniChar> CharactersOf(CFStringRef text) {
  std::vector<UniChar> chars;
  CFIndex length = CFStringGetLength(text);
  if (length <= 0) return chars;
  chars.resize(static_cast<std::size_t>(length));
  CFStringGetCharacters(text, CFRangeMake(0, length), chars.data());
  return chars;
}

// The first `units` units of a name, one fewer when the cut would split a surrogate pair.
std::vector<UniChar> CutUnits(const std::vector<UniChar>& name, std::size_t units) {
  if (units >= name.size()) return name;
  if (units > 0 && name[units - 1] >= 0xD800 && name[units - 1] <= 0xDBFF) --units;
  return std::vector<UniChar>(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(units));
}

std::vector<UniChar> AsciiUnits(const std::string& text) {
  return std::vector<UniChar>(text.begin(), text.end());
}

// Renames the Trash's item of that name out of the way: the name and the suffix, from the
// second try on also a space and the try number; a candidate is kept within 254 bytes of
// UTF-16 by cutting the name, and cut further when the file system finds it too long.
OSErr RenameTrashItemAside(const FSRef* trash, const FSRef* existing,
                           const std::vector<UniChar>& name, const std::vector<UniChar>& suffix) {
  std::size_t extraCut = 0;
  for (int attempt = 0; attempt < kMaxTrashCandidates; ++attempt) {
    std::vector<UniChar> tail = suffix;
    if (attempt > 0) {
      std::vector<UniChar> number = AsciiUnits(" " + std::to_string(attempt));
      tail.insert(tail.end(), number.begin(), number.end());
    }
    tail = CutUnits(tail, kTrashCandidateUnits);
    std::size_t room = kTrashCandidateUnits - tail.size();
    std::size_t keep = name.size() > room ? room : name.size();
    keep = keep > extraCut ? keep - extraCut : 0;
    std::vector<UniChar> candidate = CutUnits(name, keep);
    candidate.insert(candidate.end(), tail.begin(), tail.end());

    FSRef taken;
    OSErr err = MakeRefFromUnicode(trash, candidate, &taken);
    if (err == noErr) continue;  // that name is in use: the next number
    if (err == fnfErr) {
      err = FSRenameUnicode(existing, candidate.size(), candidate.data(), kTextEncodingUnknown,
                            nullptr);
      if (err == noErr) {
        FlushVolumeOf(trash);
        return noErr;
      }
    }
    // A name the file system cannot hold is cut one character shorter and tried again.
    if (err == bdNamErr && keep > 0) {
      ++extraCut;
      --attempt;
      continue;
    }
    return err;
  }
  return dupFNErr;
}

}  // namespace

namespace sp_filelib {

SInt16 VolumeOfRef(const FSRef* ref) {
  FSCatalogInfo info;
  if (FSGetCatalogInfo(ref, kFSCatInfoVolume, &info, nullptr, nullptr, nullptr) != noErr) return 0;
  return info.volume;
}

OSErr DeleteTree(const FSRef* item) {
  // Deleting first means a symbolic link is removed as a link: only a folder that really
  // holds items is walked into.
  OSErr err = FSDeleteObject(item);
  if (err != fBsyErr) return err;
  std::vector<FSRef> children;
  FSIterator iterator = nullptr;
  err = FSOpenIterator(item, kFSIterateFlat, &iterator);
  if (err != noErr) return err;
  for (;;) {
    FSRef refs[20];
    ItemCount count = 0;
    err = FSGetCatalogInfoBulk(iterator, 20, &count, nullptr, kFSCatInfoNone, nullptr, refs,
                               nullptr, nullptr);
    children.insert(children.end(), refs, refs + (count <= 20 ? count : 20));
    if (err != noErr) break;
  }
  FSCloseIterator(iterator);
  if (err != errFSNoMoreItems) return err;
  for (const FSRef& child : children) {
    err = DeleteTree(&child);
    if (err != noErr) return err;
  }
  return FSDeleteObject(item);
}

}  // namespace sp_filelib

// ---- Making FSRefs -------------------------------------------------------------------------

OSErr Sp_GetFSRefFromDirectoryFSRefAndLongFileName(const FSRef* folder, const char* name,
                                                   CFStringEncoding encoding, FSRef* out) {
  if (folder == nullptr || name == nullptr || out == nullptr) {
    return ReportNull("Sp_GetFSRefFromDirectoryFSRefAndLongFileName");
  }
  std::vector<UniChar> chars;
  if (!ToUnicode(name, encoding, chars)) return paramErr;
  return MakeRefFromUnicode(folder, chars, out);
}

OSErr Sp_GetFSRefFromDirectoryFSRefAndHFSUniFileName(const FSRef* folder, const HFSUniStr255* name,
                                                     FSRef* out) {
  if (folder == nullptr || name == nullptr || out == nullptr) {
    return ReportNull("Sp_GetFSRefFromDirectoryFSRefAndHFSUniFileName");
  }
  return FSMakeFSRefUnicode(folder, name->length, name->unicode, kTextEncodingUnknown, out);
}

OSErr Sp_GetFSRefFromDirectoryFSRefAndCFStringFileName(const FSRef* folder, CFStringRef name,
                                                       FSRef* out) {
  if (folder == nullptr || name == nullptr || out == nullptr) {
    return ReportNull("Sp_GetFSRefFromDirectoryFSRefAndCFStringFileName");
  }
  return MakeRefFromUnicode(folder, CharactersOf(name), out);
}

OSErr Sp_GetFSRefFromDirectoryPositionInfo(short vRefNum, SInt32 dirID, FSRef* out) {
  if (out == nullptr) return ReportNull("Sp_GetFSRefFromDirectoryPositionInfo");
  // An FSSpec with an empty name designates the folder itself, the root folder included.
  FSSpec spec;
  OSErr err = FSMakeFSSpec(vRefNum, dirID, nullptr, &spec);
  if (err != noErr) return err;
  return FSpMakeFSRef(&spec, out);
}

OSErr Sp_GetFSRefFromDirectoryIdAndLongFileName(short vRefNum, SInt32 dirID, const char* name,
                                                CFStringEncoding encoding, FSRef* out) {
  if (name == nullptr || out == nullptr) {
    return ReportNull("Sp_GetFSRefFromDirectoryIdAndLongFileName");
  }
  FSRef folder;
  OSErr err = Sp_GetFSRefFromDirectoryPositionInfo(vRefNum, dirID, &folder);
  if (err != noErr) return err;
  return Sp_GetFSRefFromDirectoryFSRefAndLongFileName(&folder, name, encoding, out);
}

OSErr Sp_GetDirectoryPositionInfoFromFSRef(const FSRef* folder, short* vRefNum, SInt32* dirID) {
  if (folder == nullptr || (vRefNum == nullptr && dirID == nullptr)) {
    return ReportNull("Sp_GetDirectoryPositionInfoFromFSRef");
  }
  FSCatalogInfo info;
  OSErr err = FSGetCatalogInfo(folder, kFSCatInfoVolume | kFSCatInfoNodeID, &info, nullptr, nullptr,
                               nullptr);
  if (err != noErr) return err;
  if (vRefNum != nullptr) *vRefNum = info.volume;
  if (dirID != nullptr) *dirID = static_cast<SInt32>(info.nodeID);
  return noErr;
}

OSErr Sp_GetFSSpecFromFSRef(const FSRef* ref, FSSpec& spec) {
  if (ref == nullptr) return ReportNull("Sp_GetFSSpecFromFSRef");
  return FSGetCatalogInfo(ref, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr);
}

// ---- Names ---------------------------------------------------------------------------------

OSErr Sp_GetClassicFileNameFromDirectoryIdAndLongFileName(short vRefNum, SInt32 dirID,
                                                          const char* longName,
                                                          CFStringEncoding encoding, char* out) {
  if (longName == nullptr || out == nullptr) {
    return ReportNull("Sp_GetClassicFileNameFromDirectoryIdAndLongFileName");
  }
  FSRef ref;
  OSErr err = Sp_GetFSRefFromDirectoryIdAndLongFileName(vRefNum, dirID, longName, encoding, &ref);
  if (err != noErr) return err;
  FSCatalogInfo info;
  FSSpec spec;
  err = FSGetCatalogInfo(&ref, kFSCatInfoNodeID | kFSCatInfoNodeFlags, &info, nullptr, &spec,
                         nullptr);
  if (err != noErr) return err;
  return ClassicNameOfItem(spec, static_cast<SInt32>(info.nodeID),
                           (info.nodeFlags & kFSNodeIsDirectoryMask) != 0, out);
}

OSErr Sp_GetUnicodeFileNameFromFSRef(const FSRef* ref, HFSUniStr255* name) {
  if (ref == nullptr || name == nullptr) return ReportNull("Sp_GetUnicodeFileNameFromFSRef");
  FSRefParam pb;
  std::memset(&pb, 0, sizeof pb);
  pb.ref = ref;
  pb.whichInfo = kFSCatInfoNone;
  pb.outName = name;
  return PBGetCatalogInfoSync(&pb);
}

OSErr Sp_GetFileNameCFStringFromFSRef(const FSRef* ref, CFStringRef* out) {
  if (ref == nullptr || out == nullptr) return ReportNull("Sp_GetFileNameCFStringFromFSRef");
  *out = nullptr;
  HFSUniStr255 name;
  OSErr err = Sp_GetUnicodeFileNameFromFSRef(ref, &name);
  if (err != noErr) return err;
  *out = CFStringCreateWithCharacters(kCFAllocatorDefault, name.unicode, name.length);
  return *out != nullptr ? noErr : memFullErr;
}

// ---- Existence and kind --------------------------------------------------------------------

short Sp_ExsitTargetFileOrDirByFSRef(const FSRef* ref) {
  if (ref == nullptr) return 0;
  FSSpec spec;
  if (FSGetCatalogInfo(ref, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr) != noErr) return 0;
  return spec.name[0] > 0 ? 1 : 0;
}

short Sp_ExsitTargetFileOrDirectoryByFSRef(const FSRef* ref) {
  if (ref == nullptr) return 0;
  return FSGetCatalogInfo(ref, kFSCatInfoNone, nullptr, nullptr, nullptr, nullptr) == noErr ? 1 : 0;
}

short Sp_ExsitTargetFileOrDirByFSRefAndLongName(const FSRef* folder, const char* name,
                                                CFStringEncoding encoding) {
  if (folder == nullptr || name == nullptr) return 0;
  FSRef ref;
  if (Sp_GetFSRefFromDirectoryFSRefAndLongFileName(folder, name, encoding, &ref) != noErr) return 0;
  return Sp_ExsitTargetFileOrDirByFSRef(&ref);
}

short Sp_ExsitTargetFileOrDirByFSSpecAndLongName(short vRefNum, SInt32 dirID, const char* name,
                                                 CFStringEncoding encoding) {
  if (name == nullptr) return 0;
  FSRef folder;
  if (Sp_GetFSRefFromDirectoryPositionInfo(vRefNum, dirID, &folder) != noErr) return 0;
  return Sp_ExsitTargetFileOrDirByFSRefAndLongName(&folder, name, encoding);
}

OSErr Sp_CheckIsDirectoryByFSRef(const FSRef* ref, unsigned char& isFolder) {
  if (ref == nullptr) return ReportNull("Sp_CheckIsDirectoryByFSRef");
  FSCatalogInfo info;
  OSErr err = FSGetCatalogInfo(ref, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr);
  if (err == noErr) isFolder = (info.nodeFlags & kFSNodeIsDirectoryMask) != 0 ? 1 : 0;
  return err;
}

OSErr Sp_IsApplicationOrBundle(const FSRef* ref, unsigned char* isApplication,
                               unsigned char* isPackage) {
  if (ref == nullptr) return ReportNull("Sp_IsApplicationOrBundle");
  LSItemInfoRecord info;
  std::memset(&info, 0, sizeof info);
  OSStatus status = LSCopyItemInfoForRef(ref, kLSRequestBasicFlagsOnly, &info);
  if (status != noErr) return static_cast<OSErr>(status);
  if (isApplication != nullptr) {
    *isApplication = (info.flags & kLSItemInfoIsApplication) != 0 ? 1 : 0;
  }
  if (isPackage != nullptr) *isPackage = (info.flags & kLSItemInfoIsPackage) != 0 ? 1 : 0;
  return noErr;
}

// ---- Changing ------------------------------------------------------------------------------

OSErr Sp_RenameFSRefFileByCString(const FSRef* item, const char* newName, CFStringEncoding encoding,
                                  FSRef* newRef) {
  if (item == nullptr || newName == nullptr) return ReportNull("Sp_RenameFSRefFileByCString");
  std::vector<UniChar> chars;
  if (!ToUnicode(newName, encoding, chars) || chars.size() > kMaxUnicodeNameUnits) {
    return paramErr;
  }
  OSErr err = FSRenameUnicode(item, chars.size(), chars.data(), kTextEncodingUnknown, newRef);
  if (err == noErr) FlushVolumeOf(item);
  return err;
}

OSErr Sp_RenameFileByCFString(const FSRef* item, CFStringRef newName, FSRef* newRef) {
  if (item == nullptr || newName == nullptr) return ReportNull("Sp_RenameFileByCFString");
  std::vector<UniChar> chars = CharactersOf(newName);
  if (chars.empty() || chars.size() > kMaxUnicodeNameUnits) return paramErr;
  OSErr err = FSRenameUnicode(item, chars.size(), chars.data(), kTextEncodingUnknown, newRef);
  if (err == noErr) FlushVolumeOf(item);
  return err;
}

OSErr Sp_RenameFileDirectoryByLongName(short vRefNum, SInt32 dirID, const char* oldName,
                                       CFStringEncoding encoding, const char* newName,
                                       FSRef* newRef) {
  if (oldName == nullptr || newName == nullptr) {
    return ReportNull("Sp_RenameFileDirectoryByLongName");
  }
  FSRef folder;
  OSErr err = Sp_GetFSRefFromDirectoryPositionInfo(vRefNum, dirID, &folder);
  if (err != noErr) return err;
  return Sp_RenameFileDirectoryByLongNameAndFSRef(&folder, oldName, encoding, newName, newRef);
}

OSErr Sp_RenameFileDirectoryByLongNameAndFSRef(const FSRef* folder, const char* oldName,
                                               CFStringEncoding encoding, const char* newName,
                                               FSRef* newRef) {
  if (folder == nullptr || oldName == nullptr || newName == nullptr) {
    return ReportNull("Sp_RenameFileDirectoryByLongNameAndFSRef");
  }
  if (oldName[0] == '\0' || newName[0] == '\0') return paramErr;
  FSRef item;
  OSErr err = Sp_GetFSRefFromDirectoryFSRefAndLongFileName(folder, oldName, kNameEncoding, &item);
  if (err != noErr) return err;
  return Sp_RenameFSRefFileByCString(&item, newName, encoding, newRef);
}

OSErr Sp_DeleteFileDirWithLongNameByDirId(short vRefNum, SInt32 dirID, const char* name,
                                          CFStringEncoding encoding) {
  if (name == nullptr) return ReportNull("Sp_DeleteFileDirWithLongNameByDirId");
  FSRef folder;
  OSErr err = Sp_GetFSRefFromDirectoryPositionInfo(vRefNum, dirID, &folder);
  if (err != noErr) return err;
  return Sp_DeleteFileDirWithLongNameByFSRef(&folder, name, encoding);
}

OSErr Sp_DeleteFileDirWithLongNameByFSRef(const FSRef* folder, const char* name,
                                          CFStringEncoding encoding) {
  if (folder == nullptr || name == nullptr)
    return ReportNull("Sp_DeleteFileDirWithLongNameByFSRef");
  FSRef item;
  OSErr err = Sp_GetFSRefFromDirectoryFSRefAndLongFileName(folder, name, encoding, &item);
  if (err != noErr) return err;
  err = FSDeleteObject(&item);
  FlushVolumeOf(folder);
  return err;
}

OSErr Sp_DeleteFileOrDirByFSRef(const FSRef* item, unsigned char asyncFlag) {
  if (item == nullptr) return ReportNull("Sp_DeleteFileOrDirByFSRef");
  FSSpec spec;
  OSErr err = Sp_GetFSSpecFromFSRef(item, spec);
  if (err != noErr) return err;
  if (asyncFlag) return DeleteAsync(spec.vRefNum, spec.parID, spec.name);
  err = HDelete(spec.vRefNum, spec.parID, spec.name);
  if (err == noErr) FlushVol(nullptr, spec.vRefNum);
  return err;
}

OSErr Sp_CreateFileByUpperDirFSRef(const FSRef* folder, const char* name, const FInfo* finderInfo,
                                   FSRef* newRef, FSSpec* newSpec) {
  if (folder == nullptr || name == nullptr) return ReportNull("Sp_CreateFileByUpperDirFSRef");
  CFStringRef text =
      CFStringCreateWithCString(kCFAllocatorDefault, name, kCFStringEncodingMacJapanese);
  if (text == nullptr) {
    return SpReportFailure(kOSXSource, "Sp_CreateFileByUpperDirFSRef", 2, kSpMsgDataError,
                           OSErr(paramErr));
  }
  std::vector<UniChar> chars = CharactersOf(text);
  CFRelease(text);
  // An empty name names nothing that could be made.
  if (chars.empty()) return paramErr;
  if (chars.size() > kMaxUnicodeNameUnits) return bdNamErr;

  // The owner's read, write and search bits are asked for at creation, so the file is never
  // readable by others even for a moment (the file system makes them 0600: a data file is
  // never made executable).
  FSCatalogInfo info;
  std::memset(&info, 0, sizeof info);
  reinterpret_cast<FSPermissionInfo*>(info.permissions)->mode |= 0x1C0;
  FSRef ref;
  FSSpec spec;
  OSErr err = FSCreateFileUnicode(folder, chars.size(), chars.data(), kFSCatInfoPermissions, &info,
                                  &ref, &spec);
  if (err != noErr) return err;
  if (newRef != nullptr) *newRef = ref;
  if (newSpec != nullptr) *newSpec = spec;
  if (finderInfo != nullptr) {
    FileInfo* fileInfo = reinterpret_cast<FileInfo*>(info.finderInfo);
    fileInfo->fileType = finderInfo->fdType;
    fileInfo->fileCreator = finderInfo->fdCreator;
    fileInfo->finderFlags = finderInfo->fdFlags;
    fileInfo->location = finderInfo->fdLocation;
    fileInfo->reservedField = static_cast<UInt16>(finderInfo->fdFldr);
    err = FSSetCatalogInfo(&ref, kFSCatInfoFinderInfo, &info);
  }
  FlushVolumeOf(folder);
  return err;
}

OSErr Sp_MoveFileOrDirIntoTrashByFSRef(const FSRef* item, unsigned char renameFlag,
                                       const char* suffix) {
  if (item == nullptr) return ReportNull("Sp_MoveFileOrDirIntoTrashByFSRef");
  FSCatalogInfo info;
  HFSUniStr255 name;
  OSErr err = FSGetCatalogInfo(item, kFSCatInfoVolume, &info, &name, nullptr, nullptr);
  if (err != noErr) return err;
  FSRef trash;
  err = FSFindFolder(info.volume, kTrashFolderType, kCreateFolder, &trash);
  if (err != noErr) return err;

  FSRef existing;
  err = FSMakeFSRefUnicode(&trash, name.length, name.unicode, kTextEncodingUnknown, &existing);
  if (err == noErr) {
    if (renameFlag) {
      std::vector<UniChar> suffixChars;
      if (!ToUnicode(suffix != nullptr ? suffix : " Copy", kNameEncoding, suffixChars)) {
        suffixChars.clear();
      }
      std::vector<UniChar> nameChars(name.unicode, name.unicode + name.length);
      err = RenameTrashItemAside(&trash, &existing, nameChars, suffixChars);
      if (err != noErr) {
        return SpReportFailure(kOSXSource, "Sp_MoveFileOrDirIntoTrashByFSRef", 3, kMsgRenameError,
                               err);
      }
    } else {
      // The older item goes for good, and completely, before the new one takes its name.
      err = DeleteTree(&existing);
      if (err != noErr) return err;
    }
  } else if (err != fnfErr) {
    return err;
  }
  err = FSMoveObject(item, &trash, nullptr);
  FlushVol(nullptr, info.volume);
  return err;
}

// ---- Listing -------------------------------------------------------------------------------

OSErr Sp_SerchFolderItemInFRef(const FSRef* folder, cDirectoryItem*& list,
                               unsigned char includeInvisibleFlag) {
  list = nullptr;
  if (folder == nullptr) return memFullErr;
  return Sp_SerchFolderItemInDirIdForMacOSX(folder, nullptr, list, includeInvisibleFlag);
}

OSErr Sp_SerchFolderItemInFRefUnderUpperDir(const FSRef* parent, const char* name,
                                            CFStringEncoding encoding, cDirectoryItem*& list,
                                            unsigned char includeInvisibleFlag) {
  list = nullptr;
  if (parent == nullptr) return memFullErr;
  if (name == nullptr) return ReportNull("Sp_SerchFolderItemInFRefUnderUpperDir");
  FSRef folder;
  OSErr err = Sp_GetFSRefFromDirectoryFSRefAndLongFileName(parent, name, encoding, &folder);
  if (err != noErr) return err;
  return Sp_SerchFolderItemInFRef(&folder, list, includeInvisibleFlag);
}

// ---- The application bundle ----------------------------------------------------------------

namespace {

struct CFReleaser {
  void operator()(CFTypeRef object) const { CFRelease(object); }
};
using CFURLHolder = std::unique_ptr<const SpCFURL, CFReleaser>;
using CFStringHolder = std::unique_ptr<const SpCFString, CFReleaser>;

OSErr RefOfURL(CFURLRef url, FSRef* out) {
  CFURLHolder holder(url);
  if (url == nullptr) return fnfErr;
  return CFURLGetFSRef(url, out) ? noErr : fnfErr;
}

}  // namespace

OSErr Sp_GetApplicationBundleFSRef(FSRef* out) {
  if (out == nullptr) return ReportNull("Sp_GetApplicationBundleFSRef");
  CFBundleRef bundle = CFBundleGetMainBundle();
  if (bundle == nullptr) return fnfErr;
  return RefOfURL(CFBundleCopyExecutableURL(bundle), out);
}

OSErr Sp_GetApplicationResourceFolderFSRefFromBundle(FSRef* out) {
  if (out == nullptr) return ReportNull("Sp_GetApplicationResourceFolderFSRefFromBundle");
  CFBundleRef bundle = CFBundleGetMainBundle();
  if (bundle == nullptr) return fnfErr;
  return RefOfURL(CFBundleCopyResourcesDirectoryURL(bundle), out);
}

OSErr Sp_GetResourceFileFromApplicationMainBandle(const char* fileName, short* vRefNum,
                                                  SInt32* dirID, FSRef* folderRef, char* name,
                                                  UInt32 nameSize, FSRef* fileRef) {
  if (fileName == nullptr) return ReportNull("Sp_GetResourceFileFromApplicationMainBandle");
  if (vRefNum == nullptr && dirID == nullptr && folderRef == nullptr && name == nullptr &&
      fileRef == nullptr) {
    return paramErr;
  }
  std::size_t length = std::strlen(fileName);
  std::string base(length + 1, '\0');
  std::string extension(length + 1, '\0');
  Sp_GetNotContainFileExtendFileName(fileName, &base[0]);
  bool hasExtension = Sp_GetFileExtendName(fileName, &extension[0]) != 0;
  CFStringHolder baseText(
      CFStringCreateWithCString(kCFAllocatorDefault, base.c_str(), kCFStringEncodingMacJapanese));
  CFStringHolder extensionText(
      hasExtension ? CFStringCreateWithCString(kCFAllocatorDefault, extension.c_str(),
                                               kCFStringEncodingMacJapanese)
                   : nullptr);
  if (baseText == nullptr || (hasExtension && extensionText == nullptr)) return paramErr;
  CFBundleRef bundle = CFBundleGetMainBundle();
  if (bundle == nullptr) return fnfErr;

  FSRef ref;
  OSErr err =
      RefOfURL(CFBundleCopyResourceURL(bundle, baseText.get(), extensionText.get(), nullptr), &ref);
  if (err != noErr) return err;
  FSSpec spec;
  FSRef parent;
  err = FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &spec, &parent);
  if (err != noErr) return err;
  if (name != nullptr) {
    if (UInt32(spec.name[0]) + 1 > nameSize) return paramErr;
    ToCString(spec.name, name);
  }
  if (fileRef != nullptr) *fileRef = ref;
  if (folderRef != nullptr) *folderRef = parent;
  if (vRefNum != nullptr) *vRefNum = spec.vRefNum;
  if (dirID != nullptr) *dirID = spec.parID;
  return noErr;
}
