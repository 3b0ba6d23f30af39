// ID3 tags: the bytes as a sound file in the Preferences folder, read as the program reads the
// tag of a file the user adds (an ID3 v2 tag at its start, else v1 at its end, else the
// chunks of an AIFF file).
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzProgramHome.h"
#include "SpQTInterface.h"
#include "SpQTMusicInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  if (!sp_fuzz::WritePreferencesFile("input.mp3", data, size, vRefNum, dirID)) return 0;

  cSp_MusicFileMusicInfoDataObj* record = nullptr;
  SpQTI_ParseMusicInfoFromTargetFile(vRefNum, dirID, "input.mp3", nullptr, record);
  delete record;
  return 0;
}
