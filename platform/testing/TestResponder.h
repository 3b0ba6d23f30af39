// Test API: the responder, which answers whatever would wait for a person.
//
// A test prepares answers (Respond) and opens a ResponderScope. From then on, every modal
// dialog (ModalDialog), alert, sheet and window-modal loop (RunAppModalLoopForWindow) that
// comes up is recorded and answered with the next prepared answer, in order of appearance:
// the answer's settings (a control value, an edit text) are made at once, then its input
// (a click on an item, Return, Escape, Command-period ...) is posted through the event layer's
// raw input, so the modal loop itself takes it as it would a person's.
//
// What counts as an appearance, found from the event loop's pass hooks:
// - the dialog of the innermost ModalDialog loop;
// - the window of the innermost RunAppModalLoopForWindow loop (a dialog, a sheet, any window);
// - a standard sheet (or any sheet window) shown on a window while no modal loop runs.
// Each is answered once. When its input has been taken and it is still waiting a quarter of
// a second later (on the clock the test runs on), it counts as appearing again and gets the
// next answer.
//
// With no answer left for an appearance, the responder fails the test at once with a message
// naming what came up (kind, title, message), and ends its loop: the ModalDialog loop gives up
// (see Dialogs.h), a RunAppModalLoopForWindow loop is quit. Answers left unused when the scope
// ends fail the test too.
//
// This header is for test programs only (it reports through googletest).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "MacTypes.h"
#include "MacWindows.h"

namespace sp_testing {

// ---- Answers --------------------------------------------------------------------------------
// A list of steps, done in order when an appearance takes the answer. Settings act at once;
// inputs are posted (the loop takes them in order after that).
class Answer {
 public:
  Answer() = default;

  // One-step answers.
  static Answer Click(DialogItemIndex item, UInt32 modifiers = 0) {
    return Answer().ClickItem(item, modifiers);
  }
  static Answer Return() { return Answer().PressReturn(); }
  static Answer Enter() { return Answer().PressEnter(); }
  static Answer Escape() { return Answer().PressEscape(); }
  static Answer CommandPeriod() { return Answer().PressCommandPeriod(); }
  // The appearance is recorded and left alone (a window that waits for the program, such as a
  // progress window): no input, and it is not looked at again.
  static Answer LeaveOpen();

  // ---- Settings (made at once) ----
  // The value of the item's control (SetControl32BitValue).
  Answer& SetControlValue(DialogItemIndex item, SInt32 value);
  // The text of an edit-text item (MacJapanese; at most 255 bytes, cut on a character
  // boundary), which also takes the focus with all its text selected.
  Answer& SetEditText(DialogItemIndex item, const std::string& macJapanese);
  Answer& SetEditTextUTF8(DialogItemIndex item, const std::string& utf8);

  // ---- Inputs (posted) ----
  // A press and release at the centre of the item (a dialog's item; a window that is no dialog
  // cannot take it: the test fails).
  Answer& ClickItem(DialogItemIndex item, UInt32 modifiers = 0);
  // A click on the shown push button of this title (MacJapanese or UTF-8).
  Answer& ClickButton(const std::string& macJapaneseTitle);
  Answer& ClickButtonUTF8(const std::string& utf8Title);
  // A key pressed and released (Mac character code, virtual key code).
  Answer& PressKey(UInt8 charCode, UInt8 keyCode, UInt32 modifiers = 0);
  Answer& PressReturn(UInt32 modifiers = 0);
  Answer& PressEnter(UInt32 modifiers = 0);
  Answer& PressEscape(UInt32 modifiers = 0);
  Answer& PressCommandPeriod();
  // Typed text into the front window (MacJapanese bytes).
  Answer& TypeText(const std::string& macJapanese);

  // Anything else, with a description for the record and messages.
  Answer& Do(std::function<void(WindowRef window)> step, const std::string& description);

  // What the answer does, in words ("click item 1", "Return", ...).
  std::string Describe() const;

  struct Step {
    enum Kind {
      kSetValue,
      kSetText,
      kClickItem,
      kClickButton,
      kKey,
      kText,
      kCustom,
      kLeaveOpen,
    } kind;
    DialogItemIndex item;
    SInt32 value;
    UInt32 modifiers;
    UInt8 charCode;
    UInt8 keyCode;
    std::string text;
    std::function<void(WindowRef)> custom;
    std::string description;
  };
  const std::vector<Step>& Steps() const { return steps_; }

 private:
  std::vector<Step> steps_;
};

// Queues an answer for the next appearance that has none.
void Respond(const Answer& answer);
// Queues the same answer n times.
void RespondTimes(const Answer& answer, int times);
// The answers not used yet.
int PendingAnswerCount();

// ---- The record -----------------------------------------------------------------------------
enum class ShownKind {
  kModalDialog,  // a dialog in ModalDialog or RunAppModalLoopForWindow
  kAlert,        // a standard alert, or an alert from an 'ALRT' resource
  kSheet,        // a sheet (a standard sheet, or any sheet window)
  kModalWindow,  // a window in RunAppModalLoopForWindow that is no dialog
};
const char* ShownKindName(ShownKind kind);

// What a person would have seen. Texts are MacJapanese bytes.
struct Shown {
  ShownKind kind = ShownKind::kModalDialog;
  WindowRef window = nullptr;  // for identity only: it may be gone
  std::string title;
  // Standard alerts and sheets: their message and explanation. Other dialogs: the first and
  // second shown static-text items.
  std::string message;
  std::string explanation;
  // Standard alerts and sheets: the alert type; -1 for anything else.
  SInt16 alertType = -1;
  // The shown, static and edit-text items' texts, in item order.
  std::vector<std::string> texts;
  // The shown push buttons: titles and item numbers, in item order.
  std::vector<std::string> buttons;
  std::vector<DialogItemIndex> buttonItems;
  // The items (0: none) and titles of the default and cancel buttons (the dialog's default
  // and cancel items, else the window's default and cancel buttons).
  DialogItemIndex defaultItem = 0;
  DialogItemIndex cancelItem = 0;
  std::string defaultButton;
  std::string cancelButton;
  // The answer given ("" when there was none), and whether this is an appearance again of a
  // window that was answered before.
  std::string answer;
  bool again = false;
};

// Everything shown since the scope began, in order of appearance.
const std::vector<Shown>& ShownSoFar();
// The failures found (no answer, an answer that could not be given ...), in order.
const std::vector<std::string>& ResponderFailures();

// ---- The scope ------------------------------------------------------------------------------
// Installs the responder for a test, with no answers and an empty record; at its end, answers
// left unused are failures, and the responder is removed. One scope at a time.
class ResponderScope {
 public:
  enum class Report {
    kGoogleTest,  // each failure fails the running test (ADD_FAILURE)
    kRecordOnly,  // failures are only recorded (for tests of the responder itself)
  };
  explicit ResponderScope(Report report = Report::kGoogleTest);
  ~ResponderScope();
  ResponderScope(const ResponderScope&) = delete;
  ResponderScope& operator=(const ResponderScope&) = delete;
};

}  // namespace sp_testing
