#include "SpFontManager.h"

#include "Gestalt.h"

#include <cstring>

#include "Menus.h"
#include "Resources.h"
#include "SpErrorInfoSystem.h"
#include "SpStdDrawingFunction.h"

namespace {

const char kSource[] = "SpResourceManager";
// The font item's own wording of a null argument.
const char kMsgRequredArgument[] = "Requred argument is null !! ";

cSp_FontManager* _fontManager_GlV = nullptr;
cSp_GeneralGWorldManagerObj* _generalGWorldManagerPtr_GlV = nullptr;

// Copies at most kSpFontNameSize - 1 bytes of the name and the terminator.
void CopyFontName(char* out, const char* name) {
  std::size_t n = std::strlen(name);
  if (n > kSpFontNameSize - 1) n = kSpFontNameSize - 1;
  std::memcpy(out, name, n);
  out[n] = '\0';
}

// Font names in the order of the toolbox's string comparison for the Japanese script: bytes
// compared one by one as unsigned values, upper and lower case distinct (a Japanese font name
// carries no diacritical marks to fold), a name that is the beginning of another first.
int CompareFontNames(const char* a, const char* b) {
  return std::strcmp(a, b);
}

}  // namespace

// ---- Font items -----------------------------------------------------------------------------

cSp_FontItem::cSp_FontItem(const char* name, SInt16 fontNo) : fontNo_(fontNo) {
  fontName_[0] = '\0';
  if (name != nullptr) CopyFontName(fontName_, name);
}

char* cSp_FontItem::GetTargetFontName(char* out) const {
  if (out == nullptr) {
    return SpReportFailure(kSource, "cSp_FontItem::GetTargetFontName", 1, kMsgRequredArgument,
                           static_cast<char*>(nullptr));
  }
  std::memcpy(out, fontName_, std::strlen(fontName_) + 1);
  return out;
}

void cSp_FontItem::SetupFontName(const char* name) {
  if (name == nullptr) {
    SpReportFailure(kSource, "cSp_FontItem::SetupFontName", 1, kMsgRequredArgument);
    return;
  }
  CopyFontName(fontName_, name);
}

Boolean cSp_FontItem::EqualFontName(const char* name) const {
  return name != nullptr && std::strcmp(name, fontName_) == 0 ? 1 : 0;
}

// ---- Font manager ---------------------------------------------------------------------------

cSp_FontManager::cSp_FontManager() : head_(nullptr), tail_(nullptr), count_(0) {
  SetupFontItemList();
}

cSp_FontManager::~cSp_FontManager() {
  while (head_ != nullptr) {
    cSp_FontItem* next = head_->GetNextObjectPtr();
    delete head_;
    head_ = next;
  }
  tail_ = nullptr;
  count_ = 0;
}

void cSp_FontManager::AppendItem(cSp_FontItem* item) {
  if (tail_ == nullptr) {
    head_ = item;
  } else {
    tail_->LinkAfterThis(item);
  }
  tail_ = item;
  ++count_;
}

void cSp_FontManager::SetupFontItemList() {
  static const unsigned char kDummyTitle[] = {5, 'D', 'a', 'm', 'm', 'y'};
  MenuRef menu = NewMenu(kSpFontListMenuID, kDummyTitle);
  if (menu == nullptr) {
    SpReportFailure(kSource, "cSp_FontManager::SetupFontItemList", 1, kSpMsgMemory);
    return;
  }
  AppendResMenu(menu, SpFourCC("FONT"));
  const SInt16 items = CountMenuItems(menu);
  for (SInt16 i = 1; i <= items; ++i) {
    Str255 pascalName;
    GetMenuItemText(menu, i, pascalName);
    SInt16 fontNo = 0;
    GetFNum(pascalName, &fontNo);
    char name[kSpFontNameSize];
    std::memcpy(name, pascalName + 1, pascalName[0]);
    name[pascalName[0]] = '\0';
    cSp_FontItem* item = new (std::nothrow) cSp_FontItem(name, fontNo);
    if (item == nullptr) {
      SpReportFailure(kSource, "cSp_FontManager::SetupFontItemList", 2, kSpMsgMemory);
      break;
    }
    AppendItem(item);
  }
  DisposeMenu(menu);
}

SInt16 cSp_FontManager::GetFontNoFromName(const char* name) const {
  if (name == nullptr) {
    return SpReportFailure(kSource, "cSp_FontManager::GetFontNoFromName", 1, kSpMsgNullArgument,
                           SInt16(0));
  }
  for (cSp_FontItem* item = head_; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->EqualFontName(name)) return item->GetFontNo();
  }
  return 0;
}

void cSp_FontManager::LinkFontItemList(cSp_FontItem* item) {
  if (item == nullptr) {
    SpReportFailure(kSource, "cSp_FontManager::LinkFontItemList", 1, kMsgRequredArgument);
    return;
  }
  // The list's tail and count follow every insertion, so that the list stays one a later
  // append or a walk from the tail can trust.
  for (cSp_FontItem* at = head_; at != nullptr; at = at->GetNextObjectPtr()) {
    if (CompareFontNames(at->GetFontName(), item->GetFontName()) > 0) {
      at->LinkBeforeThis(item);
      if (at == head_) head_ = item;
      ++count_;
      return;
    }
  }
  AppendItem(item);
}

cSp_FontManager* Sp_GetFontManager(unsigned char create) {
  if (_fontManager_GlV == nullptr && create) {
    _fontManager_GlV = new (std::nothrow) cSp_FontManager;
    if (_fontManager_GlV == nullptr) {
      SpReportFailure(kSource, "Sp_GetFontManager", 1, kSpMsgMemory);
    }
  }
  return _fontManager_GlV;
}

Boolean Sp_ExistFontManager(unsigned char create) {
  return Sp_GetFontManager(create) != nullptr ? 1 : 0;
}

SInt16 Sp_GetFontNoFromFontName(const char* name) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "Sp_GetFontNoFromFontName", 1, kSpMsgNullArgument, SInt16(0));
  }
  cSp_FontManager* manager = Sp_GetFontManager(1);
  if (manager == nullptr) return 0;
  return manager->GetFontNoFromName(name);
}

SInt16 Sp_GetFontNoFromIndString(SInt16 strListId, char* outName) {
  cSp_FontManager* manager = Sp_GetFontManager(1);
  if (manager == nullptr) return 0;
  // GetIndString gives an empty string past the end of the list, which ends the search.
  for (SInt32 index = 1; index <= 0x7FFF; ++index) {
    Str255 pascalName;
    GetIndString(pascalName, strListId, SInt16(index));
    if (pascalName[0] == 0) break;
    char name[kSpFontNameSize];
    std::memcpy(name, pascalName + 1, pascalName[0]);
    name[pascalName[0]] = '\0';
    const SInt16 fontNo = manager->GetFontNoFromName(name);
    if (fontNo != 0) {
      if (outName != nullptr) std::memcpy(outName, name, std::size_t(pascalName[0]) + 1);
      return fontNo;
    }
  }
  return 0;
}

// ---- Shared offscreen: user records ---------------------------------------------------------

cSp_GenaralGWorldUserListItem* cSp_GenaralGWorldUserListItem::SerchTargetItem(UInt32 userNo) {
  for (cSp_GenaralGWorldUserListItem* item = this; item != nullptr;
       item = item->GetNextObjectPtr()) {
    if (item->userNo_ == userNo) return item;
  }
  return nullptr;
}

void cSp_GenaralGWorldUserListItem::GetAreaSize(SInt16& width, SInt16& height) const {
  width = width_;
  height = height_;
}

void cSp_GenaralGWorldUserListItem::GetMaxAreaOnLink(SInt16& width, SInt16& height) {
  width = width_;
  height = height_;
  for (cSp_GenaralGWorldUserListItem* item = GetNextObjectPtr(); item != nullptr;
       item = item->GetNextObjectPtr()) {
    if (item->width_ > width) width = item->width_;
    if (item->height_ > height) height = item->height_;
  }
}

// ---- Shared offscreen: the manager ----------------------------------------------------------

cSp_GeneralGWorldManagerObj::cSp_GeneralGWorldManagerObj()
    : width_(0),
      height_(0),
      gworld_(nullptr),
      depth_(Sp_GetScreenDepth()),
      head_(nullptr),
      tail_(nullptr),
      lastUserNo_(0) {}

cSp_GeneralGWorldManagerObj::~cSp_GeneralGWorldManagerObj() {
  WipeOutAllItem();
  DisposeGeneralGWorld();
}

void cSp_GeneralGWorldManagerObj::DisposeGeneralGWorld() {
  if (gworld_ != nullptr) DisposeGWorld(gworld_);
  gworld_ = nullptr;
}

void cSp_GeneralGWorldManagerObj::MakeGeneralGWorld() {
  Rect bounds;
  SetRect(&bounds, 0, 0, width_, height_);
  GWorldPtr made = nullptr;
  if (NewGWorld(&made, SInt16(depth_), &bounds, nullptr, nullptr, 0) != noErr) made = nullptr;
  gworld_ = made;
}

UInt32 cSp_GeneralGWorldManagerObj::RequestNewUser(SInt16 width, SInt16 height) {
  // Numbers run on from the last one given out; 0 is never one.
  UInt32 userNo = lastUserNo_ + 1;
  if (userNo == 0) userNo = 1;
  cSp_GenaralGWorldUserListItem* record =
      new (std::nothrow) cSp_GenaralGWorldUserListItem(userNo, width, height);
  if (record == nullptr) {
    return SpReportFailure(kSource, "cSp_GeneralGWorldManagerObj::RequestNewUser", 1, kSpMsgMemory,
                           UInt32(0));
  }
  lastUserNo_ = userNo;
  if (head_ != nullptr) {
    const bool grew = width > width_ || height > height_;
    if (width > width_) width_ = width;
    if (height > height_) height_ = height;
    // A GWorld that could not be made before is tried again with the new request.
    if (grew || gworld_ == nullptr) {
      DisposeGeneralGWorld();
      MakeGeneralGWorld();
    }
  } else {
    width_ = width;
    height_ = height;
    DisposeGeneralGWorld();
    MakeGeneralGWorld();
  }
  if (tail_ == nullptr) {
    head_ = record;
  } else {
    tail_->LinkToNext(record);
  }
  tail_ = record;
  return userNo;
}

void cSp_GeneralGWorldManagerObj::ReleaseUser(UInt32 userNo) {
  const char kMethod[] = "cSp_GeneralGWorldManagerObj::ReleaseUser";
  if (head_ == nullptr) {
    SpReportFailure(kSource, kMethod, 3, kSpMsgDataError);
    return;
  }
  cSp_GenaralGWorldUserListItem* record = head_->SerchTargetItem(userNo);
  if (record == nullptr) {
    SpReportFailure(kSource, kMethod, 5, kSpMsgDataError);
    return;
  }
  if (record->GetBeforeObjectPtr() == nullptr && record != head_) {
    SpReportFailure(kSource, kMethod, 7, kSpMsgDataError);
    return;
  }
  if (record == head_) head_ = record->GetNextObjectPtr();
  if (record == tail_) tail_ = record->GetBeforeObjectPtr();
  record->UnlinkFromList();

  if (head_ == nullptr) {
    // The recorded size stays; the next first user sets its own.
    DisposeGeneralGWorld();
  } else {
    SInt16 releasedWidth = 0, releasedHeight = 0;
    record->GetAreaSize(releasedWidth, releasedHeight);
    if (releasedWidth == width_ || releasedHeight == height_) {
      SInt16 maxWidth = 0, maxHeight = 0;
      head_->GetMaxAreaOnLink(maxWidth, maxHeight);
      if (maxWidth != width_ || maxHeight != height_) {
        DisposeGeneralGWorld();
        width_ = maxWidth;
        height_ = maxHeight;
        MakeGeneralGWorld();
      }
    }
  }
  delete record;
}

void cSp_GeneralGWorldManagerObj::WipeOutAllItem() {
  while (head_ != nullptr) {
    cSp_GenaralGWorldUserListItem* next = head_->GetNextObjectPtr();
    head_->UnlinkFromList();
    delete head_;
    head_ = next;
  }
  tail_ = nullptr;
  // No user is left to draw into the GWorld.
  DisposeGeneralGWorld();
}

cSp_GeneralGWorldManagerObj* GetGeneralGWorldManager() {
  if (_generalGWorldManagerPtr_GlV == nullptr) {
    _generalGWorldManagerPtr_GlV = new (std::nothrow) cSp_GeneralGWorldManagerObj;
    if (_generalGWorldManagerPtr_GlV == nullptr) {
      SpReportFailure(kSource, "GetGeneralGWorldManager", 1, kSpMsgMemory);
    }
  }
  return _generalGWorldManagerPtr_GlV;
}

unsigned char _checkIconServiceEnableFlag_GlV = 0;
unsigned char _enableIconServiceFlag_GlV = 0;

Boolean Sp_CheckEnableIconService() {
  if (_checkIconServiceEnableFlag_GlV == 1) return _enableIconServiceFlag_GlV;
  SInt32 response = 0;
  _enableIconServiceFlag_GlV =
      (Gestalt(gestaltIconUtilitiesAttr, &response) == noErr && (response & 0x10) != 0) ? 1 : 0;
  _checkIconServiceEnableFlag_GlV = 1;
  return _enableIconServiceFlag_GlV;
}
