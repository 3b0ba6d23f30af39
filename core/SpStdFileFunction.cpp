// The file library's paths, names and catalogue look-ups.

#include "SpStdFileFunction.h"

#include <cstring>
#include <string>

#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFileFunctionInternal.h"
#include "SpStdFunction.h"

namespace {

// Asks the catalogue about one item: index 0 the item `name` in the folder dirID, -1 the
// folder dirID itself (its name copied into `name`).
OSErr AskCatalog(short vRefNum, SInt32 dirID, StringPtr name, SInt16 index, CInfoPBRec* pb) {
  std::memset(pb, 0, sizeof *pb);
  pb->dirInfo.ioNamePtr = name;
  pb->dirInfo.ioVRefNum = vRefNum;
  pb->dirInfo.ioFDirIndex = index;
  pb->dirInfo.ioDrDirID = dirID;
  return PBGetCatInfoSync(pb);
}

}  // namespace

namespace sp_filelib {

const char kSource[] = "SpStdFileFunction";
const char kOSXSource[] = "SpStdFileFunctionForOSX";
const char kMsgRequiredArgument0L[] = "Required argument is 0L";
const char kMsgRequiredArgumentNull[] = "Required argument is null !!";
const char kMsgCannotAllocate[] = "cannot allocated memory !!";
const char kMsgRenameError[] = "Rename Error !!";
const char kMsgError[] = "Error !! ";

OSErr ReportNullPointer(const char* method) {
  return SpReportFailure(kSource, method, 1, kSpMsgPointerArg, OSErr(paramErr));
}

void ToCString(ConstStr255Param name, char* out) {
  std::memmove(out, name + 1, name[0]);
  out[name[0]] = '\0';
}

OSErr ClassicNameOfItem(const FSSpec& spec, SInt32 id, bool isFolder, char* out) {
  if (spec.name[0] < kLongNameBytes) {
    ToCString(spec.name, out);
    return noErr;
  }
  // An FSSpec carries up to 63 bytes; the classic catalogue gives the 31-byte form of the
  // same stand-in, found by the item's id (files and folders share the id space).
  Str255 name;
  name[0] = 0;
  OSErr err;
  if (isFolder) {
    CInfoPBRec pb;
    std::memset(&pb, 0, sizeof pb);
    pb.dirInfo.ioNamePtr = name;
    pb.dirInfo.ioVRefNum = spec.vRefNum;
    pb.dirInfo.ioFDirIndex = -1;
    pb.dirInfo.ioDrDirID = id;
    err = PBGetCatInfoSync(&pb);
  } else {
    HParamBlockRec pb;
    std::memset(&pb, 0, sizeof pb);
    pb.fidParam.ioNamePtr = name;
    pb.fidParam.ioVRefNum = spec.vRefNum;
    pb.fidParam.ioFileID = id;
    err = PBResolveFileIDRefSync(&pb);
  }
  if (err != noErr) return err;
  if (name[0] == 0 || name[0] >= kLongNameBytes) return bdNamErr;
  ToCString(name, out);
  return noErr;
}

void ClassicFileBlock(short vRefNum, SInt32 dirID, StringPtr name, HParamBlockRec* pb) {
  std::memset(pb, 0, sizeof *pb);
  pb->fileParam.ioNamePtr = name;
  pb->fileParam.ioVRefNum = vRefNum;
  pb->fileParam.ioFDirIndex = 0;
  pb->fileParam.ioDirID = dirID;
}

OSErr LookUpItem(short vRefNum, SInt32 dirID, const char* name, ItemFacts* facts) {
  // The catalogue takes an empty name for the folder itself, which is no item inside it.
  if (name[0] == '\0') return bdNamErr;
  if (IsLongName(name)) {
    FSRef ref;
    OSErr err =
        Sp_GetFSRefFromDirectoryIdAndLongFileName(vRefNum, dirID, name, kNameEncoding, &ref);
    if (err != noErr) return err;
    FSCatalogInfo info;
    err = FSGetCatalogInfo(
        &ref, kFSCatInfoNodeFlags | kFSCatInfoNodeID | kFSCatInfoParentDirID | kFSCatInfoVolume,
        &info, nullptr, nullptr, nullptr);
    if (err != noErr) return err;
    facts->isFolder = (info.nodeFlags & kFSNodeIsDirectoryMask) != 0;
    facts->id = static_cast<SInt32>(info.nodeID);
    facts->parentID = static_cast<SInt32>(info.parentDirID);
    facts->vRefNum = info.volume;
    return noErr;
  }
  Str255 pascalName;
  Sp_CopyCStringToPascalName(name, pascalName);
  CInfoPBRec pb;
  OSErr err = AskCatalog(vRefNum, dirID, pascalName, 0, &pb);
  if (err != noErr) return err;
  facts->isFolder = (pb.hFileInfo.ioFlAttrib & kioFlAttribDirMask) != 0;
  facts->id = facts->isFolder ? pb.dirInfo.ioDrDirID : pb.hFileInfo.ioDirID;
  facts->parentID = facts->isFolder ? pb.dirInfo.ioDrParID : pb.hFileInfo.ioFlParID;
  facts->vRefNum = pb.hFileInfo.ioVRefNum;
  return noErr;
}

bool ToUnicode(const char* text, CFStringEncoding encoding, std::vector<UniChar>& out) {
  out.clear();
  if (text == nullptr || text[0] == '\0') return false;
  char* block = nullptr;
  SInt32 characters = 0;
  SInt32 length = 0;
  if (!Sp_CStringToEncodingString(text, encoding, kCFStringEncodingUnicode, 0, 0, &block,
                                  &characters, &length)) {
    return false;
  }
  std::size_t units = static_cast<std::size_t>(length) / sizeof(UniChar);
  out.resize(units);
  std::memcpy(out.data(), block, units * sizeof(UniChar));
  DisposePtr(block);
  return units > 0;
}

}  // namespace sp_filelib

using namespace sp_filelib;

namespace {

// A folder chain deeper than this is a loop in the catalogue, never a real folder.
constexpr int kMaxFolderDepth = 1024;

// The folder's full path, walking up through the parents to the root folder, whose name is
// the volume's. With a limit, a path longer than kSpMaxFullPathLength is refused (bdNamErr).
OSErr CollectFolderPath(SInt32 dirID, short vRefNum, bool limit, std::string& path) {
  path.clear();
  SInt32 current = dirID;
  for (int depth = 0; depth < kMaxFolderDepth; ++depth) {
    Str255 name = {0};
    SInt32 id = 0, parent = 0;
    OSErr err = SpGetFolderNameAndParent(vRefNum, current, name, &id, &parent);
    if (err != noErr) return err;
    std::string part(reinterpret_cast<const char*>(name + 1), name[0]);
    path = depth == 0 ? part : part + ":" + path;
    if (limit && path.size() > std::size_t(kSpMaxFullPathLength)) return bdNamErr;
    if (id == fsRtDirID) return noErr;
    current = parent;
  }
  return dirNFErr;
}

void CopyOut(const std::string& text, char* out) {
  std::memcpy(out, text.c_str(), text.size() + 1);
}

// Adds ":" and the name, when there is one, to a full path; bdNamErr when that makes it too
// long.
OSErr AppendName(std::string& path, const char* name) {
  if (name == nullptr || name[0] == '\0') return noErr;
  path += ":";
  path += name;
  return path.size() > std::size_t(kSpMaxFullPathLength) ? bdNamErr : noErr;
}

// Hands out the path, or an empty text after a failure, and gives back the result.
OSErr HandOutPath(OSErr err, const std::string& path, char* out) {
  CopyOut(err == noErr ? path : std::string(), out);
  return err;
}

}  // namespace

// ---- Building paths ------------------------------------------------------------------------

OSErr Sp_DirFullPathNameFromDirID(SInt32 dirID, short vRefNum, char* out) {
  if (out == nullptr) return ReportNullPointer("Sp_DirFullPathNameFromDirID");
  std::string path;
  OSErr err = CollectFolderPath(dirID, vRefNum, true, path);
  return HandOutPath(err, path, out);
}

OSErr Sp_PathNameFromDirID(SInt32 dirID, short vRefNum, char* inout) {
  if (inout == nullptr) return ReportNullPointer("Sp_PathNameFromDirID");
  std::string path;
  OSErr err = CollectFolderPath(dirID, vRefNum, true, path);
  if (err == noErr) err = AppendName(path, inout);
  return HandOutPath(err, path, inout);
}

OSErr Sp_FullPathNameFromFileInfo(short vRefNum, SInt32 dirID, const char* name, char* out) {
  if (out == nullptr) return ReportNullPointer("Sp_FullPathNameFromFileInfo");
  std::string path;
  OSErr err = CollectFolderPath(dirID, vRefNum, true, path);
  if (err == noErr && path.empty()) err = paramErr;
  if (err == noErr) err = AppendName(path, name);
  return HandOutPath(err, path, out);
}

OSErr Sp_GetDirNameFromDirID(SInt32 dirID, short vRefNum, char* name, SInt32* parentDirID) {
  if (name == nullptr && parentDirID == nullptr) return ReportNullPointer("Sp_GetDirNameFromDirID");
  Str255 folderName = {0};
  SInt32 parent = 0;
  OSErr err = SpGetFolderNameAndParent(vRefNum, dirID, folderName, nullptr, &parent);
  if (err != noErr) {
    if (name != nullptr) name[0] = '\0';
    return err;
  }
  if (name != nullptr) ToCString(folderName, name);
  if (parentDirID != nullptr) *parentDirID = parent;
  return noErr;
}

OSErr Sp_GetDirFullPathNameLength(short vRefNum, SInt32 dirID, short& length) {
  std::string path;
  OSErr err = CollectFolderPath(dirID, vRefNum, false, path);
  length = static_cast<short>(path.size() > 0x7FFF ? 0x7FFF : path.size());
  return err;
}

OSErr Sp_GetFileOrDirFullPathNameLength(short vRefNum, SInt32 dirID, const char* name,
                                        short& length) {
  if (name == nullptr) return ReportNullPointer("Sp_GetFileOrDirFullPathNameLength");
  OSErr err = Sp_GetDirFullPathNameLength(vRefNum, dirID, length);
  if (err == noErr) {
    std::size_t total = std::size_t(length) + std::strlen(name) + 1;
    length = static_cast<short>(total > 0x7FFF ? 0x7FFF : total);
  }
  return err;
}

// ---- Splitting paths -----------------------------------------------------------------------
//
// ':' and '.' are single-byte characters that never occur as the second byte of a two-byte
// MacJapanese character, so searching for them byte by byte is safe. Each result is built
// apart first, so the output may be the input buffer itself.

void Sp_GetFileNameFromFullPath(const char* path, char* out) {
  if (path == nullptr || out == nullptr) {
    SpReportFailure(kSource, "Sp_GetFileNameFromFullPath", 1, kSpMsgPointerArg);
    return;
  }
  if (path[0] == '\0') return;
  const char* colon = std::strrchr(path, ':');
  CopyOut(std::string(colon != nullptr ? colon + 1 : path), out);
}

void Sp_GetDirFullPathNameFromFullPathFileName(const char* path, char* out,
                                               unsigned char addColonFlag) {
  if (path == nullptr || out == nullptr) {
    SpReportFailure(kSource, "Sp_GetDirFullPathNameFromFullPathFileName", 1, kSpMsgPointerArg);
    return;
  }
  const char* colon = std::strrchr(path, ':');
  std::string folder = colon != nullptr ? std::string(path, colon) : std::string();
  if (addColonFlag) folder += ":";
  CopyOut(folder, out);
}

void Sp_GetVolNameFromFullPath(const char* path, char* out) {
  if (path == nullptr || out == nullptr) {
    SpReportFailure(kSource, "Sp_GetVolNameFromFullPath", 1, kSpMsgPointerArg);
    return;
  }
  const char* colon = std::strchr(path, ':');
  CopyOut(colon != nullptr ? std::string(path, colon) : std::string(path), out);
}

Boolean Sp_GetFileExtendName(const char* name, char* out) {
  if (name == nullptr || out == nullptr) {
    return SpReportFailure(kSource, "Sp_GetFileExtendName", 1, kSpMsgPointerArg, Boolean(0));
  }
  const char* dot = std::strrchr(name, '.');
  if (dot == nullptr || dot[1] == '\0') return 0;
  CopyOut(std::string(dot + 1), out);
  return 1;
}

void Sp_GetNotContainFileExtendFileName(const char* name, char* out) {
  if (name == nullptr || out == nullptr) {
    SpReportFailure(kSource, "Sp_GetNotContainFileExtendFileName", 1, kSpMsgPointerArg);
    return;
  }
  const char* dot = std::strrchr(name, '.');
  if (dot == nullptr || dot[1] == '\0') {
    CopyOut(std::string(name), out);
  } else {
    CopyOut(std::string(name, dot), out);
  }
}

void Sp_GetArrangePathNameFromFullPath(const char* path, char* out) {
  if (path == nullptr || out == nullptr) {
    SpReportFailure(kSource, "Sp_GetArrangePathNameFromFullPath", 1, kSpMsgPointerArg);
    return;
  }
  std::string text(path);
  std::size_t colons = 0;
  for (char c : text) colons += c == ':';
  if (colons <= 2) {
    CopyOut(text, out);
    return;
  }
  std::size_t first = text.find(':');
  std::size_t last = text.rfind(':');
  std::size_t beforeLast = text.rfind(':', last - 1);
  CopyOut(text.substr(0, first) + ":..:" + text.substr(beforeLast + 1), out);
}

// ---- Look-ups ------------------------------------------------------------------------------

OSErr Sp_GetVolIdFromVolName(const char* volumeName, short& vRefNum) {
  if (volumeName == nullptr) return ReportNullPointer("Sp_GetVolIdFromVolName");
  std::string withColon = std::string(volumeName) + ":";
  Str255 name;
  if (!Sp_CopyCStringToPascalName(withColon.c_str(), name)) return bdNamErr;
  HParamBlockRec pb;
  std::memset(&pb, 0, sizeof pb);
  pb.volumeParam.ioNamePtr = name;
  pb.volumeParam.ioVolIndex = -1;
  pb.volumeParam.ioVRefNum = 0;
  OSErr err = PBHGetVInfoSync(&pb);
  if (err == noErr) vRefNum = pb.volumeParam.ioVRefNum;
  return err;
}

OSErr Sp_GetDirIdFromFullPathName(const char* path, SInt32& dirID) {
  if (path == nullptr) return ReportNullPointer("Sp_GetDirIdFromFullPathName");
  // A full path without a colon is a volume's name, that is its root folder; the catalogue
  // would take the bare name as an item of the default folder.
  std::string fullPath(path);
  if (fullPath.find(':') == std::string::npos) fullPath += ":";
  Str255 name;
  if (!Sp_CopyCStringToPascalName(fullPath.c_str(), name)) return bdNamErr;
  CInfoPBRec pb;
  OSErr err = AskCatalog(0, 0, name, 0, &pb);
  if (err == noErr) dirID = pb.dirInfo.ioDrDirID;
  return err;
}

OSErr Sp_GetDirIdFromDirNameInDirId(short vRefNum, SInt32 parentDirID, const char* name,
                                    SInt32& dirID) {
  if (name == nullptr) return ReportNullPointer("Sp_GetDirIdFromDirNameInDirId");
  ItemFacts facts;
  OSErr err = LookUpItem(vRefNum, parentDirID, name, &facts);
  // A file's number is no folder's id; handing it on as one would misdirect the caller.
  if (err == noErr && !facts.isFolder) err = dirNFErr;
  if (err == noErr) dirID = facts.id;
  return err;
}

OSErr Sp_GetFileIdFromFileNameInDirId(short vRefNum, SInt32 dirID, const char* name,
                                      SInt32& fileID) {
  if (name == nullptr) return ReportNullPointer("Sp_GetFileIdFromFileNameInDirId");
  if (IsLongName(name)) {
    ItemFacts facts;
    OSErr err = LookUpItem(vRefNum, dirID, name, &facts);
    if (err == noErr && facts.isFolder) err = fnfErr;
    if (err == noErr) fileID = facts.id;
    return err;
  }
  Str255 fileName;
  Sp_CopyCStringToPascalName(name, fileName);
  HParamBlockRec pb;
  ClassicFileBlock(vRefNum, dirID, fileName, &pb);
  OSErr err = PBHGetFInfoSync(&pb);
  if (err == noErr) fileID = pb.fileParam.ioDirID;
  return err;
}

OSErr Sp_GetFileNameFromFileId(short vRefNum, SInt32 fileID, SInt32& parentDirID, char* name) {
  if (name == nullptr) return ReportNullPointer("Sp_GetFileNameFromFileId");
  Str255 fileName = {0};
  HParamBlockRec pb;
  std::memset(&pb, 0, sizeof pb);
  pb.fidParam.ioNamePtr = fileName;
  pb.fidParam.ioVRefNum = vRefNum;
  pb.fidParam.ioFileID = fileID;
  OSErr err = PBResolveFileIDRefSync(&pb);
  if (err != noErr) return err;
  parentDirID = pb.fidParam.ioSrcDirID;
  ToCString(fileName, name);
  return noErr;
}

OSErr Sp_GetFileInfoFromFullPathName(const char* path, short* vRefNum, SInt32* dirID, char* name) {
  if (path == nullptr || path[0] == '\0')
    return ReportNullPointer("Sp_GetFileInfoFromFullPathName");
  std::string text(path);
  if (vRefNum != nullptr) {
    std::string volume(text.size() + 1, '\0');
    Sp_GetVolNameFromFullPath(path, &volume[0]);
    OSErr err = Sp_GetVolIdFromVolName(volume.c_str(), *vRefNum);
    if (err != noErr) return err;
  }
  if (dirID != nullptr) {
    std::string folder(text.size() + 2, '\0');
    Sp_GetDirFullPathNameFromFullPathFileName(path, &folder[0], 0);
    OSErr err = Sp_GetDirIdFromFullPathName(folder.c_str(), *dirID);
    if (err != noErr) return err;
  }
  if (name != nullptr) Sp_GetFileNameFromFullPath(path, name);
  return noErr;
}

OSErr Sp_GetOSXUnicodeFileNameChangedFileName(short vRefNum, SInt32 dirID, const char* classicName,
                                              char* out, SInt32 outSize) {
  if (classicName == nullptr || classicName[0] == '\0' || out == nullptr) {
    return SpReportFailure(kSource, "Sp_GetOSXUnicodeFileNameChangedFileName", 1,
                           kMsgCannotAllocate, OSErr(memFullErr));
  }
  Str255 name;
  if (!Sp_CopyCStringToPascalName(classicName, name)) return bdNamErr;
  // The name is looked up once where it fits an FSSpec as it is (a list of many files asks
  // of each); otherwise, or when that finds nothing, through the FSSpec the name makes.
  FSRef ref;
  FSSpec direct;
  std::memset(&direct, 0, sizeof direct);
  OSErr err = fnfErr;
  if (name[0] < sizeof direct.name) {
    direct.vRefNum = vRefNum;
    direct.parID = dirID;
    std::memcpy(direct.name, name, std::size_t(name[0]) + 1);
    err = FSpMakeFSRef(&direct, &ref);
  }
  if (err != noErr) {
    FSSpec spec;
    err = FSMakeFSSpec(vRefNum, dirID, name, &spec);
    if (err != noErr) return err;
    err = FSpMakeFSRef(&spec, &ref);
    if (err != noErr) return err;
  }
  HFSUniStr255 unicodeName;
  err = FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, &unicodeName, nullptr, nullptr);
  if (err != noErr) return err;
  if (!Sp_UnicodeNameToCString(unicodeName.unicode, unicodeName.length, out, outSize)) {
    return paramErr;
  }
  return noErr;
}

// ---- Existence -----------------------------------------------------------------------------

short Sp_ExsitTargetFile(short vRefNum, SInt32 dirID, const char* name) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "Sp_ExsitTargetFile", 1, kSpMsgPointerArg, short(0));
  }
  // A long name is found through its FSRef, which names folders too: only a file counts, as
  // for a classic name.
  if (IsLongName(name)) {
    ItemFacts facts;
    return LookUpItem(vRefNum, dirID, name, &facts) == noErr && !facts.isFolder ? 1 : 0;
  }
  Str255 fileName;
  Sp_CopyCStringToPascalName(name, fileName);
  HParamBlockRec pb;
  ClassicFileBlock(vRefNum, dirID, fileName, &pb);
  return PBHGetFInfoSync(&pb) == noErr ? 1 : 0;
}

short Sp_ExsitTargetDirectory(short vRefNum, SInt32 dirID, const char* name) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "Sp_ExsitTargetDirectory", 1, kSpMsgPointerArg, short(0));
  }
  ItemFacts facts;
  return LookUpItem(vRefNum, dirID, name, &facts) == noErr ? 1 : 0;
}

short Sp_ExsitTargetDirectoryWithDirId(short vRefNum, SInt32 dirID) {
  SInt32 parent = 0;
  return Sp_GetDirNameFromDirID(dirID, vRefNum, nullptr, &parent) == noErr ? 1 : 0;
}

short Sp_ExsitTargetFileByFullPathName(const char* path) {
  if (path == nullptr || path[0] == '\0') return 0;
  short vRefNum = 0;
  SInt32 dirID = 0;
  std::string name(std::strlen(path) + 1, '\0');
  if (Sp_GetFileInfoFromFullPathName(path, &vRefNum, &dirID, &name[0]) != noErr) return 0;
  return Sp_ExsitTargetFile(vRefNum, dirID, name.c_str());
}

short Sp_ExsitTargetFolderUnderTheFolder(short vRefNum, SInt32 dirID, SInt32 ancestorDirID) {
  SInt32 current = dirID;
  for (int depth = 0; depth < kMaxFolderDepth; ++depth) {
    if (current == ancestorDirID) return 1;
    if (current == fsRtDirID || current == fsRtParID) return 0;
    SInt32 parent = 0;
    if (Sp_GetDirNameFromDirID(current, vRefNum, nullptr, &parent) != noErr) return 0;
    current = parent;
  }
  return 0;
}

// ---- The standard file dialogs' current folder ---------------------------------------------
//
// No standard file package exists here; the two values are kept for whoever asks, the volume
// negated as the standard file package kept it.

namespace {
SInt32 sfCurDirStore_GlV = 0;
short sfSaveDisk_GlV = 0;
}  // namespace

SInt32 Sp_GetSFCurDir() {
  return sfCurDirStore_GlV;
}

void Sp_SetSFCurDir(SInt32 dirID) {
  sfCurDirStore_GlV = dirID;
}

short Sp_GetSFCurVol() {
  return static_cast<short>(-sfSaveDisk_GlV);
}

void Sp_SetSFCurVol(short vRefNum) {
  sfSaveDisk_GlV = static_cast<short>(-vRefNum);
}
