// Test API: sound and movie fixture files.

#include "TestQuickTime.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "ByteOrder.h"
#include "quicktime/internal/SoundLengthCounts.h"
#include "quicktime/internal/MovieWriterHooks.h"

extern char** environ;

namespace sp_testing {
namespace {

bool WriteBytes(const std::string& path, const std::vector<UInt8>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

// Runs a program and gives what it wrote to its standard output; true when it exited with
// status 0 (*status, when given, gets the status, -1 when it did not exit).
bool RunAndRead(const std::vector<std::string>& argv, std::string& output, int* status = nullptr,
                bool withErrors = false) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return false;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  if (withErrors) posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  output.clear();
  if (spawned == 0) {
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
      output.append(buffer, std::size_t(n));
  }
  ::close(pipeEnds[0]);
  if (status != nullptr) *status = -1;
  if (spawned != 0) return false;
  int raw = 0;
  if (waitpid(pid, &raw, 0) != pid || !WIFEXITED(raw)) return false;
  if (status != nullptr) *status = WEXITSTATUS(raw);
  return WEXITSTATUS(raw) == 0;
}

// Runs a program; its exit status (-1 when it could not be run or did not exit).
int Run(const std::vector<std::string>& argv) {
  std::string ignored;
  int status = -1;
  RunAndRead(argv, ignored, &status);
  return status;
}

}  // namespace

bool RunProgram(const std::vector<std::string>& argv, std::string& output, bool withErrors) {
  return !argv.empty() && RunAndRead(argv, output, nullptr, withErrors);
}

SoundLengthCounts CountedSoundLengths() {
  const sp_platform::quicktime::SoundLengthCounts counts =
      sp_platform::quicktime::CountedSoundLengths();
  SoundLengthCounts out;
  out.found = counts.found;
  out.decoded = counts.decoded;
  out.opened = counts.opened;
  out.probed = counts.probed;
  out.packetsCounted = counts.packetsCounted;
  return out;
}

void ForgetSoundLengths() {
  sp_platform::quicktime::ForgetSoundLengths();
}

void SetMovieWriterPadding(UInt64 bytes) {
  sp_platform::quicktime::SetMovieWriterPaddingForTesting(bytes);
}

bool DecodeWithFfmpeg(const std::string& path, std::string& samples) {
  return RunAndRead({"ffmpeg", "-v", "error", "-nostdin", "-i", path, "-f", "s16be", "-ar", "44100",
                     "-ac", "2", "-"},
                    samples);
}

bool ProbeAudioStream(const std::string& path, ProbedStream& out) {
  std::string text;
  if (!RunAndRead({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                   "stream=duration,start_time,sample_rate,channels", "-of",
                   "default=noprint_wrappers=1", path},
                  text)) {
    return false;
  }
  out = ProbedStream();
  bool found = false;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    const double value = std::atof(line.c_str() + eq + 1);
    if (key == "duration") out.duration = value;
    if (key == "start_time") out.startTime = value;
    if (key == "sample_rate") out.sampleRate = UInt32(value);
    if (key == "channels") {
      out.channels = UInt16(value);
      found = true;
    }
  }
  return found;
}

SInt16 TestSampleValue(UInt32 frame, UInt16 channel) {
  return SInt16(UInt16(frame * 7u + channel * 1000u));
}

bool WriteTestAiff(const std::string& path, UInt16 channels, UInt32 rate, UInt32 frames) {
  const UInt32 dataBytes = frames * channels * 2;
  sp::ByteWriter w;
  w.FourCC(SpFourCC("FORM"));
  w.BE32(46 + dataBytes);
  w.FourCC(SpFourCC("AIFF"));
  w.FourCC(SpFourCC("COMM"));
  w.BE32(18);
  w.BE16(channels);
  w.BE32(frames);
  w.BE16(16);
  w.Extended80(double(rate));
  w.FourCC(SpFourCC("SSND"));
  w.BE32(dataBytes + 8);
  w.BE32(0);
  w.BE32(0);
  for (UInt32 f = 0; f < frames; ++f)
    for (UInt16 c = 0; c < channels; ++c) w.BE16(UInt16(TestSampleValue(f, c)));
  return WriteBytes(path, w.Data());
}

bool WriteTestWave(const std::string& path, UInt16 channels, UInt32 rate, UInt32 frames) {
  const UInt32 dataBytes = frames * channels * 2;
  sp::ByteWriter w;
  w.FourCC(SpFourCC("RIFF"));
  w.LE32(36 + dataBytes);
  w.FourCC(SpFourCC("WAVE"));
  w.FourCC(SpFourCC("fmt "));
  w.LE32(16);
  w.LE16(1);
  w.LE16(channels);
  w.LE32(rate);
  w.LE32(rate * channels * 2);
  w.LE16(UInt16(channels * 2));
  w.LE16(16);
  w.FourCC(SpFourCC("data"));
  w.LE32(dataBytes);
  for (UInt32 f = 0; f < frames; ++f)
    for (UInt16 c = 0; c < channels; ++c) w.LE16(UInt16(TestSampleValue(f, c)));
  return WriteBytes(path, w.Data());
}

SInt64 FfprobePacketCount(const std::string& path) {
  std::string out;
  if (!RunProgram({"ffprobe", "-v", "error", "-select_streams", "a:0", "-count_packets",
                   "-show_entries", "stream=nb_read_packets", "-of", "csv=p=0", path},
                  out) ||
      out.empty())
    return -1;
  return std::atoll(out.c_str());
}

bool FfmpegAvailable() {
  static const int available = Run({"ffmpeg", "-hide_banner", "-loglevel", "quiet", "-version"});
  return available == 0;
}

bool RunFfmpeg(const std::vector<std::string>& arguments, const std::string& output) {
  std::vector<std::string> argv = {"ffmpeg", "-v", "error", "-y", "-nostdin"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  ::unlink(output.c_str());
  if (Run(argv) != 0) return false;
  struct stat st {};
  return ::stat(output.c_str(), &st) == 0 && st.st_size > 0;
}

bool MakeToneWithFfmpeg(const std::string& path, const std::string& codec, UInt32 rate,
                        UInt16 channels, double seconds, const std::vector<std::string>& extra) {
  char source[128];
  std::snprintf(source, sizeof(source), "sine=frequency=440:sample_rate=%u:duration=%g",
                unsigned(rate), seconds);
  std::vector<std::string> args = {
      "-f",   "lavfi", "-i",      source,     "-ac", std::to_string(channels),
      "-c:a", codec,   "-fflags", "+bitexact"};
  args.insert(args.end(), extra.begin(), extra.end());
  args.push_back(path);
  return RunFfmpeg(args, path);
}

}  // namespace sp_testing
