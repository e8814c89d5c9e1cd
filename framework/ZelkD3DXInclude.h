#pragma once

#include <windows.h>
#include <d3dx9.h>

#include <map>
#include <string>

namespace zelk {

// A served include file is filed under the include type and the file name
// exactly as the shader writes it.
struct IncludeKey {
    D3DXINCLUDE_TYPE includeType;
    std::string fileName;
};

// By include type (signed), then by the name's bytes compared unsigned over
// the shorter length; of two equal prefixes the shorter name comes first.
struct IncludeKeyLess {
    bool operator()(const IncludeKey& left, const IncludeKey& right) const;
};

// Include handler for the extension library's shader compiler and assembler:
// serves include files from texts read once from module resources.
class ZelkD3DXInclude : public ID3DXInclude {
public:
    // Files one text, as InsertIncludeFile does.
    ZelkD3DXInclude(D3DXINCLUDE_TYPE includeType, const char* fileName, int resourceId, const char* resourceType,
                    HMODULE module);
    ZelkD3DXInclude(const ZelkD3DXInclude&) = delete;
    ZelkD3DXInclude& operator=(const ZelkD3DXInclude&) = delete;
    virtual ~ZelkD3DXInclude();

    // Reads resource (resourceId, resourceType) of the module and files its
    // bytes under {includeType, fileName}; a key already filed keeps its text.
    // A missing or empty resource throws ZelkException, logged once.
    void InsertIncludeFile(D3DXINCLUDE_TYPE includeType, const char* fileName, int resourceId,
                           const char* resourceType, HMODULE module);

    // Hands out a copy of the text filed under the key (a local include also
    // finds a system one) up to its first zero byte; E_FAIL when not filed.
    STDMETHOD(Open)(D3DXINCLUDE_TYPE includeType, const char* fileName, const void* parentData, const void** data,
                    UINT* bytes) override;
    // Frees a copy handed out by Open.
    STDMETHOD(Close)(const void* data) override;

private:
    std::map<IncludeKey, std::string, IncludeKeyLess> includeFiles;
};

// The buffer's text up to its first zero byte (never past the buffer's
// size); empty for a null buffer.  Returns out.
std::string& BufferToString(ID3DXBuffer* buffer, std::string& out);

}  // namespace zelk
