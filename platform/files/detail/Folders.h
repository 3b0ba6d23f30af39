// Where the Folder Manager's folders lie, for the other modules of the file layer and the
// tests. Not for the program's own code. Each call reads the environment anew.
#pragma once

#include <string>

#include "MacTypes.h"

namespace sp_platform {
namespace files {

// $HOME (absolute), else the password database's home folder.
std::string HomeFolder();
// $XDG_CONFIG_HOME (absolute), else "<home>/.config".
std::string ConfigHomeFolder();
// The XDG user folder XDG_<key>_DIR ("DESKTOP", "DOCUMENTS", "MUSIC") from
// "<config>/user-dirs.dirs", else "<home>/<fallbackName>".
std::string UserFolder(const std::string& key, const std::string& fallbackName);
// The value of XDG_<key>_DIR in the text of a "user-dirs.dirs" file; empty when it holds
// none of the accepted forms.
std::string UserDirFromFile(const std::string& fileText, const std::string& key,
                            const std::string& home);
// Makes the folder and every missing folder above it, each 0700. noErr, or the error of the
// first that could not be made.
OSErr MakeFolders(const std::string& path);

}  // namespace files
}  // namespace sp_platform
