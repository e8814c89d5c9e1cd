// Unloading Rodoz2o.dll while a window is still open: the unload returns
// promptly (nothing waits for a thread under the loader lock) and the
// window gets its position and size back.
#include <gtest/gtest.h>

#include "common/TestWindow.h"
#include "support/GlideDll.h"

namespace {

DWORD WINAPI Unload(LPVOID module)
{
    FreeLibrary(static_cast<HMODULE>(module));
    return 0;
}

// Unloads on another thread while this one serves its windows' messages;
// false when that takes longer than the limit.
bool UnloadWithin(HMODULE module, DWORD milliseconds)
{
    HANDLE thread = CreateThread(nullptr, 0, &Unload, module, 0, nullptr);
    if (!thread) {
        return false;
    }
    const DWORD start = GetTickCount();
    bool done = false;
    while (!done && GetTickCount() - start < milliseconds) {
        const DWORD waited = MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_ALLINPUT);
        if (waited == WAIT_OBJECT_0) {
            done = true;
        } else {
            zelktest::TestWindow::PumpMessages();
        }
    }
    CloseHandle(thread);
    return done;
}

class GlideUnload : public testing::Test {
protected:
    void TearDown() override { zelktest::RemoveSettings(); }

    bool LoadAndOpen(zelktest::TestWindow& window)
    {
        std::string missing;
        if (!glide.Load(missing)) {
            return false;
        }
        return glide.grSstWinOpen(static_cast<FxU32>(reinterpret_cast<ULONG_PTR>(window.Handle())),
                                  GR_RESOLUTION_1024x768, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                                  GR_ORIGIN_UPPER_LEFT, 2, 1) == FXTRUE;
    }

    zelktest::GlideDll glide;
};

TEST_F(GlideUnload, WithTheWorkerRunningTheUnloadDoesNotWait)
{
    zelktest::SetSetting("primitive rendering", "use background thread", 1);
    zelktest::TestWindow window(1024, 768, "unload");
    ASSERT_TRUE(LoadAndOpen(window));
    glide.grBufferClear(0x00336699, 0, 0xFFFF);
    glide.grBufferSwap(1);
    glide.grSstIdle();
    const HMODULE module = glide.module;
    glide.module = nullptr;
    EXPECT_TRUE(UnloadWithin(module, 5000));
    EXPECT_EQ(GetModuleHandleA("Rodoz2o.dll"), nullptr);
}

TEST_F(GlideUnload, TheUnloadRestoresTheWindow)
{
    zelktest::SetSetting("misc", "adjust owner window", 1);
    zelktest::TestWindow window(300, 200, "unload");
    SetWindowPos(window.Handle(), nullptr, 50, 60, 300, 200, SWP_NOZORDER);
    RECT before;
    GetWindowRect(window.Handle(), &before);
    ASSERT_TRUE(LoadAndOpen(window));
    RECT during;
    GetWindowRect(window.Handle(), &during);
    EXPECT_EQ(during.left, 0);
    const HMODULE module = glide.module;
    glide.module = nullptr;
    EXPECT_TRUE(UnloadWithin(module, 5000));
    RECT after;
    GetWindowRect(window.Handle(), &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right, before.right);
    EXPECT_EQ(after.bottom, before.bottom);
}

}  // namespace

namespace {

TEST(GlideUnloadWithoutWindow, TheFrontEndGoesWithTheLibrary)
{
    zelktest::GlideDll glide;
    std::string missing;
    ASSERT_TRUE(glide.Load(missing)) << missing;
    glide.grGlideInit();
    GrHwConfiguration hw;
    ASSERT_EQ(glide.grSstQueryHardware(&hw), FXTRUE);  // creates the Direct3D object
    const HMODULE module = glide.module;
    glide.module = nullptr;
    EXPECT_TRUE(UnloadWithin(module, 5000));
    EXPECT_EQ(GetModuleHandleA("Rodoz2o.dll"), nullptr);
}

}  // namespace

namespace {

const char* const kChildVariable = "ZELK_GLIDE_EXIT_CHILD";

// Run in a child process only: leaves the window open, the worker running,
// and lets the process end.
TEST(GlideProcessExit, Child)
{
    if (!GetEnvironmentVariableA(kChildVariable, nullptr, 0)) {
        GTEST_SKIP() << "runs in the child process of WithTheWindowOpenEndsCleanly";
    }
    zelktest::SetSetting("primitive rendering", "use background thread", 1);
    static zelktest::TestWindow window(1024, 768, "exit");
    zelktest::GlideDll glide;
    std::string missing;
    ASSERT_TRUE(glide.Load(missing)) << missing;
    ASSERT_EQ(glide.grSstWinOpen(static_cast<FxU32>(reinterpret_cast<ULONG_PTR>(window.Handle())),
                                 GR_RESOLUTION_1024x768, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2,
                                 1),
              FXTRUE);
    zelktest::RemoveSettings();
    glide.grBufferClear(0x00336699, 0, 0xFFFF);
    glide.grBufferSwap(1);
}

TEST(GlideProcessExit, WithTheWindowOpenEndsCleanly)
{
    char path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    std::string command = std::string("\"") + path + "\" --gtest_filter=GlideProcessExit.Child";
    SetEnvironmentVariableA(kChildVariable, "1");
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const BOOL started =
        CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableA(kChildVariable, nullptr);
    ASSERT_TRUE(started);
    const DWORD waited = WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 1;
    if (waited != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
    }
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(waited, WAIT_OBJECT_0) << "the process did not end";
    EXPECT_EQ(code, 0u);
    zelktest::RemoveSettings();
}

}  // namespace
