// Start data: the bytes as the two files of "Zanthe Folder" in the Preferences folder (a
// big-endian 16-bit length, that many bytes of "CDDA-Data", the rest "QTFILE-Data"), loaded as
// on the first look-up of a medium. What was loaded is saved and loaded again, and must come
// back as it was: the reader takes everything the writer writes.
#include <sys/stat.h>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "FuzzProgramHome.h"
#include "SpCDRSaveIniDataMgrObj.h"

namespace {

using CDRecord = std::tuple<UInt32, UInt32, UInt32, UInt32, UInt32>;
using FileRecord = std::tuple<std::string, UInt32, SInt32, OSType, SInt16, SInt16, UInt32, SInt32,
                              SInt32, SInt32, SInt32, UInt32>;

struct Lists {
  std::vector<CDRecord> cds;
  std::vector<FileRecord> files;
  bool operator==(const Lists& other) const { return cds == other.cds && files == other.files; }
};

Lists ListsOf(const cSpCDRSaveInitDataMgr& manager) {
  Lists lists;
  for (const cCDSaveInitialData* r = manager.GetCDInitialDataList(); r != nullptr;
       r = r->GetNextObjectPtr()) {
    UInt32 tracks = 0, level = 0;
    cDiscPosition end;
    r->GetCDData(&tracks, &end, &level);
    lists.cds.emplace_back(tracks, end.minutes, end.seconds, end.frames, level);
  }
  for (const cQTFileSaveInitialData* r = manager.GetFileInitialDataList(); r != nullptr;
       r = r->GetNextObjectPtr()) {
    char name[kSpQTFileInitNameSize];
    UInt32 size = 0;
    SoundComponentData f{};
    SInt32 duration = 0, scale = 0;
    r->GetFileAttributeData(name, &size, &f, &duration, &scale);
    lists.files.emplace_back(name, size, f.flags, f.format, f.numChannels, f.sampleSize,
                             f.sampleRate, f.sampleCount, f.reserved, duration, scale,
                             r->GetVolumeLevel());
  }
  return lists;
}

// Loads both files into a new manager and gives what it holds.
Lists Load() {
  SpDisposeCDQTFileInitManager();
  SpDeleteRecordsOfDisposedManagers();
  cSpCDRSaveInitDataMgr* manager = SpGetCDQTFileInitMaganer(1);
  if (manager == nullptr) std::abort();
  return ListsOf(*manager);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::size_t cdSize = size >= 2 ? std::size_t(data[0]) << 8 | data[1] : 0;
  const std::size_t start = std::min<std::size_t>(size, 2);
  cdSize = std::min(cdSize, size - start);
  const std::string& home = sp_fuzz::ProgramHome();
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  if (home.empty() || !sp_fuzz::MakePreferencesFolder(vRefNum, dirID)) return 0;
  // The Preferences folder of a home is its ".config".
  mkdir((home + "/.config/" + kSpStartDataFolderName).c_str(), 0700);
  const std::string folder = std::string(kSpStartDataFolderName) + "/";
  if (!sp_fuzz::WritePreferencesFile(folder + kSpCDStartDataFileName, data + start, cdSize, vRefNum,
                                     dirID) ||
      !sp_fuzz::WritePreferencesFile(folder + kSpQTFileStartDataFileName, data + start + cdSize,
                                     size - start - cdSize, vRefNum, dirID)) {
    return 0;
  }

  const Lists loaded = Load();
  cSpCDRSaveInitDataMgr* manager = SpGetCDQTFileInitMaganer(0);
  manager->SetupCDInitDataModifyFlag();
  manager->SetupFileInitDataModifyFlag();
  if (!manager->SaveModifyData()) std::abort();
  if (!(Load() == loaded)) std::abort();
  SpDisposeCDQTFileInitManager();
  SpDeleteRecordsOfDisposedManagers();
  return 0;
}
