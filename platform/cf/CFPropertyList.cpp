// XML property lists, read with expat.
//
// The input is untrusted (a music library written by another program, a disc's table of
// contents). The reader builds the objects as the elements close, keeps its own stack (so
// nesting never recurses), refuses documents nested deeper than kMaxDepth and any document
// that declares entities (no entity expansion at all), and on any error releases everything
// it built and returns NULL.
//
// One dictionary may be delivered entry by entry instead of kept (see
// sp_platform::CreatePropertyListDeliveringEntries), for documents too large to hold twice.
#include "CFPropertyList.h"

#include <expat.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "detail/CFObjects.h"

namespace {

constexpr std::size_t kMaxDepth = 256;

std::string Trim(const std::string& s) {
  const char* ws = " \t\r\n";
  const std::size_t first = s.find_first_not_of(ws);
  if (first == std::string::npos) return std::string();
  return s.substr(first, s.find_last_not_of(ws) - first + 1);
}

bool ParseInteger(const std::string& text, SInt64* out) {
  std::string t = Trim(text);
  bool negative = false;
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  int base = 10;
  if (t.size() - i > 2 && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= t.size()) return false;
  UInt64 magnitude = 0;
  const char* end = t.data() + t.size();
  const std::from_chars_result r = std::from_chars(t.data() + i, end, magnitude, base);
  if (r.ec != std::errc() || r.ptr != end) return false;
  if (negative) {
    if (magnitude > UInt64(1) << 63) return false;
    *out = magnitude == UInt64(1) << 63 ? INT64_MIN : -SInt64(magnitude);
  } else {
    if (magnitude > UInt64(INT64_MAX)) return false;
    *out = SInt64(magnitude);
  }
  return true;
}

bool ParseReal(const std::string& text, double* out) {
  std::string t = Trim(text);
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  if (t.empty()) return false;
  const char* end = t.data() + t.size();
  const std::from_chars_result r = std::from_chars(t.data(), end, *out);
  return r.ec == std::errc() && r.ptr == end;
}

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
SInt64 DaysFromCivil(SInt64 y, unsigned m, unsigned d) {
  y -= m <= 2;
  const SInt64 era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = unsigned(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + SInt64(doe) - 719468;
}

// "YYYY-MM-DDTHH:MM:SSZ", as property lists write dates.
bool ParseDate(const std::string& text, CFAbsoluteTime* out) {
  const std::string t = Trim(text);
  if (t.size() != 20 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' ||
      t[16] != ':' || t[19] != 'Z') {
    return false;
  }
  auto number = [&](std::size_t at, std::size_t len, int* v) {
    const char* end = t.data() + at + len;
    const std::from_chars_result r = std::from_chars(t.data() + at, end, *v);
    return r.ec == std::errc() && r.ptr == end && *v >= 0;
  };
  int year, month, day, hour, minute, second;
  if (!number(0, 4, &year) || !number(5, 2, &month) || !number(8, 2, &day) ||
      !number(11, 2, &hour) || !number(14, 2, &minute) || !number(17, 2, &second)) {
    return false;
  }
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) {
    return false;
  }
  const SInt64 days =
      DaysFromCivil(year, unsigned(month), unsigned(day)) - DaysFromCivil(2001, 1, 1);
  *out = double(days) * 86400.0 + hour * 3600.0 + minute * 60.0 + second;
  return true;
}

bool ParseBase64(const std::string& text, std::vector<UInt8>* out) {
  UInt32 accumulator = 0;
  int bits = 0;
  bool padding = false;
  for (unsigned char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (c == '=') {
      padding = true;
      continue;
    }
    if (padding) return false;  // data after the padding
    int v;
    if (c >= 'A' && c <= 'Z') {
      v = c - 'A';
    } else if (c >= 'a' && c <= 'z') {
      v = c - 'a' + 26;
    } else if (c >= '0' && c <= '9') {
      v = c - '0' + 52;
    } else if (c == '+') {
      v = 62;
    } else if (c == '/') {
      v = 63;
    } else {
      return false;
    }
    accumulator = (accumulator << 6) | UInt32(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out->push_back(UInt8((accumulator >> bits) & 0xFF));
    }
  }
  return true;
}

class Reader {
 public:
  explicit Reader(CFOptionFlags options) : options_(options) {}
  // Entries of the root dictionary's dictionary under `key` go to applier instead of into it.
  void DeliverEntries(CFStringRef key, CFDictionaryApplierFunction applier, void* context) {
    entriesKey_ = key;
    applier_ = applier;
    applierContext_ = context;
  }
  ~Reader() {
    for (Frame& f : stack_) {
      CFRelease(f.container);
      CFRelease(f.pendingKey);
    }
    CFRelease(result_);
  }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  CFPropertyListRef Read(const UInt8* bytes, std::size_t length, std::string* error) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (parser == nullptr) {
      *error = "out of memory";
      return nullptr;
    }
    parser_ = parser;
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, &Reader::Start, &Reader::End);
    XML_SetCharacterDataHandler(parser, &Reader::Characters);
    XML_SetEntityDeclHandler(parser, &Reader::EntityDeclaration);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    bool ok = true;
    std::size_t pos = 0;
    do {
      const std::size_t chunk = std::min<std::size_t>(length - pos, 1 << 20);
      const bool last = pos + chunk == length;
      if (XML_Parse(parser, reinterpret_cast<const char*>(bytes + pos), int(chunk),
                    last ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
        ok = false;
        if (error_.empty()) {
          error_ = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                   std::to_string(XML_GetCurrentLineNumber(parser));
        }
        break;
      }
      pos += chunk;
    } while (pos < length);
    XML_ParserFree(parser);
    parser_ = nullptr;
    if (ok && error_.empty() && (result_ == nullptr || !stack_.empty())) {
      error_ = "no property list in the document";
    }
    if (!error_.empty()) {
      *error = error_;
      return nullptr;
    }
    CFPropertyListRef result = result_;
    result_ = nullptr;
    return result;
  }

 private:
  enum class Kind { kPlist, kArray, kDict, kLeaf };
  struct Frame {
    Kind kind;
    std::string name;                  // kLeaf: the element
    std::string text;                  // kLeaf: its text
    CFTypeRef container = nullptr;     // kArray, kDict (owned)
    CFStringRef pendingKey = nullptr;  // kDict: the key waiting for its value (owned)
    bool hasValue = false;             // kPlist
    bool deliversEntries = false;      // kDict: its entries go to the applier
  };

  // True when a dictionary opening now is the one whose entries are delivered: the value of
  // entriesKey_ in the root dictionary (the document's top value, inside <plist> or not).
  bool OpensDeliveredDictionary() const {
    if (applier_ == nullptr || stack_.empty()) return false;
    const std::size_t parent = stack_.size() - 1;
    if (stack_[parent].kind != Kind::kDict || stack_[parent].pendingKey == nullptr) return false;
    if (parent > 1 || (parent == 1 && stack_[0].kind != Kind::kPlist)) return false;
    return CFEqual(stack_[parent].pendingKey, entriesKey_);
  }

  void Fail(const std::string& message) {
    if (!error_.empty()) return;
    error_ = message;
    XML_StopParser(parser_, XML_FALSE);
  }

  bool MutableContainers() const { return options_ != kCFPropertyListImmutable; }
  bool MutableLeaves() const { return options_ == kCFPropertyListMutableContainersAndLeaves; }

  static void Start(void* userData, const XML_Char* name, const XML_Char**) {
    static_cast<Reader*>(userData)->OnStart(name);
  }
  static void End(void* userData, const XML_Char*) { static_cast<Reader*>(userData)->OnEnd(); }
  static void Characters(void* userData, const XML_Char* s, int len) {
    static_cast<Reader*>(userData)->OnCharacters(s, len);
  }
  static void EntityDeclaration(void* userData, const XML_Char*, int, const XML_Char*, int,
                                const XML_Char*, const XML_Char*, const XML_Char*,
                                const XML_Char*) {
    static_cast<Reader*>(userData)->Fail("entity declarations are not accepted");
  }

  void OnStart(const char* name) {
    if (!error_.empty()) return;
    if (stack_.size() >= kMaxDepth) return Fail("nested too deeply");
    if (!stack_.empty() && stack_.back().kind == Kind::kLeaf) {
      return Fail(std::string("element inside <") + stack_.back().name + ">");
    }
    Frame f;
    if (std::strcmp(name, "plist") == 0) {
      if (!stack_.empty() || result_ != nullptr) return Fail("misplaced <plist>");
      f.kind = Kind::kPlist;
    } else if (std::strcmp(name, "array") == 0) {
      f.kind = Kind::kArray;
      f.container = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    } else if (std::strcmp(name, "dict") == 0) {
      f.kind = Kind::kDict;
      f.deliversEntries = OpensDeliveredDictionary();
      f.container = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                              &kCFTypeDictionaryValueCallBacks);
    } else if (std::strcmp(name, "key") == 0 || std::strcmp(name, "string") == 0 ||
               std::strcmp(name, "integer") == 0 || std::strcmp(name, "real") == 0 ||
               std::strcmp(name, "date") == 0 || std::strcmp(name, "data") == 0 ||
               std::strcmp(name, "true") == 0 || std::strcmp(name, "false") == 0) {
      f.kind = Kind::kLeaf;
      f.name = name;
    } else {
      return Fail(std::string("unknown element <") + name + ">");
    }
    if ((f.kind == Kind::kArray || f.kind == Kind::kDict) && f.container == nullptr) {
      return Fail("out of memory");
    }
    stack_.push_back(std::move(f));
  }

  void OnCharacters(const char* s, int len) {
    if (!error_.empty() || len <= 0) return;
    if (!stack_.empty() && stack_.back().kind == Kind::kLeaf) {
      stack_.back().text.append(s, std::size_t(len));
      return;
    }
    for (int i = 0; i < len; ++i) {
      if (s[i] != ' ' && s[i] != '\t' && s[i] != '\r' && s[i] != '\n') {
        return Fail("text outside a value");
      }
    }
  }

  void OnEnd() {
    if (!error_.empty() || stack_.empty()) return;
    Frame f = std::move(stack_.back());
    stack_.pop_back();
    switch (f.kind) {
      case Kind::kPlist:
        if (!f.hasValue) Fail("empty <plist>");
        return;
      case Kind::kArray: {
        SpCFArray* a = sp_cf::As<SpCFArray>(f.container, sp_cf::kTypeArray);
        a->isMutable = MutableContainers();
        return AddValue(f.container);
      }
      case Kind::kDict: {
        SpCFDictionary* d = sp_cf::As<SpCFDictionary>(f.container, sp_cf::kTypeDictionary);
        d->isMutable = MutableContainers();
        if (f.pendingKey != nullptr) {
          CFRelease(f.pendingKey);
          CFRelease(f.container);
          return Fail("<key> without a value");
        }
        return AddValue(f.container);
      }
      case Kind::kLeaf:
        return EndLeaf(f);
    }
  }

  void EndLeaf(const Frame& f) {
    CFTypeRef value = nullptr;
    if (f.name == "key" || f.name == "string") {
      CFStringRef s = sp_cf::NewStringFromUTF8(f.text);
      if (s != nullptr && MutableLeaves()) {
        CFMutableStringRef m = CFStringCreateMutableCopy(nullptr, 0, s);
        CFRelease(s);
        s = m;
      }
      if (s == nullptr) return Fail("bad text");
      if (f.name == "key") return AddKey(s);
      value = s;
    } else if (f.name == "integer") {
      SInt64 v = 0;
      if (!ParseInteger(f.text, &v)) return Fail("bad <integer>");
      value = CFNumberCreate(nullptr, kCFNumberSInt64Type, &v);
    } else if (f.name == "real") {
      double v = 0;
      if (!ParseReal(f.text, &v)) return Fail("bad <real>");
      value = CFNumberCreate(nullptr, kCFNumberFloat64Type, &v);
    } else if (f.name == "date") {
      CFAbsoluteTime t = 0;
      if (!ParseDate(f.text, &t)) return Fail("bad <date>");
      value = CFDateCreate(nullptr, t);
    } else if (f.name == "data") {
      std::vector<UInt8> bytes;
      if (!ParseBase64(f.text, &bytes)) return Fail("bad <data>");
      if (MutableLeaves()) {
        CFMutableDataRef d = CFDataCreateMutable(nullptr, 0);
        if (d != nullptr) CFDataAppendBytes(d, bytes.data(), CFIndex(bytes.size()));
        value = d;
      } else {
        value = CFDataCreate(nullptr, bytes.data(), CFIndex(bytes.size()));
      }
    } else {  // true, false
      if (!Trim(f.text).empty()) return Fail("text inside <" + f.name + ">");
      value = f.name == "true" ? kCFBooleanTrue : kCFBooleanFalse;
    }
    if (value == nullptr) return Fail("out of memory");
    AddValue(value);
  }

  void AddKey(CFStringRef key) {
    if (stack_.empty() || stack_.back().kind != Kind::kDict) {
      CFRelease(key);
      return Fail("<key> outside a <dict>");
    }
    Frame& dict = stack_.back();
    if (dict.pendingKey != nullptr) {
      CFRelease(key);
      return Fail("two <key>s in a row");
    }
    dict.pendingKey = key;
  }

  // Takes ownership of value.
  void AddValue(CFTypeRef value) {
    if (stack_.empty()) {
      if (result_ != nullptr) {
        CFRelease(value);
        return Fail("more than one value");
      }
      result_ = value;
      return;
    }
    Frame& parent = stack_.back();
    switch (parent.kind) {
      case Kind::kPlist:
        if (parent.hasValue) {
          CFRelease(value);
          return Fail("more than one value in <plist>");
        }
        parent.hasValue = true;
        result_ = value;
        return;
      case Kind::kArray:
        CFArrayAppendValue(static_cast<CFMutableArrayRef>(const_cast<void*>(parent.container)),
                           value);
        CFRelease(value);
        return;
      case Kind::kDict:
        if (parent.pendingKey == nullptr) {
          CFRelease(value);
          return Fail("value without a <key>");
        }
        if (parent.deliversEntries) {
          applier_(parent.pendingKey, value, applierContext_);
          CFRelease(parent.pendingKey);
          parent.pendingKey = nullptr;
          CFRelease(value);
          return;
        }
        CFDictionarySetValue(
            static_cast<CFMutableDictionaryRef>(const_cast<void*>(parent.container)),
            parent.pendingKey, value);
        CFRelease(parent.pendingKey);
        parent.pendingKey = nullptr;
        CFRelease(value);
        return;
      case Kind::kLeaf:
        CFRelease(value);
        return Fail("value inside a leaf");
    }
  }

  CFOptionFlags options_;
  XML_Parser parser_ = nullptr;
  std::vector<Frame> stack_;
  CFTypeRef result_ = nullptr;
  std::string error_;
  CFStringRef entriesKey_ = nullptr;
  CFDictionaryApplierFunction applier_ = nullptr;
  void* applierContext_ = nullptr;
};

CFPropertyListRef ReadPropertyList(CFDataRef data, CFOptionFlags options, std::string* error,
                                   CFStringRef entriesKey = nullptr,
                                   CFDictionaryApplierFunction applier = nullptr,
                                   void* context = nullptr) {
  if (CFGetTypeID(data) != CFDataGetTypeID()) {
    *error = "no data";
    return nullptr;
  }
  const CFIndex length = CFDataGetLength(data);
  if (length == 0) {
    *error = "empty data";
    return nullptr;
  }
  if (length >= 8 && std::memcmp(CFDataGetBytePtr(data), "bplist00", 8) == 0) {
    *error = "binary property lists are not supported";
    return nullptr;
  }
  Reader reader(options);
  if (applier != nullptr && CFGetTypeID(entriesKey) == CFStringGetTypeID()) {
    reader.DeliverEntries(entriesKey, applier, context);
  }
  return reader.Read(CFDataGetBytePtr(data), std::size_t(length), error);
}

}  // namespace

CFPropertyListRef CFPropertyListCreateWithData(CFAllocatorRef, CFDataRef data,
                                               CFOptionFlags options, CFPropertyListFormat* format,
                                               CFErrorRef* error) {
  if (error != nullptr) *error = nullptr;
  std::string message;
  CFPropertyListRef result = ReadPropertyList(data, options, &message);
  if (result == nullptr) {
    if (error != nullptr) *error = sp_cf::NewError(kCFPropertyListReadCorruptError, message);
    return nullptr;
  }
  if (format != nullptr) *format = kCFPropertyListXMLFormat_v1_0;
  return result;
}

CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef, CFDataRef xmlData,
                                                  CFOptionFlags mutabilityOption,
                                                  CFStringRef* errorString) {
  if (errorString != nullptr) *errorString = nullptr;
  std::string message;
  CFPropertyListRef result = ReadPropertyList(xmlData, mutabilityOption, &message);
  if (result == nullptr && errorString != nullptr) {
    *errorString = sp_cf::NewStringFromUTF8(message);
  }
  return result;
}

CFPropertyListRef sp_platform::CreatePropertyListDeliveringEntries(
    CFDataRef xmlData, CFOptionFlags options, CFStringRef entriesKey,
    CFDictionaryApplierFunction applier, void* context, CFStringRef* errorString) {
  if (errorString != nullptr) *errorString = nullptr;
  std::string message;
  CFPropertyListRef result =
      ReadPropertyList(xmlData, options, &message, entriesKey, applier, context);
  if (result == nullptr && errorString != nullptr) {
    *errorString = sp_cf::NewStringFromUTF8(message);
  }
  return result;
}
