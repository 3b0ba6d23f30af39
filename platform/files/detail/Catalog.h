// The file layer's identity model, shared by its modules. Not for the program's own code.
//
// Volumes: the table of mounted volumes (from /proc/self/mountinfo, built on first use and
// read again when the kernel marks it changed) plus the emulated audio-CD volumes the CD
// module adds. The catalogue: node ids of files and
// folders, per volume, mapped to the path where the layer saw them last and to what tells the
// item from another that later takes its inode number (detail/Identity.h), verified on every
// use and persisted in "$XDG_DATA_HOME/mediamanager/file-catalogue", so that ids (and FSRefs,
// which hold them) resolve after the program's restart and never name another item. Names: the crossing
// between Linux names (UTF-8) and the program's names (MacJapanese classic names, UTF-16
// Unicode names). Errors: the one errno mapping of the layer.
//
// What the other areas use (locating items, errors, Finder information) is declared in
// files/internal/FileLocations.h.
//
// Paths here are absolute UTF-8 Linux paths without a trailing '/' ("/" itself excepted).
// Every module that makes, moves, renames or deletes an item through its own system calls
// tells the catalogue (NoteMoved, NoteDeleted), so ids follow their items.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

#include "Files.h"
#include "MacTypes.h"
#include "files/internal/FileLocations.h"
#include "files/internal/MountTableHold.h"
#include "files/internal/TestHooks.h"

namespace sp_platform {
namespace files {

// ---- Volumes --------------------------------------------------------------------------------

enum : UInt32 {
  kVolumeReadOnly = 0x1,
  kVolumeNetwork = 0x2,     // NFS, SMB, SSHFS, ...: vMServerAdr is set
  kVolumeEmulatedCD = 0x4,  // added by the emulated audio-CD module
};

struct Volume {
  SInt16 vRefNum = 0;
  std::string mountPoint;  // the root folder's path
  // UTF-8: the mount point's base name ("Root" for "/"), with " 2", " 3", ... where an
  // earlier volume has that name or its classic form; given once, kept while mounted.
  std::string name;
  std::string fsType;  // from mountinfo ("ext4", "nfs", ...); "audiocd" for emulated CDs
  dev_t device = 0;    // st_dev of the root folder
  UInt32 flags = 0;
  UInt16 filesystemID = 0;  // kSpAudioCDFileSystemID for emulated CDs, else 0
  bool emulated = false;    // added by AddEmulatedVolume (a folder shown as a volume)
};

// The volume of a reference number: -1 (and kOnSystemDisk, 0) is the one holding $HOME.
// Null for an unknown number. A pointer stays valid until the layer is reset, also after its
// volume was unmounted or removed.
const Volume* FindVolume(SInt16 vRefNum);
// Volumes in listing order (the home volume first, then the others, emulated CDs last),
// from 1; null past the last. Calls RefreshEmulatedVolumes first when index is 1.
const Volume* VolumeAtIndex(ItemCount index);
// The volume whose name is this (UTF-8, case-sensitive); null when none.
const Volume* VolumeNamed(const std::string& name);
// The volume a path lies on: the one with the longest root folder that holds the path
// (emulated CDs are folders inside another volume and take their own items).
const Volume* VolumeOfPath(const std::string& path);

// Adds a volume rooted at an existing folder (its items then belong to it, not to the volume
// holding the folder); gives its reference number, 0 when the folder does not exist or no
// number is left. Adding the same folder again gives the same number. Numbers of removed
// volumes are not reused. `name` empty: the folder's name.
SInt16 AddEmulatedVolume(const std::string& folder, const std::string& name, UInt32 flags,
                         UInt16 filesystemID);
// Removes an emulated volume; false for an unknown number or a mounted volume.
bool RemoveEmulatedVolume(SInt16 vRefNum);

// Implemented by the emulated audio-CD module: mounts the discs of the media folder that are
// not mounted yet. Called before volumes are listed by index.
void RefreshEmulatedVolumes();

// ---- Locations ------------------------------------------------------------------------------

// The item with this id on the volume (2 the root folder). fnfErr when it is gone.
OSErr LocateNode(SInt16 vRefNum, UInt32 nodeID, Location& out);
// Reads the item again after a change (exists, kind, stat, id).
void Refresh(Location& location);
// The path of the items in a folder: its own, or for a symbolic link to a folder the real
// path of its target (items seen through a link are recorded where they are).
std::string PathInside(const Location& folder);

// The name is the classic name of at most 63 bytes.
void MakeFSSpec(const Location& location, FSSpec* spec);

// ---- Changes --------------------------------------------------------------------------------

// After the item at `from` (a file or a folder with everything in it) went to `to` by
// rename(2): its id and the ids under it follow it.
void NoteMoved(const std::string& from, const std::string& to);
// After the item at `path` was deleted: its id is forgotten.
void NoteDeleted(const std::string& path);

// ---- Names ----------------------------------------------------------------------------------

// The MacJapanese classic name of an item: the Linux name with ':' shown as '/' (a name that
// is no UTF-8 but Shift-JIS: its own bytes), or its stand-in (the characters that fit, '#',
// the id in upper-case hex, a short extension) when MacJapanese cannot hold it or it is
// longer than `limit` bytes. Given the item's folder, a Shift-JIS name whose decoding a UTF-8
// name beside it holds gets the stand-in, so the two never share a name.
std::string ClassicName(const std::string& linuxName, UInt32 nodeID, std::size_t limit,
                        const std::string& folder = std::string());
// A classic (MacJapanese) name as a Linux name; false when it is empty, "." or "..", holds a
// ':' or a NUL, or is no valid MacJapanese.
bool LinuxNameFromClassic(const unsigned char* bytes, std::size_t length, std::string& out);
// UTF-16 names of the FSRef calls, '/' standing for the Linux ':', U+DC80..U+DCFF for the
// bytes of a name that are no UTF-8 (as UnicodeName gives them). False as above, or for
// more than 255 units.
bool LinuxNameFromUnicode(const UniChar* chars, std::size_t count, std::string& out);
// The Linux name of a classic name that is no UTF-8 on disk: a Shift-JIS name, whose classic
// name is its own bytes. False when the bytes are UTF-8 or no round-tripping MacJapanese.
bool RawLinuxNameFromClassic(const unsigned char* bytes, std::size_t length, std::string& out);
// The item in the folder whose stand-in (of an FSSpec's or a classic call's length) the
// MacJapanese name is; fnfErr when it is no stand-in or none of the folder's items has it.
OSErr LocateStandIn(const Location& folder, const std::string& classic, Location& out);
// The item of a Unicode name in a folder: the Linux name LinuxNameFromUnicode gives, else the
// Shift-JIS name the text decodes from, else the item whose stand-in the text is (a name the
// program took from an FSSpec and hands to a Unicode call). bdNamErr for a name no Linux name
// matches; on fnfErr `out` is the missing item under the first of those names.
OSErr LocateUnicodeInFolder(const Location& folder, const UniChar* chars, std::size_t count,
                            Location& out);
// The Unicode name of a Linux name (cut at 255 units on a character boundary): a Shift-JIS
// name that is no UTF-8 as its decoding; other bytes that are no UTF-8 as U+DC80 + byte.
// Given the folder, a Shift-JIS name beside the UTF-8 name of its decoding shows its escapes.
void UnicodeName(const std::string& linuxName, HFSUniStr255* out,
                 const std::string& folder = std::string());

// ---- Finder information and dates ------------------------------------------------------------

// Conversions between Unix times and the toolbox's seconds since 1904.
SInt64 UTC1904FromUnix(SInt64 unixSeconds);
SInt64 UnixFromUTC1904(SInt64 utcSecondsSince1904);
// Local seconds since 1904 as the classic records hold them (cut to 32 bits).
UInt32 Local1904FromUTC1904(SInt64 utcSecondsSince1904);
SInt64 UTC1904FromLocal1904(SInt64 localSecondsSince1904);

// ---- State ----------------------------------------------------------------------------------

// Saves the catalogue when ids were handed out or moved since it was last saved, taking in
// under a lock what other instances of the program saved meanwhile (the records this run
// changed win): the records changed are appended to the catalogue's journal, or, when the
// journal has grown past the catalogue file or goes with another one, the whole file is
// written anew. Once it returns noErr the ids survive a crash. FlushVol calls it. The error
// when it could not be saved; a file that is there but cannot be read is kept as it is.
OSErr SaveCatalogue();
// Saves as SaveCatalogue does, but always writes the whole file, folding the journal into
// it and dropping the records of items that are gone. It runs at the program's normal exit.
OSErr CompactCatalogue();
// The program's own data folder, "$XDG_DATA_HOME/mediamanager" (default
// "~/.local/share/mediamanager"); nothing is created.
std::string ProgramDataFolder();
// "<the program's data folder>/file-catalogue".
std::string CatalogueFilePath();

}  // namespace files
}  // namespace sp_platform
