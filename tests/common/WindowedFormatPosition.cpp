#include "common/WindowedFormatPosition.h"

#include "framework/ZelkD3D.h"

namespace zelktest {

int WindowedFormatPosition(D3DFORMAT back)
{
    zelk::ZelkD3D* d3d = zelk::ZelkD3D::GetD3D();
    if (!d3d || d3d->GetAdapterCount() == 0) {
        return -1;
    }
    zelk::ZelkD3DAdapterInfo* adapter = d3d->GetAdapterInfo(0);
    const zelk::ZelkD3DDeviceInfo& device = adapter->devices[static_cast<size_t>(adapter->selectedDeviceIndex)];
    for (size_t i = 0; i < device.windowedFormats.size(); ++i) {
        if (device.windowedFormats[i].backBufferFormat == back) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace zelktest
