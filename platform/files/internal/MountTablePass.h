// The mount table's watch over a pass of the event loop. Not for the program's own code.
#pragma once

namespace sp_platform {
namespace files {

// Held for one pass of an event loop: the look-ups of the pass ask after the mount table
// once, as those of one call do, and see a disk mounted or unmounted at the next pass. A pass
// of a loop run within the pass (a modal dialog's) asks again.
class MountTablePass {
 public:
  MountTablePass();
  ~MountTablePass();
  MountTablePass(const MountTablePass&) = delete;
  MountTablePass& operator=(const MountTablePass&) = delete;
};

}  // namespace files
}  // namespace sp_platform
