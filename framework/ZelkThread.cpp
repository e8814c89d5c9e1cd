#include "framework/ZelkThread.h"

#include <process.h>

#include "framework/ZelkException.h"

namespace zelk {

namespace {

const char* const kConstructorName = "ZelkThread::ZelkThread";
const char* const kBeginThreadFailed = "The function [ _beginthreadex ] failed.";
const char* const kThreadProcName = "ZelkThread::ThreadProc";
const char* const kMainLoopFailed = "The function [ ZelkThread::PerformThreadMain ] failed.";

// The message the thread posts to itself to bring its queue into being.
const UINT kQueueProbeMessage = WM_USER;
const unsigned kThreadExitCode = 1;
const int kQuitPostRetries = 100;
const DWORD kQuitPostRetryDelay = 10;
const int kStopWaits = 100;
const DWORD kStopWaitTime = 100;
const DWORD kStillActive = 259;
const DWORD kAbandonWaitTime = 1000;

}  // namespace

ZelkThread::ZelkThread(bool autoDelete, bool createMessageQueue, unsigned creationFlags, unsigned stackSize,
    SECURITY_ATTRIBUTES* security)
    : threadHandle_(nullptr, &::CloseHandle),
      threadId_(0),
      createMessageQueue_(false),
      autoDelete_(false),
      messageQueueReady_(false),
      terminated_(false)
{
    // The thread waits for this lock in its first step, so it sees the handle
    // stored before it runs anything.
    ZelkCriticalSectionLock hold(threadLock_);
    autoDelete_ = autoDelete;
    createMessageQueue_ = createMessageQueue;
    SetLastError(0);
    const uintptr_t handle =
        _beginthreadex(security, stackSize, &ZelkThread::ThreadProc, this, creationFlags, &threadId_);
    if (handle == 0) {
        // The runtime keeps the Windows error of a failed thread creation; a
        // refusal of its own (bad arguments) sets no Windows error at all.
        HRESULT result = HResultFromLastError();
        if (result == 0) {
            result = E_FAIL;
        }
        ZelkException failure(kConstructorName, result, kBeginThreadFailed);
        WriteErrorLog(failure);
        throw failure;
    }
    threadHandle_.reset(reinterpret_cast<HANDLE>(handle));
}

ZelkThread::~ZelkThread()
{
    Stop();
}

unsigned __stdcall ZelkThread::ThreadProc(void* argument)
{
    ZelkThread* const self = static_cast<ZelkThread*>(argument);
    self->threadLock_.Enter();
    // Nothing may leave a thread procedure: a failure of the main loop is
    // logged here and ends the thread like a normal end.
    try {
        self->RunThreadMain();
    } catch (ZelkException& failure) {
        WriteErrorLog(failure);
    } catch (...) {
        ZelkException failure(kThreadProcName, static_cast<HRESULT>(E_FAIL), kMainLoopFailed);
        WriteErrorLog(failure);
    }
    const bool autoDelete = self->autoDelete_;
    self->threadLock_.Leave();
    if (autoDelete) {
        delete self;
    }
    return kThreadExitCode;
}

void ZelkThread::RunThreadMain()
{
    messageQueueReady_ = false;
    if (createMessageQueue_) {
        // The first post fails while the queue does not exist; looking for
        // the message creates it.
        MSG message;
        do {
            PostThreadMessageA(threadId_, kQueueProbeMessage, 0, 0);
        } while (!PeekMessageA(&message, nullptr, kQueueProbeMessage, kQueueProbeMessage, PM_REMOVE));
        messageQueueReady_ = true;
    }
    if (!PerformThreadMain()) {
        throw ZelkException(kThreadProcName, static_cast<HRESULT>(E_FAIL), kMainLoopFailed);
    }
}

bool ZelkThread::PerformThreadMain()
{
    HANDLE self = threadHandle_.get();
    for (;;) {
        if (MsgWaitForMultipleObjects(1, &self, FALSE, INFINITE, QS_POSTMESSAGE) != WAIT_OBJECT_0 + 1) {
            return false;
        }
        // The wait wakes only for messages that came since the queue was
        // last looked at, so every waiting message is taken before the next
        // wait.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                return true;
            }
            if (!HandleMessage(&message)) {
                return false;
            }
        }
    }
}

bool ZelkThread::HandleMessage(MSG*)
{
    return true;
}

void ZelkThread::PostQuit()
{
    for (int attempt = 0; attempt <= kQuitPostRetries; ++attempt) {
        if (PostThreadMessageA(threadId_, WM_QUIT, 0, 0)) {
            return;
        }
        Sleep(kQuitPostRetryDelay);
    }
}

void ZelkThread::Stop()
{
    HANDLE handle = threadHandle_.get();
    // On the thread itself (a self-deleting object) there is nothing to wait
    // for: the thread is on its way out.
    if (handle != nullptr && threadId_ != GetCurrentThreadId()) {
        // A thread created suspended must run to be able to end.
        ResumeThread(handle);
        DWORD exitCode = 0;
        if (GetExitCodeThread(handle, &exitCode) && exitCode == kStillActive) {
            PostQuit();
            bool ended = false;
            for (int wait = 0; wait < kStopWaits && !ended; ++wait) {
                if (WaitForSingleObject(handle, kStopWaitTime) != WAIT_TIMEOUT) {
                    ended = true;
                } else {
                    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
                }
            }
            if (!ended) {
                terminated_ = true;
                if (TerminateThread(handle, 0)) {
                    WaitForSingleObject(handle, INFINITE);
                }
            }
        }
    }
    OnThreadEnd();
}

void ZelkThread::Abandon() noexcept
{
    HANDLE handle = threadHandle_.get();
    if (handle == nullptr || threadId_ == GetCurrentThreadId()) {
        return;
    }
    terminated_ = true;
    if (TerminateThread(handle, 0)) {
        WaitForSingleObject(handle, kAbandonWaitTime);
    }
}

void ZelkThread::OnThreadEnd()
{
    // A terminated thread may have died holding the lock; then nothing else
    // can be holding it and it is left alone.
    const bool useLock = !terminated_;
    if (useLock) {
        threadLock_.Enter();
    }
    threadHandle_.reset();
    threadId_ = 0;
    createMessageQueue_ = false;
    autoDelete_ = false;
    messageQueueReady_ = false;
    if (useLock) {
        threadLock_.Leave();
    }
}

}  // namespace zelk
