// Side files of saves (internal/SideFiles.h).
#include "internal/SideFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "internal/FileSteps.h"

namespace sp_platform {
namespace files {
namespace {

// A decimal number of 1 to 10 digits at `at`, no larger than `limit`; `at` moves past it.
bool ReadNumber(const std::string& text, std::size_t& at, unsigned long long limit,
                unsigned long long& value) {
  const std::size_t start = at;
  value = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 10) {
    value = value * 10 + unsigned(text[at] - '0');
    ++at;
  }
  return at > start && value <= limit;
}

// Eight lower-case hexadecimal digits at `at`; `at` moves past them.
bool ReadHex8(const std::string& text, std::size_t& at, UInt32& value) {
  if (text.size() - at < 8) return false;
  value = 0;
  for (std::size_t end = at + 8; at < end; ++at) {
    const char c = text[at];
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return false;
    value = (value << 4) | UInt32(digit);
  }
  return true;
}

bool EndsAt(const std::string& name, std::size_t at, const std::string& suffix) {
  return name.size() - at == suffix.size() && name.compare(at, suffix.size(), suffix) == 0;
}

}  // namespace

bool LeftByEndedProcess(const SideFileWriter& writer, bool othersToo) {
  if (writer.marked) {
    // Another machine's processes cannot be looked at from here: theirs is never ours to clear.
    if (writer.host.host != ThisHost().host) return false;
    // Written before this machine last started: no process of that start runs any more.
    if (writer.host.boot != ThisHost().boot) return true;
  }
  if (writer.pid == getpid()) return false;
  return othersToo || ProcessEnded(writer.pid);
}

std::string NewSideFileTag() {
  static unsigned long count = 0;
  return std::to_string(getpid()) + "-" + std::to_string(++count) + "@" + HostMarkText();
}

std::string NewSideFileName(const std::string& prefix, const std::string& suffix) {
  return prefix + NewSideFileTag() + suffix;
}

int WriteAllBytes(int fd, const void* bytes, std::size_t size) {
  const char* p = static_cast<const char*>(bytes);
  while (size > 0) {
    const ssize_t n = write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    p += n;
    size -= std::size_t(n);
  }
  return 0;
}

void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  StepSync(fd, folder.c_str());
  close(fd);
}

int SideFileReplacement::Open(const std::string& path, const std::string& prefix,
                              const std::string& suffix, mode_t mode) {
  Abandon();
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return EINVAL;
  const std::string side = path.substr(0, slash + 1) + NewSideFileName(prefix, suffix);
  const int fd = StepOpen(side.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
  if (fd < 0) return errno;
  path_ = path;
  side_ = side;
  fd_ = fd;
  written_ = 0;
  return 0;
}

int SideFileReplacement::Write(const void* bytes, std::size_t size) {
  if (fd_ < 0) return EBADF;
  const int err = WriteAllBytes(fd_, bytes, size);
  if (err != 0) return err;
  // Only started: the sync at the commit waits for what is still on its way.
  if (size > 0) sync_file_range(fd_, written_, off_t(size), SYNC_FILE_RANGE_WRITE);
  written_ += off_t(size);
  return 0;
}

int SideFileReplacement::Commit() {
  if (fd_ < 0) return EBADF;
  int err = StepSync(fd_, side_.c_str()) != 0 ? errno : 0;
  // Some file systems (network ones) report a delayed write error only at the close.
  if (close(fd_) != 0 && err == 0 && errno != EINTR) err = errno;
  fd_ = -1;
  if (err == 0 && StepRename(side_.c_str(), path_.c_str()) != 0) err = errno;
  if (err != 0) {
    Abandon();
    return err;
  }
  side_.clear();
  const std::size_t slash = path_.rfind('/');
  SyncFolder(slash == 0 ? "/" : path_.substr(0, slash));
  return 0;
}

void SideFileReplacement::Abandon() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!side_.empty()) StepUnlink(side_.c_str());
  side_.clear();
}

int ReplaceThroughSideFile(const std::string& path, const std::string& prefix,
                           const std::string& suffix, mode_t mode, const SideFileFiller& fill) {
  if (!fill) return EINVAL;
  SideFileReplacement replacement;
  int err = replacement.Open(path, prefix, suffix, mode);
  if (err == 0) err = fill(replacement.Fd(), replacement.Side());
  if (err == 0) err = replacement.Commit();
  return err;
}

bool ReadSideFileName(const std::string& name, const std::string& prefix,
                      const std::string& suffix, SideFileWriter& writer) {
  writer = SideFileWriter();
  if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0) {
    return false;
  }
  std::size_t at = prefix.size();
  unsigned long long pid = 0;
  unsigned long long count = 0;
  if (!ReadNumber(name, at, 0x7FFFFFFF, pid) || pid == 0) return false;
  writer.pid = pid_t(pid);
  if (EndsAt(name, at, suffix)) return true;
  if (name[at] != '-') return false;
  ++at;
  if (!ReadNumber(name, at, ~0ull, count)) return false;
  if (EndsAt(name, at, suffix)) return true;
  // Names of older starts carry no machine: they are taken for this machine's.
  if (name[at] != '@') return false;
  ++at;
  writer.marked = ReadHex8(name, at, writer.host.host) && ReadHex8(name, at, writer.host.boot);
  return writer.marked && EndsAt(name, at, suffix);
}

bool ProcessEnded(pid_t pid) {
  return kill(pid, 0) != 0 && errno == ESRCH;
}

std::vector<std::string> EndedSideFiles(const std::string& folder, const std::string& prefix,
                                        const std::string& suffix, bool othersToo) {
  std::vector<std::pair<struct timespec, std::string>> found;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return {};
  while (const dirent* d = readdir(dir)) {
    SideFileWriter writer;
    if (!ReadSideFileName(d->d_name, prefix, suffix, writer) ||
        !LeftByEndedProcess(writer, othersToo)) {
      continue;
    }
    struct stat st {};
    if (fstatat(dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
      continue;
    }
    found.emplace_back(st.st_mtim, d->d_name);
  }
  closedir(dir);
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    if (a.first.tv_sec != b.first.tv_sec) return a.first.tv_sec > b.first.tv_sec;
    if (a.first.tv_nsec != b.first.tv_nsec) return a.first.tv_nsec > b.first.tv_nsec;
    return a.second > b.second;
  });
  std::vector<std::string> names;
  for (auto& f : found) names.push_back(std::move(f.second));
  return names;
}

void RemoveEndedSideFiles(const std::string& folder, const std::string& prefix,
                          const std::string& suffix, bool othersToo) {
  for (const std::string& name : EndedSideFiles(folder, prefix, suffix, othersToo)) {
    StepUnlink((folder + "/" + name).c_str());
  }
}

}  // namespace files
}  // namespace sp_platform
