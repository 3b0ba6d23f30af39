// Emulated audio-CD volumes: disc folders mounted as read-only volumes of their own.

#include "files/internal/AudioCDVolumes.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Files.h"
#include "detail/Catalog.h"
#include "detail/Discs.h"
#include "detail/FilesInternal.h"
#include "detail/Forks.h"

namespace sp_platform {
namespace files {
namespace {

constexpr const char kTocName[] = ".TOC.plist";

using FolderId = std::pair<dev_t, ino_t>;

struct Disc {
  std::string folder;
  FolderId id;
  bool fromMediaFolder;
};

struct State {
  std::string mediaFolder;
  std::map<SInt16, Disc> discs;
  std::set<FolderId> ejected;  // discs of the media folder ejected since it was set
};

State& S() {
  static State state;
  return state;
}

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool IsDiscFolder(const std::string& folder, FolderId* id) {
  struct stat st;
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  struct stat toc;
  if (stat((folder + "/" + kTocName).c_str(), &toc) != 0 || !S_ISREG(toc.st_mode)) return false;
  if (id != nullptr) *id = FolderId(st.st_dev, st.st_ino);
  return true;
}

SInt16 MountedNumberOf(const FolderId& id) {
  for (const auto& entry : S().discs)
    if (entry.second.id == id) return entry.first;
  return 0;
}

SInt16 Mount(const std::string& path, bool fromMediaFolder) {
  std::string folder = StripTrailingSlashes(path);
  if (folder.empty() || folder[0] != '/') return 0;
  FolderId id;
  if (!IsDiscFolder(folder, &id)) return 0;
  if (SInt16 existing = MountedNumberOf(id); existing != 0) {
    if (FindVolume(existing) != nullptr) return existing;
    S().discs.erase(existing);  // the volume table was reset under it
  }
  std::string name = folder.substr(folder.rfind('/') + 1);
  if (name.empty()) name = "Audio CD";
  SInt16 vRefNum =
      AddEmulatedVolume(folder, name, kVolumeReadOnly | kVolumeEmulatedCD, kSpAudioCDFileSystemID);
  if (vRefNum == 0) return 0;
  S().discs[vRefNum] = Disc{folder, id, fromMediaFolder};
  return vRefNum;
}

}  // namespace

void SetMediaFolder(const std::string& path) {
  S().mediaFolder = path.empty() ? std::string() : StripTrailingSlashes(path);
  S().ejected.clear();
  ForgetEjectedDiscImages();
}

const std::string& MediaFolder() {
  return S().mediaFolder;
}

SInt16 MountAudioCDFolder(const std::string& folder) {
  return Mount(folder, false);
}

OSErr EjectAudioCDVolume(SInt16 vRefNum) {
  auto it = S().discs.find(vRefNum);
  if (it == S().discs.end()) return EjectDiscVolume(vRefNum);
  if (IsVolumeInUse(vRefNum)) return fBsyErr;
  RemoveEmulatedVolume(vRefNum);
  if (it->second.fromMediaFolder) S().ejected.insert(it->second.id);
  S().discs.erase(it);
  return noErr;
}

void ResetAudioCDs() {
  S() = State();
  ResetDiscVolumes();
}

// Discs whose folder went away are taken out (unless a file on them is open); discs new in
// the media folder come in, in the order of their folder names.
void RefreshEmulatedVolumes() {
  State& s = S();
  for (auto it = s.discs.begin(); it != s.discs.end();) {
    FolderId id;
    bool present = IsDiscFolder(it->second.folder, &id) && id == it->second.id;
    if (!present && !IsVolumeInUse(it->first)) {
      RemoveEmulatedVolume(it->first);
      it = s.discs.erase(it);
    } else {
      ++it;
    }
  }
  RefreshDiscVolumes(s.mediaFolder);
  if (s.mediaFolder.empty()) return;
  DIR* dir = opendir(s.mediaFolder.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> names;
  while (const struct dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    std::string folder = s.mediaFolder + "/" + name;
    FolderId id;
    if (!IsDiscFolder(folder, &id) || s.ejected.count(id) != 0) continue;
    if (MountedNumberOf(id) != 0 && FindVolume(MountedNumberOf(id)) != nullptr) continue;
    Mount(folder, true);
  }
}

}  // namespace files
}  // namespace sp_platform

using namespace sp_platform::files;

namespace {

SInt16 VolumeOfUnmount(ConstStr63Param volName, SInt16 vRefNum) {
  if (volName != nullptr && volName[0] > 0) {
    // "Volume:" or a full path: the classic name before the first colon.
    std::string bytes = PascalBytes(volName);
    bytes.resize(std::min(bytes.size(), bytes.find(':')));
    const Volume* volume = VolumeOfClassicName(bytes);
    return volume == nullptr ? SInt16(0) : volume->vRefNum;
  }
  const Volume* volume = FindVolume(vRefNum);
  return volume == nullptr ? SInt16(0) : volume->vRefNum;
}

}  // namespace

// Only emulated discs can be ejected here; the volumes of the system stay mounted (fBsyErr,
// as for a volume in use).
OSErr UnmountVol(ConstStr63Param volName, SInt16 vRefNum) {
  SInt16 number = VolumeOfUnmount(volName, vRefNum);
  if (number == 0) return nsvErr;
  const Volume* volume = FindVolume(number);
  if (volume == nullptr) return nsvErr;
  if ((volume->flags & kVolumeEmulatedCD) == 0) return fBsyErr;
  return EjectAudioCDVolume(number);
}

void SpSetAudioCDMediaFolder(const char* path) {
  SetMediaFolder(path == nullptr ? std::string() : std::string(path));
}

std::string SpDefaultAudioCDMediaFolder() {
  return ProgramDataFolder() + "/media";
}

OSErr PBUnmountVol(ParmBlkPtr pb) {
  if (pb == nullptr) return paramErr;
  OSErr err = UnmountVol(pb->volumeParam.ioNamePtr, pb->volumeParam.ioVRefNum);
  pb->volumeParam.ioResult = err;
  return err;
}
