// The fixture of the tests of sound lengths: a tone encoded by the encoders people use, the
// bytes of files and the frames the Sound Converter makes of a media.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>

#include "ByteOrder.h"
#include "QuickTimeFixture.h"
#include "QuickTimeSamples.h"
#include "quicktime/detail/ByteSource.h"
#include "quicktime/detail/MovieData.h"
#include "quicktime/detail/StatedLength.h"

namespace quicktime_test {

namespace qt = sp_platform::quicktime;

constexpr SInt64 kSourceFrames = 321930;  // 7.3 s at 44.1 kHz

class SoundLengthTest : public QuickTimeTest {
 protected:
  void SetUp() override {
    QuickTimeTest::SetUp();
    qt::ForgetSoundLengths();
  }

  static bool Have(const char* tool) {
    std::string out;
    return sp_testing::RunProgram({"sh", "-c", std::string("command -v ") + tool}, out);
  }

  // A tone of `seconds` at 44.1 kHz as a stereo WAVE file of the test's.
  std::string Tone(const std::string& name, const char* seconds) {
    std::string log;
    EXPECT_TRUE(sp_testing::RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi",
                                        "-i",
                                        std::string("sine=f=440:r=44100:d=") + seconds,
                                        "-ac", "2", Path(name)},
                                       log))
        << log;
    return Path(name);
  }

  // The source sound (a tone of kSourceFrames stereo frames) as a WAVE file.
  std::string Source() {
    const std::string path = Path("source.wav");
    std::string log;
    if (access(path.c_str(), F_OK) != 0) {
      EXPECT_TRUE(sp_testing::RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi",
                                          "-i", "sine=f=440:d=7.3:r=44100", "-ac", "2", path},
                                         log))
          << log;
    }
    return path;
  }

  // The source encoded by a command whose "IN" and "OUT" stand for the paths.
  bool Encode(std::vector<std::string> argv, const std::string& name) {
    const std::string source = Source();
    for (std::string& a : argv) {
      if (a == "IN") a = source;
      if (a == "OUT") a = Path(name);
    }
    std::string log;
    const bool ok = sp_testing::RunProgram(argv, log, true);
    EXPECT_TRUE(ok) << log;
    return ok;
  }

  std::vector<UInt8> Bytes(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::vector<UInt8>(std::istreambuf_iterator<char>(in), {});
  }
  void Put(const std::string& name, const std::vector<UInt8>& bytes) const {
    WriteFile(name, std::string(bytes.begin(), bytes.end()));
  }

  // iTunes' gapless tag on an MPEG-4 file, as mutagen writes it: a delay of 2112 frames.
  void AddGaplessTag(const std::string& name) {
    const char* script =
        "import sys\n"
        "from mutagen.mp4 import MP4, MP4FreeForm\n"
        "f = MP4(sys.argv[1])\n"
        "f['----:com.apple.iTunes:iTunSMPB'] = [MP4FreeForm(b' 00000000 00000840 00000000 "
        "0000000000000000' + b' 00000000' * 8)]\n"
        "f.save()\n";
    std::string log;
    EXPECT_TRUE(sp_testing::RunProgram({"/usr/bin/python3", "-c", script, Path(name)}, log, true))
        << log;
  }

  // The frames ffmpeg decodes from a movie, up to the end of its sound stream as ffprobe states
  // it (an edit list's end, or the sample table's) counted from the first frame presented, that
  // many frames later when FFmpeg skips `later` more than the edit list does.
  SInt64 FramesToStreamEnd(const std::string& name, SInt64 later = 0) {
    std::string probe;
    EXPECT_TRUE(
        sp_testing::RunProgram({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                                "stream=start_pts,duration_ts", "-of", "csv=p=0", Path(name)},
                               probe));
    long long start = 0, duration = 0;
    EXPECT_EQ(std::sscanf(probe.c_str(), "%lld,%lld", &start, &duration), 2) << probe;
    return std::min<SInt64>(FramesFfmpegDecodes(Path(name)), duration - start - later);
  }

  // Two counts of a stream give the same length, field by field.
  static void ExpectSameLength(const qt::StatedLength& a, const qt::StatedLength& b) {
    EXPECT_EQ(a.presented, b.presented);
    EXPECT_EQ(a.priming, b.priming);
    EXPECT_EQ(a.packets, b.packets);
    EXPECT_EQ(a.mostPacketFrames, b.mostPacketFrames);
  }

  // The bytes of a file made once for the test binary's run (encoders are slow), by `argv` as
  // in Encode.
  // The argument "TONE=S" stands for a tone of S seconds made for it.
  std::vector<UInt8> Made(const std::string& name, std::vector<std::string> argv) {
    static std::map<std::string, std::vector<UInt8>> made;
    auto it = made.find(name);
    if (it == made.end()) {
      for (std::string& a : argv) {
        if (a.compare(0, 5, "TONE=") == 0) a = Tone(name + ".wav", a.c_str() + 5);
      }
      if (!Encode(argv, name)) return {};
      it = made.emplace(name, Bytes(name)).first;
    }
    return it->second;
  }

  // The frames the converter makes of a media's packets, and its error.
  static OSErr Convert(Media media, SInt64* frames) {
    std::vector<UInt8> decoded;
    bool withParameters = false;
    const SoundDescriptionV1 d = Describe(media);
    const OSErr err = DecodeToSixteenBits(media, d, &decoded, &withParameters);
    *frames = SInt64(decoded.size() / 2 / std::size_t(std::max<SInt16>(d.desc.numChannels, 1)));
    return err;
  }
};

}  // namespace quicktime_test
