// The File Manager's changes: create, delete, rename, move and copy, classic and FSRef forms.
//
// Every change tells the catalogue what moved or went (so ids follow their items) and the
// Trash module what happened inside a Trash (so its records stay in step).
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "detail/Catalog.h"
#include "detail/Completions.h"
#include "detail/Discs.h"
#include "detail/FilesInternal.h"
#include "detail/Trash.h"
#include "internal/FileSteps.h"
#include "internal/SideFiles.h"

using namespace sp_platform::files;

namespace {

// Modes of new items when the caller gives none (the umask applies) ...
constexpr mode_t kDefaultFileMode = 0666;
constexpr mode_t kDefaultFolderMode = 0777;
constexpr std::size_t kCopyBufferBytes = 256 * 1024;

// ... and when it gives permissions: data files never get execute bits.
bool RequestedMode(FSCatalogInfoBitmap which, const FSCatalogInfo* info, bool folder,
                   mode_t* mode) {
  if (info == nullptr || !(which & kFSCatInfoPermissions)) return false;
  FSPermissionInfo p;
  std::memcpy(&p, info->permissions, sizeof p);
  const mode_t given = mode_t(p.mode & 0777);
  if (given == 0) return false;  // a cleared record asks for nothing
  *mode = folder ? given : (given & 0666);
  return true;
}

OSErr MakeFile(const Location& item, const mode_t* explicitMode) {
  if (OSErr err = CheckWritable(item)) return err;
  const int fd = StepOpen(item.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                      explicitMode != nullptr ? *explicitMode : kDefaultFileMode);
  if (fd < 0) return OSErrFromErrnoAt(errno, item.path, Access::kWrite);
  if (explicitMode != nullptr) fchmod(fd, *explicitMode);
  close(fd);
  StampCreationDate(item.path);
  ForgetListing(ParentPath(item.path));
  return noErr;
}

OSErr MakeFolder(const Location& item, const mode_t* explicitMode) {
  if (OSErr err = CheckWritable(item)) return err;
  if (StepMkdir(item.path.c_str(), explicitMode != nullptr ? *explicitMode : kDefaultFolderMode) != 0) {
    return OSErrFromErrnoAt(errno, item.path, Access::kWrite);
  }
  if (explicitMode != nullptr) chmod(item.path.c_str(), *explicitMode);
  StampCreationDate(item.path);
  ForgetListing(ParentPath(item.path));
  return noErr;
}

// A classic name for a new item: located, and not there yet.
OSErr LocateNew(SInt16 vRefNum, SInt32 dirID, const unsigned char* name, Location& item) {
  if (name == nullptr || name[0] == 0) return bdNamErr;
  OSErr err = LocateClassic(vRefNum, dirID, name, item);
  if (err == noErr) return dupFNErr;
  return err;  // fnfErr: free to make
}

// rename(2) that never replaces what is at `to`.
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (StepRenameNoReplace(from.c_str(), to.c_str()) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return -1;
  // A file system without the flag: the check and the rename are not one step, which is
  // as close as it allows.
  struct stat st {};
  if (lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    return -1;
  }
  return StepRename(from.c_str(), to.c_str());
}

OSErr MoveItem(const Location& item, const std::string& to) {
  if (item.nodeID == UInt32(fsRtDirID)) return badMovErr;
  if (to == item.path) return noErr;
  if (PathIsInside(to, item.path)) return badMovErr;  // a folder into itself
  if (OSErr err = CheckWritable(item)) return err;
  // Into a Trash the item may take another name than its own (see detail/Trash.h).
  std::string dest = to;
  OSErr err = TrashWillMove(item.path, dest);
  if (err != noErr) return err;
  if (RenameNoReplace(item.path, dest) != 0) {
    const int e = errno;
    TrashMoveFailed(item.path, dest);
    if (e == EINVAL) return badMovErr;
    return OSErrFromErrnoAt(e, dest, Access::kWrite);
  }
  NoteMoved(item.path, dest);
  // The item is where the caller wanted it; a Trash record that could not be moved along
  // does not undo that, so it is not reported as the move's failure.
  TrashDidMove(item.path, dest);
  return noErr;
}

OSErr RenameItem(const Location& item, const std::string& newName) {
  if (item.nodeID == UInt32(fsRtDirID)) return paramErr;  // volumes keep their mount names
  return MoveItem(item, JoinPath(ParentPath(item.path), newName));
}

OSErr DeleteItem(const Location& item) {
  if (item.nodeID == UInt32(fsRtDirID)) return fBsyErr;
  if (OSErr err = CheckWritable(item)) return err;
  if (item.isFolder && !item.isLink) {  // a link goes as a link, never its folder
    if (StepRmdir(item.path.c_str()) != 0) {
      const int e = errno;
      return e == ENOTEMPTY || e == EEXIST ? OSErr(fBsyErr) : OSErrFromErrno(e, Access::kWrite);
    }
  } else if (StepUnlink(item.path.c_str()) != 0) {
    return OSErrFromErrno(errno, Access::kWrite);
  }
  NoteDeleted(item.path);
  TrashDidDelete(item.path);
  return noErr;
}

OSErr DeleteClassic(SInt16 vRefNum, SInt32 dirID, const unsigned char* name) {
  Location item;
  OSErr err = LocateClassic(vRefNum, dirID, name, item);
  if (err != noErr) return err;
  return DeleteItem(item);
}

OSErr LocateDestinationFolder(SInt16 vRefNum, SInt32 dirID, const unsigned char* name,
                              Location& folder) {
  OSErr err = LocateClassic(vRefNum, dirID, name, folder);
  if (err == fnfErr || (err == noErr && !folder.isFolder)) return dirNFErr;
  return err;
}

// Moves a classic item into a classic folder, keeping its name; both on one volume.
OSErr MoveClassic(SInt16 vRefNum, SInt32 dirID, const unsigned char* name, SInt16 destVRefNum,
                  SInt32 destDirID, const unsigned char* destName) {
  Location item;
  OSErr err = LocateClassic(vRefNum, dirID, name, item);
  if (err != noErr) return err;
  Location folder;
  err = LocateDestinationFolder(destVRefNum, destDirID, destName, folder);
  if (err != noErr) return err;
  if (folder.vRefNum != item.vRefNum) return badMovErr;
  return MoveItem(item, JoinPath(PathInside(folder), BaseName(item.path)));
}

// The FSRef of an item that was renamed or moved, found again by its id; left as it is when
// the item cannot be found.
void RefOfMoved(const Location& item, FSRef* newRef) {
  if (newRef == nullptr) return;
  Location moved;
  if (LocateNode(item.vRefNum, item.nodeID, moved) == noErr) MakeFSRef(moved, newRef);
}

void CopyExtendedAttributes(int from, int to) {
  const ssize_t size = flistxattr(from, nullptr, 0);
  if (size <= 0) return;
  std::vector<char> names(std::size_t(size) + 1, '\0');
  const ssize_t got = flistxattr(from, names.data(), names.size() - 1);
  if (got <= 0) return;
  for (std::size_t i = 0; i < std::size_t(got); i += std::strlen(names.data() + i) + 1) {
    const char* name = names.data() + i;
    if (std::strncmp(name, "user.", 5) != 0) continue;
    const ssize_t length = fgetxattr(from, name, nullptr, 0);
    if (length < 0) continue;
    std::vector<char> value(std::size_t(length) + 1);
    const ssize_t n = fgetxattr(from, name, value.data(), value.size());
    if (n >= 0) fsetxattr(to, name, value.data(), std::size_t(n), 0);
  }
}

}  // namespace

// Data, extended attributes (Finder information among them), mode, modification and
// creation dates: a copy looks like its original.
OSErr sp_platform::files::CopyFile(const Location& source, const std::string& target,
                                   const std::function<void()>& made) {
  const int in = open(source.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return OSErrFromErrno(errno);
  const int out =
      StepOpen(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, source.st.st_mode & 0777);
  if (out < 0) {
    const int e = errno;
    close(in);
    return OSErrFromErrnoAt(e, target, Access::kWrite);
  }
  if (made) made();
  OSErr err = noErr;
  std::vector<char> buffer(kCopyBufferBytes);
  // A track of an audio CD is copied from the disc, not from its stand-in file.
  const bool disc = IsDiscTrackFile(source.st.st_dev, source.st.st_ino);
  UInt64 copied = 0;
  for (;;) {
    const ssize_t n = disc ? ssize_t(ReadDiscTrackAt(source.st.st_dev, source.st.st_ino, copied,
                                                     buffer.data(), buffer.size()))
                           : read(in, buffer.data(), buffer.size());
    if (disc && n < 0) {
      err = ioErr;
      break;
    }
    copied += n > 0 ? UInt64(n) : 0;
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      err = OSErrFromErrno(errno);
      break;
    }
    if (const int w = WriteAllBytes(out, buffer.data(), std::size_t(n))) {
      err = OSErrFromErrno(w, Access::kWrite);
      break;
    }
  }
  if (err == noErr) {
    CopyExtendedAttributes(in, out);
    const timespec times[2] = {{0, UTIME_OMIT}, source.st.st_mtim};
    futimens(out, times);
    // A copy may be all that is left of its original soon after (the old version of a file
    // replaced on a volume without links): it reaches the disk before anything relies on it.
    if (StepSync(out, target.c_str()) != 0) err = OSErrFromErrno(errno, Access::kWrite);
  }
  close(in);
  // Some file systems (network ones) report a delayed write error only at the close: the copy
  // is then not whole, and it goes like any other failed copy.
  if (close(out) != 0 && errno != EINTR && err == noErr) {
    err = OSErrFromErrno(errno, Access::kWrite);
  }
  if (err != noErr) {
    StepUnlink(target.c_str());
    return err;
  }
  // The copy keeps the original's creation date wherever that came from.
  StampCreationDate(target, CreationDateUTC(source.path, source.st));
  ForgetListing(ParentPath(target));
  return noErr;
}

namespace {

OSErr CreateUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                    FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo, bool folder,
                    FSRef* newRef, FSSpec* newSpec, UInt32* newDirID) {
  if (parentRef == nullptr || (name == nullptr && nameLength != 0)) return paramErr;
  Location parent;
  OSErr err = LocateRef(parentRef, parent);
  if (err != noErr) return err;
  if (!parent.isFolder) return errFSNotAFolder;
  Location item;
  err = LocateUnicodeInFolder(parent, name, nameLength, item);
  if (err == noErr) return dupFNErr;
  if (err != fnfErr) return err;
  mode_t mode = 0;
  const bool explicitMode = RequestedMode(whichInfo, catalogInfo, folder, &mode);
  err = folder ? MakeFolder(item, explicitMode ? &mode : nullptr)
               : MakeFile(item, explicitMode ? &mode : nullptr);
  if (err != noErr) return err;
  Refresh(item);
  if (catalogInfo != nullptr) {
    ApplyCatalogInfo(item, whichInfo & ~kFSCatInfoPermissions, *catalogInfo);
    Refresh(item);
  }
  if (newRef != nullptr) MakeFSRef(item, newRef);
  if (newSpec != nullptr) MakeFSSpec(item, newSpec);
  if (newDirID != nullptr) *newDirID = item.nodeID;
  return noErr;
}

}  // namespace

// ---- Create ---------------------------------------------------------------------------------

OSErr PBHCreateSync(HParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  HFileParam& f = pb->fileParam;
  Location item;
  OSErr err = LocateNew(f.ioVRefNum, f.ioDirID, f.ioNamePtr, item);
  if (err == fnfErr) err = MakeFile(item, nullptr);
  f.ioResult = err;
  return err;
}

OSErr HCreate(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, OSType creator,
              OSType fileType) {
  Location item;
  OSErr err = LocateNew(vRefNum, dirID, fileName, item);
  if (err != fnfErr) return err;
  err = MakeFile(item, nullptr);
  if (err != noErr) return err;
  UInt8 raw[32] = {};
  EncodeFInfo(FInfo{fileType, creator, 0, {0, 0}, 0}, raw);
  return WriteFinderInfo(item.path, raw);
}

OSErr FSpCreate(const FSSpec* spec, OSType creator, OSType fileType, ScriptCode) {
  if (OSErr err = CheckFSSpec(spec)) return err;
  return HCreate(spec->vRefNum, spec->parID, spec->name, creator, fileType);
}

OSErr PBDirCreateSync(HParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  HFileParam& f = pb->fileParam;
  Location item;
  OSErr err = LocateNew(f.ioVRefNum, f.ioDirID, f.ioNamePtr, item);
  if (err == fnfErr) err = MakeFolder(item, nullptr);
  if (err == noErr) {
    Refresh(item);
    f.ioDirID = SInt32(item.nodeID);
  }
  f.ioResult = err;
  return err;
}

OSErr DirCreate(SInt16 vRefNum, SInt32 parentDirID, ConstStr255Param directoryName,
                SInt32* createdDirID) {
  HParamBlockRec pb{};
  pb.fileParam.ioVRefNum = vRefNum;
  pb.fileParam.ioDirID = parentDirID;
  pb.fileParam.ioNamePtr = const_cast<StringPtr>(directoryName);
  OSErr err = PBDirCreateSync(&pb);
  if (err == noErr && createdDirID != nullptr) *createdDirID = pb.fileParam.ioDirID;
  return err;
}

OSErr FSpDirCreate(const FSSpec* spec, ScriptCode, SInt32* createdDirID) {
  if (OSErr err = CheckFSSpec(spec)) return err;
  return DirCreate(spec->vRefNum, spec->parID, spec->name, createdDirID);
}

OSErr FSCreateFileUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                          FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo,
                          FSRef* newRef, FSSpec* newSpec) {
  return CreateUnicode(parentRef, nameLength, name, whichInfo, catalogInfo, false, newRef, newSpec,
                       nullptr);
}

OSErr FSCreateDirectoryUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                               FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo,
                               FSRef* newRef, FSSpec* newSpec, UInt32* newDirID) {
  return CreateUnicode(parentRef, nameLength, name, whichInfo, catalogInfo, true, newRef, newSpec,
                       newDirID);
}

// ---- Delete ---------------------------------------------------------------------------------

OSErr PBHDeleteSync(HParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  OSErr err =
      DeleteClassic(pb->fileParam.ioVRefNum, pb->fileParam.ioDirID, pb->fileParam.ioNamePtr);
  pb->fileParam.ioResult = err;
  return err;
}

OSErr PBHDeleteAsync(HParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  const OSErr err =
      DeleteClassic(pb->fileParam.ioVRefNum, pb->fileParam.ioDirID, pb->fileParam.ioNamePtr);
  const IOCompletionUPP completion = pb->fileParam.ioCompletion;
  const Volume* volume = FindVolume(pb->fileParam.ioVRefNum);
  QueueFileCompletion(0, volume != nullptr ? volume->vRefNum : pb->fileParam.ioVRefNum,
                      &pb->fileParam.ioResult, err, [pb, completion] {
                        if (completion != nullptr) completion(reinterpret_cast<ParmBlkPtr>(pb));
                      });
  return noErr;
}

OSErr HDelete(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName) {
  return DeleteClassic(vRefNum, dirID, fileName);
}

OSErr FSpDelete(const FSSpec* spec) {
  if (OSErr err = CheckFSSpec(spec)) return err;
  return DeleteClassic(spec->vRefNum, spec->parID, spec->name);
}

OSErr FSDeleteObject(const FSRef* ref) {
  if (ref == nullptr) return paramErr;
  Location item;
  OSErr err = LocateRef(ref, item);
  if (err != noErr) return err;
  return DeleteItem(item);
}

// ---- Rename ---------------------------------------------------------------------------------

OSErr HRename(SInt16 vRefNum, SInt32 dirID, ConstStr255Param oldName, ConstStr255Param newName) {
  if (oldName == nullptr || newName == nullptr) return paramErr;
  Location item;
  OSErr err = LocateClassic(vRefNum, dirID, oldName, item);
  if (err != noErr) return err;
  std::string linuxName;
  if (!LinuxNameFromClassic(newName + 1, newName[0], linuxName)) return bdNamErr;
  return RenameItem(item, linuxName);
}

namespace {

// Renames the item at `path` within its folder to the classic name, in one step over a file
// or special item of that name (dupFNErr for a folder's).
OSErr RenameReplacing(const std::string& path, ConstStr255Param newName) {
  std::string linuxName;
  if (!LinuxNameFromClassic(newName + 1, newName[0], linuxName)) return bdNamErr;
  const std::string dest = JoinPath(ParentPath(path), linuxName);
  if (dest == path) return noErr;
  struct stat st {};
  const bool replaced = lstat(dest.c_str(), &st) == 0;
  if (replaced && S_ISDIR(st.st_mode)) return dupFNErr;
  if (StepRename(path.c_str(), dest.c_str()) != 0) {
    return OSErrFromErrnoAt(errno, dest, Access::kWrite);
  }
  if (replaced) NoteDeleted(dest);
  NoteMoved(path, dest);
  return noErr;
}

// The path of the FIFO, socket or device under the classic name in the folder: fnfErr when
// nothing or another kind of item is there.
OSErr LookAtSpecialItem(SInt16 vRefNum, SInt32 dirID, ConstStr255Param name, Location& folder,
                        std::string& path) {
  if (name == nullptr || name[0] == 0) return paramErr;
  std::string linuxName;
  if (!LinuxNameFromClassic(name + 1, name[0], linuxName)) return bdNamErr;
  OSErr err = LocateClassic(vRefNum, dirID, nullptr, folder);
  if (err != noErr) return err;
  if (!folder.isFolder) return dirNFErr;
  path = JoinPath(PathInside(folder), linuxName);
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return OSErrFromErrnoAt(errno, path);
  const bool special = !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode) && !S_ISLNK(st.st_mode);
  return special ? OSErr(noErr) : OSErr(fnfErr);
}

}  // namespace

OSErr HRenameReplacing(SInt16 vRefNum, SInt32 dirID, ConstStr255Param oldName,
                       ConstStr255Param newName) {
  if (oldName == nullptr || newName == nullptr) return paramErr;
  Location item;
  OSErr err = LocateClassic(vRefNum, dirID, oldName, item);
  if (err != noErr) return err;
  if (item.isFolder || item.nodeID == UInt32(fsRtDirID)) return notAFileErr;
  if (OSErr writable = CheckWritable(item)) return writable;
  return RenameReplacing(item.path, newName);
}

Boolean SpSpecialItemStandsAt(SInt16 vRefNum, SInt32 dirID, ConstStr255Param name) {
  Location folder;
  std::string path;
  return LookAtSpecialItem(vRefNum, dirID, name, folder, path) == noErr;
}

OSErr SpRenameSpecialItem(SInt16 vRefNum, SInt32 dirID, ConstStr255Param oldName,
                          ConstStr255Param newName) {
  if (newName == nullptr || newName[0] == 0) return paramErr;
  Location folder;
  std::string path;
  OSErr err = LookAtSpecialItem(vRefNum, dirID, oldName, folder, path);
  if (err != noErr) return err;
  if (OSErr writable = CheckWritable(folder)) return writable;
  return RenameReplacing(path, newName);
}

OSErr FSpRename(const FSSpec* spec, ConstStr255Param newName) {
  if (OSErr err = CheckFSSpec(spec)) return err;
  return HRename(spec->vRefNum, spec->parID, spec->name, newName);
}

OSErr FSRenameUnicode(const FSRef* ref, UniCharCount nameLength, const UniChar* name, TextEncoding,
                      FSRef* newRef) {
  if (ref == nullptr || (name == nullptr && nameLength != 0)) return paramErr;
  Location item;
  OSErr err = LocateRef(ref, item);
  if (err != noErr) return err;
  std::string linuxName;
  if (!LinuxNameFromUnicode(name, nameLength, linuxName)) return bdNamErr;
  err = RenameItem(item, linuxName);
  if (err != noErr) return err;
  RefOfMoved(item, newRef);
  return noErr;
}

// ---- Move -----------------------------------------------------------------------------------

OSErr PBCatMoveSync(CMovePBPtr pb) {
  if (pb == nullptr) return paramErr;
  OSErr err = CatMove(pb->ioVRefNum, pb->ioDirID, pb->ioNamePtr, pb->ioNewDirID, pb->ioNewName);
  pb->ioResult = err;
  return err;
}

OSErr CatMove(SInt16 vRefNum, SInt32 dirID, ConstStr255Param oldName, SInt32 newDirID,
              ConstStr255Param newName) {
  return MoveClassic(vRefNum, dirID, oldName, vRefNum, newDirID, newName);
}

OSErr FSpCatMove(const FSSpec* source, const FSSpec* dest) {
  if (dest == nullptr) return paramErr;
  if (OSErr err = CheckFSSpec(source)) return err;
  if (OSErr err = CheckFSSpec(dest)) return err;
  return MoveClassic(source->vRefNum, source->parID, source->name, dest->vRefNum, dest->parID,
                     dest->name);
}

OSErr FSMoveObject(const FSRef* ref, const FSRef* destDirectory, FSRef* newRef) {
  if (ref == nullptr || destDirectory == nullptr) return paramErr;
  Location item;
  OSErr err = LocateRef(ref, item);
  if (err != noErr) return err;
  Location folder;
  err = LocateRef(destDirectory, folder);
  if (err != noErr) return err;
  if (!folder.isFolder) return errFSNotAFolder;
  if (folder.vRefNum != item.vRefNum) return badMovErr;
  err = MoveItem(item, JoinPath(PathInside(folder), BaseName(item.path)));
  if (err != noErr) return err;
  RefOfMoved(item, newRef);
  return noErr;
}

// ---- Copy -----------------------------------------------------------------------------------

OSErr PBHCopyFileSync(HParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  CopyParam& c = pb->copyParam;
  Location source;
  OSErr err = LocateClassic(c.ioVRefNum, c.ioDirID, c.ioNamePtr, source);
  if (err == noErr && source.isFolder) err = notAFileErr;
  Location folder;
  if (err == noErr)
    err = LocateDestinationFolder(c.ioDstVRefNum, c.ioNewDirID, c.ioNewName, folder);
  std::string name = source.name;
  if (err == noErr && c.ioCopyName != nullptr && c.ioCopyName[0] != 0 &&
      !LinuxNameFromClassic(c.ioCopyName + 1, c.ioCopyName[0], name)) {
    err = bdNamErr;
  }
  if (err == noErr) err = CheckWritable(folder);
  if (err == noErr) err = CopyFile(source, JoinPath(PathInside(folder), name));
  c.ioResult = err;
  return err;
}

// ---- Side files -----------------------------------------------------------------------------

namespace {

// The folder and the Linux forms of a side file's prefix and suffix.
OSErr LocateSideFiles(SInt16 vRefNum, SInt32 dirID, ConstStr255Param prefix,
                      ConstStr255Param suffix, Location& folder, std::string& linuxPrefix,
                      std::string& linuxSuffix) {
  if (prefix == nullptr || suffix == nullptr) return paramErr;
  if (!LinuxNameFromClassic(prefix + 1, prefix[0], linuxPrefix)) return bdNamErr;
  if (suffix[0] != 0 && !LinuxNameFromClassic(suffix + 1, suffix[0], linuxSuffix)) {
    return bdNamErr;
  }
  OSErr err = LocateClassic(vRefNum, dirID, nullptr, folder);
  if (err != noErr) return err;
  return folder.isFolder ? OSErr(noErr) : OSErr(dirNFErr);
}

}  // namespace

void SpNewSideFileTag(char* tag) {
  if (tag == nullptr) return;
  const std::string text = NewSideFileTag();
  const std::size_t length = std::min<std::size_t>(text.size(), kSpSideFileTagSize - 1);
  std::memcpy(tag, text.data(), length);
  tag[length] = '\0';
}

OSErr SpGetEndedSideFileTags(SInt16 vRefNum, SInt32 dirID, ConstStr255Param prefix,
                             ConstStr255Param suffix, std::vector<std::string>* tags) {
  if (tags == nullptr) return paramErr;
  tags->clear();
  Location folder;
  std::string linuxPrefix, linuxSuffix;
  OSErr err = LocateSideFiles(vRefNum, dirID, prefix, suffix, folder, linuxPrefix, linuxSuffix);
  if (err != noErr) return err;
  for (const std::string& name : EndedSideFiles(PathInside(folder), linuxPrefix, linuxSuffix)) {
    tags->push_back(
        name.substr(linuxPrefix.size(), name.size() - linuxPrefix.size() - linuxSuffix.size()));
  }
  return noErr;
}

OSErr SpDeleteEndedSideFiles(SInt16 vRefNum, SInt32 dirID, ConstStr255Param prefix,
                             ConstStr255Param suffix) {
  Location folder;
  std::string linuxPrefix, linuxSuffix;
  OSErr result = LocateSideFiles(vRefNum, dirID, prefix, suffix, folder, linuxPrefix, linuxSuffix);
  if (result != noErr) return result;
  for (const std::string& name : EndedSideFiles(PathInside(folder), linuxPrefix, linuxSuffix)) {
    Location item;
    OSErr err = LocateInFolder(folder, name, item);
    if (err == noErr) err = DeleteItem(item);
    if (err != noErr && err != fnfErr && result == noErr) result = err;
  }
  return result;
}

struct SpFileReplacement {
  SideFileReplacement side;
  std::string path;
  std::string folder;
  bool replaced = false;
  OSErr failure = noErr;  // of a write: the replacement can then only go
  bool hasInfo = false;
  UInt8 info[32] = {};
};

OSErr SpBeginFileReplacement(SInt16 vRefNum, SInt32 dirID, ConstStr255Param name,
                             ConstStr255Param prefix, ConstStr255Param suffix,
                             const FInfo* finderInfo, SpFileReplacement** out) {
  if (out == nullptr) return paramErr;
  *out = nullptr;
  if (name == nullptr) return paramErr;
  Location folder;
  std::string linuxPrefix, linuxSuffix, linuxName;
  OSErr err = LocateSideFiles(vRefNum, dirID, prefix, suffix, folder, linuxPrefix, linuxSuffix);
  if (err != noErr) return err;
  if (name[0] == 0 || !LinuxNameFromClassic(name + 1, name[0], linuxName)) return bdNamErr;
  if ((err = CheckWritable(folder)) != noErr) return err;
  // What writers killed in the middle of a save left goes first, so it does not pile up.
  SpDeleteEndedSideFiles(vRefNum, dirID, prefix, suffix);
  std::unique_ptr<SpFileReplacement> r(new (std::nothrow) SpFileReplacement);
  if (r == nullptr) return memFullErr;
  r->folder = PathInside(folder);
  r->path = JoinPath(r->folder, linuxName);
  struct stat st {};
  r->replaced = lstat(r->path.c_str(), &st) == 0;
  if (r->replaced && S_ISDIR(st.st_mode)) return notAFileErr;
  if (finderInfo != nullptr) {
    EncodeFInfo(*finderInfo, r->info);
    r->hasInfo = true;
  }
  const int e = r->side.Open(r->path, linuxPrefix, linuxSuffix, kDefaultFileMode);
  if (e != 0) return OSErrFromErrnoAt(e, r->path, Access::kWrite);
  *out = r.release();
  return noErr;
}

OSErr SpWriteFileReplacement(SpFileReplacement* r, const void* bytes, ByteCount size) {
  if (r == nullptr || (bytes == nullptr && size > 0)) return paramErr;
  if (r->failure != noErr) return r->failure;
  const int e = r->side.Write(bytes, size);
  if (e == 0) return noErr;
  r->failure = OSErrFromErrnoAt(e, r->path, Access::kWrite);
  return r->failure;
}

OSErr SpEndFileReplacement(SpFileReplacement* r, Boolean keep) {
  if (r == nullptr) return paramErr;
  std::unique_ptr<SpFileReplacement> owned(r);
  if (!keep) return noErr;
  if (r->failure != noErr) return r->failure;
  StampCreationDate(r->side.Side());
  if (r->hasInfo) {
    const OSErr infoErr = WriteFinderInfo(r->side.Side(), r->info);
    if (infoErr != noErr) return infoErr;
  }
  const int e = r->side.Commit();
  if (e != 0) return OSErrFromErrnoAt(e, r->path, Access::kWrite);
  if (r->replaced) NoteDeleted(r->path);
  ForgetListing(r->folder);
  return noErr;
}

OSErr SpReplaceFileContents(SInt16 vRefNum, SInt32 dirID, ConstStr255Param name,
                            ConstStr255Param prefix, ConstStr255Param suffix,
                            const FInfo* finderInfo, const void* bytes, ByteCount size) {
  if (name == nullptr || (bytes == nullptr && size > 0)) return paramErr;
  SpFileReplacement* r = nullptr;
  OSErr err = SpBeginFileReplacement(vRefNum, dirID, name, prefix, suffix, finderInfo, &r);
  if (err != noErr) return err;
  err = SpWriteFileReplacement(r, bytes, size);
  const OSErr ended = SpEndFileReplacement(r, err == noErr);
  return err != noErr ? err : ended;
}
