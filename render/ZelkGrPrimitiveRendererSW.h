#pragma once

#include <cstdint>
#include <memory>

#include "render/ZelkGrPrimitiveRenderer.h"

namespace zelk {

struct D3DVertex;

// One record of the Glide vertex store: a GrVertex in 64 bytes.
struct ZelkGrVertexRecord {
    GrVertex vertex;
    std::uint32_t unused;
};
static_assert(sizeof(ZelkGrVertexRecord) == 64, "Glide vertex records are 64 bytes");

// The vertex path that transforms Glide vertices on the processor: a store
// of recorded Glide vertices, a parallel store of converted Direct3D
// vertices, the seven draws and RenderMain.  Abstract: a texel half supplies
// UpdateTexelPipeline.
class ZelkGrPrimitiveRendererSW : public ZelkGrPrimitiveRenderer {
public:
    // A software vertex converter: converts count Glide records into count
    // Direct3D records.
    using ConvertFunction = void (*)(const ZelkGrPrimitiveRenderer* renderer, std::uint32_t count,
                                     const ZelkGrVertexRecord* input, D3DVertex* output);

    ZelkGrPrimitiveRendererSW(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                              const ZelkGrRendererSettings& settings);
    ~ZelkGrPrimitiveRendererSW() override;

    bool RenderMain(ZelkGrRenderPackage& package) override;

    void DrawPoint(const GrVertex* a) override;
    void DrawLine(const GrVertex* a, const GrVertex* b) override;
    void DrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) override;
    void DrawPolygon(int count, const int* indices, const GrVertex* vertices) override;
    void DrawPolygonVertexList(int count, const GrVertex* vertices) override;
    void DrawPolygonStrip(int count, const int* indices, const GrVertex* vertices) override;
    void DrawPolygonVertexListStrip(int count, const GrVertex* vertices) override;

    // The stores, for tests and the converters.
    const ZelkGrVertexRecord* VertexStore() const { return vertexStore.get(); }
    const D3DVertex* ConvertedStore() const { return convertedStore.get(); }

protected:
    ConvertFunction converters[72];
    std::unique_ptr<ZelkGrVertexRecord[]> vertexStore;
    std::unique_ptr<D3DVertex[]> convertedStore;
};

}  // namespace zelk
