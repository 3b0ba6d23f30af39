// The engine's tests: a temporary home on the virtual clock, the engine's managers made and
// disposed of per test, disc folders and images in a media folder, title files.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "CDDBFixture.h"
#include "DiscImageFixture.h"
#include "Files.h"
#include "Folders.h"
#include "SpCDDBMgrObject.h"
#include "SpCDRSaveIniDataMgrObj.h"
#include "SpCDR_MediaMgrObject.h"
#include "SpCDRomManager.h"
#include "SpQTInterface.h"
#include "SpStdFunctionNumber.h"
#include "TOCInfoTestSupport.h"
#include "TestClock.h"
#include "TestEvents.h"
#include "TestFiles.h"
#include "TestResources.h"

namespace engine_test {

using cdtest::FolderTrack;

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sp_testing::UseVirtualClock(3160987200LL);
    sp_testing::ResetEvents();
    Sp_CarbonEvent_ModeEnable();
    ASSERT_FALSE(home_.Home().empty());
    ASSERT_EQ(mkdir(Media().c_str(), 0700), 0);
    sp_testing::SetMediaFolder(Media());
  }
  void TearDown() override {
    Sp_DisposeCDRom(0);
    SpCDR_DisposeMediaMgr();
    SpDisposeCDDBManager();
    SpDisposeCDQTFileInitManager();
    sp_testing::ResetEvents();
    sp_testing::ResetResources();
    sp_testing::UseRealClock();
  }

  std::string Media(const std::string& name = "") const {
    return home_.Path("media") + (name.empty() ? "" : "/" + name);
  }

  // A disc folder in the media folder (see cdtest::WriteDiscFolder); the lead-out block.
  SInt32 MakeDiscFolder(const std::string& name, const std::vector<FolderTrack>& tracks) const {
    return cdtest::WriteDiscFolder(Media(name), tracks);
  }

  // The media manager's scan once the start-up wait is over (the first call starts it).
  Boolean Scan() {
    cSpCDR_MediaMgrObj* media = SpCDR_GetMediaMgrPtr(1);
    if (!scanStarted_) {
      EXPECT_FALSE(media->CheckCDRom()) << "the first call only starts the wait";
      sp_testing::AdvanceClockTicks(kSpCDScanStartUpWaitTicks);
      scanStarted_ = true;
    }
    return media->CheckCDRom();
  }

  sp_testing::HomeScope home_;
  bool scanStarted_ = false;
};

inline bool HaveFFmpeg() {
  return std::system("command -v ffmpeg >/dev/null 2>&1") == 0;
}

// A tone made by the ffmpeg tool: `seconds` long at 44.1 kHz stereo, with these options.
inline bool MakeTone(const std::string& path, const std::string& seconds,
                     const std::string& options) {
  const std::string command =
      "ffmpeg -nostdin -v error -y -f lavfi -i "
      "sine=frequency=440:sample_rate=44100:duration=" +
      seconds + " -ac 2 " + options + " '" + path + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

}  // namespace engine_test
