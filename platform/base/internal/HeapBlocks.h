// Where the C library's allocator takes large blocks from. Not for the program's own code.
#pragma once

namespace sp_platform {

// While one lives (they nest), blocks of any size up to 64 MiB come from the heap instead of
// each being mapped by itself: for a library's tables made and freed again for every file it
// reads (FFmpeg's sample index of a movie, 250 KB for a four-minute M4A file), which mapped,
// faulted in page by page and unmapped each time took three quarters of the time of adding
// such files. The program's own large blocks, made outside, stay mapped by themselves.
class HeapBlocksScope {
 public:
  HeapBlocksScope();
  ~HeapBlocksScope();
  HeapBlocksScope(const HeapBlocksScope&) = delete;
  HeapBlocksScope& operator=(const HeapBlocksScope&) = delete;
};

}  // namespace sp_platform
