#pragma once

#include <cstdint>
#include <memory>

#include "render/ZelkGrPrimitiveRendererRecords.h"
#include "render/ZelkGrVertexConverters.h"

namespace zelk {

// One record of the Glide vertex store: a GrVertex in 64 bytes.
struct ZelkGrVertexRecord {
    GrVertex vertex;
    std::uint32_t unused;
};
static_assert(sizeof(ZelkGrVertexRecord) == 64, "Glide vertex records are 64 bytes");

// The vertex path that transforms Glide vertices on the processor: a store
// of recorded Glide vertices and a parallel store of converted Direct3D
// vertices, from which each draw batch is drawn.  Abstract: a texel half
// supplies UpdateTexelPipeline.
class ZelkGrPrimitiveRendererSW : public ZelkGrPrimitiveRendererRecords {
public:
    ZelkGrPrimitiveRendererSW(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                              const ZelkGrRendererSettings& settings);
    // Shuts the renderer down (the worker ends) before the stores go.
    ~ZelkGrPrimitiveRendererSW() override;

    // The stores, for tests and the converters.
    const ZelkGrVertexRecord* VertexStore() const { return vertexStore.get(); }
    const D3DVertex* ConvertedStore() const { return convertedStore.get(); }

    // The conversion state of the next draw batch, from the renderer's
    // fields.
    ZelkGrVertexConvertState ConvertState() const;

protected:
    ZelkGrConvertVerticesProc converters[kVertexConverterCount];
    std::unique_ptr<ZelkGrVertexRecord[]> vertexStore;
    std::unique_ptr<D3DVertex[]> convertedStore;

    std::uint8_t* LockRecords(std::uint32_t first, std::uint32_t count) override;
    void BeginPackageDraws() override;
    void DrawBatch(D3DPRIMITIVETYPE type, std::uint32_t first, std::uint32_t count) override;
};

}  // namespace zelk
