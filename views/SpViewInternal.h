// What the view, the view window and the hot-spot areas share inside the views library: the
// operations of their intrusive lists, scratch regions, the plain pixel copy and the messages
// of their error-log records. Not for the views' users.
#pragma once

#include <initializer_list>

#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpErrorInfoSystem.h"
#include "SpHotSpotArea.h"
#include "SpViewClass.h"

namespace sp_view_detail {

// The module names of the error-log records.
extern const char kSourceView[];       // "SpViewClass"
extern const char kSourceLink[];       // "SpViewClassLink"
extern const char kSourceDrawing[];    // "SpViewClassDrawing"
extern const char kSourceOffscreen[];  // "SpViewClassOffscreen"
extern const char kSourcePosition[];   // "SpViewClassPosition"
extern const char kSourceViewWindow[]; // "SpViewWindow"
extern const char kSourceHotSpot[];    // "SpHotSpotArea"

// The messages besides the core's fixed ones.
extern const char kMsgLoop[];             // "Loop Error !! "
extern const char kMsgNoViewWindow[];     // "Vew Window Pointer is null !! "
extern const char kMsgNoGWorld[];         // "Data Error"
extern const char kMsgNoHolder[];         // "Offscreen serch Error !! "
extern const char kMsgOffscreenData[];    // "Offscreen Data Error !! "
extern const char kMsgArguments[];        // "Arguments Error !! "

// ---- Intrusive lists: the links are the member `f` of each listed object ----

template <class T>
using tLinks = sSpLinks<T> T::*;

// The link fields of the views' and hot spots' lists.
struct Fields {
  static constexpr tLinks<cSp_View> periodic = &cSp_View::periodicLinks_;
  static constexpr tLinks<cSp_View> window = &cSp_View::windowLinks_;
  static constexpr tLinks<cSp_View> siblings = &cSp_View::siblings_;
  static constexpr tLinks<cSp_View> drawing = &cSp_View::drawingLinks_;
  static constexpr tLinks<cSp_HotSpotArea> hotSpots = &cSp_HotSpotArea::hotSpotLinks_;
  static constexpr tLinks<cSp_HotSpotArea> hotSpotSiblings = &cSp_HotSpotArea::siblings_;
};

template <class T>
T* LastOf(T* item, tLinks<T> f) {
  if (item == nullptr) return nullptr;
  while ((item->*f).next != nullptr) item = (item->*f).next;
  return item;
}

// Inserts the chain that starts at `chain` (up to its last) right after `self`.
template <class T>
void LinkChainAfter(T* self, T* chain, tLinks<T> f) {
  if (chain == nullptr || chain == self) return;
  T* last = LastOf(chain, f);
  T* after = (self->*f).next;
  (self->*f).next = chain;
  (chain->*f).before = self;
  (last->*f).next = after;
  if (after != nullptr) (after->*f).before = last;
}

// Cuts the next item out, joining this one to the one after it; the item comes back unlinked.
template <class T>
T* UnlinkNextOf(T* self, tLinks<T> f) {
  T* item = (self->*f).next;
  if (item == nullptr) return nullptr;
  (self->*f).next = (item->*f).next;
  if ((self->*f).next != nullptr) ((self->*f).next->*f).before = self;
  (item->*f) = sSpLinks<T>{};
  return item;
}

// 1-based position of `item` in the list from `head`; 0 when it is not there.
template <class T>
SInt32 PositionIn(T* head, const T* item, tLinks<T> f) {
  SInt32 n = 1;
  for (T* p = head; p != nullptr; p = (p->*f).next, ++n) {
    if (p == item) return n;
  }
  return 0;
}

template <class T>
SInt32 CountFrom(T* head, tLinks<T> f) {
  SInt32 n = 0;
  for (T* p = head; p != nullptr; p = (p->*f).next) ++n;
  return n;
}

// The item at 1-based position n; null past the end.
template <class T>
T* ItemAt(T* head, SInt32 n, tLinks<T> f) {
  T* p = head;
  for (SInt32 i = 1; p != nullptr && i < n; ++i) p = (p->*f).next;
  return n >= 1 ? p : nullptr;
}

// Takes `item` out of the list held by head and last, joining its neighbours.
template <class T>
void UnlinkFrom(T*& head, T*& last, T* item, tLinks<T> f) {
  T* before = (item->*f).before;
  T* after = (item->*f).next;
  if (before != nullptr) (before->*f).next = after;
  if (after != nullptr) (after->*f).before = before;
  if (head == item) head = after;
  if (last == item) last = before;
  (item->*f) = sSpLinks<T>{};
}

// Puts an unlinked `item` after `previous` (null: at the head) of the list held by head and
// last.
template <class T>
void InsertAfterIn(T*& head, T*& last, T* previous, T* item, tLinks<T> f) {
  if (previous == nullptr) {
    (item->*f).before = nullptr;
    (item->*f).next = head;
    if (head != nullptr) (head->*f).before = item;
    head = item;
  } else {
    LinkChainAfter(previous, item, f);
  }
  if (last == nullptr || last == previous) last = item;
}

// Appends the chain from `item` to the list held by head and last.
template <class T>
void AppendChain(T*& head, T*& last, T* item, tLinks<T> f) {
  if (head == nullptr) {
    head = item;
    (item->*f).before = nullptr;
  } else {
    T* tail = LastOf(last != nullptr ? last : head, f);
    (tail->*f).next = item;
    (item->*f).before = tail;
  }
  last = LastOf(item, f);
}

// Puts the chain from `item` (up to its last) at the head of the list held by head and last.
template <class T>
void PrependChain(T*& head, T*& last, T* item, tLinks<T> f) {
  T* chainLast = LastOf(item, f);
  (chainLast->*f).next = head;
  if (head != nullptr) (head->*f).before = chainLast;
  (item->*f).before = nullptr;
  head = item;
  last = LastOf(head, f);
}

// Moves `item`, which stands at position p of n, so that it stands at position r; the
// others keep their order.
template <class T>
void MoveToPosition(T*& head, T*& last, T* item, SInt32 p, SInt32 r, tLinks<T> f) {
  if (p == r) return;
  UnlinkFrom(head, last, item, f);
  InsertAfterIn(head, last, r <= 1 ? nullptr : ItemAt(head, r - 1, f), item, f);
  last = LastOf(head, f);
}

// ---- Regions ----

// A new empty region, disposed of when the scope ends; Ok() is false when it could not be
// made.
class cScratchRgn {
 public:
  cScratchRgn() : rgn_(NewRgn()) {}
  ~cScratchRgn() {
    if (rgn_ != nullptr) DisposeRgn(rgn_);
  }
  cScratchRgn(const cScratchRgn&) = delete;
  cScratchRgn& operator=(const cScratchRgn&) = delete;
  bool Ok() const { return rgn_ != nullptr; }
  operator RgnHandle() const { return rgn_; }

 private:
  RgnHandle rgn_;
};

inline bool AllOk(std::initializer_list<const cScratchRgn*> regions) {
  for (const cScratchRgn* r : regions) {
    if (!r->Ok()) return false;
  }
  return true;
}

// ---- Pixels ----

// Copies pixels unchanged: black fore colour and white back colour in the current port for
// the copy (QuickDraw colourises otherwise), then the colours as they were.
void CopyPlain(const BitMap* src, const BitMap* dst, const Rect& srcRect, const Rect& dstRect,
               RgnHandle mask);
// The same between two ports.
void CopyPortPlain(CGrafPtr src, CGrafPtr dst, const Rect& srcRect, const Rect& dstRect,
                   RgnHandle mask);
// Blends the source into the destination through the 8-bit mask (black takes the source).
void CopyPortDeepMask(CGrafPtr src, CGrafPtr mask, CGrafPtr dst, const Rect& srcRect,
                      const Rect& maskRect, const Rect& dstRect, RgnHandle maskRgn);
// Fills the rectangle of the port (local coordinates) with the colour, within the clip.
void PaintPortRect(CGrafPtr port, const Rect& rect, const RGBColor& colour, RgnHandle clip);
// The back colour of the window's port (white without a port).
RGBColor WindowBackColour(WindowRef window);

inline Rect Offset(Rect r, short dh, short dv) {
  OffsetRect(&r, dh, dv);
  return r;
}

}  // namespace sp_view_detail
