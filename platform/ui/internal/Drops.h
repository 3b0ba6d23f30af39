// Files dropped on the program from the desktop's file manager, as drags with one 'hfs ' item
// per file, and text dropped from another program, as a drag with one 'TEXT' item. The display backend delivers them here; the Drag Manager takes them from here
// (its receiver), and until one is installed they wait for TakePendingFileDrops. Not for the
// program's own code.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "MacWindows.h"

namespace sp_platform {
namespace drops {

// The 'hfs ' flavour: file type, creator, Finder flags, then the FSSpec (volume, parent id,
// Str63 name), big-endian, 80 bytes.
constexpr std::size_t kHFSFlavorSize = 80;
typedef std::array<UInt8, kHFSFlavorSize> HFSFlavorBytes;

struct FileDrop {
  Point where = {0, 0};         // global
  WindowRef window = nullptr;   // the window under the point then (null: none)
  std::vector<HFSFlavorBytes> items;  // one per file, in the order dropped
  std::string text;  // dropped text instead (MacJapanese, lines joined by CR)
};

// The 'hfs ' bytes of an absolute UTF-8 path: the file's type and creator ('fold' and 'MACS'
// for a folder) and Finder flags. False when the path names nothing the file layer can reach.
bool MakeHFSFlavor(const std::string& path, HFSFlavorBytes* out);

typedef void (*FileDropReceiver)(const FileDrop& drop, void* refCon);
// Null: drops wait in the pending list.
void SetFileDropReceiver(FileDropReceiver receiver, void* refCon);

// Makes the drop from the paths (those that name nothing are left out) and hands it on.
// fnfErr when no path gave an item (nothing delivered), paramErr for an empty list.
OSErr DeliverFileDrop(Point where, const std::vector<std::string>& paths);

// Text dropped from another program: its lines (UTF-8, in the order they came) joined by CR
// in MacJapanese. paramErr when there is no text.
OSErr DeliverTextDrop(Point where, const std::vector<std::string>& utf8Lines);

// Dropped text: its lines (UTF-8, each with or without its LF or CR LF ending) joined by CR
// in MacJapanese.
std::string MacTextOfLines(const std::vector<std::string>& utf8Lines);
// The lines of a UTF-8 text, split at LF (a CR before it stays with the line).
std::vector<std::string> LinesOf(const std::string& utf8);

// The local files a text/uri-list names, in order: file: URIs with no host or "localhost",
// their %XX escapes decoded. Comments, other schemes and hosts, relative paths and escapes of
// NUL are left out.
std::vector<std::string> PathsOfUriList(const std::string& list);

// The drop's 'hfs ' items of the paths (those that name nothing are left out).
std::vector<HFSFlavorBytes> ItemsOfPaths(const std::vector<std::string>& paths);

// The drops no receiver took, oldest first (at most kMaxPendingDrops; older ones are let go),
// and forgets them.
constexpr std::size_t kMaxPendingDrops = 16;
std::vector<FileDrop> TakePendingFileDrops();

}  // namespace drops
}  // namespace sp_platform
