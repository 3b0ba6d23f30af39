// Apple events: descriptors and lists (items kept in order and type, the caller's maximum
// size, file coercions, corrupt and failing handles); handlers and the queue (events sent to
// self run later from the dispatcher, once; the one-time open-application event; documents to
// open; SIGTERM as quit, and writes past the file size limit failing rather than ending the
// program).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "AppleEvents.h"
#include "CoreFoundation.h"
#include "Files.h"
#include "MacMemory.h"
#include "SpTesting.h"
#include "TestAppleEvents.h"
#include "TestFiles.h"
#include "events/detail/AppleEventQueue.h"
#include "files/CFURLFiles.h"

namespace {

using Strings = std::vector<std::string>;
Strings* gCalls = nullptr;  // "<class>/<id>:<tag>" of each handler run, in order
std::vector<FSSpec>* gOpened = nullptr;
const EventRecord kHighLevel = {kHighLevelEvent, kCoreEventClass, 0, {0, 0}, 0};

std::string Code(UInt32 c) {
  const char s[5] = {char(c >> 24), char(c >> 16), char(c >> 8), char(c), 0};
  return s;
}

OSErr Record(const AppleEvent* event, const char* tag) {
  UInt32 eventClass = 0, eventID = 0;
  AEGetAttributePtr(event, keyEventClassAttr, typeType, nullptr, &eventClass, 4, nullptr);
  AEGetAttributePtr(event, keyEventIDAttr, typeType, nullptr, &eventID, 4, nullptr);
  gCalls->push_back(Code(eventClass) + "/" + Code(eventID) + ":" + tag);
  return noErr;
}

// The refcon carries the tag's address: pointer-sized refcons must survive.
OSErr TaggedHandler(const AppleEvent* event, AppleEvent* reply, URefCon refcon) {
  EXPECT_EQ(reply->descriptorType, typeNull);
  return Record(event, reinterpret_cast<const char*>(refcon));
}

OSErr DecliningHandler(const AppleEvent* event, AppleEvent*, URefCon) {
  Record(event, "declined");
  return errAEEventNotHandled;
}

AppleEvent MakeEvent(AEEventClass eventClass, AEEventID eventID, ProcessSerialNumber target) {
  AEAddressDesc address = {typeNull, nullptr};
  AppleEvent event = {typeNull, nullptr};
  EXPECT_EQ(AECreateDesc(typeProcessSerialNumber, &target, sizeof target, &address), noErr);
  EXPECT_EQ(AECreateAppleEvent(eventClass, eventID, &address, kAutoGenerateReturnID, 1, &event),
            noErr);
  AEDisposeDesc(&address);
  return event;
}

// Sends to self the way the application's quit does; no handler may run meanwhile.
OSErr SendToSelf(AEEventClass eventClass, AEEventID eventID, AESendPriority priority = 0) {
  AppleEvent event = MakeEvent(eventClass, eventID, ProcessSerialNumber{0, kCurrentProcess});
  AppleEvent reply;
  const std::size_t before = gCalls->size();
  OSErr err = AESend(&event, &reply, kAENoReply, priority, kNoTimeOut, nullptr, nullptr);
  EXPECT_EQ(gCalls->size(), before) << "a handler ran inside AESend";
  AEDisposeDesc(&event);
  return err;
}

// Sends a quit from inside a handler and tries to dispatch while it runs.
OSErr ResendingHandler(const AppleEvent* event, AppleEvent*, URefCon) {
  Record(event, "resend");
  EXPECT_EQ(SendToSelf(kCoreEventClass, kAEQuitApplication), noErr);
  EXPECT_EQ(sp_platform::DispatchQueuedAppleEvents(), 0);
  EventRecord record = kHighLevel;
  EXPECT_EQ(AEProcessAppleEvent(&record), errAEEventNotHandled);
  EXPECT_FALSE(sp_platform::PeekQueuedAppleEvent(&record));
  return noErr;
}

// Collects the files of an 'odoc' as the framework's handler reads them.
OSErr OpenDocumentsHandler(const AppleEvent* event, AppleEvent*, URefCon) {
  Record(event, "odoc");
  AEDescList files = {typeNull, nullptr};
  OSErr err = AEGetParamDesc(event, keyDirectObject, typeAEList, &files);
  SInt32 count = 0;
  if (err == noErr) err = AECountItems(&files, &count);
  for (SInt32 i = 1; i <= count; ++i) {
    FSSpec spec;
    Size size = 0;
    err = AEGetNthPtr(&files, i, typeFSS, nullptr, nullptr, &spec, sizeof spec, &size);
    if (err == noErr && size == Size(sizeof spec)) gOpened->push_back(spec);
  }
  AEDisposeDesc(&files);
  return err;
}

class AppleEventsDispatch : public ::testing::Test {
 protected:
  void SetUp() override { gCalls = &calls_; }
  void TearDown() override { gCalls = nullptr; }
  static void Install(AEEventID id, const char* tag, bool system = false,
                      AEEventClass eventClass = kCoreEventClass) {
    ASSERT_EQ(AEInstallEventHandler(eventClass, id, NewAEEventHandlerUPP(TaggedHandler),
                                    reinterpret_cast<URefCon>(tag), system),
              noErr);
  }
  sp_testing::AppleEventScope scope_;
  Strings calls_;
};

TEST_F(AppleEventsDispatch, EventsSentToSelfRunOnceFromTheDispatcherByClassAndId) {
  Install(kAEQuitApplication, "quit");
  Install(kAEOpenApplication, "open");
  Install(kAEQuitApplication, "other class", false, SpFourCC("othr"));
  ASSERT_EQ(SendToSelf(kCoreEventClass, kAEQuitApplication), noErr);
  EXPECT_EQ(sp_testing::QueuedAppleEventCount(), 1);
  EXPECT_EQ(sp_testing::DispatchAppleEvents(), 1);
  EXPECT_EQ(sp_testing::DispatchAppleEvents(), 0);
  EXPECT_EQ(calls_, Strings{"aevt/quit:quit"});
  ASSERT_EQ(SendToSelf(SpFourCC("othr"), kAEQuitApplication), noErr);
  ASSERT_EQ(SendToSelf(kCoreEventClass, kAEOpenApplication), noErr);
  ASSERT_EQ(SendToSelf(kCoreEventClass, kAEPrintDocuments), noErr);  // no handler
  EXPECT_EQ(sp_testing::DispatchAppleEvents(), 3);
  EXPECT_EQ(calls_, (Strings{"aevt/quit:quit", "othr/quit:other class", "aevt/oapp:open"}));
}

TEST_F(AppleEventsDispatch, EventWithoutHandlerIsNotHandledAndDecliningFallsToTheSystemTable) {
  EventRecord record = kHighLevel;
  ASSERT_EQ(SendToSelf(kCoreEventClass, kAEPrintDocuments), noErr);
  EXPECT_EQ(AEProcessAppleEvent(&record), errAEEventNotHandled);
  EXPECT_EQ(sp_testing::QueuedAppleEventCount(), 0);
  EXPECT_EQ(AEProcessAppleEvent(&record), errAEEventNotHandled);  // nothing queued
  ASSERT_EQ(AEInstallEventHandler(kCoreEventClass, kAEPrintDocuments, DecliningHandler, 0, false),
            noErr);
  Install(kAEPrintDocuments, "system", true);
  ASSERT_EQ(SendToSelf(kCoreEventClass, kAEPrintDocuments), noErr);
  EXPECT_EQ(AEProcessAppleEvent(&record), noErr);
  EXPECT_EQ(calls_, (Strings{"aevt/pdoc:declined", "aevt/pdoc:system"}));

  // Removing needs the installed handler (or none named); then the event is not handled.
  EXPECT_EQ(AERemoveEventHandler(kCoreEventClass, kAEPrintDocuments, TaggedHandler, false),
            errAEHandlerNotFound);
  EXPECT_EQ(AERemoveEventHandler(kCoreEventClass, kAEPrintDocuments, DecliningHandler, false),
            noErr);
  EXPECT_EQ(AERemoveEventHandler(kCoreEventClass, kAEPrintDocuments, nullptr, true), noErr);
  ASSERT_EQ(SendToSelf(kCoreEventClass, kAEPrintDocuments), noErr);
  EXPECT_EQ(AEProcessAppleEvent(&record), errAEEventNotHandled);
  EXPECT_EQ(calls_.size(), 2u);
}

// The classic record of a waiting event names its class in the message and its id in the
// point: the id's high word as v, its low word as h.
TEST_F(AppleEventsDispatch, TheClassicRecordOfAWaitingEventCarriesItsClassAndID) {
  const std::pair<UInt32, UInt32> events[] = {{kCoreEventClass, kAEOpenDocuments},
                                              {SpFourCC("othr"), SpFourCC("ab\xFF\x01")}};
  for (auto [eventClass, eventID] : events) {
    SCOPED_TRACE(Code(eventClass) + "/" + Code(eventID));
    ASSERT_EQ(SendToSelf(eventClass, eventID), noErr);
    EventRecord record = {};
    ASSERT_TRUE(GetNextEvent(highLevelEventMask, &record));
    EXPECT_EQ(record.what, kHighLevelEvent);
    EXPECT_EQ(UInt32(record.message), eventClass);
    EXPECT_EQ(UInt16(record.where.v), UInt16(eventID >> 16));
    EXPECT_EQ(UInt16(record.where.h), UInt16(eventID & 0xFFFF));
    EXPECT_EQ(AEProcessAppleEvent(&record), errAEEventNotHandled);  // no handler: taken all the same
    EXPECT_EQ(sp_testing::QueuedAppleEventCount(), 0);
  }
}

TEST_F(AppleEventsDispatch, EventSentByAHandlerWaitsForTheNextPassAndNeverNests) {
  ASSERT_EQ(AEInstallEventHandler(kCoreEventClass, kAEQuitApplication, ResendingHandler, 0, false),
            noErr);
  ASSERT_EQ(SendToSelf(kCoreEventClass, kAEQuitApplication), noErr);
  EXPECT_EQ(sp_testing::DispatchAppleEvents(), 1);
  EXPECT_EQ(sp_testing::QueuedAppleEventCount(), 1);
  EXPECT_EQ(sp_testing::DispatchAppleEvents(), 1);
  EXPECT_EQ(calls_.size(), 2u);
}

TEST_F(AppleEventsDispatch, OpenApplicationIsQueuedOnceAndFirst) {
  Install(kAEOpenApplication, "open");
  Install(kAEQuitApplication, "quit");
  ASSERT_EQ(SendToSelf(kCoreEventClass, kAEQuitApplication), noErr);
  sp_platform::StartApplicationAppleEvents();
  sp_platform::StartApplicationAppleEvents();  // a second loop start
  EXPECT_FALSE(sp_platform::QueueOpenApplicationOnce());
  EXPECT_EQ(sp_testing::DispatchAppleEvents(), 2);
  sp_platform::StartApplicationAppleEvents();
  EXPECT_EQ(sp_testing::DispatchAppleEvents(), 0);
  EXPECT_EQ(calls_, (Strings{"aevt/oapp:open", "aevt/quit:quit"}));
  sp_testing::ResetAppleEvents();  // gives the next test its own launch
  EXPECT_TRUE(sp_platform::QueueOpenApplicationOnce());
}

TEST_F(AppleEventsDispatch, DocumentsAtLaunchOpenTheProgramInsteadOfOpenApplication) {
  sp_testing::HomeScope home;
  std::vector<FSSpec> opened;
  gOpened = &opened;
  Install(kAEOpenApplication, "open");
  ASSERT_EQ(
      AEInstallEventHandler(kCoreEventClass, kAEOpenDocuments, OpenDocumentsHandler, 0, false),
      noErr);
  std::ofstream(home.Path("B side.aiff")) << "b";
  std::ofstream(home.Path("A side.wav")) << "a";
  ASSERT_EQ(sp_testing::QueueOpenDocumentsEvent(
                {home.Path("B side.aiff"), home.Path("missing.aiff"), home.Path("A side.wav")}),
            noErr);
  EXPECT_EQ(sp_testing::QueueOpenDocumentsEvent({home.Path("missing.aiff")}), fnfErr);
  sp_platform::StartApplicationAppleEvents();
  EXPECT_EQ(sp_testing::DispatchAppleEvents(), 1);
  EXPECT_EQ(calls_, Strings{"aevt/odoc:odoc"});
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(opened[0].name + 1), opened[0].name[0]) + "|" +
                std::string(reinterpret_cast<char*>(opened[1].name + 1), opened[1].name[0]),
            "B side.aiff|A side.wav");
  FSSpec again;
  EXPECT_EQ(FSMakeFSSpec(opened[1].vRefNum, opened[1].parID, opened[1].name, &again), noErr);
  gOpened = nullptr;
}

TEST_F(AppleEventsDispatch, SigtermsBecomeOneQuitOnTheNextPass) {
  Install(kAEQuitApplication, "quit");
  sp_platform::InstallQuitSignalHandler();
  ASSERT_EQ(std::raise(SIGTERM), 0);
  ASSERT_EQ(std::raise(SIGTERM), 0);
  EXPECT_TRUE(calls_.empty());  // the signal handler only notes it
  EXPECT_TRUE(sp_platform::AppleEventsPending());
  EXPECT_EQ(sp_testing::DispatchAppleEvents(), 1);
  EXPECT_EQ(sp_testing::DispatchAppleEvents(), 0);
  EXPECT_FALSE(sp_platform::AppleEventsPending());
  // The program refused to quit; a later request is a new quit.
  sp_testing::RaiseQuitRequest();
  EXPECT_EQ(sp_testing::DispatchAppleEvents(), 1);
  EXPECT_EQ(calls_, (Strings{"aevt/quit:quit", "aevt/quit:quit"}));
}

// With the program's signal handling in place, a write past the file size limit fails (for
// the file layer to tell as a full disk) instead of ending the process.
TEST_F(AppleEventsDispatch, AWritePastTheFileSizeLimitFailsInsteadOfEndingTheProgram) {
  sp_testing::HomeScope home;
  const std::string path = home.Path("big");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    sp_platform::InstallQuitSignalHandler();
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    static char bytes[8192];
    const bool partial = write(fd, bytes, sizeof bytes) == 4096;
    _exit(partial && write(fd, bytes, sizeof bytes) < 0 && errno == EFBIG ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

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
  // Four bytes of data whose header claims one byte more.
  const UInt32 claimsOneMore[4] = {keyAEWildCard, typeSInt32, 5, 7};
  // A good item followed by a torn header: the whole list is refused, its first item too.
  const UInt32 goodThenTorn[5] = {keyAEWildCard, typeSInt32, 4, 7, 1};
  struct Case {
    const void* bytes;
    Size size;
  } cases[] = {{claimsTooMuch, sizeof claimsTooMuch},
               {torn, sizeof torn},
               {claimsOneMore, sizeof claimsOneMore},
               {goodThenTorn, sizeof goodThenTorn}};
  for (const Case& c : cases) {
    ScopedDesc bad;
    ASSERT_EQ(AECreateDesc(typeAEList, c.bytes, c.size, &bad.desc), noErr);
    SInt32 v = 0;
    EXPECT_EQ(AECountItems(&bad.desc, &v), errAECorruptData);
    EXPECT_EQ(AEPutPtr(&bad.desc, 0, typeSInt32, &v, sizeof v), errAECorruptData);
    EXPECT_EQ(AEGetNthPtr(&bad.desc, 1, typeSInt32, nullptr, nullptr, &v, sizeof v, nullptr),
              errAECorruptData);
    EXPECT_EQ(AEGetDescDataSize(&bad.desc), c.size) << "left as it was";
  }
  // The same item, its header claiming exactly the bytes there are, is read back.
  const UInt32 exact[4] = {keyAEWildCard, typeSInt32, 4, 7};
  ScopedDesc good;
  ASSERT_EQ(AECreateDesc(typeAEList, exact, sizeof exact, &good.desc), noErr);
  SInt32 count = 0, value = 0;
  EXPECT_EQ(AECountItems(&good.desc, &count), noErr);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(AEGetNthPtr(&good.desc, 1, typeSInt32, nullptr, nullptr, &value, sizeof value, nullptr),
            noErr);
  EXPECT_EQ(value, 7);
  ScopedDesc badEvent;
  const UInt32 attributesPastEnd = 64;
  ASSERT_EQ(AECreateDesc(typeAppleEvent, &attributesPastEnd, 4, &badEvent.desc), noErr);
  AEEventClass c = 0;
  EXPECT_EQ(AEGetAttributePtr(&badEvent.desc, keyEventClassAttr, typeType, nullptr, &c, 4, nullptr),
            errAECorruptData);
}

}  // namespace
