// Times the edit-text engine's text model on a megabyte of mixed Japanese and Latin
// paragraphs in IPA Gothic 12: setting the text (runs built, wrapped at 480 pixels),
// re-wrapping it at 320 pixels and, for information, a character typed in the middle, beside a
// pass that only measures each run of the same text once with TextWidth.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Fonts.h"
#include "QuickDraw.h"
#include "SpETOTextLineObject.h"
#include "SpStdFunction.h"
#include "SpTextStyle.h"

namespace {

double Milliseconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
      .count();
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// About a megabyte of paragraphs of different lengths and mixtures.
std::string MegabyteOfParagraphs() {
  const std::string kanji = "\x88\x9F\x88\xA0\x88\xA1\x93\xFA\x96\x7B";  // kanji
  const std::string kana = "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8";    // hiragana
  const std::string stop = "\x81\x42";
  std::string text;
  for (int i = 0; text.size() < 1024 * 1024; ++i) {
    std::string p;
    const int sentences = 2 + i % 5;
    for (int s = 0; s < sentences; ++s) {
      p += Repeat(kanji, 1 + (i + s) % 3) + Repeat(kana, 1 + s % 2) + stop;
      p += " The quick brown fox jumps over the lazy dog " + std::to_string(i) + ". ";
      p += Repeat(kana + kanji, 1 + i % 2) + stop;
    }
    text += p + "\r";
  }
  return text;
}

struct Text {
  cTextLineObject* first = nullptr;
  ~Text() {
    while (first != nullptr) {
      cTextLineObject* next = first->GetNextObjectPtr();
      delete first;
      first = next;
    }
  }
  long Count() const {
    long n = 0;
    for (cTextLineObject* l = first; l != nullptr; l = l->GetNextObjectPtr()) ++n;
    return n;
  }
};

}  // namespace

int main() {
  GWorldPtr world = nullptr;
  const Rect bounds = {0, 0, 100, 600};
  if (NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0) != noErr) {
    std::fprintf(stderr, "text_wrap_bench: no port\n");
    return 1;
  }
  SetGWorld(world, nullptr);
  SInt16 gothic = 0;
  GetFNum(reinterpret_cast<ConstStr255Param>("\x09IPAGothic"), &gothic);
  if (gothic == 0) {
    std::fprintf(stderr, "text_wrap_bench: IPA Gothic is not installed\n");
    return 1;
  }
  sTextStyleAttributes attributes;
  Sp_InitializeTextStyleAttribute(attributes);
  attributes.fontNo = gothic;
  attributes.size = 12;
  const std::string text = MegabyteOfParagraphs();

  // The reference: TextWidth once per run of the same text (runs of one character kind, as
  // the engine makes them), with the advances of the font already known.
  std::vector<std::pair<SInt32, SInt32>> runs;
  for (SInt32 i = 0; i < SInt32(text.size());) {
    sCharactorInfoStruct first;
    Sp_GetCharacterInfo(text.data() + i, 0, first);
    SInt32 j = i;
    while (j < SInt32(text.size()) && text[std::size_t(j)] != '\r') {
      sCharactorInfoStruct info;
      Sp_GetCharacterInfo(text.data() + j, 0, info);
      if (!Sp_EqualCharacterInfo(first, info, 1, 0, 1)) break;
      j += info.twoByte ? 2 : 1;
    }
    if (j == i) j = i + 1;
    runs.emplace_back(i, j - i);
    i = j;
  }
  // Each figure is the best of three rounds: the machine may be busy with other work.
  double reference = 1e9, building = 1e9, setting = 1e9, rewrap = 1e9, typing = 1e9;
  long lines480 = 0, lines320 = 0;
  SInt16 handled = 0, added = 0, removed = 0;
  for (int round = 0; round < 3; ++round) {
    TextFont(gothic);
    TextSize(12);
    SetFractEnable(true);
    auto start = std::chrono::steady_clock::now();
    long sum = 0;
    for (const auto& r : runs) sum += SpTextWidthLong(text.data(), r.first, r.second);
    reference = std::min(reference, Milliseconds(start));
    if (sum == 0) return 1;

    Text t;
    t.first = new (std::nothrow) cTextLineObject(world, 12, kSpPositionLeft, 1, attributes);
    if (t.first == nullptr) return 1;
    t.first->SetupLineWidth(480);
    unsigned char widthChanged = 0;
    start = std::chrono::steady_clock::now();
    t.first->SetupTextBytes(text.data(), SInt32(text.size()));
    building = std::min(building, Milliseconds(start));
    t.first->ResetBreakLine(handled, added, removed, widthChanged);
    setting = std::min(setting, Milliseconds(start));
    lines480 = t.Count();

    start = std::chrono::steady_clock::now();
    for (cTextLineObject* l = t.first; l != nullptr; l = l->GetNextObjectPtr()) {
      l->SetupLineWidth(320);
    }
    widthChanged = 1;
    t.first->ResetBreakLine(handled, added, removed, widthChanged);
    rewrap = std::min(rewrap, Milliseconds(start));
    lines320 = t.Count();

    cTextLineObject* middle = t.first;
    for (long i = 0; i < lines320 / 2; ++i) middle = middle->GetNextObjectPtr();
    start = std::chrono::steady_clock::now();
    SInt32 bytes = 0, tabs = 0, breaks = 0;
    middle->InsertString("x", 2, attributes, bytes, tabs, breaks);
    widthChanged = 0;
    middle->GetBeforeObjectPtr()->ResetBreakLine(handled, added, removed, widthChanged);
    typing = std::min(typing, Milliseconds(start));
  }

  std::printf("text: %zu bytes in %zu runs of one character kind, IPA Gothic 12\n", text.size(),
              runs.size());
  std::printf("TextWidth once per run (reference):   %8.1f ms\n", reference);
  std::printf("setting the text, wrapped at 480 px:  %8.1f ms  (%.1f x reference, %ld lines)\n",
              setting, setting / reference, lines480);
  std::printf("  of which the runs built:            %8.1f ms\n", building);
  std::printf("re-wrapping it at 320 px:             %8.1f ms  (%.1f x reference, %ld lines)\n",
              rewrap, rewrap / reference, lines320);
  std::printf("a character typed mid-text:           %8.3f ms  (%d lines handled)\n", typing,
              int(handled));
  DisposeGWorld(world);
  return 0;
}
