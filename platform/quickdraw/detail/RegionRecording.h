// How the drawing calls feed OpenRgn/CloseRgn and OpenPoly/ClosePoly. Not for the program's
// own code.
//
// While a region or a polygon is open on a port, QuickDraw hides the pen: the line and frame
// calls draw no pixels into that port, they only report what they would have drawn here.
// Coordinates are the port's local ones; the pen size, mode and pattern play no part.
#pragma once

#include "../QDRegions.h"
#include "../QuickDraw.h"

namespace sp_platform {

// True while a region or a polygon is being recorded on the port.
bool IsRecordingOutline(GrafPtr port);

// A line from `from` to `to` (MoveTo/LineTo, Line, and the lines FramePoly draws). It joins
// the open region's outline and adds its end point to the open polygon (the first line of a
// polygon also adds its start). A line of zero length adds nothing to a region.
void RecordLine(GrafPtr port, Point from, Point to);

// FrameRect: the rectangle's four sides join the open region's outline. An empty rectangle
// adds nothing. Polygons record lines only.
void RecordFrameRect(GrafPtr port, const Rect& r);

// FrameOval, FrameRoundRect and FrameRgn: the boundary of the area the shape paints (give
// the painted area as a region) joins the open region's outline, so the region gains that
// area (even-odd with the rest of the outline). FrameArc adds nothing, as in QuickDraw.
void RecordFrameArea(GrafPtr port, RgnHandle area);

// The port is going away: whatever was recorded on it is dropped (a polygon being recorded
// keeps the points it has).
void ForgetOutlineRecording(GrafPtr port);

// Drops every recording (for the test API's reset).
void ResetOutlineRecording();

}  // namespace sp_platform
