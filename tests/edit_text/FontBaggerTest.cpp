// The font bagger: recorded font ids mapped to the running system's by name.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "Fonts.h"
#include "SpFontBaggerObj.h"
#include "TestFonts.h"

namespace {

std::vector<SInt32> Ids(const cFontBagger& bagger) {
  std::vector<SInt32> out;
  for (cFontBaggerItem* i = bagger.GetFontItemList(); i != nullptr; i = i->GetNextObjectPtr()) {
    out.push_back(i->GetFontId());
  }
  return out;
}

TEST(FontBagger, KeepsEachIdOnceInAscendingOrder) {
  cFontBagger bagger;
  for (SInt32 id : {5, 2, 9, 2, -3}) bagger.RegisterFontId(id);
  EXPECT_EQ(Ids(bagger), (std::vector<SInt32>{-3, 2, 5, 9}));
  EXPECT_EQ(bagger.GetFontItemNum(), 4u);
  bagger.RegisterFontIdAndName(5, "IPAMincho");
  EXPECT_EQ(bagger.GetFontItemNum(), 4u) << "a registered id keeps its item";
}

TEST(FontBagger, MapsRecordedIdsToTheRunningSystemsNumbersByName) {
  cFontBagger bagger;
  bagger.RegisterFontIdAndName(300, "IPAGothic");
  bagger.RegisterFontIdAndName(301, "No Such Font");
  bagger.RegisterFontId(0);
  bagger.RegisterFontId(1);
  SInt32 current = -7;
  EXPECT_EQ(bagger.ChangeTargeFontIdToCurrentSysId(300, current), 1);
  EXPECT_EQ(current, 16384);
  EXPECT_EQ(bagger.ChangeTargeFontIdToCurrentSysId(301, current), 1);
  EXPECT_EQ(current, 0) << "a missing font maps to the system font";
  EXPECT_EQ(bagger.ChangeTargeFontIdToCurrentSysId(1, current), 1);
  EXPECT_EQ(current, 1);
  current = -7;
  EXPECT_EQ(bagger.ChangeTargeFontIdToCurrentSysId(42, current), 0);
  EXPECT_EQ(current, -7);

  char name[kFontBaggerNameSize];
  SInt32 id = 0;
  bagger.GetFontItemList()->GetInfo(id, name);
  Str255 system;
  GetFontName(GetSysFont(), system);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(std::string(name), std::string(reinterpret_cast<char*>(system + 1), system[0]));

  ErrorLogCapture log;
  bagger.RegisterFontIdAndName(302, nullptr);
  EXPECT_TRUE(log.Has("cFontBagger::RegisterFontIdAndName", 1));
  EXPECT_EQ(bagger.GetFontItemNum(), 4u);
}

TEST(FontBagger, ANameIsKeptUpToItsFieldLessTheTerminatorAndCutPastIt) {
  for (const std::size_t length : {std::size_t(510), std::size_t(511), std::size_t(512),
                                   std::size_t(600)}) {
    SCOPED_TRACE(length);
    std::string name(length, 'f');
    for (std::size_t i = 0; i < length; ++i) name[i] = char('a' + i % 26);
    cFontBagger bagger;
    bagger.RegisterFontIdAndName(7, name.c_str());
    char out[kFontBaggerNameSize];
    std::memset(out, 'x', sizeof out);
    SInt32 id = 0;
    bagger.GetFontItemList()->GetInfo(id, out);
    EXPECT_EQ(id, 7);
    ASSERT_LT(strnlen(out, sizeof out), sizeof out) << "the name ends inside the field";
    EXPECT_EQ(std::string(out), name.substr(0, kFontBaggerNameSize - 1));
  }
}

}  // namespace
