#include "SpQTMusicInfo.h"

#include <cstring>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "CFString.h"
#include "MacMemory.h"
#include "SpErrorInfoSystem.h"
#include "SpQTInterface.h"
#include "SpStdFunction.h"
#include "SpTextCodec.h"

namespace {

const char kSource[] = "SpQTInterface";

// Longest genre text examined for its number.
constexpr SInt32 kGenreTextSize = 513;
// Room for a number or a short text handled inside a getter.
constexpr SInt32 kSmallTextSize = 64;

bool IsID3Kind(tMusicFileInfoType kind) {
  return kind >= kSpMusicInfo_ID3 && kind <= kSpMusicInfo_ID3Other;
}

bool IsCommentId(UInt32 id) {
  return id == kSpID3_COMM || id == kSpID3_COM;
}

// The first two-byte MacJapanese character byte values.
bool IsMacJapaneseLeadByte(UInt8 b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// A decimal number at text (leading blanks skipped); false when there are no digits.
bool ParseNumber(const char*& text, long& value) {
  while (*text == ' ') ++text;
  if (*text < '0' || *text > '9') return false;
  value = 0;
  while (*text >= '0' && *text <= '9') {
    if (value < 100000) value = value * 10 + (*text - '0');
    ++text;
  }
  return true;
}

short ClampShort(long value) {
  return short(value > 32767 ? 32767 : value);
}

// The genre number a genre text names: "(17)", "(17)Rock" or "17"; -1 when it names none.
long GenreNumberOfText(const char* text) {
  const char* open = std::strchr(text, '(');
  long number = -1;
  if (open != nullptr) {
    const char* p = open + 1;
    if (ParseNumber(p, number) && *p == ')') return number;
    return -1;
  }
  const char* p = text;
  if (!ParseNumber(p, number)) return -1;
  while (*p == ' ') ++p;
  return *p == 0 ? number : -1;
}

}  // namespace

// ---- Shared text helpers --------------------------------------------------------------------

namespace sp_musicinfo {

bool TextToUTF16(const char* bytes, std::size_t length, UInt32 encoding, std::u16string& out) {
  out.clear();
  if (length == 0) return true;
  if (bytes == nullptr) return false;
  if (encoding == kCFStringEncodingMacJapanese) {
    out = sp::text::UTF8ToUTF16(sp::text::MacJapaneseToUTF8(bytes, length));
    return true;
  }
  return sp::text::DecodeToUTF16(encoding, bytes, length, out, true);
}

UInt8 EncodeID3Text(const std::u16string& text, std::string& out) {
  out.clear();
  bool latin1 = true;
  for (char16_t c : text) {
    if (c > 0xFF) {
      latin1 = false;
      break;
    }
  }
  if (latin1) {
    for (char16_t c : text) out.push_back(char(UInt8(c)));
    return kSpID3TextLatin1;
  }
  out.push_back(char(0xFF));
  out.push_back(char(0xFE));
  for (char16_t c : text) {
    out.push_back(char(UInt8(c)));
    out.push_back(char(UInt8(c >> 8)));
  }
  return kSpID3TextUTF16;
}

bool CommentTextStart(const UInt8* data, SInt32 length, bool wide, SInt32& start) {
  if (data == nullptr || length <= 3) return false;
  // Three bytes of language, then the description up to its terminator (two zero bytes in a
  // two-byte encoding).
  sp::ByteReader in(data, std::size_t(length));
  in.Skip(3);
  const std::size_t unit = wide ? 2 : 1;
  while (in.Has(unit)) {
    const bool terminator = wide ? in.BE16() == 0 : in.U8() == 0;
    if (terminator) {
      start = SInt32(in.Position());
      return !in.AtEnd();
    }
  }
  return false;
}

bool CopyProgramText(const char* text, std::size_t length, char* buffer, SInt32 bufferSize) {
  if (buffer == nullptr || bufferSize < 1) return length > 0;
  std::size_t room = std::size_t(bufferSize - 1);
  std::size_t n = 0;
  while (n < length) {
    std::size_t step = IsMacJapaneseLeadByte(UInt8(text[n])) && n + 1 < length ? 2 : 1;
    if (n + step > room) break;
    n += step;
  }
  std::memcpy(buffer, text, n);
  buffer[n] = 0;
  return n < length;
}

}  // namespace sp_musicinfo

Handle SpMuIO_GetMusicInfoTextData(const char* data, SInt32 length, unsigned char convert,
                                   UInt8 textCode, SInt32* outLength) {
  if (outLength != nullptr) *outLength = 0;
  if (data == nullptr || length < 0) length = 0;
  std::string text;
  bool converted = false;
  if (convert && length > 0 && textCode <= kSpID3TextUTF8) {
    const UInt8* bytes = reinterpret_cast<const UInt8*>(data);
    std::size_t count = std::size_t(length);
    std::u16string units;
    bool decoded = false;
    switch (textCode) {
      case kSpID3TextLatin1:
        decoded = sp::text::DecodeToUTF16(kCFStringEncodingISOLatin1, bytes, count, units);
        break;
      case kSpID3TextUTF16:
        count &= ~std::size_t(1);
        if (count >= 2 &&
            ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
          decoded = sp::text::DecodeToUTF16(kCFStringEncodingUnicode, bytes, count, units, true);
        } else {
          decoded = sp::text::DecodeToUTF16(kCFStringEncodingUTF16BE, bytes, count, units);
        }
        break;
      case kSpID3TextUTF16BE:
        count &= ~std::size_t(1);
        decoded = sp::text::DecodeToUTF16(kCFStringEncodingUTF16BE, bytes, count, units);
        break;
      default:
        decoded = sp::text::DecodeToUTF16(kCFStringEncodingUTF8, bytes, count, units);
        break;
    }
    if (decoded) {
      // A terminator ends the text; what follows it is another string of the frame.
      std::size_t nul = units.find(char16_t(0));
      if (nul != std::u16string::npos) units.resize(nul);
      // A byte-order mark left inside (UTF-16 big-endian texts that carry one) is no text.
      if (!units.empty() && units[0] == 0xFEFF) units.erase(0, 1);
      converted = true;
      // Tag text is often European: a letter the program's text lacks is shown without its
      // accent rather than as another encoding's bytes or a loss of the whole text.
      text = sp::text::UTF16ToMacJapaneseNearest(units.data(), units.size());
    }
  }
  if (!converted) {
    text.assign(data == nullptr ? "" : data, std::size_t(length));
    std::size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
  }
  Handle handle = NewHandleClear(Size(text.size() + 1));
  if (handle == nullptr) return nullptr;
  std::memcpy(*handle, text.data(), text.size());
  if (outLength != nullptr) *outLength = SInt32(text.size());
  return handle;
}

unsigned char SpMuIO_IsID3TextFrameId(UInt32 frameId) {
  if ((frameId >> 24) == 'T') return 1;
  switch (frameId) {
    case kSpID3_IPLS:
    case kSpID3_IPL:
    case kSpID3_WXXX:
    case kSpID3_WXX:
    case kSpID3_COMM:
    case kSpID3_COM:
      return 1;
    default:
      return 0;
  }
}

// ---- cSp_MusicFileMusicInfoDataItemObj --------------------------------------------------------

cSp_MusicFileMusicInfoDataItemObj::~cSp_MusicFileMusicInfoDataItemObj() {
  if (data_ != nullptr) DisposePtr(data_);
}

OSErr cSp_MusicFileMusicInfoDataItemObj::SetupTextValue(const char* text, SInt32 length,
                                                        unsigned char trimTrailingBlanks) {
  static const char kMethod[] = "cSp_MusicFileMusicInfoDataItemObj::SetupTextValue";
  if (length > 0 && text == nullptr) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, OSErr(paramErr));
  }
  // The block is kept only when it is the size this text needs.
  if (data_ != nullptr &&
      (length != memorySize_ || length <= 0 || GetPtrSize(data_) < Size(length) + 1)) {
    DisposePtr(data_);
    data_ = nullptr;
    memorySize_ = 0;
  }
  dataLength_ = 0;
  if (length <= 0) return noErr;
  if (length > 0x7FFFFFF0)
    return SpReportFailure(kSource, kMethod, 3, kSpMsgDataError, OSErr(paramErr));
  if (data_ == nullptr) {
    data_ = NewPtrClear(Size(length) + 2);
    if (data_ == nullptr)
      return SpReportFailure(kSource, kMethod, 2, kSpMsgMemory, OSErr(memFullErr));
    memorySize_ = length;
  }
  std::memmove(data_, text, std::size_t(length));
  data_[length] = 0;
  dataLength_ = length;
  if (trimTrailingBlanks) {
    SInt32 end = length;
    while (end > 0 && data_[end - 1] == ' ') --end;
    // A text of nothing but blanks stays whole.
    if (end > 0 && end < length) {
      data_[end] = 0;
      dataLength_ = end;
    }
  }
  return noErr;
}

void cSp_MusicFileMusicInfoDataItemObj::SetupTextCodeByte(char encoding) {
  textCode_ = UInt8(encoding);
  textCodeSet_ = 1;
}

void cSp_MusicFileMusicInfoDataItemObj::SetupFlagInfo(UInt32 flags) {
  flagInfo_ = flags;
  flagInfoSet_ = 1;
}

void cSp_MusicFileMusicInfoDataItemObj::SetupDataMemory(char* memory, SInt32 memorySize,
                                                        SInt32 dataLength) {
  if (data_ != nullptr && data_ != memory) DisposePtr(data_);
  data_ = memory;
  memorySize_ = memory == nullptr ? 0 : memorySize;
  if (memory == nullptr || dataLength < 0) dataLength = 0;
  if (memory != nullptr && Size(dataLength) > GetPtrSize(memory))
    dataLength = SInt32(GetPtrSize(memory));
  dataLength_ = dataLength;
}

short cSp_MusicFileMusicInfoDataItemObj::GetItemDataPtr(UInt32& type, char** data,
                                                        SInt32* memorySize) {
  type = type_;
  if (data != nullptr) *data = data_;
  if (memorySize != nullptr) *memorySize = memorySize_;
  return 1;
}

short cSp_MusicFileMusicInfoDataItemObj::GetItemTextData(UInt32& type, char* buffer,
                                                         SInt32 bufferSize, SInt32* dataLength,
                                                         SInt32* copied) {
  type = type_;
  if (buffer == nullptr) {
    return SpReportFailure(kSource, "cSp_MusicFileMusicInfoDataItemObj::GetItemTextData", 1,
                           kSpMsgNullArgument, short(0));
  }
  SInt32 length = GetDataLength();
  SInt32 n = 0;
  if (bufferSize > 2) {
    n = length < bufferSize - 2 ? length : bufferSize - 2;
    if (n > 0) std::memcpy(buffer, data_, std::size_t(n));
    buffer[n] = 0;
  } else if (bufferSize > 0) {
    buffer[0] = 0;
  }
  if (dataLength != nullptr) *dataLength = length;
  if (copied != nullptr) *copied = n;
  return 1;
}

short cSp_MusicFileMusicInfoDataItemObj::GetTextDataIntoTargetMemory(tMusicFileInfoType kind,
                                                                     short /*major*/, char* buffer,
                                                                     SInt32 bufferSize,
                                                                     unsigned char* error) {
  if (buffer == nullptr) {
    return SpReportFailure(kSource,
                           "cSp_MusicFileMusicInfoDataItemObj::GetTextDataIntoTargetMemory", 1,
                           kSpMsgNullArgument, short(0));
  }
  if (bufferSize < 1 || data_ == nullptr || dataLength_ <= 0) return 0;
  const UInt8* bytes = reinterpret_cast<const UInt8*>(data_);
  const char* source = data_;
  SInt32 length = dataLength_;
  bool convert = textCodeSet_ != 0;
  UInt8 code = textCode_;

  if (IsID3Kind(kind)) {
    UInt32 userDataType = 0;
    if (!SpQTI_ChangeID3FrameId_ToQuickTimeUserDataType(type_, userDataType)) return 0;
    if (IsCommentId(type_)) {
      SInt32 start = 0;
      bool wide = convert && (code == kSpID3TextUTF16 || code == kSpID3TextUTF16BE);
      if (!sp_musicinfo::CommentTextStart(bytes, length, wide, start)) return 0;
      source += start;
      length -= start;
    }
  } else if (kind == kSpMusicInfo_MP4Meta) {
    if (!SpQTM_CheckEnableMP4MetaDataType(type_)) return 0;
    if (type_ == kSpMP4_gnre) {
      if (length < 2) return 0;
      std::vector<char> name(kSpQTI_GenreNameSize, 0);
      if (!SpQTI_GenreNo_To_String(short(sp::LoadBE16(bytes)), name.data(), long(name.size())) ||
          name[0] == 0) {
        return 0;
      }
      bool cut =
          sp_musicinfo::CopyProgramText(name.data(), std::strlen(name.data()), buffer, bufferSize);
      if (error != nullptr && cut) *error = 1;
      return 1;
    }
    static const UInt32 kTextAtoms[] = {kSpQT_nam,
                                        kSpQT_cmt,
                                        kSpQT_ART,
                                        kSpQT_alb,
                                        0xA9636F6D /* ©com */,
                                        0xA9777274 /* ©wrt */,
                                        0x6E616D65 /* name */,
                                        0xA9617574 /* ©aut */,
                                        0xA9707264 /* ©prd */,
                                        0xA96F7065 /* ©ope */,
                                        kSpQT_grp};
    bool isText = false;
    for (UInt32 atom : kTextAtoms) isText = isText || atom == type_;
    if (!isText) return 0;
    convert = true;
    code = kSpID3TextUTF8;
  } else if (kind == kSpMusicInfo_QTUserData) {
    std::vector<char> text(std::size_t(bufferSize), 0);
    unsigned char cut = 0;
    UInt32 language = flagInfoSet_ ? flagInfo_ : 11;
    if (!SpQTI_GetUserDataItemTextAsCString(data_, dataLength_, language, text.data(), bufferSize,
                                            &cut)) {
      return 0;
    }
    std::memcpy(buffer, text.data(), text.size());
    if (error != nullptr && cut) *error = 1;
    return 1;
  } else {
    return 0;
  }

  SInt32 textLength = 0;
  Handle text = SpMuIO_GetMusicInfoTextData(source, length, convert ? 1 : 0, code, &textLength);
  if (text == nullptr) {
    return SpReportFailure(kSource,
                           "cSp_MusicFileMusicInfoDataItemObj::GetTextDataIntoTargetMemory", 2,
                           kSpMsgMemory, short(0));
  }
  short result = 0;
  if (textLength > 0) {
    bool cut = sp_musicinfo::CopyProgramText(*text, std::size_t(textLength), buffer, bufferSize);
    if (error != nullptr && cut) *error = 1;
    result = 1;
  }
  DisposeHandle(text);
  return result;
}

cSp_MusicFileMusicInfoDataItemObj* cSp_MusicFileMusicInfoDataItemObj::SerchTargetDataTypeItem(
    UInt32 type) {
  for (cSp_MusicFileMusicInfoDataItemObj* item = this; item != nullptr;
       item = item->GetNextObjectPtr()) {
    if (item->type_ == type) return item;
  }
  return nullptr;
}

// ---- cSp_MusicFileMusicInfoDataObj ----------------------------------------------------------

cSp_MusicFileMusicInfoDataObj::~cSp_MusicFileMusicInfoDataObj() {
  WipeoutUserDataItem();
}

void cSp_MusicFileMusicInfoDataObj::WipeoutUserDataItem() {
  cSp_MusicFileMusicInfoDataItemObj* item = first_;
  while (item != nullptr) {
    cSp_MusicFileMusicInfoDataItemObj* next = item->GetNextObjectPtr();
    delete item;
    item = next;
  }
  first_ = nullptr;
  last_ = nullptr;
  cursor_ = nullptr;
}

void cSp_MusicFileMusicInfoDataObj::SetupVersion(short main, short major, short revision) {
  versionMain_ = main;
  versionMajor_ = major;
  versionRevision_ = revision;
}

cSp_MusicFileMusicInfoDataItemObj* cSp_MusicFileMusicInfoDataObj::AppendItem(
    UInt32 type, const char* methodName) {
  cSp_MusicFileMusicInfoDataItemObj* item =
      new (std::nothrow) cSp_MusicFileMusicInfoDataItemObj(type);
  if (item == nullptr) return SpReportFailure(kSource, methodName, 2, kSpMsgMemory, item);
  SpAppendToList(first_, last_, item);
  return item;
}

cSp_MusicFileMusicInfoDataItemObj* cSp_MusicFileMusicInfoDataObj::CreateNewSoundInfo(UInt32 type) {
  return AppendItem(type, "cSp_MusicFileMusicInfoDataObj::CreateNewSoundInfo");
}

cSp_MusicFileMusicInfoDataItemObj* cSp_MusicFileMusicInfoDataObj::SetupNewTextData(
    UInt32 type, const char* text, SInt32 length, unsigned char trimTrailingBlanks) {
  static const char kMethod[] = "cSp_MusicFileMusicInfoDataObj::SetupNewTextData";
  if (length > 0 && text == nullptr) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument,
                           static_cast<cSp_MusicFileMusicInfoDataItemObj*>(nullptr));
  }
  bool wasEmpty = first_ == nullptr;
  cSp_MusicFileMusicInfoDataItemObj* item = AppendItem(type, kMethod);
  if (item == nullptr) return nullptr;
  if (wasEmpty) cursor_ = item;
  item->SetupTextValue(text, length, trimTrailingBlanks);
  return item;
}

cSp_MusicFileMusicInfoDataItemObj* cSp_MusicFileMusicInfoDataObj::SetupNewTextDataMemory(
    UInt32 type, char* memory, SInt32 dataLength, SInt32 memorySize) {
  bool wasEmpty = first_ == nullptr;
  cSp_MusicFileMusicInfoDataItemObj* item =
      AppendItem(type, "cSp_MusicFileMusicInfoDataObj::SetupNewTextDataMemory");
  if (item == nullptr) {
    // The block was handed over: it goes with the item that could not be made.
    if (memory != nullptr) DisposePtr(memory);
    return nullptr;
  }
  if (wasEmpty) cursor_ = item;
  item->SetupDataMemory(memory, memorySize, dataLength);
  return item;
}

cSp_MusicFileMusicInfoDataItemObj*
cSp_MusicFileMusicInfoDataObj::SetupCStringIntoNewTextDataWithID3VersionUnder2(UInt32 frameId,
                                                                               const char* text,
                                                                               UInt32 encoding) {
  static const char kMethod[] =
      "cSp_MusicFileMusicInfoDataObj::SetupCStringIntoNewTextDataWithID3VersionUnder2";
  if (text == nullptr) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument,
                           static_cast<cSp_MusicFileMusicInfoDataItemObj*>(nullptr));
  }
  bool isComment = IsCommentId(frameId);
  bool isURL = frameId == kSpID3_WXX || frameId == kSpID3_WXXX;
  bool isText = (frameId >> 24) == 'T' || frameId == kSpID3_IPL || frameId == kSpID3_IPLS;
  if (!isComment && !isURL && !isText) return nullptr;
  std::size_t length = std::strlen(text);
  if (length == 0) return nullptr;

  std::u16string units;
  if (!sp_musicinfo::TextToUTF16(text, length, encoding, units) || units.empty()) return nullptr;
  std::string encoded;
  UInt8 code = sp_musicinfo::EncodeID3Text(units, encoded);
  std::string data;
  if (isComment) {
    data.assign("eng", 3);
    if (code == kSpID3TextUTF16) {
      data.append("\xFF\xFE\x00\x00", 4);
    } else {
      data.push_back('\0');
    }
    data += encoded;
  } else if (isURL) {
    // The address itself is always ISO Latin-1: only an empty description goes before it.
    code = kSpID3TextLatin1;
    data.push_back('\0');
    data.append(text, length);
  } else {
    data = encoded;
  }

  char* block = NewPtrClear(Size(data.size()) + 2);
  if (block == nullptr) {
    return SpReportFailure(kSource, kMethod, 2, kSpMsgMemory,
                           static_cast<cSp_MusicFileMusicInfoDataItemObj*>(nullptr));
  }
  std::memcpy(block, data.data(), data.size());
  cSp_MusicFileMusicInfoDataItemObj* item =
      SetupNewTextDataMemory(frameId, block, SInt32(data.size()), SInt32(data.size()) + 2);
  if (item == nullptr) return nullptr;
  item->SetupTextCodeByte(char(code));
  // Titles built this way carry v2.2 ids: the record says so, or its getters would look for
  // v2.3 ids.
  if (versionMain_ == 0 && SpMuIO_IsID3Version22Id(frameId)) SetupVersion(2, 2, 0);
  return item;
}

void cSp_MusicFileMusicInfoDataObj::InitializeSequentialView() {
  cursor_ = first_;
}

short cSp_MusicFileMusicInfoDataObj::GetSequentialViewItemDataPtr(UInt32& type, char** data,
                                                                  SInt32* memorySize) {
  if (cursor_ == nullptr) return 0;
  cSp_MusicFileMusicInfoDataItemObj* item = cursor_;
  cursor_ = item->GetNextObjectPtr();
  return item->GetItemDataPtr(type, data, memorySize);
}

short cSp_MusicFileMusicInfoDataObj::GetSequentialViewItemTextData(UInt32& type, char* buffer,
                                                                   SInt32 bufferSize,
                                                                   SInt32* dataLength,
                                                                   SInt32* copied) {
  if (buffer == nullptr) {
    return SpReportFailure(kSource, "cSp_MusicFileMusicInfoDataObj::GetSequentialViewItemTextData",
                           1, kSpMsgNullArgument, short(0));
  }
  if (cursor_ == nullptr) return 0;
  cSp_MusicFileMusicInfoDataItemObj* item = cursor_;
  cursor_ = item->GetNextObjectPtr();
  return item->GetItemTextData(type, buffer, bufferSize, dataLength, copied);
}

unsigned char cSp_MusicFileMusicInfoDataObj::IsID3version2_2Over() {
  if (!IsID3Kind(kind_)) return 0;
  return (versionMain_ > 2 || (versionMain_ == 2 && versionMajor_ > 2)) ? 1 : 0;
}

SInt32 cSp_MusicFileMusicInfoDataObj::GetContainItemNumForID3(unsigned char above22) {
  SInt32 count = 0;
  for (cSp_MusicFileMusicInfoDataItemObj* item = first_; item != nullptr;
       item = item->GetNextObjectPtr()) {
    std::string content;
    UInt32 frameId = 0;
    if (sp_musicinfo::PlanID3Frame(item, kind_, versionMain_, versionMajor_, above22, frameId,
                                   content) == noErr) {
      ++count;
    }
  }
  return count;
}

bool cSp_MusicFileMusicInfoDataObj::UsesID3v22Ids() const {
  return versionMain_ > 1 && versionMajor_ < 3;
}

cSp_MusicFileMusicInfoDataItemObj* cSp_MusicFileMusicInfoDataObj::FindItem(UInt32 type) const {
  return first_ == nullptr ? nullptr : first_->SerchTargetDataTypeItem(type);
}

short cSp_MusicFileMusicInfoDataObj::GetTextOfItem(UInt32 id22, UInt32 id23, UInt32 idQT,
                                                   UInt32 idMP4, char* buffer, SInt32 bufferSize,
                                                   unsigned char* error, const char* methodName) {
  if (buffer == nullptr)
    return SpReportFailure(kSource, methodName, 1, kSpMsgNullArgument, short(0));
  if (error != nullptr) *error = 0;
  if (first_ == nullptr) {
    if (bufferSize > 0) buffer[0] = 0;
    return 0;
  }
  UInt32 type = 0;
  if (IsID3Kind(kind_)) {
    type = UsesID3v22Ids() ? id22 : id23;
  } else if (kind_ == kSpMusicInfo_QTUserData) {
    type = idQT;
  } else if (kind_ == kSpMusicInfo_MP4Meta) {
    type = idMP4;
  } else {
    return 0;
  }
  cSp_MusicFileMusicInfoDataItemObj* item = FindItem(type);
  if (item == nullptr) return 0;
  return item->GetTextDataIntoTargetMemory(kind_, versionMajor_, buffer, bufferSize, error);
}

short cSp_MusicFileMusicInfoDataObj::GetMusicTitle(char* buffer, SInt32 bufferSize,
                                                   unsigned char* error) {
  return GetTextOfItem(kSpID3_TT2, kSpID3_TIT2, kSpQT_nam, kSpQT_nam, buffer, bufferSize, error,
                       "cSp_MusicFileMusicInfoDataObj::GetMusicTitle");
}

short cSp_MusicFileMusicInfoDataObj::GetAlbumTitle(char* buffer, SInt32 bufferSize,
                                                   unsigned char* error) {
  return GetTextOfItem(kSpID3_TAL, kSpID3_TALB, kSpQT_alb, kSpQT_alb, buffer, bufferSize, error,
                       "cSp_MusicFileMusicInfoDataObj::GetAlbumTitle");
}

short cSp_MusicFileMusicInfoDataObj::GetArtistName(char* buffer, SInt32 bufferSize,
                                                   unsigned char* error) {
  return GetTextOfItem(kSpID3_TP1, kSpID3_TPE1, kSpQT_ART, kSpQT_ART, buffer, bufferSize, error,
                       "cSp_MusicFileMusicInfoDataObj::GetArtistName");
}

short cSp_MusicFileMusicInfoDataObj::GetGenreString(char* buffer, SInt32 bufferSize,
                                                    unsigned char* error) {
  static const char kMethod[] = "cSp_MusicFileMusicInfoDataObj::GetGenreString";
  if (!IsID3Kind(kind_) || first_ == nullptr || buffer == nullptr) {
    return GetTextOfItem(kSpID3_TCO, kSpID3_TCON, kSpQT_gen, kSpMP4_gnre, buffer, bufferSize, error,
                         kMethod);
  }
  if (error != nullptr) *error = 0;
  cSp_MusicFileMusicInfoDataItemObj* item = FindItem(UsesID3v22Ids() ? kSpID3_TCO : kSpID3_TCON);
  if (item == nullptr) return 0;
  char text[kGenreTextSize] = {0};
  unsigned char textCut = 0;
  if (!item->GetTextDataIntoTargetMemory(kind_, versionMajor_, text, kGenreTextSize, &textCut)) {
    return 0;
  }
  long number = GenreNumberOfText(text);
  std::vector<char> name(kSpQTI_GenreNameSize, 0);
  const char* result = text;
  if (number >= 0 && number < 32767 &&
      SpQTI_GenreNo_To_String(short(number + 1), name.data(), long(name.size())) && name[0] != 0) {
    result = name.data();
  } else if (textCut && error != nullptr) {
    *error = 1;
  }
  if (sp_musicinfo::CopyProgramText(result, std::strlen(result), buffer, bufferSize) &&
      error != nullptr) {
    *error = 1;
  }
  return 1;
}

short cSp_MusicFileMusicInfoDataObj::GetTrackNo(short* track, short* count) {
  if (track == nullptr) {
    return SpReportFailure(kSource, "cSp_MusicFileMusicInfoDataObj::GetTrackNo", 1,
                           kSpMsgNullArgument, short(0));
  }
  *track = 0;
  if (count != nullptr) *count = 0;
  if (kind_ == kSpMusicInfo_MP4Meta) {
    cSp_MusicFileMusicInfoDataItemObj* item = FindItem(kSpMP4_trkn);
    if (item == nullptr || item->GetDataLength() < 4) return 0;
    // 'trkn': two reserved bytes, the track, then the count when it is there.
    sp::ByteReader in(item->GetDataPtr(), std::size_t(item->GetDataLength()));
    // Both are unsigned: numbers past the program's range are cut, never made negative.
    in.Skip(2);
    *track = ClampShort(in.BE16());
    const long total = in.BE16();
    if (count != nullptr && in.Ok()) *count = ClampShort(total);
    return 1;
  }
  char text[kSmallTextSize] = {0};
  unsigned char cut = 0;
  if (!GetTextOfItem(kSpID3_TRK, kSpID3_TRCK, kSpQT_trk, 0, text, kSmallTextSize, &cut,
                     "cSp_MusicFileMusicInfoDataObj::GetTrackNo")) {
    return 0;
  }
  // "n", "n/m", or "/m" for a tag that gives only the count: the track is then unknown (0).
  const char* p = text;
  long number = 0;
  const bool hasNumber = ParseNumber(p, number);
  while (*p == ' ') ++p;
  long total = 0;
  const bool hasTotal = *p == '/' && ParseNumber(++p, total);
  if (!hasNumber && !hasTotal) return 0;
  *track = ClampShort(number);
  if (count != nullptr) *count = ClampShort(total);
  return 1;
}
