// Finder information and creation dates, kept in extended attributes beside the file's data.
//
// "user.finderinfo" holds the 32 bytes of FInfo + FXInfo (or DInfo + DXInfo) big-endian, as
// they were stored on disk; "user.creationdate" holds the creation stamp, 8 bytes big-endian,
// UTC seconds since 1904. Linux file systems do not all keep a birth time, and copying tools
// do not keep it, so the stamp the layer writes when it makes an item wins over it.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

#include "ByteOrder.h"
#include "Clock.h"
#include "detail/Catalog.h"

namespace sp_platform {
namespace files {
namespace {

const char kFinderInfoAttribute[] = "user.finderinfo";
const char kCreationDateAttribute[] = "user.creationdate";
constexpr SInt64 kUnixTo1904Seconds = 2082844800LL;
constexpr std::size_t kMaxAttributeSize = 64 * 1024;

bool XattrsUnsupported(int err) {
  return err == ENOTSUP || err == EOPNOTSUPP;
}

// Offset of local time from UTC at a Unix time (seconds east).
long LocalOffsetAt(SInt64 unixSeconds) {
  time_t t = time_t(unixSeconds);
  tm local{};
  if (localtime_r(&t, &local) == nullptr) return 0;
  return local.tm_gmtoff;
}

}  // namespace

void ReadFinderInfo(const std::string& path, UInt8 out[32]) {
  std::memset(out, 0, 32);
  UInt8 buffer[32];
  ssize_t n = getxattr(path.c_str(), kFinderInfoAttribute, buffer, sizeof buffer);
  // A longer attribute (written by another program) gives its first 32 bytes: read whole,
  // as the call reads nothing into a buffer too small. Linux caps an attribute at 64 KiB.
  if (n < 0 && errno == ERANGE) {
    std::vector<UInt8> whole(kMaxAttributeSize);
    n = getxattr(path.c_str(), kFinderInfoAttribute, whole.data(), whole.size());
    if (n > 0) std::memcpy(buffer, whole.data(), std::min(std::size_t(n), sizeof buffer));
  }
  // A shorter one gives its bytes and zeros after them.
  if (n > 0) std::memcpy(out, buffer, std::min(std::size_t(n), sizeof buffer));
}

OSErr WriteFinderInfo(const std::string& path, const UInt8 in[32]) {
  if (setxattr(path.c_str(), kFinderInfoAttribute, in, 32, 0) == 0) return noErr;
  if (XattrsUnsupported(errno)) return noErr;
  return OSErrFromErrno(errno, Access::kWrite);
}

SInt64 UTC1904FromUnix(SInt64 unixSeconds) {
  return unixSeconds + kUnixTo1904Seconds;
}

SInt64 UnixFromUTC1904(SInt64 utcSecondsSince1904) {
  return utcSecondsSince1904 - kUnixTo1904Seconds;
}

UInt32 Local1904FromUTC1904(SInt64 utcSecondsSince1904) {
  const SInt64 unixSeconds = UnixFromUTC1904(utcSecondsSince1904);
  return UInt32(UInt64(utcSecondsSince1904 + LocalOffsetAt(unixSeconds)));
}

SInt64 UTC1904FromLocal1904(SInt64 localSecondsSince1904) {
  // The offset is the one in force at the local time read as UTC; a date within the hours
  // of a daylight-saving change may come out an hour off, as a wall clock's date does.
  const SInt64 unixLocal = UnixFromUTC1904(localSecondsSince1904);
  return localSecondsSince1904 - LocalOffsetAt(unixLocal - LocalOffsetAt(unixLocal));
}

SInt64 CreationDateUTC(const std::string& path, const struct stat& st) {
  UInt8 stamp[8];
  if (getxattr(path.c_str(), kCreationDateAttribute, stamp, sizeof stamp) == 8) {
    return SInt64(sp::LoadBE64(stamp));
  }
  struct statx sx {};
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME) &&
      sx.stx_btime.tv_sec != 0) {
    return UTC1904FromUnix(sx.stx_btime.tv_sec);
  }
  return UTC1904FromUnix(st.st_mtime);
}

void StampCreationDate(const std::string& path, SInt64 utcSecondsSince1904) {
  UInt8 stamp[8];
  sp::StoreBE64(stamp, UInt64(utcSecondsSince1904));
  // Without extended attributes the birth time or modification time stands in.
  setxattr(path.c_str(), kCreationDateAttribute, stamp, sizeof stamp, 0);
}

void StampCreationDate(const std::string& path) {
  StampCreationDate(path, UTC1904FromLocal1904(SpGetDateTime64()));
}

}  // namespace files
}  // namespace sp_platform
