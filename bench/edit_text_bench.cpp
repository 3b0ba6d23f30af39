// Keystrokes in a large text field.
//
// An 800 x 600 window (headless) holds one field the size of the window with 100,000
// characters of mixed Japanese and Latin paragraphs in IPA Gothic 12. With the caret in the
// middle of the text, 1,000 caret moves across lines (down and up arrows) and then 1,000
// characters typed there go through the edit-text manager's key entry, each followed by the
// window's update through its view window. The mean and the worst time of one keystroke are
// printed beside the same for a field of 1,000 characters: a keystroke's work must not grow
// with the text. Last, for information, the time DrawText takes for one line.
//
//   edit_text_bench [characters]
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

struct Figures {
  double meanMs = 0;
  double worstMs = 0;
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
  double total = 0, worst = 0;
  for (char key : keys) {
    const auto start = std::chrono::steady_clock::now();
    SpETO_EventKeyInProcedure(key, 0);
    viewWindow->UpdateWindow(0);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    total += ms;
    worst = std::max(worst, ms);
  }
  if (field.GetTextCharByte(1, 1) != before + 1000) {
    std::fprintf(stderr, "edit_text_bench: the typed characters did not all arrive\n");
    std::exit(1);
  }
  Figures f;
  f.meanMs = total / double(keys.size());
  f.worstMs = worst;
  f.lines = field.GetNumOfLine();
  field.ExecEditTextObjDeleteReady(1);
  return f;
}

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
  const long characters = argc > 1 ? std::max(1000L, std::atol(argv[1])) : 100000L;
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
  const Figures small = Keystrokes(window, 1000);
  const Figures large = Keystrokes(window, characters);
  std::printf("keystroke with window update, field of 1,000 characters (%ld lines): "
              "mean %.3f ms, worst %.3f ms\n",
              small.lines, small.meanMs, small.worstMs);
  std::printf("keystroke with window update, field of %ld characters (%ld lines): "
              "mean %.3f ms, worst %.3f ms\n",
              characters, large.lines, large.meanMs, large.worstMs);
  std::printf("goals: mean under 1 ms and under twice the small field's (%.2fx)\n",
              small.meanMs > 0 ? large.meanMs / small.meanMs : 0.0);
  std::printf("DrawText of a 70-character line (35 two-byte, 35 one-byte): %.3f ms\n",
              DrawTextLine(window));
  DisposeWindow(window);
  return 0;
}
