// CFURL for file paths. A URL holds an absolute path (bytes, as Linux has them: UTF-8, or
// not, for names from old archives) and whether it names a directory. As strings, paths keep
// the bytes that are no UTF-8 as U+DC80..U+DCFF (FileNameToUTF16), so a path string makes the
// URL of the same file again.
#include "CFURL.h"

#include <strings.h>
#include <unistd.h>

#include <cstring>
#include <new>
#include <string>

#include "SpTextCodec.h"
#include "detail/CFObjects.h"

namespace {

CFStringRef NewPathString(const std::string& path) {
  return sp_cf::NewString(sp::text::FileNameToUTF16(path));
}

std::string PathOfString(CFStringRef str) {
  const std::u16string* chars = sp_cf::StringChars(str);
  return chars == nullptr ? std::string() : sp::text::FileNameFromUTF16(*chars);
}

const SpCFURL* URL(CFURLRef url) {
  return sp_cf::As<const SpCFURL>(url, sp_cf::kTypeURL);
}

// Absolute, without a trailing '/' (the root stays "/"); empty when it cannot be made.
std::string NormalisePath(std::string path) {
  if (path.empty()) return std::string();
  if (path[0] != '/') {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) return std::string();
    std::string base = cwd;
    if (base.empty() || base.back() != '/') base += '/';
    path = base + path;
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

CFURLRef NewURL(const std::string& path, bool isDirectory) {
  if (path.empty()) return nullptr;
  SpCFURL* u = new (std::nothrow) SpCFURL();
  if (u == nullptr) return nullptr;
  u->path = path;
  u->isDirectory = isDirectory || path == "/";
  return u;
}

std::string LastComponent(const std::string& path) {
  if (path == "/") return path;
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsUnreserved(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return std::strchr("-._~/!$&'()*+,;=:@", c) != nullptr && c != 0;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

SpCFURL::~SpCFURL() {
  CFRelease(urlString);
}

bool SpCFURL::Equal(const Object& other) const {
  const SpCFURL& o = static_cast<const SpCFURL&>(other);
  return path == o.path && isDirectory == o.isDirectory;
}

CFHashCode SpCFURL::Hash() const {
  return CFHashCode(std::hash<std::string>()(path));
}

CFTypeID CFURLGetTypeID() {
  return sp_cf::kTypeURL;
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef filePath,
                                       CFURLPathStyle pathStyle, Boolean isDirectory) {
  if (pathStyle != kCFURLPOSIXPathStyle || sp_cf::StringChars(filePath) == nullptr) {
    return nullptr;
  }
  return NewURL(NormalisePath(PathOfString(filePath)), isDirectory != 0);
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8* buffer,
                                                 CFIndex bufLen, Boolean isDirectory) {
  if (buffer == nullptr || bufLen <= 0) return nullptr;
  std::string path(reinterpret_cast<const char*>(buffer), std::size_t(bufLen));
  if (path.find('\0') != std::string::npos) path.resize(path.find('\0'));
  return NewURL(NormalisePath(path), isDirectory != 0);
}

CFURLRef CFURLCreateWithString(CFAllocatorRef, CFStringRef URLString, CFURLRef baseURL) {
  if (baseURL != nullptr || sp_cf::StringChars(URLString) == nullptr) return nullptr;
  const std::string text = sp_cf::StringToUTF8(URLString);
  if (text.size() < 7 || strncasecmp(text.c_str(), "file://", 7) != 0) return nullptr;
  const std::size_t pathStart = text.find('/', 7);
  if (pathStart == std::string::npos) return nullptr;
  const std::string host = text.substr(7, pathStart - 7);
  if (!host.empty() && strcasecmp(host.c_str(), "localhost") != 0) return nullptr;
  std::string encoded = text.substr(pathStart);
  const std::size_t end = encoded.find_first_of("?#");
  if (end != std::string::npos) encoded.resize(end);
  std::string path;
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] != '%') {
      path.push_back(encoded[i]);
      continue;
    }
    if (i + 2 >= encoded.size()) return nullptr;
    const int hi = HexValue(encoded[i + 1]);
    const int lo = HexValue(encoded[i + 2]);
    if (hi < 0 || lo < 0 || (hi == 0 && lo == 0)) return nullptr;
    path.push_back(char(hi * 16 + lo));
    i += 2;
  }
  const bool isDirectory = path.size() > 1 && path.back() == '/';
  return NewURL(NormalisePath(path), isDirectory);
}

CFStringRef CFURLGetString(CFURLRef anURL) {
  const SpCFURL* u = URL(anURL);
  if (u == nullptr) return nullptr;
  if (u->urlString == nullptr) {
    std::string text = "file://";
    static const char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : u->path) {
      if (IsUnreserved(c)) {
        text.push_back(char(c));
      } else {
        text.push_back('%');
        text.push_back(kHex[c >> 4]);
        text.push_back(kHex[c & 15]);
      }
    }
    if (u->isDirectory && u->path != "/") text.push_back('/');
    u->urlString = sp_cf::NewStringFromUTF8(text);
  }
  return u->urlString;
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef anURL, CFURLPathStyle pathStyle) {
  const SpCFURL* u = URL(anURL);
  if (u == nullptr || pathStyle != kCFURLPOSIXPathStyle) return nullptr;
  return NewPathString(u->path);
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxBufLen) {
  const SpCFURL* u = URL(url);
  if (u == nullptr || buffer == nullptr || maxBufLen <= 0) return false;
  if (u->path.size() + 1 > std::size_t(maxBufLen)) {
    buffer[0] = 0;
    return false;
  }
  std::memcpy(buffer, u->path.c_str(), u->path.size() + 1);
  return true;
}

Boolean CFURLHasDirectoryPath(CFURLRef anURL) {
  const SpCFURL* u = URL(anURL);
  return u != nullptr && u->isDirectory;
}

CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef, CFURLRef url,
                                               CFStringRef pathComponent, Boolean isDirectory) {
  const SpCFURL* u = URL(url);
  if (u == nullptr || sp_cf::StringChars(pathComponent) == nullptr) return nullptr;
  std::string component = PathOfString(pathComponent);
  while (!component.empty() && component.front() == '/') component.erase(0, 1);
  while (!component.empty() && component.back() == '/') component.pop_back();
  if (component.empty()) return NewURL(u->path, u->isDirectory);
  const std::string path = u->path == "/" ? "/" + component : u->path + "/" + component;
  return NewURL(path, isDirectory != 0);
}

CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef, CFURLRef url) {
  const SpCFURL* u = URL(url);
  if (u == nullptr) return nullptr;
  const std::size_t slash = u->path.rfind('/');
  if (u->path == "/" || slash == std::string::npos || slash == 0) return NewURL("/", true);
  return NewURL(u->path.substr(0, slash), true);
}

CFStringRef CFURLCopyLastPathComponent(CFURLRef url) {
  const SpCFURL* u = URL(url);
  if (u == nullptr) return nullptr;
  return NewPathString(LastComponent(u->path));
}

CFStringRef CFURLCopyPathExtension(CFURLRef url) {
  const SpCFURL* u = URL(url);
  if (u == nullptr) return nullptr;
  const std::string last = LastComponent(u->path);
  const std::size_t dot = last.rfind('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == last.size()) return nullptr;
  return NewPathString(last.substr(dot + 1));
}
