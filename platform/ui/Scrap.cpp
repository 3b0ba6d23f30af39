// The Scrap Manager over the clipboard's text (ui/internal/DialogClipboard.h) and the private
// flavours kept beside it.
#include "Scrap.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ui/internal/DialogClipboard.h"

struct OpaqueScrapRef {
  int unused;
};

namespace {

struct Flavor {
  ScrapFlavorType type;
  std::vector<UInt8> bytes;
};

struct ScrapState {
  // Two records taken in turn: the current scrap and the one before, so that a stale
  // reference is told apart from the current one without ever reusing an address too soon.
  OpaqueScrapRef records[2]{};
  int current = 0;
  std::vector<Flavor> flavors;  // every flavour but 'TEXT'
  std::string textBeside;       // the clipboard's text when they were put
};

ScrapState& State() {
  static ScrapState* state = new ScrapState;  // lives to the end of the program
  return *state;
}

bool IsCurrent(ScrapRef scrap) {
  return scrap == &State().records[State().current];
}

// The private flavours, dropped first when the clipboard's text changed under them.
std::vector<Flavor>& LiveFlavors() {
  ScrapState& s = State();
  if (!s.flavors.empty() && sp_platform::dialogs::ClipboardText() != s.textBeside) {
    s.flavors.clear();
  }
  return s.flavors;
}

const Flavor* FindFlavor(ScrapFlavorType type) {
  for (const Flavor& f : LiveFlavors()) {
    if (f.type == type) return &f;
  }
  return nullptr;
}

// The flavour's bytes; false when the scrap has none of that type.
bool FlavorBytes(ScrapFlavorType type, std::string* bytes) {
  if (type == kScrapFlavorTypeText) {
    *bytes = sp_platform::dialogs::ClipboardText();
    return !bytes->empty();
  }
  const Flavor* f = FindFlavor(type);
  if (f == nullptr) return false;
  bytes->assign(f->bytes.begin(), f->bytes.end());
  return true;
}

}  // namespace

OSStatus GetCurrentScrap(ScrapRef* scrap) {
  if (scrap == nullptr) return paramErr;
  *scrap = &State().records[State().current];
  return noErr;
}

OSStatus ClearCurrentScrap() {
  ScrapState& s = State();
  s.current = 1 - s.current;
  s.flavors.clear();
  s.textBeside.clear();
  sp_platform::dialogs::ClearClipboard();
  return noErr;
}

OSStatus PutScrapFlavor(ScrapRef scrap, ScrapFlavorType flavorType, ScrapFlavorFlags flavorFlags,
                        Size flavorSize, const void* flavorData) {
  if (!IsCurrent(scrap)) return badScrapRefErr;
  if ((flavorFlags & ~ScrapFlavorFlags(kScrapFlavorMaskSenderOnly | kScrapFlavorMaskTranslated)) !=
      0) {
    return illegalScrapFlavorFlagsErr;
  }
  if (flavorSize < 0) return illegalScrapFlavorSizeErr;
  if (flavorData == nullptr && flavorSize > 0) return nilScrapFlavorDataErr;
  std::string existing;
  if (FlavorBytes(flavorType, &existing)) return duplicateScrapFlavorErr;
  const UInt8* bytes = static_cast<const UInt8*>(flavorData);
  ScrapState& s = State();
  if (flavorType == kScrapFlavorTypeText) {
    std::string text(reinterpret_cast<const char*>(bytes), std::size_t(flavorSize));
    sp_platform::dialogs::PutClipboardText(text);
    s.textBeside = sp_platform::dialogs::ClipboardText();
    return noErr;
  }
  std::vector<Flavor>& flavors = LiveFlavors();
  if (flavors.empty()) s.textBeside = sp_platform::dialogs::ClipboardText();
  flavors.push_back(Flavor{flavorType, std::vector<UInt8>(bytes, bytes + flavorSize)});
  return noErr;
}

OSStatus GetScrapFlavorSize(ScrapRef scrap, ScrapFlavorType flavorType, Size* byteCount) {
  if (byteCount == nullptr) return paramErr;
  if (!IsCurrent(scrap)) return badScrapRefErr;
  std::string bytes;
  if (!FlavorBytes(flavorType, &bytes)) return noTypeErr;
  *byteCount = Size(bytes.size());
  return noErr;
}

OSStatus GetScrapFlavorData(ScrapRef scrap, ScrapFlavorType flavorType, Size* byteCount,
                            void* destination) {
  if (byteCount == nullptr || (destination == nullptr && *byteCount > 0)) return paramErr;
  if (!IsCurrent(scrap)) return badScrapRefErr;
  std::string bytes;
  if (!FlavorBytes(flavorType, &bytes)) return noTypeErr;
  const std::size_t n = std::min<std::size_t>(bytes.size(), std::size_t(std::max<Size>(*byteCount, 0)));
  if (n > 0) std::memcpy(destination, bytes.data(), n);
  *byteCount = Size(n);
  return noErr;
}
