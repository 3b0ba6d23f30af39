// The edit-text fields of dialogs: one field has the keyboard focus and a selection; typing,
// the editing keys and the clipboard commands change its text.
//
// Offsets are bytes of MacJapanese text and always lie between characters, so that no edit
// ever leaves half of a two-byte character behind.
#include <algorithm>

#include "OSUtils.h"
#include "ui/detail/DialogRecord.h"
#include "ui/internal/InputMethod.h"

namespace sp_platform {
namespace dialogs {
namespace {

constexpr UInt8 kHome = 0x01;
constexpr UInt8 kEnd = 0x04;
constexpr UInt8 kBackspace = 0x08;
constexpr UInt8 kLeftArrow = 0x1C;
constexpr UInt8 kRightArrow = 0x1D;
constexpr UInt8 kUpArrow = 0x1E;
constexpr UInt8 kDownArrow = 0x1F;
constexpr UInt8 kForwardDelete = 0x7F;

Item* FocusedItem(DialogRecord* record) {
  if (record == nullptr) return nullptr;
  Item* item = ItemAt(record, record->focus);
  return (item != nullptr && item->kind == editText) ? item : nullptr;
}

SInt32 ActiveEnd(const DialogRecord* record) {
  return record->anchor == record->selStart ? record->selEnd : record->selStart;
}

SInt32 Clamped(SInt32 offset, const std::string& text) {
  if (offset < 0) offset = 0;
  return SInt32(BoundaryAtOrBefore(text, std::size_t(offset)));
}

// Offsets already on character boundaries of the focused text.
void Select(DialogRecord* record, SInt32 anchor, SInt32 active) {
  record->selStart = std::min(anchor, active);
  record->selEnd = std::max(anchor, active);
  record->anchor = anchor;
  ScrollToSelection(record);
  RedrawItemIfShown(record, record->focus);
}

// A lead byte that ends inserted text would pair up with the byte after it.
std::string WithoutLoneLeadByte(std::string bytes) {
  if (!bytes.empty()) {
    std::size_t last = BoundaryAtOrBefore(bytes, bytes.size() - 1);
    UInt8 b = UInt8(bytes[last]);
    bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    if (lead && last + 1 == bytes.size()) bytes.pop_back();
  }
  return bytes;
}

SInt16 FieldWidth(const Item& item) {
  return SInt16(item.rect.right - item.rect.left);
}

// The offset one line above or below `from`, at the same distance from the left edge: the
// start (end) of the text from the first (last) line.
SInt32 VerticalMove(DialogRecord* record, const Item& item, const std::string& text, SInt32 from,
                    bool up) {
  DialogPortScope scope(record->window);
  Layout layout = LayOut(text, FieldWidth(item));
  std::size_t line = LineOf(layout, std::size_t(from));
  SInt16 x = OffsetToX(text, layout.lines[line], std::size_t(from));
  if (up) {
    if (line == 0) return 0;
    return SInt32(XToOffset(text, layout.lines[line - 1], x));
  }
  if (line + 1 >= layout.lines.size()) return SInt32(text.size());
  return SInt32(XToOffset(text, layout.lines[line + 1], x));
}

}  // namespace

void SetSelection(DialogRecord* record, SInt32 start, SInt32 end) {
  Item* item = FocusedItem(record);
  if (item == nullptr) return;
  // A reading shown at the old selection stays there, committed.
  if (!record->preedit.empty()) input_method::FixFieldPreedit();
  std::string text = ItemText(*item);
  Select(record, Clamped(start, text), Clamped(end, text));
}

void SetFocus(DialogRecord* record, DialogItemIndex itemNo) {
  if (record == nullptr) return;
  if (itemNo < 1) itemNo = -1;
  if (itemNo == record->focus) return;
  if (!record->preedit.empty()) input_method::FixFieldPreedit();
  DialogItemIndex old = record->focus;
  record->focus = itemNo;
  record->selStart = record->selEnd = record->anchor = 0;
  record->firstLine = 0;
  if (old > 0) RedrawItemIfShown(record, old);
  if (itemNo > 0) RedrawItemIfShown(record, itemNo);
}

bool ReplaceSelection(DialogRecord* record, const std::string& bytes) {
  Item* item = FocusedItem(record);
  if (item == nullptr) return false;
  std::string text = ItemText(*item);
  std::size_t start = std::min(std::size_t(record->selStart), text.size());
  std::size_t end = std::min(std::size_t(record->selEnd), text.size());
  std::size_t room = std::size_t(kSpDialogEditTextLimit) - (text.size() - (end - start));
  std::string insert = WithoutLoneLeadByte(bytes.substr(0, CutToBoundary(bytes, room)));
  if (insert.empty() && !bytes.empty()) {
    SysBeep(1);
    return false;
  }
  std::string changed = text.substr(0, start) + insert + text.substr(end);
  if (!SetItemText(item, changed, std::size_t(kSpDialogEditTextLimit))) {
    SysBeep(10);
    return false;
  }
  SInt32 caret = SInt32(start + insert.size());
  Select(record, caret, caret);
  return true;
}

bool EditKey(DialogRecord* record, UInt8 charCode, bool extend) {
  Item* item = FocusedItem(record);
  if (item == nullptr) return false;
  const std::string text = ItemText(*item);
  const bool empty = record->selStart == record->selEnd;
  SInt32 target = 0;
  switch (charCode) {
    case kBackspace:
      if (empty && record->selStart > 0) {
        SInt32 before = SInt32(PreviousBoundary(text, std::size_t(record->selStart)));
        Select(record, before, record->selStart);
      }
      if (record->selStart != record->selEnd) ReplaceSelection(record, std::string());
      return true;
    case kForwardDelete:
      if (empty && std::size_t(record->selEnd) < text.size()) {
        SInt32 after = SInt32(NextBoundary(text, std::size_t(record->selEnd)));
        Select(record, record->selStart, after);
      }
      if (record->selStart != record->selEnd) ReplaceSelection(record, std::string());
      return true;
    case kLeftArrow:
      if (extend) {
        target = SInt32(PreviousBoundary(text, std::size_t(ActiveEnd(record))));
      } else {
        target = empty ? SInt32(PreviousBoundary(text, std::size_t(record->selStart)))
                       : record->selStart;
      }
      break;
    case kRightArrow:
      if (extend) {
        target = SInt32(NextBoundary(text, std::size_t(ActiveEnd(record))));
      } else {
        target = empty ? SInt32(NextBoundary(text, std::size_t(record->selEnd))) : record->selEnd;
      }
      break;
    case kUpArrow:
    case kDownArrow: {
      const bool up = charCode == kUpArrow;
      SInt32 from = extend ? ActiveEnd(record) : (up ? record->selStart : record->selEnd);
      target = VerticalMove(record, *item, text, from, up);
      break;
    }
    case kHome:
      target = 0;
      break;
    case kEnd:
      target = SInt32(text.size());
      break;
    default:
      return false;
  }
  if (extend) {
    Select(record, record->anchor, target);
  } else {
    Select(record, target, target);
  }
  return true;
}

bool MoveFocusByTab(DialogRecord* record, bool backwards) {
  if (record == nullptr) return false;
  std::vector<DialogItemIndex> fields;
  for (std::size_t i = 0; i < record->items.size(); ++i) {
    const Item& item = record->items[i];
    if (item.kind == editText && !item.Hidden()) fields.push_back(DialogItemIndex(i + 1));
  }
  if (fields.empty()) return false;
  DialogItemIndex next = backwards ? fields.back() : fields.front();
  auto at = std::find(fields.begin(), fields.end(), record->focus);
  if (at != fields.end()) {
    if (fields.size() == 1) return false;
    std::size_t index = std::size_t(at - fields.begin());
    index = backwards ? (index + fields.size() - 1) % fields.size() : (index + 1) % fields.size();
    next = fields[index];
  }
  SetFocus(record, next);
  SetSelection(record, 0, kSpDialogEditTextLimit);
  return true;
}

SInt32 OffsetAtPoint(DialogRecord* record, Point local) {
  Item* item = FocusedItem(record);
  if (item == nullptr) return 0;
  const std::string text = ItemText(*item);
  DialogPortScope scope(record->window);
  Layout layout = LayOut(text, FieldWidth(*item));
  SInt32 dv = SInt32(local.v) - item->rect.top;
  SInt32 row = dv < 0 ? -1 : dv / layout.lineHeight;
  SInt32 line = record->firstLine + row;
  line = std::max<SInt32>(0, std::min<SInt32>(line, SInt32(layout.lines.size()) - 1));
  SInt16 x = SInt16(std::max<SInt32>(0, SInt32(local.h) - item->rect.left));
  return SInt32(XToOffset(text, layout.lines[std::size_t(line)], x));
}

DialogRecord* FrontFieldDialog() {
  DialogRecord* record = LookupByWindow(FrontWindow());
  return FocusedItem(record) != nullptr ? record : nullptr;
}

ShownText ShownTextOf(const DialogRecord& record, const Item& item) {
  ShownText shown;
  const std::string text = ItemText(item);
  if (record.preedit.empty()) {
    shown.text = text;
    shown.caret = Clamped(ActiveEnd(&record), text);
    shown.preeditStart = shown.preeditEnd = shown.caret;
    return shown;
  }
  const SInt32 start = Clamped(std::min<SInt32>(record.selStart, SInt32(text.size())), text);
  const SInt32 end =
      std::max(start, Clamped(std::min<SInt32>(record.selEnd, SInt32(text.size())), text));
  const SInt32 length = SInt32(record.preedit.size());
  shown.text = text.substr(0, std::size_t(start)) + record.preedit + text.substr(std::size_t(end));
  shown.preeditStart = start;
  shown.preeditEnd = start + length;
  shown.caret = start + std::max<SInt32>(0, std::min(record.preeditCaret, length));
  return shown;
}

void ShowPreedit(DialogRecord* record, const std::string& bytes, SInt32 caret) {
  if (FocusedItem(record) == nullptr) return;
  if (bytes.empty() && record->preedit.empty()) return;
  record->preedit = bytes;
  record->preeditCaret = bytes.empty() ? 0 : caret;
  RedrawItemIfShown(record, record->focus);
}

bool FrontFieldCaret(Rect* global) {
  DialogRecord* record = FrontFieldDialog();
  if (global == nullptr || record == nullptr) return false;
  const ShownText shown = ShownTextOf(*record, *FocusedItem(record));
  const Item& item = *FocusedItem(record);
  DialogPortScope scope(record->window);
  const Layout layout = LayOut(shown.text, FieldWidth(item));
  if (layout.lines.empty()) return false;
  const SInt32 end = shown.caret;
  const std::size_t line = LineOf(layout, std::size_t(end));
  const SInt32 row = std::max<SInt32>(0, SInt32(line) - std::max<SInt32>(0, record->firstLine));
  const SInt32 top = std::min<SInt32>(item.rect.top + row * layout.lineHeight,
                                      item.rect.bottom - layout.lineHeight);
  const SInt32 x =
      std::min<SInt32>(item.rect.left + OffsetToX(shown.text, layout.lines[line], std::size_t(end)),
                       item.rect.right - 1);
  Point topLeft = {SInt16(top), SInt16(x)};
  LocalToGlobal(&topLeft);
  *global = Rect{topLeft.v, topLeft.h, SInt16(topLeft.v + layout.lineHeight),
                 SInt16(topLeft.h + 1)};
  return true;
}

void ScrollToSelection(DialogRecord* record) {
  Item* item = FocusedItem(record);
  if (item == nullptr) return;
  const std::string text = ItemText(*item);
  DialogPortScope scope(record->window);
  Layout layout = LayOut(text, FieldWidth(*item));
  SInt32 line = SInt32(LineOf(layout, std::size_t(ActiveEnd(record))));
  SInt32 shown = std::max<SInt32>(1, (item->rect.bottom - item->rect.top) / layout.lineHeight);
  if (line < record->firstLine) record->firstLine = line;
  if (line >= record->firstLine + shown) record->firstLine = line - shown + 1;
  record->firstLine =
      std::max<SInt32>(0, std::min<SInt32>(record->firstLine, SInt32(layout.lines.size()) - 1));
}

void TrackFieldClick(DialogRecord* record, Point local, bool extend) {
  if (FocusedItem(record) == nullptr) return;
  // The click is placed in the text as it is with the reading committed.
  if (!record->preedit.empty()) input_method::FixFieldPreedit();
  if (FocusedItem(record) == nullptr) return;
  const DialogItemIndex itemNo = record->focus;
  const WindowRef window = record->window;
  const SInt32 offset = OffsetAtPoint(record, local);
  const SInt32 anchor = extend ? record->anchor : offset;
  SetSelection(record, anchor, offset);
  for (;;) {
    Point pt = {0, 0};
    MouseTrackingResult result = kMouseTrackingMouseUp;
    if (TrackMouseLocation(GetWindowPort(window), &pt, &result) != noErr) break;
    // What ran meanwhile may have taken the field or the dialog away.
    if (LookupByWindow(window) != record || record->focus != itemNo) break;
    if (result == kMouseTrackingMouseDragged || result == kMouseTrackingMouseUp) {
      SetSelection(record, anchor, OffsetAtPoint(record, pt));
    }
    if (result == kMouseTrackingMouseUp) break;
  }
}

}  // namespace dialogs
}  // namespace sp_platform

// ---- The text-edit record of a dialog's fields ----

using sp_platform::dialogs::DialogRecord;

TEHandle GetDialogTextEditHandle(DialogRef dialog) {
  DialogRecord* record = sp_platform::dialogs::Lookup(dialog);
  if (record == nullptr) return nullptr;
  for (const sp_platform::dialogs::Item& item : record->items) {
    if (item.kind == editText) return reinterpret_cast<TEHandle>(&record->teMaster);
  }
  return nullptr;
}

void TEClick(Point pt, Boolean fExtend, TEHandle hTE) {
  DialogRecord* record = sp_platform::dialogs::LookupByTextEdit(hTE);
  if (record == nullptr) return;
  sp_platform::dialogs::TrackFieldClick(record, pt, fExtend != 0);
}

void TEActivate(TEHandle hTE) {
  DialogRecord* record = sp_platform::dialogs::LookupByTextEdit(hTE);
  if (record != nullptr) record->te.active = true;
}

void TEDeactivate(TEHandle hTE) {
  DialogRecord* record = sp_platform::dialogs::LookupByTextEdit(hTE);
  if (record != nullptr) record->te.active = false;
}

void TEIdle(TEHandle) {}

void TEKey(CharParameter key, TEHandle hTE) {
  DialogRecord* record = sp_platform::dialogs::LookupByTextEdit(hTE);
  if (record == nullptr) return;
  const UInt8 byte = UInt8(key & 0xFF);
  DialogRecord::TextEditState& te = record->te;
  if (te.pendingLead >= 0) {
    std::string pair{char(te.pendingLead), char(byte)};
    te.pendingLead = -1;
    sp_platform::dialogs::ReplaceSelection(record, pair);
    return;
  }
  if ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC)) {
    te.pendingLead = byte;
    return;
  }
  if (byte >= 0x20 && byte != 0x7F) {
    sp_platform::dialogs::ReplaceSelection(record, std::string(1, char(byte)));
    return;
  }
  sp_platform::dialogs::EditKey(record, byte, false);
}

SInt16 TEFeatureFlag(SInt16 feature, SInt16 action, TEHandle hTE) {
  DialogRecord* record = sp_platform::dialogs::LookupByTextEdit(hTE);
  if (record == nullptr || feature < 0 || feature > 31) return teBitClear;
  const UInt32 bit = 1u << feature;
  const SInt16 before = (record->te.features & bit) != 0 ? teBitSet : teBitClear;
  if (action == teBitSet) record->te.features |= bit;
  if (action == teBitClear) record->te.features &= ~bit;
  return before;
}
