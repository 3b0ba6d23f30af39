// Places as the desktop shows them: absolute Linux paths with the home folder as "~", names
// kept as Linux writes them, in MacJapanese for the program to show.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "CoreFoundation.h"
#include "Files.h"
#include "FilesFixture.h"
#include "SpTextCodec.h"
#include "TestFiles.h"
#include "files/CFURLFiles.h"

namespace {

bool RefOf(const std::string& path, FSRef* ref) {
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()), true);
  if (url == nullptr) return false;
  const bool found = CFURLGetFSRef(url, ref);
  CFRelease(url);
  return found;
}

std::string MacJapanese(const std::string& utf8) {
  std::string out;
  EXPECT_TRUE(sp::text::UTF8ToMacJapanese(utf8, out));
  return out;
}

class ShownPath : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(home_.Home().empty());
    char outside[] = "/tmp/sp-shown-XXXXXX";
    ASSERT_NE(mkdtemp(outside), nullptr);
    outside_ = outside;
    // A neighbour whose name begins with the home's: no part of the home.
    neighbour_ = home_.Home() + "x";
    ASSERT_EQ(mkdir(neighbour_.c_str(), 0700), 0);
  }
  void TearDown() override {
    std::system(("rm -rf '" + outside_ + "' '" + neighbour_ + "'").c_str());
  }
  std::string Shown(const std::string& path) {
    FSRef ref;
    if (!RefOf(path, &ref)) return "(no ref for " + path + ")";
    std::string shown;
    EXPECT_EQ(SpShownPathOfFSRef(&ref, &shown), noErr) << path;
    return shown;
  }

  sp_testing::HomeScope home_;
  std::string outside_, neighbour_;
};

TEST_F(ShownPath, HomePlacesStartWithTildeAndOthersAreAbsolute) {
  const std::string home = home_.Home();
  const struct {
    std::string folder;  // made, with the folders above it
    std::string shown;   // UTF-8
    const char* why;
  } cases[] = {
      {home, "~", "the home itself"},
      {home + "/Documents/Out", "~/Documents/Out", "a folder in the home"},
      {outside_ + "/Music", outside_ + "/Music", "elsewhere: absolute"},
      {neighbour_ + "/Out", neighbour_ + "/Out", "a name that starts like the home's"},
      {home + "/Live: 2004", "~/Live: 2004", "a colon stays a colon, no '/'"},
      {home + "/音楽/朝", "~/音楽/朝", "Japanese names as they are"},
      {home + "/Café", "~/Cafe", "a letter MacJapanese lacks loses its accent"},
      {home + "/\xF0\x9F\x8E\xB5 songs", "~/? songs", "what has no near letter is '?'"},
      {home + "/old\x82\xA0name", "~/old??name", "each byte that is no UTF-8 is a '?'"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(std::system(("mkdir -p '" + c.folder + "'").c_str()), 0) << c.why;
    EXPECT_EQ(Shown(c.folder), MacJapanese(c.shown)) << c.why;
  }
}

TEST_F(ShownPath, FilesShowTheirOwnNameAndGoneItemsAndNullsAreRefused) {
  const std::string file = home_.Path("Song: one.aiff");
  files_test::WriteHostFile(file, "x");
  EXPECT_EQ(Shown(file), "~/Song: one.aiff");
  FSRef ref;
  ASSERT_TRUE(RefOf(file, &ref));
  std::string shown = "kept";
  EXPECT_EQ(SpShownPathOfFSRef(nullptr, &shown), paramErr);
  EXPECT_EQ(SpShownPathOfFSRef(&ref, nullptr), paramErr);
  ASSERT_EQ(unlink(file.c_str()), 0);
  EXPECT_NE(SpShownPathOfFSRef(&ref, &shown), noErr) << "the file is gone";
  EXPECT_EQ(shown, "kept") << "nothing written on a failure";
}

}  // namespace
