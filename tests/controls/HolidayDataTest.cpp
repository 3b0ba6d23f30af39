// Japanese holidays: equinox days, holiday files and the derived holidays.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "Folders.h"
#include "SpHolidayDataObject.h"
#include "SpStdFileFunction.h"
#include "SpTesting.h"
#include "TestFiles.h"

namespace {

// Names as the files and the module write them (MacJapanese).
const char kVernal[] = "\x8f\x74\x95\xaa\x82\xcc\x93\xfa";
const char kAutumnal[] = "\x8f\x48\x95\xaa\x82\xcc\x93\xfa";
const char kSubstitute[] = "\x90\x55\x91\xd6\x8b\x78\x93\xfa";
const char kCitizens[] = "\x8d\x91\x96\xaf\x82\xcc\x8b\x78\x93\xfa";
const char kConstitutionDay[] = "\x8c\x9b\x96\x40\x8b\x4c\x94\x4f\x93\xfa";  // 10 bytes
const char kChildrensDay[] = "\x82\xb1\x82\xc7\x82\xe0\x82\xcc\x93\xfa";
const char kComingOfAge[] = "\x90\xac\x90\x6c\x82\xcc\x93\xfa";
const char kMonday[] = "\x8c\x8e";

// One line of a holiday file from its fields.
std::string Line(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) line += (i > 0 ? "\t" : "") + fields[i];
  return line;
}

std::string File(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\r";
  return text;
}

class HolidayData : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(home_.Home().empty());
    ASSERT_EQ(noErr, FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum_,
                                &dirID_));
    manager_ = SpHDO_GetHolidayManagerPtr(1);
    ASSERT_NE(nullptr, manager_);
  }
  void TearDown() override { SpHDO_DisposeHolidayData(0); }

  // Writes the file into the Preferences folder; `name` is MacJapanese, `linuxName` its name
  // on disk. Gives its full path.
  std::string Write(const std::string& text, const char* name = "Holidays",
                    const char* linuxName = nullptr) {
    std::ofstream(home_.Path(std::string(".config/") + (linuxName ? linuxName : name)),
                  std::ios::binary | std::ios::trunc)
        << text;
    char path[1024];
    EXPECT_EQ(noErr, Sp_FullPathNameFromFileInfo(vRefNum_, dirID_, name, path));
    return path;
  }
  void LoadPublic(const std::vector<std::string>& lines) {
    manager_->SetupPublicHolidayFileName(Write(File(lines)).c_str(), 1);
  }

  bool Check(short year, short month, short day, std::string* name = nullptr,
             SInt32 length = 64) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    unsigned char cut = 9;
    const bool result =
        SpHDO_CheckHolidayForTargetDay(1, year, month, day, buffer, length, cut);
    if (name != nullptr) *name = length >= 4 ? buffer : "";
    return result;
  }

  sp_testing::HomeScope home_;
  short vRefNum_ = 0;
  SInt32 dirID_ = 0;
  cHolidayDataManager* manager_ = nullptr;
};

TEST_F(HolidayData, EquinoxDaysFollowTheFormulaInsideItsYearsAndAreFixedOutside) {
  struct Case {
    short year, vernal, autumnal;
  } cases[] = {
      {1980, 21, 23},  // before the formula's years
      {2000, 20, 23},
      {2011, 21, 23},
      {2012, 20, 22},
      {2100, 21, 23},  // after them
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.vernal, SpHDO_CalculateVernalEquinoxDay(c.year)) << c.year;
    EXPECT_EQ(c.autumnal, SpHDO_CalculateAutumnalEquinoxDay(c.year)) << c.year;
    std::string name;
    EXPECT_TRUE(Check(c.year, 3, c.vernal, &name)) << c.year;
    EXPECT_EQ(kVernal, name);
    EXPECT_TRUE(Check(c.year, 9, c.autumnal, &name)) << c.year;
    EXPECT_EQ(kAutumnal, name);
    EXPECT_FALSE(Check(c.year, 3, short(c.vernal + 1))) << c.year;
    EXPECT_FALSE(Check(c.year, 9, short(c.autumnal - 1))) << c.year;
  }
}

TEST_F(HolidayData, EquinoxFormulaInSinglePrecisionMatchesExactArithmeticEveryYear) {
  for (int year = 1981; year <= 2099; ++year) {
    const long long n = year - 1980, q = n / 4;
    // k + 0.242194 n - q, in millionths.
    const long long vernal = (20843100 + 242194 * n - q * 1000000) / 1000000;
    const long long autumnal = (23248800 + 242194 * n - q * 1000000) / 1000000;
    EXPECT_EQ(vernal, SpHDO_CalculateVernalEquinoxDay(short(year))) << year;
    EXPECT_EQ(autumnal, SpHDO_CalculateAutumnalEquinoxDay(short(year))) << year;
  }
}

TEST_F(HolidayData, CorrectionFileMovesTheEquinoxOnlyInsideItsDates) {
  // 2000's vernal equinox moved to the 22nd; the autumnal list stays the formula's.
  const std::string text = File({Line({"1", "3", "22", "", "", "", "", "", "2000", "1", "1",
                                       "2000", "12", "31"})});
  Write(text, "Vernal");
  manager_->SetupVernalEquinoxModifyFileName(vRefNum_, dirID_, "Vernal", 1);
  ASSERT_NE(nullptr, manager_->GetVernalEquinoxList());
  EXPECT_TRUE(Check(2000, 3, 22));
  EXPECT_FALSE(Check(2000, 3, 20));
  EXPECT_TRUE(Check(2001, 3, 20));  // outside the correction's dates
  EXPECT_TRUE(Check(2000, 9, 23));
  EXPECT_EQ(nullptr, manager_->GetAutumnalEquinoxList());
}

TEST_F(HolidayData, CorrectionFileNameTooLongForItsFieldIsRefusedAndLoadsNothing) {
  ErrorLogCapture log;
  Write(File({Line({"1", "3", "22"})}), "Vernal");
  manager_->SetupVernalEquinoxModifyFileName(vRefNum_, dirID_, "Vernal", 1);
  ASSERT_NE(nullptr, manager_->GetVernalEquinoxList());
  const std::string longName(kHDO_FileNameFieldSize, 'a');
  for (const char* name : {static_cast<const char*>(nullptr), longName.c_str()}) {
    log.Clear();
    manager_->SetupVernalEquinoxModifyFileName(vRefNum_, dirID_, name, 1);
    EXPECT_TRUE(log.Has("cHolidayDataManager::SetupVernalEquinoxModifyFileName", 1));
    EXPECT_NE(nullptr, manager_->GetVernalEquinoxList()) << "the loaded list stays";
  }
  EXPECT_TRUE(Check(2010, 3, 22));
}

TEST_F(HolidayData, SubstituteAndCitizensHolidaysComeFromTheNeighbouringDefinitions) {
  // 2009-05-03 is a Sunday, 2010-05-03 a Monday.
  const std::string may3Flag = Line({"1", "5", "3", "", "", "", "1", kConstitutionDay});
  const std::string may3 = Line({"1", "5", "3", "", "", "", "0", kConstitutionDay});
  const std::string may5 = Line({"1", "5", "5", "", "", "", "0", kChildrensDay});
  struct Case {
    std::vector<std::string> lines;
    short year;
    bool holiday;
    const char* name;
  } cases[] = {
      {{may3Flag}, 2009, true, kSubstitute},
      {{may3}, 2009, false, ""},             // no flag, no substitute
      {{may3Flag}, 2010, false, ""},         // the holiday was no Sunday
      {{may3, may5}, 2010, true, kCitizens},  // between two holidays
      {{may3, may5}, 2009, true, kCitizens},
      {{may3Flag, may5}, 2009, true, kSubstitute},  // the substitute comes first
  };
  for (const Case& c : cases) {
    LoadPublic(c.lines);
    std::string name;
    EXPECT_EQ(c.holiday, Check(c.year, 5, 4, &name)) << c.year << " " << c.lines.size();
    EXPECT_EQ(c.name, name);
  }
  // The previous day across a month start: a Sunday holiday on the 31st.
  LoadPublic({Line({"1", "5", "31", "", "", "", "1", "x"})});
  EXPECT_TRUE(Check(2009, 6, 1));  // 2009-05-31 is a Sunday
}

TEST_F(HolidayData, OwnNamesAreWrittenOnlyIntoBuffersThatHoldThemWhole) {
  LoadPublic({Line({"1", "5", "3", "", "", "", "1", "a"}),
              Line({"1", "5", "10", "", "", "", "0", "b"}),
              Line({"1", "5", "12", "", "", "", "0", "c"})});
  struct Case {
    short month, day;
    SInt32 length;
    const char* name;
    unsigned char cut;  // 9: left alone
  } cases[] = {
      {3, 20, 9, kVernal, 0},   {3, 20, 8, "", 1},  // the equinox names need 9 bytes
      {5, 4, 9, kSubstitute, 9}, {5, 4, 8, "", 9},  // 2009-05-03 is a Sunday
      {5, 11, 11, kCitizens, 9}, {5, 11, 10, "", 9},
  };
  for (const Case& c : cases) {
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    unsigned char cut = 9;
    EXPECT_TRUE(SpHDO_CheckHolidayForTargetDay(1, 2009, c.month, c.day, buffer, c.length, cut));
    EXPECT_STREQ(c.name, buffer) << c.month << "/" << c.day << " in " << c.length;
    EXPECT_EQ(c.cut, cut) << c.month << "/" << c.day << " in " << c.length;
  }
}

TEST_F(HolidayData, PeriodsSpanMonthsButNotTheYearEnd) {
  LoadPublic({Line({"3", "4", "29", "", "5", "5", "", "GW"}),
              Line({"3", "12", "29", "", "1", "3", "", "New Year"}),  // ends before it starts
              Line({"3", "11", "30", "", "14", "2", "", "Late"})});   // runs past December
  struct Case {
    short month, day;
    bool holiday;
  } cases[] = {
      {4, 28, false}, {4, 29, true}, {4, 30, true}, {5, 1, true}, {5, 5, true},
      {5, 6, false},  {12, 30, true}, {12, 31, true}, {1, 2, false}, {11, 29, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.holiday, Check(2011, c.month, c.day)) << c.month << "/" << c.day;
  }
  // One link in April from the 29th on, one in May up to the 5th.
  cHolidayMonthItem* list = manager_->GetPublicHolidayList();
  int months = 0;
  for (cHolidayMonthItem* m = list; m != nullptr; m = m->GetNextObjectPtr()) {
    ++months;
    const cHolidayLinkObject* link = m->GetPeriodList();
    ASSERT_NE(nullptr, link);
    unsigned char from = 0, to = 0;
    link->GetContinueFlag(from, to);
    if (m->GetTergetMonth() == 4) {
      EXPECT_EQ(29, link->GetStartDay());
      EXPECT_EQ(0, from);
      EXPECT_EQ(1, to);
    }
    if (m->GetTergetMonth() == 5) {
      EXPECT_EQ(5, link->GetEndDay());
      EXPECT_EQ(1, from);
      EXPECT_EQ(0, to);
    }
  }
  EXPECT_EQ(4, months);  // April, May, November, December
}

TEST_F(HolidayData, NthWeekdayMatchesOnlyThatWeekdayOfThatWeek) {
  LoadPublic({Line({"2", "1", "2", kMonday, "", "", "", kComingOfAge}),
              Line({"2", "1", "3", "Mo", "", "", "", "unknown weekday"})});
  std::string name;
  for (short day = 1; day <= 31; ++day) {
    // The second Monday of January 2011 is the 10th.
    EXPECT_EQ(day == 10, Check(2011, 1, day, &name)) << day;
  }
  EXPECT_TRUE(Check(2012, 1, 9, &name));
  EXPECT_EQ(kComingOfAge, name);
  EXPECT_EQ(nullptr, manager_->GetDataItemList()->GetNextObjectPtr()) << "one line kept";
}

TEST_F(HolidayData, ApplyWindowsIncludeBothEndsAndLaterDefinitionsTakeOver) {
  LoadPublic({Line({"1", "1", "15", "", "", "", "", "old", "1949", "1", "1", "1999", "1", "15"}),
              Line({"1", "1", "15", "", "", "", "", "new", "2000", "1", "15"})});
  struct Case {
    short year;
    bool holiday;
    const char* name;
  } cases[] = {{1948, false, ""}, {1949, true, "old"}, {1999, true, "old"}, {2000, true, "new"}};
  for (const Case& c : cases) {
    std::string name;
    EXPECT_EQ(c.holiday, Check(c.year, 1, 15, &name)) << c.year;
    EXPECT_EQ(c.name, name) << c.year;
  }
}

TEST_F(HolidayData, IncompleteOrOversizedLinesAreDroppedWholeWithoutLeakingIntoOthers) {
  const std::string good = Line({"1", "7", "20", "", "", "", "", "kept"});
  const std::string lines[] = {
      Line({"", "5", "3"}),                          // no kind
      Line({"1", "", "10"}),                         // no month: not the previous line's
      Line({"1", "6", ""}),                          // no day
      Line({"3", "8", "1", "", "", "5"}),            // period without its end month
      Line({"3", "8", "1", "", "9", ""}),            // nor its end day
      Line({"1", "65545", "9"}),                     // 65545 would wrap to month 9
      Line({"1", "9", "70000"}),
      Line({"1", "9", "9", "", "", "", "", "x", "99999", "1", "1"}),
      Line({"1", "10", "10", "", "", "", "", std::string(600, 'n')}),  // over 511 bytes
  };
  for (const std::string& bad : lines) {
    // Every file's definitions stay with the manager: a new one counts only this file's.
    SpHDO_DisposeHolidayData(0);
    manager_ = SpHDO_GetHolidayManagerPtr(1);
    LoadPublic({good, bad, good});
    int kept = 0;
    for (cHolidayDataItem* i = manager_->GetDataItemList(); i; i = i->GetNextObjectPtr()) {
      short month = 0, day = 0;
      i->GetDayStartMonthDay(month, day);
      EXPECT_TRUE(month == 7 && day == 20) << bad.substr(0, 40) << ": " << month << "/" << day;
      ++kept;
    }
    EXPECT_EQ(2, kept) << bad.substr(0, 40);
    for (short month : {5, 6, 8, 10}) {
      for (short day = 1; day <= 31; ++day) {
        ASSERT_FALSE(Check(2011, month, day)) << bad.substr(0, 40) << ": " << month << "/" << day;
      }
    }
    EXPECT_FALSE(Check(2011, 9, 9)) << bad.substr(0, 40);
  }
  // A substitute flag left empty is off, whatever the kind field holds.
  LoadPublic({Line({"1", "5", "3", "", "", "", "", "x"})});
  EXPECT_FALSE(Check(2009, 5, 4));
}

TEST_F(HolidayData, FieldsAndLinesAreTakenUpToTheirLimitsAndDroppedJustPastThem) {
  // A line of `length` bytes: a fixed date on 7/20 whose name fills it up.
  auto lineOf = [](std::size_t length) {
    std::string line = Line({"1", "7", "20", "", "", "", "", ""});
    return line + std::string(length - line.size(), 'n');
  };
  const struct {
    std::string line;
    bool kept;
    const char* why;
  } cases[] = {
      {Line({"1", "7", "32767"}), true, "the largest 16-bit day"},
      {Line({"1", "7", "32768"}), false, "one more would wrap to -32768"},
      {Line({"1", "-32768", "20"}), true, "the smallest 16-bit month"},
      {Line({"1", "-32769", "20"}), false, "one less would wrap to 32767"},
      {Line({"1", "7", "20", "", "", "", "", "x", "32767", "1", "1"}), true, "a largest year"},
      {Line({"1", "7", "20", "", "", "", "", "x", "2000", "1", "32768"}), false, "a day past it"},
      {Line({"3", "7", "20", "", "7", "20", "", "x"}), true, "a period of one day"},
      {Line({"3", "7", "20", "", "7", "19", "", "x"}), false, "a period ending the day before"},
      {Line({"3", "7", "20", "", "6", "30", "", "x"}), false, "a period ending a month before"},
      {lineOf(kHDO_LineLimit), true, "a line of the longest length"},
      {lineOf(kHDO_LineLimit + 1), false, "a line one byte longer"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    SpHDO_DisposeHolidayData(0);
    manager_ = SpHDO_GetHolidayManagerPtr(1);
    LoadPublic({c.line});
    EXPECT_EQ(c.kept, manager_->GetDataItemList() != nullptr);
  }
  // What a kept line says holds: the one-day period is a holiday on its day only, and the
  // longest line's date is read.
  LoadPublic({Line({"3", "7", "20", "", "7", "20", "", "x"}), lineOf(kHDO_LineLimit)});
  EXPECT_FALSE(Check(2011, 7, 19));
  EXPECT_TRUE(Check(2011, 7, 20));
  EXPECT_FALSE(Check(2011, 7, 21));
  LoadPublic({lineOf(kHDO_LineLimit)});
  EXPECT_TRUE(Check(2011, 7, 20));
}

TEST_F(HolidayData, ShiftJISNamesAndFileNamesAreReadAndCutOnCharacterBoundaries) {
  // The file's name is MacJapanese in the path and UTF-8 on disk.
  const std::string path = Write(File({Line({"1", "5", "3", "", "", "", "0", kConstitutionDay})}),
                                 "\x8f\x6a\x93\xfa", "\xe7\xa5\x9d\xe6\x97\xa5");
  manager_->SetupPublicHolidayFileName(path.c_str(), 1);
  struct Case {
    SInt32 length;
    std::size_t bytes;
    unsigned char cut;
  } cases[] = {
      {12, 10, 0},  // whole
      {11, 8, 1},   // nine bytes fit, but the fifth character's second would be lost
      {7, 4, 1},
      {6, 4, 1},
  };
  for (const Case& c : cases) {
    char buffer[16];
    unsigned char cut = 9;
    ASSERT_TRUE(SpHDO_CheckHolidayForTargetDay(1, 2011, 5, 3, buffer, c.length, cut));
    EXPECT_EQ(std::string(kConstitutionDay, c.bytes), buffer) << c.length;
    EXPECT_EQ(c.cut, cut) << c.length;
  }
}

TEST_F(HolidayData, ReloadingEmptyingAndMissingFilesLeaveOnlyWhatTheLastFileSays) {
  LoadPublic({Line({"1", "5", "3"})});
  EXPECT_TRUE(Check(2011, 5, 3));
  LoadPublic({Line({"1", "5", "5"})});
  EXPECT_FALSE(Check(2011, 5, 3));
  EXPECT_TRUE(Check(2011, 5, 5));
  manager_->SetupPublicHolidayFileName(nullptr, 1);
  EXPECT_EQ(nullptr, manager_->GetPublicHolidayList());
  EXPECT_FALSE(Check(2011, 5, 5));

  cHolidayMonthItem* list = nullptr;
  EXPECT_EQ(fnfErr, manager_->LoadHolidayFileData(vRefNum_, dirID_, "Missing", list));
  EXPECT_EQ(nullptr, list);
  EXPECT_NE(noErr, manager_->LoadHolidayFileData("NoSuchVolume:Folder:File", list));
}

TEST_F(HolidayData, HostileFileKeepsAtMostItsLimitOfDefinitions) {
  ErrorLogCapture log;
  std::vector<std::string> lines(kHDO_MaxDefinitionsPerFile + 10, Line({"1", "1", "1"}));
  lines.push_back(Line({"1", "2", "2"}));
  LoadPublic(lines);
  int kept = 0;
  for (cHolidayDataItem* i = manager_->GetDataItemList(); i; i = i->GetNextObjectPtr()) ++kept;
  EXPECT_EQ(kHDO_MaxDefinitionsPerFile, kept);
  EXPECT_TRUE(log.Has("cHolidayDataManager::LoadHolidayFileData", 2));
  EXPECT_FALSE(Check(2011, 2, 2)) << "reading stopped at the limit";
}

TEST(HolidayDataWithoutManager, NoDayIsAHolidayAndTheBufferStaysUntouched) {
  SpHDO_DisposeHolidayData(0);
  char buffer[16] = "untouched";
  unsigned char cut = 7;
  EXPECT_FALSE(SpHDO_CheckHolidayForTargetDay(1, 2000, 3, 20, buffer, sizeof buffer, cut));
  EXPECT_STREQ("untouched", buffer);
  EXPECT_EQ(7, cut);
}

}  // namespace
