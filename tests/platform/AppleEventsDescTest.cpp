// Descriptors, lists and Apple events: items kept in order and type, the caller's maximum
// size, coercions between the file types of real files, corrupt and failing handles.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "AppleEvents.h"
#include "CoreFoundation.h"
#include "Files.h"
#include "MacMemory.h"
#include "SpTesting.h"
#include "TestFiles.h"
#include "files/CFURLFiles.h"

namespace {

struct ScopedDesc {
  AEDesc desc = {typeNull, nullptr};
  ~ScopedDesc() { AEDisposeDesc(&desc); }
};

std::string PascalText(const unsigned char* p) {
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

void WriteFile(const std::string& path) {
  std::ofstream(path) << "data";
}

FSRef RefOfPath(const std::string& path) {
  FSRef ref;
  std::memset(&ref, 0, sizeof ref);
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()), false);
  EXPECT_TRUE(url != nullptr && CFURLGetFSRef(url, &ref)) << path;
  CFRelease(url);
  return ref;
}

FSSpec SpecOfPath(const std::string& path) {
  FSRef ref = RefOfPath(path);
  FSSpec spec;
  std::memset(&spec, 0, sizeof spec);
  EXPECT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr), noErr);
  return spec;
}

TEST(AppleEventsDesc, ListPutReplacesAppendsAndRefusesIndexesPastTheEnd) {
  ScopedDesc list;
  ASSERT_EQ(AECreateList(nullptr, 0, false, &list.desc), noErr);
  const SInt32 a = 1, b = 2, c = 3;
  const SInt16 d = 4;
  struct Step {
    SInt32 index;
    DescType type;
    const void* data;
    Size size;
    OSErr expected;
  } steps[] = {
      {0, typeSInt32, &a, sizeof a, noErr},               // append
      {2, typeSInt32, &b, sizeof b, noErr},               // count + 1 appends
      {1, typeSInt16, &d, sizeof d, noErr},               // replaces item 1, type too
      {4, typeSInt32, &c, sizeof c, errAEIllegalIndex},   // past count + 1
      {-1, typeSInt32, &c, sizeof c, errAEIllegalIndex},  //
      {0, typeSInt32, nullptr, 4, paramErr},              // bytes promised, none given
  };
  for (const Step& s : steps) {
    EXPECT_EQ(AEPutPtr(&list.desc, s.index, s.type, s.data, s.size), s.expected) << s.index;
  }
  SInt32 count = 0;
  ASSERT_EQ(AECountItems(&list.desc, &count), noErr);
  ASSERT_EQ(count, 2);

  DescType type = 0;
  Size size = 0;
  SInt16 first = 0;
  EXPECT_EQ(AEGetNthPtr(&list.desc, 1, typeWildCard, nullptr, &type, &first, sizeof first, &size),
            noErr);
  EXPECT_EQ(type, typeSInt16);
  EXPECT_EQ(size, Size(sizeof first));
  EXPECT_EQ(first, 4);
  SInt32 second = 0;
  EXPECT_EQ(AEGetNthPtr(&list.desc, 2, typeSInt32, nullptr, &type, &second, sizeof second, &size),
            noErr);
  EXPECT_EQ(second, 2);
  EXPECT_EQ(AEGetNthPtr(&list.desc, 3, typeWildCard, nullptr, &type, &second, 4, &size),
            errAEBadListItem);
  EXPECT_EQ(AEGetNthPtr(&list.desc, 0, typeWildCard, nullptr, &type, &second, 4, &size),
            errAEBadListItem);
  // A stored SInt32 is not turned into anything else.
  EXPECT_EQ(AEGetNthPtr(&list.desc, 2, typeFSS, nullptr, &type, &second, 4, &size),
            errAECoercionFail);
}

TEST(AppleEventsDesc, MaximumSizeIsRespectedAndTheFullSizeReported) {
  ScopedDesc list;
  ASSERT_EQ(AECreateList(nullptr, 0, false, &list.desc), noErr);
  const char text[] = "0123456789";
  ASSERT_EQ(AEPutPtr(&list.desc, 0, SpFourCC("TEXT"), text, 10), noErr);

  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  Size actual = 0;
  ASSERT_EQ(AEGetNthPtr(&list.desc, 1, typeWildCard, nullptr, nullptr, buffer, 4, &actual), noErr);
  EXPECT_EQ(actual, 10);
  EXPECT_EQ(std::string(buffer, 8), "0123####");

  // A size question only: no buffer, maximum 0.
  actual = 0;
  EXPECT_EQ(AEGetNthPtr(&list.desc, 1, typeWildCard, nullptr, nullptr, nullptr, 0, &actual), noErr);
  EXPECT_EQ(actual, 10);
}

// Item 1 of the list read as the type into the buffer; the size stored is answered too.
template <typename T>
OSErr First(const AEDesc& list, DescType type, T* out, Size* size = nullptr, Size max = sizeof(T)) {
  DescType got = 0;
  return AEGetNthPtr(&list, 1, type, nullptr, &got, out, max, size);
}

TEST(AppleEventsDesc, FileItemsCoerceBetweenFSSpecFSRefAndURLOfRealFilesOnly) {
  sp_testing::HomeScope home;
  const std::string path = home.Path("Song file.aiff");
  WriteFile(path);
  const FSSpec spec = SpecOfPath(path);
  const FSRef ref = RefOfPath(path);
  ASSERT_EQ(PascalText(spec.name), "Song file.aiff");
  CFURLRef url = CFURLCreateFromFSRef(nullptr, &ref);
  ASSERT_NE(url, nullptr);
  char urlText[1024] = {};
  ASSERT_TRUE(
      CFStringGetCString(CFURLGetString(url), urlText, sizeof urlText, kCFStringEncodingUTF8));
  CFRelease(url);

  struct Source {
    const char* name;
    DescType type;
    const void* data;
    Size size;
  } sources[] = {
      {"fss", typeFSS, &spec, sizeof spec},
      {"fsref", typeFSRef, &ref, sizeof ref},
      {"url", typeFileURL, urlText, Size(std::strlen(urlText))},
  };
  for (const Source& source : sources) {
    SCOPED_TRACE(source.name);
    ScopedDesc list;
    ASSERT_EQ(AECreateList(nullptr, 0, false, &list.desc), noErr);
    ASSERT_EQ(AEPutPtr(&list.desc, 0, source.type, source.data, source.size), noErr);
    FSSpec gotSpec = {};
    Size size = 0;
    ASSERT_EQ(First(list.desc, typeFSS, &gotSpec, &size), noErr);
    EXPECT_EQ(size, Size(sizeof(FSSpec)));
    EXPECT_EQ(gotSpec.vRefNum, spec.vRefNum);
    EXPECT_EQ(gotSpec.parID, spec.parID);
    EXPECT_EQ(PascalText(gotSpec.name), "Song file.aiff");
    FSRef gotRef;
    ASSERT_EQ(First(list.desc, typeFSRef, &gotRef), noErr);
    EXPECT_EQ(FSCompareFSRefs(&gotRef, &ref), noErr);
    char gotURL[1024] = {};
    ASSERT_EQ(First(list.desc, typeFileURL, &gotURL, nullptr, sizeof gotURL - 1), noErr);
    EXPECT_EQ(std::string(gotURL), urlText);
  }

  // The FSSpec of a file gone, or a truncated FSSpec, does not coerce; as stored it still comes.
  std::remove(path.c_str());
  ScopedDesc list, shortList;
  ASSERT_EQ(AECreateList(nullptr, 0, false, &list.desc), noErr);
  ASSERT_EQ(AEPutPtr(&list.desc, 0, typeFSS, &spec, sizeof spec), noErr);
  FSRef gone;
  FSSpec same;
  EXPECT_EQ(First(list.desc, typeFSRef, &gone), errAECoercionFail);
  EXPECT_EQ(First(list.desc, typeFSS, &same), noErr);
  WriteFile(path);
  ASSERT_EQ(AECreateList(nullptr, 0, false, &shortList.desc), noErr);
  ASSERT_EQ(AEPutPtr(&shortList.desc, 0, typeFSS, &spec, 70), noErr);
  EXPECT_EQ(First(shortList.desc, typeFSRef, &gone), errAECoercionFail);
}

TEST(AppleEventsDesc, ParametersAndAttributesOfAnEvent) {
  ProcessSerialNumber self = {0, kCurrentProcess};
  ScopedDesc target, event, list, got;
  ASSERT_EQ(AECreateDesc(typeProcessSerialNumber, &self, sizeof self, &target.desc), noErr);
  ASSERT_EQ(AECreateAppleEvent(kCoreEventClass, kAEOpenDocuments, &target.desc,
                               kAutoGenerateReturnID, 1, &event.desc),
            noErr);

  AEEventClass eventClass = 0;
  AEEventID eventID = 0;
  AEReturnID returnID = 0;
  DescType type = 0;
  EXPECT_EQ(AEGetAttributePtr(&event.desc, keyEventClassAttr, typeType, &type, &eventClass,
                              sizeof eventClass, nullptr),
            noErr);
  EXPECT_EQ(eventClass, kCoreEventClass);
  EXPECT_EQ(AEGetAttributePtr(&event.desc, keyEventIDAttr, typeType, &type, &eventID,
                              sizeof eventID, nullptr),
            noErr);
  EXPECT_EQ(eventID, kAEOpenDocuments);
  EXPECT_EQ(AEGetAttributePtr(&event.desc, keyReturnIDAttr, typeSInt16, &type, &returnID,
                              sizeof returnID, nullptr),
            noErr);
  EXPECT_NE(returnID, kAutoGenerateReturnID);
  EXPECT_NE(returnID, 0);

  // A list as the direct object, with a replaced second parameter beside it.
  ASSERT_EQ(AECreateList(nullptr, 0, false, &list.desc), noErr);
  const SInt32 values[] = {10, 20, 30};
  for (SInt32 v : values) ASSERT_EQ(AEPutPtr(&list.desc, 0, typeSInt32, &v, sizeof v), noErr);
  ASSERT_EQ(AEPutParamDesc(&event.desc, keyDirectObject, &list.desc), noErr);
  const SInt32 one = 1, two = 2;
  ASSERT_EQ(AEPutParamPtr(&event.desc, SpFourCC("xtra"), typeSInt32, &one, sizeof one), noErr);
  ASSERT_EQ(AEPutParamPtr(&event.desc, SpFourCC("xtra"), typeSInt32, &two, sizeof two), noErr);

  ASSERT_EQ(AEGetParamDesc(&event.desc, keyDirectObject, typeAEList, &got.desc), noErr);
  SInt32 count = 0;
  ASSERT_EQ(AECountItems(&got.desc, &count), noErr);
  ASSERT_EQ(count, 3);
  SInt32 third = 0;
  EXPECT_EQ(AEGetNthPtr(&got.desc, 3, typeSInt32, nullptr, nullptr, &third, sizeof third, nullptr),
            noErr);
  EXPECT_EQ(third, 30);
  SInt32 extra = 0;
  EXPECT_EQ(AEGetParamPtr(&event.desc, SpFourCC("xtra"), typeSInt32, &type, &extra, sizeof extra,
                          nullptr),
            noErr);
  EXPECT_EQ(extra, 2);
  EXPECT_EQ(AEGetParamPtr(&event.desc, SpFourCC("none"), typeWildCard, &type, &extra, sizeof extra,
                          nullptr),
            errAEDescNotFound);
  // A single item asked for as a list is a list of that item.
  ScopedDesc single;
  ASSERT_EQ(AEGetParamDesc(&event.desc, SpFourCC("xtra"), typeAEList, &single.desc), noErr);
  ASSERT_EQ(AECountItems(&single.desc, &count), noErr);
  EXPECT_EQ(count, 1);
}

TEST(AppleEventsDesc, DuplicateIsIndependentAndDisposeLeavesANullDescriptor) {
  ScopedDesc list, copy;
  ASSERT_EQ(AECreateList(nullptr, 0, false, &list.desc), noErr);
  const SInt32 v = 7;
  ASSERT_EQ(AEPutPtr(&list.desc, 0, typeSInt32, &v, sizeof v), noErr);
  ASSERT_EQ(AEDuplicateDesc(&list.desc, &copy.desc), noErr);
  ASSERT_NE(copy.desc.dataHandle, list.desc.dataHandle);
  ASSERT_EQ(AEPutPtr(&copy.desc, 0, typeSInt32, &v, sizeof v), noErr);
  SInt32 count = 0;
  AECountItems(&list.desc, &count);
  EXPECT_EQ(count, 1);
  AECountItems(&copy.desc, &count);
  EXPECT_EQ(count, 2);

  EXPECT_EQ(AEDisposeDesc(&list.desc), noErr);
  EXPECT_EQ(list.desc.descriptorType, typeNull);
  EXPECT_EQ(list.desc.dataHandle, nullptr);
  EXPECT_EQ(AEDisposeDesc(&list.desc), noErr);  // twice is harmless
  EXPECT_EQ(AECountItems(&list.desc, &count), errAEWrongDataType);
}

TEST(AppleEventsDesc, CorruptListBytesAreRefusedNotReadPastTheirEnd) {
  // An item header that claims more data than the handle holds, and a torn header.
  const UInt32 claimsTooMuch[3] = {keyAEWildCard, typeSInt32, 1000};
  const char torn[5] = {1, 2, 3, 4, 5};
  struct Case {
    const void* bytes;
    Size size;
  } cases[] = {{claimsTooMuch, sizeof claimsTooMuch}, {torn, sizeof torn}};
  for (const Case& c : cases) {
    ScopedDesc bad;
    ASSERT_EQ(AECreateDesc(typeAEList, c.bytes, c.size, &bad.desc), noErr);
    SInt32 count = 0;
    EXPECT_EQ(AECountItems(&bad.desc, &count), errAECorruptData);
    SInt32 v = 0;
    EXPECT_EQ(AEPutPtr(&bad.desc, 0, typeSInt32, &v, sizeof v), errAECorruptData);
  }
  ScopedDesc badEvent;
  const UInt32 attributesPastEnd = 64;
  ASSERT_EQ(
      AECreateDesc(typeAppleEvent, &attributesPastEnd, sizeof attributesPastEnd, &badEvent.desc),
      noErr);
  AEEventClass c = 0;
  EXPECT_EQ(AEGetAttributePtr(&badEvent.desc, keyEventClassAttr, typeType, nullptr, &c, sizeof c,
                              nullptr),
            errAECorruptData);
}

TEST(AppleEventsDesc, FailedAllocationLeavesTheListAsItWas) {
  ScopedDesc list;
  ASSERT_EQ(AECreateList(nullptr, 0, false, &list.desc), noErr);
  const SInt32 v = 5;
  ASSERT_EQ(AEPutPtr(&list.desc, 0, typeSInt32, &v, sizeof v), noErr);
  Handle before = list.desc.dataHandle;
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(AEPutPtr(&list.desc, 0, typeSInt32, &v, sizeof v), memFullErr);
  sp_testing::FailNthAllocation(0);
  EXPECT_EQ(list.desc.dataHandle, before);
  SInt32 count = 0;
  ASSERT_EQ(AECountItems(&list.desc, &count), noErr);
  EXPECT_EQ(count, 1);

  ScopedDesc failed;
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(AECreateDesc(typeSInt32, &v, sizeof v, &failed.desc), memFullErr);
  sp_testing::FailNthAllocation(0);
  EXPECT_EQ(failed.desc.dataHandle, nullptr);
}

}  // namespace
