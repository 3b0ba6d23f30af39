// Classic resource files: the bytes as a data-fork resource file, opened read-only by the
// Resource Manager, every type (of the file, and of the chain below it) and every resource
// walked and loaded, and closed again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "CFURL.h"
#include "CFURLFiles.h"
#include "Files.h"
#include "FuzzHome.h"
#include "Resources.h"

namespace {

bool RefOf(const std::string& path, FSRef* ref) {
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      kCFAllocatorDefault, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()),
      false);
  if (url == nullptr) return false;
  const bool ok = CFURLGetFSRef(url, ref);
  CFRelease(url);
  return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& home = sp_fuzz::Home();
  if (home.empty()) return 0;
  const std::string path = home + "/input.rsrc";
  FSRef ref;
  if (!sp_fuzz::WriteFile(path, data, size) || !RefOf(path, &ref)) return 0;

  const SInt16 saved = CurResFile();
  const SInt16 file = FSOpenResFile(&ref, fsRdPerm);
  if (file != -1) {
    UseResFile(file);
    // The counters are wider than the counts (at most 32,767), so that the last index ends
    // the loop instead of wrapping round to a negative one.
    const int types = Count1Types();
    for (int t = 1; t <= types; ++t) {
      ResType type = 0;
      Get1IndType(&type, SInt16(t));
      const int count = Count1Resources(type);
      for (int i = 1; i <= count; ++i) {
        Handle resource = Get1IndResource(type, SInt16(i));
        if (resource == nullptr) continue;
        SInt16 id = 0;
        ResType gotType = 0;
        Str255 name;
        GetResInfo(resource, &id, &gotType, name);
        GetResAttrs(resource);
        GetResourceSizeOnDisk(resource);
        ReleaseResource(resource);
      }
    }
    for (int t = 1, all = CountTypes(); t <= all; ++t) {
      ResType type = 0;
      GetIndType(&type, SInt16(t));
      CountResources(type);
    }
    CloseResFile(file);
  }
  UseResFile(saved);
  return 0;
}
