#include "SpViewServices.h"

#include "SpCoreHooks.h"
#include "SpDialogAnalyzor.h"
#include "SpFontManager.h"
#include "SpHotSpotArea.h"
#include "SpResourceManager.h"
#include "SpServiceHooks.h"
#include "SpStdDrawingFunction.h"
#include "SpViewClass.h"
#include "SpViewWindow.h"

namespace {

Boolean EachInstalledFontName(tSpFontNameProcPtr proc, unsigned long refCon) {
  cSp_FontManager* fonts = Sp_GetFontManager(1);
  if (fonts == nullptr) return 0;
  for (cSp_FontItem* font = fonts->GetFontItemList(); font != nullptr;
       font = font->GetNextObjectPtr()) {
    char name[kSpFontNameSize];
    if (proc != nullptr) proc(font->GetTargetFontName(name), refCon);
  }
  return 1;
}

unsigned char GetDialogItemInfo(cDialogAnalyzor* analyzor, short itemNo, short* itemType,
                                Rect* rect) {
  return analyzor != nullptr ? analyzor->GetItemInfoByItemNo(itemNo, itemType, rect) : 0;
}

}  // namespace

void Sp_InstallViewServices() {
  sSpViewServices services = {};
  services.Sp_RedrawViewWindow = Sp_RedrawViewWindow;
  services.Sp_RedrawViewForUpdateEvent = Sp_RedrawViewForUpdateEvent;
  services.Sp_WindowRedrawSetupFromUpdateRgn = Sp_WindowRedrawSetupFromUpdateRgn;
  services.Sp_DisposeTargetWindowView = Sp_DisposeTargetWindowView;
  services.Sp_InterruptDrawView = Sp_InterruptDrawView;
  services.Sp_ViewManagerMouseMoveEventProcedure = Sp_ViewManagerMouseMoveEventProcedure;
  services.Sp_MouseDownHotSpot = Sp_MouseDownHotSpot;
  services.Sp_MouseUpHotSpot = Sp_MouseUpHotSpot;
  services.Sp_MouseDownMouseTrace = Sp_MouseDownMouseTrace;
  services.Sp_GetScreenSize = Sp_GetScreenSize;
  services.Sp_GetWindowSize = Sp_GetWindowSize;
  services.Sp_AddRedrawAreaInWindow = Sp_AddRedrawAreaInWindow;
  services.Sp_GlobalToLocalRgn = Sp_GlobalToLocalRgn;
  services.Sp_LocalToGlobalRgn = Sp_LocalToGlobalRgn;
  services.Sp_MoveControlOnDialog = Sp_MoveControlOnDialog;
  services.Sp_ResizeControlOnDialog = Sp_ResizeControlOnDialog;
  services.Sp_InitializeResourceManager = Sp_InitializeResourceManager;
  services.Sp_ResM_GetCCursorHandle = Sp_ResM_GetCCursorHandle;
  services.Sp_ResM_GetCursorHandle = Sp_ResM_GetCursorHandle;
  services.Sp_ResM_ReleaseCCursor = Sp_ResM_ReleaseCCursor;
  services.Sp_ResM_ReleaseCursor = Sp_ResM_ReleaseCursor;
  services.EachInstalledFontName = EachInstalledFontName;
  services.GetDialogItemInfo = GetDialogItemInfo;
  Sp_SetupViewServices(&services);
  SpCore_InstallIconServiceCheck(Sp_CheckEnableIconService);
}
