// The style scrap: writing, reading with its size, and the conversions between style tables
// and runs.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ByteOrder.h"
#include "Fonts.h"
#include "MacMemory.h"
#include "SpETOTextStyle.h"
#include "TextModelTestSupport.h"

namespace {

class StyleScrap : public text_test::TextModelTest {
 protected:
  static sETOStyleInfo Info(SInt32 start, Style face, SInt16 font = 2000, SInt16 size = 12) {
    sETOStyleInfo info;
    SpETOT_InitializeTextStyleInfo(info);
    info.start = start;
    info.face = face;
    info.font = font;
    info.size = size;
    return info;
  }
  // A scrap of these (start, font, size) elements; the count field may say otherwise.
  static std::vector<char> Scrap(SInt16 count, const std::vector<std::vector<SInt32>>& elements) {
    std::vector<char> bytes(2 + 20 * elements.size(), 0);
    sp::StoreBE16(bytes.data(), UInt16(count));
    for (std::size_t k = 0; k < elements.size(); ++k) {
      char* e = bytes.data() + 2 + 20 * k;
      sp::StoreBE32(e, UInt32(elements[k][0]));
      sp::StoreBE16(e + 8, UInt16(elements[k][1]));
      sp::StoreBE16(e + 12, UInt16(elements[k][2]));
    }
    return bytes;
  }
  static SInt32 Count(const cETOTextStyleBase& table) {
    SInt32 n = 0;
    for (cETOStyleElement* e = table.GetStyleElementListHeadPtr(); e != nullptr;
         e = e->GetNextObjectPtr()) {
      ++n;
    }
    return n;
  }
};

TEST_F(StyleScrap, ThreeElementsMakeSixtyTwoBytesAndAShortBufferTakesTwoAndSaysOverflow) {
  cETOTextStyleBase table;
  table.SetupNewStyleData(Info(0, bold));
  table.SetupNewStyleData(Info(5, italic));
  table.SetupNewStyleData(Info(9, normal));
  SInt32 size = 0;
  char* scrap = table.CreateStyleScrapData(size);
  ASSERT_NE(scrap, nullptr);
  EXPECT_EQ(size, 62);
  EXPECT_EQ(sp::LoadBE16(scrap), 3);
  EXPECT_EQ(sp::LoadBE32(scrap + 22), 5u);
  EXPECT_EQ(UInt8(scrap[22 + 10]), italic);
  DisposePtr(scrap);

  char buffer[42];
  std::memset(buffer, 0x55, sizeof buffer);
  unsigned char overflow = 0;
  ErrorLogCapture log;
  EXPECT_EQ(table.SaveStyleScrapData(buffer, 42, overflow), 0);
  EXPECT_EQ(overflow, 1);
  EXPECT_EQ(sp::LoadBE32(buffer + 22), 5u) << "the first two elements are written";
  EXPECT_EQ(UInt8(buffer[0]), 0x55) << "the count is not written";
  EXPECT_TRUE(log.Has("cETOTextStyleBase::SaveStyleScrapData", 2));
  EXPECT_EQ(table.SaveStyleScrapData(buffer, 0, overflow), 0);
  EXPECT_EQ(overflow, 1);

  cETOTextStyleBase empty;
  EXPECT_EQ(empty.CreateStyleScrapData(size), nullptr);
  EXPECT_EQ(size, 0);
}

TEST_F(StyleScrap, EveryFieldIsWrittenBigEndianAtItsOffsetAndReadBackFromThere) {
  // Each field's two bytes differ, and some have their top bit set, so that a swap, a shift
  // by a field or a sign lost changes the value.
  sETOStyleInfo info = Info(0x01020304, Style(0x8B), SInt16(0x090A), SInt16(0x0D0E));
  info.lineHeight = SInt16(0x8182);
  info.ascent = SInt16(0x7F80);
  info.color = RGBColor{0x1112, 0xF314, 0x1516};
  sETOStyleInfo second = info;
  second.start = 0x01020310;
  second.color = RGBColor{0xA1A2, 0x0102, 0xFFFE};
  cETOTextStyleBase table;
  table.SetupNewStyleData(info);
  table.SetupNewStyleData(second);
  SInt32 size = 0;
  char* scrap = table.CreateStyleScrapData(size);
  ASSERT_NE(scrap, nullptr);
  ASSERT_EQ(size, 42);
  const std::vector<UInt8> bytes(scrap, scrap + size);
  DisposePtr(scrap);
  const std::vector<UInt8> expected = {
      0x00, 0x02,                                      // two elements
      0x01, 0x02, 0x03, 0x04, 0x81, 0x82, 0x7F, 0x80,  // start, line height, ascent
      0x09, 0x0A, 0x8B, 0x00, 0x0D, 0x0E,              // font, face, filler, size
      0x11, 0x12, 0xF3, 0x14, 0x15, 0x16,              // red, green, blue
      0x01, 0x02, 0x03, 0x10, 0x81, 0x82, 0x7F, 0x80,
      0x09, 0x0A, 0x8B, 0x00, 0x0D, 0x0E,
      0xA1, 0xA2, 0x01, 0x02, 0xFF, 0xFE,
  };
  EXPECT_EQ(bytes, expected);

  cETOTextStyleBase read;
  ASSERT_EQ(read.SetupStyleData(reinterpret_cast<const char*>(expected.data()), 42), 1);
  const cETOStyleElement* e = read.GetStyleElementListHeadPtr();
  for (const sETOStyleInfo* want : {&info, &second}) {
    ASSERT_NE(e, nullptr);
    sETOStyleInfo got;
    e->GetStyleInfo(got);
    EXPECT_EQ(got.start, want->start);
    EXPECT_EQ(got.end, want == &info ? second.start - 1 : -1);
    EXPECT_EQ(got.lineHeight, want->lineHeight);
    EXPECT_EQ(got.ascent, want->ascent);
    EXPECT_EQ(got.font, want->font);
    EXPECT_EQ(got.face, want->face);
    EXPECT_EQ(got.size, want->size);
    EXPECT_EQ(got.color.red, want->color.red);
    EXPECT_EQ(got.color.green, want->color.green);
    EXPECT_EQ(got.color.blue, want->color.blue);
    e = e->GetNextObjectPtr();
  }
}

TEST_F(StyleScrap, ReadingTakesOnlyTheElementsTheBytesHold) {
  const struct {
    std::vector<char> scrap;
    SInt32 size;
    unsigned char result;
    SInt32 elements;
    const char* why;
  } cases[] = {
      {Scrap(2, {{0, 2000, 12}, {4, 2000, 12}}), 42, 1, 2, "a whole scrap"},
      {Scrap(3, {{0, 2000, 12}, {4, 2000, 12}}), 42, 1, 2, "a count beyond the bytes"},
      {Scrap(30000, {{0, 2000, 12}}), 22, 1, 1, "a huge count over one element"},
      {Scrap(2, {{0, 2000, 12}, {4, 2000, 12}}), 41, 1, 1, "an element cut short is dropped"},
      {Scrap(1, {{0, 2000, 12}}), 21, 0, 0, "no whole element"},
      {Scrap(0, {}), 2, 0, 0, "a count of 0"},
      {Scrap(-1, {{0, 2000, 12}}), 22, 0, 0, "a negative count"},
      {Scrap(1, {}), 1, 0, 0, "not even a count"},
  };
  for (const auto& c : cases) {
    ErrorLogCapture log;
    cETOTextStyleBase table;
    EXPECT_EQ(table.SetupStyleData(c.scrap.data(), c.size), c.result) << c.why;
    EXPECT_EQ(Count(table), c.elements) << c.why;
  }
  cETOTextStyleBase table;
  EXPECT_EQ(table.SetupStyleData(nullptr, 100), 0);
}

TEST_F(StyleScrap, FontsZeroAndOneAndSizeZeroResolveToTheSystemsOwn) {
  const std::vector<char> scrap = Scrap(3, {{0, 0, 0}, {2, 1, 9}, {4, 2000, 14}});
  cETOTextStyleBase table;
  ASSERT_EQ(table.SetupStyleData(scrap.data(), SInt32(scrap.size())), 1);
  std::vector<sETOStyleInfo> infos;
  for (cETOStyleElement* e = table.GetStyleElementListHeadPtr(); e != nullptr;
       e = e->GetNextObjectPtr()) {
    sETOStyleInfo info;
    e->GetStyleInfo(info);
    infos.push_back(info);
  }
  ASSERT_EQ(infos.size(), 3u);
  EXPECT_EQ(infos[0].font, GetSysFont());
  EXPECT_EQ(infos[0].size, GetDefFontSize());
  EXPECT_EQ(infos[0].end, 1);
  EXPECT_EQ(infos[1].font, GetAppFont());
  EXPECT_EQ(infos[2].font, 2000);
  EXPECT_EQ(infos[2].end, -1);
}

TEST_F(StyleScrap, RunsOfOneStyleJoinIntoOneElement) {
  first_ = Wrap("ab", 400);
  SInt32 b = 0, t = 0, l = 0;
  first_->InsertString("cd", 2, attributes_, b, t, l);
  sTextStyleAttributes boldAttributes = attributes_;
  boldAttributes.face = bold;
  first_->InsertString("ef", 4, boldAttributes, b, t, l);
  cETOTextStyleBase table;
  SpETO_SetupStyleDataFromRunList(&table, first_->GetStyleRunListHeadPtr());
  ASSERT_EQ(Count(table), 2);
  sETOStyleInfo first, second;
  table.GetStyleElementListHeadPtr()->GetStyleInfo(first);
  table.GetStyleElementListHeadPtr()->GetNextObjectPtr()->GetStyleInfo(second);
  EXPECT_EQ(first.start, 0);
  EXPECT_EQ(first.end, 3);
  EXPECT_EQ(second.start, 4);
  EXPECT_EQ(second.face, bold);
}

TEST_F(StyleScrap, LayingATableCutsRunsSoEveryByteTakesTheStyleThatCoversIt) {
  const struct {
    std::vector<char> scrap;
    std::vector<std::pair<SInt32, Style>> runs;  // length and face of each run afterwards
    const char* why;
  } cases[] = {
      {Scrap(2, {{0, 0, 12}, {3, 0, 12}}), {{3, bold}, {3, normal}}, "{0: bold}, {3: plain}"},
      {Scrap(1, {{2, 0, 12}}), {{2, normal}, {4, bold}}, "a first element after byte 0"},
      {Scrap(2, {{0, 0, 12}, {100, 0, 12}}), {{6, bold}}, "a start past the text is pinned"},
  };
  for (const auto& c : cases) {
    std::vector<char> scrap = c.scrap;
    scrap[2 + 10] = char(bold);  // the first element is bold, any second plain
    first_ = Wrap("abcdef", 400);
    cETOTextStyleBase table;
    ASSERT_EQ(table.SetupStyleData(scrap.data(), SInt32(scrap.size())), 1);
    const std::vector<char> text = first_->CopyText();
    SpETO_MargeStyleDataIntoRunList(text.data(), first_->GetStyleRunListHeadPtr(), &table);
    std::vector<std::pair<SInt32, Style>> runs;
    for (cTextStyleRunObject* r = first_->GetStyleRunListHeadPtr(); r != nullptr;
         r = r->GetNextObjectPtr()) {
      runs.emplace_back(r->ByteLength(), r->Attributes().face);
    }
    EXPECT_EQ(runs, c.runs) << c.why;
    const cTextStyleRunObject* head = first_->GetStyleRunListHeadPtr();
    EXPECT_EQ(head->GetTextWidthPixel(), head->ByteLength() * 6 + (head->Attributes().face ? head->ByteLength() : 0))
        << "re-measured: " << c.why;
  }
}

TEST_F(StyleScrap, AnElementStartingPastItsEndStopsTheLayingWithAReport) {
  std::vector<char> scrap = Scrap(3, {{0, 0, 12}, {4, 0, 12}, {2, 0, 12}});
  scrap[2 + 20 + 10] = char(italic);
  scrap[2 + 40 + 10] = char(bold);
  first_ = Wrap("abcdef", 400);
  cETOTextStyleBase table;
  ASSERT_EQ(table.SetupStyleData(scrap.data(), SInt32(scrap.size())), 1);
  ErrorLogCapture log;
  const std::vector<char> text = first_->CopyText();
  SpETO_MargeStyleDataIntoRunList(text.data(), first_->GetStyleRunListHeadPtr(), &table);
  EXPECT_TRUE(log.Has("SpETO_MargeStyleDataIntoRunList", 1));
  EXPECT_EQ(first_->GetStyleRunListHeadPtr()->Attributes().face, normal);
  EXPECT_EQ(first_->GetStyleRunListTailPtr()->Attributes().face, normal);
}

}  // namespace
