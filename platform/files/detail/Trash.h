// The freedesktop Trash, as the File Manager's changes see it. Not for the program's own code.
//
// A Trash is a folder holding "files" (the trashed items) and "info" (one "<name>.trashinfo"
// per item at the top of "files", saying where the item came from and when it was trashed).
// The home Trash is $XDG_DATA_HOME/Trash (default ~/.local/share/Trash); another volume has
// $topdir/.Trash/$uid when $topdir/.Trash is a sticky folder (not a symbolic link), else
// $topdir/.Trash-$uid. The Folder Manager's 'trsh' folder is the "files" folder of one of
// them. Other programs use the same folders at the same time.
//
// The catalogue's move, rename and delete calls tell this module about every change they
// make, with absolute UTF-8 paths, so that each item at the top of a "files" folder keeps its
// info file and no info file outlives its item:
//   - an item moved in gets a new info file (the original path and the deletion date), made
//     before the move under a name nobody else holds; the item takes that name, which is its
//     own unless that is taken or too long for "<name>.trashinfo" (see TrashWillMove);
//   - an item renamed inside "files" takes its info file along;
//   - an item moved out or deleted loses its info file.
// A file replaced by FSReplaceFileKeepingOldInTrash (Trash.cpp) comes in under a second name
// while it keeps its own: its info file is made empty first (which reserves the name, and lists
// nothing), then the item is linked in (copied on a file system without links), then the info
// file is written; a kill at any point leaves no entry without its item. The empty info file and
// the item are recorded as temporary files (detail/Temporaries.h) until the info file is
// written, so that what a kill left goes later, each only as the very file made.
//
// The hooks cost little when no Trash is involved, and they are called for every change: the
// move hook also keeps the paths FlushVol remembers for written files in step. They never
// touch the item itself.
#pragma once

#include <string>

#include "MacTypes.h"

namespace sp_platform {
namespace files {

// Before moving or renaming `from` to `to` (both absolute). Answers noErr when the change may
// go ahead, or the code that refuses it. For a move into a Trash from elsewhere, the Trash's
// folders are made and the item's info file is created (never over an existing one), and
// `to` may change to another name in the same "files" folder: the name cut so that
// "<name>.trashinfo" fits in 255 bytes, and when an info file or an item holds that, the name
// and " 1", " 2", ... (cut likewise). dupFNErr when an item holds the name itself. For a
// rename inside a Trash: bdNamErr (-37) when the new name's info file name would be too long.
// After a failed move, TrashMoveFailed removes the info file made here.
OSErr TrashWillMove(const std::string& from, std::string& to);

// After a move that TrashWillMove allowed failed: the info file it made goes.
void TrashMoveFailed(const std::string& from, const std::string& to);

// After `from` was moved or renamed to `to` (as TrashWillMove left it) successfully. Renames
// or removes the info files as above. A failure to rename an info file is answered; noErr
// otherwise, also when no Trash is involved.
OSErr TrashDidMove(const std::string& from, const std::string& to);

// After `path` was deleted successfully (a file or an empty folder). Removes its info file
// when it sat at the top of a Trash's "files" folder.
void TrashDidDelete(const std::string& path);

// The Trash folder ("Trash" or ".Trash-$uid", holding "files" and "info") that `folder`
// is the "files" folder of; empty when `folder` is no Trash's "files" folder. `folder` is
// absolute and need not exist.
std::string TrashOfFilesFolder(const std::string& folder);

// The home Trash: $XDG_DATA_HOME/Trash, or $HOME/.local/share/Trash. Read from the
// environment at each call, so tests that move HOME see their own Trash.
std::string HomeTrashFolder();

// The Trash of a volume other than the home one: "<mountPoint>/.Trash/<uid>" when
// "<mountPoint>/.Trash" is a sticky folder and no symbolic link (and "<uid>" is a folder in it
// or can be made there), else "<mountPoint>/.Trash-<uid>".
std::string VolumeTrashFolder(const std::string& mountPoint);

// Makes "<trash>/files" and "<trash>/info" (0700, and the Trash itself) as needed. noErr, or
// the mapped errno of the first mkdir that failed.
OSErr EnsureTrashFolders(const std::string& trash);

// The text of an info file: "[Trash Info]", "Path=" and the percent-encoded original path
// (absolute in the home Trash, relative to the volume's top folder in a volume's own),
// "DeletionDate=" and the local date as YYYY-MM-DDThh:mm:ss, each line ended by a line feed.
// `localSecondsSince1904` is the program's clock.
std::string TrashInfoText(const std::string& originalPath, SInt64 localSecondsSince1904);

// Percent-encoding of a path for the "Path=" key: bytes other than letters, digits, "/" and
// "-_.!~*'()" become %XX (upper-case hex).
std::string TrashEncodePath(const std::string& path);

// The original path an info file's text records, absolute: a relative "Path=" is taken from
// the top folder of the volume `trash` is on (where it is mounted now). Empty when the text
// has no usable "Path=" in its "[Trash Info]" group.
std::string TrashInfoOriginalPath(const std::string& trash, const std::string& infoText);

// Test hook: while set, files are never linked into a Trash, as on a file system without hard
// links (FSReplaceFileKeepingOldInTrash then copies).
void RefuseHardLinksForTests(bool refuse);

}  // namespace files
}  // namespace sp_platform
