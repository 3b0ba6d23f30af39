#include "SpOC_ButtonDrawing.h"

#include <cstring>

#include "QDPictures.h"
#include "QDRegions.h"
#include "QDText.h"
#include "SpStdDrawingFunction.h"

namespace {

// The port's foreground colour and pen, put back when the drawing ends.
class cPenAndColour {
 public:
  cPenAndColour() {
    GetForeColor(&colour_);
    GetPenState(&pen_);
    PenNormal();
  }
  ~cPenAndColour() {
    SetPenState(&pen_);
    RGBForeColor(&colour_);
  }
  cPenAndColour(const cPenAndColour&) = delete;
  cPenAndColour& operator=(const cPenAndColour&) = delete;

 private:
  RGBColor colour_{};
  PenState pen_{};
};

// The colours a frame run is mixed from.
enum eBase : UInt8 { kW, kK, kFr, kFa };

// A corner of the area moved by an offset: h from the left (0) or right (1) edge, v from the
// top (0) or bottom (1) edge.
struct sAt {
  UInt8 hEdge;
  SInt8 dh;
  UInt8 vEdge;
  SInt8 dv;
};

// One run: its colour mix(a, b, rate) and up to three points joined by lines.
struct sRun {
  eBase a;
  eBase b;
  float rate;
  UInt8 count;
  sAt points[3];
};

constexpr UInt8 L = 0, R = 1, T = 0, B = 1;

const sRun kRaisedAll[] = {
    {kW, kFr, 0.78f, 3, {{L, 0, B, -1}, {L, 0, T, 0}, {R, -2, T, 0}}},
    {kW, kFr, 0.87f, 2, {{R, -2, T, 0}, {R, -1, T, 0}}},
    {kFr, kK, 0.05f, 3, {{R, -1, T, 1}, {R, -1, B, -1}, {L, 1, B, -1}}},
};
const sRun kRaisedMini[] = {
    {kW, kFa, 0.6f, 2, {{L, 1, B, -2}, {L, 1, B, -3}}},
    {kW, kFa, 0.5f, 3, {{L, 1, B, -4}, {L, 1, T, 1}, {R, -2, T, 1}}},
    {kFa, kK, 0.15f, 2, {{R, -2, T, 1}, {R, -2, T, 2}}},
    {kFa, kK, 0.25f, 3, {{R, -2, T, 2}, {R, -2, B, -2}, {L, 2, B, -2}}},
};
const sRun kRaisedNormal[] = {
    {kFa, kK, 0.16f, 2, {{L, 1, B, -2}, {L, 1, B, -3}}},
    {kW, kFa, 0.65f, 3, {{L, 1, B, -3}, {L, 1, T, 1}, {R, -2, T, 1}}},
    {kFa, kK, 0.16f, 2, {{R, -2, T, 1}, {R, -2, T, 2}}},
    {kFa, kK, 0.3f, 3, {{R, -2, T, 2}, {R, -2, B, -2}, {L, 2, B, -2}}},
    {kW, kFa, 0.5f, 1, {{L, 2, B, -3}}},
    {kW, kFa, 0.3f, 3, {{L, 2, B, -4}, {L, 2, T, 2}, {R, -3, T, 2}}},
    {kFa, kFa, 0.0f, 2, {{R, -3, T, 2}, {R, -3, T, 3}}},
    {kFa, kK, 0.25f, 3, {{R, -3, T, 3}, {R, -3, B, -3}, {L, 3, B, -3}}},
};
const sRun kPressedAll[] = {
    {kFr, kK, 0.8f, 3, {{L, 0, B, 0}, {L, 0, T, 0}, {R, -1, T, 0}}},
    {kFr, kK, 0.6f, 1, {{R, -1, T, 0}}},
    {kFr, kK, 0.2f, 3, {{R, -1, T, 1}, {R, -1, B, -1}, {L, 1, B, -1}}},
};
const sRun kPressedMini[] = {
    {kFa, kFa, 0.0f, 1, {{L, 1, B, -2}}},
    {kFa, kK, 0.25f, 3, {{L, 1, B, -3}, {L, 1, T, 1}, {R, -3, T, 1}}},
    {kFa, kFa, 0.0f, 1, {{R, -2, T, 1}}},
    {kFa, kW, 0.5f, 3, {{R, -2, T, 2}, {R, -2, B, -2}, {L, 2, B, -2}}},
};
const sRun kPressedNormal[] = {
    {kFa, kK, 0.125f, 1, {{L, 1, B, -2}}},
    {kFa, kK, 0.5f, 3, {{L, 1, B, -3}, {L, 1, T, 1}, {R, -3, T, 1}}},
    {kFa, kK, 0.125f, 1, {{R, -2, T, 1}}},
    {kFa, kW, 0.5f, 3, {{R, -2, T, 2}, {R, -2, B, -2}, {L, 2, B, -2}}},
    {kFa, kFa, 0.0f, 1, {{L, 2, B, -3}}},
    {kFa, kK, 0.25f, 3, {{L, 2, B, -4}, {L, 2, T, 2}, {R, -4, T, 2}}},
    {kFa, kFa, 0.0f, 1, {{R, -3, T, 2}}},
    {kFa, kW, 0.14f, 3, {{R, -3, T, 3}, {R, -3, B, -3}, {L, 3, B, -3}}},
};

template <std::size_t N>
void DrawRuns(const sRun (&runs)[N], const Rect& area, const RGBColor (&bases)[4]) {
  for (const sRun& run : runs) {
    RGBColor colour;
    Sp_RGBInBetweenColor(&bases[run.a], &bases[run.b], run.rate, &colour);
    RGBForeColor(&colour);
    for (UInt8 i = 0; i < run.count; ++i) {
      const sAt& p = run.points[i];
      const short h = short((p.hEdge == L ? area.left : area.right) + p.dh);
      const short v = short((p.vEdge == T ? area.top : area.bottom) + p.dv);
      if (i == 0) MoveTo(h, v);
      // A run of one point draws that pixel.
      if (i > 0 || run.count == 1) LineTo(h, v);
    }
  }
}

// The inclusive pixel range a filter works on.
struct sPixels {
  short left, top, right, bottom;
};

// Calls change(colour) for every pixel of the range, writing back what it returns true for.
template <class Change>
void EachPixel(const sPixels& range, Change change) {
  for (short v = range.top; v <= range.bottom; ++v) {
    for (short h = range.left; h <= range.right; ++h) {
      RGBColor c;
      GetCPixel(h, v, &c);
      if (change(c)) SetCPixel(h, v, &c);
    }
  }
}

UInt16 Scaled(UInt16 component, float rate) {
  if (component == 0) return 0;
  const float scaled = float(component) * rate;
  if (scaled <= 0.0f) return 0;
  return scaled >= 65535.0f ? 65535 : UInt16(scaled);
}

// A pixel of the port holds 8 bits a component: it is of the key colour when those agree.
bool IsKeyColour(const RGBColor& pixel, const RGBColor& key) {
  return (pixel.red >> 8) == (key.red >> 8) && (pixel.green >> 8) == (key.green >> 8) &&
         (pixel.blue >> 8) == (key.blue >> 8);
}

}  // namespace

void Sp_OCnt_DrawButtonDefaultFrame(unsigned char pressed, unsigned char mini, const Rect& area,
                                    const RGBColor& face, const RGBColor& frame) {
  cPenAndColour saved;
  const RGBColor bases[4] = {{65535, 65535, 65535}, {0, 0, 0}, frame, face};
  if (pressed != 0) {
    DrawRuns(kPressedAll, area, bases);
    if (mini != 0) {
      DrawRuns(kPressedMini, area, bases);
    } else {
      DrawRuns(kPressedNormal, area, bases);
    }
  } else {
    DrawRuns(kRaisedAll, area, bases);
    if (mini != 0) {
      DrawRuns(kRaisedMini, area, bases);
    } else {
      DrawRuns(kRaisedNormal, area, bases);
    }
  }
}

void Sp_OCnt_DrawButtonDefaultContent(unsigned char mini, const Rect& area, const RGBColor& face) {
  cPenAndColour saved;
  Rect inside = area;
  const short inset = mini != 0 ? 2 : 3;
  InsetRect(&inside, inset, inset);
  RGBForeColor(&face);
  PaintRect(&inside);
}

void Sp_OCnt_DrawButtonIcon(short iconId, const Rect& area, short alignment, short transform) {
  if (iconId == 0) return;
  PlotIconID(&area, IconAlignmentType(alignment), IconTransformType(transform), iconId);
}

void Sp_OCnt_DrawButtonString(const char* text, const Rect& area, short font, short size,
                              tPositionType position, const RGBColor& colour, unsigned char shadow,
                              const RGBColor* shadowColour, short shadowH, short shadowV) {
  if (text == nullptr || text[0] == 0) return;
  cPenAndColour saved;
  GrafPtr port = nullptr;
  GetPort(&port);
  const short oldFont = GetPortTextFont(port), oldSize = GetPortTextSize(port);
  RgnHandle oldClip = NewRgn();
  RgnHandle clip = NewRgn();
  if (oldClip == nullptr || clip == nullptr) {
    DisposeRgn(oldClip);
    DisposeRgn(clip);
    return;
  }
  GetClip(oldClip);
  RectRgn(clip, &area);
  SectRgn(clip, oldClip, clip);
  SetClip(clip);

  TextSize(size);
  TextFont(font);
  FontInfo info;
  GetFontInfo(&info);
  const size_t length = std::strlen(text);
  const short count = short(length > 32767 ? 32767 : length);
  const short width = TextWidth(text, 0, count);
  short h = 0;
  if (position == kSpPositionLeft) {
    h = area.left;
  } else if (position == kSpPositionRight) {
    h = short(area.right - width);
  } else {
    h = short((SInt32(area.left) + area.right - width) / 2);
  }
  const short baseline = short((SInt32(area.top) + area.bottom + info.ascent) / 2 - 1);
  if (shadow != 0 && shadowColour != nullptr) {
    RGBForeColor(shadowColour);
    MoveTo(short(h + shadowH), short(baseline + shadowV));
    DrawText(text, 0, count);
  }
  RGBForeColor(&colour);
  MoveTo(h, baseline);
  DrawText(text, 0, count);

  TextFont(oldFont);
  TextSize(oldSize);
  SetClip(oldClip);
  DisposeRgn(oldClip);
  DisposeRgn(clip);
}

void Sp_OCnt_ModifyButtonContentToDark(unsigned char mini, const Rect& area, float rate) {
  const short inset = mini != 0 ? 2 : 3;
  const sPixels range = {short(area.left + inset), short(area.top + inset),
                         short(area.right - inset - 1), short(area.bottom - inset - 1)};
  EachPixel(range, [rate](RGBColor& c) {
    c = {Scaled(c.red, rate), Scaled(c.green, rate), Scaled(c.blue, rate)};
    return true;
  });
}

void Sp_OCnt_ModifyButtonContentToDarkWithOutBG(const Rect& area, const RGBColor& keyColour,
                                                float percent) {
  const float rate = percent > 0.0f ? percent / 100.0f : percent;
  const sPixels range = {area.left, area.top, area.right, area.bottom};
  EachPixel(range, [&](RGBColor& c) {
    if (IsKeyColour(c, keyColour)) return false;
    c = {Scaled(c.red, rate), Scaled(c.green, rate), Scaled(c.blue, rate)};
    return true;
  });
}

void Sp_OCnt_ModifyButtonContentToHiliteWithOutBG(const Rect& area, const RGBColor* keyColour,
                                                  float rate) {
  auto raise = [rate](UInt16 c) -> UInt16 {
    if (c >= 65535) return c;
    const float raised = float(c) + float(65535 - c) * rate;
    if (raised <= float(c)) return c;
    return raised >= 65535.0f ? 65535 : UInt16(raised);
  };
  const sPixels range = {area.left, area.top, area.right, area.bottom};
  EachPixel(range, [&](RGBColor& c) {
    if (keyColour != nullptr && IsKeyColour(c, *keyColour)) return false;
    c = {raise(c.red), raise(c.green), raise(c.blue)};
    return true;
  });
}
