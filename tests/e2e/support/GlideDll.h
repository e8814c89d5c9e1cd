#pragma once

// Loads Rodoz2o.dll as a Glide application does and finds every export by
// its exported name; the tests then call them through plain C function
// pointers.
#include <windows.h>

#include <string>

#include "glideapi/Glide2.h"

namespace zelktest {

// The later entry points are exported under the C++ decorations of 32-bit
// programs, by 32-bit builds only; a 64-bit build's GlideDll leaves them null.
#if defined(_WIN64)
constexpr bool kDecoratedExports = false;
#else
constexpr bool kDecoratedExports = true;
#endif

struct GlideDll {
#define ZELK_E2E_MEMBER(returnType, name, parameters, bytes) PFN_##name name = nullptr;
#define ZELK_E2E_DECORATED_MEMBER(returnType, name, parameters, bytes, decorated) PFN_##name name = nullptr;
    ZELK_GLIDE_FUNCTIONS(ZELK_E2E_MEMBER)
    ZELK_GLIDE_INTERFACE_ONLY_FUNCTIONS(ZELK_E2E_MEMBER)
    ZELK_GLIDE_DECORATED_FUNCTIONS(ZELK_E2E_DECORATED_MEMBER)
#undef ZELK_E2E_DECORATED_MEMBER
#undef ZELK_E2E_MEMBER

    HMODULE module = nullptr;

    // Loads the library; false (with the missing name in missing) when the
    // library or an export cannot be found.
    bool Load(std::string& missing);
    void Unload();
};

// The error log of the working directory.
std::string LogText();

// Entries of the error log in the working directory that contain text.
int LogCount(const std::string& text);

// Error-log entries other than a refused vertex-shader variant.  The default
// renderer class converts vertices in vs_1_1 shaders; where this machine's
// shader compiler refuses a variant (Wine's has no log()), that failure is
// logged and the software-transform class draws instead.
int UnexpectedLogEntries();

// The number of handles and GDI objects the process holds.
DWORD ProcessHandleCount();

// Settings under HKEY_CURRENT_USER\Software\zelkGlide, as the configurator
// stores them; RemoveSettings deletes the whole tree.
void SetSetting(const char* subkey, const char* name, DWORD value);
void RemoveSettings();

// A vertex at a screen position with a colour.
GrVertex MakeVertex(float x, float y, float r, float g, float b, float a = 255.0f);

}  // namespace zelktest
