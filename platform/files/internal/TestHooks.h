// The file layer's state that only the test API resets. Not for the program's own code.
#pragma once

#include <string>
#include <vector>

#include "MacTypes.h"

namespace sp_platform {
namespace files {

// Saves the catalogue and drops it from memory: the next use reads it back from its file,
// as after the program's restart.
void RestartCatalogue();
// Forgets the volume table and the catalogue without saving (the test API's reset): the next
// use reads $HOME, the XDG folders and the catalogue file again.
void ResetCatalogueAndVolumes();
// Items whose inode number is above `largest` get synthetic ids, as on file systems with
// 64-bit inode numbers (normally 0x7FFFFFFF; ResetCatalogueAndVolumes restores that).
void SetLargestInodeIdForTests(UInt32 largest);
// How many records the moves and deletions have examined so far: those of the item and what
// it holds, not the whole catalogue.
UInt64 CatalogueRecordsExamined();
// Only these of what tells items apart besides their inode numbers are read: bits 0x1 the
// birth time, 0x2 the generation, 0x4 the stamp attribute (see detail/Identity.h); all of
// them by default and after ResetCatalogueAndVolumes.
void SetIdentitySourcesForTests(UInt8 known);

// Closes every open fork (without flushing) and forgets the files waiting for a flush: the
// test API's reset.
void CloseAllForks();
// What the layer learns of the disk's writing (see SpForkWritesBehind): what the system tells
// (the default, and again after CloseAllForks), nothing (as on a system that cannot tell), or
// that the disk is still writing every byte asked about (as a disk far behind).
enum class WritebackReport { kSystem, kUnknown, kBehind };
void SetWritebackReportForTests(WritebackReport report);

// The drives looked at for audio CDs: these paths (a ".cue" image stands for a drive holding
// that disc) instead of the machine's drives, until UseSystemDiscDrives.
void SetDiscDrives(const std::vector<std::string>& drives);
void UseSystemDiscDrives();

}  // namespace files
}  // namespace sp_platform
