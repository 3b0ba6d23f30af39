// The desktop display's cost: a full update of a 1,024 x 768 window from its pixel buffer to
// the screen, and the processor time of the event loop left idle.
//
// Opens the desktop display on $DISPLAY (run it on a desktop, or under Xvfb with
// "xvfb-run -a"), shows a document window of 1,024 x 768 pixels and changes every pixel before
// each of N presents (200 unless given), timing the present alone: the changed rows found,
// copied to the window's surface and sent to the X server. Beside it, as the reference, the
// same buffer copied by hand into a bare SDL window surface and sent with
// SDL_UpdateWindowSurface. Then the loop runs with nothing to do for S seconds (60 unless
// given) and the process's processor time over that span is printed.
//
//   display_bench [presents] [--idle SECONDS]
#include <SDL.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CarbonEvents.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "display/internal/Backends.h"
#include "quickdraw/internal/Ports.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

double Millis(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from)
      .count();
}

double ProcessorSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Every pixel different from the frame before.
void Repaint(UInt32* base, std::ptrdiff_t rowWords, int frame) {
  for (int y = 0; y < kHeight; ++y) {
    UInt32* row = base + y * rowWords;
    for (int x = 0; x < kWidth; ++x) {
      row[x] = 0xFF000000u | UInt32((x * 7 + y * 3 + frame * 101) & 0xFFFFFF);
    }
  }
}

struct Figures {
  double mean = 0;
  double median = 0;
  double worst = 0;
};

Figures Summarize(std::vector<double> times) {
  Figures f;
  if (times.empty()) return f;
  std::sort(times.begin(), times.end());
  for (double t : times) f.mean += t;
  f.mean /= double(times.size());
  f.median = times[times.size() / 2];
  f.worst = times.back();
  return f;
}

void Print(const char* what, const Figures& f) {
  std::printf("%-44s mean %6.2f ms  median %6.2f ms  worst %6.2f ms\n", what, f.mean, f.median,
              f.worst);
}

// The reference: the same pixels copied into a bare SDL window's surface and sent whole.
Figures BareSDL(int presents) {
  SDL_Window* window = SDL_CreateWindow("reference", 0, 0, kWidth, kHeight, SDL_WINDOW_SHOWN);
  if (window == nullptr) return Figures();
  std::vector<UInt32> pixels(std::size_t(kWidth) * kHeight);
  std::vector<double> times;
  for (int i = 0; i < presents; ++i) {
    Repaint(pixels.data(), kWidth, i);
    const auto start = std::chrono::steady_clock::now();
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) break;
    for (int y = 0; y < kHeight && y < surface->h; ++y) {
      std::memcpy(static_cast<Uint8*>(surface->pixels) + y * surface->pitch,
                  pixels.data() + std::size_t(y) * kWidth,
                  std::size_t(std::min(kWidth, surface->w)) * 4);
    }
    SDL_UpdateWindowSurface(window);
    times.push_back(Millis(start));
  }
  SDL_DestroyWindow(window);
  return Summarize(times);
}

}  // namespace

int main(int argc, char** argv) {
  int presents = 200;
  double idleSeconds = 60;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--idle") == 0 && i + 1 < argc) {
      idleSeconds = std::atof(argv[++i]);
    } else {
      presents = std::max(1, std::atoi(argv[i]));
    }
  }
  std::string message;
  if (!sp_platform::display::OpenDesktop(&message)) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
  }
  Rect content = {60, 20, SInt16(60 + kHeight), SInt16(20 + kWidth)};
  WindowRef window = nullptr;
  if (CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &content, &window) !=
      noErr) {
    std::fprintf(stderr, "The window could not be made.\n");
    return 1;
  }
  ShowWindow(window);
  sp_platform::display::SyncDesktop();
  sp_platform::PixelAccess pixels;
  if (!sp_platform::GetPortPixels(GetWindowPort(window), &pixels)) {
    std::fprintf(stderr, "The window has no pixels.\n");
    return 1;
  }
  std::vector<double> times;
  for (int i = 0; i < presents; ++i) {
    Repaint(pixels.base, pixels.rowWords, i);
    const auto start = std::chrono::steady_clock::now();
    sp_platform::display::SyncDesktop();
    times.push_back(Millis(start));
  }
  std::printf("Full-window update of %d x %d, %d presents (goal: under 4 ms)\n", kWidth, kHeight,
              presents);
  Print("  desktop display (pixel buffer to screen)", Summarize(times));
  Print("  reference: bare SDL surface, whole copy", BareSDL(presents));

  // Idle: one timer at the end, nothing else to do.
  EventLoopTimerRef timer = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), idleSeconds, 0,
                        NewEventLoopTimerUPP([](EventLoopTimerRef, void*) {
                          QuitApplicationEventLoop();
                        }),
                        nullptr, &timer);
  const double before = ProcessorSeconds();
  const auto start = std::chrono::steady_clock::now();
  RunApplicationEventLoop();
  const double used = ProcessorSeconds() - before;
  std::printf("Idle loop for %.1f s: %.4f s of processor time (goal for a minute: under 0.1 s)\n",
              Millis(start) / 1000.0, used);
  DisposeWindow(window);
  sp_platform::display::CloseDesktop();
  return 0;
}
