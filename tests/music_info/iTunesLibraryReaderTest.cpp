// Reading "iTunes Music Library.xml": the keys of a track, the program's text of its names,
// file locations, track ids, playlists, damaged files, hostile files, and reloading when the
// file changes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CoreFoundation.h"
#include "ErrorLogCapture.h"
#include "Folders.h"
#include "SpStdFileFunction.h"
#include "SpTextCodec.h"
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

// The program's text (MacJapanese) of a UTF-8 text.
std::string MacJ(const std::string& utf8) {
  std::string out;
  sp::text::UTF8ToMacJapanese(utf8, out);
  return out;
}

TEST_F(LibraryReaderTest, LettersMacJapaneseLacksLoseOnlyTheirAccentsInEveryTextAndPlaylistName) {
  const struct {
    std::string written;  // UTF-8, as the file holds it
    std::string shown;    // the program's text
  } cases[] = {
      {"Bj\xC3\xB6rk", "Bjork"},
      {"Sigur R\xC3\xB3s & \xE5\x9D\x82\xE6\x9C\xAC\xE9\xBE\x8D\xE4\xB8\x80",
       "Sigur Ros & " + MacJ("坂本龍一")},
      {"\xC3\x86r\xC3\xB8sk\xC3\xB8" "bing Stra\xC3\x9F" "e", "AEroskobing Strasse"},
      {"Mo\xCC\x88tley", "Motley"},                 // decomposed: the accent alone goes
      {"\xF0\x9F\x98\x80 \xE6\x97\xA5", "? " + MacJ("日")},  // no such character
      {"C:\\Music", "C:\x80Music"},                 // MacJapanese writes a backslash at 0x80
  };
  std::vector<std::pair<long long, std::string>> tracks;
  std::vector<std::string> playlists;
  for (const auto& c : cases) {
    const long long id = tracks.size() + 1;
    tracks.push_back({id, Dict({{"Track ID", Int(id)},
                                {"Name", Str(c.written)},
                                {"Artist", Str(c.written)},
                                {"Composer", Str(c.written)},
                                {"Album", Str(c.written)},
                                {"Grouping", Str(c.written)},
                                {"Genre", Str(c.written)},
                                {"Comments", Str(c.written)}})});
    playlists.push_back(PlayList(c.written, {id}));
  }
  auto library = CreateFrom(LibraryXml(tracks, playlists));
  ASSERT_NE(nullptr, library);
  const ciTunesInfoMusicGroupObj* list = library->GetFirstPlayList();
  SInt32 id = 0;
  for (const auto& c : cases) {
    const cSPiTMI_TrackInfoObj* t = library->SerchTrackInfoObjectFromTrackID(++id);
    ASSERT_NE(nullptr, t);
    for (tSpiTMI_TextField f : {kSpiTMI_Name, kSpiTMI_Artist, kSpiTMI_Composer, kSpiTMI_Album,
                                kSpiTMI_Grouping, kSpiTMI_Genre, kSpiTMI_Comments}) {
      EXPECT_EQ(c.shown, t->GetText(f)) << c.written << " field " << int(f);
      EXPECT_EQ(UInt32(kCFStringEncodingMacJapanese), t->GetTextEncoding(f));
    }
    EXPECT_EQ(8, t->GetKeyCount()) << c.written;
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(c.shown, list->GetName());
    list = list->GetMusicGroupLinkNextObjectPtr();
  }
}

TEST_F(LibraryReaderTest, LocationsOfThisComputerBecomeFileRecordsWithTheirEscapesDecoded) {
  const std::string plain = MakeFile("Music/a b.aiff");
  const std::string japanese = MakeFile("Music/\xE6\x9B\xB2.aiff");  // "曲.aiff"
  // A name of the characters URLs escape or cut at, '%' before hex digits among them.
  const std::string awkward = MakeFile("Music/100%25 #1?;x.aiff");
  const struct {
    std::string url;
    const char* name;  // the record's file name, null for no record
  } cases[] = {
      {FileURL(plain), "a b.aiff"},
      {FileURL(plain, "file://"), "a b.aiff"},
      {FileURL(plain, "file://LocalHost"), "a b.aiff"},
      {FileURL(japanese), "\x8B\xC8.aiff"},
      {FileURL(awkward), "100%25 #1?;x.aiff"},
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

// The library reader checks a document as the property-list reader does: the same values are
// refused, and a number is read wherever it converts to 32 bits.
TEST_F(LibraryReaderTest, AFileIsReadExactlyWhenThePropertyListReaderReadsIt) {
  const long long kRefused = -1;
  const struct {
    std::string value;  // the value of a track's "Total Time"
    long long time;     // the track's total time, or kRefused
  } cases[] = {
      {Int(42), 42},
      {"<integer> 42\n</integer>", 42},
      {"<integer>+42</integer>", 42},
      {"<integer>-0</integer>", 0},
      {"<integer>0x1F</integer>", 31},
      {"<integer>-0X1f</integer>", UInt32(-31)},
      {"<integer>000000000000000000000000042</integer>", 42},
      {"<integer>2147483648</integer>", 0},  // a number, but not of 32 bits
      {"<integer>-9223372036854775808</integer>", 0},
      {"<integer>0x</integer>", kRefused},
      {"<integer>0xg</integer>", kRefused},
      {"<integer>00x5</integer>", kRefused},
      {"<integer>4 2</integer>", kRefused},
      {"<integer>- 5</integer>", kRefused},
      {"<integer></integer>", kRefused},
      {"<integer>9223372036854775808</integer>", kRefused},
      {"<integer>-9223372036854775809</integer>", kRefused},
      {"<real>215900.0</real>", 215900},
      {"<real> +1e3 </real>", 1000},
      {"<real>2.5</real>", 0},
      {"<real>nan</real>", 0},
      {"<real>2147483648.0</real>", 0},
      {"<real>1.2.3</real>", kRefused},
      {"<real>+</real>", kRefused},
      {"<real>1e999</real>", kRefused},
      {"<date>2006-03-04T05:06:07Z</date>", 0},
      {"<date> 2006-03-04T05:06:07Z </date>", 0},
      {"<date>2006-13-04T05:06:07Z</date>", kRefused},
      {"<date>2006-03-04T05:06:07</date>", kRefused},
      // Every field at its limit (a leap second included), and each one just past it.
      {"<date>2006-12-31T23:59:60Z</date>", 0},
      {"<date>2006-01-01T00:00:00Z</date>", 0},
      {"<date>2006-00-04T05:06:07Z</date>", kRefused},
      {"<date>2006-03-00T05:06:07Z</date>", kRefused},
      {"<date>2006-03-32T05:06:07Z</date>", kRefused},
      {"<date>2006-03-04T24:06:07Z</date>", kRefused},
      {"<date>2006-03-04T05:60:07Z</date>", kRefused},
      {"<date>2006-03-04T05:06:61Z</date>", kRefused},
      {"<data> AQ ID= </data>", 0},
      {"<data>AQ=ID</data>", kRefused},
      {"<data>A*</data>", kRefused},
      {"<true/>", 0},
      {"<false> </false>", 0},
      {"<true>x</true>", kRefused},
      {"<array><integer>5</integer></array>", 0},
      {"<dict><key>a</key></dict>", kRefused},                  // a key without a value
      {"<dict><string>a</string></dict>", kRefused},            // a value without a key
      {"<string>a</string><string>b</string>", kRefused},       // two values for one key
      {"<key>a</key>", kRefused},                               // two keys in a row
      {"<string><string>a</string></string>", kRefused},        // an element in a leaf
      {"<strings>a</strings>", kRefused},                       // no element of a list
      {"<integer>1</integer>text", kRefused},                   // text outside a value
      {"<integer>1</integer><plist><dict/></plist>", kRefused}, // a misplaced plist
  };
  for (const auto& c : cases) {
    const std::string xml = LibraryXml({{1, Dict({{"Track ID", Int(1)}, {"Total Time", c.value}})}});
    CFDataRef data =
        CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(xml.data()), CFIndex(xml.size()));
    CFPropertyListRef list = CFPropertyListCreateFromXMLData(nullptr, data, 0, nullptr);
    const bool listRead = list != nullptr;
    if (list != nullptr) CFRelease(list);
    CFRelease(data);
    auto library = CreateFrom(xml);
    EXPECT_EQ(listRead, library != nullptr) << c.value;
    EXPECT_EQ(c.time != kRefused, library != nullptr) << c.value;
    if (library == nullptr || library->GetFirstTrack() == nullptr) continue;
    EXPECT_EQ(UInt32(c.time), library->GetFirstTrack()->GetTotalTime()) << c.value;
  }
}

// ---- Hostile files ------------------------------------------------------------------------------

// A library written to cost the most: huge texts where a field takes little and where nothing
// reads them, keys written over and over, a track nested as deeply as a property list may be,
// a crowd of empty tracks and a playlist naming one track again and again. Every size grows
// with n.
std::string HostileLibrary(int n, const std::string& songURL) {
  const std::string huge(std::size_t(n) * 64 * 1024, 'x');
  std::string repeated;
  for (int i = 0; i < n * 500; ++i) {
    repeated += "<key>Name</key>" + Str("name " + std::to_string(i)) + "<key>Location</key>" +
                Str(songURL + "?" + std::to_string(i));
  }
  repeated += "<key>Name</key>" + Str("last") + "<key>Location</key>" + Str(songURL);
  // Inside <plist>, the root, "Tracks" and the track, 252 arrays reach the most elements open.
  std::string nested;
  for (int i = 0; i < 252; ++i) nested += "<array>";
  for (int i = 0; i < 252; ++i) nested += "</array>";
  std::vector<std::pair<long long, std::string>> tracks = {
      {1, Dict({{"Track ID", Int(1)}, {"Name", Str(huge)}, {"Kind", Str(huge)}})},
      {2, "<dict><key>Track ID</key><integer>2</integer>" + repeated + "</dict>"},
      {3, Dict({{"Track ID", Int(3)},
                {"Track Count", Int(2147483647)},
                {"Year", "<integer>" + std::string(std::size_t(n) * 1000, '0') + "2003</integer>"},
                {"Extra", nested}})},
  };
  for (int i = 0; i < n * 1000; ++i) tracks.push_back({100 + i, "<dict/>"});
  std::vector<long long> ids(std::size_t(n) * 2000, 2);
  return LibraryXml(tracks, {PlayList("Again", ids)});
}

TEST_F(LibraryReaderTest, AHostileLibraryIsReadInMemoryAndWorkThatDoNotGrowWithIt) {
  const std::string song = MakeFile("Music/song.aiff");
  sp_itunes::ReadingCounts counts[2];
  unsigned long filingSteps[2] = {};
  const int sizes[2] = {1, 10};
  for (int i = 0; i < 2; ++i) {
    const int n = sizes[i];
    const unsigned long before = sp_itunes::gFilingSteps;
    auto library = CreateFrom(HostileLibrary(n, FileURL(song)));
    filingSteps[i] = sp_itunes::gFilingSteps - before;
    counts[i] = sp_itunes::gReadingCounts;
    ASSERT_NE(nullptr, library) << n;
    const cSPiTMI_TrackInfoObj* first = library->SerchTrackInfoObjectFromTrackID(1);
    const cSPiTMI_TrackInfoObj* second = library->SerchTrackInfoObjectFromTrackID(2);
    const cSPiTMI_TrackInfoObj* third = library->SerchTrackInfoObjectFromTrackID(3);
    ASSERT_TRUE(first && second && third);
    EXPECT_STREQ("", first->GetText(kSpiTMI_Name)) << "too long for the field";
    EXPECT_EQ("last|" + FileURL(song) + "|song.aiff", std::string(second->GetText(kSpiTMI_Name)) +
                                                          "|" + second->GetText(kSpiTMI_Location) +
                                                          "|" + second->GetLocationFile().fileName)
        << "the last of each repeated key";
    EXPECT_EQ(-1, third->GetTrackCount()) << "the low 16 bits";
    EXPECT_EQ(2003, third->GetYear());
    SInt32 tracks = 0;
    for (auto* t = library->GetFirstTrack(); t != nullptr; t = t->GetTrackLinkNextObjectPtr())
      ++tracks;
    EXPECT_EQ(3 + n * 1000, tracks);
    ASSERT_NE(nullptr, library->GetFirstPlayList());
    EXPECT_EQ(n * 2000, library->GetFirstPlayList()->GetContainGroupItem());
  }
  // Ten times the file: no more text held, no deeper nesting, no more texts taken or files
  // looked for, and filing that grows with the tracks only.
  for (int i = 0; i < 2; ++i) {
    EXPECT_LE(counts[i].mostTextHeld, std::size_t(4 * kSpiTM_LongTextSize)) << sizes[i];
    EXPECT_EQ(256u, counts[i].deepestNesting) << sizes[i];
    EXPECT_EQ(3u, counts[i].textsRead) << "the name and location of track 2, the playlist's name";
    EXPECT_EQ(1u, counts[i].fileLookups) << sizes[i];
    EXPECT_LT(filingSteps[i], 100ul * (3 + 1000 * sizes[i]));
  }
  EXPECT_EQ(counts[0].mostTextHeld, counts[1].mostTextHeld);
}

TEST_F(LibraryReaderTest, NestingPastTheLimitAndEntitiesAreRefusedWithoutGrowing) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<array>";
  for (int i = 0; i < 100000; ++i) deep += "</array>";
  // Each level of entities names the one below ten times: a billion letters if expanded.
  std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [\n<!ENTITY a0 \"aaaaaaaaaa\">\n";
  for (int i = 1; i < 10; ++i) {
    laughs += "<!ENTITY a" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) laughs += "&a" + std::to_string(i - 1) + ";";
    laughs += "\">\n";
  }
  laughs += "]>\n<plist><dict><key>Tracks</key><dict><key>1</key><dict><key>Name</key>"
            "<string>&a9;</string></dict></dict></dict></plist>\n";
  const std::string external =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>\n"
      "<plist><dict><key>Music Folder</key><string>&e;</string></dict></plist>\n";
  for (const std::string& xml : {ittest::Plist(deep), laughs, external}) {
    EXPECT_EQ(nullptr, CreateFrom(xml));
    EXPECT_LE(sp_itunes::gReadingCounts.deepestNesting, 256u);
    EXPECT_LE(sp_itunes::gReadingCounts.mostTextHeld, 16u);
    EXPECT_EQ(0u, sp_itunes::gReadingCounts.textsRead);
  }
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

namespace {

// A library whose track 1 holds a value nested so that the deepest element is at `depth`
// (plist, the root dict, "Tracks" and the track are the first four).
std::string LibraryNestedTo(int depth) {
  std::string nested;
  for (int i = 4; i < depth; ++i) nested += "<array>";
  for (int i = 4; i < depth; ++i) nested += "</array>";
  return ittest::LibraryXml({{1, Dict({{"Track ID", Int(1)}, {"Extra", nested}})}});
}

}  // namespace

TEST_F(LibraryReaderTest, NestingIsReadUpToItsLimitAndRefusedOneLevelPast) {
  const struct {
    int depth;
    bool read;
  } cases[] = {{255, true}, {256, true}, {257, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.depth);
    auto library = CreateFrom(LibraryNestedTo(c.depth));
    EXPECT_EQ(library != nullptr, c.read);
    if (library != nullptr) {
      EXPECT_NE(nullptr, library->SerchTrackInfoObjectFromTrackID(1));
      EXPECT_EQ(sp_itunes::gReadingCounts.deepestNesting, std::size_t(c.depth));
    }
  }
}
