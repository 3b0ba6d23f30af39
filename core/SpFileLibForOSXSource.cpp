#include "SpFileLibForOSXSource.h"

#include <algorithm>
#include <cstring>
#include <deque>

#include "CFString.h"
#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
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
// close's block must outlive it until the completion has run (ioResult no longer 1). A deque
// never moves its elements.
FSForkIOParam* TakeCloseBlock() {
  static std::deque<FSForkIOParam> blocks;
  for (FSForkIOParam& block : blocks) {
    if (block.ioResult != 1) {
      block = FSForkIOParam();
      return &block;
    }
  }
  blocks.emplace_back();
  return &blocks.back();
}

// Waits until the record's request block is free: a synchronous call on the fork runs the
// fork's queued completions first.
void WaitForRequest(Record* file) {
  if (file->requestBlock.ioResult != 1) return;
  SInt64 position = 0;
  FSGetForkPosition(file->forkRefNum, &position);
}

Ptr AllocateBuffer(UInt64& size) {
  for (size = kSpFileBufferFirstSize;; size >>= 1) {
    Ptr buffer = NewPtrClear(Size(size));
    if (buffer != nullptr) {
      if (UInt64(GetPtrSize(buffer)) >= size) return buffer;
      DisposePtr(buffer);
    }
    if (size <= 127) break;
  }
  size = 0;
  return nullptr;
}

void FreeRecord(Record* file) {
  WaitForRequest(file);
  if (file->bufferPtr != nullptr && file->bufferSize != 0) DisposePtr(file->bufferPtr);
  DisposePtr(reinterpret_cast<Ptr>(file));
}

OSErr FailOpen(FSIORefNum forkRefNum, Record* file, sSpOSXFileSysInfo** out, OSErr result) {
  if (forkRefNum != 0) FSCloseFork(forkRefNum);
  if (file != nullptr) FreeRecord(file);
  *out = nullptr;
  return result;
}

// Writes count bytes at the fork's mark, in requests of at most kLargestRequest bytes, and
// flushes the volume; *written gets what reached the file.
OSErr WriteAtMark(Record* file, const char* bytes, UInt64 count, UInt64* written) {
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
OSErr QueueWrite(Record* file, const char* bytes, UInt64 count) {
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

  Record* file = reinterpret_cast<Record*>(NewPtrClear(sizeof(Record)));
  if (file == nullptr) return FailOpen(forkRefNum, nullptr, out, memFullErr);
  FSSetForkPosition(forkRefNum, fsFromStart, 0);
  file->folderRef = *folder;
  std::memcpy(file->fileName, name, strnlen(name, kLongestName));
  file->vRefNum = vRefNum;
  file->forkRefNum = forkRefNum;

  UInt64 bufferSize = 0;
  file->bufferPtr = AllocateBuffer(bufferSize);
  if (file->bufferPtr == nullptr) return FailOpen(forkRefNum, file, out, memFullErr);
  file->bufferSize = bufferSize;

  // A size or a position that did not take would leave old bytes behind or read from the
  // wrong place: the open fails instead.
  if (setSize) {
    result = FSSetForkSize(forkRefNum, sizeMode, size);
    if (result != noErr) return FailOpen(forkRefNum, file, out, result);
  }
  if (setPosition) {
    result = FSSetForkPosition(forkRefNum, positionMode, positionOffset);
    if (result != noErr) return FailOpen(forkRefNum, file, out, result);
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
  if (result != noErr) return FailOpen(file->forkRefNum, file, out, result);
  SInt64 mark = 0;
  result = FSGetForkPosition(file->forkRefNum, &mark);
  if (result != noErr) return FailOpen(file->forkRefNum, file, out, result);
  file->fileSize = UInt64(size);
  // Reading starts where the open put the mark.
  file->filePosition = UInt64(mark);
  file->nextLoadOffset = UInt64(mark);
  result = SpFileSystem_LoadDataFromTargetFileByFSRef(file);
  if (result != noErr) return FailOpen(file->forkRefNum, file, out, result);
  return noErr;
}

OSErr SpFileSystem_WriteByFSRef(sSpOSXFileSysInfo* file, const char* bytes, UInt64 length,
                                unsigned char sync) {
  if (file == nullptr || bytes == nullptr || length == 0) {
    return SpReportFailure(kSource, "SpFileSystem_WriteByFSRef", 1, kMsgRequiredArgument,
                           OSErr(rfNumErr));
  }
  if (file->bufferDataSize != 0 && file->bufferDataSize + length >= file->bufferSize) {
    OSErr result = SpFileSystem_WriteToFileByFSRef(file, sync);
    if (result != noErr) return result;
  }
  if (file->bufferSize > length) {
    std::memcpy(file->bufferPtr + file->bufferDataSize, bytes, std::size_t(length));
    file->bufferDataSize += length;
    file->bufferIndex = file->bufferDataSize;
    return noErr;
  }
  if (sync) {
    UInt64 written = 0;
    OSErr result = WriteAtMark(file, bytes, length, &written);
    file->fileSize += written;
    return result;
  }
  return QueueWrite(file, bytes, length);
}

OSErr SpFileSystem_WriteToFileByFSRef(sSpOSXFileSysInfo* file, unsigned char sync) {
  if (file == nullptr) {
    return SpReportFailure(kSource, "SpFileSystem_WriteToFileByFSRef", 1, kMsgRequiredArgument,
                           OSErr(rfNumErr));
  }
  UInt64 count = file->bufferDataSize;
  if (count == 0) return noErr;
  if (sync) {
    UInt64 written = 0;
    OSErr result = WriteAtMark(file, file->bufferPtr, count, &written);
    // What did not reach the file stays collected, at the front of the buffer.
    std::memmove(file->bufferPtr, file->bufferPtr + written, std::size_t(count - written));
    file->bufferDataSize = count - written;
    file->bufferIndex = file->bufferDataSize;
    file->fileSize += written;
    return result;
  }
  OSErr result = QueueWrite(file, file->bufferPtr, count);
  if (result != noErr) return result;
  file->bufferDataSize = 0;
  file->bufferIndex = 0;
  return noErr;
}

OSErr Sp_WriteFileSystem_CloseByFSRef(sSpOSXFileSysInfo* file, unsigned char closeFork,
                                      unsigned char sync) {
  if (file == nullptr) {
    return SpReportFailure(kSource, "Sp_WriteFileSystem_CloseByFSRef", 1, kMsgRequiredArgument,
                           paramErr);
  }
  OSErr written = noErr;
  if (file->bufferDataSize != 0) {
    written = SpFileSystem_WriteToFileByFSRef(file, sync);
    FlushVol(nullptr, file->vRefNum);
  }
  OSErr closed = SpFileSystem_CloseByFSRef(file, closeFork, sync);
  return written != noErr ? written : closed;
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
  FreeRecord(file);
  return flushed != noErr ? flushed : closed;
}

OSErr SpFileSystem_ReadByFSRef(sSpOSXFileSysInfo* file, SInt32 count, char* bytes,
                               SInt32* outCount) {
  if (file == nullptr || bytes == nullptr || count < 0) {
    return SpReportFailure(kSource, "SpFileSystem_ReadByFSRef", 1, kMsgRequiredArgument, paramErr);
  }
  if (outCount != nullptr) *outCount = 0;
  if (count == 0) return noErr;
  bytes[0] = 0;
  UInt64 remaining = UInt64(count);
  UInt64 total = 0;
  for (;;) {
    if (file->filePosition >= file->fileSize) return eofErr;
    remaining = std::min(remaining, file->fileSize - file->filePosition);
    UInt64 n = std::min(remaining, file->bufferDataSize - file->bufferIndex);
    std::memcpy(bytes + total, file->bufferPtr + file->bufferIndex, std::size_t(n));
    file->bufferIndex += n;
    file->filePosition += n;
    total += n;
    remaining -= n;
    if (outCount != nullptr) *outCount = SInt32(total);
    if (remaining == 0) return noErr;
    if (file->nextLoadOffset >= file->fileSize) return eofErr;
    OSErr result = SpFileSystem_LoadDataFromTargetFileByFSRef(file);
    if (result != noErr) return result;
    if (file->bufferDataSize == 0) return eofErr;
  }
}

OSErr SpFileSystem_LoadDataFromTargetFileByFSRef(sSpOSXFileSysInfo* file) {
  const char kMethod[] = "SpFileSystem_LoadDataFromTargetFileByFSRef";
  if (file == nullptr) return SpReportFailure(kSource, kMethod, 1, kMsgRequiredArgument, paramErr);
  UInt64 left = file->fileSize > file->nextLoadOffset ? file->fileSize - file->nextLoadOffset : 0;
  UInt64 count = std::min(left, file->bufferSize);
  SInt64 before = 0;
  OSErr result = FSGetForkPosition(file->forkRefNum, &before);
  if (result != noErr) return SpReportFailure(kSource, kMethod, 1, kSpMsgNoComment, result);
  ByteCount actual = 0;
  if (count != 0) {
    result =
        FSReadFork(file->forkRefNum, fsFromMark, 0, ByteCount(count), file->bufferPtr, &actual);
    if (result == noErr && actual != count) result = eofErr;
    if (result != noErr) return SpReportFailure(kSource, kMethod, 2, kSpMsgNoComment, result);
  }
  SInt64 after = 0;
  result = FSGetForkPosition(file->forkRefNum, &after);
  file->bufferIndex = 0;
  file->bufferDataSize = count;
  file->filePosition = UInt64(before);
  if (result != noErr) {
    // The bytes are in, but where the fork stands is unknown: nothing of them is kept.
    file->bufferDataSize = 0;
    file->nextLoadOffset = UInt64(before);
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNoComment, result);
  }
  file->nextLoadOffset = UInt64(after);
  return noErr;
}
