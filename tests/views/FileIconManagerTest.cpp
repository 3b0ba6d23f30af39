// The file-icon manager: one suite per creator and type, the standard icons by type or
// extension where volumes keep no desktop database, and failures that cache nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "Files.h"
#include "Folders.h"
#include "Icons.h"
#include "Resources.h"
#include "SpFileIconManager.h"
#include "SpStdFunction.h"
#include "TestFiles.h"
#include "TestResources.h"

namespace {

constexpr ResType kIconList = SpFourCC("ICN#");

std::vector<UInt8> Bytes(Handle h) {
  return h == nullptr ? std::vector<UInt8>{} : std::vector<UInt8>(*h, *h + GetHandleSize(h));
}

// The 'ICN#' a suite holds, and that of a standard icon.
std::vector<UInt8> SuiteIcon(IconSuiteRef suite) {
  Handle icon = nullptr;
  return GetIconFromSuite(&icon, suite, kIconList) == noErr ? Bytes(icon) : std::vector<UInt8>{};
}
std::vector<UInt8> StandardIcon(SInt16 id) {
  return Bytes(GetResource(kIconList, id));
}

class FileIconManager : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
    ASSERT_EQ(noErr,
              FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &vRefNum_, &dirID_));
  }
  void TearDown() override { sp_testing::ResetResources(); }

  // A file in Documents, with a Finder type and creator when given.
  void MakeFile(const std::string& name, OSType type = 0, OSType creator = 0) {
    std::ofstream(home_.Path("Documents/" + name), std::ios::binary) << "data";
    if (type == 0 && creator == 0) return;
    Str255 pascal;
    Sp_CopyCStringToPascalName(name.c_str(), pascal);
    FInfo info{};
    info.fdType = type;
    info.fdCreator = creator;
    ASSERT_EQ(noErr, HSetFInfo(vRefNum_, dirID_, pascal, &info));
  }
  IconSuiteRef Icon(const char* name) { return manager_.GetFileIconHandle(vRefNum_, dirID_, name); }

  sp_testing::HomeScope home_;
  SInt16 vRefNum_ = 0;
  SInt32 dirID_ = 0;
  cSp_FileIconManager manager_;
};

TEST_F(FileIconManager, FilesShareOneSuitePerCreatorAndTypeOrExtension) {
  MakeFile("One.aiff", SpFourCC("AIFF"), SpFourCC("Mrlb"));
  MakeFile("Two", SpFourCC("AIFF"), SpFourCC("Mrlb"));
  MakeFile("Three", SpFourCC("AIFF"), SpFourCC("Othr"));
  for (const char* name : {"a.mp3", "b.WAV", "c.mp3", "README"}) MakeFile(name);
  IconSuiteRef one = Icon("One.aiff");
  IconSuiteRef mp3 = Icon("a.mp3");
  ASSERT_TRUE(one != nullptr && mp3 != nullptr);
  EXPECT_EQ(Icon("Two"), one);
  EXPECT_NE(Icon("Three"), one) << "another creator has a suite of its own";
  EXPECT_EQ(SuiteIcon(Icon("Three")), StandardIcon(kSpFileIconAIFFID));
  EXPECT_NE(Icon("b.WAV"), mp3) << "two kinds of sound without types must not share an icon";
  EXPECT_EQ(Icon("c.mp3"), mp3);
  EXPECT_EQ(SuiteIcon(mp3), StandardIcon(kSpFileIconMP3ID));
  EXPECT_EQ(SuiteIcon(Icon("b.WAV")), StandardIcon(kSpFileIconWAVEID));
  EXPECT_EQ(SuiteIcon(Icon("README")), StandardIcon(kSpFileIconGenericDocumentID));
  EXPECT_NE(StandardIcon(kSpFileIconMP3ID), StandardIcon(kSpFileIconWAVEID));

  // Without any icon the file gets none, and nothing is cached.
  sp_testing::ResetResources();
  cSp_FileIconManager fresh;
  ErrorLogCapture log;
  EXPECT_EQ(fresh.GetFileIconHandle(vRefNum_, dirID_, "a.mp3"), nullptr);
  EXPECT_TRUE(log.Has("cSp_FileIconManager::GetFileIconHandle", 4));
  EXPECT_EQ(fresh.GetCreatorListHead(), nullptr);
  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  EXPECT_NE(fresh.GetFileIconHandle(vRefNum_, dirID_, "a.mp3"), nullptr) << "tried again";
}

TEST(FileIconTypes, TypeComesFromTheFinderElseFromTheExtension) {
  const struct {
    OSType finderType;
    const char* name;
    OSType type;
    SInt16 icon;
  } cases[] = {
      {SpFourCC("WAVE"), "song.mp3", SpFourCC("WAVE"), kSpFileIconWAVEID},  // the Finder's wins
      {0, "song.aif", SpFourCC("AIFF"), kSpFileIconAIFFID},
      {SpFourCC("????"), "song.AIFC", SpFourCC("AIFC"), kSpFileIconAIFFID},
      {0, "song.wave", SpFourCC("WAVE"), kSpFileIconWAVEID},
      {0, "a.b.mp3", SpFourCC("MPG3"), kSpFileIconMP3ID},
      {0, "book.m4b", SpFourCC("M4B "), kSpFileIconMPEG4AudioID},
      {0, "clip.mov", SpFourCC("MooV"), kSpFileIconMovieID},
      {0, "tune.flac", SpFourCC("FLAC"), kSpFileIconGenericSoundID},
      {0, "picture.jpeg", SpFourCC("JPEG"), kSpFileIconGenericDocumentID},
      {0, "trailing.", 0, kSpFileIconGenericDocumentID},
      {0, "none", 0, kSpFileIconGenericDocumentID},
      {SpFourCC("TEXT"), "x.mp3", SpFourCC("TEXT"), kSpFileIconGenericDocumentID},
  };
  for (const auto& c : cases) {
    const UInt32 type = SpFileIconMgr_GetEffectiveFileType(c.finderType, c.name);
    EXPECT_EQ(type, c.type) << c.name;
    EXPECT_EQ(SpFileIconMgr_GetStandardIconID(type), c.icon) << c.name;
  }
}

}  // namespace
