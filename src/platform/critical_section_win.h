// Process-wide state that two threads share: the window's thread may
// cancel while the work thread goes on until the process ends.
#pragma once

#include <windows.h>

// Made with its static object, before any thread starts.
struct CriticalSection {
  CRITICAL_SECTION section;
  CriticalSection() { InitializeCriticalSection(&section); }
};

struct Locked {
  explicit Locked(CriticalSection& held) : held(held) { EnterCriticalSection(&held.section); }
  ~Locked() { LeaveCriticalSection(&held.section); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
  CriticalSection& held;
};
