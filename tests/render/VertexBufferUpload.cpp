// How the vertex-shader path fills its device vertex buffer: the draws
// write their records into memory, and each played package's records go
// into the buffer under one lock of exactly the records it holds, whether
// the package is played on the worker or in the calling thread; after the
// ring wraps the lock discards the buffer; a lock that fails fails the
// package like any other playing failure.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/ReadBack.h"
#include "common/TestDirectory.h"
#include "framework/ZelkException.h"
#include "render/ZelkGrRendererVS2xPS13.h"
#include "support/RenderBaseTestSupport.h"
#include "support/ShaderStandIn.h"

using namespace zelktest;
using zelk::ZelkException;
using zelk::ZelkGrRendererVS2xPS13;

namespace {

constexpr std::uint32_t kSize = 64;
constexpr UINT kRecord = 64;
constexpr DWORD kNoOverwrite = D3DLOCK_NOOVERWRITE;
constexpr DWORD kDiscard = D3DLOCK_DISCARD;

zelk::ZelkGrRendererSettings Settings(bool worker)
{
    zelk::ZelkGrRendererSettings settings = RendererSettings(worker);
    settings.vertexShaderVersion = 255;
    return settings;
}

// The colour combine passes the iterated colour.
void IteratedColour(zelk::ZelkGrPrimitiveRenderer& r)
{
    r.RecordCommand(12, 1u << 24 | 0u << 12, 0);
    r.RecordCommand(13, 1u << 24 | 0u << 12, 0);
}

void Quad(zelk::ZelkGrPrimitiveRenderer& r, float left, float right, float red, float green, float blue)
{
    const GrVertex a = MakeVertex(left, 0, red, green, blue), b = MakeVertex(right, 0, red, green, blue),
                   c = MakeVertex(right, kSize, red, green, blue), d = MakeVertex(left, kSize, red, green, blue);
    r.DrawTriangle(&a, &b, &c);
    r.DrawTriangle(&a, &c, &d);
}

D3DProxyBufferLock Range(UINT first, UINT count, DWORD flags) { return {first * kRecord, count * kRecord, flags}; }

std::string Describe(const std::vector<D3DProxyBufferLock>& locks)
{
    std::string text;
    for (const D3DProxyBufferLock& l : locks) {
        text += "{" + std::to_string(l.offset / kRecord) + ", " + std::to_string(l.size / kRecord) + ", flags " +
                std::to_string(l.flags) + "} ";
    }
    return text;
}

class VertexBufferUpload : public testing::Test {
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
        Proxy().ClearVertexBufferLocks();
    }
    void TearDown() override { Proxy().ClearFaults(); }
    static D3DProxy& Proxy() { return RenderTestDevice::Proxy(); }
    std::vector<D3DProxyBufferLock> Locks() const { return Proxy().VertexBufferLocks(); }

    static ShaderStandIn* standIn;
    IDirect3DDevice9* device = nullptr;
};

ShaderStandIn* VertexBufferUpload::standIn = nullptr;

// Draws lock nothing; each package with draws is one lock of its records,
// the first of a new buffer discarding, the later ones not overwriting; a
// package without draws locks nothing.  On the worker as in the calling
// thread.
TEST_F(VertexBufferUpload, OneLockPerPackageOfExactlyItsRecords)
{
    for (bool worker : {false, true}) {
        SCOPED_TRACE(worker ? "worker" : "calling thread");
        ZelkGrRendererVS2xPS13 r(device, kSize, kSize, Settings(worker));
        if (worker) r.ResumeWorker();
        Proxy().ClearVertexBufferLocks();

        // Package 1: two quads with a state change between them, and a
        // five-corner fan: 2 + 2 + 3 triangles, records 0 to 20.
        r.RecordClear(0xFF000000, 1.0f);
        IteratedColour(r);
        Quad(r, 0, 16, 255, 0, 0);
        r.RecordRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        Quad(r, 16, 32, 0, 255, 0);
        GrVertex fan[5];
        const float xs[5] = {32, 64, 64, 48, 32}, ys[5] = {0, 0, 64, 64, 32};
        for (int i = 0; i < 5; ++i) fan[i] = MakeVertex(xs[i], ys[i], 0, 0, 255);
        r.DrawPolygonVertexList(5, fan);
        EXPECT_TRUE(Locks().empty()) << Describe(Locks());
        r.Flush(true);
        // The records went in unchanged: the three regions have their colours.
        const ReadBack pixels(device);
        EXPECT_TRUE(pixels.RegionNear(2, 2, 14, 62, 0xFFFF0000, 3));
        EXPECT_TRUE(pixels.RegionNear(18, 2, 30, 62, 0xFF00FF00, 3));
        EXPECT_TRUE(pixels.RegionNear(36, 2, 60, 28, 0xFF0000FF, 3));
        // Package 2: a clear alone.  Package 3: one triangle, records 21 to
        // 23, ending a frame.
        r.RecordClear(0xFF000000, 1.0f);
        r.Flush(true);
        const GrVertex a = MakeVertex(0, 0), b = MakeVertex(4, 0), c = MakeVertex(0, 4);
        r.DrawTriangle(&a, &b, &c);
        r.EndFrame();
        r.WaitIdle();

        const std::vector<D3DProxyBufferLock> expected = {Range(0, 21, kDiscard), Range(21, 3, kNoOverwrite)};
        EXPECT_EQ(Locks(), expected) << Describe(Locks());
        r.Shutdown();
    }
}

// Records that no longer fit wrap to 0: the package before the wrap is
// uploaded without overwriting, the first one after it discards.
TEST_F(VertexBufferUpload, WrapDiscardsTheBuffer)
{
    ZelkGrRendererVS2xPS13 r(device, kSize, kSize, Settings(false));
    IteratedColour(r);
    const GrVertex a = MakeVertex(0, 0), b = MakeVertex(4, 0), c = MakeVertex(0, 4);
    r.DrawTriangle(&a, &b, &c);
    r.Flush(true);  // the buffer's first lock discards
    r.nextVertexIndex = 65530;
    r.currentPackage->firstVertexIndex = 65530;
    Proxy().ClearVertexBufferLocks();
    r.RecordClear(0xFF000000, 1.0f);
    Quad(r, 0, 32, 255, 0, 0);  // 65530 to 65535, then the second triangle wraps
    EXPECT_EQ(r.nextVertexIndex, 3u);
    Quad(r, 32, 64, 0, 0, 255);
    r.Flush(true);
    const std::vector<D3DProxyBufferLock> expected = {Range(65530, 3, kNoOverwrite), Range(0, 9, kDiscard)};
    EXPECT_EQ(Locks(), expected) << Describe(Locks());
    const ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(20, 2, 30, 10, 0xFFFF0000, 3));  // the first triangle, before the wrap
    EXPECT_TRUE(pixels.RegionNear(2, 44, 12, 62, 0xFFFF0000, 3));  // the second, after it
    EXPECT_TRUE(pixels.RegionNear(34, 2, 62, 62, 0xFF0000FF, 3));
}

// A failing lock throws the logged failure from the flush and drops the
// package, its frame included; the scene is not left open and the next
// package is uploaded and drawn.
TEST_F(VertexBufferUpload, FailingUploadDropsThePackage)
{
    ZelkGrRendererVS2xPS13 r(device, kSize, kSize, Settings(false));
    IteratedColour(r);
    r.RecordClear(0xFF0000FF, 1.0f);
    r.Flush(true);
    Proxy().ClearVertexBufferLocks();
    Proxy().FailCall(D3DCall::VertexBuffer_Lock, D3DERR_INVALIDCALL, 1);
    r.RecordClear(0xFF00FF00, 1.0f);
    Quad(r, 0, 64, 255, 0, 0);
    try {
        r.EndFrame();
        ADD_FAILURE() << "no exception";
    } catch (const ZelkException& e) {
        EXPECT_EQ(e.functionName, "ZelkGrVertexBuffer::Lock");
        EXPECT_EQ(e.message, "The function [ IDirect3DVertexBuffer9::Lock ] failed.");
        EXPECT_EQ(e.returnValue.result, D3DERR_INVALIDCALL);
        EXPECT_TRUE(e.logged);
    }
    const std::string log = ReadFileText("vezoRerez.log");
    std::size_t entries = 0;
    for (std::size_t at = log.find("ZelkGrVertexBuffer::Lock"); at != std::string::npos;
         at = log.find("ZelkGrVertexBuffer::Lock", at + 1)) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
    EXPECT_EQ(r.GetPendingSwapCount(), 0u);
    EXPECT_TRUE(r.currentPackage->records.empty());
    // Nothing of the dropped package was played, not even its clear.
    EXPECT_TRUE(ReadBack(device).RegionNear(0, 0, 63, 63, 0xFF0000FF, 3));

    Quad(r, 0, 32, 255, 255, 255);
    r.Flush(true);
    const std::vector<D3DProxyBufferLock> expected = {Range(0, 6, kDiscard), Range(6, 6, kDiscard)};
    EXPECT_EQ(Locks(), expected) << Describe(Locks());
    const ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(2, 2, 30, 62, 0xFFFFFFFF, 3));
    EXPECT_TRUE(pixels.RegionNear(34, 2, 62, 62, 0xFF0000FF, 3));
}

}  // namespace
