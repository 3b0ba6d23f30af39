#include "LatinLetters.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <map>

namespace sp_testing {
namespace {

// Letters without a canonical decomposition, as they are spelt in plain Latin letters.
const std::map<char16_t, std::string>& UndecomposedSpellings() {
  static const std::map<char16_t, std::string> spellings = {
      {0x00C6, "AE"}, {0x00D0, "D"}, {0x00D8, "O"}, {0x00DE, "TH"}, {0x00DF, "ss"},
      {0x00E6, "ae"}, {0x00F0, "d"}, {0x00F8, "o"}, {0x00FE, "th"}, {0x0110, "D"},
      {0x0111, "d"},  {0x0126, "H"}, {0x0127, "h"}, {0x0131, "i"},  {0x0132, "IJ"},
      {0x0133, "ij"}, {0x0138, "k"}, {0x013F, "L"}, {0x0140, "l"},  {0x0141, "L"},
      {0x0142, "l"},  {0x0149, "n"}, {0x014A, "N"}, {0x014B, "n"},  {0x0152, "OE"},
      {0x0153, "oe"}, {0x0166, "T"}, {0x0167, "t"}, {0x017F, "s"},
  };
  return spellings;
}

std::vector<LatinLetter> MakeLetters() {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  std::vector<LatinLetter> letters;
  if (U_FAILURE(status) || nfd == nullptr) return letters;
  for (char16_t c = 0xC0; c < 0x180; ++c) {
    if (c == 0xD7 || c == 0xF7) continue;  // × and ÷: signs MacJapanese has
    const icu::UnicodeString d = nfd->normalize(icu::UnicodeString(c), status);
    if (U_FAILURE(status)) return {};
    LatinLetter letter;
    letter.composed = c;
    letter.decomposed.assign(reinterpret_cast<const char16_t*>(d.getBuffer()),
                             std::size_t(d.length()));
    if (letter.decomposed.size() > 1) {
      letter.plain = std::string(1, char(letter.decomposed[0]));
    } else {
      const auto found = UndecomposedSpellings().find(c);
      if (found == UndecomposedSpellings().end()) return {};  // ICU decomposed differently
      letter.plain = found->second;
    }
    letters.push_back(letter);
  }
  return letters;
}

}  // namespace

const std::vector<LatinLetter>& LatinLettersMacJapaneseLacks() {
  static const std::vector<LatinLetter> letters = MakeLetters();
  return letters;
}

}  // namespace sp_testing
