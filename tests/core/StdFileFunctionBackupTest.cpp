// Backup generations: "~" prefixes with their undo, and "_NN" numbered suffixes.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "ErrorLogCapture.h"
#include "Files.h"
#include "Folders.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionBackup.h"
#include "SpStdFunction.h"
#include "SpTextCodec.h"
#include "TestFiles.h"

namespace {

const std::string kNihongo = "\x93\xFA\x96\x7B\x8C\xEA";  // "日本語" in MacJapanese

// Each case works in a new folder made from "name name ..." (every file holding its own name)
// and gives the folder afterwards as "name=contents ..." (names in MacJapanese, sorted).
class BackupRenaming : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(noErr, FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &vRefNum_,
                                &documentsID_));
  }
  void NewFolder(const std::string& files) {
    const std::string name = "Backup" + std::to_string(++folders_);
    Str255 pascal;
    Sp_CopyCStringToPascalName(name.c_str(), pascal);
    ASSERT_EQ(noErr, DirCreate(vRefNum_, documentsID_, pascal, &folderID_));
    folder_ = home_.Path("Documents/" + name);
    std::istringstream in(files);
    for (std::string file; in >> file;)
      std::ofstream(folder_ + "/" + sp::text::MacJapaneseToUTF8(file), std::ios::binary) << file;
  }
  std::string Read() const {
    std::map<std::string, std::string> files;
    DIR* dir = opendir(folder_.c_str());
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      std::ifstream in(folder_ + "/" + name, std::ios::binary);
      std::string macName;
      EXPECT_TRUE(sp::text::UTF8ToMacJapanese(name, macName)) << name;
      files[macName].assign(std::istreambuf_iterator<char>(in), {});
    }
    closedir(dir);
    std::string out;
    for (const auto& f : files) out += (out.empty() ? "" : " ") + f.first + "=" + f.second;
    return out;
  }

  sp_testing::HomeScope home_;
  ErrorLogCapture log_;
  SInt16 vRefNum_ = 0;
  SInt32 documentsID_ = 0, folderID_ = 0;
  int folders_ = 0;
  std::string folder_;
};

TEST_F(BackupRenaming, PrefixGenerationsShiftUpAndTheOldestBeyondTheLimitGoes) {
  const std::string n30(30, 'N'), n31(31, 'N'), n254(254, 'N'), n255(255, 'N');
  // 31 bytes: "A", then five "日本語"; cutting to 30 bytes would split the last character.
  const std::string kanji31 = "A" + kNihongo + kNihongo + kNihongo + kNihongo + kNihongo;
  // Base of 16 bytes and an extension of 15 bytes, or of 15 and 16 (no extension then).
  const std::string ext15 = std::string(16, 'B') + ".abcdefghijklmn";
  const std::string ext16 = std::string(15, 'B') + ".abcdefghijklmno";
  const std::string ext30 = ext15.substr(1);
  const std::string n40(40, 'L');
  enum { kLong = 1, kCut = 2, kKeepExt = 4 };  // the long-name, cut and extension flags
  struct Case {
    std::string before, name;
    short max;
    int flags;
    OSErr result;
    std::string after;
  } cases[] = {
      {"D ~D", "D", 3, kCut, noErr, "~D=D ~~D=~D"},
      {"D ~D ~~D ~~~D ~~~~D", "D", 3, kCut, noErr, "~D=D ~~D=~D ~~~D=~~D ~~~~D=~~~D"},
      {"D ~D ~~~D", "D", 3, kCut, noErr, "~D=D ~~D=~D ~~~D=~~~D"},  // a gap stops the shift
      {"~D", "D", 3, kCut, noErr, "~D=~D"},                         // no file, nothing done
      {"D ~D", "D", 0, kCut, noErr, "~D=D"},  // none kept: the first is replaced
      {n31, n31, 3, kCut, noErr, "~" + n31.substr(0, 30) + "=" + n31},
      {n30, n30, 3, 0, noErr, "~" + n30 + "=" + n30},  // uncut 30 bytes grow to exactly 31
      {n31, n31, 3, 0, memFullErr, n31 + "=" + n31},   // uncut 31 bytes cannot grow
      {ext30, ext30, 3, kKeepExt, noErr, "~" + ext30 + "=" + ext30},  // 31 with its extension
      {ext15, ext15, 3, kKeepExt, memFullErr, ext15 + "=" + ext15},
      {n254, n254, 3, kLong, noErr, "~" + n254 + "=" + n254},  // long names: exactly 255
      {n255, n255, 3, kLong, memFullErr, n255 + "=" + n255},
      {kanji31, kanji31, 3, kCut, noErr, "~" + kanji31.substr(0, 29) + "=" + kanji31},
      {ext15, ext15, 3, kCut | kKeepExt, noErr, "~" + ext15.substr(1) + "=" + ext15},
      {ext16, ext16, 3, kCut | kKeepExt, noErr, "~" + ext16.substr(0, 30) + "=" + ext16},
      {n40, n40, 3, kLong | kCut, noErr, "~" + n40 + "=" + n40},  // long names up to 255
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    NewFolder(c.before);
    EXPECT_EQ(c.result, Sp_ReNameBackUpFile(vRefNum_, folderID_, c.name.c_str(), '~', c.max,
                                            (c.flags & kLong) != 0, (c.flags & kCut) != 0,
                                            (c.flags & kKeepExt) != 0));
    EXPECT_EQ(c.after, Read());
  }
}

TEST_F(BackupRenaming, NumberedGenerationsMoveUpWithinTheNameLimitAndAlwaysEnd) {
  struct Case {
    std::string before, name;
    short maxNameLength, start, maxNumber;
    std::string after;
  } cases[] = {
      {"L L_1 L_2 L_3", "L", 31, 0, 3, "L_1=L L_2=L_1 L_3=L_2"},  // the highest number goes
      {"L", "L", 31, 0, 10, "L_01=L"},  // zero-padded to the digits of the highest number
      {"L L_01 L_03", "L", 31, 0, 10, "L_01=L L_02=L_01 L_03=L_03"},  // a gap stops the moves
      {"L L_001", "L", 31, 0, 100, "L_001=L L_002=L_001"},
      {"LongName LongN_01", "LongName", 8, 0, 10, "LongN_01=LongName LongN_02=LongN_01"},
      {kNihongo, kNihongo, 6, 0, 3, kNihongo.substr(0, 4) + "_1=" + kNihongo},
      {"ABCDEF", "ABCDEF", 8, 0, 3, "ABCDEF_1=ABCDEF"},     // exactly the length fits
      {"ABCDEFG", "ABCDEFG", 8, 0, 3, "ABCDEF_1=ABCDEFG"},  // one byte more is cut
      {"L L_5", "L", 31, 5, 3, "L=L"},  // a start beyond the highest deletes, no endless chain
      {"L L_3", "L", 31, 3, 3, "L=L"},  // a start at the highest deletes too
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before + " from " + std::to_string(c.start));
    NewFolder(c.before);
    EXPECT_EQ(noErr, Sp_ReNameBackUpFileWithAddNumber(vRefNum_, folderID_, c.name.c_str(),
                                                      c.maxNameLength, c.start, c.maxNumber));
    EXPECT_EQ(c.after, Read());
  }
}

}  // namespace
