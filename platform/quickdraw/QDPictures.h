// Pictures and colour icons from the application's resources, and the Icon Utilities' plots.
//
// The images are PNG files kept inside the resources (app/resources/README.txt):
// - 'PICT': the classic picture header, big-endian as stored (picSize: the low 16 bits of the
//   size; picFrame: the frame, whose size is the image's), then the PNG's bytes at offset 10.
// - 'cicn': the PNG's bytes as they are. The alpha channel is the icon's mask.
// - 'ICN#', 'ics#', 'icm#': the classic one-bit icon and mask (32 x 32, 16 x 16, 16 x 12).
// Images are decoded with libpng into 32-bit pixels 0xAARRGGBB (straight alpha). An image
// whose bytes are damaged, whose sizes disagree with its header, or that is wider or higher
// than kSpMaxImageSide pixels is refused before anything is drawn: the loaders answer null,
// the plots draw nothing.
//
// Drawing happens in the current port like every drawing call: in local coordinates (the
// origin counts), within the clip region, the visible region and the port's pixels. An
// image is scaled to its destination by the nearest pixel (the same mapping as CopyBits) and
// laid over the port by its alpha: opaque pixels replace the port's, transparent ones keep
// them, the others mix in proportion. The port's colours, pen and transfer mode play no part.
#pragma once

#include "MacTypes.h"
#include "QuickDraw.h"

// The widest and highest image the layer decodes.
enum : SInt32 { kSpMaxImageSide = 4096 };

// ---- Pictures -------------------------------------------------------------------------------

// The start of a picture's bytes. The fields are big-endian, as stored: read the frame with
// QDGetPictureBounds, never from the record on this little-endian machine.
struct Picture {
  SInt16 picSize;
  Rect picFrame;
};
typedef Picture* PicPtr;
typedef PicPtr* PicHandle;

// The 'PICT' resource `pictureID`: the resource's handle itself (HomeResFile answers its
// file; give it back with ReleaseResource or KillPicture). Null when there is none
// (ResError resNotFound), or when its bytes are not a picture this layer can draw: shorter
// than the header, an empty frame, a PNG that is damaged, too large or of another size than
// the frame (the resource then stays loaded as it is).
PicHandle GetPicture(SInt16 pictureID);
// Draws the picture with its frame mapped onto `dstRect` (local coordinates of the current
// port; the image is scaled when the sizes differ). Nothing happens for a null or empty
// rectangle or a picture that GetPicture would refuse; QDError then answers paramErr
// (memFullErr when memory runs out), else noErr.
void DrawPicture(PicHandle myPicture, const Rect* dstRect);
// Disposes of a picture: a resource's handle is released (ReleaseResource), any other handle
// disposed of. Null does nothing.
void KillPicture(PicHandle myPicture);
// The picture's frame, written to `outRect` and returned; null (the rectangle untouched) for
// a null handle, a null rectangle or a handle shorter than the header.
Rect* QDGetPictureBounds(PicHandle picH, Rect* outRect);

// ---- Colour icons ---------------------------------------------------------------------------

// A colour icon made by GetCIcon. The rectangles of the three maps are (0, 0, height,
// width); the pixels, height rows of width words 0xAARRGGBB whose alpha is the mask, are in
// the handle iconData (the maps' baseAddr stay null). The record and iconData belong to the
// layer: read them, never change them.
struct CIcon {
  PixMap iconPMap;
  BitMap iconMask;
  BitMap iconBMap;
  Handle iconData;
  SInt16 iconMaskData[1];
};
typedef CIcon* CIconPtr;
typedef CIconPtr* CIconHandle;

// A new colour icon from the 'cicn' resource `iconID`; null when there is none (ResError
// resNotFound), its PNG is damaged or too large, or memory runs out. The icon is no resource
// (HomeResFile answers -1 for it): every call makes a new one, disposed of with DisposeCIcon.
CIconHandle GetCIcon(SInt16 iconID);
// Disposes of an icon made by GetCIcon; anything else is ignored.
void DisposeCIcon(CIconHandle theIcon);
// Draws the icon scaled to fill `theRect`, through its mask. Anything that GetCIcon did not
// make, and a null or empty rectangle, draws nothing.
void PlotCIcon(const Rect* theRect, CIconHandle theIcon);

// ---- Icon Utilities: alignment and transforms -----------------------------------------------

// Where an icon goes in a rectangle larger than it: the vertical part (low two bits) and the
// horizontal part (next two bits) add up.
typedef SInt16 IconAlignmentType;
enum : IconAlignmentType {
  kAlignNone = 0x00,
  kAlignVerticalCenter = 0x01,
  kAlignTop = 0x02,
  kAlignBottom = 0x03,
  kAlignHorizontalCenter = 0x04,
  kAlignAbsoluteCenter = kAlignVerticalCenter | kAlignHorizontalCenter,
  kAlignCenterTop = kAlignTop | kAlignHorizontalCenter,
  kAlignCenterBottom = kAlignBottom | kAlignHorizontalCenter,
  kAlignLeft = 0x08,
  kAlignCenterLeft = kAlignVerticalCenter | kAlignLeft,
  kAlignTopLeft = kAlignTop | kAlignLeft,
  kAlignBottomLeft = kAlignBottom | kAlignLeft,
  kAlignRight = 0x0C,
  kAlignCenterRight = kAlignVerticalCenter | kAlignRight,
  kAlignTopRight = kAlignTop | kAlignRight,
  kAlignBottomRight = kAlignBottom | kAlignRight,
};

// How an icon looks. Drawn here: none; disabled (dimmed: the icon at half strength over the
// port); selected (darkened: every colour at half its value); selected and disabled (both).
// Offline, open and the label colours are drawn as none.
typedef SInt16 IconTransformType;
enum : IconTransformType {
  kTransformNone = 0x00,
  kTransformDisabled = 0x01,
  kTransformOffline = 0x02,
  kTransformOpen = 0x03,
  kTransformLabel1 = 0x0100,
  kTransformLabel2 = 0x0200,
  kTransformLabel3 = 0x0300,
  kTransformLabel4 = 0x0400,
  kTransformLabel5 = 0x0500,
  kTransformLabel6 = 0x0600,
  kTransformLabel7 = 0x0700,
  kTransformSelected = 0x4000,
  kTransformSelectedDisabled = kTransformSelected | kTransformDisabled,
  kTransformSelectedOffline = kTransformSelected | kTransformOffline,
  kTransformSelectedOpen = kTransformSelected | kTransformOpen,
};

// The plots below share one placement: the icon is scaled to the largest size that fits the
// rectangle with its proportions kept (its own size when the rectangle is that size), then
// placed by the alignment (left, right or centred across; top, bottom or centred down;
// kAlignNone and a missing part centre). They answer noErr when the icon was drawn (or lay
// wholly outside the clip), paramErr for a null rectangle or an empty one.
//
// One-bit icons draw black for a 1 bit and white for a 0 bit inside the mask; outside the
// mask the port's pixels stay.

// A colour icon made by GetCIcon (paramErr for anything else).
OSErr PlotCIconHandle(const Rect* theRect, IconAlignmentType align, IconTransformType transform,
                      CIconHandle theCIcon);
// The icon of resource id `theResID`: its 'cicn' when there is one, else the best one-bit
// member of its family for the rectangle's size ('ICN#' 32 x 32 when the rectangle is 32 or
// more either way, 'ics#' 16 x 16 when it is more than 16 wide or 12 high, 'icm#' 16 x 12
// below that; a missing size is taken from the next larger one, then the next smaller).
// resNotFound when the id has no icon that can be drawn.
OSErr PlotIconID(const Rect* theRect, IconAlignmentType align, IconTransformType transform,
                 SInt16 theResID);
// The best one-bit member of the suite ('ICN#', 'ics#', 'icm#', chosen as by PlotIconID);
// paramErr for a handle that is not a suite, noSuchIconErr (-2582) when the suite holds
// none of them.
typedef Handle IconSuiteRef;
OSErr PlotIconSuite(const Rect* theRect, IconAlignmentType align, IconTransformType transform,
                    IconSuiteRef theIconSuite);
// A one-bit icon's data: 256 bytes (32 x 32 image and mask, as 'ICN#'), 128 (32 x 32 image
// without mask, as 'ICON': every pixel drawn), 64 (16 x 16 image and mask, as 'ics#'), 48
// (16 x 12 image and mask, as 'icm#') or 32 (16 x 16 without mask). paramErr for a null
// handle or another size.
OSErr PlotIconHandle(const Rect* theRect, IconAlignmentType align, IconTransformType transform,
                     Handle theIcon);
