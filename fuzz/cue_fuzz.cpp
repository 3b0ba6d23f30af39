// CUE sheets of disc images in the media folder: the bytes as "Image.cue" beside an image of
// silence, mounted as the volume list finds it, its name and the start of each track read,
// and ejected again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzDiscs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& media = sp_fuzz::MediaFolderWithImage();
  if (media.empty() || !sp_fuzz::WriteFile(media + "/Image.cue", data, size)) return 0;
  sp_fuzz::ReadDiscsOfMediaFolder(media);
  std::remove((media + "/Image.cue").c_str());
  return 0;
}
