#pragma once

#include <cstdint>

#include "render/ZelkGrPrimitiveRendererVS.h"

namespace zelk {

// The vs_2_x vertex path: one shader for every Glide state, steered per
// draw batch by boolean constants.
class ZelkGrPrimitiveRendererVS2x : public ZelkGrPrimitiveRendererVS {
public:
    enum Handle {
        DetailParam, TmuParam0, TmuParam1, ScreenToProj, ScreenHeight, DepthPrecision, FogTable,
        OriginUpperLeft, DepthTypeZ, DepthTypeW, DetailFactor, FogTypeAlpha, FogTypeTable, TexCoord, HandleCount
    };

    // Compiles the shader when there is a device; throws when it cannot.
    ZelkGrPrimitiveRendererVS2x(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                                const ZelkGrRendererSettings& settings);
    ~ZelkGrPrimitiveRendererVS2x() override;

    void BeginConvertVertices() override;
    void UpdateConvertVertices() override;

    void CreateConvertVertices(const char* source, ID3DXInclude* include);

    IDirect3DVertexShader9Ptr vertexShader;
    ID3DXConstantTablePtr constantTable;
    D3DXHANDLE handles[HandleCount] = {};
};

}  // namespace zelk
