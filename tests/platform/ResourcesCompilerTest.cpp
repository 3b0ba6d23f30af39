// The resource compiler: source text to the byte layouts the toolbox readers expect.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "ResourceCompiler.h"
#include "Resources.h"
#include "TestFiles.h"
#include "TestResources.h"

namespace {

// A 16 x 16 RGBA image: the left half black and opaque (its top-left pixel white), the right
// half transparent.
const std::string kPng(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00"
    "\x00\x10\x00\x00\x00\x10\x08\x06\x00\x00\x00\x1f\xf3\xff\x61\x00\x00\x00"
    "\x1b\x49\x44\x41\x54\x78\xda\x63\xf8\x0f\x04\x0c\x0c\x0c\xf8\x30\x41\x30"
    "\x6a\xc0\xa8\x01\xa3\x06\x0c\x0b\x03\x00\x66\xf0\x82\x7e\x4b\x96\xa5\x4d"
    "\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82",
    84);

class ResourceCompiler : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::ResetResources();
    folder_ = home_.Path("");
    std::ofstream(folder_ + "/small.png", std::ios::binary) << kPng;
    std::ofstream(folder_ + "/blob.bin", std::ios::binary) << std::string("\x01\x02\x03", 3);
  }
  void TearDown() override { sp_testing::ResetResources(); }

  // Compiles the source and makes it the application's file; the bytes of the first resource
  // it names, or "(missing)".
  std::string Compiled(const std::string& source) {
    std::vector<UInt8> file;
    std::string error;
    EXPECT_TRUE(sp_testing::CompileResourceSource(source, folder_, &file, &error)) << error;
    EXPECT_EQ(sp_testing::UseInMemoryAppResources(file), noErr);
    char type[5] = {};
    int id = 0;
    std::sscanf(source.c_str() + source.find("resource '"), "resource '%4c' %d", type, &id);
    Handle h = Get1Resource(sp::LoadBE32(reinterpret_cast<const UInt8*>(type)), SInt16(id));
    return h == nullptr ? "(missing)" : std::string(*h, std::size_t(GetHandleSize(h)));
  }

  std::string Error(const std::string& source) {
    std::vector<UInt8> file;
    std::string error;
    EXPECT_FALSE(sp_testing::CompileResourceSource(source, folder_, &file, &error)) << source;
    return error;
  }

  sp_testing::HomeScope home_;
  std::string folder_;
};

using namespace std::string_literals;  // "..."s keeps the zero bytes

TEST_F(ResourceCompiler, TypedResourcesGetTheToolboxByteLayouts) {
  struct Case {
    const char* why;
    const char* source;
    std::string expected;
  } cases[] = {
      {"menu: header, enable flags (separator and disabled item off), items, end byte",
       "resource 'MENU' 300 {\n  title \"\xE4\xBF\x9D\xE5\xAD\x98\"\n"
       "  item \"Open\" { key \"O\"; style bold, italic }\n  separator\n"
       "  item \"Sub\" { submenu 131 }\n  item \"Off\" { disabled; mark check; icon 2 }\n}\n",
       "\x01\x2C\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x0B\x04\x95\xDB\x91\xB6"
       "\x04Open\x00O\x00\x03\x01-\x00\x00\x00\x00\x03Sub\x00\x1B\x83\x00"
       "\x03Off\x02\x00\x12\x00\x00"s},
      {"item list: text padded to even, control id, disabled flag",
       "resource 'DITL' 400 {\n  button 10, 20, 30, 90 { text \"Go\" }\n"
       "  staticText 40, 20, 60, 200 { text \"abc\"; disabled }\n"
       "  control 70, 20, 90, 200 { id 128 }\n  userItem 0, 0, 5, 5 { disabled }\n}\n",
       "\x00\x03\x00\x00\x00\x00\x00\x0A\x00\x14\x00\x1E\x00\x5A\x04\x02Go\x00\x00\x00\x00"
       "\x00\x28\x00\x14\x00\x3C\x00\xC8\x88\x03"
       "abc\x00\x00\x00\x00\x00\x00\x46\x00\x14"
       "\x00\x5A\x00\xC8\x07\x02\x00\x80\x00\x00\x00\x00\x00\x00\x00\x00\x00\x05\x00\x05"
       "\x80\x00"s},
      {"dialog: the position word on an even offset after the title",
       "resource 'DLOG' 500 {\n"
       "  bounds 40, 40, 140, 340; procID movableDBoxProc; visible true; goAway false\n"
       "  refCon 7; title \"Ab\"; position centerMainScreen\n"
       "}\n",
       "\x00\x28\x00\x28\x00\x8C\x01\x54\x00\x05\x01\x00\x00\x00\x00\x00\x00\x07"
       "\x01\xF4\x02"
       "Ab\x00\x28\x0A"s},
      {"window",
       "resource 'WIND' 600 { bounds 1, 2, 3, 4; procID 4; visible true; goAway true; "
       "title \"W\" }\n",
       "\x00\x01\x00\x02\x00\x03\x00\x04\x00\x04\x01\x00\x01\x00\x00\x00\x00\x00"
       "\x01W\x00\x00"s},
      {"control",
       "resource 'CNTL' 700 { bounds 0, 0, 20, 100; value 1; max 10; min 0; "
       "procID popupMenuProc; title \"T\" }\n",
       "\x00\x00\x00\x00\x00\x14\x00\x64\x00\x01\x01\x00\x00\x0A\x00\x00\x03\xF0"
       "\x00\x00\x00\x00\x01T"s},
      {"alert", "resource 'ALRT' 800 { bounds 1, 2, 3, 4; stages 0x5555 }\n",
       "\x00\x01\x00\x02\x00\x03\x00\x04\x03\x20\x55\x55\x00\x00"s},
      {"version: BCD major, minor and fix nibbles, stage, BCD non-release",
       "resource 'vers' 2 { version 1, 2, 3; stage beta; nonRelease 12; region 14; "
       "short \"1.2.3\"; long \"x\" }\n",
       "\x01\x23\x60\x12\x00\x0E\x05"
       "1.2.3\x01x"s},
      {"string list", "resource 'STR#' 900 { string \"a\"; string \"\"; string \"\xE4\xBF\x9D\" }",
       "\x00\x03\x01"
       "a\x00\x02\x95\xDB"s},
      {"string", "resource 'STR ' 901 { string \"hi\" }", "\x02hi"s},
      {"menu bar", "resource 'MBAR' 505 { menu 500; menu 200; menu 505 }",
       "\x00\x03\x01\xF4\x00\xC8\x01\xF9"s},
      {"raw bytes of every kind, aligned",
       "resource 'IndX' 128 {\n"
       "  int16 0, 2\n  int8 12\n  hex \"45 00 00\"\n  int16 1000\n  ostype 'abcd'\n"
       "  pstring \"p\"\n  text \"tx\"\n  align 4\n}\n",
       "\x00\x00\x00\x02\x0C\x45\x00\x00\x03\xE8"
       "abcd\x01ptx\x00\x00"s},
      {"raw bytes from a file beside the source", "resource 'BLOB' 1 { file \"blob.bin\" }",
       "\x01\x02\x03"s},
      {"escapes: raw bytes are not converted", "resource 'STR ' 902 { string \"\\x14\\r\\\"\" }",
       "\x03\x14\r\""s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Compiled(c.source), c.expected);
  }
}

TEST_F(ResourceCompiler, NamesAttributesAndJapaneseTextReachTheResourceManager) {
  Compiled(
      "resource 'STR#' 5009 \"titles\" purgeable {\n"
      "  string \"\xE3\x82\xAD\xE3\x83\xA3\xE3\x83\xB3\xE3\x82\xBB\xE3\x83\xAB\"   # cancel\n"
      "}\n");
  Str255 s;
  GetIndString(s, 5009, 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(s + 1), s[0]),
            "\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B");
  Handle h = GetResource(SpFourCC("STR#"), 5009);
  EXPECT_EQ(GetResAttrs(h), resPurgeable);
  GetResInfo(h, nullptr, nullptr, s);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(s + 1), s[0]), "titles");
}

TEST_F(ResourceCompiler, MistakesAreReportedWithTheirLine) {
  std::string items;  // thirty-one menu items
  for (int i = 1; i <= 31; ++i) items += "  item \"i\"\n";
  std::string deep;  // a hundred thousand blocks, one inside the other, on line 2
  for (int i = 0; i < 100000; ++i) deep += "a{";
  const struct {
    std::string source;
    const char *where, *what;
  } cases[] = {
      {"resource 'STR ' 1 {\n  string \"ok \xED\x95\x9C\"\n}\n",
       ":2:", "U+D55C"},  // no MacJapanese
      {"resource 'STR ' 1 { string \"\xF0\x9F\x98\x80\" }", ":1:", "U+1F600"},
      {"\n\nresource 'STR ' 1 \"\xED\x95\x9C\" { string \"\" }", ":3:", "U+D55C"},
      {"resource 'STR ' 1 { string \"" + std::string(256, 'a') + "\" }",
       ":1:", "at most 255 bytes"},
      {"resource 'MENU' 1 {\n" + items + "  item \"last\" { disabled }\n}\n",
       ":33:", "only items 1 to 31"},
      {"resource 'DLOG' 1 {\n bounds 0, 0, 1, 1\n colour 3\n}", ":3:", "unknown field 'colour'"},
      {"resource 'DLOG' 1 { title \"x\" }", ":1:", "'bounds' is missing"},
      {"resource 'DLOG' 1 {\n bounds 0, 0, 1\n}", ":2:", "takes 4 values"},
      {"resource 'STR ' 1 {\n string \"\\q\"\n}", ":2:", "unknown escape"},
      {"resource 'STR ' 1 {\n string \"open\n}", ":2:", "unterminated string"},
      {"resource 'ABCD' 1 { menu 3 }", ":1:", "has no typed form"},
      {"resource 'DITL' 1 {\n button 1, 2, 3 { text \"x\" }\n}", ":2:", "rectangle"},
      {"resource 'DITL' 1 {\n control 1, 2, 3, 4\n}", ":2:", "needs its id"},
      {"resource 'DITL' 1 {\n staticText 1, 2, 3, 4 { id 5 }\n}", ":2:", "does not belong"},
      {"resource 'STR ' 40000 { string \"\" }", ":1:", "must lie in"},
      {"resource 'MENU' 1 {\n item \"x\" { submenu 3; key \"K\" }\n}", ":2:", "hierarchical"},
      {"resource 'MENU' 1 {\n item \"x\" { submenu 300 }\n}", ":2:", "must lie in 1..255"},
      {"resource 'MENU' 1 {\n item \"x\" { key \"KK\" }\n}", ":2:", "one one-byte character"},
      {"resource 'CURS' 1 {\n png \"none.png\"\n}", ":2:", "cannot read the file"},
      {"resource 'ICN#' 1 {\n png \"small.png\"\n}", ":2:", "must be 32 by 32"},
      {"resource 'PICT' 1 {\n png \"blob.bin\"\n}", ":2:", "not a PNG"},
      {"resource 'STR ' 1 {\n string \"a\"\n", ":3:", "missing '}'"},
      {"resource 'IndX' 1 {\n hex \"123\"\n}", ":2:", "odd number"},
      {"resource 'IndX' 1 {\n int8 1\n string \"x\"\n}", ":3:", "no raw statement"},
      {"item \"x\"", ":1:", "expected 'resource'"},
      {"resource 'MENU' 1 { item \"x\" { style heavy } }", ":1:", "unknown style 'heavy'"},
      {"resource 'ST' 1 { }", ":1:", "four bytes"},
      {"resource 'IndX' 1 {\n" + deep, ":2:", "nested more than 32 deep"},
  };
  for (const auto& c : cases) {
    const std::string error = Error(c.source);
    EXPECT_TRUE(error.find(std::string("source") + c.where) != std::string::npos &&
                error.find(c.what) != std::string::npos)
        << c.source << " -> " << error;
  }
}

TEST_F(ResourceCompiler, MenusNumbersAndBlocksAreTakenUpToTheirLimitsAndRefusedOnePast) {
  std::string items;  // thirty menu items
  for (int i = 1; i <= 30; ++i) items += "  item \"i\"\n";
  // The thirty-first item has the last enable flag, so it can still start disabled.
  const std::string menu =
      Compiled("resource 'MENU' 1 {\n" + items + "  item \"last\" { disabled }\n}\n");
  ASSERT_GE(menu.size(), 14u);
  EXPECT_EQ(sp::LoadBE32(reinterpret_cast<const UInt8*>(menu.data()) + 10), 0x7FFFFFFFu);

  EXPECT_EQ(Compiled("resource 'IndX' 2 { int32 0xFFFFFFFF, 4294967295 }"),
            "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"s);
  for (const char* past : {"0x100000000", "4294967296", "-4294967296"}) {
    EXPECT_NE(Error(std::string("resource 'IndX' 2 { int32 ") + past + " }").find("out of range"),
              std::string::npos)
        << past;
  }

  // Blocks nest 32 deep (the resource's own counts); the 33rd is refused before it is read.
  auto nested = [](int blocks) {
    std::string source = "resource 'IndX' 3 {";
    for (int i = 1; i < blocks; ++i) source += "hex{";
    return source + std::string(std::size_t(blocks), '}');
  };
  EXPECT_NE(Error(nested(32)).find("'hex' takes no block"), std::string::npos);
  EXPECT_NE(Error(nested(33)).find("nested more than 32 deep"), std::string::npos);
}

TEST_F(ResourceCompiler, TheSameTypeAndIdTwiceOverAllSourcesIsRefused) {
  std::vector<sp_rescompile::Source> sources = {
      {"a.r", "resource 'STR ' 5 { string \"a\" }\n", folder_},
      {"b.r", "\nresource 'STR ' 5 { string \"b\" }\n", folder_},
  };
  std::vector<UInt8> bytes;
  std::string error;
  EXPECT_FALSE(sp_rescompile::Compile(sources, &bytes, &error));
  EXPECT_TRUE(error.find("b.r:2:") != std::string::npos &&
              error.find("first at a.r:1") != std::string::npos)
      << error;
  sources[1].text = "resource 'STR#' 5 { string \"b\" }\n";
  EXPECT_TRUE(sp_rescompile::Compile(sources, &bytes, &error)) << error;
}

TEST_F(ResourceCompiler, ImagesAreStoredWhereTheDrawingCodeLooks) {
  // One-bit cursor: dark opaque pixels set, the white one clear; mask where opaque.
  const std::string cursor = Compiled("resource 'CURS' 6550 { png \"small.png\"; hotSpot 3, 4 }");
  ASSERT_EQ(cursor.size(), 68u);
  EXPECT_EQ(cursor.substr(0, 4), "\x7F\x00\xFF\x00"s);
  EXPECT_EQ(cursor.substr(30, 2), "\xFF\x00"s);
  EXPECT_EQ(cursor.substr(32, 4), "\xFF\x00\xFF\x00"s);
  EXPECT_EQ(cursor.substr(64, 4), "\x00\x03\x00\x04"s);

  const std::string colour = Compiled("resource 'crsr' 610 { png \"small.png\"; hotSpot 8, 1 }");
  ASSERT_EQ(colour.size(), 96u + kPng.size());
  EXPECT_EQ(colour.substr(0, 2), "\x80\x01"s);
  EXPECT_EQ(colour.substr(6, 4), "\x00\x00\x00\x60"s) << "the image begins at 96";
  EXPECT_EQ(colour.substr(20, 2), "\x7F\x00"s) << "one-bit image at 20";
  EXPECT_EQ(colour.substr(52, 2), "\xFF\x00"s) << "mask at 52";
  EXPECT_EQ(colour.substr(84, 4), "\x00\x08\x00\x01"s) << "hot spot at 84";
  EXPECT_EQ(colour.substr(96), kPng);

  const std::string picture = Compiled("resource 'PICT' 2001 { png \"small.png\" }");
  EXPECT_EQ(picture.substr(0, 10), "\x00\x5E\x00\x00\x00\x00\x00\x10\x00\x10"s);
  EXPECT_EQ(picture.substr(10), kPng);

  EXPECT_EQ(Compiled("resource 'cicn' 634 { png \"small.png\" }"), kPng);
}

TEST_F(ResourceCompiler, BundleTextsBecomeMacJapaneseLinesEndedByCarriageReturns) {
  const struct {
    std::string source;
    std::string bytes;  // or, on failure, the message
    bool ok;
  } cases[] = {
      {"-34\tディスク\n-43\tファイル\n",
       "-34\t\x83\x66\x83\x42\x83\x58\x83\x4E\r-43\t\x83\x74\x83"
       "\x40\x83\x43\x83\x8B\r",
       true},
      {"a\r\nb\rc", "a\rb\rc\r", true},
      {"a\n\nb\n", "a\r\rb\r", true},
      {"", "", true},
      {"ok\nnot \xF0\x9F\x8E\xB5 here\n",
       "t.txt:2: \"\xF0\x9F\x8E\xB5\" (U+1F3B5) has no MacJapanese form", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    std::string bytes = "untouched", error;
    EXPECT_EQ(sp_rescompile::ConvertText({"t.txt", c.source, "."}, &bytes, &error), c.ok);
    EXPECT_EQ(c.ok ? bytes : error, c.bytes);
    if (!c.ok) {
      EXPECT_EQ(bytes, "untouched") << "nothing written on failure";
    }
  }
}

}  // namespace
