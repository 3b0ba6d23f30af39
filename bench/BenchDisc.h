// An emulated audio CD for the benchmarks: AIFF tracks of a tone over noise with their table
// of contents in a disc folder, and optionally the same sound as one AIFF file; or the same
// sound as a CUE/BIN disc image.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "MacTypes.h"

namespace bench {

inline std::string AiffHeader(UInt32 frames) {
  sp::ByteWriter w;
  const UInt32 bytes = frames * 4;
  w.FourCC(SpFourCC("FORM"));
  w.BE32(46 + bytes);
  w.FourCC(SpFourCC("AIFF"));
  w.FourCC(SpFourCC("COMM"));
  w.BE32(18);
  w.BE16(2);
  w.BE32(frames);
  w.BE16(16);
  w.Extended80(44100.0);
  w.FourCC(SpFourCC("SSND"));
  w.BE32(bytes + 8);
  w.BE32(0);
  w.BE32(0);
  return std::string(w.Data().begin(), w.Data().end());
}

// The disc's sound, frame after frame: a tone over noise, 16-bit stereo.
struct DiscSound {
  UInt32 seed = 12345;
  UInt64 frame = 0;
  // The next `frames` frames into out, big-endian as AIFF holds them or little-endian.
  void Next(UInt8* out, UInt32 frames, bool littleEndian) {
    for (UInt32 i = 0; i < frames; ++i, ++frame) {
      seed = seed * 1664525u + 1013904223u;
      const double tone = 9000.0 * std::sin(2.0 * M_PI * 220.0 * double(frame) / 44100.0);
      const UInt16 left = UInt16(SInt16(tone + double(SInt16(seed >> 16)) / 16.0));
      const UInt16 right = UInt16(SInt16(tone * 0.7 + double(SInt16(seed & 0xFFFF)) / 16.0));
      if (littleEndian) {
        sp::StoreLE16(out + i * 4, left);
        sp::StoreLE16(out + i * 4 + 2, right);
      } else {
        sp::StoreBE16(out + i * 4, left);
        sp::StoreBE16(out + i * 4 + 2, right);
      }
    }
  }
};

// `seconds` of sound in `tracks` tracks of whole sectors in the folder (which must exist), and
// the same samples in one file at `wholeFile` unless it is empty.
inline bool MakeDisc(const std::string& folder, const std::string& wholeFile, long seconds,
                     int tracks) {
  const UInt32 sectors = UInt32(seconds * 75 / tracks);
  const UInt32 frames = sectors * 588;
  std::ofstream whole;
  if (!wholeFile.empty()) {
    whole.open(wholeFile, std::ios::binary);
    whole << AiffHeader(frames * UInt32(tracks));
  }
  std::string toc =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
      "<key>Sessions</key><array>\n<dict>\n<key>First Track</key><integer>1</integer>\n"
      "<key>Last Track</key><integer>" +
      std::to_string(tracks) + "</integer>\n<key>Leadout Block</key><integer>" +
      std::to_string(150 + sectors * UInt32(tracks)) +
      "</integer>\n<key>Session Number</key><integer>1</integer>\n"
      "<key>Session Type</key><integer>0</integer>\n<key>Track Array</key><array>\n";
  DiscSound sound;
  std::vector<UInt8> block(588 * 4 * 75);
  for (int t = 1; t <= tracks; ++t) {
    std::ofstream track(folder + "/" + std::to_string(t) + " Track " + std::to_string(t) + ".aiff",
                        std::ios::binary);
    track << AiffHeader(frames);
    for (UInt32 s = 0; s < sectors; s += 75) {
      const UInt32 n = std::min<UInt32>(75, sectors - s) * 588;
      sound.Next(block.data(), n, false);
      track.write(reinterpret_cast<const char*>(block.data()), std::streamsize(n * 4));
      if (whole.is_open()) whole.write(reinterpret_cast<const char*>(block.data()), std::streamsize(n * 4));
    }
    if (!track) return false;
    toc += "<dict><key>Data</key><false/><key>Point</key><integer>" + std::to_string(t) +
           "</integer><key>Session Number</key><integer>1</integer><key>Start Block</key>"
           "<integer>" +
           std::to_string(150 + sectors * UInt32(t - 1)) + "</integer></dict>\n";
  }
  toc += "</array></dict>\n</array>\n</dict>\n</plist>\n";
  std::ofstream(folder + "/.TOC.plist") << toc;
  return wholeFile.empty() || bool(whole);
}

// The same sound as MakeDisc's as a disc image in the folder (which must exist): "Disc.bin",
// its samples little-endian as images hold them, and the sheet "Disc.cue" of its tracks.
inline bool MakeImage(const std::string& folder, long seconds, int tracks) {
  const UInt32 sectors = UInt32(seconds * 75 / tracks);
  std::ofstream bin(folder + "/Disc.bin", std::ios::binary);
  std::string cue = "FILE \"Disc.bin\" BINARY\n";
  DiscSound sound;
  std::vector<UInt8> block(588 * 4 * 75);
  char line[64];
  for (int t = 1; t <= tracks; ++t) {
    const UInt32 start = sectors * UInt32(t - 1);
    std::snprintf(line, sizeof line, "  TRACK %02d AUDIO\n    INDEX 01 %02u:%02u:%02u\n", t,
                  start / 75 / 60, start / 75 % 60, start % 75);
    cue += line;
    for (UInt32 s = 0; s < sectors; s += 75) {
      const UInt32 n = std::min<UInt32>(75, sectors - s) * 588;
      sound.Next(block.data(), n, true);
      bin.write(reinterpret_cast<const char*>(block.data()), std::streamsize(n * 4));
    }
  }
  std::ofstream(folder + "/Disc.cue") << cue;
  return bool(bin);
}

}  // namespace bench
