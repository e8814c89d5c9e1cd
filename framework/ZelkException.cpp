#include "framework/ZelkException.h"

#include <dxerr9.h>

#include <ctime>
#include <fstream>
#include <mutex>

namespace zelk {

const char* const kErrorLogFileName = "vezoRerez.log";

namespace {

const char* const kLogHeadline = "An exception was thrown from The Zelk Framework Library.";
const char* const kLogFunctionName = "Function name : ";
const char* const kLogReturnValue = "Return value : ";
const char* const kLogMessage = "Message : ";
const char* const kLogSeparator = " ";

// Keeps the six lines of one entry together when two threads fail at once.
std::mutex& LogLock()
{
    static std::mutex lock;
    return lock;
}

// "MM/DD/YY HH:MM:SS", the forms of the C runtime's _strdate and _strtime.
std::string LocalDateTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm local = {};
    if (const std::tm* converted = std::localtime(&now)) {
        local = *converted;
    }
    char text[32] = {};
    std::strftime(text, sizeof text, "%m/%d/%y %H:%M:%S", &local);
    return text;
}

}  // namespace

ZelkException::ZelkException(const std::string& functionName, HRESULT result, const std::string& message)
    : functionName(functionName), message(message), logged(0)
{
    returnValue.result = result;
    if (const char* name = DXGetErrorString9A(result)) {
        returnValueText = name;
    }
}

ZelkException::ZelkException(const std::string& functionName, bool result, const std::string& message)
    : functionName(functionName), returnValueText(result ? "true" : "false"), message(message), logged(0)
{
    returnValue.result = 0;
    returnValue.boolean = result;
}

ZelkException::~ZelkException() = default;

HRESULT HResultFromLastError()
{
    const DWORD error = GetLastError();
    if (error == 0) {
        return 0;
    }
    return static_cast<HRESULT>((error & 0xFFFF) | 0x80070000u);
}

ZelkException ZelkWin32Exception(const std::string& functionName, const std::string& message)
{
    return ZelkException(functionName, HResultFromLastError(), message);
}

void WriteErrorLog(ZelkException& exception)
{
    if (exception.logged) {
        return;
    }
    try {
        const std::string when = LocalDateTime();
        std::lock_guard<std::mutex> hold(LogLock());
        std::ofstream log(kErrorLogFileName, std::ios::out | std::ios::app);
        log << when << std::endl;
        log << kLogHeadline << std::endl;
        log << kLogFunctionName << exception.functionName << std::endl;
        log << kLogReturnValue << exception.returnValueText << std::endl;
        log << kLogMessage << exception.message << std::endl;
        log << kLogSeparator << std::endl;
    } catch (...) {
        // A log that cannot be written loses the entry; the failure being
        // logged matters more than the log.
    }
    exception.logged = 1;
}

}  // namespace zelk
