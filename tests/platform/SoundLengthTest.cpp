// Lengths of compressed sound from what the files state: equal to what the decoder presents,
// found without decoding, once for a file; headers that lie are counted or reported; cut and
// damaged files never make a reader claim more than they hold.
extern "C" {
#include <libavformat/avformat.h>
}

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "SoundLengthFixture.h"
#include "quicktime/detail/Demux.h"

namespace quicktime_test {
namespace {

// Files of the encoders people use: the length is what ffmpeg decodes of them (for MPEG-4, to
// the end its edit list gives), the converter presents exactly that many frames, the packet
// count is the packets read, and nothing was decoded to find it. A second opening of the same
// file reads nothing again.
TEST_F(SoundLengthTest, EncodersFilesGiveTheDecodersLengthWithoutDecoding) {
  SKIP_WITHOUT_FFMPEG();
  const struct {
    const char* name;
    const char* tool;
    std::vector<std::string> argv;
  } cases[] = {
      {"lame.mp3", "lame", {"lame", "--quiet", "IN", "OUT"}},
      {"lame-vbr.mp3", "lame", {"lame", "--quiet", "-V", "2", "IN", "OUT"}},
      {"untagged.mp3", "lame", {"lame", "--quiet", "-t", "IN", "OUT"}},
      {"ffmpeg.mp3", "ffmpeg", {"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "libmp3lame", "OUT"}},
      {"a.flac", "flac", {"flac", "-s", "-f", "IN", "-o", "OUT"}},
      {"a.ogg", "oggenc", {"oggenc", "-Q", "IN", "-o", "OUT"}},
      {"a.opus", "opusenc", {"opusenc", "--quiet", "IN", "OUT"}},
      {"flac.oga", "ffmpeg", {"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "flac", "OUT"}},
      {"aac.m4a", "ffmpeg", {"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "aac", "OUT"}},
      {"alac.m4a", "ffmpeg", {"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "alac", "OUT"}},
      {"adts.aac", "ffmpeg", {"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "aac", "OUT"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!Have(c.tool)) {
      ADD_FAILURE() << c.tool << " is missing (tools/install-deps installs it)";
      continue;
    }
    ASSERT_TRUE(Encode(c.argv, c.name));
    const qt::SoundLengthCounts before = qt::CountedSoundLengths();
    Media media = SoundMedia(Open(c.name));
    ASSERT_NE(media, nullptr);
    const TimeValue duration = GetMediaDuration(media);
    const bool mpeg4 = std::string(c.name).find(".m4a") != std::string::npos;
    EXPECT_EQ(duration, mpeg4 ? kSourceFrames : FramesFfmpegDecodes(Path(c.name)));
    EXPECT_EQ(qt::CountedSoundLengths().found, before.found + 1);
    EXPECT_EQ(qt::CountedSoundLengths().decoded, before.decoded) << "found without decoding";
    SInt64 frames = 0;
    EXPECT_EQ(Convert(media, &frames), noErr);
    EXPECT_EQ(frames, duration);
    TimeValue end = 0;
    SInt32 packets = 0;
    EXPECT_EQ(ReadToEnd(media, 1 << 20, &end, &packets), invalidTime);
    EXPECT_EQ(packets, GetMediaSampleCount(media));
    Media again = SoundMedia(Open(c.name));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(GetMediaDuration(again), duration);
    EXPECT_EQ(GetMediaSampleCount(again), packets);
    EXPECT_EQ(qt::CountedSoundLengths().found, before.found + 1) << "kept with the file";
  }
}

// A file changed after its length was found is read again, even when it keeps its size, its
// inode and its time stamp; an untagged MP3 is counted by its frame headers, once, however
// often it is opened.
TEST_F(SoundLengthTest, ALengthIsKeptWithTheFileAsItIs) {
  SKIP_WITHOUT_FFMPEG();
  if (!Have("lame")) GTEST_SKIP() << "lame is missing";
  // At 48 kHz and 128 kb/s every frame is 384 bytes.
  ASSERT_TRUE(Encode({"lame", "--quiet", "-t", "--resample", "48", "IN", "OUT"}, "a.mp3"));
  std::vector<UInt8> bytes = Bytes("a.mp3");
  const std::size_t frame = 384;
  ASSERT_EQ(bytes.size() % frame, 0u);
  const qt::SoundLengthCounts before = qt::CountedSoundLengths();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(GetMediaDuration(SoundMedia(Open("a.mp3"))), TimeValue(bytes.size() / frame * 1152));
  }
  EXPECT_EQ(qt::CountedSoundLengths().found, before.found + 1);
  // The same file rewritten in place, as large and stamped with the same time (the clock's
  // step): its second half is silence now, and its frames are counted again.
  struct stat was {};
  ASSERT_EQ(stat(Path("a.mp3").c_str(), &was), 0);
  std::vector<UInt8> silenced = bytes;
  std::fill(silenced.begin() + std::ptrdiff_t(bytes.size() / frame / 2 * frame), silenced.end(), 0);
  Put("a.mp3", silenced);
  const timespec times[2] = {was.st_atim, was.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, Path("a.mp3").c_str(), times, 0), 0);
  struct stat now {};
  ASSERT_EQ(stat(Path("a.mp3").c_str(), &now), 0);
  ASSERT_TRUE(now.st_ino == was.st_ino && now.st_size == was.st_size &&
              now.st_mtim.tv_nsec == was.st_mtim.tv_nsec);
  EXPECT_LT(GetMediaDuration(SoundMedia(Open("a.mp3"))), TimeValue(bytes.size() / frame * 1152));
  EXPECT_EQ(qt::CountedSoundLengths().found, before.found + 2);
  // Half the frames.
  bytes.resize(bytes.size() / frame / 2 * frame);
  Put("a.mp3", bytes);
  EXPECT_EQ(GetMediaDuration(SoundMedia(Open("a.mp3"))), TimeValue(bytes.size() / frame * 1152));
  EXPECT_EQ(qt::CountedSoundLengths().found, before.found + 3);
}

// A FLAC header that says more or fewer frames than the file holds is not taken: the frames
// are counted by decoding, and the whole sound converts. An MP3 tag that says more or fewer
// frames than there are is not believed either: the frames are walked, the length is what
// ffmpeg decodes, and the whole sound converts.
TEST_F(SoundLengthTest, HeadersThatLieAreCountedOrReported) {
  SKIP_WITHOUT_FFMPEG();
  if (!Have("flac") || !Have("lame")) GTEST_SKIP() << "flac or lame is missing";
  ASSERT_TRUE(Encode({"flac", "-s", "-f", "IN", "-o", "OUT"}, "true.flac"));
  const std::vector<UInt8> flac = Bytes("true.flac");
  ASSERT_TRUE(flac.size() > 42 && std::memcmp(flac.data(), "fLaC", 4) == 0);
  for (const SInt64 change : {SInt64(4096), SInt64(-4096), SInt64(1)}) {
    SCOPED_TRACE(change);
    std::vector<UInt8> lying = flac;
    // STREAMINFO's total: 36 bits from the low half of its 14th byte.
    UInt8* total = lying.data() + 8 + 13;
    const UInt64 stated = (UInt64(total[0] & 0x0F) << 32) | sp::LoadBE32(total + 1);
    ASSERT_EQ(stated, UInt64(kSourceFrames));
    sp::StoreBE32(total + 1, UInt32(UInt64(SInt64(stated) + change)));
    const std::string name = "lies" + std::to_string(change) + ".flac";
    Put(name, lying);
    const qt::SoundLengthCounts before = qt::CountedSoundLengths();
    Media media = SoundMedia(Open(name));
    ASSERT_NE(media, nullptr);
    EXPECT_EQ(GetMediaDuration(media), kSourceFrames);
    EXPECT_EQ(qt::CountedSoundLengths().decoded, before.decoded + 1);
    SInt64 frames = 0;
    EXPECT_EQ(Convert(media, &frames), noErr);
    EXPECT_EQ(frames, kSourceFrames);
  }

  ASSERT_TRUE(Encode({"lame", "--quiet", "IN", "OUT"}, "true.mp3"));
  const std::vector<UInt8> mp3 = Bytes("true.mp3");
  std::size_t tag = 0;
  while (tag + 12 < mp3.size() && std::memcmp(mp3.data() + tag, "Info", 4) != 0 &&
         std::memcmp(mp3.data() + tag, "Xing", 4) != 0)
    ++tag;
  ASSERT_LT(tag + 12, std::size_t(100)) << "the tag frame comes first";
  ASSERT_NE(sp::LoadBE32(mp3.data() + tag + 4) & 1, 0u) << "with a frame count";
  const UInt32 count = sp::LoadBE32(mp3.data() + tag + 8);
  for (const SInt32 change : {30, -30, 0}) {
    SCOPED_TRACE(change);
    std::vector<UInt8> lying = mp3;
    sp::StoreBE32(lying.data() + tag + 8, UInt32(SInt32(count) + change));
    const std::string name = "lies" + std::to_string(change) + ".mp3";
    Put(name, lying);
    Media media = SoundMedia(Open(name));
    ASSERT_NE(media, nullptr);
    EXPECT_EQ(GetMediaDuration(media), FramesFfmpegDecodes(Path(name)));
    SInt64 frames = 0;
    EXPECT_EQ(Convert(media, &frames), noErr);
    EXPECT_EQ(frames, GetMediaDuration(media));
  }
}

// Movies of AAC and ALAC made the ways ffmpeg makes them, a few frames to seconds long, with
// and without an edit list, with iTunes' gapless tag: the length from the sample index is
// exactly the one every packet read gives, which is ffmpeg's decode up to the stream's end,
// and the movie found it from the index. Fragmented files are left to reading every packet
// (AAC) or to decoding (ALAC, whose fragments state no packet's frames), and come out as
// ffmpeg decodes them.
TEST_F(SoundLengthTest, MovieSampleIndexGivesThePacketWalksLength) {
  SKIP_WITHOUT_FFMPEG();
  const std::vector<std::string> noEdits = {"-use_editlist", "0"};
  const std::vector<std::string> fragments = {"-movflags", "frag_keyframe+empty_moov"};
  const std::vector<std::string> video = {"-f",   "lavfi", "-i", "testsrc=size=64x48:rate=10:d=2",
                                          "-c:v", "mpeg4"};
  const std::vector<std::string> sidx = {"-frag_duration", "1000000", "-movflags",
                                         "frag_keyframe+global_sidx"};
  enum Found { kIndexed, kRead, kDecoded };
  const struct {
    const char* name;
    const char* codec;
    double seconds;
    std::vector<std::string> options;
    bool gapless;  // iTunes' tag stating a delay of 2112 frames added
    Found found;
    SInt64 later;  // frames FFmpeg skips at the start beyond what the edit list skips
    const char* why;
  } cases[] = {
      {"aac.m4a", "aac", 7.3, {}, false, kIndexed, 0, "an edit list cuts delay and padding"},
      {"alac.m4a", "alac", 7.3, {}, false, kIndexed, 0, "a short last packet"},
      {"alac.mov", "alac", 7.3, {}, false, kIndexed, 0, "QuickTime's brand"},
      {"noedit.m4a", "aac", 2, noEdits, false, kIndexed, 0, "the delay presented"},
      {"tiny.m4a", "aac", 0.001, {}, false, kIndexed, 0, "44 frames after the delay"},
      {"packet.m4a", "aac", 0.0233, {}, false, kIndexed, 0, "the edit list drops a packet"},
      {"tiny-alac.m4a", "alac", 0.001, {}, false, kIndexed, 0, "one packet only"},
      {"video.mov", "aac", 2, video, false, kIndexed, 0, "chunks between video frames"},
      {"gapless.m4a", "aac", 3, noEdits, true, kIndexed, 0, "the delay from iTunes' tag"},
      // FFmpeg takes the tag's delay over the edit list's (1024), which still ends the stream.
      {"gapless-edit.m4a", "aac", 3, {}, true, kIndexed, 2112 - 1024, "tag and edit list"},
      {"frag.m4a", "aac", 3, fragments, false, kRead, 0, "fragments: durations guessed"},
      {"frag-alac.m4a", "alac", 3, fragments, false, kDecoded, 0, "fragments of ALAC"},
      // The first second in the movie's tables; the fragments after it are read as it plays.
      {"sidx.m4a", "aac", 3, sidx, false, kDecoded, 0, "fragments after the tables' packets"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + ": " + c.why);
    const std::string source = "sine=f=440:r=44100:d=" + std::to_string(c.seconds);
    std::vector<std::string> argv = {"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", source};
    argv.insert(argv.end(), c.options.begin(), c.options.end());
    argv.insert(argv.end(), {"-ac", "2", "-c:a", c.codec, Path(c.name)});
    std::string log;
    ASSERT_TRUE(sp_testing::RunProgram(argv, log, true)) << log;
    if (c.gapless) AddGaplessTag(c.name);
    const qt::SoundLengthCounts before = qt::CountedSoundLengths();
    Media media = SoundMedia(Open(c.name));
    ASSERT_NE(media, nullptr);
    // The index is read while the movie is made; the others wait for the length's first use.
    EXPECT_EQ(qt::CountedSoundLengths().indexed, before.indexed + (c.found == kIndexed ? 1 : 0));
    EXPECT_EQ(qt::CountedSoundLengths().found, before.found + (c.found == kIndexed ? 1 : 0));
    qt::StatedLength indexed, walked;
    EXPECT_EQ(qt::SampleIndexLength(*media, indexed), c.found == kIndexed);
    EXPECT_EQ(qt::ReadPacketsLength(*media, walked), c.found != kDecoded);
    if (c.found == kIndexed) ExpectSameLength(indexed, walked);
    // A fragmented file's packets state no durations: the decoder presents them whole.
    const SInt64 expected = c.found == kIndexed ? FramesToStreamEnd(c.name, c.later)
                                                : FramesFfmpegDecodes(Path(c.name));
    EXPECT_EQ(GetMediaDuration(media), expected);
    if (c.found != kDecoded) {
      EXPECT_EQ(walked.presented, expected);
      EXPECT_EQ(GetMediaSampleCount(media), walked.packets);
    }
    const qt::SoundLengthCounts after = qt::CountedSoundLengths();
    EXPECT_EQ(after.found, before.found + 1);
    EXPECT_EQ(after.indexed, before.indexed + (c.found == kIndexed ? 1 : 0));
    EXPECT_EQ(after.decoded, before.decoded + (c.found == kDecoded ? 1 : 0));
  }
}

// Fragmented movies whose later fragments add packets to the first fragment's, or to those of
// the movie's own tables: every fragment counts. The length is what ffmpeg decodes of the whole
// file, and the converter presents all of it.
TEST_F(SoundLengthTest, FragmentedMoviesCountEveryFragment) {
  SKIP_WITHOUT_FFMPEG();
  const std::vector<std::string> emptyMoov = {"-frag_duration", "500000", "-movflags",
                                              "frag_keyframe+empty_moov"};
  const std::vector<std::string> everyPacket = {"-movflags", "frag_every_frame+empty_moov"};
  // The first half second in the movie's tables, the rest in fragments after them.
  const std::vector<std::string> tablesFirst = {"-frag_duration", "500000", "-movflags",
                                                "frag_keyframe"};
  const std::vector<std::string> baseMoof = {"-frag_duration", "500000", "-movflags",
                                             "empty_moov+default_base_moof"};
  const struct {
    const char* name;
    const char* codec;
    std::vector<std::string> options;
  } cases[] = {
      {"empty.m4a", "aac", emptyMoov},         {"every.m4a", "aac", everyPacket},
      {"tables.m4a", "aac", tablesFirst},      {"base.m4a", "aac", baseMoof},
      {"alac-empty.m4a", "alac", emptyMoov},   {"alac-tables.m4a", "alac", tablesFirst},
      {"pcm-tables.mov", "pcm_s16be", tablesFirst}, {"pcm-base.mov", "pcm_s16be", baseMoof},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> argv = {"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                                     "sine=f=440:r=44100:d=3"};
    argv.insert(argv.end(), c.options.begin(), c.options.end());
    argv.insert(argv.end(), {"-ac", "2", "-c:a", c.codec, Path(c.name)});
    std::string log;
    ASSERT_TRUE(sp_testing::RunProgram(argv, log, true)) << log;
    // Fragments after the first.
    const std::vector<UInt8> bytes = Bytes(c.name);
    int fragments = 0;
    for (std::size_t i = 0; i + 4 <= bytes.size(); ++i) {
      if (std::memcmp(bytes.data() + i, "moof", 4) == 0) ++fragments;
    }
    EXPECT_GE(fragments, 2);
    Media media = SoundMedia(Open(c.name));
    ASSERT_NE(media, nullptr);
    const SInt64 theirs = FramesFfmpegDecodes(Path(c.name));
    ASSERT_GT(theirs, 2 * 44100);
    EXPECT_EQ(GetMediaDuration(media), theirs);
    SInt64 frames = 0;
    EXPECT_EQ(Convert(media, &frames), noErr);
    EXPECT_EQ(frames, theirs);
  }
}

// Hostile movies: cut short, tables changed to state durations of nothing or of more than a
// media time holds, chunks past the file's end (the first, or one amid a movie's video), bytes
// changed anywhere in the tables. The index either declines or gives exactly what reading
// every packet gives, and the length of a declined file is what reading every packet gives.
TEST_F(SoundLengthTest, DamagedMoviesFallBackToReadingEveryPacket) {
  SKIP_WITHOUT_FFMPEG();
  std::string log;
  ASSERT_TRUE(sp_testing::RunProgram(
      {"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=f=440:r=44100:d=0.5", "-c:a",
       "aac", "-movflags", "+faststart", Path("sound.m4a")},
      log, true))
      << log;
  ASSERT_TRUE(sp_testing::RunProgram(
      {"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=f=440:r=44100:d=3", "-f", "lavfi",
       "-i", "testsrc=size=64x48:rate=10:d=3", "-c:v", "mpeg4", "-c:a", "aac", "-movflags",
       "+faststart", Path("video.mov")},
      log, true))
      << log;
  const std::vector<UInt8> sound = Bytes("sound.m4a"), video = Bytes("video.mov");
  // The offset of the first atom of `type` at or after `from`.
  auto find = [](const std::vector<UInt8>& bytes, const char* type, std::size_t from = 0) {
    for (std::size_t i = std::max<std::size_t>(from, 4); i + 4 <= bytes.size(); ++i) {
      if (std::memcmp(bytes.data() + i, type, 4) == 0) return i - 4;
    }
    ADD_FAILURE() << type << " is missing";
    return std::size_t(0);
  };
  auto changed = [](std::vector<UInt8> bytes, std::size_t at, UInt32 value) {
    sp::StoreBE32(bytes.data() + at, value);
    return bytes;
  };
  // Offsets in the tables: stts's first run's duration, stco's first chunk, and in the movie
  // the chunk amid the sound's (whose packets sit between video frames).
  const std::size_t stts = find(sound, "stts"), stco = find(sound, "stco");
  const std::size_t soundStco = find(video, "stco", find(video, "soun"));
  const UInt32 chunks = sp::LoadBE32(video.data() + soundStco + 12);
  ASSERT_GE(chunks, 3u);
  struct File {
    std::string why;
    std::vector<UInt8> bytes;
    bool declined;  // the index must decline it
  };
  std::vector<File> files = {
      {"cut", std::vector<UInt8>(sound.begin(), sound.end() - 100), true},
      {"durations of nothing", changed(sound, stts + 20, 0), true},
      // The edit list ends in the first packet now: FFmpeg gives that one packet only.
      {"durations past a media time", changed(sound, stts + 20, 0x7FFFFFFF), false},
      {"durations past a time stamp", changed(sound, stts + 20, 0xFFFFFFFF), true},
      {"the first chunk past the end", changed(sound, stco + 16, 0xFFFFFF00), true},
      {"a chunk amid the video past the end",
       changed(video, soundStco + 16 + 4 * (chunks / 2), 0xFFFFFF00), true},
  };
  const std::size_t moov = find(sound, "moov");
  const std::size_t moovEnd = moov + sp::LoadBE32(sound.data() + moov);
  ASSERT_LT(moovEnd, sound.size());
  UInt32 seed = 2024;
  for (int round = 0; round < 120; ++round) {
    std::vector<UInt8> bytes = sound;
    for (int k = 0; k < 3; ++k) {
      seed = seed * 1103515245u + 12345u;
      bytes[moov + 8 + (seed >> 8) % (moovEnd - moov - 8)] = UInt8(seed >> 24);
    }
    files.push_back({"damaged " + std::to_string(round), bytes, false});
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i].why);
    const std::string name = "hostile" + std::to_string(i) + ".mov";
    Put(name, files[i].bytes);
    Movie movie = nullptr;
    SInt16 ref = 0, resId = 0;
    const FSSpec spec = Spec(name);
    if (OpenMovieFile(&spec, &ref, fsRdPerm) != noErr) continue;
    const OSErr err = NewMovieFromFile(&movie, ref, &resId, nullptr, newMovieActive, nullptr);
    CloseMovieFile(ref);
    if (err != noErr || movie == nullptr) continue;
    movies_.push_back(movie);
    Media media = SoundMedia(movie);
    if (media == nullptr) continue;
    qt::StatedLength indexed, walked;
    const bool walks = qt::ReadPacketsLength(*media, walked);
    const bool fromIndex = qt::SampleIndexLength(*media, indexed);
    if (files[i].declined) {
      EXPECT_FALSE(fromIndex);
    }
    if (fromIndex) {
      ASSERT_TRUE(walks);
      ExpectSameLength(indexed, walked);
    }
    const TimeValue duration = GetMediaDuration(media);
    if (walks) {
      EXPECT_EQ(duration, std::min<SInt64>(walked.presented, INT32_MAX));
    }
  }
}

// Hostile files: cuts of a file all through it and bytes changed anywhere. A reader either
// declines or states no more frames than the whole file does.
TEST_F(SoundLengthTest, CutAndDamagedFilesNeverStateMoreThanTheWhole) {
  SKIP_WITHOUT_FFMPEG();
  const struct {
    const char* name;
    std::vector<std::string> argv;
    int reader;  // 0 FLAC, 1 MPEG audio, 2 Ogg
  } cases[] = {
      {"a.flac", {"ffmpeg", "-v", "error", "-t", "0.5", "-i", "IN", "-c:a", "flac", "OUT"}, 0},
      {"a.mp3", {"ffmpeg", "-v", "error", "-t", "0.5", "-i", "IN", "-c:a", "libmp3lame", "OUT"}, 1},
      {"u.mp3",
       {"ffmpeg", "-v", "error", "-t", "0.5", "-i", "IN", "-c:a", "libmp3lame", "-write_xing", "0",
        "OUT"},
       1},
      {"a.opus", {"ffmpeg", "-v", "error", "-t", "0.5", "-i", "IN", "-c:a", "libopus", "OUT"}, 2},
      {"f.oga", {"ffmpeg", "-v", "error", "-t", "0.5", "-i", "IN", "-c:a", "flac", "OUT"}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(Encode(c.argv, c.name));
    const std::vector<UInt8> whole = Bytes(c.name);
    auto state = [&](const std::vector<UInt8>& bytes, qt::StatedLength& out) {
      qt::MemorySource source(bytes);
      if (c.reader == 0) return qt::FlacStatedLength(source, out);
      if (c.reader == 1) return qt::MpegAudioStatedLength(source, out);
      return qt::OggStatedLength(source, {}, out);
    };
    qt::StatedLength full;
    ASSERT_TRUE(state(whole, full));
    ASSERT_GT(full.presented, 0);
    int taken = 0;
    for (std::size_t cut = 0; cut < whole.size(); cut += 1 + whole.size() / 211) {
      qt::StatedLength part;
      const std::vector<UInt8> bytes(whole.begin(), whole.begin() + std::ptrdiff_t(cut));
      if (!state(bytes, part)) continue;
      ++taken;
      EXPECT_LE(part.presented, full.presented) << cut;
      EXPECT_GE(part.packets, 0) << cut;
    }
    // A FLAC file's STREAMINFO never matches a cut one.
    if (c.reader == 0) {
      EXPECT_EQ(taken, 0);
    }
    UInt32 seed = 12345;
    for (int round = 0; round < 300; ++round) {
      std::vector<UInt8> bytes = whole;
      for (int k = 0; k < 4; ++k) {
        seed = seed * 1103515245u + 12345u;
        bytes[(seed >> 8) % bytes.size()] = UInt8(seed >> 24);
      }
      qt::StatedLength damaged;
      if (state(bytes, damaged)) {
        EXPECT_GE(damaged.presented, 0);
        EXPECT_LE(damaged.packets, SInt64(bytes.size()));
      }
    }
  }
}

// A file's bytes, counting those read and the furthest place read.
class CountingSource : public qt::MemorySource {
 public:
  using MemorySource::MemorySource;
  long ReadAt(UInt64 offset, void* buffer, std::size_t count) override {
    const long got = MemorySource::ReadAt(offset, buffer, count);
    ++calls;
    if (got > 0) {
      read += UInt64(got);
      reach = std::max(reach, offset + UInt64(got));
    }
    return got;
  }
  UInt64 read = 0;
  UInt64 reach = 0;
  UInt64 calls = 0;
};

// Where the pages of an Ogg file start, walked from its first one while whole headers follow.
std::vector<std::size_t> OggPageStarts(const std::vector<UInt8>& bytes) {
  std::vector<std::size_t> pages;
  for (std::size_t at = 0; at + 27 <= bytes.size() && std::memcmp(&bytes[at], "OggS", 4) == 0;) {
    pages.push_back(at);
    std::size_t length = 27 + bytes[at + 26];
    for (std::size_t s = 0; s < bytes[at + 26] && at + 27 + s < bytes.size(); ++s)
      length += bytes[at + 27 + s];
    at += length;
  }
  return pages;
}

// Thirty seconds of noise and a tone: Ogg files of it are long enough to be read at their
// first and last pages.
bool MakeNoisyWave(const std::string& path) {
  std::string log;
  const bool ok = sp_testing::RunProgram(
      {"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
       "sine=f=440:r=44100:d=30", "-f", "lavfi", "-i",
       "anoisesrc=color=pink:amplitude=0.2:r=44100:d=30", "-filter_complex",
       "amix=inputs=2,aformat=channel_layouts=stereo", path},
      log);
  EXPECT_TRUE(ok) << log;
  return ok;
}

// Long Ogg files of the encoders people use: read at their first pages and within the span
// searched at their end (a span shorter than a page makes the search look further), their
// length is the one every page walked gives, which is what ffmpeg decodes; nothing is decoded,
// and the packets are counted when first asked for.
TEST_F(SoundLengthTest, LongOggFilesAreReadAtTheirFirstAndLastPages) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(MakeNoisyWave(Path("noise.wav")));
  const struct {
    const char* name;
    std::vector<std::string> argv;
  } cases[] = {
      {"oggenc.ogg", {"oggenc", "-Q", "IN", "-o", "OUT"}},
      {"opusenc.opus", {"opusenc", "--quiet", "IN", "OUT"}},
      {"vorbis.ogg", {"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "libvorbis", "OUT"}},
      {"opus.opus", {"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "libopus", "OUT"}},
      {"flac.oga", {"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "flac", "OUT"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!Have(c.argv[0].c_str())) {
      ADD_FAILURE() << c.argv[0] << " is missing (tools/install-deps installs it)";
      continue;
    }
    std::vector<std::string> argv = c.argv;
    for (std::string& a : argv) {
      if (a == "IN") a = Path("noise.wav");
      if (a == "OUT") a = Path(c.name);
    }
    std::string log;
    ASSERT_TRUE(sp_testing::RunProgram(argv, log, true)) << log;
    const qt::SoundLengthCounts before = qt::CountedSoundLengths();
    Media media = SoundMedia(Open(c.name));
    ASSERT_NE(media, nullptr);
    const SInt64 theirs = FramesFfmpegDecodes(Path(c.name));
    EXPECT_EQ(GetMediaDuration(media), theirs);
    EXPECT_EQ(qt::CountedSoundLengths().decoded, before.decoded) << "found without decoding";

    const std::vector<UInt8> bytes = Bytes(c.name);
    ASSERT_GT(bytes.size(), 3 * qt::kOggTailSpan);
    qt::StatedLength whole;
    qt::MemorySource all(bytes);
    ASSERT_TRUE(qt::OggStatedLength(all, media->sound.codecSetup, whole, 0));
    EXPECT_EQ(whole.presented, theirs);
    // Spans of the end: the program's, one that may hold too few pages (FLAC's are long) so
    // that the search looks eight times as far, and one too short for any: every page is
    // walked then.
    for (const UInt64 span : {qt::kOggTailSpan, UInt64(4096), UInt64(16)}) {
      SCOPED_TRACE(span);
      CountingSource source(bytes);
      qt::StatedLength ends;
      ASSERT_TRUE(qt::OggStatedLength(source, media->sound.codecSetup, ends, span));
      EXPECT_EQ(ends.presented, whole.presented);
      EXPECT_EQ(ends.priming, whole.priming);
      EXPECT_EQ(ends.mostPacketFrames, whole.mostPacketFrames);
      if (span == qt::kOggTailSpan) {
        EXPECT_EQ(ends.packets, -1);
      }
      if (ends.packets == -1) {
        // The first pages and the end's, and the probes of the pages between for each search
        // of the end: five evenly spaced, and those before a sixth of the way, each half as far
        // again from the start as the one before, from the first pages on. FLAC's pages of
        // 55 kB need the longer search.
        const bool longPages = std::string(c.name) == "flac.oga";
        const double nearStart =
            std::ceil(std::log(1 + double(bytes.size()) / 6 / qt::kOggHeadWalk) / std::log(1.5));
        const UInt64 probes =
            (qt::kOggBetweenProbes + UInt64(nearStart)) * (qt::kOggProbeSpan + 27 + 255 + 27);
        EXPECT_LE(source.read, (longPages ? bytes.size() / 2 : 2 * qt::kOggTailSpan) +
                                   qt::kOggHeadWalk + 3 * probes);
        // Pages of a few kilobytes: the pages walked at the start, the headers searched
        // backwards within half the span, the last two pages read whole and the probes.
        if (!longPages && span == qt::kOggTailSpan) {
          EXPECT_LT(source.read, qt::kOggHeadWalk / 2 + qt::kOggTailSpan + 8192 + probes);
        }
      } else {
        EXPECT_NE(span, qt::kOggTailSpan);
        EXPECT_EQ(ends.packets, whole.packets);
      }
    }
    // The packets, from the pages' headers before any is read, are those read to the end.
    EXPECT_EQ(qt::OggPacketCount(all, media->sound.codecSetup), whole.packets);
    EXPECT_EQ(GetMediaSampleCount(media), whole.packets);
    TimeValue end = 0;
    SInt32 packets = 0;
    EXPECT_EQ(ReadToEnd(media, 1 << 20, &end, &packets), invalidTime);
    EXPECT_EQ(packets, whole.packets);
    EXPECT_EQ(GetMediaSampleCount(SoundMedia(Open(c.name))), whole.packets) << "kept";
  }
}

// An Ogg file is summarised and described from its first pages alone (FFmpeg would read its
// last 64 KiB for a duration neither takes); one with a stream that needs more than its header
// (video here) is described as any file is, durations and all; a file that only starts like
// Ogg opens as nothing.
TEST_F(SoundLengthTest, OggFilesAreSummarisedAndDescribedFromTheirFirstPages) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(MakeNoisyWave(Path("noise.wav")));
  std::string log;
  ASSERT_TRUE(sp_testing::RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-y", "-i",
                                      Path("noise.wav"), "-c:a", "libvorbis", Path("a.ogg")},
                                     log))
      << log;
  ASSERT_TRUE(sp_testing::RunProgram(
      {"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
       "testsrc=size=64x48:rate=10:duration=20", "-i", Path("noise.wav"), "-t", "20", "-c:v",
       "libtheora", "-c:a", "libvorbis", Path("video.ogv")},
      log))
      << log;
  const std::vector<UInt8> sound = Bytes("a.ogg");
  ASSERT_GT(sound.size(), 4 * qt::kOggTailSpan);
  for (const auto reading : {qt::Demuxer::kSummary, qt::Demuxer::kDescription}) {
    SCOPED_TRACE(int(reading));
    auto source = std::make_shared<CountingSource>(sound);
    const auto demuxer = qt::Demuxer::Open(source, "a.ogg", reading);
    ASSERT_NE(demuxer, nullptr);
    const AVFormatContext* ctx = demuxer->Context();
    ASSERT_EQ(ctx->nb_streams, 1u);
    EXPECT_EQ(ctx->streams[0]->codecpar->sample_rate, 44100);
    EXPECT_EQ(ctx->streams[0]->codecpar->ch_layout.nb_channels, 2);
    EXPECT_TRUE(qt::SummariseFile(*demuxer).hasSound);
    EXPECT_LE(source->reach, qt::kOggTailSpan) << "of " << sound.size();
  }

  const std::vector<UInt8> video = Bytes("video.ogv");
  const auto whole = qt::Demuxer::Open(std::make_shared<qt::MemorySource>(video), "video.ogv");
  const auto described = qt::Demuxer::Open(std::make_shared<qt::MemorySource>(video), "video.ogv",
                                           qt::Demuxer::kDescription);
  ASSERT_NE(whole, nullptr);
  ASSERT_NE(described, nullptr);
  const AVFormatContext* a = whole->Context();
  const AVFormatContext* b = described->Context();
  ASSERT_EQ(a->nb_streams, 2u);
  ASSERT_EQ(b->nb_streams, 2u);
  EXPECT_NE(b->duration_estimation_method, AVFMT_DURATION_FROM_BITRATE);
  for (unsigned i = 0; i < 2; ++i) {
    EXPECT_GT(b->streams[i]->duration, 0);
    EXPECT_EQ(b->streams[i]->duration, a->streams[i]->duration) << i;
  }

  std::vector<UInt8> fake = {'O', 'g', 'g', 'S', 0, 2};
  fake.resize(4096, 0x5A);
  for (const auto reading : {qt::Demuxer::kSummary, qt::Demuxer::kDescription}) {
    EXPECT_EQ(qt::Demuxer::Open(std::make_shared<qt::MemorySource>(fake), "fake.ogg", reading),
              nullptr);
  }
}

// Long Ogg files damaged or chained: those whose end tells it (cut inside a page, something
// after the last page, another stream chained on), those whose pages between the first and
// the last do not follow one another (a stream chained on under the same serial number, also
// a short one, two of whose pages fit the page numbers of one), and short files walked whole
// with a page damaged anywhere, are counted by decoding them when first opened and convert
// whole; those whose damage lies between the first and the last pages out of sight of the
// probes (a page whose checksum fails, pages left out) state the length their ends give, and
// their conversion reports that it presents fewer or more frames.
TEST_F(SoundLengthTest, LongOggFilesDamagedOrChainedAreCaughtWhenOpenedOrWhenDecoded) {
  SKIP_WITHOUT_FFMPEG();
  if (!Have("oggenc")) GTEST_SKIP() << "oggenc is missing";
  ASSERT_TRUE(MakeNoisyWave(Path("noise.wav")));
  // Serial numbers of their own: oggenc's own choice seeds from the clock, and two encodes
  // within the same second took the same one.
  ASSERT_TRUE(Encode({"oggenc", "-Q", "-s", "1001", Path("noise.wav"), "-o", "OUT"}, "a.ogg"));
  ASSERT_TRUE(Encode({"oggenc", "-Q", "-s", "2002", Path("noise.wav"), "-o", "OUT"}, "b.ogg"));
  ASSERT_TRUE(Encode({"ffmpeg", "-v", "error", "-t", "3", "-i", Path("noise.wav"), "-c:a",
                      "libvorbis", "OUT"},
                     "short.ogg"));
  ASSERT_TRUE(Encode({"opusenc", "--quiet", Path("noise.wav"), "OUT"}, "o.opus"));
  // Five seconds: chained on itself, long enough that its end is searched, and of so few pages
  // that the bytes of both links between its first and last pages fit the page numbers of one.
  ASSERT_TRUE(
      Encode({"ffmpeg", "-v", "error", "-t", "5", "-i", Path("noise.wav"), "OUT"}, "five.wav"));
  ASSERT_TRUE(Encode({"oggenc", "-Q", "-s", "4004", Path("five.wav"), "-o", "OUT"}, "five.ogg"));
  ASSERT_TRUE(Encode({"opusenc", "--quiet", Path("five.wav"), "OUT"}, "five.opus"));
  const std::vector<UInt8> a = Bytes("a.ogg"), b = Bytes("b.ogg"), o = Bytes("o.opus");
  const std::vector<UInt8> fiveV = Bytes("five.ogg"), fiveO = Bytes("five.opus");
  for (const auto* five : {&fiveV, &fiveO}) {
    ASSERT_GT(2 * five->size(), qt::kOggTailSpan + 16384) << "its end searched";
  }
  std::vector<UInt8> shortFlipped = Bytes("short.ogg");
  ASSERT_LT(shortFlipped.size(), 2 * qt::kOggTailSpan) << "walked whole";
  shortFlipped[shortFlipped.size() / 2] ^= 0x55;
  ASSERT_NE(sp::LoadLE32(a.data() + 14), sp::LoadLE32(b.data() + 14));
  const std::vector<std::size_t> pages = OggPageStarts(a);
  ASSERT_GT(pages.size(), 40u);
  const std::size_t middle = pages[pages.size() / 2];
  auto join = [](std::vector<UInt8> x, const std::vector<UInt8>& y) {
    x.insert(x.end(), y.begin(), y.end());
    return x;
  };
  std::vector<UInt8> flipped = a;
  flipped[middle + 100] ^= 0x55;
  std::vector<UInt8> leftOut(a.begin(), a.begin() + std::ptrdiff_t(middle));
  leftOut.insert(leftOut.end(), a.begin() + std::ptrdiff_t(pages[pages.size() / 2 + 3]), a.end());
  enum Caught { kWhenOpened, kWhenDecoded };
  const struct {
    const char* why;
    std::vector<UInt8> bytes;
    Caught caught;
  } cases[] = {
      {"cut inside its last page", std::vector<UInt8>(a.begin(), a.end() - 100), kWhenOpened},
      {"bytes after the last page", join(a, std::vector<UInt8>(3000, 0x2A)), kWhenOpened},
      {"another stream chained on", join(a, b), kWhenOpened},
      // FFmpeg drops a page whose checksum fails.
      {"a page of a short file damaged", shortFlipped, kWhenOpened},
      {"a page amid it damaged", flipped, kWhenDecoded},
      {"pages amid it left out", leftOut, kWhenDecoded},
      {"itself chained on", join(a, a), kWhenOpened},
      {"Opus chained on itself", join(o, o), kWhenOpened},
      {"a short one chained on itself", join(fiveV, fiveV), kWhenOpened},
      {"a short Opus one chained on itself", join(fiveO, fiveO), kWhenOpened},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const std::string name = std::string(c.why) + ".ogg";
    Put(name, c.bytes);
    const qt::SoundLengthCounts before = qt::CountedSoundLengths();
    Media media = SoundMedia(Open(name));
    ASSERT_NE(media, nullptr);
    const TimeValue duration = GetMediaDuration(media);
    SInt64 frames = 0;
    const OSErr converted = Convert(media, &frames);
    if (c.caught == kWhenOpened) {
      EXPECT_EQ(qt::CountedSoundLengths().decoded, before.decoded + 1);
      EXPECT_EQ(duration, FramesFfmpegDecodes(Path(name)));
      EXPECT_EQ(converted, noErr);
      EXPECT_EQ(frames, duration);
    } else {
      EXPECT_EQ(qt::CountedSoundLengths().decoded, before.decoded);
      EXPECT_NE(converted, noErr);
    }
  }
}

// A stream chained on under the first one's serial number (opusenc --serial and oggenc -s
// given one number, the files joined), after a first stream of a second (amid the pages walked
// at the start), of a twentieth, an eighth or half of the file: the file is counted by
// decoding it when opened, to the frames FFmpeg decodes, and converts whole.
TEST_F(SoundLengthTest, OggStreamsChainedUnderOneSerialAfterAShortFirstAreCountedWhenOpened) {
  SKIP_WITHOUT_FFMPEG();
  if (!Have("oggenc") || !Have("opusenc")) GTEST_SKIP() << "oggenc or opusenc is missing";
  constexpr double kSeconds = 90;
  std::string log;
  ASSERT_TRUE(sp_testing::RunProgram(
      {"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
       "anoisesrc=color=pink:amplitude=0.2:r=44100:d=" + std::to_string(int(kSeconds)), "-ac", "2",
       Path("long.wav")},
      log))
      << log;
  const auto encode = [&](const std::string& codec, const std::string& wav,
                          const std::string& name) {
    const std::vector<std::string> argv =
        codec == "opus"
            ? std::vector<std::string>{"opusenc", "--quiet", "--serial", "4242", Path(wav), "OUT"}
            : std::vector<std::string>{"oggenc", "-Q", "-s", "4242", Path(wav), "-o", "OUT"};
    return Encode(argv, name) ? Bytes(name) : std::vector<UInt8>();
  };
  const std::vector<UInt8> longOpus = encode("opus", "long.wav", "long.opus");
  const std::vector<UInt8> longVorbis = encode("vorbis", "long.wav", "long.ogg");
  ASSERT_FALSE(longOpus.empty() || longVorbis.empty());
  // The first stream's share of the file: 0 for one second.
  for (const double share : {0.0, 1.0 / 20, 1.0 / 8, 1.0 / 2}) {
    const double seconds = share == 0 ? 1 : kSeconds * share / (1 - share);
    const std::string first = "first" + std::to_string(seconds);
    ASSERT_TRUE(
        sp_testing::RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", Path("long.wav"),
                                "-t", std::to_string(seconds), Path(first + ".wav")},
                               log))
        << log;
    for (const auto* codec : {"opus", "vorbis"}) {
      const std::string name = first + "." + codec;
      SCOPED_TRACE(name);
      std::vector<UInt8> bytes = encode(codec, first + ".wav", name);
      ASSERT_FALSE(bytes.empty());
      const std::vector<UInt8>& second = std::string(codec) == "opus" ? longOpus : longVorbis;
      const double made = double(bytes.size()) / double(bytes.size() + second.size());
      if (share > 0) {
        EXPECT_NEAR(made, share, share / 5) << "the first stream's share";
      }
      bytes.insert(bytes.end(), second.begin(), second.end());
      Put(name, bytes);
      const qt::SoundLengthCounts before = qt::CountedSoundLengths();
      Media media = SoundMedia(Open(name));
      ASSERT_NE(media, nullptr);
      const TimeValue duration = GetMediaDuration(media);
      EXPECT_EQ(duration, FramesFfmpegDecodes(Path(name)));
      EXPECT_EQ(qt::CountedSoundLengths().decoded, before.decoded + 1);
      SInt64 frames = 0;
      EXPECT_EQ(Convert(media, &frames), noErr);
      EXPECT_EQ(frames, duration);
    }
  }
}

// A short first stream of many bytes to the second chained on under its serial number before
// one of few (a jingle at 256 kbit/s before speech at 12): the pages probed when the file is
// opened can miss the chain, but its packets, counted when a conversion asks for them, show
// it: the file is then counted by decoding, its length FFmpeg's, kept for it, and it converts
// whole instead of failing on the sound past the length first found.
TEST_F(SoundLengthTest, AChainThePagesProbedMissedIsFoundWhenItsPacketsAreCounted) {
  SKIP_WITHOUT_FFMPEG();
  if (!Have("opusenc")) GTEST_SKIP() << "opusenc is missing";
  std::string log;
  const auto made = [&](int seconds, const char* bitrate, const std::string& name) {
    return sp_testing::RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                                   "anoisesrc=color=pink:amplitude=0.2:r=48000:d=" +
                                       std::to_string(seconds),
                                   "-ac", "2", Path(name + ".wav")},
                                  log) &&
           Encode({"opusenc", "--quiet", "--serial", "4242", "--bitrate", bitrate,
                   Path(name + ".wav"), "OUT"},
                  name + ".opus");
  };
  ASSERT_TRUE(made(4, "256", "jingle") && made(120, "12", "speech")) << log;
  std::vector<UInt8> bytes = Bytes("jingle.opus");
  const std::vector<UInt8> speech = Bytes("speech.opus");
  bytes.insert(bytes.end(), speech.begin(), speech.end());
  Put("chain.opus", bytes);
  const SInt64 frames = FramesFfmpegDecodes(Path("chain.opus"));
  const qt::SoundLengthCounts before = qt::CountedSoundLengths();
  Media media = SoundMedia(Open("chain.opus"));
  ASSERT_NE(media, nullptr);
  const TimeValue opened = GetMediaDuration(media);
  ASSERT_EQ(qt::CountedSoundLengths().decoded, before.decoded) << "the chain is found when opened";
  EXPECT_NE(opened, frames);
  EXPECT_GT(GetMediaSampleCount(media), 0);
  EXPECT_EQ(GetMediaDuration(media), frames);
  EXPECT_EQ(qt::CountedSoundLengths().decoded, before.decoded + 1);
  SInt64 converted = 0;
  EXPECT_EQ(Convert(media, &converted), noErr);
  EXPECT_EQ(converted, frames);
  // Kept: opened again, the file has that length without being read again.
  Media again = SoundMedia(Open("chain.opus"));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(GetMediaDuration(again), frames);
  EXPECT_EQ(qt::CountedSoundLengths().decoded, before.decoded + 1);
}

// An Ogg stream's length needs its first and last pages alone: its packets are counted only
// when asked for, once for the file, from blocks of it read whole (not a read for each page's
// header), and come to those ffprobe reads, for Vorbis and Opus, each chained on itself, cut
// at a page's end and cut inside a page.
TEST_F(SoundLengthTest, OggPacketsAreCountedOnlyWhenAskedFromLargeReadsAndKeptForTheFile) {
  SKIP_WITHOUT_FFMPEG();
  if (!Have("oggenc") || !Have("opusenc")) GTEST_SKIP() << "oggenc or opusenc is missing";
  ASSERT_TRUE(MakeNoisyWave(Path("noise.wav")));
  ASSERT_TRUE(Encode({"oggenc", "-Q", "-s", "3003", Path("noise.wav"), "-o", "OUT"}, "v.ogg"));
  ASSERT_TRUE(Encode({"opusenc", "--quiet", Path("noise.wav"), "OUT"}, "o.opus"));
  const std::vector<UInt8> v = Bytes("v.ogg"), o = Bytes("o.opus");
  const std::vector<std::size_t> pages = OggPageStarts(v);
  ASSERT_GT(pages.size(), 40u);
  const auto twice = [](std::vector<UInt8> x) {
    x.insert(x.end(), x.begin(), x.end());
    return x;
  };
  const std::vector<UInt8> cutAtPage(v.begin(),
                                     v.begin() + std::ptrdiff_t(pages[pages.size() / 2]));
  const std::vector<UInt8> cutInPage(o.begin(), o.begin() + std::ptrdiff_t(o.size() * 2 / 3));
  // ffprobe also counts the headers of an Opus stream chained on, which hold no sound.
  const struct {
    const char* name;
    std::vector<UInt8> bytes;
    SInt64 headersAmid;
  } cases[] = {{"vorbis.ogg", v, 0},
               {"opus.opus", o, 0},
               {"vorbis twice.ogg", twice(v), 0},
               {"opus twice.opus", twice(o), 2},
               {"vorbis cut at a page.ogg", cutAtPage, 0},
               {"opus cut in a page.opus", cutInPage, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Put(c.name, c.bytes);
    const SInt64 theirs = sp_testing::FfprobePacketCount(Path(c.name)) - c.headersAmid;
    ASSERT_GT(theirs, 100);
    const qt::SoundLengthCounts before = qt::CountedSoundLengths();
    Media media = SoundMedia(Open(c.name));
    ASSERT_NE(media, nullptr);
    EXPECT_GT(GetMediaDuration(media), 0);
    // Files whose ends do not settle the length are decoded, their packets counted with it.
    const SInt32 known = SpGetMediaSampleCountIfKnown(media);
    const bool decoded = qt::CountedSoundLengths().decoded > before.decoded;
    EXPECT_EQ(known, decoded ? theirs : -1);
    EXPECT_EQ(qt::CountedSoundLengths().packetsCounted, before.packetsCounted);
    EXPECT_EQ(GetMediaSampleCount(media), theirs);
    EXPECT_EQ(qt::CountedSoundLengths().packetsCounted, before.packetsCounted + (decoded ? 0 : 1));
    EXPECT_EQ(SpGetMediaSampleCountIfKnown(SoundMedia(Open(c.name))), theirs) << "kept";

    CountingSource source(c.bytes);
    const SInt64 walked = qt::OggPacketCount(source, media->sound.codecSetup);
    EXPECT_TRUE(walked == theirs || (walked == -1 && decoded)) << walked;
    EXPECT_LE(source.calls, 2 + c.bytes.size() / (256 * 1024)) << "read in large blocks";
  }
}

// Files counted one after another, long after short and short after long, of either codec,
// each give their own count: nothing of one file's blocks or pages is taken for the next's.
TEST_F(SoundLengthTest, OggPacketsOfFilesCountedInTurnAreEachFilesOwn) {
  SKIP_WITHOUT_FFMPEG();
  if (!Have("oggenc") || !Have("opusenc")) GTEST_SKIP() << "oggenc or opusenc is missing";
  ASSERT_TRUE(MakeNoisyWave(Path("noise.wav")));
  ASSERT_TRUE(Encode({"oggenc", "-Q", "-q", "6", "-s", "5005", Path("noise.wav"), "-o", "OUT"},
                     "long.ogg"));
  ASSERT_TRUE(
      Encode({"opusenc", "--quiet", "--bitrate", "160", Path("noise.wav"), "OUT"}, "long.opus"));
  ASSERT_TRUE(
      Encode({"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "libvorbis", "OUT"}, "short.ogg"));
  ASSERT_TRUE(Encode({"opusenc", "--quiet", "IN", "OUT"}, "short.opus"));
  struct File {
    std::vector<UInt8> bytes, setup;
    SInt64 theirs;
  };
  std::map<std::string, File> files;
  for (const char* name : {"long.ogg", "long.opus", "short.ogg", "short.opus"}) {
    Media media = SoundMedia(Open(name));
    ASSERT_NE(media, nullptr) << name;
    files[name] = {Bytes(name), media->sound.codecSetup,
                   sp_testing::FfprobePacketCount(Path(name))};
  }
  // More than one of the count's blocks of 256 KiB, and less than one.
  for (const char* name : {"long.ogg", "long.opus"}) {
    ASSERT_GT(files[name].bytes.size(), 384u * 1024) << name;
  }
  for (const char* name : {"short.ogg", "short.opus"}) {
    ASSERT_LT(files[name].bytes.size(), 128u * 1024) << name;
  }
  for (const char* name :
       {"long.ogg", "short.ogg", "long.opus", "short.opus", "short.ogg", "long.ogg"}) {
    const File& f = files[name];
    qt::MemorySource source(f.bytes);
    EXPECT_EQ(qt::OggPacketCount(source, f.setup), f.theirs) << name;
  }
}

// A long FLAC file is read at its first and last kilobytes; bytes of no sound after its last
// frame, more than the first search spans, have the search look further back.
TEST_F(SoundLengthTest, LongFlacFilesAreReadAtTheirEnds) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(MakeNoisyWave(Path("noise.wav")));
  ASSERT_TRUE(Encode({"ffmpeg", "-v", "error", "-i", Path("noise.wav"), "OUT"}, "a.flac"));
  const std::vector<UInt8> flac = Bytes("a.flac");
  std::vector<UInt8> junk = flac;
  for (std::size_t i = 0; i < 100000; ++i) junk.push_back(UInt8(i * 7 + 1));
  CountingSource plain(flac), after(junk);
  EXPECT_TRUE(qt::StartsAsFlac(plain)) << "opened as FLAC without FFmpeg's probe";
  qt::StatedLength a, b;
  ASSERT_TRUE(qt::FlacStatedLength(plain, a));
  EXPECT_LE(plain.read, 64u * 1024) << "of " << flac.size();
  ASSERT_TRUE(qt::FlacStatedLength(after, b));
  ExpectSameLength(a, b);
  EXPECT_EQ(b.soundEnd, SInt64(flac.size()));
}

// The quick look at a FLAC's STREAMINFO and an MP3's first header gives the channels and rate
// ffprobe reads, and so does the description of the media made from the file.
TEST_F(SoundLengthTest, QuickLooksGiveTheChannelsAndRateFfprobeReads) {
  SKIP_WITHOUT_FFMPEG();
  struct Case {
    const char* name;
    int channels, rate;
  };
  const Case cases[] = {{"m.flac", 1, 44100}, {"t.flac", 3, 96000}, {"six.flac", 6, 22050},
                        {"m.mp3", 1, 44100}, {"s.mp3", 2, 32000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(Encode({"ffmpeg", "-v", "error", "-f", "lavfi", "-i",
                        "sine=f=440:r=" + std::to_string(c.rate) + ":d=0.5", "-ac",
                        std::to_string(c.channels), "OUT"},
                       c.name));
    std::string probe;
    ASSERT_TRUE(sp_testing::RunProgram({"ffprobe", "-v", "error", "-select_streams", "a:0",
                                        "-show_entries", "stream=channels,sample_rate", "-of",
                                        "csv=p=0", Path(c.name)},
                                       probe));
    int channels = 0, rate = 0;
    ASSERT_EQ(std::sscanf(probe.c_str(), "%d,%d", &rate, &channels), 2) << probe;
    ASSERT_EQ(channels, c.channels);
    qt::MemorySource source(Bytes(c.name));
    qt::StatedFormat format;
    const bool flac = std::string(c.name).find(".flac") != std::string::npos;
    ASSERT_TRUE(flac ? qt::StartsAsFlac(source, &format) : qt::StartsAsMpegAudio(source, &format));
    EXPECT_EQ(int(format.channels), channels);
    EXPECT_EQ(int(format.rate), rate);
    Media media = SoundMedia(Open(c.name));
    ASSERT_NE(media, nullptr);
    const SoundDescriptionV1 d = Describe(media);
    EXPECT_EQ(d.desc.numChannels, channels);
    // A description's rate is 16.16 fixed point: only rates below 65,536 Hz are held there.
    if (rate < 65536) {
      EXPECT_EQ(d.desc.sampleRate >> 16, UInt32(rate));
    }
  }
}

// Long MP3 files whose tag frame states their frames and bytes are read at their first and
// last bytes only, and give what reading every frame header gives: that of ffmpeg's decoding.
// A tag whose bytes or constant rate do not fit the file, one of an encoder that may count its
// tag frame, whose CRC no longer holds, or a Lyrics3 tag after the sound, has every frame
// header read; a count that fits, changed by a tool that wrote the CRC anew, is reported when
// decoded.
TEST_F(SoundLengthTest, TaggedMp3FilesAreReadAtTheirEndsAndLiesCaught) {
  SKIP_WITHOUT_FFMPEG();
  if (!Have("lame")) GTEST_SKIP() << "lame is missing";
  // Twelve seconds of noise: files of 100 to 200 KB.
  ASSERT_TRUE(MakeNoisyWave(Path("noise.wav")));
  ASSERT_TRUE(
      Encode({"ffmpeg", "-v", "error", "-t", "12", "-i", Path("noise.wav"), "OUT"}, "short.wav"));
  const std::string noise = Path("short.wav");
  qt::MemorySource wave(Bytes("short.wav"));
  EXPECT_FALSE(qt::StartsAsMpegAudio(wave));
  EXPECT_FALSE(qt::StartsAsFlac(wave));
  ASSERT_TRUE(Encode({"lame", "--quiet", noise, "OUT"}, "cbr.mp3"));
  ASSERT_TRUE(Encode({"lame", "--quiet", "-V", "2", noise, "OUT"}, "vbr.mp3"));
  ASSERT_TRUE(Encode({"lame", "--quiet", "-V", "5", "--tt", "T", "--id3v1-only", noise, "OUT"},
                     "id3v1.mp3"));
  ASSERT_TRUE(
      Encode({"ffmpeg", "-v", "error", "-i", noise, "-c:a", "libmp3lame", "OUT"}, "ffmpeg.mp3"));
  // Where the tag frame's count and bytes are.
  auto tagAt = [](const std::vector<UInt8>& mp3) {
    std::size_t at = 0;
    while (at + 16 < std::min<std::size_t>(mp3.size(), 200) &&
           std::memcmp(mp3.data() + at, "Info", 4) != 0 &&
           std::memcmp(mp3.data() + at, "Xing", 4) != 0)
      ++at;
    EXPECT_EQ(sp::LoadBE32(mp3.data() + at + 4) & 3, 3u) << "a count and bytes";
    return at;
  };
  auto changed = [&](const std::string& from, std::size_t field, SInt32 by) {
    std::vector<UInt8> bytes = Bytes(from);
    UInt8* p = bytes.data() + tagAt(bytes) + 8 + field;
    sp::StoreBE32(p, UInt32(SInt32(sp::LoadBE32(p)) + by));
    return bytes;
  };
  // The encoder's tag's CRC-16 (reflected, polynomial 0x8005) of the tag frame's bytes before
  // it, as a tool that changes the count may write it.
  auto withCrcAnew = [&](std::vector<UInt8> bytes) {
    const std::size_t crcAt = tagAt(bytes) + 120 + 34;
    UInt32 crc = 0;
    for (std::size_t i = 0; i < crcAt; ++i) {
      crc ^= bytes[i];
      for (int b = 0; b < 8; ++b) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    sp::StoreBE16(bytes.data() + crcAt, UInt16(crc));
    return bytes;
  };
  // The encoder's name after the tag's fields (count, bytes, table, quality) made another's.
  std::vector<UInt8> otherEncoder = Bytes("vbr.mp3");
  std::memcpy(otherEncoder.data() + tagAt(otherEncoder) + 120, "Xenc", 4);
  std::vector<UInt8> ape = Bytes("vbr.mp3");
  const char apeFooter[] = "APETAGEX\xD0\x07\0\0\x20\0\0\0";
  ape.insert(ape.end(), apeFooter, apeFooter + 16);
  ape.resize(ape.size() + 16, 0);
  std::vector<UInt8> lyrics = Bytes("vbr.mp3");
  const std::string lyricsTag = "LYRICSBEGININD0000210000021LYRICS200";
  lyrics.insert(lyrics.end(), lyricsTag.begin(), lyricsTag.end());

  // The last frame's header spoilt (where ffprobe places the last packet): the frames no longer
  // run to the end.
  std::string positions;
  ASSERT_TRUE(sp_testing::RunProgram(
      {"ffprobe", "-v", "error", "-show_entries", "packet=pos", "-of", "csv=p=0", Path("vbr.mp3")},
      positions));
  std::size_t last = 0;
  std::istringstream lines(positions);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0]))) last = std::stoul(line);
  }
  std::vector<UInt8> lastSpoilt = Bytes("vbr.mp3");
  ASSERT_EQ(lastSpoilt.at(last), 0xFF);
  lastSpoilt[last + 1] = 0;
  enum Read { kEnds, kEveryFrame, kLieReported };
  const struct {
    const char* why;
    std::vector<UInt8> bytes;
    Read read;
  } cases[] = {
      {"constant rate", Bytes("cbr.mp3"), kEnds},
      {"varying rate", Bytes("vbr.mp3"), kEnds},
      {"ID3v1 after it", Bytes("id3v1.mp3"), kEnds},
      {"ffmpeg's tag", Bytes("ffmpeg.mp3"), kEnds},
      {"APE tag after it", ape, kEnds},
      {"Lyrics3 tag after it", lyrics, kEveryFrame},
      {"another encoder's tag", otherEncoder, kEveryFrame},
      {"its last frame spoilt", lastSpoilt, kEveryFrame},
      {"bytes stated one short", changed("vbr.mp3", 4, -1), kEveryFrame},
      {"bytes stated one more", changed("vbr.mp3", 4, 1), kEveryFrame},
      // 460 frames of 417 or 418 bytes: no other count fits them.
      {"a constant rate's count lowered", changed("cbr.mp3", 0, -2), kEveryFrame},
      {"a constant rate's count raised", changed("cbr.mp3", 0, 2), kEveryFrame},
      // The encoder's tag no longer matches its CRC.
      {"a varying rate's count raised", changed("vbr.mp3", 0, 2), kEveryFrame},
      {"a varying rate's count lowered", changed("vbr.mp3", 0, -2), kEveryFrame},
      {"a varying rate's count raised, the CRC written anew",
       withCrcAnew(changed("vbr.mp3", 0, 2)), kLieReported},
      {"a varying rate's count lowered, the CRC written anew",
       withCrcAnew(changed("vbr.mp3", 0, -2)), kLieReported},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const std::string name = std::string(c.why) + ".mp3";
    Put(name, c.bytes);
    CountingSource source(c.bytes);
    EXPECT_TRUE(qt::StartsAsMpegAudio(source)) << "opened as MPEG audio without FFmpeg's probe";
    qt::StatedLength length;
    ASSERT_TRUE(qt::MpegAudioStatedLength(source, length));
    if (c.read == kEveryFrame) {
      EXPECT_GE(source.read, c.bytes.size() - 4096) << "every frame header read";
    } else {
      EXPECT_LE(source.read, 32u * 1024) << "of " << c.bytes.size();
    }
    const qt::SoundLengthCounts before = qt::CountedSoundLengths();
    Media media = SoundMedia(Open(name));
    ASSERT_NE(media, nullptr);
    const TimeValue duration = GetMediaDuration(media);
    EXPECT_EQ(qt::CountedSoundLengths().decoded, before.decoded) << "found without decoding";
    SInt64 frames = 0;
    const OSErr converted = Convert(media, &frames);
    if (c.read == kLieReported) {
      EXPECT_NE(converted, noErr);
    } else {
      EXPECT_EQ(duration, FramesFfmpegDecodes(Path(name)));
      EXPECT_EQ(converted, noErr);
      EXPECT_EQ(frames, duration);
      TimeValue end = 0;
      SInt32 packets = 0;
      EXPECT_EQ(ReadToEnd(media, 1 << 20, &end, &packets), invalidTime);
      EXPECT_EQ(packets, GetMediaSampleCount(media));
    }
  }
}

// An MP3 with LAME's tag and another MP3 joined on: FFmpeg takes the tag's count (and drops
// the first part's padding where the count ends) while the file is larger than the tag's
// bytes by a sixteenth at most, and counts every frame once it is larger by one byte more.
// The length listed is FFmpeg's either side.
TEST_F(SoundLengthTest, AJoinedMp3IsCountedAsFfmpegDoesEitherSideOfASixteenth) {
  SKIP_WITHOUT_FFMPEG();
  if (!Have("lame")) GTEST_SKIP() << "lame is missing";
  ASSERT_TRUE(MakeNoisyWave(Path("noise.wav")));
  ASSERT_TRUE(Encode({"lame", "--quiet", Path("noise.wav"), "OUT"}, "a.mp3"));
  ASSERT_TRUE(Encode({"ffmpeg", "-v", "error", "-i", Path("noise.wav"), "-c:a", "libmp3lame",
                      "-write_xing", "0", "-id3v2_version", "0", "OUT"},
                     "b.mp3"));
  const std::vector<UInt8> a = Bytes("a.mp3"), b = Bytes("b.mp3");
  std::size_t tag = 0;
  while (tag + 16 < 200 && std::memcmp(a.data() + tag, "Info", 4) != 0 &&
         std::memcmp(a.data() + tag, "Xing", 4) != 0)
    ++tag;
  ASSERT_EQ(sp::LoadBE32(a.data() + tag + 4) & 2, 2u) << "the tag states its bytes";
  const UInt32 tagBytes = sp::LoadBE32(a.data() + tag + 12);
  ASSERT_EQ(tagBytes, a.size());
  // The bytes joined on, beyond the first frame header's 4: a sixteenth of the tag's bytes,
  // then one more.
  const std::size_t sixteenth = tagBytes >> 4;
  ASSERT_GT(b.size(), sixteenth + 4);
  SInt64 lengths[2] = {};
  for (const std::size_t more : {std::size_t(0), std::size_t(1)}) {
    SCOPED_TRACE(more);
    // Whole frames of the second file up to the size, filled up with zeros (no sound).
    std::vector<UInt8> joined = a;
    const std::size_t want = sixteenth + 4 + more;
    std::size_t at = 0;
    for (;;) {
      std::size_t frame = 0;
      const UInt8* h = b.data() + at;
      ASSERT_EQ(h[0], 0xFF);
      static const UInt32 kRates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224,
                                        256, 320, 0};
      frame = 144000 * kRates[h[2] >> 4] / 44100 + ((h[2] >> 1) & 1);
      if (at + frame > want) break;
      at += frame;
    }
    joined.insert(joined.end(), b.begin(), b.begin() + std::ptrdiff_t(at));
    joined.resize(a.size() + want, 0);
    const std::string name = "joined" + std::to_string(more) + ".mp3";
    Put(name, joined);
    Media media = SoundMedia(Open(name));
    ASSERT_NE(media, nullptr);
    lengths[more] = GetMediaDuration(media);
    EXPECT_EQ(lengths[more], FramesFfmpegDecodes(Path(name)));
  }
  // The first part's padding, dropped only where the count is taken.
  EXPECT_LT(lengths[0], lengths[1]);
}

// FFmpeg looks into the first packets of a 16-bit WAVE for DTS carried as PCM, and opening
// looks at fewer of them than FFmpeg would (each look runs every format's probe) and reads
// little more: a WAVE that carries DTS is still told from one that carries sound, and a
// description of a long WAVE reads its header and first packets only.
TEST_F(SoundLengthTest, AWaveCarryingDtsIsStillToldAsDts) {
  SKIP_WITHOUT_FFMPEG();
  ASSERT_TRUE(sp_testing::WriteTestWave(Path("pcm.wav"), 2, 44100, 441000));
  {
    auto source = std::make_shared<CountingSource>(Bytes("pcm.wav"));
    const auto described = qt::Demuxer::Open(source, "pcm.wav", qt::Demuxer::kDescription);
    ASSERT_NE(described, nullptr);
    EXPECT_EQ(described->Context()->streams[0]->codecpar->codec_id, AV_CODEC_ID_PCM_S16LE);
    EXPECT_LE(source->reach, 192u * 1024) << "of " << Bytes("pcm.wav").size();
  }
  // DTS frames written as the samples of a 16-bit WAVE.
  ASSERT_TRUE(Encode({"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "dca", "-strict", "-2", "-f",
                      "dts", "OUT"},
                     "tone.dts"));
  std::string log;
  ASSERT_TRUE(sp_testing::RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "s16le",
                                      "-ar", "44100", "-ac", "2", "-i", Path("tone.dts"), "-c:a",
                                      "pcm_s16le", Path("dts.wav")},
                                     log))
      << log;
  Media pcm = SoundMedia(Open("pcm.wav"));
  Media dts = SoundMedia(Open("dts.wav"));
  ASSERT_TRUE(pcm != nullptr && dts != nullptr);
  EXPECT_NE(Describe(dts).desc.dataFormat, Describe(pcm).desc.dataFormat);
}

}  // namespace
}  // namespace quicktime_test
