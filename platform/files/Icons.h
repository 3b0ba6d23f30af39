// Icon Utilities and Icon Services.
//
// Icon suites work: a suite holds one icon data handle per icon type ('ICN#', 'icl4',
// 'icl8', 'ics#', ... 18 types in all), filled from the application's resources
// (GetIconSuite) or by the caller (AddIconToSuite).
//
// Icon Services are absent on this platform (Gestalt 'icon' answers no): the calls that give
// or take an IconRef or an icon family answer unimpErr, and callers take their fallbacks.
#pragma once

#include <cstddef>

#include "Files.h"
#include "MacTypes.h"

typedef struct OpaqueIconRef* IconRef;
typedef Handle IconSuiteRef;

struct IconFamilyElement {
  OSType elementType;
  SInt32 elementSize;
  UInt8 elementData[1];
};
struct IconFamilyResource {
  OSType resourceType;
  SInt32 resourceSize;
  IconFamilyElement elements[1];
};
typedef IconFamilyResource* IconFamilyPtr;
typedef IconFamilyPtr* IconFamilyHandle;

// Which icon types a call concerns.
typedef UInt32 IconSelectorValue;
enum : IconSelectorValue {
  kSelectorLarge1Bit = 0x00000001,      // 'ICN#'
  kSelectorLarge4Bit = 0x00000002,      // 'icl4'
  kSelectorLarge8Bit = 0x00000004,      // 'icl8'
  kSelectorLarge32Bit = 0x00000008,     // 'il32'
  kSelectorLarge8BitMask = 0x00000010,  // 'l8mk'
  kSelectorSmall1Bit = 0x00000100,      // 'ics#'
  kSelectorSmall4Bit = 0x00000200,      // 'ics4'
  kSelectorSmall8Bit = 0x00000400,      // 'ics8'
  kSelectorSmall32Bit = 0x00000800,     // 'is32'
  kSelectorSmall8BitMask = 0x00001000,  // 's8mk'
  kSelectorMini1Bit = 0x00010000,       // 'icm#'
  kSelectorMini4Bit = 0x00020000,       // 'icm4'
  kSelectorMini8Bit = 0x00040000,       // 'icm8'
  kSelectorHuge1Bit = 0x01000000,       // 'ich#'
  kSelectorHuge4Bit = 0x02000000,       // 'ich4'
  kSelectorHuge8Bit = 0x04000000,       // 'ich8'
  kSelectorHuge32Bit = 0x08000000,      // 'ih32'
  kSelectorHuge8BitMask = 0x10000000,   // 'h8mk'
  kSelectorAllLargeData = 0x000000FF,
  kSelectorAllSmallData = 0x0000FF00,
  kSelectorAllMiniData = 0x00FF0000,
  kSelectorAllHugeData = 0xFF000000,
  kSelectorAllAvailableData = 0xFFFFFFFF,
  svAllAvailableData = 0xFFFFFFFF,
};

// The icon types a suite holds, each with its selector bit, in the order ForEachIconDo
// visits them: large, small, mini and huge icons, each from 1-bit (with its mask) up to
// 32-bit and the 8-bit mask.
struct SpIconKind {
  ResType type;
  IconSelectorValue selector;
};
constexpr std::size_t kSpIconKindCount = 18;
extern const SpIconKind kSpIconKinds[kSpIconKindCount];

enum : OSErr {
  invalidIconRefErr = -2580,
  noSuchIconErr = -2582,
  noIconDataAvailableErr = -2583,
};

// Called by ForEachIconDo for each icon type of the selector, with the suite's handle for
// that type (null when the suite has none; the procedure may store another). A result other
// than noErr stops the walk and is ForEachIconDo's result.
typedef OSErr (*IconActionProcPtr)(ResType theType, Handle* theIcon, void* yourDataPtr);
typedef IconActionProcPtr IconActionUPP;
inline IconActionUPP NewIconActionUPP(IconActionProcPtr proc) {
  return proc;
}
inline void DisposeIconActionUPP(IconActionUPP) {}

// ---- Icon suites ----------------------------------------------------------------------------

// An empty suite.
OSErr NewIconSuite(IconSuiteRef* theIconSuite);
// Puts the handle into the suite as its icon of that type (replacing, not disposing, the one
// there was). The suite then holds the handle; paramErr for a type a suite cannot hold.
OSErr AddIconToSuite(Handle theIconData, IconSuiteRef theSuite, ResType theType);
// The suite's handle of that type (not a copy); noSuchIconErr and null when it has none.
OSErr GetIconFromSuite(Handle* theIconData, IconSuiteRef theSuite, ResType theType);
// Calls the action for each type of the selector, in the order of the selector's bits.
OSErr ForEachIconDo(IconSuiteRef theSuite, IconSelectorValue selector, IconActionUPP action,
                    void* yourDataPtr);
// Disposes of the suite and, with disposeData, of its icon handles; handles that are
// resources belong to the Resource Manager and are left to it.
OSErr DisposeIconSuite(IconSuiteRef theIconSuite, Boolean disposeData);
// A new suite holding the resources of that id for the types of the selector (the resource
// handles themselves, searched through the resource chain). resNotFound, and no suite, when
// none of them exists.
OSErr GetIconSuite(IconSuiteRef* theIconSuite, SInt16 theResID, IconSelectorValue selector);

// ---- Icon Services (absent) ------------------------------------------------------------------

OSErr GetIconRefFromFile(const FSSpec* theFile, IconRef* theIconRef, SInt16* theLabel);
OSErr GetIconRefFromFolder(SInt16 vRefNum, SInt32 parentFolderID, SInt32 folderID, SInt8 attributes,
                           SInt8 accessPrivileges, IconRef* theIconRef);
OSErr IconRefToIconFamily(IconRef theIconRef, IconSelectorValue whichIcons,
                          IconFamilyHandle* iconFamily);
OSErr IconFamilyToIconSuite(IconFamilyHandle iconFamily, IconSelectorValue whichIcons,
                            IconSuiteRef* iconSuite);
OSErr ReleaseIconRef(IconRef theIconRef);
