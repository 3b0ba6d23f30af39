// The rows the user-interface managers add to the event layer's table of standard handling
// (events/internal/StandardHandlers.h). Each manager keeps its rows beside its code so that it
// adds a behaviour in its own file: the application's keys (StandardRows.cpp), windows
// (WindowStandardRows.cpp), dialogs (DialogStandardRows.cpp), controls
// (ControlStandardRows.cpp). Each answers its rows and their number.
#pragma once

#include <cstddef>

#include "events/internal/StandardHandlers.h"

namespace sp_platform {
namespace events {

const StandardHandlerRow* ApplicationKeyStandardHandlerRows(std::size_t* count);
const StandardHandlerRow* WindowStandardHandlerRows(std::size_t* count);
const StandardHandlerRow* DialogStandardHandlerRows(std::size_t* count);
const StandardHandlerRow* ControlStandardHandlerRows(std::size_t* count);
const StandardHandlerRow* MenuBarStandardHandlerRows(std::size_t* count);

}  // namespace events

namespace ui {

// Installs the rows above, in that order, into the event layer's table.
void InstallStandardHandlerRows();

}  // namespace ui
}  // namespace sp_platform
