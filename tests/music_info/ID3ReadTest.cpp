// Reading ID3 tags and AIFF text chunks; damaged and random tags fed to every reader (under
// the sanitizers any read outside a buffer or leak fails), whatever is read surviving the
// getters and writers.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "MacMemory.h"
#include "SpFileLibSource.h"
#include "TagRecordTestSupport.h"

using namespace tagtest;
using namespace std::string_literals;

namespace {

class ID3ReadTest : public TagFileTest {};

// Inserts a zero byte after every FF that the unsynchronisation scheme protects.
Bytes Unsynchronise(const Bytes& b) {
  Bytes out;
  for (std::size_t i = 0; i < b.size(); ++i) {
    out += b[i];
    if (UInt8(b[i]) == 0xFF && (i + 1 == b.size() || UInt8(b[i + 1]) >= 0xE0 || b[i + 1] == 0)) {
      out += '\0';
    }
  }
  return out;
}

const Bytes kAudio(64, '\x11');

TEST_F(ID3ReadTest, V1TrackAndGenreBytesBecomeText) {
  Bytes comment11 = Field("Nice one  ", 28) + '\0' + '\7';
  auto v11 = ParseBytes(kAudio + V1Tag("Title   ", "Artist", "Album", "1999", comment11, 17));
  ASSERT_TRUE(v11);
  EXPECT_EQ(kSpMusicInfo_ID3, v11->GetMusicInfoType());
  EXPECT_EQ("1.1 Title|Artist|7|(17)|Rock|7/0",
            std::to_string(v11->GetVersionMain()) + "." + std::to_string(v11->GetVersionMajor()) +
                " " + Title(*v11) + "|" + Artist(*v11) + "|" + RawItem(*v11, kSpID3_TRCK) + "|" +
                RawItem(*v11, kSpID3_TCON) + "|" + Genre(*v11) + "|" + TrackNo(*v11));
  EXPECT_EQ(Bytes("eng\0Nice one", 12), RawItem(*v11, kSpID3_COMM));
  EXPECT_EQ("Nice one", ItemText(*v11, kSpID3_COMM));
  // v1.0: the whole 30 bytes are comment, no track; genre 255 means none.
  auto v10 = ParseBytes(kAudio + V1Tag("T", "A", "B", "2000", Bytes(30, 'c'), 255));
  ASSERT_TRUE(v10);
  EXPECT_EQ(0, v10->GetVersionMajor());
  EXPECT_EQ("<none>", RawItem(*v10, kSpID3_TRCK));
  EXPECT_EQ("<none>", RawItem(*v10, kSpID3_TCON));
  EXPECT_EQ(Bytes(30, 'c'), ItemText(*v10, kSpID3_COMM));
}

TEST_F(ID3ReadTest, V22TextEndsAtItsTerminatorButCommentsKeepTheirText) {
  Bytes frames = Frame22("TT2", Bytes("\0abcd\0efgh", 10)) +
                 Frame22("TP1", Bytes("\1\xFF\xFE"
                                      "a\0b\0\0\0",
                                      9)) +
                 Frame22("COM", Bytes("\0eng\0a comment", 14));
  auto record = ParseBytes(Tag(2, frames) + kAudio);
  ASSERT_TRUE(record);
  EXPECT_EQ(2, record->GetVersionMajor());
  EXPECT_EQ("abcd", RawItem(*record, kSpID3_TT2));
  EXPECT_EQ("abcd", Title(*record));
  EXPECT_EQ("ab", Artist(*record));
  EXPECT_EQ("a comment", ItemText(*record, kSpID3_COM));
}

TEST_F(ID3ReadTest, V23FramesReadUpToPaddingAndDamage) {
  Bytes title = Frame23("TIT2", Bytes("\0Title", 6));
  Bytes grouped = Frame23("TPE1", Bytes("\x05\0Artist", 8), 0x20);
  struct Case {
    const char* why;
    Bytes tag;
    int items;
  } cases[] = {
      {"padding ends the frames", Tag(3, title + grouped + Bytes(100, '\0')), 2},
      {"a frame past the end ends them", Tag(3, title + Bytes("TALB") + BE32(500) + Bytes(6, 'x')),
       1},
      {"a size of zero ends them", Tag(3, title + Frame23("TALB", "") + grouped), 1},
      {"an id that is no id ends them", Tag(3, title + Frame23("ta!b", "\0x"s) + grouped), 1},
      {"extended header skipped", Tag(3, BE32(6) + Bytes(6, '\0') + title, 0x40), 1},
      {"tag cut short keeps whole frames", Tag(3, title + grouped).substr(0, 10 + 16 + 12), 1},
  };
  for (const Case& c : cases) {
    auto record = ParseBytes(c.tag);
    ASSERT_TRUE(record) << c.why;
    EXPECT_EQ(c.items, CountItems(*record)) << c.why;
    EXPECT_EQ("Title", Title(*record)) << c.why;
    if (c.items == 2) {
      EXPECT_EQ("Artist", Artist(*record)) << c.why << ": group byte is no text";
    }
  }
}

TEST_F(ID3ReadTest, V24SizesAreSynchsafeWithPlainNumbersUnderstood) {
  Bytes longTitle = "\0"s + Bytes(200, 'T');
  Bytes lowercase = "\0"s + Bytes(255, 'p');  // plain size 256 reads as 128 synchsafe
  struct Case {
    const char* why;
    Bytes frames;
    std::size_t titleLength;
  } cases[] = {
      {"synchsafe size over 127", Frame24("TIT2", longTitle) + Frame24("TPE1", "\0Artist"s), 200},
      {"plain size that only makes sense as one",
       Bytes("TIT2") + BE32(256) + Bytes(2, '\0') + lowercase + Frame24("TPE1", "\0Artist"s), 255},
  };
  for (const Case& c : cases) {
    auto record = ParseBytes(Tag(4, c.frames));
    ASSERT_TRUE(record) << c.why;
    EXPECT_EQ(c.titleLength, Title(*record).size()) << c.why;
    EXPECT_EQ("Artist", Artist(*record)) << c.why;
  }
}

TEST_F(ID3ReadTest, UnsynchronisedAndFlaggedFramesAreRestoredOrSkipped) {
  Bytes binary("\xFF\xE0\xFF\x00\x01", 5);
  // v2.4: per-frame unsynchronisation with a data-length indicator in front.
  Bytes v24 = Frame24("PRIV", Synchsafe(5) + Unsynchronise(binary), 0x03) +
              Frame24("TALB", Bytes("zlib", 4), 0x09) +  // compressed: skipped
              Frame24("TIT2", "\0After"s);
  // v2.3: the whole tag is unsynchronised.
  Bytes v23 = Unsynchronise(Frame23("PRIV", binary) + Frame23("TALB", "\0xx"s, 0x80) +
                            Frame23("TIT2", "\0After"s));
  // v2.4 with the tag's flag: every frame is unsynchronised on its own, its size counting the
  // unsynchronised bytes; the tag as a whole is not.
  Bytes v24Tagwide = Frame24("PRIV", Unsynchronise(binary)) +
                     Frame24("TALB", Bytes("zlib", 4), 0x08) + Frame24("TIT2", "\0After"s);
  for (const Bytes& tag : {Tag(4, v24), Tag(3, v23, 0x80), Tag(4, v24Tagwide, 0x80)}) {
    auto record = ParseBytes(tag);
    ASSERT_TRUE(record);
    EXPECT_EQ(binary, RawItem(*record, SpFourCC("PRIV")));
    EXPECT_EQ("<none>", RawItem(*record, kSpID3_TALB));
    EXPECT_EQ("After", Title(*record));
  }
}

TEST_F(ID3ReadTest, CommentsKeepEncodingAsTextCode) {
  Bytes text = UTF16LEWithMark(u"長いコメント");
  auto record = ParseBytes(Tag(3, Frame23("COMM", "\1eng" + Bytes("\xFF\xFE\0\0", 4) + text)));
  ASSERT_TRUE(record);
  cSp_MusicFileMusicInfoDataItemObj* comment = record->GetFirstItemPtr();
  EXPECT_EQ(1, comment->IsTextCodeSet());
  EXPECT_EQ(1, comment->GetTextCode());
  EXPECT_EQ("eng", Bytes(comment->GetDataPtr(), 3));
  EXPECT_EQ(MacJ("長いコメント"), ItemText(*record, kSpID3_COMM));
}

TEST_F(ID3ReadTest, UnreadableV2TagFallsBackToV1) {
  Bytes v1 = V1Tag("From v1", "", "", "", "", 0);
  for (const Bytes& start : {Tag(5, Frame23("TIT2", "\0v5"s)),     // unknown version
                             Tag(3, Bytes(40, '\0')),              // padding only
                             Bytes("ID3\3\0\0\x80\0\0\0", 10)}) {  // size not synchsafe
    auto record = ParseBytes(start + kAudio + v1);
    ASSERT_TRUE(record);
    EXPECT_EQ(1, record->GetVersionMain());
    EXPECT_EQ("From v1", Title(*record));
  }
}

TEST_F(ID3ReadTest, NoTagFileAndTinyFileGiveNoRecord) {
  short result = 9;
  WriteFile("ten", Bytes("ID3\3\0\0\0\0\0\0", 10));
  EXPECT_FALSE(Parse("ten", &result));
  EXPECT_EQ(0, result);
  EXPECT_FALSE(Parse("missing", &result));
  EXPECT_FALSE(ParseBytes(Bytes(500, 'x')));
  cSp_MusicFileMusicInfoDataObj* record = nullptr;
  EXPECT_EQ(0, SpQTI_ParseMusicInfoFromTargetFile(vRefNum_, dirID_, nullptr, nullptr, record));
  EXPECT_TRUE(log_.Has("SpQTI_ParseTargetFileID3Tag", 1));
}

TEST_F(ID3ReadTest, AIFFChunksGiveTextOrID3Records) {
  Bytes comm = Chunk("COMM", Bytes(18, '\0'));
  Bytes id3 = Chunk("ID3 ", Tag(3, Frame23("TIT2", "\0In chunk"s)));
  Bytes longForm = AIFF(Chunk("NAME", "Kept"));
  longForm.replace(4, 4, BE32(100000));
  struct Case {
    const char* why;
    Bytes file;
    tMusicFileInfoType kind;
    int items;
    std::string first;
  } cases[] = {
      {"NAME only", AIFF(comm + Chunk("NAME", "Odd")), kSpMusicInfo_AIFFChunk, 1, "Odd"},
      {"no chunk of interest", AIFF(comm + Chunk("SSND", Bytes(9, '\0'))), kSpMusicInfo_AIFFChunk,
       0, ""},
      {"odd chunk's pad byte passed before the next chunk",
       AIFF(Chunk("NAME", "Odd") + Chunk("AUTH", "Me")), kSpMusicInfo_AIFFChunk, 2, "Odd"},
      {"ID3 chunk after an odd chunk wins", AIFF(Chunk("NAME", "Odd") + id3), kSpMusicInfo_ID3, 1,
       "In chunk"},
      {"damaged chunk keeps what came before",
       AIFF(Chunk("AUTH", "Me") + Bytes("SSND") + BE32(1000) + "xx"), kSpMusicInfo_AIFFChunk, 1,
       "Me"},
      {"FORM longer than the file is walked to the file's end", longForm, kSpMusicInfo_AIFFChunk, 1,
       "Kept"},
  };
  for (const Case& c : cases) {
    WriteFile("a.aiff", c.file);
    sSpFileSysInfo* file = nullptr;
    ASSERT_EQ(noErr, Sp_ReadFileSystem_OpenByDirId(vRefNum_, dirID_, "a.aiff", 0, 0, &file));
    cSp_MusicFileMusicInfoDataObj* raw = nullptr;
    // Only a file as long as its FORM is taken for AIFF by the entry.
    EXPECT_EQ(c.file != longForm ? 1 : 0, SpQTI_CheckAIFForNot(file, SInt32(c.file.size())));
    EXPECT_EQ(noErr, SpQTI_ParseTargetFileID3InAIFF(file, SInt32(c.file.size()), nullptr, raw))
        << c.why;
    Sp_FileSystem_Close(file, 1, 1);
    std::unique_ptr<cSp_MusicFileMusicInfoDataObj> record(raw);
    ASSERT_TRUE(record) << c.why;
    EXPECT_EQ(c.kind, record->GetMusicInfoType()) << c.why;
    EXPECT_EQ(c.items, CountItems(*record)) << c.why;
    UInt32 type = 0;
    char text[64] = "";
    record->InitializeSequentialView();
    if (c.kind == kSpMusicInfo_AIFFChunk) {
      record->GetSequentialViewItemTextData(type, text, sizeof text, nullptr, nullptr);
    }
    EXPECT_EQ(c.first, c.kind == kSpMusicInfo_ID3 ? Title(*record) : std::string(text)) << c.why;
  }
  // Through the entry: an empty text-chunk record still counts as found.
  auto empty = ParseBytes(AIFF(comm));
  ASSERT_TRUE(empty);
  EXPECT_EQ(kSpMusicInfo_AIFFChunk, empty->GetMusicInfoType());
}

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
    for (int round = 0; round < 120; ++round) {
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
    for (int round = 0; round < 80; ++round) {
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
