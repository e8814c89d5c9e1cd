#pragma once

#include <windows.h>

namespace zelk {

// The wrapper library's own module, recorded at library attach; the shader
// sources are found among its resources.
HINSTANCE GetModuleInstance();
void SetModuleInstance(HINSTANCE instance);

}  // namespace zelk
