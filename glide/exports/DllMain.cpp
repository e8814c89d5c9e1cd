#include <windows.h>

#include "glide/ZelkModule.h"

// Library attach records the module (its resources hold the shader sources)
// and turns off thread notifications; nothing of Glide is created here.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH) {
        zelk::SetModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
