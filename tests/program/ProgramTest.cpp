// The real quillmarsh.exe under Wine, started from a scratch folder beside the stand-in desktop
// and driven only from outside: commands, timer ticks and tray clicks sent to its hidden window,
// its "Error" boxes read by their text, its settings file and the desktop's icons read back.
#include "contract/TestDesktop.h"
#include "program/PopupMenuReader.h"
#include "program/ProgramFolder.h"
#include "program/ProgramTestSupport.h"
#include "program/RunningProgram.h"
#include "tests/ui/MemoryCanvas.h"
#include "ui/DisplayMonitors.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>

namespace {

using programtest::ClearRunValues;
using programtest::LayoutOf;
using programtest::Positions;
using programtest::Positions_t;
using programtest::RunValue;
using programtest::Section;
using programtest::WaitForNextSecond;
using namespace programtest::commands;
using testdesktop::Icon;
using testdesktop::Request;

const UINT kTrayIconId = 1;
const UINT kLvmSetItemPosition = 0x100F;

const char kStartingLayout[] = "Recycle Bin;20;10;Notes.txt;100;10;Photos;180;10;";

// The menu carries out its choice after it has closed, and the program restores on its own when
// the displays ask for it, while the test goes on: wait (bounded) for the desktop to show the
// positions.
bool WaitForPositions(const Positions_t& expected, DWORD bound = 10000) {
    DWORD started = GetTickCount();
    while (Positions() != expected && GetTickCount() - started < bound) {
        Sleep(20);
    }
    return Positions() == expected;
}

std::vector<Icon> StartingIcons() {
    return {{"Recycle Bin", 20, 10}, {"Notes.txt", 100, 10}, {"Photos", 180, 10}};
}

// "YYYY-MM-DD HH:MM:SS", then the suffix.
bool IsTimeStamp(const std::string& name, const std::string& suffix) {
    const std::string shape = "dddd-dd-dd dd:dd:dd";
    if (name.size() != shape.size() + suffix.size() || name.substr(shape.size()) != suffix) {
        return false;
    }
    for (size_t i = 0; i < shape.size(); i++) {
        bool digit = isdigit(static_cast<unsigned char>(name[i])) != 0;
        if (shape[i] == 'd' ? !digit : name[i] != shape[i]) {
            return false;
        }
    }
    return true;
}

FILETIME LastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

class Program : public ::testing::Test {
  protected:
    CProgramFolder folder;
    CRunningProgram program;

    virtual std::vector<Icon> DesktopIcons() const { return StartingIcons(); }

    void SetUp() override {
        ASSERT_TRUE(folder.Ready());
        ASSERT_TRUE(testdesktop::Start(DesktopIcons()));
        ClearRunValues();
        ASSERT_TRUE(program.Start(folder.Exe()));
        ASSERT_NE(program.WaitForWindow(), nullptr);
        ASSERT_TRUE(WaitForStartupSnapshot());
    }
    void TearDown() override {
        CloseMenus(program.ProcessId());
        program.Kill();
        testdesktop::Stop();
        ClearRunValues();
    }

    std::string Settings() const { return ReadWholeFile(folder.SettingsFile()); }

    // The window shows up while it is still being created, before the start's snapshot is on
    // disk; the file is replaced whole, so it is never seen half written.
    bool WaitForStartupSnapshot() const {
        DWORD started = GetTickCount();
        while (Section(Settings(), "AutoSaves").empty()) {
            if (GetTickCount() - started > 30000) {
                return false;
            }
            Sleep(10);
        }
        return true;
    }

    // The program started again over this settings file, once its window is there.
    void RestartOver(const std::string& file) {
        ASSERT_TRUE(program.Command(kExit));
        DWORD code = 99;
        ASSERT_TRUE(program.WaitForExit(&code));
        ASSERT_TRUE(WriteWholeFile(folder.SettingsFile(), file));
        ASSERT_TRUE(program.Start(folder.Exe()));
        ASSERT_NE(program.WaitForWindow(), nullptr);
    }

    // The same, once the start's snapshot is saved.
    void RestartWithSettings(const std::string& file) {
        RestartOver(file);
        ASSERT_TRUE(WaitForStartupSnapshot());
    }

    // Bounded: what is posted to the program is carried out after the post returns.
    bool WaitForSnapshots(const std::string& section, size_t count) const {
        DWORD started = GetTickCount();
        while (Section(Settings(), section).size() != count) {
            if (GetTickCount() - started > 30000) {
                return false;
            }
            Sleep(10);
        }
        return true;
    }

    void ExpectExitsCleanly() {
        HWND window = program.Window();
        EXPECT_TRUE(program.Command(kExit));
        DWORD code = 99;
        ASSERT_TRUE(program.WaitForExit(&code));
        EXPECT_EQ(code, 0u);
        EXPECT_FALSE(TrayIconExists(window, kTrayIconId));
    }
};

TEST_F(Program, FirstStartWritesOneAutomaticSnapshotShowsTheIconAndExitEndsWithCodeZero) {
    std::string file = Settings();
    auto automatic = Section(file, "AutoSaves");
    ASSERT_EQ(automatic.size(), 1u) << file;
    EXPECT_TRUE(IsTimeStamp(automatic[0].first, " (AutoSave)")) << automatic[0].first;
    char displays[kDisplayKeyChars];
    ReadDisplayConfiguration(displays);
    ASSERT_STRNE(displays, "");
    auto times = Section(file, "AutoSaveTimes");
    ASSERT_EQ(times.size(), 1u) << file;
    const std::string& moment = times[0].second;
    EXPECT_TRUE(moment.size() == 20 && moment[10] == 'T' && moment[19] == 'Z') << moment;
    EXPECT_EQ(file, "[Settings]\r\nAutoSave=2\r\n[AutoSaves]\r\n" + automatic[0].first + "=" +
                        kStartingLayout + "\r\n[AutoSaveDisplays]\r\n" + automatic[0].first + "=" +
                        displays + "\r\n[AutoSaveTimes]\r\n" + automatic[0].first + "=" + moment +
                        "\r\n");
    EXPECT_TRUE(TrayIconExists(program.Window(), kTrayIconId));

    ExpectExitsCleanly();
    EXPECT_EQ(Settings(), file);
}

TEST_F(Program, SecondStartSaysAlreadyRunningAndEndsWithoutTouchingTheFile) {
    std::string file = Settings();
    FILETIME written = LastWrite(folder.SettingsFile());

    CRunningProgram second;
    ASSERT_TRUE(second.Start(folder.Exe()));
    EXPECT_EQ(second.WaitForErrorBox(), "Already running!");
    DWORD code = 99;
    ASSERT_TRUE(second.WaitForExit(&code));
    EXPECT_EQ(code, 0u);

    EXPECT_EQ(Settings(), file);
    FILETIME now = LastWrite(folder.SettingsFile());
    EXPECT_EQ(CompareFileTime(&written, &now), 0);
    EXPECT_TRUE(program.Running());
    EXPECT_TRUE(TrayIconExists(program.Window(), kTrayIconId));
    ExpectExitsCleanly();
}

TEST_F(Program, SaveRestoreAndUndoMoveTheDesktopsIcons) {
    const Positions_t starting = Positions();
    WaitForNextSecond();
    testdesktop::MoveIcon(0, 400, 300);
    testdesktop::MoveIcon(2, 250, 200);
    const Positions_t saved = Positions();
    ASSERT_TRUE(program.Command(kSave));
    std::string file = Settings();
    auto manual = Section(file, "Saves");
    ASSERT_EQ(manual.size(), 1u) << file;
    EXPECT_TRUE(IsTimeStamp(manual[0].first, "")) << manual[0].first;
    EXPECT_EQ(manual[0].second, "Recycle Bin;400;300;Notes.txt;100;10;Photos;250;200;");
    EXPECT_EQ(Section(file, "AutoSaves").size(), 1u);

    testdesktop::MoveIcon(1, 500, 400);
    const Positions_t scrambled = Positions();
    // Newest first: the save, then the start's automatic snapshot.
    ASSERT_TRUE(program.Command(kRestoreFirst));
    EXPECT_EQ(Positions(), saved);
    ASSERT_TRUE(program.Command(kRestoreFirst + 1));
    EXPECT_EQ(Positions(), starting);
    ASSERT_TRUE(program.Command(kRestoreFirst + 2));
    EXPECT_EQ(Positions(), starting);

    ASSERT_TRUE(program.Command(kUndo));
    EXPECT_EQ(Positions(), saved);
    ASSERT_TRUE(program.Command(kUndo));
    EXPECT_EQ(Positions(), scrambled);
    ASSERT_TRUE(program.Command(kUndo));
    EXPECT_EQ(Positions(), scrambled);
    // Restore and Undo change the desktop only.
    EXPECT_EQ(Settings(), file);
    ExpectExitsCleanly();
}

// An Undo while the shell was away took its entry off the stack and moved nothing: the arrangement
// from before the Restore was gone. It keeps the entry, says so, and works once the shell is back.
TEST_F(Program, AnUndoWhileTheShellIsAwayKeepsItsEntryForWhenItIsBack) {
    WaitForNextSecond();
    testdesktop::MoveIcon(0, 400, 300);
    const Positions_t saved = Positions();
    ASSERT_TRUE(program.Command(kSave));
    testdesktop::MoveIcon(1, 500, 400);
    const Positions_t scrambled = Positions();
    ASSERT_TRUE(program.Command(kRestoreFirst));
    ASSERT_EQ(Positions(), saved);

    const std::vector<Icon> icons = testdesktop::Icons();
    testdesktop::Stop();
    ASSERT_TRUE(program.PostCommand(kUndo));
    EXPECT_EQ(program.WaitForErrorBox(), "Could not read the desktop icons!");
    ASSERT_TRUE(testdesktop::Start(icons));
    ASSERT_TRUE(program.Command(kUndo));
    EXPECT_EQ(Positions(), scrambled);
    ExpectExitsCleanly();
}

// Names that, written as they stand, would shift every field after them: the icons after such a
// name would not come back, and the "10" of the second icon, read as a name, would move it.
class ProgramWithSeparatorsInNames : public Program {
  protected:
    std::vector<Icon> DesktopIcons() const override {
        return {{"Notes;old.txt", 20, 10},
                {"10", 100, 10},
                {"a;1;2", 180, 10},
                {"-5", 260, 10},
                {"C:\\temp", 20, 90},
                {"Recycle Bin", 100, 90},
                {"1", 180, 90}};
    }
};

size_t MovesIn(const std::vector<Request>& log) {
    size_t moves = 0;
    for (const Request& request : log) {
        moves += request.msg == kLvmSetItemPosition;
    }
    return moves;
}

TEST_F(ProgramWithSeparatorsInNames, RestoreMovesNothingWhenArrangedAndPutsEveryIconBack) {
    const Positions_t starting = Positions();
    // The start's automatic snapshot holds the desktop as it stands.
    testdesktop::TakeRequestLog();
    ASSERT_TRUE(program.Command(kRestoreFirst));
    EXPECT_EQ(MovesIn(testdesktop::TakeRequestLog()), 0u);
    EXPECT_EQ(Positions(), starting);

    WaitForNextSecond();
    testdesktop::MoveIcon(0, 400, 300);
    testdesktop::MoveIcon(3, 250, 200);
    const Positions_t saved = Positions();
    ASSERT_TRUE(program.Command(kSave));
    auto manual = Section(Settings(), "Saves");
    ASSERT_EQ(manual.size(), 1u);
    // The settings file doubles each backslash of the layout once more.
    EXPECT_EQ(manual[0].second,
              "Notes\\\\;old.txt;400;300;10;100;10;a\\\\;1\\\\;2;180;10;-5;250;200;"
              "C:\\\\\\\\temp;20;90;Recycle Bin;100;90;1;180;90;");

    for (int i = 0; i < static_cast<int>(saved.size()); i++) {
        testdesktop::MoveIcon(i, 500 + 10 * i, 400 - 20 * i);
    }
    ASSERT_TRUE(program.Command(kRestoreFirst));
    EXPECT_EQ(Positions(), saved);
    ASSERT_TRUE(program.Command(kRestoreFirst + 1));
    EXPECT_EQ(Positions(), starting);
    ExpectExitsCleanly();
}

// Names outside the ANSI code page: read with the ANSI request they collapsed ("???.txt" twice)
// or turned into other names, and icons swapped places once the shell listed them in another order.
class ProgramWithWideNames : public Program {
  protected:
    std::vector<Icon> DesktopIcons() const override {
        const char* names[] = {"Recycle Bin",
                               "\xc5\x81\xc3\xb3\x64\xc5\xba.txt",         // Łódź.txt
                               "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.txt", // 日本語.txt
                               "\xe4\xb8\xad\xe6\x96\x87\xe5\xad\x97.txt", // 中文字.txt
                               "\xce\x95\xce\xbb\xce\xbb\xce\xb7\xce\xbd\xce\xb9\xce\xba\xce\xac."
                               "docx",                         // Ελληνικά.docx
                               "emoji \xf0\x9f\x98\x80.png",   // U+1F600
                               "Caf\xc3\xa9 \xe2\x82\xac.txt", // Café €.txt
                               "Notes.txt",
                               "Photos"};
        std::vector<Icon> icons;
        for (int i = 0; i < 9; i++) {
            icons.push_back({names[i], 20 + 80 * (i % 5), 10 + 80 * (i / 5)});
        }
        return icons;
    }
};

TEST_F(ProgramWithWideNames, SavedIconsComeBackByTheirOwnNamesAfterBothRestart) {
    WaitForNextSecond();
    for (int i = 0; i < 9; i++) {
        testdesktop::MoveIcon(i, 30 + 70 * (i % 5), 200 + 80 * (i / 5));
    }
    const std::vector<Icon> saved = testdesktop::Icons();
    ASSERT_TRUE(program.Command(kSave));
    auto manual = Section(Settings(), "Saves");
    ASSERT_EQ(manual.size(), 1u);
    EXPECT_EQ(manual[0].second, LayoutOf(saved));

    ASSERT_TRUE(program.Command(kExit));
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(&code));
    WaitForNextSecond();
    ASSERT_TRUE(program.Start(folder.Exe()));
    ASSERT_NE(program.WaitForWindow(), nullptr);
    ASSERT_TRUE(WaitForSnapshots("AutoSaves", 2));

    // The shell restarts and lists its icons in reverse order, each somewhere else.
    std::vector<Icon> restarted(saved.rbegin(), saved.rend());
    for (size_t i = 0; i < restarted.size(); i++) {
        restarted[i].x = 420 + 15 * static_cast<int>(i % 3);
        restarted[i].y = 40 + 60 * static_cast<int>(i);
    }
    testdesktop::RestartShellWith(restarted);
    ASSERT_EQ(testdesktop::Icons(), restarted);

    // Newest first: the second start's automatic snapshot, then the save.
    ASSERT_TRUE(program.Command(kRestoreFirst + 1));
    std::vector<Icon> expected(saved.rbegin(), saved.rend());
    EXPECT_EQ(testdesktop::Icons(), expected);
    ExpectExitsCleanly();
}

// Text from one code page to another through UTF-16, as the system converts it.
std::string Recoded(UINT from, UINT to, const std::string& text) {
    wchar_t wide[600] = {};
    int units = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide, 599);
    char bytes[1800] = {};
    int length = WideCharToMultiByte(to, 0, wide, units, bytes, 1799, nullptr, nullptr);
    return std::string(bytes, length > 0 ? static_cast<size_t>(length) : 0);
}

// A name as an earlier version read it, with the list view's ANSI request: the code page's best
// fit.
std::string AnsiFormOf(const std::string& name) {
    return Recoded(CP_UTF8, CP_ACP, name);
}

// A settings file an earlier version wrote holds the names in their ANSI forms, in the code page's
// bytes: "L\xf3dz.txt", "???.txt" twice, "emoji ??.png". The file is read into UTF-8 and written so
// at the start's save, and its snapshot still puts every icon back.
TEST_F(ProgramWithWideNames, AnEarlierVersionsSnapshotRestoresTheIconsItsAnsiFormsName) {
    const std::vector<Icon> icons = DesktopIcons();
    std::vector<Icon> stored = icons;
    std::string layout;
    for (size_t i = 0; i < stored.size(); i++) {
        stored[i].x = 500;
        stored[i].y = 10 + 40 * static_cast<int>(i);
        layout += AnsiFormOf(stored[i].name) + ";500;" + std::to_string(stored[i].y) + ";";
    }
    ASSERT_EQ(layout.find("L\xf3\x64z.txt;500;50;???.txt;500;90;???.txt;500;130;"), 19u);
    RestartWithSettings("[Settings]\r\nAutoSave=2\r\n[Saves]\r\n2020-01-01 00:00:00=" + layout +
                        "\r\n");
    auto manual = Section(Settings(), "Saves");
    ASSERT_EQ(manual.size(), 1u);
    EXPECT_EQ(manual[0].second, Recoded(CP_ACP, CP_UTF8, layout));

    // Newest first: the start's automatic snapshot, then the one of the earlier version.
    ASSERT_TRUE(program.Command(kRestoreFirst + 1));
    EXPECT_EQ(testdesktop::Icons(), stored);
    ExpectExitsCleanly();
}

// Four hundred icons of 45 characters make a layout of some 22,000 characters, far past the 7,936 a
// capture once stopped at; every fourth name holds characters outside the code page.
std::vector<Icon> FourHundredIcons(int left, int top, bool across) {
    std::vector<Icon> icons;
    for (int i = 0; i < 400; i++) {
        char name[64];
        snprintf(name, sizeof name, "%04d %s", i + 1,
                 i % 4 == 3 ? "\xc5\x81\xc3\xb3\x64\xc5\xba notes on quarterly figures, v1.docx"
                            : "Notes on the quarterly figures, v12.docx");
        int column = across ? i % 20 : i / 20;
        int row = across ? i / 20 : i % 20;
        icons.push_back({name, left + 90 * column, top + 45 * row});
    }
    return icons;
}

class ProgramWithFourHundredIcons : public Program {
  protected:
    std::vector<Icon> DesktopIcons() const override { return FourHundredIcons(20, 10, false); }
};

TEST_F(ProgramWithFourHundredIcons, SaveHoldsEveryIconAndRestorePutsAllBackAfterAShellRestart) {
    const std::vector<Icon> saved = DesktopIcons();
    WaitForNextSecond();
    ASSERT_TRUE(program.Command(kSave));
    auto manual = Section(Settings(), "Saves");
    ASSERT_EQ(manual.size(), 1u);
    EXPECT_EQ(manual[0].second, LayoutOf(saved));

    const std::vector<Icon> elsewhere = FourHundredIcons(25, 15, true);
    testdesktop::RestartShellWith(elsewhere);
    ASSERT_EQ(testdesktop::Icons(), elsewhere);
    ASSERT_TRUE(program.Command(kRestoreFirst));
    EXPECT_EQ(testdesktop::Icons(), saved);
    ExpectExitsCleanly();
}

TEST_F(Program, EveryAutosaveChoiceRewritesTheFileEvenWhenUnchanged) {
    std::string snapshots = Settings().substr(Settings().find("[AutoSaves]"));
    for (UINT id = kAutosaveNever; id <= kAutosaveHour; id++) {
        for (int time = 0; time < 2; time++) {
            ASSERT_TRUE(DeleteFileA(folder.SettingsFile().c_str()));
            ASSERT_TRUE(program.Command(id));
            EXPECT_EQ(Settings(), "[Settings]\r\nAutoSave=" + std::to_string(id - kAutosaveNever) +
                                      "\r\n" + snapshots)
                << "id " << id << ", time " << time;
        }
    }
    ExpectExitsCleanly();
}

TEST_F(Program, StartWithWindowsTogglesTheRunValue) {
    const std::string quoted = "\"" + folder.Exe() + "\"";
    ASSERT_TRUE(program.Command(kStartWithWindows));
    std::string machine = RunValue(HKEY_LOCAL_MACHINE);
    std::string user = RunValue(HKEY_CURRENT_USER);
    EXPECT_TRUE(machine == quoted || (machine.empty() && user == quoted))
        << "machine: " << machine << ", user: " << user;

    ASSERT_TRUE(program.Command(kStartWithWindows));
    EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), "");
    EXPECT_EQ(RunValue(HKEY_CURRENT_USER), "");
    ExpectExitsCleanly();
}

// The cross of a checked item, as the image strip draws it.
const COLORREF kCheckCross = RGB(230, 30, 30);

// The tray menu opened and read once its names are drawn: whether the check cross stands in the
// row of "Start With Windows", above the next row's text.
bool ReadStartWithWindowsCheck(CRunningProgram& program, bool* checked);

// Task Manager's Startup tab disables a program with a mark beside its Run value and leaves the
// Run value as it stands.
TEST_F(Program, StartWithWindowsDisabledByWindowsShowsOffAndChoosingItEnablesIt) {
    const std::string quoted = "\"" + folder.Exe() + "\"";
    ASSERT_TRUE(program.Command(kExit));
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(&code));
    HKEY run = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, programtest::kRunKey, 0, KEY_SET_VALUE, &run),
              ERROR_SUCCESS);
    RegSetValueExA(run, "Quillmarsh", 0, REG_SZ, reinterpret_cast<const BYTE*>(quoted.c_str()),
                   static_cast<DWORD>(quoted.size() + 1));
    RegCloseKey(run);
    const std::vector<BYTE> disabled = {3, 0, 0, 0, 0xd4, 0x0d, 0x43, 0x8d, 0xc8, 0x3b, 0xd9, 1};
    ASSERT_TRUE(programtest::SetStartupApproved(HKEY_CURRENT_USER, disabled));
    ASSERT_TRUE(program.Start(folder.Exe()));
    ASSERT_NE(program.WaitForWindow(), nullptr);
    // Sent: the start, and its save, are done once it answers.
    ASSERT_TRUE(program.Command(0));
    EXPECT_EQ(RunValue(HKEY_CURRENT_USER), quoted);
    EXPECT_EQ(programtest::StartupApproved(HKEY_CURRENT_USER), disabled);

    bool checked = true;
    ASSERT_TRUE(ReadStartWithWindowsCheck(program, &checked));
    EXPECT_FALSE(checked);

    ASSERT_TRUE(program.Command(kStartWithWindows));
    EXPECT_EQ(RunValue(HKEY_CURRENT_USER), quoted);
    EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), "");
    const std::vector<BYTE> mark = programtest::StartupApproved(HKEY_CURRENT_USER);
    EXPECT_TRUE(mark.empty() || (mark[0] & 1) == 0) << mark.size();
    ASSERT_TRUE(ReadStartWithWindowsCheck(program, &checked));
    EXPECT_TRUE(checked);
    ExpectExitsCleanly();
}

TEST_F(Program, RestoreWhenDisplaysChangeIsWrittenOnlyWhileOn) {
    const std::string off = Settings();
    ASSERT_TRUE(program.Command(kRestoreOnDisplayChange));
    std::string on = off;
    on.insert(on.find("[AutoSaves]"), "RestoreOnDisplayChange=1\r\n");
    EXPECT_EQ(Settings(), on);
    ASSERT_TRUE(program.Command(kRestoreOnDisplayChange));
    EXPECT_EQ(Settings(), off);
    ExpectExitsCleanly();
}

// At logoff or shutdown the desktop as the user left it becomes the newest automatic snapshot,
// with no box, and the program lets the session end.
TEST_F(Program, TheQuestionAtLogoffSavesTheDesktopAsItStandsAndLetsTheSessionEnd) {
    testdesktop::MoveIcon(1, 300, 300);
    LRESULT answer = FALSE;
    ASSERT_TRUE(program.QueryEndSession(&answer));
    EXPECT_EQ(answer, TRUE);
    const auto automatic = Section(Settings(), "AutoSaves");
    ASSERT_EQ(automatic.size(), 2u);
    EXPECT_NE(automatic[0].second.find(";300;300;"), std::string::npos) << automatic[0].second;
    EXPECT_EQ(automatic[1].second, kStartingLayout);
    EXPECT_EQ(program.OpenErrorBoxes(), 0);
    ExpectExitsCleanly();
}

// Restoring at start-up, a start beside a desktop whose icons moved puts them back before its own
// snapshot, which so records the restored arrangement; without the key a start moves nothing.
TEST_F(Program, RestoreAtStartUpPutsTheIconsBackBeforeTheStartSnapshot) {
    const std::string saved = Settings();
    const Positions_t home = Positions();
    testdesktop::MoveIcon(1, 300, 300);
    const Positions_t moved = Positions();
    RestartWithSettings(saved);
    EXPECT_EQ(Positions(), moved);

    std::string on = saved;
    on.insert(on.find("\r\n[") + 2, "RestoreAtStartup=1\r\n");
    RestartOver(on);
    // The start's snapshot holds what stood before, so it only renames that one: a newer moment.
    const std::string before = Section(saved, "AutoSaves")[0].first;
    DWORD started = GetTickCount();
    while (Section(Settings(), "AutoSaves")[0].first == before &&
           GetTickCount() - started < 30000) {
        Sleep(50);
    }
    EXPECT_EQ(Positions(), home);
    const auto automatic = Section(Settings(), "AutoSaves");
    ASSERT_EQ(automatic.size(), 1u);
    EXPECT_NE(automatic[0].first, before);
    EXPECT_EQ(automatic[0].second, kStartingLayout);
    EXPECT_NE(Settings().find("RestoreAtStartup=1\r\n"), std::string::npos);
    ASSERT_TRUE(program.Command(kUndo));
    EXPECT_EQ(Positions(), moved);
    ExpectExitsCleanly();
}

TEST_F(Program, UnknownCommandsChangeNothing) {
    testdesktop::MoveIcon(1, 300, 300);
    const Positions_t before = Positions();
    const std::string file = Settings();
    for (UINT id : {0u, 100u, 109u, 115u, 119u, 124u, 125u, 126u, 127u, 128u, 129u, 151u, 152u,
                    999u, 65535u}) {
        ASSERT_TRUE(program.Command(id)) << id;
    }
    EXPECT_EQ(Settings(), file);
    EXPECT_EQ(Positions(), before);
    EXPECT_TRUE(OpenPopups(program.ProcessId()).empty());
    EXPECT_TRUE(program.Running());
    ExpectExitsCleanly();
}

TEST_F(Program, TimerTickTakesAnAutomaticSnapshot) {
    WaitForNextSecond();
    testdesktop::MoveIcon(0, 333, 222);
    ASSERT_TRUE(program.TimerTick());
    std::string file = Settings();
    auto automatic = Section(file, "AutoSaves");
    ASSERT_EQ(automatic.size(), 2u) << file;
    EXPECT_TRUE(IsTimeStamp(automatic[0].first, " (AutoSave)"));
    EXPECT_GT(automatic[0].first, automatic[1].first);
    EXPECT_EQ(automatic[0].second, "Recycle Bin;333;222;Notes.txt;100;10;Photos;180;10;");
    EXPECT_EQ(automatic[1].second, kStartingLayout);
    EXPECT_TRUE(Section(file, "Saves").empty());
    ExpectExitsCleanly();
}

// A start under displays other than the newest snapshot's is a change: with the option on, the
// newest arrangement of these displays comes back first, and the start's snapshot records it.
TEST_F(Program, StartUnderOtherDisplaysRestoresTheirArrangementFirstWhenTheOptionIsOn) {
    char displays[kDisplayKeyChars];
    ReadDisplayConfiguration(displays);
    const std::string ours = "Recycle Bin;300;200;Notes.txt;310;300;Photos;320;400;";
    const std::string file = std::string("[Settings]\r\nAutoSave=2\r\n%s[Saves]\r\n") +
                             "2020-01-01 00:00:03=Recycle Bin;1;1;\r\n" +
                             "2020-01-01 00:00:02=Recycle Bin;2;2;\r\n" +
                             "2020-01-01 00:00:01=" + ours + "\r\n[SaveDisplays]\r\n" +
                             "2020-01-01 00:00:03=0,0,640,480|0,0,640,480@96\r\n" +
                             "2020-01-01 00:00:01=" + displays + "\r\n";
    const std::string off = file.substr(0, file.find("%s")) + file.substr(file.find("%s") + 2);
    RestartWithSettings(off);
    EXPECT_EQ(Positions(), (Positions_t{{20, 10}, {100, 10}, {180, 10}}));

    std::string on = off;
    on.insert(on.find("[Saves]"), "RestoreOnDisplayChange=1\r\n");
    RestartWithSettings(on);
    EXPECT_EQ(Positions(), (Positions_t{{300, 200}, {310, 300}, {320, 400}}));
    EXPECT_EQ(Section(Settings(), "AutoSaves")[0].second, ours);
    ASSERT_TRUE(program.Command(kUndo));
    EXPECT_EQ(Positions(), (Positions_t{{20, 10}, {100, 10}, {180, 10}}));
    ExpectExitsCleanly();
}

// The program's other timers have ids of their own: only id 0, the autosave timer's, autosaves.
TEST_F(Program, OnlyTheAutosaveTimerAutosaves) {
    WaitForNextSecond();
    testdesktop::MoveIcon(0, 333, 222);
    const std::string file = Settings();
    for (WPARAM id : {1u, 2u, 7u}) {
        SendMessageA(program.Window(), WM_TIMER, id, 0);
    }
    EXPECT_EQ(Settings(), file);
    ASSERT_TRUE(program.TimerTick());
    EXPECT_EQ(Section(Settings(), "AutoSaves").size(), 2u);
    ExpectExitsCleanly();
}

TEST_F(Program, TaskbarCreatedAddsTheIconAgain) {
    HWND window = program.Window();
    ASSERT_TRUE(TrayIconExists(window, kTrayIconId));
    ASSERT_TRUE(ForgetTrayIcon(window, kTrayIconId));
    ASSERT_FALSE(TrayIconExists(window, kTrayIconId));
    ASSERT_TRUE(program.TaskbarCreated());
    EXPECT_TRUE(TrayIconExists(window, kTrayIconId));
    ExpectExitsCleanly();
}

// Down four times reaches "Restore" past the separator; Right opens it.
bool OpenRestoreSubmenu(CRunningProgram& program, UINT mouseMessage, HWND* submenu) {
    std::vector<HWND> popups;
    if (!program.PostTrayClick(mouseMessage) || !WaitForPopups(program.ProcessId(), 1, &popups)) {
        return false;
    }
    HWND main = popups[0];
    for (int i = 0; i < 4; i++) {
        PressKey(main, VK_DOWN);
    }
    PressKey(main, VK_RIGHT);
    if (!WaitForPopups(program.ProcessId(), 2, &popups)) {
        return false;
    }
    *submenu = popups[0] == main ? popups[1] : popups[0];
    return true;
}

// The popup may still be painting when it first shows: read until the rows stand (bounded).
std::vector<MenuRow> ReadRowsOnceDrawn(HWND popup, const std::vector<std::string>& names,
                                       size_t expected) {
    std::vector<MenuRow> rows;
    DWORD started = GetTickCount();
    while ((rows = ReadMenuRows(popup, names)).size() != expected &&
           GetTickCount() - started < 10000) {
        Sleep(50);
    }
    return rows;
}

// Whether the popup, as the screen shows it now, holds the cross's red between the two lines.
bool ShowsCrossBetween(HWND popup, int top, int bottom) {
    RECT area = {};
    GetWindowRect(popup, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    MemoryCanvas canvas(width, height, RGB(0, 0, 0));
    canvas.CaptureScreen(area);
    for (int y = top < 0 ? 0 : top; y < bottom && y < height; y++) {
        for (int x = 0; x < width; x++) {
            if (canvas.At(x, y) == kCheckCross) {
                return true;
            }
        }
    }
    return false;
}

bool ReadStartWithWindowsCheck(CRunningProgram& program, bool* checked) {
    std::vector<HWND> popups;
    if (!program.PostTrayClick(WM_RBUTTONUP) || !WaitForPopups(program.ProcessId(), 1, &popups)) {
        return false;
    }
    std::vector<MenuRow> rows =
        ReadRowsOnceDrawn(popups[0], {"Start With Windows", "Restore When Displays Change"}, 2);
    // The cross stands a little above its row's text and ends above the next row's.
    const int margin = 6;
    if (rows.size() == 2) {
        *checked = ShowsCrossBetween(popups[0], rows[0].top - margin, rows[1].top - margin);
    }
    return CloseMenus(program.ProcessId()) && rows.size() == 2;
}

TEST_F(Program, RestoreSubmenuListsTheSnapshotNamesNewestFirst) {
    WaitForNextSecond();
    testdesktop::MoveIcon(0, 400, 300);
    ASSERT_TRUE(program.Command(kSave));
    std::string file = Settings();
    ASSERT_EQ(Section(file, "Saves").size(), 1u);
    ASSERT_EQ(Section(file, "AutoSaves").size(), 1u);
    const std::string saved = Section(file, "Saves")[0].first;
    const std::string automatic = Section(file, "AutoSaves")[0].first;

    HWND submenu = nullptr;
    ASSERT_TRUE(OpenRestoreSubmenu(program, WM_RBUTTONUP, &submenu));
    std::vector<MenuRow> rows = ReadRowsOnceDrawn(submenu, {saved, automatic, "<none>"}, 2);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].text, saved);
    EXPECT_EQ(rows[1].text, automatic);
    EXPECT_FALSE(rows[0].grey);
    EXPECT_FALSE(rows[1].grey);
    ASSERT_TRUE(CloseMenus(program.ProcessId()));

    // The other button opens the same menu.
    ASSERT_TRUE(OpenRestoreSubmenu(program, WM_LBUTTONUP, &submenu));
    EXPECT_EQ(ReadRowsOnceDrawn(submenu, {saved, automatic}, 2).size(), 2u);
    ASSERT_TRUE(CloseMenus(program.ProcessId()));
    ExpectExitsCleanly();
}

// Version 4's callback: the release opens nothing, the selection that follows it (or Enter on the
// focused icon) opens one menu, with its lower right corner at the icon rather than the pointer.
TEST_F(Program, VersionFourCallbackOpensOneMenuAtTheIcon) {
    const UINT kTrayCallback = WM_USER + 1;
    const WPARAM anchor = MAKEWPARAM(600, 500);
    SetCursorPos(100, 100);
    for (UINT event : {WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDOWN}) {
        ASSERT_TRUE(PostMessageA(program.Window(), kTrayCallback, anchor, MAKELPARAM(event, 1)));
    }
    // Sent after the posts: the program has looked at its queue once this returns.
    ASSERT_TRUE(program.Command(0));
    Sleep(500);
    EXPECT_TRUE(OpenPopups(program.ProcessId()).empty());

    for (UINT event : {NIN_KEYSELECT, NIN_SELECT}) {
        ASSERT_TRUE(PostMessageA(program.Window(), kTrayCallback, anchor, MAKELPARAM(event, 1)));
        std::vector<HWND> popups;
        ASSERT_TRUE(WaitForPopups(program.ProcessId(), 1, &popups)) << event;
        RECT shown = {};
        GetWindowRect(popups[0], &shown);
        EXPECT_NEAR(600, shown.right, 2) << event;
        EXPECT_NEAR(500, shown.bottom, 2) << event;
        ASSERT_TRUE(CloseMenus(program.ProcessId()));
    }
    ExpectExitsCleanly();
}

// The shell can report another release while the menu is open; the open menu stays whole.
TEST_F(Program, ClickWhileTheMenuIsOpenLeavesItWhole) {
    WaitForNextSecond();
    ASSERT_TRUE(program.Command(kSave));
    std::string file = Settings();
    const std::string saved = Section(file, "Saves")[0].first;
    const std::string automatic = Section(file, "AutoSaves")[0].first;

    HWND submenu = nullptr;
    ASSERT_TRUE(OpenRestoreSubmenu(program, WM_RBUTTONUP, &submenu));
    ASSERT_EQ(ReadRowsOnceDrawn(submenu, {saved, automatic}, 2).size(), 2u);
    ASSERT_TRUE(program.PostTrayClick(WM_LBUTTONUP));
    // Sent after the post: the program has looked at its queue once this returns.
    ASSERT_TRUE(program.Command(0));
    // Moving the highlight makes the menu draw its entries again.
    PressKey(submenu, VK_DOWN);
    PressKey(submenu, VK_UP);
    ASSERT_TRUE(program.Command(0));
    std::vector<MenuRow> rows = ReadRowsOnceDrawn(submenu, {saved, automatic}, 2);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].text, saved);
    EXPECT_EQ(rows[1].text, automatic);
    ASSERT_TRUE(CloseMenus(program.ProcessId()));
    EXPECT_TRUE(program.Running());
    ExpectExitsCleanly();
}

// The autosave timer fires inside the open menu's loop and puts a new snapshot at the head of the
// list; the entry chosen afterwards still restores the snapshot it showed, not its new neighbour.
TEST_F(Program, MenuEntryRestoresTheSnapshotItShowedAfterAnAutosaveWhileOpen) {
    const Positions_t starting = Positions();
    WaitForNextSecond();
    testdesktop::MoveIcon(0, 400, 300);
    ASSERT_TRUE(program.Command(kSave));
    std::string file = Settings();
    const std::string saved = Section(file, "Saves")[0].first;
    const std::string automatic = Section(file, "AutoSaves")[0].first;

    HWND submenu = nullptr;
    ASSERT_TRUE(OpenRestoreSubmenu(program, WM_RBUTTONUP, &submenu));
    std::vector<MenuRow> rows = ReadRowsOnceDrawn(submenu, {saved, automatic}, 2);
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[1].text, automatic);

    WaitForNextSecond();
    testdesktop::MoveIcon(1, 500, 400);
    const Positions_t moved = Positions();
    ASSERT_TRUE(program.PostTimerTick());
    ASSERT_TRUE(WaitForSnapshots("AutoSaves", 2));
    ASSERT_EQ(OpenPopups(program.ProcessId()).size(), 2u);
    // The second entry showed the start's snapshot; in the store it is now third.
    PressKey(submenu, VK_DOWN);
    PressKey(submenu, VK_RETURN);
    std::vector<HWND> popups;
    ASSERT_TRUE(WaitForPopups(program.ProcessId(), 0, &popups));
    WaitForPositions(starting);
    EXPECT_EQ(Positions(), starting);

    ASSERT_TRUE(program.Command(kUndo));
    EXPECT_EQ(Positions(), moved);
    ExpectExitsCleanly();
}

// A settings file can bring more snapshots than there are Restore ids: the submenu lists the
// newest 21, and its last entry, reached from the first by wrapping upward, restores the 21st.
TEST_F(Program, LongListShowsTheNewest21AndTheLastOneRestores) {
    std::string file = "[Settings]\r\nAutoSave=2\r\n[Saves]\r\n";
    std::vector<std::string> names;
    for (int i = 1; i <= 25; i++) {
        char name[32];
        snprintf(name, sizeof name, "2020-01-01 00:00:%02d", i);
        names.push_back(name);
        file += std::string(name) + "=Recycle Bin;" + std::to_string(200 + i) +
                ";300;Notes.txt;100;10;Photos;180;10;\r\n";
    }
    RestartWithSettings(file);
    const std::string automatic = Section(Settings(), "AutoSaves")[0].first;
    names.push_back(automatic);

    HWND submenu = nullptr;
    ASSERT_TRUE(OpenRestoreSubmenu(program, WM_RBUTTONUP, &submenu));
    std::vector<MenuRow> rows = ReadRowsOnceDrawn(submenu, names, 21);
    ASSERT_EQ(rows.size(), 21u);
    EXPECT_EQ(rows.front().text, automatic);
    // Newest first: after the start's snapshot the saves from 00:00:25 down to 00:00:06.
    EXPECT_EQ(rows.back().text, "2020-01-01 00:00:06");

    // A list this long opens under the pointer, and the row under it takes the highlight whenever
    // the pointer's notice arrives, before or after a key: choose the last row with the pointer.
    RECT frame;
    POINT pointer;
    ASSERT_TRUE(GetWindowRect(submenu, &frame) && GetCursorPos(&pointer));
    SetCursorPos(frame.left + 20, frame.top + rows.back().top + 4);
    Sleep(500);
    PressKey(submenu, VK_RETURN);
    std::vector<HWND> popups;
    ASSERT_TRUE(WaitForPopups(program.ProcessId(), 0, &popups));
    // Later menus open where the pointer stood before.
    SetCursorPos(pointer.x, pointer.y);
    const Positions_t twentyFirst = {{206, 300}, {100, 10}, {180, 10}};
    WaitForPositions(twentyFirst);
    EXPECT_EQ(Positions(), twentyFirst);
    ExpectExitsCleanly();
}

// A settings file saved as UTF-8 by hand can name snapshots in any script: the Restore submenu
// shows each name as written, and its entry restores that snapshot's layout.
TEST_F(Program, RestoreSubmenuShowsNamesInAnyScriptAndTheirEntriesRestore) {
    const std::string office = "B\xc3\xbcro 2024"; // Büro 2024
    const std::string greek =
        "\xce\x95\xce\xbb\xce\xbb\xce\xb7\xce\xbd\xce\xb9\xce\xba\xce\xac";  // Ελληνικά
    const std::string japanese = "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e set"; // 日本語 set
    std::string file = "[Settings]\r\nAutoSave=2\r\n[Saves]\r\n";
    int x = 400;
    for (const std::string& name : {office, greek, japanese}) {
        file += name + "=Recycle Bin;" + std::to_string(x++) +
                ";300;Notes.txt;100;10;Photos;180;10;\r\n";
    }
    RestartWithSettings(file);
    const std::string automatic = Section(Settings(), "AutoSaves")[0].first;

    HWND submenu = nullptr;
    ASSERT_TRUE(OpenRestoreSubmenu(program, WM_RBUTTONUP, &submenu));
    std::vector<MenuRow> rows =
        ReadRowsOnceDrawn(submenu, {office, greek, japanese, automatic, "<none>"}, 4);
    ASSERT_EQ(rows.size(), 4u);
    // Newest first: the start's snapshot, then the names that read as no time, which count as the
    // oldest, in their byte order downward.
    EXPECT_EQ(rows[0].text, automatic);
    EXPECT_EQ(rows[1].text, japanese);
    EXPECT_EQ(rows[2].text, greek);
    EXPECT_EQ(rows[3].text, office);
    for (const MenuRow& row : rows) {
        EXPECT_FALSE(row.grey) << row.text;
    }

    PressKey(submenu, VK_DOWN);
    PressKey(submenu, VK_DOWN);
    PressKey(submenu, VK_RETURN);
    std::vector<HWND> popups;
    ASSERT_TRUE(WaitForPopups(program.ProcessId(), 0, &popups));
    const Positions_t greekLayout = {{401, 300}, {100, 10}, {180, 10}};
    WaitForPositions(greekLayout);
    EXPECT_EQ(Positions(), greekLayout);
    ExpectExitsCleanly();
}

// Opens the tray menu and chooses with the keyboard: Down from the top highlights About, then
// the entries past the separators; Up from the top wraps to Exit.
bool ChooseFromMenu(CRunningProgram& program, WPARAM key, int presses) {
    std::vector<HWND> popups;
    if (!program.PostTrayClick(WM_RBUTTONUP) || !WaitForPopups(program.ProcessId(), 1, &popups)) {
        return false;
    }
    for (int i = 0; i < presses; i++) {
        PressKey(popups[0], key);
    }
    PressKey(popups[0], VK_RETURN);
    return WaitForPopups(program.ProcessId(), 0, &popups);
}

TEST_F(Program, SaveAndExitChosenFromTheMenuActAsTheirCommands) {
    WaitForNextSecond();
    testdesktop::MoveIcon(2, 250, 200);
    ASSERT_TRUE(ChooseFromMenu(program, VK_DOWN, 3));
    ASSERT_TRUE(WaitForSnapshots("Saves", 1));
    EXPECT_EQ(Section(Settings(), "Saves")[0].second,
              "Recycle Bin;20;10;Notes.txt;100;10;Photos;250;200;");

    HWND window = program.Window();
    ASSERT_TRUE(ChooseFromMenu(program, VK_UP, 1));
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(TrayIconExists(window, kTrayIconId));
}

} // namespace
