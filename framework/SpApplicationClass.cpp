// The application object, the four core Apple events, and the end of the loop.
#include "SpApplicationClass.h"

#include <cstring>
#include <new>

#include "CarbonEvents.h"
#include "MacMemory.h"
#include "Processes.h"
#include "SpCarbonEventHandlers.h"
#include "SpErrorInfoSystem.h"
#include "SpListLinks.h"
#include "SpStdFileFunctionDirectory.h"
#include "SpStdFunction.h"
#include "SpWindowHandlers.h"

cSpApplication* applicationObject_GlV = nullptr;
AEEventHandlerUPP openAppUPP_GlV = nullptr;
AEEventHandlerUPP openDocUPP_GlV = nullptr;
AEEventHandlerUPP printDocUPP_GlV = nullptr;
AEEventHandlerUPP quitAppUPP_GlV = nullptr;
unsigned char alreadyOpenApplicationFlag_GlV = 0;

namespace {

// The transaction id of the quit event the program sends itself.
const AETransactionID kSpQuitTransactionID = 1;

// The end of the start phase: the first open event, and only that one, installs the
// application-level Carbon handlers (activation and keys, then windows, mouse and controls).
// Until then only the command handler and the Apple-event handlers exist.
void InstallApplicationLevelHandlers() {
  if (!Sp_Is_CarbonEvent_ModeEnable()) return;
  Sp_SetOtherEventHandlerForOSXCFM();
  Sp_SetupWindowEventHandlerForCarbonEvent();
}

// Entries of the open-documents list live in the Memory Manager's heap, so that a failing
// allocation ends the collection as it would on a machine short of memory.
cFileInfoObj* NewFileInfoEntry() {
  void* block = NewPtr(Size(sizeof(cFileInfoObj)));
  if (block == nullptr) return nullptr;
  return new (block) cFileInfoObj();
}

void DisposeFileInfoList(cFileInfoObj* head) {
  while (head != nullptr) {
    cFileInfoObj* next = head->GetNextObjectPtr();
    head->~cFileInfoObj();
    DisposePtr(reinterpret_cast<Ptr>(head));
    head = next;
  }
}

// The zero-terminated name of a file specification (its name is length-prefixed).
void NameOfSpec(const FSSpec& spec, char* out, std::size_t outSize) {
  std::size_t length = spec.name[0];
  if (length > sizeof spec.name - 1) length = sizeof spec.name - 1;
  if (length > outSize - 1) length = outSize - 1;
  std::memcpy(out, spec.name + 1, length);
  out[length] = '\0';
}

}  // namespace

// ---- cSpDocumentType ------------------------------------------------------------------------

// ---- cSpLoadDocumentProcData ----------------------------------------------------------------

void cSpLoadDocumentProcData::AddDocumentType(cSpDocumentType* type) {
  if (type == nullptr) return;
  type->LinkInFront(typeList_);
  typeList_ = type;
}

void cSpLoadDocumentProcData::DisposeTypeList() {
  cSpDocumentType* types = typeList_;
  typeList_ = nullptr;
  SpDeleteList(types);
}

// ---- cSpApplication -------------------------------------------------------------------------

cSpApplication::cSpApplication() {
  applicationObject_GlV = this;
}

cSpApplication::~cSpApplication() {
  DisposeOpenDocProcList();
  if (applicationObject_GlV == this) applicationObject_GlV = nullptr;
}

void cSpApplication::OpenApplicationProc() {}

void cSpApplication::OpenDocumentsProc(unsigned char, cFileInfoObj*) {}

unsigned char cSpApplication::QuitApplicationProc() {
  return 1;
}

void cSpApplication::PrintDocumentProc() {}

void cSpApplication::EndOfApplication() {
  Sp_SendQuitEvent();
}

void cSpApplication::SetupOpenDocumentProc(UInt32 fileType, UInt32 creator,
                                           SpLoadDocumentProcPtr proc) {
  cSpLoadDocumentProcData* entry = openDocProcList_;
  while (entry != nullptr && entry->GetProcedure() != proc) entry = entry->GetNextObjectPtr();

  cSpLoadDocumentProcData* newEntry = nullptr;
  if (entry == nullptr) {
    newEntry = new (std::nothrow) cSpLoadDocumentProcData(proc);
    if (newEntry == nullptr) return;
    entry = newEntry;
  }
  cSpDocumentType* type = new (std::nothrow) cSpDocumentType(fileType, creator);
  if (type == nullptr) {
    // Nothing is registered: a new entry without its type goes again.
    delete newEntry;
    return;
  }
  if (newEntry != nullptr) {
    newEntry->LinkInFront(openDocProcList_);
    openDocProcList_ = newEntry;
  }
  entry->AddDocumentType(type);
}

void cSpApplication::DisposeOpenDocProcList() {
  cSpLoadDocumentProcData* entries = openDocProcList_;
  openDocProcList_ = nullptr;
  SpDeleteList(entries);
}

// ---- Installation ---------------------------------------------------------------------------

OSErr Sp_SetAppleEventHandler() {
  openAppUPP_GlV = NewAEEventHandlerUPP(Sp_OpenApplicationHProc);
  openDocUPP_GlV = NewAEEventHandlerUPP(Sp_OpenDocumentsHProc);
  printDocUPP_GlV = NewAEEventHandlerUPP(Sp_PrintDocumentsHProc);
  quitAppUPP_GlV = NewAEEventHandlerUPP(Sp_QuitApplicationHProc);

  OSErr err = AEInstallEventHandler(kCoreEventClass, kAEOpenApplication, openAppUPP_GlV, 0, false);
  err = AEInstallEventHandler(kCoreEventClass, kAEOpenDocuments, openDocUPP_GlV, 0, false);
  err = AEInstallEventHandler(kCoreEventClass, kAEPrintDocuments, printDocUPP_GlV, 0, false);
  err = AEInstallEventHandler(kCoreEventClass, kAEQuitApplication, quitAppUPP_GlV, 0, false);
  return err;
}

void Sp_RemoveAppleEventHandler() {
  struct Installed {
    AEEventID id;
    AEEventHandlerUPP* upp;
  };
  const Installed handlers[] = {{kAEOpenApplication, &openAppUPP_GlV},
                                {kAEOpenDocuments, &openDocUPP_GlV},
                                {kAEPrintDocuments, &printDocUPP_GlV},
                                {kAEQuitApplication, &quitAppUPP_GlV}};
  for (const Installed& handler : handlers) {
    if (*handler.upp == nullptr) continue;
    AERemoveEventHandler(kCoreEventClass, handler.id, *handler.upp, false);
    DisposeAEEventHandlerUPP(*handler.upp);
    *handler.upp = nullptr;
  }
}

// ---- Handlers -------------------------------------------------------------------------------

OSErr Sp_OpenApplicationHProc(const AppleEvent*, AppleEvent*, URefCon) {
  if (Sp_ExecuteOpenApplicationProc() == 0) {
    // Nobody to run the program: it ends.
    SpEndOfMainLoop();
    return noErr;
  }
  const bool firstOpen = alreadyOpenApplicationFlag_GlV == 0;
  alreadyOpenApplicationFlag_GlV = 1;
  if (firstOpen) InstallApplicationLevelHandlers();
  return noErr;
}

OSErr Sp_OpenDocumentsHProc(const AppleEvent* event, AppleEvent*, URefCon) {
  AEDescList documents = {typeNull, nullptr};
  SInt32 count = 0;
  OSErr err = event == nullptr ? OSErr(paramErr)
                               : AEGetParamDesc(event, keyDirectObject, typeAEList, &documents);
  if (err == noErr) err = AECountItems(&documents, &count);

  cFileInfoObj* head = nullptr;
  cFileInfoObj* tail = nullptr;
  for (SInt32 index = 1; index <= count; ++index) {
    FSSpec spec;
    std::memset(&spec, 0, sizeof spec);
    AEKeyword keyword = 0;
    DescType type = 0;
    Size actual = 0;
    err =
        AEGetNthPtr(&documents, index, typeFSS, &keyword, &type, &spec, Size(sizeof spec), &actual);
    if (err != noErr) continue;  // an item that is no file is left out
    cFileInfoObj* entry = NewFileInfoEntry();
    if (entry == nullptr) break;  // the documents gathered so far are opened all the same
    char name[sizeof spec.name];
    NameOfSpec(spec, name, sizeof name);
    entry->SetupFileName(name);
    entry->SetupVolumeRefNum(spec.vRefNum);
    entry->SetupUpperDirId(spec.parID);
    SpAppendToList(head, tail, entry);
  }
  AEDisposeDesc(&documents);

  const unsigned char firstOpen = alreadyOpenApplicationFlag_GlV == 0 ? 1 : 0;
  if (Sp_ExecuteOpenDocumentsProc(firstOpen, head) == 0) {
    // Launched with documents and nobody to open them: the program ends.
    if (firstOpen) SpEndOfMainLoop();
  } else if (firstOpen) {
    InstallApplicationLevelHandlers();
  }
  alreadyOpenApplicationFlag_GlV = 1;
  DisposeFileInfoList(head);
  return err;
}

OSErr Sp_PrintDocumentsHProc(const AppleEvent*, AppleEvent*, URefCon) {
  return noErr;
}

OSErr Sp_QuitApplicationHProc(const AppleEvent*, AppleEvent*, URefCon) {
  if (Sp_ExecuteQuitApplicationProc() != 0) SpEndOfMainLoop();
  return noErr;
}

OSErr Sp_QuitApplicationForOSXCFMHProc(const AppleEvent*, AppleEvent*, URefCon) {
  if (Sp_ExecuteQuitApplicationProc() == 0) return paramErr;
  QuitApplicationEventLoop();
  return noErr;
}

// ---- Calls into the application object ------------------------------------------------------

unsigned char Sp_ExecuteOpenApplicationProc() {
  if (applicationObject_GlV == nullptr) return 0;
  applicationObject_GlV->OpenApplicationProc();
  return 1;
}

unsigned char Sp_ExecuteOpenDocumentsProc(unsigned char firstOpen, cFileInfoObj* files) {
  if (applicationObject_GlV == nullptr) return 0;
  applicationObject_GlV->OpenDocumentsProc(firstOpen, files);
  return 1;
}

unsigned char Sp_ExecuteQuitApplicationProc() {
  if (applicationObject_GlV == nullptr) return 0;
  return applicationObject_GlV->QuitApplicationProc();
}

void Sp_EndOfAppliacation() {
  if (applicationObject_GlV != nullptr) applicationObject_GlV->EndOfApplication();
}

// ---- Ending ---------------------------------------------------------------------------------

void Sp_SendQuitEvent() {
  const ProcessSerialNumber self = {0, kCurrentProcess};
  AEAddressDesc target = {typeNull, nullptr};
  AppleEvent quit = {typeNull, nullptr};
  AppleEvent reply = {typeNull, nullptr};
  AECreateDesc(typeProcessSerialNumber, &self, Size(sizeof self), &target);
  AECreateAppleEvent(kCoreEventClass, kAEQuitApplication, &target, kAutoGenerateReturnID,
                     kSpQuitTransactionID, &quit);
  AEIdleUPP idle = NewAEIdleUPP(nullptr);
  AEFilterUPP filter = NewAEFilterUPP(nullptr);
  // The event is queued and handled on a later pass of the loop, never inside this call.
  AESend(&quit, &reply, kAENoReply, kAENormalPriority, kNoTimeOut, idle, filter);
  AEDisposeDesc(&reply);
  AEDisposeDesc(&quit);
  AEDisposeDesc(&target);
  DisposeAEIdleUPP(idle);
  DisposeAEFilterUPP(filter);
}

void SpEndOfMainLoop() {
  mainLoopFlag_GlV = 0;
  if (Sp_Is_CarbonEvent_ModeEnable()) QuitApplicationEventLoop();
}

unsigned char SpGetMainLoopFlag() {
  return mainLoopFlag_GlV;
}

void SpSetupExecuteMainEventLoopTerminateProcedureFlag(unsigned char flag) {
  executeMainEventTerminateProcedureFlag_GlV = flag;
}

// ---- The application's short-cut keys -------------------------------------------------------

void Sp_SetupApplicationaShortCut(char key, unsigned char command, unsigned char shift,
                                  unsigned char option, SpSCS_ProcPtr proc) {
  if (applicationObject_GlV == nullptr) return;
  applicationObject_GlV->GetShortCutManager().SetKeyFunction(key, command, shift, option, proc);
}

unsigned char Sp_ExecuteApplicationShortCut(char key, short modifiers) {
  if (applicationObject_GlV == nullptr) return 0;
  unsigned char command = 0;
  unsigned char shift = 0;
  unsigned char option = 0;
  SpSCS_ModifiersToFlags(modifiers, &command, &shift, &option);
  return applicationObject_GlV->GetShortCutManager().ExecKey(key, command, shift, option);
}
