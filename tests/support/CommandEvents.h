// The command id a {'cmds', 1} event carries, for tests that record the commands reaching the
// application.
#pragma once

#include "CarbonEvents.h"

inline UInt32 CommandIDOf(EventRef event) {
  HICommand command{};
  GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command,
                    nullptr, &command);
  return command.commandID;
}
