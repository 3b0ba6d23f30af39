#include "SpFileIconManager.h"

#include <cstring>

#include "Files.h"
#include "Resources.h"
#include "SpErrorInfoSystem.h"
#include "SpFontManager.h"
#include "SpStdFileFunctionFinderInfo.h"

namespace {

const char kSource[] = "SpFileIconManager";
const char kMethod[] = "cSp_FileIconManager::GetFileIconHandle";

cSp_FileIconManager* _fileIconManager_GlV = nullptr;

constexpr UInt32 kUnknownType = SpFourCC("????");

struct ExtensionType {
  const char* extension;  // lower case
  UInt32 fileType;
};

// Extensions whose type is not simply their first four letters in capitals.
const ExtensionType kExtensionTypes[] = {
    {"aif", SpFourCC("AIFF")}, {"aiff", SpFourCC("AIFF")}, {"aifc", SpFourCC("AIFC")},
    {"wav", SpFourCC("WAVE")}, {"wave", SpFourCC("WAVE")}, {"mp3", SpFourCC("MPG3")},
    {"m4a", SpFourCC("M4A ")}, {"m4b", SpFourCC("M4B ")},  {"m4p", SpFourCC("M4P ")},
    {"mp4", SpFourCC("mpg4")}, {"mov", SpFourCC("MooV")},  {"qt", SpFourCC("MooV")},
    {"snd", SpFourCC("Sd2f")},
};

struct TypeIcon {
  UInt32 fileType;
  SInt16 iconID;
};

const TypeIcon kTypeIcons[] = {
    {SpFourCC("AIFF"), kSpFileIconAIFFID},         {SpFourCC("AIFC"), kSpFileIconAIFFID},
    {SpFourCC("WAVE"), kSpFileIconWAVEID},         {SpFourCC("WAV "), kSpFileIconWAVEID},
    {SpFourCC(".WAV"), kSpFileIconWAVEID},         {SpFourCC("MPG3"), kSpFileIconMP3ID},
    {SpFourCC("Mp3 "), kSpFileIconMP3ID},          {SpFourCC("MP3 "), kSpFileIconMP3ID},
    {SpFourCC("mp3!"), kSpFileIconMP3ID},          {SpFourCC("M4A "), kSpFileIconMPEG4AudioID},
    {SpFourCC("M4B "), kSpFileIconMPEG4AudioID},   {SpFourCC("M4P "), kSpFileIconMPEG4AudioID},
    {SpFourCC("mpg4"), kSpFileIconMPEG4AudioID},   {SpFourCC("MPG4"), kSpFileIconMPEG4AudioID},
    {SpFourCC("mp4a"), kSpFileIconMPEG4AudioID},   {SpFourCC("AAC "), kSpFileIconMPEG4AudioID},
    {SpFourCC("MooV"), kSpFileIconMovieID},        {SpFourCC("moov"), kSpFileIconMovieID},
    {SpFourCC("FLAC"), kSpFileIconGenericSoundID}, {SpFourCC("OGG "), kSpFileIconGenericSoundID},
    {SpFourCC("OGA "), kSpFileIconGenericSoundID}, {SpFourCC("OPUS"), kSpFileIconGenericSoundID},
    {SpFourCC("AU  "), kSpFileIconGenericSoundID}, {SpFourCC("ULAW"), kSpFileIconGenericSoundID},
    {SpFourCC("Sd2f"), kSpFileIconGenericSoundID}, {SpFourCC("sfil"), kSpFileIconGenericSoundID},
    {SpFourCC("CAF "), kSpFileIconGenericSoundID}, {SpFourCC("caff"), kSpFileIconGenericSoundID},
    {SpFourCC("WMA "), kSpFileIconGenericSoundID}, {SpFourCC("MP2 "), kSpFileIconGenericSoundID},
    {SpFourCC("MPG2"), kSpFileIconGenericSoundID},
};

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}
char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// Compares the extension without case against a lower-case one.
bool SameExtension(const char* extension, const char* lower) {
  for (; *extension != '\0' && *lower != '\0'; ++extension, ++lower) {
    if (LowerAscii(*extension) != *lower) return false;
  }
  return *extension == '\0' && *lower == '\0';
}

// Copies the standard icon of that id into the suite as its 'ICN#'; true when one was added.
// The suite holds a copy, so that it never depends on the resource staying loaded.
bool AddStandardIcon(SInt16 iconID, IconSuiteRef suite) {
  constexpr ResType kIconList = SpFourCC("ICN#");
  Handle resource = GetResource(kIconList, iconID);
  if (resource == nullptr) return false;
  Handle copy = resource;
  if (HandToHand(&copy) != noErr || copy == nullptr) return false;
  if (AddIconToSuite(copy, suite, kIconList) != noErr) {
    DisposeHandle(copy);
    return false;
  }
  return true;
}

template <class Item>
void DeleteChain(Item** head, Item** tail) {
  while (*head != nullptr) {
    Item* next = (*head)->GetNextObjectPtr();
    delete *head;
    *head = next;
  }
  *tail = nullptr;
}

template <class Item>
void AppendToChain(Item** head, Item** tail, Item* item) {
  if (*tail == nullptr) {
    *head = item;
  } else {
    (*tail)->LinkToNext(item);
  }
  *tail = item;
}

}  // namespace

// ---- Items ----------------------------------------------------------------------------------

cSp_FileTypeIconItem::~cSp_FileTypeIconItem() {
  if (suite_ != nullptr) DisposeIconSuite(suite_, 1);
  if (iconRef_ != nullptr) ReleaseIconRef(iconRef_);
}

cSp_FileTypeIconItem* cSp_FileTypeIconItem::SerchTargetItemByIconReferenceOnLink(IconRef iconRef) {
  for (cSp_FileTypeIconItem* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->iconRef_ == iconRef) return item;
  }
  return nullptr;
}

cSp_FileTypeIconItem* cSp_FileTypeIconItem::SerchTargetItemByFileTypeOnLink(UInt32 fileType) {
  for (cSp_FileTypeIconItem* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->fileType_ == fileType) return item;
  }
  return nullptr;
}

cSp_FileIconCreatorItem* cSp_FileIconCreatorItem::SerchTargetItemByCreatorOnLink(UInt32 creator) {
  for (cSp_FileIconCreatorItem* item = this; item != nullptr; item = item->GetNextObjectPtr()) {
    if (item->creator_ == creator) return item;
  }
  return nullptr;
}

cSp_FileTypeIconItem* cSp_FileIconCreatorItem::SerchTargetFileTypeIconItemOnChildLink(
    UInt32 fileType) {
  return typeHead_ != nullptr ? typeHead_->SerchTargetItemByFileTypeOnLink(fileType) : nullptr;
}

void cSp_FileIconCreatorItem::SetupFileTypeIconItemObject(cSp_FileTypeIconItem* item) {
  if (item == nullptr) {
    SpReportFailure(kSource, "cSp_FileIconCreatorItem::SetupFileTypeIconItemObject", 1,
                    kSpMsgNullArgument);
    return;
  }
  AppendToChain(&typeHead_, &typeTail_, item);
}

void cSp_FileIconCreatorItem::WipeoutFileTypeIconItem() {
  DeleteChain(&typeHead_, &typeTail_);
}

// ---- The manager ----------------------------------------------------------------------------

cSp_FileIconManager::~cSp_FileIconManager() {
  WipeOutIconServiceFileIconList();
  WipeOutFileCreatorFileIconList();
}

void cSp_FileIconManager::WipeOutIconServiceFileIconList() {
  DeleteChain(&iconServiceHead_, &iconServiceTail_);
}

void cSp_FileIconManager::WipeOutFileCreatorFileIconList() {
  DeleteChain(&creatorHead_, &creatorTail_);
}

IconSuiteRef cSp_FileIconManager::GetFileIconHandle(SInt16 vRefNum, SInt32 dirID,
                                                    const char* name) {
  if (name == nullptr) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, IconSuiteRef(nullptr));
  }
  FInfo finderInfo;
  std::memset(&finderInfo, 0, sizeof finderInfo);
  if (Sp_GetFileFinderInformation(vRefNum, dirID, name, &finderInfo, nullptr) != noErr) {
    return SpReportFailure(kSource, kMethod, 2, kSpMsgFileError, IconSuiteRef(nullptr));
  }
  const UInt32 creator = finderInfo.fdCreator;
  const UInt32 fileType = SpFileIconMgr_GetEffectiveFileType(finderInfo.fdType, name);

  IconSuiteRef suite = nullptr;
  IconRef iconRef = nullptr;
  const std::size_t nameLength = std::strlen(name);
  if (Sp_CheckEnableIconService() && nameLength <= 255) {
    Str255 pascalName;
    pascalName[0] = UInt8(nameLength);
    std::memcpy(pascalName + 1, name, nameLength);
    FSSpec spec;
    SInt16 label = 0;
    if (FSMakeFSSpec(vRefNum, dirID, pascalName, &spec) != noErr ||
        GetIconRefFromFile(&spec, &iconRef, &label) != noErr) {
      iconRef = nullptr;
    }
    if (iconRef != nullptr) {
      cSp_FileTypeIconItem* known =
          iconServiceHead_ != nullptr
              ? iconServiceHead_->SerchTargetItemByIconReferenceOnLink(iconRef)
              : nullptr;
      if (known != nullptr) {
        // The cached item holds a reference of its own.
        ReleaseIconRef(iconRef);
        return known->GetIconSuite();
      }
      if (NewIconSuite(&suite) != noErr) suite = nullptr;
      if (suite != nullptr && Sp_GetIconDataFromIconRefNum(iconRef, suite)) {
        cSp_FileTypeIconItem* item =
            new (std::nothrow) cSp_FileTypeIconItem(iconRef, fileType, suite);
        if (item == nullptr) {
          DisposeIconSuite(suite, 1);
          ReleaseIconRef(iconRef);
          return SpReportFailure(kSource, kMethod, 3, kSpMsgMemory, IconSuiteRef(nullptr));
        }
        AppendToChain(&iconServiceHead_, &iconServiceTail_, item);
        return suite;
      }
      // No icon data came from the reference: the creator cache gives the icon, and the
      // reference stays with it.
    }
  }

  cSp_FileIconCreatorItem* creatorItem =
      creatorHead_ != nullptr ? creatorHead_->SerchTargetItemByCreatorOnLink(creator) : nullptr;
  if (creatorItem != nullptr) {
    cSp_FileTypeIconItem* known = creatorItem->SerchTargetFileTypeIconItemOnChildLink(fileType);
    if (known != nullptr) {
      if (suite != nullptr) DisposeIconSuite(suite, 1);
      if (iconRef != nullptr) ReleaseIconRef(iconRef);
      return known->GetIconSuite();
    }
  }

  if (suite == nullptr && NewIconSuite(&suite) != noErr) suite = nullptr;
  if (suite == nullptr) {
    if (iconRef != nullptr) ReleaseIconRef(iconRef);
    return SpReportFailure(kSource, kMethod, 3, kSpMsgMemory, IconSuiteRef(nullptr));
  }
  // The desktop database first; where the volume keeps none, the program's standard icon of
  // the file's type.
  if (Sp_GetFileIconSuiteFromDesktopDatabase(vRefNum, creator, fileType, suite) != noErr &&
      !AddStandardIcon(SpFileIconMgr_GetStandardIconID(fileType), suite)) {
    DisposeIconSuite(suite, 1);
    if (iconRef != nullptr) ReleaseIconRef(iconRef);
    return SpReportFailure(kSource, kMethod, 4, kSpMsgDataError, IconSuiteRef(nullptr));
  }

  cSp_FileTypeIconItem* item = new (std::nothrow) cSp_FileTypeIconItem(iconRef, fileType, suite);
  if (item == nullptr) {
    DisposeIconSuite(suite, 1);
    if (iconRef != nullptr) ReleaseIconRef(iconRef);
    return SpReportFailure(kSource, kMethod, 3, kSpMsgMemory, IconSuiteRef(nullptr));
  }
  if (creatorItem == nullptr) {
    creatorItem = new (std::nothrow) cSp_FileIconCreatorItem(creator);
    if (creatorItem == nullptr) {
      delete item;
      return SpReportFailure(kSource, kMethod, 3, kSpMsgMemory, IconSuiteRef(nullptr));
    }
    AppendToChain(&creatorHead_, &creatorTail_, creatorItem);
  }
  creatorItem->SetupFileTypeIconItemObject(item);
  return suite;
}

cSp_FileIconManager* SpFileIconMgr_GetManagerPtr() {
  if (_fileIconManager_GlV == nullptr) {
    _fileIconManager_GlV = new (std::nothrow) cSp_FileIconManager;
    if (_fileIconManager_GlV == nullptr) {
      SpReportFailure(kSource, "SpFileIconMgr_GetManagerPtr", 1, kSpMsgMemory);
    }
  }
  return _fileIconManager_GlV;
}

IconSuiteRef SpFileIconMgr_GetTargetFileIconHandle(SInt16 vRefNum, SInt32 dirID, const char* name) {
  if (name == nullptr) {
    return SpReportFailure(kSource, "SpFileIconMgr_GetTargetFileIconHandle", 1, kSpMsgNullArgument,
                           IconSuiteRef(nullptr));
  }
  cSp_FileIconManager* manager = SpFileIconMgr_GetManagerPtr();
  if (manager == nullptr) return nullptr;
  return manager->GetFileIconHandle(vRefNum, dirID, name);
}

UInt32 SpFileIconMgr_GetEffectiveFileType(UInt32 fileType, const char* name) {
  if (fileType != 0 && fileType != kUnknownType) return fileType;
  if (name == nullptr) return 0;
  const char* dot = std::strrchr(name, '.');
  if (dot == nullptr || dot[1] == '\0') return 0;
  const char* extension = dot + 1;
  for (const ExtensionType& known : kExtensionTypes) {
    if (SameExtension(extension, known.extension)) return known.fileType;
  }
  UInt32 derived = 0;
  for (int i = 0; i < 4; ++i) {
    const char c = extension[0] != '\0' ? *extension++ : ' ';
    derived = (derived << 8) | UInt8(UpperAscii(c));
  }
  return derived;
}

SInt16 SpFileIconMgr_GetStandardIconID(UInt32 fileType) {
  for (const TypeIcon& known : kTypeIcons) {
    if (known.fileType == fileType) return known.iconID;
  }
  return kSpFileIconGenericDocumentID;
}
