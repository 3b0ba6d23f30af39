// Drags of the program's that leave its windows for other programs' (see
// internal/OutsideDrags.h).
#include "ui/internal/OutsideDrags.h"

#include <algorithm>

#include "Events.h"
#include "base/internal/Clock.h"
#include "detail/DragRecord.h"
#include "events/internal/LoopSteps.h"
#include "ui/internal/Drags.h"

namespace sp_platform {
namespace drags {
namespace {

// How often the wait for an answer looks again when no input wakes it.
constexpr SInt64 kAnswerLookMicros = 20000;

struct OutsideState {
  OutsideDragHooks hooks{};
  void* refCon = nullptr;
  bool installed = false;
};

OutsideState& Outside() {
  static OutsideState state;
  return state;
}

OpaqueDragRef* TrackedDrag() {
  for (DragRef drag : AllDrags()) {
    if (drag->tracking && drag->fromProgram) return drag;
  }
  return nullptr;
}

Rect Moved(const Rect& r, SInt16 dh, SInt16 dv) {
  return Rect{SInt16(r.top + dv), SInt16(r.left + dh), SInt16(r.bottom + dv), SInt16(r.right + dh)};
}

// One pass of the loop while the drop waits: completions, hooks (the display reads its input
// there), timers, then a wait for work no later than the next look.
bool WaitPass(SInt64 deadline) {
  if (events::CountPass()) return false;
  events::RunCompletionsAndHooks();
  events::FireDueTimers([] { return events::LoopsMustUnwind(); });
  const SInt64 next = std::min(deadline, ClockNowMicroseconds() + kAnswerLookMicros);
  return events::WaitForWork(next) == events::WaitOutcome::kContinue;
}

}  // namespace

void SetOutsideDragHooks(const OutsideDragHooks* hooks, void* refCon) {
  OutsideState& s = Outside();
  s.installed = hooks != nullptr;
  s.hooks = hooks != nullptr ? *hooks : OutsideDragHooks{};
  s.refCon = refCon;
}

bool TextOfTrackedDrag(std::string* macJapanese) {
  OpaqueDragRef* drag = TrackedDrag();
  if (drag == nullptr || macJapanese == nullptr) return false;
  macJapanese->clear();
  const FlavorType text = SpFourCC("TEXT");
  // By reference number: the send-data procedure may add flavours while it runs.
  std::vector<DragItemRef> refs;
  for (const DragItemRecord& item : drag->items) refs.push_back(item.ref);
  for (DragItemRef ref : refs) {
    Size size = 0;
    if (GetFlavorDataSize(drag, ref, text, &size) != noErr || size <= 0) continue;
    std::string bytes(std::size_t(size), '\0');
    if (GetFlavorData(drag, ref, text, &bytes[0], &size, 0) != noErr) continue;
    bytes.resize(std::size_t(std::max<Size>(size, 0)));
    macJapanese->append(bytes);
  }
  return !macJapanese->empty();
}

void FollowOutside(OpaqueDragRef* drag, Point global) {
  const OutsideState& s = Outside();
  if (!s.installed || !drag->fromProgram) return;
  OutsideDragStep step;
  step.outside = drag->over == nullptr;
  step.mouse = global;
  step.outline = Moved(drag->outlineBounds, SInt16(global.h - drag->start.h),
                       SInt16(global.v - drag->start.v));
  step.copy = (GetCurrentKeyModifiers() & optionKey) != 0;
  if (step.outside) drag->followedOutside = true;
  if (drag->followedOutside) s.hooks.follow(step, s.refCon);
}

bool DropOutside(OpaqueDragRef* drag, bool* taken) {
  const OutsideState& s = Outside();
  *taken = false;
  drag->dropAction = kDragActionNothing;
  if (!s.installed || !drag->followedOutside || !s.hooks.drop(s.refCon)) return false;
  const SInt64 deadline = ClockNowMicroseconds() + kOutsideAnswerMicros;
  DragActions action = kDragActionNothing;
  bool answered = s.hooks.answered(&action, s.refCon);
  // A program that never answers is given up: the drop then did nothing.
  while (!answered && ClockNowMicroseconds() < deadline && WaitPass(deadline)) {
    answered = s.hooks.answered(&action, s.refCon);
  }
  if (answered) drag->dropAction = action;
  *taken = answered && action != kDragActionNothing;
  return true;
}

void EndOutside(OpaqueDragRef* drag) {
  const OutsideState& s = Outside();
  if (s.installed && drag->followedOutside) s.hooks.end(s.refCon);
  drag->followedOutside = false;
}

}  // namespace drags
}  // namespace sp_platform
