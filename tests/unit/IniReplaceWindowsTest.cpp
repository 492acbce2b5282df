// The replace step under Windows, where another program may hold the settings file open for a
// moment. These use the file's own commit, which shows no message box.
#include "ini/AtomicFile.h"
#include "platform/win32.h"
#include "tests/unit/IniTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using initest::ReadBytes;
using initest::WriteBytes;

struct IniReplaceWindowsTest : ::testing::Test {
    initest::ScratchDirectory scratch;
    std::string target = scratch.Path("Quillmarsh.ini").string();

    void SetUp() override { WriteBytes(target, "old"); }

    // Opened without sharing, as a virus scanner might hold it.
    HANDLE HoldTarget() {
        return CreateFileA(target.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    }
};

TEST_F(IniReplaceWindowsTest, WaitsForABriefHolderToLetGo) {
    HANDLE held = HoldTarget();
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    CAtomicFile file;
    ASSERT_EQ(file.Open(target.c_str()), 1);
    fputs("new", file.Stream());
    std::thread holder([held] {
        Sleep(200);
        CloseHandle(held);
    });
    int committed = file.Commit();
    holder.join();
    EXPECT_EQ(committed, 1);
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"Quillmarsh.ini"});
}

TEST_F(IniReplaceWindowsTest, GivesUpOnAHolderThatStaysAndKeepsTheOldFile) {
    HANDLE held = HoldTarget();
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
        CAtomicFile file;
        ASSERT_EQ(file.Open(target.c_str()), 1);
        fputs("new", file.Stream());
        EXPECT_EQ(file.Commit(), 0);
    }
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"Quillmarsh.ini"});
}

} // namespace
