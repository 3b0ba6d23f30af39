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
//   add:    for each kind asked (WAVE unless --kinds names others: wav, mp3, flac, m4a, ogg,
//           opus), 100 four-minute sound files (or --add N) chosen in the add dialog, timed from
//           the click on the add button until the last file is listed and the saved list that
//           follows is written, with the longest pass of the event loop while they go in, the
//           bytes the process read meanwhile, and the time of that list save on its own
//                                                     beside  one python3 process reading
//                                                              their lengths with mutagen
//   list:   the add dialog opened on the folder of those files, timed from the click until it
//           has listed them all (it asks the program of each file), with the longest pass
//   remove: the program starts with the full list; its first file is clicked and removed, and
//           in another process every file is selected (command-A) and removed, each timed from
//           the click on the remove button until the saved list is written, with the longest
//           pass meanwhile; the select-all is timed on its own
// Printed: the medians, the peak memory of each process, and each goal met or missed (a
// filled window within 1 s; the drop within 10 s with no pass over 50 ms; the adds within 2 s
// with no pass over 50 ms, and within 3 times mutagen's time; a removal with no pass over
// 50 ms).
//
//   media_list_bench [files] [--drop N] [--add N] [--kinds wav,mp3,...] [--runs N] [--keep]
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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
#include "TestNavigation.h"
#include "TestQuickTime.h"
#include "TestResponder.h"
#include "TestWindows.h"
#include "SpOC_IconButtonControl.h"

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

// The folder of the sound files of one kind that the add dialog chooses, and their names.
std::string AddFolder(const std::string& kind) {
  return std::string(std::getenv("HOME")) + "/Music/" + kind;
}

std::string AddName(int i, const std::string& kind) {
  char name[32];
  std::snprintf(name, sizeof name, "a%05d.%s", i, kind.c_str());
  return name;
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

std::string gKind;

// The longest pass while chosen files go in: from the pass that finds them going in to the one
// that finds them all in.
bool gAdding = false;
// The file dialog, when it had listed every file of the folder (seen from the loop), and when
// the files were chosen in it.
WindowRef gListingWindow = nullptr;
double gListedAt = 0;
double gChosenAt = 0;
// When the last file was listed with no file left to add: the list save follows.
double gAddedAt = 0;
short Rows();
void MeasureAddPass(EventLoopTimerRef, void*) {
  const double now = Now();
  cCDR_MediaManager* m = CDR_GetMediaManagerPtr();
  const bool adding = m != nullptr && m->IsAddRunning();
  if (gAddedAt == 0 && gChosenAt > 0 && m != nullptr && m->addTimer == nullptr && Rows() == gDrop)
    gAddedAt = now;
  if (gListedAt == 0 && gListingWindow != nullptr && sp_testing::NavListingDone(gListingWindow))
    gListedAt = now;
  // In the file dialog this timer fires once a tick, and the pass that ends the dialog starts
  // when the choice is made, not at the last firing before it.
  const double passStart = std::max(gLastPass, gChosenAt);
  if (gAdding || adding) gLongestPass = std::max(gLongestPass, now - passStart);
  gAdding = adding;
  gLastPass = now;
}

// The processor time of the process so far, in seconds: on a machine busy with other work the
// wall time also counts the waits for a core.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

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

// Chooses the files once the dialog has listed them all, as a user would, in a pass of its own.
sp_testing::Answer ChooseWhenListed(const std::vector<std::string>& names) {
  return sp_testing::NavLook([names](WindowRef window) {
    if (!sp_testing::NavListingDone(window)) {
      sp_testing::Respond(ChooseWhenListed(names));
      return;
    }
    // Chosen when they are selected and the button is about to be pressed.
    sp_testing::Respond(
        sp_testing::NavChoose(names).Do([](WindowRef) { gChosenAt = Now(); }, "note the time"));
  });
}

void ChildAdd() {
  When([] { return Rows() == 0; },
       [] {
         cCDR_MediaManager* m = CDR_GetMediaManagerPtr();
         std::vector<std::string> names;
         for (int i = 1; i <= gDrop; ++i) names.push_back(AddName(i, gKind));
         sp_testing::Respond(
             sp_testing::NavGoTo(AddFolder(gKind))
                 .Do([](WindowRef window) { gListingWindow = window; }, "watch the listing"));
         sp_testing::Respond(ChooseWhenListed(names));
         Rect button = {0, 0, 0, 0}, content = {0, 0, 0, 0};
         m->GetAddButton()->GetDrawingAreaOnWindow(&button);
         m->GetContentAreaOnGlobal(content);
         EventLoopTimerRef pass = nullptr;
         InstallEventLoopTimer(GetMainEventLoop(), 0, 1e-6, NewEventLoopTimerUPP(MeasureAddPass),
                               nullptr, &pass);
         const double start = Now(), cpuStart = CpuSeconds();
         const long long readStart = bench::BytesRead();
         gLastPass = start;
         sp_testing::PostClick(Point{short(content.top + (button.top + button.bottom) / 2),
                                     short(content.left + (button.left + button.right) / 2)});
         When([] { return Rows() == gDrop && !CDR_GetMediaManagerPtr()->IsAddRunning(); },
              [start, cpuStart, readStart, pass] {
                const double now = Now();
                RemoveEventLoopTimer(pass);
                if (gAddedAt == 0) gAddedAt = now;
                // From the click, less the wait of the responder between the listing's end and
                // the choice (a user's time to choose); the longest pass, the files listed, from
                // the choice, and the processor time from the click.
                const double waited =
                    gListedAt > 0 && gChosenAt > gListedAt ? gChosenAt - gListedAt : 0;
                std::printf("%.4f %.1f %d %.4f %.4f %lld %.4f\n", now - start - waited,
                            gLongestPass * 1000.0, int(Rows()),
                            gChosenAt > 0 ? now - gChosenAt : 0.0, CpuSeconds() - cpuStart,
                            bench::BytesRead() - readStart, now - gAddedAt);
                QuitApplicationEventLoop();
              });
       });
}

// The add dialog shown on the folder of the files: from the click until it has listed every
// file (it asks the program of each), with the longest pass meanwhile; then it is cancelled.
double gListingStart = 0;
void MeasureListingPass(EventLoopTimerRef, void*) {
  const double now = Now();
  if (gListingStart == 0 || gListedAt > 0) return;
  gLongestPass = std::max(gLongestPass, now - gLastPass);
  gLastPass = now;
  if (gListingWindow != nullptr && sp_testing::NavListingDone(gListingWindow)) gListedAt = now;
}

sp_testing::Answer WatchListing() {
  return sp_testing::NavLook([](WindowRef window) {
    gListingWindow = window;
    sp_testing::Respond(sp_testing::NavListingDone(window) ? sp_testing::NavCancel()
                                                           : WatchListing());
  });
}

void ChildList() {
  When([] { return Rows() == 0; },
       [] {
         cCDR_MediaManager* m = CDR_GetMediaManagerPtr();
         // The dialog opens where the last add chose: in the folder of the files.
         sp_testing::Respond(sp_testing::NavGoTo(AddFolder(gKind)));
         sp_testing::Respond(sp_testing::NavCancel());
         Rect button = {0, 0, 0, 0}, content = {0, 0, 0, 0};
         m->GetAddButton()->GetDrawingAreaOnWindow(&button);
         m->GetContentAreaOnGlobal(content);
         const Point at = {short(content.top + (button.top + button.bottom) / 2),
                           short(content.left + (button.left + button.right) / 2)};
         sp_testing::PostClick(at);
         When([] { return sp_testing::PendingAnswerCount() == 0; },
              [at] {
                EventLoopTimerRef pass = nullptr;
                InstallEventLoopTimer(GetMainEventLoop(), 0, 1e-6,
                                      NewEventLoopTimerUPP(MeasureListingPass), nullptr, &pass);
                sp_testing::Respond(WatchListing());
                // What the first dialog learnt of the files it listed is forgotten.
                sp_testing::ForgetSoundLengths();
                gListingStart = gLastPass = Now();
                sp_testing::PostClick(at);
                When([] { return gListedAt > 0 && sp_testing::PendingAnswerCount() == 0; },
                     [pass] {
                       RemoveEventLoopTimer(pass);
                       std::printf("%.4f %.1f\n", gListedAt - gListingStart,
                                   gLongestPass * 1000.0);
                       QuitApplicationEventLoop();
                     });
              });
       });
}

// Removes the first file (count 1) or every file (count = the files listed) of the list the
// program started with: prints the seconds of the select-all (0 for one file), the seconds from
// the click on the remove button until the list is saved, the longest pass meanwhile and the
// rows left.
void ChildRemove(int count) {
  When([] { return Rows() == gFiles && !CDR_GetMediaManagerPtr()->IsAddRunning(); },
       [count] {
         cCDR_MediaManager* m = CDR_GetMediaManagerPtr();
         Rect list = {0, 0, 0, 0}, button = {0, 0, 0, 0}, content = {0, 0, 0, 0};
         m->GetMediaList()->GetDrawingAreaOnWindow(&list);
         m->GetRemoveButton()->GetDrawingAreaOnWindow(&button);
         m->GetContentAreaOnGlobal(content);
         // The first file is clicked; for every file, command-A then selects the rest from it.
         sp_testing::PostClick(
             Point{short(content.top + list.top + 4), short(content.left + list.left + 40)});
         const Point at = {short(content.top + (button.top + button.bottom) / 2),
                           short(content.left + (button.left + button.right) / 2)};
         When([m] { return m->GetSelectionListHead() != nullptr; },
              [m, at, count] {
                double selectSeconds = 0;
                if (count > 1) {
                  const double start = Now();
                  m->SelectAll(0, 1, 0);
                  selectSeconds = Now() - start;
                }
                EventLoopTimerRef pass = nullptr;
                InstallEventLoopTimer(GetMainEventLoop(), 0, 1e-6,
                                      NewEventLoopTimerUPP(MeasurePass), nullptr, &pass);
                const double start = Now();
                gLastPass = start;
                sp_testing::PostClick(at);
                When([count] {
                       return Rows() == gFiles - count &&
                              !CDR_GetMediaManagerPtr()->IsAddRunning();
                     },
                     [start, pass, selectSeconds] {
                       MeasurePass(nullptr, nullptr);
                       const double seconds = Now() - start;
                       RemoveEventLoopTimer(pass);
                       std::printf("%.4f %.1f %d %.4f\n", seconds, gLongestPass * 1000.0,
                                   int(Rows()), selectSeconds);
                       QuitApplicationEventLoop();
                     });
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
  } else if (mode.rfind("add-", 0) == 0) {
    gDrop = count;
    gKind = mode.substr(4);
    ChildAdd();
  } else if (mode.rfind("list-", 0) == 0) {
    gKind = mode.substr(5);
    ChildList();
  } else if (mode.rfind("remove-", 0) == 0) {
    gFiles = std::atoi(mode.c_str() + 7);
    ChildRemove(count);
  } else {
    gDrop = count;
    ChildDrop();
  }
  sp_testing::ResponderScope responder(sp_testing::ResponderScope::Report::kRecordOnly);
  char program[] = "mediamanager";
  char display[] = "--display=headless";
  char* argv[] = {program, display, nullptr};
  CDR_Main(2, argv);
  std::fflush(stdout);
  // The program's objects are left to the process's end, as the real program leaves them.
  std::_Exit(0);
}

// ---- The parent ---------------------------------------------------------------------------------

// `count` four-minute files of the kind: a tone in noise (compressed about as music is, where a
// bare tone would compress to almost nothing) encoded once by ffmpeg with its encoder's
// defaults and copied under every name (a link would be the same file to the program).
bool MakeAddFiles(const std::string& kind, int count) {
  const std::string folder = AddFolder(kind);
  mkdir(folder.c_str(), 0700);
  const std::string first = folder + "/" + AddName(1, kind);
  // Opus is encoded by opusenc (its defaults) from the same sound made as WAVE.
  const bool opus = kind == "opus";
  const std::string made = opus ? folder + "/source.wav" : first;
  const std::vector<std::string> encode = {
      "ffmpeg",
      "-loglevel",
      "error",
      "-y",
      "-f",
      "lavfi",
      "-i",
      "sine=frequency=440:sample_rate=44100:duration=240",
      "-f",
      "lavfi",
      "-i",
      "anoisesrc=color=pink:amplitude=0.05:sample_rate=44100:duration=240",
      "-filter_complex",
      "amix=inputs=2,aformat=channel_layouts=stereo",
      made};
  if (!bench::Spawn(encode).ok) return false;
  if (opus) {
    const bool encoded = bench::Spawn({"opusenc", "--quiet", made, first}).ok;
    unlink(made.c_str());
    if (!encoded) return false;
  }
  for (int i = 2; i <= count; ++i) {
    const std::string path = folder + "/" + AddName(i, kind);
    std::error_code error;
    std::filesystem::copy_file(first, path, std::filesystem::copy_options::overwrite_existing,
                               error);
    if (error) return false;
  }
  // The copies go to disk before anything is timed: the program makes its saved list durable,
  // and that waits behind gigabytes still being written.
  sync();
  return true;
}

struct Figures {
  double seconds = 0;
  double passMs = 0;
  double addSeconds = 0;  // adds: from the dialog's end
  double cpuSeconds = 0;  // adds: processor time
  double readMB = 0;      // adds: bytes read
  double saveSeconds = 0;  // adds: the list save after the last file was listed
  long peakMB = 0;
  bool ok = true;
};

// removeList: each run starts with no saved list; restore: each run starts with that list.
Figures Median(const std::string& self, const std::string& mode, int count, int runs,
               bool removeList, const std::string& restore = std::string()) {
  std::vector<double> seconds, passes, adding, cpu, readMB, saving;
  Figures f;
  for (int r = 0; r < runs; ++r) {
    if (removeList) unlink(ListPath().c_str());
    std::error_code error;
    if (!restore.empty() &&
        !std::filesystem::copy_file(restore, ListPath(),
                                    std::filesystem::copy_options::overwrite_existing, error)) {
      f.ok = false;
      continue;
    }
    const bench::Run run = bench::Spawn({self, "--child", mode, std::to_string(count)});
    double s = 0, p = 0, a = 0, c = 0, v = 0;
    long long bytes = 0;
    int rows = 0;
    const int read = std::sscanf(run.output.c_str(), "%lf %lf %d %lf %lf %lld %lf", &s, &p, &rows,
                                 &a, &c, &bytes, &v);
    if (!run.ok || read < 1) {
      std::fprintf(stderr, "%s run failed: %s\n", mode.c_str(), run.output.c_str());
      f.ok = false;
      continue;
    }
    seconds.push_back(s);
    passes.push_back(p);
    adding.push_back(a);
    cpu.push_back(c);
    readMB.push_back(double(bytes) / 1e6);
    saving.push_back(v);
    f.peakMB = std::max(f.peakMB, run.peakMB);
  }
  if (seconds.empty()) return f;
  std::sort(seconds.begin(), seconds.end());
  f.seconds = seconds[seconds.size() / 2];
  f.passMs = *std::max_element(passes.begin(), passes.end());
  f.addSeconds = bench::Median(adding);
  f.cpuSeconds = bench::Median(cpu);
  f.readMB = bench::Median(readMB);
  f.saveSeconds = bench::Median(saving);
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return Child(argv[2], std::atoi(argv[3]));
  int files = 9999, drop = 1000, add = 100, runs = 3;
  std::vector<std::string> kinds = {"wav"};
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--keep") == 0) {
      keep = true;
    } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--drop") == 0 && i + 1 < argc) {
      drop = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--add") == 0 && i + 1 < argc) {
      add = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--kinds") == 0 && i + 1 < argc) {
      kinds.clear();
      std::string list = argv[++i];
      for (std::size_t at = 0; at <= list.size();) {
        const std::size_t comma = std::min(list.find(',', at), list.size());
        if (comma > at) kinds.push_back(list.substr(at, comma - at));
        at = comma + 1;
      }
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
  // adding: the select-all's seconds
  const std::string listed = "remove-" + std::to_string(files);
  const Figures removeOne = Median(self, listed, 1, runs, false, kept);
  const Figures removeAll = Median(self, listed, files, runs, false, kept);
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
  std::printf("removal of 1 of %d files: %.3f s to the saved list, longest loop pass %.1f ms\n",
              files, removeOne.seconds, removeOne.passMs);
  std::printf("select-all of %d files: %.3f s; their removal: %.3f s to the saved list, longest "
              "loop pass %.1f ms\n",
              files, removeAll.addSeconds, removeAll.seconds, removeAll.passMs);
  const bool removeGoal = removeOne.ok && removeAll.ok && removeOne.passMs <= 50.0 &&
                          removeAll.passMs <= 50.0;
  std::printf("goal, removals with no pass over 50 ms: %s\n", removeGoal ? "met" : "MISSED");
  const bool startGoal = start.ok && start.seconds <= 1.0;
  const bool dropGoal = dropped.ok && dropped.seconds <= 10.0 && dropped.passMs <= 50.0;
  std::printf("goal, filled window within 1 s: %s\n", startGoal ? "met" : "MISSED");
  std::printf("goal, drop within 10 s, no pass over 50 ms: %s\n", dropGoal ? "met" : "MISSED");
  bool addsOk = true;
  // Every kind's files are made before any add is timed, and removed with the home: removing
  // thousands of files frees their space on the disk while the next kind's adds make the saved
  // list durable, and those waits are the disk's, not the program's.
  std::vector<std::string> made;
  for (const std::string& kind : kinds) {
    if (MakeAddFiles(kind, add)) {
      made.push_back(kind);
    } else {
      std::fprintf(stderr, "the %s files could not be made (is ffmpeg installed?)\n", kind.c_str());
      addsOk = false;
    }
  }
  for (const std::string& kind : made) {
    const Figures added = Median(self, "add-" + kind, add, runs, true);
    const Figures listed = Median(self, "list-" + kind, add, runs, true);
    std::vector<std::string> read = {"/usr/bin/python3", "-c",
                                     "import sys, mutagen\n"
                                     "for p in sys.argv[1:]: mutagen.File(p).info.length\n"};
    for (int i = 1; i <= add; ++i) read.push_back(AddFolder(kind) + "/" + AddName(i, kind));
    std::vector<double> readSeconds;
    for (int r = 0; r < runs; ++r) readSeconds.push_back(bench::Spawn(read).seconds);
    const double mutagen = bench::Median(readSeconds);
    const bool goal = added.ok && added.seconds <= 2.0 && added.passMs <= 50.0;
    const bool besideMutagen = added.ok && added.seconds <= 3.0 * mutagen;
    std::printf(
        "add of %d four-minute %s files through the add dialog: %.3f s from the click "
        "(%.3f s of it after the dialog, %.3f s of that the list save after the last file "
        "was listed), %.3f s of processor time, %.1f MB read, longest loop pass %.1f ms "
        "while they go in (%ld MB); their lengths read by mutagen in one process: %.3f s "
        "(ratio %.2f; %.2f without the list save); goal, within 2 s with no pass over "
        "50 ms while they go in: %s; goal, within 3 times mutagen's time: %s\n",
        add, kind.c_str(), added.seconds, added.addSeconds, added.saveSeconds, added.cpuSeconds,
        added.readMB, added.passMs, added.peakMB, mutagen, added.seconds / mutagen,
        (added.seconds - added.saveSeconds) / mutagen, goal ? "met" : "MISSED",
        besideMutagen ? "met" : "MISSED");
    std::printf("the add dialog listing the folder of these %d files: %.3f s from the click, "
                "longest loop pass %.1f ms\n",
                add, listed.seconds, listed.passMs);
    addsOk = addsOk && added.ok && listed.ok;
  }
  return start.ok && dropped.ok && empty.ok && one.ok && removeOne.ok && removeAll.ok && addsOk
             ? 0
             : 1;
}
