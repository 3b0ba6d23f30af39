#include "SpMenuExecProcObj.h"

// ---- cSpMenuExecuteProcItem -----------------------------------------------------------------

unsigned char cSpMenuExecuteProcItem::ExecuteProcedure(cSpMenu* menu, cSpMenuItem* item,
                                                       SInt32 itemNo,
                                                       sSpModifiersDataStruct& modifiers) {
  if (proc_ == nullptr) return 0;
  return proc_(menu, item, itemNo, modifiers, userData_);
}

// ---- cSpMenuItemExecuteProcItem -------------------------------------------------------------

unsigned char cSpMenuItemExecuteProcItem::ExecuteProcedure(cSpMenu* menu, cSpMenuItem* item,
                                                           sSpModifiersDataStruct& modifiers) {
  if (proc_ == nullptr) return 0;
  return proc_(menu, item, modifiers, userData_);
}
