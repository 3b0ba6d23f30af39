#include "ResourceCompiler.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "ByteOrder.h"
#include "SourceParser.h"
#include "resources/detail/ResourceFileFormat.h"

namespace sp_rescompile {

namespace {

namespace resfile = sp_platform::resfile;

// Thrown inside one source's compilation only; Compile turns it into its message.
struct CompileError {
  int line;
  std::string message;
};

[[noreturn]] void Fail(int line, const std::string& message) {
  throw CompileError{line, message};
}

std::string CodeText(ResType type) {
  std::string s = "'";
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = char((type >> shift) & 0xFF);
    s += (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return s + "'";
}

// ---- Values ---------------------------------------------------------------------------------

SInt64 Number(const Value& v, SInt64 min, SInt64 max, const char* what) {
  if (v.kind != Value::Kind::kNumber) Fail(v.line, std::string(what) + " must be a number");
  if (v.number < min || v.number > max) {
    Fail(v.line,
         std::string(what) + " must lie in " + std::to_string(min) + ".." + std::to_string(max));
  }
  return v.number;
}

// A number, or one of the names of the table.
SInt64 NumberOrName(const Value& v, const std::map<std::string, SInt64>& names, SInt64 min,
                    SInt64 max, const char* what) {
  if (v.kind == Value::Kind::kWord) {
    auto it = names.find(v.text);
    if (it == names.end()) Fail(v.line, "unknown " + std::string(what) + " '" + v.text + "'");
    return it->second;
  }
  return Number(v, min, max, what);
}

const std::string& Text(const Value& v, const char* what) {
  if (v.kind != Value::Kind::kString) Fail(v.line, std::string(what) + " must be a string");
  return v.text;
}

bool Bool(const Value& v) {
  if (v.kind == Value::Kind::kWord && v.text == "true") return true;
  if (v.kind == Value::Kind::kWord && v.text == "false") return false;
  Fail(v.line, "expected true or false");
}

void Count(const Statement& s, std::size_t n) {
  if (s.values.size() != n) {
    Fail(s.line, "'" + s.word + "' takes " + std::to_string(n) + (n == 1 ? " value" : " values"));
  }
  if (s.hasBlock) Fail(s.line, "'" + s.word + "' takes no block");
}

void PString(sp::ByteWriter& w, const std::string& bytes, int line) {
  if (bytes.size() > 255) Fail(line, "a string holds at most 255 bytes");
  w.U8(UInt8(bytes.size()));
  w.Bytes(bytes.data(), bytes.size());
}

void Rect(sp::ByteWriter& w, const Statement& s, std::size_t first) {
  if (s.values.size() < first + 4) Fail(s.line, "a rectangle takes top, left, bottom, right");
  for (std::size_t i = first; i < first + 4; ++i) {
    w.BE16(UInt16(Number(s.values[i], -32768, 32767, "a coordinate")));
  }
}

// The named fields of a body, each at most once; a word not in `known` is an error.
class Fields {
 public:
  Fields(const Statement& body, const std::set<std::string>& known, ResType type) {
    for (const Statement& s : body.block) {
      if (known.count(s.word) == 0) {
        Fail(s.line, "unknown field '" + s.word + "' in " + CodeText(type));
      }
      if (!fields_.emplace(s.word, &s).second) Fail(s.line, "'" + s.word + "' given twice");
    }
  }
  const Statement* Find(const std::string& word) const {
    auto it = fields_.find(word);
    return it == fields_.end() ? nullptr : it->second;
  }
  const Statement& Need(const std::string& word, int line) const {
    const Statement* s = Find(word);
    if (s == nullptr) Fail(line, "'" + word + "' is missing");
    return *s;
  }
  SInt64 Int(const std::string& word, SInt64 fallback, SInt64 min, SInt64 max) const {
    const Statement* s = Find(word);
    if (s == nullptr) return fallback;
    Count(*s, 1);
    return Number(s->values[0], min, max, word.c_str());
  }
  SInt64 Named(const std::string& word, SInt64 fallback, const std::map<std::string, SInt64>& names,
               SInt64 min, SInt64 max) const {
    const Statement* s = Find(word);
    if (s == nullptr) return fallback;
    Count(*s, 1);
    return NumberOrName(s->values[0], names, min, max, word.c_str());
  }
  bool Flag(const std::string& word, bool fallback) const {
    const Statement* s = Find(word);
    if (s == nullptr) return fallback;
    Count(*s, 1);
    return Bool(s->values[0]);
  }
  std::string String(const std::string& word) const {
    const Statement* s = Find(word);
    if (s == nullptr) return std::string();
    Count(*s, 1);
    return Text(s->values[0], word.c_str());
  }

 private:
  std::map<std::string, const Statement*> fields_;
};

const std::map<std::string, SInt64> kWindowKinds = {
    {"documentProc", 0},     {"dBoxProc", 1},         {"plainDBox", 2},
    {"altDBoxProc", 3},      {"noGrowDocProc", 4},    {"movableDBoxProc", 5},
    {"zoomDocProc", 8},      {"zoomNoGrow", 12},      {"floatProc", 1985},
    {"floatGrowProc", 1987}, {"floatZoomProc", 1989}, {"floatZoomGrowProc", 1991},
};

const std::map<std::string, SInt64> kControlKinds = {
    {"pushButProc", 0},    {"checkBoxProc", 1},     {"radioButProc", 2},
    {"scrollBarProc", 16}, {"popupMenuProc", 1008}, {"progressBarProc", 80},
};

const std::map<std::string, SInt64> kPositions = {
    {"noAutoCenter", 0x0000},
    {"centerMainScreen", 0x280A},
    {"alertPositionMainScreen", 0x300A},
    {"staggerMainScreen", 0x380A},
    {"centerParentWindow", 0xA80A},
    {"alertPositionParentWindow", 0xB00A},
    {"staggerParentWindow", 0xB80A},
    {"centerParentWindowScreen", 0x680A},
    {"alertPositionParentWindowScreen", 0x700A},
    {"staggerParentWindowScreen", 0x780A},
};

// ---- Files beside the source ------------------------------------------------------------------

struct Context {
  std::string folder;
};

std::string ReadBeside(const Context& context, const Value& nameValue) {
  const std::string& name = Text(nameValue, "a file name");
  const std::string path = name.size() > 0 && name[0] == '/' ? name : context.folder + "/" + name;
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(nameValue.line, "cannot read the file " + path);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

struct Image {
  UInt32 width = 0;
  UInt32 height = 0;
  std::vector<UInt8> rgba;  // 4 bytes a pixel, rows top to bottom
  std::string file;         // the PNG's own bytes
};

Image ReadPng(const Context& context, const Statement& s) {
  Count(s, 1);
  Image image;
  image.file = ReadBeside(context, s.values[0]);
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, image.file.data(), image.file.size())) {
    png_image_free(&png);
    Fail(s.line, "not a PNG image: " + s.values[0].text);
  }
  png.format = PNG_FORMAT_RGBA;
  if (png.width == 0 || png.height == 0 || png.width > 4096 || png.height > 4096) {
    png_image_free(&png);
    Fail(s.line, "the image's size is out of range: " + s.values[0].text);
  }
  image.width = png.width;
  image.height = png.height;
  image.rgba.resize(std::size_t(PNG_IMAGE_SIZE(png)));
  if (!png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr)) {
    png_image_free(&png);
    Fail(s.line, "cannot decode the PNG image " + s.values[0].text);
  }
  return image;
}

// One-bit image and mask rows (most significant bit leftmost): a pixel is in the mask when
// it is at least half opaque, and black when it is also darker than middle grey.
void OneBitPlanes(const Image& image, UInt32 size, int line, std::vector<UInt8>* bits,
                  std::vector<UInt8>* mask) {
  if (image.width != size || image.height != size) {
    Fail(line,
         "the image must be " + std::to_string(size) + " by " + std::to_string(size) + " pixels");
  }
  const std::size_t rowBytes = size / 8;
  bits->assign(rowBytes * size, 0);
  mask->assign(rowBytes * size, 0);
  for (UInt32 y = 0; y < size; ++y) {
    for (UInt32 x = 0; x < size; ++x) {
      const UInt8* p = &image.rgba[(std::size_t(y) * size + x) * 4];
      const bool opaque = p[3] >= 128;
      const unsigned luma = (299u * p[0] + 587u * p[1] + 114u * p[2]) / 1000u;
      const UInt8 bit = UInt8(0x80 >> (x % 8));
      if (opaque) (*mask)[y * rowBytes + x / 8] |= bit;
      if (opaque && luma < 128) (*bits)[y * rowBytes + x / 8] |= bit;
    }
  }
}

void HotSpot(sp::ByteWriter& w, const Fields& fields) {
  const Statement* s = fields.Find("hotSpot");
  SInt64 v = 0;
  SInt64 h = 0;
  if (s != nullptr) {
    Count(*s, 2);
    v = Number(s->values[0], 0, 15, "hotSpot");
    h = Number(s->values[1], 0, 15, "hotSpot");
  }
  w.BE16(UInt16(v));
  w.BE16(UInt16(h));
}

// ---- Typed bodies -----------------------------------------------------------------------------

using Encoder = std::function<void(const Statement&, SInt16, const Context&, sp::ByteWriter&)>;

void EncodeString(const Statement& r, SInt16, const Context&, sp::ByteWriter& w) {
  if (r.block.size() != 1 || r.block[0].word != "string") {
    Fail(r.line, "a 'STR ' holds one statement: string \"...\"");
  }
  Count(r.block[0], 1);
  PString(w, Text(r.block[0].values[0], "string"), r.block[0].line);
}

void EncodeStringList(const Statement& r, SInt16, const Context&, sp::ByteWriter& w) {
  if (r.block.size() > 0x7FFF) Fail(r.line, "too many strings");
  w.BE16(UInt16(r.block.size()));
  for (const Statement& s : r.block) {
    if (s.word != "string") Fail(s.line, "a 'STR#' holds string statements only");
    Count(s, 1);
    PString(w, Text(s.values[0], "string"), s.line);
  }
}

void EncodeMenuBar(const Statement& r, SInt16, const Context&, sp::ByteWriter& w) {
  w.BE16(UInt16(r.block.size()));
  for (const Statement& s : r.block) {
    if (s.word != "menu") Fail(s.line, "an 'MBAR' holds menu statements only");
    Count(s, 1);
    w.BE16(UInt16(Number(s.values[0], -32768, 32767, "a menu id")));
  }
}

UInt8 OneByte(const Value& v, const char* what) {
  if (v.kind == Value::Kind::kString) {
    if (v.text.size() != 1) Fail(v.line, std::string(what) + " must be one one-byte character");
    return UInt8(v.text[0]);
  }
  return UInt8(Number(v, 0, 255, what));
}

void EncodeMenu(const Statement& r, SInt16 id, const Context&, sp::ByteWriter& w) {
  SInt64 menuID = id;
  std::string title;
  bool menuEnabled = true;
  bool haveTitle = false;
  sp::ByteWriter items;
  UInt32 enableFlags = 0;
  std::size_t count = 0;
  for (const Statement& s : r.block) {
    if (s.word == "id") {
      Count(s, 1);
      menuID = Number(s.values[0], -32768, 32767, "a menu id");
    } else if (s.word == "title") {
      Count(s, 1);
      if (haveTitle) Fail(s.line, "'title' given twice");
      haveTitle = true;
      title = Text(s.values[0], "title");
    } else if (s.word == "disabled") {
      Count(s, 0);
      menuEnabled = false;
    } else if (s.word == "separator") {
      Count(s, 0);
      ++count;
      PString(items, "-", s.line);
      items.Zeros(4);
    } else if (s.word == "item") {
      if (s.values.size() != 1) Fail(s.line, "'item' takes its text");
      const std::string& text = Text(s.values[0], "the item's text");
      if (text.empty()) Fail(s.line, "an item's text may not be empty");
      ++count;
      UInt8 icon = 0, key = 0, mark = 0, style = 0;
      bool enabled = true;
      bool submenu = false;
      std::set<std::string> seen;
      for (const Statement& o : s.block) {
        if (!seen.insert(o.word).second) Fail(o.line, "'" + o.word + "' given twice");
        if (o.word == "key") {
          Count(o, 1);
          key = OneByte(o.values[0], "key");
        } else if (o.word == "mark") {
          Count(o, 1);
          mark = (o.values[0].kind == Value::Kind::kWord && o.values[0].text == "check")
                     ? UInt8(18)
                     : OneByte(o.values[0], "mark");
        } else if (o.word == "icon") {
          Count(o, 1);
          icon = UInt8(Number(o.values[0], 0, 255, "icon"));
        } else if (o.word == "disabled") {
          Count(o, 0);
          enabled = false;
        } else if (o.word == "submenu") {
          Count(o, 1);
          submenu = true;
          mark = UInt8(Number(o.values[0], 1, 255, "a sub-menu id"));
          key = 0x1B;
        } else if (o.word == "style") {
          if (o.values.empty() || o.hasBlock) Fail(o.line, "'style' takes style names");
          static const std::map<std::string, SInt64> kStyles = {
              {"bold", 1},    {"italic", 2},    {"underline", 4}, {"outline", 8},
              {"shadow", 16}, {"condense", 32}, {"extend", 64},
          };
          for (const Value& v : o.values) {
            if (v.kind != Value::Kind::kWord) Fail(v.line, "'style' takes style names");
            style = UInt8(style | NumberOrName(v, kStyles, 0, 0, "style"));
          }
        } else {
          Fail(o.line, "unknown item option '" + o.word + "'");
        }
      }
      if (submenu && (seen.count("key") || seen.count("mark"))) {
        Fail(s.line, "a hierarchical item has no key and no mark of its own");
      }
      if (!enabled && count > 31) Fail(s.line, "only items 1 to 31 can start disabled");
      if (enabled && count <= 31) enableFlags |= UInt32(1) << count;
      PString(items, text, s.line);
      items.U8(icon);
      items.U8(key);
      items.U8(mark);
      items.U8(style);
    } else {
      Fail(s.line, "unknown field '" + s.word + "' in 'MENU'");
    }
  }
  // Items past the 31st have no flag of their own: the Menu Manager keeps them enabled.
  if (menuEnabled) enableFlags |= 1;
  w.BE16(UInt16(menuID));
  w.BE16(0);  // width
  w.BE16(0);  // height
  w.BE16(0);  // the definition procedure: the standard text menu
  w.BE16(0);
  w.BE32(enableFlags);
  PString(w, title, r.line);
  w.Bytes(items.Data().data(), items.Size());
  w.U8(0);
}

void EncodeItemList(const Statement& r, SInt16, const Context&, sp::ByteWriter& w) {
  static const std::map<std::string, UInt8> kKinds = {
      {"userItem", 0},   {"button", 4},    {"checkBox", 5}, {"radioButton", 6}, {"control", 7},
      {"staticText", 8}, {"editText", 16}, {"icon", 32},    {"picture", 64},
  };
  if (r.block.empty()) Fail(r.line, "a 'DITL' needs at least one item");
  if (r.block.size() > 0x7FFF) Fail(r.line, "too many items");
  w.BE16(UInt16(r.block.size() - 1));
  for (const Statement& s : r.block) {
    auto kind = kKinds.find(s.word);
    if (kind == kKinds.end()) Fail(s.line, "unknown item kind '" + s.word + "'");
    if (s.values.size() != 4) Fail(s.line, "an item takes its rectangle: top, left, bottom, right");
    std::string text;
    SInt64 resourceID = 0;
    bool haveID = false;
    bool enabled = true;
    std::set<std::string> seen;
    const bool takesText = kind->second >= 4 && kind->second <= 16 && kind->second != 7;
    const bool takesID = kind->second == 7 || kind->second == 32 || kind->second == 64;
    for (const Statement& o : s.block) {
      if (!seen.insert(o.word).second) Fail(o.line, "'" + o.word + "' given twice");
      if (o.word == "text" && takesText) {
        Count(o, 1);
        text = Text(o.values[0], "text");
      } else if (o.word == "id" && takesID) {
        Count(o, 1);
        resourceID = Number(o.values[0], -32768, 32767, "id");
        haveID = true;
      } else if (o.word == "disabled") {
        Count(o, 0);
        enabled = false;
      } else {
        Fail(o.line, "'" + o.word + "' does not belong to a " + s.word + " item");
      }
    }
    if (takesID && !haveID) Fail(s.line, "a " + s.word + " item needs its id");
    w.BE32(0);  // the handle or procedure the Dialog Manager fills in
    Rect(w, s, 0);
    w.U8(UInt8(kind->second | (enabled ? 0 : 0x80)));
    if (takesText) {
      PString(w, text, s.line);
      if (text.size() % 2 == 1) w.U8(0);
    } else if (takesID) {
      w.U8(2);
      w.BE16(UInt16(resourceID));
    } else {
      w.U8(0);
    }
  }
}

// A length-prefixed title, then the byte that keeps the next field on an even offset.
void EvenTitle(sp::ByteWriter& w, const std::string& title, int line) {
  PString(w, title, line);
  if (w.Size() % 2 == 1) w.U8(0);
}

void EncodeDialog(const Statement& r, SInt16 id, const Context&, sp::ByteWriter& w) {
  const Fields f(r,
                 {"bounds", "procID", "visible", "goAway", "refCon", "items", "title", "position"},
                 SpFourCC("DLOG"));
  const Statement& bounds = f.Need("bounds", r.line);
  Count(bounds, 4);
  Rect(w, bounds, 0);
  w.BE16(UInt16(f.Named("procID", 0, kWindowKinds, -32768, 32767)));
  w.U8(f.Flag("visible", false) ? 1 : 0);
  w.U8(0);
  w.U8(f.Flag("goAway", false) ? 1 : 0);
  w.U8(0);
  w.BE32(UInt32(f.Int("refCon", 0, -0x80000000LL, 0xFFFFFFFFLL)));
  w.BE16(UInt16(f.Int("items", id, -32768, 32767)));
  EvenTitle(w, f.String("title"), r.line);
  w.BE16(UInt16(f.Named("position", 0, kPositions, 0, 0xFFFF)));
}

void EncodeWindow(const Statement& r, SInt16, const Context&, sp::ByteWriter& w) {
  const Fields f(r, {"bounds", "procID", "visible", "goAway", "refCon", "title", "position"},
                 SpFourCC("WIND"));
  const Statement& bounds = f.Need("bounds", r.line);
  Count(bounds, 4);
  Rect(w, bounds, 0);
  w.BE16(UInt16(f.Named("procID", 0, kWindowKinds, -32768, 32767)));
  w.BE16(f.Flag("visible", false) ? 0x0100 : 0);
  w.BE16(f.Flag("goAway", false) ? 0x0100 : 0);
  w.BE32(UInt32(f.Int("refCon", 0, -0x80000000LL, 0xFFFFFFFFLL)));
  EvenTitle(w, f.String("title"), r.line);
  w.BE16(UInt16(f.Named("position", 0, kPositions, 0, 0xFFFF)));
}

void EncodeAlert(const Statement& r, SInt16 id, const Context&, sp::ByteWriter& w) {
  const Fields f(r, {"bounds", "items", "stages", "position"}, SpFourCC("ALRT"));
  const Statement& bounds = f.Need("bounds", r.line);
  Count(bounds, 4);
  Rect(w, bounds, 0);
  w.BE16(UInt16(f.Int("items", id, -32768, 32767)));
  w.BE16(UInt16(f.Int("stages", 0, 0, 0xFFFF)));
  w.BE16(UInt16(f.Named("position", 0, kPositions, 0, 0xFFFF)));
}

void EncodeControl(const Statement& r, SInt16, const Context&, sp::ByteWriter& w) {
  const Fields f(r, {"bounds", "value", "visible", "max", "min", "procID", "refCon", "title"},
                 SpFourCC("CNTL"));
  const Statement& bounds = f.Need("bounds", r.line);
  Count(bounds, 4);
  Rect(w, bounds, 0);
  w.BE16(UInt16(f.Int("value", 0, -32768, 32767)));
  w.U8(f.Flag("visible", true) ? 1 : 0);
  w.U8(0);
  w.BE16(UInt16(f.Int("max", 0, -32768, 32767)));
  w.BE16(UInt16(f.Int("min", 0, -32768, 32767)));
  w.BE16(UInt16(f.Named("procID", 0, kControlKinds, -32768, 32767)));
  w.BE32(UInt32(f.Int("refCon", 0, -0x80000000LL, 0xFFFFFFFFLL)));
  PString(w, f.String("title"), r.line);
}

UInt8 BCD(SInt64 n) {
  return UInt8(((n / 10) << 4) | (n % 10));
}

void EncodeVersion(const Statement& r, SInt16, const Context&, sp::ByteWriter& w) {
  const Fields f(r, {"version", "stage", "nonRelease", "region", "short", "long"},
                 SpFourCC("vers"));
  const Statement& version = f.Need("version", r.line);
  Count(version, 3);
  const SInt64 major = Number(version.values[0], 0, 99, "the major version");
  const SInt64 minor = Number(version.values[1], 0, 9, "the minor version");
  const SInt64 fix = Number(version.values[2], 0, 9, "the fix level");
  static const std::map<std::string, SInt64> kStages = {
      {"development", 0x20}, {"alpha", 0x40}, {"beta", 0x60}, {"final", 0x80}};
  w.U8(BCD(major));
  w.U8(UInt8((minor << 4) | fix));
  w.U8(UInt8(f.Named("stage", 0x80, kStages, 0, 255)));
  w.U8(BCD(f.Int("nonRelease", 0, 0, 99)));
  w.BE16(UInt16(f.Int("region", 0, 0, 0x7FFF)));
  PString(w, f.String("short"), r.line);
  PString(w, f.String("long"), r.line);
}

void EncodeCursor(const Statement& r, SInt16, const Context& context, sp::ByteWriter& w) {
  const Fields f(r, {"png", "hotSpot"}, SpFourCC("CURS"));
  const Image image = ReadPng(context, f.Need("png", r.line));
  std::vector<UInt8> bits, mask;
  OneBitPlanes(image, 16, f.Need("png", r.line).line, &bits, &mask);
  w.Bytes(bits.data(), bits.size());
  w.Bytes(mask.data(), mask.size());
  HotSpot(w, f);
}

void EncodeColorCursor(const Statement& r, SInt16, const Context& context, sp::ByteWriter& w) {
  const Fields f(r, {"png", "hotSpot"}, SpFourCC("crsr"));
  const Image image = ReadPng(context, f.Need("png", r.line));
  std::vector<UInt8> bits, mask;
  OneBitPlanes(image, 16, f.Need("png", r.line).line, &bits, &mask);
  w.BE16(0x8001);  // a colour cursor
  w.BE32(0);       // no pixel map: the image is the PNG
  w.BE32(96);      // where the image's bytes begin
  w.BE32(0);
  w.BE16(0);
  w.BE32(0);
  w.Bytes(bits.data(), bits.size());
  w.Bytes(mask.data(), mask.size());
  HotSpot(w, f);
  w.BE32(0);
  w.BE32(0);
  w.Bytes(image.file.data(), image.file.size());
}

void EncodeIconList(const Statement& r, SInt16, const Context& context, sp::ByteWriter& w) {
  const Fields f(r, {"png"}, SpFourCC("ICN#"));
  const Image image = ReadPng(context, f.Need("png", r.line));
  std::vector<UInt8> bits, mask;
  OneBitPlanes(image, 32, f.Need("png", r.line).line, &bits, &mask);
  w.Bytes(bits.data(), bits.size());
  w.Bytes(mask.data(), mask.size());
}

void EncodeColorIcon(const Statement& r, SInt16, const Context& context, sp::ByteWriter& w) {
  const Fields f(r, {"png"}, SpFourCC("cicn"));
  const Image image = ReadPng(context, f.Need("png", r.line));
  w.Bytes(image.file.data(), image.file.size());
}

void EncodePicture(const Statement& r, SInt16, const Context& context, sp::ByteWriter& w) {
  const Fields f(r, {"png"}, SpFourCC("PICT"));
  const Image image = ReadPng(context, f.Need("png", r.line));
  if (image.width > 0x7FFF || image.height > 0x7FFF) Fail(r.line, "the picture is too large");
  const std::size_t size = 10 + image.file.size();
  w.BE16(UInt16(size & 0xFFFF));
  w.BE16(0);
  w.BE16(0);
  w.BE16(UInt16(image.height));
  w.BE16(UInt16(image.width));
  w.Bytes(image.file.data(), image.file.size());
}

const std::map<ResType, Encoder>& Encoders() {
  static const std::map<ResType, Encoder> encoders = {
      {SpFourCC("STR "), EncodeString},   {SpFourCC("STR#"), EncodeStringList},
      {SpFourCC("MBAR"), EncodeMenuBar},  {SpFourCC("MENU"), EncodeMenu},
      {SpFourCC("DITL"), EncodeItemList}, {SpFourCC("DLOG"), EncodeDialog},
      {SpFourCC("WIND"), EncodeWindow},   {SpFourCC("ALRT"), EncodeAlert},
      {SpFourCC("CNTL"), EncodeControl},  {SpFourCC("vers"), EncodeVersion},
      {SpFourCC("CURS"), EncodeCursor},   {SpFourCC("crsr"), EncodeColorCursor},
      {SpFourCC("ICN#"), EncodeIconList}, {SpFourCC("cicn"), EncodeColorIcon},
      {SpFourCC("PICT"), EncodePicture},
  };
  return encoders;
}

// ---- Raw bodies -------------------------------------------------------------------------------

const std::set<std::string>& RawWords() {
  static const std::set<std::string> words = {"hex",     "int8", "int16", "int32", "ostype",
                                              "pstring", "text", "file",  "align"};
  return words;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void EncodeRaw(const Statement& r, const Context& context, sp::ByteWriter& w) {
  for (const Statement& s : r.block) {
    if (s.hasBlock) Fail(s.line, "'" + s.word + "' takes no block");
    if (s.word == "hex") {
      Count(s, 1);
      const std::string& digits = Text(s.values[0], "hex");
      int high = -1;
      for (char c : digits) {
        if (c == ' ' || c == '\t') continue;
        const int d = HexValue(c);
        if (d < 0) Fail(s.line, "hex takes hexadecimal digits");
        if (high < 0) {
          high = d;
        } else {
          w.U8(UInt8(high * 16 + d));
          high = -1;
        }
      }
      if (high >= 0) Fail(s.line, "an odd number of hexadecimal digits");
    } else if (s.word == "int8" || s.word == "int16" || s.word == "int32") {
      if (s.values.empty()) Fail(s.line, "'" + s.word + "' takes numbers");
      for (const Value& v : s.values) {
        if (s.word == "int8") w.U8(UInt8(Number(v, -128, 255, "int8")));
        if (s.word == "int16") w.BE16(UInt16(Number(v, -32768, 65535, "int16")));
        if (s.word == "int32") w.BE32(UInt32(Number(v, -0x80000000LL, 0xFFFFFFFFLL, "int32")));
      }
    } else if (s.word == "ostype") {
      Count(s, 1);
      w.BE32(UInt32(Number(s.values[0], 0, 0xFFFFFFFFLL, "ostype")));
    } else if (s.word == "pstring") {
      Count(s, 1);
      PString(w, Text(s.values[0], "pstring"), s.line);
    } else if (s.word == "text") {
      Count(s, 1);
      const std::string& t = Text(s.values[0], "text");
      w.Bytes(t.data(), t.size());
    } else if (s.word == "file") {
      Count(s, 1);
      const std::string bytes = ReadBeside(context, s.values[0]);
      w.Bytes(bytes.data(), bytes.size());
    } else if (s.word == "align") {
      Count(s, 1);
      const SInt64 to = Number(s.values[0], 1, 64, "align");
      while (w.Size() % std::size_t(to) != 0) w.U8(0);
    } else {
      Fail(s.line, "'" + s.word + "' is no raw statement (the body began as raw bytes)");
    }
  }
}

// ---- Resources --------------------------------------------------------------------------------

struct Compiled {
  resfile::Entry entry;
  std::string where;  // "<name>:<line>"
};

void CompileResource(const Statement& r, const Context& context, resfile::Entry* out) {
  if (r.word != "resource") Fail(r.line, "expected 'resource', found '" + r.word + "'");
  if (r.values.size() < 2) Fail(r.line, "a resource begins: resource 'TYPE' id");
  if (!r.hasBlock) Fail(r.line, "a resource needs its body { ... }");
  const Value& typeValue = r.values[0];
  if (typeValue.kind != Value::Kind::kNumber || typeValue.number < 0 ||
      typeValue.number > 0xFFFFFFFFLL) {
    Fail(r.line, "the type is four characters in single quotes");
  }
  out->type = ResType(typeValue.number);
  out->id = SInt16(Number(r.values[1], -32768, 32767, "the resource id"));
  static const std::map<std::string, SInt64> kAttributes = {
      {"sysHeap", 64}, {"purgeable", 32}, {"locked", 16}, {"protected", 8}, {"preload", 4}};
  for (std::size_t i = 2; i < r.values.size(); ++i) {
    const Value& v = r.values[i];
    if (v.kind == Value::Kind::kString && i == 2) {
      if (v.text.size() > 255) Fail(v.line, "a name holds at most 255 bytes");
      out->hasName = true;
      out->name = v.text;
    } else if (v.kind == Value::Kind::kWord) {
      out->attributes = UInt8(out->attributes | NumberOrName(v, kAttributes, 0, 0, "attribute"));
    } else {
      Fail(v.line, "after the id come the name (a string) and attributes");
    }
  }
  sp::ByteWriter bytes;
  const bool raw = !r.block.empty() && RawWords().count(r.block[0].word) > 0;
  auto encoder = Encoders().find(out->type);
  if (raw) {
    EncodeRaw(r, context, bytes);
  } else if (encoder != Encoders().end()) {
    encoder->second(r, out->id, context, bytes);
  } else if (r.block.empty()) {
    // An empty resource.
  } else {
    Fail(r.line, CodeText(out->type) + " has no typed form: write its bytes (hex, int16, ...)");
  }
  out->bytes = resfile::ResourceBytes(std::move(bytes.Data()));
}

}  // namespace

bool Compile(const std::vector<Source>& sources, std::vector<UInt8>* fileBytes,
             std::string* error) {
  std::vector<Compiled> all;
  std::map<std::pair<ResType, SInt16>, std::string> seen;
  for (const Source& source : sources) {
    std::vector<Statement> statements;
    Failure failure;
    if (!ParseSource(source.text, &statements, &failure)) {
      if (error) *error = source.name + ":" + std::to_string(failure.line) + ": " + failure.message;
      return false;
    }
    const Context context{source.folder.empty() ? std::string(".") : source.folder};
    for (const Statement& r : statements) {
      Compiled c;
      c.where = source.name + ":" + std::to_string(r.line);
      try {
        CompileResource(r, context, &c.entry);
      } catch (const CompileError& e) {
        if (error) *error = source.name + ":" + std::to_string(e.line) + ": " + e.message;
        return false;
      }
      auto key = std::make_pair(c.entry.type, c.entry.id);
      auto inserted = seen.emplace(key, c.where);
      if (!inserted.second) {
        if (error) {
          *error = c.where + ": " + CodeText(c.entry.type) + " " + std::to_string(c.entry.id) +
                   " is defined twice (first at " + inserted.first->second + ")";
        }
        return false;
      }
      all.push_back(std::move(c));
    }
  }
  resfile::FileImage image;
  for (Compiled& c : all) image.entries.push_back(std::move(c.entry));
  std::vector<UInt8> bytes;
  if (!resfile::Serialize(image, bytes)) {
    if (error) *error = "the resources do not fit one resource file";
    return false;
  }
  if (fileBytes) *fileBytes = std::move(bytes);
  return true;
}

bool ConvertText(const Source& source, std::string* bytes, std::string* error) {
  Failure failure;
  std::string converted;
  if (!ConvertTextLines(source.text, &converted, &failure)) {
    if (error) *error = source.name + ":" + std::to_string(failure.line) + ": " + failure.message;
    return false;
  }
  if (bytes) *bytes = std::move(converted);
  return true;
}

}  // namespace sp_rescompile
