// The alerts' and sheets' shared code of the Dialog Manager (what the test API reads of them is
// in ui/internal/Alerts.h). Not for anyone else.
#pragma once

#include <string>
#include <vector>

#include "Alerts.h"
#include "Dialogs.h"
#include "MacWindows.h"
#include "ui/internal/Alerts.h"

namespace sp_platform {
namespace alerts {

// ---- ModalDialog's loops (ModalDialog.cpp) ----
bool IsModalDialogAbandoned(DialogRef dialog);

// ---- Alerts and sheets (AlertBuild.cpp) ----
// Keeps the facts with the window (they go with it).
void SetAlertFacts(WindowRef window, const AlertFacts& facts);

// ---- Building a standard alert (AlertBuild.cpp) ----
struct AlertSpec {
  AlertType type = kAlertStopAlert;
  std::string message;      // MacJapanese, at most kSpAlertTextLimit bytes
  std::string explanation;  // MacJapanese; empty: no explanation
  // The titles of the OK, cancel and other buttons (MacJapanese, at most 255 bytes); an
  // empty title: no such button (the OK button is always there).
  std::string buttons[3];
  bool help = false;
  bool movable = true;
  SInt16 defaultButton = kAlertStdAlertOKButton;
  SInt16 cancelButton = 0;
  UInt16 position = kWindowDefaultPosition;
  bool sheet = false;
};
// The alert laid out in a hidden dialog (an alert window, or a sheet window with the standard
// handler), its default and cancel items set and its facts kept; null when memory runs out.
DialogRef BuildAlertDialog(const AlertSpec& spec);

// What describes CreateStandardAlert and CreateStandardSheet (param may be null).
AlertSpec SpecOfCFStrings(AlertType type, CFStringRef error, CFStringRef explanation,
                          const AlertStdCFStringAlertParamRec* param);

// The standard titles (MacJapanese).
extern const char* const kStandardOKText;
extern const char* const kStandardCancelText;
extern const char* const kStandardOtherText;

// The text of a CFString in MacJapanese, whole characters only, at most `limit` bytes;
// characters MacJapanese cannot hold become '?'. Empty for null.
std::string MacJapaneseOf(CFStringRef text, std::size_t limit);

// The bytes of a 'DITL' (see detail/DialogRecord.h) holding these items.
struct ItemListEntry {
  Rect rect;
  UInt8 type;             // with itemDisable when disabled
  std::string text;       // buttons and texts (at most 255 bytes)
  SInt16 resourceID = 0;  // icons, pictures, resource controls
};
std::vector<UInt8> ItemListBytes(const std::vector<ItemListEntry>& items);

}  // namespace alerts
}  // namespace sp_platform
