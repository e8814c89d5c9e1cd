#pragma once

// Shared by the configurator's tests: a registry root of their own under
// HKCU\Software\zelkGlide (removed afterwards), value reads and writes by
// path, and the enumeration built through the Direct3D proxy.
#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "common/TestSettingsKey.h"
#include "configurator/ZelkGrPageModel.h"
#include "framework/ZelkD3D.h"
#include "framework/ZelkRegKey.h"

namespace zelktest {

// HKCU\Software\zelkGlide\<unique name>, open as the pages' root key for the
// object's life; the whole subtree is removed afterwards.
class RegistryRoot {
public:
    RegistryRoot();
    ~RegistryRoot();
    RegistryRoot(const RegistryRoot&) = delete;
    RegistryRoot& operator=(const RegistryRoot&) = delete;

    zelk::ZelkRegKey* Key() { return &key_; }
    // The root's path under HKEY_CURRENT_USER.
    const std::string& Path() const { return path_; }

    // A value of a subkey of the root; nullopt when missing.
    std::optional<DWORD> Read(const std::string& subkey, const std::string& name) const;
    void Write(const std::string& subkey, const std::string& name, DWORD value) const;
    // Writes every value of the map, by name.
    void Write(const std::string& subkey, const std::map<std::string, DWORD>& values) const;
    // Every value of a subkey, by name.
    std::map<std::string, DWORD> Values(const std::string& subkey) const;
    bool HasSubkey(const std::string& subkey) const;

private:
    std::string path_;
    zelk::ZelkRegKey key_;
};

// Destroys the enumeration singleton before and after a test.
struct EnumerationReset {
    EnumerationReset() { zelk::ZelkD3D::DestroyD3D(); }
    ~EnumerationReset() { zelk::ZelkD3D::DestroyD3D(); }
};

// Labels of a combo state's items, in order.
std::string JoinLabels(const zelk::ZelkControlState& state);

}  // namespace zelktest
