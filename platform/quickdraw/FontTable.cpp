// The table of font families: fixed numbers for the families the platform knows, each
// present when fontconfig finds it on the machine.
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "SpTextCodec.h"
#include "detail/FontFaces.h"
#include "detail/TextEngine.h"
#include "quickdraw/internal/FontTable.h"

namespace sp_platform {
namespace fonts {
namespace {

// The families in the order the system font is chosen from: the first one installed is the
// system and application font. Each lists the fontconfig family names that may provide it,
// the first installed one winning.
struct TableEntry {
  SInt16 number;
  std::vector<const char*> candidates;
};

const std::vector<TableEntry>& Table() {
  static const std::vector<TableEntry> table = {
      {16384, {"IPAGothic"}},
      {16385, {"IPAPGothic"}},
      {16386, {"IPAMincho"}},
      {16387, {"IPAPMincho"}},
      {21, {"DejaVu Sans", "Liberation Sans", "FreeSans"}},
      {20, {"DejaVu Serif", "Liberation Serif", "FreeSerif"}},
      {22, {"DejaVu Sans Mono", "Liberation Mono", "FreeMono"}},
  };
  return table;
}

const char kFixedMetricName[] = "SpFixedMetric";

std::string ToMacJapanese(const char* utf8) {
  std::string out;
  if (!sp::text::UTF8ToMacJapanese(utf8, out, 0) || out.empty() || out.size() > 255) return {};
  return out;
}

// One file of a family as fontconfig lists it.
struct Candidate {
  std::string file;
  int index = 0;
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  int width = FC_WIDTH_NORMAL;
  std::vector<std::string> names;  // UTF-8 family names
};

// The layer's own fontconfig configuration: the standard font folders and caches, without the
// machine's and the user's rule files. The table finds families by their own names and needs
// none of the substitution rules, so the same fonts give the same table on every machine (and
// fontconfig's rule parser, which keeps a little memory it never frees, is not run).
FcConfig* Config() {
  static FcConfig* config = [] {
    FcConfig* c = FcConfigCreate();
    if (c == nullptr) return c;
    static const char kConfig[] =
        "<?xml version=\"1.0\"?><fontconfig>"
        "<dir>/usr/share/fonts</dir><dir>/usr/local/share/fonts</dir>"
        "<dir prefix=\"xdg\">fonts</dir><dir>~/.fonts</dir>"
        "<cachedir>/var/cache/fontconfig</cachedir><cachedir prefix=\"xdg\">fontconfig</cachedir>"
        "</fontconfig>";
    if (FcConfigParseAndLoadFromMemory(c, reinterpret_cast<const FcChar8*>(kConfig), FcFalse) !=
            FcTrue ||
        FcConfigBuildFonts(c) != FcTrue) {
      FcConfigDestroy(c);
      return static_cast<FcConfig*>(nullptr);
    }
    return c;
  }();
  return config;
}

std::vector<Candidate> ListFamily(const char* family) {
  std::vector<Candidate> out;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return out;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT,
                                          FC_WIDTH, static_cast<char*>(nullptr));
  FcFontSet* set = objects != nullptr ? FcFontList(Config(), pattern, objects) : nullptr;
  if (set != nullptr) {
    for (int i = 0; i < set->nfont; ++i) {
      FcPattern* font = set->fonts[i];
      Candidate c;
      FcChar8* file = nullptr;
      if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) continue;
      c.file = reinterpret_cast<const char*>(file);
      FcPatternGetInteger(font, FC_INDEX, 0, &c.index);
      FcPatternGetInteger(font, FC_WEIGHT, 0, &c.weight);
      FcPatternGetInteger(font, FC_SLANT, 0, &c.slant);
      FcPatternGetInteger(font, FC_WIDTH, 0, &c.width);
      FcChar8* name = nullptr;
      for (int n = 0; FcPatternGetString(font, FC_FAMILY, n, &name) == FcResultMatch; ++n) {
        c.names.emplace_back(reinterpret_cast<const char*>(name));
      }
      // fontconfig matches family names loosely; only the family itself counts.
      const bool same = std::any_of(c.names.begin(), c.names.end(), [&](const std::string& s) {
        return FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(s.c_str()),
                                  reinterpret_cast<const FcChar8*>(family)) == 0;
      });
      if (same) out.push_back(std::move(c));
    }
    FcFontSetDestroy(set);
  }
  if (objects != nullptr) FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  // The same face may be listed under several file names (links): keep the list stable.
  std::sort(out.begin(), out.end(), [](const Candidate& a, const Candidate& b) {
    return a.file != b.file ? a.file < b.file : a.index < b.index;
  });
  return out;
}

// The candidate closest to the wanted weight and slant at normal width; null when none is
// close enough to count as that face (a regular face is always found if any is listed).
const Candidate* PickFace(const std::vector<Candidate>& list, bool wantBold, bool wantItalic,
                          bool exact) {
  const Candidate* best = nullptr;
  int bestScore = 0;
  for (const Candidate& c : list) {
    const bool isBold = c.weight >= FC_WEIGHT_DEMIBOLD;
    const bool isItalic = c.slant != FC_SLANT_ROMAN;
    if (exact && (isBold != wantBold || isItalic != wantItalic)) continue;
    const int target = wantBold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR;
    int score = std::abs(c.weight - target) + std::abs(c.width - FC_WIDTH_NORMAL) * 4;
    if (isItalic != wantItalic) score += 1000;
    if (best == nullptr || score < bestScore) {
      best = &c;
      bestScore = score;
    }
  }
  return best;
}

struct TableState {
  std::vector<std::unique_ptr<Family>> families;  // installed, in table order
  std::vector<std::unique_ptr<Face>> faces;
  Family fixedMetric;
  Family* system = nullptr;

  TableState() {
    fixedMetric.number = kFixedMetricFontNumber;
    fixedMetric.name = kFixedMetricName;
    fixedMetric.fixedMetric = true;
    if (Config() != nullptr) {
      for (const TableEntry& entry : Table()) AddEntry(entry);
    }
    system = families.empty() ? &fixedMetric : families.front().get();
  }

  Face* MakeFace(const Candidate* c) {
    if (c == nullptr) return nullptr;
    for (const auto& f : faces) {
      if (f->file == c->file && f->index == c->index) return f.get();
    }
    faces.push_back(std::make_unique<Face>(c->file, c->index));
    return faces.back().get();
  }

  void AddEntry(const TableEntry& entry) {
    for (const char* candidate : entry.candidates) {
      const std::vector<Candidate> list = ListFamily(candidate);
      const Candidate* regular = PickFace(list, false, false, false);
      if (regular == nullptr) continue;
      auto family = std::make_unique<Family>();
      family->number = entry.number;
      family->name = ToMacJapanese(candidate);
      for (const std::string& n : regular->names) {
        const std::string mac = ToMacJapanese(n.c_str());
        if (mac.empty() || mac == family->name) continue;
        if (std::find(family->aliases.begin(), family->aliases.end(), mac) ==
            family->aliases.end()) {
          family->aliases.push_back(mac);
        }
      }
      family->regular = MakeFace(regular);
      family->bold = MakeFace(PickFace(list, true, false, true));
      family->italic = MakeFace(PickFace(list, false, true, true));
      family->boldItalic = MakeFace(PickFace(list, true, true, true));
      families.push_back(std::move(family));
      return;
    }
  }
};

// Made once and kept for the life of the process: FreeType faces and fontconfig's data stay
// valid until exit.
TableState& State() {
  static TableState* state = new TableState;
  return *state;
}

bool& FixedMetricIsSystem() {
  static bool on = false;
  return on;
}

}  // namespace

const Family* FindFamily(SInt16 number) {
  TableState& s = State();
  if (number == kFixedMetricFontNumber) return &s.fixedMetric;
  for (const auto& f : s.families) {
    if (f->number == number) return f.get();
  }
  return nullptr;
}

const Family* SystemFamily() {
  return FixedMetricIsSystem() ? &State().fixedMetric : State().system;
}

const Family* ResolveFamily(SInt16 number) {
  if (number == systemFont || number == applFont) return SystemFamily();
  const Family* f = FindFamily(number);
  return f != nullptr ? f : SystemFamily();
}

const Family* FindFamilyByName(const std::string& name) {
  if (name.empty()) return nullptr;
  TableState& s = State();
  if (name == s.fixedMetric.name) return &s.fixedMetric;
  for (const auto& f : s.families) {
    if (f->name == name) return f.get();
    if (std::find(f->aliases.begin(), f->aliases.end(), name) != f->aliases.end()) {
      return f.get();
    }
  }
  return nullptr;
}

std::vector<const Family*> Families() {
  std::vector<const Family*> out;
  TableState& s = State();
  for (const auto& f : s.families) out.push_back(f.get());
  if (FixedMetricIsSystem()) out.push_back(&s.fixedMetric);
  return out;
}

}  // namespace fonts

std::vector<InstalledFontFamily> InstalledFontFamilies() {
  std::vector<InstalledFontFamily> out;
  for (const fonts::Family* f : fonts::Families()) out.push_back({f->number, f->name});
  std::sort(out.begin(), out.end(), [](const InstalledFontFamily& a, const InstalledFontFamily& b) {
    return a.name < b.name;
  });
  return out;
}

void SetFixedMetricFontAsSystemFont(bool on) {
  fonts::FixedMetricIsSystem() = on;
}

bool FixedMetricFontIsSystemFont() {
  return fonts::FixedMetricIsSystem();
}

}  // namespace sp_platform
