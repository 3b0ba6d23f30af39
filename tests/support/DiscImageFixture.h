// CUE/BIN disc images for the tests: "<name>.cue" beside "<name>.bin", written byte by byte,
// with samples that tell every frame of the disc apart.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "MacTypes.h"

namespace disc_image {

struct Track {
  UInt32 sectors;     // 588 stereo frames each
  std::string title;  // CD-Text TITLE; empty: none
  bool data = false;  // a data track (MODE1/2352) instead of audio
};

// The left sample of stereo frame `frame` of the disc (counted from its first sector); the
// right one is its complement.
inline SInt16 LeftSample(UInt32 frame) {
  return SInt16(UInt16(frame * 7u + 3u));
}
inline SInt16 RightSample(UInt32 frame) {
  return SInt16(~UInt16(frame * 7u + 3u));
}

// Byte `at` of the disc's samples (counted from its first sector) as a track file gives them:
// big-endian, left then right.
inline UInt8 BigEndianByte(UInt64 at) {
  const UInt32 frame = UInt32(at / 4);
  const UInt16 sample = UInt16(at / 2 % 2 == 0 ? LeftSample(frame) : RightSample(frame));
  return UInt8(at % 2 == 0 ? sample >> 8 : sample & 0xFF);
}

inline std::string Msf(UInt32 sector) {
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", sector / 4500, sector / 75 % 60, sector % 75);
  return text;
}

// Writes the image into `folder` and answers the cue file's path. Samples are stored
// little-endian, as most CD images hold them ("BINARY"), or big-endian ("MOTOROLA").
inline std::string WriteImage(const std::string& folder, const std::string& name,
                              const std::vector<Track>& tracks,
                              const std::string& album = std::string(), bool bigEndian = false) {
  std::string cue;
  if (!album.empty()) cue += "TITLE \"" + album + "\"\n";
  cue += "FILE \"" + name + ".bin\" " + (bigEndian ? "MOTOROLA\n" : "BINARY\n");
  std::string bin;
  UInt32 sector = 0;
  for (std::size_t t = 0; t < tracks.size(); ++t) {
    char number[24];
    std::snprintf(number, sizeof number, "%02zu", t + 1);
    cue += std::string("  TRACK ") + number + (tracks[t].data ? " MODE1/2352\n" : " AUDIO\n");
    if (!tracks[t].title.empty()) cue += "    TITLE \"" + tracks[t].title + "\"\n";
    cue += "    INDEX 01 " + Msf(sector) + "\n";
    for (UInt32 f = sector * 588; f < (sector + tracks[t].sectors) * 588; ++f) {
      const UInt16 l = UInt16(LeftSample(f)), r = UInt16(RightSample(f));
      const char little[4] = {char(l & 0xFF), char(l >> 8), char(r & 0xFF), char(r >> 8)};
      const char big[4] = {little[1], little[0], little[3], little[2]};
      bin.append(bigEndian ? big : little, 4);
    }
    sector += tracks[t].sectors;
  }
  std::ofstream(folder + "/" + name + ".bin", std::ios::binary) << bin;
  std::ofstream(folder + "/" + name + ".cue", std::ios::binary) << cue;
  return folder + "/" + name + ".cue";
}

}  // namespace disc_image
