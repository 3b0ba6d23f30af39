// The save set-up's items and what it keeps: the speed popup, the type and channel popups, the
// compression texts and the window's two heights, the each-file folder and name example, and
// the preference stock ('FSvI': 'Sped', 'FTyp', 'WPos', 'cmpT', 'SmpR', 'SmpS', 'Chnl', and in
// each-file mode 'MEDr' and 'MENP'; 'MMgr' > 'MFiE' > 'FPos' the default each-file folder).
#include <algorithm>
#include <cmath>
#include <cstring>

#include "CDMediaMgrDialogSupport.h"
#include "CDMediaMgrSaveSetupDlg.h"
#include "Menus.h"
#include "QuickTimeComponents.h"
#include "Sound.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMSaveSoundData.h"
#include "SpErrorInfoSystem.h"
#include "SpPreferenceStockObject.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionFinderInfo.h"
#include "SpStdFileFunctionForOSX.h"
#include "SpStdFunctionNumber.h"
#include "SpStringView.h"
#include "SpWindow.h"
#include "TevoSaveFileNameDefObj.h"

namespace {

const char kSource[] = "CDMediaMgrSaveSetupDlg";

constexpr float kDefaultSpeed = 2.0f;

const OSType kTypeOfItem[] = {SpFourCC("AIFF"), SpFourCC("WAVE"), SpFourCC("MooV"),
                              SpFourCC("QTnc"), SpFourCC("AIFC")};

bool ReportNull(const void* state, const char* method) {
  if (state != nullptr) return false;
  SpReportFailure(kSource, method, 1, kSpMsgNullArgument);
  return true;
}

// The group of the top group `outer` named `inner`, made when `create`.
cPrefStockData* NestedGroup(cPrefStockFileObj* stock, UInt32 outer, UInt32 inner, bool create) {
  if (stock == nullptr) return nullptr;
  cPrefStockData* top = stock->GetTargetStockDataItemInPrefTopDataList(outer, 1, create ? 1 : 0);
  return top != nullptr ? top->GetTargetStockDataItemInUnderDataListByIdType(inner, create ? 1 : 0)
                        : nullptr;
}

// The speed read back from the selected item of the speed popup.
float SelectedSpeed(ControlRef popup, float fallback) {
  char text[256] = "";
  CDRDlg_PopupItemText(popup, GetControl32BitValue(popup), text);
  double value = 0;
  if (!Sp_StringToDouble(text, &value) || value <= 0) return fallback;
  return float(CDRMGRFileSaveSetup_RoundSpeed(value, 3));
}

void SetViewText(cSp_StringView* view, const std::string& text) {
  if (view != nullptr) view->SetString(text.c_str(), 1);
}

}  // namespace

// ---- Types ----------------------------------------------------------------------------------

OSType CDRMGRFileSaveSetup_FileTypeOfItem(SInt32 item) {
  if (item < 1 || item > 5) return SpFourCC("QTnc");
  return kTypeOfItem[item - 1];
}

SInt32 CDRMGRFileSaveSetup_ItemOfFileType(OSType type) {
  for (SInt32 i = 0; i < 5; ++i) {
    if (kTypeOfItem[i] == type) return i + 1;
  }
  return 3;
}

const char* CDRMGRFileSaveSetup_Extension(OSType type) {
  if (type == SpFourCC("WAVE")) return ".wav";
  if (type == SpFourCC("AIFF") || type == SpFourCC("AIFC")) return ".aif";
  return ".mov";
}

// ---- The speed popup ------------------------------------------------------------------------

namespace {

constexpr int kMaxSpeedDecimals = 3;
constexpr double kSpeedCeiling = 1.0e6;

SInt64 TenTo(int decimals) {
  SInt64 unit = 1;
  for (int i = 0; i < decimals; ++i) unit *= 10;
  return unit;
}

// The fewest decimals (1 to 3) that write the value, as far as three decimals go.
int DecimalsOf(double value) {
  for (int d = 1; d < kMaxSpeedDecimals; ++d) {
    const double scaled = value * double(TenTo(d));
    if (std::fabs(scaled - std::round(scaled)) < 1.0e-6 * std::max(1.0, std::fabs(scaled))) {
      return d;
    }
  }
  return kMaxSpeedDecimals;
}

// The value counted in units of the step's last decimal; -1 for what is no speed.
SInt64 UnitsOf(double value, SInt64 unit) {
  if (!(value == value) || value < 0) return -1;
  return SInt64(std::llround(std::min(value, kSpeedCeiling) * double(unit)));
}

// Units written with the step's decimals, trailing zeros dropped down to one decimal.
std::string UnitsText(SInt64 units, int decimals) {
  const SInt64 unit = TenTo(decimals);
  std::string fraction = std::to_string(units % unit);
  fraction.insert(0, std::size_t(decimals) - fraction.size(), '0');
  while (fraction.size() > 1 && fraction.back() == '0') fraction.pop_back();
  return std::to_string(units / unit) + "." + fraction;
}

// The decimals the popup's speeds are written with: those of the start or the interval,
// whichever has more.
int SpeedDecimals(const sCDR_SaveSetupDlgSpeedInfo& speeds) {
  return std::max(DecimalsOf(speeds.startSpeed), DecimalsOf(speeds.interval));
}

}  // namespace

double CDRMGRFileSaveSetup_RoundSpeed(double speed, int decimals) {
  const SInt64 unit = TenTo(std::clamp(decimals, 1, kMaxSpeedDecimals));
  const SInt64 units = UnitsOf(speed, unit);
  return units < 0 ? speed : double(units) / double(unit);
}

// Each speed is the start plus a whole number of steps, counted in units of the step's last
// decimal, so that no sum of inexact binary fractions creeps into what is shown.
std::vector<std::string> CDRMGRFileSaveSetup_SpeedItemTexts(
    const sCDR_SaveSetupDlgSpeedInfo& speeds) {
  std::vector<std::string> texts;
  const int decimals = SpeedDecimals(speeds);
  const SInt64 unit = TenTo(decimals);
  const SInt64 start = UnitsOf(speeds.startSpeed, unit), end = UnitsOf(speeds.endSpeed, unit);
  const SInt64 step = UnitsOf(speeds.interval, unit);
  for (SInt64 k = 0; start > 0 && SInt32(texts.size()) < kCDR_MaxSpeedItems; ++k) {
    const SInt64 units = start + k * std::max<SInt64>(step, 0);
    if (units > end) break;
    texts.push_back(UnitsText(units, decimals));
    // Without a step forward the start is the one speed there is.
    if (step <= 0) break;
  }
  if (texts.empty()) texts.push_back("1.0");
  return texts;
}

// ---- Stock ----------------------------------------------------------------------------------

unsigned char CDRMGRFileSaveSetup_GetDefaultSpeed(cPrefStockFileObj* stock, float& speed) {
  double stored = 0;
  if (!CDRDlg_LoadDouble(stock, kCDR_SaveSetupGroup, kCDR_SaveSpeedKey, stored) || stored <= 0) {
    return 0;
  }
  speed = float(stored);
  return 1;
}

Boolean CDRMM_GetDefaultStockPositionForMultiFileIntoEachFile(cPrefStockFileObj* stock,
                                                              FSRef& folder) {
  cPrefStockData* group = NestedGroup(stock, kCDR_MediaWindowGroup, kCDR_EachFileGroup, false);
  cPrefStockData* item =
      group != nullptr ? group->GetTargetStockDataItemInUnderDataListByIdType(
                             kCDR_EachFileFolderKey, 0)
                       : nullptr;
  return item != nullptr && item->GetFSRefTypeInfoData(folder) != 0;
}

Boolean CDRMM_SaveDefaultStockPositionForMultiFileIntoEachFile(cPrefStockFileObj* stock,
                                                               FSRef& folder) {
  cPrefStockData* group = NestedGroup(stock, kCDR_MediaWindowGroup, kCDR_EachFileGroup, true);
  cPrefStockData* item =
      group != nullptr
          ? group->GetTargetStockDataItemInUnderDataListByIdType(kCDR_EachFileFolderKey, 1)
          : nullptr;
  if (item == nullptr || !item->SetupFSRefTypeInfoData(folder, 1)) {
    return SpReportFailure(kSource, "CDRMM_SaveDefaultStockPositionForMultiFileIntoEachFile", 2,
                           kSpMsgMemory, Boolean(0));
  }
  return 1;
}

void CDRMGRFileSaveSetup_LoadInitialSetup(sCDRMGR_AskSaveInfoDlgData* state, Rect& area) {
  if (ReportNull(state, "CDRMGRFileSaveSetup_LoadInitialSetup")) return;
  cPrefStockFileObj* stock = state->stock;
  sCDR_SaveSetupInfo& info = state->info;
  info.speed = kDefaultSpeed;
  CDRMGRFileSaveSetup_GetDefaultSpeed(stock, info.speed);
  SInt32 type = 0;
  info.fileType = CDRDlg_LoadLong(stock, kCDR_SaveSetupGroup, kCDR_SaveFileTypeKey, type) &&
                          type > 0
                      ? OSType(type)
                      : SpFourCC("AIFF");
  cPrefStockData* compression =
      CDRDlg_StockItem(stock, kCDR_SaveSetupGroup, kCDR_SaveCompressionKey, false);
  OSType compressionType = 0;
  if (compression != nullptr && compression->GetOSTypeData(compressionType) &&
      compressionType != 0) {
    info.compressionType = compressionType;
    info.movieFlag = 1;
  }
  const struct {
    UInt32 key;
    SInt32 value;
  } numbers[] = {{kCDR_SaveSampleRateKey, 0}, {kCDR_SaveSampleSizeKey, 0}, {kCDR_SaveChannelsKey, 0}};
  for (auto number : numbers) {
    SInt32 value = 0;
    if (CDRDlg_LoadLong(stock, kCDR_SaveSetupGroup, number.key, value) && value > 0) {
      info.movieFlag = 1;
    }
  }
  const Point size = CDRDlg_WindowSize(state->windowObj);
  Point at = CDRDlg_CentreIn(area, size);
  Point stored = {0, 0};
  if (CDRDlg_LoadPoint(stock, kCDR_SaveSetupGroup, kCDR_DialogPositionKey, stored)) at = stored;
  at = CDRDlg_KeepInScreen(at, size, 10);
  state->windowObj->Move(at.h, at.v, 0);
}

void CDRMGRFileSaveSetup_StockInitialSetup(sCDRMGR_AskSaveInfoDlgData* state) {
  static const char kMethod[] = "CDRMGRFileSaveSetup_StockInitialSetup";
  if (ReportNull(state, kMethod) || ReportNull(state->stock, kMethod)) return;
  cPrefStockFileObj* stock = state->stock;
  if (stock->GetTargetStockDataItemInPrefTopDataList(kCDR_SaveSetupGroup, 1, 1) == nullptr) return;
  const sCDR_SaveSetupInfo& info = state->info;
  auto item = [&](UInt32 key) {
    return CDRDlg_StockItem(stock, kCDR_SaveSetupGroup, key, true);
  };
  cPrefStockData* speed = item(kCDR_SaveSpeedKey);
  if (speed == nullptr) return SpReportFailure(kSource, kMethod, 4, kSpMsgMemory);
  speed->SetupDblData(CDRMGRFileSaveSetup_RoundSpeed(info.speed, 3), 1);
  cPrefStockData* type = item(kCDR_SaveFileTypeKey);
  if (type == nullptr) return SpReportFailure(kSource, kMethod, 8, kSpMsgMemory);
  type->SetupLongData(SInt32(info.fileType), 1);
  if (info.fileType != SpFourCC("MooV")) return;
  cPrefStockData* compression = item(kCDR_SaveCompressionKey);
  if (compression == nullptr) return SpReportFailure(kSource, kMethod, 10, kSpMsgMemory);
  compression->SetupOSTypeData(info.compressionType, 1);
  const struct {
    UInt32 key;
    SInt32 value;
    SInt32 code;
  } numbers[] = {{kCDR_SaveSampleRateKey, SInt32(info.sampleRate), 12},
                 {kCDR_SaveSampleSizeKey, info.sampleSize, 14},
                 {kCDR_SaveChannelsKey, info.channels, 16}};
  for (const auto& number : numbers) {
    cPrefStockData* stored = item(number.key);
    if (stored == nullptr) return SpReportFailure(kSource, kMethod, number.code, kSpMsgMemory);
    stored->SetupLongData(number.value, 1);
  }
}

void CDRMGRFileSaveSetup_StockWindowPosit(sCDRMGR_AskSaveInfoDlgData* state) {
  static const char kMethod[] = "CDRMGRFileSaveSetup_StockWindowPosit";
  if (ReportNull(state, kMethod) || ReportNull(state->stock, kMethod)) return;
  if (!CDRDlg_StorePoint(state->stock, kCDR_SaveSetupGroup, kCDR_DialogPositionKey,
                         CDRDlg_WindowTopLeft(state->windowObj))) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgMemory);
  }
}

void CDRMGRFileSaveSetup_LoadInitialSetupForSavingMultiFileIntoEachFile(
    sCDRMGR_AskSaveInfoDlgData* state) {
  static const char kMethod[] = "CDRMGRFileSaveSetup_LoadInitialSetupForSavingMultiFileIntoEachFile";
  if (ReportNull(state, kMethod)) return;
  cPrefStockData* folder =
      CDRDlg_StockItem(state->stock, kCDR_SaveSetupGroup, kCDR_SaveEachFileFolderKey, false);
  FSRef stored;
  if (folder != nullptr && folder->GetFSRefTypeInfoData(stored) &&
      Sp_ExsitTargetFileOrDirByFSRef(&stored) != 0) {
    short vRefNum = 0;
    SInt32 dirID = 0, visible = 0;
    if (Sp_GetDirectoryPositionInfoFromFSRef(&stored, &vRefNum, &dirID) == noErr &&
        Sp_GetVisibleFolder(vRefNum, dirID, visible) && visible == dirID) {
      state->info.folder = stored;
      state->info.folderValid = 1;
    }
  }
  state->eachFilePointValid = CDRDlg_LoadPoint(state->stock, kCDR_SaveSetupGroup,
                                               kCDR_SaveEachFilePointKey, state->eachFilePoint)
                                  ? 1
                                  : 0;
}

void CDRMGRFileSaveSetup_StockInitialSetupForSavingMultiFileIntoEachFile(
    sCDRMGR_AskSaveInfoDlgData* state) {
  static const char kMethod[] = "CDRMGRFileSaveSetup_StockInitialSetupForSavingMultiFileIntoEachFile";
  if (ReportNull(state, kMethod) || ReportNull(state->stock, kMethod)) return;
  if (state->info.folderValid != 0) {
    cPrefStockData* folder =
        CDRDlg_StockItem(state->stock, kCDR_SaveSetupGroup, kCDR_SaveEachFileFolderKey, true);
    if (folder == nullptr || !folder->SetupFSRefTypeInfoData(state->info.folder, 1)) {
      SpReportFailure(kSource, kMethod, 2, kSpMsgMemory);
    }
  }
  if (state->eachFilePointValid != 0 &&
      !CDRDlg_StorePoint(state->stock, kCDR_SaveSetupGroup, kCDR_SaveEachFilePointKey,
                         state->eachFilePoint)) {
    SpReportFailure(kSource, kMethod, 3, kSpMsgMemory);
  }
}

// ---- Items ----------------------------------------------------------------------------------

void CDRMGRFileSaveSetup_InitialSetupDlgItem(sCDRMGR_AskSaveInfoDlgData* state,
                                             const sCDR_SaveSetupDlgSpeedInfo& speeds) {
  if (ReportNull(state, "CDRMGRFileSaveSetup_InitialSetupDlgItem")) return;
  sCDR_SaveSetupInfo& info = state->info;
  ControlRef popup = state->speedPopup;
  MenuRef menu = popup != nullptr ? GetControlPopupMenuHandle(popup) : nullptr;
  if (menu != nullptr) {
    for (SInt32 n = CountMenuItems(menu); n > 0; --n) DeleteMenuItem(menu, SInt16(n));
    SInt32 selected = 0, index = 0;
    // Compared to the last decimal a speed can have, so that the float kept for the speed
    // finds its item while a speed between two items finds none.
    const double wanted = CDRMGRFileSaveSetup_RoundSpeed(info.speed, 3);
    for (const std::string& text : CDRMGRFileSaveSetup_SpeedItemTexts(speeds)) {
      Str255 pascal;
      pascal[0] = UInt8(text.size());
      std::memcpy(pascal + 1, text.data(), text.size());
      AppendMenuItemText(menu, pascal);
      ++index;
      double value = 0;
      if (selected == 0 && Sp_StringToDouble(text.c_str(), &value) &&
          CDRMGRFileSaveSetup_RoundSpeed(value, 3) == wanted) {
        selected = index;
      }
    }
    SetControlPopupMenuHandle(popup, menu);
    SetControl32BitMinimum(popup, 1);
    SetControl32BitMaximum(popup, index);
    SetControl32BitValue(popup, selected != 0 ? selected : 1);
    info.speed = SelectedSpeed(popup, info.speed);
  }
  if (ControlRef type = CDRDlg_ItemControl(state->dialog, kCDR_SaveSetupTypeItem)) {
    SetControl32BitValue(type, CDRMGRFileSaveSetup_ItemOfFileType(info.fileType));
  }
  if (ControlRef options = CDRDlg_ItemControl(state->dialog, kCDR_SaveSetupOptionsItem)) {
    const SInt32 item = CDRMGRFileSaveSetup_ItemOfFileType(info.fileType);
    if (item == 3 || item == 5) {
      ActivateControl(options);
    } else {
      DeactivateControl(options);
    }
  }
  if (ControlRef channels = CDRDlg_ItemControl(state->dialog, kCDR_SaveSetupChannelsItem)) {
    SetControl32BitValue(channels, info.channels == 1 ? 1 : 2);
  }
}

void CDRMGRFileSaveSetup_GetDialogItemStatus(sCDRMGR_AskSaveInfoDlgData* state) {
  if (ReportNull(state, "CDRMGRFileSaveSetup_GetDialogItemStatus")) return;
  sCDR_SaveSetupInfo& info = state->info;
  if (ControlRef type = CDRDlg_ItemControl(state->dialog, kCDR_SaveSetupTypeItem)) {
    info.fileType = CDRMGRFileSaveSetup_FileTypeOfItem(GetControl32BitValue(type));
  }
  if (state->speedPopup != nullptr) info.speed = SelectedSpeed(state->speedPopup, info.speed);
  if (ControlRef channels = CDRDlg_ItemControl(state->dialog, kCDR_SaveSetupChannelsItem)) {
    info.channels = GetControl32BitValue(channels) == 1 ? 1 : 2;
  }
}

void CDRMGRFileSaveSetup_ModifyWindowSizeAndCompressInfo(sCDRMGR_AskSaveInfoDlgData* state) {
  if (ReportNull(state, "CDRMGRFileSaveSetup_ModifyWindowSizeAndCompressInfo")) return;
  const Point size = CDRDlg_WindowSize(state->windowObj);
  const sCDR_SaveSetupInfo& info = state->info;
  if (info.fileType != SpFourCC("MooV")) {
    if (state->shrunk == 0) {
      SizeWindow(state->window, size.h, state->shrunkHeight, true);
      state->shrunk = 1;
    }
    if (state->compressorView != nullptr) state->compressorView->DisableViewOutput(1);
    return;
  }
  if (state->shrunk != 0) {
    SizeWindow(state->window, size.h, state->fullHeight, true);
    state->shrunk = 0;
  }
  std::string compressor = SpCDR_MJ("圧縮プログラム：");
  if (info.compressionType == SpFourCC("NONE") || info.compressionType == SpFourCC("twos")) {
    compressor += SpCDR_MJ("なし");
  } else {
    Str255 name;
    name[0] = 0;
    if (GetCompressionName(info.compressionType, name) == noErr && name[0] != 0) {
      compressor += std::string(reinterpret_cast<const char*>(name + 1), name[0]);
    } else {
      compressor += SpCDR_MJ("未知のタイプ");
    }
  }
  char rate[kSpFloatTextSize] = "";
  Sp_FloatToString2(float(info.sampleRate / 65536.0 / 1000.0), rate, 3, 3);
  char bits[kSpNumberTextSize] = "";
  Sp_NumberToString(info.sampleSize, bits);
  if (state->compressorView != nullptr) state->compressorView->EnableViewOutput(1);
  SetViewText(state->compressorView, compressor);
  SetViewText(state->rateView, SpCDR_MJ("レート：") + rate + " kHz");
  SetViewText(state->sizeView, SpCDR_MJ("サイズ：") + bits + SpCDR_MJ(" ビット"));
}

void CDRMGRSaveSpeedSetup_SetupSaveTargetDirOutputItem(sCDRMGR_AskSaveInfoDlgData* state) {
  if (ReportNull(state, "CDRMGRSaveSpeedSetup_SetupSaveTargetDirOutputItem")) return;
  std::string path;
  if (state->info.folderValid == 0 || SpShownPathOfFSRef(&state->info.folder, &path) != noErr) {
    SetViewText(state->folderView, SpCDR_MJ("未設定"));
    return;
  }
  SetViewText(state->folderView, path);
}

void CDRMGRSaveSpeedSetup_SetupFileNameDefinitionExpOutputItem(sCDRMGR_AskSaveInfoDlgData* state) {
  if (ReportNull(state, "CDRMGRSaveSpeedSetup_SetupFileNameDefinitionExpOutputItem")) return;
  if (state->definition == nullptr) {
    SetViewText(state->nameView, SpCDR_MJ("ルールは未設定"));
    return;
  }
  char example[1024] = "";
  state->definition->CreateExampleStringForOutput(example, sizeof example, state->info.speed);
  SetViewText(state->nameView,
              std::string(example) + CDRMGRFileSaveSetup_Extension(state->info.fileType));
}

// ---- The compression dialog -----------------------------------------------------------------

void CDRMGRFileSaveSetup_FitCompressionToType(sCDR_SaveSetupInfo& info) {
  if (info.fileType != SpFourCC("AIFC") || SpCDR_AIFFCWriterTakesCompression(info.compressionType))
    return;
  info.compressionType = SpFourCC("twos");
  info.sampleSize = 16;
  if (info.codecSettings != nullptr) DisposeHandle(info.codecSettings);
  info.codecSettings = nullptr;
}

void CDRMGRFileSaveSetup_FitSampleSizeToCompression(sCDR_SaveSetupInfo& info) {
  CompressionInfo own{};
  own.recordSize = kCompressionInfoRecordSize;
  // Asked with no size, only uncompressed formats of one sample size answer with theirs.
  if (GetCompressionInfo(fixedCompression, info.compressionType, 1, 0, &own) == noErr &&
      own.compressionID == notCompressed && own.bytesPerSample > 0) {
    info.sampleSize = SInt16(own.bytesPerSample * 8);
  }
}

void CDRMGR_SetupSaveSetupDlgOptionDlgComponentInfo(sCDRMGR_AskSaveInfoDlgData* state,
                                                    ComponentInstance component) {
  if (ReportNull(state, "CDRMGR_SetupSaveSetupDlgOptionDlgComponentInfo")) return;
  sCDR_SaveSetupInfo& info = state->info;
  SCSetInfo(component, scSoundCompressionType, &info.compressionType);
  SCSetInfo(component, scSoundSampleRateType, &info.sampleRate);
  SCSetInfo(component, scSoundSampleSizeType, &info.sampleSize);
  SCSetInfo(component, scSoundChannelCountType, &info.channels);
  // AIFF-C is offered only what its writer writes.
  Handle offered = nullptr;
  if (info.fileType == SpFourCC("AIFC")) {
    const std::vector<OSType> taken = SpCDR_AIFFCWriterCompressions();
    offered = NewHandle(Size(taken.size() * sizeof(OSType)));
    if (offered != nullptr) std::memcpy(*offered, taken.data(), taken.size() * sizeof(OSType));
  }
  SCSetInfo(component, scCompressionListType, &offered);
  if (offered != nullptr) DisposeHandle(offered);
  if (state->quickTime6 != 0) {
    Boolean yes = 1;
    SCSetInfo(component, scSoundVBRCompressionOK, &yes);
    SCSetInfo(component, scSoundSampleRateChangeOK, &yes);
  }
}

void CDRMGR_GetSaveSetupDlgOptionDlgComponentInfo(sCDRMGR_AskSaveInfoDlgData* state,
                                                  ComponentInstance component) {
  if (ReportNull(state, "CDRMGR_GetSaveSetupDlgOptionDlgComponentInfo")) return;
  sCDR_SaveSetupInfo& info = state->info;
  OSType type = info.compressionType;
  if (SCGetInfo(component, scSoundCompressionType, &type) == noErr) {
    info.compressionType = type == SpFourCC("raw ") ? SpFourCC("twos") : type;
  }
  SCGetInfo(component, scSoundChannelCountType, &info.channels);
  SCGetInfo(component, scSoundSampleSizeType, &info.sampleSize);
  UnsignedFixed rate = 0;
  if (SCGetInfo(component, scSoundInputSampleRateType, &rate) != noErr || rate == 0) {
    SCGetInfo(component, scSoundSampleRateType, &rate);
  }
  if (rate != 0) info.sampleRate = rate;
  if (info.codecSettings != nullptr) {
    DisposeHandle(info.codecSettings);
    info.codecSettings = nullptr;
  }
  SCGetInfo(component, scCodecSettingsType, &info.codecSettings);
}
