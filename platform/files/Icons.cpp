// Icon suites over Memory Manager handles; Icon Services absent.

#include "Icons.h"

#include <cstring>

#include "MacMemory.h"
#include "Resources.h"

const SpIconKind kSpIconKinds[kSpIconKindCount] = {
    {SpFourCC("ICN#"), kSelectorLarge1Bit},     {SpFourCC("icl4"), kSelectorLarge4Bit},
    {SpFourCC("icl8"), kSelectorLarge8Bit},     {SpFourCC("il32"), kSelectorLarge32Bit},
    {SpFourCC("l8mk"), kSelectorLarge8BitMask}, {SpFourCC("ics#"), kSelectorSmall1Bit},
    {SpFourCC("ics4"), kSelectorSmall4Bit},     {SpFourCC("ics8"), kSelectorSmall8Bit},
    {SpFourCC("is32"), kSelectorSmall32Bit},    {SpFourCC("s8mk"), kSelectorSmall8BitMask},
    {SpFourCC("icm#"), kSelectorMini1Bit},      {SpFourCC("icm4"), kSelectorMini4Bit},
    {SpFourCC("icm8"), kSelectorMini8Bit},      {SpFourCC("ich#"), kSelectorHuge1Bit},
    {SpFourCC("ich4"), kSelectorHuge4Bit},      {SpFourCC("ich8"), kSelectorHuge8Bit},
    {SpFourCC("ih32"), kSelectorHuge32Bit},     {SpFourCC("h8mk"), kSelectorHuge8BitMask},
};

namespace {

constexpr int kKindCount = int(kSpIconKindCount);
constexpr UInt32 kSuiteMagic = SpFourCC("SpIS");

// The suite handle's contents: a tag that tells a suite from any other handle, then one
// slot per icon type.
struct SuiteData {
  UInt32 magic;
  Handle icons[kKindCount];
};

SuiteData* Data(IconSuiteRef suite) {
  if (suite == nullptr || *suite == nullptr) return nullptr;
  if (GetHandleSize(suite) != Size(sizeof(SuiteData))) return nullptr;
  auto* data = reinterpret_cast<SuiteData*>(*suite);
  return data->magic == kSuiteMagic ? data : nullptr;
}

int KindIndex(ResType type) {
  for (int i = 0; i < kKindCount; ++i)
    if (kSpIconKinds[i].type == type) return i;
  return -1;
}

bool IsResource(Handle h) {
  return HomeResFile(h) != -1;
}

}  // namespace

OSErr NewIconSuite(IconSuiteRef* theIconSuite) {
  if (theIconSuite == nullptr) return paramErr;
  *theIconSuite = nullptr;
  Handle h = NewHandleClear(sizeof(SuiteData));
  if (h == nullptr) return memFullErr;
  SuiteData data{};
  data.magic = kSuiteMagic;
  std::memcpy(*h, &data, sizeof data);
  *theIconSuite = h;
  return noErr;
}

OSErr AddIconToSuite(Handle theIconData, IconSuiteRef theSuite, ResType theType) {
  SuiteData* data = Data(theSuite);
  int index = KindIndex(theType);
  if (data == nullptr || index < 0) return paramErr;
  data->icons[index] = theIconData;
  return noErr;
}

OSErr GetIconFromSuite(Handle* theIconData, IconSuiteRef theSuite, ResType theType) {
  if (theIconData == nullptr) return paramErr;
  *theIconData = nullptr;
  SuiteData* data = Data(theSuite);
  if (data == nullptr) return paramErr;
  int index = KindIndex(theType);
  if (index < 0 || data->icons[index] == nullptr) return noSuchIconErr;
  *theIconData = data->icons[index];
  return noErr;
}

OSErr ForEachIconDo(IconSuiteRef theSuite, IconSelectorValue selector, IconActionUPP action,
                    void* yourDataPtr) {
  if (Data(theSuite) == nullptr || action == nullptr) return paramErr;
  for (int i = 0; i < kKindCount; ++i) {
    if ((selector & kSpIconKinds[i].selector) == 0) continue;
    // Looked up again for each call: the action may have changed the suite.
    SuiteData* data = Data(theSuite);
    if (data == nullptr) return paramErr;
    OSErr err = action(kSpIconKinds[i].type, &data->icons[i], yourDataPtr);
    if (err != noErr) return err;
  }
  return noErr;
}

OSErr DisposeIconSuite(IconSuiteRef theIconSuite, Boolean disposeData) {
  SuiteData* data = Data(theIconSuite);
  if (data == nullptr) return paramErr;
  if (disposeData) {
    for (int i = 0; i < kKindCount; ++i) {
      Handle h = data->icons[i];
      if (h == nullptr) continue;
      // One handle may stand in several slots: disposed once.
      for (int j = i + 1; j < kKindCount; ++j)
        if (data->icons[j] == h) data->icons[j] = nullptr;
      if (!IsResource(h)) DisposeHandle(h);
    }
  }
  DisposeHandle(theIconSuite);
  return noErr;
}

OSErr GetIconSuite(IconSuiteRef* theIconSuite, SInt16 theResID, IconSelectorValue selector) {
  if (theIconSuite == nullptr) return paramErr;
  IconSuiteRef suite = nullptr;
  OSErr err = NewIconSuite(&suite);
  if (err != noErr) return err;
  bool any = false;
  for (int i = 0; i < kKindCount; ++i) {
    if ((selector & kSpIconKinds[i].selector) == 0) continue;
    Handle h = GetResource(kSpIconKinds[i].type, theResID);
    if (h == nullptr) continue;
    Data(suite)->icons[i] = h;
    any = true;
  }
  if (!any) {
    DisposeIconSuite(suite, false);
    return resNotFound;
  }
  *theIconSuite = suite;
  return noErr;
}

OSErr GetIconRefFromFile(const FSSpec*, IconRef* theIconRef, SInt16* theLabel) {
  if (theIconRef != nullptr) *theIconRef = nullptr;
  if (theLabel != nullptr) *theLabel = 0;
  return unimpErr;
}

OSErr GetIconRefFromFolder(SInt16, SInt32, SInt32, SInt8, SInt8, IconRef* theIconRef) {
  if (theIconRef != nullptr) *theIconRef = nullptr;
  return unimpErr;
}

OSErr IconRefToIconFamily(IconRef, IconSelectorValue, IconFamilyHandle* iconFamily) {
  if (iconFamily != nullptr) *iconFamily = nullptr;
  return unimpErr;
}

OSErr IconFamilyToIconSuite(IconFamilyHandle, IconSelectorValue, IconSuiteRef* iconSuite) {
  if (iconSuite != nullptr) *iconSuite = nullptr;
  return unimpErr;
}

OSErr ReleaseIconRef(IconRef) {
  return unimpErr;
}
