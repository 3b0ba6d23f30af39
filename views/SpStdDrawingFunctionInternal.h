// What the drawing functions, the panel painters and the colour table share inside the views
// library: the saved drawing state, colour tables read from their resource bytes, and the
// rounded panel's outline, shadow and bevel. Not for the views' users.
#pragma once

#include <algorithm>

#include "MacMemory.h"
#include "MacTypes.h"
#include "QuickDraw.h"

namespace sp_drawing_detail {

// The source name of the drawing functions' error-log records.
extern const char kSource[];
// The messages the drawing functions write besides the core's fixed ones.
extern const char kMsgNoRegionMemory[];  // "Cannot allocated memory"

constexpr ResType kClutType = SpFourCC("clut");

inline SInt16 Clamp16(long value) {
  return SInt16(std::clamp<long>(value, -32768, 32767));
}

// The value kept within lo ... hi (lo when the range is empty). The bevels' two-tone edges
// change shade at a fixed distance from a corner; on a small panel that point is kept on the
// edge, so no stroke runs past the panel.
inline long Within(long value, long lo, long hi) {
  if (hi < lo) return lo;
  return std::min(std::max(value, lo), hi);
}

// The current port and device, put back when the scope ends.
class SavedGWorld {
 public:
  SavedGWorld() { GetGWorld(&port_, &device_); }
  ~SavedGWorld() { SetGWorld(port_, device_); }
  SavedGWorld(const SavedGWorld&) = delete;
  SavedGWorld& operator=(const SavedGWorld&) = delete;

 private:
  CGrafPtr port_ = nullptr;
  GDHandle device_ = nullptr;
};

// The current port's pen and foreground colour, put back when the scope ends.
class SavedPenAndColor {
 public:
  SavedPenAndColor() {
    GetPenState(&pen_);
    GetForeColor(&fore_);
  }
  ~SavedPenAndColor() {
    RGBForeColor(&fore_);
    SetPenState(&pen_);
  }
  SavedPenAndColor(const SavedPenAndColor&) = delete;
  SavedPenAndColor& operator=(const SavedPenAndColor&) = delete;

 private:
  PenState pen_{};
  RGBColor fore_{};
};

// The current port's clip region, put back when the scope ends. Ok() is false when the copy
// could not be made (nothing is put back then).
class SavedClip {
 public:
  SavedClip() : saved_(NewRgn()) {
    if (saved_ != nullptr) GetClip(saved_);
  }
  ~SavedClip() {
    if (saved_ == nullptr) return;
    SetClip(saved_);
    DisposeRgn(saved_);
  }
  SavedClip(const SavedClip&) = delete;
  SavedClip& operator=(const SavedClip&) = delete;
  bool Ok() const { return saved_ != nullptr; }
  RgnHandle Region() const { return saved_; }

 private:
  RgnHandle saved_;
};

// Limits the current port's clip to its intersection with the rectangle. False when the
// region could not be made (the clip is unchanged).
bool ClipToRect(const SavedClip& saved, const Rect& rect);

// The colour `factor` times the colour per component (mixed from black), capped at 65535.
RGBColor Shade(const RGBColor& color, float factor);

// A 'clut' resource: its entry count (its size field + 1, limited to the entries its bytes
// hold) and the colour of an entry.
int ClutEntryCount(Handle clut);
bool ClutEntryColor(Handle clut, int index, RGBColor* color);
// The size field itself (entries - 1); -1 for bytes too short to hold a header.
int ClutSizeField(Handle clut);

// The outline of a rectangle `p` with rounded corners of radius `radius`, recorded into a new
// region; null when the region cannot be made.
RgnHandle NewRoundedPanelRegion(const Rect& p, short radius);
// The stacked soft shadow of a panel region: the region is painted `depth` times, moved by
// (depth, depth) down to (1, 1), in colours going from `farColor` to `nearColor`, so the ring
// next to the panel is `nearColor`. The region ends where it started.
void PaintStackedShadow(RgnHandle region, short depth, const RGBColor& farColor,
                        const RGBColor& nearColor);
// The shaded bevel of a rounded panel: the outer rim and the rim one pixel inside it, stroke
// by stroke in shades of the face colour. Leaves the pen 2 x 2 and the last shade as the
// foreground colour.
void StrokeRoundedPanelBevel(const Rect& p, short radius, const RGBColor& face);

}  // namespace sp_drawing_detail
