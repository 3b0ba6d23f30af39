// Reading "iTunes Music Library.xml" into the library model.
//
// The file is read in one pass: its bytes go to expat a block at a time, and the handlers
// below build tracks and playlists as the elements close, with no property-list tree in
// between. The document is checked as the property-list reader checks it (the same elements,
// the same values, keys and values in pairs, no entity declarations, at most kMaxDepth
// elements open), so a file that one refuses the other refuses too.
//
// A dictionary's key that is written twice counts with its last value, as in a property
// list; only "Tracks" delivers every entry it holds, in the order of the file. The tracks are
// filed only when the whole document has parsed, so a damaged file adds nothing and does not
// count as read. The playlists, which name tracks by id, are resolved after the tracks are
// filed.
//
// Memory stays bounded by what the library keeps: only the texts a track or playlist keeps
// are collected (a name, artist, composer, album, grouping or genre only as far as could
// still fit its field), numbers are read as they stream by, and values nobody reads are
// checked and dropped without being held.
//
// Nothing here reports to the user or the error log: a file that cannot be read leaves the
// program without a library, and CD tracks are then named from the engine's own titles.
#include <expat.h>
#include <strings.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "CFURLFiles.h"
#include "CoreFoundation.h"
#include "Files.h"
#include "Folders.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionFinderInfo.h"
#include "SpTextCodec.h"
#include "SpiTunesMusicInfoObject.h"

sp_itunes::ReadingCounts sp_itunes::gReadingCounts;

namespace {

using sp_itunes::gReadingCounts;

// Elements open at once, as the property-list reader allows.
constexpr std::size_t kMaxDepth = 256;
// The bytes handed to the parser at a time.
constexpr int kReadBlock = 1 << 20;
// The longest key (UTF-8 bytes) a track entry may have: its id as text.
constexpr std::size_t kTrackKeyMost = 127;
// Keys longer than this are none the reader looks for.
constexpr std::size_t kKnownKeyMost = 16;
// The most UTF-8 bytes of a text collected for a field of a fixed size, per byte of the
// field. Text that converts to more than the field takes is not read, and every character
// but a dropped accent takes at most four bytes of UTF-8 and gives at least one byte of the
// program's text, so only text made mostly of accents is refused sooner than it would be.
constexpr std::size_t kFieldSourceFactor = 4;
// A <real> written in more characters is refused; no number needs a tenth of them.
constexpr std::size_t kRealTextMost = 4096;
// A <date> has exactly this many characters.
constexpr std::size_t kDateTextSize = 20;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The same zero-terminated short texts (element and key names: a loop beats a library call).
bool SameName(const char* a, const char* b) {
  while (*a != 0 && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

// ---- Keys -------------------------------------------------------------------------------------

enum Key : UInt8 {
  kKeyOther = 0,
  // the root dictionary
  kKeyMusicFolder,
  kKeyTracks,
  kKeyPlaylists,
  // a track, in the order its fields are filled
  kKeyTrackID,
  kKeyName,
  kKeyArtist,
  kKeyComposer,
  kKeyAlbum,
  kKeyGrouping,
  kKeyGenre,
  kKeyBitRate,
  kKeySampleRate,
  kKeyComments,
  kKeyTotalTime,
  kKeyDiscNumber,
  kKeyDiscCount,
  kKeyTrackNumber,
  kKeyTrackCount,
  kKeyYear,
  kKeyPlayCount,
  kKeyFileType,
  kKeyFileCreator,
  kKeyLocation,
  // a playlist ("Name" as a track's)
  kKeyMaster,
  kKeySmartInfo,
  kKeyPlaylistItems,
};

constexpr int kTrackKeys = kKeyLocation - kKeyTrackID + 1;

struct KeyName {
  const char* text;
  Key key;
};

const KeyName kKeyNames[] = {
    {"Music Folder", kKeyMusicFolder},
    {"Tracks", kKeyTracks},
    {"Playlists", kKeyPlaylists},
    {"Track ID", kKeyTrackID},
    {"Name", kKeyName},
    {"Artist", kKeyArtist},
    {"Composer", kKeyComposer},
    {"Album", kKeyAlbum},
    {"Grouping", kKeyGrouping},
    {"Genre", kKeyGenre},
    {"Bit Rate", kKeyBitRate},
    {"Sample Rate", kKeySampleRate},
    {"Comments", kKeyComments},
    {"Total Time", kKeyTotalTime},
    {"Disc Number", kKeyDiscNumber},
    {"Disc Count", kKeyDiscCount},
    {"Track Number", kKeyTrackNumber},
    {"Track Count", kKeyTrackCount},
    {"Year", kKeyYear},
    {"Play Count", kKeyPlayCount},
    {"File Type", kKeyFileType},
    {"File Creator", kKeyFileCreator},
    {"Location", kKeyLocation},
    {"Master", kKeyMaster},
    {"Smart Info", kKeySmartInfo},
    {"Playlist Items", kKeyPlaylistItems},
};

// The key the text names, compared whole and by length first.
Key KeyOf(const std::string& text) {
  static const std::array<std::vector<KeyName>, kKnownKeyMost + 1> kByLength = [] {
    std::array<std::vector<KeyName>, kKnownKeyMost + 1> table;
    for (const KeyName& name : kKeyNames) table[std::strlen(name.text)].push_back(name);
    return table;
  }();
  if (text.size() > kKnownKeyMost) return kKeyOther;
  for (const KeyName& name : kByLength[text.size()]) {
    if (SameName(name.text, text.c_str())) return name.key;
  }
  return kKeyOther;
}

// How a track reads each of its keys, in the order of Key from kKeyTrackID: a text into a
// field, or a number through a setter (16-bit fields keep the number's low 16 bits).
struct TrackKey {
  bool isText;
  tSpiTMI_TextField field;
  void (*set)(cSPiTMI_TrackInfoObj& track, SInt32 n);
};

SInt16 Low16(SInt32 v) {
  return static_cast<SInt16>(static_cast<UInt16>(UInt32(v) & 0xFFFF));
}

const TrackKey kTrackKeyUse[kTrackKeys] = {
    {false, 0, [](cSPiTMI_TrackInfoObj& t, SInt32 n) { t.SetupTrackID(n); }},
    {true, kSpiTMI_Name, nullptr},
    {true, kSpiTMI_Artist, nullptr},
    {true, kSpiTMI_Composer, nullptr},
    {true, kSpiTMI_Album, nullptr},
    {true, kSpiTMI_Grouping, nullptr},
    {true, kSpiTMI_Genre, nullptr},
    {false, 0, [](cSPiTMI_TrackInfoObj& t, SInt32 n) { t.SetupBitRate(n); }},
    {false, 0, [](cSPiTMI_TrackInfoObj& t, SInt32 n) { t.SetupSampleRate(n); }},
    {true, kSpiTMI_Comments, nullptr},
    {false, 0, [](cSPiTMI_TrackInfoObj& t, SInt32 n) { t.SetupTotalTime(UInt32(n)); }},
    {false, 0, [](cSPiTMI_TrackInfoObj& t, SInt32 n) { t.SetupDiscNumber(Low16(n)); }},
    {false, 0, [](cSPiTMI_TrackInfoObj& t, SInt32 n) { t.SetupDiscCount(Low16(n)); }},
    {false, 0, [](cSPiTMI_TrackInfoObj& t, SInt32 n) { t.SetupTrackNumber(Low16(n)); }},
    {false, 0, [](cSPiTMI_TrackInfoObj& t, SInt32 n) { t.SetupTrackCount(Low16(n)); }},
    {false, 0, [](cSPiTMI_TrackInfoObj& t, SInt32 n) { t.SetupYear(Low16(n)); }},
    {false, 0, [](cSPiTMI_TrackInfoObj& t, SInt32 n) { t.SetupPlayCount(n); }},
    {false, 0, [](cSPiTMI_TrackInfoObj& t, SInt32 n) { t.SetupFileType(UInt32(n)); }},
    {false, 0, [](cSPiTMI_TrackInfoObj& t, SInt32 n) { t.SetupFileCreator(UInt32(n)); }},
    {true, kSpiTMI_Location, nullptr},
};

const TrackKey& UseOf(Key key) {
  return kTrackKeyUse[key - kKeyTrackID];
}

// ---- Values -----------------------------------------------------------------------------------

// An <integer> read as it streams by: blanks around it, a sign, "0x" for hexadecimal digits,
// and a value that fits 64 bits (the property-list reader's rules).
class IntegerScan {
 public:
  void Reset() { *this = IntegerScan(); }
  void Step(char c) {
    switch (state_) {
      case State::kStart:
        if (c == '+' || c == '-') {
          negative_ = c == '-';
          state_ = State::kAfterSign;
          return;
        }
        [[fallthrough]];
      case State::kAfterSign:
        if (c == '0') {
          state_ = State::kZero;
        } else {
          base_ = 10;
          Digit(c);
        }
        return;
      case State::kZero:
        if (c == 'x' || c == 'X') {
          state_ = State::kHexStart;
        } else {
          base_ = 10;
          Digit(c);
        }
        return;
      case State::kHexStart:
        base_ = 16;
        Digit(c);
        return;
      case State::kDigits:
        Digit(c);
        return;
      case State::kBad:
        return;
    }
  }
  void Bad() { state_ = State::kBad; }
  // False when the text was no integer.
  bool Value(SInt64& out) const {
    if (state_ != State::kZero && state_ != State::kDigits) return false;
    constexpr UInt64 kMostNegative = UInt64(1) << 63;
    if (negative_) {
      if (magnitude_ > kMostNegative) return false;
      out = magnitude_ == kMostNegative ? INT64_MIN : -SInt64(magnitude_);
    } else {
      if (magnitude_ > UInt64(INT64_MAX)) return false;
      out = SInt64(magnitude_);
    }
    return true;
  }

 private:
  enum class State : UInt8 { kStart, kAfterSign, kZero, kHexStart, kDigits, kBad };
  void Digit(char c) {
    int v = -1;
    if (c >= '0' && c <= '9') {
      v = c - '0';
    } else if (base_ == 16 && c >= 'a' && c <= 'f') {
      v = c - 'a' + 10;
    } else if (base_ == 16 && c >= 'A' && c <= 'F') {
      v = c - 'A' + 10;
    }
    if (v < 0 || magnitude_ > (UINT64_MAX - UInt64(v)) / UInt64(base_)) {
      state_ = State::kBad;
      return;
    }
    magnitude_ = magnitude_ * UInt64(base_) + UInt64(v);
    state_ = State::kDigits;
  }

  State state_ = State::kStart;
  bool negative_ = false;
  int base_ = 10;
  UInt64 magnitude_ = 0;
};

bool ParseReal(const std::string& token, double& out) {
  const std::size_t from = !token.empty() && token[0] == '+' ? 1 : 0;
  if (from == token.size()) return false;
  const char* end = token.data() + token.size();
  const std::from_chars_result r = std::from_chars(token.data() + from, end, out);
  return r.ec == std::errc() && r.ptr == end;
}

// "YYYY-MM-DDTHH:MM:SSZ" with its fields in range.
bool IsDate(const std::string& t) {
  if (t.size() != kDateTextSize || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' ||
      t[16] != ':' || t[19] != 'Z') {
    return false;
  }
  int v[6];
  const std::size_t at[6] = {0, 5, 8, 11, 14, 17};
  for (int i = 0; i < 6; ++i) {
    const std::size_t length = i == 0 ? 4 : 2;
    const char* end = t.data() + at[i] + length;
    const std::from_chars_result r = std::from_chars(t.data() + at[i], end, v[i]);
    if (r.ec != std::errc() || r.ptr != end || v[i] < 0) return false;
  }
  return v[1] >= 1 && v[1] <= 12 && v[2] >= 1 && v[2] <= 31 && v[3] <= 23 && v[4] <= 59 &&
         v[5] <= 60;
}

bool IsBase64Letter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '/';
}

// A number as a 32-bit signed value, as a property list's number converts: an integer in
// range, or a real that is such an integer exactly.
bool Int32Of(bool isReal, SInt64 integer, double real, SInt32& out) {
  if (isReal) {
    if (!(real >= -2147483648.0 && real <= 2147483647.0) || double(SInt64(real)) != real) {
      return false;
    }
    integer = SInt64(real);
  }
  if (integer < INT32_MIN || integer > INT32_MAX) return false;
  out = SInt32(integer);
  return true;
}

// ---- Text ---------------------------------------------------------------------------------------

// True for plain ASCII that MacJapanese writes alike: the program's text as it stands.
bool IsPlainText(const std::string& utf8) {
  static const std::array<bool, 128> kSame = [] {
    std::array<bool, 128> same{};
    for (char16_t c = 1; c < 128; ++c) {
      const std::string shown = sp::text::UTF16ToMacJapaneseNearest(&c, 1);
      same[c] = shown.size() == 1 && shown[0] == char(c);
    }
    return same;
  }();
  for (char c : utf8) {
    if ((c & 0x80) != 0 || !kSame[std::size_t(c)]) return false;
  }
  return true;
}

// The program's text of the file's UTF-8 text: MacJapanese, a Latin letter it lacks without
// its accent, anything else '?'.
std::string ProgramText(const std::string& utf8) {
  if (IsPlainText(utf8)) return utf8;
  const std::u16string units = sp::text::UTF8ToUTF16(utf8);
  return sp::text::UTF16ToMacJapaneseNearest(units.data(), units.size());
}

// ---- File URLs --------------------------------------------------------------------------------

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The text with its %XX escapes decoded; false for a broken escape.
bool PercentDecode(const std::string& text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int hi = HexValue(text[i + 1]);
    const int lo = HexValue(text[i + 2]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(char(hi * 16 + lo));
    i += 2;
  }
  return true;
}

// True for "file://" followed by the local computer's host (written "localhost", or left
// empty as in "file:///...") and a path.
bool IsLocalFileURL(const std::string& url) {
  const std::size_t colon = url.find(':');
  if (colon == std::string::npos || strncasecmp(url.c_str(), "file", 4) != 0 || colon != 4) {
    return false;
  }
  if (url.compare(colon, 3, "://") != 0) return false;
  const std::size_t hostStart = colon + 3;
  const std::size_t pathStart = url.find('/', hostStart);
  if (pathStart == std::string::npos) return false;
  std::string host;
  if (!PercentDecode(url.substr(hostStart, pathStart - hostStart), host)) return false;
  return host.empty() || strcasecmp(host.c_str(), "localhost") == 0;
}

// The item a local file URL names (the URL object decodes the path's escapes); false when
// nothing is there.
bool RefOfLocalURL(CFStringRef url, FSRef& ref) {
  ++gReadingCounts.fileLookups;
  CFURLRef fileURL = CFURLCreateWithString(kCFAllocatorDefault, url, nullptr);
  if (fileURL == nullptr) return false;
  const bool found = CFURLGetFSRef(fileURL, &ref);
  CFRelease(fileURL);
  return found;
}

// The record of the file a local file URL names.
unsigned char FileRecordOfLocalURL(CFStringRef url, sExtStdFileInfo& record) {
  FSRef ref;
  FSSpec spec;
  if (!RefOfLocalURL(url, ref) ||
      FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr) != noErr) {
    return 0;
  }
  record.valid = 1;
  record.vRefNum = spec.vRefNum;
  record.dirID = spec.parID;
  std::memcpy(record.fileName, spec.name + 1, spec.name[0]);
  record.fileName[spec.name[0]] = 0;
  SInt32 fileID = 0;
  record.fileID =
      Sp_GetFileIdFromFileNameInDirId(spec.vRefNum, spec.parID, record.fileName, fileID) == noErr
          ? fileID
          : 0;
  return 1;
}

// The local file URL as a string object; null for any other URL.
CFStringRef LocalURLString(const std::string& url) {
  if (url.empty() || !IsLocalFileURL(url)) return nullptr;
  return CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(url.data()),
                                 CFIndex(url.size()), kCFStringEncodingUTF8, false);
}

// As SpiTMI_CFStringURLToCStringFileInfo, from the URL's UTF-8 text.
unsigned char FileRecordOfURL(const std::string& url, sExtStdFileInfo& record) {
  CFStringRef text = LocalURLString(url);
  if (text == nullptr) return 0;
  const unsigned char filled = FileRecordOfLocalURL(text, record);
  CFRelease(text);
  return filled;
}

bool ItemOfURLExists(const std::string& url) {
  CFStringRef text = LocalURLString(url);
  if (text == nullptr) return false;
  FSRef ref;
  const bool found = RefOfLocalURL(text, ref);
  CFRelease(text);
  return found;
}

// The files of a library lie album by album in a few folders, and a library from another
// computer names folders this one does not have. Once a file is not found, its folder is
// looked for too; while the next files lie in a folder known to be missing, they are not
// looked for. The folder is the URL up to its last '/', an ancestor of the file's folder
// however the path's escapes decode; URLs with a query or fragment are always looked up.
class LocationLookup {
 public:
  unsigned char Find(const std::string& url, sExtStdFileInfo& record) {
    const std::size_t slash = url.rfind('/');
    const bool plain = slash != std::string::npos && url.find('?') == std::string::npos &&
                       url.find('#') == std::string::npos;
    const bool known =
        plain && folder_.size() == slash + 1 && url.compare(0, slash + 1, folder_) == 0;
    if (known && folderMissing_) return 0;
    if (FileRecordOfURL(url, record)) return 1;
    if (plain && !known) {
      folder_.assign(url, 0, slash + 1);
      folderMissing_ = !ItemOfURLExists(folder_);
    }
    return 0;
  }

 private:
  std::string folder_;
  bool folderMissing_ = false;
};

// ---- The reader -------------------------------------------------------------------------------

// What a dictionary or array is to the library.
enum class Role : UInt8 {
  kNone,       // read by nobody; its values are only checked
  kRoot,       // the document's top dictionary
  kTracks,     // the root's "Tracks": every entry a track
  kTrack,      // one track
  kPlaylists,  // the root's "Playlists"
  kPlaylist,   // one playlist
  kItems,      // a playlist's "Playlist Items"
  kItem,       // one entry of a playlist
};

enum class Element : UInt8 {
  kPlist,
  kArray,
  kDict,
  kKey,
  kString,
  kInteger,
  kReal,
  kDate,
  kData,
  kTrue,
  kFalse,
};

struct ElementName {
  const char* text;
  Element element;
};

// The element a tag names; false for any but a property list's.
bool ElementOf(const char* name, Element& element) {
  static const ElementName kNames[] = {
      {"dict", Element::kDict},   {"key", Element::kKey},     {"string", Element::kString},
      {"integer", Element::kInteger}, {"array", Element::kArray}, {"date", Element::kDate},
      {"true", Element::kTrue},   {"false", Element::kFalse}, {"data", Element::kData},
      {"real", Element::kReal},   {"plist", Element::kPlist},
  };
  for (const ElementName& candidate : kNames) {
    if (SameName(candidate.text, name)) {
      element = candidate.element;
      return true;
    }
  }
  return false;
}

// What the reader does with a leaf's text.
enum class Sink : UInt8 {
  kDrop,     // nothing: strings nobody reads
  kCollect,  // into the text being collected (up to textLimit_)
  kCount,    // only its length: the key of a track entry
  kToken,    // a number, date or truth value, between blanks
  kBase64,   // <data>: checked letter by letter
};

// The last value of each key a track reads.
struct TrackDraft {
  bool read[kTrackKeys] = {};
  SInt32 numbers[kTrackKeys] = {};
  std::string texts[kTrackKeys];
};

struct PendingPlaylist {
  bool hasName = false;
  std::string name;
  std::vector<SInt32> ids;
};

class LibraryReader {
 public:
  LibraryReader() { stack_.reserve(kMaxDepth); }
  ~LibraryReader() {
    for (cSPiTMI_TrackInfoObj* track : tracks_) delete track;
  }
  LibraryReader(const LibraryReader&) = delete;
  LibraryReader& operator=(const LibraryReader&) = delete;

  // Reads the file through; false when it cannot be read or is no property list.
  bool ReadFile(short vRefNum, SInt32 dirID, const char* name);
  // Files what was read into the library (the reader keeps nothing of it).
  void FileInto(ciTunesMusicInfoObj* library);

 private:
  struct Frame {
    Element element;
    Role role;
    bool keyWaiting;  // a dictionary's key waits for its value
    Key key;          // that key, as the dictionary's role reads it
    bool keyFits;     // "Tracks": that key is short enough for a track
    bool hasValue;    // <plist>: its value came
  };

  bool Parse(XML_Parser parser, FSIORefNum fork, SInt64 size);

  static void OnStart(void* self, const XML_Char* name, const XML_Char**) {
    static_cast<LibraryReader*>(self)->Start(name);
  }
  static void OnEnd(void* self, const XML_Char*) { static_cast<LibraryReader*>(self)->End(); }
  static void OnText(void* self, const XML_Char* s, int length) {
    static_cast<LibraryReader*>(self)->Text(s, length);
  }
  static void OnEntityDeclaration(void* self, const XML_Char*, int, const XML_Char*, int,
                                  const XML_Char*, const XML_Char*, const XML_Char*,
                                  const XML_Char*) {
    static_cast<LibraryReader*>(self)->Fail();
  }

  void Fail() {
    if (failed_) return;
    failed_ = true;
    XML_StopParser(parser_, XML_FALSE);
  }

  void Start(const char* name);
  void StartLeaf(Element element);
  void Text(const char* s, int length);
  void End();
  void EndLeaf(Element element);
  void EndKey();
  // A value closed inside the innermost open element (a string's text is in text_).
  void Value(Element element, bool isReal = false, SInt64 integer = 0, double real = 0);
  void TrackValue(Frame& track, Element element, bool isReal, SInt64 integer, double real);
  void CollectInto(std::string& target, std::size_t limit);
  void NoteTextHeld(std::size_t size) {
    if (size > gReadingCounts.mostTextHeld) gReadingCounts.mostTextHeld = size;
  }

  // The steps of a track, a playlist and a playlist entry.
  void CatchDictionaryItemAndCreateTrackInfo();
  void CatchDictionaryItemAndCreatePlayListInfo();
  void CatchPlayListItemAndCreatePlayListTrackInfo();

  XML_Parser parser_ = nullptr;
  bool failed_ = false;
  bool haveRoot_ = false;
  std::vector<Frame> stack_;

  // The leaf being read.
  Sink sink_ = Sink::kDrop;
  std::string* target_ = nullptr;  // kCollect
  std::size_t textLimit_ = 0;      // kCollect, kToken: the most bytes kept
  bool textTooLong_ = false;
  std::size_t textLength_ = 0;  // kCount
  bool tokenStarted_ = false;
  bool tokenEnded_ = false;
  bool tokenBad_ = false;
  bool padding_ = false;  // kBase64: '=' was seen
  IntegerScan integer_;
  std::string text_;  // a key the dictionary's role reads, or a <real> or <date>

  // What the file holds for the library.
  TrackDraft track_;
  // The last text of each field of a fixed size that needed converting, and what it became.
  std::string lastSource_[kSpiTMI_TextFieldCount];
  std::string lastShown_[kSpiTMI_TextFieldCount];
  LocationLookup locations_;
  std::vector<cSPiTMI_TrackInfoObj*> tracks_;
  bool hasMusicFolder_ = false;
  std::string musicFolder_;
  std::vector<PendingPlaylist> playlists_;
  PendingPlaylist playlist_;
  bool playlistSkipped_ = false;
  bool itemHasID_ = false;
  SInt32 itemID_ = 0;
};

void LibraryReader::Start(const char* name) {
  if (failed_) return;
  if (stack_.size() >= kMaxDepth) return Fail();
  if (stack_.size() + 1 > gReadingCounts.deepestNesting) {
    gReadingCounts.deepestNesting = stack_.size() + 1;
  }
  Frame* parent = stack_.empty() ? nullptr : &stack_.back();
  if (parent != nullptr && parent->element != Element::kPlist &&
      parent->element != Element::kArray && parent->element != Element::kDict) {
    return Fail();  // an element inside a leaf
  }
  Element element;
  if (!ElementOf(name, element)) return Fail();
  if (element == Element::kPlist && (parent != nullptr || haveRoot_)) return Fail();

  Role role = Role::kNone;
  if (element == Element::kDict || element == Element::kArray) {
    const Role parentRole = parent != nullptr ? parent->role : Role::kNone;
    const bool keyed = parent != nullptr && parent->keyWaiting;
    if (element == Element::kDict) {
      if (parent == nullptr || (parent->element == Element::kPlist && stack_.size() == 1)) {
        role = Role::kRoot;
      } else if (parentRole == Role::kRoot && keyed && parent->key == kKeyTracks) {
        role = Role::kTracks;
      } else if (parentRole == Role::kTracks && keyed && parent->keyFits) {
        role = Role::kTrack;
      } else if (parentRole == Role::kPlaylists) {
        role = Role::kPlaylist;
      } else if (parentRole == Role::kItems) {
        role = Role::kItem;
      }
    } else if (parentRole == Role::kRoot && keyed && parent->key == kKeyPlaylists) {
      role = Role::kPlaylists;
    } else if (parentRole == Role::kPlaylist && keyed && parent->key == kKeyPlaylistItems &&
               !playlistSkipped_) {
      role = Role::kItems;
    }
    switch (role) {
      case Role::kTrack:
        for (bool& read : track_.read) read = false;
        break;
      case Role::kPlaylist:
        playlist_.hasName = false;
        playlist_.name.clear();
        playlist_.ids.clear();
        playlistSkipped_ = false;
        break;
      case Role::kItem:
        itemHasID_ = false;
        break;
      default:
        break;
    }
  }
  stack_.push_back(Frame{element, role, false, kKeyOther, false, false});
  if (element != Element::kPlist && element != Element::kDict && element != Element::kArray) {
    StartLeaf(element);
  }
}

void LibraryReader::CollectInto(std::string& target, std::size_t limit) {
  sink_ = Sink::kCollect;
  target.clear();
  target_ = &target;
  textLimit_ = limit;
  textTooLong_ = false;
}

void LibraryReader::StartLeaf(Element element) {
  tokenStarted_ = false;
  tokenEnded_ = false;
  tokenBad_ = false;
  const Frame* parent = stack_.size() >= 2 ? &stack_[stack_.size() - 2] : nullptr;
  const Role parentRole = parent != nullptr ? parent->role : Role::kNone;
  switch (element) {
    case Element::kKey:
      if (parentRole == Role::kTracks) {
        sink_ = Sink::kCount;
        textLength_ = 0;
      } else if (parentRole != Role::kNone) {
        CollectInto(text_, kKnownKeyMost);
      } else {
        sink_ = Sink::kDrop;
      }
      return;
    case Element::kString: {
      sink_ = Sink::kDrop;
      if (parent == nullptr || !parent->keyWaiting) return;
      if (parentRole == Role::kTrack && parent->key != kKeyOther && UseOf(parent->key).isText) {
        const SInt32 fieldSize = cSPiTMI_TrackInfoObj::GetTextFieldSize(UseOf(parent->key).field);
        CollectInto(track_.texts[parent->key - kKeyTrackID],
                    fieldSize > 0 ? std::size_t(fieldSize) * kFieldSourceFactor : SIZE_MAX);
      } else if (parentRole == Role::kRoot && parent->key == kKeyMusicFolder) {
        CollectInto(musicFolder_, SIZE_MAX);
      } else if (parentRole == Role::kPlaylist && parent->key == kKeyName) {
        CollectInto(playlist_.name, std::size_t(kSpiTM_GroupNameSize) * kFieldSourceFactor);
      }
      return;
    }
    case Element::kInteger:
      sink_ = Sink::kToken;
      integer_.Reset();
      return;
    case Element::kReal:
    case Element::kDate:
      sink_ = Sink::kToken;
      text_.clear();
      textLimit_ = element == Element::kReal ? kRealTextMost : kDateTextSize;
      return;
    case Element::kData:
      sink_ = Sink::kBase64;
      padding_ = false;
      return;
    default:  // true, false
      sink_ = Sink::kToken;
      return;
  }
}

void LibraryReader::Text(const char* s, int length) {
  if (failed_ || length <= 0) return;
  const std::size_t n = std::size_t(length);
  const Element element = stack_.empty() ? Element::kPlist : stack_.back().element;
  if (element == Element::kPlist || element == Element::kArray || element == Element::kDict) {
    for (std::size_t i = 0; i < n; ++i) {
      if (!IsBlank(s[i])) return Fail();  // text outside a value
    }
    return;
  }
  switch (sink_) {
    case Sink::kDrop:
      return;
    case Sink::kCount:
      textLength_ += n;
      return;
    case Sink::kCollect: {
      const std::size_t room = textLimit_ - target_->size();
      if (n > room) {
        textTooLong_ = true;
        target_->append(s, room);
      } else {
        target_->append(s, n);
      }
      return;
    }
    case Sink::kBase64:
      for (std::size_t i = 0; i < n && !tokenBad_; ++i) {
        const char c = s[i];
        if (IsBlank(c)) continue;
        if (c == '=') {
          padding_ = true;
        } else if (padding_ || !IsBase64Letter(c)) {
          tokenBad_ = true;
        }
      }
      return;
    case Sink::kToken:
      for (std::size_t i = 0; i < n && !tokenBad_; ++i) {
        const char c = s[i];
        if (IsBlank(c)) {
          tokenEnded_ = tokenStarted_;
          continue;
        }
        if (tokenEnded_) {
          tokenBad_ = true;  // blanks inside
          break;
        }
        tokenStarted_ = true;
        if (element == Element::kInteger) {
          integer_.Step(c);
        } else if (element == Element::kReal || element == Element::kDate) {
          if (text_.size() >= textLimit_) {
            tokenBad_ = true;
          } else {
            text_.push_back(c);
          }
        } else {
          tokenBad_ = true;  // text inside <true/> or <false/>
        }
      }
      return;
  }
}

void LibraryReader::End() {
  if (failed_ || stack_.empty()) return;
  const Frame frame = stack_.back();
  stack_.pop_back();
  switch (frame.element) {
    case Element::kPlist:
      if (!frame.hasValue) Fail();
      return;
    case Element::kArray:
      return Value(Element::kArray);
    case Element::kDict:
      if (frame.keyWaiting) return Fail();  // a key without a value
      switch (frame.role) {
        case Role::kTrack:
          CatchDictionaryItemAndCreateTrackInfo();
          break;
        case Role::kPlaylist:
          CatchDictionaryItemAndCreatePlayListInfo();
          break;
        case Role::kItem:
          CatchPlayListItemAndCreatePlayListTrackInfo();
          break;
        default:
          break;
      }
      return Value(Element::kDict);
    default:
      return EndLeaf(frame.element);
  }
}

void LibraryReader::EndLeaf(Element element) {
  if (sink_ == Sink::kCollect) NoteTextHeld(target_->size());
  switch (element) {
    case Element::kKey:
      return EndKey();
    case Element::kString:
      return Value(Element::kString);
    case Element::kInteger: {
      SInt64 v = 0;
      if (tokenBad_) integer_.Bad();
      if (!integer_.Value(v)) return Fail();
      return Value(Element::kInteger, false, v);
    }
    case Element::kReal: {
      NoteTextHeld(text_.size());
      double v = 0;
      if (tokenBad_ || !ParseReal(text_, v)) return Fail();
      return Value(Element::kReal, true, 0, v);
    }
    case Element::kDate:
      if (tokenBad_ || !IsDate(text_)) return Fail();
      return Value(Element::kDate);
    default:  // data, true, false
      if (tokenBad_) return Fail();
      return Value(element);
  }
}

void LibraryReader::EndKey() {
  if (stack_.empty() || stack_.back().element != Element::kDict) return Fail();
  Frame& dict = stack_.back();
  if (dict.keyWaiting) return Fail();  // two keys in a row
  dict.keyWaiting = true;
  dict.key = kKeyOther;
  dict.keyFits = false;
  switch (dict.role) {
    case Role::kTracks:
      dict.keyFits = textLength_ <= kTrackKeyMost;
      return;
    case Role::kNone:
      return;
    default:
      break;
  }
  const Key key = textTooLong_ ? kKeyOther : KeyOf(text_);
  switch (dict.role) {
    case Role::kRoot:
      if (key == kKeyMusicFolder || key == kKeyTracks || key == kKeyPlaylists) dict.key = key;
      // The last "Playlists" is the one read.
      if (key == kKeyPlaylists) playlists_.clear();
      return;
    case Role::kTrack:
      if (key >= kKeyTrackID && key <= kKeyLocation) dict.key = key;
      return;
    case Role::kPlaylist:
      if (key == kKeyMaster || key == kKeySmartInfo) {
        // Whatever their values, these keys mark lists that name no album of their own.
        playlistSkipped_ = true;
        playlist_.ids.clear();
        playlist_.ids.shrink_to_fit();
      } else if (key == kKeyName) {
        dict.key = key;
      } else if (key == kKeyPlaylistItems) {
        dict.key = key;
        playlist_.ids.clear();
      }
      return;
    case Role::kItem:
      if (key == kKeyTrackID) dict.key = key;
      return;
    default:
      return;
  }
}

void LibraryReader::Value(Element element, bool isReal, SInt64 integer, double real) {
  if (failed_) return;
  if (stack_.empty()) {
    if (haveRoot_) return Fail();
    haveRoot_ = true;
    return;
  }
  Frame& parent = stack_.back();
  switch (parent.element) {
    case Element::kPlist:
      if (parent.hasValue) return Fail();
      parent.hasValue = true;
      haveRoot_ = true;
      return;
    case Element::kArray:
      return;
    case Element::kDict:
      break;
    default:
      return Fail();
  }
  if (!parent.keyWaiting) return Fail();  // a value without a key
  parent.keyWaiting = false;
  switch (parent.role) {
    case Role::kRoot:
      if (parent.key == kKeyMusicFolder) {
        hasMusicFolder_ = element == Element::kString;
        if (!hasMusicFolder_) musicFolder_.clear();
      }
      return;
    case Role::kTrack:
      return TrackValue(parent, element, isReal, integer, real);
    case Role::kPlaylist:
      if (parent.key == kKeyName) {
        playlist_.hasName = element == Element::kString && !textTooLong_;
        if (!playlist_.hasName) playlist_.name.clear();
      }
      return;
    case Role::kItem:
      if (parent.key == kKeyTrackID) {
        itemHasID_ = (element == Element::kInteger || element == Element::kReal) &&
                     Int32Of(isReal, integer, real, itemID_);
      }
      return;
    default:
      return;
  }
}

void LibraryReader::TrackValue(Frame& track, Element element, bool isReal, SInt64 integer,
                               double real) {
  if (track.key == kKeyOther) return;
  const int slot = track.key - kKeyTrackID;
  bool& read = track_.read[slot];
  if (UseOf(track.key).isText) {
    read = element == Element::kString && !textTooLong_;
    if (!read) track_.texts[slot].clear();
    return;
  }
  read = (element == Element::kInteger || element == Element::kReal) &&
         Int32Of(isReal, integer, real, track_.numbers[slot]);
}

void LibraryReader::CatchDictionaryItemAndCreateTrackInfo() {
  cSPiTMI_TrackInfoObj* track = new (std::nothrow) cSPiTMI_TrackInfoObj();
  if (track == nullptr) return;
  // Texts that convert to nothing, or to more than their field takes, are not read.
  std::string converted[kSpiTMI_TextFieldCount];
  const char* texts[kSpiTMI_TextFieldCount] = {};
  int textCount = 0;
  for (int k = kKeyTrackID; k <= kKeyLocation; ++k) {
    const Key key = Key(k);
    const TrackKey& use = UseOf(key);
    if (!track_.read[k - kKeyTrackID]) continue;
    if (!use.isText) {
      use.set(*track, track_.numbers[k - kKeyTrackID]);
      track->AddKeyCount();
      continue;
    }
    ++gReadingCounts.textsRead;
    const std::string& source = track_.texts[k - kKeyTrackID];
    const SInt32 size = cSPiTMI_TrackInfoObj::GetTextFieldSize(use.field);
    const std::string* text = &source;
    if (!IsPlainText(source)) {
      if (size == 0) {
        converted[use.field] = ProgramText(source);
        text = &converted[use.field];
      } else {
        // Tracks of one album follow each other: their artist, album and genre repeat.
        if (source != lastSource_[use.field]) {
          lastSource_[use.field] = source;
          lastShown_[use.field] = ProgramText(source);
        }
        text = &lastShown_[use.field];
      }
    }
    if (!text->empty() && (size == 0 || text->size() < std::size_t(size))) {
      texts[use.field] = text->c_str();
      ++textCount;
    }
  }
  if (textCount > 0 && track->SetupTexts(texts, kCFStringEncodingMacJapanese) == noErr) {
    for (int i = 0; i < textCount; ++i) track->AddKeyCount();
  }
  if (track_.read[kKeyLocation - kKeyTrackID]) {
    sExtStdFileInfo file = {};
    if (locations_.Find(track_.texts[kKeyLocation - kKeyTrackID], file) &&
        track->SetupLocationFile(file) == noErr) {
      track->AddKeyCount();
    }
  }
  try {
    tracks_.push_back(track);
  } catch (const std::bad_alloc&) {
    delete track;
  }
}

void LibraryReader::CatchPlayListItemAndCreatePlayListTrackInfo() {
  if (playlistSkipped_ || !itemHasID_ || itemID_ == 0) return;
  try {
    playlist_.ids.push_back(itemID_);
  } catch (const std::bad_alloc&) {
    Fail();
  }
}

void LibraryReader::CatchDictionaryItemAndCreatePlayListInfo() {
  // A list that names no track known or unknown makes no playlist.
  if (playlistSkipped_ || playlist_.ids.empty()) return;
  try {
    playlists_.push_back(std::move(playlist_));
  } catch (const std::bad_alloc&) {
    Fail();
  }
  playlist_ = PendingPlaylist();
}

bool LibraryReader::Parse(XML_Parser parser, FSIORefNum fork, SInt64 size) {
  SInt64 done = 0;
  while (done < size) {
    const int block = int(std::min<SInt64>(size - done, kReadBlock));
    void* buffer = XML_GetBuffer(parser, block);
    if (buffer == nullptr) return false;
    ByteCount got = 0;
    if (FSReadFork(fork, fsFromStart, done, ByteCount(block), buffer, &got) != noErr ||
        got != ByteCount(block)) {
      return false;
    }
    // Binary property lists are not read.
    if (done == 0 && block >= 8 && std::memcmp(buffer, "bplist00", 8) == 0) return false;
    done += block;
    if (XML_ParseBuffer(parser, block, done == size ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
      return false;
    }
  }
  return !failed_ && haveRoot_ && stack_.empty();
}

bool LibraryReader::ReadFile(short vRefNum, SInt32 dirID, const char* name) {
  const std::size_t nameLength = std::strlen(name);
  if (nameLength > 255) return false;
  HFSUniStr255 forkName;
  if (FSGetDataForkName(&forkName) != noErr) return false;
  Str255 pascalName;
  pascalName[0] = UInt8(nameLength);
  std::memcpy(pascalName + 1, name, nameLength);
  FSRef ref;
  FSRefParam pb;
  std::memset(&pb, 0, sizeof pb);
  pb.ioVRefNum = vRefNum;
  pb.ioDirID = dirID;
  pb.ioNamePtr = pascalName;
  pb.newRef = &ref;
  if (PBMakeFSRefSync(&pb) != noErr) return false;
  FSIORefNum fork = 0;
  if (FSOpenFork(&ref, forkName.length, forkName.unicode, fsRdPerm, &fork) != noErr) return false;
  SInt64 size = 0;
  bool parsed = false;
  if (FSGetForkSize(fork, &size) == noErr && size > 0) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (parser != nullptr) {
      parser_ = parser;
      XML_SetUserData(parser, this);
      XML_SetElementHandler(parser, &LibraryReader::OnStart, &LibraryReader::OnEnd);
      XML_SetCharacterDataHandler(parser, &LibraryReader::OnText);
      // No entity is ever expanded: a document that declares one is refused.
      XML_SetEntityDeclHandler(parser, &LibraryReader::OnEntityDeclaration);
      XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
      parsed = Parse(parser, fork, size);
      XML_ParserFree(parser);
      parser_ = nullptr;
    }
  }
  FSCloseFork(fork);
  return parsed;
}

void LibraryReader::FileInto(ciTunesMusicInfoObj* library) {
  for (cSPiTMI_TrackInfoObj* track : tracks_) {
    if (!library->AddTrackInfoItem(track)) delete track;
  }
  tracks_.clear();
  if (hasMusicFolder_) FileRecordOfURL(musicFolder_, library->GetMusicFolder());
  for (const PendingPlaylist& list : playlists_) {
    ciTunesInfoMusicGroupObj* group = new (std::nothrow) ciTunesInfoMusicGroupObj();
    if (group == nullptr) continue;
    if (list.hasName) {
      // A name longer than a group takes is left empty.
      ++gReadingCounts.textsRead;
      const std::string shown = ProgramText(list.name);
      group->SetupName(shown.size() < std::size_t(kSpiTM_GroupNameSize) ? shown.c_str() : "",
                       kCFStringEncodingMacJapanese);
    }
    for (SInt32 id : list.ids) {
      cSPiTMI_TrackInfoObj* track = library->SerchTrackInfoObjectFromTrackID(id);
      if (track != nullptr) group->SetupPlayListTrackInfoObject(track);
    }
    if (group->GetContainGroupItem() == 0 || !library->AddPlayListGroup(group)) delete group;
  }
  playlists_.clear();
}

}  // namespace

unsigned char SpiTMI_CFStringURLToCStringFileInfo(CFStringRef url, sExtStdFileInfo& record) {
  if (url == nullptr || CFGetTypeID(url) != CFStringGetTypeID()) return 0;
  const CFIndex length = CFStringGetLength(url);
  if (length <= 0) return 0;
  // UTF-8 takes at most three bytes for each UTF-16 unit.
  std::string text(std::size_t(length) * 3 + 1, '\0');
  if (!CFStringGetCString(url, &text[0], CFIndex(text.size()), kCFStringEncodingUTF8)) return 0;
  text.resize(std::strlen(text.c_str()));
  if (!IsLocalFileURL(text)) return 0;
  return FileRecordOfLocalURL(url, record);
}

unsigned char SpiTM_LoadITunesMusicInfo(ciTunesMusicInfoObj* library, short vRefNum, SInt32 dirID,
                                        const char* name) {
  if (library == nullptr || name == nullptr || name[0] == 0) return 0;
  gReadingCounts = sp_itunes::ReadingCounts();
  LibraryReader reader;
  if (!reader.ReadFile(vRefNum, dirID, name)) return 0;
  reader.FileInto(library);
  return 1;
}

ciTunesMusicInfoObj* SpiTM_CreateITunesMusicInfo(unsigned char load) {
  SInt32 musicDirID = 0;
  short vRefNum = 0;
  if (Sp_FindSystemFolderByDirId(kOnSystemDisk, kMusicDocumentsFolderType, &musicDirID, &vRefNum) !=
      noErr) {
    return nullptr;
  }
  SInt32 dirID = 0;
  if (Sp_GetDirIdFromDirNameInDirId(vRefNum, musicDirID, kSpiTM_FolderName, dirID) != noErr) {
    return nullptr;
  }
  ciTunesMusicInfoObj* library = new (std::nothrow) ciTunesMusicInfoObj();
  if (library == nullptr) return nullptr;
  library->SetupLibraryFile(vRefNum, dirID, kSpiTM_LibraryFileName);
  if (!load) return library;
  // The dates are taken before the read: a file that changes while it is read then looks
  // changed at the next check, and is read again.
  UInt32 created = 0;
  UInt32 modified = 0;
  const OSErr datesErr =
      Sp_GetFileInformation(vRefNum, dirID, kSpiTM_LibraryFileName, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr, &created, &modified);
  if (!SpiTM_LoadITunesMusicInfo(library, vRefNum, dirID, kSpiTM_LibraryFileName)) {
    delete library;
    return nullptr;
  }
  if (datesErr == noErr) library->SetupFileDates(created, modified);
  return library;
}
