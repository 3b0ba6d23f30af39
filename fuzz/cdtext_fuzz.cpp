// CD-Text: the bytes as "Image.cdt", the CD-Text packs the CDTEXTFILE line of "Image.cue"
// names (a disc image of three tracks of silence in the media folder). libcdio reads the packs;
// the disc's title and its tracks' titles it gives name the volume and the track files, which
// are listed and read as the volume list finds the disc, and the disc is ejected again. A drive
// hands libcdio the same packs from the disc's lead-in.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzDiscs.h"

namespace {

const char kSheet[] =
    "CDTEXTFILE \"Image.cdt\"\n"
    "FILE \"Image.bin\" BINARY\n"
    "  TRACK 01 AUDIO\n"
    "    INDEX 01 00:00:00\n"
    "  TRACK 02 AUDIO\n"
    "    INDEX 01 00:02:00\n"
    "  TRACK 03 AUDIO\n"
    "    INDEX 01 00:04:00\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& media = sp_fuzz::MediaFolderWithImage();
  if (media.empty()) return 0;
  static const bool sheet = sp_fuzz::WriteFile(
      media + "/Image.cue", reinterpret_cast<const uint8_t*>(kSheet), sizeof kSheet - 1);
  if (!sheet || !sp_fuzz::WriteFile(media + "/Image.cdt", data, size)) return 0;
  sp_fuzz::ReadDiscsOfMediaFolder(media);
  return 0;
}
