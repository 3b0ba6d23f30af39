// The user folders' file: the bytes as "user-dirs.dirs" in the home's ".config", read when the
// Folder Manager is asked for the Desktop, Documents and Music folders. Each is looked up
// without being made; one that lies inside the temporary home (as "$HOME/..." gives it) is
// then made, its name read back from the catalogue, and removed again, so that every input
// starts from the same home. Nothing is ever made outside the temporary home.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

#include "Files.h"
#include "Folders.h"
#include "FuzzHome.h"
#include "files/detail/Folders.h"
#include "files/internal/TestHooks.h"

namespace {

const struct {
  OSType type;
  const char* key;
  const char* fallback;
} kUserFolders[] = {
    {kDesktopFolderType, "DESKTOP", "Desktop"},
    {kDocumentsFolderType, "DOCUMENTS", "Documents"},
    {kMusicDocumentsFolderType, "MUSIC", "Music"},
};

// True for a path below the home that names no "." or ".." folder on the way.
bool InsideHome(const std::string& path, const std::string& home) {
  if (path.compare(0, home.size() + 1, home + "/") != 0) return false;
  const std::string rest = "/" + path.substr(home.size() + 1) + "/";
  return rest.find("/./") == std::string::npos && rest.find("/../") == std::string::npos;
}

void ReadName(SInt16 vRefNum, SInt32 dirID) {
  Str255 name{};
  CInfoPBRec pb{};
  pb.dirInfo.ioNamePtr = name;
  pb.dirInfo.ioVRefNum = vRefNum;
  pb.dirInfo.ioDrDirID = dirID;
  pb.dirInfo.ioFDirIndex = -1;
  PBGetCatInfoSync(&pb);
}

void EmptyHome(const std::string& home) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(home, error))
    std::filesystem::remove_all(entry.path(), error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& home = sp_fuzz::Home();
  if (home.empty()) return 0;
  std::error_code error;
  std::filesystem::create_directories(home + "/.config", error);
  if (!sp_fuzz::WriteFile(home + "/.config/user-dirs.dirs", data, size)) return 0;
  for (const auto& folder : kUserFolders) {
    SInt16 vRefNum = 0;
    SInt32 dirID = 0;
    if (FindFolder(kOnSystemDisk, folder.type, kDontCreateFolder, &vRefNum, &dirID) == noErr)
      ReadName(vRefNum, dirID);
    const std::string path = sp_platform::files::UserFolder(folder.key, folder.fallback);
    if (InsideHome(path, home) &&
        FindFolder(kOnSystemDisk, folder.type, kCreateFolder, &vRefNum, &dirID) == noErr) {
      ReadName(vRefNum, dirID);
    }
  }
  EmptyHome(home);
  sp_platform::files::ResetCatalogueAndVolumes();
  return 0;
}
