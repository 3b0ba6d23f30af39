#include "detail/ResourceFileFormat.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "ByteOrder.h"

namespace sp_platform {
namespace resfile {

namespace {

// Offsets into a byte range whose bounds were already checked by the caller.
struct Range {
  const UInt8* base;
  std::size_t size;
  bool Has(std::size_t offset, std::size_t length) const {
    return offset <= size && length <= size - offset;
  }
  UInt16 BE16(std::size_t offset) const { return sp::LoadBE16(base + offset); }
  UInt32 BE32(std::size_t offset) const { return sp::LoadBE32(base + offset); }
  UInt32 BE24(std::size_t offset) const {
    return (UInt32(base[offset]) << 16) | (UInt32(base[offset + 1]) << 8) | base[offset + 2];
  }
};

}  // namespace

OSErr Parse(std::shared_ptr<const std::vector<UInt8>> bytes, FileImage& out) {
  out = FileImage();
  if (!bytes || bytes->empty()) return eofErr;
  const Range file{bytes->data(), bytes->size()};
  if (file.size < kHeaderSize || file.size > kMaxFileSize) return mapReadErr;

  const UInt32 dataOffset = file.BE32(0);
  const UInt32 mapOffset = file.BE32(4);
  const UInt32 dataLength = file.BE32(8);
  const UInt32 mapLength = file.BE32(12);
  if (!file.Has(dataOffset, dataLength) || !file.Has(mapOffset, mapLength)) return mapReadErr;
  if (mapLength < kMapHeaderSize + 2) return mapReadErr;

  const Range data{file.base + dataOffset, dataLength};
  const Range map{file.base + mapOffset, mapLength};
  const std::size_t typeList = map.BE16(24);
  const std::size_t nameList = map.BE16(26);
  if (!map.Has(typeList, 2) || nameList > map.size) return mapReadErr;

  FileImage image;
  const std::size_t reservedEnd = std::min<std::size_t>(file.size, kDataStart);
  std::memcpy(image.reserved.data(), file.base + kHeaderSize, reservedEnd - kHeaderSize);
  image.attributes = UInt16(map.BE16(22) & ~kMapChanged);

  const std::size_t typeCount = UInt16(map.BE16(typeList) + 1);
  if (!map.Has(typeList + 2, typeCount * kTypeEntrySize)) return mapReadErr;

  // Every reference takes twelve bytes of the map of its own: reference lists that overlap
  // to make many resources out of few bytes are refused.
  std::size_t totalReferences = 0;
  for (std::size_t t = 0; t < typeCount; ++t) {
    const std::size_t entry = typeList + 2 + t * kTypeEntrySize;
    const ResType type = map.BE32(entry);
    const std::size_t count = UInt16(map.BE16(entry + 4) + 1);
    const std::size_t references = typeList + map.BE16(entry + 6);
    if (!map.Has(references, count * kReferenceSize)) return mapReadErr;
    totalReferences += count;
    if (totalReferences * kReferenceSize > map.size) return mapReadErr;

    for (std::size_t r = 0; r < count; ++r) {
      const std::size_t ref = references + r * kReferenceSize;
      Entry e;
      e.type = type;
      e.id = SInt16(map.BE16(ref));
      const UInt16 nameOffset = map.BE16(ref + 2);
      e.attributes = UInt8(map.base[ref + 4] & ~kResChanged);
      const UInt32 at = map.BE24(ref + 5);
      if (nameOffset != 0xFFFF) {
        const std::size_t name = nameList + nameOffset;
        if (!map.Has(name, 1) || !map.Has(name + 1, map.base[name])) return mapReadErr;
        e.hasName = true;
        e.name.assign(reinterpret_cast<const char*>(map.base + name + 1), map.base[name]);
      }
      if (!data.Has(at, 4)) return mapReadErr;
      const UInt32 length = data.BE32(at);
      if (!data.Has(at + 4, length)) return mapReadErr;
      e.bytes = ResourceBytes(bytes, dataOffset + at + 4, length);
      image.entries.push_back(std::move(e));
    }
  }
  out = std::move(image);
  return noErr;
}

bool Serialize(const FileImage& image, std::vector<UInt8>& out) {
  // Types in the order of their first resource.
  std::vector<ResType> types;
  std::vector<std::vector<const Entry*>> groups;
  std::unordered_map<ResType, std::size_t> groupOf;
  for (const Entry& e : image.entries) {
    auto it = groupOf.emplace(e.type, types.size());
    if (it.second) {
      types.push_back(e.type);
      groups.emplace_back();
    }
    groups[it.first->second].push_back(&e);
  }
  const std::size_t count = image.entries.size();
  if (types.size() > 0xFFFF) return false;

  sp::ByteWriter dataArea;
  sp::ByteWriter names;
  sp::ByteWriter references;
  const std::size_t referencesStart = 2 + types.size() * kTypeEntrySize;
  std::vector<std::size_t> referenceOffsets;
  for (const auto& group : groups) {
    if (group.size() > 0x10000) return false;
    referenceOffsets.push_back(referencesStart + references.Size());
    for (const Entry* e : group) {
      const std::size_t at = dataArea.Size();
      if (at > kMaxDataAreaSize || e->bytes.Size() > kMaxDataAreaSize) return false;
      dataArea.BE32(UInt32(e->bytes.Size()));
      dataArea.Bytes(e->bytes.Data(), e->bytes.Size());
      UInt16 nameOffset = 0xFFFF;
      if (e->hasName) {
        if (names.Size() > 0x7FFF) return false;
        nameOffset = UInt16(names.Size());
        const std::size_t length = std::min<std::size_t>(e->name.size(), 255);
        names.U8(UInt8(length));
        names.Bytes(e->name.data(), length);
      }
      references.BE16(UInt16(e->id));
      references.BE16(nameOffset);
      references.U8(UInt8(e->attributes & ~kResChanged));
      references.BE24(UInt32(at));
      references.BE32(0);
    }
  }
  const std::size_t nameList = kMapHeaderSize + referencesStart + count * kReferenceSize;
  if (nameList > 0xFFFF) return false;
  for (std::size_t offset : referenceOffsets) {
    if (offset > 0xFFFF) return false;
  }
  const std::size_t mapLength = nameList + names.Size();
  const std::size_t dataLength = dataArea.Size();
  const std::size_t mapOffset = kDataStart + dataLength;
  if (mapOffset + mapLength > kMaxFileSize) return false;

  sp::ByteWriter header;
  header.BE32(UInt32(kDataStart));
  header.BE32(UInt32(mapOffset));
  header.BE32(UInt32(dataLength));
  header.BE32(UInt32(mapLength));

  sp::ByteWriter file;
  file.Bytes(header.Data().data(), header.Size());
  file.Bytes(image.reserved.data(), image.reserved.size());
  file.Bytes(dataArea.Data().data(), dataArea.Size());
  // The map.
  file.Bytes(header.Data().data(), header.Size());
  file.BE32(0);  // next map
  file.BE16(0);  // file reference number
  file.BE16(UInt16(image.attributes & ~kMapChanged));
  file.BE16(UInt16(kMapHeaderSize));
  file.BE16(UInt16(nameList));
  file.BE16(UInt16(types.size() - 1));
  for (std::size_t t = 0; t < types.size(); ++t) {
    file.FourCC(types[t]);
    file.BE16(UInt16(groups[t].size() - 1));
    file.BE16(UInt16(referenceOffsets[t]));
  }
  file.Bytes(references.Data().data(), references.Size());
  file.Bytes(names.Data().data(), names.Size());
  out = std::move(file.Data());
  return true;
}

}  // namespace resfile
}  // namespace sp_platform
