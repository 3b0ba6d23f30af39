// Movie user data: items, text entries per language, the 'udta' bytes, user data read from
// movie files, and the atom reader fed damaged bytes.

#include <random>

#include "ByteOrder.h"
#include "QuickTimeFixture.h"
#include "UserData.h"
#include "quicktime/detail/Atoms.h"

namespace quicktime_test {
namespace {

const OSType kName = kUserDataTextFullName;     // '©nam'
const std::string kNihon = "\x93\xFA\x96\x7B";  // "日本" in MacJapanese

Handle HandleOf(const std::string& bytes) {
  Handle h = NewHandle(Size(bytes.size()));
  if (!bytes.empty()) std::memcpy(*h, bytes.data(), bytes.size());
  return h;
}

std::string BytesOf(Handle h) {
  return std::string(*h, std::size_t(GetHandleSize(h)));
}

// Adds or gets with a handle made and disposed here.
OSErr AddText(UserData ud, OSType type, SInt32 index, SInt16 language, const std::string& text) {
  Handle h = HandleOf(text);
  const OSErr err = AddUserDataText(ud, h, type, index, language);
  DisposeHandle(h);
  return err;
}

std::string GetText(UserData ud, OSType type, SInt32 index, SInt16 language, OSErr* err) {
  Handle h = NewHandle(0);
  *err = GetUserDataText(ud, h, type, index, language);
  const std::string text = *err == noErr ? BytesOf(h) : std::string();
  DisposeHandle(h);
  return text;
}

std::string GetItem(UserData ud, OSType type, SInt32 index, OSErr* err) {
  Handle h = NewHandle(0);
  *err = GetUserData(ud, h, type, index);
  const std::string bytes = *err == noErr ? BytesOf(h) : std::string();
  DisposeHandle(h);
  return bytes;
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
  EXPECT_EQ(GetNextUserDataType(ud_, 0), a);
  EXPECT_EQ(GetNextUserDataType(ud_, a), b);
  EXPECT_EQ(GetNextUserDataType(ud_, b), 0u);
  EXPECT_EQ(GetNextUserDataType(ud_, SpFourCC("none")), 0u);
  EXPECT_EQ(CountUserDataType(ud_, a), 2);
  OSErr err = noErr;
  EXPECT_EQ(GetItem(ud_, a, 2, &err), "three");
  EXPECT_EQ(GetItem(ud_, a, 3, &err), "");
  EXPECT_EQ(err, userDataItemNotFound);
  GetItem(ud_, a, 0, &err);
  EXPECT_EQ(err, paramErr);

  ASSERT_EQ(RemoveUserData(ud_, a, 1), noErr);
  EXPECT_EQ(GetItem(ud_, a, 1, &err), "three");
  EXPECT_EQ(RemoveUserData(ud_, a, 2), userDataItemNotFound);
  // The order of types follows the first item of each.
  EXPECT_EQ(GetNextUserDataType(ud_, 0), b);
}

TEST_F(QuickTimeUserDataTest, TextEntriesAreKeptPerLanguage) {
  ASSERT_EQ(NewUserData(&ud_), noErr);
  ASSERT_EQ(AddText(ud_, kName, 1, langEnglish, "Hello"), noErr);
  ASSERT_EQ(AddText(ud_, kName, 1, langJapanese, kNihon), noErr);
  EXPECT_EQ(CountUserDataType(ud_, kName), 1);
  OSErr err = noErr;
  EXPECT_EQ(GetItem(ud_, kName, 1, &err), Entry(0, "Hello") + Entry(11, kNihon));
  EXPECT_EQ(GetText(ud_, kName, 1, langEnglish, &err), "Hello");
  EXPECT_EQ(GetText(ud_, kName, 1, langJapanese, &err), kNihon);
  GetText(ud_, kName, 1, 5, &err);
  EXPECT_EQ(err, userDataItemNotFound);

  // The same language again replaces its entry.
  ASSERT_EQ(AddText(ud_, kName, 1, langEnglish, "Bye"), noErr);
  EXPECT_EQ(GetText(ud_, kName, 1, langEnglish, &err), "Bye");
  EXPECT_EQ(GetItem(ud_, kName, 1, &err), Entry(0, "Bye") + Entry(11, kNihon));
  // A new item only right after the last one.
  EXPECT_EQ(AddText(ud_, kName, 3, langEnglish, "x"), userDataItemNotFound);

  ASSERT_EQ(RemoveUserDataText(ud_, kName, 1, langEnglish), noErr);
  GetText(ud_, kName, 1, langEnglish, &err);
  EXPECT_EQ(err, userDataItemNotFound);
  ASSERT_EQ(RemoveUserDataText(ud_, kName, 1, langJapanese), noErr);
  EXPECT_EQ(CountUserDataType(ud_, kName), 0);  // the item went with its last entry
  EXPECT_EQ(RemoveUserDataText(ud_, kName, 1, langJapanese), userDataItemNotFound);

  // Text longer than an entry can count is refused; so is adding text to raw bytes.
  ASSERT_EQ(AddText(ud_, kName, 1, langEnglish, std::string(0x10000, 'x')), paramErr);
  Handle raw = HandleOf(Atom("data", "raw"));
  ASSERT_EQ(AddUserData(ud_, raw,
                        SpFourCC("\xA9"
                                 "ART")),
            noErr);
  DisposeHandle(raw);
  EXPECT_EQ(AddText(ud_,
                    SpFourCC("\xA9"
                             "ART"),
                    1, langEnglish, "x"),
            paramErr);
}

// Files of other tools mark their text with ISO language codes ('und' when they do not know
// the language); the program asks by Mac language code.
TEST_F(QuickTimeUserDataTest, TextMarkedWithISOLanguageCodesIsFound) {
  const UInt16 und = 0x55C4, jpn = 0x2A0E;
  const std::string udta =
      Atom("udta", Atom("\xA9nam", Entry(und, "Title")) + Atom("\xA9"
                                                               "ART",
                                                               Entry(jpn, kNihon)));
  Handle h = HandleOf(udta);
  ASSERT_EQ(NewUserDataFromHandle(h, &ud_), noErr);
  DisposeHandle(h);
  OSErr err = noErr;
  EXPECT_EQ(GetText(ud_, kName, 1, langEnglish, &err), "Title");
  EXPECT_EQ(GetText(ud_,
                    SpFourCC("\xA9"
                             "ART"),
                    1, langJapanese, &err),
            kNihon);
  GetText(ud_,
          SpFourCC("\xA9"
                   "ART"),
          1, langEnglish, &err);
  EXPECT_EQ(err, userDataItemNotFound);  // Japanese text is not English text
  EXPECT_EQ(RemoveUserDataText(ud_, kName, 1, langEnglish), noErr);
}

TEST_F(QuickTimeUserDataTest, SerialisedUserDataIsOneUdtaAtomAndReadsBack) {
  ASSERT_EQ(NewUserData(&ud_), noErr);
  ASSERT_EQ(AddText(ud_, kName, 1, langJapanese, kNihon), noErr);
  Handle track = HandleOf(std::string("\x00\x03\x00\x0C", 4));
  ASSERT_EQ(AddUserData(ud_, track, kUserDataTrackNumber), noErr);
  DisposeHandle(track);

  Handle out = NewHandle(0);
  ASSERT_EQ(PutUserDataIntoHandle(ud_, out), noErr);
  const std::string expected = Atom("udta", Atom("\xA9nam", Entry(11, kNihon)) +
                                                Atom("trkn", std::string("\x00\x03\x00\x0C", 4)));
  EXPECT_EQ(BytesOf(out), expected);

  // The whole atom and the bare items both read back; a terminator after the items is fine.
  for (const std::string& bytes :
       {expected, expected.substr(8), expected.substr(8) + std::string(4, '\0')}) {
    Handle in = HandleOf(bytes);
    UserData back = nullptr;
    ASSERT_EQ(NewUserDataFromHandle(in, &back), noErr);
    DisposeHandle(in);
    Handle again = NewHandle(0);
    ASSERT_EQ(PutUserDataIntoHandle(back, again), noErr);
    EXPECT_EQ(BytesOf(again), expected);
    DisposeHandle(again);
    DisposeUserData(back);
  }
  DisposeHandle(out);
}

TEST_F(QuickTimeUserDataTest, CallsRefuseBadUserData) {
  UserData gone = nullptr;
  ASSERT_EQ(NewUserData(&gone), noErr);
  ASSERT_EQ(DisposeUserData(gone), noErr);
  Handle h = NewHandle(0);
  EXPECT_EQ(DisposeUserData(gone), paramErr);
  EXPECT_EQ(GetUserData(gone, h, kName, 1), paramErr);
  EXPECT_EQ(AddUserData(nullptr, h, kName), paramErr);
  EXPECT_EQ(CountUserDataType(gone, kName), 0);
  EXPECT_EQ(NewUserData(nullptr), paramErr);
  DisposeHandle(h);

  // A movie's own user data goes with the movie only.
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 1, 8000, 10));
  UserData own = GetMovieUserData(Open("a.aif"));
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(GetNextUserDataType(own, 0), 0u);
  EXPECT_EQ(DisposeUserData(own), paramErr);
}

// The movie's user data as its 'udta' atom holds it: '©nam' in English and in Japanese, and
// a raw item, read by our own walker from a movie made by another tool.
TEST_F(QuickTimeUserDataTest, MovieUserDataIsReadFromTheFile) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path("plain.mov"), "pcm_s16be", 44100, 1, 0.2,
                                             {"-map_metadata", "-1"}));
  std::string bytes = ReadFile("plain.mov");
  // Appends a 'udta' atom to the movie atom, which ffmpeg writes last.
  std::size_t pos = 0, moov = std::string::npos;
  while (pos + 8 <= bytes.size()) {
    const UInt32 size = sp::LoadBE32(bytes.data() + pos);
    if (bytes.compare(pos + 4, 4, "moov") == 0) moov = pos;
    if (size < 8) break;
    pos += size;
  }
  ASSERT_NE(moov, std::string::npos);
  ASSERT_EQ(moov + sp::LoadBE32(bytes.data() + moov), bytes.size());
  const std::string udta =
      Atom("udta", Atom("\xA9nam", Entry(0, "Hello") + Entry(11, kNihon)) +
                       Atom("trkn", std::string("\x00\x03\x00\x0C", 4)) + std::string(4, '\0'));
  bytes += udta;
  sp::StoreBE32(&bytes[moov], UInt32(bytes.size() - moov));
  WriteFile("titled.mov", bytes);

  Movie movie = Open("titled.mov");
  ASSERT_NE(movie, nullptr);
  UserData ud = GetMovieUserData(movie);
  ASSERT_NE(ud, nullptr);
  EXPECT_EQ(GetNextUserDataType(ud, 0), kName);
  EXPECT_EQ(GetNextUserDataType(ud, kName), kUserDataTrackNumber);
  OSErr err = noErr;
  EXPECT_EQ(GetText(ud, kName, 1, langEnglish, &err), "Hello");
  EXPECT_EQ(GetText(ud, kName, 1, langJapanese, &err), kNihon);
  EXPECT_EQ(GetItem(ud, kUserDataTrackNumber, 1, &err), std::string("\x00\x03\x00\x0C", 4));
  // The sound is unaffected.
  EXPECT_EQ(GetMediaSampleCount(SoundMedia(movie)), 8820);
}

// The MPEG-4 metadata item stays whole: the program reads its 'ilst' itself.
TEST_F(QuickTimeUserDataTest, MetaItemOfAnM4AKeepsItsBytes) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(
      sp_testing::MakeToneWithFfmpeg(Path("t.m4a"), "aac", 44100, 2, 0.3,
                                     {"-metadata", "title=Hello", "-metadata", "track=3/12"}));
  UserData ud = GetMovieUserData(Open("t.m4a"));
  ASSERT_EQ(CountUserDataType(ud, kUserDataMetaItem), 1);
  OSErr err = noErr;
  const std::string meta = GetItem(ud, kUserDataMetaItem, 1, &err);
  ASSERT_EQ(err, noErr);
  ASSERT_GE(meta.size(), 12u);
  EXPECT_EQ(meta.substr(0, 4), std::string(4, '\0'));  // version and flags

  namespace qt = sp_platform::quicktime;
  const auto* p = reinterpret_cast<const UInt8*>(meta.data());
  std::vector<qt::Atom> atoms;
  ASSERT_TRUE(qt::ListAtoms(p, 4, meta.size(), atoms));
  const qt::Atom* ilst = qt::FindAtom(atoms, SpFourCC("ilst"));
  ASSERT_NE(ilst, nullptr);
  std::vector<qt::Atom> tags;
  ASSERT_TRUE(qt::ListAtoms(p, ilst->dataStart, ilst->dataStart + ilst->dataSize, tags));
  auto value = [&](OSType type, UInt32* dataType) {
    const qt::Atom* tag = qt::FindAtom(tags, type);
    if (tag == nullptr) return std::string("missing");
    std::vector<qt::Atom> data;
    qt::ListAtoms(p, tag->dataStart, tag->dataStart + tag->dataSize, data);
    if (data.empty() || data[0].type != SpFourCC("data") || data[0].dataSize < 8)
      return std::string("bad");
    *dataType = sp::LoadBE32(p + data[0].dataStart);
    return std::string(reinterpret_cast<const char*>(p + data[0].dataStart + 8),
                       data[0].dataSize - 8);
  };
  UInt32 type = 99;
  EXPECT_EQ(value(kName, &type), "Hello");
  EXPECT_EQ(type, 1u);  // UTF-8 text
  EXPECT_EQ(value(kUserDataTrackNumber, &type), std::string("\x00\x00\x00\x03\x00\x0C\x00\x00", 8));
  EXPECT_EQ(type, 0u);
}

// Random, truncated and lying atoms: the walker keeps to the bytes it was given (the
// sanitizers watch every read), stops at the first atom that does not fit, and never loops.
TEST_F(QuickTimeUserDataTest, DamagedAtomsNeverReadOutsideTheirBytes) {
  namespace qt = sp_platform::quicktime;
  std::mt19937 random(20240607);
  const char* kTypes[] = {"moov", "udta",    "trak", "mdia", "minf", "stbl", "stsd",
                          "mvhd", "\xA9nam", "meta", "sinf", "enca", "trkn", "wave"};
  auto randomAtoms = [&](int depth, auto& self) -> std::string {
    std::string out;
    const int n = int(random() % 4);
    for (int i = 0; i < n; ++i) {
      std::string contents;
      if (depth < 4 && random() % 2 == 0) {
        contents = self(depth + 1, self);
      } else {
        contents.resize(random() % 40);
        for (char& c : contents) c = char(random());
      }
      std::string atom = Atom(kTypes[random() % 14], contents);
      // Sometimes the size lies: 0, 1 (64-bit size follows), too small or too large.
      switch (random() % 8) {
        case 0:
          sp::StoreBE32(&atom[0], UInt32(random() % 16));
          break;
        case 1:
          sp::StoreBE32(&atom[0], UInt32(atom.size() + 1 + random() % 1000));
          break;
        case 2:
          sp::StoreBE32(&atom[0], 0xFFFFFFFFu);
          break;
        default:
          break;
      }
      out += atom;
    }
    return out;
  };
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = randomAtoms(0, randomAtoms);
    if (round % 3 == 0 && !bytes.empty()) bytes.resize(random() % bytes.size());
    if (round % 7 == 0) {
      bytes.resize(random() % 200);
      for (char& c : bytes) c = char(random());
    }
    const auto* p = reinterpret_cast<const UInt8*>(bytes.data());
    qt::MovieAtomInfo info;
    qt::ReadMovieAtom(p, bytes.size(), info);
    for (const auto& item : info.userData) {
      std::vector<qt::TextEntry> entries;
      qt::ParseTextEntries(item.second, entries);
    }
    Handle h = HandleOf(bytes);
    UserData ud = nullptr;
    ASSERT_EQ(NewUserDataFromHandle(h, &ud), noErr);
    for (OSType t = GetNextUserDataType(ud, 0); t != 0; t = GetNextUserDataType(ud, t)) {
      Handle text = NewHandle(0);
      GetUserDataText(ud, text, t, 1, langEnglish);
      DisposeHandle(text);
    }
    DisposeUserData(ud);
    DisposeHandle(h);
  }
}

// Damaged movie files: cut at many lengths or with bytes changed, each either opens or is
// refused, and what opens can be read to its end.
TEST_F(QuickTimeUserDataTest, DamagedMovieFilesOpenOrFailCleanly) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path("t.m4a"), "aac", 22050, 1, 0.3,
                                             {"-metadata", "title=Hello"}));
  const std::string good = ReadFile("t.m4a");
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    std::string bytes = good;
    if (round % 2 == 0) {
      bytes.resize(random() % bytes.size());
    } else {
      for (int i = 0; i < 20; ++i) bytes[random() % bytes.size()] = char(random());
    }
    WriteFile("bad.m4a", bytes);
    FSSpec spec = Spec("bad.m4a");
    SInt16 ref = 0;
    ASSERT_EQ(OpenMovieFile(&spec, &ref, fsRdPerm), noErr);
    Movie movie = nullptr;
    const OSErr err = NewMovieFromFile(&movie, ref, nullptr, nullptr, 0, nullptr);
    CloseMovieFile(ref);
    if (err != noErr) {
      EXPECT_EQ(movie, nullptr);
      continue;
    }
    Media media = SoundMedia(movie);
    if (media != nullptr) {
      Describe(media);
      Handle h = NewHandle(0);
      TimeValue t = 0;
      for (int guard = 0; guard < 10000; ++guard) {
        SInt32 n = 0;
        TimeValue st = 0, dps = 0;
        if (GetMediaSample(media, h, 1 << 20, nullptr, t, &st, &dps, nullptr, nullptr, 0, &n,
                           nullptr) != noErr)
          break;
        ASSERT_GT(dps * n, 0);
        t = st + dps * n;
      }
      DisposeHandle(h);
    }
    DisposeMovie(movie);
  }
}

}  // namespace
}  // namespace quicktime_test
