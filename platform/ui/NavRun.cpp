// Navigation Services: running a dialog (its modal loop, the event procedure's messages, the
// user's choice, New Folder and the confirmation before replacing), its reply and its custom
// controls.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "Alerts.h"
#include "AppleEvents.h"
#include "CFBase.h"
#include "Events.h"
#include "MacMemory.h"
#include "Navigation.h"
#include "OSUtils.h"
#include "QuickDraw.h"
#include "files/internal/FileLocations.h"
#include "ui/detail/AlertRegistry.h"
#include "ui/detail/DialogRecord.h"
#include "ui/detail/NavRecord.h"
#include "ui/detail/WindowPlacement.h"

namespace sp_platform {
namespace nav {
namespace {

constexpr UInt8 kUpArrow = 0x1E;
constexpr UInt8 kDownArrow = 0x1F;

bool Live(Record* record) {
  return dialogs::Lookup(record->dialog) != nullptr;
}

Str255* Pascal(const std::string& macJapanese, Str255* out) {
  const std::size_t length = dialogs::CutToBoundary(macJapanese, 255);
  (*out)[0] = UInt8(length);
  std::memcpy(*out + 1, macJapanese.data(), length);
  return out;
}

// A caution alert with the message; with a second button title, answers whether the first
// (the action) was pressed rather than the second.
bool Ask(const char* messageUTF8, const std::string& explanationUTF8, const char* actionUTF8,
         const char* cancelUTF8) {
  Str255 message, explanation, action, cancel;
  Pascal(MacJapaneseOfUTF8(messageUTF8), &message);
  Pascal(MacJapaneseOfUTF8(explanationUTF8), &explanation);
  Pascal(MacJapaneseOfUTF8(actionUTF8), &action);
  AlertStdAlertParamRec param;
  std::memset(&param, 0, sizeof param);
  param.movable = true;
  param.defaultText = action;
  param.defaultButton = kAlertStdAlertOKButton;
  if (cancelUTF8 != nullptr) {
    Pascal(MacJapaneseOfUTF8(cancelUTF8), &cancel);
    param.cancelText = cancel;
    // Replacing loses the old file: Return keeps it.
    param.defaultButton = kAlertStdAlertCancelButton;
    param.cancelButton = kAlertStdAlertCancelButton;
  }
  SInt16 hit = 0;
  StandardAlert(kAlertCautionAlert, message, explanation, &param, &hit);
  return hit == kAlertStdAlertOKButton;
}

void Tell(const char* messageUTF8, const std::string& explanationUTF8) {
  Ask(messageUTF8, explanationUTF8, "OK", nullptr);
}

// Why a folder could not be made, in the dialog's language rather than the system's.
std::string MakeFolderFailure(int error) {
  switch (error) {
    case EEXIST:
      return "同じ名前の項目が既にあります。別の名前を付けてください。";
    case EACCES:
    case EPERM:
    case EROFS:
      return "このフォルダの中には作成できません。";
    case ENOSPC:
    case EDQUOT:
      return "ディスクに空きがありません。";
    case ENAMETOOLONG:
      return "名前が長すぎます。";
    default:
      return "このフォルダの中には作成できません。(エラー番号 " + std::to_string(error) + ")";
  }
}

// A name the user typed for a new file or folder (MacJapanese, read as the lists show names:
// as they are on disk) as its Linux name; false, with an alert, for a name no Linux name can
// be. A ':' is a character of the name like any other.
bool UsableName(const std::string& macJapanese, std::string* utf8) {
  *utf8 = UTF8OfMacJapanese(macJapanese);
  if (utf8->empty() || *utf8 == "." || *utf8 == ".." || utf8->find('/') != std::string::npos) {
    Tell("この名前は使えません。", "名前には「/」を使えず、「.」や「..」だけの名前にもできません。");
    return false;
  }
  // A Linux folder holds names of at most 255 bytes of UTF-8 (NAME_MAX), which never hold
  // fewer bytes than the name here.
  if (utf8->size() > NAME_MAX) {
    Tell("名前が長すぎます。",
         "名前は255バイトまでです。漢字やかなは1文字で3バイトになります。短い名前を付けてください。");
    return false;
  }
  return true;
}

// The field's whole text: GetDialogItemText gives at most 255 bytes, which would cut a longer
// name, extension and all, without a word.
std::string FieldText(DialogRef dialog, DialogItemIndex item) {
  dialogs::DialogRecord* record = dialogs::Lookup(dialog);
  const dialogs::Item* it = record != nullptr ? dialogs::ItemAt(record, item) : nullptr;
  return it != nullptr ? dialogs::ItemText(*it) : std::string();
}

bool Exists(const std::string& path, bool folder) {
  struct stat st;
  return folder ? IsFolder(path) : stat(path.c_str(), &st) == 0;
}

// What the list showed went since it was listed (a folder removed or renamed away, a file
// deleted): the person is told, the list is read anew and the dialog stays. Always false.
bool TellGone(Record* record, const std::string& path) {
  // A folder that is there but cannot be read is no folder that went.
  if (Exists(path, true)) {
    SysBeep(1);
    return false;
  }
  Tell(("「" + BaseName(path) + "」が見つかりません。").c_str(),
       "移動されたか削除されたようです。一覧を読み直しました。");
  ShowNearestFolder(record);
  return false;
}

void Finish(Record* record, NavUserAction action) {
  record->action = action;
  record->accepted = true;
  Notify(record, kNavCBUserAction, nullptr, 0, action);
}

bool AcceptSave(Record* record) {
  const std::string typed = FieldText(record->dialog, kNavItemNameField);
  std::string name;
  if (typed.empty()) {
    SysBeep(1);
    return false;
  }
  if (!UsableName(typed, &name)) return false;
  if (!Exists(record->folder, true)) return TellGone(record, record->folder);
  struct stat st;
  const std::string path = Join(record->folder, name);
  if (lstat(path.c_str(), &st) == 0) {
    // A link to a folder is a folder, as the list shows it.
    if (S_ISDIR(st.st_mode) || (S_ISLNK(st.st_mode) && Exists(path, true))) {
      Tell("同じ名前のフォルダがあるため、保存できません。", "別の名前を付けてください。");
      return false;
    }
    const std::string question = "「" + name + "」は既にあります。置き換えますか？";
    if (!Ask(question.c_str(), "置き換えると、今の内容は失われます。", "置き換える",
             "キャンセル")) {
      return false;
    }
    record->replacing = true;
  }
  // The program's name of the file: a ':' of the Linux name is its '/'.
  record->typedName = files::ClassicNameOfShown(typed);
  record->chosen = {{record->folder, true}};
  Finish(record, kNavUserActionSaveAs);
  return true;
}

// The default button. True when the dialog closes.
bool Accept(Record* record) {
  const std::vector<SInt32> selected = SelectedEntries(record);
  record->replacing = false;
  record->chosen.clear();
  switch (record->kind) {
    case Kind::kGetFile: {
      for (SInt32 i : selected) {
        const Entry& e = record->entries[std::size_t(i)];
        if (!e.folder) record->chosen.push_back({e.path, false});
      }
      if (record->chosen.empty()) {
        // A folder alone is opened, not chosen.
        if (selected.size() == 1) {
          const std::string path = record->entries[std::size_t(selected[0])].path;
          if (!ShowFolder(record, path, "")) return TellGone(record, path);
        }
        return false;
      }
      // Files gone since they were listed are left out of the answer; when all went, there is
      // nothing to answer.
      if (std::none_of(record->chosen.begin(), record->chosen.end(),
                       [](const Chosen& c) { return Exists(c.path, false); })) {
        const std::string first = record->chosen.front().path;
        record->chosen.clear();
        return TellGone(record, first);
      }
      Finish(record, kNavUserActionOpen);
      return true;
    }
    case Kind::kPutFile:
      return AcceptSave(record);
    case Kind::kChooseFolder:
    case Kind::kChooseObject:
      for (SInt32 i : selected) {
        const Entry& e = record->entries[std::size_t(i)];
        record->chosen.push_back({e.path, e.folder});
      }
      if (record->chosen.empty()) record->chosen.push_back({record->folder, true});
      for (const Chosen& c : record->chosen) {
        if (!Exists(c.path, c.folder)) {
          const std::string gone = c.path;
          record->chosen.clear();
          return TellGone(record, gone);
        }
      }
      Finish(record, kNavUserActionChoose);
      return true;
  }
  return false;
}

// A double click in the list. True when it chose (the dialog closes).
bool Open(Record* record) {
  const SInt32 entry = record->openEntry;
  if (entry < 0 || entry >= SInt32(record->entries.size())) return false;
  const Entry& e = record->entries[std::size_t(entry)];
  if (e.folder) {
    const std::string path = e.path;
    if (!ShowFolder(record, path, "")) return TellGone(record, path);
    return false;
  }
  if (!e.choosable) return false;
  return Accept(record);
}

DialogRef MakeNameDialog() {
  using alerts::ItemListEntry;
  const std::vector<ItemListEntry> items = {
      {Rect{86, 244, 106, 324}, UInt8(kButtonDialogItem), MacJapaneseOfUTF8("作成"), 0},
      {Rect{86, 152, 106, 232}, UInt8(kButtonDialogItem), MacJapaneseOfUTF8("キャンセル"), 0},
      {Rect{14, 14, 34, 324}, UInt8(kStaticTextDialogItem | kItemDisableBit),
       MacJapaneseOfUTF8("新規フォルダの名前:"), 0},
      {Rect{44, 17, 60, 321}, UInt8(kEditTextDialogItem), MacJapaneseOfUTF8("名称未設定フォルダ"),
       0},
  };
  const std::vector<UInt8> bytes = alerts::ItemListBytes(items);
  Handle list = NewHandle(Size(bytes.size()));
  if (list == nullptr) return nullptr;
  std::memcpy(*list, bytes.data(), bytes.size());
  const Rect bounds = {0, 0, 120, 338};
  Str255 title;
  Pascal(MacJapaneseOfUTF8("新規フォルダ"), &title);
  DialogRef dialog = NewDialog(nullptr, &bounds, title, false, kWindowMovableModalDialogProc,
                               reinterpret_cast<WindowRef>(-1), false, 0, list);
  DisposeHandle(list);
  return dialog;
}

// Asks for a name, makes the folder in the one shown and opens it.
void NewFolder(Record* record) {
  DialogRef dialog = MakeNameDialog();
  if (dialog == nullptr) {
    SysBeep(1);
    return;
  }
  SetDialogDefaultItem(dialog, 1);
  SetDialogCancelItem(dialog, 2);
  SelectDialogItemText(dialog, 4, 0, SInt16(kSpDialogEditTextLimit));
  WindowRef window = GetDialogWindow(dialog);
  ApplyWindowPosition(window, kWindowCenterMainScreen);
  ShowWindow(window);
  SelectWindow(window);
  DialogItemIndex hit = 0;
  do {
    ModalDialog(nullptr, &hit);
  } while (hit != 1 && hit != 2 && dialogs::Lookup(dialog) != nullptr);
  const std::string typed = dialogs::Lookup(dialog) != nullptr ? FieldText(dialog, 4) : "";
  if (dialogs::Lookup(dialog) != nullptr) DisposeDialog(dialog);
  std::string name;
  if (hit != 1 || !UsableName(typed, &name)) return;
  const std::string path = Join(record->folder, name);
  if (mkdir(path.c_str(), 0777) != 0) {
    Tell("フォルダを作成できませんでした。", MakeFolderFailure(errno));
    return;
  }
  ShowFolder(record, path, "");
}

bool PressInList(Record* record, const EventRecord& event, Point local) {
  Rect box = ListRect(record);
  if (!PtInRect(local, &box)) return false;
  const SInt32 entry = EntryAt(record, local);
  const bool extend = (event.modifiers & shiftKey) != 0;
  const bool toggle = (event.modifiers & cmdKey) != 0;
  record->doubleClicked = entry >= 0 && !extend && !toggle && entry == record->lastClickEntry &&
                          event.when - record->lastClickTick <= GetDblTime();
  // The click that made a double click starts no other one.
  record->lastClickEntry = record->doubleClicked ? -1 : entry;
  record->lastClickTick = event.when;
  if (record->doubleClicked) record->openEntry = entry;
  if (entry >= 0) {
    ClickEntry(record, entry, extend, toggle);
  } else if (!extend && !toggle) {
    record->selected.assign(record->entries.size(), false);
    record->anchor = -1;
    RedrawList(record);
    UpdateButtons(record);
  }
  return true;
}

bool PressInControl(ControlRef control, Point local) {
  Rect box;
  GetControlBounds(control, &box);
  if (!PtInRect(local, &box)) return false;
  TrackControl(control, local, reinterpret_cast<ControlActionUPP>(-1));
  return true;
}

// The loop's filter: the list, its scroll bar and the popup are the dialog's own; idle time,
// other windows' updates and the presses on custom items go to the event procedure.
Boolean NavFilter(DialogRef dialog, EventRecord* event, DialogItemIndex* itemHit) {
  Record* record = RecordOfDialog(dialog);
  if (record == nullptr) return false;
  WindowRef window = GetDialogWindow(dialog);
  switch (event->what) {
    case nullEvent:
      Notify(record, kNavCBEvent, event, 0, kNavUserActionNone);
      return false;
    case updateEvt:
      if (reinterpret_cast<WindowRef>(event->message) != window) {
        Notify(record, kNavCBEvent, event, 0, kNavUserActionNone);
      }
      return false;
    case mouseDown: {
      WindowRef hit = nullptr;
      if (FindWindow(event->where, &hit) != inContent || hit != window) return false;
      record->lastPress = *event;
      Point local = event->where;
      {
        dialogs::DialogPortScope scope(window);
        GlobalToLocal(&local);
      }
      if (PressInList(record, *event, local)) {
        *itemHit = kNavItemList;
        return true;
      }
      if (PressInControl(record->scrollBar, local)) {
        ScrollTo(record, GetControl32BitValue(record->scrollBar));
        *itemHit = kNavItemScrollBar;
        return true;
      }
      if (PressInControl(record->popup, local)) {
        *itemHit = kNavItemLocationPopup;
        return true;
      }
      return false;
    }
    case keyDown:
    case autoKey: {
      const UInt8 ch = UInt8(event->message & 0xFF);
      if ((ch == 'a' || ch == 'A') && (event->modifiers & cmdKey) != 0 &&
          SelectAllEntries(record)) {
        *itemHit = kNavItemList;
        return true;
      }
      // Printable keys pick an entry by its name where no name field takes them.
      if (record->kind != Kind::kPutFile && (event->modifiers & cmdKey) == 0 && ch >= 0x20 &&
          ch < 0x7F) {
        TypeSelect(record, char(ch), event->when);
        *itemHit = kNavItemList;
        return true;
      }
      if (ch != kUpArrow && ch != kDownArrow) return false;
      MoveSelection(record, ch == kUpArrow ? -1 : 1);
      *itemHit = kNavItemList;
      return true;
    }
    default:
      return false;
  }
}

void GoToPlace(Record* record) {
  const SInt32 value = GetControl32BitValue(record->popup);
  if (value > 1 && value <= SInt32(record->places.size())) {
    const std::string path = record->places[std::size_t(value - 1)].path;
    if (!path.empty() && ShowFolder(record, path, "")) return;
  }
  SetControl32BitValue(record->popup, 1);
}

// Handles what ModalDialog answered. True when the dialog closes.
bool HandleItem(Record* record, DialogItemIndex item) {
  switch (item) {
    case kNavItemDefaultButton:
      return Accept(record);
    case kNavItemCancelButton:
      record->action = kNavUserActionCancel;
      return true;
    case kNavItemNewFolderButton:
      NewFolder(record);
      return false;
    case kNavItemList:
      if (!record->doubleClicked) return false;
      record->doubleClicked = false;
      return Open(record);
    case kNavItemLocationPopup:
      GoToPlace(record);
      return false;
    case kNavItemNameField:
      UpdateButtons(record);
      return false;
    default:
      if (item > kNavItemCustomArea) {
        Notify(record, kNavCBEvent, &record->lastPress, item, kNavUserActionNone);
      }
      return false;
  }
}

void Customize(Record* record) {
  Rect corner;
  GetDialogItem(record->dialog, kNavItemCustomArea, nullptr, nullptr, &corner);
  NavCBRec rec;
  std::memset(&rec, 0, sizeof rec);
  rec.version = kNavCBRecVersion;
  rec.context = RefOf(record);
  rec.window = GetDialogWindow(record->dialog);
  rec.customRect = Rect{corner.top, corner.left, 0, 0};
  if (record->eventProc != nullptr) record->eventProc(kNavCBCustomize, &rec, record->clientData);
  if (rec.customRect.right > rec.customRect.left && rec.customRect.bottom > rec.customRect.top) {
    record->customWidth = SInt16(rec.customRect.right - rec.customRect.left);
    record->customHeight = SInt16(rec.customRect.bottom - rec.customRect.top);
    MakeCustomArea(record);
  }
}

void Show(Record* record) {
  WindowRef window = GetDialogWindow(record->dialog);
  if (record->modality == kWindowModalityWindowModal && IsValidWindowPtr(record->parent) &&
      IsWindowVisible(record->parent)) {
    SelectWindow(record->parent);
    ShowSheetWindow(window, record->parent);
  } else {
    ShowWindow(window);
    SelectWindow(window);
  }
}

void Hide(Record* record) {
  WindowRef window = GetDialogWindow(record->dialog);
  WindowRef parent = nullptr;
  if (GetSheetWindowParent(window, &parent) == noErr && parent != nullptr) {
    HideSheetWindow(window);
  } else {
    HideWindow(window);
  }
}

}  // namespace

NavCBRec Notify(Record* record, NavEventCallbackMessage message, EventRecord* event, SInt16 itemHit,
                NavUserAction action) {
  NavCBRec rec;
  std::memset(&rec, 0, sizeof rec);
  rec.version = kNavCBRecVersion;
  rec.context = RefOf(record);
  rec.window = GetDialogWindow(record->dialog);
  rec.eventData.eventDataParms.event = event;
  rec.eventData.itemHit = itemHit;
  rec.userAction = action;
  if (record->eventProc != nullptr) record->eventProc(message, &rec, record->clientData);
  return rec;
}

void RunLoop(Record* record) {
  record->running = true;
  record->accepted = false;
  record->replacing = false;
  record->action = kNavUserActionNone;
  record->chosen.clear();
  Customize(record);
  Notify(record, kNavCBStart, nullptr, 0, kNavUserActionNone);
  if (record->folder.empty() && !ShowFolder(record, DefaultFolder(), "")) {
    ShowFolder(record, "/", "");
  }
  Show(record);
  ResumeListing(record);
  for (;;) {
    DialogItemIndex item = 0;
    ModalDialog(NavFilter, &item);
    if (!Live(record) || HandleItem(record, item) || !Live(record)) break;
  }
  Notify(record, kNavCBTerminate, nullptr, 0, kNavUserActionNone);
  if (Live(record)) Hide(record);
  record->running = false;
}

}  // namespace nav
}  // namespace sp_platform

using namespace sp_platform::nav;

namespace {

namespace files = sp_platform::files;

// The folder of the last item put in a reply: the chosen items of a folder are found in it
// without walking their whole path again.
struct ReplyFolder {
  std::string path;
  files::Location location;
  bool found = false;
};

OSErr LocateChosen(const std::string& path, ReplyFolder& last, files::Location& out) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0 || slash + 1 >= path.size())
    return files::LocatePath(path, out);
  const std::string folder = path.substr(0, slash);
  if (folder != last.path) {
    last.path = folder;
    last.found = files::LocatePath(folder, last.location) == noErr && last.location.isFolder;
  }
  if (!last.found) return files::LocatePath(path, out);
  return files::LocateInFolder(last.location, path.substr(slash + 1), out);
}

// The reply's items: FSRefs, or for the one-call form FSSpecs (a folder as its own directory
// id with an empty name, the file to save as the folder and the typed name).
OSErr PutChosen(Record* record, const Chosen& chosen, ReplyFolder& last, AEDescList* list) {
  files::Location location;
  if (LocateChosen(chosen.path, last, location) != noErr) return fnfErr;
  if (!record->oneCall) {
    FSRef ref;
    files::MakeFSRef(location, &ref);
    return AEPutPtr(list, 0, typeFSRef, &ref, sizeof ref);
  }
  FSSpec spec;
  std::memset(&spec, 0, sizeof spec);
  if (record->kind == Kind::kPutFile) {
    spec.vRefNum = location.vRefNum;
    spec.parID = SInt32(location.nodeID);
    const std::size_t length =
        sp_platform::dialogs::CutToBoundary(record->typedName, files::kSpecNameLimit);
    spec.name[0] = UInt8(length);
    std::memcpy(spec.name + 1, record->typedName.data(), length);
  } else if (chosen.folder) {
    spec.vRefNum = location.vRefNum;
    spec.parID = SInt32(location.nodeID);
  } else if (files::FSSpecOfPath(chosen.path, &spec) != noErr) {
    return fnfErr;
  }
  return AEPutPtr(list, 0, typeFSS, &spec, sizeof spec);
}

}  // namespace

OSStatus NavDialogRun(NavDialogRef inDialog) {
  Record* record = RecordOf(inDialog);
  if (record == nullptr || record->running) return paramErr;
  RunLoop(record);
  return noErr;
}

OSStatus NavDialogGetReply(NavDialogRef inDialog, NavReplyRecord* outReply) {
  Record* record = RecordOf(inDialog);
  if (record == nullptr || outReply == nullptr) return paramErr;
  std::memset(outReply, 0, sizeof *outReply);
  outReply->version = kNavReplyRecordVersion;
  OSErr err = AECreateList(nullptr, 0, false, &outReply->selection);
  if (err != noErr) return err;
  if (!record->accepted) return noErr;
  ReplyFolder last;
  for (const Chosen& chosen : record->chosen) {
    // An item gone since it was chosen is left out.
    if (PutChosen(record, chosen, last, &outReply->selection) == memFullErr) return memFullErr;
  }
  outReply->validRecord = true;
  outReply->replacing = record->replacing;
  if (record->kind == Kind::kPutFile) {
    outReply->saveFileName = CFStringCreateWithBytes(
        nullptr, reinterpret_cast<const UInt8*>(record->typedName.data()),
        CFIndex(record->typedName.size()), kCFStringEncodingMacJapanese, false);
  }
  return noErr;
}

OSStatus NavDisposeReply(NavReplyRecord* inReply) {
  if (inReply == nullptr) return paramErr;
  AEDisposeDesc(&inReply->selection);
  if (inReply->saveFileName != nullptr) CFRelease(inReply->saveFileName);
  inReply->saveFileName = nullptr;
  inReply->validRecord = false;
  return noErr;
}

OSErr NavCustomControl(NavDialogRef inContext, NavCustomControlMessage inSelector, void* ioParms) {
  Record* record = RecordOf(inContext);
  if (record == nullptr || ioParms == nullptr) return paramErr;
  switch (inSelector) {
    case kNavCtlSetLocation: {
      std::string path;
      bool folder = false;
      if (!ResolveLocation(static_cast<AEDesc*>(ioParms), &path, &folder)) return fnfErr;
      const std::size_t slash = path.find_last_of('/');
      const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
      const bool shown = folder ? ShowFolder(record, path, "")
                                : ShowFolder(record, parent, path.substr(slash + 1));
      return shown ? noErr : fnfErr;
    }
    case kNavCtlAddControlList: {
      Handle list = static_cast<Handle>(ioParms);
      if (record->customCount > 0) return paramErr;
      const DialogItemIndex before = CountDITL(record->dialog);
      AppendDITL(record->dialog, list, DITLMethod(-kNavItemCustomArea));
      record->customCount = DialogItemIndex(CountDITL(record->dialog) - before);
      return record->customCount > 0 ? noErr : paramErr;
    }
    case kNavCtlGetFirstControlID:
      *static_cast<UInt16*>(ioParms) = UInt16(kNavItemCustomArea);
      return noErr;
    default:
      return paramErr;
  }
}

OSErr NavCompleteSave(NavReplyRecord* reply, NavTranslationOptions) {
  return reply == nullptr ? paramErr : noErr;
}
