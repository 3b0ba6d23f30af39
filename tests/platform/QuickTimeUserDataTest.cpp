// Movie user data: items, text entries per language, user data read from movie files, and
// the atom reader fed damaged bytes.

#include <algorithm>
#include <random>

#include "ByteOrder.h"
#include "QuickTimeFixture.h"
#include "UserData.h"
#include "quicktime/detail/Atoms.h"
#include "quicktime/detail/ByteSource.h"
#include "quicktime/detail/MovieData.h"

namespace quicktime_test {
namespace {

namespace qt = sp_platform::quicktime;

const OSType kName = kUserDataTextFullName;     // '©nam'
const OSType kArtist = 0xA9415254;              // '©ART'
const std::string kNihon = "\x93\xFA\x96\x7B";  // "日本" in MacJapanese
const std::string kTrack("\x00\x03\x00\x0C", 4);

Handle HandleOf(const std::string& bytes) {
  Handle h = NewHandle(Size(bytes.size()));
  if (!bytes.empty()) std::memcpy(*h, bytes.data(), bytes.size());
  return h;
}

std::string BytesOf(Handle h) {
  return std::string(*h, std::size_t(GetHandleSize(h)));
}

OSErr AddText(UserData ud, OSType type, SInt32 index, SInt16 language, const std::string& text) {
  Handle h = HandleOf(text);
  const OSErr err = AddUserDataText(ud, h, type, index, language);
  DisposeHandle(h);
  return err;
}

// The text (or, with language -1, the raw item); "error <n>" when there is none.
std::string Get(UserData ud, OSType type, SInt32 index, SInt16 language = -1) {
  Handle h = NewHandle(0);
  const OSErr err = language < 0 ? GetUserData(ud, h, type, index)
                                 : GetUserDataText(ud, h, type, index, language);
  const std::string text = err == noErr ? BytesOf(h) : "error " + std::to_string(err);
  DisposeHandle(h);
  return text;
}

std::string Atom(const char* type, const std::string& contents) {
  std::string a(4, '\0');
  sp::StoreBE32(&a[0], UInt32(contents.size() + 8));
  return a + std::string(type, 4) + contents;
}

std::string Entry(UInt16 language, const std::string& text) {
  std::string e(4, '\0');
  sp::StoreBE16(&e[0], UInt16(text.size()));
  sp::StoreBE16(&e[2], language);
  return e + text;
}

class QuickTimeUserDataTest : public QuickTimeTest {
 protected:
  void TearDown() override {
    if (ud_ != nullptr) DisposeUserData(ud_);
    QuickTimeTest::TearDown();
  }
  UserData ud_ = nullptr;
};

TEST_F(QuickTimeUserDataTest, ItemsKeepTheirOrderTypesAndIndexes) {
  ASSERT_EQ(NewUserData(&ud_), noErr);
  const OSType a = SpFourCC("aaaa"), b = SpFourCC("bbbb");
  for (auto [type, bytes] : {std::pair<OSType, std::string>{a, "one"}, {b, "two"}, {a, "three"}}) {
    Handle h = HandleOf(bytes);
    ASSERT_EQ(AddUserData(ud_, h, type), noErr);
    DisposeHandle(h);
  }
  EXPECT_EQ(std::vector<OSType>({GetNextUserDataType(ud_, 0), GetNextUserDataType(ud_, a),
                                 GetNextUserDataType(ud_, b), OSType(CountUserDataType(ud_, a))}),
            std::vector<OSType>({a, b, 0, 2}));
  EXPECT_EQ(Get(ud_, a, 2) + Get(ud_, a, 3) + Get(ud_, a, 0), "threeerror -2026error -50");
  ASSERT_EQ(RemoveUserData(ud_, a, 1), noErr);
  EXPECT_EQ(Get(ud_, a, 1), "three");
  EXPECT_EQ(RemoveUserData(ud_, a, 2), userDataItemNotFound);
  EXPECT_EQ(GetNextUserDataType(ud_, 0), b) << "types are ordered by their first item";
  UserData gone = nullptr;  // disposed or null user data is refused
  ASSERT_EQ(NewUserData(&gone), noErr);
  ASSERT_EQ(DisposeUserData(gone), noErr);
  EXPECT_TRUE(DisposeUserData(gone) == paramErr && CountUserDataType(gone, kName) == 0 &&
              NewUserData(nullptr) == paramErr);
  EXPECT_EQ(Get(gone, kName, 1), "error -50");
}

// A file's user data may hold tens of thousands of items: walking every type and reading each
// of its items, as the tag reader does, examines every item a bounded number of times.
TEST_F(QuickTimeUserDataTest, ManyItemsAreReadWithWorkInProportionToTheirNumber) {
  constexpr UInt32 kTypes = 10000, kFirst = 0x41000000;
  std::string udta;
  for (UInt32 t = 0; t < 2 * kTypes; ++t) {
    char type[4];
    sp::StoreBE32(type, kFirst + t % kTypes);
    udta += Atom(type, std::to_string(t));
  }
  Handle h = HandleOf(Atom("udta", udta));
  ASSERT_EQ(NewUserDataFromHandle(h, &ud_), noErr);
  DisposeHandle(h);
  const UInt64 before = qt::UserDataItemsExamined();
  UInt32 types = 0, items = 0;
  for (OSType t = GetNextUserDataType(ud_, 0); t != 0; t = GetNextUserDataType(ud_, t)) {
    ++types;
    for (SInt32 i = 1, n = CountUserDataType(ud_, t); i <= n; ++i) {
      items += Get(ud_, t, i) == std::to_string(t - kFirst + UInt32(i - 1) * kTypes);
    }
  }
  EXPECT_EQ(types, kTypes);
  EXPECT_EQ(items, 2 * kTypes) << "each item, in order";
  EXPECT_LE(qt::UserDataItemsExamined() - before, 3u * 2 * kTypes);
}

// Other tools mark text with ISO language codes ('und' when unknown); the program asks by Mac
// language code, and its own entries carry Mac codes.
TEST_F(QuickTimeUserDataTest, TextEntriesAreKeptPerLanguage) {
  const UInt16 und = 0x55C4, jpn = 0x2A0E;
  Handle h = HandleOf(
      Atom("udta", Atom("\xA9nam", Entry(und, "Hello")) + Atom("\xA9\x41RT", Entry(jpn, kNihon))));
  ASSERT_EQ(NewUserDataFromHandle(h, &ud_), noErr);
  DisposeHandle(h);
  EXPECT_EQ(Get(ud_, kName, 1, langEnglish), "Hello");
  EXPECT_EQ(Get(ud_, kArtist, 1, langJapanese), kNihon);
  EXPECT_EQ(Get(ud_, kArtist, 1, langEnglish), "error -2026") << "Japanese is not English";
  // The last Mac language with an ISO code (Korean, 23) and the first without (24).
  const OSType kComment = 0xA9636D74;  // '©cmt'
  const UInt16 kor = 0x2DF2;
  h = HandleOf(Entry(kor, "K"));
  ASSERT_EQ(AddUserData(ud_, h, kComment), noErr);
  DisposeHandle(h);
  EXPECT_EQ(Get(ud_, kComment, 1, 23), "K");
  EXPECT_EQ(Get(ud_, kComment, 1, 24), "error -2026");
  ASSERT_EQ(RemoveUserDataText(ud_, kName, 1, langEnglish), noErr);
  EXPECT_EQ(CountUserDataType(ud_, kName), 0) << "the item goes with its last entry";
  EXPECT_EQ(RemoveUserDataText(ud_, kName, 1, langEnglish), userDataItemNotFound);
  ASSERT_EQ(AddText(ud_, kName, 1, langEnglish, "Hello"), noErr);
  ASSERT_EQ(AddText(ud_, kName, 1, langJapanese, kNihon), noErr);
  ASSERT_EQ(AddText(ud_, kName, 1, langEnglish, "Bye"), noErr);  // replaces its entry
  EXPECT_EQ(CountUserDataType(ud_, kName), 1);
  EXPECT_EQ(Get(ud_, kName, 1), Entry(0, "Bye") + Entry(11, kNihon));
  EXPECT_EQ(Get(ud_, kName, 1, 5), "error -2026");
  EXPECT_EQ(AddText(ud_, kName, 3, langEnglish, "x"), userDataItemNotFound) << "past last+1";
  ASSERT_EQ(RemoveUserDataText(ud_, kName, 1, langEnglish), noErr);
  EXPECT_EQ(Get(ud_, kName, 1, langEnglish), "error -2026");
  EXPECT_EQ(Get(ud_, kName, 1, langJapanese), kNihon);
  EXPECT_EQ(AddText(ud_, kName, 1, langEnglish, std::string(0xFFFF, 'x')), noErr);
  EXPECT_EQ(AddText(ud_, kName, 1, langJapanese, std::string(0x10000, 'x')), paramErr)
      << "an entry counts its bytes in 16 bits";
  Handle raw = HandleOf(Atom("data", "raw"));
  ASSERT_EQ(AddUserData(ud_, raw, kUserDataTrackNumber), noErr);
  DisposeHandle(raw);
  EXPECT_EQ(AddText(ud_, kUserDataTrackNumber, 1, langEnglish, "x"), paramErr) << "raw bytes";
}

// Text entries of every byte value and of the lengths at the ends of what an entry holds come
// back from the user data's bytes as they went in, each under its own language.
TEST_F(QuickTimeUserDataTest, TextEntriesOfAnyBytesComeBackFromTheUserDatasBytes) {
  std::string every;
  for (int c = 0; c < 256; ++c) every += char(c);
  const struct {
    SInt16 language;
    std::string text;
  } entries[] = {
      {langEnglish, every},
      {langJapanese, std::string(0xFFFF, '\xFF')},  // the longest an entry holds
      {SInt16(0x55C4), std::string("\0\0", 2)},     // an ISO code: "und"
      {SInt16(1), ""},                              // French, empty, last
  };
  // The first entry is text that starts as an MP4 item's data atom does.
  ASSERT_EQ(NewUserData(&ud_), noErr);
  ASSERT_EQ(AddText(ud_, kArtist, 1, langEnglish, "data loss"), noErr);
  EXPECT_EQ(Get(ud_, kArtist, 1, langEnglish), "data loss");
  DisposeUserData(ud_);
  ud_ = nullptr;

  ASSERT_EQ(NewUserData(&ud_), noErr);
  for (const auto& e : entries) ASSERT_EQ(AddText(ud_, kName, 1, e.language, e.text), noErr);
  ASSERT_EQ(AddText(ud_, kArtist, 1, langEnglish, kNihon), noErr);
  Handle bytes = NewHandle(0);
  ASSERT_EQ(PutUserDataIntoHandle(ud_, bytes), noErr);
  UserData read = nullptr;
  ASSERT_EQ(NewUserDataFromHandle(bytes, &read), noErr);
  DisposeHandle(bytes);
  for (const auto& e : entries) {
    SCOPED_TRACE(e.language);
    const std::string got = Get(read, kName, 1, e.language);
    EXPECT_EQ(got.size(), e.text.size());
    EXPECT_TRUE(got == e.text);
  }
  EXPECT_EQ(Get(read, kArtist, 1, langEnglish), kNihon) << "the next item starts where it should";
  EXPECT_EQ(CountUserDataType(read, kName), 1);
  DisposeUserData(read);
}

// A 'udta' atom appended to a movie made by another tool is read by our own walker; the
// movie's user data goes with the movie only; an MPEG-4 'meta' item stays whole for the
// program to read its 'ilst' itself.
TEST_F(QuickTimeUserDataTest, MovieUserDataIsReadFromTheFile) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 1, 8000, 10));
  UserData own = GetMovieUserData(Open("a.aif"));
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(GetNextUserDataType(own, 0), 0u);
  EXPECT_EQ(DisposeUserData(own), paramErr);
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path("plain.mov"), "pcm_s16be", 44100, 1, 0.2,
                                             {"-map_metadata", "-1"}));
  std::string bytes = ReadFile("plain.mov");
  const std::size_t moov = bytes.rfind("moov") - 4;  // ffmpeg writes the movie atom last
  ASSERT_EQ(moov + sp::LoadBE32(bytes.data() + moov), bytes.size());
  bytes += Atom("udta", Atom("\xA9nam", Entry(0, "Hello") + Entry(11, kNihon)) +
                            Atom("trkn", kTrack) + std::string(4, '\0'));
  sp::StoreBE32(&bytes[moov], UInt32(bytes.size() - moov));
  WriteFile("titled.mov", bytes);
  Movie movie = Open("titled.mov");
  ASSERT_NE(movie, nullptr);
  UserData ud = GetMovieUserData(movie);
  EXPECT_TRUE(GetNextUserDataType(ud, 0) == kName &&
              GetNextUserDataType(ud, kName) == kUserDataTrackNumber);
  EXPECT_EQ(Get(ud, kName, 1, langEnglish) + Get(ud, kName, 1, langJapanese) +
                Get(ud, kUserDataTrackNumber, 1),
            "Hello" + kNihon + kTrack);
  EXPECT_EQ(GetMediaSampleCount(SoundMedia(movie)), 8820) << "the sound is unaffected";
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path("t.m4a"), "aac", 44100, 2, 0.3,
                                             {"-metadata", "title=Hello"}));
  const std::string meta = Get(GetMovieUserData(Open("t.m4a")), kUserDataMetaItem, 1);
  EXPECT_EQ(meta.substr(0, 4), std::string(4, '\0'));  // version and flags
  EXPECT_TRUE(meta.find("ilst") != std::string::npos && meta.find("Hello") != std::string::npos);
}

// The UTF-8 text of a text item's one entry, marked with the undetermined language; "none"
// when the movie has no such item.
std::string CommentText(UserData ud, OSType type) {
  if (CountUserDataType(ud, type) == 0) return "none";
  const std::string payload = Get(ud, type, 1);
  std::vector<sp::quicktime::TextEntry> entries;
  if (!sp::quicktime::ParseTextEntries(reinterpret_cast<const UInt8*>(payload.data()),
                                       payload.size(), entries) ||
      entries.size() != 1 || entries[0].language != 0x55C4) {
    return "bad item";
  }
  return std::string(entries[0].text.begin(), entries[0].text.end());
}

// A FLAC or Ogg file's Vorbis comments are the movie's text items, as an importer of such
// files gives them; a long one is cut at a character's start. A WAVE file's INFO list is not
// taken: the program reads the tags of other files from the files themselves.
TEST_F(QuickTimeUserDataTest, VorbisCommentsOfFlacAndOggFilesAreTheMovieTextItems) {
  SKIP_WITHOUT_FFMPEG();
  std::string longTitle;
  for (int i = 0; i < 1500; ++i) longTitle += "\xE6\xAD\x8C";  // "歌", three bytes each
  const std::vector<std::string> tags = {
      "-metadata", "title=\xE5\xA4\x9C\xE3\x81\xAE\xE6\xAD\x8C",  // "夜の歌"
      "-metadata", "artist=Someone", "-metadata", "album=Caf\xC3\xA9", "-metadata", "track=3",
      "-metadata", "TRACKTOTAL=12"};
  struct Case {
    const char* file;
    const char* codec;
    bool taken;
  } cases[] = {{"t.flac", "flac", true},
               {"t.ogg", "libvorbis", true},
               {"t.opus", "libopus", true},
               {"t.wav", "pcm_s16le", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path(c.file), c.codec, 48000, 2, 0.2, tags));
    Movie movie = Open(c.file);
    ASSERT_NE(movie, nullptr);
    UserData ud = GetMovieUserData(movie);
    if (!c.taken) {
      EXPECT_EQ(GetNextUserDataType(ud, 0), 0u);
      continue;
    }
    EXPECT_EQ(CommentText(ud, kName), "\xE5\xA4\x9C\xE3\x81\xAE\xE6\xAD\x8C");
    EXPECT_EQ(CommentText(ud, kArtist), "Someone");
    EXPECT_EQ(CommentText(ud, kUserDataTextAlbum), "Caf\xC3\xA9");
    EXPECT_EQ(CommentText(ud, kUserDataTextTrack), "3/12");
    EXPECT_EQ(CommentText(ud, kUserDataTextGenre), "none") << "no genre";
  }
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path("long.flac"), "flac", 48000, 1, 0.2,
                                             {"-metadata", "title=" + longTitle}));
  EXPECT_EQ(CommentText(GetMovieUserData(Open("long.flac")), kName), longTitle.substr(0, 4095));
}

// A 'moov' atom with size 1 and a 64-bit size, followed by `contents` bytes.
std::string BigMoov(UInt64 size, std::size_t contents) {
  std::string a(16, 'x');
  sp::StoreBE32(&a[0], 1);
  a.replace(4, 4, "moov");
  sp::StoreBE64(&a[8], size);
  return a + std::string(contents, 'x');
}

std::string SizedMoov(UInt32 size) {
  std::string a = Atom("moov", "");
  sp::StoreBE32(&a[0], size);
  return a;
}

// Each size at and just past its limit; an 8-byte 'free' atom follows (24 bytes in all for
// the 64-bit cases). A 64-bit size under 16 counts less than its own header: taken, its
// contents would run to the end of memory.
TEST(QuickTimeAtomsTest, AtomSizesAreCheckedAgainstTheirHeaderAndWhatIsLeft) {
  const struct {
    std::string first;
    bool listed;           // ListAtoms' answer
    std::size_t atoms;     // atoms it lists
    std::size_t contents;  // the first atom's contents
    bool movieFound;       // the file walker's answer
    const char* why;
  } cases[] = {
      {SizedMoov(8), true, 2, 0, true, "32-bit size of the header alone"},
      {SizedMoov(7), false, 0, 0, false, "32-bit size under its header"},
      {SizedMoov(17), false, 0, 0, false, "32-bit size one past the end"},
      {SizedMoov(16), true, 1, 8, true, "32-bit size to the end exactly"},
      {SizedMoov(0), true, 0, 0, true, "size 0: the list ends, in a file the atom does"},
      {BigMoov(16, 0), true, 2, 0, true, "64-bit size of its 16-byte header alone"},
      {BigMoov(15, 0), false, 0, 0, false, "64-bit size one under its header"},
      {BigMoov(8, 0), false, 0, 0, false, "64-bit size of an 8-byte header"},
      {BigMoov(20, 4), true, 2, 4, true, "64-bit size with contents"},
      {BigMoov(24, 0), true, 1, 8, true, "64-bit size to the end exactly"},
      {BigMoov(25, 0), false, 0, 0, false, "64-bit size one past the end"},
      {BigMoov(0x100000010ull, 0), false, 0, 0, false, "64-bit size beyond 32 bits"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const std::string bytes = c.first + Atom("free", "");
    std::vector<qt::Atom> atoms;
    EXPECT_EQ(qt::ListAtoms(reinterpret_cast<const UInt8*>(bytes.data()), 0, bytes.size(), atoms),
              c.listed);
    ASSERT_EQ(atoms.size(), c.atoms);
    if (!atoms.empty()) {
      EXPECT_EQ(atoms[0].dataSize, c.contents);
      EXPECT_EQ(atoms[0].dataStart + atoms[0].dataSize, c.first.size() + (c.atoms == 1 ? 8 : 0));
    }
    qt::MemorySource source(std::vector<UInt8>(bytes.begin(), bytes.end()));
    qt::MovieAtomInfo info;
    EXPECT_EQ(qt::ReadMovieFileStructure(source, info), c.movieFound);
  }
}

// Random, truncated and lying atoms: the walkers keep to the bytes they were given (the
// sanitizers watch every read) and every atom listed lies inside its range.
TEST(QuickTimeAtomsTest, DamagedAtomsNeverReadOutsideTheirBytes) {
  std::mt19937 random(20240607);
  const char* kTypes[] = {"moov", "udta", "trak", "mdia", "stsd", "mvhd", "\xA9nam", "meta"};
  auto randomAtoms = [&](int depth, auto& self) -> std::string {
    std::string out;
    for (int i = int(random() % 4); i > 0; --i) {
      std::string contents;
      if (depth < 4 && random() % 2 == 0) contents = self(depth + 1, self);
      for (int k = contents.empty() ? int(random() % 40) : 0; k > 0; --k)
        contents += char(random());
      std::string atom = Atom(kTypes[random() % 8], contents);
      const UInt32 lies[] = {UInt32(random() % 16), UInt32(atom.size() + 1 + random() % 1000),
                             0xFFFFFFFFu};
      if (random() % 8 < 3) sp::StoreBE32(&atom[0], lies[random() % 3]);
      out += atom;
    }
    return out;
  };
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = randomAtoms(0, randomAtoms);
    if (round % 3 == 0 && !bytes.empty()) bytes.resize(random() % bytes.size());
    const auto* p = reinterpret_cast<const UInt8*>(bytes.data());
    std::vector<qt::Atom> atoms;
    qt::ListAtoms(p, 0, bytes.size(), atoms);
    for (const qt::Atom& a : atoms) ASSERT_LE(a.dataStart + a.dataSize, bytes.size());
    qt::MovieAtomInfo info;
    qt::ReadMovieAtom(p, bytes.size(), info);
    qt::MemorySource source(std::vector<UInt8>(bytes.begin(), bytes.end()));
    qt::ReadMovieFileStructure(source, info);
    Handle h = HandleOf(bytes);
    UserData ud = nullptr;
    ASSERT_EQ(NewUserDataFromHandle(h, &ud), noErr);
    for (OSType t = GetNextUserDataType(ud, 0); t != 0; t = GetNextUserDataType(ud, t)) {
      GetUserDataText(ud, h, t, 1, langEnglish);
    }
    DisposeUserData(ud);
    DisposeHandle(h);
  }
}

// Damaged movie files: cut or with bytes changed, each either opens or is refused, and what
// opens can be read to its end with time moving forward.
TEST_F(QuickTimeUserDataTest, DamagedMovieFilesOpenOrFailCleanly) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path("t.m4a"), "aac", 22050, 1, 0.3,
                                             {"-metadata", "title=Hello"}));
  const std::string good = ReadFile("t.m4a");
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    std::string bytes = good;
    if (round % 2 == 0) bytes.resize(random() % bytes.size());
    for (int i = 0; round % 2 == 1 && i < 20; ++i) bytes[random() % bytes.size()] = char(random());
    WriteFile("bad.m4a", bytes);
    FSSpec spec = Spec("bad.m4a");
    SInt16 ref = 0;
    ASSERT_EQ(OpenMovieFile(&spec, &ref, fsRdPerm), noErr);
    Movie movie = nullptr;
    const OSErr err = NewMovieFromFile(&movie, ref, nullptr, nullptr, 0, nullptr);
    CloseMovieFile(ref);
    EXPECT_EQ(err != noErr, movie == nullptr);
    Media media = movie != nullptr ? SoundMedia(movie) : nullptr;
    if (media != nullptr) Describe(media);
    Handle h = NewHandle(0);
    for (TimeValue t = 0; media != nullptr;) {
      SInt32 n = 0;
      TimeValue st = 0, dps = 0;
      if (GetMediaSample(media, h, 1 << 20, nullptr, t, &st, &dps, nullptr, nullptr, 0, &n,
                         nullptr) != noErr)
        break;
      ASSERT_GT(st + dps * n, t);
      t = st + dps * n;
    }
    DisposeHandle(h);
    if (movie != nullptr) DisposeMovie(movie);
  }
}

}  // namespace
}  // namespace quicktime_test
