#include "GlideDll.h"

#include "common/TestDirectory.h"
#include "common/TestSettingsKey.h"

namespace zelktest {

bool GlideDll::Load(std::string& missing)
{
    module = LoadLibraryA("Rodoz2o.dll");
    if (!module) {
        missing = "Rodoz2o.dll";
        return false;
    }
#define ZELK_E2E_FIND(returnType, name, parameters, bytes)                                              \
    name = reinterpret_cast<PFN_##name>(reinterpret_cast<void*>(GetProcAddress(module, ZELK_GLIDE_EXPORT_NAME(name, bytes)))); \
    if (!name) {                                                                                        \
        missing = #name;                                                                                \
        return false;                                                                                   \
    }
#define ZELK_E2E_FIND_DECORATED(returnType, name, parameters, bytes, decorated) \
    name = reinterpret_cast<PFN_##name>(reinterpret_cast<void*>(GetProcAddress(module, decorated)));      \
    if (!name) {                                                                 \
        missing = #name;                                                         \
        return false;                                                            \
    }
    ZELK_GLIDE_FUNCTIONS(ZELK_E2E_FIND)
    ZELK_GLIDE_INTERFACE_ONLY_FUNCTIONS(ZELK_E2E_FIND)
    if (kDecoratedExports) {
        ZELK_GLIDE_DECORATED_FUNCTIONS(ZELK_E2E_FIND_DECORATED)
    }
#undef ZELK_E2E_FIND_DECORATED
#undef ZELK_E2E_FIND
    return true;
}

void GlideDll::Unload()
{
    if (module) {
        FreeLibrary(module);
        module = nullptr;
    }
}

std::string LogText() { return ReadFileText("vezoRerez.log"); }

int LogCount(const std::string& text)
{
    const std::string log = LogText();
    int count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
        ++count;
    }
    return count;
}

int UnexpectedLogEntries()
{
    return LogCount("An exception was thrown") - LogCount("The function [ D3DXCompileShader ] failed.");
}

DWORD ProcessHandleCount()
{
    using Query = BOOL(WINAPI*)(HANDLE, PDWORD);
    static const Query query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetProcessHandleCount")));
    DWORD handles = 0;
    if (query) {
        query(GetCurrentProcess(), &handles);
    }
    return handles + GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) +
           GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
}

void SetSetting(const char* subkey, const char* name, DWORD value)
{
    WriteHkcuValue(std::string(kSettingsRoot) + "\\" + subkey, name, value);
}

void RemoveSettings() { DeleteHkcuTree(kSettingsRoot); }

GrVertex MakeVertex(float x, float y, float r, float g, float b, float a)
{
    GrVertex v = {};
    v.x = x;
    v.y = y;
    v.r = r;
    v.g = g;
    v.b = b;
    v.a = a;
    v.ooz = 65535.0f * 0.5f;
    v.oow = 1.0f;
    return v;
}

}  // namespace zelktest
