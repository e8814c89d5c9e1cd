// ZelkGlideConvertVertexVS11.hlsl
// Converts one Glide vertex (GrVertex as the vertex buffer holds it) into a
// Direct3D vertex in clip space.  Compiled once per variant; the compiler's
// macro list defines the five selectors and their values:
//   ORIGIN        ORIGIN_LOWERLEFT (0), ORIGIN_UPPERLEFT (1)
//   DEPTHTYPE     DEPTHTYPE_DISABLE (0), DEPTHTYPE_Z (1), DEPTHTYPE_W (2)
//   DETAILFACTOR  DETAILFACTOR_DISABLE (0), DETAILFACTOR_ENABLE (1)
//   FOGTYPE       FOGTYPE_DISABLE (0), FOGTYPE_ALPHA (1), FOGTYPE_TABLE (2)
//   TEXCOORD      TEXCOORD_DISABLE (0), TEXCOORD_ENABLE (1)
// and FOGFACTORVALID when the device writes the FOG output itself.
//
// Selections are written as lerps and clamped steps rather than with the
// conditional operator, comparisons or saturate, and the constants carry
// no initialisers (the renderer sets every constant a variant uses before
// it draws), so that every shader compiler in use accepts the text.
#ifndef ZELKGLIDE_CONVERTVERTEX_VS11_HLSL
#define ZELKGLIDE_CONVERTVERTEX_VS11_HLSL

#define CURRENT_FLOAT_TYPE FLOAT_TYPE_FLOAT
#include "ZelkCommonDefinition.hlsl"

#define GR_FOG_TABLE_SIZE 64

struct GrVertex {
    _float3_t position  : POSITION0;  // x, y, z
    _float3_t color     : TEXCOORD0;  // r, g, b (0 to 255)
    _float3_t ooz_a_oow : TEXCOORD1;  // ooz, a (0 to 255), oow
#if TEXCOORD == TEXCOORD_ENABLE
    // Declared only where read: an input that no instruction reads may be
    // given a register another input already has.
    _float3_t tmu0      : TEXCOORD2;  // TMU 0 sow, tow, oow
    _float3_t tmu1      : TEXCOORD3;  // TMU 1 sow, tow, oow
#endif
};

struct D3DVertex {
    _float4_t position : POSITION;
    _float4_t color    : COLOR0;
#ifdef FOGFACTORVALID
#if DETAILFACTOR == DETAILFACTOR_ENABLE
    _float4_t detail   : COLOR1;
#endif
#else
#if DETAILFACTOR == DETAILFACTOR_ENABLE || FOGTYPE != FOGTYPE_DISABLE
    _float4_t detail_fog : COLOR1;
#endif
#endif
#if FOGTYPE != FOGTYPE_DISABLE
    // Also without FOGFACTORVALID: a device that takes the fog factor of a
    // vertex shader from anywhere takes it from here.
    _float_t  fog      : FOG;
#endif
#if TEXCOORD == TEXCOORD_ENABLE
    _float2_t texcoord0 : TEXCOORD0;
    _float2_t texcoord1 : TEXCOORD1;
#endif
};

_float4_t detailParam;     // detailBias, lodBiasValue, detailScale, detailMax; default 0
_float4_t tmuParam0;       // activeST, activeW, scalerS, scalerT of stage 0; default 0
_float4_t tmuParam1;       // the same for stage 1; default 0
_float4_t screenToProj;    // width / 2, height / 2 - 1, 2 / width, 2 / height; default 0
_float_t  screenHeight;    // screen height - 1; default 0
_float_t  depthPrecision;  // W-buffer precision; default 65535.0
_float_t  fogTable[GR_FOG_TABLE_SIZE];  // fog factor per fog-table entry; default 1.0 each

static const _float_t  rh65536 = 1.0 / 65536.0;
static const _float_t  rh65535 = 1.0 / 65535.0;
static const _float_t  rh255   = 1.0 / 255.0;
static const _float_t  log64   = 64.0 / 11.090354888959125;  // 64 / ln 65536
static const _float2_t zfactor = _float2_t(0xffff, 0xfffff);
static const _float_t  roundBias = 12582912.0;  // 1.5 * 2^23
static const _float_t  finiteLimit = 1.0e30;     // beyond any texture coordinate

void VpMain_ConvertGrVertexToD3DVertex(in GrVertex grv, out D3DVertex d3dv)
{
    _float_t ooz = grv.ooz_a_oow.x;
    _float_t a   = grv.ooz_a_oow.y;
    _float_t oow = grv.ooz_a_oow.z;

    // Snap removal: coordinates at or above 65536 lose the snapping bias;
    // only x is tested.  snapped is 1 when x >= 65536, else 0.
    _float2_t position = grv.position.xy;
    _float_t  snapped  = min(max((position.x - 65536.0) * 1048576.0 + 1.0, 0.0), 1.0);
    // floor of v = position / 65536: the nearest integer (adding and taking
    // away 1.5 * 2^23 rounds a float below 2^22 to an integer), less one
    // where that rounded up.  The max keeps a compiler that regroups
    // additions from folding the round trip into v itself; it changes no
    // value where the result is used (x >= 65536, so v >= 1).
    _float2_t v        = position * rh65536;
    _float2_t nearest  = max(v + roundBias, roundBias) - roundBias;
    _float2_t vfloor   = nearest - min(max((nearest - v) * 1048576.0, 0.0), 1.0);
    _float2_t reduced  = position - vfloor * 65536.0 - 0.5;
    position = lerp(position, reduced, snapped);

#if ORIGIN == ORIGIN_UPPERLEFT
    position.xy	= _float2_t( position.x, screenHeight - position.y);
#endif
    position.xy	= ( position.xy - screenToProj.xy) * screenToProj.zw;

#if DEPTHTYPE == DEPTHTYPE_Z
    _float_t z = ooz * rh65535;
    _float_t w = 1.0 / min(max(oow * zfactor.x, 1.0), zfactor.y);
    d3dv.position = _float4_t(position * w, z * w, w);
#elif DEPTHTYPE == DEPTHTYPE_W
    _float_t w = 1.0 / min(max(oow * depthPrecision, 1.0), depthPrecision);
    // For a depth buffer that compares z: 1 - oow runs linearly across the
    // screen and grows with w.  A device w-buffer compares w and ignores it.
    _float_t z = min(max(1.0 - oow, 0.0), 1.0);
    d3dv.position = _float4_t(position * w, z * w, w);
#else
    d3dv.position = _float4_t(position, 0.0, 1.0);
#endif

    d3dv.color = _float4_t(grv.color, a) * rh255;

#if DETAILFACTOR == DETAILFACTOR_ENABLE
    _float_t difference = detailParam.x - detailParam.y - oow;
    _float_t detail = min(max(max(difference, -difference) * detailParam.z, 0.0), detailParam.w);
#endif

#if FOGTYPE == FOGTYPE_ALPHA
    _float_t fog = 1.0 - a * rh255;
#elif FOGTYPE == FOGTYPE_TABLE
    _float_t fogIndex = clamp(log(1.0 / oow) * log64, 0.0, GR_FOG_TABLE_SIZE - 1);
    _float_t i0 = floor(fogIndex);
    _float_t i1 = ceil(fogIndex);
    _float_t fog = fogTable[i0] + (fogTable[i1] - fogTable[i0]) * (fogIndex - i0);
#endif

#if FOGTYPE != FOGTYPE_DISABLE
    d3dv.fog = fog;
#endif
#ifdef FOGFACTORVALID
#if DETAILFACTOR == DETAILFACTOR_ENABLE
    d3dv.detail = detail;
#endif
#else
#if DETAILFACTOR == DETAILFACTOR_ENABLE && FOGTYPE != FOGTYPE_DISABLE
    d3dv.detail_fog = _float4_t(detail, detail, detail, fog);
#elif DETAILFACTOR == DETAILFACTOR_ENABLE
    d3dv.detail_fog = _float4_t(detail, detail, detail, 1.0);
#elif FOGTYPE != FOGTYPE_DISABLE
    d3dv.detail_fog = _float4_t(0.0, 0.0, 0.0, fog);
#endif
#endif

#if TEXCOORD == TEXCOORD_ENABLE
    // activeST (0 or 1) picks the s, t pair; activeW (0, 1 or 2) picks the
    // w that divides it: TMU 0's, TMU 1's or the vertex's.  The w is picked
    // before its reciprocal is taken, so that an unused zero w never mixes in.
    // A unit's fields that the hints do not select may hold anything (a
    // program that uses one unit need not fill the other's): each is held
    // to a finite range before the selection weighs it, so that a weight
    // of 0 takes nothing of it (NaN or infinity times 0 is NaN).
    _float3_t tmu0 = min(max(grv.tmu0, -finiteLimit), finiteLimit);
    _float3_t tmu1 = min(max(grv.tmu1, -finiteLimit), finiteLimit);
    _float3_t ws = _float3_t(tmu0.z, tmu1.z, oow);
    _float3_t pick0 = min(max(_float3_t(1.0 - tmuParam0.y, 1.0 - max(tmuParam0.y - 1.0, 1.0 - tmuParam0.y),
                                        tmuParam0.y - 1.0), 0.0), 1.0);
    _float3_t pick1 = min(max(_float3_t(1.0 - tmuParam1.y, 1.0 - max(tmuParam1.y - 1.0, 1.0 - tmuParam1.y),
                                        tmuParam1.y - 1.0), 0.0), 1.0);
    _float_t w0 = ws.x * pick0.x + ws.y * pick0.y + ws.z * pick0.z;
    _float_t w1 = ws.x * pick1.x + ws.y * pick1.y + ws.z * pick1.z;
    d3dv.texcoord0 = lerp(tmu0.xy, tmu1.xy, tmuParam0.x) * (1.0 / w0) * tmuParam0.zw;
    d3dv.texcoord1 = lerp(tmu0.xy, tmu1.xy, tmuParam1.x) * (1.0 / w1) * tmuParam1.zw;
#endif
}

#endif // ZELKGLIDE_CONVERTVERTEX_VS11_HLSL
