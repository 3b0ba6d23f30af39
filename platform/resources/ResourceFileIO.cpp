#include "detail/ResourceFileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "detail/ResourceFileFormat.h"
#include "files/internal/FileLocations.h"
#include "files/internal/SideFiles.h"

namespace sp_platform {
namespace resfile {

namespace {

using files::Access;

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

OSErr ReadWholeFile(const std::string& path, std::shared_ptr<std::vector<UInt8>>& bytes,
                    HostFile& file) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return files::OSErrFromErrnoAt(errno, path);
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return fnfErr;
  }
  if (st.st_size > off_t(kMaxFileSize)) {
    close(fd);
    return mapReadErr;
  }
  auto data = std::make_shared<std::vector<UInt8>>(std::size_t(st.st_size));
  std::size_t got = 0;
  while (got < data->size()) {
    const ssize_t n = read(fd, data->data() + got, data->size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      close(fd);
      return files::OSErrFromErrno(err);
    }
    if (n == 0) break;  // the file shrank meanwhile: what was there is what is read
    got += std::size_t(n);
  }
  close(fd);
  data->resize(got);
  bytes = std::move(data);
  file.path = path;
  file.device = st.st_dev;
  file.inode = st.st_ino;
  file.writable = access(path.c_str(), W_OK) == 0 && access(FolderOf(path).c_str(), W_OK) == 0;
  return noErr;
}

OSErr WriteWholeFileAtomically(HostFile& file, const std::vector<UInt8>& bytes) {
  struct stat old;
  const bool hadOld = stat(file.path.c_str(), &old) == 0;
  const std::string folder = FolderOf(file.path);
  const std::size_t slash = file.path.rfind('/');
  const std::string base = slash == std::string::npos ? file.path : file.path.substr(slash + 1);
  // What writers killed in the middle of a write left goes first, so it does not pile up.
  const std::string prefix = "." + base + ".sp-";
  files::RemoveEndedSideFiles(folder, prefix, "");
  // The new file looks like the old one: its mode, Finder information and creation date.
  const int err = files::ReplaceThroughSideFile(
      folder + "/" + base, prefix, "", 0600, [&](int fd, const std::string& side) {
        int e = files::WriteAllBytes(fd, bytes.data(), bytes.size());
        if (e != 0 || !hadOld) return e;
        if (fchmod(fd, old.st_mode & 07777) != 0) return errno;
        UInt8 finderInfo[32];
        files::ReadFinderInfo(file.path, finderInfo);
        files::WriteFinderInfo(side, finderInfo);
        files::StampCreationDate(side, files::CreationDateUTC(file.path, old));
        return 0;
      });
  if (err != 0) return files::OSErrFromErrno(err, Access::kWrite);
  struct stat now;
  if (stat(file.path.c_str(), &now) == 0) {
    file.device = now.st_dev;
    file.inode = now.st_ino;
  }
  return noErr;
}

OSErr WriteIntoEmptyFile(const std::string& path, const std::vector<UInt8>& bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return files::OSErrFromErrno(errno, Access::kWrite);
  int err = files::WriteAllBytes(fd, bytes.data(), bytes.size());
  if (err == 0 && fdatasync(fd) != 0) err = errno;
  close(fd);
  return err == 0 ? OSErr(noErr) : files::OSErrFromErrno(err, Access::kWrite);
}

}  // namespace resfile
}  // namespace sp_platform
