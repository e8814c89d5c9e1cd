#pragma once

// Memory placed against a page that may not be touched: right before it (an
// access past the end faults) or right after it (an access before the start
// faults).  The rest of the pages around the buffer hold a known byte, so
// that a stray write that stays on a reachable page shows as well.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zelktest {

class GuardedBuffer {
public:
    enum Guard { kGuardAfter, kGuardBefore };
    static constexpr std::uint8_t kOutside = 0xC3;

    GuardedBuffer(std::size_t bytes, Guard guard) : size_(bytes) {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        page_ = system.dwPageSize;
        span_ = (bytes + page_ - 1) / page_ * page_ + page_;
        base_ = static_cast<std::uint8_t*>(
            VirtualAlloc(nullptr, span_ + 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        std::memset(base_, kOutside, span_ + 2 * page_);
        DWORD old = 0;
        VirtualProtect(base_, page_, PAGE_NOACCESS, &old);
        VirtualProtect(base_ + page_ + span_, page_, PAGE_NOACCESS, &old);
        data_ = guard == kGuardAfter ? base_ + page_ + span_ - bytes : base_ + page_;
    }
    ~GuardedBuffer() { VirtualFree(base_, 0, MEM_RELEASE); }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

    // True when every reachable byte outside the buffer still holds kOutside.
    bool OutsideUntouched() const {
        for (const std::uint8_t* p = base_ + page_; p < base_ + page_ + span_; ++p) {
            if ((p < data_ || p >= data_ + size_) && *p != kOutside) {
                return false;
            }
        }
        return true;
    }

private:
    std::size_t size_;
    std::size_t page_ = 0;
    std::size_t span_ = 0;
    std::uint8_t* base_ = nullptr;
    std::uint8_t* data_ = nullptr;
};

}  // namespace zelktest
