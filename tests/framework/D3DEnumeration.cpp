// Direct3D enumeration: the records built for Wine's real adapter and for
// made-up adapters through the test proxy, the list orders that stored
// settings depend on, and the singleton's creation failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "common/D3DProxy.h"
#include "common/TestDirectory.h"
#include "framework/ZelkD3D.h"
#include "framework/ZelkD3DFormats.h"
#include "framework/ZelkException.h"

using zelk::ZelkD3D;
using zelk::ZelkD3DAdapterInfo;
using zelk::ZelkD3DDeviceInfo;
using zelk::ZelkD3DFormatInfo;
using zelktest::D3DCall;
using zelktest::D3DProxy;
using zelktest::D3DProxyAdapter;

namespace {

// Destroys the singleton around each test, so that no test sees another's.
class D3DEnumerationTest : public testing::Test {
protected:
    void SetUp() override { ZelkD3D::DestroyD3D(); }
    void TearDown() override { ZelkD3D::DestroyD3D(); }
};

int CandidatePosition(D3DFORMAT format)
{
    for (size_t i = 0; i < zelk::kCandidateFormatCount; ++i) {
        if (zelk::kCandidateFormats[i].format == format) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int DisplayFormatPosition(D3DFORMAT format)
{
    const D3DFORMAT* begin = zelk::kFullScreenDisplayFormats;
    const D3DFORMAT* end = begin + zelk::kFullScreenDisplayFormatCount;
    const D3DFORMAT* found = std::find(begin, end, format);
    return found == end ? -1 : static_cast<int>(found - begin);
}

// A format list holds candidates only, each once, in candidate-table order.
void ExpectCandidateOrder(const std::vector<D3DFORMAT>& list, const char* what)
{
    int previous = -1;
    for (D3DFORMAT format : list) {
        const int position = CandidatePosition(format);
        EXPECT_GT(position, previous) << what << " out of candidate order at format " << format;
        previous = position;
    }
}

void ExpectDefaultFor(INT defaultIndex, INT selectedIndex, size_t listSize, const char* what)
{
    EXPECT_EQ(defaultIndex, listSize ? 0 : -1) << what;
    EXPECT_EQ(selectedIndex, defaultIndex) << what;
}

// Every rule a built format record keeps.
void ExpectWellFormed(const ZelkD3DFormatInfo& format)
{
    ASSERT_FALSE(format.displayModes.empty());
    for (size_t i = 0; i < format.displayModes.size(); ++i) {
        EXPECT_EQ(format.displayModes[i].RefreshRate, 0u);
        if (i > 0) {
            EXPECT_TRUE(zelk::DisplayModeLess(format.displayModes[i - 1], format.displayModes[i]))
                << "display modes not strictly ascending at " << i;
        }
    }
    ExpectCandidateOrder(format.depthStencilFormats, "depth-stencil formats");
    ExpectCandidateOrder(format.textureFormats, "texture formats");
    ExpectCandidateOrder(format.renderTargetTextureFormats, "render-target texture formats");
    ExpectCandidateOrder(format.depthTextureFormats, "depth texture formats");
    for (D3DFORMAT bump : format.bumpMapFormats) {
        EXPECT_TRUE(zelk::IsBumpMapFormat(bump));
        EXPECT_NE(std::find(format.textureFormats.begin(), format.textureFormats.end(), bump),
                  format.textureFormats.end());
    }
    ExpectDefaultFor(format.defaultDisplayModeIndex, format.selectedDisplayModeIndex, format.displayModes.size(),
                     "display modes");
    ExpectDefaultFor(format.defaultDepthStencilFormatIndex, format.selectedDepthStencilFormatIndex,
                     format.depthStencilFormats.size(), "depth-stencil formats");
    ExpectDefaultFor(format.defaultTextureFormatIndex, format.selectedTextureFormatIndex,
                     format.textureFormats.size(), "texture formats");
    ExpectDefaultFor(format.defaultBumpMapFormatIndex, format.selectedBumpMapFormatIndex,
                     format.bumpMapFormats.size(), "bump-map formats");
    ExpectDefaultFor(format.defaultRenderTargetTextureFormatIndex, format.selectedRenderTargetTextureFormatIndex,
                     format.renderTargetTextureFormats.size(), "render-target texture formats");
    ExpectDefaultFor(format.defaultDepthTextureFormatIndex, format.selectedDepthTextureFormatIndex,
                     format.depthTextureFormats.size(), "depth texture formats");
}

void ExpectWellFormed(const ZelkD3DDeviceInfo& device)
{
    EXPECT_TRUE(device.deviceType == D3DDEVTYPE_HAL || device.deviceType == D3DDEVTYPE_REF);
    EXPECT_FALSE(device.fullScreenFormats.empty() && device.windowedFormats.empty());

    // Full screen: display formats in their table order, back buffers in
    // candidate order within each display format.
    std::pair<int, int> previous(-1, -1);
    for (const ZelkD3DFormatInfo& format : device.fullScreenFormats) {
        const std::pair<int, int> key(DisplayFormatPosition(format.adapterFormat),
                                      CandidatePosition(format.backBufferFormat));
        EXPECT_GE(key.first, 0);
        EXPECT_GT(key, previous) << "full-screen records out of order";
        previous = key;
        ExpectWellFormed(format);
    }
    // Windowed: one display format, never UNKNOWN back buffers.
    int previousCandidate = 0;
    for (const ZelkD3DFormatInfo& format : device.windowedFormats) {
        EXPECT_EQ(format.adapterFormat, device.windowedFormats.front().adapterFormat);
        EXPECT_NE(format.backBufferFormat, D3DFMT_UNKNOWN);
        EXPECT_GT(CandidatePosition(format.backBufferFormat), previousCandidate);
        previousCandidate = CandidatePosition(format.backBufferFormat);
        ExpectWellFormed(format);
    }

    std::vector<DWORD> expectedBehaviors = {zelk::kBehaviorSoftwareTnL};
    if (device.caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) {
        expectedBehaviors.push_back(zelk::kBehaviorHardwareTnL);
        expectedBehaviors.push_back(zelk::kBehaviorMixedTnL);
    }
    if (device.caps.DevCaps & D3DDEVCAPS_PUREDEVICE) {
        expectedBehaviors.push_back(zelk::kBehaviorPureDeviceHwTnL);
    }
    EXPECT_EQ(device.behaviorFlags, expectedBehaviors);

    for (INT index : {device.defaultBehaviorIndex, device.selectedBehaviorIndex, device.defaultFullScreenFormatIndex,
                      device.selectedFullScreenFormatIndex}) {
        EXPECT_EQ(index, 0);
    }
    // The windowed default is the first record whose back buffer the
    // frame-buffer access converts, else the first record.
    const D3DFORMAT converted[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
                                   D3DFMT_A1R5G5B5};
    const auto firstConverted =
        std::find_if(device.windowedFormats.begin(), device.windowedFormats.end(), [&](const ZelkD3DFormatInfo& f) {
            return std::find(std::begin(converted), std::end(converted), f.backBufferFormat) != std::end(converted);
        });
    EXPECT_EQ(device.defaultWindowedFormatIndex, firstConverted == device.windowedFormats.end()
                                                     ? 0
                                                     : static_cast<INT>(firstConverted - device.windowedFormats.begin()));
    EXPECT_EQ(device.selectedWindowedFormatIndex, device.defaultWindowedFormatIndex);
    EXPECT_EQ(device.defaultWindowed, !device.windowedFormats.empty());
    EXPECT_EQ(device.selectedWindowed, device.defaultWindowed);
}

void ExpectWellFormed(const ZelkD3DAdapterInfo& adapter)
{
    ASSERT_FALSE(adapter.devices.empty());
    EXPECT_EQ(adapter.defaultDeviceIndex, 0);
    EXPECT_EQ(adapter.selectedDeviceIndex, 0);
    for (size_t i = 0; i < adapter.devices.size(); ++i) {
        if (i > 0) {
            EXPECT_LT(adapter.devices[i - 1].deviceType, adapter.devices[i].deviceType);
        }
        ExpectWellFormed(adapter.devices[i]);
    }
}

// The error log's text and its number of entries.
std::string LogText()
{
    return zelktest::ReadFileText(zelk::kErrorLogFileName);
}

int LogEntries(const std::string& log)
{
    int count = 0;
    for (size_t at = log.find("An exception was thrown"); at != std::string::npos;
         at = log.find("An exception was thrown", at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

TEST(D3DFormatsTest, BytesPerPixel)
{
    const struct {
        D3DFORMAT format;
        UINT bytes;
    } cases[] = {
        {D3DFMT_R3G3B2, 1},        {D3DFMT_A4L4, 1},          {D3DFMT_R5G6B5, 2},       {D3DFMT_D15S1, 2},
        {D3DFMT_INDEX16, 2},       {D3DFMT_CxV8U8, 2},        {D3DFMT_R8G8B8, 3},       {D3DFMT_X8R8G8B8, 4},
        {D3DFMT_D24FS8, 4},        {D3DFMT_R8G8_B8G8, 4},     {D3DFMT_G8R8_G8B8, 4},    {D3DFMT_INDEX32, 4},
        {D3DFMT_Q16W16V16U16, 8},  {D3DFMT_G32R32F, 8},       {D3DFMT_A32B32G32R32F, 16},
        {D3DFMT_UNKNOWN, 0},       {D3DFMT_UYVY, 0},          {D3DFMT_DXT1, 0},         {D3DFMT_DXT5, 0},
        {D3DFMT_MULTI2_ARGB8, 0},  {D3DFMT_VERTEXDATA, 0},    {D3DFMT_D32_LOCKABLE, 0},
        {static_cast<D3DFORMAT>(800), 0},                     {static_cast<D3DFORMAT>(802), 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(zelk::GetFormatBytesPerPixel(c.format), c.bytes) << "format " << c.format;
    }
}

TEST(D3DFormatsTest, CandidateTableKeepsTheStoredOrder)
{
    // Stored settings are list positions: spot-check the places where the
    // order is not the numeric one.
    const struct {
        size_t position;
        D3DFORMAT format;
        const char* name;
    } cases[] = {
        {0, D3DFMT_UNKNOWN, "UNKNOWN"},       {3, D3DFMT_X8R8G8B8, "X8R8G8B8"},
        {29, D3DFMT_UYVY, "UYVY"},            {30, D3DFMT_R8G8_B8G8, "R8G8_B8G8"},
        {32, D3DFMT_G8R8_G8B8, "G8R8_G8B8"},  {44, D3DFMT_D16, "D16"},
        {45, D3DFMT_D32F_LOCKABLE, "D32F_LOCKABLE"}, {46, D3DFMT_D24FS8, "D24FS8"},
        {47, D3DFMT_L16, "L16"},              {52, D3DFMT_MULTI2_ARGB8, "MULTI2_ARGB8"},
        {59, D3DFMT_CxV8U8, "CxV8U8"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(zelk::kCandidateFormats[c.position].format, c.format) << c.position;
        EXPECT_STREQ(zelk::kCandidateFormats[c.position].name, c.name) << c.position;
    }
    for (size_t i = 1; i < zelk::kCandidateFormatCount; ++i) {
        EXPECT_NE(zelk::kCandidateFormats[i].format, D3DFMT_UNKNOWN) << "table entry " << i << " missing";
        EXPECT_EQ(CandidatePosition(zelk::kCandidateFormats[i].format), static_cast<int>(i)) << "duplicate at " << i;
    }
}

TEST(D3DFormatsTest, DisplayModeOrder)
{
    // Format compares signed, sizes and refresh rate unsigned.
    const D3DDISPLAYMODE negativeFormat = {640, 480, 0, static_cast<D3DFORMAT>(0x80000000u)};
    const D3DDISPLAYMODE small = {640, 480, 60, D3DFMT_X8R8G8B8};
    const D3DDISPLAYMODE wide = {0x80000000u, 1, 0, D3DFMT_X8R8G8B8};
    const D3DDISPLAYMODE tall = {640, 0x80000000u, 0, D3DFMT_X8R8G8B8};
    const D3DDISPLAYMODE faster = {640, 480, 75, D3DFMT_X8R8G8B8};
    const D3DDISPLAYMODE sixteen = {320, 200, 0, D3DFMT_R5G6B5};
    EXPECT_TRUE(zelk::DisplayModeLess(negativeFormat, small));
    EXPECT_TRUE(zelk::DisplayModeLess(small, wide));
    EXPECT_TRUE(zelk::DisplayModeLess(small, tall));
    EXPECT_TRUE(zelk::DisplayModeLess(small, faster));
    EXPECT_TRUE(zelk::DisplayModeLess(small, sixteen));  // X8R8G8B8 (22) before R5G6B5 (23)
    EXPECT_FALSE(zelk::DisplayModeLess(small, small));
    EXPECT_FALSE(zelk::DisplayModeLess(faster, small));
}

TEST_F(D3DEnumerationTest, RealAdapterRecordsKeepEveryOrderAndDefault)
{
    ZelkD3D* d3d = ZelkD3D::GetD3D();
    ASSERT_NE(d3d, nullptr);
    ASSERT_GE(d3d->GetAdapterCount(), 1u);
    for (UINT position = 0; position < d3d->GetAdapterCount(); ++position) {
        const ZelkD3DAdapterInfo* adapter = d3d->GetAdapterInfo(position);
        ASSERT_NE(adapter, nullptr);
        EXPECT_EQ(adapter->adapterOrdinal, position);  // every real adapter here is usable
        ExpectWellFormed(*adapter);
    }
    EXPECT_EQ(d3d->GetAdapterInfo(d3d->GetAdapterCount()), nullptr);

    const ZelkD3DDeviceInfo& hal = d3d->GetAdapterInfo(0)->devices.front();
    EXPECT_EQ(hal.deviceType, D3DDEVTYPE_HAL);
    ASSERT_FALSE(hal.windowedFormats.empty());
    EXPECT_FALSE(hal.windowedFormats.front().depthStencilFormats.empty());
    std::cout << "adapter 0: " << d3d->GetAdapterInfo(0)->identifier.Description << ", "
              << d3d->GetAdapterInfo(0)->devices.size() << " device types, HAL: "
              << hal.fullScreenFormats.size() << " full-screen and " << hal.windowedFormats.size()
              << " windowed format records, " << hal.windowedFormats.front().displayModes.size()
              << " modes, behaviours " << hal.behaviorFlags.size() << "\n";
}

TEST_F(D3DEnumerationTest, SingletonIsKeptUntilDestroyedAndRebuildsTheSameLists)
{
    D3DProxy proxy;
    ZelkD3D* first = ZelkD3D::GetD3D();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ZelkD3D::GetD3D(), first);
    EXPECT_EQ(proxy.Direct3DCreated(), 1);
    const ZelkD3DDeviceInfo before = first->GetAdapterInfo(0)->devices.front();

    ZelkD3D::DestroyD3D();
    EXPECT_EQ(proxy.LiveDirect3D(), 0);
    ZelkD3D::DestroyD3D();  // nothing left to destroy

    ZelkD3D* second = ZelkD3D::GetD3D();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(proxy.Direct3DCreated(), 2);
    const ZelkD3DDeviceInfo& after = second->GetAdapterInfo(0)->devices.front();
    ASSERT_EQ(after.windowedFormats.size(), before.windowedFormats.size());
    ASSERT_EQ(after.fullScreenFormats.size(), before.fullScreenFormats.size());
    for (size_t i = 0; i < after.windowedFormats.size(); ++i) {
        EXPECT_EQ(after.windowedFormats[i].backBufferFormat, before.windowedFormats[i].backBufferFormat);
        EXPECT_EQ(after.windowedFormats[i].depthStencilFormats, before.windowedFormats[i].depthStencilFormats);
        EXPECT_EQ(after.windowedFormats[i].textureFormats, before.windowedFormats[i].textureFormats);
    }
    ZelkD3D::DestroyD3D();
    EXPECT_EQ(proxy.LiveDirect3D(), 0);
}

TEST_F(D3DEnumerationTest, ProxyAdaptersUnusableNoDepthAndNoWindowed)
{
    D3DProxy proxy;
    D3DProxyAdapter first;
    first.description = "first";
    D3DProxyAdapter unusable;
    unusable.unusable = true;
    unusable.description = "unusable";
    D3DProxyAdapter noDepth;
    noDepth.noDepthFormats = true;
    noDepth.description = "no depth";
    D3DProxyAdapter noWindowed;
    noWindowed.noWindowedFormats = true;
    noWindowed.description = "no windowed";
    proxy.SetAdapters({first, unusable, noDepth, noWindowed});

    ZelkD3D* d3d = ZelkD3D::GetD3D();
    ASSERT_NE(d3d, nullptr);
    ASSERT_EQ(d3d->GetAdapterCount(), 3u);
    const struct {
        const char* description;
        UINT ordinal;
    } expected[] = {{"first", 0}, {"no depth", 2}, {"no windowed", 3}};
    for (UINT position = 0; position < 3; ++position) {
        const ZelkD3DAdapterInfo& adapter = *d3d->GetAdapterInfo(position);
        EXPECT_STREQ(adapter.identifier.Description, expected[position].description);
        EXPECT_EQ(adapter.adapterOrdinal, expected[position].ordinal);
        ExpectWellFormed(adapter);
    }

    // Formats without depth formats are still kept, with no depth index.
    for (const ZelkD3DDeviceInfo& device : d3d->GetAdapterInfo(1)->devices) {
        ASSERT_FALSE(device.windowedFormats.empty());
        for (const auto* list : {&device.fullScreenFormats, &device.windowedFormats}) {
            for (const ZelkD3DFormatInfo& format : *list) {
                EXPECT_TRUE(format.depthStencilFormats.empty());
                EXPECT_TRUE(format.depthTextureFormats.empty());
                EXPECT_EQ(format.selectedDepthStencilFormatIndex, -1);
                EXPECT_FALSE(format.textureFormats.empty());
            }
        }
    }
    // No windowed formats: full screen only, windowed off by default, and
    // the windowed index stays 0 into the empty list.
    for (const ZelkD3DDeviceInfo& device : d3d->GetAdapterInfo(2)->devices) {
        EXPECT_TRUE(device.windowedFormats.empty());
        EXPECT_FALSE(device.fullScreenFormats.empty());
        EXPECT_FALSE(device.defaultWindowed);
        EXPECT_FALSE(device.selectedWindowed);
        EXPECT_EQ(device.defaultWindowedFormatIndex, 0);
    }

    ZelkD3D::DestroyD3D();
    EXPECT_EQ(proxy.LiveDirect3D(), 0);
}

TEST_F(D3DEnumerationTest, ModesMergeRefreshRatesAndFormatsWithoutModesGetNoRecords)
{
    D3DProxy proxy;
    proxy.SetDisplayModes({
        {800, 600, 75, D3DFMT_X8R8G8B8},
        {640, 480, 60, D3DFMT_X8R8G8B8},
        {640, 480, 75, D3DFMT_X8R8G8B8},
        {1024, 768, 60, D3DFMT_X8R8G8B8},
        {640, 480, 60, D3DFMT_R5G6B5},
    });
    ZelkD3D* d3d = ZelkD3D::GetD3D();
    ASSERT_NE(d3d, nullptr);
    const ZelkD3DDeviceInfo& device = d3d->GetAdapterInfo(0)->devices.front();
    ExpectWellFormed(device);

    ASSERT_FALSE(device.windowedFormats.empty());
    ASSERT_EQ(device.windowedFormats.front().adapterFormat, D3DFMT_X8R8G8B8);
    const std::vector<D3DDISPLAYMODE>& modes = device.windowedFormats.front().displayModes;
    const UINT expected[][2] = {{640, 480}, {800, 600}, {1024, 768}};
    ASSERT_EQ(modes.size(), 3u);
    for (size_t i = 0; i < modes.size(); ++i) {
        EXPECT_EQ(modes[i].Width, expected[i][0]);
        EXPECT_EQ(modes[i].Height, expected[i][1]);
        EXPECT_EQ(modes[i].RefreshRate, 0u);
        EXPECT_EQ(modes[i].Format, D3DFMT_X8R8G8B8);
    }

    // Full screen: only display formats that have modes.
    bool sawX8R8G8B8 = false;
    for (const ZelkD3DFormatInfo& format : device.fullScreenFormats) {
        EXPECT_TRUE(format.adapterFormat == D3DFMT_X8R8G8B8 || format.adapterFormat == D3DFMT_R5G6B5)
            << format.adapterFormat;
        sawX8R8G8B8 |= format.adapterFormat == D3DFMT_X8R8G8B8;
    }
    EXPECT_TRUE(sawX8R8G8B8);
}

TEST_F(D3DEnumerationTest, DeviceWithoutHardwareTnLOffersSoftwareOnly)
{
    D3DProxy proxy;
    zelktest::D3DProxyCaps caps;
    caps.clearDevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
    proxy.SetCaps(caps);
    ZelkD3D* d3d = ZelkD3D::GetD3D();
    ASSERT_NE(d3d, nullptr);
    for (const ZelkD3DDeviceInfo& device : d3d->GetAdapterInfo(0)->devices) {
        EXPECT_EQ(device.behaviorFlags, std::vector<DWORD>{zelk::kBehaviorSoftwareTnL});
    }
}

TEST_F(D3DEnumerationTest, UnsupportedFormatsLeaveTheLists)
{
    D3DProxy proxy;
    // 16-bit display formats and one texture/depth format each disappear.
    proxy.SetUnsupportedFormats({D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_D24S8, D3DFMT_A8R8G8B8});
    ZelkD3D* d3d = ZelkD3D::GetD3D();
    ASSERT_NE(d3d, nullptr);
    const ZelkD3DDeviceInfo& device = d3d->GetAdapterInfo(0)->devices.front();
    ExpectWellFormed(device);
    for (const auto* list : {&device.fullScreenFormats, &device.windowedFormats}) {
        for (const ZelkD3DFormatInfo& format : *list) {
            for (D3DFORMAT gone : {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A8R8G8B8}) {
                EXPECT_NE(format.adapterFormat, gone);
                EXPECT_NE(format.backBufferFormat, gone);
            }
            const auto& depth = format.depthStencilFormats;
            EXPECT_EQ(std::find(depth.begin(), depth.end(), D3DFMT_D24S8), depth.end());
            const auto& textures = format.textureFormats;
            EXPECT_EQ(std::find(textures.begin(), textures.end(), D3DFMT_A8R8G8B8), textures.end());
        }
    }
}

TEST_F(D3DEnumerationTest, CreationFailuresThrowLogOnceAndLeaveNoSingleton)
{
    const struct {
        const char* name;
        D3DCall failedCall;
        const char* message;
    } cases[] = {
        {"no Direct3D object", D3DCall::Direct3DCreate9, "The function [ Direct3DCreate9 ] failed."},
        {"no adapter", D3DCall::Direct3D_GetAdapterCount, "The function [ ZelkD3D::EnumerateDevice ] failed."},
        {"no usable device", D3DCall::Direct3D_CheckDeviceType, "The function [ ZelkD3D::EnumerateDevice ] failed."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        zelktest::TestDirectory directory;  // a fresh log for each case
        D3DProxy proxy;
        proxy.FailCall(c.failedCall, D3DERR_NOTAVAILABLE);
        try {
            ZelkD3D::GetD3D();
            ADD_FAILURE() << "no exception";
        } catch (const zelk::ZelkException& e) {
            EXPECT_EQ(e.functionName, "ZelkD3D::ZelkD3D");
            EXPECT_EQ(e.returnValue.result, E_FAIL);
            EXPECT_EQ(e.message, c.message);
            EXPECT_TRUE(e.logged);
        }
        const std::string log = LogText();
        EXPECT_EQ(LogEntries(log), 1);
        EXPECT_NE(log.find("Function name : ZelkD3D::ZelkD3D"), std::string::npos);
        EXPECT_NE(log.find(std::string("Message : ") + c.message), std::string::npos);
        EXPECT_EQ(proxy.LiveDirect3D(), 0);

        // The singleton stayed absent: the next call tries again.
        proxy.ClearFaults();
        ZelkD3D* d3d = ZelkD3D::GetD3D();
        EXPECT_NE(d3d, nullptr);
        ZelkD3D::DestroyD3D();
        EXPECT_EQ(proxy.LiveDirect3D(), 0);
    }
}
