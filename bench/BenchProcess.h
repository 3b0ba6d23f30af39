// Benchmarks time whole processes: a program run as a child, its wall time, its peak memory
// and what it printed; and the median of several runs.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

struct Run {
  double seconds = 0;
  long peakMB = 0;  // MiB
  long peakKB = 0;  // KiB
  bool ok = false;     // it exited with status 0
  std::string output;  // what it wrote to its standard output
};

// Runs the program (looked up on PATH) with its standard error silenced.
inline Run Spawn(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  Run run;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return run;
  std::fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeEnds[1], 1);
    close(pipeEnds[0]);
    std::freopen("/dev/null", "w", stderr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(pipeEnds[1]);
  char buffer[256];
  for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    run.output.append(buffer, std::size_t(n));
  close(pipeEnds[0]);
  int status = 0;
  struct rusage usage {};
  if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKB = usage.ru_maxrss;
    run.peakMB = usage.ru_maxrss / 1024;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  return run;
}

// Runs the programs one after the other while each exits with status 0: their summed wall
// time, the largest peak memory and their outputs in turn; ok when all of them ran so.
inline Run SpawnInTurn(const std::vector<std::vector<std::string>>& commands) {
  Run all;
  all.ok = true;
  for (const std::vector<std::string>& argv : commands) {
    const Run run = Spawn(argv);
    all.seconds += run.seconds;
    all.peakKB = std::max(all.peakKB, run.peakKB);
    all.peakMB = all.peakKB / 1024;
    all.output += run.output;
    if (!run.ok) {
      all.ok = false;
      break;
    }
  }
  return all;
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

inline double Min(const std::vector<double>& v) {
  return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

inline double Max(const std::vector<double>& v) {
  return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

// The value at fraction p (0 to 1) of the sorted values, the nearest rank.
inline double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5))];
}

// The processor time this thread has used, in milliseconds: on a machine busy with other
// work a key's wall time includes its waits for a core, its processor time does not.
inline double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The bytes this process's read calls have read so far (/proc/self/io); -1 when the kernel
// does not say.
inline long long BytesRead() {
  std::FILE* f = std::fopen("/proc/self/io", "r");
  if (f == nullptr) return -1;
  long long bytes = -1;
  char line[128];
  while (std::fgets(line, sizeof line, f) != nullptr) {
    if (std::sscanf(line, "rchar: %lld", &bytes) == 1) break;
  }
  std::fclose(f);
  return bytes;
}

}  // namespace bench
