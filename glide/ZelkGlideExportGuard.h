#pragma once

// The guard every export of Rodoz2o.dll puts around its body.  A Glide
// program is a C program: an exception that reached it would end the
// process.  The guard catches everything, makes sure the failure is in the
// error log, and returns the Glide failure value (FXFALSE, 0 or a null
// pointer; nothing for a function without a result).
#include <exception>
#include <new>
#include <type_traits>

#include <comdef.h>

#include "framework/ZelkException.h"
#include "glideapi/Glide2Types.h"

namespace zelk {

// Logs a failure that is not a ZelkException under the export's name.
void LogForeignExportFailure(const char* exportName, HRESULT result, const char* what) noexcept;

template <typename Result>
Result GlideFailureValue()
{
    if constexpr (std::is_void_v<Result>) {
        return;
    } else {
        return Result{};
    }
}

template <typename Result, typename Body>
Result GuardGlideCall(const char* exportName, Body&& body) noexcept
{
    try {
        return body();
    } catch (ZelkException& e) {
        WriteErrorLog(e);
    } catch (_com_error& e) {
        LogForeignExportFailure(exportName, e.Error(), "A COM error was raised.");
    } catch (std::bad_alloc&) {
        LogForeignExportFailure(exportName, E_OUTOFMEMORY, "Out of memory.");
    } catch (std::exception& e) {
        LogForeignExportFailure(exportName, E_FAIL, e.what());
    } catch (...) {
        LogForeignExportFailure(exportName, E_UNEXPECTED, "An unknown exception was raised.");
    }
    return GlideFailureValue<Result>();
}

// The stdcall entry point of one body: ZelkGlideExport<&body, name>::Call.
template <auto Body, const char* Name>
struct ZelkGlideExport;

template <typename Result, typename... Args, Result (*Body)(Args...), const char* Name>
struct ZelkGlideExport<Body, Name> {
    static Result FX_CALL Call(Args... args) noexcept
    {
        return GuardGlideCall<Result>(Name, [&]() -> Result { return Body(args...); });
    }
};

}  // namespace zelk
