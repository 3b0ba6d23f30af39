// Holiday files of the calendar: the bytes as a public holiday file and as both equinox
// correction files, read by a manager of their own, and every day of two years asked for,
// with name buffers of several sizes.
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>

#include "FuzzProgramHome.h"
#include "SpHolidayDataObject.h"
#include "SpStdFileFunction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& home = sp_fuzz::ProgramHome();
  if (home.empty()) return 0;
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  if (!sp_fuzz::MakePreferencesFolder(vRefNum, dirID)) return 0;
  // The Preferences folder of a home is its ".config".
  if (!sp_fuzz::WriteFile(home + "/.config/Holidays", data, size)) return 0;
  char path[1024];
  if (Sp_FullPathNameFromFileInfo(vRefNum, dirID, "Holidays", path) != noErr) return 0;

  // A manager of its own rather than the program's, whose making registers its disposal
  // anew each time.
  cHolidayDataManager* manager = new (std::nothrow) cHolidayDataManager();
  if (manager == nullptr) return 0;
  manager->SetupPublicHolidayFileName(path, 1);
  manager->SetupVernalEquinoxModifyFileName(vRefNum, dirID, "Holidays", 1);
  manager->SetupAutumnalEquinoxModifyFileName(vRefNum, dirID, "Holidays", 1);
  const SInt32 lengths[] = {0, 3, 9, 11, 64};
  int i = 0;
  for (short year : {short(2009), short(2012)}) {
    for (short month = 1; month <= 12; ++month) {
      for (short day = 1; day <= 31; ++day) {
        char name[64];
        unsigned char cut = 0;
        manager->CheckHolidayForTargetDay(1, year, month, day, name, lengths[i++ % 5], cut);
      }
    }
  }
  manager->SetupPublicHolidayFileName(path, 1);  // read again over the first reading
  delete manager;
  return 0;
}
