// The guard around every export body: whatever the body throws is logged
// once and turned into the Glide failure value; nothing reaches the caller.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "common/TestDirectory.h"
#include "glide/ZelkGlideExportGuard.h"

namespace {

std::string Log() { return zelktest::ReadFileText("vezoRerez.log"); }

int CountOf(const std::string& text, const std::string& what)
{
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

FxBool ThrowsZelk(int) { throw zelk::ZelkException("Body::ThrowsZelk", false, "The parameter [ x ] is invalid."); }
const char* ThrowsCom() { _com_issue_error(E_POINTER); return "unreached"; }
float ThrowsBadAlloc() { throw std::bad_alloc(); }
void ThrowsStd() { throw std::runtime_error("runtime trouble"); }
FxU32 ThrowsInt() { throw 42; }
int Adds(int a, int b) { return a + b; }

FxBool LoggedTwice()
{
    try {
        ThrowsZelk(0);
    } catch (zelk::ZelkException& e) {
        zelk::WriteErrorLog(e);
        throw;
    }
    return FXTRUE;
}

constexpr char kName[] = "grTestExport";

TEST(ExportGuard, FailuresBecomeTheGlideFailureValueAndAreLogged)
{
    EXPECT_EQ((zelk::ZelkGlideExport<&ThrowsZelk, kName>::Call(1)), FXFALSE);
    EXPECT_EQ((zelk::ZelkGlideExport<&ThrowsCom, kName>::Call()), nullptr);
    EXPECT_EQ((zelk::ZelkGlideExport<&ThrowsBadAlloc, kName>::Call()), 0.0f);
    zelk::ZelkGlideExport<&ThrowsStd, kName>::Call();
    EXPECT_EQ((zelk::ZelkGlideExport<&ThrowsInt, kName>::Call()), 0u);

    const std::string log = Log();
    EXPECT_EQ(CountOf(log, "An exception was thrown from The Zelk Framework Library."), 5) << log;
    EXPECT_EQ(CountOf(log, "Function name : Body::ThrowsZelk"), 1);
    EXPECT_EQ(CountOf(log, "Function name : grTestExport"), 4);
    EXPECT_EQ(CountOf(log, "Return value : E_POINTER"), 1);
    EXPECT_EQ(CountOf(log, "runtime trouble"), 1);
}

TEST(ExportGuard, AnAlreadyLoggedFailureIsNotLoggedAgain)
{
    EXPECT_EQ((zelk::ZelkGlideExport<&LoggedTwice, kName>::Call()), FXFALSE);
    EXPECT_EQ(CountOf(Log(), "Function name : Body::ThrowsZelk"), 1);
}

TEST(ExportGuard, SuccessPassesTheResultAndArgumentsThrough)
{
    using Export = zelk::ZelkGlideExport<&Adds, kName>;
    static_assert(std::is_same_v<decltype(&Export::Call), int(FX_CALL*)(int, int) noexcept>);
    EXPECT_EQ(Export::Call(40, 2), 42);
    EXPECT_EQ(Log(), "");
}

}  // namespace
