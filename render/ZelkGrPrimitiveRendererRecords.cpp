#include "render/ZelkGrPrimitiveRendererRecords.h"

#include <algorithm>
#include <cstring>

#include "framework/ZelkException.h"

namespace zelk {

namespace {

const char* const kBadIndexList = "The parameter [ const int ilist[] ] is invalid.";

static_assert(sizeof(GrVertex) <= ZelkGrPrimitiveRendererRecords::kRecordSize, "a GrVertex fits one record");

// The most triangles of one polygon that one pass through the ring holds.
constexpr std::uint32_t kTrianglesPerRing = ZelkGrPrimitiveRendererRecords::kRecordCount / 3;

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

// Writes one record and returns the next.
std::uint8_t* WriteRecord(std::uint8_t* record, const GrVertex& vertex)
{
    constexpr std::uint32_t size = ZelkGrPrimitiveRendererRecords::kRecordSize;
    std::memcpy(record, &vertex, sizeof(GrVertex));
    std::memset(record + sizeof(GrVertex), 0, size - sizeof(GrVertex));
    return record + size;
}

}  // namespace

ZelkGrPrimitiveRendererRecords::ZelkGrPrimitiveRendererRecords(IDirect3DDevice9* device, std::uint32_t width,
                                                               std::uint32_t height,
                                                               const ZelkGrRendererSettings& settings,
                                                               const ThrowerNames& names)
    : ZelkGrPrimitiveRenderer(device, width, height, settings), names(names)
{
    std::memset(&lastVertex, 0, sizeof lastVertex);
}

bool ZelkGrPrimitiveRendererRecords::RenderMain(ZelkGrRenderPackage& package)
{
    if (package.records.empty()) {
        return true;
    }
    try {
        std::uint32_t vertexCount = 0;
        for (const ZelkGrBatchRecord& record : package.records) {
            if (record.kind == kBatchDraw) {
                vertexCount += record.VertexCount();
            }
        }
        // A package never reaches past the ring; the draws keep it so.
        vertexCount = std::min(vertexCount, kRecordCount - std::min(package.firstVertexIndex, kRecordCount));
        if (vertexCount != 0) {
            UploadRecords(package.firstVertexIndex, vertexCount);
        }
        BeginPackageScene(names.renderMain);
        BeginPackageDraws();

        ZelkGrPackageCursor cursor;
        cursor.vertex = package.firstVertexIndex;
        for (const ZelkGrBatchRecord& record : package.records) {
            switch (record.kind) {
            case kBatchDraw: {
                ApplyBatchEntries(package, record, cursor);
                // A batch never reaches past the ring; the draws keep it so.
                const std::uint32_t count =
                    std::min(record.VertexCount(), kRecordCount - std::min(cursor.vertex, kRecordCount));
                if (count == 0) {
                    break;
                }
                UpdateTexelPipeline();
                DrawBatch(static_cast<D3DPRIMITIVETYPE>(record.PrimitiveType()), cursor.vertex, count);
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

bool ZelkGrPrimitiveRendererRecords::BeginDraw(D3DPRIMITIVETYPE type, std::uint64_t room)
{
    if (renderBuffer != 1 || !RecordsReady()) {
        return false;
    }
    if (nextVertexIndex + room > kRecordCount) {
        // Record 0 is written again only once every package that uses the
        // records has been played or dropped; the ring restarts also when
        // playing the last of them failed.
        nextVertexIndex = 0;
        try {
            Flush(true);
        } catch (...) {
            RecordsWrapped();
            throw;
        }
        RecordsWrapped();
    } else if (currentPackage->records.size() >= ZelkGrRenderPackage::kMaxRecords) {
        Flush(false);
    }
    BeginBatch(type);
    return true;
}

void ZelkGrPrimitiveRendererRecords::BeginBatch(D3DPRIMITIVETYPE type)
{
    if (openRecord.kind == kBatchDraw && openRecord.PrimitiveType() == static_cast<std::uint32_t>(type)) {
        return;
    }
    BeginRecord(kBatchDraw);
    openRecord.SetPrimitiveType(type);
}

void ZelkGrPrimitiveRendererRecords::DrawList(D3DPRIMITIVETYPE type, std::uint32_t count,
                                              const GrVertex* const* vertices)
{
    for (std::uint32_t i = 0; i < count; ++i) {
        if (vertices[i] == nullptr) {
            return;
        }
    }
    if (!BeginDraw(type, count)) {
        return;
    }
    std::uint8_t* out = LockRecords(nextVertexIndex, count);
    for (std::uint32_t i = 0; i < count; ++i) {
        out = WriteRecord(out, *vertices[i]);
    }
    UnlockRecords();
    lastVertex = *vertices[count - 1];
    nextVertexIndex += count;
    openRecord.AddVertices(count);
}

void ZelkGrPrimitiveRendererRecords::DrawPoint(const GrVertex* a)
{
    const GrVertex* const vertices[] = {a};
    DrawList(D3DPT_POINTLIST, 1, vertices);
}

void ZelkGrPrimitiveRendererRecords::DrawLine(const GrVertex* a, const GrVertex* b)
{
    const GrVertex* const vertices[] = {a, b};
    DrawList(D3DPT_LINELIST, 2, vertices);
}

void ZelkGrPrimitiveRendererRecords::DrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c)
{
    const GrVertex* const vertices[] = {a, b, c};
    DrawList(D3DPT_TRIANGLELIST, 3, vertices);
}

template <typename Corner>
void ZelkGrPrimitiveRendererRecords::DrawFan(std::uint32_t count, Corner corner)
{
    // Triangles (0, i, i + 1); a polygon too large for the ring goes in
    // parts that each fit.
    std::uint32_t next = 1;
    std::uint32_t remaining = count - 2;
    while (remaining > 0) {
        const std::uint32_t part = std::min(remaining, kTrianglesPerRing);
        if (!BeginDraw(D3DPT_TRIANGLELIST, 3ull * part)) {
            return;
        }
        std::uint8_t* out = LockRecords(nextVertexIndex, 3 * part);
        for (std::uint32_t t = 0; t < part; ++t, ++next) {
            out = WriteRecord(out, corner(0));
            out = WriteRecord(out, corner(next));
            out = WriteRecord(out, corner(next + 1));
        }
        UnlockRecords();
        lastVertex = corner(next);
        nextVertexIndex += 3 * part;
        openRecord.AddVertices(3 * part);
        remaining -= part;
    }
}

template <typename Corner>
void ZelkGrPrimitiveRendererRecords::DrawStrip(std::uint32_t count, Corner corner)
{
    const std::uint64_t room = static_cast<std::uint64_t>(count) + 3;
    if (room > kRecordCount) {
        // The same triangles, as a list in parts.
        DrawFan(count, corner);
        return;
    }
    if (!BeginDraw(D3DPT_TRIANGLESTRIP, room)) {
        return;
    }
    // An open strip of more than two vertices (BeginDraw hands a batch over
    // when the ring wraps) is joined by degenerate triangles, so that the
    // polygon's first triangle starts at an even position of the strip.
    const std::uint32_t joined = openRecord.VertexCount();
    std::uint32_t written = count;
    if (joined > 2) {
        written += joined % 2 != 0 ? 3 : 2;
    }
    std::uint8_t* out = LockRecords(nextVertexIndex, written);
    if (joined > 2) {
        out = WriteRecord(out, lastVertex);
        if (joined % 2 != 0) {
            out = WriteRecord(out, lastVertex);
        }
        out = WriteRecord(out, corner(0));
    }
    // Zig-zag: 0, 1, n - 1, 2, n - 2, 3, ...
    std::uint32_t front = 0;
    std::uint32_t back = count - 1;
    std::uint32_t last = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        last = (i == 0 || i % 2 == 1) ? front++ : back--;
        out = WriteRecord(out, corner(last));
    }
    UnlockRecords();
    lastVertex = corner(last);
    nextVertexIndex += written;
    openRecord.AddVertices(written);
}

void ZelkGrPrimitiveRendererRecords::DrawPolygon(int count, const int* indices, const GrVertex* vertices)
{
    if (count < 3 || indices == nullptr || vertices == nullptr ||
        !IndicesValid(count, indices, names.drawPolygon)) {
        return;
    }
    DrawFan(static_cast<std::uint32_t>(count),
            [=](std::uint32_t i) -> const GrVertex& { return vertices[indices[i]]; });
}

void ZelkGrPrimitiveRendererRecords::DrawPolygonVertexList(int count, const GrVertex* vertices)
{
    if (count < 3 || vertices == nullptr) {
        return;
    }
    DrawFan(static_cast<std::uint32_t>(count), [=](std::uint32_t i) -> const GrVertex& { return vertices[i]; });
}

void ZelkGrPrimitiveRendererRecords::DrawPolygonStrip(int count, const int* indices, const GrVertex* vertices)
{
    if (count < 3 || indices == nullptr || vertices == nullptr ||
        !IndicesValid(count, indices, names.drawPolygonStrip)) {
        return;
    }
    DrawStrip(static_cast<std::uint32_t>(count),
              [=](std::uint32_t i) -> const GrVertex& { return vertices[indices[i]]; });
}

void ZelkGrPrimitiveRendererRecords::DrawPolygonVertexListStrip(int count, const GrVertex* vertices)
{
    if (count < 3 || vertices == nullptr) {
        return;
    }
    DrawStrip(static_cast<std::uint32_t>(count), [=](std::uint32_t i) -> const GrVertex& { return vertices[i]; });
}

}  // namespace zelk
