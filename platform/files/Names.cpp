// Names between Linux (UTF-8 bytes, '/' separating folders) and the program (MacJapanese
// classic names and UTF-16 Unicode names, ':' separating the parts of a classic path).
//
// A ':' in a Linux name shows as '/' in both of the program's forms, and a '/' of the
// program's names becomes ':' on disk, so every Linux name has a program name and back.
// A name MacJapanese cannot hold, or one longer than a call can carry, gets a stand-in made
// from the item's id: it is stable for as long as the item keeps its id, and the look-ups
// recognise it (Catalog.cpp).
#include <cstring>

#include "SpTextCodec.h"
#include "detail/Catalog.h"

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

std::string ClassicName(const std::string& linuxName, UInt32 nodeID, std::size_t limit) {
  const std::string shown = SwapColonsAndSlashes(linuxName, ':', '/');
  std::string mac;
  if (sp::text::UTF8ToMacJapanese(shown, mac) && mac.size() <= limit &&
      mac.find('\0') == std::string::npos) {
    return mac;
  }
  // The stand-in: "<what fits>#<id in hex><short extension>".
  const std::u16string text = sp::text::UTF8ToUTF16(shown);
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
  std::string name = SwapColonsAndSlashes(sp::text::UTF16ToUTF8(text), '/', ':');
  if (!IsAcceptableLinuxName(name)) return false;
  out = std::move(name);
  return true;
}

void UnicodeName(const std::string& linuxName, HFSUniStr255* out) {
  if (out == nullptr) return;
  std::u16string text = sp::text::UTF8ToUTF16(SwapColonsAndSlashes(linuxName, ':', '/'));
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
