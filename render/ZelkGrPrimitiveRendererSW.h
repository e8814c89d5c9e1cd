#pragma once

#include <cstdint>
#include <memory>

#include "render/ZelkGrPrimitiveRenderer.h"
#include "render/ZelkGrVertexConverters.h"

namespace zelk {

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
    ZelkGrPrimitiveRendererSW(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                              const ZelkGrRendererSettings& settings);
    // Shuts the renderer down (the worker ends) before the stores go.
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

    // The conversion state of the next draw batch, from the renderer's
    // fields.
    ZelkGrVertexConvertState ConvertState() const;

protected:
    ZelkGrConvertVerticesProc converters[kVertexConverterCount];
    std::unique_ptr<ZelkGrVertexRecord[]> vertexStore;
    std::unique_ptr<D3DVertex[]> convertedStore;

private:
    // Makes room for the given number of records: back to record 0 (after
    // every queued package has been played) when they do not fit, a new
    // package when the records list is full.  Then extends the open batch
    // when it is of the given type, or opens one.  False when draws go to
    // another buffer than the back buffer.
    bool BeginDraw(D3DPRIMITIVETYPE type, std::uint64_t room);
    void BeginBatch(D3DPRIMITIVETYPE type);
    void Write(const GrVertex& vertex);
    // A convex polygon as a triangle list; corner(i) gives corner i.
    template <typename Corner>
    void DrawFan(std::uint32_t count, Corner corner);
    template <typename Corner>
    void DrawStrip(std::uint32_t count, Corner corner);
};

}  // namespace zelk
