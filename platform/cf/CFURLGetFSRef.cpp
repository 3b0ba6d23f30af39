// File URLs to FSRefs and back, through the file layer's catalogue.
#include <string>
#include <vector>

#include "files/CFURLFiles.h"
#include "files/internal/FileLocations.h"

Boolean CFURLGetFSRef(CFURLRef url, FSRef* fsRef) {
  if (url == nullptr || fsRef == nullptr) return false;
  // Paths are at most PATH_MAX bytes on Linux; a longer one names nothing openable.
  std::vector<UInt8> buffer(4096 + 1);
  if (!CFURLGetFileSystemRepresentation(url, true, buffer.data(), CFIndex(buffer.size()))) {
    return false;
  }
  sp_platform::files::Location item;
  if (sp_platform::files::LocatePath(reinterpret_cast<const char*>(buffer.data()), item) != noErr) {
    return false;
  }
  sp_platform::files::MakeFSRef(item, fsRef);
  return true;
}

CFURLRef CFURLCreateFromFSRef(CFAllocatorRef allocator, const FSRef* fsRef) {
  if (fsRef == nullptr) return nullptr;
  sp_platform::files::Location item;
  if (sp_platform::files::LocateRef(fsRef, item) != noErr) return nullptr;
  return CFURLCreateFromFileSystemRepresentation(allocator,
                                                 reinterpret_cast<const UInt8*>(item.path.data()),
                                                 CFIndex(item.path.size()), item.isFolder);
}
