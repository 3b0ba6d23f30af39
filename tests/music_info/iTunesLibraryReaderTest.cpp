// Reading "iTunes Music Library.xml": the keys of a track, file locations, track ids, playlists,
// damaged files, and reloading when the file changes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ErrorLogCapture.h"
#include "Folders.h"
#include "SpStdFileFunction.h"
#include "SpiTunesMusicInfoObject.h"
#include "iTunesLibraryTestSupport.h"

namespace {

using ittest::Dict;
using ittest::Int;
using ittest::LibraryXml;
using ittest::PlayList;
using ittest::Str;
using ittest::TrackDict;

std::string FileURL(const std::string& path, const std::string& host = "file://localhost") {
  std::string out = host;
  for (unsigned char c : path) {
    char escaped[4];
    std::snprintf(escaped, sizeof escaped, "%%%02X", c);
    out += std::isalnum(c) || c == '/' || c == '.' ? std::string(1, char(c)) : escaped;
  }
  return out;
}

class LibraryReaderTest : public ittest::LibraryHomeTest {
 protected:
  // Reads the library file as the application does; null when it gives no library.
  std::unique_ptr<ciTunesMusicInfoObj> Create() {
    return std::unique_ptr<ciTunesMusicInfoObj>(SpiTM_CreateITunesMusicInfo(1));
  }
  std::unique_ptr<ciTunesMusicInfoObj> CreateFrom(const std::string& xml) {
    WriteLibrary(xml);
    return Create();
  }
};

// Texts, numbers, the location's file name and the key count of a track on one line.
std::string Summary(const cSPiTMI_TrackInfoObj& t) {
  std::string s;
  for (tSpiTMI_TextField f : {kSpiTMI_Name, kSpiTMI_Artist, kSpiTMI_Composer, kSpiTMI_Album,
                              kSpiTMI_Grouping, kSpiTMI_Genre, kSpiTMI_Comments})
    s += std::string(t.GetText(f)) + "|";
  char numbers[160];
  std::snprintf(numbers, sizeof numbers, "%d %d %u %d/%d %d/%d %d %d %X %X|", int(t.GetBitRate()),
                int(t.GetSampleRate()), unsigned(t.GetTotalTime()), t.GetDiscNumber(),
                t.GetDiscCount(), t.GetTrackNumber(), t.GetTrackCount(), t.GetYear(),
                int(t.GetPlayCount()), unsigned(t.GetFileType()), unsigned(t.GetFileCreator()));
  return s + numbers + t.GetLocationFile().fileName + "|" + std::to_string(t.GetKeyCount());
}

TEST_F(LibraryReaderTest, EveryKeyOfATrackIsReadAndCounted) {
  const std::string song = MakeFile("Music/song.aiff");
  auto library = CreateFrom(LibraryXml(
      {{7, Dict({{"Track ID", Int(7)},
                 {"Name", Str("\xE6\x97\xA5\xE6\x9C\xAC")},  // "日本" in the file's UTF-8
                 {"Artist", Str("Ann & Bob")},
                 {"Composer", Str("Cole")},
                 {"Album", Str("Songs")},
                 {"Grouping", Str("Live")},
                 {"Genre", Str("Rock")},
                 {"Kind", Str("AIFF audio file")},  // not read
                 {"Bit Rate", Int(1411)},
                 {"Sample Rate", Int(44100)},
                 {"Comments", Str("\xE6\x97\xA5 note")},
                 {"Total Time", Int(215900)},
                 {"Disc Number", Int(1)},
                 {"Disc Count", Int(2)},
                 {"Track Number", Int(65539)},  // the low 16 bits: 3
                 {"Track Count", Int(12)},
                 {"Year", Int(2003)},
                 {"Play Count", Int(4)},
                 {"File Type", Int(0x41494646)},
                 {"File Creator", Int(0x6850304C)},
                 {"Location", Str(FileURL(song))}})},
       {8, Dict({{"Track ID", Int(8)},
                 {"Name", Str(std::string(1023, 'n'))},
                 {"Artist", Str(std::string(1024, 'a'))},
                 {"Genre", Str(std::string(64, 'g'))},
                 {"Total Time", Int(3000000000LL)},
                 {"Year", Str("2003")},
                 {"Album", Str("")}})}},
      {}, FileURL(home_.Path("Music")) + "/"));
  ASSERT_NE(nullptr, library);
  cSPiTMI_TrackInfoObj* t = library->SerchTrackInfoObjectFromTrackID(7);
  ASSERT_NE(nullptr, t);
  EXPECT_EQ(
      "\x93\xFA\x96\x7B|Ann & Bob|Cole|Songs|Live|Rock|\x93\xFA note|1411 44100 215900 1/2 "
      "3/12 2003 4 41494646 6850304C|song.aiff|21",
      Summary(*t));
  EXPECT_EQ(UInt32(kCFStringEncodingMacJapanese), t->GetTextEncoding(kSpiTMI_Name));
  // 1,023 bytes of name fit; a longer artist or genre, and numbers that are none, are not read.
  EXPECT_EQ(std::string(1023, 'n') + "|||||||0 0 0 0/0 0/0 0 0 0 0||2",
            Summary(*library->SerchTrackInfoObjectFromTrackID(8)));
  EXPECT_EQ(1, library->GetMusicFolder().valid);
  EXPECT_STREQ("Music", library->GetMusicFolder().fileName);
}

TEST_F(LibraryReaderTest, LocationsOfThisComputerBecomeFileRecordsWithTheirEscapesDecoded) {
  const std::string plain = MakeFile("Music/a b.aiff");
  const std::string japanese = MakeFile("Music/\xE6\x9B\xB2.aiff");  // "曲.aiff"
  const struct {
    std::string url;
    const char* name;  // the record's file name, null for no record
  } cases[] = {
      {FileURL(plain), "a b.aiff"},
      {FileURL(plain, "file://"), "a b.aiff"},
      {FileURL(plain, "file://LocalHost"), "a b.aiff"},
      {FileURL(japanese), "\x8B\xC8.aiff"},
      {FileURL(plain, "file://otherhost"), nullptr},
      {FileURL(plain, "http://localhost"), nullptr},
      {FileURL(plain, "file:"), nullptr},
      {FileURL(home_.Path("Music/gone.aiff")), nullptr},
      {FileURL(plain) + "%2", nullptr},
  };
  SInt32 musicDirID = 0;
  short vRefNum = 0;
  ASSERT_EQ(noErr, Sp_FindSystemFolderByDirId(kOnSystemDisk, kMusicDocumentsFolderType, &musicDirID,
                                              &vRefNum));
  std::vector<std::pair<long long, std::string>> tracks;
  for (const auto& c : cases) {
    const long long id = tracks.size() + 1;
    tracks.push_back({id, Dict({{"Track ID", Int(id)}, {"Location", Str(c.url)}})});
  }
  auto library = CreateFrom(LibraryXml(tracks));
  ASSERT_NE(nullptr, library);
  SInt32 id = 0;
  for (const auto& c : cases) {
    cSPiTMI_TrackInfoObj* t = library->SerchTrackInfoObjectFromTrackID(++id);
    ASSERT_NE(nullptr, t) << c.url;
    EXPECT_STREQ(c.url.c_str(), t->GetText(kSpiTMI_Location)) << "kept as written";
    const sExtStdFileInfo& file = t->GetLocationFile();
    EXPECT_EQ(c.name ? 3 : 2, t->GetKeyCount()) << c.url << ": the id, the text, the file";
    EXPECT_EQ(c.name ? 1 : 0, file.valid) << c.url;
    if (c.name == nullptr || !file.valid) continue;
    SInt32 fileID = 0;
    ASSERT_EQ(noErr, Sp_GetFileIdFromFileNameInDirId(vRefNum, musicDirID, c.name, fileID));
    EXPECT_EQ(std::string(c.name) + " " + std::to_string(vRefNum) + " " +
                  std::to_string(musicDirID) + " " + std::to_string(fileID),
              std::string(file.fileName) + " " + std::to_string(file.vRefNum) + " " +
                  std::to_string(file.dirID) + " " + std::to_string(file.fileID));
  }
}

TEST_F(LibraryReaderTest, PlaylistsKeepOnlyTheUsersOwnListsOfKnownTracksWithTheirWholeIds) {
  const std::vector<std::string> playlists = {
      PlayList("Library", {1, 2}, {{"Master", "<true/>"}}),
      PlayList("Recent", {1}, {{"Smart Info", "<data>AQID</data>"}}),
      PlayList("Nobody", {99, 0}),
      PlayList("Twice", {2, 1, 2}),
      Dict({{"Name", Str("No items key")}}),
      Str("not a playlist"),
      Dict({{"Name", Str("Odd entries")},
            {"Playlist Items", ittest::Array({Str("x"), Dict({{"Track ID", Str("1")}}),
                                              Dict({{"Track ID", Int(1)}})})}}),
      // 70000 and 4464 share their low 16 bits but not their track.
      PlayList("Wide", {70000, 65536, 4464}),
  };
  auto library = CreateFrom(LibraryXml({{1, TrackDict(1, "a", "X", 1, 2, 1000)},
                                        {2, TrackDict(2, "b", "X", 2, 2, 2000)},
                                        {4464, TrackDict(4464, "low", "Y", 1, 3, 1000)},
                                        {70000, TrackDict(70000, "high", "Y", 2, 3, 2000)},
                                        {65536, TrackDict(65536, "round", "Y", 3, 3, 3000)}},
                                       playlists));
  ASSERT_NE(nullptr, library);
  EXPECT_EQ((std::vector<SInt32>{1, 2, 4464, 65536, 70000}), ittest::TrackIds(*library));
  EXPECT_EQ((std::vector<std::string>{"Twice [1:2 2:1 3:2]", "Odd entries [1:1]",
                                      "Wide [1:70000 2:65536 3:4464]"}),
            ittest::Groups(library->GetFirstPlayList()));
  auto none = CreateFrom(LibraryXml({{1, TrackDict(1, "a", "X", 1, 2, 1000)}}));
  ASSERT_NE(nullptr, none);
  EXPECT_EQ(nullptr, none->GetFirstPlayList());
  EXPECT_NE(nullptr, none->GetFirstAlbumGroup());
}

TEST_F(LibraryReaderTest, ALibraryThatDoesNotParseIsNotReadAndAddsNothing) {
  const std::string good = LibraryXml(
      {{1, TrackDict(1, "a", "X", 1, 2, 1000)}, {2, TrackDict(2, "b", "X", 2, 2, 2000)}});
  ErrorLogCapture log;
  // Cut after the first track: it was parsed, but the file is no property list.
  EXPECT_EQ(nullptr, CreateFrom(good.substr(0, good.find("<key>2</key>"))));
  EXPECT_EQ(nullptr, CreateFrom(""));
  std::remove(LibraryPath().c_str());
  EXPECT_EQ(nullptr, Create()) << "no file";

  // Loading into a library that holds tracks leaves them as they are.
  auto library = CreateFrom(good);
  ASSERT_NE(nullptr, library);
  WriteLibrary(LibraryXml({{3, TrackDict(3, "c", "Y", 1, 1, 3000)}}).substr(0, 300));
  EXPECT_EQ(0, SpiTM_LoadITunesMusicInfo(library.get(), library->GetLibraryFileVRefNum(),
                                         library->GetLibraryFileDirID(), kSpiTM_LibraryFileName));
  EXPECT_EQ((std::vector<SInt32>{1, 2}), ittest::TrackIds(*library));
  EXPECT_EQ(0u, log.Count()) << "a damaged library is no failure of the program";

  // A property list whose root is no dictionary is read, and adds nothing.
  auto other = CreateFrom(ittest::Plist(ittest::Array({Dict({{"Tracks", Dict({})}})})));
  ASSERT_NE(nullptr, other);
  EXPECT_EQ(nullptr, other->GetFirstTrack());
}

TEST_F(LibraryReaderTest, TheLibraryIsReadAgainOnlyWhenItsFileIsNewer) {
  auto version = [](const char* album) {
    return LibraryXml({{1, TrackDict(1, "a", album, 1, 1, 1000)}});
  };
  WriteLibrary(version("One"), 0);
  auto library = Create();
  ASSERT_NE(nullptr, library);
  const UInt32 first = library->GetModifiedDate();
  EXPECT_NE(0u, first);
  const struct {
    std::string text;  // empty: the file is removed
    long modified;
    std::string album;
    const char* why;
  } steps[] = {
      {version("Two"), 0, "One", "the same date: not read again"},
      {version("Two"), -100, "One", "an older date: not read again"},
      {version("Three"), 100, "Three", "a newer date: read again"},
      {version("Four").substr(0, 200), 200, "<empty>", "damaged: emptied, and tried again later"},
      {version("Five"), 150, "Five", "after a failed read any date is new"},
      {"", 0, "Five", "a file that is gone changes nothing"},
  };
  for (const auto& s : steps) {
    if (s.text.empty()) {
      std::remove(LibraryPath().c_str());
    } else {
      WriteLibrary(s.text, s.modified);
    }
    library->CheckITunesMusicInfoFileModifyAndReLoadData();
    EXPECT_EQ(s.album, library->GetFirstTrack() != nullptr
                           ? library->GetFirstTrack()->GetText(kSpiTMI_Album)
                           : "<empty>")
        << s.why;
  }
  EXPECT_EQ(first + 150, library->GetModifiedDate());
}

TEST_F(LibraryReaderTest, WithoutAnITunesFolderThereIsNoLibrary) {
  ASSERT_EQ(0, rmdir(ITunesFolder().c_str()));
  EXPECT_EQ(nullptr, SpiTM_CreateITunesMusicInfo(1));
  EXPECT_EQ(nullptr, SpiTM_CreateITunesMusicInfo(0));
  ASSERT_EQ(0, mkdir(ITunesFolder().c_str(), 0700));
  std::unique_ptr<ciTunesMusicInfoObj> empty(SpiTM_CreateITunesMusicInfo(0));
  ASSERT_NE(nullptr, empty) << "without reading, no file is needed";
  EXPECT_EQ(1, empty->IsLibraryFileValid());
  EXPECT_EQ(0u, empty->GetModifiedDate());
  WriteLibrary(LibraryXml({{1, TrackDict(1, "a", "X", 1, 1, 1000)}}));
  empty->CheckITunesMusicInfoFileModifyAndReLoadData();
  EXPECT_NE(nullptr, empty->GetFirstTrack()) << "an unread library reads at its first check";
}

}  // namespace
