// What the file library's source files share among themselves. Not for other code.
#pragma once

#include <string>
#include <vector>

#include "CFString.h"
#include "Files.h"
#include "MacTypes.h"

namespace sp_filelib {

extern const char kSource[];     // "SpStdFileFunction"
extern const char kOSXSource[];  // "SpStdFileFunctionForOSX"

// The failure messages of the file library beyond the common ones.
extern const char kMsgRequiredArgument0L[];    // "Required argument is 0L"
extern const char kMsgRequiredArgumentNull[];  // "Required argument is null !!"
extern const char kMsgCannotAllocate[];        // "cannot allocated memory !!"
extern const char kMsgRenameError[];           // "Rename Error !!"
extern const char kMsgError[];                 // "Error !! "

// Reports a null pointer argument of the method (code 1, "Pointer Arg is 0L") and gives
// paramErr.
OSErr ReportNullPointer(const char* method);

// A name of this many bytes or more is a long name, which only the FSRef calls can carry.
enum { kLongNameBytes = 32 };

// The MacJapanese text encoding of the long-name calls.
enum : CFStringEncoding { kNameEncoding = kCFStringEncodingMacJapanese };

inline bool IsLongName(const char* name) {
  return std::char_traits<char>::length(name) >= std::size_t(kLongNameBytes);
}

// A length-prefixed name back as zero-terminated text; out holds name[0] + 1 bytes.
void ToCString(ConstStr255Param name, char* out);

// The classic name (at most 31 bytes) of an item given by its FSSpec, id and kind: the FSSpec's
// name when it fits, else the stand-in the classic catalogue shows for it, so that every
// listing names the item alike. out holds kLongNameBytes bytes.
OSErr ClassicNameOfItem(const FSSpec& spec, SInt32 id, bool isFolder, char* out);

// A cleared parameter block naming the file `name` in the folder dirID of the volume, for
// the classic file calls (PBHGetFInfoSync, PBHCreateSync ...).
void ClassicFileBlock(short vRefNum, SInt32 dirID, StringPtr name, HParamBlockRec* pb);

// What the catalogue says about one item found by (volume, folder, name).
struct ItemFacts {
  bool isFolder = false;
  SInt32 id = 0;        // the file's or folder's id
  SInt32 parentID = 0;  // its folder
  SInt16 vRefNum = 0;
};
// Looks the item up: a classic name through the classic catalogue, a long name through its
// FSRef. noErr, or the catalogue's error (fnfErr, dirNFErr ...).
OSErr LookUpItem(short vRefNum, SInt32 dirID, const char* name, ItemFacts* facts);

// A MacJapanese (or other encoding's) text as UTF-16 characters; false when it is empty or
// cannot be converted.
bool ToUnicode(const char* text, CFStringEncoding encoding, std::vector<UniChar>& out);

// Deletes the item and, for a folder, everything in it, depth first. noErr, or the first
// error (what was deleted before it stays deleted).
OSErr DeleteTree(const FSRef* item);

// The volume an FSRef lies on (0 when it cannot be read).
SInt16 VolumeOfRef(const FSRef* ref);

// Issues an asynchronous delete of (vRefNum, dirID, name): the request block lives until
// the file system has completed it.
OSErr DeleteAsync(short vRefNum, SInt32 dirID, ConstStr255Param name);

}  // namespace sp_filelib
