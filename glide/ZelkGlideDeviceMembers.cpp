// The members of the front end that follow the device: the texture manager,
// the mip-map table and the frame-buffer accessor.
#include "glide/ZelkGlide.h"

namespace zelk {

void ZelkGlide::RebuildDeviceMembers(IDirect3DDevice9* /*device*/, GrColorFormat_t /*colorFormat*/)
{
}

void ZelkGlide::ResetDeviceMembers() noexcept
{
}

void ZelkGlide::UpdatePendingTextures()
{
}

void ZelkGlide::ApplyChromakeyToTextures()
{
}

void ZelkGlide::SetLfbConstantColor(std::uint32_t /*color*/)
{
}

}  // namespace zelk
