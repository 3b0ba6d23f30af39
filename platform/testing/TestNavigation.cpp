#include "TestNavigation.h"

#include <gtest/gtest.h>

#include "Navigation.h"
#include "SpTextCodec.h"
#include "ui/internal/Navigation.h"

namespace sp_testing {
namespace {

// Opens the folder the answer asks for; false (with a failure) when it cannot be.
bool GoTo(WindowRef window, const std::string& folder) {
  if (!sp_platform::nav::IsNavigationWindow(window)) {
    ADD_FAILURE() << "responder: the dialog that came up is no file dialog";
    return false;
  }
  if (folder.empty() || sp_platform::nav::GoToFolder(window, folder)) return true;
  ADD_FAILURE() << "responder: the file dialog cannot open " << folder;
  return false;
}

std::string Where(const std::string& folder) {
  return folder.empty() ? std::string() : " in " + folder;
}

}  // namespace

Answer NavChoose(const std::vector<std::string>& namesUTF8, const std::string& folder) {
  std::string described;
  for (const std::string& n : namesUTF8) described += (described.empty() ? "" : ", ") + n;
  return Answer()
      .Do(
          [namesUTF8, folder](WindowRef window) {
            if (!GoTo(window, folder)) return;
            std::string why;
            if (!sp_platform::nav::SelectNames(window, namesUTF8, &why)) {
              ADD_FAILURE() << "responder: cannot choose in the file dialog: " << why;
            }
          },
          "choose " + described + Where(folder))
      .ClickItem(kNavItemDefaultButton);
}

Answer NavChooseFolder(const std::string& folder) {
  return Answer()
      .Do([folder](WindowRef window) { GoTo(window, folder); }, "choose the folder " + folder)
      .ClickItem(kNavItemDefaultButton);
}

Answer NavSave(const std::string& nameUTF8, const std::string& folder) {
  return Answer()
      .Do(
          [nameUTF8, folder](WindowRef window) {
            if (!GoTo(window, folder)) return;
            std::string bytes;
            sp::text::UTF8ToMacJapanese(nameUTF8, bytes, '?');
            if (!sp_platform::nav::SetSaveName(window, bytes)) {
              ADD_FAILURE() << "responder: the file dialog has no name to type";
            }
          },
          "save as " + nameUTF8 + Where(folder))
      .ClickItem(kNavItemDefaultButton);
}

Answer NavCancel() {
  return Answer::Click(kNavItemCancelButton);
}

Answer NavGoTo(const std::string& folder) {
  return Answer().Do([folder](WindowRef window) { GoTo(window, folder); },
                     "open the folder " + folder);
}

Answer NavLook(const std::function<void(WindowRef dialogWindow)>& look) {
  return Answer().Do(look, "look at the file dialog");
}

std::string NavShownFolder(WindowRef dialogWindow) {
  return sp_platform::nav::ShownFolder(dialogWindow);
}

std::vector<std::string> NavSelectedNames(WindowRef dialogWindow) {
  return sp_platform::nav::SelectedNames(dialogWindow);
}

std::string NavShownFolder() {
  return sp_platform::nav::LastFolder();
}

std::vector<std::string> NavListedNames() {
  return sp_platform::nav::LastListing();
}

bool NavListingDone(WindowRef dialogWindow) {
  return sp_platform::nav::ListingComplete(dialogWindow);
}

std::string NavTopShownName(WindowRef dialogWindow) {
  return sp_platform::nav::TopShownName(dialogWindow);
}

bool NavEntryRect(WindowRef dialogWindow, const std::string& nameUTF8, Rect* local) {
  return local != nullptr && sp_platform::nav::EntryRect(dialogWindow, nameUTF8, local);
}

void ResetNavigation() {
  sp_platform::nav::DisposeIdleDialogs();
  sp_platform::nav::ForgetLastFolder();
}

}  // namespace sp_testing
