// Hover popups: the window, its hover area and the callbacks that lead back to the popup.
#include "SpTracePopupObject.h"

#include <new>

#include "SpErrorInfoSystem.h"
#include "SpMouseTraceObject.h"

namespace {

const char kSource[] = "SpTracePopupObject";

cSp_MouseTracePopup* PopupOf(unsigned long refCon, const char* function) {
  cSp_MouseTracePopup* popup = reinterpret_cast<cSp_MouseTracePopup*>(refCon);
  if (popup == nullptr) SpReportFailure(kSource, function, 1, kSpMsgNullArgument);
  return popup;
}

}  // namespace

cSp_MouseTracePopup::cSp_MouseTracePopup(WindowRef target, const Rect& rect,
                                         cMouseTraceObject* container)
    : cSp_Window(kSpWindowInFrontOfAll), target_(target), rect_(rect) {
  trace_ = new (std::nothrow) cMouseTraceObject(target, rect, 0, 0, container);
  if (trace_ != nullptr) {
    const unsigned long self = reinterpret_cast<unsigned long>(this);
    trace_->mouseTraceInProc = SpTPO_CatchMouseTraceInCB;
    trace_->mouseTraceInRefCon = self;
    trace_->mouseTraceOutProc = SpTPO_CatchMouseTraceOutCB;
    trace_->mouseTraceOutRefCon = self;
    trace_->mouseInPlaceTraceProc = SpTPO_CatchMouseInPlaceTraceCB;
    trace_->mouseInPlaceTraceRefCon = self;
  }
  SetupBeforeCloseProc(SpTPO_PopupWindowCloseBeforeProc, reinterpret_cast<unsigned long>(this),
                       beforeCloseRefNo_);
  SetupAfterCloseProc(SpTPO_PopupWindowCloseAfterProc, reinterpret_cast<unsigned long>(this),
                      afterCloseRefNo_);
}

cSp_MouseTracePopup::~cSp_MouseTracePopup() {
  // The window's own destructor closes it after this part of the object is gone: the close
  // hooks leave first, so they never call into a popup half taken down.
  UnSetupBeforeCloseProc(beforeCloseRefNo_);
  UnSetupAfterCloseProc(afterCloseRefNo_);
  // The hover area goes with the popup, so it never calls a popup that is gone.
  delete trace_;
  trace_ = nullptr;
}

unsigned char cSp_MouseTracePopup::CloseMouseTracePopupWindowBeforeProc() {
  return 1;
}

void cSp_MouseTracePopup::CloseMouseTracePopupWindowAfterProc() {}

void cSp_MouseTracePopup::MouseTracePopupEnable() {
  enabled_ = 1;
  if (trace_ != nullptr) trace_->EnableMouseTrace();
}

void cSp_MouseTracePopup::MouseTracePopupDisable() {
  enabled_ = 0;
  if (trace_ != nullptr) trace_->DisableMouseTrace();
}

void cSp_MouseTracePopup::CatchMouseTraceInCB(Point) {}

void cSp_MouseTracePopup::CatchMouseTraceOutCB() {}

void cSp_MouseTracePopup::CatchMouseInPlaceTraceCB(Point) {}

// ---- Plain functions ------------------------------------------------------------------------

void SpTPO_CatchMouseTraceInCB(Point localPoint, short, unsigned long refCon) {
  cSp_MouseTracePopup* popup = PopupOf(refCon, "SpTPO_CatchMouseTraceInCB");
  if (popup != nullptr) popup->CatchMouseTraceInCB(localPoint);
}

void SpTPO_CatchMouseTraceOutCB(short, unsigned long refCon) {
  cSp_MouseTracePopup* popup = PopupOf(refCon, "SpTPO_CatchMouseTraceOutCB");
  if (popup != nullptr) popup->CatchMouseTraceOutCB();
}

void SpTPO_CatchMouseInPlaceTraceCB(Point localPoint, short, unsigned long refCon) {
  cSp_MouseTracePopup* popup = PopupOf(refCon, "SpTPO_CatchMouseInPlaceTraceCB");
  if (popup != nullptr) popup->CatchMouseInPlaceTraceCB(localPoint);
}

unsigned char SpTPO_PopupWindowCloseBeforeProc(cSp_Window*, short, unsigned long refCon) {
  cSp_MouseTracePopup* popup = reinterpret_cast<cSp_MouseTracePopup*>(refCon);
  return popup != nullptr ? popup->CloseMouseTracePopupWindowBeforeProc() : 1;
}

void SpTPO_PopupWindowCloseAfterProc(cSp_Window*, short, unsigned long refCon) {
  cSp_MouseTracePopup* popup = reinterpret_cast<cSp_MouseTracePopup*>(refCon);
  if (popup != nullptr) popup->CloseMouseTracePopupWindowAfterProc();
}

Point SpTPO_GetLeftTopPositFromRect(const Rect& rect) {
  return Point{rect.top, rect.left};
}

Point SpTPO_GetSizeFromRect(const Rect& rect) {
  return Point{short(rect.bottom - rect.top), short(rect.right - rect.left)};
}
