#include "SourceParser.h"

#include <cstdio>

#include "SpTextCodec.h"
#include "TextCommon.h"

namespace sp_rescompile {

namespace {

enum class Token { kWord, kNumber, kString, kOpen, kClose, kComma, kEnd_Statement, kEnd };

struct Lexeme {
  Token token = Token::kEnd;
  Value value;
  int line = 0;
};

std::string CodePointText(char32_t c) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", unsigned(c));
  return buffer;
}

// UTF-8 text to MacJapanese bytes; false naming the first character that has no form there.
bool ToMacJapanese(const std::string& utf8, std::string* out, std::string* why) {
  const std::u16string units = sp::text::UTF8ToUTF16(utf8);
  for (std::size_t i = 0; i < units.size();) {
    if (units[i] == 0xFFFD) {
      *why = "the text is not valid UTF-8";
      return false;
    }
    const std::size_t taken =
        sp::text::EncodeStep(kTextEncodingMacJapanese, units.data(), units.size(), i, *out);
    if (taken == 0) {
      char32_t c = units[i];
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size()) {
        c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      }
      std::string shown = sp::text::UTF16ToUTF8(units.substr(i, c >= 0x10000 ? 2 : 1));
      *why = "\"" + shown + "\" (" + CodePointText(c) + ") has no MacJapanese form";
      return false;
    }
    i += taken;
  }
  return true;
}

class Lexer {
 public:
  explicit Lexer(const std::string& text) : text_(text) {}

  bool Next(Lexeme* out, Failure* failure) {
    for (;;) {
      if (pos_ >= text_.size()) {
        out->token = Token::kEnd;
        out->line = line_;
        return true;
      }
      const char c = text_[pos_];
      if (c == ' ' || c == '\t' || c == '\r') {
        ++pos_;
      } else if (c == '#') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else {
        break;
      }
    }
    out->line = line_;
    out->value = Value();
    out->value.line = line_;
    const char c = text_[pos_];
    switch (c) {
      case '\n':
        ++pos_;
        ++line_;
        out->token = Token::kEnd_Statement;
        return true;
      case ';':
        ++pos_;
        out->token = Token::kEnd_Statement;
        return true;
      case '{':
        ++pos_;
        out->token = Token::kOpen;
        return true;
      case '}':
        ++pos_;
        out->token = Token::kClose;
        return true;
      case ',':
        ++pos_;
        out->token = Token::kComma;
        return true;
      case '"':
        return String(out, failure);
      case '\'':
        return FourCharCode(out, failure);
      default:
        break;
    }
    if (IsDigit(c) || (c == '-' && pos_ + 1 < text_.size() && IsDigit(text_[pos_ + 1]))) {
      return Number(out, failure);
    }
    if (IsWordStart(c)) {
      const std::size_t start = pos_;
      while (pos_ < text_.size() && (IsWordStart(text_[pos_]) || IsDigit(text_[pos_]))) ++pos_;
      out->token = Token::kWord;
      out->value.kind = Value::Kind::kWord;
      out->value.text = text_.substr(start, pos_ - start);
      return true;
    }
    return Fail(failure, std::string("unexpected character '") + c + "'");
  }

 private:
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static bool IsWordStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
  }
  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  bool Fail(Failure* failure, const std::string& message) {
    failure->line = line_;
    failure->message = message;
    return false;
  }

  // The text up to the closing quote, UTF-8 runs converted and escapes put in as bytes.
  bool Quoted(char quote, std::string* bytes, Failure* failure) {
    ++pos_;  // the opening quote
    std::string run;
    auto flush = [&]() {
      std::string why;
      if (!ToMacJapanese(run, bytes, &why)) return Fail(failure, why);
      run.clear();
      return true;
    };
    while (pos_ < text_.size() && text_[pos_] != quote) {
      const char c = text_[pos_];
      if (c == '\n') break;
      if (c != '\\') {
        run += c;
        ++pos_;
        continue;
      }
      if (pos_ + 1 >= text_.size()) break;
      const char e = text_[pos_ + 1];
      pos_ += 2;
      char plain = 0;
      switch (e) {
        case 'n':
          plain = '\n';
          break;
        case 'r':
          plain = '\r';
          break;
        case 't':
          plain = '\t';
          break;
        case '\\':
          plain = '\\';
          break;
        case '"':
          plain = '"';
          break;
        case '\'':
          plain = '\'';
          break;
        case 'x': {
          const int high = pos_ < text_.size() ? HexDigit(text_[pos_]) : -1;
          const int low = pos_ + 1 < text_.size() ? HexDigit(text_[pos_ + 1]) : -1;
          if (high < 0 || low < 0) return Fail(failure, "\\x needs two hexadecimal digits");
          pos_ += 2;
          if (!flush()) return false;
          *bytes += char(high * 16 + low);
          continue;
        }
        default:
          return Fail(failure, std::string("unknown escape \\") + e);
      }
      run += plain;
    }
    if (pos_ >= text_.size() || text_[pos_] != quote) {
      return Fail(failure, quote == '"' ? "unterminated string" : "unterminated code");
    }
    ++pos_;
    return flush();
  }

  bool String(Lexeme* out, Failure* failure) {
    out->token = Token::kString;
    out->value.kind = Value::Kind::kString;
    if (!Quoted('"', &out->value.text, failure)) return false;
    // Adjacent strings are one.
    for (;;) {
      std::size_t p = pos_;
      while (p < text_.size() && (text_[p] == ' ' || text_[p] == '\t')) ++p;
      if (p >= text_.size() || text_[p] != '"') return true;
      pos_ = p;
      if (!Quoted('"', &out->value.text, failure)) return false;
    }
  }

  bool FourCharCode(Lexeme* out, Failure* failure) {
    std::string bytes;
    if (!Quoted('\'', &bytes, failure)) return false;
    if (bytes.size() != 4) return Fail(failure, "a code in single quotes takes four bytes");
    out->token = Token::kNumber;
    out->value.kind = Value::Kind::kNumber;
    out->value.number = SInt64((UInt32(UInt8(bytes[0])) << 24) | (UInt32(UInt8(bytes[1])) << 16) |
                               (UInt32(UInt8(bytes[2])) << 8) | UInt32(UInt8(bytes[3])));
    return true;
  }

  bool Number(Lexeme* out, Failure* failure) {
    const bool negative = text_[pos_] == '-';
    if (negative) ++pos_;
    SInt64 value = 0;
    int base = 10;
    if (text_[pos_] == '0' && pos_ + 1 < text_.size() &&
        (text_[pos_ + 1] == 'x' || text_[pos_ + 1] == 'X')) {
      base = 16;
      pos_ += 2;
    }
    std::size_t digits = 0;
    while (pos_ < text_.size()) {
      const int d = HexDigit(text_[pos_]);
      if (d < 0 || d >= base) break;
      value = value * base + d;
      if (value > 0xFFFFFFFFLL) return Fail(failure, "number out of range");
      ++digits;
      ++pos_;
    }
    if (digits == 0 ||
        (pos_ < text_.size() && (IsWordStart(text_[pos_]) || IsDigit(text_[pos_])))) {
      return Fail(failure, "malformed number");
    }
    out->token = Token::kNumber;
    out->value.kind = Value::Kind::kNumber;
    out->value.number = negative ? -value : value;
    return true;
  }

  const std::string& text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

// Blocks inside blocks. The resources nest them two deep (a resource, an item's fields);
// statements and blocks are read by mutual recursion, so the bound keeps deeply nested
// input from exhausting the stack.
constexpr int kMaxBlockDepth = 32;

class Parser {
 public:
  explicit Parser(const std::string& text) : lexer_(text) {}

  bool Parse(std::vector<Statement>* statements, Failure* failure) {
    if (!Advance(failure)) return false;
    if (!Statements(statements, false, failure)) return false;
    return true;
  }

 private:
  bool Advance(Failure* failure) { return lexer_.Next(&current_, failure); }

  bool Fail(Failure* failure, const std::string& message) {
    failure->line = current_.line;
    failure->message = message;
    return false;
  }

  // Statements up to the end of the text or, inside a block, up to its closing brace.
  bool Statements(std::vector<Statement>* out, bool inBlock, Failure* failure) {
    for (;;) {
      switch (current_.token) {
        case Token::kEnd:
          if (inBlock) return Fail(failure, "missing '}'");
          return true;
        case Token::kClose:
          if (!inBlock) return Fail(failure, "'}' without '{'");
          return true;
        case Token::kEnd_Statement:
          if (!Advance(failure)) return false;
          continue;
        case Token::kWord: {
          Statement s;
          if (!OneStatement(&s, failure)) return false;
          out->push_back(std::move(s));
          continue;
        }
        default:
          return Fail(failure, "a statement begins with a word");
      }
    }
  }

  bool OneStatement(Statement* s, Failure* failure) {
    s->word = current_.value.text;
    s->line = current_.line;
    if (!Advance(failure)) return false;
    bool afterComma = false;
    for (;;) {
      if (current_.token == Token::kNumber || current_.token == Token::kString ||
          current_.token == Token::kWord) {
        s->values.push_back(current_.value);
        afterComma = false;
        if (!Advance(failure)) return false;
        continue;
      }
      if (current_.token == Token::kComma) {
        if (s->values.empty() || afterComma) return Fail(failure, "misplaced ','");
        afterComma = true;
        if (!Advance(failure)) return false;
        continue;
      }
      break;
    }
    if (afterComma) return Fail(failure, "a value is missing after ','");
    if (current_.token == Token::kOpen) {
      s->hasBlock = true;
      if (depth_ >= kMaxBlockDepth) {
        return Fail(failure, "blocks nested more than " + std::to_string(kMaxBlockDepth) +
                                 " deep");
      }
      if (!Advance(failure)) return false;
      ++depth_;
      const bool read = Statements(&s->block, true, failure);
      --depth_;
      if (!read) return false;
      if (!Advance(failure)) return false;  // the closing brace
    }
    if (current_.token == Token::kEnd_Statement) return Advance(failure);
    if (current_.token == Token::kEnd || current_.token == Token::kClose) return true;
    return Fail(failure, "the statement '" + s->word + "' must end here");
  }

  Lexer lexer_;
  Lexeme current_;
  int depth_ = 0;  // blocks open around the current statement
};

}  // namespace

bool ParseSource(const std::string& text, std::vector<Statement>* statements, Failure* failure) {
  statements->clear();
  Parser parser(text);
  return parser.Parse(statements, failure);
}

bool ConvertTextLines(const std::string& text, std::string* out, Failure* failure) {
  std::string result;
  int line = 1;
  for (std::size_t pos = 0; pos < text.size(); ++line) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string why;
    if (!ToMacJapanese(text.substr(pos, end - pos), &result, &why)) {
      failure->line = line;
      failure->message = why;
      return false;
    }
    result += '\r';
    pos = end;
    if (pos < text.size()) {
      const bool cr = text[pos] == '\r';
      ++pos;
      if (cr && pos < text.size() && text[pos] == '\n') ++pos;  // CR LF is one line end
    }
  }
  *out = std::move(result);
  return true;
}

}  // namespace sp_rescompile
