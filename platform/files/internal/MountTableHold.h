// How often the file layer asks after the mount table. Not for the program's own code.
#pragma once

namespace sp_platform {
namespace files {

// While one is held, the mount table is asked after once: the look-ups one call makes all see
// the table as it was when it began. One held for a pass of an event loop (`newPass`) asks
// again at its start, so that the look-ups of the pass ask once and see a disk mounted or
// unmounted at the next pass, also in a loop run within a pass (a modal dialog's).
class MountTableHold {
 public:
  explicit MountTableHold(bool newPass = false);
  ~MountTableHold();
  MountTableHold(const MountTableHold&) = delete;
  MountTableHold& operator=(const MountTableHold&) = delete;
};

}  // namespace files
}  // namespace sp_platform
