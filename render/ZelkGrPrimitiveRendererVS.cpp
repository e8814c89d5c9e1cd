#include "render/ZelkGrPrimitiveRendererVS.h"

#include <algorithm>
#include <cstring>

#include "framework/ZelkException.h"
#include "glide/ZelkModule.h"

namespace zelk {

namespace {

const char* const kRenderMainName = "ZelkGrPrimitiveRendererVS::RenderMain";
const char* const kDeclarationName = "ZelkGrPrimitiveRendererVS::ZelkGrPrimitiveRendererVS";
const char* const kDeclarationFailed = "The function [ IDirect3DDevice9::CreateVertexDeclaration ] failed.";
const char* const kLoadName = "ZelkGrPrimitiveRendererVS::LoadShaderFromResource";
const char* const kFindFailed = "The function [ WIN32API::FindResource ] failed.";
const char* const kLoadFailed = "The function [ WIN32API::LoadResource ] failed.";
const char* const kSizeFailed = "The function [ WIN32API::SizeofResource ] failed.";
const char* const kProfileFailed = "The function [ D3DXGetVertexShaderProfile ] failed.";
const char* const kDrawPolygonName = "ZelkGrPrimitiveRendererVS::DrawPolygon";
const char* const kDrawPolygonStripName = "ZelkGrPrimitiveRendererVS::DrawPolygonStrip";
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

const D3DVERTEXELEMENT9 kVertexDeclaration[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    {0, 24, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 1},
    {0, 36, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 2},
    {0, 48, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 3},
    D3DDECL_END()};

constexpr std::uint32_t kRecordCount = ZelkGrVertexBuffer::kRecordCount;
constexpr std::uint32_t kRecordSize = ZelkGrVertexBuffer::kRecordSize;
// The most triangles of one polygon that one pass through the buffer holds.
constexpr std::uint32_t kTrianglesPerBuffer = kRecordCount / 3;

void WriteRecord(std::uint8_t* record, const GrVertex& vertex)
{
    std::memcpy(record, &vertex, sizeof(GrVertex));
    std::memset(record + sizeof(GrVertex), 0, kRecordSize - sizeof(GrVertex));
}

}  // namespace

ZelkGrPrimitiveRendererVS::ZelkGrPrimitiveRendererVS(IDirect3DDevice9* device, std::uint32_t width,
                                                     std::uint32_t height, const ZelkGrRendererSettings& settings)
    : ZelkGrPrimitiveRenderer(device, width, height, settings)
{
    screenToProjection[0] = static_cast<float>(width * 0.5);
    screenToProjection[1] = static_cast<float>(height * 0.5 - 1.0);
    screenToProjection[2] = static_cast<float>(2.0 / width);
    screenToProjection[3] = static_cast<float>(2.0 / height);
    std::fill(fogFactors, fogFactors + 64, 1.0f);
    std::memset(&lastVertex, 0, sizeof lastVertex);
    if (this->device != nullptr) {
        vertexBuffer = std::make_unique<ZelkGrVertexBuffer>(this->device, settings.useTriangleStrip != 0);
        const HRESULT result = this->device->CreateVertexDeclaration(kVertexDeclaration, &vertexDeclaration);
        if (FAILED(result)) {
            throw ZelkException(kDeclarationName, result, kDeclarationFailed);
        }
    }
}

ZelkGrPrimitiveRendererVS::~ZelkGrPrimitiveRendererVS()
{
    Shutdown();
    vertexBuffer.reset();
    vertexDeclaration = nullptr;
}

HMODULE ZelkGrPrimitiveRendererVS::ShaderModule()
{
    return GetModuleInstance();
}

std::string& ZelkGrPrimitiveRendererVS::LoadShaderFromResource(WORD id, const char* type, HMODULE module,
                                                               std::string& out)
{
    try {
        SetLastError(0);
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
        if (found == nullptr) {
            throw ZelkWin32Exception(kLoadName, kFindFailed);
        }
        HGLOBAL loaded = LoadResource(module, found);
        if (loaded == nullptr) {
            throw ZelkWin32Exception(kLoadName, kLoadFailed);
        }
        const DWORD size = SizeofResource(module, found);
        if (size == 0) {
            throw ZelkWin32Exception(kLoadName, kSizeFailed);
        }
        out.assign(static_cast<const char*>(LockResource(loaded)), size);
        return out;
    } catch (ZelkException& failure) {
        WriteErrorLog(failure);
        out.clear();
        throw;
    }
}

const char* ZelkGrPrimitiveRendererVS::SelectVertexShaderProfile(std::uint32_t version, IDirect3DDevice9* device,
                                                                 const char* thrower)
{
    switch (version) {
    case 1:
        return "vs_1_1";
    case 2:
        return "vs_2_0";
    case 3:
        return "vs_2_a";
    case 4:
        return "vs_2_sw";
    case 0:
    case 255:
        break;
    default:
        return "fail";
    }
    const char* best = D3DXGetVertexShaderProfile(device);
    if (best == nullptr) {
        throw ZelkException(thrower, static_cast<HRESULT>(E_FAIL), kProfileFailed);
    }
    if (std::strcmp(best, "vs_3_0") != 0) {
        return best;
    }
    // Direct3D 9 pairs no vs_3_0 shader with a ps_1_3 one: the best 2.x
    // profile the device runs.
    D3DCAPS9 caps = {};
    device->GetDeviceCaps(&caps);
    const D3DVSHADERCAPS2_0& vs20 = caps.VS20Caps;
    const bool twoA = (vs20.Caps & D3DVS20CAPS_PREDICATION) != 0 && vs20.DynamicFlowControlDepth >= 24 &&
                      vs20.NumTemps >= 13 && vs20.StaticFlowControlDepth >= 4;
    return twoA ? "vs_2_a" : "vs_2_0";
}

void ZelkGrPrimitiveRendererVS::ApplyFogTable(const ZelkGrFogTable& table)
{
    ZelkGrPrimitiveRenderer::ApplyFogTable(table);
    const float scale = 1.0f / 255.0f;
    for (int i = 0; i < 64; ++i) {
        fogFactors[i] = static_cast<float>(table.entries[i]) * scale;
    }
}

bool ZelkGrPrimitiveRendererVS::RenderMain(ZelkGrRenderPackage& package)
{
    if (package.records.empty()) {
        return true;
    }
    try {
        BeginPackageScene(kRenderMainName);
        device->SetVertexDeclaration(vertexDeclaration);
        BeginConvertVertices();

        ZelkGrPackageCursor cursor;
        cursor.vertex = package.firstVertexIndex;
        for (const ZelkGrBatchRecord& record : package.records) {
            switch (record.kind) {
            case kBatchDraw: {
                ApplyBatchEntries(package, record, cursor);
                const std::uint32_t count =
                    std::min(record.VertexCount(), kRecordCount - std::min(cursor.vertex, kRecordCount));
                if (count == 0) {
                    break;
                }
                UpdateTexelPipeline();
                UpdateConvertVertices();
                device->SetStreamSource(0, vertexBuffer->Buffer(), 0, kRecordSize);
                DrawPrimitiveMultiPass(static_cast<D3DPRIMITIVETYPE>(record.PrimitiveType()), cursor.vertex, count);
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

bool ZelkGrPrimitiveRendererVS::BeginDraw(D3DPRIMITIVETYPE type, std::uint64_t room)
{
    if (renderBuffer != 1 || vertexBuffer == nullptr) {
        return false;
    }
    if (nextVertexIndex + room > kRecordCount) {
        // Record 0 is written again only once every package that draws from
        // the buffer has been played; the next lock discards the contents.
        nextVertexIndex = 0;
        Flush(true);
        vertexBuffer->Discard();
    } else if (currentPackage->records.size() >= ZelkGrRenderPackage::kMaxRecords) {
        Flush(false);
    }
    BeginBatch(type);
    return true;
}

void ZelkGrPrimitiveRendererVS::BeginBatch(D3DPRIMITIVETYPE type)
{
    if (openRecord.kind == kBatchDraw && openRecord.PrimitiveType() == static_cast<std::uint32_t>(type)) {
        return;
    }
    BeginRecord(kBatchDraw);
    openRecord.SetPrimitiveType(type);
}

void ZelkGrPrimitiveRendererVS::DrawPoint(const GrVertex* a)
{
    if (a == nullptr || !BeginDraw(D3DPT_POINTLIST, 1)) {
        return;
    }
    std::uint8_t* records = vertexBuffer->Lock(nextVertexIndex, 1);
    WriteRecord(records, *a);
    vertexBuffer->Unlock();
    lastVertex = *a;
    nextVertexIndex += 1;
    openRecord.AddVertices(1);
}

void ZelkGrPrimitiveRendererVS::DrawLine(const GrVertex* a, const GrVertex* b)
{
    if (a == nullptr || b == nullptr || !BeginDraw(D3DPT_LINELIST, 2)) {
        return;
    }
    std::uint8_t* records = vertexBuffer->Lock(nextVertexIndex, 2);
    WriteRecord(records, *a);
    WriteRecord(records + kRecordSize, *b);
    vertexBuffer->Unlock();
    lastVertex = *b;
    nextVertexIndex += 2;
    openRecord.AddVertices(2);
}

void ZelkGrPrimitiveRendererVS::DrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c)
{
    if (a == nullptr || b == nullptr || c == nullptr || !BeginDraw(D3DPT_TRIANGLELIST, 3)) {
        return;
    }
    std::uint8_t* records = vertexBuffer->Lock(nextVertexIndex, 3);
    WriteRecord(records, *a);
    WriteRecord(records + kRecordSize, *b);
    WriteRecord(records + 2 * kRecordSize, *c);
    vertexBuffer->Unlock();
    lastVertex = *c;
    nextVertexIndex += 3;
    openRecord.AddVertices(3);
}

template <typename Corner>
void ZelkGrPrimitiveRendererVS::DrawFan(std::uint32_t count, Corner corner)
{
    // Triangles (0, i, i + 1); a polygon too large for the buffer goes in
    // parts that each fit.
    std::uint32_t next = 1;
    std::uint32_t remaining = count - 2;
    while (remaining > 0) {
        const std::uint32_t part = std::min(remaining, kTrianglesPerBuffer);
        if (!BeginDraw(D3DPT_TRIANGLELIST, 3ull * part)) {
            return;
        }
        std::uint8_t* records = vertexBuffer->Lock(nextVertexIndex, 3 * part);
        for (std::uint32_t t = 0; t < part; ++t, ++next) {
            WriteRecord(records, corner(0));
            WriteRecord(records + kRecordSize, corner(next));
            WriteRecord(records + 2 * kRecordSize, corner(next + 1));
            records += 3 * kRecordSize;
        }
        vertexBuffer->Unlock();
        lastVertex = corner(next);
        nextVertexIndex += 3 * part;
        openRecord.AddVertices(3 * part);
        remaining -= part;
    }
}

template <typename Corner>
void ZelkGrPrimitiveRendererVS::DrawStrip(std::uint32_t count, Corner corner)
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
    // An open strip of more than two vertices is joined by degenerate
    // triangles, so that the polygon's first triangle starts at an even
    // position of the strip.
    const std::uint32_t joined = openRecord.VertexCount();
    std::uint32_t written = count;
    if (joined > 2) {
        written += joined % 2 != 0 ? 3 : 2;
    }
    std::uint8_t* records = vertexBuffer->Lock(nextVertexIndex, written);
    std::uint8_t* out = records;
    if (joined > 2) {
        WriteRecord(out, lastVertex);
        out += kRecordSize;
        if (joined % 2 != 0) {
            WriteRecord(out, lastVertex);
            out += kRecordSize;
        }
        WriteRecord(out, corner(0));
        out += kRecordSize;
    }
    // Zig-zag: 0, 1, n - 1, 2, n - 2, 3, ...
    std::uint32_t front = 0;
    std::uint32_t back = count - 1;
    std::uint32_t last = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        last = (i == 0 || i % 2 == 1) ? front++ : back--;
        WriteRecord(out, corner(last));
        out += kRecordSize;
    }
    vertexBuffer->Unlock();
    lastVertex = corner(last);
    nextVertexIndex += written;
    openRecord.AddVertices(written);
}

void ZelkGrPrimitiveRendererVS::DrawPolygon(int count, const int* indices, const GrVertex* vertices)
{
    if (count < 3 || indices == nullptr || vertices == nullptr || !IndicesValid(count, indices, kDrawPolygonName)) {
        return;
    }
    DrawFan(static_cast<std::uint32_t>(count), [=](std::uint32_t i) -> const GrVertex& { return vertices[indices[i]]; });
}

void ZelkGrPrimitiveRendererVS::DrawPolygonVertexList(int count, const GrVertex* vertices)
{
    if (count < 3 || vertices == nullptr) {
        return;
    }
    DrawFan(static_cast<std::uint32_t>(count), [=](std::uint32_t i) -> const GrVertex& { return vertices[i]; });
}

void ZelkGrPrimitiveRendererVS::DrawPolygonStrip(int count, const int* indices, const GrVertex* vertices)
{
    if (count < 3 || indices == nullptr || vertices == nullptr ||
        !IndicesValid(count, indices, kDrawPolygonStripName)) {
        return;
    }
    DrawStrip(static_cast<std::uint32_t>(count),
              [=](std::uint32_t i) -> const GrVertex& { return vertices[indices[i]]; });
}

void ZelkGrPrimitiveRendererVS::DrawPolygonVertexListStrip(int count, const GrVertex* vertices)
{
    if (count < 3 || vertices == nullptr) {
        return;
    }
    DrawStrip(static_cast<std::uint32_t>(count), [=](std::uint32_t i) -> const GrVertex& { return vertices[i]; });
}

}  // namespace zelk
