#include "SpStdSayDialog.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "Alerts.h"
#include "Clock.h"
#include "Controls.h"
#include "CoreFoundation.h"
#include "OSUtils.h"
#include "SpMainEventLoop.h"
#include "SpPortSaver.h"
#include "SpServiceHooks.h"
#include "SpStdFunction.h"
#include "SpWindow.h"

namespace {

const char kSource[] = "SpStdSayDialog.cpp";
const char kMsgResourceError[] = "Resoure Error !! ";

// The items of the dialogs.
enum : DialogItemIndex {
  kOneButtonOKItem = 1,
  kOneButtonMessageItem = 3,
  kFirstButtonItem = 1,
  kSecondButtonItem = 2,
  kThirdButtonItem = 3,
  kTwoButtonMessageItem = 4,
  kThreeButtonFirstTextItem = 5,
  kThreeButtonSecondTextItem = 6,
};

// Keys.
enum : UInt8 {
  kEnterChar = 0x03,
  kReturnChar = 0x0D,
  kEscapeChar = 0x1B,
  kPeriodChar = 0x2E,
};

// How long a button pressed by a key stays lit, in ticks.
constexpr UInt32 kFlashTicks = 7;

// The room of the sheets' work buffers.
constexpr std::size_t kOneButtonSheetBufferSize = 1024;
constexpr std::size_t kSheetBufferSize = 512;
// The room of the texts converted from CFStrings for the modal dialog.
constexpr std::size_t kConvertedTextSize = 1024;

const EventTypeSpec kControlHitEvent = {kEventClassControl, kEventControlHit};
const EventTypeSpec kRawKeyDownEvent = {kEventClassKeyboard, kEventRawKeyDown};
const EventTypeSpec kCommandEvent = {kEventClassCommand, kEventCommandProcess};

// ---- Texts ----------------------------------------------------------------------------------

// The text cut between characters so that it fits a buffer of `size` bytes with its terminator.
void CopyCut(const char* text, char* out, std::size_t size) {
  out[0] = 0;
  if (text == nullptr || size == 0) return;
  Sp_CutStringByByteLen(text, short(std::min<std::size_t>(size - 1, 0x7FFF)), out);
}

bool IsEmpty(const char* text) {
  return text == nullptr || text[0] == 0;
}

// The text as a MacJapanese CFString, cut to what a work buffer of `size` bytes holds; null
// when the string cannot be made.
CFStringRef MakeSheetString(const char* text, std::size_t size) {
  char buffer[kOneButtonSheetBufferSize];
  CopyCut(text, buffer, std::min(size, sizeof buffer));
  return CFStringCreateWithCString(nullptr, buffer, kCFStringEncodingMacJapanese);
}

void ReleaseIfMade(CFStringRef text) {
  if (text != nullptr) CFRelease(text);
}

// The message and, on a line of its own below it, the explanation, for the modal dialog that
// stands in for a sheet without a window; the dialog shows its first 255 bytes.
void JoinMessageAndExplanation(const char* message, const char* explanation, char* out,
                               std::size_t size) {
  out[0] = 0;
  std::size_t used = 0;
  auto append = [&](const char* text) {
    if (IsEmpty(text) || used + 1 >= size) return;
    CopyCut(text, out + used, size - used);
    used += std::strlen(out + used);
  };
  append(message);
  if (!IsEmpty(message) && !IsEmpty(explanation)) append("\r");
  append(explanation);
}

// ---- Dialog items ---------------------------------------------------------------------------

ControlRef ItemControl(DialogRef dialog, DialogItemIndex item) {
  ControlRef control = nullptr;
  if (GetDialogItemAsControl(dialog, item, &control) != noErr) return nullptr;
  return control;
}

void SetItemText(DialogRef dialog, DialogItemIndex item, const char* text) {
  DialogItemType type = 0;
  Handle handle = nullptr;
  Rect box;
  GetDialogItem(dialog, item, &type, &handle, &box);
  if (handle == nullptr) return;
  Str255 pascal;
  Sp_CopyCStringToStr255(text, pascal);
  SetDialogItemText(handle, pascal);
}

void SetButtonTitle(DialogRef dialog, DialogItemIndex item, const char* title) {
  ControlRef control = ItemControl(dialog, item);
  if (control == nullptr) return;
  Str255 pascal;
  Sp_CopyCStringToStr255(title, pascal);
  SetControlTitle(control, pascal);
}

Rect ItemBox(DialogRef dialog, DialogItemIndex item) {
  Rect box = {0, 0, 0, 0};
  GetDialogItem(dialog, item, nullptr, nullptr, &box);
  return box;
}

// The width the button's title needs, measured in the dialog's port font.
SInt16 TitleNeed(DialogRef dialog, const char* title) {
  cSpPortSaver port;
  SetPort(GetDialogPort(dialog));
  Str255 pascal;
  Sp_CopyCStringToStr255(title, pascal);
  return SInt16(TextWidth(pascal + 1, 0, pascal[0]) + kSpSayDlgButtonTitleMargin);
}

// Widens the buttons that their titles do not fit. The right-hand pair (items 1 and 2) keeps
// its right edge: a wider second button grows leftwards and pushes the first one left by as
// much, and a wider first button grows leftwards too. A third button stands at the left edge
// and grows to the right.
void FitButtons(DialogRef dialog, const char* firstTitle, const char* secondTitle,
                const char* thirdTitle) {
  const Rect first = ItemBox(dialog, kFirstButtonItem);
  const Rect second = ItemBox(dialog, kSecondButtonItem);
  const SInt16 firstWidth = SInt16(first.right - first.left);
  const SInt16 secondWidth = SInt16(second.right - second.left);

  SInt16 firstRight = first.right;
  const SInt16 secondNeed = TitleNeed(dialog, secondTitle);
  const bool secondGrows = secondNeed > secondWidth;
  if (secondGrows) {
    Sp_ViewServices().Sp_ResizeControlOnDialog(dialog, kSecondButtonItem, secondNeed,
                             SInt16(second.bottom - second.top));
    firstRight = SInt16(firstRight - (secondNeed - secondWidth));
  }
  const SInt16 firstNeed = TitleNeed(dialog, firstTitle);
  const bool firstGrows = firstNeed > firstWidth;
  if (firstGrows) {
    Sp_ViewServices().Sp_ResizeControlOnDialog(dialog, kFirstButtonItem, firstNeed, SInt16(first.bottom - first.top));
  }
  if (firstGrows || secondGrows) {
    const SInt16 width = firstGrows ? firstNeed : firstWidth;
    Sp_ViewServices().Sp_MoveControlOnDialog(dialog, kFirstButtonItem, SInt16(firstRight - width), first.top);
  }
  if (secondGrows) {
    Sp_ViewServices().Sp_MoveControlOnDialog(dialog, kSecondButtonItem, SInt16(second.right - secondNeed),
                           second.top);
  }

  if (thirdTitle != nullptr) {
    const Rect third = ItemBox(dialog, kThirdButtonItem);
    const SInt16 thirdNeed = TitleNeed(dialog, thirdTitle);
    if (thirdNeed > third.right - third.left) {
      Sp_ViewServices().Sp_ResizeControlOnDialog(dialog, kThirdButtonItem, thirdNeed,
                               SInt16(third.bottom - third.top));
    }
  }
}

// Centres the dialog's window on the global point when it then lies wholly inside the screen.
void CentreOnPoint(WindowRef window, short h, short v) {
  Rect bounds = {0, 0, 0, 0};
  Sp_ViewServices().Sp_GetWindowSize(window, bounds);
  const short dh = short(h - (bounds.left + bounds.right) / 2);
  const short dv = short(v - (bounds.top + bounds.bottom) / 2);
  OffsetRect(&bounds, dh, dv);
  Rect screen = {0, 0, 0, 0};
  Sp_ViewServices().Sp_GetScreenSize(&screen);
  if (bounds.left > screen.left && bounds.top > screen.top && bounds.right < screen.right &&
      bounds.bottom < screen.bottom) {
    MoveWindow(window, bounds.left, bounds.top, false);
  }
}

// ---- Carbon-event mode ----------------------------------------------------------------------

// The handlers of one modal dialog: a control-hit handler on each of its buttons and the key
// handler on its window, removed again before the dialog goes.
class ModalHandlers {
 public:
  explicit ModalHandlers(sSpStdSayDlgAnswerRec* record)
      : record_(record),
        hitUPP_(NewEventHandlerUPP(SpStdSayDlg_CatchButtonDownForOSXCFMHProc)),
        keyUPP_(NewEventHandlerUPP(SpStdSayDlg_CatchDialogKeyRowDownForOSXCFMHProc)) {}
  ~ModalHandlers() {
    for (EventHandlerRef handler : handlers_) {
      if (handler != nullptr) RemoveEventHandler(handler);
    }
    DisposeEventHandlerUPP(hitUPP_);
    DisposeEventHandlerUPP(keyUPP_);
  }
  ModalHandlers(const ModalHandlers&) = delete;
  ModalHandlers& operator=(const ModalHandlers&) = delete;

  void OnButton(ControlRef button) {
    if (button == nullptr) return;
    Install(GetControlEventTarget(button), hitUPP_, kControlHitEvent);
  }
  void OnWindow(WindowRef window) {
    Install(GetWindowEventTarget(window), keyUPP_, kRawKeyDownEvent);
  }

 private:
  void Install(EventTargetRef target, EventHandlerUPP upp, const EventTypeSpec& spec) {
    if (count_ >= kMaxHandlers) return;
    InstallEventHandler(target, upp, 1, &spec, record_, &handlers_[count_++]);
  }

  static constexpr int kMaxHandlers = 4;
  sSpStdSayDlgAnswerRec* record_;
  EventHandlerUPP hitUPP_;
  EventHandlerUPP keyUPP_;
  EventHandlerRef handlers_[kMaxHandlers] = {};
  int count_ = 0;
};

// Runs the window-modal loop of a modal say dialog whose record names its buttons.
void RunCarbonModal(DialogRef dialog, sSpStdSayDlgAnswerRec* record) {
  WindowRef window = GetDialogWindow(dialog);
  ChangeWindowAttributes(window, kWindowStandardHandlerAttribute, 0);
  ModalHandlers handlers(record);
  handlers.OnButton(record->firstButton);
  if (record->hasSecondButton != 0) handlers.OnButton(record->secondButton);
  if (record->hasThirdButton != 0) handlers.OnButton(record->thirdButton);
  handlers.OnWindow(window);
  SetWindowDefaultButton(window, record->firstButton);
  DrawDialog(dialog);
  RunAppModalLoopForWindow(window);
}

// Runs ModalDialog with the say dialogs' filter until one of the items 1..lastItem is hit.
short RunClassicModal(DialogItemIndex lastItem) {
  ModalFilterUPP filter = NewModalFilterUPP(SpStdSayDlgNormalFilter);
  DialogItemIndex item = 0;
  do {
    item = 0;
    ModalDialog(filter, &item);
  } while (item < 1 || item > lastItem);
  DisposeModalFilterUPP(filter);
  return item;
}

// ---- Sheets ---------------------------------------------------------------------------------

// Shows the standard sheet on the parent and runs its window-modal loop; the answer of the
// button pressed, 0 when the sheet cannot be made.
short RunSheet(WindowRef parent, tStdSayDlgType type, CFStringRef message, CFStringRef explanation,
               CFStringRef defaultText, CFStringRef cancelText, CFStringRef otherText) {
  AlertStdCFStringAlertParamRec params;
  std::memset(&params, 0, sizeof params);
  params.version = kStdCFStringAlertVersionOne;
  params.movable = true;
  params.helpButton = false;
  params.defaultText = defaultText;
  params.cancelText = cancelText;
  params.otherText = otherText;
  params.defaultButton = kAlertStdAlertOKButton;
  params.cancelButton = kAlertStdAlertCancelButton;
  params.position = kWindowDefaultPosition;
  params.flags = 0;

  DialogRef sheet = nullptr;
  if (CreateStandardSheet(AlertType(type), message, explanation, &params,
                          GetWindowEventTarget(parent), &sheet) != noErr ||
      sheet == nullptr) {
    return 0;
  }
  AutoSizeDialog(sheet);
  sSpStdSayDlgAnswerRec record;
  std::memset(&record, 0, sizeof record);
  WindowRef window = GetDialogWindow(sheet);
  record.window = window;

  EventHandlerUPP upp = NewEventHandlerUPP(SpStdSayDlg_CatchAlertSheetButtonDownForOSXCFMHProc);
  EventHandlerRef handler = nullptr;
  InstallEventHandler(GetWindowEventTarget(window), upp, 1, &kCommandEvent, &record, &handler);
  ShowSheetWindow(window, parent);
  RunAppModalLoopForWindow(window);
  if (IsValidWindowPtr(window)) {
    // The loop ended without a button (it was given up): the sheet must not outlive the call
    // that owns its answer record.
    if (handler != nullptr) RemoveEventHandler(handler);
    CloseStandardSheet(sheet, 0);
  }
  DisposeEventHandlerUPP(upp);
  return record.answer;
}

// The CFStrings a sheet call made, released at its end.
class SheetStrings {
 public:
  SheetStrings() = default;
  ~SheetStrings() {
    for (CFStringRef text : texts_) ReleaseIfMade(text);
  }
  SheetStrings(const SheetStrings&) = delete;
  SheetStrings& operator=(const SheetStrings&) = delete;

  // The text made a CFString; null for a null text. `ok` turns false when one cannot be made.
  CFStringRef Make(const char* text, std::size_t size) {
    if (text == nullptr) return nullptr;
    CFStringRef made = MakeSheetString(text, size);
    if (made == nullptr) ok_ = false;
    if (count_ < kMax) texts_[count_++] = made;
    return made;
  }
  bool ok() const { return ok_; }

 private:
  static constexpr int kMax = 5;
  CFStringRef texts_[kMax] = {};
  int count_ = 0;
  bool ok_ = true;
};

// The sheets' required texts and parent: a missing one is reported and nothing is shown.
bool HasSheetArguments(const char* method, WindowRef parent,
                       std::initializer_list<const char*> texts) {
  bool ok = parent != nullptr;
  for (const char* text : texts) ok = ok && text != nullptr;
  if (!ok) SpReportFailure(kSource, method, 1, kSpMsgNullArgument);
  return ok;
}

SInt16 ModalDialogID(tStdSayDlgType type, SInt16 stopID, SInt16 noteID, SInt16 otherID) {
  if (type == kSpStdSayDlgStop) return stopID;
  if (type == kSpStdSayDlgNote) return noteID;
  return otherID;
}

// Lights the button item pressed by a key for a moment, as a click would.
void FlashButton(DialogRef dialog, DialogItemIndex item) {
  DialogItemType type = 0;
  Handle handle = nullptr;
  Rect box;
  GetDialogItem(dialog, item, &type, &handle, &box);
  if ((type & ~itemDisable) != kButtonDialogItem) return;
  ControlRef button = ItemControl(dialog, item);
  if (button == nullptr) return;
  const UInt32 start = TickCount();
  HiliteControl(button, kControlButtonPart);
  const UInt32 passed = TickCount() - start;
  if (passed < kFlashTicks) {
    UInt32 final = 0;
    Delay(kFlashTicks - passed, &final);
  }
  HiliteControl(button, kControlNoPart);
}

// Shows a two- or three-button dialog, waits for its answer (1 up to lastItem; 0 when none
// came), hides and disposes of it. In the classic loop the last item is the cancel item.
short ShowAndAnswer(DialogRef dialog, sSpStdSayDlgAnswerRec* record, DialogItemIndex lastItem) {
  WindowRef window = GetDialogWindow(dialog);
  ShowHide(window, true);
  BringToFront(window);
  HiliteWindow(window, true);
  DrawControls(window);

  short result = 0;
  if (Sp_Is_CarbonEvent_ModeEnable()) {
    RunCarbonModal(dialog, record);
    if (record->answer >= 1 && record->answer <= lastItem) result = record->answer;
  } else {
    DrawDialog(dialog);
    ShowWindow(window);
    SelectWindow(window);
    result = RunClassicModal(lastItem);
  }
  ShowHide(window, false);
  DisposeDialog(dialog);
  return result;
}

}  // namespace

// ---- Standard alert -------------------------------------------------------------------------

short Sp_SayAlertByModal(short alertType, char* message, char* explanation, char* defaultText,
                         char* cancelText, char* otherText) {
  if (IsEmpty(message)) {
    return SpReportFailure(kSource, "Sp_SayDialogByModal", 1, kSpMsgDataError, short(0));
  }
  // Length-prefixed copies: the caller's buffers stay as they are.
  Str255 messageText;
  Str255 explanationText;
  Str255 defaultButtonText;
  Str255 cancelButtonText;
  Str255 otherButtonText;
  Sp_CopyCStringToStr255(message, messageText);
  Sp_CopyCStringToStr255(explanation, explanationText);
  Sp_CopyCStringToStr255(defaultText, defaultButtonText);
  Sp_CopyCStringToStr255(cancelText, cancelButtonText);
  Sp_CopyCStringToStr255(otherText, otherButtonText);

  AlertStdAlertParamRec params;
  std::memset(&params, 0, sizeof params);
  params.movable = true;
  params.helpButton = false;
  params.filterProc = nullptr;
  // Without a text the default button reads "OK".
  params.defaultText = IsEmpty(defaultText) ? nullptr : defaultButtonText;
  params.cancelText = IsEmpty(cancelText) ? nullptr : cancelButtonText;
  params.otherText = IsEmpty(otherText) ? nullptr : otherButtonText;
  // The default button is the one Return presses, whatever its text.
  params.defaultButton = kAlertStdAlertOKButton;
  params.cancelButton = 0;
  params.position = kWindowDefaultPosition;

  SInt16 itemHit = 0;
  StandardAlert(AlertType(alertType), messageText, IsEmpty(explanation) ? nullptr : explanationText,
                &params, &itemHit);
  return itemHit;
}

// ---- One-button dialog ----------------------------------------------------------------------

void Sp_SayDialogByModal(char* message, unsigned char classicLoop) {
  if (IsEmpty(message)) {
    SpReportFailure(kSource, "Sp_SayDialogByModal", 1, kSpMsgDataError);
    return;
  }
  DialogRef dialog = GetNewDialog(kSpSayDlgOneButtonID, nullptr, reinterpret_cast<WindowRef>(-1));
  if (dialog == nullptr) {
    SpReportFailure(kSource, "Sp_SayDialogByModal", 2, kMsgResourceError);
    return;
  }
  WindowRef window = GetDialogWindow(dialog);
  sSpStdSayDlgAnswerRec record;
  std::memset(&record, 0, sizeof record);
  record.window = window;
  ShowHide(window, true);
  BringToFront(window);
  HiliteWindow(window, true);

  if (CountDITL(dialog) < kOneButtonMessageItem) {
    SysBeep(10);
    DisposeDialog(dialog);
    SpERORSYS_SaveErrorMeesage(kSource, "Sp_SayDialogByModal", 3, kMsgResourceError);
    return;
  }
  // The item shows 255 bytes at most: a longer message is cut between two characters.
  SetItemText(dialog, kOneButtonMessageItem, message);

  record.firstButton = ItemControl(dialog, kOneButtonOKItem);
  record.firstButtonNo = kOneButtonOKItem;
  ShowWindow(window);
  SelectWindow(window);

  if (Sp_Is_CarbonEvent_ModeEnable() && classicLoop == 0) {
    RunCarbonModal(dialog, &record);
  } else {
    DrawDialog(dialog);
    RunClassicModal(kOneButtonOKItem);
  }
  ShowHide(window, false);
  DisposeDialog(dialog);
}

// ---- Two- and three-button dialogs ----------------------------------------------------------

namespace {

// Makes the two- or three-button dialog `id` (count buttons, the first the default), titles
// its buttons and widens them to their titles, centres it on (h, v) when asked, lets
// `fillTexts` fill its texts, and waits for the answer.
template <typename FillTexts>
short AskWithButtons(SInt16 id, const char* method, SInt32 memoryCode, char* const titles[],
                     DialogItemIndex count, unsigned char centre, short h, short v,
                     FillTexts fillTexts) {
  DialogRef dialog = GetNewDialog(id, nullptr, reinterpret_cast<WindowRef>(-1));
  if (dialog == nullptr)
    return SpReportFailure(kSource, method, memoryCode, kSpMsgMemory, short(0));
  WindowRef window = GetDialogWindow(dialog);
  sSpStdSayDlgAnswerRec record;
  std::memset(&record, 0, sizeof record);
  record.window = window;
  if (centre != 0) CentreOnPoint(window, h, v);

  SetDialogDefaultItem(dialog, kFirstButtonItem);
  for (DialogItemIndex item = 1; item <= count; ++item) {
    SetButtonTitle(dialog, item, titles[item - 1]);
  }
  record.firstButton = ItemControl(dialog, kFirstButtonItem);
  record.firstButtonNo = kFirstButtonItem;
  record.hasSecondButton = 1;
  record.secondButton = ItemControl(dialog, kSecondButtonItem);
  record.secondButtonNo = kSecondButtonItem;
  if (count >= kThirdButtonItem) {
    record.hasThirdButton = 1;
    record.thirdButton = ItemControl(dialog, kThirdButtonItem);
    record.thirdButtonNo = kThirdButtonItem;
  }
  FitButtons(dialog, titles[0], titles[1], count >= kThirdButtonItem ? titles[2] : nullptr);
  fillTexts(dialog);

  return ShowAndAnswer(dialog, &record, count);
}

}  // namespace

short SpStdSayDlgTwoButton(char* firstTitle, char* secondTitle, char* message, tStdSayDlgType type,
                           unsigned char centre, short h, short v) {
  if (firstTitle == nullptr || secondTitle == nullptr) {
    return SpReportFailure(kSource, "SpStdSayDlgTwoButton", 1, kSpMsgNullArgument, short(0));
  }
  const SInt16 id =
      ModalDialogID(type, kSpSayDlgTwoButtonStopID, kSpSayDlgTwoButtonNoteID, kSpSayDlgTwoButtonID);
  char* const titles[] = {firstTitle, secondTitle};
  return AskWithButtons(
      id, "SpStdSayDlgTwoButton", 1, titles, kSecondButtonItem, centre, h, v,
      [message](DialogRef dialog) { SetItemText(dialog, kTwoButtonMessageItem, message); });
}

short SpStdSayDlgThreeButton(char* firstTitle, char* secondTitle, char* thirdTitle, char* firstText,
                             char* secondText, tStdSayDlgType type, unsigned char centre, short h,
                             short v) {
  if (firstTitle == nullptr || secondTitle == nullptr || thirdTitle == nullptr) {
    return SpReportFailure(kSource, "SpStdSayDlgThreeButton", 1, kSpMsgNullArgument, short(0));
  }
  const SInt16 id = ModalDialogID(type, kSpSayDlgThreeButtonStopID, kSpSayDlgThreeButtonNoteID,
                                  kSpSayDlgThreeButtonID);
  char* const titles[] = {firstTitle, secondTitle, thirdTitle};
  return AskWithButtons(id, "SpStdSayDlgThreeButton", 2, titles, kThirdButtonItem, centre, h, v,
                        [firstText, secondText](DialogRef dialog) {
                          SetItemText(dialog, kThreeButtonFirstTextItem, firstText);
                          SetItemText(dialog, kThreeButtonSecondTextItem, secondText);
                        });
}

// ---- Sheets ---------------------------------------------------------------------------------

void Sp_SayDialogByModalBySheetAlert(WindowRef parent, tStdSayDlgType type, char* message,
                                     char* explanation, char* buttonTitle) {
  if (!HasSheetArguments("Sp_SayDialogByModalBySheetAlert", parent,
                         {message, explanation, buttonTitle})) {
    return;
  }
  cSpPortSaver port;
  SheetStrings strings;
  CFStringRef messageText = strings.Make(message, kOneButtonSheetBufferSize);
  CFStringRef explanationText = strings.Make(explanation, kOneButtonSheetBufferSize);
  CFStringRef buttonText = strings.Make(buttonTitle, kOneButtonSheetBufferSize);
  if (!strings.ok()) return;
  RunSheet(parent, type, messageText, explanationText, buttonText, nullptr, nullptr);
}

short SpStdSayDlgTwoButtonBySheetAlert(WindowRef parent, tStdSayDlgType type, char* message,
                                       char* explanation, char* defaultTitle, char* cancelTitle) {
  if (parent == nullptr) {
    // No window to hang the sheet on: the same question as a modal dialog, which has one text
    // for the message and the explanation together.
    char text[kConvertedTextSize];
    JoinMessageAndExplanation(message, explanation, text, sizeof text);
    return SpStdSayDlgTwoButton(defaultTitle, cancelTitle, text, type, 0, 0, 0);
  }
  if (!HasSheetArguments("SpStdSayDlgTwoButtonBySheetAlert", parent,
                         {message, explanation, defaultTitle})) {
    return 0;
  }
  cSpPortSaver port;
  SheetStrings strings;
  CFStringRef messageText = strings.Make(message, kSheetBufferSize);
  CFStringRef explanationText = strings.Make(explanation, kSheetBufferSize);
  CFStringRef defaultText = strings.Make(defaultTitle, kSheetBufferSize);
  CFStringRef cancelText = strings.Make(cancelTitle, kSheetBufferSize);
  if (!strings.ok()) return 0;
  const short answer =
      RunSheet(parent, type, messageText, explanationText, defaultText, cancelText, nullptr);
  return answer == 1 || answer == 2 ? answer : 0;
}

short SpStdSayDlgTwoButtonBySheetAlertWithCFString(WindowRef parent, tStdSayDlgType type,
                                                   CFStringRef message, CFStringRef explanation,
                                                   CFStringRef defaultTitle,
                                                   CFStringRef cancelTitle) {
  if (parent == nullptr) {
    char messageText[kConvertedTextSize] = {0};
    char explanationText[kConvertedTextSize] = {0};
    char defaultText[kConvertedTextSize] = {0};
    char cancelText[kConvertedTextSize] = {0};
    if (message != nullptr) {
      Sp_GetCStringFromCFString(message, messageText, kConvertedTextSize, nullptr);
    }
    if (explanation != nullptr) {
      Sp_GetCStringFromCFString(explanation, explanationText, kConvertedTextSize, nullptr);
    }
    if (defaultTitle != nullptr) {
      Sp_GetCStringFromCFString(defaultTitle, defaultText, kConvertedTextSize, nullptr);
    }
    if (cancelTitle != nullptr) {
      Sp_GetCStringFromCFString(cancelTitle, cancelText, kConvertedTextSize, nullptr);
    }
    char text[kConvertedTextSize];
    JoinMessageAndExplanation(messageText, explanationText, text, sizeof text);
    return SpStdSayDlgTwoButton(defaultTitle != nullptr ? defaultText : nullptr,
                                cancelTitle != nullptr ? cancelText : nullptr, text, type, 0, 0, 0);
  }
  const short answer =
      RunSheet(parent, type, message, explanation, defaultTitle, cancelTitle, nullptr);
  return answer == 1 || answer == 2 ? answer : 0;
}

short SpStdSayDlgThreeButtonBySheetAlert(WindowRef parent, tStdSayDlgType type, char* message,
                                         char* explanation, char* defaultTitle, char* cancelTitle,
                                         char* otherTitle) {
  if (!HasSheetArguments("SpStdSayDlgThreeButtonBySheetAlert", parent,
                         {message, explanation, defaultTitle})) {
    return 0;
  }
  cSpPortSaver port;
  SheetStrings strings;
  CFStringRef messageText = strings.Make(message, kSheetBufferSize);
  CFStringRef explanationText = strings.Make(explanation, kSheetBufferSize);
  CFStringRef defaultText = strings.Make(defaultTitle, kSheetBufferSize);
  CFStringRef cancelText = strings.Make(cancelTitle, kSheetBufferSize);
  CFStringRef otherText = strings.Make(otherTitle, kSheetBufferSize);
  if (!strings.ok()) return 0;
  return RunSheet(parent, type, messageText, explanationText, defaultText, cancelText, otherText);
}

// ---- Handlers -------------------------------------------------------------------------------

OSStatus SpStdSayDlg_CatchButtonDownForOSXCFMHProc(EventHandlerCallRef /*callRef*/, EventRef event,
                                                   void* userData) {
  sSpStdSayDlgAnswerRec* record = static_cast<sSpStdSayDlgAnswerRec*>(userData);
  ControlRef control = nullptr;
  if (record == nullptr ||
      GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof control,
                        nullptr, &control) != noErr ||
      control == nullptr) {
    return eventNotHandledErr;
  }
  record->answer = 0;
  if (control == record->firstButton) {
    record->answer = record->firstButtonNo;
  } else if (record->hasSecondButton != 0 && control == record->secondButton) {
    record->answer = record->secondButtonNo;
  } else if (record->hasThirdButton != 0 && control == record->thirdButton) {
    record->answer = record->thirdButtonNo;
  }
  if (record->answer <= 0) return eventNotHandledErr;
  QuitAppModalLoopForWindow(record->window);
  return noErr;
}

OSStatus SpStdSayDlg_CatchDialogKeyRowDownForOSXCFMHProc(EventHandlerCallRef /*callRef*/,
                                                         EventRef event, void* userData) {
  sSpStdSayDlgAnswerRec* record = static_cast<sSpStdSayDlgAnswerRec*>(userData);
  if (record == nullptr) return eventNotHandledErr;
  char charCode = 0;
  UInt32 keyCode = 0;
  UInt32 modifiers = 0;
  if (GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, sizeof charCode,
                        nullptr, &charCode) != noErr ||
      GetEventParameter(event, kEventParamKeyCode, typeUInt32, nullptr, sizeof keyCode, nullptr,
                        &keyCode) != noErr ||
      GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers,
                        nullptr, &modifiers) != noErr) {
    return eventNotHandledErr;
  }
  EventRecord classic;
  std::memset(&classic, 0, sizeof classic);
  ConvertEventRefToEventRecord(event, &classic);
  const UInt8 key = UInt8(charCode);
  if (key == kReturnChar || key == kEnterChar) {
    record->answer = 1;
  } else if (key == kEscapeChar) {
    record->answer = 2;
  } else if (key == kPeriodChar && (classic.modifiers & cmdKey) != 0) {
    record->answer = 2;
  } else {
    return eventNotHandledErr;
  }
  QuitAppModalLoopForWindow(record->window);
  return noErr;
}

OSStatus SpStdSayDlg_CatchAlertSheetButtonDownForOSXCFMHProc(EventHandlerCallRef /*callRef*/,
                                                             EventRef event, void* userData) {
  sSpStdSayDlgAnswerRec* record = static_cast<sSpStdSayDlgAnswerRec*>(userData);
  HICommand command;
  if (record == nullptr || GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr,
                                             sizeof command, nullptr, &command) != noErr) {
    return eventNotHandledErr;
  }
  record->answer = 0;
  switch (command.commandID) {
    case kHICommandOK:
      record->answer = 1;
      break;
    case kHICommandCancel:
      record->answer = 2;
      break;
    case kHICommandOther:
      record->answer = 3;
      break;
    default:
      break;
  }
  if (record->answer > 0) QuitAppModalLoopForWindow(record->window);
  return eventNotHandledErr;
}

// ---- Classic filter -------------------------------------------------------------------------

Boolean SpStdSayDlgNormalFilter(DialogRef dialog, EventRecord* event, DialogItemIndex* itemHit) {
  if (dialog == nullptr || event == nullptr || itemHit == nullptr) return false;
  WindowRef dialogWindow = GetDialogWindow(dialog);
  Boolean handled = false;
  bool flash = false;
  switch (event->what) {
    case mouseDown: {
      WindowRef window = nullptr;
      if (FindWindow(event->where, &window) == inDrag) {
        cSp_Window* object = Sp_SerchWindowObject(window);
        if (object != nullptr) {
          object->Drag(event->where);
          *itemHit = 0;
          handled = true;
        }
      }
      break;
    }
    case keyDown: {
      const UInt8 key = UInt8(event->message & 0xFF);
      if (key == kReturnChar || key == kEnterChar) {
        *itemHit = kFirstButtonItem;
        handled = true;
        flash = true;
      } else if ((event->modifiers & cmdKey) != 0) {
        if (key == kPeriodChar) {
          *itemHit = kSecondButtonItem;
          flash = true;
        } else if (key == 'a' || key == 'A') {
          // The focus is the field's own item number (-1 when no field has it).
          const SInt16 focus = GetDialogKeyboardFocusItem(dialog);
          if (focus > 0) SelectDialogItemText(dialog, focus, 0, 32767);
          *itemHit = 0;
        }
        handled = true;
      }
      break;
    }
    case updateEvt: {
      WindowRef window = reinterpret_cast<WindowRef>(event->message);
      if (window == dialogWindow) {
        BeginUpdate(window);
        UpdateDialog(dialog, nullptr);
        EndUpdate(window);
        *itemHit = 0;
        handled = true;
      } else {
        Sp_EventProcInterface(event, kSpModalFilterEventMask);
      }
      break;
    }
    case activateEvt:
      if (reinterpret_cast<WindowRef>(event->message) == dialogWindow) *itemHit = 0;
      break;
    default:
      break;
  }
  if (flash) FlashButton(dialog, *itemHit);
  Sp_EventProcInterface();
  return handled;
}

// ---- Error display --------------------------------------------------------------------------

void SpStdSayDlg_InstallErrorDisplayProcs() {
  SpERORSYS_SetFailureDisplayProcs(SpSayErrorNoWithDefaultSetup, Sp_SayDialogByModal);
  SpSayErrorNo_SetDisplayProcs(Sp_SayDialogByModal, SpStdSayDlgTwoButtonBySheetAlert);
}
