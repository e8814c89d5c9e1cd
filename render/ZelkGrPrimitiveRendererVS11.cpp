#include "render/ZelkGrPrimitiveRendererVS11.h"

#include <cstring>

#include "framework/ZelkD3DXInclude.h"
#include "framework/ZelkException.h"

namespace zelk {

namespace {

constexpr WORD kSourceResource = 117;

const char* const kConstantNames[ZelkGrConvertVerticesShader::Count] = {
    "detailParam", "tmuParam0", "tmuParam1", "screenToProj", "screenHeight", "depthPrecision", "fogTable",
};

// The value words of the five selectors, by their number.
const char* const kOrigins[] = {"ORIGIN_LOWERLEFT", "ORIGIN_UPPERLEFT"};
const char* const kDepthTypes[] = {"DEPTHTYPE_DISABLE", "DEPTHTYPE_Z", "DEPTHTYPE_W"};
const char* const kDetailFactors[] = {"DETAILFACTOR_DISABLE", "DETAILFACTOR_ENABLE"};
const char* const kFogTypes[] = {"FOGTYPE_DISABLE", "FOGTYPE_ALPHA", "FOGTYPE_TABLE"};
const char* const kTexCoords[] = {"TEXCOORD_DISABLE", "TEXCOORD_ENABLE"};

const D3DXMACRO kValueMacros[] = {
    {"ORIGIN_LOWERLEFT", "0"},     {"ORIGIN_UPPERLEFT", "1"},    {"DEPTHTYPE_DISABLE", "0"},
    {"DEPTHTYPE_Z", "1"},          {"DEPTHTYPE_W", "2"},         {"DETAILFACTOR_DISABLE", "0"},
    {"DETAILFACTOR_ENABLE", "1"},  {"FOGTYPE_DISABLE", "0"},     {"FOGTYPE_ALPHA", "1"},
    {"FOGTYPE_TABLE", "2"},        {"TEXCOORD_DISABLE", "0"},    {"TEXCOORD_ENABLE", "1"},
};
constexpr std::size_t kValueMacroCount = sizeof kValueMacros / sizeof kValueMacros[0];

struct Selectors {
    std::uint32_t origin, depth, detail, fog, texcoord;
};

Selectors SelectorsOf(std::uint32_t index)
{
    return {index / 36, index / 12 % 3, index / 6 % 2, index / 2 % 3, index % 2};
}

}  // namespace

std::string ZelkGrPrimitiveRendererVS11::CreatorName(std::uint32_t index)
{
    const Selectors s = SelectorsOf(index % kVariantCount);
    // The value words without their selector's prefix.
    auto word = [](const char* value) { return std::strchr(value, '_') + 1; };
    return std::string("ZelkGrPrimitiveRendererVS11::CreateConvertVertices_ORIGIN_") + word(kOrigins[s.origin]) +
           "_DEPTHTYPE_" + word(kDepthTypes[s.depth]) + "_DETAILFACTOR_" + word(kDetailFactors[s.detail]) +
           "_FOGTYPE_" + word(kFogTypes[s.fog]) + "_TEXCOORD_" + word(kTexCoords[s.texcoord]);
}

ZelkGrPrimitiveRendererVS11::ZelkGrPrimitiveRendererVS11(IDirect3DDevice9* device, std::uint32_t width,
                                                         std::uint32_t height, const ZelkGrRendererSettings& settings)
    : ZelkGrPrimitiveRendererVS(device, width, height, settings)
{
    if (this->device == nullptr) {
        return;
    }
    ZelkGrConvertShaderSource source(kSourceResource, shaderModule);
    for (std::uint32_t index = 0; index < kVariantCount; ++index) {
        CreateConvertVertices(index, source.text.c_str(), &source.include);
    }
}

ZelkGrPrimitiveRendererVS11::~ZelkGrPrimitiveRendererVS11()
{
    Shutdown();
    for (ZelkGrConvertVerticesShader& entry : convertShaders) {
        entry.constantTable = nullptr;
        entry.shader = nullptr;
    }
}

void ZelkGrPrimitiveRendererVS11::CreateConvertVertices(std::uint32_t index, const char* source,
                                                        ID3DXInclude* include)
{
    const std::string thrower = CreatorName(index);
    const Selectors s = SelectorsOf(index);

    D3DXMACRO macros[kValueMacroCount + 7];
    std::size_t n = 0;
    for (const D3DXMACRO& value : kValueMacros) {
        macros[n++] = value;
    }
    macros[n++] = {"ORIGIN", kOrigins[s.origin]};
    macros[n++] = {"DEPTHTYPE", kDepthTypes[s.depth]};
    macros[n++] = {"DETAILFACTOR", kDetailFactors[s.detail]};
    macros[n++] = {"FOGTYPE", kFogTypes[s.fog]};
    macros[n++] = {"TEXCOORD", kTexCoords[s.texcoord]};
    if (settings.assumeOFogValid != 0 && (caps.PrimitiveMiscCaps & D3DPMISCCAPS_FOGANDSPECULARALPHA) != 0) {
        macros[n++] = {"FOGFACTORVALID", ""};
    }
    macros[n++] = {nullptr, nullptr};

    ZelkGrConvertVerticesShader entry;
    try {
        const char* profile = SelectVertexShaderProfile(settings.vertexShaderVersion, device, thrower.c_str());
        BuildConvertShader(source, macros, include, profile, thrower.c_str(), entry.shader, entry.constantTable,
                           kConstantNames, ZelkGrConvertVerticesShader::Count, entry.handles);
    } catch (ZelkException& failure) {
        WriteErrorLog(failure);
        throw;
    }
    convertShaders[index] = entry;
}

void ZelkGrPrimitiveRendererVS11::UpdateConvertVertices()
{
    const ZelkGrConvertVerticesShader& entry = convertShaders[VariantIndex()];
    device->SetVertexShader(entry.shader);
    if (entry.constantTable == nullptr) {
        return;
    }
    ID3DXConstantTable* table = entry.constantTable;
    const D3DXHANDLE* h = entry.handles;
    if (h[ZelkGrConvertVerticesShader::DetailParam] != nullptr) {
        const D3DXVECTOR4 value = DetailParameters();
        table->SetVector(device, h[ZelkGrConvertVerticesShader::DetailParam], &value);
    }
    for (int stage = 0; stage < 2; ++stage) {
        const D3DXHANDLE handle = h[ZelkGrConvertVerticesShader::TmuParam0 + stage];
        if (handle != nullptr) {
            const D3DXVECTOR4 value = StageParameters(stage);
            table->SetVector(device, handle, &value);
        }
    }
    if (h[ZelkGrConvertVerticesShader::ScreenToProj] != nullptr) {
        const D3DXVECTOR4 value(screenToProjection);
        table->SetVector(device, h[ZelkGrConvertVerticesShader::ScreenToProj], &value);
    }
    if (h[ZelkGrConvertVerticesShader::ScreenHeight] != nullptr) {
        table->SetFloat(device, h[ZelkGrConvertVerticesShader::ScreenHeight], static_cast<float>(height - 1));
    }
    if (h[ZelkGrConvertVerticesShader::DepthPrecision] != nullptr) {
        table->SetFloat(device, h[ZelkGrConvertVerticesShader::DepthPrecision], depthScale);
    }
    if (h[ZelkGrConvertVerticesShader::FogTable] != nullptr) {
        table->SetFloatArray(device, h[ZelkGrConvertVerticesShader::FogTable], fogFactors, 64);
    }
}

}  // namespace zelk
