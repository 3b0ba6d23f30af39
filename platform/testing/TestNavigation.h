// Test API: answers for the Navigation Services dialogs, and what the last one listed.
//
// Each answer is an Answer of the responder (TestResponder.h): queue it with Respond() before
// the program runs its dialog. The answer acts on the dialog as a person would: it opens the
// folder asked for (as the location popup would), selects or types, and then clicks the
// default button (or Cancel). A name that the dialog does not list, or cannot choose, fails
// the test; the click is made all the same, so the dialog goes on waiting (and the responder
// gives its next answer, or ends it).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "MacTypes.h"
#include "MacWindows.h"
#include "TestResponder.h"

namespace sp_testing {

// Open or choose-object: these entries (UTF-8 names) of the folder (absolute path; empty: the
// folder the dialog shows), then the default button.
Answer NavChoose(const std::vector<std::string>& namesUTF8, const std::string& folder = "");
// Choose-folder: the folder itself (nothing selected in it), then the default button.
Answer NavChooseFolder(const std::string& folder);
// Save: the name typed into the field (UTF-8) in the folder (empty: the one shown), then the
// default button. A file of that name makes the dialog ask before replacing it: answer that
// alert too (its buttons are "置き換える" and "キャンセル").
Answer NavSave(const std::string& nameUTF8, const std::string& folder = "");
// Cancel.
Answer NavCancel();
// Only opens the folder: the dialog goes on waiting, and its next answer follows.
Answer NavGoTo(const std::string& folder);
// Looks at the dialog (its window) without answering it; the dialog goes on waiting.
Answer NavLook(const std::function<void(WindowRef dialogWindow)>& look);

// The folder the last Navigation dialog showed and the names it listed (UTF-8, in order).
std::string NavShownFolder();
std::vector<std::string> NavListedNames();
// The folder a shown dialog shows, and the names selected in it.
std::string NavShownFolder(WindowRef dialogWindow);
std::vector<std::string> NavSelectedNames(WindowRef dialogWindow);
// Whether a shown dialog has listed its whole folder: a large folder is listed a slice at a
// time while the dialog runs. (The answers and the calls above that read or select entries
// list the rest at once.)
bool NavListingDone(WindowRef dialogWindow);
// The name in the top row of a shown dialog's list (empty when it lists nothing).
std::string NavTopShownName(WindowRef dialogWindow);
// The local rectangle of the row of the entry in a shown dialog's window (scrolled into
// view); false when the dialog does not list it.
bool NavEntryRect(WindowRef dialogWindow, const std::string& nameUTF8, Rect* local);
// Disposes of the file dialogs a test left behind, and makes dialogs open on the home folder
// again, as at the start of the run.
void ResetNavigation();

}  // namespace sp_testing
