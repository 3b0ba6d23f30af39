// Mounts made by a test stay inside its own process.
//
// The volume list is read from the mount table, which every process of the machine shares.
// Tests run side by side, so a tmpfs or disc image that one test mounts would appear (and
// disappear) in the middle of another test's volume scan. A test that mounts first moves its
// process into a mount namespace of its own, whose changes no other process sees; the
// programs it starts (mkfs, mount -o loop) inherit it.
#pragma once

#include <sched.h>
#include <sys/mount.h>

#include <fstream>
#include <sstream>
#include <string>

namespace test_support {

// True when the process's root folder is a mount point of its own mount table: not so inside
// a chroot, where a new namespace would lose the process's view of its root (and where
// nothing can be mounted anyway).
inline bool RootIsAMountPoint() {
  std::ifstream table("/proc/self/mountinfo");
  for (std::string line; std::getline(table, line);) {
    std::istringstream fields(line);
    std::string id, parent, device, root, mountPoint;
    if (fields >> id >> parent >> device >> root >> mountPoint && mountPoint == "/") return true;
  }
  return false;
}

// True once this process has mounts of its own; false where it may not have them (then it may
// not mount either, and the test skips).
inline bool UsePrivateMounts() {
  static const bool done = RootIsAMountPoint() && unshare(CLONE_NEWNS) == 0 &&
                           mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
  return done;
}

// Makes the file at `path` a mount point of itself while it lives: no rename replaces a mount
// point (EBUSY), so the last step of a save through a side file fails there. Held() is false
// where this process may not mount.
class NameHeldByMount {
 public:
  explicit NameHeldByMount(const std::string& path) : path_(path) {
    held_ = UsePrivateMounts() && mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) == 0;
  }
  ~NameHeldByMount() {
    if (held_) umount2(path_.c_str(), MNT_DETACH);
  }
  NameHeldByMount(const NameHeldByMount&) = delete;
  NameHeldByMount& operator=(const NameHeldByMount&) = delete;
  bool Held() const { return held_; }

 private:
  std::string path_;
  bool held_ = false;
};

}  // namespace test_support
