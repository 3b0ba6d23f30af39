// CUE sheets of disc images: what passes to libcdio and why the rest is refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "FilesFixture.h"
#include "TestFiles.h"
#include "files/detail/CueSheets.h"

namespace sp_platform {
namespace files {
void PrintTo(CueSheetFault fault, std::ostream* out) {
  *out << "fault " << int(fault);
}
}  // namespace files
}  // namespace sp_platform

namespace {

namespace fs = sp_platform::files;
using Fault = fs::CueSheetFault;

const std::string kFile = "FILE \"Image.bin\" BINARY\n";
const std::string kTrack1 = "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
const std::string kTrack2Line = "  TRACK 02 AUDIO\n";
const std::string kTrack2 = kTrack2Line + "    INDEX 01 00:04:00\n";
const std::string kDisc = kFile + kTrack1 + kTrack2;

Fault Check(const std::string& sheet) {
  return fs::CheckCueSheet(sheet.data(), sheet.size());
}

TEST(FilesCueSheet, PassesTheSheetsRealImagesHaveAndRefusesTheRestForItsReason) {
  struct Case {
    std::string sheet;
    Fault fault;
    const char* why;
  } cases[] = {
      {kDisc, Fault::kNone, "two tracks in one file"},
      {"FILE \"Image.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n", Fault::kNone,
       "CRLF line ends"},
      {"\xEF\xBB\xBF" + kDisc, Fault::kNone, "a byte-order mark"},
      {"file \"Image.bin\" Binary\n\ttrack 1 audio\n  index 1 0:0:0", Fault::kNone,
       "any case, tabs, one-digit fields, no last line end"},
      {"REM GENRE \"\x01\x7F\xFF\"\n\n   \nCATALOG 0123456789012\nCDTEXTFILE \"Image.cdt\"\n"
       "TITLE \"Day Trip\"\nPERFORMER \"\xE9\x9F\xB3 Band\"\nSONGWRITER \"\"\n"
       "FILE Image.bin MOTOROLA\n  TRACK 01 MODE1/2352\n    TITLE Sunrise\n"
       "    FLAGS DCP 4CH PRE SCMS\n    ISRC JPABC9912345\n    PREGAP 00:02:00\n"
       "    INDEX 00 00:00:00\n    INDEX 01 00:00:00 \n    INDEX 02 01:00:00\n"
       "    POSTGAP 00:02:00\n  TRACK 02 CDG\n    INDEX 01 02:00:00\n",
       Fault::kNone, "every keyword, unquoted words, an empty title, blank lines"},
      {kFile + kTrack1 + "FILE \"Two.bin\" BINARY\n" + kTrack2Line + "    INDEX 01 00:00:00\n",
       Fault::kNone, "times start again with each FILE"},
      {kFile + "  TRACK 01 AUDIO\n    INDEX 01 00:04:00\n" + "FILE \"Two.bin\" BINARY\n" +
           kTrack2Line + "    INDEX 01 00:00:00\n",
       Fault::kNone, "the second FILE's times start below the first FILE's last index"},
      {"", Fault::kNoTrack, "an empty sheet"},
      {"REM nothing\n", Fault::kNoTrack, "only remarks"},
      {kFile, Fault::kFileWithoutTrack, "a FILE without tracks"},
      {kFile + kFile + kTrack1, Fault::kFileWithoutTrack, "a FILE without tracks before another"},
      {kDisc + kFile, Fault::kFileWithoutTrack, "a FILE without tracks at the end"},
      {kTrack1 + kFile, Fault::kMisplaced, "a TRACK before any FILE"},
      {kFile + "  TRACK 93 AUDIO\n    INDEX 01 00:00:00\n", Fault::kTrackNumber,
       "the first track not 1"},
      {kFile + kTrack1 + kTrack1, Fault::kTrackNumber, "a track number repeated"},
      {kFile + kTrack1 + "  TRACK 03 AUDIO\n", Fault::kTrackNumber, "a track number skipped"},
      {kFile + "  TRACK 100 AUDIO\n", Fault::kMalformed, "a three-digit track number"},
      {kFile + "  TRACK 01 MODE2/2048\n", Fault::kMalformed, "a mode no sheet writer uses"},
      {kFile + "  TRACK 01\n", Fault::kMalformed, "a track without its mode"},
      {kFile + "  TRACK 01 AUDIO AUDIO\n", Fault::kMalformed, "a field too many"},
      {kFile + "  TRACK 01 AUDIO\n    INDEX 00 00:00:00\n" + kTrack2, Fault::kNoIndex01,
       "a track without INDEX 01 before the next"},
      {kFile + "  TRACK 01 AUDIO\n", Fault::kNoIndex01, "the last track without INDEX 01"},
      {kDisc + "    INDEX 01 00:05:00\n", Fault::kIndexOrder, "an index number repeated"},
      {kDisc + "    INDEX 00 00:05:00\n", Fault::kIndexOrder, "an index number falling"},
      {kDisc + "    INDEX 100 00:05:00\n", Fault::kMalformed, "a three-digit index number"},
      {kDisc + "    INDEX 02 00:03:74\n", Fault::kTimeBackwards, "an index before the last"},
      {kFile + "  TRACK 01 AUDIO\n    INDEX 01 00:05:00\n" + kTrack2, Fault::kTimeBackwards,
       "a track before the last in the same file"},
      {kDisc + "    INDEX 02 00:60:00\n", Fault::kBadTime, "sixty seconds"},
      {kDisc + "    INDEX 02 00:05:75\n", Fault::kBadTime, "seventy-five frames"},
      {kDisc + "    INDEX 02 100:00:00\n", Fault::kBadTime, "three-digit minutes"},
      {kDisc + "    INDEX 02 00:05\n", Fault::kBadTime, "two parts"},
      {kDisc + "    INDEX 02 00:05:00:00\n", Fault::kBadTime, "four parts"},
      {kDisc + "    INDEX 02 00:+5:00\n", Fault::kBadTime, "a sign"},
      {kDisc + "    PREGAP 0\n", Fault::kBadTime, "a gap without its form"},
      {kFile + "    INDEX 01 00:00:00\n" + kTrack1, Fault::kMisplaced, "an index before a track"},
      {kDisc + "CATALOG 0123456789012\n", Fault::kMisplaced, "a catalog number in a track"},
      {"CDTEXTFILE a.cdt\n" + kDisc + "CDTEXTFILE a.cdt\n", Fault::kMisplaced,
       "a CD-Text file in a track"},
      {"ISRC JPABC9912345\n" + kDisc, Fault::kMisplaced, "an ISRC for the disc"},
      {"FLAGS DCP\n" + kDisc, Fault::kMisplaced, "flags for the disc"},
      {"PREGAP 00:02:00\n" + kDisc, Fault::kMisplaced, "a gap for the disc"},
      {"CATALOG 012345678901\n" + kDisc, Fault::kMalformed, "a catalog number of 12 digits"},
      {"CATALOG 012345678901X\n" + kDisc, Fault::kMalformed, "a catalog number with a letter"},
      {"CATALOG 0123456789012\nCATALOG 0123456789012\n" + kDisc, Fault::kRepeated,
       "two catalog numbers"},
      {kDisc + "    ISRC JPABC991234\n", Fault::kMalformed, "an ISRC of 11 characters"},
      {kDisc + "    ISRC JP-ABC-99-1234\n", Fault::kMalformed, "an ISRC with dashes"},
      {kDisc + "    ISRC JPABC9912345\n    ISRC JPABC9912345\n", Fault::kRepeated, "two ISRCs"},
      {kDisc + "    FLAGS DCP COPY\n", Fault::kMalformed, "an unknown flag"},
      {kDisc + "    FLAGS\n", Fault::kMalformed, "no flag"},
      {kDisc + "    PREGAP 00:01:00\n    PREGAP 00:01:00\n", Fault::kRepeated, "two pregaps"},
      {"TITLE \"Day Trip\"\n" + kFile + "TITLE Other\n" + kTrack1, Fault::kRepeated,
       "two titles for the disc"},
      {"TITLE \"Day Trip\n" + kDisc, Fault::kBadText, "a quote not closed on its line"},
      {"TITLE \"Day\tTrip\"\n" + kDisc, Fault::kBadText, "a tab in a title"},
      {"TITLE \"Day\"Trip\n" + kDisc, Fault::kBadText, "a title running past its quote"},
      {"TITLE Day\"Trip\n" + kDisc, Fault::kBadText, "a quote inside a word"},
      {"TITLE\n" + kDisc, Fault::kBadText, "no title"},
      {"TITLE \"" + std::string(fs::kMaxCueTextBytes + 1, 'a') + "\"\n" + kDisc, Fault::kBadText,
       "a title over its length"},
      {"TITLE \"Day\" Trip\n" + kDisc, Fault::kMalformed, "a word after the title"},
      {"FILE \"../Image.bin\" BINARY\n" + kTrack1, Fault::kBadFileName, "a path up"},
      {"FILE \"/tmp/Image.bin\" BINARY\n" + kTrack1, Fault::kBadFileName, "an absolute path"},
      {"FILE \"..\" BINARY\n" + kTrack1, Fault::kBadFileName, "the folder above"},
      {"FILE \"\" BINARY\n" + kTrack1, Fault::kBadFileName, "no name"},
      {"FILE \"" + std::string(256, 'a') + "\" BINARY\n" + kTrack1, Fault::kBadFileName,
       "a name over 255 bytes"},
      {"FILE \"Image.bin BINARY\n" + kTrack1, Fault::kBadFileName, "a name with its quote broken"},
      {"CDTEXTFILE \"/etc/passwd\"\n" + kDisc, Fault::kBadFileName, "a CD-Text file elsewhere"},
      {"CDTEXTFILE  \"Image.cdt\"\n" + kDisc, Fault::kBadFileName,
       "two blanks before the name: libcdio would open a file named by the second blank"},
      {"CDTEXTFILE Image.cdt \n" + kDisc, Fault::kBadFileName,
       "a blank after a name without quotes, which libcdio takes as part of the name"},
      {"FILE \"Image.wav\" WAVE\n" + kTrack1, Fault::kMalformed, "a sound file, no image"},
      {"FILE \"Image.bin\"\n" + kTrack1, Fault::kMalformed, "a file without its type"},
      {"COMPOSER \"Me\"\n" + kDisc, Fault::kUnknownKeyword, "a keyword sheets do not have"},
      {"REMARK x\n" + kDisc, Fault::kUnknownKeyword, "a keyword that starts like REM"},
      {"\x1A" + kDisc, Fault::kUnknownKeyword, "stray bytes"},
      {"FILE \"Image.bin\" BINARY\r  TRACK 01 AUDIO\r    INDEX 01 00:00:00\r", Fault::kBadLineEnd,
       "CR line ends, one line to libcdio"},
      {"REM a\rTRACK 93 AUDIO\n" + kDisc, Fault::kBadLineEnd, "a CR inside a line"},
      {kDisc + "REM\r", Fault::kBadLineEnd, "a CR ending the last line"},
      {std::string("REM \0\n", 6) + kDisc, Fault::kNulByte, "a NUL, even in a remark"},
  };
  for (const Case& c : cases) EXPECT_EQ(Check(c.sheet), c.fault) << c.why;
}

// libcdio fails the whole sheet, and loses memory, when it cannot read at least 5 bytes of the
// CD-Text file the sheet names: the check reads them first.
TEST(FilesCueSheet, ACdTextFileMustHoldAtLeastFiveBytesThatCanBeRead) {
  sp_testing::HomeScope home;
  const std::string sheet = home.Path("Image.cue");
  const std::string cdText = home.Path("Image.cdt");
  const struct {
    const char* contents;  // null: no such file; "/": a folder
    Fault fault;
    const char* why;
  } cases[] = {
      {"12345", Fault::kNone, "five bytes"},
      {"1234", Fault::kBadCdTextFile, "four bytes"},
      {"", Fault::kBadCdTextFile, "an empty file"},
      {nullptr, Fault::kBadCdTextFile, "no such file"},
      {"/", Fault::kBadCdTextFile, "a folder of that name"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(cdText);
    if (c.contents != nullptr && std::string(c.contents) == "/") {
      std::filesystem::create_directory(cdText);
    } else if (c.contents != nullptr) {
      files_test::WriteHostFile(cdText, c.contents);
    }
    for (const char* line : {"CDTEXTFILE \"Image.cdt\"\n", "CDTEXTFILE\tImage.cdt\r\n"}) {
      files_test::WriteHostFile(sheet, line + kDisc);
      EXPECT_EQ(fs::CheckCueSheetFile(sheet), c.fault) << c.why << ": " << line;
    }
  }
  files_test::WriteHostFile(sheet, kDisc);
  EXPECT_EQ(fs::CheckCueSheetFile(sheet), Fault::kNone) << "no CD-Text file named";
}

TEST(FilesCueSheet, SizesPassUpToTheirLimitsAndNotOnePast) {
  std::string tracks;
  for (int t = 1; t <= 99; ++t) {
    tracks += "TRACK " + std::to_string(t) + " AUDIO\nINDEX 01 00:00:00\n";
  }
  EXPECT_EQ(Check(kFile + tracks), Fault::kNone) << "99 tracks";
  EXPECT_EQ(Check(kFile + tracks + "TRACK 100 AUDIO\n"), Fault::kMalformed) << "a hundredth";

  const std::string remark = "REM " + std::string(fs::kMaxCueLineBytes - 4, 'x') + "\n";
  EXPECT_EQ(Check(remark + kDisc), Fault::kNone);
  EXPECT_EQ(Check("x" + remark + kDisc), Fault::kLineTooLong);
  EXPECT_EQ(Check("TITLE \"" + std::string(fs::kMaxCueTextBytes, 'a') + "\"\n" + kDisc),
            Fault::kNone);
  EXPECT_EQ(Check("FILE \"" + std::string(255, 'a') + "\" BINARY\n" + kTrack1), Fault::kNone);

  std::string whole = kDisc;
  while (whole.size() + remark.size() <= fs::kMaxCueSheetBytes) whole += remark;
  whole += std::string(fs::kMaxCueSheetBytes - whole.size(), '\n');
  EXPECT_EQ(Check(whole), Fault::kNone) << "a sheet of the largest size";
  EXPECT_EQ(Check(whole + "\n"), Fault::kTooLarge);

  // From a file, read no further than one byte past the limit.
  sp_testing::HomeScope home;
  const std::string path = home.Path("Image.cue");
  EXPECT_EQ(fs::CheckCueSheetFile(path), Fault::kUnreadable) << "no file";
  files_test::WriteHostFile(path, whole);
  EXPECT_EQ(fs::CheckCueSheetFile(path), Fault::kNone);
  files_test::WriteHostFile(path, whole + "\n");
  EXPECT_EQ(fs::CheckCueSheetFile(path), Fault::kTooLarge);
}

// A sheet's title as libcdio hands it out: each byte of the sheet as a Latin-1 character.
std::string AsLibcdioReadsIt(const std::string& bytes) {
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out.push_back(c);
    } else {
      out.push_back(char(0xC0 | (b >> 6)));
      out.push_back(char(0x80 | (b & 0x3F)));
    }
  }
  return out;
}

// Titles come back as their writer wrote them: Western titles in Latin-1 or Windows-1252 whose
// bytes happen to be valid Shift-JIS too (accented capitals are half-width katakana there,
// lower-case accented letters lead bytes of rarer kanji) stay Western; Shift-JIS titles stay
// Japanese, also kana whose second bytes are ASCII letters.
TEST(CueSheetText, WesternAndShiftJISTitlesReadAsWritten) {
  struct Case {
    std::string bytes, shown;
  };
  const Case cases[] = {
      {"\xDC" "ber Alles", "Über Alles"},
      {"\xC9" "mile", "Émile"},
      {"\xC4" "rger", "Ärger"},
      {"\xC7" "a va", "Ça va"},
      {"Se\xF1or", "Señor"},
      {"M\xE4" "dchen", "Mädchen"},
      {"Can\xE7\xE3o", "Canção"},
      {"Don\x92t Stop \x92Til You Get Enough", "Don’t Stop ’Til You Get Enough"},
      {"\x91Round Midnight", "‘Round Midnight"},
      {"\x92Til Tuesday", "’Til Tuesday"},
      {"\x8Cuvre compl\xE8te", "Œuvre complète"},
      {"Rock \x92n\x92 Roll", "Rock ’n’ Roll"},
      {"\x93Heroes\x94 Live", "“Heroes” Live"},
      {"\xC9\xC0\xDC", "ÉÀÜ"},
      {"\xC0", "À"},
      {"Caf\xE9 Noir", "Café Noir"},
      // Common kanji beside half-width katakana at a word's start or end: those are accented
      // capitals, and the title Western.
      {"\xC9" "lan \x93\x8C\x8B\x9E", "Élan “Œ‹ž"},
      {"CAF\xC9 \x93\x8C\x8B\x9E", "CAFÉ “Œ‹ž"},
      {"D\xC9J\xC0 VU \x93\x8C", "DÉJÀ VU “Œ"},
      {"\xC9T\xC9 \x93\x8C", "ÉTÉ “Œ"},
      {"\x8B\xC8" "A", "曲A"},
      {"\x89\xCC\x8B\xC8", "歌曲"},
      {"\x83\x41\x83\x43", "アイ"},
      {"TV\x83\x41\x83\x6A\x83\x81", "TVアニメ"},
      {"\xB1\xB2 \x82\xA0", "ｱｲ あ"},
      {"2\xB1\xB2 \x82\xA0", "2ｱｲ あ"},
      {"一曲目", "一曲目"},
      {"Plain", "Plain"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fs::SheetText(AsLibcdioReadsIt(c.bytes)), c.shown) << c.shown;
  }
  // Bytes libcdio left as they are (not valid UTF-8 as it hands them) are read the same way.
  EXPECT_EQ(fs::SheetText("\xDC" "ber"), "Über");
  EXPECT_EQ(fs::SheetText("\x83\x41\x83\x43"), "アイ");
}

}  // namespace
