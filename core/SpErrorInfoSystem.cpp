#include "SpErrorInfoSystem.h"

#include <cstdio>

#include "OSUtils.h"

const char kSpMsgNullOperator[] = "This operator is null !! ";
const char kSpMsgNullArgument[] = "Required argument is null !! ";
const char kSpMsgMemory[] = "Cannot allocated memory !! ";
const char kSpMsgDataError[] = "Data Error !! ";
const char kSpMsgFileError[] = "File Error !! ";
const char kSpMsgTypeError[] = "Type Error !! ";
const char kSpMsgLinkError[] = "Link Error !! ";
const char kSpMsgPointerArg[] = "Pointer Arg is 0L";
const char kSpMsgNoComment[] = "no comment";

namespace {

OSErr WriteRecordToStandardError(const char* sourceFile, const char* methodName, SInt32 code,
                                 const char* message, URefCon) {
  std::string record = SpERORSYS_FormatRecord(sourceFile, methodName, code, message);
  // The record ends in a carriage return; a terminal wants a line feed as well.
  record += '\n';
  std::fwrite(record.data(), 1, record.size(), stderr);
  return noErr;
}

SpERORSYS_RecordSinkProc gSink = WriteRecordToStandardError;
URefCon gSinkRefCon = 0;

}  // namespace

std::string SpERORSYS_FormatRecord(const char* sourceFile, const char* methodName, SInt32 code,
                                   const char* message) {
  std::string record;
  record += sourceFile ? sourceFile : "";
  record += '\t';
  record += methodName ? methodName : "";
  record += '\t';
  record += std::to_string(code);
  record += '\t';
  record += message ? message : "";
  record += '\t';
  record += '\r';
  return record;
}

OSErr SpERORSYS_SaveErrorMeesage(const char* sourceFile, const char* methodName, SInt32 code,
                                 const char* message) {
  return gSink(sourceFile ? sourceFile : "", methodName ? methodName : "", code,
               message ? message : "", gSinkRefCon);
}

void SpERORSYS_SetRecordSink(SpERORSYS_RecordSinkProc proc, URefCon refCon) {
  gSink = proc ? proc : WriteRecordToStandardError;
  gSinkRefCon = proc ? refCon : 0;
}

void SpERORSYS_GetRecordSink(SpERORSYS_RecordSinkProc* proc, URefCon* refCon) {
  if (proc) *proc = gSink;
  if (refCon) *refCon = gSinkRefCon;
}

void SpReportFailure(const char* sourceFile, const char* methodName, SInt32 code,
                     const char* message) {
  SysBeep(10);
  SpERORSYS_SaveErrorMeesage(sourceFile, methodName, code, message);
}
