// Plain forms of the save set-up and the existing-name question: each
// shows its dialog from the application's resources and reads back what the person set.
#include "CDMediaMgrSaveInterim.h"


#include "Controls.h"
#include "Dialogs.h"
#include "Folders.h"
#include "MacWindows.h"
#include "SpPreferenceStockObject.h"

namespace {

cPrefStockData* SetupItem(cPrefStockFileObj* stock, UInt32 key) {
  if (stock == nullptr) return nullptr;
  cPrefStockData* group = stock->GetTargetStockDataItemInPrefTopDataList(SpFourCC("FSvI"), 1, 0);
  return group != nullptr ? group->GetTargetStockDataItemInUnderDataListByIdType(key, 0) : nullptr;
}

ControlRef ItemControl(DialogRef dialog, SInt16 item) {
  ControlRef control = nullptr;
  return GetDialogItemAsControl(dialog, item, &control) == noErr ? control : nullptr;
}

// Runs the dialog until one of items 1 and 2 is hit (radio buttons and check boxes follow
// their clicks meanwhile); the item.
DialogItemIndex RunUntilButton(DialogRef dialog) {
  ShowWindow(GetDialogWindow(dialog));
  DialogItemIndex hit = 0;
  for (;;) {
    ModalDialog(nullptr, &hit);
    if (hit == 1 || hit == 2 || hit == 0) return hit;
    if (hit >= 5 && hit <= 8) {
      for (SInt16 radio = 5; radio <= 8; ++radio) {
        if (ControlRef c = ItemControl(dialog, radio)) SetControlValue(c, radio == hit ? 1 : 0);
      }
    } else if (ControlRef c = ItemControl(dialog, hit)) {
      if (hit == 9) SetControlValue(c, GetControlValue(c) != 0 ? 0 : 1);
    }
  }
}

const tCDRISoundFileType kTypeOfPopupItem[] = {
    kSpCDRISoundFileTypeAIFF, kSpCDRISoundFileTypeWAVE, kSpCDRISoundFileTypeMovie,
    kSpCDRISoundFileTypeMovieNoCompress, kSpCDRISoundFileTypeAIFC};

}  // namespace

unsigned char CDRMGR_AskSaveSetup(const Rect&, cPrefStockFileObj* stock,
                                  sCDR_SaveSetupDlgSpeedInfo, UInt32 sampleRate,
                                  short sampleSize, short channels, sCDR_SaveSetupInfo& result,
                                  unsigned char eachFile, short) {
  sCDR_SaveSetupInfo setup = {};
  setup.speed = 2.0f;
  setup.fileType = kSpCDRISoundFileTypeAIFF;
  setup.compressionType = SpFourCC("twos");
  double speed = 0;
  if (cPrefStockData* item = SetupItem(stock, SpFourCC("Sped")))
    if (item->GetDblData(speed) && speed > 0) setup.speed = float(speed);
  SInt32 type = 0;
  if (cPrefStockData* item = SetupItem(stock, SpFourCC("FTyp")))
    if (item->GetLongData(type) && type > 0) setup.fileType = tCDRISoundFileType(type);
  OSType compression = 0;
  if (cPrefStockData* item = SetupItem(stock, SpFourCC("cmpT")))
    if (item->GetOSTypeData(compression) && compression != 0) setup.compressionType = compression;
  setup.sampleRate = sampleRate;
  setup.sampleSize = sampleSize;
  setup.channels = channels;
  if (eachFile != 0) {
    cPrefStockData* item = SetupItem(stock, SpFourCC("MEDr"));
    if (item != nullptr && item->GetFSRefTypeInfoData(setup.folder)) {
      setup.folderValid = 1;
    } else if (FSFindFolder(kOnSystemDisk, kDocumentsFolderType, true, &setup.folder) == noErr) {
      setup.folderValid = 1;
    }
  }
  DialogRef dialog = GetNewDialog(eachFile != 0 ? 134 : 133, nullptr, WindowRef(-1));
  if (dialog == nullptr) return 0;
  short popupItem = 1;
  for (short i = 0; i < 5; ++i) {
    if (kTypeOfPopupItem[i] == setup.fileType) popupItem = short(i + 1);
  }
  if (ControlRef c = ItemControl(dialog, 3)) SetControlValue(c, popupItem);
  if (ControlRef c = ItemControl(dialog, 8)) SetControlValue(c, channels == 1 ? 1 : 2);
  const DialogItemIndex hit = RunUntilButton(dialog);
  if (hit == 1) {
    if (ControlRef c = ItemControl(dialog, 3)) {
      const short value = GetControlValue(c);
      setup.fileType = value >= 1 && value <= 5 ? kTypeOfPopupItem[value - 1]
                                                : kSpCDRISoundFileTypeMovieNoCompress;
    }
    if (ControlRef c = ItemControl(dialog, 8)) setup.channels = GetControlValue(c) == 1 ? 1 : 2;
    setup.movieFlag = setup.fileType == kSpCDRISoundFileTypeMovie ? 1 : 0;
    result = setup;
  }
  DisposeDialog(dialog);
  return hit == 1 ? 1 : 0;
}

unsigned char Qel_AskFileSavingMethodForAutoFilingProcess(cPrefStockFileObj*, const char*,
                                                          const char*, unsigned char,
                                                          sQel_SaveFileNameProcTypeInfo& result,
                                                          unsigned char& goOn) {
  goOn = 0;
  DialogRef dialog = GetNewDialog(153, nullptr, WindowRef(-1));
  if (dialog == nullptr) return 0;
  if (ControlRef c = ItemControl(dialog, 5)) SetControlValue(c, 1);
  const DialogItemIndex hit = RunUntilButton(dialog);
  if (hit == 1) {
    result.method = kQel_NoChoice;
    for (SInt16 radio = 5; radio <= 8; ++radio) {
      ControlRef c = ItemControl(dialog, radio);
      if (c != nullptr && GetControlValue(c) != 0) result.method = UInt8(radio - 4);
    }
    ControlRef box = ItemControl(dialog, 9);
    result.afterFile = box != nullptr && GetControlValue(box) != 0 ? 1 : 0;
    goOn = 1;
  }
  DisposeDialog(dialog);
  return hit == 1 ? 1 : 0;
}
