// Fixtures for the table-of-contents tests: ".TOC.plist" texts as a disc carries them, AIFF
// track files written with our own bytes, and a disc folder in a temporary home that can be
// mounted as an emulated audio CD.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "ByteOrder.h"
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
  int number, firstTrack, lastTrack, leadoutBlock;
  int sessionType;  // 0x00 audio, 0x10, 0x20
  std::vector<TocTrack> tracks;
};

// The property list a mounted audio CD shows as ".TOC.plist".
inline std::string TocPlist(const std::vector<TocSession>& sessions) {
  auto integer = [](const char* key, int value) {
    return std::string("<key>") + key + "</key><integer>" + std::to_string(value) + "</integer>\n";
  };
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
      "<key>Format 0x02 TOC Data</key><data>AAAAAQEBAQ==</data>\n<key>Sessions</key><array>\n";
  for (const TocSession& s : sessions) {
    xml += "<dict>\n" + integer("First Track", s.firstTrack) + integer("Last Track", s.lastTrack) +
           integer("Leadout Block", s.leadoutBlock) + integer("Session Number", s.number) +
           integer("Session Type", s.sessionType) + "<key>Track Array</key><array>\n";
    for (const TocTrack& t : s.tracks) {
      xml += std::string("<dict><key>Data</key><") + (t.data ? "true" : "false") +
             "/><key>Digital Copy Permitted</key><true/>\n" + integer("Point", t.point) +
             "<key>Pre-Emphasis Enabled</key><false/>\n" + integer("Session Number", t.session) +
             integer("Start Block", t.startBlock) + "</dict>\n";
    }
    xml += "</array></dict>\n";
  }
  return xml + "</array>\n</dict>\n</plist>\n";
}

// The header of an AIFF file of 16-bit stereo 44.1 kHz samples; the sample bytes follow it.
inline std::string AiffHeader(UInt32 sampleFrames) {
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
  return std::string(w.Data().begin(), w.Data().end());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A track file of a disc folder: its name and length in sectors.
struct FolderTrack {
  std::string file;
  UInt32 sectors;
};

// Makes the disc folder (which must not exist yet) with AIFF tracks of silence that the file
// system keeps sparse, and a table of contents whose first track starts two seconds in. The
// lead-out block.
inline SInt32 WriteDiscFolder(const std::string& folder, const std::vector<FolderTrack>& tracks) {
  EXPECT_EQ(mkdir(folder.c_str(), 0700), 0);
  std::vector<TocTrack> toc;
  SInt32 start = 150;
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    const std::string path = folder + "/" + tracks[i].file;
    const std::string header = AiffHeader(tracks[i].sectors * 588);
    WriteFile(path, header);
    EXPECT_EQ(0, truncate(path.c_str(), off_t(header.size() + tracks[i].sectors * 2352)));
    toc.push_back({int(i + 1), start});
    start += SInt32(tracks[i].sectors);
  }
  WriteFile(folder + "/.TOC.plist", TocPlist({{1, 1, int(tracks.size()), start, 0x00, toc}}));
  return start;
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
