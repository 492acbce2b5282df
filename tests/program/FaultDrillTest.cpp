// Fault drills on the real quillmarsh.exe under Wine: the desktop's process killed in the middle of
// a restore, a settings file that cannot be replaced while the program runs, and the program
// itself killed during a burst of saves. Figures and what held: docs/reliability.md.
#include "contract/TestDesktop.h"
#include "program/ProgramFolder.h"
#include "program/ProgramTestSupport.h"
#include "program/RunningProgram.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

namespace {

using programtest::Entries_t;
using programtest::LayoutOf;
using programtest::Section;
using programtest::WaitForNextSecond;
using namespace programtest::commands;
using testdesktop::Icon;
using testdesktop::Request;

const UINT kLvmSetItemPosition = 0x100F;
const UINT kLvmGetItemTextW = 0x1073;
const UINT kLvmGetItemPosition = 0x1010;
const char kCannotWrite[] = "Could not create file for writting!";

// Enough icons that a restore takes a good part of a second under Wine, ten to a column.
std::vector<Icon> IconGrid(int count, int left, int top) {
    std::vector<Icon> icons;
    for (int i = 0; i < count; i++) {
        char name[16];
        snprintf(name, sizeof name, "Icon %04d", i + 1);
        icons.push_back({name, left + (i / 10) * 75, top + (i % 10) * 60});
    }
    return icons;
}

std::vector<Icon> ThreeIcons(int x) {
    return {{"Recycle Bin", x, 10}, {"Notes.txt", x + 80, 10}, {"Photos", x + 160, 10}};
}

// Zero for a missing file.
FILETIME LastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

bool HasAutomaticSnapshot(const std::string& file) {
    return !Section(file, "AutoSaves").empty();
}

// Only a killed process ends this way; the stand-in desktop's driver finds it gone at its next
// start.
bool KillShellProcess() {
    HANDLE shell =
        OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, testdesktop::ShellProcessId());
    if (!shell) {
        return false;
    }
    bool killed = TerminateProcess(shell, 1) && WaitForSingleObject(shell, 10000) == WAIT_OBJECT_0;
    CloseHandle(shell);
    return killed;
}

struct RequestCounts {
    size_t texts = 0;
    size_t positions = 0;
    size_t moves = 0;
    size_t all = 0;
};

void Count(const std::vector<Request>& log, RequestCounts* counts) {
    for (const Request& request : log) {
        counts->texts += request.msg == kLvmGetItemTextW ? 1 : 0;
        counts->positions += request.msg == kLvmGetItemPosition ? 1 : 0;
        counts->moves += request.msg == kLvmSetItemPosition ? 1 : 0;
    }
    counts->all += log.size();
}

class FaultDrill : public ::testing::Test {
  protected:
    CProgramFolder folder;
    CRunningProgram program;

    void TearDown() override {
        program.Kill();
        testdesktop::Stop();
    }

    std::string Settings() const { return ReadWholeFile(folder.SettingsFile()); }

    // The start's snapshot is saved during the window's creation, which may answer sent messages
    // (it announces the tray icon) before it gets that far: the file's time tells.
    void StartProgram() {
        const FILETIME before = LastWrite(folder.SettingsFile());
        ASSERT_TRUE(program.Start(folder.Exe()));
        ASSERT_NE(program.WaitForWindow(), nullptr);
        DWORD started = GetTickCount();
        FILETIME now = before;
        while (CompareFileTime(&before, &now) == 0 || !HasAutomaticSnapshot(Settings())) {
            ASSERT_LT(GetTickCount() - started, 30000u);
            Sleep(10);
            now = LastWrite(folder.SettingsFile());
        }
    }
};

// Where in the restore the shell dies: while the restore captures what stands (its text requests
// come before any move), among the first pass's moves, and in the second pass, which finds every
// icon in place. 300 icons: capture, 300 moves, then 300 more positions.
struct KillPoint {
    const char* what;
    size_t texts;
    size_t positions;
    size_t moves;
};

TEST_F(FaultDrill, ShellKilledInTheMiddleOfARestoreThenStartedAgain) {
    const int kIcons = 300;
    const std::vector<Icon> saved = IconGrid(kIcons, 20, 10);
    ASSERT_TRUE(folder.Ready());
    ASSERT_TRUE(testdesktop::Start(saved));
    StartProgram();
    ASSERT_EQ(Section(Settings(), "AutoSaves")[0].second, LayoutOf(saved));

    const KillPoint points[] = {
        {"capture", 50, 0, 0}, {"first pass", 0, 0, 40}, {"second pass", 0, kIcons + 50, kIcons}};
    int round = 0;
    for (const KillPoint& point : points) {
        SCOPED_TRACE(point.what);
        // Every snapshot holds the saved grid, so whichever stands first moves every icon back.
        ASSERT_TRUE(testdesktop::Start(IconGrid(kIcons, 40 + round * 7, 30)));
        ASSERT_TRUE(program.PostCommand(kRestoreFirst));
        RequestCounts seen;
        DWORD started = GetTickCount();
        while (seen.texts < point.texts || seen.positions < point.positions ||
               seen.moves < point.moves) {
            ASSERT_LT(GetTickCount() - started, 60000u)
                << seen.texts << " texts, " << seen.moves << " moves";
            Count(testdesktop::TakeRequestLog(), &seen);
        }
        ASSERT_TRUE(KillShellProcess());
        // Short of the whole restore: the capture's and two passes' count, text and position
        // requests, and a move per icon.
        EXPECT_LT(seen.all, 3u * (1 + 2 * kIcons) + kIcons);

        // The restore has ended once a sent command is answered: the program is alive and idle.
        ASSERT_TRUE(program.Command(0));
        ASSERT_TRUE(program.Running());
        printf("[ drill    ] shell killed during the restore's %s after %zu requests (%zu texts, "
               "%zu moves)\n",
               point.what, seen.all, seen.texts, seen.moves);

        const std::vector<Icon> fresh = IconGrid(kIcons, 25 + round * 11, 15);
        ASSERT_TRUE(testdesktop::Start(fresh));
        ASSERT_TRUE(program.Command(0));
        // Nothing of the broken restore reaches the new shell.
        EXPECT_TRUE(testdesktop::TakeRequestLog().empty());

        WaitForNextSecond();
        ASSERT_TRUE(program.Command(kSave));
        Entries_t manual = Section(Settings(), "Saves");
        ASSERT_FALSE(manual.empty());
        EXPECT_EQ(manual[0].second, LayoutOf(fresh));
        // Every text request handed the new shell a record in its own memory.
        std::vector<Request> log = testdesktop::TakeRequestLog();
        size_t texts = 0;
        for (const Request& request : log) {
            if (request.msg != kLvmGetItemTextW) {
                continue;
            }
            texts++;
            EXPECT_TRUE(request.hasRecord);
        }
        EXPECT_EQ(texts, static_cast<size_t>(kIcons));
        round++;
    }
    EXPECT_TRUE(program.Command(112));
}

bool IsDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Root may write anywhere, read-only bits or not; a folder where the file must go stops any
// account from replacing it.
TEST_F(FaultDrill, UnwritableSettingsFileAtEveryAutosaveThenWritableAgainWritesEverything) {
    ASSERT_TRUE(folder.Ready());
    ASSERT_TRUE(testdesktop::Start(ThreeIcons(20)));
    StartProgram();
    const std::string before = Settings();
    ASSERT_TRUE(DeleteFileA(folder.SettingsFile().c_str()));
    ASSERT_TRUE(CreateDirectoryA(folder.SettingsFile().c_str(), nullptr));

    const int kTicks = 3;
    std::set<std::string> layouts = {Section(before, "AutoSaves")[0].second};
    for (int tick = 1; tick <= kTicks; tick++) {
        WaitForNextSecond();
        testdesktop::MoveIcon(0, 300 + tick * 10, 200);
        layouts.insert(LayoutOf(testdesktop::Icons()));
        ASSERT_TRUE(program.PostTimerTick());
        EXPECT_EQ(program.WaitForErrorBox(), kCannotWrite) << "tick " << tick;
        // One message per save: the tick has ended once a sent command is answered.
        ASSERT_TRUE(program.Command(0));
        EXPECT_TRUE(program.Running());
        EXPECT_TRUE(IsDirectory(folder.SettingsFile()));
        EXPECT_FALSE(FileExists(folder.SettingsFile() + ".tmp"));
    }

    ASSERT_TRUE(RemoveDirectoryA(folder.SettingsFile().c_str()));
    WaitForNextSecond();
    ASSERT_TRUE(program.TimerTick());
    Entries_t automatic = Section(Settings(), "AutoSaves");
    std::set<std::string> written;
    for (const auto& entry : automatic) {
        written.insert(entry.second);
    }
    EXPECT_EQ(automatic.size(), layouts.size());
    EXPECT_EQ(written, layouts);
    EXPECT_TRUE(program.Command(112));
}

// A large file, so that each save takes long enough to be caught in the middle: ten manual and ten
// automatic snapshots of full-length layouts.
std::string LargeSettingsFile() {
    std::string file = "[Settings]\r\nAutoSave=2\r\n";
    for (const char* section : {"Saves", "AutoSaves"}) {
        file += std::string("[") + section + "]\r\n";
        for (int n = 0; n < 10; n++) {
            char name[40];
            snprintf(name, sizeof name, "2020-01-%02d 10:00:00%s", n + 1,
                     section[0] == 'A' ? " (AutoSave)" : "");
            std::string layout = LayoutOf(IconGrid(430, 20 + n, 10));
            file += std::string(name) + "=" + layout.substr(0, 7900) + "\r\n";
        }
    }
    return file;
}

// The file as the program writes it with another autosave choice.
std::string WithAutoSave(const std::string& file, int mode) {
    const std::string key = "AutoSave=";
    size_t at = file.find(key);
    if (at == std::string::npos) {
        return file;
    }
    size_t end = file.find("\r\n", at);
    return file.substr(0, at + key.size()) + std::to_string(mode) + file.substr(end);
}

TEST_F(FaultDrill, KilledDuringABurstOfSavesLeavesTheOldOrTheNewFileWhole) {
    // Every ten minutes (2) is the file's choice before the burst; every save of the burst
    // changes it.
    const UINT kBurstChoices[] = {kAutosaveNever + 3, kAutosaveNever, kAutosaveNever + 1};
    const int kKills = 20;
    const int kBurst = 200;
    ASSERT_TRUE(folder.Ready());
    ASSERT_TRUE(testdesktop::Start(ThreeIcons(20)));
    ASSERT_TRUE(WriteWholeFile(folder.SettingsFile(), LargeSettingsFile()));

    int unchanged = 0;
    int changed = 0;
    int leftTemp = 0;
    for (int kill = 0; kill < kKills; kill++) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        StartProgram();
        // The start's own snapshot is written; every save of the burst writes this file with
        // another autosave choice.
        const std::string old = Settings();
        std::set<std::string> complete;
        for (int mode = 0; mode < 4; mode++) {
            complete.insert(WithAutoSave(old, mode));
        }
        ASSERT_EQ(complete.count(old), 1u);
        // Each start loads what the last kill left: the manual snapshots are all still there.
        EXPECT_EQ(Section(old, "Saves").size(), 10u);

        for (int n = 0; n < kBurst; n++) {
            ASSERT_TRUE(program.PostCommand(kBurstChoices[n % 3]));
        }
        Sleep(static_cast<DWORD>(kill * 3));
        program.Kill();

        const std::string left = Settings();
        ASSERT_EQ(complete.count(left), 1u) << "a file of " << left.size() << " bytes, the whole "
                                            << "ones have " << old.size() << " or so";
        (left == old ? unchanged : changed)++;
        leftTemp += FileExists(folder.SettingsFile() + ".tmp") ? 1 : 0;
    }
    printf("[ drill    ] %d kills: %d left the file as it was before the burst, %d a later whole "
           "file, %d a temporary file beside it\n",
           kKills, unchanged, changed, leftTemp);
}

} // namespace
