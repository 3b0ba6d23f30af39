// Redrawing a sticky note.
//
// An 800 x 600 window (headless) holds a 400 x 300 sticky note (its base view) with ten lines
// of mixed Japanese and Latin text in IPA Gothic 12, over a view that paints the window. The
// full redraw of the note (the base view and its edit text marked, then the window's update
// through its view window) is timed for the active, opaque note and for the inactive note
// drawn translucent at rate 50, the look a grow drag leaves when it ends. Beside them, the
// floor: a bare blend of an area of the note's size through an 8-bit mask (CopyDeepMask),
// which every translucent redraw does at least once. The three are measured in turn in rounds
// (5 unless --rounds) of the given number of redraws each; printed are the mean of a round as
// min / median / max over the rounds, and the worst single redraw. Goal: the translucent
// redraw under 2 ms, so that a note follows a grow drag at 60 Hz.
//
//   sticky_bench [redraws] [--rounds N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <string>

#include "BenchHome.h"
#include "BenchProcess.h"
#include "Fonts.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpETOStickysObject.h"
#include "SpStdFunctionNumber.h"
#include "SpViewWindow.h"

namespace {

struct Figures {
  double meanMs = 0;
  double worstMs = 0;
};

template <class F>
Figures Time(long runs, F step) {
  double total = 0, worst = 0;
  for (long i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    step();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    total += ms;
    worst = std::max(worst, ms);
  }
  return Figures{total / double(runs), worst};
}

void PaintBackground(unsigned long, Rect* area) {
  const RGBColor colour{0x4000, 0x8000, 0xC000};
  RGBForeColor(&colour);
  PaintRect(area);
}

std::string TenLines() {
  std::string text;
  for (int i = 0; i < 10; ++i) {
    for (int j = 0; j < 8; ++j) text += "\x88\x9F\x82\xA0";
    text += " sticky note line " + std::to_string(i + 1);
    if (i < 9) text += '\r';
  }
  return text;
}

Figures Redraws(cStickyObject& note, WindowRef window, long runs) {
  cSp_ViewWindow* viewWindow = Sp_GetViewWindowObject(window, 0);
  return Time(runs, [&] {
    note.GetStickyBaseView()->SetupModifyDrawingRectAndFlag(nullptr, 1);
    viewWindow->UpdateWindow(0);
  });
}

Figures BareBlend(long runs) {
  const Rect area = {0, 0, 304, 404};
  GWorldPtr src = nullptr, mask = nullptr, dst = nullptr;
  NewGWorld(&src, 32, &area, nullptr, nullptr, 0);
  NewGWorld(&mask, 8, &area, nullptr, nullptr, 0);
  NewGWorld(&dst, 32, &area, nullptr, nullptr, 0);
  if (src == nullptr || mask == nullptr || dst == nullptr) {
    std::fprintf(stderr, "sticky_bench: no offscreen could be made\n");
    std::exit(1);
  }
  const Figures f = Time(runs, [&] {
    CopyDeepMask(GetPortBitMapForCopyBits(src), GetPortBitMapForCopyBits(mask),
                 GetPortBitMapForCopyBits(dst), &area, &area, &area, srcCopy, nullptr);
  });
  DisposeGWorld(src);
  DisposeGWorld(mask);
  DisposeGWorld(dst);
  return f;
}

// The rounds of one measurement.
struct Rounds {
  std::vector<double> means;
  double worst = 0;
  void Add(const Figures& f) {
    means.push_back(f.meanMs);
    worst = std::max(worst, f.worstMs);
  }
  void Print(const char* what) const {
    std::printf("  %-32s %7.3f %7.3f %7.3f ms   worst single %7.3f ms\n", what,
                bench::Min(means), bench::Median(means), bench::Max(means), worst);
  }
};

}  // namespace

int main(int argc, char** argv) {
  long runs = 500;
  int rounds = 5;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else {
      runs = std::max(10L, std::atol(argv[i]));
    }
  }
  if (bench::MakeHome("sticky-bench", false, "XDG_DOCUMENTS_DIR", {}).empty()) return 1;
  Sp_CarbonEvent_ModeEnable();
  SInt16 gothic = 0;
  GetFNum(reinterpret_cast<ConstStr255Param>("\x09IPAGothic"), &gothic);
  if (gothic == 0 || GetSysFont() != gothic) {
    std::fprintf(stderr, "sticky_bench: IPA Gothic is not the system font\n");
    return 1;
  }
  const Rect content = {40, 40, 640, 840};
  WindowRef window =
      NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
  if (window == nullptr) {
    std::fprintf(stderr, "sticky_bench: no window could be made\n");
    return 1;
  }
  cSp_DrawingView background(window, Rect{0, 0, 600, 800}, PaintBackground, 0, nullptr, 0);
  // An edit area that gives a base view of 400 x 300 with the title and the minimize box.
  const Rect editArea = {100, 100, 100 + 300 - 4 - 12 - 7, 100 + 400 - 4 - 4};
  cStickyObject note(window, editArea, 16, 1, 1, 1, 1, nullptr, 0);
  note.SetupAutoGrowFlag(0, 0);
  note.SetupText(TenLines().c_str(), 0);
  Rect base;
  note.GetStickyBaseViewImmeditArea(base);
  if (base.right - base.left != 400 || base.bottom - base.top != 300 || note.GetNumOfLine() < 10) {
    std::fprintf(stderr, "sticky_bench: the note is not 400 x 300 with ten lines\n");
    return 1;
  }
  Rounds opaque, translucent, blend;
  for (int round = 0; round < rounds; ++round) {
    note.StickyEditActive(0);
    note.SetupBackgroundTransparentFlag(0, 0);
    opaque.Add(Redraws(note, window, runs));
    note.StickyFrameDeActive(0);
    note.SetupBackgroundTransparentRate(50.0f, 0);
    note.SetupBackgroundTransparentFlag(1, 0);
    translucent.Add(Redraws(note, window, runs));
    blend.Add(BareBlend(runs));
  }
  std::printf("full redraw of a 400 x 300 note with %ld lines: mean of %ld redraws, min / median /"
              " max of %d rounds\n",
              long(note.GetNumOfLine()), runs, rounds);
  opaque.Print("active, opaque");
  translucent.Print("inactive, translucent (50)");
  blend.Print("floor, bare blend of 404 x 304");
  const double median = bench::Median(translucent.means);
  std::printf("goal: translucent under 2 ms: median %.3f ms (%.2f times the blend) %s\n", median,
              median / bench::Median(blend.means), median < 2.0 ? "met" : "MISSED");
  note.ExecStickysObjDeleteReady(1);
  background.ExecDrawingViewObjDeleteReady(1);
  DisposeWindow(window);
  return 0;
}
