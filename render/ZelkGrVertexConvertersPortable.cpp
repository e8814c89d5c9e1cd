// The portable converter set: one loop per variant, extended precision,
// results stored as 32-bit floats.
#include "render/ZelkGrVertexConvertersDetail.h"

#include "glideapi/Glide2Types.h"

#include <cmath>

namespace zelk {
namespace {

using namespace convert_detail;

const float log64 = InitFogIndexScale();

std::uint32_t FogTableByte(const std::uint8_t* table, double oow)
{
    double f = std::log(1.0 / oow) * log64;
    if (!(f >= 0.0)) f = std::isnan(f) ? 63.0 : 0.0;
    if (f > 63.0) f = 63.0;
    const double i0 = std::floor(f);
    const double i1 = std::ceil(f);
    const double t0 = table[static_cast<unsigned>(i0)];
    const double t1 = table[static_cast<unsigned>(i1)];
    return static_cast<std::uint32_t>(t0 + (t1 - t0) * (f - i0));
}

std::uint32_t DetailByte(const ZelkGrVertexConvertState& s, double oow)
{
    double d = std::fabs(static_cast<double>(s.detailBias) - s.lodBiasValue - oow) * s.detailScale;
    if (d > s.detailMax) d = s.detailMax;
    if (!(d > 0.0)) d = 0.0;
    d *= 255.0;
    return d >= 255.0 ? 255u : static_cast<std::uint32_t>(d);
}

template <unsigned O, unsigned D, unsigned E, unsigned F, unsigned T>
struct PortableConverter {
    static void Convert(const ZelkGrVertexConvertState& s, std::uint32_t count,
                        const void* input, D3DVertex* out)
    {
        const auto* record = static_cast<const std::uint8_t*>(input);
        const double height = s.height;
        const double rhwLimit = static_cast<double>(s.depthScale) * kRhwLimit;
        // Whose w and whose sow/tow each stage reads: fixed for the batch.
        const unsigned w0Source = WSource(s.activeW[0]), w1Source = WSource(s.activeW[1]);
        const unsigned st0Source = STSource(s.activeST[0]), st1Source = STSource(s.activeST[1]);
        for (std::uint32_t n = 0; n < count; ++n, record += kGrVertexRecordSize, ++out) {
            const GrVertex& v = *reinterpret_cast<const GrVertex*>(record);

            // Position.
            if (v.x < kSnapThreshold) {
                out->x = v.x;
                out->y = O == ORIGIN_UPPERLEFT ? v.y : static_cast<float>(height - v.y - 1.0);
            } else {
                const double sx = SnapOffset(v.x), sy = SnapOffset(v.y);
                out->x = static_cast<float>(v.x - sx - 0.5);
                out->y = O == ORIGIN_UPPERLEFT ? static_cast<float>(v.y - sy - 0.5)
                                               : static_cast<float>(height - (v.y - sy) - 0.5);
            }

            // Depth.
            if (D == DEPTHTYPE_DISABLE) {
                out->z = 0.0f;
                out->rhw = 1.0f;
            } else {
                if (D == DEPTHTYPE_Z) {
                    // A negative ooz is raised to 0, as the packed set does.
                    const double z = v.ooz * static_cast<double>(kDepthReciprocal);
                    out->z = z > 0.0 ? static_cast<float>(z) : 0.0f;
                } else {
                    out->z = WDepth(v.oow);
                }
                const double rhw = static_cast<double>(v.oow) * s.depthScale;
                out->rhw = rhw >= 1.0 ? static_cast<float>(rhw < rhwLimit ? rhw : rhwLimit) : 1.0f;
            }

            // Colours.
            out->diffuse = ChannelByte(v.a) << 24 | ChannelByte(v.r) << 16 |
                           ChannelByte(v.g) << 8 | ChannelByte(v.b);
            std::uint32_t specular = 0;
            if (E == DETAILFACTOR_ENABLE) {
                specular = DetailByte(s, v.oow) * 0x010101u;
                if (F == FOGTYPE_DISABLE) specular |= 0xFF000000u;
            }
            if (F == FOGTYPE_ALPHA) specular |= (255u - ChannelByte(v.a)) << 24;
            if (F == FOGTYPE_TABLE) specular |= FogTableByte(s.fogTable, v.oow) << 24;
            out->specular = specular;

            // Texture coordinates.
            if (T == TEXCOORD_ENABLE) {
                const float oow[3] = {v.tmuvtx[0].oow, v.tmuvtx[1].oow, v.oow};
                const double w0 = 1.0 / oow[w0Source], w1 = 1.0 / oow[w1Source];
                const GrTmuVertex& st0 = v.tmuvtx[st0Source];
                const GrTmuVertex& st1 = v.tmuvtx[st1Source];
                out->u0 = static_cast<float>(st0.sow * w0 * s.scaleS[0]);
                out->v0 = static_cast<float>(st0.tow * w0 * s.scaleT[0]);
                out->u1 = static_cast<float>(st1.sow * w1 * s.scaleS[1]);
                out->v1 = static_cast<float>(st1.tow * w1 * s.scaleT[1]);
            }
        }
    }
};

constexpr auto kPortable =
    ConverterTable<PortableConverter>::Build(std::make_integer_sequence<unsigned, kVertexConverterCount>());

}  // namespace

const ZelkGrConvertVerticesProc* GetPortableVertexConverters()
{
    return kPortable.entries;
}

}  // namespace zelk
