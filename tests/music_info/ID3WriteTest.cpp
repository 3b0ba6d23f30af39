#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "QTInterfaceTestFiles.h"
#include "TagRecordTestSupport.h"

using namespace tagtest;

namespace {

using Record = cSp_MusicFileMusicInfoDataObj;
using Item = cSp_MusicFileMusicInfoDataItemObj;

class ID3WriteTest : public TagFileTest {};

std::unique_ptr<Record> NewRecord(tMusicFileInfoType kind, short main = 2, short major = 3) {
  std::unique_ptr<Record> record(new (std::nothrow) Record(kind));
  record->SetupVersion(main, major, 0);
  return record;
}

Item* Add(Record& record, UInt32 id, const Bytes& data, int code = -1, int flags = -1) {
  Item* item = record.SetupNewTextData(id, data.data(), SInt32(data.size()), 0);
  if (code >= 0) item->SetupTextCodeByte(char(code));
  if (flags >= 0) item->SetupFlagInfo(UInt32(flags));
  return item;
}

Bytes TagBytes(Record& record, unsigned char above22) {
  UInt32 length = 0, blockSize = 0;
  char* block = nullptr;
  if (record.GetID3TagDrawedMemory(above22, &length, &block, &blockSize) != noErr) return "<none>";
  Bytes tag(block, length);
  EXPECT_EQ(length + 4, blockSize);
  DisposePtr(block);
  return tag;
}

// The frames of a tag we wrote: id (three letters for v2.2) to content.
std::map<std::string, Bytes> Frames(const Bytes& tag) {
  std::map<std::string, Bytes> frames;
  if (tag.size() < 10 || tag.compare(0, 3, "ID3") != 0) return frames;
  bool v22 = tag[3] == 2;
  std::size_t pos = 10, header = v22 ? 6 : 10;
  while (pos + header <= tag.size()) {
    const UInt8* p = reinterpret_cast<const UInt8*>(tag.data()) + pos;
    std::size_t size =
        v22 ? (std::size_t(p[3]) << 16 | std::size_t(p[4]) << 8 | p[5]) : sp::LoadBE32(p + 4);
    frames[tag.substr(pos, v22 ? 3 : 4)] = tag.substr(pos + header, size);
    pos += header + size;
  }
  return frames;
}

TEST_F(ID3WriteTest, TagsAreWrittenAsV23WithPlainFrameSizesOrAsV22WithTheirIdsTurned) {
  auto record = NewRecord(kSpMusicInfo_ID3, 2, 4);
  Add(*record, kSpID3_TIT2, Bytes(200, 'a'), 0);
  Add(*record, SpFourCC("TDRC"), "2001", 0);  // no v2.2 counterpart: left out of a v2.2 tag
  EXPECT_EQ(Bytes("ID3\3\0\0", 6) + Synchsafe(226) + "TIT2" + BE32(201) + Bytes(3, '\0') +
                Bytes(200, 'a') + "TDRC" + BE32(5) + Bytes(3, '\0') + "2001",
            TagBytes(*record, 1));
  EXPECT_EQ(
      Bytes("ID3\2\0\0", 6) + Synchsafe(207) + "TT2" + BE32(201).substr(1) + '\0' + Bytes(200, 'a'),
      TagBytes(*record, 0));
  EXPECT_EQ(1, record->GetContainItemNumForID3(0));
  EXPECT_EQ(2, record->GetContainItemNumForID3(1));
  // The frame bytes of the size field are synchsafe: 1,234 is 00 00 09 52.
  auto big = NewRecord(kSpMusicInfo_ID3);
  Add(*big, kSpID3_TIT2, Bytes(1223, 'b'), 0);
  EXPECT_EQ(Bytes("\0\0\x09\x52", 4), TagBytes(*big, 1).substr(6, 4));
  // v2.2 ids become v2.3 ones; pictures change layout with their id: a MIME type in v2.3, a
  // format name in v2.2.
  auto v22 = NewRecord(kSpMusicInfo_ID3, 2, 2);
  Add(*v22, kSpID3_TT2, "abcd", 0);
  EXPECT_EQ(Bytes("TIT2") + BE32(5) + Bytes("\0\0\0abcd", 7), TagBytes(*v22, 1).substr(10));
  auto picture = NewRecord(kSpMusicInfo_ID3, 2, 3);
  Add(*picture, kSpID3_APIC, Bytes("\0image/png\0\3\0PNGDATA", 20));
  EXPECT_EQ(Bytes("\0PNG\3\0PNGDATA", 13), Frames(TagBytes(*picture, 0))["PIC"]);
}

TEST_F(ID3WriteTest, V1RecordBecomesAV2TagWithTextTrackAndGenre) {
  auto v1 = ParseBytes(Bytes(64, '\x11') + V1Tag("Title", "Artist", "Album", "1999",
                                                 Field("Fine", 28) + '\0' + '\7', 17));
  ASSERT_TRUE(v1);
  auto v23 = Frames(TagBytes(*v1, 1));
  EXPECT_EQ(Bytes("\0Title|\0"
                  "7|\0(17)|\0eng\0Fine",
                  25),
            v23["TIT2"] + "|" + v23["TRCK"] + "|" + v23["TCON"] + "|" + v23["COMM"]);
  auto v22 = Frames(TagBytes(*v1, 0));
  EXPECT_EQ(Bytes("\0Title|\0"
                  "7",
                  9),
            v22["TT2"] + "|" + v22["TRK"]);
  EXPECT_EQ(0u, v22.count("TIT")) << "v2.3 ids must not be cut to three letters";
}

TEST_F(ID3WriteTest, TextIsLatin1OnlyWhenNothingIsLost) {
  struct Case {
    const char* why;
    Bytes data;
    int code;
    Bytes content;
  } cases[] = {
      {"program text, ASCII", "Plain", -1, Bytes("\0Plain", 6)},
      {"program text, half-width katakana", MacJ("ｱｲ"), -1, "\1" + UTF16LEWithMark(u"ｱｲ")},
      {"UTF-8 of a v2.4 tag, Latin-1 letters", "Caf\xC3\xA9", 3, Bytes("\0Caf\xE9", 5)},
      {"UTF-8 of a v2.4 tag, Japanese", "\xE6\x97\xA5", 3, "\1" + UTF16LEWithMark(u"日")},
      {"UTF-16 big-endian without mark", Bytes("\x65\xE5", 2), 2, "\1" + UTF16LEWithMark(u"日")},
      {"UTF-16 with mark kept as it is", Bytes("\xFE\xFF\x65\xE5", 4), 1,
       Bytes("\1\xFE\xFF\x65\xE5", 5)},
  };
  for (const Case& c : cases) {
    auto record = NewRecord(kSpMusicInfo_ID3ForWrite);
    Add(*record, kSpID3_TIT2, c.data, c.code);
    EXPECT_EQ(c.content, Frames(TagBytes(*record, 1))["TIT2"]) << c.why;
  }
}

TEST_F(ID3WriteTest, MP4UserDataAndAIFFRecordsBecomeID3FramesWithUTF16WhereTextIsNotLatin1) {
  const Bytes utf16Comment("\1eng\xFF\xFE\0\0", 8);
  const struct {
    tMusicFileInfoType kind;
    UInt32 id;
    Bytes data;
    int flags;  // -1: none
    const char* frame;
    Bytes content;
  } cases[] = {
      {kSpMusicInfo_MP4Meta, kSpMP4_trkn, Bytes("\0\0\0\3\0\x0C\0\0", 8), -1, "TRCK",
       Bytes("\0"
             "3/12",
             5)},
      {kSpMusicInfo_MP4Meta, kSpMP4_trkn, Bytes("\0\0\0\0\0\x0C\0\0", 8), -1, "TRCK",
       Bytes("\0/12", 4)},
      {kSpMusicInfo_MP4Meta, kSpMP4_gnre, Bytes("\0\x12", 2), -1, "TCON", Bytes("\0(17)", 5)},
      {kSpMusicInfo_MP4Meta, kSpQT_nam, "\xE6\x97\xA5", 1, "TIT2", "\1" + UTF16LEWithMark(u"日")},
      // Each UTF-16 string with its byte-order mark, the empty description ended by two zeros.
      {kSpMusicInfo_MP4Meta, kSpQT_cmt, "\xE8\x89\xAF", 1, "COMM",
       utf16Comment + UTF16LEWithMark(u"良")},
      {kSpMusicInfo_MP4Meta, kSpMP4_tmpo, Bytes("\0\x78", 2), 21, "TBPM",
       Bytes("\0"
             "120",
             4)},
      {kSpMusicInfo_MP4Meta, kSpMP4_covr, "GIF89a", 15, "APIC",
       Bytes("\0image/gif\0\0\0GIF89a", 19)},
      {kSpMusicInfo_AIFFChunk, kSpAIFF_NAME, "Name", -1, "TIT2", Bytes("\0Name", 5)},
      {kSpMusicInfo_AIFFChunk, kSpAIFF_AUTH, MacJ("作者"), -1, "TPE1",
       "\1" + UTF16LEWithMark(u"作者")},
      {kSpMusicInfo_AIFFChunk, kSpAIFF_ANNO, "Note", -1, "COMM", Bytes("\0eng\0Note", 9)},
      {kSpMusicInfo_QTUserData, kSpQT_nam, "Movie title", 0, "TIT2", Bytes("\0Movie title", 12)},
      {kSpMusicInfo_QTUserData, kSpQT_cmt, "Said", 0, "COMM", Bytes("\0eng\0Said", 9)},
      {kSpMusicInfo_QTUserData, kSpQT_ART, MacJ("歌手"), 11, "TPE1",
       "\1" + UTF16LEWithMark(u"歌手")},
      {kSpMusicInfo_QTUserData, kSpQT_cmt, MacJ("良い"), 11, "COMM",
       utf16Comment + UTF16LEWithMark(u"良い")},
      {kSpMusicInfo_QTUserData, 0xA978797A /* not mapped */, "x", 0, nullptr, ""},
  };
  for (const auto& c : cases) {
    auto record = NewRecord(c.kind, 0, 0);
    Add(*record, c.id, c.data, -1, c.flags);
    std::map<std::string, Bytes> want;
    if (c.frame != nullptr) want[c.frame] = c.content;
    EXPECT_EQ(want, Frames(TagBytes(*record, 1))) << std::hex << c.id;
    EXPECT_EQ(c.frame != nullptr ? 1 : 0, record->GetContainItemNumForID3(1)) << std::hex << c.id;
  }
  auto chunks = NewRecord(kSpMusicInfo_AIFFChunk, 0, 0);
  Add(*chunks, kSpAIFF_NAME, "Name");
  EXPECT_EQ(Bytes("\0Name", 5), Frames(TagBytes(*chunks, 0))["TT2"]);
}

TEST_F(ID3WriteTest, ChunkIsPaddedToEvenLengthAndLeftOutWithoutFramesAndTagsGoWhereTheFileIs) {
  for (const Bytes title : {"abcd", "abc", ""}) {  // odd tag, even tag, no frame
    auto record = NewRecord(kSpMusicInfo_AIFFChunk, 0, 0);
    if (!title.empty()) Add(*record, kSpAIFF_NAME, title);
    std::remove(HostPath("chunk").c_str());
    short refNum = OpenForWriting("chunk");
    UInt32 written = 99;
    EXPECT_EQ(title.empty() ? 0 : 1,
              SpQTI_WriteID3TagChunkIntoAIFF(refNum, record.get(), 1, nullptr, written))
        << title;
    SInt32 position = 0;
    GetFPos(refNum, &position);
    FSClose(refNum);
    Bytes tag = title.empty() ? "" : TagBytes(*record, 1);
    Bytes expected = title.empty() ? "" : "ID3 " + BE32(UInt32(tag.size())) + tag;
    if (tag.size() & 1) expected += '\0';
    EXPECT_EQ(expected, ReadHostFile(HostPath("chunk"))) << title;
    EXPECT_EQ(SInt32(written), position) << title;
    EXPECT_EQ(std::size_t(written), expected.size()) << title;
  }
  UInt32 written = 7;
  EXPECT_EQ(0, SpQTI_WriteID3TagChunkIntoAIFF(1, nullptr, 1, nullptr, written));
  EXPECT_EQ(0u, written);

  // A tag written into an open file lands at the file's position, as the memory tag.
  auto record = NewRecord(kSpMusicInfo_ID3, 2, 3);
  Add(*record, kSpID3_TIT2, UTF16LEWithMark(u"題名"), 1);
  short refNum = OpenForWriting("tag.bin");
  SInt32 five = 5;
  ASSERT_EQ(noErr, FSWrite(refNum, &five, "12345"));
  EXPECT_EQ(noErr, record->WriteID3TagInTargetOpenedFile(refNum, 1, nullptr, &written));
  FSClose(refNum);
  Bytes tag = TagBytes(*record, 1);
  EXPECT_EQ(tag.size(), written);
  EXPECT_EQ(tag.size(), record->GetID3TagDrawingMemorySize(1));
  EXPECT_EQ("12345" + tag, ReadHostFile(HostPath("tag.bin")));
  Record empty(kSpMusicInfo_ID3);
  EXPECT_EQ(paramErr, empty.WriteID3TagInTargetOpenedFile(refNum, 1, nullptr, &written));
  EXPECT_EQ(0u, empty.GetID3TagDrawingMemorySize(1));
}

// The record tags the engine writes, as independent readers see them.
std::unique_ptr<Record> SavedRecord(bool fromCD, const std::string& comment) {
  std::unique_ptr<Record> record(new (std::nothrow) Record(kSpMusicInfo_ID3));
  if (!fromCD) record->SetupVersion(2, 3, 0);
  const std::pair<UInt32, UInt32> ids[] = {{kSpID3_TT2, kSpID3_TIT2},
                                           {kSpID3_TP1, kSpID3_TPE1},
                                           {kSpID3_TAL, kSpID3_TALB},
                                           {kSpID3_TRK, kSpID3_TRCK},
                                           {kSpID3_COM, kSpID3_COMM}};
  const std::string texts[] = {MacJ("日本語の曲"), "Singer", MacJ("アルバム"), "3/12",
                               MacJ(comment)};
  for (int i = 0; i < 5; ++i) {
    record->SetupCStringIntoNewTextDataWithID3VersionUnder2(fromCD ? ids[i].first : ids[i].second,
                                                            texts[i].c_str(), 1);
  }
  return record;
}

const char kMutagenPrint[] = R"PY(
import sys
from mutagen.id3 import ID3
import mutagen.aiff
path = sys.argv[1]
tags = mutagen.aiff.AIFF(path).tags if path.endswith('.aiff') else ID3(path)
for key in ('TIT2', 'TPE1', 'TALB', 'TRCK'):
    print(key + '=' + str(tags[key].text[0]))
print('COMM=' + tags.getall('COMM')[0].text[0])
)PY";

TEST_F(ID3WriteTest, TagsAndAIFFChunksWeWriteAreReadByMutagenAndFFprobe) {
  bool mutagen = HaveMutagen(), ffprobe = HaveFFprobe();
  if (!mutagen && !ffprobe) GTEST_SKIP() << "neither python3-mutagen nor ffprobe is installed";
  const std::string comment = "とても長い感想" + std::string(140, 'z');  // over 128 bytes
  for (bool fromCD : {true, false}) {
    // A tag in front of MPEG audio bytes.
    auto record = SavedRecord(fromCD, comment);
    WriteFile("ours.mp3", TagBytes(*record, record->IsID3version2_2Over()) + Bytes(256, '\0'));
    if (mutagen) {
      EXPECT_EQ("TIT2=日本語の曲\nTPE1=Singer\nTALB=アルバム\nTRCK=3/12\nCOMM=" + comment + "\n",
                Python(kMutagenPrint, "ours.mp3"))
          << (fromCD ? "v2.2" : "v2.3");
    }
    // Our "ID3 " chunk after the sound of an AIFF file, as the engine saves.
    record = SavedRecord(fromCD, "short");
    std::remove(HostPath("saved.aiff").c_str());
    short refNum = OpenForWriting("saved.aiff");
    Bytes head = qt_test::AIFFBytes(441);
    SInt32 count = SInt32(head.size());
    ASSERT_EQ(noErr, FSWrite(refNum, &count, head.data()));
    UInt32 written = 0;
    ASSERT_EQ(1, SpQTI_WriteID3TagChunkIntoAIFF(refNum, record.get(), record->IsID3version2_2Over(),
                                                nullptr, written));
    // The caller fixes the FORM size from the end position.
    SInt32 end = 0;
    GetFPos(refNum, &end);
    Bytes formSize = BE32(UInt32(end - 8));
    ASSERT_EQ(noErr, SetFPos(refNum, fsFromStart, 4));
    count = 4;
    FSWrite(refNum, &count, formSize.data());
    FSClose(refNum);

    if (mutagen) {
      EXPECT_EQ("TIT2=日本語の曲\nTPE1=Singer\nTALB=アルバム\nTRCK=3/12\nCOMM=short\n",
                Python(kMutagenPrint, "saved.aiff"));
    }
    if (ffprobe) {
      std::string out = RunCommand(
          "ffprobe -v error -show_entries format_tags=title,artist,album,track "
          "-of default=noprint_wrappers=1 '" +
          HostPath("saved.aiff") + "'");
      for (const char* tag : {"title=日本語の曲", "artist=Singer", "album=アルバム", "track=3/12"})
        EXPECT_NE(std::string::npos, out.find(std::string("TAG:") + tag)) << out;
    }
    // And our own reader finds the same.
    auto back = Parse("saved.aiff");
    ASSERT_TRUE(back);
    EXPECT_EQ(MacJ("日本語の曲"), Title(*back));
  }
}

}  // namespace
