// The identity of an item beyond its inode number (see detail/Identity.h).
#include "detail/Identity.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/random.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "ByteOrder.h"

namespace sp_platform {
namespace files {
namespace {

const char kStampAttribute[] = "user.itemstamp";

UInt8 gSources = kKnowsEverything;

// Devices where a stamp cannot be written (no extended attributes, read-only): not tried
// again.
std::unordered_set<dev_t>& NoStampDevices() {
  static auto* devices = new std::unordered_set<dev_t>;
  return *devices;
}

UInt8 TypeOf(mode_t mode) {
  if (S_ISLNK(mode)) return kItemLink;
  if (S_ISDIR(mode)) return kItemFolder;
  return kItemFile;
}

UInt64 BirthOf(const struct statx& sx) {
  if ((sx.stx_mask & STATX_BTIME) == 0) return 0;
  return UInt64(sx.stx_btime.tv_sec) * 1000000000ull + sx.stx_btime.tv_nsec;
}

bool ReadBirth(const std::string& path, const struct stat& own, UInt64& birth) {
  struct statx sx {};
  if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BTIME, &sx) != 0 ||
      sx.stx_ino != UInt64(own.st_ino)) {
    return false;
  }
  birth = BirthOf(sx);
  return birth != 0;
}

struct timespec TimeOf(const struct statx_timestamp& t) {
  struct timespec out {};
  out.tv_sec = t.tv_sec;
  out.tv_nsec = long(t.tv_nsec);
  return out;
}

// The kernel's file handle of an inode number and a generation (FILEID_INO32_GEN), as ext4
// and the file systems sharing its export code give it: the two 32-bit numbers, in the
// machine's order.
constexpr int kInodeAndGenerationHandle = 1;

// The generation from the item's file handle, with no need to open the item; false where the
// file system gives no handle of that shape for this very item (tmpfs gives the same handle
// type a shape of its own, and those numbers are no generation FS_IOC_GETVERSION gives).
bool HandleGeneration(const std::string& path, const struct stat& own, UInt32& generation) {
  alignas(struct file_handle) unsigned char room[sizeof(struct file_handle) + MAX_HANDLE_SZ] = {};
  auto* handle = reinterpret_cast<struct file_handle*>(room);
  handle->handle_bytes = MAX_HANDLE_SZ;
  int mountId = 0;
  if (UInt64(own.st_ino) > 0xFFFFFFFFull ||
      name_to_handle_at(AT_FDCWD, path.c_str(), handle, &mountId, 0) != 0 ||
      handle->handle_type != kInodeAndGenerationHandle || handle->handle_bytes != 8) {
    return false;
  }
  UInt32 words[2];
  std::memcpy(words, handle->f_handle, sizeof words);
  if (words[0] != UInt32(own.st_ino)) return false;
  generation = words[1];
  return true;
}

// Generations read of items whose birth time is known, by device, inode number and birth
// time: those three name one life of one inode, which keeps its generation all its life, so
// that an item looked at again and again (each folder on the way to every file a folder
// holds) is asked once. Bounded: emptied when full.
struct Life {
  dev_t device;
  ino_t inode;
  UInt64 birth;
  bool operator==(const Life& other) const {
    return device == other.device && inode == other.inode && birth == other.birth;
  }
};
struct LifeHash {
  std::size_t operator()(const Life& life) const {
    return std::hash<UInt64>()(UInt64(life.inode) * 0x9E3779B97F4A7C15ull ^ life.birth ^
                               UInt64(life.device));
  }
};
constexpr std::size_t kKnownGenerationsMost = 8192;

std::unordered_map<Life, UInt32, LifeHash>& KnownGenerations() {
  static auto* known = new std::unordered_map<Life, UInt32, LifeHash>;
  return *known;
}

bool ReadGeneration(const std::string& path, const struct stat& own, UInt32& generation) {
  if (HandleGeneration(path, own, generation)) return true;
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  long value = 0;  // the file systems store an int at the pointer
  struct stat st {};
  const bool ok = ioctl(fd, FS_IOC_GETVERSION, &value) == 0 && fstat(fd, &st) == 0 &&
                  st.st_ino == own.st_ino && st.st_dev == own.st_dev;
  close(fd);
  generation = UInt32(UInt64(value));
  return ok;
}

UInt64 NewStamp() {
  UInt64 value = 0;
  if (getrandom(&value, sizeof value, GRND_NONBLOCK) != ssize_t(sizeof value)) {
    static UInt64 counter = 0;
    value = UInt64(std::chrono::steady_clock::now().time_since_epoch().count()) ^
            (UInt64(getpid()) << 40) ^ ++counter;
  }
  return value == 0 ? 1 : value;
}

bool ReadStamp(const std::string& path, const struct stat& own, bool mayStamp, UInt64& stamp) {
  UInt8 bytes[8];
  if (getxattr(path.c_str(), kStampAttribute, bytes, sizeof bytes) == ssize_t(sizeof bytes)) {
    stamp = sp::LoadBE64(bytes);
    return true;
  }
  if (!mayStamp || NoStampDevices().count(own.st_dev) != 0) return false;
  sp::StoreBE64(bytes, NewStamp());
  if (setxattr(path.c_str(), kStampAttribute, bytes, sizeof bytes, XATTR_CREATE) != 0) {
    if (errno == ENOTSUP || errno == EOPNOTSUPP || errno == EROFS) {
      NoStampDevices().insert(own.st_dev);
    }
    // Another instance of the program may have stamped it first.
    if (errno != EEXIST) return false;
    return ReadStamp(path, own, false, stamp);
  }
  stamp = sp::LoadBE64(bytes);
  return true;
}

}  // namespace

bool LookWithBirth(const std::string& path, Looked& out) {
  out = Looked();
  struct statx sx {};
  if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
            STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
    // A kernel or sandbox without statx: lstat, and the birth time is not known.
    if (errno != ENOSYS && errno != EPERM) return false;
    return lstat(path.c_str(), &out.own) == 0;
  }
  struct stat& st = out.own;
  st.st_dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
  st.st_ino = sx.stx_ino;
  st.st_mode = sx.stx_mode;
  st.st_nlink = sx.stx_nlink;
  st.st_uid = sx.stx_uid;
  st.st_gid = sx.stx_gid;
  st.st_rdev = makedev(sx.stx_rdev_major, sx.stx_rdev_minor);
  st.st_size = off_t(sx.stx_size);
  st.st_blksize = blksize_t(sx.stx_blksize);
  st.st_blocks = blkcnt_t(sx.stx_blocks);
  st.st_atim = TimeOf(sx.stx_atime);
  st.st_mtim = TimeOf(sx.stx_mtime);
  st.st_ctim = TimeOf(sx.stx_ctime);
  out.birthRead = true;
  out.birth = BirthOf(sx);
  return true;
}

Identity IdentityOf(const std::string& path, const struct stat& own, bool mayStamp) {
  Looked looked;
  looked.own = own;
  return IdentityOf(path, looked, mayStamp);
}

Identity IdentityOf(const std::string& path, const Looked& looked, bool mayStamp) {
  const struct stat& own = looked.own;
  Identity id;
  id.ino = UInt64(own.st_ino);
  id.type = TypeOf(own.st_mode);
  if (gSources & kKnowsBirth) {
    if (looked.birthRead) id.stamp = looked.birth;
    if (looked.birthRead ? id.stamp != 0 : ReadBirth(path, own, id.stamp)) {
      id.known |= kKnowsBirth;
    }
  }
  // Links cannot be opened or given attributes of their own.
  if (S_ISLNK(own.st_mode)) return id;
  if (gSources & kKnowsGeneration) {
    const Life life{own.st_dev, own.st_ino, id.stamp};
    const bool hasLife = (id.known & kKnowsBirth) != 0;
    auto& known = KnownGenerations();
    const auto it = hasLife ? known.find(life) : known.end();
    if (it != known.end()) {
      id.generation = it->second;
      id.known |= kKnowsGeneration;
    } else if (ReadGeneration(path, own, id.generation)) {
      id.known |= kKnowsGeneration;
      if (hasLife) {
        if (known.size() >= kKnownGenerationsMost) known.clear();
        known.emplace(life, id.generation);
      }
    }
  }
  if (id.known == 0 && (gSources & kKnowsAttribute) && ReadStamp(path, own, mayStamp, id.stamp)) {
    id.known |= kKnowsAttribute;
  }
  return id;
}

bool SameIdentity(const Identity& recorded, const Identity& seen) {
  if (recorded.ino != seen.ino) return false;
  if (recorded.type != 0 && seen.type != 0 && recorded.type != seen.type) return false;
  if (recorded.known == 0) return true;
  const UInt8 both = recorded.known & seen.known;
  if (both == 0) return false;  // nothing to tell them apart by: not taken for the same
  if ((both & (kKnowsBirth | kKnowsAttribute)) && recorded.stamp != seen.stamp) return false;
  if ((both & kKnowsGeneration) && recorded.generation != seen.generation) return false;
  return true;
}

void SetIdentitySourcesForTests(UInt8 known) {
  gSources = known & kKnowsEverything;
  NoStampDevices().clear();
  KnownGenerations().clear();
}

}  // namespace files
}  // namespace sp_platform
