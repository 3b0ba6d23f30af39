// Keystrokes in a large text field.
//
// An 800 x 600 window (headless) holds one field the size of the window with 100,000
// characters of mixed Japanese and Latin paragraphs in IPA Gothic 12. With the caret in the
// middle of the text, 1,000 caret moves across lines (down and up arrows) and then 1,000
// characters typed there go through the edit-text manager's key entry, each followed by the
// window's update through its view window. Each kind of key is printed apart (median, mean,
// 99th percentile, worst, and how many took over 1 ms, then the median and 99th percentile of
// the processor time, which a machine busy with other work does not lengthen) beside the same
// for a field of 1,000 characters: a keystroke's work must not grow with the text. The whole is
// done as often as asked (3 unless --runs) and each figure given as min / median / max over the
// runs. Last, for information, the time DrawText takes for one line.
//
//   edit_text_bench [characters] [--runs N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchHome.h"
#include "BenchProcess.h"
#include "Fonts.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpEditTextObject.h"
#include "SpStdFunctionNumber.h"
#include "SpViewWindow.h"

namespace {

// Mixed paragraphs of about `characters` characters (a two-byte character counts once).
std::string MixedText(long characters) {
  const char* kanji[] = {"\x88\x9F", "\x88\xA0", "\x88\xA1", "\x93\xFA", "\x96\x7B"};
  const char* kana[] = {"\x82\xA0", "\x82\xA2", "\x82\xA4", "\x82\xA6", "\x82\xA8"};
  const std::string latin = "The quick brown fox jumps over the lazy dog. ";
  std::string text;
  long count = 0;
  for (int i = 0; count < characters; ++i) {
    for (int j = 0; j < 12 && count < characters; ++j, ++count) text += kanji[(i + j) % 5];
    for (int j = 0; j < 10 && count < characters; ++j, ++count) text += kana[(i * 3 + j) % 5];
    text += "\x81\x42";
    ++count;
    for (std::size_t j = 0; j < latin.size() && count < characters; ++j, ++count) {
      text += latin[j];
    }
    if (i % 6 == 5 && count < characters) {
      text += '\r';
      ++count;
    }
  }
  return text;
}

// The times of one kind of key, in milliseconds.
struct Keys {
  std::vector<double> ms;
  // The processor time of each, which a busy machine does not lengthen.
  std::vector<double> cpuMs;
  double Mean() const {
    double total = 0;
    for (double t : ms) total += t;
    return ms.empty() ? 0 : total / double(ms.size());
  }
  long Over1ms() const { return long(std::count_if(ms.begin(), ms.end(), [](double t) { return t > 1.0; })); }
};

struct Figures {
  Keys arrows, typed;
  long lines = 0;
};

Figures Keystrokes(WindowRef window, long characters) {
  const Rect area = {0, 0, 600, 800};
  cEditTextObject field(window, area, 16, 1, 1, 1, nullptr, 0);
  // The field keeps its size and scrolls to the caret.
  field.SetupAutoGrowFlag(0, 0);
  field.SetupText(MixedText(characters).c_str(), 0);
  field.SetupCaretPosition(field.GetTextCharByte(1, 1) / 2, 0);
  field.ShowCursorPosition(0);
  field.ActivateEditText(1, 0);
  cSp_ViewWindow* viewWindow = Sp_GetViewWindowObject(window, 0);
  field.SetupModifyDrawingRectAndFlag(nullptr, 1);
  viewWindow->UpdateWindow(0);

  std::vector<char> keys;
  for (int i = 0; i < 1000; ++i) keys.push_back((i / 20) % 2 == 0 ? 0x1F : 0x1E);
  for (int i = 0; i < 1000; ++i) keys.push_back(char('a' + i % 26));
  const SInt32 before = field.GetTextCharByte(1, 1);
  Figures f;
  for (char key : keys) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = bench::ThreadCpuMs();
    SpETO_EventKeyInProcedure(key, 0);
    viewWindow->UpdateWindow(0);
    const double cpu = bench::ThreadCpuMs() - cpuStart;
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    Keys& kind = key == 0x1E || key == 0x1F ? f.arrows : f.typed;
    kind.ms.push_back(ms);
    kind.cpuMs.push_back(cpu);
  }
  if (field.GetTextCharByte(1, 1) != before + 1000) {
    std::fprintf(stderr, "edit_text_bench: the typed characters did not all arrive\n");
    std::exit(1);
  }
  f.lines = field.GetNumOfLine();
  field.ExecEditTextObjDeleteReady(1);
  return f;
}

// One figure of each run.
struct Spread {
  std::vector<double> v;
  void Print(const char* what) const {
    std::printf("    %-18s %8.3f %8.3f %8.3f\n", what, bench::Min(v), bench::Median(v),
                bench::Max(v));
  }
};

// The figures of one kind of key over the runs.
struct KeySpread {
  Spread median, mean, p99, worst, over, cpuMedian, cpuP99;
  void Add(const Keys& k) {
    cpuMedian.v.push_back(bench::Percentile(k.cpuMs, 0.5));
    cpuP99.v.push_back(bench::Percentile(k.cpuMs, 0.99));
    median.v.push_back(bench::Percentile(k.ms, 0.5));
    mean.v.push_back(k.Mean());
    p99.v.push_back(bench::Percentile(k.ms, 0.99));
    worst.v.push_back(bench::Max(k.ms));
    over.v.push_back(double(k.Over1ms()));
  }
  void Print(const char* what) const {
    std::printf("  %s (ms; min / median / max over the runs)\n", what);
    median.Print("median");
    mean.Print("mean");
    p99.Print("99th percentile");
    worst.Print("worst");
    over.Print("keys over 1 ms");
    std::printf("  %s, processor time (ms), which waits for a busy machine's cores leave out\n",
                what);
    cpuMedian.Print("median");
    cpuP99.Print("99th percentile");
  }
};

// One 70-character line of the mixed text drawn with DrawText, the mean of many draws.
double DrawTextLine(WindowRef window) {
  std::string line;
  for (int i = 0; i < 35; ++i) line += "\x82\xA0";
  line += std::string(35, 'x');
  SetPortWindowPort(window);
  constexpr int kDraws = 2000;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kDraws; ++i) {
    MoveTo(10, 100);
    DrawText(line.data(), 0, SInt16(line.size()));
  }
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
             .count() /
         kDraws;
}

}  // namespace

int main(int argc, char** argv) {
  long characters = 100000;
  int runs = 3;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      characters = std::max(1000L, std::atol(argv[i]));
    }
  }
  if (bench::MakeHome("edit-text-bench", false, "XDG_DOCUMENTS_DIR", {}).empty()) return 1;
  Sp_CarbonEvent_ModeEnable();
  SInt16 gothic = 0;
  GetFNum(reinterpret_cast<ConstStr255Param>("\x09IPAGothic"), &gothic);
  if (gothic == 0) {
    std::fprintf(stderr, "edit_text_bench: IPA Gothic is not installed\n");
    return 1;
  }
  const Rect content = {40, 40, 640, 840};
  WindowRef window =
      NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
  if (window == nullptr) {
    std::fprintf(stderr, "edit_text_bench: no window could be made\n");
    return 1;
  }
  // Text goes in the system font, which is IPA Gothic, at the default size of 12.
  if (GetSysFont() != gothic || GetDefFontSize() != 12) {
    std::fprintf(stderr, "edit_text_bench: the system font is not IPA Gothic 12\n");
    return 1;
  }
  KeySpread smallArrows, smallTyped, largeArrows, largeTyped;
  long smallLines = 0, largeLines = 0;
  for (int run = 0; run < runs; ++run) {
    const Figures small = Keystrokes(window, 1000);
    const Figures large = Keystrokes(window, characters);
    smallArrows.Add(small.arrows);
    smallTyped.Add(small.typed);
    largeArrows.Add(large.arrows);
    largeTyped.Add(large.typed);
    smallLines = small.lines;
    largeLines = large.lines;
  }
  std::printf("keystrokes with the window's update, %d runs of 1,000 arrow moves and 1,000 typed "
              "keys each\n",
              runs);
  std::printf("field of 1,000 characters (%ld lines):\n", smallLines);
  smallArrows.Print("arrow moves");
  smallTyped.Print("typed keys");
  std::printf("field of %ld characters (%ld lines):\n", characters, largeLines);
  largeArrows.Print("arrow moves");
  largeTyped.Print("typed keys");
  const double p99 = bench::Median(largeTyped.p99.v);
  const double arrowP99 = bench::Median(largeArrows.p99.v);
  const double cpuP99 =
      std::max(bench::Median(largeTyped.cpuP99.v), bench::Median(largeArrows.cpuP99.v));
  const double ratio = bench::Median(largeTyped.mean.v) / bench::Median(smallTyped.mean.v);
  std::printf("goals in the large field: typed keys' 99th percentile under 1 ms: %.3f ms %s; arrow "
              "moves' under 1 ms: %.3f ms %s; the processor time's, both: %.3f ms %s; typed keys' "
              "mean under twice the small field's: %.2fx %s\n",
              p99, p99 < 1.0 ? "met" : "MISSED", arrowP99, arrowP99 < 1.0 ? "met" : "MISSED",
              cpuP99, cpuP99 < 1.0 ? "met" : "MISSED", ratio, ratio < 2.0 ? "met" : "MISSED");
  std::printf("DrawText of a 70-character line (35 two-byte, 35 one-byte): %.3f ms\n",
              DrawTextLine(window));
  DisposeWindow(window);
  return 0;
}
