// The dialog record and the item list behind Dialogs.h, shared by the Dialog Manager's source
// files, its standard handling and the test API. Not for the program's own code.
#pragma once

#include <string>
#include <vector>

#include "Dialogs.h"
#include "MacTypes.h"
#include "ui/internal/Dialogs.h"

namespace sp_platform {
namespace dialogs {

// An item as a 'DITL' describes it, before the dialog makes its control or text.
struct ItemSpec {
  UInt8 kind = 0;  // the item type without itemDisable
  bool disabled = false;
  Rect rect = {0, 0, 0, 0};
  std::string text;       // buttons, check boxes, radio buttons, static and edit text
  SInt16 resourceID = 0;  // resource controls, icons, pictures
};

// Reads the items of 'DITL' bytes: a count minus one (16 bits), then per item a reserved
// word, the rectangle, the type byte and its data (a length byte and that many bytes, padded
// to an even length). False for bytes that end inside an item or a count of more than
// `limit` items; *out is then left empty.
bool ParseItemList(const UInt8* bytes, std::size_t size, std::size_t limit,
                   std::vector<ItemSpec>* out);

// The first 'DLOG' fields the layer uses.
struct DialogTemplate {
  Rect bounds = {0, 0, 0, 0};
  SInt16 procID = 0;
  bool visible = false;
  bool goAway = false;
  SInt32 refCon = 0;
  SInt16 itemsID = 0;
  Str255 title = {0};
  UInt16 position = 0;  // 0 when the resource ends after the title
};
bool ParseDialogTemplate(const UInt8* bytes, std::size_t size, DialogTemplate* out);

// Item kinds, the low seven bits of an item type.
inline bool IsControlKind(UInt8 kind) {
  return kind >= 4 && kind <= 7;
}
inline bool IsTextKind(UInt8 kind) {
  return kind == statText || kind == editText;
}

// The rectangle of a hidden item lies this far right of where it shows.
constexpr SInt16 kHiddenItemOffset = 16384;

struct Item {
  UInt8 kind = 0;
  bool disabled = false;
  Rect rect = {0, 0, 0, 0};
  ControlRef control = nullptr;  // control kinds
  Handle text = nullptr;         // static and edit text: the bytes, no length byte
  SInt16 resourceID = 0;
  UserItemUPP userProc = nullptr;
  bool Hidden() const { return rect.left >= kHiddenItemThreshold; }
};

struct DialogRecord {
  WindowRef window = nullptr;
  std::vector<Item> items;  // item n is items[n - 1]
  DialogItemIndex defaultItem = 0;
  DialogItemIndex cancelItem = 0;
  bool tracksCursor = false;
  // The focused edit-text item (1-based; -1 none), its selection in bytes [selStart, selEnd)
  // with the end that moves (selEnd side when extending), and its first shown line.
  DialogItemIndex focus = -1;
  SInt32 selStart = 0;
  SInt32 selEnd = 0;
  SInt32 anchor = 0;
  SInt32 firstLine = 0;
  // The input method's reading shown in the focused field in place of its selection
  // (MacJapanese bytes; empty: none) and its caret, a byte offset into it. The field's text
  // holds it only once it is committed.
  std::string preedit;
  SInt32 preeditCaret = 0;
  // Items pressed by a key (Return, Enter, Escape, Command-period), in order: the flash.
  std::vector<DialogItemIndex> flashes;
  // The text-edit record: its handle is the address of `teMaster`, which points at `te`.
  struct TextEditState {
    UInt32 features = 0;
    bool active = true;
    SInt16 pendingLead = -1;  // the first byte of a two-byte character typed with TEKey
  } te;
  void* teMaster = &te;
};

// Makes the dialog window's port current (for measuring and drawing) and the caller's port
// current again at the end of the scope.
class DialogPortScope {
 public:
  explicit DialogPortScope(WindowRef window) {
    GetPort(&saved_);
    SetPortWindowPort(window);
  }
  ~DialogPortScope() { SetPort(saved_); }
  DialogPortScope(const DialogPortScope&) = delete;
  DialogPortScope& operator=(const DialogPortScope&) = delete;

 private:
  GrafPtr saved_ = nullptr;
};

// The caret of the front window's focused edit-text field, in global coordinates (a line high,
// a pixel wide, its foot at the line's bottom): where the input method shows its composition
// for a field that shows none inline. False when that window has no such field.
bool FrontFieldCaret(Rect* global);
// The front window's dialog when it has a focused edit-text field, else null.
DialogRecord* FrontFieldDialog();

// The record of a live dialog, or null.
DialogRecord* Lookup(DialogRef dialog);
DialogRecord* LookupByWindow(WindowRef window);
DialogRef RefOf(DialogRecord* record);
// The dialog whose text-edit record this is, or null.
DialogRecord* LookupByTextEdit(TEHandle hTE);
// The dialog and item (1-based) whose text handle this is; false for any other handle.
bool FindTextHandle(Handle text, DialogRecord** record, DialogItemIndex* itemNo);

// The item (1-based) or null.
Item* ItemAt(DialogRecord* record, DialogItemIndex itemNo);
// The text of a text item as bytes.
std::string ItemText(const Item& item);
// Replaces a text item's bytes (cut to `limit` on a character boundary). False when memory
// runs out (the text is then as it was).
bool SetItemText(Item* item, const std::string& bytes, std::size_t limit);
// Replaces the text of the dialog's text item as SetDialogItemText does, with any number of
// bytes an edit-text item holds: the caret goes to the end of a focused field, and the item is
// redrawn. False (nothing changed) when memory runs out.
bool ReplaceItemText(DialogRecord* record, DialogItemIndex itemNo, const std::string& bytes);

// Byte length of the MacJapanese character starting at bytes[offset] (1 or 2; 1 for a lead
// byte that ends the text).
inline std::size_t CharLength(const std::string& bytes, std::size_t offset) {
  UInt8 b = UInt8(bytes[offset]);
  bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
  return (lead && offset + 1 < bytes.size()) ? 2 : 1;
}
// The character boundary at or before `offset`.
std::size_t BoundaryAtOrBefore(const std::string& bytes, std::size_t offset);
// The boundary before / after the character boundary `offset`.
std::size_t PreviousBoundary(const std::string& bytes, std::size_t offset);
std::size_t NextBoundary(const std::string& bytes, std::size_t offset);

// Shows the item pressed for a moment, as a key press of it looks: only a visible, active
// control (false otherwise); the flash is recorded in `flashes`; pressedPart (may be null)
// gets the part that was shown pressed.
bool FlashItem(DialogRecord* record, DialogItemIndex itemNo, ControlPartCode* pressedPart);
// Presses the item as a key does (Return, Escape ...): only a visible, active control; it
// flashes (recorded in `flashes`) and its {'cntl', 1} hit event goes to the control's target
// with the modifiers. False when the item cannot be pressed.
bool PressItem(DialogRecord* record, DialogItemIndex itemNo, UInt32 modifiers);

// ---- The wheel (DialogWheel.cpp) ----
// A wheel event ({'mous', 10}) over the dialog's content moves a scroll bar along its axis:
// the bar under the pointer, else the bar along the right edge (vertical) or bottom edge
// (horizontal) of the item under it, which is the list or view the bar scrolls. Each notch
// is one press of the bar's up (left) or down (right) arrow: its action procedure runs with
// that part, or a bar without one moves its value a step; then its {'cntl', 1} hit goes out.
// Answers the bar moved, null when no bar serves the point.
ControlRef ScrollByWheel(DialogRecord* record, EventRef event);

// ---- Drawing (DialogDrawing.cpp) ----
// Draws one item in the dialog's port (the current port is kept). Nothing for a hidden item.
void DrawItem(DialogRecord* record, DialogItemIndex itemNo);
// DrawItem when the dialog's window is visible.
void RedrawItemIfShown(DialogRecord* record, DialogItemIndex itemNo);

// ---- Text layout (DialogText.cpp) ----
// A text laid out in lines for a rectangle, measured with the current port's font.
struct Line {
  std::size_t start;  // first byte
  std::size_t end;    // one past the last byte drawn (a line's return is not drawn)
  std::size_t next;   // the first byte of the next line
};
struct Layout {
  std::vector<Line> lines;
  SInt16 lineHeight = 0;
  SInt16 ascent = 0;
};
// Breaks at returns (0x0D) and where the next character would pass `width`, at the last line
// break the script's rules allow (StyledLineBreak): after a space, between Japanese characters
// but not before closing punctuation. Every text has at least one line.
Layout LayOut(const std::string& bytes, SInt16 width);
// The line holding the offset (an offset at a wrap belongs to the later line).
std::size_t LineOf(const Layout& layout, std::size_t offset);
// Pixels from the line's left edge to the offset.
SInt16 OffsetToX(const std::string& bytes, const Line& line, std::size_t offset);
// The nearest character boundary of the line to x pixels from its left edge.
std::size_t XToOffset(const std::string& bytes, const Line& line, SInt16 x);

// ---- Edit-text fields (DialogEditText.cpp) ----
// The selection of the focused field becomes [start, end) (clamped, on boundaries), the
// anchor at `start`; the field is redrawn when shown.
void SetSelection(DialogRecord* record, SInt32 start, SInt32 end);
// Gives the focus to an edit-text item (or -1 for none); the old field is redrawn without its
// selection.
void SetFocus(DialogRecord* record, DialogItemIndex itemNo);
// Replaces the focused field's selection with `bytes` (cut to what the field can hold; a
// character never split). False with a beep when nothing could be put in but something was
// asked.
bool ReplaceSelection(DialogRecord* record, const std::string& bytes);
// One editing key of the focused field: backspace (8), forward delete (0x7F), the arrows
// (0x1C-0x1F), Home (1), End (4). `extend`: Shift held. False for any other character.
bool EditKey(DialogRecord* record, UInt8 charCode, bool extend);
// Moves the focus to the next (or previous) edit-text item, selecting all its text. False
// when there is no other edit-text item to move to.
bool MoveFocusByTab(DialogRecord* record, bool backwards);
// The offset of the local point in the focused field (clamped to its lines).
SInt32 OffsetAtPoint(DialogRecord* record, Point local);
// Keeps the caret's line in view after a change of the focused field.
void ScrollToSelection(DialogRecord* record);
// Shows the input method's reading (MacJapanese; empty: none) in the focused field in place
// of its selection, underlined, with the caret at `caret` bytes into it; the field is redrawn.
void ShowPreedit(DialogRecord* record, const std::string& bytes, SInt32 caret);
// What the focused field shows: its text with the reading in place of the selection, where
// the reading lies in it ([start, end), empty without one) and the caret's offset.
struct ShownText {
  std::string text;
  SInt32 preeditStart = 0;
  SInt32 preeditEnd = 0;
  SInt32 caret = 0;
};
ShownText ShownTextOf(const DialogRecord& record, const Item& item);
// A press at the local point in the focused field: places the insertion point (or extends the
// selection from its anchor) and follows the mouse until it is released, selecting.
void TrackFieldClick(DialogRecord* record, Point local, bool extend);

}  // namespace dialogs
}  // namespace sp_platform
