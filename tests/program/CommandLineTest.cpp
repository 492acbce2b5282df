// The command line for scripts, on the real program beside the stand-in desktop: carried out alone
// when no copy runs, handed to the running copy when one does; exit codes, the lines a script is
// told, and never a box.
#include "contract/TestDesktop.h"
#include "program/ProgramFolder.h"
#include "program/ProgramTestSupport.h"
#include "program/RunningProgram.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using programtest::Positions;
using programtest::Positions_t;
using programtest::Section;

struct Ended {
    DWORD exitCode;
    std::string told;
    bool showedBox;
};

class CommandLine : public ::testing::Test {
  protected:
    CProgramFolder folder;
    CRunningProgram tray;

    void SetUp() override {
        ASSERT_TRUE(folder.Ready());
        ASSERT_TRUE(testdesktop::Start(
            {{"Recycle Bin", 20, 10}, {"Notes.txt", 100, 10}, {"Photos", 180, 10}}));
    }
    void TearDown() override {
        tray.Kill();
        testdesktop::Stop();
    }

    std::string Settings() const { return ReadWholeFile(folder.SettingsFile()); }

    // One start with the arguments, to its end; what it wrote comes through a pipe. A box would
    // keep it from ending: it is seen, and the start killed.
    Ended Run(const std::string& arguments) {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        Ended ended = {99, "", false};
        if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
            return ended;
        }
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        CRunningProgram start;
        bool started = start.Start(folder.Exe(), arguments, writeEnd);
        CloseHandle(writeEnd);
        DWORD began = GetTickCount();
        while (started && start.Running() && GetTickCount() - began < 30000) {
            if (start.OpenDialogs(nullptr) > 0) {
                ended.showedBox = true;
                start.Kill();
                break;
            }
            Sleep(20);
        }
        if (started && !ended.showedBox) {
            start.WaitForExit(&ended.exitCode);
        }
        char bytes[1024];
        DWORD got = 0;
        while (ReadFile(readEnd, bytes, sizeof bytes, &got, nullptr) && got > 0) {
            ended.told.append(bytes, got);
        }
        CloseHandle(readEnd);
        return ended;
    }

    void ExpectEnds(const std::string& arguments, DWORD code, const std::string& told) {
        Ended ended = Run(arguments);
        EXPECT_FALSE(ended.showedBox) << arguments;
        EXPECT_EQ(ended.exitCode, code) << arguments;
        EXPECT_EQ(ended.told, told + "\r\n") << arguments;
    }
};

TEST_F(CommandLine, ScriptsSaveAndRestoreNamedArrangementsWithAndWithoutARunningCopy) {
    const Positions_t work = Positions();
    // No copy runs: the start does the work itself, without an icon or a start-up snapshot.
    ExpectEnds("/save Work", 0, "Saved \"Work\".");
    const std::string file = Settings();
    EXPECT_EQ(Section(file, "Saves").size(), 1u) << file;
    EXPECT_EQ(Section(file, "SaveKept"), programtest::Entries_t({{"Work", "1"}})) << file;
    EXPECT_TRUE(Section(file, "AutoSaves").empty()) << file;
    ExpectEnds("/undo", 1, "Quill Marsh is not running.");
    ExpectEnds("/bogus", 2,
               "Unknown command line. Use: quillmarsh.exe /save [name] | /restore name | "
               "/restore-newest | /undo | /exit");

    // A copy runs: every command is handed to it.
    ASSERT_TRUE(tray.Start(folder.Exe()));
    ASSERT_NE(tray.WaitForWindow(), nullptr);
    testdesktop::MoveIcon(1, 300, 200);
    ExpectEnds("/restore Work", 0, "Restored \"Work\".");
    EXPECT_EQ(Positions(), work);
    ExpectEnds("/restore Nothing", 1, "No snapshot is named \"Nothing\".");
    ExpectEnds("/exit", 0, "Quill Marsh is closing.");
    DWORD code = 99;
    ASSERT_TRUE(tray.WaitForExit(&code));
    EXPECT_EQ(code, 0u);
}

} // namespace
