// The clipboard of the edit-text fields and the Scrap Manager: a text held in this process,
// and the desktop's clipboard behind it when a display gives one.
#include "ui/internal/DialogClipboard.h"

#include "SpTextCodec.h"

namespace sp_platform {
namespace dialogs {
namespace {

struct ClipboardState {
  std::string text;         // MacJapanese: what this process put last
  std::string unicode;      // the same as UTF-8 with carriage returns
  std::string putToDesktop;  // its UTF-8 form as handed to the desktop
  bool hasDesktop = false;
  DesktopClipboard desktop{};
  unsigned long taken = 0;  // times another program took the desktop's clipboard
};

ClipboardState& State() {
  static ClipboardState* state = new ClipboardState;  // lives to the end of the program
  return *state;
}

// Line feeds, alone or after a carriage return, become carriage returns.
std::string CarriageReturns(const std::string& utf8) {
  std::string lines;
  lines.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    lines.push_back(utf8[i] == '\n' ? '\r' : utf8[i]);
  }
  return lines;
}

// Hands the text to the desktop, with line feeds.
void PutToDesktop(ClipboardState& s) {
  if (!s.hasDesktop) return;
  s.putToDesktop = s.unicode;
  for (char& c : s.putToDesktop) {
    if (c == '\r') c = '\n';
  }
  s.desktop.put(s.putToDesktop, s.desktop.refCon);
}

}  // namespace

std::string ClipboardTextToDesktop(const std::string& macJapanese) {
  std::string utf8 = sp::text::MacJapaneseToUTF8(macJapanese);
  for (char& c : utf8) {
    if (c == '\r') c = '\n';
  }
  return utf8;
}

std::string ClipboardTextFromDesktop(const std::string& utf8) {
  std::string out;
  if (!sp::text::UTF8ToMacJapanese(CarriageReturns(utf8), out, '?')) out.clear();
  return out;
}

void PutClipboardText(const std::string& macJapanese) {
  ClipboardState& s = State();
  s.text = macJapanese;
  s.unicode = sp::text::MacJapaneseToUTF8(macJapanese);
  PutToDesktop(s);
}

void PutClipboardTextUnicode(const std::string& utf8) {
  ClipboardState& s = State();
  s.unicode = CarriageReturns(utf8);
  if (!sp::text::UTF8ToMacJapanese(s.unicode, s.text, '?')) s.text.clear();
  PutToDesktop(s);
}

std::string ClipboardTextUnicode() {
  ClipboardState& s = State();
  if (!s.hasDesktop) return s.unicode;
  std::string utf8;
  if (!s.desktop.get(&utf8, s.desktop.refCon)) return std::string();
  if (utf8 == s.putToDesktop) return s.unicode;
  return CarriageReturns(utf8);
}

std::string ClipboardText() {
  ClipboardState& s = State();
  if (!s.hasDesktop) return s.text;
  std::string utf8;
  if (!s.desktop.get(&utf8, s.desktop.refCon)) return std::string();
  // Our own text comes back as it was put, bytes that UTF-8 cannot carry included.
  if (utf8 == s.putToDesktop) return s.text;
  return ClipboardTextFromDesktop(utf8);
}

void ClearClipboard() {
  PutClipboardText(std::string());
}

void DesktopClipboardTaken() {
  ClipboardState& s = State();
  // The desktop's text is read as another program's from now on, even when it is the same.
  s.putToDesktop.clear();
  ++s.taken;
}

unsigned long DesktopClipboardTakenCount() {
  return State().taken;
}

void SetDesktopClipboard(const DesktopClipboard* desktop) {
  ClipboardState& s = State();
  s.hasDesktop = desktop != nullptr && desktop->put != nullptr && desktop->get != nullptr;
  if (s.hasDesktop) s.desktop = *desktop;
  s.putToDesktop.clear();
}

}  // namespace dialogs
}  // namespace sp_platform
