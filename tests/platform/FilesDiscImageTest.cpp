// Audio CDs read through libcdio: a CUE/BIN image in the media folder, or a drive, appears as
// a read-only audio-CD volume whose tracks read as AIFF files.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "CdTextPacks.h"
#include "DiscImageFixture.h"
#include "Files.h"
#include "FilesFixture.h"
#include "Folders.h"
#include "Movies.h"
#include "TestFiles.h"
#include "files/detail/Discs.h"

namespace {

using files_test::HostExists;
using files_test::PStr;
using files_test::ReadHostFile;
using files_test::WriteHostFile;

const std::vector<disc_image::Track> kTracks = {{160, "Morning"}, {200, "Noon/Dusk"}, {175, ""}};
constexpr UInt32 kLeadout = 160 + 200 + 175;

class FilesDiscImage : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(home_.Home().empty());
    ASSERT_EQ(mkdir(Media().c_str(), 0700), 0);
  }

  std::string Media() const { return home_.Path("media"); }

  struct Volume {
    SInt16 vRefNum;
    std::string name;
  };
  // The audio-CD volumes now mounted.
  std::vector<Volume> Discs() {
    std::vector<Volume> discs;
    for (ItemCount i = 1; i < 100; ++i) {
      FSVolumeRefNum v = 0;
      FSVolumeInfo info{};
      HFSUniStr255 name{};
      const OSErr err =
          FSGetVolumeInfo(kFSInvalidVolumeRefNum, i, &v, kFSVolInfoFSInfo, &info, &name, nullptr);
      if (err == nsvErr) break;
      if (err != noErr || info.filesystemID != kSpAudioCDFileSystemID) continue;
      discs.push_back({v, std::string(name.unicode, name.unicode + name.length)});
    }
    return discs;
  }

  // The names in the volume's top folder.
  std::vector<std::string> Names(SInt16 vRefNum) {
    std::vector<std::string> names;
    for (SInt16 i = 1; i < 50; ++i) {
      Str255 name{};
      CInfoPBRec pb{};
      pb.hFileInfo.ioNamePtr = name;
      pb.hFileInfo.ioVRefNum = vRefNum;
      pb.hFileInfo.ioDirID = fsRtDirID;
      pb.hFileInfo.ioFDirIndex = i;
      if (PBGetCatInfoSync(&pb) != noErr) break;
      names.emplace_back(reinterpret_cast<char*>(name + 1), name[0]);
    }
    return names;
  }

  // `count` bytes of a file of the volume from `offset`, through the File Manager.
  std::string Read(SInt16 vRefNum, const std::string& name, SInt32 offset, SInt32 count,
                   OSErr* result = nullptr) {
    SInt16 ref = 0;
    EXPECT_EQ(HOpenDF(vRefNum, fsRtDirID, PStr(name), fsRdPerm, &ref), noErr) << name;
    std::string bytes(std::size_t(count), '\0');
    EXPECT_EQ(SetFPos(ref, fsFromStart, offset), noErr);
    const OSErr err = FSRead(ref, &count, bytes.data());
    if (result != nullptr) *result = err;
    FSClose(ref);
    bytes.resize(std::size_t(count));
    return bytes;
  }

  // The names of the track files in the stand-in folders of this process's discs.
  std::vector<std::string> StandInTrackNames() const {
    const std::string folder =
        home_.Path(".runtime/mediamanager/discs/" + std::to_string(getpid()));
    std::vector<std::string> names;
    DIR* discs = opendir(folder.c_str());
    if (discs == nullptr) return names;
    while (const dirent* disc = readdir(discs)) {
      if (disc->d_name[0] == '.') continue;
      DIR* tracks = opendir((folder + "/" + disc->d_name).c_str());
      if (tracks == nullptr) continue;
      while (const dirent* track = readdir(tracks)) {
        if (track->d_name[0] != '.') names.emplace_back(track->d_name);
      }
      closedir(tracks);
    }
    closedir(discs);
    std::sort(names.begin(), names.end());
    return names;
  }

  // The stand-in folders of this process's discs.
  std::size_t StandIns() const {
    DIR* dir =
        opendir(home_.Path(".runtime/mediamanager/discs/" + std::to_string(getpid())).c_str());
    if (dir == nullptr) return 0;
    std::size_t count = 0;
    while (const dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
    closedir(dir);
    return count;
  }

  sp_testing::HomeScope home_;
};

TEST_F(FilesDiscImage, AnImageInTheMediaFolderIsADiscOfAIFFTracksWithItsTableOfContents) {
  disc_image::WriteImage(Media(), "Travel", kTracks, "Day Trip");
  WriteHostFile(Media() + "/notes.txt", "not a disc");
  sp_testing::SetMediaFolder(Media());
  const std::vector<Volume> discs = Discs();
  ASSERT_EQ(discs.size(), 1u);
  EXPECT_EQ(discs[0].name, "Day Trip") << "the CD-Text album names the volume";
  const SInt16 v = discs[0].vRefNum;
  EXPECT_EQ(Names(v), (std::vector<std::string>{".TOC.plist", "1 Morning.aiff", "2 Noon-Dusk.aiff",
                                                "3 Audio Track.aiff"}));

  // Block numbers count from two seconds into the disc, as discs' own tables do.
  const std::string toc = Read(v, ".TOC.plist", 0, 8192);
  for (const std::string& entry :
       {std::string("<key>Leadout Block</key><integer>") + std::to_string(kLeadout + 150),
        std::string("<key>Start Block</key><integer>150<"),
        std::string("<key>Start Block</key><integer>310<"),
        std::string("<key>Start Block</key><integer>510<"),
        std::string("<key>Last Track</key><integer>3<")}) {
    EXPECT_NE(toc.find(entry), std::string::npos) << entry;
  }
  EXPECT_EQ(toc.find("<true/>"), std::string::npos) << "no data track";

  // Sizes: the header and the samples, on disk and logically.
  CInfoPBRec pb{};
  Str255 name{};
  std::memcpy(name, PStr("2 Noon-Dusk.aiff"), 17);
  pb.hFileInfo.ioNamePtr = name;
  pb.hFileInfo.ioVRefNum = v;
  pb.hFileInfo.ioDirID = fsRtDirID;
  ASSERT_EQ(PBGetCatInfoSync(&pb), noErr);
  EXPECT_EQ(pb.hFileInfo.ioFlLgLen, SInt32(54 + 200 * 2352));
  EXPECT_GE(pb.hFileInfo.ioFlPyLen, pb.hFileInfo.ioFlLgLen) << "a track is no empty file";
}

// CD-Text titles name the tracks' files up to 120 bytes; a longer one is cut there.
TEST_F(FilesDiscImage, TrackTitlesAreKeptUpTo120BytesAndCutPastIt) {
  struct Case {
    std::string title, shown;
  };
  const std::vector<Case> cases = {{std::string(119, 'A'), std::string(119, 'A')},
                                   {std::string(120, 'B'), std::string(120, 'B')},
                                   {std::string(121, 'C'), std::string(120, 'C')},
                                   {std::string(118, 'D') + " / ", std::string(118, 'D') + " -"}};
  std::vector<disc_image::Track> tracks;
  for (const Case& c : cases) tracks.push_back({20, c.title});
  disc_image::WriteImage(Media(), "Long", tracks);
  sp_testing::SetMediaFolder(Media());
  ASSERT_EQ(Discs().size(), 1u);
  const std::vector<std::string> names = StandInTrackNames();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string expected = std::to_string(i + 1) + " " + cases[i].shown + ".aiff";
    EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
  }
  EXPECT_EQ(names.size(), cases.size());
}

// A sheet's titles are read in the encoding they were written in: UTF-8, Shift-JIS (code page
// 932) as Japanese rippers write it, or Latin-1 (whose capital accented letters are Shift-JIS
// half-width katakana).
TEST_F(FilesDiscImage, SheetTitlesInUTF8ShiftJISOrLatin1ShowAsWritten) {
  const std::string sjisKyoku = "\x8B\xC8";            // 曲
  const std::string sjisNanKyoku = "\x89\xCC\x8B\xC8";  // 歌曲
  disc_image::WriteImage(Media(), "Utf8", {{20, "一曲目"}}, "テスト盤");
  disc_image::WriteImage(Media(), "Sjis", {{20, sjisKyoku + "A"}, {20, sjisNanKyoku}});
  disc_image::WriteImage(Media(), "Latin", {{20, "Caf\xE9 Noir"}, {20, "\xC4rger"}});
  sp_testing::SetMediaFolder(Media());
  const std::vector<Volume> discs = Discs();
  ASSERT_EQ(discs.size(), 3u);
  EXPECT_EQ(StandInTrackNames(), (std::vector<std::string>{"1 Caf\xC3\xA9 Noir.aiff", "1 一曲目.aiff",
                                                          "1 曲A.aiff", "2 Ärger.aiff", "2 歌曲.aiff"}));
}

TEST_F(FilesDiscImage, ATrackReadsAsAnAIFFHeaderAndBigEndianSamplesFromItsOwnSectors) {
  disc_image::WriteImage(Media(), "Travel", kTracks);
  sp_testing::SetMediaFolder(Media());
  ASSERT_EQ(Discs().size(), 1u);
  const SInt16 v = Discs()[0].vRefNum;
  EXPECT_EQ(Discs()[0].name, "Travel") << "without CD-Text the image's name";

  const std::string header = Read(v, "2 Noon-Dusk.aiff", 0, 54);
  ASSERT_EQ(header.size(), 54u);
  const auto* h = reinterpret_cast<const UInt8*>(header.data());
  EXPECT_EQ(header.substr(0, 4), "FORM");
  EXPECT_EQ(sp::LoadBE32(h + 4), 46u + 200 * 2352);
  EXPECT_EQ(header.substr(8, 8), "AIFFCOMM");
  EXPECT_EQ(sp::LoadBE16(h + 20), 2u);
  EXPECT_EQ(sp::LoadBE32(h + 22), 200u * 588);
  EXPECT_EQ(sp::LoadBE16(h + 26), 16u);
  EXPECT_DOUBLE_EQ(sp::Extended80ToDouble(h + 28), 44100.0);
  EXPECT_EQ(header.substr(38, 4), "SSND");
  EXPECT_EQ(sp::LoadBE32(h + 42), 200u * 2352 + 8);

  // Reads that start inside a sector and cross into the next, at the track's start and end.
  struct Case {
    UInt32 frame;  // the first stereo frame read, within the track
    UInt32 frames;
  } cases[] = {{0, 3}, {587, 2}, {1000, 600}, {200 * 588 - 2, 2}};
  const UInt32 trackStart = 160 * 588;
  for (const Case& c : cases) {
    const std::string bytes =
        Read(v, "2 Noon-Dusk.aiff", SInt32(54 + c.frame * 4), SInt32(c.frames * 4));
    ASSERT_EQ(bytes.size(), c.frames * 4) << c.frame;
    for (UInt32 i = 0; i < c.frames; ++i) {
      const auto* s = reinterpret_cast<const UInt8*>(bytes.data()) + 4 * i;
      ASSERT_EQ(SInt16(sp::LoadBE16(s)), disc_image::LeftSample(trackStart + c.frame + i))
          << "frame " << c.frame + i;
      ASSERT_EQ(SInt16(sp::LoadBE16(s + 2)), disc_image::RightSample(trackStart + c.frame + i));
    }
  }
  OSErr err = noErr;
  EXPECT_EQ(Read(v, "3 Audio Track.aiff", SInt32(54 + 175 * 2352 - 4), 100, &err).size(), 4u);
  EXPECT_EQ(err, eofErr) << "the track ends where the next one would begin";
}

// A read reads the image in one run, whatever part of a sector (or of a sample) it starts and
// ends in, and hands every byte of the sound it covers (a save reads a whole disc this way).
TEST_F(FilesDiscImage, ReadsTakeTheImageInOneRunWhereverInASectorTheyStartAndEnd) {
  disc_image::WriteImage(Media(), "Runs", kTracks);
  sp_testing::SetMediaFolder(Media());
  ASSERT_EQ(Discs().size(), 1u);
  const SInt16 v = Discs()[0].vRefNum;
  const struct {
    UInt32 offset;  // within the track file: 0 is its header, 54 its first frame
    UInt32 count;
    UInt64 mostReads;  // of the image's file
  } cases[] = {
      {54, 200 * 2352, 1},               // the whole track's sound
      {0, 200 * 2352 + 54, 1},           // the header, then every sector
      {54 + 1000, 120 * 2352, 1},        // from inside a sector to inside another
      {54 + 199 * 2352, 2352, 1},        // the last sector alone
      {54 + 1001, 5001, 1},              // from the low byte of a sample
      {54 + 2351, 2, 1},                 // a sample's low byte, then the next sector's
      {54 + 6, 3, 1},                    // to the high byte of a sample
      {54 + 3 * 2352 - 3, 2352 + 5, 1},  // odd at both ends, across three sectors
      {54 + 199 * 2352 + 2351, 1, 1},    // the track's last byte
  };
  const UInt64 trackStart = 160 * 2352;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.offset);
    const UInt64 before = sp_platform::files::DiscImageReadCalls();
    const std::string bytes = Read(v, "2 Noon-Dusk.aiff", SInt32(c.offset), SInt32(c.count));
    EXPECT_LE(sp_platform::files::DiscImageReadCalls() - before, c.mostReads);
    ASSERT_EQ(bytes.size(), c.count);
    for (UInt32 i = c.offset < 54 ? 54 - c.offset : 0; i < c.count; ++i) {
      ASSERT_EQ(UInt8(bytes[i]), disc_image::BigEndianByte(trackStart + c.offset - 54 + i))
          << "byte " << i;
    }
  }
}

TEST_F(FilesDiscImage, ATrackCopiedOffTheDiscIsTheAudioOfItsSectors) {
  disc_image::WriteImage(Media(), "Travel", kTracks);
  sp_testing::SetMediaFolder(Media());
  ASSERT_EQ(Discs().size(), 1u);
  const SInt16 v = Discs()[0].vRefNum;
  HParamBlockRec pb{};
  PStr name("1 Morning.aiff");
  pb.copyParam.ioVRefNum = v;
  pb.copyParam.ioDirID = fsRtDirID;
  pb.copyParam.ioNamePtr = name;
  SInt16 documents = 0;
  SInt32 documentsID = 0;
  ASSERT_EQ(
      FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &documents, &documentsID),
      noErr);
  pb.copyParam.ioDstVRefNum = documents;
  pb.copyParam.ioNewDirID = documentsID;
  ASSERT_EQ(PBHCopyFileSync(&pb), noErr);
  const std::string copy = home_.Path("Documents/1 Morning.aiff");
  EXPECT_EQ(ReadHostFile(copy), Read(v, "1 Morning.aiff", 0, 54 + 160 * 2352))
      << "copied from the disc, not from the empty stand-in";
  const std::string command =
      "ffprobe -v error -show_entries stream=codec_name,sample_rate,channels,duration_ts "
      "-of default=noprint_wrappers=1 '" +
      copy + "' > '" + home_.Path("probe.txt") + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadHostFile(home_.Path("probe.txt")),
            "codec_name=pcm_s16be\nsample_rate=44100\nchannels=2\nduration_ts=94080\n");
}

// Images whose sheet says MOTOROLA hold big-endian samples, BINARY ones little-endian: a
// track copied off either is the disc's audio, as sox decodes it.
TEST_F(FilesDiscImage, AMotorolaImageIsReadInItsOwnByteOrder) {
  disc_image::WriteImage(Media(), "Little", {{3, ""}});
  disc_image::WriteImage(Media(), "Big", {{3, ""}}, "", true);
  sp_testing::SetMediaFolder(Media());
  SInt16 documents = 0;
  SInt32 documentsID = 0;
  ASSERT_EQ(
      FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &documents, &documentsID),
      noErr);
  const std::vector<Volume> discs = Discs();
  ASSERT_EQ(discs.size(), 2u);
  for (const Volume& disc : discs) {
    SCOPED_TRACE(disc.name);
    HParamBlockRec pb{};
    PStr name("1 Audio Track.aiff");
    PStr copyName(disc.name + ".aiff");
    pb.copyParam.ioVRefNum = disc.vRefNum;
    pb.copyParam.ioDirID = fsRtDirID;
    pb.copyParam.ioNamePtr = name;
    pb.copyParam.ioDstVRefNum = documents;
    pb.copyParam.ioNewDirID = documentsID;
    pb.copyParam.ioCopyName = copyName;
    ASSERT_EQ(PBHCopyFileSync(&pb), noErr);
    const std::string raw = home_.Path(disc.name + ".raw");
    const std::string command = "sox '" + home_.Path("Documents/" + disc.name + ".aiff") +
                                "' -t raw -e signed -b 16 -L '" + raw + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string samples = ReadHostFile(raw);
    ASSERT_EQ(samples.size(), 3u * 2352);
    for (UInt32 frame = 0; frame < 3 * 588; ++frame) {
      const auto* s = reinterpret_cast<const UInt8*>(samples.data()) + 4 * frame;
      ASSERT_EQ(SInt16(sp::LoadLE16(s)), disc_image::LeftSample(frame)) << "frame " << frame;
      ASSERT_EQ(SInt16(sp::LoadLE16(s + 2)), disc_image::RightSample(frame)) << "frame " << frame;
    }
  }
}

TEST_F(FilesDiscImage, QuickTimeOpensATrackAsSoundOfItsLength) {
  disc_image::WriteImage(Media(), "Travel", kTracks);
  sp_testing::SetMediaFolder(Media());
  ASSERT_EQ(Discs().size(), 1u);
  EnterMovies();
  FSSpec spec{};
  ASSERT_EQ(FSMakeFSSpec(Discs()[0].vRefNum, fsRtDirID, PStr("3 Audio Track.aiff"), &spec), noErr);
  SInt16 file = 0;
  ASSERT_EQ(OpenMovieFile(&spec, &file, fsRdPerm), noErr);
  Movie movie = nullptr;
  SInt16 resId = 0;
  ASSERT_EQ(NewMovieFromFile(&movie, file, &resId, nullptr, newMovieActive, nullptr), noErr);
  CloseMovieFile(file);
  Track track = GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType);
  ASSERT_NE(track, nullptr);
  ::Media media = GetTrackMedia(track);
  EXPECT_EQ(GetMediaTimeScale(media), 44100);
  EXPECT_EQ(GetMediaDuration(media), 175 * 588);
  DisposeMovie(movie);
}

TEST_F(FilesDiscImage, AnEjectedImageGoesWithItsStandInAndReturnsOnlyWhenTheFolderIsSetAnew) {
  disc_image::WriteImage(Media(), "Travel", kTracks);
  disc_image::WriteImage(Media(), "Second", {{200, ""}});
  sp_testing::SetMediaFolder(Media());
  std::vector<Volume> discs = Discs();
  ASSERT_EQ(discs.size(), 2u);
  EXPECT_EQ(discs[0].name, "Second");
  const SInt16 v = discs[1].vRefNum;

  SInt16 ref = 0;
  ASSERT_EQ(HOpenDF(v, fsRtDirID, PStr("1 Morning.aiff"), fsRdPerm, &ref), noErr);
  EXPECT_EQ(UnmountVol(nullptr, v), fBsyErr) << "not while a track is open";
  EXPECT_EQ(FSClose(ref), noErr);
  EXPECT_EQ(HOpenDF(v, fsRtDirID, PStr("1 Morning.aiff"), fsWrPerm, &ref), wPrErr);

  EXPECT_EQ(UnmountVol(nullptr, v), noErr);
  EXPECT_EQ(HOpenDF(v, fsRtDirID, PStr("1 Morning.aiff"), fsRdPerm, &ref), nsvErr);
  ASSERT_EQ(Discs().size(), 1u);
  EXPECT_EQ(Discs()[0].name, "Second");
  EXPECT_TRUE(HostExists(Media() + "/Travel.bin")) << "the image itself stays";
  EXPECT_EQ(StandIns(), 1u) << "the ejected disc's stand-in folder is gone";

  // The image taken away: its disc goes; set anew, the ejected one returns.
  ASSERT_EQ(std::remove((Media() + "/Second.cue").c_str()), 0);
  EXPECT_TRUE(Discs().empty());
  sp_testing::SetMediaFolder(Media());
  ASSERT_EQ(Discs().size(), 1u);
  EXPECT_EQ(Discs()[0].name, "Travel");
}

// An image whose ".bin" was still being copied when its sheet came is read again once it is
// whole, and one whose ".bin" goes, goes.
TEST_F(FilesDiscImage, AnImageThatChangesIsReadAgain) {
  disc_image::WriteImage(Media(), "Copy", kTracks);
  const std::string bin = Media() + "/Copy.bin";
  const std::string whole = ReadHostFile(bin);
  WriteHostFile(bin, whole.substr(0, 400 * 2352));
  sp_testing::SetMediaFolder(Media());
  auto lastTrackBytes = [this] {
    const std::vector<Volume> discs = Discs();
    if (discs.size() != 1) return SInt32(-1);
    SInt16 ref = 0;
    if (HOpenDF(discs[0].vRefNum, fsRtDirID, PStr("3 Audio Track.aiff"), fsRdPerm, &ref) != noErr)
      return SInt32(-2);
    SInt32 size = 0;
    GetEOF(ref, &size);
    FSClose(ref);
    return size;
  };
  EXPECT_EQ(lastTrackBytes(), SInt32(54 + (400 - 360) * 2352));
  WriteHostFile(bin, whole);
  EXPECT_EQ(lastTrackBytes(), SInt32(54 + 175 * 2352));
  ASSERT_EQ(std::remove(bin.c_str()), 0);
  EXPECT_TRUE(Discs().empty());
}

TEST_F(FilesDiscImage, ADriveThatCannotEjectSaysSoAndKeepsItsDisc) {
  const std::string cue = disc_image::WriteImage(home_.Home(), "InDrive", kTracks);
  sp_testing::SetDiscDrives({cue});
  ASSERT_EQ(Discs().size(), 1u);
  const SInt16 v = Discs()[0].vRefNum;
  EXPECT_EQ(Discs()[0].name, "Audio CD");
  EXPECT_EQ(Read(v, "1 Morning.aiff", 0, 4), "FORM");
  EXPECT_NE(UnmountVol(nullptr, v), noErr) << "an image is no drive that ejects";
  ASSERT_EQ(Discs().size(), 1u) << "the disc stays";
  EXPECT_EQ(Discs()[0].vRefNum, v) << "the same disc, not mounted anew";
  // The disc taken out of the drive goes.
  sp_testing::SetDiscDrives({});
  EXPECT_TRUE(Discs().empty());
}

TEST_F(FilesDiscImage, ASheetWithRemarksCodesFlagsAndGapsInCRLFLinesIsReadLikeAPlainOne) {
  WriteHostFile(Media() + "/Full.bin", std::string(2352 * 400, '\0'));
  WriteHostFile(Media() + "/Full.cue",
                "REM COMMENT \"ripped\"\r\nCATALOG 0123456789012\r\nPERFORMER \"Band\"\r\n"
                "TITLE \"Full Disc\"\r\nFILE \"Full.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n"
                "    TITLE \"One\"\r\n    FLAGS DCP PRE\r\n    ISRC JPABC9912345\r\n"
                "    INDEX 00 00:00:00\r\n    INDEX 01 00:00:32\r\n  TRACK 02 AUDIO\r\n"
                "    PREGAP 00:02:00\r\n    INDEX 01 00:02:00\r\n    INDEX 02 00:03:00\r\n");
  sp_testing::SetMediaFolder(Media());
  ASSERT_EQ(Discs().size(), 1u);
  EXPECT_EQ(Discs()[0].name, "Full Disc");
  EXPECT_EQ(Names(Discs()[0].vRefNum),
            (std::vector<std::string>{".TOC.plist", "1 One.aiff", "2 Audio Track.aiff"}));
}

// An image cut short after it was mounted (a copy still being written, a disk going bad): the
// sectors it no longer holds (wholly) are a read error, reached in a bounded number of tries,
// whether its file is read straight or a drive gives it through paranoia (which would retry a
// failing read for ever); never silence, and never a read that does not return.
TEST_F(FilesDiscImage, SectorsACutImageNoLongerHoldsAreAReadErrorThatReturns) {
  constexpr UInt32 kRun = 20 * 2352;
  const struct {
    bool drive;
    UInt32 keptBytes;  // of the ".bin" file, from the disc's start
    UInt32 from;       // the sector of track 2 (at sector 160 of the disc) read from
    UInt32 within;     // the byte of that sector read from
    UInt32 count;      // bytes asked for
    UInt32 given;      // bytes read (an error when fewer than asked for)
    bool readFirst;    // a sector was read before the cut
    const char* why;
  } cases[] = {
      {false, 250 * 2352, 80, 0, kRun, 10 * 2352, true, "an image file cut between two sectors"},
      {false, 250 * 2352 + 1000, 80, 0, kRun, 10 * 2352, true,
       "cut inside a sector: its part is no sector"},
      {false, 250 * 2352 + 1000, 80, 101, 10 * 2352, 10 * 2352 - 101, true,
       "a read into the part of the cut sector the file holds ends before it"},
      {false, 250 * 2352 + 1000, 89, 2000, 352, 352, true,
       "a read that ends with the last whole sector is whole"},
      {false, 0, 80, 0, kRun, 0, true, "emptied"},
      // (libcdio takes a read running past an image's end for a whole one, so only reads that
      // fail outright make a failing drive here.)
      {true, 250 * 2352, 120, 0, kRun, 0, false,
       "a drive failing every read where it starts reading"},
      {true, 250 * 2352, 120, 0, kRun, 0, true,
       "a drive failing every read where it goes on reading"},
      {true, 0, 80, 0, kRun, 0, true, "a drive whose every read fails"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const std::string folder = home_.Path("disc" + std::to_string(++n));
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string album = "Cut " + std::to_string(n);
    const std::string cue = disc_image::WriteImage(folder, "Cut", kTracks, album);
    if (c.drive) {
      sp_testing::SetDiscDrives({cue});
    } else {
      sp_testing::SetMediaFolder(folder);
    }
    SInt16 v = 0;
    for (const Volume& d : Discs()) v = d.name == album ? d.vRefNum : v;
    ASSERT_NE(v, 0);
    if (c.readFirst) {
      ASSERT_EQ(Read(v, "1 Morning.aiff", 54, 4).size(), 4u) << "the drive is reading";
    }
    ASSERT_EQ(truncate((folder + "/Cut.bin").c_str(), off_t(c.keptBytes)), 0);
    OSErr err = noErr;
    const UInt32 at = c.from * 2352 + c.within;
    const std::string bytes = Read(v, "2 Noon-Dusk.aiff", SInt32(54 + at), SInt32(c.count), &err);
    EXPECT_EQ(err, c.given < c.count ? ioErr : noErr);
    EXPECT_EQ(bytes.size(), c.given);
    for (UInt32 i = 0; i < bytes.size(); ++i) {
      ASSERT_EQ(UInt8(bytes[i]), disc_image::BigEndianByte(160 * 2352 + at + i))
          << "what was read is the disc's sound, no silence in its place";
    }
    // The sectors still there read again once the drive failed.
    if (c.keptBytes > 0) {
      EXPECT_EQ(Read(v, "1 Morning.aiff", 54, 4).size(), 4u);
    }
    sp_testing::SetDiscDrives({});
  }
}

TEST_F(FilesDiscImage, ImagesWithoutAudioOrWithADamagedSheetAreNoDiscs) {
  disc_image::WriteImage(Media(), "Data", {{200, "", true}});
  // Tracks out of order, and a sheet whose image file is missing.
  WriteHostFile(Media() + "/Backwards.bin", std::string(2352 * 400, '\0'));
  WriteHostFile(Media() + "/Backwards.cue",
                "FILE \"Backwards.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:03:00\n"
                "  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n");
  WriteHostFile(Media() + "/Lost.cue",
                "FILE \"Lost.bin\" BINARY\n  TRACK 01 AUDIO\n"
                "    INDEX 01 00:00:00\n");
  WriteHostFile(Media() + "/Garbage.cue", std::string("\xff\xfe\x00TRACK", 9));
  // Tracks numbered from 93: libcdio would index its table far before its start.
  WriteHostFile(Media() + "/Late.bin", std::string(2352 * 400, '\0'));
  WriteHostFile(Media() + "/Late.cue",
                "FILE \"Late.bin\" BINARY\n  TRACK 93 AUDIO\n    INDEX 01 00:00:00\n");
  sp_testing::SetMediaFolder(Media());
  EXPECT_TRUE(Discs().empty());
  EXPECT_EQ(StandIns(), 0u) << "no stand-in left behind";
}

// CD-Text packs in a file the sheet names (as libcdio reads them from a disc's lead-in) name
// the disc and its tracks. libcdio refuses a sheet whose CD-Text file it cannot read 5 bytes
// from, and loses memory doing so: such an image is no disc, refused before libcdio sees it.
TEST_F(FilesDiscImage, TheCdTextFileASheetNamesTitlesTheDiscOrWhenUnreadableKeepsItOff) {
  const std::string packs = cd_text::Packs(
      0x00, 0x09, {{0x80, {"Day Trip", "Sunrise", "Caf\xA7", "Noon/Dusk"}}, {0x81, {"Band"}}});
  const struct {
    const char* cdText;  // null: no such file
    std::size_t bytes;
    std::vector<std::string> discs;
    const char* why;
  } cases[] = {
      {packs.data(),
       packs.size(),
       {"Day Trip", "1 Sunrise.aiff", "2 Caf\x81\x98.aiff", "3 Noon-Dusk.aiff"},
       "titles in ISO 8859-1 (a section sign), a slash shown as '-'"},
      {"\x80\x00\x00\x00\x00",
       5,
       {"Travel", "1 Audio Track.aiff", "2 Audio Track.aiff", "3 Audio Track.aiff"},
       "5 bytes that hold no packs: no titles"},
      {"\x80\x00\x00\x00", 4, {}, "4 bytes: libcdio refuses the sheet"},
      {"", 0, {}, "an empty file"},
      {nullptr, 0, {}, "no such file"},
  };
  for (const auto& c : cases) {
    sp_testing::ResetFiles();
    const std::string cue =
        disc_image::WriteImage(Media(), "Travel", {{160, ""}, {200, ""}, {175, ""}});
    WriteHostFile(cue, "CDTEXTFILE \"Travel.cdt\"\n" + ReadHostFile(cue));
    unlink((Media() + "/Travel.cdt").c_str());
    if (c.cdText != nullptr) WriteHostFile(Media() + "/Travel.cdt", std::string(c.cdText, c.bytes));
    sp_testing::SetMediaFolder(Media());
    const std::vector<Volume> discs = Discs();
    std::vector<std::string> seen;
    for (const Volume& disc : discs) {
      seen.push_back(disc.name);
      for (const std::string& name : Names(disc.vRefNum)) {
        if (name[0] != '.') seen.push_back(name);
      }
      EXPECT_EQ(UnmountVol(nullptr, disc.vRefNum), noErr);
    }
    EXPECT_EQ(seen, c.discs) << c.why;
  }
}

}  // namespace
