// The error-message file: the bytes as "FileErrorNoData.txt" (lines of an error number, a tab
// and its message), registered with a message manager as at the program's start, and the
// messages of a few numbers looked up and shown, as a failure shows its number's text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzProgramHome.h"
#include "SpErrorInfoSystem.h"

namespace {

const char kFileName[] = "FileErrorNoData.txt";

// The dialog that shows a message: shows nothing.
void IgnoreMessage(char*, unsigned char) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  if (!sp_fuzz::WritePreferencesFile(kFileName, data, size, vRefNum, dirID)) return 0;
  SpSayErrorNo_SetDisplayProcs(IgnoreMessage, nullptr);

  cSayErrorNoMgr messages;
  messages.SetupNewErrorFile(0, vRefNum, dirID, kFileName, 0, 0);
  char text[kSpSayErrorLineSize];
  for (short number : {1, 2, -39, -43, 32767, -32768}) {
    messages.GetTargetErrorString(0, number, text, sizeof text);
    // A small buffer, as callers with a short field give.
    messages.GetTargetErrorString(0, number, text, 8);
  }
  messages.SayErrorOccured(0, 2, nullptr);
  return 0;
}
