// The DLL loads by its Glide runtime name and unloads cleanly.
#include <gtest/gtest.h>

#include <windows.h>

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
