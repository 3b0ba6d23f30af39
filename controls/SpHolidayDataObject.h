// Japanese holidays for the calendar: whether a date is a holiday, and the holiday's name.
//
// Holidays come from text files the client names: MacJapanese lines ended by a carriage
// return, TAB-separated fields numbered from 0:
//   0 kind (low 8 bits: 2 n-th weekday of a month, 3 period, anything else a fixed date)
//   1 month (start month of a period)
//   2 day; week number (1 = days 1-7, 2 = days 8-14, ...) for kind 2; start day for kind 3
//   3 weekday, one of the two-byte names of Sunday to Saturday (kind 2)
//   4, 5 end month and end day (kind 3)
//   6 substitute-on-Sunday flag, non-zero sets it (fixed dates; empty means 0)
//   7 the holiday's name (may be empty)
//   8-10, 11-13 apply-from and apply-until year, month, day (optional; an empty field ends
//   its group without setting a date)
// A line whose kind, month or day fields are empty, whose numbers do not fit 16 bits, whose
// weekday is unknown, whose period ends before it starts (a period cannot cross a year end)
// or that is longer than 511 bytes is dropped whole; reading goes on with the next line.
// Months and days are otherwise not range-checked: a fixed date in month 13 lands in a month
// no look-up reaches, and a day that does not exist never matches. A period is placed only in
// the months 1 to 12 that it spans.
//
// Each loaded file becomes a list of month items, ascending; each month item keeps three
// lists of link objects (fixed dates by day, periods by start day, n-th weekdays by week
// number) that lead to the definitions (cHolidayDataItem). The vernal and autumnal equinox
// days come from a formula, unless a correction file gives the day for a date range. Two
// holidays are derived: the day after a Sunday holiday that has the substitute flag, and a
// day between two holidays (the citizens' holiday). Only the public holiday list and the two
// correction lists are consulted; the personal holiday and event lists are kept for clients.
//
// One manager serves the program, made on demand by SpHDO_GetHolidayManagerPtr; until a client
// makes it and names a file, no day is a holiday.
#pragma once

#include "DateTimeUtils.h"
#include "MacTypes.h"
#include "SpGeneralStringObject.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

// Weekdays, numbered as LongDateRec's dayOfWeek.
enum tDayOfWeekType : UInt8 {
  kSpSunday = 1,
  kSpMonday = 2,
  kSpTuesday = 3,
  kSpWednesday = 4,
  kSpThursday = 5,
  kSpFriday = 6,
  kSpSaturday = 7,
};

// How a definition gives its days; 0 is "not set".
enum tHolidayDataExpressionType : UInt8 {
  kHDO_NotSet = 0,
  kHDO_FixedDate = 1,
  kHDO_WeekdayOfMonth = 2,
  kHDO_Period = 3,
};

enum : SInt32 {
  kHDO_LineLimit = 511,            // bytes of one line of a holiday file
  kHDO_FileNameFieldSize = 512,    // a correction file's name with its terminator
  kHDO_MaxDefinitionsPerFile = 4096,  // lines kept from one file; reading stops there
};

class cHolidayDataItem;
class cHolidayMonthItem;

// Places one definition in one month. It sits in two lists: its definition's chain of links
// (the cSpListLinks operations) and one of its month item's three lists (the Month...
// operations).
class cHolidayLinkObject : public cSpListLinks<cHolidayLinkObject>, public cSpMacHeapObject {
 public:
  cHolidayLinkObject() = default;
  cHolidayLinkObject(const cHolidayLinkObject&) = delete;
  cHolidayLinkObject& operator=(const cHolidayLinkObject&) = delete;

  void SetupDataType(tHolidayDataExpressionType type) { dataType_ = type; }
  void SetupTargetMonth(short month) { month_ = month; }
  // A fixed date: the day is both start and end day.
  void SetupDayInfo(short month, short day);
  void SetupDayInfo(short month, short weekNo, tDayOfWeekType dayOfWeek);
  // A period's share of one month; a day is kept as 0 when its continue flag is set.
  void SetupDayInfo(short month, unsigned char continueFrom, short startDay,
                    unsigned char continueTo, short endDay);
  void SetupStartDay(unsigned char continueFrom, short day);
  void SetupEndDay(unsigned char continueTo, short day);
  void SetupItem(cHolidayDataItem* item) { item_ = item; }
  void SetupMonthObjPtr(cHolidayMonthItem* month) { monthItem_ = month; }

  cHolidayDataItem* GetTargetItem() const { return item_; }
  cHolidayMonthItem* GetMonthObjPtr() const { return monthItem_; }
  short GetTargetMonth() const { return month_; }
  tHolidayDataExpressionType GetDataType() const { return dataType_; }
  void GetContinueFlag(unsigned char& from, unsigned char& to) const {
    from = continueFrom_;
    to = continueTo_;
  }
  short GetStartDay() const { return startDay_; }
  short GetEndDay() const { return endDay_; }
  short GetNumOfWeek() const { return weekNo_; }
  tDayOfWeekType GetDayOfWeek() const { return dayOfWeek_; }

  // The month list.
  void LinkToMonthNext(cHolidayLinkObject* link);
  cHolidayLinkObject* UnlinkMonthNext();
  cHolidayLinkObject* GetMonthBeforeObjectPtr() const { return monthBefore_; }
  cHolidayLinkObject* GetMonthNextObjectPtr() const { return monthNext_; }
  cHolidayLinkObject* GetMonthLastObjectPtr();
  // Puts `link` directly after this one in the month list.
  void InsertMonthNext(cHolidayLinkObject* link);

 private:
  tHolidayDataExpressionType dataType_ = kHDO_NotSet;
  cHolidayMonthItem* monthItem_ = nullptr;
  cHolidayDataItem* item_ = nullptr;
  short month_ = 0;
  unsigned char continueFrom_ = 0;
  unsigned char continueTo_ = 0;
  short startDay_ = 0;
  short endDay_ = 0;
  short weekNo_ = 0;
  tDayOfWeekType dayOfWeek_ = kSpSunday;
  cHolidayLinkObject* monthBefore_ = nullptr;
  cHolidayLinkObject* monthNext_ = nullptr;
};

// One definition: one line of a holiday file. It owns its name and its chain of links.
class cHolidayDataItem : public cSpListLinks<cHolidayDataItem>, public cSpMacHeapObject {
 public:
  cHolidayDataItem() = default;
  ~cHolidayDataItem();
  cHolidayDataItem(const cHolidayDataItem&) = delete;
  cHolidayDataItem& operator=(const cHolidayDataItem&) = delete;

  void SetupDayInfo(short month, short day);
  void SetupDayInfo(short month, short weekNo, tDayOfWeekType dayOfWeek);
  void SetupDayInfo(short startMonth, short startDay, short endMonth, short endDay);
  void SetupSubstituteOnSundayFlag(unsigned char flag) { substituteOnSunday_ = flag; }
  // Appends a chain of links to the item's own.
  void SetupLinkList(cHolidayLinkObject* chain);
  // The date is kept normalised; it counts only with a month of 1 to 12 and a day of 1 to 31.
  void SetupApplyStartDate(short year, short month, short day);
  void SetupApplyEndDate(short year, short month, short day);
  // Makes the name on first use; a name that cannot be made stays unset.
  void SetupDayName(const char* name);

  tHolidayDataExpressionType GetKind() const { return kind_; }
  void GetDayStartMonthDay(short& month, short& day) const {
    month = month_;
    day = day_;
  }
  void GetDayEndMonthDay(short& month, short& day) const {
    month = endMonth_;
    day = endDay_;
  }
  short GetNumOfWeek() const { return weekNo_; }
  tDayOfWeekType GetDayOfWeek() const { return dayOfWeek_; }
  // Empties the buffer and copies the name: at most length - 2 bytes, cut on a character
  // boundary, `cut` set when bytes were left out. A null buffer is refused.
  void GetHolidayName(char* buffer, SInt32 length, unsigned char& cut) const;
  unsigned char GetSubstituteOnSundayFlag() const { return substituteOnSunday_; }
  Boolean GetApplyStartDate(LongDateRec& date) const;
  Boolean GetApplyEndDate(LongDateRec& date) const;
  cHolidayLinkObject* GetLinkList() const { return firstLink_; }
  // True when the date lies inside the apply window, both ends included.
  Boolean IsApplyDate(short year, short month, short day) const;

 private:
  tHolidayDataExpressionType kind_ = kHDO_NotSet;
  unsigned char applyFromSet_ = 0;
  unsigned char applyUntilSet_ = 0;
  LongDateRec applyFrom_{};
  LongDateRec applyUntil_{};
  short month_ = 0;
  short day_ = 0;
  short endMonth_ = 0;
  short endDay_ = 0;
  short weekNo_ = 0;
  tDayOfWeekType dayOfWeek_ = kSpSunday;
  unsigned char substituteOnSunday_ = 0;
  sSO_StringObjectBase* name_ = nullptr;
  cHolidayLinkObject* firstLink_ = nullptr;
  cHolidayLinkObject* lastLink_ = nullptr;
};

// One month of one loaded file: its three sorted lists of links, which it does not own.
class cHolidayMonthItem : public cSpListLinks<cHolidayMonthItem>, public cSpMacHeapObject {
 public:
  explicit cHolidayMonthItem(short month) : month_(month) {}
  cHolidayMonthItem(const cHolidayMonthItem&) = delete;
  cHolidayMonthItem& operator=(const cHolidayMonthItem&) = delete;

  // Sorted insertion by the link's data type: periods by start day (continuing ones first),
  // n-th weekdays by week number, fixed dates by day. Equal days keep file order; a later
  // n-th weekday of the same week number comes first.
  void SetupItem(cHolidayLinkObject* link);
  short GetTergetMonth() const { return month_; }
  // The first definition that gives the day of this month in that year, looking at fixed
  // dates, then periods, then n-th weekdays; definitions whose apply window leaves the date
  // out are passed over.
  Boolean GetHolidayDataForTargetDate(short year, short day, cHolidayDataItem*& found) const;
  // The first fixed-date definition whose apply window holds the date; its day is not
  // compared (the equinox corrections).
  Boolean GetHolidayDataForApplyDay(short year, short month, short day,
                                    cHolidayDataItem*& found) const;

  cHolidayLinkObject* GetFixedDateList() const { return fixedHead_; }
  cHolidayLinkObject* GetPeriodList() const { return periodHead_; }
  cHolidayLinkObject* GetWeekdayList() const { return weekdayHead_; }
  // Puts `item` directly after this one in its list of month items.
  void InsertMonthItemAfter(cHolidayMonthItem* item) { InsertAfter(item); }
  // Takes every link out of the three lists, so that none points here once this item goes.
  void ReleaseLinks();

 private:
  short month_;
  cHolidayLinkObject* fixedHead_ = nullptr;
  cHolidayLinkObject* periodHead_ = nullptr;
  cHolidayLinkObject* weekdayHead_ = nullptr;
};

// The holidays of the program.
class cHolidayDataManager : public cSpMacHeapObject {
 public:
  cHolidayDataManager() = default;
  ~cHolidayDataManager();
  cHolidayDataManager(const cHolidayDataManager&) = delete;
  cHolidayDataManager& operator=(const cHolidayDataManager&) = delete;

  // With a path: keep it and, with load, read the file afresh into its list. With a null or
  // empty path: empty the list and forget the name.
  void SetupPublicHolidayFileName(const char* fullPath, unsigned char load);
  void SetupPersonalHolidayFileName(const char* fullPath, unsigned char load);
  void SetupPublicEventFileName(const char* fullPath, unsigned char load);
  void SetupPersonalEventFile_Name(const char* fullPath, unsigned char load);
  // Keep the correction file's place and, with load, read it afresh. A null name, or one
  // that does not fit 512 bytes with its terminator, is refused.
  void SetupVernalEquinoxModifyFileName(short vRefNum, SInt32 dirID, const char* name,
                                        unsigned char load);
  void SetupAutumnalEquinoxModifyFileName(short vRefNum, SInt32 dirID, const char* name,
                                          unsigned char load);

  // Reads the file at the HFS full path (Volume:Folder:Name) into the list; the first error
  // of finding it, else the result of the load below.
  OSErr LoadHolidayFileData(const char* fullPath, cHolidayMonthItem*& list);
  // Reads the file into the list (emptied to null first); 0, the open error, or paramErr.
  OSErr LoadHolidayFileData(short vRefNum, SInt32 dirID, const char* name,
                            cHolidayMonthItem*& list);
  // Deletes the list's month items and sets it to null.
  void DispoaeHolidayDataList(cHolidayMonthItem*& list);
  // The month item of that month; made and put in order when missing and `create` is set.
  cHolidayMonthItem* GetTargetMonthObject(cHolidayMonthItem*& list, short month,
                                          unsigned char create);

  // True when the date is a holiday. The name buffer (may be null) gets the holiday's name;
  // the leading byte does not change the answer.
  Boolean CheckHolidayForTargetDay(unsigned char kind, short year, short month, short day,
                                   char* name, SInt32 length, unsigned char& cut);
  // The public holiday definition that gives the date.
  Boolean GetHolidayDataForTargetDay(unsigned char kind, short year, short month, short day,
                                     cHolidayDataItem*& found);
  Boolean CheckVernalEquinoxDayForTargetDay(short year, short month, short day);
  Boolean CheckAutumnalEquinoxDayForTargetDay(short year, short month, short day);

  cHolidayMonthItem* GetPublicHolidayList() const { return publicHolidays_; }
  cHolidayMonthItem* GetPersonalHolidayList() const { return personalHolidays_; }
  cHolidayMonthItem* GetPublicEventList() const { return publicEvents_; }
  cHolidayMonthItem* GetPersonalEventList() const { return personalEvents_; }
  cHolidayMonthItem* GetVernalEquinoxList() const { return vernalCorrections_; }
  cHolidayMonthItem* GetAutumnalEquinoxList() const { return autumnalCorrections_; }
  cHolidayDataItem* GetDataItemList() const { return items_; }

 private:
  struct sCorrectionFile {
    short vRefNum = 0;
    SInt32 dirID = 0;
    char name[kHDO_FileNameFieldSize] = {};
  };

  void SetupFileName(sSO_StringObjectBase*& name, const char* fullPath,
                     unsigned char load, cHolidayMonthItem*& list);
  void SetupCorrectionFile(const char* method, sCorrectionFile& file, short vRefNum,
                           SInt32 dirID, const char* name, unsigned char load,
                           cHolidayMonthItem*& list);
  enum tLineResult { kLineKept, kLineDropped, kStopReading };
  // Reads one line of a holiday file into the list.
  tLineResult LoadOneLine(const char* line, cHolidayMonthItem*& list);
  // Puts each link of the chain into its month item of the list, made when missing.
  void PlaceLinks(cHolidayLinkObject* chain, cHolidayMonthItem*& list);
  // Day of the equinox in that year: a correction of the list that applies, else the formula.
  short EquinoxDay(const cHolidayMonthItem* corrections, short year, short month, short day,
                   short formulaDay) const;

  sSO_StringObjectBase* publicHolidayFile_ = nullptr;
  sSO_StringObjectBase* personalHolidayFile_ = nullptr;
  sSO_StringObjectBase* publicEventFile_ = nullptr;
  sSO_StringObjectBase* personalEventFile_ = nullptr;
  sCorrectionFile vernalFile_;
  sCorrectionFile autumnalFile_;
  cHolidayMonthItem* publicHolidays_ = nullptr;
  cHolidayMonthItem* personalHolidays_ = nullptr;
  cHolidayMonthItem* publicEvents_ = nullptr;
  cHolidayMonthItem* personalEvents_ = nullptr;
  unsigned char citizensHoliday_ = 1;
  cHolidayMonthItem* vernalCorrections_ = nullptr;
  cHolidayMonthItem* autumnalCorrections_ = nullptr;
  cHolidayDataItem* items_ = nullptr;
};

// The program's manager, null until made.
extern cHolidayDataManager* holidayDataManager_GlV;

// The manager; made (with its disposal registered) when missing and `create` is set.
cHolidayDataManager* SpHDO_GetHolidayManagerPtr(unsigned char create);
// False when there is no manager; else the manager's answer.
Boolean SpHDO_CheckHolidayForTargetDay(unsigned char kind, short year, short month, short day,
                                       char* name, SInt32 length, unsigned char& cut);
// Deletes the manager.
void SpHDO_DisposeHolidayData(unsigned long userData);
// The weekday of a two-byte weekday name (its terminator included); false and the weekday
// unchanged for any other text.
Boolean SpHDO_StringToDayOfWeekNo(const char* text, tDayOfWeekType& dayOfWeek);
// The day of March and of September of that year's equinox.
short SpHDO_CalculateVernalEquinoxDay(short year);
short SpHDO_CalculateAutumnalEquinoxDay(short year);
