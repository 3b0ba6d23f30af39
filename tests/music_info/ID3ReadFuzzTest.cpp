// Damaged and random tags fed to every reader; run under the sanitizers, any read outside a
// buffer or leak fails the test. Whatever is read must also survive the getters and writers.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "MacMemory.h"
#include "TagRecordTestSupport.h"

using namespace tagtest;
using namespace std::string_literals;

namespace {

class ID3ReadFuzzTest : public TagFileTest {
 protected:
  // Whatever is read holds items (an ID3 record always at least one), counts no more
  // frames than it holds, and draws a tag that reads back with as many frames.
  void Exercise(const Bytes& file) {
    auto record = ParseBytes(file);
    if (!record) return;
    const int items = CountItems(*record);
    if (record->GetMusicInfoType() == kSpMusicInfo_ID3) {
      EXPECT_GE(items, 1);
    }
    for (Getter g : {&cSp_MusicFileMusicInfoDataObj::GetMusicTitle,
                     &cSp_MusicFileMusicInfoDataObj::GetArtistName,
                     &cSp_MusicFileMusicInfoDataObj::GetAlbumTitle}) {
      Get(*record, g);
    }
    char genre[8];
    record->GetGenreString(genre, sizeof genre, nullptr);  // cut to a small buffer
    TrackNo(*record);
    for (unsigned char above22 : {0, 1}) {
      UInt32 length = 0, size = 0;
      char* block = nullptr;
      const SInt32 frames = record->GetContainItemNumForID3(above22);
      EXPECT_LE(frames, items);
      if (record->GetID3TagDrawedMemory(above22, &length, &block, &size) == noErr) {
        EXPECT_LE(length + 4, size);
        Bytes drawn(block, length);
        DisposePtr(block);
        if (frames == 0) continue;  // an empty tag holds nothing to read back
        auto back = ParseBytes(drawn + Bytes(16, '\x11'));
        ASSERT_TRUE(back) << "a drawn tag reads back";
        EXPECT_EQ(frames, CountItems(*back));
      }
    }
  }
};

std::vector<Bytes> Seeds() {
  Bytes v23 = Frame23("TIT2", "\1" + UTF16LEWithMark(u"題名")) +
              Frame23("TPE1", "\x07\0Artist"s, 0x20) +
              Frame23("COMM", Bytes("\0engdesc\0text", 13)) +
              Frame23("TRCK", Bytes("\0"
                                    "3/12",
                                    5)) +
              Frame23("TCON", "\0(17)"s) + Bytes(20, '\0');
  Bytes v24 = Frame24("TIT2", "\3" + Bytes(150, 'q')) +
              Frame24("PRIV", Synchsafe(3) + Bytes("\xFF\0\xE0\xFF\0", 5), 0x03) +
              Frame24("TALB", "zz", 0x08) +
              Frame24("COMM", Bytes("\1eng\xFF\xFE\0\0\xFF\xFEx\0", 12));
  Bytes v22 = Frame22("TT2", Bytes("\0abc\0def", 8)) + Frame22("COM", Bytes("\1eng\0\0hi", 9)) +
              Frame22("PIC", Bytes("\0PNG\3\0data", 10));
  return {
      Tag(3, BE32(6) + Bytes(6, '\0') + v23, 0x40),
      Tag(4, Synchsafe(6) + Bytes("\1\0", 2) + v24, 0x40),
      Tag(2, v22) + Bytes(10, '\x11'),
      Bytes(40, '\x11') +
          V1Tag("Title", "Artist", "Album", "1999", Bytes(28, 'c') + '\0' + '\7', 3),
      AIFF(Chunk("NAME", "Name") + Chunk("AUTH", "Author") + Chunk("ID3 ", Tag(3, v23))),
  };
}

TEST_F(ID3ReadFuzzTest, TruncatedMutatedAndRandomTagsAreReadSafely) {
  std::mt19937 rng(20240611);
  for (const Bytes& seed : Seeds()) {
    EXPECT_TRUE(ParseBytes(seed)) << "every seed holds a readable tag";
    for (std::size_t length = 0; length <= seed.size(); ++length) Exercise(seed.substr(0, length));
    for (int round = 0; round < 250; ++round) {
      Bytes file = seed;
      // Sizes and flags are the interesting targets: all-ones, zero or any byte.
      for (int i = 0, changes = 1 + int(rng() % 8); i < changes; ++i) {
        const char values[] = {'\xFF', '\0', char(rng())};
        file[rng() % file.size()] = values[rng() % 3];
      }
      Exercise(file);
    }
  }
  const Bytes magics[] = {Bytes("ID3\2\0\0", 6), Bytes("ID3\3\0\x80", 6), Bytes("ID3\4\0\xC0", 6),
                          Bytes("FORM\0\0\1\0AIFF", 12)};
  for (const Bytes& magic : magics) {
    for (int round = 0; round < 150; ++round) {
      Bytes file = magic;
      for (std::size_t i = 0, length = rng() % 300; i < length; ++i) file += char(rng());
      if (magic[0] == 'I') file.replace(6, 4, Synchsafe(UInt32(rng() % 400)));
      Exercise(file);
    }
  }
}

TEST_F(ID3ReadFuzzTest, FrameParsersStayInsideTheirBytes) {
  std::mt19937 rng(99);
  for (int round = 0; round < 2000; ++round) {
    // Exactly sized, so that the address sanitizer sees any read beyond the limit.
    std::vector<UInt8> bytes(1 + rng() % 40);
    for (UInt8& b : bytes) b = UInt8(rng() % 4 == 0 ? 'T' : rng());
    cSp_MusicFileMusicInfoDataObj record(kSpMusicInfo_ID3);
    UInt32 limit = UInt32(bytes.size());
    for (UInt32 position = 0; position <= limit; ++position) {
      UInt32 next = 0;
      unsigned char padding = 0;
      SpQTI_ParseD3TagData_forVersion2_under2(bytes.data(), position, limit, &record, next,
                                              padding);
      for (short major : {3, 4}) {
        OSErr err = SpQTI_ParseD3TagData_forVersion2_3AndOver(
            bytes.data(), position, limit, major, UInt8(round & 1), &record, next, padding);
        if (err == noErr) {
          EXPECT_GT(next, position);
          EXPECT_LE(next, limit);
        }
      }
    }
  }
}

}  // namespace
