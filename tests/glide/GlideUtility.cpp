// Utility computations that need no front end: fog tables, the constant
// colour from floats and the combine shorthands.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "glide/ZelkGlideUtility.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

TEST(GlideUtility, FogTableIndexToW)
{
    EXPECT_FLOAT_EQ(zelk::FogTableIndexToW(0), 1.0f);
    EXPECT_FLOAT_EQ(zelk::FogTableIndexToW(1), 8.0f / 7.0f);
    EXPECT_FLOAT_EQ(zelk::FogTableIndexToW(4), 2.0f);
    EXPECT_FLOAT_EQ(zelk::FogTableIndexToW(63), 262144.0f / 5.0f);
}

// Reference: (1 - e^(-d w)) / (1 - e^(-d w63)) * 255, truncated.
TEST(GlideUtility, ExponentialFogIsNormalisedToEndAt255)
{
    GrFog_t table[64];
    for (float density : {0.0001f, 0.002f, 0.5f}) {
        zelk::FogGenerateExp(table, density);
        const double w63 = 262144.0 / 5.0;
        for (int i : {0, 10, 31, 50}) {
            const double w = std::pow(2.0, (i >> 2) + 3.0) / (8 - (i & 3));
            const double expected = (1 - std::exp(-density * w)) / (1 - std::exp(-density * w63)) * 255.0;
            EXPECT_NEAR(table[i], expected, 1.0) << density << " entry " << i;
        }
        EXPECT_EQ(table[63], 255);
        for (int i = 1; i < 64; ++i) {
            EXPECT_GE(table[i], table[i - 1]);
        }
    }
    // Density 0 would divide 0 by 0: the table is the limit, w / w63.
    for (auto generate : {&zelk::FogGenerateExp, &zelk::FogGenerateExp2}) {
        for (float density : {0.0f, kNaN}) {
            generate(table, density);
            EXPECT_EQ(table[63], 255);
            EXPECT_EQ(table[0], 0);
        }
        generate(table, -kInf);
        EXPECT_EQ(table[63], 255);
    }
    zelk::FogGenerateExp2(table, 0.0f);
    EXPECT_EQ(table[59], 127);  // (2^17 / 5) / (2^18 / 5) * 255
    // A small density squares to a slower curve than Exp, but still ends at 255.
    zelk::FogGenerateExp2(table, 0.00005f);
    EXPECT_EQ(table[63], 255);
    EXPECT_LT(table[40], 255);
}

TEST(GlideUtility, LinearFogClampsNearAndFar)
{
    GrFog_t table[64];
    zelk::FogGenerateLinear(table, 0.0f, 1000.0f);
    EXPECT_EQ(table[0], 0);     // 1 * 255 / 1000, truncated
    EXPECT_EQ(table[16], 4);    // 16 * 255 / 1000
    EXPECT_EQ(table[63], 255);  // clamped
    // far not above near: far = near + epsilon, a step at near.
    zelk::FogGenerateLinear(table, 2.0f, 1.0f);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[4], 0);
    EXPECT_EQ(table[5], 255);
    zelk::FogGenerateLinear(table, kNaN, kNaN);
    EXPECT_EQ(table[0], 255);
}

TEST(GlideUtility, ConstantColorFromFloatsIsClampedFirst)
{
    EXPECT_EQ(zelk::PackConstantColor4(1.0f, 0.5f, 0.0f, 1.0f), 0xFF7F00FFu);
    EXPECT_EQ(zelk::PackConstantColor4(2.0f, -1.0f, kNaN, kInf), 0xFF0000FFu);
    EXPECT_EQ(zelk::PackConstantColor4(-kInf, 1e30f, 0.999f, 0.0f), 0x00FFFE00u);
}

TEST(GlideUtility, CombineShorthands)
{
    struct Case {
        std::uint32_t code;
        bool does;
        zelk::CombineArguments arguments;
    };
    const Case colorCases[] = {
        {0, true, {0, 0, 1, 2, 0}}, {4, true, {3, 8, 1, 1, 0}}, {7, false, {}},  {9, true, {3, 2, 1, 1, 0}},
        {13, true, {7, 4, 1, 0, 0}}, {16, true, {1, 8, 1, 2, 0}}, {17, false, {}}, {0xFFFFFFFF, false, {}},
    };
    for (const Case& c : colorCases) {
        zelk::CombineArguments got{};
        ASSERT_EQ(zelk::ColorCombineArguments(c.code, got), c.does) << c.code;
        if (c.does) {
            EXPECT_EQ(got.function, c.arguments.function) << c.code;
            EXPECT_EQ(got.factor, c.arguments.factor) << c.code;
            EXPECT_EQ(got.local, c.arguments.local) << c.code;
            EXPECT_EQ(got.other, c.arguments.other) << c.code;
        }
    }
    const Case alphaCases[] = {
        {0, true, {1, 0, 1, 2, 0}}, {1, true, {1, 0, 0, 2, 0}}, {2, true, {3, 8, 1, 1, 0}}, {3, true, {3, 4, 1, 0, 0}},
        {4, false, {}},
    };
    for (const Case& c : alphaCases) {
        zelk::CombineArguments got{};
        ASSERT_EQ(zelk::AlphaSourceArguments(c.code, got), c.does) << c.code;
        if (c.does) {
            EXPECT_EQ(got.function, c.arguments.function);
            EXPECT_EQ(got.factor, c.arguments.factor);
            EXPECT_EQ(got.local, c.arguments.local);
            EXPECT_EQ(got.other, c.arguments.other);
        }
    }
}

}  // namespace
