// Saving a disc into one uncompressed file through the whole application, beside the engine's
// own save of the same disc and beside the usual tools on the same sound.
//
// Makes an emulated disc of three tracks (74 minutes, or the seconds given) in a temporary
// home, and the same sound as one AIFF file beside it. Then, each as a process of its own, as
// often as asked (3 unless --runs), every process after the same idle time with the written
// pages of the one before on disk:
//   the application: the program's main road on the headless display; the disc is selected
//   and the save command run, its set-up (WAVE, AIFF or uncompressed AIFF-C at normal speed)
//   and save dialogs answered at once; timed from the save dialog's answer, and from the
//   hand-over to the engine, to the end of saving (progress window, progress texts and bars,
//   the final flush and the end callback all included)
//   the engine: save_driver's save of the whole disc into one WAVE file, timed inside it
//   cp of the AIFF file, then sync of the copy: the floor for a save that is durable at its end
//   sox converting the AIFF file into the same kind
// Printed: the medians, the application's ratios against cp then sync (goal <= 1.5) and sox
// (goal <= 1.0) for each kind and against the engine for WAVE, and the peak memory of each side.
//
//   app_save_bench [seconds] [--runs N] [--kinds wave,aiff,aifc] [--keep]
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchDisc.h"
#include "BenchHome.h"
#include "BenchProcess.h"
#include "CDMediaManagerObj.h"
#include "CDObjectSource.h"
#include "CarbonEvents.h"
#include "Navigation.h"
#include "SpCDRomManager.h"
#include "SpPreferenceStockObject.h"
#include "TestNavigation.h"
#include "TestResponder.h"

namespace {

// The idle time before every process, as save_bench's: a virtual machine hands memory left
// free for a few seconds back to the host, and writing into such memory costs far more.
constexpr unsigned kSettleSeconds = 6;

// The uncompressed kinds: the set-up's file type item, the compression kept for AIFF-C and
// sox's arguments for the same kind of output.
struct Kind {
  const char* name;
  short typeItem;
  OSType compression;
  std::vector<std::string> soxOutput;  // sox's options before the output file, and its name
};
const Kind kKinds[] = {
    {"wave", 2, 0, {"sox.wav"}},
    {"aiff", 1, 0, {"sox.aif"}},
    {"aifc", 5, SpFourCC("NONE"), {"-t", "aifc", "-e", "signed-integer", "sox.aifc"}},
};

const Kind* KindNamed(const std::string& name) {
  for (const Kind& kind : kKinds)
    if (name == kind.name) return &kind;
  return nullptr;
}

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double gStart = 0;
double gEngineStart = 0;
double gSeconds = 0;
double gSaveSeconds = 0;
bool gAsked = false;
const Kind* gKind = nullptr;

// Every pass: once the disc is listed the save command runs; once it ended the program quits.
void Drive(EventLoopTimerRef, void*) {
  cCDR_MediaManager* m = CDR_GetMediaManagerPtr();
  if (m == nullptr) return;
  if (!gAsked) {
    if (m->GetMediaItemListHead() == nullptr || m->GetMediaItemListHead()->GetProgram() == nullptr)
      return;
    gAsked = true;
    // The set-up opens with the speed and compression kept in the settings file.
    cPrefStockData* group =
        m->GetPrefStockFile()->GetTargetStockDataItemInPrefTopDataList(SpFourCC("FSvI"), 1, 1);
    group->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("Sped"), 1)->SetupDblData(1.0, 1);
    if (gKind->compression != 0)
      group->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("cmpT"), 1)
          ->SetupOSTypeData(gKind->compression, 1);
    m->SelectAll(1, 0, 1);
    m->SaveFileInMultiTypeFormat();
    gEngineStart = Now();
    return;
  }
  if (gStart > 0 && gSeconds == 0 && !m->IsSaveRunning()) {
    gSeconds = Now() - gStart;
    gSaveSeconds = Now() - gEngineStart;
    QuitApplicationEventLoop();
  }
}

int SaveThroughTheApplication(const std::string& home, const Kind& kind) {
  gKind = &kind;
  sp_testing::ResponderScope responder(sp_testing::ResponderScope::Report::kRecordOnly);
  // The set-up: the kind at normal speed; the save dialog: the Documents folder, the name
  // offered.
  // The set-up: the kind, at the normal speed stored before it opens; the save dialog: the
  // Documents folder, the name offered.
  sp_testing::Respond(sp_testing::Answer().SetControlValue(3, kind.typeItem).ClickItem(1));
  sp_testing::Respond(sp_testing::NavGoTo(home + "/Documents"));
  sp_testing::Respond(sp_testing::Answer()
                          .Do([](WindowRef) { gStart = Now(); }, "start the clock")
                          .ClickItem(kNavItemDefaultButton));
  EventLoopTimerRef drive = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0.1, 1e-6, NewEventLoopTimerUPP(Drive), nullptr, &drive);
  char name[] = "mediamanager";
  char display[] = "--display=headless";
  char* argv[] = {name, display, nullptr};
  CDR_Main(2, argv);
  if (gSeconds == 0) return 6;
  for (const std::string& failure : sp_testing::ResponderFailures()) {
    std::fprintf(stderr, "%s\n", failure.c_str());
  }
  std::printf("%.3f %.3f\n", gSeconds, gSaveSeconds);
  std::fflush(stdout);
  std::_Exit(0);
}

// The runs of one side: whole-process seconds (or the application's own), peak memory.
struct Side {
  std::vector<double> seconds;
  std::vector<double> saveSeconds;  // the application: from the engine's start
  long peakKB = 0;
};

// Starts every process alike: the folder emptied, the written pages on disk, the idle time.
void Settle(const std::string& docs) {
  std::system(("rm -f '" + docs + "'*").c_str());
  sync();
  sleep(kSettleSeconds);
}

// Runs the commands one after the other into the side; false when one failed.
bool RunInto(Side& side, const std::vector<std::vector<std::string>>& commands) {
  const bench::Run run = bench::SpawnInTurn(commands);
  if (!run.ok) return false;
  side.seconds.push_back(run.seconds);
  side.peakKB = std::max(side.peakKB, run.peakKB);
  return true;
}

double Ratio(const Side& ours, const Side& theirs) {
  return bench::Median(ours.seconds) / bench::Median(theirs.seconds);
}

const char* Verdict(double ratio, double goal) {
  return ratio <= goal ? "met" : "MISSED";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--app") == 0) {
    const Kind* kind = KindNamed(argv[3]);
    return kind == nullptr ? 1 : SaveThroughTheApplication(argv[2], *kind);
  }
  long seconds = 74 * 60;
  int runs = 3;
  bool keep = false;
  std::vector<const Kind*> kinds;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--keep") == 0) {
      keep = true;
    } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--kinds") == 0 && i + 1 < argc) {
      std::string list = argv[++i];
      for (std::size_t at = 0; at <= list.size();) {
        const std::size_t comma = std::min(list.find(',', at), list.size());
        const Kind* kind = KindNamed(list.substr(at, comma - at));
        if (kind == nullptr) {
          std::fprintf(stderr, "kinds: wave, aiff, aifc\n");
          return 1;
        }
        kinds.push_back(kind);
        at = comma + 1;
      }
    } else {
      seconds = std::max(10L, std::strtol(argv[i], nullptr, 10));
    }
  }
  if (kinds.empty())
    for (const Kind& kind : kKinds) kinds.push_back(&kind);
  const std::string home =
      bench::MakeHome("app-save-bench", keep, "XDG_DOCUMENTS_DIR",
                      {"/Documents", "/.local", "/.local/share", "/.local/share/mediamanager",
                       "/.local/share/mediamanager/media", "/.local/share/mediamanager/media/Disc"});
  if (home.empty()) return 1;
  setenv("SP_DISPLAY", "headless", 1);
  unsetenv("XDG_DATA_HOME");
  // The engine's benchmark finds the same disc in its own media folder.
  if (symlink((home + "/.local/share/mediamanager/media").c_str(), (home + "/media").c_str()) != 0)
    return 1;
  const std::string whole = home + "/disc.aiff";
  if (!bench::MakeDisc(home + "/.local/share/mediamanager/media/Disc", whole, seconds, 3)) {
    std::printf("the disc could not be made\n");
    return 1;
  }
  struct stat st {};
  stat(whole.c_str(), &st);
  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
  const std::string engineDriver = SP_SAVE_DRIVER;
  const std::string docs = home + "/Documents/";
  std::printf("disc: %ld s of 44.1 kHz stereo in 3 tracks (%.1f MB); whole processes, new output"
              " files; medians of %d runs\n",
              seconds, double(st.st_size) / 1e6, runs);
  std::vector<Side> app(kinds.size()), sox(kinds.size());
  Side engine, cpSync;
  const auto failed = [](const char* what) {
    std::printf("%s failed\n", what);
    return 1;
  };
  for (int r = 0; r < runs; ++r) {
    for (std::size_t k = 0; k < kinds.size(); ++k) {
      Settle(docs);
      const bench::Run run = bench::Spawn({self, "--app", home, kinds[k]->name});
      double s = 0, save = 0;
      if (!run.ok || std::sscanf(run.output.c_str(), "%lf %lf", &s, &save) != 2)
        return failed("the application's save");
      app[k].seconds.push_back(s);
      app[k].saveSeconds.push_back(save);
      app[k].peakKB = std::max(app[k].peakKB, run.peakKB);
      Settle(docs);
      std::vector<std::string> soxArgs = {"sox", whole};
      for (const std::string& a : kinds[k]->soxOutput) soxArgs.push_back(a);
      soxArgs.back() = docs + soxArgs.back();
      if (!RunInto(sox[k], {soxArgs})) return failed("sox");
    }
    Settle(docs);
    if (!RunInto(cpSync, {{"cp", whole, docs + "copy.aiff"}, {"sync", docs + "copy.aiff"}}))
      return failed("cp then sync");
    Settle(docs);
    const bench::Run own = bench::Spawn({engineDriver, "wave", home});
    double e = 0;
    if (!own.ok || std::sscanf(own.output.c_str(), "%lf", &e) != 1)
      return failed("the engine's save");
    engine.seconds.push_back(e);
    engine.peakKB = std::max(engine.peakKB, own.peakKB);
  }
  Settle(docs);
  const double floor = bench::Median(cpSync.seconds);
  std::printf("cp disc.aiff, then sync of the copy             %7.3f s\n", floor);
  std::printf("engine's own WAVE save (save_driver)            %7.3f s  / cp then sync %5.2f\n",
              bench::Median(engine.seconds), bench::Median(engine.seconds) / floor);
  long appPeakKB = 0;
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    const double ours = bench::Median(app[k].seconds);
    std::printf("%-5s sox                                    %7.3f s  / cp then sync %5.2f\n",
                kinds[k]->name, bench::Median(sox[k].seconds), Ratio(sox[k], cpSync));
    std::printf("%-5s application, from the save dialog's answer %7.3f s  / cp then sync %5.2f"
                " (goal <= 1.5 %s)  / sox %5.2f (goal <= 1.0 %s)\n",
                kinds[k]->name, ours, ours / floor, Verdict(ours / floor, 1.5),
                Ratio(app[k], sox[k]), Verdict(Ratio(app[k], sox[k]), 1.0));
    if (std::strcmp(kinds[k]->name, "wave") == 0) {
      const double save = bench::Median(app[k].saveSeconds);
      std::printf("wave  application, from the engine's start      %7.3f s  / engine %5.2f\n", save,
                  save / bench::Median(engine.seconds));
    }
    appPeakKB = std::max(appPeakKB, app[k].peakKB);
  }
  const double appMB = double(appPeakKB) * 1024.0 / 1e6;
  std::printf("peak memory: application %.1f MiB (%.1f MB, goal < 64 MB: %s), engine %.1f MiB\n",
              double(appPeakKB) / 1024.0, appMB, appMB < 64.0 ? "met" : "MISSED",
              double(engine.peakKB) / 1024.0);
  return 0;
}
