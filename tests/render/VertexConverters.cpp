// Software vertex converters: worked values of the conversion, checked in
// both converter sets, and the two sets compared over all 72 variants.
#include <gtest/gtest.h>

#include "framework/ZelkProcessor.h"
#include "glideapi/Glide2Types.h"
#include "render/ZelkGrVertexConverters.h"
#include "support/RenderBaseTestSupport.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace zelk;

namespace {

// Index = 36 ORIGIN + 12 DEPTHTYPE + 6 DETAILFACTOR + 2 FOGTYPE + TEXCOORD.
unsigned Index(unsigned origin, unsigned depth, unsigned detail, unsigned fog, unsigned tex)
{
    return 36 * origin + 12 * depth + 6 * detail + 2 * fog + tex;
}

struct Record {
    GrVertex v;
    float pad;
};
static_assert(sizeof(Record) == 64, "records are 64 bytes");

Record MakeVertex(float x, float y)
{
    Record r;
    std::memset(&r, 0, sizeof r);
    r.v.x = x;
    r.v.y = y;
    r.v.a = 255.0f;
    r.v.oow = 1.0f;
    r.v.tmuvtx[0].oow = 1.0f;
    r.v.tmuvtx[1].oow = 1.0f;
    return r;
}

struct Fixture {
    std::uint8_t fogTable[64];
    ZelkGrVertexConvertState state{};

    Fixture()
    {
        // Irregular steps so that interpolation is visible.
        for (int i = 0; i < 64; ++i) fogTable[i] = static_cast<std::uint8_t>(i * 3 + (i % 5) * 7);
        state.height = 480.0f;
        state.depthScale = 65535.0f;
        state.detailBias = 0.0f;
        state.lodBiasValue = 0.0f;
        state.detailScale = 1.0f;
        state.detailMax = 1.0f;
        state.scaleS[0] = state.scaleT[0] = state.scaleS[1] = state.scaleT[1] = 1.0f;
        state.fogTable = fogTable;
    }

    D3DVertex Convert(const ZelkGrConvertVerticesProc* set, unsigned index, const Record& in) const
    {
        D3DVertex out;
        std::memset(&out, 0xCD, sizeof out);
        set[index](state, 1, &in, &out);
        return out;
    }
};

struct SetCase {
    const char* name;
    const ZelkGrConvertVerticesProc* (*get)();
};
const SetCase kSets[] = {{"portable", &GetPortableVertexConverters}, {"3DNow!", &Get3DNowVertexConverters}};

bool Near(float expected, float actual, float relative = 2e-6f)
{
    return std::fabs(expected - actual) <= relative * std::fmax(1.0f, std::fabs(expected));
}

}  // namespace

TEST(VertexConverters, VariantIndexAndNames)
{
    EXPECT_EQ(0u, VertexConverterIndex(false, 0, false, 0, false));
    EXPECT_EQ(71u, VertexConverterIndex(true, 2, true, 2, true));
    EXPECT_EQ(Index(0, 1, 1, 2, 0), VertexConverterIndex(false, 1, true, 2, false));
    EXPECT_EQ(Index(1, 2, 0, 1, 1), VertexConverterIndex(true, 2, false, 1, true));
    // Unknown depth-buffer and fog modes count as disabled.
    EXPECT_EQ(Index(1, 0, 1, 0, 1), VertexConverterIndex(true, 7, true, 0xFFFFFFFFu, true));
    EXPECT_EQ(Index(0, 0, 0, 0, 0), VertexConverterIndex(false, 3, false, 3, false));

    EXPECT_STREQ("ConvertVertices_ORIGIN_LOWERLEFT_DEPTHTYPE_DISABLE_DETAILFACTOR_DISABLE_FOGTYPE_DISABLE_TEXCOORD_DISABLE",
                 VertexConverterName(0));
    EXPECT_STREQ("ConvertVertices_ORIGIN_UPPERLEFT_DEPTHTYPE_W_DETAILFACTOR_ENABLE_FOGTYPE_TABLE_TEXCOORD_ENABLE",
                 VertexConverterName(71));
    EXPECT_STREQ("ConvertVertices_ORIGIN_LOWERLEFT_DEPTHTYPE_Z_DETAILFACTOR_ENABLE_FOGTYPE_ALPHA_TEXCOORD_ENABLE",
                 VertexConverterName(21));
    EXPECT_EQ(nullptr, VertexConverterName(72));
}

TEST(VertexConverters, SetChosenByProcessorDetection)
{
    const ZelkCpuidFunction previous = SetCpuidFunction(&zelktest::CpuidAmd3DNow);
    ResetProcessorDetection();
    EXPECT_EQ(Get3DNowVertexConverters(), SelectVertexConverters());
    SetCpuidFunction(&zelktest::CpuidAmdPlain);
    ResetProcessorDetection();
    EXPECT_EQ(GetPortableVertexConverters(), SelectVertexConverters());
    SetCpuidFunction(previous);
    ResetProcessorDetection();
    EXPECT_NE(GetPortableVertexConverters(), Get3DNowVertexConverters());
}

TEST(VertexConverters, PositionWorkedValues)
{
    struct Case {
        unsigned origin;
        float x, y, outX, outY;
    };
    const Case cases[] = {
        {0, 100.0f, 50.0f, 100.0f, 429.0f},
        {0, 786532.0f, 786482.0f, 99.5f, 429.5f},
        {1, 100.0f, 50.0f, 100.0f, 50.0f},
        {1, 786532.0f, 786482.0f, 99.5f, 49.5f},
        {0, 65535.5f, 70000.0f, 65535.5f, 480.0f - 70000.0f - 1.0f},  // plain: x decides
        {1, 65536.0f, 50.0f, -0.5f, 49.5f},                             // snapped, sy = 0
        {0, 65536.0f, 50.0f, -0.5f, 429.5f},
    };
    Fixture f;
    for (const SetCase& set : kSets) {
        for (const Case& c : cases) {
            const D3DVertex out = f.Convert(set.get(), Index(c.origin, 0, 0, 0, 0), MakeVertex(c.x, c.y));
            EXPECT_TRUE(Near(c.outX, out.x) && Near(c.outY, out.y))
                << set.name << " origin " << c.origin << " (" << c.x << ", " << c.y << ") gave ("
                << out.x << ", " << out.y << ")";
            EXPECT_EQ(0.0f, out.z);
            EXPECT_EQ(1.0f, out.rhw);
        }
    }
}

TEST(VertexConverters, DepthWorkedValues)
{
    struct Case {
        unsigned depth;
        float ooz, oow, z, rhw;
    };
    const Case cases[] = {
        {1, 65535.0f, 0.01f, 1.0f, 655.35f},
        {1, 0.0f, 0.000001f, 0.0f, 1.0f},
        {1, 32767.5f, 0.0f, 0.5f, 1.0f},       // oow 0: rhw 1
        {1, -100.0f, 1.0f, 0.0f, 65535.0f},    // negative ooz raised to 0
        // Left-over oow values of a program that z-buffers without setting
        // oow: rhw stays finite, at most 16 times the depth scale.
        {1, 0.0f, INFINITY, 0.0f, 1048560.0f},
        {1, 0.0f, 1.0e38f, 0.0f, 1048560.0f},
        {1, 0.0f, -1.0f, 0.0f, 1.0f},
        {1, 0.0f, -INFINITY, 0.0f, 1.0f},
        {1, 0.0f, 16.0f, 0.0f, 1048560.0f},
        // W: z = 1 - oow, limited to 0..1, orders pixels as w does.
        {2, 65535.0f, 0.01f, 0.99f, 655.35f},
        {2, 0.0f, 0.1f, 0.9f, 6553.5f},
        {2, 0.0f, 1.0f / 7.5f, 1.0f - 1.0f / 7.5f, 65535.0f / 7.5f},
        {2, 0.0f, 0.0f, 1.0f, 1.0f},           // w infinite: farthest
        {2, 0.0f, 2.0f, 0.0f, 131070.0f},      // w below 1: nearest
        {2, 0.0f, -1.0f, 1.0f, 1.0f},
        {2, 0.0f, INFINITY, 0.0f, 1048560.0f},
        {2, 1.0f, NAN, 0.0f, 1.0f},            // not a number: w 1, rhw 1
    };
    Fixture f;
    for (const SetCase& set : kSets) {
        for (const Case& c : cases) {
            Record r = MakeVertex(10.0f, 10.0f);
            r.v.ooz = c.ooz;
            r.v.oow = c.oow;
            const D3DVertex out = f.Convert(set.get(), Index(1, c.depth, 0, 0, 0), r);
            EXPECT_TRUE(Near(c.z, out.z, 1e-6f) && Near(c.rhw, out.rhw, 1e-5f))
                << set.name << " depth " << c.depth << " ooz " << c.ooz << " oow " << c.oow
                << " gave z " << out.z << " rhw " << out.rhw;
        }
    }
}

TEST(VertexConverters, ColourFogAndDetailBytes)
{
    Fixture f;
    const std::uint8_t* T = f.fogTable;
    struct Case {
        const char* what;
        unsigned detail, fog;
        float r, g, b, a, oow;
        std::uint32_t diffuse;
        std::uint32_t specular;  // whole specular word
        int fogTolerance;
    };
    auto alpha = [](unsigned byte) { return static_cast<std::uint32_t>(byte) << 24; };
    const float f45 = std::pow(2.0f, -1.125f);  // fog index 4.5
    const Case cases[] = {
        {"channels", 0, 0, 127.9f, 0.5f, 255.0f, 255.0f, 1.0f, 0xFF7F00FFu, 0, 0},
        {"out of range and NaN", 0, 0, -5.0f, 300.0f, NAN, 12.0f, 1.0f, 0x0C00FF00u, 0, 0},
        {"fog alpha 0", 0, 1, 0, 0, 0, 0.0f, 1.0f, 0x00000000u, alpha(255), 0},
        {"fog alpha 255", 0, 1, 0, 0, 0, 255.0f, 1.0f, 0xFF000000u, alpha(0), 0},
        {"fog alpha 100.7", 0, 1, 0, 0, 0, 100.7f, 1.0f, 0x64000000u, alpha(155), 0},
        {"fog table near", 0, 2, 0, 0, 0, 255.0f, 2.0f, 0xFF000000u, alpha(T[0]), 0},
        {"fog table w 1", 0, 2, 0, 0, 0, 255.0f, 1.0f, 0xFF000000u, alpha(T[0]), 0},
        {"fog table far", 0, 2, 0, 0, 0, 255.0f, std::pow(2.0f, -15.75f), 0xFF000000u, alpha(T[63]), 1},
        {"fog table farther", 0, 2, 0, 0, 0, 255.0f, std::pow(2.0f, -17.0f), 0xFF000000u, alpha(T[63]), 0},
        {"fog table oow 0", 0, 2, 0, 0, 0, 255.0f, 0.0f, 0xFF000000u, alpha(T[63]), 0},
        {"fog table 4.5", 0, 2, 0, 0, 0, 255.0f, f45, 0xFF000000u,
         alpha(static_cast<unsigned>(T[4] + (T[5] - T[4]) * 0.5f)), 1},
        {"fog table 32", 0, 2, 0, 0, 0, 255.0f, 1.0f / 256.0f, 0xFF000000u, alpha(T[32]), 1},
        {"detail 0.5", 1, 0, 0, 0, 0, 255.0f, 0.5f, 0xFF000000u, 0xFF7F7F7Fu, 0},
        {"detail 2.0 limited", 1, 0, 0, 0, 0, 255.0f, 2.0f, 0xFF000000u, 0xFFFFFFFFu, 0},
        {"detail with fog alpha", 1, 1, 0, 0, 0, 55.0f, 0.5f, 0x37000000u, 0xC87F7F7Fu, 0},
    };
    for (const SetCase& set : kSets) {
        for (const Case& c : cases) {
            Record r = MakeVertex(1.0f, 1.0f);
            r.v.r = c.r;
            r.v.g = c.g;
            r.v.b = c.b;
            r.v.a = c.a;
            r.v.oow = c.oow;
            const D3DVertex out = f.Convert(set.get(), Index(0, 0, c.detail, c.fog, 0), r);
            EXPECT_EQ(c.diffuse, out.diffuse) << set.name << ": " << c.what;
            EXPECT_EQ(c.specular & 0x00FFFFFFu, out.specular & 0x00FFFFFFu) << set.name << ": " << c.what;
            const int expectedAlpha = static_cast<int>(c.specular >> 24), actualAlpha = static_cast<int>(out.specular >> 24);
            EXPECT_LE(std::abs(expectedAlpha - actualAlpha), c.fogTolerance)
                << set.name << ": " << c.what << " alpha " << actualAlpha << " expected " << expectedAlpha;
        }
    }
}

TEST(VertexConverters, TextureCoordinatesFollowHints)
{
    Fixture f;
    f.state.scaleS[0] = 256.0f;
    f.state.scaleT[0] = 128.0f;
    f.state.scaleS[1] = 2.0f;
    f.state.scaleT[1] = 4.0f;
    Record r = MakeVertex(1.0f, 1.0f);
    r.v.oow = 0.25f;                 // w 4
    r.v.tmuvtx[0] = {0.5f, 0.25f, 0.5f};   // w0 2
    r.v.tmuvtx[1] = {0.125f, 0.75f, 0.1f}; // w1 10
    struct Case {
        std::uint32_t st0, w0, st1, w1;
        float u0, v0, u1, v1;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0.5f * 2 * 256, 0.25f * 2 * 128, 0.5f * 2 * 2, 0.25f * 2 * 4},
        {1, 2, 0, 1, 0.125f * 4 * 256, 0.75f * 4 * 128, 0.5f * 10 * 2, 0.25f * 10 * 4},
        {0, 1, 1, 2, 0.5f * 10 * 256, 0.25f * 10 * 128, 0.125f * 4 * 2, 0.75f * 4 * 4},
    };
    for (const SetCase& set : kSets) {
        for (const Case& c : cases) {
            f.state.activeST[0] = c.st0;
            f.state.activeW[0] = c.w0;
            f.state.activeST[1] = c.st1;
            f.state.activeW[1] = c.w1;
            const D3DVertex out = f.Convert(set.get(), Index(0, 0, 0, 0, 1), r);
            EXPECT_TRUE(Near(c.u0, out.u0, 1e-5f) && Near(c.v0, out.v0, 1e-5f) &&
                        Near(c.u1, out.u1, 1e-5f) && Near(c.v1, out.v1, 1e-5f))
                << set.name << " hints " << c.st0 << c.w0 << c.st1 << c.w1 << ": " << out.u0 << ", "
                << out.v0 << ", " << out.u1 << ", " << out.v1;
        }
        // Without texture coordinates the fields are left as they were.
        const D3DVertex untouched = f.Convert(set.get(), Index(0, 0, 0, 0, 0), r);
        std::uint32_t bits;
        std::memcpy(&bits, &untouched.u0, 4);
        EXPECT_EQ(0xCDCDCDCDu, bits) << set.name;
    }
}

// Both sets over all 72 variants on a batch of varied vertices; also odd
// counts, a count of one and a count of zero.
TEST(VertexConverters, PortableAnd3DNowSetsAgree)
{
    Fixture f;
    f.state.detailBias = 0.3f;
    f.state.lodBiasValue = 0.1f;
    f.state.detailScale = 3.0f;
    f.state.detailMax = 0.8f;
    f.state.activeST[0] = 1;
    f.state.activeW[0] = 2;
    f.state.activeW[1] = 1;
    f.state.scaleS[0] = 64.0f;
    f.state.scaleT[1] = 32.0f;
    std::vector<Record> in;
    for (int i = 0; i < 37; ++i) {
        const float t = static_cast<float>(i);
        Record r = MakeVertex(i % 4 == 0 ? 65536.0f * 3 + t * 7.25f : t * 17.5f, 3.0f + t * 11.0f);
        r.v.ooz = t * 1771.0f;
        r.v.oow = 1.0f / (1.0f + t * t * 37.0f);
        r.v.r = t * 7.3f;
        r.v.g = 255.0f - t * 5.1f;
        r.v.b = t * 0.9f;
        r.v.a = 10.0f + t * 6.0f;
        r.v.tmuvtx[0] = {t * 0.01f, 1.0f - t * 0.02f, r.v.oow * 2.0f};
        r.v.tmuvtx[1] = {t * 0.03f, t * 0.005f, r.v.oow * 0.5f};
        in.push_back(r);
    }
    // Values outside Glide's ranges: both sets limit them alike.
    in[5].v.r = NAN;
    in[5].v.a = 1.0e9f;
    in[5].v.oow = NAN;
    in[6].v.x = NAN;
    in[6].v.g = -3.0f;
    in[6].v.oow = 0.0f;
    in[7].v.x = 3.0e9f;
    in[7].v.y = -70000.0f;
    in[7].v.ooz = -5.0f;
    const ZelkGrConvertVerticesProc* portable = GetPortableVertexConverters();
    const ZelkGrConvertVerticesProc* amd = Get3DNowVertexConverters();
    for (std::uint32_t count : {37u, 1u, 0u}) {
        for (unsigned variant = 0; variant < 72; ++variant) {
            std::vector<D3DVertex> a(38), b(38);
            std::memset(a.data(), 0x5A, a.size() * sizeof(D3DVertex));
            std::memset(b.data(), 0x5A, b.size() * sizeof(D3DVertex));
            portable[variant](f.state, count, in.data(), a.data());
            amd[variant](f.state, count, in.data(), b.data());
            for (std::uint32_t i = 0; i < 38; ++i) {
                const std::string where = std::string(VertexConverterName(variant)) + " count " +
                                          std::to_string(count) + " record " + std::to_string(i);
                if (i >= count) {
                    // Nothing past the count is written.
                    const std::vector<std::uint8_t> untouched(sizeof(D3DVertex), 0x5A);
                    ASSERT_EQ(0, std::memcmp(untouched.data(), &a[i], sizeof(D3DVertex))) << where;
                    ASSERT_EQ(0, std::memcmp(untouched.data(), &b[i], sizeof(D3DVertex))) << where;
                    continue;
                }
                const float* fa = &a[i].x;
                const float* fb = &b[i].x;
                for (int k : {0, 1, 2, 3, 6, 7, 8, 9}) {
                    if (std::isnan(fa[k]) && std::isnan(fb[k])) continue;
                    // An oow of 0 gives infinite coordinates in one set, very large ones in the other.
                    if (std::fabs(fa[k]) > 1e30f && std::fabs(fb[k]) > 1e30f) continue;
                    ASSERT_TRUE(Near(fa[k], fb[k], 1e-5f)) << where << " field " << k << ": " << fa[k] << " vs " << fb[k];
                }
                ASSERT_EQ(a[i].diffuse, b[i].diffuse) << where;
                ASSERT_EQ(a[i].specular & 0x00FFFFFFu, b[i].specular & 0x00FFFFFFu) << where;
                ASSERT_LE(std::abs(static_cast<int>(a[i].specular >> 24) - static_cast<int>(b[i].specular >> 24)), 1)
                    << where;
            }
        }
    }
}
