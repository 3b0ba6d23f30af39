// The volume table: the mounted file systems a person keeps files on, numbered as the File
// Manager numbers volumes, plus the emulated audio-CD volumes.
#include "files/detail/MountTable.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Fnv1a.h"
#include "SpTextCodec.h"
#include "detail/Catalog.h"
#include "detail/FilesInternal.h"
#include "files/internal/MountTableHold.h"

namespace sp_platform {
namespace files {
namespace {

constexpr SInt16 kHomeVolume = -1;

// File systems that hold no person's files: kernel interfaces and control groups.
const char* const kPseudoFileSystems[] = {
    "proc",    "sysfs",           "cgroup",      "cgroup2",   "devpts",   "mqueue",     "debugfs",
    "tracefs", "securityfs",      "pstore",      "bpf",       "configfs", "fusectl",    "hugetlbfs",
    "autofs",  "binfmt_misc",     "efivarfs",    "selinuxfs", "nsfs",     "rpc_pipefs", "devtmpfs",
    "ramfs",   "fuse.gvfsd-fuse", "fuse.portal", "squashfs",  "nfsd",
};

// Mount points under these folders belong to the system (/run/media, where removable disks
// appear, is the exception).
const char* const kSystemFolders[] = {"/proc", "/sys", "/dev", "/run", "/boot", "/snap"};

const char* const kNetworkFileSystems[] = {
    "nfs",        "nfs4",  "cifs", "smb3",      "smbfs",          "afs",   "9p",
    "fuse.sshfs", "ncpfs", "ceph", "glusterfs", "fuse.glusterfs", "davfs", "fuse.davfs2"};

struct VolumeTable {
  bool built = false;
  std::vector<std::unique_ptr<Volume>> volumes;
  // Volumes unmounted or removed while the program runs leave the list but stay here, so that
  // a pointer held across a look-up (which may read the mount table again) never dangles.
  std::vector<std::unique_ptr<Volume>> gone;
  SInt16 nextNumber = 0;
  // /proc/self/mountinfo, kept open: the kernel marks it when a mount or an unmount changes it.
  int mountTable = -1;
  bool textChanged = false;  // the test hook's text was set anew
};

VolumeTable& Table() {
  static VolumeTable& table = *new VolumeTable;
  return table;
}

bool IsOneOf(const std::string& s, const char* const* list, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (s == list[i]) return true;
  }
  return false;
}

// mountinfo writes space, tab, newline and backslash in paths as \040, \011, \012, \134.
std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '3' && s[i + 2] >= '0' &&
        s[i + 2] <= '7' && s[i + 3] >= '0' && s[i + 3] <= '7') {
      out.push_back(char((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

bool IsSystemMountPoint(const std::string& mountPoint) {
  if (PathIsInside(mountPoint, "/run/media")) return false;
  for (const char* folder : kSystemFolders) {
    if (PathIsInside(mountPoint, folder)) return true;
  }
  return false;
}

std::string VolumeNameOf(const std::string& mountPoint) {
  return mountPoint == "/" ? std::string("Root") : BaseName(mountPoint);
}

// True when the name is shown whole in classic calls (not by a stand-in, which keeps only
// the name's start).
bool ShownWhole(const std::string& name) {
  std::string mac;
  return sp::text::UTF8ToMacJapanese(name, mac) && mac.size() <= kVolumeNameLimit &&
         mac.find('\0') == std::string::npos;
}

std::size_t& NamingSteps() {
  static std::size_t steps = 0;
  return steps;
}

// The classic form a volume's name is shown in.
std::string ClassicVolumeName(const std::string& name) {
  ++NamingSteps();
  return ClassicName(name, fsRtDirID, kVolumeNameLimit);
}

// A full path starts with its volume's name, so no two volumes may share a name, nor the
// classic form it is shown in: the later volume gets " 2", " 3", ... A name too long to be
// shown whole is shortened so that its number shows.
//
// The names taken are gathered once for a round of naming, each converted once, so that many
// mounts of one folder name (a container host's "merged") are named in linear time.
class VolumeNamer {
 public:
  explicit VolumeNamer(const VolumeTable& table) {
    for (const auto& v : table.volumes) {
      if (!v->name.empty()) Take(v->name, ClassicVolumeName(v->name));
    }
  }

  // The name for a new volume that wants `wanted`; it is taken from then on.
  std::string Unique(const std::string& wanted) {
    std::string classic = ClassicVolumeName(wanted);
    if (!IsTaken(wanted, classic)) {
      Take(wanted, classic);
      return wanted;
    }
    // The names tried are "<start> <n>", the start shortened for the number to show. Names
    // whose start for " 2" is the same are tried alike for every number (a longer number only
    // ever shortens it further), so the numbers tried already for that start are not tried
    // again: names are only added during a round.
    std::string start = Shortened(wanted, " 2");
    unsigned& last = lastNumber_[start];
    for (unsigned n = std::max(last + 1, 2u);; ++n) {
      const std::string number = " " + std::to_string(n);
      const std::string name = Shortened(start, number) + number;
      classic = ClassicVolumeName(name);
      if (!IsTaken(name, classic)) {
        last = n;
        Take(name, classic);
        return name;
      }
    }
  }

 private:
  bool IsTaken(const std::string& name, const std::string& classic) const {
    return names_.count(name) != 0 || classics_.count(classic) != 0;
  }
  void Take(const std::string& name, const std::string& classic) {
    names_.insert(name);
    classics_.insert(classic);
  }
  // The longest start of `name` (whole UTF-8 characters) shown whole with `number` after it.
  static std::string Shortened(std::string base, const std::string& number) {
    while (!base.empty() && (++NamingSteps(), !ShownWhole(base + number))) {
      do {
        base.pop_back();  // a whole UTF-8 character
      } while (!base.empty() && (UInt8(base.back()) & 0xC0) == 0x80);
    }
    return base;
  }

  std::unordered_set<std::string> names_;
  std::unordered_set<std::string> classics_;
  std::unordered_map<std::string, unsigned> lastNumber_;  // by start: the last number given
};

struct Mount {
  std::string mountPoint;
  std::string fsType;
  bool readOnly;
};

std::string& MountTableOverride() {
  static std::string text;
  return text;
}

std::vector<Mount> ReadMounts() {
  std::vector<Mount> mounts;
  std::unordered_map<std::string, std::size_t> placeOf;  // each mount point's place in mounts
  std::ifstream file;
  std::istringstream override(MountTableOverride());
  if (MountTableOverride().empty()) file.open("/proc/self/mountinfo");
  std::istream& in = MountTableOverride().empty() ? static_cast<std::istream&>(file)
                                                  : static_cast<std::istream&>(override);
  std::string line;
  while (std::getline(in, line)) {
    // id parent major:minor root mount-point options [optional fields] - type source super
    std::istringstream fields(line);
    std::string id, parent, device, root, mountPoint, options, field;
    if (!(fields >> id >> parent >> device >> root >> mountPoint >> options)) continue;
    while (fields >> field && field != "-") {
    }
    std::string fsType;
    if (!(fields >> fsType)) continue;
    mountPoint = Unescape(mountPoint);
    if (mountPoint.empty() || mountPoint[0] != '/') continue;
    if (fsType.compare(0, 6, "cgroup") == 0) continue;
    if (IsOneOf(fsType, kPseudoFileSystems, sizeof kPseudoFileSystems / sizeof *kPseudoFileSystems))
      continue;
    if (IsSystemMountPoint(mountPoint)) continue;
    bool readOnly = options.compare(0, 2, "ro") == 0 && (options.size() == 2 || options[2] == ',');
    // A later mount on the same point hides the earlier one (marked by an empty mount point
    // and left out below, so that a long table is read in one pass).
    auto place = placeOf.emplace(mountPoint, mounts.size());
    if (!place.second) mounts[place.first->second].mountPoint.clear();
    place.first->second = mounts.size();
    mounts.push_back(Mount{mountPoint, fsType, readOnly});
  }
  mounts.erase(std::remove_if(mounts.begin(), mounts.end(),
                              [](const Mount& m) { return m.mountPoint.empty(); }),
               mounts.end());
  // The root folder is always a volume, also where the mount table does not show it (inside
  // a chroot the table lists only the mounts made below the new root).
  if (std::none_of(mounts.begin(), mounts.end(),
                   [](const Mount& m) { return m.mountPoint == "/"; })) {
    mounts.insert(mounts.begin(), Mount{"/", "", false});
  }
  return mounts;
}

std::string HomeFolder() {
  const char* home = getenv("HOME");
  std::string path;
  if (home != nullptr && home[0] == '/') {
    path = home;
  } else if (const passwd* pw = getpwuid(getuid())) {
    path = pw->pw_dir != nullptr ? pw->pw_dir : "/";
  } else {
    path = "/";
  }
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) != nullptr) path = resolved;
  return path;
}

// The flags a mount gives its volume.
UInt32 MountFlags(const Mount& m) {
  UInt32 flags = m.readOnly ? UInt32(kVolumeReadOnly) : 0;
  if (IsOneOf(m.fsType, kNetworkFileSystems,
              sizeof kNetworkFileSystems / sizeof *kNetworkFileSystems)) {
    flags |= kVolumeNetwork;
  }
  return flags;
}

// The mounted volumes, from the mount table, in its order: a volume still mounted where it was
// (its root folder on the same device) is the one of the list, new ones are made, and those
// no longer mounted go to `gone`.
std::vector<std::unique_ptr<Volume>> MountedVolumes(VolumeTable& table,
                                                    std::vector<Volume*>& made) {
  std::vector<std::unique_ptr<Volume>> was;
  std::vector<std::unique_ptr<Volume>> emulated;
  for (auto& v : table.volumes) (v->emulated ? emulated : was).push_back(std::move(v));
  table.volumes = std::move(emulated);
  std::unordered_map<std::string, std::size_t> placeOf;  // each listed mount point's place in was
  for (std::size_t i = 0; i < was.size(); ++i) placeOf.emplace(was[i]->mountPoint, i);
  std::vector<std::unique_ptr<Volume>> mounted;
  for (const Mount& m : ReadMounts()) {
    struct stat st {};
    if (stat(m.mountPoint.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
    const auto place = placeOf.find(m.mountPoint);
    std::unique_ptr<Volume> v;
    if (place != placeOf.end() && was[place->second] != nullptr &&
        was[place->second]->device == st.st_dev) {
      v = std::move(was[place->second]);
    } else {
      v = std::make_unique<Volume>();
      v->mountPoint = m.mountPoint;
      v->device = st.st_dev;
      made.push_back(v.get());
    }
    v->fsType = m.fsType;
    v->flags = MountFlags(m);
    mounted.push_back(std::move(v));
  }
  for (auto& v : was) {
    if (v != nullptr) table.gone.push_back(std::move(v));
  }
  return mounted;
}

// Reads the mount table into the list. The volume holding $HOME (the mount with the longest
// root folder that holds it) is -1; the others keep the numbers they had, and new ones get
// numbers never given before (-2, -3, ... in the table's order when it is first read), as
// emulated volumes do. The list holds the home volume first, the others in the table's order,
// the emulated volumes last.
void Sync(VolumeTable& table) {
  if (!table.built) table.nextNumber = kHomeVolume - 1;
  table.built = true;
  std::vector<Volume*> made;
  std::vector<std::unique_ptr<Volume>> mounted = MountedVolumes(table, made);
  const std::string home = HomeFolder();
  std::size_t homeIndex = mounted.size();
  for (std::size_t i = 0; i < mounted.size(); ++i) {
    if (PathIsInside(home, mounted[i]->mountPoint) &&
        (homeIndex == mounted.size() ||
         mounted[i]->mountPoint.size() >= mounted[homeIndex]->mountPoint.size())) {
      homeIndex = i;
    }
  }
  if (homeIndex < mounted.size()) {
    // A mount over the home folder (or a folder above it) takes -1 from the volume below.
    for (auto& v : mounted) {
      if (v->vRefNum == kHomeVolume) v->vRefNum = 0;
    }
    mounted[homeIndex]->vRefNum = kHomeVolume;
    std::rotate(mounted.begin(), mounted.begin() + std::ptrdiff_t(homeIndex),
                mounted.begin() + std::ptrdiff_t(homeIndex) + 1);
  }
  std::vector<std::unique_ptr<Volume>> listed;
  std::unordered_set<const Volume*> unlisted;
  for (auto& v : mounted) {
    if (v->vRefNum == 0) {
      if (table.nextNumber == kOnSystemDisk) {
        // No number is left: the volume is not listed.
        unlisted.insert(v.get());
        table.gone.push_back(std::move(v));
        continue;
      }
      v->vRefNum = table.nextNumber--;
    }
    listed.push_back(std::move(v));
  }
  table.volumes.insert(table.volumes.begin(), std::make_move_iterator(listed.begin()),
                       std::make_move_iterator(listed.end()));
  // Names are given in the mount table's order, so that of two mount points with the same
  // folder name the one mounted first keeps it, whichever holds the home folder.
  made.erase(std::remove_if(made.begin(), made.end(),
                            [&](const Volume* v) { return unlisted.count(v) != 0; }),
             made.end());
  VolumeNamer namer(table);
  for (Volume* v : made) v->name = namer.Unique(VolumeNameOf(v->mountPoint));
}

// MountTableHold: how many are held, and whether the table was polled since the first.
int gHolds = 0;
bool gPolledInHold = false;

// True once after each change of the mount table: the kernel marks the open table (POLLPRI,
// POLLERR) at every mount and unmount until it is next polled. Polling is one system call,
// made at each look-up but once within a hold (a look-up asks for volumes several times);
// nothing waits.
bool MountTableChanged(VolumeTable& table) {
  bool changed = table.textChanged;
  table.textChanged = false;
  if (table.mountTable >= 0 && !(gHolds > 0 && gPolledInHold)) {
    pollfd watch{table.mountTable, POLLPRI, 0};
    if (poll(&watch, 1, 0) > 0 && (watch.revents & (POLLPRI | POLLERR)) != 0) changed = true;
    gPolledInHold = gHolds > 0;
  }
  return changed;
}

VolumeTable& BuiltTable() {
  VolumeTable& table = Table();
  if (!table.built) {
    // Opened before the table is read, so that no change after the reading goes unseen.
    table.mountTable = open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    table.textChanged = false;
    Sync(table);
  } else if (MountTableChanged(table)) {
    Sync(table);
  }
  return table;
}

}  // namespace

MountTableHold::MountTableHold(bool newPass) {
  ++gHolds;
  if (newPass) gPolledInHold = false;
}

MountTableHold::~MountTableHold() {
  if (--gHolds == 0) gPolledInHold = false;
}

std::size_t VolumeNamingSteps() {
  return NamingSteps();
}

void SetMountTableText(const std::string& text) {
  MountTableOverride() = text;
  Table().textChanged = true;
}

const Volume* FindVolume(SInt16 vRefNum) {
  VolumeTable& table = BuiltTable();
  if (vRefNum == 0 || vRefNum == kOnSystemDisk) vRefNum = kHomeVolume;
  for (const auto& v : table.volumes) {
    if (v->vRefNum == vRefNum) return v.get();
  }
  return nullptr;
}

bool VolumeIsReadOnly(SInt16 vRefNum) {
  const Volume* volume = FindVolume(vRefNum);
  return volume != nullptr && (volume->flags & kVolumeReadOnly) != 0;
}

std::vector<const Volume*> AllVolumes() {
  std::vector<const Volume*> all;
  for (const auto& v : BuiltTable().volumes) all.push_back(v.get());
  return all;
}

const Volume* VolumeAtIndex(ItemCount index) {
  if (index == 0) return nullptr;
  if (index == 1) RefreshEmulatedVolumes();
  VolumeTable& table = BuiltTable();
  return index <= table.volumes.size() ? table.volumes[index - 1].get() : nullptr;
}

const Volume* VolumeNamed(const std::string& name) {
  for (const auto& v : BuiltTable().volumes) {
    if (v->name == name) return v.get();
  }
  return nullptr;
}

const Volume* VolumeOfPath(const std::string& path) {
  const Volume* best = nullptr;
  for (const auto& v : BuiltTable().volumes) {
    if (PathIsInside(path, v->mountPoint) &&
        (best == nullptr || v->mountPoint.size() > best->mountPoint.size())) {
      best = v.get();
    }
  }
  return best;
}

SInt16 AddEmulatedVolume(const std::string& folder, const std::string& name, UInt32 flags,
                         UInt16 filesystemID) {
  VolumeTable& table = BuiltTable();
  char resolved[PATH_MAX];
  struct stat st {};
  if (realpath(folder.c_str(), resolved) == nullptr || stat(resolved, &st) != 0 ||
      !S_ISDIR(st.st_mode)) {
    return 0;
  }
  if (table.nextNumber == kOnSystemDisk) return 0;
  for (const auto& v : table.volumes) {
    if (v->mountPoint == resolved && v->emulated) return v->vRefNum;
  }
  auto v = std::make_unique<Volume>();
  v->vRefNum = table.nextNumber--;
  v->mountPoint = resolved;
  v->name = VolumeNamer(table).Unique(name.empty() ? VolumeNameOf(v->mountPoint) : name);
  v->fsType = (flags & kVolumeEmulatedCD) ? "audiocd" : "folder";
  v->emulated = true;
  v->device = st.st_dev;
  v->flags = flags;
  v->filesystemID = filesystemID;
  SInt16 number = v->vRefNum;
  table.volumes.push_back(std::move(v));
  return number;
}

bool RemoveEmulatedVolume(SInt16 vRefNum) {
  VolumeTable& table = BuiltTable();
  for (auto it = table.volumes.begin(); it != table.volumes.end(); ++it) {
    if ((*it)->vRefNum != vRefNum) continue;
    if (!(*it)->emulated) return false;
    table.gone.push_back(std::move(*it));
    table.volumes.erase(it);
    return true;
  }
  return false;
}

void ForgetVolumes() {
  VolumeTable& table = Table();
  if (table.mountTable >= 0) close(table.mountTable);
  table = VolumeTable();
}

UInt32 VolumeKey(const std::string& mountPoint) {
  return sp::Fnv1a32(mountPoint.data(), mountPoint.size());
}

}  // namespace files
}  // namespace sp_platform
