// Save failures and their messages, staged on the host where message boxes are only recorded.
#include "ini/FileAccess.h"
#include "ini/IniFile.h"
#include "platform/host/HostTesting.h"
#include "tests/unit/ImmutableFlag.h"
#include "tests/unit/IniTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using initest::ReadBytes;
using initest::WriteBytes;

const char kCreateFailed[] = "Could not create file for writting!";

struct IniSaveFailureTest : ::testing::Test {
    initest::ScratchDirectory scratch;
    CIniFile document;

    void SetUp() override {
        hostsim::ClearMessageBoxes();
        document.SetInt("Settings", "AutoSave", 2);
    }

    // Exactly one box: no owner, caption "Error", the error icon and an OK button.
    void ExpectOneError(const std::string& text) {
        std::vector<hostsim::MessageBoxRecord> boxes = hostsim::MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].owner, nullptr);
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].caption, "Error");
        EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
    }
};

TEST_F(IniSaveFailureTest, SaveWithoutAPathShowsTheNoNameMessage) {
    EXPECT_EQ(document.Save(), 0);
    ExpectOneError("No name specified for saving ini!");
    EXPECT_EQ(document.GetSectionCount(), 1);
}

TEST_F(IniSaveFailureTest, SaveAsWithoutAPathShowsNothing) {
    EXPECT_EQ(document.SaveAs(""), 0);
    EXPECT_EQ(document.SaveAs(nullptr), 0);
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
}

TEST_F(IniSaveFailureTest, TargetThatIsADirectory) {
    std::filesystem::create_directory(scratch.Path("Quillmarsh.ini"));
    WriteBytes(scratch.Path("Quillmarsh.ini") / "inside", "kept");
    EXPECT_EQ(document.SaveAs(scratch.Path("Quillmarsh.ini").string().c_str()), 0);
    ExpectOneError(kCreateFailed);
    EXPECT_TRUE(std::filesystem::is_directory(scratch.Path("Quillmarsh.ini")));
    EXPECT_EQ(ReadBytes(scratch.Path("Quillmarsh.ini") / "inside"), "kept");
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"Quillmarsh.ini"});
}

TEST_F(IniSaveFailureTest, DirectoryThatIsAFile) {
    WriteBytes(scratch.Path("folder"), "not a folder");
    std::string target = (scratch.Path("folder") / "Quillmarsh.ini").string();
    EXPECT_EQ(document.SaveAs(target.c_str()), 0);
    ExpectOneError(kCreateFailed);
    EXPECT_EQ(ReadBytes(scratch.Path("folder")), "not a folder");
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"folder"});
}

// The writes fail halfway (a full disk): the old file must survive byte for byte.
TEST_F(IniSaveFailureTest, FailedWritesLeaveTheOldFile) {
    const std::string old = "[Saves]\r\nold=layout;1;2;\r\n";
    std::string target = scratch.Path("Quillmarsh.ini").string();
    WriteBytes(target, old);
    std::filesystem::create_symlink("/dev/full", target + ".tmp");
    document.SetString("Saves", "new", std::string(100000, 'x').c_str());
    EXPECT_EQ(document.SaveAs(target.c_str()), 0);
    ExpectOneError(kCreateFailed);
    EXPECT_EQ(ReadBytes(target), old);
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"Quillmarsh.ini"});
}

// A scanner or a sync client may hold a leftover "<file>.tmp": the save takes another name and
// still replaces the file, and what a crash left under the other names goes.
TEST_F(IniSaveFailureTest, AHeldTemporaryNameGivesWayAndTheFileIsStillReplaced) {
    std::string target = scratch.Path("Quillmarsh.ini").string();
    WriteBytes(target, "old");
    WriteBytes(target + ".tmp", "held");
    WriteBytes(target + ".2.tmp", "left by a crash");
    initest::ImmutableFlag held(target + ".tmp");
    if (!held.IsSet()) {
        GTEST_SKIP() << "no immutable files here";
    }
    // A write in place would truncate the file this stream still reads.
    std::ifstream before(target, std::ios::binary);
    EXPECT_EQ(document.SaveAs(target.c_str()), 1);
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(before), {}), "old");
    EXPECT_EQ(ReadBytes(target), "[Settings]\r\nAutoSave=2\r\n");
    EXPECT_EQ(scratch.Names(), (std::vector<std::string>{"Quillmarsh.ini", "Quillmarsh.ini.tmp"}));
    held.Clear();
    EXPECT_EQ(document.Save(), 1);
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"Quillmarsh.ini"});
}

// Where every temporary name is taken the save fails and the file keeps its bytes; only a folder
// that takes no new file at all has its file written in place.
TEST_F(IniSaveFailureTest, OnlyAFolderThatTakesNoNewFileHasItsFileWrittenInPlace) {
    std::filesystem::create_directory(scratch.Path("taken"));
    std::string taken = (scratch.Path("taken") / "Quillmarsh.ini").string();
    WriteBytes(taken, "old");
    for (const char* name : {".tmp", ".1.tmp", ".2.tmp", ".3.tmp"}) {
        std::filesystem::create_directory(taken + name);
    }
    EXPECT_EQ(document.SaveAs(taken.c_str()), 0);
    ExpectOneError(kCreateFailed);
    EXPECT_EQ(ReadBytes(taken), "old");

    std::filesystem::create_directory(scratch.Path("protected"));
    std::string target = (scratch.Path("protected") / "Quillmarsh.ini").string();
    WriteBytes(target, "old");
    FileStamp before = StampOf(target.c_str());
    initest::ImmutableFlag folder(scratch.Path("protected").string());
    if (!folder.IsSet()) {
        GTEST_SKIP() << "no immutable folders here";
    }
    EXPECT_EQ(document.SaveAs(target.c_str()), 1);
    EXPECT_EQ(ReadBytes(target), "[Settings]\r\nAutoSave=2\r\n");
    EXPECT_EQ(StampOf(target.c_str()).identity, before.identity);
    EXPECT_EQ(hostsim::MessageBoxes().size(), 1u);
}

TEST_F(IniSaveFailureTest, EverySaveTriesAgainAndReportsAgain) {
    std::filesystem::create_directory(scratch.Path("Quillmarsh.ini"));
    EXPECT_EQ(document.SaveAs(scratch.Path("Quillmarsh.ini").string().c_str()), 0);
    EXPECT_EQ(document.Save(), 0);
    EXPECT_EQ(hostsim::MessageBoxes().size(), 2u);
}

TEST_F(IniSaveFailureTest, AnOverlongPathIsNotCut) {
    std::string shortened = scratch.Path("x").string();
    std::string overlong = shortened + std::string(300, 'x');
    memcpy(document.path, "before.ini", 11);
    EXPECT_EQ(document.SaveAs(overlong.c_str()), 0);
    ExpectOneError(kCreateFailed);
    EXPECT_STREQ(document.path, "before.ini");
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{});
}

// Reading a directory fails after it was opened; nothing is added and the read is not complete.
TEST_F(IniSaveFailureTest, ReadErrorsEndReading) {
    std::string folder = scratch.Path("folder.ini").string();
    std::filesystem::create_directory(folder);
    CIniFile reread;
    memcpy(reread.path, folder.c_str(), folder.size() + 1);
    EXPECT_EQ(reread.Read(), 0);
    EXPECT_EQ(reread.GetSectionCount(), 0);
}

} // namespace
