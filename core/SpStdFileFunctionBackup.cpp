#include "SpStdFileFunctionBackup.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "Files.h"
#include "SpFileLibSource.h"
#include "SpErrorInfoSystem.h"
#include "SpStdFileFunction.h"
#include "SpStdFunction.h"

namespace {

const char kSource[] = "SpStdFileFunction";

constexpr SInt32 kClassicNameLimit = 31;
constexpr SInt32 kLongNameLimit = 255;
// An extension ("." included) this long or longer is taken for part of the name.
constexpr std::size_t kMaxExtensionLength = 15;

// The whole characters of text that fit in limit bytes.
std::string CutToBytes(const std::string& text, SInt32 limit) {
  if (limit <= 0) return std::string();
  if (limit > kLongNameLimit) limit = kLongNameLimit;
  char buffer[kLongNameLimit + 1];
  Sp_CutStringByByteLen(text.c_str(), static_cast<short>(limit), buffer);
  return buffer;
}

// A name as the prefix scheme sees it: the base that grows backup characters, and the
// extension that stays at the end.
struct NameParts {
  std::string base;
  std::string extension;
};

NameParts SplitName(const char* name, bool keepExtension) {
  NameParts parts{name, std::string()};
  if (!keepExtension) return parts;
  // '.' never occurs inside a two-byte character, so the byte search is safe.
  const char* dot = std::strrchr(name, '.');
  if (dot == nullptr || dot == name || std::strlen(dot) > kMaxExtensionLength) return parts;
  parts.base.assign(name, static_cast<std::size_t>(dot - name));
  parts.extension = dot;
  return parts;
}

// The prefix scheme's generations of one file: generation 0 is the file's own name,
// generation k carries k backup characters.
class PrefixGenerations {
 public:
  PrefixGenerations(const char* name, char backupChar, unsigned char longNameFlag,
                    unsigned char cutFlag, unsigned char keepExtensionFlag)
      : parts_(SplitName(name, keepExtensionFlag != 0)),
        backupChar_(backupChar),
        limit_(longNameFlag ? kLongNameLimit : kClassicNameLimit),
        cut_(cutFlag != 0) {
    bases_.push_back(parts_.base);
    names_.push_back(name);
  }

  // The highest generation kept: the caller's number, lowered so that every generation
  // still has room for at least one character of the name.
  short MaxGenerations(short requested) const {
    SInt32 room = limit_ - static_cast<SInt32>(parts_.extension.size()) - 2;
    return requested < room ? requested : static_cast<short>(room);
  }

  // The name of generation k (k >= 1 after generation k - 1 was asked for); false when it
  // would exceed the limit and cutting is not allowed.
  bool Name(std::size_t k, std::string& out) {
    while (names_.size() <= k) {
      const std::string& previous = bases_.back();
      const SInt32 extensionLength = static_cast<SInt32>(parts_.extension.size());
      std::string kept = previous;
      if (1 + static_cast<SInt32>(previous.size()) + extensionLength > limit_) {
        if (!cut_) return false;
        kept = CutToBytes(previous, limit_ - extensionLength - 1);
      }
      bases_.push_back(std::string(1, backupChar_) + kept);
      names_.push_back(bases_.back() + parts_.extension);
    }
    out = names_[k];
    return true;
  }

 private:
  NameParts parts_;
  char backupChar_;
  SInt32 limit_;
  bool cut_;
  std::vector<std::string> bases_;
  std::vector<std::string> names_;
};

bool Exists(short vRefNum, SInt32 dirID, const std::string& name) {
  return Sp_ExsitTargetFile(vRefNum, dirID, name.c_str()) != 0;
}

OSErr Rename(short vRefNum, SInt32 dirID, const std::string& from, const std::string& to) {
  return Sp_RenameFileDirectory(vRefNum, dirID, from.c_str(), to.c_str());
}

OSErr Delete(short vRefNum, SInt32 dirID, const std::string& name) {
  return Sp_DeleteFileDirByDirId(vRefNum, dirID, name.c_str(), 0);
}

// The numbered scheme's name of generation `number`: the plain name for 0 or less, else the
// name, "_" and the number zero-padded to `digits`, the name cut so the whole fits.
std::string NumberedName(const char* name, short number, SInt32 digits, SInt32 limit) {
  if (number <= 0) return name;
  char digitsText[257];
  Sp_NumberToStringAddZero(number, digits, digitsText);
  std::string suffix = std::string("_") + digitsText;
  std::string base = name;
  const SInt32 suffixLength = static_cast<SInt32>(suffix.size());
  if (static_cast<SInt32>(base.size()) + suffixLength > limit) {
    base = CutToBytes(base, limit - suffixLength);
  }
  return base + suffix;
}

}  // namespace

void Sp_MakeBackUpFileName(const char* fullPath, char backupChar, char* out) {
  if (fullPath == nullptr || out == nullptr) {
    SpReportFailure(kSource, "Sp_MakeBackUpFileName", 1, kSpMsgNullArgument);
    return;
  }
  const std::size_t length = std::strlen(fullPath);
  const char* colon = std::strrchr(fullPath, ':');
  const std::size_t nameStart =
      colon == nullptr ? 0 : static_cast<std::size_t>(colon - fullPath) + 1;
  if (nameStart == length) {
    out[0] = backupChar;
    std::memcpy(out + 1, fullPath, length + 1);
    return;
  }
  std::size_t at = 0;
  if (nameStart > 1) {
    std::memcpy(out, fullPath, nameStart - 1);
    at = nameStart - 1;
    out[at++] = ':';
  }
  out[at++] = backupChar;
  std::memcpy(out + at, fullPath + nameStart, length - nameStart + 1);
}

OSErr Sp_ReNameBackUpFile(short vRefNum, SInt32 dirID, const char* name, char backupChar,
                          short maxGenerations, unsigned char longNameFlag, unsigned char cutFlag,
                          unsigned char keepExtensionFlag) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "Sp_ReNameBackUpFile", 1, kSpMsgNullArgument, OSErr(paramErr));
  }
  if (!Exists(vRefNum, dirID, name)) return noErr;

  PrefixGenerations generations(name, backupChar, longNameFlag, cutFlag, keepExtensionFlag);
  const short maxGeneration = generations.MaxGenerations(maxGenerations);

  // Every name is formed before anything changes, so a name that cannot be made leaves the
  // folder as it was.
  std::size_t slot = 1;
  std::string generationName;
  for (;; ++slot) {
    if (!generations.Name(slot, generationName)) return memFullErr;
    if (!Exists(vRefNum, dirID, generationName)) break;
    if (static_cast<SInt32>(slot) > maxGeneration) {
      OSErr err = Delete(vRefNum, dirID, generationName);
      if (err != noErr) return err;
      break;
    }
  }

  for (std::size_t j = slot; j >= 1; --j) {
    std::string from;
    std::string to;
    generations.Name(j - 1, from);
    generations.Name(j, to);
    OSErr err = Rename(vRefNum, dirID, from, to);
    if (err != noErr) return err;
  }
  FlushVol(nullptr, vRefNum);
  return noErr;
}

OSErr Sp_UndoReNameBackUpFile(short vRefNum, SInt32 dirID, const char* name, char backupChar,
                              short maxGenerations, unsigned char longNameFlag,
                              unsigned char cutFlag, unsigned char keepExtensionFlag) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "Sp_UndoReNameBackUpFile", 1, kSpMsgNullArgument,
                           OSErr(paramErr));
  }
  PrefixGenerations generations(name, backupChar, longNameFlag, cutFlag, keepExtensionFlag);
  const short maxGeneration = generations.MaxGenerations(maxGenerations);

  for (SInt32 k = 1; k <= maxGeneration; ++k) {
    std::string older;
    std::string newer;
    if (!generations.Name(static_cast<std::size_t>(k), older)) return memFullErr;
    generations.Name(static_cast<std::size_t>(k - 1), newer);
    if (!Exists(vRefNum, dirID, older)) return noErr;
    if (Exists(vRefNum, dirID, newer)) {
      OSErr err = Delete(vRefNum, dirID, newer);
      if (err != noErr) return err;
    }
    OSErr err = Rename(vRefNum, dirID, older, newer);
    if (err != noErr) return err;
  }
  return noErr;
}

OSErr Sp_ReNameBackUpFileWithAddNumber(short vRefNum, SInt32 dirID, const char* name,
                                       short maxNameLength, short number, short maxNumber) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "Sp_ReNameBackUpFileWithAddNumber", 1, kSpMsgNullArgument,
                           OSErr(paramErr));
  }
  const SInt32 limit = maxNameLength > kLongNameLimit ? kLongNameLimit : maxNameLength;
  const SInt32 digits = Sp_GetKetasu(maxNumber);
  const std::string current = NumberedName(name, number, digits, limit);

  // The oldest generation goes. A start beyond the highest number is taken as the highest, so
  // the chain of moves always ends.
  if (number >= maxNumber) return Delete(vRefNum, dirID, current);

  const short nextNumber = static_cast<short>(number + 1);
  const std::string next = NumberedName(name, nextNumber, digits, limit);
  if (Exists(vRefNum, dirID, next)) {
    OSErr err = Sp_ReNameBackUpFileWithAddNumber(vRefNum, dirID, name, maxNameLength, nextNumber,
                                                 maxNumber);
    if (err != noErr) return err;
  }
  OSErr err = Rename(vRefNum, dirID, current, next);
  if (err != noErr) return err;
  FlushVol(nullptr, vRefNum);
  return noErr;
}

OSErr Sp_ReNameBackUpFileWithAddNumberByFullPath(const char* fullPath, short maxNameLength,
                                                 short number, short maxNumber) {
  if (fullPath == nullptr) {
    return SpReportFailure(kSource, "Sp_ReNameBackUpFileWithAddNumberByFullPath", 1,
                           kSpMsgNullArgument, OSErr(paramErr));
  }
  short vRefNum = 0;
  SInt32 dirID = 0;
  char name[kSpMaxFullPathLength + 1];
  name[0] = '\0';
  OSErr err = Sp_GetFileInfoFromFullPathName(fullPath, &vRefNum, &dirID, name);
  if (err != noErr) return err;
  return Sp_ReNameBackUpFileWithAddNumber(vRefNum, dirID, name, maxNameLength, number, maxNumber);
}

// ---- Files replaced through a side file --------------------------------------------------

namespace {

const char kSideFileSuffix[] = ".saving";

// What every side file of `name` starts with: hidden, beside it, from the first 100 bytes of
// its name (cut on a character), so that the whole stays within a long name's 255 bytes.
std::string SideFilePrefix(const char* name) {
  char cut[101];
  Sp_CutStringByByteLen(name, 100, cut);
  return std::string(".") + cut + ".";
}

// The prefix and suffix of the side files of `name` as the File Manager takes them.
void SideFilePattern(const char* name, Str255 prefix, Str255 suffix) {
  Sp_CopyCStringToPascalName(SideFilePrefix(name).c_str(), prefix);
  Sp_CopyCStringToPascalName(kSideFileSuffix, suffix);
}

}  // namespace

void Sp_DeleteEndedSideFiles(short vRefNum, SInt32 dirID, const char* name) {
  if (name == nullptr) return;
  Str255 prefix, suffix;
  SideFilePattern(name, prefix, suffix);
  SpDeleteEndedSideFiles(vRefNum, dirID, prefix, suffix);
}

bool Sp_TakeBackSideFile(short vRefNum, SInt32 dirID, const char* name,
                         const std::vector<std::string>& olderNames,
                         const std::function<bool(const char* sideName)>& reads) {
  if (name == nullptr || !reads || Sp_ExsitTargetDirectory(vRefNum, dirID, name) != 0) {
    return false;
  }
  Str255 prefix, suffix;
  SideFilePattern(name, prefix, suffix);
  std::vector<std::string> tags;
  SpGetEndedSideFileTags(vRefNum, dirID, prefix, suffix, &tags);
  std::vector<std::string> candidates;
  for (const std::string& tag : tags)
    candidates.push_back(SideFilePrefix(name) + tag + kSideFileSuffix);
  candidates.insert(candidates.end(), olderNames.begin(), olderNames.end());
  for (const std::string& candidate : candidates) {
    if (Sp_ExsitTargetFile(vRefNum, dirID, candidate.c_str()) == 0 || !reads(candidate.c_str())) {
      continue;
    }
    // A file of the name that another copy of the program saved meanwhile is newer: it stays.
    const OSErr err = Sp_RenameFileDirectory(vRefNum, dirID, candidate.c_str(), name);
    if (err != noErr && err != dupFNErr) {
      SpReportFailure(kSource, "Sp_TakeBackSideFile", 2, kSpMsgFileError);
    } else if (err == noErr) {
      // The older program's other side file holds nothing the file does not hold now.
      for (const std::string& older : olderNames) {
        if (Sp_ExsitTargetFile(vRefNum, dirID, older.c_str()) != 0) {
          Sp_DeleteFileDirByDirId(vRefNum, dirID, older.c_str(), 0);
        }
      }
    }
    return true;
  }
  return false;
}

OSErr Sp_BeginFileReplacement(short vRefNum, SInt32 dirID, const char* name, UInt32 creator,
                              UInt32 fileType, SpFileReplacement** out) {
  if (out != nullptr) *out = nullptr;
  if (name == nullptr || out == nullptr) {
    return SpReportFailure(kSource, "Sp_BeginFileReplacement", 1, kSpMsgNullArgument,
                           OSErr(paramErr));
  }
  Str255 pascalName, prefix, suffix;
  if (!Sp_CopyCStringToPascalName(name, pascalName)) return bdNamErr;
  SideFilePattern(name, prefix, suffix);
  const FInfo info = Sp_NewFileFinderInfo(creator, fileType);
  return SpBeginFileReplacement(vRefNum, dirID, pascalName, prefix, suffix, &info, out);
}

OSErr Sp_WriteFileReplacement(SpFileReplacement* replacement, const UInt8* bytes,
                              std::size_t size) {
  return SpWriteFileReplacement(replacement, bytes, ByteCount(size));
}

OSErr Sp_EndFileReplacement(SpFileReplacement* replacement, short vRefNum, bool keep) {
  const OSErr err = SpEndFileReplacement(replacement, keep ? 1 : 0);
  if (err == noErr && keep) FlushVol(nullptr, vRefNum);
  return err;
}

OSErr Sp_ReplaceFileContents(short vRefNum, SInt32 dirID, const char* name, UInt32 creator,
                             UInt32 fileType, const UInt8* bytes, std::size_t size) {
  if (name == nullptr || (bytes == nullptr && size > 0)) {
    return SpReportFailure(kSource, "Sp_ReplaceFileContents", 1, kSpMsgNullArgument,
                           OSErr(paramErr));
  }
  Str255 pascalName, prefix, suffix;
  if (!Sp_CopyCStringToPascalName(name, pascalName)) return bdNamErr;
  SideFilePattern(name, prefix, suffix);
  const FInfo info = Sp_NewFileFinderInfo(creator, fileType);
  const OSErr err =
      SpReplaceFileContents(vRefNum, dirID, pascalName, prefix, suffix, &info, bytes, size);
  if (err == noErr) FlushVol(nullptr, vRefNum);
  return err;
}
