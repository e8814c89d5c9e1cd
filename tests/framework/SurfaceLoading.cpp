// Surface and texture loading on a real device: the row copy, the program's
// own converters and the extension library as the three roads, placement and
// clipping of rectangles, texture copies and the colour-key maps.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/D3DProxy.h"
#include "common/DeviceFixture.h"
#include "common/TestDirectory.h"
#include "framework/ZelkD3DFormats.h"
#include "framework/ZelkD3DSurface.h"
#include "framework/ZelkException.h"
#include "pixelformat/ZelkGrPixelConverter.h"

namespace {

using zelk::ZelkD3DSurface;
using zelk::ZelkException;
using zelktest::ColorNear;

constexpr DWORD kSentinel = 0xDEADBEEF;
// Expected value of a texel that a colour key removed: the extension library
// makes its alpha 0 (whether it also clears the colour is its own matter).
constexpr DWORD kKeyedOut = 0x00000000;

const char* const kMemoryName = "ZelkD3DSurface::LoadSurfaceFromMemory";
const char* const kSurfaceName = "ZelkD3DSurface::LoadSurfaceFromSurface";
const char* const kTextureName = "ZelkD3DSurface::LoadTextureFromTexture";
const char* const kCreateName = "ZelkD3DSurface::CreateTextureFromTexture";
const char* const kMapARName = "ZelkD3DSurface::CreateColorkeyMapAR";
const char* const kBadRect = "The parameter [ RECT* pSrcRect ] is invalid.";
const char* const kBadPoint = "The parameter [ POINT* pDestPoint ] is invalid.";
const char* const kLockFailed = "The function [ IDirect3DSurface9::LockRect ] is failed.";

// Texel (x, y) of the patterned sources: every texel differs.
DWORD Pattern(LONG x, LONG y)
{
    return 0xA0000000u | (static_cast<DWORD>(y) << 8) | static_cast<DWORD>(x);
}

testing::AssertionResult TexelNear(DWORD expected, DWORD actual, int tolerance = 2)
{
    if (expected == kKeyedOut) {
        if ((actual >> 24) == 0) {
            return testing::AssertionSuccess();
        }
        return testing::AssertionFailure() << "keyed-out texel has alpha: 0x" << std::hex << actual;
    }
    return ColorNear(expected, actual, tolerance);
}

// How many times text occurs in the error log of the working directory.
int LogCount(const std::string& text)
{
    const std::string log = zelktest::ReadFileText("vezoRerez.log");
    int count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + text.size())) {
        ++count;
    }
    return count;
}

// The call must throw the ZelkException described, logged exactly once.
void ExpectFailure(const std::function<void()>& call, const char* thrower, const char* message,
                   HRESULT result = 0)
{
    zelktest::RemoveTree("vezoRerez.log");
    try {
        call();
        ADD_FAILURE() << "no exception for " << message;
        return;
    } catch (const ZelkException& exception) {
        EXPECT_EQ(exception.functionName, thrower);
        EXPECT_EQ(exception.message, message);
        if (result != 0) {
            EXPECT_EQ(exception.returnValue.result, result);
        } else {
            EXPECT_TRUE(FAILED(exception.returnValue.result));
        }
        EXPECT_TRUE(exception.logged);
    }
    EXPECT_EQ(LogCount(message), 1) << message;
}

// Application texels ending right before a page that may not be touched, so
// that any read past them ends the test process.
class GuardedData {
public:
    explicit GuardedData(size_t bytes)
    {
        const size_t page = 4096;
        total_ = (bytes + page - 1) / page * page + page;
        base_ = static_cast<BYTE*>(VirtualAlloc(nullptr, total_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD previous = 0;
        VirtualProtect(base_ + total_ - page, page, PAGE_NOACCESS, &previous);
        data_ = base_ + total_ - page - bytes;
    }
    ~GuardedData() { VirtualFree(base_, 0, MEM_RELEASE); }
    GuardedData(const GuardedData&) = delete;
    GuardedData& operator=(const GuardedData&) = delete;

    BYTE* Data() const { return data_; }

private:
    BYTE* base_ = nullptr;
    BYTE* data_ = nullptr;
    size_t total_ = 0;
};

// A texture that forwards everything to a real one but names another device
// as its owner.  The loaders take the device from the source texture, so a
// source owned by the fault proxy lets the proxy fail their device calls.
class TextureOwnedBy : public IDirect3DTexture9 {
public:
    static IDirect3DTexture9Ptr Wrap(IDirect3DTexture9* real, IDirect3DDevice9* owner)
    {
        IDirect3DTexture9Ptr wrapped;
        wrapped.Attach(new TextureOwnedBy(real, owner));
        return wrapped;
    }

    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override
    {
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDirect3DResource9) ||
            riid == __uuidof(IDirect3DBaseTexture9) || riid == __uuidof(IDirect3DTexture9)) {
            AddRef();
            *object = static_cast<IDirect3DTexture9*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG WINAPI Release() override
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }
    HRESULT WINAPI GetDevice(IDirect3DDevice9** device) override
    {
        owner_->AddRef();
        *device = owner_;
        return D3D_OK;
    }
    HRESULT WINAPI SetPrivateData(REFGUID guid, const void* data, DWORD size, DWORD flags) override
    {
        return real_->SetPrivateData(guid, data, size, flags);
    }
    HRESULT WINAPI GetPrivateData(REFGUID guid, void* data, DWORD* size) override
    {
        return real_->GetPrivateData(guid, data, size);
    }
    HRESULT WINAPI FreePrivateData(REFGUID guid) override { return real_->FreePrivateData(guid); }
    DWORD WINAPI SetPriority(DWORD priority) override { return real_->SetPriority(priority); }
    DWORD WINAPI GetPriority() override { return real_->GetPriority(); }
    void WINAPI PreLoad() override { real_->PreLoad(); }
    D3DRESOURCETYPE WINAPI GetType() override { return real_->GetType(); }
    DWORD WINAPI SetLOD(DWORD lod) override { return real_->SetLOD(lod); }
    DWORD WINAPI GetLOD() override { return real_->GetLOD(); }
    DWORD WINAPI GetLevelCount() override { return real_->GetLevelCount(); }
    HRESULT WINAPI SetAutoGenFilterType(D3DTEXTUREFILTERTYPE type) override
    {
        return real_->SetAutoGenFilterType(type);
    }
    D3DTEXTUREFILTERTYPE WINAPI GetAutoGenFilterType() override { return real_->GetAutoGenFilterType(); }
    void WINAPI GenerateMipSubLevels() override { real_->GenerateMipSubLevels(); }
    HRESULT WINAPI GetLevelDesc(UINT level, D3DSURFACE_DESC* description) override
    {
        return real_->GetLevelDesc(level, description);
    }
    HRESULT WINAPI GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override
    {
        return real_->GetSurfaceLevel(level, surface);
    }
    HRESULT WINAPI LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override
    {
        return real_->LockRect(level, locked, rect, flags);
    }
    HRESULT WINAPI UnlockRect(UINT level) override { return real_->UnlockRect(level); }
    HRESULT WINAPI AddDirtyRect(const RECT* rect) override { return real_->AddDirtyRect(rect); }

private:
    TextureOwnedBy(IDirect3DTexture9* real, IDirect3DDevice9* owner) : real_(real), owner_(owner) {}
    virtual ~TextureOwnedBy() = default;

    LONG references_ = 1;
    IDirect3DTexture9Ptr real_;
    IDirect3DDevice9Ptr owner_;
};

class SurfaceLoadingTest : public zelktest::DeviceFixture {
protected:
    IDirect3DTexture9Ptr Texture(UINT width, UINT height, UINT levels, D3DFORMAT format, D3DPOOL pool,
                                 DWORD usage = 0)
    {
        IDirect3DTexture9Ptr texture;
        const HRESULT result = device->CreateTexture(width, height, levels, usage, format, pool, &texture, nullptr);
        EXPECT_EQ(result, D3D_OK) << "CreateTexture " << width << "x" << height << " format " << format;
        return texture;
    }

    // A default-pool texture that the test can still lock to read it back.
    IDirect3DTexture9Ptr DeviceTexture(UINT width, UINT height, UINT levels, D3DFORMAT format)
    {
        return Texture(width, height, levels, format, D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC);
    }

    static IDirect3DSurface9Ptr Level(IDirect3DTexture9* texture, UINT level = 0)
    {
        IDirect3DSurface9Ptr surface;
        EXPECT_EQ(texture->GetSurfaceLevel(level, &surface), D3D_OK);
        return surface;
    }

    static D3DSURFACE_DESC Description(IDirect3DSurface9* surface)
    {
        D3DSURFACE_DESC description = {};
        surface->GetDesc(&description);
        return description;
    }

    // Every texel of the surface, row by row, as a value of its size.
    static std::vector<DWORD> Read(IDirect3DSurface9* surface)
    {
        const D3DSURFACE_DESC description = Description(surface);
        const UINT size = zelk::GetFormatBytesPerPixel(description.Format);
        std::vector<DWORD> texels;
        D3DLOCKED_RECT locked = {};
        if (FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            ADD_FAILURE() << "LockRect for reading failed";
            return texels;
        }
        for (UINT y = 0; y < description.Height; ++y) {
            const BYTE* row = static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch;
            for (UINT x = 0; x < description.Width; ++x) {
                DWORD texel = 0;
                std::memcpy(&texel, row + x * size, size);
                texels.push_back(texel);
            }
        }
        surface->UnlockRect();
        return texels;
    }

    static DWORD ReadTexel(IDirect3DSurface9* surface, UINT x, UINT y)
    {
        const std::vector<DWORD> texels = Read(surface);
        return texels.empty() ? 0 : texels.at(y * Description(surface).Width + x);
    }

    // Writes texel(x, y) into every texel of the surface.
    static void Write(IDirect3DSurface9* surface, const std::function<DWORD(UINT, UINT)>& texel)
    {
        const D3DSURFACE_DESC description = Description(surface);
        const UINT size = zelk::GetFormatBytesPerPixel(description.Format);
        D3DLOCKED_RECT locked = {};
        ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < description.Height; ++y) {
            BYTE* row = static_cast<BYTE*>(locked.pBits) + y * locked.Pitch;
            for (UINT x = 0; x < description.Width; ++x) {
                const DWORD value = texel(x, y);
                std::memcpy(row + x * size, &value, size);
            }
        }
        surface->UnlockRect();
    }

    static void Fill(IDirect3DSurface9* surface, DWORD value)
    {
        Write(surface, [value](UINT, UINT) { return value; });
    }

    // An 8 x 8 A8R8G8B8 system-memory surface holding the sentinel.
    IDirect3DSurface9Ptr SentinelSurface(D3DFORMAT format = D3DFMT_A8R8G8B8)
    {
        IDirect3DSurface9Ptr surface = Level(Texture(8, 8, 1, format, D3DPOOL_SYSTEMMEM));
        Fill(surface, kSentinel);
        return surface;
    }

    // The surface holds source(x - dx + sx, y - dy + sy) inside the
    // rectangle of columns x rows at (dx, dy) and the sentinel elsewhere.
    static void ExpectPlaced(IDirect3DSurface9* surface, LONG dx, LONG dy, LONG columns, LONG rows, LONG sx, LONG sy,
                             const std::function<DWORD(LONG, LONG)>& source)
    {
        const std::vector<DWORD> texels = Read(surface);
        const LONG width = static_cast<LONG>(Description(surface).Width);
        for (LONG i = 0; i < static_cast<LONG>(texels.size()); ++i) {
            const LONG x = i % width;
            const LONG y = i / width;
            const bool inside = x >= dx && x < dx + columns && y >= dy && y < dy + rows;
            const DWORD expected = inside ? source(x - dx + sx, y - dy + sy) : kSentinel;
            ASSERT_EQ(texels[i], expected) << "texel (" << x << ", " << y << ")";
        }
    }
};

// ---------------------------------------------------------------------------
// From application memory

struct PlacementCase {
    const char* name;
    D3DFORMAT format;  // 0: the surface's own
    UINT sourceWidth;  // 0: the surface's width
    bool wholeSurface;  // no rectangle and no point
    RECT rect;
    POINT point;
    // Where the texels must land, and from where.
    LONG dx, dy, columns, rows, sx, sy;
};

TEST_F(SurfaceLoadingTest, RowCopyPlacesTheRectangleAtThePoint)
{
    const PlacementCase cases[] = {
        {"whole surface, own format and width", D3DFMT_UNKNOWN, 0, true, {}, {}, 0, 0, 8, 8, 0, 0},
        {"whole surface, format given", D3DFMT_A8R8G8B8, 8, true, {}, {}, 0, 0, 8, 8, 0, 0},
        {"inner rectangle", D3DFMT_A8R8G8B8, 10, false, {1, 2, 5, 5}, {2, 3}, 2, 3, 4, 3, 1, 2},
        {"rectangle up to the row's end", D3DFMT_UNKNOWN, 10, false, {6, 0, 10, 1}, {0, 0}, 0, 0, 4, 1, 6, 0},
        {"cut at the surface's edges", D3DFMT_A8R8G8B8, 10, false, {0, 0, 10, 10}, {5, 6}, 5, 6, 3, 2, 0, 0},
        {"point beyond the surface", D3DFMT_UNKNOWN, 10, false, {3, 4, 6, 6}, {100, 100}, 7, 7, 1, 1, 3, 4},
        {"point beyond the right edge only", D3DFMT_UNKNOWN, 10, false, {0, 0, 2, 2}, {9, 1}, 7, 1, 1, 2, 0, 0},
    };
    for (const PlacementCase& c : cases) {
        SCOPED_TRACE(c.name);
        const UINT width = c.sourceWidth ? c.sourceWidth : 8;
        std::vector<DWORD> data(width * 10);
        for (UINT i = 0; i < data.size(); ++i) {
            data[i] = Pattern(static_cast<LONG>(i % width), static_cast<LONG>(i / width));
        }
        IDirect3DSurface9Ptr surface = SentinelSurface();
        EXPECT_TRUE(ZelkD3DSurface::LoadSurfaceFromMemory(surface, data.data(), c.format, c.sourceWidth,
                                                          c.wholeSurface ? nullptr : &c.rect,
                                                          c.wholeSurface ? nullptr : &c.point, nullptr, nullptr, 0));
        ExpectPlaced(surface, c.dx, c.dy, c.columns, c.rows, c.sx, c.sy, Pattern);
    }
}

// The program's converters widen by a plain shift (0xF8 for a 5-bit 31),
// which tells their road from the extension library's, which replicates bits.
TEST_F(SurfaceLoadingTest, ConverterRoadConvertsTheSourceRectangle)
{
    struct Case {
        D3DFORMAT format;
        std::vector<WORD> source;  // one row
        std::vector<DWORD> expected;  // texels 1..3 of the second row
    };
    const Case cases[] = {
        {D3DFMT_R5G6B5, {0x1234, 0xFFFF, 0xF800, 0x07E0}, {0xFFF8FCF8, 0xFFF80000, 0xFF00FC00}},
        {D3DFMT_A1R5G5B5, {0x1234, 0x8000, 0x7FFF, 0xFC1F}, {0xFF000000, 0x00F8F8F8, 0xFFF800F8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        IDirect3DSurface9Ptr surface = SentinelSurface();
        const RECT rect = {1, 0, 4, 1};
        const POINT point = {1, 1};
        EXPECT_TRUE(ZelkD3DSurface::LoadSurfaceFromMemory(surface, c.source.data(), c.format, 4, &rect, &point,
                                                          nullptr, nullptr, 0));
        const std::vector<DWORD> texels = Read(surface);
        for (UINT i = 0; i < 3; ++i) {
            EXPECT_TRUE(TexelNear(c.expected[i], texels[8 + 1 + i])) << "texel " << i;
        }
        EXPECT_EQ(texels[8], kSentinel);
        EXPECT_EQ(texels[8 + 4], kSentinel);
        EXPECT_EQ(texels[0], kSentinel);
    }
}

TEST_F(SurfaceLoadingTest, ExtensionLibraryServesPairsWithoutConverterAndColourKeys)
{
    struct Case {
        const char* name;
        D3DFORMAT format;
        std::vector<DWORD> source;  // texel values, of the format's size
        D3DCOLOR colorKey;
        std::vector<DWORD> expected;
    };
    const Case cases[] = {
        {"pair without converter", D3DFMT_A8B8G8R8, {0x11223344, 0xFF0000FF}, 0, {0x11443322, 0xFFFF0000}},
        {"colour key on equal formats", D3DFMT_A8R8G8B8, {0xFF00FF00, 0xFF123456}, 0xFF00FF00,
         {kKeyedOut, 0xFF123456}},
        {"colour key on a converter pair", D3DFMT_R5G6B5, {0xF800, 0x001F}, 0xFFFF0000, {kKeyedOut, 0xFF0000FF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const UINT size = zelk::GetFormatBytesPerPixel(c.format);
        std::vector<BYTE> data(c.source.size() * size);
        for (size_t i = 0; i < c.source.size(); ++i) {
            std::memcpy(&data[i * size], &c.source[i], size);
        }
        IDirect3DSurface9Ptr surface = SentinelSurface();
        const RECT rect = {0, 0, 2, 1};
        const POINT point = {3, 2};
        EXPECT_TRUE(ZelkD3DSurface::LoadSurfaceFromMemory(surface, data.data(), c.format, 2, &rect, &point, nullptr,
                                                          nullptr, c.colorKey));
        const std::vector<DWORD> texels = Read(surface);
        for (UINT i = 0; i < 2; ++i) {
            EXPECT_TRUE(TexelNear(c.expected[i], texels[2 * 8 + 3 + i])) << "texel " << i;
        }
        EXPECT_EQ(texels[2 * 8 + 5], kSentinel);
        EXPECT_EQ(texels[2 * 8 + 2], kSentinel);
    }
}

TEST_F(SurfaceLoadingTest, NoDataOrNoTexelSizeWritesNothing)
{
    const DWORD data[64] = {};
    const struct {
        const char* name;
        const void* data;
        D3DFORMAT format;
    } cases[] = {
        {"no data", nullptr, D3DFMT_A8R8G8B8},
        {"colour-order code", data, static_cast<D3DFORMAT>(zelk::ZELK_FORMAT_ABGR)},
        {"block-compressed source", data, D3DFMT_DXT1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IDirect3DSurface9Ptr surface = SentinelSurface();
        EXPECT_TRUE(ZelkD3DSurface::LoadSurfaceFromMemory(surface, c.data, c.format, 8, nullptr, nullptr, nullptr,
                                                          nullptr, 0));
        ExpectPlaced(surface, 0, 0, 0, 0, 0, 0, Pattern);
    }
}

// A source exactly as large as the rectangle, followed by memory that must
// not be touched, loads on every road.
TEST_F(SurfaceLoadingTest, ReadsNothingPastTheSourceRectangle)
{
    const struct {
        D3DFORMAT format;
        DWORD texel;
        DWORD expected;
    } cases[] = {
        {D3DFMT_A8R8G8B8, 0xFF102030, 0xFF102030},  // row copy
        {D3DFMT_R5G6B5, 0xFFFF, 0xFFF8FCF8},        // converter
        {D3DFMT_A8B8G8R8, 0xFF302010, 0xFF102030},  // extension library
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        const UINT size = zelk::GetFormatBytesPerPixel(c.format);
        const UINT width = 5;
        const UINT rows = 3;
        GuardedData guarded(width * rows * size);
        for (UINT i = 0; i < width * rows; ++i) {
            std::memcpy(guarded.Data() + i * size, &c.texel, size);
        }
        IDirect3DSurface9Ptr surface = SentinelSurface();
        const RECT rect = {0, 0, static_cast<LONG>(width), static_cast<LONG>(rows)};
        EXPECT_TRUE(ZelkD3DSurface::LoadSurfaceFromMemory(surface, guarded.Data(), c.format, width, &rect, nullptr,
                                                          nullptr, nullptr, 0));
        EXPECT_TRUE(TexelNear(c.expected, ReadTexel(surface, width - 1, rows - 1)));
        EXPECT_EQ(ReadTexel(surface, width, rows - 1), kSentinel);
    }
}

TEST_F(SurfaceLoadingTest, RectangleOutsideTheSourceOrNegativePointIsRefused)
{
    const struct {
        const char* name;
        bool wholeSurface;
        RECT rect;
        POINT point;
        const char* message;
    } cases[] = {
        {"source rows shorter than the surface", true, {}, {}, kBadRect},
        {"right edge past the source width", false, {0, 0, 5, 1}, {0, 0}, kBadRect},
        {"inner left, right edge past the source", false, {2, 0, 7, 1}, {0, 0}, kBadRect},
        {"negative left", false, {-1, 0, 2, 1}, {0, 0}, kBadRect},
        {"negative top", false, {0, -1, 2, 1}, {0, 0}, kBadRect},
        {"inverted", false, {3, 0, 1, 1}, {0, 0}, kBadRect},
        {"inverted rows", false, {0, 3, 1, 2}, {0, 0}, kBadRect},
        {"empty with a negative left", false, {-1, 0, -1, 1}, {0, 0}, kBadRect},
        {"negative point", false, {0, 0, 2, 2}, {-1, 0}, kBadPoint},
    };
    const std::vector<DWORD> data(4 * 8, 0xFF00FF00);  // 4 texels wide
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IDirect3DSurface9Ptr surface = SentinelSurface();
        ExpectFailure(
            [&]() {
                ZelkD3DSurface::LoadSurfaceFromMemory(surface, data.data(), D3DFMT_A8R8G8B8, 4,
                                                      c.wholeSurface ? nullptr : &c.rect,
                                                      c.wholeSurface ? nullptr : &c.point, nullptr, nullptr, 0);
            },
            kMemoryName, c.message, E_INVALIDARG);
        ExpectPlaced(surface, 0, 0, 0, 0, 0, 0, Pattern);
    }
}

// An empty rectangle (no columns or no rows) asks for nothing: it loads
// nothing, logs nothing and succeeds.
TEST_F(SurfaceLoadingTest, EmptyRectangleLoadsNothingAndSucceeds)
{
    const RECT rects[] = {{0, 2, 1, 2}, {3, 0, 3, 4}, {0, 0, 0, 0}, {9, 9, 9, 9}};
    const std::vector<DWORD> data(4 * 8, 0xFF00FF00);  // 4 texels wide
    for (const RECT& rect : rects) {
        SCOPED_TRACE(testing::Message() << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom);
        IDirect3DSurface9Ptr surface = SentinelSurface();
        const POINT point = {1, 1};
        const int logged = LogCount("An exception was thrown");
        EXPECT_TRUE(ZelkD3DSurface::LoadSurfaceFromMemory(surface, data.data(), D3DFMT_A8R8G8B8, 4, &rect, &point,
                                                          nullptr, nullptr, 0));
        ExpectPlaced(surface, 0, 0, 0, 0, 0, 0, Pattern);
        EXPECT_EQ(LogCount("An exception was thrown"), logged);
    }
}

TEST_F(SurfaceLoadingTest, MemoryLoadFailuresThrow)
{
    const std::vector<DWORD> data(64, 0xFF00FF00);
    IDirect3DSurface9Ptr surface = SentinelSurface();
    D3DLOCKED_RECT locked = {};
    ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);  // held by someone else
    ExpectFailure(
        [&]() {
            ZelkD3DSurface::LoadSurfaceFromMemory(surface, data.data(), D3DFMT_A8R8G8B8, 8, nullptr, nullptr,
                                                  nullptr, nullptr, 0);
        },
        kMemoryName, kLockFailed);
    ExpectFailure(
        [&]() {
            ZelkD3DSurface::LoadSurfaceFromMemory(surface, data.data(), D3DFMT_R5G6B5, 8, nullptr, nullptr, nullptr,
                                                  nullptr, 0);
        },
        kMemoryName, kLockFailed);
    surface->UnlockRect();
}

// ---------------------------------------------------------------------------
// From surface to surface

TEST_F(SurfaceLoadingTest, SurfaceCopyPlacesAndCutsTheRectangle)
{
    const struct {
        const char* name;
        bool wholeSurface;
        RECT rect;
        POINT point;
        LONG dx, dy, columns, rows, sx, sy;
    } cases[] = {
        {"whole source", true, {}, {}, 0, 0, 4, 4, 0, 0},
        {"inner rectangle", false, {1, 1, 3, 4}, {4, 5}, 4, 5, 2, 3, 1, 1},
        {"rectangle past the source's edges", false, {2, 1, 10, 9}, {0, 0}, 0, 0, 2, 3, 2, 1},
        {"corner beyond the source", false, {9, 9, 12, 12}, {1, 1}, 1, 1, 1, 1, 3, 3},
        {"point beyond the destination", false, {0, 0, 4, 4}, {20, 6}, 7, 6, 1, 2, 0, 0},
    };
    for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {  // row copy, converter
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (format == D3DFMT_A8R8G8B8 ? " (row copy)" : " (converter)"));
            IDirect3DSurface9Ptr source = Level(Texture(4, 4, 1, format, D3DPOOL_SYSTEMMEM));
            Write(source, [](UINT x, UINT y) { return Pattern(x, y); });
            IDirect3DSurface9Ptr destination = SentinelSurface();
            EXPECT_TRUE(ZelkD3DSurface::LoadSurfaceFromSurface(source, destination,
                                                               c.wholeSurface ? nullptr : &c.rect,
                                                               c.wholeSurface ? nullptr : &c.point, nullptr, nullptr,
                                                               0));
            // X8R8G8B8 into A8R8G8B8 takes the fill alpha.
            ExpectPlaced(destination, c.dx, c.dy, c.columns, c.rows, c.sx, c.sy, [format](LONG x, LONG y) {
                return format == D3DFMT_A8R8G8B8 ? Pattern(x, y) : (Pattern(x, y) | 0xFF000000);
            });
        }
    }
}

TEST_F(SurfaceLoadingTest, SurfaceRoadsConvertAndKey)
{
    const struct {
        const char* name;
        D3DFORMAT format;
        DWORD texel;
        D3DCOLOR colorKey;
        DWORD expected;
    } cases[] = {
        {"converter", D3DFMT_R5G6B5, 0xFFFF, 0, 0xFFF8FCF8},
        {"pair without converter", D3DFMT_A8B8G8R8, 0x80302010, 0, 0x80102030},
        {"colour key on equal formats", D3DFMT_A8R8G8B8, 0xFF00FF00, 0xFF00FF00, kKeyedOut},
        {"colour key on a converter pair", D3DFMT_R5G6B5, 0x001F, 0xFF00FF00, 0xFF0000FF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IDirect3DSurface9Ptr source = Level(Texture(2, 2, 1, c.format, D3DPOOL_SYSTEMMEM));
        Fill(source, c.texel);
        IDirect3DSurface9Ptr destination = SentinelSurface();
        EXPECT_TRUE(ZelkD3DSurface::LoadSurfaceFromSurface(source, destination, nullptr, nullptr, nullptr, nullptr,
                                                           c.colorKey));
        EXPECT_TRUE(TexelNear(c.expected, ReadTexel(destination, 1, 1)));
        EXPECT_EQ(ReadTexel(destination, 2, 1), kSentinel);
    }
}

TEST_F(SurfaceLoadingTest, SurfaceLoadFailuresThrowAndLeaveNothingLocked)
{
    IDirect3DSurface9Ptr source = Level(Texture(4, 4, 1, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM));
    IDirect3DSurface9Ptr destination = SentinelSurface();
    const RECT negative = {-2, 0, 2, 2};
    ExpectFailure(
        [&]() { ZelkD3DSurface::LoadSurfaceFromSurface(source, destination, &negative, nullptr, nullptr, nullptr, 0); },
        kSurfaceName, kBadRect, E_INVALIDARG);

    // The destination is held elsewhere: the source, locked first, must be
    // unlocked again on the way out.
    D3DLOCKED_RECT locked = {};
    ASSERT_EQ(destination->LockRect(&locked, nullptr, 0), D3D_OK);
    ExpectFailure(
        [&]() { ZelkD3DSurface::LoadSurfaceFromSurface(source, destination, nullptr, nullptr, nullptr, nullptr, 0); },
        kSurfaceName, kLockFailed);
    destination->UnlockRect();
    EXPECT_EQ(source->LockRect(&locked, nullptr, 0), D3D_OK) << "source left locked";
    source->UnlockRect();
}

// ---------------------------------------------------------------------------
// Texture to texture

TEST_F(SurfaceLoadingTest, SystemMemoryTextureGoesStraightToTheDevice)
{
    const DWORD colours[3] = {0xFF102030, 0xFF405060, 0xFF708090};
    IDirect3DTexture9Ptr source = Texture(4, 4, 3, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
    for (UINT level = 0; level < 3; ++level) {
        Fill(Level(source, level), colours[level]);
    }
    for (UINT levels : {3u, 2u}) {  // the whole texture; the levels in common
        SCOPED_TRACE(levels);
        IDirect3DTexture9Ptr destination = DeviceTexture(4, 4, levels, D3DFMT_A8R8G8B8);
        EXPECT_TRUE(ZelkD3DSurface::LoadTextureFromTexture(source, destination, nullptr, nullptr, 0));
        for (UINT level = 0; level < levels; ++level) {
            EXPECT_TRUE(TexelNear(colours[level], ReadTexel(Level(destination, level), 0, 0))) << "level " << level;
        }
    }

    // A one-level source updates level 0 and nothing more.
    IDirect3DTexture9Ptr single = Texture(4, 4, 1, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
    Fill(Level(single), colours[2]);
    IDirect3DTexture9Ptr destination = DeviceTexture(4, 4, 3, D3DFMT_A8R8G8B8);
    Fill(Level(destination, 1), kSentinel);
    EXPECT_TRUE(ZelkD3DSurface::LoadTextureFromTexture(single, destination, nullptr, nullptr, 0));
    EXPECT_TRUE(TexelNear(colours[2], ReadTexel(Level(destination, 0), 3, 3)));
    EXPECT_EQ(ReadTexel(Level(destination, 1), 0, 0), kSentinel);
}

TEST_F(SurfaceLoadingTest, TextureCopiesThroughStagingOrDirectly)
{
    const struct {
        const char* name;
        D3DPOOL sourcePool;
        D3DFORMAT sourceFormat;
        UINT sourceEdge;
        DWORD texel;
        D3DCOLOR colorKey;
        D3DPOOL pool;
        DWORD expected;
    } cases[] = {
        {"other format, own converter", D3DPOOL_SYSTEMMEM, D3DFMT_R5G6B5, 4, 0xFFFF, 0, D3DPOOL_DEFAULT, 0xFFF8FCF8},
        {"other size", D3DPOOL_SYSTEMMEM, D3DFMT_A8R8G8B8, 8, 0xFF204060, 0, D3DPOOL_DEFAULT, 0xFF204060},
        {"colour key", D3DPOOL_SYSTEMMEM, D3DFMT_A8R8G8B8, 4, 0xFF00FF00, 0xFF00FF00, D3DPOOL_DEFAULT, kKeyedOut},
        {"other pool, own converter", D3DPOOL_SYSTEMMEM, D3DFMT_R5G6B5, 4, 0xFFFF, 0, D3DPOOL_SYSTEMMEM, 0xFFF8FCF8},
        {"other pool, other size", D3DPOOL_SYSTEMMEM, D3DFMT_A8R8G8B8, 8, 0xFF204060, 0, D3DPOOL_SYSTEMMEM, 0xFF204060},
        {"other pool, colour key", D3DPOOL_SYSTEMMEM, D3DFMT_A8R8G8B8, 4, 0xFF00FF00, 0xFF00FF00, D3DPOOL_SYSTEMMEM,
         kKeyedOut},
        {"scratch source", D3DPOOL_SCRATCH, D3DFMT_A8R8G8B8, 4, 0xFF405060, 0, D3DPOOL_DEFAULT, 0xFF405060},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IDirect3DTexture9Ptr source = Texture(c.sourceEdge, c.sourceEdge, 1, c.sourceFormat, c.sourcePool);
        Fill(Level(source), c.texel);
        // Three levels from a one-level source: levels 1 and 2 are filtered.
        IDirect3DTexture9Ptr destination = c.pool == D3DPOOL_DEFAULT ? DeviceTexture(4, 4, 3, D3DFMT_A8R8G8B8)
                                                                     : Texture(4, 4, 3, D3DFMT_A8R8G8B8, c.pool);
        EXPECT_TRUE(ZelkD3DSurface::LoadTextureFromTexture(source, destination, nullptr, nullptr, c.colorKey));
        for (UINT level = 0; level < 3; ++level) {
            EXPECT_TRUE(TexelNear(c.expected, ReadTexel(Level(destination, level), 0, 0), 3)) << "level " << level;
        }
    }
}

TEST_F(SurfaceLoadingTest, TextureCopyFailuresThrowOnce)
{
    IDirect3DTexture9Ptr source = Texture(4, 4, 1, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
    IDirect3DSurface9Ptr sourceLevel = Level(source);
    D3DLOCKED_RECT locked = {};
    ASSERT_EQ(sourceLevel->LockRect(&locked, nullptr, 0), D3D_OK);  // held elsewhere

    // The own loader fails inside: its own exception, logged once.
    IDirect3DTexture9Ptr other = Texture(4, 4, 1, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
    ExpectFailure([&]() { ZelkD3DSurface::LoadTextureFromTexture(source, other, nullptr, nullptr, 0); }, kSurfaceName,
                  kLockFailed);
    ExpectFailure([&]() { ZelkD3DSurface::LoadTextureFromTexture(source, other, nullptr, nullptr, 0xFF00FF00); },
                  kTextureName, "The function [ D3DXLoadSurfaceFromSurface ] is failed.");
    sourceLevel->UnlockRect();

    // Further levels cannot be filtered while one of them is held.
    IDirect3DTexture9Ptr chain = Texture(4, 4, 3, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
    IDirect3DSurface9Ptr chainLevel = Level(chain, 1);
    ASSERT_EQ(chainLevel->LockRect(&locked, nullptr, 0), D3D_OK);
    ExpectFailure([&]() { ZelkD3DSurface::LoadTextureFromTexture(source, chain, nullptr, nullptr, 0); }, kTextureName,
                  "The function [ D3DXFilterTexture ] is failed.");
    chainLevel->UnlockRect();

    ExpectFailure(
        [&]() {
            ZelkD3DSurface::CreateTextureFromTexture(source, 1, D3DX_DEFAULT, D3DPOOL_DEFAULT, D3DUSAGE_DEPTHSTENCIL,
                                                     0);
        },
        kCreateName, "The function [ IDirect3DDevice9::CreateTexture ] is failed.");
}

// The device calls that no real device fails on cue: each failure throws
// once, and every texture made on the way (staging, new texture) is released.
TEST_F(SurfaceLoadingTest, DeviceCallFailuresThrowAndReleaseEveryTexture)
{
    const char* const createFailed = "The function [ IDirect3DDevice9::CreateTexture ] is failed.";
    const char* const updateTextureFailed = "The function [ IDirect3DDevice9::UpdateTexture ] is failed.";
    const char* const updateSurfaceFailed = "The function [ IDirect3DDevice9::UpdateSurface ] is failed.";
    zelktest::D3DProxy proxy;
    {
        IDirect3DDevice9Ptr proxied = proxy.CreateWindowedDevice(window->Handle(), kWidth, kHeight);
        ASSERT_TRUE(proxied != nullptr);
        auto make = [&](UINT levels, D3DFORMAT format, D3DPOOL pool) {
            IDirect3DTexture9Ptr real;
            EXPECT_EQ(proxied->CreateTexture(4, 4, levels, 0, format, pool, &real, nullptr), D3D_OK);
            return real;
        };
        // Sources owned by the proxy device.
        auto source = [&](UINT levels, D3DFORMAT format, D3DPOOL pool) {
            return TextureOwnedBy::Wrap(make(levels, format, pool), proxied);
        };
        const IDirect3DTexture9Ptr matching = source(3, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
        const IDirect3DTexture9Ptr single = source(1, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
        const IDirect3DTexture9Ptr otherFormat = source(1, D3DFMT_R5G6B5, D3DPOOL_SYSTEMMEM);
        const IDirect3DTexture9Ptr scratch = source(1, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH);
        const IDirect3DTexture9Ptr destination = make(3, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
        auto load = [&](IDirect3DTexture9* source) {
            return [&, source]() { ZelkD3DSurface::LoadTextureFromTexture(source, destination, nullptr, nullptr, 0); };
        };
        auto create = [](IDirect3DTexture9* source) {
            return [source]() {
                ZelkD3DSurface::CreateTextureFromTexture(source, 1, D3DX_DEFAULT, D3DPOOL_DEFAULT, 0, 0);
            };
        };
        const struct {
            const char* name;
            const char* call;
            UINT nth;
            std::function<void()> run;
            const char* thrower;
            const char* message;
        } cases[] = {
            {"whole-texture update", "UpdateTexture", 0, load(matching), kTextureName, updateTextureFailed},
            {"per-level update", "UpdateSurface", 0, load(single), kTextureName, updateSurfaceFailed},
            {"staging texture", "CreateTexture", 0, load(otherFormat), kTextureName, createFailed},
            {"update from staging", "UpdateTexture", 0, load(otherFormat), kTextureName, updateTextureFailed},
            {"new texture", "CreateTexture", 1, create(scratch), kCreateName, createFailed},
            {"staging of the new texture", "CreateTexture", 2, create(scratch), kCreateName, createFailed},
            {"update of the new texture", "UpdateTexture", 0, create(scratch), kCreateName, updateTextureFailed},
            {"new texture from system memory", "UpdateTexture", 0, create(single), kCreateName, updateTextureFailed},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            proxy.ClearFaults();
            proxy.FailCall(c.call, D3DERR_INVALIDCALL, c.nth);
            ExpectFailure(c.run, c.thrower, c.message, D3DERR_INVALIDCALL);
        }
        proxy.ClearFaults();

        // Level counts that differ: one surface update per level in common.
        const IDirect3DTexture9Ptr twoLevels = make(2, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
        const UINT textureUpdates = proxy.CallCount(zelktest::D3DCall::Device_UpdateTexture);
        const UINT surfaceUpdates = proxy.CallCount(zelktest::D3DCall::Device_UpdateSurface);
        EXPECT_TRUE(ZelkD3DSurface::LoadTextureFromTexture(matching, twoLevels, nullptr, nullptr, 0));
        EXPECT_EQ(proxy.CallCount(zelktest::D3DCall::Device_UpdateTexture), textureUpdates);
        EXPECT_EQ(proxy.CallCount(zelktest::D3DCall::Device_UpdateSurface), surfaceUpdates + 2);
    }
    EXPECT_EQ(proxy.LiveDevices(), 0);
    EXPECT_EQ(proxy.LeakedDeviceReferences(), 0);
}

TEST_F(SurfaceLoadingTest, CreateTextureFromTextureCopiesIntoTheNewTexture)
{
    const struct {
        const char* name;
        D3DPOOL sourcePool;
        UINT levels;
        D3DPOOL pool;
        DWORD usage;
        D3DCOLOR colorKey;
        DWORD expected;
    } cases[] = {
        {"system memory to the device", D3DPOOL_SYSTEMMEM, 1, D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC, 0, 0xFF00FF00},
        {"scratch to the device", D3DPOOL_SCRATCH, 1, D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC, 0, 0xFF00FF00},
        {"scratch to the device with levels", D3DPOOL_SCRATCH, 3, D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC, 0, 0xFF00FF00},
        {"colour key to the device", D3DPOOL_SYSTEMMEM, 1, D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC, 0xFF00FF00, kKeyedOut},
        {"into system memory with levels", D3DPOOL_SCRATCH, 0, D3DPOOL_SYSTEMMEM, 0, 0, 0xFF00FF00},
        {"colour key into system memory", D3DPOOL_SYSTEMMEM, 1, D3DPOOL_SYSTEMMEM, 0, 0xFF00FF00, kKeyedOut},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IDirect3DTexture9Ptr source = Texture(4, 4, 1, D3DFMT_A8R8G8B8, c.sourcePool);
        Fill(Level(source), 0xFF00FF00);
        IDirect3DTexture9Ptr created =
            ZelkD3DSurface::CreateTextureFromTexture(source, c.levels, D3DX_DEFAULT, c.pool, c.usage, c.colorKey);
        ASSERT_TRUE(created != nullptr);
        D3DSURFACE_DESC description = {};
        created->GetLevelDesc(0, &description);
        EXPECT_EQ(description.Pool, c.pool);
        EXPECT_EQ(description.Format, D3DFMT_A8R8G8B8);
        EXPECT_EQ(description.Width, 4u);
        EXPECT_EQ(created->GetLevelCount(), c.levels ? c.levels : 3u);
        for (UINT level = 0; level < created->GetLevelCount(); ++level) {
            EXPECT_TRUE(TexelNear(c.expected, ReadTexel(Level(created, level), 0, 0))) << "level " << level;
        }
    }
}

// ---------------------------------------------------------------------------
// Colour-key maps

TEST_F(SurfaceLoadingTest, ColourKeyMapHoldsZeroInTheKeyCellOnly)
{
    const struct {
        const char* name;
        bool greenBlue;
        float key[4];  // red, green, blue, alpha
        BYTE ignoreFirst;
        BYTE ignoreSecond;
        // The zero cells: columns [u0, u1) by rows [v0, v1).
        UINT u0, u1, v0, v1;
    } cases[] = {
        {"both ignored", false, {0.3f, 0.3f, 0.3f, 0.3f}, 1, 1, 0, 256, 0, 256},
        {"alpha and red of 1.0: the last cell", false, {1.0f, 0.0f, 0.0f, 1.0f}, 0, 0, 255, 256, 255, 256},
        {"alpha ignored", false, {0.5f, 0.0f, 0.0f, 0.7f}, 1, 0, 0, 256, 127, 128},
        {"green and blue", true, {0.9f, 0.5f, 0.25f, 0.9f}, 0, 0, 127, 128, 63, 64},
        {"blue ignored, green 1.0", true, {0.0f, 1.0f, 0.0f, 0.0f}, 0, 1, 255, 256, 0, 256},
        {"black key", true, {0.0f, 0.0f, 0.0f, 0.0f}, 0, 0, 0, 1, 0, 1},
        {"key of bytes 128 / 255", true, {0.0f, 128 * (1.0f / 255), 200 * (1.0f / 255), 0.0f}, 0, 0, 128, 129, 200,
         201},
        {"channels outside 0..1 are clamped", false, {-3.0f, 0.0f, 0.0f, 7.0f}, 0, 0, 255, 256, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IDirect3DTexture9Ptr map =
            c.greenBlue ? ZelkD3DSurface::CreateColorkeyMapGB(device, c.key, 256, D3DFMT_A1R5G5B5, c.ignoreFirst,
                                                              c.ignoreSecond)
                        : ZelkD3DSurface::CreateColorkeyMapAR(device, c.key, 256, D3DFMT_A1R5G5B5, c.ignoreFirst,
                                                              c.ignoreSecond);
        ASSERT_TRUE(map != nullptr);
        D3DSURFACE_DESC description = {};
        map->GetLevelDesc(0, &description);
        EXPECT_EQ(description.Pool, D3DPOOL_SCRATCH);
        EXPECT_EQ(description.Width, 256u);
        EXPECT_EQ(description.Height, 256u);
        EXPECT_EQ(map->GetLevelCount(), 1u);
        const std::vector<DWORD> texels = Read(Level(map));
        ASSERT_EQ(texels.size(), 256u * 256u);
        int wrong = 0;
        for (UINT i = 0; i < texels.size(); ++i) {
            const UINT u = i % 256;
            const UINT v = i / 256;
            const bool zero = u >= c.u0 && u < c.u1 && v >= c.v0 && v < c.v1;
            if (texels[i] != (zero ? 0x0000u : 0xFFFFu) && wrong++ < 5) {
                ADD_FAILURE() << "texel (" << u << ", " << v << ") is 0x" << std::hex << texels[i];
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(SurfaceLoadingTest, ColourKeyMapFailuresThrow)
{
    const float key[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    ExpectFailure([&]() { ZelkD3DSurface::CreateColorkeyMapAR(device, key, 0, D3DFMT_A1R5G5B5, 0, 0); }, kMapARName,
                  "The function [ IDirect3DDevice9::CreateTexture ] failed.");
    ExpectFailure(
        [&]() { ZelkD3DSurface::CreateColorkeyMapGB(device, key, 0, D3DFMT_A1R5G5B5, 0, 0); },
        "ZelkD3DSurface::CreateColorkeyMapGB", "The function [ IDirect3DDevice9::CreateTexture ] failed.");
    // The extension library here fills no block-compressed texture.
    ExpectFailure([&]() { ZelkD3DSurface::CreateColorkeyMapAR(device, key, 8, D3DFMT_DXT1, 0, 0); }, kMapARName,
                  "The function [ D3DXFillTexture ] failed.");
}

}  // namespace
