// Classic Event Manager: event records, modifier bits and the live keyboard state.
#pragma once

#include "MacTypes.h"

// Modifier bits of EventRecord.modifiers.
enum : UInt16 {
  activeFlag = 0x0001,
  btnState = 0x0080,
  cmdKey = 0x0100,
  shiftKey = 0x0200,
  alphaLock = 0x0400,
  optionKey = 0x0800,
  controlKey = 0x1000,
};

// Key codes of the modifier keys in a KeyMap.
enum : UInt8 {
  kVK_Command = 55,
  kVK_Shift = 56,
  kVK_CapsLock = 57,
  kVK_Option = 58,
  kVK_Control = 59,
};

// Event kinds.
enum : UInt16 {
  nullEvent = 0,
  mouseDown = 1,
  mouseUp = 2,
  keyDown = 3,
  keyUp = 4,
  autoKey = 5,
  updateEvt = 6,
  diskEvt = 7,
  activateEvt = 8,
  osEvt = 15,
  kHighLevelEvent = 23,
};

struct EventRecord {
  UInt16 what;
  UInt32 message;
  UInt32 when;
  Point where;
  UInt16 modifiers;
};

// Sixteen bytes: key code k is bit (k & 7) of byte (k >> 3).
typedef UInt8 KeyMapByteArray[16];
typedef UInt32 KeyMap[4];

// The keys held down now (not those of an event).
void GetKeys(KeyMap theKeys);
