#include "SpHolidayDataObject.h"

#include <cstring>
#include <new>
#include <string>

#include "SpErrorInfoSystem.h"
#include "SpEventToolsClass.h"
#include "SpFileLibSource.h"
#include "SpStdFileFunction.h"
#include "SpStdFunction.h"
#include "SpStdFunctionDate.h"
#include "SpStdFunctionNumber.h"

cHolidayDataManager* holidayDataManager_GlV = nullptr;

namespace {

const char kSource[] = "SpHolidayDataObject";
const char kMsgIllegalResult[] = "Illeagal result error !! ";
const char kMsgNullBuffer[] = "Result string buffer is null !! ";

// The names the module gives itself, MacJapanese.
const char kVernalEquinoxName[] = "\x8f\x74\x95\xaa\x82\xcc\x93\xfa";      // spring equinox day
const char kAutumnalEquinoxName[] = "\x8f\x48\x95\xaa\x82\xcc\x93\xfa";    // autumn equinox day
const char kSubstituteHolidayName[] = "\x90\x55\x91\xd6\x8b\x78\x93\xfa";  // substitute holiday
const char kCitizensHolidayName[] = "\x8d\x91\x96\xaf\x82\xcc\x8b\x78\x93\xfa";  // citizens'

// The one-character names of Sunday to Saturday.
const char* const kWeekdayNames[7] = {"\x93\xfa", "\x8c\x8e", "\x89\xce", "\x90\x85",
                                      "\x96\xd8", "\x8b\xe0", "\x93\x79"};

const char kFieldSeparator = '\t';
// A field is never longer than its line.
const SInt32 kFieldSize = kHDO_LineLimit + 1;

// The equinox formula holds for these years; outside them the days are fixed.
const short kFormulaFirstYear = 1981;
const short kFormulaLastYear = 2099;

// The fields of one holiday line.
struct sHolidayLine {
  tHolidayDataExpressionType kind = kHDO_FixedDate;
  short month = 0;
  short day = 0;  // the week number of an n-th weekday
  short endMonth = 0;
  short endDay = 0;
  tDayOfWeekType dayOfWeek = kSpSunday;
  unsigned char substitute = 0;
  char name[kFieldSize] = {};
  bool hasFrom = false;
  bool hasUntil = false;
  short from[3] = {};
  short until[3] = {};
};

void TextField(const char* line, SInt32 index, char* out) {
  Sp_GetSeparateString(line, kFieldSeparator, index, out, kFieldSize, nullptr);
}

// The field's number; false when the field is empty. Every field is read afresh, so an empty
// field never takes a number from another field or an earlier line.
bool NumberField(const char* line, SInt32 index, SInt32& value) {
  char text[kFieldSize];
  TextField(line, index, text);
  if (text[0] == '\0') return false;
  value = 0;
  Sp_StringToNumber(text, &value);
  return true;
}

enum tFieldResult { kFieldEmpty, kFieldRead, kFieldTooLarge };

// The field's number as 16 bits; a number that does not fit would land on another date.
tFieldResult ShortField(const char* line, SInt32 index, short& value) {
  SInt32 number = 0;
  if (!NumberField(line, index, number)) return kFieldEmpty;
  if (number < -32768 || number > 32767) return kFieldTooLarge;
  value = short(number);
  return kFieldRead;
}

bool RequiredShortField(const char* line, SInt32 index, short& value) {
  return ShortField(line, index, value) == kFieldRead;
}

// A date of three fields from `first`: set when all three are given; an empty field ends the
// group without a date. False when a number does not fit.
bool DateFields(const char* line, SInt32 first, bool& set, short (&date)[3]) {
  set = false;
  for (SInt32 i = 0; i < 3; ++i) {
    const tFieldResult result = ShortField(line, first + i, date[i]);
    if (result == kFieldTooLarge) return false;
    if (result == kFieldEmpty) return true;
  }
  set = true;
  return true;
}

// Reads the fields a line's kind needs; false when the line is to be dropped.
bool ParseHolidayLine(const char* line, sHolidayLine& out) {
  SInt32 kind = 0;
  if (!NumberField(line, 0, kind)) return false;
  if (!RequiredShortField(line, 1, out.month) || !RequiredShortField(line, 2, out.day)) {
    return false;
  }
  switch (kind & 0xff) {
    case kHDO_WeekdayOfMonth: {
      out.kind = kHDO_WeekdayOfMonth;
      char weekday[kFieldSize];
      TextField(line, 3, weekday);
      if (!SpHDO_StringToDayOfWeekNo(weekday, out.dayOfWeek)) return false;
      break;
    }
    case kHDO_Period:
      out.kind = kHDO_Period;
      if (!RequiredShortField(line, 4, out.endMonth) || !RequiredShortField(line, 5, out.endDay)) {
        return false;
      }
      if (out.endMonth < out.month || (out.endMonth == out.month && out.endDay < out.day)) {
        return false;
      }
      break;
    default: {
      out.kind = kHDO_FixedDate;
      short flag = 0;
      if (ShortField(line, 6, flag) == kFieldTooLarge) return false;
      out.substitute = flag != 0 ? 1 : 0;
      break;
    }
  }
  TextField(line, 7, out.name);
  return DateFields(line, 8, out.hasFrom, out.from) && DateFields(line, 11, out.hasUntil, out.until);
}

// The chain of links that places the line's definition in its months; null when a link
// could not be made or a period spans no month from 1 to 12.
cHolidayLinkObject* MakeLinks(const sHolidayLine& line, cHolidayDataItem* item) {
  int first = line.month;
  int last = line.month;
  if (line.kind == kHDO_Period) {
    // Only months 1 to 12 can be asked for; a period of months beyond them would otherwise
    // make a link for each of up to 65,536 months.
    first = line.month < 1 ? 1 : line.month;
    last = line.endMonth > 12 ? 12 : line.endMonth;
    if (first > last) return nullptr;
  }
  cHolidayLinkObject* chain = nullptr;
  cHolidayLinkObject* tail = nullptr;
  for (int i = first; i <= last; ++i) {
    const short m = short(i);
    cHolidayLinkObject* link = new (std::nothrow) cHolidayLinkObject();
    if (link == nullptr) {
      SpDeleteList(chain);
      return nullptr;
    }
    switch (line.kind) {
      case kHDO_WeekdayOfMonth:
        link->SetupDayInfo(m, line.day, line.dayOfWeek);
        break;
      case kHDO_Period:
        link->SetupDayInfo(m, m != line.month, line.day, m != line.endMonth, line.endDay);
        break;
      default:
        link->SetupDayInfo(m, line.day);
        break;
    }
    link->SetupItem(item);
    SpAppendToList(chain, tail, link);
  }
  return chain;
}

// Copies one of the module's own names when the buffer holds it; `cut` tells whether it did.
void PutOwnName(const char* ownName, char* buffer, SInt32 length, unsigned char& cut) {
  if (buffer == nullptr) return;
  const SInt32 size = SInt32(std::strlen(ownName)) + 1;
  if (length >= size) {
    std::memcpy(buffer, ownName, std::size_t(size));
    cut = 0;
  } else {
    cut = 1;
  }
}

// A derived holiday's name, only when it fits whole; the cut flag is left alone.
void PutDerivedName(const char* ownName, char* buffer, SInt32 length) {
  const SInt32 size = SInt32(std::strlen(ownName)) + 1;
  if (buffer != nullptr && length >= size) std::memcpy(buffer, ownName, std::size_t(size));
}

bool IsSunday(short year, short month, short day) {
  LongDateRec date{};
  Sp_TargetDateToLongDateTimeRec(year, month, day, &date);
  return date.dayOfWeek == kSpSunday;
}

}  // namespace

// ---- cHolidayLinkObject ---------------------------------------------------------------------

void cHolidayLinkObject::SetupDayInfo(short month, short day) {
  dataType_ = kHDO_FixedDate;
  month_ = month;
  startDay_ = day;
  endDay_ = day;
}

void cHolidayLinkObject::SetupDayInfo(short month, short weekNo, tDayOfWeekType dayOfWeek) {
  dataType_ = kHDO_WeekdayOfMonth;
  month_ = month;
  weekNo_ = weekNo;
  dayOfWeek_ = dayOfWeek;
}

void cHolidayLinkObject::SetupDayInfo(short month, unsigned char continueFrom, short startDay,
                                      unsigned char continueTo, short endDay) {
  dataType_ = kHDO_Period;
  month_ = month;
  SetupStartDay(continueFrom, startDay);
  SetupEndDay(continueTo, endDay);
}

void cHolidayLinkObject::SetupStartDay(unsigned char continueFrom, short day) {
  continueFrom_ = continueFrom != 0 ? 1 : 0;
  startDay_ = continueFrom_ != 0 ? 0 : day;
}

void cHolidayLinkObject::SetupEndDay(unsigned char continueTo, short day) {
  continueTo_ = continueTo != 0 ? 1 : 0;
  endDay_ = continueTo_ != 0 ? 0 : day;
}

void cHolidayLinkObject::LinkToMonthNext(cHolidayLinkObject* link) {
  if (link == nullptr || link == this) return;
  cHolidayLinkObject* last = GetMonthLastObjectPtr();
  last->monthNext_ = link;
  link->monthBefore_ = last;
}

cHolidayLinkObject* cHolidayLinkObject::UnlinkMonthNext() {
  cHolidayLinkObject* link = monthNext_;
  if (link == nullptr) return nullptr;
  monthNext_ = nullptr;
  link->monthBefore_ = nullptr;
  return link;
}

cHolidayLinkObject* cHolidayLinkObject::GetMonthLastObjectPtr() {
  cHolidayLinkObject* link = this;
  while (link->monthNext_ != nullptr) link = link->monthNext_;
  return link;
}

void cHolidayLinkObject::InsertMonthNext(cHolidayLinkObject* link) {
  if (link == nullptr) return;
  link->monthBefore_ = this;
  link->monthNext_ = monthNext_;
  if (monthNext_ != nullptr) monthNext_->monthBefore_ = link;
  monthNext_ = link;
}

// ---- cHolidayDataItem -----------------------------------------------------------------------

cHolidayDataItem::~cHolidayDataItem() {
  SpSO_DisposeStringObject(name_);
  SpDeleteList(firstLink_);
}

void cHolidayDataItem::SetupDayInfo(short month, short day) {
  kind_ = kHDO_FixedDate;
  month_ = month;
  day_ = day;
}

void cHolidayDataItem::SetupDayInfo(short month, short weekNo, tDayOfWeekType dayOfWeek) {
  kind_ = kHDO_WeekdayOfMonth;
  month_ = month;
  weekNo_ = weekNo;
  dayOfWeek_ = dayOfWeek;
}

void cHolidayDataItem::SetupDayInfo(short startMonth, short startDay, short endMonth,
                                    short endDay) {
  kind_ = kHDO_Period;
  month_ = startMonth;
  day_ = startDay;
  endMonth_ = endMonth;
  endDay_ = endDay;
}

void cHolidayDataItem::SetupLinkList(cHolidayLinkObject* chain) {
  if (chain == nullptr) return;
  SpAppendToList(firstLink_, lastLink_, chain);
  lastLink_ = chain->GetLastObjectPtr();
}

namespace {

unsigned char SetupApplyDate(LongDateRec& date, short year, short month, short day) {
  Sp_TargetDateToLongDateTimeRec(year, month, day, &date);
  return month >= 1 && month <= 12 && day >= 1 && day <= 31 ? 1 : 0;
}

}  // namespace

void cHolidayDataItem::SetupApplyStartDate(short year, short month, short day) {
  applyFromSet_ = SetupApplyDate(applyFrom_, year, month, day);
}

void cHolidayDataItem::SetupApplyEndDate(short year, short month, short day) {
  applyUntilSet_ = SetupApplyDate(applyUntil_, year, month, day);
}

void cHolidayDataItem::SetupDayName(const char* name) {
  if (name_ == nullptr) name_ = SpSO_NewStringObject();
  if (name_ != nullptr) SpSO_strcopy(name_, name != nullptr ? name : "");
}

void cHolidayDataItem::GetHolidayName(char* buffer, SInt32 length, unsigned char& cut) const {
  if (buffer == nullptr) {
    SpReportFailure(kSource, "cHolidayDataItem::GetHolidayName", 1, kMsgNullBuffer);
    return;
  }
  cut = 0;
  if (length < 1) return;
  buffer[0] = '\0';
  if (name_ == nullptr) return;
  // The whole name first, so that a two-byte character whose second byte would not fit is
  // left out whole.
  std::string whole(std::size_t(name_->length) + 2, '\0');
  unsigned char wholeCut = 0;
  SpSO_GetString(name_, whole.data(), SInt32(whole.size()), wholeCut);
  const SInt32 room = length - 2;
  Sp_CutStringByByteLen(whole.c_str(), short(room > 32767 ? 32767 : room), buffer);
  cut = std::strlen(buffer) < std::strlen(whole.c_str()) ? 1 : 0;
}

Boolean cHolidayDataItem::GetApplyStartDate(LongDateRec& date) const {
  if (applyFromSet_ == 0) return false;
  date = applyFrom_;
  return true;
}

Boolean cHolidayDataItem::GetApplyEndDate(LongDateRec& date) const {
  if (applyUntilSet_ == 0) return false;
  date = applyUntil_;
  return true;
}

Boolean cHolidayDataItem::IsApplyDate(short year, short month, short day) const {
  if (applyFromSet_ != 0 &&
      Sp_DayCmp(applyFrom_.year, applyFrom_.month, applyFrom_.day, year, month, day) > 0) {
    return false;
  }
  if (applyUntilSet_ != 0 &&
      Sp_DayCmp(year, month, day, applyUntil_.year, applyUntil_.month, applyUntil_.day) > 0) {
    return false;
  }
  return true;
}

// ---- cHolidayMonthItem ----------------------------------------------------------------------

namespace {

// Puts the link after the last link of the list that `goesBefore` accepts, or in front when
// it accepts none.
template <class Pred>
void InsertAfterLastAccepted(cHolidayLinkObject*& head, cHolidayLinkObject* link,
                             Pred goesBefore) {
  cHolidayLinkObject* place = nullptr;
  for (cHolidayLinkObject* l = head; l != nullptr; l = l->GetMonthNextObjectPtr()) {
    if (goesBefore(l)) place = l;
  }
  if (place != nullptr) {
    place->InsertMonthNext(link);
    return;
  }
  link->LinkToMonthNext(head);
  head = link;
}

}  // namespace

void cHolidayMonthItem::SetupItem(cHolidayLinkObject* link) {
  if (link == nullptr) {
    SpReportFailure(kSource, "cHolidayMonthItem::SetupItem", 1, kSpMsgNullArgument);
    return;
  }
  switch (link->GetDataType()) {
    case kHDO_Period: {
      unsigned char from = 0, to = 0;
      link->GetContinueFlag(from, to);
      InsertAfterLastAccepted(periodHead_, link, [&](const cHolidayLinkObject* l) {
        return from == 0 && l->GetStartDay() <= link->GetStartDay();
      });
      break;
    }
    case kHDO_WeekdayOfMonth:
      InsertAfterLastAccepted(weekdayHead_, link, [&](const cHolidayLinkObject* l) {
        return l->GetNumOfWeek() < link->GetNumOfWeek();
      });
      break;
    default:
      InsertAfterLastAccepted(fixedHead_, link, [&](const cHolidayLinkObject* l) {
        return l->GetStartDay() <= link->GetStartDay();
      });
      break;
  }
}

Boolean cHolidayMonthItem::GetHolidayDataForTargetDate(short year, short day,
                                                       cHolidayDataItem*& found) const {
  found = nullptr;
  auto applies = [&](const cHolidayLinkObject* l) {
    return l->GetTargetItem() != nullptr && l->GetTargetItem()->IsApplyDate(year, month_, day);
  };
  for (const cHolidayLinkObject* l = fixedHead_; l != nullptr; l = l->GetMonthNextObjectPtr()) {
    if (l->GetStartDay() == day && applies(l)) {
      found = l->GetTargetItem();
      return true;
    }
  }
  for (const cHolidayLinkObject* l = periodHead_; l != nullptr; l = l->GetMonthNextObjectPtr()) {
    unsigned char from = 0, to = 0;
    l->GetContinueFlag(from, to);
    if ((from != 0 || l->GetStartDay() <= day) && (to != 0 || day <= l->GetEndDay()) &&
        applies(l)) {
      found = l->GetTargetItem();
      return true;
    }
  }
  if (weekdayHead_ == nullptr) return false;
  LongDateRec date{};
  Sp_TargetDateToLongDateTimeRec(year, month_, day, &date);
  const short rank = Sp_GetRankOfDayOfWeekInMonth(day);
  for (const cHolidayLinkObject* l = weekdayHead_; l != nullptr; l = l->GetMonthNextObjectPtr()) {
    if (l->GetDayOfWeek() == date.dayOfWeek && l->GetNumOfWeek() == rank && applies(l)) {
      found = l->GetTargetItem();
      return true;
    }
  }
  return false;
}

Boolean cHolidayMonthItem::GetHolidayDataForApplyDay(short year, short month, short day,
                                                     cHolidayDataItem*& found) const {
  found = nullptr;
  for (const cHolidayLinkObject* l = fixedHead_; l != nullptr; l = l->GetMonthNextObjectPtr()) {
    cHolidayDataItem* item = l->GetTargetItem();
    if (item != nullptr && item->IsApplyDate(year, month, day)) {
      found = item;
      return true;
    }
  }
  return false;
}

void cHolidayMonthItem::ReleaseLinks() {
  for (cHolidayLinkObject* head : {fixedHead_, periodHead_, weekdayHead_}) {
    while (head != nullptr) {
      cHolidayLinkObject* next = head->UnlinkMonthNext();
      head->SetupMonthObjPtr(nullptr);
      head = next;
    }
  }
  fixedHead_ = periodHead_ = weekdayHead_ = nullptr;
}

// ---- cHolidayDataManager: files -------------------------------------------------------------

cHolidayDataManager::~cHolidayDataManager() {
  SpSO_DisposeStringObject(publicHolidayFile_);
  SpSO_DisposeStringObject(personalHolidayFile_);
  SpSO_DisposeStringObject(publicEventFile_);
  SpSO_DisposeStringObject(personalEventFile_);
  for (cHolidayMonthItem** list : {&publicHolidays_, &personalHolidays_, &publicEvents_,
                                   &personalEvents_, &vernalCorrections_, &autumnalCorrections_}) {
    DispoaeHolidayDataList(*list);
  }
  SpDeleteList(items_);
  items_ = nullptr;
}

void cHolidayDataManager::SetupFileName(sSO_StringObjectBase*& name, const char* fullPath,
                                        unsigned char load, cHolidayMonthItem*& list) {
  if (fullPath == nullptr || fullPath[0] == '\0') {
    DispoaeHolidayDataList(list);
    SpSO_DisposeStringObject(name);
    return;
  }
  if (name == nullptr) name = SpSO_NewStringObject();
  if (name == nullptr) return;
  SpSO_strcopy(name, fullPath);
  if (load == 0) return;
  DispoaeHolidayDataList(list);
  LoadHolidayFileData(fullPath, list);
}

void cHolidayDataManager::SetupPublicHolidayFileName(const char* fullPath, unsigned char load) {
  SetupFileName(publicHolidayFile_, fullPath, load, publicHolidays_);
}

void cHolidayDataManager::SetupPersonalHolidayFileName(const char* fullPath, unsigned char load) {
  SetupFileName(personalHolidayFile_, fullPath, load, personalHolidays_);
}

void cHolidayDataManager::SetupPublicEventFileName(const char* fullPath, unsigned char load) {
  SetupFileName(publicEventFile_, fullPath, load, publicEvents_);
}

void cHolidayDataManager::SetupPersonalEventFile_Name(const char* fullPath, unsigned char load) {
  SetupFileName(personalEventFile_, fullPath, load, personalEvents_);
}

void cHolidayDataManager::SetupCorrectionFile(const char* method, sCorrectionFile& file,
                                              short vRefNum, SInt32 dirID, const char* name,
                                              unsigned char load, cHolidayMonthItem*& list) {
  if (name == nullptr) {
    SpReportFailure(kSource, method, 1, kSpMsgNullArgument);
    return;
  }
  // The name is kept in a field of fixed size; a longer one is refused, not cut to another
  // file's name.
  if (strnlen(name, kHDO_FileNameFieldSize) >= std::size_t(kHDO_FileNameFieldSize)) {
    SpReportFailure(kSource, method, 1, kSpMsgDataError);
    return;
  }
  file.vRefNum = vRefNum;
  file.dirID = dirID;
  std::strcpy(file.name, name);
  if (load == 0) return;
  DispoaeHolidayDataList(list);
  LoadHolidayFileData(vRefNum, dirID, file.name, list);
}

void cHolidayDataManager::SetupVernalEquinoxModifyFileName(short vRefNum, SInt32 dirID,
                                                           const char* name,
                                                           unsigned char load) {
  SetupCorrectionFile("cHolidayDataManager::SetupVernalEquinoxModifyFileName", vernalFile_,
                      vRefNum, dirID, name, load, vernalCorrections_);
}

void cHolidayDataManager::SetupAutumnalEquinoxModifyFileName(short vRefNum, SInt32 dirID,
                                                             const char* name,
                                                             unsigned char load) {
  SetupCorrectionFile("cHolidayDataManager::SetupAutumnalEquinoxModifyFileName", autumnalFile_,
                      vRefNum, dirID, name, load, autumnalCorrections_);
}

OSErr cHolidayDataManager::LoadHolidayFileData(const char* fullPath, cHolidayMonthItem*& list) {
  if (fullPath == nullptr) {
    return SpReportFailure(kSource, "cHolidayDataManager::LoadHolidayFileData", 1,
                           kSpMsgNullOperator, OSErr(paramErr));
  }
  // Each part of a path is at most as long as the path, and the folder part gets a colon.
  const std::size_t size = std::strlen(fullPath) + 2;
  std::string volume(size, '\0'), folder(size, '\0'), name(size, '\0');
  Sp_GetVolNameFromFullPath(fullPath, volume.data());
  short vRefNum = 0;
  OSErr err = Sp_GetVolIdFromVolName(volume.c_str(), vRefNum);
  if (err != noErr) return err;
  Sp_GetDirFullPathNameFromFullPathFileName(fullPath, folder.data(), 1);
  SInt32 dirID = 0;
  err = Sp_GetDirIdFromFullPathName(folder.c_str(), dirID);
  if (err != noErr) return err;
  Sp_GetFileNameFromFullPath(fullPath, name.data());
  return LoadHolidayFileData(vRefNum, dirID, name.c_str(), list);
}

OSErr cHolidayDataManager::LoadHolidayFileData(short vRefNum, SInt32 dirID, const char* name,
                                               cHolidayMonthItem*& list) {
  // A list handed in with month items would lose them: they are given back first.
  DispoaeHolidayDataList(list);
  if (name == nullptr) {
    return SpReportFailure(kSource, "cHolidayDataManager::LoadHolidayFileData", 1,
                           kSpMsgNullOperator, OSErr(paramErr));
  }
  sSpFileSysInfo* file = nullptr;
  const OSErr err = Sp_ReadFileSystem_OpenByDirId(vRefNum, dirID, name, 0, 0, &file);
  if (err != noErr) {
    if (file != nullptr) Sp_FileSystem_Close(file, 0, 1);
    return err;
  }
  if (file == nullptr) {
    return SpReportFailure(kSource, "cHolidayDataManager::LoadHolidayFileData", 1,
                           kMsgIllegalResult, OSErr(paramErr));
  }
  // One byte more than a line may hold, so that a longer line shows as one.
  char line[kHDO_LineLimit + 2];
  SInt32 kept = 0;
  for (;;) {
    SInt32 length = 0;
    unsigned char end = 0;
    const OSErr readErr =
        Sp_ReadFileSystem_ReadOneLine(file, line, SInt32(sizeof line), &length, &end);
    // memFullErr only says that the line was cut; any other error ends the file.
    if (readErr != noErr && readErr != memFullErr) break;
    if (length > 0 && length <= kHDO_LineLimit) {
      const tLineResult result = LoadOneLine(line, list);
      if (result == kStopReading) break;
      if (result == kLineKept && ++kept >= kHDO_MaxDefinitionsPerFile) {
        // Far more than any calendar needs; the rest of the file is not read, so that a
        // hostile file cannot make look-ups slow or fill the memory.
        SpReportFailure(kSource, "cHolidayDataManager::LoadHolidayFileData", 2,
                        kSpMsgDataError);
        break;
      }
    }
    if (end != 0) break;
  }
  Sp_FileSystem_Close(file, 1, 1);
  return noErr;
}

cHolidayDataManager::tLineResult cHolidayDataManager::LoadOneLine(const char* line,
                                                                  cHolidayMonthItem*& list) {
  cHolidayDataItem* item = new (std::nothrow) cHolidayDataItem();
  if (item == nullptr) return kStopReading;
  sHolidayLine fields;
  cHolidayLinkObject* chain = nullptr;
  if (ParseHolidayLine(line, fields)) chain = MakeLinks(fields, item);
  if (chain == nullptr) {
    delete item;
    return kLineDropped;
  }
  switch (fields.kind) {
    case kHDO_WeekdayOfMonth:
      item->SetupDayInfo(fields.month, fields.day, fields.dayOfWeek);
      break;
    case kHDO_Period:
      item->SetupDayInfo(fields.month, fields.day, fields.endMonth, fields.endDay);
      break;
    default:
      item->SetupDayInfo(fields.month, fields.day);
      item->SetupSubstituteOnSundayFlag(fields.substitute);
      break;
  }
  item->SetupDayName(fields.name);
  if (fields.hasFrom) item->SetupApplyStartDate(fields.from[0], fields.from[1], fields.from[2]);
  if (fields.hasUntil) {
    item->SetupApplyEndDate(fields.until[0], fields.until[1], fields.until[2]);
  }
  PlaceLinks(chain, list);
  item->SetupLinkList(chain);
  if (items_ != nullptr) item->LinkToNext(items_);
  items_ = item;
  return kLineKept;
}

void cHolidayDataManager::PlaceLinks(cHolidayLinkObject* chain, cHolidayMonthItem*& list) {
  for (cHolidayLinkObject* link = chain; link != nullptr; link = link->GetNextObjectPtr()) {
    cHolidayMonthItem* month = GetTargetMonthObject(list, link->GetTargetMonth(), 1);
    if (month == nullptr) return;
    month->SetupItem(link);
    link->SetupMonthObjPtr(month);
  }
}

void cHolidayDataManager::DispoaeHolidayDataList(cHolidayMonthItem*& list) {
  for (cHolidayMonthItem* m = list; m != nullptr; m = m->GetNextObjectPtr()) m->ReleaseLinks();
  SpDeleteList(list);
  list = nullptr;
}

cHolidayMonthItem* cHolidayDataManager::GetTargetMonthObject(cHolidayMonthItem*& list,
                                                             short month,
                                                             unsigned char create) {
  cHolidayMonthItem* before = nullptr;
  for (cHolidayMonthItem* m = list; m != nullptr; m = m->GetNextObjectPtr()) {
    if (m->GetTergetMonth() == month) return m;
    if (m->GetTergetMonth() < month) before = m;
  }
  if (create == 0) return nullptr;
  cHolidayMonthItem* item = new (std::nothrow) cHolidayMonthItem(month);
  if (item == nullptr) {
    return SpReportFailure(kSource, "cHolidayDataManager::GetTargetMonthObject", 1, kSpMsgMemory,
                           static_cast<cHolidayMonthItem*>(nullptr));
  }
  if (before != nullptr) {
    before->InsertMonthItemAfter(item);
  } else {
    if (list != nullptr) item->LinkToNext(list);
    list = item;
  }
  return item;
}

// ---- cHolidayDataManager: checks ------------------------------------------------------------

Boolean cHolidayDataManager::GetHolidayDataForTargetDay(unsigned char, short year, short month,
                                                        short day, cHolidayDataItem*& found) {
  found = nullptr;
  cHolidayMonthItem* item = GetTargetMonthObject(publicHolidays_, month, 0);
  return item != nullptr && item->GetHolidayDataForTargetDate(year, day, found);
}

short cHolidayDataManager::EquinoxDay(const cHolidayMonthItem* corrections, short year,
                                      short month, short day, short formulaDay) const {
  cHolidayDataItem* correction = nullptr;
  if (corrections == nullptr ||
      !corrections->GetHolidayDataForApplyDay(year, month, day, correction)) {
    return formulaDay;
  }
  short correctedMonth = 0, correctedDay = 0;
  correction->GetDayStartMonthDay(correctedMonth, correctedDay);
  return correctedDay;
}

Boolean cHolidayDataManager::CheckVernalEquinoxDayForTargetDay(short year, short month,
                                                               short day) {
  return month == 3 &&
         day == EquinoxDay(vernalCorrections_, year, month, day,
                           SpHDO_CalculateVernalEquinoxDay(year));
}

Boolean cHolidayDataManager::CheckAutumnalEquinoxDayForTargetDay(short year, short month,
                                                                 short day) {
  return month == 9 &&
         day == EquinoxDay(autumnalCorrections_, year, month, day,
                           SpHDO_CalculateAutumnalEquinoxDay(year));
}

Boolean cHolidayDataManager::CheckHolidayForTargetDay(unsigned char kind, short year, short month,
                                                      short day, char* name, SInt32 length,
                                                      unsigned char& cut) {
  if (name != nullptr && length >= 4) name[0] = '\0';
  if (CheckVernalEquinoxDayForTargetDay(year, month, day)) {
    PutOwnName(kVernalEquinoxName, name, length, cut);
    return true;
  }
  if (CheckAutumnalEquinoxDayForTargetDay(year, month, day)) {
    PutOwnName(kAutumnalEquinoxName, name, length, cut);
    return true;
  }
  cHolidayDataItem* item = nullptr;
  if (GetHolidayDataForTargetDay(kind, year, month, day, item)) {
    if (name != nullptr && length > 0) item->GetHolidayName(name, length, cut);
    return true;
  }
  // The derived holidays look only at the definitions of the neighbouring days.
  short era = 0, y = 0, m = 0, d = 0;
  Sp_SubDay(0, year, month, day, 1, era, y, m, d);
  cHolidayDataItem* before = nullptr;
  if (!GetHolidayDataForTargetDay(kind, y, m, d, before)) return false;
  if (before->GetSubstituteOnSundayFlag() != 0 && IsSunday(y, m, d)) {
    PutDerivedName(kSubstituteHolidayName, name, length);
    return true;
  }
  Sp_AddDay(0, year, month, day, 1, era, y, m, d);
  cHolidayDataItem* after = nullptr;
  if (!GetHolidayDataForTargetDay(kind, y, m, d, after) || citizensHoliday_ == 0) return false;
  PutDerivedName(kCitizensHolidayName, name, length);
  return true;
}

// ---- Entry points ---------------------------------------------------------------------------

cHolidayDataManager* SpHDO_GetHolidayManagerPtr(unsigned char create) {
  if (holidayDataManager_GlV == nullptr && create != 0) {
    holidayDataManager_GlV = new (std::nothrow) cHolidayDataManager();
    if (holidayDataManager_GlV == nullptr) {
      return SpReportFailure(kSource, "SpHDO_GetHolidayManagerPtr", 1, kSpMsgMemory,
                             static_cast<cHolidayDataManager*>(nullptr));
    }
    Sp_SetupDisposeProcedure(SpHDO_DisposeHolidayData, 50, 0, nullptr);
  }
  return holidayDataManager_GlV;
}

Boolean SpHDO_CheckHolidayForTargetDay(unsigned char kind, short year, short month, short day,
                                       char* name, SInt32 length, unsigned char& cut) {
  if (holidayDataManager_GlV == nullptr) return false;
  return holidayDataManager_GlV->CheckHolidayForTargetDay(kind, year, month, day, name, length,
                                                          cut);
}

void SpHDO_DisposeHolidayData(unsigned long) {
  delete holidayDataManager_GlV;
  holidayDataManager_GlV = nullptr;
}

Boolean SpHDO_StringToDayOfWeekNo(const char* text, tDayOfWeekType& dayOfWeek) {
  if (text == nullptr) {
    return SpReportFailure(kSource, "SpHDO_StringToDayOfWeekNo", 1, kSpMsgNullArgument,
                           Boolean(false));
  }
  // The two bytes of the character and the terminator; a shorter text stops at its own.
  for (int i = 0; i < 7; ++i) {
    const char* n = kWeekdayNames[i];
    if (text[0] == n[0] && text[1] == n[1] && text[2] == '\0') {
      dayOfWeek = tDayOfWeekType(i + 1);
      return true;
    }
  }
  return false;
}

short SpHDO_CalculateVernalEquinoxDay(short year) {
  if (year < kFormulaFirstYear || year > kFormulaLastYear) return 21;
  const int years = year - 1980;
  // The sum is rounded to single precision before the leap days are taken off; over the
  // formula's years this gives the days of exact arithmetic.
  const float sum = float(20.8431 + 0.242194 * years);
  return short(sum - float(years / 4));
}

short SpHDO_CalculateAutumnalEquinoxDay(short year) {
  if (year < kFormulaFirstYear || year > kFormulaLastYear) return 23;
  const int years = year - 1980;
  return short(23.2488f + 0.242194f * float(years) - float(years / 4));
}
