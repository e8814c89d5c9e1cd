#include "framework/ZelkD3DXInclude.h"

#include "framework/ZelkD3DPtr.h"
#include "framework/ZelkException.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace zelk {

namespace {

const char* const kInsertIncludeFileName = "ZelkD3DXInclude::InsertIncludeFile";
const char* const kFindResourceFailed = "The function [ WIN32API::FindResource ] failed.";
const char* const kLoadResourceFailed = "The function [ WIN32API::LoadResource ] failed.";
const char* const kSizeofResourceFailed = "The function [ WIN32API::SizeofResource ] failed.";

// Length of the text up to its first zero byte, within its size.
size_t TextLength(const char* text, size_t size)
{
    const void* zero = std::memchr(text, 0, size);
    return zero ? static_cast<size_t>(static_cast<const char*>(zero) - text) : size;
}

}  // namespace

bool IncludeKeyLess::operator()(const IncludeKey& left, const IncludeKey& right) const
{
    const INT32 leftType = static_cast<INT32>(left.includeType);
    const INT32 rightType = static_cast<INT32>(right.includeType);
    if (leftType != rightType) {
        return leftType < rightType;
    }
    const size_t common = std::min(left.fileName.size(), right.fileName.size());
    const int order = std::memcmp(left.fileName.data(), right.fileName.data(), common);
    if (order != 0) {
        return order < 0;
    }
    return left.fileName.size() < right.fileName.size();
}

ZelkD3DXInclude::ZelkD3DXInclude(D3DXINCLUDE_TYPE includeType, const char* fileName, int resourceId,
                                 const char* resourceType, HMODULE module)
{
    InsertIncludeFile(includeType, fileName, resourceId, resourceType, module);
}

ZelkD3DXInclude::~ZelkD3DXInclude() = default;

void ZelkD3DXInclude::InsertIncludeFile(D3DXINCLUDE_TYPE includeType, const char* fileName, int resourceId,
                                        const char* resourceType, HMODULE module)
{
    try {
        SetLastError(0);
        HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(resourceId & 0xFFFF), resourceType);
        if (!resource) {
            throw ZelkWin32Exception(kInsertIncludeFileName, kFindResourceFailed);
        }
        SetLastError(0);
        HGLOBAL loaded = LoadResource(module, resource);
        if (!loaded) {
            throw ZelkWin32Exception(kInsertIncludeFileName, kLoadResourceFailed);
        }
        SetLastError(0);
        const DWORD size = SizeofResource(module, resource);
        if (size == 0) {
            throw ZelkWin32Exception(kInsertIncludeFileName, kSizeofResourceFailed);
        }
        // Resource memory lives as long as the module; the map keeps its own copy.
        const char* bytes = static_cast<const char*>(LockResource(loaded));
        includeFiles.emplace(IncludeKey{includeType, fileName ? fileName : ""}, std::string(bytes, size));
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        throw;
    }
}

HRESULT ZelkD3DXInclude::Open(D3DXINCLUDE_TYPE includeType, const char* fileName, const void* /*parentData*/,
                              const void** data, UINT* bytes)
{
    if (!data || !bytes) {
        return E_INVALIDARG;
    }
    *data = nullptr;
    *bytes = 0;
    if (!fileName) {
        return E_FAIL;
    }
    // The compiler calls through COM: no exception may leave this function
    // (building a key copies the name).
    decltype(includeFiles.begin()) found;
    try {
        found = includeFiles.find(IncludeKey{includeType, fileName});
        if (found == includeFiles.end() && includeType == D3DXINC_LOCAL) {
            found = includeFiles.find(IncludeKey{D3DXINC_SYSTEM, fileName});
        }
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    if (found == includeFiles.end()) {
        return E_FAIL;
    }
    const std::string& text = found->second;
    const size_t length = TextLength(text.data(), text.size());
    char* copy = new (std::nothrow) char[length + 1];
    if (!copy) {
        return E_OUTOFMEMORY;
    }
    std::memcpy(copy, text.data(), length);
    copy[length] = 0;
    *data = copy;
    *bytes = static_cast<UINT>(length);
    return S_OK;
}

HRESULT ZelkD3DXInclude::Close(const void* data)
{
    delete[] static_cast<const char*>(data);
    return S_OK;
}

std::string& BufferToString(ID3DXBuffer* buffer, std::string& out)
{
    if (!buffer) {
        out.clear();
        return out;
    }
    ID3DXBufferPtr held(buffer);
    const char* text = static_cast<const char*>(held->GetBufferPointer());
    if (!text) {
        out.clear();
        return out;
    }
    out.assign(text, TextLength(text, held->GetBufferSize()));
    return out;
}

}  // namespace zelk
