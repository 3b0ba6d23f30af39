// Pictures and drawings made from pixels by other areas of the layer (a movie's video frames).
// Not for the program's own code.
#pragma once

#include "QDPictures.h"
#include "QuickDraw.h"

namespace sp_platform {

// A new picture (a plain handle, not a resource) of the image: height rows of width pixels
// 0xAARRGGBB, its frame (0, 0, height, width). Null when the image is empty or larger than
// kSpMaxImageSide, or memory runs out. Dispose of it with KillPicture.
PicHandle NewPictureFromPixels(const UInt32* pixels, UInt32 width, UInt32 height);

// Lays the image over the port's pixels, scaled to `dst` (local coordinates), within the port's
// clip and visible regions, as DrawPicture does.
void DrawPixelsInPort(GrafPtr port, const UInt32* pixels, UInt32 width, UInt32 height,
                      const Rect& dst);

}  // namespace sp_platform
