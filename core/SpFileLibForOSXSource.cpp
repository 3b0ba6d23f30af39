#include "SpFileLibForOSXSource.h"

#include <algorithm>
#include <cstring>
#include <deque>

#include "CFString.h"
#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpFileLibBuffer.h"
#include "SpFileLibSource.h"
#include "SpStdFileFunctionForOSX.h"

namespace {

const char kSource[] = "SpFileLibForOSXSource";
const char kMsgRequiredArgument[] = "Required argument is null !!";
const char kMsgRequiredArgumentNull[] = "Required argument is Null !!";
const char kMsgParamError[] = "Param error !! ";

constexpr std::size_t kLongestName = kSpOSXFileNameSize - 1;
// One File Manager request carries at most this many bytes; longer runs go in several.
constexpr UInt64 kLargestRequest = 0x40000000;

typedef sSpOSXFileSysInfo Record;

// Blocks of asynchronous closes: the record is freed as soon as its close is queued, so the
// close's block must outlive it until the completion has run.
FSForkIOParam* TakeCloseBlock() {
  static std::deque<FSForkIOParam> blocks;
  return sp_filebuffer::TakeFreeBlock(blocks,
                                      [](const FSForkIOParam& block) { return block.ioResult; });
}

// Waits until the record's request block is free: a synchronous call on the fork runs the
// fork's queued completions first.
void WaitForRequest(Record* file) {
  if (file->requestBlock.ioResult != 1) return;
  SInt64 position = 0;
  FSGetForkPosition(file->forkRefNum, &position);
}

// The FSRef record's side of the buffer scheme: 64-bit sizes, a fork, the bytes written so far
// kept in fileSize.
struct ForkSide {
  typedef sSpOSXFileSysInfo Record;
  typedef UInt64 Count;
  typedef FSIORefNum RefNum;

  static UInt64& Length(Record* file) { return file->fileSize; }
  static FSIORefNum Fork(const Record* file) { return file->forkRefNum; }
  static void CloseFork(FSIORefNum forkRefNum) { FSCloseFork(forkRefNum); }
  // The record's request block goes with the record.
  static void Settle(Record* file) { WaitForRequest(file); }

  static OSErr Mark(Record* file, UInt64* position) {
    SInt64 mark = 0;
    OSErr result = FSGetForkPosition(file->forkRefNum, &mark);
    *position = UInt64(mark);
    return result;
  }

  static OSErr ReadIntoBuffer(Record* file, UInt64 count) {
    if (count == 0) return noErr;
    ByteCount actual = 0;
    OSErr result =
        FSReadFork(file->forkRefNum, fsFromMark, 0, ByteCount(count), file->bufferPtr, &actual);
    if (result == noErr && actual != count) result = eofErr;
    return result;
  }

  // Writes count bytes at the fork's mark, in requests of at most kLargestRequest bytes, and
  // flushes the volume; *written gets what reached the file.
  static OSErr WriteAtMark(Record* file, const char* bytes, UInt64 count, UInt64* written) {
    *written = 0;
    OSErr result = noErr;
    while (*written < count) {
      ByteCount request = ByteCount(std::min(count - *written, kLargestRequest));
      ByteCount actual = 0;
      result = FSWriteFork(file->forkRefNum, fsFromMark, 0, request, bytes + *written, &actual);
      *written += std::min<UInt64>(actual, request);
      if (result == noErr && actual != request) result = ioErr;
      if (result != noErr) return result;
    }
    return FlushVol(nullptr, file->vRefNum);
  }

  // Queues the bytes as asynchronous writes at the fork's mark through the record's request
  // block, one request at a time.
  static OSErr QueueWrite(Record* file, const char* bytes, UInt64 count) {
    UInt64 queued = 0;
    while (queued < count) {
      WaitForRequest(file);
      UInt64 request = std::min(count - queued, kLargestRequest);
      file->requestBlock = FSForkIOParam();
      file->requestBlock.forkRefNum = file->forkRefNum;
      file->requestBlock.buffer = const_cast<Ptr>(bytes + queued);
      file->requestBlock.requestCount = UInt32(request);
      file->requestBlock.positionMode = fsFromMark;
      OSErr result = PBWriteForkAsync(&file->requestBlock);
      if (result != noErr) return result;
      queued += request;
      file->fileSize += request;
    }
    return noErr;
  }

  static OSErr Load(Record* file) { return SpFileSystem_LoadDataFromTargetFileByFSRef(file); }
  static OSErr Close(Record* file, unsigned char closeFork, unsigned char sync) {
    return SpFileSystem_CloseByFSRef(file, closeFork, sync);
  }
};

typedef sp_filebuffer::BufferScheme<ForkSide> Buffer;

}  // namespace

OSErr SpFileSystem_OpenByFSRef(const FSRef* folder, const char* name, SInt8 permission,
                               unsigned char setSize, UInt16 sizeMode, SInt64 size,
                               unsigned char setPosition, UInt16 positionMode,
                               SInt64 positionOffset, sSpOSXFileSysInfo** out) {
  const char kMethod[] = "SpFileSystem_OpenByFSRef";
  if (folder == nullptr || name == nullptr || out == nullptr) {
    return SpReportFailure(kSource, kMethod, 1, kMsgParamError, paramErr);
  }
  if (strnlen(name, kLongestName + 1) > kLongestName) return paramErr;
  if (Sp_ExsitTargetFileOrDirByFSRefAndLongName(folder, name, kCFStringEncodingMacJapanese) == 0) {
    return paramErr;
  }
  *out = nullptr;
  short vRefNum = 0;
  OSErr result = Sp_GetDirectoryPositionInfoFromFSRef(folder, &vRefNum, nullptr);
  if (result != noErr) return result;

  CFStringRef cfName = CFStringCreateWithCString(nullptr, name, kCFStringEncodingMacJapanese);
  if (cfName == nullptr) {
    return SpReportFailure(kSource, kMethod, 3, kMsgRequiredArgumentNull, paramErr);
  }
  CFIndex nameLength = CFStringGetLength(cfName);
  CFRelease(cfName);
  if (nameLength == 0) {
    return SpReportFailure(kSource, kMethod, 5, kMsgRequiredArgumentNull, paramErr);
  }

  FSRef fileRef;
  result = Sp_GetFSRefFromDirectoryFSRefAndLongFileName(folder, name, kCFStringEncodingMacJapanese,
                                                        &fileRef);
  if (result != noErr) return result;
  HFSUniStr255 forkName;
  result = FSGetDataForkName(&forkName);
  if (result != noErr) return result;
  FSIORefNum forkRefNum = 0;
  result = FSOpenFork(&fileRef, forkName.length, forkName.unicode, permission, &forkRefNum);
  if (result != noErr) return result;
  FlushVol(nullptr, vRefNum);

  Record* file = Buffer::NewRecord(forkRefNum, out);
  if (file == nullptr) return memFullErr;
  FSSetForkPosition(forkRefNum, fsFromStart, 0);
  file->folderRef = *folder;
  std::memcpy(file->fileName, name, strnlen(name, kLongestName));
  file->vRefNum = vRefNum;
  file->forkRefNum = forkRefNum;
  result = Buffer::AttachBuffer(file, out);
  if (result != noErr) return result;

  // A size or a position that did not take would leave old bytes behind or read from the
  // wrong place: the open fails instead.
  if (setSize) {
    result = FSSetForkSize(forkRefNum, sizeMode, size);
    if (result != noErr) return Buffer::FailOpen(forkRefNum, file, out, result);
  }
  if (setPosition) {
    result = FSSetForkPosition(forkRefNum, positionMode, positionOffset);
    if (result != noErr) return Buffer::FailOpen(forkRefNum, file, out, result);
  }
  FlushVol(nullptr, vRefNum);
  *out = file;
  return noErr;
}

OSErr Sp_WriteFileSystem_OpenByFSRef(const FSRef* folder, const char* name,
                                     sSpOSXFileSysInfo** out) {
  if (folder == nullptr || name == nullptr || out == nullptr) {
    return SpReportFailure(kSource, "Sp_WriteFileSystem_OpenByFSRef", 1, kMsgRequiredArgument,
                           paramErr);
  }
  return SpFileSystem_OpenByFSRef(folder, name, fsRdWrPerm, 1, fsFromStart, 0, 1, fsFromStart, 0,
                                  out);
}

OSErr Sp_ReadFileSystem_OpenByFSRef(const FSRef* folder, const char* name,
                                    unsigned char setPosition, UInt16 positionMode,
                                    SInt64 positionOffset, sSpOSXFileSysInfo** out) {
  if (folder == nullptr || name == nullptr || out == nullptr) {
    return SpReportFailure(kSource, "Sp_ReadFileSystem_OpenByFSRef", 1, kMsgRequiredArgument,
                           paramErr);
  }
  OSErr result = SpFileSystem_OpenByFSRef(folder, name, fsRdPerm, 0, 0, 0, setPosition,
                                          positionMode, positionOffset, out);
  if (result != noErr) return result;
  Record* file = *out;
  SInt64 size = 0;
  result = FSGetForkSize(file->forkRefNum, &size);
  if (result != noErr) return Buffer::FailOpen(file->forkRefNum, file, out, result);
  SInt64 mark = 0;
  result = FSGetForkPosition(file->forkRefNum, &mark);
  if (result != noErr) return Buffer::FailOpen(file->forkRefNum, file, out, result);
  file->fileSize = UInt64(size);
  // Reading starts where the open put the mark.
  file->filePosition = UInt64(mark);
  file->nextLoadOffset = UInt64(mark);
  result = SpFileSystem_LoadDataFromTargetFileByFSRef(file);
  if (result != noErr) return Buffer::FailOpen(file->forkRefNum, file, out, result);
  return noErr;
}

OSErr SpFileSystem_WriteByFSRef(sSpOSXFileSysInfo* file, const char* bytes, UInt64 length,
                                unsigned char sync) {
  if (file == nullptr || bytes == nullptr || length == 0) {
    return SpReportFailure(kSource, "SpFileSystem_WriteByFSRef", 1, kMsgRequiredArgument,
                           OSErr(rfNumErr));
  }
  return Buffer::Collect(file, bytes, length, sync);
}

OSErr SpFileSystem_WriteToFileByFSRef(sSpOSXFileSysInfo* file, unsigned char sync) {
  if (file == nullptr) {
    return SpReportFailure(kSource, "SpFileSystem_WriteToFileByFSRef", 1, kMsgRequiredArgument,
                           OSErr(rfNumErr));
  }
  return Buffer::WriteCollected(file, sync);
}

OSErr Sp_WriteFileSystem_CloseByFSRef(sSpOSXFileSysInfo* file, unsigned char closeFork,
                                      unsigned char sync) {
  if (file == nullptr) {
    return SpReportFailure(kSource, "Sp_WriteFileSystem_CloseByFSRef", 1, kMsgRequiredArgument,
                           paramErr);
  }
  return Buffer::WriteRestAndClose(file, closeFork, sync);
}

OSErr SpFileSystem_CloseByFSRef(sSpOSXFileSysInfo* file, unsigned char closeFork,
                                unsigned char sync) {
  if (file == nullptr) {
    return SpReportFailure(kSource, "SpFileSystem_CloseByFSRef", 1, kMsgRequiredArgument, paramErr);
  }
  OSErr closed = noErr;
  OSErr flushed = noErr;
  if (closeFork && file->forkRefNum != 0) {
    WaitForRequest(file);
    if (sync) {
      closed = FSCloseFork(file->forkRefNum);
      if (closed == noErr) flushed = FlushVol(nullptr, file->vRefNum);
    } else {
      flushed = FlushVol(nullptr, file->vRefNum);
      FSForkIOParam* block = TakeCloseBlock();
      block->forkRefNum = file->forkRefNum;
      closed = PBCloseForkAsync(block);
    }
    file->forkRefNum = 0;
  }
  Buffer::FreeRecord(file);
  return flushed != noErr ? flushed : closed;
}

OSErr SpFileSystem_ReadByFSRef(sSpOSXFileSysInfo* file, SInt32 count, char* bytes,
                               SInt32* outCount) {
  if (file == nullptr || bytes == nullptr || count < 0) {
    return SpReportFailure(kSource, "SpFileSystem_ReadByFSRef", 1, kMsgRequiredArgument, paramErr);
  }
  return Buffer::ReadBytes(file, count, bytes, outCount);
}

OSErr SpFileSystem_LoadDataFromTargetFileByFSRef(sSpOSXFileSysInfo* file) {
  const char kMethod[] = "SpFileSystem_LoadDataFromTargetFileByFSRef";
  if (file == nullptr) return SpReportFailure(kSource, kMethod, 1, kMsgRequiredArgument, paramErr);
  return Buffer::LoadNext(file, kSource, kMethod);
}
