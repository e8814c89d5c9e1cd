#pragma once

#include <cstdint>

#include "render/ZelkGrPrimitiveRenderer.h"

namespace zelk {

// The recording and playing that both vertex paths share: the seven draws
// write each Glide vertex into a ring of 64-byte records (the GrVertex, then
// zeroes) and RenderMain plays a package's batches from that ring.  Where the
// records live and how a batch reaches the device is the subclass's: the
// processor path keeps them in memory and converts them, the vertex-shader
// path uploads each package's records into the device vertex buffer before
// it plays the package.
class ZelkGrPrimitiveRendererRecords : public ZelkGrPrimitiveRenderer {
public:
    static constexpr std::uint32_t kRecordCount = kVertexStoreSize;
    static constexpr std::uint32_t kRecordSize = 64;

    // The names the failures of RenderMain and of the indexed polygons are
    // logged under.
    struct ThrowerNames {
        const char* renderMain;
        const char* drawPolygon;
        const char* drawPolygonStrip;
    };

    ZelkGrPrimitiveRendererRecords(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                                   const ZelkGrRendererSettings& settings, const ThrowerNames& names);

    bool RenderMain(ZelkGrRenderPackage& package) override;

    void DrawPoint(const GrVertex* a) override;
    void DrawLine(const GrVertex* a, const GrVertex* b) override;
    void DrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) override;
    void DrawPolygon(int count, const int* indices, const GrVertex* vertices) override;
    void DrawPolygonVertexList(int count, const GrVertex* vertices) override;
    void DrawPolygonStrip(int count, const int* indices, const GrVertex* vertices) override;
    void DrawPolygonVertexListStrip(int count, const GrVertex* vertices) override;

protected:
    // False when there is nowhere to record (the draws then do nothing).
    virtual bool RecordsReady() const { return true; }
    // The ring starts again at record 0; every package has been played.
    virtual void RecordsWrapped() {}
    // Records first to first + count - 1, for writing; one lock at a time.
    virtual std::uint8_t* LockRecords(std::uint32_t first, std::uint32_t count) = 0;
    virtual void UnlockRecords() {}
    // Once per played package with draws, before its scene: records first
    // to first + count - 1 are the package's.  Failures throw; the package is
    // then not played.
    virtual void UploadRecords(std::uint32_t /*first*/, std::uint32_t /*count*/) {}
    // Once per played package, before its records.
    virtual void BeginPackageDraws() = 0;
    // One draw batch of records first to first + count - 1, after the
    // texel pipeline is up to date.
    virtual void DrawBatch(D3DPRIMITIVETYPE type, std::uint32_t first, std::uint32_t count) = 0;

private:
    // Makes room for the given number of records: back to record 0 (after
    // every queued package has been played) when they do not fit, a new
    // package when the records list is full.  Then extends the open batch
    // when it is of the given type, or opens one.  False when draws go to
    // another buffer than the back buffer.
    bool BeginDraw(D3DPRIMITIVETYPE type, std::uint64_t room);
    void BeginBatch(D3DPRIMITIVETYPE type);
    // A point, line or triangle: nothing when a vertex is missing.
    void DrawList(D3DPRIMITIVETYPE type, std::uint32_t count, const GrVertex* const* vertices);
    // A convex polygon as a triangle list; corner(i) gives corner i.
    template <typename Corner>
    void DrawFan(std::uint32_t count, Corner corner);
    template <typename Corner>
    void DrawStrip(std::uint32_t count, Corner corner);

    ThrowerNames names;
    // The last record written, for joining strips.
    GrVertex lastVertex;
};

}  // namespace zelk
