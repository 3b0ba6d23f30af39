#include "TestResources.h"

#include "ByteOrder.h"
#include "resources/detail/ResourceChain.h"

namespace sp_testing {

void ResetResources() {
  sp_platform::ResetResourceChain();
}

OSErr AddAppResource(ResType type, SInt16 id, const void* bytes, std::size_t size,
                     const char* name) {
  return sp_platform::AddApplicationResource(type, id, bytes, size, name);
}

OSErr AddAppResource(ResType type, SInt16 id, const std::vector<UInt8>& bytes, const char* name) {
  return sp_platform::AddApplicationResource(type, id, bytes.data(), bytes.size(), name);
}

std::vector<UInt8> MakeStringList(const std::vector<std::string>& strings) {
  sp::ByteWriter writer;
  writer.BE16(UInt16(strings.size()));
  for (const std::string& s : strings) {
    std::size_t length = s.size() > 255 ? 255 : s.size();
    writer.U8(UInt8(length));
    writer.Bytes(s.data(), length);
  }
  return writer.Data();
}

}  // namespace sp_testing
