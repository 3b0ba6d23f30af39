// What the save commands ask of the save set-up and the existing-name question: their records
// and entry points, with plain forms of them (CDMediaMgrSaveInterim.cpp) until their full
// dialogs are in place.
#pragma once

#include "CDMediaMgrFileName.h"
#include "CDMediaMgrSaveSetupDlg.h"
#include "Files.h"
#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpCDDiscPosition.h"

class cCDR_MediaItem;
class cPrefStockFileObj;
class cSayErrorNoMgr;
class cSp_CDRProgramBaseObj;
class cSp_CDRProgramItemObj;
class ciTunesMusicInfoObj;

// The choices of the save set-up.
struct sCDR_SaveSetupInfo {
  float speed;
  tCDRISoundFileType fileType;  // 'AIFF', 'AIFC', 'WAVE', 'MooV' or 'QTnc'
  unsigned char movieFlag;
  OSType compressionType;
  UnsignedFixed sampleRate;  // 16.16
  short sampleSize;
  short channels;
  Handle codecSettings;  // owned by the caller after the set-up
  unsigned char folderValid;
  FSRef folder;  // the target folder when saving into each file
};

// The save set-up: 1 when the person confirmed, with `result` filled.
unsigned char CDRMGR_AskSaveSetup(const Rect& area, cPrefStockFileObj* stock,
                                  sCDR_SaveSetupDlgSpeedInfo speeds, UInt32 sampleRate,
                                  short sampleSize, short channels, sCDR_SaveSetupInfo& result,
                                  unsigned char eachFile, short itemCount);

// What to do with a file name that exists.
typedef UInt8 tSaveFileNameModifyProcType;
enum : tSaveFileNameModifyProcType {
  kQel_NoChoice = 0,
  kQel_NewName = 1,
  kQel_AutoNumber = 2,
  kQel_DeleteOld = 3,
  kQel_Skip = 4,
};
struct sQel_SaveFileNameProcTypeInfo {
  tSaveFileNameModifyProcType method;
  UInt8 afterFile;  // the choice holds for the following items too
};

// The existing-name question: 1 with `result` and goOn 1 when answered; 0 when cancelled
// or when it could not be shown (goOn 0, result untouched).
unsigned char Qel_AskFileSavingMethodForAutoFilingProcess(cPrefStockFileObj* stock,
                                                          const char* firstText,
                                                          const char* secondText,
                                                          unsigned char moreFollow,
                                                          sQel_SaveFileNameProcTypeInfo& result,
                                                          unsigned char& goOn);
