// One save of the emulated disc through the engine, as a process of its own: the driver that
// save_bench and app_save_bench start and time from outside; or ("each") the FLAC files of
// the Documents folder each saved into a WAVE file of its own, one after the other, each
// checked first as the program's save into separate files checks it (sound_converter_bench
// starts that).
//
// The disc lies in HOME/media (save_bench makes it); the save goes into the Documents folder,
// as one WAVE file ("wave"), an AIFF file at double speed ("speed2") or an AAC movie ("aac").
// The save runs from the engine's step timers on the event loop, as in the application. The
// program prints the save's own seconds (from starting it to its end callback, the final flush
// included), the longest single pass of the event loop in milliseconds and the seconds it
// waited for the engine's first look for discs, and exits.
//
//   save_driver wave|speed2|aac|each HOME
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
  sp_platform::files::SetMediaFolder(home + "/media");
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
  std::printf("%.3f %.1f %.3f\n", seconds, gLongestPass * 1000.0, waited);
  return 0;
}

// Each Documents/*.flac into Documents/<name>.wav; prints the seconds of all the saves.
int SaveEachInThisProcess(const std::string& home) {
  Sp_CarbonEvent_ModeEnable();
  if (!Sp_InitialQuckTime(0)) return 2;
  sp_platform::files::SetMediaFolder(home + "/media");
  cSp_CDRomManager* manager = Sp_InitialCDRom(1, 1, 0);
  if (manager == nullptr) return 2;
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  FSRef folder;
  if (!FindDocuments(vRefNum, dirID, folder)) return 4;
  std::vector<std::string> names;
  if (DIR* dir = opendir((home + "/Documents").c_str())) {
    while (const dirent* e = readdir(dir)) {
      const std::string name = e->d_name;
      if (name.size() > 5 && name.compare(name.size() - 5, 5, ".flac") == 0) names.push_back(name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  const double start = Now();
  for (const std::string& name : names) {
    cSp_CDRProgramBaseObj* program = manager->NewProgramBase();
    if (program == nullptr) return 3;
    unsigned char error = 0;
    if (!program->NewProgramItem(-1)->SetupFileProgramInfo(
            vRefNum, dirID, name.c_str(), name.c_str(), kSpCDRProgItemSoundFile, nullptr, &error))
      return 3;
    program->SetupSaveFileEndProcCB(CatchEnd, 0);
    program->SetupFileProgram();
    if (!program->CheckAllProgramItemLoadPossibility(0, nullptr)) return 3;
    const std::string out = name.substr(0, name.size() - 5) + ".wav";
    SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
    gEnded = false;
    if (!program->SaveTargetProgItem(-1, &folder, out.c_str(), 1, SpFourCC("TVOD"),
                                     SpFourCC("WAVE"), 1.0f, 0, nullptr, 0))
      return 5;
    program->StartSaveAndPlayEventLoop();
    RunApplicationEventLoop();
    SpCDRI_DisablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
    if (!gEnded || gStopped) return 6;
  }
  std::printf("%.3f\n", Now() - start);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: save_driver wave|speed2|aac|each HOME\n");
    return 1;
  }
  if (std::string(argv[1]) == "each") return SaveEachInThisProcess(argv[2]);
  return SaveInThisProcess(argv[1], argv[2]);
}
