// A holiday item of the calendar.
#include "SpCalenderIconHolidayItem.h"

#include "SpErrorInfoSystem.h"

namespace {

const char kSource[] = "SpCalenderIconHolidayItem";

}  // namespace

cSp_CalenderIconHolidayItem::cSp_CalenderIconHolidayItem(short year, short month, short day,
                                                         const char* name, UInt8 setupType)
    : year_(year), month_(month), day_(day), setupType_(setupType) {
  if (name == nullptr || name[0] == '\0') return;
  name_ = SpSO_NewStringObject();
  if (name_ == nullptr) {
    SpReportFailure(kSource, "cSp_CalenderIconHolidayItem::cSp_CalenderIconHolidayItem", 1,
                    kSpMsgMemory);
    return;
  }
  SpSO_strcopy(name_, name);
}

cSp_CalenderIconHolidayItem::~cSp_CalenderIconHolidayItem() {
  if (name_ != nullptr) SpSO_DisposeStringObject(name_);
}

void cSp_CalenderIconHolidayItem::GetName(char* buffer, short length, unsigned char& cut) const {
  cut = 0;
  if (buffer == nullptr || length < 1) return;
  buffer[0] = '\0';
  if (name_ != nullptr) SpSO_GetString(name_, buffer, length, cut);
}
