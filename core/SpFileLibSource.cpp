#include "SpFileLibSource.h"

#include <algorithm>
#include <cstring>
#include <deque>

#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpFileLibBuffer.h"
#include "SpStdFileFunction.h"
#include "SpStdFunction.h"

namespace {

const char kSource[] = "SpFileLibSource";
const char kMsgRequiredArgument[] = "Required argument is null !!";
const char kMsgParamError[] = "Param error !! ";

constexpr char kCarriageReturn = 13;

typedef sSpFileSysInfo Record;

// ---- Asynchronous requests ------------------------------------------------------------------

// The parameter blocks of queued requests. The File Manager stores a request's result into
// its block when the completion runs, which may be after the record that made the request
// has been closed and freed; so the blocks live here, and a block is taken again only once
// its completion has run.
ParamBlockRec* TakeRequestBlock() {
  static std::deque<ParamBlockRec> blocks;
  return sp_filebuffer::TakeFreeBlock(
      blocks, [](const ParamBlockRec& block) { return block.ioParam.ioResult; });
}

// The classic record's side of the buffer scheme: 32-bit sizes, a file reference number, the
// write offset kept in fileLength.
struct ClassicSide {
  typedef sSpFileSysInfo Record;
  typedef UInt32 Count;
  typedef short RefNum;

  static UInt32& Length(Record* file) { return file->fileLength; }
  static short Fork(const Record* file) { return file->fileRefNum; }
  static void CloseFork(short refNum) { FSClose(refNum); }
  // Queued requests keep their blocks outside the record: nothing to wait for.
  static void Settle(Record*) {}

  static OSErr Mark(Record* file, UInt32* position) {
    SInt32 mark = 0;
    OSErr result = GetFPos(file->fileRefNum, &mark);
    *position = UInt32(mark);
    return result;
  }

  // Reads count bytes at the mark into the buffer; a short read is a failure.
  static OSErr ReadIntoBuffer(Record* file, UInt32 count) {
    if (count == 0) return noErr;
    SInt32 actual = SInt32(count);
    OSErr result = FSRead(file->fileRefNum, &actual, file->bufferPtr);
    if (result == noErr && UInt32(actual) != count) result = eofErr;
    return result;
  }

  // Writes count bytes at the mark and flushes the volume; *written gets what reached the file.
  static OSErr WriteAtMark(Record* file, const char* bytes, UInt32 count, UInt32* written) {
    SInt32 actual = SInt32(count);
    OSErr result = FSWrite(file->fileRefNum, &actual, bytes);
    *written = actual > 0 ? UInt32(actual) : 0;
    if (result == noErr && *written != count) result = ioErr;
    if (result != noErr) return result;
    return FlushVol(nullptr, file->vRefNum);
  }

  // Queues an asynchronous write of count bytes at the write offset, which moves past them.
  static OSErr QueueWrite(Record* file, const char* bytes, UInt32 count) {
    ParamBlockRec* block = TakeRequestBlock();
    block->ioParam.ioCompletion = nullptr;
    block->ioParam.ioRefNum = file->fileRefNum;
    block->ioParam.ioBuffer = const_cast<Ptr>(bytes);
    block->ioParam.ioReqCount = SInt32(count);
    block->ioParam.ioPosMode = fsFromStart;
    block->ioParam.ioPosOffset = SInt32(file->fileLength);
    OSErr result = PBWriteAsync(block);
    if (result == noErr) file->fileLength += count;
    return result;
  }

  static OSErr Load(Record* file) { return Sp_ReadFileSystem_LoadDataFromTargetFile(file); }
  static OSErr Close(Record* file, unsigned char closeFile, unsigned char sync) {
    return Sp_FileSystem_Close(file, closeFile, sync);
  }
};

typedef sp_filebuffer::BufferScheme<ClassicSide> Buffer;

// ---- Opening --------------------------------------------------------------------------------

void CopyText(char* out, std::size_t outSize, const char* text) {
  std::size_t length = strnlen(text, outSize - 1);
  std::memcpy(out, text, length);
  out[length] = 0;
}

// Opens for reading and makes the reader ready: the length read, the first buffer-full in.
OSErr OpenForReading(short vRefNum, SInt32 dirID, const char* name, short refNum,
                     unsigned char useGivenRefNum, sSpFileSysInfo** out) {
  OSErr result =
      Sp_FileSystem_OpenByDirId(vRefNum, dirID, name, refNum, useGivenRefNum, out, fsRdPerm);
  if (result != noErr) return result;
  Record* file = *out;
  SInt32 length = 0;
  result = GetEOF(file->fileRefNum, &length);
  if (result != noErr) return Buffer::FailOpen(file->fileRefNum, file, out, result);
  file->fileLength = UInt32(length);
  result = Sp_ReadFileSystem_LoadDataFromTargetFile(file);
  if (result != noErr) return Buffer::FailOpen(file->fileRefNum, file, out, result);
  return noErr;
}

// Opens for writing: cut to length 0 when asked, then the mark and the write position at
// the end of the file (append) or at 0.
OSErr OpenForWriting(short vRefNum, SInt32 dirID, const char* name, short refNum,
                     unsigned char useGivenRefNum, sSpFileSysInfo** out, unsigned char truncate,
                     unsigned char append) {
  OSErr result =
      Sp_FileSystem_OpenByDirId(vRefNum, dirID, name, refNum, useGivenRefNum, out, fsWrPerm);
  if (result != noErr) return result;
  Record* file = *out;
  if (truncate) {
    result = SetEOF(file->fileRefNum, 0);
    if (result != noErr) return Buffer::FailOpen(file->fileRefNum, file, out, result);
    FlushVol(nullptr, file->vRefNum);
  }
  SInt32 start = 0;
  if (append) {
    result = GetEOF(file->fileRefNum, &start);
    if (result != noErr) return Buffer::FailOpen(file->fileRefNum, file, out, result);
  }
  result = SetFPos(file->fileRefNum, fsFromStart, start);
  if (result != noErr) return Buffer::FailOpen(file->fileRefNum, file, out, result);
  file->fileLength = UInt32(start);
  return noErr;
}

// An open that fails before it reaches the opening core still takes over the caller's fork:
// it is closed, so no failed open leaves a fork behind.
void CloseGivenFork(short refNum, unsigned char useGivenRefNum) {
  if (useGivenRefNum && refNum != 0) FSClose(refNum);
}

// Splits a full path into volume, folder and name and hands them to `open`.
template <class Open>
OSErr OpenByFullPath(const char* fullPath, Open open) {
  std::size_t length = strnlen(fullPath, kSpFileFullPathSize);
  if (length >= std::size_t(kSpFileFullPathSize)) return bdNamErr;
  char volumeName[kSpFileFullPathSize];
  volumeName[0] = 0;
  Sp_GetVolNameFromFullPath(fullPath, volumeName);
  if (volumeName[0] == 0) return paramErr;
  short vRefNum = 0;
  OSErr result = Sp_GetVolIdFromVolName(volumeName, vRefNum);
  if (result != noErr) return result;

  Ptr folderPath = NewPtrClear(Size(length + 2));
  if (folderPath == nullptr) return memFullErr;
  Sp_GetDirFullPathNameFromFullPathFileName(fullPath, folderPath, 0);
  SInt32 dirID = 0;
  result = Sp_GetDirIdFromFullPathName(folderPath, dirID);
  DisposePtr(folderPath);
  if (result != noErr) return paramErr;

  char name[kSpFileFullPathSize];
  name[0] = 0;
  Sp_GetFileNameFromFullPath(fullPath, name);
  return open(vRefNum, dirID, name);
}

// ---- Reading --------------------------------------------------------------------------------

// Skips the rest of a cut line up to and including its carriage return.
OSErr SkipRestOfLine(Record* file) {
  for (;;) {
    const char* start = file->bufferPtr + file->bufferIndex;
    UInt32 unread = Buffer::UnreadInBuffer(file);
    const void* cr = std::memchr(start, kCarriageReturn, unread);
    UInt32 step = cr != nullptr ? UInt32(static_cast<const char*>(cr) - start) + 1 : unread;
    file->bufferIndex += step;
    file->filePosition += step;
    if (cr != nullptr || !Buffer::MoreToLoad(file)) return noErr;
    OSErr result = Sp_ReadFileSystem_LoadDataFromTargetFile(file);
    if (result != noErr) return result;
  }
}

}  // namespace

// ---- Opening and closing --------------------------------------------------------------------

OSErr Sp_FileSystem_OpenByDirId(short vRefNum, SInt32 dirID, const char* name, short refNum,
                                unsigned char useGivenRefNum, sSpFileSysInfo** out,
                                SInt8 permission) {
  if (name == nullptr || out == nullptr) {
    CloseGivenFork(refNum, useGivenRefNum);
    if (out != nullptr) *out = nullptr;
    return SpReportFailure(kSource, "Sp_FileSystem_OpenByDirId", 1, kMsgParamError, paramErr);
  }
  *out = nullptr;
  if (!useGivenRefNum) {
    Str255 pascalName;
    if (!Sp_CopyCStringToPascalName(name, pascalName)) return bdNamErr;
    refNum = 0;
    OSErr result = HOpenDF(vRefNum, dirID, pascalName, permission, &refNum);
    if (result != noErr) return result;
    FlushVol(nullptr, vRefNum);
  }

  Record* file = Buffer::NewRecord(refNum, out);
  if (file == nullptr) return memFullErr;
  SetFPos(refNum, fsFromStart, 0);
  file->dirID = dirID;
  CopyText(file->fileName, sizeof file->fileName, name);
  char folderPath[kSpMaxFullPathLength + 1];
  folderPath[0] = 0;
  Sp_DirFullPathNameFromDirID(dirID, vRefNum, folderPath);
  std::size_t used = strnlen(folderPath, sizeof folderPath - 1);
  std::memcpy(file->fullPathName, folderPath, used);
  file->fullPathName[used++] = ':';
  CopyText(file->fullPathName + used, sizeof file->fullPathName - used, name);
  Sp_GetVolNameFromFullPath(file->fullPathName, file->volumeName);
  file->vRefNum = vRefNum;
  file->fileRefNum = refNum;
  OSErr result = Buffer::AttachBuffer(file, out);
  if (result != noErr) return result;
  *out = file;
  return noErr;
}

OSErr Sp_FileSystem_Open(const char* fullPath, short refNum, unsigned char useGivenRefNum,
                         sSpFileSysInfo** out, SInt8 permission) {
  if (fullPath == nullptr || out == nullptr) {
    CloseGivenFork(refNum, useGivenRefNum);
    if (out != nullptr) *out = nullptr;
    return SpReportFailure(kSource, "Sp_FileSystem_Open", 1, kMsgRequiredArgument, paramErr);
  }
  *out = nullptr;
  bool reachedCore = false;
  const OSErr result = OpenByFullPath(fullPath, [&](short vRefNum, SInt32 dirID, const char* name) {
    reachedCore = true;
    return Sp_FileSystem_OpenByDirId(vRefNum, dirID, name, refNum, useGivenRefNum, out, permission);
  });
  if (!reachedCore) CloseGivenFork(refNum, useGivenRefNum);
  return result;
}

OSErr Sp_FileSystem_Close(sSpFileSysInfo* file, unsigned char closeFile, unsigned char sync) {
  if (file == nullptr) {
    return SpReportFailure(kSource, "Sp_FileSystem_Close", 1, kMsgRequiredArgument, paramErr);
  }
  OSErr result = noErr;
  if (closeFile && file->fileRefNum != 0) {
    if (sync) {
      ParamBlockRec block = ParamBlockRec();
      block.ioParam.ioRefNum = file->fileRefNum;
      result = PBCloseSync(&block);
      OSErr flushed = FlushVol(nullptr, file->vRefNum);
      if (result == noErr) result = flushed;
    } else {
      ParamBlockRec* block = TakeRequestBlock();
      block->ioParam.ioRefNum = file->fileRefNum;
      result = PBCloseAsync(block);
    }
  }
  Buffer::FreeRecord(file);
  return result;
}

OSErr Sp_FileSystem_SetEOF(sSpFileSysInfo* file, SInt32 length) {
  if (file == nullptr) {
    return SpReportFailure(kSource, "Sp_FileSystem_SetEOF", 1, kMsgRequiredArgument, paramErr);
  }
  return SetEOF(file->fileRefNum, length);
}

OSErr Sp_FileSystem_GetEOF(sSpFileSysInfo* file, SInt32* length) {
  if (file == nullptr || length == nullptr) {
    return SpReportFailure(kSource, "Sp_FileSystem_GetEOF", 1, kMsgRequiredArgument, paramErr);
  }
  return GetEOF(file->fileRefNum, length);
}

// ---- Writing --------------------------------------------------------------------------------

OSErr Sp_WriteFileSystem_Open(const char* fullPath, short refNum, unsigned char useGivenRefNum,
                              sSpFileSysInfo** out) {
  if (fullPath == nullptr || out == nullptr) {
    CloseGivenFork(refNum, useGivenRefNum);
    if (out != nullptr) *out = nullptr;
    return SpReportFailure(kSource, "Sp_WriteFileSystem_Open", 1, kMsgRequiredArgument, paramErr);
  }
  *out = nullptr;
  bool reachedCore = false;
  const OSErr result = OpenByFullPath(fullPath, [&](short vRefNum, SInt32 dirID, const char* name) {
    reachedCore = true;
    return OpenForWriting(vRefNum, dirID, name, refNum, useGivenRefNum, out, 1, 0);
  });
  if (!reachedCore) CloseGivenFork(refNum, useGivenRefNum);
  return result;
}

OSErr Sp_WriteFileSystem_OpenByDirId(short vRefNum, SInt32 dirID, const char* name, short refNum,
                                     unsigned char useGivenRefNum, sSpFileSysInfo** out,
                                     unsigned char truncate, unsigned char append) {
  if (name == nullptr || out == nullptr) {
    CloseGivenFork(refNum, useGivenRefNum);
    if (out != nullptr) *out = nullptr;
    return SpReportFailure(kSource, "Sp_WriteFileSystem_OpenByDirId", 1, kMsgRequiredArgument,
                           paramErr);
  }
  return OpenForWriting(vRefNum, dirID, name, refNum, useGivenRefNum, out, truncate, append);
}

OSErr Sp_WriteFileSystem_Write(sSpFileSysInfo* file, const char* bytes, SInt32 length,
                               unsigned char sync) {
  if (file == nullptr || bytes == nullptr || length < 1) {
    return SpReportFailure(kSource, "Sp_WriteFileSystem_Write", 1, kMsgRequiredArgument,
                           OSErr(rfNumErr));
  }
  return Buffer::Collect(file, bytes, UInt32(length), sync);
}

OSErr Sp_WriteFileSystem_WriteToFile(sSpFileSysInfo* file, unsigned char sync) {
  if (file == nullptr) {
    return SpReportFailure(kSource, "Sp_WriteFileSystem_WriteToFile", 1, kMsgRequiredArgument,
                           OSErr(rfNumErr));
  }
  return Buffer::WriteCollected(file, sync);
}

OSErr Sp_WriteFileSystem_Close(sSpFileSysInfo* file, unsigned char closeFile, unsigned char sync) {
  if (file == nullptr) {
    return SpReportFailure(kSource, "Sp_WriteFileSystem_Close", 1, kMsgRequiredArgument, paramErr);
  }
  return Buffer::WriteRestAndClose(file, closeFile, sync);
}

// ---- Reading --------------------------------------------------------------------------------

OSErr Sp_ReadFileSystem_Open(const char* fullPath, short refNum, unsigned char useGivenRefNum,
                             sSpFileSysInfo** out) {
  if (fullPath == nullptr || out == nullptr) {
    CloseGivenFork(refNum, useGivenRefNum);
    if (out != nullptr) *out = nullptr;
    return SpReportFailure(kSource, "Sp_ReadFileSystem_Open", 1, kMsgRequiredArgument, paramErr);
  }
  *out = nullptr;
  bool reachedCore = false;
  const OSErr result = OpenByFullPath(fullPath, [&](short vRefNum, SInt32 dirID, const char* name) {
    reachedCore = true;
    return OpenForReading(vRefNum, dirID, name, refNum, useGivenRefNum, out);
  });
  if (!reachedCore) CloseGivenFork(refNum, useGivenRefNum);
  return result;
}

OSErr Sp_ReadFileSystem_OpenByDirId(short vRefNum, SInt32 dirID, const char* name, short refNum,
                                    unsigned char useGivenRefNum, sSpFileSysInfo** out) {
  if (name == nullptr || out == nullptr) {
    CloseGivenFork(refNum, useGivenRefNum);
    if (out != nullptr) *out = nullptr;
    return SpReportFailure(kSource, "Sp_ReadFileSystem_OpenByDirId", 1, kMsgRequiredArgument,
                           paramErr);
  }
  return OpenForReading(vRefNum, dirID, name, refNum, useGivenRefNum, out);
}

OSErr Sp_ReadFileSystem_LoadDataFromTargetFile(sSpFileSysInfo* file) {
  const char kMethod[] = "Sp_ReadFileSystem_LoadDataFromTargetFile";
  if (file == nullptr) return SpReportFailure(kSource, kMethod, 1, kMsgRequiredArgument, paramErr);
  return Buffer::LoadNext(file, kSource, kMethod);
}

OSErr Sp_ReadFileSystem_ReadOneLine(sSpFileSysInfo* file, char* line, SInt32 size,
                                    SInt32* outLength, unsigned char* outEnd) {
  if (file == nullptr || line == nullptr || size < 1) {
    return SpReportFailure(kSource, "Sp_ReadFileSystem_ReadOneLine", 1, kMsgRequiredArgument,
                           paramErr);
  }
  line[0] = 0;
  if (outLength != nullptr) *outLength = 0;
  if (outEnd != nullptr) *outEnd = 0;
  if (file->filePosition >= file->fileLength) {
    if (outEnd != nullptr) *outEnd = 1;
    return noErr;
  }

  UInt32 room = UInt32(size) - 1;
  UInt32 copied = 0;
  bool cut = false;
  OSErr result = noErr;
  for (;;) {
    if (Buffer::UnreadInBuffer(file) == 0) {
      if (!Buffer::MoreToLoad(file)) break;  // the line ends with the file
      result = Sp_ReadFileSystem_LoadDataFromTargetFile(file);
      if (result != noErr) break;
      if (Buffer::UnreadInBuffer(file) == 0) break;
    }
    const char* start = file->bufferPtr + file->bufferIndex;
    UInt32 unread = Buffer::UnreadInBuffer(file);
    const void* cr = std::memchr(start, kCarriageReturn, unread);
    UInt32 available = cr != nullptr ? UInt32(static_cast<const char*>(cr) - start) : unread;
    UInt32 take = std::min(available, room - copied);
    std::memcpy(line + copied, start, take);
    copied += take;
    file->bufferIndex += take;
    file->filePosition += take;
    if (take < available) {
      cut = true;
      result = SkipRestOfLine(file);
      break;
    }
    if (cr != nullptr) {
      ++file->bufferIndex;
      ++file->filePosition;
      break;
    }
  }
  line[copied] = 0;
  if (outLength != nullptr) *outLength = SInt32(copied);
  if (result != noErr) return result;
  if (file->filePosition < file->fileLength) return cut ? memFullErr : noErr;
  if (outEnd != nullptr) *outEnd = 1;
  return noErr;
}

OSErr Sp_ReadFileSystem_Read(sSpFileSysInfo* file, SInt32 count, char* bytes, SInt32* outCount) {
  if (file == nullptr || bytes == nullptr || count < 0) {
    return SpReportFailure(kSource, "Sp_ReadFileSystem_Read", 1, kMsgRequiredArgument, paramErr);
  }
  return Buffer::ReadBytes(file, count, bytes, outCount);
}

OSErr Sp_ReadFileSystem_SetFilePosition(sSpFileSysInfo* file, short mode, SInt32 offset) {
  if (file == nullptr) {
    return SpReportFailure(kSource, "Sp_ReadFileSystem_SetFilePosition", 1, kMsgRequiredArgument,
                           OSErr(rfNumErr));
  }
  UInt32 length = file->fileLength;
  UInt32 target = 0;
  switch (mode) {
    case fsAtMark:
      return noErr;
    case fsFromLEOF:
      if (offset < 0) {
        target = length;
      } else {
        target = UInt32(offset) >= length ? 0 : length - UInt32(offset);
      }
      break;
    case fsFromMark:
      if (offset < 0) return posErr;
      target = UInt32(std::min<UInt64>(UInt64(file->filePosition) + UInt32(offset), length));
      break;
    default:
      if (offset < 0 || UInt32(offset) > length) return posErr;
      target = UInt32(offset);
      break;
  }

  UInt32 loadedStart = file->nextLoadOffset - file->bufferDataSize;
  if (target >= loadedStart && target < file->nextLoadOffset) {
    file->bufferIndex = target - loadedStart;
    file->filePosition = target;
    return noErr;
  }
  OSErr result = SetFPos(file->fileRefNum, fsFromStart, SInt32(target));
  if (result != noErr) return result;
  UInt32 count = std::min(Buffer::LoadSize(file, false), length - target);
  file->bufferIndex = 0;
  file->bufferDataSize = count;
  file->filePosition = target;
  file->nextLoadOffset = target + count;
  result = ClassicSide::ReadIntoBuffer(file, count);
  if (result != noErr) {
    // Nothing usable was loaded: the next read loads again from the target.
    file->bufferDataSize = 0;
    file->nextLoadOffset = target;
    SetFPos(file->fileRefNum, fsFromStart, SInt32(target));
  }
  return result;
}

UInt32 Sp_ReadFileSystem_GetFilePosition(sSpFileSysInfo* file) {
  if (file == nullptr) {
    return SpReportFailure(kSource, "Sp_ReadFileSystem_GetFilePosition", 1, kMsgRequiredArgument,
                           UInt32(0));
  }
  return file->filePosition;
}
