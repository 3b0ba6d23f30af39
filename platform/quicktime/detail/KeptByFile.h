// What was learnt of files by reading them, kept with the file as it is. Not for the program's
// own code.
#pragma once

#include <iterator>
#include <map>
#include <utility>

#include "MacTypes.h"
#include "quicktime/detail/ByteSource.h"

namespace sp_platform {
namespace quicktime {

// Values by the file's identity and a part of the reader's own (a stream, a name). Bounded:
// past `kMost` values the oldest half goes.
template <typename Part, typename Value, UInt64 kMost>
class KeptByFile {
 public:
  bool Find(const FileIdentity& file, const Part& part, Value& out) const {
    const auto it = kept_.find(Key(file, part));
    if (it == kept_.end()) return false;
    out = it->second.first;
    return true;
  }
  void Keep(const FileIdentity& file, const Part& part, const Value& value) {
    if (kept_.size() >= kMost) {
      for (auto it = kept_.begin(); it != kept_.end();)
        it = it->second.second < next_ - kMost / 2 ? kept_.erase(it) : std::next(it);
    }
    kept_[Key(file, part)] = std::make_pair(value, next_++);
  }
  void Clear() { kept_.clear(); }

 private:
  using Key = std::pair<FileIdentity, Part>;
  std::map<Key, std::pair<Value, UInt64>> kept_;  // with the order it was kept in
  UInt64 next_ = 0;
};

}  // namespace quicktime
}  // namespace sp_platform
