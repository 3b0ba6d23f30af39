// What every test of every binary starts with, however it runs (alone, first, or after a test
// that changed it): see tests/support/TestHome.cpp.
#include <gtest/gtest.h>

#include "Resources.h"
#include "SpTesting.h"
#include "TestResources.h"

// The test binary's bundle folder holds the application's resources, which the Resource
// Manager opens on its first look-up; a test finds them only after loading them itself.
TEST(TestStart, EveryTestStartsWithoutTheApplicationsResources) {
  const ResType kDialog = SpFourCC("DLOG");
  EXPECT_EQ(GetResource(kDialog, 6130), nullptr);
  EXPECT_EQ(CurResFile(), kSpApplicationResFile);
  ASSERT_EQ(sp_testing::UseCompiledAppResources(), noErr);
  EXPECT_NE(GetResource(kDialog, 6130), nullptr) << "the resource looked for is there to find";
}
