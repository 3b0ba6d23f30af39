// The lock that keeps one running copy of a program on the user's home, and the note the
// running copy leaves in its session for later starts (where its window is, say).
//
// - The lock is two flocks, both held for as long as the program runs: the home's guard,
//   "<the program's data folder>/<name>.lock" (the data folder follows $HOME or
//   $XDG_DATA_HOME, as the settings and lists the lock protects do), and the session's,
//   "<session folder>/lock". The guard keeps out a copy started with other session folders
//   (another XDG_RUNTIME_DIR or TMPDIR, as sudo, ssh or a sandbox give, or a runtime folder it
//   cannot write); the session's lock is where a later start of the same session finds the
//   note. Without a session folder the guard alone is held, and no note is left.
// - Both live in the program's session folder: "$XDG_RUNTIME_DIR/<name>" when XDG_RUNTIME_DIR
//   is an absolute path to a folder of the user's that nobody else may write; otherwise
//   "<TMPDIR, or /tmp>/<name>-<uid>". The folder is made 0700 when missing; one that is a
//   symbolic link, is not the user's, or that others may write is refused.
// - The kernel lets go of both when the process ends, however it ends, so a copy that crashed
//   never holds back the next start. Within one process the lock is re-entrant: taking it
//   again counts up, each release counts down, and the folders stay those of the first take.
// - Lock files and the note are opened without waiting and only as regular files: a FIFO or
//   device put under their names is refused, never waited on.
// - The note ("<folder>/note", at most 4 KiB of text) is replaced in one rename, so a later
//   start reads the whole of it or nothing. It lives as long as the lock is held: it is
//   removed at the last release, and one left by a copy that crashed is removed when the lock
//   is next taken.
#pragma once

#include <string>

#include "MacTypes.h"

// The session folder of the program of that name (a plain file name), made when missing:
// noErr; permErr for a place that is refused; paramErr for a name that is empty, too long
// or not a plain name; otherwise the error of making the folder.
OSErr SpSessionFolder(const char* name, std::string* folder);

// Takes the program's lock without waiting: noErr when this process holds it now (the home's
// guard, and the session's lock unless `sessionError`, when given, says why not: the error
// of its folder, see SpSessionFolder, or of its lock file); fBsyErr when another process holds
// either, with that process's note in `holderNote` (when given; empty when it left none or
// runs in another session) and, in `sessionError`, fBsyErr when it runs in another session
// (or machine) and noErr when in this one; otherwise the error of the data folder or of the
// guard's file (permErr for one that is no regular file of the user's), and nothing is held.
OSErr SpTakeSessionLock(const char* name, std::string* holderNote,
                        OSErr* sessionError = nullptr);
// Gives back one take of a lock this process holds; the last one removes the note and lets
// the lock go. Nothing for a lock this process does not hold.
void SpReleaseSessionLock(const char* name);

// Replaces the note of a lock this process holds: noErr; fnOpnErr when it does not hold the
// lock or holds it without a session folder; paramErr for a text longer than 4 KiB; otherwise the error of writing it.
OSErr SpWriteSessionNote(const char* name, const std::string& text);
