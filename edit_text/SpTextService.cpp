// Text services: the inline-input objects, their manager with the TSM document, the start of
// text services and the framework's hooks.
#include "SpTextService.h"

#include <vector>

#include "Gestalt.h"
#include "OSUtils.h"
#include "SpCarbonEventHandlers.h"
#include "SpErrorInfoSystem.h"
#include "SpEventToolsClass.h"
#include "SpPortSaver.h"
#include "SpStdFunctionNumber.h"

namespace {
const char kSource[] = "SpTextService";

// The dispose procedures registered by the starts of text services, for the test API's reset.
std::vector<unsigned long>& DisposeProcedureRefNums() {
  static std::vector<unsigned long> refNums;
  return refNums;
}
}  // namespace

unsigned char textServciceAvailableFlag_GlV = 0;
cTextServiceObjectManager* textServiceMgr_GlV = nullptr;

// ---- cTextServiceObject ----

cTextServiceObject::cTextServiceObject(WindowRef window, const Rect& area) {
  StartUpInitialize();
  tsWindow_ = window;
  tsArea_ = area;
  if (cTextServiceObjectManager* manager = SpTS_GetTextServiceManager(1)) {
    manager->SetupIntoItemList(this);
  }
}

cTextServiceObject::~cTextServiceObject() {
  if (tsDeleteReady_ == 0) ExecTextServiceObjDeleteReady();
}

void cTextServiceObject::StartUpInitialize() {
  tsWindow_ = nullptr;
  tsArea_ = Rect{0, 0, 0, 0};
  tsEnabled_ = 1;
  tsDeleteReady_ = 0;
  tsBefore_ = nullptr;
  tsNext_ = nullptr;
}

void cTextServiceObject::ExecTextServiceObjDeleteReady() {
  if (tsDeleteReady_ != 0) return;
  if (textServiceMgr_GlV != nullptr) {
    textServiceMgr_GlV->UnsetupCurrentInlineTargetItem(this);
    textServiceMgr_GlV->UnLinkMemberItem(this);
  }
  tsDeleteReady_ = 1;
}

void cTextServiceObject::LinkToNextTSObj(cTextServiceObject* item) {
  if (item == nullptr || item == this) return;
  cTextServiceObject* last = GetLastTSObjectPtr();
  last->tsNext_ = item;
  item->tsBefore_ = last;
}

cTextServiceObject* cTextServiceObject::UnlinkNextTSObj() {
  cTextServiceObject* item = tsNext_;
  if (item == nullptr) return nullptr;
  tsNext_ = nullptr;
  item->tsBefore_ = nullptr;
  return item;
}

cTextServiceObject* cTextServiceObject::GetLastTSObjectPtr() {
  cTextServiceObject* item = this;
  while (item->tsNext_ != nullptr) item = item->tsNext_;
  return item;
}

void cTextServiceObject::TextServiceDisable() {
  if (tsEnabled_ != 0 && textServiceMgr_GlV != nullptr &&
      textServiceMgr_GlV->IsCurrentTargetItem(this)) {
    textServiceMgr_GlV->UnsetupCurrentInlineTargetItem(this);
  }
  tsEnabled_ = 0;
}

void cTextServiceObject::EnableInlineInput(unsigned char on) {
  if (tsEnabled_ == 0 || textServiceMgr_GlV == nullptr) return;
  if (on != 0) {
    textServiceMgr_GlV->SetupCurrentInlineTargetItem(this);
  } else {
    textServiceMgr_GlV->UnsetupCurrentInlineTargetItem(this);
  }
}

unsigned char cTextServiceObject::CheckTextActiveInputTarget() const {
  return (textServiceMgr_GlV != nullptr && textServiceMgr_GlV->IsCurrentTargetItem(this)) ? 1 : 0;
}

unsigned char cTextServiceObject::UpdateActiveInputArea(cTSO_UpdateData*) {
  return 0;
}

unsigned char cTextServiceObject::PtInActiveInputArea(Point point) {
  return PtInRect(point, &tsArea_) ? 1 : 0;
}

unsigned char cTextServiceObject::AmIEnableActiveInputAreaNow() {
  return 0;
}

SInt16 cTextServiceObject::PositionToPartsTypeNo(Point point) {
  return PtInRect(point, &tsArea_) ? kTSMInsideOfActiveInputArea : kTSMOutsideOfBody;
}

unsigned char cTextServiceObject::PositionToByteChar(Point, SInt16, SInt32&) {
  return 0;
}

unsigned char cTextServiceObject::ByteCharToPositon(SInt32, Point&) {
  return 0;
}

unsigned char cTextServiceObject::GetPositionFont(SInt32, SInt16&) {
  return 0;
}

unsigned char cTextServiceObject::GetPositionTextSize(SInt32, SInt16&) {
  return 0;
}

unsigned char cTextServiceObject::GetPositionLineHeight(SInt32, SInt16&) {
  return 0;
}

unsigned char cTextServiceObject::GetPositionLineAscent(SInt32, SInt16&) {
  return 0;
}

unsigned char cTextServiceObject::GetPositionAngle(SInt32, SInt16& angle) {
  angle = 90;
  return 1;
}

void cTextServiceObject::EmergencyFixAllString() {}

// ---- cTextServiceObjectManager ----

cTextServiceObjectManager::cTextServiceObjectManager() {
  StartUpInitialize();
  CreateNewTSMDocument();
  UseInputWindow(document_, true);
}

cTextServiceObjectManager::~cTextServiceObjectManager() {
  if (current_ != nullptr) {
    current_->EmergencyFixAllString();
    current_ = nullptr;
  }
  DeactivateTSMO();
  DeleteTSMO();
  SpSO_DisposeStringObject(pending_);
}

void cTextServiceObjectManager::StartUpInitialize() {
  head_ = nullptr;
  tail_ = nullptr;
  current_ = nullptr;
  document_ = nullptr;
  pending_ = SpSO_NewStringObject();
}

void cTextServiceObjectManager::CreateNewTSMDocument() {
  if (textServciceAvailableFlag_GlV == 0) return;
  const OSType types[1] = {kTextService};
  TSMDocumentID fresh = nullptr;
  if (NewTSMDocument(1, types, &fresh, reinterpret_cast<unsigned long>(this)) != noErr) return;
  TSMDocumentID old = document_;
  document_ = fresh;
  if (old != nullptr) DeleteTSMDocument(old);
}

void cTextServiceObjectManager::SetupIntoItemList(cTextServiceObject* item) {
  if (item == nullptr) return;
  for (cTextServiceObject* t = head_; t != nullptr; t = t->GetNextTSObjectPtr()) {
    if (t == item) return;
  }
  if (tail_ == nullptr) {
    head_ = item;
  } else {
    tail_->LinkToNextTSObj(item);
  }
  tail_ = item;
}

void cTextServiceObjectManager::UnLinkMemberItem(cTextServiceObject* item) {
  cTextServiceObject* found = head_;
  while (found != nullptr && found != item) found = found->GetNextTSObjectPtr();
  if (found == nullptr) return;
  if (current_ == item) UnsetupCurrentInlineTargetItem(item);
  cTextServiceObject* before = item->GetBeforeTSObjectPtr();
  cTextServiceObject* after = item->UnlinkNextTSObj();
  if (before != nullptr) {
    before->UnlinkNextTSObj();
    before->LinkToNextTSObj(after);
  } else {
    head_ = after;
  }
  tail_ = head_ != nullptr ? head_->GetLastTSObjectPtr() : nullptr;
}

unsigned char cTextServiceObjectManager::SetupCurrentInlineTargetItem(cTextServiceObject* item) {
  if (item == nullptr) return 0;
  if (current_ == item) return 1;
  SetupIntoItemList(item);
  // The text another target was composing is confirmed there, before the input moves.
  if (current_ != nullptr) FixActiveInputArea();
  current_ = item;
  InlineInputMethodSwitch(1);
  return 1;
}

void cTextServiceObjectManager::UnsetupCurrentInlineTargetItem(cTextServiceObject* item) {
  if (item == nullptr || current_ != item) return;
  FixActiveInputArea();
  current_ = nullptr;
  InlineInputMethodSwitch(0);
}

unsigned char cTextServiceObjectManager::IsCurrentTargetItem(const cTextServiceObject* item) const {
  return (item != nullptr && current_ == item) ? 1 : 0;
}

WindowRef cTextServiceObjectManager::GetActiveServiceObjectWindow() const {
  return current_ != nullptr ? current_->GetTargetWindow() : nullptr;
}

void cTextServiceObjectManager::InlineInputMethodSwitch(unsigned char on) {
  if (document_ == nullptr) return;
  if (on != 0) ActivateTSMO();
  UseInputWindow(document_, on == 0);
}

void cTextServiceObjectManager::ActivateTSMO() {
  if (current_ != nullptr && document_ != nullptr) ActivateTSMDocument(document_);
}

void cTextServiceObjectManager::DeactivateTSMO() {
  if (document_ != nullptr) DeactivateTSMDocument(document_);
}

void cTextServiceObjectManager::DeleteTSMO() {
  if (document_ != nullptr) DeleteTSMDocument(document_);
  document_ = nullptr;
}

void cTextServiceObjectManager::FixActiveInputArea() {
  if (document_ != nullptr) FixTSMDocument(document_);
}

void cTextServiceObjectManager::ResumeTSObject() {
  InlineInputMethodSwitch(current_ != nullptr ? 1 : 0);
}

void cTextServiceObjectManager::SuspendTSObject() {
  if (current_ != nullptr) FixActiveInputArea();
}

void cTextServiceObjectManager::MouseDownProc(WindowRef window, Point localPoint) {
  if (current_ == nullptr) return;
  for (cTextServiceObject* t = head_; t != nullptr; t = t->GetNextTSObjectPtr()) {
    if (t != current_ || t->AmIEnableActiveInputAreaNow() == 0) continue;
    // A click inside the active input area belongs to the input method's text.
    if (window != t->GetTargetWindow() || t->PtInActiveInputArea(localPoint) == 0) {
      FixActiveInputArea();
    }
    return;
  }
}

unsigned char cTextServiceObjectManager::CheckNowUsedCursor() {
  if (document_ == nullptr) return 0;
  return TSMSetInlineInputRegion(document_, nullptr, nullptr) == noErr ? 1 : 0;
}

// ---- Free functions ----

void SpTS_InitializeTextServiceObjectMgr() {
  if (textServiceMgr_GlV == nullptr) {
    textServiceMgr_GlV = new (std::nothrow) cTextServiceObjectManager();
  }
}

cTextServiceObjectManager* SpTS_GetTextServiceManager(unsigned char create) {
  if (textServiceMgr_GlV == nullptr && create != 0) SpTS_InitializeTextServiceObjectMgr();
  return textServiceMgr_GlV;
}

void SpTS_TerminateTextService(unsigned long userData) {
  delete textServiceMgr_GlV;
  textServiceMgr_GlV = nullptr;
  SpTSMRemoveEventHandler(userData);
}

void SpTS_FixActiveInputArea() {
  if (textServiceMgr_GlV != nullptr) textServiceMgr_GlV->FixActiveInputArea();
}

unsigned char SpCheckExistActiveTextServieObject() {
  return (textServiceMgr_GlV != nullptr &&
          textServiceMgr_GlV->CheckExistActiveTextServceObject() != 0)
             ? 1
             : 0;
}

void SpTextServiceInitialize() {
  SInt32 response = 0;
  if (Gestalt(gestaltTSMTEAttr, &response) == noErr &&
      Gestalt(gestaltTSMgrVersion, &response) == noErr) {
    const OSStatus installed = Sp_Is_CarbonEvent_ModeEnable()
                                   ? SpTSMSetupEventHandlerForCarbonEvent()
                                   : OSStatus(SpTSMSetupEventHandler());
    textServciceAvailableFlag_GlV = 1;
    if (installed != noErr) {
      SysBeep(19);
      SpERORSYS_SaveErrorMeesage(kSource, "SpTextServiceInitialize", 3,
                                 "Setup Handler Error !! ");
    }
  }
  SpTS_InitializeTextServiceObjectMgr();
  // A manager made by an early target, before text services were on, has no document yet:
  // it gets one now, and a target that already wants inline input gets it.
  cTextServiceObjectManager* manager = textServiceMgr_GlV;
  if (manager != nullptr && textServciceAvailableFlag_GlV != 0 &&
      manager->GetTSMDocument() == nullptr) {
    manager->CreateNewTSMDocument();
    UseInputWindow(manager->GetTSMDocument(), true);
    if (manager->CheckExistActiveTextServceObject() != 0) manager->InlineInputMethodSwitch(1);
  }
  unsigned long disposeRefNum = 0;
  Sp_SetupDisposeProcedure(SpTS_TerminateTextService, 60, 0, &disposeRefNum);
  DisposeProcedureRefNums().push_back(disposeRefNum);
}

unsigned char SpTS_EnableCursorChange(Point) {
  if (textServciceAvailableFlag_GlV == 0 || textServiceMgr_GlV == nullptr) return 0;
  return textServiceMgr_GlV->CheckNowUsedCursor();
}

void SpTS_MouseDownProcedure(WindowRef window, Point globalPoint) {
  if (window == nullptr) {
    SysBeep(10);
    SpERORSYS_SaveErrorMeesage(kSource, "SpTS_MouseDownProcedure", 1, "Window Pointer is NULL");
    return;
  }
  if (textServciceAvailableFlag_GlV == 0 || textServiceMgr_GlV == nullptr) return;
  Point local = globalPoint;
  {
    cSpPortSaver port(window);
    GlobalToLocal(&local);
  }
  textServiceMgr_GlV->MouseDownProc(window, local);
}

void SpTS_ResumeProcedure() {
  if (textServciceAvailableFlag_GlV != 0 && textServiceMgr_GlV != nullptr) {
    textServiceMgr_GlV->ResumeTSObject();
  }
}

void SpTS_SuspendProcedure() {
  if (textServciceAvailableFlag_GlV != 0 && textServiceMgr_GlV != nullptr) {
    textServiceMgr_GlV->SuspendTSObject();
  }
}

namespace sp_testing {
void ResetTextServices() {
  delete textServiceMgr_GlV;
  textServiceMgr_GlV = nullptr;
  textServciceAvailableFlag_GlV = 0;
  SpTSMRemoveEventHandler(0);
  SpTSMRemoveCarbonEventHandlers();
  for (unsigned long refNum : DisposeProcedureRefNums()) {
    for (cEventInsertProcObj* e = quitAppProcDef_GlV; e != nullptr; e = e->GetNextObjectPtr()) {
      if (e->GetRefNum() == refNum) {
        delete e;
        break;
      }
    }
  }
  DisposeProcedureRefNums().clear();
}
}  // namespace sp_testing
