#include "TevoSaveFileNameDefObj.h"

#include <cstring>
#include <string>

#include "ByteOrder.h"
#include "SpDamagedFile.h"
#include "SpErrorInfoSystem.h"
#include "SpFileLibSource.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionBackup.h"
#include "SpStdFunction.h"
#include "SpStdFunctionDate.h"
#include "SpStdFunctionNumber.h"
#include "SpCDREngineAlert.h"

const char kTevo_FileNameDefFolderName[] = "Zanthe Folder";
const char kTevo_FileNameDefIntoOneFileName[] = "FileNameDefIntoOneFile";
const char kTevo_FileNameDefIntoEachFileName[] = "FileNameDefIntoEachFile";

namespace {

const char kSource[] = "TevoSaveFileNameDefObj";

// The example texts of the kinds that stand for tags (MacJapanese).
std::string ExamplePlaceholder(tSaveFileNameDefType kind) {
  switch (kind) {
    case kTevo_NameDefAlbumTitle: return SpCDR_MJ("アルバム名");
    case kTevo_NameDefSongTitle: return SpCDR_MJ("トラック名");
    case kTevo_NameDefArtistName: return SpCDR_MJ("アーティスト名");
    case kTevo_NameDefGenre: return SpCDR_MJ("ジャンル");
    default: return std::string();
  }
}

// Speeds beyond this are written as this: the integer part must fit a long.
constexpr float kLargestSpeed = 1.0e9f;

float BoundedSpeed(float speed) {
  if (!(speed == speed)) return 0;  // not a number
  if (speed > kLargestSpeed) return kLargestSpeed;
  if (speed < -kLargestSpeed) return -kLargestSpeed;
  return speed;
}

const tSaveFileNameDefType kDefaultDefinition[] = {
    kTevo_NameDefSongTitle, kTevo_NameDefUnderbar, kTevo_NameDefSpeedInteger,
    kTevo_NameDefUnderbar, kTevo_NameDefSpeedDecimal};

// Reads one big-endian 32-bit value; eofErr when fewer than four bytes are left.
OSErr ReadBE32(sSpFileSysInfo* file, UInt32& value) {
  UInt8 bytes[4] = {};
  SInt32 got = 0;
  const OSErr err = Sp_ReadFileSystem_Read(file, 4, reinterpret_cast<char*>(bytes), &got);
  if (err != noErr) return err;
  if (got != 4) return eofErr;
  value = sp::LoadBE32(bytes);
  return noErr;
}

}  // namespace

const char* Tevo_FileNameDefFileName(tTevo_FileNameDefDlgType kind) {
  return kind == kTevo_FileNameDefIntoEachFile ? kTevo_FileNameDefIntoEachFileName
                                               : kTevo_FileNameDefIntoOneFileName;
}

// ---- Texts of the parts ---------------------------------------------------------------------

void Tevo_SpeedIntegerText(float speed, SInt32 width, char* text) {
  const SInt32 whole = SInt32(BoundedSpeed(speed));
  if (width > 1) {
    Sp_NumberToStringAddZero(whole, width, text);
  } else {
    Sp_NumberToString(whole, text);
  }
}

void Tevo_SpeedDecimalText(float speed, short minimumDecimals, char* text, SInt32 size) {
  text[0] = 0;
  char formatted[kSpFloatTextSize] = "";
  Sp_FloatToString2(BoundedSpeed(speed), formatted, 2, minimumDecimals);
  if (std::strchr(formatted, '.') == nullptr) return;
  Sp_GetSeparateString(formatted, '.', 1, text, size, nullptr);
}

void Tevo_DateTimeText(tSaveFileNameDefType kind, const LongDateRec& now, char* text) {
  text[0] = 0;
  char part[kSpNumberTextSize + 4] = "";
  auto add = [&](SInt32 value, SInt32 width) {
    Sp_NumberToStringAddZero(value, width, part);
    std::strcat(text, part);
  };
  switch (kind) {
    case kTevo_NameDefDateYYYYMMDD:
      add(now.year, 4), add(now.month, 2), add(now.day, 2);
      break;
    case kTevo_NameDefDateYYMMDD: {
      char year[kSpNumberTextSize + 4] = "";
      Sp_NumberToStringAddZero(now.year, 4, year);
      std::strcat(text, year + std::strlen(year) - 2);
      add(now.month, 2), add(now.day, 2);
      break;
    }
    case kTevo_NameDefDateMMDD:
      add(now.month, 2), add(now.day, 2);
      break;
    case kTevo_NameDefTimeHH:
      add(now.hour, 2);
      break;
    case kTevo_NameDefTimeHHMM:
      add(now.hour, 2), add(now.minute, 2);
      break;
    case kTevo_NameDefTimeHHColonMM:
      add(now.hour, 2);
      std::strcat(text, ":");
      add(now.minute, 2);
      break;
    default:
      break;
  }
}

// ---- Items ----------------------------------------------------------------------------------

SInt32 cTevo_SaveFileNameDefItemObject::ObjectCountOnLinkNext() const {
  SInt32 count = 0;
  for (const cTevo_SaveFileNameDefItemObject* item = this; item != nullptr;
       item = item->GetNextObjectPtr()) {
    ++count;
  }
  return count;
}

void cCDR_SaveTargetRecordItem::InitializeObjItem() {
  flag_ = 0;
  std::memset(saveSetup_, 0, sizeof saveSetup_);
  std::memset(folder_, 0, sizeof folder_);
  std::memset(text_, 0, sizeof text_);
  value1_ = 0;
  value2_ = 0;
}

// ---- The definition -------------------------------------------------------------------------

cTevo_SaveFileNameDefObject::cTevo_SaveFileNameDefObject(short vRefNum, SInt32 dirID,
                                                         const char* fileName)
    : vRefNum_(vRefNum), dirID_(dirID) {
  if (fileName != nullptr) Sp_CutStringByByteLen(fileName, kTevo_FileNameDefNameSize - 1, fileName_);
}

cTevo_SaveFileNameDefItemObject* cTevo_SaveFileNameDefObject::AddNewNameDefItem(
    tSaveFileNameDefType kind) {
  auto* item = new (std::nothrow) cTevo_SaveFileNameDefItemObject(kind);
  if (item == nullptr) {
    return SpReportFailure(kSource, "cTevo_SaveFileNameDefObject::AddNewNameDefItem", 3,
                           kSpMsgMemory, item);
  }
  if (tail_ == nullptr) {
    head_ = item;
  } else {
    tail_->LinkToNext(item);
  }
  tail_ = item;
  return item;
}

void cTevo_SaveFileNameDefObject::WipeoutAllItem() {
  RemoveFrom(head_);
}

// Unlinks and frees `item` and every part after it.
void cTevo_SaveFileNameDefObject::RemoveFrom(cTevo_SaveFileNameDefItemObject* item) {
  if (item == nullptr) return;
  cTevo_SaveFileNameDefItemObject* before = item->GetBeforeObjectPtr();
  if (before != nullptr) before->UnlinkNext();
  while (item != nullptr) {
    cTevo_SaveFileNameDefItemObject* next = item->UnlinkNext();
    delete item;
    item = next;
  }
  tail_ = before;
  if (before == nullptr) head_ = nullptr;
  cursor_ = nullptr;
}

void cTevo_SaveFileNameDefObject::DefaultSetup() {
  WipeoutAllItem();
  for (tSaveFileNameDefType kind : kDefaultDefinition) AddNewNameDefItem(kind);
}

unsigned char cTevo_SaveFileNameDefObject::CheckExistAbalableItem() const {
  for (const cTevo_SaveFileNameDefItemObject* item = head_; item != nullptr;
       item = item->GetNextObjectPtr()) {
    if (item->GetDefinitionType() != kTevo_NameDefNone) return 1;
  }
  return 0;
}

// ---- Sequential modification ----------------------------------------------------------------

void cTevo_SaveFileNameDefObject::StartSequentialModify() {
  cursor_ = head_;
  modified_ = 0;
}

void cTevo_SaveFileNameDefObject::SetupDefinitionTypeOnSequentialModify(
    tSaveFileNameDefType kind) {
  if (cursor_ == nullptr) {
    if (AddNewNameDefItem(kind) != nullptr) modified_ = 1;
    return;
  }
  if (cursor_->GetDefinitionType() != kind) {
    cursor_->SetupDefinitionType(kind);
    modified_ = 1;
  }
  cursor_ = cursor_->GetNextObjectPtr();
}

unsigned char cTevo_SaveFileNameDefObject::EndOfSequentialModify() {
  if (cursor_ != nullptr) {
    RemoveFrom(cursor_);
    modified_ = 1;
  }
  return modified_;
}

void cTevo_SaveFileNameDefObject::CopyIntoTargetObject(cTevo_SaveFileNameDefObject* target,
                                                       unsigned char* modified) {
  if (target == nullptr) {
    SpReportFailure(kSource, "cTevo_SaveFileNameDefObject::CopyIntoTargetObject", 1,
                    kSpMsgNullArgument);
    return;
  }
  if (target == this) {
    if (modified != nullptr) *modified = 0;
    return;
  }
  target->StartSequentialModify();
  for (const cTevo_SaveFileNameDefItemObject* item = head_; item != nullptr;
       item = item->GetNextObjectPtr()) {
    if (item->GetDefinitionType() != kTevo_NameDefNone) {
      target->SetupDefinitionTypeOnSequentialModify(item->GetDefinitionType());
    }
  }
  const unsigned char changed = target->EndOfSequentialModify();
  if (modified != nullptr) *modified = changed;
}

unsigned char cTevo_SaveFileNameDefObject::CopyFromTargetObject(
    cTevo_SaveFileNameDefObject* source) {
  if (source == nullptr) {
    return SpReportFailure(kSource, "cTevo_SaveFileNameDefObject::CopyFromTargetObject", 1,
                           kSpMsgNullArgument, static_cast<unsigned char>(0));
  }
  unsigned char modified = 0;
  source->CopyIntoTargetObject(this, &modified);
  return modified;
}

// ---- The file -------------------------------------------------------------------------------

Boolean cTevo_SaveFileNameDefObject::SaveFileNameDefinitionIntoDefaultFileInPreferenceFolder() {
  static const char kMethod[] =
      "cTevo_SaveFileNameDefObject::SaveFileNameDefinitionIntoDefaultFileInPreferenceFolder";
  if (head_ == nullptr) {
    if (Sp_ExsitTargetFile(vRefNum_, dirID_, fileName_) == 0) return 1;
    if (Sp_DeleteFileDirByDirId(vRefNum_, dirID_, fileName_, 0) != noErr) {
      return SpReportFailure(kSource, kMethod, 3, kSpMsgFileError, Boolean(0));
    }
    return 1;
  }
  sp::ByteWriter out;
  out.BE32(kTevo_FileNameDefVersion0100);
  out.BE32(UInt32(GetItemCount()));
  for (const cTevo_SaveFileNameDefItemObject* item = head_; item != nullptr;
       item = item->GetNextObjectPtr()) {
    out.BE32(item->GetDefinitionType());
  }
  if (Sp_ReplaceFileContents(vRefNum_, dirID_, fileName_, kTevo_FileNameDefCreator,
                             kTevo_FileNameDefFileType, out.Data().data(),
                             out.Size()) != noErr) {
    return SpReportFailure(kSource, kMethod, 4, kSpMsgFileError, Boolean(0));
  }
  return 1;
}

Boolean cTevo_SaveFileNameDefObject::LoadFileNameDefinitionFromDefaultFileInPreferenceFolder() {
  if (Sp_ExsitTargetFile(vRefNum_, dirID_, fileName_) == 0) return 0;
  sSpFileSysInfo* file = nullptr;
  if (Sp_ReadFileSystem_OpenByDirId(vRefNum_, dirID_, fileName_, -1, 0, &file) != noErr) {
    if (file != nullptr) Sp_FileSystem_Close(file, 1, 1);
    return 0;
  }
  UInt32 tag = 0;
  OSErr err = ReadBE32(file, tag);
  if (err == noErr && tag == kTevo_FileNameDefVersion0100) {
    err = Tevo_LoadFileNameDefinisionDataVersion0100(file, this);
    // A whole file ends with its last part.
    char more = 0;
    SInt32 got = 0;
    if (err == noErr && Sp_ReadFileSystem_Read(file, 1, &more, &got) == noErr && got > 0) {
      err = paramErr;
    }
  }
  Sp_FileSystem_Close(file, 1, 1);
  if (err == noErr) return 1;
  // Damaged (cut short, or holding what no save writes): nothing of it is used, and it is
  // kept for the user to look at, where the next save cannot write over it.
  WipeoutAllItem();
  static const char kMethod[] =
      "cTevo_SaveFileNameDefObject::LoadFileNameDefinitionFromDefaultFileInPreferenceFolder";
  Sp_KeepDamagedFile(vRefNum_, dirID_, fileName_, kSource, kMethod, 2);
  return 0;
}

OSErr Tevo_LoadFileNameDefinisionDataVersion0100(sSpFileSysInfo* file,
                                                 cTevo_SaveFileNameDefObject* definition) {
  static const char kMethod[] = "Tevo_LoadFileNameDefinisionDataVersion0100";
  if (file == nullptr || definition == nullptr) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, OSErr(paramErr));
  }
  UInt32 count = 0;
  OSErr err = ReadBE32(file, count);
  if (err != noErr) return err;
  if (count > kTevo_FileNameDefMaxItems) return paramErr;
  for (UInt32 i = 0; i < count; ++i) {
    UInt32 kind = 0;
    err = ReadBE32(file, kind);
    if (err != noErr) return err;
    if (definition->AddNewNameDefItem(tSaveFileNameDefType(kind & 0xFF)) == nullptr) {
      return memFullErr;
    }
  }
  return noErr;
}

// ---- The example ----------------------------------------------------------------------------

void cTevo_SaveFileNameDefObject::CreateExampleStringForOutput(char* text, SInt32 size,
                                                               float speed) {
  if (text == nullptr || size < 1) {
    SpReportFailure(kSource, "cTevo_SaveFileNameDefObject::CreateExampleStringForOutput", 1,
                    kSpMsgNullArgument);
    return;
  }
  text[0] = 0;
  LongDateRec now;
  Sp_GetNowLongDateTimeRec(&now);
  std::size_t length = 0;
  char part[kSpFloatTextSize + 4] = "";
  for (const cTevo_SaveFileNameDefItemObject* item = head_; item != nullptr;
       item = item->GetNextObjectPtr()) {
    const tSaveFileNameDefType kind = item->GetDefinitionType();
    part[0] = 0;
    switch (kind) {
      case kTevo_NameDefHyphen: std::strcpy(part, "-"); break;
      case kTevo_NameDefUnderbar: std::strcpy(part, "_"); break;
      case kTevo_NameDefSpeedInteger2: Tevo_SpeedIntegerText(speed, 2, part); break;
      case kTevo_NameDefSpeedInteger: Tevo_SpeedIntegerText(speed, 1, part); break;
      case kTevo_NameDefSpeedDecimal2:
        Tevo_SpeedDecimalText(speed, 2, part, SInt32(sizeof part));
        break;
      case kTevo_NameDefSpeedDecimal:
        Tevo_SpeedDecimalText(speed, 1, part, SInt32(sizeof part));
        break;
      default:
        if (kind >= kTevo_NameDefDateYYYYMMDD && kind <= kTevo_NameDefTimeHHColonMM) {
          Tevo_DateTimeText(kind, now, part);
        } else {
          std::strcpy(part, ExamplePlaceholder(kind).c_str());
        }
        break;
    }
    const std::size_t add = std::strlen(part);
    if (length + add + 1 > std::size_t(size)) continue;
    std::memcpy(text + length, part, add + 1);
    length += add;
  }
}
