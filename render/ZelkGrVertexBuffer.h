#pragma once

#include <atomic>
#include <cstdint>

#include "framework/ZelkD3DPtr.h"

namespace zelk {

// The dynamic device vertex buffer of the vertex-shader path: 65535 records
// of 64 bytes, each a Glide vertex as the application passed it.
class ZelkGrVertexBuffer {
public:
    static constexpr std::uint32_t kRecordCount = 65535;
    static constexpr std::uint32_t kRecordSize = 64;

    // Creates the buffer; without WRITEONLY when strips are drawn.  A
    // failing CreateVertexBuffer throws ZelkException.
    ZelkGrVertexBuffer(IDirect3DDevice9* device, bool useTriangleStrip);
    ZelkGrVertexBuffer(const ZelkGrVertexBuffer&) = delete;
    ZelkGrVertexBuffer& operator=(const ZelkGrVertexBuffer&) = delete;

    // Locks records [first, first + count).  The first lock after Discard()
    // (and the first of all) discards the buffer's contents; every other
    // lock promises not to overwrite records the device may still draw.
    // Failures throw.
    std::uint8_t* Lock(std::uint32_t first, std::uint32_t count);
    void Unlock();
    // Copies records [first, first + count) from records (the first of them
    // at records) into the buffer under one lock of exactly that range.
    // Failures throw, with nothing written.
    void Upload(const std::uint8_t* records, std::uint32_t first, std::uint32_t count);
    // The next lock starts the buffer afresh (the records wrapped to 0).
    // Called on the recording thread once nothing uses the buffer; the next
    // lock may come from the thread that plays.
    void Discard() { discardNext = true; }

    IDirect3DVertexBuffer9* Buffer() const { return buffer; }

private:
    IDirect3DVertexBuffer9Ptr buffer;
    std::atomic<bool> discardNext{true};
};

}  // namespace zelk
