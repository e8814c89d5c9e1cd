#pragma once

// A table of representative Glide scenes (combine setups, fog, alpha test,
// blending, masks, depth, culling, clipping), each recorded on a renderer the
// way the front end records it and checked pixel by pixel against values
// worked out from the Glide combine model and the Glide formulas.
//
// The runner takes a renderer factory, so that every renderer class can be
// run through the same table.
#include <gtest/gtest.h>

#include <d3d9.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "GlideCombineModel.h"
#include "render/ZelkGrPrimitiveRenderer.h"

namespace zelktest {

using SceneRendererFactory = std::function<std::unique_ptr<zelk::ZelkGrPrimitiveRenderer>(
    IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height)>;

// Which texel half draws the scene: where one can only approximate Glide
// the scenes say so for that half.
enum class SceneTexelHalf { Stages, PixelShader };

// What a scene records and expects.
class SceneContext {
public:
    SceneContext(zelk::ZelkGrPrimitiveRenderer& renderer, IDirect3DDevice9* device,
                 SceneTexelHalf half = SceneTexelHalf::Stages);
    SceneTexelHalf Half() const { return half; }
    ~SceneContext();

    // Glide state, as the front end records it.
    void ColorCombine(std::uint32_t function, std::uint32_t factor, std::uint32_t local, std::uint32_t other,
                      std::uint32_t invert = 0);
    void AlphaCombine(std::uint32_t function, std::uint32_t factor, std::uint32_t local, std::uint32_t other,
                      std::uint32_t invert = 0);
    void TexCombine(std::uint32_t tmu, const GlideTexCombine& combine);
    void ConstantColor(D3DCOLOR argb);
    void Command(std::uint32_t id, std::uint32_t value, std::uint32_t arg = 0);
    void State(D3DRENDERSTATETYPE state, DWORD value);
    void BlendFunction(std::uint32_t rgbSrc, std::uint32_t rgbDst, std::uint32_t alphaSrc, std::uint32_t alphaDst);
    // A 2 x 2 A8R8G8B8 texture (texels row by row) bound to the TMU; the quads
    // map it with point sampling, one texel per quarter of the quad.
    void Texture(std::uint32_t tmu, D3DCOLOR t00, D3DCOLOR t10, D3DCOLOR t01, D3DCOLOR t11);
    void Clear(D3DCOLOR color, float depth = 1.0f);
    void ClipWindow(int left, int top, int right, int bottom);
    void FogTable(const std::uint8_t* table);

    // A quad of one colour (channels 0 to 255) drawn as two triangles, with
    // s and t from 0 to 2 over it.  ooz and oow as given.
    struct Vertex {
        float r, g, b, a, ooz, oow;
    };
    void Quad(float left, float top, float right, float bottom, const Vertex& v, bool clockwise = true);
    // One triangle with the given corners (clockwise on the screen unless
    // swapped).
    void Triangle(float x0, float y0, float x1, float y1, float x2, float y2, const Vertex& v);
    // One triangle of one colour whose corners carry their own oow.
    struct Corner {
        float x, y, oow;
    };
    void Triangle(const Corner& c0, const Corner& c1, const Corner& c2, const Vertex& v);

    // The expected colour of a region (inclusive left/top, exclusive
    // right/bottom), A8R8G8B8.
    void Expect(int left, int top, int right, int bottom, D3DCOLOR expected, const std::string& what,
                int tolerance = 3);
    // Where the stage pipeline can only approximate Glide: the colour Glide
    // gives, the colour expected here and why they differ.
    void ExpectApproximation(int left, int top, int right, int bottom, D3DCOLOR glide, D3DCOLOR expected,
                             const std::string& what, const std::string& reason, int tolerance = 3);

    struct Expectation {
        int left, top, right, bottom;
        D3DCOLOR expected;
        D3DCOLOR glide;
        std::string what;
        std::string reason;  // empty: exact
        int tolerance;
    };
    const std::vector<Expectation>& Expectations() const { return expectations; }

private:
    zelk::ZelkGrPrimitiveRenderer& renderer;
    IDirect3DDevice9* device;
    SceneTexelHalf half;
    std::vector<IDirect3DTexture9*> textures;
    std::vector<Expectation> expectations;
};

struct CombineScene {
    const char* name;
    std::function<void(SceneContext&)> run;
};

// The scenes.
const std::vector<CombineScene>& CombineScenes();

// Records the scene on a renderer from the factory, plays it, reads the
// back buffer and checks every expectation.  The device must have a
// 64 x 64 A8R8G8B8 back buffer.
void RunCombineScene(const CombineScene& scene, const SceneRendererFactory& factory, IDirect3DDevice9* device,
                     SceneTexelHalf half = SceneTexelHalf::Stages);

// Helpers for expectations: 0..1 colours to A8R8G8B8 and back.
D3DCOLOR ToArgb(const Rgba& c);
Rgba FromArgb(D3DCOLOR c);

}  // namespace zelktest
