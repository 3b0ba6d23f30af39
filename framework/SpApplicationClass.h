// The application object and the four core Apple events.
//
// Open application, open documents, print documents and quit application reach the program
// through the handlers below, which turn them into calls of the virtual operations of the one
// application object. The program derives its own application class from cSpApplication and
// overrides what it needs.
//
// The first open event (open application, or open documents when the program was launched
// with documents) ends the start phase: after it the application-level Carbon handlers are
// installed, once. A missing application object at that moment ends the loop.
//
// Quitting goes through the same road: the program sends a quit Apple event to itself
// (Sp_SendQuitEvent, queued and handled on a later pass of the loop), the quit handler asks the
// application object, and only when it agrees is the loop left (SpEndOfMainLoop, declared in
// SpMainEventLoop.h).
//
// The application object also holds the program's short-cut key table.
#pragma once

#include <cstddef>
#include <new>

#include "AppleEvents.h"
#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"
#include "SpMainEventLoop.h"
#include "SpShortCutKey.h"

class cFileInfoObj;

// A document procedure registered with the application object. The framework keeps the list
// for the program and never calls the procedures itself.
typedef SInt32 (*SpLoadDocumentProcPtr)(...);

// One document type (file type and creator) of a document procedure.
class cSpDocumentType : public cSpListLinks<cSpDocumentType>, public cSpMacHeapObject {
 public:
  cSpDocumentType(UInt32 fileType, UInt32 creator) : fileType_(fileType), creator_(creator) {}
  cSpDocumentType(const cSpDocumentType&) = delete;
  cSpDocumentType& operator=(const cSpDocumentType&) = delete;

  UInt32 GetFileType() const { return fileType_; }
  UInt32 GetCreator() const { return creator_; }
  // Puts the type in front of the chain that `head` starts.
  void LinkInFront(cSpDocumentType* head) {
    if (head != nullptr) head->InsertBefore(this);
  }

 private:
  UInt32 fileType_;
  UInt32 creator_;
};

// One entry of the open-document procedure list: a procedure and its document types.
class cSpLoadDocumentProcData : public cSpListLinks<cSpLoadDocumentProcData>,
                                public cSpMacHeapObject {
 public:
  explicit cSpLoadDocumentProcData(SpLoadDocumentProcPtr proc) : proc_(proc) {}
  // Frees its document types.
  ~cSpLoadDocumentProcData() { DisposeTypeList(); }
  cSpLoadDocumentProcData(const cSpLoadDocumentProcData&) = delete;
  cSpLoadDocumentProcData& operator=(const cSpLoadDocumentProcData&) = delete;

  SpLoadDocumentProcPtr GetProcedure() const { return proc_; }
  cSpDocumentType* GetTypeList() const { return typeList_; }
  // Puts the type at the head of the type list (duplicates are not looked for).
  void AddDocumentType(cSpDocumentType* type);
  // Frees every document type.
  void DisposeTypeList();
  // Puts the entry in front of the chain that `head` starts.
  void LinkInFront(cSpLoadDocumentProcData* head) {
    if (head != nullptr) head->InsertBefore(this);
  }

 private:
  cSpDocumentType* typeList_ = nullptr;
  SpLoadDocumentProcPtr proc_;
};

// The application object. Constructing one makes it the application (applicationObject_GlV);
// destroying it frees its document procedures and short-cut table and, when it is the
// application, clears the global. The program deletes it through base pointers, so the
// destructor is virtual.
class cSpApplication {
 public:
  cSpApplication();
  cSpApplication(const cSpApplication&) = delete;
  cSpApplication& operator=(const cSpApplication&) = delete;

  // The four operations the Apple events call, in this order.
  // Open application: nothing in the base class.
  virtual void OpenApplicationProc();
  // Open documents: firstOpen is 1 when the program was launched with these documents (no
  // open-application event came before); files is the list of the documents in the order of
  // the event, or null. The entries belong to the framework and are freed after the call.
  virtual void OpenDocumentsProc(unsigned char firstOpen, cFileInfoObj* files);
  // Quit: 1 agrees to end the program (the base class agrees), 0 refuses.
  virtual unsigned char QuitApplicationProc();
  // Print documents: never called (printing does not reach the application object).
  virtual void PrintDocumentProc();

  virtual ~cSpApplication();

  // Asks the program to end: sends the quit Apple event to this process.
  void EndOfApplication();

  // Registers a document type for a procedure: the entry of that procedure gets the type at
  // the head of its types; a procedure not yet listed gets a new entry at the head of the list
  // first. With no memory nothing is registered.
  void SetupOpenDocumentProc(UInt32 fileType, UInt32 creator, SpLoadDocumentProcPtr proc);
  // Frees every entry with its types.
  void DisposeOpenDocProcList();
  cSpLoadDocumentProcData* GetOpenDocProcList() const { return openDocProcList_; }

  // The short-cut key table.
  cSpSCS_Manager& GetShortCutManager() { return shortCutManager_; }

 private:
  cSpLoadDocumentProcData* openDocProcList_ = nullptr;
  cSpSCS_Manager shortCutManager_;
};

// ---- Globals --------------------------------------------------------------------------------
// The application object; null when there is none.
extern cSpApplication* applicationObject_GlV;
// The installed Apple-event handlers; null when not installed.
extern AEEventHandlerUPP openAppUPP_GlV;
extern AEEventHandlerUPP openDocUPP_GlV;
extern AEEventHandlerUPP printDocUPP_GlV;
extern AEEventHandlerUPP quitAppUPP_GlV;
// 0 at launch; 1 once an open event has been handled.
extern unsigned char alreadyOpenApplicationFlag_GlV;

// ---- Installation ---------------------------------------------------------------------------
// Installs the four handlers ('aevt': 'oapp', 'odoc', 'pdoc', 'quit', in this order) in the
// application's table. Answers the last installation's result.
OSErr Sp_SetAppleEventHandler();
// Removes the installed handlers (the end of the classic loop).
void Sp_RemoveAppleEventHandler();

// ---- Handlers -------------------------------------------------------------------------------
// Open application: the application object's OpenApplicationProc; the first open event
// installs the application-level Carbon handlers. With no application object the loop ends.
// Always noErr.
OSErr Sp_OpenApplicationHProc(const AppleEvent* event, AppleEvent* reply, URefCon refCon);
// Open documents: the documents of the event as cFileInfoObj entries to OpenDocumentsProc.
// Answers the result of the last item fetch (or of counting the items when there are none).
OSErr Sp_OpenDocumentsHProc(const AppleEvent* event, AppleEvent* reply, URefCon refCon);
// Print documents: accepted (noErr), nothing done.
OSErr Sp_PrintDocumentsHProc(const AppleEvent* event, AppleEvent* reply, URefCon refCon);
// Quit: ends the loop when the application object agrees. Always noErr.
OSErr Sp_QuitApplicationHProc(const AppleEvent* event, AppleEvent* reply, URefCon refCon);
// A second quit handler, installed by no code: noErr and QuitApplicationEventLoop when the
// application object agrees, paramErr otherwise.
OSErr Sp_QuitApplicationForOSXCFMHProc(const AppleEvent* event, AppleEvent* reply, URefCon refCon);

// ---- Calls into the application object (0 when there is none) ------------------------------
unsigned char Sp_ExecuteOpenApplicationProc();
unsigned char Sp_ExecuteOpenDocumentsProc(unsigned char firstOpen, cFileInfoObj* files);
unsigned char Sp_ExecuteQuitApplicationProc();
// EndOfApplication on the application object, when there is one.
void Sp_EndOfAppliacation();

// ---- Ending ---------------------------------------------------------------------------------
// Sends the quit Apple event to this process, without waiting for a reply; it is handled on a
// later pass of the event loop. Sending failures are ignored.
void Sp_SendQuitEvent();

// ---- The application's short-cut keys (see SpShortCutKey.h) --------------------------------
// Registers the procedure on the application object's table; nothing when there is none.
void Sp_SetupApplicationaShortCut(char key, unsigned char command, unsigned char shift,
                                  unsigned char option, SpSCS_ProcPtr proc);
// 1 when the application object's table took the key with these classic modifiers (its
// procedure has run); 0 when it did not or there is no application object.
unsigned char Sp_ExecuteApplicationShortCut(char key, short modifiers);
