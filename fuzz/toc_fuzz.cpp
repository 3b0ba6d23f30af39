// ".TOC.plist": the bytes as the table of contents of an audio-CD folder, read into a table
// as a media scan reads it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/stat.h>

#include "CFURL.h"
#include "CFURLFiles.h"
#include "FuzzProgramHome.h"
#include "SpCDTOCInfoObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& home = sp_fuzz::ProgramHome();
  if (home.empty()) return 0;
  const std::string disc = home + "/Disc";
  mkdir(disc.c_str(), 0700);
  const std::string path = disc + "/.TOC.plist";
  if (!sp_fuzz::WriteFile(path, data, size)) return 0;
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      kCFAllocatorDefault, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()),
      false);
  if (url == nullptr) return 0;
  FSRef ref;
  const bool found = CFURLGetFSRef(url, &ref);
  CFRelease(url);
  if (!found) return 0;

  cMediaTOCInfo toc;
  SpCDR_GetTOCData(&ref, &toc);
  toc.WipeOutTrackItemList();
  return 0;
}
