// Captures error-log records in memory while it lives, and counts the beeps made meanwhile.
#pragma once

#include <string>
#include <vector>

#include "SpErrorInfoSystem.h"

struct CapturedRecord {
  std::string source;
  std::string method;
  SInt32 code;
  std::string message;
};

class ErrorLogCapture {
 public:
  ErrorLogCapture();
  ~ErrorLogCapture();
  ErrorLogCapture(const ErrorLogCapture&) = delete;
  ErrorLogCapture& operator=(const ErrorLogCapture&) = delete;

  const std::vector<CapturedRecord>& Records() const { return records_; }
  std::size_t Count() const { return records_.size(); }
  // Beeps since the capture began.
  UInt32 Beeps() const;
  // True when some record names this method (and, when given, this code).
  bool Has(const std::string& method, SInt32 code = -0x7fffffff) const;
  void Clear();

 private:
  static OSErr Sink(const char* source, const char* method, SInt32 code, const char* message,
                    URefCon refCon);

  std::vector<CapturedRecord> records_;
  UInt32 beepsAtStart_;
  SpERORSYS_RecordSinkProc savedProc_;
  URefCon savedRefCon_;
};
