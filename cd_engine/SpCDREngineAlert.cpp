// The engine's alerts.
#include "SpCDREngineAlert.h"

#include <vector>

#include "SpCDRomManager.h"
#include "SpStdSayDialog.h"
#include "SpTextCodec.h"

namespace {

// A writable zero-terminated copy, as the say dialogs take their texts.
std::vector<char> Writable(const std::string& text) {
  std::vector<char> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

}  // namespace

std::string SpCDR_MJ(const char* utf8) {
  std::string out;
  sp::text::UTF8ToMacJapanese(utf8 != nullptr ? utf8 : "", out);
  return out;
}

void SpCDR_ShowAlert(WindowRef window, const std::string& text) {
  SpCDR_ShowAlert(window, SpCDR_MJ("報　告"), text, SpCDR_MJ("閉じる"));
}

void SpCDR_ShowAlert(WindowRef window, const std::string& title, const std::string& text,
                     const std::string& button) {
  std::vector<char> message = Writable(text);
  // A save's steps wait while its report does.
  const SpCDR_SaveStepsHeld held = SpCDR_HoldSaveSteps();
  if (window == nullptr) {
    Sp_SayDialogByModal(message.data(), 0);
  } else {
    std::vector<char> heading = Writable(title);
    std::vector<char> close = Writable(button);
    SpStdSayDlgTwoButtonBySheetAlert(window, kSpStdSayDlgCaution, heading.data(), message.data(),
                                     close.data(), nullptr);
  }
  SpCDR_ReleaseSaveSteps(held);
}
