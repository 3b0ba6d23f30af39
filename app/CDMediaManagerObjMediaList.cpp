// The saved list of added sound files: written whenever the files of the window change, read
// once when the window opens. Audio CDs are never stored.
//
// The list is written to a side file of its own save and renamed over "FileMediaInfoV2.data"
// in one step, so a crash or a kill leaves either the old list or the new one, never none, and
// copies of the program saving at once never write into one side file. A whole side file found
// without a list beside it (a save killed before its rename; "FileMediaInfoV2tmp.data" of an
// older program that deleted the list before the rename) takes the list's name.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ByteOrder.h"
#include "CDMediaListFile.h"
#include "CDMediaManagerObj.h"
#include "CDObjectSource.h"
#include "Folders.h"
#include "QuickDraw.h"
#include "SpCDREngineAlert.h"
#include "SpCDROMProgram.h"
#include "SpCDR_ProgramItemObj.h"
#include "SpCDRomManager.h"
#include "SpDrawingView.h"
#include "SpFileLibSource.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionBackup.h"
#include "SpStdFunction.h"
#include "SpStdSayDialog.h"
#include "SpStringView.h"
#include "SpViewClass.h"

namespace {

const char kSource[] = "CDMediaManagerObj";
const char kPrefFolder[] = "Mirrelbox Prefs";
const char kListName[] = "FileMediaInfoV2.data";
const char kTempListName[] = "FileMediaInfoV2tmp.data";
const char kOldListName[] = "FileMediaInfo.data";
const char kFileError[] = "File Error !! ";
const short kAlertStrings = 5035;
const OSType kCreator = SpFourCC("Zqcd");
const OSType kFileType = SpFourCC("InDt");
// The progress bar is drawn again each time it has grown by this much.
const float kProgressStep = 0.02f;

// The Mirrelbox Prefs folder of a system folder when it is there (nothing is created).
bool FindPrefFolder(OSType folderType, short& vRefNum, SInt32& dirID) {
  SInt16 folderVRefNum = 0;
  SInt32 folderDirID = 0;
  if (FindFolder(kOnSystemDisk, folderType, kDontCreateFolder, &folderVRefNum, &folderDirID) !=
      noErr) {
    return false;
  }
  vRefNum = folderVRefNum;
  return Sp_GetDirIdFromDirNameInDirId(folderVRefNum, folderDirID, kPrefFolder, dirID) == noErr;
}

std::string IndexString(short index) {
  char text[256] = "";
  Sp_GetResourceIndexString(text, kAlertStrings, index);
  return text;
}

// A read procedure over an open list of the buffered file layer.
tCDR_MediaListReadProc FileReader(sSpFileSysInfo* file) {
  return [file](void* out, SInt32 n) -> OSErr {
    if (n == 0) return noErr;
    SInt32 got = 0;
    const OSErr err = Sp_ReadFileSystem_Read(file, n, static_cast<char*>(out), &got);
    if (err != noErr) return err;
    return got == n ? OSErr(noErr) : OSErr(eofErr);
  };
}

// A list save killed before its new list took the name left that list beside it: the newest
// that reads whole as a version-200 list takes the name. True when one did.
bool TakeBackMediaList(short vRefNum, SInt32 dirID) {
  return Sp_TakeBackSideFile(vRefNum, dirID, kListName, {kTempListName}, [&](const char* side) {
    sSpFileSysInfo* file = nullptr;
    if (Sp_ReadFileSystem_OpenByDirId(vRefNum, dirID, side, 0, 0, &file) != noErr) return false;
    const tCDR_MediaListReadProc read = FileReader(file);
    UInt8 version[4] = {0, 0, 0, 0};
    const bool whole =
        read(version, 4) == noErr && SInt32(sp::LoadBE32(version)) == kCDR_MediaListVersion &&
        CDRMM_ReadMediaListRecordsV200(read, [](const sCDR_MediaListRecord&, SInt32, SInt32) {
          return true;
        }).step == 0;
    Sp_FileSystem_Close(file, 1, 1);
    return whole;
  });
}

// The file's full path ("Volume:folder:name"), as Sp_FullPathNameFromFileInfo makes it, with
// the folder's part taken from the cache; empty when it cannot be made or is too long.
std::string FullPathInFolder(CDR_FolderPathCache& cache, short vRefNum, SInt32 dirID,
                             const char* name) {
  auto it = cache.find({vRefNum, dirID});
  if (it == cache.end()) {
    char folder[kSpMaxFullPathLength + 1] = "";
    if (Sp_DirFullPathNameFromDirID(dirID, vRefNum, folder) != noErr) folder[0] = '\0';
    it = cache.emplace(std::make_pair(vRefNum, dirID), std::string(folder)).first;
  }
  if (it->second.empty()) return std::string();
  std::string path = it->second;
  if (name != nullptr && name[0] != '\0') {
    path += ':';
    path += name;
  }
  return path.size() > std::size_t(kSpMaxFullPathLength) ? std::string() : path;
}

}  // namespace

// ---- Writing -----------------------------------------------------------------------------------

unsigned char cCDR_MediaManager::SaveSetupQTFileInfo() {
  return SaveSetupQTFileInfoVersion2();
}

cCDR_MediaItem* cCDR_MediaManager::CollectMediaListRecords(
    std::vector<sCDR_MediaListRecord>& records, CDR_FolderPathCache& folderPaths,
    cCDR_MediaItem* from, SInt32 most) {
  // Files of a list mostly share a few folders: each folder's path is looked up once.
  SInt32 taken = 0;
  cCDR_MediaItem* item = from;
  for (; item != nullptr; item = item->GetNextObjectPtr()) {
    if (most > 0 && taken == most) return item;
    ++taken;
    cSp_CDRProgramBaseObj* program = item->GetProgram();
    if (program == nullptr || !program->IsOneFileProgram(nullptr, nullptr)) continue;
    cSp_CDRProgramItemObj* first = program->GetFirstProgramItem();
    cSp_QTFileDataObj* file = first != nullptr ? first->GetQTFileMedia() : nullptr;
    if (file == nullptr) continue;
    if (records.size() >= std::size_t(kCDR_MediaListMaxCount)) return nullptr;
    sCDR_MediaListRecord record;
    record.vRefNum = first->GetVolumeRefNum();
    record.dirID = first->GetDirID();
    record.fileID = first->GetFileID();
    std::string name = first->GetFileName();
    if (name.size() > std::size_t(kCDR_MediaListMaxClassicName)) {
      char classic[64] = "";
      if (Sp_GetClassicFileNameFromDirectoryIdAndLongFileName(
              record.vRefNum, record.dirID, name.c_str(), kCFStringEncodingMacJapanese, classic) ==
          noErr) {
        record.longName = name;
        name = classic;
      }
    }
    record.classicName = name;
    if (record.longName.empty()) {
      char longName[512] = "";
      if (Sp_GetOSXUnicodeFileNameChangedFileName(record.vRefNum, record.dirID, name.c_str(),
                                                  longName, sizeof longName) == noErr) {
        record.longName = longName;
      }
    }
    record.fullPath = FullPathInFolder(folderPaths, file->GetVolumeRefNum(), file->GetDirID(),
                                       file->GetFileName());
    // The record holds the sample count where it is known: one the file does not state with
    // its length (an Ogg stream's packets, which only a walk over the whole file counts) is
    // left at 0, to be counted where it is used.
    sSpMusicFileInfo info;
    file->GetMusicInfo(info);
    SpCDR_WriteMusicFileInfoBytes(info, record.musicInfo);
    records.push_back(std::move(record));
  }
  return nullptr;
}

// The list of a run of several slices is collected a slice of records a pass (the lookups of
// thousands of files would hold one pass), then written a part a pass through a side file that
// takes the list's name after the last part. The window stays busy meanwhile; a change of the
// items' chain, or a list saved meanwhile, starts it again.
void cCDR_MediaManager::ContinueListSave() {
  if (listSaveTimer == nullptr) return;
  ListSaveRun& run = listSave_;
  if (!run.started || run.changes != mediaListChanges_) {
    AbandonListSave();
    run.started = true;
    run.changes = mediaListChanges_;
    run.next = firstMediaItem_;
  }
  if (!run.collected) {
    run.next = CollectMediaListRecords(run.records, run.folders, run.next, kCDR_ListRecordsPerPass);
    run.collected = run.next == nullptr;
    return;
  }
  const short step = WriteSomeMediaListRecords(run);
  if (step == 0 && run.file != nullptr) return;
  if (step != 0) {
    SpReportFailure(kSource, "cCDR_MediaManager::SaveSetupQTFileInfoVersion2", step, kFileError);
  }
  EndListSave();
}

unsigned char cCDR_MediaManager::SaveSetupQTFileInfoVersion2() {
  const short step = WriteMediaListFile(true);
  if (step == 0) return 1;
  return SpReportFailure(kSource, "cCDR_MediaManager::SaveSetupQTFileInfoVersion2", step,
                         kFileError, (unsigned char)0);
}

unsigned char cCDR_MediaManager::SaveSetupQTFileInfoVersion1() {
  const short step = WriteMediaListFile(false);
  if (step == 0) return 1;
  return SpReportFailure(kSource, "cCDR_MediaManager::SaveSetupQTFileInfoVersion1", step,
                         kFileError, (unsigned char)0);
}

short cCDR_MediaManager::WriteMediaListFile(bool version200) {
  std::vector<sCDR_MediaListRecord> records;
  CDR_FolderPathCache folders;
  CollectMediaListRecords(records, folders, firstMediaItem_, 0);
  return WriteMediaListRecords(records, version200);
}

namespace {

// The folder of the list of that version: 0, or the step that failed.
short ListFolder(bool version200, short& vRefNum, SInt32& dirID) {
  vRefNum = 0;
  dirID = 0;
  return Sp_CreateInitFolderWithDirID(kOnSystemDisk,
                                      version200 ? kPreferencesFolderType : kDocumentsFolderType,
                                      kPrefFolder, vRefNum, dirID)
             ? 0
             : 1;
}

// Appends the bytes of records [from, to) to `list`, with from 0 the list's head (its version
// and the count of all records) first: 0, or the step that failed.
short AppendListBytes(const std::vector<sCDR_MediaListRecord>& records, std::size_t from,
                      std::size_t to, bool version200, std::vector<UInt8>& list) {
  // The room is taken once: grown by doubling, a list of thousands of records was copied over
  // and over.
  std::size_t room = list.size() + 8;
  for (std::size_t i = from; i < to; ++i) {
    const sCDR_MediaListRecord& r = records[i];
    room += 22 + r.classicName.size() + r.longName.size() + r.fullPath.size() +
            std::size_t(kSpMusicFileInfoSize);
  }
  list.reserve(room);
  auto write = [&list](const void* bytes, SInt32 n) -> OSErr {
    const auto* at = static_cast<const UInt8*>(bytes);
    if (n > 0) list.insert(list.end(), at, at + n);
    return noErr;
  };
  auto u32 = [&write](UInt32 value) {
    UInt8 bytes[4];
    sp::StoreBE32(bytes, value);
    return write(bytes, 4) == noErr;
  };
  if (from == 0) {
    if (version200 && !u32(UInt32(kCDR_MediaListVersion))) return 6;
    if (!u32(UInt32(records.size()))) return 6;
  }
  for (std::size_t i = from; i < to; ++i) {
    if (version200) {
      if (const short step = CDRMM_WriteMediaListRecordV200(write, records[i])) return step;
    } else {
      const std::string& path = records[i].fullPath;
      if (!u32(UInt32(path.size())) || write(path.data(), SInt32(path.size())) != noErr ||
          !u32(UInt32(records[i].fileID))) {
        return 24;
      }
    }
  }
  return 0;
}

}  // namespace

short cCDR_MediaManager::WriteMediaListRecords(std::vector<sCDR_MediaListRecord>& records,
                                               bool version200) {
  // A list written now is newer than one being collected over passes.
  ++mediaListChanges_;
  if (!version200 && records.size() > std::size_t(kCDR_MediaListV1MaxCount)) {
    records.resize(std::size_t(kCDR_MediaListV1MaxCount));
  }
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (const short step = ListFolder(version200, vRefNum, dirID)) return step;
  // The list is made whole in memory, then saved in one piece through a side file.
  std::vector<UInt8> list;
  if (const short step = AppendListBytes(records, 0, records.size(), version200, list)) {
    return step;
  }
  // The new list takes the name in one step, the old one going with it; a list whose bytes did
  // not reach the disk is as bad as one not written.
  if (Sp_ReplaceFileContents(vRefNum, dirID, version200 ? kListName : kOldListName, kCreator,
                             kFileType, list.data(), list.size()) != noErr) {
    return 31;
  }
  return 0;
}

short cCDR_MediaManager::WriteSomeMediaListRecords(ListSaveRun& run) {
  if (run.file == nullptr) {
    SInt32 dirID = 0;
    if (const short step = ListFolder(true, run.vRefNum, dirID)) return step;
    if (Sp_BeginFileReplacement(run.vRefNum, dirID, kListName, kCreator, kFileType, &run.file) !=
        noErr) {
      return 31;
    }
  }
  const std::size_t to =
      std::min(run.records.size(), run.written + std::size_t(kCDR_ListRecordsWrittenPerPass));
  std::vector<UInt8> bytes;
  if (const short step = AppendListBytes(run.records, run.written, to, true, bytes)) return step;
  if (Sp_WriteFileReplacement(run.file, bytes.data(), bytes.size()) != noErr) return 31;
  run.written = to;
  if (run.written < run.records.size()) return 0;
  SpFileReplacement* file = run.file;
  run.file = nullptr;
  return Sp_EndFileReplacement(file, run.vRefNum, true) == noErr ? 0 : 31;
}

void cCDR_MediaManager::AbandonListSave() {
  if (listSave_.file != nullptr) Sp_EndFileReplacement(listSave_.file, listSave_.vRefNum, false);
  listSave_ = ListSaveRun();
}

// ---- Reading -----------------------------------------------------------------------------------

void cCDR_MediaManager::LoadSetupQTFileInfo() {
  static const char kMethod[] = "cCDR_MediaManager::LoadSetupQTFileInfo";
  if (CDR_GetMultiMediaTargetFlag() == 0) return;
  SInt16 prefVRefNum = 0;
  SInt32 prefDirID = 0;
  if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &prefVRefNum, &prefDirID) !=
      noErr) {
    SpReportFailure(kSource, kMethod, 7, "Preference Folder Error !! ");
    return;
  }
  short vRefNum = prefVRefNum;
  SInt32 dirID = 0;
  const bool prefFolder = Sp_ExsitTargetDirectory(prefVRefNum, prefDirID, kPrefFolder) != 0;
  if (prefFolder &&
      Sp_GetDirIdFromDirNameInDirId(prefVRefNum, prefDirID, kPrefFolder, dirID) != noErr) {
    SpReportFailure(kSource, kMethod, 6, "Preference Folder Error !! ");
    return;
  }
  SetupMediaWindowStatusForMediaListSelection(1, 1);
  EnableMediaProgressOutput(1, 1);
  ShowMediaListStatus(SpCDR_MJ("ファイル登録情報チェック中..."));
  unsigned char made = 0;
  const char* listName = nullptr;
  if (prefFolder &&
      (Sp_ExsitTargetFile(vRefNum, dirID, kListName) != 0 || TakeBackMediaList(vRefNum, dirID))) {
    listName = kListName;
  } else if (!FindPrefFolder(kDocumentsFolderType, vRefNum, dirID) ||
             Sp_ExsitTargetFile(vRefNum, dirID, kListName) == 0) {
    made = LoadSetupQTFileInfoVersion1();
  } else {
    listName = kListName;
  }
  if (listName != nullptr) {
    sSpFileSysInfo* file = nullptr;
    if (Sp_ReadFileSystem_OpenByDirId(vRefNum, dirID, listName, 0, 0, &file) != noErr) {
      SpReportFailure(kSource, kMethod, 8, "File Open Error !! ");
    } else {
      UInt8 version[4] = {0, 0, 0, 0};
      if (FileReader(file)(version, 4) == noErr &&
          SInt32(sp::LoadBE32(version)) == kCDR_MediaListVersion) {
        made = LoadSetupQTFileInfoVersion200(file);
      }
      Sp_FileSystem_Close(file, 1, 1);
    }
  }
  DisableMediaProgressOutput();
  // The rows are laid out once, and the list takes clicks once it has items.
  if (made != 0) {
    ResetMedialistForItems();
    Sp_RedrawViewWindow(GetWindowRef(), 0);
  }
  SetupMediaWindowStatusForMediaListSelection(1, 0);
}

unsigned char cCDR_MediaManager::LoadSetupQTFileInfoVersion200(sSpFileSysInfo* file) {
  if (file == nullptr) return 0;
  SInt32 made = 0;
  float shown = 0;
  NoteListedFiles();
  const sCDR_MediaListReadResult result = CDRMM_ReadMediaListRecordsV200(
      FileReader(file), [&](const sCDR_MediaListRecord& record, SInt32 index, SInt32 count) {
        ShowMediaListReadProgress(index, count, shown);
        if (MakeItemFromMediaListRecord(record, true)) ++made;
        return true;
      });
  listedFiles_.clear();
  if (made > 0) CDMediaMgr_EndOfCreateNewMusicFileMediaItemProcess();
  if (result.step != 0) ReportMediaListReadFailure(result);
  return made > 0 ? 1 : 0;
}

unsigned char cCDR_MediaManager::LoadSetupQTFileInfoVersion1() {
  static const char kMethod[] = "cCDR_MediaManager::LoadSetupQTFileInfoVersion1";
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (!FindPrefFolder(kDocumentsFolderType, vRefNum, dirID) ||
      Sp_ExsitTargetFile(vRefNum, dirID, kOldListName) == 0) {
    return 0;
  }
  sSpFileSysInfo* file = nullptr;
  if (Sp_ReadFileSystem_OpenByDirId(vRefNum, dirID, kOldListName, 0, 0, &file) != noErr) {
    return SpReportFailure(kSource, kMethod, 2, kFileError, (unsigned char)0);
  }
  SInt32 made = 0;
  float shown = 0;
  NoteListedFiles();
  const sCDR_MediaListReadResult result = CDRMM_ReadMediaListRecordsV1(
      FileReader(file), [&](const sCDR_MediaListRecord& record, SInt32 index, SInt32 count) {
        ShowMediaListReadProgress(index, count, shown);
        if (MakeItemFromMediaListRecord(record, false)) ++made;
        return true;
      });
  listedFiles_.clear();
  if (made > 0) CDMediaMgr_EndOfCreateNewMusicFileMediaItemProcess();
  Sp_FileSystem_Close(file, 1, 1);
  if (result.step != 0) ReportMediaListReadFailure(result);
  SaveSetupQTFileInfo();
  return made > 0 ? 1 : 0;
}

bool cCDR_MediaManager::FindMediaListFile(const sCDR_MediaListRecord& record, bool version200,
                                          short& vRefNum, SInt32& dirID, std::string& name,
                                          std::string& longName) {
  if (!version200) {
    // The volume by the name the path starts with, the folder by the path's folder part.
    char volumeName[256] = "";
    Sp_GetVolNameFromFullPath(record.fullPath.c_str(), volumeName);
    if (Sp_GetVolIdFromVolName(volumeName, vRefNum) != noErr) return false;
    const std::size_t colon = record.fullPath.rfind(':');
    if (colon == std::string::npos) return false;
    name = record.FileNamePart();
    const std::string folder = record.fullPath.substr(0, colon);
    if (Sp_GetDirIdFromFullPathName(folder.c_str(), dirID) == noErr &&
        Sp_ExsitTargetFile(vRefNum, dirID, name.c_str()) != 0) {
      return true;
    }
    char found[64] = "";
    if (record.fileID == 0 ||
        Sp_GetFileNameFromFileId(vRefNum, record.fileID, dirID, found) != noErr) {
      return false;
    }
    name = found;
    return true;
  }
  vRefNum = record.vRefNum;
  dirID = record.dirID;
  name = record.classicName;
  longName = record.longName;
  auto takeLongName = [&]() {
    char text[512] = "";
    if (Sp_GetOSXUnicodeFileNameChangedFileName(vRefNum, dirID, name.c_str(), text, sizeof text) ==
        noErr) {
      longName = text;
    }
  };
  // a. where it was, by its classic name. A long name that the classic name does not hold
  // whole is taken from the file, shown as names are shown now: the list keeps it as it was
  // shown when the list was written.
  if (!name.empty() && Sp_ExsitTargetFile(vRefNum, dirID, name.c_str()) != 0) {
    if (longName != name) takeLongName();
    return true;
  }
  // b. by its file id on that volume (renamed or moved).
  char found[64] = "";
  if (record.fileID != 0 &&
      Sp_GetFileNameFromFileId(vRefNum, record.fileID, dirID, found) == noErr) {
    name = found;
    takeLongName();
    return true;
  }
  dirID = record.dirID;
  // c. by its long name in its folder.
  if (!longName.empty() && Sp_ExsitTargetFileOrDirByFSSpecAndLongName(
                               vRefNum, dirID, longName.c_str(), kCFStringEncodingMacJapanese) != 0) {
    char classic[64] = "";
    if (Sp_GetClassicFileNameFromDirectoryIdAndLongFileName(vRefNum, dirID, longName.c_str(),
                                                            kCFStringEncodingMacJapanese,
                                                            classic) == noErr) {
      name = classic;
      return true;
    }
  }
  // d. by its full path (the volume mounted under another number).
  if (record.fullPath.empty() || record.fullPath.size() > std::size_t(kSpMaxFullPathLength) ||
      Sp_ExsitTargetFileByFullPathName(record.fullPath.c_str()) == 0) {
    return false;
  }
  char classic[256] = "";
  if (Sp_GetFileInfoFromFullPathName(record.fullPath.c_str(), &vRefNum, &dirID, classic) != noErr) {
    return false;
  }
  name = classic;
  takeLongName();
  return true;
}

namespace {

// The name the add dialog and drops give the file: its FSSpec's. A name too long for a
// classic call has a stand-in of each call's length (the list keeps the shorter one), and a
// listed file is known by one name, so that the dialog hides it and nothing lists it twice.
// Other names are the same in both (only a stand-in holds '#' where the name has none).
std::string SpecNameOf(short vRefNum, SInt32 dirID, const std::string& name) {
  Str255 pascal;
  FSSpec spec;
  if (name.find('#') == std::string::npos || !Sp_CopyCStringToPascalName(name.c_str(), pascal) ||
      FSMakeFSSpec(vRefNum, dirID, pascal, &spec) != noErr) {
    return name;
  }
  return std::string(reinterpret_cast<const char*>(spec.name + 1), spec.name[0]);
}

}  // namespace

std::string cCDR_MediaManager::FileKey(short vRefNum, SInt32 dirID, const std::string& name) {
  return std::to_string(vRefNum) + ":" + std::to_string(dirID) + ":" + name;
}

void cCDR_MediaManager::NoteListedFiles() {
  listedFiles_.clear();
  for (cCDR_MediaItem* item = firstMediaItem_; item != nullptr; item = item->GetNextObjectPtr()) {
    cSp_CDRProgramBaseObj* program = item->GetProgram();
    cSp_CDRProgramItemObj* first = program != nullptr ? program->GetFirstProgramItem() : nullptr;
    if (first == nullptr || !program->IsOneFileProgram(nullptr, nullptr)) continue;
    listedFiles_.insert(FileKey(first->GetVolumeRefNum(), first->GetDirID(), first->GetFileName()));
  }
}

bool cCDR_MediaManager::MakeItemFromMediaListRecord(const sCDR_MediaListRecord& record,
                                                    bool version200) {
  short vRefNum = 0;
  SInt32 dirID = 0;
  std::string name, longName;
  if (!FindMediaListFile(record, version200, vRefNum, dirID, name, longName)) return false;
  name = SpecNameOf(vRefNum, dirID, name);
  // A file the list names twice, or that is listed already, is made once.
  if (!listedFiles_.insert(FileKey(vRefNum, dirID, name)).second) return false;
  sSpMusicFileInfo info;
  const bool stored =
      version200 && SpCDR_ReadMusicFileInfoBytes(record.musicInfo, kSpMusicFileInfoSize, info);
  return CreateNewMusicFileMediaItem(vRefNum, dirID, name.c_str(),
                                     longName.empty() ? nullptr : longName.c_str(), 0, 0, nullptr,
                                     -1, 0, stored ? &info : nullptr, nullptr, nullptr,
                                     nullptr) != 0;
}

// ---- Progress and failures -----------------------------------------------------------------

void cCDR_MediaManager::ShowMediaListStatus(const std::string& text) {
  if (statusTextView_ != nullptr) statusTextView_->SetString(text.c_str(), 1);
  QDFlushPortBuffer(GetWindowPort(GetWindowRef()), nullptr);
}

void cCDR_MediaManager::ShowMediaListReadProgress(SInt32 index, SInt32 count, float& shown) {
  const float fraction = index >= count ? 1.0f : float(index) / float(count);
  if (fraction - shown < kProgressStep && index < count) return;
  shown = fraction;
  smallProgressFraction = fraction;
  if (progressBarView_ != nullptr) progressBarView_->DrawView(1, 0);
  ShowMediaListStatus(SpCDR_MJ("ファイル登録情報を設定中...（") + std::to_string(index) + "/" +
                      std::to_string(count) + SpCDR_MJ("）"));
}

void cCDR_MediaManager::ReportMediaListReadFailure(const sCDR_MediaListReadResult& result) {
  SpReportFailure(kSource, "cCDR_MediaManager::LoadSetupQTFileInfo", result.step, kFileError);
  std::string first = result.countRefused
                          ? IndexString(3)
                          : IndexString(1) + "200:" + std::to_string(result.step) + ":" +
                                std::to_string(result.detail) + IndexString(2);
  first += IndexString(4) + IndexString(5);
  std::string second;
  if (result.delivered > 0) second = std::to_string(result.delivered) + IndexString(6);
  second += IndexString(7);
  std::vector<char> message(first.begin(), first.end()), explanation(second.begin(), second.end());
  message.push_back(0);
  explanation.push_back(0);
  Sp_SayAlertByModal(2, message.data(), explanation.data(), nullptr, nullptr, nullptr);
}
