// The names a file dialog's filter is to hide: each entry hides its name either in every
// folder or only in its own (volume, directory). The dialog object embeds one list and a
// client filter asks it about each item it sees. Names are MacJapanese and compared byte for
// byte (case-sensitive). Failures beep and log a record under "SpClassicFileSaveOpen".
#pragma once

#include "MacTypes.h"
#include "SpListLinks.h"

enum : SInt32 { kSpExcludeFileNameSize = 1024 };

class cClassicStdFilePkgExcludeFileItem : public cSpListLinks<cClassicStdFilePkgExcludeFileItem> {
 public:
  cClassicStdFilePkgExcludeFileItem(short volume, SInt32 directory, const char* name,
                                    unsigned char locationBound);
  cClassicStdFilePkgExcludeFileItem(const cClassicStdFilePkgExcludeFileItem&) = delete;
  cClassicStdFilePkgExcludeFileItem& operator=(const cClassicStdFilePkgExcludeFileItem&) = delete;

  // Stores the entry (the name's first 1022 bytes, whole characters); a null name changes
  // nothing (record, code 1).
  void SetupFileName(short volume, SInt32 directory, const char* name, unsigned char locationBound);
  // Copies the name; truncated when it does not fit the buffer with its terminator (it is then
  // cut on a character boundary).
  void GetFileName(char* buffer, SInt32 size, unsigned char& truncated) const;
  Boolean IsExcludeFileItem(short volume, SInt32 directory, const char* name) const;

 private:
  unsigned char locationBound_ = 0;
  short volume_ = 0;
  SInt32 directory_ = 0;
  char name_[kSpExcludeFileNameSize] = {};
};

class cClassicStdFilePkgExcludeFileChecker {
 public:
  cClassicStdFilePkgExcludeFileChecker() = default;
  ~cClassicStdFilePkgExcludeFileChecker() { ClearItem(); }
  cClassicStdFilePkgExcludeFileChecker(const cClassicStdFilePkgExcludeFileChecker&) = delete;
  cClassicStdFilePkgExcludeFileChecker& operator=(const cClassicStdFilePkgExcludeFileChecker&) =
      delete;

  // Appends an entry (record, code 1, when memory runs out).
  void SetupFileName(short volume, SInt32 directory, const char* name, unsigned char locationBound);
  // True when any entry hides the name there.
  Boolean IsExcludeFileItem(short volume, SInt32 directory, const char* name) const;
  void ClearItem();

 private:
  cClassicStdFilePkgExcludeFileItem* first_ = nullptr;
  cClassicStdFilePkgExcludeFileItem* last_ = nullptr;
};
