// A small program made of the framework's own parts, to try the desktop display until the
// application exists: a window with a menu bar whose items show a say dialog, a two-button
// dialog, an alert sheet and a progress window. It ends from the application menu's Quit,
// Ctrl+Q, the window's close box or SIGTERM.
//
//   sp-display-demo [--display=desktop|headless]
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "AppleEvents.h"
#include "CFBundle.h"
#include "CFURLFiles.h"
#include "CarbonEvents.h"
#include "MacWindows.h"
#include "Menus.h"
#include "QDText.h"
#include "QuickDraw.h"
#include "Resources.h"
#include "SpDisplay.h"
#include "SpProgressWinObj.h"
#include "SpStdFunctionNumber.h"
#include "SpStdSayDialog.h"
#include "SpTextCodec.h"

namespace {

constexpr MenuID kDemoMenu = 128;
constexpr short kProgressDialog = 9800;
constexpr UInt32 kSayCommand = SpFourCC("say ");
constexpr UInt32 kTwoButtonsCommand = SpFourCC("two ");
constexpr UInt32 kSheetCommand = SpFourCC("shet");
constexpr UInt32 kProgressCommand = SpFourCC("prog");

// MacJapanese bytes of a UTF-8 text of this program.
std::string MJ(const char* utf8) {
  std::string out;
  sp::text::UTF8ToMacJapanese(utf8, out, '?');
  return out;
}

// A writable zero-terminated MacJapanese copy, as the say dialogs take their texts.
struct Text {
  explicit Text(const char* utf8) : bytes(MJ(utf8)) {}
  char* get() { return &bytes[0]; }
  std::string bytes;
};

std::vector<UInt8> Pascal(const std::string& bytes) {
  std::vector<UInt8> out(1, UInt8(std::min<std::size_t>(bytes.size(), 255)));
  out.insert(out.end(), bytes.begin(), bytes.begin() + out[0]);
  return out;
}

WindowRef gWindow = nullptr;
std::unique_ptr<cSp_SimpleProgressWindow> gProgress;
EventLoopTimerRef gProgressTimer = nullptr;
short gProgressValue = 0;

void DrawContent() {
  SetPortWindowPort(gWindow);
  Rect all;
  GetWindowPortBounds(gWindow, &all);
  EraseRect(&all);
  TextFont(0);
  TextSize(14);
  const char* lines[] = {
      "表示のデモ",
      "",
      "上のメニューから試してください:",
      "  メッセージ… / 二つのボタン… / シート… / 進行状況…",
      "Ctrl+Q で終わります。",
  };
  SInt16 v = 40;
  for (const char* line : lines) {
    const std::string text = MJ(line);
    MoveTo(24, v);
    DrawText(text.data(), 0, SInt16(text.size()));
    v = SInt16(v + 24);
  }
}

void ProgressStep(EventLoopTimerRef, void*) {
  gProgressValue = short(gProgressValue + 4);
  if (gProgress) gProgress->SetupControlValue(gProgressValue);
  if (gProgressValue >= 100) {
    RemoveEventLoopTimer(gProgressTimer);
    gProgressTimer = nullptr;
    gProgress.reset();
  }
}

void Command(UInt32 command) {
  if (command == kSayCommand) {
    Text message("ようこそ。これはフレームワークの言うダイアログです。");
    Sp_SayDialogByModal(message.get(), 0);
  } else if (command == kTwoButtonsCommand) {
    Text first("はい"), second("いいえ"), message("二つのボタンのどちらかを押してください。");
    SpStdSayDlgTwoButton(first.get(), second.get(), message.get(), kSpStdSayDlgCaution, 0, 0, 0);
  } else if (command == kSheetCommand) {
    Text message("シートです。"), explanation("窓の上に付いています。"), button("OK");
    Sp_SayDialogByModalBySheetAlert(gWindow, kSpStdSayDlgNote, message.get(), explanation.get(), button.get());
  } else if (command == kProgressCommand && !gProgress) {
    gProgressValue = 0;
    gProgress.reset(new cSp_SimpleProgressWindow(kProgressDialog, 0, 0, 100, 0));
    InstallEventLoopTimer(GetMainEventLoop(), 0.05, 0.05, NewEventLoopTimerUPP(ProgressStep),
                          nullptr, &gProgressTimer);
  }
}

OSStatus OnCommand(EventHandlerCallRef, EventRef event, void*) {
  HICommand command{};
  if (GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command,
                        nullptr, &command) != noErr) {
    return eventNotHandledErr;
  }
  if (command.commandID != kSayCommand && command.commandID != kTwoButtonsCommand &&
      command.commandID != kSheetCommand && command.commandID != kProgressCommand) {
    return eventNotHandledErr;
  }
  Command(command.commandID);
  return noErr;
}

OSStatus OnWindow(EventHandlerCallRef, EventRef event, void*) {
  if (GetEventKind(event) == kEventWindowDrawContent) {
    DrawContent();
    return noErr;
  }
  // The close box: the program ends as from Quit.
  ProcessSerialNumber self = {0, kCurrentProcess};
  AEAddressDesc target = {typeNull, nullptr};
  AppleEvent quit = {typeNull, nullptr};
  if (AECreateDesc(typeProcessSerialNumber, &self, sizeof self, &target) == noErr &&
      AECreateAppleEvent(kCoreEventClass, kAEQuitApplication, &target, kAutoGenerateReturnID,
                         kAnyTransactionID, &quit) == noErr) {
    AESend(&quit, nullptr, kAENoReply, kAENormalPriority, kNoTimeOut, nullptr, nullptr);
  }
  AEDisposeDesc(&quit);
  AEDisposeDesc(&target);
  return noErr;
}

OSErr OnQuit(const AppleEvent*, AppleEvent*, URefCon) {
  QuitApplicationEventLoop();
  return noErr;
}

// The demonstration's own resources, beside the application's in the bundle's folder.
void OpenDemoResources() {
  CFStringRef name = CFStringCreateWithCString(nullptr, "DisplayDemo.rsrc", kCFStringEncodingUTF8);
  CFURLRef url = CFBundleCopyResourceURL(CFBundleGetMainBundle(), name, nullptr, nullptr);
  CFRelease(name);
  FSRef ref;
  if (url != nullptr && CFURLGetFSRef(url, &ref)) FSOpenResFile(&ref, fsRdPerm);
  if (url != nullptr) CFRelease(url);
}

void MakeMenus() {
  MenuRef menu = NewMenu(kDemoMenu, Pascal(MJ("デモ")).data());
  const struct {
    const char* text;
    char key;
    UInt32 command;
  } items[] = {
      {"メッセージ…", 'M', kSayCommand},
      {"二つのボタン…", 'B', kTwoButtonsCommand},
      {"シート…", 'S', kSheetCommand},
      {"進行状況…", 'P', kProgressCommand},
  };
  SInt16 n = 0;
  for (const auto& item : items) {
    AppendMenuItemText(menu, Pascal(MJ(item.text)).data());
    ++n;
    SetItemCmd(menu, n, item.key);
    SetMenuItemCommandID(menu, n, item.command);
  }
  InsertMenu(menu, 0);
  DrawMenuBar();
}

}  // namespace

int main(int argc, char** argv) {
  std::string message;
  if (SpOpenDisplay(&argc, argv, kSpDisplayDesktop, &message) != noErr) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
  }
  Sp_CarbonEvent_ModeEnable();
  OpenDemoResources();
  MakeMenus();
  Rect bounds = {120, 120, 400, 680};
  CreateNewWindow(kDocumentWindowClass,
                  kWindowStandardHandlerAttribute | kWindowCloseBoxAttribute, &bounds, &gWindow);
  SetWTitle(gWindow, Pascal(MJ("表示のデモ")).data());
  const EventTypeSpec windowEvents[] = {{kEventClassWindow, kEventWindowDrawContent},
                                        {kEventClassWindow, kEventWindowClose}};
  InstallEventHandler(GetWindowEventTarget(gWindow), NewEventHandlerUPP(OnWindow), 2,
                      windowEvents, nullptr, nullptr);
  const EventTypeSpec commandEvents[] = {{kEventClassCommand, kEventCommandProcess}};
  InstallEventHandler(GetApplicationEventTarget(), NewEventHandlerUPP(OnCommand), 1,
                      commandEvents, nullptr, nullptr);
  AEInstallEventHandler(kCoreEventClass, kAEQuitApplication, NewAEEventHandlerUPP(OnQuit), 0,
                        false);
  ShowWindow(gWindow);
  DrawContent();
  RunApplicationEventLoop();
  gProgress.reset();
  DisposeWindow(gWindow);
  SpCloseDisplay();
  return 0;
}
