// The frame-buffer exports of Rodoz2o.dll, called by name as a Glide program
// calls them: locks, region reads and writes, the constants, and the scratch
// memory handed out while frame-buffer access is switched off.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/TestWindow.h"
#include "framework/ZelkD3D.h"
#include "glideapi/Glide2.h"
#include "lfb/support/GuardedBuffer.h"
#include "support/GlideDll.h"

namespace {

// Every stdcall export of the DLL as a typed pointer.
struct GlideExports {
#define ZELK_LFB_TEST_POINTER(returnType, name, parameters, bytes) returnType(FX_CALL* name) parameters = nullptr;
    ZELK_GLIDE_FUNCTIONS(ZELK_LFB_TEST_POINTER)
#undef ZELK_LFB_TEST_POINTER
    FxBool(FX_CALL* grLfbWriteRegionDecorated)(GrBuffer_t, FxU32, FxU32, GrLfbSrcFmt_t, FxU32, FxU32, FxBool,
                                               FxI32, void*) = nullptr;

    bool Load(HMODULE module) {
        bool all = true;
#define ZELK_LFB_TEST_LOAD(returnType, name, parameters, bytes)                                   \
    name = reinterpret_cast<decltype(name)>(                                                     \
        reinterpret_cast<void*>(GetProcAddress(module, ZELK_GLIDE_EXPORT_NAME(name, bytes))));  \
    all = all && name != nullptr;
        ZELK_GLIDE_FUNCTIONS(ZELK_LFB_TEST_LOAD)
#undef ZELK_LFB_TEST_LOAD
        if (!zelktest::kDecoratedExports) {
            return all;
        }
        grLfbWriteRegionDecorated = reinterpret_cast<decltype(grLfbWriteRegionDecorated)>(
            reinterpret_cast<void*>(GetProcAddress(module, "?grLfbWriteRegion@@YGHJKKKKKHJPAX@Z")));
        return all && grLfbWriteRegionDecorated != nullptr;
    }
};

const char* const kRoot = "Software\\zelkGlide";

void SetDword(const char* subkey, const char* name, DWORD value) {
    HKEY key = nullptr;
    const std::string path = std::string(kRoot) + "\\" + subkey;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

// Removes what these tests write.
void RemoveSettings() {
    for (const char* subkey : {"direct3d device setting", "primitive rendering", "lfb accessing"}) {
        RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kRoot) + "\\" + subkey).c_str());
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, kRoot);
}

constexpr unsigned kW = 1024;
constexpr unsigned kH = 768;

// A fault (an access outside the application's memory) ends the program at
// once with a message instead of waiting for a debugger.
LONG WINAPI EndOnFault(EXCEPTION_POINTERS* exception) {
    std::fprintf(stderr, "fault 0x%08lX at %p\n", exception->ExceptionRecord->ExceptionCode,
                 exception->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    return EXCEPTION_EXECUTE_HANDLER;
}

class LfbExportsTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        SetUnhandledExceptionFilter(EndOnFault);
        window = new zelktest::TestWindow(kW, kH, "lfb exports");
        module = LoadLibraryA("Rodoz2o.dll");
        if (module) {
            loaded = glide.Load(module);
        }
    }
    static void TearDownTestSuite() {
        if (module) {
            FreeLibrary(module);
        }
        delete window;
        RemoveSettings();
    }
    void SetUp() override { ASSERT_TRUE(loaded); }

    // Settings for the next front end: windowed, every switch on, and
    // frame-buffer access as given.
    void Settings(DWORD access, DWORD backgroundThread) {
        RemoveSettings();
        SetDword("direct3d device setting", "use window mode", 1);
        SetDword("primitive rendering", "use background thread", backgroundThread);
        SetDword("lfb accessing", "enable lfb accessing", access);
        for (const char* name : {"enable back buffer reading", "enable depth buffer reading",
                                 "enable back buffer writing", "enable depth buffer writing"}) {
            SetDword("lfb accessing", name, 1);
        }
    }
    testing::AssertionResult Open() {
        if (glide.grSstWinOpen(FxU32(reinterpret_cast<ULONG_PTR>(window->Handle())), GR_RESOLUTION_1024x768,
                               GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2, 1) == FXTRUE) {
            return testing::AssertionSuccess();
        }
        // The error log says why.
        std::string log;
        if (FILE* file = std::fopen("vezoRerez.log", "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, file)) log += line;
            std::fclose(file);
        }
        return testing::AssertionFailure() << "grSstWinOpen failed:\n" << log;
    }
    void Close() {
        glide.grSstWinClose();
        glide.grGlideShutdown();
    }
    static GrLfbInfo_t NewInfo() {
        GrLfbInfo_t info = {};
        info.size = sizeof info;
        return info;
    }

    static zelktest::TestWindow* window;
    static HMODULE module;
    static GlideExports glide;
    static bool loaded;
};
zelktest::TestWindow* LfbExportsTest::window = nullptr;
HMODULE LfbExportsTest::module = nullptr;
GlideExports LfbExportsTest::glide;
bool LfbExportsTest::loaded = false;

uint32_t Pattern(unsigned x, unsigned y) {
    return ((x * 3 + y) & 0xFF) << 16 | ((x + y * 5) & 0xFF) << 8 | ((x * 7 + y * 2) & 0xFF);
}
uint16_t To565(uint32_t c) {
    return uint16_t(((c >> 19) & 31) << 11 | ((c >> 10) & 63) << 5 | ((c >> 3) & 31));
}
bool Near565(uint16_t a, uint16_t b) {
    const int dr = int(a >> 11) - int(b >> 11);
    const int dg = int((a >> 5) & 63) - int((b >> 5) & 63);
    const int db = int(a & 31) - int(b & 31);
    return dr * dr <= 1 && dg * dg <= 1 && db * db <= 1;
}

TEST_F(LfbExportsTest, WithAccessOnLocksAndRegionsReachTheBackBuffer) {
    Settings(1, 1);
    glide.grGlideInit();
    GrLfbInfo_t info = NewInfo();
    EXPECT_EQ(glide.grLfbLock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, GR_ORIGIN_ANY, FXFALSE,
                              &info),
              FXFALSE)
        << "no window yet";
    EXPECT_EQ(info.lfbPtr, nullptr);
    ASSERT_TRUE(Open());

    // Recorded drawing is played before the lock: a clear shows.
    glide.grBufferClear(0x00FF0000, 0xFF, 0);
    info = NewInfo();
    ASSERT_EQ(glide.grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ANY, GR_ORIGIN_ANY, FXFALSE,
                              &info),
              FXTRUE);
    EXPECT_EQ(info.writeMode, GR_LFBWRITEMODE_565);
    EXPECT_EQ(info.origin, GR_ORIGIN_UPPER_LEFT);
    ASSERT_NE(info.lfbPtr, nullptr);
    ASSERT_GE(info.strideInBytes, kW * 2);
    const uint16_t* pixels = static_cast<const uint16_t*>(info.lfbPtr);
    EXPECT_EQ(pixels[0] & 0xF800, 0xF800) << std::hex << pixels[0];
    EXPECT_EQ(glide.grLfbUnlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER), FXTRUE);

    // A 565 write lock, read back through a region.
    info = NewInfo();
    ASSERT_EQ(glide.grLfbLock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, GR_ORIGIN_UPPER_LEFT,
                              FXFALSE, &info),
              FXTRUE);
    for (unsigned y = 0; y < kH; ++y) {
        uint16_t* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(info.lfbPtr) + y * info.strideInBytes);
        for (unsigned x = 0; x < kW; ++x) row[x] = To565(Pattern(x, y));
    }
    ASSERT_EQ(glide.grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER), FXTRUE);
    std::vector<uint16_t> region(32 * 16);
    ASSERT_EQ(glide.grLfbReadRegion(GR_BUFFER_BACKBUFFER, 100, 50, 32, 16, 64, region.data()), FXTRUE);
    for (unsigned y = 0; y < 16; ++y)
        for (unsigned x = 0; x < 32; ++x)
            ASSERT_TRUE(Near565(To565(Pattern(100 + x, 50 + y)), region[y * 32 + x])) << x << "," << y;

    // 8888 region writes in both forms.
    std::vector<uint32_t> source(8 * 4, 0xFF00FF00u);
    ASSERT_EQ(glide.grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 10, 20, GR_LFB_SRC_FMT_8888, 8, 4, 32, source.data()),
              FXTRUE);
    std::fill(source.begin(), source.end(), 0xFF0000FFu);
    if (zelktest::kDecoratedExports) {
        ASSERT_EQ(glide.grLfbWriteRegionDecorated(GR_BUFFER_BACKBUFFER, 30, 20, GR_LFB_SRC_FMT_8888, 8, 4, FXTRUE,
                                                  32, source.data()),
                  FXTRUE);
    }
    std::vector<uint16_t> check(40);
    ASSERT_EQ(glide.grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0, 21, 40, 1, 80, check.data()), FXTRUE);
    EXPECT_EQ(check[12], 0x07E0);
    if (zelktest::kDecoratedExports) {
        EXPECT_EQ(check[33], 0x001F);
    }
    EXPECT_TRUE(Near565(check[5], To565(Pattern(5, 21))));
    EXPECT_EQ(glide.grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_RLE16, 8, 4, 32, source.data()),
              FXFALSE);

    // Refused parameters give FXFALSE, and the next lock works.
    info = NewInfo();
    EXPECT_EQ(glide.grLfbLock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, 6, 0, FXFALSE, &info), FXFALSE);
    EXPECT_EQ(glide.grLfbLock(2, GR_BUFFER_BACKBUFFER, 0, 0, FXFALSE, &info), FXFALSE);
    EXPECT_EQ(glide.grLfbLock(GR_LFB_READ_ONLY, 5, 0, 0, FXFALSE, &info), FXFALSE);
    EXPECT_EQ(glide.grLfbUnlock(GR_LFB_READ_ONLY, GR_BUFFER_FRONTBUFFER), FXFALSE) << "not locked";
    EXPECT_EQ(glide.grLfbLock(GR_LFB_WRITE_ONLY | GR_LFB_NOIDLE, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_8888,
                              GR_ORIGIN_UPPER_LEFT, FXFALSE, &info),
              FXTRUE);
    EXPECT_EQ(info.writeMode, GR_LFBWRITEMODE_8888);
    EXPECT_GE(info.strideInBytes, kW * 4);
    EXPECT_EQ(glide.grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER), FXTRUE);

    Close();
}

TEST_F(LfbExportsTest, WithAccessOffLocksGetScratchMemory) {
    Settings(0, 0);
    glide.grGlideInit();
    GrLfbInfo_t info = NewInfo();
    EXPECT_EQ(glide.grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ANY, 0, FXFALSE, &info),
              FXFALSE)
        << "no window yet";
    ASSERT_TRUE(Open());
    info = NewInfo();
    ASSERT_EQ(glide.grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ANY, 0, FXFALSE, &info),
              FXTRUE);
    EXPECT_EQ(info.writeMode, GR_LFBWRITEMODE_565);
    EXPECT_EQ(info.strideInBytes, kW * 2);
    ASSERT_NE(info.lfbPtr, nullptr);
    const uint8_t* readMemory = static_cast<const uint8_t*>(info.lfbPtr);
    for (unsigned i = 0; i < kW * kH * 2; i += 97) ASSERT_EQ(readMemory[i], 0);

    // A 4-byte write mode gets a stride and memory for 4-byte pixels.
    GrLfbInfo_t write = NewInfo();
    ASSERT_EQ(glide.grLfbLock(GR_LFB_WRITE_ONLY | GR_LFB_NOIDLE, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_8888, 0,
                              FXFALSE, &write),
              FXTRUE);
    EXPECT_EQ(write.writeMode, GR_LFBWRITEMODE_8888);
    EXPECT_EQ(write.strideInBytes, kW * 4);
    EXPECT_NE(write.lfbPtr, info.lfbPtr);
    std::memset(write.lfbPtr, 0xAB, size_t(kW) * kH * 4);
    EXPECT_EQ(glide.grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER), FXTRUE);
    EXPECT_EQ(readMemory[kW * kH * 2 - 1], 0) << "reads never see written scratch";
    EXPECT_EQ(glide.grLfbLock(2, GR_BUFFER_BACKBUFFER, 0, 0, FXFALSE, &info), FXFALSE);

    // Region reads give zero pixels; writes succeed without effect.
    std::vector<uint16_t> region(16, 0xFFFF);
    EXPECT_EQ(glide.grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0, 0, 4, 4, 8, region.data()), FXTRUE);
    for (uint16_t v : region) EXPECT_EQ(v, 0);
    EXPECT_EQ(glide.grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_565, 4, 4, 8, region.data()),
              FXTRUE);
    Close();
}

// Positions, in the enumeration the wrapper runs too, of the windowed
// format record with a back-buffer format (UNKNOWN: the first record, the
// default) and of D16_LOCKABLE among its depth formats; -1 where missing.
struct FormatChoice {
    int display = -1;
    int depth = -1;
};
FormatChoice LockableDepthChoice(D3DFORMAT back) {
    FormatChoice choice;
    zelk::ZelkD3D* d3d = zelk::ZelkD3D::GetD3D();
    if (!d3d || d3d->GetAdapterCount() == 0) return choice;
    zelk::ZelkD3DAdapterInfo* adapter = d3d->GetAdapterInfo(0);
    const auto& device = adapter->devices[size_t(adapter->selectedDeviceIndex)];
    for (size_t i = 0; i < device.windowedFormats.size(); ++i) {
        if (back != D3DFMT_UNKNOWN && device.windowedFormats[i].backBufferFormat != back) continue;
        choice.display = int(i);
        const auto& formats = device.windowedFormats[i].depthStencilFormats;
        for (size_t j = 0; j < formats.size(); ++j) {
            if (formats[j] == D3DFMT_D16_LOCKABLE) choice.depth = int(j);
        }
        break;
    }
    return choice;
}

// Depth written through the frame buffer takes part in the depth test of
// a later draw: far on the right half, nearest on the left; region calls
// keep their place among the recorded drawing.
TEST_F(LfbExportsTest, DepthWrittenThroughTheFrameBufferTestsDraws) {
    const FormatChoice choice = LockableDepthChoice(D3DFMT_UNKNOWN);
    if (choice.depth < 0) {
        GTEST_SKIP() << "no lockable 16-bit depth buffer here";
    }
    Settings(1, 1);
    SetDword("direct3d device setting", "display format", 0);
    SetDword("direct3d device setting", "depth buffer format", DWORD(choice.depth));
    glide.grGlideInit();
    ASSERT_TRUE(Open());
    glide.grDepthBufferMode(GR_DEPTHBUFFER_ZBUFFER);
    glide.grDepthBufferFunction(GR_CMP_LESS);
    glide.grDepthMask(FXTRUE);
    glide.grBufferClear(0x00000000, 0, 0);

    // Aux is the depth buffer while depth buffering is on.
    std::vector<uint16_t> depth(kW);
    for (unsigned x = 0; x < kW; ++x) depth[x] = x < kW / 2 ? 0x0000 : 0xFFFF;
    ASSERT_EQ(glide.grLfbWriteRegion(GR_BUFFER_AUXBUFFER, 0, 0, GR_LFB_SRC_FMT_ZA16, kW, kH, 0, depth.data()),
              FXTRUE);

    // The region write comes after the clear recorded before it.
    std::vector<uint16_t> back(4);
    ASSERT_EQ(glide.grLfbReadRegion(GR_BUFFER_AUXBUFFER, kW / 2 - 2, 5, 4, 1, 8, back.data()), FXTRUE);
    EXPECT_EQ(back[1], 0x0000);
    EXPECT_EQ(back[2], 0xFFFF);
    glide.guColorCombineFunction(GR_COLORCOMBINE_CCRGB);
    glide.grConstantColorValue(0xFFFFFFFF);
    GrVertex v[4] = {};
    const float corners[4][2] = {{0, 0}, {float(kW), 0}, {float(kW), float(kH)}, {0, float(kH)}};
    for (int i = 0; i < 4; ++i) {
        v[i].x = corners[i][0];
        v[i].y = corners[i][1];
        v[i].ooz = 32768.0f;
        v[i].oow = 1.0f;
        v[i].a = 255.0f;
    }
    glide.grDrawTriangle(&v[0], &v[1], &v[2]);
    glide.grDrawTriangle(&v[0], &v[2], &v[3]);

    GrLfbInfo_t info = NewInfo();
    ASSERT_EQ(glide.grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ANY, 0, FXFALSE, &info),
              FXTRUE);
    const uint16_t* row = reinterpret_cast<const uint16_t*>(static_cast<uint8_t*>(info.lfbPtr) +
                                                            (kH / 2) * info.strideInBytes);
    const uint16_t left = row[kW / 4], right = row[kW * 3 / 4];
    glide.grLfbUnlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER);
    EXPECT_EQ(left, 0x0000) << "nearer depth in the buffer hides the draw";
    EXPECT_EQ(right, 0xFFFF) << "farther depth lets it through";
    Close();
}

// Region reads refuse a stride that is negative as a signed value, above
// 2^31 - 1, below the row, or whose rows would run past the end of the
// address space, with frame-buffer access off (zero pixels) and on: the
// application's memory, against a faulting page before it and after it,
// is not touched.  A stride of exactly the row fills exactly the buffer.
TEST_F(LfbExportsTest, RegionReadsStayInTheApplicationsMemory) {
    const unsigned w = 640, h = 480, rowBytes = w * 2;
    std::vector<FxU32> refused = {0xFFFFFB00u, 0x80000000u, 0xFFFFFFFFu, rowBytes - 2};
    if (sizeof(void*) == 4) {
        // 480 rows 2^31 - 1 bytes apart span more than a 32-bit address
        // space; a 64-bit one holds them.
        refused.push_back(0x7FFFFFFFu);
    }
    for (DWORD access : {DWORD(0), DWORD(1)}) {
        SCOPED_TRACE(access ? "access on" : "access off");
        Settings(access, 0);
        glide.grGlideInit();
        ASSERT_TRUE(Open());
        glide.grBufferClear(0x00000000, 0, 0);
        for (zelktest::GuardedBuffer::Guard guard :
             {zelktest::GuardedBuffer::kGuardAfter, zelktest::GuardedBuffer::kGuardBefore}) {
            zelktest::GuardedBuffer buffer(size_t(rowBytes) * h, guard);
            std::memset(buffer.data(), 0xEE, buffer.size());
            for (FxU32 stride : refused) {
                EXPECT_EQ(glide.grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0, 0, w, h, stride, buffer.data()), FXFALSE)
                    << std::hex << stride;
            }
            for (size_t i = 0; i < buffer.size(); i += 61) ASSERT_EQ(buffer.data()[i], 0xEE) << i;
            EXPECT_TRUE(buffer.OutsideUntouched());
            EXPECT_EQ(glide.grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0, 0, w, h, rowBytes, buffer.data()), FXTRUE);
            for (size_t i = 0; i < buffer.size(); i += 61) ASSERT_EQ(buffer.data()[i], 0) << i;
            EXPECT_EQ(buffer.data()[buffer.size() - 1], 0);
            EXPECT_TRUE(buffer.OutsideUntouched());
        }
        Close();
    }
}

// grLfbConstantAlpha and grLfbConstantDepth fill what a write does not
// carry: the alpha of a 565 lock written through the system-memory copy, the
// depth of a depth-buffer write in a colour mode.  An alpha-buffer write
// carries only alpha and keeps the colour.
TEST_F(LfbExportsTest, ConstantsFillWhatAWriteDoesNotCarry) {
    const FormatChoice choice = LockableDepthChoice(D3DFMT_A8R8G8B8);
    if (choice.display < 0 || choice.depth < 0) {
        GTEST_SKIP() << "no A8R8G8B8 back buffer with lockable 16-bit depth here";
    }
    Settings(1, 0);
    SetDword("direct3d device setting", "display format", DWORD(choice.display));
    SetDword("direct3d device setting", "depth buffer format", DWORD(choice.depth));
    glide.grGlideInit();
    ASSERT_TRUE(Open());
    glide.grBufferClear(0x00000000, 0, 0);

    // Alpha: a lower-left 565 lock converts in system memory.
    glide.grLfbConstantAlpha(0x80);
    GrLfbInfo_t info = NewInfo();
    ASSERT_EQ(glide.grLfbLock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, GR_ORIGIN_LOWER_LEFT,
                              FXFALSE, &info),
              FXTRUE);
    ASSERT_EQ(glide.grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER), FXTRUE);
    uint16_t alpha[2] = {};
    ASSERT_EQ(glide.grLfbReadRegion(GR_BUFFER_ALPHABUFFER, 10, 10, 2, 1, 4, alpha), FXTRUE);
    EXPECT_EQ(alpha[0], 0x80);
    EXPECT_EQ(alpha[1], 0x80);

    // The alpha buffer's pixels carry only alpha: the constant colour does
    // not reach the colour, which stays as it was.
    glide.grConstantColorValue(0x00FF8000);
    uint16_t alphaPixels[3] = {0x40, 0x40, 0x40};
    ASSERT_EQ(glide.grLfbWriteRegion(GR_BUFFER_AUXBUFFER, 20, 5, GR_LFB_SRC_FMT_ZA16, 3, 1, 6, alphaPixels), FXTRUE);
    uint16_t colour[5] = {0xABCD, 0xABCD, 0xABCD, 0xABCD, 0xABCD};
    ASSERT_EQ(glide.grLfbReadRegion(GR_BUFFER_BACKBUFFER, 19, 5, 5, 1, 10, colour), FXTRUE);
    for (uint16_t c : colour) EXPECT_EQ(c, 0x0000);
    uint16_t alphas[5] = {};
    ASSERT_EQ(glide.grLfbReadRegion(GR_BUFFER_ALPHABUFFER, 19, 5, 5, 1, 10, alphas), FXTRUE);
    EXPECT_EQ(alphas[0], 0x80);
    EXPECT_EQ(alphas[1], 0x40);
    EXPECT_EQ(alphas[3], 0x40);
    EXPECT_EQ(alphas[4], 0x80);

    // Depth: a depth-buffer lock and region write in colour modes.
    glide.grLfbConstantDepth(0x4321);
    info = NewInfo();
    ASSERT_EQ(glide.grLfbLock(GR_LFB_WRITE_ONLY, GR_BUFFER_DEPTHBUFFER, GR_LFBWRITEMODE_565, GR_ORIGIN_UPPER_LEFT,
                              FXFALSE, &info),
              FXTRUE);
    ASSERT_EQ(glide.grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_DEPTHBUFFER), FXTRUE);
    uint16_t depth[3] = {};
    ASSERT_EQ(glide.grLfbReadRegion(GR_BUFFER_DEPTHBUFFER, 100, 200, 3, 1, 6, depth), FXTRUE);
    EXPECT_EQ(depth[0], 0x4321);
    EXPECT_EQ(depth[2], 0x4321);
    glide.grLfbConstantDepth(0x0123);
    uint32_t colourPixel = 0xFFFFFFFFu;
    ASSERT_EQ(glide.grLfbWriteRegion(GR_BUFFER_DEPTHBUFFER, 101, 200, GR_LFB_SRC_FMT_8888, 1, 1, 4, &colourPixel),
              FXTRUE);
    ASSERT_EQ(glide.grLfbReadRegion(GR_BUFFER_DEPTHBUFFER, 100, 200, 3, 1, 6, depth), FXTRUE);
    EXPECT_EQ(depth[0], 0x4321);
    EXPECT_EQ(depth[1], 0x0123);
    EXPECT_EQ(depth[2], 0x4321);
    Close();
}

// An aux-buffer lock ends on the buffer it locked although depth buffering
// was switched between the lock and the unlock.
TEST_F(LfbExportsTest, AuxLockEndsOnTheBufferItLocked) {
    const FormatChoice choice = LockableDepthChoice(D3DFMT_UNKNOWN);
    if (choice.depth < 0) {
        GTEST_SKIP() << "no lockable 16-bit depth buffer here";
    }
    Settings(1, 0);
    SetDword("direct3d device setting", "display format", 0);
    SetDword("direct3d device setting", "depth buffer format", DWORD(choice.depth));
    glide.grGlideInit();
    ASSERT_TRUE(Open());
    glide.grBufferClear(0x00000000, 0, 0);
    glide.grDepthBufferMode(GR_DEPTHBUFFER_ZBUFFER);
    GrLfbInfo_t info = NewInfo();
    ASSERT_EQ(glide.grLfbLock(GR_LFB_WRITE_ONLY, GR_BUFFER_AUXBUFFER, GR_LFBWRITEMODE_ZA16, GR_ORIGIN_UPPER_LEFT,
                              FXFALSE, &info),
              FXTRUE);
    uint16_t* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(info.lfbPtr) + 7 * info.strideInBytes);
    row[9] = 0x2468;
    glide.grDepthBufferMode(GR_DEPTHBUFFER_DISABLE);
    EXPECT_EQ(glide.grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_AUXBUFFER), FXTRUE);
    EXPECT_EQ(glide.grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_DEPTHBUFFER), FXFALSE) << "the depth lock is over";
    uint16_t depth = 0;
    ASSERT_EQ(glide.grLfbReadRegion(GR_BUFFER_DEPTHBUFFER, 9, 7, 1, 1, 2, &depth), FXTRUE);
    EXPECT_EQ(depth, 0x2468);
    Close();
}

}  // namespace
