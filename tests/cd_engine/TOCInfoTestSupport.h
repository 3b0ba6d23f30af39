// Fixtures for the table-of-contents tests: ".TOC.plist" texts as a disc carries them, AIFF
// track files written with our own bytes, and a disc folder in a temporary home that can be
// mounted as an emulated audio CD.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "CFURLFiles.h"
#include "CoreFoundation.h"
#include "Files.h"
#include "TestFiles.h"

namespace cdtest {

struct TocTrack {
  int point;
  int startBlock;
  bool data = false;
  int session = 1;
};

struct TocSession {
  int number;
  int firstTrack;
  int lastTrack;
  int leadoutBlock;
  int sessionType;  // 0x00 audio, 0x10, 0x20
  std::vector<TocTrack> tracks;
};

inline std::string IntegerEntry(const char* key, int value, const char* indent) {
  return std::string(indent) + "<key>" + key + "</key>\n" + indent + "<integer>" +
         std::to_string(value) + "</integer>\n";
}

// The property list a mounted audio CD shows as ".TOC.plist".
inline std::string TocPlist(const std::vector<TocSession>& sessions) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\">\n<dict>\n"
      "\t<key>Format 0x02 TOC Data</key>\n\t<data>\n\tAAAAAQEBAQ==\n\t</data>\n"
      "\t<key>Sessions</key>\n\t<array>\n";
  for (const TocSession& s : sessions) {
    xml += "\t\t<dict>\n";
    xml += IntegerEntry("First Track", s.firstTrack, "\t\t\t");
    xml += IntegerEntry("Last Track", s.lastTrack, "\t\t\t");
    xml += IntegerEntry("Leadout Block", s.leadoutBlock, "\t\t\t");
    xml += IntegerEntry("Session Number", s.number, "\t\t\t");
    xml += IntegerEntry("Session Type", s.sessionType, "\t\t\t");
    xml += "\t\t\t<key>Track Array</key>\n\t\t\t<array>\n";
    for (const TocTrack& t : s.tracks) {
      xml += "\t\t\t\t<dict>\n";
      xml += std::string("\t\t\t\t\t<key>Data</key>\n\t\t\t\t\t<") + (t.data ? "true" : "false") +
             "/>\n";
      xml += "\t\t\t\t\t<key>Digital Copy Permitted</key>\n\t\t\t\t\t<true/>\n";
      xml += IntegerEntry("Point", t.point, "\t\t\t\t\t");
      xml += "\t\t\t\t\t<key>Pre-Emphasis Enabled</key>\n\t\t\t\t\t<false/>\n";
      xml += IntegerEntry("Session Number", t.session, "\t\t\t\t\t");
      xml += IntegerEntry("Start Block", t.startBlock, "\t\t\t\t\t");
      xml += "\t\t\t\t</dict>\n";
    }
    xml += "\t\t\t</array>\n\t\t</dict>\n";
  }
  xml += "\t</array>\n</dict>\n</plist>\n";
  return xml;
}

// The header of an AIFF file of 16-bit stereo 44.1 kHz samples; the sample bytes follow it.
inline sp::ByteWriter AiffHeader(UInt32 sampleFrames) {
  const UInt32 dataBytes = sampleFrames * 4;
  sp::ByteWriter w;
  w.FourCC(SpFourCC("FORM"));
  w.BE32(4 + 8 + 18 + 8 + 8 + dataBytes);
  w.FourCC(SpFourCC("AIFF"));
  w.FourCC(SpFourCC("COMM"));
  w.BE32(18);
  w.BE16(2);
  w.BE32(sampleFrames);
  w.BE16(16);
  w.Extended80(44100.0);
  w.FourCC(SpFourCC("SSND"));
  w.BE32(8 + dataBytes);
  w.BE32(0);
  w.BE32(0);
  return w;
}

// A whole AIFF file of a ramp (so no two files are alike).
inline std::string AiffBytes(UInt32 sampleFrames, UInt16 seed) {
  sp::ByteWriter w = AiffHeader(sampleFrames);
  for (UInt32 i = 0; i < sampleFrames; ++i) {
    w.BE16(UInt16(seed + i));
    w.BE16(UInt16(seed - i));
  }
  return std::string(w.Data().begin(), w.Data().end());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The FSRef of an existing file given by its Linux path.
inline bool RefOfPath(const std::string& path, FSRef* ref) {
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      kCFAllocatorDefault, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()),
      false);
  if (url == nullptr) return false;
  const bool ok = CFURLGetFSRef(url, ref);
  CFRelease(url);
  return ok;
}

// A disc folder "<home>/Disc" in a fresh home of its own.
class DiscFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(home_.Home().empty());
    ASSERT_EQ(0, mkdir(Disc().c_str(), 0700));
  }

  std::string Disc(const std::string& name = "") const {
    return home_.Path("Disc") + (name.empty() ? "" : "/" + name);
  }
  void WriteToc(const std::vector<TocSession>& sessions) const {
    WriteFile(Disc(".TOC.plist"), TocPlist(sessions));
  }
  // Mounts the folder as an audio CD; it must hold ".TOC.plist" by then.
  SInt16 Mount() const { return sp_testing::MountAudioCD(Disc()); }

  sp_testing::HomeScope home_;
};

}  // namespace cdtest
