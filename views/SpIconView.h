// Views that show a resource image, and the ordered set of colour icons behind them.
//
// cIconDataBlock keeps colour icons ('cicn') in the order they were added, numbered 0, 1, 2 …
// (their status numbers), with one current entry; the icon-button control keeps its icons in
// such blocks too. cSp_CIconView shows the current icon of its block and switches it by status
// number; cSp_IconType2View plots an icon family by resource id; cSp_PictureView shows a
// picture ('PICT') from the resource manager's picture cache. Icons and pictures are borrowed
// from the resource manager for the life of the entry or view. An image that cannot be loaded
// leaves the view drawing nothing.
#pragma once

#include "QDPictures.h"
#include "SpResourceManager.h"
#include "SpViewClass.h"

class cIconData {
 public:
  // Borrows the icon from the resource manager (null when it cannot be loaded).
  explicit cIconData(short resourceId);
  ~cIconData();
  cIconData(const cIconData&) = delete;
  cIconData& operator=(const cIconData&) = delete;

  SInt32 GetStatusNo() const { return status_; }
  CIconHandle GetIconHandle() const { return icon_; }
  short GetResourceId() const { return resourceId_; }
  cIconData* GetBeforeObjectPtr() const { return before_; }
  cIconData* GetNextObjectPtr() const { return next_; }

 private:
  friend class cIconDataBlock;
  SInt32 status_ = 0;
  CIconHandle icon_ = nullptr;
  short resourceId_ = 0;
  SInt32 userRef_ = 0;
  cIconData* before_ = nullptr;
  cIconData* next_ = nullptr;
};

class cIconDataBlock {
 public:
  cIconDataBlock() = default;
  ~cIconDataBlock();
  cIconDataBlock(const cIconDataBlock&) = delete;
  cIconDataBlock& operator=(const cIconDataBlock&) = delete;

  // Appends the icon with the next status number (0 for the first, which becomes current);
  // the number comes back through outStatus when it is not null.
  void SetIconResourceId(short resourceId, SInt32* outStatus);
  CIconHandle GetCurrentTargetIconHandle() const;
  CIconHandle GetStatusIconHandle(SInt32 status) const;
  SInt32 GetCurrentStatusNo() const { return current_ != nullptr ? current_->status_ : -1; }
  SInt32 GetItemCount() const { return count_; }
  // Each answers 1 when the current entry moved.
  unsigned char ChangeCurrentNext(unsigned char wrap);
  unsigned char ChangeCurrentBefore(unsigned char wrap);
  unsigned char ChangeCurrentGotoListHead();
  unsigned char ChangeCurrentGotoListLast();
  unsigned char ChangeCurrentGotoNo(SInt32 status);

  cIconDataBlock* GetIconBlockBefore() const { return blockBefore_; }
  cIconDataBlock* GetIconBlockNext() const { return blockNext_; }
  void SetIconBlockLinks(cIconDataBlock* before, cIconDataBlock* next) {
    blockBefore_ = before;
    blockNext_ = next;
  }

 private:
  cIconData* Find(SInt32 status) const;
  unsigned char MoveTo(cIconData* entry);

  cIconDataBlock* blockBefore_ = nullptr;
  cIconDataBlock* blockNext_ = nullptr;
  cIconData* head_ = nullptr;
  cIconData* last_ = nullptr;
  cIconData* current_ = nullptr;
  SInt32 count_ = 0;
};

class cSp_CIconView : public cSp_View {
 public:
  // Id 0 makes a view without an icon until SetIconData.
  cSp_CIconView(WindowRef window, const Rect& area, short cicnId, cSp_View* container,
                unsigned char drawInContainerOffscreen);
  ~cSp_CIconView() override;

  // Adds the icon for the next status number.
  void SetIconData(short resourceId, SInt32* outStatus);
  // Shows the icon of that status number; 1 (and the view marked) when it changed.
  unsigned char ChangeIconStatus(SInt32 status);
  cIconDataBlock* GetIconDataBlock() const { return block_; }
  unsigned char UpdateProc() override;

  void LinkToCIconViewItemNext(cSp_CIconView* chain);
  cSp_CIconView* UnlinkCIconViewtItemNext();
  cSp_CIconView* GetCIconViewItemBeforeObjectPtr() const { return links_.before; }
  cSp_CIconView* GetCIconViewItemNextObjectPtr() const { return links_.next; }
  cSp_CIconView* GetCIconViewItemLastObjectPtr();

 private:
  cIconDataBlock* block_ = nullptr;
  sSpLinks<cSp_CIconView> links_;
};

class cSp_IconType2View : public cSp_View {
 public:
  cSp_IconType2View(WindowRef window, const Rect& area, short resourceId,
                    IconAlignmentType alignment, IconTransformType transform,
                    cSp_View* container, unsigned char drawInContainerOffscreen);
  unsigned char UpdateProc() override;

 private:
  short resourceId_ = 0;
  IconAlignmentType alignment_ = 0;
  IconTransformType transform_ = 0;
};

class cSp_PictureView : public cSp_View {
 public:
  cSp_PictureView(WindowRef window, const Rect& area, short pictureId, cSp_View* container,
                  unsigned char drawInContainerOffscreen);
  ~cSp_PictureView() override;
  unsigned char UpdateProc() override;
  cSp_PictureItem* GetPictureItem() const { return item_; }

  void LinkToPictureViewItemNext(cSp_PictureView* chain);
  cSp_PictureView* UnlinkPictureViewtItemNext();
  cSp_PictureView* GetPictureViewItemBeforeObjectPtr() const { return links_.before; }
  cSp_PictureView* GetPictureViewItemNextObjectPtr() const { return links_.next; }
  cSp_PictureView* GetPictureViewItemLastObjectPtr();

 private:
  short pictureId_ = 0;
  SInt32 userRef_ = 0;
  cSp_PictureItem* item_ = nullptr;
  sSpLinks<cSp_PictureView> links_;
};
