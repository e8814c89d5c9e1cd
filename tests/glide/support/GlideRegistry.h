#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace zelktest {

// Writes settings under HKEY_CURRENT_USER\Software\zelkGlide and removes the
// whole tree again when it goes (and when it is made, so that every test
// starts without settings).
class GlideRegistry {
public:
    GlideRegistry();
    ~GlideRegistry();
    GlideRegistry(const GlideRegistry&) = delete;
    GlideRegistry& operator=(const GlideRegistry&) = delete;

    void SetDword(const char* subkey, const char* name, std::uint32_t value);
    void SetString(const char* subkey, const char* name, const std::string& value);
    static void RemoveAll();
};

}  // namespace zelktest
