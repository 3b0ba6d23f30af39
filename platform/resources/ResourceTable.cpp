#include "detail/ResourceTable.h"

#include <algorithm>

namespace sp_platform {
namespace resfile {
namespace {

UInt64 gExamined = 0;
UInt64 gTypesVersion = 0;

}  // namespace

UInt64 ResourcesExamined() {
  return gExamined;
}

void CountExamined(std::size_t n) {
  gExamined += n;
}

UInt64 ResourceTable::TypesVersion() {
  return gTypesVersion;
}

Resource* ResourceTable::Add(std::unique_ptr<Resource> resource) {
  Resource* r = resource.get();
  r->order = nextOrder_++;
  List& list = byType_[r->type];
  if (list.empty()) {
    types_.push_back(r->type);
    ++gTypesVersion;
  }
  list.push_back(std::move(resource));
  byKey_.emplace(Key(r->type, r->id), r);  // an earlier one of the same number stays first
  if (r->handle != nullptr) byHandle_[r->handle] = r;
  ++size_;
  return r;
}

std::unique_ptr<Resource> ResourceTable::Remove(Resource* resource) {
  auto group = byType_.find(resource->type);
  if (group == byType_.end()) return nullptr;
  List& list = group->second;
  // Each type's list is in the order resources came in.
  auto at = std::lower_bound(list.begin(), list.end(), resource->order,
                             [](const std::unique_ptr<Resource>& r, UInt64 order) {
                               return r->order < order;
                             });
  CountExamined(1);
  if (at == list.end() || at->get() != resource) return nullptr;
  std::unique_ptr<Resource> out = std::move(*at);
  list.erase(at);
  --size_;
  if (out->handle != nullptr) byHandle_.erase(out->handle);
  auto key = byKey_.find(Key(out->type, out->id));
  if (key != byKey_.end() && key->second == resource) {
    byKey_.erase(key);
    IndexFirstOf(out->type, out->id);
  }
  if (list.empty()) {
    types_.erase(std::find(types_.begin(), types_.end(), out->type));
    byType_.erase(group);
    ++gTypesVersion;
  }
  return out;
}

Resource* ResourceTable::Find(ResType type, SInt16 id) const {
  CountExamined(1);
  auto it = byKey_.find(Key(type, id));
  return it == byKey_.end() ? nullptr : it->second;
}

Resource* ResourceTable::OfHandle(Handle handle) const {
  CountExamined(1);
  auto it = byHandle_.find(handle);
  return it == byHandle_.end() ? nullptr : it->second;
}

void ResourceTable::SetHandle(Resource& resource, Handle handle) {
  if (resource.handle != nullptr) byHandle_.erase(resource.handle);
  resource.handle = handle;
  if (handle != nullptr) byHandle_[handle] = &resource;
}

void ResourceTable::SetId(Resource& resource, SInt16 id) {
  if (resource.id == id) return;
  const SInt16 old = resource.id;
  resource.id = id;
  auto was = byKey_.find(Key(resource.type, old));
  if (was != byKey_.end() && was->second == &resource) {
    byKey_.erase(was);
    IndexFirstOf(resource.type, old);
  }
  Resource*& first = byKey_[Key(resource.type, id)];
  if (first == nullptr || first->order > resource.order) first = &resource;
}

const ResourceTable::List& ResourceTable::OfType(ResType type) const {
  static const List kNone;
  auto it = byType_.find(type);
  return it == byType_.end() ? kNone : it->second;
}

void ResourceTable::IndexFirstOf(ResType type, SInt16 id) {
  const List& list = OfType(type);
  for (const auto& r : list) {
    CountExamined(1);
    if (r->id == id) {
      byKey_[Key(type, id)] = r.get();
      return;
    }
  }
}

}  // namespace resfile
}  // namespace sp_platform
