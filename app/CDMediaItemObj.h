// One entry of the media window's list: a mounted audio CD or an added sound file.
//
// A media item owns, through the window, the program that holds the CD's tracks or the sound
// file as program items, and carries what the list and the engine need about its entry: its
// names, its reference number, whether its tracks are shown, its speed and amplification, and
// three play-back callbacks. The transport procedures below drive its program; the window makes
// the items (one per CD as the CD-ROM manager reports them, one per added sound file), links
// them into its list and disposes of their programs before deleting them.
//
// Failures beep once and leave one error-log record (source "CDMediaItemObj").
#pragma once

#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

class cCDR_MediaItem;
class cSp_CDRProgramBaseObj;
class cSp_CDRomMediaDataObj;
class cSp_OriginalIconButtonControl;
class cSp_Window;

// A play-back callback: (the item, the reference value given with it).
typedef unsigned char (*tCDR_MediaItemProcPtr)(cCDR_MediaItem* item, unsigned long refCon);

enum : SInt32 { kCDR_MediaItemNameSize = 256 };  // name and title, terminator included

class cCDR_MediaItem : public cSpListLinks<cCDR_MediaItem>, public cSpMacHeapObject {
 public:
  // Clears every field, keeps the reference number, copies the name when given and the title
  // when given and not empty (each cut to 255 bytes on a character boundary), and sets the
  // speed to 1.0. The window is not kept.
  cCDR_MediaItem(SInt32 referenceNo, const char* name, const char* title, cSp_Window* window);
  // Nothing of its own: the window disposes of the program before deleting the item.
  ~cCDR_MediaItem() {}
  cCDR_MediaItem(const cCDR_MediaItem&) = delete;
  cCDR_MediaItem& operator=(const cCDR_MediaItem&) = delete;

  // Speed 1.0, every other field zero (the list links are the list's).
  void InitializeObjItem();

  // The item's place in its list, counting from 1.
  SInt32 GetMediaItemRankNo() const;
  // The title output type becomes 1 when showNames is 0, else 0.
  void ChangeMediaItemTitleOutputType(unsigned char showNames);
  // A speed of 0 or less is refused; without force the same speed changes nothing; else it is
  // stored and handed to the program. Without a program and without force it is refused. 1
  // when the speed was taken.
  unsigned char SelectSpeed(double speed, unsigned char, unsigned char, unsigned char force);
  // Clears the program's repeat and both repeat flags.
  void ClearRepeatFlag();
  // Stores the amplification limited to 0 ... 100; refused without a program. 1 when stored.
  unsigned char SetAmpValue(short value, unsigned char, unsigned char);

  void SetupBeforePlayStartCB(tCDR_MediaItemProcPtr proc, unsigned long refCon);
  void SetupAfterPlayStartCB(tCDR_MediaItemProcPtr proc, unsigned long refCon);
  void SetupPlayStopCB(tCDR_MediaItemProcPtr proc, unsigned long refCon);
  // The callback's answer; 0 when none is set.
  unsigned char ExecBeforePlayStartCB();
  unsigned char ExecAfterPlayStartCB();
  unsigned char ExecPlayStopCB();

  // Plays the program from that item (-1: from where it stands); once it plays the item is
  // playing and not paused. 1 when it started.
  unsigned char PlayTrack(SInt32 index);
  unsigned char TrackFoward();
  // Not playing, not paused, no repeat.
  void StopButtonOn();

  // ---- Fields ----
  const char* GetName() const { return name_; }
  const char* GetTitle() const { return title_; }
  unsigned char GetTitleOutputType() const { return titleOutputType_; }
  SInt32 GetReferenceNo() const { return referenceNo_; }
  unsigned char GetPresentMark() const { return presentMark_; }
  void SetupPresentMark(unsigned char mark) { presentMark_ = mark; }
  unsigned char IsPlaying() const { return playing_; }
  unsigned char IsPaused() const { return paused_; }
  void SetupPausedFlag(unsigned char paused) { paused_ = paused; }
  cSp_CDRProgramBaseObj* GetProgram() const { return program_; }
  void SetupProgram(cSp_CDRProgramBaseObj* program) { program_ = program; }
  double GetSpeed() const { return speed_; }
  short GetAmpValue() const { return amplification_; }
  unsigned char IsOpen() const { return openFlag_; }
  void SetupOpenFlag(unsigned char open) { openFlag_ = open; }
  // The pressed track of the track buttons and the tick it was noted at.
  SInt32 GetPressedTrackNo() const { return pressedTrackNo_; }
  UInt32 GetPressedTick() const { return pressedTick_; }
  void NotePressedTrack(SInt32 trackNo, UInt32 tick) {
    pressedTrackNo_ = trackNo;
    pressedTick_ = tick;
  }
  // The item is taken out of its list, its neighbours joined (the owner mends its ends).
  void UnlinkFromList() { UnlinkSelf(); }
  void InsertItemAfter(cCDR_MediaItem* item) { InsertAfter(item); }
  void InsertItemBefore(cCDR_MediaItem* item) { InsertBefore(item); }

 private:
  static unsigned char Exec(tCDR_MediaItemProcPtr proc, cCDR_MediaItem* item,
                            unsigned long refCon) {
    return proc != nullptr ? proc(item, refCon) : 0;
  }

  double speed_ = 1.0;
  tCDR_MediaItemProcPtr beforePlayProc_ = nullptr;
  unsigned long beforePlayRefCon_ = 0;
  tCDR_MediaItemProcPtr afterPlayProc_ = nullptr;
  unsigned long afterPlayRefCon_ = 0;
  tCDR_MediaItemProcPtr playStopProc_ = nullptr;
  unsigned long playStopRefCon_ = 0;
  char name_[kCDR_MediaItemNameSize] = {};
  char title_[kCDR_MediaItemNameSize] = {};
  unsigned char titleOutputType_ = 0;
  SInt32 referenceNo_ = 0;
  unsigned char presentMark_ = 0;
  unsigned char playing_ = 0;
  unsigned char paused_ = 0;
  cSp_CDRProgramBaseObj* program_ = nullptr;
  SInt32 pressedTrackNo_ = 0;
  UInt32 pressedTick_ = 0;
  unsigned char repeatAll_ = 0;
  unsigned char repeatOne_ = 0;
  short amplification_ = 0;
  unsigned char openFlag_ = 0;
};

// ---- Transport procedures (offered for icon buttons; reference = the media item) -----------
// Each answers whether an item was given.
unsigned char CDRObj_PlayButtonProc(cSp_OriginalIconButtonControl* button, short,
                                    unsigned long refCon);
unsigned char CDRObj_StopButtonProc(cSp_OriginalIconButtonControl* button, short,
                                    unsigned long refCon);
unsigned char CDRObj_PauseButtonProc(cSp_OriginalIconButtonControl* button, short,
                                     unsigned long refCon);
unsigned char CDRObj_ReplayPauseButtonProc(short, unsigned long refCon);
unsigned char CDRObj_EjectButtonProc(cSp_OriginalIconButtonControl* button, short,
                                     unsigned long refCon);
// Stops the item and ejects its CD: the CD of the track now playing, else the CD of a one-CD
// program, else the CD of the program's current item. Whether the eject succeeded; 1 when
// there is no CD.
unsigned char CDRObj_EjectButtonProcWithMediaItemObj(short, cCDR_MediaItem* item);
unsigned char CDRObj_FirstFowardButtonProc(cSp_OriginalIconButtonControl* button, short,
                                           unsigned long refCon);
unsigned char CDRObj_FirstFowardStopButtonProc(cSp_OriginalIconButtonControl* button, short,
                                               unsigned long refCon);
unsigned char CDRObj_FirstReverseButtonProc(cSp_OriginalIconButtonControl* button, short,
                                            unsigned long refCon);
unsigned char CDRObj_FirstReverseStopButtonProc(cSp_OriginalIconButtonControl* button, short,
                                                unsigned long refCon);
unsigned char CDRObj_TrackFowardAndReverseMouseDownProc(cSp_OriginalIconButtonControl* button,
                                                        short, unsigned long refCon);
unsigned char CDRObj_TrackFowardButtonDownProc(cSp_OriginalIconButtonControl* button, short,
                                               unsigned long refCon);
unsigned char CDRObj_TrackFowardProc(cSp_OriginalIconButtonControl* button, short,
                                     unsigned long refCon);

// ---- Window-side procedures ------------------------------------------------------------------
// Before an item plays: every other item of the window (reference) that plays is stopped.
unsigned char CDRObj_CatchMediaItemBefPlayCB(cCDR_MediaItem* item, unsigned long refCon);
// After an item started or stopped: column 1 of the window's list is refreshed.
unsigned char CDRObj_CatchMediaItemAfterPlayCB(cCDR_MediaItem* item, unsigned long refCon);
unsigned char CDRObj_CatchMediaItemStopPlayCB(cCDR_MediaItem* item, unsigned long refCon);
// The program's end-of-play procedure (reference = the item): the item stops.
void CDRO_EndOfPlay_CounterProc(unsigned long refCon);
// The move-to-front procedure of a window that shows one media item: enables the eject item
// of the File menu in use.
void CDR_MediaItemWindowMoveToFrontProc(cSp_Window* window, short modifiers, unsigned long refCon);
