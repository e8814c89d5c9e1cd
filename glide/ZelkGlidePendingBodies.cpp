#include "glide/ZelkGlidePendingBodies.h"

#include <string>

namespace zelk {

void LogPendingBody(const char* name, bool& logged) noexcept
{
    if (logged) {
        return;
    }
    logged = true;
    try {
        ZelkException exception(std::string("zelk::glidebody::") + name, false,
                                "The function is not available in this build.");
        WriteErrorLog(exception);
    } catch (...) {
    }
}

}  // namespace zelk
