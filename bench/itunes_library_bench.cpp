// Loading time and memory of a large music library.
//
// Writes "iTunes Music Library.xml" of N tracks (100,000 unless given) as a real library
// looks (every usual key of a track, albums of a dozen tracks, Japanese names among them, the
// whole-library playlist, one more list of every track and a few small ones) into the Music
// folder of a temporary home. Then, each in a process of its own forked from this one:
//   - expat's bare pass over the file (read in the reader's blocks, no handler doing any
//     work): the floor no reader built on expat can go below;
//   - our reader, loading the library exactly as the application does.
// Each is run three times; the best time and the highest peak resident memory (the child's
// high-water mark: the pages its process touches, the libraries' among them) are printed,
// with the reader's time as a multiple of expat's. Last comes Python's plistlib on the same
// file, for comparison.
//
//   itunes_library_bench [tracks] [--keep] [--no-plistlib]
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

#include "BenchHome.h"
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

// What a pass reports to the parent.
struct PassResult {
  double seconds = 0;
  bool ok = false;
  long tracks = 0, groups = 0, playlists = 0;
};

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

// Runs the pass in a child process; its result and the child's peak resident memory (MB).
template <class Pass>
PassResult InChild(Pass pass, long& peakMegabytes) {
  PassResult result;
  int channel[2];
  if (pipe(channel) != 0) return result;
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const PassResult got = pass();
    if (write(channel[1], &got, sizeof got) != ssize_t(sizeof got)) _exit(1);
    _exit(0);
  }
  close(channel[1]);
  if (child < 0 || read(channel[0], &result, sizeof result) != ssize_t(sizeof result)) {
    result = PassResult();
  }
  close(channel[0]);
  int status = 0;
  struct rusage usage;
  if (child > 0 && wait4(child, &status, 0, &usage) == child) {
    peakMegabytes = std::max(peakMegabytes, long(usage.ru_maxrss / 1024));
  }
  return result;
}

long ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, 6, "VmRSS:") == 0) return std::strtol(line.c_str() + 6, nullptr, 10) / 1024;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  long tracks = 100000;
  bool keep = false;
  bool plistlib = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--keep") == 0) {
      keep = true;
    } else if (std::strcmp(argv[i], "--no-plistlib") == 0) {
      plistlib = false;
    } else {
      tracks = std::strtol(argv[i], nullptr, 10);
    }
  }
  if (tracks < 1) tracks = 1;

  // A home of our own, so the Folder Manager finds the library where the program looks.
  const std::string home =
      bench::MakeHome("itunes-bench", keep, "XDG_MUSIC_DIR", {"/Music", "/Music/iTunes"});
  if (home.empty()) return 1;
  const std::string path = home + "/Music/iTunes/" + kSpiTM_LibraryFileName;

  auto start = std::chrono::steady_clock::now();
  WriteLibrary(path, tracks);
  struct stat st;
  stat(path.c_str(), &st);
  std::printf("library:  %ld tracks, %.1f MB, written in %.2f s\n", tracks,
              double(st.st_size) / 1e6, Seconds(start));
  std::printf("resident here before the passes: %ld MB (the program's libraries; a pass's "
              "peak counts the pages its own process touches)\n",
              ResidentMegabytes());

  const int kRuns = 3;
  double expatBest = 1e9, readerBest = 1e9;
  long expatPeak = 0, readerPeak = 0;
  bool ok = true;
  PassResult reader;
  for (int run = 0; run < kRuns; ++run) {
    const PassResult expat = InChild([&] { return ExpatPass(path); }, expatPeak);
    reader = InChild(ReaderPass, readerPeak);
    ok = ok && expat.ok && reader.ok;
    expatBest = std::min(expatBest, expat.seconds);
    readerBest = std::min(readerBest, reader.seconds);
  }
  std::printf("expat:    %.2f s, peak %ld MB  (a bare pass: no handler does any work)\n", expatBest,
              expatPeak);
  std::printf("reader:   %.2f s, peak %ld MB  (%ld tracks, %ld album groups, %ld playlists)\n",
              readerBest, readerPeak, reader.tracks, reader.groups, reader.playlists);
  std::printf("reader / expat: %.2f times the time (best of %d runs each)\n",
              readerBest / expatBest, kRuns);

  if (plistlib) {
    const std::string python =
        "/usr/bin/python3 -c \"import plistlib,sys; "
        "plistlib.load(open(sys.argv[1],'rb'))\" '" +
        path + "'";
    start = std::chrono::steady_clock::now();
    const int status = std::system(python.c_str());
    std::printf("plistlib: %.2f s%s\n", Seconds(start), status == 0 ? "" : "  (failed)");
  }

  if (keep) std::printf("kept: %s\n", home.c_str());
  return ok ? 0 : 1;
}
