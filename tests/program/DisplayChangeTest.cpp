// The real quillmarsh.exe beside the stand-in desktop while the display mode changes under it.
// Switching modes needs a display that has more than one: these tests run only on the private
// Xvfb of tools/private-display.sh, and put its mode back when they end.
#include "contract/TestDesktop.h"
#include "program/PopupMenuReader.h"
#include "program/ProgramFolder.h"
#include "program/ProgramTestSupport.h"
#include "program/RunningProgram.h"
#include "ui/DisplayMonitors.h"

#include <gtest/gtest.h>

namespace {

using programtest::Positions;
using programtest::Positions_t;
using programtest::Section;
using programtest::WaitForNextSecond;
using namespace programtest::commands;
using testdesktop::Icon;

void MoveTo(const Positions_t& positions) {
    for (size_t i = 0; i < positions.size(); i++) {
        testdesktop::MoveIcon(static_cast<int>(i), positions[i].first, positions[i].second);
    }
}

bool OnPrivateDisplay() {
    char value[8] = "";
    return GetEnvironmentVariableA("QM_PRIVATE_DISPLAY", value, sizeof value) > 0 &&
           std::string(value) == "1";
}

bool SetMode(DWORD width, DWORD height) {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    return ChangeDisplaySettingsExA(nullptr, &mode, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL;
}

const Positions_t kArrangementA = {{1500, 900}, {1600, 1000}, {1700, 1100}};
const Positions_t kExplorerAt1024 = {{20, 10}, {20, 90}, {20, 170}};
const Positions_t kArrangementB = {{600, 400}, {700, 500}, {800, 600}};
const Positions_t kScrambled = {{300, 30}, {310, 130}, {320, 230}};

class DisplayChange : public ::testing::Test {
  protected:
    CProgramFolder folder;
    CRunningProgram program;

    void SetUp() override {
        if (!OnPrivateDisplay()) {
            GTEST_SKIP() << "switches display modes: runs only under tools/private-display.sh";
        }
        ASSERT_TRUE(SetMode(1920, 1200));
        ASSERT_TRUE(folder.Ready());
        ASSERT_TRUE(testdesktop::Start(
            {{"Recycle Bin", 20, 10}, {"Notes.txt", 100, 10}, {"Photos", 180, 10}}));
        ASSERT_TRUE(program.Start(folder.Exe()));
        ASSERT_NE(program.WaitForWindow(), nullptr);
        ASSERT_TRUE(WaitFor([&] { return !Section(Settings(), "AutoSaves").empty(); }));
    }
    void TearDown() override {
        if (!OnPrivateDisplay()) {
            return;
        }
        CloseMenus(program.ProcessId());
        program.Kill();
        testdesktop::Stop();
        EXPECT_TRUE(SetMode(1920, 1200));
    }

    std::string Settings() const { return ReadWholeFile(folder.SettingsFile()); }

    template <typename Condition> static bool WaitFor(Condition condition, DWORD bound = 15000) {
        DWORD started = GetTickCount();
        while (!condition()) {
            if (GetTickCount() - started > bound) {
                return false;
            }
            Sleep(20);
        }
        return true;
    }

    // Arrangement A saved at 1920x1200, arrangement B at 1024x768 after the icons moved there as
    // the shell moves them.
    void SaveAUnderLargeAndBUnderSmall() {
        WaitForNextSecond();
        MoveTo(kArrangementA);
        ASSERT_TRUE(program.Command(kSave));
        ASSERT_TRUE(SetMode(1024, 768));
        MoveTo(kExplorerAt1024);
        WaitForNextSecond();
        MoveTo(kArrangementB);
        ASSERT_TRUE(program.Command(kSave));
        ASSERT_EQ(Section(Settings(), "Saves").size(), 2u) << Settings();
        // A mode that comes and goes within the steady period is no change at all: let this one
        // stand long enough to count.
        Sleep(3500);
    }
};

// The autosave that falls while the displays are changing waits for the arrangement of the new
// ones: the shell's rearranged icons never become their newest snapshot.
TEST_F(DisplayChange, EachDisplayModeGetsItsOwnArrangementBackWithNoAutosaveWhilePending) {
    SaveAUnderLargeAndBUnderSmall();
    auto configurations = Section(Settings(), "SaveDisplays");
    ASSERT_EQ(configurations.size(), 2u) << Settings();
    EXPECT_EQ(configurations[0].second, "0,0,1024,768|0,0,1024,768@96");
    EXPECT_EQ(configurations[1].second, "0,0,1920,1200|0,0,1920,1200@96");

    ASSERT_TRUE(program.Command(kRestoreOnDisplayChange));
    ASSERT_NE(Settings().find("RestoreOnDisplayChange=1\r\n"), std::string::npos);

    ASSERT_TRUE(SetMode(1920, 1200));
    MoveTo(kScrambled);
    WaitForNextSecond();
    ASSERT_TRUE(program.TimerTick());
    EXPECT_TRUE(WaitFor([] { return Positions() == kArrangementA; })) << Settings();
    // Once restored, the autosave that waited records the arrangement that stands.
    EXPECT_TRUE(WaitFor([&] { return Section(Settings(), "AutoSaves").size() == 2; }));
    auto automatic = Section(Settings(), "AutoSaves");
    EXPECT_EQ(automatic[0].second, "Recycle Bin;1500;900;Notes.txt;1600;1000;Photos;1700;1100;");
    ASSERT_TRUE(program.Command(kUndo));
    EXPECT_EQ(Positions(), kScrambled);

    ASSERT_TRUE(SetMode(1024, 768));
    EXPECT_TRUE(WaitFor([] { return Positions() == kArrangementB; }));
}

} // namespace
