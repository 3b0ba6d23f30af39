// The lock that keeps one running copy of a program in the user's session, and the note the
// running copy leaves beside it for later starts (where its window is, say).
//
// - Both live in the program's session folder: "$XDG_RUNTIME_DIR/<name>" when XDG_RUNTIME_DIR
//   is an absolute path to a folder of the user's that nobody else may write; otherwise
//   "<TMPDIR, or /tmp>/<name>-<uid>". The folder is made 0700 when missing; one that is a
//   symbolic link, is not the user's, or that others may write is refused.
// - The lock is an flock on "<folder>/lock", held for as long as the program runs: the kernel
//   lets go when the process ends, however it ends, so a copy that crashed never holds back
//   the next start. Within one process it is re-entrant: taking it again counts up, each
//   release counts down, and the folder stays the one of the first take.
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

// Takes the program's lock without waiting: noErr when this process holds it now; fBsyErr
// when another process holds it, with that process's note in `holderNote` (when given; empty
// when it left none); otherwise the error of the folder (see SpSessionFolder) or of the lock
// file (permErr for one that is no regular file of the user's).
OSErr SpTakeSessionLock(const char* name, std::string* holderNote);
// Gives back one take of a lock this process holds; the last one removes the note and lets
// the lock go. Nothing for a lock this process does not hold.
void SpReleaseSessionLock(const char* name);

// Replaces the note of a lock this process holds: noErr; fnOpnErr when it does not hold the
// lock; paramErr for a text longer than 4 KiB; otherwise the error of writing it.
OSErr SpWriteSessionNote(const char* name, const std::string& text);
