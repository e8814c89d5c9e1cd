#include "render/ZelkGrVertexBuffer.h"

#include <cstring>

#include "framework/ZelkException.h"

namespace zelk {

namespace {
const char* const kCreateName = "ZelkGrVertexBuffer::ZelkGrVertexBuffer";
const char* const kCreateFailed = "The function [ IDirect3DDevice9::CreateVertexBuffer ] failed.";
const char* const kLockName = "ZelkGrVertexBuffer::Lock";
const char* const kLockFailed = "The function [ IDirect3DVertexBuffer9::Lock ] failed.";
}  // namespace

ZelkGrVertexBuffer::ZelkGrVertexBuffer(IDirect3DDevice9* device, bool useTriangleStrip)
{
    DWORD usage = D3DUSAGE_DYNAMIC | D3DUSAGE_DONOTCLIP;
    if (!useTriangleStrip) {
        usage |= D3DUSAGE_WRITEONLY;
    }
    const HRESULT result =
        device->CreateVertexBuffer(kRecordCount * kRecordSize, usage, 0, D3DPOOL_DEFAULT, &buffer, nullptr);
    if (FAILED(result)) {
        throw ZelkException(kCreateName, result, kCreateFailed);
    }
}

std::uint8_t* ZelkGrVertexBuffer::Lock(std::uint32_t first, std::uint32_t count)
{
    void* data = nullptr;
    const DWORD flags = discardNext ? D3DLOCK_DISCARD : D3DLOCK_NOOVERWRITE;
    const HRESULT result = buffer->Lock(first * kRecordSize, count * kRecordSize, &data, flags);
    if (FAILED(result) || data == nullptr) {
        throw ZelkException(kLockName, FAILED(result) ? result : static_cast<HRESULT>(E_FAIL), kLockFailed);
    }
    discardNext = false;
    return static_cast<std::uint8_t*>(data);
}

void ZelkGrVertexBuffer::Unlock()
{
    buffer->Unlock();
}

void ZelkGrVertexBuffer::Upload(const std::uint8_t* records, std::uint32_t first, std::uint32_t count)
{
    std::uint8_t* target = Lock(first, count);
    std::memcpy(target, records, static_cast<std::size_t>(count) * kRecordSize);
    Unlock();
}

}  // namespace zelk
