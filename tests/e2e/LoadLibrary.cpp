// The DLL loads by its Glide runtime name, names itself "Rodoz2o.dll" in its
// export directory, exports only Glide entry points, and unloads cleanly.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "glideapi/Glide2.h"
#include "support/GlideDll.h"

namespace {

struct ExportDirectory {
    std::string moduleName;
    std::vector<std::string> names;
};

ExportDirectory ReadExportDirectory(HMODULE module)
{
    ExportDirectory result;
    const BYTE* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (entry.VirtualAddress == 0) {
        return result;
    }
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    result.moduleName = reinterpret_cast<const char*>(base + exports->Name);
    const auto* nameTable = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        result.names.emplace_back(reinterpret_cast<const char*>(base + nameTable[i]));
    }
    return result;
}

std::set<std::string> GlideExportNames()
{
    std::set<std::string> names;
#define ADD_STDCALL(returnType, name, parameters, bytes) names.insert(ZELK_GLIDE_EXPORT_NAME(name, bytes));
#define ADD_DECORATED(returnType, name, parameters, bytes, decoratedName) names.insert(decoratedName);
    ZELK_GLIDE_FUNCTIONS(ADD_STDCALL)
    ZELK_GLIDE_INTERFACE_ONLY_FUNCTIONS(ADD_STDCALL)
    if (zelktest::kDecoratedExports) {
        ZELK_GLIDE_DECORATED_FUNCTIONS(ADD_DECORATED)
    }
#undef ADD_DECORATED
#undef ADD_STDCALL
    return names;
}

}  // namespace

TEST(Rodoz2oDll, LoadsByNameAndUnloads)
{
    HMODULE module = LoadLibraryA("Rodoz2o.dll");
    ASSERT_NE(module, nullptr) << "LoadLibrary failed with " << GetLastError();
    char path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(module, path, MAX_PATH), 0u);
    EXPECT_NE(std::string(path).find("Rodoz2o.dll"), std::string::npos) << path;
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(GetModuleHandleA("Rodoz2o.dll"), nullptr);
}

TEST(Rodoz2oDll, ExportsOnlyGlideEntryPointsUnderItsModuleName)
{
    HMODULE module = LoadLibraryA("Rodoz2o.dll");
    ASSERT_NE(module, nullptr);
    const ExportDirectory directory = ReadExportDirectory(module);
    EXPECT_EQ(directory.moduleName, "Rodoz2o.dll");
    const std::set<std::string> glide = GlideExportNames();
    for (const std::string& name : directory.names) {
        EXPECT_EQ(glide.count(name), 1u) << "unexpected export " << name;
        EXPECT_NE(GetProcAddress(module, name.c_str()), nullptr) << name;
    }
    FreeLibrary(module);
}

TEST(Rodoz2oDll, ExportsEveryGlideEntryPointByName)
{
    HMODULE module = LoadLibraryA("Rodoz2o.dll");
    ASSERT_NE(module, nullptr);
    const std::set<std::string> glide = GlideExportNames();
    EXPECT_EQ(glide.size(), zelktest::kDecoratedExports ? 139u : 121u);
    for (const std::string& name : glide) {
        EXPECT_NE(GetProcAddress(module, name.c_str()), nullptr) << "missing export " << name;
    }
    EXPECT_EQ(ReadExportDirectory(module).names.size(), glide.size());
    FreeLibrary(module);
}
