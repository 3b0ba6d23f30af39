// The title database "CD Remote Programs": the bytes as the resource file in the Preferences
// folder, loaded afresh as on the first look-up of a disc, a few discs looked up, and the
// database thrown away again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzProgramHome.h"
#include "SpCDDBMgrObject.h"
#include "SpCDDiscPosition.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  if (!sp_fuzz::WritePreferencesFile(kSpCDDBFileName, data, size, vRefNum, dirID)) return 0;

  SpDisposeCDDBManager();
  // Keys of the seeds' discs and of none.
  const cDiscPosition keys[] = {cDiscPosition(44, 59, 74, 0), cDiscPosition(3, 59, 74, 0),
                                cDiscPosition(0, 0, 0, 0)};
  for (const cDiscPosition& key : keys) {
    cSp_CDDBItem* item = SpCDDB_GetDBItem(key);
    if (item == nullptr) continue;
    char title[256];
    unsigned char truncated = 0;
    item->GetCDTitle(title, sizeof title, &truncated);
    for (short track = 1; track <= 3; ++track)
      item->GetCDTrackTitle(track, title, sizeof title, &truncated);
  }
  SpDisposeCDDBManager();
  return 0;
}
