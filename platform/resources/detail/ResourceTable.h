// The resources of one open resource file and the indexes every look-up goes through. Not for
// the program's own code.
//
// A file may hold tens of thousands of resources (a title database holds one string list per
// disc), and a program reads them one by one: finding a resource by type and number, and the
// resource of a handle, must not walk the file. So each file keeps, beside its resources in
// file order within each type, an index by type and number (the first in file order wins
// when a damaged file or SetResInfo makes two alike) and an index by handle.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "../../base/MacTypes.h"
#include "ResourceFileFormat.h"

namespace sp_platform {
namespace resfile {

struct Resource {
  ResType type = 0;
  SInt16 id = 0;  // changed through ResourceTable::SetId only
  UInt8 attributes = 0;
  bool hasName = false;
  std::string name;  // the name's bytes, at most 255
  ResourceBytes bytes;
  Handle handle = nullptr;  // null while not loaded; changed through ResourceTable::SetHandle
  bool filled = false;      // the handle holds the bytes (not an empty handle)
  UInt64 order = 0;         // the place in the file, for the first of two alike
};

class ResourceTable {
 public:
  using List = std::vector<std::unique_ptr<Resource>>;

  // Takes the resource in after every other of its type.
  Resource* Add(std::unique_ptr<Resource> resource);
  // Takes the resource out (its handle leaves the handle index); null when it is not here.
  std::unique_ptr<Resource> Remove(Resource* resource);
  // The first resource of this type and number; null when there is none.
  Resource* Find(ResType type, SInt16 id) const;
  // The resource whose handle this is; null for any other handle.
  Resource* OfHandle(Handle handle) const;
  void SetHandle(Resource& resource, Handle handle);
  void SetId(Resource& resource, SInt16 id);

  // The types in the order their first resource came in.
  const std::vector<ResType>& Types() const { return types_; }
  // A number that changes whenever any table's list of types changes, so that a list built
  // from several tables knows when it is out of date.
  static UInt64 TypesVersion();
  // The resources of a type in file order (empty for a type the file does not hold).
  const List& OfType(ResType type) const;
  std::size_t Size() const { return size_; }

  // Each resource in file order, type by type.
  template <class Visit>
  void ForEach(Visit visit) const {
    for (ResType type : types_) {
      for (const auto& r : OfType(type)) visit(*r);
    }
  }

 private:
  static UInt64 Key(ResType type, SInt16 id) { return (UInt64(type) << 16) | UInt16(id); }
  // After the indexed resource of a key left it: the next of that key in file order.
  void IndexFirstOf(ResType type, SInt16 id);

  std::vector<ResType> types_;
  std::unordered_map<ResType, List> byType_;
  std::unordered_map<UInt64, Resource*> byKey_;
  std::unordered_map<Handle, Resource*> byHandle_;
  std::size_t size_ = 0;
  UInt64 nextOrder_ = 0;
};

// How many resources the look-ups have examined since the program started: a hash probe
// counts one, a walk one per resource (or type) it passes. Tests compare it with the size of
// what was read, so that a look-up that walks a whole file shows.
UInt64 ResourcesExamined();
void CountExamined(std::size_t n);

}  // namespace resfile
}  // namespace sp_platform
