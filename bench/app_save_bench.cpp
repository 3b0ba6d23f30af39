// Saving three CD tracks into one WAVE file through the whole application, beside the
// engine's own save of the same disc.
//
// Makes an emulated disc of three tracks (ten minutes, or the seconds given) in a temporary
// home. Then, each as a process of its own, as often as asked:
//   the application: the program's main road on the headless display; the disc is selected
//   and the save command run, its set-up and save dialogs answered at once; timed from the
//   save dialog's answer, and from the hand-over to the engine, to the end of saving (progress
//   window, progress texts and bars, the end callback all included)
//   the engine: save_driver's save of the whole disc into one WAVE file, timed inside it
// Printed: the medians and their ratio beside the goal of 1.2, and the peak memory of each side.
//
//   app_save_bench [seconds] [--runs N] [--keep]
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

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double gStart = 0;
double gEngineStart = 0;
double gSeconds = 0;
double gSaveSeconds = 0;
bool gAsked = false;

// Every pass: once the disc is listed the save command runs; once it ended the program quits.
void Drive(EventLoopTimerRef, void*) {
  cCDR_MediaManager* m = CDR_GetMediaManagerPtr();
  if (m == nullptr) return;
  if (!gAsked) {
    if (m->GetMediaItemListHead() == nullptr || m->GetMediaItemListHead()->GetProgram() == nullptr)
      return;
    gAsked = true;
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

int SaveThroughTheApplication(const std::string& home) {
  sp_testing::ResponderScope responder(sp_testing::ResponderScope::Report::kRecordOnly);
  // The set-up: WAVE at normal speed; the save dialog: the Documents folder, the name offered.
  sp_testing::Respond(sp_testing::Answer()
                          .Do(
                              [](WindowRef) {
                                cPrefStockData* group =
                                    CDR_GetMediaManagerPtr()
                                        ->GetPrefStockFile()
                                        ->GetTargetStockDataItemInPrefTopDataList(SpFourCC("FSvI"), 1, 1);
                                group->GetTargetStockDataItemInUnderDataListByIdType(SpFourCC("Sped"), 1)
                                    ->SetupDblData(1.0, 1);
                              },
                              "normal speed")
                          .SetControlValue(3, 2)
                          .ClickItem(1));
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

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--app") == 0) return SaveThroughTheApplication(argv[2]);
  long seconds = 10 * 60;
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
  if (!bench::MakeDisc(home + "/.local/share/mediamanager/media/Disc", "", seconds, 3)) {
    std::printf("the disc could not be made\n");
    return 1;
  }
  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
  const std::string engineDriver = SP_SAVE_DRIVER;
  std::printf("disc: %ld s of 44.1 kHz stereo in 3 tracks into one WAVE file; medians of %d runs\n",
              seconds, runs);
  std::vector<double> ours, oursSave, theirs;
  long appPeakKB = 0, enginePeakKB = 0;
  for (int r = 0; r < runs; ++r) {
    const bench::Run app = bench::Spawn({self, "--app", home});
    double s = 0, save = 0;
    if (!app.ok || std::sscanf(app.output.c_str(), "%lf %lf", &s, &save) != 2) {
      std::printf("the application's save failed\n");
      return 1;
    }
    ours.push_back(s);
    oursSave.push_back(save);
    appPeakKB = std::max(appPeakKB, app.peakKB);
    std::system(("rm -f '" + home + "/Documents/'*").c_str());
    const bench::Run own = bench::Spawn({engineDriver, "wave", home});
    double e = 0, pass = 0;
    if (!own.ok || std::sscanf(own.output.c_str(), "%lf %lf", &e, &pass) != 2) {
      std::printf("the engine's save failed\n");
      return 1;
    }
    theirs.push_back(e);
    enginePeakKB = std::max(enginePeakKB, own.peakKB);
    std::system(("rm -f '" + home + "/Documents/'*").c_str());
  }
  const double engine = bench::Median(theirs);
  std::printf("engine's own save (save_driver)                   %7.3f s\n", engine);
  std::printf("application, from the engine's start to its end   %7.3f s  ratio %5.2f  goal <= 1.2 %s\n",
              bench::Median(oursSave), bench::Median(oursSave) / engine,
              bench::Median(oursSave) / engine <= 1.2 ? "met" : "MISSED");
  std::printf("application, from the save dialog's answer         %7.3f s  ratio %5.2f"
              " (the place kept in the settings file first)\n",
              bench::Median(ours), bench::Median(ours) / engine);
  const double appMB = double(appPeakKB) * 1024.0 / 1e6;
  std::printf("peak memory: application %.1f MiB (%.1f MB, goal < 64 MB: %s), engine %.1f MiB\n",
              double(appPeakKB) / 1024.0, appMB, appMB < 64.0 ? "met" : "MISSED",
              double(enginePeakKB) / 1024.0);
  return 0;
}
