// Test API: sound and movie files for the QuickTime layer's tests. AIFF and WAVE files are
// written with our own bytes; everything else is made by the ffmpeg command-line tool, which
// tests skip without (FfmpegAvailable).
#pragma once

#include <string>
#include <vector>

#include "MacTypes.h"

namespace sp_testing {

// The 16-bit sample the test files hold at that frame and channel: a ramp that differs per
// channel, so that a swapped channel or a shifted frame shows.
SInt16 TestSampleValue(UInt32 frame, UInt16 channel);

// A 16-bit AIFF file ('FORM' 'AIFF', COMM, SSND) or WAVE file (RIFF, fmt, data) of `frames`
// frames of TestSampleValue. False when the file cannot be written.
bool WriteTestAiff(const std::string& path, UInt16 channels, UInt32 rate, UInt32 frames);
bool WriteTestWave(const std::string& path, UInt16 channels, UInt32 rate, UInt32 frames);

// True when the ffmpeg tool can be run.
bool FfmpegAvailable();
// Runs ffmpeg with these arguments (after "-v error -y -nostdin"); true when it succeeded and
// made `output` (which should be the last argument). No shell is involved.
bool RunFfmpeg(const std::vector<std::string>& arguments, const std::string& output);
// A sine tone made by ffmpeg: `seconds` long, at `rate` with `channels`, encoded with
// `codec` ("pcm_s16be", "aac", "libmp3lame", ...), with `extra` arguments (metadata, ...)
// before the output file.
bool MakeToneWithFfmpeg(const std::string& path, const std::string& codec, UInt32 rate,
                        UInt16 channels, double seconds,
                        const std::vector<std::string>& extra = {});

// Runs a program (looked up on PATH; no shell) and gives what it wrote to its standard
// output, and with `withErrors` also its standard error; true when it exited with status 0.
bool RunProgram(const std::vector<std::string>& argv, std::string& output, bool withErrors = false);

// Movie files made from now on leave `bytes` zero bytes (a hole) before their first sample, so
// that a test reaches offsets past 4 GiB without writing them (0: none again).
void SetMovieWriterPadding(UInt64 bytes);

// How many sound lengths were found by reading a file since the start (a kept length is not
// counted again), and how many of those by decoding it.
struct SoundLengthCounts {
  UInt64 found = 0;
  UInt64 decoded = 0;
  UInt64 opened = 0;  // files FFmpeg was asked to open
  UInt64 probed = 0;  // of those, the ones whose streams it decoded to learn them
  // Media whose packets were counted after their length was found without them (an Ogg
  // stream's pages walked to the end).
  UInt64 packetsCounted = 0;
};
SoundLengthCounts CountedSoundLengths();
// The lengths kept for files are forgotten (a test that rewrites a file in place).
void ForgetSoundLengths();

// What ffprobe says of the first audio stream of a file: its duration and start time in
// seconds (what it presents runs from the start to the start plus the duration, less the
// start: duration - start is the length presented), sample rate and channels. False when
// ffprobe cannot be run or finds no audio stream.
struct ProbedStream {
  double duration = 0;
  double startTime = 0;
  UInt32 sampleRate = 0;
  UInt16 channels = 0;
};
bool ProbeAudioStream(const std::string& path, ProbedStream& out);
// The packets of the file's first audio stream as ffprobe reads them; -1 when it cannot.
SInt64 FfprobePacketCount(const std::string& path);

// The file's first audio stream as ffmpeg decodes it: 16-bit big-endian samples at 44.1 kHz
// in two channels. False when ffmpeg cannot be run or fails.
bool DecodeWithFfmpeg(const std::string& path, std::string& samples);

}  // namespace sp_testing
