// Sound Converter: linear formats, channel mixing, rate changes, compressed input and output,
// and the contract of fills, buffer sizes and information.
#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "QuickTimeFixture.h"
#include "Sound.h"
#include "SoundConverter.h"

namespace quicktime_test {
namespace {

const SoundComponentData kWorking{0, k16BitBigEndianFormat, 2, 16, rate44khz, 0, nullptr, 0};

SoundComponentData Format(OSType format, SInt16 channels, SInt16 size, UnsignedFixed rate) {
  return SoundComponentData{0, format, channels, size, rate, 0, nullptr, 0};
}

std::vector<UInt8> BE16s(const std::vector<SInt16>& samples) {
  std::vector<UInt8> bytes(samples.size() * 2);
  for (std::size_t i = 0; i < samples.size(); ++i) sp::StoreBE16(&bytes[2 * i], UInt16(samples[i]));
  return bytes;
}

std::vector<SInt16> SamplesOf(const std::vector<UInt8>& bytes) {
  std::vector<SInt16> samples(bytes.size() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = SInt16(sp::LoadBE16(&bytes[2 * i]));
  return samples;
}

// A 'wave' atom of atoms given as (type, contents).
std::vector<UInt8> WaveAtom(const std::vector<std::pair<OSType, std::vector<UInt8>>>& atoms) {
  sp::ByteWriter inner;
  for (const auto& a : atoms) {
    inner.BE32(UInt32(a.second.size() + 8));
    inner.FourCC(a.first);
    inner.Bytes(a.second.data(), a.second.size());
  }
  inner.BE32(8);
  inner.BE32(0);
  sp::ByteWriter w;
  w.BE32(UInt32(inner.Size() + 8));
  w.FourCC(SpFourCC("wave"));
  w.Bytes(inner.Data().data(), inner.Size());
  return w.Data();
}

// Owns a converter for one test.
struct Converter {
  Converter(const SoundComponentData& in, const SoundComponentData& out) {
    EXPECT_EQ(SoundConverterOpen(&in, &out, &sc), noErr);
  }
  ~Converter() {
    if (sc != nullptr) SoundConverterClose(sc);
  }
  // Converts the bytes at once.
  std::vector<UInt8> Convert(const std::vector<UInt8>& in, UInt32 frames) {
    UInt32 outBytes = 0;
    EXPECT_EQ(SoundConverterGetBufferSizes(sc, UInt32(in.size()), nullptr, nullptr, &outBytes),
              noErr);
    std::vector<UInt8> out(outBytes + 64);
    UInt32 outFrames = 0, written = 0;
    EXPECT_EQ(SoundConverterConvertBuffer(sc, in.data(), frames, out.data(), &outFrames, &written),
              noErr);
    EXPECT_LE(written, outBytes) << "more output than the buffer sizes promised";
    out.resize(written);
    return out;
  }
  SoundConverter sc = nullptr;
};

// The input of a fill-buffer procedure: blocks of bytes, each handed once.
struct Blocks {
  std::vector<std::vector<UInt8>> blocks;
  std::size_t next = 0;
  ExtendedSoundComponentData data{};
  int calls = 0;
};

Boolean GiveBlock(SoundComponentDataPtr* out, void* refCon) {
  Blocks* b = static_cast<Blocks*>(refCon);
  ++b->calls;
  if (b->next == b->blocks.size()) return false;
  std::vector<UInt8>& block = b->blocks[b->next++];
  b->data.desc.flags = kExtendedSoundData;
  b->data.desc.buffer = block.data();
  b->data.recordSize = kExtendedSoundComponentDataRecordSize;
  b->data.extendedFlags = kExtendedSoundBufferSizeValid | kExtendedSoundSampleCountNotValid;
  b->data.bufferSize = SInt32(block.size());
  *out = &b->data.desc;
  return true;
}

// Every fill's output, with its flags, until a fill says no more will come; then the end.
struct Fills {
  std::vector<UInt8> bytes;
  std::vector<UInt32> flags;
  std::vector<UInt32> frames;
};
Fills FillAll(SoundConverter sc, void* refCon, SoundConverterFillBufferDataProcPtr proc,
              UInt32 room) {
  Fills f;
  std::vector<UInt8> buffer(room);
  EXPECT_EQ(SoundConverterBeginConversion(sc), noErr);
  for (int guard = 0; guard < 100000; ++guard) {
    UInt32 bytes = 0, frames = 0, flags = 0;
    const OSErr err = SoundConverterFillBuffer(sc, NewSoundConverterFillBufferDataUPP(proc), refCon,
                                               buffer.data(), room, &bytes, &frames, &flags);
    EXPECT_EQ(err, noErr);
    if (err != noErr) break;
    f.bytes.insert(f.bytes.end(), buffer.begin(), buffer.begin() + bytes);
    f.flags.push_back(flags);
    f.frames.push_back(frames);
    if (!(flags & kSoundConverterHasLeftOverData)) break;
  }
  UInt32 bytes = 0, frames = 0;
  EXPECT_EQ(SoundConverterEndConversion(sc, buffer.data(), &frames, &bytes), noErr);
  f.bytes.insert(f.bytes.end(), buffer.begin(), buffer.begin() + bytes);
  return f;
}

// The working format's input comes out as it went in, and the flags of the fills say when to
// go on and when the input has ended.
TEST(SoundConverterTest, WorkingFormatComesOutByteForByteThroughFillsOfAnySize) {
  std::vector<SInt16> samples;
  for (int i = 0; i < 3003 * 2; ++i) samples.push_back(SInt16(i * 7919));
  const std::vector<UInt8> all = BE16s(samples);
  // Blocks cut inside samples and frames, and a partial frame at the end.
  Blocks blocks;
  const std::size_t cuts[] = {0, 4001, 8007, all.size()};
  for (int b = 0; b < 3; ++b)
    blocks.blocks.emplace_back(all.begin() + std::ptrdiff_t(cuts[b]),
                               all.begin() + std::ptrdiff_t(cuts[b + 1]));
  blocks.blocks.back().insert(blocks.blocks.back().end(), {0x12, 0x34});
  Converter c(kWorking, kWorking);
  const Fills f = FillAll(c.sc, &blocks, GiveBlock, 1500);
  EXPECT_EQ(f.bytes.size(), all.size()) << "the last partial frame is no output";
  EXPECT_TRUE(std::equal(f.bytes.begin(), f.bytes.end(), all.begin()));
  ASSERT_GE(f.flags.size(), 2u);
  for (std::size_t i = 0; i + 1 < f.flags.size(); ++i) {
    EXPECT_EQ(f.flags[i], kSoundConverterHasLeftOverData) << "fill " << i;
    EXPECT_EQ(f.frames[i], 1500u / 4) << "whole frames only";
  }
  EXPECT_EQ(f.flags.back(), kSoundConverterDidntFillBuffer);
  // The same through one conversion of a block.
  Converter d(kWorking, kWorking);
  EXPECT_EQ(d.Convert(all, 3003), all);
}

// Each linear layout reaches 16 bits at the right scale, sign and byte order; values beyond
// full scale are clipped.
TEST(SoundConverterTest, EveryLinearLayoutBecomesSixteenBitBigEndian) {
  const std::vector<UInt8> noParams;
  const std::vector<UInt8> enda =
      WaveAtom({{SpFourCC("frma"), {'i', 'n', '2', '4'}}, {SpFourCC("enda"), {0x00, 0x01}}});
  const std::vector<UInt8> endaFloat =
      WaveAtom({{SpFourCC("frma"), {'f', 'l', '6', '4'}}, {SpFourCC("enda"), {0x00, 0x01}}});
  const struct {
    const char* why;
    OSType format;
    SInt16 size;
    std::vector<UInt8> params;
    std::vector<UInt8> sample;
    SInt16 expected;
  } cases[] = {
      {"8-bit offset binary: 0x80 is silence", k8BitOffsetBinaryFormat, 8, noParams, {0x80}, 0},
      {"8-bit offset binary top", k8BitOffsetBinaryFormat, 8, noParams, {0xFF}, 32512},
      {"8-bit signed bottom", k16BitBigEndianFormat, 8, noParams, {0x80}, -32768},
      {"16-bit little-endian", k16BitLittleEndianFormat, 16, noParams, {0x34, 0x12}, 0x1234},
      {"24-bit rounds to nearest", k24BitFormat, 24, noParams, {0x12, 0x34, 0x81}, 0x1235},
      {"24-bit negative", k24BitFormat, 24, noParams, {0xFF, 0xFF, 0x00}, -1},
      {"24-bit little-endian by 'enda'", k24BitFormat, 24, enda, {0x81, 0x34, 0x12}, 0x1235},
      {"32-bit full scale", k32BitFormat, 32, noParams, {0x7F, 0xFF, 0xFF, 0xFF}, 32767},
      {"32-bit float half", kFloat32Format, 32, noParams, {0x3F, 0x00, 0x00, 0x00}, 16384},
      {"32-bit float past full scale clips", kFloat32Format, 32, noParams, {0x40, 0, 0, 0}, 32767},
      {"32-bit float minus one", kFloat32Format, 32, noParams, {0xBF, 0x80, 0, 0}, -32768},
      {"64-bit float quarter", kFloat64Format, 64, noParams, {0x3F, 0xD0, 0, 0, 0, 0, 0, 0}, 8192},
      {"64-bit float little-endian by 'enda'",
       kFloat64Format,
       64,
       endaFloat,
       {0, 0, 0, 0, 0, 0, 0xD0, 0xBF},
       -8192},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    Converter conv(Format(c.format, 1, c.size, rate44khz),
                   Format(k16BitBigEndianFormat, 1, 16, rate44khz));
    if (!c.params.empty()) {
      ASSERT_EQ(SoundConverterSetInfo(conv.sc, siDecompressionParams,
                                      const_cast<UInt8*>(c.params.data())),
                noErr);
    }
    EXPECT_EQ(SamplesOf(conv.Convert(c.sample, 1)), std::vector<SInt16>{c.expected});
  }
}

// Output of every linear size: full scale and beyond are clipped to the largest value of the
// size (never wrapped round to the other end), minus full scale is the smallest.
TEST(SoundConverterTest, EveryLinearOutputSizeClipsAtFullScale) {
  // 1.0, -1.0, 2.0 and 0.5 as big-endian floats.
  const std::vector<UInt8> in = {0x3F, 0x80, 0, 0, 0xBF, 0x80, 0, 0,
                                 0x40, 0x00, 0, 0, 0x3F, 0x00, 0, 0};
  const struct {
    const char* why;
    OSType format;
    SInt16 size;
    std::vector<UInt8> expected;
  } cases[] = {
      {"8-bit offset binary", k8BitOffsetBinaryFormat, 8, {0xFF, 0x00, 0xFF, 0xC0}},
      {"8-bit signed", k16BitBigEndianFormat, 8, {0x7F, 0x80, 0x7F, 0x40}},
      {"16-bit little-endian",
       k16BitLittleEndianFormat,
       16,
       {0xFF, 0x7F, 0x00, 0x80, 0xFF, 0x7F, 0x00, 0x40}},
      {"24-bit",
       k24BitFormat,
       24,
       {0x7F, 0xFF, 0xFF, 0x80, 0x00, 0x00, 0x7F, 0xFF, 0xFF, 0x40, 0x00, 0x00}},
      {"32-bit",
       k32BitFormat,
       32,
       {0x7F, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 0, 0x7F, 0xFF, 0xFF, 0xFF, 0x40, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    Converter conv(Format(kFloat32Format, 1, 32, rate44khz),
                   Format(c.format, 1, c.size, rate44khz));
    EXPECT_EQ(conv.Convert(in, 4), c.expected);
  }
}

// The output's channels can be set from one to eight; other counts are refused and leave the
// count as it was.
TEST(SoundConverterTest, OutputChannelsAreTakenFromOneToEight) {
  Converter conv(kWorking, kWorking);
  const struct {
    SInt16 channels;
    OSErr err;
    SInt16 after;
  } cases[] = {{1, noErr, 1}, {8, noErr, 8}, {9, paramErr, 8}, {0, paramErr, 8}, {-1, paramErr, 8}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.channels);
    SInt16 channels = c.channels;
    EXPECT_EQ(SoundConverterSetInfo(conv.sc, siCompressionChannels, &channels), c.err);
    SInt16 now = 0;
    EXPECT_EQ(SoundConverterGetInfo(conv.sc, siCompressionChannels, &now), noErr);
    EXPECT_EQ(now, c.after);
  }
}

// One channel goes to both sides; two become one by their mean; six (5.1) become two with
// the centre at -3 dB on both sides, the surrounds at -3 dB on theirs and the bass left out,
// each side scaled to stay within full scale.
TEST(SoundConverterTest, ChannelsAreMixedIntoTheOutputsChannels) {
  const float scale = 1.0f / (1.0f + 2 * 0.70710678f);
  const SInt16 x = 20000;
  const SInt16 side = SInt16(std::lrint(x * 0.70710678 * scale));
  const struct {
    const char* why;
    SInt16 inChannels, outChannels;
    std::vector<SInt16> in, expected;
  } cases[] = {
      {"mono to stereo", 1, 2, {x, -x}, {x, x, -x, -x}},
      {"stereo to mono", 2, 1, {x, 0, x, -x}, {x / 2, 0}},
      {"5.1 front left", 6, 2, {x, 0, 0, 0, 0, 0}, {SInt16(std::lrint(x * scale)), 0}},
      {"5.1 centre", 6, 2, {0, 0, x, 0, 0, 0}, {side, side}},
      {"5.1 bass", 6, 2, {0, 0, 0, x, 0, 0}, {0, 0}},
      {"5.1 back right", 6, 2, {0, 0, 0, 0, 0, x}, {0, side}},
      {"5.1 all at full scale stays in range",
       6,
       2,
       {32767, 32767, 32767, 32767, 32767, 32767},
       {32767, 32767}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    Converter conv(Format(k16BitBigEndianFormat, c.inChannels, 16, rate44khz),
                   Format(k16BitBigEndianFormat, c.outChannels, 16, rate44khz));
    const std::vector<SInt16> out =
        SamplesOf(conv.Convert(BE16s(c.in), UInt32(c.in.size()) / UInt32(c.inChannels)));
    ASSERT_EQ(out.size(), c.expected.size());
    for (std::size_t i = 0; i < out.size(); ++i) EXPECT_NEAR(out[i], c.expected[i], 1) << i;
  }
}

// A rate change keeps the length in time (frames x out rate / in rate, with the tail given
// at the end) and the tone's loudness.
TEST(SoundConverterTest, RateChangesKeepTheLengthInTime) {
  const struct {
    UnsignedFixed from, to;
    UInt32 frames, expected;
  } cases[] = {
      {rate22050hz, rate44khz, 22050, 44100},
      {rate48khz, rate44khz, 48000, 44100},
      {rate44khz, rate11025hz, 4410, 1103},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.from >> 16);
    Blocks blocks;
    std::vector<SInt16> tone;
    const double rate = double(c.from >> 16);
    for (UInt32 i = 0; i < c.frames; ++i)
      tone.push_back(SInt16(10000 * std::sin(i * 2 * M_PI * 441 / rate)));
    blocks.blocks.push_back(BE16s(tone));
    Converter conv(Format(k16BitBigEndianFormat, 1, 16, c.from),
                   Format(k16BitBigEndianFormat, 2, 16, c.to));
    const Fills f = FillAll(conv.sc, &blocks, GiveBlock, 8192);
    const std::vector<SInt16> out = SamplesOf(f.bytes);
    EXPECT_NEAR(double(out.size() / 2), double(c.expected), 2.0);
    SInt16 peak = 0;
    for (std::size_t i = out.size() / 4; i < out.size() * 3 / 4; ++i) peak = std::max(peak, out[i]);
    EXPECT_NEAR(peak, 10000, 300) << "the tone keeps its level";
  }
}

// Input or output of packets of varying size needs the client to accept them, and cannot be
// converted a block at a time.
TEST(SoundConverterTest, VaryingPacketsAreRefusedUnlessTheClientAcceptsThem) {
  struct Case {
    SoundComponentData in, out;
  } cases[] = {
      {Format(kFullMPEGLay3Format, 2, 16, rate44khz), kWorking},
      {kWorking, Format(kMPEG4AudioFormat, 2, 16, rate44khz)},
  };
  for (const Case& c : cases) {
    Converter conv(c.in, c.out);
    Blocks blocks;
    std::vector<UInt8> buffer(4096);
    UInt32 bytes = 0, frames = 0, flags = 0;
    EXPECT_EQ(SoundConverterFillBuffer(conv.sc, GiveBlock, &blocks, buffer.data(), 4096, &bytes,
                                       &frames, &flags),
              siVBRCompressionNotSupported);
    EXPECT_EQ(
        SoundConverterConvertBuffer(conv.sc, buffer.data(), 1, buffer.data(), &frames, &bytes),
        siVBRCompressionNotSupported);
    EXPECT_EQ(SoundConverterSetInfo(conv.sc, siClientAcceptsVBR, reinterpret_cast<void*>(1)),
              noErr);
    EXPECT_EQ(SoundConverterFillBuffer(conv.sc, GiveBlock, &blocks, buffer.data(), 4096, &bytes,
                                       &frames, &flags),
              noErr);
    EXPECT_EQ(blocks.calls, 1) << "the procedure is asked once the client accepts";
  }
}

// Sound encoded to AAC comes one packet a fill, with a configuration that decodes it again
// to the same length.
TEST(SoundConverterTest, EncodedPacketsComeOneAFillAndDecodeAgain) {
  const UInt32 frames = 44100;
  std::vector<SInt16> tone;
  for (UInt32 i = 0; i < frames; ++i) {
    const SInt16 v = SInt16(8000 * std::sin(i * 2 * M_PI * 440 / 44100.0));
    tone.push_back(v);
    tone.push_back(v);
  }
  Blocks blocks;
  blocks.blocks.push_back(BE16s(tone));
  const SoundComponentData aac = Format(kMPEG4AudioFormat, 2, 16, rate44khz);
  Converter enc(kWorking, aac);
  ASSERT_EQ(SoundConverterSetInfo(enc.sc, siClientAcceptsVBR, reinterpret_cast<void*>(1)), noErr);
  Handle wave = nullptr;
  ASSERT_EQ(SoundConverterGetInfo(enc.sc, siDecompressionParams, &wave), noErr);
  ASSERT_NE(wave, nullptr);
  EXPECT_EQ(sp::LoadBE32(*wave + 4), SpFourCC("wave"));
  CompressionInfo info{};
  UnsignedFixed outRate = 0;
  UInt16 maxPacket = 0;
  EXPECT_EQ(SoundConverterGetInfo(enc.sc, siCompressionFactor, &info), noErr);
  EXPECT_EQ(SoundConverterGetInfo(enc.sc, siCompressionOutputSampleRate, &outRate), noErr);
  EXPECT_EQ(SoundConverterGetInfo(enc.sc, siCompressionMaxPacketSize, &maxPacket), noErr);
  EXPECT_TRUE(info.samplesPerPacket == 1024 && info.compressionID == variableCompression &&
              outRate == rate44khz && maxPacket > 0);

  std::vector<std::vector<UInt8>> packets;
  std::vector<UInt8> buffer(maxPacket);
  ASSERT_EQ(SoundConverterBeginConversion(enc.sc), noErr);
  for (int guard = 0; guard < 1000; ++guard) {
    UInt32 bytes = 0, count = 0, flags = 0;
    ASSERT_EQ(SoundConverterFillBuffer(enc.sc, GiveBlock, &blocks, buffer.data(), maxPacket, &bytes,
                                       &count, &flags),
              noErr);
    if (bytes > 0) {
      EXPECT_EQ(count, 1u);
      packets.emplace_back(buffer.begin(), buffer.begin() + bytes);
    }
    if (!(flags & kSoundConverterHasLeftOverData)) break;
  }
  EXPECT_NEAR(double(packets.size()), frames / 1024.0 + 2, 2.0);

  Converter dec(aac, kWorking);
  ASSERT_EQ(SoundConverterSetInfo(dec.sc, siClientAcceptsVBR, reinterpret_cast<void*>(1)), noErr);
  ASSERT_EQ(SoundConverterSetInfo(dec.sc, siDecompressionParams, *wave), noErr);
  Blocks encoded;
  encoded.blocks = packets;
  const Fills f = FillAll(dec.sc, &encoded, GiveBlock, 65536);
  EXPECT_NEAR(double(f.bytes.size() / 4), double(frames + 2048), 1100.0)
      << "the encoder's delay and padding come along";
  DisposeHandle(wave);
}

// Full scale through the lossless encoders and back: the largest and smallest samples stay the
// largest and smallest 16-bit ones, never wrapped round; every packet holds bytes.
TEST(SoundConverterTest, FullScaleComesBackThroughLosslessEncoding) {
  // A square wave at full scale (+1.0 and -1.0, as big-endian floats), 4,410 frames.
  std::vector<UInt8> square;
  for (int i = 0; i < 4410; ++i) {
    const UInt8 high = (i / 50) % 2 == 0 ? 0x3F : 0xBF;
    square.insert(square.end(), {high, 0x80, 0, 0});
  }
  for (const OSType format : {kFLACFormat, kALACFormat}) {
    SCOPED_TRACE(format == kFLACFormat ? "FLAC" : "ALAC");
    const SoundComponentData encoded = Format(format, 1, 16, rate44khz);
    Converter enc(Format(kFloat32Format, 1, 32, rate44khz), encoded);
    ASSERT_NE(enc.sc, nullptr);
    ASSERT_EQ(SoundConverterSetInfo(enc.sc, siClientAcceptsVBR, reinterpret_cast<void*>(1)), noErr);
    Blocks blocks;
    blocks.blocks.push_back(square);
    Blocks packets;
    std::vector<UInt8> buffer(1 << 16);
    ASSERT_EQ(SoundConverterBeginConversion(enc.sc), noErr);
    for (int guard = 0; guard < 1000; ++guard) {
      UInt32 bytes = 0, count = 0, flags = 0;
      ASSERT_EQ(SoundConverterFillBuffer(enc.sc, GiveBlock, &blocks, buffer.data(),
                                         UInt32(buffer.size()), &bytes, &count, &flags),
                noErr);
      EXPECT_TRUE(count == 0 || bytes > 0) << "every packet holds bytes";
      if (bytes > 0) packets.blocks.emplace_back(buffer.begin(), buffer.begin() + bytes);
      if (!(flags & kSoundConverterHasLeftOverData)) break;
    }
    Handle wave = nullptr;
    ASSERT_EQ(SoundConverterGetInfo(enc.sc, siDecompressionParams, &wave), noErr);
    Converter dec(encoded, Format(k16BitBigEndianFormat, 1, 16, rate44khz));
    ASSERT_EQ(SoundConverterSetInfo(dec.sc, siClientAcceptsVBR, reinterpret_cast<void*>(1)), noErr);
    ASSERT_EQ(SoundConverterSetInfo(dec.sc, siDecompressionParams, *wave), noErr);
    DisposeHandle(wave);
    const std::vector<SInt16> out = SamplesOf(FillAll(dec.sc, &packets, GiveBlock, 65536).bytes);
    ASSERT_EQ(out.size(), 4410u);
    for (std::size_t i = 0; i < out.size(); ++i) {
      ASSERT_EQ(out[i], (i / 50) % 2 == 0 ? 32767 : -32768) << i;
    }
  }
}

// Sizes of one conversion are whole frames or packets of the input, and the output of that
// much input never exceeds the output size given.
TEST(SoundConverterTest, BufferSizesAreWholeUnitsAndBoundTheOutput) {
  const struct {
    SoundComponentData in, out;
    UInt32 target, unit;
  } cases[] = {
      {kWorking, kWorking, 1003, 4},
      {Format(k16BitBigEndianFormat, 1, 16, rate22050hz), kWorking, 1001, 2},
      {Format(k24BitFormat, 2, 24, rate48khz), kWorking, 100000, 6},
      {Format(kIMACompression, 1, 16, rate22050hz), kWorking, 1000, 34},
  };
  for (const auto& c : cases) {
    Converter conv(c.in, c.out);
    UInt32 frames = 0, bytes = 0, out = 0;
    ASSERT_EQ(SoundConverterGetBufferSizes(conv.sc, c.target, &frames, &bytes, &out), noErr);
    EXPECT_TRUE(bytes <= c.target && bytes % c.unit == 0 && bytes > 0) << bytes;
    std::vector<UInt8> input(bytes, 0);
    std::vector<UInt8> output(out);
    UInt32 written = 0, outFrames = 0;
    ASSERT_EQ(SoundConverterConvertBuffer(conv.sc, input.data(), frames, output.data(), &outFrames,
                                          &written),
              noErr);
    EXPECT_LE(written, out);
  }
}

// An input rate of 0 (65,536 Hz and above) waits for the decompression parameters; selectors
// the converter does not know are refused.
TEST(SoundConverterTest, RatesAboveSixteenBitsComeWithTheDecompressionParameters) {
  Converter conv(Format(k16BitBigEndianFormat, 2, 16, 0), kWorking);
  UInt32 out = 0;
  EXPECT_EQ(SoundConverterGetBufferSizes(conv.sc, 4000, nullptr, nullptr, &out),
            siInvalidSampleRate);
  std::vector<UInt8> strp(24, 0);
  sp::StoreBE32(&strp[4], 96000);
  const std::vector<UInt8> wave =
      WaveAtom({{SpFourCC("frma"), {'t', 'w', 'o', 's'}}, {SpFourCC("strp"), strp}});
  ASSERT_EQ(SoundConverterSetInfo(conv.sc, siDecompressionParams, const_cast<UInt8*>(wave.data())),
            noErr);
  Blocks blocks;
  blocks.blocks.push_back(std::vector<UInt8>(96000 * 4, 0));
  const Fills f = FillAll(conv.sc, &blocks, GiveBlock, 65536);
  EXPECT_NEAR(double(f.bytes.size() / 4), 44100.0, 2.0);

  SInt32 value = 0;
  EXPECT_EQ(SoundConverterGetInfo(conv.sc, SpFourCC("zzzz"), &value), siUnknownInfoType);
  EXPECT_EQ(SoundConverterSetInfo(conv.sc, SpFourCC("zzzz"), &value), siUnknownInfoType);
  const UInt8 notWave[16] = {0, 0, 0, 16, 'f', 'r', 'm', 'a'};
  EXPECT_EQ(SoundConverterSetInfo(conv.sc, siDecompressionParams, const_cast<UInt8*>(notWave)),
            paramErr);
  EXPECT_EQ(SoundConverterSetInfo(nullptr, siClientAcceptsVBR, nullptr), paramErr);
}

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

// The bytes the process has allocated and not freed (AddressSanitizer keeps its own heap).
SInt64 HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return SInt64(__sanitizer_get_current_allocated_bytes());
#else
  return SInt64(mallinfo2().uordblks);
#endif
}

// The decompression parameters of an input whose rate is 0: linear big-endian at `rate`.
std::vector<UInt8> ParamsOfRate(UInt32 rate) {
  std::vector<UInt8> strp(24, 0);
  sp::StoreBE32(&strp[4], rate);
  return WaveAtom({{SpFourCC("frma"), {'t', 'w', 'o', 's'}}, {SpFourCC("strp"), strp}});
}

// Rates no sound file has would make the rate change cost seconds and gigabytes (a header's
// 5x10^8 Hz, or 1 Hz): they are refused where they meet the converter, in the formats given
// or in the decompression parameters; the limits themselves convert.
TEST(SoundConverterTest, RatesNoSoundHasAreRefused) {
  const UnsignedFixed hz = 1 << 16;
  const struct {
    UnsignedFixed in, out;
    UInt32 paramsRate;  // for an input of rate 0
    OSErr open, fill;
    const char* why;
  } cases[] = {
      {1 * hz, rate44khz, 0, badFormat, noErr, "a header's 1 Hz"},
      {999 * hz, rate44khz, 0, badFormat, noErr, "just below the lowest"},
      {1000 * hz, rate44khz, 0, noErr, noErr, "the lowest"},
      {rate44khz, 999 * hz, 0, badFormat, noErr, "an output just below the lowest"},
      {0, rate44khz, 768000, noErr, noErr, "the highest, in the parameters"},
      {0, rate44khz, 768001, noErr, badFormat, "just above the highest"},
      {0, rate44khz, 500000000, noErr, badFormat, "a header's 5x10^8 Hz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const SoundComponentData in = Format(k16BitBigEndianFormat, 1, 16, c.in);
    const SoundComponentData out = Format(k16BitBigEndianFormat, 2, 16, c.out);
    SoundConverter sc = nullptr;
    ASSERT_EQ(SoundConverterOpen(&in, &out, &sc), c.open);
    if (c.open != noErr) {
      EXPECT_EQ(sc, nullptr);
      continue;
    }
    if (c.paramsRate != 0) {
      std::vector<UInt8> wave = ParamsOfRate(c.paramsRate);
      ASSERT_EQ(SoundConverterSetInfo(sc, siDecompressionParams, wave.data()), noErr);
    }
    Blocks blocks;
    blocks.blocks.push_back(std::vector<UInt8>(2000, 0));
    std::vector<UInt8> buffer(65536);
    UInt32 bytes = 0, frames = 0, flags = 0;
    EXPECT_EQ(SoundConverterFillBuffer(sc, GiveBlock, &blocks, buffer.data(), UInt32(buffer.size()),
                                       &bytes, &frames, &flags),
              c.fill);
    EXPECT_EQ(bytes > 0, c.fill == noErr);
    SoundConverterClose(sc);
  }
}

// A rate change at the largest ratio the formats allow (1 kHz to 65,535 Hz) holds a slice of
// its output at a time, however much input a block brings: a block of 64 KB of 8-bit sound
// becomes 17 MB of output (and twice that in floats on the way), drained fill by fill.
TEST(SoundConverterTest, RateChangesHoldLittleOfTheirOutputWhateverTheRatio) {
  Converter conv(Format(k8BitOffsetBinaryFormat, 1, 8, 1000u << 16),
                 Format(k16BitBigEndianFormat, 2, 16, 0xFFFF0000u));
  Blocks blocks;
  blocks.blocks.push_back(std::vector<UInt8>(65536, 0xC0));
  std::vector<UInt8> buffer(65536);
  ASSERT_EQ(SoundConverterBeginConversion(conv.sc), noErr);
  const SInt64 before = HeapInUse();
  SInt64 most = 0;
  UInt64 frames = 0;
  for (int guard = 0; guard < 100000; ++guard) {
    UInt32 bytes = 0, count = 0, flags = 0;
    ASSERT_EQ(SoundConverterFillBuffer(conv.sc, GiveBlock, &blocks, buffer.data(),
                                       UInt32(buffer.size()), &bytes, &count, &flags),
              noErr);
    most = std::max(most, HeapInUse() - before);
    frames += bytes / 4;
    if (!(flags & kSoundConverterHasLeftOverData)) break;
  }
  UInt32 bytes = 0;
  EXPECT_EQ(SoundConverterEndConversion(conv.sc, buffer.data(), nullptr, &bytes), noErr);
  frames += bytes / 4;
  EXPECT_NEAR(double(frames), 65536 * 65.535, 100.0);
  EXPECT_LT(most, SInt64(4) << 20) << "the output waits a slice at a time, not all of it";
}

// A packet its decoder cannot decode is an error the conversion reports, never silence in
// place of its sound; the converter then begins again.
TEST(SoundConverterTest, DamagedPacketsAreAnErrorNotSilence) {
  Converter conv(Format(kFullMPEGLay3Format, 2, 16, rate44khz), kWorking);
  SoundConverterSetInfo(conv.sc, siClientAcceptsVBR, reinterpret_cast<void*>(1));
  Blocks blocks;
  blocks.blocks.push_back(std::vector<UInt8>(417, 0x55));
  std::vector<UInt8> buffer(65536);
  UInt32 bytes = 0, frames = 0, flags = 0;
  EXPECT_EQ(SoundConverterFillBuffer(conv.sc, GiveBlock, &blocks, buffer.data(),
                                     UInt32(buffer.size()), &bytes, &frames, &flags),
            badFileFormat);
  EXPECT_EQ(bytes, 0u);
}

// One converter serves conversion after conversion: the second (and a third begun before the
// one before it ended) gives the same sound as the first, whatever the first left behind.
TEST(SoundConverterTest, EveryConversionThroughOneConverterStartsAfresh) {
  std::vector<SInt16> tone;
  for (int i = 0; i < 4410; ++i)
    tone.push_back(SInt16(8000 * std::sin(i * 2 * M_PI * 441 / 44100.0)));
  const struct {
    SoundComponentData in, out;
    const char* why;
  } cases[] = {
      {Format(k16BitBigEndianFormat, 1, 16, rate44khz),
       Format(k16BitBigEndianFormat, 1, 16, rate44khz), "linear, as it goes in"},
      {Format(k16BitBigEndianFormat, 1, 16, rate44khz),
       Format(k16BitBigEndianFormat, 2, 16, rate22050hz),
       "a rate change and a channel more, whose filter keeps a tail"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    Converter conv(c.in, c.out);
    auto convert = [&] {
      Blocks blocks;
      blocks.blocks.push_back(BE16s(tone));
      return FillAll(conv.sc, &blocks, GiveBlock, 4096).bytes;
    };
    const std::vector<UInt8> first = convert();
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(convert() == first) << "the second conversion";
    // A conversion left after one fill: the next begins without its leftovers.
    Blocks part;
    part.blocks.push_back(BE16s(tone));
    std::vector<UInt8> buffer(512);
    UInt32 bytes = 0, frames = 0, flags = 0;
    ASSERT_EQ(SoundConverterBeginConversion(conv.sc), noErr);
    ASSERT_EQ(SoundConverterFillBuffer(conv.sc, GiveBlock, &part, buffer.data(), 512, &bytes,
                                       &frames, &flags),
              noErr);
    EXPECT_TRUE(convert() == first) << "a conversion begun again before the last one ended";
  }
}

}  // namespace
}  // namespace quicktime_test
