// The table of standard handling: what the toolbox does with an event that every handler of a
// target left unhandled. Not for the program's own code.
//
// Each row names one event type, the kind of target at whose bottom it runs, and the function
// that does the default behaviour; a new behaviour is one row and one function. Rows run in
// table order; the first that answers something other than eventNotHandledErr ends the
// event's way (it does not go on to the parent target). Window rows run only for windows that
// have kWindowStandardHandlerAttribute.
#pragma once

#include <cstddef>

#include "CarbonEvents.h"
#include "events/detail/EventLoop.h"

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

// The rows of the managers that have their own, kept beside their managers so that a manager
// adds its behaviours in its own file: windows (platform/ui/WindowStandardRows.cpp), dialogs
// (DialogStandardRows.cpp), controls (ControlStandardRows.cpp). Each answers its rows and
// their number.
const StandardHandlerRow* WindowStandardHandlerRows(std::size_t* count);
const StandardHandlerRow* DialogStandardHandlerRows(std::size_t* count);
const StandardHandlerRow* ControlStandardHandlerRows(std::size_t* count);

// The whole table, in the order the rows run: the application's rows, then the windows',
// dialogs' and controls'. Built on first use.
const StandardHandlerRow* StandardHandlerTable(std::size_t* count);

}  // namespace events
}  // namespace sp_platform
