// The check a CUE sheet from the media folder passes before libcdio reads it. Not for the
// program's own code.
//
// libcdio's sheet parser trusts its input: a first track numbered other than 1 makes it index
// its track table before the table's start, more than 99 tracks run past its end, a sheet
// without tracks writes before it, a FILE without a TRACK, a second CATALOG or ISRC loses
// memory, a CDTEXTFILE it cannot read at least 5 bytes from fails the whole sheet and loses
// memory, and it reads lines of at most 4,095 bytes ended by LF only (longer lines and
// CR-ended ones are cut into pieces it reads as lines of their own). So a sheet goes to
// libcdio only when it is of the well-formed kind real disc images have:
//   - at most kMaxCueSheetBytes; an optional UTF-8 byte-order mark; lines ended by LF or CRLF,
//     none longer than kMaxCueLineBytes; no NUL byte;
//   - each line blank, or a keyword (any case, after blanks) with its fields, blank-separated,
//     and nothing after them:
//       REM anything
//       CATALOG 13 digits                           before the first TRACK, once
//       CDTEXTFILE name                             before the first TRACK, once
//       TITLE, PERFORMER, SONGWRITER text           once for the disc and once per track
//       FILE name BINARY|MOTOROLA
//       TRACK nn mode                               nn 1, 2, 3, ... (at most 99); mode one of
//                                                   AUDIO, CDG, MODE1/2048, MODE1/2352,
//                                                   MODE2/2336, MODE2/2352, CDI/2336, CDI/2352
//       FLAGS DCP|4CH|PRE|SCMS ...                  in a track, once
//       ISRC 12 letters or digits                   in a track, once
//       PREGAP mm:ss:ff, POSTGAP mm:ss:ff           in a track, once each
//       INDEX nn mm:ss:ff                           in a track; nn 0..99 rising, 01 present
//     where text is a "quoted string" closed on its line (no control character, at most
//     kMaxCueTextBytes) or one word without quotes; a name is such a text that is a plain
//     file name (no '/', not "." or "..", at most 255 bytes), the file lying beside the
//     sheet; a CDTEXTFILE name follows its keyword after one blank and is followed by
//     nothing (libcdio takes the rest of the line as the name), and names a file of at
//     least 5 bytes that can be read; nn is one or two digits; in mm:ss:ff each part is one or two
//     digits, ss < 60, ff < 75, and the INDEX times of one FILE never go backwards;
//   - a FILE before the first TRACK, and a TRACK after every FILE before the next one.
// libcdio itself refuses some of what passes (lower-case keywords, a byte-order mark,
// POSTGAP, the CDG and CDI modes): such a sheet is no disc, safely.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sp_platform {
namespace files {

constexpr std::size_t kMaxCueSheetBytes = 1 << 20;
constexpr std::size_t kMaxCueLineBytes = 1024;  // without its line end
constexpr std::size_t kMaxCueTextBytes = 512;   // inside the quotes

// Why a sheet is refused; kNone for a sheet that passes.
enum class CueSheetFault {
  kNone,
  kUnreadable,  // the file cannot be opened or read
  kTooLarge,    // over kMaxCueSheetBytes
  kBadLineEnd,  // a CR not followed by LF
  kNulByte,
  kLineTooLong,  // over kMaxCueLineBytes
  kUnknownKeyword,
  kMalformed,         // a field missing, extra or not of its form
  kBadText,           // a string not closed on its line, with control characters, or too long
  kBadFileName,       // a FILE or CDTEXTFILE name that is no plain file name
  kBadCdTextFile,     // a CDTEXTFILE that cannot be read, or of fewer than 5 bytes
  kBadTime,           // not mm:ss:ff, or ss or ff out of range
  kMisplaced,         // TRACK before FILE, CATALOG after a TRACK, INDEX before one, ...
  kRepeated,          // a keyword given twice where it may come once
  kTrackNumber,       // a track numbered other than the one after the last
  kIndexOrder,        // an index number not above the one before it
  kNoIndex01,         // a track without INDEX 01
  kTimeBackwards,     // an INDEX before an earlier one of the same FILE
  kFileWithoutTrack,  // a FILE with no TRACK before the next FILE or the end
  kNoTrack,           // no TRACK at all
};

// Checks a sheet held in memory. Linear in size; keeps no copy. The name of its CD-Text file
// (empty for none) goes to `cdTextFile` when that is given, and the names of the FILEs marked
// MOTOROLA (whose samples are big-endian, not little-endian as BINARY ones) to
// `bigEndianFiles`.
CueSheetFault CheckCueSheet(const char* data, std::size_t size, std::string* cdTextFile = nullptr,
                            std::vector<std::string>* bigEndianFiles = nullptr);

// Reads the sheet at `path` (at most one byte past kMaxCueSheetBytes) and checks it, and the
// CD-Text file it names (its name to `cdTextFile` when that is given).
CueSheetFault CheckCueSheetFile(const std::string& path,
                                std::vector<std::string>* bigEndianFiles = nullptr,
                                std::string* cdTextFile = nullptr);

// The text of a sheet's TITLE (or PERFORMER) as its writer meant it, as UTF-8. `read` is the
// text as libcdio hands it out: it reads a sheet's bytes as ISO-8859-1, so a UTF-8 or
// Shift-JIS title (as Japanese rippers write them) comes out as Latin-1 characters, one per
// byte. Those bytes are taken back and read as UTF-8 where they are; else as code page 932
// where they are and read as Japanese; else as Windows-1252 (Latin-1 with its quotes and
// dashes). Bytes that are valid code page 932 but read as Western text stay Western: a
// capital accented letter (a half-width katakana in code page 932) beside an ASCII letter, a
// character of the user-defined area, or no character of the first level of JIS X 0208
// (signs, kana and the common kanji, whose lead bytes are control characters in Latin-1) that
// is not a Windows-1252 quote or dash inside a word ("Don't"). Text holding characters beyond
// Latin-1 was not read so and stays as it is.
std::string SheetText(const std::string& read);

}  // namespace files
}  // namespace sp_platform
