#pragma once

// The four renderer classes and how the settings select one: the key is the
// texel blending type (0 fixed-function stages, 0x10000 ps_1_3 shaders) ORed
// with the vertex convert type (0 software, 1 vs_1_1, 2 vs_2_x).
#include "render/ZelkGrPrimitiveRenderer.h"
#include "render/ZelkGrRendererSettings.h"

#include <cstdint>
#include <memory>

namespace zelk {

constexpr std::uint32_t kRendererKeySWFixed = 0x00000;
constexpr std::uint32_t kRendererKeySWPS13 = 0x10000;
constexpr std::uint32_t kRendererKeyVS11PS13 = 0x10001;
constexpr std::uint32_t kRendererKeyVS2xPS13 = 0x10002;

using ZelkGrRendererFactory = ZelkGrPrimitiveRenderer* (*)(IDirect3DDevice9* device, std::uint32_t width,
                                                           std::uint32_t height,
                                                           const ZelkGrRendererSettings& settings);

// Builds a renderer of class Renderer; the entries of the class table.
template <class Renderer>
ZelkGrPrimitiveRenderer* CreateRendererOfClass(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                                               const ZelkGrRendererSettings& settings)
{
    return new Renderer(device, width, height, settings);
}

struct ZelkGrRendererClass {
    std::uint32_t key;
    const char* className;
    ZelkGrRendererFactory create;  // null while the class is not built into the library
};

// The class table, in key order: SWFixed, SWPS13, VS11PS13, VS2xPS13.
const ZelkGrRendererClass* GetRendererClasses(std::uint32_t* count);

inline std::uint32_t RendererSelectionKey(std::uint32_t texelBlendingType, std::uint32_t vertexConvertType)
{
    return texelBlendingType | vertexConvertType;
}

// The class for the two settings.  A key not in the table, or one whose
// class is not built into the library, sets both settings to 0 and gives
// ZelkGrRendererSWFixed.
const ZelkGrRendererClass& SelectRendererClass(std::uint32_t& texelBlendingType, std::uint32_t& vertexConvertType);

// Selects the class as above and builds the renderer.  When a vertex-shader
// class cannot be built, the failure is logged, vertexConvertType becomes 0
// and the software-transform class with the same texel half is built.
std::unique_ptr<ZelkGrPrimitiveRenderer> CreateRenderer(std::uint32_t& texelBlendingType,
                                                        std::uint32_t& vertexConvertType, IDirect3DDevice9* device,
                                                        std::uint32_t width, std::uint32_t height,
                                                        const ZelkGrRendererSettings& settings);

}  // namespace zelk
