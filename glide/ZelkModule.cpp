#include "glide/ZelkModule.h"

namespace zelk {

namespace {
HINSTANCE moduleInstance = nullptr;
}

HINSTANCE GetModuleInstance()
{
    return moduleInstance;
}

void SetModuleInstance(HINSTANCE instance)
{
    moduleInstance = instance;
}

}  // namespace zelk
