#include "GlideRegistry.h"

#include <vector>

namespace zelktest {

namespace {

const char* const kRoot = "Software\\zelkGlide";

void DeleteTree(HKEY parent, const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, name, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) {
        return;
    }
    std::vector<std::string> children;
    char child[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof(child);
        if (RegEnumKeyExA(key, i, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        children.emplace_back(child, size);
    }
    for (const std::string& c : children) {
        DeleteTree(key, c.c_str());
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, name);
}

HKEY CreateSubkey(const char* subkey)
{
    const std::string path = std::string(kRoot) + "\\" + subkey;
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    return key;
}

}  // namespace

GlideRegistry::GlideRegistry() { RemoveAll(); }
GlideRegistry::~GlideRegistry() { RemoveAll(); }

void GlideRegistry::RemoveAll() { DeleteTree(HKEY_CURRENT_USER, kRoot); }

void GlideRegistry::SetDword(const char* subkey, const char* name, std::uint32_t value)
{
    HKEY key = CreateSubkey(subkey);
    const DWORD data = value;
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
    RegCloseKey(key);
}

void GlideRegistry::SetString(const char* subkey, const char* name, const std::string& value)
{
    HKEY key = CreateSubkey(subkey);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

}  // namespace zelktest
