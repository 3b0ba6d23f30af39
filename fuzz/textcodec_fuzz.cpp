// The text codecs: the bytes after two selector bytes as text in one encoding (the first
// selector), converted to another (the second) as file names, tags and the toolbox's text
// calls convert. What must hold for every input:
// - text that decodes encodes back in its encoding and decodes to the same characters, but
//   for the characters MacJapanese writes with a code that reads as another character (its
//   aliases: the full-width not sign read from code page 932's codes comes back as the not
//   sign);
// - a conversion that keeps going with a loss byte succeeds whenever the input decodes;
// - the Text Encoding Converter, called again and again with a small output buffer, gives
//   the bytes of the whole conversion;
// - text made for showing in the program's encoding is valid MacJapanese;
// - a Linux file name comes back byte for byte from its UTF-16 form, and valid UTF-8 from its
//   UTF-16 form.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "SpTextCodec.h"
#include "TextEncodingConverter.h"
#include "text/detail/MacJapaneseTable.h"

namespace {

namespace text = sp::text;

const TextEncoding kEncodings[] = {
    kTextEncodingMacJapanese,    kTextEncodingShiftJIS, kTextEncodingDOSJapanese,
    kTextEncodingShiftJIS_X0213, kTextEncodingMacRoman, kTextEncodingISOLatin1,
    kTextEncodingWindowsLatin1,  kTextEncodingASCII,    kTextEncodingUTF8,
    kTextEncodingUTF16,          kTextEncodingUTF16BE,  kTextEncodingUTF16LE,
    kTextEncodingUTF32,          kTextEncodingUTF32BE,  kTextEncodingUTF32LE,
};
constexpr std::size_t kEncodingCount = sizeof kEncodings / sizeof kEncodings[0];

// Stops the run, naming the line of the check that failed.
void Check(bool holds, int line = __builtin_LINE()) {
  if (holds) return;
  std::fprintf(stderr, "textcodec_fuzz.cpp:%d: check failed\n", line);
  std::abort();
}

// The characters MacJapanese writes with a code that reads back as another character, and
// that character: taken from the codec's aliases and read back by the codec itself.
const std::map<char16_t, char16_t>& MacJapaneseFolds() {
  static const std::map<char16_t, char16_t> folds = [] {
    std::map<char16_t, char16_t> out;
    for (std::size_t i = 0; i < text::detail::kMacJapaneseAliasCount; ++i) {
      const text::detail::MacJapaneseAlias& alias = text::detail::kMacJapaneseAliases[i];
      const UInt8 code[2] = {UInt8(alias.code >> 8), UInt8(alias.code)};
      std::u16string read;
      Check(alias.character <= 0xFFFF &&
            text::DecodeToUTF16(kTextEncodingMacJapanese, code, 2, read) && read.size() == 1);
      if (read[0] != alias.character) out[char16_t(alias.character)] = read[0];
    }
    return out;
  }();
  return folds;
}

// The text as it comes back from being written in the encoding and read again.
std::u16string Folded(TextEncoding encoding, std::u16string text) {
  if (encoding != kTextEncodingMacJapanese) return text;
  for (char16_t& c : text) {
    const auto fold = MacJapaneseFolds().find(c);
    if (fold != MacJapaneseFolds().end()) c = fold->second;
  }
  return text;
}

// The converter's output for the whole input, through an output buffer of `room` bytes
// (made larger only when one character does not fit). False when the converter stops for
// another reason than a full buffer.
bool ConvertInPieces(TextEncoding from, TextEncoding to, const UInt8* bytes, std::size_t length,
                     std::size_t room, std::string& out) {
  TECObjectRef converter = nullptr;
  Check(TECCreateConverter(&converter, from, to) == noErr);
  std::string buffer(room, '\0');
  OSStatus status = noErr;
  std::size_t done = 0;
  for (;;) {
    ByteCount taken = 0, written = 0;
    status = TECConvertText(converter, bytes + done, length - done, &taken,
                            reinterpret_cast<TextPtr>(&buffer[0]), buffer.size(), &written);
    Check(taken <= length - done && written <= buffer.size());
    out.append(buffer, 0, written);
    done += taken;
    if (status != kTECOutputBufferFullStatus) break;
    if (taken == 0) buffer.resize(buffer.size() * 2);
  }
  TECDisposeConverter(converter);
  return status == noErr && done == length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const TextEncoding from = kEncodings[data[0] % kEncodingCount];
  const TextEncoding to = kEncodings[data[1] % kEncodingCount];
  // A few bytes of output a call; long inputs in fewer calls, since each call reads the
  // input it is given whole.
  const std::size_t room = std::max<std::size_t>(1 + data[1] / kEncodingCount % 16, size / 8);
  const UInt8* bytes = data + 2;
  const std::size_t length = size - 2;
  const std::string raw(reinterpret_cast<const char*>(bytes), length);

  std::u16string decoded;
  if (text::DecodeToUTF16(from, bytes, length, decoded)) {
    // Host-order Unicode is written with a byte-order mark, so that text beginning with
    // U+FEFF keeps it.
    std::string encoded;
    Check(text::EncodeFromUTF16(from, decoded.data(), decoded.size(), 0, encoded, true));
    std::u16string again;
    Check(text::DecodeToUTF16(from, encoded.data(), encoded.size(), again));
    Check(again == Folded(from, decoded));

    std::string converted;
    Check(text::Convert(from, to, bytes, length, '?', converted));

    const std::string shown = text::UTF16ToMacJapaneseNearest(decoded.data(), decoded.size());
    std::u16string read;
    Check(text::DecodeToUTF16(kTextEncodingMacJapanese, shown.data(), shown.size(), read));
  }

  // The converter reads host-order Unicode in the order a leading byte-order mark chooses
  // (the mark itself is not text), in host order without one.
  TextEncoding inOrder = from;
  const std::size_t mark = text::ReadByteOrderMark(from, bytes, length, &inOrder);
  if (mark == 0) {
    inOrder = from == kTextEncodingUTF16   ? kTextEncodingUTF16LE
              : from == kTextEncodingUTF32 ? kTextEncodingUTF32LE
                                           : from;
  }
  std::string whole;
  if (text::Convert(inOrder, to, bytes + mark, length - mark, 0, whole)) {
    std::string pieces;
    Check(ConvertInPieces(from, to, bytes, length, room, pieces));
    Check(pieces == whole);
  }

  Check(text::FileNameFromUTF16(text::FileNameToUTF16(raw)) == raw);
  std::u16string utf16;
  if (text::DecodeToUTF16(kTextEncodingUTF8, bytes, length, utf16)) {
    Check(text::UTF8ToUTF16(raw) == utf16);
    Check(text::UTF16ToUTF8(utf16) == raw);
  }
  std::string program;
  Check(text::UTF8ToMacJapanese(text::MacJapaneseToUTF8(raw), program, '?'));
  return 0;
}
