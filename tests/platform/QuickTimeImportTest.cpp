// Files as movies: which files open, which importer media type they give, aliases, and
// protected files.

#include <fstream>
#include <functional>

#include "ByteOrder.h"
#include "QuickTimeFixture.h"

namespace quicktime_test {
namespace {

class QuickTimeImportTest : public QuickTimeTest {
 protected:
  // The importer's media type for a file, as the sound-file check asks it: 0 when there is
  // no importer.
  OSType ImporterMediaType(const std::string& name, OSErr* err) {
    FSSpec spec = Spec(name);
    AliasHandle alias = nullptr;
    EXPECT_EQ(NewAlias(nullptr, &spec, &alias), noErr);
    Component importer = nullptr;
    *err = GetMovieImporterForDataRef(rAliasType, reinterpret_cast<Handle>(alias), 0, &importer);
    DisposeHandle(reinterpret_cast<Handle>(alias));
    if (*err != noErr) return 0;
    ComponentDescription cd{};
    EXPECT_EQ(GetComponentInfo(importer, &cd, nullptr, nullptr, nullptr), noErr);
    OSType viaInstance = 0;
    ComponentInstance ci = OpenComponent(importer);
    EXPECT_EQ(MovieImportGetDestinationMediaType(ci, &viaInstance), noErr);
    EXPECT_EQ(CloseComponent(ci), noErr);
    EXPECT_TRUE(cd.componentType == MovieImportType && viaInstance == cd.componentManufacturer);
    return cd.componentManufacturer;
  }
};

using Maker = std::function<bool(const std::string& path)>;

Maker Ffmpeg(std::vector<std::string> args) {
  return [args](const std::string& p) mutable {
    args.push_back(p);
    return sp_testing::RunFfmpeg(args, p);
  };
}
Maker Tone(const char* codec) {
  return [codec](const std::string& p) {
    return sp_testing::MakeToneWithFfmpeg(p, codec, 44100, 2, 0.5);
  };
}
Maker Bytes(const std::string& bytes) {
  return [bytes](const std::string& p) {
    std::ofstream(p, std::ios::binary) << bytes;
    return true;
  };
}

// A sound file must be told from a movie without sound, a text, an empty or a damaged file,
// and a still picture (which opens as a movie only when graphics importers are not preferred).
TEST_F(QuickTimeImportTest, SoundFilesAreToldFromOtherFiles) {
  const Maker aiff = [](const std::string& p) {
    return sp_testing::WriteTestAiff(p, 2, 44100, 441);
  };
  const Maker wave = [](const std::string& p) {
    return sp_testing::WriteTestWave(p, 1, 8000, 800);
  };
  const struct {
    const char* name;
    Maker make;
    bool opensAsMovie, graphics;
    OSType importerMediaType;  // 0: no importer
  } cases[] = {
      {"a.aif", aiff, true, false, SoundMediaType},
      {"a.wav", wave, true, false, SoundMediaType},
      {"a.mp3", Tone("libmp3lame"), true, false, SoundMediaType},
      {"a.m4a", Tone("aac"), true, false, SoundMediaType},
      {"video.mov",
       Ffmpeg({"-f", "lavfi", "-i", "testsrc=size=32x32:rate=5:duration=1", "-c:v", "mjpeg"}), true,
       false, VideoMediaType},
      {"notes.txt", Bytes("Shopping list:\n- milk\n"), false, false, 0},
      {"empty.wav", Bytes(""), false, false, 0},
      {"cut.wav", Bytes(std::string("RIFF\x24\x08\0\0WAVEfmt \x10\0\0\0", 20)), false, false, 0},
      {"image.png",
       Ffmpeg({"-f", "lavfi", "-i", "color=c=red:size=8x8", "-frames:v", "1", "-c:v", "png", "-f",
               "image2"}),
       false, true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.make(Path(c.name))) {
      ASSERT_FALSE(sp_testing::FfmpegAvailable());
      continue;
    }
    FSSpec spec = Spec(c.name);
    Boolean graphics = 2, movie = 2, prefer = 2;
    ASSERT_EQ(CanQuickTimeOpenFile(&spec, 0, 0, &graphics, &movie, &prefer,
                                   kQTDontLookForMovieImporterIfGraphicsImporterFound),
              noErr);
    EXPECT_EQ(std::vector<bool>({bool(movie), bool(graphics)}),
              std::vector<bool>({c.opensAsMovie, c.graphics}));
    ASSERT_EQ(CanQuickTimeOpenFile(&spec, 0, 0, &graphics, &movie, &prefer, 0), noErr);
    EXPECT_EQ(std::vector<bool>({bool(movie), bool(prefer) || !c.graphics}),
              std::vector<bool>({c.opensAsMovie || c.graphics, true}));
    OSErr err = noErr;
    EXPECT_EQ(ImporterMediaType(c.name, &err), c.importerMediaType);
    EXPECT_EQ(err, c.importerMediaType == 0 ? OSErr(cantFindHandler) : OSErr(noErr));
  }
}

// A handle whose recorded size disagrees with its size is no alias of ours.
TEST_F(QuickTimeImportTest, AliasesOfMissingFilesOrDamagedAliasesAreRefused) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Path("a.aif"), 1, 8000, 800));
  FSSpec spec = Spec("a.aif");
  AliasHandle alias = nullptr;
  ASSERT_EQ(NewAlias(nullptr, &spec, &alias), noErr);
  Handle h = reinterpret_cast<Handle>(alias);
  EXPECT_EQ((**alias).aliasSize, GetHandleSize(h));
  SetHandleSize(h, GetHandleSize(h) - 3);
  Component importer = nullptr;
  EXPECT_EQ(GetMovieImporterForDataRef(rAliasType, h, 0, &importer), invalidDataRef);
  DisposeHandle(h);
  std::remove(Path("a.aif").c_str());
  FSSpec gone = Spec("a.aif");
  EXPECT_EQ(NewAlias(nullptr, &gone, &alias), fnfErr);
  Boolean movie = 1;
  EXPECT_EQ(CanQuickTimeOpenFile(&gone, 0, 0, nullptr, &movie, nullptr, 0), fnfErr);
  EXPECT_FALSE(movie);
  EXPECT_EQ(CanQuickTimeOpenFile(nullptr, 0, 0, nullptr, nullptr, nullptr, 0), paramErr);
  EXPECT_EQ(GetMovieImporterForDataRef(rAliasType, nullptr, 0, nullptr), paramErr);
  EXPECT_EQ(GetComponentInfo(nullptr, nullptr, nullptr, nullptr, nullptr), invalidComponentID);
  EXPECT_TRUE(OpenComponent(nullptr) == nullptr && CloseComponent(nullptr) == badComponentInstance);
}

// A protected sample entry ('enca' in place of 'mp4a') must be reported, so the program tells
// the user instead of failing to decode.
TEST_F(QuickTimeImportTest, ProtectedSampleEntriesAreReported) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(sp_testing::MakeToneWithFfmpeg(Path("plain.m4a"), "aac", 44100, 2, 0.5));
  std::string bytes = ReadFile("plain.m4a");
  const std::size_t entry = bytes.find("mp4a", bytes.find("stsd"));
  ASSERT_NE(entry, std::string::npos);
  WriteFile("locked.m4a", bytes.replace(entry, 4, "enca"));
  for (const char* name : {"plain.m4a", "locked.m4a"}) {
    SCOPED_TRACE(name);
    Movie movie = Open(name);
    if (movie == nullptr) continue;
    Boolean isProtected = 2;
    ByteCount used = 0;
    ASSERT_EQ(QTGetMovieProperty(movie, kQTPropertyClass_DRM, kQTDRMPropertyID_IsProtected,
                                 sizeof(isProtected), &isProtected, &used),
              noErr);
    EXPECT_TRUE(used == sizeof(Boolean) &&
                bool(isProtected) == (std::string(name) == "locked.m4a"));
    EXPECT_EQ(
        QTGetMovieProperty(movie, kQTPropertyClass_DRM, SpFourCC("xxxx"), 1, &isProtected, nullptr),
        kQTPropertyNotSupportedErr);
    EXPECT_EQ(QTGetMovieProperty(movie, kQTPropertyClass_DRM, kQTDRMPropertyID_IsProtected, 0,
                                 &isProtected, nullptr),
              kQTPropertyBadValueSizeErr);
  }
}

}  // namespace
}  // namespace quicktime_test
