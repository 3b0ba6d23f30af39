// State that another layer keeps for each window (the display's window on the desktop, say).
// Not for the program's own code.
//
// The state is keyed by the window's serial number (WindowSerial), never by its address: a
// disposed window's address comes back for the next window made, and with an address key the
// new window would take over the old one's state (a dialog made right after a menu closed
// would get the menu's popup window).
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "ui/internal/Windows.h"

namespace sp_platform {

template <typename T>
class WindowStates {
 public:
  struct Entry {
    WindowRef window;  // its address, which a later window may have when this one is gone
    UInt64 serial;
    T state;
  };
  using SerialOf = UInt64 (*)(WindowRef);

  // `serialOf` answers a window's serial number (WindowSerial; tests give their own).
  explicit WindowStates(SerialOf serialOf = WindowSerial) : serialOf_(serialOf) {}

  // The state kept for this very window; null when there is none, for a window that is gone
  // and for null.
  T* Find(WindowRef window) {
    const UInt64 serial = serialOf_(window);
    if (serial == 0) return nullptr;
    for (Entry& e : entries_) {
      if (e.serial == serial) return &e.state;
    }
    return nullptr;
  }

  // Keeps the state for a live window (replacing any it had) and answers where it is kept;
  // null for a window that is gone.
  T* Add(WindowRef window, T state) {
    const UInt64 serial = serialOf_(window);
    if (serial == 0) return nullptr;
    if (T* kept = Find(window)) {
      *kept = std::move(state);
      return kept;
    }
    entries_.push_back(Entry{window, serial, std::move(state)});
    return &entries_.back().state;
  }

  // Drops the state of each window that is gone, handing it to `drop` first.
  template <typename Drop>
  void ForgetGone(Drop drop) {
    for (std::size_t i = entries_.size(); i-- > 0;) {
      if (serialOf_(entries_[i].window) == entries_[i].serial) continue;
      drop(entries_[i].state);
      entries_.erase(entries_.begin() + std::ptrdiff_t(i));
    }
  }

  // Drops every state, handing each to `drop` first.
  template <typename Drop>
  void Clear(Drop drop) {
    for (Entry& e : entries_) drop(e.state);
    entries_.clear();
  }

  // Every state kept, in the order the windows were added.
  class Iterator {
   public:
    explicit Iterator(typename std::vector<Entry>::iterator at) : at_(at) {}
    T& operator*() const { return at_->state; }
    T* operator->() const { return &at_->state; }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    bool operator!=(const Iterator& other) const { return at_ != other.at_; }

   private:
    typename std::vector<Entry>::iterator at_;
  };
  Iterator begin() { return Iterator(entries_.begin()); }
  Iterator end() { return Iterator(entries_.end()); }
  std::size_t size() const { return entries_.size(); }

 private:
  SerialOf serialOf_;
  std::vector<Entry> entries_;
};

}  // namespace sp_platform
