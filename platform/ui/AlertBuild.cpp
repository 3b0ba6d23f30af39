// Standard alerts: building and laying out the alert dialog, StandardAlert,
// CreateStandardAlert, RunStandardAlert, the standard parameters, AutoSizeDialog, and the
// facts the layer keeps with an alert window.
#include <algorithm>
#include <cstring>
#include <vector>

#include "Alerts.h"
#include "CFString.h"
#include "Controls.h"
#include "Dialogs.h"
#include "MacMemory.h"
#include "MacWindows.h"
#include "QDText.h"
#include "ui/detail/AlertRegistry.h"
#include "ui/detail/DialogRecord.h"
#include "ui/detail/WindowPlacement.h"

namespace sp_platform {
namespace alerts {

const char* const kStandardOKText = "OK";
// "キャンセル"
const char* const kStandardCancelText = "\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B";
// "保存しない"
const char* const kStandardOtherText = "\x95\xDB\x91\xB6\x82\xB5\x82\xC8\x82\xA2";

namespace {

constexpr PropertyCreator kFactsCreator = 0x5370416C;  // 'SpAl'
constexpr PropertyTag kFlagsTag = 0x666C6773;          // 'flgs'
constexpr PropertyTag kTypeTag = 0x74797065;           // 'type'
constexpr PropertyTag kMessageTag = 0x6D657367;        // 'mesg'
constexpr PropertyTag kExplanationTag = 0x6578706C;    // 'expl'

enum : UInt8 {
  kFlagStandard = 1,
  kFlagSheet = 2,
  kFlagResource = 4,
};

// Layout, in pixels (see Alerts.h).
constexpr SInt16 kMargin = 20;
constexpr SInt16 kTop = 16;
constexpr SInt16 kIconSize = 32;
constexpr SInt16 kTextLeftWithIcon = 72;
constexpr SInt16 kTextGap = 8;
constexpr SInt16 kButtonsGap = 20;
constexpr SInt16 kButtonSpacing = 12;
constexpr SInt16 kGroupSpacing = 24;
constexpr SInt16 kBottomMargin = 20;
constexpr SInt16 kButtonPadding = 28;
constexpr std::size_t kTitleLimit = 255;

const char kHelpTitle[] = "?";

Rect R(SInt32 top, SInt32 left, SInt32 bottom, SInt32 right) {
  Rect r;
  r.top = SInt16(top);
  r.left = SInt16(left);
  r.bottom = SInt16(bottom);
  r.right = SInt16(right);
  return r;
}

void PutWord(std::vector<UInt8>* out, SInt32 value) {
  out->push_back(UInt8((value >> 8) & 0xFF));
  out->push_back(UInt8(value & 0xFF));
}

std::string ReadProperty(WindowRef window, PropertyTag tag) {
  ByteCount size = 0;
  if (GetWindowPropertySize(window, kFactsCreator, tag, &size) != noErr || size == 0) {
    return std::string();
  }
  std::string bytes(size, '\0');
  GetWindowProperty(window, kFactsCreator, tag, size, nullptr, &bytes[0]);
  return bytes;
}

SInt16 TitleWidth(const std::string& title) {
  return TextWidth(title.data(), 0, SInt16(std::min<std::size_t>(title.size(), 0x7FFF)));
}

SInt16 ButtonWidth(const std::string& title) {
  return SInt16(std::max<SInt32>(kSpAlertMinButtonWidth, TitleWidth(title) + kButtonPadding));
}

SInt16 TextHeight(const std::string& text, SInt16 width) {
  dialogs::Layout layout = dialogs::LayOut(text, width);
  return SInt16(std::max<std::size_t>(layout.lines.size(), 1) * std::size_t(layout.lineHeight));
}

void PlaceItem(DialogRef dialog, DialogItemIndex itemNo, const Rect& box) {
  DialogItemType type = 0;
  Handle handle = nullptr;
  Rect old;
  GetDialogItem(dialog, itemNo, &type, &handle, &old);
  SetDialogItem(dialog, itemNo, type, handle, &box);
  ControlRef control = nullptr;
  if (GetDialogItemAsControl(dialog, itemNo, &control) == noErr && control != nullptr) {
    SetControlBounds(control, &box);
  }
}

// Lays out the items of the alert (see Alerts.h) and sizes its window.
void LayOutAlert(DialogRef dialog, const AlertSpec& spec) {
  WindowRef window = GetDialogWindow(dialog);
  dialogs::DialogPortScope scope(window);
  const bool icon = spec.type != kAlertPlainAlert;
  const bool shown[4] = {true, !spec.buttons[1].empty(), !spec.buttons[2].empty(), spec.help};
  SInt16 widths[4] = {0, 0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    if (shown[i]) widths[i] = ButtonWidth(spec.buttons[i]);
  }
  if (shown[3]) widths[3] = SInt16(TitleWidth(kHelpTitle) + kButtonPadding);

  // The row: help and other at the left, cancel and OK at the right.
  SInt32 left = 0, right = 0;
  for (int i : {3, 2}) {
    if (shown[i]) left += widths[i] + (left > 0 ? kButtonSpacing : 0);
  }
  for (int i : {0, 1}) {
    if (shown[i]) right += widths[i] + (right > 0 ? kButtonSpacing : 0);
  }
  SInt32 need = kMargin + left + (left > 0 ? kGroupSpacing : 0) + right + kMargin;
  const SInt16 width = SInt16(std::min<SInt32>(std::max<SInt32>(kSpAlertWidth, need), 0x7FFF));

  const SInt16 textLeft = icon ? kTextLeftWithIcon : kMargin;
  const SInt16 textWidth = SInt16(width - kMargin - textLeft);
  SInt32 bottom = kTop + TextHeight(spec.message, textWidth);
  PlaceItem(dialog, kSpAlertMessageItem, R(kTop, textLeft, bottom, textLeft + textWidth));
  if (!spec.explanation.empty()) {
    const SInt32 top = bottom + kTextGap;
    bottom = top + TextHeight(spec.explanation, textWidth);
    PlaceItem(dialog, kSpAlertExplanationItem, R(top, textLeft, bottom, textLeft + textWidth));
  } else {
    PlaceItem(dialog, kSpAlertExplanationItem, R(bottom, textLeft, bottom, textLeft + textWidth));
  }
  PlaceItem(dialog, kSpAlertIconItem, R(kTop, kMargin, kTop + kIconSize, kMargin + kIconSize));
  if (icon) bottom = std::max<SInt32>(bottom, kTop + kIconSize);

  const SInt32 top = bottom + kButtonsGap;
  const SInt32 buttonBottom = top + kSpAlertButtonHeight;
  SInt32 x = width - kMargin;
  for (int i : {0, 1}) {
    if (!shown[i]) continue;
    PlaceItem(dialog, DialogItemIndex(i + 1), R(top, x - widths[i], buttonBottom, x));
    x -= widths[i] + kButtonSpacing;
  }
  x = kMargin;
  for (int i : {3, 2}) {
    if (!shown[i]) continue;
    PlaceItem(dialog, DialogItemIndex(i + 1), R(top, x, buttonBottom, x + widths[i]));
    x += widths[i] + kButtonSpacing;
  }
  SizeWindow(window, width, SInt16(std::min<SInt32>(buttonBottom + kBottomMargin, 0x7FFF)), false);

  for (int i = 0; i < 4; ++i) {
    if (!shown[i]) HideDialogItem(dialog, DialogItemIndex(i + 1));
  }
  if (spec.explanation.empty()) HideDialogItem(dialog, kSpAlertExplanationItem);
  if (!icon) HideDialogItem(dialog, kSpAlertIconItem);
}

SInt16 IconOf(AlertType type) {
  switch (type) {
    case kAlertStopAlert:
      return kStopIcon;
    case kAlertNoteAlert:
      return kNoteIcon;
    default:
      return kCautionIcon;
  }
}

std::string PascalText(ConstStr255Param text) {
  if (text == nullptr) return std::string();
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

// A button text of the Pascal form: the standard title, the given one, or none.
std::string ButtonText(ConstStringPtr text, const char* standard) {
  if (text == reinterpret_cast<ConstStringPtr>(kAlertDefaultOKText)) return standard;
  return PascalText(text);
}

std::string ButtonText(CFStringRef text, const char* standard) {
  if (text == reinterpret_cast<CFStringRef>(kAlertDefaultOKText)) return standard;
  return MacJapaneseOf(text, kTitleLimit);
}

std::string Cut(const std::string& text, std::size_t limit) {
  return text.substr(0, dialogs::CutToBoundary(text, limit));
}

}  // namespace

std::string MacJapaneseOf(CFStringRef text, std::size_t limit) {
  if (text == nullptr || text == reinterpret_cast<CFStringRef>(kAlertDefaultOKText)) {
    return std::string();
  }
  const CFIndex length = CFStringGetLength(text);
  std::string bytes(limit, '\0');
  CFIndex used = 0;
  CFStringGetBytes(text, CFRangeMake(0, length), kCFStringEncodingMacJapanese, '?', false,
                   reinterpret_cast<UInt8*>(&bytes[0]), CFIndex(limit), &used);
  bytes.resize(std::size_t(std::max<CFIndex>(used, 0)));
  return bytes;
}

std::vector<UInt8> ItemListBytes(const std::vector<ItemListEntry>& items) {
  std::vector<UInt8> out;
  PutWord(&out, SInt32(items.size()) - 1);
  for (const ItemListEntry& item : items) {
    for (int i = 0; i < 4; ++i) out.push_back(0);
    PutWord(&out, item.rect.top);
    PutWord(&out, item.rect.left);
    PutWord(&out, item.rect.bottom);
    PutWord(&out, item.rect.right);
    out.push_back(item.type);
    const UInt8 kind = UInt8(item.type & 0x7F);
    if (kind == kIconDialogItem || kind == kPictureDialogItem ||
        kind == kResourceControlDialogItem) {
      out.push_back(2);
      PutWord(&out, item.resourceID);
    } else {
      const std::size_t length = std::min<std::size_t>(item.text.size(), 255);
      out.push_back(UInt8(length));
      out.insert(out.end(), item.text.begin(), item.text.begin() + std::ptrdiff_t(length));
      if (length % 2 != 0) out.push_back(0);
    }
  }
  return out;
}

bool AlertFactsOf(WindowRef window, AlertFacts* out) {
  if (out == nullptr || !IsValidWindowPtr(window)) return false;
  UInt8 flags = 0;
  if (GetWindowProperty(window, kFactsCreator, kFlagsTag, sizeof flags, nullptr, &flags) != noErr) {
    return false;
  }
  AlertFacts facts;
  facts.standard = (flags & kFlagStandard) != 0;
  facts.sheet = (flags & kFlagSheet) != 0;
  facts.resource = (flags & kFlagResource) != 0;
  SInt16 type = -1;
  GetWindowProperty(window, kFactsCreator, kTypeTag, sizeof type, nullptr, &type);
  facts.type = type;
  facts.message = ReadProperty(window, kMessageTag);
  facts.explanation = ReadProperty(window, kExplanationTag);
  *out = facts;
  return true;
}

void SetAlertFacts(WindowRef window, const AlertFacts& facts) {
  const UInt8 flags = UInt8((facts.standard ? kFlagStandard : 0) | (facts.sheet ? kFlagSheet : 0) |
                            (facts.resource ? kFlagResource : 0));
  SetWindowProperty(window, kFactsCreator, kFlagsTag, sizeof flags, &flags);
  const SInt16 type = facts.type;
  SetWindowProperty(window, kFactsCreator, kTypeTag, sizeof type, &type);
  SetWindowProperty(window, kFactsCreator, kMessageTag, facts.message.size(), facts.message.data());
  SetWindowProperty(window, kFactsCreator, kExplanationTag, facts.explanation.size(),
                    facts.explanation.data());
}

DialogRef BuildAlertDialog(const AlertSpec& in) {
  AlertSpec spec = in;
  spec.message = Cut(spec.message, std::size_t(kSpAlertTextLimit));
  spec.explanation = Cut(spec.explanation, std::size_t(kSpAlertTextLimit));
  if (spec.buttons[0].empty()) spec.buttons[0] = kStandardOKText;
  for (std::string& title : spec.buttons) title = Cut(title, kTitleLimit);

  // Items in their fixed numbers; the layout places them once the dialog can measure.
  const Rect none = R(0, 0, 0, 0);
  std::vector<ItemListEntry> items = {
      {none, UInt8(kButtonDialogItem), spec.buttons[0], 0},
      {none, UInt8(kButtonDialogItem), spec.buttons[1], 0},
      {none, UInt8(kButtonDialogItem), spec.buttons[2], 0},
      {none, UInt8(kButtonDialogItem), kHelpTitle, 0},
      {none, UInt8(kStaticTextDialogItem | kItemDisableBit), std::string(), 0},
      {none, UInt8(kStaticTextDialogItem | kItemDisableBit), std::string(), 0},
      {none, UInt8(kIconDialogItem | kItemDisableBit), std::string(), IconOf(spec.type)},
  };
  std::vector<UInt8> bytes = ItemListBytes(items);
  Handle list = NewHandle(Size(bytes.size()));
  if (list == nullptr) return nullptr;
  std::memcpy(*list, bytes.data(), bytes.size());
  const Rect bounds = R(0, 0, 100, kSpAlertWidth);
  const SInt16 procID = spec.sheet     ? SInt16(kWindowSheetProc)
                        : spec.movable ? SInt16(kWindowMovableAlertProc)
                                       : SInt16(kWindowAlertProc);
  const UInt8 noTitle[1] = {0};
  DialogRef dialog = NewDialog(nullptr, &bounds, noTitle, false, procID,
                               reinterpret_cast<WindowRef>(-1), false, 0, list);
  DisposeHandle(list);
  if (dialog == nullptr) return nullptr;

  // The texts may be longer than a 'DITL' holds.
  dialogs::DialogRecord* record = dialogs::Lookup(dialog);
  if (!dialogs::SetItemText(dialogs::ItemAt(record, kSpAlertMessageItem), spec.message,
                            std::size_t(kSpAlertTextLimit)) ||
      !dialogs::SetItemText(dialogs::ItemAt(record, kSpAlertExplanationItem), spec.explanation,
                            std::size_t(kSpAlertTextLimit))) {
    DisposeDialog(dialog);
    return nullptr;
  }
  LayOutAlert(dialog, spec);

  const bool shown[4] = {true, !spec.buttons[1].empty(), !spec.buttons[2].empty(), spec.help};
  auto isShown = [&shown](SInt16 button) {
    return button >= kAlertStdAlertOKButton && button <= kAlertStdAlertHelpButton &&
           shown[button - 1];
  };
  // Return always answers an alert: without a shown default button it is the OK button.
  SetDialogDefaultItem(
      dialog, isShown(spec.defaultButton) ? spec.defaultButton : SInt16(kAlertStdAlertOKButton));
  SetDialogCancelItem(dialog, isShown(spec.cancelButton) ? spec.cancelButton : SInt16(0));

  WindowRef window = GetDialogWindow(dialog);
  if (spec.sheet) {
    ChangeWindowAttributes(window, kWindowStandardHandlerAttribute, 0);
  } else {
    ApplyWindowPosition(window, spec.position == kWindowDefaultPosition
                                    ? UInt16(kWindowAlertPositionMainScreen)
                                    : spec.position);
  }
  AlertFacts facts;
  facts.standard = true;
  facts.sheet = spec.sheet;
  facts.type = spec.type;
  facts.message = spec.message;
  facts.explanation = spec.explanation;
  SetAlertFacts(window, facts);
  return dialog;
}

}  // namespace alerts
}  // namespace sp_platform

using namespace sp_platform::alerts;

OSStatus GetStandardAlertDefaultParams(AlertStdCFStringAlertParamPtr param, UInt32 version) {
  if (param == nullptr || version != kStdCFStringAlertVersionOne) return paramErr;
  param->version = kStdCFStringAlertVersionOne;
  param->movable = true;
  param->helpButton = false;
  param->defaultText = reinterpret_cast<CFStringRef>(kAlertDefaultOKText);
  param->cancelText = nullptr;
  param->otherText = nullptr;
  param->defaultButton = kAlertStdAlertOKButton;
  param->cancelButton = 0;
  param->position = kWindowDefaultPosition;
  param->flags = 0;
  return noErr;
}

namespace sp_platform {
namespace alerts {
namespace {

// The buttons and placement of an alert's parameters (Pascal or CFString texts).
template <typename Params>
void TakeParams(const Params& param, AlertSpec& spec) {
  spec.buttons[0] = ButtonText(param.defaultText, kStandardOKText);
  spec.buttons[1] = ButtonText(param.cancelText, kStandardCancelText);
  spec.buttons[2] = ButtonText(param.otherText, kStandardOtherText);
  spec.help = param.helpButton;
  spec.movable = param.movable;
  spec.defaultButton = param.defaultButton;
  spec.cancelButton = param.cancelButton;
  spec.position = param.position;
}

AlertSpec SpecOf(AlertType type, CFStringRef error, CFStringRef explanation,
                 const AlertStdCFStringAlertParamRec* param) {
  AlertSpec spec;
  spec.type = type;
  spec.message = MacJapaneseOf(error, std::size_t(kSpAlertTextLimit));
  spec.explanation = MacJapaneseOf(explanation, std::size_t(kSpAlertTextLimit));
  if (param != nullptr) TakeParams(*param, spec);
  return spec;
}

}  // namespace

// Also for the sheets (AlertSheets.cpp).
AlertSpec SpecOfCFStrings(AlertType type, CFStringRef error, CFStringRef explanation,
                          const AlertStdCFStringAlertParamRec* param) {
  return SpecOf(type, error, explanation, param);
}

}  // namespace alerts
}  // namespace sp_platform

OSErr StandardAlert(AlertType inAlertType, ConstStr255Param inError, ConstStr255Param inExplanation,
                    const AlertStdAlertParamRec* inAlertParam, SInt16* outItemHit) {
  if (outItemHit == nullptr) return paramErr;
  *outItemHit = 0;
  if (inError == nullptr) return paramErr;
  AlertSpec spec;
  spec.type = inAlertType;
  spec.message = PascalText(inError);
  spec.explanation = PascalText(inExplanation);
  ModalFilterUPP filter = nullptr;
  if (inAlertParam != nullptr) {
    TakeParams(*inAlertParam, spec);
    filter = inAlertParam->filterProc;
  }
  DialogRef alert = BuildAlertDialog(spec);
  if (alert == nullptr) return memFullErr;
  DialogItemIndex item = 0;
  OSStatus err = RunStandardAlert(alert, filter, &item);
  *outItemHit = item;
  return OSErr(err);
}

OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert) {
  if (outAlert == nullptr) return paramErr;
  *outAlert = nullptr;
  if (error == nullptr) return paramErr;
  DialogRef alert = BuildAlertDialog(SpecOfCFStrings(alertType, error, explanation, param));
  if (alert == nullptr) return memFullErr;
  *outAlert = alert;
  return noErr;
}

OSStatus RunStandardAlert(DialogRef inAlert, ModalFilterUPP filterProc,
                          DialogItemIndex* outItemHit) {
  if (outItemHit == nullptr) return paramErr;
  *outItemHit = 0;
  AlertFacts facts;
  if (GetDialogFromWindow(GetDialogWindow(inAlert)) != inAlert ||
      !AlertFactsOf(GetDialogWindow(inAlert), &facts) || !facts.standard || facts.sheet) {
    return paramErr;
  }
  WindowRef window = GetDialogWindow(inAlert);
  ShowWindow(window);
  SelectWindow(window);
  DrawDialog(inAlert);
  DialogItemIndex item = 0;
  for (;;) {
    ModalDialog(filterProc != nullptr ? filterProc : StdFilterProc, &item);
    if (sp_platform::dialogs::Lookup(inAlert) == nullptr) {
      item = 0;
      break;
    }
    if (item >= kAlertStdAlertOKButton && item <= kAlertStdAlertHelpButton) {
      sp_platform::dialogs::Item* it =
          sp_platform::dialogs::ItemAt(sp_platform::dialogs::Lookup(inAlert), item);
      if (it != nullptr && !it->Hidden()) break;
    }
  }
  if (sp_platform::dialogs::Lookup(inAlert) != nullptr) DisposeDialog(inAlert);
  *outItemHit = item;
  return noErr;
}

OSErr AutoSizeDialog(DialogRef inDialog) {
  sp_platform::dialogs::DialogRecord* record = sp_platform::dialogs::Lookup(inDialog);
  if (record == nullptr) return paramErr;
  WindowRef window = GetDialogWindow(inDialog);
  SInt32 growth = 0;
  {
    sp_platform::dialogs::DialogPortScope scope(window);
    // Top to bottom, so that an item moved by an earlier one is measured where it now is.
    std::vector<DialogItemIndex> order;
    for (std::size_t i = 0; i < record->items.size(); ++i) {
      order.push_back(DialogItemIndex(i + 1));
    }
    std::stable_sort(order.begin(), order.end(), [record](DialogItemIndex a, DialogItemIndex b) {
      return record->items[std::size_t(a - 1)].rect.top <
             record->items[std::size_t(b - 1)].rect.top;
    });
    for (DialogItemIndex itemNo : order) {
      sp_platform::dialogs::Item* item = sp_platform::dialogs::ItemAt(record, itemNo);
      if (item == nullptr || item->kind != kStaticTextDialogItem || item->Hidden()) continue;
      const SInt16 width = SInt16(item->rect.right - item->rect.left);
      if (width <= 0) continue;
      const SInt32 height = TextHeight(sp_platform::dialogs::ItemText(*item), width);
      const SInt32 delta = height - (item->rect.bottom - item->rect.top);
      if (delta == 0) continue;
      const SInt16 oldBottom = item->rect.bottom;
      Rect box = item->rect;
      box.bottom = SInt16(box.top + height);
      PlaceItem(inDialog, itemNo, box);
      for (std::size_t i = 0; i < record->items.size(); ++i) {
        sp_platform::dialogs::Item& other = record->items[i];
        if (DialogItemIndex(i + 1) == itemNo || other.rect.top < oldBottom) continue;
        Rect moved = other.rect;
        OffsetRect(&moved, 0, SInt16(delta));
        PlaceItem(inDialog, DialogItemIndex(i + 1), moved);
      }
      growth += delta;
    }
  }
  if (growth != 0) {
    Rect content;
    GetWindowBounds(window, kWindowContentRgn, &content);
    const SInt32 height = std::max<SInt32>(content.bottom - content.top + growth, 1);
    SizeWindow(window, SInt16(content.right - content.left),
               SInt16(std::min<SInt32>(height, 0x7FFF)), true);
  }
  return noErr;
}
