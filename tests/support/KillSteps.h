// A job killed for real at each of its steps in turn.
//
// The job runs in a child process that ends with SIGKILL just before its n-th change to what a
// folder holds (sp_testing::KillAtFileStep), for n = 1, 2, ... until a run finishes without
// being killed. After each run the parent looks at what was left. Whatever the test prepared
// before (files, the Trash) must be prepared again for each run: `prepare` does it.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "TestFiles.h"

namespace test_support {

struct KilledRun {
  int step = 0;          // the step the child was killed before (0: it finished)
  bool finished = false; // the job ran to its end; `status` is what it returned
  int status = 0;
};

// Runs the job once killed before each step and once to its end (at most `maxSteps` + 1 runs),
// calling `check` after each run. `job` runs in the child and returns its exit status (0 for
// success). Gives the number of steps of the whole job, or -1 when a child ended otherwise
// (a crash, a sanitizer report) or the job never finished within `maxSteps`.
inline int RunKilledAtEachStep(const std::function<void()>& prepare,
                               const std::function<int()>& job,
                               const std::function<void(const KilledRun&)>& check,
                               int maxSteps = 200) {
  for (int n = 1; n <= maxSteps + 1; ++n) {
    if (prepare) prepare();
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
      sp_testing::KillAtFileStep(n);
      const int status = job();
      _exit(status & 0x7F);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    KilledRun run;
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
      run.step = n;
    } else if (WIFEXITED(status)) {
      run.finished = true;
      run.status = WEXITSTATUS(status);
    } else {
      return -1;
    }
    check(run);
    if (run.finished) return n - 1;
  }
  return -1;
}

}  // namespace test_support
