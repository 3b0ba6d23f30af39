// The engine's alerts to the user: Japanese texts shown as a two-button sheet on the
// program's alert window, titled "報　告" with the button "閉じる", or in the modal say dialog
// when there is no window.
#pragma once

#include <string>

#include "MacWindows.h"

// The program's text (MacJapanese) of a UTF-8 text.
std::string SpCDR_MJ(const char* utf8);

// Shows the text (MacJapanese) on the window, or in the modal say dialog without one.
void SpCDR_ShowAlert(WindowRef window, const std::string& text);
// The same with a title and button of the caller's.
void SpCDR_ShowAlert(WindowRef window, const std::string& title, const std::string& text,
                     const std::string& button);
