// QuickTime interface and music information.
//
// The program's one door to QuickTime's Movie Toolbox for music information and sound-file
// checks:
// - the tables that carry tag identifiers between ID3 v2.2 frame ids, ID3 v2.3 frame ids,
//   QuickTime movie user-data types and MP4 'ilst' atom types, and the genre list (ID3 genre
//   numbers to names and back, from 'STR#' 7510);
// - reading a movie's user data (including an MP4 'meta' item) into a tag record, and writing
//   a tag record into a movie's user data;
// - reading and writing the ID3 tags of sound files (the section marked below);
// - QuickTime start-up, the idle timer that keeps movies serviced, the playable-sound test,
//   the description of a file's first sound track, the converter test, the lists of running
//   playback objects and the alert catcher.
//
// Four-character codes are 32-bit values (SpFourCC). ID3 v2.2 frame ids carry a blank in the
// fourth place ('TT2 '); QuickTime text types begin with the byte 0xA9 ('©nam' = 0xA96E616D).
#pragma once

#include "CarbonEvents.h"
#include "MacTypes.h"
#include "Movies.h"
#include "SoundConverter.h"
#include "SpErrorInfoSystem.h"
#include "SpQTMusicInfo.h"

// ---- Four-character codes of the tables -------------------------------------------------------
// QuickTime user-data text types begin with the byte 0xA9.
constexpr UInt32 SpQTI_CopyrightFourCC(const char (&tail)[4]) {
  return (UInt32{0xA9} << 24) | (UInt32(UInt8(tail[0])) << 16) | (UInt32(UInt8(tail[1])) << 8) |
         UInt32(UInt8(tail[2]));
}

// Mac language codes of user-data text: 0 English (MacRoman), 11 Japanese (MacJapanese).
enum : short {
  kSpQTI_UserDataLanguageEnglish = 0,
  kSpQTI_UserDataLanguageJapanese = 11,
};

// ---- Tag id tables ----------------------------------------------------------------------------
// Each answers 1 and sets the output when the id has a counterpart, else 0 with the output
// untouched.

// ID3 v2.2 frame id ('TT2 ') to the v2.3 id ('TIT2') and back.
short SpQTI_ChangeID3Version2_Over2_3_from_Under2_2(UInt32 id22, UInt32& id23);
short SpQTI_ChangeID3Version2_Under2_2_from_Over2_3(UInt32 id23, UInt32& id22);

// ID3 frame id (v2.2 or v2.3) to a QuickTime user-data type.
short SpQTI_ChangeID3FrameId_ToQuickTimeUserDataType(UInt32 frameId, UInt32& userDataType);

// QuickTime user-data type to the ID3 frame id of the target scheme: v2.3 ids when above22 is
// nonzero, v2.2 ids otherwise. This is the conversion that turns a tag record read from a
// movie's user data into ID3 frames.
short SpQTI_ChangeQTUserDataToID3Code(UInt32 userDataType, UInt32& frameId, unsigned char above22);

// 1 when a movie user-data item of this type is taken into a tag record ('meta' included).
short SpQTI_ChangeQuickTimeUserDataType_ToID3FrameId_Over2_3(UInt32 userDataType);

// ID3 frame id (v2.2 or v2.3) to an MP4 'ilst' atom type, and back to the target scheme.
short SpQTI_ChangeID3_FrameId_ToQuickTimeMetaUserDataType(UInt32 frameId, UInt32& atomType);
short SpQTI_ChangeQuickTimeMetaUserDataType_ToID3_FrameId(UInt32 atomType, UInt32& frameId,
                                                          unsigned char above22);

// 1 when an MP4 'meta' item of this atom type is taken into a tag record.
short SpQTM_CheckEnableMP4MetaDataType(UInt32 atomType);

// ---- Genre list -------------------------------------------------------------------------------
// Entry n is string n of 'STR#' 7510 (n from 1); ID3 genre g is entry g + 1. The list is built
// once, on first use, and kept until the program ends.
enum : short { kSpQTI_GenreListResID = 7510 };
// The longest name an entry holds, its zero byte included.
constexpr long kSpQTI_GenreNameSize = 1025;

void SpQTI_LoadGenreTable();
// Copies the name of entry `number` into `name` (at most nameSize - 1 bytes and a zero byte);
// 1 when the entry exists. Without nameSize the buffer must hold kSpQTI_GenreNameSize bytes.
short SpQTI_GenreNo_To_String(short number, char* name, long nameSize = kSpQTI_GenreNameSize);
// The number of the first entry whose name equals `name` exactly (case counts); 1 when found.
short SpQTI_String_To_GenreNo(const char* name, short& number);

// ---- Movie user data --------------------------------------------------------------------------
// Reads the movie's user data into a new tag record: a QuickTime user-data record (kind 4), or
// an MP4 record (kind 6) when the movie carries a 'meta' item with an 'ilst' atom. noErr with
// a record, or with none when nothing was taken; paramErr when the movie has no user data;
// memFullErr or a Movie Toolbox error otherwise (shown through `errors` when given). The
// caller owns the record.
//
// Text items are read at language 0, else 11, else (files of other programs mark their text
// with an ISO language code) from their first entry. Text items of a user-data record hold the text
// as the movie stores it; the item's flag information holds the language code it was read at, so
// that SpQTI_GetUserDataItemTextAsCString can turn it into the program's text.
OSErr SpQTI_LoadQuickTimeUserDataAndSetupMusicInfo(Movie movie, cSayErrorNoMgr* errors,
                                                   cSp_MusicFileMusicInfoDataObj*& record);

// Parses the bytes of an MP4 'meta' user-data item into a new MP4 record (kind 6). noErr with
// the record and its item count; paramErr when no item was taken or an atom is malformed;
// memFullErr when memory runs out.
OSErr SpQTI_ParseQuickTimeUserDataMetaDataAndSetupMusicInfo(const char* data, UInt32 size,
                                                            cSp_MusicFileMusicInfoDataObj*& record,
                                                            SInt32& count);

// The text of a user-data item as a zero-terminated string of the program's text, decoded by
// the language it was stored at: 11 (Japanese) MacJapanese, other Mac language codes (below
// 0x400) MacRoman, ISO language codes UTF-8 (UTF-16 when it begins with a byte-order mark).
// At most bufferSize - 1 bytes are written, cut on a character boundary (*cut set when given).
// 1 when text was delivered.
short SpQTI_GetUserDataItemTextAsCString(const char* data, SInt32 length, UInt32 languageCode,
                                         char* buffer, SInt32 bufferSize, unsigned char* cut);

// Adds the zero-terminated string of the program's text as user-data text item `index` of
// `type` in the Japanese script's encoding (language 11). kTextUnsupportedEncodingErr when the
// text does not convert whole; nothing is added then.
OSErr AddUserDataTextFromCString(UserData userData, SInt32 type, SInt32 index, const char* text);

// Adds the zero-terminated string as text item 1 of `type` at language 11 to the movie's user
// data. paramErr when the movie has no user data.
OSErr SpQTI_AddUserDataTextIntoMovie(Movie movie, const char* text, UInt32 type);

// ==== ID3 tags of sound files: reading (SpQTID3Reader.cpp) and writing (SpQTID3Writer.cpp) ====
// Files are read through the core's buffered reader; every tag is untrusted: sizes are checked
// against what the file holds, and a damaged tag keeps the frames read before the damage.
// Readers answer noErr, paramErr when the file holds no tag of their kind (the next reader
// then tries; never shown), memFullErr, or the reader's I/O error.
struct sSpFileSysInfo;

// The tag of a sound file: an ID3 v2 tag at its start, else an ID3 v1 tag at its end, else,
// for an AIFF or AIFF-C file, its "ID3 " chunk or its text chunks. 1 with a new record that
// the caller owns, else 0 with record null. Errors other than paramErr are shown through
// `errors` (user reference number 0) when it is given.
short SpQTI_ParseMusicInfoFromTargetFile(short vRefNum, SInt32 dirID, const char* name,
                                         cSayErrorNoMgr* errors,
                                         cSp_MusicFileMusicInfoDataObj*& record);

// The readers under it: an ID3 v2 tag at the file's start, an ID3 v1 tag in its last 128
// bytes, the chunks of an AIFF file; and whether the file is AIFF or AIFF-C ("FORM", form type
// 'AIFF' or 'AIFC', the file at least FORM size + 8 bytes long).
OSErr SpQTI_ParseTargetFileID3Version2Tag(sSpFileSysInfo* file, SInt32 fileLength,
                                          cSayErrorNoMgr* errors,
                                          cSp_MusicFileMusicInfoDataObj*& record);
OSErr SpQTI_ParseTargetFileID3Version1Tag(sSpFileSysInfo* file, SInt32 fileLength,
                                          cSayErrorNoMgr* errors,
                                          cSp_MusicFileMusicInfoDataObj*& record);
OSErr SpQTI_ParseTargetFileID3InAIFF(sSpFileSysInfo* file, SInt32 fileLength,
                                     cSayErrorNoMgr* errors,
                                     cSp_MusicFileMusicInfoDataObj*& record);
unsigned char SpQTI_CheckAIFForNot(sSpFileSysInfo* file, SInt32 fileLength);

// Reads an ID3 v2 tag whose "ID3" was just read, ending before `position` (the tag begins at
// position - 3), not reading past `limit`. The tag is read whole into memory and its frames
// parsed there. The frames go into `record` when it is given, else into a new record (kind
// 1) handed out when it got a frame. noErr also when no frame was found (record stays null).
OSErr SpQTI_ParseID3Version2DataCore(sSpFileSysInfo* file, UInt32 limit, SInt32 position,
                                     cSayErrorNoMgr* errors,
                                     cSp_MusicFileMusicInfoDataObj*& record);

// One frame of a tag held in memory: `tag` is the tag's bytes after its 10-byte header,
// `position` the frame's offset in them, `limit` the end of the frames. noErr with the frame
// appended (or, for a compressed or encrypted frame, skipped) and nextPosition after it;
// paramErr at padding (paddingReached set) or at a malformed frame; memFullErr.
OSErr SpQTI_ParseD3TagData_forVersion2_under2(const UInt8* tag, UInt32 position, UInt32 limit,
                                              cSp_MusicFileMusicInfoDataObj* record,
                                              UInt32& nextPosition, unsigned char& paddingReached);
// v2.3 and v2.4 (major): v2.4 sizes are synchsafe (a size that only makes sense as a plain
// number is taken as one), unsynchronised frames are restored (all of them when
// tagUnsynchronised), a data-length indicator is skipped.
OSErr SpQTI_ParseD3TagData_forVersion2_3AndOver(const UInt8* tag, UInt32 position, UInt32 limit,
                                                short major, unsigned char tagUnsynchronised,
                                                cSp_MusicFileMusicInfoDataObj* record,
                                                UInt32& nextPosition,
                                                unsigned char& paddingReached);

// Writes the record's tag as an "ID3 " chunk at the current position of the open file: the
// id, the tag's length, the tag and a zero pad byte when the length is odd. 1 when a chunk was
// written (written = 8 + tag + pad); 0 and nothing written when the record is null or gives
// no frame. The caller fixes the FORM size afterwards. A write that fails is shown by the
// error manager (when there is one) and its error, the File Manager's, goes to *error (may be
// null; noErr when nothing failed), so that a caller showing it itself passes no manager.
unsigned char SpQTI_WriteID3TagChunkIntoAIFF(short refNum, cSp_MusicFileMusicInfoDataObj* record,
                                             unsigned char above22, cSayErrorNoMgr* errors,
                                             UInt32& written, OSErr* error = nullptr);

// ==== End of ID3 tags of sound files ==========================================================

// ---- QuickTime start-up -----------------------------------------------------------------------
// Starts QuickTime once at launch: Gestalt 'qtim' must answer a version of 3.0 or later, then
// EnterMovies. Answers the enabled flag.
unsigned char Sp_InitialQuckTime(unsigned char unused);
// The QuickTime version word (0x0640 for 6.4); 0 until start-up succeeded.
UInt16 Sp_GetQuickTImeVersion();
// 1 once QuickTime is started.
unsigned char Sp_EnableQT();

// ---- The idle timer ---------------------------------------------------------------------------
// An event-loop timer on the main loop that calls MoviesTask every 0.05 s while QuickTime work
// is under way. SpQTI_EnableIdleEvent answers 1 only when this call installed the timer; a
// caller that got 1 calls SpQT_DisableIdleEvent when its work is done. The playback objects on
// the running-object lists also keep the timer: SpQT_DisableIdleEvent leaves it installed
// while either list holds an object, so it goes with its last owner.
unsigned char SpQTI_EnableIdleEvent();
void SpQT_DisableIdleEvent();
unsigned char SpQTI_CheckQuickTimeIdleEventStatus();
void SpQTI_CatchIdleEventCB(EventLoopTimerRef timer, void* userData);

// ---- Sound-file checks ------------------------------------------------------------------------
// Files are named by volume reference number, directory id and zero-terminated name.

// 1 when the file is sound that QuickTime can play: an importer whose media type is 'soun';
// when no importer exists, with openToCheck 0 the file counts as sound, with 1 it is opened
// and must have a sound track.
unsigned char Sp_CheckQuickTimeSoundFile(short vRefNum, SInt32 dirID, const char* name,
                                         UInt32 fileType, unsigned char openToCheck);

// Describes the first sound track of the file. 1 when the file opened as a movie and has a
// sound track. Every output may be null; the movie and media are handed out when asked for
// (the caller disposes of the movie), else the movie is disposed of here. A protected movie
// answers 0 with *isProtected = 1. With sampleCountLeft given, a sample count the file does not
// state with its length (an Ogg stream's packets, counted from every page) is not made:
// *sampleCount and *byteLength are then 0 and *sampleCountLeft 1 (Sp_CountQuickTimeSoundSamples
// makes it later); else *sampleCountLeft is 0.
unsigned char Sp_CheckQuickTimeSoundTrackInTargetFile(
    short vRefNum, SInt32 dirID, const char* name, AudioFormatAtomPtr* decompressionAtom,
    CmpSoundHeader* header, UInt32* byteLength, UInt32* sampleCount, unsigned char* isProtected,
    SInt32* duration, SInt32* timeScale, float* seconds, Movie* movie, Media* media,
    unsigned char* sampleCountLeft = nullptr);

// 1 when a Sound Converter from the file's sound format to the given output can be opened.
// Channels other than 1 or 2 become 2.
unsigned char Sp_CheckQuickTimeSoundConverterFile(short vRefNum, SInt32 dirID, const char* name,
                                                  UInt32 outFormat, unsigned char useChannels,
                                                  short channels, short sampleSize,
                                                  UnsignedFixed sampleRate);

// The first sound track's media duration and time scale; 1 when a sound track was found.
unsigned char SpGetQTFileSoundDataDurationTime(short vRefNum, SInt32 dirID, const char* name,
                                               SInt32& duration, SInt32& timeScale);
// The first sound track's media sample count as GetMediaSampleCount gives it, counted when the
// file does not state it (the platform keeps the count for the file); 1 when a sound track was
// found, else 0 with *sampleCount 0.
unsigned char Sp_CountQuickTimeSoundSamples(short vRefNum, SInt32 dirID, const char* name,
                                            UInt32* sampleCount);

// The first sound track's description and all its sample data, appended to *samples (a
// handle the caller made). noErr or the Movie Toolbox error.
OSErr Sp_GetQuickTimeSoundDataFileInfo(short vRefNum, SInt32 dirID, const char* name,
                                       AudioFormatAtomPtr* decompressionAtom,
                                       CmpSoundHeader* header, Handle* samples, UInt32* byteLength);

// The movie of the file for playing it, opened read-only with the idle timer on meanwhile;
// null when the file does not exist or cannot be opened as a movie. The caller owns it.
Movie SpQTI_OpenMovieOfFileToPlay(short vRefNum, SInt32 dirID, const char* name);

// The number of bytes before the first zero byte, at most `size`.
SInt32 SpGetUnicodeCharNum(const char* text, SInt32 size);

// ---- Running playback objects -----------------------------------------------------------------
// The movie and sound playback objects (SpQTUserObject.h) that are playing sit on two lists
// whose heads are kept here. An object carries the links of its list through the mixin of that
// list, which gives the list operations under the list's own names:
//   class cSp_QTMovieFileObj : public cSpQTOnExecuteMovieLinks<cSp_QTMovieFileObj> ...
//   class cSp_QTSoundFileObj : public cSpQTOnExecuteQTSoundLinks<cSp_QTSoundFileObj> ...
// The list operations below take the links, so they accept the objects themselves.

// The untyped links of one chain.
class cSpQTOnExecuteLink {
 public:
  cSpQTOnExecuteLink() = default;
  cSpQTOnExecuteLink(const cSpQTOnExecuteLink&) = delete;
  cSpQTOnExecuteLink& operator=(const cSpQTOnExecuteLink&) = delete;

  cSpQTOnExecuteLink* LinkBefore() const { return before_; }
  cSpQTOnExecuteLink* LinkNext() const { return next_; }
  cSpQTOnExecuteLink* LinkLast() {
    cSpQTOnExecuteLink* item = this;
    while (item->next_ != nullptr) item = item->next_;
    return item;
  }
  // Appends `item` (with the chain that follows it) after the last object of this chain.
  void LinkAppend(cSpQTOnExecuteLink* item) {
    if (item == nullptr || item == this || item->before_ != nullptr) return;
    cSpQTOnExecuteLink* last = LinkLast();
    if (last == item) return;
    last->next_ = item;
    item->before_ = last;
  }
  // Takes the object after this one out of the chain and answers it.
  cSpQTOnExecuteLink* LinkRemoveNext() {
    cSpQTOnExecuteLink* item = next_;
    if (item != nullptr) item->LinkOut();
    return item;
  }
  // Takes this object out of its chain, joining its neighbours.
  void LinkOut() {
    if (before_ != nullptr) before_->next_ = next_;
    if (next_ != nullptr) next_->before_ = before_;
    before_ = nullptr;
    next_ = nullptr;
  }

 protected:
  ~cSpQTOnExecuteLink() = default;

 private:
  cSpQTOnExecuteLink* before_ = nullptr;
  cSpQTOnExecuteLink* next_ = nullptr;
};

// The links of the running-movie list, and of the running-sound list.
class cSpQTOnExecuteMovieLink : public cSpQTOnExecuteLink {
 protected:
  ~cSpQTOnExecuteMovieLink() = default;
};
class cSpQTOnExecuteQTSoundLink : public cSpQTOnExecuteLink {
 protected:
  ~cSpQTOnExecuteQTSoundLink() = default;
};

template <class T>
class cSpQTOnExecuteMovieLinks : public cSpQTOnExecuteMovieLink {
 public:
  void LinkToOnExecuteMovieNext(T* item) { LinkAppend(Untyped(item)); }
  T* UnlinkOnExecuteMovieNext() { return Typed(LinkRemoveNext()); }
  T* GetBeforeOnExecuteMovieObjectPtr() const { return Typed(LinkBefore()); }
  T* GetNextOnExecuteMovieObjectPtr() const { return Typed(LinkNext()); }
  T* GetLastOnExecuteMovieObjectPtr() { return Typed(LinkLast()); }

 protected:
  ~cSpQTOnExecuteMovieLinks() = default;

 private:
  static cSpQTOnExecuteLink* Untyped(T* item) {
    return item == nullptr ? nullptr : static_cast<cSpQTOnExecuteMovieLink*>(item);
  }
  static T* Typed(cSpQTOnExecuteLink* link) {
    return link == nullptr ? nullptr : static_cast<T*>(static_cast<cSpQTOnExecuteMovieLink*>(link));
  }
};

template <class T>
class cSpQTOnExecuteQTSoundLinks : public cSpQTOnExecuteQTSoundLink {
 public:
  void LinkToOnExecuteQTSoundNext(T* item) { LinkAppend(Untyped(item)); }
  T* UnlinkOnExecuteQTSoundNext() { return Typed(LinkRemoveNext()); }
  T* GetBeforeOnExecuteQTSoundObjectPtr() const { return Typed(LinkBefore()); }
  T* GetNextOnExecuteQTSoundObjectPtr() const { return Typed(LinkNext()); }
  T* GetLastOnExecuteQTSoundObjectPtr() { return Typed(LinkLast()); }

 protected:
  ~cSpQTOnExecuteQTSoundLinks() = default;

 private:
  static cSpQTOnExecuteLink* Untyped(T* item) {
    return item == nullptr ? nullptr : static_cast<cSpQTOnExecuteQTSoundLink*>(item);
  }
  static T* Typed(cSpQTOnExecuteLink* link) {
    return link == nullptr ? nullptr
                           : static_cast<T*>(static_cast<cSpQTOnExecuteQTSoundLink*>(link));
  }
};

// Add an object to the front of its list (an object already there beeps and is logged), take
// it off, and tell whether it is on the list. The add and remove answer noErr, or paramErr for
// a null object or one already listed.
OSErr SpQTM_SetupOnExecutedMovieItemList(cSpQTOnExecuteMovieLink* movieObject);
OSErr SpQTM_UnlinkOnExecutedMovieItemList(cSpQTOnExecuteMovieLink* movieObject);
unsigned char SpQTM_CheckTargetOnExecutedMovieItemList(cSpQTOnExecuteMovieLink* movieObject);
OSErr SpQTM_SetupOnExecutedQTSoundItemList(cSpQTOnExecuteQTSoundLink* soundObject);
OSErr SpQTM_UnlinkOnExecutedQTSoundItemList(cSpQTOnExecuteQTSoundLink* soundObject);
unsigned char SpQTM_CheckTargetOnExecutedQTSoundItemList(cSpQTOnExecuteQTSoundLink* soundObject);
// The first object of each list, or null.
cSpQTOnExecuteMovieLink* SpQTM_GetOnExecutedMovieItemListHead();
cSpQTOnExecuteQTSoundLink* SpQTM_GetOnExecutedQTSoundItemListHead();

// ---- Alert catcher ----------------------------------------------------------------------------
// A mouse-down handler on the application target that turns a click on an alert's default or
// cancel button into the Return or Escape key, for alerts shown while QuickTime works.
struct sQTI_AlertButtonDownCatcherDataInfo {
  EventHandlerUPP handlerProc = nullptr;
  EventHandlerRef handler = nullptr;
};

OSStatus SpQTI_SetupQuickTimeAlertEventCatcher(sQTI_AlertButtonDownCatcherDataInfo& info);
void SpQTI_RealeseQuickTimeAlertButtonDownCatcher(sQTI_AlertButtonDownCatcherDataInfo& info);
OSStatus SpQTI_CatchAlertButtonDownForOSXCFMHProc(EventHandlerCallRef callRef, EventRef event,
                                                  void* userData);
