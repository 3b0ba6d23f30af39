// The main bundle: the application's resource folder. What it holds is read on first use
// and kept: the Info.plist dictionary and each string table asked for.
#include "CFBundle.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "CFPropertyList.h"
#include "cf/internal/BundleHooks.h"
#include "detail/CFObjects.h"
#include "detail/StringsFile.h"

const CFStringRef kCFBundleInfoDictionaryVersionKey = CFSTR("CFBundleInfoDictionaryVersion");
const CFStringRef kCFBundleExecutableKey = CFSTR("CFBundleExecutable");
const CFStringRef kCFBundleIdentifierKey = CFSTR("CFBundleIdentifier");
const CFStringRef kCFBundleVersionKey = CFSTR("CFBundleVersion");
const CFStringRef kCFBundleNameKey = CFSTR("CFBundleName");

struct SpCFBundle : sp_cf::Object {
  SpCFBundle() : Object(sp_cf::kTypeBundle) { immortal = true; }
  ~SpCFBundle() override { Forget(); }

  void Forget() {
    CFRelease(info);
    info = nullptr;
    tables.clear();
  }

  std::string folder;
  CFDictionaryRef info = nullptr;
  std::map<std::string, sp_cf::StringTable> tables;
};

namespace {

std::string ExecutablePath() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return std::string();
  return std::string(path, std::size_t(n));
}

std::string DefaultFolder() {
  std::string exe = ExecutablePath();
  const std::size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return "Resources";
  return exe.substr(0, slash) + "/Resources";
}

SpCFBundle& MainBundle() {
  static SpCFBundle* bundle = [] {
    SpCFBundle* b = new SpCFBundle();
    b->folder = DefaultFolder();
    return b;
  }();
  return *bundle;
}

SpCFBundle* Bundle(CFBundleRef bundle) {
  return sp_cf::As<SpCFBundle>(bundle, sp_cf::kTypeBundle);
}

bool ReadFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  bytes = s.str();
  return !in.bad();
}

bool Exists(const std::string& path, bool* isDirectory) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  *isDirectory = S_ISDIR(st.st_mode);
  return true;
}

CFDictionaryRef InfoDictionary(SpCFBundle* b) {
  if (b->info != nullptr) return b->info;
  std::string bytes;
  if (ReadFile(b->folder + "/Info.plist", bytes) && !bytes.empty()) {
    CFDataRef data =
        CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()), CFIndex(bytes.size()));
    CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr);
    CFRelease(data);
    if (CFGetTypeID(plist) == CFDictionaryGetTypeID()) {
      b->info = static_cast<CFDictionaryRef>(plist);
    } else {
      CFRelease(plist);
    }
  }
  if (b->info == nullptr) {
    b->info = CFDictionaryCreate(nullptr, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                 &kCFTypeDictionaryValueCallBacks);
  }
  return b->info;
}

const sp_cf::StringTable& Table(SpCFBundle* b, const std::string& name) {
  auto it = b->tables.find(name);
  if (it != b->tables.end()) return it->second;
  sp_cf::StringTable& table = b->tables[name];
  std::string bytes;
  if (name.find('/') == std::string::npos && ReadFile(b->folder + "/" + name + ".strings", bytes)) {
    sp_cf::ParseStringsFile(bytes, table);
  }
  return table;
}

CFURLRef FolderURL(const SpCFBundle* b) {
  CFStringRef path = sp_cf::NewStringFromUTF8(b->folder);
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, true);
  CFRelease(path);
  return url;
}

}  // namespace

namespace sp_platform {

void SetMainBundleFolderOverride(const std::string& folder) {
  SpCFBundle& b = MainBundle();
  b.Forget();
  b.folder = folder;
  while (b.folder.size() > 1 && b.folder.back() == '/') b.folder.pop_back();
}

void ClearMainBundleFolderOverride() {
  SetMainBundleFolderOverride(DefaultFolder());
}

}  // namespace sp_platform

CFTypeID CFBundleGetTypeID() {
  return sp_cf::kTypeBundle;
}

CFBundleRef CFBundleGetMainBundle() {
  return &MainBundle();
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle) {
  CFTypeRef id = CFBundleGetValueForInfoDictionaryKey(bundle, kCFBundleIdentifierKey);
  return CFGetTypeID(id) == CFStringGetTypeID() ? static_cast<CFStringRef>(id) : nullptr;
}

CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle) {
  SpCFBundle* b = Bundle(bundle);
  return b == nullptr ? nullptr : InfoDictionary(b);
}

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key) {
  SpCFBundle* b = Bundle(bundle);
  if (b == nullptr || key == nullptr) return nullptr;
  return CFDictionaryGetValue(InfoDictionary(b), key);
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
  const SpCFBundle* b = Bundle(bundle);
  return b == nullptr ? nullptr : FolderURL(b);
}

CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle) {
  if (Bundle(bundle) == nullptr) return nullptr;
  const std::string exe = ExecutablePath();
  if (exe.empty()) return nullptr;
  return CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const UInt8*>(exe.data()), CFIndex(exe.size()), false);
}

CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle) {
  return CFBundleCopyBundleURL(bundle);
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName,
                                 CFStringRef resourceType, CFStringRef subDirName) {
  const SpCFBundle* b = Bundle(bundle);
  if (b == nullptr || sp_cf::StringChars(resourceName) == nullptr) return nullptr;
  std::string path = b->folder;
  const std::string subDir = sp_cf::StringToUTF8(subDirName);
  if (!subDir.empty()) path += "/" + subDir;
  path += "/" + sp_cf::StringToUTF8(resourceName);
  std::string type = sp_cf::StringToUTF8(resourceType);
  if (!type.empty() && type[0] == '.') type.erase(0, 1);
  if (!type.empty()) path += "." + type;
  bool isDirectory = false;
  if (!Exists(path, &isDirectory)) return nullptr;
  return CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()), isDirectory);
}

CFStringRef CFBundleCopyLocalizedString(CFBundleRef bundle, CFStringRef key, CFStringRef value,
                                        CFStringRef tableName) {
  SpCFBundle* b = Bundle(bundle);
  const std::u16string* keyChars = sp_cf::StringChars(key);
  if (b != nullptr && keyChars != nullptr) {
    std::string name = sp_cf::StringToUTF8(tableName);
    if (name.empty()) name = "Localizable";
    const sp_cf::StringTable& table = Table(b, name);
    auto it = table.find(*keyChars);
    if (it != table.end()) return sp_cf::NewString(it->second);
  }
  // Missing: the caller's value when it gave one, else the key itself.
  if (CFStringGetLength(value) > 0) return CFStringCreateCopy(nullptr, value);
  if (keyChars != nullptr) return CFStringCreateCopy(nullptr, key);
  return nullptr;
}
