// The drag source: its promised flavour supplied during the drop, what a target of this
// program reports back (location values, copy), the Trash, and a drag that cannot be made.
#include "DragAndDropTestSupport.h"

#include <cstring>

#include "Files.h"
#include "Folders.h"
#include "SpDragAndDrapObject.h"

namespace ddo_test {
namespace {

// Supplies "<text> <item>" for every promise of its source.
struct Supplier {
  cSendDragDataObj* source = nullptr;
  std::string text = "dragged";
  int asked = 0;
};

OSErr Supply(UInt32 itemRef, UInt32 flavorType, unsigned long refCon) {
  Supplier* s = reinterpret_cast<Supplier*>(refCon);
  ++s->asked;
  const std::string data = s->text + " " + std::to_string(itemRef);
  const Rect bounds = {1, 2, 3, 4};
  return s->source->DragUserReturnData(itemRef, flavorType, data.data(), SInt32(data.size()),
                                       &bounds);
}

// Reads the 'TEXT' of the dropped item into the journal's names.
short ReadText(Point, unsigned long refCon, cDragDataItem* items, UInt32*) {
  Journal* journal = reinterpret_cast<Journal*>(refCon);
  cDragDataFlavor* text = items != nullptr ? items->GetTargetTypeFlavorItem(kText) : nullptr;
  char bytes[32];
  SInt32 size = 0;
  if (text == nullptr || text->GetDragData(bytes, sizeof bytes, &size, 0) != noErr) return -1;
  journal->dropNames.emplace_back(bytes, std::size_t(size));
  return journal->dropAnswer;
}

class DragSource : public DragAndDropFixture {
 protected:
  // Runs the source's drag from the window's middle to the global point.
  OSErr DragTo(cSendDragDataObj& source, Point release) {
    EventRecord press{};
    press.what = mouseDown;
    press.where = Pt(250, 200);
    sp_testing::PostClick(press.where, {release});
    RgnHandle outline = NewRgn();
    const OSErr err = source.GoDrag(&press, outline);
    DisposeRgn(outline);
    return err;
  }
  struct Report {
    unsigned char taken;
    SInt32 v1, v2;
    unsigned char copy;
  };
  static Report ReportOf(const cSendDragDataObj& source) {
    Report r{};
    r.taken = source.CatchInApplicationDropInfo(&r.v1, &r.v2);
    r.copy = source.GetDropExecCopyFlag();
    return r;
  }
};

TEST_F(DragSource, APromisedTextIsSuppliedWhenTheTargetReadsIt) {
  cJournalTarget* t = Target(Rect{0, 0, 200, 300}, "t");
  t->SetupEnableFlavorType(kText);
  t->SetupCatchDropItemsProc(ReadText, reinterpret_cast<unsigned long>(&journal_));
  Supplier supplier;
  cSendDragDataObj source(Supply, reinterpret_cast<unsigned long>(&supplier));
  supplier.source = &source;
  ASSERT_EQ(source.SetupDragItemFlavor(5, kText, nullptr, 0, 0, nullptr), noErr);
  EXPECT_EQ(DragTo(source, Pt(150, 150)), noErr);
  EXPECT_EQ(supplier.asked, 1);
  EXPECT_EQ(journal_.dropNames, (std::vector<std::string>{"dragged 5"}));
  Rect bounds{};
  ASSERT_EQ(source.GetDragItemBoundRect(5, &bounds), noErr);
  EXPECT_EQ(bounds.right, 4) << "the supplier's bounds came with the data";
  // Asked by the Drag Manager for another drag, or without a procedure: paramErr.
  EXPECT_EQ(source.DragUserSendDataCall(nullptr, 5, kText), paramErr);
  cSendDragDataObj silent(nullptr, 0);
  EXPECT_EQ(SpDDO_DragUserSendDataProc(kText, &silent, 1, silent.GetDragRefNum()), paramErr);
  EXPECT_EQ(SpDDO_DragUserSendDataProc(kText, nullptr, 1, silent.GetDragRefNum()), paramErr);
}

TEST_F(DragSource, ATakingTargetReportsItsLocationValuesAndCopyToTheSourceOfTheDrag) {
  cJournalTarget* t = Target(Rect{0, 0, 200, 300}, "t");
  t->SetupEnableFlavorType(kText);
  struct Case {
    const char* what;
    bool copy, perDrop;
    short answer;
    Point release;
    Report expected;
  } const cases[] = {
      {"taken", false, false, 0, Pt(150, 150), {1, 1, 1, 0}},
      {"taken as a copy", true, false, 0, Pt(150, 150), {1, 1, 1, 1}},
      {"taken with other values for this drop", false, true, 0, Pt(150, 150), {1, 7, 8, 0}},
      {"the next drop has the constructor's values again", false, false, 0, Pt(150, 150),
       {1, 1, 1, 0}},
      {"refused, though the copy flag was set", true, false, -1, Pt(150, 150), {0, 0, 0, 0}},
      {"dropped on the desk", false, false, 0, Pt(900, 700), {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    cSendDragDataObj source(nullptr, 0);
    cSendDragDataObj bystander(nullptr, 0);
    ASSERT_EQ(source.SetupDragItemFlavor(1, kText, "x", 1, 0, nullptr), noErr);
    t->copy = c.copy;
    t->perDrop = c.perDrop;
    journal_.dropAnswer = c.answer;
    DragTo(source, c.release);
    const Report got = ReportOf(source);
    EXPECT_EQ(got.taken, c.expected.taken) << c.what;
    EXPECT_EQ(got.v1, c.expected.v1) << c.what;
    EXPECT_EQ(got.v2, c.expected.v2) << c.what;
    EXPECT_EQ(got.copy, c.expected.copy) << c.what;
    EXPECT_EQ(ReportOf(bystander).taken, 0) << "another live source hears nothing";
  }
  cSendDragDataObj source(nullptr, 0);
  source.SetDropInfo(3, 4);
  SpDDO_InitializeCatchDropItemInfo(source.GetDragRefNum());
  EXPECT_EQ(ReportOf(source).taken, 0);
}

TEST_F(DragSource, ADropIsInTheTrashOnlyOnTheTrashItself) {
  cSendDragDataObj source(nullptr, 0);
  ASSERT_EQ(source.SetupDragItemFlavor(1, kText, "x", 1, 0, nullptr), noErr);
  short systemVRefNum = 0;
  SInt32 dirID = 0;
  ASSERT_EQ(FindFolder(kOnSystemDisk, kDesktopFolderType, kCreateFolder, &systemVRefNum, &dirID),
            noErr);
  auto place = [&](short vRefNum, SInt32 parID, const char* name) {
    FSSpec spec{};
    spec.vRefNum = vRefNum;
    spec.parID = parID;
    spec.name[0] = UInt8(std::strlen(name));
    std::memcpy(spec.name + 1, name, spec.name[0]);
    return spec;
  };
  FSRef trashRef;
  ASSERT_EQ(FSFindFolder(kOnSystemDisk, kTrashFolderType, kCreateFolder, &trashRef), noErr);
  FSSpec desktopTrash{};
  ASSERT_EQ(FSGetCatalogInfo(&trashRef, kFSCatInfoNone, nullptr, nullptr, &desktopTrash, nullptr),
            noErr);
  struct Case {
    const char* what;
    FSSpec spec;
    unsigned char inTrash;
  } const cases[] = {
      {"the Trash at the system volume's root", place(systemVRefNum, 2, "Trash"), 1},
      {"a folder named in lower case", place(systemVRefNum, 2, "trash"), 0},
      {"a Trash folder elsewhere", place(systemVRefNum, 3, "Trash"), 0},
      {"the desktop's own Trash folder", desktopTrash, 1},
  };
  for (const Case& c : cases) {
    sp_testing::SetOutsideDropFolder(&c.spec);
    ASSERT_EQ(DragTo(source, Pt(900, 700)), noErr) << c.what;
    unsigned char inTrash = 9;
    EXPECT_EQ(source.CheckDropItemTransportedIntoTrash(inTrash), noErr) << c.what;
    EXPECT_EQ(inTrash, c.inTrash) << c.what;
  }
  Target(Rect{0, 0, 200, 300}, "t")->SetupEnableFlavorType(kText);
  DragTo(source, Pt(150, 150));
  unsigned char inTrash = 9;
  EXPECT_EQ(source.CheckDropItemTransportedIntoTrash(inTrash), noErr);
  EXPECT_EQ(inTrash, 0) << "a drop in the program's own window";
}

TEST_F(DragSource, ADragThatCannotBeMadeIsReportedAndEveryCallAnswersItsError) {
  sp_testing::FailNthAllocation(1);
  cSendDragDataObj source(nullptr, 0);
  sp_testing::FailNthAllocation(0);
  EXPECT_EQ(source.GetDragRefNum(), nullptr);
  EXPECT_TRUE(errors_.Has("cSendDragDataObj::cSendDragDataObj", 1));
  EXPECT_EQ(source.SetupDragItemFlavor(1, kText, "x", 1, 0, nullptr), memFullErr);
  EXPECT_EQ(DragTo(source, Pt(150, 150)), memFullErr);
  // A target taking a drop of no drag reports to no source.
  cJournalTarget* t = Target(Rect{0, 0, 200, 300}, "t");
  t->CatchDropItem(Pt(0, 0), nullptr, nullptr);
  EXPECT_EQ(source.CatchInApplicationDropInfo(nullptr, nullptr), 0);
  EXPECT_EQ(source.GoDrag(nullptr, nullptr), paramErr);
  EXPECT_TRUE(errors_.Has("cSendDragDataObj::GoDrag", 1));
}

TEST_F(DragSource, TheManagerListsEachLiveSourceOnce) {
  cDragAndDropManagerObj* manager = SpDDO_GetDragADropMgr(0);
  auto* a = new (std::nothrow) cSendDragDataObj(nullptr, 0);
  auto* b = new (std::nothrow) cSendDragDataObj(nullptr, 0);
  manager->SetupSendDragObjInMgrList(a);
  EXPECT_TRUE(errors_.Has("cDragAndDropManagerObj::SetupSendDragObjInMgrList", 1));
  delete a;
  manager->RemoveSendDragObjInMgrList(a);
  EXPECT_TRUE(errors_.Has("cDragAndDropManagerObj::RemoveSendDragObjInMgrList", 1));
  b->SetDropInfo(0, 0);
  SpDDO_SetupCatchDropItemInfo(b->GetDragRefNum(), 5, 6);
  SInt32 v1 = 0, v2 = 0;
  EXPECT_EQ(b->CatchInApplicationDropInfo(&v1, &v2), 1);
  EXPECT_EQ(v1, 5) << "b is still found after a went";
  delete b;
}

}  // namespace
}  // namespace ddo_test
