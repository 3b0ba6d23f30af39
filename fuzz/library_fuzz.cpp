// The music library: the bytes as "iTunes Music Library.xml" in the "iTunes" folder of the
// Music folder, read as at the program's start, and a disc of three tracks looked up in it
// among the albums and the playlists, as a media scan names a CD's tracks.
#include <sys/stat.h>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzProgramHome.h"
#include "SpCollectionObject.h"
#include "SpiTunesMusicInfoObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& home = sp_fuzz::ProgramHome();
  if (home.empty()) return 0;
  // The Music folder of a home is its "Music".
  const std::string folder = home + "/Music/" + kSpiTM_FolderName;
  mkdir((home + "/Music").c_str(), 0700);
  mkdir(folder.c_str(), 0700);
  if (!sp_fuzz::WriteFile(folder + "/" + kSpiTM_LibraryFileName, data, size)) return 0;

  ciTunesMusicInfoObj* library = SpiTM_CreateITunesMusicInfo(1);
  if (library == nullptr) return 0;
  // Track lengths in whole seconds, as the engine measures them; the seeds' album has them.
  cSp_uLongCollection lengths;
  for (unsigned long seconds : {215ul, 187ul, 243ul}) lengths.SetValue(-1, seconds);
  for (unsigned char playlists : {0, 1}) {
    cSp_uLongCollection found;
    library->GetTargetAlbum(3, &lengths, playlists, &found);
  }
  delete library;
  return 0;
}
