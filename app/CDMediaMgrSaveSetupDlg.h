// The speeds the save set-up offers and where they are kept.
//
// The speed popup of the save set-up runs from a start speed to an end speed in steps of an
// interval; the three are kept in the preference stock under SpFourCC("SDlg") (SpFourCC("StSp"),
// SpFourCC("EdSp"), SpFourCC("Itvl"), doubles). The media window loads them when it is made.
#pragma once

#include "MacTypes.h"

class cPrefStockFileObj;

struct sCDR_SaveSetupDlgSpeedInfo {
  double startSpeed;
  double endSpeed;
  double interval;
};

enum : UInt32 {
  kCDR_SpeedGroup = SpFourCC("SDlg"),
  kCDR_StartSpeedKey = SpFourCC("StSp"),
  kCDR_EndSpeedKey = SpFourCC("EdSp"),
  kCDR_IntervalKey = SpFourCC("Itvl"),
};

// Copies each of the three values the stock holds into `speeds`; 1 only when all three were
// there. Nothing is created in the stock.
unsigned char CDRMGRSaveSpeedSetup_LoadInitialSetup(cPrefStockFileObj* stock,
                                                    sCDR_SaveSetupDlgSpeedInfo& speeds);
