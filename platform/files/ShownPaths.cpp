// Paths as the desktop writes them for a person: absolute, with the home folder as "~".
#include <string>

#include "Files.h"
#include "SpTextCodec.h"
#include "detail/Folders.h"
#include "internal/FileLocations.h"

namespace {

std::string ShownPathOf(const std::string& path, const std::string& home) {
  // A home of "/" would make every path "~/...", which no desktop writes.
  if (home.empty() || home == "/") return path;
  if (path == home) return "~";
  if (path.size() > home.size() && path.compare(0, home.size(), home) == 0 &&
      path[home.size()] == '/') {
    return "~" + path.substr(home.size());
  }
  return path;
}

}  // namespace

OSErr SpShownPathOfFSRef(const FSRef* ref, std::string* shownPath) {
  if (ref == nullptr || shownPath == nullptr) return paramErr;
  sp_platform::files::Location location;
  const OSErr err = sp_platform::files::LocateRef(ref, location);
  if (err != noErr) return err;
  const std::u16string text = sp::text::FileNameToUTF16(
      ShownPathOf(location.path, sp_platform::files::HomeFolder()));
  *shownPath = sp::text::UTF16ToMacJapaneseNearest(text.data(), text.size());
  return noErr;
}
