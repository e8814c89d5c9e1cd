#pragma once

#include <windows.h>

#include <string>

namespace zelk {

// The one exception type of the library: who threw, the failing call's
// result and its symbolic text, and what failed.  Handlers log it once with
// WriteErrorLog and rethrow the same object.
class ZelkException {
public:
    ZelkException(const std::string& functionName, HRESULT result, const std::string& message);
    ZelkException(const std::string& functionName, bool result, const std::string& message);
    ZelkException(const ZelkException& other) = default;
    ZelkException& operator=(const ZelkException& other) = default;
    virtual ~ZelkException();

    std::string functionName;
    std::string returnValueText;
    std::string message;
    union {
        HRESULT result;
        bool boolean;
    } returnValue;
    unsigned char logged;
};

// The result code of a failed Windows call: the calling thread's last error
// in the Win32 facility with the failure bit, or 0 when there is none.
HRESULT HResultFromLastError();

// Builds the exception for a failed Windows call from the last error.
ZelkException ZelkWin32Exception(const std::string& functionName, const std::string& message);

// Appends the exception's six-line entry to the error log unless it has been
// logged already, then marks it logged.  Never throws.
void WriteErrorLog(ZelkException& exception);

// Runs body and returns what it returns; a ZelkException on its way out is
// logged (once) and rethrown.
template <typename Body>
auto RunLogged(Body body) -> decltype(body())
{
    try {
        return body();
    } catch (ZelkException& exception) {
        WriteErrorLog(exception);
        throw;
    }
}

// Throws the exception for a failed call or a bad parameter.
[[noreturn]] inline void ThrowZelkException(const char* thrower, HRESULT result, const char* message)
{
    throw ZelkException(thrower, result, message);
}

// The error log's file name, in the process's working directory.
extern const char* const kErrorLogFileName;

}  // namespace zelk
