#include "Resources.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "detail/ResourceChain.h"

namespace {

struct Resource {
  ResType type = 0;
  SInt16 id = 0;
  std::string name;  // the name's bytes, at most 255
  std::vector<UInt8> data;
  Handle handle = nullptr;  // null while not loaded
  bool filled = false;      // the handle holds the data (not an empty handle)
};

struct ResFile {
  SInt16 refNum = 0;
  std::vector<std::unique_ptr<Resource>> resources;
};

class ResourceChain {
 public:
  ResourceChain() { Reset(); }
  ~ResourceChain() { DisposeAll(); }
  ResourceChain(const ResourceChain&) = delete;
  ResourceChain& operator=(const ResourceChain&) = delete;

  void Reset() {
    DisposeAll();
    files_.clear();
    files_.resize(2);
    files_[0].refNum = kSpSystemResFile;
    files_[1].refNum = kSpApplicationResFile;
    current_ = kSpApplicationResFile;
    resLoad_ = true;
    error_ = noErr;
  }

  OSErr& Error() { return error_; }
  bool& ResLoad() { return resLoad_; }
  SInt16 Current() const { return current_; }

  bool Use(SInt16 refNum) {
    if (refNum == 0) refNum = kSpSystemResFile;
    if (IndexOf(refNum) < 0) return false;
    current_ = refNum;
    return true;
  }

  ResFile* File(SInt16 refNum) {
    int index = IndexOf(refNum);
    return index < 0 ? nullptr : &files_[std::size_t(index)];
  }

  // The resource in the current file, or in it and every file below it.
  Resource* Find(ResType type, SInt16 id, bool currentOnly) {
    for (int index = IndexOf(current_); index >= 0; --index) {
      if (Resource* r = FindIn(files_[std::size_t(index)], type, id)) return r;
      if (currentOnly) break;
    }
    return nullptr;
  }

  static Resource* FindIn(ResFile& file, ResType type, SInt16 id) {
    for (auto& r : file.resources) {
      if (r->type == type && r->id == id) return r.get();
    }
    return nullptr;
  }

  // The resource whose handle this is, and its file.
  Resource* OwnerOf(Handle h, ResFile** home = nullptr) {
    if (h == nullptr) return nullptr;
    for (ResFile& file : files_) {
      for (auto& r : file.resources) {
        if (r->handle == h) {
          if (home != nullptr) *home = &file;
          return r.get();
        }
      }
    }
    return nullptr;
  }

 private:
  int IndexOf(SInt16 refNum) const {
    for (std::size_t i = 0; i < files_.size(); ++i) {
      if (files_[i].refNum == refNum) return int(i);
    }
    return -1;
  }

  void DisposeAll() {
    for (ResFile& file : files_) {
      for (auto& r : file.resources) {
        if (r->handle != nullptr) DisposeHandle(r->handle);
        r->handle = nullptr;
      }
    }
  }

  std::vector<ResFile> files_;  // bottom (system) first
  SInt16 current_ = kSpApplicationResFile;
  bool resLoad_ = true;
  OSErr error_ = noErr;
};

ResourceChain& Chain() {
  static ResourceChain chain;
  return chain;
}

// The resource's handle, loaded as SetResLoad asks; null with memFullErr when memory runs
// out.
Handle LoadedHandle(Resource& r) {
  ResourceChain& chain = Chain();
  bool load = chain.ResLoad();
  if (r.handle == nullptr) {
    r.handle = NewHandle(load ? Size(r.data.size()) : 0);
    if (r.handle == nullptr) {
      chain.Error() = memFullErr;
      return nullptr;
    }
    r.filled = false;
  }
  if (load && !r.filled) {
    if (GetHandleSize(r.handle) != Size(r.data.size())) {
      SetHandleSize(r.handle, Size(r.data.size()));
      if (MemError() != noErr) {
        chain.Error() = memFullErr;
        return nullptr;
      }
    }
    if (!r.data.empty()) std::memcpy(*r.handle, r.data.data(), r.data.size());
    r.filled = true;
  }
  chain.Error() = noErr;
  return r.handle;
}

Handle GetFrom(ResType type, SInt16 id, bool currentOnly) {
  Resource* r = Chain().Find(type, id, currentOnly);
  if (r == nullptr) {
    Chain().Error() = resNotFound;
    return nullptr;
  }
  return LoadedHandle(*r);
}

std::string NameBytes(ConstStr255Param name) {
  if (name == nullptr) return std::string();
  return std::string(reinterpret_cast<const char*>(name + 1), name[0]);
}

}  // namespace

namespace sp_platform {

void ResetResourceChain() {
  Chain().Reset();
}

OSErr AddApplicationResource(ResType type, SInt16 id, const void* bytes, std::size_t size,
                             const char* name) {
  if (bytes == nullptr && size > 0) return paramErr;
  ResFile* file = Chain().File(kSpApplicationResFile);
  auto r = std::make_unique<Resource>();
  r->type = type;
  r->id = id;
  if (name != nullptr) r->name.assign(name, std::min<std::size_t>(std::strlen(name), 255));
  if (size > 0)
    r->data.assign(static_cast<const UInt8*>(bytes), static_cast<const UInt8*>(bytes) + size);
  for (auto& old : file->resources) {
    if (old->type == type && old->id == id) {
      if (old->handle != nullptr) DisposeHandle(old->handle);
      old = std::move(r);
      return noErr;
    }
  }
  file->resources.push_back(std::move(r));
  return noErr;
}

}  // namespace sp_platform

Handle GetResource(ResType theType, SInt16 theID) {
  return GetFrom(theType, theID, false);
}

Handle Get1Resource(ResType theType, SInt16 theID) {
  return GetFrom(theType, theID, true);
}

void ReleaseResource(Handle theResource) {
  Resource* r = Chain().OwnerOf(theResource);
  if (r == nullptr) {
    Chain().Error() = resNotFound;
    return;
  }
  DisposeHandle(r->handle);
  r->handle = nullptr;
  r->filled = false;
  Chain().Error() = noErr;
}

SInt16 HomeResFile(Handle theResource) {
  ResFile* home = nullptr;
  if (Chain().OwnerOf(theResource, &home) == nullptr) {
    Chain().Error() = resNotFound;
    return -1;
  }
  Chain().Error() = noErr;
  return home->refNum;
}

SInt16 CurResFile() {
  Chain().Error() = noErr;
  return Chain().Current();
}

void UseResFile(SInt16 refNum) {
  Chain().Error() = Chain().Use(refNum) ? noErr : resFNotFound;
}

OSErr ResError() {
  return Chain().Error();
}

void SetResLoad(Boolean load) {
  Chain().ResLoad() = load != 0;
}

void GetIndString(Str255 theString, SInt16 strListID, SInt16 index) {
  if (theString == nullptr) return;
  theString[0] = 0;
  Resource* r = Chain().Find(SpFourCC("STR#"), strListID, false);
  if (r == nullptr) {
    Chain().Error() = resNotFound;
    return;
  }
  Chain().Error() = noErr;
  sp::ByteReader reader(r->data.data(), r->data.size());
  UInt16 count = reader.BE16();
  if (!reader.Ok() || index < 1 || index > count) return;
  for (SInt16 i = 1; i < index; ++i) {
    if (!reader.Skip(reader.U8())) return;
  }
  if (!reader.PascalString(theString)) theString[0] = 0;
}

void AddResource(Handle theData, ResType theType, SInt16 theID, ConstStr255Param name) {
  ResourceChain& chain = Chain();
  ResFile* file = chain.File(chain.Current());
  if (theData == nullptr || file == nullptr || chain.OwnerOf(theData) != nullptr ||
      ResourceChain::FindIn(*file, theType, theID) != nullptr) {
    chain.Error() = addResFailed;
    return;
  }
  Size size = GetHandleSize(theData);
  if (MemError() != noErr) {
    chain.Error() = addResFailed;
    return;
  }
  auto r = std::make_unique<Resource>();
  r->type = theType;
  r->id = theID;
  r->name = NameBytes(name);
  if (size > 0)
    r->data.assign(reinterpret_cast<UInt8*>(*theData), reinterpret_cast<UInt8*>(*theData) + size);
  r->handle = theData;
  r->filled = true;
  file->resources.push_back(std::move(r));
  chain.Error() = noErr;
}

SInt16 Count1Resources(ResType theType) {
  ResourceChain& chain = Chain();
  ResFile* file = chain.File(chain.Current());
  SInt16 count = 0;
  for (auto& r : file->resources) {
    if (r->type == theType && count < 0x7FFF) ++count;
  }
  chain.Error() = noErr;
  return count;
}

Handle Get1IndResource(ResType theType, SInt16 index) {
  ResourceChain& chain = Chain();
  ResFile* file = chain.File(chain.Current());
  SInt16 seen = 0;
  for (auto& r : file->resources) {
    if (r->type == theType && ++seen == index) return LoadedHandle(*r);
  }
  chain.Error() = resNotFound;
  return nullptr;
}

void GetResInfo(Handle theResource, SInt16* theID, ResType* theType, Str255 name) {
  Resource* r = Chain().OwnerOf(theResource);
  if (r == nullptr) {
    Chain().Error() = resNotFound;
    return;
  }
  if (theID != nullptr) *theID = r->id;
  if (theType != nullptr) *theType = r->type;
  if (name != nullptr) {
    name[0] = UInt8(r->name.size());
    std::memcpy(name + 1, r->name.data(), r->name.size());
  }
  Chain().Error() = noErr;
}
