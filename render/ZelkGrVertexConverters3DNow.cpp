// The converter set for processors with the 3DNow! extension.
//
// Written in portable C++: Mm stands for one 64-bit register of two singles
// and the Pf* helpers compute what the packed instructions of the same name
// compute (single precision throughout, the reciprocal from an estimate of
// about 12 bits refined by one Newton-Raphson step, float-to-integer
// conversions that saturate).  Each driver reads the renderer's state once
// into a parameter block, converts two records per step with the pair forms
// of its stage routines and the last record of an odd count with the
// one-vertex forms.
#include "render/ZelkGrVertexConvertersDetail.h"

#include "glideapi/Glide2Types.h"

#include <cfloat>
#include <cstring>

namespace zelk {
namespace {

using namespace convert_detail;

const float log64 = InitFogIndexScale();

// ---------------------------------------------------------------------------
// Packed single-precision arithmetic.

struct Mm {
    float lo, hi;
};

struct MmMask {
    std::uint32_t lo, hi;
};

inline Mm PfAdd(Mm a, Mm b) { return {a.lo + b.lo, a.hi + b.hi}; }
inline Mm PfSub(Mm a, Mm b) { return {a.lo - b.lo, a.hi - b.hi}; }
inline Mm PfMul(Mm a, Mm b) { return {a.lo * b.lo, a.hi * b.hi}; }
// A NaN operand gives the other operand, as the packed minimum and maximum do
// with operands they do not order.
inline float Max1(float a, float b) { return a > b ? a : b; }
inline float Min1(float a, float b) { return a < b ? a : b; }
inline Mm PfMax(Mm a, Mm b) { return {Max1(a.lo, b.lo), Max1(a.hi, b.hi)}; }
inline Mm PfMin(Mm a, Mm b) { return {Min1(a.lo, b.lo), Min1(a.hi, b.hi)}; }
inline MmMask PfCmpGe(Mm a, Mm b)
{
    return {a.lo >= b.lo ? 0xFFFFFFFFu : 0u, a.hi >= b.hi ? 0xFFFFFFFFu : 0u};
}

inline std::uint32_t Bits(float f)
{
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}
inline float Float(std::uint32_t u)
{
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}
inline Mm Select(MmMask mask, Mm ifSet, Mm ifClear)
{
    return {Float((Bits(ifSet.lo) & mask.lo) | (Bits(ifClear.lo) & ~mask.lo)),
            Float((Bits(ifSet.hi) & mask.hi) | (Bits(ifClear.hi) & ~mask.hi))};
}
inline float PfAbs(float a) { return Float(Bits(a) & 0x7FFFFFFFu); }

// Saturating truncation to a signed 32-bit integer; NaN gives 0.
inline std::int32_t Pf2Id(float a)
{
    if (!(a == a)) return 0;
    if (a >= 2147483647.0f) return 2147483647;
    if (a <= -2147483648.0f) return INT32_MIN;
    return static_cast<std::int32_t>(a);
}
inline float Pi2Fd(std::int32_t i) { return static_cast<float>(i); }

// Reciprocal: the estimate (about 12 bits), then the two iteration steps.
// The estimate of 0 is the largest single, of an infinity 0.
inline float PfRcpEstimate(float b)
{
    if (b == 0.0f) return std::signbit(b) ? -FLT_MAX : FLT_MAX;
    const float exact = 1.0f / b;
    if (exact == 0.0f || !(exact == exact)) return exact;
    return Float(Bits(exact) & 0xFFFFF800u);
}
inline float PfRcp(float b)
{
    const float x0 = PfRcpEstimate(b);
    if (x0 == 0.0f || PfAbs(x0) == FLT_MAX || !(x0 == x0)) return x0;
    const float step1 = 1.0f - b * x0;  // PFRCPIT1
    return x0 + x0 * step1;              // PFRCPIT2
}

// Natural logarithm of a single as the packed routine computes it: the
// exponent times ln 2 plus a series in t = (m - 1) / (m + 1) for the mantissa
// m in [1, 2).  Zero gives -FLT_MAX; a negative value or NaN gives NaN.
inline float PfLog(float x)
{
    if (!(x > 0.0f)) return x == 0.0f ? -FLT_MAX : Float(0x7FC00000u);
    if (x >= FLT_MAX) return 88.72284f;
    std::uint32_t bits = Bits(x);
    int exponent = static_cast<int>((bits >> 23) & 0xFF);
    if (exponent == 0) {  // denormal: scale into the normal range
        x *= 8388608.0f;
        bits = Bits(x);
        exponent = static_cast<int>((bits >> 23) & 0xFF) - 23;
    }
    const float m = Float((bits & 0x007FFFFFu) | 0x3F800000u);
    const float t = (m - 1.0f) * PfRcp(m + 1.0f);
    const float t2 = t * t;
    const float series =
        t * (2.0f + t2 * (2.0f / 3.0f + t2 * (2.0f / 5.0f + t2 * (2.0f / 7.0f + t2 * (2.0f / 9.0f)))));
    return static_cast<float>(exponent - 127) * 0.69314718f + series;
}
inline float PfFloor(float f) { return Pi2Fd(Pf2Id(f)); }  // f >= 0 here
inline float PfCeil(float f)
{
    const float i = PfFloor(f);
    return f > i ? i + 1.0f : i;
}

// ---------------------------------------------------------------------------
// Parameter block, built once per call.

struct Params {
    Mm lowerLeftPlain;    // (0.0, H - 1.0)
    Mm lowerLeftSnapped;  // (0.5, H - 0.5)
    Mm depthScale;        // doubled
    Mm rhwLimit;          // (1.0, kRhwLimit x depthScale): lower and upper rhw
    Mm lodBiasValue, detailBias, detailScale, detailMax;
    MmMask wMask[2][3];   // stage k uses w source j
    MmMask stMask[2][2];  // stage k uses TMU j's sow/tow
    Mm scale[2];          // (s scale, t scale) of stage k
    std::uint8_t fogTable[kFogTableSize];
};

inline Mm Twice(float f) { return {f, f}; }
inline MmMask Mask(bool b) { return b ? MmMask{~0u, ~0u} : MmMask{0, 0}; }

void BuildParams(const ZelkGrVertexConvertState& s, unsigned fogType, Params& p)
{
    p.lowerLeftPlain = {0.0f, s.height - 1.0f};
    p.lowerLeftSnapped = {0.5f, s.height - 0.5f};
    p.depthScale = Twice(s.depthScale);
    p.rhwLimit = {1.0f, s.depthScale * kRhwLimit};
    p.lodBiasValue = Twice(s.lodBiasValue);
    p.detailBias = Twice(s.detailBias);
    p.detailScale = Twice(s.detailScale);
    p.detailMax = Twice(s.detailMax);
    for (int k = 0; k < 2; ++k) {
        for (unsigned j = 0; j < 3; ++j) p.wMask[k][j] = Mask(WSource(s.activeW[k]) == j);
        for (unsigned j = 0; j < 2; ++j) p.stMask[k][j] = Mask(STSource(s.activeST[k]) == j);
        p.scale[k] = {s.scaleS[k], s.scaleT[k]};
    }
    if (fogType == FOGTYPE_TABLE) std::memcpy(p.fogTable, s.fogTable, kFogTableSize);
}

inline const GrVertex& In(const std::uint8_t* records, unsigned lane)
{
    return *reinterpret_cast<const GrVertex*>(records + lane * kGrVertexRecordSize);
}

// ---------------------------------------------------------------------------
// Stage routines; N = 1 is the one-vertex form, N = 2 the pair form.

template <unsigned O, unsigned N>
void ConvertPosition(const Params& p, const std::uint8_t* in, D3DVertex* out)
{
    for (unsigned lane = 0; lane < N; ++lane) {
        const GrVertex& v = In(in, lane);
        const Mm xy = {v.x, v.y};
        const MmMask snapped = PfCmpGe({v.x, v.x}, Twice(kSnapThreshold));
        const Mm offset = {static_cast<float>(SnapOffset(v.x)), static_cast<float>(SnapOffset(v.y))};
        Mm plain, snap;
        if (O == ORIGIN_UPPERLEFT) {
            plain = xy;
            snap = PfSub(PfSub(xy, offset), Twice(0.5f));
        } else {
            // (0 + x, (H - 1) - y) and ((x - sx) - 0.5, (H - 0.5) - (y - sy)).
            const Mm flipped = {v.x, -v.y};
            plain = PfAdd(p.lowerLeftPlain, flipped);
            const Mm local = PfSub(xy, offset);
            snap = {local.lo - p.lowerLeftSnapped.lo, p.lowerLeftSnapped.hi - local.hi};
        }
        // An x that is not a number is not less than the threshold.
        const bool nanX = !(v.x == v.x);
        const Mm position = nanX ? snap : Select(snapped, snap, plain);
        out[lane].x = position.lo;
        out[lane].y = position.hi;
    }
}

template <unsigned D, unsigned N>
void ConvertDepth(const Params& p, const std::uint8_t* in, D3DVertex* out)
{
    for (unsigned lane = 0; lane < N; ++lane) {
        const GrVertex& v = In(in, lane);
        if (D == DEPTHTYPE_DISABLE) {
            out[lane].z = 0.0f;
            out[lane].rhw = 1.0f;
            continue;
        }
        const Mm zw = PfMul({v.ooz, v.oow}, {kDepthReciprocal, p.depthScale.lo});
        const Mm limited = PfMax(zw, {0.0f, p.rhwLimit.lo});
        out[lane].z = D == DEPTHTYPE_Z ? limited.lo : WDepth(v.oow);
        // The maximum first gives 1.0 for an rhw that is not a number.
        out[lane].rhw = Min1(limited.hi, p.rhwLimit.hi);
    }
}

// Colour building blocks.
inline std::uint32_t ChannelBytePacked(float c)
{
    return static_cast<std::uint32_t>(Pf2Id(PfMin(PfMax({c, c}, Twice(0.0f)), Twice(255.0f)).lo));
}
inline std::uint32_t PackDiffuse(const GrVertex& v)
{
    return ChannelBytePacked(v.a) << 24 | ChannelBytePacked(v.r) << 16 |
           ChannelBytePacked(v.g) << 8 | ChannelBytePacked(v.b);
}
inline std::uint32_t FogAlphaByte(const GrVertex& v)
{
    return (255u - ChannelBytePacked(v.a)) << 24;
}
inline std::uint32_t FogTableByte(const Params& p, const GrVertex& v)
{
    float f = PfLog(PfRcp(v.oow)) * log64;
    if (!(f == f)) f = 63.0f;
    f = Min1(Max1(f, 0.0f), 63.0f);
    const float i0 = PfFloor(f), i1 = PfCeil(f);
    const float t0 = p.fogTable[Pf2Id(i0)], t1 = p.fogTable[Pf2Id(i1)];
    return static_cast<std::uint32_t>(Pf2Id(t0 + (t1 - t0) * (f - i0))) << 24;
}
inline std::uint32_t DetailBytes(const Params& p, const GrVertex& v)
{
    float d = PfAbs(p.detailBias.lo - p.lodBiasValue.lo - v.oow) * p.detailScale.lo;
    if (!(d == d)) d = 0.0f;
    d = Max1(Min1(d, p.detailMax.lo), 0.0f);
    const std::uint32_t byte = static_cast<std::uint32_t>(Pf2Id(Min1(d * 255.0f, 255.0f)));
    return byte * 0x010101u;
}
inline std::uint32_t NoFogAlpha() { return 0xFF000000u; }

template <unsigned E, unsigned F, unsigned N>
void ConvertColor(const Params& p, const std::uint8_t* in, D3DVertex* out)
{
    for (unsigned lane = 0; lane < N; ++lane) {
        const GrVertex& v = In(in, lane);
        std::uint32_t specular = 0;
        if (E == DETAILFACTOR_ENABLE) specular |= DetailBytes(p, v) | (F == FOGTYPE_DISABLE ? NoFogAlpha() : 0);
        if (F == FOGTYPE_ALPHA) specular |= FogAlphaByte(v);
        if (F == FOGTYPE_TABLE) specular |= FogTableByte(p, v);
        out[lane].diffuse = PackDiffuse(v);
        out[lane].specular = specular;
    }
}

template <unsigned N>
void ConvertTexCoord(const Params& p, const std::uint8_t* in, D3DVertex* out)
{
    for (unsigned lane = 0; lane < N; ++lane) {
        const GrVertex& v = In(in, lane);
        const Mm tmuW = {PfRcp(v.tmuvtx[0].oow), PfRcp(v.tmuvtx[1].oow)};
        const float vertexW = PfRcp(v.oow);
        const Mm st0 = {v.tmuvtx[0].sow, v.tmuvtx[0].tow};
        const Mm st1 = {v.tmuvtx[1].sow, v.tmuvtx[1].tow};
        Mm uv[2];
        for (int k = 0; k < 2; ++k) {
            const Mm w = Select(p.wMask[k][0], Twice(tmuW.lo),
                                Select(p.wMask[k][1], Twice(tmuW.hi), Twice(vertexW)));
            const Mm st = Select(p.stMask[k][0], st0, st1);
            uv[k] = PfMul(PfMul(st, w), p.scale[k]);
        }
        out[lane].u0 = uv[0].lo;
        out[lane].v0 = uv[0].hi;
        out[lane].u1 = uv[1].lo;
        out[lane].v1 = uv[1].hi;
    }
}

// ---------------------------------------------------------------------------
// Drivers.

template <unsigned O, unsigned D, unsigned E, unsigned F, unsigned T>
struct Amd3DNowConverter {
    template <unsigned N>
    static void Step(const Params& p, const std::uint8_t* in, D3DVertex* out)
    {
        ConvertPosition<O, N>(p, in, out);
        ConvertDepth<D, N>(p, in, out);
        ConvertColor<E, F, N>(p, in, out);
        if (T == TEXCOORD_ENABLE) ConvertTexCoord<N>(p, in, out);
    }

    static void Convert(const ZelkGrVertexConvertState& s, std::uint32_t count,
                        const void* input, D3DVertex* out)
    {
        if (count == 0) return;
        Params p;
        BuildParams(s, F, p);
        const auto* in = static_cast<const std::uint8_t*>(input);
        for (; count >= 2; count -= 2, in += 2 * kGrVertexRecordSize, out += 2) {
            __builtin_prefetch(in + 128);
            __builtin_prefetch(in + 224);
            __builtin_prefetch(reinterpret_cast<const std::uint8_t*>(out) + 96, 1);
            __builtin_prefetch(reinterpret_cast<const std::uint8_t*>(out) + 160, 1);
            Step<2>(p, in, out);
        }
        if (count == 1) Step<1>(p, in, out);
    }
};

constexpr auto k3DNow =
    ConverterTable<Amd3DNowConverter>::Build(std::make_integer_sequence<unsigned, kVertexConverterCount>());

}  // namespace

const ZelkGrConvertVerticesProc* Get3DNowVertexConverters()
{
    return k3DNow.entries;
}

}  // namespace zelk
