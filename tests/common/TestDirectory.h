#pragma once

#include <string>

namespace zelktest {

// Creates a unique empty directory under the temporary folder, makes it the
// working directory, and on destruction returns to the previous working
// directory and removes the directory with everything in it.
class TestDirectory {
public:
    TestDirectory();
    ~TestDirectory();
    TestDirectory(const TestDirectory&) = delete;
    TestDirectory& operator=(const TestDirectory&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

// Removes a file or a directory tree; missing paths are fine.
void RemoveTree(const std::string& path);

// The whole content of a file, or an empty string when it cannot be read.
std::string ReadFileText(const std::string& path);

}  // namespace zelktest
