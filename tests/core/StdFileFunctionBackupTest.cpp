// Backup generations: "~" prefixes with their undo, and "_NN" numbered suffixes.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "Files.h"
#include "Folders.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionBackup.h"
#include "SpStdFunction.h"
#include "SpTextCodec.h"
#include "TestFiles.h"

namespace {

// "日本語" in MacJapanese, six bytes.
const std::string kNihongo = "\x93\xFA\x96\x7B\x8C\xEA";

// The folder's files as name (MacJapanese) -> contents. Every fixture file holds its own
// original name, so the map shows where each generation went.
typedef std::map<std::string, std::string> Files;

// The words of a text separated by spaces.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}
// Files written as "name=contents name=contents ...".
Files Parse(const std::string& text) {
  Files files;
  for (const std::string& word : Words(text)) {
    const std::size_t at = word.find('=');
    files[word.substr(0, at)] = word.substr(at + 1);
  }
  return files;
}

class BackupRenaming : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(noErr, FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &vRefNum_,
                                &documentsID_));
    NewFolder();
  }

  // Works in a new empty folder from now on (one for each case of a table).
  void NewFolder() {
    const std::string name = "Backup" + std::to_string(++folders_);
    Str255 pascal;
    Sp_CopyCStringToPascalName(name.c_str(), pascal);
    ASSERT_EQ(noErr, DirCreate(vRefNum_, documentsID_, pascal, &folderID_));
    folder_ = home_.Path("Documents/" + name);
  }

  void Make(const Files& files) const {
    for (const auto& file : files) {
      std::ofstream(folder_ + "/" + sp::text::MacJapaneseToUTF8(file.first), std::ios::binary)
          << file.second;
    }
  }
  // Each file holding its own name.
  void MakeNamed(const std::vector<std::string>& names) const {
    Files files;
    for (const std::string& name : names) files[name] = name;
    Make(files);
  }
  Files Read() const {
    Files files;
    DIR* dir = opendir(folder_.c_str());
    if (dir == nullptr) return files;
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      std::ifstream in(folder_ + "/" + name, std::ios::binary);
      std::stringstream contents;
      contents << in.rdbuf();
      std::string macName;
      EXPECT_TRUE(sp::text::UTF8ToMacJapanese(name, macName)) << name;
      files[macName] = contents.str();
    }
    closedir(dir);
    return files;
  }

  sp_testing::HomeScope home_;
  ErrorLogCapture log_;
  SInt16 vRefNum_ = 0;
  SInt32 documentsID_ = 0;
  int folders_ = 0;
  SInt32 folderID_ = 0;
  std::string folder_;
};

// ---- Prefix generations ----------------------------------------------------------------------

TEST_F(BackupRenaming, PrefixGenerationsShiftUpAndTheOldestBeyondTheLimitGoes) {
  const std::string name31(31, 'N');
  const std::string name40(40, 'L');
  // 31 bytes: "A", then five "日本語"; cutting to 30 bytes would split the last character.
  const std::string kanji31 = "A" + kNihongo + kNihongo + kNihongo + kNihongo + kNihongo;
  ASSERT_EQ(31u, kanji31.size());
  // Base of 16 bytes and an extension of 15 bytes, or of 15 and 16 (no extension then).
  const std::string ext15 = std::string(16, 'B') + ".abcdefghijklmn";
  const std::string ext16 = std::string(15, 'B') + ".abcdefghijklmno";

  enum { kLong = 1, kCut = 2, kKeepExt = 4 };  // the long-name, cut and extension flags
  const std::string cut31 = "~" + name31.substr(0, 30) + "=" + name31;
  const std::string cutKanji = "~" + kanji31.substr(0, 29) + "=" + kanji31;
  const std::string keptExt = "~" + std::string(15, 'B') + ".abcdefghijklmn=" + ext15;
  const std::string noExt = "~" + ext16.substr(0, 30) + "=" + ext16;
  const std::string long40 = "~" + name40 + "=" + name40;
  struct Case {
    const char* why;
    std::string before, name;  // before: the files, each holding its own name
    short max;
    int flags;
    OSErr result;
    std::string after;  // name=contents ...
  } cases[] = {
      {"one generation moves up", "D ~D", "D", 3, kCut, noErr, "~D=D ~~D=~D"},
      {"the one beyond the limit goes", "D ~D ~~D ~~~D ~~~~D", "D", 3, kCut, noErr,
       "~D=D ~~D=~D ~~~D=~~D ~~~~D=~~~D"},
      {"a gap stops the shift", "D ~D ~~~D", "D", 3, kCut, noErr, "~D=D ~~D=~D ~~~D=~~~D"},
      {"no file, nothing done", "~D", "D", 3, kCut, noErr, "~D=~D"},
      {"kept extension", "S.aiff", "S.aiff", 3, kCut | kKeepExt, noErr, "~S.aiff=S.aiff"},
      {"31 bytes cut to 30", name31, name31, 3, kCut, noErr, cut31},
      {"uncut 31 bytes cannot grow", name31, name31, 3, 0, memFullErr, name31 + "=" + name31},
      {"no split character", kanji31, kanji31, 3, kCut, noErr, cutKanji},
      {"a kept extension survives the cut", ext15, ext15, 3, kCut | kKeepExt, noErr, keptExt},
      {"16 bytes are no extension", ext16, ext16, 3, kCut | kKeepExt, noErr, noExt},
      {"long names grow to 255 bytes", name40, name40, 3, kLong | kCut, noErr, long40},
      {"none kept: the first is replaced", "D ~D", "D", 0, kCut, noErr, "~D=D"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    NewFolder();
    MakeNamed(Words(c.before));
    EXPECT_EQ(c.result, Sp_ReNameBackUpFile(vRefNum_, folderID_, c.name.c_str(), '~', c.max,
                                            (c.flags & kLong) != 0, (c.flags & kCut) != 0,
                                            (c.flags & kKeepExt) != 0));
    EXPECT_EQ(Parse(c.after), Read());
  }
}

TEST_F(BackupRenaming, UndoRollsTheGenerationsBack) {
  struct Case {
    const char *why, *before, *after;
  } cases[] = {
      {"only the first generation", "~D", "D=~D"},
      {"the file is replaced by its first generation", "D ~D", "D=~D"},
      {"every generation moves down", "D ~D ~~D ~~~D", "D=~D ~D=~~D ~~D=~~~D"},
      {"no generation, nothing changes", "D", "D=D"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    NewFolder();
    MakeNamed(Words(c.before));
    EXPECT_EQ(noErr, Sp_UndoReNameBackUpFile(vRefNum_, folderID_, "D", '~', 3, 0, 1, 0));
    EXPECT_EQ(Parse(c.after), Read());
  }
}

// ---- Numbered generations --------------------------------------------------------------------

TEST_F(BackupRenaming, NumberedGenerationsMoveUpAndTheHighestNumberGoes) {
  const std::string kanji = kNihongo.substr(0, 4) + "_1=" + kNihongo;
  struct Case {
    const char* why;
    std::string before, name;
    short maxNameLength, maxNumber;
    std::string after;
  } cases[] = {
      {"all generations present", "L L_1 L_2 L_3", "L", 31, 3, "L_1=L L_2=L_1 L_3=L_2"},
      {"zero-padded to the digits of the highest number", "L", "L", 31, 10, "L_01=L"},
      {"a gap stops the moves", "L L_01 L_03", "L", 31, 10, "L_01=L L_02=L_01 L_03=L_03"},
      {"three digits", "L L_001", "L", 31, 100, "L_001=L L_002=L_001"},
      {"cut in front of the suffix", "LongName LongN_01", "LongName", 8, 10,
       "LongN_01=LongName LongN_02=LongN_01"},
      {"a two-byte character is not split", kNihongo, kNihongo, 6, 3, kanji},
      {"a name of exactly the length fits", "ABCDEF", "ABCDEF", 8, 3, "ABCDEF_1=ABCDEF"},
      {"one byte more is cut", "ABCDEFG", "ABCDEFG", 8, 3, "ABCDEF_1=ABCDEFG"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    NewFolder();
    MakeNamed(Words(c.before));
    EXPECT_EQ(noErr, Sp_ReNameBackUpFileWithAddNumber(vRefNum_, folderID_, c.name.c_str(),
                                                      c.maxNameLength, 0, c.maxNumber));
    EXPECT_EQ(Parse(c.after), Read());
  }
}

TEST_F(BackupRenaming, NumberedStartBeyondTheHighestNumberDeletesInsteadOfLooping) {
  MakeNamed({"L", "L_5"});
  EXPECT_EQ(noErr, Sp_ReNameBackUpFileWithAddNumber(vRefNum_, folderID_, "L", 31, 5, 3));
  EXPECT_EQ((Files{{"L", "L"}}), Read());
}

// ---- Backup names of full paths --------------------------------------------------------------

TEST(BackupFileName, BackupCharacterGoesInFrontOfTheFileName) {
  struct Case {
    const char* path;
    char backup;
    const char* expected;
  } cases[] = {
      {"Disk:Folder:File", '~', "Disk:Folder:~File"},
      {"Disk:File", '#', "Disk:#File"},
      {"File", '~', "~File"},
      {"Disk:Folder:", '~', "~Disk:Folder:"},
      {"", '~', "~"},
  };
  for (const Case& c : cases) {
    char out[64];
    std::memset(out, 'X', sizeof out);
    Sp_MakeBackUpFileName(c.path, c.backup, out);
    EXPECT_STREQ(c.expected, out) << c.path;
  }
  ErrorLogCapture log;
  char out[8] = "keep";
  Sp_MakeBackUpFileName(nullptr, '~', out);
  EXPECT_STREQ("keep", out);
  EXPECT_TRUE(log.Has("Sp_MakeBackUpFileName", 1));
}

}  // namespace
