#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "MacMemory.h"
#include "QTInterfaceTestFiles.h"
#include "SpTesting.h"
#include "TagRecordTestSupport.h"

using namespace tagtest;

namespace {

using Record = cSp_MusicFileMusicInfoDataObj;
using Item = cSp_MusicFileMusicInfoDataItemObj;

class TagRecordTest : public TagFileTest {};

std::unique_ptr<Record> NewRecord(tMusicFileInfoType kind, short main = 0, short major = 0) {
  std::unique_ptr<Record> record(new (std::nothrow) Record(kind));
  record->SetupVersion(main, major, 0);
  return record;
}

// An ID3 text item as the readers make it: the encoding byte as text code, the rest as data.
Item* AddText(Record& record, UInt32 id, const Bytes& data, int code = -1) {
  Item* item = record.SetupNewTextData(id, data.data(), SInt32(data.size()), 0);
  if (code >= 0) item->SetupTextCodeByte(char(code));
  return item;
}

TEST_F(TagRecordTest, GettersLookForTheIdsOfTheRecordsVersion) {
  struct Case {
    short main, major;
    UInt32 id;
    bool found;
  } cases[] = {
      {1, 1, kSpID3_TIT2, true},  // ID3 v1 records hold v2.3 ids
      {1, 0, kSpID3_TT2, false}, {2, 2, kSpID3_TT2, true},  {2, 2, kSpID3_TIT2, false},
      {2, 3, kSpID3_TIT2, true}, {2, 4, kSpID3_TIT2, true},
  };
  for (const Case& c : cases) {
    auto record = NewRecord(kSpMusicInfo_ID3, c.main, c.major);
    AddText(*record, c.id, "Song", 0);
    char title[64] = "untouched";
    EXPECT_EQ(c.found ? 1 : 0, record->GetMusicTitle(title, sizeof title, nullptr))
        << c.main << "." << c.major;
    EXPECT_STREQ(c.found ? "Song" : "untouched", title);
  }
}

TEST_F(TagRecordTest, TextForWritingIsLatin1OnlyWhenNothingIsLost) {
  struct Case {
    UInt32 id;
    std::string text;
    UInt32 encoding;
    int code;  // -1: nothing appended
    Bytes data;
  } cases[] = {
      {kSpID3_TT2, "Hello", 1, 0, "Hello"},
      {kSpID3_TT2, "Caf\xE9", kCFStringEncodingISOLatin1, 0, "Caf\xE9"},
      // Half-width katakana are single bytes of the program's text but not Latin-1.
      {kSpID3_TT2, MacJ("ｱｲ"), 1, 1, UTF16LEWithMark(u"ｱｲ")},
      {kSpID3_TT2, MacJ("日本"), 1, 1, UTF16LEWithMark(u"日本")},
      {kSpID3_COM, "Nice", 1, 0, Bytes("eng\0Nice", 8)},
      {kSpID3_COM, MacJ("良い"), 1, 1, Bytes("eng\xFF\xFE\0\0", 7) + UTF16LEWithMark(u"良い")},
      {kSpID3_WXX, "http://a.b/", 1, 0, Bytes("\0http://a.b/", 12)},
      {kSpID3_TT2, "", 1, -1, ""},
      {kSpID3_PIC, "x", 1, -1, ""},
  };
  for (const Case& c : cases) {
    Record record(kSpMusicInfo_ID3);
    Item* item =
        record.SetupCStringIntoNewTextDataWithID3VersionUnder2(c.id, c.text.c_str(), c.encoding);
    if (c.code < 0) {
      EXPECT_EQ(nullptr, item) << c.text;
      continue;
    }
    ASSERT_NE(nullptr, item) << c.text;
    EXPECT_EQ(c.code, item->GetTextCode()) << c.text;
    EXPECT_EQ(c.data, Bytes(item->GetDataPtr(), std::size_t(item->GetDataLength()))) << c.text;
    // UTF-16 text never ends in half a character (a comment has three bytes of language).
    if (c.code == 1) {
      EXPECT_EQ(c.id == kSpID3_COM ? 1 : 0, item->GetDataLength() % 2) << c.text;
    }
  }
}

TEST_F(TagRecordTest, TrailingBlanksAreTrimmedUnlessTheTextIsOnlyBlanks) {
  struct Case {
    Bytes stored, read;
  } cases[] = {{"abc   ", "abc"}, {"   ", "   "}, {"a b", "a b"}, {" x ", " x"}};
  for (const Case& c : cases) {
    Record record(kSpMusicInfo_ID3);
    record.SetupNewTextData(kSpID3_TIT2, c.stored.data(), SInt32(c.stored.size()), 1);
    EXPECT_EQ(c.read, RawItem(record, kSpID3_TIT2)) << "[" << c.stored << "]";
  }
}

TEST_F(TagRecordTest, GenreNumbersNameEntriesOfTheGenreList) {
  struct Case {
    short main, major;
    Bytes text;
    std::string genre;
  } cases[] = {
      {2, 3, "(17)", "Rock"},         {2, 3, "(17)Rock", "Rock"}, {2, 4, "17", "Rock"},
      {2, 4, "Shoegaze", "Shoegaze"}, {1, 0, "(0)", "Blues"},     {2, 2, "(8)", "Jazz"},
  };
  for (const Case& c : cases) {
    auto record = NewRecord(kSpMusicInfo_ID3, c.main, c.major);
    // A content group in front of the genre does not hide it.
    AddText(*record, c.major == 2 ? kSpID3_TT1 : kSpID3_TIT1, "Group", 0);
    AddText(*record, c.major == 2 ? kSpID3_TCO : kSpID3_TCON, c.text, 0);
    EXPECT_EQ(c.genre, Genre(*record)) << c.text;
  }
  auto mp4 = NewRecord(kSpMusicInfo_MP4Meta);
  AddText(*mp4, kSpMP4_gnre, Bytes("\0\x12", 2));
  EXPECT_EQ("Rock", Genre(*mp4));
}

TEST_F(TagRecordTest, TrackNumberAndCountComeFromEveryScheme) {
  const struct {
    tMusicFileInfoType kind;
    short main, major;
    UInt32 id;
    Bytes data;
    const char* track;
  } cases[] = {
      {kSpMusicInfo_ID3, 2, 3, kSpID3_TRCK, "7", "7/0"},
      {kSpMusicInfo_ID3, 2, 3, kSpID3_TRCK, "7/12", "7/12"},
      {kSpMusicInfo_ID3, 2, 4, kSpID3_TRCK, " 3 / 9", "3/9"},
      {kSpMusicInfo_ID3, 2, 2, kSpID3_TRK, "5/10", "5/10"},
      {kSpMusicInfo_ID3, 1, 1, kSpID3_TRCK, "9", "9/0"},
      {kSpMusicInfo_ID3, 2, 3, kSpID3_TRCK, "none", "none"},
      {kSpMusicInfo_MP4Meta, 0, 0, kSpMP4_trkn, Bytes("\0\0\0\3\0\x0C\0\0", 8), "3/12"},
      {kSpMusicInfo_QTUserData, 0, 0, kSpQT_trk, "4/8", "4/8"},
  };
  for (const auto& c : cases) {
    auto record = NewRecord(c.kind, c.main, c.major);
    AddText(*record, c.id, c.data, c.kind == kSpMusicInfo_ID3 ? 0 : -1);
    EXPECT_EQ(c.track, TrackNo(*record)) << c.data;
  }
  auto none = NewRecord(kSpMusicInfo_ID3, 2, 3);
  AddText(*none, kSpID3_TRCK, "none", 0);
  short track = -1;
  EXPECT_EQ(0, none->GetTrackNo(&track, nullptr));
  EXPECT_EQ(0, track);
}

// Tags another program wrote, read as the media list reads a file (the file's own tags, else
// the movie's user data), beside what mutagen reads of the same file ("none" for a text it
// cannot take as numbers).
const char kMutagenTrackNumbers[] = R"PY(
import os, shutil, sys
from mutagen.id3 import ID3, TRCK
import mutagen
folder = os.path.dirname(sys.argv[1])
def numbers(text):
    a, _, b = text.partition('/')
    try:
        if not a.strip() and not b.strip(): return 'none'
        return '%d/%d' % (int(a) if a.strip() else 0, int(b) if b.strip() else 0)
    except ValueError:
        return 'none'
for name, value in CASES:
    path = os.path.join(folder, name)
    if name.endswith('.mp3'):
        with open(path, 'wb') as f:
            f.write(b'\xff\xfb\x90\x00' + bytes(400))
        tags = ID3()
        tags.add(TRCK(encoding=3, text=[value]))
        tags.save(path, v2_version=3)
        seen = numbers(str(ID3(path)['TRCK']))
    elif name.endswith('.m4a'):
        shutil.copy(os.path.join(folder, 'tone.m4a'), path)
        f = mutagen.File(path)
        f['trkn'] = [tuple(int(n) for n in value.split(','))]
        f.save()
        seen = '%d/%d' % mutagen.File(path)['trkn'][0]
    else:
        shutil.copy(os.path.join(folder, 'tone' + os.path.splitext(name)[1]), path)
        f = mutagen.File(path)
        for pair in value.split(';'):
            key, _, text = pair.partition('=')
            f[key] = [text]
        f.save()
        f = mutagen.File(path)
        text = f.get('tracknumber', [''])[0]
        total = f.get('tracktotal') or f.get('totaltracks')
        if '/' not in text and total: text += '/' + total[0]
        seen = numbers(text)
    print(name, seen)
)PY";

TEST_F(TagRecordTest, AGivenCountWithoutNumberIsKeptAndNoNumberIsInventedInAnyTagKind) {
  if (!HaveMutagen() || !qt_test::HaveTool("ffmpeg")) {
    GTEST_SKIP() << "python3-mutagen or the ffmpeg tool is not installed";
  }
  const struct {
    const char* name;
    const char* value;  // TRCK text; trkn "number,count"; Vorbis comments "KEY=text;..."
    const char* shown;  // track/count as the list shows it, or "none"
    bool asMutagen;     // mutagen reads the same numbers
  } cases[] = {
      {"count.mp3", "/12", "0/12", true},
      {"both.mp3", "7/12", "7/12", true},
      {"number.mp3", "3/", "3/0", true},
      {"slash.mp3", "/", "none", true},
      {"big.mp3", "99999/0", "32767/0", false},
      {"huge.mp3", "4294967297/5", "32767/5", false},
      {"negative.mp3", "-1/5", "none", false},
      {"count.m4a", "0,12", "0/12", true},
      {"both.m4a", "7,12", "7/12", true},
      {"big.m4a", "65535,40000", "32767/32767", false},
      {"count.flac", "TRACKTOTAL=12", "0/12", true},
      {"apart.flac", "TRACKNUMBER=7;TRACKTOTAL=12", "7/12", true},
      {"both.flac", "TRACKNUMBER=7/12", "7/12", true},
      {"negative.flac", "TRACKNUMBER=-1;TRACKTOTAL=5", "none", false},
      {"big.flac", "TRACKNUMBER=99999/0", "32767/0", false},
      {"count.ogg", "TOTALTRACKS=12", "0/12", true},
  };
  for (const char* tone : {"tone.m4a", "tone.flac", "tone.ogg"}) {
    ASSERT_TRUE(qt_test::MakeToneFile(HostPath(tone), "-map_metadata -1")) << tone;
  }
  std::string list;
  for (const auto& c : cases) list += std::string("('") + c.name + "','" + c.value + "'),";
  const std::string seen =
      Python("CASES = [" + list + "]\n" + kMutagenTrackNumbers, "tone.m4a");
  for (const auto& c : cases) {
    cSp_MusicFileMusicInfoDataObj* found = nullptr;
    if (!SpQTI_ParseMusicInfoFromTargetFile(vRefNum_, dirID_, c.name, nullptr, found)) {
      Movie movie = qt_test::OpenTestMovie(qt_test::Folder{vRefNum_, dirID_, ""}, c.name);
      ASSERT_NE(nullptr, movie) << c.name;
      EXPECT_EQ(noErr, SpQTI_LoadQuickTimeUserDataAndSetupMusicInfo(movie, nullptr, found));
      DisposeMovie(movie);
    }
    std::unique_ptr<Record> record(found);
    const std::string shown = record ? TrackNo(*record) : "none";
    EXPECT_EQ(c.shown, shown) << c.name << " " << c.value;
    const bool agrees = seen.find(std::string(c.name) + " " + shown + "\n") != std::string::npos;
    EXPECT_EQ(c.asMutagen, agrees) << c.name << " " << c.value << "\n" << seen;
  }
}

TEST_F(TagRecordTest, TextIsDecodedByItsEncodingByte) {
  struct Case {
    unsigned char convert;
    UInt8 code;
    Bytes bytes;
    std::string text;
  } cases[] = {
      {1, 0, "Plain", "Plain"},
      {1, 1, UTF16LEWithMark(u"日本"), MacJ("日本")},
      {1, 1, Bytes("\xFE\xFF\x65\xE5\x67\x2C", 6), MacJ("日本")},
      {1, 1, Bytes("\x65\xE5\x67\x2C", 4), MacJ("日本")},      // no mark: big-endian
      {1, 2, Bytes("\x65\xE5\x67\x2C\x00", 5), MacJ("日本")},  // odd byte dropped
      {1, 3, "\xE6\x97\xA5\xE6\x9C\xAC", MacJ("日本")},
      {1, 3,
       "a\xF0\x9F\x98\x80"
       "b",
       "a?b"},  // a character the program cannot hold
      {1, 0, Bytes("one\0two", 7), "one"},
      // Letters the program's text lacks lose their accents, whatever encoding they came in.
      {1, 0, "Bj\xF6rk \xD7 \xBF", "Bjork \x81\x7E ?"},  // the sign is there, the mark is not
      {1, 2, Bytes("\0\xC5\0s\0a\x01\x42", 8), "Asal"},
      {1, 3, "Bjo\xCC\x88rk", "Bjork"},    // decomposed: the accent alone is dropped
      {0, 1, MacJ("日本"), MacJ("日本")},  // not converted
      {1, 9, "raw", "raw"},                // unknown encoding byte
  };
  for (const Case& c : cases) {
    SInt32 length = -1;
    Handle h = SpMuIO_GetMusicInfoTextData(c.bytes.data(), SInt32(c.bytes.size()), c.convert,
                                           c.code, &length);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(c.text, std::string(*h)) << int(c.code) << " " << c.text;
    EXPECT_EQ(SInt32(c.text.size()), length);
    DisposeHandle(h);
  }
}

// Tags as another program writes them, in every encoding ID3 has and in an MP4 file.
const char kMutagenWriteNames[] = R"PY(
import os, shutil, sys
from mutagen.id3 import ID3, TIT2, COMM
from mutagen.mp4 import MP4
m4a = sys.argv[1]
folder = os.path.dirname(m4a)
names = ['Björk', 'Sigur Rós', 'Motörhead', 'Ærøskøbing', 'Straße', '坂本龍一 & Åsa']
for scheme, version, encoding in (('v23latin1', 3, 0), ('v23utf16', 3, 1), ('v24utf8', 4, 3),
                                  ('v24utf16be', 4, 2)):
    for i, name in enumerate(names):
        if encoding == 0 and max(map(ord, name)) > 0xFF:
            continue
        path = os.path.join(folder, '%s-%d.mp3' % (scheme, i))
        with open(path, 'wb') as f:
            f.write(b'\xff\xfb\x90\x00' + bytes(400))
        tags = ID3()
        tags.add(TIT2(encoding=encoding, text=[name]))
        tags.add(COMM(encoding=encoding, lang='eng', desc='', text=[name]))
        tags.save(path, v2_version=version)
for i, name in enumerate(names):
    path = os.path.join(folder, 'mp4-%d.m4a' % i)
    shutil.copy(m4a, path)
    tags = MP4(path)
    tags['\xa9nam'] = [name]
    tags['\xa9cmt'] = [name]
    tags.save()
)PY";

TEST_F(TagRecordTest, EuropeanLettersLoseOnlyTheirAccentsNeverTurningIntoOtherBytes) {
  if (!HaveMutagen() || !qt_test::HaveTool("ffmpeg")) {
    GTEST_SKIP() << "python3-mutagen or the ffmpeg tool is not installed";
  }
  ASSERT_TRUE(qt_test::MakeToneFile(HostPath("tone.m4a"), "-c:a aac -b:a 64k"));
  Python(kMutagenWriteNames, "tone.m4a");
  // The names above as the program's text (MacJapanese bytes).
  const char* const shown[] = {"Bjork",     "Sigur Ros",
                               "Motorhead", "AEroskobing",
                               "Strasse",   "\x8D\xE2\x96\x7B\x97\xB4\x88\xEA & Asa"};
  for (const char* scheme : {"v23latin1", "v23utf16", "v24utf8", "v24utf16be", "mp4"}) {
    const bool mp4 = std::string(scheme) == "mp4";
    for (int i = 0; i < 6; ++i) {
      if (std::string(scheme) == "v23latin1" && i == 5) continue;  // no Latin-1 for kanji
      const std::string name = scheme + ("-" + std::to_string(i)) + (mp4 ? ".m4a" : ".mp3");
      std::unique_ptr<Record> record;
      if (mp4) {
        Movie movie = qt_test::OpenTestMovie(qt_test::Folder{vRefNum_, dirID_, ""}, name);
        ASSERT_NE(nullptr, movie) << name;
        Record* found = nullptr;
        EXPECT_EQ(noErr, SpQTI_LoadQuickTimeUserDataAndSetupMusicInfo(movie, nullptr, found));
        DisposeMovie(movie);
        record.reset(found);
      } else {
        record = Parse(name);
      }
      ASSERT_TRUE(record) << name;
      EXPECT_EQ(shown[i], Title(*record)) << name;
      EXPECT_EQ(shown[i], ItemText(*record, mp4 ? kSpQT_cmt : kSpID3_COMM)) << name;
    }
  }
}

TEST_F(TagRecordTest, CommentTextSkipsLanguageAndDescription) {
  struct Case {
    UInt32 id;
    short major;
    int code;
    Bytes data;
    std::string text;
  } cases[] = {
      {kSpID3_COMM, 3, 0, Bytes("engdesc\0text", 12), "text"},
      {kSpID3_COMM, 3, 1, Bytes("eng\xFF\xFE\0\0", 7) + UTF16LEWithMark(u"感想"), MacJ("感想")},
      {kSpID3_COMM, 4, 3, Bytes("eng\0\xE6\x84\x9F", 7), MacJ("感")},
      {kSpID3_COM, 2, 0, Bytes("eng\0v2.2", 8), "v2.2"},
      {kSpID3_COM, 2, 0, Bytes("eng\0Mot\xF6rhead", 13), "Motorhead"},
      {kSpID3_COMM, 3, 0, Bytes("engonly description", 19), "<nothing>"},
  };
  for (const Case& c : cases) {
    auto record = NewRecord(kSpMusicInfo_ID3, 2, c.major);
    AddText(*record, c.id, c.data, c.code);
    char text[256] = "<nothing>";
    record->GetFirstItemPtr()->GetTextDataIntoTargetMemory(kSpMusicInfo_ID3, c.major, text,
                                                           sizeof text, nullptr);
    EXPECT_EQ(c.text, std::string(text)) << c.data;
  }
}

TEST_F(TagRecordTest, SmallBuffersAreNeverOverrun) {
  Record record(kSpMusicInfo_ID3);
  record.SetupVersion(2, 3, 0);
  Item* item = AddText(record, kSpID3_TIT2, "0123456789", 0);
  struct Case {
    SInt32 size;
    std::string text;
    SInt32 copied;
  } cases[] = {{1, "", 0}, {2, "", 0}, {5, "012", 3}, {40, "0123456789", 10}};
  for (const Case& c : cases) {
    char buffer[48];
    std::memset(buffer, 'x', sizeof buffer);
    UInt32 type = 0;
    SInt32 length = 0, copied = -1;
    EXPECT_EQ(1, item->GetItemTextData(type, buffer, c.size, &length, &copied));
    EXPECT_EQ(c.text, std::string(buffer));
    EXPECT_EQ(10, length);
    EXPECT_EQ(c.copied, copied);
    EXPECT_EQ('x', buffer[c.size]) << "wrote past the buffer of " << c.size;
  }
  // A cut text keeps whole two-byte characters and says it was cut.
  Record japanese(kSpMusicInfo_ID3);
  japanese.SetupVersion(2, 3, 0);
  AddText(japanese, kSpID3_TIT2, UTF16LEWithMark(u"日本語"), 1);
  char buffer[6];
  unsigned char cut = 0;
  EXPECT_EQ(1, japanese.GetMusicTitle(buffer, sizeof buffer, &cut));
  EXPECT_EQ(MacJ("日本"), std::string(buffer));
  EXPECT_EQ(1, cut);
  // A text that fills the buffer exactly, less its terminator, is whole.
  Record exact(kSpMusicInfo_ID3);
  exact.SetupVersion(2, 3, 0);
  AddText(exact, kSpID3_TIT2, UTF16LEWithMark(u"日本"), 1);
  char five[5];
  EXPECT_EQ(1, exact.GetMusicTitle(five, sizeof five, &cut));
  EXPECT_EQ(MacJ("日本"), std::string(five));
  EXPECT_EQ(0, cut);
}

// A cut keeps whole characters for every first byte of a two-byte character (0x81 to 0x9F and
// 0xE0 up) and cuts after a one-byte half-width katakana (0xA1 to 0xDF).
TEST_F(TagRecordTest, ACutNeverSplitsATwoByteCharacterWhateverItsFirstByte) {
  const struct {
    std::u16string character;
    const char* utf8;
    bool twoBytes;
  } cases[] = {
      {u"\u3001", "\u3001", true},  {u"\u4E9C", "\u4E9C", true},  {u"\u6A97", "\u6A97", true},
      {u"\u6ECC", "\u6ECC", true},  {u"\u6F3E", "\u6F3E", true},  {u"\u7199", "\u7199", true},
      {u"\uFF61", "\uFF61", false}, {u"\uFF9F", "\uFF9F", false},
  };
  for (const auto& c : cases) {
    const std::string shown = MacJ(c.utf8);
    ASSERT_EQ(shown.size(), c.twoBytes ? 2u : 1u) << c.utf8;
    Record record(kSpMusicInfo_ID3);
    record.SetupVersion(2, 3, 0);
    AddText(record, kSpID3_TIT2, UTF16LEWithMark(u"a" + c.character + u"b"), 1);
    char buffer[3];
    unsigned char cut = 0;
    EXPECT_EQ(1, record.GetMusicTitle(buffer, sizeof buffer, &cut)) << c.utf8;
    EXPECT_EQ(c.twoBytes ? std::string("a") : "a" + shown, std::string(buffer)) << c.utf8;
    EXPECT_EQ(1, cut) << c.utf8;
  }
}

TEST_F(TagRecordTest, OnlyID3RecordsAboveV22AreAboveV22AndEmptyRecordsGiveEmptyStrings) {
  const struct {
    tMusicFileInfoType kind;
    short main, major;
    unsigned char above;
  } cases[] = {{kSpMusicInfo_ID3, 1, 1, 0},        {kSpMusicInfo_ID3, 2, 2, 0},
               {kSpMusicInfo_ID3, 2, 3, 1},        {kSpMusicInfo_ID3ForWrite, 2, 4, 1},
               {kSpMusicInfo_QTUserData, 2, 3, 0}, {kSpMusicInfo_AIFFChunk, 2, 3, 0},
               {kSpMusicInfo_MP4Meta, 2, 4, 0}};
  for (const auto& c : cases) {
    auto record = NewRecord(c.kind, c.main, c.major);
    EXPECT_EQ(c.above, record->IsID3version2_2Over()) << int(c.kind) << " " << c.major;
    char title[16] = "junk", genre[16] = "junk";
    EXPECT_EQ(0, record->GetMusicTitle(title, sizeof title, nullptr));
    EXPECT_EQ(0, record->GetGenreString(genre, sizeof genre, nullptr));
    EXPECT_EQ("|", std::string(title) + "|" + genre);
    EXPECT_EQ(0, record->GetContainItemNumForID3(1));
  }
}

TEST_F(TagRecordTest, NullBuffersAndFailedAllocationsAreReportedNotFatal) {
  Record record(kSpMusicInfo_ID3);
  EXPECT_EQ(0, record.GetMusicTitle(nullptr, 10, nullptr));
  EXPECT_TRUE(log_.Has("cSp_MusicFileMusicInfoDataObj::GetMusicTitle", 1));
  EXPECT_EQ(0, record.GetTrackNo(nullptr, nullptr));
  EXPECT_TRUE(log_.Has("cSp_MusicFileMusicInfoDataObj::GetTrackNo", 1));
  EXPECT_EQ(nullptr,
            record.SetupCStringIntoNewTextDataWithID3VersionUnder2(kSpID3_TT2, nullptr, 1));

  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(nullptr, record.CreateNewSoundInfo(kSpID3_TIT2));
  sp_testing::FailNthAllocation(0);
  EXPECT_TRUE(log_.Has("cSp_MusicFileMusicInfoDataObj::CreateNewSoundInfo", 2));
  EXPECT_EQ(nullptr, record.GetFirstItemPtr());
  // A text block that cannot be had leaves the item without text.
  sp_testing::FailNthAllocation(2);
  Item* item = record.SetupNewTextData(kSpID3_TIT2, "abc", 3, 0);
  sp_testing::FailNthAllocation(0);
  ASSERT_NE(nullptr, item);
  EXPECT_EQ(nullptr, item->GetDataPtr());
  EXPECT_GE(log_.Beeps(), 4u);
}

}  // namespace
