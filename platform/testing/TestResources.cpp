#include "TestResources.h"

#include "ByteOrder.h"
#include "ResourceCompiler.h"
#include "resources/internal/ResourceChain.h"

namespace sp_testing {

void ResetResources() {
  sp_platform::ResetResourceChain();
}

void RestartResources() {
  sp_platform::RestartResourceChain();
}

UInt64 ResourcesExamined() {
  return sp_platform::ResourcesExaminedByLookUps();
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

std::string CompiledAppResourcesPath() {
  return SP_COMPILED_APP_RESOURCE_FILE;
}

OSErr UseCompiledAppResources() {
  return sp_platform::UseApplicationResourceFile(CompiledAppResourcesPath());
}

OSErr UseAppResourceFile(const std::string& path) {
  return sp_platform::UseApplicationResourceFile(path);
}

OSErr UseInMemoryAppResources(const std::vector<UInt8>& fileBytes) {
  return sp_platform::UseApplicationResourceBytes(fileBytes);
}

bool CompileResourceSource(const std::string& sourceText, const std::string& folder,
                           std::vector<UInt8>* fileBytes, std::string* error) {
  sp_rescompile::Source source;
  source.name = "source";
  source.text = sourceText;
  source.folder = folder;
  return sp_rescompile::Compile({source}, fileBytes, error);
}

}  // namespace sp_testing
