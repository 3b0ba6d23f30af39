// Backup generations of a file, kept beside it in its folder.
//
// Before a file is written anew its current version can be kept as a backup generation. Two
// naming schemes exist:
// - prefix generations: each older generation carries one more backup character in front of
//   the name (with '~' and a file R: ~R, ~~R, ...), optionally keeping the name's extension
//   at the end (S.aiff, ~S.aiff, ~~S.aiff); an undo rolls the generations back;
// - numbered generations: an underscore and a number behind the name, zero-padded to the
//   digits of the highest number (L, L_01, L_02, ... with 10 generations).
// Names are limited to 31 bytes (classic) or 255 bytes (long names); a name that would grow
// too long is cut without splitting a two-byte character, or, where cutting is not allowed,
// the operation stops with memFullErr before anything is renamed. Errors of the renames and
// deletions are returned as they come.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "MacTypes.h"

struct SpFileReplacement;

// The backup name of a full path: the folder part, ":" (when the folder part is not empty),
// the backup character and the file name; a path whose file name is empty gives the backup
// character followed by the whole path. out must hold the path's length plus 2 bytes.
void Sp_MakeBackUpFileName(const char* fullPath, char backupChar, char* out);

// Shifts the prefix generations of the file up by one (the one beyond maxGenerations is
// deleted) and turns the file itself into the first generation. noErr and nothing done when
// the file does not exist.
OSErr Sp_ReNameBackUpFile(short vRefNum, SInt32 dirID, const char* name, char backupChar,
                          short maxGenerations, unsigned char longNameFlag, unsigned char cutFlag,
                          unsigned char keepExtensionFlag);
// The reverse: the first generation becomes the file again (a file of that name is deleted
// first) and each older generation moves down by one.
OSErr Sp_UndoReNameBackUpFile(short vRefNum, SInt32 dirID, const char* name, char backupChar,
                              short maxGenerations, unsigned char longNameFlag,
                              unsigned char cutFlag, unsigned char keepExtensionFlag);

// The numbered scheme; callers start it with number 0. Generation `number` moves to
// number + 1 (moving the generations above it first); generation maxNumber is deleted. Names
// that would exceed maxNameLength bytes (at most 255) are cut in front of the suffix.
OSErr Sp_ReNameBackUpFileWithAddNumber(short vRefNum, SInt32 dirID, const char* name,
                                       short maxNameLength, short number, short maxNumber);
OSErr Sp_ReNameBackUpFileWithAddNumberByFullPath(const char* fullPath, short maxNameLength,
                                                 short number, short maxNumber);

// ---- Files replaced through a side file
//
// A file the program keeps is written whole into a side file beside it, which then takes the
// file's name in one rename over the old file: the name holds the old or the complete new
// contents at every moment, whenever the program is killed. Side files are hidden and named
// for one save of one process (".Name.4711-2.saving", the name cut to its first 100 bytes), so
// that copies of the program saving one file at once never write into each other's side files.

// Deletes the side files of `name` that processes which have ended (killed in the middle of a
// save) left in the folder. What cannot be deleted is tried again at the next save.
void Sp_DeleteEndedSideFiles(short vRefNum, SInt32 dirID, const char* name);
// For a folder without the file `name`: the side files of `name` that ended processes left,
// the newest first, then `olderNames` (the side files of an older program's saves), are handed
// to `reads` until it takes one as a whole, valid file. `reads` reads the named file into the
// caller's data, or leaves that data as it was and answers false. The file taken gets the
// name (the older names that remain go); true when one was taken. Nothing is done when the
// name is there.
bool Sp_TakeBackSideFile(short vRefNum, SInt32 dirID, const char* name,
                         const std::vector<std::string>& olderNames,
                         const std::function<bool(const char* sideName)>& reads);

// Writes the bytes as the whole contents of the file `name` in the folder, through a side
// file made with that creator and type; side files of ended processes go first. On a failure
// the file stays as it was and no side file is left.
OSErr Sp_ReplaceFileContents(short vRefNum, SInt32 dirID, const char* name, UInt32 creator,
                             UInt32 fileType, const UInt8* bytes, std::size_t size);
// The same over several calls, for contents written a part at a time: Sp_BeginFileReplacement
// makes the side file, Sp_WriteFileReplacement adds bytes, Sp_EndFileReplacement with `keep`
// gives the file its new contents (or without it leaves the file as it was and no side file)
// and disposes of the replacement.
OSErr Sp_BeginFileReplacement(short vRefNum, SInt32 dirID, const char* name, UInt32 creator,
                              UInt32 fileType, SpFileReplacement** out);
OSErr Sp_WriteFileReplacement(SpFileReplacement* replacement, const UInt8* bytes,
                              std::size_t size);
OSErr Sp_EndFileReplacement(SpFileReplacement* replacement, short vRefNum, bool keep);
