// Shared pieces of the tag tests: byte builders for ID3 tags and AIFF files, a work folder
// known both by its Linux path and by volume and directory id, and the outside judges
// (python3-mutagen, ffprobe).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "CFString.h"
#include "ErrorLogCapture.h"
#include "Files.h"
#include "Folders.h"
#include "SpQTInterface.h"
#include "SpQTMusicInfo.h"
#include "SpTextCodec.h"
#include "TestFiles.h"
#include "TestResources.h"

namespace tagtest {

using Bytes = std::string;

inline Bytes BE32(UInt32 v) {
  return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
inline Bytes Synchsafe(UInt32 v) {
  return {char((v >> 21) & 0x7F), char((v >> 14) & 0x7F), char((v >> 7) & 0x7F), char(v & 0x7F)};
}
// ID3 v2 header around the frame bytes.
inline Bytes Tag(int major, const Bytes& frames, UInt8 flags = 0) {
  return Bytes("ID3") + char(major) + '\0' + char(flags) + Synchsafe(UInt32(frames.size())) +
         frames;
}
inline Bytes Frame23(const char* id, const Bytes& content, UInt8 format = 0) {
  return Bytes(id, 4) + BE32(UInt32(content.size())) + '\0' + char(format) + content;
}
inline Bytes Frame24(const char* id, const Bytes& content, UInt8 format = 0) {
  return Bytes(id, 4) + Synchsafe(UInt32(content.size())) + '\0' + char(format) + content;
}
inline Bytes Frame22(const char* id, const Bytes& content) {
  return Bytes(id, 3) + BE32(UInt32(content.size())).substr(1) + content;
}
// ID3 v1: the fields are cut or zero-filled to their sizes.
inline Bytes Field(const Bytes& text, std::size_t size) {
  Bytes f = text.substr(0, size);
  f.resize(size, '\0');
  return f;
}
inline Bytes V1Tag(const Bytes& title, const Bytes& artist, const Bytes& album, const Bytes& year,
                   const Bytes& comment30, UInt8 genre) {
  return Bytes("TAG") + Field(title, 30) + Field(artist, 30) + Field(album, 30) + Field(year, 4) +
         Field(comment30, 30) + char(genre);
}
inline Bytes Chunk(const char* id, const Bytes& data) {
  Bytes c = Bytes(id, 4) + BE32(UInt32(data.size())) + data;
  if (data.size() & 1) c += '\0';
  return c;
}
inline Bytes AIFF(const Bytes& chunks) {
  return Bytes("FORM") + BE32(UInt32(4 + chunks.size())) + "AIFF" + chunks;
}
inline Bytes UTF16LEWithMark(const std::u16string& text) {
  Bytes b("\xFF\xFE", 2);
  for (char16_t c : text) b += {char(c), char(c >> 8)};
  return b;
}

// The program's text (MacJapanese) of a UTF-8 text.
inline std::string MacJ(const std::string& utf8) {
  std::string out;
  sp::text::UTF8ToMacJapanese(utf8, out);
  return out;
}

inline std::string ReadHostFile(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// Runs a command and answers its standard output (and its exit status).
inline std::string RunCommand(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  int rc = pclose(pipe);
  if (status != nullptr) *status = rc;
  return out;
}

inline bool HaveMutagen() {
  return std::system("/usr/bin/python3 -c 'import mutagen' 2>/dev/null") == 0;
}
inline bool HaveFFprobe() {
  return std::system("ffprobe -version >/dev/null 2>&1") == 0;
}

// A fresh home with the genre list of the application's resources; files live in the
// Preferences folder.
class TagFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(home_.Home().empty());
    ASSERT_EQ(noErr,
              FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum_, &dirID_));
    ASSERT_EQ(noErr, sp_testing::UseCompiledAppResources());
  }
  void TearDown() override { sp_testing::ResetResources(); }

  std::string HostPath(const std::string& name) const { return home_.Path(".config/" + name); }
  void WriteFile(const std::string& name, const Bytes& bytes) const {
    std::ofstream(HostPath(name), std::ios::binary | std::ios::trunc) << bytes;
  }
  // Parses the file; the record (or null) is owned by the answer.
  std::unique_ptr<cSp_MusicFileMusicInfoDataObj> Parse(const std::string& name,
                                                       short* result = nullptr) {
    cSp_MusicFileMusicInfoDataObj* record = nullptr;
    short r = SpQTI_ParseMusicInfoFromTargetFile(vRefNum_, dirID_, name.c_str(), nullptr, record);
    if (result != nullptr) *result = r;
    EXPECT_EQ(r != 0, record != nullptr);
    return std::unique_ptr<cSp_MusicFileMusicInfoDataObj>(record);
  }
  // Runs a python3 script with the file's path as sys.argv[1]; answers its output.
  std::string Python(const std::string& script, const std::string& name) {
    WriteFile("script.py", script);
    int status = -1;
    std::string out = RunCommand("PYTHONIOENCODING=utf-8 /usr/bin/python3 '" +
                                     HostPath("script.py") + "' '" + HostPath(name) + "' 2>&1",
                                 &status);
    EXPECT_EQ(0, status) << out;
    return out;
  }
  std::unique_ptr<cSp_MusicFileMusicInfoDataObj> ParseBytes(const Bytes& bytes) {
    WriteFile("tagged.bin", bytes);
    return Parse("tagged.bin");
  }
  // Opens the file (made empty when missing) for writing at its start.
  short OpenForWriting(const std::string& name) {
    std::ofstream(HostPath(name), std::ios::binary | std::ios::app);
    Str255 pascal;
    pascal[0] = UInt8(name.size());
    std::memcpy(pascal + 1, name.data(), name.size());
    short refNum = 0;
    EXPECT_EQ(noErr, HOpenDF(vRefNum_, dirID_, pascal, fsRdWrPerm, &refNum));
    return refNum;
  }

  sp_testing::HomeScope home_;
  ErrorLogCapture log_;
  short vRefNum_ = 0;
  SInt32 dirID_ = 0;
};

// Shorthands for the getters.
using Getter = short (cSp_MusicFileMusicInfoDataObj::*)(char*, SInt32, unsigned char*);
inline std::string Get(cSp_MusicFileMusicInfoDataObj& r, Getter getter) {
  char b[512] = "";
  (r.*getter)(b, sizeof b, nullptr);
  return b;
}
inline std::string Title(cSp_MusicFileMusicInfoDataObj& r) {
  return Get(r, &cSp_MusicFileMusicInfoDataObj::GetMusicTitle);
}
inline std::string Artist(cSp_MusicFileMusicInfoDataObj& r) {
  return Get(r, &cSp_MusicFileMusicInfoDataObj::GetArtistName);
}
inline std::string Album(cSp_MusicFileMusicInfoDataObj& r) {
  return Get(r, &cSp_MusicFileMusicInfoDataObj::GetAlbumTitle);
}
inline std::string Genre(cSp_MusicFileMusicInfoDataObj& r) {
  return Get(r, &cSp_MusicFileMusicInfoDataObj::GetGenreString);
}
// "track/count" of the record, or "none".
inline std::string TrackNo(cSp_MusicFileMusicInfoDataObj& r) {
  short track = 0, count = 0;
  if (!r.GetTrackNo(&track, &count)) return "none";
  return std::to_string(track) + "/" + std::to_string(count);
}
// The delivered text of the first item of the type.
inline std::string ItemText(cSp_MusicFileMusicInfoDataObj& r, UInt32 type) {
  cSp_MusicFileMusicInfoDataItemObj* item =
      r.GetFirstItemPtr() == nullptr ? nullptr : r.GetFirstItemPtr()->SerchTargetDataTypeItem(type);
  if (item == nullptr) return "<none>";
  char b[2048] = "";
  item->GetTextDataIntoTargetMemory(r.GetMusicInfoType(), r.GetVersionMajor(), b, sizeof b,
                                    nullptr);
  return b;
}
inline std::string RawItem(cSp_MusicFileMusicInfoDataObj& r, UInt32 type) {
  cSp_MusicFileMusicInfoDataItemObj* item =
      r.GetFirstItemPtr() == nullptr ? nullptr : r.GetFirstItemPtr()->SerchTargetDataTypeItem(type);
  if (item == nullptr || item->GetDataPtr() == nullptr) return "<none>";
  return std::string(item->GetDataPtr(), std::size_t(item->GetDataLength()));
}
inline int CountItems(cSp_MusicFileMusicInfoDataObj& r) {
  int n = 0;
  for (auto* item = r.GetFirstItemPtr(); item != nullptr; item = item->GetNextObjectPtr()) ++n;
  return n;
}

}  // namespace tagtest
