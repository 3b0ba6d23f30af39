// This machine and its boot, as the files a process leaves name them (internal/HostMark.h).
#include "internal/HostMark.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "Fnv1a.h"

namespace sp_platform {
namespace files {
namespace {

// The first line of a small file of the system; empty when there is none.
std::string FirstLineOf(const char* path) {
  std::string line;
  const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return line;
  char text[256];
  struct stat st {};
  const ssize_t n = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? read(fd, text, sizeof text) : -1;
  close(fd);
  if (n > 0) line.assign(text, std::size_t(n));
  line.erase(std::min(line.find('\n'), line.size()));
  return line;
}

// A short, stable stand-in for a longer text.
UInt32 Hash32(const std::string& text) {
  return sp::Fnv1a32(text.data(), text.size());
}

HostMark ReadThisHost() {
  std::string machine = FirstLineOf("/etc/machine-id");
  if (machine.empty()) machine = FirstLineOf("/var/lib/dbus/machine-id");
  // With the host name too: containers made from one image share their machine id (and their
  // host's boot), but see processes of their own.
  char name[256] = "";
  gethostname(name, sizeof name - 1);
  machine += '\n';
  machine += name;
  std::string boot = FirstLineOf("/proc/sys/kernel/random/boot_id");
  // Without a boot id every start counts as the same boot: processes are judged by their ids.
  return HostMark{Hash32(machine), boot.empty() ? 0 : Hash32(boot)};
}

char HexDigit(UInt32 value) {
  return "0123456789abcdef"[value & 0xF];
}

void AppendHex8(std::string& out, UInt32 value) {
  for (int shift = 28; shift >= 0; shift -= 4) out += HexDigit(value >> shift);
}

}  // namespace

const HostMark& ThisHost() {
  static const HostMark mark = ReadThisHost();
  return mark;
}

std::string HostMarkText() {
  std::string text;
  AppendHex8(text, ThisHost().host);
  AppendHex8(text, ThisHost().boot);
  return text;
}

}  // namespace files
}  // namespace sp_platform
