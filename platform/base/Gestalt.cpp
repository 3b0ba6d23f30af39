#include "Gestalt.h"

#include <map>

#include "base/internal/TestHooks.h"

namespace {

// What this platform answers. The system version 10.4.9 enables the behaviour of the newer
// toolbox (minimum window sizes, content colours); Apple events, the Appearance Manager,
// the Aqua menu layout (bit 1) and the Drag Manager (bit 0) are present; virtual memory is
// off; Icon Services are absent, so icons come from the program's own resources. The Text
// Services Manager (version 1.5) and its text-edit support are there: the desktop's input
// method reaches the program through them.
std::map<OSType, SInt32> DefaultTable() {
  return {
      {gestaltSystemVersion, 0x1049},
      {gestaltAppleEventsAttr, 0x1},
      {gestaltAppearanceAttr, 0x1},
      {gestaltVMAttr, 0x0},
      {gestaltNativeCPUtype, 0x0139},
      {gestaltProcClkSpeed, 1000000000},
      {gestaltMenuMgrAttr, 0x2},
      {gestaltDragMgrAttr, 0x1},
      {gestaltQuickTimeVersion, 0x07008000},
      {gestaltTSMgrVersion, 0x150},
      {gestaltTSMTEAttr, 0x3},
  };
}

std::map<OSType, SInt32>& Table() {
  static std::map<OSType, SInt32> table = DefaultTable();
  return table;
}

}  // namespace

namespace sp_platform {

void SetGestaltAnswer(OSType selector, SInt32 response) {
  Table()[selector] = response;
}
void RemoveGestaltAnswer(OSType selector) {
  Table().erase(selector);
}
void ResetGestaltTable() {
  Table() = DefaultTable();
}

}  // namespace sp_platform

OSErr Gestalt(OSType selector, SInt32* response) {
  auto it = Table().find(selector);
  if (it == Table().end()) return gestaltUndefSelectorErr;
  if (response == nullptr) return paramErr;
  *response = it->second;
  return noErr;
}
