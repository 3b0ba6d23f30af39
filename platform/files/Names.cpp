// Names between Linux (UTF-8 bytes, '/' separating folders) and the program (MacJapanese
// classic names and UTF-16 Unicode names, ':' separating the parts of a classic path).
//
// A ':' in a Linux name shows as '/' in both of the program's forms, and a '/' of the
// program's names becomes ':' on disk, so every Linux name has a program name and back.
// A name MacJapanese cannot hold, or one longer than a call can carry, gets a stand-in made
// from the item's id: it is stable for as long as the item keeps its id, and the look-ups
// recognise it (Catalog.cpp).
//
// Linux names are bytes, and old archives leave names that are no UTF-8 (Shift-JIS, Latin-1).
// Such a name is never changed nor merged with another: its raw bytes stay its identity.
// Bytes that are valid MacJapanese (and come back the same from their text) are their own
// classic name, and their decoding is the Unicode name. Other bytes show as a stand-in in
// the classic calls and, in the Unicode name, keep each byte that is no UTF-8 as U+DC80 +
// byte (FileNameToUTF16), so that the Unicode name leads back to exactly these bytes.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "Files.h"
#include "Script.h"
#include "SpTextCodec.h"
#include "detail/Catalog.h"
#include "detail/FilesInternal.h"

namespace sp_platform {
namespace files {
namespace {

constexpr std::size_t kMaxUnicodeUnits = 255;
// An extension is kept in a stand-in when it is this short (the dot and up to five
// characters), so "Very long title ....aiff" still reads as an AIFF file.
constexpr std::size_t kMaxKeptExtensionUnits = 6;

std::string SwapColonsAndSlashes(const std::string& s, char from, char to) {
  std::string out = s;
  for (char& c : out) {
    if (c == from) c = to;
  }
  return out;
}

bool IsAcceptableLinuxName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

bool IsUTF8(const std::string& bytes) {
  std::u16string text;
  return sp::text::DecodeToUTF16(kTextEncodingUTF8, bytes.data(), bytes.size(), text);
}

// The text of bytes that are no UTF-8 but valid MacJapanese which encodes back to the very
// same bytes; false otherwise.
bool MacJapaneseText(const std::string& bytes, std::u16string& text) {
  text.clear();
  if (bytes.empty() || IsUTF8(bytes)) return false;
  if (!sp::text::DecodeToUTF16(kTextEncodingMacJapanese, bytes.data(), bytes.size(), text)) {
    return false;
  }
  std::string again;
  if (sp::text::EncodeFromUTF16(kTextEncodingMacJapanese, text.data(), text.size(), 0, again) &&
      again == bytes) {
    return true;
  }
  text.clear();
  return false;
}

// The text of a Shift-JIS name (':' already shown as '/'), unless a UTF-8 name of that text
// sits beside it in `folder`: the look-ups find that one by the text, so this one shows its
// bytes as a name that is no UTF-8 instead.
bool ShiftJISText(const std::string& shown, const std::string& folder, std::u16string& text) {
  if (!MacJapaneseText(shown, text)) return false;
  if (folder.empty()) return true;
  const std::string twin = SwapColonsAndSlashes(sp::text::UTF16ToUTF8(text), '/', ':');
  struct stat st;
  if (lstat(JoinPath(folder, twin).c_str(), &st) != 0) return true;
  text.clear();
  return false;
}

// The Unicode text of a Linux name, ':' shown as '/'.
std::u16string ShownText(const std::string& linuxName, const std::string& folder) {
  const std::string shown = SwapColonsAndSlashes(linuxName, ':', '/');
  std::u16string text;
  if (ShiftJISText(shown, folder, text)) return text;
  return sp::text::FileNameToUTF16(shown);
}

std::string HexId(UInt32 id) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  do {
    out.insert(out.begin(), kDigits[id & 0xF]);
    id >>= 4;
  } while (id != 0);
  return out;
}

// MacJapanese bytes of UTF-16 text, a character at a time; a character MacJapanese cannot
// hold becomes '_'. Stops before the character that would pass `limit` bytes.
std::string EncodeFitting(const std::u16string& text, std::size_t limit) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    std::string piece;
    std::size_t used =
        sp::text::EncodeStep(kTextEncodingMacJapanese, text.data(), text.size(), i, piece);
    if (used == 0) {
      piece = "_";
      used = (text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size()) ? 2 : 1;
    }
    if (out.size() + piece.size() > limit) break;
    out += piece;
    i += used;
  }
  return out;
}

}  // namespace

std::string ShownNameOfClassic(const std::string& classic) {
  return SwapColonsAndSlashes(classic, '/', ':');
}

std::string ClassicNameOfShown(const std::string& shown) {
  return SwapColonsAndSlashes(shown, ':', '/');
}

std::string ClassicName(const std::string& linuxName, UInt32 nodeID, std::size_t limit,
                        const std::string& folder) {
  const std::string shown = SwapColonsAndSlashes(linuxName, ':', '/');
  std::string mac;
  std::u16string text;
  if (IsUTF8(shown)) {
    if (sp::text::UTF8ToMacJapanese(shown, mac) && mac.size() <= limit &&
        mac.find('\0') == std::string::npos) {
      return mac;
    }
    text = sp::text::UTF8ToUTF16(shown);
  } else if (ShiftJISText(shown, folder, text)) {
    if (shown.size() <= limit) return shown;
  } else {
    text = sp::text::FileNameToUTF16(shown);
  }
  // The stand-in: "<what fits>#<id in hex><short extension>".
  std::u16string base = text;
  std::string extension;
  const std::size_t dot = text.rfind(u'.');
  if (dot != std::u16string::npos && dot > 0 && text.size() - dot <= kMaxKeptExtensionUnits) {
    std::string encoded;
    if (sp::text::EncodeFromUTF16(kTextEncodingMacJapanese, text.data() + dot, text.size() - dot, 0,
                                  encoded)) {
      extension = encoded;
      base = text.substr(0, dot);
    }
  }
  const std::string suffix = "#" + HexId(nodeID);
  if (suffix.size() + extension.size() > limit) extension.clear();
  if (suffix.size() > limit) return suffix.substr(0, limit);
  return EncodeFitting(base, limit - suffix.size() - extension.size()) + suffix + extension;
}

bool LinuxNameFromClassic(const unsigned char* bytes, std::size_t length, std::string& out) {
  out.clear();
  if (bytes == nullptr || length == 0) return false;
  if (std::memchr(bytes, ':', length) != nullptr) return false;
  std::u16string text;
  if (!sp::text::DecodeToUTF16(kTextEncodingMacJapanese, bytes, length, text)) return false;
  std::string name = SwapColonsAndSlashes(sp::text::UTF16ToUTF8(text), '/', ':');
  if (!IsAcceptableLinuxName(name)) return false;
  out = std::move(name);
  return true;
}

bool LinuxNameFromUnicode(const UniChar* chars, std::size_t count, std::string& out) {
  out.clear();
  if (chars == nullptr || count == 0 || count > kMaxUnicodeUnits) return false;
  std::u16string text(reinterpret_cast<const char16_t*>(chars), count);
  if (text.find(u':') != std::u16string::npos) return false;
  std::string name = SwapColonsAndSlashes(sp::text::FileNameFromUTF16(text), '/', ':');
  if (!IsAcceptableLinuxName(name)) return false;
  out = std::move(name);
  return true;
}

bool RawLinuxNameFromClassic(const unsigned char* bytes, std::size_t length, std::string& out) {
  out.clear();
  if (bytes == nullptr || length == 0) return false;
  const std::string classic(reinterpret_cast<const char*>(bytes), length);
  std::u16string text;
  if (classic.find(':') != std::string::npos || !MacJapaneseText(classic, text)) return false;
  std::string name = SwapColonsAndSlashes(classic, '/', ':');
  if (!IsAcceptableLinuxName(name)) return false;
  out = std::move(name);
  return true;
}

OSErr LocateUnicodeInFolder(const Location& folder, const UniChar* chars, std::size_t count,
                            Location& out) {
  std::string name;
  if (!LinuxNameFromUnicode(chars, count, name)) return bdNamErr;
  const OSErr err = LocateInFolder(folder, name, out);
  if (err != fnfErr) return err;
  // Text MacJapanese holds may be the decoding of a Shift-JIS name on disk.
  const std::u16string text(reinterpret_cast<const char16_t*>(chars), count);
  std::string mac;
  if (!sp::text::EncodeFromUTF16(kTextEncodingMacJapanese, text.data(), text.size(), 0, mac)) {
    return err;
  }
  std::string raw;
  Location item;
  if ((RawLinuxNameFromClassic(reinterpret_cast<const unsigned char*>(mac.data()), mac.size(),
                               raw) &&
       LocateInFolder(folder, raw, item) == noErr) ||
      LocateStandIn(folder, mac, item) == noErr) {
    out = item;
    return noErr;
  }
  return err;
}

void UnicodeName(const std::string& linuxName, HFSUniStr255* out, const std::string& folder) {
  if (out == nullptr) return;
  const std::u16string text = ShownText(linuxName, folder);
  std::size_t length = text.size();
  if (length > kMaxUnicodeUnits) {
    length = kMaxUnicodeUnits;
    // Never the first half of a surrogate pair at the end.
    if (text[length - 1] >= 0xD800 && text[length - 1] < 0xDC00) --length;
  }
  out->length = UInt16(length);
  for (std::size_t i = 0; i < length; ++i) out->unicode[i] = UniChar(text[i]);
}

}  // namespace files
}  // namespace sp_platform

SInt32 SpFileNamePrefixThatFits(const char* name, SInt32 length, SInt32 limit, SInt32 suffixBytes) {
  if (name == nullptr || length <= 0 || limit <= 0) return 0;
  // The longest name a Linux folder holds, in bytes of its UTF-8.
  constexpr SInt32 kDiskNameBytes = 255;
  const SInt32 diskRoom = kDiskNameBytes - std::max<SInt32>(0, suffixBytes);
  SInt32 taken = 0;
  SInt32 diskBytes = 0;
  while (taken < length) {
    Ptr at = const_cast<Ptr>(name + taken);
    const SInt32 step =
        taken + 1 < length && (CharacterType(at, 0, smJapanese) & smcDoubleMask) != 0 ? 2 : 1;
    if (taken + step > limit) break;
    std::u16string text;
    // A character MacJapanese does not decode makes no Linux name at all; it is counted at its
    // largest so that the cut never depends on it.
    const SInt32 bytes =
        sp::text::DecodeToUTF16(kTextEncodingMacJapanese, at, std::size_t(step), text)
            ? SInt32(sp::text::UTF16ToUTF8(text).size())
            : 3 * step;
    if (diskBytes + bytes > diskRoom) break;
    diskBytes += bytes;
    taken += step;
  }
  return taken;
}
