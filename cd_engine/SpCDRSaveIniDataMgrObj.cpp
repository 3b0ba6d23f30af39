// Saved start data (SpCDRSaveIniDataMgrObj.h): the manager, its two files and the free
// functions.
#include "SpCDRSaveIniDataMgrObj.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "Files.h"
#include "Folders.h"
#include "SpDamagedFile.h"
#include "SpErrorInfoSystem.h"
#include "SpFileLibSource.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionBackup.h"
#include "SpStdFunction.h"

const char kSpStartDataFolderName[] = "Zanthe Folder";
const char kSpCDStartDataFileName[] = "CDDA-Data";
const char kSpQTFileStartDataFileName[] = "QTFILE-Data";

namespace {

const char kSource[] = "SpCDRSaveIniDataMgrObj";

constexpr char kTab = 9;
constexpr char kCarriageReturn = 13;
// Bytes of a "QTFILE-Data" record after its name.
constexpr std::size_t kFileRecordTailSize = 44;

cSpCDRSaveInitDataMgr* gManager = nullptr;

// Records left by a manager that was disposed of, or dropped from a full list. Media objects
// may still point to them, so they are kept (and stay reachable) until the program ends.
cCDSaveInitialData* gReleasedCDRecords = nullptr;
cQTFileSaveInitialData* gReleasedFileRecords = nullptr;

template <class T>
void KeepReleased(T* record, T*& released) {
  if (released != nullptr) record->LinkToNext(released);
  released = record;
}

bool SamePosition(const cDiscPosition& a, const cDiscPosition& b) {
  return Sp_CDPositionComp(&a, &b, nullptr) == 0;
}

// A decimal field of one to ten digits that fits in 32 bits.
bool ParseUnsigned(const char* text, UInt32& value) {
  const std::size_t length = std::strlen(text);
  if (length == 0 || length > 10) return false;
  UInt64 v = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + UInt64(text[i] - '0');
  }
  if (v > 0xFFFFFFFFu) return false;
  value = UInt32(v);
  return true;
}

// Field `index` of a "CDDA-Data" line as a number; false when the line has no such field or
// it is no number.
bool LineField(const char* line, SInt32 index, UInt32& value) {
  char field[16];
  unsigned char overflow = 0;
  if (!Sp_GetSeparateString(line, kTab, index, field, sizeof field, &overflow) || overflow)
    return false;
  return ParseUnsigned(field, value);
}

void AppendNumber(std::string& out, UInt32 value) {
  char text[16];
  std::snprintf(text, sizeof text, "%u", unsigned(value));
  out += text;
  out += kTab;
}

// A lead-out position comes from a 32-bit count of sectors, 4,500 to a minute.
constexpr UInt32 kMaxMinutes = 0x7FFFFFFF / 4500;
// Levels are 0 to 100; a CD's record that nobody has set yet has 255.
constexpr UInt32 kMaxLevel = 100;

bool IsCDLevel(UInt32 level) {
  return level <= kMaxLevel || level == kSpCDInitDataDefaultLevel;
}

// A sound file's description, as adding a file gives it: at most 8 channels (the sound layer
// takes no more) of samples of at most 64 bits, a rate of at least 1,000 Hz (0 for rates that
// 16.16 cannot hold), a format the sound layer knows with a sample size it takes.
constexpr SInt16 kMaxChannels = 8;
constexpr SInt16 kMaxSampleSize = 64;
constexpr UnsignedFixed kLowestRate = UnsignedFixed(1000) << 16;

// Whether a sound file's record holds what a description of a file can: each field in its
// range. A file that could not be described has a format, duration and time scale of 0. A
// record out of range is neither saved nor taken from a file (one there makes it damaged).
bool IsFileRecord(const char* name, std::size_t nameLength, const SoundComponentData& format,
                  SInt32 duration, SInt32 timeScale, UInt32 level) {
  if (nameLength == 0 || nameLength > std::size_t(kSpQTFileInitNameLimit) ||
      std::memchr(name, 0, nameLength) != nullptr) {
    return false;
  }
  if (format.numChannels < 0 || format.numChannels > kMaxChannels || format.sampleSize < 0 ||
      format.sampleSize > kMaxSampleSize ||
      (format.sampleRate != 0 && format.sampleRate < kLowestRate)) {
    return false;
  }
  CompressionInfo info{};
  if (format.format != 0 && GetCompressionInfo(fixedCompression, format.format, format.numChannels,
                                               format.sampleSize, &info) != noErr) {
    return false;
  }
  return duration >= 0 && timeScale >= 0 && (duration == 0 || timeScale > 0) && level <= kMaxLevel;
}

bool IsFileRecord(const cQTFileSaveInitialData& r) {
  char name[kSpQTFileInitNameSize];
  SoundComponentData format;
  SInt32 duration = 0;
  SInt32 timeScale = 0;
  r.GetFileAttributeData(name, nullptr, &format, &duration, &timeScale);
  return IsFileRecord(name, std::strlen(name), format, duration, timeScale, r.GetVolumeLevel());
}

// Reads exactly count bytes; eofErr when the file ends first.
OSErr ReadExactly(sSpFileSysInfo* file, SInt32 count, UInt8* bytes) {
  if (count == 0) return noErr;
  SInt32 got = 0;
  OSErr err = Sp_ReadFileSystem_Read(file, count, reinterpret_cast<char*>(bytes), &got);
  if (err == noErr && got != count) err = eofErr;
  return err;
}

// The folder holding a start-data file that exists: the Preferences folder's, else the
// Documents folder's. Nothing is made.
bool FindStartDataFile(const char* fileName, short& vRefNum, SInt32& dirID) {
  static const UInt32 kFolders[] = {kPreferencesFolderType, kDocumentsFolderType};
  for (UInt32 folder : kFolders) {
    if (SpCDR_CreateCDInitialDataFile(folder, kSpStartDataFolderName, fileName, kSpStartDataCreator,
                                      kSpStartDataFileType, 0, vRefNum, dirID))
      return true;
  }
  return false;
}

// The folder `folderName` of a system folder, made (with the system folder) when missing and
// `create` is set.
bool FindStartDataFolder(UInt32 folderType, const char* folderName, unsigned char create,
                         short& vRefNum, SInt32& dirID) {
  SInt16 systemVRefNum = 0;
  SInt32 systemDirID = 0;
  if (FindFolder(kOnSystemDisk, folderType, create != 0 ? kCreateFolder : kDontCreateFolder,
                 &systemVRefNum, &systemDirID) != noErr)
    return false;
  SInt32 folderID = 0;
  if (Sp_GetDirIdFromDirNameInDirId(systemVRefNum, systemDirID, folderName, folderID) != noErr) {
    if (create == 0) return false;
    if (Sp_CreateFolderWithPermission(systemVRefNum, systemDirID, folderName, nullptr, nullptr,
                                      nullptr) != noErr)
      return false;
    if (Sp_GetDirIdFromDirNameInDirId(systemVRefNum, systemDirID, folderName, folderID) != noErr)
      return false;
  }
  vRefNum = systemVRefNum;
  dirID = folderID;
  return true;
}

// Whether a folder, FIFO, socket or device stands under the start-data name in the
// Preferences folder (where saves go): no data to read, and in the way of every save.
bool UnusableItemHoldsStartDataName(const char* fileName, short& vRefNum, SInt32& dirID) {
  return FindStartDataFolder(kPreferencesFolderType, kSpStartDataFolderName, 0, vRefNum, dirID) &&
         Sp_UnusableItemStandsAt(vRefNum, dirID, fileName);
}

// The start-data file of the Preferences folder, when a save killed before its new file took
// the name left only that file: it is handed to `reads` (as Sp_TakeBackSideFile does) and
// takes the name. True when one was read. The side files of the older program's saves are
// tried too.
bool TakeBackStartDataFile(const char* fileName,
                           const std::function<bool(short, SInt32, const char*)>& reads) {
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (!FindStartDataFolder(kPreferencesFolderType, kSpStartDataFolderName, 0, vRefNum, dirID)) {
    return false;
  }
  const std::vector<std::string> older = {std::string(fileName) + ".saving",
                                          std::string(fileName) + ".previous"};
  return Sp_TakeBackSideFile(vRefNum, dirID, fileName, older,
                             [&](const char* side) { return reads(vRefNum, dirID, side); });
}

// Whether the open file ends with a carriage return, as every whole "CDDA-Data" does (an
// empty one too): a file cut inside its last line may still read as lines.
bool EndsWithLineEnd(const sSpFileSysInfo* file) {
  if (file->fileLength == 0) return true;
  char last = 0;
  SInt32 count = 1;
  return SetFPos(file->fileRefNum, fsFromStart, SInt32(file->fileLength - 1)) == noErr &&
         FSRead(file->fileRefNum, &count, &last) == noErr && count == 1 && last == kCarriageReturn;
}

// Finds (making it when missing) the start-data folder and replaces the file's contents.
Boolean SaveStartDataFile(const char* fileName, const UInt8* bytes, std::size_t size,
                          const char* method) {
  short vRefNum = 0;
  SInt32 dirID = 0;
  // Only the folder is made: an empty file made first would stand under the name, in place
  // of none, until the new file took it.
  if (!FindStartDataFolder(kPreferencesFolderType, kSpStartDataFolderName, 1, vRefNum, dirID)) {
    return SpReportFailure(kSource, method, kSpStartDataSaveFailed, kSpMsgFileError, Boolean(0));
  }
  if (Sp_ReplaceFileContents(vRefNum, dirID, fileName, kSpStartDataCreator, kSpStartDataFileType,
                             bytes, size) != noErr)
    return SpReportFailure(kSource, method, kSpStartDataSaveFailed, kSpMsgFileError, Boolean(0));
  return 1;
}

}  // namespace

// ---- The manager ----------------------------------------------------------------------------

cSpCDRSaveInitDataMgr::~cSpCDRSaveInitDataMgr() {
  DisposeCDInitialData();
  DisposeFileInitialData();
}

Boolean cSpCDRSaveInitDataMgr::SaveModifyData() {
  Boolean ok = 1;
  if (cdModified_ != 0 && !SaveCDInitialData()) ok = 0;
  if (fileModified_ != 0 && !SaveFileInitialData()) ok = 0;
  return ok;
}

// ---- CD list

cCDSaveInitialData* cSpCDRSaveInitDataMgr::FindCDRecord(UInt32 trackCount,
                                                        const cDiscPosition& endPosition) const {
  for (cCDSaveInitialData* r = cdHead_; r != nullptr; r = r->GetNextObjectPtr()) {
    if (r->trackCount_ == trackCount && SamePosition(r->endPosition_, endPosition)) return r;
  }
  return nullptr;
}

void cSpCDRSaveInitDataMgr::AppendCDRecord(cCDSaveInitialData* record) {
  if (cdTail_ == nullptr) {
    cdHead_ = record;
  } else {
    cdTail_->LinkToNext(record);
  }
  cdTail_ = record;
  ++cdCount_;
}

void cSpCDRSaveInitDataMgr::MoveCDRecordToTail(cCDSaveInitialData* record, const char* method) {
  if (record == cdTail_) return;
  if (record->GetNextObjectPtr() == nullptr) {
    SpReportFailure(kSource, method, 1, kSpMsgNoComment);
    return;
  }
  if (record == cdHead_) cdHead_ = record->GetNextObjectPtr();
  record->UnlinkSelf();
  cdTail_->LinkToNext(record);
  cdTail_ = record;
}

void cSpCDRSaveInitDataMgr::ReleaseCDHead(unsigned char keep) {
  cCDSaveInitialData* record = cdHead_;
  if (record == nullptr) return;
  cdHead_ = record->GetNextObjectPtr();
  if (cdHead_ == nullptr) cdTail_ = nullptr;
  record->UnlinkSelf();
  --cdCount_;
  if (keep != 0) {
    KeepReleased(record, gReleasedCDRecords);
  } else {
    delete record;
  }
}

cCDSaveInitialData* cSpCDRSaveInitDataMgr::GetCDInitialData(UInt32 trackCount,
                                                            const cDiscPosition& endPosition,
                                                            unsigned char create,
                                                            unsigned char* created) {
  if (created != nullptr) *created = 0;
  cCDSaveInitialData* record = FindCDRecord(trackCount, endPosition);
  if (record != nullptr) {
    MoveCDRecordToTail(record, "cSpCDRSaveInitDataMgr::GetCDInitialData");
    return record;
  }
  if (create == 0) return nullptr;
  record = new (std::nothrow) cCDSaveInitialData(trackCount, endPosition);
  if (record == nullptr) return nullptr;
  AppendCDRecord(record);
  if (created != nullptr) *created = 1;
  // A CD object may still point at the record dropped from the list: it stays alive, out of
  // the list, as the records of a disposed manager do.
  while (cdCount_ > kSpStartDataListLimit) ReleaseCDHead(1);
  cdModified_ = 1;
  return record;
}

void cSpCDRSaveInitDataMgr::DisposeCDInitialData() {
  while (cdHead_ != nullptr) ReleaseCDHead(1);
  cdCount_ = 0;
}

Boolean cSpCDRSaveInitDataMgr::SaveCDInitialData() {
  std::string text;
  for (cCDSaveInitialData* r = cdHead_; r != nullptr; r = r->GetNextObjectPtr()) {
    AppendNumber(text, r->trackCount_);
    AppendNumber(text, r->endPosition_.minutes);
    AppendNumber(text, r->endPosition_.seconds);
    AppendNumber(text, r->endPosition_.frames);
    AppendNumber(text, r->volumeLevel_);
    text += kCarriageReturn;
  }
  if (!SaveStartDataFile(kSpCDStartDataFileName, reinterpret_cast<const UInt8*>(text.data()),
                         text.size(), "cSpCDRSaveInitDataMgr::SaveCDInitialData"))
    return 0;
  cdModified_ = 0;
  return 1;
}

bool cSpCDRSaveInitDataMgr::LoadCDLines(sSpFileSysInfo* file, SInt32& badLines) {
  char line[kSpCDStartDataLineSize];
  for (;;) {
    SInt32 length = 0;
    unsigned char atEnd = 0;
    OSErr err = Sp_ReadFileSystem_ReadOneLine(file, line, sizeof line, &length, &atEnd);
    if (err == memFullErr) {
      // Longer than any record: no CD record.
      ++badLines;
    } else if (err != noErr) {
      ++badLines;
      return false;
    } else if (length > 0) {
      UInt32 trackCount = 0;
      UInt32 values[4] = {};
      if (!LineField(line, 0, trackCount)) {
        ++badLines;
      } else if (trackCount >= 1) {
        bool ok = cdCount_ < kSpStartDataListLimit;
        for (SInt32 i = 0; i < 4 && ok; ++i) ok = LineField(line, i + 1, values[i]);
        ok = ok && values[0] <= kMaxMinutes && values[1] < kSpCDSecondsPerMinute &&
             values[2] < kSpCDFramesPerSecond && IsCDLevel(values[3]);
        // Nothing follows the level but the TAB that ends it.
        char extra[4] = "";
        const bool more =
            Sp_GetSeparateString(line, kTab, 5, extra, sizeof extra, nullptr) &&
            (extra[0] != 0 || Sp_GetSeparateString(line, kTab, 6, extra, sizeof extra, nullptr));
        ok = ok && !more;
        const cDiscPosition position(values[0], values[1], values[2], 0);
        // Each CD is written once; a second line for it is no record of this program's.
        if (ok && FindCDRecord(trackCount, position) != nullptr) ok = false;
        if (!ok) {
          ++badLines;
        } else {
          cCDSaveInitialData* record = GetCDInitialData(trackCount, position, 1, nullptr);
          if (record == nullptr) {
            SpReportFailure(kSource, "cSpCDRSaveInitDataMgr::LoadCDInitialData", 1, kSpMsgMemory);
            return false;
          }
          record->SetupVolumeLevel(values[3]);
        }
      }
    }
    if (atEnd != 0) return EndsWithLineEnd(file);
  }
}

void cSpCDRSaveInitDataMgr::LoadCDInitialData() {
  DisposeCDInitialData();
  const unsigned char modified = cdModified_;
  auto readsWhole = [&](short vRefNum, SInt32 dirID, const char* name) {
    SInt32 badLines = 0;
    if (ReadCDFile(vRefNum, dirID, name, badLines) && badLines == 0) return true;
    while (cdHead_ != nullptr) ReleaseCDHead(0);
    cdModified_ = modified;
    return false;
  };
  // A save killed before its new file took the name left that file beside it.
  if (TakeBackStartDataFile(kSpCDStartDataFileName, readsWhole)) return;
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (!FindStartDataFile(kSpCDStartDataFileName, vRefNum, dirID)) {
    if (UnusableItemHoldsStartDataName(kSpCDStartDataFileName, vRefNum, dirID)) {
      Sp_KeepDamagedFile(vRefNum, dirID, kSpCDStartDataFileName, kSource,
                         "cSpCDRSaveInitDataMgr::LoadCDInitialData", kSpStartDataBadLine);
    }
    return;
  }
  SInt32 badLines = 0;
  if (!ReadCDFile(vRefNum, dirID, kSpCDStartDataFileName, badLines) || badLines > 0) {
    // A file cut short or with lines no save writes: nothing of it is used, and it is kept.
    while (cdHead_ != nullptr) ReleaseCDHead(0);
    cdModified_ = modified;
    Sp_KeepDamagedFile(vRefNum, dirID, kSpCDStartDataFileName, kSource,
                       "cSpCDRSaveInitDataMgr::LoadCDInitialData", kSpStartDataBadLine);
  }
}

bool cSpCDRSaveInitDataMgr::ReadCDFile(short vRefNum, SInt32 dirID, const char* name,
                                       SInt32& badLines) {
  sSpFileSysInfo* file = nullptr;
  if (Sp_ReadFileSystem_OpenByDirId(vRefNum, dirID, name, -1, 0, &file) != noErr) {
    // Not there (any more) is no damage; one that does not open is.
    if (Sp_ExsitTargetFile(vRefNum, dirID, name) == 0) return true;
    ++badLines;
    return false;
  }
  const bool whole = LoadCDLines(file, badLines);
  Sp_FileSystem_Close(file, 1, 1);
  return whole;
}

// ---- Sound-file list

void cSpCDRSaveInitDataMgr::AppendFileRecord(cQTFileSaveInitialData* record) {
  if (fileTail_ == nullptr) {
    fileHead_ = record;
  } else {
    fileTail_->LinkToNext(record);
  }
  fileTail_ = record;
  ++fileCount_;
}

void cSpCDRSaveInitDataMgr::MoveFileRecordToTail(cQTFileSaveInitialData* record,
                                                 const char* method) {
  if (record == fileTail_) return;
  if (record->GetNextObjectPtr() == nullptr) {
    SpReportFailure(kSource, method, 1, kSpMsgNoComment);
    return;
  }
  if (record == fileHead_) fileHead_ = record->GetNextObjectPtr();
  record->UnlinkSelf();
  fileTail_->LinkToNext(record);
  fileTail_ = record;
}

void cSpCDRSaveInitDataMgr::ReleaseFileHead(unsigned char keep) {
  cQTFileSaveInitialData* record = fileHead_;
  if (record == nullptr) return;
  fileHead_ = record->GetNextObjectPtr();
  if (fileHead_ == nullptr) fileTail_ = nullptr;
  record->UnlinkSelf();
  --fileCount_;
  if (keep != 0) {
    KeepReleased(record, gReleasedFileRecords);
  } else {
    delete record;
  }
}

cQTFileSaveInitialData* cSpCDRSaveInitDataMgr::GetQTFileInitialData(
    const char* name, UInt32 fileSize, const SoundComponentData& format, SInt32 duration,
    SInt32 timeScale, unsigned char create, unsigned char* created) {
  const char kMethod[] = "cSpCDRSaveInitDataMgr::GetQTFileInitialData";
  if (created != nullptr) *created = 0;
  cQTFileSaveInitialData* record = fileHead_ != nullptr
                                       ? fileHead_->SerchEqualFileAttributeObjectLinkNext(
                                             name, fileSize, format, duration, timeScale)
                                       : nullptr;
  if (record != nullptr) {
    MoveFileRecordToTail(record, kMethod);
    return record;
  }
  if (create == 0) return nullptr;
  // A record without a name could never be found again.
  if (name == nullptr) return SpReportFailure(kSource, kMethod, 1, kSpMsgPointerArg, record);
  record = new (std::nothrow) cQTFileSaveInitialData(name, fileSize, format, duration, timeScale);
  if (record == nullptr) return SpReportFailure(kSource, kMethod, 1, kSpMsgMemory, record);
  AppendFileRecord(record);
  if (created != nullptr) *created = 1;
  // A sound-file object may still point at the record dropped from the list (more files are
  // listed than the list keeps): it stays alive, out of the list.
  while (fileCount_ > kSpStartDataListLimit) ReleaseFileHead(1);
  fileModified_ = 1;
  return record;
}

void cSpCDRSaveInitDataMgr::DisposeFileInitialData() {
  while (fileHead_ != nullptr) ReleaseFileHead(1);
  fileCount_ = 0;
}

Boolean cSpCDRSaveInitDataMgr::SaveFileInitialData() {
  sp::ByteWriter out;
  UInt32 written = 0;
  // A record the reader would not take (a name too long for the file, a description out of
  // range) is left out, so that what is written reads back whole.
  for (cQTFileSaveInitialData* r = fileHead_; r != nullptr; r = r->GetNextObjectPtr())
    written += IsFileRecord(*r);
  out.BE32(written);
  for (cQTFileSaveInitialData* r = fileHead_; r != nullptr; r = r->GetNextObjectPtr()) {
    if (!IsFileRecord(*r)) continue;
    const std::size_t length = std::strlen(r->fileName_);
    out.BE32(UInt32(length));
    out.Bytes(r->fileName_, length);
    out.BE32(r->fileSize_);
    out.BE32(UInt32(r->format_.flags));
    out.BE32(r->format_.format);
    out.BE16(UInt16(r->format_.numChannels));
    out.BE16(UInt16(r->format_.sampleSize));
    out.BE32(r->format_.sampleRate);
    out.BE32(UInt32(r->format_.sampleCount));
    out.BE32(0);  // the buffer: an address means nothing in a file
    out.BE32(UInt32(r->format_.reserved));
    out.BE32(UInt32(r->duration_));
    out.BE32(UInt32(r->timeScale_));
    out.BE32(r->volumeLevel_);
  }
  if (!SaveStartDataFile(kSpQTFileStartDataFileName, out.Data().data(), out.Size(),
                         "cSpCDRSaveInitDataMgr::SaveFileInitialData"))
    return 0;
  fileModified_ = 0;
  return 1;
}

SInt32 cSpCDRSaveInitDataMgr::LoadFileRecords(sSpFileSysInfo* file) {
  UInt8 word[4];
  SInt32 got = 0;
  OSErr err = Sp_ReadFileSystem_Read(file, 4, reinterpret_cast<char*>(word), &got);
  // An empty file holds no record.
  if (err == eofErr && got == 0) return 0;
  if (err != noErr || got != 4) return kSpStartDataReadError;
  const UInt32 recordCount = sp::LoadBE32(word);
  if (recordCount > kSpStartDataListLimit) return kSpStartDataBadRecord;
  for (UInt32 i = 0; i < recordCount; ++i) {
    if (ReadExactly(file, 4, word) != noErr) return kSpStartDataReadError;
    const SInt32 nameLength = SInt32(sp::LoadBE32(word));
    if (nameLength < 0 || nameLength > kSpQTFileInitNameLimit) return kSpStartDataBadNameLength;
    char name[kSpQTFileInitNameSize];
    if (ReadExactly(file, nameLength, reinterpret_cast<UInt8*>(name)) != noErr)
      return kSpStartDataReadError;
    name[nameLength] = 0;
    UInt8 tail[kFileRecordTailSize];
    if (ReadExactly(file, SInt32(sizeof tail), tail) != noErr) return kSpStartDataReadError;
    sp::ByteReader in(tail, sizeof tail);
    const UInt32 fileSize = in.BE32();
    SoundComponentData format;
    format.flags = in.SBE32();
    format.format = in.BE32();
    format.numChannels = in.SBE16();
    format.sampleSize = in.SBE16();
    format.sampleRate = in.BE32();
    format.sampleCount = in.SBE32();
    const UInt32 buffer = in.BE32();  // always 0: an address means nothing in a file
    format.buffer = nullptr;
    format.reserved = in.SBE32();
    const SInt32 duration = in.SBE32();
    const SInt32 timeScale = in.SBE32();
    const UInt32 level = in.BE32();
    // An address means nothing in a file: the buffer is always written as 0.
    if (buffer != 0 ||
        !IsFileRecord(name, std::size_t(nameLength), format, duration, timeScale, level)) {
      return kSpStartDataBadRecord;
    }

    unsigned char created = 0;
    cQTFileSaveInitialData* record =
        GetQTFileInitialData(name, fileSize, format, duration, timeScale, 1, &created);
    // A record equal to an earlier one: the file was not written by this program.
    if (record != nullptr && created == 0) return kSpStartDataDuplicate;
    if (record == nullptr) return 0;  // memory is short; the failure is already recorded
    record->SetupVolumeLevel(level);
  }
  // A whole file ends with its last record.
  char more = 0;
  return Sp_ReadFileSystem_Read(file, 1, &more, &got) == noErr && got > 0 ? kSpStartDataBadRecord
                                                                          : 0;
}

void cSpCDRSaveInitDataMgr::LoadFileInitialData() {
  DisposeFileInitialData();
  const unsigned char modified = fileModified_;
  auto readsWhole = [&](short vRefNum, SInt32 dirID, const char* name) {
    if (ReadFileRecords(vRefNum, dirID, name) == 0) return true;
    while (fileHead_ != nullptr) ReleaseFileHead(0);
    fileModified_ = modified;
    return false;
  };
  // A save killed before its new file took the name left that file beside it.
  if (TakeBackStartDataFile(kSpQTFileStartDataFileName, readsWhole)) return;
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (!FindStartDataFile(kSpQTFileStartDataFileName, vRefNum, dirID)) {
    if (UnusableItemHoldsStartDataName(kSpQTFileStartDataFileName, vRefNum, dirID)) {
      Sp_KeepDamagedFile(vRefNum, dirID, kSpQTFileStartDataFileName, kSource,
                         "cSpCDRSaveInitDataMgr::LoadFileInitialData", kSpStartDataReadError);
    }
    return;
  }
  const SInt32 code = ReadFileRecords(vRefNum, dirID, kSpQTFileStartDataFileName);
  if (code != 0) {
    // Nothing of a damaged file is used, and it is kept.
    while (fileHead_ != nullptr) ReleaseFileHead(0);
    fileModified_ = modified;
    Sp_KeepDamagedFile(vRefNum, dirID, kSpQTFileStartDataFileName, kSource,
                       "cSpCDRSaveInitDataMgr::LoadFileInitialData",
                       code > 0 ? code : kSpStartDataReadError);
  }
}

SInt32 cSpCDRSaveInitDataMgr::ReadFileRecords(short vRefNum, SInt32 dirID, const char* name) {
  sSpFileSysInfo* file = nullptr;
  if (Sp_ReadFileSystem_OpenByDirId(vRefNum, dirID, name, -1, 0, &file) != noErr) {
    // Not there (any more) is no damage; one that does not open is.
    return Sp_ExsitTargetFile(vRefNum, dirID, name) == 0 ? 0 : -1;
  }
  const SInt32 code = LoadFileRecords(file);
  Sp_FileSystem_Close(file, 1, 1);
  return code;
}

// ---- Free functions -------------------------------------------------------------------------

cSpCDRSaveInitDataMgr* SpGetCDQTFileInitMaganer(unsigned char create) {
  if (gManager != nullptr || create == 0) return gManager;
  cSpCDRSaveInitDataMgr* manager = new (std::nothrow) cSpCDRSaveInitDataMgr();
  if (manager == nullptr)
    return SpReportFailure(kSource, "SpGetCDQTFileInitMaganer", 1, kSpMsgMemory, manager);
  gManager = manager;
  manager->LoadFileInitialData();
  // The CD records are read now as well: a save writes the whole list, and would otherwise
  // replace the stored CDs with only those of this run.
  manager->LoadCDInitialData();
  return manager;
}

cCDSaveInitialData* SpGetCDInitData(UInt32 trackCount, const cDiscPosition& endPosition,
                                    unsigned char create, unsigned char* created) {
  if (created != nullptr) *created = 0;
  cSpCDRSaveInitDataMgr* manager = SpGetCDQTFileInitMaganer(1);
  if (manager == nullptr) return nullptr;
  return manager->GetCDInitialData(trackCount, endPosition, create, created);
}

cQTFileSaveInitialData* SpGetQTFileInitData(const char* name, UInt32 fileSize,
                                            const SoundComponentData& format, SInt32 duration,
                                            SInt32 timeScale, unsigned char create,
                                            unsigned char* created) {
  if (created != nullptr) *created = 0;
  cSpCDRSaveInitDataMgr* manager = SpGetCDQTFileInitMaganer(1);
  if (manager == nullptr) return nullptr;
  return manager->GetQTFileInitialData(name, fileSize, format, duration, timeScale, create,
                                       created);
}

void SpSaveCDQTFileInitialData() {
  if (gManager != nullptr) gManager->SaveModifyData();
}

void SpDisposeCDQTFileInitManager() {
  delete gManager;
  gManager = nullptr;
}

void SpDeleteRecordsOfDisposedManagers() {
  SpDeleteList(gReleasedCDRecords);
  gReleasedCDRecords = nullptr;
  SpDeleteList(gReleasedFileRecords);
  gReleasedFileRecords = nullptr;
}

void SetupCDInitDataModifyFlag() {
  if (gManager != nullptr) gManager->SetupCDInitDataModifyFlag();
}

void SetupFileInitDataModifyFlag() {
  if (gManager != nullptr) gManager->SetupFileInitDataModifyFlag();
}

Boolean SpCDR_CreateCDInitialDataFile(UInt32 folderType, const char* folderName,
                                      const char* fileName, UInt32 creator, UInt32 fileType,
                                      unsigned char create, short& vRefNum, SInt32& dirID) {
  if (folderName == nullptr || fileName == nullptr) {
    return SpReportFailure(kSource, "SpCDR_CreateCDInitialDataFile", 1, kSpMsgPointerArg,
                           Boolean(0));
  }
  if (!FindStartDataFolder(folderType, folderName, create, vRefNum, dirID)) return 0;
  if (Sp_ExsitTargetFile(vRefNum, dirID, fileName) != 0) return 1;
  if (create == 0) return 0;
  return Sp_CreateFileByDirId(vRefNum, dirID, fileName, creator, fileType, 0, 0) == noErr;
}
