// The input method as the Text Services Manager sees it: what the display backends (and the
// testing API's fake input method) hand in, and what the backend does for it. Not for the
// program's own code.
#pragma once

#include <string>
#include <vector>

#include "MacTypes.h"
#include "QuickDraw.h"
#include "ui/internal/PreeditDraft.h"

namespace sp_platform {
namespace input_method {

// The preedit changed: its whole text (UTF-8), the caret and the marked segment, in
// characters (code points) of that text. An empty text ends the preedit without a commit.
// Where no document shows the preedit inline, the front dialog's focused field shows it
// (underlined in place of the selection); ignored when neither is there or the input method is
// off.
void PreeditChanged(const std::string& utf8, SInt32 caret, SInt32 segmentStart,
                    SInt32 segmentLength);
// The same with each clause the input method tells (in characters, in order, not overlapping):
// each becomes a hilite range of its kind, and their bounds the clause offsets. Text outside
// every clause has no hilite; without clauses the whole preedit is raw text.
void PreeditClausesChanged(const std::string& utf8, SInt32 caret,
                           const std::vector<Clause>& clauses);
// Text committed by the input method (UTF-8). True when it went to the active document as the
// commit of the preedit shown inline; false when the caller hands it on as typed text (a
// reading a dialog's field shows then goes: the typed text takes its place).
bool Committed(const std::string& utf8);

// The input method gave up the preedit it showed (its server went, or the field's window lost
// the keyboard): its text (UTF-8) is committed where it is shown, at once. Inline, as
// Committed; in a dialog's field, into the field's text (cut to what it holds, as typed text
// is). False when it is shown in neither: the caller hands it on as typed text.
bool CommittedAsShown(const std::string& utf8);
// The reading a dialog's field shows is committed there as shown and the input method forgets
// it: before the field's focus or selection moves, or once the field stops taking the preedit.
// Nothing without one.
void FixFieldPreedit();
// Each pass of the loop: the front dialog's field may have taken or left the keyboard; the
// backend follows (and a reading shown in a field that left it is committed there).
void FollowFront();

// Whether the preedit is shown inline now, and its bytes (MacJapanese) when it is.
bool ComposingInline();
std::string PreeditBytes();

// What the backend does for the input method. Members may be null.
struct BackendHooks {
  // The input method's own preedit on (true) or off.
  void (*setInternalEditing)(bool on);
  // Text input (the input method) on or off.
  void (*setTextInput)(bool on);
  // The input method forgets its preedit.
  void (*clearComposition)();
};
// Installs the hooks (null: none) and tells them the state now.
void SetBackendHooks(const BackendHooks* hooks);

// Where the caret of the inline preedit is, in global coordinates (a rectangle one pixel wide,
// the height of the line): asked of the active document's owner ({'text', 3}, at the preedit's
// caret, 0 without a preedit). Where the preedit is not shown inline: the caret of the front
// dialog's focused field (the reading's caret while the field shows one). False when there is
// none or nobody answered.
bool CaretRect(Rect* global);

// The state the backend follows, for the tests.
bool TextInputOn();
bool InternalEditingOn();

// The keyboard script changed: Roman holds the input method off.
void KeyboardScriptChanged(bool roman);

// Back to the start: no documents, no preedit, input method on.
void Reset();

}  // namespace input_method
}  // namespace sp_platform
