// The tag record: the music information of one sound file.
//
// A record holds the tags of one file (title, artist, album, track, genre and any other frame)
// in whatever scheme they were found: ID3 v1, ID3 v2.2, v2.3 or v2.4, the text chunks of an
// AIFF file, QuickTime movie user data, or MP4 'meta' data. The readers fill it, the writers
// turn it back into bytes, and the engine and the media window read it through the getters.
// Items keep the scheme's own four-character codes and raw bytes; text becomes the program's
// zero-terminated MacJapanese string only when a getter asks for it.
//
// Items of an ID3 record:
// - text frames (ids beginning with "T", 'IPLS'/'IPL ', 'WXXX'/'WXX ', 'COMM'/'COM ') hold their
//   content without the encoding byte, which is the item's text code (0 ISO Latin-1, 1 UTF-16
//   with byte-order mark, 2 UTF-16 big-endian, 3 UTF-8);
// - a comment ('COMM', 'COM ') holds three bytes of language, the description and its
//   terminator, then the text, in the one layout whichever version it came from;
// - a text item without a text code holds the program's own text (an ID3 v1 tag, or text a
//   caller stored with SetupNewTextData): writers encode it as ISO Latin-1 when that loses
//   nothing, else as UTF-16;
// - other frames hold their content whole.
// ID3 v1 tags become v2.3-id items: 'TIT2', 'TPE1', 'TALB', 'TYER', 'COMM' (language "eng",
// empty description), 'TRCK' as the text of the number ("7") and 'TCON' as "(17)".
//
// Data blocks are Memory Manager blocks (NewPtrClear), zero-filled and owned by their item;
// a block handed to an item (SetupDataMemory, SetupNewTextDataMemory) is taken over and freed
// with DisposePtr. Records and items are made with new (std::nothrow) and live in the Memory
// Manager's heap; the record owns its items, the creator of a record owns it and deletes it.
//
// An operation given a null required pointer sounds the beep, logs one record (source
// "SpQTInterface", the operation's qualified name, the fixed message) and answers 0, null or
// paramErr by its type.
#pragma once

#include <cstddef>
#include <new>
#include <string>

#include "MacTypes.h"
#include "Movies.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"
#include "UserData.h"

class cSayErrorNoMgr;

// The record's kind, held in one byte.
typedef UInt8 tMusicFileInfoType;
enum : tMusicFileInfoType {
  kSpMusicInfo_ID3 = 1,          // ID3 v1 and v2 alike; the version tells them apart
  kSpMusicInfo_ID3ForWrite = 2,  // ID3, written and counted like 1
  kSpMusicInfo_ID3Other = 3,     // ID3, read like 1
  kSpMusicInfo_QTUserData = 4,   // QuickTime movie user data
  kSpMusicInfo_AIFFChunk = 5,    // AIFF text chunks 'NAME', 'AUTH', 'ANNO'
  kSpMusicInfo_MP4Meta = 6,      // MP4 'meta' ('ilst') data
};

// Four-character codes used by the record.
enum : UInt32 {
  kSpID3_TIT2 = 0x54495432,   // 'TIT2'
  kSpID3_TALB = 0x54414C42,   // 'TALB'
  kSpID3_TPE1 = 0x54504531,   // 'TPE1'
  kSpID3_TRCK = 0x5452434B,   // 'TRCK'
  kSpID3_TIT1 = 0x54495431,   // 'TIT1'
  kSpID3_TCON = 0x54434F4E,   // 'TCON'
  kSpID3_TYER = 0x54594552,   // 'TYER'
  kSpID3_COMM = 0x434F4D4D,   // 'COMM'
  kSpID3_TXXX = 0x54585858,   // 'TXXX'
  kSpID3_IPLS = 0x49504C53,   // 'IPLS'
  kSpID3_WXXX = 0x57585858,   // 'WXXX'
  kSpID3_APIC = 0x41504943,   // 'APIC'
  kSpID3_TT2 = 0x54543220,    // 'TT2 '
  kSpID3_TAL = 0x54414C20,    // 'TAL '
  kSpID3_TP1 = 0x54503120,    // 'TP1 '
  kSpID3_TRK = 0x54524B20,    // 'TRK '
  kSpID3_TT1 = 0x54543120,    // 'TT1 '
  kSpID3_TCO = 0x54434F20,    // 'TCO '
  kSpID3_COM = 0x434F4D20,    // 'COM '
  kSpID3_TXX = 0x54585820,    // 'TXX '
  kSpID3_IPL = 0x49504C20,    // 'IPL '
  kSpID3_WXX = 0x57585820,    // 'WXX '
  kSpID3_PIC = 0x50494320,    // 'PIC '
  kSpQT_nam = 0xA96E616D,     // '©nam'
  kSpQT_alb = 0xA9616C62,     // '©alb'
  kSpQT_ART = 0xA9415254,     // '©ART'
  kSpQT_trk = 0xA974726B,     // '©trk'
  kSpQT_gen = 0xA967656E,     // '©gen'
  kSpQT_cmt = 0xA9636D74,     // '©cmt'
  kSpQT_grp = 0xA9677270,     // '©grp'
  kSpMP4_trkn = 0x74726B6E,   // 'trkn'
  kSpMP4_disk = 0x6469736B,   // 'disk'
  kSpMP4_gnre = 0x676E7265,   // 'gnre'
  kSpMP4_tmpo = 0x746D706F,   // 'tmpo'
  kSpMP4_covr = 0x636F7672,   // 'covr'
  kSpMP4_grp = 0x20677270,    // ' grp'
  kSpAIFF_NAME = 0x4E414D45,  // 'NAME'
  kSpAIFF_AUTH = 0x41555448,  // 'AUTH'
  kSpAIFF_ANNO = 0x414E4E4F,  // 'ANNO'
};

// ID3 text-encoding bytes.
enum : UInt8 {
  kSpID3TextLatin1 = 0,
  kSpID3TextUTF16 = 1,    // with byte-order mark
  kSpID3TextUTF16BE = 2,  // without mark
  kSpID3TextUTF8 = 3,
};

// ---- One item -------------------------------------------------------------------------------

class cSp_MusicFileMusicInfoDataItemObj : public cSpListLinks<cSp_MusicFileMusicInfoDataItemObj>,
                                          public cSpMacHeapObject {
 public:
  explicit cSp_MusicFileMusicInfoDataItemObj(UInt32 type) : type_(type) {}
  ~cSp_MusicFileMusicInfoDataItemObj();
  cSp_MusicFileMusicInfoDataItemObj(const cSp_MusicFileMusicInfoDataItemObj&) = delete;
  cSp_MusicFileMusicInfoDataItemObj& operator=(const cSp_MusicFileMusicInfoDataItemObj&) = delete;

  // Stores length bytes of text followed by a zero byte (a block of length + 2 bytes is made
  // unless the current one is just that size). A length of 0 or less leaves the item without
  // data. With trimTrailingBlanks, a run of blanks that ends the text is dropped unless the
  // text is nothing but blanks. memFullErr (and no data) when no block can be had.
  OSErr SetupTextValue(const char* text, SInt32 length, unsigned char trimTrailingBlanks);
  void SetupTextCodeByte(char encoding);
  void SetupFlagInfo(UInt32 flags);
  // Takes over the block (made by NewPtr or NewPtrClear; null drops the data), releasing the
  // old one. The data length is kept within the block.
  void SetupDataMemory(char* memory, SInt32 memorySize, SInt32 dataLength);

  // The type, the data block and the memory size given with it. 1.
  short GetItemDataPtr(UInt32& type, char** data, SInt32* memorySize);
  // Copies min(data length, bufferSize - 2) bytes and a zero byte (an empty string when
  // bufferSize is 2 or less). *dataLength gets the item's full length, *copied the bytes
  // copied; both may be null. 1, or 0 for a null buffer.
  short GetItemTextData(UInt32& type, char* buffer, SInt32 bufferSize, SInt32* dataLength,
                        SInt32* copied);
  // The item's text as a zero-terminated string of the program's text (at most
  // bufferSize - 1 bytes; *error raised when it had to be cut), chosen by the record's kind.
  // 1 when text was delivered, else 0 and the buffer untouched.
  short GetTextDataIntoTargetMemory(tMusicFileInfoType kind, short major, char* buffer,
                                    SInt32 bufferSize, unsigned char* error);
  // This item or the first one after it of that type; null when there is none.
  cSp_MusicFileMusicInfoDataItemObj* SerchTargetDataTypeItem(UInt32 type);

  UInt32 GetItemType() const { return type_; }
  char* GetDataPtr() const { return data_; }
  SInt32 GetDataLength() const { return data_ == nullptr ? 0 : dataLength_; }
  SInt32 GetMemorySize() const { return memorySize_; }
  unsigned char IsTextCodeSet() const { return textCodeSet_; }
  UInt8 GetTextCode() const { return textCode_; }
  unsigned char IsFlagInfoSet() const { return flagInfoSet_; }
  UInt32 GetFlagInfo() const { return flagInfo_; }

  // ---- ID3 writing, from this item to the end of the list ----------------------------------
  // The frames of the items in the target scheme (above22: ID3 v2.3 frames, else v2.2), by
  // the record's kind and version. Items that give no frame are left out. noErr and the bytes
  // written (or measured); memFullErr when the memory target is too small; a file error.
  OSErr WriteID3TagInTargetOpenedFileOnLink(tMusicFileInfoType kind, short main, short major,
                                            short refNum, unsigned char above22, UInt32* written);
  OSErr WriteID3TagInTargetMemoryOnLink(tMusicFileInfoType kind, short main, short major,
                                        char* memory, UInt32 memorySize, unsigned char above22,
                                        UInt32* written);
  OSErr GetID3TagMemorySizeOnLink(tMusicFileInfoType kind, short main, short major,
                                  unsigned char above22, UInt32* size);

  // One item's frame: noErr and its bytes, paramErr when the item gives no frame, memFullErr
  // when the memory target is too small, or a file error.
  OSErr WriteID3TagInTargetOpenedFile_FromID3Data(short main, short major, short refNum,
                                                  unsigned char above22, UInt32* written);
  OSErr WriteID3TagInTargetMemory_FromID3Data(short main, short major, char* memory,
                                              UInt32 memorySize, unsigned char above22,
                                              UInt32* written);
  OSErr GetID3TagInTargetMemorySize_FromID3Data(short main, short major, unsigned char above22,
                                                UInt32* size);
  OSErr WriteID3TagInTargetOpenedFile_FromMP4Data(short refNum, unsigned char above22,
                                                  UInt32* written);
  OSErr WriteID3TagInTargetMemory_FromMP4metaUserData(char* memory, UInt32 memorySize,
                                                      unsigned char above22, UInt32* written);
  OSErr GetID3TagInTargetMemorySize_FromMP4metaUserData(unsigned char above22, UInt32* size);

  // ---- Movie user data and MP4 'meta' writing (SpQTUserData.cpp) ----------------------------
  // Writes the items, from this one on, into the user data; 1 when an item of an ID3 record
  // was converted. For ID3 items, GetTextDataIntoTargetMemory gives the text to store (the
  // comment's text alone for 'COMM'/'COM ').
  unsigned char SetupID3intoMovieFileWithUserDataOnLink(tMusicFileInfoType kind, short major,
                                                        UserData userData);
  // The 'ilst' atoms of the items, from this one on, into buffer (size bytes; used gets the
  // bytes written), and their measured size.
  OSErr WritePM4TagInTagergetMemory_FromID3TagOnLink(char* buffer, UInt32 size, UInt32& used);
  OSErr GetPM4TMusicInfoSize_FromID3TagOnLink(UInt32& size);
  OSErr WritePM4TagInTagergetMemory_FromMP4InfoOnLink(char* buffer, UInt32 size, UInt32& used);
  OSErr GetPM4TMusicInfoSize_FromMP4InfoOnLink(UInt32& size);

 private:
  UInt32 type_;
  char* data_ = nullptr;
  SInt32 memorySize_ = 0;
  SInt32 dataLength_ = 0;
  unsigned char textCodeSet_ = 0;
  UInt8 textCode_ = 0;
  unsigned char flagInfoSet_ = 0;
  UInt32 flagInfo_ = 0;
};

// ---- The record -----------------------------------------------------------------------------

class cSp_MusicFileMusicInfoDataObj : public cSpMacHeapObject {
 public:
  explicit cSp_MusicFileMusicInfoDataObj(tMusicFileInfoType kind) : kind_(kind) {}
  ~cSp_MusicFileMusicInfoDataObj();
  cSp_MusicFileMusicInfoDataObj(const cSp_MusicFileMusicInfoDataObj&) = delete;
  cSp_MusicFileMusicInfoDataObj& operator=(const cSp_MusicFileMusicInfoDataObj&) = delete;

  // Deletes every item.
  void WipeoutUserDataItem();
  // ID3 v1: main 1, major 1 for v1.1 else 0. ID3 v2: main 2, the header's major and revision.
  void SetupVersion(short main, short major, short revision);

  tMusicFileInfoType GetMusicInfoType() const { return kind_; }
  short GetVersionMain() const { return versionMain_; }
  short GetVersionMajor() const { return versionMajor_; }
  short GetVersionRevision() const { return versionRevision_; }
  cSp_MusicFileMusicInfoDataItemObj* GetFirstItemPtr() const { return first_; }
  cSp_MusicFileMusicInfoDataItemObj* GetLastItemPtr() const { return last_; }

  // Appends an empty item of the type; null when memory runs out.
  cSp_MusicFileMusicInfoDataItemObj* CreateNewSoundInfo(UInt32 type);
  // Appends an item holding the text (SetupTextValue); null when no item could be made.
  cSp_MusicFileMusicInfoDataItemObj* SetupNewTextData(UInt32 type, const char* text, SInt32 length,
                                                      unsigned char trimTrailingBlanks);
  // Appends an item that takes over an already filled block.
  cSp_MusicFileMusicInfoDataItemObj* SetupNewTextDataMemory(UInt32 type, char* memory,
                                                            SInt32 dataLength, SInt32 memorySize);
  // Appends a text item for writing as ID3, from a zero-terminated string in the given text
  // encoding (a CFStringEncoding; 1 for the program's MacJapanese). The text is stored as ISO
  // Latin-1 (text code 0) when that loses nothing, else as UTF-16 with byte-order mark (text
  // code 1). Ids beginning with "T", 'IPL '/'IPLS': the text; 'COM '/'COMM': language "eng",
  // an empty description, the text; 'WXX '/'WXXX': an empty description and the text. Other
  // ids, an empty text or one that does not convert append nothing (null). A record still at
  // version 0 that gets a v2.2 id ('TT2 ') becomes version 2.2.0, so its getters look for the
  // v2.2 ids it holds.
  cSp_MusicFileMusicInfoDataItemObj* SetupCStringIntoNewTextDataWithID3VersionUnder2(
      UInt32 frameId, const char* text, UInt32 encoding);

  // A cursor over the items: set on the first item by InitializeSequentialView (and by the
  // first append of SetupNewTextData or SetupNewTextDataMemory); each getter delivers the item
  // it stands on and moves to the next, answering 1, or 0 once the items are used up.
  void InitializeSequentialView();
  short GetSequentialViewItemDataPtr(UInt32& type, char** data, SInt32* memorySize);
  short GetSequentialViewItemTextData(UInt32& type, char* buffer, SInt32 bufferSize,
                                      SInt32* dataLength, SInt32* copied);

  // 1 for an ID3 record above v2.2 (main above 2, or main 2 with major above 2).
  unsigned char IsID3version2_2Over();
  // How many items become frames when the tag is written above v2.2 (above22 1) or as v2.2.
  SInt32 GetContainItemNumForID3(unsigned char above22);

  // The text of the title, album, artist and genre as zero-terminated strings of the
  // program's text (at most bufferSize - 1 bytes; *error raised when cut). 1 when text was
  // delivered. With no items at all the buffer gets an empty string; otherwise a getter that
  // delivers nothing leaves it as it was.
  short GetMusicTitle(char* buffer, SInt32 bufferSize, unsigned char* error);
  short GetAlbumTitle(char* buffer, SInt32 bufferSize, unsigned char* error);
  short GetArtistName(char* buffer, SInt32 bufferSize, unsigned char* error);
  // The genre name: the ID3 genre number in the text ("(17)", "17") names an entry of the
  // genre list; a text without a number is the genre itself. MP4 'gnre' names entry g.
  short GetGenreString(char* buffer, SInt32 bufferSize, unsigned char* error);
  // The track number and track count ("7", "7/12", "/12", MP4 'trkn'); either is 0 when the
  // tag has none, and numbers past 32767 are cut to it. count may be null. 1 when the tag gave
  // a number or a count.
  short GetTrackNo(short* track, short* count);

  // ---- ID3 writing (SpQTID3Writer.cpp) -------------------------------------------------------
  // The tag is ID3 v2.3 (above22 nonzero) or v2.2, without padding or extended header; frame
  // ids are turned into the target scheme, frames without counterpart left out.
  //
  // Writes the tag at the file's current position; *written = 10 + frame bytes. noErr;
  // paramErr when the record has no items; a file error, after which the file position is back
  // where the tag began (shown through `errors` when given).
  OSErr WriteID3TagInTargetOpenedFile(short refNum, unsigned char above22, cSayErrorNoMgr* errors,
                                      UInt32* written);
  // 10 + the bytes of the frames; 0 when the record has no items.
  UInt32 GetID3TagDrawingMemorySize(unsigned char above22);
  // The tag in a new zero-filled block of (its size + 4) bytes that the caller disposes of
  // (DisposePtr). paramErr when there is nothing to write, memFullErr.
  OSErr GetID3TagDrawedMemory(unsigned char above22, UInt32* tagLength, char** block,
                              UInt32* blockSize);

  // ---- Movie user data and MP4 'meta' writing (SpQTUserData.cpp) ----------------------------
  unsigned char SetupID3intoMovieFileWithUserData(Movie movie);
  OSErr SetupMusicInfoIntoMovieFileWithUserDataMetaType(Movie movie);
  OSErr SetupMusicInfoOnTargetMemoryWithMP4UserDataMetaType(char* buffer, UInt32 size,
                                                            UInt32& used);
  OSErr GetMusicInfoMemorySizeWithUserDataMetaType(UInt32& size);

 private:
  cSp_MusicFileMusicInfoDataItemObj* AppendItem(UInt32 type, const char* methodName);
  cSp_MusicFileMusicInfoDataItemObj* FindItem(UInt32 type) const;
  short GetTextOfItem(UInt32 id22, UInt32 idOther, UInt32 idQT, UInt32 idMP4, char* buffer,
                      SInt32 bufferSize, unsigned char* error, const char* methodName);
  // The ID3 column of the getters: v2.2 ids for a v2.2 record.
  bool UsesID3v22Ids() const;

  tMusicFileInfoType kind_;
  short versionMain_ = 0;
  short versionMajor_ = 0;
  short versionRevision_ = 0;
  cSp_MusicFileMusicInfoDataItemObj* first_ = nullptr;
  cSp_MusicFileMusicInfoDataItemObj* last_ = nullptr;
  cSp_MusicFileMusicInfoDataItemObj* cursor_ = nullptr;
};

// ---- Text ------------------------------------------------------------------------------------

// The bytes as a zero-terminated string of the program's text in a new handle (the caller
// disposes of it); *outLength gets the string's length. With convert set, the text code
// chooses the decoding: 0 ISO Latin-1, 1 UTF-16 (a leading byte-order mark decides the byte
// order, else big-endian), 2 UTF-16 big-endian, 3 UTF-8; characters the program's text cannot
// hold become "?". Convert clear, another text code or bytes that do not decode: the bytes
// are copied unchanged. Null when memory runs out.
Handle SpMuIO_GetMusicInfoTextData(const char* data, SInt32 length, unsigned char convert,
                                   UInt8 textCode, SInt32* outLength);

// 1 for the ids whose content begins with an encoding byte: ids beginning with "T" (both
// schemes), 'IPLS', 'IPL ', 'WXXX', 'WXX ', 'COMM', 'COM '.
unsigned char SpMuIO_IsID3TextFrameId(UInt32 frameId);
// 1 for a v2.2 id (three characters and a blank).
inline unsigned char SpMuIO_IsID3Version22Id(UInt32 frameId) {
  return (frameId & 0xFF) == 0x20 ? 1 : 0;
}

// ---- Shared by the record, the readers and the writers -----------------------------------------
namespace sp_musicinfo {

// Text in a CFStringEncoding (1: the program's MacJapanese, whose invalid bytes become
// U+FFFD) as UTF-16; false when it does not decode.
bool TextToUTF16(const char* bytes, std::size_t length, UInt32 encoding, std::u16string& out);
// Text for an ID3 frame: ISO Latin-1 when every character fits (answers text code 0), else
// UTF-16 little-endian with byte-order mark (answers 1).
UInt8 EncodeID3Text(const std::u16string& text, std::string& out);
// Where the text of a comment item (language, description, terminator, text) begins; false
// when it has no text. The terminator is two zero bytes in UTF-16 (text codes 1 and 2).
bool CommentTextStart(const UInt8* data, SInt32 length, bool wide, SInt32& start);
// Copies the zero-terminated program text into buffer (at most bufferSize - 1 bytes, cut
// before a two-byte character that does not fit); true when it had to be cut.
bool CopyProgramText(const char* text, std::size_t length, char* buffer, SInt32 bufferSize);
// The ID3 frame an item of a record of that kind and version becomes in the target scheme
// (above22: v2.3, else v2.2): its id and its content (encoding byte included). noErr, or
// paramErr when the item gives no frame (SpQTID3Writer.cpp).
OSErr PlanID3Frame(const cSp_MusicFileMusicInfoDataItemObj* item, tMusicFileInfoType kind,
                   short main, short major, unsigned char above22, UInt32& frameId,
                   std::string& content);

}  // namespace sp_musicinfo
