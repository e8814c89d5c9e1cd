// Font drawing on a real device: the glyph atlas, where text lands on the
// back buffer, and the device state around a draw.
#include "common/D3DProxy.h"
#include "common/DeviceFixture.h"
#include "common/TestDirectory.h"
#include "framework/ZelkException.h"
#include "framework/ZelkD3DFont.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

using zelk::ZelkD3DFont;
using zelk::ZelkD3DFontTextItem;
using zelk::ZelkException;
using zelktest::D3DCall;
using zelktest::ColorNear;

namespace {

const char* const kFace = "Arial";
constexpr INT kPointSize = 12;
constexpr D3DCOLOR kClearColor = 0x000000;  // compared with the back buffer's RGB bits
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kNoBackground = 0x00000000;

int ReferenceCount(IUnknown* object)
{
    object->AddRef();
    return static_cast<int>(object->Release());
}

// Every state that a draw touches, read from the device.
struct DeviceState {
    IDirect3DVertexShader9* vertexShader = nullptr;
    IDirect3DPixelShader9* pixelShader = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    IDirect3DVertexBuffer9* stream = nullptr;
    UINT streamOffset = 0;
    UINT streamStride = 0;
    IDirect3DBaseTexture9* texture = nullptr;
    std::vector<DWORD> values;

    static DeviceState Read(IDirect3DDevice9* device)
    {
        DeviceState state;
        // Only the pointers' identities are compared: the references are given back at once.
        IDirect3DVertexShader9Ptr vertexShader;
        IDirect3DPixelShader9Ptr pixelShader;
        IDirect3DVertexDeclaration9Ptr declaration;
        IDirect3DVertexBuffer9Ptr stream;
        IDirect3DBaseTexture9Ptr texture;
        device->GetVertexShader(&vertexShader);
        device->GetPixelShader(&pixelShader);
        device->GetVertexDeclaration(&declaration);
        device->GetStreamSource(0, &stream, &state.streamOffset, &state.streamStride);
        device->GetTexture(0, &texture);
        state.vertexShader = vertexShader;
        state.pixelShader = pixelShader;
        state.declaration = declaration;
        state.stream = stream;
        state.texture = texture;
        for (D3DRENDERSTATETYPE type :
             {D3DRS_ALPHABLENDENABLE, D3DRS_BLENDOP, D3DRS_SRCBLEND, D3DRS_DESTBLEND, D3DRS_SEPARATEALPHABLENDENABLE,
              D3DRS_ALPHATESTENABLE, D3DRS_ALPHAREF, D3DRS_ALPHAFUNC, D3DRS_ZENABLE, D3DRS_STENCILENABLE,
              D3DRS_FILLMODE, D3DRS_CULLMODE, D3DRS_SHADEMODE, D3DRS_FOGENABLE, D3DRS_TEXTUREFACTOR}) {
            DWORD value = 0;
            device->GetRenderState(type, &value);
            state.values.push_back(value);
        }
        for (DWORD stage : {0u, 1u}) {
            for (D3DTEXTURESTAGESTATETYPE type :
                 {D3DTSS_COLOROP, D3DTSS_COLORARG1, D3DTSS_COLORARG2, D3DTSS_ALPHAOP, D3DTSS_ALPHAARG1,
                  D3DTSS_ALPHAARG2, D3DTSS_RESULTARG, D3DTSS_TEXCOORDINDEX}) {
                DWORD value = 0;
                device->GetTextureStageState(stage, type, &value);
                state.values.push_back(value);
            }
        }
        for (D3DSAMPLERSTATETYPE type :
             {D3DSAMP_ADDRESSU, D3DSAMP_ADDRESSV, D3DSAMP_MAGFILTER, D3DSAMP_MINFILTER, D3DSAMP_MIPFILTER}) {
            DWORD value = 0;
            device->GetSamplerState(0, type, &value);
            state.values.push_back(value);
        }
        return state;
    }

    bool operator==(const DeviceState& other) const
    {
        return vertexShader == other.vertexShader && pixelShader == other.pixelShader &&
               declaration == other.declaration && stream == other.stream && streamOffset == other.streamOffset &&
               streamStride == other.streamStride && texture == other.texture && values == other.values;
    }
};

// A state unlike the one the font draws with, set on construction; holds
// the objects it binds.
class StateUnlikeTheFonts {
public:
    explicit StateUnlikeTheFonts(IDirect3DDevice9* device)
    {
        ID3DXBufferPtr code;
        EXPECT_EQ(D3DXAssembleShader("ps_1_1\nmov r0, v0\n", 19, nullptr, nullptr, 0, &code, nullptr), D3D_OK);
        EXPECT_EQ(device->CreatePixelShader(static_cast<const DWORD*>(code->GetBufferPointer()), &pixelShader), D3D_OK);
        const D3DVERTEXELEMENT9 elements[] = {
            {0, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITIONT, 0}, D3DDECL_END()};
        EXPECT_EQ(device->CreateVertexDeclaration(elements, &declaration), D3D_OK);
        EXPECT_EQ(device->CreateVertexBuffer(256, 0, 0, D3DPOOL_MANAGED, &stream, nullptr), D3D_OK);
        EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);

        device->SetPixelShader(pixelShader);
        device->SetVertexDeclaration(declaration);
        device->SetStreamSource(0, stream, 16, 16);
        device->SetTexture(0, texture);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
        device->SetRenderState(D3DRS_ALPHAREF, 0x40);
        device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_LESS);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
        device->SetRenderState(D3DRS_TEXTUREFACTOR, 0x11223344);
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_SPECULAR);
        device->SetTextureStageState(0, D3DTSS_RESULTARG, D3DTA_TEMP);
        device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    }

private:
    IDirect3DPixelShader9Ptr pixelShader;
    IDirect3DVertexDeclaration9Ptr declaration;
    IDirect3DVertexBuffer9Ptr stream;
    IDirect3DTexture9Ptr texture;
};

// The lit part of an image: bounding box of the pixels that are not the
// clear colour.
struct LitBox {
    int left = INT_MAX;
    int top = INT_MAX;
    int right = -1;
    int bottom = -1;
};

class FontTest : public zelktest::DeviceFixture {
protected:
    std::unique_ptr<ZelkD3DFont> MakeFont(UINT capacity = 512, INT pointSize = kPointSize)
    {
        return std::make_unique<ZelkD3DFont>(device, kFace, capacity, pointSize, false, false);
    }

    // Clears the back buffer, draws the items in a scene and reads it back.
    std::vector<D3DCOLOR> Render(ZelkD3DFont& font, const std::vector<ZelkD3DFontTextItem>& items,
                                 D3DCOLOR background = kNoBackground)
    {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, kClearColor, 1.0f, 0);
        font.textItems = items;
        EXPECT_EQ(device->BeginScene(), D3D_OK);
        font.Draw(background, false, true);
        EXPECT_EQ(device->EndScene(), D3D_OK);
        EXPECT_TRUE(font.textItems.empty());
        return ReadBackBuffer();
    }

    // Texels of the atlas of the characters in the text, at scale 1.
    static float TextWidth(const ZelkD3DFont& font, const std::string& text)
    {
        D3DSURFACE_DESC description = {};
        font.Texture()->GetLevelDesc(0, &description);
        float width = 0.0f;
        for (unsigned char c : text) {
            const auto& glyph = font.GlyphRects().at(c - ZelkD3DFont::kFirstGlyph);
            width += (glyph.right - glyph.left) * description.Width;
        }
        return width;
    }

    static float LineHeight(const ZelkD3DFont& font)
    {
        D3DSURFACE_DESC description = {};
        font.Texture()->GetLevelDesc(0, &description);
        return (font.GlyphRects()[0].bottom - font.GlyphRects()[0].top) * description.Height;
    }

    static LitBox FindLitBox(const std::vector<D3DCOLOR>& pixels)
    {
        LitBox box;
        for (int y = 0; y < int(kHeight); ++y) {
            for (int x = 0; x < int(kWidth); ++x) {
                if ((pixels[y * kWidth + x] & 0xFFFFFF) != kClearColor) {
                    box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                           std::max(box.bottom, y)};
                }
            }
        }
        return box;
    }

    // Pixels that differ between two images beyond the tolerance.
    static int DifferingPixels(const std::vector<D3DCOLOR>& a, const std::vector<D3DCOLOR>& b)
    {
        int count = 0;
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
            count += zelktest::ColorsNear(a[i] & 0xFFFFFF, b[i] & 0xFFFFFF) ? 0 : 1;
        }
        return count + static_cast<int>(a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
    }
};

}  // namespace

TEST_F(FontTest, AtlasSizeFollowsPointSize)
{
    struct Case {
        INT pointSize;
        UINT atlasSize;
    };
    for (const Case& c : {Case{20, 256}, Case{21, 512}, Case{40, 512}, Case{41, 1024}}) {
        SCOPED_TRACE(c.pointSize);
        const auto font = MakeFont(512, c.pointSize);
        D3DSURFACE_DESC description = {};
        ASSERT_EQ(font->Texture()->GetLevelDesc(0, &description), D3D_OK);
        EXPECT_EQ(description.Width, c.atlasSize);
        EXPECT_EQ(description.Height, c.atlasSize);
        EXPECT_EQ(description.Format, D3DFMT_A4R4G4B4);
        EXPECT_EQ(description.Pool, D3DPOOL_DEFAULT);
        EXPECT_EQ(font->TextureScale(), 1.0f);
        EXPECT_EQ(font->MaxVertexCount(), 6u * 512u);
        ASSERT_EQ(font->GlyphRects().size(), 95u);
        for (const auto& glyph : font->GlyphRects()) {
            EXPECT_LT(glyph.left, glyph.right);
            EXPECT_LT(glyph.top, glyph.bottom);
            EXPECT_GE(glyph.left, 0.0f);
            EXPECT_LE(glyph.right, 1.0f);
        }
    }
}

// The face the overlay asks for must give real glyphs: text lights pixels
// inside its own box and nowhere else.
TEST_F(FontTest, TextChangesPixelsOnlyWhereItStands)
{
    const auto font = MakeFont();
    const float x = 10.0f;
    const float y = 12.0f;
    const std::string text = "HW";
    const std::vector<D3DCOLOR> pixels = Render(*font, {{x, y, text, kWhite}});
    ASSERT_EQ(pixels.size(), size_t(kWidth * kHeight));

    const float right = x + TextWidth(*font, text);
    const float bottom = y + LineHeight(*font);
    ASSERT_LT(right, float(kWidth));
    int lit = 0;
    for (UINT py = 0; py < kHeight; ++py) {
        for (UINT px = 0; px < kWidth; ++px) {
            const D3DCOLOR pixel = pixels[py * kWidth + px] & 0xFFFFFF;
            if (pixel == kClearColor) {
                continue;
            }
            ++lit;
            EXPECT_TRUE(px >= x - 1 && px <= right && py >= y - 1 && py <= bottom)
                << "pixel (" << px << ", " << py << ") changed outside the text";
            // White text over black: grey levels only.
            EXPECT_TRUE(ColorNear(pixel & 0xFF, (pixel >> 8) & 0xFF) && ColorNear(pixel & 0xFF, pixel >> 16));
        }
    }
    EXPECT_GE(lit, 30) << "the glyphs left (almost) no pixels";
    // A full-strength white pixel from a glyph's stem.
    int white = 0;
    for (D3DCOLOR pixel : pixels) {
        white += ColorNear(0xFFFFFF, pixel & 0xFFFFFF, 0x20) ? 1 : 0;
    }
    EXPECT_GE(white, 10);
}

TEST_F(FontTest, ItemColourTintsTheGlyphs)
{
    const auto font = MakeFont();
    const std::vector<D3DCOLOR> pixels = Render(*font, {{10.0f, 10.0f, "HH", 0xFF00FF00}});
    int green = 0;
    for (D3DCOLOR pixel : pixels) {
        EXPECT_EQ(pixel & 0xFF00FF, 0u);
        green += ((pixel >> 8) & 0xFF) > 0xC0 ? 1 : 0;
    }
    EXPECT_GE(green, 10);
}

TEST_F(FontTest, BackgroundBoxOnlyWhenItsAlphaIsNotZero)
{
    const auto font = MakeFont();
    const float x = 16.0f;
    const float y = 16.0f;
    const std::string text = "II";
    const D3DCOLOR boxColor = 0xFF2040C0;
    const float right = x + TextWidth(*font, text);
    const float bottom = y + LineHeight(*font);

    for (const D3DCOLOR background : {boxColor, boxColor & 0x00FFFFFF}) {
        SCOPED_TRACE(background);
        const bool box = (background >> 24) != 0;
        const std::vector<D3DCOLOR> pixels = Render(*font, {{x, y, text, kWhite}}, background);
        // Inside the box next to the glyphs' left edge: the box colour or untouched.
        const D3DCOLOR inside = pixels[UINT(y + 2) * kWidth + UINT(x)] & 0xFFFFFF;
        EXPECT_TRUE(ColorNear(box ? boxColor & 0xFFFFFF : kClearColor, inside));
        // The box ends about a margin past the text.
        const float margin = 0.05f * std::min(right - x, bottom - y);
        EXPECT_TRUE(ColorNear(kClearColor, pixels[UINT(y) * kWidth + UINT(right + margin + 2)] & 0xFFFFFF));
        EXPECT_TRUE(ColorNear(kClearColor, pixels[UINT(bottom + margin + 2) * kWidth + UINT(x + 1)] & 0xFFFFFF));
        EXPECT_TRUE(ColorNear(kClearColor, pixels[UINT(y - margin - 2) * kWidth + UINT(x + 1)] & 0xFFFFFF));
    }
}

// Texts that must draw exactly what other items draw.
TEST_F(FontTest, TextsDrawLikeTheirEquivalents)
{
    const auto font = MakeFont();
    const float line = LineHeight(*font);
    const float x = 6.0f;
    const float y = 4.0f;
    struct Case {
        const char* name;
        std::vector<ZelkD3DFontTextItem> items;
        std::vector<ZelkD3DFontTextItem> equivalent;
    };
    const Case cases[] = {
        {"newline restarts at the item's x one line lower",
         {{x, y, "AB\nC", kWhite}},
         {{x, y, "AB", kWhite}, {x, y + line, "C", kWhite}}},
        {"leading newline starts one line down", {{x, y, "\nW", kWhite}}, {{x, y + line, "W", kWhite}}},
        {"control characters, 127 and bytes above 127 are skipped",
         {{x, y, "H\tI\x7F\x80J\xE9\xFF", kWhite}},
         {{x, y, "HIJ", kWhite}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<D3DCOLOR> drawn = Render(*font, c.items);
        const std::vector<D3DCOLOR> expected = Render(*font, c.equivalent);
        EXPECT_EQ(DifferingPixels(drawn, expected), 0);
        EXPECT_NE(DifferingPixels(drawn, Render(*font, {})), 0) << "nothing was drawn";
    }
}

// A device whose textures may be at most 512 texels wide gets a 41-point
// font rendered at half the resolution and drawn at full size.
TEST_F(FontTest, SmallMaximumTextureWidthShrinksTheAtlas)
{
    std::vector<D3DCOLOR> fullPixels;
    float fullWidth = 0.0f;
    float fullLine = 0.0f;
    {
        const auto full = MakeFont(512, 41);
        fullPixels = Render(*full, {{2.0f, 2.0f, "H", kWhite}});
        fullWidth = TextWidth(*full, "H");
        fullLine = LineHeight(*full);
    }

    // The same window, now with a device that reports the smaller limit.
    zelktest::D3DProxy proxy;
    zelktest::D3DProxyCaps caps;
    caps.maxTextureWidth = 512;
    proxy.SetCaps(caps);
    device = nullptr;
    d3d = nullptr;
    device = proxy.CreateWindowedDevice(window->Handle(), kWidth, kHeight);
    ASSERT_TRUE(device != nullptr);

    const auto shrunk = MakeFont(512, 41);
    D3DSURFACE_DESC description = {};
    ASSERT_EQ(shrunk->Texture()->GetLevelDesc(0, &description), D3D_OK);
    EXPECT_EQ(description.Width, 512u);
    EXPECT_EQ(shrunk->TextureScale(), 0.5f);
    EXPECT_NEAR(TextWidth(*shrunk, "H") / shrunk->TextureScale(), fullWidth, 2.0f);

    const std::vector<D3DCOLOR> shrunkPixels = Render(*shrunk, {{2.0f, 2.0f, "H", kWhite}});
    const LitBox fullBox = FindLitBox(fullPixels);
    const LitBox shrunkBox = FindLitBox(shrunkPixels);
    ASSERT_GE(fullBox.right, 0);
    EXPECT_NEAR(shrunkBox.left, fullBox.left, 2);
    EXPECT_NEAR(shrunkBox.top, fullBox.top, 2);
    EXPECT_NEAR(shrunkBox.right, fullBox.right, 2);
    EXPECT_NEAR(shrunkBox.bottom, fullBox.bottom, 2);

    // A newline moves down by a full-size line too.
    const float line = (shrunk->GlyphRects()[0].bottom - shrunk->GlyphRects()[0].top) * 512.0f / 0.5f;
    EXPECT_NEAR(line, fullLine, 2.0f);
    EXPECT_EQ(DifferingPixels(Render(*shrunk, {{2.0f, 2.0f - line, "\nH", kWhite}}), shrunkPixels), 0);
}

TEST_F(FontTest, TextIsCutOffAtTheCapacity)
{
    const auto small = MakeFont(2);
    EXPECT_EQ(small->MaxVertexCount(), 12u);
    const auto large = MakeFont();
    const std::vector<D3DCOLOR> cut = Render(*small, {{4.0f, 4.0f, "HIW", kWhite}});
    EXPECT_EQ(DifferingPixels(cut, Render(*large, {{4.0f, 4.0f, "HI", kWhite}})), 0);
    EXPECT_NE(DifferingPixels(cut, Render(*large, {{4.0f, 4.0f, "HIW", kWhite}})), 0);
}

// A capacity whose vertex buffer size does not fit 32 bits is refused
// instead of getting a buffer smaller than the vertices written into it.
TEST_F(FontTest, OversizedCapacityIsRefused)
{
    const int references = ReferenceCount(device);
    try {
        ZelkD3DFont font(device, kFace, 0x10000000, kPointSize, false, false);
        ADD_FAILURE() << "no exception";
    } catch (const ZelkException& e) {
        EXPECT_EQ(e.functionName, "ZelkD3DFont::ZelkD3DFont");
        EXPECT_EQ(e.message, "The function [ IDirect3DDevice9::CreateVertexBuffer ] failed.");
        EXPECT_TRUE(e.logged);
    }
    EXPECT_EQ(ReferenceCount(device), references);
}

TEST_F(FontTest, DrawRestoresTheDeviceState)
{
    const StateUnlikeTheFonts unlike(device);
    const DeviceState before = DeviceState::Read(device);

    const auto font = MakeFont();
    for (const bool linear : {false, true}) {
        font->textItems.push_back({4.0f, 4.0f, "Hi\nthere", kWhite});
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        font->Draw(0x80141414, linear, true);
        device->EndScene();
        EXPECT_TRUE(DeviceState::Read(device) == before) << "linear " << linear;
    }
}

TEST_F(FontTest, ItemOfControlCharactersLeavesEverythingUntouched)
{
    const auto font = MakeFont();
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0x11223344);
    const DeviceState before = DeviceState::Read(device);
    const std::vector<D3DCOLOR> pixels = Render(*font, {{4.0f, 4.0f, "\n\r\t\x01\x7F\x80\xFF", kWhite}}, 0xFF808080);
    EXPECT_TRUE(DeviceState::Read(device) == before);
    for (D3DCOLOR pixel : pixels) {
        ASSERT_EQ(pixel & 0xFFFFFF, kClearColor);
    }
}

TEST_F(FontTest, DrawKeepsItemsUnlessAskedToClear)
{
    const auto font = MakeFont();
    font->textItems.push_back({4.0f, 4.0f, "A", kWhite});
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    font->Draw(kNoBackground, false, false);
    EXPECT_EQ(font->textItems.size(), 1u);
    font->Draw(kNoBackground, false, true);
    device->EndScene();
    EXPECT_TRUE(font->textItems.empty());
}

TEST_F(FontTest, FontWithoutDeviceBuildsNothing)
{
    const int references = ReferenceCount(device);
    ZelkD3DFont font(nullptr, kFace, 512, kPointSize, true, true);
    EXPECT_EQ(font.Texture(), nullptr);
    EXPECT_EQ(font.TextureScale(), 1.0f);
    EXPECT_EQ(font.MaxVertexCount(), 6u * 512u);
    EXPECT_TRUE(font.GlyphRects().empty());
    EXPECT_EQ(ReferenceCount(device), references);
}

TEST_F(FontTest, DestructionReleasesEveryDeviceObject)
{
    const int references = ReferenceCount(device);
    {
        const auto font = MakeFont(512, 30);
        EXPECT_GT(ReferenceCount(device), references);
        font->textItems.push_back({1.0f, 1.0f, "x", kWhite});
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        font->Draw(0xFF000000, true, true);
        device->EndScene();
    }
    EXPECT_EQ(ReferenceCount(device), references);
}

TEST_F(FontTest, BoldAndItalicFontsDrawGlyphsToo)
{
    const auto plain = MakeFont();
    ZelkD3DFont bold(device, kFace, 512, kPointSize, true, true);
    const std::vector<D3DCOLOR> plainPixels = Render(*plain, {{4.0f, 4.0f, "Hm", kWhite}});
    const std::vector<D3DCOLOR> boldPixels = Render(bold, {{4.0f, 4.0f, "Hm", kWhite}});
    EXPECT_NE(DifferingPixels(boldPixels, Render(bold, {})), 0);
    EXPECT_NE(DifferingPixels(plainPixels, boldPixels), 0);
}

// ---------------------------------------------------------------------------
// Failing Direct3D calls, through the test proxy.

namespace {

int CountOccurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class FontFaultTest : public testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<zelktest::TestWindow>(64, 64);
        device = proxy.CreateWindowedDevice(window->Handle(), 64, 64);
        ASSERT_TRUE(device != nullptr);
    }

    void TearDown() override
    {
        device = nullptr;
        EXPECT_EQ(proxy.LiveDevices(), 0);
        EXPECT_EQ(proxy.LeakedDeviceReferences(), 0);
        window.reset();
    }

    zelktest::D3DProxy proxy;
    std::unique_ptr<zelktest::TestWindow> window;
    IDirect3DDevice9Ptr device;
};

}  // namespace

TEST_F(FontFaultTest, FailedConstructionThrowsLogsOnceAndKeepsNothing)
{
    struct Case {
        D3DCall call;
        UINT nth;
        const char* message;
    };
    const char* const textureOrUpdate =
        "Either the function [ IDirect3DDevice9::CreateTexture ] or the function "
        "[ IDirect3DDevice9::UpdateTexture ]failed.";
    const Case cases[] = {
        {D3DCall::Device_CreateTexture, 1, "The function [ IDirect3DDevice9::CreateTexture ] failed."},
        {D3DCall::Device_CreateTexture, 2, textureOrUpdate},
        {D3DCall::Device_UpdateTexture, 0, textureOrUpdate},
        {D3DCall::Device_CreateVertexBuffer, 0, "The function [ IDirect3DDevice9::CreateVertexBuffer ] failed."},
        {D3DCall::Device_BeginStateBlock, 0, "The function [ IDirect3DDevice9::BeginStateBlock ] failed."},
        {D3DCall::Device_EndStateBlock, 0, "The function [ IDirect3DDevice9::EndStateBlock ] failed."},
    };
    const int references = ReferenceCount(device);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(zelktest::D3DCallName(c.call)) + " call " + std::to_string(c.nth));
        zelktest::TestDirectory directory;
        proxy.ClearFaults();
        proxy.FailCall(c.call, D3DERR_OUTOFVIDEOMEMORY, c.nth);
        try {
            ZelkD3DFont font(device, kFace, 512, kPointSize, false, false);
            ADD_FAILURE() << "no exception";
        } catch (const ZelkException& e) {
            EXPECT_EQ(e.functionName, "ZelkD3DFont::ZelkD3DFont");
            EXPECT_EQ(e.returnValue.result, D3DERR_OUTOFVIDEOMEMORY);
            EXPECT_EQ(e.message, c.message);
            EXPECT_TRUE(e.logged);
        }
        if (c.call == D3DCall::Device_EndStateBlock) {
            // The proxy failed the call without passing it on: the real
            // device is still recording.
            proxy.ClearFaults();
            IDirect3DStateBlock9Ptr recorded;
            EXPECT_EQ(device->EndStateBlock(&recorded), D3D_OK);
        }
        EXPECT_EQ(CountOccurrences(zelktest::ReadFileText(zelk::kErrorLogFileName), c.message), 1);
        EXPECT_EQ(ReferenceCount(device), references) << "a device object was kept";
    }
}

// A failed draw throws, logs once, keeps the items and still puts the
// device state back.
TEST_F(FontFaultTest, FailedDrawThrowsAndRestoresTheState)
{
    struct Case {
        D3DCall call;
        D3DCOLOR background;
        const char* message;
    };
    const Case cases[] = {
        {D3DCall::Device_DrawPrimitive, 0x00000000, "The function [ IDirect3DDevice9::DrawPrimitive ] failed."},
        {D3DCall::Device_DrawPrimitiveUP, 0x80141414, "The function [ IDirect3DDevice9::DrawPrimitiveUP ] failed."},
    };
    ZelkD3DFont font(device, kFace, 512, kPointSize, false, false);
    // Direct3D keeps the last stride when stream 0 is set to no buffer, so a
    // buffer of its own makes the stream comparable.
    IDirect3DVertexBuffer9Ptr stream;
    ASSERT_EQ(device->CreateVertexBuffer(256, 0, 0, D3DPOOL_MANAGED, &stream, nullptr), D3D_OK);
    device->SetStreamSource(0, stream, 0, 16);
    // Nor does applying a state block set back a declaration that was none
    // (nothing draws without one anyway), so the caller has a format.
    device->SetFVF(D3DFVF_XYZRHW);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0x11223344);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    const DeviceState before = DeviceState::Read(device);
    for (const Case& c : cases) {
        SCOPED_TRACE(zelktest::D3DCallName(c.call));
        zelktest::TestDirectory directory;
        proxy.ClearFaults();
        proxy.FailCall(c.call, D3DERR_INVALIDCALL);
        font.textItems = {{4.0f, 4.0f, "ok", kWhite}};
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        try {
            font.Draw(c.background, false, true);
            ADD_FAILURE() << "no exception";
        } catch (const ZelkException& e) {
            EXPECT_EQ(e.functionName, "ZelkD3DFont::Draw");
            EXPECT_EQ(e.returnValue.result, D3DERR_INVALIDCALL);
            EXPECT_EQ(e.message, c.message);
        }
        device->EndScene();
        EXPECT_TRUE(DeviceState::Read(device) == before);
        EXPECT_EQ(font.textItems.size(), 1u);
        EXPECT_EQ(CountOccurrences(zelktest::ReadFileText(zelk::kErrorLogFileName), c.message), 1);
    }
}

// A pure device answers no Get call for what a state block holds; the font
// still puts back what the caller had set.
TEST_F(FontFaultTest, DrawOnAPureDeviceRestoresTheState)
{
    ZelkD3DFont font(device, kFace, 512, kPointSize, false, false);
    const StateUnlikeTheFonts unlike(device);
    const DeviceState before = DeviceState::Read(device);
    for (const bool linear : {false, true}) {
        SCOPED_TRACE(linear ? "linear" : "point");
        for (const char* call : {"GetRenderState", "GetTextureStageState", "GetSamplerState", "GetVertexShader",
                                 "GetPixelShader", "GetVertexDeclaration", "GetFVF", "GetStreamSource", "GetTexture"}) {
            proxy.FailCall(std::string("IDirect3DDevice9::") + call, D3DERR_INVALIDCALL);
        }
        font.textItems = {{4.0f, 4.0f, "Hi\nthere", kWhite}, {4.0f, 40.0f, "again", kWhite}};
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        font.Draw(0x80141414, linear, true);
        device->EndScene();
        proxy.ClearFaults();
        EXPECT_TRUE(DeviceState::Read(device) == before);
    }
}
