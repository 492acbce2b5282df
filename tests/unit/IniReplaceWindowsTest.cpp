// Reading and replacing under Windows, where another program may hold the settings file open for a
// moment, where paths end at 259 characters and where files and folders may refuse writes. These
// use the quiet forms, which show no message box.
#include "ini/AtomicFile.h"
#include "ini/FileAccess.h"
#include "ini/IniFile.h"
#include "platform/win32.h"
#include "tests/unit/IniTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
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
        return CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
};

// The index of the file that stands at path on its volume, which a write in place keeps and a
// replace does not; 0 when it cannot be read.
uint64_t FileIndexOf(const std::string& path) {
    HANDLE file =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    BY_HANDLE_FILE_INFORMATION information;
    bool read = GetFileInformationByHandle(file, &information) != 0;
    CloseHandle(file);
    return read ? (static_cast<uint64_t>(information.nFileIndexHigh) << 32) |
                      information.nFileIndexLow
                : 0;
}

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

// ---- Reading ---------------------------------------------------------------------------------

// A file held at logon used to read as no file at all, and the next save replaced it.
TEST_F(IniReplaceWindowsTest, ReadTellsAHeldFileFromAMissingOneAndWaitsForABriefHolder) {
    WriteBytes(target, "[Settings]\r\nAutoSave=3\r\n");
    CIniFile document;
    strcpy(document.path, target.c_str());
    HANDLE held = HoldTarget();
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(document.ReadChecked(), kIniReadFailed);
    EXPECT_EQ(document.GetSectionCount(), 0);

    std::thread holder([held] {
        Sleep(200);
        CloseHandle(held);
    });
    EXPECT_EQ(document.ReadChecked(), kIniReadWhole);
    holder.join();
    EXPECT_EQ(document.GetInt("Settings", "AutoSave", 0), 3);

    strcpy(document.path, scratch.Path("absent.ini").string().c_str());
    EXPECT_EQ(document.ReadChecked(), kIniNoFile);
}

// ---- Writing ---------------------------------------------------------------------------------

// For folders of 242 to 245 characters the settings path fitted but "<path>.tmp" did not, and
// every save failed.
TEST_F(IniReplaceWindowsTest, TheLongestPathIsSavedThroughATemporaryNameThatFits) {
    const std::string name = "Quillmarsh.ini";
    std::string folder = scratch.Path("").string();
    size_t remaining = kFilePathUnits - 1 - name.size() - folder.size();
    while (remaining > 0) {
        size_t component = remaining > 102 ? 100 : remaining - 1;
        folder += std::string(component, 'f') + "\\";
        remaining -= component + 1;
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    }
    std::string longest = folder + name;
    ASSERT_EQ(longest.size(), static_cast<size_t>(kFilePathUnits - 1));
    CIniFile document;
    document.SetInt("Settings", "AutoSave", 2);
    strcpy(document.path, longest.c_str());
    EXPECT_EQ(document.SaveQuietly(), kIniSaved);
    EXPECT_EQ(ReadBytes(longest), "[Settings]\r\nAutoSave=2\r\n");
}

// A file marked read-only was retried for a second, as if another program held it.
TEST_F(IniReplaceWindowsTest, AReadOnlyFileIsRefusedAtOnceAndKeepsItsBytes) {
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    CIniFile document;
    document.SetInt("Settings", "AutoSave", 2);
    strcpy(document.path, target.c_str());
    EXPECT_EQ(document.SaveQuietly(), kIniNotWritten);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"Quillmarsh.ini"});
}

// A writable file in a folder that takes no new file: no temporary file can be made beside it.
TEST_F(IniReplaceWindowsTest, AFileThatCannotHaveATemporaryNeighbourIsWrittenInPlace) {
    std::string temporary = target + ".tmp";
    ASSERT_TRUE(CreateDirectoryA(temporary.c_str(), nullptr));
    WriteBytes(temporary + "\\inside", "kept");
    CIniFile document;
    document.SetInt("Settings", "AutoSave", 2);
    strcpy(document.path, target.c_str());
    EXPECT_EQ(document.SaveQuietly(), kIniSaved);
    EXPECT_EQ(ReadBytes(target), "[Settings]\r\nAutoSave=2\r\n");
    EXPECT_EQ(ReadBytes(temporary + "\\inside"), "kept");
}

// A scanner that held a leftover "<file>.tmp" without sharing made the save write the file in
// place, where a crash tears the only copy.
TEST_F(IniReplaceWindowsTest, AHeldTemporaryFileGivesWayToAnotherNameAndTheFileIsReplaced) {
    std::string temporary = target + ".tmp";
    HANDLE held =
        CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    WriteBytes(target + ".2.tmp", "left by a crash");
    uint64_t before = FileIndexOf(target);
    CIniFile document;
    document.SetInt("Settings", "AutoSave", 2);
    strcpy(document.path, target.c_str());
    EXPECT_EQ(document.SaveQuietly(), kIniSaved);
    EXPECT_NE(FileIndexOf(target), before);
    EXPECT_EQ(ReadBytes(target), "[Settings]\r\nAutoSave=2\r\n");
    EXPECT_EQ(scratch.Names(), (std::vector<std::string>{"Quillmarsh.ini", "Quillmarsh.ini.tmp"}));
    CloseHandle(held);
    EXPECT_EQ(document.SaveQuietly(), kIniSaved);
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"Quillmarsh.ini"});
}

// ---- The lock of every copy ---------------------------------------------------------------------

TEST_F(IniReplaceWindowsTest, TheLockIsHeldByOneAtATimeAndLeavesNoFile) {
    std::string lockPath = target + ".lock";
    CFileLock* first = new CFileLock(lockPath.c_str());
    ASSERT_TRUE(first->Acquired());
    bool heldWhileWaiting = false;
    std::thread holder([&] {
        Sleep(300);
        heldWhileWaiting = GetFileAttributesA(lockPath.c_str()) != INVALID_FILE_ATTRIBUTES;
        delete first;
    });
    {
        CFileLock second(lockPath.c_str());
        EXPECT_TRUE(second.Acquired());
    }
    holder.join();
    EXPECT_TRUE(heldWhileWaiting);
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"Quillmarsh.ini"});
}

} // namespace
