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

// Reads a frame id of `count` characters (A-Z, 0-9) as a big-endian number; false when the
// bytes are not there or are no id.
bool ReadFrameId(sp::ByteReader& r, int count, UInt32& id) {
  id = 0;
  for (int i = 0; i < count; ++i) {
    UInt8 c = r.U8();
    if (!r.Ok() || !IsFrameIdChar(c)) return false;
    id = (id << 8) | c;
  }
  return true;
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

// True when a v2.3/v2.4 frame, the padding or the end of the frames begins at `at` of `tag`.
bool FrameStartsAt(const sp::ByteReader& tag, UInt64 at) {
  if (at == tag.Size()) return true;
  if (at > tag.Size()) return false;
  sp::ByteReader r = tag;
  r.Seek(std::size_t(at));
  if (r.Has(1) && *r.Current() == 0) return true;
  if (!r.Has(kID3HeaderSize)) return false;
  UInt32 id = 0;
  return ReadFrameId(r, 4, id);
}

// A v2.4 frame size is synchsafe, but many writers put a plain number there: the plain
// reading is taken when only it leads to the next frame. `r` stands at the size field and
// is moved past it.
UInt32 Version24FrameSize(sp::ByteReader& r) {
  sp::ByteReader synchsafeField = r;
  UInt32 synchsafe = synchsafeField.Synchsafe32();
  UInt32 plain = r.BE32();
  if (!synchsafeField.Ok() || synchsafe == plain) return plain;
  // The frame's data starts after the size and the two flag bytes.
  UInt64 start = UInt64(r.Position()) + 2;
  sp::ByteReader whole = r;
  whole.Seek(0);
  if (FrameStartsAt(whole, start + synchsafe)) return synchsafe;
  if (FrameStartsAt(whole, start + plain)) return plain;
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

// The end of the FORM chunk an AIFF or AIFF-C file's first 12 bytes announce; false when
// they are no such header.
bool AIFFFormEnd(const UInt8 (&header)[12], UInt64& end) {
  sp::ByteReader r(header, sizeof header);
  OSType form = r.FourCC();
  UInt32 size = r.BE32();
  OSType type = r.FourCC();
  if (form != SpFourCC("FORM") || (type != SpFourCC("AIFF") && type != SpFourCC("AIFC"))) {
    return false;
  }
  end = UInt64(size) + 8;
  return true;
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
  sp::ByteReader r(tag, limit);
  if (!r.Seek(position) || !r.Has(4)) return paramErr;
  if (*r.Current() == 0) {
    paddingReached = 1;
    return paramErr;
  }
  UInt32 frameId = 0;
  if (!ReadFrameId(r, 4, frameId) || !r.Has(kID3HeaderSize - 4)) return paramErr;
  UInt32 size = major >= 4 ? Version24FrameSize(r) : r.BE32();
  r.Skip(1);  // status flags
  UInt8 format = r.U8();
  if (size == 0 || !r.Has(size)) return paramErr;
  nextPosition = UInt32(r.Position()) + size;

  sp::ByteReader data(r.Current(), size);
  bool unsynchronised = false;
  if (major >= 4) {
    // Compressed and encrypted frames cannot be read here: they are passed over.
    if (format & 0x0C) return noErr;
    // A group byte and a data length indicator come before the data.
    std::size_t extra = ((format & 0x40) ? 1 : 0) + ((format & 0x01) ? 4 : 0);
    if (extra >= size) return paramErr;
    data.Skip(extra);
    unsynchronised = (format & 0x02) != 0 || tagUnsynchronised != 0;
  } else {
    if (format & 0xC0) return noErr;
    if (format & 0x20) {
      if (size <= 1) return paramErr;
      data.Skip(1);  // group byte
    }
  }
  std::vector<UInt8> restored;
  if (unsynchronised) {
    data.Bytes(restored, data.Remaining());
    restored.resize(Resynchronise(restored.data(), UInt32(restored.size())));
    data = sp::ByteReader(restored.data(), restored.size());
  }

  cSp_MusicFileMusicInfoDataItemObj* item = record->CreateNewSoundInfo(frameId);
  if (item == nullptr) return memFullErr;
  if (SpMuIO_IsID3TextFrameId(frameId)) item->SetupTextCodeByte(char(data.U8()));
  UInt32 length = UInt32(data.Remaining());
  return AttachCopy(item, data.Current(), length, length);
}

OSErr SpQTI_ParseD3TagData_forVersion2_under2(const UInt8* tag, UInt32 position, UInt32 limit,
                                              cSp_MusicFileMusicInfoDataObj* record,
                                              UInt32& nextPosition, unsigned char& paddingReached) {
  if (tag == nullptr || record == nullptr) {
    return SpReportFailure(kSource, "SpQTI_ParseD3TagData_forVersion2_under2", 1,
                           kSpMsgNullArgument, OSErr(paramErr));
  }
  sp::ByteReader r(tag, limit);
  if (!r.Seek(position) || !r.Has(3)) return paramErr;
  if (*r.Current() == 0) {
    paddingReached = 1;
    return paramErr;
  }
  UInt32 frameId = 0;
  if (!ReadFrameId(r, 3, frameId) || !r.Has(3)) return paramErr;
  // v2.2 ids have three characters; the program keeps them with a blank as the fourth.
  frameId = (frameId << 8) | 0x20;
  UInt32 size = r.BE24();
  if (size == 0 || !r.Has(size)) return paramErr;
  nextPosition = UInt32(r.Position()) + size;

  cSp_MusicFileMusicInfoDataItemObj* item = record->CreateNewSoundInfo(frameId);
  if (item == nullptr) return memFullErr;
  sp::ByteReader data(r.Current(), size);
  UInt32 dataLength = size;
  if (SpMuIO_IsID3TextFrameId(frameId)) {
    UInt8 code = data.U8();
    item->SetupTextCodeByte(char(code));
    dataLength = UInt32(data.Remaining());
    // A plain text frame holds one text; a comment, a user text or a list keeps its parts.
    if ((frameId >> 24) == 'T' && frameId != kSpID3_TXX) {
      dataLength = TextLengthBeforeTerminator(data.Current(), dataLength, code);
    }
  }
  return AttachCopy(item, data.Current(), UInt32(data.Remaining()), dataLength);
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
  sp::ByteReader h(header, sizeof header);
  short major = h.U8();
  short revision = h.U8();
  UInt8 flags = h.U8();
  UInt32 tagSize = h.Synchsafe32();
  if (major < 2 || major > 4 || !h.Ok()) return paramErr;
  UInt64 end = UInt64(tagStart) + kID3HeaderSize + tagSize;
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
    sp::ByteReader extended(body, bodySize);
    if (major == 3) {
      // The v2.3 extended header's size leaves out its own four bytes.
      UInt64 size = UInt64(extended.BE32()) + 4;
      pos = UInt32(std::min<UInt64>(size, bodySize));
    } else {
      // The v2.4 extended header counts its own synchsafe size.
      UInt32 size = extended.Synchsafe32();
      if (size < 6) err = paramErr;
      pos = UInt32(std::min<UInt64>(size, bodySize));
    }
    if (!extended.Ok() || pos >= bodySize) err = paramErr;
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

  // Title, artist, album and year, then the comment and the genre, each a fixed field.
  sp::ByteReader r(tag, sizeof tag);
  r.Skip(3);
  const struct {
    UInt32 id;
    std::size_t size;
  } fields[] = {{kSpID3_TIT2, 30}, {kSpID3_TPE1, 30}, {kSpID3_TALB, 30}, {kSpID3_TYER, 4}};
  bool ok = true;
  UInt8 bytes[30];
  for (const auto& field : fields) {
    r.Bytes(bytes, field.size);
    ok = ok && made->SetupNewTextData(field.id, reinterpret_cast<const char*>(bytes),
                                      FieldLength(bytes, SInt32(field.size)), 1) != nullptr;
  }
  UInt8 comment[30];
  r.Bytes(comment, sizeof comment);
  UInt8 genre = r.U8();
  // v1.1 keeps the track number in the comment's last byte, after a zero byte.
  bool v11 = comment[28] == 0 && comment[29] != 0;
  // The comment takes the layout of a v2 comment: language, empty description, text.
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
    int n = std::snprintf(number, sizeof number, "%u", unsigned(comment[29]));
    ok = ok && made->SetupNewTextData(kSpID3_TRCK, number, n, 0) != nullptr;
  }
  // Genre 255 means "none".
  if (genre != 0xFF) {
    int n = std::snprintf(number, sizeof number, "(%u)", unsigned(genre));
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
  UInt64 formEnd = 0;
  if (!AIFFFormEnd(header, formEnd)) return 0;
  return fileLength >= 0 && UInt64(fileLength) >= formEnd ? 1 : 0;
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
  UInt64 limit = 0;
  if (!AIFFFormEnd(header, limit)) return paramErr;
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
    sp::ByteReader chunk(chunkHeader, sizeof chunkHeader);
    UInt32 id = chunk.FourCC();
    UInt32 size = chunk.BE32();
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
  // The opened file's length tells whether it can hold a tag: a file too short for one is
  // closed again (asking its length first cost a catalogue look-up of every file).
  sSpFileSysInfo* file = nullptr;
  if (Sp_ReadFileSystem_OpenByDirId(vRefNum, dirID, name, 0, 0, &file) != noErr ||
      file == nullptr) {
    return 0;
  }
  SInt32 fileLength = SInt32(file->fileLength);
  if (fileLength <= SInt32(kID3HeaderSize)) {
    Sp_FileSystem_Close(file, 1, 1);
    return 0;
  }
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
