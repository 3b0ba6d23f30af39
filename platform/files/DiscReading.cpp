// Discs read through libcdio: the table of contents and CD-Text of a disc or image, the
// audio sectors of a drive through paranoia's error correction and those of an image from its
// file, the drives' eject.

#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <errno.h>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <utility>

#include "ByteOrder.h"
#include "detail/CueSheets.h"
#include "detail/Discs.h"

namespace sp_platform {
namespace files {
namespace {

// A disc holds at most 99 tracks and, as pressed, well under 100 minutes; an image claiming
// more is damaged, and a stand-in file of its size is never made.
constexpr SInt32 kMaxDiscSectors = 100 * 60 * 75;
constexpr int kReadRetries = 20;
constexpr int kImageReadTries = 3;
constexpr std::size_t kMaxTitleBytes = 120;

UInt64 gImageReadCalls = 0;

// libcdio writes its warnings to standard error; the program reports its own failures.
void QuietLog(cdio_log_level_t, const char*) {}

void QuietLibrary() {
  static bool quiet = false;
  if (!quiet) cdio_log_set_handler(QuietLog);
  quiet = true;
}

CdIo_t* Cdio(void* p) {
  return static_cast<CdIo_t*>(p);
}

using DriveRead = long (*)(cdrom_drive_t*, void*, lsn_t, long);

// Paranoia retries a sector it cannot read in a loop that need not end: with a drive failing
// every read it asks again for ever, and once it skips it may go on skipping without reading
// at all. Both are cut short here, within one request (one at a time: everything runs on the
// main thread); a request that needed either is a failed read.
struct BoundedRequest {
  DriveRead drive = nullptr;
  int failures = 0;
  lsn_t silentFrom = INT_MAX;  // the sectors handed to paranoia as silence
  lsn_t silentTo = INT_MIN;
  std::jmp_buf skipped;
};
BoundedRequest gRequest;

// After kReadRetries failed reads the drive is no longer asked: paranoia gets silence for
// what it asks, and the request knows which sectors it never had.
long ReadThroughBound(cdrom_drive_t* drive, void* buffer, lsn_t begin, long sectors) {
  if (gRequest.drive == nullptr) return -1;
  if (gRequest.failures < kReadRetries) {
    const long n = gRequest.drive(drive, buffer, begin, sectors);
    if (n > 0 || ++gRequest.failures < kReadRetries) return n;
  }
  if (sectors <= 0) return 0;
  if (buffer != nullptr) std::memset(buffer, 0, std::size_t(sectors) * kDiscSectorBytes);
  gRequest.silentFrom = std::min(gRequest.silentFrom, begin);
  gRequest.silentTo = std::max<lsn_t>(gRequest.silentTo, lsn_t(begin + sectors));
  return sectors;
}

// A skip is where paranoia gives a sector up: the request ends there, as a failed read.
// Paranoia reports it before it changes anything and with nothing of its own allocated, so
// leaving it there loses nothing, and the reader it leaves is freed at once.
void EndAtSkip(long, paranoia_cb_mode_t mode) {
  if (mode == PARANOIA_CB_SKIP) std::longjmp(gRequest.skipped, 1);
}

// Paranoia's next sector; null when it had to skip one.
const int16_t* ReadUnlessSkipped(cdrom_paranoia_t* paranoia) {
  if (setjmp(gRequest.skipped) != 0) return nullptr;
  return cdio_paranoia_read_limited(paranoia, EndAtSkip, kReadRetries);
}

// A CD-Text field as a name part: valid UTF-8 without control characters or '/', at most
// kMaxTitleBytes long (cut between characters); empty for anything else.
std::string TitleText(const char* text) {
  if (text == nullptr) return std::string();
  std::string out;
  const auto* p = reinterpret_cast<const UInt8*>(text);
  while (*p != 0) {
    const UInt8 c = *p;
    std::size_t length = c < 0x80             ? 1
                         : (c & 0xE0) == 0xC0 ? 2
                         : (c & 0xF0) == 0xE0 ? 3
                         : (c & 0xF8) == 0xF0 ? 4
                                              : 0;
    if (length == 0 || (length == 1 && c < 0x20) || c == 0x7F) return std::string();
    for (std::size_t i = 1; i < length; ++i) {
      if ((p[i] & 0xC0) != 0x80) return std::string();
    }
    if (out.size() + length > kMaxTitleBytes) break;
    if (c == '/') {
      out.push_back('-');
    } else {
      out.append(reinterpret_cast<const char*>(p), length);
    }
    p += length;
  }
  const std::size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

bool IsCueSheetPath(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = char(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".cue";
}

}  // namespace

std::unique_ptr<DiscSource> DiscSource::Open(const std::string& source, bool drive) {
  QuietLibrary();
  // libcdio reads only sheets that passed our own check (detail/CueSheets.h says why).
  std::vector<std::string> bigEndianFiles;
  std::string cdTextFile;
  const bool sheet = IsCueSheetPath(source);
  if (sheet && CheckCueSheetFile(source, &bigEndianFiles, &cdTextFile) != CueSheetFault::kNone) {
    return nullptr;
  }
  CdIo_t* cdio = cdio_open(source.c_str(), DRIVER_UNKNOWN);
  if (cdio == nullptr) return nullptr;
  int imageFd = -1;
  bool bigEndian = false;
  std::string samples;
  if (!drive) {
    // The file libcdio takes an image's samples from (its ".bin"), in the byte order its
    // sheet gives it.
    const char* derived = cdio_get_arg(cdio, "source");
    if (derived != nullptr) samples = derived;
    imageFd = !samples.empty() ? open(samples.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (imageFd < 0) {
      cdio_destroy(cdio);
      return nullptr;
    }
    const std::size_t slash = samples.rfind('/');
    const std::string name = slash != std::string::npos ? samples.substr(slash + 1) : samples;
    bigEndian =
        std::find(bigEndianFiles.begin(), bigEndianFiles.end(), name) != bigEndianFiles.end();
  }
  std::unique_ptr<DiscSource> opened(
      new DiscSource(cdio, imageFd, bigEndian, !drive && sheet && cdTextFile.empty()));
  opened->imagePath_ = samples;
  return opened;
}

DiscSource::~DiscSource() {
  StopReading();
  if (drive_ != nullptr) cdio_cddap_close_no_free_cdio(static_cast<cdrom_drive_t*>(drive_));
  cdio_destroy(Cdio(cdio_));
  if (imageFd_ >= 0) close(imageFd_);
}

bool DiscSource::ReadToc(DiscToc& toc) {
  toc = DiscToc();
  CdIo_t* cdio = Cdio(cdio_);
  const track_t first = cdio_get_first_track_num(cdio);
  const track_t count = cdio_get_num_tracks(cdio);
  if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0 || first < 1 ||
      first + count - 1 > 99) {
    return false;
  }
  const lsn_t leadout = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
  if (leadout == CDIO_INVALID_LSN || leadout <= 0 || leadout > kMaxDiscSectors) return false;
  const cdtext_t* text = cdio_get_cdtext(cdio);
  // CD-Text packs (a drive's lead-in, an image's CD-Text file) say their own charset, which
  // libcdio reads; a sheet's TITLE lines say none.
  auto title = [&](track_t t) {
    const char* field = cdtext_get_const(text, CDTEXT_FIELD_TITLE, t);
    return TitleText(sheetText_ && field != nullptr ? SheetText(field).c_str() : field);
  };
  if (text != nullptr) toc.album = title(0);
  SInt32 previous = -1;
  for (track_t t = first; t < first + count; ++t) {
    const lsn_t lsn = cdio_get_track_lsn(cdio, t);
    if (lsn == CDIO_INVALID_LSN || lsn < 0 || lsn <= previous || lsn >= leadout) return false;
    previous = lsn;
    DiscTocTrack track;
    track.number = UInt8(t);
    track.lsn = lsn;
    track.audio = cdio_get_track_format(cdio, t) == TRACK_FORMAT_AUDIO;
    if (text != nullptr) track.title = title(t);
    toc.tracks.push_back(track);
  }
  toc.leadout = leadout;
  return true;
}

// Paranoia reads through the disc's own handle; it is set up on the first read only, since
// its start-up reads the disc to learn the drive's byte order.
bool DiscSource::StartReading() {
  if (paranoia_ != nullptr) return true;
  if (drive_ == nullptr) {
    cdrom_drive_t* drive = cdio_cddap_identify_cdio(Cdio(cdio_), CDDA_MESSAGE_FORGETIT, nullptr);
    if (drive == nullptr) return false;
    if (cdio_cddap_open(drive) != 0) {
      cdio_cddap_close_no_free_cdio(drive);
      return false;
    }
    drive_ = drive;
    driveRead_ = reinterpret_cast<void (*)()>(drive->read_audio);
    drive->read_audio = ReadThroughBound;
  }
  cdrom_paranoia_t* paranoia = cdio_paranoia_init(static_cast<cdrom_drive_t*>(drive_));
  if (paranoia == nullptr) return false;
  cdio_paranoia_modeset(paranoia, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
  paranoia_ = paranoia;
  next_ = -1;
  return true;
}

void DiscSource::StopReading() {
  if (paranoia_ != nullptr) cdio_paranoia_free(static_cast<cdrom_paranoia_t*>(paranoia_));
  paranoia_ = nullptr;
  next_ = -1;
}

bool DiscSource::ReadSector(SInt32 lsn, UInt8* out) {
  if (lsn == cachedLsn_) {
    std::memcpy(out, cached_, kDiscSectorBytes);
    return true;
  }
  if (ReadSectors(lsn, 1, out) != 1) return false;
  std::memcpy(cached_, out, kDiscSectorBytes);
  cachedLsn_ = lsn;
  return true;
}

UInt32 DiscSource::ReadSectors(SInt32 lsn, UInt32 count, UInt8* out) {
  if (lsn < 0 || count == 0 || count > UInt32(kMaxDiscSectors)) return 0;
  if (imageFd_ >= 0) {
    return UInt32(
        ReadImageBytes(UInt64(lsn) * kDiscSectorBytes, std::size_t(count) * kDiscSectorBytes, out) /
        kDiscSectorBytes);
  }
  UInt32 read = 0;
  while (read < count && ReadDriveSector(lsn + SInt32(read), out + read * kDiscSectorBytes)) ++read;
  return read;
}

// An image needs no error correction, and libcdio takes a sector its file holds only part of
// for a whole one: sector n is read here, at n * 2,352 bytes as libcdio lays the file out,
// whole or not at all. A run of bytes is one read with the rest of its last sector (and more
// only where the system hands less); a file that ends before that (cut short since it was
// mounted) ends the run with the last sector it holds whole.
std::size_t DiscSource::ReadImageBytes(UInt64 at, std::size_t count, UInt8* out) {
  if (imageFd_ < 0 || count == 0) return 0;
  const UInt64 end = at + count;
  const UInt64 sectorEnd = (end + kDiscSectorBytes - 1) / kDiscSectorBytes * kDiscSectorBytes;
  // A run starting at an odd byte starts inside a sample: its first byte comes with it.
  UInt8 lead = 0;
  UInt8 tail[kDiscSectorBytes];
  const iovec parts[3] = {
      {&lead, std::size_t(at % 2)}, {out, count}, {tail, std::size_t(sectorEnd - end)}};
  const UInt64 from = at - parts[0].iov_len;
  const std::size_t wanted = parts[0].iov_len + count + parts[2].iov_len;
  std::size_t done = 0;
  for (int failures = 0; done < wanted;) {
    iovec rest[3];
    int n = 0;
    std::size_t skip = done;
    for (const iovec& part : parts) {
      if (skip >= part.iov_len) {
        skip -= part.iov_len;
        continue;
      }
      rest[n++] = {static_cast<UInt8*>(part.iov_base) + skip, part.iov_len - skip};
      skip = 0;
    }
    const ssize_t got = preadv(imageFd_, rest, n, off_t(from + done));
    ++gImageReadCalls;
    if (got == 0) break;
    if (got < 0) {
      if (errno != EINTR && ++failures >= kImageReadTries) break;
      continue;
    }
    done += std::size_t(got);
  }
  const UInt64 held = done == wanted ? end : (from + done) / kDiscSectorBytes * kDiscSectorBytes;
  const std::size_t given = held > at ? std::size_t(held - at) : 0;
  // AIFF wants big-endian samples: a BINARY image's little-endian ones are swapped in place, a
  // MOTOROLA image's are taken as they are. An odd start is the second byte of a sample, the
  // low one that came before it; an odd end (the run goes on to its sector's end, so held)
  // the first, the high one after it.
  if (!imageBigEndian_ && given > 0) {
    UInt8* p = out;
    std::size_t left = given;
    if (at % 2 != 0) {
      *p++ = lead;
      --left;
    }
    sp::SwapBytePairs(p, p, left);
    if (left % 2 != 0) p[left - 1] = tail[0];
  }
  return given;
}

bool DiscSource::ReadDriveSector(SInt32 lsn, UInt8* out) {
  if (!StartReading()) return false;
  auto* paranoia = static_cast<cdrom_paranoia_t*>(paranoia_);
  if (lsn != next_ && cdio_paranoia_seek(paranoia, lsn, SEEK_SET) < 0) {
    StopReading();
    return false;
  }
  gRequest = BoundedRequest();
  gRequest.drive = reinterpret_cast<DriveRead>(driveRead_);
  const int16_t* samples = ReadUnlessSkipped(paranoia);
  const bool silence = gRequest.silentFrom < gRequest.silentTo;
  const bool missed =
      samples == nullptr || (silence && lsn >= gRequest.silentFrom && lsn < gRequest.silentTo);
  gRequest.drive = nullptr;
  if (!missed) {
    // Paranoia hands the samples in the machine's order; AIFF wants them big-endian.
    for (UInt32 i = 0; i < kDiscSectorBytes / 2; ++i)
      sp::StoreBE16(out + 2 * i, UInt16(samples[i]));
  }
  // Paranoia keeps what it read for the next requests: after silence or a skip it starts
  // afresh.
  if (missed || silence) {
    StopReading();
  } else {
    next_ = lsn + 1;
  }
  return !missed;
}

UInt64 DiscImageReadCalls() {
  return gImageReadCalls;
}

OSErr EjectDiscInDrive(const std::string& device) {
  QuietLibrary();
  switch (cdio_eject_media_drive(device.c_str())) {
    case DRIVER_OP_SUCCESS:
      return noErr;
    case DRIVER_OP_NOT_PERMITTED:
      return permErr;
    case DRIVER_OP_UNSUPPORTED:
      return wrgVolTypErr;
    case DRIVER_OP_UNINIT:
    case DRIVER_OP_NO_DRIVER:
      return volOffLinErr;
    case DRIVER_OP_BAD_PARAMETER:
    case DRIVER_OP_BAD_POINTER:
      return paramErr;
    default:
      return ioErr;
  }
}

std::vector<std::string> SystemDiscDrives() {
  QuietLibrary();
  std::vector<std::string> drives;
  char** devices = cdio_get_devices(DRIVER_DEVICE);
  if (devices == nullptr) return drives;
  for (char** d = devices; *d != nullptr; ++d) drives.emplace_back(*d);
  cdio_free_device_list(devices);
  return drives;
}

void DiscTrackAiffHeader(UInt32 sectors, UInt8 out[kDiscAiffHeaderBytes]) {
  const UInt32 dataBytes = sectors * kDiscSectorBytes;
  sp::StoreBE32(out + 0, SpFourCC("FORM"));
  sp::StoreBE32(out + 4, kDiscAiffHeaderBytes - 8 + dataBytes);
  sp::StoreBE32(out + 8, SpFourCC("AIFF"));
  sp::StoreBE32(out + 12, SpFourCC("COMM"));
  sp::StoreBE32(out + 16, 18);
  sp::StoreBE16(out + 20, 2);
  sp::StoreBE32(out + 22, sectors * (kDiscSectorBytes / 4));
  sp::StoreBE16(out + 26, 16);
  sp::DoubleToExtended80(44100.0, out + 28);
  sp::StoreBE32(out + 38, SpFourCC("SSND"));
  sp::StoreBE32(out + 42, dataBytes + 8);
  sp::StoreBE32(out + 46, 0);
  sp::StoreBE32(out + 50, 0);
}

}  // namespace files
}  // namespace sp_platform
