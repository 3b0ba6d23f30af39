// Gestalt: answers about the system from a fixed table that tests can change.
#pragma once

#include "MacTypes.h"

// noErr and the response, or gestaltUndefSelectorErr for a selector the table lacks.
OSErr Gestalt(OSType selector, SInt32* response);

enum : OSType {
  gestaltSystemVersion = SpFourCC("sysv"),
  gestaltAppleEventsAttr = SpFourCC("evnt"),
  gestaltAppearanceAttr = SpFourCC("appr"),
  gestaltVMAttr = SpFourCC("vm  "),
  gestaltNativeCPUtype = SpFourCC("cput"),
  gestaltProcClkSpeed = SpFourCC("pclk"),
  gestaltMenuMgrAttr = SpFourCC("menu"),
  gestaltIconUtilitiesAttr = SpFourCC("icon"),
  gestaltDragMgrAttr = SpFourCC("drag"),
  gestaltQuickTimeVersion = SpFourCC("qtim"),
  gestaltQuickTime = SpFourCC("qtim"),
  gestaltSoundAttr = SpFourCC("snd "),
  gestaltTSMgrVersion = SpFourCC("tsmv"),
  gestaltTSMTEAttr = SpFourCC("tmTE"),
};
