// Test entry point: every test runs in a fresh temporary working directory
// (the error log is written to the working directory), which is removed
// afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "common/TestDirectory.h"

namespace {

class FreshDirectoryListener : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo&) override { dir_ = std::make_unique<zelktest::TestDirectory>(); }
    void OnTestEnd(const testing::TestInfo&) override { dir_.reset(); }

private:
    std::unique_ptr<zelktest::TestDirectory> dir_;
};

}  // namespace

int main(int argc, char** argv)
{
    // Keep Windows' error boxes away from a display nobody watches.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FreshDirectoryListener);
    return RUN_ALL_TESTS();
}
