// Control-change item groups: a DITL appended to the window's dialog once and shown or hidden
// as a whole.
#include "SpControlChangeItemGroup.h"

#include <cstring>

#include "Controls.h"
#include "Dialogs.h"
#include "Resources.h"
#include "SpErrorInfoSystem.h"
#include "SpListLinks.h"
#include "SpStdFunction.h"
#include "SpWindow.h"
#include "SpWindowControlItemObj.h"

namespace {

const char kSource[] = "SpControlChangeItemGroup";
const char kMsgEmbed[] = "Embed Error !! ";

DialogRef DialogOf(const cSp_Window* window) {
  return (window != nullptr) ? window->GetDialogRef() : nullptr;
}

// A hidden dialog item reports its rectangle this far right of where it shows.
const SInt16 kHiddenItemOffset = 16384;
const SInt16 kHiddenItemThreshold = 8192;

}  // namespace

cSp_ControlChangeOutputItemGroup::cSp_ControlChangeOutputItemGroup(cSp_Window* window,
                                                                   ControlRef baseControl,
                                                                   short groupNo, short ditlId,
                                                                   unsigned char embed)
    : window_(window), groupNo_(groupNo), ditlId_(ditlId), baseControl_(baseControl) {
  ditl_ = GetResource(SpFourCC("DITL"), ditlId);
  DialogRef dialog = DialogOf(window);
  if (dialog == nullptr) return;
  baseItemNo_ = CountDITL(dialog);
  // The items keep the coordinates of their resource: a panel is laid out where it shows.
  if (ditl_ != nullptr) AppendDITL(dialog, ditl_, overlayDITL);
  itemCount_ = short(CountDITL(dialog) - baseItemNo_);

  // A panel starts hidden and inactive. Items without a control (texts, icons, pictures) are
  // hidden as dialog items: neither drawn nor reached by Tab, clicks or typing.
  for (short n = 1; n <= itemCount_; ++n) {
    ControlRef control = ItemControl(short(baseItemNo_ + n));
    if (control == nullptr) {
      HideDialogItem(dialog, short(baseItemNo_ + n));
      continue;
    }
    if (embed != 0 && baseControl_ != nullptr) EmbedControl(control, baseControl_);
    DeactivateControl(control);
    HideControl(control);
  }
}

cSp_ControlChangeOutputItemGroup::~cSp_ControlChangeOutputItemGroup() {
  if (ditl_ != nullptr && HomeResFile(ditl_) > 1) ReleaseResource(ditl_);
  ditl_ = nullptr;
  // The group owns the control items of its panel.
  SpDeleteList(firstItem_);
}

ControlRef cSp_ControlChangeOutputItemGroup::ItemControl(short dialogItemNo) const {
  DialogRef dialog = DialogOf(window_);
  if (dialog == nullptr) return nullptr;
  ControlRef control = nullptr;
  if (GetDialogItemAsControl(dialog, dialogItemNo, &control) != noErr) return nullptr;
  return control;
}

cSp_ControlChangeOutputItemGroup* cSp_ControlChangeOutputItemGroup::SerchTargetGroupNoItem(
    short groupNo) {
  for (cSp_ControlChangeOutputItemGroup* group = this; group != nullptr;
       group = group->GetNextObjectPtr()) {
    if (group->groupNo_ == groupNo) return group;
  }
  return nullptr;
}

// ---- Control items of the panel -------------------------------------------------------------

cSp_ControlItem* cSp_ControlChangeOutputItemGroup::SetupDialogContorlItem(short ownItemNo) {
  cSp_ControlItem* item = SerchDialogContorlItem(ownItemNo, 1);
  if (item != nullptr) return item;
  // Deferred: the item finds its control in the dialog on every use.
  item = new (std::nothrow) cSp_ControlItem(window_, ownItemNo, 1);
  if (item == nullptr) {
    return SpReportFailure(kSource, "cSp_ControlChangeOutputItemGroup::SetupDialogContorlItem", 1,
                           kSpMsgMemory, static_cast<cSp_ControlItem*>(nullptr));
  }
  item->SetupAddResourceItemNo(baseItemNo_);
  // Where the item stands, so that moving and sizing it start from the right place.
  DialogRef dialog = DialogOf(window_);
  if (dialog != nullptr) {
    DialogItemType type = 0;
    Rect rect = {0, 0, 0, 0};
    GetDialogItem(dialog, short(baseItemNo_ + ownItemNo), &type, nullptr, &rect);
    // An item of a hidden panel is recorded where it shows.
    if (rect.left >= kHiddenItemThreshold) OffsetRect(&rect, SInt16(-kHiddenItemOffset), 0);
    item->itemType_ = type;
    item->currentRect_ = rect;
    item->resourceRect_ = rect;
  }
  SpAppendToList(firstItem_, lastItem_, item);
  return item;
}

cSp_ControlItem* cSp_ControlChangeOutputItemGroup::SerchDialogContorlItem(short itemNo,
                                                                          unsigned char own) {
  for (cSp_ControlItem* item = firstItem_; item != nullptr; item = item->NextObject()) {
    if (item->GetDialogItemNo(own) == itemNo) return item;
  }
  return nullptr;
}

cSp_ControlItem* cSp_ControlChangeOutputItemGroup::SerchTargetMacOSControlRefNumItemFromItemList(
    ControlRef control) {
  return cSp_ControlItem::SerchControlItemChain(firstItem_, control);
}

// ---- Showing and hiding ---------------------------------------------------------------------

void cSp_ControlChangeOutputItemGroup::EnableOutputItem() {
  if (shownFlag_ != 0) return;
  DialogRef dialog = DialogOf(window_);
  for (short n = 1; n <= itemCount_; ++n) {
    const short dialogItemNo = short(baseItemNo_ + n);
    ControlRef control = ItemControl(dialogItemNo);
    if (control == nullptr) {
      if (dialog != nullptr) ShowDialogItem(dialog, dialogItemNo);
      continue;
    }
    ShowControl(control);
    cSp_ControlItem* item = SerchDialogContorlItem(dialogItemNo, 0);
    if (item != nullptr) {
      item->EnableCarbonEventHandle();
      // A dimmed item stays dimmed across the switch.
      if (item->GetHiliteStatusFlag() == 0) ActivateControl(control);
    } else {
      HiliteControl(control, kControlNoPart);
      SetControlVisibility(control, true, true);
    }
  }
  if (baseControl_ != nullptr) Draw1Control(baseControl_);
  if (enable_.proc != nullptr) enable_.proc(this, 0, enable_.userData);
  shownFlag_ = 1;
  // A selection asked for while the panel was hidden is what it was asked for: the panel's
  // text as it shows.
  if (selectionPending_ != 0) SelectDialogItemTextFromReserveInfo();
}

void cSp_ControlChangeOutputItemGroup::DisableOutputItem() {
  if (shownFlag_ == 0) return;
  if (disable_.proc != nullptr) disable_.proc(this, 0, disable_.userData);
  DialogRef dialog = DialogOf(window_);
  for (short n = 1; n <= itemCount_; ++n) {
    const short dialogItemNo = short(baseItemNo_ + n);
    ControlRef control = ItemControl(dialogItemNo);
    if (control == nullptr) {
      // A field of the panel that had the focus hands it to a field still shown.
      if (dialog != nullptr) HideDialogItem(dialog, dialogItemNo);
      continue;
    }
    DeactivateControl(control);
    HideControl(control);
    cSp_ControlItem* item = SerchDialogContorlItem(dialogItemNo, 0);
    if (item != nullptr) item->DisableCarbonEventHandle();
  }
  shownFlag_ = 0;
}

void cSp_ControlChangeOutputItemGroup::SetupChangeToEnableOutputCallback(
    tSpChangeOutputGroupProcPtr proc, unsigned long userData) {
  enable_ = {proc, userData};
}

void cSp_ControlChangeOutputItemGroup::SetupChangeToDisableOutputCallback(
    tSpChangeOutputGroupProcPtr proc, unsigned long userData) {
  disable_ = {proc, userData};
}

// ---- Text -----------------------------------------------------------------------------------

void cSp_ControlChangeOutputItemGroup::SelectDialogItemTextOnEnableOutput(short ownItemNo,
                                                                          short start, short end) {
  selectionItemNo_ = short(baseItemNo_ + ownItemNo);
  selectionStart_ = start;
  selectionEnd_ = end;
  if (shownFlag_ != 0) {
    SelectDialogItemTextFromReserveInfo();
  } else {
    selectionPending_ = 1;
  }
}

void cSp_ControlChangeOutputItemGroup::SelectDialogItemTextFromReserveInfo() {
  DialogRef dialog = DialogOf(window_);
  if (dialog != nullptr) {
    SelectDialogItemText(dialog, selectionItemNo_, selectionStart_, selectionEnd_);
  }
  selectionPending_ = 0;
}

void cSp_ControlChangeOutputItemGroup::SetupDialogEditItemText(short ownItemNo, const char* text) {
  if (text == nullptr) {
    SpReportFailure(kSource, "cSp_ControlChangeOutputItemGroup::SetupDialogEditItemText", 1,
                    kSpMsgNullArgument);
    return;
  }
  DialogRef dialog = DialogOf(window_);
  if (dialog == nullptr) return;
  DialogItemType type = 0;
  Handle handle = nullptr;
  Rect rect = {0, 0, 0, 0};
  GetDialogItem(dialog, short(baseItemNo_ + ownItemNo), &type, &handle, &rect);
  if (handle == nullptr) return;
  // A length-prefixed text holds 255 bytes; a longer one is cut between characters.
  Str255 pascal;
  Sp_CopyCStringToStr255(text, pascal);
  SetDialogItemText(handle, pascal);
}

unsigned char cSp_ControlChangeOutputItemGroup::GetDialogEditItemText(short ownItemNo,
                                                                      char* buffer) {
  if (buffer == nullptr) {
    return SpReportFailure(kSource, "cSp_ControlChangeOutputItemGroup::GetDialogEditItemText", 1,
                           kSpMsgNullArgument, static_cast<unsigned char>(0));
  }
  DialogRef dialog = DialogOf(window_);
  if (dialog == nullptr) return 0;
  DialogItemType type = 0;
  Handle handle = nullptr;
  Rect rect = {0, 0, 0, 0};
  GetDialogItem(dialog, short(baseItemNo_ + ownItemNo), &type, &handle, &rect);
  if (handle == nullptr) return 0;
  Str255 pascal = {0};
  GetDialogItemText(handle, pascal);
  std::memcpy(buffer, pascal + 1, pascal[0]);
  buffer[pascal[0]] = '\0';
  return 1;
}

// ---- Embedding ------------------------------------------------------------------------------

void cSp_ControlChangeOutputItemGroup::EmbedItemOnBaseControl(short ownItemNo) {
  ControlRef control = ItemControl(short(baseItemNo_ + ownItemNo));
  if (EmbedControl(control, baseControl_) != noErr) {
    SpReportFailure(kSource, "cSp_ControlChangeOutputItemGroup::EmbedItemOnBaseControl", 2,
                    kMsgEmbed);
  }
}

void cSp_ControlChangeOutputItemGroup::EmbedItemOnItem(short ownItemNo, short ownContainerItemNo) {
  ControlRef control = ItemControl(short(baseItemNo_ + ownItemNo));
  ControlRef container = ItemControl(short(baseItemNo_ + ownContainerItemNo));
  if (EmbedControl(control, container) != noErr) {
    SpReportFailure(kSource, "cSp_ControlChangeOutputItemGroup::EmbedItemOnItem", 2, kMsgEmbed);
  }
}
