#include "render/ZelkGrPrimitiveRendererVS2x.h"

#include "framework/ZelkD3DXInclude.h"
#include "framework/ZelkException.h"

namespace zelk {

namespace {

const char* const kThrower = "ZelkGrPrimitiveRendererVS2x::CreateConvertVertices";
constexpr WORD kSourceResource = 118;

const char* const kConstantNames[ZelkGrPrimitiveRendererVS2x::HandleCount] = {
    "detailParam",      "tmuParam0",   "tmuParam1",   "screenToProj",  "screenHeight",
    "depthPrecision",   "fogTable",    "bOriginUpperLeft", "bDepthTypeZ", "bDepthTypeW",
    "bDetailFactor",    "bFogTypeAlpha", "bFogTypeTable", "bTexCoord",
};

}  // namespace

ZelkGrPrimitiveRendererVS2x::ZelkGrPrimitiveRendererVS2x(IDirect3DDevice9* device, std::uint32_t width,
                                                         std::uint32_t height, const ZelkGrRendererSettings& settings)
    : ZelkGrPrimitiveRendererVS(device, width, height, settings)
{
    if (this->device == nullptr) {
        return;
    }
    ZelkGrConvertShaderSource source(kSourceResource, shaderModule);
    CreateConvertVertices(source.text.c_str(), &source.include);
}

ZelkGrPrimitiveRendererVS2x::~ZelkGrPrimitiveRendererVS2x()
{
    Shutdown();
    constantTable = nullptr;
    vertexShader = nullptr;
}

void ZelkGrPrimitiveRendererVS2x::CreateConvertVertices(const char* source, ID3DXInclude* include)
{
    IDirect3DDevice9Ptr deviceRef(device);
    vertexShader = nullptr;
    constantTable = nullptr;
    try {
        const char* profile = SelectVertexShaderProfile(settings.vertexShaderVersion, deviceRef, kThrower);
        D3DXMACRO macros[2] = {{nullptr, nullptr}, {nullptr, nullptr}};
        if (settings.assumeOFogValid != 0 && (caps.PrimitiveMiscCaps & D3DPMISCCAPS_FOGANDSPECULARALPHA) != 0) {
            macros[0] = {"FOGFACTORVALID", ""};
        }
        BuildConvertShader(source, macros, include, profile, kThrower, vertexShader, constantTable, kConstantNames,
                           HandleCount, handles);
    } catch (ZelkException& failure) {
        WriteErrorLog(failure);
        vertexShader = nullptr;
        constantTable = nullptr;
        for (D3DXHANDLE& handle : handles) {
            handle = nullptr;
        }
        throw;
    }
}

void ZelkGrPrimitiveRendererVS2x::BeginConvertVertices()
{
    device->SetVertexShader(vertexShader);
    const D3DXVECTOR4 screen(screenToProjection);
    constantTable->SetVector(device, handles[ScreenToProj], &screen);
    constantTable->SetFloat(device, handles[DepthPrecision], depthScale);
    constantTable->SetFloat(device, handles[ScreenHeight], static_cast<float>(height - 1));
}

void ZelkGrPrimitiveRendererVS2x::UpdateConvertVertices()
{
    ID3DXConstantTable* table = constantTable;
    table->SetBool(device, handles[OriginUpperLeft], originUpperLeft != 0);
    table->SetBool(device, handles[DepthTypeZ], depthBufferMode == 1);
    table->SetBool(device, handles[DepthTypeW], depthBufferMode == 2);
    table->SetBool(device, handles[DetailFactor], detailFactorEnabled != 0);
    if (detailFactorEnabled != 0) {
        const D3DXVECTOR4 value = DetailParameters();
        table->SetVector(device, handles[DetailParam], &value);
    }
    table->SetBool(device, handles[FogTypeAlpha], fogMode == 1);
    table->SetBool(device, handles[FogTypeTable], fogMode == 2);
    if (fogMode == 2) {
        table->SetFloatArray(device, handles[FogTable], fogFactors, 64);
    }
    const bool texCoord = HasBoundTexture();
    table->SetBool(device, handles[TexCoord], texCoord);
    if (texCoord) {
        for (int stage = 0; stage < 2; ++stage) {
            const D3DXVECTOR4 value = StageParameters(stage);
            table->SetVector(device, handles[TmuParam0 + stage], &value);
        }
    }
}

}  // namespace zelk
