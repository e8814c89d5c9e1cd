// The three ps_1_3 renderer classes on the device: the texel half's caches
// and its first update, the vertex-shader variants with their macros and
// profiles, the vertex buffer, the same frame through every vertex path,
// and failures of the compiler and the device.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/ReadBack.h"
#include "common/TestDirectory.h"
#include "framework/ZelkException.h"
#include "render/ZelkGrRendererClasses.h"
#include "render/ZelkGrRendererSWFixed.h"
#include "render/ZelkGrRendererSWPS13.h"
#include "render/ZelkGrRendererVS11PS13.h"
#include "render/ZelkGrRendererVS2xPS13.h"
#include "support/RenderBaseTestSupport.h"
#include "support/ShaderStandIn.h"

using namespace zelktest;
using zelk::ZelkException;
using zelk::ZelkGrPrimitiveRenderer;
using zelk::ZelkGrRendererSWPS13;
using zelk::ZelkGrRendererVS11PS13;
using zelk::ZelkGrRendererVS2xPS13;

namespace {

constexpr std::uint32_t kSize = 64;

zelk::ZelkGrRendererSettings Settings(std::uint32_t vertexShaderVersion = 255, bool strips = false)
{
    zelk::ZelkGrRendererSettings settings = RendererSettings(false);
    settings.vertexShaderVersion = vertexShaderVersion;
    settings.useTriangleStrip = strips ? 1 : 0;
    return settings;
}

std::unique_ptr<ZelkGrPrimitiveRenderer> Make(int which, IDirect3DDevice9* device,
                                              const zelk::ZelkGrRendererSettings& settings = Settings())
{
    switch (which) {
    case 0:
        return std::make_unique<ZelkGrRendererSWPS13>(device, kSize, kSize, settings);
    case 1:
        return std::make_unique<ZelkGrRendererVS11PS13>(device, kSize, kSize, settings);
    default:
        return std::make_unique<ZelkGrRendererVS2xPS13>(device, kSize, kSize, settings);
    }
}

const char* const kClassNames[] = {"SWPS13", "VS11PS13", "VS2xPS13"};

void Quad(ZelkGrPrimitiveRenderer& r, float left, float top, float right, float bottom, float red, float green,
          float blue, float alpha = 255.0f)
{
    const GrVertex a = MakeVertex(left, top, red, green, blue, alpha), b = MakeVertex(right, top, red, green, blue, alpha),
                   c = MakeVertex(right, bottom, red, green, blue, alpha),
                   d = MakeVertex(left, bottom, red, green, blue, alpha);
    r.DrawTriangle(&a, &b, &c);
    r.DrawTriangle(&a, &c, &d);
}

std::uint32_t Combine(std::uint32_t function, std::uint32_t factor, std::uint32_t local, std::uint32_t other)
{
    return function << 24 | factor << 16 | local << 12 | other << 8;
}

std::string ReadLog()
{
    std::string text = ReadFileText("vezoRerez.log");
    std::string out;
    for (char c : text) {
        if (c != '\r') out += c;
    }
    return out;
}

class ShaderRenderers : public testing::Test {
protected:
    static void SetUpTestSuite() { standIn = new ShaderStandIn(); }
    static void TearDownTestSuite()
    {
        delete standIn;
        standIn = nullptr;
    }
    void SetUp() override
    {
        device = RenderTestDevice::Get(D3DFMT_A8R8G8B8);
        ASSERT_TRUE(device != nullptr);
        ShaderStandIn::ClearCalls();
    }
    void TearDown() override
    {
        RenderTestDevice::Proxy().ClearFaults();
        RenderTestDevice::Proxy().SetCaps(D3DProxyCaps());
    }

    static ShaderStandIn* standIn;
    IDirect3DDevice9* device = nullptr;
};

ShaderStandIn* ShaderRenderers::standIn = nullptr;

// A renderer that has seen no combine command draws Glide's initial
// combine (constant colour and alpha), not whatever the device had.
TEST_F(ShaderRenderers, FirstBatchTranslatesTheInitialCombine)
{
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(kClassNames[which]);
        std::unique_ptr<ZelkGrPrimitiveRenderer> r = Make(which, device);
        r->RecordClear(0xFF000000, 1.0f);
        r->RecordCommand(7, 0x80C04020, 0);
        Quad(*r, 0, 0, kSize, kSize, 10, 200, 30);
        r->Flush(true);
        EXPECT_TRUE(ReadBack(device).RegionNear(2, 2, 62, 62, 0x80C04020, 3));
    }
}

// The same states again translate nothing: two shaders for twenty batches.
TEST_F(ShaderRenderers, PixelShaderCacheHitsOnRepeatedStates)
{
    ZelkGrRendererSWPS13 r(device, kSize, kSize, Settings());
    const UINT created = RenderTestDevice::Proxy().CallCount(D3DCall::Device_CreatePixelShader);
    for (int batch = 0; batch < 20; ++batch) {
        r.RecordCommand(12, batch % 2 ? Combine(1, 0, 0, 2) : Combine(1, 0, 1, 2), 0);
        Quad(r, batch * 3.0f, 0, batch * 3.0f + 3, kSize, 255, 0, 0);
    }
    r.Flush(true);
    EXPECT_EQ(r.pixelShaderLookups, 20u);  // every batch changes the state
    EXPECT_EQ(r.pixelShaderTranslations, 2u);
    EXPECT_EQ(r.pixelShaderCache.size(), 2u);
    EXPECT_EQ(RenderTestDevice::Proxy().CallCount(D3DCall::Device_CreatePixelShader) - created, 2u);
}

TEST_F(ShaderRenderers, ColorkeyMapsAreBuiltOncePerColour)
{
    ZelkGrRendererSWPS13 r(device, kSize, kSize, Settings());
    const zelk::ZelkGrRenderCommand first{6, 0x00102030, 0}, second{6, 0x00405060, 0};
    r.SetChromakeyValue(first);
    IDirect3DTexture9* mapAR = r.colorkeyMapAR;
    r.SetChromakeyValue(first);
    EXPECT_EQ(r.colorkeyMapCache.size(), 1u);
    EXPECT_EQ(static_cast<IDirect3DTexture9*>(r.colorkeyMapAR), mapAR);
    r.SetChromakeyValue(second);
    EXPECT_EQ(r.colorkeyMapCache.size(), 2u);
    EXPECT_NE(static_cast<IDirect3DTexture9*>(r.colorkeyMapAR), mapAR);
    r.SetChromakeyValue(first);
    EXPECT_EQ(static_cast<IDirect3DTexture9*>(r.colorkeyMapAR), mapAR);
}

// Chroma-keying before any key colour keys Glide's initial black.
TEST_F(ShaderRenderers, ChromakeyWithoutKeyColourKeysBlack)
{
    ZelkGrRendererSWPS13 r(device, kSize, kSize, Settings());
    IDirect3DTexture9Ptr texture;
    ASSERT_EQ(device->CreateTexture(2, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    static_cast<D3DCOLOR*>(locked.pBits)[0] = 0xFF000000;
    static_cast<D3DCOLOR*>(locked.pBits)[1] = 0xFF808080;
    texture->UnlockRect(0);
    r.RecordClear(0xFF0000FF, 1.0f);
    r.RecordCommand(5, 1, 0);
    r.RecordCommand(14, 1u << 24 | 1u << 16, 0);  // TMU 0 passes its texel
    r.RecordCommand(12, Combine(3, 8, 0, 1), 0);
    r.RecordCommand(13, Combine(3, 8, 0, 1), 0);
    r.RecordRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    r.RecordRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    r.RecordRenderState(D3DRS_ALPHAREF, 0);
    r.RecordTexture(zelk::ZelkGrTextureBinding(0, texture, 1.0f / 64, 1.0f / 64));
    GrVertex v[4];
    const float xs[4] = {0, 64, 64, 0}, ys[4] = {0, 0, 64, 64};
    for (int i = 0; i < 4; ++i) {
        v[i] = MakeVertex(xs[i], ys[i]);
        v[i].tmuvtx[0].sow = xs[i];
        v[i].tmuvtx[0].tow = ys[i];
        v[i].tmuvtx[0].oow = 1.0f;
    }
    r.DrawPolygonVertexList(4, v);
    r.Flush(true);
    const ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(2, 2, 30, 62, 0xFF0000FF, 3));   // black texel keyed: background
    EXPECT_TRUE(pixels.RegionNear(34, 2, 62, 62, 0xFF808080, 3));  // grey texel drawn
    EXPECT_EQ(r.colorkeyMapCache.size(), 1u);
}

bool HasMacro(const ShaderCompileCall& call, const std::string& name, const std::string& value)
{
    for (const auto& m : call.macros) {
        if (m.first == name) return m.second == value;
    }
    return false;
}

// Each variant is compiled once with its own selectors; the variant of the
// state is bound and only the constants it uses have handles.
TEST_F(ShaderRenderers, VertexShader11VariantsAndSelection)
{
    ZelkGrRendererVS11PS13 r(device, kSize, kSize, Settings());
    const std::vector<ShaderCompileCall> calls = ShaderStandIn::Calls();
    ASSERT_EQ(calls.size(), 72u);
    // This device lacks D3DPMISCCAPS_FOGANDSPECULARALPHA: no FOGFACTORVALID
    // although "assume oFog is valid" is set.
    EXPECT_EQ(calls[53].macros.size(), 17u);
    EXPECT_TRUE(HasMacro(calls[53], "ORIGIN", "ORIGIN_UPPERLEFT"));
    EXPECT_TRUE(HasMacro(calls[53], "DEPTHTYPE", "DEPTHTYPE_Z"));
    EXPECT_TRUE(HasMacro(calls[53], "DETAILFACTOR", "DETAILFACTOR_DISABLE"));
    EXPECT_TRUE(HasMacro(calls[53], "FOGTYPE", "FOGTYPE_TABLE"));
    EXPECT_TRUE(HasMacro(calls[53], "TEXCOORD", "TEXCOORD_ENABLE"));
    EXPECT_TRUE(HasMacro(calls[0], "ORIGIN_UPPERLEFT", "1"));
    int standIns = 0;
    for (std::uint32_t i = 0; i < 72; ++i) {
        EXPECT_TRUE(r.convertShaders[i].shader != nullptr) << i;
        standIns += calls[i].standIn ? 1 : 0;
    }
    EXPECT_EQ(standIns, 24);  // the table-fog variants
    using H = zelk::ZelkGrConvertVerticesShader;
    EXPECT_EQ(r.convertShaders[0].handles[H::FogTable], nullptr);
    EXPECT_EQ(r.convertShaders[0].handles[H::ScreenHeight], nullptr);
    EXPECT_NE(r.convertShaders[0].handles[H::ScreenToProj], nullptr);
    EXPECT_NE(r.convertShaders[53].handles[H::ScreenHeight], nullptr);
    EXPECT_NE(r.convertShaders[53].handles[H::TmuParam0], nullptr);
    EXPECT_EQ(ZelkGrRendererVS11PS13::CreatorName(53),
              "ZelkGrPrimitiveRendererVS11::CreateConvertVertices_ORIGIN_UPPERLEFT_DEPTHTYPE_Z_DETAILFACTOR_DISABLE_"
              "FOGTYPE_TABLE_TEXCOORD_ENABLE");

    // Upper-left origin, z depth, no detail, table fog, a texture on stage 1
    // alone: variant 53.
    IDirect3DTexture9Ptr texture;
    ASSERT_EQ(device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    r.originUpperLeft = 1;
    r.depthBufferMode = 1;
    r.detailFactorEnabled = 0;
    r.fogMode = 2;
    r.stageBindings[1] = zelk::ZelkGrTextureBinding(1, texture, 1.0f, 1.0f);
    EXPECT_EQ(r.VariantIndex(), 53u);
    r.UpdateConvertVertices();
    IDirect3DVertexShader9Ptr bound;
    device->GetVertexShader(&bound);
    EXPECT_EQ(static_cast<IDirect3DVertexShader9*>(bound),
              static_cast<IDirect3DVertexShader9*>(r.convertShaders[53].shader));
    r.stageBindings[1] = zelk::ZelkGrTextureBinding();
    EXPECT_EQ(r.VariantIndex(), 52u);
    device->SetVertexShader(nullptr);
}

// The profile handed to the compiler, by setting and by what the device
// reports: 0 (never configured) and 255 are the best profile up to 2.x.
TEST_F(ShaderRenderers, VertexShaderProfiles)
{
    struct Case {
        std::uint32_t setting;
        DWORD deviceVersion;  // 0xFFFFFFFF: as the device is
        const char* profile;  // null: construction fails
    };
    const Case cases[] = {
        {1, 0xFFFFFFFF, "vs_1_1"},          {2, 0xFFFFFFFF, "vs_2_0"},
        {3, 0xFFFFFFFF, "vs_2_a"},          {4, 0xFFFFFFFF, "vs_2_sw"},
        {0, 0xFFFFFFFF, "vs_2_a"},          {255, 0xFFFFFFFF, "vs_2_a"},
        {255, D3DVS_VERSION(2, 0), "vs_2_0"}, {0, D3DVS_VERSION(1, 1), "vs_1_1"},
        {7, 0xFFFFFFFF, "fail"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "setting " << c.setting << " device " << std::hex << c.deviceVersion);
        D3DProxyCaps caps;
        if (c.deviceVersion != 0xFFFFFFFF) caps.maxVertexShaderVersion = c.deviceVersion;
        RenderTestDevice::Proxy().SetCaps(caps);
        ShaderStandIn::ClearCalls();
        try {
            ZelkGrRendererVS2xPS13 r(device, kSize, kSize, Settings(c.setting));
        } catch (const ZelkException&) {
        }
        const std::vector<ShaderCompileCall> calls = ShaderStandIn::Calls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].profile, c.profile);
    }
}

TEST_F(ShaderRenderers, DeviceWithoutVertexShadersIsAFailureNotANullProfile)
{
    D3DProxyCaps caps;
    caps.maxVertexShaderVersion = 0;
    RenderTestDevice::Proxy().SetCaps(caps);
    try {
        ZelkGrRendererVS11PS13 r(device, kSize, kSize, Settings(255));
        FAIL() << "no exception";
    } catch (const ZelkException& e) {
        EXPECT_EQ(e.functionName, ZelkGrRendererVS11PS13::CreatorName(0));
        EXPECT_EQ(e.message, "The function [ D3DXGetVertexShaderProfile ] failed.");
    }
    EXPECT_TRUE(ShaderStandIn::Calls().empty());
}

TEST_F(ShaderRenderers, CompileAndCreationFailuresThrowFromConstruction)
{
    ShaderStandIn::FailCompile(3, D3DXERR_INVALIDDATA);
    try {
        ZelkGrRendererVS11PS13 r(device, kSize, kSize, Settings());
        FAIL() << "no exception";
    } catch (const ZelkException& e) {
        EXPECT_EQ(e.functionName, ZelkGrRendererVS11PS13::CreatorName(2));
        EXPECT_EQ(e.message, "The function [ D3DXCompileShader ] failed.\nstand-in: compile failed");
        EXPECT_TRUE(e.logged);
    }
    EXPECT_EQ(ShaderStandIn::Calls().size(), 3u);

    struct Fault {
        D3DCall call;
        const char* thrower;
        const char* message;
    };
    const Fault faults[] = {
        {D3DCall::Device_CreateVertexShader, "ZelkGrPrimitiveRendererVS2x::CreateConvertVertices",
         "The function [ IDirect3DDevice9::CreateVertexShader ] failed."},
        {D3DCall::Device_CreateVertexBuffer, "ZelkGrVertexBuffer::ZelkGrVertexBuffer",
         "The function [ IDirect3DDevice9::CreateVertexBuffer ] failed."},
        {D3DCall::Device_CreateVertexDeclaration, "ZelkGrPrimitiveRendererVS::ZelkGrPrimitiveRendererVS",
         "The function [ IDirect3DDevice9::CreateVertexDeclaration ] failed."},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.message);
        RenderTestDevice::Proxy().FailCall(f.call, D3DERR_OUTOFVIDEOMEMORY, 1);
        try {
            ZelkGrRendererVS2xPS13 r(device, kSize, kSize, Settings());
            ADD_FAILURE() << "no exception";
        } catch (const ZelkException& e) {
            EXPECT_EQ(e.functionName, f.thrower);
            EXPECT_EQ(e.message, f.message);
            EXPECT_EQ(e.returnValue.result, D3DERR_OUTOFVIDEOMEMORY);
        }
        RenderTestDevice::Proxy().ClearFaults();
    }
}

// A combine state whose shader cannot be built falls back to one that can:
// every frame is still drawn and presented, the state is not translated
// again, and the log holds one entry with the shader text.  The state is of
// the kind the extension library's assembler refuses (chroma-keying, ITRGB
// lighting, two inverted texture units and an inverted final combine: more
// than ps_1_3's eight arithmetic slots); this machine's assembler takes
// such text, so the device refuses the shader instead.
TEST_F(ShaderRenderers, UnbuildablePixelShaderFallsBackAndPresents)
{
    // 1: the device refuses the state's shader, then takes the first
    // fallback; 0: it refuses every shader, and the state draws with the
    // fixed-function pixel pipeline.
    for (UINT refused : {1u, 0u}) {
        for (int which = 0; which < 3; ++which) {
            SCOPED_TRACE(testing::Message() << kClassNames[which]
                                            << (refused ? " one shader refused" : " every shader refused"));
            std::remove("vezoRerez.log");
            std::unique_ptr<ZelkGrPrimitiveRenderer> r = Make(which, device);
            IDirect3DTexture9Ptr texture;
            ASSERT_EQ(device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
            D3DLOCKED_RECT locked;
            ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
            *static_cast<D3DCOLOR*>(locked.pBits) = 0xFFC08040;
            texture->UnlockRect(0);
            const UINT presents = RenderTestDevice::Proxy().CallCount(D3DCall::Device_Present);
            const UINT created = RenderTestDevice::Proxy().CallCount(D3DCall::Device_CreatePixelShader);
            RenderTestDevice::Proxy().FailCall(D3DCall::Device_CreatePixelShader, E_OUTOFMEMORY, refused);
            // Three frames, then a package read back before any present.
            for (int frame = 0; frame < 4; ++frame) {
                r->RecordClear(0xFF0000FF, 1.0f);
                r->RecordCommand(3, 1, 0);                            // ITRGB lighting
                r->RecordCommand(5, 1, 0);                            // chroma-keying
                r->RecordCommand(6, 0x00102030, 0);                   // a key no texel has
                r->RecordCommand(14, 1u << 24 | 1u << 16 | 0xFF, 1);  // TMU 1: its texel, inverted
                // TMU 0 blends towards TMU 1 by its own texel, inverted.
                r->RecordCommand(14, 7u << 24 | 7u << 16 | 1u << 12 | 1u << 8 | 0xFF, 0);
                // (texture - iterated) * local + local, inverted.
                r->RecordCommand(12, Combine(7, 1, 0, 1) | 1, 0);
                r->RecordCommand(13, Combine(7, 1, 0, 1) | 1, 0);
                r->RecordTexture(zelk::ZelkGrTextureBinding(0, texture, 1.0f, 1.0f));
                r->RecordTexture(zelk::ZelkGrTextureBinding(1, texture, 1.0f, 1.0f));
                Quad(*r, 0, 0, kSize, kSize, 255, 255, 255);
                if (frame < 3) {
                    r->EndFrame();
                }
                EXPECT_NO_THROW(r->Flush(true)) << "frame " << frame;
            }
            EXPECT_EQ(RenderTestDevice::Proxy().CallCount(D3DCall::Device_Present) - presents, 3u);
            RenderTestDevice::Proxy().ClearFaults();
            // The refused shader, then one fallback, or all four fallbacks
            // (without ITRGB, with one unit, both, the iterated colour): nothing
            // more in the later frames.
            EXPECT_EQ(RenderTestDevice::Proxy().CallCount(D3DCall::Device_CreatePixelShader) - created,
                      refused ? 2u : 5u);
            EXPECT_FALSE(ReadBack(device).PixelNear(32, 32, 0xFF0000FF, 3)) << "the quad was drawn";
            const std::string log = ReadLog();
            std::size_t entries = 0;
            for (std::size_t at = log.find("Function name : "); at != std::string::npos;
                 at = log.find("Function name : ", at + 1)) {
                ++entries;
            }
            EXPECT_EQ(entries, 1u) << log;
            EXPECT_NE(log.find("[ code ]\nps_1_3\n"), std::string::npos);
            device->SetPixelShader(nullptr);
        }
    }
}

// Snapped coordinates (Glide's snap bias of 3 * 2^18 added to x and y) and
// coordinates above 65536 lose their multiple of 65536 and half a pixel on
// every path.
TEST_F(ShaderRenderers, SnappedVerticesLandWhereTheyAreMeant)
{
    const float snap = 786432.0f;
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(kClassNames[which]);
        std::unique_ptr<ZelkGrPrimitiveRenderer> r = Make(which, device);
        r->RecordClear(0xFF000000, 1.0f);
        r->RecordCommand(12, Combine(1, 0, 0, 0), 0);
        r->RecordCommand(13, Combine(1, 0, 0, 0), 0);
        Quad(*r, snap + 4.5f, snap + 4.5f, snap + 28.5f, snap + 60.5f, 255, 0, 0);
        Quad(*r, 65536.0f + 36.5f, 65536.0f + 4.5f, 65536.0f + 60.5f, 65536.0f + 60.5f, 0, 255, 0);
        r->Flush(true);
        const ReadBack pixels(device);
        EXPECT_TRUE(pixels.RegionNear(5, 5, 27, 59, 0xFFFF0000, 3));
        EXPECT_TRUE(pixels.RegionNear(37, 5, 59, 59, 0xFF00FF00, 3));
        EXPECT_TRUE(pixels.RegionNear(0, 0, 63, 3, 0xFF000000, 3));
        EXPECT_TRUE(pixels.RegionNear(29, 0, 35, 63, 0xFF000000, 3));
    }
}

// A program that uses one texture unit may leave the other unit's vertex
// fields as garbage (NaN, infinity); the hints do not select them, and no
// renderer class lets them into the texture coordinates.
TEST_F(ShaderRenderers, UnselectedVertexFieldsDoNotReachTheTexture)
{
    IDirect3DTexture9Ptr texture;
    ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    const D3DCOLOR texels[2][2] = {{0xFFFF0000, 0xFF00FF00}, {0xFF0000FF, 0xFFFFFFFF}};
    for (int y = 0; y < 2; ++y) {
        std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch, texels[y], sizeof texels[y]);
    }
    texture->UnlockRect(0);
    const std::uint32_t garbage[] = {0xFFFFFFFF, 0x7F800000, 0xFF800000};
    for (std::uint32_t bits : garbage) {
        float junk;
        std::memcpy(&junk, &bits, sizeof junk);
        for (int which = 0; which < 4; ++which) {
            SCOPED_TRACE(testing::Message() << (which < 3 ? kClassNames[which] : "SWFixed") << " garbage "
                                            << std::hex << bits);
            std::unique_ptr<ZelkGrPrimitiveRenderer> r =
                which < 3 ? Make(which, device)
                          : std::make_unique<zelk::ZelkGrRendererSWFixed>(device, kSize, kSize, Settings());
            r->RecordClear(0xFF000000, 1.0f);
            r->RecordCommand(14, 1u << 24 | 1u << 16, 0);  // TMU 0 passes its texel
            r->RecordCommand(12, Combine(3, 8, 0, 1), 0);  // the texture, times one
            r->RecordCommand(13, Combine(3, 8, 0, 1), 0);
            r->RecordTexture(zelk::ZelkGrTextureBinding(0, texture, 1.0f / 64, 1.0f / 64));
            GrVertex v[4];
            const float xs[4] = {0, 64, 64, 0}, ys[4] = {0, 0, 64, 64};
            for (int i = 0; i < 4; ++i) {
                v[i] = MakeVertex(xs[i], ys[i]);
                v[i].oow = 1.0f;
                v[i].tmuvtx[0].sow = xs[i];
                v[i].tmuvtx[0].tow = ys[i];
                v[i].tmuvtx[0].oow = 1.0f;
                v[i].tmuvtx[1].sow = v[i].tmuvtx[1].tow = v[i].tmuvtx[1].oow = junk;
            }
            r->DrawPolygonVertexList(4, v);
            r->Flush(true);
            const ReadBack pixels(device);
            EXPECT_TRUE(pixels.RegionNear(4, 4, 28, 28, 0xFFFF0000, 3));
            EXPECT_TRUE(pixels.RegionNear(36, 4, 60, 28, 0xFF00FF00, 3));
            EXPECT_TRUE(pixels.RegionNear(4, 36, 28, 60, 0xFF0000FF, 3));
            EXPECT_TRUE(pixels.RegionNear(36, 36, 60, 60, 0xFFFFFFFF, 3));
        }
    }
}

// A frame of many kinds of draws comes out the same through the software
// transform and both vertex-shader paths: two texture units, z and w depth,
// both origins, a detail factor with s, t and w hints, fog by iterated alpha
// and snapped coordinates.  (Table fog is drawn by its own scenes: through
// the vertex shaders it is compiled here by the stand-in compiler.)  Read
// before any present.
void DrawFrame(ZelkGrPrimitiveRenderer& r, IDirect3DTexture9* texture0, IDirect3DTexture9* texture1)
{
    r.RecordClear(0xFF203040, 1.0f);
    // Two TMUs: TMU 0 adds TMU 1; the colour combine modulates by iterated.
    r.RecordCommand(14, 4u << 24 | 4u << 16 | 8u << 12 | 8u << 8, 0);
    r.RecordCommand(14, 1u << 24 | 1u << 16, 1);
    r.RecordCommand(12, Combine(3, 1, 0, 1), 0);
    r.RecordCommand(13, Combine(3, 8, 0, 1), 0);
    r.RecordTexture(zelk::ZelkGrTextureBinding(0, texture0, 1.0f / 256, 1.0f / 256));
    r.RecordTexture(zelk::ZelkGrTextureBinding(1, texture1, 1.0f / 256, 1.0f / 256));
    r.RecordCommand(9, 1, 0);  // z-buffer
    r.RecordRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    r.RecordRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    GrVertex v[4];
    const float xs[4] = {2, 40, 40, 2}, ys[4] = {2, 2, 30, 30};
    for (int i = 0; i < 4; ++i) {
        v[i] = MakeVertex(xs[i], ys[i], 255, 128 + 30.0f * i, 64, 200);
        v[i].oow = 1.0f;
        v[i].ooz = 30000.0f;
        // Pixel centres fall between texel edges: no path is left to round
        // a coordinate that lies on one.
        for (GrTmuVertex& t : v[i].tmuvtx) {
            t.sow = xs[i] * 4 + 2;
            t.tow = ys[i] * 4 + 2;
            t.oow = 1.0f;
        }
    }
    r.DrawPolygonVertexList(4, v);
    // A nearer untextured strip over part of it, then a farther quad that the
    // depth test hides.
    r.RecordCommand(12, Combine(1, 0, 0, 0), 0);
    r.RecordCommand(13, Combine(1, 0, 0, 0), 0);
    GrVertex s[5];
    const float sx[5] = {20, 60, 60, 40, 20}, sy[5] = {20, 20, 50, 60, 50};
    for (int i = 0; i < 5; ++i) {
        s[i] = MakeVertex(sx[i], sy[i], 30.0f * i, 200, 100, 255);
        s[i].ooz = 10000.0f;
        s[i].oow = 1.0f;
    }
    const int order[5] = {0, 1, 2, 3, 4};
    r.DrawPolygon(5, order, s);
    for (GrVertex& g : s) g.ooz = 60000.0f;
    r.DrawPolygonVertexList(5, s);
    // Detail: TMU 0 blends towards TMU 1 by the detail factor, which varies
    // with oow; the hints give TMU 1 its own s, t and w.
    r.RecordCommand(2, 0x10 | 0x08, 0);  // s, t and w differ on TMU 1
    r.RecordCommand(14, 7u << 24 | 7u << 16 | 4u << 12 | 4u << 8, 0);
    r.RecordCommand(19, 8, 0);
    r.RecordCommand(20, 8, 0);
    r.RecordCommand(21, 0x3F800000, 0);  // detail maximum 1.0
    r.RecordCommand(12, Combine(3, 8, 0, 1), 0);
    r.RecordCommand(13, Combine(3, 8, 0, 1), 0);
    GrVertex d[4];
    const float dx[4] = {2, 18, 18, 2}, dy[4] = {34, 34, 62, 62};
    for (int i = 0; i < 4; ++i) {
        d[i] = MakeVertex(dx[i], dy[i], 255, 255, 255, 255);
        d[i].oow = 0.25f + 0.5f * (i % 2);
        d[i].ooz = 20000.0f;
        d[i].tmuvtx[0].sow = dx[i] * 4 * d[i].oow;
        d[i].tmuvtx[0].tow = dy[i] * 4 * d[i].oow;
        d[i].tmuvtx[0].oow = d[i].oow;
        d[i].tmuvtx[1].sow = (201 - dy[i] * 2) * 0.5f;
        d[i].tmuvtx[1].tow = (dx[i] * 8 + 4) * 0.5f;
        d[i].tmuvtx[1].oow = 0.5f;
    }
    r.DrawPolygonVertexList(4, d);
    r.RecordCommand(2, 0, 0);
    // Fog by iterated alpha over a quad given with snapped coordinates.
    r.RecordCommand(12, Combine(1, 0, 0, 0), 0);
    r.RecordCommand(13, Combine(1, 0, 0, 0), 0);
    r.RecordRenderState(D3DRS_FOGCOLOR, 0x0000FF00);
    r.RecordCommand(10, 1, 0);
    const float snap = 786432.0f;
    GrVertex f[4];
    const float fx[4] = {44, 62, 62, 44}, fy[4] = {2, 2, 18, 18};
    for (int i = 0; i < 4; ++i) {
        f[i] = MakeVertex(snap + fx[i], snap + fy[i], 255, 0, 0, 40.0f + 60.0f * i);
        f[i].ooz = 20000.0f;
    }
    r.DrawPolygonVertexList(4, f);
    r.RecordCommand(10, 0, 0);
    // W depth, over the textured quad (whose z, 30000 / 65535, lies behind
    // both): a red quad at w 4/3, then a blue one whose w runs from 1 on
    // the left to 2 on the right, so that it covers the red one left of
    // x 32 and is hidden by it to the right.
    r.RecordCommand(9, 2, 0);
    GrVertex wq[2][4];
    const float wx[2][4] = {{22, 34, 34, 22}, {26, 38, 38, 26}}, wy[2][4] = {{4, 4, 16, 16}, {8, 8, 18, 18}};
    for (int i = 0; i < 4; ++i) {
        wq[0][i] = MakeVertex(wx[0][i], wy[0][i], 255, 0, 0, 255);
        wq[0][i].oow = 0.75f;
        wq[1][i] = MakeVertex(wx[1][i], wy[1][i], 0, 0, 255, 255);
        wq[1][i].oow = i == 0 || i == 3 ? 1.0f : 0.5f;
    }
    r.DrawPolygonVertexList(4, wq[0]);
    r.DrawPolygonVertexList(4, wq[1]);
    r.RecordCommand(9, 1, 0);
    // The lower-left origin from here on.
    r.RecordCommand(1, 0, 0);
    const GrVertex a = MakeVertex(44, 0, 0, 0, 255), b = MakeVertex(63, 0, 0, 0, 255), c = MakeVertex(63, 12, 0, 0, 255);
    r.DrawTriangle(&a, &b, &c);
    r.Flush(true);
}

TEST_F(ShaderRenderers, SameFrameOnEveryVertexPath)
{
    IDirect3DTexture9Ptr t0, t1;
    ASSERT_EQ(device->CreateTexture(256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t0, nullptr), D3D_OK);
    ASSERT_EQ(device->CreateTexture(256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t1, nullptr), D3D_OK);
    for (IDirect3DTexture9* t : {static_cast<IDirect3DTexture9*>(t0), static_cast<IDirect3DTexture9*>(t1)}) {
        D3DLOCKED_RECT locked;
        ASSERT_EQ(t->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (int y = 0; y < 256; ++y) {
            D3DCOLOR* row = reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
            for (int x = 0; x < 256; ++x) {
                row[x] = t == t0 ? 0x80000000 | (x / 16) << 20 | (y / 16) << 4
                                 : 0x20000000 | (x / 8) << 16 | (y / 16) << 12;
            }
        }
        t->UnlockRect(0);
    }
    // A device without a w-buffer of its own: every path writes z from w.
    D3DProxyCaps caps;
    caps.noWBuffer = true;
    RenderTestDevice::Proxy().SetCaps(caps);
    std::vector<D3DCOLOR> reference;
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(kClassNames[which]);
        std::unique_ptr<ZelkGrPrimitiveRenderer> r = Make(which, device);
        DrawFrame(*r, t0, t1);
        const ReadBack pixels(device);
        r.reset();
        ASSERT_TRUE(pixels.Valid());
        if (which == 0) {
            for (UINT y = 0; y < kSize; ++y)
                for (UINT x = 0; x < kSize; ++x) reference.push_back(pixels.Pixel(x, y));
            EXPECT_NE(reference[10 * kSize + 10], 0xFF203040u);  // the textured quad is there
            EXPECT_NE(reference[55 * kSize + 40], 0xFF203040u);  // the strip is there
            EXPECT_NE(reference[40 * kSize + 10], 0xFF203040u);  // the detail quad is there
            EXPECT_NE(reference[10 * kSize + 50], 0xFF203040u);  // the fogged quad is there
            // The w-buffered quads: red alone, blue in front, red in front, blue alone.
            EXPECT_TRUE(pixels.PixelNear(23, 6, 0xFFFF0000, 3));
            EXPECT_TRUE(pixels.PixelNear(29, 12, 0xFF0000FF, 3));
            EXPECT_TRUE(pixels.PixelNear(33, 12, 0xFFFF0000, 3));
            EXPECT_TRUE(pixels.PixelNear(36, 12, 0xFF0000FF, 3));
            continue;
        }
        int differing = 0;
        for (UINT y = 0; y < kSize; ++y) {
            for (UINT x = 0; x < kSize; ++x) {
                if (!pixels.PixelNear(x, y, reference[y * kSize + x], 3)) ++differing;
            }
        }
        // Measured here: 3 pixels on each vertex-shader path, inside the
        // perspective-mapped detail quad, where a sample falls beside a
        // texel edge; none in the w-buffered quads.
        EXPECT_LE(differing, 4) << "pixels differing from the software path";
    }
}

// Records wrap to 0 with the package before played; a polygon larger than
// the buffer is drawn in parts.  The first lock after the wrap discards the
// buffer; every other lock but the buffer's first promises not to
// overwrite.
TEST_F(ShaderRenderers, VertexBufferWrapAndLargePolygons)
{
    RenderTestDevice::Proxy().ClearVertexBufferLocks();
    ZelkGrRendererVS2xPS13 r(device, kSize, kSize, Settings());
    r.RecordClear(0xFF000000, 1.0f);
    r.RecordCommand(12, Combine(1, 0, 0, 0), 0);
    r.RecordCommand(13, Combine(1, 0, 0, 0), 0);
    r.nextVertexIndex = 65530;
    r.currentPackage->firstVertexIndex = 65530;
    Quad(r, 0, 0, 32, kSize, 255, 0, 0);  // 65530 to 65535, then the second triangle wraps
    EXPECT_EQ(r.nextVertexIndex, 3u);
    Quad(r, 32, 0, kSize, kSize, 0, 0, 255);
    r.Flush(true);
    const std::vector<zelktest::D3DProxyBufferLock> locks = RenderTestDevice::Proxy().VertexBufferLocks();
    ASSERT_GE(locks.size(), 2u);
    bool wrapped = false;
    for (std::size_t i = 1; i < locks.size(); ++i) {
        const bool wrap = locks[i].offset < locks[i - 1].offset;
        wrapped = wrapped || wrap;
        EXPECT_EQ(static_cast<DWORD>(wrap ? D3DLOCK_DISCARD : D3DLOCK_NOOVERWRITE), locks[i].flags)
            << "lock " << i << " at " << locks[i].offset;
    }
    EXPECT_TRUE(wrapped);
    const ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(2, 2, 30, 20, 0xFFFF0000, 3));
    EXPECT_TRUE(pixels.RegionNear(34, 2, 62, 62, 0xFF0000FF, 3));

    // 70000 corners: 69998 triangles in four parts of at most 21845.
    std::vector<GrVertex> fan(70000);
    for (std::size_t i = 0; i < fan.size(); ++i) {
        const float angle = 6.2831853f * static_cast<float>(i) / static_cast<float>(fan.size());
        fan[i] = MakeVertex(32 + 60 * std::cos(angle), 32 + 60 * std::sin(angle), 0, 255, 0);
    }
    r.nextVertexIndex = 0;
    r.Flush(true);
    r.RecordClear(0xFF000000, 1.0f);
    r.DrawPolygonVertexList(static_cast<int>(fan.size()), fan.data());
    EXPECT_EQ(r.nextVertexIndex, 3u * (69998u - 3u * 21845u));
    r.Flush(true);
    EXPECT_TRUE(ReadBack(device).RegionNear(8, 8, 56, 56, 0xFF00FF00, 3));
}

// Strips are written as a zig-zag and joined to an open strip by
// degenerate triangles.
TEST_F(ShaderRenderers, StripRecords)
{
    ZelkGrRendererVS2xPS13 r(device, kSize, kSize, Settings(255, true));
    // The records as written; they reach the vertex buffer when the package
    // is played.
    auto x_of = [&](std::uint32_t index) {
        float x = 0;
        std::memcpy(&x, r.RecordStore() + index * 64, sizeof x);
        return static_cast<int>(x);
    };
    GrVertex p[5];
    for (int i = 0; i < 5; ++i) p[i] = MakeVertex(static_cast<float>(i), 0);
    r.DrawPolygonVertexListStrip(5, p);  // 0 1 4 2 3
    r.DrawPolygonVertexListStrip(4, p);  // odd strip: 3 3 0, then 0 1 3 2
    const int expected[] = {0, 1, 4, 2, 3, 3, 3, 0, 0, 1, 3, 2};
    ASSERT_EQ(r.nextVertexIndex, 12u);
    for (std::uint32_t i = 0; i < 12; ++i) EXPECT_EQ(x_of(i), expected[i]) << i;
    r.DrawPolygonVertexListStrip(4, p);  // even strip of 12: 2 0, then 0 1 3 2
    const int more[] = {2, 0, 0, 1, 3, 2};
    ASSERT_EQ(r.nextVertexIndex, 18u);
    for (std::uint32_t i = 0; i < 6; ++i) EXPECT_EQ(x_of(12 + i), more[i]) << i;
    // A negative index refuses the polygon.
    const int bad[3] = {0, -1, 2};
    r.DrawPolygonStrip(3, bad, p);
    r.DrawPolygon(3, bad, p);
    EXPECT_EQ(r.nextVertexIndex, 18u);
    EXPECT_NE(ReadLog().find("The parameter [ const int ilist[] ] is invalid."), std::string::npos);
    r.Flush(true);
}

// The class table builds the three classes for their keys.
TEST_F(ShaderRenderers, ClassSelection)
{
    const std::uint32_t keys[][2] = {{0x10000, 0}, {0x10000, 1}, {0x10000, 2}};
    const char* names[] = {"ZelkGrRendererSWPS13", "ZelkGrRendererVS11PS13", "ZelkGrRendererVS2xPS13"};
    for (int i = 0; i < 3; ++i) {
        std::uint32_t texel = keys[i][0], vertex = keys[i][1];
        EXPECT_STREQ(zelk::SelectRendererClass(texel, vertex).className, names[i]);
        EXPECT_EQ(texel, 0x10000u);
        EXPECT_EQ(vertex, keys[i][1]);
    }
    std::uint32_t texel = 0x10000, vertex = 2;
    std::unique_ptr<ZelkGrPrimitiveRenderer> r = zelk::CreateRenderer(texel, vertex, device, kSize, kSize, Settings());
    EXPECT_TRUE(dynamic_cast<ZelkGrRendererVS2xPS13*>(r.get()) != nullptr);
}

// A vertex-shader class that cannot be built (here its compiler refuses a
// variant) gives the software-transform class with the same texel half, and
// the failure is in the log.
TEST_F(ShaderRenderers, UnbuildableVertexShaderClassFallsBackToSoftwareTransform)
{
    for (std::uint32_t requested : {1u, 2u}) {
        SCOPED_TRACE(requested);
        ShaderStandIn::FailCompile(1, D3DXERR_INVALIDDATA);
        std::uint32_t texel = 0x10000, vertex = requested;
        std::unique_ptr<ZelkGrPrimitiveRenderer> r =
            zelk::CreateRenderer(texel, vertex, device, kSize, kSize, Settings());
        EXPECT_TRUE(dynamic_cast<ZelkGrRendererSWPS13*>(r.get()) != nullptr);
        EXPECT_EQ(texel, 0x10000u);
        EXPECT_EQ(vertex, 0u);
        EXPECT_NE(ReadLog().find("stand-in: compile failed"), std::string::npos);
    }
}

}  // namespace
