// The completion queue of the asynchronous File Manager calls (see detail/Completions.h).

#include "detail/Completions.h"

#include "detail/Catalog.h"

#include <deque>
#include <utility>

namespace sp_platform {
namespace files {
namespace {

struct Entry {
  SInt16 refNum;
  SInt16 vRefNum;
  volatile OSErr* ioResult;
  OSErr result;
  std::function<void()> routine;
};

std::deque<Entry>& Queue() {
  static std::deque<Entry> queue;
  return queue;
}

// Takes the entry out before running it, so a routine may queue or drain entries itself
// (a synchronous call from inside a completion routine) without running anything twice.
void RunEntry(Entry entry) {
  if (entry.ioResult != nullptr) *entry.ioResult = entry.result;
  if (entry.routine) entry.routine();
}

template <typename Match>
int RunMatching(Match match) {
  int ran = 0;
  for (;;) {
    auto& queue = Queue();
    auto it = queue.begin();
    while (it != queue.end() && !match(*it)) ++it;
    if (it == queue.end()) return ran;
    Entry entry = std::move(*it);
    queue.erase(it);
    RunEntry(std::move(entry));
    ++ran;
  }
}

}  // namespace

void QueueFileCompletion(SInt16 refNum, SInt16 vRefNum, volatile OSErr* ioResult, OSErr result,
                         std::function<void()> routine) {
  if (ioResult != nullptr) *ioResult = 1;
  // kOnSystemDisk, 0 and -1 are one volume: entries keep its own number.
  if (const Volume* volume = FindVolume(vRefNum)) vRefNum = volume->vRefNum;
  Queue().push_back(Entry{refNum, vRefNum, ioResult, result, std::move(routine)});
}

void RunFileCompletionsForFile(SInt16 refNum) {
  if (refNum == 0) return;
  RunMatching([refNum](const Entry& e) { return e.refNum == refNum; });
}

void RunFileCompletionsForVolume(SInt16 vRefNum) {
  if (const Volume* volume = FindVolume(vRefNum)) vRefNum = volume->vRefNum;
  RunMatching([vRefNum](const Entry& e) { return e.vRefNum == vRefNum; });
}

int PendingFileCompletions() {
  return int(Queue().size());
}

void DropFileCompletions() {
  Queue().clear();
}

}  // namespace files

int RunFileCompletions() {
  return files::RunMatching([](const files::Entry&) { return true; });
}

}  // namespace sp_platform
