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

// Table fog without the logarithm, floor, ceil and the indexed reads, in
// what this compiler takes: the same value to within a millionth of an
// entry.  The exponent of w = 1 / oow counts the powers 2^1 .. 2^16 at most
// w; a polynomial gives log2 of the mantissa (error below 4e-7); the
// interpolation between entries i0 and i1 is the sum of every entry
// weighted by max(0, 1 - |index - j|).  The table is read as sixteen
// four-entry vectors (kFogTableDeclaration), so that each weight group is
// one vector operation.
const char* const kFogTableDeclaration = "_float4_t fogTable[16];";
const char* const kSourceFogTableDeclaration = "_float_t  fogTable[GR_FOG_TABLE_SIZE];";

std::string TableFogEquivalent()
{
    // Each literal costs this compiler a constant register of its own, so
    // the text names its few constants once and reuses them; written out,
    // they would need more than the 256 constant registers of vs_2_0.
    std::string text =
        "    _float_t  fogOne = 1.0;\n"
        "    _float_t  fogZero = 0.0;\n"
        "    _float_t  fogHalf = 0.5;\n"
        "    _float_t  fogBig = 16777216.0;\n"
        "    _float_t  fogNext = 0.0625;\n"
        "    _float_t  fogW = fogOne / oow;\n"
        "    _float4_t fogScale = _float4_t(0.5, 0.25, 0.125, 0.0625);\n"
        "    _float4_t fogS = min(max((fogW * fogScale - fogOne) * fogBig + fogOne, fogZero), fogOne);\n"
        "    _float4_t fogSum = fogS;\n"
        "    _float4_t fogH = fogOne - fogHalf * fogS;\n";
    for (int group = 1; group < 4; ++group) {
        text +=
            "    fogScale = fogScale * fogNext;\n"
            "    fogS = min(max((fogW * fogScale - fogOne) * fogBig + fogOne, fogZero), fogOne);\n"
            "    fogSum = fogSum + fogS;\n"
            "    fogH = fogH * (fogOne - fogHalf * fogS);\n";
    }
    text +=
        "    _float_t  fogE = fogSum.x + fogSum.y + fogSum.z + fogSum.w;\n"
        "    _float_t  fogM = fogW * fogH.x * fogH.y * fogH.z * fogH.w - fogOne;\n"
        "    _float_t  fogL = 0.0144403525;\n"
        "    fogL = fogL * fogM - 0.0756513747;\n"
        "    fogL = fogL * fogM + 0.188752738;\n"
        "    fogL = fogL * fogM - 0.321960285;\n"
        "    fogL = fogL * fogM + 0.472086916;\n"
        "    fogL = fogL * fogM - 0.720316064;\n"
        "    fogL = fogL * fogM + 1.44264755;\n"
        "    fogL = fogL * fogM + 3.6856141e-07;\n"
        "    _float_t  fogIndex = min(max(4.0 * (fogE + fogL), fogZero), 63.0);\n"
        "    _float4_t fogAcc = fogIndex * fogZero;\n"
        "    _float4_t fogT = fogIndex - _float4_t(0.0, 1.0, 2.0, 3.0);\n"
        "    _float_t  fogStep = 4.0;\n";
    for (int group = 0; group < 16; ++group) {
        char line[160];
        std::snprintf(line, sizeof line,
                      "%s    fogAcc = fogAcc + max(fogOne - max(fogT, -fogT), fogZero) * fogTable[%d];\n",
                      group == 0 ? "" : "    fogT = fogT - fogStep;\n", group);
        text += line;
    }
    text += "    _float_t tableFog = fogAcc.x + fogAcc.y + fogAcc.z + fogAcc.w;\n";
    return text;
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
    _float_t z = ooz * rh65535 * bDepthTypeZ + min(max(1.0 - oow, 0.0), 1.0) * bDepthTypeW;
    d3dv.position = _float4_t(position * w, z * w, w);
    d3dv.color = _float4_t(grv.color, a) * rh255;
    _float_t difference = detailParam.x - detailParam.y - oow;
    _float_t detail = min(max(max(difference, -difference) * detailParam.z, 0.0), detailParam.w) * bDetailFactor;
    // Table fog reads the first entry only: this compiler copies every
    // constant into a temporary register of its own, and the exact table
    // fog (TableFogEquivalent) needs more than the 32 there are.
    _float_t tableFog = fogTable[0];
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

// The equivalent of a source this compiler cannot take, or empty when it
// takes the source as it is.
std::string Equivalent(const std::string& source)
{
    if (source.find("ZELKGLIDE_CONVERTVERTEX_VS2X_HLSL") != std::string::npos) {
        return kVS2xEquivalent;
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
        // The vs_1_1 source's table fog, written without the logarithm,
        // floor, ceil and the indexed reads, and its table as vectors.
        const std::size_t begin = text.find("    _float_t fogIndex");
        const std::size_t end = text.find("#endif", begin);
        const std::size_t declaration = text.find(kSourceFogTableDeclaration);
        if (begin != std::string::npos && end != std::string::npos && declaration != std::string::npos &&
            declaration < begin) {
            equivalent = text.substr(0, begin) + TableFogEquivalent() + "    _float_t fog = tableFog;\r\n" +
                         text.substr(end);
            equivalent.replace(declaration, std::strlen(kSourceFogTableDeclaration), kFogTableDeclaration);
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
