// One save of the emulated disc through the engine, as a process of its own: the driver that
// save_bench and app_save_bench start and time from outside; or ("each") the FLAC files of
// the Documents folder each saved into a WAVE file of its own, one after the other, each
// checked first as the program's save into separate files checks it (sound_converter_bench
// starts that).
//
// The disc lies in HOME/media (save_bench makes it) or, for "image", as a CUE/BIN image in
// HOME/image; the save goes into the Documents folder, as one WAVE file ("wave", "image"), an
// AIFF file at double speed ("speed2"), an AAC movie ("aac") or an uncompressed movie
// ("movie"). The saves run from the engine's step timers on the event loop, as in the
// application; "each" starts every next file from a timer once the one before has ended, as
// the application's save into separate files does, all in one run of the loop. The program
// prints the save's own seconds (from starting it to its end callback, the final flush
// included), the longest single pass of the event loop in milliseconds, the number of passes
// over 50 ms and the seconds it waited for the engine's first look for discs, and exits.
//
//   save_driver wave|image|speed2|aac|movie|each HOME
#include <dirent.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

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

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool gEnded = false;
unsigned char gStopped = 0;
double gLastPass = 0;
double gLongestPass = 0;
int gLongPasses = 0;

void CatchEnd(cSp_CDRProgramBaseObj*, unsigned char stopped, unsigned long) {
  gEnded = true;
  gStopped = stopped;
  QuitApplicationEventLoop();
}

// Fires on every pass of the loop: the time since the last firing is one pass.
void MeasurePass(EventLoopTimerRef, void*) {
  const double now = Now();
  if (gLastPass > 0) {
    gLongestPass = std::max(gLongestPass, now - gLastPass);
    if (now - gLastPass > 0.05) ++gLongPasses;
  }
  gLastPass = now;
}

// The Documents folder, where the saves go.
bool FindDocuments(SInt16& vRefNum, SInt32& dirID, FSRef& folder) {
  return FindFolder(kOnSystemDisk, kDocumentsFolderType, kDontCreateFolder, &vRefNum, &dirID) ==
             noErr &&
         Sp_GetFSRefFromDirectoryPositionInfo(vRefNum, dirID, &folder) == noErr;
}

void QuitWhenDiscMounted(EventLoopTimerRef, void*) {
  if (Sp_CDRomCountCDDA() > 0) QuitApplicationEventLoop();
}

int SaveInThisProcess(const std::string& mode, const std::string& home) {
  Sp_CarbonEvent_ModeEnable();
  if (!Sp_InitialQuckTime(0)) return 2;
  sp_platform::files::SetMediaFolder(home + (mode == "image" ? "/image" : "/media"));
  if (Sp_InitialCDRom(1, 1, 0) == nullptr) return 2;
  // The engine first looks for discs a set time after it starts; that wait is the program's
  // start, not the save, and is reported apart.
  const double waitStart = Now();
  EventLoopTimerRef waiting = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0.01, 0.01, NewEventLoopTimerUPP(QuitWhenDiscMounted),
                        nullptr, &waiting);
  RunApplicationEventLoop();
  RemoveEventLoopTimer(waiting);
  const double waited = Now() - waitStart;
  cSp_CDRProgramBaseObj* program = nullptr;
  if (Sp_CDRomCreateCDAudioProgram(Sp_CDRomGetCDObjectByCounter(0), 1, &program) != 1) return 3;
  program->SetupSaveFileEndProcCB(CatchEnd, 0);
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  FSRef folder;
  if (!FindDocuments(vRefNum, dirID, folder)) return 4;
  const double start = Now();
  Boolean started = false;
  if (mode == "wave" || mode == "image") {
    SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
    started = program->SaveTargetProgItem(-1, &folder, "ours.wav", 1, SpFourCC("TVOD"),
                                          SpFourCC("WAVE"), 1.0f, 0, nullptr, 0);
  } else if (mode == "speed2") {
    SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
    started = program->SaveTargetProgItem(-1, &folder, "ours2.aiff", 1, SpFourCC("TVOD"),
                                          SpFourCC("AIFF"), 2.0f, 0, nullptr, 0);
  } else {
    SpCDRI_EnableWriteIntoQuickTimeFileEventIdleProcedureForCarbonEvent();
    const bool aac = mode == "aac";
    started = program->SaveTargetProgItemIntoQuickTimeFile(
        -1, &folder, "ours.mov", 1, SpFourCC(aac ? "MooV" : "QTnc"), SpFourCC("mp4a"), 0xAC440000,
        16, 2, nullptr, 1.0f, nullptr, 0);
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
  std::printf("%.3f %.1f %d %.3f\n", seconds, gLongestPass * 1000.0, gLongPasses, waited);
  return 0;
}

// The run of "each": the files, the next one to save and the folder they go to.
struct EachRun {
  cSp_CDRomManager* manager = nullptr;
  std::vector<std::string> names;
  std::size_t next = 0;
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  FSRef folder;
  cSp_CDRProgramBaseObj* checked = nullptr;  // the file checked, whose save starts next
  int failure = 0;
};
EachRun gEach;
EventLoopTimerUPP gNextFileUPP = nullptr;
EventLoopTimerUPP gStartCheckedUPP = nullptr;
void StartCheckedFile(EventLoopTimerRef timer, void*);

// Sets up and checks the next file, or ends the loop after the last; as the application's
// next-file timer, once the save before has ended.
void StartNextFile(EventLoopTimerRef timer, void*) {
  if (timer != nullptr) RemoveEventLoopTimer(timer);
  if (gEach.next > 0 && (!gEnded || gStopped)) gEach.failure = 6;
  if (gEach.failure != 0 || gEach.next == gEach.names.size()) {
    QuitApplicationEventLoop();
    return;
  }
  const std::string& name = gEach.names[gEach.next++];
  cSp_CDRProgramBaseObj* program = gEach.manager->NewProgramBase();
  unsigned char error = 0;
  if (program == nullptr || !program->NewProgramItem(-1)->SetupFileProgramInfo(
                                gEach.vRefNum, gEach.dirID, name.c_str(), name.c_str(),
                                kSpCDRProgItemSoundFile, nullptr, &error)) {
    gEach.failure = 3;
    QuitApplicationEventLoop();
    return;
  }
  program->SetupSaveFileEndProcCB(
      [](cSp_CDRProgramBaseObj*, unsigned char stopped, unsigned long) {
        gEnded = true;
        gStopped = stopped;
        EventLoopTimerRef next = nullptr;
        InstallEventLoopTimer(GetMainEventLoop(), 0, 0, gNextFileUPP, nullptr, &next);
      },
      0);
  program->SetupFileProgram();
  if (!program->CheckAllProgramItemLoadPossibility(0, nullptr)) {
    gEach.failure = 3;
    QuitApplicationEventLoop();
    return;
  }
  // As the program does, the checked file's save starts in the next pass.
  gEach.checked = program;
  EventLoopTimerRef start = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0, 0, gStartCheckedUPP, nullptr, &start);
}

void StartCheckedFile(EventLoopTimerRef timer, void*) {
  RemoveEventLoopTimer(timer);
  const std::string& name = gEach.names[gEach.next - 1];
  const std::string out = name.substr(0, name.size() - 5) + ".wav";
  gEnded = false;
  if (!gEach.checked->SaveTargetProgItem(-1, &gEach.folder, out.c_str(), 1, SpFourCC("TVOD"),
                                         SpFourCC("WAVE"), 1.0f, 0, nullptr, 0)) {
    gEach.failure = 5;
    QuitApplicationEventLoop();
    return;
  }
  gEach.checked->StartSaveAndPlayEventLoop();
}

// Each Documents/*.flac into Documents/<name>.wav; prints the seconds of all the saves, the
// longest pass and the passes over 50 ms.
int SaveEachInThisProcess(const std::string& home) {
  Sp_CarbonEvent_ModeEnable();
  if (!Sp_InitialQuckTime(0)) return 2;
  sp_platform::files::SetMediaFolder(home + "/media");
  gEach.manager = Sp_InitialCDRom(1, 1, 0);
  if (gEach.manager == nullptr) return 2;
  if (!FindDocuments(gEach.vRefNum, gEach.dirID, gEach.folder)) return 4;
  if (DIR* dir = opendir((home + "/Documents").c_str())) {
    while (const dirent* e = readdir(dir)) {
      const std::string name = e->d_name;
      if (name.size() > 5 && name.compare(name.size() - 5, 5, ".flac") == 0)
        gEach.names.push_back(name);
    }
    closedir(dir);
  }
  std::sort(gEach.names.begin(), gEach.names.end());
  gNextFileUPP = NewEventLoopTimerUPP(StartNextFile);
  gStartCheckedUPP = NewEventLoopTimerUPP(StartCheckedFile);
  SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
  const double start = Now();
  EventLoopTimerRef first = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0, 0, gNextFileUPP, nullptr, &first);
  EventLoopTimerRef pass = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0, 1e-6, NewEventLoopTimerUPP(MeasurePass), nullptr,
                        &pass);
  RunApplicationEventLoop();
  RemoveEventLoopTimer(pass);
  if (gEach.failure != 0) return gEach.failure;
  std::printf("%.3f %.1f %d\n", Now() - start, gLongestPass * 1000.0, gLongPasses);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: save_driver wave|image|speed2|aac|movie|each HOME\n");
    return 1;
  }
  if (std::string(argv[1]) == "each") return SaveEachInThisProcess(argv[2]);
  return SaveInThisProcess(argv[1], argv[2]);
}
