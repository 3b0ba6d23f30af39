// Sound files and movies for the tests of the QuickTime interface: AIFF and WAVE written from
// our own bytes, everything else made by the ffmpeg tool in the test's temporary home.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "Files.h"
#include "Folders.h"
#include "Movies.h"
#include "TestFiles.h"

namespace qt_test {

// The Documents folder of the temporary home, as (volume, directory id) and host path.
struct Folder {
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  std::string path;
};

inline Folder DocumentsFolder(const sp_testing::HomeScope& home) {
  Folder folder;
  EXPECT_EQ(FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &folder.vRefNum,
                       &folder.dirID),
            noErr);
  folder.path = home.Path("Documents");
  return folder;
}

inline void WriteHostFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::string AsString(const std::vector<UInt8>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// 16-bit big-endian stereo samples: frame i holds i and -i.
inline std::vector<UInt8> StereoRamp(UInt32 frames) {
  sp::ByteWriter w;
  for (UInt32 i = 0; i < frames; ++i) {
    w.BE16(UInt16(i));
    w.BE16(UInt16(-SInt16(i)));
  }
  return w.Data();
}

// A 44.1 kHz, 16-bit stereo AIFF file of these sample frames.
inline std::string AIFFBytes(UInt32 frames) {
  std::vector<UInt8> samples = StereoRamp(frames);
  sp::ByteWriter w;
  w.FourCC(SpFourCC("FORM"));
  w.BE32(UInt32(4 + 26 + 16 + samples.size()));
  w.FourCC(SpFourCC("AIFF"));
  w.FourCC(SpFourCC("COMM"));
  w.BE32(18);
  w.BE16(2);
  w.BE32(frames);
  w.BE16(16);
  w.Extended80(44100.0);
  w.FourCC(SpFourCC("SSND"));
  w.BE32(UInt32(8 + samples.size()));
  w.BE32(0);
  w.BE32(0);
  w.Bytes(samples.data(), samples.size());
  return AsString(w.Data());
}

// A 22,050 Hz, 16-bit mono WAVE file of silence.
inline std::string WAVEBytes(UInt32 frames) {
  sp::ByteWriter w;
  w.FourCC(SpFourCC("RIFF"));
  w.LE32(36 + frames * 2);
  w.FourCC(SpFourCC("WAVE"));
  w.FourCC(SpFourCC("fmt "));
  w.LE32(16);
  w.LE16(1);
  w.LE16(1);
  w.LE32(22050);
  w.LE32(44100);
  w.LE16(2);
  w.LE16(16);
  w.FourCC(SpFourCC("data"));
  w.LE32(frames * 2);
  w.Zeros(frames * 2);
  return AsString(w.Data());
}

inline bool HaveTool(const char* tool) {
  std::string command = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// Runs the ffmpeg tool quietly with these arguments; true when it made its file.
inline bool RunFFmpeg(const std::string& arguments) {
  std::string command = "ffmpeg -nostdin -v error -y " + arguments + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// The output of a command (standard output only).
inline std::string CommandOutput(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

// A short tone through lavfi, with these output options, into the file.
inline bool MakeToneFile(const std::string& path, const std::string& outputOptions) {
  return RunFFmpeg("-f lavfi -i sine=frequency=440:duration=0.3:sample_rate=44100 " +
                   outputOptions + " '" + path + "'");
}

inline FSSpec SpecOf(const Folder& folder, const std::string& name) {
  Str255 pascalName;
  pascalName[0] = UInt8(name.size());
  std::memcpy(pascalName + 1, name.data(), name.size());
  FSSpec spec{};
  EXPECT_EQ(FSMakeFSSpec(folder.vRefNum, folder.dirID, pascalName, &spec), noErr) << name;
  return spec;
}

// The file opened as a movie; null when it does not open.
inline Movie OpenTestMovie(const Folder& folder, const std::string& name) {
  FSSpec spec = SpecOf(folder, name);
  SInt16 refNum = 0;
  if (OpenMovieFile(&spec, &refNum, fsRdPerm) != noErr) return nullptr;
  Movie movie = nullptr;
  OSErr err = NewMovieFromFile(&movie, refNum, nullptr, nullptr, newMovieActive, nullptr);
  CloseMovieFile(refNum);
  return err == noErr ? movie : nullptr;
}

}  // namespace qt_test
