// What the modal dialogs, alerts and sheets of the layer tell the test API's responder: the
// ModalDialog loops running, and the facts of an alert or sheet window. Not for the program's
// own code.
#pragma once

#include <string>
#include <vector>

#include "../Alerts.h"
#include "../Dialogs.h"
#include "../MacWindows.h"

namespace sp_platform {
namespace alerts {

// ---- ModalDialog's loops (ModalDialog.cpp) ----

// One ModalDialog call under way.
struct RunningModalDialog {
  DialogRef dialog;
  // The number of RunAppModalLoopForWindow loops that ran when this ModalDialog began: a
  // larger ModalLoopDepth() now means such a loop runs inside it.
  int eventsModalDepth;
};
// The ModalDialog calls under way, outermost first.
std::vector<RunningModalDialog> RunningModalDialogs();
// Every ModalDialog call for this dialog (the one under way included) gives up at once, until
// the dialog is disposed of. Nothing for a bad dialog.
void AbandonModalDialog(DialogRef dialog);

// ---- Alerts and sheets (AlertBuild.cpp) ----

// What the layer knows of an alert or sheet window it built.
struct AlertFacts {
  bool standard = false;    // a standard alert or sheet built by the layer
  bool sheet = false;       // a standard sheet
  bool resource = false;    // an alert from an 'ALRT' resource
  AlertType type = -1;      // the alert type (standard), or -1
  std::string message;      // MacJapanese, as shown
  std::string explanation;  // MacJapanese, as shown
};
// False for a window that is not one of them (also once it is disposed of).
bool AlertFactsOf(WindowRef window, AlertFacts* out);

}  // namespace alerts
}  // namespace sp_platform
