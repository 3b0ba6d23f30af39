// Audio CDs read through libcdio: a disc in a drive, or a CUE/BIN image in the media folder.
// Not for the program's own code.
//
// Linux mounts no audio CD as a folder of sound files, so the layer makes one: a stand-in
// folder (in the runtime or cache folder of the user) holding the disc's ".TOC.plist", made
// from its real table of contents, and one file "N Title.aiff" per audio track. The track
// files are sparse: a read of one goes to the disc instead (DiscReading.cpp), giving the AIFF
// header and the track's samples, big-endian, read from the image's file, or from a drive
// through paranoia. Every read is bounded: a sector that cannot be had (a drive that keeps
// failing, an image cut short) is an error after a few tries, never silence and never an
// endless retry. The folder is mounted as a read-only audio-CD volume like the emulated disc
// folders; ejecting it asks the drive to eject, or unmounts the image, and removes the
// stand-in.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "MacTypes.h"
#include "files/internal/DiscTracks.h"

namespace sp_platform {
namespace files {

// ---- One disc, as libcdio reads it (DiscReading.cpp) ------------------------------------------

struct DiscTocTrack {
  UInt8 number = 0;    // 1..99
  SInt32 lsn = 0;      // first sector, from the start of the program area
  bool audio = false;  // false for a data track
  std::string title;   // from CD-Text (UTF-8), empty when the disc has none
};

struct DiscToc {
  std::vector<DiscTocTrack> tracks;  // ascending numbers and sectors
  SInt32 leadout = 0;                // the sector after the last track
  std::string album;                 // from CD-Text, empty when none
};

// Sectors are addressed by the table of contents' block numbers two seconds further on,
// as the discs' own ".TOC.plist" files count them.
enum : SInt32 { kDiscBlockOffset = 150 };
enum : UInt32 { kDiscSectorBytes = 2352, kDiscAiffHeaderBytes = 54 };

class DiscSource {
 public:
  // The disc of a drive (read through paranoia) or an image (a ".cue" path, whose samples
  // are read straight from its ".bin" file); null when nothing can be opened there.
  static std::unique_ptr<DiscSource> Open(const std::string& source, bool drive);
  ~DiscSource();
  DiscSource(const DiscSource&) = delete;
  DiscSource& operator=(const DiscSource&) = delete;

  // The table of contents; false when the disc has none that makes sense (no track, tracks
  // out of order or beyond the lead-out, a disc longer than 100 minutes).
  bool ReadToc(DiscToc& toc);
  // One sector's samples as big-endian 16-bit values into out (2,352 bytes); false on a read
  // error, a sector outside the disc or one its image no longer holds whole.
  bool ReadSector(SInt32 lsn, UInt8* out);
  // The samples of `count` sectors from lsn on, as ReadSector gives them, into out (count *
  // 2,352 bytes): an image's in one run of reads, a drive's sector by sector. The number of
  // sectors read, from the first: fewer than count where a read failed or the image ends.
  UInt32 ReadSectors(SInt32 lsn, UInt32 count, UInt8* out);
  // An image's samples as ReadSector gives them, `count` bytes from byte `at` of its first
  // sector on, into out, wherever in their sectors they start and end: one read of the file
  // (more only where the system hands less), the rest of the last sector they touch with
  // them, so that only sectors the file holds whole are given. The number of bytes given,
  // from the first: fewer than count where a read failed or the file ends (with the last
  // whole sector); 0 for a drive.
  std::size_t ReadImageBytes(UInt64 at, std::size_t count, UInt8* out);
  // The file an image's samples are read from (its ".bin"); empty for a drive.
  const std::string& ImagePath() const { return imagePath_; }

 private:
  DiscSource(void* cdio, int imageFd, bool imageBigEndian, bool sheetText)
      : cdio_(cdio), imageFd_(imageFd), imageBigEndian_(imageBigEndian), sheetText_(sheetText) {}
  bool StartReading();
  bool ReadDriveSector(SInt32 lsn, UInt8* out);
  void StopReading();

  void* cdio_;                     // CdIo_t
  int imageFd_;                    // the image's ".bin" file; -1 for a drive
  std::string imagePath_;          // its path
  bool imageBigEndian_;            // its samples big-endian (MOTOROLA), not little-endian
  bool sheetText_;                 // its CD-Text from its sheet's lines, not from packs
  void* drive_ = nullptr;          // cdrom_drive_t, made on the first read
  void* paranoia_ = nullptr;       // cdrom_paranoia_t
  void (*driveRead_)() = nullptr;  // the drive's own read, which paranoia calls through a bound
  SInt32 next_ = -1;               // the sector paranoia reads next
  SInt32 cachedLsn_ = -1;
  UInt8 cached_[kDiscSectorBytes];
};

// How many reads of images' files have been made so far (each read of a run of sectors
// counts once per system call).
UInt64 DiscImageReadCalls();

// Asks the drive to eject its disc: noErr, or the error the drive gave.
OSErr EjectDiscInDrive(const std::string& device);
// The CD drives of the machine.
std::vector<std::string> SystemDiscDrives();
// The 54-byte AIFF header of a track of this many sectors (16-bit stereo, 44,100 Hz).
void DiscTrackAiffHeader(UInt32 sectors, UInt8 out[kDiscAiffHeaderBytes]);

// ---- The mounted discs (DiscVolumes.cpp) -------------------------------------------------------

// Mounts the images of the media folder (an empty path: none) and the discs in the drives
// that are not mounted yet, and unmounts those that went away. Called with the emulated
// folders' refresh, before volumes are listed.
void RefreshDiscVolumes(const std::string& mediaFolder);
// The disc's eject: nsvErr when the number is no disc of this module, fBsyErr while a file on
// it is open, else the drive's answer (noErr for an image).
OSErr EjectDiscVolume(SInt16 vRefNum);
// Images ejected are mounted again from the media folder only after it is set anew.
void ForgetEjectedDiscImages();
// Unmounts everything and forgets the state (the test API's reset); drives are looked for
// again as the system has them.
void ResetDiscVolumes();
// Reads a track file of a mounted disc (known by the stand-in's device and inode) at
// `offset`. False when the file is no such track; else *done bytes were read (fewer than
// `count` at the end of the file) and *err is noErr or the read's error.
bool ReadDiscTrack(dev_t device, ino_t inode, UInt64 offset, void* buffer, UInt64 count,
                   UInt64* done, OSErr* err);
// The physical size a track file shows (its stand-in keeps no data); false for other files.
bool DiscTrackPhysicalSize(dev_t device, ino_t inode, UInt64* size);

}  // namespace files
}  // namespace sp_platform
