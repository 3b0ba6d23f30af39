// What the other areas of the layer use of the file layer's identity model: an item located
// from the names the calls take (classic name, FSRef, path), errno mapped to OSErr, and the
// Finder information and creation date a rewritten file keeps. Resources, movies, the main
// bundle's URLs and the Process Manager use it. Not for the program's own code.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>

#include "Files.h"
#include "MacTypes.h"

namespace sp_platform {
namespace files {

// ---- Errors ---------------------------------------------------------------------------------

enum class Access { kRead, kWrite };

// ENOENT fnfErr, ENOTDIR dirNFErr, EEXIST dupFNErr, EACCES/EPERM permErr (wrPermErr when
// writing), EROFS wPrErr, ENOSPC/EDQUOT dskFulErr, ENOTEMPTY/EBUSY fBsyErr, ENAMETOOLONG
// bdNamErr, EXDEV badMovErr, EMFILE/ENFILE tmfoErr, anything else ioErr.
OSErr OSErrFromErrno(int err, Access access = Access::kRead);
// The same, but an ENOENT whose folder is missing too gives dirNFErr (a missing folder on
// the way rather than a missing item).
OSErr OSErrFromErrnoAt(int err, const std::string& path, Access access = Access::kRead);

// ---- Locations ------------------------------------------------------------------------------

// One file or folder, existing or about to be made.
struct Location {
  SInt16 vRefNum = 0;
  std::string path;     // absolute path (the item need not exist)
  std::string name;     // its Linux name (UTF-8); the volume's name for a root folder
  UInt32 parentID = 0;  // the folder holding it; fsRtParID for a root folder
  UInt32 nodeID = 0;    // its id; 0 while it does not exist
  bool exists = false;
  bool isFolder = false;  // a folder, or a symbolic link to one
  // A symbolic link: an item of its own (changes act on the link itself) that shows its
  // target's kind and data; one that leads nowhere is a file whose data cannot be opened.
  bool isLink = false;
  struct stat st {};  // valid when it exists (stat, links followed; a dangling link's own)
};

// (vRefNum, dirID, classic name) as the classic calls take it: a simple name in the folder,
// a partial path (":Folder:File") from the folder, or a full path ("Volume:Folder:File") that
// ignores vRefNum and dirID. dirID 0 is the volume's root; a null or empty name is the
// folder itself. Names are MacJapanese ('/' stands for ':' of the Linux name); a stand-in
// name finds its item. Answers noErr when the item exists; fnfErr when it does not but its
// folder does (`out` then names the item to make); dirNFErr when the folder is missing;
// nsvErr for an unknown volume; bdNamErr for a name no Linux name can match.
OSErr LocateClassic(SInt16 vRefNum, SInt32 dirID, const unsigned char* name, Location& out);
// The item an FSRef designates: errFSBadFSRef for bytes that are no FSRef of this layer,
// nsvErr for a volume that is gone, fnfErr for an item that is gone.
OSErr LocateRef(const FSRef* ref, Location& out);
// The item at an absolute path (its volume and id); fnfErr when it does not exist but its
// folder does (`out` names it), dirNFErr when the folder is missing.
OSErr LocatePath(const std::string& path, Location& out);
// The item of a Linux name in a folder located before (noErr / fnfErr as LocatePath).
OSErr LocateInFolder(const Location& folder, const std::string& name, Location& out);
// The FSSpec of an existing item at an absolute path (dropped files, the executable).
OSErr FSSpecOfPath(const std::string& path, FSSpec* out);
// The same with the item's Finder information as FSpGetFInfo gives it (zeros for a folder),
// the item located once.
OSErr FSSpecAndFInfoOfPath(const std::string& path, FSSpec* spec, FInfo* info);

void MakeFSRef(const Location& location, FSRef* ref);

// ---- Names ----------------------------------------------------------------------------------

enum : std::size_t {
  kClassicNameLimit = 31,  // classic calls (Str31 names)
  kSpecNameLimit = 63,     // FSSpec names
  kVolumeNameLimit = 27,
};

// An FSSpec a call can use: paramErr for none, bdNamErr for a Str63 whose length byte says
// more than it holds.
inline OSErr CheckFSSpec(const FSSpec* spec) {
  if (spec == nullptr) return paramErr;
  return spec->name[0] > kSpecNameLimit ? OSErr(bdNamErr) : OSErr(noErr);
}

// A classic name (MacJapanese) as the user reads it on Linux, every '/' shown as the ':' it
// is on disk, and back. Byte for byte: neither byte is ever part of a two-byte character.
std::string ShownNameOfClassic(const std::string& classic);
std::string ClassicNameOfShown(const std::string& shown);

// True when the volume of this reference number is mounted read-only (false for an unknown
// number).
bool VolumeIsReadOnly(SInt16 vRefNum);

// ---- Finder information and dates ------------------------------------------------------------

// The 32 bytes of "user.finderinfo" (FInfo then FXInfo, or DInfo then DXInfo, big-endian);
// zeros when the item has none or the file system keeps no extended attributes.
void ReadFinderInfo(const std::string& path, UInt8 out[32]);
// noErr also where extended attributes are not supported (nothing is kept there).
OSErr WriteFinderInfo(const std::string& path, const UInt8 in[32]);

// Seconds since 1904 in UTC: the creation stamp ("user.creationdate"), else the birth time,
// else the modification time.
SInt64 CreationDateUTC(const std::string& path, const struct stat& st);
// Writes the creation stamp: the program's clock now, or the given UTC seconds since 1904.
void StampCreationDate(const std::string& path);
void StampCreationDate(const std::string& path, SInt64 utcSecondsSince1904);

}  // namespace files
}  // namespace sp_platform
