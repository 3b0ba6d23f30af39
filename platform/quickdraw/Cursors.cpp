// Cursors: loaded from 'CURS' and 'crsr' resources and recorded when set. Nothing is shown
// here; the display backend shows the record. A colour cursor's colour image is the PNG its
// resource holds after the classic header (app/resources/README.txt), decoded when the
// cursor is made.
#include <algorithm>
#include <cstring>
#include <vector>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "QuickDraw.h"
#include "Resources.h"
#include "detail/Cursors.h"

namespace {

constexpr ResType kCursorType = SpFourCC("CURS");
constexpr ResType kColorCursorType = SpFourCC("crsr");
constexpr std::size_t kCursorResourceSize = 68;      // image, mask, hot spot
constexpr std::size_t kColorCursorHeaderSize = 96;   // the CCrsr record at the resource's start
constexpr std::size_t kColorCursorImageOffset = 20;  // its one-bit image, mask and hot spot
constexpr std::size_t kColorCursorDataField = 6;     // crsrData: where the colour image begins

// The standard arrow: a left-leaning arrow with its tip at (1, 1).
constexpr Cursor kArrow = {{0x0000, 0x4000, 0x6000, 0x7000, 0x7800, 0x7C00, 0x7E00, 0x7F00, 0x7F80,
                            0x7C00, 0x6C00, 0x4600, 0x0600, 0x0300, 0x0300, 0x0000},
                           {0xC000, 0xE000, 0xF000, 0xF800, 0xFC00, 0xFE00, 0xFF00, 0xFF80, 0xFFC0,
                            0xFFE0, 0xFE00, 0xEF00, 0xCF00, 0x8780, 0x0780, 0x0380},
                           {1, 1}};

struct LoadedCursor {
  SInt16 id;
  CursHandle handle;
};

struct ColorCursor {
  CCrsrHandle handle;
  SInt16 id;
  std::vector<UInt8> bytes;
  sp_platform::ArgbImage image;
};

struct CursorState {
  sp_platform::CursorRecord record;
  // One handle per 'CURS' id, kept for the process as a loaded resource would be: holders of
  // a handle never see it freed under them.
  std::vector<LoadedCursor> loaded;
  std::vector<ColorCursor> colour;  // the colour cursors GetCCursor made and nobody disposed of

  CursorState() { record.image = kArrow; }

  ColorCursor* FindColour(CCrsrHandle h) {
    for (auto& c : colour) {
      if (c.handle == h) return &c;
    }
    return nullptr;
  }
};

// Never destroyed: the loaded cursors stay reachable until the process ends, whatever order
// static objects go in.
CursorState& State() {
  static CursorState* state = new CursorState;
  return *state;
}

bool SameImage(const Cursor& a, const Cursor& b) {
  return std::memcmp(a.data, b.data, sizeof a.data) == 0 &&
         std::memcmp(a.mask, b.mask, sizeof a.mask) == 0 && a.hotSpot.h == b.hotSpot.h &&
         a.hotSpot.v == b.hotSpot.v;
}

// Image, mask and hot spot, big-endian, as 'CURS' resources and the colour cursor's header
// hold them.
void ReadCursorImage(sp::ByteReader& in, Bits16 data, Bits16 mask, Point* hotSpot) {
  for (int row = 0; row < 16; ++row) data[row] = in.BE16();
  for (int row = 0; row < 16; ++row) mask[row] = in.BE16();
  hotSpot->v = in.SBE16();
  hotSpot->h = in.SBE16();
}

void NoteChange(sp_platform::CursorKind kind, SInt16 id, const Cursor& image,
                const sp_platform::ArgbImage& colorImage = {}) {
  sp_platform::CursorRecord& r = State().record;
  r.kind = kind;
  r.resourceID = id;
  r.image = image;
  r.colorImage = colorImage;
  ++r.changes;
}

// The PNG at the offset the header's crsrData gives; an empty image when there is none or it
// cannot be decoded (damaged, too large): the one-bit image then serves.
sp_platform::ArgbImage ReadColorImage(const std::vector<UInt8>& bytes) {
  sp_platform::ArgbImage image;
  sp::ByteReader in(bytes.data(), bytes.size());
  in.Seek(kColorCursorDataField);
  const UInt32 offset = in.BE32();
  if (!in.Ok() || offset < kColorCursorHeaderSize || offset >= bytes.size()) return image;
  if (sp_platform::DecodePng(bytes.data() + offset, bytes.size() - offset, &image) != noErr) {
    image = sp_platform::ArgbImage{};
  }
  return image;
}

}  // namespace

namespace sp_platform {

const CursorRecord& CurrentCursor() {
  return State().record;
}

CursorSummary CurrentCursorSummary() {
  const CursorRecord& r = State().record;
  CursorSummary summary;
  summary.kind = r.kind;
  summary.resourceID = r.resourceID;
  summary.hideLevel = r.hideLevel;
  summary.obscured = r.obscured;
  summary.changes = r.changes;
  return summary;
}

CursorImage CurrentCursorImage() {
  const CursorRecord& r = State().record;
  CursorImage out;
  out.arrow = r.kind == CursorKind::kArrow;
  out.hotSpot = r.image.hotSpot;
  if (r.kind == CursorKind::kColor && !r.colorImage.Empty()) {
    out.width = r.colorImage.width;
    out.height = r.colorImage.height;
    out.argb = r.colorImage.pixels;
    return out;
  }
  out.width = 16;
  out.height = 16;
  out.argb.assign(16 * 16, 0);
  for (int row = 0; row < 16; ++row) {
    for (int col = 0; col < 16; ++col) {
      const UInt16 bit = UInt16(0x8000u >> col);
      const bool image = (UInt16(r.image.data[row]) & bit) != 0;
      const bool mask = (UInt16(r.image.mask[row]) & bit) != 0;
      out.argb[std::size_t(row * 16 + col)] = image ? 0xFF000000u : mask ? 0xFFFFFFFFu : 0;
    }
  }
  return out;
}

void NoteMouseMovedForCursor() {
  State().record.obscured = false;
}

bool ColorCursorResourceBytes(CCrsrHandle cursor, std::vector<UInt8>* bytes) {
  ColorCursor* c = State().FindColour(cursor);
  if (c == nullptr) return false;
  if (bytes != nullptr) *bytes = c->bytes;
  return true;
}

bool ColorCursorImage(CCrsrHandle cursor, ArgbImage* image) {
  ColorCursor* c = State().FindColour(cursor);
  if (c == nullptr) return false;
  if (image != nullptr) *image = c->image;
  return true;
}

void ResetCursor() {
  State().record = CursorRecord{};
  State().record.image = kArrow;
}

}  // namespace sp_platform

CursHandle GetCursor(SInt16 cursorID) {
  Handle res = GetResource(kCursorType, cursorID);
  if (res == nullptr) return nullptr;
  const Size size = GetHandleSize(res);
  if (size < Size(kCursorResourceSize)) return nullptr;
  Cursor cursor{};
  sp::ByteReader in(*res, std::size_t(size));
  ReadCursorImage(in, cursor.data, cursor.mask, &cursor.hotSpot);

  CursorState& s = State();
  for (auto& l : s.loaded) {
    if (l.id == cursorID) {
      // The resource may have been replaced since: the handle follows it.
      **l.handle = cursor;
      return l.handle;
    }
  }
  Handle h = NewHandle(Size(sizeof(Cursor)));
  if (h == nullptr) return nullptr;
  CursHandle handle = reinterpret_cast<CursHandle>(h);
  **handle = cursor;
  s.loaded.push_back(LoadedCursor{cursorID, handle});
  return handle;
}

CCrsrHandle GetCCursor(SInt16 crsrID) {
  Handle res = GetResource(kColorCursorType, crsrID);
  if (res == nullptr) return nullptr;
  const Size size = GetHandleSize(res);
  if (size < Size(kColorCursorHeaderSize)) return nullptr;

  ColorCursor entry;
  entry.id = crsrID;
  entry.bytes.assign(reinterpret_cast<const UInt8*>(*res),
                     reinterpret_cast<const UInt8*>(*res) + size);

  Handle h = NewHandleClear(Size(sizeof(CCrsr)));
  if (h == nullptr) return nullptr;
  CCrsrHandle handle = reinterpret_cast<CCrsrHandle>(h);
  CCrsr& c = **handle;
  sp::ByteReader in(entry.bytes.data(), entry.bytes.size());
  c.crsrType = in.SBE16();
  in.Seek(14);
  c.crsrXValid = in.SBE16();
  in.Seek(kColorCursorImageOffset);
  ReadCursorImage(in, c.crsr1Data, c.crsrMask, &c.crsrHotSpot);
  c.crsrXTable = in.SBE32();
  c.crsrID = in.SBE32();
  entry.image = ReadColorImage(entry.bytes);

  entry.handle = handle;
  State().colour.push_back(std::move(entry));
  return handle;
}

void DisposeCCursor(CCrsrHandle cCrsr) {
  CursorState& s = State();
  auto it = std::find_if(s.colour.begin(), s.colour.end(),
                         [cCrsr](const ColorCursor& c) { return c.handle == cCrsr; });
  if (it == s.colour.end()) return;
  s.colour.erase(it);
  DisposeHandle(reinterpret_cast<Handle>(cCrsr));
}

Cursor* GetQDGlobalsArrow(Cursor* arrow) {
  if (arrow == nullptr) return nullptr;
  *arrow = kArrow;
  return arrow;
}

void InitCursor() {
  NoteChange(sp_platform::CursorKind::kArrow, 0, kArrow);
  State().record.hideLevel = 0;
  State().record.obscured = false;
}

void SetCursor(const Cursor* crsr) {
  if (crsr == nullptr) return;
  CursorState& s = State();
  // A loaded cursor is known by its handle's block, or by its image when the caller set a
  // copy of it.
  for (const auto& l : s.loaded) {
    if (*l.handle == crsr) return NoteChange(sp_platform::CursorKind::kBlackWhite, l.id, *crsr);
  }
  for (const auto& l : s.loaded) {
    if (SameImage(**l.handle, *crsr)) {
      return NoteChange(sp_platform::CursorKind::kBlackWhite, l.id, *crsr);
    }
  }
  if (SameImage(kArrow, *crsr)) return NoteChange(sp_platform::CursorKind::kArrow, 0, *crsr);
  NoteChange(sp_platform::CursorKind::kOther, 0, *crsr);
}

void SetCCursor(CCrsrHandle cCrsr) {
  ColorCursor* c = State().FindColour(cCrsr);
  if (c == nullptr) return;
  Cursor image{};
  std::memcpy(image.data, (**cCrsr).crsr1Data, sizeof image.data);
  std::memcpy(image.mask, (**cCrsr).crsrMask, sizeof image.mask);
  image.hotSpot = (**cCrsr).crsrHotSpot;
  NoteChange(sp_platform::CursorKind::kColor, c->id, image, c->image);
}

void HideCursor() {
  --State().record.hideLevel;
}

void ShowCursor() {
  sp_platform::CursorRecord& r = State().record;
  if (r.hideLevel < 0) ++r.hideLevel;
}

void ObscureCursor() {
  State().record.obscured = true;
}
