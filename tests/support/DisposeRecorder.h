// Stands in for the framework's registry of dispose procedures in tests of the core: records
// what the core registers (those waiting from before are handed over on construction).
#pragma once

#include <vector>

#include "SpCoreHooks.h"

class DisposeRecorder {
 public:
  struct Entry {
    tSpCoreDisposeProcPtr proc;
    SInt32 order;
  };
  DisposeRecorder() {
    Entries().clear();
    SpCore_InstallDisposeRegistrar(Record);
  }
  ~DisposeRecorder() { SpCore_InstallDisposeRegistrar(nullptr); }
  DisposeRecorder(const DisposeRecorder&) = delete;
  DisposeRecorder& operator=(const DisposeRecorder&) = delete;

  const std::vector<Entry>& Registered() const { return Entries(); }

 private:
  static std::vector<Entry>& Entries() {
    static std::vector<Entry> entries;
    return entries;
  }
  static void Record(tSpCoreDisposeProcPtr proc, SInt32 order) { Entries().push_back({proc, order}); }
};
