// Disc positions: the engine's measure of time on an audio CD and on a program's time line.
//
// A position is minutes, seconds and frames, 75 frames (CD sectors) a second, with a flag for
// positions before zero (the three fields then hold the magnitude). One sector carries 588
// stereo sample frames, 2,352 bytes of 16-bit PCM.
//
// Also here: the records of the track files of a mounted audio-CD volume and the comparison
// of two such lists, the map from save formats to Mac file types, and the classic CD-driver
// calls. This platform has no CD-ROM driver: the driver calls build their control blocks and
// answer without reaching a drive (no code path of the application calls them).
//
// Position functions take pointers; a null required pointer makes them do nothing, or answer
// 0 where they answer a value. Sector arithmetic is done on 64-bit magnitudes, so no sum or
// difference of valid positions can wrap.
#pragma once

#include "Files.h"
#include "MacTypes.h"

// ---- Units ----------------------------------------------------------------------------------

enum : UInt32 {
  kSpCDFramesPerSecond = 75,
  kSpCDSecondsPerMinute = 60,
  kSpCDFramesPerMinute = kSpCDFramesPerSecond * kSpCDSecondsPerMinute,  // 4,500
  kSpCDSampleFramesPerSector = 588,
  kSpCDBytesPerSector = 2352,
};

// ---- cDiscPosition --------------------------------------------------------------------------

class cDiscPosition {
 public:
  cDiscPosition() { StartUpInitialize(); }
  // A position as given (not normalised); negative != 0 places it before zero.
  cDiscPosition(UInt32 minutesValue, UInt32 secondsValue, UInt32 framesValue,
                UInt8 negativeValue = 0)
      : minutes(minutesValue),
        seconds(secondsValue),
        frames(framesValue),
        negative(negativeValue) {}
  ~cDiscPosition() {}

  // Every field 0.
  void StartUpInitialize() {
    minutes = 0;
    seconds = 0;
    frames = 0;
    negative = 0;
  }

  UInt32 minutes;  // whole minutes
  UInt32 seconds;  // 0..59 in every value the position functions produce
  UInt32 frames;   // 0..74 in every value the position functions produce
  UInt8 negative;  // nonzero: the position lies before zero
};

// The sector count (minutes x 60 + seconds) x 75 + frames, negated for a negative position;
// 0 for null. A count beyond the 32-bit range is held at its limit.
SInt32 Sp_CDPositionToSector(const cDiscPosition* position);
// out = the normal form of |sectors| (minutes = s / 4500, seconds = s / 75 mod 60, frames =
// s mod 75), negative when sectors < 0.
void Sp_SectorToCDPosition(SInt32 sectors, cDiscPosition* out);
// 1 when a lies later than b, -1 when earlier, 0 when they are equal. withinOneSecond
// (optional) becomes 1 when they lie 1 to 74 frames apart, else 0. A flagged zero lies before
// an unflagged zero (distance 0). 0 when a or b is null.
SInt32 Sp_CDPositionComp(const cDiscPosition* a, const cDiscPosition* b,
                         unsigned char* withinOneSecond);
// out = a + b, signed.
void Sp_AddCDPosition(const cDiscPosition* a, const cDiscPosition* b, cDiscPosition* out);
// out = the distance between a and b: |P - Q| with their common flag when both have the same
// sign, P + Q with a's flag when they differ (P, Q the magnitudes).
void Sp_DeffCDPositionFromCDPosition(const cDiscPosition* a, const cDiscPosition* b,
                                     cDiscPosition* out);
// The same distance as a sector count (held at the 32-bit limit). out (optional) receives its
// minutes, seconds and frames; its flag is left alone. 0 when a or b is null.
UInt32 Sp_GetLengthCDPosition(const cDiscPosition* a, const cDiscPosition* b, cDiscPosition* out);
// out = position + sectors, signed.
void Sp_AddSectorToCDPosition(const cDiscPosition* position, UInt32 sectors, cDiscPosition* out);
// out = position - sectors, signed.
void Sp_SubSectorToCDPosition(const cDiscPosition* position, UInt32 sectors, cDiscPosition* out);
// The same as Sp_SubSectorToCDPosition.
void Sp_DiffSectorFromCDPosition(const cDiscPosition* position, UInt32 sectors, cDiscPosition* out);
// A byte offset into PCM data as a position. Bytes a second = sampleRate x channels x
// bitsPerSample / 8; frames are the rest of the second x 75, truncated. A format of zero bytes
// a second cannot place the offset: out is cleared and the failure logged.
void Sp_BytePositionToCDPosition(UInt32 bytePosition, UInt32 sampleRate, UInt32 channels,
                                 UInt32 bitsPerSample, cDiscPosition& out);
// Seconds as a position (negative seconds give a negative position; the fraction becomes
// frames, truncated). Not-a-number gives zero; seconds beyond the 32-bit range are held there.
void Sp_SecondToCDPosition(float seconds, cDiscPosition& out);
// (minutes x 60 + seconds) + frames / 75; the flag is not used.
void Sp_CDPositionToSecond(const cDiscPosition& position, float& out);

// ---- Track files of an audio-CD volume ------------------------------------------------------

enum : UInt32 { kSpTrackDataNameSize = 1024 };

// One track file of a mounted audio-CD volume ("N Title.aiff"), in a doubly linked list kept
// in ascending track number. Lists are made by Sp_GetMusicTrackData (SpCDTOCInfoObject.h)
// and freed with Sp_DisposeMusicTrackDataList.
struct sTrackDataForOSX {
  UInt32 trackNo;                       // 1..99, the leading number of the file name
  char fileName[kSpTrackDataNameSize];  // the name as the folder listing gives it
  char title[kSpTrackDataNameSize];     // from the long name; empty when there is none
  SInt32 fileSize;                      // physical size of both forks, in bytes
  cDiscPosition startPosition;          // start on the disc (from the table of contents)
  cDiscPosition endPosition;            // start + length
  cDiscPosition length;                 // length of the track
  UInt32 lengthInSectors;               // the length as a sector count; 0 until the TOC is applied
  sTrackDataForOSX* before;
  sTrackDataForOSX* next;
};

// A new record with every field zero, from the Memory Manager; null when memory is short.
sTrackDataForOSX* Sp_NewMusicTrackData();
// Frees every record from head on (null does nothing).
void Sp_DisposeMusicTrackDataList(sTrackDataForOSX* head);

// 1 when both lists hold as many records and, pair by pair in list order, the track numbers,
// the file names (byte for byte) and the lengths in sectors are equal; titles are not
// compared. 0 otherwise, and when either list is null.
Boolean Sp_CDTrackListCompForOSX(const sTrackDataForOSX* a, const sTrackDataForOSX* b);

// The classic track record.
struct sTrackData {
  UInt32 trackWord;
  cDiscPosition position;
  sTrackData* next;
};

// 1 when, pair by pair, the positions compare equal and both lists end together.
Boolean Sp_CDTrackListComp(const sTrackData* a, const sTrackData* b);

// ---- Save formats and Mac file types --------------------------------------------------------

typedef OSType tCDRISoundFileType;
enum : OSType {
  kSpCDRISoundFileTypeAIFF = SpFourCC("AIFF"),
  kSpCDRISoundFileTypeWAVE = SpFourCC("WAVE"),
  kSpCDRISoundFileTypeMovie = SpFourCC("MooV"),            // compressed QuickTime movie
  kSpCDRISoundFileTypeMovieNoCompress = SpFourCC("QTnc"),  // uncompressed QuickTime movie
  kSpCDRISoundFileTypeAIFC = SpFourCC("AIFC"),
};

// 'AIFF' -> 'AIFF', 'WAVE' -> 'WAVE', 'MooV' and 'QTnc' -> 'MooV' (result 1); any other code
// gives four spaces and 0.
Boolean SpCDRI_GetOSFileTypeFromSoundFileType(tCDRISoundFileType type, OSType& osType);

// ---- Classic CD-driver layer ----------------------------------------------------------------
//
// Kept for the engine's older play-back road. Each call fills a zeroed control block with
// the drive reference, the driver's control code and its parameters (positions as BCD) and
// answers as a drive that reports zeros would: outputs read from the block are 0.

// The result of a call given a null output or position.
enum : OSErr { kSpCDNullArgumentErr = -110, kSpCDNoOutputErr = 146 };

// The status of the drive: a status word and the position reached.
struct SpCDStausInfo {
  SpCDStausInfo() : statusWord(0) {}
  ~SpCDStausInfo() {}
  UInt32 statusWord;
  cDiscPosition position;
};

// What fast forward and reverse save to restore on their end (6 bytes).
struct SpCDFFandFRInfo {
  SInt16 leftVolume;
  SInt16 rightVolume;
  UInt8 wasPlaying;
  UInt8 reserved;
};

OSErr Sp_CheckCDDriveType(short refNum);
OSErr Sp_IsReady(short refNum);
OSErr Sp_SetCDSpindleSpeed(short refNum, unsigned short speed);
OSErr Sp_StopCD(short refNum);
OSErr Sp_SetPollFreqCD(short refNum, short frequency);
OSErr Sp_AudioPause(short refNum);
OSErr Sp_AudioPauseCancel(short refNum);
OSErr Sp_AudioStopNow(short refNum);
OSErr Sp_SetRepeatStatus(short refNum, unsigned char repeat, short mode);
OSErr Sp_SetVolumeLevel(short refNum, short left, short right);

// kSpCDNoOutputErr when an output is null (outputs untouched), else 0.
OSErr Sp_GetCDDriveType(short refNum, short* driveType, short* driveKind);
OSErr Sp_GetCDSpindleSpeed(short refNum, short* speed);
// kSpCDNullArgumentErr for a null output, else 0 (no icon is copied).
OSErr Sp_GetCDDriveIcon(short refNum, char*** icon);
OSErr Sp_GetVolumeLevel(short refNum, short* left, short* right);
OSErr Sp_GetRepeatStatus(short refNum, unsigned char* repeat);
OSErr Sp_SetTrackList(short refNum, short count, char* list);
OSErr Sp_AudioTrackSearchCD(short refNum, const cDiscPosition* position, unsigned char play);
OSErr Sp_AudioTrackSearchCDByCDPosition(short refNum, const cDiscPosition* position,
                                        unsigned char play);
OSErr Sp_AudioTrackSearchCDForCDPlaying(short refNum, short track, unsigned char play);
OSErr Sp_AudioSetStopPositionByCDPosit(short refNum, const cDiscPosition* position);
OSErr Sp_AudioSetStopPositionForCDPlaying(short refNum, short track);
// memFullErr for a null buffer or a zero block count; kSpCDNullArgumentErr for a null
// position; else the result word of the engine's shared read block.
OSErr Sp_GetMusicData(short refNum, const cDiscPosition* position, char* buffer, UInt32 blocks);
OSErr Sp_GetMusicDataAsync(short refNum, const cDiscPosition* position, char* buffer, UInt32 blocks,
                           IOCompletionProcPtr completion);
// direction != 0: forward.
OSErr Sp_StartFF_FRForCDPlaying(short refNum, unsigned char direction, SpCDFFandFRInfo* info);
OSErr Sp_StopFF_FRCDPlaying(short refNum, SpCDFFandFRInfo* info);
OSErr Sp_GetAudioStatus(short refNum, SpCDStausInfo* status);
OSErr Sp_GetVolumeNameFromDriveRefNum(short refNum, char* name, short* vRefNum);
// Unmounts the volume refNum (an emulated audio CD is ejected); UnmountVol's result.
OSErr Sp_EjectCD(short refNum, short unused);
// Selectors 0 and 7 copy the 6-byte value of the shared driver area into out; other selectors
// clear out's first byte. out must hold 6 bytes.
void Sp_GetCDString(short selector, char* out);
