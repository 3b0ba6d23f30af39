// What the drag-and-drop tests share: drag and drop started as the program starts it, two
// windows on the virtual clock, targets whose procedures write what they get into one
// journal, and files to drop.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "MacWindows.h"
#include "SpDragAndDropObject.h"
#include "SpTesting.h"
#include "TestClock.h"
#include "TestDrags.h"
#include "TestEvents.h"
#include "TestFiles.h"
#include "TestWindows.h"

namespace ddo_test {

constexpr FlavorType kText = 0x54455854;  // 'TEXT'

inline Point Pt(short h, short v) {
  return Point{v, h};
}

// The journal of the targets' procedures: "<name> in|move|out|drop <h>,<v>" with the local
// point.
struct Journal {
  std::vector<std::string> lines;
  short dropAnswer = 0;
  std::vector<std::string> dropNames;  // the 'hfs ' names of the items of each drop
  int itemsSeen = 0;
};

// A target with its name, writing into the journal.
class cJournalTarget : public cDropCatchObject {
 public:
  cJournalTarget(WindowRef window, const Rect& area, const std::string& name, Journal* journal,
                 SInt32 v1 = 1, SInt32 v2 = 1)
      : cDropCatchObject(window, area, v1, v2), name_(name), journal_(journal) {
    SetupDragCursorInProc(In, reinterpret_cast<unsigned long>(this));
    SetupDragCursorMoveProc(Move, reinterpret_cast<unsigned long>(this));
    SetupDragCursorOutProc(Out, reinterpret_cast<unsigned long>(this));
    SetupCatchDropItemsProc(Drop, reinterpret_cast<unsigned long>(this));
  }
  // What a drop procedure may do while it takes a drop.
  bool copy = false;
  bool perDrop = false;

 private:
  static void Note(unsigned long refCon, const char* what, Point p) {
    cJournalTarget* t = reinterpret_cast<cJournalTarget*>(refCon);
    t->journal_->lines.push_back(t->name_ + " " + what + " " + std::to_string(p.h) + "," +
                                 std::to_string(p.v));
  }
  static void In(DragRef, Point p, unsigned long refCon) { Note(refCon, "in", p); }
  static void Move(DragRef, Point p, unsigned long refCon) { Note(refCon, "move", p); }
  static void Out(DragRef, Point p, unsigned long refCon) { Note(refCon, "out", p); }
  static short Drop(Point p, unsigned long refCon, cDragDataItem* items, UInt32*) {
    Note(refCon, "drop", p);
    cJournalTarget* t = reinterpret_cast<cJournalTarget*>(refCon);
    for (cDragDataItem* item = items; item != nullptr; item = item->GetNextObjectPtr()) {
      ++t->journal_->itemsSeen;
      cDragDataFlavor* hfs = item->GetTargetTypeFlavorItem(kDragFlavorTypeHFS);
      char bytes[kHFSFlavorSize];
      SInt32 size = 0;
      if (hfs != nullptr && hfs->GetDragData(bytes, kHFSFlavorSize, &size, 0) == noErr &&
          size == kHFSFlavorSize) {
        t->journal_->dropNames.emplace_back(bytes + 17, std::size_t(UInt8(bytes[16])));
      }
    }
    if (t->copy) t->SetupExecuCopyFlag();
    if (t->perDrop) t->SetupDropLocationIdOnProc(7, 8);
    return t->journal_->dropAnswer;
  }
  std::string name_;
  Journal* journal_;
};

// Takes 'hfs ' flavours of 80 bytes through its check procedure, as the media window does.
inline unsigned char TakesFiles(UInt32 type, cDragDataFlavor* flavor, unsigned long) {
  return type == kDragFlavorTypeHFS && flavor != nullptr &&
         flavor->GetDragDataSize() == kHFSFlavorSize;
}

class DragAndDropFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    sp_testing::ResetWindows();
    sp_testing::ResetDrags();
    sp_testing::ResetGestalt();
    sp_testing::ResetDragAndDropManager();
    SpDDO_InitializeDragAndDrop();
    window_ = MakeWindow(Rect{100, 100, 300, 400});
  }
  void TearDown() override {
    targets_.clear();
    sp_testing::ResetDragAndDropManager();
    sp_testing::ResetDrags();
    sp_testing::ResetGestalt();
    sp_testing::ResetWindows();
    sp_testing::ResetEvents();
    sp_testing::UseRealClock();
  }

 public:
  static WindowRef MakeWindow(const Rect& content) {
    WindowRef w = nullptr;
    EXPECT_EQ(CreateNewWindow(kDocumentWindowClass, 0, &content, &w), noErr);
    ShowWindow(w);
    return w;
  }
  // A target of the test's window (or another), kept until the test ends.
  cJournalTarget* Target(const Rect& area, const std::string& name, WindowRef window = nullptr) {
    targets_.emplace_back(
        new (std::nothrow) cJournalTarget(window != nullptr ? window : window_, area, name, &journal_));
    return targets_.back().get();
  }
  // A file of the temporary home folder; its path.
  std::string File(const std::string& name) {
    const std::string path = home_.Path(name);
    std::ofstream(path) << "FORM";
    return path;
  }

  sp_testing::HomeScope home_;
  WindowRef window_ = nullptr;
  Journal journal_;
  std::vector<std::unique_ptr<cJournalTarget>> targets_;
  ErrorLogCapture errors_;
};

}  // namespace ddo_test
