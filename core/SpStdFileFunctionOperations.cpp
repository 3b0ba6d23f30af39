// The file library's file and folder operations: create, delete, rename, move, copy, the
// Trash, system folders and the free-space check.

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Folders.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionInternal.h"
#include "SpStdFunction.h"

using namespace sp_filelib;

namespace {

// Candidate names tried before a rename in the Trash gives up.
constexpr int kMaxTrashCandidates = 10000;
// The scratch file of the space check: "spaceTest", then "spaceTest1" ... "spaceTest999".
constexpr char kSpaceTestName[] = "spaceTest";
constexpr int kMaxSpaceTestNumber = 999;
constexpr OSType kSpaceTestCreator = SpFourCC("Atro");
constexpr OSType kSpaceTestType = SpFourCC("Chck");

// An asynchronous delete's request block, kept until the file system has answered it.
struct PendingDelete {
  HParamBlockRec pb;
  Str255 name;
};
std::vector<std::unique_ptr<PendingDelete>> pendingDeletes_GlV;

// The Trash's item is renamed out of the way: the name followed by the suffix, from the
// second try on also a space and the try number, cut so the whole stays a classic name of 31
// bytes. The name is cut on a character boundary, never through a two-byte character.
OSErr RenameClassicTrashItemAside(short trashVRefNum, SInt32 trashDirID, const char* name,
                                  const char* suffix) {
  std::string baseSuffix = suffix != nullptr ? suffix : " Copy";
  for (int attempt = 0; attempt < kMaxTrashCandidates; ++attempt) {
    std::string tail = baseSuffix;
    if (attempt > 0) tail += " " + std::to_string(attempt);
    char cut[kSpMaxClassicNameLength + 1];
    if (tail.size() >= std::size_t(kSpMaxClassicNameLength)) {
      Sp_CutStringByByteLen(tail.c_str(), kSpMaxClassicNameLength, cut);
      tail = cut;
    }
    std::string candidate = name;
    if (candidate.size() + tail.size() > std::size_t(kSpMaxClassicNameLength)) {
      Sp_CutStringByByteLen(name, static_cast<short>(kSpMaxClassicNameLength - tail.size()), cut);
      candidate = cut;
    }
    candidate += tail;
    if (Sp_ExsitTargetDirectory(trashVRefNum, trashDirID, candidate.c_str())) continue;
    Str255 oldName, newName;
    Sp_CopyCStringToPascalName(name, oldName);
    Sp_CopyCStringToPascalName(candidate.c_str(), newName);
    OSErr err = HRename(trashVRefNum, trashDirID, oldName, newName);
    if (err == noErr) FlushVol(nullptr, trashVRefNum);
    return err;
  }
  return dupFNErr;
}

}  // namespace

namespace sp_filelib {

OSErr DeleteAsync(short vRefNum, SInt32 dirID, ConstStr255Param name) {
  // Requests the file system has answered (ioResult no longer 1, "in progress") are freed.
  for (std::size_t i = 0; i < pendingDeletes_GlV.size();) {
    if (pendingDeletes_GlV[i]->pb.fileParam.ioResult != 1) {
      pendingDeletes_GlV.erase(pendingDeletes_GlV.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  std::unique_ptr<PendingDelete> request(new PendingDelete);
  std::memset(request.get(), 0, sizeof(PendingDelete));
  std::memcpy(request->name, name, std::size_t(name[0]) + 1);
  request->pb.fileParam.ioNamePtr = request->name;
  request->pb.fileParam.ioVRefNum = vRefNum;
  request->pb.fileParam.ioDirID = dirID;
  request->pb.fileParam.ioCompletion = nullptr;
  OSErr err = PBHDeleteAsync(&request->pb);
  pendingDeletes_GlV.push_back(std::move(request));
  return err;
}

}  // namespace sp_filelib

// ---- Creating ------------------------------------------------------------------------------

FInfo Sp_NewFileFinderInfo(UInt32 creator, UInt32 fileType, UInt16 flags) {
  FInfo info;
  std::memset(&info, 0, sizeof info);
  info.fdType = fileType;
  info.fdCreator = creator;
  info.fdFlags = flags | kHasBeenInited;
  info.fdLocation.v = -1;
  info.fdLocation.h = -1;
  return info;
}

OSErr Sp_CreateFileByDirId(short vRefNum, SInt32 dirID, const char* name, UInt32 creator,
                           UInt32 fileType, unsigned char invisibleFlag,
                           unsigned char customIconFlag) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "Sp_CreateFileByDirId", 1, kMsgRequiredArgument0L,
                           OSErr(paramErr));
  }
  UInt16 flags = kHasBeenInited;
  if (invisibleFlag) flags |= kIsInvisible;
  if (customIconFlag) flags |= kHasCustomIcon;

  if (IsLongName(name)) {
    FSRef folder;
    OSErr err = Sp_GetFSRefFromDirectoryPositionInfo(vRefNum, dirID, &folder);
    if (err != noErr) return err;
    const FInfo info = Sp_NewFileFinderInfo(creator, fileType, flags);
    return Sp_CreateFileByUpperDirFSRef(&folder, name, &info, nullptr, nullptr);
  }

  Str255 fileName;
  Sp_CopyCStringToPascalName(name, fileName);
  HParamBlockRec pb;
  ClassicFileBlock(vRefNum, dirID, fileName, &pb);
  OSErr err = PBHCreateSync(&pb);
  if (err != noErr) return err;

  ClassicFileBlock(vRefNum, dirID, fileName, &pb);
  err = PBHGetFInfoSync(&pb);
  if (err == noErr) {
    pb.fileParam.ioFlFndrInfo = Sp_NewFileFinderInfo(creator, fileType, flags);
    pb.fileParam.ioDirID = dirID;  // the look-up gave back the file's own id
    err = PBHSetFInfoSync(&pb);
  }
  OSErr flushErr = FlushVol(nullptr, vRefNum);
  return err != noErr ? err : flushErr;
}

OSErr Sp_CreateFile(const char* fullPath, UInt32 creator, UInt32 fileType,
                    unsigned char invisibleFlag, unsigned char customIconFlag) {
  if (fullPath == nullptr) {
    return SpReportFailure(kSource, "Sp_CreateFile", 1, kMsgRequiredArgument0L, OSErr(paramErr));
  }
  short vRefNum = 0;
  SInt32 dirID = 0;
  std::string name(std::strlen(fullPath) + 1, '\0');
  OSErr err = Sp_GetFileInfoFromFullPathName(fullPath, &vRefNum, &dirID, &name[0]);
  if (err != noErr) return err;
  return Sp_CreateFileByDirId(vRefNum, dirID, name.c_str(), creator, fileType, invisibleFlag,
                              customIconFlag);
}

OSErr Sp_CreateFolderIntoDirId(short vRefNum, SInt32 dirID, const char* name) {
  if (name == nullptr) return ReportNullPointer("Sp_CreateFolderIntoDirId");
  ItemFacts facts;
  OSErr err = LookUpItem(vRefNum, dirID, name, &facts);
  // A folder that is there already is what the caller wants; a file of that name is not.
  if (err == noErr) return facts.isFolder ? noErr : dupFNErr;
  if (err != fnfErr && err != dirNFErr) return err;
  if (IsLongName(name)) {
    err = Sp_CreateFolderWithPermission(vRefNum, dirID, name, nullptr, nullptr, nullptr);
  } else {
    Str255 folderName;
    Sp_CopyCStringToPascalName(name, folderName);
    SInt32 newDirID = 0;
    err = DirCreate(vRefNum, dirID, folderName, &newDirID);
  }
  if (err != noErr) return err;
  return FlushVol(nullptr, vRefNum);
}

Boolean Sp_CreateFolder(const char* fullPath) {
  if (fullPath == nullptr) {
    return SpReportFailure(kSource, "Sp_CreateFolder", 1, kSpMsgPointerArg, Boolean(0));
  }
  SInt32 dirID = 0;
  if (Sp_GetDirIdFromFullPathName(fullPath, dirID) == noErr) return 0;
  short vRefNum = 0;
  SInt32 parentDirID = 0;
  std::string name(std::strlen(fullPath) + 1, '\0');
  if (Sp_GetFileInfoFromFullPathName(fullPath, &vRefNum, &parentDirID, &name[0]) != noErr) {
    return 0;
  }
  return Sp_CreateFolderIntoDirId(vRefNum, parentDirID, name.c_str()) == noErr ? 1 : 0;
}

OSErr Sp_CreateFolderWithPermission(short vRefNum, SInt32 dirID, const char* name,
                                    const FSCatalogInfo* info, FSRef* newRef, FSSpec* newSpec) {
  if (name == nullptr) return ReportNullPointer("Sp_CreateFolderWithPermission");
  FSRef parent;
  OSErr err = Sp_GetFSRefFromDirectoryPositionInfo(vRefNum, dirID, &parent);
  if (err != noErr) return err;
  return Sp_CreateFolderWithPermissionInDirFSRef(&parent, name, info, newRef, newSpec);
}

OSErr Sp_CreateFolderWithPermissionInDirFSRef(const FSRef* parent, const char* name,
                                              const FSCatalogInfo* info, FSRef* newRef,
                                              FSSpec* newSpec) {
  if (parent == nullptr || name == nullptr) {
    return ReportNullPointer("Sp_CreateFolderWithPermissionInDirFSRef");
  }
  FSCatalogInfo copy;
  if (info != nullptr) {
    copy = *info;
  } else {
    std::memset(&copy, 0, sizeof copy);
  }
  std::vector<UniChar> chars;
  if (!ToUnicode(name, kNameEncoding, chars)) return paramErr;
  if (chars.size() > 255) return bdNamErr;
  // The owner may read, write and search; nobody else may.
  reinterpret_cast<FSPermissionInfo*>(copy.permissions)->mode |= 0x1C0;
  OSErr err = FSCreateDirectoryUnicode(parent, chars.size(), chars.data(), kFSCatInfoSettableInfo,
                                       &copy, newRef, newSpec, nullptr);
  if (err == noErr) {
    FSCatalogInfo parentInfo;
    if (FSGetCatalogInfo(parent, kFSCatInfoVolume, &parentInfo, nullptr, nullptr, nullptr) ==
        noErr) {
      FlushVol(nullptr, parentInfo.volume);
    }
  }
  return err;
}

Boolean Sp_CreateInitFolderWithDirID(short vRefNum, UInt32 folderType, const char* name,
                                     short& outVRefNum, SInt32& outDirID) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "Sp_CreateInitFolderWithDirID", 1, kSpMsgPointerArg,
                           Boolean(0));
  }
  short foundVRefNum = 0;
  SInt32 foundDirID = 0;
  if (FindFolder(vRefNum, folderType, kCreateFolder, &foundVRefNum, &foundDirID) != noErr) {
    return 0;
  }
  if (!Sp_ExsitTargetDirectory(foundVRefNum, foundDirID, name)) {
    if (Sp_CreateFolderWithPermission(foundVRefNum, foundDirID, name, nullptr, nullptr, nullptr) !=
        noErr) {
      return 0;
    }
  }
  SInt32 dirID = 0;
  if (Sp_GetDirIdFromDirNameInDirId(foundVRefNum, foundDirID, name, dirID) != noErr) return 0;
  outVRefNum = foundVRefNum;
  outDirID = dirID;
  return 1;
}

Boolean Sp_CreateInitFolder(const char* name, unsigned char createFlag, char* outPath,
                            short vRefNum, UInt32 folderType) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "Sp_CreateInitFolder", 1, kSpMsgPointerArg, Boolean(0));
  }
  if (std::strlen(name) > std::size_t(kSpMaxFullPathLength)) return 0;
  short foundVRefNum = 0;
  SInt32 foundDirID = 0;
  if (FindFolder(vRefNum, folderType, kCreateFolder, &foundVRefNum, &foundDirID) != noErr) {
    return 0;
  }
  char path[kSpMaxFullPathLength + 1];
  std::strcpy(path, name);
  if (Sp_PathNameFromDirID(foundDirID, foundVRefNum, path) != noErr) return 0;
  SInt32 dirID = 0;
  if (Sp_GetDirIdFromDirNameInDirId(foundVRefNum, foundDirID, name, dirID) != noErr) {
    if (!createFlag) return 0;
    if (Sp_CreateFolderIntoDirId(foundVRefNum, foundDirID, name) != noErr) return 0;
  }
  if (outPath != nullptr) std::strcpy(outPath, path);
  return 1;
}

// ---- Deleting, renaming, moving, copying ---------------------------------------------------

OSErr Sp_DeleteFileDirByDirId(short vRefNum, SInt32 dirID, const char* name,
                              unsigned char asyncFlag) {
  if (name == nullptr) return ReportNullPointer("Sp_DeleteFileDirByDirId");
  if (IsLongName(name)) {
    return Sp_DeleteFileDirWithLongNameByDirId(vRefNum, dirID, name, kNameEncoding);
  }
  Str255 itemName;
  Sp_CopyCStringToPascalName(name, itemName);
  if (asyncFlag) return DeleteAsync(vRefNum, dirID, itemName);
  OSErr err = HDelete(vRefNum, dirID, itemName);
  if (err == noErr) FlushVol(nullptr, vRefNum);
  return err;
}

OSErr Sp_RenameFileDirectory(short vRefNum, SInt32 dirID, const char* oldName,
                             const char* newName) {
  if (oldName == nullptr || newName == nullptr) return ReportNullPointer("Sp_RenameFileDirectory");
  if (IsLongName(oldName) || IsLongName(newName)) {
    return Sp_RenameFileDirectoryByLongName(vRefNum, dirID, oldName, kNameEncoding, newName,
                                            nullptr);
  }
  Str255 oldPascal, newPascal;
  Sp_CopyCStringToPascalName(oldName, oldPascal);
  Sp_CopyCStringToPascalName(newName, newPascal);
  OSErr err = HRename(vRefNum, dirID, oldPascal, newPascal);
  if (err == noErr) FlushVol(nullptr, vRefNum);
  return err;
}

OSErr Sp_RenameFileReplacing(short vRefNum, SInt32 dirID, const char* oldName,
                             const char* newName) {
  if (oldName == nullptr || newName == nullptr) return ReportNullPointer("Sp_RenameFileReplacing");
  Str255 oldPascal, newPascal;
  if (!Sp_CopyCStringToPascalName(oldName, oldPascal) ||
      !Sp_CopyCStringToPascalName(newName, newPascal)) {
    return bdNamErr;
  }
  OSErr err = HRenameReplacing(vRefNum, dirID, oldPascal, newPascal);
  if (err == noErr) FlushVol(nullptr, vRefNum);
  return err;
}

OSErr Sp_MoveFileOrDir(short vRefNum, SInt32 dirID, const char* name, SInt32 targetDirID,
                       const char* targetName) {
  if (name == nullptr) return ReportNullPointer("Sp_MoveFileOrDir");
  bool hasTarget = targetName != nullptr && targetName[0] != '\0';
  OSErr err;
  if (IsLongName(name) || (hasTarget && IsLongName(targetName))) {
    FSRef item, target;
    err = Sp_GetFSRefFromDirectoryIdAndLongFileName(vRefNum, dirID, name, kNameEncoding, &item);
    if (err != noErr) return err;
    err = hasTarget ? Sp_GetFSRefFromDirectoryIdAndLongFileName(vRefNum, targetDirID, targetName,
                                                                kNameEncoding, &target)
                    : Sp_GetFSRefFromDirectoryPositionInfo(vRefNum, targetDirID, &target);
    if (err != noErr) return err;
    err = FSMoveObject(&item, &target, nullptr);
  } else {
    Str255 itemName, targetPascal;
    Sp_CopyCStringToPascalName(name, itemName);
    if (hasTarget) Sp_CopyCStringToPascalName(targetName, targetPascal);
    err = CatMove(vRefNum, dirID, itemName, targetDirID, hasTarget ? targetPascal : nullptr);
  }
  if (err == noErr) FlushVol(nullptr, vRefNum);
  return err;
}

OSErr Sp_CopyFileOrDir(short vRefNum, SInt32 dirID, const char* name, short targetVRefNum,
                       SInt32 targetDirID, const char* newName) {
  if (name == nullptr) return ReportNullPointer("Sp_CopyFileOrDir");
  Str255 itemName, copyName;
  if (!Sp_CopyCStringToPascalName(name, itemName)) return bdNamErr;
  bool renamed = newName != nullptr && newName[0] != '\0';
  if (renamed && !Sp_CopyCStringToPascalName(newName, copyName)) return bdNamErr;
  HParamBlockRec pb;
  std::memset(&pb, 0, sizeof pb);
  pb.copyParam.ioNamePtr = itemName;
  pb.copyParam.ioVRefNum = vRefNum;
  pb.copyParam.ioDirID = dirID;
  pb.copyParam.ioDstVRefNum = targetVRefNum;
  pb.copyParam.ioNewDirID = targetDirID;
  pb.copyParam.ioNewName = nullptr;
  pb.copyParam.ioCopyName = renamed ? copyName : nullptr;
  OSErr err = PBHCopyFileSync(&pb);
  FlushVol(nullptr, vRefNum);
  if (targetVRefNum != vRefNum) FlushVol(nullptr, targetVRefNum);
  return err;
}

OSErr Sp_DisappearFile(const char* fullPath) {
  // Failures are answered without a record: hiding a file is a courtesy the caller may skip.
  if (fullPath == nullptr || fullPath[0] == '\0') return paramErr;
  short vRefNum = 0;
  SInt32 dirID = 0;
  std::string name(std::strlen(fullPath) + 1, '\0');
  OSErr err = Sp_GetFileInfoFromFullPathName(fullPath, &vRefNum, &dirID, &name[0]);
  if (err != noErr) return err;
  Str255 fileName;
  if (!Sp_CopyCStringToPascalName(name.c_str(), fileName)) return bdNamErr;
  FInfo info;
  err = HGetFInfo(vRefNum, dirID, fileName, &info);
  if (err != noErr) return err;
  info.fdFlags |= kIsInvisible;
  err = HSetFInfo(vRefNum, dirID, fileName, &info);
  if (err != noErr) return err;
  return FlushVol(nullptr, vRefNum);
}

OSErr Sp_FlushOpenFile(short refNum) {
  ParamBlockRec pb;
  std::memset(&pb, 0, sizeof pb);
  pb.ioParam.ioRefNum = refNum;
  return PBFlushFileSync(&pb);
}

// ---- The Trash -----------------------------------------------------------------------------

OSErr Sp_MoveFileOrDirIntoTrash(short vRefNum, SInt32 dirID, const char* name,
                                unsigned char renameFlag, const char* suffix) {
  if (name == nullptr || name[0] == '\0') {
    return SpReportFailure(kSource, "Sp_MoveFileOrDirIntoTrash", 1, kMsgRequiredArgumentNull,
                           OSErr(paramErr));
  }
  if (IsLongName(name)) {
    FSRef item;
    OSErr err =
        Sp_GetFSRefFromDirectoryIdAndLongFileName(vRefNum, dirID, name, kNameEncoding, &item);
    if (err != noErr) return err;
    return Sp_MoveFileOrDirIntoTrashByFSRef(&item, renameFlag, suffix);
  }
  // Nothing in the Trash is touched for an item that is not there to take its place.
  ItemFacts facts;
  OSErr err = LookUpItem(vRefNum, dirID, name, &facts);
  if (err != noErr) return err;
  SInt32 trashDirID = 0;
  short trashVRefNum = 0;
  err = Sp_FindSystemFolderByDirId(vRefNum, kTrashFolderType, &trashDirID, &trashVRefNum);
  if (err != noErr) return err;

  if (Sp_ExsitTargetDirectory(trashVRefNum, trashDirID, name)) {
    if (renameFlag) {
      err = RenameClassicTrashItemAside(trashVRefNum, trashDirID, name, suffix);
      if (err != noErr) {
        return SpReportFailure(kSource, "Sp_MoveFileOrDirIntoTrash", 2, kMsgRenameError, err);
      }
    } else {
      // The older item goes for good, and completely, before the new one takes its name.
      FSRef existing;
      err = Sp_GetFSRefFromDirectoryIdAndLongFileName(trashVRefNum, trashDirID, name, kNameEncoding,
                                                      &existing);
      if (err == noErr) err = DeleteTree(&existing);
      if (err != noErr) return err;
      FlushVol(nullptr, trashVRefNum);
    }
  }
  return Sp_MoveFileOrDir(vRefNum, dirID, name, trashDirID, nullptr);
}

OSErr Sp_MoveFileOrDirIntoTargetFolderFromTrash(const char* name, short vRefNum,
                                                SInt32 targetDirID) {
  if (name == nullptr || name[0] == '\0') {
    return SpReportFailure(kSource, "Sp_MoveFileOrDirIntoTargetFolderFromTrash", 1,
                           kMsgRequiredArgumentNull, OSErr(paramErr));
  }
  SInt32 trashDirID = 0;
  short trashVRefNum = 0;
  OSErr err = Sp_FindSystemFolderByDirId(vRefNum, kTrashFolderType, &trashDirID, &trashVRefNum);
  if (err != noErr) return err;
  if (!Sp_ExsitTargetDirectory(trashVRefNum, trashDirID, name)) return fidNotFound;
  if (Sp_ExsitTargetDirectory(vRefNum, targetDirID, name)) return fidExists;
  return Sp_MoveFileOrDir(trashVRefNum, trashDirID, name, targetDirID, nullptr);
}

// ---- System folders and volumes ------------------------------------------------------------

OSErr Sp_FindSystemFolderByDirId(short vRefNum, UInt32 folderType, SInt32* dirID,
                                 short* foundVRefNum) {
  short foundVolume = 0;
  SInt32 foundDirID = 0;
  OSErr err = FindFolder(vRefNum, folderType, kCreateFolder, &foundVolume, &foundDirID);
  if (err != noErr) return err;
  if (dirID != nullptr) *dirID = foundDirID;
  if (foundVRefNum != nullptr) *foundVRefNum = foundVolume;
  return noErr;
}

Boolean Sp_FindSystemFolder(short vRefNum, UInt32 folderType, char* outPath) {
  if (outPath == nullptr) {
    return SpReportFailure(kSource, "Sp_FindSystemFolder", 1, kSpMsgPointerArg, Boolean(0));
  }
  outPath[0] = '\0';
  short foundVolume = 0;
  SInt32 foundDirID = 0;
  if (FindFolder(vRefNum, folderType, kCreateFolder, &foundVolume, &foundDirID) != noErr) {
    return 0;
  }
  Sp_DirFullPathNameFromDirID(foundDirID, foundVolume, outPath);
  return outPath[0] != '\0' ? 1 : 0;
}

OSErr Sp_GetVolumeFreeAreaSize(short vRefNum, UInt64& freeBytes) {
  HParamBlockRec pb;
  std::memset(&pb, 0, sizeof pb);
  pb.volumeParam.ioVRefNum = vRefNum;
  pb.volumeParam.ioVolIndex = 0;
  OSErr err = PBHGetVInfoSync(&pb);
  if (err != noErr) return err;
  XVolumeParam xpb;
  std::memset(&xpb, 0, sizeof xpb);
  xpb.ioVRefNum = pb.volumeParam.ioVRefNum;
  xpb.ioVolIndex = 0;
  err = PBXGetVolInfoSync(&xpb);
  if (err == noErr) freeBytes = xpb.ioVFreeBytes;
  return err;
}

// The check reports its internal failures (code = the step that failed) and returns them;
// showing them to the user is the caller's: this runs inside the save flow, where a modal
// alert of its own would stand in the way of the caller's dialogs.
OSErr Sp_CheckVolumeTargetAreaSize(short vRefNum, SInt32 dirID, UInt64 size) {
  // Step 1: a name nothing in the folder has.
  std::string name = kSpaceTestName;
  for (int number = 1; Sp_ExsitTargetDirectory(vRefNum, dirID, name.c_str()); ++number) {
    if (number > kMaxSpaceTestNumber) {
      return SpReportFailure(kSource, "Sp_CheckVolumeTargetAreaSize", 10, kMsgError,
                             OSErr(paramErr));
    }
    name = std::string(kSpaceTestName) + std::to_string(number);
  }
  // Step 2: the scratch file.
  OSErr err =
      Sp_CreateFileByDirId(vRefNum, dirID, name.c_str(), kSpaceTestCreator, kSpaceTestType, 0, 0);
  if (err != noErr) {
    // Made but not finished (its Finder information or the flush failed): it still goes.
    // A name taken meanwhile by someone else is theirs and stays.
    if (err != dupFNErr && Sp_ExsitTargetFile(vRefNum, dirID, name.c_str())) {
      Sp_DeleteFileDirByDirId(vRefNum, dirID, name.c_str(), 0);
    }
    return SpReportFailure(kSource, "Sp_CheckVolumeTargetAreaSize", 13, kMsgError, err);
  }
  // Steps 3 and 4: its data fork, open for reading and writing. A failure here still removes
  // the scratch file: the check must never leave one behind.
  FSRef ref;
  err =
      Sp_GetFSRefFromDirectoryIdAndLongFileName(vRefNum, dirID, name.c_str(), kNameEncoding, &ref);
  if (err != noErr) {
    Sp_DeleteFileDirByDirId(vRefNum, dirID, name.c_str(), 0);
    return SpReportFailure(kSource, "Sp_CheckVolumeTargetAreaSize", 16, kMsgError, err);
  }
  HFSUniStr255 forkName;
  FSIORefNum forkRefNum = 0;
  err = FSGetDataForkName(&forkName);
  if (err == noErr)
    err = FSOpenFork(&ref, forkName.length, forkName.unicode, fsRdWrPerm, &forkRefNum);
  if (err != noErr) {
    Sp_DeleteFileDirByDirId(vRefNum, dirID, name.c_str(), 0);
    return SpReportFailure(kSource, "Sp_CheckVolumeTargetAreaSize", 0, kMsgError, err);
  }
  // Step 5: all of it or nothing.
  UInt64 allocated = 0;
  OSErr result =
      FSAllocateFork(forkRefNum, kFSAllocAllOrNothingMask, fsFromStart, 0, size, &allocated);
  if (result == noErr) {
    result = allocated >= size ? FSSetForkSize(forkRefNum, fsFromStart, static_cast<SInt64>(size))
                               : OSErr(dskFulErr);
  }
  // Step 6: the space is given back and the scratch file goes, whatever the answer.
  FSSetForkSize(forkRefNum, fsFromStart, 0);
  FSAllocateFork(forkRefNum, kFSAllocDefaultFlags, fsFromStart, 0, 10, nullptr);
  FSCloseFork(forkRefNum);
  Sp_DeleteFileDirByDirId(vRefNum, dirID, name.c_str(), 0);
  return result;
}
