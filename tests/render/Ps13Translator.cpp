// The ps_1_3 translator: every shader it writes is assembled and drawn on a
// real device, and the pixel is compared with an independent model of
// Glide's combine units.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "common/D3DProxy.h"
#include "common/DeviceFixture.h"
#include "common/TestDirectory.h"
#include "framework/ZelkD3DSurface.h"
#include "framework/ZelkException.h"
#include "render/ZelkGrTexPipelineTablesPS13.h"
#include "render/ZelkGrTexPipelineTranslatorPS13.h"
#include "support/GlideCombineModel.h"
#include <algorithm>
#include "support/ShaderTestDevice.h"

using zelk::ZelkException;
using zelk::ZelkGrPs13CombineState;
using zelk::ZelkGrTexPipelineTranslatorPS13;
using zelktest::ColorNear;

namespace {

// A colour in 0..1 per channel, red, green, blue, alpha.
struct Rgba {
    float c[4];
    static Rgba FromArgb(D3DCOLOR argb)
    {
        return {{((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f,
                 ((argb >> 24) & 0xFF) / 255.0f}};
    }
    D3DCOLOR ToArgb() const
    {
        auto byte = [](float v) { return static_cast<D3DCOLOR>(std::min(1.0f, std::max(0.0f, v)) * 255.0f + 0.5f); };
        return (byte(c[3]) << 24) | (byte(c[0]) << 16) | (byte(c[1]) << 8) | byte(c[2]);
    }
    zelktest::Rgba Model() const { return {c[0], c[1], c[2], c[3]}; }
    static Rgba FromModel(const zelktest::Rgba& m) { return {{m.r, m.g, m.b, m.a}}; }
};

struct GlideUnit {
    uint32_t function, factor, local, other, invert;
};

struct GlidePipeline {
    GlideUnit color, alpha, tmuColor[2], tmuAlpha[2];
};

struct GlidePixelInputs {
    Rgba iterated, constant, texel[2];
    float detail = 0.0f;
    bool chromakey = false;
    D3DCOLOR chromakeyColor = 0;
    bool itrgbLighting = false;
};

bool TexturesUsed(const GlidePipeline& p)
{
    return p.color.other == 1 || p.alpha.other == 1 || p.color.factor == 4 || p.color.factor == 5 ||
           p.color.factor == 12 || p.alpha.factor == 4 || p.alpha.factor == 12;
}

// Glide's pixel by the combine model, with ITRGB lighting (the top bit of
// the texture output's alpha picks the constant colour as colour local) and
// chroma-keying (TMU 0's texel in the key colour gives nothing) on top.  The
// level-of-detail fraction counts as 1: the shaders have no other.
Rgba GlidePixel(const GlidePipeline& p, const GlidePixelInputs& in)
{
    zelktest::GlideCombineUnit color{p.color.function, p.color.factor, p.color.local, p.color.other, p.color.invert};
    const zelktest::GlideCombineUnit alpha{p.alpha.function, p.alpha.factor, p.alpha.local, p.alpha.other,
                                           p.alpha.invert};
    zelktest::GlideTexCombine tmu[2];
    for (int t = 0; t < 2; ++t) {
        tmu[t] = {p.tmuColor[t].function, p.tmuColor[t].factor, p.tmuColor[t].invert,
                  p.tmuAlpha[t].function, p.tmuAlpha[t].factor, p.tmuAlpha[t].invert};
    }
    zelktest::GlidePixelInputs model{in.iterated.Model(), in.constant.Model(),
                                     {in.texel[0].Model(), in.texel[1].Model()}, in.detail, 1.0f};
    const bool used = TexturesUsed(p);
    if (in.itrgbLighting) {
        const zelktest::Rgba upper =
            zelktest::EvaluateTexCombine(tmu[1], model.texel[1], zelktest::Rgba{0, 0, 0, 0}, in.detail, 1.0f);
        const zelktest::Rgba texture = zelktest::EvaluateTexCombine(tmu[0], model.texel[0], upper, in.detail, 1.0f);
        color.local = used && texture.a >= 128.0f / 255.0f ? 1 : 0;
    }
    Rgba out = Rgba::FromModel(zelktest::EvaluateGlideCombine(color, alpha, tmu, model, used));
    if (in.chromakey && used && (Rgba::FromArgb(in.chromakeyColor).ToArgb() & 0xFFFFFF) ==
                                    (in.texel[0].ToArgb() & 0xFFFFFF)) {
        out = {{0, 0, 0, 0}};
    }
    return out;
}

// The error log with its line ends as plain line feeds.
std::string ReadLog()
{
    std::string text = zelktest::ReadFileText("vezoRerez.log");
    std::string out;
    for (char c : text) {
        if (c != '\r') {
            out += c;
        }
    }
    return out;
}

struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    D3DCOLOR specular;
    float u0, v0, u1, v1;
};
constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2;

ZelkGrPs13CombineState ToState(const GlidePipeline& p, bool chromakey, bool itrgb)
{
    ZelkGrPs13CombineState s = {};
    s.colorFunction = p.color.function;
    s.colorFactor = p.color.factor;
    s.colorLocal = p.color.local;
    s.colorOther = p.color.other;
    s.colorInvert = p.color.invert;
    s.alphaFunction = p.alpha.function;
    s.alphaFactor = p.alpha.factor;
    s.alphaLocal = p.alpha.local;
    s.alphaOther = p.alpha.other;
    s.alphaInvert = p.alpha.invert;
    for (int t = 0; t < 2; ++t) {
        s.tmu[t] = {p.tmuColor[t].function, p.tmuColor[t].factor, p.tmuColor[t].invert,
                    p.tmuAlpha[t].function, p.tmuAlpha[t].factor, p.tmuAlpha[t].invert};
    }
    s.chromakeyMode = chromakey ? 1 : 0;
    s.itrgbLighting = itrgb;
    return s;
}

class Ps13Translator : public testing::Test {
protected:
    static void SetUpTestSuite() { shared = new zelktest::ShaderTestDevice(); }
    static void TearDownTestSuite()
    {
        delete shared;
        shared = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(shared->Valid()) << "no device"; }

    static std::string Translate(const ZelkGrPs13CombineState& state)
    {
        std::stringstream stream;
        ZelkGrTexPipelineTranslatorPS13::WritePs13Shader(state, 2, stream);
        return stream.str();
    }

    // Draws the whole target with the shader of the pipeline and the inputs,
    // and returns the centre pixel.
    static D3DCOLOR Draw(const GlidePipeline& p, const GlidePixelInputs& in, D3DCOLOR specular)
    {
        IDirect3DDevice9* device = shared->device;
        std::stringstream stream;
        ZelkGrTexPipelineTranslatorPS13::WritePs13Shader(ToState(p, in.chromakey, in.itrgbLighting), 2, stream);
        const std::string text = stream.str();
        IDirect3DPixelShader9Ptr shader;
        try {
            shader = ZelkGrTexPipelineTranslatorPS13::CreatePixelShaderEnd(device, stream);
        } catch (const ZelkException& e) {
            ADD_FAILURE() << e.message << "\n" << text;
            return 0;
        }
        IDirect3DTexture9Ptr tex0 = shared->SolidTexture(in.texel[0].ToArgb());
        IDirect3DTexture9Ptr tex1 = shared->SolidTexture(in.texel[1].ToArgb());
        IDirect3DTexture9Ptr mapAR, mapGB;
        if (in.chromakey) {
            const Rgba key = Rgba::FromArgb(in.chromakeyColor);
            IDirect3DTexture9Ptr ar = zelk::ZelkD3DSurface::CreateColorkeyMapAR(device, key.c, 256, D3DFMT_A1R5G5B5,
                                                                                1, 0);
            IDirect3DTexture9Ptr gb = zelk::ZelkD3DSurface::CreateColorkeyMapGB(device, key.c, 256, D3DFMT_A1R5G5B5,
                                                                                0, 0);
            mapAR = zelk::ZelkD3DSurface::CreateTextureFromTexture(ar, 1, D3DX_FILTER_NONE, D3DPOOL_DEFAULT, 0, 0);
            mapGB = zelk::ZelkD3DSurface::CreateTextureFromTexture(gb, 1, D3DX_FILTER_NONE, D3DPOOL_DEFAULT, 0, 0);
        }
        device->SetRenderTarget(0, shared->target);
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        device->SetRenderState(D3DRS_FOGENABLE, FALSE);
        device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
        for (DWORD stage = 0; stage < 4; ++stage) {
            device->SetSamplerState(stage, D3DSAMP_MINFILTER, D3DTEXF_POINT);
            device->SetSamplerState(stage, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
            device->SetSamplerState(stage, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
            device->SetSamplerState(stage, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
            device->SetSamplerState(stage, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
        }
        device->SetTexture(0, tex0);
        device->SetTexture(1, tex1);
        device->SetTexture(2, mapAR);
        device->SetTexture(3, mapGB);
        const float constants[8] = {in.constant.c[0],        in.constant.c[1],        in.constant.c[2],
                                    in.constant.c[3],        1.0f - in.constant.c[0], 1.0f - in.constant.c[1],
                                    1.0f - in.constant.c[2], 1.0f - in.constant.c[3]};
        device->SetPixelShaderConstantF(0, constants, 2);
        device->SetPixelShader(shader);
        device->SetFVF(kFvf);
        const float size = static_cast<float>(zelktest::ShaderTestDevice::kSize);
        const D3DCOLOR diffuse = in.iterated.ToArgb();
        const Vertex quad[4] = {
            {0, 0, 0.5f, 1, diffuse, specular, 0.5f, 0.5f, 0.5f, 0.5f},
            {size, 0, 0.5f, 1, diffuse, specular, 0.5f, 0.5f, 0.5f, 0.5f},
            {0, size, 0.5f, 1, diffuse, specular, 0.5f, 0.5f, 0.5f, 0.5f},
            {size, size, 0.5f, 1, diffuse, specular, 0.5f, 0.5f, 0.5f, 0.5f},
        };
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x5A5A5A5A, 1.0f, 0);
        device->BeginScene();
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
        device->EndScene();
        device->SetPixelShader(nullptr);
        for (DWORD stage = 0; stage < 4; ++stage) {
            device->SetTexture(stage, nullptr);
        }
        return shared->ReadTarget(8, 8);
    }

    static zelktest::ShaderTestDevice* shared;
};

zelktest::ShaderTestDevice* Ps13Translator::shared = nullptr;

GlideUnit Unit(uint32_t function, uint32_t factor, uint32_t local = 0, uint32_t other = 0, uint32_t invert = 0)
{
    return GlideUnit{function, factor, local, other, invert};
}

struct PixelCase {
    const char* name;
    GlidePipeline pipeline;
    D3DCOLOR iterated, constant, texel0, texel1;
    D3DCOLOR specular;  // rgb: detail factor, alpha: fog
    bool chromakey;
    D3DCOLOR key;
    bool itrgb;
};

GlidePipeline Pipe(GlideUnit color, GlideUnit alpha, GlideUnit tmu0Color = Unit(1, 0), GlideUnit tmu0Alpha = Unit(1, 0),
                   GlideUnit tmu1Color = Unit(1, 0), GlideUnit tmu1Alpha = Unit(1, 0))
{
    GlidePipeline p;
    p.color = color;
    p.alpha = alpha;
    p.tmuColor[0] = tmu0Color;
    p.tmuAlpha[0] = tmu0Alpha;
    p.tmuColor[1] = tmu1Color;
    p.tmuAlpha[1] = tmu1Alpha;
    return p;
}

const PixelCase kPixelCases[] = {
    {"initial state: constant colour", Pipe(Unit(1, 0, 1, 2), Unit(1, 0, 1, 2)), 0xFF102030, 0x80C04020,
     0xFFFFFFFF, 0xFFFFFFFF, 0, false, 0, false},
    {"decal", Pipe(Unit(3, 8, 0, 1), Unit(3, 8, 0, 1)), 0xFF102030, 0x80C04020, 0xC0336699, 0xFF000000, 0, false,
     0, false},
    {"modulate texture by iterated", Pipe(Unit(3, 1, 0, 1), Unit(3, 1, 0, 1)), 0x80FF8040, 0, 0xFF808080,
     0xFF000000, 0, false, 0, false},
    {"iterated plus constant", Pipe(Unit(4, 8, 0, 2), Unit(4, 8, 0, 2)), 0x40102030, 0x40203040, 0, 0, 0, false, 0,
     false},
    {"other minus local keeps its sign", Pipe(Unit(8, 8, 0, 2), Unit(1, 0, 0, 2)), 0xCC999999, 0xFF333333, 0, 0,
     0, false, 0, false},
    {"other minus local scaled by local alpha", Pipe(Unit(6, 3, 0, 2), Unit(1, 0, 0, 2)), 0x80202020, 0xFFA0C0E0,
     0, 0, 0, false, 0, false},
    {"blend by texture alpha", Pipe(Unit(7, 4, 0, 2), Unit(7, 4, 0, 2)), 0x20FF0000, 0xE00000FF, 0x40808080,
     0xFF000000, 0, false, 0, false},
    {"blend by one minus texture alpha", Pipe(Unit(7, 12, 0, 2), Unit(7, 12, 0, 2)), 0x20FF0000, 0xE00000FF,
     0x40808080, 0xFF000000, 0, false, 0, false},
    {"local minus local times texture", Pipe(Unit(9, 5, 0, 1), Unit(16, 4, 0, 1)), 0x80C0A080, 0, 0x80408020,
     0xFF000000, 0, false, 0, false},
    {"local alpha minus local scaled", Pipe(Unit(16, 3, 1, 2), Unit(1, 0, 0, 0)), 0xC0000000, 0x40203040, 0, 0, 0,
     false, 0, false},
    {"inverted combine", Pipe(Unit(3, 8, 0, 1, 1), Unit(3, 8, 0, 1, 1)), 0, 0, 0x30206080, 0, 0, false, 0, false},
    {"two TMUs: TMU 0 adds TMU 1", Pipe(Unit(3, 8, 0, 1), Unit(3, 8, 0, 1), Unit(4, 8), Unit(4, 8)), 0, 0,
     0x40402010, 0x20103050, 0, false, 0, false},
    // The specular alpha (fog) differs from its blue (the detail factor), so
    // an alpha half that read v1's alpha would show.
    {"two TMUs: detail blend", Pipe(Unit(3, 8, 0, 1), Unit(3, 8, 0, 1), Unit(7, 4), Unit(7, 4)), 0, 0, 0x20FF0000,
     0xC00000FF, 0xC0404040, false, 0, false},
    {"two TMUs: TMU 1 inverted", Pipe(Unit(3, 8, 0, 1), Unit(3, 8, 0, 1), Unit(3, 8), Unit(3, 8),
                                      Unit(1, 0, 0, 0, 1), Unit(1, 0, 0, 0, 1)),
     0, 0, 0, 0x30205070, 0, false, 0, false},
    {"TMU 1 has no other input", Pipe(Unit(3, 8, 0, 1), Unit(3, 8, 0, 1), Unit(3, 8), Unit(3, 8), Unit(4, 8),
                                      Unit(4, 8)),
     0, 0, 0x40404040, 0x20202020, 0, false, 0, false},
    {"TMU 0 inverted", Pipe(Unit(3, 8, 0, 1), Unit(3, 8, 0, 1), Unit(1, 0, 0, 0, 1), Unit(1, 0, 0, 0, 1)), 0, 0,
     0x10204080, 0, 0, false, 0, false},
    {"chroma key hit", Pipe(Unit(3, 8, 0, 1), Unit(3, 8, 0, 1)), 0, 0, 0xFF808000, 0, 0, true, 0x00808000, false},
    {"chroma key miss", Pipe(Unit(3, 8, 0, 1), Unit(3, 8, 0, 1)), 0, 0, 0xFF808040, 0, 0, true, 0x00808000, false},
    {"chroma key hit with TMU 1 written", Pipe(Unit(3, 8, 0, 1), Unit(3, 8, 0, 1), Unit(4, 8), Unit(4, 8)), 0, 0,
     0xFF808000, 0x20202020, 0, true, 0x00808000, false},
    {"chroma key hit with ITRGB", Pipe(Unit(3, 1, 0, 1), Unit(3, 8, 0, 1)), 0xFF404040, 0xFFFFFFFF, 0xFF808000, 0,
     0, true, 0x00808000, true},
    {"ITRGB: texture alpha 128 picks the constant", Pipe(Unit(3, 1, 0, 1), Unit(3, 8, 0, 1)), 0xFF404040,
     0xFFC0C0C0, 0x80808080, 0, 0, false, 0, true},
    {"ITRGB: texture alpha 127 picks iterated", Pipe(Unit(3, 1, 0, 1), Unit(3, 8, 0, 1)), 0xFF404040, 0xFFC0C0C0,
     0x7F808080, 0, 0, false, 0, true},
    {"ITRGB reads the texture output, not the texel",
     Pipe(Unit(3, 1, 0, 1), Unit(3, 8, 0, 1), Unit(1, 0), Unit(1, 0, 0, 0, 1)), 0xFF404040, 0xFFC0C0C0, 0x10808080,
     0, 0, false, 0, true},
    {"ITRGB without textures", Pipe(Unit(1, 0, 1, 2), Unit(1, 0, 0, 2)), 0xFF405060, 0xFFC0C0C0, 0, 0, 0, false, 0,
     true},
    {"alpha local depth in the colour half", Pipe(Unit(5, 8, 0, 2), Unit(1, 0, 2, 2)), 0xFF101010, 0xFF404040, 0,
     0, 0, false, 0, false},
    {"one minus depth in the colour half", Pipe(Unit(3, 11, 0, 2), Unit(1, 0, 2, 2)), 0xFF101010, 0xFF404040, 0,
     0, 0, false, 0, false},
};

TEST_F(Ps13Translator, ShadersDrawWhatGlideCombines)
{
    for (const PixelCase& c : kPixelCases) {
        SCOPED_TRACE(c.name);
        GlidePixelInputs in;
        in.iterated = Rgba::FromArgb(c.iterated);
        in.constant = Rgba::FromArgb(c.constant);
        in.texel[0] = Rgba::FromArgb(c.texel0);
        in.texel[1] = Rgba::FromArgb(c.texel1);
        in.detail = (c.specular & 0xFF) / 255.0f;
        in.chromakey = c.chromakey;
        in.chromakeyColor = c.key;
        in.itrgbLighting = c.itrgb;
        const D3DCOLOR expected = GlidePixel(c.pipeline, in).ToArgb();
        const D3DCOLOR drawn = Draw(c.pipeline, in, c.specular);
        EXPECT_TRUE(ColorNear(expected, drawn, 3)) << Translate(ToState(c.pipeline, c.chromakey, c.itrgb));
    }
}

// Every table entry and every selector assembles, at every place.
TEST_F(Ps13Translator, EveryCombineAssembles)
{
    const uint32_t functions[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 16};
    int built = 0;
    for (uint32_t function : functions) {
        for (uint32_t factor = 0; factor < 14; ++factor) {
            for (uint32_t local = 0; local < 2; ++local) {
                GlidePipeline p = Pipe(Unit(function, factor, local, 1, factor & 1),
                                       Unit(function, (factor + 3) % 14, local + 1, local, local),
                                       Unit(function, factor, 0, 0, local), Unit(function, factor),
                                       Unit(function, (factor + 5) % 14), Unit(function, factor, 0, 0, 1));
                std::stringstream stream;
                ZelkGrTexPipelineTranslatorPS13::WritePs13Shader(ToState(p, local == 1, factor > 6), 2, stream);
                const std::string text = stream.str();
                try {
                    IDirect3DPixelShader9Ptr shader =
                        ZelkGrTexPipelineTranslatorPS13::CreatePixelShaderEnd(shared->device, stream);
                    EXPECT_TRUE(shader != nullptr);
                    ++built;
                } catch (const ZelkException& e) {
                    ADD_FAILURE() << "function " << function << " factor " << factor << ": " << e.message << "\n"
                                  << text;
                }
            }
        }
    }
    EXPECT_EQ(built, 11 * 14 * 2);
}

TEST_F(Ps13Translator, InitialStateUsesNoTexture)
{
    ZelkGrPs13CombineState state = ToState(Pipe(Unit(1, 0, 1, 2), Unit(1, 0, 1, 2)), false, false);
    const std::string text = Translate(state);
    EXPECT_EQ(text,
              "ps_1_3\ndef c6, 1.0f, 1.0f, 1.0f, 0.5f\ndef c7, 0.0f, 0.0f, 0.0f, 1.0f\nmov_sat r0.rgb, c0\n"
              "+ mov_sat r0.a, c0");
    // Chroma-keying without texture use samples no key map.
    state.chromakeyMode = 1;
    EXPECT_EQ(Translate(state).find("tex"), std::string::npos);
}

TEST_F(Ps13Translator, UnitOneIsWrittenOnlyWhenUnitZeroReadsIt)
{
    GlidePipeline p = Pipe(Unit(3, 8, 0, 1), Unit(3, 8, 0, 1));
    EXPECT_EQ(Translate(ToState(p, false, false)).find("t2"), std::string::npos);
    p.tmuColor[0] = Unit(7, 4);
    const std::string text = Translate(ToState(p, false, false));
    const size_t unit1 = text.find("mov_sat t2.rgb, t1");
    const size_t unit0 = text.find("lrp_sat t1.rgb");
    ASSERT_NE(unit1, std::string::npos) << text;
    ASSERT_NE(unit0, std::string::npos) << text;
    EXPECT_LT(unit1, unit0);
}

TEST_F(Ps13Translator, AssemblyFailureIsLoggedWithTheShaderText)
{
    std::stringstream stream;
    stream << "ps_1_3\nbogus r0, v0";
    try {
        ZelkGrTexPipelineTranslatorPS13::CreatePixelShaderEnd(shared->device, stream);
        FAIL() << "no exception";
    } catch (const ZelkException& e) {
        EXPECT_EQ(e.functionName, "ZelkGrTexPipelineTranslatorPS13::CreatePixelShaderEnd");
        EXPECT_EQ(e.message.rfind("The function [ D3DXAssembleShader ] failed.", 0), 0u) << e.message;
        EXPECT_TRUE(e.logged);
    }
    const std::string log = ReadLog();
    EXPECT_NE(log.find("Function name : ZelkGrTexPipelineTranslatorPS13::CreatePixelShaderEnd"), std::string::npos);
    EXPECT_NE(log.find("---------------------------\n[ code ]\nps_1_3\nbogus r0, v0\n\n---------------------------\n"),
              std::string::npos)
        << log;
}

TEST_F(Ps13Translator, DeviceRefusalIsLogged)
{
    zelktest::D3DProxy proxy;
    IDirect3DDevice9Ptr device = proxy.CreateWindowedDevice(shared->window->Handle(), 16, 16);
    ASSERT_TRUE(device != nullptr);
    proxy.FailCall(zelktest::D3DCall::Device_CreatePixelShader, D3DERR_OUTOFVIDEOMEMORY);
    std::stringstream stream;
    stream << "ps_1_3\nmov r0, v0";
    try {
        ZelkGrTexPipelineTranslatorPS13::CreatePixelShaderEnd(device, stream);
        FAIL() << "no exception";
    } catch (const ZelkException& e) {
        EXPECT_EQ(e.message, "The function [ IDirect3DDevice9::CreatePixelShader ] failed.");
        EXPECT_EQ(e.returnValue.result, D3DERR_OUTOFVIDEOMEMORY);
    }
    EXPECT_NE(ReadLog().find("[ code ]\nps_1_3\nmov r0, v0\n"), std::string::npos);
}

// The tables by their worked rows.
TEST(Ps13Tables, Rows)
{
    using namespace zelk;
    struct Row {
        uint32_t function, factor, count;
        PS13Record first, second;
    };
    const PS13Record none = {PS13Unknown, PS13None, PS13None, PS13None, PS13None};
    const Row rows[] = {
        {0, 13, 1, {0, 12, 16, 18, 18}, none},
        {2, 99, 1, {0, 12, 2, 18, 18}, none},
        {3, 8, 1, {0, 12, 4, 18, 18}, none},
        {9, 8, 1, {0, 12, 16, 18, 18}, none},
        {6, 1, 2, {10, 14, 4, 0, 18}, {3, 12, 0, 14, 18}},
        {7, 9, 1, {5, 12, 0, 0, 4}, none},
        {7, 2, 1, {5, 12, 6, 4, 0}, none},
        {8, 8, 2, {10, 14, 4, 0, 18}, {1, 12, 2, 14, 18}},
        {16, 12, 2, {3, 14, 0, 11, 18}, {2, 12, 2, 14, 18}},
        {4, 13, 1, {4, 12, 9, 4, 0}, none},
        {5, 6, 0, none, none},
        {3, 7, 0, none, none},
        {12, 1, 0, none, none},
        {3, 14, 0, none, none},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "function " << row.function << " factor " << row.factor);
        const PS13Entry& entry = GetPS13Entry(row.function, row.factor);
        ASSERT_EQ(entry.count, row.count);
        const PS13Record* expected[2] = {&row.first, &row.second};
        for (uint32_t i = 0; i < row.count; ++i) {
            const PS13Record& r = entry.records[i];
            EXPECT_EQ(r.opcode, expected[i]->opcode);
            EXPECT_EQ(r.destination, expected[i]->destination);
            EXPECT_EQ(r.source1, expected[i]->source1);
            EXPECT_EQ(r.source2, expected[i]->source2);
            EXPECT_EQ(r.source3, expected[i]->source3);
        }
    }
    EXPECT_STREQ(PS13Mnemonics[10], "sub");
}

}  // namespace
