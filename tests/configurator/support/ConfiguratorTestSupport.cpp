#include "ConfiguratorTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>

#include "configurator/ZelkGrPageModel.h"

namespace zelktest {

namespace {

std::string UniqueName()
{
    static std::atomic<unsigned> counter{0};
    return "test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
}

}  // namespace

RegistryRoot::RegistryRoot() : path_(std::string(kSettingsRoot) + "\\" + UniqueName())
{
    if (key_.Create(HKEY_CURRENT_USER, path_.c_str()) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot create " << path_;
    }
}

RegistryRoot::~RegistryRoot()
{
    key_.Close();
    DeleteHkcuTree(path_);
    // The parent goes too when the tests made it and nothing else is in it.
    zelk::ZelkRegKey parent;
    if (parent.Open(HKEY_CURRENT_USER, kSettingsRoot) == ERROR_SUCCESS) {
        DWORD subkeys = 0;
        DWORD values = 0;
        RegQueryInfoKeyA(parent.Handle(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr);
        parent.Close();
        if (subkeys == 0 && values == 0) {
            RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsRoot);
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

void RegistryRoot::Write(const std::string& subkey, const std::map<std::string, DWORD>& values) const
{
    for (const auto& value : values) {
        Write(subkey, value.first, value.second);
    }
}

std::map<std::string, DWORD> RegistryRoot::Values(const std::string& subkey) const
{
    return HkcuValues(path_ + "\\" + subkey);
}

bool RegistryRoot::HasSubkey(const std::string& subkey) const
{
    return HkcuKeyExists(path_ + "\\" + subkey);
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
