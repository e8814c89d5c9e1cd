#pragma once

#include <windows.h>

namespace zelk {

// A Windows critical section, initialised on construction and deleted on
// destruction.  Users enter and leave it directly; ZelkCriticalSectionLock
// holds it for a scope.
class ZelkCriticalSection {
public:
    ZelkCriticalSection() { InitializeCriticalSection(&section_); }
    virtual ~ZelkCriticalSection() { DeleteCriticalSection(&section_); }

    ZelkCriticalSection(const ZelkCriticalSection&) = delete;
    ZelkCriticalSection& operator=(const ZelkCriticalSection&) = delete;

    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

    CRITICAL_SECTION* Section() { return &section_; }

private:
    CRITICAL_SECTION section_;
};

// Holds a critical section from construction to the end of the scope.
class ZelkCriticalSectionLock {
public:
    explicit ZelkCriticalSectionLock(ZelkCriticalSection& section) : section_(section) { section_.Enter(); }
    ~ZelkCriticalSectionLock() { section_.Leave(); }

    ZelkCriticalSectionLock(const ZelkCriticalSectionLock&) = delete;
    ZelkCriticalSectionLock& operator=(const ZelkCriticalSectionLock&) = delete;

private:
    ZelkCriticalSection& section_;
};

}  // namespace zelk
