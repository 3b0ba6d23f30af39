// Typing and attribute changes with undo on.
//
// Typing: a field of 100,000 bytes of styled, wrapped Japanese and Latin paragraphs (IPA Gothic,
// sizes 10 to 14, bold and italic stretches, a headless 800 x 600 window) takes 10,000
// characters typed one by one through the edit-text manager's key entry, in 100 bursts of 100
// at different places, with an undo
// maximum of 20 steps. Printed: the median, 99th percentile and maximum time of one key,
// beside the same byte insertions into a flat buffer (the floor), and the undo history after
// each burst: its steps, which must stop at the maximum of 20, and its bytes, which must then
// stay within 20 of the largest step (a step's text lies in string items of 64 bytes, so two
// steps of 100 keys may take a different number of items).
//
// Attributes: a megabyte of the same styled text, selected whole, has bold toggled and the
// toggle undone; each beside a fresh layout of that text (setting it into a field): of its
// styled runs, whose widths are kept, and of its plain bytes, every run measured.
// Bold changes every run's width, so the toggle and its undo are measured beside the layout of
// the plain text, every run measured. Then, for information, the same text takes size 16 over
// the selection (every line's height changes) and that is undone, the whole text takes size 18,
// and the whole text is copied into a run set, line by line. Printed: the times and the undo
// record's bytes against the text's. Each part runs as often as asked (3 unless --runs); every figure is given as
// min / median / max over the runs.
//
//   undo_bench [typing | attributes] [--runs N]
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
#include "SpETOOperationRec.h"
#include "SpEditTextObject.h"
#include "SpStdFunctionNumber.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Paragraphs of kana, kanji and a Latin sentence, about `bytes` long.
std::string Paragraphs(std::size_t bytes) {
  const char* twoByte[] = {"\x82\xA0", "\x82\xA9", "\x88\x9F", "\x93\xFA", "\x96\x7B",
                           "\x8C\xEA"};
  const std::string latin = "Pack my box with five dozen liquor jugs. ";
  std::string text;
  for (int i = 0; text.size() < bytes; ++i) {
    for (int j = 0; j < 15; ++j) text += twoByte[(i * 7 + j) % 6];
    text += latin;
    if (i % 4 == 3) text += '\r';
  }
  text.resize(bytes);
  // Never end inside a two-byte character.
  while (!text.empty() && static_cast<unsigned char>(text.back()) >= 0x81) text.pop_back();
  return text;
}

// Styles a stretch of 40 bytes every `stride`: sizes 10 to 14, every third stretch bold, every
// fifth italic.
void Style(cEditTextObject& field, SInt32 bytes, SInt32 stride) {
  cETOOperationRecMgr* undo = field.GetUndoManager();
  const SInt16 keep = undo->GetStockRecTermNumMax();
  undo->SetupStockRecTermNumMax(0);
  int n = 0;
  for (SInt32 at = 0; at + 40 < bytes; at += stride, ++n) {
    cTextLineObject* a = nullptr;
    cTextLineObject* b = nullptr;
    SInt32 ab = 0, bb = 0;
    if (field.GetCursorPositFromAbsPosit(at, 1, a, ab) == 0 ||
        field.GetCursorPositFromAbsPosit(at + 40, 0, b, bb) == 0) {
      continue;
    }
    field.SetupTargetAreaTextFontOrSize(a, ab, b, bb, kTextStyleAttSize, 10 + n % 5, 0, 0, 0);
    if (n % 3 == 0) field.SetupTargetAreaTextStyle(a, ab, b, bb, bold, 0, 0, 0);
    if (n % 5 == 0) field.ModifyTargetAreaTextStyleRevolve(a, ab, b, bb, italic, 0, 0, 0);
  }
  undo->SetupStockRecTermNumMax(keep);
}

using bench::Percentile;

// A figure over the runs.
struct Spread {
  std::vector<double> v;
  void Add(double x) { v.push_back(x); }
  double Median() const { return bench::Median(v); }
  void Print(const char* what, const char* unit, int decimals = 3) const {
    std::printf("  %-52s %9.*f %9.*f %9.*f %s\n", what, decimals, bench::Min(v), decimals,
                bench::Median(v), decimals, bench::Max(v), unit);
  }
};

struct TypingFigures {
  Spread median, p99, worst, over1ms, firstOver1ms, restP99, floorP99, cpuMedian, cpuP99;
  Spread stepsAfter20, bytesAfter20, mostBytesAfter20, boundBytes;
  long lines = 0;
  std::size_t bytes = 0;
};

// undoMaximum 0 types the same keys with undo off, for comparison.
void Typing(WindowRef window, SInt16 undoMaximum, TypingFigures& out) {
  const std::string text = Paragraphs(100000);
  const Rect area = {0, 0, 600, 800};
  cEditTextObject field(window, area, 16, 1, 1, 1, nullptr, 0);
  field.SetupAutoGrowFlag(0, 0);
  field.SetupText(text.c_str(), 0);
  Style(field, SInt32(text.size()), 97);
  field.GetUndoManager()->SetupStockRecTermNumMax(undoMaximum);
  field.ActivateEditText(1, 0);

  std::string flat = text;
  std::vector<double> keys, floor, firstKeys, cpu;
  std::vector<SInt32> history;
  std::vector<SInt32> steps;
  SInt32 largestStep = 0;
  unsigned seed = 38;
  for (int burst = 0; burst < 100; ++burst) {
    seed = seed * 1103515245u + 12345u;
    // At a character's start: a place in a Latin sentence or after a line break.
    SInt32 at = SInt32((seed >> 8) % (flat.size() - 200));
    while (at < SInt32(flat.size()) && static_cast<unsigned char>(flat[std::size_t(at)]) >= 0x81) {
      at += 2;
    }
    field.SetupCaretPosition(at, 0);
    for (int i = 0; i < 100; ++i) {
      const char key = char('a' + (burst + i) % 26);
      Clock::time_point start = Clock::now();
      const double cpuStart = bench::ThreadCpuMs();
      SpETO_EventKeyInProcedure(key, 0);
      cpu.push_back(bench::ThreadCpuMs() - cpuStart);
      keys.push_back(MsSince(start));
      if (i == 0) firstKeys.push_back(keys.back());
      start = Clock::now();
      flat.insert(std::size_t(at + i), 1, key);
      floor.push_back(MsSince(start));
    }
    cETOOperationRecMgr* undo = field.GetUndoManager();
    history.push_back(undo->GetRecordMemorySize());
    steps.push_back(undo->GetOperationTermCount());
    if (undo->GetCurrentTerm() != nullptr) {
      largestStep = std::max(largestStep, undo->GetCurrentTerm()->GetRecordMemorySize());
    }
  }
  if (field.GetTextCharByte(1, 1) != SInt32(flat.size())) {
    std::fprintf(stderr, "undo_bench: the typed characters did not all arrive\n");
    std::exit(1);
  }
  const auto over = [](const std::vector<double>& v) {
    return double(std::count_if(v.begin(), v.end(), [](double ms) { return ms > 1.0; }));
  };
  std::vector<double> rest;
  for (std::size_t k = 0; k < keys.size(); ++k) {
    if (k % 100 != 0) rest.push_back(keys[k]);
  }
  out.median.Add(Percentile(keys, 0.5));
  out.p99.Add(Percentile(keys, 0.99));
  out.worst.Add(Percentile(keys, 1.0));
  out.over1ms.Add(over(keys));
  out.firstOver1ms.Add(over(firstKeys));
  out.restP99.Add(Percentile(rest, 0.99));
  out.floorP99.Add(Percentile(floor, 0.99));
  out.cpuMedian.Add(Percentile(cpu, 0.5));
  out.cpuP99.Add(Percentile(cpu, 0.99));
  out.stepsAfter20.Add(double(*std::max_element(steps.begin() + 19, steps.end())));
  out.bytesAfter20.Add(double(history[19]));
  out.mostBytesAfter20.Add(double(*std::max_element(history.begin() + 19, history.end())));
  out.boundBytes.Add(double(SInt32(sizeof(cETOOperationRecMgr)) + undoMaximum * largestStep));
  out.lines = field.GetNumOfLine();
  out.bytes = text.size();
  field.ExecEditTextObjDeleteReady(1);
}

void PrintTyping(const TypingFigures& f, SInt16 undoMaximum, int runs) {
  std::printf("typing 10,000 keys into %zu bytes (%ld lines), undo maximum %d; min / median / max"
              " of %d runs:\n",
              f.bytes, f.lines, int(undoMaximum), runs);
  f.median.Print("per key: median", "ms", 4);
  f.p99.Print("per key: 99th percentile", "ms", 4);
  f.worst.Print("per key: maximum", "ms");
  f.over1ms.Print("keys over 1 ms", "", 0);
  // The first key of a burst scrolls the field to a new place: the whole view is drawn anew.
  f.firstOver1ms.Print("  of them the bursts' first keys (a jump of the view)", "", 0);
  f.restP99.Print("other keys: 99th percentile", "ms", 4);
  // Processor time leaves out the waits for a core that a busy machine adds to wall time.
  f.cpuMedian.Print("per key, processor time: median", "ms", 4);
  f.cpuP99.Print("per key, processor time: 99th percentile", "ms", 4);
  if (undoMaximum == 0) return;
  f.floorP99.Print("flat buffer floor: 99th percentile", "ms", 5);
  f.stepsAfter20.Print("undo steps kept, most after the 20th burst", "", 0);
  f.bytesAfter20.Print("undo history bytes after the 20th burst", "", 0);
  f.mostBytesAfter20.Print("undo history bytes, most after the 20th burst", "", 0);
  f.boundBytes.Print("the bound: 20 of the largest step, and the manager", "", 0);
  const double p99 = f.p99.Median();
  const bool flat = bench::Max(f.stepsAfter20.v) <= undoMaximum &&
                    bench::Max(f.mostBytesAfter20.v) <= bench::Min(f.boundBytes.v);
  std::printf("  goals: 99th percentile under 1 ms: %.4f ms %s; history bounded after the 20th "
              "burst: %s\n",
              p99, p99 < 1.0 ? "met" : "MISSED", flat ? "met" : "MISSED");
}

struct AttributeFigures {
  Spread layout, measured, toggle, undo, toggleRatio, undoRatio, record;
  Spread size, sizeUndo, wholeSize, copy;
  long lines = 0;
  std::size_t bytes = 0;
};

void Attributes(WindowRef window, AttributeFigures& out) {
  const std::string text = Paragraphs(1 << 20);
  const Rect area = {0, 0, 600, 800};
  cEditTextObject source(window, area, 16, 1, 1, 1, nullptr, 0);
  source.SetupAutoGrowFlag(0, 0);
  source.SetupText(text.c_str(), 0);
  Style(source, SInt32(text.size()), 401);
  cSp_RunSet styled;
  source.GetTargetString(styled, source.GetFirstLinePtr(), 0, source.GetLastLinePtr(),
                         source.GetLastLinePtr()->GetNumOfTextByte(1, 1), 1);
  source.ExecEditTextObjDeleteReady(1);

  // The text laid out with every run measured: what a change of face over all of it redoes.
  double measured = 0;
  {
    cEditTextObject plain(window, area, 16, 1, 1, 1, nullptr, 0);
    plain.SetupAutoGrowFlag(0, 0);
    const Clock::time_point start = Clock::now();
    plain.SetupText(text.c_str(), 0);
    measured = MsSince(start);
    plain.ExecEditTextObjDeleteReady(1);
  }
  cEditTextObject field(window, area, 16, 1, 1, 1, nullptr, 0);
  field.SetupAutoGrowFlag(0, 0);
  Clock::time_point start = Clock::now();
  field.SetupText(styled, 0);
  const double layout = MsSince(start);
  field.SelectionAll(0, 0);
  start = Clock::now();
  field.ModifySelectionTextStyleRevolve(bold, 0);
  const double toggle = MsSince(start);
  const SInt32 record = field.GetUndoManager()->GetRecordMemorySize();
  start = Clock::now();
  field.ExecUnDoOneOperation(0);
  const double undo = MsSince(start);
  out.layout.Add(layout);
  out.measured.Add(measured);
  out.toggle.Add(toggle);
  out.undo.Add(undo);
  out.toggleRatio.Add(toggle / measured);
  out.undoRatio.Add(undo / measured);
  out.record.Add(double(record) / double(text.size()));
  out.lines = field.GetNumOfLine();
  out.bytes = text.size();

  field.SelectionAll(0, 0);
  start = Clock::now();
  field.SetupSelectionTextFontOrSize(kTextStyleAttSize, 16, 0, 1);
  out.size.Add(MsSince(start));
  start = Clock::now();
  field.ExecUnDoOneOperation(0);
  out.sizeUndo.Add(MsSince(start));
  start = Clock::now();
  field.SetupTextSize(18, 0);
  out.wholeSize.Add(MsSince(start));
  cSp_RunSet copy;
  start = Clock::now();
  field.GetTextByCopyRunSet(copy, 1, 1);
  out.copy.Add(MsSince(start));
  copy.ClearRunSet();
  field.ExecEditTextObjDeleteReady(1);
}

void PrintAttributes(const AttributeFigures& f, int runs) {
  std::printf("1 MB of styled text (%zu bytes, %ld lines); min / median / max of %d runs:\n",
              f.bytes, f.lines, runs);
  f.measured.Print("fresh layout of the plain text (every run measured)", "ms", 1);
  f.layout.Print("fresh layout of the styled runs (their widths kept)", "ms", 1);
  f.toggle.Print("select all + toggle bold", "ms", 1);
  f.undo.Print("its undo", "ms", 1);
  f.toggleRatio.Print("toggle / layout with every run measured", "", 2);
  f.undoRatio.Print("undo / layout with every run measured", "", 2);
  f.record.Print("undo record, times the text's bytes", "", 2);
  f.size.Print("select all + size 16 (every line's height changes)", "ms", 1);
  f.sizeUndo.Print("its undo", "ms", 1);
  f.wholeSize.Print("size 18 over the whole text", "ms", 1);
  f.copy.Print("the whole text copied into a run set, line by line", "ms", 1);
  const double t = f.toggleRatio.Median(), u = f.undoRatio.Median();
  const bool fast = t <= 2.0 && u <= 2.0 && f.toggle.Median() < 500 && f.undo.Median() < 500;
  std::printf("  goals: each within twice the layout with every run measured and under 500 ms: "
              "%s; record under 3 times: %s\n",
              fast ? "met" : "MISSED", f.record.Median() < 3.0 ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  std::string only;
  int runs = 3;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      only = argv[i];
    }
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  if (bench::MakeHome("undo-bench", false, "XDG_DOCUMENTS_DIR", {}).empty()) return 1;
  Sp_CarbonEvent_ModeEnable();
  SInt16 gothic = 0;
  GetFNum(reinterpret_cast<ConstStr255Param>("\x09IPAGothic"), &gothic);
  if (gothic == 0 || GetSysFont() != gothic) {
    std::fprintf(stderr, "undo_bench: the system font is not IPA Gothic\n");
    return 1;
  }
  const Rect content = {40, 40, 640, 840};
  WindowRef window =
      NewCWindow(nullptr, &content, nullptr, true, documentProc, kFirstWindowOfClass, false, 0);
  if (window == nullptr) {
    std::fprintf(stderr, "undo_bench: no window could be made\n");
    return 1;
  }
  if (only != "attributes") {
    TypingFigures on, off;
    for (int run = 0; run < runs; ++run) {
      Typing(window, 20, on);
      Typing(window, 0, off);
    }
    PrintTyping(on, 20, runs);
    PrintTyping(off, 0, runs);
  }
  if (only != "typing") {
    AttributeFigures f;
    for (int run = 0; run < runs; ++run) Attributes(window, f);
    PrintAttributes(f, runs);
  }
  DisposeWindow(window);
  return 0;
}
