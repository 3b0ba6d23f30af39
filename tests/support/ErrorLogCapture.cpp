#include "ErrorLogCapture.h"

#include "SpTesting.h"

ErrorLogCapture::ErrorLogCapture() : beepsAtStart_(sp_testing::BeepCount()) {
  SpERORSYS_GetRecordSink(&savedProc_, &savedRefCon_);
  SpERORSYS_SetRecordSink(&ErrorLogCapture::Sink, reinterpret_cast<URefCon>(this));
}

ErrorLogCapture::~ErrorLogCapture() {
  SpERORSYS_SetRecordSink(savedProc_, savedRefCon_);
}

UInt32 ErrorLogCapture::Beeps() const {
  return sp_testing::BeepCount() - beepsAtStart_;
}

bool ErrorLogCapture::Has(const std::string& method, SInt32 code) const {
  for (const CapturedRecord& r : records_) {
    if (r.method == method && (code == -0x7fffffff || r.code == code)) return true;
  }
  return false;
}

void ErrorLogCapture::Clear() {
  records_.clear();
  beepsAtStart_ = sp_testing::BeepCount();
}

OSErr ErrorLogCapture::Sink(const char* source, const char* method, SInt32 code,
                            const char* message, URefCon refCon) {
  ErrorLogCapture* self = reinterpret_cast<ErrorLogCapture*>(refCon);
  if (self == nullptr) return paramErr;
  self->records_.push_back({source, method, code, message});
  return noErr;
}
