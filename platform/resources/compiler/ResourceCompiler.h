// The resource compiler: the application's resource sources (app/resources/*.r, described in
// app/resources/README.txt) to one classic resource file. A host tool of the build and of the
// tests; never part of the application.
#pragma once

#include <string>
#include <vector>

#include "MacTypes.h"

namespace sp_rescompile {

struct Source {
  std::string name;    // shown in messages ("framework.r")
  std::string text;    // UTF-8
  std::string folder;  // where the files it names ("png", "file") lie
};

// Compiles the sources into the bytes of one resource file. A (type, id) pair may appear
// once over all sources. False with a message "<name>:<line>: <what>" on the first error.
bool Compile(const std::vector<Source>& sources, std::vector<UInt8>* fileBytes, std::string* error);

// A text file that the bundle holds beside the resource file (the error-number texts): the
// source's UTF-8 lines as MacJapanese, each ended by a carriage return. False with a message
// "<name>:<line>: <what>" for a character MacJapanese cannot hold.
bool ConvertText(const Source& source, std::string* bytes, std::string* error);

}  // namespace sp_rescompile
