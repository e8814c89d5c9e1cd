#pragma once

// The process's one Direct3D 9 object with the enumerated adapters, and the
// creation of the rendering device from the records' selections.  Depends on
// d3d9 and the exception code only, so the configurator links it as well.
#include <d3d9.h>

#include <vector>

#include "framework/ZelkD3DEnumeration.h"
#include "framework/ZelkD3DPtr.h"

namespace zelk {

// The function that creates the Direct3D 9 object; Direct3DCreate9 unless
// replaced.
using Direct3DCreateFunction = IDirect3D9*(WINAPI*)(UINT sdkVersion);

// Replaces the creation function (null restores Direct3DCreate9) and returns
// the one it replaces.
Direct3DCreateFunction SetDirect3DCreateFunction(Direct3DCreateFunction function);

// Creates a Direct3D 9 object through the current creation function; null
// when it yields none.
IDirect3D9* CreateDirect3D(UINT sdkVersion);

class ZelkD3D {
public:
    // The singleton, created and enumerated on first use.  Null when the
    // allocation fails; a failing construction throws and leaves no object.
    static ZelkD3D* GetD3D();
    // Deletes the singleton, if any.
    static void DestroyD3D();

    ZelkD3D();
    ZelkD3D(const ZelkD3D&) = delete;
    ZelkD3D& operator=(const ZelkD3D&) = delete;
    virtual ~ZelkD3D();

    // Fills the adapter list; true when at least one adapter was kept.
    bool EnumerateDevice();

    UINT GetAdapterCount() const;
    // The record at a position in the adapter list (null past its end); the
    // caller may change its selections.
    ZelkD3DAdapterInfo* GetAdapterInfo(UINT adapterPosition);

    // Creates a device from the selections of the adapter at the given
    // position in the adapter list.  Throws ZelkException on failure.  A
    // windowed device's back buffer has the given width and height, or the
    // selected display mode's size when they are 0; a full-screen device
    // always takes the selected display mode.
    IDirect3DDevice9Ptr CreateD3DDevice(HWND focusWindow, HWND deviceWindow, UINT backBufferCount,
                                        bool lockableBackBuffer, UINT adapterPosition, UINT windowedWidth = 0,
                                        UINT windowedHeight = 0);

private:
    IDirect3D9Ptr d3d_;
    std::vector<ZelkD3DAdapterInfo> adapters_;
};

}  // namespace zelk
