// Alerts from 'ALRT' resources (Alert, StopAlert, NoteAlert, CautionAlert) and the texts
// that replace their ^0 .. ^3 (ParamText).
#include <cstring>
#include <string>
#include <vector>

#include "Alerts.h"
#include "ByteOrder.h"
#include "Dialogs.h"
#include "MacMemory.h"
#include "OSUtils.h"
#include "Resources.h"
#include "ui/detail/AlertRegistry.h"
#include "ui/detail/DialogRecord.h"
#include "ui/detail/WindowPlacement.h"

namespace sp_platform {
namespace alerts {
namespace {

constexpr ResType kAlertType = 0x414C5254;     // 'ALRT'
constexpr ResType kItemListType = 0x4449544C;  // 'DITL'
// The 'ALRT' fields: bounds (8 bytes), 'DITL' id, stages, then (newer resources) a position.
constexpr std::size_t kAlertMinSize = 12;
constexpr std::size_t kAlertPositionSize = 14;
constexpr SInt16 kNoIcon = -1;

std::string gParams[4];

// The 'ALRT' resource's fields.
struct AlertTemplate {
  Rect bounds = {0, 0, 0, 0};
  SInt16 itemsID = 0;
  UInt16 stages = 0;
  bool hasPosition = false;
  UInt16 position = 0;
};

bool ReadAlertTemplate(SInt16 alertID, AlertTemplate* out) {
  Handle resource = GetResource(kAlertType, alertID);
  if (resource == nullptr || *resource == nullptr) return false;
  const std::size_t size = std::size_t(GetHandleSize(resource));
  if (size < kAlertMinSize) return false;
  sp::ByteReader reader(reinterpret_cast<const UInt8*>(*resource), size);
  AlertTemplate t;
  t.bounds.top = reader.SBE16();
  t.bounds.left = reader.SBE16();
  t.bounds.bottom = reader.SBE16();
  t.bounds.right = reader.SBE16();
  t.itemsID = reader.SBE16();
  t.stages = reader.BE16();
  if (size >= kAlertPositionSize) {
    t.hasPosition = true;
    t.position = reader.BE16();
  }
  if (!reader.Ok()) return false;
  *out = t;
  return true;
}

// ^0 .. ^3 replaced by the ParamText texts.
std::string Substitute(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t length = dialogs::CharLength(text, i);
    if (length == 1 && text[i] == '^' && i + 1 < text.size() && text[i + 1] >= '0' &&
        text[i + 1] <= '3') {
      out += gParams[text[i + 1] - '0'];
      ++i;
      continue;
    }
    out.append(text, i, length);
    i += length - 1;
  }
  return out;
}

bool IsButton(DialogRef dialog, DialogItemIndex item) {
  if (item > CountDITL(dialog)) return false;
  DialogItemType type = 0;
  GetDialogItem(dialog, item, &type, nullptr, nullptr);
  return (type & 0x7F) == kButtonDialogItem;
}

void AppendIcon(DialogRef dialog, SInt16 iconID) {
  ItemListEntry icon;
  icon.rect.top = 10;
  icon.rect.left = 20;
  icon.rect.bottom = 42;
  icon.rect.right = 52;
  icon.type = UInt8(kIconDialogItem | kItemDisableBit);
  icon.resourceID = iconID;
  std::vector<UInt8> bytes = ItemListBytes({icon});
  Handle list = NewHandle(Size(bytes.size()));
  if (list == nullptr) return;
  std::memcpy(*list, bytes.data(), bytes.size());
  AppendDITL(dialog, list, overlayDITL);
  DisposeHandle(list);
}

DialogItemIndex RunAlert(SInt16 alertID, ModalFilterUPP filter, SInt16 iconID) {
  AlertTemplate t;
  if (!ReadAlertTemplate(alertID, &t)) return -1;
  Handle items = GetResource(kItemListType, t.itemsID);
  if (items == nullptr) return -1;
  const UInt8 noTitle[1] = {0};
  DialogRef dialog = NewDialog(nullptr, &t.bounds, noTitle, false, kWindowAlertProc,
                               reinterpret_cast<WindowRef>(-1), false, 0, items);
  if (dialog == nullptr) return -1;
  dialogs::DialogRecord* record = dialogs::Lookup(dialog);
  std::string message;
  for (std::size_t i = 0; i < record->items.size(); ++i) {
    dialogs::Item& item = record->items[i];
    if (!dialogs::IsTextKind(item.kind)) continue;
    const std::string text = Substitute(dialogs::ItemText(item));
    const std::size_t limit =
        item.kind == kEditTextDialogItem ? std::size_t(kSpDialogEditTextLimit) : 255;
    dialogs::SetItemText(&item, text, limit);
    if (message.empty() && item.kind == kStaticTextDialogItem) message = dialogs::ItemText(item);
  }
  if (iconID != kNoIcon) AppendIcon(dialog, iconID);

  // The first stage: bit 3 makes item 2 the default, bits 0-1 count the beeps.
  const UInt16 stage = t.stages & 0xF;
  const DialogItemIndex defaultItem = (stage & 8) != 0 ? 2 : 1;
  const DialogItemIndex otherItem = defaultItem == 1 ? 2 : 1;
  if (defaultItem <= CountDITL(dialog)) SetDialogDefaultItem(dialog, defaultItem);
  if (IsButton(dialog, otherItem)) SetDialogCancelItem(dialog, otherItem);
  for (UInt16 i = 0; i < (stage & 3); ++i) SysBeep(30);

  WindowRef window = GetDialogWindow(dialog);
  if (t.hasPosition) ApplyWindowPosition(window, t.position);
  AlertFacts facts;
  facts.resource = true;
  facts.type = -1;
  if (iconID == kStopIcon) facts.type = kAlertStopAlert;
  if (iconID == kNoteIcon) facts.type = kAlertNoteAlert;
  if (iconID == kCautionIcon) facts.type = kAlertCautionAlert;
  facts.message = message;
  SetAlertFacts(window, facts);

  ShowWindow(window);
  SelectWindow(window);
  DrawDialog(dialog);
  DialogItemIndex hit = 0;
  do {
    ModalDialog(filter != nullptr ? filter : StdFilterProc, &hit);
  } while (hit <= 0 && dialogs::Lookup(dialog) != nullptr);
  if (dialogs::Lookup(dialog) != nullptr) DisposeDialog(dialog);
  return hit;
}

}  // namespace
}  // namespace alerts
}  // namespace sp_platform

using namespace sp_platform::alerts;

void ParamText(ConstStr255Param param0, ConstStr255Param param1, ConstStr255Param param2,
               ConstStr255Param param3) {
  ConstStr255Param params[4] = {param0, param1, param2, param3};
  for (int i = 0; i < 4; ++i) {
    gParams[i] = params[i] == nullptr
                     ? std::string()
                     : std::string(reinterpret_cast<const char*>(params[i] + 1), params[i][0]);
  }
}

DialogItemIndex Alert(SInt16 alertID, ModalFilterUPP modalFilter) {
  return RunAlert(alertID, modalFilter, kNoIcon);
}

DialogItemIndex StopAlert(SInt16 alertID, ModalFilterUPP modalFilter) {
  return RunAlert(alertID, modalFilter, kStopIcon);
}

DialogItemIndex NoteAlert(SInt16 alertID, ModalFilterUPP modalFilter) {
  return RunAlert(alertID, modalFilter, kNoteIcon);
}

DialogItemIndex CautionAlert(SInt16 alertID, ModalFilterUPP modalFilter) {
  return RunAlert(alertID, modalFilter, kCautionIcon);
}
