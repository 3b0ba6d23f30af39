// Drag Manager: drags of items that carry flavours of data, followed over the program's
// windows by tracking handlers and dropped on receive handlers.
//
// How it works here:
// - A drag holds items in the order they were first named (AddDragItemFlavor with a new item
//   reference makes one); each item holds its flavours in the order added. A flavour added
//   with no data and size 0 is promised: the first call that needs its data (GetFlavorData,
//   GetFlavorDataSize) asks the drag's send-data procedure for it, at once, and that procedure
//   supplies it with SetDragItemFlavorData. Promised flavours carry flavorDataPromised in
//   their flags until they are kept.
// - Handlers: tracking and receive handlers are installed for one window or, with no window,
//   for every window of the program. For a window, its own handlers come first, then those
//   for every window, each in the order installed.
// - Tracking messages, per drag: kDragTrackingEnterHandler once for each handler the first
//   time the drag is over a window it serves; kDragTrackingEnterWindow when the drag comes
//   over a window; kDragTrackingInWindow for every later position over that window;
//   kDragTrackingLeaveWindow when it leaves the window or the drag ends; and
//   kDragTrackingLeaveHandler (with no window) when it leaves every window the handler
//   serves, or ends. A drop is handed to the receive handlers of the window under the
//   release, in order, until one answers noErr, before that window's leave messages.
// - TrackDrag follows the mouse from the event's place until the button is released (the
//   held mouse comes through the event layer, as in every tracking loop). A release over a
//   window of the program is a drop there; TrackDrag answers noErr when a receiver took it,
//   userCanceledErr otherwise (another program's window: see below). The drag's image and
//   outline are kept but not drawn over the program's windows; the hilite is
//   (ShowDragHilite).
// - Drags from other programs: files (one 'hfs ' item per file, see the HFS flavour below) or
//   text (one 'TEXT' item) that the display follows while they move over the program's
//   windows, with the same tracking messages as a drag of the program, and drops where they
//   are let go. Over a window, the answers of its tracking handlers to
//   kDragTrackingEnterWindow and kDragTrackingInWindow tell the other program whether a drop
//   there would be taken: taken when one of them answered noErr. A drop that arrives whole
//   (no moves seen) is tracked at the drop point and dropped there. Their attributes are 0
//   (not from this program).
// - Drags that leave the program's windows: on the desktop they go on over other programs'
//   windows (the display draws the outline's bounds as a gray frame there), and a release
//   over one that takes text drops the drag's 'TEXT' there; TrackDrag then waits a few
//   seconds at most for that program's answer. GetDragDropAction tells what it did:
//   kDragActionMove or kDragActionCopy (as the Option key asked and the program agreed), or
//   kDragActionNothing (refused, no answer in time, or any drop inside the program).
// - Drop location: typeNull for a drop on the program's own windows or none; a release
//   outside them lands on a folder only when the test API names one (and no other program's
//   window took it).
// - ShowDragHilite draws a frame kDragHiliteThickness pixels wide in the window the drag is
//   over, just inside the region (inside true) or just outside it, in the local coordinates
//   of that window's port; HideDragHilite puts back the pixels it covered. One hilite at a
//   time per drag; the end of the drag hides it.
//
// Results are the toolbox's codes; a drag that is not one (or was disposed of) is
// badDragRefErr.
#pragma once

#include "AppleEvents.h"
#include "Events.h"
#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"

typedef struct OpaqueDragRef* DragRef;
typedef UInt32 DragItemRef;
typedef OSType FlavorType;
typedef UInt32 FlavorFlags;
typedef UInt32 DragAttributes;
typedef UInt32 DragImageFlags;
typedef SInt16 DragTrackingMessage;
typedef UInt32 DragActions;

enum : OSErr {
  badDragRefErr = -1850,
  badDragItemErr = -1851,
  badDragFlavorErr = -1852,
  duplicateFlavorErr = -1853,
  cantGetFlavorErr = -1854,
  duplicateHandlerErr = -1855,
  handlerNotFoundErr = -1856,
  dragNotAcceptedErr = -1857,
};

enum : DragTrackingMessage {
  kDragTrackingEnterHandler = 1,
  kDragTrackingEnterWindow = 2,
  kDragTrackingInWindow = 3,
  kDragTrackingLeaveWindow = 4,
  kDragTrackingLeaveHandler = 5,
};

enum : FlavorFlags {
  flavorSenderOnly = 0x00000001,
  flavorSenderTranslated = 0x00000002,
  flavorNotSaved = 0x00000004,
  flavorSystemTranslated = 0x00000100,
  flavorDataPromised = 0x00000200,
};

enum : DragAttributes {
  kDragHasLeftSenderWindow = 1u << 0,
  kDragInsideSenderApplication = 1u << 1,
  kDragInsideSenderWindow = 1u << 2,
};

enum : FlavorType {
  kDragFlavorTypeHFS = 0x68667320,  // 'hfs ': a file (HFSFlavor bytes)
  flavorTypeHFS = kDragFlavorTypeHFS,
};

enum : DragActions {
  kDragActionNothing = 0,
  kDragActionCopy = 1,
  kDragActionMove = 1u << 4,
};

// The 'hfs ' flavour's bytes, big-endian: file type (4), creator (4), Finder flags (2), then
// the file's FSSpec: volume (2), parent directory id (4), Str63 name (64).
constexpr Size kHFSFlavorSize = 80;

// The frame ShowDragHilite draws.
constexpr SInt16 kDragHiliteThickness = 2;

typedef OSErr (*DragTrackingHandlerProcPtr)(DragTrackingMessage message, WindowRef theWindow,
                                            void* handlerRefCon, DragRef theDrag);
typedef OSErr (*DragReceiveHandlerProcPtr)(WindowRef theWindow, void* handlerRefCon,
                                           DragRef theDrag);
typedef OSErr (*DragSendDataProcPtr)(FlavorType theType, void* dragSendRefCon,
                                     DragItemRef theItemRef, DragRef theDrag);
typedef DragTrackingHandlerProcPtr DragTrackingHandlerUPP;
typedef DragReceiveHandlerProcPtr DragReceiveHandlerUPP;
typedef DragSendDataProcPtr DragSendDataUPP;

inline DragTrackingHandlerUPP NewDragTrackingHandlerUPP(DragTrackingHandlerProcPtr routine) {
  return routine;
}
inline DragReceiveHandlerUPP NewDragReceiveHandlerUPP(DragReceiveHandlerProcPtr routine) {
  return routine;
}
inline DragSendDataUPP NewDragSendDataUPP(DragSendDataProcPtr routine) {
  return routine;
}
inline void DisposeDragTrackingHandlerUPP(DragTrackingHandlerUPP) {}
inline void DisposeDragReceiveHandlerUPP(DragReceiveHandlerUPP) {}
inline void DisposeDragSendDataUPP(DragSendDataUPP) {}

// ---- Handlers ----
// A null window: every window. duplicateHandlerErr for the same procedure on the same window
// twice; handlerNotFoundErr when removing one not installed; paramErr for a null procedure.
OSErr InstallTrackingHandler(DragTrackingHandlerUPP trackingHandler, WindowRef theWindow,
                             void* handlerRefCon);
OSErr InstallReceiveHandler(DragReceiveHandlerUPP receiveHandler, WindowRef theWindow,
                            void* handlerRefCon);
OSErr RemoveTrackingHandler(DragTrackingHandlerUPP trackingHandler, WindowRef theWindow);
OSErr RemoveReceiveHandler(DragReceiveHandlerUPP receiveHandler, WindowRef theWindow);

// ---- Making a drag ----
OSErr NewDrag(DragRef* theDrag);
// Hides its hilite and frees it; a drag being tracked is refused (paramErr).
OSErr DisposeDrag(DragRef theDrag);
// Adds the flavour to the item (made when new); data null with size 0 promises it.
// duplicateFlavorErr for a type the item has; paramErr for a negative size or missing data.
OSErr AddDragItemFlavor(DragRef theDrag, DragItemRef theItemRef, FlavorType theType,
                        const void* dataPtr, Size dataSize, FlavorFlags theFlags);
// Writes the bytes at the offset of the flavour's data, which grows as needed; the flavour
// is then no longer promised.
OSErr SetDragItemFlavorData(DragRef theDrag, DragItemRef theItemRef, FlavorType theType,
                            const void* dataPtr, Size dataSize, UInt32 dataOffset);
OSErr SetDragSendProc(DragRef theDrag, DragSendDataUPP sendProc, void* dragSendRefCon);
// Global rectangles.
OSErr SetDragItemBounds(DragRef theDrag, DragItemRef theItemRef, const Rect* itemBounds);
OSErr GetDragItemBounds(DragRef theDrag, DragItemRef theItemRef, Rect* itemBounds);
// Kept with the drag (not drawn). A null image is paramErr.
OSErr SetDragImage(DragRef theDrag, PixMapHandle imagePixMap, RgnHandle imageRgn,
                   Point imageOffsetPt, DragImageFlags theImageFlags);
// Follows the mouse from theEvent->where until release (see above). paramErr for a null
// event or region, or a drag already being tracked.
OSErr TrackDrag(DragRef theDrag, const EventRecord* theEvent, RgnHandle theRegion);

// ---- Reading a drag ----
OSErr GetDragAttributes(DragRef theDrag, DragAttributes* flags);
OSErr CountDragItems(DragRef theDrag, UInt16* numItems);
// index counts from 1; badDragItemErr past the end.
OSErr GetDragItemReferenceNumber(DragRef theDrag, UInt16 index, DragItemRef* theItemRef);
OSErr CountDragItemFlavors(DragRef theDrag, DragItemRef theItemRef, UInt16* numFlavors);
// index counts from 1; badDragFlavorErr past the end.
OSErr GetFlavorType(DragRef theDrag, DragItemRef theItemRef, UInt16 index, FlavorType* theType);
OSErr GetFlavorFlags(DragRef theDrag, DragItemRef theItemRef, FlavorType theType,
                     FlavorFlags* theFlags);
// A promise not kept by the send-data procedure is cantGetFlavorErr.
OSErr GetFlavorDataSize(DragRef theDrag, DragItemRef theItemRef, FlavorType theType,
                        Size* dataSize);
// Copies at most *dataSize bytes from the offset and sets *dataSize to the bytes copied.
OSErr GetFlavorData(DragRef theDrag, DragItemRef theItemRef, FlavorType theType, void* dataPtr,
                    Size* dataSize, UInt32 dataOffset);
// The mouse (global) at the latest position of the drag; pinned the same. Either may be null.
OSErr GetDragMouse(DragRef theDrag, Point* mouse, Point* globalPinnedMouse);
// A new descriptor the caller disposes of.
OSErr GetDropLocation(DragRef theDrag, AEDesc* dropLocation);
// What another program did with the drop of the last TrackDrag (see above).
OSErr GetDragDropAction(DragRef theDrag, DragActions* outAction);

// ---- Hilite ----
// paramErr when the drag is over no window or the region is null.
OSErr ShowDragHilite(DragRef theDrag, RgnHandle hiliteFrame, Boolean inside);
OSErr HideDragHilite(DragRef theDrag);
