// Writes the seeds of the fuzz targets whose inputs the program's own writers make: every file
// is made by the code that makes such files for the program (or, for the files the program
// only reads, by the tests' writers), in a temporary home, and copied into the corpus folders.
//
//   fuzz_seed_writer <corpus folder>     (the repository's fuzz/corpus)
//
// The seeds are committed; run this again when a writer changes. The sound files of the
// soundfile target other than AIFF and WAVE are made by the ffmpeg tool.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../tests/support/CdTextPacks.h"
#include "ByteOrder.h"
#include "CDMediaListFile.h"
#include "Files.h"
#include "Folders.h"
#include "FuzzProgramHome.h"
#include "MacMemory.h"
#include "SpCDRSaveIniDataMgrObj.h"
#include "SpPreferenceStockObject.h"
#include "SpQTInterface.h"
#include "SpQTMusicInfo.h"
#include "SpTextCodec.h"
#include "iTunesLibraryTestSupport.h"

namespace {

std::string gCorpus;
bool gFailed = false;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in) {
    std::fprintf(stderr, "fuzz_seed_writer: cannot read %s\n", path.c_str());
    gFailed = true;
  }
  return bytes.str();
}

void Seed(const std::string& target, const std::string& name, const std::string& bytes) {
  const std::string folder = gCorpus + "/" + target;
  mkdir(folder.c_str(), 0755);
  const std::string path = folder + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) {
    std::fprintf(stderr, "fuzz_seed_writer: cannot write %s\n", path.c_str());
    gFailed = true;
  }
}

std::string MacJapanese(const std::string& utf8) {
  std::string out;
  sp::text::UTF8ToMacJapanese(utf8, out, '?');
  return out;
}

std::string HandleText(Handle h) {
  return std::string(*h, std::size_t(GetHandleSize(h)));
}

// ---- Resource sources: one of every typed body and of the raw statements, with the images
// of the tests' resource folder (where the target compiles them).

void ResourceSources() {
  Seed("rescompile", "dialog.r",
       "# A dialog with its items and a control.\n"
       "resource 'CNTL' 200 {\n"
       "  bounds 15, 15, 31, 405; value 0; max 100; min 0; procID progressBarProc; title \"\"\n"
       "}\n"
       "resource 'DLOG' 200 {\n"
       "  bounds 100, 100, 330, 520\n"
       "  procID movableDBoxProc\n"
       "  visible false\n"
       "  goAway true\n"
       "  refCon -1\n"
       "  title \"\xE9\x80\xB2\xE8\xA1\x8C\"\n"
       "  position centerParentWindow\n"
       "}\n"
       "resource 'DITL' 200 {\n"
       "  button 195, 320, 215, 405 { text \"OK\" }\n"
       "  control 15, 15, 31, 405 { id 200 }\n"
       "  staticText 40, 15, 56, 125 { text \"\xE5\x90\x8D:\"; disabled }\n"
       "  editText 40, 130, 56, 405 { text \"\" }\n"
       "  checkBox 60, 15, 76, 125 { text \"On\" }\n"
       "  picture 80, 15, 96, 125 { id 201 }\n"
       "  userItem 0, 0, 10, 10\n"
       "}\n"
       "resource 'PICT' 201 { png \"test-picture-red-blue.png\" }\n"
       "resource 'cicn' 202 { png \"test-icon-colour.png\" }\n"
       "resource 'crsr' 203 {\n"
       "  png \"test-cursor-colour.png\"\n"
       "  hotSpot 3, 5\n"
       "}\n");
  Seed("rescompile", "menus-and-raw.r",
       "# Menus, strings, a window, an alert, a version and raw bytes.\n"
       "resource 'MBAR' 128 { menu 128; menu 129 }\n"
       "resource 'MENU' 128 {\n"
       "  title \"File\"\n"
       "  item \"Open\" { key \"O\" }\n"
       "  separator\n"
       "  item \"Recent\" { submenu 130 }\n"
       "  item \"Quit\" { key \"Q\"; style bold italic; disabled }\n"
       "}\n"
       "resource 'STR ' 128 { string \"\xE3\x81\x82\xE3\x81\x84\\x81\\x40\" }\n"
       "resource 'STR#' 128 \"Names\" purgeable { string \"one\"; string \"two\" }\n"
       "resource 'WIND' 128 { bounds 40, 40, 240, 340; procID zoomDocProc; title \"W\" }\n"
       "resource 'ALRT' 129 { bounds 0, 0, 100, 300; stages 0x7777; position "
       "alertPositionMainScreen }\n"
       "resource 'vers' 1 { version 1, 2, 3; stage beta; nonRelease 4; short \"1.2.3\" }\n"
       "resource 'ICN#' 130 { png \"test-icon-one-bit.png\" }\n"
       "resource 'CURS' 131 { png \"test-cursor-colour.png\"; hotSpot 8, 8 }\n"
       "resource 'Raw ' 132 {\n"
       "  ostype 'abcd'\n"
       "  int8 -1, 255\n"
       "  align 4\n"
       "  int16 0, 65535\n"
       "  int32 -2147483648\n"
       "  pstring \"name\"\n"
       "  text \"plain\"\n"
       "  hex \"00 FF a5\"\n"
       "  file \"test-picture-alpha.png\"\n"
       "}\n");
  // A text file for the bundle: LF, CR LF and no end on the last line.
  Seed("rescompile", "bundle-text.txt",
       "-34\t\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xB9\xE3\x82\xAF\n-43\tnot found\r\n-108\tlast");
}

// ---- Movie user data: text items and an MP4 'meta' item, as 'udta' atoms.

std::string UserDataAtom(UserData userData) {
  Handle h = NewHandle(0);
  PutUserDataIntoHandle(userData, h);
  std::string bytes = HandleText(h);
  DisposeHandle(h);
  return bytes;
}

void UserDataSeeds() {
  cSp_MusicFileMusicInfoDataObj id3(kSpMusicInfo_ID3);
  id3.SetupVersion(2, 3, 0);
  const std::string title = MacJapanese("タイトル");
  id3.SetupNewTextData(kSpID3_TIT2, title.data(), SInt32(title.size()), 0);
  id3.SetupNewTextData(kSpID3_TPE1, "Band", 4, 0);
  id3.SetupNewTextData(kSpID3_TALB, "Album", 5, 0);
  id3.SetupNewTextData(kSpID3_TRCK, "3/12", 4, 0);
  id3.SetupNewTextData(kSpID3_TCON, "(17)", 4, 0);
  id3.SetupNewTextData(kSpID3_COMM, std::string("eng\0Nice", 8).c_str(), 8, 0);

  UserData text = nullptr;
  NewUserData(&text);
  id3.GetFirstItemPtr()->SetupID3intoMovieFileWithUserDataOnLink(id3.GetMusicInfoType(),
                                                                 id3.GetVersionMajor(), text);
  // The title also in English, as other programs write it.
  Handle english = nullptr;
  PtrToHand("Title", &english, 5);
  AddUserDataText(text, english, kSpQT_nam, 1, kSpQTI_UserDataLanguageEnglish);
  DisposeHandle(english);
  Seed("userdata", "text-items.udta", UserDataAtom(text));
  DisposeUserData(text);

  UInt32 size = 0, used = 0;
  id3.GetMusicInfoMemorySizeWithUserDataMetaType(size);
  std::string meta(size, '\0');
  id3.SetupMusicInfoOnTargetMemoryWithMP4UserDataMetaType(&meta[0], size, used);
  meta.resize(used);
  UserData mp4 = nullptr;
  NewUserData(&mp4);
  Handle item = nullptr;
  PtrToHand(meta.data(), &item, Size(meta.size()));
  AddUserData(mp4, item, SpFourCC("meta"));
  DisposeHandle(item);
  Seed("userdata", "meta-item.udta", UserDataAtom(mp4));
  DisposeUserData(mp4);
}

// ---- The music library, by the tests' writer of library files.

void LibrarySeeds() {
  using namespace ittest;
  const Entries disc = {{"Disc Number", Int(1)}, {"Disc Count", Int(2)}, {"Year", Int(1999)}};
  Seed("library", "album-and-playlist.xml",
       LibraryXml({{101, TrackDict(101, "One", "Album", 1, 3, 215000, disc)},
                   {102, TrackDict(102, "Two", "Album", 2, 3, 187000, disc)},
                   {103, TrackDict(103, "Three", "Album", 3, 3, 243000, disc)}},
                  {PlayList("Mix", {103, 101, 102})},
                  "file://localhost/home/user/Music/iTunes/iTunes%20Music/"));
  Seed("library", "names-and-locations.xml",
       LibraryXml({{7, TrackDict(7, "曲", "アルバム", 1, 1, 61000,
                                 {{"Composer", Str("作曲者")},
                                  {"Genre", Str("Rock")},
                                  {"Location", Str("file:///home/user/Music/a%20b.m4a")}})},
                   {8, TrackDict(8, "Other", "Single", 0, 0, 0)}},
                  {PlayList("Library", {7, 8}, {{"Master", "<true/>"}})}));
}

// ---- Start data, by the start-data manager's save.

// The two saved files as the target takes them: the length of "CDDA-Data", both files.
std::string StartDataFiles(const std::string& home) {
  const std::string folder = home + "/.config/" + kSpStartDataFolderName + "/";
  const std::string cds = ReadAll(folder + kSpCDStartDataFileName);
  UInt8 length[2];
  sp::StoreBE16(length, UInt16(cds.size()));
  return std::string(reinterpret_cast<char*>(length), 2) + cds +
         ReadAll(folder + kSpQTFileStartDataFileName);
}

void StartDataSeeds(const std::string& home) {
  SoundComponentData format{};
  format.format = SpFourCC("twos");
  format.numChannels = 2;
  format.sampleSize = 16;
  format.sampleRate = 44100u << 16;
  format.sampleCount = 44100;
  SpGetCDInitData(12, cDiscPosition(52, 30, 12), 1, nullptr)->SetupVolumeLevel(200);
  SpGetCDInitData(3, cDiscPosition(9, 0, 74), 1, nullptr)->SetupVolumeLevel(255);
  SpGetQTFileInitData("Song.aiff", 5292044, format, 30000, 1000, 1, nullptr)->SetupVolumeLevel(80);
  SpGetQTFileInitData(MacJapanese("歌.mp3").c_str(), 4096, format, 600, 600, 1, nullptr);
  SpSaveCDQTFileInitialData();
  Seed("startdata", "cds-and-files", StartDataFiles(home));
  // Lists at their limit: 49 records each, the name of one as long as the file takes.
  for (UInt32 i = 0; i < kSpStartDataListLimit; ++i) {
    SpGetCDInitData(i + 1, cDiscPosition(i, 59, 74), 1, nullptr);
    const std::string name = i == 0 ? std::string(kSpQTFileInitNameLimit, 'n') : std::to_string(i);
    SpGetQTFileInitData(name.c_str(), i, format, 0, 1, 1, nullptr);
  }
  SpSaveCDQTFileInitialData();
  Seed("startdata", "full-lists", StartDataFiles(home));
  SpDisposeCDQTFileInitManager();
  SpDeleteRecordsOfDisposedManagers();
}

// ---- A settings file of every item type, by the preference stock's save.

void PreferenceSeeds(const std::string& home, SInt16 vRefNum, SInt32 dirID) {
  cPrefStockFileObj file(SpFourCC("Zqcr"), vRefNum, dirID, "Settings", SpFourCC("Zqcr"),
                         SpFourCC("pref"));
  auto item = [&file](const char(&id)[5]) {
    return file.GetTargetStockDataItemInPrefTopDataList(SpFourCC(id), 0, 1);
  };
  item("strg")->SetupStringData(MacJapanese("設定").c_str(), 1);
  item("flex")->SetupFlexAreaData("\0\1\2\3", 4, 1);
  item("long")->SetupLongData(-5, 1);
  item("ostp")->SetupOSTypeData(SpFourCC("AIFF"), 1);
  item("dble")->SetupDblData(0.25, 1);
  item("flot")->SetupFloatData(1.5f, 1);
  item("char")->SetupCharData('x', 1);
  item("bool")->SetupBooleanData(1, 1);
  const Rect rect = {10, 20, 300, 400};
  item("rect")->SetupRectData(&rect, 1);
  item("pont")->SetupPointData(Point{5, 6}, 1);
  LongDateRec date{};
  date.year = 2024;
  date.month = 2;
  date.day = 29;
  item("date")->SetupDateTimeData(&date, 1);
  sPerfExtFileDirTypeInfo where{};
  where.vRefNum = vRefNum;
  where.dirID = dirID;
  std::snprintf(where.name, sizeof where.name, "Settings");
  where.fileOrDirID = 77;
  item("posn")->SetupExtFileDirTypeInfoData(&where, 1);
  cPrefStockData* group = item("grup");
  group->CreateUnderStockDataItem(SpFourCC("innr"), 0)->SetupLongData(1, 1);
  cPrefStockData* nested = group->CreateUnderStockDataItem(SpFourCC("nest"), 0);
  nested->CreateUnderStockDataItem(SpFourCC("deep"), 0)->SetupStringData("deep", 1);
  group->CreateUnderStockDataItem(SpFourCC("last"), 0)->SetupBooleanData(0, 1);
  item("tail")->SetupLongData(9, 1);
  file.SavePrefDataInFile();
  Seed("prefstock", "every-type", ReadAll(home + "/.config/Settings"));
}

// ---- The error-message file: lines of a number, a tab and a message, in the program's text.

void ErrorMessageSeeds() {
  Seed("errormessages", "messages.txt",
       MacJapanese("1\tファイルが見つかりません\r2\tディスクが一杯です\r-39\t"
                   "ファイルの終わりに達しました\tnote\r-43\t\r32767\tLast\r"));
  Seed("errormessages", "lf-endings.txt", "-32768\tFirst\n-32767\n2\tSecond\n");
  // A line longer than the reader's line buffer, cut in a two-byte character.
  Seed("errormessages", "long-line.txt",
       "1\t" + std::string(507, 'x') + MacJapanese("長い行") + "\r2\tAfter\r");
}

// ---- Text in every encoding, each with a target encoding.

void TextSeeds() {
  // The encodings in the target's order (kEncodings of textcodec_fuzz.cpp).
  const TextEncoding encodings[] = {
      kTextEncodingMacJapanese,    kTextEncodingShiftJIS, kTextEncodingDOSJapanese,
      kTextEncodingShiftJIS_X0213, kTextEncodingMacRoman, kTextEncodingISOLatin1,
      kTextEncodingWindowsLatin1,  kTextEncodingASCII,    kTextEncodingUTF8,
      kTextEncodingUTF16,          kTextEncodingUTF16BE,  kTextEncodingUTF16LE,
      kTextEncodingUTF32,          kTextEncodingUTF32BE,  kTextEncodingUTF32LE,
  };
  const std::size_t count = sizeof encodings / sizeof encodings[0];
  const std::u16string text = sp::text::UTF8ToUTF16(
      "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC "
      "\xE2\x91\xA0\xE3\x8D\x91 \xC3\x9F\xF0\x9F\x8E\xB5");
  for (std::size_t i = 0; i < count; ++i) {
    std::string bytes;
    sp::text::EncodeFromUTF16(encodings[i], text.data(), text.size(), '?', bytes, true);
    // The target encoding: the next one; a small output buffer.
    const std::string selectors{char(i), char((i + 1) % count)};
    char name[32];
    std::snprintf(name, sizeof name, "encoding-%02zu", i);
    Seed("textcodec", name, selectors + bytes);
  }
}

// ---- The file catalogue, saved after items of the home were looked up.

void CatalogueSeeds(const std::string& home) {
  mkdir((home + "/Documents").c_str(), 0700);
  mkdir((home + "/Documents/Album").c_str(), 0700);
  sp_fuzz::WriteFile(home + "/Documents/One.aiff", nullptr, 0);
  SInt16 vRefNum = 0;
  SInt32 documents = 0;
  FindFolder(kOnSystemDisk, kDocumentsFolderType, kDontCreateFolder, &vRefNum, &documents);
  for (const char* name : {"\x08One.aiff",
                           "\x05"
                           "Album"}) {
    FSSpec spec{};
    FSRef ref{};
    FSMakeFSSpec(vRefNum, documents, reinterpret_cast<const UInt8*>(name), &spec);
    FSpMakeFSRef(&spec, &ref);
  }
  FlushVol(nullptr, vRefNum);
  Seed("catalogue", "documents", ReadAll(home + "/.local/share/mediamanager/file-catalogue"));
}

// The saved list of added sound files: a version-200 list of two records, as the program's
// writer lays them down, and a version-1 list.
void MediaListSeeds() {
  std::string v200, v1;
  UInt8 word[4];
  sp::StoreBE32(word, 200);
  v200.append(reinterpret_cast<char*>(word), 4);
  sp::StoreBE32(word, 2);
  v200.append(reinterpret_cast<char*>(word), 4);
  v1.append(reinterpret_cast<char*>(word), 4);
  const char* names[] = {"one.aif", "two.wav"};
  for (int i = 0; i < 2; ++i) {
    sCDR_MediaListRecord record;
    record.vRefNum = -1;
    record.dirID = 1000 + i;
    record.classicName = names[i];
    record.longName = MacJapanese("曲 ") + names[i];
    record.fileID = 2000 + i;
    record.fullPath = std::string("Home:Music:") + names[i];
    sSpMusicFileInfo info{};
    info.fileSize = 44100 * 4;
    info.timeScale = 44100;
    info.seconds = 1.0f;
    SpCDR_CopyText(info.title, sizeof info.title, names[i]);
    SpCDR_WriteMusicFileInfoBytes(info, record.musicInfo);
    CDRMM_WriteMediaListRecordV200(
        [&](const void* bytes, SInt32 n) {
          v200.append(static_cast<const char*>(bytes), std::size_t(n));
          return OSErr(noErr);
        },
        record);
    sp::StoreBE32(word, UInt32(record.fullPath.size()));
    v1.append(reinterpret_cast<char*>(word), 4);
    v1 += record.fullPath;
    sp::StoreBE32(word, UInt32(record.fileID));
    v1.append(reinterpret_cast<char*>(word), 4);
  }
  Seed("medialist", "two-files-v200", v200);
  Seed("medialist", "two-files-v1", v1);
}

// ---- CD-Text, in the packs libcdio reads from a file a CUE sheet names.

void CdTextSeeds() {
  const std::string latin =
      cd_text::Packs(0x00, 0x09,
                     {{0x80, {"Day Trip", "Sunrise", "Caf\xE9 au lait", std::string(130, 'x')}},
                      {0x81, {"Band", "Band", "Guest", "Band"}},
                      {0x8E, {"4900000000000", "JPABC9912345", "JPABC9912346", "JPABC9912347"}}});
  Seed("cdtext", "latin-1.cdt", latin);
  // An MMC header before the packs, as a drive's READ TOC answer holds them: a length, two
  // bytes reserved.
  std::string header(4, '\0');
  sp::StoreBE16(reinterpret_cast<UInt8*>(&header[0]), UInt16(latin.size() + 2));
  Seed("cdtext", "with-header.cdt", header + latin);
  Seed("cdtext", "shift-jis.cdt",
       cd_text::Packs(0x80, 0x69,
                      {{0x80,
                        {MacJapanese("日帰り旅行"), MacJapanese("夜明け"), MacJapanese("喫茶店"),
                         MacJapanese("帰り道")}},
                       {0x81, {MacJapanese("楽団"), "", "", ""}}}));
  // A tab stands for the text of the track before; a slash and control characters.
  Seed("cdtext", "tab-slash-control.cdt",
       cd_text::Packs(0x01, 0x09, {{0x80, {"A/B", "Same", "\t", "Bell\x07"}}}));
}

// ---- Sound files of the kinds besides AIFF and WAVE, a tenth of a second of a tone each,
// made by ffmpeg without any text naming its version, so that the same ffmpeg makes the same
// bytes.

void SoundFileSeeds(const std::string& home) {
  const struct {
    const char* name;
    const char* arguments;
  } kFiles[] = {
      {"aac.mp4", "-ar 22050 -ac 2 -c:a aac -b:a 32k"},
      {"aac-stereo.m4a", "-ar 44100 -ac 2 -c:a aac -b:a 32k"},
      {"vorbis.ogg", "-ar 44100 -ac 2 -c:a libvorbis"},
      {"opus.opus", "-ar 48000 -ac 1 -c:a libopus -b:a 16k"},
      {"alac.m4a", "-ar 11025 -ac 1 -c:a alac"},
      {"alac.caf", "-ar 8000 -ac 2 -c:a alac"},
      {"ima4.aifc", "-ar 11025 -ac 1 -c:a adpcm_ima_qt"},
      {"ima4.mov", "-ar 8000 -ac 2 -c:a adpcm_ima_qt"},
      {"ima-adpcm.wav", "-ar 8000 -ac 1 -c:a adpcm_ima_wav"},
      {"ulaw.aifc", "-ar 8000 -ac 1 -c:a pcm_mulaw"},
      {"ulaw.caf", "-ar 8000 -ac 2 -c:a pcm_mulaw"},
  };
  for (const auto& file : kFiles) {
    const std::string path = home + "/" + file.name;
    const std::string command =
        std::string("ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=0.1 ") +
        file.arguments + " -fflags +bitexact -flags:a +bitexact -map_metadata -1 '" + path + "'";
    if (std::system(command.c_str()) != 0) {
      std::fprintf(stderr, "fuzz_seed_writer: ffmpeg could not make %s\n", file.name);
      gFailed = true;
      continue;
    }
    Seed("soundfile", file.name, ReadAll(path));
  }
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 2;
  }
  gCorpus = argv[1];
  const std::string& home = sp_fuzz::ProgramHome();
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  if (home.empty() || !sp_fuzz::MakePreferencesFolder(vRefNum, dirID)) {
    std::fprintf(stderr, "fuzz_seed_writer: no home to work in\n");
    return 1;
  }
  ResourceSources();
  UserDataSeeds();
  LibrarySeeds();
  StartDataSeeds(home);
  PreferenceSeeds(home, vRefNum, dirID);
  ErrorMessageSeeds();
  TextSeeds();
  CatalogueSeeds(home);
  MediaListSeeds();
  CdTextSeeds();
  SoundFileSeeds(home);
  return gFailed ? 1 : 0;
}
