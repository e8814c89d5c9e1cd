#include "common/TestSettingsKey.h"

#include <gtest/gtest.h>

#include <vector>

namespace zelktest {

const char* const kSettingsRoot = "Software\\zelkGlide";

namespace {

// An open key, closed when the holder goes.
class Key {
public:
    Key() = default;
    ~Key()
    {
        if (key_) {
            RegCloseKey(key_);
        }
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    LONG Open(HKEY parent, const std::string& path, REGSAM access)
    {
        return RegOpenKeyExA(parent, path.c_str(), 0, access, &key_);
    }
    LONG Create(const std::string& path)
    {
        return RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                               nullptr, &key_, nullptr);
    }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

void WriteValue(const std::string& path, const std::string& name, DWORD type, const void* data, DWORD size)
{
    Key key;
    ASSERT_EQ(key.Create(path), ERROR_SUCCESS) << path;
    ASSERT_EQ(RegSetValueExA(key.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS)
        << path << " " << name;
}

void DeleteTree(HKEY parent, const std::string& name)
{
    {
        Key key;
        if (key.Open(parent, name, KEY_READ | KEY_WRITE) != ERROR_SUCCESS) {
            return;
        }
        std::vector<std::string> children;
        for (DWORD i = 0;; ++i) {
            char child[256];
            DWORD size = sizeof(child);
            if (RegEnumKeyExA(key.Get(), i, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
                break;
            }
            children.emplace_back(child, size);
        }
        for (const std::string& child : children) {
            DeleteTree(key.Get(), child);
        }
    }
    RegDeleteKeyA(parent, name.c_str());
}

}  // namespace

std::optional<DWORD> ReadHkcuValue(const std::string& path, const std::string& name)
{
    Key key;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (key.Open(HKEY_CURRENT_USER, path, KEY_READ) != ERROR_SUCCESS ||
        RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

void WriteHkcuValue(const std::string& path, const std::string& name, DWORD value)
{
    WriteValue(path, name, REG_DWORD, &value, sizeof(value));
}

void WriteHkcuString(const std::string& path, const std::string& name, const std::string& value)
{
    WriteValue(path, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

std::map<std::string, DWORD> HkcuValues(const std::string& path)
{
    std::map<std::string, DWORD> values;
    Key key;
    if (key.Open(HKEY_CURRENT_USER, path, KEY_READ) != ERROR_SUCCESS) {
        return values;
    }
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof(name);
        DWORD data = 0;
        DWORD dataLength = sizeof(data);
        DWORD type = 0;
        if (RegEnumValueA(key.Get(), index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(&data),
                          &dataLength) != ERROR_SUCCESS) {
            break;
        }
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << path << " " << name;
        values[name] = data;
    }
    return values;
}

bool HkcuKeyExists(const std::string& path)
{
    Key key;
    return key.Open(HKEY_CURRENT_USER, path, KEY_READ) == ERROR_SUCCESS;
}

void DeleteHkcuTree(const std::string& path)
{
    DeleteTree(HKEY_CURRENT_USER, path);
}

}  // namespace zelktest
