#pragma once

// The enumerated Direct3D 9 configuration: adapters, their device types, and
// the usable pairs of display and back-buffer format with their display
// modes and the depth-stencil and texture formats that go with them.
//
// Stored settings hold positions in these lists, and the wrapper and the
// configurator both build them with this code, so the lists come out in the
// same order everywhere.  Depends on d3d9 only.
#include <d3d9.h>

#include <vector>

namespace zelk {

// Vertex-processing choices (Direct3D creation flags), in list order.
constexpr DWORD kBehaviorSoftwareTnL = D3DCREATE_SOFTWARE_VERTEXPROCESSING;               // 0x20
constexpr DWORD kBehaviorHardwareTnL = D3DCREATE_HARDWARE_VERTEXPROCESSING;               // 0x40
constexpr DWORD kBehaviorMixedTnL = D3DCREATE_MIXED_VERTEXPROCESSING;                     // 0x80
constexpr DWORD kBehaviorPureDeviceHwTnL = D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE;  // 0x50

// A value and the name the configurator shows for it.
struct ZelkD3DBehaviorName {
    DWORD behaviorFlags;
    const char* name;
};
extern const ZelkD3DBehaviorName kBehaviorNames[4];

// The device types tried, in order, with their names.
struct ZelkD3DDeviceTypeName {
    D3DDEVTYPE deviceType;
    const char* name;
};
extern const ZelkD3DDeviceTypeName kDeviceTypeNames[2];

// The display-mode order: format (signed), then width, height and refresh
// rate (unsigned).
bool DisplayModeLess(const D3DDISPLAYMODE& first, const D3DDISPLAYMODE& second);

// One usable pair of display (adapter) format and back-buffer format.
// Indices are -1 when their list is empty.
class ZelkD3DFormatInfo {
public:
    ZelkD3DFormatInfo();
    ZelkD3DFormatInfo(const ZelkD3DFormatInfo&) = default;
    ZelkD3DFormatInfo& operator=(const ZelkD3DFormatInfo&) = default;
    virtual ~ZelkD3DFormatInfo();

    // Builds the record; true when the adapter has at least one display mode
    // in the adapter format.
    bool Enumerate(IDirect3D9* d3d, UINT adapterOrdinal, D3DDEVTYPE deviceType,
                   D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat);

    // Every selection back to its default.
    void RestoreDefault();

    D3DFORMAT adapterFormat;
    D3DFORMAT backBufferFormat;

    INT defaultDisplayModeIndex;
    INT defaultDepthStencilFormatIndex;
    INT defaultTextureFormatIndex;
    INT defaultBumpMapFormatIndex;
    INT defaultRenderTargetTextureFormatIndex;
    INT defaultDepthTextureFormatIndex;

    INT selectedDisplayModeIndex;
    INT selectedDepthStencilFormatIndex;
    INT selectedTextureFormatIndex;
    INT selectedBumpMapFormatIndex;
    INT selectedRenderTargetTextureFormatIndex;
    INT selectedDepthTextureFormatIndex;

    std::vector<D3DDISPLAYMODE> displayModes;
    std::vector<D3DFORMAT> depthStencilFormats;
    std::vector<D3DFORMAT> textureFormats;
    std::vector<D3DFORMAT> bumpMapFormats;
    std::vector<D3DFORMAT> renderTargetTextureFormats;
    std::vector<D3DFORMAT> depthTextureFormats;

private:
    void Reset();
};

// One usable device type of an adapter.
class ZelkD3DDeviceInfo {
public:
    ZelkD3DDeviceInfo();
    ZelkD3DDeviceInfo(const ZelkD3DDeviceInfo&) = default;
    ZelkD3DDeviceInfo& operator=(const ZelkD3DDeviceInfo&) = default;
    virtual ~ZelkD3DDeviceInfo();

    // Builds the record; true when at least one full-screen or windowed
    // format record was built.
    bool Enumerate(IDirect3D9* d3d, UINT adapterOrdinal, D3DDEVTYPE deviceType);

    // The selections back to their defaults, those of every format record
    // included.
    void RestoreDefault();

    D3DDEVTYPE deviceType;
    D3DCAPS9 caps;

    INT defaultBehaviorIndex;
    INT defaultFullScreenFormatIndex;
    // The first windowed record whose back-buffer format the frame-buffer
    // access converts (HasFrameBufferConversion), else 0.
    INT defaultWindowedFormatIndex;
    bool defaultWindowed;

    INT selectedBehaviorIndex;
    INT selectedFullScreenFormatIndex;
    INT selectedWindowedFormatIndex;
    bool selectedWindowed;

    std::vector<DWORD> behaviorFlags;
    std::vector<ZelkD3DFormatInfo> fullScreenFormats;
    // All built for the display format current at enumeration time.
    std::vector<ZelkD3DFormatInfo> windowedFormats;

private:
    void Reset();
};

// One adapter that has at least one usable device type.
class ZelkD3DAdapterInfo {
public:
    ZelkD3DAdapterInfo();
    ZelkD3DAdapterInfo(const ZelkD3DAdapterInfo&) = default;
    ZelkD3DAdapterInfo& operator=(const ZelkD3DAdapterInfo&) = default;
    virtual ~ZelkD3DAdapterInfo();

    // Builds the record; true when at least one device record was built.
    bool Enumerate(IDirect3D9* d3d, UINT adapterOrdinal);

    // The selected device back to the default, and every device record's
    // selections to theirs.
    void RestoreDefault();

    // The Direct3D ordinal of this adapter.  Unusable adapters are left out
    // of the adapter list, so a record's position in that list is not
    // always its ordinal: Direct3D calls take this value.
    UINT adapterOrdinal;
    D3DADAPTER_IDENTIFIER9 identifier;

    INT defaultDeviceIndex;
    INT selectedDeviceIndex;

    // Hardware first, then reference, each only when usable.
    std::vector<ZelkD3DDeviceInfo> devices;

private:
    void Reset();
};

}  // namespace zelk
