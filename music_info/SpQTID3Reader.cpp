// Reading the tag of a sound file into a tag record: an ID3 v2 tag at the file's start, an
// ID3 v1 tag at its end, or the "ID3 " and text chunks of an AIFF file.
//
// Tags come from files of unknown origin, so every size is checked against the bytes that
// are really there. An ID3 v2 tag is read whole into memory first: unsynchronisation applies
// to the whole tag, and a v2.4 frame size is judged by looking at where it leads.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpFileLibSource.h"
#include "SpQTInterface.h"
#include "SpQTMusicInfo.h"
#include "SpStdFileFunction.h"
#include "SpStdFileFunctionFinderInfo.h"

namespace {

const char kSource[] = "SpQTInterface";

constexpr UInt32 kID3HeaderSize = 10;
constexpr SInt32 kID3v1Size = 128;
// Text chunks of an AIFF file larger than this are no titles and are passed over.
constexpr UInt32 kLargestTextChunk = 1024 * 1024;

constexpr UInt32 kChunkID3 = 0x49443320;  // 'ID3 '

// Exactly count bytes at the reader's position: noErr, paramErr when the file ends first,
// or the reader's I/O error.
OSErr ReadBytes(sSpFileSysInfo* file, SInt32 count, void* out) {
  SInt32 got = 0;
  OSErr err = Sp_ReadFileSystem_Read(file, count, static_cast<char*>(out), &got);
  if (err == noErr && got == count) return noErr;
  if (err == noErr || err == eofErr) return paramErr;
  return err;
}

void ShowError(cSayErrorNoMgr* errors, OSErr err) {
  if (errors != nullptr && err != noErr && err != paramErr)
    errors->SayErrorOccured(0, err, nullptr);
}

bool IsFrameIdChar(UInt8 c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsSynchsafe(const UInt8* b) {
  return ((b[0] | b[1] | b[2] | b[3]) & 0x80) == 0;
}

UInt32 Synchsafe(const UInt8* b) {
  return (UInt32(b[0]) << 21) | (UInt32(b[1]) << 14) | (UInt32(b[2]) << 7) | UInt32(b[3]);
}

// Undoes unsynchronisation in place (FF 00 back to FF); answers the new length.
UInt32 Resynchronise(UInt8* bytes, UInt32 length) {
  UInt32 out = 0;
  for (UInt32 in = 0; in < length; ++in) {
    bytes[out++] = bytes[in];
    if (bytes[in] == 0xFF && in + 1 < length && bytes[in + 1] == 0x00) ++in;
  }
  return out;
}

// True when a v2.3/v2.4 frame, the padding or the end of the frames begins at `at`.
bool FrameStartsAt(const UInt8* tag, UInt64 at, UInt32 limit) {
  if (at == limit) return true;
  if (at > limit) return false;
  if (tag[at] == 0) return true;
  if (limit - at < kID3HeaderSize) return false;
  for (int i = 0; i < 4; ++i) {
    if (!IsFrameIdChar(tag[at + i])) return false;
  }
  return true;
}

// A v2.4 frame size is synchsafe, but many writers put a plain number there: the plain
// reading is taken when only it leads to the next frame.
UInt32 Version24FrameSize(const UInt8* tag, UInt32 position, UInt32 limit) {
  const UInt8* sizeBytes = tag + position + 4;
  UInt32 plain = sp::LoadBE32(sizeBytes);
  if (!IsSynchsafe(sizeBytes)) return plain;
  UInt32 synchsafe = Synchsafe(sizeBytes);
  if (synchsafe == plain) return plain;
  UInt64 start = UInt64(position) + kID3HeaderSize;
  if (FrameStartsAt(tag, start + synchsafe, limit)) return synchsafe;
  if (FrameStartsAt(tag, start + plain, limit)) return plain;
  return synchsafe;
}

// The text of a v2.2 text frame ends at its first terminator: one zero byte, or two aligned
// ones in UTF-16.
UInt32 TextLengthBeforeTerminator(const UInt8* text, UInt32 length, UInt8 code) {
  if (code == kSpID3TextUTF16 || code == kSpID3TextUTF16BE) {
    for (UInt32 i = 0; i + 1 < length; i += 2) {
      if (text[i] == 0 && text[i + 1] == 0) return i;
    }
    return length;
  }
  const void* zero = std::memchr(text, 0, length);
  return zero == nullptr ? length : UInt32(static_cast<const UInt8*>(zero) - text);
}

// Attaches a copy of the bytes to the item in a zero-filled block with two bytes to spare.
OSErr AttachCopy(cSp_MusicFileMusicInfoDataItemObj* item, const UInt8* bytes, UInt32 length,
                 UInt32 dataLength) {
  char* block = NewPtrClear(Size(length) + 2);
  if (block == nullptr) return memFullErr;
  if (length > 0) std::memcpy(block, bytes, length);
  item->SetupDataMemory(block, SInt32(length + 2), SInt32(dataLength));
  return noErr;
}

// Length of an ID3 v1 field: up to its first zero byte.
SInt32 FieldLength(const UInt8* field, SInt32 size) {
  const void* zero = std::memchr(field, 0, std::size_t(size));
  return zero == nullptr ? size : SInt32(static_cast<const UInt8*>(zero) - field);
}

// Without its trailing blanks, unless it is nothing but blanks.
SInt32 TrimmedLength(const UInt8* text, SInt32 length) {
  SInt32 end = length;
  while (end > 0 && text[end - 1] == ' ') --end;
  return end == 0 ? length : end;
}

}  // namespace

// ---- One frame ------------------------------------------------------------------------------

OSErr SpQTI_ParseD3TagData_forVersion2_3AndOver(const UInt8* tag, UInt32 position, UInt32 limit,
                                                short major, unsigned char tagUnsynchronised,
                                                cSp_MusicFileMusicInfoDataObj* record,
                                                UInt32& nextPosition,
                                                unsigned char& paddingReached) {
  if (tag == nullptr || record == nullptr) {
    return SpReportFailure(kSource, "SpQTI_ParseD3TagData_forVersion2_3AndOver", 1,
                           kSpMsgNullArgument, OSErr(paramErr));
  }
  if (position > limit || limit - position < 4) return paramErr;
  const UInt8* frame = tag + position;
  if (frame[0] == 0) {
    paddingReached = 1;
    return paramErr;
  }
  for (int i = 0; i < 4; ++i) {
    if (!IsFrameIdChar(frame[i])) return paramErr;
  }
  if (limit - position < kID3HeaderSize) return paramErr;
  UInt32 size = major >= 4 ? Version24FrameSize(tag, position, limit) : sp::LoadBE32(frame + 4);
  if (size == 0 || size > limit - position - kID3HeaderSize) return paramErr;
  nextPosition = position + kID3HeaderSize + size;

  UInt8 format = frame[9];
  const UInt8* data = frame + kID3HeaderSize;
  UInt32 length = size;
  bool unsynchronised = false;
  if (major >= 4) {
    // Compressed and encrypted frames cannot be read here: they are passed over.
    if (format & 0x0C) return noErr;
    UInt32 extra = ((format & 0x40) ? 1 : 0) + ((format & 0x01) ? 4 : 0);
    if (extra >= length) return paramErr;
    data += extra;
    length -= extra;
    unsynchronised = (format & 0x02) != 0 || tagUnsynchronised != 0;
  } else {
    if (format & 0xC0) return noErr;
    if (format & 0x20) {
      if (length <= 1) return paramErr;
      ++data;
      --length;
    }
  }
  std::vector<UInt8> restored;
  if (unsynchronised) {
    restored.assign(data, data + length);
    length = Resynchronise(restored.data(), length);
    data = restored.data();
  }

  UInt32 frameId = sp::LoadBE32(frame);
  cSp_MusicFileMusicInfoDataItemObj* item = record->CreateNewSoundInfo(frameId);
  if (item == nullptr) return memFullErr;
  if (SpMuIO_IsID3TextFrameId(frameId)) {
    item->SetupTextCodeByte(char(data[0]));
    ++data;
    --length;
  }
  return AttachCopy(item, data, length, length);
}

OSErr SpQTI_ParseD3TagData_forVersion2_under2(const UInt8* tag, UInt32 position, UInt32 limit,
                                              cSp_MusicFileMusicInfoDataObj* record,
                                              UInt32& nextPosition, unsigned char& paddingReached) {
  if (tag == nullptr || record == nullptr) {
    return SpReportFailure(kSource, "SpQTI_ParseD3TagData_forVersion2_under2", 1,
                           kSpMsgNullArgument, OSErr(paramErr));
  }
  if (position > limit || limit - position < 3) return paramErr;
  const UInt8* frame = tag + position;
  if (frame[0] == 0) {
    paddingReached = 1;
    return paramErr;
  }
  for (int i = 0; i < 3; ++i) {
    if (!IsFrameIdChar(frame[i])) return paramErr;
  }
  if (limit - position < 6) return paramErr;
  UInt32 size = (UInt32(frame[3]) << 16) | (UInt32(frame[4]) << 8) | UInt32(frame[5]);
  if (size == 0 || size > limit - position - 6) return paramErr;
  nextPosition = position + 6 + size;

  UInt32 frameId =
      (UInt32(frame[0]) << 24) | (UInt32(frame[1]) << 16) | (UInt32(frame[2]) << 8) | 0x20;
  cSp_MusicFileMusicInfoDataItemObj* item = record->CreateNewSoundInfo(frameId);
  if (item == nullptr) return memFullErr;
  const UInt8* data = frame + 6;
  UInt32 length = size;
  UInt32 dataLength = size;
  if (SpMuIO_IsID3TextFrameId(frameId)) {
    UInt8 code = data[0];
    item->SetupTextCodeByte(char(code));
    ++data;
    --length;
    dataLength = length;
    // A plain text frame holds one text; a comment, a user text or a list keeps its parts.
    if ((frameId >> 24) == 'T' && frameId != kSpID3_TXX) {
      dataLength = TextLengthBeforeTerminator(data, length, code);
    }
  }
  return AttachCopy(item, data, length, dataLength);
}

// ---- A whole v2 tag -------------------------------------------------------------------------

OSErr SpQTI_ParseID3Version2DataCore(sSpFileSysInfo* file, UInt32 limit, SInt32 position,
                                     cSayErrorNoMgr* /*errors*/,
                                     cSp_MusicFileMusicInfoDataObj*& record) {
  if (file == nullptr) {
    return SpReportFailure(kSource, "SpQTI_ParseID3Version2DataCore", 1, kSpMsgNullArgument,
                           OSErr(paramErr));
  }
  if (position < 3) return paramErr;
  UInt32 tagStart = UInt32(position) - 3;
  UInt8 header[7];
  OSErr err = ReadBytes(file, 7, header);
  if (err != noErr) return err;
  short major = header[0];
  short revision = header[1];
  UInt8 flags = header[2];
  if (major < 2 || major > 4 || !IsSynchsafe(header + 3)) return paramErr;
  UInt64 end = UInt64(tagStart) + kID3HeaderSize + Synchsafe(header + 3);
  // A tag cut short keeps the frames that are whole.
  if (end > limit) end = limit;
  UInt64 bodyStart = UInt64(tagStart) + kID3HeaderSize;
  if (end <= bodyStart) return noErr;
  UInt32 bodySize = UInt32(end - bodyStart);

  UInt8* body = reinterpret_cast<UInt8*>(NewPtr(Size(bodySize)));
  if (body == nullptr) return memFullErr;
  SInt32 got = 0;
  err = Sp_ReadFileSystem_Read(file, SInt32(bodySize), reinterpret_cast<char*>(body), &got);
  if (err != noErr && err != eofErr) {
    DisposePtr(reinterpret_cast<Ptr>(body));
    return err;
  }
  bodySize = got < 0 ? 0 : UInt32(got);
  if ((flags & 0x80) && major < 4) bodySize = Resynchronise(body, bodySize);

  bool made = record == nullptr;
  if (made) {
    record = new (std::nothrow) cSp_MusicFileMusicInfoDataObj(kSpMusicInfo_ID3);
    if (record == nullptr) {
      DisposePtr(reinterpret_cast<Ptr>(body));
      return SpReportFailure(kSource, "SpQTI_ParseID3Version2DataCore", 2, kSpMsgMemory,
                             OSErr(memFullErr));
    }
  }
  record->SetupVersion(2, major, revision);

  UInt32 pos = 0;
  err = noErr;
  if (major > 2 && (flags & 0x40)) {
    if (bodySize < 4) {
      err = paramErr;
    } else if (major == 3) {
      pos = UInt32(std::min<UInt64>(UInt64(sp::LoadBE32(body)) + 4, bodySize));
    } else {
      // The v2.4 extended header counts its own synchsafe size.
      UInt32 extended = IsSynchsafe(body) ? Synchsafe(body) : 0;
      if (extended < 6) err = paramErr;
      pos = UInt32(std::min<UInt64>(extended, bodySize));
    }
    if (pos >= bodySize) err = paramErr;
  }

  SInt32 frames = 0;
  UInt32 headerSize = major == 2 ? 6 : kID3HeaderSize;
  while (err == noErr && UInt64(pos) + headerSize < bodySize) {
    UInt32 next = pos;
    unsigned char padding = 0;
    cSp_MusicFileMusicInfoDataItemObj* last = record->GetLastItemPtr();
    OSErr frameErr =
        major == 2
            ? SpQTI_ParseD3TagData_forVersion2_under2(body, pos, bodySize, record, next, padding)
            : SpQTI_ParseD3TagData_forVersion2_3AndOver(
                  body, pos, bodySize, major, (flags & 0x80) ? 1 : 0, record, next, padding);
    if (frameErr == paramErr) break;
    if (frameErr != noErr) {
      err = frameErr;
      break;
    }
    if (record->GetLastItemPtr() != last) ++frames;
    pos = next;
  }
  DisposePtr(reinterpret_cast<Ptr>(body));

  if (err == paramErr) err = noErr;
  if (made && (err != noErr || frames == 0)) {
    delete record;
    record = nullptr;
  }
  return err;
}

OSErr SpQTI_ParseTargetFileID3Version2Tag(sSpFileSysInfo* file, SInt32 fileLength,
                                          cSayErrorNoMgr* errors,
                                          cSp_MusicFileMusicInfoDataObj*& record) {
  if (file == nullptr) {
    return SpReportFailure(kSource, "SpQTI_ParseTargetFileID3Version2Tag", 1, kSpMsgNullArgument,
                           OSErr(paramErr));
  }
  if (fileLength <= SInt32(kID3HeaderSize)) return paramErr;
  OSErr err = Sp_ReadFileSystem_SetFilePosition(file, 1, 0);
  if (err != noErr) return err;
  char magic[3];
  err = ReadBytes(file, 3, magic);
  if (err != noErr) return err;
  if (std::memcmp(magic, "ID3", 3) != 0) return paramErr;
  return SpQTI_ParseID3Version2DataCore(file, UInt32(fileLength), 3, errors, record);
}

// ---- ID3 v1 ---------------------------------------------------------------------------------

OSErr SpQTI_ParseTargetFileID3Version1Tag(sSpFileSysInfo* file, SInt32 fileLength,
                                          cSayErrorNoMgr* /*errors*/,
                                          cSp_MusicFileMusicInfoDataObj*& record) {
  static const char kMethod[] = "SpQTI_ParseTargetFileID3Version1Tag";
  if (file == nullptr)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, OSErr(paramErr));
  if (fileLength < kID3v1Size) return paramErr;
  OSErr err = Sp_ReadFileSystem_SetFilePosition(file, 2, kID3v1Size);
  if (err != noErr) return err;
  UInt8 tag[kID3v1Size];
  err = ReadBytes(file, kID3v1Size, tag);
  if (err != noErr) return err;
  if (std::memcmp(tag, "TAG", 3) != 0) return paramErr;

  cSp_MusicFileMusicInfoDataObj* made =
      new (std::nothrow) cSp_MusicFileMusicInfoDataObj(kSpMusicInfo_ID3);
  if (made == nullptr) return SpReportFailure(kSource, kMethod, 2, kSpMsgMemory, OSErr(memFullErr));

  // v1.1 keeps the track number in the comment's last byte, after a zero byte.
  bool v11 = tag[125] == 0 && tag[126] != 0;
  struct Field {
    UInt32 id;
    SInt32 offset;
    SInt32 size;
  };
  const Field fields[] = {
      {kSpID3_TIT2, 3, 30}, {kSpID3_TPE1, 33, 30}, {kSpID3_TALB, 63, 30}, {kSpID3_TYER, 93, 4}};
  bool ok = true;
  for (const Field& field : fields) {
    const UInt8* bytes = tag + field.offset;
    ok = ok && made->SetupNewTextData(field.id, reinterpret_cast<const char*>(bytes),
                                      FieldLength(bytes, field.size), 1) != nullptr;
  }
  // The comment takes the layout of a v2 comment: language, empty description, text.
  const UInt8* comment = tag + 97;
  SInt32 commentLength = TrimmedLength(comment, FieldLength(comment, v11 ? 28 : 30));
  std::string commentData;
  if (commentLength > 0) {
    commentData.assign("eng", 4);
    commentData.append(reinterpret_cast<const char*>(comment), std::size_t(commentLength));
  }
  ok = ok && made->SetupNewTextData(kSpID3_COMM, commentData.data(), SInt32(commentData.size()),
                                    0) != nullptr;
  char number[8];
  if (v11) {
    int n = std::snprintf(number, sizeof number, "%u", unsigned(tag[126]));
    ok = ok && made->SetupNewTextData(kSpID3_TRCK, number, n, 0) != nullptr;
  }
  // Genre 255 means "none".
  if (tag[127] != 0xFF) {
    int n = std::snprintf(number, sizeof number, "(%u)", unsigned(tag[127]));
    ok = ok && made->SetupNewTextData(kSpID3_TCON, number, n, 0) != nullptr;
  }
  if (!ok) {
    delete made;
    return memFullErr;
  }
  made->SetupVersion(1, v11 ? 1 : 0, 0);
  record = made;
  return noErr;
}

// ---- AIFF -----------------------------------------------------------------------------------

unsigned char SpQTI_CheckAIFForNot(sSpFileSysInfo* file, SInt32 fileLength) {
  if (file == nullptr) {
    return SpReportFailure(kSource, "SpQTI_CheckAIFForNot", 1, kSpMsgNullArgument,
                           static_cast<unsigned char>(0));
  }
  UInt8 header[12];
  if (Sp_ReadFileSystem_SetFilePosition(file, 1, 0) != noErr ||
      ReadBytes(file, 12, header) != noErr) {
    return 0;
  }
  if (std::memcmp(header, "FORM", 4) != 0) return 0;
  if (std::memcmp(header + 8, "AIFF", 4) != 0 && std::memcmp(header + 8, "AIFC", 4) != 0) return 0;
  return fileLength >= 0 && UInt64(fileLength) >= UInt64(sp::LoadBE32(header + 4)) + 8 ? 1 : 0;
}

OSErr SpQTI_ParseTargetFileID3InAIFF(sSpFileSysInfo* file, SInt32 fileLength,
                                     cSayErrorNoMgr* errors,
                                     cSp_MusicFileMusicInfoDataObj*& record) {
  static const char kMethod[] = "SpQTI_ParseTargetFileID3InAIFF";
  if (file == nullptr)
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, OSErr(paramErr));
  UInt8 header[12];
  OSErr err = Sp_ReadFileSystem_SetFilePosition(file, 1, 0);
  if (err == noErr) err = ReadBytes(file, 12, header);
  if (err != noErr) return err;
  if (std::memcmp(header, "FORM", 4) != 0) return paramErr;
  if (std::memcmp(header + 8, "AIFF", 4) != 0 && std::memcmp(header + 8, "AIFC", 4) != 0) {
    return paramErr;
  }
  UInt64 limit = UInt64(sp::LoadBE32(header + 4)) + 8;
  if (fileLength >= 0 && limit > UInt64(fileLength)) limit = UInt64(fileLength);

  cSp_MusicFileMusicInfoDataObj* chunks =
      new (std::nothrow) cSp_MusicFileMusicInfoDataObj(kSpMusicInfo_AIFFChunk);
  if (chunks == nullptr) {
    SpReportFailure(kSource, kMethod, 2, kSpMsgMemory);
    ShowError(errors, memFullErr);
    return memFullErr;
  }
  cSp_MusicFileMusicInfoDataObj* id3 = nullptr;
  UInt64 pos = 12;
  err = noErr;
  // A chunk that runs past the end ends the walk; what was read before it is kept.
  while (pos + 8 <= limit) {
    UInt8 chunkHeader[8];
    if (Sp_ReadFileSystem_SetFilePosition(file, 1, SInt32(pos)) != noErr ||
        ReadBytes(file, 8, chunkHeader) != noErr) {
      break;
    }
    UInt32 id = sp::LoadBE32(chunkHeader);
    UInt32 size = sp::LoadBE32(chunkHeader + 4);
    if (id == 0) break;
    UInt64 dataStart = pos + 8;
    UInt64 dataEnd = dataStart + size;
    if (dataEnd > limit) break;
    if ((id == kSpAIFF_NAME || id == kSpAIFF_AUTH || id == kSpAIFF_ANNO) &&
        size <= kLargestTextChunk) {
      cSp_MusicFileMusicInfoDataItemObj* item = chunks->CreateNewSoundInfo(id);
      char* block = item == nullptr ? nullptr : NewPtrClear(Size(size) + 2);
      if (block == nullptr) {
        err = memFullErr;
        break;
      }
      if (ReadBytes(file, SInt32(size), block) == noErr) {
        item->SetupDataMemory(block, SInt32(size) + 2, SInt32(size));
      } else {
        DisposePtr(block);
      }
    } else if (id == kChunkID3 && size >= 3) {
      char magic[3];
      if (ReadBytes(file, 3, magic) == noErr && std::memcmp(magic, "ID3", 3) == 0) {
        OSErr tagErr = SpQTI_ParseID3Version2DataCore(file, UInt32(dataEnd), SInt32(dataStart + 3),
                                                      errors, id3);
        if (tagErr == paramErr || (tagErr == noErr && id3 != nullptr)) break;
        if (tagErr != noErr) {
          err = tagErr;
          break;
        }
      }
    }
    pos = dataEnd + (size & 1);
  }

  if (err != noErr) {
    delete chunks;
    delete id3;
    ShowError(errors, err);
    return err;
  }
  if (id3 != nullptr) {
    delete chunks;
    record = id3;
  } else {
    record = chunks;
  }
  return noErr;
}

// ---- The entry ------------------------------------------------------------------------------

short SpQTI_ParseMusicInfoFromTargetFile(short vRefNum, SInt32 dirID, const char* name,
                                         cSayErrorNoMgr* errors,
                                         cSp_MusicFileMusicInfoDataObj*& record) {
  record = nullptr;
  if (name == nullptr) {
    return SpReportFailure(kSource, "SpQTI_ParseTargetFileID3Tag", 1, kSpMsgNullOperator, short(0));
  }
  SInt32 dataLength = 0;
  if (Sp_GetFileSize(vRefNum, dirID, name, nullptr, nullptr, &dataLength, nullptr, nullptr,
                     nullptr) != noErr ||
      dataLength <= SInt32(kID3HeaderSize)) {
    return 0;
  }
  sSpFileSysInfo* file = nullptr;
  if (Sp_ReadFileSystem_OpenByDirId(vRefNum, dirID, name, 0, 0, &file) != noErr ||
      file == nullptr) {
    return 0;
  }
  SInt32 fileLength = SInt32(file->fileLength);
  cSp_MusicFileMusicInfoDataObj* found = nullptr;
  OSErr err = SpQTI_ParseTargetFileID3Version2Tag(file, fileLength, errors, found);
  ShowError(errors, err);
  if (found == nullptr) {
    err = SpQTI_ParseTargetFileID3Version1Tag(file, fileLength, errors, found);
    ShowError(errors, err);
  }
  if (found == nullptr && SpQTI_CheckAIFForNot(file, fileLength)) {
    SpQTI_ParseTargetFileID3InAIFF(file, fileLength, errors, found);
  }
  Sp_FileSystem_Close(file, 1, 1);
  record = found;
  return found != nullptr ? 1 : 0;
}
