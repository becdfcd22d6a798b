// A critical section with a scoped lock. Recursive, so that a filter may be
// called back on the thread that holds it (the graph reconnecting a pin while
// the pin connects).
#pragma once

#include <windows.h>

namespace filterbase {

class CriticalSection {
  public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    ~CriticalSection() { DeleteCriticalSection(&section_); }

    void lock() { EnterCriticalSection(&section_); }
    void unlock() { LeaveCriticalSection(&section_); }

  private:
    CRITICAL_SECTION section_;
};

class Locked {
  public:
    explicit Locked(CriticalSection& section) : section_(section) { section_.lock(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
    ~Locked() { section_.unlock(); }

  private:
    CriticalSection& section_;
};

} // namespace filterbase
