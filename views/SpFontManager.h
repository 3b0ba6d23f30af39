// Three small process-wide services of the drawing layer:
// - the font manager: the installed fonts (name and number), listed once from the system's
//   'FONT' list, used to turn a font name, or the first installed name of a string list,
//   into a font number, and to fill the application's font menu;
// - the Icon Services test (Sp_CheckEnableIconService, asked once and remembered; it lives
//   with the file library's icon functions, SpStdFileFunctionFinderInfo.h, and is declared
//   here again for the drawing layer's users);
// - the shared offscreen: one GWorld shared by several users, each announcing the width and
//   height it needs; the GWorld is always as large as the largest need of the users it has.
//
// Failures beep once and leave one error-log record (source "SpResourceManager"). A font name
// that is not installed is no failure: the lookups answer 0.
#pragma once

#include <cstddef>
#include <new>

#include "MacMemory.h"
#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

// ---- Font manager ---------------------------------------------------------------------------

// Size of a font item's name field: up to 255 bytes of name and the terminating zero.
enum { kSpFontNameSize = 256 };

// The temporary menu the font list is read through.
enum : SInt16 { kSpFontListMenuID = 8888 };

// One installed font: its name (MacJapanese bytes, zero-terminated) and its number as GetFNum
// gives it.
class cSp_FontItem : public cSpListLinks<cSp_FontItem>, public cSpMacHeapObject {
 public:
  // A name longer than 255 bytes is cut there; a null name gives an empty one.
  cSp_FontItem(const char* name, SInt16 fontNo);

  // Copies the name into `out` (kSpFontNameSize bytes) and returns it; a null buffer copies
  // nothing, is reported (code 1) and gives null.
  char* GetTargetFontName(char* out) const;
  // Stores the name, cut to 255 bytes; a null name is reported (code 1) and changes nothing.
  void SetupFontName(const char* name);
  const char* GetFontName() const { return fontName_; }
  SInt16 GetFontNo() const { return fontNo_; }
  // 1 when the name equals this item's byte for byte (case-sensitive).
  Boolean EqualFontName(const char* name) const;

  void LinkBeforeThis(cSp_FontItem* item) { InsertBefore(item); }
  void LinkAfterThis(cSp_FontItem* item) { InsertAfter(item); }

 private:
  char fontName_[kSpFontNameSize];
  SInt16 fontNo_;
};

// The list of installed fonts, complete from construction on and never refreshed.
class cSp_FontManager : public cSpMacHeapObject {
 public:
  // Builds the list (SetupFontItemList).
  cSp_FontManager();
  // Deletes every item.
  ~cSp_FontManager();
  cSp_FontManager(const cSp_FontManager&) = delete;
  cSp_FontManager& operator=(const cSp_FontManager&) = delete;

  // Appends one item per font that the Menu Manager lists for 'FONT', in its order. The
  // temporary menu that cannot be made is reported (code 1, "Cannot allocated memory !! ")
  // and the list stays as it is.
  void SetupFontItemList();

  cSp_FontItem* GetFontItemList() const { return head_; }
  cSp_FontItem* GetFontItemListTail() const { return tail_; }
  SInt32 GetFontItemCount() const { return count_; }

  // The number of the first font whose name equals `name` byte for byte; 0 when none does
  // (so a font numbered 0 is never found). A null name is reported (code 1) and gives 0.
  SInt16 GetFontNoFromName(const char* name) const;

  // Takes the item into the list in name order: before the first item whose name sorts after
  // it (bytes compared in order, case-sensitive; a name that is the beginning of another sorts
  // first), or at the end. A null item is reported (code 1, "Requred argument is null !! ").
  void LinkFontItemList(cSp_FontItem* item);

 private:
  void AppendItem(cSp_FontItem* item);

  cSp_FontItem* head_;
  cSp_FontItem* tail_;
  SInt32 count_;
};

// The program's font manager. When there is none and `create` is set it is made first (which
// lists the fonts); with `create` clear the current one, possibly null. A manager that cannot
// be allocated is reported (code 1, "Cannot allocated memory !! ") and gives null.
cSp_FontManager* Sp_GetFontManager(unsigned char create);
// 1 when Sp_GetFontManager(create) gives a manager.
Boolean Sp_ExistFontManager(unsigned char create);
// The number of the installed font of that name (the manager made when needed); 0 when none
// is installed under it. A null name is reported (code 1) and gives 0.
SInt16 Sp_GetFontNoFromFontName(const char* name);
// The number of the first installed font among the strings of the 'STR#' `strListId`, tried
// from index 1 upward until an empty string (the end of the list) ends the search; the name
// is copied into `outName` (kSpFontNameSize bytes; may be null). 0 with `outName` unchanged
// when no name is installed or no manager can be made.
SInt16 Sp_GetFontNoFromIndString(SInt16 strListId, char* outName);

// ---- Icon Services --------------------------------------------------------------------------

// 1 when the system offers Icon Services: Gestalt('icon') bit 4, asked once per process and
// kept in these two flags.
extern unsigned char _checkIconServiceEnableFlag_GlV;
extern unsigned char _enableIconServiceFlag_GlV;
Boolean Sp_CheckEnableIconService();

// ---- Shared offscreen -----------------------------------------------------------------------

// One user of the shared offscreen and the size it needs.
class cSp_GenaralGWorldUserListItem : public cSpListLinks<cSp_GenaralGWorldUserListItem>,
                                      public cSpMacHeapObject {
 public:
  cSp_GenaralGWorldUserListItem(UInt32 userNo, SInt16 width, SInt16 height)
      : userNo_(userNo), width_(width), height_(height) {}

  UInt32 GetUserNo() const { return userNo_; }
  // From this record to the end of its list: the first with that number, or null.
  cSp_GenaralGWorldUserListItem* SerchTargetItem(UInt32 userNo);
  void GetAreaSize(SInt16& width, SInt16& height) const;
  // From this record to the end of its list: the largest width and, separately, the largest
  // height.
  void GetMaxAreaOnLink(SInt16& width, SInt16& height);

  void UnlinkFromList() { UnlinkSelf(); }

 private:
  UInt32 userNo_;
  SInt16 width_;
  SInt16 height_;
};

// The shared offscreen. A user draws into the GWorld only after its own request, within its
// own width and height, and never keeps the pointer across another user's request or release:
// the GWorld is made again whenever the largest width or height changes (its pixels are then
// new and not cleared).
class cSp_GeneralGWorldManagerObj : public cSpMacHeapObject {
 public:
  // No users and no GWorld; the depth of every GWorld is the screen's depth now.
  cSp_GeneralGWorldManagerObj();
  // Deletes the user records and the GWorld.
  ~cSp_GeneralGWorldManagerObj();
  cSp_GeneralGWorldManagerObj(const cSp_GeneralGWorldManagerObj&) = delete;
  cSp_GeneralGWorldManagerObj& operator=(const cSp_GeneralGWorldManagerObj&) = delete;

  // A new user needing width x height: its number (never 0), the GWorld grown to cover it. 0
  // when its record cannot be allocated (reported, code 1; nothing changes).
  UInt32 RequestNewUser(SInt16 width, SInt16 height);
  // Gives the user's place back; the GWorld shrinks to the largest need of the users left, and
  // goes with the last user. An empty list (code 3) or an unknown number (code 5) is reported
  // ("Data Error !! ") and changes nothing.
  void ReleaseUser(UInt32 userNo);
  // The shared GWorld; null while there is no user or when it could not be made.
  GWorldPtr GetGeneralGWorld() const { return gworld_; }
  // Deletes every user record; with no user left the GWorld goes too.
  void WipeOutAllItem();

  SInt16 GetAreaWidth() const { return width_; }
  SInt16 GetAreaHeight() const { return height_; }
  SInt32 GetPixelDepth() const { return depth_; }
  cSp_GenaralGWorldUserListItem* GetUserListHead() const { return head_; }

 private:
  void DisposeGeneralGWorld();
  // A GWorld of the recorded size at the recorded depth; null on any error.
  void MakeGeneralGWorld();

  SInt16 width_;
  SInt16 height_;
  GWorldPtr gworld_;
  SInt32 depth_;
  cSp_GenaralGWorldUserListItem* head_;
  cSp_GenaralGWorldUserListItem* tail_;
  UInt32 lastUserNo_;
};

// The program's shared offscreen, made on the first call; null only when it cannot be
// allocated (reported, code 1).
cSp_GeneralGWorldManagerObj* GetGeneralGWorldManager();
