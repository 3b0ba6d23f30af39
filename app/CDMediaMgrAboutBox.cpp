// The About box: dialog 130 with the banner (picture 2002), the emblem (picture 2001) and the
// program's version, shown until a click or a key.
#include <new>
#include <string>

#include "ByteOrder.h"
#include "CDObjectSource.h"
#include "CarbonEvents.h"
#include "Dialogs.h"
#include "Events.h"
#include "QDText.h"
#include "QuickDraw.h"
#include "Resources.h"
#include "SpResourceManager.h"
#include "SpStdDrawingFunction.h"
#include "SpStdFunctionNumber.h"
#include "SpStringView.h"
#include "SpViewWindow.h"
#include "SpWindow.h"
#include "SpWindowControlItemObj.h"

namespace {

const short kAboutDialogID = 130;
const short kBannerItem = 2;
const short kVersionItem = 7;
const short kEmblemItem = 12;
const short kBannerPicture = 2002;
const short kEmblemPicture = 2001;
const short kVersionTextSize = 10;

// What the open box holds; its window's reference value.
struct sCDR_AboutRecord {
  cSp_Window* window = nullptr;
  cSp_PictureItem* banner = nullptr;
  cSp_PictureItem* emblem = nullptr;
  SInt32 bannerRef = 0;
  SInt32 emblemRef = 0;
  Rect bannerRect = {0, 0, 0, 0};
  Rect emblemRect = {0, 0, 0, 0};
  Rect versionRect = {0, 0, 0, 0};
  cSp_StringView* versionView = nullptr;
  bool versionRead = false;
  std::string versionText;
};

RGBColor VersionColour() {
  RGBColor colour;
  Sp_SetRGBColorByPercentage(&colour, 24.0f, 21.0f, 59.0f);
  return colour;
}

// The title the box's 'DLOG' resource gives it (the framework's windows start untitled): the
// Pascal string after bounds, definition, visibility, close box, reference value and item
// list. Empty when the resource is missing or too short.
std::string ResourceTitle(short dialogID) {
  Handle dlog = GetResource(SpFourCC("DLOG"), dialogID);
  if (dlog == nullptr || *dlog == nullptr) return std::string();
  sp::ByteReader reader(*dlog, std::size_t(GetHandleSize(dlog)));
  unsigned char title[256] = {0};
  reader.Skip(20);
  const bool read = reader.PascalString(title) && reader.Ok();
  return read ? std::string(reinterpret_cast<const char*>(title + 1), title[0]) : std::string();
}

Rect ItemRect(DialogRef dialog, short item) {
  DialogItemType type = 0;
  Handle handle = nullptr;
  Rect rect = {0, 0, 0, 0};
  GetDialogItem(dialog, item, &type, &handle, &rect);
  return rect;
}

void DrawPictures(const sCDR_AboutRecord* about) {
  if (about->banner != nullptr) {
    about->banner->DrawPicuterOnCurrentPort(about->bannerRect, 0, nullptr, srcCopy, 0);
  }
  if (about->emblem != nullptr) {
    about->emblem->DrawPicuterOnCurrentPort(about->emblemRect, 0, nullptr, srcCopy, 0);
  }
}

void EndBox(sCDR_AboutRecord* about) {
  if (about != nullptr && about->window != nullptr) {
    QuitAppModalLoopForWindow(about->window->GetWindowRef());
  }
}

void CDAboutDlg_CatchDismissButtonCB(short, unsigned long userData) {
  EndBox(reinterpret_cast<sCDR_AboutRecord*>(userData));
}

}  // namespace

std::string CDR_AboutVersionText(const sNumVersion& version) {
  std::string text = "Version " + std::to_string(version.majorRev) + "." +
                     std::to_string(version.minorRev) + "." + std::to_string(version.fixLevel);
  switch (version.stage) {
    case 0x20:
      return text + " Prealpha";
    case 0x40:
      return text + " Alpha";
    case 0x60:
      return text + " Beta";
    case 0x80:
      return text + " Release";
    default:
      return text;
  }
}

OSStatus CDAboutDlg_CatchUpdateEventForOSXCFMHProc(EventHandlerCallRef, EventRef, void* userData) {
  auto* about = static_cast<sCDR_AboutRecord*>(userData);
  if (about == nullptr || about->window == nullptr) return eventNotHandledErr;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  RGBColor foreground;
  GetForeColor(&foreground);
  SetPortWindowPort(about->window->GetWindowRef());
  DrawPictures(about);
  RGBForeColor(&foreground);
  QDFlushPortBuffer(GetWindowPort(about->window->GetWindowRef()), nullptr);
  SetPort(saved);
  // The dialog's own drawing goes on.
  return eventNotHandledErr;
}

OSStatus CDAboutDlg_CatchContentMouseDownForOSXCFMHProc(EventHandlerCallRef, EventRef,
                                                        void* userData) {
  EndBox(static_cast<sCDR_AboutRecord*>(userData));
  return noErr;
}

OSStatus CDAboutDlg_CatchDialogKeyRowDownForOSXCFMHProc(EventHandlerCallRef, EventRef,
                                                        void* userData) {
  EndBox(static_cast<sCDR_AboutRecord*>(userData));
  return noErr;
}

Boolean CDR_AboutDialogFilter(DialogRef dialog, EventRecord* event, short* itemHit) {
  if (dialog == nullptr || event == nullptr || itemHit == nullptr) return false;
  auto* about = reinterpret_cast<sCDR_AboutRecord*>(GetWRefCon(GetDialogWindow(dialog)));
  switch (event->what) {
    case mouseDown:
    case keyDown:
      *itemHit = 1;
      return true;
    case updateEvt:
      if (about == nullptr) return false;
      DrawPictures(about);
      if (about->versionRead) {
        GrafPtr port = nullptr;
        GetPort(&port);
        const short size = GetPortTextSize(port);
        RGBColor saved, colour = VersionColour();
        GetForeColor(&saved);
        TextSize(kVersionTextSize);
        RGBForeColor(&colour);
        Sp_DrawStringInRect(about->versionText.c_str(), &about->versionRect, kSpPositionRight,
                            kSpPositionCenter, 0, 0, 0, 0, 1, 0, 0, 0, nullptr);
        TextSize(size);
        RGBForeColor(&saved);
      }
      QDFlushPortBuffer(GetDialogPort(dialog), nullptr);
      return false;
    default:
      return false;
  }
}

unsigned char CDR_AboutDialog(cSpMenu*, cSpMenuItem*, sSpModifiersDataStruct&, URefCon) {
  auto* about = new (std::nothrow) sCDR_AboutRecord;
  if (about == nullptr) return false;
  about->window = new (std::nothrow) cSp_Window(kAboutDialogID, kSpDialogWindowType, nullptr, 0, 0);
  DialogRef dialog = about->window != nullptr ? about->window->GetDialogRef() : nullptr;
  if (dialog == nullptr) {
    delete about->window;
    delete about;
    return false;
  }
  WindowRef window = about->window->GetWindowRef();
  const std::string title = ResourceTitle(kAboutDialogID);
  if (!title.empty()) about->window->SetTitle(title.c_str());
  about->window->Open(1, nullptr);
  sNumVersion version = {0, 0, 0, 0};
  about->versionRead = Sp_GetApplicatinVersion(1, &version) != 0;
  about->versionText = CDR_AboutVersionText(version);
  about->bannerRect = ItemRect(dialog, kBannerItem);
  about->emblemRect = ItemRect(dialog, kEmblemItem);
  about->versionRect = ItemRect(dialog, kVersionItem);
  about->banner = Sp_ResM_GetPictureItemObject(kBannerPicture, about->bannerRef);
  about->emblem = Sp_ResM_GetPictureItemObject(kEmblemPicture, about->emblemRef);
  SetWRefCon(window, reinterpret_cast<URefCon>(about));
  if (Sp_Is_CarbonEvent_ModeEnable()) {
    const RGBColor colour = VersionColour();
    // Given to the constructor the colour would paint the background too, hiding the text.
    about->versionView = new (std::nothrow)
        cSp_StringView(window, about->versionRect, nullptr, kVersionTextSize, nullptr, 0);
    if (about->versionView != nullptr) {
      about->versionView->SetStringColor(&colour, 0);
      about->versionView->SetTextOutput_H_PositionType(kSpPositionRight, 0);
      about->versionView->SetString(about->versionRead ? about->versionText.c_str() : "", 0);
    }
    ChangeWindowAttributes(window, kWindowStandardHandlerAttribute, 0);
    const EventTypeSpec update = {kEventClassWindow, kEventWindowUpdate};
    const EventTypeSpec click = {kEventClassWindow, kEventWindowHandleContentClick};
    const EventTypeSpec key = {kEventClassKeyboard, kEventRawKeyDown};
    EventHandlerUPP updateUPP = NewEventHandlerUPP(CDAboutDlg_CatchUpdateEventForOSXCFMHProc);
    EventHandlerUPP clickUPP = NewEventHandlerUPP(CDAboutDlg_CatchContentMouseDownForOSXCFMHProc);
    EventHandlerUPP keyUPP = NewEventHandlerUPP(CDAboutDlg_CatchDialogKeyRowDownForOSXCFMHProc);
    EventHandlerRef handlers[3] = {nullptr, nullptr, nullptr};
    EventTargetRef target = GetWindowEventTarget(window);
    InstallEventHandler(target, updateUPP, 1, &update, about, &handlers[0]);
    InstallEventHandler(target, clickUPP, 1, &click, about, &handlers[1]);
    InstallEventHandler(target, keyUPP, 1, &key, about, &handlers[2]);
    // The window's own control item takes a click on the dismiss button: it ends the box too.
    if (cSp_ControlItem* dismiss = about->window->SetupDialogContorlItem(1, 0)) {
      dismiss->SetButtonOperationCompleatedProc(CDAboutDlg_CatchDismissButtonCB,
                                                reinterpret_cast<unsigned long>(about));
    }
    DrawDialog(dialog);
    Sp_RedrawViewWindow(window, 0);
    RunAppModalLoopForWindow(window);
    for (EventHandlerRef handler : handlers) {
      if (handler != nullptr) RemoveEventHandler(handler);
    }
    DisposeEventHandlerUPP(updateUPP);
    DisposeEventHandlerUPP(clickUPP);
    DisposeEventHandlerUPP(keyUPP);
  } else {
    ModalFilterUPP filter = NewModalFilterUPP(CDR_AboutDialogFilter);
    DialogItemIndex item = 0;
    while (item != 1) ModalDialog(filter, &item);
    DisposeModalFilterUPP(filter);
  }
  if (about->banner != nullptr) Sp_ResM_ReleasePicture(about->banner, about->bannerRef);
  if (about->emblem != nullptr) Sp_ResM_ReleasePicture(about->emblem, about->emblemRef);
  delete about->versionView;
  about->window->Close();
  delete about->window;
  delete about;
  return true;
}
