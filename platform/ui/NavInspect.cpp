// What the test API reads of, and does to, a Navigation Services dialog.
#include <algorithm>
#include <unordered_map>

#include "Dialogs.h"
#include "ui/detail/DialogRecord.h"
#include "ui/detail/NavRecord.h"
#include "ui/internal/Navigation.h"

namespace sp_platform {
namespace nav {

bool IsNavigationWindow(WindowRef window) {
  return RecordOfWindow(window) != nullptr;
}

std::string ShownFolder(WindowRef window) {
  Record* record = RecordOfWindow(window);
  return record == nullptr ? std::string() : record->folder;
}

std::vector<std::string> ListedNames(WindowRef window) {
  std::vector<std::string> names;
  Record* record = RecordOfWindow(window);
  if (record == nullptr) return names;
  FinishListing(record);
  for (const Entry& e : record->entries) names.push_back(e.name);
  return names;
}

std::vector<std::string> SelectedNames(WindowRef window) {
  std::vector<std::string> names;
  Record* record = RecordOfWindow(window);
  if (record == nullptr) return names;
  for (SInt32 i : SelectedEntries(record)) names.push_back(record->entries[std::size_t(i)].name);
  return names;
}

bool ListingComplete(WindowRef window) {
  Record* record = RecordOfWindow(window);
  return record != nullptr && record->ListingDone();
}

bool GoToFolder(WindowRef window, const std::string& path) {
  Record* record = RecordOfWindow(window);
  return record != nullptr && ShowFolder(record, path, "");
}

bool SelectNames(WindowRef window, const std::vector<std::string>& names, std::string* why) {
  Record* record = RecordOfWindow(window);
  if (record == nullptr) {
    *why = "it is no file dialog";
    return false;
  }
  FinishListing(record);
  // The first entry of each name, found in one walk of the list.
  std::unordered_map<std::string, SInt32> listed;
  for (std::size_t i = record->entries.size(); i-- > 0;)
    listed[record->entries[i].name] = SInt32(i);
  std::vector<SInt32> indexes;
  for (const std::string& name : names) {
    const auto it = listed.find(name);
    if (it == listed.end()) {
      *why = "\"" + name + "\" is not listed in " + record->folder;
      return false;
    }
    if (!record->entries[std::size_t(it->second)].choosable) {
      *why = "\"" + name + "\" cannot be chosen here";
      return false;
    }
    indexes.push_back(it->second);
  }
  record->selected.assign(record->entries.size(), false);
  record->anchor = -1;
  const bool several = (record->flags & kNavAllowMultipleFiles) != 0 &&
                       (record->kind == Kind::kGetFile || record->kind == Kind::kChooseObject);
  if (several && indexes.size() > 1) {
    // As Command-clicks would leave them, drawn once.
    for (const SInt32 i : indexes) record->selected[std::size_t(i)] = true;
    record->anchor = indexes.back();
    ScrollToShow(record, indexes.back());
    RedrawList(record);
    UpdateButtons(record);
  } else {
    for (std::size_t i = 0; i < indexes.size(); ++i) ClickEntry(record, indexes[i], false, i > 0);
  }
  if (SelectedEntries(record).size() != indexes.size()) {
    *why = "the dialog takes one entry at a time";
    return false;
  }
  return true;
}

bool SetSaveName(WindowRef window, const std::string& macJapanese) {
  Record* record = RecordOfWindow(window);
  if (record == nullptr || record->kind != Kind::kPutFile) return false;
  // The whole name, as typing puts it into the field, which holds more than a Str255.
  dialogs::DialogRecord* dialog = dialogs::Lookup(record->dialog);
  if (dialog == nullptr || !dialogs::ReplaceItemText(dialog, kNavItemNameField, macJapanese)) {
    return false;
  }
  UpdateButtons(record);
  return true;
}

std::string TopShownName(WindowRef window) {
  Record* record = RecordOfWindow(window);
  if (record == nullptr || record->firstShown < 0 ||
      std::size_t(record->firstShown) >= record->entries.size()) {
    return std::string();
  }
  return record->entries[std::size_t(record->firstShown)].name;
}

bool EntryRect(WindowRef window, const std::string& name, Rect* local) {
  Record* record = RecordOfWindow(window);
  if (record == nullptr) return false;
  FinishListing(record);
  for (std::size_t i = 0; i < record->entries.size(); ++i) {
    if (record->entries[i].name != name) continue;
    ScrollToShow(record, SInt32(i));
    Rect inside = ListRect(record);
    InsetRect(&inside, 1, 1);
    const SInt32 row = SInt32(i) - record->firstShown;
    *local = Rect{SInt16(inside.top + row * kRowHeight), inside.left,
                  SInt16(inside.top + (row + 1) * kRowHeight), inside.right};
    return true;
  }
  return false;
}

}  // namespace nav
}  // namespace sp_platform
