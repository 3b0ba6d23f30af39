// The check of CUE sheets before libcdio reads them: one pass over the lines, keeping only
// the state of the current FILE and TRACK.

#include "detail/CueSheets.h"

#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "SpTextCodec.h"

namespace sp_platform {
namespace files {
namespace {

using Fault = CueSheetFault;

constexpr std::size_t kMaxFileNameBytes = 255;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsAlnum(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsTextByte(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x20 && u != 0x7F;
}

// Reserved words compare without regard to ASCII case.
bool SameWord(std::string_view word, std::string_view upper) {
  if (word.size() != upper.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    char c = word[i];
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return true;
}

bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> choices) {
  for (std::string_view choice : choices) {
    if (SameWord(word, choice)) return true;
  }
  return false;
}

// One or two digits; -1 for anything else.
int SmallNumber(std::string_view word) {
  if (word.empty() || word.size() > 2) return -1;
  int value = 0;
  for (char c : word) {
    if (!IsDigit(c)) return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// mm:ss:ff as a count of frames (75 a second); -1 for anything else.
long Time(std::string_view word) {
  int parts[3] = {};
  for (int i = 0; i < 3; ++i) {
    const std::size_t colon = i < 2 ? word.find(':') : word.size();
    if (colon == std::string_view::npos) return -1;
    parts[i] = SmallNumber(word.substr(0, colon));
    if (parts[i] < 0) return -1;
    word.remove_prefix(i < 2 ? colon + 1 : colon);
  }
  if (parts[1] >= 60 || parts[2] >= 75) return -1;
  return (parts[0] * 60L + parts[1]) * 75L + parts[2];
}

bool AllOf(std::string_view word, bool (*test)(char)) {
  for (char c : word) {
    if (!test(c)) return false;
  }
  return true;
}

// The CD-Text file's name as libcdio takes it from the rest of the line after the keyword:
// past the one blank that ends the keyword, from the first byte that is no quote, tab or CR
// to the next such byte. A name read otherwise (after two blanks, or with a blank after it)
// would be another file to libcdio.
std::string_view LibcdioName(std::string_view rest) {
  constexpr std::string_view kStops = "\"\t\r";
  if (rest.empty()) return rest;
  rest.remove_prefix(1);
  const std::size_t start = rest.find_first_not_of(kStops);
  if (start == std::string_view::npos) return std::string_view();
  rest.remove_prefix(start);
  return rest.substr(0, rest.find_first_of(kStops));
}

bool IsPlainFileName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxFileNameBytes && name != "." && name != ".." &&
         name.find('/') == std::string_view::npos;
}

// The fields of one line after its keyword, separated by blanks.
class Fields {
 public:
  explicit Fields(std::string_view rest) : rest_(rest) {}

  std::string_view Rest() const { return rest_; }

  bool AtEnd() {
    SkipBlanks();
    return rest_.empty();
  }

  // The next run of bytes up to a blank or the end; empty at the end.
  std::string_view Word() {
    SkipBlanks();
    std::size_t n = 0;
    while (n < rest_.size() && !IsBlank(rest_[n])) ++n;
    const std::string_view word = rest_.substr(0, n);
    rest_.remove_prefix(n);
    return word;
  }

  // A quoted string closed on the line and followed by a blank or the end, or a word without
  // quotes; either without control characters. False for anything else.
  bool Text(std::string_view* text) {
    SkipBlanks();
    if (!rest_.empty() && rest_[0] == '"') {
      const std::size_t close = rest_.find('"', 1);
      if (close == std::string_view::npos) return false;
      *text = rest_.substr(1, close - 1);
      rest_.remove_prefix(close + 1);
      if (!rest_.empty() && !IsBlank(rest_[0])) return false;
      return text->size() <= kMaxCueTextBytes && AllOf(*text, IsTextByte);
    }
    *text = Word();
    return !text->empty() && text->find('"') == std::string_view::npos && AllOf(*text, IsTextByte);
  }

 private:
  void SkipBlanks() {
    while (!rest_.empty() && IsBlank(rest_[0])) rest_.remove_prefix(1);
  }

  std::string_view rest_;
};

enum class Keyword {
  kUnknown,
  kRem,
  kCatalog,
  kCdTextFile,
  kTitle,
  kPerformer,
  kSongwriter,
  kFile,
  kTrack,
  kFlags,
  kIsrc,
  kPregap,
  kPostgap,
  kIndex,
};

Keyword KeywordOf(std::string_view word) {
  static const struct {
    std::string_view name;
    Keyword keyword;
  } kKeywords[] = {
      {"REM", Keyword::kRem},
      {"CATALOG", Keyword::kCatalog},
      {"CDTEXTFILE", Keyword::kCdTextFile},
      {"TITLE", Keyword::kTitle},
      {"PERFORMER", Keyword::kPerformer},
      {"SONGWRITER", Keyword::kSongwriter},
      {"FILE", Keyword::kFile},
      {"TRACK", Keyword::kTrack},
      {"FLAGS", Keyword::kFlags},
      {"ISRC", Keyword::kIsrc},
      {"PREGAP", Keyword::kPregap},
      {"POSTGAP", Keyword::kPostgap},
      {"INDEX", Keyword::kIndex},
  };
  for (const auto& entry : kKeywords) {
    if (SameWord(word, entry.name)) return entry.keyword;
  }
  return Keyword::kUnknown;
}

// What may come once for the disc (before the first TRACK) or once per track.
enum Once : unsigned {
  kOnceCatalog = 1u << 0,
  kOnceCdTextFile = 1u << 1,
  kOnceTitle = 1u << 2,
  kOncePerformer = 1u << 3,
  kOnceSongwriter = 1u << 4,
  kOnceFlags = 1u << 5,
  kOnceIsrc = 1u << 6,
  kOncePregap = 1u << 7,
  kOncePostgap = 1u << 8,
};

class Checker {
 public:
  Fault Line(std::string_view line) {
    Fields fields(line);
    const std::string_view word = fields.Word();
    if (word.empty()) return Fault::kNone;
    const Keyword keyword = KeywordOf(word);
    if (keyword == Keyword::kRem) return Fault::kNone;
    const Fault fault = Statement(keyword, fields);
    if (fault != Fault::kNone) return fault;
    return fields.AtEnd() ? Fault::kNone : Fault::kMalformed;
  }

  const std::string& CdTextFile() const { return cdTextFile_; }
  const std::vector<std::string>& BigEndianFiles() const { return bigEndianFiles_; }

  Fault End() const {
    if (tracks_ > 0 && !hasIndex01_) return Fault::kNoIndex01;
    if (sawFile_ && !fileHasTrack_) return Fault::kFileWithoutTrack;
    return tracks_ == 0 ? Fault::kNoTrack : Fault::kNone;
  }

 private:
  Fault Statement(Keyword keyword, Fields& fields) {
    switch (keyword) {
      case Keyword::kCatalog:
        return Catalog(fields);
      case Keyword::kCdTextFile:
        return CdTextFile(fields);
      case Keyword::kTitle:
        return Text(fields, kOnceTitle);
      case Keyword::kPerformer:
        return Text(fields, kOncePerformer);
      case Keyword::kSongwriter:
        return Text(fields, kOnceSongwriter);
      case Keyword::kFile:
        return File(fields);
      case Keyword::kTrack:
        return Track(fields);
      case Keyword::kFlags:
        return Flags(fields);
      case Keyword::kIsrc:
        return Isrc(fields);
      case Keyword::kPregap:
        return Gap(fields, kOncePregap);
      case Keyword::kPostgap:
        return Gap(fields, kOncePostgap);
      case Keyword::kIndex:
        return Index(fields);
      default:
        return Fault::kUnknownKeyword;
    }
  }

  // Marks `what` as given in the current scope; false when it was already.
  bool First(unsigned what) {
    unsigned& seen = tracks_ == 0 ? discSeen_ : trackSeen_;
    if ((seen & what) != 0) return false;
    seen |= what;
    return true;
  }

  Fault Catalog(Fields& fields) {
    if (tracks_ > 0) return Fault::kMisplaced;
    if (!First(kOnceCatalog)) return Fault::kRepeated;
    const std::string_view number = fields.Word();
    return number.size() == 13 && AllOf(number, IsDigit) ? Fault::kNone : Fault::kMalformed;
  }

  Fault CdTextFile(Fields& fields) {
    if (tracks_ > 0) return Fault::kMisplaced;
    if (!First(kOnceCdTextFile)) return Fault::kRepeated;
    const std::string_view asLibcdioReadsIt = LibcdioName(fields.Rest());
    std::string_view name;
    if (!fields.Text(&name) || !IsPlainFileName(name) || name != asLibcdioReadsIt)
      return Fault::kBadFileName;
    cdTextFile_ = std::string(name);
    return Fault::kNone;
  }

  Fault Text(Fields& fields, unsigned what) {
    if (!First(what)) return Fault::kRepeated;
    std::string_view text;
    return fields.Text(&text) ? Fault::kNone : Fault::kBadText;
  }

  Fault File(Fields& fields) {
    if (sawFile_ && !fileHasTrack_) return Fault::kFileWithoutTrack;
    std::string_view name;
    if (!fields.Text(&name) || !IsPlainFileName(name)) return Fault::kBadFileName;
    const std::string_view order = fields.Word();
    if (!IsOneOf(order, {"BINARY", "MOTOROLA"})) return Fault::kMalformed;
    if (order == "MOTOROLA") bigEndianFiles_.emplace_back(name);
    sawFile_ = true;
    fileHasTrack_ = false;
    lastTime_ = -1;
    return Fault::kNone;
  }

  Fault Track(Fields& fields) {
    if (!sawFile_) return Fault::kMisplaced;
    if (tracks_ > 0 && !hasIndex01_) return Fault::kNoIndex01;
    const int number = SmallNumber(fields.Word());
    if (number < 0) return Fault::kMalformed;
    // Two digits keep a disc at most 99 tracks, as libcdio's table holds.
    if (number != tracks_ + 1) return Fault::kTrackNumber;
    if (!IsOneOf(fields.Word(), {"AUDIO", "CDG", "MODE1/2048", "MODE1/2352", "MODE2/2336",
                                 "MODE2/2352", "CDI/2336", "CDI/2352"})) {
      return Fault::kMalformed;
    }
    ++tracks_;
    fileHasTrack_ = true;
    trackSeen_ = 0;
    lastIndex_ = -1;
    hasIndex01_ = false;
    return Fault::kNone;
  }

  Fault Flags(Fields& fields) {
    if (tracks_ == 0) return Fault::kMisplaced;
    if (!First(kOnceFlags)) return Fault::kRepeated;
    int count = 0;
    while (!fields.AtEnd()) {
      if (!IsOneOf(fields.Word(), {"DCP", "4CH", "PRE", "SCMS"})) return Fault::kMalformed;
      ++count;
    }
    return count > 0 ? Fault::kNone : Fault::kMalformed;
  }

  Fault Isrc(Fields& fields) {
    if (tracks_ == 0) return Fault::kMisplaced;
    if (!First(kOnceIsrc)) return Fault::kRepeated;
    const std::string_view code = fields.Word();
    return code.size() == 12 && AllOf(code, IsAlnum) ? Fault::kNone : Fault::kMalformed;
  }

  Fault Gap(Fields& fields, unsigned what) {
    if (tracks_ == 0) return Fault::kMisplaced;
    if (!First(what)) return Fault::kRepeated;
    return Time(fields.Word()) < 0 ? Fault::kBadTime : Fault::kNone;
  }

  Fault Index(Fields& fields) {
    if (tracks_ == 0) return Fault::kMisplaced;
    const int number = SmallNumber(fields.Word());
    if (number < 0) return Fault::kMalformed;
    if (number <= lastIndex_) return Fault::kIndexOrder;
    const long time = Time(fields.Word());
    if (time < 0) return Fault::kBadTime;
    if (time < lastTime_) return Fault::kTimeBackwards;
    lastIndex_ = number;
    lastTime_ = time;
    if (number == 1) hasIndex01_ = true;
    return Fault::kNone;
  }

  int tracks_ = 0;
  bool sawFile_ = false;
  bool fileHasTrack_ = false;
  long lastTime_ = -1;  // of the current FILE
  int lastIndex_ = -1;  // of the current track
  bool hasIndex01_ = false;
  unsigned discSeen_ = 0;
  unsigned trackSeen_ = 0;
  std::string cdTextFile_;
  std::vector<std::string> bigEndianFiles_;
};

// libcdio reads at least 5 bytes of a CD-Text file, or refuses the sheet.
bool CanReadCdTextFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char start[5];
  const bool read = std::fread(start, 1, sizeof start, file) == sizeof start;
  std::fclose(file);
  return read;
}

bool IsAsciiLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Whether bytes that are valid code page 932 (`decoded` being their characters) read as
// Japanese text (see SheetText).
bool ReadsAsJapanese(const std::string& bytes, const std::u16string& decoded) {
  for (char16_t c : decoded) {
    if (c >= 0xE000 && c <= 0xF8FF) return false;  // the user-defined area
  }
  bool firstLevel = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) continue;
    const bool letterBefore = i > 0 && IsAsciiLetter(static_cast<unsigned char>(bytes[i - 1]));
    if (b >= 0xA1 && b <= 0xDF) {  // one byte: a half-width katakana
      const bool letterAfter =
          i + 1 < bytes.size() && IsAsciiLetter(static_cast<unsigned char>(bytes[i + 1]));
      if (letterBefore || letterAfter) return false;
      continue;
    }
    if (i + 1 >= bytes.size()) return false;  // a lead byte without its second byte
    const auto trail = static_cast<unsigned char>(bytes[i + 1]);
    // Lead bytes 0x81..0x84 hold the signs and the kana; 0x85..0x9F the common kanji, which
    // in Windows-1252 are its quotes, dashes and a few letters (Œ, Š, Ž): one of those
    // before a letter that starts, goes on or ends a word ("Don’t", "’Til", "Œuvre") is
    // Western.
    const bool letterAfter =
        i + 2 < bytes.size() && IsAsciiLetter(static_cast<unsigned char>(bytes[i + 2]));
    const bool inWord = IsAsciiLetter(trail) && (letterBefore || letterAfter);
    if (b <= 0x84 || (b <= 0x9F && !inWord)) firstLevel = true;
    ++i;
  }
  return firstLevel;
}

}  // namespace

std::string SheetText(const std::string& read) {
  std::u16string chars;
  std::string bytes;
  if (!sp::text::DecodeToUTF16(kTextEncodingUTF8, read.data(), read.size(), chars)) {
    bytes = read;  // the sheet's own bytes, where libcdio left them as they are
  } else {
    for (char16_t c : chars) {
      if (c > 0xFF) return read;
      bytes.push_back(char(c));
    }
    if (bytes == read) return read;  // ASCII
  }
  std::u16string decoded;
  if (sp::text::DecodeToUTF16(kTextEncodingUTF8, bytes.data(), bytes.size(), decoded) ||
      (sp::text::DecodeToUTF16(kTextEncodingDOSJapanese, bytes.data(), bytes.size(), decoded) &&
       ReadsAsJapanese(bytes, decoded)) ||
      sp::text::DecodeToUTF16(kTextEncodingWindowsLatin1, bytes.data(), bytes.size(), decoded)) {
    return sp::text::UTF16ToUTF8(decoded);
  }
  return read;
}

CueSheetFault CheckCueSheet(const char* data, std::size_t size, std::string* cdTextFile,
                            std::vector<std::string>* bigEndianFiles) {
  if (size > kMaxCueSheetBytes) return Fault::kTooLarge;
  std::string_view text(data, size);
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (text.find('\0') != std::string_view::npos) return Fault::kNulByte;
  Checker checker;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r' && end != std::string_view::npos) {
      line.remove_suffix(1);
    }
    if (line.find('\r') != std::string_view::npos) return Fault::kBadLineEnd;
    if (line.size() > kMaxCueLineBytes) return Fault::kLineTooLong;
    const Fault fault = checker.Line(line);
    if (fault != Fault::kNone) return fault;
  }
  if (cdTextFile != nullptr) *cdTextFile = checker.CdTextFile();
  if (bigEndianFiles != nullptr) *bigEndianFiles = checker.BigEndianFiles();
  return checker.End();
}

CueSheetFault CheckCueSheetFile(const std::string& path, std::vector<std::string>* bigEndianFiles,
                                std::string* cdTextFileName) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return Fault::kUnreadable;
  std::string text(kMaxCueSheetBytes + 1, '\0');
  text.resize(std::fread(&text[0], 1, text.size(), file));
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return Fault::kUnreadable;
  std::string cdTextFile;
  const Fault fault = CheckCueSheet(text.data(), text.size(), &cdTextFile, bigEndianFiles);
  if (cdTextFileName != nullptr) *cdTextFileName = cdTextFile;
  if (fault != Fault::kNone || cdTextFile.empty()) return fault;
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  return CanReadCdTextFile(folder + "/" + cdTextFile) ? Fault::kNone : Fault::kBadCdTextFile;
}

}  // namespace files
}  // namespace sp_platform
