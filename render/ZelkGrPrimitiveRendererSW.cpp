#include "render/ZelkGrPrimitiveRendererSW.h"

#include <algorithm>
#include <cstring>

#include "framework/ZelkException.h"

namespace zelk {

namespace {

const char* const kRenderMainName = "ZelkGrPrimitiveRendererSW::RenderMain";
const char* const kDrawPolygonName = "ZelkGrPrimitiveRendererSW::DrawPolygon";
const char* const kDrawPolygonStripName = "ZelkGrPrimitiveRendererSW::DrawPolygonStrip";
const char* const kBadIndexList = "The parameter [ const int ilist[] ] is invalid.";

// A polygon whose index list names a negative index is not drawn (the
// failure is logged); indices past the vertex array cannot be seen here.
bool IndicesValid(int count, const int* indices, const char* thrower)
{
    for (int i = 0; i < count; ++i) {
        if (indices[i] < 0) {
            ZelkException failure(thrower, false, kBadIndexList);
            WriteErrorLog(failure);
            return false;
        }
    }
    return true;
}

// The most triangles of one polygon that one pass through the store holds.
const std::uint32_t kTrianglesPerStore = ZelkGrPrimitiveRenderer::kVertexStoreSize / 3;

}  // namespace

ZelkGrPrimitiveRendererSW::ZelkGrPrimitiveRendererSW(IDirect3DDevice9* device, std::uint32_t width,
                                                     std::uint32_t height, const ZelkGrRendererSettings& settings)
    : ZelkGrPrimitiveRenderer(device, width, height, settings),
      vertexStore(new ZelkGrVertexRecord[kVertexStoreSize]),
      convertedStore(new D3DVertex[kVertexStoreSize])
{
    for (std::uint32_t i = 0; i < kVertexStoreSize; ++i) {
        ZelkGrVertexRecord& record = vertexStore[i];
        std::memset(&record, 0, sizeof record);
        record.vertex.a = 1.0f;
        record.vertex.oow = 1.0f;
        convertedStore[i] = D3DVertex{0.0f, 0.0f, 0.0f, 1.0f, 0xFFFFFFFF, 0, 0.0f, 0.0f, 0.0f, 0.0f};
    }
    const ZelkGrConvertVerticesProc* set = SelectVertexConverters();
    std::copy(set, set + kVertexConverterCount, converters);
}

ZelkGrPrimitiveRendererSW::~ZelkGrPrimitiveRendererSW()
{
    Shutdown();
}

ZelkGrVertexConvertState ZelkGrPrimitiveRendererSW::ConvertState() const
{
    ZelkGrVertexConvertState state;
    state.height = static_cast<float>(height);
    state.depthScale = depthScale;
    state.detailBias = tmuState[0].detailBias;
    state.lodBiasValue = tmuState[0].lodBiasValue;
    state.detailScale = tmuState[0].detailScale;
    state.detailMax = tmuState[0].detailMax;
    for (int stage = 0; stage < 2; ++stage) {
        state.activeST[stage] = tmuState[stage].activeST;
        state.activeW[stage] = tmuState[stage].activeW;
        state.scaleS[stage] = stageBindings[stage].sScale;
        state.scaleT[stage] = stageBindings[stage].tScale;
    }
    state.fogTable = fogTable;
    return state;
}

bool ZelkGrPrimitiveRendererSW::RenderMain(ZelkGrRenderPackage& package)
{
    if (package.records.empty()) {
        return true;
    }
    try {
        BeginPackageScene(kRenderMainName);
        device->SetVertexShader(nullptr);
        device->SetFVF(kD3DVertexFvf);

        ZelkGrPackageCursor cursor;
        cursor.vertex = package.firstVertexIndex;
        for (const ZelkGrBatchRecord& record : package.records) {
            switch (record.kind) {
            case kBatchDraw: {
                ApplyBatchEntries(package, record, cursor);
                // A batch never reaches past the store; the draws keep it so.
                const std::uint32_t count =
                    std::min(record.VertexCount(), kVertexStoreSize - std::min(cursor.vertex, kVertexStoreSize));
                if (count == 0) {
                    break;
                }
                UpdateTexelPipeline();
                converters[VariantIndex()](ConvertState(), count, &vertexStore[cursor.vertex],
                                           &convertedStore[cursor.vertex]);
                DrawPrimitiveUPMultiPass(static_cast<D3DPRIMITIVETYPE>(record.PrimitiveType()),
                                         &convertedStore[cursor.vertex], kD3DVertexStride, count);
                cursor.vertex += count;
                break;
            }
            case kBatchClear:
                ClearBuffers(record.ClearColor(), record.ClearDepth());
                break;
            default:
                ApplyClipWindow(record);
                break;
            }
        }
        latestCommands += static_cast<std::uint32_t>(package.records.size());
        latestVertices += cursor.vertex - package.firstVertexIndex;
        EndPackageScene();
        return true;
    } catch (ZelkException& failure) {
        if (sceneOpen) {
            EndPackageScene();
        }
        WriteErrorLog(failure);
        throw;
    }
}

bool ZelkGrPrimitiveRendererSW::BeginDraw(D3DPRIMITIVETYPE type, std::uint64_t room)
{
    if (renderBuffer != 1) {
        return false;
    }
    if (nextVertexIndex + room > kVertexStoreSize) {
        // Record 0 is written again only once the packages that use the
        // records have been played.
        nextVertexIndex = 0;
        Flush(true);
    } else if (currentPackage->records.size() >= ZelkGrRenderPackage::kMaxRecords) {
        Flush(false);
    }
    BeginBatch(type);
    return true;
}

void ZelkGrPrimitiveRendererSW::BeginBatch(D3DPRIMITIVETYPE type)
{
    if (openRecord.kind == kBatchDraw && openRecord.PrimitiveType() == static_cast<std::uint32_t>(type)) {
        return;
    }
    BeginRecord(kBatchDraw);
    openRecord.SetPrimitiveType(type);
}

void ZelkGrPrimitiveRendererSW::Write(const GrVertex& vertex)
{
    std::memcpy(&vertexStore[nextVertexIndex].vertex, &vertex, sizeof(GrVertex));
    ++nextVertexIndex;
    openRecord.AddVertices(1);
}

void ZelkGrPrimitiveRendererSW::DrawPoint(const GrVertex* a)
{
    if (a == nullptr || !BeginDraw(D3DPT_POINTLIST, 1)) {
        return;
    }
    Write(*a);
}

void ZelkGrPrimitiveRendererSW::DrawLine(const GrVertex* a, const GrVertex* b)
{
    if (a == nullptr || b == nullptr || !BeginDraw(D3DPT_LINELIST, 2)) {
        return;
    }
    Write(*a);
    Write(*b);
}

void ZelkGrPrimitiveRendererSW::DrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c)
{
    if (a == nullptr || b == nullptr || c == nullptr || !BeginDraw(D3DPT_TRIANGLELIST, 3)) {
        return;
    }
    Write(*a);
    Write(*b);
    Write(*c);
}

template <typename Corner>
void ZelkGrPrimitiveRendererSW::DrawFan(std::uint32_t count, Corner corner)
{
    // Triangles (0, i, i + 1); a polygon too large for the store goes in
    // parts that each fit.
    std::uint32_t next = 1;
    std::uint32_t remaining = count - 2;
    while (remaining > 0) {
        const std::uint32_t part = std::min(remaining, kTrianglesPerStore);
        if (!BeginDraw(D3DPT_TRIANGLELIST, 3ull * part)) {
            return;
        }
        for (std::uint32_t t = 0; t < part; ++t, ++next) {
            Write(corner(0));
            Write(corner(next));
            Write(corner(next + 1));
        }
        remaining -= part;
    }
}

template <typename Corner>
void ZelkGrPrimitiveRendererSW::DrawStrip(std::uint32_t count, Corner corner)
{
    const std::uint64_t room = static_cast<std::uint64_t>(count) + 3;
    if (room > kVertexStoreSize) {
        // The same triangles, as a list in parts.
        DrawFan(count, corner);
        return;
    }
    if (!BeginDraw(D3DPT_TRIANGLESTRIP, room)) {
        return;
    }
    // An open strip (of more than two vertices; BeginDraw hands a batch over
    // when the store wraps) is joined by degenerate triangles.
    const std::uint32_t joined = openRecord.VertexCount();
    if (joined > 2) {
        const GrVertex last = vertexStore[nextVertexIndex - 1].vertex;
        Write(last);
        if (joined % 2 != 0) {
            Write(last);
        }
        Write(corner(0));
    }
    // Zig-zag: 0, 1, n - 1, 2, n - 2, 3, ...
    std::uint32_t front = 0;
    std::uint32_t back = count - 1;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (i == 0 || i % 2 == 1) {
            Write(corner(front++));
        } else {
            Write(corner(back--));
        }
    }
}

void ZelkGrPrimitiveRendererSW::DrawPolygon(int count, const int* indices, const GrVertex* vertices)
{
    if (count < 3 || indices == nullptr || vertices == nullptr || !IndicesValid(count, indices, kDrawPolygonName)) {
        return;
    }
    DrawFan(static_cast<std::uint32_t>(count), [=](std::uint32_t i) -> const GrVertex& { return vertices[indices[i]]; });
}

void ZelkGrPrimitiveRendererSW::DrawPolygonVertexList(int count, const GrVertex* vertices)
{
    if (count < 3 || vertices == nullptr) {
        return;
    }
    DrawFan(static_cast<std::uint32_t>(count), [=](std::uint32_t i) -> const GrVertex& { return vertices[i]; });
}

void ZelkGrPrimitiveRendererSW::DrawPolygonStrip(int count, const int* indices, const GrVertex* vertices)
{
    if (count < 3 || indices == nullptr || vertices == nullptr ||
        !IndicesValid(count, indices, kDrawPolygonStripName)) {
        return;
    }
    DrawStrip(static_cast<std::uint32_t>(count),
              [=](std::uint32_t i) -> const GrVertex& { return vertices[indices[i]]; });
}

void ZelkGrPrimitiveRendererSW::DrawPolygonVertexListStrip(int count, const GrVertex* vertices)
{
    if (count < 3 || vertices == nullptr) {
        return;
    }
    DrawStrip(static_cast<std::uint32_t>(count), [=](std::uint32_t i) -> const GrVertex& { return vertices[i]; });
}

}  // namespace zelk
