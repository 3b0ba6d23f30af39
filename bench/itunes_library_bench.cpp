// Loading time and memory of a large music library.
//
// Writes "iTunes Music Library.xml" of N tracks (100,000 unless given; several counts may be
// given) as a real library looks (every usual key of a track, albums of a dozen tracks,
// Japanese names among them, the whole-library playlist, one more list of every track and a few
// small ones) into the Music folder of a temporary home. Then, in turn and each as a process of
// its own started from this program's file, as often as asked (5 unless --runs):
//   - expat's bare pass over the file (read in the reader's blocks, no handler doing any
//     work): the floor no reader built on expat can go below;
//   - our reader, loading the library exactly as the application does;
//   - the same program reading nothing: the memory its libraries take.
// Printed for each: the pass's own time, the process's wall time and its peak resident memory
// (as the system counts a finished process), min / median / max; the reader's time as a
// multiple of expat's, run by run; each goal met or missed. Last comes Python's plistlib on the
// same file once, for comparison.
//
//   itunes_library_bench [tracks ...] [--runs N] [--keep] [--no-plistlib]
//
// --keep leaves the temporary home in place and prints its path.
#include <expat.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "BenchHome.h"
#include "BenchProcess.h"
#include "SpiTunesMusicInfoObject.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

void Entry(std::ofstream& out, const char* key, const std::string& value) {
  out << "\t\t\t<key>" << key << "</key>" << value << "\n";
}
std::string Int(long long v) {
  return "<integer>" + std::to_string(v) + "</integer>";
}
std::string Str(const std::string& s) {
  return "<string>" + s + "</string>";
}

// "日本の歌" and "曲" in UTF-8, for names that only MacJapanese holds.
const char kJapanese[] = "\xE6\x97\xA5\xE6\x9C\xAC\xE3\x81\xAE\xE6\xAD\x8C";
const char kTune[] = "\xE6\x9B\xB2";

void WriteLibrary(const std::string& path, long tracks) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
         "<plist version=\"1.0\">\n<dict>\n"
         "\t<key>Major Version</key><integer>1</integer>\n"
         "\t<key>Minor Version</key><integer>1</integer>\n"
         "\t<key>Application Version</key><string>7.0</string>\n"
         "\t<key>Music Folder</key><string>file://localhost/Users/someone/Music/iTunes/"
         "iTunes%20Music/</string>\n"
         "\t<key>Tracks</key>\n\t<dict>\n";
  const long tracksPerAlbum = 12;
  for (long i = 1; i <= tracks; ++i) {
    const long id = 1000 + i * 2;  // ids run well past 65,535
    const long album = (i - 1) / tracksPerAlbum;
    const long artist = album / 3;
    const int number = int((i - 1) % tracksPerAlbum) + 1;
    const bool japanese = album % 10 == 0;
    const std::string artistName = japanese ? std::string(kJapanese) + " " + std::to_string(artist)
                                            : "Artist " + std::to_string(artist);
    out << "\t\t<key>" << id << "</key>\n\t\t<dict>\n";
    Entry(out, "Track ID", Int(id));
    Entry(out, "Name",
          Str(japanese ? std::string(kTune) + std::to_string(number)
                       : "Song " + std::to_string(i) + " &amp; more"));
    Entry(out, "Artist", Str(artistName));
    Entry(out, "Album Artist", Str(artistName));
    Entry(out, "Composer", Str("Composer " + std::to_string(artist % 500)));
    Entry(out, "Album", Str("Album " + std::to_string(album)));
    Entry(out, "Genre", Str(album % 3 == 0 ? "Rock" : "Jazz"));
    Entry(out, "Kind", Str("AAC audio file"));
    Entry(out, "Size", Int(4000000 + i));
    Entry(out, "Total Time", Int(120000 + (i * 7919) % 300000));
    Entry(out, "Disc Number", Int(1));
    Entry(out, "Disc Count", Int(1));
    Entry(out, "Track Number", Int(number));
    Entry(out, "Track Count", Int(tracksPerAlbum));
    Entry(out, "Year", Int(1970 + album % 50));
    Entry(out, "Date Modified", "<date>2006-03-04T05:06:07Z</date>");
    Entry(out, "Date Added", "<date>2006-03-04T05:06:07Z</date>");
    Entry(out, "Bit Rate", Int(128));
    Entry(out, "Sample Rate", Int(44100));
    Entry(out, "Play Count", Int(i % 17));
    Entry(out, "Comments", Str(i % 5 == 0 ? "Remastered" : ""));
    Entry(out, "Persistent ID", Str("0123456789ABCDEF"));
    Entry(out, "Track Type", Str("File"));
    Entry(out, "File Type", Int(1295270176));
    Entry(out, "Location",
          Str("file://localhost/Users/someone/Music/iTunes/iTunes%20Music/Artist%20" +
              std::to_string(artist) + "/Album%20" + std::to_string(album) + "/" +
              std::to_string(number) + "%20Song.m4a"));
    Entry(out, "File Folder Count", Int(4));
    Entry(out, "Library Folder Count", Int(1));
    out << "\t\t</dict>\n";
  }
  out << "\t</dict>\n\t<key>Playlists</key>\n\t<array>\n";
  auto playlist = [&](const std::string& name, const std::string& flags, long first, long count,
                      long step) {
    out << "\t\t<dict>\n\t\t\t<key>Name</key><string>" << name << "</string>\n"
        << flags << "\t\t\t<key>Playlist Items</key>\n\t\t\t<array>\n";
    for (long k = 0; k < count; ++k) {
      const long i = first + k * step;
      if (i > tracks) break;
      out << "\t\t\t\t<dict>\n\t\t\t\t\t<key>Track ID</key><integer>" << 1000 + i * 2
          << "</integer>\n\t\t\t\t</dict>\n";
    }
    out << "\t\t\t</array>\n\t\t</dict>\n";
  };
  playlist("Library", "\t\t\t<key>Master</key><true/>\n", 1, tracks, 1);
  playlist("Music", "\t\t\t<key>Music</key><true/>\n", 1, tracks, 1);
  playlist("Recently Played", "\t\t\t<key>Smart Info</key><data>AQID</data>\n", 1, 25, 3);
  for (int p = 0; p < 20; ++p) playlist("Mix " + std::to_string(p), "", 1 + p * 37, 40, 11);
  out << "\t</array>\n</dict>\n</plist>\n";
}

// What a pass prints for the parent: its own seconds (from opening the file to the last object
// made) and what it found.
struct PassResult {
  double seconds = 0;
  bool ok = false;
  long tracks = 0, groups = 0, playlists = 0;
};

void Report(const PassResult& result) {
  std::printf("%.4f %ld %ld %ld\n", result.seconds, result.tracks, result.groups, result.playlists);
}

// expat over the whole file with no handlers, fed as the reader feeds it.
PassResult ExpatPass(const std::string& path) {
  PassResult result;
  const auto start = std::chrono::steady_clock::now();
  const int fd = open(path.c_str(), O_RDONLY);
  XML_Parser parser = XML_ParserCreate(nullptr);
  result.ok = fd >= 0 && parser != nullptr;
  while (result.ok) {
    void* buffer = XML_GetBuffer(parser, 1 << 20);
    const ssize_t got = buffer != nullptr ? read(fd, buffer, 1 << 20) : -1;
    result.ok = got >= 0 && XML_ParseBuffer(parser, int(got), got == 0) == XML_STATUS_OK;
    if (got == 0) break;
  }
  if (parser != nullptr) XML_ParserFree(parser);
  if (fd >= 0) close(fd);
  result.seconds = Seconds(start);
  return result;
}

// The library read as the application reads it. Nothing is released: the process ends.
PassResult ReaderPass() {
  PassResult result;
  const auto start = std::chrono::steady_clock::now();
  ciTunesMusicInfoObj* library = SpiTM_CreateITunesMusicInfo(1);
  result.seconds = Seconds(start);
  result.ok = library != nullptr;
  if (library == nullptr) return result;
  for (auto* t = library->GetFirstTrack(); t != nullptr; t = t->GetTrackLinkNextObjectPtr())
    ++result.tracks;
  for (auto* g = library->GetFirstAlbumGroup(); g != nullptr;
       g = g->GetMusicGroupLinkNextObjectPtr())
    ++result.groups;
  for (auto* g = library->GetFirstPlayList(); g != nullptr; g = g->GetMusicGroupLinkNextObjectPtr())
    ++result.playlists;
  return result;
}

// One pass as a process of its own, started afresh from this program's file: its figures,
// its wall time and peak memory as the system counted them.
struct Measured {
  PassResult pass;
  bench::Run process;
};

Measured Spawn(const std::vector<std::string>& argv) {
  Measured m;
  m.process = bench::Spawn(argv);
  m.pass.ok = m.process.ok && std::sscanf(m.process.output.c_str(), "%lf %ld %ld %ld",
                                          &m.pass.seconds, &m.pass.tracks, &m.pass.groups,
                                          &m.pass.playlists) == 4;
  return m;
}

// The runs of one kind of pass.
struct Side {
  std::vector<double> pass, wall, peak;
  void Add(const Measured& m) {
    pass.push_back(m.pass.seconds);
    wall.push_back(m.process.seconds);
    peak.push_back(double(m.process.peakKB) / 1024.0);
  }
};

// One library of `tracks` tracks: written, then read by each pass `runs` times in turn.
bool Measure(const std::string& self, const std::string& path, long tracks, int runs,
             bool plistlib) {
  auto start = std::chrono::steady_clock::now();
  WriteLibrary(path, tracks);
  struct stat st;
  stat(path.c_str(), &st);
  std::printf("library: %ld tracks, %.1f MB, written in %.2f s; min / median / max of %d runs,"
              " each pass a process of its own\n",
              tracks, double(st.st_size) / 1e6, Seconds(start), runs);
  Side expat, reader, idle;
  std::vector<double> ratio;
  PassResult found;
  for (int run = 0; run < runs; ++run) {
    const Measured e = Spawn({self, "--expat", path});
    const Measured r = Spawn({self, "--reader"});
    const Measured i = Spawn({self, "--idle"});
    if (!e.pass.ok || !r.pass.ok || !i.process.ok) {
      std::printf("a pass failed\n");
      return false;
    }
    expat.Add(e);
    reader.Add(r);
    idle.Add(i);
    ratio.push_back(r.pass.seconds / e.pass.seconds);
    found = r.pass;
  }
  const auto row = [](const char* what, const std::vector<double>& v, const char* unit) {
    std::printf("  %-44s %8.3f %8.3f %8.3f %s\n", what, bench::Min(v), bench::Median(v),
                bench::Max(v), unit);
  };
  row("expat's bare pass, its own time", expat.pass, "s");
  row("our reader, its own time", reader.pass, "s");
  row("reader / expat, run by run", ratio, "");
  row("expat's bare pass, whole process", expat.wall, "s");
  row("our reader, whole process", reader.wall, "s");
  row("expat's process, peak memory", expat.peak, "MiB");
  row("our reader's process, peak memory", reader.peak, "MiB");
  row("the same program reading nothing, peak memory", idle.peak, "MiB");
  std::printf("  read: %ld tracks, %ld album groups, %ld playlists\n", found.tracks, found.groups,
              found.playlists);
  const double r = bench::Median(ratio);
  const double peakMB = bench::Median(reader.peak) * 1.048576;
  std::printf("  goals: reader / expat at most 1.5: %.2f %s", r, r <= 1.5 ? "met" : "MISSED");
  if (tracks == 100000) {
    std::printf("; peak under 100 MB at 100,000 tracks: %.1f MB %s", peakMB,
                peakMB < 100.0 ? "met" : "MISSED");
  }
  std::printf("\n");
  if (plistlib) {
    const std::string python =
        "/usr/bin/python3 -c \"import plistlib,sys; "
        "plistlib.load(open(sys.argv[1],'rb'))\" '" +
        path + "'";
    start = std::chrono::steady_clock::now();
    const int status = std::system(python.c_str());
    std::printf("  plistlib, once: %.2f s%s\n", Seconds(start), status == 0 ? "" : "  (failed)");
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // The passes, each run by the parent as a process of its own.
  if (argc == 3 && std::strcmp(argv[1], "--expat") == 0) {
    const PassResult r = ExpatPass(argv[2]);
    Report(r);
    return r.ok ? 0 : 1;
  }
  if (argc == 2 && std::strcmp(argv[1], "--reader") == 0) {
    const PassResult r = ReaderPass();
    Report(r);
    return r.ok ? 0 : 1;
  }
  if (argc == 2 && std::strcmp(argv[1], "--idle") == 0) return 0;

  std::vector<long> counts;
  int runs = 5;
  bool keep = false;
  bool plistlib = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--keep") == 0) {
      keep = true;
    } else if (std::strcmp(argv[i], "--no-plistlib") == 0) {
      plistlib = false;
    } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      counts.push_back(std::max(1L, std::strtol(argv[i], nullptr, 10)));
    }
  }
  if (counts.empty()) counts.push_back(100000);

  // A home of our own, so the Folder Manager finds the library where the program looks; the
  // passes inherit it.
  const std::string home =
      bench::MakeHome("itunes-bench", keep, "XDG_MUSIC_DIR", {"/Music", "/Music/iTunes"});
  if (home.empty()) return 1;
  const std::string path = home + "/Music/iTunes/" + kSpiTM_LibraryFileName;
  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
  bool ok = true;
  for (long tracks : counts) ok = Measure(self, path, tracks, runs, plistlib) && ok;
  if (keep) std::printf("kept: %s\n", home.c_str());
  return ok ? 0 : 1;
}
