// Emulated audio-CD volumes. Not for the program's own code: the application sets the media
// folder at start-up; tests mount and eject discs through the test API.
//
// A disc is a folder holding ".TOC.plist" (the table of contents) beside its tracks ("1
// Title.aiff", "2 Title.aiff", ...). Mounted, it is a read-only volume of its own: filesystem
// id 0x4A48 (kSpAudioCDFileSystemID), its own reference number, named after the folder.
// Writing to it gives wPrErr. Ejecting it removes the volume (its number answers nsvErr from
// then on); the folder stays as it is.
#pragma once

#include <string>

#include "MacTypes.h"

namespace sp_platform {
namespace files {

// The media folder: each of its sub-folders holding ".TOC.plist" is a disc, mounted when the
// volumes are next listed (RefreshEmulatedVolumes). An empty path switches it off (discs
// mounted from it stay until ejected). A disc ejected is not mounted again from the media
// folder until the media folder is set anew.
void SetMediaFolder(const std::string& path);
const std::string& MediaFolder();

// Mounts a disc folder (absolute path). Gives its volume's reference number (the same one
// when it is mounted already), or 0 when the folder holds no ".TOC.plist" or no number is
// left.
SInt16 MountAudioCDFolder(const std::string& folder);
// Ejects a mounted disc: noErr; nsvErr when the number is no mounted disc; fBsyErr while a
// file on it is open.
OSErr EjectAudioCDVolume(SInt16 vRefNum);

// Forgets the discs and the media folder (the test API's reset; the volume table is reset
// by the catalogue).
void ResetAudioCDs();

}  // namespace files
}  // namespace sp_platform
