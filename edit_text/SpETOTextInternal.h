// Helpers shared by the text model's files: failure reports, the port scope of measuring and
// drawing, MacJapanese byte tests, and moving the bytes of a string object between lines
// without copying them.
#pragma once

#include <cstddef>
#include <cstring>
#include <optional>

#include "QuickDraw.h"
#include "SpErrorInfoSystem.h"
#include "SpGeneralStringObject.h"
#include "SpTextStyle.h"

class cTextStyleRunObject;

namespace sp_eto {

// The messages of the text model's failure reports that the error log does not share.
extern const char kMsgArgumentError[];   // "Argument error !! "
extern const char kMsgBadArea[];         // "Bad area !! "
extern const char kMsgBadAddress[];      // "Bad address !! "
extern const char kMsgAreaOver[];        // "Area over error !! "
extern const char kMsgOverflow[];        // "overflow !! "
extern const char kMsgProcessError[];    // "Process Error !! "

inline bool IsLeadByte(UInt8 b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Makes `port` current with the text settings of `attributes` for the life of the scope, and
// gives the port that was current back with its own text settings afterwards. Measuring uses
// fractional widths throughout.
class cPortTextScope {
 public:
  cPortTextScope(GrafPtr port, const sTextStyleAttributes& attributes);
  ~cPortTextScope();
  cPortTextScope(const cPortTextScope&) = delete;
  cPortTextScope& operator=(const cPortTextScope&) = delete;

  // Another style on the same port.
  void Apply(const sTextStyleAttributes& attributes);

 private:
  GrafPtr savedPort_ = nullptr;
  GrafPtr port_ = nullptr;
  SInt16 font_ = 0, size_ = 0, mode_ = 0;
  Style face_ = 0;
  Fixed spExtra_ = 0, chExtra_ = 0;
};

// Measures the widths of text runs in one port scope, giving the port a run's style only when
// it differs from the style it has: the runs of a stretch share one. The same widths as each
// run's ReCalcurateRunTextWidth, without setting and restoring the port's text for every run.
class cRunWidths {
 public:
  // The width of the run from its bytes (`text` at its first byte).
  void Measure(cTextStyleRunObject* run, const char* text);

 private:
  std::optional<cPortTextScope> scope_;
  GrafPtr port_ = nullptr;
  sTextStyleAttributes applied_{};
};

// The bytes start .. start + count - 1 of the string object into out (which holds count
// bytes); answers the bytes copied.
SInt32 ReadBytes(const sSO_StringObjectBase* text, SInt32 start, SInt32 count, char* out);

// Moves the bytes from `at` to the end of `from` to the front of `to`, by relinking the
// string items: only the item holding `at` is copied, so the cost does not grow with the
// bytes moved. False (and nothing changed) when an item cannot be had.
bool MoveTailToFront(sSO_StringObjectBase* from, SInt32 at, sSO_StringObjectBase* to);
// Appends all of `from` to `to` by relinking; `from` is left empty.
void MoveAllToEnd(sSO_StringObjectBase* from, sSO_StringObjectBase* to);

// The memory of style runs: slots of kRunSlotBytes in blocks drawn from the Memory Manager
// (a larger request is a block of its own). Null when memory runs out.
constexpr std::size_t kRunSlotBytes = 64;
void* TakeRunSlot(std::size_t bytes);
void GiveRunSlot(void* p);

}  // namespace sp_eto
