// Rectangles and points.
#include <algorithm>

#include "QuickDraw.h"

void SetRect(Rect* r, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
  if (r == nullptr) return;
  r->left = left;
  r->top = top;
  r->right = right;
  r->bottom = bottom;
}

void OffsetRect(Rect* r, SInt16 dh, SInt16 dv) {
  if (r == nullptr) return;
  r->left = SInt16(r->left + dh);
  r->right = SInt16(r->right + dh);
  r->top = SInt16(r->top + dv);
  r->bottom = SInt16(r->bottom + dv);
}

void InsetRect(Rect* r, SInt16 dh, SInt16 dv) {
  if (r == nullptr) return;
  const int left = r->left + dh;
  const int right = r->right - dh;
  const int top = r->top + dv;
  const int bottom = r->bottom - dv;
  if (right - left < 1 || bottom - top < 1) {
    *r = Rect{0, 0, 0, 0};
    return;
  }
  *r = Rect{SInt16(top), SInt16(left), SInt16(bottom), SInt16(right)};
}

Boolean SectRect(const Rect* src1, const Rect* src2, Rect* dstRect) {
  if (src1 == nullptr || src2 == nullptr || dstRect == nullptr) return false;
  const Rect r{std::max(src1->top, src2->top), std::max(src1->left, src2->left),
               std::min(src1->bottom, src2->bottom), std::min(src1->right, src2->right)};
  if (r.bottom <= r.top || r.right <= r.left) {
    *dstRect = Rect{0, 0, 0, 0};
    return false;
  }
  *dstRect = r;
  return true;
}

void UnionRect(const Rect* src1, const Rect* src2, Rect* dstRect) {
  if (src1 == nullptr || src2 == nullptr || dstRect == nullptr) return;
  *dstRect = Rect{std::min(src1->top, src2->top), std::min(src1->left, src2->left),
                  std::max(src1->bottom, src2->bottom), std::max(src1->right, src2->right)};
}

Boolean PtInRect(Point pt, const Rect* r) {
  if (r == nullptr) return false;
  return pt.h >= r->left && pt.h < r->right && pt.v >= r->top && pt.v < r->bottom;
}

Boolean EqualRect(const Rect* rect1, const Rect* rect2) {
  if (rect1 == nullptr || rect2 == nullptr) return false;
  return rect1->top == rect2->top && rect1->left == rect2->left && rect1->bottom == rect2->bottom &&
         rect1->right == rect2->right;
}

Boolean EmptyRect(const Rect* r) {
  if (r == nullptr) return true;
  return r->bottom <= r->top || r->right <= r->left;
}

void SetPt(Point* pt, SInt16 h, SInt16 v) {
  if (pt == nullptr) return;
  pt->h = h;
  pt->v = v;
}

Boolean EqualPt(Point pt1, Point pt2) {
  return pt1.h == pt2.h && pt1.v == pt2.v;
}

void AddPt(Point src, Point* dst) {
  if (dst == nullptr) return;
  dst->h = SInt16(dst->h + src.h);
  dst->v = SInt16(dst->v + src.v);
}

void SubPt(Point src, Point* dst) {
  if (dst == nullptr) return;
  dst->h = SInt16(dst->h - src.h);
  dst->v = SInt16(dst->v - src.v);
}
