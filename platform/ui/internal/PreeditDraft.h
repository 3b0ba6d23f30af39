// The preedit as an input method draws it piece by piece (XIM's preedit callbacks): its
// characters, each with the input method's feedback, and the clauses those make. Free of X11's
// and the toolbox's headers, so both sides can use it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sp_platform {
namespace input_method {

// How a clause of the preedit shows.
enum class ClauseKind : std::uint8_t { kRaw, kConverted, kSelectedConverted };

// A clause: its first character and its length in characters of the preedit.
struct Clause {
  std::int32_t start;
  std::int32_t length;
  ClauseKind kind;
};

// The feedback bits of a character, as XIM has them (XIMReverse, XIMUnderline, XIMHighlight).
enum : unsigned long {
  kFeedbackReverse = 1,
  kFeedbackUnderline = 2,
  kFeedbackHighlight = 4,
};

// A character's clause kind by its feedback: reverse (or highlight) is the selected converted
// clause the input method works on, underline alone a converted clause, anything else raw text
// not converted yet.
ClauseKind KindOfFeedback(unsigned long feedback);

// The code points of UTF-8 text (a malformed sequence is one U+FFFD).
std::u32string CodePointsOf(const std::string& utf8);

class PreeditDraft {
 public:
  // Longer preedits are cut here: the draft's memory stays bounded whatever the server sends.
  static constexpr std::size_t kMaxCharacters = 1024;

  // One draw: `length` characters at `first` are replaced by `text`, the i-th character
  // getting feedback[i] (none past the array's end). With `feedbackOnly` the characters stay
  // and only their feedback changes, from `first` on for the array's length. Offsets past the
  // preedit are held to it. The caret is then put at `caret`, held to the text.
  void Draw(std::int32_t caret, std::int32_t first, std::int32_t length,
            const std::u32string& text, const std::vector<unsigned long>& feedback,
            bool feedbackOnly);
  // The caret alone moves (held to the text).
  void MoveCaret(std::int32_t caret);
  void Clear();

  bool Empty() const { return text_.empty(); }
  std::int32_t Caret() const { return caret_; }
  std::int32_t Length() const { return std::int32_t(text_.size()); }
  std::string UTF8() const;
  // Runs of characters of one kind, in order.
  std::vector<Clause> Clauses() const;

 private:
  std::u32string text_;
  std::vector<ClauseKind> kinds_;
  std::int32_t caret_ = 0;
};

// Shows the draft in the active document (through PreeditClausesChanged); an empty draft ends
// the preedit shown without a commit.
void ShowDraft(const PreeditDraft& draft);
// Commits the draft's text as it is shown, at once (through CommittedAsShown): true when it
// went to the active document as the commit of the preedit shown inline, or into the dialog
// field that showed it.
bool CommitDraft(const PreeditDraft& draft);

}  // namespace input_method
}  // namespace sp_platform
