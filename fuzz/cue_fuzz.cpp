// CUE sheets of disc images in the media folder: the bytes as "Image.cue" beside an image of
// silence, mounted as the volume list finds it, its table of contents and the start of each
// track read, and ejected again.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "Files.h"
#include "FuzzHome.h"
#include "files/internal/AudioCDVolumes.h"
#include "files/internal/TestHooks.h"

namespace {

constexpr std::size_t kImageSectors = 600;

void ReadSomeOfEachFile(SInt16 vRefNum) {
  for (SInt16 index = 1; index <= 8; ++index) {
    Str255 name{};
    CInfoPBRec pb{};
    pb.hFileInfo.ioNamePtr = name;
    pb.hFileInfo.ioVRefNum = vRefNum;
    pb.hFileInfo.ioDirID = fsRtDirID;
    pb.hFileInfo.ioFDirIndex = index;
    if (PBGetCatInfoSync(&pb) != noErr) return;
    SInt16 ref = 0;
    if (HOpenDF(vRefNum, fsRtDirID, name, fsRdPerm, &ref) != noErr) continue;
    std::vector<char> buffer(16384);
    SInt32 count = SInt32(buffer.size());
    FSRead(ref, &count, buffer.data());
    FSClose(ref);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& home = sp_fuzz::Home();
  if (home.empty()) return 0;
  const std::string media = home + "/media";
  static bool ready = false;
  if (!ready) {
    mkdir(media.c_str(), 0700);
    const std::vector<uint8_t> silence(kImageSectors * 2352, 0);
    if (!sp_fuzz::WriteFile(media + "/Image.bin", silence.data(), silence.size())) return 0;
    sp_platform::files::SetDiscDrives({});
    ready = true;
  }
  if (!sp_fuzz::WriteFile(media + "/Image.cue", data, size)) return 0;
  sp_platform::files::SetMediaFolder(media);
  std::vector<SInt16> discs;
  for (ItemCount index = 1; index < 64; ++index) {
    FSVolumeRefNum vRefNum = 0;
    FSVolumeInfo info{};
    const OSErr err = FSGetVolumeInfo(kFSInvalidVolumeRefNum, index, &vRefNum, kFSVolInfoFSInfo,
                                      &info, nullptr, nullptr);
    if (err == nsvErr) break;
    if (err == noErr && info.filesystemID == kSpAudioCDFileSystemID) discs.push_back(vRefNum);
  }
  for (SInt16 vRefNum : discs) {
    ReadSomeOfEachFile(vRefNum);
    UnmountVol(nullptr, vRefNum);
  }
  std::remove((media + "/Image.cue").c_str());
  return 0;
}
