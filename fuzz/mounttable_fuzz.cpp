// The mount table: the bytes as the text of /proc/self/mountinfo, read into the volume list
// instead of the real table; every volume is listed with its name and flags, found again by
// its name as a full path's first part, and the Documents folder of the home volume is looked
// up. A form feed splits the bytes into two tables read one after the other, as when disks
// are mounted and unmounted while the program runs. "~" stands for the temporary home, where
// folders with awkward names wait to be mounted on (so that inputs reach the naming of
// volumes: names alike, too long, escaped, not MacJapanese).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "Files.h"
#include "Folders.h"
#include "FuzzHome.h"
#include "files/detail/MountTable.h"
#include "files/internal/TestHooks.h"

namespace {

constexpr ItemCount kMostVolumes = 64;

const char* const kFolders[] = {
    "m/a/data",
    "m/b/data",
    "m/b/data 2",
    "m/sp ace",
    "m/tab\there",
    "m/new\nline",
    "m/back\\slash",
    "m/\xFF\xFE",
    "m/\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xB9\xE3\x82\xAF",
    "m/abcdefghijklmnopqrstuvwxyz0123456789",
    "m/abcdefghijklmnopqrstuvwxyz0123456780",
    "Documents",
};

bool MakeFolders(const std::string& home) {
  std::error_code error;
  for (const char* folder : kFolders) {
    std::filesystem::create_directories(home + "/" + folder, error);
    if (error) return false;
  }
  return true;
}

// The table text with "~" standing for the home; never empty (an empty text means the real
// table).
std::string TableText(const std::string& bytes, const std::string& home) {
  std::string text;
  for (char c : bytes) {
    if (c == '~') {
      text += home;
    } else {
      text += c;
    }
  }
  return text.empty() ? std::string("\n") : text;
}

void FindByName(ConstStr255Param volumeName) {
  Str255 path{};
  const std::size_t length = std::min<std::size_t>(volumeName[0], 254);
  path[0] = UInt8(length + 1);
  std::memcpy(path + 1, volumeName + 1, length);
  path[length + 1] = ':';
  HParamBlockRec pb{};
  pb.volumeParam.ioNamePtr = path;
  pb.volumeParam.ioVolIndex = -1;
  PBHGetVInfoSync(&pb);
}

void ListVolumes() {
  for (ItemCount index = 1; index <= kMostVolumes; ++index) {
    FSVolumeRefNum vRefNum = 0;
    FSVolumeInfo info{};
    HFSUniStr255 unicodeName{};
    if (FSGetVolumeInfo(kFSInvalidVolumeRefNum, index, &vRefNum, kFSVolInfoFlags, &info,
                        &unicodeName, nullptr) == nsvErr) {
      break;
    }
    Str255 name{};
    HParamBlockRec pb{};
    pb.volumeParam.ioNamePtr = name;
    pb.volumeParam.ioVRefNum = vRefNum;
    if (PBHGetVInfoSync(&pb) == noErr) FindByName(name);
  }
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  FindFolder(kOnSystemDisk, kDocumentsFolderType, kDontCreateFolder, &vRefNum, &dirID);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& home = sp_fuzz::Home();
  static const bool ready = !home.empty() && MakeFolders(home);
  if (!ready) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t split = bytes.find('\f');
  sp_platform::files::ResetCatalogueAndVolumes();
  sp_platform::files::SetMountTableText(TableText(bytes.substr(0, split), home));
  ListVolumes();
  if (split != std::string::npos) {
    sp_platform::files::SetMountTableText(TableText(bytes.substr(split + 1), home));
    ListVolumes();
  }
  return 0;
}
