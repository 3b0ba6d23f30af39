// Saving an audio CD: time, memory and the event loop's longest pass, beside the usual tools.
//
// Makes 74 minutes (or the seconds given) of CD audio, a tone over noise, as an emulated disc
// (twelve AIFF tracks and their table of contents in the media folder) and the same sound as
// one AIFF file, in a temporary home. Then, each as a process of its own, as often as asked:
//   our save of the whole disc into one WAVE file   beside  sox in.aiff out.wav
//                                                   and     cp in.aiff copy.aiff
//   our save at double speed into an AIFF file      beside  sox in.aiff out.aiff tempo 2.0
//   our save into an AAC movie                      beside  ffmpeg -i in.aiff -c:a aac out.m4a
// Our saves run from the engine's step timers on the event loop, as in the application; their
// time is the save's own (from starting it to its end callback, the final flush included),
// the tools' their process's. Printed: the medians, the peak memory of each process, the
// longest single pass of the event loop during our saves, and each goal met or missed.
//
//   save_bench [seconds] [--runs N] [--keep]
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "BenchDisc.h"
#include "BenchHome.h"
#include "BenchProcess.h"
#include "ByteOrder.h"
#include "CarbonEvents.h"
#include "Files.h"
#include "Folders.h"
#include "SpCDROMProgram.h"
#include "SpCDR_MediaMgrObject.h"
#include "SpCDRomManager.h"
#include "SpQTInterface.h"
#include "SpStdFileFunction.h"
#include "SpStdFunctionNumber.h"
#include "files/internal/AudioCDVolumes.h"

namespace {

constexpr int kTracks = 12;

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// ---- One save, in this process --------------------------------------------------------------

bool gEnded = false;
unsigned char gStopped = 0;
double gLastPass = 0;
double gLongestPass = 0;

void CatchEnd(cSp_CDRProgramBaseObj*, unsigned char stopped, unsigned long) {
  gEnded = true;
  gStopped = stopped;
  QuitApplicationEventLoop();
}

// Fires on every pass of the loop: the time since the last firing is one pass.
void MeasurePass(EventLoopTimerRef, void*) {
  const double now = Now();
  if (gLastPass > 0) gLongestPass = std::max(gLongestPass, now - gLastPass);
  gLastPass = now;
}

void QuitWhenDiscMounted(EventLoopTimerRef, void*) {
  if (Sp_CDRomCountCDDA() > 0) QuitApplicationEventLoop();
}

int SaveInThisProcess(const std::string& mode, const std::string& home) {
  Sp_CarbonEvent_ModeEnable();
  if (!Sp_InitialQuckTime(0)) return 2;
  sp_platform::files::SetMediaFolder(home + "/media");
  if (Sp_InitialCDRom(1, 1, 0) == nullptr) return 2;
  EventLoopTimerRef waiting = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0.1, 0.1, NewEventLoopTimerUPP(QuitWhenDiscMounted),
                        nullptr, &waiting);
  RunApplicationEventLoop();
  RemoveEventLoopTimer(waiting);
  cSp_CDRProgramBaseObj* program = nullptr;
  if (Sp_CDRomCreateCDAudioProgram(Sp_CDRomGetCDObjectByCounter(0), 1, &program) != 1) return 3;
  program->SetupSaveFileEndProcCB(CatchEnd, 0);
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  FSRef folder;
  if (FindFolder(kOnSystemDisk, kDocumentsFolderType, kDontCreateFolder, &vRefNum, &dirID) !=
          noErr ||
      Sp_GetFSRefFromDirectoryPositionInfo(vRefNum, dirID, &folder) != noErr) {
    return 4;
  }
  const double start = Now();
  Boolean started = false;
  if (mode == "wave") {
    SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
    started = program->SaveTargetProgItem(-1, &folder, "ours.wav", 1, SpFourCC("TVOD"),
                                          SpFourCC("WAVE"), 1.0f, 0, nullptr, 0);
  } else if (mode == "speed2") {
    SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
    started = program->SaveTargetProgItem(-1, &folder, "ours2.aiff", 1, SpFourCC("TVOD"),
                                          SpFourCC("AIFF"), 2.0f, 0, nullptr, 0);
  } else {
    SpCDRI_EnableWriteIntoQuickTimeFileEventIdleProcedureForCarbonEvent();
    started = program->SaveTargetProgItemIntoQuickTimeFile(
        -1, &folder, "ours.mov", 1, SpFourCC("MooV"), SpFourCC("mp4a"), 0xAC440000, 16, 2, nullptr,
        1.0f, nullptr, 0);
  }
  if (!started) return 5;
  EventLoopTimerRef pass = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0, 1e-6, NewEventLoopTimerUPP(MeasurePass), nullptr,
                        &pass);
  program->StartSaveAndPlayEventLoop();
  RunApplicationEventLoop();
  const double seconds = Now() - start;
  RemoveEventLoopTimer(pass);
  if (!gEnded || gStopped) return 6;
  std::printf("%.3f %.1f\n", seconds, gLongestPass * 1000.0);
  return 0;
}

// ---- Runs of whole processes ------------------------------------------------------------------

// A run and, for our saves, the figures they print (the save's seconds, the longest pass).
struct Run {
  double seconds = 0;
  double longestPassMs = 0;
  long peakMB = 0;
  bool ok = false;
};

Run Spawn(const std::vector<std::string>& argv, bool reports) {
  const bench::Run r = bench::Spawn(argv);
  Run run;
  run.seconds = r.seconds;
  run.peakMB = r.peakMB;
  run.ok = r.ok;
  if (reports && run.ok)
    run.ok = std::sscanf(r.output.c_str(), "%lf %lf", &run.seconds, &run.longestPassMs) == 2;
  return run;
}

struct Side {
  std::vector<double> seconds;
  long peakMB = 0;
  double longestPassMs = 0;
  void Add(const Run& r) {
    seconds.push_back(r.seconds);
    peakMB = std::max(peakMB, r.peakMB);
    longestPassMs = std::max(longestPassMs, r.longestPassMs);
  }
};

void Remove(const std::string& path) {
  std::remove(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--save") == 0) return SaveInThisProcess(argv[2], argv[3]);
  long seconds = 74 * 60;
  int runs = 1;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--keep") == 0) {
      keep = true;
    } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      seconds = std::max(10L, std::strtol(argv[i], nullptr, 10));
    }
  }
  const std::string home = bench::MakeHome("save-bench", keep, "XDG_DOCUMENTS_DIR",
                                           {"/Documents", "/media", "/media/Disc"});
  if (home.empty()) return 1;
  setenv("SP_DISPLAY", "headless", 1);
  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
  const std::string docs = home + "/Documents/";
  if (!bench::MakeDisc(home + "/media/Disc", home + "/Documents/in.aiff", seconds, kTracks)) {
    std::printf("the disc could not be made\n");
    return 1;
  }
  struct stat st {};
  stat((docs + "in.aiff").c_str(), &st);
  std::printf("disc: %ld s of 44.1 kHz stereo in %d tracks (%.1f MB); medians of %d runs\n",
              seconds, kTracks, double(st.st_size) / 1e6, runs);

  Side wave, speed2, aac, soxWave, cp, soxTempo, ffmpegAac;
  for (int r = 0; r < runs; ++r) {
    const struct {
      Side* side;
      std::vector<std::string> argv;
      bool reports;
      const char* output;
    } jobs[] = {
        {&wave, {self, "--save", "wave", home}, true, "ours.wav"},
        {&soxWave, {"sox", docs + "in.aiff", docs + "sox.wav"}, false, "sox.wav"},
        {&cp, {"cp", docs + "in.aiff", docs + "copy.aiff"}, false, "copy.aiff"},
        {&speed2, {self, "--save", "speed2", home}, true, "ours2.aiff"},
        {&soxTempo,
         {"sox", docs + "in.aiff", docs + "sox2.aiff", "tempo", "2.0"},
         false,
         "sox2.aiff"},
        {&aac, {self, "--save", "aac", home}, true, "ours.mov"},
        {&ffmpegAac,
         {"ffmpeg", "-v", "error", "-nostdin", "-y", "-i", docs + "in.aiff", "-c:a", "aac",
          docs + "out.m4a"},
         false,
         "out.m4a"},
    };
    for (const auto& job : jobs) {
      const Run run = Spawn(job.argv, job.reports);
      if (!run.ok) {
        std::printf("%s failed\n", job.argv[0 + (job.reports ? 2 : 0)].c_str());
        return 1;
      }
      job.side->Add(run);
      Remove(docs + job.output);
    }
  }
  auto line = [](const char* what, const Side& ours, const char* tool, const Side& theirs,
                 double goal, const char* goalText) {
    const double ratio = bench::Median(ours.seconds) / bench::Median(theirs.seconds);
    std::printf("%-28s %7.2f s  %-38s %7.2f s  ratio %5.2f  goal %-10s %s\n", what,
                bench::Median(ours.seconds), tool, bench::Median(theirs.seconds), ratio, goalText,
                ratio <= goal ? "met" : "MISSED");
  };
  line("our WAVE save", wave, "sox in.aiff out.wav", soxWave, 1.0, "<= 1.0");
  line("our WAVE save", wave, "cp in.aiff copy.aiff", cp, 1.5, "<= 1.5");
  line("our save at speed 2.0", speed2, "sox in.aiff out.aiff tempo 2.0", soxTempo, 0.5, "<= 0.5");
  line("our AAC movie save", aac, "ffmpeg -i in.aiff -c:a aac out.m4a", ffmpegAac, 1.1, "<= 1.1");
  const long peak = std::max({wave.peakMB, speed2.peakMB, aac.peakMB});
  std::printf(
      "peak memory: ours WAVE %ld MB, speed 2.0 %ld MB, AAC %ld MB (goal < 64 MB: %s);"
      " sox %ld MB, cp %ld MB, sox tempo %ld MB, ffmpeg %ld MB\n",
      wave.peakMB, speed2.peakMB, aac.peakMB, peak < 64 ? "met" : "MISSED", soxWave.peakMB,
      cp.peakMB, soxTempo.peakMB, ffmpegAac.peakMB);
  const double pass = std::max({wave.longestPassMs, speed2.longestPassMs, aac.longestPassMs});
  std::printf(
      "longest event-loop pass: WAVE %.1f ms, speed 2.0 %.1f ms, AAC %.1f ms"
      " (goal <= 50 ms: %s)\n",
      wave.longestPassMs, speed2.longestPassMs, aac.longestPassMs, pass <= 50.0 ? "met" : "MISSED");
  return 0;
}
