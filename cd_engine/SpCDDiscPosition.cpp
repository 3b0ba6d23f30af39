// Disc positions, track-file records, save-format file types and the classic CD-driver calls.
#include "SpCDDiscPosition.h"

#include <cmath>
#include <cstring>
#include <new>

#include "Files.h"
#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFunctionNumber.h"

namespace {

const char kSource[] = "SpCDDiscPosition";

const UInt64 kMaxUInt32 = 0xFFFFFFFFull;

// The sector count of a position's magnitude. 64 bits hold any three 32-bit fields.
UInt64 Magnitude(const cDiscPosition& position) {
  return (UInt64(position.minutes) * kSpCDSecondsPerMinute + position.seconds) *
             kSpCDFramesPerSecond +
         position.frames;
}

// Writes the normal form of a magnitude. Magnitudes beyond what 32-bit minutes can hold only
// come from sums of absurd positions; they are held at the largest position.
void StoreNormal(UInt64 sectors, UInt8 negative, cDiscPosition* out) {
  if (sectors / kSpCDFramesPerMinute > kMaxUInt32) {
    out->minutes = UInt32(kMaxUInt32);
    out->seconds = kSpCDSecondsPerMinute - 1;
    out->frames = kSpCDFramesPerSecond - 1;
  } else {
    out->minutes = UInt32(sectors / kSpCDFramesPerMinute);
    out->seconds = UInt32((sectors / kSpCDFramesPerSecond) % kSpCDSecondsPerMinute);
    out->frames = UInt32(sectors % kSpCDFramesPerSecond);
  }
  out->negative = negative;
}

UInt64 Distance(UInt64 p, UInt64 q) {
  return p > q ? p - q : q - p;
}

}  // namespace

// ---- Positions ------------------------------------------------------------------------------

SInt32 Sp_CDPositionToSector(const cDiscPosition* position) {
  if (position == nullptr) return 0;
  UInt64 sectors = Magnitude(*position);
  if (sectors > 0x7FFFFFFFull) sectors = 0x7FFFFFFFull;
  return position->negative ? -SInt32(sectors) : SInt32(sectors);
}

void Sp_SectorToCDPosition(SInt32 sectors, cDiscPosition* out) {
  if (out == nullptr) return;
  const SInt64 value = sectors;
  StoreNormal(UInt64(value < 0 ? -value : value), sectors < 0 ? 1 : 0, out);
}

SInt32 Sp_CDPositionComp(const cDiscPosition* a, const cDiscPosition* b,
                         unsigned char* withinOneSecond) {
  if (withinOneSecond != nullptr) *withinOneSecond = 0;
  if (a == nullptr || b == nullptr) return 0;
  const UInt64 p = Magnitude(*a);
  const UInt64 q = Magnitude(*b);
  const bool aNegative = a->negative != 0;
  const bool bNegative = b->negative != 0;
  SInt32 result = 0;
  UInt64 distance = 0;
  if (a->minutes == b->minutes && a->seconds == b->seconds && a->frames == b->frames &&
      a->negative == b->negative) {
    result = 0;
  } else if (aNegative != bNegative) {
    result = aNegative ? -1 : 1;
    distance = p + q;
  } else if (p != q) {
    distance = Distance(p, q);
    const bool aFurther = p > q;
    // Below zero, the larger magnitude lies earlier.
    result = (aFurther != aNegative) ? 1 : -1;
  }
  if (withinOneSecond != nullptr) {
    *withinOneSecond = (distance > 0 && distance < kSpCDFramesPerSecond) ? 1 : 0;
  }
  return result;
}

void Sp_AddCDPosition(const cDiscPosition* a, const cDiscPosition* b, cDiscPosition* out) {
  if (a == nullptr || b == nullptr || out == nullptr) return;
  const UInt64 p = Magnitude(*a);
  const UInt64 q = Magnitude(*b);
  const UInt8 aFlag = a->negative;
  const UInt8 bFlag = b->negative;
  if ((aFlag != 0) == (bFlag != 0)) {
    StoreNormal(p + q, aFlag, out);
  } else if (p == q) {
    StoreNormal(0, 0, out);
  } else if (p > q) {
    StoreNormal(p - q, aFlag, out);
  } else {
    StoreNormal(q - p, bFlag, out);
  }
}

void Sp_DeffCDPositionFromCDPosition(const cDiscPosition* a, const cDiscPosition* b,
                                     cDiscPosition* out) {
  if (a == nullptr || b == nullptr || out == nullptr) return;
  const UInt64 p = Magnitude(*a);
  const UInt64 q = Magnitude(*b);
  const UInt8 aFlag = a->negative;
  if ((aFlag != 0) == (b->negative != 0)) {
    StoreNormal(Distance(p, q), aFlag, out);
  } else {
    StoreNormal(p + q, aFlag, out);
  }
}

UInt32 Sp_GetLengthCDPosition(const cDiscPosition* a, const cDiscPosition* b, cDiscPosition* out) {
  if (a == nullptr || b == nullptr) return 0;
  const UInt64 p = Magnitude(*a);
  const UInt64 q = Magnitude(*b);
  const UInt64 length = ((a->negative != 0) == (b->negative != 0)) ? Distance(p, q) : p + q;
  if (out != nullptr) {
    const UInt8 keptFlag = out->negative;
    StoreNormal(length, keptFlag, out);
  }
  return UInt32(length > kMaxUInt32 ? kMaxUInt32 : length);
}

void Sp_AddSectorToCDPosition(const cDiscPosition* position, UInt32 sectors, cDiscPosition* out) {
  if (position == nullptr || out == nullptr) return;
  if (sectors == 0) {
    *out = *position;
    return;
  }
  const UInt64 p = Magnitude(*position);
  if (position->negative == 0) {
    StoreNormal(p + sectors, 0, out);
  } else if (p > sectors) {
    StoreNormal(p - sectors, 1, out);
  } else {
    StoreNormal(sectors - p, 0, out);
  }
}

void Sp_SubSectorToCDPosition(const cDiscPosition* position, UInt32 sectors, cDiscPosition* out) {
  if (position == nullptr || out == nullptr) return;
  if (sectors == 0) {
    *out = *position;
    return;
  }
  const UInt64 p = Magnitude(*position);
  if (position->negative != 0) {
    StoreNormal(p + sectors, 1, out);
  } else if (p >= sectors) {
    StoreNormal(p - sectors, 0, out);
  } else {
    StoreNormal(sectors - p, 1, out);
  }
}

void Sp_DiffSectorFromCDPosition(const cDiscPosition* position, UInt32 sectors,
                                 cDiscPosition* out) {
  Sp_SubSectorToCDPosition(position, sectors, out);
}

void Sp_BytePositionToCDPosition(UInt32 bytePosition, UInt32 sampleRate, UInt32 channels,
                                 UInt32 bitsPerSample, cDiscPosition& out) {
  const UInt64 bytesPerSecond = UInt64(sampleRate) * channels * bitsPerSample / 8;
  if (bytesPerSecond == 0) {
    out.StartUpInitialize();
    SpReportFailure(kSource, "Sp_BytePositionToCDPosition", 1, kSpMsgDataError);
    return;
  }
  const UInt64 bytesPerMinute = bytesPerSecond * kSpCDSecondsPerMinute;
  const UInt64 minutes = bytePosition / bytesPerMinute;
  const UInt64 r1 = bytePosition - minutes * bytesPerMinute;
  const UInt64 seconds = r1 / bytesPerSecond;
  const UInt64 r2 = r1 - seconds * bytesPerSecond;
  UInt32 frames = 0;
  if (r2 != 0) {
    const float f = float(r2) * float(kSpCDFramesPerSecond) / float(bytesPerSecond);
    frames = UInt32(f);
    // Single precision may round the last fraction of a second up to a whole one.
    if (frames >= kSpCDFramesPerSecond) frames = kSpCDFramesPerSecond - 1;
  }
  out.minutes = UInt32(minutes);
  out.seconds = UInt32(seconds);
  out.frames = frames;
  out.negative = 0;
}

void Sp_SecondToCDPosition(float seconds, cDiscPosition& out) {
  if (seconds == 0.0f || std::isnan(seconds)) {
    out.StartUpInitialize();
    return;
  }
  const float a = std::fabs(seconds);
  UInt32 whole;
  UInt32 frames;
  if (a >= 4294967296.0f) {
    whole = UInt32(kMaxUInt32);
    frames = 0;
  } else {
    whole = UInt32(a);
    frames = UInt32((a - float(whole)) * float(kSpCDFramesPerSecond));
    if (frames >= kSpCDFramesPerSecond) frames = kSpCDFramesPerSecond - 1;
  }
  out.minutes = whole / kSpCDSecondsPerMinute;
  out.seconds = whole % kSpCDSecondsPerMinute;
  out.frames = frames;
  out.negative = seconds < 0.0f ? 1 : 0;
}

void Sp_CDPositionToSecond(const cDiscPosition& position, float& out) {
  const UInt64 whole = UInt64(position.minutes) * kSpCDSecondsPerMinute + position.seconds;
  out = float(whole) + float(position.frames) / float(kSpCDFramesPerSecond);
}

// ---- Track-file records ---------------------------------------------------------------------

sTrackDataForOSX* Sp_NewMusicTrackData() {
  void* block = NewPtrClear(Size(sizeof(sTrackDataForOSX)));
  if (block == nullptr) return nullptr;
  return new (block) sTrackDataForOSX();
}

void Sp_DisposeMusicTrackDataList(sTrackDataForOSX* head) {
  while (head != nullptr) {
    sTrackDataForOSX* next = head->next;
    head->~sTrackDataForOSX();
    DisposePtr(reinterpret_cast<Ptr>(head));
    head = next;
  }
}

Boolean Sp_CDTrackListCompForOSX(const sTrackDataForOSX* a, const sTrackDataForOSX* b) {
  if (a == nullptr || b == nullptr) return false;
  while (a != nullptr && b != nullptr) {
    if (a->trackNo != b->trackNo || a->lengthInSectors != b->lengthInSectors) return false;
    // The names are compared within their buffers, so a record whose name fills the buffer
    // without a terminator is still read no further than its end.
    if (std::strncmp(a->fileName, b->fileName, sizeof(a->fileName)) != 0) return false;
    a = a->next;
    b = b->next;
  }
  return a == nullptr && b == nullptr;
}

Boolean Sp_CDTrackListComp(const sTrackData* a, const sTrackData* b) {
  while (a != nullptr && b != nullptr) {
    if (Sp_CDPositionComp(&a->position, &b->position, nullptr) != 0) return false;
    a = a->next;
    b = b->next;
  }
  return a == nullptr && b == nullptr;
}

// ---- Save formats ---------------------------------------------------------------------------

Boolean SpCDRI_GetOSFileTypeFromSoundFileType(tCDRISoundFileType type, OSType& osType) {
  switch (type) {
    case kSpCDRISoundFileTypeAIFF:
      osType = SpFourCC("AIFF");
      return true;
    case kSpCDRISoundFileTypeWAVE:
      osType = SpFourCC("WAVE");
      return true;
    case kSpCDRISoundFileTypeMovie:
    case kSpCDRISoundFileTypeMovieNoCompress:
      osType = SpFourCC("MooV");
      return true;
    default:
      osType = SpFourCC("    ");
      return false;
  }
}

// ---- Classic CD-driver layer ----------------------------------------------------------------

namespace {

// The control codes of the classic CD-ROM driver.
enum : SInt16 {
  kCDDriveIcon = 22,
  kCDAudioTrackSearch = 103,
  kCDAudioStop = 104,
  kCDAudioScan = 108,
  kCDReadAudioVolume = 112,
  kCDGetSpindleSpeed = 113,
  kCDReadAudio = 115,
  kCDDriveType = 120,
  kCDSetTrackList = 122,
  kCDGetAudioRepeat = 126,
};

// Address types of a driver position.
enum : UInt8 { kCDAddressPosition = 1, kCDAddressTrack = 3 };

// A driver control block: 80 bytes, zeroed before use.
struct sCDControlBlock {
  SInt16 refNum;
  SInt16 code;
  SInt16 result;
  UInt8 params[74];
};
static_assert(sizeof(sCDControlBlock) == 80, "the driver's control block is 80 bytes");

sCDControlBlock NewBlock(short refNum, SInt16 code) {
  sCDControlBlock block;
  std::memset(&block, 0, sizeof(block));
  block.refNum = refNum;
  block.code = code;
  return block;
}

void PutByte(sCDControlBlock& block, std::size_t offset, UInt8 value) {
  if (offset < sizeof(block.params)) block.params[offset] = value;
}

void PutBytes(sCDControlBlock& block, std::size_t offset, const void* bytes, std::size_t size) {
  if (offset + size <= sizeof(block.params)) std::memcpy(block.params + offset, bytes, size);
}

UInt16 ParamWord(const sCDControlBlock& block, std::size_t index) {
  return UInt16((block.params[index * 2] << 8) | block.params[index * 2 + 1]);
}

UInt8 BCD(UInt32 value) {
  return Sp_Number_To_BCD(UInt8(value > 99 ? 99 : value));
}

// A position as the driver takes it: the address type, then BCD minutes, seconds, frames.
void PutPosition(sCDControlBlock& block, const cDiscPosition& position) {
  PutByte(block, 1, kCDAddressPosition);
  PutByte(block, 3, BCD(position.minutes));
  PutByte(block, 4, BCD(position.seconds));
  PutByte(block, 5, BCD(position.frames));
}

void PutTrack(sCDControlBlock& block, short track) {
  PutByte(block, 1, kCDAddressTrack);
  PutByte(block, 5, BCD(track < 0 ? 0 : UInt32(track)));
}

// There is no CD-ROM driver on this platform: the block goes nowhere and its fields read as
// a drive would leave them when it reports nothing.
OSErr Issue(sCDControlBlock& block) {
  block.result = noErr;
  return block.result;
}

// The engine's one shared driver block, through which audio reads and the driver strings
// pass.
sCDControlBlock& SharedBlock() {
  static sCDControlBlock block = NewBlock(0, 0);
  return block;
}

}  // namespace

OSErr Sp_CheckCDDriveType(short) {
  return noErr;
}
OSErr Sp_IsReady(short) {
  return noErr;
}
OSErr Sp_SetCDSpindleSpeed(short, unsigned short) {
  return noErr;
}
OSErr Sp_StopCD(short) {
  return noErr;
}
OSErr Sp_SetPollFreqCD(short, short) {
  return noErr;
}
OSErr Sp_AudioPause(short) {
  return noErr;
}
OSErr Sp_AudioPauseCancel(short) {
  return noErr;
}
OSErr Sp_AudioStopNow(short) {
  return noErr;
}
OSErr Sp_SetRepeatStatus(short, unsigned char, short) {
  return noErr;
}
OSErr Sp_SetVolumeLevel(short, short, short) {
  return noErr;
}

OSErr Sp_GetCDDriveType(short refNum, short* driveType, short* driveKind) {
  if (driveType == nullptr || driveKind == nullptr) return kSpCDNoOutputErr;
  sCDControlBlock block = NewBlock(refNum, kCDDriveType);
  Issue(block);
  return noErr;
}

OSErr Sp_GetCDSpindleSpeed(short refNum, short* speed) {
  sCDControlBlock block = NewBlock(refNum, kCDGetSpindleSpeed);
  Issue(block);
  if (speed != nullptr) *speed = short(ParamWord(block, 0));
  return noErr;
}

OSErr Sp_GetCDDriveIcon(short refNum, char*** icon) {
  if (icon == nullptr) return kSpCDNullArgumentErr;
  sCDControlBlock block = NewBlock(refNum, kCDDriveIcon);
  Issue(block);
  // The block carries no icon, so there is nothing to copy.
  return noErr;
}

OSErr Sp_GetVolumeLevel(short refNum, short* left, short* right) {
  if (left == nullptr || right == nullptr) return kSpCDNullArgumentErr;
  sCDControlBlock block = NewBlock(refNum, kCDReadAudioVolume);
  Issue(block);
  *left = block.params[0];
  *right = block.params[1];
  return noErr;
}

OSErr Sp_GetRepeatStatus(short refNum, unsigned char* repeat) {
  if (repeat == nullptr) return kSpCDNullArgumentErr;
  sCDControlBlock block = NewBlock(refNum, kCDGetAudioRepeat);
  Issue(block);
  *repeat = ParamWord(block, 0) != 0 ? 1 : 0;
  return noErr;
}

OSErr Sp_SetTrackList(short refNum, short count, char* list) {
  if (list == nullptr) return kSpCDNullArgumentErr;
  sCDControlBlock block = NewBlock(refNum, kCDSetTrackList);
  (void)count;
  Issue(block);
  return noErr;
}

OSErr Sp_AudioTrackSearchCD(short refNum, const cDiscPosition* position, unsigned char play) {
  if (position == nullptr) return kSpCDNullArgumentErr;
  sCDControlBlock block = NewBlock(refNum, kCDAudioTrackSearch);
  PutPosition(block, *position);
  PutByte(block, 7, play != 0 ? 1 : 0);
  Issue(block);
  return noErr;
}

OSErr Sp_AudioTrackSearchCDByCDPosition(short refNum, const cDiscPosition* position,
                                        unsigned char play) {
  sCDControlBlock block = NewBlock(refNum, kCDAudioTrackSearch);
  if (position != nullptr) PutPosition(block, *position);
  PutByte(block, 7, play != 0 ? 1 : 0);
  Issue(block);
  return noErr;
}

OSErr Sp_AudioTrackSearchCDForCDPlaying(short refNum, short track, unsigned char play) {
  sCDControlBlock block = NewBlock(refNum, kCDAudioTrackSearch);
  PutTrack(block, track);
  PutByte(block, 7, play != 0 ? 1 : 0);
  Issue(block);
  return noErr;
}

OSErr Sp_AudioSetStopPositionByCDPosit(short refNum, const cDiscPosition* position) {
  if (position == nullptr) return kSpCDNullArgumentErr;
  sCDControlBlock block = NewBlock(refNum, kCDAudioStop);
  PutPosition(block, *position);
  PutByte(block, 7, 1);  // stop there
  PutByte(block, 9, 9);  // stereo play mode
  Issue(block);
  return noErr;
}

OSErr Sp_AudioSetStopPositionForCDPlaying(short refNum, short track) {
  sCDControlBlock block = NewBlock(refNum, kCDAudioStop);
  PutTrack(block, track);
  Issue(block);
  return noErr;
}

namespace {

OSErr ReadAudio(short refNum, const cDiscPosition* position, char* buffer, UInt32 blocks,
                IOCompletionProcPtr completion) {
  if (buffer == nullptr || blocks == 0) return memFullErr;
  if (position == nullptr) return kSpCDNullArgumentErr;
  sCDControlBlock& block = SharedBlock();
  block = NewBlock(refNum, kCDReadAudio);
  PutBytes(block, 8, &buffer, sizeof(buffer));
  PutBytes(block, 16, &blocks, sizeof(blocks));
  PutPosition(block, *position);
  PutBytes(block, 24, &completion, sizeof(completion));
  Issue(block);
  return block.result;
}

}  // namespace

OSErr Sp_GetMusicData(short refNum, const cDiscPosition* position, char* buffer, UInt32 blocks) {
  return ReadAudio(refNum, position, buffer, blocks, nullptr);
}

OSErr Sp_GetMusicDataAsync(short refNum, const cDiscPosition* position, char* buffer, UInt32 blocks,
                           IOCompletionProcPtr completion) {
  return ReadAudio(refNum, position, buffer, blocks, completion);
}

OSErr Sp_GetAudioStatus(short, SpCDStausInfo* status) {
  if (status == nullptr) return kSpCDNullArgumentErr;
  return noErr;
}

OSErr Sp_StartFF_FRForCDPlaying(short refNum, unsigned char direction, SpCDFFandFRInfo* info) {
  if (info == nullptr) return kSpCDNullArgumentErr;
  std::memset(info, 0, sizeof(*info));
  Sp_GetVolumeLevel(refNum, &info->leftVolume, &info->rightVolume);
  SpCDStausInfo status;
  const OSErr err = Sp_GetAudioStatus(refNum, &status);
  info->wasPlaying = status.statusWord != 0 ? 1 : 0;
  sCDControlBlock block = NewBlock(refNum, kCDAudioScan);
  PutPosition(block, status.position);
  PutByte(block, 7, direction != 0 ? 0 : 1);
  Issue(block);
  return err;
}

OSErr Sp_StopFF_FRCDPlaying(short refNum, SpCDFFandFRInfo* info) {
  if (info == nullptr) return kSpCDNullArgumentErr;
  if (info->wasPlaying == 0) {
    Sp_AudioStopNow(refNum);
    return Sp_AudioPause(refNum);
  }
  SpCDStausInfo status;
  Sp_GetAudioStatus(refNum, &status);
  return Sp_AudioTrackSearchCDByCDPosition(refNum, &status.position, 1);
}

OSErr Sp_GetVolumeNameFromDriveRefNum(short, char* name, short* vRefNum) {
  if (name == nullptr || vRefNum == nullptr) return kSpCDNoOutputErr;
  return noErr;
}

OSErr Sp_EjectCD(short refNum, short) {
  return UnmountVol(nullptr, refNum);
}

void Sp_GetCDString(short selector, char* out) {
  if (out == nullptr) return;
  if (selector == 0 || selector == 7) {
    std::memcpy(out, SharedBlock().params, 6);
  } else {
    out[0] = 0;
  }
}
