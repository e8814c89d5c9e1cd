#include <windows.h>

#include "glide/ZelkGlide.h"
#include "glide/ZelkModule.h"

// Library attach records the module (its resources hold the shader sources)
// and turns off thread notifications; nothing of Glide is created here.
// Detach at process exit (reserved not null) leaves everything to the
// system; a dynamic unload destroys the front end.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        zelk::SetModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        zelk::DetachGlide(reserved != nullptr);
    }
    return TRUE;
}
