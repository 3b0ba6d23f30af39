// File-name definitions: the user's rules for naming saved files.
//
// A definition is an ordered list of name parts, each one kind of text (a title, the artist, a
// separator, the date, the speed, ...). There are two, one for saving into one file and one for
// saving each item into its own file, each kept in a small file of its own in the "Zanthe
// Folder" of the Preferences folder:
//
//   4 bytes   the version tag "0100"
//   4 bytes   the number of parts n (at most 50)
//   4 x n     each part's kind (only the low 8 bits count)
//
// all integers big-endian. A definition with no parts is never written: its file is deleted.
// Writing goes through a file beside the old one that then takes its name, so a failed write
// never loses the definition the user had.
#pragma once

#include "DateTimeUtils.h"
#include "MacTypes.h"
#include "SpListLinks.h"
#include "SpMacHeapObject.h"

struct sSpFileSysInfo;

// The kind of a name part (8 bits). 0 and 3 stay in lists and files but yield nothing.
typedef UInt8 tSaveFileNameDefType;
enum : tSaveFileNameDefType {
  kTevo_NameDefNone = 0,
  kTevo_NameDefAlbumTitle = 1,
  kTevo_NameDefSongTitle = 2,
  kTevo_NameDefUnused = 3,
  kTevo_NameDefArtistName = 4,
  kTevo_NameDefGenre = 5,
  kTevo_NameDefHyphen = 6,
  kTevo_NameDefUnderbar = 7,
  kTevo_NameDefDateYYYYMMDD = 8,
  kTevo_NameDefDateYYMMDD = 9,
  kTevo_NameDefDateMMDD = 10,
  kTevo_NameDefTimeHH = 11,
  kTevo_NameDefTimeHHMM = 12,
  kTevo_NameDefTimeHHColonMM = 13,
  kTevo_NameDefSpeedInteger2 = 14,
  kTevo_NameDefSpeedInteger = 15,
  kTevo_NameDefSpeedDecimal2 = 16,
  kTevo_NameDefSpeedDecimal = 17,
  kTevo_NameDefKindCount = 18,
};

// Which definition: 3 the one for saving each item into its own file, any other value the one
// for saving into one file. As a dialog kind, 1 means both definitions.
typedef UInt8 tTevo_FileNameDefDlgType;
enum : tTevo_FileNameDefDlgType {
  kTevo_FileNameDefBoth = 1,
  kTevo_FileNameDefIntoOneFile = 2,
  kTevo_FileNameDefIntoEachFile = 3,
};

extern const char kTevo_FileNameDefFolderName[];        // "Zanthe Folder"
extern const char kTevo_FileNameDefIntoOneFileName[];   // "FileNameDefIntoOneFile"
extern const char kTevo_FileNameDefIntoEachFileName[];  // "FileNameDefIntoEachFile"

enum : UInt32 {
  kTevo_FileNameDefCreator = SpFourCC("Zqcd"),
  kTevo_FileNameDefFileType = SpFourCC("preF"),
  kTevo_FileNameDefVersion0100 = SpFourCC("0100"),
  kTevo_FileNameDefMaxItems = 50,
};
enum : SInt32 { kTevo_FileNameDefNameSize = 511 };  // the file's name, terminator included

// The file name of a definition kind.
const char* Tevo_FileNameDefFileName(tTevo_FileNameDefDlgType kind);

// One name part.
class cTevo_SaveFileNameDefItemObject : public cSpListLinks<cTevo_SaveFileNameDefItemObject>,
                                        public cSpMacHeapObject {
 public:
  explicit cTevo_SaveFileNameDefItemObject(tSaveFileNameDefType kind) : kind_(kind) {}
  ~cTevo_SaveFileNameDefItemObject() {}
  cTevo_SaveFileNameDefItemObject(const cTevo_SaveFileNameDefItemObject&) = delete;
  cTevo_SaveFileNameDefItemObject& operator=(const cTevo_SaveFileNameDefItemObject&) = delete;

  tSaveFileNameDefType GetDefinitionType() const { return kind_; }
  void SetupDefinitionType(tSaveFileNameDefType kind) { kind_ = kind; }
  // The items from this one to the end of the list, this one included.
  SInt32 ObjectCountOnLinkNext() const;

 private:
  tSaveFileNameDefType kind_;
};

// One definition with the place of its file; it owns its parts.
class cTevo_SaveFileNameDefObject : public cSpMacHeapObject {
 public:
  // The folder of the file and its name (cut to its first 510 bytes).
  cTevo_SaveFileNameDefObject(short vRefNum, SInt32 dirID, const char* fileName);
  ~cTevo_SaveFileNameDefObject() { WipeoutAllItem(); }
  cTevo_SaveFileNameDefObject(const cTevo_SaveFileNameDefObject&) = delete;
  cTevo_SaveFileNameDefObject& operator=(const cTevo_SaveFileNameDefObject&) = delete;

  // Appends a new part at the tail; null (logged) when it cannot be made.
  cTevo_SaveFileNameDefItemObject* AddNewNameDefItem(tSaveFileNameDefType kind);
  void WipeoutAllItem();
  // The default parts: song title, "_", the speed's integer part, "_", its decimals.
  void DefaultSetup();

  // Writes the definition into its file (none is left for no parts); 1 when the file holds it.
  Boolean SaveFileNameDefinitionIntoDefaultFileInPreferenceFolder();
  // Appends the parts of the file to the list; 1 when the file was read, 0 when there is
  // none or it could not be read. A file with another version tag reads as no parts. A
  // damaged file (cut short, more than 50 parts, or bytes after its last part) adds no parts
  // and empties the list: it is kept beside as "<name> (damaged)" with one failure record
  // (code 2).
  Boolean LoadFileNameDefinitionFromDefaultFileInPreferenceFolder();

  // Rewrites the list in place from a sequence of kinds: parts whose kind differs take the
  // new kind, missing ones are appended, parts left over at the end are removed. The end
  // answers whether anything changed.
  void StartSequentialModify();
  void SetupDefinitionTypeOnSequentialModify(tSaveFileNameDefType kind);
  unsigned char EndOfSequentialModify();

  // Makes the target's list equal to this one's parts of a kind other than 0; the target's
  // modified flag goes through `modified` when given.
  void CopyIntoTargetObject(cTevo_SaveFileNameDefObject* target, unsigned char* modified);
  // The same from the source into this object; answers the modified flag.
  unsigned char CopyFromTargetObject(cTevo_SaveFileNameDefObject* source);

  // 1 when at least one part has a kind other than 0.
  unsigned char CheckExistAbalableItem() const;
  cTevo_SaveFileNameDefItemObject* FileNameDefItemListHeadPtr() const { return head_; }
  SInt32 GetItemCount() const { return head_ != nullptr ? head_->ObjectCountOnLinkNext() : 0; }
  unsigned char GetModifyFlag() const { return modified_; }
  void SetupModifyFlag(unsigned char flag) { modified_ = flag; }

  // The example text of the definition for the dialogs (album, title, artist and genre as
  // placeholders, today's date and time, the speed), zero-terminated in `size` bytes. A part
  // that does not fit is left out; later, shorter parts may still be added.
  void CreateExampleStringForOutput(char* text, SInt32 size, float speed);

  short GetVolumeRefNum() const { return vRefNum_; }
  SInt32 GetDirID() const { return dirID_; }
  const char* GetFileName() const { return fileName_; }

 private:
  void RemoveFrom(cTevo_SaveFileNameDefItemObject* item);

  short vRefNum_ = 0;
  SInt32 dirID_ = 0;
  char fileName_[kTevo_FileNameDefNameSize] = {};
  cTevo_SaveFileNameDefItemObject* head_ = nullptr;
  cTevo_SaveFileNameDefItemObject* tail_ = nullptr;
  cTevo_SaveFileNameDefItemObject* cursor_ = nullptr;
  UInt8 modified_ = 0;
};

// Reads the body behind the version tag from the open file into the definition: the count,
// then each kind (its low 8 bits). paramErr for a count above 50; a read error ends the loop
// and is the result. Nothing is logged: the caller keeps the file.
OSErr Tevo_LoadFileNameDefinisionDataVersion0100(sSpFileSysInfo* file,
                                                 cTevo_SaveFileNameDefObject* definition);

// The speed texts a name part makes, shared by the file names and the examples: the integer
// part cut toward zero (at least `width` digits), and the digits after the point of the speed
// with two decimals at most and at least `minimumDecimals` shown ("" when there is no point).
void Tevo_SpeedIntegerText(float speed, SInt32 width, char* text);
void Tevo_SpeedDecimalText(float speed, short minimumDecimals, char* text, SInt32 size);
// The date and time texts of kinds 8 to 13 ("" for any other kind).
void Tevo_DateTimeText(tSaveFileNameDefType kind, const LongDateRec& now, char* text);

// A save-target record: a list entry the media window frees with its list, which nothing
// fills.
class cCDR_SaveTargetRecordItem : public cSpListLinks<cCDR_SaveTargetRecordItem>,
                                  public cSpMacHeapObject {
 public:
  cCDR_SaveTargetRecordItem() { InitializeObjItem(); }
  ~cCDR_SaveTargetRecordItem() {}
  cCDR_SaveTargetRecordItem(const cCDR_SaveTargetRecordItem&) = delete;
  cCDR_SaveTargetRecordItem& operator=(const cCDR_SaveTargetRecordItem&) = delete;

  void InitializeObjItem();

 private:
  UInt8 flag_;
  UInt8 saveSetup_[112];
  UInt8 folder_[80];
  char text_[512];
  SInt32 value1_;
  SInt32 value2_;
};
