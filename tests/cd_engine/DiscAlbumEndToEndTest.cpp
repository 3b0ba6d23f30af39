// From a mounted audio CD to its album: the disc's track files and table of contents, and its
// album in a music library written by another program (Python's plistlib), found by the
// lengths of its tracks in whole seconds, as a save of its tracks asks for them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "ErrorLogCapture.h"
#include "Resources.h"
#include "SpCDDiscPosition.h"
#include "SpCDTOCInfoObject.h"
#include "SpQTMusicInfo.h"
#include "SpiTunesMusicInfoObject.h"
#include "TOCInfoTestSupport.h"
#include "TestResources.h"

namespace {

// The disc: three tracks after the two-second lead-in, lengths in sectors (75 a second).
struct DiscTrack {
  const char* file;
  UInt32 sectors;
  UInt32 seconds;  // the length in whole seconds
};
const DiscTrack kTracks[] = {
    {"1 Opening.aiff", 215 * 75 + 40, 215},
    {"2 Middle.aiff", 180 * 75, 180},
    {"3 Closing.aiff", 240 * 75 + 74, 240},
};
constexpr SInt32 kFirstStart = 150;

// An AIFF file of the track's length: our own header, then silence that the file system
// keeps sparse, so three full-length tracks cost no time to write.
void WriteTrackFile(const std::string& path, UInt32 sectors) {
  const std::string header = cdtest::AiffHeader(sectors * kSpCDSampleFramesPerSector);
  cdtest::WriteFile(path, header);
  ASSERT_EQ(0, truncate(path.c_str(), off_t(header.size() + sectors * 2352)));
}

// The library as another program writes it. Milliseconds are the tracks' exact lengths; a
// second album differs from the disc by one millisecond in its first track.
const char kLibraryScript[] = R"PY(
import plistlib, sys
def track(i, name, album, number, ms):
    return {"Track ID": i, "Name": name, "Artist": "Ann", "Album": album, "Genre": "Rock",
            "Track Number": number, "Track Count": 3, "Total Time": ms}
tracks = [track(70001, "Almost Opening", "Near Miss", 1, 214999),
          track(70003, "Almost Middle", "Near Miss", 2, 180000),
          track(70005, "Almost Closing", "Near Miss", 3, 240986),
          track(70011, "Opening", "Three Pieces", 1, 215533),
          track(70013, "Middle", "Three Pieces", 2, 180000),
          track(70015, "Closing", "Three Pieces", 3, 240986)]
playlist = [{"Track ID": i} for i in (70013, 70011, 70015)]
library = {"Major Version": 1, "Minor Version": 1, "Tracks": {str(t["Track ID"]): t for t in tracks},
           "Playlists": [{"Name": "Drive", "Playlist Items": playlist}]}
with open(sys.argv[1], "wb") as f:
    plistlib.dump(library, f)
)PY";

class DiscAlbumEndToEnd : public cdtest::DiscFolderTest {
 protected:
  void SetUp() override {
    cdtest::DiscFolderTest::SetUp();
    sp_testing::ResetResources();
    ASSERT_EQ(noErr, sp_testing::UseCompiledAppResources());
  }
  void TearDown() override {
    Sp_DisposeMusicTrackDataList(list_);
    sp_testing::ResetResources();
  }

  // The disc folder with its tracks and table of contents; the lead-out block.
  SInt32 MakeDisc() {
    std::vector<cdtest::TocTrack> toc;
    SInt32 start = kFirstStart;
    for (int i = 0; i < 3; ++i) {
      WriteTrackFile(Disc(kTracks[i].file), kTracks[i].sectors);
      toc.push_back({i + 1, start});
      start += SInt32(kTracks[i].sectors);
    }
    WriteToc({{1, 1, 3, start, 0x00, toc}});
    return start;
  }

  void WriteLibrary() {
    ASSERT_EQ(0, mkdir(home_.Path("Music").c_str(), 0700));
    ASSERT_EQ(0, mkdir(home_.Path("Music/iTunes").c_str(), 0700));
    const std::string script = home_.Path("write_library.py");
    std::ofstream(script) << kLibraryScript;
    const std::string command = "/usr/bin/python3 '" + script + "' '" +
                                home_.Path("Music/iTunes/") + kSpiTM_LibraryFileName + "'";
    ASSERT_EQ(0, std::system(command.c_str()));
  }

  sTrackDataForOSX* list_ = nullptr;
};

TEST_F(DiscAlbumEndToEnd, AMountedDiscFindsItsTracksAndItsAlbum) {
  const SInt32 leadOut = MakeDisc();
  const SInt16 vRefNum = Mount();
  ASSERT_NE(0, vRefNum);

  // The track files, with the positions of the table of contents.
  UInt32 count = 0;
  ASSERT_EQ(noErr, Sp_GetMusicTrackData(vRefNum, list_, &count));
  ASSERT_EQ(3u, count);
  Str255 tocName;
  tocName[0] = UInt8(std::strlen(kSpCDTOCFileName));
  std::memcpy(tocName + 1, kSpCDTOCFileName, tocName[0]);
  FSRef tocRef;
  FSRefParam pb{};
  pb.ioVRefNum = vRefNum;
  pb.ioNamePtr = tocName;
  pb.newRef = &tocRef;
  ASSERT_EQ(noErr, PBMakeFSRefSync(&pb));
  cMediaTOCInfo toc;
  ASSERT_TRUE(SpCDR_GetTOCData(&tocRef, &toc));
  toc.SetupTrackInfo(list_);

  // The lengths a save hands to the library: whole seconds, in track order.
  cSp_uLongCollection lengths;
  std::vector<UInt32> sectors, seconds;
  for (const sTrackDataForOSX* r = list_; r != nullptr; r = r->next) {
    float s = 0;
    Sp_CDPositionToSecond(r->length, s);
    sectors.push_back(r->lengthInSectors);
    seconds.push_back(UInt32(s));
    lengths.SetValue(-1, UInt32(s));
  }
  EXPECT_EQ(sectors,
            (std::vector<UInt32>{kTracks[0].sectors, kTracks[1].sectors, kTracks[2].sectors}));
  EXPECT_EQ(seconds,
            (std::vector<UInt32>{kTracks[0].seconds, kTracks[1].seconds, kTracks[2].seconds}));
  // A second listing of the unchanged disc compares equal: the scan keeps the known CD.
  sTrackDataForOSX* again = nullptr;
  ASSERT_EQ(noErr, Sp_GetMusicTrackData(vRefNum, again, nullptr));
  toc.SetupTrackInfo(again);
  EXPECT_TRUE(Sp_CDTrackListCompForOSX(list_, again));
  Sp_DisposeMusicTrackDataList(again);

  ASSERT_EQ(leadOut, toc.GetLeadoutBlock());

  // The disc's album in the music library.
  WriteLibrary();
  ASSERT_FALSE(HasFatalFailure());
  ErrorLogCapture log;
  std::unique_ptr<ciTunesMusicInfoObj> library(SpiTM_CreateITunesMusicInfo(1));
  ASSERT_NE(nullptr, library);
  cSp_uLongCollection found;
  ASSERT_EQ(1, library->GetTargetAlbum(short(count), &lengths, 0, &found));
  ASSERT_EQ(1, found.GetNumberOfItem()) << "214,999 ms is no 215-second track";
  unsigned long value = 0;
  found.GetValue(1, value);
  EXPECT_STREQ("Three Pieces", reinterpret_cast<ciTunesInfoMusicGroupObj*>(value)->GetName());
  EXPECT_EQ(0, library->GetTargetAlbum(short(count), &lengths, 1, nullptr))
      << "the playlist holds the tracks in another order";

  EXPECT_EQ(0u, log.Count());

  EXPECT_EQ(noErr, Sp_EjectCD(vRefNum, 0));
  EXPECT_EQ(nsvErr, Sp_EjectCD(vRefNum, 0)) << "the disc is gone";
}

}  // namespace
