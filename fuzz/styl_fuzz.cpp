// 'styl': the bytes as a style scrap from the clipboard or a drag, read with their size, laid
// over the runs of a text as paste does, and written back out as copy does.
#include <cstddef>
#include <cstdint>

#include "FuzzProgramHome.h"
#include "MacMemory.h"
#include "QuickDraw.h"
#include "SpETOTextStyle.h"
#include "SpETOTextStyleRunObject.h"
#include "SpTextStyle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (sp_fuzz::ProgramHome().empty()) return 0;
  static const char kText[] = "Paste \x88\x9F\x88\xA0\x82\xA0 here\tand\rthere.";
  GrafPtr port = nullptr;
  GetPort(&port);
  sTextStyleAttributes attributes;
  Sp_InitializeTextStyleAttribute(attributes);
  cTextStyleRunObject* head = nullptr;
  cTextStyleRunObject* tail = nullptr;
  SpETO_CreateStyleRunObjectFromString(kText, port, attributes, head, tail);

  cETOTextStyleBase table;
  const SInt32 length = size > 0x7FFFFFF ? 0x7FFFFFF : SInt32(size);
  if (table.SetupStyleData(reinterpret_cast<const char*>(data), length)) {
    SpETO_MargeStyleDataIntoRunList(kText, head, &table);
  }
  cETOTextStyleBase copy;
  SpETO_SetupStyleDataFromRunList(&copy, head);
  SInt32 scrapSize = 0;
  char* scrap = copy.CreateStyleScrapData(scrapSize);
  if (scrap != nullptr) DisposePtr(scrap);
  SpETO_DeleteFreeRunList(head);
  return 0;
}
