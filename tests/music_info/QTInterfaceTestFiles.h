// Sound files and movies for the tests of the QuickTime interface: AIFF and WAVE written from
// our own bytes, everything else made by the ffmpeg tool in the test's temporary home.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "ByteOrder.h"
#include "Files.h"
#include "Folders.h"
#include "MovieTestFiles.h"
#include "Movies.h"
#include "TestFiles.h"

namespace qt_test {

inline void WriteHostFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
inline std::string ReadHostFile(const std::string& path) {
  std::stringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

// 16-bit big-endian stereo samples: frame i holds i and -i.
inline std::string StereoRamp(UInt32 frames) {
  sp::ByteWriter w;
  for (UInt32 i = 0; i < frames; ++i) {
    w.BE16(UInt16(i));
    w.BE16(UInt16(-SInt16(i)));
  }
  return std::string(w.Data().begin(), w.Data().end());
}

// A 44.1 kHz, 16-bit stereo AIFF file of the ramp.
inline std::string AIFFBytes(UInt32 frames) {
  sp::ByteWriter w;
  w.FourCC(SpFourCC("FORM"));
  w.BE32(4 + 26 + 16 + frames * 4);
  w.FourCC(SpFourCC("AIFF"));
  w.FourCC(SpFourCC("COMM"));
  w.BE32(18);
  w.BE16(2);
  w.BE32(frames);
  w.BE16(16);
  w.Extended80(44100.0);
  w.FourCC(SpFourCC("SSND"));
  w.BE32(8 + frames * 4);
  w.Zeros(8);
  return std::string(w.Data().begin(), w.Data().end()) + StereoRamp(frames);
}

// A 22,050 Hz, 16-bit mono WAVE file of silence.
inline std::string WAVEBytes(UInt32 frames) {
  sp::ByteWriter w;
  w.FourCC(SpFourCC("RIFF"));
  w.LE32(36 + frames * 2);
  w.FourCC(SpFourCC("WAVE"));
  w.FourCC(SpFourCC("fmt "));
  for (UInt32 v : {16u, 0x00010001u, 22050u, 44100u, 0x00100002u}) w.LE32(v);
  w.FourCC(SpFourCC("data"));
  w.LE32(frames * 2);
  w.Zeros(frames * 2);
  return std::string(w.Data().begin(), w.Data().end());
}

// A short tone through lavfi, with these output options, into the file.
inline bool MakeToneFile(const std::string& path, const std::string& outputOptions) {
  return RunFFmpeg("-f lavfi -i sine=frequency=440:duration=0.3:sample_rate=44100 " +
                   outputOptions + " '" + path + "'");
}

// The file opened as a movie; null when it does not open.
inline Movie OpenTestMovie(const Folder& folder, const std::string& name) {
  Str255 pascalName;
  pascalName[0] = UInt8(name.size());
  std::memcpy(pascalName + 1, name.data(), name.size());
  FSSpec spec{};
  EXPECT_EQ(FSMakeFSSpec(folder.vRefNum, folder.dirID, pascalName, &spec), noErr) << name;
  SInt16 refNum = 0;
  if (OpenMovieFile(&spec, &refNum, fsRdPerm) != noErr) return nullptr;
  Movie movie = nullptr;
  OSErr err = NewMovieFromFile(&movie, refNum, nullptr, nullptr, newMovieActive, nullptr);
  CloseMovieFile(refNum);
  return err == noErr ? movie : nullptr;
}

}  // namespace qt_test
