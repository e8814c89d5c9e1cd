#pragma once

#include <cstdint>

#include "framework/ZelkD3DPtr.h"

namespace zelk {

// A texture unit's texture with its two coordinate scales, as the texture
// manager hands it to the renderer.  The binding holds one reference to its
// texture; a binding without a texture unbinds its unit.  The texture
// manager's memory blocks derive from it.
class ZelkGrTextureBinding {
public:
    ZelkGrTextureBinding() : tmu(0), texture(), sScale(1.0f), tScale(1.0f) {}
    ZelkGrTextureBinding(std::uint32_t tmu, IDirect3DTexture9* texture, float sScale, float tScale)
        : tmu(tmu), texture(texture), sScale(sScale), tScale(tScale)
    {
    }

    // Copies take a reference of their own to the texture; a copy from a
    // derived block copies the four fields only.
    ZelkGrTextureBinding(const ZelkGrTextureBinding& other) = default;
    ZelkGrTextureBinding& operator=(const ZelkGrTextureBinding& other) = default;
    virtual ~ZelkGrTextureBinding() = default;

    std::uint32_t tmu;              // 0 or 1
    IDirect3DTexture9Ptr texture;   // may be null
    float sScale;
    float tScale;
};

}  // namespace zelk
