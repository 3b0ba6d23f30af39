// A field's text and the style of every byte, to compare a field with itself before and
// after edits are taken back and done again.
#pragma once

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "SpEditTextObject.h"

namespace edit_test {

struct ByteStyle {
  SInt16 font;
  SInt16 size;
  Style face;
  UInt16 red, green, blue;
  SInt16 colorKind;
  bool operator==(const ByteStyle& o) const {
    return std::tie(font, size, face, red, green, blue, colorKind) ==
           std::tie(o.font, o.size, o.face, o.red, o.green, o.blue, o.colorKind);
  }
};

inline std::ostream& operator<<(std::ostream& out, const ByteStyle& s) {
  return out << "font " << s.font << " size " << s.size << " face " << int(s.face) << " rgb "
             << s.red << "/" << s.green << "/" << s.blue << " kind " << s.colorKind;
}

struct StyleSnapshot {
  std::string text;
  std::vector<ByteStyle> styles;  // one per byte of the text
  std::vector<tPositionType> alignment;  // one per line
  bool operator==(const StyleSnapshot& o) const {
    return text == o.text && styles == o.styles && alignment == o.alignment;
  }
  bool operator!=(const StyleSnapshot& o) const { return !(*this == o); }
};

inline std::ostream& operator<<(std::ostream& out, const StyleSnapshot& s) {
  out << "\"" << s.text << "\"";
  for (std::size_t i = 0; i < s.styles.size(); ++i) {
    if (i == 0 || !(s.styles[i] == s.styles[i - 1])) out << "\n  @" << i << " " << s.styles[i];
  }
  return out;
}

inline StyleSnapshot Snapshot(const cEditTextObject* field) {
  StyleSnapshot s;
  for (cTextLineObject* l = field->GetFirstLinePtr(); l != nullptr; l = l->GetNextObjectPtr()) {
    const std::vector<char> bytes = l->CopyText();
    s.text.append(bytes.data(), std::size_t(l->GetNumOfTextByte(1, 1)));
    s.alignment.push_back(l->GetHorizontalPositionType());
    for (cTextStyleRunObject* r = l->GetStyleRunListHeadPtr(); r != nullptr;
         r = r->GetNextObjectPtr()) {
      const sTextStyleAttributes& a = r->Attributes();
      const ByteStyle b{a.fontNo, a.size, a.face, a.colors[0].rgb.red, a.colors[0].rgb.green,
                        a.colors[0].rgb.blue, a.colors[0].kind};
      for (SInt32 i = 0; i < r->ByteLength(); ++i) s.styles.push_back(b);
    }
  }
  return s;
}

}  // namespace edit_test
