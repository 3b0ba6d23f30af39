#include <gtest/gtest.h>

#include "DisposeRecorder.h"
#include "SpCoreHooks.h"

namespace {

void First(unsigned long) {}
void Second(unsigned long) {}
Boolean IconServicesHere() {
  return 1;
}

TEST(CoreHooks, DisposeProceduresMadeBeforeTheRegistryReachItOnceInOrder) {
  { DisposeRecorder drain; }  // takes what earlier tests left waiting
  SpCore_SetupDisposeProcedure(First, 10);
  SpCore_SetupDisposeProcedure(Second, 100);
  SpCore_SetupDisposeProcedure(First, 10);  // made anew before the registry came: waits once
  SpCore_SetupDisposeProcedure(nullptr, 1);
  {
    DisposeRecorder registry;
    ASSERT_EQ(registry.Registered().size(), 2u);
    EXPECT_EQ(registry.Registered()[0].proc, First);
    EXPECT_EQ(registry.Registered()[1].order, 100);
    SpCore_SetupDisposeProcedure(First, 10);  // with the registry there, every call registers
    EXPECT_EQ(registry.Registered().size(), 3u);
  }
  DisposeRecorder later;
  EXPECT_TRUE(later.Registered().empty()) << "nothing is handed over twice";
}

TEST(CoreHooks, IconServicesAreAbsentUntilACheckIsInstalled) {
  EXPECT_EQ(SpCore_IconServicesAvailable(), 0);
  SpCore_InstallIconServiceCheck(IconServicesHere);
  EXPECT_EQ(SpCore_IconServicesAvailable(), 1);
  SpCore_InstallIconServiceCheck(nullptr);
  EXPECT_EQ(SpCore_IconServicesAvailable(), 0);
}

}  // namespace
