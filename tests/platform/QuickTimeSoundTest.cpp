// The sound format table: packing of each format, and which conversions a converter can be
// opened for.

#include <string>
#include <vector>

#include "Sound.h"
#include "SoundConverter.h"
#include "gtest/gtest.h"

namespace {

TEST(QuickTimeSoundTest, CompressionInfoGivesEachFormatsPacking) {
  struct Case {
    SInt16 id;
    OSType format;
    SInt16 channels, size;
    SInt16 compressionID;
    UInt16 samplesPerPacket, bytesPerPacket, bytesPerFrame, bytesPerSample;
  } cases[] = {
      {fixedCompression, k16BitBigEndianFormat, 2, 16, 0, 1, 2, 4, 2},
      {fixedCompression, k16BitLittleEndianFormat, 1, 16, 0, 1, 2, 2, 2},
      {fixedCompression, kSoundNotCompressed, 2, 8, 0, 1, 1, 2, 1},
      {notCompressed, k24BitFormat, 2, 24, 0, 1, 3, 6, 3},
      {fixedCompression, kFloat32Format, 1, 32, 0, 1, 4, 4, 4},
      {fixedCompression, kULawCompression, 2, 16, -1, 1, 1, 2, 2},
      {fixedCompression, kIMACompression, 2, 16, -1, 64, 34, 68, 2},
      {variableCompression, kFullMPEGLay3Format, 2, 16, -2, 1152, 0, 0, 2},
      {fixedCompression, kMPEG4AudioFormat, 2, 16, -2, 1024, 0, 0, 2},
      {threeToOne, 0, 1, 8, -1, 6, 2, 2, 1},  // the MACE ids name their format
  };
  for (const Case& c : cases) {
    CompressionInfo ci{};
    ASSERT_EQ(GetCompressionInfo(c.id, c.format, c.channels, c.size, &ci), noErr) << c.format;
    EXPECT_EQ(std::vector<int>({ci.compressionID, ci.samplesPerPacket, ci.bytesPerPacket,
                                ci.bytesPerFrame, ci.bytesPerSample}),
              std::vector<int>({c.compressionID, c.samplesPerPacket, c.bytesPerPacket,
                                c.bytesPerFrame, c.bytesPerSample}))
        << c.format;
  }
  CompressionInfo ci{};
  const OSType be = k16BitBigEndianFormat;
  EXPECT_EQ(GetCompressionInfo(fixedCompression, SpFourCC("zzzz"), 2, 16, &ci),
            siInvalidCompression);
  EXPECT_EQ(std::vector<OSErr>({GetCompressionInfo(fixedCompression, be, 2, 12, &ci),
                                GetCompressionInfo(fixedCompression, be, 0, 16, &ci),
                                GetCompressionInfo(fixedCompression, be, 2, 16, nullptr)}),
            std::vector<OSErr>(3, paramErr));
}

// A converter is refused for what cannot be decoded or encoded, so the program tells the
// user before a save starts rather than failing halfway.
TEST(QuickTimeSoundTest, ConvertersOpenOnlyForPossibleConversions) {
  const SoundComponentData working{0, k16BitBigEndianFormat, 2, 16, rate44khz, 0, nullptr, 0};
  struct Case {
    SoundComponentData in, out;
    OSErr expected;
  } cases[] = {
      {working, working, noErr},
      {{0, kFullMPEGLay3Format, 2, 16, rate44khz, 0, nullptr, 0}, working, noErr},
      {{0, kMPEG4AudioFormat, 6, 16, rate48khz, 0, nullptr, 0}, working, noErr},
      {{0, k16BitLittleEndianFormat, 1, 24, rate22050hz, 0, nullptr, 0}, working, noErr},
      {working, {0, kMPEG4AudioFormat, 2, 16, rate44khz, 0, nullptr, 0}, noErr},
      {working, {0, kIMACompression, 1, 16, rate22050hz, 0, nullptr, 0}, noErr},
      {working, {0, kMACE3Compression, 1, 8, rate22050hz, 0, nullptr, 0}, badFormat},  // no encoder
      {{0, SpFourCC("zzzz"), 2, 16, rate44khz, 0, nullptr, 0}, working, badFormat},
      {{0, k16BitBigEndianFormat, 2, 12, rate44khz, 0, nullptr, 0}, working, badFormat},
      {{0, k16BitBigEndianFormat, 9, 16, rate44khz, 0, nullptr, 0}, working, badFormat},
      {{0, k16BitBigEndianFormat, 2, 16, 0, 0, nullptr, 0}, working, siInvalidSampleRate},
  };
  for (const Case& c : cases) {
    SoundConverter sc = nullptr;
    EXPECT_EQ(SoundConverterOpen(&c.in, &c.out, &sc), c.expected)
        << std::hex << c.in.format << " -> " << c.out.format;
    EXPECT_EQ(sc != nullptr, c.expected == noErr);
    EXPECT_EQ(sc != nullptr ? SoundConverterClose(sc) : OSErr(noErr), noErr);
  }
  SoundConverter sc = nullptr;
  EXPECT_EQ(SoundConverterOpen(nullptr, &working, &sc), paramErr);
  ASSERT_EQ(SoundConverterOpen(&working, &working, &sc), noErr);
  ASSERT_EQ(SoundConverterClose(sc), noErr);
  EXPECT_EQ(SoundConverterClose(sc), paramErr);
}

}  // namespace
