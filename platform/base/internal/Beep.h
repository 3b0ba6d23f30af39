// Where SysBeep's sound goes: the display backend rings the desktop's bell (or flashes a
// window) through the procedure it installs here. Not for the program's own code.
#pragma once

namespace sp_platform {

typedef void (*BeepProc)(void* refCon);
// Null: SysBeep only counts (headless).
void SetBeepProc(BeepProc proc, void* refCon);

}  // namespace sp_platform
