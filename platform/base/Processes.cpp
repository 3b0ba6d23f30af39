#include "Processes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "MacMemory.h"
#include "base/internal/Process.h"

namespace sp_platform {

const std::string& ExecutablePath() {
  static const std::string path = [] {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, std::size_t(n)) : std::string();
  }();
  return path;
}

namespace {
FSSpecFromPathProc gFSSpecFromPath = nullptr;
}  // namespace

void SetFSSpecFromPathHook(FSSpecFromPathProc hook) {
  gFSSpecFromPath = hook;
}

}  // namespace sp_platform

namespace {

constexpr std::size_t kMaxProcessNameBytes = 31;
constexpr OSType kApplicationType = 0x4150504C;  // 'APPL'

bool IsThisProcess(const ProcessSerialNumber& psn) {
  return psn.highLongOfPSN == 0 && psn.lowLongOfPSN == kCurrentProcess;
}

// The executable's base name as a length-prefixed string. The name is cut to 31 bytes, but
// never inside a multi-byte UTF-8 character.
void CopyProcessName(StringPtr out) {
  const std::string& path = sp_platform::ExecutablePath();
  std::size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::size_t length = name.size();
  if (length > kMaxProcessNameBytes) {
    length = kMaxProcessNameBytes;
    while (length > 0 && (UInt8(name[length]) & 0xC0) == 0x80) --length;
  }
  out[0] = UInt8(length);
  std::memcpy(out + 1, name.data(), length);
}

UInt32 ExecutableSize() {
  struct stat st {};
  const std::string& path = sp_platform::ExecutablePath();
  if (path.empty() || stat(path.c_str(), &st) != 0 || st.st_size < 0) return 0;
  // A program larger than 4 GiB less the fixed memory would not fit the 32-bit field.
  UInt64 size = UInt64(st.st_size);
  UInt64 room = 0xFFFFFFFFu - UInt64(kSpFixedFreeMemory);
  return UInt32(size < room ? size : room);
}

}  // namespace

OSErr GetCurrentProcess(ProcessSerialNumber* psn) {
  if (psn == nullptr) return paramErr;
  psn->highLongOfPSN = 0;
  psn->lowLongOfPSN = kCurrentProcess;
  return noErr;
}

OSErr GetProcessInformation(const ProcessSerialNumber* psn, ProcessInfoRec* info) {
  if (psn == nullptr || info == nullptr) return paramErr;
  if (!IsThisProcess(*psn)) return procNotFound;

  info->processInfoLength = sizeof(ProcessInfoRec);
  if (info->processName != nullptr) CopyProcessName(info->processName);
  info->processNumber = {0, kCurrentProcess};
  info->processType = kApplicationType;
  info->processSignature = kSpProcessSignature;
  info->processMode = 0;
  info->processLocation = nullptr;
  info->processSize = UInt32(kSpFixedFreeMemory) + ExecutableSize();
  info->processFreeMem = UInt32(FreeMem());
  info->processLauncher = {0, kSystemProcess};
  info->processLaunchDate = 0;
  info->processActiveTime = 0;
  if (info->processAppSpec == nullptr) return noErr;
  // The executable's location as the file layer sees it; fnfErr when the system does not
  // tell where the executable is.
  const std::string& path = sp_platform::ExecutablePath();
  if (path.empty() || sp_platform::gFSSpecFromPath == nullptr) return fnfErr;
  return sp_platform::gFSSpecFromPath(path, info->processAppSpec);
}
