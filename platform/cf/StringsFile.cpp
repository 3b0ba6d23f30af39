#include "detail/StringsFile.h"

#include "CFPropertyList.h"
#include "SpTextCodec.h"
#include "detail/CFObjects.h"

namespace sp_cf {
namespace {

class StringsParser {
 public:
  explicit StringsParser(const std::u16string& text) : t_(text) {}

  bool Parse(StringTable& table) {
    while (SkipSpaceAndComments()) {
      if (pos_ >= t_.size()) return true;
      std::u16string key;
      if (!ReadString(key)) return false;
      if (!SkipSpaceAndComments()) return false;
      std::u16string value;
      if (pos_ < t_.size() && t_[pos_] == u'=') {
        ++pos_;
        if (!SkipSpaceAndComments() || !ReadString(value)) return false;
        if (!SkipSpaceAndComments()) return false;
      } else {
        value = key;  // "key"; stands for "key" = "key";
      }
      if (pos_ >= t_.size() || t_[pos_] != u';') return false;
      ++pos_;
      table[key] = value;
    }
    return false;
  }

 private:
  // False for a comment that never ends.
  bool SkipSpaceAndComments() {
    while (pos_ < t_.size()) {
      const char16_t c = t_[pos_];
      if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xFEFF) {
        ++pos_;
      } else if (c == u'/' && pos_ + 1 < t_.size() && t_[pos_ + 1] == u'*') {
        const std::size_t end = t_.find(u"*/", pos_ + 2);
        if (end == std::u16string::npos) return false;
        pos_ = end + 2;
      } else if (c == u'/' && pos_ + 1 < t_.size() && t_[pos_ + 1] == u'/') {
        while (pos_ < t_.size() && t_[pos_] != u'\n' && t_[pos_] != u'\r') ++pos_;
      } else {
        break;
      }
    }
    return true;
  }

  static bool IsBareChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'_' || c == u'$' || c == u'+' || c == u'/' || c == u':' || c == u'.' || c == u'-';
  }

  static int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
  }

  // The character a one-letter escape (\n, \t ...) stands for; 0 for other letters.
  static char16_t LetterEscape(char16_t e) {
    static const char16_t kEscapes[][2] = {{u'n', u'\n'}, {u't', u'\t'}, {u'r', u'\r'},
                                           {u'a', u'\a'}, {u'b', u'\b'}, {u'f', u'\f'},
                                           {u'v', u'\v'}};
    for (const auto& escape : kEscapes) {
      if (escape[0] == e) return escape[1];
    }
    return 0;
  }

  bool ReadString(std::u16string& out) {
    if (pos_ >= t_.size()) return false;
    if (t_[pos_] != u'"') {
      const std::size_t start = pos_;
      while (pos_ < t_.size() && IsBareChar(t_[pos_])) ++pos_;
      if (pos_ == start) return false;
      out.assign(t_, start, pos_ - start);
      return true;
    }
    ++pos_;
    while (pos_ < t_.size()) {
      const char16_t c = t_[pos_++];
      if (c == u'"') return true;
      if (c != u'\\') {
        out.push_back(c);
        continue;
      }
      if (pos_ >= t_.size()) return false;
      const char16_t e = t_[pos_++];
      if (const char16_t letter = LetterEscape(e)) {
        out.push_back(letter);
        continue;
      }
      switch (e) {
        case u'U':
        case u'u': {
          unsigned v = 0;
          for (int k = 0; k < 4; ++k) {
            if (pos_ >= t_.size() || HexValue(t_[pos_]) < 0) return false;
            v = v * 16 + unsigned(HexValue(t_[pos_++]));
          }
          out.push_back(char16_t(v));
          break;
        }
        default:
          if (e >= u'0' && e <= u'7') {
            unsigned v = unsigned(e - u'0');
            for (int k = 0; k < 2 && pos_ < t_.size() && t_[pos_] >= u'0' && t_[pos_] <= u'7';
                 ++k) {
              v = v * 8 + unsigned(t_[pos_++] - u'0');
            }
            out.push_back(char16_t(v));
          } else {
            out.push_back(e);  // \" \\ \' and anything else stand for themselves
          }
          break;
      }
    }
    return false;
  }

  const std::u16string& t_;
  std::size_t pos_ = 0;
};

bool ParseXMLTable(const std::string& bytes, StringTable& table) {
  CFDataRef data =
      CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()), CFIndex(bytes.size()));
  CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr);
  CFRelease(data);
  bool ok = CFGetTypeID(plist) == CFDictionaryGetTypeID();
  if (ok) {
    CFDictionaryApplyFunction(
        static_cast<CFDictionaryRef>(plist),
        [](const void* key, const void* value, void* context) {
          const std::u16string* k = StringChars(static_cast<CFStringRef>(key));
          const std::u16string* v = StringChars(static_cast<CFStringRef>(value));
          if (k != nullptr && v != nullptr) (*static_cast<StringTable*>(context))[*k] = *v;
        },
        &table);
  }
  CFRelease(plist);
  return ok;
}

}  // namespace

bool ParseStringsFile(const std::string& bytes, StringTable& table) {
  table.clear();
  std::u16string text;
  const UInt8* b = reinterpret_cast<const UInt8*>(bytes.data());
  const bool utf16 =
      bytes.size() >= 2 && ((b[0] == 0xFE && b[1] == 0xFF) || (b[0] == 0xFF && b[1] == 0xFE));
  if (utf16) {
    if (!sp::text::DecodeToUTF16(kCFStringEncodingUnicode, b, bytes.size(), text, true)) {
      return false;
    }
  } else if (!sp::text::DecodeToUTF16(kCFStringEncodingUTF8, b, bytes.size(), text)) {
    return false;
  }
  const std::size_t first = text.find_first_not_of(u" \t\r\n\xFEFF");
  if (first != std::u16string::npos && text[first] == u'<') {
    return ParseXMLTable(bytes, table);
  }
  StringsParser parser(text);
  if (!parser.Parse(table)) {
    table.clear();
    return false;
  }
  return true;
}

}  // namespace sp_cf
