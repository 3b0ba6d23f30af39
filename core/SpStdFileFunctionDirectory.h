// Folder listings and file entries of the file library.
//
// A folder's contents travel as an intrusive list of cDirectoryItem, one entry per file or
// folder with its names, ids, Finder information and dates. Two listing functions fill such a
// list, one through the classic catalogue (by index) and one through the bulk catalogue
// iterator of FSRefs; three set functions (section, union, difference) combine lists into new
// lists of copies; Sp_DisposeDirectoryItemList frees a list. The caller owns every list it is
// given. cFileInfoObj is the smaller entry (volume, parent folder, name) in which the
// open-documents event hands its files on.
//
// A null required pointer sounds the beep and logs one record (source "SpStdFileFunction",
// the function's name, code 1). Listing errors are returned, and the entries made before the
// error are still handed over.
#pragma once

#include "Files.h"
#include "MacTypes.h"
#include "SpListLinks.h"

// Name buffers of a cDirectoryItem: 1022 bytes of text and the terminator.
enum : SInt32 {
  kSpDirectoryItemNameSize = 1023,
  kSpDirectoryItemMaxNameLength = kSpDirectoryItemNameSize - 1,
};

class cDirectoryItem : public cSpListLinks<cDirectoryItem> {
 public:
  cDirectoryItem() { StartUpInitialize(); }
  // A cleared entry holding the other entry's volume, parent, classic name, folder flag,
  // Finder information and both dates; the long name, the id, the catalogue information and
  // the list links are not copied.
  cDirectoryItem(const cDirectoryItem& other);
  cDirectoryItem& operator=(const cDirectoryItem&) = delete;
  ~cDirectoryItem() = default;

  // Clears every field but the list links.
  void StartUpInitialize();

  // ---- Setting up ----
  // Volume, parent folder and classic name (cut to 1022 bytes on a character boundary).
  void SetupItemName(short vRefNum, SInt32 parentDirID, const char* name);
  // The long name (cut to 1022 bytes on a character boundary).
  void SetupChangedFromUnicodeFileName(const char* name);
  void SetupDirectoryFlag(unsigned char isDirectory) { isDirectory_ = isDirectory ? 1 : 0; }
  void SetupCreateDateTime(UInt32 seconds) { createDate_ = seconds; }
  void SetupModifyDateTime(UInt32 seconds) { modifyDate_ = seconds; }
  void SetupFileInfo(const FInfo* finderInfo);
  void SetupFileOrDirId(SInt32 id) { fileOrDirID_ = id; }
  // Keeps a copy of the catalogue information.
  void SetupFSCatalogInfo(const FSCatalogInfo* info);
  // Takes volume, parent, id and the low 32 bits of the creation and content-modification
  // dates from the catalogue information kept by SetupFSCatalogInfo; nothing before that.
  void SetupFileInfoFromSetupedFSCatalogInfo();
  // Reads the Finder information of the entry's own (volume, parent, name) from the disk.
  OSErr SetupFInfoFromSetupedFileData();

  // ---- Reading ----
  Boolean IsDirectory() const { return isDirectory_ != 0; }
  // Answers 1 for an entry a person sees in a folder's window: a file or folder whose Finder
  // flags lack the invisible bit (0x4000) and whose name does not start with '.' (Linux's
  // hidden items); 0 otherwise. The file dialogs open on the first such entry of a folder
  // when the item they were asked to show is missing.
  Boolean IsVisibleFile() const;
  // From the Finder information; 0 for a folder.
  OSType GetCreator() const;
  OSType GetFileType() const;
  SInt32 GetFileOrDirecotryId() const { return fileOrDirID_; }
  // Copies the Finder information; always 0.
  OSErr GetFileInfo(FInfo& finderInfo) const;

  // Copies the classic name when it is at most size - 2 bytes long (tooLong cleared) and
  // returns the buffer; otherwise, and for a null buffer or a size of 0 or less, sets tooLong
  // and returns null.
  char* GetFileName(char* buffer, SInt32 size, unsigned char& tooLong) const;
  SInt32 GetFileNameLength() const;
  // The entry's full path (Disk:Folder:Name) when it is at most size - 2 bytes long, as
  // GetFileName; a catalogue error gives null with tooLong cleared.
  char* GetFullPathName(char* buffer, SInt32 size, unsigned char& tooLong) const;
  // The full path's byte length; 0 when the catalogue cannot tell.
  SInt32 GetFullPathNameLength() const;
  // Each output optional; the name as GetFileName.
  void GetNamePosition(short* vRefNum, SInt32* dirID, char* name, SInt32 size,
                       unsigned char* tooLong) const;
  // Copies the long name; out must hold kSpDirectoryItemNameSize bytes.
  void GetChangedFromUnicodeFileName(char* out) const;
  OSErr GetVolumeRefNum(short& vRefNum) const;
  OSErr GetUpperDirectoryId(SInt32& dirID) const;
  // The catalogue information kept by SetupFSCatalogInfo, null when none was kept.
  const FSCatalogInfo* GetFSCatalogInfo() const {
    return hasCatalogInfo_ ? &catalogInfo_ : nullptr;
  }
  UInt32 GetCreateDateTime() const { return createDate_; }
  UInt32 GetModifyDateTime() const { return modifyDate_; }

  // ---- Comparing ----
  // True when every field whose flag is set is equal: volume, parent folder, classic name
  // (byte for byte), folder flag, creator, type, Finder flags, location.
  Boolean EqualDirectoryItem(const cDirectoryItem* other, unsigned char volumeFlag,
                             unsigned char parentFlag, unsigned char nameFlag,
                             unsigned char directoryFlag, unsigned char creatorFlag,
                             unsigned char typeFlag, unsigned char finderFlagsFlag,
                             unsigned char locationFlag) const;
  // The first entry from this one on that equals probe under the flags; null when none.
  cDirectoryItem* GetEqualItemFromListItem(const cDirectoryItem* probe, unsigned char volumeFlag,
                                           unsigned char parentFlag, unsigned char nameFlag,
                                           unsigned char directoryFlag, unsigned char creatorFlag,
                                           unsigned char typeFlag, unsigned char finderFlagsFlag,
                                           unsigned char locationFlag);
  // The first entry from this one on with the same classic name; null when none.
  cDirectoryItem* GetEqualItemFromListItemByName(const cDirectoryItem* probe);

 private:
  // Takes entries out of the middle of a list.
  friend cDirectoryItem* Sp_GetDiffDirectoryItemList(
      cDirectoryItem*& a, cDirectoryItem* b, unsigned char copyFlag, unsigned char volumeFlag,
      unsigned char parentFlag, unsigned char nameFlag, unsigned char directoryFlag,
      unsigned char creatorFlag, unsigned char typeFlag, unsigned char finderFlagsFlag,
      unsigned char locationFlag);

  short vRefNum_;
  SInt32 parentDirID_;
  char name_[kSpDirectoryItemNameSize];
  char unicodeName_[kSpDirectoryItemNameSize];
  UInt8 isDirectory_;
  FInfo finderInfo_;
  SInt32 fileOrDirID_;
  UInt8 hasCatalogInfo_;
  FSCatalogInfo catalogInfo_;
  UInt32 createDate_;
  UInt32 modifyDate_;
};

// The capacity of a cFileInfoObj's name buffer.
enum : SInt32 { kSpFileInfoObjNameSize = 512 };

class cFileInfoObj : public cSpListLinks<cFileInfoObj> {
 public:
  cFileInfoObj() { StartUpInitialize(); }
  cFileInfoObj(const cFileInfoObj&) = delete;
  cFileInfoObj& operator=(const cFileInfoObj&) = delete;
  // Does nothing: the owner unlinks and deletes its entries.
  ~cFileInfoObj() = default;

  void StartUpInitialize();

  void SetupVolumeRefNum(short vRefNum) { vRefNum_ = vRefNum; }
  void SetupUpperDirId(SInt32 dirID) { parentDirID_ = dirID; }
  // Copies the name, cut to capacity - 2 bytes on a character boundary.
  void SetupFileName(const char* name);
  short GetVolumeRefNum() const { return vRefNum_; }
  SInt32 GetUpperDirId() const { return parentDirID_; }
  // Copies at most size - 2 bytes of the name (whole characters) and returns the buffer; cut
  // tells whether the name was cut. A null buffer or a size of 0 or less gives null with cut
  // set.
  char* GetFileName(char* buffer, SInt32 size, unsigned char& cut) const;

 private:
  short vRefNum_;
  SInt32 parentDirID_;
  SInt32 nameCapacity_;
  char name_[kSpFileInfoObjNameSize];
};

// ---- Listing -------------------------------------------------------------------------------

// Lists the folder dirID (folderName null or empty) or the folder folderName inside dirID
// (folderName may also be a full path, with vRefNum and dirID 0) through the classic
// catalogue. Folders are always listed; files with the invisible Finder flag only with
// includeInvisibleFlag. list is set to null first and receives the entries in catalogue
// order; an empty folder gives a null list and noErr.
OSErr Sp_SerchFolderItemInDirId(short vRefNum, SInt32 dirID, const char* folderName,
                                cDirectoryItem*& list, unsigned char includeInvisibleFlag);
// The same for the folder named by a full path.
OSErr Sp_SerchFolderItem(const char* fullPath, cDirectoryItem*& list,
                         unsigned char includeInvisibleFlag);
// Lists the folder through the bulk catalogue iterator, 20 entries at a time; entries carry
// the catalogue information as well. folderName is not used.
OSErr Sp_SerchFolderItemInDirIdForMacOSX(const FSRef* folder, const char* folderName,
                                         cDirectoryItem*& list, unsigned char includeInvisibleFlag);
// Destroys every entry from head on.
void Sp_DisposeDirectoryItemList(cDirectoryItem* head);

// ---- Set operations (new lists of copies; the caller disposes them) -----------------------

// Copies of the entries of a that have an equal entry in b, in the order of a; null when
// either list is null or nothing matches.
cDirectoryItem* Sp_GetSectDirectoryItemList(cDirectoryItem* a, cDirectoryItem* b,
                                            unsigned char volumeFlag, unsigned char parentFlag,
                                            unsigned char nameFlag, unsigned char directoryFlag,
                                            unsigned char creatorFlag, unsigned char typeFlag,
                                            unsigned char finderFlagsFlag,
                                            unsigned char locationFlag);
// Copies of all entries of a, then copies of the entries of b that have no equal in a.
cDirectoryItem* Sp_GetUnionDirectoryItemList(cDirectoryItem* a, cDirectoryItem* b,
                                             unsigned char volumeFlag, unsigned char parentFlag,
                                             unsigned char nameFlag, unsigned char directoryFlag,
                                             unsigned char creatorFlag, unsigned char typeFlag,
                                             unsigned char finderFlagsFlag,
                                             unsigned char locationFlag);
// The entries of a that have no equal in b, in the order of a. With copyFlag they are copies
// and a is left as it was; without it they are taken out of a itself, and a is updated to
// the head of what remains (null when nothing remains). Null when no entry qualifies.
cDirectoryItem* Sp_GetDiffDirectoryItemList(cDirectoryItem*& a, cDirectoryItem* b,
                                            unsigned char copyFlag, unsigned char volumeFlag,
                                            unsigned char parentFlag, unsigned char nameFlag,
                                            unsigned char directoryFlag, unsigned char creatorFlag,
                                            unsigned char typeFlag, unsigned char finderFlagsFlag,
                                            unsigned char locationFlag);
