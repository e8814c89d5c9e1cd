#include "glide/ZelkGlideExportGuard.h"

namespace zelk {

void LogForeignExportFailure(const char* exportName, HRESULT result, const char* what) noexcept
{
    try {
        ZelkException exception(exportName ? exportName : "", result, what ? what : "");
        WriteErrorLog(exception);
    } catch (...) {
        // Nothing more can be done: the log itself could not be written.
    }
}

}  // namespace zelk
