// The saved list of added sound files at its size limit, and a large drop.
//
// In a temporary home, makes 9,999 short AIFF files (or the number given). Then, each as a
// process of its own running the program's main road on the headless display:
//   write:  the program lists every file and writes its saved list (once, to make the list)
//   start:  the program starts with that list, timed from its first line of code until the
//           window is filled with every file            beside  a start with no list at all
//   drop:   the program starts with no list and 1,000 of the files are dropped on it, timed
//           from the drop until the last file is listed, with the longest single pass of the
//           event loop meanwhile                       beside  a drop of one file
// Printed: the medians, the peak memory of each process, and each goal met or missed (a
// filled window within 1 s; the drop within 10 s with no pass over 50 ms).
//
//   media_list_bench [files] [--drop N] [--runs N] [--keep]
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "BenchHome.h"
#include "BenchProcess.h"
#include "ByteOrder.h"
#include "CDMediaManagerObj.h"
#include "CDObjectSource.h"
#include "CFURLFiles.h"
#include "CarbonEvents.h"
#include "Files.h"
#include "SpCDROMProgram.h"
#include "SpCDR_FileMediaObject.h"
#include "SpCDR_ProgramItemObj.h"
#include "SpListClass.h"
#include "TestDrags.h"
#include "TestEvents.h"

namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string FileName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "f%05d.aif", i);
  return name;
}

// A tenth of a second of silence as AIFF.
std::string ShortAiff() {
  const UInt32 frames = 4410;
  sp::ByteWriter w;
  w.FourCC(SpFourCC("FORM"));
  w.BE32(46 + frames * 4);
  w.FourCC(SpFourCC("AIFF"));
  w.FourCC(SpFourCC("COMM"));
  w.BE32(18);
  w.BE16(2);
  w.BE32(frames);
  w.BE16(16);
  w.Extended80(44100.0);
  w.FourCC(SpFourCC("SSND"));
  w.BE32(frames * 4 + 8);
  w.BE32(0);
  w.BE32(0);
  w.Zeros(frames * 4);
  return std::string(w.Data().begin(), w.Data().end());
}

std::string Folder() {
  return std::string(std::getenv("HOME")) + "/Music/many";
}

std::string ListPath() {
  return std::string(std::getenv("HOME")) + "/.config/Mirrelbox Prefs/FileMediaInfoV2.data";
}

// ---- The children: the program's main road with a step run from its loop ---------------------

double gStart = 0;
double gLastPass = 0;
double gLongestPass = 0;
int gFiles = 0;
int gDrop = 0;

void MeasurePass(EventLoopTimerRef, void*) {
  const double now = Now();
  if (gLastPass > 0) gLongestPass = std::max(gLongestPass, now - gLastPass);
  gLastPass = now;
}

short Rows() {
  cCDR_MediaManager* m = CDR_GetMediaManagerPtr();
  return m != nullptr && m->GetMediaList() != nullptr ? m->GetMediaList()->GetNumOfRow() : -1;
}

// Polls from the loop until ready() holds, then runs act().
void When(std::function<bool()> ready, std::function<void()> act) {
  sp_testing::ScheduleInput(500, [ready, act] {
    if (ready()) {
      act();
    } else {
      When(ready, act);
    }
  });
}

// Lists the file as the saved list does, with the description of the first file (every file
// is the same sound) so that the list is made without reading each file again.
bool AddFile(const std::string& path, const sSpMusicFileInfo* info) {
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()), false);
  if (url == nullptr) return false;
  FSRef ref;
  const bool found = CFURLGetFSRef(url, &ref);
  CFRelease(url);
  FSCatalogInfo catalog = {};
  FSSpec spec = {};
  if (!found || FSGetCatalogInfo(&ref, kFSCatInfoVolume | kFSCatInfoParentDirID, &catalog,
                                 nullptr, &spec, nullptr) != noErr) {
    return false;
  }
  const std::string name(reinterpret_cast<const char*>(spec.name + 1), spec.name[0]);
  return CDR_GetMediaManagerPtr()->CreateNewMusicFileMediaItem(
             catalog.volume, SInt32(catalog.parentDirID), name.c_str(), nullptr, 0, 0, nullptr, -1,
             0, info, nullptr, nullptr, nullptr) != 0;
}

void ChildWrite() {
  When([] { return Rows() >= 0; },
       [] {
         int added = AddFile(Folder() + "/" + FileName(1), nullptr) ? 1 : 0;
         cCDR_MediaManager* m = CDR_GetMediaManagerPtr();
         sSpMusicFileInfo info{};
         cSp_CDRProgramItemObj* first =
             m->GetMediaItemListHead() != nullptr && m->GetMediaItemListHead()->GetProgram()
                 ? m->GetMediaItemListHead()->GetProgram()->GetFirstProgramItem()
                 : nullptr;
         if (first == nullptr || first->GetQTFileMedia() == nullptr) std::exit(4);
         first->GetQTFileMedia()->GetMusicInfo(info);
         for (int i = 2; i <= gFiles; ++i) {
           added += AddFile(Folder() + "/" + FileName(i), &info) ? 1 : 0;
         }
         m->FinishNewMusicFileMediaItems(0);
         std::printf("%d\n", added);
         QuitApplicationEventLoop();
       });
}

void ChildStart(int expected) {
  When([expected] { return Rows() == expected; },
       [] {
         std::printf("%.4f\n", Now() - gStart);
         QuitApplicationEventLoop();
       });
}

void ChildDrop() {
  When([] { return Rows() == 0; },
       [] {
         cCDR_MediaManager* m = CDR_GetMediaManagerPtr();
         std::vector<std::string> paths;
         for (int i = 1; i <= gDrop; ++i) paths.push_back(Folder() + "/" + FileName(i));
         Rect list = {0, 0, 0, 0}, content = {0, 0, 0, 0};
         m->GetMediaList()->GetDrawingAreaOnWindow(&list);
         m->GetContentAreaOnGlobal(content);
         const Point at = {short(content.top + list.top + 10), short(content.left + list.left + 40)};
         EventLoopTimerRef pass = nullptr;
         InstallEventLoopTimer(GetMainEventLoop(), 0, 1e-6, NewEventLoopTimerUPP(MeasurePass),
                               nullptr, &pass);
         const double start = Now();
         gLastPass = start;
         if (sp_testing::DropFiles(paths, {at}) != noErr) std::exit(3);
         MeasurePass(nullptr, nullptr);
         When([] { return !CDR_GetMediaManagerPtr()->IsAddRunning(); },
              [start, pass] {
                // The pass that added the last files ended just now.
                MeasurePass(nullptr, nullptr);
                const double seconds = Now() - start;
                RemoveEventLoopTimer(pass);
                std::printf("%.4f %.1f %d\n", seconds, gLongestPass * 1000.0, int(Rows()));
                QuitApplicationEventLoop();
              });
       });
}

int Child(const std::string& mode, int count) {
  gStart = Now();
  if (mode == "write") {
    gFiles = count;
    ChildWrite();
  } else if (mode == "start") {
    ChildStart(count);
  } else {
    gDrop = count;
    ChildDrop();
  }
  char program[] = "mediamanager";
  char display[] = "--display=headless";
  char* argv[] = {program, display, nullptr};
  CDR_Main(2, argv);
  std::fflush(stdout);
  // The program's objects are left to the process's end, as the real program leaves them.
  std::_Exit(0);
}

// ---- The parent ---------------------------------------------------------------------------------

struct Figures {
  double seconds = 0;
  double passMs = 0;
  long peakMB = 0;
  bool ok = true;
};

Figures Median(const std::string& self, const std::string& mode, int count, int runs,
               bool removeList) {
  std::vector<double> seconds, passes;
  Figures f;
  for (int r = 0; r < runs; ++r) {
    if (removeList) unlink(ListPath().c_str());
    const bench::Run run = bench::Spawn({self, "--child", mode, std::to_string(count)});
    double s = 0, p = 0;
    int rows = 0;
    const int read = std::sscanf(run.output.c_str(), "%lf %lf %d", &s, &p, &rows);
    if (!run.ok || read < 1) {
      std::fprintf(stderr, "%s run failed: %s\n", mode.c_str(), run.output.c_str());
      f.ok = false;
      continue;
    }
    seconds.push_back(s);
    passes.push_back(p);
    f.peakMB = std::max(f.peakMB, run.peakMB);
  }
  if (seconds.empty()) return f;
  std::sort(seconds.begin(), seconds.end());
  f.seconds = seconds[seconds.size() / 2];
  f.passMs = *std::max_element(passes.begin(), passes.end());
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return Child(argv[2], std::atoi(argv[3]));
  int files = 9999, drop = 1000, runs = 3;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--keep") == 0) {
      keep = true;
    } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--drop") == 0 && i + 1 < argc) {
      drop = std::max(1, std::atoi(argv[++i]));
    } else {
      files = std::max(1, std::atoi(argv[i]));
    }
  }
  drop = std::min(drop, files);
  char self[4096] = "";
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return 1;
  self[length] = 0;
  const std::string home = bench::MakeHome("media-list-bench", keep, "XDG_MUSIC_DIR", {"/Music"});
  if (home.empty()) return 1;
  mkdir(Folder().c_str(), 0700);
  const std::string aiff = ShortAiff();
  for (int i = 1; i <= files; ++i) {
    std::ofstream(Folder() + "/" + FileName(i), std::ios::binary) << aiff;
  }
  std::printf("%d sound files of 0.1 s in %s\n", files, Folder().c_str());

  const bench::Run write = bench::Spawn({self, "--child", "write", std::to_string(files)});
  struct stat st {};
  if (!write.ok || stat(ListPath().c_str(), &st) != 0) {
    std::fprintf(stderr, "the program did not write its list: %s\n", write.output.c_str());
    return 1;
  }
  std::printf("list written by the program: %s files, %lld bytes, %.2f s, %ld MB\n",
              write.output.substr(0, write.output.find('\n')).c_str(), (long long)st.st_size,
              write.seconds, write.peakMB);

  const Figures start = Median(self, "start", files, runs, false);
  const std::string kept = ListPath() + ".kept";
  rename(ListPath().c_str(), kept.c_str());
  const Figures empty = Median(self, "start", 0, runs, false);
  const Figures dropped = Median(self, "drop", drop, runs, true);
  const Figures one = Median(self, "drop", 1, runs, true);
  rename(kept.c_str(), ListPath().c_str());

  std::printf("start with %d listed files: %.3f s to the filled window (%ld MB)\n", files,
              start.seconds, start.peakMB);
  std::printf("start with no list:          %.3f s (%ld MB)\n", empty.seconds, empty.peakMB);
  std::printf("drop of %d files: %.3f s, longest loop pass %.1f ms (%ld MB)\n", drop,
              dropped.seconds, dropped.passMs, dropped.peakMB);
  std::printf("drop of 1 file:      %.3f s, longest loop pass %.1f ms\n", one.seconds, one.passMs);
  const bool startGoal = start.ok && start.seconds <= 1.0;
  const bool dropGoal = dropped.ok && dropped.seconds <= 10.0 && dropped.passMs <= 50.0;
  std::printf("goal, filled window within 1 s: %s\n", startGoal ? "met" : "MISSED");
  std::printf("goal, drop within 10 s, no pass over 50 ms: %s\n", dropGoal ? "met" : "MISSED");
  return start.ok && dropped.ok && empty.ok && one.ok ? 0 : 1;
}
