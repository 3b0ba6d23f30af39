#include "SpFileLibSource.h"

#include <algorithm>
#include <cstring>
#include <deque>

#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFileFunction.h"

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
// its completion has run (ioResult no longer 1). A deque never moves its elements.
ParamBlockRec* TakeRequestBlock() {
  static std::deque<ParamBlockRec> blocks;
  for (ParamBlockRec& block : blocks) {
    if (block.ioParam.ioResult != 1) {
      block = ParamBlockRec();
      return &block;
    }
  }
  blocks.emplace_back();
  return &blocks.back();
}

// Queues an asynchronous write of count bytes at the file offset.
OSErr QueueWrite(short refNum, const char* bytes, UInt32 count, UInt32 offset) {
  ParamBlockRec* block = TakeRequestBlock();
  block->ioParam.ioCompletion = nullptr;
  block->ioParam.ioRefNum = refNum;
  block->ioParam.ioBuffer = const_cast<Ptr>(bytes);
  block->ioParam.ioReqCount = SInt32(count);
  block->ioParam.ioPosMode = fsFromStart;
  block->ioParam.ioPosOffset = SInt32(offset);
  return PBWriteAsync(block);
}

// ---- Opening --------------------------------------------------------------------------------

// Copies a zero-terminated name into a length-prefixed string; false when it is too long.
bool MakePascalName(const char* name, Str255 out) {
  std::size_t length = strnlen(name, 256);
  if (length > 255) return false;
  out[0] = UInt8(length);
  std::memcpy(out + 1, name, length);
  return true;
}

void CopyText(char* out, std::size_t outSize, const char* text) {
  std::size_t length = strnlen(text, outSize - 1);
  std::memcpy(out, text, length);
  out[length] = 0;
}

// The buffer: as large as memory gives, from 1,024,000 bytes halved down to 125. A block
// smaller than asked counts as a failure.
Ptr AllocateBuffer(UInt32& size) {
  for (size = kSpFileBufferFirstSize;; size >>= 1) {
    Ptr buffer = NewPtrClear(Size(size));
    if (buffer != nullptr) {
      if (GetPtrSize(buffer) >= Size(size)) return buffer;
      DisposePtr(buffer);
    }
    if (size <= 127) break;
  }
  size = 0;
  return nullptr;
}

void FreeRecord(Record* file) {
  if (file->bufferPtr != nullptr && file->bufferSize != 0) DisposePtr(file->bufferPtr);
  DisposePtr(reinterpret_cast<Ptr>(file));
}

// The rule of every open that fails after the fork was opened or taken over: the fork is
// closed, the record (when made) freed, the output pointer cleared and the error returned.
OSErr FailOpen(short refNum, Record* file, sSpFileSysInfo** out, OSErr result) {
  if (refNum != 0) FSClose(refNum);
  if (file != nullptr) FreeRecord(file);
  *out = nullptr;
  return result;
}

// Reads count bytes at the mark into the buffer; a short read is a failure.
OSErr ReadIntoBuffer(Record* file, UInt32 count) {
  if (count == 0) return noErr;
  SInt32 actual = SInt32(count);
  OSErr result = FSRead(file->fileRefNum, &actual, file->bufferPtr);
  if (result == noErr && UInt32(actual) != count) result = eofErr;
  return result;
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
  if (result != noErr) return FailOpen(file->fileRefNum, file, out, result);
  file->fileLength = UInt32(length);
  result = Sp_ReadFileSystem_LoadDataFromTargetFile(file);
  if (result != noErr) return FailOpen(file->fileRefNum, file, out, result);
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
    if (result != noErr) return FailOpen(file->fileRefNum, file, out, result);
    FlushVol(nullptr, file->vRefNum);
  }
  SInt32 start = 0;
  if (append) {
    result = GetEOF(file->fileRefNum, &start);
    if (result != noErr) return FailOpen(file->fileRefNum, file, out, result);
  }
  result = SetFPos(file->fileRefNum, fsFromStart, start);
  if (result != noErr) return FailOpen(file->fileRefNum, file, out, result);
  file->fileLength = UInt32(start);
  return noErr;
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

UInt32 UnreadInBuffer(const Record* file) {
  return file->bufferDataSize - file->bufferIndex;
}

bool MoreToLoad(const Record* file) {
  return file->nextLoadOffset < file->fileLength;
}

// Skips the rest of a cut line up to and including its carriage return.
OSErr SkipRestOfLine(Record* file) {
  for (;;) {
    const char* start = file->bufferPtr + file->bufferIndex;
    UInt32 unread = UnreadInBuffer(file);
    const void* cr = std::memchr(start, kCarriageReturn, unread);
    UInt32 step = cr != nullptr ? UInt32(static_cast<const char*>(cr) - start) + 1 : unread;
    file->bufferIndex += step;
    file->filePosition += step;
    if (cr != nullptr || !MoreToLoad(file)) return noErr;
    OSErr result = Sp_ReadFileSystem_LoadDataFromTargetFile(file);
    if (result != noErr) return result;
  }
}

// ---- Writing --------------------------------------------------------------------------------

// Writes count bytes at the mark and flushes the volume; *written gets what reached the file.
OSErr WriteAtMark(Record* file, const char* bytes, UInt32 count, UInt32* written) {
  SInt32 actual = SInt32(count);
  OSErr result = FSWrite(file->fileRefNum, &actual, bytes);
  *written = actual > 0 ? UInt32(actual) : 0;
  if (result == noErr && *written != count) result = ioErr;
  if (result != noErr) return result;
  return FlushVol(nullptr, file->vRefNum);
}

}  // namespace

// ---- Opening and closing --------------------------------------------------------------------

OSErr Sp_FileSystem_OpenByDirId(short vRefNum, SInt32 dirID, const char* name, short refNum,
                                unsigned char useGivenRefNum, sSpFileSysInfo** out,
                                SInt8 permission) {
  if (name == nullptr || out == nullptr) {
    if (useGivenRefNum && refNum != 0) FSClose(refNum);
    if (out != nullptr) *out = nullptr;
    return SpReportFailure(kSource, "Sp_FileSystem_OpenByDirId", 1, kMsgParamError, paramErr);
  }
  *out = nullptr;
  if (!useGivenRefNum) {
    Str255 pascalName;
    if (!MakePascalName(name, pascalName)) return bdNamErr;
    refNum = 0;
    OSErr result = HOpenDF(vRefNum, dirID, pascalName, permission, &refNum);
    if (result != noErr) return result;
    FlushVol(nullptr, vRefNum);
  }

  Record* file = reinterpret_cast<Record*>(NewPtrClear(sizeof(Record)));
  if (file == nullptr) return FailOpen(refNum, nullptr, out, memFullErr);
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

  UInt32 size = 0;
  file->bufferPtr = AllocateBuffer(size);
  if (file->bufferPtr == nullptr) return FailOpen(refNum, file, out, memFullErr);
  file->bufferSize = size;
  *out = file;
  return noErr;
}

OSErr Sp_FileSystem_Open(const char* fullPath, short refNum, unsigned char useGivenRefNum,
                         sSpFileSysInfo** out, SInt8 permission) {
  if (fullPath == nullptr || out == nullptr) {
    return SpReportFailure(kSource, "Sp_FileSystem_Open", 1, kMsgRequiredArgument, paramErr);
  }
  *out = nullptr;
  return OpenByFullPath(fullPath, [&](short vRefNum, SInt32 dirID, const char* name) {
    return Sp_FileSystem_OpenByDirId(vRefNum, dirID, name, refNum, useGivenRefNum, out, permission);
  });
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
  FreeRecord(file);
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
    return SpReportFailure(kSource, "Sp_WriteFileSystem_Open", 1, kMsgRequiredArgument, paramErr);
  }
  *out = nullptr;
  return OpenByFullPath(fullPath, [&](short vRefNum, SInt32 dirID, const char* name) {
    return OpenForWriting(vRefNum, dirID, name, refNum, useGivenRefNum, out, 1, 0);
  });
}

OSErr Sp_WriteFileSystem_OpenByDirId(short vRefNum, SInt32 dirID, const char* name, short refNum,
                                     unsigned char useGivenRefNum, sSpFileSysInfo** out,
                                     unsigned char truncate, unsigned char append) {
  if (name == nullptr || out == nullptr) {
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
  UInt32 count = UInt32(length);
  if (file->bufferDataSize != 0 && UInt64(file->bufferDataSize) + count >= file->bufferSize) {
    OSErr result = Sp_WriteFileSystem_WriteToFile(file, sync);
    if (result != noErr) return result;
  }
  if (file->bufferSize > count) {
    std::memcpy(file->bufferPtr + file->bufferDataSize, bytes, count);
    file->bufferDataSize += count;
    file->bufferIndex = file->bufferDataSize;
    return noErr;
  }
  // A run of at least the buffer's size goes to the file directly.
  if (sync) {
    UInt32 written = 0;
    OSErr result = WriteAtMark(file, bytes, count, &written);
    file->fileLength += written;
    return result;
  }
  OSErr result = QueueWrite(file->fileRefNum, bytes, count, file->fileLength);
  if (result == noErr) file->fileLength += count;
  return result;
}

OSErr Sp_WriteFileSystem_WriteToFile(sSpFileSysInfo* file, unsigned char sync) {
  if (file == nullptr) {
    return SpReportFailure(kSource, "Sp_WriteFileSystem_WriteToFile", 1, kMsgRequiredArgument,
                           OSErr(rfNumErr));
  }
  UInt32 count = file->bufferDataSize;
  if (count == 0) return noErr;
  if (sync) {
    UInt32 written = 0;
    OSErr result = WriteAtMark(file, file->bufferPtr, count, &written);
    if (written > count) written = count;
    // What did not reach the file stays collected, at the front of the buffer.
    std::memmove(file->bufferPtr, file->bufferPtr + written, count - written);
    file->bufferDataSize = count - written;
    file->bufferIndex = file->bufferDataSize;
    file->fileLength += written;
    return result;
  }
  OSErr result = QueueWrite(file->fileRefNum, file->bufferPtr, count, file->fileLength);
  if (result != noErr) return result;
  file->bufferDataSize = 0;
  file->bufferIndex = 0;
  file->fileLength += count;
  return noErr;
}

OSErr Sp_WriteFileSystem_Close(sSpFileSysInfo* file, unsigned char closeFile, unsigned char sync) {
  if (file == nullptr) {
    return SpReportFailure(kSource, "Sp_WriteFileSystem_Close", 1, kMsgRequiredArgument, paramErr);
  }
  OSErr written = noErr;
  if (file->bufferDataSize != 0) {
    written = Sp_WriteFileSystem_WriteToFile(file, sync);
    FlushVol(nullptr, file->vRefNum);
  }
  OSErr closed = Sp_FileSystem_Close(file, closeFile, sync);
  return written != noErr ? written : closed;
}

// ---- Reading --------------------------------------------------------------------------------

OSErr Sp_ReadFileSystem_Open(const char* fullPath, short refNum, unsigned char useGivenRefNum,
                             sSpFileSysInfo** out) {
  if (fullPath == nullptr || out == nullptr) {
    return SpReportFailure(kSource, "Sp_ReadFileSystem_Open", 1, kMsgRequiredArgument, paramErr);
  }
  *out = nullptr;
  return OpenByFullPath(fullPath, [&](short vRefNum, SInt32 dirID, const char* name) {
    return OpenForReading(vRefNum, dirID, name, refNum, useGivenRefNum, out);
  });
}

OSErr Sp_ReadFileSystem_OpenByDirId(short vRefNum, SInt32 dirID, const char* name, short refNum,
                                    unsigned char useGivenRefNum, sSpFileSysInfo** out) {
  if (name == nullptr || out == nullptr) {
    return SpReportFailure(kSource, "Sp_ReadFileSystem_OpenByDirId", 1, kMsgRequiredArgument,
                           paramErr);
  }
  return OpenForReading(vRefNum, dirID, name, refNum, useGivenRefNum, out);
}

OSErr Sp_ReadFileSystem_LoadDataFromTargetFile(sSpFileSysInfo* file) {
  const char kMethod[] = "Sp_ReadFileSystem_LoadDataFromTargetFile";
  if (file == nullptr) return SpReportFailure(kSource, kMethod, 1, kMsgRequiredArgument, paramErr);
  UInt32 left =
      file->fileLength > file->nextLoadOffset ? file->fileLength - file->nextLoadOffset : 0;
  UInt32 count = std::min(left, file->bufferSize);
  SInt32 before = 0;
  OSErr result = GetFPos(file->fileRefNum, &before);
  if (result != noErr) return SpReportFailure(kSource, kMethod, 1, kSpMsgNoComment, result);
  result = ReadIntoBuffer(file, count);
  if (result != noErr) return SpReportFailure(kSource, kMethod, 2, kSpMsgNoComment, result);
  SInt32 after = 0;
  result = GetFPos(file->fileRefNum, &after);
  file->bufferIndex = 0;
  file->bufferDataSize = count;
  file->filePosition = UInt32(before);
  if (result != noErr) {
    // The bytes are in, but where the file stands is unknown: nothing of them is kept.
    file->bufferDataSize = 0;
    file->nextLoadOffset = UInt32(before);
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNoComment, result);
  }
  file->nextLoadOffset = UInt32(after);
  return noErr;
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
    if (UnreadInBuffer(file) == 0) {
      if (!MoreToLoad(file)) break;  // the line ends with the file
      result = Sp_ReadFileSystem_LoadDataFromTargetFile(file);
      if (result != noErr) break;
      if (UnreadInBuffer(file) == 0) break;
    }
    const char* start = file->bufferPtr + file->bufferIndex;
    UInt32 unread = UnreadInBuffer(file);
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
  if (outCount != nullptr) *outCount = 0;
  if (count == 0) return noErr;
  bytes[0] = 0;
  UInt32 remaining = UInt32(count);
  UInt32 total = 0;
  for (;;) {
    if (file->filePosition >= file->fileLength) return eofErr;
    remaining = std::min(remaining, file->fileLength - file->filePosition);
    UInt32 n = std::min(remaining, UnreadInBuffer(file));
    std::memcpy(bytes + total, file->bufferPtr + file->bufferIndex, n);
    file->bufferIndex += n;
    file->filePosition += n;
    total += n;
    remaining -= n;
    if (outCount != nullptr) *outCount = SInt32(total);
    if (remaining == 0) return noErr;
    if (!MoreToLoad(file)) return eofErr;
    OSErr result = Sp_ReadFileSystem_LoadDataFromTargetFile(file);
    if (result != noErr) return result;
    if (UnreadInBuffer(file) == 0) return eofErr;
  }
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
  UInt32 count = std::min(file->bufferSize, length - target);
  file->bufferIndex = 0;
  file->bufferDataSize = count;
  file->filePosition = target;
  file->nextLoadOffset = target + count;
  result = ReadIntoBuffer(file, count);
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
