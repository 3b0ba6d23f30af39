// The byte layouts of 'DITL' and 'DLOG' resources, and the text of text items.
//
// Resource bytes come from files and are not trusted: every field is read through the
// bounds-checked reader, and a list that ends inside an item is refused as a whole so that a
// dialog never shows half of a damaged list.
#include <cstring>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "ui/detail/DialogRecord.h"

namespace sp_platform {
namespace dialogs {

bool ParseItemList(const UInt8* bytes, std::size_t size, std::size_t limit,
                   std::vector<ItemSpec>* out) {
  if (out == nullptr) return false;
  out->clear();
  sp::ByteReader reader(bytes, size);
  std::size_t count = std::size_t(reader.BE16()) + 1;
  if (!reader.Ok() || count > limit) return false;
  std::vector<ItemSpec> items;
  items.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    ItemSpec spec;
    reader.Skip(4);  // the handle or procedure the Dialog Manager fills in
    spec.rect.top = reader.SBE16();
    spec.rect.left = reader.SBE16();
    spec.rect.bottom = reader.SBE16();
    spec.rect.right = reader.SBE16();
    UInt8 type = reader.U8();
    UInt8 length = reader.U8();
    if (!reader.Has(length)) return false;
    spec.kind = UInt8(type & 0x7F);
    spec.disabled = (type & itemDisable) != 0;
    const UInt8* data = reader.Current();
    if (spec.kind == kResourceControlDialogItem || spec.kind == iconItem || spec.kind == picItem) {
      if (length >= 2) spec.resourceID = SInt16((UInt16(data[0]) << 8) | data[1]);
    } else if (spec.kind >= kButtonDialogItem && spec.kind <= editText) {
      spec.text.assign(reinterpret_cast<const char*>(data), length);
    }
    reader.Skip(length);
    if (length % 2 == 1) reader.Skip(1);
    // The last item's padding byte may be missing: lists written by hand often end there.
    if (!reader.Ok() && !(i + 1 == count && length % 2 == 1 && reader.Position() == size)) {
      return false;
    }
    items.push_back(std::move(spec));
  }
  *out = std::move(items);
  return true;
}

bool ParseDialogTemplate(const UInt8* bytes, std::size_t size, DialogTemplate* out) {
  if (out == nullptr) return false;
  sp::ByteReader reader(bytes, size);
  DialogTemplate t;
  t.bounds.top = reader.SBE16();
  t.bounds.left = reader.SBE16();
  t.bounds.bottom = reader.SBE16();
  t.bounds.right = reader.SBE16();
  t.procID = reader.SBE16();
  t.visible = reader.U8() != 0;
  reader.Skip(1);
  t.goAway = reader.U8() != 0;
  reader.Skip(1);
  t.refCon = reader.SBE32();
  t.itemsID = reader.SBE16();
  if (!reader.PascalString(t.title) || !reader.Ok()) return false;
  if (reader.Position() % 2 == 1) reader.Skip(1);
  if (reader.Has(2)) t.position = reader.BE16();
  *out = t;
  return true;
}

std::size_t BoundaryAtOrBefore(const std::string& bytes, std::size_t offset) {
  if (offset >= bytes.size()) return bytes.size();
  std::size_t at = 0;
  while (at < offset) {
    std::size_t next = at + CharLength(bytes, at);
    if (next > offset) break;
    at = next;
  }
  return at;
}

std::size_t PreviousBoundary(const std::string& bytes, std::size_t offset) {
  if (offset == 0) return 0;
  return BoundaryAtOrBefore(bytes, offset - 1);
}

std::size_t NextBoundary(const std::string& bytes, std::size_t offset) {
  if (offset >= bytes.size()) return bytes.size();
  return offset + CharLength(bytes, offset);
}

std::size_t CutToBoundary(const std::string& bytes, std::size_t limit) {
  if (bytes.size() <= limit) return bytes.size();
  return BoundaryAtOrBefore(bytes, limit);
}

std::string ItemText(const Item& item) {
  if (item.text == nullptr || *item.text == nullptr) return std::string();
  Size size = GetHandleSize(item.text);
  if (size <= 0) return std::string();
  return std::string(*item.text, std::size_t(size));
}

bool SetItemText(Item* item, const std::string& bytes, std::size_t limit) {
  if (item == nullptr || item->text == nullptr) return false;
  std::size_t length = CutToBoundary(bytes, limit);
  SetHandleSize(item->text, Size(length));
  if (MemError() != noErr) return false;
  if (length > 0) std::memcpy(*item->text, bytes.data(), length);
  return true;
}

}  // namespace dialogs
}  // namespace sp_platform
