// Hand-over and the worker thread on a real device: the same pixels with and
// without the worker, waits that mean "everything played", failures on the
// worker and in the calling thread, and destruction with packages queued.
// Every wait has a time-out that fails the test instead of hanging.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/DeviceFixture.h"
#include "common/ReadBack.h"
#include "common/TestDirectory.h"
#include "framework/ZelkException.h"
#include "support/RenderBaseTestSupport.h"

using zelk::ZelkException;
using zelk::ZelkGrRect;
using zelktest::D3DCall;
using zelktest::MakeVertex;
using zelktest::ReadBack;
using zelktest::RendererSettings;
using zelktest::RenderTestDevice;
using zelktest::RunWithTimeout;
using zelktest::TestRendererSW;
using zelktest::WaitUntil;

namespace {

constexpr D3DCOLOR kRed = 0xFF0000;
constexpr D3DCOLOR kBlue = 0x0000FF;

int Occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class WorkerThread : public testing::Test {
protected:
    void SetUp() override
    {
        device = RenderTestDevice::Get(D3DFMT_X8R8G8B8);
        ASSERT_NE(device, nullptr);
    }

    void TearDown() override
    {
        if (renderer) {
            EXPECT_TRUE(RunWithTimeout([this]() { renderer.reset(); })) << "destruction hung";
        }
        RenderTestDevice::Proxy().ClearFaults();
    }

    void Build(bool worker, zelk::ZelkGrRendererSettings settings = RendererSettings())
    {
        settings.useBackgroundThread = worker ? 1 : 0;
        renderer = std::make_unique<TestRendererSW>(device, 64, 64, settings);
        if (worker) {
            renderer->ResumeWorker();
            ASSERT_TRUE(renderer->WorkerInUse());
        }
        renderer->RecordClipWindow(ZelkGrRect(0, 0, 64, 64));
    }

    void Rectangle(float left, float top, float right, float bottom, float r, float g, float b)
    {
        const GrVertex v[4] = {MakeVertex(left, top, r, g, b), MakeVertex(right, top, r, g, b),
                               MakeVertex(right, bottom, r, g, b), MakeVertex(left, bottom, r, g, b)};
        renderer->DrawPolygonVertexList(4, v);
    }

    // Flush with waiting, bounded in time.
    void FlushAndWait()
    {
        EXPECT_TRUE(RunWithTimeout([this]() { renderer->Flush(true); })) << "Flush(true) hung";
    }

    void WaitIdle()
    {
        EXPECT_TRUE(RunWithTimeout([this]() { renderer->WaitIdle(); })) << "WaitIdle hung";
    }

    // A scene of a clear, a flat square, a ramp and a few packages.
    void DrawScene()
    {
        renderer->RecordClear(0xFF101010, 1.0f);
        Rectangle(4, 4, 20, 20, 255, 0, 0);
        renderer->Flush(false);
        const GrVertex ramp[4] = {MakeVertex(24, 24, 0, 0, 0), MakeVertex(60, 24, 255, 128, 0),
                                  MakeVertex(60, 60, 255, 128, 0), MakeVertex(24, 60, 0, 0, 0)};
        renderer->DrawPolygonVertexListStrip(4, ramp);
        renderer->RecordRenderState(D3DRS_COLORWRITEENABLE, 0x3);
        Rectangle(4, 40, 20, 60, 255, 255, 255);
        renderer->RecordRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    }

    std::vector<D3DCOLOR> Samples()
    {
        ReadBack pixels(device);
        std::vector<D3DCOLOR> samples;
        for (UINT y = 2; y < 64; y += 6) {
            for (UINT x = 2; x < 64; x += 6) {
                samples.push_back(pixels.Pixel(x, y));
            }
        }
        return samples;
    }

    bool Played() { return renderer->playedCount.load() == renderer->handedOverCount; }

    IDirect3DDevice9* device = nullptr;
    std::unique_ptr<TestRendererSW> renderer;
};

TEST_F(WorkerThread, TheSameSceneGivesTheSamePixelsWithAndWithoutTheWorker)
{
    Build(false);
    DrawScene();
    renderer->Flush(true);
    const std::vector<D3DCOLOR> direct = Samples();
    renderer.reset();

    Build(true);
    DrawScene();
    FlushAndWait();
    const std::vector<D3DCOLOR> threaded = Samples();
    ASSERT_EQ(direct.size(), threaded.size());
    for (size_t i = 0; i < direct.size(); ++i) {
        EXPECT_TRUE(zelktest::ColorsNear(direct[i], threaded[i], 2)) << "sample " << i;
    }
    // The scene is really there.
    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(6, 6, 18, 18, kRed));
    EXPECT_TRUE(pixels.RegionNear(6, 42, 18, 58, 0xFFFF10));
}

TEST_F(WorkerThread, WaitsEndWhenEverythingHandedOverIsPlayed)
{
    Build(true);
    renderer->texelSleepMs = 20;
    for (int i = 0; i < 5; ++i) {
        Rectangle(static_cast<float>(i * 10), 0, static_cast<float>(i * 10 + 8), 8, 255, 0, 0);
        renderer->Flush(false);
    }
    Rectangle(0, 30, 30, 60, 0, 0, 255);
    FlushAndWait();
    EXPECT_TRUE(Played());
    EXPECT_EQ(renderer->queuedPackages.load(), 0u);
    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(2, 32, 28, 58, kBlue));
    EXPECT_TRUE(pixels.RegionNear(41, 1, 47, 7, kRed));

    // Frames: the pending count rises with each end of frame and falls to 0.
    renderer->texelSleepMs = 30;
    Rectangle(0, 0, 8, 8, 255, 0, 0);
    renderer->EndFrame();
    EXPECT_GE(renderer->GetPendingSwapCount(), 1u);
    renderer->EndFrame();  // an empty frame is still presented
    WaitIdle();
    EXPECT_EQ(renderer->GetPendingSwapCount(), 0u);
    EXPECT_TRUE(Played());
}

TEST_F(WorkerThread, ManyQuickFlushesAreAllPlayed)
{
    zelk::ZelkGrRendererSettings settings = RendererSettings();
    for (std::uint32_t limit : {0u, 1u, 16u}) {
        settings.maxQueueSize = limit;
        Build(true, settings);
        for (int i = 0; i < 500; ++i) {
            Rectangle(static_cast<float>(i % 60), 0, static_cast<float>(i % 60 + 4), 4, 255, 0, 0);
            if (i % 5 == 4) {
                renderer->EndFrame();
            } else {
                renderer->Flush(false);
            }
        }
        WaitIdle();
        EXPECT_TRUE(Played()) << "queue limit " << limit;
        EXPECT_EQ(renderer->GetPendingSwapCount(), 0u);
        EXPECT_TRUE(RunWithTimeout([this]() { renderer.reset(); }));
    }
}

TEST_F(WorkerThread, QueuedRecordsAreNotOverwrittenWhenTheStoreWraps)
{
    Build(true);
    renderer->texelSleepMs = 150;
    // Package 1 keeps the worker busy; package 2's records follow.
    Rectangle(40, 40, 44, 44, 0, 255, 0);
    renderer->Flush(false);
    Rectangle(0, 0, 20, 20, 255, 0, 0);
    renderer->Flush(false);
    const std::uint32_t written = renderer->nextVertexIndex;

    // The next draws go back to record 0 and cover the records of both,
    // while the worker still sleeps in the first package.
    renderer->nextVertexIndex = 65534;
    renderer->currentPackage->firstVertexIndex = 65534;
    while (renderer->nextVertexIndex < written || renderer->nextVertexIndex > 65000) {
        Rectangle(30, 30, 60, 60, 0, 0, 255);
    }
    FlushAndWait();
    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(2, 2, 18, 18, kRed));
    EXPECT_TRUE(pixels.RegionNear(32, 32, 38, 38, kBlue));
}

TEST_F(WorkerThread, AFailureOnTheWorkerIsLoggedOnceAndLaterFramesStillDraw)
{
    Build(true);
    // The first package keeps the worker busy while the others queue; the
    // second fails to begin its scene; the third is played later, in
    // order, in the calling thread.
    renderer->texelSleepMs = 100;
    Rectangle(40, 0, 48, 8, 0, 255, 0);
    RenderTestDevice::Proxy().FailCall(D3DCall::Device_BeginScene, E_FAIL, 2);
    renderer->Flush(false);
    Rectangle(0, 0, 8, 8, 0, 255, 0);
    renderer->EndFrame();
    Rectangle(0, 0, 20, 20, 255, 0, 0);
    renderer->EndFrame();
    ASSERT_TRUE(WaitUntil([this]() { return renderer->workerDead.load(); }));
    EXPECT_FALSE(renderer->WorkerInUse());
    // The failed frame's swap is gone; the frame left queued is played and
    // presented when the count is asked for, so that it still falls.
    EXPECT_EQ(renderer->pendingSwaps.load(), 1u);
    std::uint32_t pending = 1;
    EXPECT_TRUE(RunWithTimeout([this, &pending]() { pending = renderer->GetPendingSwapCount(); }));
    EXPECT_EQ(pending, 0u);
    EXPECT_EQ(renderer->queuedPackages.load(), 0u);

    renderer->texelSleepMs = 0;
    Rectangle(30, 30, 60, 60, 0, 0, 255);
    EXPECT_TRUE(RunWithTimeout([this]() { renderer->Flush(false); }));
    EXPECT_EQ(renderer->GetPendingSwapCount(), 0u);
    EXPECT_TRUE(Played());
    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(32, 32, 58, 58, kBlue));
    EXPECT_TRUE(pixels.RegionNear(2, 2, 18, 18, kRed));

    const std::string log = zelktest::ReadFileText(zelk::kErrorLogFileName);
    EXPECT_EQ(Occurrences(log, "The function [ IDirect3DDevice9::BeginScene ] failed."), 1) << log;
    EXPECT_EQ(Occurrences(log, "Function name : ZelkGrPrimitiveRendererSW::RenderMain"), 1) << log;
}

// What a dead worker left queued fails again when the calling thread plays
// it: the package being recorded is still played and emptied, its frame is
// counted once, and after a wrap of the store it starts at record 0.
TEST_F(WorkerThread, AFailureOfWhatADeadWorkerLeftKeepsTheCurrentPackage)
{
    for (bool wrap : {false, true}) {
        SCOPED_TRACE(wrap ? "store wrap" : "end of frame");
        Build(true);
        // Package 1 keeps the worker busy; package 2 fails to begin its scene
        // on the worker (BeginScene 2); package 3 is left queued and fails in
        // the calling thread (BeginScene 3); then scenes begin again.
        renderer->texelSleepMs = 100;
        Rectangle(40, 0, 48, 8, 0, 255, 0);
        RenderTestDevice::Proxy().FailCall(D3DCall::Device_BeginScene, E_FAIL, 2);
        RenderTestDevice::Proxy().FailCall(D3DCall::Device_BeginScene, E_FAIL, 3);
        renderer->Flush(false);
        Rectangle(0, 0, 8, 8, 0, 255, 0);
        renderer->EndFrame();
        Rectangle(0, 0, 20, 20, 0, 255, 0);
        renderer->EndFrame();
        ASSERT_TRUE(WaitUntil([this]() { return renderer->workerDead.load(); }));
        renderer->texelSleepMs = 0;
        renderer->RecordClear(0xFF000000, 1.0f);
        if (wrap) {
            // A triangle at the end of the store; the next square does not
            // fit, so the store wraps and the leftovers are played first.
            renderer->nextVertexIndex = 65530;
            renderer->currentPackage->firstVertexIndex = 65530;
            const GrVertex a = MakeVertex(40, 40, 255, 0, 0), b = MakeVertex(60, 40, 255, 0, 0),
                           c = MakeVertex(60, 60, 255, 0, 0);
            renderer->DrawTriangle(&a, &b, &c);
            EXPECT_NO_THROW(Rectangle(2, 2, 30, 30, 0, 0, 255));
            EXPECT_EQ(renderer->currentPackage->firstVertexIndex, 0u);
            EXPECT_EQ(renderer->nextVertexIndex, 6u);
            EXPECT_TRUE(ReadBack(device).RegionNear(56, 42, 59, 44, kRed));
        } else {
            Rectangle(2, 2, 30, 30, 0, 0, 255);
        }
        EXPECT_NO_THROW(renderer->EndFrame());
        EXPECT_EQ(renderer->queuedPackages.load(), 0u);
        EXPECT_EQ(renderer->currentPackage->records.size(), 0u);
        EXPECT_EQ(renderer->currentPackage->firstVertexIndex, renderer->nextVertexIndex);
        EXPECT_EQ(renderer->GetPendingSwapCount(), 0u);

        // The next frame draws, and the count stays at 0.
        Rectangle(34, 2, 60, 30, 0, 0, 255);
        renderer->Flush(true);
        EXPECT_TRUE(ReadBack(device).RegionNear(36, 4, 58, 28, kBlue));
        renderer->EndFrame();
        EXPECT_EQ(renderer->GetPendingSwapCount(), 0u);
        EXPECT_EQ(renderer->pendingSwaps.load(), 0u);
        const std::string log = zelktest::ReadFileText(zelk::kErrorLogFileName);
        EXPECT_GE(Occurrences(log, "The function [ IDirect3DDevice9::BeginScene ] failed."), 2) << log;
        EXPECT_TRUE(RunWithTimeout([this]() { renderer.reset(); }));
        RenderTestDevice::Proxy().ClearFaults();
    }
}

TEST_F(WorkerThread, AFailureInsideTheSceneEndsItOnTheWorkerAndInTheCallingThread)
{
    for (bool worker : {true, false}) {
        Build(worker);
        renderer->throwInTexelUpdate = true;
        Rectangle(0, 0, 8, 8, 255, 0, 0);
        if (worker) {
            renderer->EndFrame();
            ASSERT_TRUE(WaitUntil([this]() { return renderer->workerDead.load(); }));
        } else {
            EXPECT_THROW(renderer->EndFrame(), ZelkException);
            // The package was emptied in place.
            EXPECT_EQ(renderer->currentPackage->records.size(), 0u);
            EXPECT_EQ(renderer->currentPackage->firstVertexIndex, renderer->nextVertexIndex);
        }
        EXPECT_EQ(renderer->GetPendingSwapCount(), 0u);

        // No scene was left open: the next one begins and draws.
        renderer->throwInTexelUpdate = false;
        Rectangle(10, 10, 30, 30, 0, 0, 255);
        const UINT failedBegins = RenderTestDevice::Proxy().CallCount(D3DCall::Device_BeginScene);
        EXPECT_TRUE(RunWithTimeout([this]() { renderer->Flush(true); }));
        EXPECT_EQ(RenderTestDevice::Proxy().CallCount(D3DCall::Device_BeginScene), failedBegins + 1);
        ReadBack pixels(device);
        EXPECT_TRUE(pixels.RegionNear(12, 12, 28, 28, kBlue)) << (worker ? "worker" : "calling thread");
        EXPECT_TRUE(RunWithTimeout([this]() { renderer.reset(); }));
    }
}

TEST_F(WorkerThread, FailingPresentsAndOverlaysDoNotStopTheWorker)
{
    zelk::ZelkGrRendererSettings settings = RendererSettings();
    settings.displayStatistics = 1;
    Build(true, settings);
    // The overlay's font draws with DrawPrimitive; the frames with
    // DrawPrimitiveUP.
    RenderTestDevice::Proxy().FailCall(D3DCall::Device_DrawPrimitive, E_FAIL);
    RenderTestDevice::Proxy().FailCall(D3DCall::Device_Present, D3DERR_DEVICELOST);
    Rectangle(0, 0, 8, 8, 255, 0, 0);
    renderer->EndFrame();
    renderer->EndFrame();
    WaitIdle();
    EXPECT_TRUE(renderer->WorkerInUse());
    EXPECT_EQ(renderer->GetPendingSwapCount(), 0u);
    EXPECT_EQ(renderer->frameCount, 2u);
    RenderTestDevice::Proxy().ClearFaults();

    Rectangle(10, 10, 30, 30, 0, 0, 255);
    FlushAndWait();
    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(12, 12, 28, 28, kBlue));
    const std::string log = zelktest::ReadFileText(zelk::kErrorLogFileName);
    EXPECT_EQ(Occurrences(log, "IDirect3DDevice9::DrawPrimitive ]"), 2) << log;
}

TEST_F(WorkerThread, DestructionWithPackagesQueuedEndsCleanly)
{
    IDirect3DDevice9Ptr hold(device);
    device->AddRef();
    const ULONG references = device->Release();

    Build(true);
    renderer->texelSleepMs = 20;
    for (int i = 0; i < 8; ++i) {
        Rectangle(0, 0, 8, 8, 255, 0, 0);
        renderer->EndFrame();
    }
    Rectangle(0, 0, 8, 8, 255, 0, 0);  // recorded, never handed over
    EXPECT_TRUE(RunWithTimeout([this]() { renderer.reset(); })) << "destruction hung";

    device->AddRef();
    EXPECT_EQ(device->Release(), references);
}

TEST_F(WorkerThread, AWorkerNeverResumedPlaysNothingAndEndsCleanly)
{
    zelk::ZelkGrRendererSettings settings = RendererSettings(true);
    renderer = std::make_unique<TestRendererSW>(device, 64, 64, settings);
    EXPECT_FALSE(renderer->WorkerInUse());
    // Without a running worker the calling thread plays.
    renderer->RecordClipWindow(ZelkGrRect(0, 0, 64, 64));
    Rectangle(0, 0, 16, 16, 0, 0, 255);
    renderer->EndFrame();
    EXPECT_EQ(renderer->GetPendingSwapCount(), 0u);
    WaitIdle();
    renderer->Shutdown();
    renderer->Shutdown();
    // Recording after the shutdown goes nowhere and owes no frame.
    Rectangle(0, 0, 16, 16, 0, 0, 255);
    renderer->EndFrame();
    renderer->Flush(true);
    EXPECT_EQ(renderer->GetPendingSwapCount(), 0u);
}

}  // namespace
