// The edit-text object: construction and destruction, settings, activation, setting and
// reading the text, the line list, Tab control and the procedures handed to the framework.
#include "SpEditTextObject.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Clock.h"
#include "Events.h"
#include "Scrap.h"
#include "Script.h"
#include "SpErrorInfoSystem.h"
#include "SpETOEditInternal.h"
#include "SpETOOperationRec.h"
#include "SpMouseTraceObject.h"
#include "SpPortSaver.h"

namespace {

const char kSource[] = "SpEditTextObject";

}  // namespace

// ---- Construction ----

cEditTextObject::cEditTextObject(WindowRef window, const Rect& area, SInt16 lineHeight,
                                 unsigned char multiLine, unsigned char editable,
                                 unsigned char selection, cSp_View* container,
                                 unsigned char viewFlag)
    : cSp_DrawingView(window, area, SpETO_ContentsAreaDrawingProc,
                      reinterpret_cast<unsigned long>(this), container, viewFlag),
      cSp_HotSpotArea(window, area),
      cTextServiceObject(window, area),
      cDropCatchObject(window, area, 0, 0) {
  StartUpInitialize();
  EnableViewScroll(kSpHorizontalScrollBar);
  EnableViewScroll(kSpVerticalScrollBar);
  Rect onWindow{0, 0, 0, 0};
  GetDrawingAreaOnWindow(&onWindow);
  DisableHotSpotArea();
  areaVisible_ = 0;
  SetupEditObjTargetAreaParameterFromViewDrawingAreaStatus();
  SpETO_SetupEditTextObjectIntoManager(this);
  lineHeight_ = lineHeight;
  multiLine_ = multiLine;
  editable_ = editable;
  selection_ = selection;
  currentWidth_ = SInt16(area.right - area.left);
  initialWidth_ = currentWidth_;
  mouseTrace_ = new (std::nothrow) cMouseTraceObject(window, onWindow, 0, 2001, nullptr);
  if (mouseTrace_ == nullptr) {
    SpReportFailure(kSource, "cEditTextObject::cEditTextObject", 1,
                    "Not Enough Memory On to Create Mouse Trace Object ");
    return;
  }
  const unsigned long self = reinterpret_cast<unsigned long>(this);
  mouseTrace_->verifyPositionProc = Sp_ETO_MouseTraceVerifyPositionProc;
  mouseTrace_->verifyPositionRefCon = self;
  mouseTrace_->mouseTraceInProc = Sp_ETO_MouseTraceAreaInProc;
  mouseTrace_->mouseTraceInRefCon = self;
  mouseTrace_->mouseTraceOutProc = Sp_ETO_MouseTraceAreaOutProc;
  mouseTrace_->mouseTraceOutRefCon = self;
  SetupEnableFlavorType(kScrapFlavorTypeText);
  SetupEnableFlavorType(kScrapFlavorTypeTextStyle);
  SetupWindowHiliteFlag(1);
  SetHiliteType(kDDO_HiliteTargetArea);
  SetupDragCursorInProc(SpETO_DragCursorTraceIn, self);
  SetupDragCursorMoveProc(SpETO_DragCursorTraceMove, self);
  SetupDragCursorOutProc(SpETO_DragCursorTraceOut, self);
  SetupCatchDropItemsProc(SpETO_CatchDropItem, self);
  CreateNewLineObject(1, horizontalPosition_, insertAttributes_);
  if (firstLine_ == nullptr) {
    SpReportFailure(kSource, "cEditTextObject::cEditTextObject", 2,
                    "Not Enough Memory On to Create Line Object ");
  }
  SetupCaretPoint(firstLine_, 0);
  // One undo level unless the client asks for more.
  undoManager_ = new (std::nothrow) cETOOperationRecMgr(1);
  if (undoManager_ == nullptr) {
    SpReportFailure(kSource, "cEditTextObject::cEditTextObject", 3, kSpMsgMemory);
    return;
  }
  undoManager_->SetupUnDoExistInCallBack(SpETO_UnDoExistInCallBackCatch, self);
  undoManager_->SetupUnDoExistOutCallBack(SpETO_UnDoExistOutCallBackCatch, self);
  undoManager_->SetupReDoExistInCallBack(SpETO_ReDoExistInCallBackCatch, self);
  undoManager_->SetupReDoExistOutCallBack(SpETO_ReDoExistOutCallBackCatch, self);
}

cEditTextObject::~cEditTextObject() {
  if (deleteReady_ == 0) ExecEditTextObjDeleteReady(1);
  delete mouseTrace_;
  mouseTrace_ = nullptr;
  SpDeleteList(firstLine_);
  firstLine_ = nullptr;
  lastLine_ = nullptr;
  SpDeleteList(inputAreaHead_);
  inputAreaHead_ = nullptr;
  SpETO_CancelActiveEditItemFromManager(this, 0);
  delete tabControl_;
  tabControl_ = nullptr;
  delete[] caretText_;
}

void cEditTextObject::StartUpInitialize() {
  areaVisible_ = 0;
  directActive_ = 1;
  autoScroll_ = 1;
  containerAutoScroll_ = 1;
  autoGrow_ = 1;
  urlLaunch_ = mailerLaunch_ = selectAllOnTab_ = onlyAlpha_ = 0;
  onlyNumber_ = onlyNumberOption_ = controlReturn_ = optionReturn_ = variableLineWidth_ = 0;
  lineMinWidth_ = 30;
  lineMaxWidth_ = 0;
  minViewHeight_ = 30;
  maxViewHeight_ = 0;
  reserved_ = 0;
  leftOffset_ = 1;
  rightOffset_ = 2;
  topOffset_ = 2;
  bottomOffset_ = 3;
  horizontalPosition_ = kSpPositionLeft;
  showSelection_ = 1;
  caretMode_ = selectionMode_ = 0;
  startLine_ = endLine_ = nullptr;
  startByte_ = endByte_ = 0;
  arrowPosition_ = -1;
  lastBlink_ = TickCount() - GetCaretTime();
  Sp_InitializeTextStyleAttribute(insertAttributes_);
  textInputInProgress_ = 0;
  useSystemScript_ = 0;
  textServiceOn_ = 0;
  dropCatchOn_ = mouseTraceOn_ = hotSpotOn_ = 1;
  dragHilite_ = 0;
  tabControlOn_ = 0;
  cutUnderViewImage_ = 1;
  deleteReady_ = 0;
}

void cEditTextObject::ExecEditTextObjDeleteReady(unsigned char withBases) {
  if (deleteReady_ != 0) return;
  SpETO_CancelActiveEditItemFromManager(this, 1);
  if (mouseTrace_ != nullptr) mouseTrace_->ExecMouseTraceObjDeleteReady();
  SpETO_RemoveEditTextObjectFromManager(this);
  delete undoManager_;
  undoManager_ = nullptr;
  modifyCB_.proc = nullptr;
  modifyCB_.userData = 0;
  activeCB_.proc = deActiveCB_.proc = mouseDownCB_.proc = mouseUpCB_.proc = nullptr;
  clickCB_.proc = dblClickCB_.proc = selectInCB_.proc = selectOutCB_.proc = nullptr;
  selectionModifyCB_.proc = caretModifyCB_.proc = nullptr;
  undoInCB_.proc = undoOutCB_.proc = redoInCB_.proc = redoOutCB_.proc = nullptr;
  growBeforeCB_.proc = growAfterCB_.proc = nullptr;
  importDropCB_.proc = nullptr;
  if (withBases != 0) {
    ExecDrawingViewObjDeleteReady(1);
    ExecHotSpotObjDeleteReady();
    ExecTextServiceObjDeleteReady();
    ExecDropCatchObjDeleteReady();
  }
  deleteReady_ = 1;
}

// ---- Virtual operations of the view ----

void cEditTextObject::AfterContainerResizeExecute(cSp_View*, short, short, short, short) {
  SetupEditObjTargetAreaParameterFromViewDrawingAreaStatus();
}

void cEditTextObject::BeforeContainerScrollExecute(short, short, short, short) {}

void cEditTextObject::AfterContainerScrollExecute(short, short, short, short) {
  SetupEditObjTargetAreaParameterFromViewDrawingAreaStatus();
}

unsigned char cEditTextObject::CutUnderViewImage(RgnHandle target, RgnHandle work) {
  if (target == nullptr || work == nullptr) {
    return SpReportFailure(kSource, "cEditTextObject::CutUnderViewImage", 1, kSpMsgNullArgument,
                           0);
  }
  if (cutUnderViewImage_ == 0) return 0;
  Rect visible;
  if (GetViewableDrawingAreaOnWindow(visible) == 0) return 0;
  sp_eto_edit::cRegion mine;
  if (!mine) return 0;
  RectRgn(mine, &visible);
  SectRgn(target, mine, work);
  if (EmptyRgn(work)) return 0;
  DiffRgn(target, mine, target);
  return 1;
}

// ---- Flags and settings ----

void cEditTextObject::SetupEditTextFlag(unsigned char f) {
  if ((f != 0) == (editable_ != 0)) return;
  if (f != 0) {
    TextServiceEnable();
    textServiceOn_ = 1;
    if (dropCatchOn_ != 0) EnableCatchDragItem();
  } else {
    TextServiceDisable();
    textServiceOn_ = 0;
    DisableCatchDragItem();
  }
  editable_ = f != 0 ? 1 : 0;
}

void cEditTextObject::SetupAutoGrowFlag(unsigned char grow, unsigned char variableWidth) {
  autoGrow_ = grow;
  SetupVariableLineWidthFlag(variableWidth);
}

void cEditTextObject::SetupVariableLineWidthFlag(unsigned char f) {
  variableLineWidth_ = f;
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    l->SetupVariableWidthFlag(f);
  }
}

void cEditTextObject::SetupOnlyAlfaFlag(unsigned char f) {
  onlyAlpha_ = f;
  // A Roman-only field takes no inline input.
  if (f == 0) {
    TextServiceEnable();
  } else {
    TextServiceDisable();
  }
}

void cEditTextObject::SetupOnlyNumberFlag(unsigned char f, unsigned char option) {
  onlyNumber_ = f;
  onlyNumberOption_ = option;
  if (f != 0) SetupOnlyAlfaFlag(1);
}

void cEditTextObject::GetWindowStyleAttributeIntoInsertPointAttribute() {
  WindowRef window = GetTargetWindowPtr();
  if (window == nullptr) return;
  cSpPortSaver port(window);
  Sp_GetCurrentPortTextStyleAttribute(insertAttributes_);
}

void cEditTextObject::GetEditObjectInfo(sEditTextInfo& info) {
  info = sEditTextInfo{};
  info.areaVisible = areaVisible_;
  info.multiLine = multiLine_;
  info.directActive = directActive_;
  info.editable = editable_;
  info.selection = selection_;
  info.autoScroll = autoScroll_;
  info.containerAutoScroll = containerAutoScroll_;
  info.autoGrow = autoGrow_;
  info.urlLaunch = urlLaunch_;
  info.mailerLaunch = mailerLaunch_;
  info.variableLineWidth = variableLineWidth_;
  info.lineMinWidth = lineMinWidth_;
  info.lineMaxWidth = lineMaxWidth_;
  info.initialWidth = initialWidth_;
  info.minViewHeight = minViewHeight_;
  info.maxViewHeight = maxViewHeight_;
  info.reserved = reserved_;
  info.leftOffset = leftOffset_;
  info.rightOffset = rightOffset_;
  info.topOffset = topOffset_;
  info.bottomOffset = bottomOffset_;
  info.currentWidth = currentWidth_;
  info.lineHeight = lineHeight_;
  info.horizontalPosition = horizontalPosition_;
  info.caretMode = caretMode_;
  info.selectionMode = selectionMode_;
  if ((caretMode_ != 0 || selectionMode_ != 0) && startLine_ != nullptr && endLine_ != nullptr) {
    SInt32 start = 0, end = 0;
    unsigned char startFlag = 0, endFlag = 0;
    if (GetAbsCursorPositionInfo(startLine_, startByte_, start, startFlag) != 0 &&
        GetAbsCursorPositionInfo(endLine_, endByte_, end, endFlag) != 0) {
      info.selectionStart = start;
      info.selectionStartLineTop = startFlag;
      info.selectionEnd = end;
      info.selectionEndLineTop = endFlag;
    }
  }
}

void cEditTextObject::SetEditObjectInfo(const sEditTextInfo& info, unsigned char) {
  areaVisible_ = info.areaVisible;
  SetupMultiLineFlag(info.multiLine);
  SetupDirectActiveFlag(info.directActive);
  SetupEditTextFlag(info.editable);
  SetupSelectionFlag(info.selection);
  SetupAutoScrollFlag(info.autoScroll);
  SetupConainerAutoScrollFlag(info.containerAutoScroll);
  SetupURLRunchFlag(info.urlLaunch);
  SetupMailerRunchFlag(info.mailerLaunch);
  autoGrow_ = info.autoGrow;
  variableLineWidth_ = info.variableLineWidth;
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    unsigned char changed = 0;
    l->SetupVariableWidthFlag(info.variableLineWidth);
    l->SetupLineWidth(info.currentWidth);
    l->SetupLineMinWidth(info.lineMinWidth, 0, changed);
    l->SetupLineMaxWidth(info.lineMaxWidth, 0, changed);
    l->SetupHorizontalPositionType(info.horizontalPosition);
    l->SetupLineHeight(info.lineHeight);
    l->SetupLeftOffset(info.leftOffset);
    l->SetupRightOffset(info.rightOffset);
  }
  lineMinWidth_ = info.lineMinWidth;
  lineMaxWidth_ = info.lineMaxWidth;
  horizontalPosition_ = info.horizontalPosition;
  initialWidth_ = info.initialWidth;
  minViewHeight_ = info.minViewHeight;
  maxViewHeight_ = info.maxViewHeight;
  reserved_ = info.reserved;
  leftOffset_ = info.leftOffset;
  rightOffset_ = info.rightOffset;
  topOffset_ = info.topOffset;
  bottomOffset_ = info.bottomOffset;
  currentWidth_ = info.currentWidth;
  lineHeight_ = info.lineHeight;
  if (info.caretMode != 0 || info.selectionMode != 0) {
    caretMode_ = info.caretMode;
    selectionMode_ = info.selectionMode;
    const SInt32 length = GetTextCharByte(1, 1);
    SetupSelectionPosition(std::clamp<SInt32>(info.selectionStart, 0, length),
                           info.selectionStartLineTop,
                           std::clamp<SInt32>(info.selectionEnd, 0, length),
                           info.selectionEndLineTop, 0, 0);
  }
  FitWidthForAutoLineChange(0);
}

void cEditTextObject::SetEditObjectSelectionOrCaretInfo(const sEditTextInfo& info) {
  if (info.caretMode == 0 && info.selectionMode == 0) return;
  caretMode_ = info.caretMode;
  selectionMode_ = info.selectionMode;
  SetupSelectionPosition(info.selectionStart, info.selectionStartLineTop, info.selectionEnd,
                         info.selectionEndLineTop, 0, 0);
}

// ---- View state ----

void cEditTextObject::EnableEditTextView(unsigned char redraw) {
  EnableViewOutput(0);
  SetupEditObjTargetAreaParameterFromViewDrawingAreaStatus();
  PauseOutBrinkCaret();
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cEditTextObject::DisableEditTextView(unsigned char redraw) {
  PauseBrinkCaret(0);
  TextServiceDisable();
  DeActiveEditText(0);
  if (mouseTrace_ != nullptr) mouseTrace_->DisableMouseTrace();
  DisableViewOutput(0);
  SetupEditObjTargetAreaParameterFromViewDrawingAreaStatus();
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cEditTextObject::DiableEditableFunction() {
  TextServiceDisable();
  if (mouseTrace_ != nullptr) mouseTrace_->DisableMouseTrace();
  DisableHotSpotArea();
  DisableCatchDragItem();
}

void cEditTextObject::EnableMouseTraceOnEditTextView() {
  if (mouseTrace_ != nullptr) mouseTrace_->EnableMouseTrace();
  mouseTraceOn_ = 1;
}

void cEditTextObject::DisableMouseTraceEditTextView() {
  if (mouseTrace_ != nullptr) mouseTrace_->DisableMouseTrace();
  mouseTraceOn_ = 0;
}

void cEditTextObject::EnableHotspotOnEditTextView() {
  if (hotSpotOn_ != 0) return;
  EnableHotSpotArea();
  hotSpotOn_ = 1;
}

void cEditTextObject::DisableHotspotEditTextView() {
  if (hotSpotOn_ == 0) return;
  DisableHotSpotArea();
  hotSpotOn_ = 0;
}

void cEditTextObject::SetupEditObjTargetAreaParameterFromViewDrawingAreaStatus() {
  Rect visible{0, 0, 0, 0};
  if (IsEnableView() != 0 && GetViewableDrawingAreaOnWindow(visible) != 0) {
    if (hotSpotOn_ != 0 && IsHotSpotEnable() == 0) EnableHotSpotArea();
    if (textServiceOn_ != 0 && IsTextServiceEnable() == 0) TextServiceEnable();
    if (dropCatchOn_ != 0 && IsEnableCacheDragItem() == 0) EnableCatchDragItem();
    if (mouseTraceOn_ != 0 && mouseTrace_ != nullptr && mouseTrace_->IsMouseTraceEnable() == 0) {
      mouseTrace_->EnableMouseTrace();
    }
    areaVisible_ = 1;
    const Rect whole = DrawingAreaOnWindow();
    SetupHotSpotArea(whole);
    SetupDocumentArea(whole);
    SetupDropTargetArea(whole);
    if (mouseTrace_ != nullptr) mouseTrace_->ModifyMouseTraceArea(whole, 0);
    return;
  }
  // Hidden: no clicks, no inline input, no hover; what the object wants is kept for later.
  if (IsHotSpotEnable() != 0) DisableHotSpotArea();
  if (IsTextServiceEnable() != 0) TextServiceDisable();
  if (IsEnableCacheDragItem() != 0) DisableCatchDragItem();
  if (mouseTrace_ != nullptr && mouseTrace_->IsMouseTraceEnable() != 0) {
    mouseTrace_->DisableMouseTrace();
  }
  areaVisible_ = 0;
}

// ---- Activation ----

void cEditTextObject::ActivateEditText(unsigned char enableInput, unsigned char redraw) {
  textInputInProgress_ = 0;
  SpETO_SetupAcitiveEditItemIntoManager(this, 0);
  if (onlyAlpha_ != 0) {
    KeyScript(smKeyRoman);
    KeyScript(smKeyDisableKybdSwitch);
  } else if (enableInput != 0) {
    if (useSystemScript_ != 0) {
      KeyScript(smKeySysScript);
      KeyScript(smKeyEnableKybds);
    }
    EnableTextInput();
  }
  ExecActiveTextCB();
  EditTextActivateProc();
  RedrawSelectionArea(0);
  if (tabControlOn_ != 0 && tabControl_ != nullptr) tabControl_->ReportTabControlIn();
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cEditTextObject::DeActiveEditText(unsigned char redraw) {
  if (onlyAlpha_ != 0) KeyScript(smKeyEnableKybds);
  SpETO_CancelActiveEditItemFromManager(this, redraw);
  // The ring hears of the field that takes the keyboard next, not of this one leaving.
  textInputInProgress_ = 0;
}

void cEditTextObject::CancelActivation(unsigned char redraw) {
  if (caretMode_ != 0) {
    EraseCaret(0);
  } else if (selectionMode_ != 0) {
    RedrawSelectionArea(0);
  }
  if (onlyAlpha_ != 0) KeyScript(smKeyEnableKybds);
  DisableTextInput();
  ExecDeActiveTextCB();
  EditTextDeActivateProc();
  if (redraw != 0) ReDrawAreaUpdateView(0);
}

void cEditTextObject::PauseActivation(unsigned char redraw) {
  if (caretMode_ != 0) {
    EraseCaret(redraw);
  } else if (selectionMode_ != 0) {
    RedrawSelectionArea(redraw);
  }
}

void cEditTextObject::ResumeEdit() {
  if (selectionMode_ != 0) UpdateViewableDrawingArea(1, 1, nullptr);
  if (onlyAlpha_ != 0) {
    KeyScript(smKeyRoman);
    KeyScript(smKeyDisableKybds);
  }
}

unsigned char cEditTextObject::IsActiveEditText() {
  return SpETO_IsActiveEditItem(this);
}

void cEditTextObject::EnableTextInput() {
  if (IsTextServiceEnable() == 0) TextServiceEnable();
  textServiceOn_ = 1;
  EnableInlineInput(1);
}

void cEditTextObject::DisableTextInput() {
  EnableInlineInput(0);
}

void cEditTextObject::ShowCursorPosition(unsigned char redraw) {
  unsigned char changed = 0;
  if (startLine_ != nullptr) {
    ShowTargetPosition(startLine_, startByte_, changed, redraw);
  } else if (firstLine_ != nullptr) {
    ShowTargetPosition(firstLine_, 0, changed, redraw);
  }
}

// ---- Text ----

template <class Fill>
void cEditTextObject::ReplaceText(Fill fill, unsigned char redraw) {
  SInt32 start = 0, end = 0;
  unsigned char startFlag = 0, endFlag = 0;
  const bool hadRange = ExistSelectionText() != 0 &&
                        GetSelectionInfoStock(start, startFlag, end, endFlag) != 0;
  const SInt32 oldHeight = GetTotalLineHeight();
  if (firstLine_ != nullptr) {
    SpDeleteList(firstLine_->UnlinkNext());
    lastLine_ = firstLine_;
  } else {
    CreateNewLineObject(1, horizontalPosition_, insertAttributes_);
    if (firstLine_ == nullptr) return;
  }
  // The old positions name lines that are gone.
  startLine_ = endLine_ = dragCaretLine_ = nullptr;
  fill(firstLine_);
  unsigned char widthChanged = 0;
  TragetLineResetBreakLine(firstLine_, oldHeight, widthChanged, 0);
  if (redraw != 0) ReDrawAreaUpdateView(0);
  RenumberAndPlaceLines();
  if (hadRange) {
    const SInt32 length = GetTextCharByte(1, 1);
    SetupSelectionPosition(std::min(start, length), startFlag, std::min(end, length), endFlag, 0,
                           0);
  } else {
    InitializeSelection();
  }
}

void cEditTextObject::SetupText(const char* text, unsigned char redraw) {
  if (text == nullptr) {
    SpReportFailure(kSource, "cEditTextObject::SetupText", 1, kSpMsgNullArgument);
    return;
  }
  ReplaceText([text](cTextLineObject* line) { line->SetupText(text); }, redraw);
}

void cEditTextObject::SetupText(sSO_StringObjectBase* text, unsigned char redraw) {
  const SInt32 length = SpSO_GetStringLen(text);
  if (text == nullptr || length <= 0) return;
  std::vector<char> buffer(std::size_t(length) + 4, 0);
  unsigned char cut = 0;
  SpSO_GetString(text, buffer.data(), SInt32(buffer.size()), cut);
  SetupText(buffer.data(), redraw);
}

void cEditTextObject::SetupText(cSp_RunSet& runSet, unsigned char redraw) {
  if (runSet.GetStyleRunListHeadPtr() == nullptr) {
    SetupText("", redraw);
    return;
  }
  GrafPtr port = GetWindowPort(GetTargetWindowPtr());
  ReplaceText(
      [&runSet, port](cTextLineObject* line) {
        line->SetupText(runSet);
        line->SetupGrafPort(port);
      },
      redraw);
}

void cEditTextObject::AddText(const char* text, unsigned char redraw) {
  if (text == nullptr) {
    SpReportFailure(kSource, "cEditTextObject::AddText", 1, kSpMsgNullArgument);
    return;
  }
  if (firstLine_ == nullptr) {
    SetupText(text, redraw);
    return;
  }
  UpdateLastLine();
  sTextStyleAttributes attributes;
  lastLine_->GetLastRunAttribute(attributes);
  const SInt32 oldHeight = GetTotalLineHeight();
  SInt32 bytes = 0, tabs = 0, breaks = 0;
  lastLine_->InsertString(text, lastLine_->GetNumOfTextByte(1, 1), attributes, bytes, tabs,
                          breaks);
  if (bytes + tabs + breaks <= 0) return;
  unsigned char widthChanged = 0;
  TragetLineResetBreakLine(lastLine_, oldHeight, widthChanged, redraw);
}

SInt32 cEditTextObject::GetTextCharByte(unsigned char withTab, unsigned char withLineBreak) const {
  SInt32 total = 0;
  for (const cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    total += l->GetNumOfTextByte(withTab, withLineBreak);
  }
  return total;
}

SInt32 cEditTextObject::GetTargetLineTextCharByte(SInt32 n, unsigned char withTab,
                                                  unsigned char withLineBreak) const {
  const cTextLineObject* line = GetLinePtr(n);
  return line != nullptr ? line->GetNumOfTextByte(withTab, withLineBreak) : 0;
}

SInt32 cEditTextObject::GetNumOfLine() const {
  SInt32 count = 0;
  for (const cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) ++count;
  return count;
}

void cEditTextObject::GetTargetLineText(SInt32 n, unsigned char, char* buffer, SInt32 size,
                                        unsigned char& overflow) const {
  overflow = 0;
  if (buffer == nullptr || size < 1) {
    overflow = 1;
    return;
  }
  buffer[0] = '\0';
  cTextLineObject* line = GetLinePtr(n);
  if (line == nullptr) return;
  const SInt32 bytes = line->GetNumOfTextByte(1, 1);
  if (bytes <= 0) return;
  line->GetScopeString(0, bytes, buffer, size, overflow);
}

void cEditTextObject::GetTextRunSize(SInt32& runs, SInt32& bytes, unsigned char withTab,
                                     unsigned char withLineBreak) const {
  runs = 0;
  bytes = 0;
  for (const cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    SInt32 r = 0, b = 0;
    l->GetTextRunSize(r, b, withTab, withLineBreak);
    runs += r;
    bytes += b;
  }
}

unsigned char cEditTextObject::EqualText(const char* text, unsigned char withLineBreak) {
  if (firstLine_ == nullptr) return 1;
  if (text == nullptr) return 0;
  const std::string all = text;
  std::size_t at = 0;
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    // Each line against the part of the text that stands where it does.
    const std::size_t length = std::size_t(l->GetNumOfTextByte(1, withLineBreak));
    const std::string part = at < all.size() ? all.substr(at, length) : std::string();
    SInt32 matched = 0;
    if (l->EqualLineText(part.c_str(), withLineBreak, matched) == 0) return 0;
    at += length;
  }
  return 1;
}

SInt32 cEditTextObject::GetTargetString(sSO_StringObjectBase* out, cTextLineObject* startLine,
                                        SInt32 startByte, cTextLineObject* endLine,
                                        SInt32 endByte, unsigned char withLineBreak) {
  if (out == nullptr) return 0;
  SpSO_Clear(out);
  const std::string text =
      sp_eto_edit::TextBetween(startLine, startByte, endLine, endByte, withLineBreak);
  if (text.empty()) return 0;
  SpSO_strncopy(out, text.c_str(), SInt32(text.size()));
  return SInt32(text.size());
}

namespace {

// Where a copy of the line's runs from `p` starts: a two-byte character is never cut.
SInt32 CharacterStart(const cTextLineObject* line, SInt32 p) {
  SInt32 start = 0;
  for (const cTextStyleRunObject* run = line->GetStyleRunListHeadPtr(); run != nullptr;
       run = run->GetNextObjectPtr()) {
    const SInt32 end = start + run->ByteLength();
    if (p < end) return run->IsText() && run->IsTwoByte() ? start + ((p - start) / 2) * 2 : p;
    start = end;
  }
  return p;
}

}  // namespace

SInt32 cEditTextObject::GetTargetString(cSp_RunSet& out, cTextLineObject* startLine,
                                        SInt32 startByte, cTextLineObject* endLine,
                                        SInt32 endByte, unsigned char withLineBreak) {
  out.ClearRunSet();
  sp_eto_edit::sSpan span;
  if (!sp_eto_edit::Order(startLine, startByte, endLine, endByte, span)) return 0;
  // The bytes and the run copies are gathered first and handed to the run set once: a run
  // set appended to piece by piece counts its whole string at every piece.
  std::string bytes;
  cTextStyleRunObject* head = nullptr;
  cTextStyleRunObject* tail = nullptr;
  for (cTextLineObject* l = span.first; l != nullptr; l = l->GetNextObjectPtr()) {
    const SInt32 from = l == span.first ? span.firstByte : 0;
    const SInt32 to = l == span.last ? span.lastByte : l->GetNumOfTextByte(1, withLineBreak);
    if (to > from) {
      cTextStyleRunObject* h = nullptr;
      cTextStyleRunObject* t = nullptr;
      SInt32 count = 0;
      l->GetTargetAreaRun(from, to - 1, withLineBreak, h, t, count);
      if (h != nullptr) {
        const std::vector<char> text = l->CopyText();
        const char* first = text.data() + CharacterStart(l, from);
        bytes.append(first, std::size_t(count));
        // Only the end runs may have been cut: they are measured again.
        if (h->IsText()) h->ReCalcurateRunTextWidth(first);
        if (t != h && t->IsText()) t->ReCalcurateRunTextWidth(first + count - t->ByteLength());
        SpAppendToList(head, tail, h);
        tail = t;
      }
    }
    if (l == span.last) break;
  }
  if (head == nullptr) return 0;
  out.AppendString(bytes.data(), 0, SInt32(bytes.size()));
  out.AppendStyleRun(head);
  return SInt32(bytes.size());
}

void cEditTextObject::GetTextByCopyRunSet(cSp_RunSet& out, unsigned char withTab,
                                          unsigned char withLineBreak) {
  out.ClearRunSet();
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    l->GetAppendCopyRunSet(out, withTab, withLineBreak);
  }
}

unsigned char cEditTextObject::SerchTargetCharactor(char c, cTextLineObject* line, SInt32 from,
                                                    cTextLineObject** foundLine,
                                                    SInt32* foundByte) {
  if (line == nullptr) {
    line = firstLine_;
    from = 0;
  }
  if (line != nullptr && from > line->GetNumOfTextByte(1, 1)) {
    line = line->GetNextObjectPtr();
    from = 0;
  }
  cTextLineObject* last = line;
  for (; line != nullptr; line = line->GetNextObjectPtr(), from = 0) {
    last = line;
    SInt32 found = 0;
    if (line->SerchTargetCharactor(c, std::max<SInt32>(from, 0), &found) != 0) {
      if (foundLine != nullptr) *foundLine = line;
      if (foundByte != nullptr) *foundByte = found;
      return 1;
    }
  }
  if (foundLine != nullptr) *foundLine = last;
  return 0;
}

// ---- The line list ----

cTextLineObject* cEditTextObject::CreateNewLineObject(SInt32 afterReference,
                                                      tPositionType position,
                                                      const sTextStyleAttributes& attributes) {
  cTextLineObject* line = new (std::nothrow)
      cTextLineObject(GetWindowPort(GetTargetWindowPtr()), lineHeight_, position,
                      multiLine_ != 0 ? 1 : 0, attributes);
  if (line == nullptr) return nullptr;
  unsigned char changed = 0;
  line->SetupVariableWidthFlag(variableLineWidth_);
  line->SetupLineWidth(currentWidth_);
  line->SetupLineMinWidth(lineMinWidth_, 0, changed);
  line->SetupLineMaxWidth(lineMaxWidth_, 0, changed);
  line->SetupHorizontalPositionType(horizontalPosition_);
  line->SetupLineHeight(lineHeight_);
  line->SetupLeftOffset(leftOffset_);
  line->SetupRightOffset(rightOffset_);
  if (firstLine_ != nullptr && afterReference != 0) {
    cTextLineObject* after = GetLinePtr(afterReference);
    if (after == nullptr) after = firstLine_->GetLastObjectPtr();
    cTextLineObject* rest = after->UnlinkNext();
    after->LinkToNext(line);
    line->LinkToNext(rest);
  } else {
    line->LinkToNext(firstLine_);
    firstLine_ = line;
  }
  UpdateLastLine();
  line->SetupReferenceNo(1);
  firstLine_->SetupLineVerticalPosition(topOffset_, 1);
  return line;
}

cTextLineObject* cEditTextObject::GetLinePtr(SInt32 reference) const {
  for (cTextLineObject* l = firstLine_; l != nullptr; l = l->GetNextObjectPtr()) {
    if (l->GetReferenceNo() == reference) return l;
  }
  return nullptr;
}

void cEditTextObject::RememberLineBreakLinePosition() {
  if (firstLine_ != nullptr) firstLine_->RememberRunList(1);
}

void cEditTextObject::UpdateLastLine() {
  lastLine_ = firstLine_ != nullptr ? firstLine_->GetLastObjectPtr() : nullptr;
}

void cEditTextObject::RenumberAndPlaceLines() {
  UpdateLastLine();
  if (firstLine_ == nullptr) return;
  firstLine_->SetupReferenceNo(1);
  firstLine_->SetupLineVerticalPosition(topOffset_, 1);
}

// ---- The manager's list ----

void cEditTextObject::LinkToEditTextNext(cEditTextObject* item) {
  if (item == nullptr || item == this) return;
  cEditTextObject* last = GetEditTextLastObjectPtr();
  last->etNext_ = item;
  item->etBefore_ = last;
}

cEditTextObject* cEditTextObject::UnlinkEditTextNext() {
  cEditTextObject* item = etNext_;
  if (item == nullptr) return nullptr;
  etNext_ = nullptr;
  item->etBefore_ = nullptr;
  return item;
}

cEditTextObject* cEditTextObject::GetEditTextLastObjectPtr() {
  cEditTextObject* item = this;
  while (item->etNext_ != nullptr) item = item->etNext_;
  return item;
}

// ---- Tab control ----

void cEditTextObject::EnableEditTabControlMove() {
  if (tabControl_ == nullptr) {
    tabControl_ = new (std::nothrow) cTabControlObj(GetTargetWindowPtr(), -1);
    if (tabControl_ == nullptr) return;
  }
  tabControlOn_ = 1;
  const unsigned long self = reinterpret_cast<unsigned long>(this);
  tabControl_->SetupTabCntMoveInProcPtr(SpETOT_CatchTabControlMoveInCB, self);
  tabControl_->SetupTabCntMoveOutProcPtr(SpETOT_CatchTabControlMoveOutCB, self);
}

void cEditTextObject::DisableEditTabControlMove() {
  delete tabControl_;
  tabControl_ = nullptr;
  tabControlOn_ = 0;
}

unsigned char cEditTextObject::CatchTabControlMoveInCB() {
  if (ExistSelectionText() == 0 && caretMode_ == 0) {
    SetupCaretPosition(GetTextCharByte(1, 1), 0);
  }
  if (selectAllOnTab_ != 0) SelectionAll(0, 0);
  ActivateEditText(1, 1);
  return 1;
}

// ---- Procedures handed to the framework ----

void SpETO_ContentsAreaDrawingProc(unsigned long refCon, Rect* area) {
  if (refCon != 0) reinterpret_cast<cEditTextObject*>(refCon)->DrawEditText(area);
}

unsigned char Sp_ETO_MouseTraceVerifyPositionProc(Point localPoint, short modifiers,
                                                  unsigned long refCon, short& areaCode) {
  if (refCon == 0) return 0;
  return reinterpret_cast<cEditTextObject*>(refCon)->MouseTraceVerifyPosition(
             localPoint, modifiers, refCon, areaCode) != 0
             ? 1
             : 0;
}

void Sp_ETO_MouseTraceAreaInProc(Point localPoint, short modifiers, unsigned long refCon) {
  if (refCon != 0) reinterpret_cast<cEditTextObject*>(refCon)->MouseTraceIn(localPoint, modifiers);
}

void Sp_ETO_MouseTraceAreaOutProc(short, unsigned long refCon) {
  if (refCon != 0) reinterpret_cast<cEditTextObject*>(refCon)->MouseTraceOut();
}

void SpETO_UnDoExistInCallBackCatch(cETOOperationRecMgr*, unsigned long refCon) {
  if (refCon != 0) reinterpret_cast<cEditTextObject*>(refCon)->ExecUnDoExistInCB();
}

void SpETO_UnDoExistOutCallBackCatch(cETOOperationRecMgr*, unsigned long refCon) {
  if (refCon != 0) reinterpret_cast<cEditTextObject*>(refCon)->ExecUnDoExistOutCB();
}

void SpETO_ReDoExistInCallBackCatch(cETOOperationRecMgr*, unsigned long refCon) {
  if (refCon != 0) reinterpret_cast<cEditTextObject*>(refCon)->ExecReDoExistInCB();
}

void SpETO_ReDoExistOutCallBackCatch(cETOOperationRecMgr*, unsigned long refCon) {
  if (refCon != 0) reinterpret_cast<cEditTextObject*>(refCon)->ExecReDoExistOutCB();
}

unsigned char SpETOT_CatchTabControlMoveInCB(unsigned long refCon) {
  if (refCon == 0) return 0;
  return reinterpret_cast<cEditTextObject*>(refCon)->CatchTabControlMoveInCB();
}

void SpETOT_CatchTabControlMoveOutCB(unsigned long) {}

// ---- Drags over the field ----

unsigned char cEditTextObject::CheckDragEnableOnTargetPoint(Point localPoint) {
  sp_eto_edit::cRegion visible;
  if (!visible || GetViewableDrawingAreaRgnOnWindow(visible, 1, 1) == 0) return !visible ? 1 : 0;
  return PtInRgn(localPoint, visible) ? 1 : 0;
}

void SpETO_DragCursorTraceIn(DragRef drag, Point localPoint, unsigned long refCon) {
  if (refCon != 0) reinterpret_cast<cEditTextObject*>(refCon)->TraceDragCursorIn(drag, localPoint);
}

void SpETO_DragCursorTraceMove(DragRef drag, Point localPoint, unsigned long refCon) {
  if (refCon != 0) {
    reinterpret_cast<cEditTextObject*>(refCon)->TraceMoveDragCursor(drag, localPoint);
  }
}

void SpETO_DragCursorTraceOut(DragRef drag, Point localPoint, unsigned long refCon) {
  if (refCon != 0) reinterpret_cast<cEditTextObject*>(refCon)->TraceDragCursorOut(drag, localPoint);
}

short SpETO_CatchDropItem(Point localPoint, unsigned long refCon, cDragDataItem* items,
                          UInt32* dragAttributes) {
  if (refCon == 0) return paramErr;
  return reinterpret_cast<cEditTextObject*>(refCon)->CatchDragItems(localPoint, items,
                                                                    dragAttributes);
}

// ---- The hover area ----

SInt32 cEditTextObject::MouseTraceVerifyPosition(Point localPoint, short, unsigned long,
                                                 short&) {
  Point offscreen;
  OnWindowPositToEditorOffscreenPosit(localPoint, offscreen);
  const short id = PtInSelectedArea(offscreen) != 0 ? 2000 : 2001;
  if (id != traceCursor_ && mouseTrace_ != nullptr) {
    traceCursor_ = id;
    mouseTrace_->SetupMouseTaraceCursor(0, id);
    mouseTrace_->ChangeMouseTraceCursorNow();
  }
  return 1;
}

void cEditTextObject::MouseTraceIn(Point, short) {
  MouseTraceOut();
}

void cEditTextObject::MouseTraceOut() {
  if (traceCursor_ == 2001 || mouseTrace_ == nullptr) return;
  traceCursor_ = 2001;
  mouseTrace_->SetupMouseTaraceCursor(0, 2001);
}
