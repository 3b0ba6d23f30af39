// Shared by the targets of disc images in the media folder: the discs the volume list finds
// there mounted, each one's name and the start of each of its files read, and ejected again.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Files.h"
#include "FuzzHome.h"
#include "files/internal/AudioCDVolumes.h"
#include "files/internal/TestHooks.h"

namespace sp_fuzz {

// The media folder of the temporary home with "Image.bin", an image of 600 sectors of
// silence, made on first use and with no drives looked at; empty when it cannot be made.
inline const std::string& MediaFolderWithImage() {
  static const std::string folder = [] {
    const std::string& home = Home();
    if (home.empty()) return std::string();
    const std::string media = home + "/media";
    mkdir(media.c_str(), 0700);
    const std::vector<uint8_t> silence(600 * 2352, 0);
    if (!WriteFile(media + "/Image.bin", silence.data(), silence.size())) return std::string();
    sp_platform::files::SetDiscDrives({});
    return media;
  }();
  return folder;
}

inline void ReadSomeOfEachFile(SInt16 vRefNum) {
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

// Mounts the discs of the media folder, reads each one's name and some of each of its files,
// and ejects them. The volume list is then forgotten, so that every input finds the volume
// numbers as the first did (each mount takes a number never given before).
inline void ReadDiscsOfMediaFolder(const std::string& media) {
  sp_platform::files::SetMediaFolder(media);
  std::vector<SInt16> discs;
  for (ItemCount index = 1; index < 64; ++index) {
    FSVolumeRefNum vRefNum = 0;
    FSVolumeInfo info{};
    HFSUniStr255 name{};
    const OSErr err = FSGetVolumeInfo(kFSInvalidVolumeRefNum, index, &vRefNum, kFSVolInfoFSInfo,
                                      &info, &name, nullptr);
    if (err == nsvErr) break;
    if (err == noErr && info.filesystemID == kSpAudioCDFileSystemID) discs.push_back(vRefNum);
  }
  for (SInt16 vRefNum : discs) {
    Str255 name{};
    HParamBlockRec pb{};
    pb.volumeParam.ioNamePtr = name;
    pb.volumeParam.ioVRefNum = vRefNum;
    PBHGetVInfoSync(&pb);
    ReadSomeOfEachFile(vRefNum);
    UnmountVol(nullptr, vRefNum);
  }
  sp_platform::files::ResetCatalogueAndVolumes();
}

}  // namespace sp_fuzz
