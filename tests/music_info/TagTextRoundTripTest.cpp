// The program's text written into an ID3 tag and read back from the file is the same text,
// byte for byte, whichever encoding the writer chose for it: the awkward MacJapanese codes
// (Latin-1 letters that are two-byte codes here, one-byte specials, characters outside the
// BMP) in tags of both frame layouts.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "MacMemory.h"
#include "TagRecordTestSupport.h"

using namespace tagtest;

namespace {

class TagTextRoundTrip : public TagFileTest {};

Bytes EveryByte(int from, int to) {
  Bytes out;
  for (int c = from; c <= to; ++c) out += char(c);
  return out;
}

Bytes Hex(const Bytes& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  Bytes out;
  for (unsigned char c : bytes) {
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  return out;
}

TEST_F(TagTextRoundTrip, ProgramTextComesBackFromTheFileWhateverItsEncoding) {
  const struct {
    const char* why;
    Bytes text;  // MacJapanese
  } cases[] = {
      {"every printable ASCII code", EveryByte(0x20, 0x7E)},
      {"every half-width katakana", EveryByte(0xA1, 0xDF)},
      {"one-byte specials: backslash, no-break space, copyright, trade mark",
       "\x80\xA0\xFD\xFE"},
      {"Latin-1 letters that are two-byte codes here", "\x81\x7E\x81\x80\x81\x8B\x81\x98\x81\xF7"},
      {"the last Latin-1 letter beside the first that is none", "\x81\x80\x83\x9F"},
      {"a character outside the BMP", "a\x85\x91z"},
      {"kanji and ASCII", "\x8B\xC8 No.1 \x82\xA0"},
  };
  for (unsigned char above22 : {1, 0}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.why) + (above22 ? " (v2.3)" : " (v2.2)"));
      std::unique_ptr<cSp_MusicFileMusicInfoDataObj> record(
          new (std::nothrow) cSp_MusicFileMusicInfoDataObj(kSpMusicInfo_ID3ForWrite));
      record->SetupVersion(2, 3, 0);
      record->SetupNewTextData(kSpID3_TIT2, c.text.data(), SInt32(c.text.size()), 0);
      record->SetupNewTextData(kSpID3_TPE1, c.text.data(), SInt32(c.text.size()), 0);
      UInt32 length = 0, blockSize = 0;
      char* block = nullptr;
      ASSERT_EQ(noErr, record->GetID3TagDrawedMemory(above22, &length, &block, &blockSize));
      const Bytes tag(block, length);
      DisposePtr(block);
      auto read = ParseBytes(tag + Bytes(64, '\x11'));
      ASSERT_TRUE(read);
      EXPECT_EQ(Hex(Title(*read)), Hex(c.text));
      EXPECT_EQ(Hex(Artist(*read)), Hex(c.text));
    }
  }
}

}  // namespace
