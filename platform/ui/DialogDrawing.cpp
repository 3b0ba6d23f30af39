// Drawing dialogs: every item in the dialog's port with QuickDraw, in the port's font.
#include <algorithm>

#include "Controls.h"
#include "QDPictures.h"
#include "QDRegions.h"
#include "QDText.h"
#include "ui/detail/DialogRecord.h"

namespace sp_platform {
namespace dialogs {
namespace {

// The selection's background in a focused field.
constexpr RGBColor kSelectionColor = {0xB5B5, 0xD5D5, 0xFFFF};
// An edit-text item's frame lies this far outside its rectangle.
constexpr SInt16 kEditFrameOutset = 3;

// Draws in the dialog's port and gives back the caller's port, and the dialog port's pen,
// colours and clip as they were.
class DrawScope {
 public:
  explicit DrawScope(WindowRef window) : port_(window) {
    GetPenState(&pen_);
    GetForeColor(&fore_);
    GetBackColor(&back_);
    clip_ = NewRgn();
    if (clip_ != nullptr) GetClip(clip_);
  }
  ~DrawScope() {
    SetPenState(&pen_);
    RGBForeColor(&fore_);
    RGBBackColor(&back_);
    if (clip_ != nullptr) {
      SetClip(clip_);
      DisposeRgn(clip_);
    }
  }
  DrawScope(const DrawScope&) = delete;
  DrawScope& operator=(const DrawScope&) = delete;

  // Clips to the rectangle within the clip the port had.
  void ClipTo(const Rect& r) {
    RgnHandle area = NewRgn();
    if (area == nullptr) return;
    RectRgn(area, &r);
    if (clip_ != nullptr) SectRgn(area, clip_, area);
    SetClip(area);
    DisposeRgn(area);
  }
  void Unclip() {
    if (clip_ != nullptr) SetClip(clip_);
  }

 private:
  DialogPortScope port_;
  PenState pen_;
  RGBColor fore_;
  RGBColor back_;
  RgnHandle clip_ = nullptr;
};

void DrawLines(const std::string& text, const Rect& rect, const Layout& layout,
               std::size_t firstLine) {
  SInt32 top = rect.top;
  for (std::size_t i = firstLine; i < layout.lines.size() && top < rect.bottom; ++i) {
    const Line& line = layout.lines[i];
    if (line.end > line.start) {
      MoveTo(rect.left, SInt16(top + layout.ascent));
      DrawText(text.data(), SInt16(line.start), SInt16(line.end - line.start));
    }
    top += layout.lineHeight;
  }
}

void DrawStaticText(DrawScope& scope, const Item& item) {
  const std::string text = ItemText(item);
  EraseRect(&item.rect);
  scope.ClipTo(item.rect);
  Layout layout = LayOut(text, SInt16(item.rect.right - item.rect.left));
  DrawLines(text, item.rect, layout, 0);
  scope.Unclip();
}

// The input method's reading: a line under it, a pixel below the text's baseline.
void UnderlineReading(const std::string& text, const Rect& rect, const Layout& layout,
                      std::size_t firstLine, std::size_t from, std::size_t to) {
  SInt32 top = rect.top;
  for (std::size_t i = firstLine; i < layout.lines.size() && top < rect.bottom; ++i) {
    const Line& line = layout.lines[i];
    const std::size_t lo = std::max(from, line.start);
    const std::size_t hi = std::min(to, line.end);
    if (lo < hi) {
      const SInt16 y = SInt16(std::min<SInt32>(top + layout.ascent + 1, rect.bottom - 1));
      MoveTo(SInt16(rect.left + OffsetToX(text, line, lo)), y);
      LineTo(SInt16(rect.left + OffsetToX(text, line, hi) - 1), y);
    }
    top += layout.lineHeight;
  }
}

void DrawEditText(DrawScope& scope, DialogRecord* record, DialogItemIndex itemNo,
                  const Item& item) {
  const bool focused = record->focus == itemNo;
  ShownText shown;
  if (focused) {
    shown = ShownTextOf(*record, item);
  } else {
    shown.text = ItemText(item);
  }
  const std::string& text = shown.text;
  const bool composing = shown.preeditEnd > shown.preeditStart;
  Rect frame = item.rect;
  InsetRect(&frame, -kEditFrameOutset, -kEditFrameOutset);
  PenNormal();
  FrameRect(&frame);
  Rect inside = frame;
  InsetRect(&inside, 1, 1);
  EraseRect(&inside);
  scope.ClipTo(item.rect);
  Layout layout = LayOut(text, SInt16(item.rect.right - item.rect.left));
  std::size_t first = focused ? std::size_t(std::max<SInt32>(0, record->firstLine)) : 0;
  if (composing) {
    // The reading's caret stays in view, as the selection's end does.
    const std::size_t caretLine = LineOf(layout, std::size_t(shown.caret));
    const std::size_t rows = std::size_t(std::max<SInt32>(
        1, (item.rect.bottom - item.rect.top) / std::max<SInt16>(1, layout.lineHeight)));
    if (caretLine < first) first = caretLine;
    if (caretLine >= first + rows) first = caretLine - rows + 1;
  }
  const std::size_t selStart = std::size_t(record->selStart);
  const std::size_t selEnd = std::size_t(record->selEnd);
  if (focused && !composing && selStart < selEnd) {
    RGBColor fore;
    GetForeColor(&fore);
    RGBForeColor(&kSelectionColor);
    SInt32 top = item.rect.top;
    for (std::size_t i = first; i < layout.lines.size() && top < item.rect.bottom; ++i) {
      const Line& line = layout.lines[i];
      std::size_t lo = std::max(selStart, line.start);
      std::size_t hi = std::min(selEnd, line.next);
      if (lo < hi) {
        SInt16 x1 = OffsetToX(text, line, lo);
        // A selection that goes on past the line's end fills the line to the right edge.
        SInt16 x2 =
            hi > line.end ? SInt16(item.rect.right - item.rect.left) : OffsetToX(text, line, hi);
        Rect band = {SInt16(top), SInt16(item.rect.left + x1), SInt16(top + layout.lineHeight),
                     SInt16(item.rect.left + x2)};
        PaintRect(&band);
      }
      top += layout.lineHeight;
    }
    RGBForeColor(&fore);
  }
  DrawLines(text, item.rect, layout, first);
  PenNormal();
  if (composing) {
    UnderlineReading(text, item.rect, layout, first, std::size_t(shown.preeditStart),
                     std::size_t(shown.preeditEnd));
  }
  if (focused && (composing || selStart == selEnd)) {
    const std::size_t at = std::size_t(shown.caret);
    std::size_t line = LineOf(layout, at);
    if (line >= first) {
      SInt32 top = item.rect.top + SInt32(line - first) * layout.lineHeight;
      if (top < item.rect.bottom) {
        SInt32 x = item.rect.left + OffsetToX(text, layout.lines[line], at);
        x = std::min<SInt32>(x, item.rect.right - 1);
        MoveTo(SInt16(x), SInt16(top));
        LineTo(SInt16(x), SInt16(top + layout.lineHeight - 1));
      }
    }
  }
  scope.Unclip();
}

// The rectangle an item draws in (an edit-text item's frame lies outside its rectangle).
Rect DrawnRect(const Item& item) {
  Rect r = item.rect;
  if (item.kind == editText) InsetRect(&r, -kEditFrameOutset, -kEditFrameOutset);
  return r;
}

}  // namespace

void DrawItem(DialogRecord* record, DialogItemIndex itemNo) {
  Item* item = ItemAt(record, itemNo);
  if (item == nullptr || item->Hidden()) return;
  if (item->control != nullptr) {
    Draw1Control(item->control);
    return;
  }
  DrawScope scope(record->window);
  switch (item->kind) {
    case statText:
      DrawStaticText(scope, *item);
      break;
    case editText:
      DrawEditText(scope, record, itemNo, *item);
      break;
    case iconItem:
      PlotIconID(&item->rect, kAlignNone, kTransformNone, item->resourceID);
      break;
    case picItem: {
      PicHandle picture = GetPicture(item->resourceID);
      if (picture != nullptr) DrawPicture(picture, &item->rect);
      break;
    }
    case userItem:
      // The procedure draws as it likes; the scope puts the pen, colours and clip back.
      InvokeUserItemUPP(RefOf(record), itemNo, item->userProc);
      break;
    default:
      break;
  }
}

void RedrawItemIfShown(DialogRecord* record, DialogItemIndex itemNo) {
  if (record != nullptr && IsWindowVisible(record->window)) DrawItem(record, itemNo);
}

}  // namespace dialogs
}  // namespace sp_platform

using sp_platform::dialogs::DialogRecord;

void DrawDialog(DialogRef theDialog) {
  DialogRecord* record = sp_platform::dialogs::Lookup(theDialog);
  if (record == nullptr) return;
  DrawControls(record->window);
  for (std::size_t i = 0; i < record->items.size(); ++i) {
    if (record->items[i].control == nullptr) {
      sp_platform::dialogs::DrawItem(record, DialogItemIndex(i + 1));
    }
  }
}

void UpdateDialog(DialogRef theDialog, RgnHandle updateRgn) {
  DialogRecord* record = sp_platform::dialogs::Lookup(theDialog);
  if (record == nullptr) return;
  UpdateControls(record->window, updateRgn);
  for (std::size_t i = 0; i < record->items.size(); ++i) {
    const sp_platform::dialogs::Item& item = record->items[i];
    if (item.control != nullptr) continue;
    Rect drawn = sp_platform::dialogs::DrawnRect(item);
    if (updateRgn == nullptr || RectInRgn(&drawn, updateRgn)) {
      sp_platform::dialogs::DrawItem(record, DialogItemIndex(i + 1));
    }
  }
}
