// A program item: one entry of a program, either one track of an audio CD or one sound file.
//
// An item records where its sound lies (the track's file on the CD volume, or the sound
// file), its positions and length on the CD and on the program's time line, in CD units, its
// titles, and its places in the program's item list and play chain. Items are made and
// destroyed only by their program (cSp_CDRProgramBaseObj::NewProgramItem).
//
// A track item points at its CD object and at the CD's record of its track while the CD is
// mounted. When the CD goes, its program lets go of both (ForgetCDMedia): the item keeps its
// file name, title and positions, and says so with its CD-gone flag.
#pragma once

#include "MacTypes.h"
#include "SpCDDiscPosition.h"
#include "SpMacHeapObject.h"

class cSp_CDRomMediaDataObj;
class cSp_QTFileDataObj;
struct sSpMusicFileInfo;

// An item's kind.
enum tCDRProgItemType : UInt8 {
  kSpCDRProgItemCDTrack = 0,
  kSpCDRProgItemSoundFile = 1,
};

enum : SInt32 { kSpProgramItemNameSize = 512 };  // file name and title, terminator included

class cSp_CDRProgramItemObj : public cSpMacHeapObject {
 public:
  cSp_CDRProgramItemObj() { StartUpInitialize(); }
  ~cSp_CDRProgramItemObj() {}
  cSp_CDRProgramItemObj(const cSp_CDRProgramItemObj&) = delete;
  cSp_CDRProgramItemObj& operator=(const cSp_CDRProgramItemObj&) = delete;

  // Every field zero, null or empty (the list links are left to the lists).
  void StartUpInitialize();

  // Stores the kind, place, file name and title (each cut to 511 bytes), the file's id (0 when
  // the look-up fails) and the file's sound-file object from the media manager: a track's is
  // made without reading the track; a sound file's is found, else made from `info` when that
  // is given, else read from the file. 1 when the item has its sound-file object.
  Boolean SetupFileProgramInfo(short vRefNum, SInt32 dirID, const char* fileName, const char* title,
                               tCDRProgItemType type, const sSpMusicFileInfo* info,
                               unsigned char* error);

  // Reference number = the previous item's + 1, or 1 without a previous item; with all, the
  // same for every following item.
  void SetupReferenceNo(unsigned char all);
  SInt32 SetupNormaReferenceNo(UInt32 n) {
    normalReferenceNo_ = n;
    return 0;
  }
  void SetupNormaReferenceNoToReferenceNo(unsigned char all);
  void SetupGenerationNo(UInt32 n) { generationNo_ = n; }
  SInt32 GetReferenceNo() const { return referenceNo_; }
  UInt32 GetNormalReferenceNo() const { return normalReferenceNo_; }
  UInt32 GetGenerationNo() const { return generationNo_; }

  // The title a saved file is named by, into buffer (size > 2): a sound file's first
  // non-empty one of its tags' title, the item's title and its file name, cut to size - 2
  // bytes; a track's title from its CD.
  Boolean GetMusicTitleForSaveFile(char* buffer, SInt32 size, unsigned char* error);
  // A track's title from its CD (title database or track file); 0 for a sound file and for a
  // track whose CD is gone.
  Boolean GetCDDBTrackSongTitle(char* buffer, SInt32 size, unsigned char* error);
  // The length as minutes, seconds and frames; each output optional. 1.
  Boolean GetCDTrackPlayTime(short* minutes, short* seconds, short* frames);
  // The file's size: the one its sound-file object recorded, else both forks' physical size.
  Boolean GetFileProgramItemSize(SInt32& size);
  // Copies what the item is (kind, CD, track, positions, length, place, names, file id and
  // sound-file object); its numbers, links and CD-gone flag stay its own.
  void CopyDataFromTarget(const cSp_CDRProgramItemObj* source);

  // The item list. LinkToNext splices the chain that begins at `chain` (to its last item)
  // right after this item, this item's former next following the chain's last item;
  // UnlinkNext cuts the list after this item and answers the rest.
  void LinkToNext(cSp_CDRProgramItemObj* chain) { Splice(&cSp_CDRProgramItemObj::list_, chain); }
  cSp_CDRProgramItemObj* UnlinkNext() { return Cut(&cSp_CDRProgramItemObj::list_); }
  cSp_CDRProgramItemObj* GetBeforeObjectPtr() const { return list_.before; }
  cSp_CDRProgramItemObj* GetNextObjectPtr() const { return list_.next; }
  cSp_CDRProgramItemObj* GetLastObjectPtr() { return Last(&cSp_CDRProgramItemObj::list_); }

  // The play chain: the same five operations on the second pair of links.
  void LinkToTargetNext(cSp_CDRProgramItemObj* chain) {
    Splice(&cSp_CDRProgramItemObj::target_, chain);
  }
  cSp_CDRProgramItemObj* UnlinkTargetNext() { return Cut(&cSp_CDRProgramItemObj::target_); }
  cSp_CDRProgramItemObj* GetTargetBeforeObjectPtr() const { return target_.before; }
  cSp_CDRProgramItemObj* GetTargetNextObjectPtr() const { return target_.next; }
  cSp_CDRProgramItemObj* GetLastTargetObjectPtr() { return Last(&cSp_CDRProgramItemObj::target_); }
  void ClearTargetLinkPointer() { target_ = Links(); }

  // ---- The item's fields ----
  tCDRProgItemType GetItemType() const { return type_; }
  cSp_CDRomMediaDataObj* GetCDMedia() const { return cd_; }
  sTrackDataForOSX* GetTrackData() const { return track_; }
  unsigned char GetCDGoneFlag() const { return cdGone_; }
  void SetupCDGoneFlag() { cdGone_ = 1; }
  // A track item of this CD: the CD, its track record and positions from it.
  void SetupCDTrack(cSp_CDRomMediaDataObj* cd, sTrackDataForOSX* track);
  // Lets go of the CD and its track record (the CD is going away); CD-gone is set.
  void ForgetCDMedia();
  const cDiscPosition& GetStartPosition() const { return start_; }
  const cDiscPosition& GetEndPosition() const { return end_; }
  const cDiscPosition& GetRealStartPosition() const { return realStart_; }
  const cDiscPosition& GetRealEndPosition() const { return realEnd_; }
  void SetupEndPosition(const cDiscPosition& end) { end_ = end; }
  void SetupRealPositions(const cDiscPosition& start, const cDiscPosition& end) {
    realStart_ = start;
    realEnd_ = end;
  }
  // The file was found elsewhere (by its file id): its folder and name (cut to 511 bytes).
  void SetupFileLocation(SInt32 dirID, const char* fileName);
  SInt32 GetLength() const { return length_; }
  void SetupLength(SInt32 sectors) { length_ = sectors; }
  // A sound file's item as long as the file: its end position and length from the seconds.
  void SetupFileLength(float seconds);
  // The item's sound file was written anew (a save replaced it): its description is read again
  // and the item's file id and length follow. 0, and the item as it was, when the file cannot
  // be read as sound.
  Boolean RenewSoundFile(unsigned char* error);
  short GetVolumeRefNum() const { return vRefNum_; }
  SInt32 GetDirID() const { return dirID_; }
  const char* GetFileName() const { return fileName_; }
  const char* GetTitle() const { return title_; }
  SInt32 GetFileID() const { return fileID_; }
  cSp_QTFileDataObj* GetQTFileMedia() const { return qtFile_; }

 private:
  struct Links {
    cSp_CDRProgramItemObj* before = nullptr;
    cSp_CDRProgramItemObj* next = nullptr;
  };
  typedef Links cSp_CDRProgramItemObj::*LinkPair;
  void Splice(LinkPair links, cSp_CDRProgramItemObj* chain);
  cSp_CDRProgramItemObj* Cut(LinkPair links);
  cSp_CDRProgramItemObj* Last(LinkPair links);

  Links list_;
  Links target_;
  SInt32 referenceNo_;
  UInt32 normalReferenceNo_;
  UInt32 generationNo_;
  unsigned char cdGone_;
  tCDRProgItemType type_;
  cSp_CDRomMediaDataObj* cd_;
  sTrackDataForOSX* track_;
  cDiscPosition start_;
  cDiscPosition end_;
  SInt32 length_;
  cDiscPosition realStart_;
  cDiscPosition realEnd_;
  short vRefNum_;
  SInt32 dirID_;
  char fileName_[kSpProgramItemNameSize];
  char title_[kSpProgramItemNameSize];
  SInt32 fileID_;
  cSp_QTFileDataObj* qtFile_;
};
