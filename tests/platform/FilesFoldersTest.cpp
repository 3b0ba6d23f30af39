#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "Files.h"
#include "FilesFixture.h"
#include "Folders.h"
#include "TestFiles.h"
#include "files/detail/Catalog.h"
#include "files/detail/Folders.h"

namespace {

using files_test::HostExists;
using files_test::ModeOf;
using files_test::WriteHostFile;

// TMPDIR for one test (HomeScope restores the XDG variables itself).
struct TmpDirScope {
  const std::string old = getenv("TMPDIR") != nullptr ? getenv("TMPDIR") : "";
  explicit TmpDirScope(const std::string& value) { setenv("TMPDIR", value.c_str(), 1); }
  ~TmpDirScope() { old.empty() ? unsetenv("TMPDIR") : setenv("TMPDIR", old.c_str(), 1); }
};

// The (volume, id) the Folder Manager gave designates this path.
void ExpectFolderAt(SInt16 vRefNum, SInt32 dirID, const std::string& path, const char* why) {
  sp_platform::files::Location loc;
  ASSERT_EQ(sp_platform::files::LocatePath(path, loc), noErr) << why << " " << path;
  EXPECT_TRUE(loc.isFolder) << why;
  EXPECT_EQ(vRefNum, loc.vRefNum) << why;
  EXPECT_EQ(UInt32(dirID), loc.nodeID) << why;
}

TEST(FilesFolders, StandardFoldersAreTheXdgFoldersOfTheHomeAndAreMadeOnRequest) {
  sp_testing::HomeScope home;
  const struct {
    const char* why;
    OSType type;
    const char* relative;  // under the temporary home
  } cases[] = {
      {"preferences", kPreferencesFolderType, ".config"},
      {"desktop", kDesktopFolderType, "Desktop"},
      {"documents", kDocumentsFolderType, "Documents"},
      {"music", kMusicDocumentsFolderType, "Music"},
      {"trash", kTrashFolderType, ".local/share/Trash/files"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const std::string path = home.Path(c.relative);
    SInt16 v = 0, v2 = 0;
    SInt32 id = 0, id2 = 0;
    if (!HostExists(path)) {
      EXPECT_EQ(FindFolder(kOnSystemDisk, c.type, kDontCreateFolder, &v, &id), fnfErr);
      EXPECT_FALSE(HostExists(path)) << "made without being asked";
    }
    ASSERT_EQ(FindFolder(kOnSystemDisk, c.type, kCreateFolder, &v, &id), noErr);
    ExpectFolderAt(v, id, path, c.why);
    EXPECT_EQ(ModeOf(path), 0700u);
    ASSERT_EQ(FindFolder(kOnSystemDisk, c.type, kDontCreateFolder, &v2, &id2), noErr);
    EXPECT_EQ(std::make_pair(v2, id2), std::make_pair(v, id));
  }
  EXPECT_TRUE(HostExists(home.Path(".local/share/Trash/info")))
      << "the Trash is made with its info folder";
}

TEST(FilesFolders, FolderTypesWithoutAPlaceOnLinuxAnswerFnfErr) {
  sp_testing::HomeScope home;
  const OSType types[] = {kSystemFolderType, SpFourCC("extn"), SpFourCC("font"),
                          SpFourCC("pref") ^ 1, 0};
  SInt16 v = 0;
  SInt32 id = 0;
  for (OSType type : types)
    EXPECT_EQ(FindFolder(kOnSystemDisk, type, kCreateFolder, &v, &id), fnfErr) << type;
  EXPECT_EQ(FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, nullptr, &id), paramErr);
  EXPECT_EQ(FindFolder(-300, kDocumentsFolderType, kCreateFolder, &v, &id), nsvErr);
}

TEST(FilesFolders, FoldersNamedByTheEnvironmentAreMadeWithTheFoldersAboveEachPrivate) {
  sp_testing::HomeScope home;
  setenv("XDG_CONFIG_HOME", home.Path("deep/er/config").c_str(), 1);
  TmpDirScope tmp(home.Path("scratch"));
  SInt16 v = 0;
  SInt32 id = 0;
  ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &v, &id), noErr);
  ExpectFolderAt(v, id, home.Path("deep/er/config"), "nested preferences");
  EXPECT_EQ(ModeOf(home.Path("deep")) + ModeOf(home.Path("deep/er")), 0700u * 2);
  EXPECT_EQ(FindFolder(kOnSystemDisk, kTemporaryFolderType, kDontCreateFolder, &v, &id), fnfErr);
  ASSERT_EQ(FindFolder(kOnSystemDisk, kTemporaryFolderType, kCreateFolder, &v, &id), noErr);
  ExpectFolderAt(v, id, home.Path("scratch"), "temporary items");
}

TEST(FilesFolders, TheUserDirsFileMovesTheUserFolders) {
  sp_testing::HomeScope home;
  WriteHostFile(home.Path(".config/user-dirs.dirs"),
                "# written by xdg-user-dirs-update\n"
                "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                "XDG_MUSIC_DIR=\"" +
                    home.Path("elsewhere/Tunes") + "\"\n");
  SInt16 v = 0;
  SInt32 id = 0;
  ASSERT_EQ(FindFolder(kOnSystemDisk, kDesktopFolderType, kCreateFolder, &v, &id), noErr);
  ExpectFolderAt(v, id, home.Path("Schreibtisch"), "desktop from the file");
  ASSERT_EQ(FindFolder(kOnSystemDisk, kMusicDocumentsFolderType, kCreateFolder, &v, &id), noErr);
  ExpectFolderAt(v, id, home.Path("elsewhere/Tunes"), "music at an absolute path");
  ASSERT_EQ(FindFolder(kOnSystemDisk, kDocumentsFolderType, kCreateFolder, &v, &id), noErr);
  ExpectFolderAt(v, id, home.Path("Documents"), "documents not in the file");
}

TEST(FilesFolders, UserDirsLinesOfOtherFormsAreIgnored) {
  const struct {
    const char* why;
    const char* text;
    const char* expected;
  } cases[] = {
      {"home relative", "XDG_MUSIC_DIR=\"$HOME/Music Box\"\n", "/h/Music Box"},
      {"absolute", "XDG_MUSIC_DIR=\"/srv/music/\"\n", "/srv/music"},
      {"escaped quote", "XDG_MUSIC_DIR=\"$HOME/a\\\"b\"\n", "/h/a\"b"},
      {"home itself", "XDG_MUSIC_DIR=\"$HOME\"\n", "/h"},
      {"leading blanks", "  XDG_MUSIC_DIR=\"$HOME/M\"", "/h/M"},
      {"commented out", "# XDG_MUSIC_DIR=\"$HOME/M\"\n", ""},
      {"unquoted", "XDG_MUSIC_DIR=$HOME/M\n", ""},
      {"relative", "XDG_MUSIC_DIR=\"Music\"\n", ""},
      {"unterminated", "XDG_MUSIC_DIR=\"$HOME/M\n", ""},
      {"other key", "XDG_MUSICAL_DIR=\"$HOME/M\"\n", ""},
      {"last one wins", "XDG_MUSIC_DIR=\"$HOME/A\"\nXDG_MUSIC_DIR=\"$HOME/B\"\n", "/h/B"},
      {"invalid later line keeps earlier", "XDG_MUSIC_DIR=\"$HOME/A\"\nXDG_MUSIC_DIR=x\n", "/h/A"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(sp_platform::files::UserDirFromFile(c.text, "MUSIC", "/h"), c.expected) << c.why;
}

}  // namespace
