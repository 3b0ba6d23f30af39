// Keeps the caller's current port: the port current at construction is made current again
// when the scope ends. The window form also makes the window's port current for the scope.
#pragma once

#include "QuickDraw.h"

class cSpPortSaver {
 public:
  cSpPortSaver() { GetPort(&port_); }
  explicit cSpPortSaver(WindowRef window) : cSpPortSaver() { SetPortWindowPort(window); }
  ~cSpPortSaver() { SetPort(port_); }
  cSpPortSaver(const cSpPortSaver&) = delete;
  cSpPortSaver& operator=(const cSpPortSaver&) = delete;

  // Makes the kept port current again before the scope ends.
  void Restore() const { SetPort(port_); }

 private:
  GrafPtr port_ = nullptr;
};
