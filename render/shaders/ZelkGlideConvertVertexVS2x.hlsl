// ZelkGlideConvertVertexVS2x.hlsl
// Converts one Glide vertex into a Direct3D vertex in clip space with one
// shader for every Glide state: boolean constants select origin, depth,
// detail, fog and texture coordinates per draw batch.  FOGFACTORVALID
// (from the compiler's macro list) writes the fog factor to the FOG output.
// The definition prefixed vs_1_1 serves that profile, which has no
// branching: it computes every candidate and lets the booleans select; the
// plain definition serves every other profile and branches.
#ifndef ZELKGLIDE_CONVERTVERTEX_VS2X_HLSL
#define ZELKGLIDE_CONVERTVERTEX_VS2X_HLSL

#define CURRENT_FLOAT_TYPE FLOAT_TYPE_FLOAT
#include "ZelkCommonDefinition.hlsl"

#define GR_FOG_TABLE_SIZE 64

struct GrVertex {
    _float3_t position  : POSITION0;  // x, y, z
    _float3_t color     : TEXCOORD0;  // r, g, b (0 to 255)
    _float3_t ooz_a_oow : TEXCOORD1;  // ooz, a (0 to 255), oow
    _float3_t tmu0      : TEXCOORD2;  // TMU 0 sow, tow, oow
    _float3_t tmu1      : TEXCOORD3;  // TMU 1 sow, tow, oow
};

struct D3DVertex {
    _float4_t position   : POSITION;
    _float4_t color      : COLOR0;
#ifdef FOGFACTORVALID
    _float4_t detail     : COLOR1;
#else
    _float4_t detail_fog : COLOR1;  // x, y, z detail factor, w fog factor
#endif
    // Also without FOGFACTORVALID: a device that takes the fog factor of a
    // vertex shader from anywhere takes it from here.
    _float_t  fog        : FOG;
    _float2_t texcoord0  : TEXCOORD0;
    _float2_t texcoord1  : TEXCOORD1;
};

_float4_t detailParam = _float4_t(0.0, 0.0, 0.0, 0.0);   // detailBias, lodBiasValue, detailScale, detailMax
_float4_t tmuParam0 = _float4_t(0.0, 0.0, 0.0, 0.0);     // activeST, activeW, scalerS, scalerT of stage 0
_float4_t tmuParam1 = _float4_t(0.0, 0.0, 0.0, 0.0);     // the same for stage 1
_float4_t screenToProj = _float4_t(0.0, 0.0, 0.0, 0.0);  // width / 2, height / 2 - 1, 2 / width, 2 / height
_float_t  screenHeight = 0.0;                            // screen height - 1
_float_t  depthPrecision = 65535.0;                      // depth scale of w-buffering
_float_t  fogTable[GR_FOG_TABLE_SIZE] = {
    1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
    1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
    1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
    1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0 };
_bool_t   bOriginUpperLeft = true;
_bool_t   bDepthTypeZ = false;
_bool_t   bDepthTypeW = false;
_bool_t   bDetailFactor = false;
_bool_t   bFogTypeAlpha = false;
_bool_t   bFogTypeTable = false;
_bool_t   bTexCoord = false;

static const _float_t  rh65536 = 1.0 / 65536.0;
static const _float_t  rh65535 = 1.0 / 65535.0;
static const _float_t  rh255   = 1.0 / 255.0;
static const _float_t  log64   = 64.0 / 11.090354888959125;  // 64 / ln 65536
static const _float2_t zfactor = _float2_t(0xffff, 0xfffff);
static const _float_t  finiteLimit = 1.0e30;  // beyond any texture coordinate

// A stage's texture coordinates: activeST (0 or 1) picks the s, t pair,
// activeW (0, 1 or 2) the w that divides it (TMU 0's, TMU 1's or the
// vertex's), and the scales map it to the Direct3D texture.  The w is picked
// before its reciprocal is taken, so that an unused zero w never mixes in.
// A unit's fields that the hints do not select may hold anything (a program
// that uses one unit need not fill the other's): each is held to a finite
// range before the selection weighs it, so that a weight of 0 takes nothing
// of it (NaN or infinity times 0 is NaN).
_float2_t TexCoord(const GrVertex grv, _float_t oow, _float4_t param)
{
    _float3_t tmu0 = clamp(grv.tmu0, -finiteLimit, finiteLimit);
    _float3_t tmu1 = clamp(grv.tmu1, -finiteLimit, finiteLimit);
    _float3_t pick = clamp(_float3_t(1.0 - param.y, 1.0 - abs(param.y - 1.0), param.y - 1.0), 0.0, 1.0);
    _float_t w = dot(_float3_t(tmu0.z, tmu1.z, oow), pick);
    return lerp(tmu0.xy, tmu1.xy, param.x) * (1.0 / w) * param.zw;
}

void vs_1_1 VpMain_ConvertGrVertexToD3DVertex(in const GrVertex grv, out D3DVertex d3dv)
{
    _float_t ooz = grv.ooz_a_oow.x;
    _float_t a   = grv.ooz_a_oow.y;
    _float_t oow = grv.ooz_a_oow.z;

    _float2_t position = grv.position.xy;
    _float2_t reduced = position - floor(position * rh65536) * 65536.0 - 0.5;
    position = lerp(position, reduced, (_float_t)(position.x >= 65536.0));
    position.y = lerp(position.y, screenHeight - position.y, (_float_t)bOriginUpperLeft);
    position = (position - screenToProj.xy) * screenToProj.zw;

    // Both (Z, W) pairs from one clamp, then the booleans select.
    _float2_t ws = 1.0 / clamp(oow * _float2_t(zfactor.x, depthPrecision), _float2_t(1.0, 1.0),
                               _float2_t(zfactor.y, depthPrecision));
    _float2_t zw = _float2_t(0.0, 1.0);
    // W: z = 1 - oow for a depth buffer that compares z (linear across the
    // screen, growing with w); a device w-buffer ignores it.
    zw = lerp(zw, _float2_t(clamp(1.0 - oow, 0.0, 1.0), ws.y), (_float_t)bDepthTypeW);
    zw = lerp(zw, _float2_t(ooz * rh65535, ws.x), (_float_t)bDepthTypeZ);
    d3dv.position = _float4_t(position * zw.y, zw.x * zw.y, zw.y);
    d3dv.color = _float4_t(grv.color, a) * rh255;

    _float_t detail = clamp(abs(detailParam.x - detailParam.y - oow) * detailParam.z, 0.0, detailParam.w);

    _float_t fogIndex = clamp(log(1.0 / oow) * log64, 0.0, GR_FOG_TABLE_SIZE - 1);
    _float_t i0 = floor(fogIndex);
    _float_t i1 = ceil(fogIndex);
    _float_t tableFog = fogTable[i0] + (fogTable[i1] - fogTable[i0]) * (fogIndex - i0);
    _float_t fog = lerp(1.0, tableFog, (_float_t)bFogTypeTable);
    fog = lerp(fog, 1.0 - a * rh255, (_float_t)bFogTypeAlpha);
    d3dv.fog = fog;
#ifdef FOGFACTORVALID
    d3dv.detail = detail;
#else
    d3dv.detail_fog = _float4_t(detail, detail, detail, fog);
#endif

    d3dv.texcoord0 = TexCoord(grv, oow, tmuParam0);
    d3dv.texcoord1 = TexCoord(grv, oow, tmuParam1);
}

void VpMain_ConvertGrVertexToD3DVertex(in const GrVertex grv, out D3DVertex d3dv)
{
    _float_t ooz = grv.ooz_a_oow.x;
    _float_t a   = grv.ooz_a_oow.y;
    _float_t oow = grv.ooz_a_oow.z;

    _float2_t position = grv.position.xy;
    if (position.x >= 65536.0) {
        position = position - floor(position * rh65536) * 65536.0 - 0.5;
    }
    if (bOriginUpperLeft) {
        position.y = screenHeight - position.y;
    }
    position = (position - screenToProj.xy) * screenToProj.zw;

    if (bDepthTypeZ) {
        _float_t w = 1.0 / clamp(oow * zfactor.x, 1.0, zfactor.y);
        d3dv.position = _float4_t(position * w, ooz * rh65535 * w, w);
    } else if (bDepthTypeW) {
        _float_t w = 1.0 / clamp(oow * depthPrecision, 1.0, depthPrecision);
        // For a depth buffer that compares z: 1 - oow, linear across the
        // screen and growing with w.  A device w-buffer ignores it.
        d3dv.position = _float4_t(position * w, clamp(1.0 - oow, 0.0, 1.0) * w, w);
    } else {
        d3dv.position = _float4_t(position, 0.0, 1.0);
    }
    d3dv.color = _float4_t(grv.color, a) * rh255;

    _float_t detail = 0.0;
    if (bDetailFactor) {
        detail = clamp(abs(detailParam.x - detailParam.y - oow) * detailParam.z, 0.0, detailParam.w);
    }

    _float_t fog = 1.0;
    if (bFogTypeAlpha) {
        fog = 1.0 - a * rh255;
    } else if (bFogTypeTable) {
        _float_t fogIndex = clamp(log(1.0 / oow) * log64, 0.0, GR_FOG_TABLE_SIZE - 1);
        _float_t i0 = floor(fogIndex);
        _float_t i1 = ceil(fogIndex);
        fog = fogTable[i0] + (fogTable[i1] - fogTable[i0]) * (fogIndex - i0);
    }
    d3dv.fog = fog;
#ifdef FOGFACTORVALID
    d3dv.detail = detail;
#else
    d3dv.detail_fog = _float4_t(detail, detail, detail, fog);
#endif

    d3dv.texcoord0 = _float2_t(0.0, 0.0);
    d3dv.texcoord1 = _float2_t(0.0, 0.0);
    if (bTexCoord) {
        d3dv.texcoord0 = TexCoord(grv, oow, tmuParam0);
        d3dv.texcoord1 = TexCoord(grv, oow, tmuParam1);
    }
}

#endif // ZELKGLIDE_CONVERTVERTEX_VS2X_HLSL
