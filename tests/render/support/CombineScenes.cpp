#include "CombineScenes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/ReadBack.h"
#include "framework/ZelkGrRect.h"
#include "render/ZelkGrTextureBinding.h"

namespace zelktest {

namespace {

// Glide values used by the scenes.
enum : std::uint32_t {
    FN_ZERO = 0, FN_LOCAL = 1, FN_LOCAL_ALPHA = 2, FN_SCALE_OTHER = 3, FN_SCALE_OTHER_ADD_LOCAL = 4,
    FN_SCALE_OTHER_MINUS_LOCAL = 6, FN_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL = 7,
    FN_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA = 8,
};
enum : std::uint32_t {
    F_ZERO = 0, F_LOCAL = 1, F_OTHER_ALPHA = 2, F_LOCAL_ALPHA = 3, F_TEXTURE_ALPHA = 4, F_DETAIL = 4, F_ONE = 8,
    F_ONE_MINUS_LOCAL = 9, F_LOD_FRACTION = 5,
};
enum : std::uint32_t { L_ITERATED = 0, L_CONSTANT = 1, L_DEPTH = 2 };
enum : std::uint32_t { O_ITERATED = 0, O_TEXTURE = 1, O_CONSTANT = 2 };

constexpr GlideTexCombine kTmuDecal = {FN_LOCAL, F_ZERO, 0, FN_LOCAL, F_ZERO, 0};
constexpr int kSize = 64;

std::uint8_t Byte(float v)
{
    v = std::min(1.0f, std::max(0.0f, v));
    return static_cast<std::uint8_t>(std::lround(v * 255.0f));
}

Rgba Channels(float r, float g, float b, float a) { return Rgba{r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f}; }

Rgba Lerp(const Rgba& a, const Rgba& b, float t)
{
    return Rgba{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

// The four quarters of the screen, in texel order (0,0), (1,0), (0,1), (1,1),
// less a margin.
struct Region {
    int left, top, right, bottom;
};
const Region kQuarters[4] = {{4, 4, 28, 28}, {36, 4, 60, 28}, {4, 36, 28, 60}, {36, 36, 60, 60}};

struct Inputs {
    GlideCombineUnit color, alpha;
    GlideTexCombine tmu[2];
    GlidePixelInputs pixel;
    bool useTexture;
};

Rgba Glide(const Inputs& in)
{
    return EvaluateGlideCombine(in.color, in.alpha, in.tmu, in.pixel, in.useTexture);
}

// Records the combine state of the inputs.
void Record(SceneContext& s, const Inputs& in)
{
    s.TexCombine(1, in.tmu[1]);
    s.TexCombine(0, in.tmu[0]);
    s.ColorCombine(in.color.function, in.color.factor, in.color.local, in.color.other, in.color.invert);
    s.AlphaCombine(in.alpha.function, in.alpha.factor, in.alpha.local, in.alpha.other, in.alpha.invert);
}

SceneContext::Vertex ToVertex(const Rgba& c, float ooz = 0.0f, float oow = 1.0f)
{
    return SceneContext::Vertex{c.r * 255.0f, c.g * 255.0f, c.b * 255.0f, c.a * 255.0f, ooz, oow};
}

// A combine scene over a full-screen quad with 2 x 2 textures: the expected
// colour of each quarter from the Glide model.
void TexturedCombineScene(SceneContext& s, Inputs in, const D3DCOLOR tex0[4], const D3DCOLOR tex1[4],
                          const char* what, float oow = 1.0f)
{
    s.Clear(0xFF000000);
    Record(s, in);
    s.Texture(0, tex0[0], tex0[1], tex0[2], tex0[3]);
    if (tex1 != nullptr) s.Texture(1, tex1[0], tex1[1], tex1[2], tex1[3]);
    s.Quad(0, 0, kSize, kSize, ToVertex(in.pixel.iterated, 0.0f, oow));
    for (int q = 0; q < 4; ++q) {
        in.pixel.texel[0] = FromArgb(tex0[q]);
        in.pixel.texel[1] = tex1 != nullptr ? FromArgb(tex1[q]) : Rgba{0, 0, 0, 0};
        const Region& r = kQuarters[q];
        s.Expect(r.left, r.top, r.right, r.bottom, ToArgb(Glide(in)), std::string(what) + " quarter " + std::to_string(q));
    }
}

Inputs FlatInputs()
{
    Inputs in{};
    in.tmu[0] = in.tmu[1] = kTmuDecal;
    in.pixel.iterated = Channels(200, 100, 50, 150);
    in.pixel.constant = Channels(64, 192, 128, 32);
    return in;
}

// Glide blend factors as the scenes use them.
float SourceFactor(std::uint32_t code, const Rgba& src, const Rgba& dst, int channel)
{
    const float cd = channel == 0 ? dst.r : channel == 1 ? dst.g : dst.b;
    switch (code) {
    case 0: return 0;
    case 1: return src.a;
    case 2: return cd;
    case 3: return dst.a;
    case 4: return 1;
    case 5: return 1 - src.a;
    case 6: return 1 - cd;
    case 7: return 1 - dst.a;
    case 15: return std::min(src.a, 1 - dst.a);
    default: return 1;
    }
}
float DestinationFactor(std::uint32_t code, const Rgba& src, const Rgba& dst, int channel)
{
    const float cs = channel == 0 ? src.r : channel == 1 ? src.g : src.b;
    switch (code) {
    case 0: return 0;
    case 1: return src.a;
    case 2: return cs;
    case 3: return dst.a;
    case 4: return 1;
    case 5: return 1 - src.a;
    case 6: return 1 - cs;
    case 7: return 1 - dst.a;
    default: return 0;
    }
}

std::vector<CombineScene> BuildScenes()
{
    std::vector<CombineScene> scenes;

    scenes.push_back({"constant colour", [](SceneContext& s) {
        Inputs in = FlatInputs();
        in.color = {FN_LOCAL, F_ZERO, L_CONSTANT, O_ITERATED, 0};
        in.alpha = {FN_LOCAL, F_ZERO, L_CONSTANT, O_ITERATED, 0};
        Record(s, in);
        s.ConstantColor(0x80C04020);
        in.pixel.constant = FromArgb(0x80C04020);
        s.Quad(0, 0, kSize, kSize, ToVertex(in.pixel.iterated));
        s.Expect(2, 2, 62, 62, ToArgb(Glide(in)), "constant");
    }});

    scenes.push_back({"iterated colour", [](SceneContext& s) {
        Inputs in = FlatInputs();
        in.color = {FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT, 0};
        in.alpha = {FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT, 0};
        Record(s, in);
        s.Quad(0, 0, kSize, kSize, ToVertex(in.pixel.iterated));
        s.Expect(2, 2, 62, 62, 0x96C86432, "iterated");
    }});

    scenes.push_back({"inverted iterated colour, scaled by constant alpha", [](SceneContext& s) {
        Inputs in = FlatInputs();
        in.color = {FN_SCALE_OTHER, F_OTHER_ALPHA, L_ITERATED, O_ITERATED, 1};
        in.alpha = {FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT, 0};
        Record(s, in);
        s.ConstantColor(0x40C08000);
        in.pixel.constant = FromArgb(0x40C08000);
        s.Quad(0, 0, kSize, kSize, ToVertex(in.pixel.iterated));
        s.Expect(2, 2, 62, 62, ToArgb(Glide(in)), "1 - iterated * constant alpha");
    }});

    static const D3DCOLOR kTexA[4] = {0xFFFF0000, 0x8000FF00, 0x400000FF, 0xFFFFFFFF};
    static const D3DCOLOR kTexB[4] = {0xFF808080, 0xC0FFFF00, 0x20FF00FF, 0xFF204060};

    scenes.push_back({"decal", [](SceneContext& s) {
        Inputs in = FlatInputs();
        in.color = {FN_SCALE_OTHER, F_ONE, L_ITERATED, O_TEXTURE, 0};
        in.alpha = {FN_SCALE_OTHER, F_ONE, L_ITERATED, O_TEXTURE, 0};
        in.useTexture = true;
        TexturedCombineScene(s, in, kTexA, nullptr, "decal");
    }});

    scenes.push_back({"modulate", [](SceneContext& s) {
        Inputs in = FlatInputs();
        in.pixel.iterated = Channels(128, 255, 64, 128);
        in.color = {FN_SCALE_OTHER, F_LOCAL, L_ITERATED, O_TEXTURE, 0};
        in.alpha = {FN_SCALE_OTHER, F_LOCAL, L_ITERATED, O_TEXTURE, 0};
        in.useTexture = true;
        TexturedCombineScene(s, in, kTexA, nullptr, "modulate");
    }});

    scenes.push_back({"blend on texture alpha", [](SceneContext& s) {
        Inputs in = FlatInputs();
        in.color = {FN_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL, F_TEXTURE_ALPHA, L_ITERATED, O_TEXTURE, 0};
        in.alpha = {FN_LOCAL, F_ZERO, L_ITERATED, O_TEXTURE, 0};
        in.useTexture = true;
        TexturedCombineScene(s, in, kTexA, nullptr, "lerp by texture alpha");
    }});

    scenes.push_back({"texture alpha scales other minus local", [](SceneContext& s) {
        Inputs in = FlatInputs();
        in.pixel.iterated = Channels(20, 10, 30, 200);
        in.pixel.constant = Channels(40, 30, 50, 90);
        in.color = {FN_SCALE_OTHER_MINUS_LOCAL, F_TEXTURE_ALPHA, L_ITERATED, O_CONSTANT, 0};
        in.alpha = {FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT, 0};
        in.useTexture = true;
        s.ConstantColor(ToArgb(in.pixel.constant));
        TexturedCombineScene(s, in, kTexA, nullptr, "(constant - iterated) * texture alpha");
    }});

    scenes.push_back({"two TMUs", [](SceneContext& s) {
        Inputs in = FlatInputs();
        in.tmu[1] = kTmuDecal;
        in.tmu[0] = {FN_SCALE_OTHER, F_LOCAL, 0, FN_SCALE_OTHER, F_LOCAL, 0};
        in.color = {FN_SCALE_OTHER, F_ONE, L_ITERATED, O_TEXTURE, 0};
        in.alpha = {FN_SCALE_OTHER, F_ONE, L_ITERATED, O_TEXTURE, 0};
        in.useTexture = true;
        TexturedCombineScene(s, in, kTexA, kTexB, "TMU 0 modulates TMU 1");
    }});

    scenes.push_back({"detail texture", [](SceneContext& s) {
        Inputs in = FlatInputs();
        in.tmu[1] = kTmuDecal;
        // Colour and alpha both blend towards TMU 1 by the detail factor.
        in.tmu[0] = {FN_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL, F_DETAIL, 0, FN_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL, F_DETAIL,
                     0};
        in.color = {FN_SCALE_OTHER, F_ONE, L_ITERATED, O_TEXTURE, 0};
        in.alpha = {FN_SCALE_OTHER, F_ONE, L_ITERATED, O_TEXTURE, 0};
        in.useTexture = true;
        // Detail bias 2^8 - 1 over 255 = 1, scale 1, maximum 1: with oow 0.5
        // the detail factor is 0.5, the byte 127.
        s.Command(19, 8, 0);
        s.Command(20, 8, 0);
        const float one = 1.0f;
        std::uint32_t bits;
        std::memcpy(&bits, &one, 4);
        s.Command(21, bits, 0);
        in.pixel.detail = 127.0f / 255.0f;
        if (s.Half() == SceneTexelHalf::PixelShader) {
            TexturedCombineScene(s, in, kTexB, kTexA, "detail blend", 0.5f);
            return;
        }
        // The stages' alpha operations cannot read the specular blue, where
        // the detail factor travels: they read the specular alpha (the fog
        // factor, 1 without fog), so the alpha half takes TMU 1's alpha.
        s.Clear(0xFF000000);
        Record(s, in);
        s.Texture(0, kTexB[0], kTexB[1], kTexB[2], kTexB[3]);
        s.Texture(1, kTexA[0], kTexA[1], kTexA[2], kTexA[3]);
        s.Quad(0, 0, kSize, kSize, ToVertex(in.pixel.iterated, 0.0f, 0.5f));
        for (int q = 0; q < 4; ++q) {
            in.pixel.texel[0] = FromArgb(kTexB[q]);
            in.pixel.texel[1] = FromArgb(kTexA[q]);
            Inputs stages = in;
            stages.pixel.detail = 1.0f;
            const D3DCOLOR glide = ToArgb(Glide(in));
            const D3DCOLOR approximation = (glide & 0x00FFFFFF) | (ToArgb(Glide(stages)) & 0xFF000000);
            const Region& r = kQuarters[q];
            s.ExpectApproximation(r.left, r.top, r.right, r.bottom, glide, approximation,
                                  "detail blend quarter " + std::to_string(q),
                                  "the stages' alpha operations read the specular alpha (fog, 1 here), not the "
                                  "detail factor in its blue");
        }
    }});

    scenes.push_back({"iterated alpha blended", [](SceneContext& s) {
        s.Clear(0xFF0000FF);
        s.ColorCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.AlphaCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.BlendFunction(1, 5, 4, 0);  // SRC_ALPHA, ONE_MINUS_SRC_ALPHA; alpha ONE, ZERO
        s.Quad(0, 0, kSize, kSize, {255, 255, 0, 64, 0, 1});
        // 64/255 of yellow over blue; the alpha written as it comes.
        const float t = 64.0f / 255.0f;
        s.Expect(2, 2, 62, 62, ToArgb(Rgba{t, t, 1 - t, t}), "alpha 64 over blue");
    }});

    scenes.push_back({"chroma-key on texels", [](SceneContext& s) {
        // The texture manager downloads a keyed texel as transparent black;
        // the alpha test drops it.
        static const D3DCOLOR keyed[4] = {0x00000000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
        s.Clear(0xFF102030);
        s.Command(5, 1);  // chroma-key on
        s.Command(6, 0x000000);
        Inputs in = FlatInputs();
        in.color = {FN_SCALE_OTHER, F_ONE, L_ITERATED, O_TEXTURE, 0};
        in.alpha = {FN_SCALE_OTHER, F_ONE, L_ITERATED, O_TEXTURE, 0};
        Record(s, in);
        s.State(D3DRS_ALPHATESTENABLE, TRUE);
        s.State(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        s.State(D3DRS_ALPHAREF, 0);
        s.Texture(0, keyed[0], keyed[1], keyed[2], keyed[3]);
        s.Quad(0, 0, kSize, kSize, ToVertex(in.pixel.iterated));
        s.Expect(4, 4, 28, 28, 0xFF102030, "keyed texel: background");
        s.Expect(36, 4, 60, 28, 0xFF00FF00, "texel");
        s.Expect(36, 36, 60, 60, 0xFFFFFFFF, "texel");
    }});

    scenes.push_back({"fog table", [](SceneContext& s) {
        std::uint8_t table[64];
        for (int i = 0; i < 64; ++i) table[i] = static_cast<std::uint8_t>(i * 4);
        s.ColorCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.AlphaCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.FogTable(table);
        s.State(D3DRS_FOGCOLOR, 0x00FF0000);
        s.Command(10, 2);  // fog table
        // w 256: fog index 32, table value 128.
        s.Quad(0, 0, kSize, kSize, {0, 0, 255, 255, 0, 1.0f / 256.0f});
        const float f = 128.0f / 255.0f;
        s.Expect(2, 2, 62, 62, ToArgb(Lerp(Rgba{0, 0, 1, 1}, Rgba{1, 0, 0, 1}, f)), "half fogged blue", 4);
    }});

    scenes.push_back({"iterated fog", [](SceneContext& s) {
        s.ColorCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.AlphaCombine(FN_LOCAL, F_ZERO, L_CONSTANT, O_CONSTANT);
        s.ConstantColor(0xFF000000);
        s.State(D3DRS_FOGCOLOR, 0x0000FF00);
        s.Command(10, 1);  // fog by iterated alpha
        s.Quad(0, 0, 32, kSize, {255, 0, 0, 64, 0, 1});
        s.Quad(32, 0, kSize, kSize, {255, 0, 0, 255, 0, 1});
        s.Expect(2, 2, 30, 62, ToArgb(Lerp(Rgba{1, 0, 0, 1}, Rgba{0, 1, 0, 1}, 64.0f / 255.0f)), "alpha 64 fog", 4);
        s.Expect(34, 2, 62, 62, 0xFF00FF00, "alpha 255: all fog", 4);
    }});

    scenes.push_back({"alpha test", [](SceneContext& s) {
        s.Clear(0xFF000000);
        s.ColorCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.AlphaCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.State(D3DRS_ALPHATESTENABLE, TRUE);
        s.State(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        s.State(D3DRS_ALPHAREF, 0x80);
        s.Quad(0, 0, 32, kSize, {255, 255, 255, 0x40, 0, 1});
        s.Quad(32, 0, kSize, kSize, {255, 255, 255, 0xC0, 0, 1});
        s.Expect(2, 2, 30, 62, 0xFF000000, "alpha 0x40 fails");
        s.Expect(34, 2, 62, 62, 0xC0FFFFFF, "alpha 0xC0 passes");
    }});

    scenes.push_back({"blend pairs", [](SceneContext& s) {
        const D3DCOLOR background = 0x80406080;
        s.Clear(background);
        s.ColorCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.AlphaCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        const Rgba src = Channels(200, 100, 50, 64), dst = FromArgb(background);
        const std::uint32_t sources[] = {0, 1, 2, 3, 4, 5, 6, 7, 15};
        const std::uint32_t destinations[] = {0, 1, 2, 3, 4, 5, 6, 7};
        for (int column = 0; column < 9; ++column) {
            for (int row = 0; row < 8; ++row) {
                const std::uint32_t sf = sources[column], df = destinations[row];
                s.BlendFunction(sf, df, 4, 0);
                const float x = column * 7.0f, y = row * 8.0f;
                s.Quad(x, y, x + 7, y + 8, ToVertex(src));
                Rgba out{0, 0, 0, src.a};
                for (int c = 0; c < 3; ++c) {
                    const float cs = c == 0 ? src.r : c == 1 ? src.g : src.b;
                    const float cd = c == 0 ? dst.r : c == 1 ? dst.g : dst.b;
                    const float v = cs * SourceFactor(sf, src, dst, c) + cd * DestinationFactor(df, src, dst, c);
                    (c == 0 ? out.r : c == 1 ? out.g : out.b) = std::min(1.0f, v);
                }
                s.Expect(column * 7 + 2, row * 8 + 2, column * 7 + 5, row * 8 + 6, ToArgb(out),
                         "source " + std::to_string(sf) + " destination " + std::to_string(df));
            }
        }
    }});

    scenes.push_back({"alpha blend pairs", [](SceneContext& s) {
        const D3DCOLOR background = 0x80406080;
        s.Clear(background);
        s.ColorCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.AlphaCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        const float as = 64.0f / 255.0f, ad = 128.0f / 255.0f;
        struct Pair {
            std::uint32_t rgbSrc, rgbDst, alphaSrc, alphaDst;
            float alpha;
        };
        // Colour copied or blended, alpha by its own pair.
        const Pair pairs[4] = {{4, 0, 0, 0, 0.0f},
                               {4, 0, 4, 4, std::min(1.0f, as + ad)},
                               {1, 5, 1, 5, as * as + ad * (1 - as)},
                               {0, 4, 3, 0, as * ad}};
        const Rgba src = Channels(200, 100, 50, 64), dst = FromArgb(background);
        for (int i = 0; i < 4; ++i) {
            const Pair& p = pairs[i];
            s.BlendFunction(p.rgbSrc, p.rgbDst, p.alphaSrc, p.alphaDst);
            s.Quad(i * 16.0f, 0, i * 16.0f + 16, kSize, ToVertex(src));
            Rgba out{0, 0, 0, p.alpha};
            for (int c = 0; c < 3; ++c) {
                const float cs = c == 0 ? src.r : c == 1 ? src.g : src.b;
                const float cd = c == 0 ? dst.r : c == 1 ? dst.g : dst.b;
                (c == 0 ? out.r : c == 1 ? out.g : out.b) =
                    std::min(1.0f, cs * SourceFactor(p.rgbSrc, src, dst, c) + cd * DestinationFactor(p.rgbDst, src, dst, c));
            }
            s.Expect(i * 16 + 3, 3, i * 16 + 13, 61, ToArgb(out), "alpha pair " + std::to_string(p.alphaSrc) + ", " +
                                                               std::to_string(p.alphaDst));
        }
    }});

    scenes.push_back({"colour and depth masks", [](SceneContext& s) {
        s.Clear(0xFF204060, 1.0f);
        s.ColorCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.AlphaCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        // Top: only red and alpha are written.
        s.State(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_ALPHA);
        s.Quad(0, 0, kSize, 32, {255, 255, 255, 128, 0, 1});
        s.State(D3DRS_COLORWRITEENABLE, 0xF);
        // Bottom: a near quad with depth writes off leaves the depth at 1, so
        // a far quad drawn after it still passes.
        s.Command(9, 1);
        s.State(D3DRS_ZFUNC, D3DCMP_LESS);
        s.State(D3DRS_ZWRITEENABLE, FALSE);
        s.Quad(0, 32, kSize, kSize, {0, 255, 0, 255, 0.25f * 65535.0f, 1});
        s.State(D3DRS_ZWRITEENABLE, TRUE);
        s.Quad(0, 32, 32, kSize, {0, 0, 255, 255, 0.75f * 65535.0f, 1});
        s.Expect(2, 2, 62, 30, 0x80FF4060, "red and alpha only");
        s.Expect(2, 34, 30, 62, 0xFF0000FF, "far quad over an unwritten depth");
        s.Expect(34, 34, 62, 62, 0xFF00FF00, "near quad");
    }});

    scenes.push_back({"depth functions", [](SceneContext& s) {
        s.Clear(0xFF000000, 0.5f);
        s.ColorCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.AlphaCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.Command(9, 1);
        // Columns NEVER .. ALWAYS; the top row nearer than the cleared depth,
        // the bottom row farther.
        const bool nearPasses[8] = {false, true, false, true, false, true, false, true};
        const bool farPasses[8] = {false, false, false, false, true, true, true, true};
        for (int f = 0; f < 8; ++f) {
            s.State(D3DRS_ZFUNC, static_cast<DWORD>(D3DCMP_NEVER + f));
            const float x = f * 8.0f;
            s.Quad(x, 0, x + 8, 32, {255, 255, 255, 255, 0.25f * 65535.0f, 1});
            s.Quad(x, 32, x + 8, kSize, {255, 255, 255, 255, 0.75f * 65535.0f, 1});
            const std::string name = "function " + std::to_string(D3DCMP_NEVER + f);
            s.Expect(f * 8 + 2, 2, f * 8 + 6, 30, nearPasses[f] ? 0xFFFFFFFF : 0xFF000000, name + " near");
            s.Expect(f * 8 + 2, 34, f * 8 + 6, 62, farPasses[f] ? 0xFFFFFFFF : 0xFF000000, name + " far");
        }
    }});

    scenes.push_back({"cull modes", [](SceneContext& s) {
        s.Clear(0xFF000000);
        s.ColorCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.AlphaCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        const DWORD modes[3] = {D3DCULL_NONE, D3DCULL_CW, D3DCULL_CCW};
        for (int m = 0; m < 3; ++m) {
            s.State(D3DRS_CULLMODE, modes[m]);
            const float x = m * 21.0f;
            s.Quad(x, 0, x + 20, 32, {255, 0, 0, 255, 0, 1}, true);
            s.Quad(x, 32, x + 20, kSize, {0, 255, 0, 255, 0, 1}, false);
            const std::string name = "cull " + std::to_string(modes[m]);
            s.Expect(m * 21 + 4, 4, m * 21 + 16, 28, modes[m] == D3DCULL_CW ? 0xFF000000 : 0xFFFF0000, name + " clockwise");
            s.Expect(m * 21 + 4, 36, m * 21 + 16, 60, modes[m] == D3DCULL_CCW ? 0xFF000000 : 0xFF00FF00,
                     name + " counter-clockwise");
        }
    }});

    scenes.push_back({"clip window", [](SceneContext& s) {
        s.Clear(0xFF000000);
        s.ColorCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.AlphaCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.ClipWindow(16, 8, 48, 40);
        s.Quad(0, 0, kSize, kSize, {255, 255, 0, 255, 0, 1});
        s.ClipWindow(0, 0, kSize, kSize);
        s.Expect(17, 9, 47, 39, 0xFFFFFF00, "inside");
        s.Expect(0, 0, 64, 7, 0xFF000000, "above");
        s.Expect(0, 41, 64, 64, 0xFF000000, "below");
        s.Expect(0, 0, 15, 64, 0xFF000000, "left");
        s.Expect(49, 0, 64, 64, 0xFF000000, "right");
    }});

    scenes.push_back({"negative other minus local", [](SceneContext& s) {
        Inputs in = FlatInputs();
        in.pixel.iterated = Channels(51, 51, 51, 255);
        in.pixel.constant = Channels(153, 153, 153, 204);
        in.color = {FN_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA, F_ONE, L_CONSTANT, O_ITERATED, 0};
        in.alpha = {FN_LOCAL, F_ZERO, L_CONSTANT, O_ITERATED, 0};
        Record(s, in);
        s.ConstantColor(ToArgb(in.pixel.constant));
        s.Quad(0, 0, kSize, kSize, ToVertex(in.pixel.iterated));
        if (s.Half() == SceneTexelHalf::PixelShader) {
            s.Expect(2, 2, 62, 62, ToArgb(Glide(in)), "iterated - constant + constant alpha");
        } else {
            s.ExpectApproximation(2, 2, 62, 62, ToArgb(Glide(in)), 0xCCCCCCCC, "iterated - constant + constant alpha",
                                  "the stages saturate other - local at 0 before adding the local alpha");
        }
    }});

    scenes.push_back({"depth as alpha local", [](SceneContext& s) {
        s.ColorCombine(FN_LOCAL_ALPHA, F_ZERO, L_ITERATED, O_CONSTANT);
        s.AlphaCombine(FN_LOCAL, F_ZERO, L_DEPTH, O_CONSTANT);
        s.Quad(0, 0, kSize, kSize, {255, 255, 255, 255, 0.5f * 65535.0f, 1});
        s.ExpectApproximation(2, 2, 62, 62, 0x7F7F7F7F, 0x00000000, "local alpha from depth",
                              s.Half() == SceneTexelHalf::PixelShader
                                  ? "the pixel shaders have no iterated depth: the depth reads as zero"
                                  : "the stages have no iterated depth: the depth reads as zero");
    }});

    scenes.push_back({"chroma-key with ITRGB lighting", [](SceneContext& s) {
        // TMU 0's texel in the key colour is removed; the top bit of the
        // texture output's alpha picks the constant colour over the iterated
        // one as the colour local.
        static const D3DCOLOR tex[4] = {0xFF102030, 0x80808080, 0x7F808080, 0xFFFFFFFF};
        s.Clear(0xFF000040);
        s.Command(5, 1);
        s.Command(6, 0x00102030);
        s.Command(3, 1);
        s.ConstantColor(0xFF00FF00);
        s.TexCombine(1, kTmuDecal);
        s.TexCombine(0, kTmuDecal);
        s.ColorCombine(FN_SCALE_OTHER, F_LOCAL, L_ITERATED, O_TEXTURE);
        s.AlphaCombine(FN_SCALE_OTHER, F_ONE, L_ITERATED, O_TEXTURE);
        s.State(D3DRS_ALPHATESTENABLE, TRUE);
        s.State(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        s.State(D3DRS_ALPHAREF, 0);
        s.Texture(0, tex[0], tex[1], tex[2], tex[3]);
        s.Quad(0, 0, kSize, kSize, {255, 0, 0, 255, 0, 1});
        const D3DCOLOR glide[4] = {0xFF000040, 0x80008000, 0x7F800000, 0xFF00FF00};
        const D3DCOLOR stages[4] = {0xFF100000, 0x80800000, 0x7F800000, 0xFFFF0000};
        for (int q = 0; q < 4; ++q) {
            const Region& r = kQuarters[q];
            const std::string what = "quarter " + std::to_string(q);
            if (s.Half() == SceneTexelHalf::PixelShader) {
                s.Expect(r.left, r.top, r.right, r.bottom, glide[q], what);
            } else if (glide[q] != stages[q]) {
                s.ExpectApproximation(r.left, r.top, r.right, r.bottom, glide[q], stages[q], what,
                                      "the stages ignore ITRGB lighting and leave chroma-keying to the texture "
                                      "download, which this scene bypasses");
            } else {
                s.Expect(r.left, r.top, r.right, r.bottom, glide[q], what);
            }
        }
    }});

    scenes.push_back({"trilinear blend by LOD fraction", [](SceneContext& s) {
        // TMU 0 blends towards TMU 1 by the level-of-detail fraction, which
        // Glide gives as 0 for a magnified texture: TMU 0's texel.  Neither
        // texel half has the fraction, so the minified case below shows each
        // one's stand-in for it.
        static const D3DCOLOR tex0[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
        static const D3DCOLOR tex1[4] = {0xFF404040, 0xFF404040, 0xFF404040, 0xFF404040};
        s.Clear(0xFF000000);
        s.TexCombine(1, kTmuDecal);
        s.TexCombine(0, {FN_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL, F_LOD_FRACTION, 0, FN_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL,
                         F_LOD_FRACTION, 0});
        s.ColorCombine(FN_SCALE_OTHER, F_ONE, L_ITERATED, O_TEXTURE);
        s.AlphaCombine(FN_SCALE_OTHER, F_ONE, L_ITERATED, O_TEXTURE);
        s.Texture(0, tex0[0], tex0[1], tex0[2], tex0[3]);
        s.Texture(1, tex1[0], tex1[1], tex1[2], tex1[3]);
        s.Quad(0, 0, kSize, kSize, {255, 255, 255, 255, 0, 1});
        for (int q = 0; q < 4; ++q) {
            const Region& r = kQuarters[q];
            const std::string what = "quarter " + std::to_string(q);
            if (s.Half() == SceneTexelHalf::PixelShader) {
                s.ExpectApproximation(r.left, r.top, r.right, r.bottom, tex0[q], tex1[q], what,
                                      "ps_1_3 has no level-of-detail fraction: it is taken as 1, giving TMU 1's texel");
            } else {
                s.Expect(r.left, r.top, r.right, r.bottom, tex0[q], what);
            }
        }
        // Minified: a quad of 1 / sqrt 2 pixels over the 2 x 2 texels is at
        // level of detail 1.5, whose fraction 0.5 gives Glide the middle of
        // the two texels.
        s.Texture(0, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000);
        s.Texture(1, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF);
        s.Quad(32, 32, 32.7071f, 32.7071f, {255, 255, 255, 255, 0, 1});
        const D3DCOLOR middle = ToArgb(Lerp(Rgba{1, 0, 0, 1}, Rgba{0, 0, 1, 1}, 0.5f));
        if (s.Half() == SceneTexelHalf::PixelShader) {
            s.ExpectApproximation(32, 32, 33, 33, middle, 0xFF0000FF, "minified",
                                  "ps_1_3 has no level-of-detail fraction: it is taken as 1, giving TMU 1's texel");
        } else {
            s.ExpectApproximation(32, 32, 33, 33, middle, 0xFFFF0000, "minified",
                                  "the stages have no level-of-detail fraction: it is taken as 0, giving TMU 0's "
                                  "texel");
        }
    }});

    scenes.push_back({"lower-left origin", [](SceneContext& s) {
        s.Clear(0xFF000000);
        s.ColorCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.AlphaCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.Command(1, 0);
        // Glide rows 0 to 16 counted from the bottom.
        s.Quad(0, 0, kSize, 16, {0, 255, 255, 255, 0, 1});
        s.Expect(2, 50, 62, 62, 0xFF00FFFF, "bottom rows");
        s.Expect(2, 2, 62, 46, 0xFF000000, "the rest");
    }});

    scenes.push_back({"depth buffer modes", [](SceneContext& s) {
        // Per column a red quad, then a blue one over it; red is the nearer
        // by ooz, blue the nearer by w (1 / oow).  Without depth the last
        // one shows, with z the red one, with w the blue one.
        s.Clear(0xFF000000, 1.0f);
        s.ColorCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.AlphaCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.State(D3DRS_ZFUNC, D3DCMP_LESS);
        const D3DCOLOR shown[3] = {0xFF0000FF, 0xFFFF0000, 0xFF0000FF};
        for (std::uint32_t mode = 0; mode < 3; ++mode) {
            s.Command(9, mode);
            const float x = mode * 21.0f;
            s.Quad(x, 0, x + 21, kSize, {255, 0, 0, 255, 0.25f * 65535.0f, 1.0f / 16.0f});
            s.Quad(x, 0, x + 21, kSize, {0, 0, 255, 255, 0.75f * 65535.0f, 0.5f});
            const int left = static_cast<int>(x) + 2;
            s.Expect(left, 2, left + 17, 62, shown[mode], "mode " + std::to_string(mode));
        }
    }});

    scenes.push_back({"w buffering orders by w", [](SceneContext& s) {
        // A grey band at w 10, then a green triangle from w 7.5 at its left
        // tip to w 12.5 at its right edge: 1 / w runs linearly across the
        // screen, so the green one crosses w 10 at x = 40.  Top band: LESS
        // over the cleared depth, green in front left of x = 40.  Bottom
        // band: grey written with ALWAYS, then green with GREATER, green
        // behind right of x = 40.
        s.Clear(0xFF000000, 1.0f);
        s.ColorCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.AlphaCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.Command(9, 2);
        const SceneContext::Vertex grey = {128, 128, 128, 255, 0, 0.1f};
        const SceneContext::Vertex green = {0, 255, 0, 255, 0, 0.1f};
        const float nearW = 1.0f / 7.5f, farW = 1.0f / 12.5f;
        s.State(D3DRS_ZFUNC, D3DCMP_LESS);
        s.Quad(0, 0, kSize, 32, grey);
        s.Triangle({0, 16, nearW}, {kSize, 0, farW}, {kSize, 32, farW}, green);
        s.State(D3DRS_ZFUNC, D3DCMP_ALWAYS);
        s.Quad(0, 32, kSize, kSize, grey);
        s.State(D3DRS_ZFUNC, D3DCMP_GREATER);
        s.Triangle({0, 48, nearW}, {kSize, 32, farW}, {kSize, kSize, farW}, green);
        s.Expect(16, 14, 34, 18, 0xFF00FF00, "LESS: nearer than w 10");
        s.Expect(46, 12, 60, 20, 0xFF808080, "LESS: farther than w 10");
        s.Expect(16, 46, 34, 50, 0xFF808080, "GREATER: nearer than w 10");
        s.Expect(46, 44, 60, 52, 0xFF00FF00, "GREATER: farther than w 10");
    }});

    scenes.push_back({"z buffering ignores oow", [](SceneContext& s) {
        // A program that z-buffers without textures or fog need not set
        // oow: whatever it left there, the triangle is drawn by its ooz.
        s.Clear(0xFF000000, 1.0f);
        s.ColorCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.AlphaCombine(FN_LOCAL, F_ZERO, L_ITERATED, O_CONSTANT);
        s.Command(9, 1);
        s.State(D3DRS_ZFUNC, D3DCMP_LESS);
        const float oows[5] = {INFINITY, 1.0e38f, NAN, 0.0f, -1.0f};
        const char* const names[5] = {"+inf", "1e38", "NaN", "0", "-1"};
        for (int i = 0; i < 5; ++i) {
            const float x = i * 12.0f;
            s.Quad(x, 0, x + 12, kSize, {255, 0, 0, 255, 0.5f * 65535.0f, oows[i]});
            s.Expect(static_cast<int>(x) + 2, 2, static_cast<int>(x) + 10, 62, 0xFFFF0000, "oow " + std::string(names[i]));
        }
    }});

    scenes.push_back({"chroma-key compares the colour only", [](SceneContext& s) {
        // Keying blue with the alpha test the front end forces while keying
        // (greater or equal 1); every colour comes with alpha 0.  Top: an
        // untextured red quad stays, an untextured blue one is keyed out.
        // Bottom: texels red and blue under a constant alpha of 0.
        s.Clear(0xFF102030);
        s.Command(5, 1);
        s.Command(6, 0x000000FF);
        s.State(D3DRS_ALPHATESTENABLE, TRUE);
        s.State(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
        s.State(D3DRS_ALPHAREF, 1);
        s.ColorCombine(FN_LOCAL, F_ZERO, L_CONSTANT, O_CONSTANT);
        s.AlphaCombine(FN_LOCAL, F_ZERO, L_CONSTANT, O_CONSTANT);
        s.ConstantColor(0x00FF0000);
        s.Quad(0, 0, 21, 32, {0, 0, 0, 0, 0, 1});
        s.ConstantColor(0x000000FF);
        s.Quad(21, 0, 42, 32, {0, 0, 0, 0, 0, 1});
        s.ConstantColor(0x000000FE);
        s.Quad(42, 0, kSize, 32, {0, 0, 0, 0, 0, 1});
        s.Expect(2, 2, 19, 30, 0x00FF0000, "untextured red, alpha 0");
        if (s.Half() == SceneTexelHalf::PixelShader) {
            s.Expect(23, 2, 40, 30, 0xFF102030, "untextured blue: keyed");
        } else {
            s.ExpectApproximation(23, 2, 40, 30, 0xFF102030, 0x000000FF, "untextured blue",
                                  "the stages cannot compare a colour with the key");
        }
        s.Expect(44, 2, 62, 30, 0x000000FE, "untextured blue one step off the key");
        s.TexCombine(1, kTmuDecal);
        s.TexCombine(0, kTmuDecal);
        s.ColorCombine(FN_SCALE_OTHER, F_ONE, L_ITERATED, O_TEXTURE);
        s.Texture(0, 0xFFFF0000, 0xFF0000FF, 0xFFFF0000, 0xFF0000FF);
        s.Quad(0, 32, kSize, kSize, {0, 0, 0, 0, 0, 1});
        if (s.Half() == SceneTexelHalf::PixelShader) {
            s.Expect(4, 36, 28, 60, 0x00FF0000, "red texel, alpha 0");
        } else {
            s.ExpectApproximation(4, 36, 28, 60, 0x00FF0000, 0xFF102030, "red texel, alpha 0",
                                  "the stages key texels through their alpha, which the combine replaces here");
        }
        s.Expect(36, 36, 60, 60, 0xFF102030, "blue texel: keyed");
    }});

    return scenes;
}

}  // namespace

D3DCOLOR ToArgb(const Rgba& c)
{
    return static_cast<D3DCOLOR>(Byte(c.a)) << 24 | static_cast<D3DCOLOR>(Byte(c.r)) << 16 |
           static_cast<D3DCOLOR>(Byte(c.g)) << 8 | Byte(c.b);
}

Rgba FromArgb(D3DCOLOR c)
{
    return Channels(static_cast<float>((c >> 16) & 0xFF), static_cast<float>((c >> 8) & 0xFF),
                    static_cast<float>(c & 0xFF), static_cast<float>(c >> 24));
}

SceneContext::SceneContext(zelk::ZelkGrPrimitiveRenderer& renderer, IDirect3DDevice9* device, SceneTexelHalf half)
    : renderer(renderer), device(device), half(half)
{
}

SceneContext::~SceneContext()
{
    for (IDirect3DTexture9* t : textures) t->Release();
}

void SceneContext::ColorCombine(std::uint32_t function, std::uint32_t factor, std::uint32_t local,
                                std::uint32_t other, std::uint32_t invert)
{
    Command(12, function << 24 | factor << 16 | local << 12 | other << 8 | invert);
}

void SceneContext::AlphaCombine(std::uint32_t function, std::uint32_t factor, std::uint32_t local,
                                std::uint32_t other, std::uint32_t invert)
{
    Command(13, function << 24 | factor << 16 | local << 12 | other << 8 | invert);
}

void SceneContext::TexCombine(std::uint32_t tmu, const GlideTexCombine& c)
{
    Command(14, c.rgbFunction << 24 | c.alphaFunction << 16 | c.rgbFactor << 12 | c.alphaFactor << 8 |
                    (c.rgbInvert ? 0x10u : 0u) | (c.alphaInvert ? 1u : 0u),
            tmu);
}

void SceneContext::ConstantColor(D3DCOLOR argb) { Command(7, argb); }

void SceneContext::Command(std::uint32_t id, std::uint32_t value, std::uint32_t arg)
{
    renderer.RecordCommand(id, value, arg);
}

void SceneContext::State(D3DRENDERSTATETYPE state, DWORD value) { renderer.RecordRenderState(state, value); }

void SceneContext::BlendFunction(std::uint32_t rgbSrc, std::uint32_t rgbDst, std::uint32_t alphaSrc,
                                 std::uint32_t alphaDst)
{
    Command(4, rgbSrc << 24 | rgbDst << 16 | alphaSrc << 8 | alphaDst);
}

void SceneContext::Texture(std::uint32_t tmu, D3DCOLOR t00, D3DCOLOR t10, D3DCOLOR t01, D3DCOLOR t11)
{
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr))) {
        ADD_FAILURE() << "CreateTexture failed";
        return;
    }
    D3DLOCKED_RECT locked;
    if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
        auto* row0 = static_cast<D3DCOLOR*>(locked.pBits);
        auto* row1 = reinterpret_cast<D3DCOLOR*>(static_cast<std::uint8_t*>(locked.pBits) + locked.Pitch);
        row0[0] = t00;
        row0[1] = t10;
        row1[0] = t01;
        row1[1] = t11;
        texture->UnlockRect(0);
    }
    textures.push_back(texture);
    renderer.RecordTexture(zelk::ZelkGrTextureBinding(tmu, texture, 0.5f, 0.5f));
}

void SceneContext::Clear(D3DCOLOR color, float depth) { renderer.RecordClear(color, depth); }

void SceneContext::ClipWindow(int left, int top, int right, int bottom)
{
    renderer.RecordClipWindow(zelk::ZelkGrRect(left, top, right, bottom));
}

void SceneContext::FogTable(const std::uint8_t* table) { renderer.RecordFogTable(table); }

namespace {
GrVertex MakeSceneVertex(float x, float y, float s, float t, const SceneContext::Vertex& v)
{
    GrVertex g;
    std::memset(&g, 0, sizeof g);
    g.x = x;
    g.y = y;
    g.r = v.r;
    g.g = v.g;
    g.b = v.b;
    g.a = v.a;
    g.ooz = v.ooz;
    g.oow = v.oow;
    for (GrTmuVertex& tmu : g.tmuvtx) {
        tmu.sow = s * v.oow;
        tmu.tow = t * v.oow;
        tmu.oow = v.oow;
    }
    return g;
}
}  // namespace

void SceneContext::Quad(float left, float top, float right, float bottom, const Vertex& v, bool clockwise)
{
    const GrVertex tl = MakeSceneVertex(left, top, 0, 0, v), tr = MakeSceneVertex(right, top, 2, 0, v);
    const GrVertex br = MakeSceneVertex(right, bottom, 2, 2, v), bl = MakeSceneVertex(left, bottom, 0, 2, v);
    if (clockwise) {
        renderer.DrawTriangle(&tl, &tr, &br);
        renderer.DrawTriangle(&tl, &br, &bl);
    } else {
        renderer.DrawTriangle(&tl, &br, &tr);
        renderer.DrawTriangle(&tl, &bl, &br);
    }
}

void SceneContext::Triangle(float x0, float y0, float x1, float y1, float x2, float y2, const Vertex& v)
{
    const GrVertex a = MakeSceneVertex(x0, y0, 0, 0, v), b = MakeSceneVertex(x1, y1, 0, 0, v),
                   c = MakeSceneVertex(x2, y2, 0, 0, v);
    renderer.DrawTriangle(&a, &b, &c);
}

void SceneContext::Triangle(const Corner& c0, const Corner& c1, const Corner& c2, const Vertex& v)
{
    GrVertex corners[3];
    const Corner* from[3] = {&c0, &c1, &c2};
    for (int i = 0; i < 3; ++i) {
        Vertex own = v;
        own.oow = from[i]->oow;
        corners[i] = MakeSceneVertex(from[i]->x, from[i]->y, 0, 0, own);
    }
    renderer.DrawTriangle(&corners[0], &corners[1], &corners[2]);
}

void SceneContext::Expect(int left, int top, int right, int bottom, D3DCOLOR expected, const std::string& what,
                          int tolerance)
{
    expectations.push_back({left, top, right, bottom, expected, expected, what, std::string(), tolerance});
}

void SceneContext::ExpectApproximation(int left, int top, int right, int bottom, D3DCOLOR glide, D3DCOLOR expected,
                                       const std::string& what, const std::string& reason, int tolerance)
{
    expectations.push_back({left, top, right, bottom, expected, glide, what, reason, tolerance});
}

const std::vector<CombineScene>& CombineScenes()
{
    static const std::vector<CombineScene> scenes = BuildScenes();
    return scenes;
}

void RunCombineScene(const CombineScene& scene, const SceneRendererFactory& factory, IDirect3DDevice9* device,
                     SceneTexelHalf half)
{
    std::unique_ptr<zelk::ZelkGrPrimitiveRenderer> renderer = factory(device, kSize, kSize);
    ASSERT_TRUE(renderer != nullptr);
    SceneContext context(*renderer, device, half);
    scene.run(context);
    renderer->Flush(true);
    const ReadBack pixels(device);
    ASSERT_TRUE(pixels.Valid()) << scene.name;
    for (const SceneContext::Expectation& e : context.Expectations()) {
        char glide[16];
        std::snprintf(glide, sizeof glide, "%08lX", static_cast<unsigned long>(e.glide));
        EXPECT_TRUE(pixels.RegionNear(e.left, e.top, e.right, e.bottom, e.expected, e.tolerance))
            << scene.name << ": " << e.what
            << (e.reason.empty() ? std::string() : " (Glide gives " + std::string(glide) + "; " + e.reason + ")");
    }
    renderer.reset();
}

}  // namespace zelktest
