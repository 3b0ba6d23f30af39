// Text services: inline input of the edit-text engine through the input method.
//
// A text-service object (cTextServiceObject) is a rectangle of a window that can show the
// input method's unconfirmed text inline; the edit-text object is one. One manager
// (cTextServiceObjectManager) keeps every such object, the current inline target and the TSM
// document, and turns the input method's requests into calls of the target's virtual
// operations. An update of the active input area comes as one record (cTSO_UpdateData).
//
// Text services are off until SpTextServiceInitialize runs. Until then no inline-input object
// claims the cursor or a click, and resuming or suspending them does nothing; the manager may
// exist (an object's constructor makes it) but has no TSM document.
//
// Everything the input method sends is checked against what it sent: every range is held to
// 0 <= start <= end <= the length of its text, and every count to the entries the bytes hold.
//
// Failures beep and leave one error-log record with the source "SpTextService".
#pragma once

#include <new>

#include "AppleEvents.h"
#include "CarbonEvents.h"
#include "MacTypes.h"
#include "MacWindows.h"
#include "SpCollectionObject.h"
#include "SpGeneralStringObject.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"
#include "TextServices.h"

class cTextServiceObject;
class cTextServiceObjectManager;

// ---- Update records ----------------------------------------------------------------------------

// One text range of an update, and an entry of its list of hilite ranges.
class cTSO_Range : public cSpListLinks<cTSO_Range>, public cSpMacHeapObject {
 public:
  void SetValue(const TextRange& range);
  void GetValue(TextRange& range) const;
  // From this entry to the end of its list: each entry's number is its predecessor's + 1.
  void SetupReference();
  SInt32 GetReferenceNo() const { return reference_; }
  // Walks forward from this entry to the one with the number.
  unsigned char GetTaregetValueByLink(SInt32 number, TextRange& range);

 private:
  SInt32 reference_ = 0;
  SInt32 start_ = 0;
  SInt32 end_ = 0;
  SInt16 style_ = 0;
};

// Everything one update request carried: the whole text of the active input area
// (MacJapanese), the bytes confirmed, the hilite ranges, the clause bounds, the old and the new
// range of the change and the pin range.
class cTSO_UpdateData : public cSpMacHeapObject {
 public:
  cTSO_UpdateData() = default;
  ~cTSO_UpdateData();
  cTSO_UpdateData(const cTSO_UpdateData&) = delete;
  cTSO_UpdateData& operator=(const cTSO_UpdateData&) = delete;

  // The first min(length, bytes before a zero) bytes of the text.
  void SetupEditString(const char* text, SInt32 length);
  void SetupFixStrigLength(SInt32 length) { fixedLength_ = length; }
  SInt32 GetFixStringLength() const { return fixedLength_; }
  void AddHiliteRange(const TextRange& range);
  void SetupUpdateOldPoist(const TextRange& range) { old_.SetValue(range); }
  void SetupUpdateNewPosit(const TextRange& range) { new_.SetValue(range); }
  void SetupOutputRange(const TextRange& range) { output_.SetValue(range); }
  void GetUpdateOldPosit(TextRange& range) const { old_.GetValue(range); }
  void GetUpdatenewPosit(TextRange& range) const { new_.GetValue(range); }
  void GetOutputRange(TextRange& range) const { output_.GetValue(range); }
  void AddClauseOffsets(SInt32 offset);
  SInt32 GetEditStringSize() const;
  // At most size - 2 bytes and two zeros; overflow when the text was cut. A null buffer or a
  // size below 1 sets overflow and is a failure.
  void GetEditString(char* buffer, SInt32 size, unsigned char& overflow) const;
  SInt32 GetNumOfHiliteRangeItem() const { return hiliteCount_; }
  cTSO_Range* GetHiliteRangeListHeadItemPtr() const { return hiliteHead_; }
  unsigned char GetHiliteRangeListItem(SInt32 number, TextRange& range) const;
  // Empties the collection and copies the clause offsets into it, in order.
  void GetClsuseOffsetsCollection(cSp_uLongCollection* collection) const;
  // Holds the hilite ranges, the new range and the output range to the text's length; the old
  // range (in the text before the change) stays.
  void ModifyHiCharLengthFromStringLength();

 private:
  sSO_StringObjectBase* editString_ = nullptr;
  SInt32 fixedLength_ = 0;
  SInt32 hiliteCount_ = 0;
  cTSO_Range* hiliteHead_ = nullptr;
  cTSO_Range* hiliteTail_ = nullptr;
  cTSO_Range old_;
  cTSO_Range new_;
  cTSO_Range output_;
  cSp_uLongCollection clauses_;
};

// Replaces bytes [destRange.start, destRange.end) of the zero-terminated text in dest by bytes
// [srcRange.start, srcRange.end) of the zero-terminated src; dest must hold the result and its
// zero. Both ranges are first held to their text. resultLength (may be null) gets the new
// length.
void SpTextServiceCutAndSetString(char* dest, TextRange& destRange, const char* src,
                                  TextRange& srcRange, SInt32* resultLength);

// ---- Inline-input objects ----------------------------------------------------------------------

class cTextServiceObject {
 public:
  // Registers with the manager (made when missing).
  cTextServiceObject(WindowRef window, const Rect& area);
  virtual ~cTextServiceObject();
  cTextServiceObject(const cTextServiceObject&) = delete;
  cTextServiceObject& operator=(const cTextServiceObject&) = delete;

  void StartUpInitialize();
  // Once: leaves the manager (not the current target any more). A derived class calls it from
  // its own delete-ready step, before its parts go.
  void ExecTextServiceObjDeleteReady();

  void LinkToNextTSObj(cTextServiceObject* item);
  cTextServiceObject* UnlinkNextTSObj();
  cTextServiceObject* GetBeforeTSObjectPtr() const { return tsBefore_; }
  cTextServiceObject* GetNextTSObjectPtr() const { return tsNext_; }
  cTextServiceObject* GetLastTSObjectPtr();

  WindowRef GetTargetWindow() const { return tsWindow_; }
  // The document area, window-local.
  void GetActiveInputArea(Rect& area) const { area = tsArea_; }
  void SetupDocumentArea(const Rect& area) { tsArea_ = area; }

  void TextServiceEnable() { tsEnabled_ = 1; }
  void TextServiceDisable();
  unsigned char IsTextServiceEnable() const { return tsEnabled_; }
  // On: this object becomes the current inline target; off: it stops being it.
  void EnableInlineInput(unsigned char on);
  unsigned char CheckTextActiveInputTarget() const;

  // ---- What the input method asks of the target (points window-local) ----
  virtual unsigned char UpdateActiveInputArea(cTSO_UpdateData* data);
  virtual unsigned char PtInActiveInputArea(Point point);
  virtual unsigned char AmIEnableActiveInputAreaNow();
  // 1 outside the body, 2 inside it, 3 inside the active input area.
  virtual SInt16 PositionToPartsTypeNo(Point point);
  virtual unsigned char PositionToByteChar(Point point, SInt16 regionClass, SInt32& offset);
  virtual unsigned char ByteCharToPositon(SInt32 offset, Point& point);
  virtual unsigned char GetPositionFont(SInt32 offset, SInt16& font);
  virtual unsigned char GetPositionTextSize(SInt32 offset, SInt16& size);
  virtual unsigned char GetPositionLineHeight(SInt32 offset, SInt16& height);
  virtual unsigned char GetPositionLineAscent(SInt32 offset, SInt16& ascent);
  virtual unsigned char GetPositionAngle(SInt32 offset, SInt16& angle);
  virtual void EmergencyFixAllString();

  unsigned char IsTextServiceDeleteReady() const { return tsDeleteReady_; }

 private:
  WindowRef tsWindow_ = nullptr;
  Rect tsArea_{0, 0, 0, 0};
  unsigned char tsEnabled_ = 1;
  unsigned char tsDeleteReady_ = 0;
  cTextServiceObject* tsBefore_ = nullptr;
  cTextServiceObject* tsNext_ = nullptr;
};

class cTextServiceObjectManager : public cSpMacHeapObject {
 public:
  // Makes the TSM document (when text services are on) and has the input go to the input
  // window until a target switches inline input on.
  cTextServiceObjectManager();
  // Confirms the current target's text in an emergency, then lets the document go.
  ~cTextServiceObjectManager();
  cTextServiceObjectManager(const cTextServiceObjectManager&) = delete;
  cTextServiceObjectManager& operator=(const cTextServiceObjectManager&) = delete;

  void StartUpInitialize();
  void CreateNewTSMDocument();
  TSMDocumentID GetTSMDocument() const { return document_; }

  void SetupIntoItemList(cTextServiceObject* item);
  void UnLinkMemberItem(cTextServiceObject* item);
  cTextServiceObject* GetFirstItem() const { return head_; }
  // The target becomes current (another's text is confirmed first); false for null.
  unsigned char SetupCurrentInlineTargetItem(cTextServiceObject* item);
  void UnsetupCurrentInlineTargetItem(cTextServiceObject* item);
  unsigned char IsCurrentTargetItem(const cTextServiceObject* item) const;
  unsigned char CheckExistActiveTextServceObject() const { return current_ != nullptr ? 1 : 0; }
  cTextServiceObject* GetCurrentTargetItem() const { return current_; }
  WindowRef GetActiveServiceObjectWindow() const;

  void InlineInputMethodSwitch(unsigned char on);
  void ActivateTSMO();
  void DeactivateTSMO();
  void DeleteTSMO();
  // The input method confirms its text (and sends its last update) now.
  void FixActiveInputArea();
  void ResumeTSObject();
  void SuspendTSObject();
  // A click at the window-local point: outside the current target's active input area (or in
  // another window) it confirms the input method's text.
  void MouseDownProc(WindowRef window, Point localPoint);
  unsigned char CheckNowUsedCursor();

  // The unconfirmed text as the manager last saw it (MacJapanese, confirmed prefix removed).
  sSO_StringObjectBase* GetPendingString() const { return pending_; }

  // ---- The requests ----
  OSErr TSMUpdateActiveInputArea(const AppleEvent* event, AppleEvent* reply);
  OSStatus TSMUpdateActiveInputAreaForCarbonEvent(EventRef event);
  OSErr TSMPos2OffsetConvert(const AppleEvent* event, AppleEvent* reply);
  OSStatus TSMPos2OffsetConvertForCarbonEvent(EventRef event);
  OSErr TSMOffset2PosConvert(const AppleEvent* event, AppleEvent* reply);
  OSStatus TSMOffset2PosConvertForCarbonEvent(EventRef event);

 private:
  cTextServiceObject* head_ = nullptr;
  cTextServiceObject* tail_ = nullptr;
  cTextServiceObject* current_ = nullptr;
  TSMDocumentID document_ = nullptr;
  sSO_StringObjectBase* pending_ = nullptr;
};

// ---- Globals and free functions ----------------------------------------------------------------

extern unsigned char textServciceAvailableFlag_GlV;
extern cTextServiceObjectManager* textServiceMgr_GlV;
extern AEEventHandlerUPP updateActiveInputAreaUPP_GlV;
extern AEEventHandlerUPP positToOffsetConvUPP_GlV;
extern AEEventHandlerUPP offsetToPositConvUPP_GlV;
extern EventHandlerUPP updateActiveInputAreaForCarbonEventUPP_GlV;
extern EventHandlerUPP positToOffsetConvForCarbonEventUPP_GlV;
extern EventHandlerUPP offsetToPositConvForCarbonEventUPP_GlV;
extern EventHandlerUPP notFromInputMethodForCarbonEventUPP_GlV;

// Switches text services on: installs the handlers (Carbon or Apple-event form), makes the
// manager and its TSM document, and registers the manager's dispose procedure.
void SpTextServiceInitialize();
void SpTS_InitializeTextServiceObjectMgr();
cTextServiceObjectManager* SpTS_GetTextServiceManager(unsigned char create);
// The dispose procedure: the manager goes, and the Apple-event handlers.
void SpTS_TerminateTextService(unsigned long userData);
void SpTS_FixActiveInputArea();
unsigned char SpCheckExistActiveTextServieObject();

// Non-zero when text services are available and an inline-input object claims the cursor at
// the global point.
unsigned char SpTS_EnableCursorChange(Point globalPoint);
// Hands a click (global point) to the inline-input objects of the window, in the window's
// local coordinates. A null window is a failure.
void SpTS_MouseDownProcedure(WindowRef window, Point globalPoint);
// Resume and suspend the inline-input objects when their manager exists.
void SpTS_ResumeProcedure();
void SpTS_SuspendProcedure();

// Installing and removing the request handlers.
OSErr SpTSMSetupEventHandler();
// Installs the text services' Carbon handlers on the application target: {'text', 1}, 4, 3,
// and the framework's typed-text handler {'text', 2} (Sp_TextInputKeyEventHandlerProc). The
// result of the last installation.
OSStatus SpTSMSetupEventHandlerForCarbonEvent();
void SpTSMRemoveEventHandler(unsigned long userData);
// Takes off the Carbon-event handlers SpTSMSetupEventHandlerForCarbonEvent installed, which
// the program itself never removes: for the test API's reset.
void SpTSMRemoveCarbonEventHandlers();

// The handlers.
OSErr SpTSMUpdateActiveInputAreaHandleProc(const AppleEvent* event, AppleEvent* reply,
                                           URefCon refCon);
OSErr SpTSMPos2OffsetConvHandleProc(const AppleEvent* event, AppleEvent* reply, URefCon refCon);
OSErr SpTSMOffset2PosConvHandleProc(const AppleEvent* event, AppleEvent* reply, URefCon refCon);
OSStatus SpTSMUpdateActiveInputAreaHandleForCarbonEventProc(EventHandlerCallRef callRef,
                                                            EventRef event, void* userData);
OSStatus SpTSMOffset2PosConvHandleForCarbonEventProc(EventHandlerCallRef callRef, EventRef event,
                                                     void* userData);
OSStatus SpTSMPos2OffsetConvHandleProcForCarbonEventProc(EventHandlerCallRef callRef,
                                                         EventRef event, void* userData);
// Not installed: the first byte of the request's 'kdat' text as a key.
OSErr SpTSMKeyInUnicodeHandleProc(const AppleEvent* event, AppleEvent* reply, URefCon refCon);
OSStatus SpTSMTestForCarbonEventProc(EventHandlerCallRef callRef, EventRef event,
                                     void* userData);

namespace sp_testing {
// Text services back to "never started": the manager goes, the available flag is cleared, the
// handlers the start installed (Apple-event and Carbon-event) are removed and its dispose
// procedures unregistered, so that starting and resetting again and again leaves nothing
// behind.
void ResetTextServices();
}  // namespace sp_testing
