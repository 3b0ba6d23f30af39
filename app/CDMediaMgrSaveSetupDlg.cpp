#include "CDMediaMgrSaveSetupDlg.h"

#include "SpPreferenceStockObject.h"

unsigned char CDRMGRSaveSpeedSetup_LoadInitialSetup(cPrefStockFileObj* stock,
                                                    sCDR_SaveSetupDlgSpeedInfo& speeds) {
  if (stock == nullptr) return 0;
  cPrefStockData* group = stock->GetTargetStockDataItemInPrefTopDataList(kCDR_SpeedGroup, 1, 0);
  if (group == nullptr) return 0;
  const struct {
    UInt32 key;
    double* value;
  } fields[] = {{kCDR_StartSpeedKey, &speeds.startSpeed},
                {kCDR_EndSpeedKey, &speeds.endSpeed},
                {kCDR_IntervalKey, &speeds.interval}};
  int found = 0;
  for (const auto& field : fields) {
    cPrefStockData* item = group->GetTargetStockDataItemInUnderDataListByIdType(field.key, 0);
    double value = 0;
    if (item != nullptr && item->GetDblData(value)) {
      *field.value = value;
      ++found;
    }
  }
  return found == 3 ? 1 : 0;
}
