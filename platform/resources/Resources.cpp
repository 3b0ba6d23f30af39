#include "Resources.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "ByteOrder.h"
#include "CFBundle.h"
#include "CFString.h"
#include "CFURL.h"
#include "Files.h"
#include "MacMemory.h"
#include "detail/ResourceFileFormat.h"
#include "detail/ResourceFileIO.h"
#include "detail/ResourceTable.h"
#include "files/internal/FileLocations.h"
#include "resources/internal/ResourceChain.h"

namespace {

namespace resfile = sp_platform::resfile;

using resfile::Resource;

struct ResFile {
  SInt16 refNum = 0;
  bool onDisk = false;  // false: kept in memory only, nothing to write to
  resfile::HostFile host;
  bool writable = false;  // opened with write permission
  bool changed = false;   // the map or a resource changed since the file was read or written
  UInt16 attributes = 0;
  std::array<UInt8, resfile::kReservedSize> reserved{};
  resfile::ResourceTable resources;
};

class ResourceChain {
 public:
  ResourceChain() { Restart(); }
  ~ResourceChain() { DisposeAll(); }
  ResourceChain(const ResourceChain&) = delete;
  ResourceChain& operator=(const ResourceChain&) = delete;

  void Reset() {
    DisposeAll();
    files_.clear();
    typesBuilt_ = false;
    files_.push_back(MakeMemoryFile(kSpSystemResFile));
    files_.push_back(MakeMemoryFile(kSpApplicationResFile));
    current_ = kSpApplicationResFile;
    nextRefNum_ = kSpApplicationResFile + 1;
    resLoad_ = true;
    error_ = noErr;
  }

  void Restart() {
    Reset();
    OpenBundleApplicationFile();
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
    if (refNum == 0) refNum = kSpSystemResFile;
    const int index = IndexOf(refNum);
    return index < 0 ? nullptr : files_[std::size_t(index)].get();
  }
  ResFile* CurrentFile() { return File(current_); }

  // The files searched from the current one: it first, then every file below it.
  std::vector<ResFile*> SearchPath(bool currentOnly) {
    std::vector<ResFile*> path;
    for (int index = IndexOf(current_); index >= 0; --index) {
      path.push_back(files_[std::size_t(index)].get());
      if (currentOnly) break;
    }
    return path;
  }

  // The types of the files searched from the current one, each once, in search order. The
  // list is kept until a file opens or closes, another becomes current or a file's types
  // change, so that walking the types by index builds it once, not once a call.
  const std::vector<ResType>& TypesSearched() {
    const UInt64 version = resfile::ResourceTable::TypesVersion();
    if (typesBuilt_ && typesCurrent_ == current_ && typesVersion_ == version) return types_;
    types_.clear();
    std::unordered_set<ResType> seen;
    for (ResFile* file : SearchPath(false)) {
      resfile::CountExamined(file->resources.Types().size());
      for (ResType type : file->resources.Types()) {
        if (seen.insert(type).second) types_.push_back(type);
      }
    }
    typesBuilt_ = true;
    typesCurrent_ = current_;
    typesVersion_ = version;
    return types_;
  }

  // The first resource of the type and number in the files searched, and its file.
  Resource* Find(ResType type, SInt16 id, bool currentOnly, ResFile** home = nullptr) {
    for (ResFile* file : SearchPath(currentOnly)) {
      if (Resource* r = file->resources.Find(type, id)) {
        if (home != nullptr) *home = file;
        return r;
      }
    }
    return nullptr;
  }

  // The resource whose handle this is, and its file: the files opened last are asked first.
  Resource* OwnerOf(Handle h, ResFile** home = nullptr) {
    if (h == nullptr) return nullptr;
    for (auto file = files_.rbegin(); file != files_.rend(); ++file) {
      if (Resource* r = (*file)->resources.OfHandle(h)) {
        if (home != nullptr) *home = file->get();
        return r;
      }
    }
    return nullptr;
  }

  // The open file that is this host file.
  ResFile* OpenFileOf(const resfile::HostFile& host) {
    for (auto& file : files_) {
      if (file->onDisk && file->host.device == host.device && file->host.inode == host.inode) {
        return file.get();
      }
    }
    return nullptr;
  }

  // Puts a file read from disk at the top of the chain and makes it current.
  SInt16 Push(std::unique_ptr<ResFile> file) {
    file->refNum = NextRefNum();
    const SInt16 refNum = file->refNum;
    files_.push_back(std::move(file));
    current_ = refNum;
    typesBuilt_ = false;
    return refNum;
  }

  // Replaces the application's file.
  void ReplaceApplicationFile(std::unique_ptr<ResFile> file) {
    const int index = IndexOf(kSpApplicationResFile);
    DisposeHandles(*files_[std::size_t(index)]);
    file->refNum = kSpApplicationResFile;
    files_[std::size_t(index)] = std::move(file);
    typesBuilt_ = false;
  }

  void Remove(SInt16 refNum) {
    const int index = IndexOf(refNum);
    if (index < 0) return;
    DisposeHandles(*files_[std::size_t(index)]);
    if (current_ == refNum) current_ = files_[std::size_t(index - 1)]->refNum;
    files_.erase(files_.begin() + index);
    typesBuilt_ = false;
  }

  static std::unique_ptr<ResFile> MakeMemoryFile(SInt16 refNum) {
    auto file = std::make_unique<ResFile>();
    file->refNum = refNum;
    file->writable = true;
    return file;
  }

  static void DisposeHandles(ResFile& file) {
    file.resources.ForEach([&file](Resource& r) {
      if (r.handle != nullptr) DisposeHandle(r.handle);
      file.resources.SetHandle(r, nullptr);
      r.filled = false;
    });
  }

 private:
  int IndexOf(SInt16 refNum) const {
    for (std::size_t i = 0; i < files_.size(); ++i) {
      if (files_[i]->refNum == refNum) return int(i);
    }
    return -1;
  }

  // Numbers are not reused at once, so a caller holding the number of a closed file does not
  // reach the next file opened.
  SInt16 NextRefNum() {
    for (;;) {
      if (nextRefNum_ >= 0x7FFF || nextRefNum_ <= kSpApplicationResFile) {
        nextRefNum_ = kSpApplicationResFile + 1;
      }
      const SInt16 candidate = nextRefNum_++;
      if (IndexOf(candidate) < 0) return candidate;
    }
  }

  void DisposeAll() {
    for (auto& file : files_) DisposeHandles(*file);
  }

  void OpenBundleApplicationFile();

  std::vector<std::unique_ptr<ResFile>> files_;  // bottom (system) first
  SInt16 current_ = kSpApplicationResFile;
  SInt16 nextRefNum_ = kSpApplicationResFile + 1;
  bool resLoad_ = true;
  OSErr error_ = noErr;
  std::vector<ResType> types_;  // see TypesSearched
  bool typesBuilt_ = false;
  SInt16 typesCurrent_ = 0;
  UInt64 typesVersion_ = 0;
};

ResourceChain& Chain() {
  static ResourceChain chain;
  return chain;
}

OSErr& Error() {
  return Chain().Error();
}

// ---- Files ----------------------------------------------------------------------------------

std::unique_ptr<ResFile> FileFromImage(resfile::FileImage& image) {
  auto file = std::make_unique<ResFile>();
  file->attributes = image.attributes;
  file->reserved = image.reserved;
  for (resfile::Entry& e : image.entries) {
    auto r = std::make_unique<Resource>();
    r->type = e.type;
    r->id = e.id;
    r->attributes = e.attributes;
    r->hasName = e.hasName;
    r->name = std::move(e.name);
    r->bytes = std::move(e.bytes);
    file->resources.Add(std::move(r));
  }
  return file;
}

// Reads and parses a resource file from disk.
OSErr LoadFile(const std::string& path, std::unique_ptr<ResFile>& out) {
  std::shared_ptr<std::vector<UInt8>> bytes;
  resfile::HostFile host;
  OSErr err = resfile::ReadWholeFile(path, bytes, host);
  if (err != noErr) return err;
  resfile::FileImage image;
  err = resfile::Parse(bytes, image);
  if (err != noErr) return err;
  out = FileFromImage(image);
  out->onDisk = true;
  out->host = host;
  return noErr;
}

// The name of the application's compiled resource file in the main bundle folder.
constexpr char kApplicationResourceFileName[] = "Application.rsrc";

OSErr LoadBytes(const std::vector<UInt8>& bytes, std::unique_ptr<ResFile>& out) {
  resfile::FileImage image;
  OSErr err = resfile::Parse(std::make_shared<const std::vector<UInt8>>(bytes), image);
  if (err != noErr) return err;
  out = FileFromImage(image);
  out->writable = true;
  return noErr;
}

void ResourceChain::OpenBundleApplicationFile() {
  CFStringRef name =
      CFStringCreateWithCString(nullptr, kApplicationResourceFileName, kCFStringEncodingUTF8);
  CFURLRef url = CFBundleCopyResourceURL(CFBundleGetMainBundle(), name, nullptr, nullptr);
  CFRelease(name);
  if (url == nullptr) return;
  UInt8 path[4096];
  const bool havePath = CFURLGetFileSystemRepresentation(url, true, path, sizeof path);
  CFRelease(url);
  std::unique_ptr<ResFile> file;
  if (havePath && LoadFile(reinterpret_cast<const char*>(path), file) == noErr) {
    ReplaceApplicationFile(std::move(file));
  }
}

// The handle's bytes become the resource's where they were marked changed.
void TakeChangedBytes(Resource& r) {
  if ((r.attributes & resChanged) == 0) return;
  if (r.handle != nullptr && r.filled) {
    r.bytes.Assign(*r.handle, std::size_t(GetHandleSize(r.handle)));
  }
  r.attributes = UInt8(r.attributes & ~resChanged);
}

// Writes the file to disk when it changed. Memory-only files have nothing to write to.
OSErr WriteFile(ResFile& file) {
  bool changed = file.changed;
  file.resources.ForEach([&changed](Resource& r) {
    if (r.attributes & resChanged) changed = true;
  });
  if (!changed) return noErr;
  if (!file.onDisk) {
    file.resources.ForEach(TakeChangedBytes);
    file.changed = false;
    return noErr;
  }
  if (!file.writable) return wrPermErr;
  // The changed marks move to the file, so a failed write is tried again by the next one.
  file.changed = true;
  file.resources.ForEach(TakeChangedBytes);
  resfile::FileImage image;
  image.attributes = file.attributes;
  image.reserved = file.reserved;
  file.resources.ForEach([&image](const Resource& r) {
    resfile::Entry e;
    e.type = r.type;
    e.id = r.id;
    e.attributes = r.attributes;
    e.hasName = r.hasName;
    e.name = r.name;
    e.bytes = r.bytes;
    image.entries.push_back(std::move(e));
  });
  std::vector<UInt8> bytes;
  // Past the format's limits (16 MB of data, 32 KB of names) the file has no room left.
  if (!resfile::Serialize(image, bytes)) return dskFulErr;
  OSErr err = resfile::WriteWholeFileAtomically(file.host, bytes);
  if (err == noErr) file.changed = false;
  return err;
}

// ---- Loading --------------------------------------------------------------------------------

// The resource's handle, loaded as SetResLoad asks; null with memFullErr when memory runs
// out.
Handle LoadedHandle(ResFile& file, Resource& r, bool load) {
  if (r.handle == nullptr) {
    Handle h = NewHandle(load ? Size(r.bytes.Size()) : 0);
    if (h == nullptr) {
      Error() = memFullErr;
      return nullptr;
    }
    file.resources.SetHandle(r, h);
    r.filled = false;
  }
  if (load && !r.filled) {
    if (GetHandleSize(r.handle) != Size(r.bytes.Size())) {
      SetHandleSize(r.handle, Size(r.bytes.Size()));
      if (MemError() != noErr) {
        Error() = memFullErr;
        return nullptr;
      }
    }
    if (r.bytes.Size() > 0) std::memcpy(*r.handle, r.bytes.Data(), r.bytes.Size());
    r.filled = true;
  }
  Error() = noErr;
  return r.handle;
}

Handle LoadedHandle(ResFile& file, Resource& r) {
  return LoadedHandle(file, r, Chain().ResLoad());
}

// The resource whose handle this is (and its file); null with resNotFound for any other
// handle.
Resource* Owned(Handle h, ResFile** home = nullptr) {
  Resource* r = Chain().OwnerOf(h, home);
  if (r == nullptr) Error() = resNotFound;
  return r;
}

// As Owned, for a change of the resource: null with resAttrErr for a protected one.
Resource* Changeable(Handle h, ResFile** home) {
  Resource* r = Owned(h, home);
  if (r != nullptr && (r->attributes & resProtected)) {
    Error() = resAttrErr;
    return nullptr;
  }
  return r;
}

// The handle leaves its resource: changed bytes are kept for the next write of the file
// rather than lost with it. Released handles are disposed of, detached ones are the caller's.
void LetGoOfHandle(Handle theResource, bool dispose) {
  ResFile* home = nullptr;
  Resource* r = Owned(theResource, &home);
  if (r == nullptr) return;
  if (r->attributes & resChanged) home->changed = true;
  TakeChangedBytes(*r);
  if (dispose) DisposeHandle(r->handle);
  home->resources.SetHandle(*r, nullptr);
  r->filled = false;
  Error() = noErr;
}

Handle GetFrom(ResType type, SInt16 id, bool currentOnly) {
  ResFile* home = nullptr;
  Resource* r = Chain().Find(type, id, currentOnly, &home);
  if (r == nullptr) {
    Error() = resNotFound;
    return nullptr;
  }
  return LoadedHandle(*home, *r);
}

std::string NameBytes(ConstStr255Param name) {
  if (name == nullptr) return std::string();
  return std::string(reinterpret_cast<const char*>(name + 1), name[0]);
}

bool SameName(const std::string& a, ConstStr255Param b) {
  if (a.size() != b[0]) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    UInt8 x = UInt8(a[i]);
    UInt8 y = b[i + 1];
    if (x >= 'a' && x <= 'z') x = UInt8(x - 32);
    if (y >= 'a' && y <= 'z') y = UInt8(y - 32);
    if (x != y) return false;
  }
  return true;
}

Handle GetNamedFrom(ResType type, ConstStr255Param name, bool currentOnly) {
  if (name != nullptr) {
    for (ResFile* file : Chain().SearchPath(currentOnly)) {
      for (auto& r : file->resources.OfType(type)) {
        resfile::CountExamined(1);
        if (r->hasName && SameName(r->name, name)) return LoadedHandle(*file, *r);
      }
    }
  }
  Error() = resNotFound;
  return nullptr;
}

SInt16 CountIn(const std::vector<ResFile*>& path, ResType type) {
  std::size_t count = 0;
  for (ResFile* file : path) count += file->resources.OfType(type).size();
  Error() = noErr;
  return SInt16(std::min<std::size_t>(count, 0x7FFF));
}

Handle IndexIn(const std::vector<ResFile*>& path, ResType type, SInt16 index) {
  std::size_t before = 0;
  for (ResFile* file : path) {
    const auto& list = file->resources.OfType(type);
    if (index >= 1 && std::size_t(index) <= before + list.size()) {
      resfile::CountExamined(1);
      return LoadedHandle(*file, *list[std::size_t(index) - before - 1]);
    }
    before += list.size();
  }
  Error() = resNotFound;
  return nullptr;
}

// The types of the current file, or of every file searched from it (each type once).
const std::vector<ResType>& TypesOf(bool currentOnly) {
  static const std::vector<ResType> kNone;
  if (!currentOnly) return Chain().TypesSearched();
  const ResFile* file = Chain().CurrentFile();
  return file != nullptr ? file->resources.Types() : kNone;
}

SInt16 CountTypesIn(bool currentOnly) {
  Error() = noErr;
  return SInt16(std::min<std::size_t>(TypesOf(currentOnly).size(), 0x7FFF));
}

void IndType(bool currentOnly, ResType* theType, SInt16 index) {
  if (theType == nullptr) {
    Error() = paramErr;
    return;
  }
  const std::vector<ResType>& types = TypesOf(currentOnly);
  if (index < 1 || std::size_t(index) > types.size()) {
    *theType = 0;
    Error() = resNotFound;
    return;
  }
  *theType = types[std::size_t(index - 1)];
  Error() = noErr;
}

SInt16 UniqueIn(const std::vector<ResFile*>& path, ResType type) {
  for (SInt32 id = 128; id <= 0x7FFF; ++id) {
    bool used = false;
    for (ResFile* file : path) {
      if (file->resources.Find(type, SInt16(id)) != nullptr) used = true;
    }
    if (!used) {
      Error() = noErr;
      return SInt16(id);
    }
  }
  Error() = addResFailed;
  return 0;
}

// ---- Opening --------------------------------------------------------------------------------

bool WantsWrite(SInt8 permission) {
  return permission == fsWrPerm || permission == fsRdWrPerm || permission == fsRdWrShPerm;
}

SInt16 OpenLocated(const sp_platform::files::Location& location, SInt8 permission) {
  if (!location.exists || location.isFolder) {
    Error() = fnfErr;
    return -1;
  }
  std::unique_ptr<ResFile> file;
  OSErr err = LoadFile(location.path, file);
  if (err != noErr) {
    Error() = err;
    return -1;
  }
  ResourceChain& chain = Chain();
  if (ResFile* open = chain.OpenFileOf(file->host)) {
    chain.Use(open->refNum);
    Error() = noErr;
    return open->refNum;
  }
  bool writable = file->host.writable;
  const OSErr volume = sp_platform::files::VolumeIsReadOnly(location.vRefNum) ? wPrErr : noErr;
  if (volume != noErr) writable = false;
  if (WantsWrite(permission) && !writable) {
    Error() = volume != noErr ? volume : OSErr(permErr);
    return -1;
  }
  file->writable =
      permission != fsRdPerm && writable && (file->attributes & resfile::kMapReadOnly) == 0;
  const SInt16 refNum = chain.Push(std::move(file));
  Error() = noErr;
  return refNum;
}

// Gives the file an empty resource map: a new file made through the File Manager, or an
// existing empty file.
void CreateAt(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, OSType creator,
              OSType fileType, ScriptCode script) {
  sp_platform::files::Location location;
  OSErr err = sp_platform::files::LocateClassic(vRefNum, dirID, fileName, location);
  if (err == noErr) {
    if (location.isFolder || location.st.st_size != 0) {
      Error() = dupFNErr;
      return;
    }
  } else if (err == fnfErr) {
    FSSpec spec{};
    spec.vRefNum = vRefNum;
    spec.parID = dirID;
    const std::size_t length = fileName == nullptr ? 0 : std::min<std::size_t>(fileName[0], 63);
    spec.name[0] = UInt8(length);
    if (length > 0) std::memcpy(spec.name + 1, fileName + 1, length);
    err = FSpCreate(&spec, creator, fileType, script);
    if (err == noErr) err = sp_platform::files::LocateClassic(vRefNum, dirID, fileName, location);
    if (err != noErr) {
      Error() = err;
      return;
    }
  } else {
    Error() = err;
    return;
  }
  std::vector<UInt8> bytes;
  resfile::Serialize(resfile::FileImage(), bytes);
  Error() = resfile::WriteIntoEmptyFile(location.path, bytes);
}

}  // namespace

// ---- Test hooks -----------------------------------------------------------------------------

namespace sp_platform {

void ResetResourceChain() {
  Chain().Reset();
}

void RestartResourceChain() {
  Chain().Restart();
}

OSErr AddApplicationResource(ResType type, SInt16 id, const void* bytes, std::size_t size,
                             const char* name) {
  if (bytes == nullptr && size > 0) return paramErr;
  ResFile* file = Chain().File(kSpApplicationResFile);
  // One already there keeps its place and takes the new contents.
  Resource* r = file->resources.Find(type, id);
  if (r == nullptr) {
    auto made = std::make_unique<Resource>();
    made->type = type;
    made->id = id;
    r = file->resources.Add(std::move(made));
  }
  if (r->handle != nullptr) DisposeHandle(r->handle);
  file->resources.SetHandle(*r, nullptr);
  r->filled = false;
  r->attributes = 0;
  r->hasName = name != nullptr;
  r->name.assign(name != nullptr ? name : "",
                 name != nullptr ? std::min<std::size_t>(std::strlen(name), 255) : 0);
  r->bytes.Assign(bytes, size);
  return noErr;
}

UInt64 ResourcesExaminedByLookUps() {
  return resfile::ResourcesExamined();
}

OSErr UseApplicationResourceFile(const std::string& path) {
  std::unique_ptr<ResFile> file;
  OSErr err = LoadFile(path, file);
  if (err != noErr) file = ResourceChain::MakeMemoryFile(kSpApplicationResFile);
  Chain().ReplaceApplicationFile(std::move(file));
  return err;
}

OSErr UseApplicationResourceBytes(const std::vector<UInt8>& bytes) {
  std::unique_ptr<ResFile> file;
  OSErr err = LoadBytes(bytes, file);
  if (err != noErr) file = ResourceChain::MakeMemoryFile(kSpApplicationResFile);
  Chain().ReplaceApplicationFile(std::move(file));
  return err;
}

}  // namespace sp_platform

// ---- Getting resources ----------------------------------------------------------------------

Handle GetResource(ResType theType, SInt16 theID) {
  return GetFrom(theType, theID, false);
}

Handle Get1Resource(ResType theType, SInt16 theID) {
  return GetFrom(theType, theID, true);
}

Handle GetNamedResource(ResType theType, ConstStr255Param name) {
  return GetNamedFrom(theType, name, false);
}

Handle Get1NamedResource(ResType theType, ConstStr255Param name) {
  return GetNamedFrom(theType, name, true);
}

void ReleaseResource(Handle theResource) {
  LetGoOfHandle(theResource, true);
}

void DetachResource(Handle theResource) {
  LetGoOfHandle(theResource, false);
}

void LoadResource(Handle theResource) {
  ResFile* home = nullptr;
  Resource* r = Owned(theResource, &home);
  if (r == nullptr) return;
  LoadedHandle(*home, *r, true);
}

SInt16 HomeResFile(Handle theResource) {
  ResFile* home = nullptr;
  if (Owned(theResource, &home) == nullptr) return -1;
  Error() = noErr;
  return home->refNum;
}

SInt16 CurResFile() {
  Error() = noErr;
  return Chain().Current();
}

void UseResFile(SInt16 refNum) {
  Error() = Chain().Use(refNum) ? noErr : resFNotFound;
}

OSErr ResError() {
  return Error();
}

void SetResLoad(Boolean load) {
  Chain().ResLoad() = load != 0;
}

void GetIndString(Str255 theString, SInt16 strListID, SInt16 index) {
  if (theString == nullptr) return;
  theString[0] = 0;
  Resource* r = Chain().Find(SpFourCC("STR#"), strListID, false);
  if (r == nullptr) {
    Error() = resNotFound;
    return;
  }
  Error() = noErr;
  // A loaded handle may hold changes not yet written: they are what the program sees.
  const bool fromHandle = r->handle != nullptr && r->filled;
  const void* data = fromHandle ? static_cast<const void*>(*r->handle) : r->bytes.Data();
  const std::size_t size = fromHandle ? std::size_t(GetHandleSize(r->handle)) : r->bytes.Size();
  sp::ByteReader reader(data, size);
  UInt16 count = reader.BE16();
  if (!reader.Ok() || index < 1 || index > count) return;
  for (SInt16 i = 1; i < index; ++i) {
    if (!reader.Skip(reader.U8())) return;
  }
  if (!reader.PascalString(theString)) theString[0] = 0;
}

// ---- Changing resources ---------------------------------------------------------------------

void AddResource(Handle theData, ResType theType, SInt16 theID, ConstStr255Param name) {
  ResourceChain& chain = Chain();
  ResFile* file = chain.CurrentFile();
  if (theData == nullptr || file == nullptr || chain.OwnerOf(theData) != nullptr ||
      file->resources.Find(theType, theID) != nullptr) {
    Error() = addResFailed;
    return;
  }
  const Size size = GetHandleSize(theData);
  if (MemError() != noErr) {
    Error() = addResFailed;
    return;
  }
  auto r = std::make_unique<Resource>();
  r->type = theType;
  r->id = theID;
  r->hasName = name != nullptr;
  r->name = NameBytes(name);
  r->bytes.Assign(*theData, std::size_t(size));
  r->handle = theData;
  r->filled = true;
  r->attributes = resChanged;
  file->resources.Add(std::move(r));
  file->changed = true;
  Error() = noErr;
}

void RemoveResource(Handle theResource) {
  ResourceChain& chain = Chain();
  ResFile* home = nullptr;
  Resource* r = chain.OwnerOf(theResource, &home);
  if (r == nullptr || home != chain.CurrentFile() || (r->attributes & resProtected)) {
    Error() = rmvResFailed;
    return;
  }
  home->resources.Remove(r);
  home->changed = true;
  Error() = noErr;
}

void ChangedResource(Handle theResource) {
  ResFile* home = nullptr;
  Resource* r = Changeable(theResource, &home);
  if (r == nullptr) return;
  r->attributes = UInt8(r->attributes | resChanged);
  home->changed = true;
  Error() = noErr;
}

void WriteResource(Handle theResource) {
  ResFile* home = nullptr;
  Resource* r = Owned(theResource, &home);
  if (r == nullptr) return;
  Error() = (r->attributes & resChanged) ? WriteFile(*home) : OSErr(noErr);
}

void UpdateResFile(SInt16 refNum) {
  ResFile* file = Chain().File(refNum);
  if (file == nullptr) {
    Error() = resFNotFound;
    return;
  }
  Error() = WriteFile(*file);
}

// ---- Counting and indexing ------------------------------------------------------------------

SInt16 Count1Resources(ResType theType) {
  return CountIn(Chain().SearchPath(true), theType);
}

Handle Get1IndResource(ResType theType, SInt16 index) {
  return IndexIn(Chain().SearchPath(true), theType, index);
}

SInt16 CountResources(ResType theType) {
  return CountIn(Chain().SearchPath(false), theType);
}

Handle GetIndResource(ResType theType, SInt16 index) {
  return IndexIn(Chain().SearchPath(false), theType, index);
}

SInt16 Count1Types() {
  return CountTypesIn(true);
}

SInt16 CountTypes() {
  return CountTypesIn(false);
}

void Get1IndType(ResType* theType, SInt16 index) {
  IndType(true, theType, index);
}

void GetIndType(ResType* theType, SInt16 index) {
  IndType(false, theType, index);
}

// ---- Information ----------------------------------------------------------------------------

void GetResInfo(Handle theResource, SInt16* theID, ResType* theType, Str255 name) {
  Resource* r = Owned(theResource);
  if (r == nullptr) return;
  if (theID != nullptr) *theID = r->id;
  if (theType != nullptr) *theType = r->type;
  if (name != nullptr) {
    name[0] = UInt8(r->name.size());
    std::memcpy(name + 1, r->name.data(), r->name.size());
  }
  Error() = noErr;
}

void SetResInfo(Handle theResource, SInt16 theID, ConstStr255Param name) {
  ResFile* home = nullptr;
  Resource* r = Changeable(theResource, &home);
  if (r == nullptr) return;
  home->resources.SetId(*r, theID);
  if (name != nullptr) {
    r->hasName = true;
    r->name = NameBytes(name);
  }
  home->changed = true;
  Error() = noErr;
}

SInt16 GetResAttrs(Handle theResource) {
  Resource* r = Owned(theResource);
  if (r == nullptr) return 0;
  Error() = noErr;
  return r->attributes;
}

void SetResAttrs(Handle theResource, SInt16 attrs) {
  ResFile* home = nullptr;
  Resource* r = Owned(theResource, &home);
  if (r == nullptr) return;
  r->attributes = UInt8(attrs);
  home->changed = true;
  Error() = noErr;
}

SInt32 GetResourceSizeOnDisk(Handle theResource) {
  Resource* r = Owned(theResource);
  if (r == nullptr) return -1;
  Error() = noErr;
  return SInt32(r->bytes.Size());
}

SInt32 GetMaxResourceSize(Handle theResource) {
  Resource* r = Owned(theResource);
  if (r == nullptr) return -1;
  Error() = noErr;
  return SInt32(std::max<std::size_t>(r->bytes.Size(), std::size_t(GetHandleSize(r->handle))));
}

SInt16 UniqueID(ResType theType) {
  return UniqueIn(Chain().SearchPath(false), theType);
}

SInt16 Unique1ID(ResType theType) {
  return UniqueIn(Chain().SearchPath(true), theType);
}

// ---- Files ----------------------------------------------------------------------------------

SInt16 HOpenResFile(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, SInt8 permission) {
  sp_platform::files::Location location;
  const OSErr err = sp_platform::files::LocateClassic(vRefNum, dirID, fileName, location);
  if (err != noErr) {
    Error() = err;
    return -1;
  }
  return OpenLocated(location, permission);
}

SInt16 FSpOpenResFile(const FSSpec* spec, SInt8 permission) {
  if (const OSErr err = sp_platform::files::CheckFSSpec(spec)) {
    Error() = err;
    return -1;
  }
  return HOpenResFile(spec->vRefNum, spec->parID, spec->name, permission);
}

SInt16 FSOpenResFile(const FSRef* ref, SInt8 permission) {
  if (ref == nullptr) {
    Error() = paramErr;
    return -1;
  }
  sp_platform::files::Location location;
  const OSErr err = sp_platform::files::LocateRef(ref, location);
  if (err != noErr) {
    Error() = err;
    return -1;
  }
  return OpenLocated(location, permission);
}

void HCreateResFile(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName) {
  CreateAt(vRefNum, dirID, fileName, 0, 0, 0);
}

void FSpCreateResFile(const FSSpec* spec, OSType creator, OSType fileType, ScriptCode scriptTag) {
  if (const OSErr err = sp_platform::files::CheckFSSpec(spec)) {
    Error() = err;
    return;
  }
  CreateAt(spec->vRefNum, spec->parID, spec->name, creator, fileType, scriptTag);
}

void CloseResFile(SInt16 refNum) {
  ResourceChain& chain = Chain();
  if (refNum == 0 || refNum == kSpSystemResFile || refNum == kSpApplicationResFile) {
    Error() = noErr;
    return;
  }
  ResFile* file = chain.File(refNum);
  if (file == nullptr) {
    Error() = resFNotFound;
    return;
  }
  // A read-only file's changes were never meant for the disk: they go with it.
  const OSErr err = file->writable ? WriteFile(*file) : OSErr(noErr);
  chain.Remove(refNum);
  Error() = err;
}
