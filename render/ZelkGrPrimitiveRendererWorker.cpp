// Package hand-over, the end of a frame and the worker thread.
//
// Progress is counted: handedOverCount rises (under queueLock) with every
// package pushed for the worker, playedCount rises after the worker has
// finished a package (played, presented and destroyed, or dropped after a
// failure).  Every wait for the worker waits until the two are equal, or
// until the worker has died; the events only wake the waiter.
#include "render/ZelkGrPrimitiveRenderer.h"

#include <comdef.h>

#include <new>

#include "framework/ZelkException.h"

namespace zelk {

namespace {

const char* const kPlayName = "ZelkGrPrimitiveRenderer::ProcessPackages";
const char* const kRenderMainFailed = "The function [ ZelkGrPrimitiveRenderer::RenderMain ] failed.";
const char* const kResumeName = "ZelkGrPrimitiveRenderer::ResumeWorker";
const char* const kResumeFailed = "The function [ WIN32API::ResumeThread ] failed.";
const int kWakeUpPostAttempts = 100;
// Played packages kept for reuse by the next hand-overs.
const std::size_t kMaxSparePackages = 4;
const DWORD kWakeUpRetryDelay = 1;

// Restores a package for recording after it was played in place, also when
// playing failed.
class PackageReset {
public:
    PackageReset(ZelkGrRenderPackage& package, const std::uint32_t& nextVertexIndex)
        : package_(package), nextVertexIndex_(nextVertexIndex)
    {
    }
    ~PackageReset()
    {
        package_.Clear();
        package_.firstVertexIndex = nextVertexIndex_;
    }
    PackageReset(const PackageReset&) = delete;
    PackageReset& operator=(const PackageReset&) = delete;

private:
    ZelkGrRenderPackage& package_;
    const std::uint32_t& nextVertexIndex_;
};

}  // namespace

void ZelkGrPrimitiveRenderer::ResumeWorker()
{
    if (workerActive || shutDown || !worker || workerDead.load()) {
        return;
    }
    HANDLE thread = worker->GetThreadHandle();
    if (ResumeThread(thread) == static_cast<DWORD>(-1)) {
        ZelkException failure = ZelkWin32Exception(kResumeName, kResumeFailed);
        WriteErrorLog(failure);
        return;
    }
    // Wake-ups are posted to the thread's message queue, which the thread
    // makes as soon as it runs.
    while (!worker->IsMessageQueueReady()) {
        if (WaitForSingleObject(thread, 1) != WAIT_TIMEOUT) {
            workerDead = true;
            return;
        }
    }
    workerActive = true;
}

void ZelkGrPrimitiveRenderer::Flush(bool wait)
{
    CloseOpenRecord();
    if (shutDown) {
        // Nothing is played after a shutdown, and no frame is owed.
        if (currentPackage->presentAfterPlaying) {
            --pendingSwaps;
        }
        currentPackage->Clear();
        currentPackage->firstVertexIndex = nextVertexIndex;
        return;
    }
    if (WorkerInUse() && queuedPackages.load() >= settings.maxQueueSize) {
        WaitForPlayed();
    }
    if (!WorkerInUse()) {
        // What a dead worker left queued goes first, in order.
        if (workerActive) {
            PlayQueuedHere();
        }
        ZelkCriticalSectionLock hold(renderLock);
        PackageReset reset(*currentPackage, nextVertexIndex);
        PlayPackageHere(*currentPackage);
        return;
    }

    // The next package first: should it fail, the current one stays.
    std::unique_ptr<ZelkGrRenderPackage> next;
    {
        ZelkCriticalSectionLock hold(queueLock);
        if (!sparePackages.empty()) {
            next = std::move(sparePackages.back());
            sparePackages.pop_back();
        }
    }
    if (!next) {
        next = std::make_unique<ZelkGrRenderPackage>();
    }
    next->firstVertexIndex = nextVertexIndex;
    std::size_t length;
    {
        ZelkCriticalSectionLock hold(queueLock);
        packageQueue.push_back(std::move(currentPackage));
        ++handedOverCount;
        length = packageQueue.size();
    }
    queuedPackages = static_cast<std::uint32_t>(length);
    currentPackage = std::move(next);
    PostWakeUp();
    if (wait) {
        WaitForPlayed();
        // A waiting flush consumes the drain's start signal.
        WaitForSingleObject(startedEvent.Handle(), 0);
    }
}

void ZelkGrPrimitiveRenderer::EndFrame()
{
    // A package presents once: it is counted once, also should it still be
    // current after a failed hand-over.
    if (!currentPackage->presentAfterPlaying) {
        currentPackage->presentAfterPlaying = true;
        ++pendingSwaps;
    }
    Flush(false);
}

std::uint32_t ZelkGrPrimitiveRenderer::GetPendingSwapCount()
{
    if (workerActive && workerDead.load()) {
        PlayQueuedHere();
    }
    return pendingSwaps.load();
}

void ZelkGrPrimitiveRenderer::WaitIdle()
{
    if (workerActive) {
        WaitForPlayed();
    }
}

void ZelkGrPrimitiveRenderer::WaitForPlayed(bool playLeftovers)
{
    if (!workerActive) {
        return;
    }
    if (!workerDead.load() && worker) {
        HANDLE handles[2] = {progressEvent.Handle(), worker->GetThreadHandle()};
        while (playedCount.load() != handedOverCount && !workerDead.load()) {
            const DWORD result = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
            if (result != WAIT_OBJECT_0) {
                // The thread has ended (or cannot be waited for): nothing
                // more will be played there.
                workerDead = true;
            }
        }
    }
    if (workerDead.load() && playLeftovers) {
        PlayQueuedHere();
    }
}

void ZelkGrPrimitiveRenderer::PostWakeUp()
{
    const DWORD threadId = worker->GetThreadId();
    for (int attempt = 0; attempt < kWakeUpPostAttempts; ++attempt) {
        if (PostThreadMessageA(threadId, kWakeUpMessage, 0, 0)) {
            return;
        }
        // A full message queue already holds wake-ups; a dead worker takes
        // none.
        if (GetLastError() == ERROR_NOT_ENOUGH_QUOTA || workerDead.load()) {
            return;
        }
        Sleep(kWakeUpRetryDelay);
    }
}

void ZelkGrPrimitiveRenderer::EndOpenScene()
{
    if (sceneOpen) {
        sceneOpen = false;
        if (device != nullptr) {
            device->EndScene();
        }
    }
}

void ZelkGrPrimitiveRenderer::PlayPackageHere(ZelkGrRenderPackage& package)
{
    try {
        RenderMain(package);
        if (package.presentAfterPlaying) {
            if (settings.displayStatistics) {
                DrawStatistics();
            }
            device->Present(nullptr, nullptr, nullptr, nullptr);
            package.presentAfterPlaying = false;
            --pendingSwaps;
        }
    } catch (...) {
        EndOpenScene();
        if (package.presentAfterPlaying) {
            package.presentAfterPlaying = false;
            --pendingSwaps;
        }
        throw;
    }
}

void ZelkGrPrimitiveRenderer::PlayQueuedHere()
{
    ZelkCriticalSectionLock hold(renderLock);
    for (;;) {
        std::unique_ptr<ZelkGrRenderPackage> package;
        {
            ZelkCriticalSectionLock holdQueue(queueLock);
            if (packageQueue.empty()) {
                break;
            }
            package = std::move(packageQueue.front());
            packageQueue.pop_front();
            queuedPackages = static_cast<std::uint32_t>(packageQueue.size());
        }
        // Played as the worker would have: a failure is logged and drops
        // this package only, so that every package after it, and the one
        // being recorded, is still played.
        PlayPackageLogged(*package);
        ++playedCount;
    }
}

bool ZelkGrPrimitiveRenderer::PlayPackageLogged(ZelkGrRenderPackage& package)
{
    try {
        PlayPackageHere(package);
        return true;
    } catch (ZelkException& failure) {
        WriteErrorLog(failure);
    } catch (_com_error& failure) {
        ZelkException logged(kPlayName, failure.Error(), kRenderMainFailed);
        WriteErrorLog(logged);
    } catch (std::bad_alloc&) {
        ZelkException logged(kPlayName, static_cast<HRESULT>(E_OUTOFMEMORY), kRenderMainFailed);
        WriteErrorLog(logged);
    } catch (...) {
        ZelkException logged(kPlayName, static_cast<HRESULT>(E_FAIL), kRenderMainFailed);
        WriteErrorLog(logged);
    }
    return false;
}

bool ZelkGrPrimitiveRenderer::DrainQueue()
{
    ZelkCriticalSectionLock hold(renderLock);
    ResetEvent(idleEvent.Handle());
    SetEvent(startedEvent.Handle());
    IDirect3DDevice9Ptr drainDevice(device);
    bool ok = true;
    for (;;) {
        std::unique_ptr<ZelkGrRenderPackage> package;
        {
            ZelkCriticalSectionLock holdQueue(queueLock);
            if (packageQueue.empty()) {
                queuedPackages = 0;
                break;
            }
            package = std::move(packageQueue.front());
            packageQueue.pop_front();
            queuedPackages = static_cast<std::uint32_t>(packageQueue.size());
        }
        if (drainDevice != nullptr) {
            ok = PlayPackageLogged(*package);
        } else if (package->presentAfterPlaying) {
            // Without a device nothing is played or presented.
            --pendingSwaps;
        }
        // Emptied (its textures released) and kept for a later hand-over.
        package->Clear();
        {
            ZelkCriticalSectionLock holdQueue(queueLock);
            if (sparePackages.size() < kMaxSparePackages) {
                sparePackages.push_back(std::move(package));
            }
        }
        package.reset();
        if (!ok) {
            // Waiters must see the worker dead before they see it finished.
            workerDead = true;
        }
        ++playedCount;
        SetEvent(progressEvent.Handle());
        if (!ok) {
            break;
        }
    }
    drainDevice = nullptr;
    SetEvent(idleEvent.Handle());
    return ok;
}

bool ZelkGrPrimitiveRenderer::ProcessPackages()
{
    for (;;) {
        if (!DrainQueue()) {
            SetEvent(progressEvent.Handle());
            return false;
        }
        // The wake-ups of the packages just drained, and the quit message.
        bool quit = false;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
            }
        }
        if (quit) {
            return true;
        }
        // A package pushed during the sweep may have lost its wake-up.
        {
            ZelkCriticalSectionLock holdQueue(queueLock);
            if (!packageQueue.empty()) {
                continue;
            }
        }
        // Wakes also for a message that is already waiting.
        const DWORD result = MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_POSTMESSAGE, MWMO_INPUTAVAILABLE);
        if (result == WAIT_FAILED) {
            workerDead = true;
            SetEvent(progressEvent.Handle());
            return false;
        }
    }
}

}  // namespace zelk
