// The exception type and the error log it is written to.
#include <gtest/gtest.h>

#include <windows.h>

#include <d3d9.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "common/TestDirectory.h"
#include "framework/ZelkException.h"

using zelk::WriteErrorLog;
using zelk::ZelkException;

namespace {

std::vector<std::string> LogLines()
{
    std::istringstream in(zelktest::ReadFileText(zelk::kErrorLogFileName));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

TEST(ZelkException, EntryHasTheSixLines)
{
    ZelkException failure("ZelkD3D::CreateD3DDevice", D3DERR_INVALIDCALL,
                          "The function [ IDirect3D9::CreateDevice ] failed.");
    EXPECT_EQ(failure.returnValue.result, D3DERR_INVALIDCALL);
    EXPECT_EQ(failure.logged, 0);
    WriteErrorLog(failure);
    EXPECT_EQ(failure.logged, 1);

    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d)"))) << lines[0];
    EXPECT_EQ(lines[1], "An exception was thrown from The Zelk Framework Library.");
    EXPECT_EQ(lines[2], "Function name : ZelkD3D::CreateD3DDevice");
    EXPECT_EQ(lines[3], "Return value : D3DERR_INVALIDCALL");
    EXPECT_EQ(lines[4], "Message : The function [ IDirect3D9::CreateDevice ] failed.");
    EXPECT_EQ(lines[5], " ");
}

TEST(ZelkException, BooleanFormWritesTrueOrFalse)
{
    ZelkException no("ZelkGlide::grSstWinOpen", false, "There is no adapter.");
    ZelkException yes("ZelkGlide::grSstWinOpen", true, "The current device is invalid.");
    EXPECT_EQ(no.returnValueText, "false");
    EXPECT_EQ(yes.returnValueText, "true");
    WriteErrorLog(no);
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[3], "Return value : false");
}

TEST(ZelkException, NestedHandlersLogOnce)
{
    try {
        try {
            try {
                throw ZelkException("ZelkEvent::ZelkEvent", E_FAIL, "The function [ WIN32API::CreateEvent ] failed.");
            } catch (ZelkException& e) {
                WriteErrorLog(e);
                throw;
            }
        } catch (ZelkException& e) {
            WriteErrorLog(e);
            throw;
        }
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        ZelkException copy(e);
        EXPECT_EQ(copy.logged, 1);
        WriteErrorLog(copy);
    }
    EXPECT_EQ(LogLines().size(), 6u);
}

TEST(ZelkException, AppendsToAnExistingLog)
{
    {
        std::ofstream earlier(zelk::kErrorLogFileName);
        earlier << "earlier line one\nearlier line two\n";
    }
    ZelkException first("A::First", E_OUTOFMEMORY, "first");
    ZelkException second("B::Second", E_INVALIDARG, "second");
    WriteErrorLog(first);
    WriteErrorLog(second);
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], "earlier line one");
    EXPECT_EQ(lines[1], "earlier line two");
    EXPECT_EQ(lines[4], "Function name : A::First");
    EXPECT_EQ(lines[5], "Return value : E_OUTOFMEMORY");
    EXPECT_EQ(lines[10], "Function name : B::Second");
    EXPECT_EQ(lines[13], " ");
}

TEST(ZelkException, UnwritableLogLosesTheEntryQuietly)
{
    ASSERT_TRUE(CreateDirectoryA(zelk::kErrorLogFileName, nullptr));
    ZelkException failure("A::B", E_FAIL, "lost");
    WriteErrorLog(failure);
    EXPECT_EQ(failure.logged, 1);
    RemoveDirectoryA(zelk::kErrorLogFileName);

    // Marked logged: a later handler writes nothing, even now that it could.
    WriteErrorLog(failure);
    EXPECT_EQ(GetFileAttributesA(zelk::kErrorLogFileName), INVALID_FILE_ATTRIBUTES);
}

TEST(ZelkException, Win32LastErrorBecomesAnHResult)
{
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(zelk::HResultFromLastError(), static_cast<HRESULT>(0x80070005));
    SetLastError(0);
    ZelkException none = zelk::ZelkWin32Exception("ZelkEvent::ZelkEvent", "The function [ WIN32API::CreateEvent ] failed.");
    EXPECT_EQ(none.returnValue.result, 0);
    // Only the low 16 bits of the error take part.
    SetLastError(0x12345);
    EXPECT_EQ(zelk::HResultFromLastError(), static_cast<HRESULT>(0x80072345));
}
