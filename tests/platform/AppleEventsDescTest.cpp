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

// A list of the one item.
void ListOf(ScopedDesc& list, DescType type, const void* data, Size size) {
  ASSERT_EQ(AECreateList(nullptr, 0, false, &list.desc), noErr);
  ASSERT_EQ(AEPutPtr(&list.desc, 0, type, data, size), noErr);
}

SInt32 Count(const AEDesc& list) {
  SInt32 count = -1;
  EXPECT_EQ(AECountItems(&list, &count), noErr);
  return count;
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
  ASSERT_EQ(Count(list.desc), 2);
  DescType type = 0;
  Size size = 0;
  SInt16 first = 0;
  SInt32 second = 0;
  EXPECT_EQ(AEGetNthPtr(&list.desc, 1, typeWildCard, nullptr, &type, &first, sizeof first, &size),
            noErr);
  EXPECT_EQ(std::vector<long>({long(type), long(size), first}),
            std::vector<long>({long(typeSInt16), 2, 4}));
  EXPECT_EQ(AEGetNthPtr(&list.desc, 2, typeSInt32, nullptr, &type, &second, 4, &size), noErr);
  EXPECT_EQ(second, 2);
  for (SInt32 index : {0, 3}) {
    EXPECT_EQ(AEGetNthPtr(&list.desc, index, typeWildCard, nullptr, &type, &second, 4, &size),
              errAEBadListItem);
  }
  // A stored SInt32 is not turned into anything else.
  EXPECT_EQ(AEGetNthPtr(&list.desc, 2, typeFSS, nullptr, &type, &second, 4, &size),
            errAECoercionFail);

  // The caller's maximum size is respected and the full size reported, also with no buffer.
  ScopedDesc text;
  ListOf(text, SpFourCC("TEXT"), "0123456789", 10);
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(AEGetNthPtr(&text.desc, 1, typeWildCard, nullptr, nullptr, buffer, 4, &size), noErr);
  EXPECT_EQ(size, 10);
  EXPECT_EQ(std::string(buffer, 8), "0123####");
  size = 0;
  EXPECT_EQ(AEGetNthPtr(&text.desc, 1, typeWildCard, nullptr, nullptr, nullptr, 0, &size), noErr);
  EXPECT_EQ(size, 10);
}

// Item 1 of the list read as the type into the buffer; the size stored is answered too.
template <typename T>
OSErr First(const AEDesc& list, DescType type, T* out, Size* size = nullptr, Size max = sizeof(T)) {
  return AEGetNthPtr(&list, 1, type, nullptr, nullptr, out, max, size);
}

TEST(AppleEventsDesc, FileItemsCoerceBetweenFSSpecAndFSRefOfRealFilesOnly) {
  sp_testing::HomeScope home;
  const std::string path = home.Path("Song file.aiff");
  std::ofstream(path) << "data";
  const FSRef ref = RefOfPath(path);
  FSSpec spec;
  ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr), noErr);
  for (bool fromSpec : {true, false}) {
    ScopedDesc list;
    ListOf(list, fromSpec ? typeFSS : typeFSRef, fromSpec ? static_cast<const void*>(&spec) : &ref,
           fromSpec ? sizeof spec : sizeof ref);
    FSSpec gotSpec = {};
    Size size = 0;
    ASSERT_EQ(First(list.desc, typeFSS, &gotSpec, &size), noErr);
    EXPECT_EQ(size, Size(sizeof(FSSpec)));
    EXPECT_TRUE(gotSpec.vRefNum == spec.vRefNum && gotSpec.parID == spec.parID &&
                std::memcmp(gotSpec.name, spec.name, spec.name[0] + 1) == 0);
    FSRef gotRef;
    ASSERT_EQ(First(list.desc, typeFSRef, &gotRef), noErr);
    EXPECT_EQ(FSCompareFSRefs(&gotRef, &ref), noErr);
  }

  // The FSSpec of a file gone, or a truncated FSSpec, does not coerce; as stored it still comes.
  std::remove(path.c_str());
  ScopedDesc list, shortList;
  ListOf(list, typeFSS, &spec, sizeof spec);
  FSRef gone;
  FSSpec same;
  EXPECT_EQ(First(list.desc, typeFSRef, &gone), errAECoercionFail);
  EXPECT_EQ(First(list.desc, typeFSS, &same), noErr);
  std::ofstream(path) << "data";
  ListOf(shortList, typeFSS, &spec, 70);
  EXPECT_EQ(First(shortList.desc, typeFSRef, &gone), errAECoercionFail);
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
    SInt32 v = 0;
    EXPECT_EQ(AECountItems(&bad.desc, &v), errAECorruptData);
    EXPECT_EQ(AEPutPtr(&bad.desc, 0, typeSInt32, &v, sizeof v), errAECorruptData);
  }
  ScopedDesc badEvent;
  const UInt32 attributesPastEnd = 64;
  ASSERT_EQ(AECreateDesc(typeAppleEvent, &attributesPastEnd, 4, &badEvent.desc), noErr);
  AEEventClass c = 0;
  EXPECT_EQ(AEGetAttributePtr(&badEvent.desc, keyEventClassAttr, typeType, nullptr, &c, 4, nullptr),
            errAECorruptData);
}

TEST(AppleEventsDesc, FailedAllocationLeavesTheListAsItWas) {
  ScopedDesc list, failed;
  const SInt32 v = 5;
  ListOf(list, typeSInt32, &v, sizeof v);
  Handle before = list.desc.dataHandle;
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(AEPutPtr(&list.desc, 0, typeSInt32, &v, sizeof v), memFullErr);
  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(AECreateDesc(typeSInt32, &v, sizeof v, &failed.desc), memFullErr);
  sp_testing::FailNthAllocation(0);
  EXPECT_EQ(list.desc.dataHandle, before);
  EXPECT_EQ(Count(list.desc), 1);
  EXPECT_EQ(failed.desc.dataHandle, nullptr);
}

}  // namespace
