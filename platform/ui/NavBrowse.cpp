// Navigation Services: listing a folder for the dialog (what it offers, in which order), the
// places of the location popup, the selection, scrolling and drawing of the list.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "AppleEvents.h"
#include "Folders.h"
#include "Navigation.h"
#include "QuickDraw.h"
#include "SpTextCodec.h"
#include "base/internal/Clock.h"
#include "files/internal/FileLocations.h"
#include "quickdraw/internal/TextMeasure.h"
#include "ui/detail/DialogRecord.h"
#include "ui/detail/NavRecord.h"

namespace sp_platform {
namespace nav {

std::string Join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string Parent(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  if (path == "/") return "/";
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

std::string& LastFolderStore() {
  static std::string folder;
  return folder;
}

std::vector<std::string>& LastListingStore() {
  static std::vector<std::string> names;
  return names;
}

// "/a/b/" and "/a//b" as "/a/b".
std::string Tidy(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out += c;
  }
  if (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

UInt32 Local1904(const UTCDateTime& utc) {
  const SInt64 seconds = (SInt64(utc.highSeconds) << 32) | utc.lowSeconds;
  const std::time_t unixTime = std::time_t(seconds - 2082844800LL);
  std::tm parts{};
  localtime_r(&unixTime, &parts);
  return UInt32(seconds + parts.tm_gmtoff);
}

// Names ordered as a person reads them: letters without regard to case, then byte for byte.
bool NameBefore(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

struct Listed {
  Entry entry;
  FSCatalogInfo info{};
};

// Whether the entry is offered before the object filter judges it.
bool Offered(const Record& record, const Listed& item) {
  FInfo finder;
  std::memcpy(&finder, item.info.finderInfo, sizeof finder);
  const bool invisible = item.entry.name[0] == '.' || (finder.fdFlags & kIsInvisible) != 0;
  if (invisible && (record.flags & kNavAllowInvisibleFiles) == 0) return false;
  if (item.entry.folder || record.kind != Kind::kGetFile || record.types.empty()) return true;
  if (finder.fdType == 0) return true;
  return std::find(record.types.begin(), record.types.end(), finder.fdType) != record.types.end();
}

bool FilterShows(const Record& record, Listed& item) {
  if (record.filterProc == nullptr) return true;
  NavFileOrFolderInfo info;
  std::memset(&info, 0, sizeof info);
  info.version = kNavFileOrFolderVersion;
  info.isFolder = item.entry.folder;
  FInfo finder;
  std::memcpy(&finder, item.info.finderInfo, sizeof finder);
  info.visible = item.entry.name[0] != '.' && (finder.fdFlags & kIsInvisible) == 0;
  info.creationDate = Local1904(item.info.createDate);
  info.modificationDate = Local1904(item.info.contentModDate);
  if (item.entry.folder) {
    info.fileAndFolder.folderInfo.numberOfFiles = item.info.valence;
  } else {
    info.fileAndFolder.fileInfo.locked = access(item.entry.path.c_str(), W_OK) != 0;
    info.fileAndFolder.fileInfo.dataSize =
        UInt32(std::min<UInt64>(item.info.dataLogicalSize, 0xFFFFFFFFu));
    info.fileAndFolder.fileInfo.finderInfo = finder;
  }
  AEDesc desc = {typeNull, nullptr};
  if (AECreateDesc(typeFSRef, &item.entry.ref, sizeof item.entry.ref, &desc) != noErr) return true;
  const bool shown = record.filterProc(&desc, &info, record.clientData, kNavFilteringBrowserList);
  AEDisposeDesc(&desc);
  return shown;
}

// The folder's items, folders first, each group by name; false when the folder cannot be read.
bool ReadFolder(const std::string& folder, std::vector<Record::Pending>* out) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return false;
  out->clear();
  while (dirent* d = readdir(dir)) {
    const std::string name = d->d_name;
    if (name == "." || name == "..") continue;
    struct stat st {};
    const bool folderItem = fstatat(dirfd(dir), d->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    out->push_back(Record::Pending{name, folderItem});
  }
  closedir(dir);
  std::sort(out->begin(), out->end(), [](const Record::Pending& a, const Record::Pending& b) {
    if (a.folder != b.folder) return a.folder;
    return NameBefore(a.name, b.name);
  });
  return true;
}

// The item of the folder shown as the dialog offers it; false when it is not offered (gone, a
// dangling link, refused by the type list or the object filter).
bool Judge(const Record& record, const Record::Pending& pending, Entry* out) {
  Listed item;
  item.entry.name = pending.name;
  item.entry.path = Join(record.folder, pending.name);
  files::Location location;
  if (files::LocatePath(item.entry.path, location) != noErr) return false;
  files::MakeFSRef(location, &item.entry.ref);
  if (FSGetCatalogInfo(&item.entry.ref,
                       kFSCatInfoNodeFlags | kFSCatInfoAllDates | kFSCatInfoFinderInfo |
                           kFSCatInfoValence | kFSCatInfoDataSizes,
                       &item.info, nullptr, nullptr, nullptr) != noErr) {
    return false;
  }
  item.entry.folder = location.isFolder;
  item.entry.choosable =
      item.entry.folder || record.kind == Kind::kGetFile || record.kind == Kind::kChooseObject;
  if (!Offered(record, item) || !FilterShows(record, item)) return false;
  *out = item.entry;
  return true;
}

// A slice of listing: at most this long, one item at least. The first, when the folder is
// shown, is shorter: it shares its pass with making or redrawing the dialog.
constexpr SInt64 kListingSliceMicros = 20000;
constexpr SInt64 kFirstListingSliceMicros = 10000;

void StopListingTimer(Record* record) {
  if (record->listingTimer == nullptr) return;
  RemoveEventLoopTimer(record->listingTimer);
  record->listingTimer = nullptr;
}

// Judges the pending items for up to `micros` (all of them for 0), adding those offered to
// the list; true when none is left.
bool ListSome(Record* record, SInt64 micros) {
  if (record->judging) return false;
  const SInt64 started = ClockNowMicroseconds();
  const std::size_t first = record->pendingNext;
  while (record->pendingNext < record->pending.size()) {
    if (micros != 0 && record->pendingNext > first && ClockNowMicroseconds() - started > micros)
      break;
    const Record::Pending item = record->pending[record->pendingNext++];
    Entry entry;
    record->judging = true;
    const bool offered = Judge(*record, item, &entry);
    record->judging = false;
    if (!offered) continue;
    record->entries.push_back(entry);
    record->selected.push_back(false);
    LastListingStore().push_back(entry.name);
    const SInt32 index = SInt32(record->entries.size()) - 1;
    if (!record->pendingSelect.empty() && entry.name == record->pendingSelect &&
        entry.choosable && SelectedEntries(record).empty()) {
      record->selected.back() = true;
      record->anchor = index;
      record->pendingSelect.clear();
    }
  }
  if (!record->ListingDone()) return false;
  record->pending.clear();
  record->pendingNext = 0;
  record->pendingSelect.clear();
  StopListingTimer(record);
  return true;
}

// ---- Places ----

std::string PercentDecoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(UInt8(text[i + 1])) &&
        std::isxdigit(UInt8(text[i + 2]))) {
      out += char(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string ConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.config";
}

std::vector<Place> Bookmarks() {
  std::ifstream in(ConfigFolder() + "/gtk-3.0/bookmarks", std::ios::binary);
  std::string text;
  // A bookmarks file is a few lines; a larger one is read only so far.
  constexpr std::size_t kLimit = 1 << 20;
  text.resize(kLimit);
  in.read(&text[0], std::streamsize(kLimit));
  text.resize(std::size_t(in.gcount()));
  return ParseBookmarks(text);
}

std::string FolderOfType(OSType type) {
  FSRef ref;
  files::Location location;
  if (FSFindFolder(kOnSystemDisk, type, kDontCreateFolder, &ref) != noErr ||
      files::LocateRef(&ref, location) != noErr) {
    return std::string();
  }
  return location.path;
}

// ---- Drawing ----

RGBColor Grey(UInt16 level) {
  return RGBColor{level, level, level};
}

const RGBColor kSelectionColour = {0x3333, 0x6666, 0xCCCC};

// A small folder or page at the row's left.
void DrawIcon(const Rect& row, bool folder, bool dimmed) {
  Rect icon = {SInt16(row.top + 3), SInt16(row.left + 4), SInt16(row.top + 15),
               SInt16(row.left + 18)};
  if (folder) {
    const RGBColor body = dimmed ? Grey(0xBBBB) : RGBColor{0xE0E0, 0xB0B0, 0x4040};
    RGBForeColor(&body);
    Rect tab = {SInt16(icon.top - 1), icon.left, SInt16(icon.top + 2), SInt16(icon.left + 6)};
    PaintRect(&tab);
    Rect box = icon;
    box.top = SInt16(box.top + 1);
    PaintRect(&box);
  } else {
    const RGBColor page = Grey(0xFFFF);
    const RGBColor edge = dimmed ? Grey(0xBBBB) : Grey(0x5555);
    icon.left = SInt16(icon.left + 2);
    icon.right = SInt16(icon.right - 2);
    icon.top = SInt16(icon.top - 1);
    icon.bottom = SInt16(icon.bottom + 1);
    RGBForeColor(&page);
    PaintRect(&icon);
    RGBForeColor(&edge);
    FrameRect(&icon);
  }
}

// The name cut in its middle with an ellipsis so that it fits the width.
std::u16string Fitted(const std::u16string& name, SInt32 width) {
  if (UnicodeTextWidth(name) <= width) return name;
  const std::u16string ellipsis = u"\x2026";
  std::size_t keep = name.size();
  while (keep > 0) {
    --keep;
    const std::size_t head = (keep + 1) / 2;
    std::u16string cut = name.substr(0, head) + ellipsis + name.substr(name.size() - (keep - head));
    if (UnicodeTextWidth(cut) <= width) return cut;
  }
  return ellipsis;
}

void DrawRow(Record* record, SInt32 index, const Rect& row) {
  const Entry& entry = record->entries[std::size_t(index)];
  const bool selected = record->selected[std::size_t(index)];
  const RGBColor white = Grey(0xFFFF);
  RGBForeColor(selected ? &kSelectionColour : &white);
  PaintRect(&row);
  DrawIcon(row, entry.folder, !entry.choosable);
  const RGBColor text = selected ? white : (entry.choosable ? Grey(0) : Grey(0x9999));
  RGBForeColor(&text);
  MoveTo(SInt16(row.left + 24), SInt16(row.top + 13));
  DrawUnicodeText(Fitted(sp::text::FileNameToUTF16(entry.name), row.right - row.left - 28));
}

void DrawListNow(Record* record) {
  const Rect box = ListRect(record);
  const RGBColor black = Grey(0x5555);
  const RGBColor white = Grey(0xFFFF);
  RGBForeColor(&black);
  FrameRect(&box);
  Rect inside = box;
  InsetRect(&inside, 1, 1);
  RGBForeColor(&white);
  PaintRect(&inside);
  TextFont(0);
  TextSize(12);
  const SInt32 rows = VisibleRows(record);
  for (SInt32 r = 0; r < rows; ++r) {
    const SInt32 index = record->firstShown + r;
    if (index >= SInt32(record->entries.size())) break;
    Rect row = {SInt16(inside.top + r * kRowHeight), inside.left,
                SInt16(inside.top + (r + 1) * kRowHeight), inside.right};
    DrawRow(record, index, row);
  }
  const RGBColor ink = Grey(0);
  RGBForeColor(&ink);
  Draw1Control(record->scrollBar);
}

void UpdateScrollBar(Record* record) {
  const SInt32 rows = VisibleRows(record);
  const SInt32 maximum = std::max<SInt32>(0, SInt32(record->entries.size()) - rows);
  SetControl32BitMaximum(record->scrollBar, maximum);
  SetControlViewSize(record->scrollBar, rows);
  SetControl32BitValue(record->scrollBar, record->firstShown);
}

void ScrollAction(ControlRef control, ControlPartCode part) {
  Record* record = RecordOfWindow(GetControlOwner(control));
  if (record == nullptr) return;
  const SInt32 page = std::max<SInt32>(1, VisibleRows(record) - 1);
  switch (part) {
    case kControlUpButtonPart:
      ScrollTo(record, record->firstShown - 1);
      break;
    case kControlDownButtonPart:
      ScrollTo(record, record->firstShown + 1);
      break;
    case kControlPageUpPart:
      ScrollTo(record, record->firstShown - page);
      break;
    case kControlPageDownPart:
      ScrollTo(record, record->firstShown + page);
      break;
    case kControlIndicatorPart:
      ScrollTo(record, GetControl32BitValue(control));
      break;
    default:
      break;
  }
}

// The popup: the folder shown and those above it, a line, then the desktop's places.
void RebuildPopup(Record* record) {
  MenuRef menu = record->popupMenu;
  while (CountMenuItems(menu) > 0) DeleteMenuItem(menu, SInt16(CountMenuItems(menu)));
  record->places.clear();
  for (std::string path = record->folder;; path = Parent(path)) {
    record->places.push_back({BaseName(path), path});
    if (path == "/") break;
  }
  const std::vector<Place> desktop = DesktopPlaces();
  if (!desktop.empty()) record->places.push_back({"-", std::string()});
  record->places.insert(record->places.end(), desktop.begin(), desktop.end());
  for (const Place& place : record->places) {
    if (place.path.empty()) {
      const UInt8 line[] = {1, '-'};
      AppendMenu(menu, line);
      continue;
    }
    const std::u16string label = sp::text::FileNameToUTF16(place.label);
    std::string text = sp::text::UTF16ToMacJapaneseNearest(label.data(), label.size());
    if (text.empty()) text = " ";
    Str255 item;
    item[0] = UInt8(std::min<std::size_t>(text.size(), 255));
    std::memcpy(item + 1, text.data(), item[0]);
    AppendMenuItemText(menu, item);
  }
  SetControlPopupMenuHandle(record->popup, menu);
  SetControl32BitValue(record->popup, 1);
}

}  // namespace

std::string MacJapaneseOfUTF8(const std::string& utf8) {
  std::string out;
  sp::text::UTF8ToMacJapanese(utf8, out, '?');
  return out;
}

std::string UTF8OfMacJapanese(const std::string& macJapanese) {
  return sp::text::MacJapaneseToUTF8(macJapanese);
}

const std::string& LastFolder() {
  return LastFolderStore();
}

const std::vector<std::string>& LastListing() {
  return LastListingStore();
}

void ForgetLastFolder() {
  LastFolderStore().clear();
  LastListingStore().clear();
}

std::string DefaultFolder() {
  if (IsFolder(LastFolderStore())) return LastFolderStore();
  const char* home = std::getenv("HOME");
  if (home != nullptr && IsFolder(home)) return Tidy(home);
  return "/";
}

std::vector<Place> ParseBookmarks(const std::string& text) {
  static const std::string kScheme = "file://";
  std::vector<Place> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, kScheme.size(), kScheme) != 0) continue;
    const std::size_t space = line.find(' ');
    const std::string url = line.substr(
        kScheme.size(), space == std::string::npos ? std::string::npos : space - kScheme.size());
    const std::string path = Tidy(PercentDecoded(url));
    // A NUL ("%00") would cut the path short at every call that takes it: no place.
    if (path.empty() || path[0] != '/' || path.find('\0') != std::string::npos) continue;
    Place place;
    place.path = path;
    place.label = space == std::string::npos ? BaseName(path) : line.substr(space + 1);
    out.push_back(place);
  }
  return out;
}

std::vector<Place> DesktopPlaces() {
  std::vector<Place> candidates;
  const char* home = std::getenv("HOME");
  if (home != nullptr) candidates.push_back({"ホーム", Tidy(home)});
  candidates.push_back({"デスクトップ", FolderOfType(kDesktopFolderType)});
  candidates.push_back({"書類", FolderOfType(kDocumentsFolderType)});
  candidates.push_back({"ミュージック", FolderOfType(kMusicDocumentsFolderType)});
  for (const Place& b : Bookmarks()) candidates.push_back(b);
  std::vector<Place> out;
  for (const Place& p : candidates) {
    if (!IsFolder(p.path)) continue;
    const bool seen =
        std::any_of(out.begin(), out.end(), [&p](const Place& q) { return q.path == p.path; });
    if (!seen) out.push_back(p);
  }
  return out;
}

bool ResolveLocation(const AEDesc* location, std::string* path, bool* folder) {
  if (location == nullptr) return false;
  files::Location found;
  if (location->descriptorType == typeFSRef) {
    FSRef ref;
    if (AEGetDescDataSize(location) != Size(sizeof ref)) return false;
    AEGetDescData(location, &ref, sizeof ref);
    if (files::LocateRef(&ref, found) != noErr) return false;
  } else if (location->descriptorType == typeFSS) {
    FSSpec spec;
    if (AEGetDescDataSize(location) != Size(sizeof spec)) return false;
    AEGetDescData(location, &spec, sizeof spec);
    if (files::CheckFSSpec(&spec) != noErr ||
        files::LocateClassic(spec.vRefNum, spec.parID, spec.name, found) != noErr) {
      return false;
    }
  } else {
    return false;
  }
  *path = Tidy(found.path);
  *folder = found.isFolder;
  return true;
}

namespace {

// Shows what was listed since the last look: the scroll bar's range, and the rows when they
// are in view, or the entry to select scrolled into view.
void ShowListed(Record* record, std::size_t shownBefore) {
  UpdateScrollBar(record);
  const std::vector<SInt32> selected = SelectedEntries(record);
  if (selected.size() == 1 && selected.front() >= SInt32(shownBefore)) {
    ScrollToShow(record, selected.front());
    UpdateButtons(record);
  }
  if (SInt32(shownBefore) < record->firstShown + VisibleRows(record)) RedrawList(record);
}

void ListingTimerFired(EventLoopTimerRef timer, void* data) {
  Record* record = RecordOf(static_cast<NavDialogRef>(data));
  if (record == nullptr || record->listingTimer != timer || !record->running) {
    if (record != nullptr && record->listingTimer == timer) record->listingTimer = nullptr;
    RemoveEventLoopTimer(timer);
    return;
  }
  const std::size_t before = record->entries.size();
  ListSome(record, kListingSliceMicros);
  if (record->entries.size() != before) ShowListed(record, before);
}

}  // namespace

void ResumeListing(Record* record) {
  if (record->ListingDone() || record->listingTimer != nullptr) return;
  if (InstallEventLoopTimer(GetMainEventLoop(), 0, kEventDurationMicrosecond,
                            NewEventLoopTimerUPP(ListingTimerFired), RefOf(record),
                            &record->listingTimer) != noErr) {
    record->listingTimer = nullptr;
  }
}

void FinishListing(Record* record) {
  if (record->ListingDone()) return;
  const std::size_t before = record->entries.size();
  ListSome(record, 0);
  ShowListed(record, before);
}

void ShowNearestFolder(Record* record) {
  for (std::string folder = record->folder;; folder = Parent(folder)) {
    if (ShowFolder(record, folder, "") || folder == "/") return;
  }
}

bool ShowFolder(Record* record, const std::string& folderIn, const std::string& select) {
  const std::string folder = Tidy(folderIn);
  std::vector<Record::Pending> items;
  if (!IsFolder(folder) || !ReadFolder(folder, &items)) return false;
  StopListingTimer(record);
  record->folder = folder;
  record->pending = std::move(items);
  record->pendingNext = 0;
  record->pendingSelect = select;
  record->entries.clear();
  record->selected.clear();
  record->anchor = -1;
  record->firstShown = 0;
  record->lastClickEntry = -1;
  LastFolderStore() = folder;
  LastListingStore().clear();
  // A folder of a few items is listed at once; the rest of a large one from the timer.
  if (!ListSome(record, kFirstListingSliceMicros) && record->running) ResumeListing(record);
  for (const SInt32 i : SelectedEntries(record)) ScrollToShow(record, i);
  SetControlAction(record->scrollBar, ScrollAction);
  UpdateScrollBar(record);
  RebuildPopup(record);
  RedrawList(record);
  UpdateButtons(record);
  return true;
}

void DrawList(DialogRef dialog, DialogItemIndex) {
  Record* record = RecordOfDialog(dialog);
  if (record != nullptr) DrawListNow(record);
}

void DrawPopup(DialogRef dialog, DialogItemIndex) {
  Record* record = RecordOfDialog(dialog);
  if (record != nullptr) Draw1Control(record->popup);
}

void RedrawList(Record* record) {
  dialogs::DialogPortScope scope(GetDialogWindow(record->dialog));
  DrawListNow(record);
}

SInt32 EntryAt(Record* record, Point local) {
  Rect inside = ListRect(record);
  InsetRect(&inside, 1, 1);
  if (!PtInRect(local, &inside)) return -1;
  const SInt32 row = (local.v - inside.top) / kRowHeight;
  if (row >= VisibleRows(record)) return -1;
  const SInt32 index = record->firstShown + row;
  return index < SInt32(record->entries.size()) ? index : -1;
}

std::vector<SInt32> SelectedEntries(Record* record) {
  std::vector<SInt32> out;
  for (std::size_t i = 0; i < record->selected.size(); ++i) {
    if (record->selected[i]) out.push_back(SInt32(i));
  }
  return out;
}

namespace {

bool TakesSeveral(const Record* record) {
  return (record->flags & kNavAllowMultipleFiles) != 0 &&
         (record->kind == Kind::kGetFile || record->kind == Kind::kChooseObject);
}

}  // namespace

void ClickEntry(Record* record, SInt32 entry, bool extend, bool toggle) {
  if (entry < 0 || entry >= SInt32(record->entries.size())) return;
  if (!record->entries[std::size_t(entry)].choosable) return;
  const bool several = TakesSeveral(record);
  if (several && toggle) {
    record->selected[std::size_t(entry)] = !record->selected[std::size_t(entry)];
    record->anchor = entry;
  } else if (several && extend && record->anchor >= 0) {
    const SInt32 from = std::min(record->anchor, entry), to = std::max(record->anchor, entry);
    for (SInt32 i = 0; i < SInt32(record->selected.size()); ++i) {
      record->selected[std::size_t(i)] =
          i >= from && i <= to && record->entries[std::size_t(i)].choosable;
    }
  } else {
    record->selected.assign(record->entries.size(), false);
    record->selected[std::size_t(entry)] = true;
    record->anchor = entry;
  }
  ScrollToShow(record, entry);
  RedrawList(record);
  UpdateButtons(record);
}

bool SelectAllEntries(Record* record) {
  if (!TakesSeveral(record)) return false;
  record->anchor = -1;
  for (std::size_t i = 0; i < record->entries.size(); ++i) {
    record->selected[i] = record->entries[i].choosable;
    if (record->selected[i] && record->anchor < 0) record->anchor = SInt32(i);
  }
  RedrawList(record);
  UpdateButtons(record);
  return true;
}

void MoveSelection(Record* record, SInt32 delta) {
  const std::vector<SInt32> selected = SelectedEntries(record);
  SInt32 at = selected.empty() ? (delta > 0 ? -1 : SInt32(record->entries.size()))
                               : (delta > 0 ? selected.back() : selected.front());
  for (at += delta; at >= 0 && at < SInt32(record->entries.size()); at += delta) {
    if (record->entries[std::size_t(at)].choosable) {
      ClickEntry(record, at, false, false);
      return;
    }
  }
}

void TypeSelect(Record* record, char key, UInt32 tick) {
  // Two double-click times, as the desktop's lists and the classic ones allow.
  const bool fresh = record->typed.empty() || tick - record->typedTick > 2 * GetDblTime();
  if (fresh && key == ' ') return;  // a space begins no name, but goes on one ("track 2")
  if (fresh) record->typed.clear();
  record->typedTick = tick;
  if (record->typed.size() < 255) record->typed.push_back(key);
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  const std::string& typed = record->typed;
  for (std::size_t i = 0; i < record->entries.size(); ++i) {
    const Entry& e = record->entries[i];
    if (!e.choosable || e.name.size() < typed.size()) continue;
    if (std::equal(typed.begin(), typed.end(), e.name.begin(),
                   [&](char a, char b) { return lower(a) == lower(b); })) {
      ClickEntry(record, SInt32(i), false, false);
      return;
    }
  }
}

void ScrollTo(Record* record, SInt32 firstShown) {
  const SInt32 maximum = std::max<SInt32>(0, SInt32(record->entries.size()) - VisibleRows(record));
  const SInt32 value = std::clamp<SInt32>(firstShown, 0, maximum);
  if (value == record->firstShown) return;
  record->firstShown = value;
  SetControl32BitValue(record->scrollBar, value);
  RedrawList(record);
}

void ScrollToShow(Record* record, SInt32 entry) {
  const SInt32 rows = VisibleRows(record);
  if (entry < record->firstShown) {
    ScrollTo(record, entry);
  } else if (entry >= record->firstShown + rows) {
    ScrollTo(record, entry - rows + 1);
  }
}

}  // namespace nav
}  // namespace sp_platform
