// The application's short-cut keys: a character pressed with a combination of the Command,
// Shift and Option keys calls a procedure that the application registered. The table is
// asked first for every key-down, before the edit-text engine and the front window; a key it
// takes goes no further.
//
// The table holds one key entry per character, in the order the characters were first
// registered; each key entry holds one function per combination of the three flags. The
// manager owns its key entries and each key entry its functions.
#pragma once

#include <new>

#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

// A short-cut's procedure. It is called with the three flags of its combination (each 0 or 1:
// Command, Shift, Option); its result is not used.
typedef SInt32 (*SpSCS_ProcPtr)(unsigned char command, unsigned char shift, unsigned char option);

// One flag combination of a character and its procedure.
class cSpSCS_Function : public cSpListLinks<cSpSCS_Function>, public cSpMacHeapObject {
 public:
  cSpSCS_Function(unsigned char command, unsigned char shift, unsigned char option)
      : commandFlag_(command), shiftFlag_(shift), optionFlag_(option) {}
  cSpSCS_Function(const cSpSCS_Function&) = delete;
  cSpSCS_Function& operator=(const cSpSCS_Function&) = delete;

  // True when all three flags are the same bytes.
  bool HasFlags(unsigned char command, unsigned char shift, unsigned char option) const {
    return commandFlag_ == command && shiftFlag_ == shift && optionFlag_ == option;
  }
  // Null: the combination is still taken, and nothing is called.
  void SetProcedure(SpSCS_ProcPtr proc) { proc_ = proc; }
  SpSCS_ProcPtr GetProcedure() const { return proc_; }
  // Calls the procedure, when there is one, with the three flags.
  void ExecuteFunction();

 private:
  unsigned char commandFlag_;
  unsigned char shiftFlag_;
  unsigned char optionFlag_;
  SpSCS_ProcPtr proc_ = nullptr;
};

// One character of the table with its functions.
class cSpSCS_ShortCutKey : public cSpListLinks<cSpSCS_ShortCutKey>, public cSpMacHeapObject {
 public:
  explicit cSpSCS_ShortCutKey(char key) : key_(key) {}
  ~cSpSCS_ShortCutKey();
  cSpSCS_ShortCutKey(const cSpSCS_ShortCutKey&) = delete;
  cSpSCS_ShortCutKey& operator=(const cSpSCS_ShortCutKey&) = delete;

  char GetKey() const { return key_; }
  cSpSCS_Function* GetFirstFunction() const { return firstFunction_; }
  // The function with exactly these flags; null when there is none.
  cSpSCS_Function* FindFunction(unsigned char command, unsigned char shift,
                                unsigned char option) const;
  // Takes the function over and puts it after the last one.
  void AppendFunction(cSpSCS_Function* function);

 private:
  char key_;
  cSpSCS_Function* firstFunction_ = nullptr;
  cSpSCS_Function* lastFunction_ = nullptr;
};

// The table. Held by value by the application object.
class cSpSCS_Manager {
 public:
  cSpSCS_Manager() = default;
  ~cSpSCS_Manager();
  cSpSCS_Manager(const cSpSCS_Manager&) = delete;
  cSpSCS_Manager& operator=(const cSpSCS_Manager&) = delete;

  // Registers the procedure for the character and the three flags, replacing the procedure
  // of a combination registered before. With no memory nothing is registered.
  void SetKeyFunction(char key, unsigned char command, unsigned char shift, unsigned char option,
                      SpSCS_ProcPtr proc);
  // 1 when the character and the flags (compared byte for byte: 'a' and 'A' are different
  // keys) are registered; their procedure has then run. 0 otherwise.
  unsigned char ExecKey(char key, unsigned char command, unsigned char shift, unsigned char option);

  cSpSCS_ShortCutKey* GetFirstKey() const { return firstKey_; }

 private:
  cSpSCS_ShortCutKey* firstKey_ = nullptr;
  cSpSCS_ShortCutKey* lastKey_ = nullptr;
};

// The flags of a key event's classic modifiers: Command from bit 0x100, Shift from 0x200,
// Option from 0x800, each 1 or 0. Control and every other bit play no part, so a short-cut
// pressed with Control as well is still the short-cut.
void SpSCS_ModifiersToFlags(short modifiers, unsigned char* command, unsigned char* shift,
                            unsigned char* option);
