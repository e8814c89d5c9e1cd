#pragma once

#include <windows.h>

#include <memory>

namespace zelk {

// An unnamed Windows event with default security.  Users set and reset it on
// Handle() with the Windows calls.
class ZelkEvent {
public:
    // Throws ZelkException when the event cannot be created.
    ZelkEvent(bool manualReset, bool initiallySet);
    virtual ~ZelkEvent();

    ZelkEvent(const ZelkEvent&) = delete;
    ZelkEvent& operator=(const ZelkEvent&) = delete;

    // True only when the wait ends with the event set; a time-out, an
    // abandoned wait or a failed one give false.
    virtual bool Wait(DWORD milliseconds);

    HANDLE Handle() const { return handle_.get(); }

private:
    std::unique_ptr<void, decltype(&::CloseHandle)> handle_;
};

}  // namespace zelk
