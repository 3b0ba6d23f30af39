// The edit-text engine's entry points for the framework: keys and typed text for the active
// edit-text object, its idle work, resume and suspend, and whether inline input is under way.
//
// The edit-text manager is made when the first edit-text object is. Until then every call
// answers as for "no manager": nothing is taken (0) and nothing runs.
#pragma once

#include "MacTypes.h"

// The manager's idle work (the caret), when the manager exists.
void SpETO_EventIdleProcedure();
// Non-zero when the active edit-text object took the key.
unsigned char SpETO_EventKeyInProcedure(char key, short modifiers);
// Non-zero when the manager inserted the zero-terminated MacJapanese text.
unsigned char SpETO_EventKeyStringInProcedure(const char* text);
// 1 when there is an active edit-text object and an edit-text object has inline input in
// progress (its keys then belong to the input method).
unsigned char SpETO_ExistTextObjectAtEextInputInProgress();
void SpETO_ResumeEditManager();
// 0 when there is no manager.
unsigned char SpETO_SuspendEditManager();

// Installs the text services' Carbon handlers on the application target, among them the
// framework's typed-text handler {'text', 2} (Sp_TextInputKeyEventHandlerProc).
void SpTSMSetupEventHandlerForCarbonEvent();

// Hands the framework the engine's and the text services' entry points above. Called once
// when the program starts, before the framework's start-up.
void SpETO_InstallEditTextServices();

namespace sp_testing {
// Stands for an edit-text object with inline input in progress, so that the framework's key
// routing can be tested before the engine exists.
void SetInlineInputInProgress(bool inProgress);
}  // namespace sp_testing
