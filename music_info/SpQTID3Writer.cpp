// Writing a tag record as an ID3 v2 tag: into an open file, into a memory block, or as the
// "ID3 " chunk of an AIFF file.
//
// Tags are written as ID3 v2.3 (or v2.2 when asked) with plain frame sizes: that is the
// version whose frame ids and encodings the record carries, and the one every common reader
// parses. Every item first becomes a planned frame (its id in the target scheme and its
// content), so measuring, writing and counting always agree.
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "CFString.h"
#include "Files.h"
#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpQTInterface.h"
#include "SpQTMusicInfo.h"
#include "SpTextCodec.h"

namespace {

const char kSource[] = "SpQTInterface";

constexpr UInt32 kTagHeaderSize = 10;
// The synchsafe size field holds 28 bits.
constexpr UInt32 kLargestTagBody = 0x0FFFFFFF;
constexpr UInt32 kLargestV22Frame = 0xFFFFFF;
constexpr UInt32 kChunkID3 = 0x49443320;  // 'ID3 '
// Room for the text of a QuickTime user-data item.
constexpr SInt32 kUserDataTextSize = 4096;

bool IsID3Kind(tMusicFileInfoType kind) {
  return kind >= kSpMusicInfo_ID3 && kind <= kSpMusicInfo_ID3Other;
}

bool IsCommentId(UInt32 id) {
  return id == kSpID3_COMM || id == kSpID3_COM;
}
bool IsUserTextId(UInt32 id) {
  return id == kSpID3_TXXX || id == kSpID3_TXX;
}
bool IsUserURLId(UInt32 id) {
  return id == kSpID3_WXXX || id == kSpID3_WXX;
}

// A frame id the target scheme can carry: four characters A-Z/0-9, or three and a blank.
bool IsWritableId(UInt32 id, unsigned char above22) {
  int count = above22 ? 4 : 3;
  for (int i = 0; i < count; ++i) {
    UInt8 c = UInt8(id >> (24 - 8 * i));
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  return above22 || (id & 0xFF) == 0x20;
}

// The id in the target scheme; the scheme an id belongs to shows in the id itself.
bool TargetFrameId(UInt32 id, unsigned char above22, UInt32& target) {
  bool is22 = SpMuIO_IsID3Version22Id(id) != 0;
  if (above22 ? !is22 : is22) {
    target = id;
  } else {
    UInt32 converted = 0;
    bool mapped = above22 ? SpQTI_ChangeID3Version2_Over2_3_from_Under2_2(id, converted) != 0
                          : SpQTI_ChangeID3Version2_Under2_2_from_Over2_3(id, converted) != 0;
    if (!mapped) return false;
    target = converted;
  }
  return IsWritableId(target, above22);
}

// ---- Texts ----------------------------------------------------------------------------------

bool IsWide(UInt8 code) {
  return code == kSpID3TextUTF16 || code == kSpID3TextUTF16BE;
}

// The end of the string that starts at `from`: the offset of its terminator (or the length).
std::size_t StringEnd(const std::string& bytes, std::size_t from, bool wide) {
  if (wide) {
    for (std::size_t i = from; i + 1 < bytes.size(); i += 2) {
      if (bytes[i] == 0 && bytes[i + 1] == 0) return i;
    }
    return bytes.size() - ((bytes.size() - from) & 1);
  }
  std::size_t zero = bytes.find('\0', from);
  return zero == std::string::npos ? bytes.size() : zero;
}

// One string of a frame as UTF-16. programText: the bytes are the program's MacJapanese
// rather than text of an ID3 encoding.
std::u16string DecodeString(const std::string& bytes, bool programText, UInt8 code) {
  std::u16string out;
  if (programText) {
    sp_musicinfo::TextToUTF16(bytes.data(), bytes.size(), kCFStringEncodingMacJapanese, out);
    return out;
  }
  const UInt8* b = reinterpret_cast<const UInt8*>(bytes.data());
  std::size_t n = bytes.size();
  switch (code) {
    case kSpID3TextLatin1:
      for (std::size_t i = 0; i < n; ++i) out.push_back(char16_t(b[i]));
      break;
    case kSpID3TextUTF8:
      out = sp::text::UTF8ToUTF16(bytes);
      break;
    default: {
      bool little = false;
      std::size_t i = 0;
      if (code == kSpID3TextUTF16 && n >= 2 &&
          ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
        little = b[0] == 0xFF;
        i = 2;
      }
      for (; i + 1 < n; i += 2) {
        out.push_back(little ? char16_t(b[i] | (b[i + 1] << 8)) : char16_t((b[i] << 8) | b[i + 1]));
      }
      break;
    }
  }
  if (!out.empty() && out[0] == 0xFEFF) out.erase(0, 1);
  return out;
}

// The strings of a text (terminator-separated; a terminator at the very end ends the last).
std::vector<std::u16string> DecodeStrings(const std::string& bytes, bool programText, UInt8 code) {
  bool wide = !programText && IsWide(code);
  std::vector<std::u16string> strings;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = StringEnd(bytes, pos, wide);
    strings.push_back(DecodeString(bytes.substr(pos, end - pos), programText, code));
    pos = end + (wide ? 2 : 1);
  }
  if (strings.empty()) strings.emplace_back();
  return strings;
}

void AppendUTF16WithMark(const std::u16string& text, std::string& out) {
  out.append("\xFF\xFE", 2);
  for (char16_t c : text) {
    out.push_back(char(UInt8(c)));
    out.push_back(char(UInt8(c >> 8)));
  }
}

// The strings in one encoding: ISO Latin-1 when all of them fit, else UTF-16 with a
// byte-order mark on each; separated by terminators. Answers the text code.
UInt8 EncodeStrings(const std::vector<std::u16string>& strings, std::string& out) {
  std::u16string all;
  for (const std::u16string& s : strings) all += s;
  std::string probe;
  UInt8 code = sp_musicinfo::EncodeID3Text(all, probe);
  out.clear();
  for (std::size_t i = 0; i < strings.size(); ++i) {
    if (i > 0) out.append(code == kSpID3TextUTF16 ? 2 : 1, '\0');
    if (code == kSpID3TextLatin1) {
      for (char16_t c : strings[i]) out.push_back(char(UInt8(c)));
    } else {
      AppendUTF16WithMark(strings[i], out);
    }
  }
  return code;
}

// The content of a text frame (encoding byte first) from its parts, re-encoded: language of a
// comment, description and text of a comment or user text, the raw address of a user link,
// the strings of any other text frame.
std::string EncodeTextFrame(UInt32 targetId, const std::string& data, bool programText,
                            UInt8 code) {
  bool wide = !programText && IsWide(code);
  std::string prefix;
  std::string body = data;
  std::string tail;
  if (IsCommentId(targetId)) {
    prefix = body.substr(0, 3);
    if (prefix.size() < 3) prefix.append(3 - prefix.size(), ' ');
    body = body.size() > 3 ? body.substr(3) : std::string();
  }
  std::vector<std::u16string> strings;
  if (IsUserURLId(targetId)) {
    // The address after the description is always ISO Latin-1 and goes unchanged.
    std::size_t end = StringEnd(body, 0, wide);
    strings.push_back(DecodeString(body.substr(0, end), programText, code));
    std::size_t after = end + (wide ? 2 : 1);
    if (after < body.size()) tail = body.substr(after);
  } else {
    strings = DecodeStrings(body, programText, code);
    // A comment or user text without a terminator is all description: its text is empty.
    if ((IsCommentId(targetId) || IsUserTextId(targetId)) && strings.size() < 2) {
      strings.emplace_back();
    }
  }
  std::string encoded;
  UInt8 newCode = EncodeStrings(strings, encoded);
  std::string content(1, char(newCode));
  content += prefix;
  content += encoded;
  if (IsUserURLId(targetId)) {
    content.append(newCode == kSpID3TextUTF16 ? 2 : 1, '\0');
    content += tail;
  }
  return content;
}

// The content of a text frame holding one text (or a comment with an empty description).
std::string TextFrameFromUTF16(UInt32 targetId, const std::u16string& text) {
  std::vector<std::u16string> strings;
  if (IsCommentId(targetId) || IsUserTextId(targetId)) strings.emplace_back();
  strings.push_back(text);
  std::string encoded;
  UInt8 code = EncodeStrings(strings, encoded);
  std::string content(1, char(code));
  if (IsCommentId(targetId)) content += "eng";
  content += encoded;
  return content;
}

// ---- Pictures -------------------------------------------------------------------------------

// An 'APIC' content as v2.2 'PIC ' (three-letter image format in place of the MIME type), and
// back.
bool PictureToV22(const std::string& apic, std::string& pic) {
  std::size_t zero = apic.find('\0', 1);
  if (apic.empty() || zero == std::string::npos) return false;
  std::string mime = apic.substr(1, zero - 1);
  for (char& c : mime) c = char(std::tolower(UInt8(c)));
  const char* format = "JPG";
  if (mime == "image/png") format = "PNG";
  if (mime == "image/gif") format = "GIF";
  if (mime == "image/bmp") format = "BMP";
  pic.assign(1, apic[0]);
  pic += format;
  pic += apic.substr(zero + 1);
  return true;
}

bool PictureToV23(const std::string& pic, std::string& apic) {
  if (pic.size() < 4) return false;
  std::string format = pic.substr(1, 3);
  for (char& c : format) c = char(std::toupper(UInt8(c)));
  std::string mime = "image/jpeg";
  if (format == "PNG") mime = "image/png";
  if (format == "GIF") mime = "image/gif";
  if (format == "BMP") mime = "image/bmp";
  apic.assign(1, pic[0]);
  apic += mime;
  apic.push_back('\0');
  apic += pic.substr(4);
  return true;
}

// ---- Plans by the record's kind ---------------------------------------------------------------

OSErr PlanFromID3(const cSp_MusicFileMusicInfoDataItemObj* item, unsigned char above22,
                  UInt32& frameId, std::string& content) {
  UInt32 id = item->GetItemType();
  if (!TargetFrameId(id, above22, frameId)) return paramErr;
  std::string data(item->GetDataPtr(), std::size_t(item->GetDataLength()));
  if (!SpMuIO_IsID3TextFrameId(frameId)) {
    if (frameId == kSpID3_PIC && id == kSpID3_APIC)
      return PictureToV22(data, content) ? noErr : paramErr;
    if (frameId == kSpID3_APIC && id == kSpID3_PIC)
      return PictureToV23(data, content) ? noErr : paramErr;
    content = data;
    return noErr;
  }
  UInt8 code = item->GetTextCode();
  if (item->IsTextCodeSet() && (code == kSpID3TextLatin1 || code == kSpID3TextUTF16)) {
    content.assign(1, char(code));
    content += data;
    return noErr;
  }
  // The program's own text, and encodings that v2.3 and v2.2 do not know (UTF-8 and
  // unmarked UTF-16 come from v2.4 tags), are written as ISO Latin-1 or UTF-16.
  bool programText = !item->IsTextCodeSet() || code > kSpID3TextUTF8;
  content = EncodeTextFrame(frameId, data, programText, code);
  return noErr;
}

OSErr PlanFromUserData(const cSp_MusicFileMusicInfoDataItemObj* item, short major,
                       unsigned char above22, UInt32& frameId, std::string& content) {
  if (!SpQTI_ChangeQTUserDataToID3Code(item->GetItemType(), frameId, above22)) return paramErr;
  if (!IsWritableId(frameId, above22) || !SpMuIO_IsID3TextFrameId(frameId)) return paramErr;
  std::vector<char> text(kUserDataTextSize, 0);
  unsigned char cut = 0;
  if (!const_cast<cSp_MusicFileMusicInfoDataItemObj*>(item)->GetTextDataIntoTargetMemory(
          kSpMusicInfo_QTUserData, major, text.data(), SInt32(text.size()), &cut) ||
      text[0] == 0) {
    return paramErr;
  }
  std::u16string units;
  sp_musicinfo::TextToUTF16(text.data(), std::strlen(text.data()), kCFStringEncodingMacJapanese,
                            units);
  content = TextFrameFromUTF16(frameId, units);
  return noErr;
}

OSErr PlanFromAIFFChunk(const cSp_MusicFileMusicInfoDataItemObj* item, unsigned char above22,
                        UInt32& frameId, std::string& content) {
  switch (item->GetItemType()) {
    case kSpAIFF_NAME:
      frameId = above22 ? kSpID3_TIT2 : kSpID3_TT2;
      break;
    case kSpAIFF_AUTH:
      frameId = above22 ? kSpID3_TPE1 : kSpID3_TP1;
      break;
    case kSpAIFF_ANNO:
      frameId = above22 ? kSpID3_COMM : kSpID3_COM;
      break;
    default:
      return paramErr;
  }
  const char* data = item->GetDataPtr();
  std::size_t length = strnlen(data, std::size_t(item->GetDataLength()));
  if (length == 0) return paramErr;
  std::u16string units;
  sp_musicinfo::TextToUTF16(data, length, kCFStringEncodingMacJapanese, units);
  content = TextFrameFromUTF16(frameId, units);
  return noErr;
}

std::u16string ASCIIToUTF16(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

OSErr PlanFromMP4(const cSp_MusicFileMusicInfoDataItemObj* item, unsigned char above22,
                  UInt32& frameId, std::string& content) {
  UInt32 type = item->GetItemType();
  if (!SpQTI_ChangeQuickTimeMetaUserDataType_ToID3_FrameId(type, frameId, above22)) return paramErr;
  if (!IsWritableId(frameId, above22)) return paramErr;
  const UInt8* data = reinterpret_cast<const UInt8*>(item->GetDataPtr());
  std::size_t length = std::size_t(item->GetDataLength());
  sp::ByteReader value(data, length);
  switch (type) {
    case kSpMP4_gnre: {
      long genre = value.BE16();
      if (!value.Ok()) return paramErr;
      if (genre > 0) --genre;
      content = TextFrameFromUTF16(frameId, ASCIIToUTF16("(" + std::to_string(genre) + ")"));
      return noErr;
    }
    case kSpMP4_trkn:
    case kSpMP4_disk: {
      // Reserved, number, count (a count of 0, or none, is left out; a number of 0 beside a
      // count is too: "/12" keeps the number unknown).
      value.Skip(2);
      UInt16 number = value.BE16();
      if (!value.Ok()) return paramErr;
      UInt16 count = value.BE16();
      const bool hasCount = value.Ok() && count != 0;
      std::string text = number == 0 && hasCount ? std::string() : std::to_string(number);
      if (hasCount) text += "/" + std::to_string(count);
      content = TextFrameFromUTF16(frameId, ASCIIToUTF16(text));
      return noErr;
    }
    case kSpMP4_tmpo: {
      // Two bytes, or one from writers that keep the tempo in a byte.
      long tempo = length >= 2 ? long(value.BE16()) : long(value.U8());
      content = TextFrameFromUTF16(frameId, ASCIIToUTF16(std::to_string(tempo)));
      return noErr;
    }
    case kSpMP4_covr: {
      // The atom's data type names the image: 14 PNG, 15 GIF, otherwise JPEG.
      UInt32 imageType = item->IsFlagInfoSet() ? item->GetFlagInfo() : 0;
      content.assign(1, '\0');
      if (above22) {
        content += imageType == 14 ? "image/png" : imageType == 15 ? "image/gif" : "image/jpeg";
        content.push_back('\0');
      } else {
        content += imageType == 14 ? "PNG" : imageType == 15 ? "GIF" : "JPG";
      }
      content.push_back('\0');  // picture type: other
      content.push_back('\0');  // empty description
      content.append(reinterpret_cast<const char*>(data), length);
      return noErr;
    }
    default:
      break;
  }
  if (SpMuIO_IsID3TextFrameId(frameId)) {
    std::string utf8(reinterpret_cast<const char*>(data), strnlen(item->GetDataPtr(), length));
    if (utf8.empty()) return paramErr;
    content = TextFrameFromUTF16(frameId, sp::text::UTF8ToUTF16(utf8));
    return noErr;
  }
  content.assign(reinterpret_cast<const char*>(data), length);
  return noErr;
}

// The whole frame: header and content.
OSErr BuildFrame(const cSp_MusicFileMusicInfoDataItemObj* item, tMusicFileInfoType kind, short main,
                 short major, unsigned char above22, std::string& frame) {
  UInt32 frameId = 0;
  std::string content;
  OSErr err = sp_musicinfo::PlanID3Frame(item, kind, main, major, above22, frameId, content);
  if (err != noErr) return err;
  sp::ByteWriter header;
  if (above22) {
    if (content.size() > kLargestTagBody - kTagHeaderSize) return paramErr;
    header.FourCC(frameId);
    header.BE32(UInt32(content.size()));
    header.BE16(0);  // no flags
  } else {
    if (content.size() > kLargestV22Frame) return paramErr;
    // The three characters of a v2.2 id, without the program's blank.
    header.BE24(frameId >> 8);
    header.BE24(UInt32(content.size()));
  }
  frame.assign(reinterpret_cast<const char*>(header.Data().data()), header.Size());
  frame += content;
  return noErr;
}

// The file's mark, in 64 bits (files past 2 GiB take tags too).
OSErr Mark(short refNum, SInt64* at) {
  return FSGetForkPosition(refNum, at);
}

OSErr SetMark(short refNum, SInt64 at) {
  return FSSetForkPosition(refNum, fsFromStart, at);
}

OSErr WriteBytes(short refNum, const void* bytes, UInt32 length) {
  SInt32 count = SInt32(length);
  OSErr err = FSWrite(refNum, &count, bytes);
  if (err == noErr && count != SInt32(length)) err = ioErr;
  return err;
}

OSErr WriteFrameToFile(const cSp_MusicFileMusicInfoDataItemObj* item, tMusicFileInfoType kind,
                       short main, short major, short refNum, unsigned char above22,
                       UInt32* written) {
  if (written != nullptr) *written = 0;
  std::string frame;
  OSErr err = BuildFrame(item, kind, main, major, above22, frame);
  if (err == noErr) err = WriteBytes(refNum, frame.data(), UInt32(frame.size()));
  if (err == noErr && written != nullptr) *written = UInt32(frame.size());
  return err;
}

OSErr WriteFrameToMemory(const cSp_MusicFileMusicInfoDataItemObj* item, tMusicFileInfoType kind,
                         short main, short major, char* memory, UInt32 memorySize,
                         unsigned char above22, UInt32* written) {
  if (written != nullptr) *written = 0;
  if (memory == nullptr) {
    return SpReportFailure(kSource, "cSp_MusicFileMusicInfoDataItemObj::WriteID3TagInTargetMemory",
                           1, kSpMsgNullArgument, OSErr(paramErr));
  }
  std::string frame;
  OSErr err = BuildFrame(item, kind, main, major, above22, frame);
  if (err != noErr) return err;
  if (frame.size() > memorySize) return memFullErr;
  std::memcpy(memory, frame.data(), frame.size());
  if (written != nullptr) *written = UInt32(frame.size());
  return noErr;
}

OSErr MeasureFrame(const cSp_MusicFileMusicInfoDataItemObj* item, tMusicFileInfoType kind,
                   short main, short major, unsigned char above22, UInt32* size) {
  if (size != nullptr) *size = 0;
  std::string frame;
  OSErr err = BuildFrame(item, kind, main, major, above22, frame);
  if (err == noErr && size != nullptr) *size = UInt32(frame.size());
  return err;
}

void ShowError(cSayErrorNoMgr* errors, OSErr err) {
  if (errors != nullptr && err != noErr && err != paramErr)
    errors->SayErrorOccured(0, err, nullptr);
}

// The tag header for frames of that many bytes; false when they are too many for its size.
bool TagHeader(unsigned char above22, UInt32 frameBytes, sp::ByteWriter& header) {
  header.Bytes("ID3", 3);
  header.U8(above22 ? 3 : 2);
  header.U8(0);  // revision
  header.U8(0);  // no flags
  return header.Synchsafe32(frameBytes);
}

}  // namespace

OSErr sp_musicinfo::PlanID3Frame(const cSp_MusicFileMusicInfoDataItemObj* item,
                                 tMusicFileInfoType kind, short /*main*/, short major,
                                 unsigned char above22, UInt32& frameId, std::string& content) {
  content.clear();
  if (item == nullptr || item->GetDataPtr() == nullptr || item->GetDataLength() <= 0) {
    return paramErr;
  }
  if (IsID3Kind(kind)) return PlanFromID3(item, above22, frameId, content);
  switch (kind) {
    case kSpMusicInfo_QTUserData:
      return PlanFromUserData(item, major, above22, frameId, content);
    case kSpMusicInfo_AIFFChunk:
      return PlanFromAIFFChunk(item, above22, frameId, content);
    case kSpMusicInfo_MP4Meta:
      return PlanFromMP4(item, above22, frameId, content);
    default:
      return paramErr;
  }
}

// ---- One item -------------------------------------------------------------------------------

OSErr cSp_MusicFileMusicInfoDataItemObj::WriteID3TagInTargetOpenedFile_FromID3Data(
    short main, short major, short refNum, unsigned char above22, UInt32* written) {
  return WriteFrameToFile(this, kSpMusicInfo_ID3, main, major, refNum, above22, written);
}

OSErr cSp_MusicFileMusicInfoDataItemObj::WriteID3TagInTargetMemory_FromID3Data(
    short main, short major, char* memory, UInt32 memorySize, unsigned char above22,
    UInt32* written) {
  return WriteFrameToMemory(this, kSpMusicInfo_ID3, main, major, memory, memorySize, above22,
                            written);
}

OSErr cSp_MusicFileMusicInfoDataItemObj::GetID3TagInTargetMemorySize_FromID3Data(
    short main, short major, unsigned char above22, UInt32* size) {
  return MeasureFrame(this, kSpMusicInfo_ID3, main, major, above22, size);
}

OSErr cSp_MusicFileMusicInfoDataItemObj::WriteID3TagInTargetOpenedFile_FromMP4Data(
    short refNum, unsigned char above22, UInt32* written) {
  return WriteFrameToFile(this, kSpMusicInfo_MP4Meta, 0, 0, refNum, above22, written);
}

OSErr cSp_MusicFileMusicInfoDataItemObj::WriteID3TagInTargetMemory_FromMP4metaUserData(
    char* memory, UInt32 memorySize, unsigned char above22, UInt32* written) {
  return WriteFrameToMemory(this, kSpMusicInfo_MP4Meta, 0, 0, memory, memorySize, above22, written);
}

OSErr cSp_MusicFileMusicInfoDataItemObj::GetID3TagInTargetMemorySize_FromMP4metaUserData(
    unsigned char above22, UInt32* size) {
  return MeasureFrame(this, kSpMusicInfo_MP4Meta, 0, 0, above22, size);
}

// ---- Along the list -------------------------------------------------------------------------
// An item that gives no frame is left out; any other failure ends the list.

OSErr cSp_MusicFileMusicInfoDataItemObj::WriteID3TagInTargetOpenedFileOnLink(
    tMusicFileInfoType kind, short main, short major, short refNum, unsigned char above22,
    UInt32* written) {
  UInt32 total = 0;
  if (written != nullptr) *written = 0;
  for (cSp_MusicFileMusicInfoDataItemObj* item = this; item != nullptr;
       item = item->GetNextObjectPtr()) {
    UInt32 bytes = 0;
    OSErr err = WriteFrameToFile(item, kind, main, major, refNum, above22, &bytes);
    if (err == paramErr) continue;
    if (err != noErr) return err;
    total += bytes;
    if (written != nullptr) *written = total;
  }
  return noErr;
}

OSErr cSp_MusicFileMusicInfoDataItemObj::WriteID3TagInTargetMemoryOnLink(
    tMusicFileInfoType kind, short main, short major, char* memory, UInt32 memorySize,
    unsigned char above22, UInt32* written) {
  if (written != nullptr) *written = 0;
  if (memory == nullptr) {
    return SpReportFailure(kSource,
                           "cSp_MusicFileMusicInfoDataItemObj::WriteID3TagInTargetMemoryOnLink", 1,
                           kSpMsgNullArgument, OSErr(paramErr));
  }
  UInt32 total = 0;
  for (cSp_MusicFileMusicInfoDataItemObj* item = this; item != nullptr;
       item = item->GetNextObjectPtr()) {
    UInt32 bytes = 0;
    OSErr err = WriteFrameToMemory(item, kind, main, major, memory + total, memorySize - total,
                                   above22, &bytes);
    if (err == paramErr) continue;
    if (err != noErr) return err;
    total += bytes;
    if (written != nullptr) *written = total;
  }
  return noErr;
}

OSErr cSp_MusicFileMusicInfoDataItemObj::GetID3TagMemorySizeOnLink(tMusicFileInfoType kind,
                                                                   short main, short major,
                                                                   unsigned char above22,
                                                                   UInt32* size) {
  UInt32 total = 0;
  if (size != nullptr) *size = 0;
  for (cSp_MusicFileMusicInfoDataItemObj* item = this; item != nullptr;
       item = item->GetNextObjectPtr()) {
    UInt32 bytes = 0;
    OSErr err = MeasureFrame(item, kind, main, major, above22, &bytes);
    if (err == paramErr) continue;
    if (err != noErr) return err;
    total += bytes;
  }
  if (size != nullptr) *size = total;
  return noErr;
}

// ---- The record ------------------------------------------------------------------------------

OSErr cSp_MusicFileMusicInfoDataObj::WriteID3TagInTargetOpenedFile(short refNum,
                                                                   unsigned char above22,
                                                                   cSayErrorNoMgr* errors,
                                                                   UInt32* written) {
  if (written != nullptr) *written = 0;
  if (first_ == nullptr) return paramErr;
  SInt64 start = 0;
  OSErr err = Mark(refNum, &start);
  if (err != noErr) {
    ShowError(errors, err);
    return err;
  }
  sp::ByteWriter header;
  TagHeader(above22, 0, header);
  UInt32 frameBytes = 0;
  err = WriteBytes(refNum, header.Data().data(), UInt32(header.Size()));
  if (err == noErr) {
    err = first_->WriteID3TagInTargetOpenedFileOnLink(kind_, versionMain_, versionMajor_, refNum,
                                                      above22, &frameBytes);
  }
  if (err == noErr && frameBytes > kLargestTagBody) err = paramErr;
  SInt64 end = 0;
  if (err == noErr) err = Mark(refNum, &end);
  if (err == noErr) {
    // Now that the frames are measured, the header is written again with their size.
    sp::ByteWriter finished;
    TagHeader(above22, frameBytes, finished);
    err = SetMark(refNum, start);
    if (err == noErr) err = WriteBytes(refNum, finished.Data().data(), UInt32(finished.Size()));
    if (err == noErr) err = SetMark(refNum, end);
  }
  if (err != noErr) {
    ShowError(errors, err);
    SetMark(refNum, start);
    return err;
  }
  if (written != nullptr) *written = kTagHeaderSize + frameBytes;
  return noErr;
}

UInt32 cSp_MusicFileMusicInfoDataObj::GetID3TagDrawingMemorySize(unsigned char above22) {
  if (first_ == nullptr) return 0;
  UInt32 frameBytes = 0;
  if (first_->GetID3TagMemorySizeOnLink(kind_, versionMain_, versionMajor_, above22, &frameBytes) !=
          noErr ||
      frameBytes > kLargestTagBody) {
    return 0;
  }
  return kTagHeaderSize + frameBytes;
}

OSErr cSp_MusicFileMusicInfoDataObj::GetID3TagDrawedMemory(unsigned char above22, UInt32* tagLength,
                                                           char** block, UInt32* blockSize) {
  static const char kMethod[] = "cSp_MusicFileMusicInfoDataObj::GetID3TagDrawedMemory";
  if (tagLength == nullptr || block == nullptr) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, OSErr(paramErr));
  }
  *tagLength = 0;
  *block = nullptr;
  if (blockSize != nullptr) *blockSize = 0;
  UInt32 size = GetID3TagDrawingMemorySize(above22);
  if (size == 0) return paramErr;
  char* memory = NewPtrClear(Size(size) + 4);
  if (memory == nullptr)
    return SpReportFailure(kSource, kMethod, 2, kSpMsgMemory, OSErr(memFullErr));
  UInt32 frameBytes = 0;
  OSErr err = first_->WriteID3TagInTargetMemoryOnLink(kind_, versionMain_, versionMajor_,
                                                      memory + kTagHeaderSize,
                                                      size - kTagHeaderSize, above22, &frameBytes);
  if (err != noErr) {
    DisposePtr(memory);
    return err;
  }
  sp::ByteWriter header;
  if (!TagHeader(above22, frameBytes, header)) {
    DisposePtr(memory);
    return paramErr;
  }
  std::memcpy(memory, header.Data().data(), header.Size());
  *tagLength = kTagHeaderSize + frameBytes;
  *block = memory;
  if (blockSize != nullptr) *blockSize = size + 4;
  return noErr;
}

unsigned char SpQTI_WriteID3TagChunkIntoAIFF(short refNum, cSp_MusicFileMusicInfoDataObj* record,
                                             unsigned char above22, cSayErrorNoMgr* errors,
                                             UInt32& written, OSErr* error) {
  written = 0;
  if (error != nullptr) *error = noErr;
  if (record == nullptr) return 0;
  // A tag without frames would be an empty chunk: none is written.
  if (record->GetID3TagDrawingMemorySize(above22) <= kTagHeaderSize) return 0;
  SInt64 start = 0;
  OSErr err = Mark(refNum, &start);
  if (err != noErr) {
    if (error != nullptr) *error = err;
    return 0;
  }
  sp::ByteWriter header;
  header.FourCC(kChunkID3);
  header.BE32(0);  // the size, once the tag is written
  UInt32 tagLength = 0;
  err = WriteBytes(refNum, header.Data().data(), UInt32(header.Size()));
  if (err == noErr) {
    // The tag shows its own failures.
    const OSErr tagErr = record->WriteID3TagInTargetOpenedFile(refNum, above22, errors, &tagLength);
    if (tagErr != noErr) {
      SetMark(refNum, start);
      if (error != nullptr) *error = tagErr;
      return 0;
    }
  }
  UInt32 total = 8 + tagLength;
  if (err == noErr && (tagLength & 1)) {
    const UInt8 pad = 0;
    err = WriteBytes(refNum, &pad, 1);
    ++total;
  }
  SInt64 end = 0;
  if (err == noErr) err = Mark(refNum, &end);
  if (err == noErr) {
    // The chunk's size leaves out its header and the pad byte.
    sp::ByteWriter finished;
    finished.FourCC(kChunkID3);
    finished.BE32(tagLength);
    err = SetMark(refNum, start);
    if (err == noErr) err = WriteBytes(refNum, finished.Data().data(), UInt32(finished.Size()));
    if (err == noErr) err = SetMark(refNum, end);
  }
  if (err != noErr) {
    ShowError(errors, err);
    SetMark(refNum, start);
    if (error != nullptr) *error = err;
    return 0;
  }
  written = total;
  return 1;
}
