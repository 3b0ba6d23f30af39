// The table of standard handling: what the toolbox does with an event that every handler of a
// target left unhandled. The event layer owns the mechanism and its own rows (the quit
// command); the user-interface managers (menus, windows, dialogs, controls) install theirs
// through SetInterfaceStandardHandlerRows. Not for the program's own code.
//
// Each row names one event type, the kind of target at whose bottom it runs, and the function
// that does the default behaviour; a new behaviour is one row and one function. Rows run in
// table order; the first that answers something other than eventNotHandledErr ends the
// event's way (it does not go on to the parent target). Window rows run only for windows that
// have kWindowStandardHandlerAttribute.
#pragma once

#include <cstddef>

#include "CarbonEvents.h"
#include "events/internal/EventLoop.h"

namespace sp_platform {
namespace events {

typedef OSStatus (*StandardHandlerProc)(EventRef event, EventTargetRef target);

struct StandardHandlerRow {
  UInt32 eventClass;
  UInt32 eventKind;
  EventTargetKind targetKind;
  StandardHandlerProc handler;
  const char* behaviour;  // one line, for the reader and the tests
};

// Answers the rows of the user-interface managers, in the order they run, and their number.
typedef const StandardHandlerRow* (*StandardHandlerRowsProc)(std::size_t* count);
// The Window Manager installs its managers' rows here when the program starts; they run after
// the event layer's own. Null takes them out again.
void SetInterfaceStandardHandlerRows(StandardHandlerRowsProc rows);

// The whole table, in the order the rows run: the event layer's rows, then the installed
// ones. Built on first use after the rows were installed.
const StandardHandlerRow* StandardHandlerTable(std::size_t* count);

}  // namespace events
}  // namespace sp_platform
