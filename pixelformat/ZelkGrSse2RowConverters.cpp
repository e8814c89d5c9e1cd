#include "pixelformat/ZelkGrSse2RowConverters.h"

namespace zelk {

bool Sse2RowsAvailable() {
    static const bool available = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("sse2") != 0;
    }();
    return available;
}

}  // namespace zelk
