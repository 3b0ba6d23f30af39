// The clipboard of the edit-text fields: a text held in this process.
#include "ui/internal/DialogClipboard.h"

namespace sp_platform {
namespace dialogs {
namespace {

std::string& Text() {
  static std::string text;
  return text;
}

}  // namespace

void PutClipboardText(const std::string& macJapanese) {
  Text() = macJapanese;
}

std::string ClipboardText() {
  return Text();
}

void ClearClipboard() {
  Text().clear();
}

}  // namespace dialogs
}  // namespace sp_platform
