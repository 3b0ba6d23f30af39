// The client callbacks of an edit-text object: each a procedure and its reference value,
// stored by a Setup operation and called by the matching Exec operation (0 when none is set).
#include "SpEditTextObject.h"

namespace {

template <class TProc>
void Store(sSpCallback<TProc>& slot, TProc proc, unsigned long refCon) {
  slot.proc = proc;
  slot.userData = refCon;
}

template <class TProc, class... Args>
unsigned char Call(const sSpCallback<TProc>& slot, cEditTextObject* self, Args... args) {
  if (slot.proc == nullptr) return 0;
  slot.proc(self, args..., slot.userData);
  return 1;
}

}  // namespace

void cEditTextObject::SetupModifyTextCB(tETO_ModifyTextProcPtr proc, unsigned long refCon) {
  Store(modifyCB_, proc, refCon);
}
void cEditTextObject::SetupActiveTextCB(tETO_NotifyProcPtr proc, unsigned long refCon) {
  Store(activeCB_, proc, refCon);
}
void cEditTextObject::SetupDeActiveTextCB(tETO_NotifyProcPtr proc, unsigned long refCon) {
  Store(deActiveCB_, proc, refCon);
}
void cEditTextObject::SetupMouseDownTextCB(tETO_NotifyProcPtr proc, unsigned long refCon) {
  Store(mouseDownCB_, proc, refCon);
}
void cEditTextObject::SetupMouseUpTextCB(tETO_NotifyProcPtr proc, unsigned long refCon) {
  Store(mouseUpCB_, proc, refCon);
}
void cEditTextObject::SetupClickTextCB(tETO_NotifyProcPtr proc, unsigned long refCon) {
  Store(clickCB_, proc, refCon);
}
void cEditTextObject::SetupDblClickTextCB(tETO_NotifyProcPtr proc, unsigned long refCon) {
  Store(dblClickCB_, proc, refCon);
}
void cEditTextObject::SetupAutoViewGrowBeforeTextCB(tETO_GrowProcPtr proc, unsigned long refCon) {
  Store(growBeforeCB_, proc, refCon);
}
void cEditTextObject::SetupAutoViewGrowAfterTextCB(tETO_GrowProcPtr proc, unsigned long refCon) {
  Store(growAfterCB_, proc, refCon);
}
void cEditTextObject::SetupSelectInCB(tETO_NotifyProcPtr proc, unsigned long refCon) {
  Store(selectInCB_, proc, refCon);
}
void cEditTextObject::SetupSelectOutCB(tETO_NotifyProcPtr proc, unsigned long refCon) {
  Store(selectOutCB_, proc, refCon);
}
void cEditTextObject::SetupSelectionModifyCB(tETO_NotifyProcPtr proc, unsigned long refCon) {
  Store(selectionModifyCB_, proc, refCon);
}
void cEditTextObject::SetupCaretModifyCB(tETO_NotifyProcPtr proc, unsigned long refCon) {
  Store(caretModifyCB_, proc, refCon);
}
void cEditTextObject::SetupUnDoExistInCB(tETO_NotifyProcPtr proc, unsigned long refCon) {
  Store(undoInCB_, proc, refCon);
}
void cEditTextObject::SetupUnDoExistOutCB(tETO_NotifyProcPtr proc, unsigned long refCon) {
  Store(undoOutCB_, proc, refCon);
}
void cEditTextObject::SetupReDoExistInCB(tETO_NotifyProcPtr proc, unsigned long refCon) {
  Store(redoInCB_, proc, refCon);
}
void cEditTextObject::SetupReDoExistOutCB(tETO_NotifyProcPtr proc, unsigned long refCon) {
  Store(redoOutCB_, proc, refCon);
}
void cEditTextObject::SetupImportDropCatchCB(tETO_ImportDropProcPtr proc, unsigned long refCon) {
  Store(importDropCB_, proc, refCon);
}

unsigned char cEditTextObject::ExecModifyTextCB(tETO_ModifyType type) {
  return Call(modifyCB_, this, type);
}
unsigned char cEditTextObject::ExecActiveTextCB() {
  return Call(activeCB_, this);
}
unsigned char cEditTextObject::ExecDeActiveTextCB() {
  return Call(deActiveCB_, this);
}
unsigned char cEditTextObject::ExecMouseDownTextCB() {
  return Call(mouseDownCB_, this);
}
unsigned char cEditTextObject::ExecMouseUpTextCB() {
  return Call(mouseUpCB_, this);
}
unsigned char cEditTextObject::ExecClickTextCB() {
  return Call(clickCB_, this);
}
unsigned char cEditTextObject::ExecDblClickTextCB() {
  return Call(dblClickCB_, this);
}
unsigned char cEditTextObject::ExecAutoViewGrowBeforeTextCB(Rect& oldArea, Rect& newArea) {
  return Call(growBeforeCB_, this, &oldArea, &newArea);
}
unsigned char cEditTextObject::ExecAutoViewGrowAfterTextCB(Rect& oldArea, Rect& newArea) {
  return Call(growAfterCB_, this, &oldArea, &newArea);
}
unsigned char cEditTextObject::ExecSelectInCB() {
  return Call(selectInCB_, this);
}
unsigned char cEditTextObject::ExecSelectOutCB() {
  return Call(selectOutCB_, this);
}
unsigned char cEditTextObject::ExecSelectionModifyCB() {
  return Call(selectionModifyCB_, this);
}
unsigned char cEditTextObject::ExecCaretModifyCB() {
  return Call(caretModifyCB_, this);
}
unsigned char cEditTextObject::ExecUnDoExistInCB() {
  return Call(undoInCB_, this);
}
unsigned char cEditTextObject::ExecUnDoExistOutCB() {
  return Call(undoOutCB_, this);
}
unsigned char cEditTextObject::ExecReDoExistInCB() {
  return Call(redoInCB_, this);
}
unsigned char cEditTextObject::ExecReDoExistOutCB() {
  return Call(redoOutCB_, this);
}
unsigned char cEditTextObject::ExecImportDropCatchCB(SInt32 position, SInt32 length, SInt16 kind) {
  return Call(importDropCB_, this, position, length, kind);
}
