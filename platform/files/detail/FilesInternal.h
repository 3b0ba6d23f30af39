// Helpers shared by the catalogue's own source files (volumes, catalogue, calls, changes).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Catalog.h"

namespace sp_platform {
namespace files {

// Volumes.cpp: forgets the volume table (it is built again on next use, reading $HOME anew).
void ForgetVolumes();
// Every volume in the table, in listing order (no refresh of emulated volumes).
std::vector<const Volume*> AllVolumes();

// The volume a classic (MacJapanese) volume name names: its Linux name, or the stand-in a
// long volume name is shown as. Null when none.
const Volume* VolumeOfClassicName(const std::string& classic);

// Catalog.cpp: the items of a folder (regular files and folders, others left out) sorted by
// the bytes of their Linux names. Read again when the folder has changed since; null when
// the folder cannot be read.
std::shared_ptr<const std::vector<std::string>> FolderListing(const Location& folder);
// Drops the cached listing of a folder after a change made through the layer.
void ForgetListing(const std::string& folderPath);

// wPrErr when the item lies on a volume that is read-only (an emulated audio CD, a read-only
// mount), else noErr.
OSErr CheckWritable(const Location& item);

// Path helpers.
std::string ParentPath(const std::string& path);
std::string BaseName(const std::string& path);
std::string JoinPath(const std::string& folder, const std::string& name);
// True when `path` is `folder` or lies inside it.
bool PathIsInside(const std::string& path, const std::string& folder);

// A length-prefixed name's bytes (null for a null name).
inline std::string PascalBytes(const unsigned char* name) {
  return name == nullptr ? std::string()
                         : std::string(reinterpret_cast<const char*>(name + 1), name[0]);
}
// Copies bytes into a length-prefixed buffer holding at most `limit` bytes.
void CopyToPascal(const std::string& bytes, unsigned char* out, std::size_t limit);

// CatalogCalls.cpp: the fields of `which` for the item.
void FillCatalogInfo(const Location& item, FSCatalogInfoBitmap which, FSCatalogInfo* info);
// Writes the dates, permissions and Finder information of `which` (zero dates are taken as
// not given; regular files get no execute bits they did not have).
OSErr ApplyCatalogInfo(const Location& item, FSCatalogInfoBitmap which, const FSCatalogInfo& info);
// Finder records to and from their big-endian bytes.
void DecodeFInfo(const UInt8* bytes, FInfo* out);
void EncodeFInfo(const FInfo& in, UInt8* bytes);

// FileChanges.cpp: copies a file (data, extended attributes, mode and dates) to `target`,
// made anew, never over what is there, and synced before it is closed; nothing is left there
// when the copy fails. `made`, when given, is called as soon as `target` exists.
OSErr CopyFile(const Location& source, const std::string& target,
               const std::function<void()>& made = nullptr);

// FNV-1a of a volume's root path, kept in FSRefs so that one made before a restart finds
// its volume even when the mounts were numbered differently.
UInt32 VolumeKey(const std::string& mountPoint);

}  // namespace files
}  // namespace sp_platform
