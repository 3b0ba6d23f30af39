// The process's clipboard as the edit-text fields of dialogs and the Scrap Manager use it:
// one text of MacJapanese bytes. A display backend puts the desktop's clipboard behind the
// same calls (the test API sets and reads it). Not for the program's own code.
#pragma once

#include <string>

namespace sp_platform {
namespace dialogs {

// Replaces the clipboard's text.
void PutClipboardText(const std::string& macJapanese);
// The clipboard's text; empty when it holds none.
std::string ClipboardText();
// The same text as UTF-8 with carriage returns between lines, with every character another
// program copied (MacJapanese lacks some).
std::string ClipboardTextUnicode();
// Replaces the clipboard's text with UTF-8 text (carriage returns or line feeds between
// lines); the MacJapanese form has '?' for characters it lacks.
void PutClipboardTextUnicode(const std::string& utf8);
// Empties the clipboard.
void ClearClipboard();

// The desktop's clipboard, as a display backend gives it: UTF-8 text with line feeds.
struct DesktopClipboard {
  void (*put)(const std::string& utf8, void* refCon);
  // False when the desktop's clipboard holds no text.
  bool (*get)(std::string* utf8, void* refCon);
  void* refCon;
};
// With a desktop clipboard the text crosses to and from it, converted between MacJapanese
// with carriage returns and UTF-8 with line feeds; what this process put comes back byte for
// byte while the desktop still holds it. Null: the text stays in this process.
void SetDesktopClipboard(const DesktopClipboard* desktop);

// Another program took the desktop's clipboard (even with the same text): what this process
// put there is no longer its own. The count says how often that happened.
void DesktopClipboardTaken();
unsigned long DesktopClipboardTakenCount();

// The crossings themselves (a character MacJapanese lacks becomes '?').
std::string ClipboardTextToDesktop(const std::string& macJapanese);
std::string ClipboardTextFromDesktop(const std::string& utf8);

}  // namespace dialogs
}  // namespace sp_platform
