#include "SpIconView.h"

#include <new>

#include "SpViewInternal.h"

using namespace sp_view_detail;

namespace {

const char kSource[] = "SpIconView";

}  // namespace

// ---- Icon entries ---------------------------------------------------------------------------

cIconData::cIconData(short resourceId) : resourceId_(resourceId) {
  if (Sp_ResM_GetCIconHandle(resourceId, &icon_, &userRef_) == 0) {
    icon_ = nullptr;
    userRef_ = 0;
  }
}

cIconData::~cIconData() {
  if (icon_ != nullptr) Sp_ResM_ReleaseCIcon(resourceId_, userRef_);
  icon_ = nullptr;
  userRef_ = 0;
}

cIconDataBlock::~cIconDataBlock() {
  cIconData* entry = head_;
  while (entry != nullptr) {
    cIconData* next = entry->next_;
    delete entry;
    entry = next;
  }
  head_ = last_ = current_ = nullptr;
  count_ = 0;
}

void cIconDataBlock::SetIconResourceId(short resourceId, SInt32* outStatus) {
  cIconData* entry = new (std::nothrow) cIconData(resourceId);
  if (entry == nullptr) {
    SpReportFailure(kSource, "cIconDataBlock::SetIconResourceId", 1, kSpMsgMemory);
    return;
  }
  if (last_ == nullptr) {
    entry->status_ = 0;
    head_ = last_ = current_ = entry;
  } else {
    entry->status_ = last_->status_ + 1;
    entry->before_ = last_;
    last_->next_ = entry;
    last_ = entry;
  }
  ++count_;
  if (outStatus != nullptr) *outStatus = entry->status_;
}

cIconData* cIconDataBlock::Find(SInt32 status) const {
  for (cIconData* entry = head_; entry != nullptr; entry = entry->next_) {
    if (entry->status_ == status) return entry;
  }
  return nullptr;
}

CIconHandle cIconDataBlock::GetCurrentTargetIconHandle() const {
  return current_ != nullptr ? current_->icon_ : nullptr;
}

CIconHandle cIconDataBlock::GetStatusIconHandle(SInt32 status) const {
  cIconData* entry = Find(status);
  return entry != nullptr ? entry->icon_ : nullptr;
}

unsigned char cIconDataBlock::MoveTo(cIconData* entry) {
  if (entry == nullptr || entry == current_) return 0;
  current_ = entry;
  return 1;
}

unsigned char cIconDataBlock::ChangeCurrentNext(unsigned char wrap) {
  if (current_ == nullptr) return 0;
  if (current_->next_ != nullptr) return MoveTo(current_->next_);
  if (wrap == 0) return 0;
  current_ = head_;
  return 1;
}

unsigned char cIconDataBlock::ChangeCurrentBefore(unsigned char wrap) {
  if (current_ == nullptr) return 0;
  if (current_->before_ != nullptr) return MoveTo(current_->before_);
  if (wrap == 0) return 0;
  current_ = last_;
  return 1;
}

unsigned char cIconDataBlock::ChangeCurrentGotoListHead() {
  return MoveTo(head_);
}

unsigned char cIconDataBlock::ChangeCurrentGotoListLast() {
  return MoveTo(last_);
}

unsigned char cIconDataBlock::ChangeCurrentGotoNo(SInt32 status) {
  return MoveTo(Find(status));
}

// ---- Colour-icon view -----------------------------------------------------------------------

cSp_CIconView::cSp_CIconView(WindowRef window, const Rect& area, short cicnId,
                             cSp_View* container, unsigned char drawInContainerOffscreen)
    : cSp_View(window, area, 0, 0, container, drawInContainerOffscreen) {
  if (cicnId != 0) SetIconData(cicnId, nullptr);
}

cSp_CIconView::~cSp_CIconView() {
  delete block_;
  block_ = nullptr;
}

void cSp_CIconView::SetIconData(short resourceId, SInt32* outStatus) {
  if (block_ == nullptr) block_ = new (std::nothrow) cIconDataBlock;
  if (block_ == nullptr) {
    SpReportFailure(kSource, "cSp_CIconView::SetIconData", 1, kSpMsgMemory);
    return;
  }
  block_->SetIconResourceId(resourceId, outStatus);
}

unsigned char cSp_CIconView::ChangeIconStatus(SInt32 status) {
  if (block_ == nullptr) return 0;
  const unsigned char changed = block_->ChangeCurrentGotoNo(status);
  if (changed != 0) SetupModifyDrawingRectAndFlag(nullptr, 1);
  return changed;
}

unsigned char cSp_CIconView::UpdateProc() {
  CIconHandle icon = block_ != nullptr ? block_->GetCurrentTargetIconHandle() : nullptr;
  if (icon != nullptr) {
    Rect r;
    GetOffscreenArea(&r);
    PlotCIcon(&r, icon);
  }
  return 1;
}

void cSp_CIconView::LinkToCIconViewItemNext(cSp_CIconView* chain) {
  LinkChainAfter(this, chain, &cSp_CIconView::links_);
}

cSp_CIconView* cSp_CIconView::UnlinkCIconViewtItemNext() {
  return UnlinkNextOf(this, &cSp_CIconView::links_);
}

cSp_CIconView* cSp_CIconView::GetCIconViewItemLastObjectPtr() {
  return LastOf(this, &cSp_CIconView::links_);
}

// ---- Icon-family view -----------------------------------------------------------------------

cSp_IconType2View::cSp_IconType2View(WindowRef window, const Rect& area, short resourceId,
                                     IconAlignmentType alignment, IconTransformType transform,
                                     cSp_View* container, unsigned char drawInContainerOffscreen)
    : cSp_View(window, area, 0, 0, container, drawInContainerOffscreen),
      resourceId_(resourceId),
      alignment_(alignment),
      transform_(transform) {}

unsigned char cSp_IconType2View::UpdateProc() {
  if (resourceId_ != 0) {
    Rect r;
    GetOffscreenArea(&r);
    PlotIconID(&r, alignment_, transform_, resourceId_);
  }
  return 1;
}

// ---- Picture view ---------------------------------------------------------------------------

cSp_PictureView::cSp_PictureView(WindowRef window, const Rect& area, short pictureId,
                                 cSp_View* container, unsigned char drawInContainerOffscreen)
    : cSp_View(window, area, 0, 0, container, drawInContainerOffscreen), pictureId_(pictureId) {
  item_ = Sp_ResM_GetPictureItemObject(pictureId, userRef_);
}

cSp_PictureView::~cSp_PictureView() {
  if (item_ != nullptr) Sp_ResM_ReleasePicture(item_, userRef_);
  item_ = nullptr;
}

unsigned char cSp_PictureView::UpdateProc() {
  if (item_ != nullptr) {
    Rect r;
    GetOffscreenArea(&r);
    item_->DrawPicuterOnCurrentPort(r, 1, nullptr, 0, 0);
  }
  return 1;
}

void cSp_PictureView::LinkToPictureViewItemNext(cSp_PictureView* chain) {
  LinkChainAfter(this, chain, &cSp_PictureView::links_);
}

cSp_PictureView* cSp_PictureView::UnlinkPictureViewtItemNext() {
  return UnlinkNextOf(this, &cSp_PictureView::links_);
}

cSp_PictureView* cSp_PictureView::GetPictureViewItemLastObjectPtr() {
  return LastOf(this, &cSp_PictureView::links_);
}
