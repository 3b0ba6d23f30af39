// Navigation Services: making the dialogs (their items, controls and layout), their options,
// the procedure pointers, and disposing of them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "CFBase.h"
#include "MacMemory.h"
#include "Navigation.h"
#include "QuickDraw.h"
#include "files/internal/FileLocations.h"
#include "ui/detail/AlertRegistry.h"
#include "ui/detail/DialogRecord.h"
#include "ui/detail/NavRecord.h"
#include "ui/detail/WindowPlacement.h"

namespace sp_platform {
namespace nav {
namespace {

// The layout, in pixels.
constexpr SInt16 kWidth = 520;
constexpr SInt16 kMargin = 12;
constexpr SInt16 kLabelWidth = 44;
constexpr SInt16 kRowsShown = 12;
constexpr SInt16 kScrollWidth = 16;
constexpr SInt16 kButtonWidth = 96;
constexpr SInt16 kNewFolderWidth = 112;
constexpr SInt16 kButtonHeight = 20;
constexpr SInt16 kMessageHeight = 32;
constexpr SInt16 kGap = 8;

// The standard texts (UTF-8; turned into MacJapanese when used).
const char* const kOpenTitle = "開く";
const char* const kSaveTitle = "保存";
const char* const kChooseTitle = "選択";
const char* const kChooseFolderTitle = "フォルダを選択";
const char* const kCancelTitle = "キャンセル";
const char* const kNewFolderTitle = "新規フォルダ";
const char* const kLocationLabel = "場所:";
const char* const kNameLabel = "名前:";

std::vector<std::unique_ptr<Record>>& Records() {
  static std::vector<std::unique_ptr<Record>> records;
  return records;
}

// A dialog's reference is its serial number, never its record's address, so that the
// reference of a disposed dialog finds nothing even when a new record takes the old address.
UInt32 gLastSerial = 0;
// The dialog window keeps its record's serial: a window made later at the address of a
// dialog window disposed of behind the layer's back is not taken for it.
constexpr PropertyCreator kNavCreator = 0x53704E76;  // 'SpNv'
constexpr PropertyTag kSerialTag = 0x7365726C;       // 'serl'

bool WindowIsRecords(WindowRef window, const Record& record) {
  UInt32 serial = 0;
  return GetWindowProperty(window, kNavCreator, kSerialTag, sizeof serial, nullptr, &serial) ==
             noErr &&
         serial == record.serial;
}

// Forgets the records whose dialogs were disposed of behind the layer's back (by disposing of
// their windows).
void ForgetLostRecords() {
  auto& records = Records();
  for (auto it = records.begin(); it != records.end();) {
    Record* r = it->get();
    if (!r->running && dialogs::Lookup(r->dialog) == nullptr) {
      if (r->popupMenu != nullptr) DisposeMenu(r->popupMenu);
      it = records.erase(it);
    } else {
      ++it;
    }
  }
}

Rect R(SInt32 top, SInt32 left, SInt32 bottom, SInt32 right) {
  return Rect{SInt16(top), SInt16(left), SInt16(bottom), SInt16(right)};
}

std::string DefaultActionTitle(Kind kind) {
  switch (kind) {
    case Kind::kGetFile:
      return kOpenTitle;
    case Kind::kPutFile:
      return kSaveTitle;
    case Kind::kChooseFolder:
    case Kind::kChooseObject:
      return kChooseTitle;
  }
  return kOpenTitle;
}

std::string DefaultWindowTitle(Kind kind) {
  return kind == Kind::kChooseFolder ? kChooseFolderTitle : DefaultActionTitle(kind);
}

std::string Or(const std::string& macJapanese, const char* standardUTF8) {
  return macJapanese.empty() ? MacJapaneseOfUTF8(standardUTF8) : macJapanese;
}

// The rows of the layout, top to bottom, for a record without a custom area.
struct Layout {
  SInt16 message = 0;   // top of the message (when there is one)
  SInt16 location = 0;  // top of the location row
  SInt16 list = 0;      // top of the list
  SInt16 name = 0;      // top of the name row (save dialogs)
  SInt16 custom = 0;    // top of the custom area
  SInt16 buttons = 0;   // top of the buttons
  SInt16 height = 0;    // of the content
};

Layout LayOut(const Record& record) {
  Layout l;
  SInt16 y = kMargin;
  if (!record.message.empty()) {
    l.message = y;
    y = SInt16(y + kMessageHeight + kGap);
  }
  l.location = y;
  y = SInt16(y + kButtonHeight + kGap);
  l.list = y;
  y = SInt16(y + kRowsShown * kRowHeight + 2 + kGap);
  if (record.kind == Kind::kPutFile) {
    l.name = y;
    y = SInt16(y + kButtonHeight + kGap);
  }
  l.custom = y;
  l.buttons = y;
  l.height = SInt16(y + kButtonHeight + kMargin);
  return l;
}

std::vector<alerts::ItemListEntry> Items(const Record& record, const Layout& l) {
  using alerts::ItemListEntry;
  const UInt8 disabledUser = UInt8(kUserDialogItem | kItemDisableBit);
  const UInt8 disabledText = UInt8(kStaticTextDialogItem | kItemDisableBit);
  const SInt16 right = kWidth - kMargin;
  const SInt16 listBottom = SInt16(l.list + kRowsShown * kRowHeight + 2);
  const std::string action = Or(record.actionLabel, DefaultActionTitle(record.kind).c_str());
  const std::string cancel = Or(record.cancelLabel, kCancelTitle);
  std::vector<ItemListEntry> items = {
      {R(l.buttons, right - kButtonWidth, l.buttons + kButtonHeight, right),
       UInt8(kButtonDialogItem), action, 0},
      {R(l.buttons, right - 2 * kButtonWidth - kGap, l.buttons + kButtonHeight,
         right - kButtonWidth - kGap),
       UInt8(kButtonDialogItem), cancel, 0},
      {R(l.buttons, kMargin, l.buttons + kButtonHeight, kMargin + kNewFolderWidth),
       UInt8(kButtonDialogItem), MacJapaneseOfUTF8(kNewFolderTitle), 0},
      {R(l.list, kMargin, listBottom, right - kScrollWidth), disabledUser, std::string(), 0},
      {R(l.list, right - kScrollWidth, listBottom, right), disabledUser, std::string(), 0},
      {R(l.location, kMargin + kLabelWidth, l.location + kButtonHeight, right), disabledUser,
       std::string(), 0},
      {R(l.location + 2, kMargin, l.location + kButtonHeight, kMargin + kLabelWidth), disabledText,
       MacJapaneseOfUTF8(kLocationLabel), 0},
      {R(l.name + 2, kMargin, l.name + kButtonHeight, kMargin + kLabelWidth), disabledText,
       MacJapaneseOfUTF8(kNameLabel), 0},
      {R(l.name + 2, kMargin + kLabelWidth + 3, l.name + kButtonHeight - 2, right - 3),
       UInt8(kEditTextDialogItem), std::string(), 0},
      {R(l.message, kMargin, l.message + kMessageHeight, right), disabledText, std::string(), 0},
      {R(l.custom, kMargin, l.custom, kMargin), disabledUser, std::string(), 0},
  };
  return items;
}

ControlRef ItemControl(DialogRef dialog, DialogItemIndex item) {
  ControlRef control = nullptr;
  GetDialogItemAsControl(dialog, item, &control);
  return control;
}

// Moves a button item (its rectangle and its control) by the offsets.
void MoveButton(DialogRef dialog, DialogItemIndex item, SInt16 dh, SInt16 dv) {
  DialogItemType type = 0;
  Handle handle = nullptr;
  Rect box;
  GetDialogItem(dialog, item, &type, &handle, &box);
  OffsetRect(&box, dh, dv);
  SetDialogItem(dialog, item, type, handle, &box);
  ControlRef control = ItemControl(dialog, item);
  if (control != nullptr) MoveControl(control, box.left, box.top);
}

void SetItemText(DialogRef dialog, DialogItemIndex item, const std::string& macJapanese) {
  Handle handle = nullptr;
  DialogItemType type = 0;
  GetDialogItem(dialog, item, &type, &handle, nullptr);
  Str255 text;
  const std::size_t length =
      std::min<std::size_t>(macJapanese.size(), 255);  // the field cuts on a character
  text[0] = UInt8(length);
  std::memcpy(text + 1, macJapanese.data(), length);
  SetDialogItemText(handle, text);
}

bool MakeControls(Record* record) {
  WindowRef window = GetDialogWindow(record->dialog);
  Rect box;
  GetDialogItem(record->dialog, kNavItemScrollBar, nullptr, nullptr, &box);
  const UInt8 none[1] = {0};
  record->scrollBar = NewControl(window, &box, none, true, 0, 0, 0, kControlScrollBarLiveProc, 0);
  GetDialogItem(record->dialog, kNavItemLocationPopup, nullptr, nullptr, &box);
  record->popup = NewControl(window, &box, none, true, 0, -12345, 0, kControlPopupButtonProc, 0);
  record->popupMenu = NewMenu(MenuID(-12346), none);
  if (record->scrollBar == nullptr || record->popup == nullptr || record->popupMenu == nullptr) {
    return false;
  }
  SetControlPopupMenuHandle(record->popup, record->popupMenu);
  SetDialogItem(record->dialog, kNavItemList, UInt8(kUserDialogItem | kItemDisableBit),
                reinterpret_cast<Handle>(NewUserItemUPP(DrawList)), nullptr);
  SetDialogItem(record->dialog, kNavItemLocationPopup, UInt8(kUserDialogItem | kItemDisableBit),
                reinterpret_cast<Handle>(NewUserItemUPP(DrawPopup)), nullptr);
  return true;
}

// The items a kind of dialog does not use are hidden.
void HideUnused(Record* record) {
  DialogRef dialog = record->dialog;
  if (record->kind != Kind::kPutFile) {
    HideDialogItem(dialog, kNavItemNameLabel);
    HideDialogItem(dialog, kNavItemNameField);
  }
  if (record->kind == Kind::kGetFile) HideDialogItem(dialog, kNavItemNewFolderButton);
  if (record->message.empty()) HideDialogItem(dialog, kNavItemMessage);
}

void PlaceWindow(Record* record, SInt16 height) {
  WindowRef window = GetDialogWindow(record->dialog);
  SizeWindow(window, kWidth, height, false);
  if (record->modality == kWindowModalityWindowModal) return;
  if (record->location.h != -1 || record->location.v != -1) {
    MoveWindow(window, record->location.h, record->location.v, false);
  } else {
    ApplyWindowPosition(window, kWindowCenterMainScreen);
  }
}

DialogRef MakeDialog(Record* record) {
  const Layout layout = LayOut(*record);
  const std::vector<UInt8> bytes = alerts::ItemListBytes(Items(*record, layout));
  Handle list = NewHandle(Size(bytes.size()));
  if (list == nullptr) return nullptr;
  std::memcpy(*list, bytes.data(), bytes.size());
  const bool sheet = record->modality == kWindowModalityWindowModal;
  std::string title = record->title.empty() ? record->clientName : record->title;
  if (title.empty()) title = MacJapaneseOfUTF8(DefaultWindowTitle(record->kind).c_str());
  Str255 pascal;
  pascal[0] = UInt8(std::min<std::size_t>(title.size(), 255));
  std::memcpy(pascal + 1, title.data(), pascal[0]);
  const Rect bounds = R(0, 0, layout.height, kWidth);
  DialogRef dialog =
      NewDialog(nullptr, &bounds, pascal, false,
                sheet ? SInt16(kWindowSheetProc) : SInt16(kWindowMovableModalDialogProc),
                reinterpret_cast<WindowRef>(-1), false, 0, list);
  DisposeHandle(list);
  return dialog;
}

}  // namespace

Record* RecordOf(NavDialogRef dialog) {
  if (dialog == nullptr) return nullptr;
  for (const auto& r : Records()) {
    if (RefOf(r.get()) == dialog) return r.get();
  }
  return nullptr;
}

Record* RecordOfDialog(DialogRef dialog) {
  if (dialog == nullptr || dialogs::Lookup(dialog) == nullptr) return nullptr;
  for (const auto& r : Records()) {
    if (r->dialog == dialog && WindowIsRecords(GetDialogWindow(dialog), *r)) return r.get();
  }
  return nullptr;
}

Record* RecordOfWindow(WindowRef window) {
  return window == nullptr ? nullptr : RecordOfDialog(GetDialogFromWindow(window));
}

NavDialogRef RefOf(Record* record) {
  return reinterpret_cast<NavDialogRef>(std::uintptr_t(record->serial));
}

NavDialogRef Create(std::unique_ptr<Record> owned) {
  ForgetLostRecords();
  Record* record = owned.get();
  record->serial = ++gLastSerial;
  if (record->modality == kWindowModalityWindowModal &&
      (!IsValidWindowPtr(record->parent) || !IsWindowVisible(record->parent))) {
    record->modality = kWindowModalityAppModal;
  }
  record->dialog = MakeDialog(record);
  if (record->dialog == nullptr) return nullptr;
  if (!MakeControls(record)) {
    DisposeDialog(record->dialog);
    if (record->popupMenu != nullptr) DisposeMenu(record->popupMenu);
    return nullptr;
  }
  SetItemText(record->dialog, kNavItemMessage, record->message);
  // The program names the file; the field shows the name as the list shows names.
  SetItemText(record->dialog, kNavItemNameField, files::ShownNameOfClassic(record->saveName));
  HideUnused(record);
  SetDialogDefaultItem(record->dialog, kNavItemDefaultButton);
  SetDialogCancelItem(record->dialog, kNavItemCancelButton);
  PlaceWindow(record, LayOut(*record).height);
  const UInt32 serial = record->serial;
  SetWindowProperty(GetDialogWindow(record->dialog), kNavCreator, kSerialTag, sizeof serial,
                    &serial);
  Records().push_back(std::move(owned));
  return RefOf(record);
}

void DisposeIdleDialogs() {
  std::vector<NavDialogRef> idle;
  for (const auto& r : Records()) {
    if (!r->running) idle.push_back(RefOf(r.get()));
  }
  for (NavDialogRef ref : idle) NavDialogDispose(ref);
}

void MakeCustomArea(Record* record) {
  if (record->customWidth <= 0 || record->customHeight <= 0) return;
  DialogRef dialog = record->dialog;
  WindowRef window = GetDialogWindow(dialog);
  Rect content;
  GetWindowBounds(window, kWindowContentRgn, &content);
  const SInt16 width = std::max<SInt16>(kWidth, SInt16(record->customWidth + 2 * kMargin));
  const SInt16 dh = SInt16(width - kWidth);
  const SInt16 dv = SInt16(record->customHeight + kGap);
  MoveButton(dialog, kNavItemDefaultButton, dh, dv);
  MoveButton(dialog, kNavItemCancelButton, dh, dv);
  MoveButton(dialog, kNavItemNewFolderButton, 0, dv);
  SizeWindow(window, width, SInt16(content.bottom - content.top + dv), true);
  if (record->modality != kWindowModalityWindowModal && record->location.h == -1 &&
      record->location.v == -1) {
    ApplyWindowPosition(window, kWindowCenterMainScreen);
  }
}

Rect ListRect(Record* record) {
  Rect box = R(0, 0, 0, 0);
  GetDialogItem(record->dialog, kNavItemList, nullptr, nullptr, &box);
  return box;
}

SInt32 VisibleRows(Record* record) {
  const Rect box = ListRect(record);
  return std::max<SInt32>(1, (box.bottom - box.top - 2) / kRowHeight);
}

void UpdateButtons(Record* record) {
  ControlRef button = ItemControl(record->dialog, kNavItemDefaultButton);
  bool active = true;
  if (record->kind == Kind::kGetFile) {
    active = !SelectedEntries(record).empty();
  } else if (record->kind == Kind::kPutFile) {
    Handle handle = nullptr;
    GetDialogItem(record->dialog, kNavItemNameField, nullptr, &handle, nullptr);
    Str255 text;
    GetDialogItemText(handle, text);
    active = text[0] > 0;
  }
  if (active != bool(IsControlActive(button))) {
    if (active) {
      ActivateControl(button);
    } else {
      DeactivateControl(button);
    }
  }
}

std::vector<OSType> TypesOf(NavTypeListHandle list) {
  std::vector<OSType> types;
  if (list == nullptr || *list == nullptr) return types;
  // The handle says how many types it can hold; a count beyond that is cut.
  const Size size = GetHandleSize(reinterpret_cast<Handle>(list));
  const Size head = Size(offsetof(NavTypeList, osType));
  const SInt32 room = size > head ? SInt32((size - head) / Size(sizeof(OSType))) : 0;
  const SInt32 count = std::min<SInt32>((*list)->osTypeCount, room);
  for (SInt32 i = 0; i < count; ++i) types.push_back((*list)->osType[i]);
  return types;
}

void TakeOneCallOptions(const NavDialogOptions* options, Record* record) {
  NavDialogOptions standard;
  if (options == nullptr) {
    NavGetDefaultDialogOptions(&standard);
    options = &standard;
  }
  auto text = [](const Str255 s) {
    return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
  };
  record->flags = options->dialogOptionFlags;
  record->location = options->location;
  record->clientName = text(options->clientName);
  record->title = text(options->windowTitle);
  record->actionLabel = text(options->actionButtonLabel);
  record->cancelLabel = text(options->cancelButtonLabel);
  record->saveName = text(options->savedFileName);
  record->message = text(options->message);
}

}  // namespace nav
}  // namespace sp_platform

using namespace sp_platform::nav;

namespace {

// The options' texts and settings, taken into a new record.
std::unique_ptr<Record> RecordFromOptions(Kind kind, const NavDialogCreationOptions* options) {
  auto record = std::make_unique<Record>();
  record->kind = kind;
  NavDialogCreationOptions standard;
  if (options == nullptr) {
    NavGetDefaultDialogCreationOptions(&standard);
    options = &standard;
  }
  using sp_platform::alerts::MacJapaneseOf;
  record->flags = options->optionFlags;
  record->location = options->location;
  record->clientName = MacJapaneseOf(options->clientName, 255);
  record->title = MacJapaneseOf(options->windowTitle, 255);
  record->actionLabel = MacJapaneseOf(options->actionButtonLabel, 255);
  record->cancelLabel = MacJapaneseOf(options->cancelButtonLabel, 255);
  record->saveName = MacJapaneseOf(options->saveFileName, 255);
  record->message = MacJapaneseOf(options->message, 255);
  record->modality = options->modality;
  record->parent = options->parentWindow;
  return record;
}

OSStatus Finish(std::unique_ptr<Record> record, NavDialogRef* outDialog) {
  *outDialog = Create(std::move(record));
  return *outDialog != nullptr ? OSStatus(noErr) : OSStatus(memFullErr);
}

bool BadOptions(const NavDialogCreationOptions* options) {
  return options != nullptr && options->version != kNavDialogCreationOptionsVersion;
}

}  // namespace

NavEventUPP NewNavEventUPP(NavEventProcPtr userRoutine) {
  return userRoutine;
}

void DisposeNavEventUPP(NavEventUPP) {}

void InvokeNavEventUPP(NavEventCallbackMessage callBackSelector, NavCBRecPtr callBackParms,
                       void* callBackUD, NavEventUPP userUPP) {
  if (userUPP != nullptr) userUPP(callBackSelector, callBackParms, callBackUD);
}

NavObjectFilterUPP NewNavObjectFilterUPP(NavObjectFilterProcPtr userRoutine) {
  return userRoutine;
}

void DisposeNavObjectFilterUPP(NavObjectFilterUPP) {}

Boolean InvokeNavObjectFilterUPP(AEDesc* theItem, void* info, void* callBackUD,
                                 NavFilterModes filterMode, NavObjectFilterUPP userUPP) {
  return userUPP == nullptr ? Boolean(true) : userUPP(theItem, info, callBackUD, filterMode);
}

NavPreviewUPP NewNavPreviewUPP(NavPreviewProcPtr userRoutine) {
  return userRoutine;
}

void DisposeNavPreviewUPP(NavPreviewUPP) {}

Boolean NavServicesAvailable() {
  return true;
}

OSErr NavLoad() {
  return noErr;
}

OSErr NavUnload() {
  return noErr;
}

OSStatus NavGetDefaultDialogCreationOptions(NavDialogCreationOptions* outOptions) {
  if (outOptions == nullptr) return paramErr;
  std::memset(outOptions, 0, sizeof *outOptions);
  outOptions->version = kNavDialogCreationOptionsVersion;
  outOptions->optionFlags = kNavDefaultNavDlogOptions;
  outOptions->location = Point{-1, -1};
  outOptions->modality = kWindowModalityAppModal;
  return noErr;
}

OSErr NavGetDefaultDialogOptions(NavDialogOptions* dialogOptions) {
  if (dialogOptions == nullptr) return paramErr;
  std::memset(dialogOptions, 0, sizeof *dialogOptions);
  dialogOptions->version = kNavDialogOptionsVersion;
  dialogOptions->dialogOptionFlags = kNavDefaultNavDlogOptions;
  dialogOptions->location = Point{-1, -1};
  return noErr;
}

OSStatus NavCreateGetFileDialog(const NavDialogCreationOptions* inOptions,
                                NavTypeListHandle inTypeList, NavEventUPP inEventProc,
                                NavPreviewUPP, NavObjectFilterUPP inFilterProc, void* inClientData,
                                NavDialogRef* outDialog) {
  if (outDialog == nullptr || BadOptions(inOptions)) return paramErr;
  *outDialog = nullptr;
  std::unique_ptr<Record> record = RecordFromOptions(Kind::kGetFile, inOptions);
  record->types = TypesOf(inTypeList);
  record->eventProc = inEventProc;
  record->filterProc = inFilterProc;
  record->clientData = inClientData;
  return Finish(std::move(record), outDialog);
}

OSStatus NavCreatePutFileDialog(const NavDialogCreationOptions* inOptions, OSType, OSType,
                                NavEventUPP inEventProc, void* inClientData,
                                NavDialogRef* outDialog) {
  if (outDialog == nullptr || BadOptions(inOptions)) return paramErr;
  *outDialog = nullptr;
  std::unique_ptr<Record> record = RecordFromOptions(Kind::kPutFile, inOptions);
  record->eventProc = inEventProc;
  record->clientData = inClientData;
  return Finish(std::move(record), outDialog);
}

OSStatus NavCreateChooseFolderDialog(const NavDialogCreationOptions* inOptions,
                                     NavEventUPP inEventProc, NavObjectFilterUPP inFilterProc,
                                     void* inClientData, NavDialogRef* outDialog) {
  if (outDialog == nullptr || BadOptions(inOptions)) return paramErr;
  *outDialog = nullptr;
  std::unique_ptr<Record> record = RecordFromOptions(Kind::kChooseFolder, inOptions);
  record->eventProc = inEventProc;
  record->filterProc = inFilterProc;
  record->clientData = inClientData;
  return Finish(std::move(record), outDialog);
}

OSStatus NavCreateChooseObjectDialog(const NavDialogCreationOptions* inOptions,
                                     NavEventUPP inEventProc, NavPreviewUPP,
                                     NavObjectFilterUPP inFilterProc, void* inClientData,
                                     NavDialogRef* outDialog) {
  if (outDialog == nullptr || BadOptions(inOptions)) return paramErr;
  *outDialog = nullptr;
  std::unique_ptr<Record> record = RecordFromOptions(Kind::kChooseObject, inOptions);
  record->eventProc = inEventProc;
  record->filterProc = inFilterProc;
  record->clientData = inClientData;
  return Finish(std::move(record), outDialog);
}

void NavDialogDispose(NavDialogRef inDialog) {
  Record* record = RecordOf(inDialog);
  if (record == nullptr || record->running) return;
  if (sp_platform::dialogs::Lookup(record->dialog) != nullptr) DisposeDialog(record->dialog);
  if (record->popupMenu != nullptr) DisposeMenu(record->popupMenu);
  auto& records = Records();
  records.erase(
      std::remove_if(records.begin(), records.end(),
                     [record](const std::unique_ptr<Record>& r) { return r.get() == record; }),
      records.end());
}

WindowRef NavDialogGetWindow(NavDialogRef inDialog) {
  Record* record = RecordOf(inDialog);
  return record == nullptr ? nullptr : GetDialogWindow(record->dialog);
}

NavUserAction NavDialogGetUserAction(NavDialogRef inDialog) {
  Record* record = RecordOf(inDialog);
  return record == nullptr ? kNavUserActionNone : record->action;
}
