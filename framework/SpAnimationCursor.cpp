#include "SpAnimationCursor.h"

#include "Clock.h"
#include "Events.h"
#include "MacMemory.h"
#include "MacWindows.h"
#include "SpErrorInfoSystem.h"
#include "SpListLinks.h"
#include "SpMouseTraceManager.h"
#include "SpMouseTraceObject.h"
#include "SpMouseTraceWindowObj.h"
#include "SpServiceHooks.h"
#include "SpStdFunction.h"

namespace {
// The records of this component name the unit it grew up in, spelled as the log has always
// shown them.
const char kSource[] = "SpEventToolsClass.cpp";
const char kCursorSource[] = "SpEventTollsClass.cpp";
const char kMsgNoColourCursor[] = "Can't get a new Color Curssor !!";
const char kMsgNoCursor[] = "Can't get a new Black-White Curssor !!";
const char kMsgNoItem[] = "New Ptr for New Cursor Item is 0L";
const char kMsgNotMember[] = "Not menber for unlink request";
}  // namespace

cAnimationCursorManager* animationCursorMgrPtr_GlV = nullptr;

// ---- Frames ---------------------------------------------------------------------------------

cAnimationCursorItem::cAnimationCursorItem(short refNo, unsigned char colour, short resourceId,
                                           unsigned long intervalTicks, CCrsrHandle* colourOut,
                                           CursHandle* cursorOut)
    : refNo_(refNo) {
  if (resourceId != 0) SetupMouseCursor(colour, resourceId);
  interval_ = UInt32(intervalTicks);
  if (colourOut != nullptr) *colourOut = colourCursor_;
  if (cursorOut != nullptr) *cursorOut = cursor_;
}

cAnimationCursorItem::~cAnimationCursorItem() {
  ReleaseMouseCursor();
}

void cAnimationCursorItem::SetupMouseCursor(unsigned char colour, short resourceId) {
  static const char kMethod[] = "cAnimationCursorItem::SetupMouseCursor";
  ReleaseMouseCursor();
  resourceId_ = resourceId;
  if (colour != 0) {
    if (!Sp_ViewServices().Sp_ResM_GetCCursorHandle(resourceId, &colourCursor_, &userRef_)) {
      SpReportFailure(kCursorSource, kMethod, 1, kMsgNoColourCursor);
    }
  } else if (!Sp_ViewServices().Sp_ResM_GetCursorHandle(resourceId, &cursor_, &userRef_)) {
    SpReportFailure(kCursorSource, kMethod, 2, kMsgNoCursor);
  }
}

void cAnimationCursorItem::ReleaseMouseCursor() {
  if (colourCursor_ != nullptr) {
    Sp_ViewServices().Sp_ResM_ReleaseCCursor(resourceId_, userRef_);
  } else if (cursor_ != nullptr) {
    Sp_ViewServices().Sp_ResM_ReleaseCursor(resourceId_, userRef_);
  }
  colourCursor_ = nullptr;
  cursor_ = nullptr;
  resourceId_ = 0;
  userRef_ = 0;
}

void cAnimationCursorItem::ExecuteChangeMouserCursor() {
  Sp_MTM_ShowLoanedCursor(colourCursor_, cursor_);
}

cAnimationCursorItem* cAnimationCursorItem::GetTargetReferenceItem(short refNo) {
  for (cAnimationCursorItem* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->refNo_ == refNo) return item;
  }
  return nullptr;
}

// ---- Animations -----------------------------------------------------------------------------

cAnimationCursorObject::cAnimationCursorObject(tCurserAnimationType animationType,
                                               tAnimationCursorAreaType areaType, WindowRef window,
                                               SpAnimationCursorAreaProcPtr areaProc,
                                               unsigned long userData)
    : animationType_(animationType),
      areaType_(areaType),
      window_(window),
      areaProc_(areaProc),
      userData_(userData) {}

cAnimationCursorObject::~cAnimationCursorObject() {
  // A registered animation leaves the manager, which would otherwise run a destroyed object.
  if (animationCursorMgrPtr_GlV != nullptr && animationCursorMgrPtr_GlV->IsListedItem(this)) {
    animationCursorMgrPtr_GlV->UnlinkItemFromItemList(this);
  }
  ClearCursorItem();
}

short cAnimationCursorObject::AddCursorItem(short resourceId, unsigned char colour,
                                            unsigned long intervalTicks, CCrsrHandle* colourOut,
                                            CursHandle* cursorOut) {
  cAnimationCursorItem* item = new (std::nothrow) cAnimationCursorItem(
      short(itemCount_ + 1), colour, resourceId, intervalTicks, colourOut, cursorOut);
  if (item == nullptr) {
    return SpReportFailure(kCursorSource, "cAnimationCursorObject::AddCursorItem", 1, kMsgNoItem,
                           short(0));
  }
  SpAppendToList(firstItem_, lastItem_, item);
  ++itemCount_;
  return itemCount_;
}

void cAnimationCursorObject::ClearCursorItem() {
  // Each frame gives its cursor back as it goes.
  SpDeleteList(firstItem_);
  firstItem_ = nullptr;
  lastItem_ = nullptr;
  currentItem_ = nullptr;
  itemCount_ = 0;
}

void cAnimationCursorObject::SetStartUp() {
  currentItem_ = firstItem_;
  shownInterval_ = 0;
  direction_ = kAnimationForward;
  lastChangeTick_ = 0;
  running_ = 1;
}

void cAnimationCursorObject::StartAnimation() {
  if (cAnimationCursorManager* manager = Sp_GetAnimationManager(1)) manager->SetupItem(this);
}

void cAnimationCursorObject::PoseAnimation(unsigned char pause) {
  paused_ = pause != 0 ? 1 : 0;
}

void cAnimationCursorObject::StopAnimation() {
  running_ = 0;
  currentItem_ = nullptr;
  if (animationCursorMgrPtr_GlV != nullptr) animationCursorMgrPtr_GlV->UnlinkItemFromItemList(this);
}

unsigned char cAnimationCursorObject::GetStatus(tDirectionType* directionOut,
                                                short* refNoOut) const {
  if (directionOut != nullptr) *directionOut = direction_;
  if (refNoOut != nullptr && currentItem_ != nullptr) *refNoOut = currentItem_->GetReferenceNo();
  return running_;
}

unsigned char cAnimationCursorObject::GetCursorInfo(short refNo, short* resourceIdOut, SInt32*,
                                                    CCrsrHandle* colourOut,
                                                    CursHandle* cursorOut) const {
  cAnimationCursorItem* item =
      firstItem_ != nullptr ? firstItem_->GetTargetReferenceItem(refNo) : nullptr;
  if (item == nullptr) return 0;
  if (resourceIdOut != nullptr) *resourceIdOut = item->GetCursorResourceId();
  if (colourOut != nullptr) *colourOut = item->GetColorCursorHandle();
  if (cursorOut != nullptr) *cursorOut = item->GetCursorHandle();
  return 1;
}

unsigned char cAnimationCursorObject::ExecuteCursorAnimation(Point globalMouse) {
  // Inline input owns the cursor where it claims it.
  if (Sp_EditTextServices().SpTS_EnableCursorChange(globalMouse) != 0) return 0;
  if (currentItem_ == nullptr || !running_) {
    currentItem_ = nullptr;
    running_ = 0;
    return 0;
  }
  if (paused_) return 0;

  if (window_ != nullptr &&
      (areaType_ == kAnimationCursorInWindow || areaType_ == kAnimationCursorInWindowArea)) {
    WindowRef under = nullptr;
    FindWindow(globalMouse, &under);
    if (under != window_) return 0;
    if (areaType_ == kAnimationCursorInWindowArea && areaProc_ != nullptr) {
      const Point local = Sp_MTM_GlobalToWindowLocal(window_, globalMouse);
      short modifiers = 0;
      Sp_GetModifiers(&modifiers, nullptr);
      if (areaProc_(local, modifiers, userData_) == 0) return 0;
    }
  }

  // Measured as elapsed ticks, so the wrap of the tick count does not end a frame early.
  const UInt32 now = TickCount();
  if (now - lastChangeTick_ <= shownInterval_) return running_;

  currentItem_->ExecuteChangeMouserCursor();
  shownInterval_ = currentItem_->GetIntervalTick();
  currentItem_ = direction_ == kAnimationForward ? currentItem_->GetNextObjectPtr()
                                                 : currentItem_->GetBeforeObjectPtr();
  if (currentItem_ == nullptr) {
    cAnimationCursorItem* turn = animationType_ == kCurserAnimationTurnBack && lastItem_ != nullptr
                                     ? lastItem_->GetBeforeObjectPtr()
                                     : nullptr;
    if (turn != nullptr) {
      currentItem_ = turn;
      direction_ = kAnimationBackward;
    } else {
      // Played to its end (a single frame has nothing to turn back to).
      running_ = 0;
      if (restoreMouseTrace_) {
        SpExecuteMouseTrace(1);
        // A pass that finds the pointer still in the area it was in leaves the cursor as it
        // is, which is the animation's last frame: show the area's own cursor again.
        cMouseTraceObject* hovered = SpGetBeforeInPlaceMouseTraceItem();
        if (hovered != nullptr && !Sp_IsMouseTraceDisabled()) hovered->ChangeMouseTraceCursorNow();
      }
    }
  }
  lastChangeTick_ = now;
  return running_;
}

void cAnimationCursorObject::UnlinkFromList(cAnimationCursorObject** head) {
  if (head != nullptr && *head == this) *head = GetNextObjectPtr();
  UnlinkSelf();
}

// ---- The manager ----------------------------------------------------------------------------

Boolean cAnimationCursorManager::IsListedItem(const cAnimationCursorObject* animation) const {
  for (cAnimationCursorObject* a = first_; a != nullptr; a = a->GetNextObjectPtr()) {
    if (a == animation) return 1;
  }
  return 0;
}

void cAnimationCursorManager::SetupItem(cAnimationCursorObject* animation) {
  if (animation == nullptr) {
    SpReportFailure(kSource, "cAnimationCursorManager::SetupItem", 1, kSpMsgNullArgument);
    return;
  }
  if (!IsListedItem(animation)) SpAppendToList(first_, last_, animation);
  current_ = animation;
}

void cAnimationCursorManager::UnlinkItemFromItemList(cAnimationCursorObject* animation) {
  static const char kMethod[] = "cAnimationCursorManager::UnlinkItemFromItemList";
  if (animation == nullptr || !IsListedItem(animation)) {
    SpReportFailure(kSource, kMethod, 1, kMsgNotMember);
    return;
  }
  animation->UnlinkFromList(&first_);
  last_ = first_ != nullptr ? first_->GetLastObjectPtr() : nullptr;
  if (current_ == animation) current_ = last_;
}

unsigned char cAnimationCursorManager::ExecuteAnimationForEventLoop() {
  if (current_ == nullptr) return 0;
  Point mouse = {0, 0};
  GetMouse(&mouse);
  LocalToGlobal(&mouse);
  unsigned char answer = current_->ExecuteCursorAnimation(mouse);
  if (answer == 0) {
    // Any animation that runs where the mouse is keeps the hover cursor away this turn, not
    // only the last one asked: a still animation asked after a running one must not let the
    // hover pass overwrite the running one's cursor.
    cAnimationCursorObject* animation = last_;
    while (animation != nullptr) {
      cAnimationCursorObject* before = animation->GetBeforeObjectPtr();
      if (animation != current_ && animation->ExecuteCursorAnimation(mouse) != 0) answer = 1;
      animation = before;
    }
  }
  lastMouse_ = mouse;
  return answer;
}

cAnimationCursorManager* Sp_GetAnimationManager(unsigned char create) {
  if (animationCursorMgrPtr_GlV == nullptr && create != 0) {
    animationCursorMgrPtr_GlV = new (std::nothrow) cAnimationCursorManager();
    if (animationCursorMgrPtr_GlV == nullptr) {
      SpReportFailure(kSource, "Sp_GetAnimationManager", 1, kSpMsgMemory);
    }
  }
  return animationCursorMgrPtr_GlV;
}

unsigned char Sp_AnimationCursorEventExecute() {
  if (animationCursorMgrPtr_GlV == nullptr) return 0;
  return animationCursorMgrPtr_GlV->ExecuteAnimationForEventLoop();
}
