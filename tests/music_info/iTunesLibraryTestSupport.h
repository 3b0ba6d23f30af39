// Shared pieces of the music-library tests: tracks made by hand, summaries of what the library
// filed where, and library files written as XML property lists into a home folder with the
// library's "iTunes" folder in it.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "MacTypes.h"
#include "SpiTunesMusicInfoObject.h"
#include "TestFiles.h"

namespace ittest {

struct T {
  SInt32 id;
  const char* artist;
  const char* album;
  SInt16 number, count;
  UInt32 ms;
  SInt16 disc = 0, discs = 0, year = 0;
  const char* name = "";
  UInt16 keys = 0;
  const char* composer = "";
  const char* genre = "";
};

inline cSPiTMI_TrackInfoObj* Make(const T& t) {
  cSPiTMI_TrackInfoObj* track = new (std::nothrow) cSPiTMI_TrackInfoObj();
  track->SetupTrackID(t.id);
  const std::pair<tSpiTMI_TextField, const char*> texts[] = {{kSpiTMI_Artist, t.artist},
                                                             {kSpiTMI_Album, t.album},
                                                             {kSpiTMI_Name, t.name},
                                                             {kSpiTMI_Composer, t.composer},
                                                             {kSpiTMI_Genre, t.genre}};
  for (const auto& text : texts) track->SetupText(text.first, text.second, 1);
  track->SetupTrackNumber(t.number);
  track->SetupTrackCount(t.count);
  track->SetupTotalTime(t.ms);
  track->SetupDiscNumber(t.disc);
  track->SetupDiscCount(t.discs);
  track->SetupYear(t.year);
  track->SetupKeyCount(t.keys);
  return track;
}

inline void AddAll(ciTunesMusicInfoObj& library, const std::vector<T>& tracks) {
  for (const T& t : tracks) {
    cSPiTMI_TrackInfoObj* track = Make(t);
    if (!library.AddTrackInfoItem(track)) delete track;
  }
}

inline std::vector<SInt32> TrackIds(const ciTunesMusicInfoObj& library) {
  std::vector<SInt32> ids;
  for (auto* t = library.GetFirstTrack(); t != nullptr; t = t->GetTrackLinkNextObjectPtr())
    ids.push_back(t->GetTrackID());
  return ids;
}

// "Name (disc/discs count year) [n:ids n:ids]", the numbers only when any is set; "3+7" for
// an item of two tracks.
inline std::vector<std::string> Groups(const ciTunesInfoMusicGroupObj* g) {
  std::vector<std::string> out;
  for (; g != nullptr; g = g->GetMusicGroupLinkNextObjectPtr()) {
    std::string s = g->GetName();
    if (g->GetDiscNumber() || g->GetDiscCount() || g->GetTrackCount() || g->GetYear()) {
      s += " (" + std::to_string(g->GetDiscNumber()) + "/" + std::to_string(g->GetDiscCount()) +
           " " + std::to_string(g->GetTrackCount()) + " " + std::to_string(g->GetYear()) + ")";
    }
    s += " [";
    for (auto* item = g->GetFirstItem(); item != nullptr;
         item = item->GetMusicGroupItemLinkNextObjectPtr()) {
      s += (item != g->GetFirstItem() ? " " : "") + std::to_string(item->GetNumber()) + ":";
      for (SInt32 i = 1; auto* t = item->GetTrackAt(i); ++i)
        s += (i > 1 ? "+" : "") + std::to_string(t->GetTrackID());
    }
    out.push_back(s + "]");
  }
  return out;
}

// ---- Library files as XML property lists ------------------------------------------------------

inline std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : std::string(1, c);
  return out;
}
inline std::string Int(long long v) {
  return "<integer>" + std::to_string(v) + "</integer>";
}
inline std::string Str(const std::string& s) {
  return "<string>" + Escape(s) + "</string>";
}

using Entries = std::vector<std::pair<std::string, std::string>>;

inline std::string Dict(const Entries& entries) {
  std::string s = "<dict>\n";
  for (const auto& e : entries) s += "<key>" + Escape(e.first) + "</key>" + e.second + "\n";
  return s + "</dict>";
}
inline std::string Array(const std::vector<std::string>& values) {
  std::string s = "<array>\n";
  for (const auto& v : values) s += v + "\n";
  return s + "</array>";
}
inline std::string Plist(const std::string& root) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + root +
         "\n</plist>\n";
}

// A track dictionary of the usual keys.
inline std::string TrackDict(long long id, const std::string& name, const std::string& album,
                             int number, int count, long long ms, const Entries& more = {}) {
  Entries e = {{"Track ID", Int(id)},  {"Name", Str(name)},           {"Artist", Str("A")},
               {"Album", Str(album)},  {"Track Number", Int(number)}, {"Track Count", Int(count)},
               {"Total Time", Int(ms)}};
  e.insert(e.end(), more.begin(), more.end());
  return Dict(e);
}

// A playlist naming these tracks, with extra keys ("Master", "Smart Info") when given.
inline std::string PlayList(const std::string& name, const std::vector<long long>& ids,
                            const Entries& more = {}) {
  std::vector<std::string> items;
  for (long long id : ids) items.push_back(Dict({{"Track ID", Int(id)}}));
  Entries e = {{"Name", Str(name)}};
  e.insert(e.end(), more.begin(), more.end());
  e.push_back({"Playlist Items", Array(items)});
  return Dict(e);
}

// The whole library: tracks keyed by their ids (in this order), playlists when given.
inline std::string LibraryXml(const std::vector<std::pair<long long, std::string>>& tracks,
                              const std::vector<std::string>& playlists = {},
                              const std::string& musicFolder = "") {
  Entries tracksDict;
  for (const auto& t : tracks) tracksDict.push_back({std::to_string(t.first), t.second});
  Entries root = {{"Major Version", Int(1)}, {"Minor Version", Int(1)}};
  if (!musicFolder.empty()) root.push_back({"Music Folder", Str(musicFolder)});
  root.push_back({"Tracks", Dict(tracksDict)});
  if (!playlists.empty()) root.push_back({"Playlists", Array(playlists)});
  return Plist(Dict(root));
}

class LibraryHomeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(home_.Home().empty());
    mkdir(home_.Path("Music").c_str(), 0700);
    ASSERT_EQ(0, mkdir(ITunesFolder().c_str(), 0700));
  }

  std::string ITunesFolder() const { return home_.Path("Music/iTunes"); }
  std::string LibraryPath() const { return ITunesFolder() + "/" + kSpiTM_LibraryFileName; }
  // Writes the library file with the modification time base + seconds, so tests decide which
  // version of the file is newer.
  void WriteLibrary(const std::string& text, long seconds = 0) const {
    std::ofstream(LibraryPath(), std::ios::binary | std::ios::trunc) << text;
    struct timespec times[2] = {{kBase + seconds, 0}, {kBase + seconds, 0}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, LibraryPath().c_str(), times, 0));
  }
  // A file of the home (made with the given bytes); its path.
  std::string MakeFile(const std::string& relative, const std::string& bytes = "x") const {
    std::ofstream(home_.Path(relative), std::ios::binary | std::ios::trunc) << bytes;
    return home_.Path(relative);
  }

  static constexpr long kBase = 1600000000;  // 2020-09-13
  sp_testing::HomeScope home_;
};

}  // namespace ittest
