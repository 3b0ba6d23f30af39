// A holiday a client sets on a calendar: its date, an optional name and a setup type that is
// stored and handed back. Items stay in the order they were set.
//
// Failures beep once and leave one error-log record (source "SpCalenderIconHolidayItem").
#pragma once

#include "MacTypes.h"
#include "SpGeneralStringObject.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

class cSp_CalenderIconHolidayItem : public cSpListLinks<cSp_CalenderIconHolidayItem>,
                                    public cSpMacHeapObject {
 public:
  // A non-empty name is copied into a string object.
  cSp_CalenderIconHolidayItem(short year, short month, short day, const char* name,
                              UInt8 setupType);
  // Frees the name.
  ~cSp_CalenderIconHolidayItem();
  cSp_CalenderIconHolidayItem(const cSp_CalenderIconHolidayItem&) = delete;
  cSp_CalenderIconHolidayItem& operator=(const cSp_CalenderIconHolidayItem&) = delete;

  bool IsDate(short year, short month, short day) const {
    return year == year_ && month == month_ && day == day_;
  }
  // The name into the buffer (emptied first): at most length - 2 bytes; cut tells whether
  // some was left out.
  void GetName(char* buffer, short length, unsigned char& cut) const;
  UInt8 GetSetupType() const { return setupType_; }

 private:
  short year_ = 0;
  short month_ = 0;
  short day_ = 0;
  sSO_StringObjectBase* name_ = nullptr;
  UInt8 setupType_ = 0;
};
