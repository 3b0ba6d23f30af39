// Every test process runs with HOME and the XDG folders in a temporary folder of its own, so
// that nothing a test does (the error log, the file catalogue, preferences) reaches the real
// home of whoever runs the tests. Tests that need a fresh home of their own on top of this
// use sp_testing::HomeScope.
//
// Every test also starts with the Resource Manager as a test leaves it with
// sp_testing::ResetResources: an empty application file, however the test runs (alone, first
// or after others). A test binary's bundle folder holds the application's compiled resources,
// which the Resource Manager would otherwise open when the process first looks one up; a
// test that needs them loads them itself (sp_testing::UseCompiledAppResources).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "TestResources.h"

namespace {

class TemporaryHomeEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    char pattern[] = "/tmp/sp-test-home-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) return;
    home_ = made;
    setenv("HOME", home_.c_str(), 1);
    // No test reaches the desktop's sound server: sound plays on the clock unless a test
    // chooses a driver (SDL's disk driver) itself.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                             "XDG_STATE_HOME", "XDG_RUNTIME_DIR"}) {
      unsetenv(name);
    }
  }

  void TearDown() override {
    if (home_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(home_, ignored);
  }

 private:
  std::string home_;
};

class EmptyResourcesAtEachTest : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override { sp_testing::ResetResources(); }
};

// Registered before main runs: gtest_main calls RUN_ALL_TESTS, which sets the environment up
// and tells the listeners of each test.
const ::testing::Environment* const kTemporaryHome =
    ::testing::AddGlobalTestEnvironment(new TemporaryHomeEnvironment);
const bool kEmptyResourcesListening = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new EmptyResourcesAtEachTest);
  return true;
}();

}  // namespace

// The session bus library keeps a buffer for the life of the process (SDL starts talking to
// the bus with any of its parts, the sound device's too, and for the screen saver and the input
// method); it is the library's, not a leak of ours. So does the C library for the locale path
// (LOCPATH) of the input method tests' locale.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\nleak:argz_add_sep\n";
}
