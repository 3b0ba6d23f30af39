// The preedit an input method draws piece by piece, and its clauses by the feedback of its
// characters (see ui/internal/PreeditDraft.h).
#include "ui/internal/PreeditDraft.h"

#include <algorithm>

#include "SpTextCodec.h"
#include "ui/internal/InputMethod.h"

namespace sp_platform {
namespace input_method {
namespace {

std::int32_t Held(std::int32_t value, std::int32_t low, std::int32_t high) {
  return std::max(low, std::min(value, high));
}

}  // namespace

ClauseKind KindOfFeedback(unsigned long feedback) {
  if ((feedback & (kFeedbackReverse | kFeedbackHighlight)) != 0) {
    return ClauseKind::kSelectedConverted;
  }
  if ((feedback & kFeedbackUnderline) != 0) return ClauseKind::kConverted;
  return ClauseKind::kRaw;
}

std::u32string CodePointsOf(const std::string& utf8) {
  const std::u16string units = sp::text::UTF8ToUTF16(utf8);
  std::u32string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] < 0xE000) {
      out.push_back(0x10000 + ((char32_t(u) - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else {
      out.push_back(u);
    }
  }
  return out;
}

void PreeditDraft::Draw(std::int32_t caret, std::int32_t first, std::int32_t length,
                        const std::u32string& text, const std::vector<unsigned long>& feedback,
                        bool feedbackOnly) {
  const std::int32_t size = Length();
  const std::int32_t at = Held(first, 0, size);
  if (feedbackOnly) {
    const std::int32_t n = Held(std::int32_t(std::min<std::size_t>(feedback.size(), kMaxCharacters)),
                                0, size - at);
    for (std::int32_t i = 0; i < n; ++i) {
      kinds_[std::size_t(at + i)] = KindOfFeedback(feedback[std::size_t(i)]);
    }
  } else {
    const std::int32_t removed = Held(length, 0, size - at);
    const std::size_t room = kMaxCharacters - std::size_t(size - removed);
    const std::size_t added = std::min(text.size(), room);
    std::vector<ClauseKind> kinds(added, ClauseKind::kRaw);
    for (std::size_t i = 0; i < added && i < feedback.size(); ++i) {
      kinds[i] = KindOfFeedback(feedback[i]);
    }
    text_.replace(std::size_t(at), std::size_t(removed), text, 0, added);
    kinds_.erase(kinds_.begin() + at, kinds_.begin() + at + removed);
    kinds_.insert(kinds_.begin() + at, kinds.begin(), kinds.end());
  }
  MoveCaret(caret);
}

void PreeditDraft::MoveCaret(std::int32_t caret) {
  caret_ = Held(caret, 0, Length());
}

void PreeditDraft::Clear() {
  text_.clear();
  kinds_.clear();
  caret_ = 0;
}

std::string PreeditDraft::UTF8() const {
  std::u16string units;
  units.reserve(text_.size());
  for (char32_t c : text_) {
    if (c >= 0x10000 && c <= 0x10FFFF) {
      units.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
      units.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else if (c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
      units.push_back(u'\uFFFD');
    } else {
      units.push_back(char16_t(c));
    }
  }
  return sp::text::UTF16ToUTF8(units);
}

std::vector<Clause> PreeditDraft::Clauses() const {
  std::vector<Clause> out;
  for (std::size_t i = 0; i < kinds_.size(); ++i) {
    if (!out.empty() && out.back().kind == kinds_[i]) {
      ++out.back().length;
    } else {
      out.push_back(Clause{std::int32_t(i), 1, kinds_[i]});
    }
  }
  return out;
}

void ShowDraft(const PreeditDraft& draft) {
  PreeditClausesChanged(draft.UTF8(), draft.Caret(), draft.Clauses());
}

bool CommitDraft(const PreeditDraft& draft) {
  return CommittedAsShown(draft.UTF8());
}

}  // namespace input_method
}  // namespace sp_platform
