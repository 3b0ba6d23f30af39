// Saves that meet kills and other processes: the side files a save leaves beside its file, the
// id of a process that has ended, and one job run by several processes at the same moment.
#pragma once

#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string>
#include <vector>

namespace test_support {

// The side files of the file `name` in the folder, as saves name them (".<name>.<tag>.saving"
// and the older ".<name>.saving", ".<name>.previous"), sorted.
inline std::vector<std::string> SideFilesOf(const std::string& folder, const std::string& name) {
  std::vector<std::string> found;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return found;
  const std::string prefix = "." + name + ".";
  while (const dirent* d = readdir(dir)) {
    const std::string entry = d->d_name;
    if (entry.compare(0, prefix.size(), prefix) == 0) found.push_back(entry);
  }
  closedir(dir);
  std::sort(found.begin(), found.end());
  return found;
}

// The id of a process that has ended: a child that exited and was waited for.
inline pid_t EndedProcessId() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  int status = 0;
  waitpid(child, &status, 0);
  return child;
}

// Runs `job` in `count` child processes that start together (each waits until all are made),
// and gives each one's exit status: what its job returned (cut to 0..127), or -1 when the
// child ended otherwise.
inline std::vector<int> RunAtOnce(int count, const std::function<int(int index)>& job) {
  int gate[2];
  if (pipe(gate) != 0) return std::vector<int>(std::size_t(count), -1);
  std::vector<pid_t> children;
  for (int i = 0; i < count; ++i) {
    const pid_t child = fork();
    if (child == 0) {
      close(gate[1]);
      char c;
      ssize_t n;
      while ((n = read(gate[0], &c, 1)) > 0 || (n < 0 && errno == EINTR)) {
      }
      _exit(job(i) & 0x7F);
    }
    children.push_back(child);
  }
  close(gate[0]);
  close(gate[1]);  // the children's reads end: they all go
  std::vector<int> statuses;
  for (pid_t child : children) {
    int status = 0;
    const bool exited = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status);
    statuses.push_back(exited ? WEXITSTATUS(status) : -1);
  }
  return statuses;
}

}  // namespace test_support
