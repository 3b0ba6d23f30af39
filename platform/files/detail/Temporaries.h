// Records of the files the program makes only for a while (see "Temporary files" in Files.h).
// Not for the program's own code.
//
// A record is a small file in "<the program's data folder>/temporaries", named after the
// process, the number it counts and its machine (see internal/SideFiles.h): 'SpTm', the
// version (2), the kind, the process's id and start time (clock ticks after boot, from /proc;
// 0 when unknown), the machine and its boot (two 32-bit marks), the file's absolute path
// (16-bit length and bytes) and then, at a fixed place after the path, what tells the file
// from another that later takes its name: a flag, the device, the inode number, its kind and
// what else is known of it (detail/Identity.h). The record is written whole and synced before
// the file is made, and the identity is written into it in place once the file exists, with
// no change to a folder in between, so that a kill leaves either a record without a file or a
// record that knows its file. A record of a Trash entry removes only what lies where such an
// entry lies: at the top of a Trash's "files" folder, or in its "info" folder.
//
// A leftover is removed only while it is still the very file recorded and no live process
// records the same path; a record that never learnt its file removes nothing, except an empty
// Trash entry made just after the record was written (a kill fell between the two). Only this
// machine's records are judged: another machine sharing the folder (a home over the network)
// may be running the process named, so its records and their files stay. Version 1 records,
// which carry no machine, are taken for this machine's. Records are opened only when they are
// regular files, and without waiting.
#pragma once

#include <string>

#include "MacTypes.h"

namespace sp_platform {
namespace files {

enum class TemporaryKind : UInt8 {
  kFile = 1,  // a file written before it takes another's place
  // A Trash info file made before its item: a leftover goes only while it is empty.
  kTrashInfo = 2,
  // The item that comes into a Trash under such an info file's name: a leftover goes only
  // while its info file is missing or empty (once written, the item is the Trash's).
  kTrashItem = 3,
};

// Records that this process is about to make the item at `path`. noErr and the record's
// number (never 0), or the error of the data folder with nothing written.
OSErr RecordTemporary(const std::string& path, TemporaryKind kind, UInt32& number);
// After the item was made: the record takes down which item is at its path now. With `like`,
// before it is made as a second name of the file at `like` (a hard link): that file is
// taken down.
OSErr TemporaryMade(UInt32 number, const std::string& like = std::string());
// The item took its final place or is gone: its record goes. Unknown numbers are ignored.
void ForgetTemporary(UInt32 number);
// Removes the recorded items of processes that have ended, and their records (a record whose
// folder is missing is kept: its volume may come back). Gives how many items went.
int RemoveLeftoverTemporaries();

// Makes what is at `path` reach the disk: a file's data, a folder's entries.
OSErr SyncPath(const std::string& path);

// "<the program's data folder>/temporaries".
std::string TemporariesFolder();

}  // namespace files
}  // namespace sp_platform
