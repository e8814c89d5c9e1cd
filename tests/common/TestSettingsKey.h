#pragma once

// Registry values under HKEY_CURRENT_USER by path, for the tests that write
// settings for the library or the configurator and check what was stored.
// Every value is a DWORD, as in the settings tree.
#include <windows.h>

#include <map>
#include <optional>
#include <string>

namespace zelktest {

// The settings tree's key under HKEY_CURRENT_USER.
extern const char* const kSettingsRoot;

// A value under an HKCU path; nullopt when the key or the value is missing
// or the value is longer than four bytes.
std::optional<DWORD> ReadHkcuValue(const std::string& path, const std::string& name);
// Writes a value, creating the key and its parents; a failure fails the test.
void WriteHkcuValue(const std::string& path, const std::string& name, DWORD value);
void WriteHkcuString(const std::string& path, const std::string& name, const std::string& value);
// Every value of a key, by name (each expected to be a DWORD).
std::map<std::string, DWORD> HkcuValues(const std::string& path);
bool HkcuKeyExists(const std::string& path);
// Removes a key with everything below it; a missing key is fine.
void DeleteHkcuTree(const std::string& path);

}  // namespace zelktest
