// A list of 10,000 rows by 5 columns: built, filled, scrolled to its end and redrawn.
//
// Each round builds the list on a 500 x 300 view (rows 3 pixels high, so that 10,000 of them
// fit the 32,767 pixels of the list's content), fills every cell with a text, scrolls to the
// last row and redraws the view, redraws it again, redraws one cell, finds the cell under a
// point and deletes every row. Beside the redraw it prints the time of drawing the same
// visible texts straight into one offscreen and copying that to the window: the floor for
// showing this page without a list.
//
//   list_bench [rounds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MacWindows.h"
#include "QDRegions.h"
#include "QuickDraw.h"
#include "SpListClass.h"
#include "SpStdDrawingFunction.h"

namespace {

constexpr short kRows = 10000;
constexpr short kColumns = 5;
constexpr short kRowHeight = 3;
constexpr short kColumnWidth = 100;
constexpr Rect kArea = {0, 0, 300, 500};

// A list the bench scrolls to its last page.
class cBenchList : public cLMgr_List_Base {
 public:
  using cLMgr_List_Base::cLMgr_List_Base;
  void ScrollToEnd() {
    short h = -1, v = short(std::max(0, GetRowAreaSize() - (kArea.bottom - kArea.top)));
    SetScrollValue(h, v, 1, 0, 0, 0);
  }
};

double Milliseconds(const std::function<void()>& step) {
  const auto from = std::chrono::steady_clock::now();
  step();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}

std::string Text(short row, short column) {
  return "Track " + std::to_string(row) + " / " + std::to_string(column);
}

struct Figures {
  std::vector<double> build, fill, scroll, redraw, oneCell, find, remove, floor;
};

void Print(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("%-44s median %8.3f ms   best %8.3f ms\n", what, ms[ms.size() / 2], ms.front());
}

// The visible texts drawn straight into one offscreen, which is copied to the window.
void DrawFloor(WindowRef window, GWorldPtr world, short firstRow) {
  CGrafPtr savedPort;
  GDHandle savedDevice;
  GetGWorld(&savedPort, &savedDevice);
  SetGWorld(world, nullptr);
  EraseRect(&kArea);
  for (short row = firstRow; row <= kRows; ++row) {
    const short top = short((row - firstRow) * kRowHeight);
    if (top >= kArea.bottom) break;
    for (short column = 1; column <= kColumns; ++column) {
      const Rect r = {top, short((column - 1) * kColumnWidth), short(top + kRowHeight),
                      short(column * kColumnWidth)};
      Sp_DrawStringInRect(Text(row, column).c_str(), &r, kSpPositionCenter, kSpPositionCenter, 1, 1,
                          0, 0, 1, 0, 0, 0, nullptr);
    }
  }
  SetGWorld(savedPort, savedDevice);
  CopyBits(GetPortBitMapForCopyBits(world), GetPortBitMapForCopyBits(GetWindowPort(window)), &kArea,
           &kArea, srcCopy, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const Rect content = {40, 40, 340, 540};
  WindowRef window =
      NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
  GWorldPtr world = nullptr;
  if (window == nullptr || NewGWorld(&world, 32, &kArea, nullptr, nullptr, 0) != noErr) {
    std::fprintf(stderr, "no window or offscreen could be made\n");
    return 1;
  }
  // The texts, made once: the bench times the list, not std::to_string.
  std::vector<std::string> texts;
  texts.reserve(std::size_t(kRows) * kColumns);
  for (short row = 1; row <= kRows; ++row) {
    for (short column = 1; column <= kColumns; ++column) texts.push_back(Text(row, column));
  }

  Figures f;
  for (int round = 0; round < rounds; ++round) {
    std::unique_ptr<cBenchList> list;
    f.build.push_back(Milliseconds([&] {
      list.reset(new cBenchList(window, kArea, nullptr, 0));
      list->SetDefaultCellSize(kColumnWidth, kRowHeight);
      list->SetupRowLineWidth(0, 0, 0);
      list->SetupColLineWidth(0, 0, 0);
      list->AddColumn(0, kColumns);
      list->AddRow(-1, kRows);
    }));
    f.fill.push_back(Milliseconds([&] {
      std::size_t n = 0;
      for (short row = 1; row <= kRows; ++row) {
        for (short column = 1; column <= kColumns; ++column) {
          list->SetupStringData(column, row, texts[n++].c_str(), 0);
        }
      }
    }));
    Sp_RedrawViewWindow(window, 0);
    f.scroll.push_back(Milliseconds([&] {
      list->ScrollToEnd();
      list->ReDrawAreaUpdateView(0);
    }));
    f.redraw.push_back(Milliseconds([&] {
      list->SetupModifyDrawingRectAndFlag(nullptr, 1);
      list->ReDrawAreaUpdateView(0);
    }));
    f.oneCell.push_back(Milliseconds([&] { list->DrawOneCell(3, kRows); }));
    Point cell{};
    f.find.push_back(Milliseconds([&] {
      for (int i = 0; i < 1000; ++i) {
        list->GetCellOnWindowLocalPosition(Point{short(kArea.bottom - 1), 250}, &cell);
      }
    }));
    if (cell.v != kRows || cell.h != 3) {
      std::fprintf(stderr, "the last row is not under the view's bottom: row %d\n", cell.v);
      return 1;
    }
    f.remove.push_back(Milliseconds([&] { list->DeleteRow(1, kRows, 0); }));
    f.floor.push_back(Milliseconds([&] {
      DrawFloor(window, world, short(kRows - (kArea.bottom - kArea.top) / kRowHeight + 1));
    }));
  }

  std::printf("list of %d rows x %d columns, %d x %d view, %d rounds\n", kRows, kColumns,
              kArea.right - kArea.left, kArea.bottom - kArea.top, rounds);
  Print("build (make, 5 columns, 10,000 rows)", f.build);
  Print("fill 50,000 cells with texts", f.fill);
  Print("scroll to the end and redraw", f.scroll);
  Print("redraw the whole view", f.redraw);
  Print("redraw one cell", f.oneCell);
  Print("cell under a point, 1,000 times", f.find);
  Print("delete every row", f.remove);
  Print("floor: same texts into one offscreen + copy", f.floor);
  DisposeGWorld(world);
  DisposeWindow(window);
  return 0;
}
