// Typing and attribute changes with undo on.
//
// Typing: a field of 100,000 bytes of styled, wrapped Japanese and Latin paragraphs (IPA Gothic,
// sizes 10 to 14, bold and italic stretches, a headless 800 x 600 window) takes 10,000
// characters typed one by one through the edit-text manager's key entry, in 100 bursts of 100
// at different places, with an undo
// maximum of 20 steps. Printed: the median, 99th percentile and maximum time of one key,
// beside the same byte insertions into a flat buffer (the floor), and the bytes the undo
// history holds after each burst, which must stop growing once 20 bursts are kept.
//
// Attributes: a megabyte of the same styled text, selected whole, has bold toggled and the
// toggle undone; each beside a fresh layout of that text (setting it into a field): of its
// styled runs, whose widths are kept, and of its plain bytes, every run measured.
// Printed: the three times and the undo record's bytes against the text's.
//
//   undo_bench [typing | attributes]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchHome.h"
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

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5))];
}

// undoMaximum 0 types the same keys with undo off, for comparison.
void Typing(WindowRef window, SInt16 undoMaximum) {
  const std::string text = Paragraphs(100000);
  const Rect area = {0, 0, 600, 800};
  cEditTextObject field(window, area, 16, 1, 1, 1, nullptr, 0);
  field.SetupAutoGrowFlag(0, 0);
  field.SetupText(text.c_str(), 0);
  Style(field, SInt32(text.size()), 97);
  field.GetUndoManager()->SetupStockRecTermNumMax(undoMaximum);
  field.ActivateEditText(1, 0);

  std::string flat = text;
  std::vector<double> keys, floor, firstKeys;
  std::vector<SInt32> history;
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
      SpETO_EventKeyInProcedure(key, 0);
      keys.push_back(MsSince(start));
      if (i == 0) firstKeys.push_back(keys.back());
      start = Clock::now();
      flat.insert(std::size_t(at + i), 1, key);
      floor.push_back(MsSince(start));
    }
    history.push_back(field.GetUndoManager()->GetRecordMemorySize());
  }
  if (field.GetTextCharByte(1, 1) != SInt32(flat.size())) {
    std::fprintf(stderr, "undo_bench: the typed characters did not all arrive\n");
    std::exit(1);
  }
  std::printf("typing 10,000 keys into %zu bytes (%ld lines), undo maximum %d:\n", text.size(),
              long(field.GetNumOfLine()), int(undoMaximum));
  std::printf("  per key: median %.4f ms, 99th percentile %.4f ms, maximum %.3f ms\n",
              Percentile(keys, 0.5), Percentile(keys, 0.99), Percentile(keys, 1.0));
  // The first key of a burst scrolls the field to a new place: the whole view is drawn anew.
  const auto over = [](const std::vector<double>& v) {
    return std::count_if(v.begin(), v.end(), [](double ms) { return ms > 1.0; });
  };
  std::printf("  keys over 1 ms: %ld, of them the bursts' first keys (a jump of the view): %ld; "
              "other keys: 99th percentile %.4f ms\n",
              long(over(keys)), long(over(firstKeys)), [&] {
                std::vector<double> rest;
                for (std::size_t k = 0; k < keys.size(); ++k) {
                  if (k % 100 != 0) rest.push_back(keys[k]);
                }
                return Percentile(rest, 0.99);
              }());
  if (undoMaximum == 0) {
    std::printf("  (undo off)\n");
  } else {
    std::printf("  flat buffer floor: median %.5f ms, 99th percentile %.5f ms, maximum %.4f ms\n",
                Percentile(floor, 0.5), Percentile(floor, 0.99), Percentile(floor, 1.0));
    std::printf("  undo history bytes after bursts 1, 10, 20, 21, 50, 100: %ld %ld %ld %ld %ld "
                "%ld; largest after the 20th: %ld\n",
                long(history[0]), long(history[9]), long(history[19]), long(history[20]),
                long(history[49]), long(history[99]),
                long(*std::max_element(history.begin() + 19, history.end())));
    std::printf("  goals: 99th percentile under 1 ms; history flat after the 20th burst\n");
  }
  field.ExecEditTextObjDeleteReady(1);
}

void Attributes(WindowRef window) {
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
  std::printf("1 MB of styled text (%zu bytes, %ld lines):\n", text.size(),
              long(field.GetNumOfLine()));
  std::printf("  fresh layout of the styled runs (their widths kept) %.1f ms; of the plain "
              "text (every run measured) %.1f ms\n",
              layout, measured);
  std::printf("  select all + toggle bold %.1f ms (%.2fx, %.2fx); undo %.1f ms (%.2fx, %.2fx)\n",
              toggle, toggle / layout, toggle / measured, undo, undo / layout, undo / measured);
  std::printf("  undo record %ld bytes, %.2f times the text\n", long(record),
              double(record) / double(text.size()));
  std::printf("  goals: each within twice the layout and under 500 ms; record under 3 times\n");
  field.ExecEditTextObjDeleteReady(1);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string only = argc > 1 ? argv[1] : "";
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
    Typing(window, 20);
    Typing(window, 0);
  }
  if (only != "typing") Attributes(window);
  DisposeWindow(window);
  return 0;
}
