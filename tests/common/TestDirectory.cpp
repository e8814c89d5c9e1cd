#include "common/TestDirectory.h"

#include <windows.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zelktest {

namespace {

std::string CurrentDirectory()
{
    char buffer[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, buffer);
    return buffer;
}

}  // namespace

TestDirectory::TestDirectory() : previous_(CurrentDirectory())
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;) {
        std::ostringstream name;
        name << temp << "zelktest-" << GetCurrentProcessId() << "-" << GetTickCount() << "-" << ++counter;
        if (CreateDirectoryA(name.str().c_str(), nullptr)) {
            path_ = name.str();
            break;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            throw std::runtime_error("cannot create a test directory");
        }
    }
    SetCurrentDirectoryA(path_.c_str());
}

TestDirectory::~TestDirectory()
{
    SetCurrentDirectoryA(previous_.c_str());
    RemoveTree(path_);
}

void RemoveTree(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") {
                RemoveTree(path + "\\" + name);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

std::string ReadFileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace zelktest
