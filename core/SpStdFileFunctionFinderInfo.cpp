#include "SpStdFileFunctionFinderInfo.h"

#include <cstring>

#include "Folders.h"
#include "Gestalt.h"
#include "MacMemory.h"
#include "Resources.h"
#include "SpCoreHooks.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFileFunction.h"
#include "SpStdFunction.h"

namespace {

const char kSource[] = "SpStdFileFunction";

// Folders can be walked up at most this far; a deeper chain means the catalogue is looping.
constexpr int kMaxFolderDepth = 4096;

// What the desktop database keeps of the six classic icon kinds (large and small icons of 1, 4
// and 8 bits): its buffer size and icon type for each. The other kinds are not kept there.
struct DesktopIconKind {
  IconSelectorValue selector;
  SInt32 bufferSize;
  UInt8 iconType;
};
constexpr DesktopIconKind kDesktopIconKinds[] = {
    {kSelectorLarge1Bit, 256, 1}, {kSelectorLarge4Bit, 512, 2}, {kSelectorLarge8Bit, 1024, 3},
    {kSelectorSmall1Bit, 64, 4},  {kSelectorSmall4Bit, 128, 5}, {kSelectorSmall8Bit, 256, 6},
};

// The desktop database's entry for an icon kind; null for a kind it does not keep.
const DesktopIconKind* DesktopKindOf(const SpIconKind& kind) {
  for (const DesktopIconKind& desktop : kDesktopIconKinds) {
    if (desktop.selector == kind.selector) return &desktop;
  }
  return nullptr;
}

// Puts a copy of the data into the suite as its icon of that kind. A handle the suite held
// for the kind before is disposed of, unless it is a resource's (those belong to the
// Resource Manager), so replacing an icon never leaks the old one.
bool AddCopyToSuite(Handle data, IconSuiteRef suite, ResType kind) {
  if (data == nullptr || suite == nullptr) return false;
  Handle copy = data;
  if (HandToHand(&copy) != noErr || copy == nullptr) return false;
  Handle old = nullptr;
  GetIconFromSuite(&old, suite, kind);
  if (AddIconToSuite(copy, suite, kind) != noErr) {
    DisposeHandle(copy);
    return false;
  }
  if (old != nullptr && old != copy && HomeResFile(old) == -1) DisposeHandle(old);
  return true;
}

// Catalogue information of the folder dirID itself.
OSErr GetFolderEntry(short vRefNum, SInt32 dirID, CInfoPBRec& pb) {
  std::memset(&pb, 0, sizeof(pb));
  pb.dirInfo.ioNamePtr = nullptr;
  pb.dirInfo.ioVRefNum = vRefNum;
  pb.dirInfo.ioFDirIndex = -1;
  pb.dirInfo.ioDrDirID = dirID;
  return PBGetCatInfoSync(&pb);
}

// A file's catalogue information by name.
OSErr GetFileEntry(short vRefNum, SInt32 dirID, const char* name, HParamBlockRec& pb) {
  Str255 pascalName;
  if (!Sp_CopyCStringToPascalName(name, pascalName)) return bdNamErr;
  std::memset(&pb, 0, sizeof(pb));
  pb.fileParam.ioNamePtr = pascalName;
  pb.fileParam.ioVRefNum = vRefNum;
  pb.fileParam.ioFDirIndex = 0;
  pb.fileParam.ioDirID = dirID;
  OSErr err = PBHGetFInfoSync(&pb);
  pb.fileParam.ioNamePtr = nullptr;
  return err;
}

// The folder's custom icon, kept as resources of the icon file inside the folder. The icons
// live in that file's resource fork, and this platform opens no resource files yet, so a
// custom icon is never found and the folder falls through to the other sources.
bool AddCustomFolderIcon(short vRefNum, SInt32 dirID, IconSuiteRef /*suite*/) {
  DInfo info;
  if (Sp_GetFolderFinderInformation(vRefNum, dirID, &info, nullptr) != noErr) return false;
  if ((info.frFlags & kHasCustomIcon) == 0) return false;
  char iconFileName[32];
  Sp_GetIconFileName(iconFileName);
  if (!Sp_ExsitTargetFile(vRefNum, dirID, iconFileName)) return false;
  return false;
}

// Copies the standard icons of that id: from the system file, else from the application's
// own resources, which stand in for the system's icon resources here.
bool AddStandardIcons(short resID, IconSuiteRef suite) {
  const SInt16 files[2] = {kSpSystemResFile, kSpApplicationResFile};
  for (SInt16 file : files) {
    UseResFile(file);
    if (ResError() != noErr) continue;
    if (Sp_GetIconDataFromCurrentResource(resID, suite)) return true;
  }
  return false;
}

// The table row whose folder type the Folder Manager finds at dirID on the volume.
bool FindFolderTypeIcon(const sFolderIconTableItem* table, int rows, short vRefNum, SInt32 dirID,
                        SInt32& iconID) {
  for (int i = 0; i < rows; ++i) {
    SInt16 foundVRefNum = 0;
    SInt32 foundDirID = 0;
    if (FindFolder(vRefNum, table[i].folderType, kDontCreateFolder, &foundVRefNum, &foundDirID) ==
            noErr &&
        foundDirID == dirID) {
      iconID = table[i].iconID;
      return true;
    }
  }
  return false;
}

}  // namespace

// "ƒ" in a folder type is the byte 0xC4.
const sFolderIconTableItem sRootFolderIconTable_GlV[6] = {
    {SpFourCC("desk"), -3992},    {SpFourCC("trsh"), -3993},    {SpFourCC("macs"), -3983},
    {SpFourCC("ast\xC4"), -3946}, {SpFourCC("uti\xC4"), -3945}, {SpFourCC("mor\xC4"), -3963},
};

const sFolderIconTableItem sSystemItemFolderIconTable_GlV[26] = {
    {SpFourCC("extn"), -3973},    {SpFourCC("ctrl"), -3976},    {SpFourCC("font"), -3968},
    {SpFourCC("pref"), -3974},    {SpFourCC("amnu"), -3982},    {SpFourCC("prnt"), -3975},
    {SpFourCC("strt"), -3981},    {SpFourCC("shdf"), -3981},    {SpFourCC("sdev"), -3962},
    {SpFourCC("\xC4scr"), -3959}, {SpFourCC("\xC4net"), -3958}, {SpFourCC("\xC4prd"), -3954},
    {SpFourCC("ppdf"), -3953},    {SpFourCC("ctrD"), -3951},    {SpFourCC("extD"), -3950},
    {SpFourCC("strD"), -3949},    {SpFourCC("cmnu"), -3942},    {SpFourCC("shdD"), -3948},
    {SpFourCC("asup"), -3944},    {SpFourCC("macD"), -3947},    {SpFourCC("cmnu"), -3942},
    {SpFourCC("\xC4voc"), -3952}, {SpFourCC("\xC4tex"), -3955}, {SpFourCC("\xC4lib"), -3956},
    {SpFourCC("\xC4hlp"), -3960}, {SpFourCC("\xC4snd"), -3961},
};

void Sp_FinderFlagsToFinderFlagsStruct(short flags, sFinderFlags& out) {
  const UInt16 bits = static_cast<UInt16>(flags);
  std::memset(&out, 0, sizeof(out));
  out.aliasFlag = (bits & kIsAlias) ? 1 : 0;
  out.invisibleFlag = (bits & kIsInvisible) ? 1 : 0;
  out.hasBundleFlag = (bits & kHasBundle) ? 1 : 0;
  out.nameLockedFlag = (bits & kNameLocked) ? 1 : 0;
  out.stationeryFlag = (bits & kIsStationery) ? 1 : 0;
  out.customIconFlag = (bits & kHasCustomIcon) ? 1 : 0;
}

// ---- Information ---------------------------------------------------------------------------

OSErr Sp_GetFileFinderInformation(short vRefNum, SInt32 dirID, const char* name, FInfo* finderInfo,
                                  sFileInformation* info) {
  if (name == nullptr || (finderInfo == nullptr && info == nullptr)) {
    return SpReportFailure(kSource, "Sp_GetFileFinderInformation", 1, kSpMsgNullArgument,
                           OSErr(paramErr));
  }
  Str255 pascalName;
  if (!Sp_CopyCStringToPascalName(name, pascalName)) return bdNamErr;
  FInfo read;
  std::memset(&read, 0, sizeof(read));
  OSErr err = HGetFInfo(vRefNum, dirID, pascalName, &read);
  if (err != noErr) return err;
  if (finderInfo != nullptr) *finderInfo = read;
  if (info != nullptr) {
    info->creator = read.fdCreator;
    info->fileType = read.fdType;
    Sp_FinderFlagsToFinderFlagsStruct(static_cast<short>(read.fdFlags), info->finderFlags);
    info->location = read.fdLocation;
  }
  return noErr;
}

OSErr Sp_GetFolderFinderInformation(short vRefNum, SInt32 dirID, DInfo* dirInfo,
                                    sDirectoryInfo* info) {
  if (dirInfo == nullptr && info == nullptr) {
    return SpReportFailure(kSource, "Sp_GetFolderFinderInformation", 1, kSpMsgNullArgument,
                           OSErr(paramErr));
  }
  CInfoPBRec pb;
  OSErr err = GetFolderEntry(vRefNum, dirID, pb);
  if (err != noErr) return err;
  const DInfo& read = pb.dirInfo.ioDrUsrWds;
  if (dirInfo != nullptr) *dirInfo = read;
  if (info != nullptr) {
    info->windowRect = read.frRect;
    info->location = read.frLocation;
    Sp_FinderFlagsToFinderFlagsStruct(static_cast<short>(read.frFlags), info->finderFlags);
  }
  return noErr;
}

OSErr Sp_GetFileInformation(short vRefNum, SInt32 dirID, const char* name, short* fileNumberLow,
                            FInfo* finderInfo, signed char* attributes, SInt32* dataLogical,
                            SInt32* dataPhysical, SInt32* resourceLogical, SInt32* resourcePhysical,
                            UInt32* created, UInt32* modified) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "Sp_GetFileInformation", 1, kSpMsgNullArgument,
                           OSErr(paramErr));
  }
  HParamBlockRec pb;
  OSErr err = GetFileEntry(vRefNum, dirID, name, pb);
  if (err != noErr) return err;
  const HFileParam& file = pb.fileParam;
  if (fileNumberLow != nullptr) *fileNumberLow = static_cast<short>(file.ioDirID & 0xFFFF);
  if (finderInfo != nullptr) *finderInfo = file.ioFlFndrInfo;
  if (attributes != nullptr) *attributes = file.ioFlAttrib;
  if (dataLogical != nullptr) *dataLogical = file.ioFlLgLen;
  if (dataPhysical != nullptr) *dataPhysical = file.ioFlPyLen;
  if (resourceLogical != nullptr) *resourceLogical = file.ioFlRLgLen;
  if (resourcePhysical != nullptr) *resourcePhysical = file.ioFlRPyLen;
  if (created != nullptr) *created = file.ioFlCrDat;
  if (modified != nullptr) *modified = file.ioFlMdDat;
  return noErr;
}

OSErr Sp_GetFolderInformation(short vRefNum, SInt32 dirID, const char* name,
                              signed char* attributes, short* itemCount, UInt32* created,
                              UInt32* modified, DXInfo* extendedInfo, SInt32* parentDirID) {
  CInfoPBRec pb;
  OSErr err;
  if (name == nullptr || name[0] == '\0') {
    err = GetFolderEntry(vRefNum, dirID, pb);
  } else {
    Str255 pascalName;
    if (!Sp_CopyCStringToPascalName(name, pascalName)) return bdNamErr;
    std::memset(&pb, 0, sizeof(pb));
    pb.dirInfo.ioNamePtr = pascalName;
    pb.dirInfo.ioVRefNum = vRefNum;
    pb.dirInfo.ioFDirIndex = 0;
    pb.dirInfo.ioDrDirID = dirID;
    err = PBGetCatInfoSync(&pb);
    pb.dirInfo.ioNamePtr = nullptr;
  }
  if (err != noErr) return err;
  // A file of that name has no folder information to give.
  if ((pb.dirInfo.ioFlAttrib & kioFlAttribDirMask) == 0) return dirNFErr;
  if (attributes != nullptr) *attributes = pb.dirInfo.ioFlAttrib;
  if (itemCount != nullptr) *itemCount = static_cast<short>(pb.dirInfo.ioDrNmFls);
  if (created != nullptr) *created = pb.dirInfo.ioDrCrDat;
  if (modified != nullptr) *modified = pb.dirInfo.ioDrMdDat;
  if (extendedInfo != nullptr) *extendedInfo = pb.dirInfo.ioDrFndrInfo;
  if (parentDirID != nullptr) *parentDirID = pb.dirInfo.ioDrParID;
  return noErr;
}

OSErr Sp_GetFileSize(short vRefNum, SInt32 dirID, const char* name, SInt32* totalLogical,
                     SInt32* totalPhysical, SInt32* dataLogical, SInt32* dataPhysical,
                     SInt32* resourceLogical, SInt32* resourcePhysical) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "Sp_GetFileSize", 1, kSpMsgNullArgument, OSErr(paramErr));
  }
  HParamBlockRec pb;
  OSErr err = GetFileEntry(vRefNum, dirID, name, pb);
  if (err != noErr) return err;
  const HFileParam& file = pb.fileParam;
  if (totalLogical != nullptr) *totalLogical = file.ioFlLgLen + file.ioFlRLgLen;
  if (totalPhysical != nullptr) *totalPhysical = file.ioFlPyLen + file.ioFlRPyLen;
  if (dataLogical != nullptr) *dataLogical = file.ioFlLgLen;
  if (dataPhysical != nullptr) *dataPhysical = file.ioFlPyLen;
  if (resourceLogical != nullptr) *resourceLogical = file.ioFlRLgLen;
  if (resourcePhysical != nullptr) *resourcePhysical = file.ioFlRPyLen;
  return noErr;
}

Boolean Sp_GetVisibleFolder(short vRefNum, SInt32 dirID, SInt32& visibleDirID) {
  visibleDirID = dirID;
  SInt32 candidate = 0;
  SInt32 current = dirID;
  for (int depth = 0; depth < kMaxFolderDepth; ++depth) {
    CInfoPBRec pb;
    if (GetFolderEntry(vRefNum, current, pb) != noErr ||
        (pb.dirInfo.ioFlAttrib & kioFlAttribDirMask) == 0) {
      return 0;
    }
    if ((pb.dirInfo.ioDrUsrWds.frFlags & kIsInvisible) != 0) {
      candidate = 0;
    } else if (candidate == 0) {
      candidate = current;
    }
    if (pb.dirInfo.ioDrParID == fsRtParID) {
      if (candidate == 0) return 0;
      visibleDirID = candidate;
      return 1;
    }
    current = pb.dirInfo.ioDrParID;
  }
  return 0;
}

Boolean Sp_CheckLocalVolume(short vRefNum) {
  GetVolParmsInfoBuffer parms;
  std::memset(&parms, 0, sizeof(parms));
  HParamBlockRec pb;
  std::memset(&pb, 0, sizeof(pb));
  pb.ioParam.ioVRefNum = vRefNum;
  pb.ioParam.ioBuffer = reinterpret_cast<Ptr>(&parms);
  pb.ioParam.ioReqCount = sizeof(parms);
  if (PBHGetVolParmsSync(&pb) != noErr) return 0;
  return parms.vMServerAdr == 0 ? 1 : 0;
}

// ---- Icons ---------------------------------------------------------------------------------

OSErr Sp_GetFileIconSuite(short vRefNum, SInt32 dirID, const char* name, IconSuiteRef suite) {
  if (suite == nullptr || name == nullptr) {
    return SpReportFailure(kSource, "Sp_GetFileIconSuite", 1, kSpMsgNullArgument, OSErr(paramErr));
  }
  if (name[0] == '\0') return paramErr;
  FInfo finderInfo;
  OSErr err = Sp_GetFileFinderInformation(vRefNum, dirID, name, &finderInfo, nullptr);
  if (err != noErr) return err;

  if (SpCore_IconServicesAvailable()) {
    Str255 pascalName;
    FSSpec spec;
    IconRef iconRef = nullptr;
    SInt16 label = 0;
    if (Sp_CopyCStringToPascalName(name, pascalName) &&
        FSMakeFSSpec(vRefNum, dirID, pascalName, &spec) == noErr &&
        GetIconRefFromFile(&spec, &iconRef, &label) == noErr) {
      Boolean added = Sp_GetIconDataFromIconRefNum(iconRef, suite);
      ReleaseIconRef(iconRef);
      if (added) return noErr;
    }
  }
  return Sp_GetFileIconSuiteFromDesktopDatabase(vRefNum, finderInfo.fdCreator, finderInfo.fdType,
                                                suite);
}

OSErr Sp_GetFileIconSuiteFromDesktopDatabase(short vRefNum, UInt32 creator, UInt32 fileType,
                                             IconSuiteRef suite) {
  if (suite == nullptr) {
    return SpReportFailure(kSource, "Sp_GetFileIconSuiteFromDesktopDatabase", 1, kSpMsgNullArgument,
                           OSErr(paramErr));
  }
  DTPBRec pb;
  std::memset(&pb, 0, sizeof(pb));
  pb.ioVRefNum = vRefNum;
  OSErr err = PBDTGetPath(&pb);
  if (err != noErr) return err;

  bool added = false;
  for (const SpIconKind& kind : kSpIconKinds) {
    const DesktopIconKind* desktop = DesktopKindOf(kind);
    if (desktop == nullptr) continue;
    Handle data = nullptr;
    GetIconFromSuite(&data, suite, kind.type);
    const bool made = data == nullptr;
    if (made) {
      data = NewHandleClear(desktop->bufferSize);
      if (data == nullptr) return memFullErr;
    } else if (GetHandleSize(data) < desktop->bufferSize) {
      // The database writes a whole buffer; the suite's handle must hold it.
      SetHandleSize(data, desktop->bufferSize);
      if (MemError() != noErr) continue;
    }
    HLock(data);
    pb.ioTagInfo = 0;
    pb.ioDTBuffer = *data;
    pb.ioDTReqCount = desktop->bufferSize;
    pb.ioIconType = desktop->iconType;
    pb.ioFileCreator = creator;
    pb.ioFileType = fileType;
    OSErr fetched = PBDTGetIconSync(&pb);
    HUnlock(data);
    if (fetched != noErr) {
      if (made) DisposeHandle(data);
      continue;
    }
    if (made && AddIconToSuite(data, suite, kind.type) != noErr) {
      DisposeHandle(data);
      continue;
    }
    added = true;
  }
  return added ? OSErr(noErr) : OSErr(paramErr);
}

Boolean Sp_GetIconDataFromCurrentResource(short resID, IconSuiteRef suite) {
  if (suite == nullptr) {
    return SpReportFailure(kSource, "Sp_GetIconDataFromCurrentResource", 1, kSpMsgNullArgument,
                           Boolean(0));
  }
  bool added = false;
  for (const SpIconKind& kind : kSpIconKinds) {
    if (DesktopKindOf(kind) == nullptr) continue;  // the classic kinds only
    Handle resource = Get1Resource(kind.type, resID);
    if (resource == nullptr) continue;
    if (AddCopyToSuite(resource, suite, kind.type)) added = true;
    // The system file's resources stay loaded for everybody; the others are let go.
    if (HomeResFile(resource) > kSpSystemResFile) ReleaseResource(resource);
  }
  return added ? 1 : 0;
}

Boolean Sp_GetIconDataFromIconRefNum(IconRef iconRef, IconSuiteRef suite) {
  if (suite == nullptr) {
    return SpReportFailure(kSource, "Sp_GetIconDataFromIconRefNum", 1, kSpMsgNullArgument,
                           Boolean(0));
  }
  if (iconRef == nullptr) return 0;
  bool added = false;
  for (const SpIconKind& kind : kSpIconKinds) {
    IconFamilyHandle family = nullptr;
    if (IconRefToIconFamily(iconRef, kind.selector, &family) != noErr || family == nullptr) {
      continue;
    }
    IconSuiteRef temporary = nullptr;
    if (IconFamilyToIconSuite(family, kind.selector, &temporary) == noErr && temporary != nullptr) {
      Handle before = nullptr;
      GetIconFromSuite(&before, suite, kind.type);
      ForEachIconDo(temporary, kind.selector, Sp_CatchCopyIconSuiteCB, suite);
      Handle after = nullptr;
      GetIconFromSuite(&after, suite, kind.type);
      if (after != nullptr && after != before) added = true;
      DisposeIconSuite(temporary, true);
    }
    DisposeHandle(reinterpret_cast<Handle>(family));
  }
  return added ? 1 : 0;
}

OSErr Sp_CatchCopyIconSuiteCB(ResType kind, Handle* iconData, void* targetSuite) {
  if (iconData != nullptr && *iconData != nullptr && targetSuite != nullptr) {
    AddCopyToSuite(*iconData, reinterpret_cast<IconSuiteRef>(targetSuite), kind);
  }
  return noErr;
}

OSErr Sp_GetFolderIconSuite(short vRefNum, SInt32 parentDirID, SInt32 dirID, IconSuiteRef suite) {
  if (suite == nullptr) {
    return SpReportFailure(kSource, "Sp_GetFolderIconSuite", 1, kSpMsgNullArgument,
                           OSErr(paramErr));
  }
  if (AddCustomFolderIcon(vRefNum, dirID, suite)) return noErr;
  if (SpCore_IconServicesAvailable()) {
    IconRef iconRef = nullptr;
    if (GetIconRefFromFolder(vRefNum, parentDirID, dirID, 0, 0, &iconRef) == noErr) {
      Boolean added = Sp_GetIconDataFromIconRefNum(iconRef, suite);
      ReleaseIconRef(iconRef);
      if (added) return noErr;
    }
  }
  return Sp_GetNormalFolderIcon(vRefNum, parentDirID, dirID, suite) ? OSErr(noErr) : OSErr(fnfErr);
}

Boolean Sp_GetNormalFolderIcon(short vRefNum, SInt32 parentDirID, SInt32 dirID,
                               IconSuiteRef suite) {
  if (suite == nullptr) {
    return SpReportFailure(kSource, "Sp_GetNormalFolderIcon", 1, kSpMsgNullArgument, Boolean(0));
  }
  SInt32 iconID = kSpGenericFolderIconID;
  SInt16 systemVRefNum = 0;
  SInt32 systemDirID = 0;
  const bool haveSystemFolder = FindFolder(vRefNum, kSystemFolderType, kDontCreateFolder,
                                           &systemVRefNum, &systemDirID) == noErr;

  if (parentDirID == fsRtParID) {
    FindFolderTypeIcon(sRootFolderIconTable_GlV, 6, vRefNum, dirID, iconID);
  } else if (haveSystemFolder && parentDirID == systemDirID) {
    FindFolderTypeIcon(sSystemItemFolderIconTable_GlV, 26, vRefNum, dirID, iconID);
  } else {
    DInfo info;
    const bool read = Sp_GetFolderFinderInformation(vRefNum, dirID, &info, nullptr) == noErr;
    if (parentDirID == fsRtDirID) {
      iconID = -3972;
    } else if (read) {
      if (info.frFlags & 0x0008) {
        iconID = -3977;
      } else if (info.frFlags & 0x0020) {
        iconID = -3978;
      } else if (info.frFlags & 0x0004) {
        iconID = -3980;
      }
    }
  }

  const SInt16 savedResFile = CurResFile();
  bool added = AddStandardIcons(static_cast<short>(iconID), suite);
  if (!added && iconID != kSpGenericFolderIconID) {
    added = AddStandardIcons(kSpGenericFolderIconID, suite);
  }
  UseResFile(savedResFile);
  return added ? 1 : 0;
}

void Sp_GetIconFileName(char* out) {
  if (out == nullptr) {
    SpReportFailure(kSource, "Sp_GetIconFileName", 1, kSpMsgNullArgument);
    return;
  }
  // The name is the Finder's (its resource file in the System Folder, string lists 11250 and
  // 4500, item 5). There is no System Folder and no Finder resource file here, so the name
  // is the one the Finder uses when its strings are missing.
  std::strcpy(out, "Icon\r");
}
