// What the tests of saving through the program share: ffmpeg to make and judge sound files,
// and the Documents folder the files are saved into.
#pragma once

#include <sys/stat.h>

#include <string>

#include "AppTestSupport.h"
#include "TestQuickTime.h"

namespace app_test {

class SaveTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (!sp_testing::FfmpegAvailable()) GTEST_SKIP() << "the ffmpeg tool is missing";
    out_ = home_.Path("Documents");
    mkdir(out_.c_str(), 0700);
  }
  std::string Out(const std::string& name) const { return out_ + "/" + name; }

  std::string out_;
};

}  // namespace app_test
