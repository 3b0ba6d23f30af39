// Text Services Manager: TSM documents and the input method's inline input.
//
// How it works here:
// - The input method is the desktop's: an XIM server that draws its preedit through the
//   program (each clause told apart), else IBus, fcitx, ... through SDL2 (one marked segment);
//   in the tests the fake one of the testing API. It composes text in a preedit and then commits it.
// - A program makes documents (NewTSMDocument) and activates one at a time. While the active
//   document does not use the input window (UseInputWindow false), the preedit is shown inline:
//   each change of it becomes one {'text', 1} update event ('tstx' the whole preedit as UTF-16,
//   'tsfx' the bytes fixed, 'tsup' the old and the new range of the change, 'tshi' each clause
//   the input method tells, by its kind (raw, converted, selected converted; without clauses
//   the whole preedit as raw text) and the caret, 'tscl' the clauses' bounds, 'tspn' the whole
//   preedit), and the commit is one update with everything fixed. Offsets count MacJapanese bytes: characters that MacJapanese cannot hold
//   become '?' first, so the program's conversion of 'tstx' gives exactly these bytes. A preedit
//   is cut (on a character) at 256 UTF-16 units, which the update request reads; a longer commit
//   is sent in pieces of that size, each fixed.
// - Text committed without a preedit shown inline, and every commit while the input window is
//   in use (or no document is active), is typed text ({'text', 2}). The input window is the
//   input method's own: it shows the preedit itself.
// - FixTSMDocument commits the preedit as last shown, at once (the update is sent before the
//   call returns), and has the input method forget it.
// - While the keyboard is held to the Roman script (KeyScript), the input method is off: no
//   preedit comes, typed keys are plain characters.
// - The desktop's candidate window follows the caret: before the program waits for input, the
//   active inline document's owner is asked ({'text', 3}) where the preedit's caret is.
//
// Results are the toolbox's codes; documents are checked where they come in.
#pragma once

#include "AppleEvents.h"
#include "CarbonEvents.h"
#include "MacTypes.h"
#include "MacWindows.h"
#include "QuickDraw.h"

typedef struct OpaqueTSMDocumentID* TSMDocumentID;
typedef OSType InterfaceTypeList[1];

enum : OSType {
  kTextService = 0x74737663,  // 'tsvc': the interface type of a text-service document
};

// Result codes.
enum : OSErr {
  tsmInvalidDocIDErr = -2505,
  tsmDocNotActiveErr = -2507,
  errOffsetIsOutsideOfView = -1801,
};

// ---- Text ranges, as the update request carries them ----------------------------------------
// The records are laid out as the request's data holds them: 2-byte packing, a range 10 bytes,
// an array a 16-bit count followed by its ranges (or offsets).
#pragma pack(push, 2)
struct TextRange {
  SInt32 fStart;
  SInt32 fEnd;
  SInt16 fHiliteStyle;
};
struct TextRangeArray {
  SInt16 fNumOfRanges;
  TextRange fRange[1];
};
struct OffsetArray {
  SInt16 fNumOfOffsets;
  SInt32 fOffset[1];
};
#pragma pack(pop)
typedef TextRange* TextRangePtr;
typedef TextRangeArray* TextRangeArrayPtr;
typedef OffsetArray* OffsetArrayPtr;

constexpr SInt32 kTextRangeSize = 10;
constexpr SInt32 kTextRangeArrayHeaderSize = 2;
constexpr SInt32 kOffsetArrayHeaderSize = 2;
static_assert(sizeof(TextRange) == 10, "a text range is 10 bytes");
static_assert(sizeof(TextRangeArray) == 12, "a one-range array is 12 bytes");
static_assert(sizeof(OffsetArray) == 6, "a one-offset array is 6 bytes");

// Hilite styles of a range.
enum : SInt16 {
  kTSMHiliteCaretPosition = 1,
  kTSMHiliteRawText = 2,
  kTSMHiliteSelectedRawText = 3,
  kTSMHiliteConvertedText = 4,
  kTSMHiliteSelectedConvertedText = 5,
  kTSMHiliteBlockFillText = 6,
  kTSMHiliteOutlineText = 7,
  kTSMHiliteSelectedText = 8,
};

// Region classes of the position-to-offset request.
enum : SInt16 {
  kTSMOutsideOfBody = 1,
  kTSMInsideOfBody = 2,
  kTSMInsideOfActiveInputArea = 3,
};

// Descriptor types of the requests.
enum : DescType {
  typeTextRangeArray = 0x74726179,  // 'tray'
  typeOffsetArray = 0x6F666179,     // 'ofay'
  typeTextRange = 0x7478726E,       // 'txrn'
  typeFixed = 0x66697864,           // 'fixd'
};

// ---- The Apple-event form of the requests ---------------------------------------------------
enum : AEEventID {
  kUpdateActiveInputArea = 0x75706474,  // 'updt'
  kPos2Offset = 0x70327374,             // 'p2st'
  kOffset2Pos = 0x73743270,             // 'st2p'
};

enum : AEKeyword {
  keyAETSMDocumentRefcon = 0x72656663,  // 'refc' (typeRefCon)
  keyAETheData = 0x6B646174,            // 'kdat': the active input area's text
  keyAETheHiliteRange = 0x68726E67,     // 'hrng'
  keyAEUpdateRange = 0x75646E67,        // 'udng'
  keyAEFixLength = 0x6669786C,          // 'fixl'
  keyAEClauseOffsets = 0x636C6175,      // 'clau'
  keyAEPinRange = 0x706E7267,           // 'pnrg'
  keyAECurrentPoint = 0x63706F73,       // 'cpos'
  keyAEDragging = 0x626F6F6C,           // 'bool'
  keyAEOffset = 0x6F667374,             // 'ofst'
  keyAERegionClass = 0x72676E63,        // 'rgnc'
  keyAELeftSide = 0x6B6C6566,           // 'klef'
  keyAEPoint = 0x67706F73,              // 'gpos'
  keyAETextFont = 0x70747866,           // 'ptxf'
  keyAETextPointSize = 0x70747073,      // 'ptps'
  keyAETextLineHeight = 0x6B746C68,     // 'ktlh'
  keyAETextLineAscent = 0x6B746173,     // 'ktas'
  keyAEAngle = 0x6B616E67,              // 'kang'
  keyErrorNumber = 0x6572726E,          // 'errn'
};

// ---- The Carbon form: parameters of {'text', 1, 3, 4} ---------------------------------------
enum : EventParamName {
  kEventParamTextInputSendRefCon = 0x74737263,        // 'tsrc' (typeRefCon)
  kEventParamTextInputSendFixLen = 0x74736678,        // 'tsfx' (typeSInt32)
  kEventParamTextInputSendHiliteRng = 0x74736869,     // 'tshi' (typeTextRangeArray)
  kEventParamTextInputSendUpdateRng = 0x74737570,     // 'tsup' (typeTextRangeArray)
  kEventParamTextInputSendClauseRng = 0x7473636C,     // 'tscl' (typeOffsetArray)
  kEventParamTextInputSendPinRng = 0x7473706E,        // 'tspn' (typeTextRange)
  kEventParamTextInputSendCurrentPoint = 0x74736370,  // 'tscp' (typeQDPoint)
  kEventParamTextInputSendDraggingMode = 0x7473646D,  // 'tsdm' (typeBoolean)
  kEventParamTextInputSendTextOffset = 0x7473746F,    // 'tsto' (typeSInt32)
  kEventParamTextInputReplyRegionClass = 0x74727267,  // 'trrg' (typeSInt16)
  kEventParamTextInputReplyTextOffset = 0x7472746F,   // 'trto' (typeSInt32)
  kEventParamTextInputReplyLeadingEdge = 0x74726C65,  // 'trle' (typeBoolean)
  kEventParamTextInputReplyPoint = 0x74727074,        // 'trpt' (typeQDPoint)
  kEventParamTextInputReplyFont = 0x74726674,         // 'trft' (typeSInt32)
  kEventParamTextInputReplyPointSize = 0x74727A70,    // 'trpz' (typeFixed)
  kEventParamTextInputReplyLineHeight = 0x74726C68,   // 'trlh' (typeSInt16)
  kEventParamTextInputReplyLineAscent = 0x74726C61,   // 'trla' (typeSInt16)
  kEventParamTextInputReplyTextAngle = 0x74727461,    // 'trta' (typeFixed)
};

// ---- Documents ------------------------------------------------------------------------------
// A new, inactive document using the input window. Only kTextService documents exist:
// paramErr for another interface type, a count other than 1 or a null out-pointer.
OSErr NewTSMDocument(SInt16 numOfInterface, const OSType* supportedInterfaceTypes,
                     TSMDocumentID* idocID, unsigned long refcon);
// Deactivates it first when it is active.
OSErr DeleteTSMDocument(TSMDocumentID idocID);
// Makes it the active document (the one active before is deactivated).
OSErr ActivateTSMDocument(TSMDocumentID idocID);
// tsmDocNotActiveErr when it is not active. A preedit shown inline is forgotten unconfirmed.
OSErr DeactivateTSMDocument(TSMDocumentID idocID);
// Commits the preedit of the active document now (see above). tsmDocNotActiveErr when the
// document is not the active one.
OSErr FixTSMDocument(TSMDocumentID idocID);
// True: the input method shows the preedit in its own window; false: inline. A null document
// sets every document.
OSErr UseInputWindow(TSMDocumentID idocID, Boolean useWindow);
// Where the document's inline input may appear (window and region, both may be null). Kept;
// the desktop's input method places its candidate window by the caret instead.
OSErr TSMSetInlineInputRegion(TSMDocumentID inTSMDocument, WindowRef inWindow,
                              RgnHandle inRegion);
