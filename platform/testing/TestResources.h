// Test API: the resource chain and the application's resources.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "MacTypes.h"

namespace sp_testing {

// Back to the start state of a test: the system file and an empty application file, the
// application's current, loading on. Every resource handle given out before is disposed of
// and every opened resource file is closed without being written.
void ResetResources();

// As at the program's start: the application's file is the compiled resource file found in
// the main bundle folder ("Application.rsrc"; see TestBundle.h), or empty when there is none.
void RestartResources();

// Puts a resource into the application's file, replacing one of the same type and number.
OSErr AddAppResource(ResType type, SInt16 id, const void* bytes, std::size_t size,
                     const char* name = nullptr);
OSErr AddAppResource(ResType type, SInt16 id, const std::vector<UInt8>& bytes,
                     const char* name = nullptr);

// How many resources the Resource Manager's look-ups have examined since the program started
// (a look-up through an index counts one): tests compare differences with what they read.
UInt64 ResourcesExamined();

// The bytes of a well-formed 'STR#' holding these strings.
std::vector<UInt8> MakeStringList(const std::vector<std::string>& strings);

// The application's file becomes the resources compiled from app/resources by the build,
// together with the tests' own from tests/resources (read-only, as the application opens its
// file at start), so tests see the real menus, dialogs and strings. Resources added with AddAppResource afterwards go into it. Errors: fnfErr when
// the build made no such file, mapReadErr when it is damaged.
OSErr UseCompiledAppResources();
// Where the build puts them: "<build>/tests/Resources/Application.rsrc" (the application's
// own file, without the tests' resources, is "<build>/Resources/Application.rsrc").
std::string CompiledAppResourcesPath();
// The application's file becomes this resource file (read-only) / a file made of these
// bytes, kept in memory only. On failure the application's file is empty.
OSErr UseAppResourceFile(const std::string& path);
OSErr UseInMemoryAppResources(const std::vector<UInt8>& fileBytes);

// Compiles resource source text (the format of app/resources/README.txt) into the bytes of a
// resource file. `folder` is where files named by the source ("png", "file") are looked for.
// False with the compiler's message ("<name>:<line>: ...") on error.
bool CompileResourceSource(const std::string& sourceText, const std::string& folder,
                           std::vector<UInt8>* fileBytes, std::string* error);

}  // namespace sp_testing
