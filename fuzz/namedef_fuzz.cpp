// File-name definitions: the bytes as "FileNameDefIntoOneFile" in the "Zanthe Folder" of the
// Preferences folder, loaded as the name builder and the dialogs load it. What was loaded is
// saved and loaded again, and must come back as it was; its example is rendered into a small
// buffer, which it must never pass.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzProgramHome.h"
#include "CDMediaMgrFileName.h"
#include "TevoSaveFileNameDefObj.h"

namespace {

std::vector<int> KindsOf(const cTevo_SaveFileNameDefObject& definition) {
  std::vector<int> kinds;
  for (auto* item = definition.FileNameDefItemListHeadPtr(); item != nullptr;
       item = item->GetNextObjectPtr()) {
    kinds.push_back(item->GetDefinitionType());
  }
  return kinds;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& home = sp_fuzz::ProgramHome();
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  if (home.empty() || !sp_fuzz::MakePreferencesFolder(vRefNum, dirID)) return 0;
  const std::string folder = home + "/.config/" + kTevo_FileNameDefFolderName;
  mkdir(folder.c_str(), 0700);
  if (!sp_fuzz::WriteFile(folder + "/" + kTevo_FileNameDefIntoOneFileName, data, size)) return 0;
  short folderVRefNum = 0;
  SInt32 folderID = 0;
  if (!CDRMMgr_GetFileNameDefFolder(folderVRefNum, folderID)) return 0;

  cTevo_SaveFileNameDefObject loaded(folderVRefNum, folderID, kTevo_FileNameDefIntoOneFileName);
  const bool read = loaded.LoadFileNameDefinitionFromDefaultFileInPreferenceFolder() != 0;
  const std::vector<int> kinds = KindsOf(loaded);
  if (kinds.size() > kTevo_FileNameDefMaxItems) std::abort();

  char example[40];
  std::memset(example, 0x7F, sizeof example);
  loaded.CreateExampleStringForOutput(example, 32, 1.5f);
  if (std::strlen(example) >= 32 || example[32] != 0x7F) std::abort();

  if (!read) return 0;
  if (!loaded.SaveFileNameDefinitionIntoDefaultFileInPreferenceFolder()) std::abort();
  cTevo_SaveFileNameDefObject again(folderVRefNum, folderID, kTevo_FileNameDefIntoOneFileName);
  const bool readAgain = again.LoadFileNameDefinitionFromDefaultFileInPreferenceFolder() != 0;
  // A definition without parts leaves no file behind.
  if (readAgain != !kinds.empty() || KindsOf(again) != kinds) std::abort();
  return 0;
}
