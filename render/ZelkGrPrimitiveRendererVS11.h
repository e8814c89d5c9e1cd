#pragma once

#include <cstdint>
#include <string>

#include "render/ZelkGrPrimitiveRendererVS.h"

namespace zelk {

// One compiled vertex-shader variant: the shader, the compiler's constant
// table and the handles of the seven constants (null where the variant does
// not use one).
struct ZelkGrConvertVerticesShader {
    enum Handle { DetailParam, TmuParam0, TmuParam1, ScreenToProj, ScreenHeight, DepthPrecision, FogTable, Count };

    IDirect3DVertexShader9Ptr shader;
    ID3DXConstantTablePtr constantTable;
    D3DXHANDLE handles[Count] = {};
};

// The vs_1_1 vertex path: 72 variants of one shader source, one for each
// combination of origin, depth type, detail factor, fog type and texture
// coordinates, compiled at construction; each draw batch binds the variant
// of the renderer's state and sets its constants.
class ZelkGrPrimitiveRendererVS11 : public ZelkGrPrimitiveRendererVS {
public:
    static constexpr std::uint32_t kVariantCount = 72;

    // Compiles every variant when there is a device; throws when one cannot
    // be built.
    ZelkGrPrimitiveRendererVS11(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                                const ZelkGrRendererSettings& settings);
    ~ZelkGrPrimitiveRendererVS11() override;

    void BeginConvertVertices() override {}
    void UpdateConvertVertices() override;

    // The creator of variant index (0 to 71); its name is its thrower.
    void CreateConvertVertices(std::uint32_t index, const char* source, ID3DXInclude* include);
    // "ZelkGrPrimitiveRendererVS11::CreateConvertVertices_ORIGIN_..._TEXCOORD_..." of a variant.
    static std::string CreatorName(std::uint32_t index);

    ZelkGrConvertVerticesShader convertShaders[kVariantCount];
};

}  // namespace zelk
