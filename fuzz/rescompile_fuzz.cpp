// The resource compiler: the bytes as the text of one resource source, compiled as the build
// compiles the application's sources, with the tests' resource folder beside it (so that the
// images and files a source names are there). A source that compiles must give a resource
// file the Resource Manager's reader takes, holding each resource the source defines. The
// same bytes as a bundle text file convert to lines that all end in a carriage return, or fail.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ResourceCompiler.h"
#include "resources/detail/ResourceFileFormat.h"

#ifndef SP_FUZZ_RESOURCE_FOLDER
#error "SP_FUZZ_RESOURCE_FOLDER names the folder of the files the sources refer to"
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sp_rescompile::Source source;
  source.name = "fuzz.r";
  source.text.assign(reinterpret_cast<const char*>(data), size);
  source.folder = SP_FUZZ_RESOURCE_FOLDER;
  std::string text, error;
  if (sp_rescompile::ConvertText(source, &text, &error)) {
    if (text.find('\n') != std::string::npos) std::abort();
    if (!text.empty() && text.back() != '\r') std::abort();
    if (text.empty() != source.text.empty()) std::abort();
  }
  std::vector<UInt8> bytes;
  if (!sp_rescompile::Compile({source}, &bytes, &error)) return 0;

  namespace resfile = sp_platform::resfile;
  resfile::FileImage image;
  auto shared = std::make_shared<const std::vector<UInt8>>(std::move(bytes));
  if (resfile::Parse(shared, image) != noErr) std::abort();
  // Writing the image again gives the same bytes: the compiler's output is the writer's.
  std::vector<UInt8> again;
  if (!resfile::Serialize(image, again) || again != *shared) std::abort();
  return 0;
}
