#include "CDMediaMgrFileName.h"

#include <cstring>
#include <memory>
#include <vector>

#include "CDMediaItemObj.h"
#include "Folders.h"
#include "SpCDROMProgram.h"
#include "SpCDR_CDMediaObject.h"
#include "SpCDR_FileMediaObject.h"
#include "SpCDR_ProgramItemObj.h"
#include "SpErrorInfoSystem.h"
#include "SpQTMusicInfo.h"
#include "SpStdFileFunction.h"
#include "SpStdFunction.h"
#include "SpStdFunctionDate.h"

namespace {

const char kSource[] = "CDMediaManagerObjFileName";

// Room for one text of a tag or a title before it is cut to what the name has left.
constexpr SInt32 kTextRoom = 1024;

// The name being built: it takes texts while it is shorter than its size minus 2 bytes.
class NameBuilder {
 public:
  NameBuilder(char* buffer, SInt32 size) : buffer_(buffer), size_(size) { buffer_[0] = 0; }

  bool HasRoom() const { return Length() < size_ - 2; }
  SInt32 Length() const { return SInt32(std::strlen(buffer_)); }
  SInt32 Size() const { return size_; }

  // Appends as much of the text as `room` bytes take, whole characters only.
  void Append(const char* text, SInt32 room) {
    if (room <= 0 || text == nullptr) return;
    const SInt32 length = Length();
    if (room > size_ - 1 - length) room = size_ - 1 - length;
    if (room <= 0) return;
    std::vector<char> cut(std::size_t(room) + 1, 0);
    Sp_CutStringByByteLen(text, short(room < 0x7FFF ? room : 0x7FFF), cut.data());
    std::strcat(buffer_, cut.data());
  }
  // Appends the text with the rest of the buffer as its room.
  void Append(const char* text) { Append(text, size_ - 1 - Length()); }

 private:
  char* buffer_;
  SInt32 size_;
};

// What a call works from, gathered once.
struct NameSources {
  cCDR_MediaItem* mediaItem = nullptr;
  cSp_CDRProgramItemObj* item = nullptr;
  cSp_CDRomMediaDataObj* cd = nullptr;
  bool oneCD = false;
  bool oneFile = false;
  cSp_MusicFileMusicInfoDataObj* tags = nullptr;
  LongDateRec now{};
  float speed = 0;
};

typedef short (cSp_MusicFileMusicInfoDataObj::*TagGetter)(char*, SInt32, unsigned char*);

// A tag's text, empty when the item has no tags or the tag is missing.
void TagText(const NameSources& from, TagGetter getter, char* text) {
  text[0] = 0;
  if (from.tags == nullptr) return;
  unsigned char cut = 0;
  if ((from.tags->*getter)(text, kTextRoom, &cut) == 0) text[0] = 0;
}

// The name of last resort: the sound file's own title, the item's long file name (for a
// program of one CD or one file), else the media item's name; without its extension.
void FallbackTitle(const NameSources& from, char* text) {
  text[0] = 0;
  const cSp_QTFileDataObj* file = from.item->GetQTFileMedia();
  if (file != nullptr) {
    auto info = std::make_unique<sSpMusicFileInfo>();
    file->GetMusicInfo(*info);
    if (info->title[0] != 0) {
      Sp_CutStringByByteLen(info->title, kTextRoom - 1, text);
    }
  }
  if (text[0] == 0 && (from.oneFile || from.oneCD) && from.item->GetTitle()[0] != 0) {
    Sp_CutStringByByteLen(from.item->GetTitle(), kTextRoom - 1, text);
  }
  if (text[0] == 0 && from.mediaItem != nullptr) {
    Sp_CutStringByByteLen(from.mediaItem->GetName(), kTextRoom - 1, text);
  }
  char withoutExtension[kTextRoom] = "";
  Sp_GetNotContainFileExtendFileName(text, withoutExtension);
  std::strcpy(text, withoutExtension);
}

void AppendSongTitle(const NameSources& from, NameBuilder& name) {
  char text[kTextRoom] = "";
  TagText(from, &cSp_MusicFileMusicInfoDataObj::GetMusicTitle, text);
  if (text[0] == 0 && from.oneCD && from.cd != nullptr) {
    if (!from.cd->GetCDTitle(text, kTextRoom, nullptr)) text[0] = 0;
  }
  if (text[0] != 0) {
    name.Append(text);
    return;
  }
  FallbackTitle(from, text);
  // The fallback leaves the name's last two bytes free, as the loop does.
  name.Append(text, name.Size() - name.Length() - 2);
}

void AppendPart(tSaveFileNameDefType kind, const NameSources& from, NameBuilder& name) {
  char text[kTextRoom] = "";
  switch (kind) {
    case kTevo_NameDefAlbumTitle:
      TagText(from, &cSp_MusicFileMusicInfoDataObj::GetAlbumTitle, text);
      break;
    case kTevo_NameDefSongTitle:
      AppendSongTitle(from, name);
      return;
    case kTevo_NameDefArtistName:
      TagText(from, &cSp_MusicFileMusicInfoDataObj::GetArtistName, text);
      break;
    case kTevo_NameDefGenre:
      TagText(from, &cSp_MusicFileMusicInfoDataObj::GetGenreString, text);
      break;
    case kTevo_NameDefHyphen: std::strcpy(text, "-"); break;
    case kTevo_NameDefUnderbar: std::strcpy(text, "_"); break;
    case kTevo_NameDefSpeedInteger2: Tevo_SpeedIntegerText(from.speed, 2, text); break;
    case kTevo_NameDefSpeedInteger: Tevo_SpeedIntegerText(from.speed, 1, text); break;
    case kTevo_NameDefSpeedDecimal2:
      Tevo_SpeedDecimalText(from.speed, 2, text, kTextRoom);
      if (text[0] == 0) std::strcpy(text, "00");
      break;
    case kTevo_NameDefSpeedDecimal:
      Tevo_SpeedDecimalText(from.speed, 1, text, kTextRoom);
      if (text[0] == 0) std::strcpy(text, "0");
      break;
    default:
      Tevo_DateTimeText(kind, from.now, text);
      break;
  }
  name.Append(text);
}

}  // namespace

Boolean CDRMMgr_GetFileNameDefFolder(short& vRefNum, SInt32& dirID) {
  return Sp_CreateInitFolderWithDirID(kOnSystemDisk, kPreferencesFolderType,
                                      kTevo_FileNameDefFolderName, vRefNum, dirID);
}

void CDRMMgr_MakeNameSafeForFile(char* name) {
  if (name == nullptr) return;
  // No second byte of a two-byte character is below 0x40, so ':' and the control bytes are
  // always characters. A tag's line break or tab would go into the name on disk as it is:
  // they become spaces, as the list shows them.
  Sp_ChangeCharactorInString(name, ':', '/');
  for (char* at = name; *at != 0; ++at) {
    if (static_cast<unsigned char>(*at) < 0x20 || *at == 0x7F) *at = ' ';
  }
  for (char* at = name; *at == '.'; ++at) *at = '_';
}

unsigned char CDRMMgr_CreateFileNameFromTargetProgramItem(
    tTevo_FileNameDefDlgType kind, cCDR_MediaItem* mediaItem, cSp_CDRProgramBaseObj* program,
    cSp_CDRProgramItemObj* item, ciTunesMusicInfoObj* library, float speed,
    cSayErrorNoMgr* /*errors*/, char* name, SInt32 size) {
  static const char kMethod[] = "CDRMMgr_CreateFileNameFromTargetProgramItem";
  if (program == nullptr || item == nullptr || name == nullptr || size < 10) {
    return SpReportFailure(kSource, kMethod, 1, kSpMsgNullArgument, static_cast<unsigned char>(0));
  }
  short vRefNum = 0;
  SInt32 dirID = 0;
  if (!CDRMMgr_GetFileNameDefFolder(vRefNum, dirID)) return 0;
  NameBuilder builder(name, size);

  std::unique_ptr<cTevo_SaveFileNameDefObject> definition(new (std::nothrow)
                                                              cTevo_SaveFileNameDefObject(
                                                                  vRefNum, dirID,
                                                                  Tevo_FileNameDefFileName(kind)));
  if (definition == nullptr) {
    return SpReportFailure(kSource, kMethod, 2, kSpMsgMemory, static_cast<unsigned char>(0));
  }
  if (!definition->LoadFileNameDefinitionFromDefaultFileInPreferenceFolder() ||
      !definition->CheckExistAbalableItem()) {
    definition->DefaultSetup();
  }

  NameSources from;
  from.mediaItem = mediaItem;
  from.item = item;
  from.oneCD = program->IsOneCDRomProgram(&from.cd) != 0;
  from.oneFile = program->IsOneFileProgram(nullptr, nullptr) != 0;
  Sp_GetNowLongDateTimeRec(&from.now);
  from.speed = speed;
  if (!program->GetTargetProgramItemMusicInfo(item, library, from.tags)) from.tags = nullptr;
  std::unique_ptr<cSp_MusicFileMusicInfoDataObj> tags(from.tags);

  for (const cTevo_SaveFileNameDefItemObject* part = definition->FileNameDefItemListHeadPtr();
       part != nullptr && builder.HasRoom(); part = part->GetNextObjectPtr()) {
    AppendPart(part->GetDefinitionType(), from, builder);
  }
  CDRMMgr_MakeNameSafeForFile(name);
  return name[0] != 0 ? 1 : 0;
}
