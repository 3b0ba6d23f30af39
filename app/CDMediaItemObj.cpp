#include "CDMediaItemObj.h"

#include "CDMediaManagerObj.h"
#include "CDObjectSource.h"
#include "Clock.h"
#include "Events.h"
#include "SpCDROMProgram.h"
#include "SpCDR_CDMediaObject.h"
#include "SpCDR_ProgramItemObj.h"
#include "SpCDRomManager.h"
#include "SpErrorInfoSystem.h"
#include "SpMenu.h"
#include "SpStdFunction.h"

namespace {

const char kSource[] = "CDMediaItemObj";

// The track number the track buttons go by: the current item while playing, else the first.
SInt32 PlayingTrackNo(const cCDR_MediaItem& item) {
  cSp_CDRProgramBaseObj* program = item.GetProgram();
  if (program == nullptr) return 0;
  cSp_CDRProgramItemObj* track =
      item.IsPlaying() ? program->GetCurrentItem() : program->GetFirstProgramItem();
  return track != nullptr ? track->GetReferenceNo() : 0;
}

cCDR_MediaItem* ItemOf(unsigned long refCon, const char* method) {
  if (refCon == 0) return SpReportFailure(kSource, method, 1, kSpMsgNullArgument, nullptr);
  return reinterpret_cast<cCDR_MediaItem*>(refCon);
}

// The CD an eject of the item goes to: the one the program plays a track of, else the CD of
// a one-CD program, else the CD of the program's current item.
cSp_CDRomMediaDataObj* CDToEject(cSp_CDRProgramBaseObj* program) {
  if (program == nullptr) return nullptr;
  cSp_CDRProgramItemObj* playing = program->GetNowPlayingItem();
  if (program->IsPlaying() && playing != nullptr &&
      playing->GetItemType() == kSpCDRProgItemCDTrack && playing->GetCDMedia() != nullptr) {
    return playing->GetCDMedia();
  }
  cSp_CDRomMediaDataObj* cd = nullptr;
  if (program->IsOneCDRomProgram(&cd) && cd != nullptr) return cd;
  cSp_CDRProgramItemObj* current = program->GetCurrentItem();
  if (current != nullptr && current->GetItemType() == kSpCDRProgItemCDTrack)
    return current->GetCDMedia();
  return nullptr;
}

}  // namespace

cCDR_MediaItem::cCDR_MediaItem(SInt32 referenceNo, const char* name, const char* title,
                               cSp_Window*) {
  InitializeObjItem();
  referenceNo_ = referenceNo;
  if (name != nullptr) Sp_CutStringByByteLen(name, kCDR_MediaItemNameSize - 1, name_);
  if (title != nullptr && title[0] != 0) {
    Sp_CutStringByByteLen(title, kCDR_MediaItemNameSize - 1, title_);
  }
  SelectSpeed(1.0, 1, 0, 1);
}

void cCDR_MediaItem::InitializeObjItem() {
  speed_ = 1.0;
  beforePlayProc_ = afterPlayProc_ = playStopProc_ = nullptr;
  beforePlayRefCon_ = afterPlayRefCon_ = playStopRefCon_ = 0;
  name_[0] = title_[0] = 0;
  titleOutputType_ = 0;
  referenceNo_ = 0;
  presentMark_ = playing_ = paused_ = 0;
  program_ = nullptr;
  pressedTrackNo_ = 0;
  pressedTick_ = 0;
  repeatAll_ = repeatOne_ = 0;
  amplification_ = 0;
  openFlag_ = 0;
}

SInt32 cCDR_MediaItem::GetMediaItemRankNo() const {
  SInt32 rank = 1;
  for (const cCDR_MediaItem* item = GetBeforeObjectPtr(); item != nullptr;
       item = item->GetBeforeObjectPtr()) {
    ++rank;
  }
  return rank;
}

void cCDR_MediaItem::ChangeMediaItemTitleOutputType(unsigned char showNames) {
  titleOutputType_ = showNames == 0 ? 1 : 0;
}

unsigned char cCDR_MediaItem::SelectSpeed(double speed, unsigned char, unsigned char,
                                          unsigned char force) {
  static const char kMethod[] = "cCDR_MediaItem::SelectSpeed";
  if (speed <= 0.0) return SpReportFailure(kSource, kMethod, 1, kSpMsgDataError, (unsigned char)0);
  if (force == 0 && speed == speed_) return 1;
  if (program_ == nullptr && force == 0) {
    return SpReportFailure(kSource, kMethod, 2, kSpMsgDataError, (unsigned char)0);
  }
  speed_ = speed;
  if (program_ != nullptr) program_->ChangeMultiSpeed(speed);
  return 1;
}

void cCDR_MediaItem::ClearRepeatFlag() {
  if (program_ != nullptr) program_->ClearRepeat();
  repeatAll_ = repeatOne_ = 0;
}

unsigned char cCDR_MediaItem::SetAmpValue(short value, unsigned char, unsigned char) {
  if (program_ == nullptr) {
    return SpReportFailure(kSource, "cCDR_MediaItem::SetAmpValue", 1, kSpMsgDataError,
                           (unsigned char)0);
  }
  amplification_ = value > 100 ? 100 : (value < 0 ? 0 : value);
  return 1;
}

void cCDR_MediaItem::SetupBeforePlayStartCB(tCDR_MediaItemProcPtr proc, unsigned long refCon) {
  beforePlayProc_ = proc;
  beforePlayRefCon_ = refCon;
}
void cCDR_MediaItem::SetupAfterPlayStartCB(tCDR_MediaItemProcPtr proc, unsigned long refCon) {
  afterPlayProc_ = proc;
  afterPlayRefCon_ = refCon;
}
void cCDR_MediaItem::SetupPlayStopCB(tCDR_MediaItemProcPtr proc, unsigned long refCon) {
  playStopProc_ = proc;
  playStopRefCon_ = refCon;
}
unsigned char cCDR_MediaItem::ExecBeforePlayStartCB() {
  return Exec(beforePlayProc_, this, beforePlayRefCon_);
}
unsigned char cCDR_MediaItem::ExecAfterPlayStartCB() {
  return Exec(afterPlayProc_, this, afterPlayRefCon_);
}
unsigned char cCDR_MediaItem::ExecPlayStopCB() {
  return Exec(playStopProc_, this, playStopRefCon_);
}

unsigned char cCDR_MediaItem::PlayTrack(SInt32 index) {
  if (program_ == nullptr) {
    return SpReportFailure(kSource, "cCDR_MediaItem::PlayTrack", 1, kSpMsgDataError,
                           (unsigned char)0);
  }
  if (!program_->PlayBackProgram(index)) return 0;
  paused_ = 0;
  playing_ = 1;
  return 1;
}

unsigned char cCDR_MediaItem::TrackFoward() {
  if (program_ == nullptr) {
    return SpReportFailure(kSource, "cCDR_MediaItem::TrackFoward", 1, kSpMsgDataError,
                           (unsigned char)0);
  }
  return program_->TrackFoward() ? 1 : 0;
}

void cCDR_MediaItem::StopButtonOn() {
  playing_ = 0;
  paused_ = 0;
  ClearRepeatFlag();
}

// ---- Transport procedures ------------------------------------------------------------------

unsigned char CDRObj_PlayButtonProc(cSp_OriginalIconButtonControl*, short, unsigned long refCon) {
  cCDR_MediaItem* item = ItemOf(refCon, "CDRObj_PlayButtonProc");
  if (item == nullptr) return 0;
  if (item->IsPlaying() && !item->IsPaused()) return 1;
  item->ExecBeforePlayStartCB();
  item->PlayTrack(-1);
  item->ExecAfterPlayStartCB();
  return 1;
}

unsigned char CDRObj_StopButtonProc(cSp_OriginalIconButtonControl*, short, unsigned long refCon) {
  cCDR_MediaItem* item = ItemOf(refCon, "CDRObj_StopButtonProc");
  if (item == nullptr) return 0;
  if (!item->IsPlaying() && !item->IsPaused()) return 1;
  if (item->GetProgram() != nullptr) item->GetProgram()->StopTheMusic();
  item->StopButtonOn();
  item->ExecPlayStopCB();
  return 1;
}

unsigned char CDRObj_PauseButtonProc(cSp_OriginalIconButtonControl*, short, unsigned long refCon) {
  cCDR_MediaItem* item = ItemOf(refCon, "CDRObj_PauseButtonProc");
  if (item == nullptr) return 0;
  if (item->IsPlaying() && item->GetProgram() != nullptr) {
    item->GetProgram()->PauseTheMusic();
    item->SetupPausedFlag(1);
  }
  return 1;
}

unsigned char CDRObj_ReplayPauseButtonProc(short, unsigned long refCon) {
  cCDR_MediaItem* item = ItemOf(refCon, "CDRObj_ReplayPauseButtonProc");
  if (item == nullptr) return 0;
  if (item->GetProgram() != nullptr && item->GetProgram()->IsPaused()) {
    item->GetProgram()->ReplayPausedTheMusic();
    item->SetupPausedFlag(0);
  }
  return 1;
}

unsigned char CDRObj_EjectButtonProc(cSp_OriginalIconButtonControl*, short modifiers,
                                     unsigned long refCon) {
  cCDR_MediaItem* item = ItemOf(refCon, "CDRObj_EjectButtonProc");
  if (item == nullptr) return 0;
  return CDRObj_EjectButtonProcWithMediaItemObj(modifiers, item);
}

unsigned char CDRObj_EjectButtonProcWithMediaItemObj(short modifiers, cCDR_MediaItem* item) {
  if (item == nullptr) {
    return SpReportFailure(kSource, "CDRObj_EjectButtonProcWithMediaItemObj", 1, kSpMsgNullArgument,
                           (unsigned char)0);
  }
  CDRObj_StopButtonProc(nullptr, modifiers, reinterpret_cast<unsigned long>(item));
  cSp_CDRomMediaDataObj* cd = CDToEject(item->GetProgram());
  if (cd == nullptr) return 1;
  return Sp_CDEjectCD(SInt32(cd->GetReferenceNo())) == noErr ? 1 : 0;
}

unsigned char CDRObj_FirstFowardButtonProc(cSp_OriginalIconButtonControl*, short,
                                           unsigned long refCon) {
  cCDR_MediaItem* item = ItemOf(refCon, "CDRObj_FirstFowardButtonProc");
  if (item == nullptr) return 0;
  if (item->IsPlaying() && item->GetProgram() != nullptr) item->GetProgram()->FirstForward();
  return 1;
}

unsigned char CDRObj_FirstFowardStopButtonProc(cSp_OriginalIconButtonControl*, short,
                                               unsigned long refCon) {
  cCDR_MediaItem* item = ItemOf(refCon, "CDRObj_FirstFowardStopButtonProc");
  if (item == nullptr) return 0;
  if (item->IsPlaying() && item->GetProgram() != nullptr) item->GetProgram()->StopFirstForward();
  return 1;
}

unsigned char CDRObj_FirstReverseButtonProc(cSp_OriginalIconButtonControl*, short,
                                            unsigned long refCon) {
  cCDR_MediaItem* item = ItemOf(refCon, "CDRObj_FirstReverseButtonProc");
  if (item == nullptr) return 0;
  if (item->IsPlaying() && item->GetProgram() != nullptr) item->GetProgram()->FirstReverse();
  return 1;
}

unsigned char CDRObj_FirstReverseStopButtonProc(cSp_OriginalIconButtonControl*, short,
                                                unsigned long refCon) {
  cCDR_MediaItem* item = ItemOf(refCon, "CDRObj_FirstReverseStopButtonProc");
  if (item == nullptr) return 0;
  if (item->IsPlaying() && item->GetProgram() != nullptr) item->GetProgram()->StopFirstReverse();
  return 1;
}

unsigned char CDRObj_TrackFowardAndReverseMouseDownProc(cSp_OriginalIconButtonControl*, short,
                                                        unsigned long refCon) {
  cCDR_MediaItem* item = ItemOf(refCon, "CDRObj_TrackFowardAndReverseMouseDownProc");
  if (item == nullptr) return 0;
  item->NotePressedTrack(PlayingTrackNo(*item), TickCount());
  return 1;
}

unsigned char CDRObj_TrackFowardButtonDownProc(cSp_OriginalIconButtonControl*, short,
                                               unsigned long refCon) {
  cCDR_MediaItem* item = ItemOf(refCon, "CDRObj_TrackFowardButtonDownProc");
  if (item == nullptr) return 0;
  if (item->GetPressedTrackNo() != 0) {
    item->TrackFoward();
    item->NotePressedTrack(item->GetPressedTrackNo(), TickCount());
  }
  return 1;
}

unsigned char CDRObj_TrackFowardProc(cSp_OriginalIconButtonControl*, short, unsigned long refCon) {
  cCDR_MediaItem* item = ItemOf(refCon, "CDRObj_TrackFowardProc");
  if (item == nullptr) return 0;
  const SInt32 pressed = item->GetPressedTrackNo();
  const SInt32 now = PlayingTrackNo(*item);
  // A held button has already moved on by itself.
  if (pressed != 0 && (now == 100 || now != pressed)) return 1;
  item->TrackFoward();
  return 1;
}

// ---- Window-side procedures ----------------------------------------------------------------

unsigned char CDRObj_CatchMediaItemBefPlayCB(cCDR_MediaItem* item, unsigned long refCon) {
  if (refCon == 0) {
    return SpReportFailure(kSource, "CDRObj_CatchMediaItemBefPlayCB", 1, kSpMsgNullArgument,
                           (unsigned char)0);
  }
  reinterpret_cast<cCDR_MediaManager*>(refCon)->StopPlayMediaItem(item);
  return 1;
}

unsigned char CDRObj_CatchMediaItemAfterPlayCB(cCDR_MediaItem*, unsigned long refCon) {
  if (refCon == 0) {
    return SpReportFailure(kSource, "CDRObj_CatchMediaItemAfterPlayCB", 1, kSpMsgNullArgument,
                           (unsigned char)0);
  }
  reinterpret_cast<cCDR_MediaManager*>(refCon)->SetupMediaListInfoItem(1, 0, 0, 0, 0, 0, 0, 1);
  return 1;
}

unsigned char CDRObj_CatchMediaItemStopPlayCB(cCDR_MediaItem* item, unsigned long refCon) {
  return CDRObj_CatchMediaItemAfterPlayCB(item, refCon);
}

void CDRO_EndOfPlay_CounterProc(unsigned long refCon) {
  cCDR_MediaItem* item = ItemOf(refCon, "CDRO_EndOfPlay_CounterProc");
  if (item != nullptr) item->StopButtonOn();
}

void CDR_MediaItemWindowMoveToFrontProc(cSp_Window*, short, unsigned long) {
  Sp_EnableMenuItem(CDR_CurrentMenuBarID(), CDR_CurrentFileMenuID(), kCDR_FileEjectItem, 0);
  if (cSpMenuManager* manager = Sp_GetMenuManager(0)) manager->ReDrawMenu();
}
