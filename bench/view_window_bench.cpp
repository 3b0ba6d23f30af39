// The update of a full view window.
//
// Builds a 1,024 x 768 window with a dozen views as an application window has them: a
// background, a side bar, a header, a scrolled list container with six rows (three with
// offscreens of their own, three drawn in the list's offscreen), a translucent panel and a
// button. Each round marks the whole window for redraw and updates it as the framework does
// (every view painted into its offscreen, every offscreen copied to the window), and prints
// the time of one update beside the time of painting the same rectangles straight into one
// window-sized offscreen and copying it to the window once: the floor for drawing this picture
// without views.
//
//   view_window_bench [rounds]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpViewClass.h"
#include "SpViewWindow.h"

namespace {

struct Box {
  Rect area;
  UInt32 rgb;
};

RGBColor Colour(UInt32 rgb) {
  return RGBColor{UInt16(((rgb >> 16) & 0xFF) * 257), UInt16(((rgb >> 8) & 0xFF) * 257),
                  UInt16((rgb & 0xFF) * 257)};
}

void Paint(const Rect& r, UInt32 rgb) {
  const RGBColor c = Colour(rgb);
  RGBForeColor(&c);
  PaintRect(&r);
}

// Fills what it shows with one colour and frames its content.
class cFilledView : public cSp_View {
 public:
  cFilledView(WindowRef window, const Rect& area, UInt32 rgb, cSp_View* container = nullptr,
              unsigned char drawInContainer = 0)
      : cSp_View(window, area, 0, 0, container, drawInContainer), rgb_(rgb) {}
  unsigned char UpdateProc() override {
    const Rect all = {-10000, -10000, 10000, 10000};
    Paint(all, rgb_);
    return 1;
  }

 private:
  UInt32 rgb_;
};

double Milliseconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  const Rect content = {0, 0, 768, 1024};
  WindowRef window =
      NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
  if (window == nullptr) {
    std::fprintf(stderr, "no window could be made\n");
    return 1;
  }

  std::vector<std::unique_ptr<cFilledView>> views;
  auto add = [&](const Rect& area, UInt32 rgb, cSp_View* container = nullptr,
                 unsigned char drawIn = 0) {
    views.emplace_back(new cFilledView(window, area, rgb, container, drawIn));
    return views.back().get();
  };
  cSp_View* background = add({0, 0, 768, 1024}, 0xE0E0E0);
  add({40, 0, 768, 200}, 0xC0C8D0);
  add({0, 0, 40, 1024}, 0x405070);
  cSp_View* list = add({40, 220, 728, 1004}, 0xFFFFFF);
  for (short i = 0; i < 6; ++i) {
    const short top = short(10 + i * 110);
    add({top, 10, short(top + 100), 774}, 0x8090A0 + UInt32(i) * 0x0A0A0A, list,
        (i % 2) != 0 ? 1 : 0);
  }
  cSp_View* panel = add({300, 300, 500, 700}, 0x204080);
  panel->TransmitViewTurnOn(kSpTransmitContentType, 50, 0);
  add({700, 880, 740, 1000}, 0x808080);

  cSp_ViewWindow* viewWindow = Sp_GetViewWindowObject(window, 0);
  auto update = [&] {
    background->SetupModifyDrawingRectAndFlag(nullptr, 1);
    viewWindow->UpdateWindow(0);
  };
  update();  // the offscreens are made and drawn once before timing
  const auto viewsStart = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) update();
  const double viewsMs = Milliseconds(viewsStart) / rounds;

  // The same rectangles painted straight into one offscreen, copied to the window once.
  std::vector<Box> boxes;
  for (cSp_View* v = viewWindow->GetViewContainerListHead(); v != nullptr;
       v = v->GetContainerItemListItemNextObjectPtr()) {
    Rect onWindow;
    v->GetDrawingAreaOnWindow(&onWindow);
    boxes.push_back({onWindow, 0x808080});
  }
  GWorldPtr world = nullptr;
  NewGWorld(&world, 32, &content, nullptr, nullptr, 0);
  const auto floorStart = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) {
    SetGWorld(world, nullptr);
    for (const Box& b : boxes) Paint(b.area, b.rgb);
    for (short row = 0; row < 6; ++row) {
      const short top = short(50 + row * 110);
      Paint({top, 230, short(top + 100), 994}, 0x8090A0);
    }
    ForeColor(blackColor);
    SetPortWindowPort(window);
    CopyBits(GetPortBitMapForCopyBits(world), GetPortBitMapForCopyBits(GetWindowPort(window)),
             &content, &content, srcCopy, nullptr);
  }
  const double floorMs = Milliseconds(floorStart) / rounds;

  std::printf("view window update, 1024 x 768, %zu views: %.2f ms (goal: under 16 ms)\n",
              views.size(), viewsMs);
  std::printf("the same rectangles painted into one offscreen and copied once: %.2f ms\n",
              floorMs);
  DisposeGWorld(world);
  views.clear();
  DisposeWindow(window);
  return 0;
}
