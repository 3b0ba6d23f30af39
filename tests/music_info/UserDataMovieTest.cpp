// Movie user data: reading a movie's tags into a record, writing a record into a movie, and a
// movie we tagged read back by ffprobe.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "QTInterfaceTestFiles.h"
#include "SpQTInterface.h"
#include "SpTesting.h"
#include "TagRecordTestSupport.h"
#include "TestResources.h"

namespace {

using Record = std::unique_ptr<cSp_MusicFileMusicInfoDataObj>;
constexpr UInt32 QT(const char (&tail)[4]) {
  return SpQTI_CopyrightFourCC(tail);
}

std::string HandleBytes(Handle h) {
  return std::string(*h, std::size_t(GetHandleSize(h)));
}

// "タイトル" in the program's text.
const std::string kJapaneseTitle =
    "\x83^\x83"
    "C\x83g\x83\x8B";

class MovieUserData : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!qt_test::HaveTool("ffmpeg")) GTEST_SKIP() << "the ffmpeg tool is not installed";
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    SpQTI_LoadGenreTable();
    home_ = std::make_unique<sp_testing::HomeScope>();
    folder_ = qt_test::DocumentsFolder(*home_);
    // A movie as another program writes it: its title under an ISO language code.
    ASSERT_TRUE(qt_test::MakeToneFile(folder_.path + "/tone.mov",
                                      "-c:a pcm_s16be -metadata title=Hello "
                                      "-metadata artist=Someone"));
    movie_ = qt_test::OpenTestMovie(folder_, "tone.mov");
    ASSERT_NE(movie_, nullptr);
    userData_ = GetMovieUserData(movie_);
    ASSERT_NE(userData_, nullptr);
  }
  void TearDown() override {
    if (movie_ != nullptr) DisposeMovie(movie_);
    home_.reset();
    sp_testing::ResetResources();
  }

  void RemoveEveryItem() {
    for (OSType type = GetNextUserDataType(userData_, 0); type != 0;
         type = GetNextUserDataType(userData_, 0)) {
      while (CountUserDataType(userData_, type) > 0) RemoveUserData(userData_, type, 1);
    }
  }
  void AddText(UInt32 type, const std::string& text, SInt16 language) {
    Handle h = nullptr;
    ASSERT_EQ(PtrToHand(text.data(), &h, Size(text.size())), noErr);
    ASSERT_EQ(AddUserDataText(userData_, h, type, 1, language), noErr);
    DisposeHandle(h);
  }
  // The text at language 11 of the type, or the raw bytes (language -1); "<err>" when none.
  std::string Text(UInt32 type, SInt16 language = 11) {
    Handle h = NewHandle(0);
    OSErr err = language < 0 ? GetUserData(userData_, h, type, 1)
                             : GetUserDataText(userData_, h, type, 1, language);
    std::string text = err == noErr ? HandleBytes(h) : "<" + std::to_string(err) + ">";
    DisposeHandle(h);
    return text;
  }
  Record Read() {
    cSp_MusicFileMusicInfoDataObj* record = nullptr;
    EXPECT_EQ(SpQTI_LoadQuickTimeUserDataAndSetupMusicInfo(movie_, nullptr, record), noErr);
    return Record(record);
  }
  // The title the record read from the movie gives ("<none>" without a record).
  std::string ReadTitle() {
    Record record = Read();
    if (!record) return "<none>";
    char title[64] = "";
    record->GetMusicTitle(title, sizeof title, nullptr);
    return title;
  }

  std::unique_ptr<sp_testing::HomeScope> home_;
  qt_test::Folder folder_;
  Movie movie_ = nullptr;
  UserData userData_ = nullptr;
};

TEST_F(MovieUserData, TitleIsReadInTheScriptOfItsLanguageAndOnlyTagsMakeARecord) {
  // The ISO language code "und" packed in 15 bits: Unicode text.
  const SInt16 kUnd = (('u' - 0x60) << 10) | (('n' - 0x60) << 5) | ('d' - 0x60);
  const struct {
    SInt16 language;
    std::string stored;
    std::string title;  // as the record delivers it
  } cases[] = {
      {0, "Hello", "Hello"},
      // Mac Roman e-acute, o-umlaut and O-slash: letters the program's text lacks lose their
      // accents and keep their neighbours.
      {0, "Caf\x8E Bj\x9Ark \xAF", "Cafe Bjork O"},
      {11, kJapaneseTitle, kJapaneseTitle},
      {kUnd, "Bj\xC3\xB6rk & \xE5\x9D\x82\xE6\x9C\xAC", "Bjork & " + tagtest::MacJ("坂本")},
      {kUnd, tagtest::UTF16LEWithMark(u"Sigur Rós 日本"), "Sigur Ros " + tagtest::MacJ("日本")},
      {kUnd, std::string("\xFE\xFF\0S\0i\x65\xE5", 8), "Si" + tagtest::MacJ("日")},  // big-endian
      {kUnd, "\xF0\x9F\x98\x80 \xC3\x86", "? AE"},  // no such character; a ligature
  };
  for (const auto& c : cases) {
    RemoveEveryItem();
    AddText(kSpQT_nam, c.stored, c.language);
    Record record = Read();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->GetMusicInfoType(), kSpMusicInfo_QTUserData);
    const cSp_MusicFileMusicInfoDataItemObj* item = record->GetFirstItemPtr();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetNextObjectPtr(), nullptr);
    // The item keeps the movie's own bytes and its language.
    EXPECT_EQ(std::string(item->GetDataPtr(), std::size_t(item->GetDataLength())) + "|" +
                  std::to_string(item->GetFlagInfo()) + "|" + std::to_string(item->GetItemType()),
              c.stored + "|" + std::to_string(c.language) + "|" + std::to_string(kSpQT_nam));
    EXPECT_EQ(ReadTitle(), c.title);
  }
  RemoveEveryItem();
  AddText(QT("req"), "QuickTime 6.0 or greater", 11);  // not a tag
  EXPECT_EQ(ReadTitle(), "<none>");
  // A 'meta' item without its list leaves the user-data tags read.
  AddText(kSpQT_nam, "Hello", 0);
  Handle h = NewHandleClear(4);
  ASSERT_EQ(AddUserData(userData_, h, SpFourCC("meta")), noErr);
  DisposeHandle(h);
  EXPECT_EQ(ReadTitle(), "Hello");
}

TEST_F(MovieUserData, AMovieOfAnotherProgramKeepsItsTags) {
  // The ffmpeg tool marks its text with the ISO code "und" (neither language 0 nor 11) and
  // writes it in UTF-8.
  ASSERT_TRUE(qt_test::MakeToneFile(
      folder_.path + "/other.mov",
      "-c:a pcm_s16be -metadata 'artist=Sigur R\xC3\xB3s & \xE5\x9D\x82\xE6\x9C\xAC' "
      "-metadata title=\xE3\x82\xBF\xE3\x82\xA4\xE3\x83\x88\xE3\x83\xAB"));
  DisposeMovie(movie_);
  movie_ = qt_test::OpenTestMovie(folder_, "other.mov");
  ASSERT_NE(movie_, nullptr);
  Record record = Read();
  ASSERT_TRUE(record);
  EXPECT_EQ(tagtest::Title(*record) + "|" + tagtest::Artist(*record),
            kJapaneseTitle + "|Sigur Ros & " + tagtest::MacJ("坂本"));
}

cSp_MusicFileMusicInfoDataObj* NewID3Record() {
  auto* record = new (std::nothrow) cSp_MusicFileMusicInfoDataObj(kSpMusicInfo_ID3);
  record->SetupVersion(2, 3, 0);
  record->SetupNewTextData(kSpID3_TIT2, "Title", 5, 0);
  record->SetupNewTextData(kSpID3_TPE1, "Band", 4, 0);
  record->SetupNewTextData(kSpID3_TRCK, "3/12", 4, 0);
  record->SetupNewTextData(kSpID3_TCON, "(17)", 4, 0);
  // A comment: language, empty description, text.
  record->SetupNewTextData(kSpID3_COMM, std::string("eng\0Nice", 8).c_str(), 8, 0);
  record->SetupNewTextData(SpFourCC("TXXX"), "no movie type", 13, 0);
  return record;
}

TEST_F(MovieUserData, AnID3TagIsWrittenAsJapaneseTextReplacingTheTagsOfAnyLanguage) {
  // The title the other program wrote stays no second title.
  Record record(NewID3Record());
  ASSERT_EQ(record->SetupID3intoMovieFileWithUserData(movie_), 1);
  ASSERT_EQ(record->SetupID3intoMovieFileWithUserData(movie_), 1);
  EXPECT_EQ(CountUserDataType(userData_, kSpQT_nam), 1);
  EXPECT_EQ(CountUserDataType(userData_, kSpMP4_trkn), 1);
  // ID3 genre 17 is list entry 18; the comment goes without its language.
  EXPECT_EQ("Title|Band|3/12|" + std::string("\0\x03\0\x0C", 4) + "|Rock|Nice",
            Text(kSpQT_nam) + "|" + Text(kSpQT_ART) + "|" + Text(kSpQT_trk) + "|" +
                Text(kSpMP4_trkn, -1) + "|" + Text(kSpQT_gen) + "|" + Text(kSpQT_cmt));
  EXPECT_EQ(GetNextUserDataType(userData_, kSpQT_cmt), 0u) << "TXXX has no movie type";
}

TEST_F(MovieUserData, AnMP4TagIsWrittenWithItsGenreNamedAndAccentsDroppedButBrokenTextIsNot) {
  RemoveEveryItem();
  cSp_MusicFileMusicInfoDataObj record(kSpMusicInfo_MP4Meta);
  // é: MacJapanese has no such letter.
  std::string utf8Title = "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC";
  record.SetupNewTextData(kSpQT_nam, "Song", 4, 0);
  record.SetupNewTextData(kSpMP4_gnre, std::string("\0\x12", 2).c_str(), 2, 0);
  record.SetupNewTextData(0xA9777274 /* ©wrt */, "Composer", 8, 0);
  record.SetupNewTextData(kSpQT_alb, utf8Title.c_str(), SInt32(utf8Title.size()), 0);
  EXPECT_EQ(record.SetupID3intoMovieFileWithUserData(movie_), 0) << "only ID3 records count";
  EXPECT_EQ("Song|Rock|Composer|Cafe " + tagtest::MacJ("日本"),
            Text(kSpQT_nam) + "|" + Text(kSpQT_gen) + "|" + Text(0xA9636F6D /* ©com */) + "|" +
                Text(kSpQT_alb));
  RemoveEveryItem();
  // A lead byte with nothing after it.
  EXPECT_EQ(AddUserDataTextFromCString(userData_, SInt32(kSpQT_nam), 1, "abc\x82"),
            kTextUnsupportedEncodingErr);
  EXPECT_EQ(CountUserDataType(userData_, kSpQT_nam), 0);
  EXPECT_EQ(AddUserDataTextFromCString(userData_, SInt32(kSpQT_nam), 1, kJapaneseTitle.c_str()),
            noErr);
  EXPECT_EQ(Text(kSpQT_nam), kJapaneseTitle);
}

// ---- ffprobe reads what we wrote
// ------------------------------------------------------------------

// The MOV file with its 'moov' atom's user data replaced by these 'udta' bytes. The ffmpeg
// tool puts 'moov' last, so no sample offset moves.
bool ReplaceMovieUserData(const std::string& path, const std::string& udta) {
  namespace qt = sp::quicktime;
  const std::string file = qt_test::ReadHostFile(path);
  const UInt8* bytes = reinterpret_cast<const UInt8*>(file.data());
  std::vector<qt::Atom> top, children;
  qt::ListAtoms(bytes, 0, file.size(), top);
  const qt::Atom* moov = qt::FindAtom(top, SpFourCC("moov"));
  if (moov == nullptr || moov->dataStart + moov->dataSize != file.size()) return false;
  qt::ListAtoms(bytes, moov->dataStart, file.size(), children);
  std::string kept;
  for (const qt::Atom& child : children) {
    const std::size_t end = child.dataStart + child.dataSize;
    if (child.type != SpFourCC("udta")) kept += file.substr(child.start, end - child.start);
  }
  kept += udta;
  std::string header(8, '\0');
  sp::StoreBE32(&header[0], UInt32(8 + kept.size()));
  header.replace(4, 4, "moov");
  qt_test::WriteHostFile(path, file.substr(0, moov->start) + header + kept);
  return true;
}

TEST_F(MovieUserData, FFprobeReadsTheTagsWeWroteIntoAMovie) {
  if (!qt_test::HaveTool("ffprobe")) GTEST_SKIP() << "ffprobe is not installed";
  RemoveEveryItem();
  Record record(NewID3Record());
  ASSERT_EQ(record->SetupID3intoMovieFileWithUserData(movie_), 1);
  Handle udta = NewHandle(0);
  ASSERT_EQ(PutUserDataIntoHandle(userData_, udta), noErr);
  std::string path = folder_.path + "/tone.mov";
  DisposeMovie(movie_);
  movie_ = nullptr;
  ASSERT_TRUE(ReplaceMovieUserData(path, HandleBytes(udta)));
  DisposeHandle(udta);
  std::string tags = tagtest::RunCommand(
      "ffprobe -v error -show_entries format_tags -of default=noprint_wrappers=1 '" + path + "'");
  for (const char* tag : {"title=Title\n", "artist=Band\n", "genre=Rock\n", "comment=Nice\n"})
    EXPECT_NE(tags.find(std::string("TAG:") + tag), std::string::npos) << tags;
  EXPECT_EQ(tags.find("Hello"), std::string::npos) << "the old title is gone: " << tags;
  // And the movie still opens and reads back the same tags here.
  movie_ = qt_test::OpenTestMovie(folder_, "tone.mov");
  ASSERT_NE(movie_, nullptr);
  EXPECT_EQ(ReadTitle(), "Title");
}

}  // namespace
