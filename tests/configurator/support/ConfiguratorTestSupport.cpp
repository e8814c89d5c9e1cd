#include "ConfiguratorTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>

#include "configurator/ZelkGrPageModel.h"

namespace zelktest {

namespace {

const char* const kTestRootParent = "Software\\zelkGlide";

std::string UniqueName()
{
    static std::atomic<unsigned> counter{0};
    return "test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
}

}  // namespace

RegistryRoot::RegistryRoot() : path_(std::string(kTestRootParent) + "\\" + UniqueName())
{
    if (key_.Create(HKEY_CURRENT_USER, path_.c_str()) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot create " << path_;
    }
}

RegistryRoot::~RegistryRoot()
{
    key_.Close();
    zelk::ZelkRegKey parent;
    if (parent.Open(HKEY_CURRENT_USER, kTestRootParent) == ERROR_SUCCESS) {
        parent.DeleteTree(path_.substr(path_.rfind('\\') + 1).c_str());
        // The parent goes too when the tests made it and nothing else is in it.
        DWORD subkeys = 0;
        DWORD values = 0;
        RegQueryInfoKeyA(parent.Handle(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr);
        parent.Close();
        if (subkeys == 0 && values == 0) {
            RegDeleteKeyA(HKEY_CURRENT_USER, kTestRootParent);
        }
    }
}

std::optional<DWORD> RegistryRoot::Read(const std::string& subkey, const std::string& name) const
{
    return ReadHkcuValue(path_ + "\\" + subkey, name);
}

void RegistryRoot::Write(const std::string& subkey, const std::string& name, DWORD value) const
{
    WriteHkcuValue(path_ + "\\" + subkey, name, value);
}

std::map<std::string, DWORD> RegistryRoot::Values(const std::string& subkey) const
{
    return HkcuValues(path_ + "\\" + subkey);
}

bool RegistryRoot::HasSubkey(const std::string& subkey) const
{
    return HkcuKeyExists(path_ + "\\" + subkey);
}

std::optional<DWORD> ReadHkcuValue(const std::string& path, const std::string& name)
{
    zelk::ZelkRegKey key;
    DWORD value = 0;
    if (key.Open(HKEY_CURRENT_USER, path.c_str(), KEY_READ) != ERROR_SUCCESS || !key.ReadDword(name.c_str(), value)) {
        return std::nullopt;
    }
    return value;
}

void WriteHkcuValue(const std::string& path, const std::string& name, DWORD value)
{
    zelk::ZelkRegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, path.c_str()), ERROR_SUCCESS) << path;
    ASSERT_EQ(key.WriteDword(name.c_str(), value), ERROR_SUCCESS) << path << " " << name;
}

std::map<std::string, DWORD> HkcuValues(const std::string& path)
{
    std::map<std::string, DWORD> values;
    zelk::ZelkRegKey key;
    if (key.Open(HKEY_CURRENT_USER, path.c_str(), KEY_READ) != ERROR_SUCCESS) {
        return values;
    }
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof(name);
        DWORD data = 0;
        DWORD dataLength = sizeof(data);
        DWORD type = 0;
        const LONG result = RegEnumValueA(key.Handle(), index, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(&data), &dataLength);
        if (result != ERROR_SUCCESS) {
            break;
        }
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << path << " " << name;
        values[name] = data;
    }
    return values;
}

bool HkcuKeyExists(const std::string& path)
{
    zelk::ZelkRegKey key;
    return key.Open(HKEY_CURRENT_USER, path.c_str(), KEY_READ) == ERROR_SUCCESS;
}

std::string JoinLabels(const zelk::ZelkControlState& state)
{
    std::string joined;
    for (const zelk::ZelkComboItem& item : state.items) {
        if (!joined.empty()) {
            joined += "|";
        }
        joined += item.label;
    }
    return joined;
}

}  // namespace zelktest
