// Files that cannot be read, kept aside (SpDamagedFile.h).
#include "SpDamagedFile.h"

#include "SpErrorInfoSystem.h"
#include "SpStdFileFunction.h"
#include "SpStdFunction.h"

std::string Sp_DamagedFileName(const char* name) {
  static const char kDamaged[] = " (damaged)";
  char cut[256];
  Sp_CutStringByByteLen(name != nullptr ? name : "", short(255 - (sizeof kDamaged - 1)), cut);
  return std::string(cut) + kDamaged;
}

namespace {

bool SpecialItemStandsAt(short vRefNum, SInt32 dirID, const char* name) {
  Str255 pascal;
  return name != nullptr && Sp_CopyCStringToPascalName(name, pascal) &&
         SpSpecialItemStandsAt(vRefNum, dirID, pascal);
}

bool FolderStandsAt(short vRefNum, SInt32 dirID, const char* name) {
  return name != nullptr && Sp_ExsitTargetFile(vRefNum, dirID, name) == 0 &&
         Sp_ExsitTargetDirectory(vRefNum, dirID, name) != 0;
}

}  // namespace

bool Sp_UnusableItemStandsAt(short vRefNum, SInt32 dirID, const char* name) {
  return FolderStandsAt(vRefNum, dirID, name) || SpecialItemStandsAt(vRefNum, dirID, name);
}

OSErr Sp_KeepDamagedFile(short vRefNum, SInt32 dirID, const char* name, const char* sourceFile,
                         const char* methodName, SInt32 code) {
  const std::string damaged = Sp_DamagedFileName(name);
  // A folder standing where a file is read from is no data either; it is moved aside so that
  // the next save can write the file. Replacing is for files only.
  // So is a FIFO (reading it would wait for a writer), a socket or a device.
  OSErr err;
  if (name == nullptr) {
    err = paramErr;
  } else if (FolderStandsAt(vRefNum, dirID, name)) {
    err = Sp_RenameFileDirectory(vRefNum, dirID, name, damaged.c_str());
  } else if (SpecialItemStandsAt(vRefNum, dirID, name)) {
    Str255 from, to;
    err = Sp_CopyCStringToPascalName(name, from) && Sp_CopyCStringToPascalName(damaged.c_str(), to)
              ? SpRenameSpecialItem(vRefNum, dirID, from, to)
              : OSErr(bdNamErr);
  } else {
    err = Sp_RenameFileReplacing(vRefNum, dirID, name, damaged.c_str());
  }
  const std::string message =
      std::string(kSpMsgFileError) + (err == noErr
                                          ? "kept as \"" + damaged + "\""
                                          : std::string("not kept aside: ") + std::to_string(err));
  SpReportFailure(sourceFile, methodName, code, message.c_str());
  return err;
}
