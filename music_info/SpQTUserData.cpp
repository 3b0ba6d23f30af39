// Movie user data and MP4 metadata: the tables that carry tag ids between the schemes, the
// genre list, reading a movie's user data into a tag record and writing a record back into
// a movie's user data or into an MP4 'meta' item.
#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "Resources.h"
#include "SpErrorInfoSystem.h"
#include "SpQTInterface.h"
#include "SpTextCodec.h"
#include "TextCommon.h"

namespace {

const char kSource[] = "SpQTInterface";

constexpr UInt32 QT(const char (&tail)[4]) {
  return SpQTI_CopyrightFourCC(tail);
}

bool BeginsWithCopyright(UInt32 type) {
  return (type >> 24) == 0xA9;
}

// ---- Tables -----------------------------------------------------------------------------------

struct IdPair {
  UInt32 id22;
  UInt32 id23;
};

// ID3 v2.2 frame ids and their v2.3 counterparts.
constexpr IdPair kID3VersionPairs[] = {
    {SpFourCC("COM "), SpFourCC("COMM")}, {SpFourCC("MCI "), SpFourCC("MCDI")},
    {SpFourCC("PIC "), SpFourCC("APIC")}, {SpFourCC("POP "), SpFourCC("POPM")},
    {SpFourCC("TAL "), SpFourCC("TALB")}, {SpFourCC("TBP "), SpFourCC("TBPM")},
    {SpFourCC("TCM "), SpFourCC("TCOM")}, {SpFourCC("TCO "), SpFourCC("TCON")},
    {SpFourCC("TCR "), SpFourCC("TCOP")}, {SpFourCC("TDA "), SpFourCC("TDAT")},
    {SpFourCC("TDY "), SpFourCC("TDLY")}, {SpFourCC("TEN "), SpFourCC("TENC")},
    {SpFourCC("TFT "), SpFourCC("TFLT")}, {SpFourCC("TIM "), SpFourCC("TIME")},
    {SpFourCC("TKE "), SpFourCC("TKEY")}, {SpFourCC("TLA "), SpFourCC("TLAN")},
    {SpFourCC("TLE "), SpFourCC("TLEN")}, {SpFourCC("TOA "), SpFourCC("TOPE")},
    {SpFourCC("TOF "), SpFourCC("TOFN")}, {SpFourCC("TOL "), SpFourCC("TOLY")},
    {SpFourCC("TOR "), SpFourCC("TORY")}, {SpFourCC("TOT "), SpFourCC("TOAL")},
    {SpFourCC("TP1 "), SpFourCC("TPE1")}, {SpFourCC("TP2 "), SpFourCC("TPE2")},
    {SpFourCC("TP3 "), SpFourCC("TPE3")}, {SpFourCC("TP4 "), SpFourCC("TPE4")},
    {SpFourCC("TPA "), SpFourCC("TPOS")}, {SpFourCC("TPB "), SpFourCC("TPUB")},
    {SpFourCC("TRC "), SpFourCC("TSRC")}, {SpFourCC("TRD "), SpFourCC("TRDA")},
    {SpFourCC("TRK "), SpFourCC("TRCK")}, {SpFourCC("TSI "), SpFourCC("TSIZ")},
    {SpFourCC("TSS "), SpFourCC("TSSE")}, {SpFourCC("TT1 "), SpFourCC("TIT1")},
    {SpFourCC("TT2 "), SpFourCC("TIT2")}, {SpFourCC("TT3 "), SpFourCC("TIT3")},
    {SpFourCC("TXT "), SpFourCC("TEXT")}, {SpFourCC("TXX "), SpFourCC("TXXX")},
    {SpFourCC("TYE "), SpFourCC("TYER")}, {SpFourCC("WAF "), SpFourCC("WOAF")},
    {SpFourCC("WAR "), SpFourCC("WOAR")}, {SpFourCC("WAS "), SpFourCC("WOAS")},
    {SpFourCC("WCM "), SpFourCC("WCOM")}, {SpFourCC("WCP "), SpFourCC("WCOP")},
    {SpFourCC("WPB "), SpFourCC("WPUB")}, {SpFourCC("WXX "), SpFourCC("WXXX")},
};

// A scheme's type with the ID3 frame ids (v2.3 and v2.2) that go with it.
struct TypeRow {
  UInt32 type;
  UInt32 id23;
  UInt32 id22;
};

// ID3 frames as movie user data. Every row also holds the other way, so that a tag converted
// from ID3 to user data and back keeps its frame ids: the author is the original lyricist
// ('TOLY'), the date the year ('TYER'), the encoder 'TENC' and the genre 'TCON'.
constexpr TypeRow kUserDataRows[] = {
    {QT("cmt"), SpFourCC("COMM"), SpFourCC("COM ")},
    {QT("alb"), SpFourCC("TALB"), SpFourCC("TAL ")},
    {QT("com"), SpFourCC("TCOM"), SpFourCC("TCM ")},
    {QT("gen"), SpFourCC("TCON"), SpFourCC("TCO ")},
    {QT("cpy"), SpFourCC("TCOP"), SpFourCC("TCR ")},
    {QT("enc"), SpFourCC("TENC"), SpFourCC("TEN ")},
    {QT("nam"), SpFourCC("TIT2"), SpFourCC("TT2 ")},
    {QT("ope"), SpFourCC("TOPE"), SpFourCC("TOA ")},
    {QT("src"), SpFourCC("TOFN"), SpFourCC("TOF ")},
    {QT("aut"), SpFourCC("TOLY"), SpFourCC("TOL ")},
    {QT("ART"), SpFourCC("TPE1"), SpFourCC("TP1 ")},
    {QT("trk"), SpFourCC("TRCK"), SpFourCC("TRK ")},
    {QT("swr"), SpFourCC("TSSE"), SpFourCC("TSS ")},
    {QT("day"), SpFourCC("TYER"), SpFourCC("TYE ")},
};

// User-data types that turn into ID3 frames but that no ID3 frame turns into: the producer
// becomes the conductor's frame ('TPE3', the nearest ID3 has), the writer the text writer.
constexpr TypeRow kUserDataOnlyRows[] = {
    {QT("prd"), SpFourCC("TPE3"), SpFourCC("TP3 ")},
    {QT("wrt"), SpFourCC("TEXT"), SpFourCC("TXT ")},
};

// User-data types taken from a movie into a tag record.
constexpr UInt32 kUserDataTypesRead[] = {
    QT("ART"), QT("alb"), QT("aut"), QT("chp"), QT("cmt"), QT("com"), QT("cpy"), QT("day"),
    QT("enc"), QT("gen"), QT("nam"), QT("ope"), QT("src"), QT("swr"), QT("trk"), SpFourCC("meta"),
};

// ID3 frames as MP4 'ilst' atoms.
constexpr TypeRow kMP4Rows[] = {
    {SpFourCC("covr"), SpFourCC("APIC"), SpFourCC("PIC ")},
    {QT("cmt"), SpFourCC("COMM"), SpFourCC("COM ")},
    {QT("alb"), SpFourCC("TALB"), SpFourCC("TAL ")},
    {SpFourCC("tmpo"), SpFourCC("TBPM"), SpFourCC("TBP ")},
    {QT("wrt"), SpFourCC("TCOM"), SpFourCC("TCM ")},
    {SpFourCC("gnre"), SpFourCC("TCON"), SpFourCC("TCO ")},
    {QT("too"), SpFourCC("TENC"), SpFourCC("TEN ")},
    {QT("grp"), SpFourCC("TIT1"), SpFourCC("TT1 ")},
    {QT("nam"), SpFourCC("TIT2"), SpFourCC("TT2 ")},
    {QT("ART"), SpFourCC("TPE1"), SpFourCC("TP1 ")},
    {SpFourCC("disk"), SpFourCC("TPOS"), SpFourCC("TPA ")},
    {SpFourCC("trkn"), SpFourCC("TRCK"), SpFourCC("TRK ")},
    {QT("day"), SpFourCC("TYER"), SpFourCC("TYE ")},
};
// Atom types some files write with a blank where the copyright sign belongs.
constexpr TypeRow kMP4BlankRows[] = {
    {SpFourCC(" too"), SpFourCC("TENC"), SpFourCC("TEN ")},
    {SpFourCC(" grp"), SpFourCC("TIT1"), SpFourCC("TT1 ")},
};

// MP4 atom types taken from a 'meta' item.
constexpr UInt32 kMP4TypesTaken[] = {
    SpFourCC(" dsk"), SpFourCC("covr"), SpFourCC("disk"), SpFourCC("gnre"), SpFourCC("name"),
    SpFourCC("tmpo"), SpFourCC("trkn"), QT("ART"),        QT("alb"),        QT("aut"),
    QT("cmt"),        QT("com"),        QT("day"),        QT("grp"),        QT("nam"),
    QT("ope"),        QT("prd"),        QT("roo"),        QT("trk"),        QT("wrt"),
};

template <std::size_t N>
bool ListHolds(const UInt32 (&list)[N], UInt32 type) {
  for (UInt32 entry : list) {
    if (entry == type) return true;
  }
  return false;
}

template <std::size_t N>
const TypeRow* RowOfId(const TypeRow (&rows)[N], UInt32 frameId) {
  for (const TypeRow& row : rows) {
    if (row.id23 == frameId || row.id22 == frameId) return &row;
  }
  return nullptr;
}

template <std::size_t N>
const TypeRow* RowOfType(const TypeRow (&rows)[N], UInt32 type) {
  for (const TypeRow& row : rows) {
    if (row.type == type) return &row;
  }
  return nullptr;
}

// ---- Genre list -------------------------------------------------------------------------------

struct GenreEntry {
  short number;
  std::string name;
};

std::vector<GenreEntry>& GenreList() {
  static std::vector<GenreEntry> list;
  return list;
}
bool gGenreListBuilt = false;

void BuildGenreListOnFirstUse() {
  if (!gGenreListBuilt) SpQTI_LoadGenreTable();
}

// ---- Text -------------------------------------------------------------------------------------

// Bytes of an encoding as UTF-16. UTF-16 without a byte-order mark is big-endian.
bool DecodeText(TextEncoding encoding, const void* bytes, std::size_t length, std::u16string& out) {
  out.clear();
  if (length == 0) return true;
  return sp::text::DecodeToUTF16(encoding, bytes, length, out, true);
}

// Bytes of an encoding as the program's text, for showing: a Latin letter it lacks comes
// without its accent, any other character it cannot hold as '?'.
bool ToProgramText(TextEncoding encoding, const void* bytes, std::size_t length, std::string& out) {
  out.clear();
  std::u16string units;
  if (!DecodeText(encoding, bytes, length, units)) return false;
  out = sp::text::UTF16ToMacJapaneseNearest(units.data(), units.size());
  return true;
}

// The encoding of an ID3 item's text: its text code, or the program's text without one.
TextEncoding EncodingOfTextCode(const cSp_MusicFileMusicInfoDataItemObj* item) {
  if (!item->IsTextCodeSet()) return kTextEncodingMacJapanese;
  switch (item->GetTextCode()) {
    case kSpID3TextLatin1:
      return kTextEncodingISOLatin1;
    case kSpID3TextUTF16:
      return kTextEncodingUTF16;
    case kSpID3TextUTF16BE:
      return kTextEncodingUTF16BE;
    case kSpID3TextUTF8:
      return kTextEncodingUTF8;
    default:
      return kTextEncodingISOLatin1;
  }
}

bool IsCommentId(UInt32 frameId) {
  return frameId == SpFourCC("COMM") || frameId == SpFourCC("COM ");
}

// The text of an ID3 text item as UTF-16: a comment's text after its language and
// description, any other item's whole data.
bool ID3ItemTextAsUTF16(const cSp_MusicFileMusicInfoDataItemObj* item, std::u16string& out) {
  const UInt8* bytes = reinterpret_cast<const UInt8*>(item->GetDataPtr());
  SInt32 length = item->GetDataLength();
  if (bytes == nullptr || length <= 0) return false;
  TextEncoding encoding = EncodingOfTextCode(item);
  if (IsCommentId(item->GetItemType())) {
    SInt32 start = 0;
    bool wide = encoding == kTextEncodingUTF16 || encoding == kTextEncodingUTF16BE;
    if (!sp_musicinfo::CommentTextStart(bytes, length, wide, start)) return false;
    bytes += start;
    length -= start;
  }
  if (!DecodeText(encoding, bytes, std::size_t(length), out)) return false;
  // The zero that ends the text in the frame is no part of it.
  while (!out.empty() && out.back() == 0) out.pop_back();
  return true;
}

std::string ToUTF8(const std::u16string& text) {
  return sp::text::UTF16ToUTF8(text);
}

// The number inside the first "(" and the ")" after it; false when there is none.
bool NumberInParentheses(const std::string& text, long& number) {
  std::size_t open = text.find('(');
  if (open == std::string::npos) return false;
  std::size_t close = text.find(')', open + 1);
  if (close == std::string::npos || close == open + 1) return false;
  long value = 0;
  for (std::size_t i = open + 1; i < close; ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > 0x7FFF) return false;
  }
  number = value;
  return true;
}

// A whole decimal number of at most five digits, blanks around it allowed.
bool PlainNumber(const std::string& text, long& number) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::size_t digits = 0;
  long value = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 6) {
    value = value * 10 + (text[i] - '0');
    ++i;
    ++digits;
  }
  while (i < text.size() && text[i] == ' ') ++i;
  if (digits == 0 || digits > 5 || i != text.size() || value > 0xFFFF) return false;
  number = value;
  return true;
}

// "n/m": both parts whole numbers, or "/m", a count without a number (number 0). With
// requireCount false, "n" alone gives count 0.
bool NumberAndCount(const std::string& text, long& number, long& count, bool requireCount) {
  std::size_t slash = text.find('/');
  if (slash == std::string::npos) {
    if (requireCount) return false;
    count = 0;
    return PlainNumber(text, number);
  }
  const std::string before = text.substr(0, slash);
  if (!PlainNumber(text.substr(slash + 1), count)) return false;
  if (before.find_first_not_of(' ') == std::string::npos) {
    number = 0;
    return true;
  }
  return PlainNumber(before, number);
}

// The genre of an ID3 text: "(n)" names entry n + 1 of the list; a text without a number in
// parentheses names itself.
bool GenreNameOfID3Text(const std::string& text, std::string& name) {
  long number = 0;
  if (NumberInParentheses(text, number)) {
    std::vector<char> buffer(kSpQTI_GenreNameSize, 0);
    if (!SpQTI_GenreNo_To_String(short(number + 1), buffer.data(), long(buffer.size())) ||
        buffer[0] == 0) {
      return false;
    }
    name = buffer.data();
    return true;
  }
  if (text.empty()) return false;
  name = text;
  return true;
}

void ShowError(cSayErrorNoMgr* errors, OSErr error) {
  if (errors != nullptr && error != noErr) errors->SayErrorOccured(0, error, nullptr);
}

Handle HandleOfBytes(const void* bytes, std::size_t length) {
  Handle h = nullptr;
  if (PtrToHand(bytes, &h, Size(length)) != noErr) return nullptr;
  return h;
}

OSErr AddUserDataBytes(UserData userData, UInt32 type, const void* bytes, std::size_t length) {
  Handle h = HandleOfBytes(bytes, length);
  if (h == nullptr) return memFullErr;
  OSErr err = AddUserData(userData, h, type);
  DisposeHandle(h);
  return err;
}

// Reads the index-th item of the type into `data`: of a text item the text at language 0,
// else at 11, else (files of other programs mark their text with an ISO language code) its
// first entry; other items whole. `language` gets the language of the text taken (-1 for
// other items), which says how the text is encoded. userDataItemNotFound for a text item that
// holds no text entries.
OSErr ReadUserDataItem(UserData userData, UInt32 type, SInt32 index, Handle data,
                       SInt32& language) {
  language = -1;
  if (!BeginsWithCopyright(type)) return GetUserData(userData, data, type, index);
  Handle payload = NewHandle(0);
  if (payload == nullptr) return memFullErr;
  OSErr err = GetUserData(userData, payload, type, index);
  std::vector<sp::quicktime::TextEntry> entries;
  if (err == noErr &&
      (!sp::quicktime::ParseTextEntries(reinterpret_cast<const UInt8*>(*payload),
                                        std::size_t(GetHandleSize(payload)), entries) ||
       entries.empty())) {
    err = userDataItemNotFound;
  }
  DisposeHandle(payload);
  if (err != noErr) return err;
  const sp::quicktime::TextEntry* chosen = &entries.front();
  for (UInt16 wanted :
       {UInt16(kSpQTI_UserDataLanguageEnglish), UInt16(kSpQTI_UserDataLanguageJapanese)}) {
    auto match =
        std::find_if(entries.begin(), entries.end(),
                     [wanted](const sp::quicktime::TextEntry& e) { return e.language == wanted; });
    if (match != entries.end()) {
      chosen = &*match;
      break;
    }
  }
  SetHandleSize(data, Size(chosen->text.size()));
  err = MemError();
  if (err != noErr) return err;
  if (!chosen->text.empty()) std::memcpy(*data, chosen->text.data(), chosen->text.size());
  language = SInt32(chosen->language);
  return noErr;
}

// ---- MP4 'meta' atoms -------------------------------------------------------------------------

// The data type words of an 'ilst' value.
enum : UInt32 {
  kMP4DataRaw = 0,
  kMP4DataUTF8 = 1,
  kMP4DataJPEG = 13,
  kMP4DataPNG = 14,
  kMP4DataInteger = 21,
};

constexpr UInt32 kMP4FreeAtomSize = 2048;

UInt32 DefaultMP4DataType(UInt32 atomType) {
  if (atomType == SpFourCC("gnre") || atomType == SpFourCC("disk") ||
      atomType == SpFourCC("trkn")) {
    return kMP4DataRaw;
  }
  if (atomType == SpFourCC("covr")) return kMP4DataPNG;
  if (atomType == SpFourCC("tmpo")) return kMP4DataInteger;
  return kMP4DataUTF8;
}

struct MP4Value {
  UInt32 atomType = 0;
  UInt32 dataType = 0;
  std::string bytes;
};

void AppendBE16(std::string& out, UInt32 value) {
  out.push_back(char(UInt8(value >> 8)));
  out.push_back(char(UInt8(value)));
}

// The picture of an ID3 'APIC' (encoding, MIME type, picture type, description, image) or
// v2.2 'PIC ' (encoding, three-letter format, picture type, description, image) frame.
bool PictureOfID3Frame(const cSp_MusicFileMusicInfoDataItemObj* item, std::string& image) {
  const char* data = item->GetDataPtr();
  if (data == nullptr || item->GetDataLength() < 2) return false;
  sp::ByteReader r(data, std::size_t(item->GetDataLength()));
  const UInt8 encoding = r.U8();
  const bool wide = encoding == kSpID3TextUTF16 || encoding == kSpID3TextUTF16BE;
  // Moves past a string and its terminator (two aligned zero bytes in UTF-16).
  auto skipString = [&r](bool wideString) {
    while (r.Has(wideString ? 2 : 1)) {
      if ((wideString ? r.BE16() : r.U8()) == 0) return true;
    }
    return false;
  };
  if (item->GetItemType() == SpFourCC("PIC ")) {
    r.Skip(3);
  } else if (!skipString(false)) {
    return false;  // the MIME type
  }
  r.Skip(1);  // picture type
  if (!skipString(wide) || !r.Ok() || r.AtEnd()) return false;
  image.assign(reinterpret_cast<const char*>(r.Current()), r.Remaining());
  return true;
}

bool IsPNG(const std::string& image) {
  return image.size() >= 8 && std::memcmp(image.data(), "\x89PNG\r\n\x1A\n", 8) == 0;
}

// The 'ilst' value an ID3 item becomes; false when it becomes none.
bool MP4ValueOfID3Item(const cSp_MusicFileMusicInfoDataItemObj* item, MP4Value& value) {
  UInt32 atom = 0;
  if (!SpQTI_ChangeID3_FrameId_ToQuickTimeMetaUserDataType(item->GetItemType(), atom)) {
    return false;
  }
  if (item->GetDataPtr() == nullptr || item->GetDataLength() <= 0) return false;
  value.atomType = atom;
  value.dataType = DefaultMP4DataType(atom);
  value.bytes.clear();
  if (atom == SpFourCC("covr")) {
    if (!PictureOfID3Frame(item, value.bytes)) return false;
    value.dataType = IsPNG(value.bytes) ? kMP4DataPNG : kMP4DataJPEG;
    return true;
  }
  std::u16string units;
  if (!ID3ItemTextAsUTF16(item, units)) return false;
  std::string utf8 = ToUTF8(units);
  long number = 0;
  long count = 0;
  if (atom == SpFourCC("trkn") || atom == SpFourCC("disk")) {
    if (!NumberAndCount(utf8, number, count, false)) return false;
    AppendBE16(value.bytes, 0);
    AppendBE16(value.bytes, UInt32(number));
    AppendBE16(value.bytes, UInt32(count));
    if (atom == SpFourCC("trkn")) AppendBE16(value.bytes, 0);
    return true;
  }
  if (atom == SpFourCC("tmpo")) {
    if (!PlainNumber(utf8, number)) return false;
    AppendBE16(value.bytes, UInt32(number));
    return true;
  }
  if (atom == SpFourCC("gnre")) {
    // MP4 genre numbers are the list's entry numbers: ID3 genre n + 1.
    if (NumberInParentheses(utf8, number) || PlainNumber(utf8, number)) {
      AppendBE16(value.bytes, UInt32(number + 1));
      return true;
    }
    std::string name;
    if (!ToProgramText(kTextEncodingUTF8, utf8.data(), utf8.size(), name)) return false;
    short entry = 0;
    if (!SpQTI_String_To_GenreNo(name.c_str(), entry)) return false;
    AppendBE16(value.bytes, UInt32(entry));
    return true;
  }
  if (atom == QT("day") && utf8.size() < 4) return false;
  value.bytes = utf8;
  return true;
}

// The 'ilst' value an MP4 item becomes: itself.
bool MP4ValueOfMP4Item(const cSp_MusicFileMusicInfoDataItemObj* item, MP4Value& value) {
  UInt32 type = item->GetItemType();
  if (!SpQTM_CheckEnableMP4MetaDataType(type)) return false;
  SInt32 length = item->GetDataLength();
  if (type == QT("day") && length < 4) return false;
  value.atomType = type;
  value.dataType = item->IsFlagInfoSet() && item->GetFlagInfo() != 0 ? item->GetFlagInfo()
                                                                     : DefaultMP4DataType(type);
  value.bytes.assign(item->GetDataPtr() == nullptr ? "" : item->GetDataPtr(),
                     std::size_t(length > 0 ? length : 0));
  return true;
}

// The atom: [size][type] holding [size]['data'][data type][locale 0][value].
std::size_t MP4AtomSize(const MP4Value& value) {
  return 24 + value.bytes.size();
}

void AppendMP4Atom(std::string& out, const MP4Value& value) {
  char header[24];
  sp::StoreBE32(header, UInt32(MP4AtomSize(value)));
  sp::StoreBE32(header + 4, value.atomType);
  sp::StoreBE32(header + 8, UInt32(16 + value.bytes.size()));
  sp::StoreBE32(header + 12, SpFourCC("data"));
  sp::StoreBE32(header + 16, value.dataType);
  sp::StoreBE32(header + 20, 0);
  out.append(header, sizeof header);
  out.append(value.bytes);
}

typedef bool (*MP4ValueProc)(const cSp_MusicFileMusicInfoDataItemObj*, MP4Value&);

// The atoms of the items from `first` on; false when they would pass the limit.
bool MP4AtomsOfItems(const cSp_MusicFileMusicInfoDataItemObj* first, MP4ValueProc valueOf,
                     std::string& out) {
  out.clear();
  MP4Value value;
  for (const cSp_MusicFileMusicInfoDataItemObj* item = first; item != nullptr;
       item = item->GetNextObjectPtr()) {
    if (!valueOf(item, value)) continue;
    if (MP4AtomSize(value) > 0x7FFFFFF0u - out.size()) return false;
    AppendMP4Atom(out, value);
  }
  return true;
}

OSErr CopyIntoBuffer(const std::string& bytes, char* buffer, UInt32 size, UInt32& used) {
  used = 0;
  if (bytes.size() > size) return memFullErr;
  if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
  used = UInt32(bytes.size());
  return noErr;
}

// The whole 'meta' item of a record: version and flags, the 'ilst' atom, a 'free' atom.
OSErr MetaItemOfRecord(cSp_MusicFileMusicInfoDataObj* record, std::string& out) {
  out.clear();
  const cSp_MusicFileMusicInfoDataItemObj* first = record->GetFirstItemPtr();
  if (first == nullptr) return paramErr;
  std::string atoms;
  bool ok = false;
  switch (record->GetMusicInfoType()) {
    case kSpMusicInfo_ID3:
    case kSpMusicInfo_ID3ForWrite:
    case kSpMusicInfo_ID3Other:
      ok = MP4AtomsOfItems(first, MP4ValueOfID3Item, atoms);
      break;
    case kSpMusicInfo_MP4Meta:
      ok = MP4AtomsOfItems(first, MP4ValueOfMP4Item, atoms);
      break;
    default:
      return paramErr;
  }
  if (!ok) return memFullErr;
  if (atoms.empty()) return paramErr;
  char header[12];
  sp::StoreBE32(header, 0);
  sp::StoreBE32(header + 4, UInt32(8 + atoms.size()));
  sp::StoreBE32(header + 8, SpFourCC("ilst"));
  out.append(header, sizeof header);
  out.append(atoms);
  char free[8];
  sp::StoreBE32(free, kMP4FreeAtomSize);
  sp::StoreBE32(free + 4, SpFourCC("free"));
  out.append(free, sizeof free);
  out.append(kMP4FreeAtomSize - 8, '\0');
  return noErr;
}

// ---- Writing a record into user data ------------------------------------------------------------

// Stores the text as item 1 of the type: text types as Japanese text, others as raw bytes.
// With `replace`, an existing item 1 goes first, with the text of every language it holds, so
// that no older title in another language stays behind the new one.
OSErr StoreUserDataText(UserData userData, UInt32 type, const std::string& text, bool replace) {
  if (replace && CountUserDataType(userData, type) > 0) RemoveUserData(userData, type, 1);
  if (BeginsWithCopyright(type)) {
    return AddUserDataTextFromCString(userData, SInt32(type), 1, text.c_str());
  }
  return AddUserDataBytes(userData, type, text.data(), text.size());
}

// One ID3 item into user data; true when it was stored.
bool StoreID3ItemIntoUserData(cSp_MusicFileMusicInfoDataItemObj* item, tMusicFileInfoType kind,
                              short major, UserData userData) {
  UInt32 type = 0;
  if (item->GetDataPtr() == nullptr || item->GetDataLength() <= 0) return false;
  if (!SpQTI_ChangeID3FrameId_ToQuickTimeUserDataType(item->GetItemType(), type)) return false;
  // Program text takes at most two bytes for each byte of any encoding.
  std::vector<char> buffer(std::size_t(item->GetDataLength()) * 2 + 16, 0);
  unsigned char cut = 0;
  if (!item->GetTextDataIntoTargetMemory(kind, major, buffer.data(), SInt32(buffer.size()), &cut)) {
    return false;
  }
  std::string text = buffer.data();
  if (type == QT("gen")) {
    std::string name;
    if (!GenreNameOfID3Text(text, name)) return false;
    text = name;
  }
  if (text.empty()) return false;
  if (StoreUserDataText(userData, type, text, true) != noErr) return false;
  long number = 0;
  long count = 0;
  if (type == QT("trk") && NumberAndCount(text, number, count, true)) {
    UInt8 trkn[4];
    sp::StoreBE16(trkn, UInt16(number));
    sp::StoreBE16(trkn + 2, UInt16(count));
    if (CountUserDataType(userData, SpFourCC("trkn")) > 0) {
      RemoveUserData(userData, SpFourCC("trkn"), 1);
    }
    AddUserDataBytes(userData, SpFourCC("trkn"), trkn, sizeof trkn);
  }
  return true;
}

// One MP4 item into user data.
void StoreMP4ItemIntoUserData(cSp_MusicFileMusicInfoDataItemObj* item, UserData userData) {
  UInt32 type = item->GetItemType();
  const char* data = item->GetDataPtr();
  SInt32 length = item->GetDataLength();
  if (data == nullptr || length <= 0 || !SpQTM_CheckEnableMP4MetaDataType(type)) return;
  std::string text;
  if (type == SpFourCC("gnre")) {
    if (length < 2) return;
    std::vector<char> name(kSpQTI_GenreNameSize, 0);
    if (!SpQTI_GenreNo_To_String(short(sp::LoadBE16(data)), name.data(), long(name.size())) ||
        name[0] == 0) {
      return;
    }
    StoreUserDataText(userData, QT("gen"), name.data(), false);
    return;
  }
  if (type == QT("grp")) {
    text.assign(data, std::size_t(length));
  } else if (type == QT("nam") || type == QT("cmt") || type == QT("ART") || type == QT("alb") ||
             type == QT("com") || type == QT("wrt") || type == SpFourCC("name") ||
             type == QT("aut") || type == QT("prd") || type == QT("ope")) {
    if (!ToProgramText(kTextEncodingUTF8, data, std::size_t(length), text)) return;
  } else {
    return;
  }
  std::size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  if (text.empty()) return;
  // MP4 keeps the composer under the writer's code; movies under the composer's.
  StoreUserDataText(userData, type == QT("wrt") ? QT("com") : type, text, false);
}

}  // namespace

// ---- Id tables ----------------------------------------------------------------------------------

short SpQTI_ChangeID3Version2_Over2_3_from_Under2_2(UInt32 id22, UInt32& id23) {
  for (const IdPair& pair : kID3VersionPairs) {
    if (pair.id22 == id22) {
      id23 = pair.id23;
      return 1;
    }
  }
  return 0;
}

short SpQTI_ChangeID3Version2_Under2_2_from_Over2_3(UInt32 id23, UInt32& id22) {
  for (const IdPair& pair : kID3VersionPairs) {
    if (pair.id23 == id23) {
      id22 = pair.id22;
      return 1;
    }
  }
  return 0;
}

short SpQTI_ChangeID3FrameId_ToQuickTimeUserDataType(UInt32 frameId, UInt32& userDataType) {
  const TypeRow* row = RowOfId(kUserDataRows, frameId);
  if (row == nullptr) return 0;
  userDataType = row->type;
  return 1;
}

short SpQTI_ChangeQTUserDataToID3Code(UInt32 userDataType, UInt32& frameId, unsigned char above22) {
  const TypeRow* row = RowOfType(kUserDataRows, userDataType);
  if (row == nullptr) row = RowOfType(kUserDataOnlyRows, userDataType);
  // Types read from movies that ID3 has no frame for.
  if (row == nullptr || userDataType == QT("src") || userDataType == QT("swr")) return 0;
  frameId = above22 ? row->id23 : row->id22;
  return 1;
}

short SpQTI_ChangeQuickTimeUserDataType_ToID3FrameId_Over2_3(UInt32 userDataType) {
  return ListHolds(kUserDataTypesRead, userDataType) ? 1 : 0;
}

short SpQTI_ChangeID3_FrameId_ToQuickTimeMetaUserDataType(UInt32 frameId, UInt32& atomType) {
  const TypeRow* row = RowOfId(kMP4Rows, frameId);
  if (row == nullptr) return 0;
  atomType = row->type;
  return 1;
}

short SpQTI_ChangeQuickTimeMetaUserDataType_ToID3_FrameId(UInt32 atomType, UInt32& frameId,
                                                          unsigned char above22) {
  const TypeRow* row = RowOfType(kMP4Rows, atomType);
  if (row == nullptr) row = RowOfType(kMP4BlankRows, atomType);
  if (row == nullptr) return 0;
  frameId = above22 ? row->id23 : row->id22;
  return 1;
}

short SpQTM_CheckEnableMP4MetaDataType(UInt32 atomType) {
  return ListHolds(kMP4TypesTaken, atomType) ? 1 : 0;
}

// ---- Genre list -------------------------------------------------------------------------------

void SpQTI_LoadGenreTable() {
  std::vector<GenreEntry>& list = GenreList();
  list.clear();
  Handle strings = GetResource(SpFourCC("STR#"), kSpQTI_GenreListResID);
  if (strings == nullptr || *strings == nullptr) {
    // Without the resource the list stays unbuilt, so that a later use looks again.
    gGenreListBuilt = false;
    return;
  }
  sp::ByteReader reader(*strings, std::size_t(GetHandleSize(strings)));
  UInt16 count = reader.BE16();
  for (UInt16 index = 1; index <= count && reader.Ok(); ++index) {
    unsigned char name[256];
    if (!reader.PascalString(name)) break;
    list.push_back(
        GenreEntry{short(index), std::string(reinterpret_cast<char*>(name + 1), name[0])});
  }
  gGenreListBuilt = true;
}

short SpQTI_GenreNo_To_String(short number, char* name, long nameSize) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "SpQTI_GenreNo_To_String", 1, kSpMsgNullArgument, short(0));
  }
  BuildGenreListOnFirstUse();
  for (const GenreEntry& entry : GenreList()) {
    if (entry.number != number) continue;
    if (nameSize < 1) return 0;
    std::size_t length = entry.name.size();
    if (length > std::size_t(nameSize - 1)) length = std::size_t(nameSize - 1);
    if (length > std::size_t(kSpQTI_GenreNameSize - 1)) length = kSpQTI_GenreNameSize - 1;
    std::memcpy(name, entry.name.data(), length);
    name[length] = 0;
    return 1;
  }
  return 0;
}

short SpQTI_String_To_GenreNo(const char* name, short& number) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "SpQTI_String_To_GenreNo", 1, kSpMsgNullArgument, short(0));
  }
  BuildGenreListOnFirstUse();
  for (const GenreEntry& entry : GenreList()) {
    if (entry.name == name) {
      number = entry.number;
      return 1;
    }
  }
  return 0;
}

// ---- Reading movie user data ------------------------------------------------------------------

OSErr SpQTI_ParseQuickTimeUserDataMetaDataAndSetupMusicInfo(const char* data, UInt32 size,
                                                            cSp_MusicFileMusicInfoDataObj*& record,
                                                            SInt32& count) {
  static const char kMethod[] = "SpQTI_ParseQuickTimeUserDataMetaDataAndSetupMusicInfo";
  record = nullptr;
  count = 0;
  if (data == nullptr) return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, paramErr);
  auto* mp4 = new (std::nothrow) cSp_MusicFileMusicInfoDataObj(kSpMusicInfo_MP4Meta);
  if (mp4 == nullptr) return SpReportFailure(kSource, kMethod, 2, kSpMsgMemory, memFullErr);

  // The item: version and flags, then atoms; the tags are the children of the first 'ilst',
  // and whatever follows it is not looked at.
  namespace qt = sp::quicktime;
  const UInt8* bytes = reinterpret_cast<const UInt8*>(data);
  OSErr result = noErr;
  SInt32 taken = 0;
  std::vector<qt::Atom> atoms;
  std::vector<qt::Atom> tags;
  qt::ListAtoms(bytes, std::min<UInt32>(4, size), size, atoms);
  const qt::Atom* list = qt::FindAtom(atoms, SpFourCC("ilst"));
  if (list == nullptr ||
      !qt::ListAtoms(bytes, list->dataStart, list->dataStart + list->dataSize, tags)) {
    result = paramErr;
  }
  for (std::size_t i = 0; result == noErr && i < tags.size(); ++i) {
    const qt::Atom& tag = tags[i];
    if (!SpQTM_CheckEnableMP4MetaDataType(tag.type)) continue;
    // Each tag holds a 'data' atom: the value's data type, a locale, then the value.
    std::vector<qt::Atom> inner;
    qt::ListAtoms(bytes, tag.dataStart, tag.dataStart + tag.dataSize, inner);
    if (inner.empty() || inner.front().type != SpFourCC("data")) {
      result = paramErr;
      break;
    }
    sp::ByteReader value(bytes + inner.front().dataStart, inner.front().dataSize);
    UInt32 dataType = value.BE32();
    value.Skip(4);  // locale
    if (!value.Ok()) {
      result = paramErr;
      break;
    }
    std::size_t length = value.Remaining();
    char* block = NewPtrClear(Size(length + 4));
    if (block == nullptr) {
      result = SpReportFailure(kSource, kMethod, 2, kSpMsgMemory, memFullErr);
      break;
    }
    value.Bytes(block, length);
    cSp_MusicFileMusicInfoDataItemObj* item =
        mp4->SetupNewTextDataMemory(tag.type, block, SInt32(length), SInt32(length + 4));
    if (item == nullptr) {
      result = memFullErr;
      break;
    }
    if (dataType != 0) item->SetupFlagInfo(dataType);
    ++taken;
  }
  if (result == noErr && taken == 0) result = paramErr;
  if (result != noErr) {
    delete mp4;
    return result;
  }
  record = mp4;
  count = taken;
  return noErr;
}

OSErr SpQTI_LoadQuickTimeUserDataAndSetupMusicInfo(Movie movie, cSayErrorNoMgr* errors,
                                                   cSp_MusicFileMusicInfoDataObj*& record) {
  static const char kMethod[] = "SpQTI_LoadQuickTimeUserDataAndSetupMusicInfo";
  record = nullptr;
  if (movie == nullptr) return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, paramErr);
  UserData userData = GetMovieUserData(movie);
  if (userData == nullptr) return paramErr;
  auto* qt = new (std::nothrow) cSp_MusicFileMusicInfoDataObj(kSpMusicInfo_QTUserData);
  if (qt == nullptr) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgMemory);
    ShowError(errors, memFullErr);
    return memFullErr;
  }

  OSErr result = noErr;
  SInt32 count = 0;
  cSp_MusicFileMusicInfoDataObj* mp4 = nullptr;
  for (OSType type = GetNextUserDataType(userData, 0);
       type != 0 && result == noErr && mp4 == nullptr; type = GetNextUserDataType(userData, type)) {
    if (!SpQTI_ChangeQuickTimeUserDataType_ToID3FrameId_Over2_3(type)) continue;
    SInt16 items = CountUserDataType(userData, type);
    for (SInt32 index = 1; index <= items && result == noErr && mp4 == nullptr; ++index) {
      Handle data = NewHandle(0);
      if (data == nullptr) {
        result = memFullErr;
        break;
      }
      SInt32 language = -1;
      OSErr err = ReadUserDataItem(userData, type, index, data, language);
      if (err == userDataItemNotFound && BeginsWithCopyright(type)) {
        // A text item in no form this program reads: passed over, not a failure.
        DisposeHandle(data);
        continue;
      }
      if (err != noErr) {
        result = err;
        DisposeHandle(data);
        break;
      }
      Size size = GetHandleSize(data);
      if (type == SpFourCC("meta")) {
        ++count;
        cSp_MusicFileMusicInfoDataObj* found = nullptr;
        SInt32 found_count = 0;
        HLock(data);
        err = SpQTI_ParseQuickTimeUserDataMetaDataAndSetupMusicInfo(*data, UInt32(size), found,
                                                                    found_count);
        HUnlock(data);
        if (err == noErr && found != nullptr) {
          mp4 = found;
          count = found_count;
        } else if (err != noErr && err != paramErr) {
          result = err;
        }
      } else if (size > 0) {
        // Two zero bytes beyond the text, so that it always reads as a string.
        char* block = NewPtrClear(size + 2);
        if (block == nullptr) {
          result = memFullErr;
        } else {
          std::memcpy(block, *data, std::size_t(size));
          cSp_MusicFileMusicInfoDataItemObj* item =
              qt->SetupNewTextDataMemory(type, block, SInt32(size), SInt32(size + 2));
          if (item == nullptr) {
            result = memFullErr;
          } else {
            if (language >= 0) item->SetupFlagInfo(UInt32(language));
            ++count;
          }
        }
      }
      DisposeHandle(data);
    }
  }

  if (result != noErr) {
    delete qt;
    delete mp4;
    ShowError(errors, result);
    return result;
  }
  if (mp4 != nullptr) {
    delete qt;
    record = mp4;
    return noErr;
  }
  if (count == 0) {
    delete qt;
    return noErr;
  }
  record = qt;
  return noErr;
}

short SpQTI_GetUserDataItemTextAsCString(const char* data, SInt32 length, UInt32 languageCode,
                                         char* buffer, SInt32 bufferSize, unsigned char* cut) {
  if (data == nullptr || buffer == nullptr) {
    return SpReportFailure(kSource, "SpQTI_GetUserDataItemTextAsCString", 1, kSpMsgNullArgument,
                           short(0));
  }
  if (cut != nullptr) *cut = 0;
  if (bufferSize < 1 || length <= 0) return 0;
  std::string text;
  const UInt8* bytes = reinterpret_cast<const UInt8*>(data);
  if (languageCode == UInt32(kSpQTI_UserDataLanguageJapanese)) {
    text.assign(data, std::size_t(length));
  } else if (languageCode < 0x400) {
    // Mac language codes other than Japanese are written in the Roman script.
    if (!ToProgramText(kTextEncodingMacRoman, data, std::size_t(length), text)) return 0;
  } else {
    // Text marked with an ISO language code is Unicode: UTF-16 with its byte-order mark, or
    // UTF-8.
    bool utf16 = length >= 2 &&
                 ((bytes[0] == 0xFE && bytes[1] == 0xFF) || (bytes[0] == 0xFF && bytes[1] == 0xFE));
    if (!ToProgramText(utf16 ? kTextEncodingUTF16 : kTextEncodingUTF8, data, std::size_t(length),
                       text)) {
      return 0;
    }
  }
  std::size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  bool wasCut = sp_musicinfo::CopyProgramText(text.data(), text.size(), buffer, bufferSize);
  if (cut != nullptr && wasCut) *cut = 1;
  return 1;
}

// ---- Writing user data
// ----------------------------------------------------------------------------

OSErr AddUserDataTextFromCString(UserData userData, SInt32 type, SInt32 index, const char* text) {
  if (userData == nullptr || text == nullptr) {
    return SpReportFailure(kSource, "AddUserDataTextFromCString", 1, kSpMsgNullArgument,
                           OSErr(paramErr));
  }
  // The Japanese script's encoding is the program's own: the text must be valid in it whole.
  std::size_t length = std::strlen(text);
  std::u16string units;
  std::string encoded;
  if (!DecodeText(kTextEncodingMacJapanese, text, length, units) ||
      !sp::text::EncodeFromUTF16(kTextEncodingMacJapanese, units.data(), units.size(), 0,
                                 encoded)) {
    return OSErr(kTextUnsupportedEncodingErr);
  }
  Handle h = HandleOfBytes(encoded.data(), encoded.size());
  if (h == nullptr) return memFullErr;
  OSErr err = AddUserDataText(userData, h, OSType(type), index, kSpQTI_UserDataLanguageJapanese);
  DisposeHandle(h);
  return err;
}

OSErr SpQTI_AddUserDataTextIntoMovie(Movie movie, const char* text, UInt32 type) {
  if (movie == nullptr || text == nullptr) {
    return SpReportFailure(kSource, "SpQTI_AddUserDataTextIntoMovie", 1, kSpMsgNullArgument,
                           OSErr(paramErr));
  }
  UserData userData = GetMovieUserData(movie);
  if (userData == nullptr) return paramErr;
  Handle h = HandleOfBytes(text, std::strlen(text));
  if (h == nullptr) return memFullErr;
  OSErr err = AddUserDataText(userData, h, type, 1, kSpQTI_UserDataLanguageJapanese);
  DisposeHandle(h);
  return err;
}

unsigned char cSp_MusicFileMusicInfoDataObj::SetupID3intoMovieFileWithUserData(Movie movie) {
  if (movie == nullptr) {
    return SpReportFailure(kSource,
                           "cSp_MusicFileMusicInfoDataObj::SetupID3intoMovieFileWithUserData", 1,
                           kSpMsgNullArgument, static_cast<unsigned char>(0));
  }
  cSp_MusicFileMusicInfoDataItemObj* first = GetFirstItemPtr();
  if (first == nullptr) return 0;
  UserData userData = GetMovieUserData(movie);
  if (userData == nullptr) return 0;
  return first->SetupID3intoMovieFileWithUserDataOnLink(GetMusicInfoType(), GetVersionMajor(),
                                                        userData);
}

unsigned char cSp_MusicFileMusicInfoDataItemObj::SetupID3intoMovieFileWithUserDataOnLink(
    tMusicFileInfoType kind, short major, UserData userData) {
  if (userData == nullptr) {
    return SpReportFailure(
        kSource, "cSp_MusicFileMusicInfoDataItemObj::SetupID3intoMovieFileWithUserDataOnLink", 1,
        kSpMsgNullArgument, static_cast<unsigned char>(0));
  }
  unsigned char converted = 0;
  bool id3 =
      kind == kSpMusicInfo_ID3 || kind == kSpMusicInfo_ID3ForWrite || kind == kSpMusicInfo_ID3Other;
  for (cSp_MusicFileMusicInfoDataItemObj* item = this; item != nullptr;
       item = item->GetNextObjectPtr()) {
    if (id3) {
      if (StoreID3ItemIntoUserData(item, kind, major, userData)) converted = 1;
    } else if (kind == kSpMusicInfo_MP4Meta) {
      StoreMP4ItemIntoUserData(item, userData);
    }
  }
  return converted;
}

// ---- Writing an MP4 'meta' item
// -------------------------------------------------------------------

OSErr cSp_MusicFileMusicInfoDataItemObj::WritePM4TagInTagergetMemory_FromID3TagOnLink(
    char* buffer, UInt32 size, UInt32& used) {
  used = 0;
  if (buffer == nullptr) {
    return SpReportFailure(kSource,
                           "cSp_MusicFileMusicInfoDataItemObj::"
                           "WritePM4TagInTagergetMemory_FromID3TagOnLink",
                           1, kSpMsgNullArgument, OSErr(paramErr));
  }
  std::string atoms;
  if (!MP4AtomsOfItems(this, MP4ValueOfID3Item, atoms)) return memFullErr;
  return CopyIntoBuffer(atoms, buffer, size, used);
}

OSErr cSp_MusicFileMusicInfoDataItemObj::GetPM4TMusicInfoSize_FromID3TagOnLink(UInt32& size) {
  std::string atoms;
  size = 0;
  if (!MP4AtomsOfItems(this, MP4ValueOfID3Item, atoms)) return memFullErr;
  size = UInt32(atoms.size());
  return noErr;
}

OSErr cSp_MusicFileMusicInfoDataItemObj::WritePM4TagInTagergetMemory_FromMP4InfoOnLink(
    char* buffer, UInt32 size, UInt32& used) {
  used = 0;
  if (buffer == nullptr) {
    return SpReportFailure(kSource,
                           "cSp_MusicFileMusicInfoDataItemObj::"
                           "WritePM4TagInTagergetMemory_FromMP4InfoOnLink",
                           1, kSpMsgNullArgument, OSErr(paramErr));
  }
  std::string atoms;
  if (!MP4AtomsOfItems(this, MP4ValueOfMP4Item, atoms)) return memFullErr;
  return CopyIntoBuffer(atoms, buffer, size, used);
}

OSErr cSp_MusicFileMusicInfoDataItemObj::GetPM4TMusicInfoSize_FromMP4InfoOnLink(UInt32& size) {
  std::string atoms;
  size = 0;
  if (!MP4AtomsOfItems(this, MP4ValueOfMP4Item, atoms)) return memFullErr;
  size = UInt32(atoms.size());
  return noErr;
}

OSErr cSp_MusicFileMusicInfoDataObj::GetMusicInfoMemorySizeWithUserDataMetaType(UInt32& size) {
  size = 0;
  std::string meta;
  OSErr err = MetaItemOfRecord(this, meta);
  if (err == noErr) size = UInt32(meta.size());
  return err;
}

OSErr cSp_MusicFileMusicInfoDataObj::SetupMusicInfoOnTargetMemoryWithMP4UserDataMetaType(
    char* buffer, UInt32 size, UInt32& used) {
  used = 0;
  if (buffer == nullptr) {
    return SpReportFailure(kSource,
                           "cSp_MusicFileMusicInfoDataObj::"
                           "SetupMusicInfoOnTargetMemoryWithMP4UserDataMetaType",
                           1, kSpMsgNullArgument, OSErr(paramErr));
  }
  std::string meta;
  OSErr err = MetaItemOfRecord(this, meta);
  if (err != noErr) return err;
  return CopyIntoBuffer(meta, buffer, size, used);
}

OSErr cSp_MusicFileMusicInfoDataObj::SetupMusicInfoIntoMovieFileWithUserDataMetaType(Movie movie) {
  if (movie == nullptr) {
    return SpReportFailure(
        kSource, "cSp_MusicFileMusicInfoDataObj::SetupMusicInfoIntoMovieFileWithUserDataMetaType",
        1, kSpMsgNullArgument, OSErr(paramErr));
  }
  UserData userData = GetMovieUserData(movie);
  if (userData == nullptr) return paramErr;
  std::string meta;
  OSErr err = MetaItemOfRecord(this, meta);
  if (err != noErr) return err;
  Handle h = HandleOfBytes(meta.data(), meta.size());
  if (h == nullptr) return memFullErr;
  if (CountUserDataType(userData, SpFourCC("meta")) > 0) {
    RemoveUserData(userData, SpFourCC("meta"), 1);
  }
  err = AddUserData(userData, h, SpFourCC("meta"));
  DisposeHandle(h);
  return err;
}
