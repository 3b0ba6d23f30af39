// The names saved files get: built for one program item from the user's file-name definition
// of the saving mode, the item's tags, today's date and time, and the save's speed.
#pragma once

#include "MacTypes.h"
#include "TevoSaveFileNameDefObj.h"

class cCDR_MediaItem;
class cSayErrorNoMgr;
class cSp_CDRProgramBaseObj;
class cSp_CDRProgramItemObj;
class ciTunesMusicInfoObj;

// The name (without extension) of the file the item is saved into, zero-terminated in the
// buffer of `size` bytes (at least 10). Kind 3 uses the definition for saving each item into
// its own file, any other the one for saving into one file; a missing or damaged definition
// file gives the default definition. Texts from tags are cut on character boundaries. The name
// is one visible file name: it never holds ':', which separates the parts of the program's
// paths (a ':' of a tag or of the time is written '/', as the program shows a ':' of a Linux
// name, so the file on disk shows ':'), no control characters (a tag's line break or tab
// becomes a space) and never starts with '.' (it becomes '_').
// 1 when the name is not empty. The error manager is not used.
unsigned char CDRMMgr_CreateFileNameFromTargetProgramItem(
    tTevo_FileNameDefDlgType kind, cCDR_MediaItem* mediaItem, cSp_CDRProgramBaseObj* program,
    cSp_CDRProgramItemObj* item, ciTunesMusicInfoObj* library, float speed,
    cSayErrorNoMgr* errors, char* name, SInt32 size);

// Finds or makes the "Zanthe Folder" of the Preferences folder; 1 with its place.
Boolean CDRMMgr_GetFileNameDefFolder(short& vRefNum, SInt32& dirID);

// Makes a name one visible file name as above, in place.
void CDRMMgr_MakeNameSafeForFile(char* name);
