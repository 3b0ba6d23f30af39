// The preference stock's settings file: the bytes as a settings file in the Preferences
// folder, loaded by a file object as at the program's start. A file that loads is saved and
// loaded again by a new object, and the two item trees must be alike: the reader takes
// everything the writer writes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "FuzzProgramHome.h"
#include "SpPreferenceStockObject.h"

namespace {

const char kFileName[] = "Settings";
constexpr UInt32 kIdentifyType = SpFourCC("Zqcr");

// An item as its depth in the tree, its id, its type and its value's bytes (a string's text
// only, not the spare bytes of its block).
using Item = std::tuple<int, UInt32, UInt8, std::string>;

std::vector<Item> TreeOf(const cPrefStockFileObj& file) {
  std::vector<Item> items;
  const cPrefStockData* item = file.GetPrefStockTopDataListHead();
  int depth = 0;
  while (item != nullptr) {
    sPrefStockDataSaveInfo info;
    item->GetSaveInfo(info);
    const char* bytes = static_cast<const char*>(info.dataPtr);
    std::size_t length = bytes != nullptr && info.dataLength > 0 ? std::size_t(info.dataLength) : 0;
    if (info.dataType == kPrefStockDataType_String && length > 0) length = strnlen(bytes, length);
    items.emplace_back(depth, info.identifyType, info.dataType,
                       length > 0 ? std::string(bytes, length) : std::string());
    // Depth first, without recursion: the children, else the next sibling, else the next
    // sibling of the nearest group above that has one.
    if (item->GetStockTopUnderDataListHead() != nullptr) {
      item = item->GetStockTopUnderDataListHead();
      ++depth;
      continue;
    }
    while (item != nullptr && item->GetNextObjectPtr() == nullptr) {
      item = item->GetStockUpperGroupObjPtr();
      --depth;
    }
    if (item != nullptr) item = item->GetNextObjectPtr();
  }
  return items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  if (!sp_fuzz::WritePreferencesFile(kFileName, data, size, vRefNum, dirID)) return 0;

  std::vector<Item> loaded;
  {
    cPrefStockFileObj file(kIdentifyType, vRefNum, dirID, kFileName, kIdentifyType,
                           SpFourCC("pref"));
    if (file.LoadPrefDataFromFile() != noErr) return 0;
    loaded = TreeOf(file);
    if (file.SavePrefDataInFile() != noErr) std::abort();
  }
  cPrefStockFileObj again(kIdentifyType, vRefNum, dirID, kFileName, kIdentifyType,
                          SpFourCC("pref"));
  if (again.LoadPrefDataFromFile() != noErr || TreeOf(again) != loaded) std::abort();
  return 0;
}
