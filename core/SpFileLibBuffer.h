// The buffer scheme the two buffered file records share (SpFileLibSource.h, with 32-bit sizes
// and a file reference number; SpFileLibForOSXSource.h, with 64-bit sizes and a fork). Not for
// other code.
//
// A record side is a class naming the record and the few calls that differ between them:
//   Record                  the heap record: bufferPtr, bufferSize, bufferDataSize,
//                           bufferIndex, filePosition, nextLoadOffset, vRefNum
//   Count                   the record's sizes and offsets (UInt32 or UInt64)
//   RefNum                  the open fork
//   Length(file)            the file's length when reading, the write offset when writing
//   Fork(file)              the open fork of the record
//   CloseFork(ref)          closes a fork, the result ignored (an open being undone)
//   Settle(file)            waits for what the record itself still has queued, before it goes
//   Mark(file, &position)   where the fork stands
//   ReadIntoBuffer(file, n) n bytes at the mark into the buffer; a short read is eofErr
//   WriteAtMark(file, bytes, n, &written)  writes at the mark and flushes the volume
//   QueueWrite(file, bytes, n)  queues asynchronous writes, adding what was queued to Length
//   Load(file), Close(file, closeFork, sync)  the record's public load and close
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <deque>

#include "Files.h"
#include "MacMemory.h"
#include "MacTypes.h"
#include "SpErrorInfoSystem.h"
#include "SpFileLibSource.h"

namespace sp_filebuffer {

// A cleared parameter block from a pool of blocks that outlive the requests made with them:
// a block is taken again only once its completion has run (its result, read by resultOf, no
// longer 1), else the pool grows. A deque never moves its elements.
template <class Block, class ResultOf>
Block* TakeFreeBlock(std::deque<Block>& pool, ResultOf resultOf) {
  for (Block& block : pool) {
    if (resultOf(block) != 1) {
      block = Block();
      return &block;
    }
  }
  pool.emplace_back();
  return &pool.back();
}

template <class Side>
struct BufferScheme {
  typedef typename Side::Record Record;
  typedef typename Side::Count Count;
  typedef typename Side::RefNum RefNum;

  // The full-sized buffer of the last record that went, kept for the next one: a block of
  // 1,024,000 bytes made and dropped for each of a thousand files read one after another cost
  // a mapping and an unmapping each. It is handed out as it is, not cleared: a record reads
  // no byte of its buffer it did not load or write there.
  static Ptr& KeptBuffer() {
    static Ptr kept = nullptr;
    return kept;
  }

  // The buffer: as large as memory gives, from 1,024,000 bytes halved down to 125. A block
  // smaller than asked counts as a failure.
  static Ptr AllocateBuffer(Count& size) {
    Ptr& kept = KeptBuffer();
    if (kept != nullptr && MaxBlock() >= Size(kSpFileBufferFirstSize)) {
      size = kSpFileBufferFirstSize;
      Ptr buffer = kept;
      kept = nullptr;
      return buffer;
    }
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

  static void FreeRecord(Record* file) {
    Side::Settle(file);
    if (file->bufferPtr != nullptr && file->bufferSize == Count(kSpFileBufferFirstSize) &&
        KeptBuffer() == nullptr) {
      KeptBuffer() = file->bufferPtr;
    } else if (file->bufferPtr != nullptr && file->bufferSize != 0) {
      DisposePtr(file->bufferPtr);
    }
    DisposePtr(reinterpret_cast<Ptr>(file));
  }

  // The rule of every open that fails after the fork was opened or taken over: the fork is
  // closed, the record (when made) freed, the output pointer cleared and the error returned.
  static OSErr FailOpen(RefNum ref, Record* file, Record** out, OSErr result) {
    if (ref != 0) Side::CloseFork(ref);
    if (file != nullptr) FreeRecord(file);
    *out = nullptr;
    return result;
  }

  // A cleared record for the fork just opened; null when memory is short, the open undone.
  static Record* NewRecord(RefNum ref, Record** out) {
    Record* file = reinterpret_cast<Record*>(NewPtrClear(sizeof(Record)));
    if (file == nullptr) FailOpen(ref, nullptr, out, memFullErr);
    return file;
  }

  // Gives the record (its fork already set) its buffer; memFullErr, the open undone, when not
  // even the least size can be had.
  static OSErr AttachBuffer(Record* file, Record** out) {
    Count size = 0;
    file->bufferPtr = AllocateBuffer(size);
    if (file->bufferPtr == nullptr) return FailOpen(Side::Fork(file), file, out, memFullErr);
    file->bufferSize = size;
    return noErr;
  }

  // ---- Reading ------------------------------------------------------------------------------

  static Count UnreadInBuffer(const Record* file) {
    return file->bufferDataSize - file->bufferIndex;
  }

  static bool MoreToLoad(Record* file) { return file->nextLoadOffset < Side::Length(file); }

  // How much a load reads: the first load after an open or a move of the position reads a
  // little (a reader that looks at a header or a tag and moves on reads no more than that),
  // and each load that follows in order twice the one before, up to the buffer's size.
  static Count LoadSize(const Record* file, bool following) {
    Count size = kSpFileFirstLoadSize;
    if (following) size = std::max<Count>(size, file->bufferDataSize * 2);
    return std::min(size, file->bufferSize);
  }

  // Loads the next part of the file; failures are logged under the record's source and the
  // load's method name (code 2 for the read itself, 1 for the position).
  static OSErr LoadNext(Record* file, const char* source, const char* method) {
    Count length = Side::Length(file);
    Count left = length > file->nextLoadOffset ? length - file->nextLoadOffset : 0;
    Count count = std::min(left, LoadSize(file, true));
    Count before = 0;
    OSErr result = Side::Mark(file, &before);
    if (result != noErr) return SpReportFailure(source, method, 1, kSpMsgNoComment, result);
    result = Side::ReadIntoBuffer(file, count);
    if (result != noErr) return SpReportFailure(source, method, 2, kSpMsgNoComment, result);
    Count after = 0;
    result = Side::Mark(file, &after);
    file->bufferIndex = 0;
    file->bufferDataSize = count;
    file->filePosition = before;
    if (result != noErr) {
      // The bytes are in, but where the fork stands is unknown: nothing of them is kept.
      file->bufferDataSize = 0;
      file->nextLoadOffset = before;
      return SpReportFailure(source, method, 1, kSpMsgNoComment, result);
    }
    file->nextLoadOffset = after;
    return noErr;
  }

  // Up to count bytes (count >= 0, bytes not null): a request beyond the end gives the rest
  // with noErr; at the end, eofErr and no bytes.
  static OSErr ReadBytes(Record* file, SInt32 count, char* bytes, SInt32* outCount) {
    if (outCount != nullptr) *outCount = 0;
    if (count == 0) return noErr;
    bytes[0] = 0;
    Count remaining = Count(count);
    Count total = 0;
    for (;;) {
      Count length = Side::Length(file);
      if (file->filePosition >= length) return eofErr;
      remaining = std::min(remaining, length - file->filePosition);
      Count n = std::min(remaining, UnreadInBuffer(file));
      std::memcpy(bytes + total, file->bufferPtr + file->bufferIndex, std::size_t(n));
      file->bufferIndex += n;
      file->filePosition += n;
      total += n;
      remaining -= n;
      if (outCount != nullptr) *outCount = SInt32(total);
      if (remaining == 0) return noErr;
      if (!MoreToLoad(file)) return eofErr;
      OSErr result = Side::Load(file);
      if (result != noErr) return result;
      if (UnreadInBuffer(file) == 0) return eofErr;
    }
  }

  // ---- Writing ------------------------------------------------------------------------------

  // Collects count (> 0) bytes, writing out what was collected first when they would not fit;
  // a run of at least the buffer's size is written directly.
  static OSErr Collect(Record* file, const char* bytes, Count count, unsigned char sync) {
    if (file->bufferDataSize != 0 && UInt64(file->bufferDataSize) + count >= file->bufferSize) {
      OSErr result = WriteCollected(file, sync);
      if (result != noErr) return result;
    }
    if (file->bufferSize > count) {
      std::memcpy(file->bufferPtr + file->bufferDataSize, bytes, std::size_t(count));
      file->bufferDataSize += count;
      file->bufferIndex = file->bufferDataSize;
      return noErr;
    }
    if (sync) {
      Count written = 0;
      OSErr result = Side::WriteAtMark(file, bytes, count, &written);
      Side::Length(file) += written;
      return result;
    }
    return Side::QueueWrite(file, bytes, count);
  }

  // Writes the collected bytes. A failed synchronous write keeps the bytes that did not reach
  // the file.
  static OSErr WriteCollected(Record* file, unsigned char sync) {
    Count count = file->bufferDataSize;
    if (count == 0) return noErr;
    if (sync) {
      Count written = 0;
      OSErr result = Side::WriteAtMark(file, file->bufferPtr, count, &written);
      if (written > count) written = count;
      // What did not reach the file stays collected, at the front of the buffer.
      std::memmove(file->bufferPtr, file->bufferPtr + written, std::size_t(count - written));
      file->bufferDataSize = count - written;
      file->bufferIndex = file->bufferDataSize;
      Side::Length(file) += written;
      return result;
    }
    OSErr result = Side::QueueWrite(file, file->bufferPtr, count);
    if (result != noErr) return result;
    file->bufferDataSize = 0;
    file->bufferIndex = 0;
    return noErr;
  }

  // Writes what is still collected and flushes the volume, then closes. A failure to write
  // the collected bytes wins over the close's result, so lost data never reads as success.
  static OSErr WriteRestAndClose(Record* file, unsigned char closeFork, unsigned char sync) {
    OSErr written = noErr;
    if (file->bufferDataSize != 0) {
      written = WriteCollected(file, sync);
      FlushVol(nullptr, file->vRefNum);
    }
    OSErr closed = Side::Close(file, closeFork, sync);
    return written != noErr ? written : closed;
  }
};

}  // namespace sp_filebuffer
