// Dropped files become drags of 'hfs ' items, dropped text one of a 'TEXT' item (see
// ui/internal/Drops.h).
#include "ui/internal/Drops.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "ByteOrder.h"
#include "Files.h"
#include "SpTextCodec.h"
#include "files/internal/FileLocations.h"

namespace sp_platform {
namespace drops {
namespace {

struct DropState {
  FileDropReceiver receiver = nullptr;
  void* refCon = nullptr;
  std::vector<FileDrop> pending;
};

DropState& State() {
  static DropState* state = new DropState;  // lives to the end of the program
  return *state;
}

// To the receiver, or into the pending list when there is none.
void Hand(FileDrop drop) {
  DropState& s = State();
  if (s.receiver != nullptr) {
    s.receiver(drop, s.refCon);
    return;
  }
  if (s.pending.size() >= kMaxPendingDrops) s.pending.erase(s.pending.begin());
  s.pending.push_back(std::move(drop));
}

}  // namespace

bool MakeHFSFlavor(const std::string& path, HFSFlavorBytes* out) {
  if (out == nullptr) return false;
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0) return false;
  FSSpec spec;
  std::memset(&spec, 0, sizeof spec);
  FInfo info;
  if (files::FSSpecAndFInfoOfPath(path, &spec, &info) != noErr) return false;
  if (S_ISDIR(st.st_mode)) {
    info.fdType = SpFourCC("fold");
    info.fdCreator = SpFourCC("MACS");
  }
  sp::ByteWriter w;
  w.FourCC(info.fdType);
  w.FourCC(info.fdCreator);
  w.BE16(info.fdFlags);
  w.BE16(UInt16(spec.vRefNum));
  w.BE32(UInt32(spec.parID));
  const std::size_t nameLength = std::min<std::size_t>(spec.name[0], 63);
  w.U8(UInt8(nameLength));
  w.Bytes(spec.name + 1, nameLength);
  w.Zeros(kHFSFlavorSize - w.Size());
  std::copy(w.Data().begin(), w.Data().end(), out->begin());
  return true;
}

void SetFileDropReceiver(FileDropReceiver receiver, void* refCon) {
  State().receiver = receiver;
  State().refCon = refCon;
}

std::vector<HFSFlavorBytes> ItemsOfPaths(const std::vector<std::string>& paths) {
  std::vector<HFSFlavorBytes> items;
  for (const std::string& path : paths) {
    HFSFlavorBytes item;
    if (MakeHFSFlavor(path, &item)) items.push_back(item);
  }
  return items;
}

OSErr DeliverFileDrop(Point where, const std::vector<std::string>& paths) {
  if (paths.empty()) return paramErr;
  FileDrop drop;
  drop.where = where;
  FindWindow(where, &drop.window);
  drop.items = ItemsOfPaths(paths);
  if (drop.items.empty()) return fnfErr;
  Hand(std::move(drop));
  return noErr;
}

std::string MacTextOfLines(const std::vector<std::string>& utf8Lines) {
  std::string text;
  for (std::size_t i = 0; i < utf8Lines.size(); ++i) {
    std::string line = utf8Lines[i];
    // Each line's own ending (LF or CR LF) becomes the one CR between lines.
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    std::string bytes;
    sp::text::UTF8ToMacJapanese(line, bytes, '?');
    if (i > 0) text += '\r';
    text += bytes;
  }
  return text;
}

std::vector<std::string> LinesOf(const std::string& utf8) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (;;) {
    const std::size_t lf = utf8.find('\n', from);
    if (lf == std::string::npos) break;
    lines.push_back(utf8.substr(from, lf - from));
    from = lf + 1;
  }
  lines.push_back(utf8.substr(from));
  return lines;
}

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The path of one file: URI; empty when it names no local file.
std::string PathOfFileUri(const std::string& uri) {
  static const char kScheme[] = "file:";
  if (uri.compare(0, sizeof kScheme - 1, kScheme) != 0) return std::string();
  std::string rest = uri.substr(sizeof kScheme - 1);
  if (rest.compare(0, 2, "//") == 0) {
    const std::size_t slash = rest.find('/', 2);
    if (slash == std::string::npos) return std::string();
    const std::string host = rest.substr(2, slash - 2);
    if (!host.empty() && host != "localhost") return std::string();
    rest.erase(0, slash);
  }
  if (rest.empty() || rest[0] != '/') return std::string();
  std::string path;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] != '%') {
      path += rest[i];
      continue;
    }
    const int high = i + 2 < rest.size() ? HexValue(rest[i + 1]) : -1;
    const int low = high >= 0 ? HexValue(rest[i + 2]) : -1;
    if (low < 0 || (high == 0 && low == 0)) return std::string();
    path += char(high * 16 + low);
    i += 2;
  }
  return path;
}

}  // namespace

std::vector<std::string> PathsOfUriList(const std::string& list) {
  std::vector<std::string> paths;
  for (std::string line : LinesOf(list)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::string path = PathOfFileUri(line);
    if (!path.empty()) paths.push_back(std::move(path));
  }
  return paths;
}

OSErr DeliverTextDrop(Point where, const std::vector<std::string>& utf8Lines) {
  FileDrop drop;
  drop.where = where;
  FindWindow(where, &drop.window);
  drop.text = MacTextOfLines(utf8Lines);
  if (drop.text.empty()) return paramErr;
  Hand(std::move(drop));
  return noErr;
}

std::vector<FileDrop> TakePendingFileDrops() {
  std::vector<FileDrop> drops;
  drops.swap(State().pending);
  return drops;
}

}  // namespace drops
}  // namespace sp_platform
