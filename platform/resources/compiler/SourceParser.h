// The resource source's syntax: statements of a word, values and an optional block.
#pragma once

#include <string>
#include <vector>

#include "MacTypes.h"

namespace sp_rescompile {

// A compile error: where and what.
struct Failure {
  int line = 0;
  std::string message;
};

struct Value {
  enum class Kind { kNumber, kString, kWord };
  Kind kind = Kind::kNumber;
  SInt64 number = 0;  // numbers and four-character codes
  std::string text;   // strings: MacJapanese bytes; words: the word
  int line = 0;
};

struct Statement {
  std::string word;
  std::vector<Value> values;
  bool hasBlock = false;
  std::vector<Statement> block;
  int line = 0;
};

// Parses a whole source. Strings are converted from UTF-8 to MacJapanese here, so a
// character MacJapanese cannot hold fails with its line. False with `failure` set.
bool ParseSource(const std::string& text, std::vector<Statement>* statements, Failure* failure);

// A text file for the application's bundle: UTF-8 to MacJapanese bytes, each line ended by a
// carriage return (the source's lines may end in LF, CR LF or CR; a last line without an end
// gets one). False with `failure` at the line of the first character MacJapanese cannot hold.
bool ConvertTextLines(const std::string& text, std::string* out, Failure* failure);

}  // namespace sp_rescompile
