// Movie user data: an ordered list of typed items, as a movie file keeps them in its 'udta'
// atom.
//
// Each item is a type and its payload bytes, kept exactly as read. Items whose payload is
// international text (the usual form of the types starting with the byte 0xA9, '©nam' and
// the like) hold a list of entries, each a 16-bit byte count, a 16-bit Mac language code and
// that many text bytes in the language's script; the text calls read and write those
// entries. Indexes count the items of one type from 1, in list order.
//
// A movie's user data belongs to the movie (GetMovieUserData, Movies.h) and goes with it; a
// user data made by NewUserData or NewUserDataFromHandle is disposed by its owner. Every call
// sets the error GetMoviesError answers.
#pragma once

#include <cstddef>
#include <vector>

#include "MacTypes.h"

typedef struct UserDataRecord* UserData;

enum : OSErr {
  userDataItemNotFound = -2026,
};

// Mac language codes used by the text entries.
enum : SInt16 {
  langEnglish = 0,
  langJapanese = 11,
};

// Text item types the program reads and writes ('©' is the byte 0xA9).
enum : OSType {
  kUserDataTextFullName = 0xA96E616D,                     // '©nam'
  kUserDataTextArtist = 0xA9415254,                       // '©ART'
  kUserDataTextAlbum = 0xA9616C62,                        // '©alb'
  kUserDataTextAuthor = 0xA9617574,                       // '©aut'
  kUserDataTextChapter = 0xA9636870,                      // '©chp'
  kUserDataTextComment = 0xA9636D74,                      // '©cmt'
  kUserDataTextComposer = 0xA9636F6D,                     // '©com'
  kUserDataTextCopyright = 0xA9637079,                    // '©cpy'
  kUserDataTextCreationDate = 0xA9646179,                 // '©day'
  kUserDataTextEncodedBy = 0xA9656E63,                    // '©enc'
  kUserDataTextGenre = 0xA967656E,                        // '©gen'
  kUserDataTextOriginalArtist = 0xA96F7065,               // '©ope'
  kUserDataTextOriginalSource = 0xA9737263,               // '©src'
  kUserDataTextProducer = 0xA9707264,                     // '©prd'
  kUserDataTextSoftware = 0xA9737772,                     // '©swr'
  kUserDataTextTrack = 0xA974726B,                        // '©trk'
  kUserDataTextWriter = 0xA9777274,                       // '©wrt'
  kUserDataTextSpecialPlaybackRequirements = 0xA9726571,  // '©req'
  kUserDataMetaItem = SpFourCC("meta"),                   // the MP4 metadata item (raw payload)
  kUserDataTrackNumber = SpFourCC("trkn"),
  kUserDataListType = SpFourCC("udta"),
};

// A new, empty user data. paramErr for a null output, memFullErr when memory runs out.
OSErr NewUserData(UserData* theUserData);
// Disposes a user data made by NewUserData or NewUserDataFromHandle. paramErr for a null or
// unknown one, and for a movie's own user data (it goes with its movie).
OSErr DisposeUserData(UserData theUserData);

// The first type after `udType` in list order, each type once, in the order its first item
// stands: 0 starts the walk, 0 comes back after the last type (and for a null or unknown
// user data, or a type not in the list).
OSType GetNextUserDataType(UserData theUserData, OSType udType);
// How many items of the type the list holds (0 for a null or unknown user data).
SInt16 CountUserDataType(UserData theUserData, OSType udType);

// The payload of the index-th item of the type, into `data` (resized to it).
// userDataItemNotFound when there is no such item; paramErr for a null handle or user data,
// or an index below 1; memFullErr when the handle cannot grow.
OSErr GetUserData(UserData theUserData, Handle data, OSType udType, SInt32 index);
// Appends an item of the type holding the handle's bytes (it may be empty).
OSErr AddUserData(UserData theUserData, Handle data, OSType udType);
// Removes the index-th item of the type.
OSErr RemoveUserData(UserData theUserData, OSType udType, SInt32 index);

// The text of the entry of that language in the index-th item of the type, into `data`
// (resized to the text's bytes). userDataItemNotFound when the item or the entry is missing
// or the item holds no text entries.
OSErr GetUserDataText(UserData theUserData, Handle data, OSType udType, SInt32 index,
                      SInt16 itlRegionTag);
// Puts the handle's bytes as the entry of that language into the index-th item of the type:
// an entry of that language is replaced, else the entry is appended. Index count + 1 makes
// a new item at the end of the list. userDataItemNotFound for an index past that;
// paramErr for text over 65,535 bytes or an item whose payload is no text entry list (it is
// left as it is).
OSErr AddUserDataText(UserData theUserData, Handle data, OSType udType, SInt32 index,
                      SInt16 itlRegionTag);
// Removes the entry of that language from the index-th item of the type; an item left
// without entries is removed. userDataItemNotFound when the item or entry is missing.
OSErr RemoveUserDataText(UserData theUserData, OSType udType, SInt32 index, SInt16 itlRegionTag);

// The user data as a movie file holds it: one 'udta' atom (big-endian 32-bit size, the type
// 'udta', then each item as an atom of its size, its type and its payload, in list order),
// into `h` (resized to it).
OSErr PutUserDataIntoHandle(UserData theUserData, Handle h);
// A new user data read from such bytes: a whole 'udta' atom, or the item atoms alone. The
// bytes are untrusted: the items read before a malformed atom are kept, the rest is dropped.
// paramErr for a null handle or output; memFullErr when memory runs out.
OSErr NewUserDataFromHandle(Handle h, UserData* theUserData);

// ---- Reading stored bytes ---------------------------------------------------------------------
// The layer's one reader of atoms and text entries, for callers that hold the bytes
// themselves (an MP4 'meta' item, a text item's payload read by GetUserData). The bytes are
// untrusted: every size is checked against what is there.
namespace sp {
namespace quicktime {

// One atom inside a byte range.
struct Atom {
  OSType type = 0;
  std::size_t start = 0;      // offset of its size field
  std::size_t dataStart = 0;  // offset of its contents
  std::size_t dataSize = 0;   // bytes of its contents
};

enum : std::size_t {
  kMaxAtomsPerList = 100000,  // atoms read from one list at most
};

// The atoms that fill bytes [begin, end), in order: a 32-bit size (counting the 8-byte
// header), a type, and the contents; size 1 is followed by a 64-bit size; size 0 ends the
// list (the terminator some writers put after their items). The list also ends when fewer
// than 8 bytes are left. An atom whose size is smaller than its header or larger than what
// is left of the range ends the list: false then, with the atoms before it kept.
bool ListAtoms(const UInt8* bytes, std::size_t begin, std::size_t end, std::vector<Atom>& out);

// The first atom of that type among `atoms`; null when none.
const Atom* FindAtom(const std::vector<Atom>& atoms, OSType type);

// International text: entries of a 16-bit byte count, a 16-bit language code and the text.
struct TextEntry {
  UInt16 language = 0;
  std::vector<UInt8> text;
};
// The entries of a text item's payload. False when the payload is no such list: an entry
// longer than what is left, or an item holding atoms ('data' after a size, the MPEG-4 form).
// One to three bytes left after the last entry are ignored.
bool ParseTextEntries(const UInt8* payload, std::size_t size, std::vector<TextEntry>& out);

}  // namespace quicktime
}  // namespace sp
