// The framework's library of stateless drawing functions.
//
// Geometry: the screen, conversions between window-local and global coordinates, placing a
// box in a base rectangle by alignment codes, one line of text aligned in a rectangle with an
// optional drop shadow, window sizes and placement, and the windows' redraw areas.
// Colours and ornaments: the 16-bit RGB colour arithmetic every framework-drawn object states
// its colours with, colour tables, lightening and darkening areas, 3D frames, the rounded
// panel with its soft shadow and bevel, arcs and circles, soft drop shadows, the text caret,
// the default-button ring, dotted lines and the zoom-rect animation.
//
// Every function works on the current port (or on a port or window it makes current for the
// call) and keeps no state between calls; what a drawing function changes of the port (pen,
// colours, clip, current port) it puts back, unless its comment says otherwise. Halvings are
// integer divisions of 32-bit sums that truncate toward zero.
//
// Failures (a null required pointer, a region or offscreen that cannot be made) beep once,
// leave one error-log record (source "SpStdDrawingFunction") and draw nothing; functions with
// a result then answer 0.
#pragma once

#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpPositionType.h"

// ---- Codes and records ----

// The alignment of a box or a text, tPositionType, is in SpPositionType.h.

// How Sp_GetLayoutArea sizes its box: a kept size is aligned against the base rectangle's
// edges; a stretched side is the base rectangle less its margins. Any value other than 1, 3
// and 4 stretches both.
enum tObjectLayoutType : SInt32 {
  kSpLayoutKeepSize = 1,
  kSpLayoutStretch = 2,
  kSpLayoutKeepWidth = 3,
  kSpLayoutKeepHeight = 4,
};

// The kind of a 3D frame: every value other than sunken draws the raised frame.
enum t3DRectDrowType : SInt32 {
  kSp3DFrameSunken = 10,
  kSp3DFrameRaised = 20,
};

// Where Sp_MoveWindowOutputPosition puts a window, in global coordinates.
struct sWindowOutputBehavior {
  // 1: left edge at h1; 3: right edge at h1; anything else: centred between h1 and h2.
  unsigned char horizontalType;
  // 4: top edge at v1; 5: bottom edge at v1; anything else: centred between v1 and v2.
  unsigned char verticalType;
  short h1;
  short h2;
  short v1;
  short v2;
};

// A point of floats (v first, as a Point).
struct sFloatPoint {
  float v;
  float h;
};

// The colour stops and the kind of a gradation (Sp_DrawGradation draws nothing yet).
struct sGradationColorItem {
  RGBColor color;
  float position;  // 0 at the start of the rectangle, 1 at its end
};
enum tGradationType : SInt32 {
  kSpGradationHorizontal = 1,
  kSpGradationVertical = 2,
};

// The dotted patterns of the application's resources: for vertical and horizontal lines.
enum : SInt16 {
  kSpDotPatternVerticalID = 6100,
  kSpDotPatternHorizontalID = 6101,
};

// ---- Screen, coordinates and layout ----

// The pixel depth of the main screen: the depth of every offscreen of the framework.
short Sp_GetScreenDepth();
// The depth of the deepest device over the main screen (Sp_GetScreenSize).
short Sp_GetMainScreenMaxPixelDepth();
// The main screen's rectangle with its top moved down below the menu bar.
void Sp_GetScreenSize(Rect* screenRect);

// Rectangles between the current port's (or the window's port's) local coordinates and global
// coordinates: both corners are converted.
void Sp_LocalToGlobalRect(Rect* rect);
void Sp_LocalToGlobalRect(WindowRef window, Rect* rect);
void Sp_GlobalToLocalRect(Rect* rect);
void Sp_GlobalToLocalRect(WindowRef window, Rect* rect);
// A point in the window's port.
void Sp_LocalToGlobalPt(WindowRef window, Point& pt);
void Sp_GlobalToLocalPt(WindowRef window, Point& pt);
// A region, moved by where local (0, 0) of the window's (or the current) port lies.
void Sp_LocalToGlobalRgn(WindowRef window, RgnHandle rgn);
void Sp_LocalToGlobalRgn(RgnHandle rgn);
void Sp_GlobalToLocalRgn(WindowRef window, RgnHandle rgn);
void Sp_GlobalToLocalRgn(RgnHandle rgn);

// Places a box of `width` x `height` in `base`: a kept size (by the layout type, and only when
// it is not negative) is put at the left or top edge (1, 4), the right or bottom edge (3, 5)
// or centred; a stretched side runs from the base's edge plus its margin to the opposite edge
// less its margin.
void Sp_GetLayoutArea(const Rect* base, tObjectLayoutType layoutType, tPositionType hPosition,
                      tPositionType vPosition, short leftMargin, short topMargin, short rightMargin,
                      short bottomMargin, short width, short height, Rect& out);

// Draws one line of text (MacJapanese, zero-terminated) aligned in the rectangle less its
// insets (note their order: left, right, top, bottom) in the current port's font, size, face
// and colour. Horizontally: left, right, or centred one pixel right of the middle (a text
// exactly as wide as the room starts at its left). Vertically, the baseline: top + ascent,
// bottom - descent, or (top + bottom + ascent) / 2. With `clip` the text is cut to the inner
// rectangle; with `shadow` it is first drawn moved by (shadowH, shadowV) in the shadow colour
// (10 % grey when null). Nothing is drawn, and the port is left alone, when the insets leave
// no room. The pen is left after the text.
void Sp_DrawStringInRect(const char* text, const Rect* rect, tPositionType hPosition,
                         tPositionType vPosition, short leftInset, short rightInset, short topInset,
                         short bottomInset, unsigned char clip, unsigned char shadow, short shadowH,
                         short shadowV, const RGBColor* shadowColor);
// Draws the text at (h + dh, v + dv) in the shadow colour, then at (h, v) in the text colour,
// which stays the port's foreground colour.
void Sp_DrawStringWithShadow(const char* text, short h, short v, short dh, short dv,
                             const RGBColor* color, const RGBColor* shadowColor);

// ---- Windows ----

// The window's content rectangle in global coordinates (untouched for a null window).
void Sp_GetWindowSize(WindowRef window, Rect& out);
// The global position of the content's top-left corner.
void Sp_GetWindowContentLeftTopPosit(WindowRef window, Point& out);
// Moves the window where the record says; 1 when it moved, 0 when it already stood there or
// an argument is null.
unsigned char Sp_MoveWindowOutputPosition(WindowRef window, sWindowOutputBehavior* behavior,
                                          unsigned char front);
// Adds the rectangle or region (window-local) to the window's redraw (update) area, or takes
// the rectangle out of it.
void Sp_AddRedrawAreaInWindow(WindowRef window, const Rect* rect);
void Sp_AddRedrawAreaInWindow(WindowRef window, RgnHandle rgn);
void Sp_SubRedrawAreaOnWindow(WindowRef window, const Rect* rect);

// Moves `area` (keeping its size) so that it lies in `target`: an area that fits is pushed
// in from whichever edge it sticks out of; one that does not fit is put at the target's left
// or top (1, 4), right or bottom (3, 5) edge or centred. `out` may be `area`.
void Sp_MoveAreaInTargetArea(const Rect& target, const Rect& area, Rect& out,
                             tPositionType hPosition, tPositionType vPosition);

// ---- Colours ----

void Sp_SetRGBColor(RGBColor* color, unsigned short red, unsigned short green, unsigned short blue);
// Components of 0 to 255, each times 257 (255 gives 65535).
void Sp_SetRGBColorBy255(RGBColor* color, unsigned short red, unsigned short green,
                         unsigned short blue);
// Components in percent (clamped to 0 ... 100), each times 655.35 truncated: 100 gives
// 65535, 50 gives 32767, 10 gives 6553.
void Sp_SetRGBColorByPercentage(RGBColor* color, float red, float green, float blue);
// 1 when the three components are equal; 0 otherwise or for a null pointer.
unsigned char Sp_RGBcmp(const RGBColor* color1, const RGBColor* color2);
// The colour `rate` of the way from `from` to `to`, per component truncated toward the
// smaller value and kept within 0 ... 65535. A negative rate counts as 0; a rate above 1 goes
// beyond `to` (mixing from black by 1.25 brightens a colour by a quarter). `out` may be
// `from` or `to`.
void Sp_RGBInBetweenColor(const RGBColor* from, const RGBColor* to, float rate, RGBColor* out);
// 1 and the colour of entry `index` (from 0) of the 'clut' resource; 0 when there is no such
// table or entry.
unsigned char Sp_GetColorLoolupTableColorValue(short clutID, short index, RGBColor& out);

// ---- Areas, frames and panels ----

// Recolours every pixel of the rectangle in the current port: mode 0 lightens each component
// `rate` of the way to white, any other mode scales it by `rate`.
void Sp_ModifyAreaColor(unsigned char mode, const Rect* rect, float rate);
// A grey 3D frame around the rectangle, sunken or raised, in the port (null: the current
// port).
void Sp_Draw3DFrame(GrafPtr port, const Rect* rect, t3DRectDrowType type);
// A two-pixel 3D frame whose edges are the base colour mixed toward black by `darkRate` and
// toward white by `lightRate`: on the rectangle's outer two pixels, or just outside it when
// `outside` is set. Port null: the current port.
void Sp_Draw3DFrameVer2(GrafPtr port, const Rect* rect, const RGBColor* baseColor, float darkRate,
                        float lightRate, t3DRectDrowType type, unsigned char outside);
// Erases (with the port's background) the ring Sp_Draw3DFrame draws for the rectangle.
void Sp_Delete3DFrame(GrafPtr port, const Rect* rect, t3DRectDrowType type);
// A panel with rounded corners of radius `radius`, a soft shadow `shadowWidth` pixels wide
// below and right of it (mixed from the shadow colour) and a shaded bevel, filling `rect`
// with the shadow. Leaves the pen 2 x 2 and the foreground colour as the bevel's last stroke.
void Sp_Draw3DSmoothPanel(const Rect& rect, short radius, short shadowWidth,
                          const RGBColor& panelColor, const RGBColor& shadowColor);

// ---- Arcs and circles ----
// Angles are degrees clockwise from 12 o'clock.

// An arc as short lines, one pixel of arc length each: with `moveFirst` the pen is moved to
// its start first, otherwise it goes on from where the pen stands (so an outline being
// recorded stays continuous).
void Sp_DrawFrameArc(Point center, short radius, short startAngle, short arcAngle,
                     unsigned char moveFirst);
void Sp_DrawCircle(Point center, short radius);
// The point at the angle on the circle (whole pixels, truncated toward the centre; the four
// quarter angles exact).
void Sp_GetCerclePosition(Point center, short radius, float angle, Point& out);
void Sp_GetCerclePositionByFloat(const sFloatPoint& center, float radius, float angle,
                                 sFloatPoint& out);

// ---- Shadows ----

// A soft black shadow in the rectangle of the port: `darkness` percent at its core, fading
// over `softness` pixels at its edges, limited to the mask region (null: none) and, with
// `usePortClip`, to the port's clip region.
void Sp_DrawShadowRect(GrafPtr port, const Rect& rect, float darkness, short softness,
                       RgnHandle mask, unsigned char usePortClip);
void Sp_DrawShadowRectOnCurrentPort(const Rect& rect, float darkness, short softness,
                                    RgnHandle mask, unsigned char usePortClip);
// The same in the shape of the region.
void Sp_DrawShadowRegion(GrafPtr port, RgnHandle rgn, float darkness, short softness,
                         unsigned char usePortClip);
void Sp_DrawShadowRegionOnCurrentPort(RgnHandle rgn, float darkness, short softness,
                                      unsigned char usePortClip);

// ---- Caret, rings and dotted lines ----

// The text caret: an inverting line `width` pixels wide from start to end, inside the clip
// rectangle. Drawing the same caret again removes it. Leaves a normal pen.
void Sp_DrawCaret(const Rect* clip, Point start, Point end, short width);
// The ring around a dialog's default button, in the dialog's port: a rounded frame three
// pixels thick, four pixels outside the item's rectangle, in the port's foreground colour.
// The form taking a DialogRef comes with the Dialog Manager.
void Sp_DrawDialogDefaultButtonFrame(CGrafPtr dialogPort, const Rect* itemRect);
// A dotted inverting outline of the rectangle inside the clip rectangle (inset by 1): drawing
// it again removes it. Leaves a normal pen.
void Sp_DrawDotRect(const Rect* clip, const Rect* rect);
// A dotted line in the current pen mode (the pen is put back afterwards).
void Sp_DrawPatternDotLine(Point a, Point b);
// A dashed line: strokes `dash` pixels long with `gap` pixels between them, from a toward b.
void Sp_DrawDottLine(Point a, Point b, short dash, short gap);
// The zoom-rect animation: `steps` dotted rectangles moving from `from` toward `to`, two
// ticks apart, with a trail of `trail` rectangles (at least 1); every rectangle is removed
// again, so the port ends as it was.
void Sp_RectMoveAnimation(const Rect* from, const Rect* to, short steps, const Rect* clip,
                          short trail);
// Draws nothing yet.
void Sp_DrawGradation(const Rect* rect, const sGradationColorItem* items, short count,
                      tGradationType type);

// ==== Controls of dialog items (SpStdDrawingFunctionDialog.cpp) ==============================
// The dialog's item list keeps each item's rectangle; these keep it in step with the item's
// control. A null dialog beeps and leaves one error-log record.

// The Dialog Manager's DialogRef (Dialogs.h), declared here so that this header stays light.
struct OpaqueDialogPtr;
typedef OpaqueDialogPtr* DialogRef;

// Moves the item's control to (left, top) and its rectangle with it (same size); nothing when
// the item has no control or already stands there.
void Sp_MoveControlOnDialog(DialogRef dialog, short itemNo, short left, short top);
// Gives the item's control this size, and its rectangle the same (top-left kept); nothing when
// the item has no control.
void Sp_ResizeControlOnDialog(DialogRef dialog, short itemNo, short width, short height);
// Rewrites the item's rectangle in the item list, keeping its type and handle (the control,
// if any, is not moved).
void Sp_SetDialogItemAreaOnDialogDITL(DialogRef dialog, short itemNo, const Rect& rect);
// ==== END controls of dialog items ===========================================================
