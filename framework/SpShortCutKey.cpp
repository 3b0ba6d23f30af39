#include "SpShortCutKey.h"

#include "Events.h"
#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpListLinks.h"

namespace {

const char kSource[] = "SpApplicationClass.cpp";

}  // namespace

// ---- cSpSCS_Function ------------------------------------------------------------------------

void cSpSCS_Function::ExecuteFunction() {
  if (proc_ != nullptr) proc_(commandFlag_, shiftFlag_, optionFlag_);
}

// ---- cSpSCS_ShortCutKey ---------------------------------------------------------------------

cSpSCS_ShortCutKey::~cSpSCS_ShortCutKey() {
  SpDeleteList(firstFunction_);
}

cSpSCS_Function* cSpSCS_ShortCutKey::FindFunction(unsigned char command, unsigned char shift,
                                                  unsigned char option) const {
  for (cSpSCS_Function* function = firstFunction_; function != nullptr;
       function = function->GetNextObjectPtr()) {
    if (function->HasFlags(command, shift, option)) return function;
  }
  return nullptr;
}

void cSpSCS_ShortCutKey::AppendFunction(cSpSCS_Function* function) {
  if (function == nullptr) return;
  SpAppendToList(firstFunction_, lastFunction_, function);
}

// ---- cSpSCS_Manager -------------------------------------------------------------------------

cSpSCS_Manager::~cSpSCS_Manager() {
  SpDeleteList(firstKey_);
}

void cSpSCS_Manager::SetKeyFunction(char key, unsigned char command, unsigned char shift,
                                    unsigned char option, SpSCS_ProcPtr proc) {
  cSpSCS_ShortCutKey* entry = firstKey_;
  while (entry != nullptr && entry->GetKey() != key) entry = entry->GetNextObjectPtr();
  if (entry != nullptr) {
    cSpSCS_Function* function = entry->FindFunction(command, shift, option);
    if (function != nullptr) {
      function->SetProcedure(proc);
      return;
    }
  }

  cSpSCS_Function* function = new (std::nothrow) cSpSCS_Function(command, shift, option);
  if (function == nullptr) {
    SpReportFailure(kSource, "cSpSCS_Manager::SetKeyFunction", 1, kSpMsgMemory);
    return;
  }
  function->SetProcedure(proc);
  if (entry == nullptr) {
    entry = new (std::nothrow) cSpSCS_ShortCutKey(key);
    if (entry == nullptr) {
      delete function;
      SpReportFailure(kSource, "cSpSCS_Manager::SetKeyFunction", 1, kSpMsgMemory);
      return;
    }
    SpAppendToList(firstKey_, lastKey_, entry);
  }
  entry->AppendFunction(function);
}

unsigned char cSpSCS_Manager::ExecKey(char key, unsigned char command, unsigned char shift,
                                      unsigned char option) {
  unsigned char matched = 0;
  for (cSpSCS_ShortCutKey* entry = firstKey_; entry != nullptr; entry = entry->GetNextObjectPtr()) {
    if (entry->GetKey() != key) continue;
    for (cSpSCS_Function* function = entry->GetFirstFunction(); function != nullptr;
         function = function->GetNextObjectPtr()) {
      if (!function->HasFlags(command, shift, option)) continue;
      function->ExecuteFunction();
      matched = 1;
    }
  }
  return matched;
}

void SpSCS_ModifiersToFlags(short modifiers, unsigned char* command, unsigned char* shift,
                            unsigned char* option) {
  UInt16 bits = UInt16(modifiers);
  if (command != nullptr) *command = (bits & cmdKey) != 0 ? 1 : 0;
  if (shift != nullptr) *shift = (bits & shiftKey) != 0 ? 1 : 0;
  if (option != nullptr) *option = (bits & optionKey) != 0 ? 1 : 0;
}
