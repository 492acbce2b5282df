// The real quillmarsh.exe under Wine against the ways it used to lose an arrangement: a settings
// file held by another program when it starts, a desktop without its list view, and saves that
// fail while an "Error" box is open.
#include "contract/TestDesktop.h"
#include "program/ProgramFolder.h"
#include "program/ProgramTestSupport.h"
#include "program/RunningProgram.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using programtest::Entries_t;
using programtest::Section;
using programtest::WaitForNextSecond;
using namespace programtest::commands;
using testdesktop::Icon;

const char kCannotWrite[] = "Could not create file for writting!";
const char kCannotRead[] = "Could not read the desktop icons!";
const char kAutoArranged[] =
    "Auto arrange is on: turn it off in the desktop's View menu to restore icons!";
const UINT kLvmGetItemTextW = 0x1073;

std::vector<Icon> ThreeIcons() {
    return {{"Recycle Bin", 20, 10}, {"Notes.txt", 100, 10}, {"Photos", 180, 10}};
}

std::string TenAutosaves() {
    std::string file = "[Settings]\r\nAutoSave=1\r\n[AutoSaves]\r\n";
    for (int i = 9; i >= 0; i--) {
        file += "2024-02-01 08:0" + std::to_string(i) + ":00 (AutoSave)=Recycle Bin;" +
                std::to_string(i) + ";0;Notes.txt;100;10;Photos;180;10;\r\n";
    }
    return file;
}

class StoreFault : public ::testing::Test {
  protected:
    CProgramFolder folder;
    CRunningProgram program;

    void SetUp() override {
        ASSERT_TRUE(folder.Ready());
        ASSERT_TRUE(testdesktop::Start(ThreeIcons()));
    }
    void TearDown() override {
        program.Kill();
        testdesktop::Stop();
    }

    std::string Settings() const { return ReadWholeFile(folder.SettingsFile()); }

    void StartProgram() {
        ASSERT_TRUE(program.Start(folder.Exe()));
        ASSERT_NE(program.WaitForWindow(), nullptr);
    }

    // The text requests the shell has seen since the last call.
    static size_t TextRequests() {
        size_t texts = 0;
        for (const testdesktop::Request& request : testdesktop::TakeRequestLog()) {
            texts += request.msg == kLvmGetItemTextW ? 1 : 0;
        }
        return texts;
    }
};

// Held without sharing, as a sync client or a virus scanner holds it at logon. The file used to
// read as no file, and the start's snapshot replaced it.
TEST_F(StoreFault, StartedWhileAnotherProgramHoldsTheFileLosesNothing) {
    const std::string file = "[Settings]\r\nAutoSave=3\r\n"
                             "[Saves]\r\n2024-02-01 08:00:00=Recycle Bin;1;1;\r\n"
                             "[AutoSaves]\r\n2024-02-01 07:00:00 (AutoSave)=Recycle Bin;2;2;\r\n";
    ASSERT_TRUE(WriteWholeFile(folder.SettingsFile(), file));
    HANDLE held = CreateFileA(folder.SettingsFile().c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    StartProgram();
    // The start's snapshot cannot be written while the file cannot be read.
    EXPECT_EQ(program.WaitForErrorBox(), kCannotWrite);
    CloseHandle(held);
    EXPECT_EQ(Settings(), file);

    WaitForNextSecond();
    testdesktop::MoveIcon(0, 300, 300);
    ASSERT_TRUE(program.Command(kSave));
    const std::string saved = Settings();
    EXPECT_EQ(Section(saved, "Settings"), (Entries_t{{"AutoSave", "3"}}));
    Entries_t manual = Section(saved, "Saves");
    Entries_t automatic = Section(saved, "AutoSaves");
    ASSERT_EQ(manual.size(), 2u);
    ASSERT_EQ(automatic.size(), 2u);
    EXPECT_EQ(manual[1],
              (std::pair<std::string, std::string>{"2024-02-01 08:00:00", "Recycle Bin;1;1;"}));
    EXPECT_EQ(manual[0].second, "Recycle Bin;300;300;Notes.txt;100;10;Photos;180;10;");
    EXPECT_EQ(automatic[0].second, "Recycle Bin;20;10;Notes.txt;100;10;Photos;180;10;");
    EXPECT_EQ(automatic[1], (std::pair<std::string, std::string>{"2024-02-01 07:00:00 (AutoSave)",
                                                                 "Recycle Bin;2;2;"}));
    EXPECT_TRUE(program.Command(kExit));
}

// At logon the program starts before the desktop exists. Empty captures were stored, pushed out
// the oldest good snapshot, and vanished at the next load.
TEST_F(StoreFault, WithoutTheListViewTicksChangeNothingAndASaveSaysSo) {
    const std::string file = TenAutosaves();
    ASSERT_TRUE(WriteWholeFile(folder.SettingsFile(), file));
    testdesktop::RemoveListView();
    StartProgram();
    for (int tick = 0; tick < 3; tick++) {
        WaitForNextSecond();
        ASSERT_TRUE(program.TimerTick());
    }
    EXPECT_EQ(Settings(), file);
    ASSERT_TRUE(program.PostCommand(kSave));
    EXPECT_EQ(program.WaitForErrorBox(), kCannotRead);
    EXPECT_EQ(Settings(), file);
    EXPECT_TRUE(program.Command(kExit));
}

// The desktop arranges its icons itself and refuses their positions: a Restore the user chose
// says so once, moves nothing, and leaves nothing for Undo to put back.
TEST_F(StoreFault, ARestoreOnAnAutoArrangedDesktopSaysSoOnceAndMovesNothing) {
    StartProgram();
    ASSERT_TRUE(program.Command(kSave));
    testdesktop::MoveIcon(0, 300, 300);
    testdesktop::SetAutoArrange(true);
    const std::vector<Icon> arranged = testdesktop::Icons();
    ASSERT_TRUE(program.PostCommand(kRestoreFirst));
    EXPECT_EQ(program.WaitForErrorBox(), kAutoArranged);
    EXPECT_EQ(testdesktop::Icons(), arranged);
    testdesktop::SetAutoArrange(false);
    testdesktop::MoveIcon(0, 400, 400);
    const std::vector<Icon> moved = testdesktop::Icons();
    ASSERT_TRUE(program.Command(kUndo));
    EXPECT_EQ(testdesktop::Icons(), moved);
    EXPECT_TRUE(program.Command(kExit));
}

// Each timer tick dispatched by the box's own loop failed its save and opened another box inside
// the first, one more per tick.
TEST_F(StoreFault, TicksWhileTheBoxIsOpenOpenNoSecondBoxAndKeepTheirSnapshots) {
    StartProgram();
    DWORD started = GetTickCount();
    while (Section(Settings(), "AutoSaves").empty() && GetTickCount() - started < 30000) {
        Sleep(10);
    }
    std::set<std::string> layouts = {Section(Settings(), "AutoSaves").at(0).second};
    ASSERT_TRUE(DeleteFileA(folder.SettingsFile().c_str()));
    ASSERT_TRUE(CreateDirectoryA(folder.SettingsFile().c_str(), nullptr));
    TextRequests();

    const int kTicks = 4;
    for (int tick = 1; tick <= kTicks; tick++) {
        WaitForNextSecond();
        testdesktop::MoveIcon(0, 300 + tick * 10, 200);
        layouts.insert("Recycle Bin;" + std::to_string(300 + tick * 10) +
                       ";200;Notes.txt;100;10;Photos;180;10;");
        ASSERT_TRUE(program.PostTimerTick());
        // Each tick's capture, then its failed save, before the desktop changes again.
        size_t seen = 0;
        while ((seen += TextRequests()) < 3 && GetTickCount() - started < 60000) {
            Sleep(10);
        }
        Sleep(1500);
    }
    EXPECT_EQ(program.OpenErrorBoxes(), 1);
    EXPECT_EQ(program.WaitForErrorBox(), kCannotWrite);
    Sleep(500);
    EXPECT_EQ(program.OpenErrorBoxes(), 0);

    // Answered, the next failure shows its box again.
    ASSERT_TRUE(program.PostTimerTick());
    EXPECT_EQ(program.WaitForErrorBox(), kCannotWrite);

    ASSERT_TRUE(RemoveDirectoryA(folder.SettingsFile().c_str()));
    ASSERT_TRUE(program.TimerTick());
    std::set<std::string> written;
    for (const auto& entry : Section(Settings(), "AutoSaves")) {
        written.insert(entry.second);
    }
    EXPECT_EQ(written, layouts);
    EXPECT_TRUE(program.Command(kExit));
}

// Files of the program's earlier versions hold names in the ANSI code page (1252 in this prefix).
TEST_F(StoreFault, AFileInTheAnsiCodePageLoadsAndIsWrittenInUtf8) {
    ASSERT_TRUE(WriteWholeFile(folder.SettingsFile(),
                               "[Settings]\r\nAutoSave=1\r\n[Saves]\r\n"
                               "Caf\xe9 set=Caf\xe9;1;2;Recycle Bin;3;4;\r\n"
                               "[AutoSaves]\r\nB\xfcro (AutoSave)=B\xfcro;5;5;\r\n"));
    StartProgram();
    DWORD started = GetTickCount();
    while (Section(Settings(), "AutoSaves").size() < 2 && GetTickCount() - started < 30000) {
        Sleep(10);
    }
    const std::string saved = Settings();
    EXPECT_EQ(Section(saved, "Saves"),
              (Entries_t{{"Caf\xc3\xa9 set", "Caf\xc3\xa9;1;2;Recycle Bin;3;4;"}}));
    Entries_t automatic = Section(saved, "AutoSaves");
    ASSERT_EQ(automatic.size(), 2u);
    // A hand-made name reads as no time and counts as older than the start's snapshot.
    EXPECT_EQ(automatic[1],
              (std::pair<std::string, std::string>{"B\xc3\xbcro (AutoSave)", "B\xc3\xbcro;5;5;"}));
    EXPECT_TRUE(program.Command(kExit));
}

// Notepad saves its "Unicode" form as UTF-16 behind a byte-order mark. Such a file used to read as
// one holding nothing, and the start's snapshot replaced every snapshot in it.
TEST_F(StoreFault, AFileSavedAsUtf16KeepsEverySnapshot) {
    const std::u16string text = u"[Settings]\r\nAutoSave=1\r\n[Saves]\r\n"
                                u"Caf\u00e9 set=Caf\u00e9;1;2;Old\\\\Notes;3;4;\r\n"
                                u"2024-02-01 08:00:00=Recycle Bin;1;1;\r\n"
                                u"[AutoSaves]\r\nB\u00fcro (AutoSave)=B\u00fcro;5;5;\r\n";
    std::string bytes = "\xff\xfe";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    ASSERT_TRUE(WriteWholeFile(folder.SettingsFile(), bytes));
    StartProgram();
    DWORD started = GetTickCount();
    while (Section(Settings(), "AutoSaves").size() < 2 && GetTickCount() - started < 30000) {
        Sleep(10);
    }
    const std::string saved = Settings();
    EXPECT_EQ(saved.compare(0, 12, "[Settings]\r\n"), 0);
    EXPECT_EQ(Section(saved, "Settings"), (Entries_t{{"AutoSave", "1"}}));
    // Newest first: names that read as no time count as the oldest.
    EXPECT_EQ(Section(saved, "Saves"),
              (Entries_t{{"2024-02-01 08:00:00", "Recycle Bin;1;1;"},
                         {"Caf\xc3\xa9 set", "Caf\xc3\xa9;1;2;Old\\\\Notes;3;4;"}}));
    Entries_t automatic = Section(saved, "AutoSaves");
    ASSERT_EQ(automatic.size(), 2u);
    EXPECT_EQ(automatic[1],
              (std::pair<std::string, std::string>{"B\xc3\xbcro (AutoSave)", "B\xc3\xbcro;5;5;"}));
    EXPECT_TRUE(program.Command(kExit));
}

} // namespace
