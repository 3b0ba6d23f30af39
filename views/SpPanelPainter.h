// Two painters of raised, rounded panels with a soft drop shadow and a bevelled rim, drawn
// into the current port: a rounded rectangle, and a panel with a tab on its upper left and a
// notch at its lower right. Each builds the panel's outline as a region, paints the shadow as
// that region moved and repainted in graded colours, fills the face and strokes the rim piece
// by piece in shades of the face colour (a shade k is the face times k per component, capped
// at white: k above 1 lightens).
#pragma once

#include "MacTypes.h"
#include "QuickDraw.h"

// A rounded rectangle filling `r`, with corners of diameter `cornerDiameter`, a shadow
// `depth` pixels deep below and right of it (98 % grey far out to 40 % grey next to the
// panel) and the face colour. The port's pen and foreground colour are put back.
void SpDraw3DPanel(const Rect* r, short cornerDiameter, short depth, const RGBColor* face);

// A panel whose upper-left part is a tab `tabWidth` wide and `tabHeight` high, the body
// starting `tabWidth` to the right of the tab's left edge below it, and a notch `notch` pixels
// square cut out of the lower-right corner (corners of diameter `notchCornerDiameter` there).
// With `withShadow`, a shadow `shadowDepth` pixels deep going from the shadow colour far out
// to black next to the panel shows below and right of it. The right edge and the notch get no
// rim. The foreground colour is put back and the pen left 1 x 1.
void Sp_DrawingLeftTab3DPanelOnCurrentPort(const Rect& r, short cornerDiameter,
                                           short notchCornerDiameter, short notch, short tabHeight,
                                           short tabWidth, const RGBColor& shadowColor,
                                           const RGBColor& face, unsigned char withShadow,
                                           short shadowDepth);
