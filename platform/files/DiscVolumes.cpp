// Audio CDs of drives and CUE/BIN images, mounted as read-only audio-CD volumes through
// stand-in folders (see detail/Discs.h).

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Files.h"
#include "detail/Catalog.h"
#include "detail/Discs.h"
#include "detail/FilesInternal.h"
#include "detail/Forks.h"
#include "files/internal/DiscTracks.h"
#include "files/internal/TestHooks.h"
#include "internal/FileSteps.h"
#include "internal/SideFiles.h"

namespace sp_platform {
namespace files {
namespace {

using FileKey = std::pair<dev_t, ino_t>;

struct TrackFile {
  FileKey key;
  SInt32 lsn;
  UInt32 sectors;
  UInt64 size;  // header and samples
};

struct Disc {
  bool inDrive = false;
  std::string source;     // the image's ".cue" file or the drive's device
  FileKey sourceKey{};    // the image's ".cue" file
  std::string imagePath;  // the image's ".bin" file
  std::string stamp;      // both files as they were when the disc was read
  std::string signature;  // the table of contents, to tell another disc in the same drive
  std::string standIn;
  std::vector<TrackFile> tracks;
  std::unique_ptr<DiscSource> reader;  // open while the disc is being read
  bool readSinceRefresh = false;
};

struct State {
  std::map<SInt16, Disc> discs;
  std::set<FileKey> ejectedImages;
  std::optional<std::vector<std::string>> drives;  // set by tests; none: the system's drives
  bool staleCleared = false;
  UInt32 made = 0;
};

State& S() {
  static State& state = *new State;
  return state;
}

bool KeyOf(const std::string& path, FileKey* key) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  *key = FileKey(st.st_dev, st.st_ino);
  return true;
}

bool EndsWithCue(const std::string& name) {
  if (name.size() < 5) return false;
  std::string tail = name.substr(name.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return tail == ".cue";
}

std::string Signature(const DiscToc& toc) {
  std::string s = std::to_string(toc.leadout);
  for (const DiscTocTrack& t : toc.tracks)
    s += " " + std::to_string(t.number) + (t.audio ? "a" : "d") + std::to_string(t.lsn);
  return s;
}

// ---- Stand-in folders ---------------------------------------------------------------------

// Stand-ins of this process live in "<runtime or cache folder>/mediamanager/discs/<pid>";
// those of processes that ended are removed the first time a disc is mounted.
std::string StandInRoot() {
  const char* runtime = getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/mediamanager/discs";
  const char* cache = getenv("XDG_CACHE_HOME");
  if (cache != nullptr && cache[0] == '/') return std::string(cache) + "/mediamanager/discs";
  const char* home = getenv("HOME");
  return std::string(home != nullptr && home[0] == '/' ? home : "/tmp") +
         "/.cache/mediamanager/discs";
}

int RemoveEntry(const char* path, const struct stat*, int type, struct FTW*) {
  if (type == FTW_DP || type == FTW_D || type == FTW_DNR)
    StepRmdir(path);
  else
    StepUnlink(path);
  return 0;
}

void RemoveTree(const std::string& path) {
  if (path.empty()) return;
  NoteDeleted(path);
  ForgetListing(ParentPath(path));
  nftw(path.c_str(), RemoveEntry, 16, FTW_PHYS | FTW_DEPTH);
}

bool MakeFolders(const std::string& path) {
  std::string partial;
  std::size_t at = 0;
  while (at != std::string::npos) {
    at = path.find('/', at + 1);
    partial = path.substr(0, at);
    if (StepMkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

void ClearStaleStandIns(const std::string& root) {
  DIR* dir = opendir(root.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> stale;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    const long pid = std::strtol(name.c_str(), nullptr, 10);
    if (pid == long(getpid()) || (kill(pid_t(pid), 0) != 0 && errno == ESRCH)) {
      stale.push_back(root + "/" + name);
    }
  }
  closedir(dir);
  for (const std::string& path : stale) RemoveTree(path);
}

// The table of contents as a mounted disc shows it: one session, block numbers two seconds
// into the disc, the lead-out included.
std::string TocPlist(const DiscToc& toc) {
  auto integer = [](const char* key, SInt32 value) {
    return std::string("<key>") + key + "</key><integer>" + std::to_string(value) + "</integer>\n";
  };
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
      "<key>Sessions</key>\n<array>\n<dict>\n";
  xml += integer("First Track", toc.tracks.front().number);
  xml += integer("Last Track", toc.tracks.back().number);
  xml += integer("Leadout Block", toc.leadout + kDiscBlockOffset);
  xml += integer("Session Number", 1);
  xml += integer("Session Type", 0);
  xml += "<key>Track Array</key>\n<array>\n";
  for (const DiscTocTrack& t : toc.tracks) {
    xml += std::string("<dict>\n<key>Data</key><") + (t.audio ? "false" : "true") + "/>\n" +
           integer("Point", t.number) + integer("Session Number", 1) +
           integer("Start Block", t.lsn + kDiscBlockOffset) + "</dict>\n";
  }
  return xml + "</array>\n</dict>\n</array>\n</dict>\n</plist>\n";
}

bool WriteWhole(const std::string& path, const std::string& bytes) {
  const int fd = StepOpen(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool written = WriteAllBytes(fd, bytes.data(), bytes.size()) == 0;
  return close(fd) == 0 && written;
}

// A sparse file of the track's size: its bytes are read from the disc.
bool MakeTrackFile(const std::string& path, UInt64 size, FileKey* key) {
  const int fd = StepOpen(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0400);
  if (fd < 0) return false;
  struct stat st {};
  const bool ok = ftruncate(fd, off_t(size)) == 0 && fstat(fd, &st) == 0;
  close(fd);
  *key = FileKey(st.st_dev, st.st_ino);
  return ok;
}

// Makes the stand-in folder of a disc; false (nothing left behind) when it cannot be made.
bool MakeStandIn(const DiscToc& toc, Disc& disc) {
  State& s = S();
  const std::string root = StandInRoot();
  if (!s.staleCleared) {
    ClearStaleStandIns(root);
    s.staleCleared = true;
  }
  const std::string folder = root + "/" + std::to_string(getpid()) + "/" + std::to_string(++s.made);
  if (!MakeFolders(folder)) return false;
  bool ok = WriteWhole(folder + "/.TOC.plist", TocPlist(toc));
  for (std::size_t i = 0; ok && i < toc.tracks.size(); ++i) {
    const DiscTocTrack& t = toc.tracks[i];
    if (!t.audio) continue;
    const SInt32 end = i + 1 < toc.tracks.size() ? toc.tracks[i + 1].lsn : toc.leadout;
    TrackFile file{FileKey(), t.lsn, UInt32(end - t.lsn), 0};
    file.size = kDiscAiffHeaderBytes + UInt64(file.sectors) * kDiscSectorBytes;
    const std::string name = std::to_string(t.number) + " " +
                             (t.title.empty() ? std::string("Audio Track") : t.title) + ".aiff";
    ok = MakeTrackFile(folder + "/" + name, file.size, &file.key);
    disc.tracks.push_back(file);
  }
  if (!ok) {
    RemoveTree(folder);
    disc.tracks.clear();
    return false;
  }
  disc.standIn = folder;
  return true;
}

// ---- Mounting -----------------------------------------------------------------------------

bool HasAudio(const DiscToc& toc) {
  return std::any_of(toc.tracks.begin(), toc.tracks.end(),
                     [](const DiscTocTrack& t) { return t.audio; });
}

SInt16 Mount(Disc disc, DiscSource& source, const std::string& name) {
  DiscToc toc;
  if (!source.ReadToc(toc) || !HasAudio(toc)) return 0;
  disc.signature = Signature(toc);
  if (!MakeStandIn(toc, disc)) return 0;
  const std::string volumeName = !toc.album.empty() ? toc.album : name;
  const SInt16 vRefNum = AddEmulatedVolume(
      disc.standIn, volumeName, kVolumeReadOnly | kVolumeEmulatedCD, kSpAudioCDFileSystemID);
  if (vRefNum == 0) {
    RemoveTree(disc.standIn);
    return 0;
  }
  S().discs.emplace(vRefNum, std::move(disc));
  return vRefNum;
}

void Unmount(std::map<SInt16, Disc>::iterator it) {
  RemoveEmulatedVolume(it->first);
  RemoveTree(it->second.standIn);
  S().discs.erase(it);
}

// What an image's files are now: identity, size and modification time of both; "" when one
// is not there. A sheet edited in place, a ".bin" still being copied when its sheet came or
// one taken away: the disc is read anew, or goes.
std::string ImageStamp(const std::string& cue, const std::string& bin) {
  std::string stamp;
  for (const std::string* path : {&cue, &bin}) {
    struct stat st {};
    if (stat(path->c_str(), &st) != 0) return std::string();
    stamp += std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
             std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
             std::to_string(st.st_mtim.tv_nsec) + ";";
  }
  return stamp;
}

void MountImage(const std::string& cue, const FileKey& key) {
  std::unique_ptr<DiscSource> source = DiscSource::Open(cue, false);
  if (source == nullptr) return;
  Disc disc;
  disc.source = cue;
  disc.sourceKey = key;
  disc.imagePath = source->ImagePath();
  disc.stamp = ImageStamp(cue, disc.imagePath);
  std::string name = BaseName(cue);
  name.resize(name.size() - 4);
  Mount(std::move(disc), *source, name);
}

void RefreshImages(const std::string& mediaFolder) {
  State& s = S();
  for (auto it = s.discs.begin(); it != s.discs.end();) {
    auto next = std::next(it);
    FileKey key;
    // A changed image is read again below, as a new disc.
    if (!it->second.inDrive && !IsVolumeInUse(it->first) &&
        (!KeyOf(it->second.source, &key) || key != it->second.sourceKey ||
         ImageStamp(it->second.source, it->second.imagePath) != it->second.stamp)) {
      Unmount(it);
    }
    it = next;
  }
  if (mediaFolder.empty()) return;
  DIR* dir = opendir(mediaFolder.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir)) {
    if (EndsWithCue(entry->d_name)) names.emplace_back(entry->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string cue = mediaFolder + "/" + name;
    FileKey key;
    if (!KeyOf(cue, &key) || s.ejectedImages.count(key) != 0) continue;
    const bool mounted = std::any_of(s.discs.begin(), s.discs.end(), [&](const auto& entry) {
      return !entry.second.inDrive && entry.second.sourceKey == key;
    });
    if (!mounted) MountImage(cue, key);
  }
}

std::map<SInt16, Disc>::iterator DiscOfDrive(const std::string& device) {
  State& s = S();
  return std::find_if(s.discs.begin(), s.discs.end(), [&](const auto& entry) {
    return entry.second.inDrive && entry.second.source == device;
  });
}

// A drive whose disc is being read is left alone: its door is locked meanwhile, and the
// disc cannot have changed.
void RefreshDrive(const std::string& device) {
  State& s = S();
  auto mounted = DiscOfDrive(device);
  if (mounted != s.discs.end() &&
      (mounted->second.reader != nullptr || IsVolumeInUse(mounted->first)))
    return;
  std::unique_ptr<DiscSource> source = DiscSource::Open(device, true);
  DiscToc toc;
  const bool present = source != nullptr && source->ReadToc(toc) && HasAudio(toc);
  if (mounted != s.discs.end()) {
    if (present && Signature(toc) == mounted->second.signature) return;
    Unmount(mounted);
  }
  if (!present) return;
  Disc disc;
  disc.inDrive = true;
  disc.source = device;
  Mount(std::move(disc), *source, "Audio CD");
}

void RefreshDrives() {
  State& s = S();
  const std::vector<std::string> drives = s.drives ? *s.drives : SystemDiscDrives();
  for (auto it = s.discs.begin(); it != s.discs.end();) {
    auto next = std::next(it);
    if (it->second.inDrive && !IsVolumeInUse(it->first) &&
        std::find(drives.begin(), drives.end(), it->second.source) == drives.end()) {
      Unmount(it);
    }
    it = next;
  }
  for (const std::string& device : drives) RefreshDrive(device);
}

struct FoundTrack {
  Disc* disc;
  const TrackFile* track;
};

std::optional<FoundTrack> FindTrack(dev_t device, ino_t inode) {
  const FileKey key(device, inode);
  for (auto& entry : S().discs) {
    for (const TrackFile& t : entry.second.tracks) {
      if (t.key == key) return FoundTrack{&entry.second, &t};
    }
  }
  return std::nullopt;
}

}  // namespace

void RefreshDiscVolumes(const std::string& mediaFolder) {
  // Readers of discs not read since the last refresh are closed, so a drive's door opens.
  for (auto& entry : S().discs) {
    if (!entry.second.readSinceRefresh) entry.second.reader.reset();
    entry.second.readSinceRefresh = false;
  }
  RefreshImages(mediaFolder);
  RefreshDrives();
}

OSErr EjectDiscVolume(SInt16 vRefNum) {
  State& s = S();
  auto it = s.discs.find(vRefNum);
  if (it == s.discs.end()) return nsvErr;
  if (IsVolumeInUse(vRefNum)) return fBsyErr;
  it->second.reader.reset();
  if (it->second.inDrive) {
    const OSErr err = EjectDiscInDrive(it->second.source);
    if (err != noErr) return err;
  } else {
    s.ejectedImages.insert(it->second.sourceKey);
  }
  Unmount(it);
  return noErr;
}

void ForgetEjectedDiscImages() {
  S().ejectedImages.clear();
}

void ResetDiscVolumes() {
  State& s = S();
  while (!s.discs.empty()) Unmount(s.discs.begin());
  s = State();
}

void SetDiscDrives(const std::vector<std::string>& drives) {
  S().drives = drives;
}

void UseSystemDiscDrives() {
  S().drives.reset();
}

bool ReadDiscTrack(dev_t device, ino_t inode, UInt64 offset, void* buffer, UInt64 count,
                   UInt64* done, OSErr* err) {
  std::optional<FoundTrack> found = FindTrack(device, inode);
  if (!found) return false;
  Disc& disc = *found->disc;
  const TrackFile& track = *found->track;
  *done = 0;
  *err = noErr;
  if (offset >= track.size) return true;
  count = std::min<UInt64>(count, track.size - offset);
  auto* out = static_cast<UInt8*>(buffer);
  if (offset < kDiscAiffHeaderBytes) {
    UInt8 header[kDiscAiffHeaderBytes];
    DiscTrackAiffHeader(track.sectors, header);
    const UInt64 n = std::min<UInt64>(count, kDiscAiffHeaderBytes - offset);
    std::memcpy(out, header + offset, std::size_t(n));
    *done = n;
  }
  disc.readSinceRefresh = true;
  UInt8 sector[kDiscSectorBytes];
  while (*done < count) {
    const UInt64 at = offset + *done - kDiscAiffHeaderBytes;
    if (disc.reader == nullptr) disc.reader = DiscSource::Open(disc.source, disc.inDrive);
    if (disc.reader == nullptr) {
      *err = ioErr;
      break;
    }
    if (!disc.inDrive) {
      // An image's samples go straight into the caller's buffer in one run, wherever in their
      // sectors it starts and ends.
      const UInt64 wanted = count - *done;
      const std::size_t read = disc.reader->ReadImageBytes(
          UInt64(track.lsn) * kDiscSectorBytes + at, std::size_t(wanted), out + *done);
      *done += read;
      if (read < wanted) *err = ioErr;
      break;
    }
    const SInt32 lsn = track.lsn + SInt32(at / kDiscSectorBytes);
    const UInt64 within = at % kDiscSectorBytes;
    const UInt64 wholeSectors = (count - *done) / kDiscSectorBytes;
    if (within == 0 && wholeSectors > 0) {
      // Whole sectors go straight into the caller's buffer, in one run.
      const UInt32 wanted = UInt32(std::min<UInt64>(wholeSectors, track.sectors));
      const UInt32 read = disc.reader->ReadSectors(lsn, wanted, out + *done);
      *done += UInt64(read) * kDiscSectorBytes;
      if (read < wanted) {
        *err = ioErr;
        break;
      }
      continue;
    }
    // A part of a sector, at the start or the end of the request.
    if (!disc.reader->ReadSector(lsn, sector)) {
      *err = ioErr;
      break;
    }
    const UInt64 n = std::min<UInt64>(count - *done, kDiscSectorBytes - within);
    std::memcpy(out + *done, sector + within, std::size_t(n));
    *done += n;
  }
  return true;
}

bool DiscTrackPhysicalSize(dev_t device, ino_t inode, UInt64* size) {
  std::optional<FoundTrack> found = FindTrack(device, inode);
  if (!found) return false;
  *size = (found->track->size + 511) / 512 * 512;
  return true;
}

bool IsDiscTrackFile(dev_t device, ino_t inode) {
  return FindTrack(device, inode).has_value();
}

long ReadDiscTrackAt(dev_t device, ino_t inode, UInt64 offset, void* buffer, std::size_t count) {
  UInt64 done = 0;
  OSErr err = noErr;
  if (!ReadDiscTrack(device, inode, offset, buffer, count, &done, &err)) return -1;
  return done == 0 && err != noErr ? -1 : long(done);
}

}  // namespace files
}  // namespace sp_platform
