// Another process that takes a program's one-copy lock (SessionLock.h) and holds it until the
// object goes, it is told to end, or it is killed.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "SessionLock.h"

namespace test_support {

class SessionLockHolder {
 public:
  // `setUp` runs in the other process first (its environment, say). The note is left when
  // given and the process has a session folder.
  SessionLockHolder(const char* name, const std::string& note,
                    const std::function<void()>& setUp = nullptr) {
    int ready[2], go[2];
    if (pipe(ready) != 0 || pipe(go) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      close(go[1]);
      if (setUp) setUp();
      OSErr session = noErr;
      const bool took = SpTakeSessionLock(name, nullptr, &session) == noErr;
      const OSErr noted = note.empty() ? OSErr(noErr) : SpWriteSessionNote(name, note);
      // 1: taken (with the note); 2: taken without a session folder, where no note is left.
      char answer = !took                ? 0
                    : session == noErr   ? (noted == noErr ? 1 : 0)
                    : note.empty() || noted == fnOpnErr ? 2
                                                        : 0;
      if (write(ready[1], &answer, 1) == 1) {
        while (read(go[0], &answer, 1) > 0) {
        }
      }
      _exit(0);
    }
    close(ready[1]);
    close(go[0]);
    char answer = 0;
    took_ = pid_ > 0 && read(ready[0], &answer, 1) == 1 ? answer : 0;
    close(ready[0]);
    go_ = go[1];
  }
  ~SessionLockHolder() { End(); }
  SessionLockHolder(const SessionLockHolder&) = delete;
  SessionLockHolder& operator=(const SessionLockHolder&) = delete;

  bool Took() const { return took_ == 1; }
  bool TookWithoutSessionFolder() const { return took_ == 2; }
  void Kill() {
    if (pid_ > 0) kill(pid_, SIGKILL);
    End();
  }
  void End() {
    if (go_ >= 0) close(go_);
    go_ = -1;
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int go_ = -1;
  char took_ = 0;
};

}  // namespace test_support
