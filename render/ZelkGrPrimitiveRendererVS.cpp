#include "render/ZelkGrPrimitiveRendererVS.h"

#include <algorithm>
#include <cstring>

#include "framework/ZelkD3DXInclude.h"
#include "framework/ZelkException.h"
#include "render/ZelkGrPrimitiveRendererVSCompiler.h"

namespace zelk {

namespace {

const ZelkGrPrimitiveRendererRecords::ThrowerNames kThrowerNames = {
    "ZelkGrPrimitiveRendererVS::RenderMain", "ZelkGrPrimitiveRendererVS::DrawPolygon",
    "ZelkGrPrimitiveRendererVS::DrawPolygonStrip"};
const char* const kDeclarationName = "ZelkGrPrimitiveRendererVS::ZelkGrPrimitiveRendererVS";
const char* const kDeclarationFailed = "The function [ IDirect3DDevice9::CreateVertexDeclaration ] failed.";
const char* const kLoadName = "ZelkGrPrimitiveRendererVS::LoadShaderFromResource";
const char* const kFindFailed = "The function [ WIN32API::FindResource ] failed.";
const char* const kLoadFailed = "The function [ WIN32API::LoadResource ] failed.";
const char* const kSizeFailed = "The function [ WIN32API::SizeofResource ] failed.";
const char* const kProfileFailed = "The function [ D3DXGetVertexShaderProfile ] failed.";
const char* const kIncludeName = "ZelkCommonDefinition.hlsl";
const char* const kShaderResourceType = "hlsl";
constexpr WORD kIncludeResource = 108;
const char* const kEntryPoint = "VpMain_ConvertGrVertexToD3DVertex";
const char* const kCompileFailed = "The function [ D3DXCompileShader ] failed.";
const char* const kCreateFailed = "The function [ IDirect3DDevice9::CreateVertexShader ] failed.";
const D3DVERTEXELEMENT9 kVertexDeclaration[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    {0, 24, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 1},
    {0, 36, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 2},
    {0, 48, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 3},
    D3DDECL_END()};

static_assert(ZelkGrVertexBuffer::kRecordCount == ZelkGrPrimitiveRendererRecords::kRecordCount &&
                  ZelkGrVertexBuffer::kRecordSize == ZelkGrPrimitiveRendererRecords::kRecordSize,
              "the vertex buffer holds the records");

}  // namespace

ZelkGrConvertShaderSource::ZelkGrConvertShaderSource(WORD sourceResource, HMODULE module)
    : include(D3DXINC_LOCAL, kIncludeName, kIncludeResource, kShaderResourceType, module)
{
    ZelkGrPrimitiveRendererVS::LoadShaderFromResource(sourceResource, kShaderResourceType, module, text);
}

ZelkGrPrimitiveRendererVS::ZelkGrPrimitiveRendererVS(IDirect3DDevice9* device, std::uint32_t width,
                                                     std::uint32_t height, const ZelkGrRendererSettings& settings)
    : ZelkGrPrimitiveRendererRecords(device, width, height, settings, kThrowerNames),
      shaderModule(settings.shaderModule)
{
    screenToProjection[0] = static_cast<float>(width * 0.5);
    screenToProjection[1] = static_cast<float>(height * 0.5 - 1.0);
    screenToProjection[2] = static_cast<float>(2.0 / width);
    screenToProjection[3] = static_cast<float>(2.0 / height);
    std::fill(fogFactors, fogFactors + 64, 1.0f);
    if (this->device != nullptr) {
        vertexBuffer = std::make_unique<ZelkGrVertexBuffer>(this->device, settings.useTriangleStrip != 0);
        recordStore = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(kRecordCount) * kRecordSize);
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

void ZelkGrPrimitiveRendererVS::BuildConvertShader(const char* source, const D3DXMACRO* macros, ID3DXInclude* include,
                                                   const char* profile, const char* thrower,
                                                   IDirect3DVertexShader9Ptr& shader,
                                                   ID3DXConstantTablePtr& constantTable,
                                                   const char* const* constantNames, int count, D3DXHANDLE* handles)
{
    ID3DXBufferPtr code;
    ID3DXBufferPtr messages;
    HRESULT result = CompileShader(source, static_cast<UINT>(lstrlenA(source)), macros, include, kEntryPoint, profile,
                                   0, &code, &messages, &constantTable);
    if (FAILED(result)) {
        std::string message = kCompileFailed;
        if (messages != nullptr) {
            std::string text;
            message += "\n" + BufferToString(messages, text);
        }
        throw ZelkException(thrower, result, message);
    }
    result = device->CreateVertexShader(static_cast<const DWORD*>(code->GetBufferPointer()), &shader);
    if (FAILED(result)) {
        throw ZelkException(thrower, result, kCreateFailed);
    }
    for (int h = 0; h < count; ++h) {
        handles[h] = constantTable->GetConstantByName(nullptr, constantNames[h]);
    }
}

D3DXVECTOR4 ZelkGrPrimitiveRendererVS::DetailParameters() const
{
    const ZelkGrTmuState& tmu = tmuState[0];
    return D3DXVECTOR4(tmu.detailBias, tmu.lodBiasValue, tmu.detailScale, tmu.detailMax);
}

D3DXVECTOR4 ZelkGrPrimitiveRendererVS::StageParameters(int stage) const
{
    return D3DXVECTOR4(static_cast<float>(tmuState[stage].activeST), static_cast<float>(tmuState[stage].activeW),
                       stageBindings[stage].sScale, stageBindings[stage].tScale);
}

void ZelkGrPrimitiveRendererVS::ApplyFogTable(const ZelkGrFogTable& table)
{
    ZelkGrPrimitiveRenderer::ApplyFogTable(table);
    const float scale = 1.0f / 255.0f;
    for (int i = 0; i < 64; ++i) {
        fogFactors[i] = static_cast<float>(table.entries[i]) * scale;
    }
}

void ZelkGrPrimitiveRendererVS::RecordsWrapped()
{
    vertexBuffer->Discard();
}

std::uint8_t* ZelkGrPrimitiveRendererVS::LockRecords(std::uint32_t first, std::uint32_t)
{
    return &recordStore[static_cast<std::size_t>(first) * kRecordSize];
}

void ZelkGrPrimitiveRendererVS::UploadRecords(std::uint32_t first, std::uint32_t count)
{
    vertexBuffer->Upload(&recordStore[static_cast<std::size_t>(first) * kRecordSize], first, count);
}

void ZelkGrPrimitiveRendererVS::BeginPackageDraws()
{
    device->SetVertexDeclaration(vertexDeclaration);
    BeginConvertVertices();
}

void ZelkGrPrimitiveRendererVS::DrawBatch(D3DPRIMITIVETYPE type, std::uint32_t first, std::uint32_t count)
{
    UpdateConvertVertices();
    device->SetStreamSource(0, vertexBuffer->Buffer(), 0, kRecordSize);
    DrawPrimitiveMultiPass(type, first, count);
}

}  // namespace zelk
