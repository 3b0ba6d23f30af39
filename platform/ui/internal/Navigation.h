// What the test API reads of, and does to, the Navigation Services dialogs (the dialogs
// themselves are in Navigation.h). Not for the program's own code.
#pragma once

#include <string>
#include <vector>

#include "../MacWindows.h"
#include "MacTypes.h"

namespace sp_platform {
namespace nav {

// One place of the location popup: a folder above the one shown, or a place of the desktop.
struct Place {
  std::string label;  // UTF-8
  std::string path;
};
// The places the popup offers after the folders above the one shown: the home folder, the
// XDG Desktop, Documents and Music folders and the bookmarks, those that exist, each once.
std::vector<Place> DesktopPlaces();
// The places of a bookmarks file's text: one "file://" URL a line (percent-escaped), then
// optionally a space and a label (else the folder's name); other lines are passed over.
std::vector<Place> ParseBookmarks(const std::string& text);

// True for the window of a Navigation Services dialog.
bool IsNavigationWindow(WindowRef window);
// The folder the dialog shows (absolute path) and the names it lists, in list order (UTF-8).
std::string ShownFolder(WindowRef window);
std::vector<std::string> ListedNames(WindowRef window);
std::vector<std::string> SelectedNames(WindowRef window);
// Opens the folder as the location popup would; false when it is no folder.
bool GoToFolder(WindowRef window, const std::string& path);
// Selects exactly the listed entries of these names, as clicks would; false (with the reason)
// when one is not listed or cannot be chosen, or several are asked where one is allowed.
bool SelectNames(WindowRef window, const std::vector<std::string>& names, std::string* why);
// Whether the dialog has judged every item of the folder it shows (a large folder is listed
// while the dialog runs); the names listed so far are what it lists until then.
bool ListingComplete(WindowRef window);
// The name field's text (MacJapanese), as typing would leave it.
bool SetSaveName(WindowRef window, const std::string& macJapanese);
// The name in the list's top row (empty for an empty list).
std::string TopShownName(WindowRef window);
// The local rectangle of the entry's row, scrolled into view; false when it is not listed.
bool EntryRect(WindowRef window, const std::string& name, Rect* local);

// The folder the last dialog of the run showed, and the names it listed.
const std::string& LastFolder();
const std::vector<std::string>& LastListing();
// Dialogs open on the home folder again, as at the start of the run.
void ForgetLastFolder();
// Disposes of every dialog that is not running (those a test left behind).
void DisposeIdleDialogs();

}  // namespace nav
}  // namespace sp_platform
