// Apple Event Manager: descriptors, lists, Apple events with their parameters and
// attributes, handler tables and sending to this process.
//
// How it works here:
// - A descriptor's data is a Memory Manager handle. Lists and Apple events keep their items
//   flattened in that handle, so duplicating a descriptor copies the handle and disposing it
//   frees everything it holds. A list inside a list (or a list as a parameter) is simply an
//   item of type typeAEList.
// - The only process there is, is this one. AESend accepts a target of type
//   typeProcessSerialNumber naming {0, kCurrentProcess} or the number GetCurrentProcess
//   gives; any other target is procNotFound. The event is copied and queued: the event loop
//   dispatches it later, on one of its passes. A handler never runs inside AESend, so a quit
//   event sent from deep inside the program is handled once the call chain has unwound.
// - Events are sent without a reply (kAENoReply); the application asks for nothing else and
//   the other reply modes are refused with paramErr. A handler's reply is a null descriptor.
// - Items are read with the type asked. A file comes as typeFSS (an FSSpec, sizeof(FSSpec)
//   bytes), typeFSRef (an FSRef) or typeFileURL (the "file://" URL text, UTF-8); each
//   coerces to the others through the file layer. A single item read as typeAEList comes as
//   a list of that one item. typeWildCard takes an item as it is. Anything else that differs
//   from the stored type is errAECoercionFail.
// - The caller's maximum size is respected: at most that many bytes are copied and the full
//   size of the (coerced) data is reported in actualSize.
// - UPPs are plain function pointers; New...UPP returns the procedure and Dispose...UPP has
//   nothing to free.
//
// Results are the toolbox's codes. Pointers are checked where they come in (paramErr); no
// call throws.
#pragma once

#include "Events.h"
#include "MacTypes.h"
#include "Processes.h"

typedef FourCharCode DescType;
typedef FourCharCode AEKeyword;
typedef FourCharCode AEEventClass;
typedef FourCharCode AEEventID;
typedef SInt16 AEReturnID;
typedef SInt32 AETransactionID;
typedef SInt32 AESendMode;
typedef SInt16 AESendPriority;
typedef Handle AEDataStorage;

struct AEDesc {
  DescType descriptorType;
  AEDataStorage dataHandle;
};
typedef AEDesc* AEDescPtr;
typedef AEDesc AEDescList;
typedef AEDescList AERecord;
typedef AEDesc AEAddressDesc;
typedef AERecord AppleEvent;
typedef AppleEvent* AppleEventPtr;

// A region, as QuickDraw declares it (only the idle procedure's signature needs it here).
struct MacRegion;
typedef MacRegion* RgnPtr;
typedef RgnPtr* RgnHandle;

// ---- Result codes -----------------------------------------------------------------------------
// errAENotAEDesc (-1704) and errAEEventNotHandled (-1708) are in MacTypes.h, procNotFound
// (-600) in Processes.h.
enum : OSErr {
  errAECoercionFail = -1700,
  errAEDescNotFound = -1701,
  errAECorruptData = -1702,
  errAEWrongDataType = -1703,
  errAEBadListItem = -1705,
  errAENewerVersion = -1706,
  errAENotAppleEvent = -1707,
  errAEReplyNotValid = -1709,
  errAEUnknownSendMode = -1710,
  errAEWaitCanceled = -1711,
  errAETimeout = -1712,
  errAENoUserInteraction = -1713,
  errAENotASpecialFunction = -1714,
  errAEParamMissed = -1715,
  errAEUnknownAddressType = -1716,
  errAEHandlerNotFound = -1717,
  errAEReplyNotArrived = -1718,
  errAEIllegalIndex = -1719,
};

// ---- Event classes and ids ----------------------------------------------------------------------
enum : AEEventClass {
  kCoreEventClass = 0x61657674,  // 'aevt'
};
enum : AEEventID {
  kAEOpenApplication = 0x6F617070,  // 'oapp'
  kAEOpenDocuments = 0x6F646F63,    // 'odoc'
  kAEPrintDocuments = 0x70646F63,   // 'pdoc'
  kAEQuitApplication = 0x71756974,  // 'quit'
};

// ---- Keywords -----------------------------------------------------------------------------------
enum : AEKeyword {
  keyDirectObject = 0x2D2D2D2D,       // '----'
  keyEventClassAttr = 0x6576636C,     // 'evcl' (typeType)
  keyEventIDAttr = 0x65766964,        // 'evid' (typeType)
  keyAddressAttr = 0x61646472,        // 'addr' (the target's descriptor)
  keyReturnIDAttr = 0x72746964,       // 'rtid' (typeSInt16)
  keyTransactionIDAttr = 0x7472616E,  // 'tran' (typeSInt32)
  keyAEWildCard = 0x2A2A2A2A,         // '****': the keyword list items answer
};

// ---- Descriptor types ---------------------------------------------------------------------------
// (typeChar, typeUInt32 and the other types of event parameters are in CarbonEvents.h.)
enum : DescType {
  typeNull = 0x6E756C6C,                 // 'null': no data
  typeWildCard = 0x2A2A2A2A,             // '****': whatever type the item has
  typeAEList = 0x6C697374,               // 'list'
  typeAERecord = 0x7265636F,             // 'reco'
  typeAppleEvent = 0x61657674,           // 'aevt'
  typeType = 0x74797065,                 // 'type': a four-character code
  typeSInt16 = 0x73686F72,               // 'shor'
  typeSInt32 = 0x6C6F6E67,               // 'long'
  typeFSS = 0x66737320,                  // 'fss ': an FSSpec
  typeFSRef = 0x66737266,                // 'fsrf': an FSRef
  typeFileURL = 0x6675726C,              // 'furl': "file://" URL text, UTF-8
  typeProcessSerialNumber = 0x70736E20,  // 'psn '
};

// ---- Sending ------------------------------------------------------------------------------------
enum : AESendMode {
  kAENoReply = 0x00000001,
  kAEQueueReply = 0x00000002,
  kAEWaitReply = 0x00000003,
  kAENeverInteract = 0x00000010,
  kAECanInteract = 0x00000020,
  kAEAlwaysInteract = 0x00000030,
  kAECanSwitchLayer = 0x00000040,
  kAEDontReconnect = 0x00000080,
  kAEWantReceipt = 0x00000200,
  kAEDontRecord = 0x00001000,
  kAEDontExecute = 0x00002000,
};
enum : AESendPriority {
  kAENormalPriority = 0x00000000,  // at the end of the queue
  kAEHighPriority = 0x00000001,    // at its front
};
enum : SInt32 {
  kAEDefaultTimeout = -1,
  kNoTimeOut = -2,
};
enum : AEReturnID { kAutoGenerateReturnID = -1 };
enum : AETransactionID { kAnyTransactionID = 0 };

// ---- Procedures ---------------------------------------------------------------------------------
typedef OSErr (*AEEventHandlerProcPtr)(const AppleEvent* theAppleEvent, AppleEvent* reply,
                                       URefCon handlerRefcon);
typedef AEEventHandlerProcPtr AEEventHandlerUPP;
// Called while a sender waits for a reply; never called here (nothing waits).
typedef Boolean (*AEIdleProcPtr)(EventRecord* theEvent, SInt32* sleepTime, RgnHandle* mouseRgn);
typedef AEIdleProcPtr AEIdleUPP;
// Chooses which events may arrive while a sender waits; never called here.
typedef Boolean (*AEFilterProcPtr)(EventRecord* theEvent, SInt32 returnID,
                                   AETransactionID transactionID, const AEAddressDesc* sender);
typedef AEFilterProcPtr AEFilterUPP;

AEEventHandlerUPP NewAEEventHandlerUPP(AEEventHandlerProcPtr userRoutine);
void DisposeAEEventHandlerUPP(AEEventHandlerUPP userUPP);
AEIdleUPP NewAEIdleUPP(AEIdleProcPtr userRoutine);
void DisposeAEIdleUPP(AEIdleUPP userUPP);
AEFilterUPP NewAEFilterUPP(AEFilterProcPtr userRoutine);
void DisposeAEFilterUPP(AEFilterUPP userUPP);

// ---- Descriptors --------------------------------------------------------------------------------
// A copy of the bytes in a new handle (typeNull with no bytes: no handle). On failure the
// result is a null descriptor.
OSErr AECreateDesc(DescType typeCode, const void* dataPtr, Size dataSize, AEDesc* result);
// Frees the handle and leaves a null descriptor ({typeNull, NULL}). A null descriptor is fine.
OSErr AEDisposeDesc(AEDesc* theAEDesc);
OSErr AEDuplicateDesc(const AEDesc* theAEDesc, AEDesc* result);
// The descriptor as another type: a copy for the same type (or typeWildCard), a file as
// another file type (see the coercions above); errAECoercionFail for anything else, with a
// null descriptor in result.
OSErr AECoerceDesc(const AEDesc* theAEDesc, DescType toType, AEDesc* result);
// The data's size in bytes (0 for a null descriptor).
Size AEGetDescDataSize(const AEDesc* theAEDesc);
// Copies at most maximumSize bytes of the data as they are stored. paramErr for a null
// descriptor or buffer (a buffer may be null when maximumSize is 0).
OSErr AEGetDescData(const AEDesc* theAEDesc, void* dataPtr, Size maximumSize);

// ---- Lists --------------------------------------------------------------------------------------
// An empty list. Factoring is not kept (factoringPtr/factoredSize are accepted and ignored);
// keyed records (isRecord) are not built here: paramErr.
OSErr AECreateList(const void* factoringPtr, Size factoredSize, Boolean isRecord,
                   AEDescList* resultList);
// errAEWrongDataType when the descriptor is no list.
OSErr AECountItems(const AEDescList* theAEDescList, SInt32* theCount);
// Index 1..count replaces that item; 0 or count + 1 appends; anything else errAEIllegalIndex.
OSErr AEPutPtr(AEDescList* theAEDescList, SInt32 index, DescType typeCode, const void* dataPtr,
               Size dataSize);
OSErr AEPutDesc(AEDescList* theAEDescList, SInt32 index, const AEDesc* theAEDesc);
// Item index (1-based) with the type asked (see the coercions above). theAEKeyword, typeCode
// and actualSize may be null; dataPtr may be null when maximumSize is 0.
OSErr AEGetNthPtr(const AEDescList* theAEDescList, SInt32 index, DescType desiredType,
                  AEKeyword* theAEKeyword, DescType* typeCode, void* dataPtr, Size maximumSize,
                  Size* actualSize);
OSErr AEGetNthDesc(const AEDescList* theAEDescList, SInt32 index, DescType desiredType,
                   AEKeyword* theAEKeyword, AEDesc* result);
// The stored type and size of an item (no coercion).
OSErr AESizeOfNthItem(const AEDescList* theAEDescList, SInt32 index, DescType* typeCode,
                      Size* dataSize);

// ---- Apple events -------------------------------------------------------------------------------
// kAutoGenerateReturnID gives a fresh id (never -1 or 0).
OSErr AECreateAppleEvent(AEEventClass theAEEventClass, AEEventID theAEEventID,
                         const AEAddressDesc* target, AEReturnID returnID,
                         AETransactionID transactionID, AppleEvent* result);
// A parameter of that keyword is replaced when there is one.
OSErr AEPutParamPtr(AppleEvent* theAppleEvent, AEKeyword theAEKeyword, DescType typeCode,
                    const void* dataPtr, Size dataSize);
OSErr AEPutParamDesc(AppleEvent* theAppleEvent, AEKeyword theAEKeyword, const AEDesc* theAEDesc);
// errAEDescNotFound when the event has no such parameter.
OSErr AEGetParamPtr(const AppleEvent* theAppleEvent, AEKeyword theAEKeyword, DescType desiredType,
                    DescType* typeCode, void* dataPtr, Size maximumSize, Size* actualSize);
OSErr AEGetParamDesc(const AppleEvent* theAppleEvent, AEKeyword theAEKeyword, DescType desiredType,
                     AEDesc* result);
// The attributes keyEventClassAttr, keyEventIDAttr, keyAddressAttr, keyReturnIDAttr and
// keyTransactionIDAttr.
OSErr AEGetAttributePtr(const AppleEvent* theAppleEvent, AEKeyword theAEKeyword,
                        DescType desiredType, DescType* typeCode, void* dataPtr, Size maximumSize,
                        Size* actualSize);
OSErr AEGetAttributeDesc(const AppleEvent* theAppleEvent, AEKeyword theAEKeyword,
                         DescType desiredType, AEDesc* result);

// ---- Handlers -----------------------------------------------------------------------------------
// One handler per (class, id) in each of the two tables (application and system); installing
// again replaces it. A queued event goes to the application table's handler, then, when there
// is none or it answers errAEEventNotHandled, to the system table's. An event no handler takes
// is errAEEventNotHandled.
OSErr AEInstallEventHandler(AEEventClass theAEEventClass, AEEventID theAEEventID,
                            AEEventHandlerUPP handler, URefCon handlerRefcon, Boolean isSysHandler);
// Removes the handler when it is the one given (a null handler removes whichever is there);
// errAEHandlerNotFound otherwise.
OSErr AERemoveEventHandler(AEEventClass theAEEventClass, AEEventID theAEEventID,
                           AEEventHandlerUPP handler, Boolean isSysHandler);
OSErr AEGetEventHandler(AEEventClass theAEEventClass, AEEventID theAEEventID,
                        AEEventHandlerUPP* handler, URefCon* handlerRefcon, Boolean isSysHandler);

// ---- Sending and processing ---------------------------------------------------------------------
// Queues a copy of the event for this process (see above). reply, when given, becomes a null
// descriptor. idleProc, filterProc and timeOutInTicks have nothing to do: nothing waits.
OSErr AESend(const AppleEvent* theAppleEvent, AppleEvent* reply, AESendMode sendMode,
             AESendPriority sendPriority, SInt32 timeOutInTicks, AEIdleUPP idleProc,
             AEFilterUPP filterProc);
// The classic path: a high-level event record (kind 23) dispatches the next queued event and
// answers its handler's result. paramErr for a record of another kind; errAEEventNotHandled
// when nothing is queued or an Apple-event handler is running already (the event waits).
OSErr AEProcessAppleEvent(const EventRecord* theEventRecord);
