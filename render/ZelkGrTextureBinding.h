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

    // Copies the four fields only, also from a derived block, and takes a
    // reference of its own.
    ZelkGrTextureBinding(const ZelkGrTextureBinding& other)
        : tmu(other.tmu), texture(other.texture), sScale(other.sScale), tScale(other.tScale)
    {
    }

    // Copies the unit and the scales, then references the new texture and
    // releases the old one.
    ZelkGrTextureBinding& operator=(const ZelkGrTextureBinding& other)
    {
        tmu = other.tmu;
        sScale = other.sScale;
        tScale = other.tScale;
        texture = other.texture;
        return *this;
    }

    virtual ~ZelkGrTextureBinding() { texture = nullptr; }

    std::uint32_t tmu;              // 0 or 1
    IDirect3DTexture9Ptr texture;   // may be null
    float sScale;
    float tScale;
};

}  // namespace zelk
