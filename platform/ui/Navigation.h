// Navigation Services: the open, save, choose-folder and choose-object dialogs, in their
// dialog-object form (NavCreate...Dialog, NavDialogRun) and their older one-call form
// (NavGetFile, NavPutFile, NavChooseFolder, NavChooseObject).
//
// How it works here:
// - The dialog is the layer's own modal dialog of the Dialog Manager, drawn with its controls:
//   a popup of the folder shown and the folders above it, followed by the places of the desktop
//   (the home folder, the XDG Desktop, Documents and Music folders and the bookmarks of
//   "$XDG_CONFIG_HOME/gtk-3.0/bookmarks", those that exist); the list of the folder's entries
//   (folders first, then files, each group sorted by name, every name as the file system spells
//   it); for saving, a name field; New Folder (not when opening), Cancel and the default button.
//   Its items have fixed numbers (kNavItem...) so that a modal loop's answer names them.
// - What the list offers: names starting with '.' and items with the invisible Finder flag only
//   with kNavAllowInvisibleFiles; when opening with a type list, files whose Finder type is set
//   and not in the list are left out (files without a Finder type, as nearly every Linux file
//   is, are offered, so that the object filter judges them); then the object filter, called for
//   each remaining entry each time a folder is listed, with an 'fsrf' descriptor of the entry,
//   its NavFileOrFolderInfo and kNavFilteringBrowserList, hides those it answers false for.
//   The places of the popup are not filtered. Save and choose-folder dialogs show files dimmed;
//   they cannot be chosen. Several entries can be selected (Shift extends, Command toggles)
//   only with kNavAllowMultipleFiles in the open and choose-object dialogs.
// - Where it opens: the location given with kNavCtlSetLocation at kNavCBStart (or the one-call
//   form's default location), as an 'fss ' or 'fsrf' descriptor: a file opens its folder with
//   the file selected, a folder opens on itself (kNavSelectDefaultLocation is kept and changes
//   nothing). Without a location the dialog opens on the folder the last dialog of the run
//   showed, else the home folder. NavDialogCreationOptions.location, when not (-1, -1),
//   places the dialog's content there (global coordinates); otherwise it is centred.
// - Running: NavDialogRun shows the dialog (kWindowModalityWindowModal with a visible parent
//   window: as a sheet on it, brought to the front) and runs the Dialog Manager's modal loop
//   until it closes; it always returns when the dialog closed. The event procedure gets, in
//   order: kNavCBCustomize (customRect proposed empty: its top-left is the custom area's
//   corner, right and bottom 0; a client that sets them gets an area of that size above the
//   buttons), kNavCBStart, then kNavCBEvent for events (updates of other windows, null events
//   for idle work, and a press on a custom control after it was tracked, with its item in
//   eventData.itemHit), kNavCBUserAction when the user accepted (not on Cancel), and
//   kNavCBTerminate last. NavDialogGetReply is valid from the user action on.
// - Accepting: Open with one folder selected opens that folder; with files, the reply holds
//   them. Save needs a name (the default button is inactive while the field is empty); an
//   existing file of that name is replaced only after the user confirms it in an alert (the
//   reply's replacing flag is then set), an existing folder cannot be replaced. Choose-folder
//   answers the selected folder, or the folder shown when none is selected; choose-object the
//   selected entries, or the folder shown.
// - Replies of the dialog-object form carry 'fsrf' items: the chosen files, the folder to save
//   into (with saveFileName, a CFString of the typed name) or the chosen folder. The one-call
//   forms carry 'fss ' items: a file as (volume, folder, name), a folder as (volume, its own
//   directory id, empty name), the file to save as (volume, folder, typed name).
// - Double-clicking a folder opens it, a file in an open or choose-object dialog chooses it.
//   The arrow keys move the selection, Return presses the default button, Escape Cancel.
//
// Calls check their arguments (paramErr) and their dialog; nothing throws.
#pragma once

#include "AppleEvents.h"
#include "CFString.h"
#include "Events.h"
#include "Files.h"
#include "MacTypes.h"
#include "MacWindows.h"

struct OpaqueNavDialogRef;
typedef OpaqueNavDialogRef* NavDialogRef;

// ---- Options --------------------------------------------------------------------------------
typedef UInt32 NavDialogOptionFlags;
enum : NavDialogOptionFlags {
  kNavNoTypePopup = 0x00000001,
  kNavDontAutoTranslate = 0x00000002,
  kNavDontAddTranslateItems = 0x00000004,
  kNavAllFilesInPopup = 0x00000010,
  kNavAllowStationery = 0x00000020,
  kNavAllowPreviews = 0x00000040,
  kNavAllowMultipleFiles = 0x00000080,
  kNavAllowInvisibleFiles = 0x00000100,
  kNavDontResolveAliases = 0x00000200,
  kNavSelectDefaultLocation = 0x00000400,
  kNavSelectAllReadableItem = 0x00000800,
  // What NavGetDefaultDialogCreationOptions and NavGetDefaultDialogOptions give.
  kNavDefaultNavDlogOptions =
      kNavDontAddTranslateItems | kNavAllowStationery | kNavAllowPreviews | kNavAllowMultipleFiles,
};

typedef UInt32 WindowModality;
enum : WindowModality {
  kWindowModalityNone = 0,
  kWindowModalitySystemModal = 1,
  kWindowModalityAppModal = 2,
  kWindowModalityWindowModal = 3,
};

enum : UInt16 { kNavDialogCreationOptionsVersion = 0 };

// The texts are the caller's (the dialog keeps its own references while it lives); null means
// the standard text.
struct NavDialogCreationOptions {
  UInt16 version;
  NavDialogOptionFlags optionFlags;
  Point location;  // (-1, -1): centred
  CFStringRef clientName;
  CFStringRef windowTitle;
  CFStringRef actionButtonLabel;
  CFStringRef cancelButtonLabel;
  CFStringRef saveFileName;
  CFStringRef message;
  UInt32 preferenceKey;  // kept, not used
  WindowModality modality;
  WindowRef parentWindow;
};

// The one-call form's options: texts are length-prefixed MacJapanese (empty: the standard).
enum : UInt16 { kNavDialogOptionsVersion = 0 };
struct NavDialogOptions {
  UInt16 version;
  NavDialogOptionFlags dialogOptionFlags;
  Point location;
  Str255 clientName;
  Str255 windowTitle;
  Str255 actionButtonLabel;
  Str255 cancelButtonLabel;
  Str255 savedFileName;
  Str255 message;
  UInt32 preferenceKey;
};

// ---- Type lists -----------------------------------------------------------------------------
// A handle holding the record (osTypeCount types follow one another from osType[0]).
struct NavTypeList {
  OSType componentSignature;
  SInt16 reserved;
  SInt16 osTypeCount;
  OSType osType[1];
};
typedef NavTypeList* NavTypeListPtr;
typedef NavTypeListPtr* NavTypeListHandle;

// ---- Callbacks ------------------------------------------------------------------------------
typedef SInt32 NavEventCallbackMessage;
enum : NavEventCallbackMessage {
  kNavCBEvent = 0,
  kNavCBCustomize = 1,
  kNavCBStart = 2,
  kNavCBTerminate = 3,
  kNavCBUserAction = 12,
};

typedef UInt32 NavUserAction;
enum : NavUserAction {
  kNavUserActionNone = 0,
  kNavUserActionCancel = 1,
  kNavUserActionOpen = 2,
  kNavUserActionSaveAs = 3,
  kNavUserActionChoose = 4,
};

struct NavEventData {
  union {
    EventRecord* event;
    void* param;
  } eventDataParms;
  SInt16 itemHit;  // the dialog item the event concerns; 0 for none
};

enum : UInt16 { kNavCBRecVersion = 0 };
struct NavCBRec {
  UInt16 version;
  NavDialogRef context;
  WindowRef window;
  Rect customRect;
  Rect previewRect;
  NavEventData eventData;
  NavUserAction userAction;
};
typedef NavCBRec* NavCBRecPtr;

typedef void (*NavEventProcPtr)(NavEventCallbackMessage callBackSelector, NavCBRecPtr callBackParms,
                                void* callBackUD);
typedef NavEventProcPtr NavEventUPP;
typedef Boolean (*NavPreviewProcPtr)(NavCBRecPtr callBackParms, void* callBackUD);
typedef NavPreviewProcPtr NavPreviewUPP;

typedef SInt16 NavFilterModes;
enum : NavFilterModes {
  kNavFilteringBrowserList = 0,
  kNavFilteringFavorites = 1,
  kNavFilteringRecents = 2,
  kNavFilteringShortCutVolumes = 3,
  kNavFilteringLocationPopup = 4,
};

// What the object filter's info points at.
enum : UInt16 { kNavFileOrFolderVersion = 1 };
struct NavFileOrFolderInfo {
  UInt16 version;
  Boolean isFolder;
  Boolean visible;
  UInt32 creationDate;      // seconds since 1904, local time
  UInt32 modificationDate;  // seconds since 1904, local time
  union {
    struct {
      Boolean locked;  // not writable
      UInt32 dataSize;
      FInfo finderInfo;
    } fileInfo;
    struct {
      UInt32 numberOfFiles;  // entries of the folder
    } folderInfo;
  } fileAndFolder;
};

typedef Boolean (*NavObjectFilterProcPtr)(AEDesc* theItem, void* info, void* callBackUD,
                                          NavFilterModes filterMode);
typedef NavObjectFilterProcPtr NavObjectFilterUPP;

// UPPs are the plain procedures; disposing has nothing to free.
NavEventUPP NewNavEventUPP(NavEventProcPtr userRoutine);
void DisposeNavEventUPP(NavEventUPP userUPP);
void InvokeNavEventUPP(NavEventCallbackMessage callBackSelector, NavCBRecPtr callBackParms,
                       void* callBackUD, NavEventUPP userUPP);
NavObjectFilterUPP NewNavObjectFilterUPP(NavObjectFilterProcPtr userRoutine);
void DisposeNavObjectFilterUPP(NavObjectFilterUPP userUPP);
Boolean InvokeNavObjectFilterUPP(AEDesc* theItem, void* info, void* callBackUD,
                                 NavFilterModes filterMode, NavObjectFilterUPP userUPP);
NavPreviewUPP NewNavPreviewUPP(NavPreviewProcPtr userRoutine);
void DisposeNavPreviewUPP(NavPreviewUPP userUPP);

// ---- Replies --------------------------------------------------------------------------------
enum : UInt16 { kNavReplyRecordVersion = 1 };
// Filled by NavDialogGetReply and the one-call forms; NavDisposeReply frees the selection and
// the save name.
struct NavReplyRecord {
  UInt16 version;
  Boolean validRecord;
  Boolean replacing;
  Boolean isStationery;
  Boolean translationNeeded;
  AEDescList selection;
  ScriptCode keyScript;
  CFStringRef saveFileName;  // save dialogs: the typed name; otherwise null
};

// ---- Dialog items ---------------------------------------------------------------------------
enum : SInt16 {
  kNavItemDefaultButton = 1,
  kNavItemCancelButton = 2,
  kNavItemNewFolderButton = 3,
  kNavItemList = 4,
  kNavItemScrollBar = 5,
  kNavItemLocationPopup = 6,
  kNavItemLocationLabel = 7,
  kNavItemNameLabel = 8,
  kNavItemNameField = 9,
  kNavItemMessage = 10,
  kNavItemCustomArea = 11,  // the custom area's corner; custom items follow it
};

// ---- Custom control -------------------------------------------------------------------------
typedef SInt32 NavCustomControlMessage;
enum : NavCustomControlMessage {
  kNavCtlSetLocation = 8,         // parms: AEDesc* of an 'fss ' or 'fsrf' item
  kNavCtlAddControlList = 19,     // parms: Handle of 'DITL' bytes, placed in the custom area
  kNavCtlGetFirstControlID = 20,  // parms: UInt16*: the items before the custom ones
};

// ---- Availability ---------------------------------------------------------------------------
// Always available here; loading and unloading have nothing to do.
Boolean NavServicesAvailable();
OSErr NavLoad();
OSErr NavUnload();

// ---- The dialog-object form -----------------------------------------------------------------
// The standard options: version 0, kNavDefaultNavDlogOptions, location (-1, -1), no texts,
// application-modal, no parent. paramErr for null.
OSStatus NavGetDefaultDialogCreationOptions(NavDialogCreationOptions* outOptions);

// Each makes the dialog (hidden) with a copy of the options and the type list. paramErr for
// a null output or options of another version; memFullErr when it cannot be made.
OSStatus NavCreateGetFileDialog(const NavDialogCreationOptions* inOptions,
                                NavTypeListHandle inTypeList, NavEventUPP inEventProc,
                                NavPreviewUPP inPreviewProc, NavObjectFilterUPP inFilterProc,
                                void* inClientData, NavDialogRef* outDialog);
OSStatus NavCreatePutFileDialog(const NavDialogCreationOptions* inOptions, OSType inFileType,
                                OSType inFileCreator, NavEventUPP inEventProc, void* inClientData,
                                NavDialogRef* outDialog);
OSStatus NavCreateChooseFolderDialog(const NavDialogCreationOptions* inOptions,
                                     NavEventUPP inEventProc, NavObjectFilterUPP inFilterProc,
                                     void* inClientData, NavDialogRef* outDialog);
OSStatus NavCreateChooseObjectDialog(const NavDialogCreationOptions* inOptions,
                                     NavEventUPP inEventProc, NavPreviewUPP inPreviewProc,
                                     NavObjectFilterUPP inFilterProc, void* inClientData,
                                     NavDialogRef* outDialog);

// Runs the dialog until it closes (see the top of this file). paramErr for a bad dialog or one
// that runs already.
OSStatus NavDialogRun(NavDialogRef inDialog);
// The reply of the last accepted user action (validRecord false before one). paramErr for a
// bad dialog or null output.
OSStatus NavDialogGetReply(NavDialogRef inDialog, NavReplyRecord* outReply);
OSStatus NavDisposeReply(NavReplyRecord* inReply);
// Disposes of the dialog and its window. Nothing for a bad dialog.
void NavDialogDispose(NavDialogRef inDialog);
WindowRef NavDialogGetWindow(NavDialogRef inDialog);
NavUserAction NavDialogGetUserAction(NavDialogRef inDialog);

// kNavCtlSetLocation (before or while the dialog runs), kNavCtlAddControlList (at kNavCBStart),
// kNavCtlGetFirstControlID. paramErr for a bad dialog, message or parms.
OSErr NavCustomControl(NavDialogRef inContext, NavCustomControlMessage inSelector, void* ioParms);

// ---- The one-call form ----------------------------------------------------------------------
// The standard options: version 0, kNavDefaultNavDlogOptions, location (-1, -1), empty texts.
OSErr NavGetDefaultDialogOptions(NavDialogOptions* dialogOptions);

// Each runs its dialog to the end. noErr with a valid reply when the user accepted;
// userCanceledErr (with an invalid reply) when not. A null default location, options (the
// standard ones then), procedures or type list are allowed; paramErr for a null reply.
OSErr NavGetFile(AEDesc* defaultLocation, NavReplyRecord* reply, NavDialogOptions* dialogOptions,
                 NavEventUPP eventProc, NavPreviewUPP previewProc, NavObjectFilterUPP filterProc,
                 NavTypeListHandle typeList, void* callBackUD);
OSErr NavPutFile(AEDesc* defaultLocation, NavReplyRecord* reply, NavDialogOptions* dialogOptions,
                 NavEventUPP eventProc, OSType fileType, OSType fileCreator, void* callBackUD);
OSErr NavChooseFolder(AEDesc* defaultLocation, NavReplyRecord* reply,
                      NavDialogOptions* dialogOptions, NavEventUPP eventProc,
                      NavObjectFilterUPP filterProc, void* callBackUD);
OSErr NavChooseObject(AEDesc* defaultLocation, NavReplyRecord* reply,
                      NavDialogOptions* dialogOptions, NavEventUPP eventProc,
                      NavObjectFilterUPP filterProc, void* callBackUD);

typedef UInt32 NavTranslationOptions;
enum : NavTranslationOptions {
  kNavTranslateInPlace = 0,
  kNavTranslateCopy = 1,
};
// Files are never translated here: noErr for a reply, paramErr for null.
OSErr NavCompleteSave(NavReplyRecord* reply, NavTranslationOptions howToTranslate);
