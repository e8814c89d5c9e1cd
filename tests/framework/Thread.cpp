// The thread wrapper: start, message loop, orderly and forced ends, and the
// failures of a main loop, which are logged and end only the thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "common/TestDirectory.h"
#include "framework/ZelkEvent.h"
#include "framework/ZelkException.h"
#include "framework/ZelkThread.h"

using zelk::ZelkEvent;
using zelk::ZelkException;
using zelk::ZelkThread;

namespace {

const char* const kEntryHeadline = "An exception was thrown from The Zelk Framework Library.";
const UINT kFirstTestMessage = 0x1421;
const UINT kSecondTestMessage = 0x1422;
const UINT kRefusedMessage = 0x1423;

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// True when the log holds the line (text mode writes CR LF line ends).
bool HasLine(const std::string& log, const std::string& line)
{
    return log.find(line + "\r\n") != std::string::npos || log.find(line + "\n") != std::string::npos;
}

std::string Log()
{
    return zelktest::ReadFileText(zelk::kErrorLogFileName);
}

// Milliseconds that a call takes.
template <typename Call>
DWORD Duration(Call call)
{
    const DWORD start = GetTickCount();
    call();
    return GetTickCount() - start;
}

enum class MainLoop { Default, ReturnTrue, ReturnFalse, ThrowZelk, ThrowOther, IgnoreQuit };

// A thread created suspended whose main loop does what the test says.
class ScriptedThread : public ZelkThread {
public:
    explicit ScriptedThread(MainLoop loop, bool autoDelete = false, std::atomic<bool>* destroyed = nullptr)
        : ZelkThread(autoDelete, true, CREATE_SUSPENDED), loop_(loop), destroyed_(destroyed)
    {
    }

    ~ScriptedThread() override
    {
        Stop();
        if (destroyed_ != nullptr) {
            *destroyed_ = true;
        }
    }

    void Resume() { ResumeThread(GetThreadHandle()); }

    // Posts to the thread once its queue exists.
    void Post(UINT message)
    {
        while (!IsMessageQueueReady()) {
            Sleep(1);
        }
        ASSERT_TRUE(PostThreadMessageA(GetThreadId(), message, 0, 0));
    }

    std::atomic<int> mainResult{-1};
    std::atomic<bool> queueReadyInMain{false};
    std::atomic<int> quitMessages{0};
    std::vector<UINT> handled;  // read once the thread has ended
    std::atomic<int> handledCount{0};
    ZelkEvent handledEvent{false, false};

protected:
    bool PerformThreadMain() override
    {
        queueReadyInMain = IsMessageQueueReady();
        switch (loop_) {
        case MainLoop::Default:
            mainResult = ZelkThread::PerformThreadMain();
            return mainResult != 0;
        case MainLoop::ReturnTrue:
            return true;
        case MainLoop::ReturnFalse:
            return false;
        case MainLoop::ThrowZelk:
            throw ZelkException("ScriptedThread::PerformThreadMain", static_cast<HRESULT>(E_INVALIDARG),
                "The parameter [ int test ] is invalid.");
        case MainLoop::ThrowOther:
            throw 42;
        case MainLoop::IgnoreQuit:
            for (;;) {
                MSG message;
                while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                    if (message.message == WM_QUIT) {
                        ++quitMessages;
                    }
                }
                Sleep(5);
            }
        }
        return false;
    }

    bool HandleMessage(MSG* message) override
    {
        handled.push_back(message->message);
        ++handledCount;
        SetEvent(handledEvent.Handle());
        return message->message != kRefusedMessage;
    }

private:
    MainLoop loop_;
    std::atomic<bool>* destroyed_;
};

}  // namespace

TEST(ThreadTest, DefaultLoopEndsOnQuitWithoutTermination)
{
    // Suspended with a forced queue, as the renderer builds its worker, and
    // stopped before it ever ran: Stop resumes it and it ends on the quit
    // message.
    ScriptedThread suspended(MainLoop::Default);
    EXPECT_NE(suspended.GetThreadHandle(), nullptr);
    EXPECT_NE(suspended.GetThreadId(), 0u);
    EXPECT_LT(Duration([&] { suspended.Stop(); }), 3000u);
    EXPECT_EQ(suspended.mainResult, 1);
    EXPECT_TRUE(suspended.queueReadyInMain);
    EXPECT_EQ(suspended.GetThreadHandle(), nullptr);
    EXPECT_EQ(suspended.GetThreadId(), 0u);

    // Running at once, its queue made only by the loop's own wait: the
    // first quit posts may fail and are retried.
    ZelkThread running(false, false);
    EXPECT_LT(Duration([&] { running.Stop(); }), 3000u);
    EXPECT_EQ(running.GetThreadHandle(), nullptr);

    EXPECT_EQ(Log(), "");
}

TEST(ThreadTest, HandleMessageReceivesEveryPostedMessage)
{
    ScriptedThread thread(MainLoop::Default);
    thread.Resume();
    // Two messages posted back to back are both handled, in order.
    thread.Post(kFirstTestMessage);
    thread.Post(kSecondTestMessage);
    for (int i = 0; i < 100 && thread.handledCount < 2; ++i) {
        thread.handledEvent.Wait(20);
    }
    thread.Stop();
    EXPECT_EQ(thread.handled, (std::vector<UINT>{kFirstTestMessage, kSecondTestMessage}));
    EXPECT_EQ(thread.mainResult, 1);
    EXPECT_EQ(Log(), "");
}

struct LoopFailure {
    MainLoop loop;
    UINT message;  // posted to the thread when not 0
    const char* functionName;
    const char* returnValue;
    const char* text;
};

class ThreadFailureTest : public testing::TestWithParam<LoopFailure> {};

TEST_P(ThreadFailureTest, FailingMainLoopIsLoggedAndEndsOnlyTheThread)
{
    const LoopFailure& failure = GetParam();
    ScriptedThread thread(failure.loop);
    thread.Resume();
    if (failure.message != 0) {
        thread.Post(failure.message);
    }
    // The thread ends by itself, normally, and releases its lock, so that
    // Stop does not wait.
    ASSERT_EQ(WaitForSingleObject(thread.GetThreadHandle(), 5000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    ASSERT_TRUE(GetExitCodeThread(thread.GetThreadHandle(), &exitCode));
    EXPECT_EQ(exitCode, 1u);
    EXPECT_LT(Duration([&] { thread.Stop(); }), 1000u);
    EXPECT_EQ(thread.GetThreadHandle(), nullptr);

    const std::string log = Log();
    EXPECT_EQ(CountOf(log, kEntryHeadline), 1u) << log;
    EXPECT_TRUE(HasLine(log, std::string("Function name : ") + failure.functionName)) << log;
    EXPECT_TRUE(HasLine(log, std::string("Return value : ") + failure.returnValue)) << log;
    EXPECT_TRUE(HasLine(log, std::string("Message : ") + failure.text)) << log;
}

INSTANTIATE_TEST_SUITE_P(Loops, ThreadFailureTest,
    testing::Values(
        LoopFailure{MainLoop::ReturnFalse, 0, "ZelkThread::ThreadProc", "E_FAIL",
            "The function [ ZelkThread::PerformThreadMain ] failed."},
        LoopFailure{MainLoop::Default, kRefusedMessage, "ZelkThread::ThreadProc", "E_FAIL",
            "The function [ ZelkThread::PerformThreadMain ] failed."},
        LoopFailure{MainLoop::ThrowZelk, 0, "ScriptedThread::PerformThreadMain", "E_INVALIDARG",
            "The parameter [ int test ] is invalid."},
        LoopFailure{MainLoop::ThrowOther, 0, "ZelkThread::ThreadProc", "E_FAIL",
            "The function [ ZelkThread::PerformThreadMain ] failed."}));

TEST(ThreadTest, StoppingAnEndedThreadOnlyCleansUp)
{
    ScriptedThread thread(MainLoop::ReturnTrue);
    thread.Resume();
    ASSERT_EQ(WaitForSingleObject(thread.GetThreadHandle(), 5000), WAIT_OBJECT_0);
    EXPECT_LT(Duration([&] { thread.Stop(); }), 500u);
    EXPECT_EQ(thread.GetThreadHandle(), nullptr);
    EXPECT_EQ(thread.GetThreadId(), 0u);
    EXPECT_FALSE(thread.IsMessageQueueReady());
    // A second Stop finds nothing to end.
    EXPECT_LT(Duration([&] { thread.Stop(); }), 500u);
    EXPECT_EQ(Log(), "");
}

TEST(ThreadTest, LoopIgnoringQuitIsTerminatedAfterTenSeconds)
{
    ScriptedThread thread(MainLoop::IgnoreQuit);
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread.GetThreadHandle(), GetCurrentProcess(), &copy, 0, FALSE,
        DUPLICATE_SAME_ACCESS));
    thread.Resume();
    // The loop holds the thread lock when it is terminated; neither Stop nor
    // its clean-up may wait for that lock.
    const DWORD duration = Duration([&] { thread.Stop(); });
    EXPECT_GE(duration, 9000u);
    EXPECT_LT(duration, 20000u);
    EXPECT_GE(thread.quitMessages, 50);
    EXPECT_EQ(thread.GetThreadHandle(), nullptr);
    DWORD exitCode = 1;
    EXPECT_TRUE(GetExitCodeThread(copy, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(copy);
    EXPECT_LT(Duration([&] { thread.Stop(); }), 500u);
}

TEST(ThreadTest, SelfDeletingThreadDoesNotWaitForItself)
{
    std::atomic<bool> destroyed{false};
    ScriptedThread* thread = new ScriptedThread(MainLoop::ReturnTrue, true, &destroyed);
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread->GetThreadHandle(), GetCurrentProcess(), &copy, 0, FALSE,
        DUPLICATE_SAME_ACCESS));
    thread->Resume();  // from here on the object belongs to its thread
    EXPECT_EQ(WaitForSingleObject(copy, 3000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    EXPECT_TRUE(GetExitCodeThread(copy, &exitCode));
    EXPECT_EQ(exitCode, 1u);
    EXPECT_TRUE(destroyed);
    CloseHandle(copy);
}

TEST(ThreadTest, ThreadThatCannotStartThrowsLoggedException)
{
    // A security descriptor of an unknown revision is refused in every
    // build; a stack larger than the address space only where the address
    // space is 32 bits wide.
    SECURITY_DESCRIPTOR badDescriptor = {};
    badDescriptor.Revision = 99;
    SECURITY_ATTRIBUTES badSecurity = {sizeof(SECURITY_ATTRIBUTES), &badDescriptor, FALSE};
    struct Case {
        const char* what;
        unsigned stackSize;
        SECURITY_ATTRIBUTES* security;
    };
    std::vector<Case> cases = {{"an unknown security descriptor revision", 0, &badSecurity}};
    if (sizeof(void*) == 4) {
        cases.push_back({"a stack larger than the address space", 0xFFF00000u, nullptr});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t entriesBefore = CountOf(Log(), kEntryHeadline);
        try {
            ZelkThread thread(false, true, 0, c.stackSize, c.security);
            ADD_FAILURE() << "the thread started";
        } catch (ZelkException& e) {
            EXPECT_EQ(e.functionName, "ZelkThread::ZelkThread");
            EXPECT_EQ(e.message, "The function [ _beginthreadex ] failed.");
            EXPECT_LT(e.returnValue.result, 0);
            EXPECT_EQ(e.logged, 1);
        }
        const std::string log = Log();
        EXPECT_EQ(CountOf(log, kEntryHeadline), entriesBefore + 1) << log;
        EXPECT_TRUE(HasLine(log, "Function name : ZelkThread::ZelkThread")) << log;
        EXPECT_TRUE(HasLine(log, "Message : The function [ _beginthreadex ] failed.")) << log;
    }
}
