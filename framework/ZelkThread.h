#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "framework/ZelkCriticalSection.h"

namespace zelk {

// A Windows thread with its own message queue whose main loop is the virtual
// PerformThreadMain.  The thread starts in the constructor (suspended when the
// creation flags say so) and is ended by Stop: quit messages first, forced
// termination after about ten seconds.
//
// The thread may call the overridden operations as soon as it runs, so a
// derived class that overrides them creates the thread suspended and resumes
// it once it is fully built, and calls Stop in its own destructor, before its
// members go away.
class ZelkThread {
public:
    // Throws ZelkException (already logged) when the thread cannot be started.
    ZelkThread(bool autoDelete, bool createMessageQueue, unsigned creationFlags = 0, unsigned stackSize = 0,
        SECURITY_ATTRIBUTES* security = nullptr);

    ZelkThread(const ZelkThread&) = delete;
    ZelkThread& operator=(const ZelkThread&) = delete;

    // Ends the thread and waits for it; a thread that has not ended after a
    // hundred waits of 100 ms is terminated.  Then runs OnThreadEnd.  Called
    // on the thread itself (self-deletion) it does not wait.
    void Stop();

    // Ends the thread at once, without quit messages or clean-up, and waits
    // briefly for it to be gone.  For a thread that must never run again
    // because the module holding its code is being unloaded (the loader lock
    // is held, so it cannot be asked to end).  The object is left as is.
    void Abandon() noexcept;

    HANDLE GetThreadHandle() const { return threadHandle_.get(); }
    unsigned GetThreadId() const { return threadId_; }
    bool IsMessageQueueReady() const { return messageQueueReady_; }

protected:
    // The main loop; false means failure, which the thread logs.  The default
    // hands every posted message to HandleMessage until the quit message.
    virtual bool PerformThreadMain();

    // One message of the default main loop; false ends the loop as a failure.
    virtual bool HandleMessage(MSG* message);

    // Clean-up after the thread has ended: closes the handle, clears the id
    // and the flags.
    virtual void OnThreadEnd();

public:
    virtual ~ZelkThread();

private:
    static unsigned __stdcall ThreadProc(void* argument);
    void RunThreadMain();
    void PostQuit();

    std::unique_ptr<void, decltype(&::CloseHandle)> threadHandle_;
    unsigned threadId_;
    ZelkCriticalSection threadLock_;
    bool createMessageQueue_;
    bool autoDelete_;
    std::atomic<bool> messageQueueReady_;
    // Set when Stop had to terminate the thread: the thread lock may then be
    // held by the dead thread for good, and is not taken again.
    bool terminated_;
};

}  // namespace zelk
