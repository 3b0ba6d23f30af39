// The animated cursor: a sequence of cursor resources, each shown for its own number of
// ticks, optionally bound to a window or to an area of a window that a callback decides.
//
// Animations are registered with one manager, which the idle pass asks to advance the
// current animation; while an animation answers that it is running, the hover cursor of mouse
// tracing is left alone for that pass.
#pragma once

#include <cstddef>
#include <new>

#include "MacTypes.h"
#include "QuickDraw.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

// What happens after the last frame: go on backwards, or play once (any other value).
typedef UInt8 tCurserAnimationType;
enum : UInt8 {
  kCurserAnimationOnce = 0,
  kCurserAnimationTurnBack = 1,
};

// Where an animation bound to a window runs: anywhere (0, and any other value), only while
// the mouse is over the window (1), or over the window where the area callback agrees (2).
typedef UInt8 tAnimationCursorAreaType;
enum : UInt8 {
  kAnimationCursorAnywhere = 0,
  kAnimationCursorInWindow = 1,
  kAnimationCursorInWindowArea = 2,
};

typedef SInt8 tDirectionType;
enum : SInt8 {
  kAnimationForward = 1,
  kAnimationBackward = -1,
};

// Non-zero when the animation may run at this point (local coordinates of the bound window).
typedef unsigned char (*SpAnimationCursorAreaProcPtr)(Point localPoint, short modifiers,
                                                      unsigned long userData);

// One frame: a cursor lent by the resource manager and the ticks it is shown for.
class cAnimationCursorItem : public cSpListLinks<cAnimationCursorItem>, public cSpMacHeapObject {
 public:
  cAnimationCursorItem(short refNo, unsigned char colour, short resourceId,
                       unsigned long intervalTicks, CCrsrHandle* colourOut, CursHandle* cursorOut);
  // The frame gives its cursor back to the resource manager.
  ~cAnimationCursorItem();
  cAnimationCursorItem(const cAnimationCursorItem&) = delete;
  cAnimationCursorItem& operator=(const cAnimationCursorItem&) = delete;

  void SetupMouseCursor(unsigned char colour, short resourceId);
  void ReleaseMouseCursor();
  void ExecuteChangeMouserCursor();
  // The frame with this number, searched from this one onwards.
  cAnimationCursorItem* GetTargetReferenceItem(short refNo);

  UInt32 GetIntervalTick() const { return interval_; }
  void SetupIntervalTick(UInt32 ticks) { interval_ = ticks; }
  short GetReferenceNo() const { return refNo_; }
  short GetCursorResourceId() const { return resourceId_; }
  CCrsrHandle GetColorCursorHandle() const { return colourCursor_; }
  CursHandle GetCursorHandle() const { return cursor_; }

 private:
  short refNo_ = 0;
  short resourceId_ = 0;
  SInt32 userRef_ = 0;
  CCrsrHandle colourCursor_ = nullptr;
  CursHandle cursor_ = nullptr;
  UInt32 interval_ = 0;
};

// One animation: its frames, where it runs and how far it has got.
class cAnimationCursorObject : public cSpListLinks<cAnimationCursorObject> {
 public:
  cAnimationCursorObject(tCurserAnimationType animationType, tAnimationCursorAreaType areaType,
                         WindowRef window, SpAnimationCursorAreaProcPtr areaProc,
                         unsigned long userData);
  // Clears the frames; a registered animation also leaves the manager.
  ~cAnimationCursorObject();
  cAnimationCursorObject(const cAnimationCursorObject&) = delete;
  cAnimationCursorObject& operator=(const cAnimationCursorObject&) = delete;

  // Appends a frame numbered count + 1; the new count, or 0 when the frame cannot be made.
  short AddCursorItem(short resourceId, unsigned char colour, unsigned long intervalTicks,
                      CCrsrHandle* colourOut, CursHandle* cursorOut);
  // Destroys the frames, giving their cursors back.
  void ClearCursorItem();
  void SetupAnimationType(tCurserAnimationType animationType) { animationType_ = animationType; }
  // Puts the hover cursor back when the animation ends.
  void SetupCompleateInitialize() { restoreMouseTrace_ = 1; }

  void SetStartUp();
  void StartAnimation();
  // Non-zero pauses the animation, 0 lets it go on.
  void PoseAnimation(unsigned char pause);
  void StopAnimation();

  unsigned char GetStatus(tDirectionType* directionOut, short* refNoOut) const;
  // The long argument is not written.
  unsigned char GetCursorInfo(short refNo, short* resourceIdOut, SInt32* unused,
                              CCrsrHandle* colourOut, CursHandle* cursorOut) const;

  // Advances the animation for the mouse at this global point; non-zero while it runs there.
  unsigned char ExecuteCursorAnimation(Point globalMouse);

  void UnlinkFromList(cAnimationCursorObject** head);

 private:
  tCurserAnimationType animationType_;
  tAnimationCursorAreaType areaType_;
  WindowRef window_ = nullptr;
  unsigned char paused_ = 0;
  unsigned char running_ = 0;
  unsigned char restoreMouseTrace_ = 0;
  short itemCount_ = 0;
  cAnimationCursorItem* firstItem_ = nullptr;
  cAnimationCursorItem* lastItem_ = nullptr;
  cAnimationCursorItem* currentItem_ = nullptr;
  UInt32 lastChangeTick_ = 0;
  UInt32 shownInterval_ = 0;
  tDirectionType direction_ = kAnimationForward;
  SpAnimationCursorAreaProcPtr areaProc_ = nullptr;
  unsigned long userData_ = 0;
};

// The registered animations, one of them current.
class cAnimationCursorManager {
 public:
  cAnimationCursorManager() = default;
  cAnimationCursorManager(const cAnimationCursorManager&) = delete;
  cAnimationCursorManager& operator=(const cAnimationCursorManager&) = delete;

  // Registers the animation (when it is not yet listed) and makes it current.
  void SetupItem(cAnimationCursorObject* animation);
  void UnlinkItemFromItemList(cAnimationCursorObject* animation);
  Boolean IsListedItem(const cAnimationCursorObject* animation) const;
  // Advances the current animation, and the others when it does not run where the mouse is;
  // non-zero when one of them runs there.
  unsigned char ExecuteAnimationForEventLoop();

  cAnimationCursorObject* GetCurrentItem() const { return current_; }
  Point GetLastMouseLocation() const { return lastMouse_; }

 private:
  cAnimationCursorObject* first_ = nullptr;
  cAnimationCursorObject* last_ = nullptr;
  cAnimationCursorObject* current_ = nullptr;
  Point lastMouse_ = {0, 0};
};

extern cAnimationCursorManager* animationCursorMgrPtr_GlV;

// The manager; made when missing and create is non-zero, else null when missing.
cAnimationCursorManager* Sp_GetAnimationManager(unsigned char create);
// The animated cursor's step for the idle pass: non-zero when an animation ran where the
// mouse is; 0 when no manager exists.
unsigned char Sp_AnimationCursorEventExecute();
