// The Latin letters of U+00C0..U+017F that MacJapanese lacks (all but the signs × and ÷), as
// names on disk may hold them: composed (NFC) and decomposed (NFD, the base letter and its
// combining accents, as ICU decomposes them), with the plain letters the program shows for
// them. For tests of names that cross from Linux into the program's text.
#pragma once

#include <string>
#include <vector>

namespace sp_testing {

struct LatinLetter {
  char16_t composed;
  std::u16string decomposed;  // the composed letter itself when it has no decomposition
  std::string plain;          // ASCII: the decomposition's base letter, else its usual spelling
};

const std::vector<LatinLetter>& LatinLettersMacJapaneseLacks();

}  // namespace sp_testing
