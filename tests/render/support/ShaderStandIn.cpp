#include "ShaderStandIn.h"

#include <cstdio>
#include <cstring>

#include "render/ZelkGrPrimitiveRendererVSCompiler.h"

namespace zelktest {

namespace {

std::mutex callsLock;
std::vector<ShaderCompileCall> calls;
unsigned failCountdown = 0;
HRESULT failResult = S_OK;
zelk::ShaderCompileFunction previous = nullptr;

// Table fog without the logarithm and the indexed reads: the first entry.
// This compiler's code for an exact equivalent needs more registers than a
// vs_2_0 shader has, and on a device without D3DPMISCCAPS_FOGANDSPECULARALPHA
// (as here) no fog unit reads the shaders' fog factor anyway.
std::string TableFogEquivalent()
{
    return "    _float_t tableFog = fogTable[0];\n";
}

// The plain definition of the vs_2_x source with constructs this compiler
// takes: the constants without initialisers, the branches as lerps by the
// booleans (which this compiler's constant table sets reliably only as
// floats).
const char* const kVS2xEquivalent = R"(
#define CURRENT_FLOAT_TYPE FLOAT_TYPE_FLOAT
#include "ZelkCommonDefinition.hlsl"
#define GR_FOG_TABLE_SIZE 64
struct GrVertex {
    _float3_t position  : POSITION0;
    _float3_t color     : TEXCOORD0;
    _float3_t ooz_a_oow : TEXCOORD1;
    _float3_t tmu0      : TEXCOORD2;
    _float3_t tmu1      : TEXCOORD3;
};
struct D3DVertex {
    _float4_t position   : POSITION;
    _float4_t color      : COLOR0;
#ifdef FOGFACTORVALID
    _float4_t detail     : COLOR1;
#else
    _float4_t detail_fog : COLOR1;
#endif
    _float_t  fog        : FOG;
    _float2_t texcoord0  : TEXCOORD0;
    _float2_t texcoord1  : TEXCOORD1;
};
_float4_t detailParam;
_float4_t tmuParam0;
_float4_t tmuParam1;
_float4_t screenToProj;
_float_t  screenHeight;
_float_t  depthPrecision;
_float_t  fogTable[GR_FOG_TABLE_SIZE];
// The booleans as 0 or 1 in float constants, selecting by lerp.
_float_t  bOriginUpperLeft;
_float_t  bDepthTypeZ;
_float_t  bDepthTypeW;
_float_t  bDetailFactor;
_float_t  bFogTypeAlpha;
_float_t  bFogTypeTable;
_float_t  bTexCoord;
static const _float_t  rh65536 = 1.0 / 65536.0;
static const _float_t  rh65535 = 1.0 / 65535.0;
static const _float_t  rh255   = 1.0 / 255.0;
static const _float2_t zfactor = _float2_t(0xffff, 0xfffff);
static const _float_t  roundBias = 12582912.0;
void VpMain_ConvertGrVertexToD3DVertex(in GrVertex grv, out D3DVertex d3dv)
{
    _float_t ooz = grv.ooz_a_oow.x;
    _float_t a   = grv.ooz_a_oow.y;
    _float_t oow = grv.ooz_a_oow.z;
    _float2_t position = grv.position.xy;
    _float_t  snapped  = min(max((position.x - 65536.0) * 1048576.0 + 1.0, 0.0), 1.0);
    _float2_t v        = position * rh65536;
    _float2_t nearest  = max(v + roundBias, roundBias) - roundBias;
    _float2_t vfloor   = nearest - min(max((nearest - v) * 1048576.0, 0.0), 1.0);
    position = lerp(position, position - vfloor * 65536.0 - 0.5, snapped);
    position.y = lerp(position.y, screenHeight - position.y, bOriginUpperLeft);
    position = (position - screenToProj.xy) * screenToProj.zw;
    _float_t wz = 1.0 / min(max(oow * zfactor.x, 1.0), zfactor.y);
    _float_t ww = 1.0 / min(max(oow * depthPrecision, 1.0), depthPrecision);
    _float_t w = lerp(lerp(1.0, ww, bDepthTypeW), wz, bDepthTypeZ);
    _float_t z = ooz * rh65535 * bDepthTypeZ;
    d3dv.position = _float4_t(position * w, z * w, w);
    d3dv.color = _float4_t(grv.color, a) * rh255;
    _float_t difference = detailParam.x - detailParam.y - oow;
    _float_t detail = min(max(max(difference, -difference) * detailParam.z, 0.0), detailParam.w) * bDetailFactor;
TABLE_FOG
    _float_t fog = lerp(lerp(1.0, tableFog, bFogTypeTable), 1.0 - a * rh255, bFogTypeAlpha);
    d3dv.fog = fog;
#ifdef FOGFACTORVALID
    d3dv.detail = detail;
#else
    d3dv.detail_fog = _float4_t(detail, detail, detail, fog);
#endif
    _float3_t tmu0 = min(max(grv.tmu0, -1.0e30), 1.0e30);
    _float3_t tmu1 = min(max(grv.tmu1, -1.0e30), 1.0e30);
    _float3_t ws = _float3_t(tmu0.z, tmu1.z, oow);
    _float3_t pick0 = min(max(_float3_t(1.0 - tmuParam0.y, 1.0 - max(tmuParam0.y - 1.0, 1.0 - tmuParam0.y),
                                        tmuParam0.y - 1.0), 0.0), 1.0);
    _float3_t pick1 = min(max(_float3_t(1.0 - tmuParam1.y, 1.0 - max(tmuParam1.y - 1.0, 1.0 - tmuParam1.y),
                                        tmuParam1.y - 1.0), 0.0), 1.0);
    _float_t w0 = ws.x * pick0.x + ws.y * pick0.y + ws.z * pick0.z;
    _float_t w1 = ws.x * pick1.x + ws.y * pick1.y + ws.z * pick1.z;
    d3dv.texcoord0 = lerp(tmu0.xy, tmu1.xy, tmuParam0.x) * (1.0 / w0) * tmuParam0.zw * bTexCoord;
    d3dv.texcoord1 = lerp(tmu0.xy, tmu1.xy, tmuParam1.x) * (1.0 / w1) * tmuParam1.zw * bTexCoord;
}
)";

void Replace(std::string& text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    if (at != std::string::npos) {
        text.replace(at, from.size(), to);
    }
}

// The equivalent of a source this compiler cannot take, or empty when it
// takes the source as it is.
std::string Equivalent(const std::string& source)
{
    if (source.find("ZELKGLIDE_CONVERTVERTEX_VS2X_HLSL") != std::string::npos) {
        std::string text = kVS2xEquivalent;
        Replace(text, "TABLE_FOG", TableFogEquivalent());
        return text;
    }
    return std::string();
}

bool TableFog(const D3DXMACRO* defines)
{
    for (const D3DXMACRO* m = defines; m != nullptr && m->Name != nullptr; ++m) {
        if (std::strcmp(m->Name, "FOGTYPE") == 0 && std::strcmp(m->Definition, "FOGTYPE_TABLE") == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

HRESULT WINAPI StandInCompileShader(LPCSTR source, UINT sourceLength, const D3DXMACRO* defines,
                                    LPD3DXINCLUDE include, LPCSTR functionName, LPCSTR profile, DWORD flags,
                                    LPD3DXBUFFER* shader, LPD3DXBUFFER* errorMessages,
                                    LPD3DXCONSTANTTABLE* constantTable)
{
    ShaderCompileCall call;
    for (const D3DXMACRO* m = defines; m != nullptr && m->Name != nullptr; ++m) {
        call.macros.emplace_back(m->Name, m->Definition != nullptr ? m->Definition : "");
    }
    call.profile = profile != nullptr ? profile : "(null)";
    std::string text(source, sourceLength);
    std::string equivalent = Equivalent(text);
    if (equivalent.empty() && TableFog(defines)) {
        // The vs_1_1 source's table fog, written without the logarithm and
        // the indexed reads.
        const std::size_t begin = text.find("    _float_t fogIndex");
        const std::size_t end = text.find("#endif", begin);
        if (begin != std::string::npos && end != std::string::npos) {
            equivalent = text.substr(0, begin) + TableFogEquivalent() + "    _float_t fog = tableFog;\r\n" +
                         text.substr(end);
        }
    }
    call.standIn = !equivalent.empty();
    bool fail = false;
    HRESULT failWith = S_OK;
    {
        std::lock_guard<std::mutex> hold(callsLock);
        calls.push_back(call);
        if (failCountdown > 0 && --failCountdown == 0) {
            fail = true;
            failWith = failResult;
        }
    }
    if (fail) {
        if (errorMessages != nullptr) {
            const char message[] = "stand-in: compile failed";
            D3DXCreateBuffer(sizeof message, errorMessages);
            std::memcpy((*errorMessages)->GetBufferPointer(), message, sizeof message);
        }
        return failWith;
    }
    if (!call.standIn) {
        return D3DXCompileShader(source, sourceLength, defines, include, functionName, profile, flags, shader,
                                 errorMessages, constantTable);
    }
    return D3DXCompileShader(equivalent.c_str(), static_cast<UINT>(equivalent.size()), defines, include,
                             functionName, "vs_2_0", flags, shader, errorMessages, constantTable);
}

ShaderStandIn::ShaderStandIn()
{
    ClearCalls();
    previous = zelk::SetShaderCompileFunction(&StandInCompileShader);
}

ShaderStandIn::~ShaderStandIn()
{
    zelk::SetShaderCompileFunction(previous);
    std::lock_guard<std::mutex> hold(callsLock);
    failCountdown = 0;
}

std::vector<ShaderCompileCall> ShaderStandIn::Calls()
{
    std::lock_guard<std::mutex> hold(callsLock);
    return calls;
}

void ShaderStandIn::ClearCalls()
{
    std::lock_guard<std::mutex> hold(callsLock);
    calls.clear();
}

void ShaderStandIn::FailCompile(unsigned nth, HRESULT result)
{
    std::lock_guard<std::mutex> hold(callsLock);
    failCountdown = nth;
    failResult = result;
}

}  // namespace zelktest
