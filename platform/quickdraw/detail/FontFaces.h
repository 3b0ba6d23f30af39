// A font file's face, opened with FreeType on first use. Not for the program's own code.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

#include "MacTypes.h"

namespace sp_platform {
namespace fonts {

// The process's FreeType library; null when it cannot start.
FT_Library FreeTypeLibrary();

struct Face {
  Face(std::string fileName, int faceIndex) : file(std::move(fileName)), index(faceIndex) {}
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;

  // The face set to `pixelSize`; null when the file cannot be opened.
  FT_Face Sized(SInt16 pixelSize);

  const std::string file;
  const int index;

 private:
  FT_Face ft_ = nullptr;
  bool failed_ = false;
  SInt16 size_ = 0;
};

}  // namespace fonts
}  // namespace sp_platform
