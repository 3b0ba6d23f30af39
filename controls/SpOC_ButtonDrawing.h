// The framework's own button look, drawn into the current port: a bevelled frame, the flat face
// inside it, an icon, a centred title with an optional shadow, and three filters that darken
// or brighten what is drawn already. The icon button, the title bar's button items and the
// popup menu button all use it.
//
// A mini button has a thinner bevel. Each function puts back the port's foreground colour (and
// its pen, clip, font and text size where it changes them). The filters read and write one
// pixel at a time: they are meant for button-sized areas.
#pragma once

#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpPositionType.h"

// The bevelled frame along the inside of area: light at the top and left and dark at the
// bottom and right when raised, the other way round when pressed.
void Sp_OCnt_DrawButtonDefaultFrame(unsigned char pressed, unsigned char mini, const Rect& area,
                                    const RGBColor& face, const RGBColor& frame);
// The face: area inset by 3 (2 for a mini button) painted in the face colour.
void Sp_OCnt_DrawButtonDefaultContent(unsigned char mini, const Rect& area, const RGBColor& face);
// The icon family iconId plotted in area; nothing for id 0.
void Sp_OCnt_DrawButtonIcon(short iconId, const Rect& area, short alignment, short transform);
// The title in the font and size, clipped to area: at its left (1), its right (3) or centred,
// its baseline half an ascent below the middle. With shadow and a shadow colour it is first
// drawn moved by (shadowH, shadowV) in that colour. Nothing for a null or empty text.
void Sp_OCnt_DrawButtonString(const char* text, const Rect& area, short font, short size,
                              tPositionType position, const RGBColor& colour, unsigned char shadow,
                              const RGBColor* shadowColour, short shadowH, short shadowV);
// Multiplies each non-zero component of the face pixels (inside the frame) by rate.
void Sp_OCnt_ModifyButtonContentToDark(unsigned char mini, const Rect& area, float rate);
// Multiplies each non-zero component of every pixel of area, right and bottom edges included,
// that is not of the key colour by percent / 100 (a rate of 0 or less is taken as it is).
void Sp_OCnt_ModifyButtonContentToDarkWithOutBG(const Rect& area, const RGBColor& keyColour,
                                                float percent);
// Raises each component c of every pixel of area, right and bottom edges included, that is not
// of the key colour (every pixel without one) to c + (65535 - c) x rate.
void Sp_OCnt_ModifyButtonContentToHiliteWithOutBG(const Rect& area, const RGBColor* keyColour,
                                                  float rate);
