// Files as movies: aliases as data references, the check whether a file opens as a movie,
// and the movie importers with the components that stand for them.

#include <sys/stat.h>

#include <cstring>
#include <deque>
#include <new>
#include <unordered_set>

#include "ByteOrder.h"
#include "Files.h"
#include "MacMemory.h"
#include "Movies.h"
#include "files/internal/FileLocations.h"
#include "quicktime/detail/ComponentRecords.h"
#include "quicktime/detail/Demux.h"
#include "quicktime/detail/MovieData.h"

namespace sp_platform {
namespace quicktime {
namespace {

// Registered importers live as long as the process (a deque keeps their addresses).
std::deque<ComponentRecord>& Components() {
  static std::deque<ComponentRecord> components;
  return components;
}

std::unordered_set<const ComponentInstanceRecord*>& Instances() {
  static std::unordered_set<const ComponentInstanceRecord*> instances;
  return instances;
}

bool IsComponent(const ComponentRecord* c) {
  for (const ComponentRecord& r : Components()) {
    if (&r == c) return true;
  }
  return false;
}

std::string CodeText(OSType code) {
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = char((code >> shift) & 0xFF);
    if (c != ' ') s += (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return s;
}

// The importer of a container giving a media type: one component per pair.
Component ImporterFor(OSType container, OSType mediaType) {
  for (ComponentRecord& r : Components()) {
    if (r.description.componentSubType == container &&
        r.description.componentManufacturer == mediaType)
      return &r;
  }
  ComponentRecord r;
  r.description.componentType = MovieImportType;
  r.description.componentSubType = container;
  r.description.componentManufacturer = mediaType;
  r.name = CodeText(container) + " Importer";
  Components().push_back(r);
  return &Components().back();
}

OSErr Result(OSErr err) {
  SetMoviesError(err);
  return err;
}

}  // namespace

Component RegisterComponent(const ComponentDescription& description, const std::string& name) {
  for (ComponentRecord& r : Components()) {
    if (r.description.componentType == description.componentType &&
        r.description.componentSubType == description.componentSubType &&
        r.description.componentManufacturer == description.componentManufacturer)
      return &r;
  }
  ComponentRecord r;
  r.description = description;
  r.name = name;
  Components().push_back(r);
  return &Components().back();
}

ComponentInstanceRecord* LiveComponentInstance(ComponentInstance instance) {
  return Instances().count(instance) != 0 ? instance : nullptr;
}

namespace {

bool CopyPascal(const std::string& text, Handle h) {
  if (h == nullptr) return true;
  const std::size_t n = std::min<std::size_t>(text.size(), 255);
  SetHandleSize(h, Size(n + 1));
  if (MemError() != noErr) return false;
  (*h)[0] = char(n);
  std::memcpy(*h + 1, text.data(), n);
  return true;
}

// The alias payload after its AliasRecord: the FSSpec (volume, parent id, name)
// and the file's path, big-endian.
std::vector<UInt8> AliasPayload(const FSSpec& spec, const std::string& path) {
  sp::ByteWriter w;
  w.BE16(UInt16(spec.vRefNum));
  w.BE32(UInt32(spec.parID));
  w.Bytes(spec.name, sizeof(spec.name));
  w.BE32(UInt32(path.size()));
  w.Bytes(path.data(), path.size());
  return w.Data();
}

}  // namespace

OSErr ResolveAliasDataRef(Handle dataRef, std::string* path) {
  if (dataRef == nullptr || *dataRef == nullptr) return invalidDataRef;
  const Size size = GetHandleSize(dataRef);
  if (size < Size(sizeof(AliasRecord))) return invalidDataRef;
  AliasRecord header;
  std::memcpy(&header, *dataRef, sizeof(header));
  if (header.aliasSize != size) return invalidDataRef;
  sp::ByteReader r(*dataRef + sizeof(AliasRecord), std::size_t(size) - sizeof(AliasRecord));
  FSSpec spec{};
  spec.vRefNum = r.SBE16();
  spec.parID = r.SBE32();
  r.Bytes(spec.name, sizeof(spec.name));
  const UInt32 pathSize = r.BE32();
  std::string recorded;
  if (r.Has(pathSize)) recorded.assign(reinterpret_cast<const char*>(r.Current()), pathSize);
  r.Skip(pathSize);
  if (!r.Ok() || spec.name[0] > 63) return invalidDataRef;
  // The file where the FSSpec finds it now (the catalogue follows renames), else
  // where it was when the alias was made.
  files::Location location;
  if (files::LocateClassic(spec.vRefNum, spec.parID, spec.name, location) == noErr &&
      !location.isFolder) {
    *path = location.path;
    return noErr;
  }
  struct stat st {};
  if (!recorded.empty() && ::stat(recorded.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    *path = recorded;
    return noErr;
  }
  return couldNotResolveDataRef;
}

std::shared_ptr<ByteSource> OpenAliasDataRef(OSType dataRefType, Handle dataRef, std::string* path,
                                             OSErr* err) {
  *err = dataRefType == rAliasType ? ResolveAliasDataRef(dataRef, path) : OSErr(invalidDataRef);
  if (*err != noErr) return nullptr;
  std::shared_ptr<ByteSource> source = OpenPathSource(*path, err);
  if (source == nullptr) *err = couldNotResolveDataRef;
  return source;
}

}  // namespace quicktime
}  // namespace sp_platform

namespace qt = sp_platform::quicktime;

// ---- Aliases -------------------------------------------------------------------------------

OSErr NewAlias(const FSSpec* fromFile, const FSSpec* target, AliasHandle* alias) {
  (void)fromFile;
  if (target == nullptr || alias == nullptr) return paramErr;
  *alias = nullptr;
  if (OSErr err = sp_platform::files::CheckFSSpec(target)) return err;
  sp_platform::files::Location location;
  const OSErr err =
      sp_platform::files::LocateClassic(target->vRefNum, target->parID, target->name, location);
  if (err != noErr) return err;
  try {
    const std::vector<UInt8> payload = qt::AliasPayload(*target, location.path);
    const std::size_t size = sizeof(AliasRecord) + payload.size();
    if (size > 0xFFFF) return paramErr;
    Handle h = NewHandleClear(Size(size));
    if (h == nullptr) return memFullErr;
    AliasRecord header{};
    header.aliasSize = UInt16(size);
    std::memcpy(*h, &header, sizeof(header));
    std::memcpy(*h + sizeof(header), payload.data(), payload.size());
    *alias = reinterpret_cast<AliasHandle>(h);
  } catch (const std::bad_alloc&) {
    return memFullErr;
  }
  return noErr;
}

// ---- Components ----------------------------------------------------------------------------

OSErr GetComponentInfo(Component aComponent, ComponentDescription* cd, Handle componentName,
                       Handle componentInfo, Handle componentIcon) {
  if (!qt::IsComponent(aComponent)) return invalidComponentID;
  if (cd != nullptr) *cd = aComponent->description;
  if (!qt::CopyPascal(aComponent->name, componentName) ||
      !qt::CopyPascal(aComponent->name, componentInfo))
    return memFullErr;
  if (componentIcon != nullptr) SetHandleSize(componentIcon, 0);
  return noErr;
}

namespace {

bool Matches(const ComponentDescription& have, const ComponentDescription& want) {
  return (want.componentType == 0 || want.componentType == have.componentType) &&
         (want.componentSubType == 0 || want.componentSubType == have.componentSubType) &&
         (want.componentManufacturer == 0 ||
          want.componentManufacturer == have.componentManufacturer) &&
         ((have.componentFlags ^ want.componentFlags) & want.componentFlagsMask) == 0;
}

}  // namespace

Component FindNextComponent(Component aComponent, const ComponentDescription* looking) {
  if (looking == nullptr) return nullptr;
  auto& all = qt::Components();
  auto it = all.begin();
  if (aComponent != nullptr) {
    while (it != all.end() && &*it != aComponent) ++it;
    if (it == all.end()) return nullptr;
    ++it;
  }
  for (; it != all.end(); ++it) {
    if (Matches(it->description, *looking)) return &*it;
  }
  return nullptr;
}

SInt32 CountComponents(const ComponentDescription* looking) {
  if (looking == nullptr) return 0;
  SInt32 count = 0;
  for (const ComponentRecord& r : qt::Components())
    count += Matches(r.description, *looking) ? 1 : 0;
  return count;
}

ComponentInstance OpenComponent(Component aComponent) {
  if (!qt::IsComponent(aComponent)) return nullptr;
  auto* instance = new (std::nothrow) ComponentInstanceRecord;
  if (instance == nullptr) return nullptr;
  instance->component = aComponent;
  qt::Instances().insert(instance);
  return instance;
}

OSErr CloseComponent(ComponentInstance aComponentInstance) {
  if (qt::Instances().erase(aComponentInstance) == 0) return badComponentInstance;
  delete aComponentInstance;
  return noErr;
}

// ---- Files as movies -----------------------------------------------------------------------

OSErr CanQuickTimeOpenFile(const FSSpec* fileSpec, OSType fileType, OSType fileNameExtension,
                           Boolean* outCanOpenWithGraphicsImporter, Boolean* outCanOpenAsMovie,
                           Boolean* outPreferGraphicsImporter, UInt32 inFlags) {
  (void)fileType;
  (void)fileNameExtension;
  if (outCanOpenWithGraphicsImporter != nullptr) *outCanOpenWithGraphicsImporter = false;
  if (outCanOpenAsMovie != nullptr) *outCanOpenAsMovie = false;
  if (outPreferGraphicsImporter != nullptr) *outPreferGraphicsImporter = false;
  if (OSErr err = sp_platform::files::CheckFSSpec(fileSpec)) return qt::Result(err);
  sp_platform::files::Location location;
  OSErr err = sp_platform::files::LocateClassic(fileSpec->vRefNum, fileSpec->parID, fileSpec->name,
                                                location);
  if (err != noErr) return qt::Result(err);
  if (location.isFolder) return qt::Result(noErr);
  std::shared_ptr<qt::ByteSource> source = qt::OpenPathSource(location.path, &err);
  if (source == nullptr) return qt::Result(err);
  const qt::FileSummary summary = qt::SummariseSource(source, location.path);
  if (!summary.readable) return qt::Result(noErr);
  const bool anyTrack = summary.hasSound || summary.hasVideo || summary.hasText;
  const bool movie =
      anyTrack &&
      !(summary.stillImage && (inFlags & kQTDontLookForMovieImporterIfGraphicsImporterFound) != 0);
  if (outCanOpenWithGraphicsImporter != nullptr)
    *outCanOpenWithGraphicsImporter = summary.stillImage;
  if (outCanOpenAsMovie != nullptr) *outCanOpenAsMovie = movie;
  if (outPreferGraphicsImporter != nullptr) *outPreferGraphicsImporter = summary.stillImage;
  return qt::Result(noErr);
}

OSErr GetMovieImporterForDataRef(OSType dataRefType, Handle dataRef, SInt32 flags,
                                 Component* importer) {
  (void)flags;
  if (importer == nullptr) return qt::Result(paramErr);
  *importer = nullptr;
  std::string path;
  OSErr err = noErr;
  std::shared_ptr<qt::ByteSource> source = qt::OpenAliasDataRef(dataRefType, dataRef, &path, &err);
  if (source == nullptr) return qt::Result(err);
  const qt::FileSummary summary = qt::SummariseSource(source, path);
  if (!summary.readable) return qt::Result(cantFindHandler);
  OSType mediaType = 0;
  if (summary.hasSound) {
    mediaType = SoundMediaType;
  } else if (summary.hasVideo && !summary.stillImage) {
    mediaType = VideoMediaType;
  } else if (summary.hasText) {
    mediaType = TextMediaType;
  }
  if (mediaType == 0) return qt::Result(cantFindHandler);
  try {
    *importer = qt::ImporterFor(summary.container, mediaType);
  } catch (const std::bad_alloc&) {
    return qt::Result(memFullErr);
  }
  return qt::Result(noErr);
}

OSErr MovieImportGetDestinationMediaType(MovieImportComponent ci, OSType* mediaType) {
  if (mediaType == nullptr) return paramErr;
  if (qt::Instances().count(ci) == 0) return badComponentInstance;
  *mediaType = ci->component->description.componentManufacturer;
  return noErr;
}
