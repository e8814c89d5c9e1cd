// The members of the front end that follow the device: the texture manager,
// the mip-map table and the frame-buffer accessor.
#include "framework/ZelkException.h"
#include "glide/ZelkGlide.h"

namespace zelk {

void ZelkGlide::RebuildDeviceMembers(IDirect3DDevice9* device, GrColorFormat_t colorFormat)
{
    textureManager = ZelkGrTextureManager(device, renderer.get(), settings.texture);
    mipMapTable = ZelkGuMipMapTable(ServedTmuCount());
    lfbAccessor = ZelkGrLfbAccessor(device, screenWidth, screenHeight, colorFormat, settings.lfb);
}

void ZelkGlide::ResetDeviceMembers() noexcept
{
    // Each member is replaced by one without a device; the device goes with
    // its last reference.  A failure here (only allocation can fail) leaves
    // the member as it was.
    try {
        textureManager = ZelkGrTextureManager(nullptr, nullptr, DefaultTextureSettings());
    } catch (ZelkException& e) {
        WriteErrorLog(e);
    } catch (...) {
    }
    try {
        mipMapTable = ZelkGuMipMapTable(kGlideTmuCount);
    } catch (...) {
    }
    try {
        lfbAccessor = ZelkGrLfbAccessor(nullptr, 0, 0, 0, ZelkGrLfbSettings());
    } catch (ZelkException& e) {
        WriteErrorLog(e);
    } catch (...) {
    }
}

void ZelkGlide::UpdatePendingTextures()
{
    textureManager.RecordPendingTextures();
}

void ZelkGlide::ApplyChromakeyToTextures()
{
    // The fixed-function texel pipeline keys textures through the manager:
    // the key colour while chroma-keying is on, no key otherwise.
    if (settings.texelBlendingType != settingskeys::kTexelBlendingFixed) {
        return;
    }
    textureManager.colourKey = state.chromakeyMode == 1 ? (state.chromakeyValue | 0xFF000000u) : 0u;
}

void ZelkGlide::SetLfbConstantColor(std::uint32_t color)
{
    lfbAccessor.constantColor = color;
}

}  // namespace zelk
