#include "framework/ZelkRegKey.h"

#include <string>

namespace zelk {

ZelkRegKey::~ZelkRegKey()
{
    Close();
}

LONG ZelkRegKey::Create(HKEY parent, const char* name, bool* created)
{
    Close();
    HKEY key = nullptr;
    DWORD disposition = 0;
    const LONG result = RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                        nullptr, &key, &disposition);
    if (result == ERROR_SUCCESS) {
        key_ = key;
        if (created) {
            *created = disposition == REG_CREATED_NEW_KEY;
        }
    }
    return result;
}

LONG ZelkRegKey::Open(HKEY parent, const char* name, REGSAM access)
{
    Close();
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExA(parent, name, 0, access, &key);
    if (result == ERROR_SUCCESS) {
        key_ = key;
    }
    return result;
}

void ZelkRegKey::Close()
{
    if (key_) {
        RegCloseKey(key_);
        key_ = nullptr;
    }
}

bool ZelkRegKey::ReadDword(const char* name, DWORD& value) const
{
    if (!key_) {
        return false;
    }
    DWORD buffer = 0;
    DWORD size = sizeof(buffer);
    if (RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&buffer), &size) != ERROR_SUCCESS) {
        return false;
    }
    value = buffer;
    return true;
}

bool ZelkRegKey::ReadFlag(const char* name, bool& value) const
{
    DWORD stored = 0;
    if (!ReadDword(name, stored)) {
        return false;
    }
    value = stored != 0;
    return true;
}

LONG ZelkRegKey::WriteDword(const char* name, DWORD value) const
{
    if (!key_) {
        return ERROR_INVALID_HANDLE;
    }
    return RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

LONG ZelkRegKey::DeleteTree(const char* name) const
{
    if (!key_) {
        return ERROR_INVALID_HANDLE;
    }
    return DeleteRegistryTree(key_, name);
}

LONG DeleteRegistryTree(HKEY parent, const char* name)
{
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &key);
    if (result == ERROR_FILE_NOT_FOUND) {
        return ERROR_SUCCESS;
    }
    if (result != ERROR_SUCCESS) {
        return result;
    }
    // Children first; each deletion shifts the rest down to index 0.
    for (;;) {
        char child[256];
        DWORD length = sizeof(child);
        if (RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        if (DeleteRegistryTree(key, child) != ERROR_SUCCESS) {
            break;
        }
    }
    RegCloseKey(key);
    return RegDeleteKeyA(parent, name);
}

}  // namespace zelk
