// The reader of string tables ("<table>.strings"): the old-style text form
//   /* comment */  "key" = "value";  // comment
// with the escapes \" \\ \n \t \r \a \b \f \v, \Uxxxx (four hex digits) and octal \ooo, in
// UTF-8 or in UTF-16 with a byte-order mark; or an XML property list of strings.
#pragma once

#include <string>
#include <unordered_map>

namespace sp_cf {

typedef std::unordered_map<std::u16string, std::u16string> StringTable;

// False (and table empty) when the bytes are not a well-formed table.
bool ParseStringsFile(const std::string& bytes, StringTable& table);

}  // namespace sp_cf
