#include "FailureReports.h"

#include <cstdio>

namespace sp_platform {
namespace {

FailureRecorder gRecorder = nullptr;
bool gRecording = false;

}  // namespace

void SetFailureRecorder(FailureRecorder recorder) {
  gRecorder = recorder;
}

void RecordFailure(const char* source, const char* method, SInt32 code, const char* message) {
  if (gRecording) return;
  gRecording = true;
  if (gRecorder != nullptr) {
    gRecorder(source, method, code, message);
  } else {
    std::fprintf(stderr, "%s\t%s\t%d\t%s\n", source, method, int(code), message);
  }
  gRecording = false;
}

}  // namespace sp_platform
