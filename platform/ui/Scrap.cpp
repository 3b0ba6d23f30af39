// The Scrap Manager over the clipboard's text (ui/internal/DialogClipboard.h) and the private
// flavours kept beside it.
#include "Scrap.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "SpTextCodec.h"
#include "ui/internal/DialogClipboard.h"

struct OpaqueScrapRef {
  int unused;
};

namespace {

struct Flavor {
  ScrapFlavorType type;
  std::vector<UInt8> bytes;
};

enum : unsigned { kPutText = 1, kPutUnicode = 2 };

struct ScrapState {
  // Two records taken in turn: the current scrap and the one before, so that a stale
  // reference is told apart from the current one without ever reusing an address too soon.
  OpaqueScrapRef records[2]{};
  int current = 0;
  std::vector<Flavor> flavors;  // every flavour but the text
  unsigned textPut = 0;         // the text flavours this scrap was given
  std::string textBeside;       // the clipboard's text (Unicode form) when this scrap changed it
  std::string seenText;         // the clipboard's text when last looked at
  unsigned long takenSeen = 0;  // the desktop clipboard's taken count when last looked at
  UInt32 changeCount = 0;
};

ScrapState& State() {
  static ScrapState* state = new ScrapState;  // lives to the end of the program
  return *state;
}

bool IsCurrent(ScrapRef scrap) {
  return scrap == &State().records[State().current];
}

// Looks at the clipboard's text: another text than last time is a change, and another text
// than this scrap left means someone else copied, so the flavours put beside ours go.
// Answers the text (Unicode form).
std::string Look() {
  ScrapState& s = State();
  std::string text = sp_platform::dialogs::ClipboardTextUnicode();
  const unsigned long taken = sp_platform::dialogs::DesktopClipboardTakenCount();
  if (taken != s.takenSeen) {
    // Another program copied, maybe the very same text: the flavours kept beside ours go.
    s.takenSeen = taken;
    s.seenText = text;
    ++s.changeCount;
    s.flavors.clear();
    s.textPut = 0;
    s.textBeside = text;
    return text;
  }
  if (text != s.seenText) {
    s.seenText = text;
    ++s.changeCount;
  }
  if (text != s.textBeside) {
    s.flavors.clear();
    s.textPut = 0;
    s.textBeside = text;
  }
  return text;
}

// This scrap changed the clipboard.
void Changed() {
  ScrapState& s = State();
  s.textBeside = sp_platform::dialogs::ClipboardTextUnicode();
  s.seenText = s.textBeside;
  ++s.changeCount;
}

const Flavor* FindFlavor(ScrapFlavorType type) {
  for (const Flavor& f : State().flavors) {
    if (f.type == type) return &f;
  }
  return nullptr;
}

std::string UnicodeBytes(const std::string& utf8) {
  const std::u16string units = sp::text::UTF8ToUTF16(utf8);
  return std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2);
}

// The flavour's bytes; false when the scrap has none of that type.
bool FlavorBytes(ScrapFlavorType type, std::string* bytes) {
  const std::string text = Look();
  if (type == kScrapFlavorTypeText || type == kScrapFlavorTypeUnicode) {
    if (text.empty()) return false;
    *bytes = type == kScrapFlavorTypeText ? sp_platform::dialogs::ClipboardText()
                                          : UnicodeBytes(text);
    return true;
  }
  const Flavor* f = FindFlavor(type);
  if (f == nullptr) return false;
  bytes->assign(f->bytes.begin(), f->bytes.end());
  return true;
}

// One of the two text flavours: the first sets the text, the other after it only refines it
// (a Unicode text is the fuller form of the same text).
OSStatus PutText(ScrapFlavorType type, const UInt8* bytes, Size size) {
  ScrapState& s = State();
  const unsigned bit = type == kScrapFlavorTypeText ? kPutText : kPutUnicode;
  const std::string text = Look();
  if ((s.textPut & bit) != 0 || (s.textPut == 0 && !text.empty())) {
    return duplicateScrapFlavorErr;
  }
  const bool first = s.textPut == 0;
  s.textPut |= bit;
  if (type == kScrapFlavorTypeText) {
    if (first) sp_platform::dialogs::PutClipboardText(std::string(bytes, bytes + size));
  } else {
    std::u16string units(std::size_t(size) / 2, u'\0');
    if (!units.empty()) std::memcpy(&units[0], bytes, units.size() * 2);
    sp_platform::dialogs::PutClipboardTextUnicode(sp::text::UTF16ToUTF8(units));
  }
  Changed();
  return noErr;
}

}  // namespace

OSStatus GetCurrentScrap(ScrapRef* scrap) {
  if (scrap == nullptr) return paramErr;
  Look();
  *scrap = &State().records[State().current];
  return noErr;
}

OSStatus ClearCurrentScrap() {
  ScrapState& s = State();
  s.current = 1 - s.current;
  s.flavors.clear();
  s.textPut = 0;
  sp_platform::dialogs::ClearClipboard();
  Changed();
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
  const UInt8* bytes = static_cast<const UInt8*>(flavorData);
  if (flavorType == kScrapFlavorTypeText || flavorType == kScrapFlavorTypeUnicode) {
    return PutText(flavorType, bytes, flavorSize);
  }
  std::string existing;
  if (FlavorBytes(flavorType, &existing)) return duplicateScrapFlavorErr;
  State().flavors.push_back(Flavor{flavorType, std::vector<UInt8>(bytes, bytes + flavorSize)});
  Changed();
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

OSStatus GetScrapFlavorCount(ScrapRef scrap, UInt32* infoCount) {
  if (infoCount == nullptr) return paramErr;
  if (!IsCurrent(scrap)) return badScrapRefErr;
  const std::string text = Look();
  *infoCount = UInt32((text.empty() ? 0 : 2) + State().flavors.size());
  return noErr;
}

OSStatus GetScrapChangeCount(UInt32* changeCount) {
  if (changeCount == nullptr) return paramErr;
  Look();
  *changeCount = State().changeCount;
  return noErr;
}
