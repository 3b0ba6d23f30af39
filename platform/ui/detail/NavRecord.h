// The record of a Navigation Services dialog, shared by the files of the Navigation Services
// (NavBuild.cpp builds and lays it out, NavBrowse.cpp lists and draws folders, NavRun.cpp runs
// it, NavClassic.cpp serves the one-call forms). Not for anyone else.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "../Controls.h"
#include "../Dialogs.h"
#include "../Menus.h"
#include "../Navigation.h"
#include "CarbonEvents.h"
#include "Files.h"
#include "ui/internal/Navigation.h"

namespace sp_platform {
namespace nav {

enum class Kind { kGetFile, kPutFile, kChooseFolder, kChooseObject };

// One entry of the folder shown.
struct Entry {
  std::string name;  // the Linux name (UTF-8, or its own bytes)
  std::string path;  // absolute
  bool folder = false;
  bool choosable = true;  // files of the save and choose-folder dialogs are shown dimmed
  FSRef ref{};
};

// What the user accepted.
struct Chosen {
  std::string path;
  bool folder = false;
};

struct Record {
  UInt32 serial = 0;  // what its NavDialogRef holds
  Kind kind = Kind::kGetFile;
  bool oneCall = false;  // the one-call form: replies carry 'fss ' items
  NavDialogOptionFlags flags = kNavDefaultNavDlogOptions;
  // The texts as MacJapanese (empty: the standard text), and the save name.
  std::string title, clientName, actionLabel, cancelLabel, saveName, message;
  Point location{-1, -1};
  WindowModality modality = kWindowModalityAppModal;
  WindowRef parent = nullptr;
  std::vector<OSType> types;  // empty: no type list
  NavEventUPP eventProc = nullptr;
  NavObjectFilterUPP filterProc = nullptr;
  void* clientData = nullptr;

  DialogRef dialog = nullptr;
  ControlRef scrollBar = nullptr;
  ControlRef popup = nullptr;
  MenuRef popupMenu = nullptr;
  SInt16 customWidth = 0, customHeight = 0;
  DialogItemIndex customCount = 0;  // custom items appended
  bool running = false;

  // The folder shown.
  std::string folder;
  std::vector<Entry> entries;
  std::vector<bool> selected;
  SInt32 anchor = -1;     // the entry a Shift-click extends from
  SInt32 firstShown = 0;  // the entry in the top row
  std::vector<Place> places;
  // The folder's items still to be judged, in list order: the object filter asks the program
  // of each (which may read the file), so a large folder is listed a slice at a time from a
  // timer while the dialog runs, and the window stays live meanwhile.
  struct Pending {
    std::string name;
    bool folder = false;
  };
  std::vector<Pending> pending;
  std::size_t pendingNext = 0;
  std::string pendingSelect;  // the entry to select once it is listed
  EventLoopTimerRef listingTimer = nullptr;
  bool judging = false;  // a filter that runs the event loop does not list within itself
  bool ListingDone() const { return pendingNext >= pending.size(); }

  // The last press in the list, for double clicks.
  UInt32 lastClickTick = 0;
  SInt32 lastClickEntry = -1;
  bool doubleClicked = false;
  SInt32 openEntry = -1;  // the entry double-clicked
  // The keys of a type-select so far, and when the last came.
  std::string typed;
  UInt32 typedTick = 0;
  EventRecord lastPress{};

  // The reply.
  NavUserAction action = kNavUserActionNone;
  bool accepted = false;
  bool replacing = false;
  std::vector<Chosen> chosen;
  std::string typedName;  // MacJapanese, save dialogs
};

// ---- NavBuild.cpp ----
// The record of a dialog, of a dialog's window, or null.
Record* RecordOf(NavDialogRef dialog);
Record* RecordOfDialog(DialogRef dialog);
Record* RecordOfWindow(WindowRef window);
NavDialogRef RefOf(Record* record);
// Makes the dialog of a prepared record (items, controls, layout, hidden) and registers it;
// null (nothing registered) when memory runs out.
NavDialogRef Create(std::unique_ptr<Record> record);
// The types of a type list (none for null); a count beyond what the handle holds is cut.
std::vector<OSType> TypesOf(NavTypeListHandle list);
// The options of the one-call form turned into the record's texts and flags.
void TakeOneCallOptions(const NavDialogOptions* options, Record* record);
// Moves the buttons below a custom area of the record's size and grows the window to hold it.
void MakeCustomArea(Record* record);
// The list's rectangle and rows.
Rect ListRect(Record* record);
SInt32 VisibleRows(Record* record);
enum : SInt16 { kRowHeight = 18 };
// The default button's state and the text of its title, after a change of selection or name.
void UpdateButtons(Record* record);

// ---- NavBrowse.cpp ----
// Lists the folder (absolute path) and shows it with the named entry selected (empty: none).
// False (nothing changed) when it is no folder that can be read. What is not listed within a
// slice's time is listed by a timer while the dialog runs.
bool ShowFolder(Record* record, const std::string& folder, const std::string& select);
// Lists the folder shown anew, or the nearest folder above it where it went.
void ShowNearestFolder(Record* record);
// Paths: a name in a folder, the folder above ("/" above "/"), the last name, and whether a
// folder is there (a link to one counts).
std::string Join(const std::string& folder, const std::string& name);
std::string Parent(const std::string& path);
std::string BaseName(const std::string& path);
bool IsFolder(const std::string& path);
// Goes on listing from the timer while the dialog runs (after a pause of its loop); lists the
// rest at once (what the test API reads and selects is the whole folder).
void ResumeListing(Record* record);
void FinishListing(Record* record);
// Where the dialog opens when nothing says so: the folder the last dialog showed, else home.
std::string DefaultFolder();
// The folder and entry a location descriptor names ('fss ' or 'fsrf'); false when it names
// nothing that exists.
bool ResolveLocation(const AEDesc* location, std::string* path, bool* folder);
// The user item procedures: the list (with its scroll bar) and the popup.
void DrawList(DialogRef dialog, DialogItemIndex item);
void DrawPopup(DialogRef dialog, DialogItemIndex item);
void RedrawList(Record* record);
// Selection in the list. `extend`: Shift, `toggle`: Command.
void ClickEntry(Record* record, SInt32 entry, bool extend, bool toggle);
void MoveSelection(Record* record, SInt32 delta);
// Type-select: a key typed within a moment of the one before adds to the name typed so far,
// else starts it anew; the first entry that can be chosen whose name starts with it (letters
// of either case) is selected. Nothing changes when no name does.
void TypeSelect(Record* record, char key, UInt32 tick);
// Selects every entry that can be chosen (command-A) where several may be; false where one
// may, which leaves the selection as it was.
bool SelectAllEntries(Record* record);
SInt32 EntryAt(Record* record, Point local);
void ScrollTo(Record* record, SInt32 firstShown);
void ScrollToShow(Record* record, SInt32 entry);
std::vector<SInt32> SelectedEntries(Record* record);
// Text conversions at the Linux boundary.
std::string MacJapaneseOfUTF8(const std::string& utf8);
std::string UTF8OfMacJapanese(const std::string& macJapanese);

// ---- NavRun.cpp ----
// Sends an event-procedure message with a fresh NavCBRec; answers the record after the call.
NavCBRec Notify(Record* record, NavEventCallbackMessage message, EventRecord* event, SInt16 itemHit,
                NavUserAction action);
// Runs the dialog's modal loop until it closes.
void RunLoop(Record* record);

}  // namespace nav
}  // namespace sp_platform
