// Reading a sound media's samples in the tests of the QuickTime layer: one group at a time,
// to the end, and through a Sound Converter as the loader decodes them; and ffmpeg's own
// decoding of a file for comparison.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "MacMemory.h"
#include "Movies.h"
#include "SoundConverter.h"
#include "TestQuickTime.h"

namespace quicktime_test {

struct Sample {
  OSErr err = noErr;
  SInt32 size = 0, count = 0;
  TimeValue time = 0, duration = 0;
  std::string bytes;
};

inline Sample Read(Media media, TimeValue time, SInt32 maxSize, SInt32 maxCount = 0) {
  Sample s;
  Handle h = NewHandle(0);
  s.err = GetMediaSample(media, h, maxSize, &s.size, time, &s.time, &s.duration, nullptr, nullptr,
                         maxCount, &s.count, nullptr);
  if (s.err == noErr) s.bytes.assign(*h, std::size_t(GetHandleSize(h)));
  DisposeHandle(h);
  return s;
}

// Reads group after group from time 0 until a read fails; each group must start where the
// last one ended and hold something. Returns the failure; `frames` counts what was read.
inline OSErr ReadToEnd(Media media, SInt32 maxSize, TimeValue* end, SInt32* frames,
                const std::function<void(const Sample&)>& each = nullptr) {
  *end = 0;
  *frames = 0;
  for (int guard = 0; guard < 100000; ++guard) {
    const Sample s = Read(media, *end, maxSize);
    if (s.err != noErr) return s.err;
    EXPECT_EQ(s.time, *end);
    EXPECT_GT(s.size, 0);
    if (each) each(s);
    *frames += s.count;
    *end = s.time + s.duration * s.count;
  }
  return -1;
}

// Packets read from a media, handed to a converter's fill-buffer procedure one at a time.
struct Packets {
  std::vector<std::string> all;
  std::size_t next = 0;
  ExtendedSoundComponentData data{};
  std::vector<SInt32> sizes;  // when given: the packets of the one answer, in its array
};

inline Boolean GivePacket(SoundComponentDataPtr* out, void* refCon) {
  Packets* p = static_cast<Packets*>(refCon);
  if (p->next == p->all.size()) return false;
  std::string& packet = p->all[p->next++];
  p->data.desc.flags = kExtendedSoundData;
  p->data.desc.buffer = reinterpret_cast<Byte*>(&packet[0]);
  p->data.recordSize = kExtendedSoundComponentDataRecordSize;
  p->data.extendedFlags = kExtendedSoundBufferSizeValid | kExtendedSoundSampleCountNotValid;
  p->data.bufferSize = SInt32(packet.size());
  p->data.frameCount = SInt32(p->sizes.size());
  p->data.frameSizesArray = p->sizes.empty() ? nullptr : p->sizes.data();
  *out = &p->data.desc;
  return true;
}

// A media's samples decoded to 16-bit big-endian through a converter, as the loader decodes
// them: the description's format and decompression parameters, one packet at a time (or all
// of them in one answer, their sizes in its array).
// The output keeps the input's rate unless one is given; `ownParameters` replace the
// description's decompression parameters. The converter's first failure, with what it gave
// before it.
inline OSErr DecodeToSixteenBits(Media media, const SoundDescriptionV1& d,
                                 std::vector<UInt8>* decoded, bool* withParameters,
                                 UnsignedFixed outRate = 0, Handle ownParameters = nullptr,
                                 bool inOneAnswer = false) {
  const SoundComponentData in{
      0, d.desc.dataFormat, d.desc.numChannels, d.desc.sampleSize, d.desc.sampleRate, 0, nullptr,
      0};
  const UnsignedFixed rate = outRate != 0 ? outRate : d.desc.sampleRate;
  const SoundComponentData out{0, k16BitBigEndianFormat, d.desc.numChannels, 16, rate, 0, nullptr,
                               0};
  SoundConverter sc = nullptr;
  if (OSErr err = SoundConverterOpen(&in, &out, &sc)) return err;
  SoundConverterSetInfo(sc, siClientAcceptsVBR, reinterpret_cast<void*>(1));
  Handle desc = NewHandle(0);
  GetMediaSampleDescription(media, 1, reinterpret_cast<SampleDescriptionHandle>(desc));
  Handle parameters = nullptr;
  *withParameters = GetSoundDescriptionExtension(reinterpret_cast<SoundDescriptionHandle>(desc),
                                                 &parameters, siDecompressionParams) == noErr;
  DisposeHandle(desc);
  if (*withParameters) {
    Handle given = ownParameters != nullptr ? ownParameters : parameters;
    EXPECT_EQ(SoundConverterSetInfo(sc, siDecompressionParams, *given), noErr);
    DisposeHandle(parameters);
  }
  Packets packets;
  TimeValue end = 0;
  SInt32 frames = 0;
  ReadToEnd(media, 1 << 20, &end, &frames,
            [&](const Sample& s) { packets.all.push_back(s.bytes); });
  if (inOneAnswer) {
    std::string all;
    for (const std::string& packet : packets.all) {
      packets.sizes.push_back(SInt32(packet.size()));
      all += packet;
    }
    packets.all = {all};
  }
  std::vector<UInt8> buffer(1 << 16);
  EXPECT_EQ(SoundConverterBeginConversion(sc), noErr);
  OSErr err = noErr;
  for (int guard = 0; guard < 10000 && err == noErr; ++guard) {
    UInt32 bytes = 0, count = 0, flags = 0;
    err = SoundConverterFillBuffer(sc, GivePacket, &packets, buffer.data(), UInt32(buffer.size()),
                                   &bytes, &count, &flags);
    if (err != noErr) break;
    decoded->insert(decoded->end(), buffer.begin(), buffer.begin() + bytes);
    if (!(flags & kSoundConverterHasLeftOverData)) break;
  }
  if (err == noErr) {
    UInt32 bytes = 0;
    err = SoundConverterEndConversion(sc, buffer.data(), nullptr, &bytes);
    decoded->insert(decoded->end(), buffer.begin(), buffer.begin() + bytes);
  }
  SoundConverterClose(sc);
  return err;
}

// The frames ffmpeg decodes from a file's first sound stream, at its own rate or the one
// given; -1 when it cannot.
inline SInt64 FramesFfmpegDecodes(const std::string& path, UInt32 rate = 0) {
  std::vector<std::string> argv = {"ffmpeg", "-v",   "error", "-nostdin", "-i",
                                   path,     "-map", "0:a:0", "-ac",      "1"};
  if (rate != 0) argv.insert(argv.end(), {"-ar", std::to_string(rate)});
  argv.insert(argv.end(), {"-f", "s16le", "-"});
  std::string pcm;
  return sp_testing::RunProgram(argv, pcm) ? SInt64(pcm.size() / 2) : -1;
}

// The frames ffmpeg decodes from each file's first sound stream, at its own rate or the one
// given, in one ffmpeg process for them all (starting a process per file is what costs on a
// busy machine); its decodings go to files in `scratch`, an existing folder. -1 for a file
// when ffmpeg fails.
inline std::vector<SInt64> FramesFfmpegDecodesEach(const std::vector<std::string>& paths,
                                                   const std::string& scratch, UInt32 rate = 0) {
  std::vector<std::string> argv = {"ffmpeg", "-v", "error", "-nostdin", "-y"};
  for (const std::string& path : paths) argv.insert(argv.end(), {"-i", path});
  for (std::size_t i = 0; i < paths.size(); ++i) {
    argv.insert(argv.end(), {"-map", std::to_string(i) + ":a:0", "-ac", "1"});
    if (rate != 0) argv.insert(argv.end(), {"-ar", std::to_string(rate)});
    argv.insert(argv.end(), {"-f", "s16le", scratch + "/" + std::to_string(i) + ".pcm"});
  }
  std::vector<SInt64> frames(paths.size(), -1);
  std::string ignored;
  if (paths.empty() || !sp_testing::RunProgram(argv, ignored)) return frames;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::string pcm = scratch + "/" + std::to_string(i) + ".pcm";
    struct stat st {};
    if (stat(pcm.c_str(), &st) == 0) frames[i] = SInt64(st.st_size / 2);
    std::remove(pcm.c_str());
  }
  return frames;
}

}  // namespace quicktime_test
