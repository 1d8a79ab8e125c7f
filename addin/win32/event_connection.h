// EventConnection: one sink advised on one connection point of an event source, and unadvised
// again when the connection goes.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include "platform/com_ptr.h"

class EventConnection {
 public:
  EventConnection() = default;
  ~EventConnection() { Unadvise(); }
  EventConnection(const EventConnection&) = delete;
  EventConnection& operator=(const EventConnection&) = delete;

  // True when the sink is advised (also when it already was). A source without connection
  // points gives false quietly; a failing connection point is shown as a COM error.
  bool Advise(IUnknown* source, REFIID eventInterface, IUnknown* sink);
  void Unadvise();
  bool IsAdvised() const { return cookie_ != 0; }

 private:
  CComPtr<IConnectionPoint> point_;
  IUnknown* sink_ = nullptr;  // Borrowed: its owner outlives the connection.
  DWORD cookie_ = 0;
};
