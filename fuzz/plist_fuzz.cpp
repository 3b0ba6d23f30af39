// XML property lists: the bytes as a whole document, read as every caller reads one, and
// once more with the entries of one dictionary delivered as they are read (as a music
// library is).
#include <cstddef>
#include <cstdint>

#include "CFBase.h"
#include "CFData.h"
#include "CFError.h"
#include "CFPropertyList.h"
#include "CFString.h"

namespace {

void IgnoreEntry(const void*, const void*, void*) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFDataRef bytes = CFDataCreate(kCFAllocatorDefault, data, CFIndex(size));
  if (bytes == nullptr) return 0;

  CFPropertyListFormat format = kCFPropertyListXMLFormat_v1_0;
  CFErrorRef error = nullptr;
  CFPropertyListRef list =
      CFPropertyListCreateWithData(kCFAllocatorDefault, bytes, kCFPropertyListImmutable, &format,
                                   &error);
  if (list != nullptr) CFRelease(list);
  if (error != nullptr) CFRelease(error);

  CFStringRef errorString = nullptr;
  list = sp_platform::CreatePropertyListDeliveringEntries(
      bytes, kCFPropertyListMutableContainersAndLeaves, CFSTR("Tracks"), IgnoreEntry, nullptr,
      &errorString);
  if (list != nullptr) CFRelease(list);
  if (errorString != nullptr) CFRelease(errorString);

  CFRelease(bytes);
  return 0;
}
