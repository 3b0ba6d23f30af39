// Writes title files ("CD Remote Programs") for the title database's tests: real classic
// resource files made through the Resource Manager, with the index and string lists either
// well formed or spoilt byte by byte.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "Files.h"
#include "Folders.h"
#include "MacMemory.h"
#include "Resources.h"
#include "SpCDDBMgrObject.h"
#include "SpStdFunctionNumber.h"
#include "TestResources.h"

namespace cddb_test {

// One disc of the index, its time in decimal (written as BCD).
struct Disc {
  SInt8 tracks;
  UInt8 minutes, seconds, frames;
  SInt16 listID;
  std::vector<std::string> strings;  // disc title, then track titles; none: no 'STR#'
};

struct Resource {
  ResType type;
  SInt16 id;
  std::vector<UInt8> bytes;
};

// The index bytes of the discs; `count` is the count written (it may lie).
inline std::vector<UInt8> IndexBytes(const std::vector<Disc>& discs, SInt16 count) {
  sp::ByteWriter w;
  w.BE16(0);
  w.BE16(UInt16(count));
  for (const Disc& d : discs) {
    w.U8(UInt8(d.tracks));
    for (UInt8 v : {d.minutes, d.seconds, d.frames}) w.U8(Sp_Number_To_BCD(v));
    w.BE16(UInt16(d.listID));
  }
  return w.Data();
}

inline Resource StringList(SInt16 id, const std::vector<std::string>& strings) {
  return {SpFourCC("STR#"), id, sp_testing::MakeStringList(strings)};
}

// The resources of a well-formed title file of these discs.
inline std::vector<Resource> TitleFileOf(const std::vector<Disc>& discs) {
  std::vector<Resource> resources = {
      {kSpCDDBIndexType, kSpCDDBIndexID, IndexBytes(discs, SInt16(discs.size()))}};
  for (const Disc& d : discs) {
    if (!d.strings.empty()) resources.push_back(StringList(d.listID, d.strings));
  }
  return resources;
}

inline FSSpec TitleFileSpec() {
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  EXPECT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum, &dirID),
            noErr);
  Str255 name;
  name[0] = UInt8(std::strlen(kSpCDDBFileName));
  std::memcpy(name + 1, kSpCDDBFileName, name[0]);
  FSSpec spec{};
  FSMakeFSSpec(vRefNum, dirID, name, &spec);
  return spec;
}

// Replaces the title file in the Preferences folder with a resource file holding these
// resources, written through the Resource Manager; the database is read afresh at its next
// use. The current resource file is kept.
inline void WriteTitleFile(const std::vector<Resource>& resources) {
  SpDisposeCDDBManager();
  const SInt16 saved = CurResFile();
  FSSpec spec = TitleFileSpec();
  FSpDelete(&spec);
  FSpCreateResFile(&spec, SpFourCC("CDRm"), SpFourCC("rsrc"), 0);
  ASSERT_EQ(ResError(), noErr);
  const SInt16 file = FSpOpenResFile(&spec, fsRdWrPerm);
  ASSERT_NE(file, -1);
  UseResFile(file);
  static const unsigned char kNoName[1] = {0};
  for (const Resource& r : resources) {
    Handle h = NewHandle(Size(r.bytes.size()));
    ASSERT_NE(h, nullptr);
    if (!r.bytes.empty()) std::memcpy(*h, r.bytes.data(), r.bytes.size());
    AddResource(h, r.type, r.id, kNoName);
    ASSERT_EQ(ResError(), noErr);
  }
  CloseResFile(file);
  ASSERT_EQ(ResError(), noErr);
  UseResFile(saved);
}

// The disc's title (kDisc) or a track's title through a buffer of `size` bytes; the cut flag
// goes to `truncated`.
constexpr short kDisc = -100;
inline std::string Title(cSp_CDDBItem* item, short track = kDisc, SInt32 size = 256,
                         unsigned char* truncated = nullptr) {
  if (item == nullptr) return "<none>";
  std::vector<char> buffer(std::size_t(size) + 1, '#');
  unsigned char cut = 9;
  const bool found = track == kDisc ? item->GetCDTitle(buffer.data(), size, &cut)
                                    : item->GetCDTrackTitle(track, buffer.data(), size, &cut);
  if (!found) return "<no title>";
  if (truncated != nullptr) *truncated = cut;
  return buffer.data();
}

}  // namespace cddb_test
