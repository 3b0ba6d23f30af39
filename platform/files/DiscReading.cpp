// Discs read through libcdio: the table of contents and CD-Text of a disc or image, audio
// sectors through paranoia's error correction, the drives' eject.

#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <cctype>
#include <cstdio>
#include <cstring>

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
constexpr std::size_t kMaxTitleBytes = 120;

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

std::unique_ptr<DiscSource> DiscSource::Open(const std::string& source) {
  QuietLibrary();
  // libcdio reads only sheets that passed our own check (detail/CueSheets.h says why).
  if (IsCueSheetPath(source) && CheckCueSheetFile(source) != CueSheetFault::kNone) return nullptr;
  CdIo_t* cdio = cdio_open(source.c_str(), DRIVER_UNKNOWN);
  if (cdio == nullptr) return nullptr;
  return std::unique_ptr<DiscSource>(new DiscSource(cdio));
}

DiscSource::~DiscSource() {
  if (paranoia_ != nullptr) cdio_paranoia_free(static_cast<cdrom_paranoia_t*>(paranoia_));
  if (drive_ != nullptr) cdio_cddap_close_no_free_cdio(static_cast<cdrom_drive_t*>(drive_));
  cdio_destroy(Cdio(cdio_));
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
  if (text != nullptr) toc.album = TitleText(cdtext_get_const(text, CDTEXT_FIELD_TITLE, 0));
  SInt32 previous = -1;
  for (track_t t = first; t < first + count; ++t) {
    const lsn_t lsn = cdio_get_track_lsn(cdio, t);
    if (lsn == CDIO_INVALID_LSN || lsn < 0 || lsn <= previous || lsn >= leadout) return false;
    previous = lsn;
    DiscTocTrack track;
    track.number = UInt8(t);
    track.lsn = lsn;
    track.audio = cdio_get_track_format(cdio, t) == TRACK_FORMAT_AUDIO;
    if (text != nullptr) track.title = TitleText(cdtext_get_const(text, CDTEXT_FIELD_TITLE, t));
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
  }
  cdrom_paranoia_t* paranoia = cdio_paranoia_init(static_cast<cdrom_drive_t*>(drive_));
  if (paranoia == nullptr) return false;
  cdio_paranoia_modeset(paranoia, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
  paranoia_ = paranoia;
  next_ = -1;
  return true;
}

bool DiscSource::ReadSector(SInt32 lsn, UInt8* out) {
  if (lsn == cachedLsn_) {
    std::memcpy(out, cached_, kDiscSectorBytes);
    return true;
  }
  if (lsn < 0 || !StartReading()) return false;
  auto* paranoia = static_cast<cdrom_paranoia_t*>(paranoia_);
  if (lsn != next_ && cdio_paranoia_seek(paranoia, lsn, SEEK_SET) < 0) {
    next_ = -1;
    return false;
  }
  const int16_t* samples = cdio_paranoia_read_limited(paranoia, nullptr, kReadRetries);
  if (samples == nullptr) {
    next_ = -1;
    return false;
  }
  next_ = lsn + 1;
  // Paranoia hands the samples in the machine's order; AIFF wants them big-endian.
  for (UInt32 i = 0; i < kDiscSectorBytes / 2; ++i) sp::StoreBE16(out + 2 * i, UInt16(samples[i]));
  std::memcpy(cached_, out, kDiscSectorBytes);
  cachedLsn_ = lsn;
  return true;
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
