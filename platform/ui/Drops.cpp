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
  if (files::FSSpecOfPath(path, &spec) != noErr) return false;
  FInfo info;
  std::memset(&info, 0, sizeof info);
  if (S_ISDIR(st.st_mode)) {
    info.fdType = SpFourCC("fold");
    info.fdCreator = SpFourCC("MACS");
  } else if (FSpGetFInfo(&spec, &info) != noErr) {
    std::memset(&info, 0, sizeof info);
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

OSErr DeliverFileDrop(Point where, const std::vector<std::string>& paths) {
  if (paths.empty()) return paramErr;
  FileDrop drop;
  drop.where = where;
  FindWindow(where, &drop.window);
  for (const std::string& path : paths) {
    HFSFlavorBytes item;
    if (MakeHFSFlavor(path, &item)) drop.items.push_back(item);
  }
  if (drop.items.empty()) return fnfErr;
  Hand(std::move(drop));
  return noErr;
}

OSErr DeliverTextDrop(Point where, const std::vector<std::string>& utf8Lines) {
  FileDrop drop;
  drop.where = where;
  FindWindow(where, &drop.window);
  for (std::size_t i = 0; i < utf8Lines.size(); ++i) {
    std::string line = utf8Lines[i];
    // Each line's own ending (LF or CR LF) becomes the one CR between lines.
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    std::string bytes;
    sp::text::UTF8ToMacJapanese(line, bytes, '?');
    if (i > 0) drop.text += '\r';
    drop.text += bytes;
  }
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
