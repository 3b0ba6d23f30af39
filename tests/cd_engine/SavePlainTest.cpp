// Saving into plain files: WAVE and AIFF of the sources' samples in the right byte order, their
// headers and tags, and every way a save can go wrong leaving the folder as it was.
#include <sys/resource.h>

#include <csignal>
#include <functional>

#include "ByteOrder.h"
#include "SaveFixture.h"
#include "SpQTMusicInfo.h"
#include "SpTesting.h"

namespace engine_test {
namespace {

// The sound data of a test AIFF file (after its 54-byte header).
std::string SoundOf(const std::string& path) {
  return ReadAll(path).substr(54);
}

std::string Swapped(std::string bytes) {
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
  return bytes;
}

// A WAVE save at normal speed is the sources' samples, little-endian, one after the other,
// behind a 44-byte header whose sizes count them.
TEST_F(SaveTest, WaveSavesTheSourcesSamplesLittleEndianBehindItsHeader) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("a.aiff"), 2, 44100, 44100 * 3 + 7));
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("b.aiff"), 2, 44100, 5000));
  cSp_CDRProgramBaseObj* p = SaveProgram({"a.aiff", "b.aiff"});
  ASSERT_EQ(SavePlain(p, "out.wav", kSpCDRISoundFileTypeWAVE), 0);
  const std::string expected = Swapped(SoundOf(Doc("a.aiff")) + SoundOf(Doc("b.aiff")));
  const std::string file = ReadAll(Doc("out.wav"));
  ASSERT_EQ(file.size(), 44 + expected.size());
  EXPECT_TRUE(file.substr(44) == expected) << "samples";
  EXPECT_EQ(file.substr(0, 4), "RIFF");
  EXPECT_EQ(sp::LoadLE32(file.data() + 4), 36 + expected.size());
  EXPECT_EQ(file.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(sp::LoadLE32(file.data() + 16), 16u);
  EXPECT_EQ(sp::LoadLE16(file.data() + 20), 1);
  EXPECT_EQ(sp::LoadLE16(file.data() + 22), 2);
  EXPECT_EQ(sp::LoadLE32(file.data() + 24), 44100u);
  EXPECT_EQ(sp::LoadLE32(file.data() + 28), 176400u);
  EXPECT_EQ(sp::LoadLE16(file.data() + 32), 4);
  EXPECT_EQ(sp::LoadLE16(file.data() + 34), 16);
  EXPECT_EQ(file.substr(36, 4), "data");
  EXPECT_EQ(sp::LoadLE32(file.data() + 40), expected.size());
  ExpectFolderHolds({"a.aiff", "b.aiff", "out.wav"});
}

// In buffers of two seconds, the least a save runs with, the ring's two buffers are filled and
// written over again and again, an item ends inside a buffer and the last buffer is only
// partly filled: the file still holds the sources' samples and nothing else, in either order.
TEST_F(SaveTest, BuffersFilledOverAndOverStillSaveExactlyTheSourcesSamples) {
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("a.aiff"), 2, 44100, 44100 * 5 + 7));
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("b.aiff"), 2, 44100, 44100 + 3001));
  cSp_CDRProgramBaseObj* p = SaveProgram({"a.aiff", "b.aiff"});
  const std::string sound = SoundOf(Doc("a.aiff")) + SoundOf(Doc("b.aiff"));
  const struct {
    tCDRISoundFileType type;
    const char* name;
    std::size_t header;
    std::string samples;
  } cases[] = {{kSpCDRISoundFileTypeWAVE, "out.wav", 44, Swapped(sound)},
               {kSpCDRISoundFileTypeAIFF, "out.aiff", 54, sound}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sp_testing::LimitAllocationSize(1764000 + 8);
    const int stopped = SavePlain(p, c.name, c.type);
    sp_testing::LimitAllocationSize(0);
    ASSERT_EQ(stopped, 0);
    EXPECT_EQ(p->GetSaveTarget().saveBufferSize, 150u * 2352u) << "two seconds a buffer";
    const std::string file = ReadAll(Doc(c.name));
    ASSERT_EQ(file.size(), c.header + c.samples.size());
    EXPECT_TRUE(file.substr(c.header) == c.samples);
  }
}

// The channels asked of a plain save: none keeps the sources' own, one makes mono, two makes
// stereo of a mono source too, its one channel in both. ffprobe reads the same count.
TEST_F(SaveTest, PlainSavesHaveTheChannelsAskedFor) {
  const UInt32 frames = 4410;
  WriteAiff(Doc("mono.aiff"), 1, std::vector<SInt16>(frames, 1000));
  WriteAiff(Doc("stereo.aiff"), 2, std::vector<SInt16>(frames * 2, -2000));
  const struct {
    const char* source;
    short asked;
    UInt16 channels;
    SInt16 level;
  } cases[] = {{"mono.aiff", 0, 1, 1000},    {"mono.aiff", 1, 1, 1000},
               {"mono.aiff", 2, 2, 1000},    {"stereo.aiff", 0, 2, -2000},
               {"stereo.aiff", 1, 1, -2000}, {"stereo.aiff", 2, 2, -2000}};
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.source) + " asked " + std::to_string(c.asked));
    const std::string name = "ch" + std::to_string(n++) + ".wav";
    cSp_CDRProgramBaseObj* p = SaveProgram({c.source});
    ASSERT_EQ(SavePlain(p, name, kSpCDRISoundFileTypeWAVE, 1.0f, c.asked), 0);
    const std::string file = ReadAll(Doc(name));
    ASSERT_EQ(file.size(), 44u + frames * 2u * c.channels);
    EXPECT_EQ(sp::LoadLE16(file.data() + 22), c.channels);
    EXPECT_EQ(sp::LoadLE16(file.data() + 32), 2 * c.channels) << "block align";
    const std::vector<SInt16> out = LittleEndianSamples(file.substr(44));
    EXPECT_EQ(std::count(out.begin(), out.end(), c.level), std::ptrdiff_t(out.size()));
    if (HaveTool("ffprobe")) {
      EXPECT_EQ(ProbeEntry(Doc(name), "stream=channels"), std::to_string(c.channels));
    }
    manager_->DisposeProgramBase(p);
  }
}

// A level two sources hold throughout, in every sample of a save of both at the speed: the
// overlap keeps a steady level (within the rounding of its cross-fade) and makes it up above
// double speed, and the second source goes on where the first ends, without fading in from
// silence; the length shrinks by the hop over the window.
TEST_F(SaveTest, SpeedsKeepASteadyLevelAndShortenByTheHop) {
  const UInt32 frames = 44100 * 4;
  WriteAiff(Doc("dc.aiff"), 2, std::vector<SInt16>(frames * 2, 10000));
  const struct {
    float speed;
    double lengthRatio;
    float gain;
  } cases[] = {
      {1.0f, 1.0, 1.0f},
      {1.01f, 4068.0 / 4116.0, 1.0f},  // the overlap, without make-up gain
      {2.0f, 2054.0 / 4116.0, 1.0f},
      {2.5f, 1643.0 / 4116.0, 1.3216875f},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.speed);
    const std::string name = "dc" + std::to_string(n++) + ".wav";
    cSp_CDRProgramBaseObj* p = SaveProgram({"dc.aiff", "dc.aiff"});
    ASSERT_EQ(SavePlain(p, name, kSpCDRISoundFileTypeWAVE, c.speed), 0);
    const std::vector<SInt16> out = LittleEndianSamples(ReadAll(Doc(name)).substr(44));
    EXPECT_NEAR(double(out.size() / 2), 2 * frames * c.lengthRatio, 4116.0 * 2);
    const SInt32 level = SInt32(10000.0f * c.gain);
    int off = 0;
    for (SInt16 v : out) off += std::abs(SInt32(v) - level) > 1 ? 1 : 0;
    EXPECT_EQ(off, 0) << "samples away from " << level;
    manager_->DisposeProgramBase(p);
  }
}

// The same source saved as WAVE and as AIFF at normal and double speed: the WAVE samples are
// the AIFF samples with their bytes swapped.
TEST_F(SaveTest, WaveGetsLittleEndianAndAiffBigEndianAtBothSpeeds) {
  SKIP_WITHOUT_FFMPEG_TOOL();
  ASSERT_TRUE(MakeTone(Doc("tone.aiff"), "2", "-c:a pcm_s16be"));
  for (float speed : {1.0f, 2.0f}) {
    SCOPED_TRACE(speed);
    cSp_CDRProgramBaseObj* p = SaveProgram({"tone.aiff"});
    ASSERT_EQ(SavePlain(p, "t.wav", kSpCDRISoundFileTypeWAVE, speed), 0);
    ASSERT_EQ(SavePlain(p, "t.aiff", kSpCDRISoundFileTypeAIFF, speed), 0);
    const std::string wave = ReadAll(Doc("t.wav")).substr(44);
    const std::string aiff = ReadAll(Doc("t.aiff")).substr(54);
    ASSERT_GT(wave.size(), 44100u);
    EXPECT_TRUE(wave == Swapped(aiff));
    if (speed == 1.0f) {
      EXPECT_TRUE(aiff == SoundOf(Doc("tone.aiff")));
    }
    manager_->DisposeProgramBase(p);
  }
}

// A tone saved at double speed keeps its pitch: as many zero crossings a second as the source.
TEST_F(SaveTest, DoubleSpeedKeepsThePitch) {
  SKIP_WITHOUT_FFMPEG_TOOL();
  ASSERT_TRUE(MakeTone(Doc("tone.aiff"), "4", "-c:a pcm_s16be"));
  cSp_CDRProgramBaseObj* p = SaveProgram({"tone.aiff"});
  ASSERT_EQ(SavePlain(p, "fast.wav", kSpCDRISoundFileTypeWAVE, 2.0f), 0);
  const std::vector<SInt16> out = LittleEndianSamples(ReadAll(Doc("fast.wav")).substr(44));
  int crossings = 0;
  for (std::size_t i = 2; i < out.size(); i += 2) crossings += (out[i - 2] < 0) != (out[i] < 0);
  const double seconds = double(out.size() / 2) / 44100.0;
  EXPECT_NEAR(seconds, 2.0, 0.05);
  // 440 Hz crosses zero 880 times a second; the seams of the windows move a few crossings,
  // while a speed-up that raised the pitch would double them.
  EXPECT_NEAR(crossings / seconds, 880.0, 44.0);
}

// The save buffers hold whole seconds of CD audio from a quarter of 80 % of the free memory:
// less than two seconds' worth is too little to save, more than ten is held to ten.
TEST(SaveBuffers, TheirSizeFollowsTheFreeMemoryInWholeSeconds) {
  const struct {
    UInt32 maxBlock;
    UInt32 sectors;
  } cases[] = {
      {1764000 - 8, 75},  // just short of two seconds
      {1764000 + 8, 150}, {8820000 - 8, 675},
      {8820000 + 8, 750}, {0, 750},  // no limit: the platform's 16 MiB would make 19 seconds
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.maxBlock);
    sp_testing::LimitAllocationSize(c.maxBlock);
    UInt32 sectors = 0;
    const UInt32 bytes = SpCDR_SaveBufferBytes(&sectors);
    sp_testing::LimitAllocationSize(0);
    EXPECT_EQ(sectors, c.sectors);
    EXPECT_EQ(bytes, c.sectors < 150 ? 0u : c.sectors * 2352u);
  }
}

// The cross-fade of a multi-speed save lasts half of 4,704 bytes' worth of frames, and never
// longer than two windows overlap: 1,176 frames in stereo and 2,062 in mono at double speed,
// 48 frames just above normal speed.
TEST_F(SaveTest, TheCrossFadeLastsWhileTwoWindowsOverlap) {
  // Longer than a save buffer takes at the speed, so that the save is still running after
  // its first fill.
  WriteAiff(Doc("st.aiff"), 2, std::vector<SInt16>(44100 * 30 * 2, 100));
  WriteAiff(Doc("mo.aiff"), 1, std::vector<SInt16>(44100 * 60, 100));
  const struct {
    const char* source;
    float speed;
    float frames;
  } cases[] = {{"st.aiff", 2.0f, 1176}, {"mo.aiff", 2.0f, 2062}, {"st.aiff", 1.01f, 48}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source + std::to_string(c.speed));
    cSp_CDRProgramBaseObj* p = SaveProgram({c.source});
    ASSERT_TRUE(p->SaveTargetProgItem(-1, &folder_, "fade.aiff", 1, SpFourCC("TVOD"),
                                      kSpCDRISoundFileTypeAIFF, c.speed, 0, nullptr, 0));
    p->StartSaveAndPlayEventLoop();
    SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
    // The first fill sets the fade step (until then it is 0.1, or nothing).
    ASSERT_TRUE(sp_testing::PumpUntil([p] {
      const sSpSaveBufferSetBase* set = p->GetSaveBufferSet();
      return !SaveEnds().empty() ||
             (set != nullptr && set->fadeStep > 0.0f && set->fadeStep < 0.09f);
    }));
    ASSERT_TRUE(SaveEnds().empty()) << "the save ended before it was looked at";
    EXPECT_NEAR(1.0f / p->GetSaveBufferSet()->fadeStep, c.frames, 0.01f);
    p->StopSaveProgram();
    ASSERT_TRUE(sp_testing::PumpUntil([] { return !SaveEnds().empty(); }));
    SpCDRI_DisablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
    SaveEnds().clear();
    manager_->DisposeProgramBase(p);
  }
}

// The sample helpers: products in single floats, truncated toward zero and held in 16 bits,
// big- or little-endian.
TEST(SaveSamples, AmplifiedSamplesAreTruncatedAndClampedTo16Bits) {
  const struct {
    SInt16 in;
    float factor;
    SInt16 out;
  } cases[] = {
      {1000, 1.3216875f, 1321},
      {-1000, 1.3216875f, -1321},
      {30000, 1.5f, 32767},
      {-30000, 1.5f, -32768},
      {32767, 1.0f, 32767},
      {-32768, 1.0f, -32768},
      {3, 0.5f, 1},
      {-3, 0.5f, -1},
  };
  for (const auto& c : cases) {
    UInt8 be[2], le[2];
    sp::StoreBE16(be, UInt16(c.in));
    sp::StoreBE16(le, UInt16(c.in));
    SpCDRBufferSoundAddAmpValue(reinterpret_cast<char*>(be), 2, c.factor);
    char* end = SpCDRBufferSoundAddAmpValueAndChangeToLittleEndian(reinterpret_cast<char*>(le), 2,
                                                                   c.factor);
    EXPECT_EQ(SInt16(sp::LoadBE16(be)), c.out) << c.in << " x " << c.factor;
    EXPECT_EQ(SInt16(sp::LoadLE16(le)), c.out) << c.in << " x " << c.factor;
    EXPECT_EQ(end, reinterpret_cast<char*>(le) + 2);
  }
  UInt8 bytes[4] = {1, 2, 3, 4};
  SpCDRBufferSoundChangeToLittleEndian(reinterpret_cast<char*>(bytes), 4);
  EXPECT_EQ(std::vector<UInt8>(bytes, bytes + 4), (std::vector<UInt8>{2, 1, 4, 3}));
  SpCDRBufferSoundChangeToLittleEndian(reinterpret_cast<char*>(bytes), 0);
  EXPECT_EQ(bytes[0], 2) << "nothing for no bytes";
}

// Laying a window: the samples fade from what is there to the source by the fade step each
// frame, clamped, and a window reaching the fill buffer's end goes on in the next buffer.
TEST_F(SaveTest, AWindowFadesInFrameByFrameAndRunsOnIntoTheNextBuffer) {
  cSp_CDRProgramBaseObj* p = manager_->NewProgramBase();
  sSpSaveBufferSetBase set{};
  set.fadeStep = 0.25f;
  p->SetupSaveBufferSet(&set);
  std::vector<UInt8> a(8), b(8), source(16);
  sSpSaveSaveSoundBuffer fill{}, next{};
  fill.size = 8;
  fill.data = a.data();
  next.size = 8;
  next.data = b.data();
  const SInt16 there[] = {1000, 1000, 32767, 32767};
  for (int i = 0; i < 4; ++i) sp::StoreBE16(&a[2 * i], UInt16(there[i]));
  const SInt16 coming[] = {2000, 2000, 32767, 32767, 7, 7, 9, 9};
  for (int i = 0; i < 8; ++i) sp::StoreBE16(&source[2 * i], UInt16(coming[i]));
  sSpSaveLoadSoundBuffer load{};
  load.data = load.samples = source.data();
  load.validBytes = 16;
  float weight = 0.0f;
  long position = 0;
  unsigned long end = 16;
  SpCDRSaveQTFullTrack_SetupDataMemoryTwoChannel(p, &fill, &next, weight, &load, position, end);
  EXPECT_EQ(SInt16(sp::LoadBE16(&a[0])), 1000) << "weight 0 keeps what is there";
  EXPECT_EQ(SInt16(sp::LoadBE16(&a[2])), 1000);
  EXPECT_EQ(SInt16(sp::LoadBE16(&a[4])), 32767) << "held in 16 bits";
  EXPECT_EQ(SInt16(sp::LoadBE16(&b[0])), 3) << "half of 7 over silence, truncated";
  EXPECT_EQ(SInt16(sp::LoadBE16(&b[4])), 6) << "three quarters of 9";
  EXPECT_FLOAT_EQ(weight, 1.0f);
  EXPECT_EQ(position, 16) << "positions stay relative to the fill buffer";
  EXPECT_EQ(load.consumed, 16u);
  EXPECT_EQ(fill.used, 8);
  EXPECT_EQ(next.used, 8);
  EXPECT_EQ(next.stamped, 1);
  p->SetupSaveBufferSet(nullptr);
}

// The WAVE, AIFF and AIFF-C headers byte for byte; an AIFF-C compression name of even length
// takes a pad byte, which the COMM size counts.
TEST_F(SaveTest, HeadersAreWrittenByteForByte) {
  const std::string path = Doc("h");
  auto write = [&](const std::function<OSErr(short)>& header) {
    cdtest::WriteFile(path, "");
    SInt16 ref = 0;
    const std::string pname = "\x01h";
    EXPECT_EQ(HOpenDF(vRefNum_, dirID_, reinterpret_cast<ConstStr255Param>(pname.data()),
                      fsRdWrPerm, &ref),
              noErr);
    EXPECT_EQ(header(ref), noErr);
    FSClose(ref);
    return ReadAll(path);
  };
  const std::string wave =
      write([](short ref) { return Sp_SetupWAVEHeader(ref, 1, 44100, 16, 88200, 1000, nullptr); });
  EXPECT_EQ(wave, std::string("RIFF\x0C\x04\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x44\xAC\0\0"
                              "\x88\x58\x01\0\x02\0\x10\0data\xE8\x03\0\0",
                              44));
  // Stereo: the block alignment counts both channels' bytes of a frame.
  const std::string stereo =
      write([](short ref) { return Sp_SetupWAVEHeader(ref, 2, 44100, 16, 176400, 1000, nullptr); });
  EXPECT_EQ(stereo, std::string("RIFF\x0C\x04\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0\x44\xAC\0\0"
                                "\x10\xB1\x02\0\x04\0\x10\0data\xE8\x03\0\0",
                                44));
  const std::string aiff = write([](short ref) {
    return SetupAIFFHeader(ref, 2, 0xAC440000, 16, SpFourCC("NONE"), 1000, 250);
  });
  EXPECT_EQ(aiff, std::string("FORM\0\0\x04\x16"
                              "AIFFCOMM\0\0\0\x12\0\x02\0\0\0\xFA\0\x10"
                              "\x40\x0E\xAC\x44\0\0\0\0\0\0SSND\0\0\x03\xF0\0\0\0\0\0\0\0\0",
                              54));
  const struct {
    OSType type;
    UInt32 comm;
    std::size_t header;
  } cases[] = {
      {SpFourCC("ima4"), 30, 78},  // "IMA 4:1": seven letters, no pad
      {SpFourCC("ac-3"), 28, 76},  // "AC-3": four letters and a pad byte
      {SpFourCC("Qclp"), 28, 76},  // "QCELP": five letters, no pad
  };
  for (const auto& c : cases) {
    const std::string h = write([&c](short ref) {
      return SpCDR_SetupAIFFC_Header(ref, 2, 0xAC440000, 16, c.type, 5000, 1000);
    });
    ASSERT_EQ(h.size(), c.header);
    EXPECT_EQ(h.substr(0, 4) + h.substr(8, 8), "FORMAIFCFVER");
    EXPECT_EQ(sp::LoadBE32(h.data() + 4), c.header - 8 + 5000) << "FORM size";
    EXPECT_EQ(sp::LoadBE32(h.data() + 20), 0xA2805140u);
    EXPECT_EQ(sp::LoadBE32(h.data() + 28), c.comm);
    EXPECT_EQ(h.substr(40, 10), std::string("\x40\x0E\xAC\x44\0\0\0\0\0\0", 10));
    EXPECT_EQ(sp::LoadBE32(h.data() + 50), c.type);
    EXPECT_EQ(h.substr(c.header - 16, 4), "SSND");
    EXPECT_EQ(sp::LoadBE32(h.data() + c.header - 12), 5008u);
  }
}

// A header that cannot be written says so (a file open only for reading).
TEST_F(SaveTest, HeaderWritesThatFailReturnTheirError) {
  cdtest::WriteFile(Doc("h"), "");
  SInt16 ref = 0;
  const std::string pname = "\x01h";
  ASSERT_EQ(
      HOpenDF(vRefNum_, dirID_, reinterpret_cast<ConstStr255Param>(pname.data()), fsRdPerm, &ref),
      noErr);
  EXPECT_NE(Sp_SetupWAVEHeader(ref, 2, 44100, 16, 176400, 4, nullptr), noErr);
  EXPECT_NE(SetupAIFFHeader(ref, 2, 0xAC440000, 16, SpFourCC("NONE"), 4, 1), noErr);
  EXPECT_NE(SpCDR_SetupAIFFC_Header(ref, 2, 0xAC440000, 16, SpFourCC("NONE"), 4, 1), noErr);
  FSClose(ref);
  EXPECT_EQ(ReadAll(Doc("h")), "");
}

// Temporary names: the first free of "mSpeadFileTmp" and the same followed by 1 ... 100;
// folders take names too; with all of them taken (by files nobody recorded as temporary
// files) no save starts, and the user is told why.
TEST_F(SaveTest, TemporaryNamesAreTheFirstFreeOfAHundredAndOne) {
  EXPECT_EQ(SpCDR_FindTemporaryFileName(vRefNum_, dirID_), "mSpeadFileTmp");
  cdtest::WriteFile(Doc("mSpeadFileTmp"), "");
  ASSERT_EQ(mkdir(Doc("mSpeadFileTmp1").c_str(), 0700), 0);
  EXPECT_EQ(SpCDR_FindTemporaryFileName(vRefNum_, dirID_), "mSpeadFileTmp2");
  for (int i = 2; i <= 99; ++i) cdtest::WriteFile(Doc("mSpeadFileTmp" + std::to_string(i)), "");
  EXPECT_EQ(SpCDR_FindTemporaryFileName(vRefNum_, dirID_), "mSpeadFileTmp100");
  cdtest::WriteFile(Doc("mSpeadFileTmp100"), "");
  EXPECT_EQ(SpCDR_FindTemporaryFileName(vRefNum_, dirID_), "");
  ASSERT_TRUE(sp_testing::WriteTestAiff(Doc("a.aiff"), 2, 44100, 100));
  cSp_CDRProgramBaseObj* p = SaveProgram({"a.aiff"});
  sp_testing::Respond(sp_testing::Answer::Return());
  EXPECT_EQ(SavePlain(p, "out.wav", kSpCDRISoundFileTypeWAVE), -1);
  EXPECT_FALSE(p->IsSaveRunning());
  EXPECT_EQ(FolderNames(home_.Path("Documents")).size(), 102u) << "nothing new, nothing removed";
  ASSERT_EQ(sp_testing::ShownSoFar().size(), 1u);
  EXPECT_NE(sp_testing::ShownSoFar()[0].message.find("mSpeadFileTmp100"), std::string::npos);
}

}  // namespace
}  // namespace engine_test
